// Status lines for the plug-in's status windows.
#include "status_message.h"

#include "plugin_helpers.h"

CStatusMessage::CStatusMessage(int codeValue, int messageIdValue, const char* name)
    : code(codeValue), messageId(messageIdValue), text{}, profileName{} {
  CopyText(profileName, name);
}

LRESULT CStatusMessage::Send(HWND window) const {
  return SendMessageA(window, static_cast<UINT>(messageId), 0, reinterpret_cast<LPARAM>(this));
}
