// The e-mail alert's settings and its sender.
#include "email_alert.h"

#include <cstring>

#include "alert_runtime.h"
#include "alert_senders.h"
#include "plugin_helpers.h"
#include "status_message.h"

namespace {

const char* const kTextKeys[] = {"ProfileName", "Address", "Subject", "Message", nullptr};
const char* const kIntKeys[] = {"TestMode", nullptr};

constexpr const char* kDefaultSubject = "Quorvane Alert";
constexpr const char* kBlankBody = "This message intentionally left blank.";
constexpr const char* kFailed = "Email alert generation failed";

// Result codes of the mail library that no retry can change.
constexpr int kMailBadAddress = 1;
constexpr int kMailBadHeader = 2;

}  // namespace

CEmailAlert::CEmailAlert(const char* path) {
  if (path != nullptr && *path != '\0') Read(path);
}

CEmailAlert::CEmailAlert(const CEmailAlert& other)
    : m_address(other.m_address),
      m_subject(other.m_subject),
      m_message(other.m_message),
      m_testMode(other.m_testMode),
      m_profileName(other.m_profileName) {}

bool CEmailAlert::TakePath(const char* path) {
  if (path != nullptr && *path != '\0') m_ownPath = path;
  return !m_ownPath.IsEmpty();
}

bool CEmailAlert::Read(const char* path) {
  if (!TakePath(path)) return false;
  const char* file = m_ownPath.Get();
  m_profileName = ReadAlertText(kSection, "ProfileName", file);
  m_address = ReadAlertText(kSection, "Address", file);
  m_subject = ReadAlertText(kSection, "Subject", file);
  const OwnedText stored = ReadAlertText(kSection, "Message", file);
  if (stored.Get() == nullptr) {
    m_message = nullptr;
  } else {
    m_message = DecodeMessage(stored.Get()).c_str();
  }
  m_testMode = ReadAlertInt(kSection, "TestMode", 0, file) == 1;
  return true;
}

bool CEmailAlert::Write(const char* path) {
  if (!TakePath(path)) return false;
  const char* file = m_ownPath.Get();
  const std::string message = EncodeMessage(m_message.Get());
  bool ok = WriteAlertText(kSection, "Message", message.c_str(), file);
  ok = WriteAlertText(kSection, "Address", m_address.Get(), file) && ok;
  ok = WriteAlertText(kSection, "ProfileName", m_profileName.Get(), file) && ok;
  ok = WriteAlertText(kSection, "Subject", m_subject.Get(), file) && ok;
  ok = WriteAlertInt(kSection, "TestMode", m_testMode ? 1 : 0, file) && ok;
  return ok;
}

bool CEmailAlert::IsValidFile(const char* path) { return AlertSectionComplete(kSection, kTextKeys, kIntKeys, path); }

void CEmailAlert::DeleteFile() const {
  if (!m_ownPath.IsEmpty()) DeleteFileA(m_ownPath.Get());
}

std::string CEmailAlert::EncodeMessage(const char* text) {
  std::string out;
  if (text == nullptr) return out;
  for (const char* c = text; *c != '\0'; ++c) {
    const char* piece = nullptr;
    char single[2] = {*c, '\0'};
    switch (*c) {
      case '\n': piece = "\\r"; break;
      case '\r': piece = "\\n"; break;
      case '\\': piece = "\\\\"; break;
      default: piece = single; break;
    }
    if (out.size() + std::strlen(piece) > kMaxEscapedMessage) break;
    out += piece;
  }
  return out;
}

std::string CEmailAlert::DecodeMessage(const char* stored) {
  std::string out;
  if (stored == nullptr) return out;
  for (const char* c = stored; *c != '\0'; ++c) {
    if (*c != '\\' || c[1] == '\0') {
      out += *c;
      continue;
    }
    switch (c[1]) {
      case '\\': out += '\\'; ++c; break;
      case 'n': out += '\r'; ++c; break;
      case 'r': out += '\n'; ++c; break;
      default: out += '\\'; break;  // never written: kept as it stands
    }
  }
  return out;
}

void CEmailAlert::EncodeText(const char* src, char* dst, size_t size) { CopyText(dst, size, EncodeMessage(src).c_str()); }

void CEmailAlert::DecodeText(const char* src, char* dst, size_t size) { CopyText(dst, size, DecodeMessage(src).c_str()); }

bool CEmailAlert::IsAcceptableAddress(const char* address) {
  if (address == nullptr || *address == '\0') return false;
  return std::strpbrk(address, "\r\n<>") == nullptr;
}

SendResult CEmailAlert::Deliver() {
  AlertStatus status(kStatusMessageEmail, m_profileName.Get(), m_testMode);
  status.Notify(kTestStatusBegin, kTestChannelEmail);
  status.Tell("Generating email alert!");

  // The subject goes to the mail library with the message; the program's own
  // settings file is never rewritten for it.
  const char* subject = m_subject.IsEmpty() ? kDefaultSubject : m_subject.Get();
  const char* body = m_message.Get() != nullptr ? m_message.Get() : kBlankBody;

  // Without an address nothing is sent and nothing reported; the queue tries
  // again later.
  SendResult result = SendResult::Failed;
  if (!m_address.IsEmpty()) {
    int answer = kMailBadAddress;
    if (IsAcceptableAddress(m_address.Get())) {
      const HWND owner = m_testMode ? AlertTestStatusWindow() : nullptr;
      const volatile BYTE* cancel = m_testMode ? AlertTestCancelFlag() : nullptr;
      answer = CurrentAlertSenders().sendMail(owner, m_address.Get(), subject, body, cancel);
    }
    if (answer == 0) {
      result = SendResult::Sent;
      status.Tell("Email alert successfully sent");
      status.Tell("Email alert done.");
    } else {
      result = (answer == kMailBadAddress || answer == kMailBadHeader) ? SendResult::Refused : SendResult::Failed;
      if (m_testMode) {
        status.Tell(kFailed);
        status.Tell("Email alert done.");
      } else {
        status.Report(kFailed);
      }
    }
  }
  status.Notify(kTestStatusEnd, kTestChannelEmail);
  return result;
}
