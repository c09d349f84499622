// A user on a screen makes a database profile: in the built quorvane with the
// monitoring plug-in on a private X server, Browse on the ODBC page shows the
// data-source chooser over a SQLite data source; the user picks it with a
// login, and a second Browse cancelled changes nothing.
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "qv_ui.h"
#include "screen_session.h"

namespace {

constexpr char kSqliteDriver[] = "/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so";
constexpr char kWizardTitle[] = "Add Monitoring and Alerting Profile - Description and Monitor Type";
constexpr char kChooserTitle[] = "Select Data Source";

class OdbcChooserOnScreen : public qvtest::ScreenTest {
 protected:
  OdbcChooserOnScreen()
      : ScreenTest({.folder = "qvodbcscreen",
                    .modules = qvtest::kMonitoringPlugIn,
                    .folders = {"snapshots", "odbc"},
                    .tools = {{kSqliteDriver, "libsqliteodbc"}}}) {}
  void Prepare() override {
    root_.write("odbc/odbcinst.ini", std::string("[QvSQLite3]\nDescription=SQLite 3\nDriver=") + kSqliteDriver + "\n");
    root_.write("odbc/odbc.ini", "[Sales]\nDriver=QvSQLite3\nDatabase=" + Path("odbc/sales.db").string() + "\n");
  }
};

TEST_F(OdbcChooserOnScreen, BrowseOffersTheDataSourceFillsTheFieldsAndCancelChangesNothing) {
  const std::string odbc = Path("odbc").string();
  const unsigned long panel = StartToPanel({"ODBCSYSINI=" + odbc, "ODBCINI=" + odbc + "/odbc.ini", Snapshots()});
  ASSERT_NE(panel, 0u) << program_->Output();
  const RECT g = server_->Geometry(panel);
  ASSERT_EQ(Click(g.left + 4 + 36, g.top + 41 + 22), 0);  // New: the toolbar's first button
  ASSERT_NE(Focus(kWizardTitle), 0u) << program_->Output();  // the keys go to the wizard

  Type("Sales database");
  Key("Tab");
  Key("Up");  // the sorted kind list shows Ping; ODBC is just above it
  Key("alt+n");
  // The ODBC page: the data source field has the focus, Browse is next.
  Key("Tab");
  Key("space");
  const unsigned long chooser = WaitForWindow(kChooserTitle);
  ASSERT_NE(chooser, 0u) << "the data-source chooser did not show\n" << program_->Output().substr(0, 4000);
  // The list has the focus with the only data source chosen.
  Key("Tab");
  Type("alice");
  Key("Tab");
  Type("se;c}ret");  // a value the connection string must brace
  Key("Return");
  ASSERT_TRUE(WaitUntilClosed(kChooserTitle));

  // Again, and cancelled: the fields keep what the first choice put there. Closing
  // the chooser gave the focus back to Browse.
  Key("space");
  ASSERT_NE(WaitForWindow(kChooserTitle), 0u) << program_->Output();
  Key("Escape");
  ASSERT_TRUE(WaitUntilClosed(kChooserTitle));

  Key("alt+n");   // the Audio page
  Key("alt+n");   // the E-Mail page
  Key("alt+n");   // the Pager page
  Key("Return");  // Finish

  ASSERT_TRUE(WaitForFile(Path("program/qvm_alrt/datfiles/lert0000.amp"))) << program_->Output().substr(0, 4000);
  const std::string text = ReadProgramFile("qvm_alrt/datfiles/lert0000.amp");
  const auto value = [&](const std::string& key) { return qvtest::SettingIn(text, "Monitor", key); };
  EXPECT_EQ(value("MonitorType"), "ODBC") << text;
  EXPECT_EQ(value("HostName"), "Sales");
  EXPECT_EQ(value("UserName"), "alice");
  char password[165] = {};
  ASSERT_TRUE(QVUI_DecryptPassword(value("Password").c_str(), password, sizeof password));
  EXPECT_STREQ(password, "se;c}ret");
  EXPECT_TRUE(std::filesystem::exists(Path("snapshots/dialog_17000.png")));
}

}  // namespace
