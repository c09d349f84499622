#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "alert_plugin.h"
#include "fake_device_list.h"
#include "test_files.h"

namespace {

using qvtest::SectionLines;

// What a sheet run did: the sheets shown, and what the "user" did on each.
struct SheetScript {
  std::vector<PropertySheetSetup> shown;
  // One step per sheet run; none left: the sheet is cancelled.
  std::vector<std::function<void(CMonitorProfile*)>> steps;

  SheetRunner Runner() {
    return [this](const PropertySheetSetup& sheet) {
      shown.push_back(sheet);
      if (shown.size() > steps.size()) return;
      steps[shown.size() - 1](reinterpret_cast<CMonitorProfile*>(sheet.pageParam));
    };
  }
};

void Accept(CMonitorProfile* profile) { profile->SetSaved(true); }

class AlertPluginTest : public ::testing::Test {
 protected:
  void Start() {
    plugin_ = std::make_unique<CAlertPlugin>(nullptr, dir_.dir().c_str());
    plugin_->SetDeviceList(&devices_);
    plugin_->SetSheetRunner(sheets_.Runner());
  }
  void TearDown() override {
    if (plugin_) plugin_->SetDeviceList(nullptr);
    EXPECT_TRUE(qvp::TakeUnexpectedPrompts().empty());
  }
  std::string Profile(const std::string& name, const std::string& description, const std::string& more = "") {
    dir_.write("qvm_alrt/datfiles/" + name, "[Profile]\nDescription=" + description + "\n" + more);
    return dir_.file("qvm_alrt/datfiles/" + name);
  }
  std::vector<PROFILE*> Enumerate() {
    std::vector<PROFILE*> rows;
    PROFILE* previous = nullptr;
    PROFILE* out = nullptr;
    while (plugin_->FindProfile(nullptr, previous, nullptr, &out) == PLUGIN_DONE) {
      rows.push_back(out);
      previous = out;
    }
    return rows;
  }

  qvtest::TempDir dir_{"qvplugin"};
  FakeDeviceList devices_;
  SheetScript sheets_;
  std::unique_ptr<CAlertPlugin> plugin_;
};

TEST_F(AlertPluginTest, FirstStartMakesTheDirectoriesAndTheSettingsFile) {
  Start();
  EXPECT_TRUE(dir_.exists("qvm_alrt/datfiles"));
  EXPECT_TRUE(dir_.exists("qvm_alrt/queue"));
  EXPECT_EQ(SectionLines(dir_.read("qvm_alrt/qvm_alrt.ini"), "General"),
            (std::vector<std::string>{"DefaultAlertWave=alarm.wav", "AlertRetryCount=3", "GenerateStartupAlerts=1",
                                      "MajorVersion=1", "MinorVersion=1"}));
  EXPECT_EQ(qvtest::SectionNames(dir_.read("qvm_alrt/qvm_alrt.ini")), std::vector<std::string>{"General"});
  EXPECT_EQ(plugin_->GetAlertRetryCount(), 3);
  EXPECT_TRUE(plugin_->GetGenerateStartupAlerts());
  EXPECT_TRUE(plugin_->GetProfiles().empty());
  EXPECT_EQ(std::string(plugin_->GetHelpFile()), dir_.dir() + "help\\english\\qvm_alrt.hlp");
  EXPECT_TRUE(plugin_->CloseOptionSheet(1));
  EXPECT_FALSE(plugin_->CloseOptionSheet(0));
}

TEST_F(AlertPluginTest, AnExistingSettingsFileIsReadAndItsStampKept) {
  const std::string ini = "[General]\nAlertRetryCount=5\nGenerateStartupAlerts=0\nMajorVersion=1\nMinorVersion=2\n";
  dir_.write("qvm_alrt/qvm_alrt.ini", ini);
  dir_.write("qvm_alrt/queue/lert0000.aap", "audio");
  dir_.write("qvm_alrt/queue/lert0001.eap", "mail");
  Start();
  EXPECT_EQ(dir_.read("qvm_alrt/qvm_alrt.ini"), ini);
  EXPECT_EQ(plugin_->GetAlertRetryCount(), 5);
  EXPECT_FALSE(plugin_->GetGenerateStartupAlerts());
  EXPECT_FALSE(dir_.exists("qvm_alrt/queue/lert0000.aap"));  // pending sounds do not survive a restart
  EXPECT_TRUE(dir_.exists("qvm_alrt/queue/lert0001.eap"));
}

TEST_F(AlertPluginTest, OldStampIsRaised) {
  dir_.write("qvm_alrt/qvm_alrt.ini", "[General]\nMajorVersion=1\nMinorVersion=0\nThread=4\n");
  Start();
  EXPECT_EQ(SectionLines(dir_.read("qvm_alrt/qvm_alrt.ini"), "General"),
            (std::vector<std::string>{"MajorVersion=1", "MinorVersion=1", "Thread=4"}));
}

TEST_F(AlertPluginTest, EnumerationHandsOutOneRowPerProfileThenNoMore) {
  Profile("lert0002.amp", "Second", "[Monitor]\nHostName=b.example\n");
  Profile("lert0000.amp", "First");
  dir_.write("qvm_alrt/datfiles/notes.txt", "not a profile");
  Start();
  ASSERT_EQ(plugin_->GetProfiles().size(), 2u);
  const std::vector<PROFILE*> rows = Enumerate();
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_STREQ(rows[0]->description, "First");
  EXPECT_STREQ(rows[0]->host, "N/A");
  EXPECT_STREQ(rows[1]->description, "Second");
  EXPECT_STREQ(rows[1]->host, "b.example");
  EXPECT_EQ(rows[1]->key, plugin_->GetProfiles()[1]);
  EXPECT_EQ(plugin_->GetProfiles()[1]->GetRow(), rows[1]);

  // A rebuild refills the rows it is given; a foreign row is not written to.
  PROFILE foreign{};
  PROFILE* out = nullptr;
  ASSERT_EQ(plugin_->FindProfile(nullptr, nullptr, rows[1], &out), PLUGIN_DONE);
  EXPECT_EQ(out, rows[1]);
  EXPECT_STREQ(out->description, "First");
  EXPECT_EQ(plugin_->GetProfiles()[1]->GetRow(), nullptr);  // the row now shows the first profile
  ASSERT_EQ(plugin_->FindProfile(nullptr, out, &foreign, &out), PLUGIN_DONE);
  EXPECT_NE(out, &foreign);
  EXPECT_STREQ(foreign.description, "");
  EXPECT_EQ(plugin_->FindProfile(nullptr, out, nullptr, &out), PLUGIN_NO_MORE);
  EXPECT_EQ(plugin_->GetRowCount(), 3u);
}

TEST_F(AlertPluginTest, NoProfilesNoRows) {
  Start();
  PROFILE* out = reinterpret_cast<PROFILE*>(1);
  EXPECT_EQ(plugin_->FindProfile(nullptr, nullptr, nullptr, &out), PLUGIN_NO_MORE);
  EXPECT_EQ(out, nullptr);
}

TEST_F(AlertPluginTest, ANewProfileTakesTheFirstFreeFileName) {
  Profile("lert0000.amp", "Zero");
  Profile("lert0002.amp", "Two");
  Start();
  sheets_.steps = {[](CMonitorProfile* profile) {
    profile->SetDescription("New one");
    profile->GetSettings()->SetHostName("new.example");
    Accept(profile);
  }};
  PROFILE* out = nullptr;
  ASSERT_EQ(plugin_->AddProfile(nullptr, nullptr, &out), PLUGIN_DONE);
  ASSERT_NE(out, nullptr);
  const std::string expected = plugin_->GetProfileDirectory() + std::string("\\lert0001.amp");
  EXPECT_STREQ(out->profileFile, expected.c_str());
  EXPECT_TRUE(dir_.exists("qvm_alrt/datfiles/lert0001.amp"));
  EXPECT_STREQ(out->description, "New one");
  EXPECT_STREQ(out->host, "new.example");
  ASSERT_EQ(plugin_->GetProfiles().size(), 3u);
  EXPECT_EQ(plugin_->GetProfiles().back(), out->key);
  EXPECT_EQ(devices_.calls, std::vector<std::string>{"add"});
  // The wizard showed every page, each handed the new profile.
  ASSERT_EQ(sheets_.shown.size(), 1u);
  EXPECT_EQ(sheets_.shown[0].kind, SheetKind::kWizard);
  EXPECT_EQ(sheets_.shown[0].pageCount, 22);
  EXPECT_EQ(sheets_.shown[0].pages[MONITOR_DNS].templateId, 16020);
  EXPECT_EQ(sheets_.shown[0].pageParam, reinterpret_cast<LPARAM>(out->key));
}

TEST_F(AlertPluginTest, ACancelledWizardLeavesNoFileAndNoRow) {
  Start();
  PROFILE* out = reinterpret_cast<PROFILE*>(1);
  EXPECT_EQ(plugin_->AddProfile(nullptr, nullptr, &out), PLUGIN_FAILED);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(plugin_->GetRowCount(), 0u);
  EXPECT_TRUE(plugin_->GetProfiles().empty());
  EXPECT_FALSE(dir_.exists("qvm_alrt/datfiles/lert0000.amp"));
  EXPECT_TRUE(devices_.calls.empty());
}

TEST_F(AlertPluginTest, ACopyGetsItsOwnFileIdAndRow) {
  Profile("lert0000.amp", "Web", "[Monitor]\nMonitorType=HTTP\nHostName=web\n");
  Start();
  PROFILE* source = Enumerate().at(0);
  const std::string sourceText = dir_.read("qvm_alrt/datfiles/lert0000.amp");
  sheets_.steps = {Accept};
  PROFILE* out = nullptr;
  ASSERT_EQ(plugin_->CopyProfile(nullptr, source, &out), PLUGIN_DONE);
  ASSERT_NE(out, nullptr);
  EXPECT_NE(out, source);
  EXPECT_NE(out->key, source->key);
  EXPECT_STREQ(out->description, "Copy of Web");
  EXPECT_STREQ(out->host, "web");
  EXPECT_TRUE(dir_.exists("qvm_alrt/datfiles/lert0001.amp"));
  EXPECT_EQ(dir_.read("qvm_alrt/datfiles/lert0000.amp"), sourceText);  // the source's file is untouched
  const auto* copy = static_cast<CMonitorProfile*>(out->key);
  const auto* original = static_cast<CMonitorProfile*>(source->key);
  EXPECT_NE(copy->GetProfileID(), original->GetProfileID());
  EXPECT_NE(dir_.read("qvm_alrt/datfiles/lert0001.amp").find("ProfileID=" + std::to_string(copy->GetProfileID())),
            std::string::npos);
  ASSERT_EQ(sheets_.shown.size(), 1u);
  EXPECT_EQ(sheets_.shown[0].kind, SheetKind::kEdit);
  EXPECT_EQ(sheets_.shown[0].pages[1].templateId, 16013);  // the HTTP page
  EXPECT_EQ(std::string(source->profileFile), plugin_->GetProfileDirectory() + std::string("\\lert0000.amp"));

  // A long description is cut with the prefix.
  plugin_->GetProfiles()[0]->SetDescription(std::string(79, 'w').c_str());
  sheets_.steps.push_back(Accept);
  ASSERT_EQ(plugin_->CopyProfile(nullptr, source, &out), PLUGIN_DONE);
  EXPECT_EQ(std::string(out->description), "Copy of " + std::string(71, 'w'));

  // A cancelled copy leaves nothing behind.
  EXPECT_EQ(plugin_->CopyProfile(nullptr, source, &out), PLUGIN_FAILED);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(plugin_->GetProfiles().size(), 3u);
  EXPECT_FALSE(dir_.exists("qvm_alrt/datfiles/lert0003.amp"));
}

TEST_F(AlertPluginTest, WithNoFileNameLeftAddingAndCopyingSayNo) {
  Profile("lert0000.amp", "Only");
  Start();
  PROFILE* source = Enumerate().at(0);
  for (int n = 1; n <= 9999; ++n) {
    char name[32];
    std::snprintf(name, sizeof name, "qvm_alrt/datfiles/lert%04d.amp", n);
    dir_.write(name, "");
  }
  qvp::PromptScript prompts;
  prompts.ExpectMessageBox("No free profile file name", IDOK);
  prompts.ExpectMessageBox("No free profile file name", IDOK);
  sheets_.steps = {Accept, Accept};
  PROFILE* out = reinterpret_cast<PROFILE*>(1);
  EXPECT_EQ(plugin_->AddProfile(nullptr, nullptr, &out), PLUGIN_FAILED);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(plugin_->CopyProfile(nullptr, source, &out), PLUGIN_FAILED);
  EXPECT_EQ(prompts.Pending(), 0u);
  EXPECT_TRUE(sheets_.shown.empty());  // told before any typing
  EXPECT_EQ(plugin_->GetProfiles().size(), 1u);
  EXPECT_EQ(plugin_->GetRowCount(), 1u);
}

TEST_F(AlertPluginTest, ANameTakenWhileTheWizardRunsIsReportedToo) {
  Start();
  sheets_.steps = {[this](CMonitorProfile* profile) {
    for (int n = 0; n <= 9999; ++n) {
      char name[32];
      std::snprintf(name, sizeof name, "qvm_alrt/datfiles/lert%04d.amp", n);
      dir_.write(name, "");
    }
    Accept(profile);
  }};
  qvp::PromptScript prompts;
  prompts.ExpectMessageBox("No free profile file name", IDOK);
  PROFILE* out = nullptr;
  EXPECT_EQ(plugin_->AddProfile(nullptr, nullptr, &out), PLUGIN_FAILED);
  EXPECT_EQ(prompts.Pending(), 0u);
  EXPECT_TRUE(plugin_->GetProfiles().empty());
  EXPECT_EQ(plugin_->GetRowCount(), 0u);
}

TEST_F(AlertPluginTest, DeletingRemovesTheFileTheDeviceAndTheRow) {
  Profile("lert0000.amp", "Keep");
  Profile("lert0001.amp", "Drop");
  Start();
  std::vector<PROFILE*> rows = Enumerate();
  devices_.AddDevice(static_cast<CMonitorProfile*>(rows[1]->key));
  devices_.calls.clear();
  EXPECT_EQ(plugin_->DeleteProfile(nullptr, rows[1]), PLUGIN_DONE);
  EXPECT_FALSE(dir_.exists("qvm_alrt/datfiles/lert0001.amp"));
  EXPECT_TRUE(dir_.exists("qvm_alrt/datfiles/lert0000.amp"));
  EXPECT_EQ(devices_.calls, std::vector<std::string>{"remove"});
  EXPECT_TRUE(devices_.devices.empty());
  EXPECT_EQ(plugin_->GetRowCount(), 1u);
  rows = Enumerate();
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_STREQ(rows[0]->description, "Keep");

  PROFILE stale{};
  stale.key = &stale;
  EXPECT_EQ(plugin_->DeleteProfile(nullptr, &stale), PLUGIN_FAILED);
  EXPECT_EQ(plugin_->DeleteProfile(nullptr, nullptr), PLUGIN_FAILED);
}

TEST_F(AlertPluginTest, ACancelledEditRefillsTheRowFromTheFile) {
  Profile("lert0000.amp", "Before", "[Monitor]\nHostName=host\nPortID=80\n");
  Start();
  PROFILE* row = Enumerate().at(0);
  devices_.AddDevice(static_cast<CMonitorProfile*>(row->key));
  devices_.calls.clear();
  sheets_.steps = {[](CMonitorProfile* profile) { profile->SetDescription("Typed but cancelled"); }};
  row->state = 9;
  PROFILE* out = nullptr;
  EXPECT_EQ(plugin_->EditProfile(nullptr, row, &out), PLUGIN_DONE);
  EXPECT_EQ(out, row);
  EXPECT_STREQ(row->description, "Before");
  EXPECT_EQ(row->state, 0);
  EXPECT_EQ(devices_.calls, (std::vector<std::string>{"hold", "release"}));
}

TEST_F(AlertPluginTest, ChangingTheTargetAsksToFlushTheLog) {
  Profile("lert0000.amp", "Site", "[Profile]\n[Monitor]\nHostName=host\nPortID=80\nMonitorType=HTTP\n");
  Start();
  PROFILE* row = Enumerate().at(0);
  auto* profile = static_cast<CMonitorProfile*>(row->key);
  devices_.AddDevice(profile);
  devices_.calls.clear();

  // Only the description: no question.
  sheets_.steps = {[](CMonitorProfile* p) {
    p->SetDescription("Renamed");
    Accept(p);
  }};
  PROFILE* out = nullptr;
  ASSERT_EQ(plugin_->EditProfile(nullptr, row, &out), PLUGIN_DONE);
  EXPECT_STREQ(row->description, "Renamed");
  EXPECT_NE(dir_.read("qvm_alrt/datfiles/lert0000.amp").find("Description=Renamed"), std::string::npos);
  EXPECT_EQ(devices_.calls, (std::vector<std::string>{"hold", "update", "release"}));

  // The port: asked; Yes gives a new id and an INIT entry under the old one.
  const uint32_t oldId = profile->GetProfileID();
  sheets_.steps.push_back([](CMonitorProfile* p) {
    p->GetSettings()->SetPortID(8080);
    Accept(p);
  });
  devices_.calls.clear();
  qvp::PromptScript prompts;
  qvp::ExpectedPrompt flush;
  flush.caption = "Flush History";
  flush.text_contains = "flush the log file";
  flush.answer.result = IDYES;
  prompts.Expect(flush);
  ASSERT_EQ(plugin_->EditProfile(nullptr, row, &out), PLUGIN_DONE);
  EXPECT_EQ(prompts.Pending(), 0u);
  EXPECT_NE(profile->GetProfileID(), oldId);
  EXPECT_EQ(devices_.calls, (std::vector<std::string>{"hold", "init " + std::to_string(oldId), "update", "release"}));
  EXPECT_NE(dir_.read("qvm_alrt/datfiles/lert0000.amp").find("ProfileID=" + std::to_string(profile->GetProfileID())),
            std::string::npos);
}

TEST_F(AlertPluginTest, ChangingTheKindReopensTheSheetWithAnEmptyTarget) {
  Profile("lert0000.amp", "Box", "[Monitor]\nHostName=host\nUserName=u\nPortID=21\nMonitorType=FTP\n");
  Start();
  PROFILE* row = Enumerate().at(0);
  sheets_.steps = {[](CMonitorProfile* p) {
                     p->GetSettings()->SetMonitorType(MONITOR_DNS);
                     p->SetTypeChanged(true);
                   },
                   [](CMonitorProfile* p) {
                     p->GetSettings()->SetHostName("ns.example");
                     Accept(p);
                   }};
  qvp::PromptScript prompts;
  prompts.ExpectMessageBox("flush the log file", IDNO);
  PROFILE* out = nullptr;
  ASSERT_EQ(plugin_->EditProfile(nullptr, row, &out), PLUGIN_DONE);
  ASSERT_EQ(sheets_.shown.size(), 2u);
  EXPECT_EQ(sheets_.shown[0].pages[1].templateId, 16012);  // FTP
  EXPECT_EQ(sheets_.shown[1].pages[1].templateId, 16020);  // DNS
  const CMonitorSettings* settings = static_cast<CMonitorProfile*>(row->key)->GetSettings();
  EXPECT_STREQ(settings->GetUserName(), "");
  EXPECT_EQ(settings->GetPortID(), 0);
  EXPECT_STREQ(row->host, "ns.example");
  EXPECT_NE(dir_.read("qvm_alrt/datfiles/lert0000.amp").find("MonitorType=DNS"), std::string::npos);
}

TEST_F(AlertPluginTest, ABrokenMonitorSectionLoadsWithDefaultsAndTheFileStaysAsItWas) {
  const std::string broken = "[Profile]\nDescription=Broken\n[Monitor\nPollTime=soon\nMonitorType=ping\ngarbage\n";
  dir_.write("qvm_alrt/datfiles/lert0000.amp", broken);
  Start();
  ASSERT_EQ(Enumerate().size(), 1u);
  const CMonitorSettings* settings = plugin_->GetProfiles()[0]->GetSettings();
  EXPECT_EQ(settings->GetMonitorType(), MONITOR_PING);
  EXPECT_EQ(settings->GetPollTime(), 5);
  EXPECT_TRUE(settings->GetUpAlarm());
  plugin_.reset();
  EXPECT_EQ(dir_.read("qvm_alrt/datfiles/lert0000.amp"), broken);
}

TEST_F(AlertPluginTest, EventsFindTheirProfileRowWithoutRegardToCase) {
  Profile("lert0001.amp", "One");
  Start();
  PROFILE* row = Enumerate().at(0);
  std::string upper = row->profileFile;
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  EXPECT_EQ(plugin_->FindProfileRowByFile(upper.c_str()), row);
  EXPECT_EQ(plugin_->FindProfileRowByFile("C:\\other\\lert0001.amp"), nullptr);
}

}  // namespace
