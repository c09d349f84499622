// Tests only: the data file of a profile that watches a TCP port on
// 127.0.0.1, polled every second and verified after one.
#pragma once

#include <string>

// `more` ends the [Monitor] section: by default the profile also alarms when
// the port is back, and is enabled.
inline std::string PortProfile(const std::string& description, const std::string& type, int port,
                               const std::string& more = "UpAlarm=1\nDisabled=0\n") {
  return "[Profile]\nDescription=" + description + "\nMajorVersion=1\nMinorVersion=1\n[Monitor]\n"
         "HostName=127.0.0.1\nMonitorType=" + type + "\nPortID=" + std::to_string(port) +
         "\nPollTime=1\nPollTimeUnit=0\nFailTime=1\nFailTimeUnit=0\n" + more;
}
