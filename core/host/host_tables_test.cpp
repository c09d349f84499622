// The two tables: growth and its failure, removal, rebuilds through the
// plug-ins' enumerations, and the removal of a profile's events.
#include "host_tables.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <thread>

#include "host_alloc.h"
#include "test_plugins.h"

namespace {

struct Rows {
  std::vector<std::unique_ptr<PROFILE>> owned;
  PROFILE* Add(int kind, const char* description, const char* file = "N/A", void* key = nullptr) {
    owned.push_back(std::make_unique<PROFILE>());
    PROFILE* row = owned.back().get();
    row->type = kind;
    std::snprintf(row->description, sizeof row->description, "%s", description);
    std::snprintf(row->profileFile, sizeof row->profileFile, "%s", file);
    row->key = key;
    return row;
  }
};

struct Events {
  std::vector<std::unique_ptr<SCHEDULE_EVENT>> owned;
  SCHEDULE_EVENT* Add(PROFILE* owner, void* key = nullptr) {
    owned.push_back(std::make_unique<SCHEDULE_EVENT>());
    SCHEDULE_EVENT* event = owned.back().get();
    event->profile = owner;
    event->active = 1;
    event->key = key;
    return event;
  }
};

std::vector<PROFILE*> TableRows() {
  return std::vector<PROFILE*>(ProfileTable.rows, ProfileTable.rows + ProfileTable.count);
}
std::vector<SCHEDULE_EVENT*> TableEvents() {
  return std::vector<SCHEDULE_EVENT*>(ScheduleTable.events, ScheduleTable.events + ScheduleTable.count);
}

void* NoMemory(void*, size_t) { return nullptr; }

class HostTablesTest : public ::testing::Test {
 protected:
  void TearDown() override {
    g_hostRealloc = std::realloc;
    FreeProfileTable();
    FreeScheduleTable();
  }
  Rows rows_;
  Events events_;
};

TEST_F(HostTablesTest, FailedGrowthLeavesBothTablesAsTheyWere) {
  PROFILE* a = rows_.Add(4, "A");
  SCHEDULE_EVENT* e = events_.Add(a);
  ASSERT_EQ(AppendProfile(a), PLUGIN_DONE);
  ASSERT_EQ(HostAddScheduledEvent(e), PLUGIN_DONE);
  PROFILE** rowsBefore = ProfileTable.rows;
  SCHEDULE_EVENT** eventsBefore = ScheduleTable.events;

  g_hostRealloc = NoMemory;
  EXPECT_EQ(HostAddProfile(rows_.Add(4, "B")), PLUGIN_FAILED);
  EXPECT_EQ(HostAddScheduledEvent(events_.Add(a)), PLUGIN_FAILED);
  EXPECT_EQ(ProfileTable.rows, rowsBefore);
  EXPECT_EQ(TableRows(), std::vector<PROFILE*>{a});
  EXPECT_EQ(ScheduleTable.events, eventsBefore);
  EXPECT_EQ(TableEvents(), std::vector<SCHEDULE_EVENT*>{e});
  g_hostRealloc = std::realloc;

  // Counts that cannot grow are refused before any allocation.
  EXPECT_EQ(GrowProfileArray(nullptr, INT32_MAX, a), nullptr);
  EXPECT_EQ(GrowProfileArray(nullptr, -1, a), nullptr);
  EXPECT_EQ(GrowScheduleArray(nullptr, INT32_MAX, e), nullptr);
}

TEST_F(HostTablesTest, RowsAndEventsAreHeldOnceAndNullsRefused) {
  PROFILE* a = rows_.Add(4, "A");
  PROFILE* b = rows_.Add(4, "B");
  EXPECT_EQ(HostAddProfile(a), PLUGIN_DONE);
  EXPECT_EQ(HostAddProfile(b), PLUGIN_DONE);
  EXPECT_EQ(HostAddProfile(a), PLUGIN_DONE);
  EXPECT_EQ(HostAddProfile(nullptr), PLUGIN_FAILED);
  EXPECT_EQ(TableRows(), (std::vector<PROFILE*>{a, b}));

  SCHEDULE_EVENT* e = events_.Add(a);
  EXPECT_EQ(HostAddScheduledEvent(e), PLUGIN_DONE);
  EXPECT_EQ(HostAddScheduledEvent(e), PLUGIN_DONE);
  EXPECT_EQ(HostAddScheduledEvent(events_.Add(nullptr)), PLUGIN_FAILED);
  EXPECT_EQ(HostAddScheduledEvent(nullptr), PLUGIN_FAILED);
  EXPECT_EQ(TableEvents(), std::vector<SCHEDULE_EVENT*>{e});

  RemoveProfileAt(0);
  EXPECT_FALSE(IsProfileInTable(a));
  EXPECT_EQ(ProfileIndex(b), 0);
  RemoveProfileAt(5);
  RemoveProfileAt(-1);
  EXPECT_EQ(TableRows(), std::vector<PROFILE*>{b});
  RemoveProfileAt(0);
  EXPECT_EQ(ProfileTable.rows, nullptr);
  EXPECT_EQ(ProfileTable.count, 0);
}

TEST_F(HostTablesTest, RemovingTheOnlyEventLeavesNoArray) {
  PROFILE* a = rows_.Add(4, "A");
  SCHEDULE_EVENT* first = events_.Add(a);
  SCHEDULE_EVENT* second = events_.Add(a);
  SCHEDULE_EVENT* stranger = events_.Add(a);
  ASSERT_EQ(HostAddScheduledEvent(first), PLUGIN_DONE);
  ASSERT_EQ(HostAddScheduledEvent(second), PLUGIN_DONE);
  ScheduleTable.nextDue = second;
  ScheduleTable.nextDueTime = 1234;

  EXPECT_EQ(RemoveScheduledEvent(stranger), -1);
  EXPECT_EQ(RemoveScheduledEvent(second), 1);
  // The chosen event goes with it.
  EXPECT_EQ(ScheduleTable.nextDue, nullptr);
  EXPECT_FALSE(IsEventInTable(second));
  EXPECT_EQ(HostRemoveScheduledEvent(first), PLUGIN_DONE);
  EXPECT_EQ(ScheduleTable.events, nullptr);
  EXPECT_EQ(ScheduleTable.count, 0);
  EXPECT_EQ(HostRemoveScheduledEvent(first), PLUGIN_DONE);
  EXPECT_EQ(ScheduleTable.count, 0);
}

TEST_F(HostTablesTest, RebuildRepointsEventsByPositionWithinTheKindAndSorts) {
  FakePlugins fakes({{1, "Logs", {PF_FIND_PROFILE}}, {4, "Alerting", {PF_FIND_PROFILE}}});
  PROFILE* logs = rows_.Add(1, "beta");
  PROFILE* r1 = rows_.Add(4, "gamma");
  PROFILE* r2 = rows_.Add(4, "Alpha");
  g_fakes[0].rows = {logs};
  g_fakes[1].rows = {r1, r2};
  EXPECT_EQ(RebuildProfileTable(nullptr), 3);
  EXPECT_EQ(TableRows(), (std::vector<PROFILE*>{r2, logs, r1}));
  EXPECT_EQ(g_fakes[1].reuseSeen, (std::vector<PROFILE*>{nullptr, nullptr, nullptr}));

  SCHEDULE_EVENT* onLogs = events_.Add(logs);
  SCHEDULE_EVENT* onFirst = events_.Add(r2);
  SCHEDULE_EVENT* onSecond = events_.Add(r1);
  for (SCHEDULE_EVENT* e : {onLogs, onFirst, onSecond}) ASSERT_EQ(HostAddScheduledEvent(e), PLUGIN_DONE);

  // The plug-in hands out new rows: the old ones of its kind, in table order,
  // are offered for reuse, and their events follow to the rows given back.
  PROFILE* n1 = rows_.Add(4, "delta");
  PROFILE* n2 = rows_.Add(4, "epsilon");
  g_fakes[1].rows = {n1, n2};
  g_fakes[1].reuseSeen.clear();
  EXPECT_EQ(RebuildProfileTable(nullptr), 3);
  EXPECT_EQ(g_fakes[1].reuseSeen, (std::vector<PROFILE*>{r2, r1, nullptr}));
  EXPECT_EQ(onFirst->profile, n1);
  EXPECT_EQ(onSecond->profile, n2);
  EXPECT_EQ(onLogs->profile, logs);
  EXPECT_EQ(TableRows(), (std::vector<PROFILE*>{logs, n1, n2}));
}

TEST_F(HostTablesTest, TwoPluginsOfOneKindAreOfferedOnlyTheirOwnRows) {
  FakePlugins fakes({{4, "First", {PF_FIND_PROFILE}}, {4, "Second", {PF_FIND_PROFILE}}});
  PROFILE* mine = rows_.Add(4, "Zulu");
  PROFILE* theirs = rows_.Add(4, "Alpha");
  g_fakes[0].rows = {mine};
  g_fakes[1].rows = {theirs};
  ASSERT_EQ(RebuildProfileTable(nullptr), 2);
  ASSERT_EQ(TableRows(), (std::vector<PROFILE*>{theirs, mine}));
  // A row added since is the first plug-in's to refill.
  PROFILE* added = rows_.Add(4, "Added");
  ASSERT_EQ(AppendProfile(added), PLUGIN_DONE);
  g_fakes[0].rows = {mine, added};
  g_fakes[0].reuseSeen.clear();
  g_fakes[1].reuseSeen.clear();
  ASSERT_EQ(RebuildProfileTable(nullptr), 3);
  EXPECT_EQ(g_fakes[0].reuseSeen, (std::vector<PROFILE*>{mine, added, nullptr}));
  EXPECT_EQ(g_fakes[1].reuseSeen, (std::vector<PROFILE*>{theirs, nullptr}));
}

TEST_F(HostTablesTest, AnEnumerationThatRepeatsARowOrFailsToGrowEnds) {
  FakePlugins fakes({{4, "Alerting", {PF_FIND_PROFILE}}});
  PROFILE* a = rows_.Add(4, "A");
  g_fakes[0].rows = {a, a, rows_.Add(4, "B")};
  EXPECT_EQ(RebuildProfileTable(nullptr), 1);
  EXPECT_EQ(TableRows(), std::vector<PROFILE*>{a});

  g_hostRealloc = NoMemory;
  EXPECT_EQ(RebuildProfileTable(nullptr), 0);
  EXPECT_EQ(ProfileTable.rows, nullptr);
}

TEST_F(HostTablesTest, DeletingAProfilesEventsTakesThemOutBeforeThePluginFreesThem) {
  FakePlugins fakes({{4, "Alerting", {PF_DELETE_SCHEDULED_EVENT}}});
  PROFILE* row = rows_.Add(4, "A", "C:\\QV\\lert0001.amp");
  PROFILE* copy = rows_.Add(4, "A again", "C:\\QV\\lert0001.amp");
  PROFILE* other = rows_.Add(4, "B", "C:\\QV\\LERT0001.AMP");
  SCHEDULE_EVENT* e1 = events_.Add(row);
  SCHEDULE_EVENT* e2 = events_.Add(other);
  SCHEDULE_EVENT* e3 = events_.Add(copy);
  for (SCHEDULE_EVENT* e : {e1, e2, e3}) ASSERT_EQ(HostAddScheduledEvent(e), PLUGIN_DONE);
  std::vector<bool> stillListed;
  g_fakes[0].onDelete = [&](SCHEDULE_EVENT* event) { stillListed.push_back(IsEventInTable(event)); };

  SchedulerLock lock;
  DeleteProfileEvents(nullptr, row);
  EXPECT_EQ(g_fakes[0].deleted, (std::vector<SCHEDULE_EVENT*>{e3, e1}));
  EXPECT_EQ(stillListed, (std::vector<bool>{false, false}));
  EXPECT_EQ(TableEvents(), std::vector<SCHEDULE_EVENT*>{e2});
}

TEST(SchedulerLockTest, TheMutexIsReentrantAndKeepsOtherThreadsOut) {
  ASSERT_TRUE(CreateSchedulerMutex());
  ASSERT_NE(g_schedulerMutex.load(), nullptr);
  auto otherThreadGetsIt = [] {
    DWORD result = 0;
    std::thread other([&] {
      result = WaitForSingleObject(g_schedulerMutex, 0);
      if (result == WAIT_OBJECT_0) ReleaseMutex(g_schedulerMutex);
    });
    other.join();
    return result == WAIT_OBJECT_0;
  };
  {
    SchedulerLock outer;
    {
      SchedulerLock inner;
      EXPECT_FALSE(otherThreadGetsIt());
    }
    EXPECT_FALSE(otherThreadGetsIt());
  }
  EXPECT_TRUE(otherThreadGetsIt());
  CloseSchedulerMutex();
  EXPECT_EQ(g_schedulerMutex.load(), nullptr);
  // Without the named mutex the stand-in lock still nests.
  SchedulerLock outer;
  SchedulerLock inner;
}

}  // namespace
