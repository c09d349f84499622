// Tests only: the built program run as a child process of the test, with an
// environment of the test's own and its standard error kept in a file.
#pragma once

#include <string>
#include <vector>

namespace qvtest {

class ChildProcess {
 public:
  // Starts program with arguments; `environment` entries ("NAME=value")
  // are added to (or replace) the test's own. stderr and stdout go to
  // outputFile. Working directory: workingDirectory.
  ChildProcess(const std::string& program, const std::vector<std::string>& arguments,
               const std::vector<std::string>& environment, const std::string& workingDirectory,
               const std::string& outputFile);
  ~ChildProcess();  // a child still running is killed and reaped
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  bool started() const { return pid_ > 0; }
  int pid() const { return pid_; }
  bool Ended() const { return Reap(false); }
  // True when no thread of the child is running, nor ready to run, nor in a
  // disk wait, at a few looks a moment apart: the child waits for time to
  // pass or for someone else.
  bool Idle() const;
  void Signal(int signalNumber) const;
  // Waits for the end; the exit code, or 128 + the signal that ended it.
  int Wait();
  // Waits until the output file holds `text`, at most `seconds`; false when
  // the child ended (or the time ran out) first. A guard against a hung
  // child, never a measure of speed.
  bool WaitForOutput(const std::string& text, int seconds) const;
  std::string Output() const;

 private:
  int pid_ = -1;
  bool Reap(bool block) const;  // true once the child has ended

  mutable int status_ = -1;
  std::string output_;
};

// Runs a program to its end; its exit code.
int RunToEnd(const std::string& program, const std::vector<std::string>& arguments,
             const std::vector<std::string>& environment, const std::string& workingDirectory,
             const std::string& outputFile);

// Service copies of the program in programDirectory run in a session of their
// own and would outlive a test that failed to stop them. This gives those
// still running `graceSeconds` to end (a stopped one may still be on its way
// out), then kills the rest and waits until they are gone. The number killed.
int KillServiceCopies(const std::string& programDirectory, int graceSeconds);

}  // namespace qvtest
