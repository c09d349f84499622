// Status lines of the alert senders.
#include "alert_status.h"

#include "alert_runtime.h"
#include "plugin_helpers.h"
#include "status_message.h"

AlertStatus::AlertStatus(UINT messageId, const char* profileName, bool test)
    : m_messageId(messageId), m_profileName(profileName), m_test(test) {}

void AlertStatus::Tell(const char* text) const {
  if (!m_test) return;
  CStatusMessage line(kStatusProgress, static_cast<int>(m_messageId), m_profileName);
  CopyText(line.text, text);
  const HWND window = AlertTestStatusWindow();
  if (window != nullptr) line.Send(window);
}

void AlertStatus::Report(const char* text) {
  CStatusMessage line(kStatusError, static_cast<int>(m_messageId), m_profileName);
  CopyText(line.text, text);
  m_failed = true;
  const HWND window = m_test ? AlertTestStatusWindow() : AlertErrorsWindow();
  if (window != nullptr) line.Send(window);
}

void AlertStatus::Notify(UINT message, LPARAM channel) const {
  if (!m_test) return;
  const HWND window = AlertTestStatusWindow();
  if (window != nullptr) SendMessageA(window, message, 0, channel);
}
