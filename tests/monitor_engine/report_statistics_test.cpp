// Alert reports over a status log that the real monitor engine wrote while it
// watched a loopback port that the test closed and opened again: the test
// recomputes every statistic from the log's entries and compares it with what
// the report engine put into the HTML, for every time range and report type.
// The reports run as the program's scheduler runs them (plug-in functions 9
// and 11, no user present), through the real report engine.
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "entry_format.h"
#include "loopback_listener.h"
#include "port_profile.h"
#include "qv_logstat.h"
#include "report_host.h"

namespace fs = std::filesystem;

namespace {

using reporthost::kAlertingKind;
using reporthost::ReadFile;

struct Entry {
  long time = 0;
  std::string event;  // the type-4 text, STATUS and INIT joined to their state
  std::string owner;  // the type-8 text
};

// The statistics of a run of events, as a reader of the log works them out.
struct Expected {
  std::vector<std::string> events;
  long first = 0;
  long totalUp = 0, totalDown = 0, minUp = -1, minDown = -1, maxUp = 0, maxDown = 0;
  int upCount = 0, downCount = 0;
};

Expected Summarise(const std::vector<Entry>& entries) {
  Expected out;
  int kind = 3;  // 1 up, 2 down, 3 neither
  long start = 0;
  long running = 0;
  auto close = [&](long at, int next) {
    const long d = at - start;
    if (d > 0 && kind != 3) {
      running += d;
      (kind == 1 ? out.totalUp : out.totalDown) += d;
      if (next != kind) {
        long& least = kind == 1 ? out.minUp : out.minDown;
        long& most = kind == 1 ? out.maxUp : out.maxDown;
        if (least < 0 || running < least) least = running;
        if (running > most) most = running;
        running = 0;
      }
    }
    start = at;
    kind = next;
  };
  int run = 0;  // 1 after HELLO, 2 after GOODBYE
  for (const Entry& entry : entries) {
    if (out.first == 0) out.first = entry.time;
    const std::string& e = entry.event;
    // A second HELLO or GOODBYE in a row shows the program ended without one.
    out.events.push_back((e == "HELLO" && run == 1) || (e == "GOODBYE" && run == 2) ? "CARTRIDGE_CRASH" : e);
    if (e == "HELLO") {
      run = 1;
      start = entry.time;  // the time it was stopped counts neither as up nor as down
    } else if (e == "GOODBYE") {
      run = 2;
      close(entry.time, 3);
    } else if (e == "UP" || e == "STATUS_UP" || e == "INIT_UP") {
      if (kind != 1) ++out.upCount;
      close(entry.time, 1);
    } else if (e == "DOWN" || e == "STATUS_DOWN" || e == "INIT_DOWN") {
      if (kind != 2) ++out.downCount;
      close(entry.time, 2);
    }
  }
  return out;
}

// "1 hours 2 minutes 5 seconds" -> 3725; "0" -> 0; -1 when it is no duration.
long Seconds(const std::string& text) {
  if (text == "0") return 0;
  std::istringstream in(text);
  long total = 0;
  long number = 0;
  std::string unit;
  bool any = false;
  while (in >> number >> unit) {
    any = true;
    if (unit == "hours") total += number * 3600;
    else if (unit == "minutes") total += number * 60;
    else if (unit == "seconds") total += number;
    else return -1;
  }
  return any ? total : -1;
}

std::string DateText(long when) {
  static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  const time_t at = when;
  std::tm fields{};
  localtime_r(&at, &fields);
  char text[64];
  std::snprintf(text, sizeof text, "%s, %s %d, %d", kDays[fields.tm_wday], kMonths[fields.tm_mon], fields.tm_mday,
                fields.tm_year + 1900);
  return text;
}

std::string TimeText(long when) {
  const time_t at = when;
  std::tm fields{};
  localtime_r(&at, &fields);
  char text[16];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d", fields.tm_hour, fields.tm_min, fields.tm_sec);
  return text;
}

// Whether `when` lies in a report's time range, seen from `now` (local time).
bool InRange(long when, int range, long now) {
  const time_t at = when;
  const time_t today = now;
  std::tm a{}, t{};
  localtime_r(&at, &a);
  localtime_r(&today, &t);
  switch (range) {
    case 1:
      return a.tm_year == t.tm_year && a.tm_yday == t.tm_yday;
    case 2: {
      const time_t back = today - 86400;
      std::tm y{};
      localtime_r(&back, &y);
      return a.tm_year == y.tm_year && a.tm_yday == y.tm_yday;
    }
    case 3:
      return a.tm_year == t.tm_year && a.tm_mon == t.tm_mon;
    case 4:
      return t.tm_mon == 0 ? a.tm_year == t.tm_year - 1 && a.tm_mon == 11
                           : a.tm_year == t.tm_year && a.tm_mon == t.tm_mon - 1;
    default:
      return true;
  }
}

// Every value the report engine wrote, by token, in page order.
std::map<std::string, std::vector<std::string>> Values(const std::string& html) {
  std::map<std::string, std::vector<std::string>> values;
  const std::regex span("<span class=\"(Var_Alert_[A-Za-z_]+)\">([^<]*)</span>");
  for (auto it = std::sregex_iterator(html.begin(), html.end(), span); it != std::sregex_iterator(); ++it)
    values[(*it)[1]].push_back((*it)[2]);
  return values;
}

// Whether a strict HTML5 parser takes the page and tidy finds nothing to say;
// without the checkers (outside CI) nothing is checked.
::testing::AssertionResult ValidHtml(const std::string& file) {
  static const bool checkers = std::system("/usr/bin/python3 -c 'import html5lib' >/dev/null 2>&1") == 0 &&
                               std::system("tidy -v >/dev/null 2>&1") == 0;
  if (!checkers) {
    if (std::getenv("CI") != nullptr) return ::testing::AssertionFailure() << "python3-html5lib and tidy are needed";
    return ::testing::AssertionSuccess();
  }
  const std::string html5 = "/usr/bin/python3 -c 'import html5lib,sys; html5lib.HTMLParser(strict=True).parse("
                            "open(sys.argv[1],\"rb\").read())' '" + file + "' >/dev/null 2>&1";
  if (std::system(html5.c_str()) != 0) return ::testing::AssertionFailure() << "html5lib refuses " << file;
  // tidy answers 1 for warnings, 2 for errors: neither is taken.
  const int tidy = std::system(("tidy -q -e '" + file + "' >/dev/null 2>&1").c_str());
  if (!WIFEXITED(tidy) || WEXITSTATUS(tidy) != 0)
    return ::testing::AssertionFailure() << "tidy finds errors or warnings in " << file;
  return ::testing::AssertionSuccess();
}

const char* const kRangeNames[] = {"All of log", "Today", "Yesterday", "This month", "Last month",
                                   "Last 50 log entries"};

class ReportStatisticsTest : public reporthost::ReportHostTest {
 protected:
  std::string Report() const { return program_.path() + "/report.htm"; }

  std::string Status(PROFILE* row) {
    auto text = host_.Function<PFN_GetMainListText>(kAlertingKind, PF_GET_MAIN_LIST_TEXT);
    char buffer[1024] = "";
    text(row, buffer, sizeof buffer);
    std::string columns = buffer;
    for (int n = 0; n < 3 && columns.find('\t') != std::string::npos; ++n) columns.erase(0, columns.find('\t') + 1);
    return columns.substr(0, columns.find('\t'));
  }
  // Polls the row's status (generous deadline) until it reads `wanted`.
  bool WaitForStatus(PROFILE* row, const std::string& wanted) {
    for (int n = 0; n < 12000; ++n) {
      if (Status(row) == wanted) return true;
      Sleep(5);
    }
    return false;
  }

  std::vector<Entry> Log() const {
    std::vector<Entry> entries;
    HQVLSREADER reader = QVLS_LogStatusFileStartup((program_.path() + "/qvm_alrt/qvm_alrt.log").c_str());
    if (reader == nullptr) return entries;
    QVLS_ENTRY_FIELD* fields = nullptr;
    int count = 0;
    while (QVLS_ReadEntryFromLogStatusFile(reader, &fields, &count) == 1) {
      Entry entry;
      std::string state;
      for (int n = 0; n < count; ++n) {
        entry.time = fields[n].time;
        if (fields[n].type == 4 && entry.event.empty()) entry.event = fields[n].text;
        if (fields[n].type == 5 && state.empty()) state = fields[n].text;
        if (fields[n].type == 8 && entry.owner.empty()) entry.owner = fields[n].text;
      }
      if (entry.event == "INIT" || entry.event == "STATUS")
        entry.event += state == "DOWN" || state == "DISABLED" ? "_" + state : "_UP";
      entries.push_back(entry);
      QVLS_FreeEntry(fields);
    }
    QVLS_LogStatusFileCleanup(reader);
    return entries;
  }

  // The profile's entries of a time range, as of `now`, with the closing GOODBYE.
  static std::vector<Entry> Kept(const std::vector<Entry>& log, int range, long now, const std::string& profileId) {
    std::vector<Entry> kept;
    bool seen = false;
    for (const Entry& entry : log) {
      if (!InRange(entry.time, range, now)) continue;
      if (entry.owner == profileId) {
        seen = true;
        kept.push_back(entry);
      } else if (seen && (entry.event == "HELLO" || entry.event == "GOODBYE")) {
        kept.push_back(entry);
      }
    }
    if (kept.empty()) return kept;
    kept.push_back(Entry{now, "GOODBYE", ""});
    if (range == 5 && kept.size() > 50) kept.erase(kept.begin(), kept.end() - 50);
    return kept;
  }

  // Runs the event with a report of `type` over `range` and compares every
  // statistic of its HTML with what follows from the status log. The counts of
  // up and down periods when the report was made, or none when the range
  // holds nothing of the profile (then no report may be made).
  std::optional<std::pair<int, int>> CheckReport(SCHEDULE_EVENT* event, int type, int range,
                                                 const std::string& profileId) {
    SCOPED_TRACE("ReportType " + std::to_string(type) + ", TimeRange " + std::to_string(range));
    WriteReportSettings(type, range);
    // The engine may log while the report runs: such a run is repeated.
    std::vector<Entry> log;
    int made = 0;
    long before = 0, after = 0;
    for (int attempt = 0; attempt < 5; ++attempt) {
      fs::remove(Report());
      log = Log();
      before = static_cast<long>(std::time(nullptr));
      made = Run(event);
      after = static_cast<long>(std::time(nullptr));
      if (Log().size() == log.size()) break;
    }
    if (Kept(log, range, before, profileId).empty() && Kept(log, range, after, profileId).empty()) {
      EXPECT_EQ(made, PLUGIN_FAILED);
      EXPECT_FALSE(fs::exists(Report()));
      EXPECT_NE(SchedulerLog().find("No applicable entries found in the status log"), std::string::npos);
      return std::nullopt;
    }
    EXPECT_EQ(made, PLUGIN_DONE) << SchedulerLog();
    EXPECT_TRUE(ValidHtml(Report()));
    const auto values = Values(ReadFile(Report()));
    auto value = [&](const char* token) {
      const auto found = values.find(token);
      return found == values.end() ? std::string("(missing)") : found->second.front();
    };
    // The report ends now: its closing GOODBYE is the last event.
    const std::string endDate = value("Var_Alert_End_Date");
    const std::string endTime = value("Var_Alert_End_Time");
    long now = -1;
    for (long t = before; t <= after; ++t)
      if (DateText(t) == endDate && TimeText(t) == endTime) now = t;
    EXPECT_GE(now, 0) << endDate << " " << endTime;
    if (now < 0) return std::nullopt;

    const std::vector<Entry> kept = Kept(log, range, now, profileId);
    const Expected expected = Summarise(kept);
    EXPECT_EQ(value("Var_Alert_Report_Title"), "Recomputed");
    EXPECT_EQ(value("Var_Alert_Timeframe"), kRangeNames[range]);
    EXPECT_EQ(value("Var_Alert_Total_Events"), std::to_string(kept.size()));
    EXPECT_EQ(value("Var_Alert_Start_Date"), DateText(expected.first));
    EXPECT_EQ(value("Var_Alert_Start_Time"), TimeText(expected.first));
    EXPECT_EQ(Seconds(value("Var_Alert_Uptime")), expected.totalUp);
    EXPECT_EQ(Seconds(value("Var_Alert_Downtime")), expected.totalDown);
    EXPECT_EQ(Seconds(value("Var_Alert_Min_Uptime")), std::max(expected.minUp, 0L));
    EXPECT_EQ(Seconds(value("Var_Alert_Max_Uptime")), expected.maxUp);
    EXPECT_EQ(Seconds(value("Var_Alert_Min_Downtime")), std::max(expected.minDown, 0L));
    EXPECT_EQ(Seconds(value("Var_Alert_Max_Downtime")), expected.maxDown);
    EXPECT_EQ(Seconds(value("Var_Alert_Average_Uptime")),
              expected.upCount > 0 ? expected.totalUp / expected.upCount : 0);
    EXPECT_EQ(Seconds(value("Var_Alert_Average_Downtime")),
              expected.downCount > 0 ? expected.totalDown / expected.downCount : 0);
    const long whole = expected.totalUp + expected.totalDown;
    EXPECT_EQ(value("Var_Alert_Uptime_In_Percent"), std::to_string(whole > 0 ? expected.totalUp * 100 / whole : 0));
    EXPECT_EQ(value("Var_Alert_Downtime_in_Percent"), std::to_string(whole > 0 ? expected.totalDown * 100 / whole : 0));
    if (type == 2) {
      const auto rows = values.find("Var_Alert_Event_Type");
      EXPECT_TRUE(rows != values.end() && rows->second == expected.events);
    } else {
      EXPECT_EQ(values.count("Var_Alert_Event_Type"), 0u);
    }
    return std::make_pair(expected.upCount, expected.downCount);
  }
};

TEST_F(ReportStatisticsTest, EveryStatisticOfTheHtmlFollowsFromTheLogTheEngineWrote) {
  auto listener = std::make_unique<Listener>();
  ASSERT_TRUE(listener->ok());
  const int port = listener->port();
  program_.dir().write("qvm_alrt/datfiles/lert0000.amp", PortProfile("Recomputed port", "TELNET", port));
  WriteEvent(Report());
  WriteReportSettings(1, 0);
  PROFILE* row = Bind();
  ASSERT_NE(row, nullptr);
  ASSERT_EQ(host_.Function<PFN_StartService>(kAlertingKind, PF_START_SERVICE)(), PLUGIN_DONE);

  // Two outages of the port; periods of different lengths (the first up
  // period is held longer, the second outage too).
  ASSERT_TRUE(WaitForStatus(row, "Up"));
  Sleep(3000);
  for (int outage = 0; outage < 2; ++outage) {
    listener.reset();
    ASSERT_TRUE(WaitForStatus(row, "Down")) << outage;
    Sleep(2000 * outage);
    listener = std::make_unique<Listener>(port);
    ASSERT_TRUE(listener->ok());
    ASSERT_TRUE(WaitForStatus(row, "Up")) << outage;
  }
  // HELLO, INIT, and per outage STATUS and the alert, twice.
  const std::vector<Entry> log = Log();
  ASSERT_GE(log.size(), 8u);
  std::string profileId;
  for (const Entry& entry : log)
    if (profileId.empty()) profileId = entry.owner;
  ASSERT_FALSE(profileId.empty());

  SCHEDULE_EVENT* event = Event();
  ASSERT_NE(event, nullptr);
  for (int type = 1; type <= 2; ++type) {
    for (int range = 0; range <= 5; ++range) {
      const auto counts = CheckReport(event, type, range, profileId);
      // Both outages lie in every range that has entries (all of them today).
      if (counts) {
        EXPECT_EQ(counts->second, 2) << type << " " << range;
      }
    }
  }

  // The summary of all devices: the port is up.
  WriteReportSettings(3, 0);
  fs::remove(Report());
  ASSERT_EQ(Run(event), PLUGIN_DONE);
  EXPECT_TRUE(ValidHtml(Report()));
  const auto values = Values(ReadFile(Report()));
  ASSERT_EQ(values.count("Var_Alert_Status"), 1u);
  EXPECT_EQ(values.at("Var_Alert_Status"), std::vector<std::string>{"UP"});
  EXPECT_EQ(values.at("Var_Alert_Host_Device"), std::vector<std::string>{"127.0.0.1"});
  EXPECT_EQ(values.at("Var_Alert_Num_Profiles").front(), "1");

  ASSERT_EQ(host_.Function<PFN_ShutDown>(kAlertingKind, PF_SHUT_DOWN)(), PLUGIN_DONE);
}

// A status log with time stamps the test chooses around now: entries of last
// month, of yesterday and of today, another profile's among them, a restart
// (GOODBYE, HELLO) and a HELLO without GOODBYE, and more than fifty entries of
// today, so that every time range keeps a different part.
TEST_F(ReportStatisticsTest, EveryTimeRangeOfAChosenLogKeepsItsPartAndCountsIt) {
  program_.dir().write("qvm_alrt/datfiles/lert0000.amp",
                       "[Profile]\nDescription=Chosen log\nProfileID=700\n[Monitor]\nHostName=h1\nMonitorType=PING\n");
  const long now = static_cast<long>(std::time(nullptr));
  const time_t today = now;
  std::tm fields{};
  gmtime_r(&today, &fields);
  const long midnight = now - fields.tm_hour * 3600 - fields.tm_min * 60 - fields.tm_sec;
  const long monthStart = midnight - (fields.tm_mday - 1) * 86400L;
  std::string log;
  auto add = [&log](long when, const char* event, const char* state, const char* id) {
    std::vector<QVLS_FIELD> entry = {{1, "BOX"}, {4, ""}};
    std::snprintf(entry[1].text, sizeof entry[1].text, "%s", event);
    if (state[0] != '\0') {
      entry.push_back({5, ""});
      std::snprintf(entry.back().text, sizeof entry.back().text, "%s", state);
    }
    if (id[0] != '\0') {
      entry.push_back({8, ""});
      std::snprintf(entry.back().text, sizeof entry.back().text, "%s", id);
    }
    log += qvls::EncodeEntry(entry.data(), static_cast<int>(entry.size()), static_cast<uint32_t>(when));
  };
  // Last month (ten days before this month began): up, down, up.
  const long last = monthStart - 10 * 86400L;
  add(last, "HELLO", "", "");
  add(last + 5, "INIT", "UP", "700");
  add(last + 600, "STATUS", "DOWN", "700");
  add(last + 610, "DOWN", "Host down", "700");
  add(last + 1500, "STATUS", "UP", "700");
  add(last + 1600, "STATUS", "DOWN", "701");  // another profile
  add(last + 4000, "GOODBYE", "", "");
  // Yesterday: a restart, an outage, a HELLO without a GOODBYE before it.
  const long yesterday = midnight - 12 * 3600L;
  add(yesterday, "HELLO", "", "");
  add(yesterday + 10, "INIT", "DOWN", "700");
  add(yesterday + 700, "STATUS", "UP", "700");
  add(yesterday + 900, "HELLO", "", "");
  add(yesterday + 910, "INIT", "UP", "700");
  // Sixty changes ten to forty seconds apart, the last of them some minutes ago.
  long at = now - 1700;
  for (int i = 0; i < 60; ++i) {
    add(at, "STATUS", i % 2 == 0 ? "DOWN" : "UP", "700");
    at += 10 + 10 * (i % 4);
  }
  program_.dir().write("qvm_alrt/QVM_ALRT.LOG", log);
  WriteEvent(Report());
  WriteReportSettings(1, 0);
  ASSERT_NE(Bind(), nullptr);
  SCHEDULE_EVENT* event = Event();
  ASSERT_NE(event, nullptr);
  for (int type = 1; type <= 2; ++type) {
    for (int range = 0; range <= 5; ++range) {
      const auto counts = CheckReport(event, type, range, "700");
      // Every range holds something of the profile here.
      EXPECT_TRUE(counts.has_value()) << type << " " << range;
    }
  }
}

}  // namespace
