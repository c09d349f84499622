// Tests only: runs an e-mail queue in a process of its own so that a test can
// kill it at any moment. Every alert acknowledged as queued is announced with
// "ACK name", every mail the fake server took with "SENT body", each line flushed
// before the queue goes on.
//
//   alert_queue_crash_helper spool <dir> <tag>    spools alerts "<tag>0", "<tag>1", ... for ever
//   alert_queue_crash_helper deliver <dir> <tag>  delivers the spool; every other attempt fails
#include <atomic>
#include <cstdio>
#include <cstring>
#include <string>

#include "alert_queues.h"
#include "alert_runtime.h"
#include "alert_senders.h"

namespace {

std::atomic<int> g_attempts{0};

int FlakyMail(HWND, const char*, const char*, const char* body, const volatile BYTE*) {
  if (g_attempts.fetch_add(1) % 2 == 1) return 10;  // the server answered 4xx
  std::printf("SENT %s\n", body);
  std::fflush(stdout);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) return 2;
  const std::string mode = argv[1];
  const std::string tag = argv[3];
  SetAlertRetryCount(1000000);  // a failed mail is always spooled again
  CEmailAlertQueue queue(argv[2]);
  if (mode == "spool") {
    queue.StartWithoutThread();
    for (int n = 0; n < 1000000; ++n) {
      CEmailAlert alert;
      const std::string name = tag + std::to_string(n);
      alert.SetAddress("ops@example.org");
      alert.SetProfileName(name.c_str());
      alert.SetMessage(name.c_str());
      if (!queue.Add(alert)) return 3;
      std::printf("ACK %s\n", name.c_str());
      std::fflush(stdout);
    }
    return 0;
  }
  if (mode == "deliver") {
    AlertSenders senders;
    senders.sendMail = FlakyMail;
    SetAlertSenders(senders);
    queue.SetPauses(SpoolQueuePauses{0, 1, 1});
    if (!queue.Start()) return 3;
    for (;;) Sleep(1000);
  }
  return 2;
}
