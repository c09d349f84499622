// The e-mail alert: a message to an address list through the mail library.
// It is both a profile's [Email] settings (also the content of ".eap" spool
// files) and the sender the e-mail queue calls.
#pragma once

#include <cstddef>
#include <string>

#include "alert_status.h"
#include "alert_text.h"

class CEmailAlert {
 public:
  static constexpr const char* kSection = "Email";
  // The escaped message keeps at most this many characters.
  static constexpr size_t kMaxEscapedMessage = 2047;

  explicit CEmailAlert(const char* path = nullptr);
  // Every setting; not the own file path.
  CEmailAlert(const CEmailAlert& other);
  CEmailAlert& operator=(const CEmailAlert&) = delete;
  ~CEmailAlert() = default;

  // Reads [Email] (null or empty path: the own file); the file becomes the own
  // file. False only when no path is known.
  bool Read(const char* path = nullptr);
  // Older profiles keep the same keys.
  bool ReadLegacy(const char* path = nullptr) { return Read(path); }
  // Writes [Email] in key order; the file becomes the own file.
  bool Write(const char* path = nullptr);
  static bool IsValidFile(const char* path);
  void DeleteFile() const;

  // Sends the mail. Sent when the server took it; Refused for an address the
  // mail cannot go to as it stands; Failed otherwise (no address included).
  SendResult Deliver();
  bool Send() { return Deliver() == SendResult::Sent; }

  // A settings value holds one line: line feed, carriage return and backslash
  // are stored as backslash-r, backslash-n and two backslashes (the letters are
  // swapped against their usual meaning, in both directions, as stored files
  // have always had them). The escaped text is cut to kMaxEscapedMessage
  // characters, never inside an escape.
  static std::string EncodeMessage(const char* text);
  static std::string DecodeMessage(const char* stored);
  // The same into a buffer of `size` characters (src and dst must differ).
  static void EncodeText(const char* src, char* dst, size_t size);
  static void DecodeText(const char* src, char* dst, size_t size);

  // An address list the mail may go to: no carriage return, line feed, '<' or
  // '>' (they would forge commands or headers).
  static bool IsAcceptableAddress(const char* address);

  const char* GetAddress() const { return m_address.Get(); }
  void SetAddress(const char* address) { m_address = address; }
  const char* GetSubject() const { return m_subject.Get(); }
  void SetSubject(const char* subject) { m_subject = subject; }
  const char* GetMessage() const { return m_message.Get(); }
  void SetMessage(const char* message) { m_message = message; }
  const char* GetProfileName() const { return m_profileName.Get(); }
  void SetProfileName(const char* name) { m_profileName = name; }
  bool GetTestMode() const { return m_testMode; }
  void SetTestMode(bool test) { m_testMode = test; }
  const char* GetOwnPath() const { return m_ownPath.Get(); }
  void SetOwnPath(const char* path) { m_ownPath = path; }

 private:
  bool TakePath(const char* path);

  OwnedText m_address;
  OwnedText m_subject;
  OwnedText m_message;
  OwnedText m_ownPath;
  bool m_testMode = false;
  OwnedText m_profileName;
};
