// QVUI_SendMailBody and QVUI_SendMailBodySubject: one message through SMTP
// with the transport settings of the program's settings file.
#include "smtp_mail.h"

#include <ctime>
#include <mutex>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "smtp_attachments.h"
#include "smtp_mail_control.h"
#include "smtp_session.h"
#include "smtp_settings.h"

namespace qvui::smtp {
namespace {

std::mutex g_control_lock;
std::string g_settings_path;  // empty: the program's settings file
Timeouts g_timeouts;
std::string g_client_domain;

int SendWith(const char* address, const char* subject, const char* body,
             const volatile BYTE* cancel, std::vector<Attachment> attachments = {}) {
  std::string settings_path;
  Job job;
  {
    std::lock_guard<std::mutex> hold(g_control_lock);
    settings_path = g_settings_path;
    job.timeouts = g_timeouts;
    job.client_domain = g_client_domain;
  }
  if (settings_path.empty()) settings_path = ProgramSettingsPath();
  const Settings settings = ReadSettings(settings_path);
  job.host = settings.host;
  job.port = settings.port;
  job.cancel = cancel;
  Message& m = job.message;
  m.from = settings.from;
  m.reply_to = settings.reply_to;
  m.recipients = SplitAddresses(address);
  m.subject = subject != nullptr ? subject : settings.subject;
  m.body = body != nullptr ? body : "";
  m.date = std::time(nullptr);
  m.message_id = MakeMessageId(DomainOf(m.from));
  m.attachments = std::move(attachments);
  const Outcome outcome = Send(job);
  if (outcome.result != QVUI_MAIL_SENT) {
    const std::string line = "QVUI mail to " + std::string(address != nullptr ? address : "") +
                             " via " + settings.host + ": " + outcome.step + " failed (" +
                             std::to_string(outcome.result) + ") " + outcome.reply + "\r\n";
    OutputDebugStringA(line.c_str());
  }
  return outcome.result;
}

int Guarded(const char* address, const char* subject, const char* body,
            const volatile BYTE* cancel) {
  try {
    return SendWith(address, subject, body, cancel);
  } catch (const std::bad_alloc&) {
    return QVUI_MAIL_NO_MEMORY;
  } catch (...) {
    return QVUI_MAIL_NO_NETWORK;
  }
}

}  // namespace

int SendWithAttachments(const char* address, const char* body, std::vector<Attachment> attachments) {
  try {
    return SendWith(address, nullptr, body, nullptr, std::move(attachments));
  } catch (const std::bad_alloc&) {
    return QVUI_MAIL_NO_MEMORY;
  } catch (...) {
    return QVUI_MAIL_NO_NETWORK;
  }
}

std::string MailSettingsPath() {
  {
    std::lock_guard<std::mutex> hold(g_control_lock);
    if (!g_settings_path.empty()) return g_settings_path;
  }
  return ProgramSettingsPath();
}

void SetMailSettingsPathForTests(const char* path) {
  std::lock_guard<std::mutex> hold(g_control_lock);
  g_settings_path = path != nullptr ? path : "";
}

void SetMailTimeoutsForTests(DWORD connect_ms, DWORD reply_ms, DWORD data_end_ms) {
  std::lock_guard<std::mutex> hold(g_control_lock);
  g_timeouts = Timeouts{};
  if (connect_ms != 0) g_timeouts.connect_ms = connect_ms;
  if (reply_ms != 0) g_timeouts.reply_ms = reply_ms;
  if (data_end_ms != 0) g_timeouts.data_end_ms = data_end_ms;
}

void SetMailClientDomainForTests(const char* domain) {
  std::lock_guard<std::mutex> hold(g_control_lock);
  g_client_domain = domain != nullptr ? domain : "";
}

}  // namespace qvui::smtp

QV_API int QVUI_SendMailBody(HWND owner, const char* address, const char* reserved1,
                             const char* reserved2, const char* body, const volatile BYTE* cancel) {
  (void)owner;
  (void)reserved1;
  (void)reserved2;
  return qvui::smtp::Guarded(address, nullptr, body, cancel);
}

QV_API int QVUI_SendMailBodySubject(HWND owner, const char* address, const char* subject,
                                    const char* body, const volatile BYTE* cancel) {
  (void)owner;
  return qvui::smtp::Guarded(address, subject, body, cancel);
}
