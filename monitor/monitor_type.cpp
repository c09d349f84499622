// Names and old numbers of the monitor kinds.
#include "monitor_type.h"

#include <cstring>

namespace {

constexpr const char* kNames[MONITOR_TYPE_LAST + 1] = {
    nullptr, "Disk Space", "DNS",    "FINGER", "FTP",    "GOPHER", "HTTP",
    "IRCHAT", "NNTP",      "NT Service", "ODBC", "PING", "POP3",   "RWHOIS",
    "SMTP",   "TELNET",    "WHOIS",  "HTTPS",  "URL"};

}  // namespace

const char* MonitorTypeName(int kind) {
  if (kind < MONITOR_TYPE_FIRST || kind > MONITOR_TYPE_LAST) return "UNKNOWN";
  return kNames[kind];
}

int ParseMonitorTypeName(const char* name) {
  if (name == nullptr) return MONITOR_TYPE_DEFAULT;
  for (int kind = MONITOR_TYPE_FIRST; kind <= MONITOR_TYPE_LAST; ++kind) {
    if (std::strcmp(kNames[kind], name) == 0) return kind;
  }
  return MONITOR_TYPE_DEFAULT;
}

int MonitorTypeFromOldNumber(int number) {
  if (number >= MONITOR_DISK_SPACE && number <= MONITOR_NNTP) return number;
  if (number >= 9 && number <= 15) return number + 1;
  return MONITOR_TYPE_DEFAULT;
}
