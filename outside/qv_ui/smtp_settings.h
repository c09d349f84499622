// The mail transport settings of the program's settings file.
#pragma once

#include <string>

namespace qvui::smtp {

// The values a mail is sent with, as read from [eMail] of a settings file.
struct Settings {
  std::string host;     // server name or dotted address
  unsigned port = 25;   // 0 when the SMTPServer value carries an unusable port
  std::string from;     // sender address
  std::string reply_to; // reply address
  std::string subject;  // the configured subject
};

inline constexpr char kDefaultServer[] = "mail";
inline constexpr char kDefaultSender[] = "reports@quorvane.com";
inline constexpr char kDefaultSubject[] = "Quorvane Reports";

// Reads [eMail] SMTPServer, From, ReplyTo and Subject of `settings_path` (a
// path as the layer's profile calls take it), with their defaults for missing
// or empty values. SMTPServer "host:port" gives the port; a port that is not
// 1..65535 in decimal digits leaves port 0.
Settings ReadSettings(const std::string& settings_path);

// Splits "host" or "host:port" (blanks around both dropped) into `settings`.
void ParseServer(const std::string& value, Settings* settings);

// The program's settings file: the program directory + "QUORVANE.INI".
std::string ProgramSettingsPath();

}  // namespace qvui::smtp
