#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "panel_state.h"

namespace {

TEST(ReportProgramsTest, FormatsByExtension) {
  EXPECT_EQ(ReportFormatFromExtension("C:\\r\\Week.htm"), 0);
  EXPECT_EQ(ReportFormatFromExtension("week.HTML"), 0);
  EXPECT_EQ(ReportFormatFromExtension("week.Doc"), 1);
  EXPECT_EQ(ReportFormatFromExtension("week.xls"), 2);
  EXPECT_EQ(ReportFormatFromExtension("week.cma"), 3);
  EXPECT_EQ(ReportFormatFromExtension("week.txt"), 4);
  EXPECT_EQ(ReportFormatFromExtension("week.pdf"), 6);
  EXPECT_EQ(ReportFormatFromExtension("a.x"), 6);
  EXPECT_EQ(ReportFormatFromExtension("htm"), 6);
  EXPECT_EQ(ReportFormatFromExtension("report"), 6);
  EXPECT_EQ(ReportFormatFromExtension(nullptr), 6);
}

class LaunchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    qvp::SetProcessLauncher([this](const qvp::ProcessLaunch& launch) {
      launches_.push_back(launch.argv);
      return qvp::LaunchResult{0, -1};
    });
  }
  void TearDown() override { qvp::SetProcessLauncher(nullptr); }
  std::vector<std::vector<std::string>> launches_;
};

TEST_F(LaunchTest, TheReportIsOneArgumentWhateverItsName) {
  ASSERT_TRUE(LaunchExcelOnReport("/bin/true", "C:\\Reports\\a b;$(rm -rf x)&.xls"));
  ASSERT_EQ(launches_.size(), 1u);
  EXPECT_EQ(launches_[0], (std::vector<std::string>{"/bin/true", "C:\\Reports\\a b;$(rm -rf x)&.xls"}));
}

TEST_F(LaunchTest, ANameThatWouldEndItsQuotesIsRefused) {
  EXPECT_FALSE(LaunchExcelOnReport("/bin/true", "a\" /x \".xls"));
  EXPECT_TRUE(launches_.empty());
}

}  // namespace
