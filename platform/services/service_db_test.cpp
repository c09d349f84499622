#include "services/service_db.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "services/services_test_support.h"

namespace qvp::services {
namespace {

ServiceRecord Sample() {
  ServiceRecord r;
  r.serial = 7;
  r.name = "Odd%Name";
  r.display_name = "Two\nLines = and \xE9";
  r.type = SERVICE_WIN32_OWN_PROCESS | SERVICE_INTERACTIVE_PROCESS;
  r.start_type = SERVICE_AUTO_START;
  r.binary_path = "C:\\Program Files\\x.exe /service";
  r.dependencies = {"Tcpip", "Dep%2"};
  r.account = ".\\someone";
  r.password = "p=w\r";
  r.state = SERVICE_RUNNING;
  r.controls_accepted = SERVICE_ACCEPT_STOP;
  r.check_point = 3;
  r.wait_hint = 1000;
  r.process = ProcessRef{1234, 987654321};
  r.token = "abc";
  r.connected = true;
  r.marked_for_delete = true;
  r.handles = {HandleCount{ProcessRef{5, 6}, 2}};
  return r;
}

TEST(ServiceDatabaseText, RoundTripKeepsEveryField) {
  Database db;
  db.next_serial = 9;
  db.services.push_back(Sample());
  ServiceRecord plain;
  plain.serial = 8;
  plain.name = "Plain";
  plain.simulated = true;
  plain.settles_to = SERVICE_RUNNING;
  db.services.push_back(plain);

  Database back;
  std::string why;
  ASSERT_TRUE(ParseDatabase(FormatDatabase(db), &back, &why)) << why;
  ASSERT_EQ(back.services.size(), 2u);
  EXPECT_EQ(back.next_serial, 9u);
  const ServiceRecord& a = back.services[0];
  const ServiceRecord s = Sample();
  EXPECT_EQ(a.name, s.name);
  EXPECT_EQ(a.display_name, s.display_name);
  EXPECT_EQ(a.type, s.type);
  EXPECT_EQ(a.start_type, s.start_type);
  EXPECT_EQ(a.binary_path, s.binary_path);
  EXPECT_EQ(a.dependencies, s.dependencies);
  EXPECT_EQ(a.account, s.account);
  EXPECT_EQ(a.password, s.password);
  EXPECT_EQ(a.state, s.state);
  EXPECT_EQ(a.check_point, 3u);
  EXPECT_TRUE(a.process == s.process);
  EXPECT_EQ(a.token, "abc");
  EXPECT_TRUE(a.connected);
  EXPECT_TRUE(a.marked_for_delete);
  ASSERT_EQ(a.handles.size(), 1u);
  EXPECT_EQ(a.handles[0].count, 2u);
  EXPECT_TRUE(back.services[1].simulated);
  EXPECT_EQ(back.services[1].settles_to, SERVICE_RUNNING);
  EXPECT_EQ(back.FindSerial(8), &back.services[1]);
  EXPECT_EQ(back.Find("odd%name"), &back.services[0]);
}

TEST(ServiceDatabaseText, BadLinesAreRefusedAndSerialsKeptAhead) {
  Database db;
  std::string why;
  EXPECT_FALSE(ParseDatabase("[service]\nname=x\nstate=many\n", &db, &why));
  EXPECT_NE(why.find("line 3"), std::string::npos);
  EXPECT_FALSE(ParseDatabase("[service]\nname=bad%zz\n", &db, &why));
  EXPECT_FALSE(ParseDatabase("[service]\ntype=16\n", &db, &why));  // no name
  EXPECT_FALSE(ParseDatabase("just words\n", &db, &why));
  ASSERT_TRUE(ParseDatabase("next-serial=1\n[service]\nserial=40\nname=A\nfuture-key=1\n", &db, &why)) << why;
  EXPECT_EQ(db.next_serial, 41u);
}

TEST(Processes, AliveOnlyWithTheSameStartTime) {
  const ProcessRef me = CurrentProcess();
  EXPECT_EQ(me.pid, getpid());
  EXPECT_TRUE(IsAlive(me));
  EXPECT_FALSE(IsAlive(ProcessRef{me.pid, me.start + 1}));
  EXPECT_FALSE(IsAlive(ProcessRef{}));

  const pid_t child = fork();
  if (child == 0) _exit(0);
  ASSERT_GT(child, 0);
  int status = 0;
  // A zombie is not alive, and neither is a reaped process.
  while (ProcessNow(child).pid != 0) usleep(1000);
  waitpid(child, &status, 0);
  EXPECT_EQ(ProcessNow(child).pid, 0);
}

class ServiceDatabase : public test::ServiceTest {};

TEST_F(ServiceDatabase, TransactionsSettleEndedProgramsAndDeletedServices) {
  const pid_t child = fork();
  if (child == 0) _exit(0);
  ASSERT_GT(child, 0);
  const ProcessRef gone{child, ProcessNow(child).start};
  int status = 0;
  waitpid(child, &status, 0);

  ASSERT_EQ(Transact([&](Database& db) {
              ServiceRecord running;
              running.serial = db.next_serial++;
              running.name = "Crashed";
              running.state = SERVICE_RUNNING;
              running.process = gone;
              running.token = "t";
              running.connected = true;
              running.handles = {HandleCount{gone, 3}, HandleCount{CurrentProcess(), 1}};
              db.services.push_back(running);
              ServiceRecord doomed;
              doomed.serial = db.next_serial++;
              doomed.name = "Doomed";
              doomed.marked_for_delete = true;
              doomed.handles = {HandleCount{gone, 1}};
              db.services.push_back(doomed);
              return true;
            }),
            static_cast<DWORD>(ERROR_SUCCESS));

  Database seen;
  ASSERT_EQ(Transact([&](Database& db) {
              seen = db;
              return false;
            }),
            static_cast<DWORD>(ERROR_SUCCESS));
  ASSERT_EQ(seen.services.size(), 1u);
  const ServiceRecord& r = seen.services[0];
  EXPECT_EQ(r.name, "Crashed");
  EXPECT_EQ(r.state, SERVICE_STOPPED);
  EXPECT_EQ(r.win32_exit_code, static_cast<DWORD>(ERROR_PROCESS_ABORTED));
  EXPECT_TRUE(r.token.empty());
  ASSERT_EQ(r.handles.size(), 1u);
  EXPECT_TRUE(r.handles[0].process == CurrentProcess());
}

TEST_F(ServiceDatabase, AnUnreadableFileIsLeftAloneAndReported) {
  dir_.Write("services/database", "[service]\nname=x\nstate=oops\n");
  EXPECT_EQ(Transact([](Database&) { return true; }), static_cast<DWORD>(ERROR_DATABASE_DOES_NOT_EXIST));
  EXPECT_EQ(dir_.Read("services/database"), "[service]\nname=x\nstate=oops\n");
  EXPECT_EQ(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DATABASE_DOES_NOT_EXIST));
}

}  // namespace
}  // namespace qvp::services
