// Remote commands for schedule events: offered to the plug-ins of each
// event's kind on the GUI thread, whoever calls.
#include "remote_command.h"

#include <gtest/gtest.h>

#include <thread>

#include "host_tables.h"
#include "test_plugins.h"

namespace {

class RemoteCommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    logs_.type = 1;
    alerts_.type = 4;
    for (SCHEDULE_EVENT* e : {&e1_, &e2_, &e3_, &e4_}) e->active = 1;
    e1_.profile = &alerts_;
    e1_.key = &k1_;
    e2_.profile = &alerts_;
    e2_.key = &k2_;
    e3_.profile = &logs_;
    e3_.key = &k1_;
    e4_.profile = &alerts_;
    e4_.key = &k2_;
  }
  void TearDown() override {
    DestroyRemoteCommandWindow();
    FreeScheduleTable();
  }
  void AddAll() {
    for (SCHEDULE_EVENT* e : {&e1_, &e2_, &e3_, &e4_}) ASSERT_EQ(HostAddScheduledEvent(e), PLUGIN_DONE);
  }
  static std::vector<SCHEDULE_EVENT*> Events() {
    return std::vector<SCHEDULE_EVENT*>(ScheduleTable.events, ScheduleTable.events + ScheduleTable.count);
  }

  PROFILE logs_{};
  PROFILE alerts_{};
  int k1_ = 0, k2_ = 0;
  SCHEDULE_EVENT e1_{}, e2_{}, e3_{}, e4_{};
  SCHEDULE_EVENT orphan_{};
};

TEST_F(RemoteCommandTest, FromAServerThreadOnlyAcceptedEventsGoAndTheWorkRunsOnTheGuiThread) {
  FakePlugins fakes({{1, "Logs", {PF_REMOTE_COMMAND, PF_DELETE_SCHEDULED_EVENT}},
                     {4, "Alerting", {PF_REMOTE_COMMAND, PF_DELETE_SCHEDULED_EVENT}}});
  g_fakes[1].acceptKeys = {&k2_};
  CreateRemoteCommandWindow();
  AddAll();

  HANDLE done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  ASSERT_NE(done, nullptr);
  DWORD serverThread = 0;
  std::thread server([&] {
    serverThread = GetCurrentThreadId();
    OfferRemoteCommandToPlugins("reports\\alice\\Weekly");
    SetEvent(done);
  });
  // The GUI thread serves the command while it waits for messages.
  while (MsgWaitForMultipleObjects(1, &done, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0) {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
  }
  server.join();
  CloseHandle(done);

  EXPECT_EQ(Events(), (std::vector<SCHEDULE_EVENT*>{&e1_, &e3_}));
  // Last event first; each asked only of the plug-ins of its kind.
  EXPECT_EQ(g_fakes[1].deleted, (std::vector<SCHEDULE_EVENT*>{&e4_, &e2_}));
  EXPECT_EQ(g_fakes[1].remoteTexts.size(), 3u);
  EXPECT_EQ(g_fakes[0].remoteTexts, std::vector<std::string>{"~reports/alice/Weekly"});
  EXPECT_TRUE(g_fakes[0].deleted.empty());
  for (const auto& fake : {g_fakes[0], g_fakes[1]}) {
    for (DWORD thread : fake.remoteThreads) {
      EXPECT_EQ(thread, GetCurrentThreadId());
      EXPECT_NE(thread, serverThread);
    }
  }
}

TEST_F(RemoteCommandTest, OnTheGuiThreadItRunsDirectlyAndNeverOffersARemovedEvent) {
  FakePlugins fakes({{4, "Alerting", {PF_REMOTE_COMMAND, PF_DELETE_SCHEDULED_EVENT}},
                     {4, "Second", {PF_REMOTE_COMMAND}}});
  g_fakes[0].acceptKeys = {&k2_};
  g_fakes[1].acceptKeys = {&k1_};
  // Deleting e4 makes the plug-in drop e2 through callback 12 as well.
  g_fakes[0].onDelete = [&](SCHEDULE_EVENT* event) {
    if (event == &e4_) HostRemoveScheduledEvent(&e2_);
  };
  CreateRemoteCommandWindow();
  AddAll();
  OfferRemoteCommandToPlugins("x");
  // e4 accepted by the first plug-in, e2 left with it; e1 accepted by the
  // second plug-in of the kind; e3's kind takes no remote commands.
  EXPECT_EQ(Events(), std::vector<SCHEDULE_EVENT*>{&e3_});
  EXPECT_EQ(g_fakes[0].deleted, (std::vector<SCHEDULE_EVENT*>{&e4_, &e1_}));
  EXPECT_EQ(g_fakes[0].remoteTexts, (std::vector<std::string>{"~x", "~x"}));
  EXPECT_EQ(g_fakes[1].remoteTexts, std::vector<std::string>{"~x"});
}

TEST_F(RemoteCommandTest, ACommandArrivingInsideAScheduleRebuildWaitsForItsEnd) {
  FakePlugins fakes({{4, "Alerting", {PF_FIND_SCHEDULED_EVENT, PF_REMOTE_COMMAND, PF_DELETE_SCHEDULED_EVENT}}});
  g_fakes[0].acceptKeys = {&k2_};
  g_fakes[0].events = {&e1_, &orphan_, &e2_};
  ASSERT_EQ(HostAddScheduledEvent(&e2_), PLUGIN_DONE);
  CreateRemoteCommandWindow();
  // The plug-in pumps messages while it enumerates: the command comes in then.
  bool offeredDuringRebuild = false;
  {
    SchedulerLock lock;
    g_fakes[0].onFind = [&, first = true]() mutable {
      if (first) OfferRemoteCommandToPlugins("late");
      first = false;
      offeredDuringRebuild |= !g_fakes[0].remoteTexts.empty();
    };
    // The event without an owner row is left out.
    EXPECT_EQ(RebuildSchedule(nullptr), 2);
  }
  EXPECT_FALSE(offeredDuringRebuild);
  EXPECT_EQ(g_fakes[0].remoteTexts, (std::vector<std::string>{"~late", "~late"}));
  EXPECT_EQ(g_fakes[0].deleted, std::vector<SCHEDULE_EVENT*>{&e2_});
  EXPECT_EQ(Events(), std::vector<SCHEDULE_EVENT*>{&e1_});
}

TEST_F(RemoteCommandTest, WithoutBoundPluginsNothingIsOffered) {
  FakePlugins fakes({{4, "Alerting", {PF_REMOTE_COMMAND, PF_DELETE_SCHEDULED_EVENT}}});
  g_fakes[0].acceptKeys = {&k1_, &k2_};
  AddAll();
  std::thread server([] { OfferRemoteCommandToPlugins("x"); });
  server.join();
  OfferRemoteCommandToPlugins(nullptr);
  EXPECT_EQ(Events().size(), 4u);
  EXPECT_TRUE(g_fakes[0].remoteTexts.empty());
}

}  // namespace
