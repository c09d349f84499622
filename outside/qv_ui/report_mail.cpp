// QVUI_SendMail: report files mailed as attachments.
#include <string>
#include <vector>

#include "qv_ui.h"
#include "smtp_attachments.h"
#include "smtp_mail.h"

namespace {

bool ReadWholeFile(const char* path, std::string* bytes) {
  HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  bytes->clear();
  char buffer[65536];
  DWORD got = 0;
  bool ok = true;
  while ((ok = ReadFile(file, buffer, sizeof buffer, &got, nullptr) != FALSE) && got > 0) bytes->append(buffer, got);
  CloseHandle(file);
  return ok;
}

std::string LeafName(const std::string& path) {
  const size_t cut = path.find_last_of("\\/");
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

}  // namespace

QV_API int QVUI_SendMail(HWND progress, const char* address, int count, char** files) {
  if (address == nullptr || address[0] == '\0' || count <= 0 || files == nullptr) return -1;
  std::vector<qvui::smtp::Attachment> attachments;
  std::string names;
  if (progress != nullptr) SendMessageA(progress, QVUI_PROGRESS_SETRANGE, static_cast<WPARAM>(count), 0);
  for (int i = 0; i < count; ++i) {
    if (files[i] == nullptr) return -1;
    qvui::smtp::Attachment file;
    file.name = LeafName(files[i]);
    if (!ReadWholeFile(files[i], &file.bytes)) {
      OutputDebugStringA((std::string("QVUI mail: cannot read ") + files[i] + "\r\n").c_str());
      return -1;
    }
    names += (names.empty() ? "" : ", ") + file.name;
    attachments.push_back(std::move(file));
    if (progress != nullptr) SendMessageA(progress, QVUI_PROGRESS_SETPOS, static_cast<WPARAM>(i + 1), 0);
  }
  const std::string body = "The report is attached: " + names + ".";
  return qvui::smtp::SendWithAttachments(address, body.c_str(), std::move(attachments)) == QVUI_MAIL_SENT ? 0 : -1;
}
