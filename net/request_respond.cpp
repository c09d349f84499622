// Serving a request: plain files, script pages, and the response headers.
#include <strings.h>

#include <cstdio>
#include <cstring>
#include <ctime>

#include "gui_bridge.h"
#include "report_store.h"
#include "script_run.h"
#include "server_request.h"

namespace {

constexpr size_t kPiece = 20480;
constexpr char kScriptMarker[] = "<!-- Quorvane Script -->\r\n";

const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                               "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// The first of the known extensions found anywhere in the path.
const char* ContentTypeLine(const std::string& path) {
  std::string lower = path;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (lower.find(".htm") != std::string::npos) return "Content-Type: text/html\r\n";
  if (lower.find(".gif") != std::string::npos) return "Content-Type: image/gif\r\n";
  if (lower.find(".xls") != std::string::npos) return "Content-Type: application/msexcel\r\n";
  if (lower.find(".doc") != std::string::npos) return "Content-Type: application/msword\r\n";
  return "";
}

std::string Language(const char* iniPath) {
  char text[100];
  GetPrivateProfileStringA("Language", "Program", "ENGLISH", text, sizeof text, iniPath);
  return text;
}

}  // namespace

std::string HttpDate(int64_t unixSeconds) {
  const time_t when = static_cast<time_t>(unixSeconds);
  tm local{};
  localtime_r(&when, &local);
  // The bias is UTC minus local time, in minutes: the local broken-down time
  // read as UTC lies east of the moment by the zone's offset.
  tm asUtc = local;
  const long east = static_cast<long>(timegm(&asUtc) - when) / 60;
  const long bias = -east;
  const char sign = bias < 0 ? '+' : '-';
  const long magnitude = bias < 0 ? -bias : bias;
  char text[64];
  std::snprintf(text, sizeof text, "%s, %u %s %04u %02u:%02u:%02u %c%02lu%02lu", kDays[local.tm_wday % 7],
                static_cast<unsigned>(local.tm_mday), kMonths[local.tm_mon % 12],
                static_cast<unsigned>(local.tm_year + 1900), static_cast<unsigned>(local.tm_hour),
                static_cast<unsigned>(local.tm_min), static_cast<unsigned>(local.tm_sec), sign,
                static_cast<unsigned long>(magnitude / 60), static_cast<unsigned long>(magnitude % 60));
  return text;
}

void ServerRequest::SendResponseHeader() {
  char text[1200];
  if (status == 200) {
    std::snprintf(text, sizeof text,
                  "HTTP/1.0 200 OK\r\nServer: Quorvane Server\r\nAllow: GET, POST\r\n%sCache-Control: "
                  "no-cache\r\nPragma: no-cache\r\nDate: %s\r\n\r\n",
                  ContentTypeLine(mappedPath), HttpDate(static_cast<int64_t>(std::time(nullptr))).c_str());
    Send(text);
    return;
  }
  if (status == 301) {
    std::string target;
    const std::string root = settings.webRoot;
    if (mappedPath.size() > root.size() && strncasecmp(mappedPath.c_str(), root.c_str(), root.size()) == 0) {
      const char next = mappedPath[root.size()];
      target = mappedPath.substr(root.size() + (next == '\\' || next == '/' ? 1 : 0));
    } else {
      const size_t slash = mappedPath.rfind('\\');
      target = slash == std::string::npos ? mappedPath : mappedPath.substr(slash + 1);
    }
    const size_t mark = target.find('?');
    for (size_t i = 0; i < target.size() && i < mark; ++i) {
      if (target[i] == '\\') target[i] = '/';
    }
    const std::string header = "HTTP/1.0 301 Redirect\r\nLocation: http://" + SafeHost() + "/" +
                               EncodeForHeader(target) + "\r\n\r\n<TITLE>URL Moved</TITLE>\r\nURL Moved #" +
                               std::to_string(static_cast<uint32_t>(Now())) + "\r\n";
    Send(header);
    return;
  }
  if (status == 11301) {
    ReportStatus report;
    int format = 0;
    std::string reportUser;
    std::string reportName;
    if (SplitReportName(item, &reportUser, &reportName)) {
      const std::string folder = std::string(settings.usersFolder) + "\\" + item;
      if (ReadReportStatus(folder.c_str(), &report)) format = report.format;
    }
    // The item names folders: each of its characters that a URL path gives
    // a meaning of its own ('%', '?', '#') goes encoded.
    std::string escaped;
    for (char c : item) {
      if (c == '%') {
        escaped += "%25";
      } else if (c == '?') {
        escaped += "%3F";
      } else if (c == '#') {
        escaped += "%23";
      } else {
        escaped += c == '\\' ? '/' : c;
      }
    }
    const std::string header = "HTTP/1.0 301 Redirect\r\nLocation: http://" + SafeHost() + "/" +
                               std::to_string(userId) + "/" + EncodeForHeader(escaped) + "/rep." +
                               ReportExtension(format) + "\r\n\r\n";
    Send(header);
    return;
  }
  Send("HTTP/1.0 404 URL Not Found\r\n\r\n<TITLE>URL Not Found</TITLE>\r\nURL Not Found #" +
       std::to_string(static_cast<uint32_t>(Now())) + "\r\n");
}

void ServerRequest::ExpandRedirectTarget(std::string* text) {
  std::string out;
  size_t at = 0;
  bool afterVariable = true;  // a '%' at the very start ends the expansion
  while (at < text->size()) {
    const size_t percent = text->find('%', at);
    if (percent == std::string::npos) {
      out += text->substr(at);
      break;
    }
    out += text->substr(at, percent - at);
    if (percent == at && afterVariable) break;
    const size_t close = text->find('%', percent + 1);
    if (close == std::string::npos) break;
    const std::string name = text->substr(percent + 1, close - percent - 1);
    auto is = [&](const char* n) { return strcasecmp(name.c_str(), n) == 0; };
    if (is("host")) {
      out += SafeHost();
    } else if (is("username")) {
      out += userName;
    } else if (is("qitem")) {
      out += item;
    } else if (is("user")) {
      out += std::to_string(userId);
    } else if (is("tick")) {
      out += std::to_string(static_cast<uint32_t>(Now()));
    } else if (is("language")) {
      out += Language(settings.iniPath);
    } else if (is("module")) {
      uint32_t kind = 0;
      ProfileKindOfFile(item, &kind);
      out += std::to_string(kind);
    }
    at = close + 1;
    afterVariable = true;
    if (at < text->size() && (*text)[at] != '%') afterVariable = false;
  }
  *text = out;
}

void ServerRequest::Respond() {
  if (mappedPath.empty()) {
    status = 404;
    SendResponseHeader();
    return;
  }
  HANDLE file = CreateFileA(mappedPath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    status = 404;
    SendResponseHeader();
    return;
  }
  // The file itself (links resolved) must lie under its root; a user's
  // files under that user's own folder unless the user administers.
  std::string root = underUsers ? settings.usersFolder : settings.webRoot;
  if (underUsers && !user.admin) root += "\\" + user.name;
  if (!HandleLiesUnder(file, root.c_str())) {
    CloseHandle(file);
    status = 404;
    SendResponseHeader();
    return;
  }
  std::string piece(kPiece, '\0');
  DWORD got = 0;
  ReadFile(file, piece.data(), static_cast<DWORD>(std::strlen(kScriptMarker)), &got, nullptr);
  const bool script = !underUsers && got == std::strlen(kScriptMarker) &&
                      strncasecmp(piece.c_str(), kScriptMarker, std::strlen(kScriptMarker)) == 0;
  SetFilePointer(file, 0, nullptr, FILE_BEGIN);
  if (script) {
    RunScriptPage(this, file);
    CloseHandle(file);
    return;
  }
  status = 200;
  SendResponseHeader();
  for (;;) {
    got = 0;
    if (!ReadFile(file, piece.data(), static_cast<DWORD>(kPiece), &got, nullptr) || got == 0) break;
    send_(piece.data(), got);
  }
  CloseHandle(file);
}
