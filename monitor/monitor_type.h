// The kinds of monitored devices. A kind is stored in profile files by name;
// the number is also the index of the kind's page in the profile wizard.
#pragma once

enum MonitorType : int {
  MONITOR_DISK_SPACE = 1,
  MONITOR_DNS = 2,
  MONITOR_FINGER = 3,
  MONITOR_FTP = 4,
  MONITOR_GOPHER = 5,
  MONITOR_HTTP = 6,
  MONITOR_IRCHAT = 7,
  MONITOR_NNTP = 8,
  MONITOR_NT_SERVICE = 9,
  MONITOR_ODBC = 10,
  MONITOR_PING = 11,
  MONITOR_POP3 = 12,
  MONITOR_RWHOIS = 13,
  MONITOR_SMTP = 14,
  MONITOR_TELNET = 15,
  MONITOR_WHOIS = 16,
  MONITOR_HTTPS = 17,
  MONITOR_URL = 18,
};

inline constexpr int MONITOR_TYPE_FIRST = MONITOR_DISK_SPACE;
inline constexpr int MONITOR_TYPE_LAST = MONITOR_URL;
inline constexpr int MONITOR_TYPE_DEFAULT = MONITOR_PING;

// The kind's stored name ("Disk Space", "DNS", ... "URL"); "UNKNOWN" outside 1 to 18.
const char* MonitorTypeName(int kind);
// The kind of a stored name: exact, case-sensitive comparison; no match gives PING.
int ParseMonitorTypeName(const char* name);
// The kind of a number of the older file format, which had no HTTPS and URL and
// no slot 9 for NT services: 1 to 8 as today, 9 to 15 one higher; any other number is PING.
int MonitorTypeFromOldNumber(int number);
