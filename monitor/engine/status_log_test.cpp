// Status-log entries and the engine's calendar texts.
#include "status_log.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstddef>
#include <ctime>

#include "clock_text.h"
#include "engine_test_support.h"

namespace {

using enginetest::Entry;
using enginetest::FieldTypes;
using enginetest::ReadLog;

TEST(ClockTextTest, CalendarTextMatchesTheClassicFormatInLocalTime) {
  for (time_t when : {time_t{0}, time_t{86400 * 3 + 5}, time_t{1'000'000'000}, time_t{1'700'000'123}}) {
    char text[32];
    CalendarText(when, text);
    EXPECT_STREQ(text, std::ctime(&when)) << when;
    unsigned hour = 99, minute = 99, second = 99;
    ASSERT_TRUE(ClockOfDay(when, &hour, &minute, &second));
    const std::tm* local = std::localtime(&when);
    EXPECT_EQ(hour, static_cast<unsigned>(local->tm_hour));
    EXPECT_EQ(minute, static_cast<unsigned>(local->tm_min));
    EXPECT_EQ(second, static_cast<unsigned>(local->tm_sec));
  }
  char text[32];
  CalendarText(time_t{-5}, text);
  EXPECT_STREQ(text, "");
}

TEST(StatusLogTest, EntriesCarryTheirFieldsInOrder) {
  qvtest::TempDir dir{"qvstatuslog"};
  StatusLog log(dir.file("qvm_alrt.log"), "operator");
  StatusLogSubject device;
  device.host = "mail.example.com";
  device.kindName = "SMTP";
  device.profileId = 4242;
  device.statusCode = 1;
  device.statusText = "Down / Verifying";

  log.Hello();
  log.Goodbye();
  log.InitDisabled(device);
  log.StatusResult(device, true, "0 OK");
  log.Alert(device, false, "3 Refused", {"email a@b.c", "audio Beep", "alph_page 555"}, 1'700'000'000);
  log.Alert(device, true, "0 OK", {}, 1'700'000'000);

  const std::vector<Entry> entries = ReadLog(dir.file("qvm_alrt.log"));
  ASSERT_EQ(entries.size(), 6u);
  EXPECT_EQ(FieldTypes(entries[0]), (std::vector<long>{1, 4, 9}));
  EXPECT_EQ(entries[0][1].second, "HELLO");
  EXPECT_EQ(entries[0][2].second, "operator");
  // Field 1 is the machine's host name as the system has it, not a cut,
  // upper-cased form of it.
  char machine[257] = "";
  ASSERT_EQ(gethostname(machine, std::size_t{256}), 0);
  EXPECT_EQ(entries[0][0].second, machine);
  EXPECT_EQ(entries[1][1].second, "GOODBYE");
  EXPECT_EQ(FieldTypes(entries[2]), (std::vector<long>{1, 2, 3, 4, 5, 6, 8, 10}));
  EXPECT_EQ(entries[2][4].second, "DISABLED");
  EXPECT_EQ(entries[2][6].second, "4242");
  EXPECT_EQ(entries[2][7].second, "1 Down / Verifying");
  EXPECT_EQ(entries[3][4].second, "UP");
  EXPECT_EQ(entries[3][5].second, "Down / Verifying");

  EXPECT_EQ(FieldTypes(entries[4]), (std::vector<long>{1, 2, 3, 4, 5, 6, 6, 6, 7, 8, 10}));
  EXPECT_EQ(entries[4][3].second, "DOWN");
  EXPECT_EQ(entries[4][4].second, "3 Refused");
  EXPECT_EQ(entries[4][7].second, "alph_page 555");
  time_t when = 1'700'000'000;
  std::string date = std::ctime(&when);
  date.pop_back();  // the date text ends at its newline
  EXPECT_EQ(entries[4][8].second, "1700000000 " + date);
  EXPECT_EQ(FieldTypes(entries[5]), (std::vector<long>{1, 2, 3, 4, 5, 7, 8, 10}));

  // An unwritable log is no failure of the caller's.
  StatusLog nowhere(dir.file("no/such/dir/x.log"), "");
  nowhere.Hello();
}

}  // namespace
