// One status line that an alert sender hands to the plug-in's test and error
// windows: the window reads the record while SendMessageA is in progress.
#pragma once

#include "qvplatform.h"

// Codes of a status line.
inline constexpr int kStatusProgress = 1;  // progress or success
inline constexpr int kStatusError = 3;     // the error window shows only these

// The messages a status line travels as, by sender.
inline constexpr UINT kStatusMessageEmail = 5026;
inline constexpr UINT kStatusMessageAudio = 5027;
inline constexpr UINT kStatusMessagePager = 5028;
inline constexpr UINT kStatusMessageAlertSet = 5029;

class CStatusMessage {
 public:
  static constexpr int kTextSize = 2048;

  // The profile name is copied, cut to kTextSize - 1 characters; null reads as "".
  CStatusMessage(int code, int messageId, const char* profileName);

  // SendMessageA(window, message id, 0, this record) and its result.
  LRESULT Send(HWND window) const;

  int code;
  int messageId;
  char text[kTextSize];  // written by the sender after construction
  char profileName[kTextSize];
};
