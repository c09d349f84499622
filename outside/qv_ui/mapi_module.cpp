// The built-in "MAPI32.DLL": Simple MAPI over the library's SMTP transport,
// with a compose dialog of its own.
#include <atomic>
#include <cstring>
#include <ctime>
#include <fstream>
#include <iterator>
#include <new>
#include <sstream>
#include <string>
#include <vector>

#include <strings.h>

#include "qv_ui_mapi.h"
#include "qvplatform/dlgtemplate.h"
#include "smtp_mail.h"
#include "smtp_mail_control.h"
#include "smtp_session.h"
#include "smtp_settings.h"
#include "smtp_text.h"

namespace {

std::atomic<int> g_initialised{0};
std::atomic<LHANDLE> g_nextSession{1};

// What the compose dialog shows and the user may change.
struct Compose {
  std::string to;
  std::string subject;
  std::string text;
  std::string attachment;  // the file's path, or empty
};

std::string Field(HWND dialog, int id) {
  const int length = GetWindowTextLengthA(GetDlgItem(dialog, id));
  std::string text(static_cast<size_t>(length) + 1, '\0');
  GetDlgItemTextA(dialog, id, text.data(), length + 1);
  text.resize(std::strlen(text.c_str()));
  return text;
}

INT_PTR CALLBACK ComposeProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  constexpr char kRecord[] = "QVUI_MapiCompose";
  auto* compose = static_cast<Compose*>(GetPropA(dialog, kRecord));
  switch (message) {
    case WM_INITDIALOG:
      compose = reinterpret_cast<Compose*>(lParam);
      SetPropA(dialog, kRecord, compose);
      SetDlgItemTextA(dialog, QVUI_MAPI_TO, compose->to.c_str());
      SetDlgItemTextA(dialog, QVUI_MAPI_SUBJECT, compose->subject.c_str());
      SetDlgItemTextA(dialog, QVUI_MAPI_TEXT, compose->text.c_str());
      SetDlgItemTextA(dialog, QVUI_MAPI_ATTACHMENT, compose->attachment.c_str());
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK && compose != nullptr) {
        compose->to = Field(dialog, QVUI_MAPI_TO);
        compose->subject = Field(dialog, QVUI_MAPI_SUBJECT);
        compose->text = Field(dialog, QVUI_MAPI_TEXT);
        EndDialog(dialog, IDOK);
        return TRUE;
      }
      if (LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, IDCANCEL);
        return TRUE;
      }
      return FALSE;
    case WM_DESTROY: RemovePropA(dialog, kRecord); return FALSE;
    default: return FALSE;
  }
}

qvp::ControlDesc Control(uint32_t id, qvp::StandardClass kind, const char* text, uint32_t style, int16_t x,
                         int16_t y, int16_t cx, int16_t cy) {
  qvp::ControlDesc c;
  c.id = id;
  c.window_class = qvp::NameOrId::Id(static_cast<uint32_t>(kind));
  c.text = qvp::NameOrId::Text(text);
  c.style = WS_CHILD | WS_VISIBLE | style;
  c.x = x;
  c.y = y;
  c.cx = cx;
  c.cy = cy;
  return c;
}

// IDOK when the user chose Send.
INT_PTR RunCompose(HWND owner, Compose* compose) {
  using qvp::StandardClass;
  qvp::DialogDesc d;
  d.style = DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_SETFONT;
  d.cx = 300;
  d.cy = 200;
  d.caption = qvp::NameOrId::Text("New Message");
  d.font_face = qvp::NameOrId::Text("MS Sans Serif");
  d.font_point_size = 8;
  const uint32_t edit = WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL;
  d.controls = {
      Control(0xFFFF, StandardClass::kStatic, "&To:", SS_LEFT, 7, 9, 40, 9),
      Control(QVUI_MAPI_TO, StandardClass::kEdit, "", edit, 50, 7, 243, 12),
      Control(0xFFFF, StandardClass::kStatic, "&Subject:", SS_LEFT, 7, 25, 40, 9),
      Control(QVUI_MAPI_SUBJECT, StandardClass::kEdit, "", edit, 50, 23, 243, 12),
      Control(QVUI_MAPI_TEXT, StandardClass::kEdit, "",
              WS_BORDER | WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN, 7, 40, 286, 110),
      Control(0xFFFF, StandardClass::kStatic, "Attachment:", SS_LEFT, 7, 157, 40, 9),
      Control(QVUI_MAPI_ATTACHMENT, StandardClass::kEdit, "", WS_BORDER | ES_READONLY | ES_AUTOHSCROLL, 50, 155,
              243, 12),
      Control(IDOK, StandardClass::kButton, "&Send", BS_DEFPUSHBUTTON | WS_TABSTOP, 183, 177, 52, 14),
      Control(IDCANCEL, StandardClass::kButton, "Cancel", BS_PUSHBUTTON | WS_TABSTOP, 241, 177, 52, 14),
  };
  std::vector<uint8_t> block;
  std::string error;
  if (!qvp::BuildDialogTemplate(d, &block, &error)) return -1;
  return DialogBoxIndirectParamA(nullptr, reinterpret_cast<LPCDLGTEMPLATEA>(block.data()), owner, ComposeProc,
                                 reinterpret_cast<LPARAM>(compose));
}

std::string BaseName(const std::string& path) {
  const size_t cut = path.find_last_of("\\/");
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

bool ReadWholeFile(const std::string& windowsPath, std::string* out) {
  HANDLE file = CreateFileA(windowsPath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  out->clear();
  char buffer[8192];
  DWORD read = 0;
  bool ok = true;
  while ((ok = ReadFile(file, buffer, sizeof buffer, &read, nullptr) != FALSE) && read > 0) out->append(buffer, read);
  CloseHandle(file);
  return ok;
}

// The message through the transport; SUCCESS_SUCCESS only once the server took it.
ULONG Deliver(const Compose& compose) {
  using namespace qvui::smtp;
  std::string attachment;
  if (!compose.attachment.empty() && !ReadWholeFile(compose.attachment, &attachment))
    return MAPI_E_ATTACHMENT_NOT_FOUND;
  const Settings settings = ReadSettings(MailSettingsPath());
  Job job;
  job.host = settings.host;
  job.port = settings.port;
  Message& m = job.message;
  m.from = settings.from;
  m.reply_to = settings.reply_to;
  m.recipients = SplitAddresses(compose.to.c_str());
  if (m.recipients.empty()) return MAPI_E_INVALID_RECIPS;
  m.subject = compose.subject;
  m.body = compose.text;
  m.date = std::time(nullptr);
  m.message_id = MakeMessageId(DomainOf(m.from));
  if (!compose.attachment.empty()) {
    m.attachments.push_back(Attachment{BaseName(compose.attachment), std::move(attachment)});
  }
  const Outcome outcome = Send(job);
  if (outcome.result == QVUI_MAIL_SENT) return SUCCESS_SUCCESS;
  const std::string line = "MAPI mail via " + settings.host + ": " + outcome.step + " failed (" +
                           std::to_string(outcome.result) + ") " + outcome.reply + "\r\n";
  OutputDebugStringA(line.c_str());
  return MAPI_E_FAILURE;
}

HRESULT MapiInitialize(LPVOID) {
  ++g_initialised;
  return 0;
}

void MapiUninitialize() {
  int current = g_initialised.load();
  while (current > 0 && !g_initialised.compare_exchange_weak(current, current - 1)) {
  }
}

ULONG MapiLogon(ULONG_PTR, LPSTR, LPSTR, FLAGS, ULONG, LPLHANDLE session) {
  if (session == nullptr) return MAPI_E_FAILURE;
  *session = g_nextSession++;
  return SUCCESS_SUCCESS;
}

ULONG MapiLogoff(LHANDLE session, ULONG_PTR, FLAGS, ULONG) {
  return session != 0 ? SUCCESS_SUCCESS : MAPI_E_INVALID_SESSION;
}

ULONG MapiSendMail(LHANDLE, ULONG_PTR uiParam, lpMapiMessage message, FLAGS flags, ULONG) {
  if (message == nullptr) return MAPI_E_INVALID_MESSAGE;
  try {
    Compose compose;
    for (ULONG i = 0; i < message->nRecipCount && message->lpRecips != nullptr; ++i) {
      const MapiRecipDesc& r = message->lpRecips[i];
      if (r.ulRecipClass != MAPI_TO || r.lpszAddress == nullptr) continue;
      std::string address = r.lpszAddress;
      if (address.size() > 5 && strncasecmp(address.c_str(), "SMTP:", 5) == 0) address.erase(0, 5);
      if (!compose.to.empty()) compose.to += "; ";
      compose.to += address;
    }
    if (message->lpszSubject != nullptr) compose.subject = message->lpszSubject;
    if (message->lpszNoteText != nullptr) compose.text = message->lpszNoteText;
    if (message->nFileCount > 1) return MAPI_E_FAILURE;  // one file is what the compose dialog shows
    if (message->nFileCount == 1 && message->lpFiles != nullptr && message->lpFiles[0].lpszPathName != nullptr)
      compose.attachment = message->lpFiles[0].lpszPathName;
    if (flags & MAPI_DIALOG) {
      const INT_PTR answer = RunCompose(reinterpret_cast<HWND>(uiParam), &compose);
      if (answer == IDCANCEL) return MAPI_USER_ABORT;
      if (answer != IDOK) return MAPI_E_FAILURE;
    }
    if (compose.to.empty()) return MAPI_E_INVALID_RECIPS;
    return Deliver(compose);
  } catch (const std::bad_alloc&) {
    return MAPI_E_INSUFFICIENT_MEMORY;
  } catch (...) {
    return MAPI_E_FAILURE;
  }
}

const qvp::BuiltinExport kExports[] = {
    {"MAPIInitialize", reinterpret_cast<FARPROC>(&MapiInitialize)},
    {"MAPIUninitialize", reinterpret_cast<FARPROC>(&MapiUninitialize)},
    {"MAPILogon", reinterpret_cast<FARPROC>(&MapiLogon)},
    {"MAPILogoff", reinterpret_cast<FARPROC>(&MapiLogoff)},
    {"MAPISendMail", reinterpret_cast<FARPROC>(&MapiSendMail)},
    {nullptr, nullptr},
};

// Registered when the library is loaded.
const bool g_registered = [] {
  qvp::RegisterBuiltinModule("MAPI32.DLL", kExports);
  return true;
}();

}  // namespace
