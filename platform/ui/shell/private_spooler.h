// For tests: a CUPS scheduler of the test's own (configuration in a temporary
// folder, listening on a loopback port, named to the process by CUPS_SERVER)
// whose raw queues send every job to a listener on loopback that the test reads.
#pragma once

#include <sys/types.h>

#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace qvtest {

struct SpoolQueue {
  std::string name;
  bool is_default = false;
  bool accepting = true;
};

class PrivateSpooler {
 public:
  explicit PrivateSpooler(const std::vector<SpoolQueue>& queues);
  ~PrivateSpooler();
  PrivateSpooler(const PrivateSpooler&) = delete;
  PrivateSpooler& operator=(const PrivateSpooler&) = delete;

  // Empty when the scheduler answers; else why it could not be started.
  const std::string& Problem() const { return problem_; }
  // Waits (generously) until the queues' device has received at least `bytes`
  // bytes in all; everything received so far.
  std::string WaitForBytes(size_t bytes);
  // The scheduler's jobs, finished or not, as "title" strings.
  std::vector<std::string> JobTitles() const;

 private:
  void Listen();

  std::string problem_;
  std::string dir_;
  pid_t scheduler_ = -1;
  int listener_ = -1;
  std::thread thread_;
  mutable std::mutex lock_;
  std::condition_variable changed_;
  std::string received_;
  bool stopping_ = false;
};

}  // namespace qvtest
