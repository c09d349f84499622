// Reading the [eMail] transport settings.
#include "smtp_settings.h"

#include "qv_ui.h"
#include "qvplatform.h"

namespace qvui::smtp {
namespace {

constexpr DWORD kValueLength = 200;  // the settings file's text length for these keys

std::string Trimmed(const std::string& text) {
  const size_t begin = text.find_first_not_of(" \t");
  if (begin == std::string::npos) return std::string();
  const size_t end = text.find_last_not_of(" \t");
  return text.substr(begin, end - begin + 1);
}

std::string ReadValue(const std::string& path, const char* key, const char* fallback) {
  char value[kValueLength + 1] = {};
  GetPrivateProfileStringA("eMail", key, "", value, kValueLength, path.c_str());
  const std::string text = Trimmed(value);
  return text.empty() ? std::string(fallback) : text;
}

}  // namespace

void ParseServer(const std::string& value, Settings* settings) {
  const std::string text = Trimmed(value);
  const size_t colon = text.rfind(':');
  settings->port = 25;
  if (colon == std::string::npos) {
    settings->host = text;
    return;
  }
  settings->host = Trimmed(text.substr(0, colon));
  const std::string digits = Trimmed(text.substr(colon + 1));
  unsigned long port = 0;
  bool usable = !digits.empty() && digits.size() <= 5;
  for (char c : digits) {
    if (c < '0' || c > '9') usable = false;
    if (usable) port = port * 10 + static_cast<unsigned>(c - '0');
  }
  settings->port = usable && port >= 1 && port <= 65535 ? static_cast<unsigned>(port) : 0;
}

Settings ReadSettings(const std::string& settings_path) {
  Settings settings;
  ParseServer(ReadValue(settings_path, "SMTPServer", kDefaultServer), &settings);
  settings.from = ReadValue(settings_path, "From", kDefaultSender);
  settings.reply_to = ReadValue(settings_path, "ReplyTo", settings.from.c_str());
  settings.subject = ReadValue(settings_path, "Subject", kDefaultSubject);
  return settings;
}

std::string ProgramSettingsPath() {
  char directory[MAX_PATH] = {};
  if (!QVUI_GetLocalDirectory(nullptr, directory, sizeof directory)) return "QUORVANE.INI";
  return std::string(directory) + "QUORVANE.INI";
}

}  // namespace qvui::smtp
