// The agent's side of the link to the program: the named shared record, its
// mutex and four events (made here when the agent starts first), requests
// the agent starts and the traps the program posts. Internal to qvagent.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace qvagent {

// The product's SNMP root text from "PRODUCT.RSL" beside the agent; "" when
// the library or its answer is missing.
std::string ProductRoot();

// N: the number after the last '.' of the root text, 0 without a '.'.
unsigned InstanceNumber(const std::string& root);

struct Answer {
  uint32_t error = 0;  // 0, 2 no such variable / not writable, 3 set refused
  uint32_t type = 0;   // 2 integer, 4 text
  std::string id;
  std::string value;
};

// Request kinds.
constexpr uint32_t kGet = 2;
constexpr uint32_t kSet = 4;

class Link {
 public:
  Link() = default;
  ~Link();
  Link(const Link&) = delete;
  Link& operator=(const Link&) = delete;

  bool Open(unsigned instance);
  // One request to the program, answered within 500 ms: true with the answer.
  bool Ask(uint32_t kind, const std::string& id, const std::string& value, Answer* answer);
  // Starts the thread that takes the program's traps: each is acknowledged at
  // once and then handed to onTrap with its code.
  void StartTraps(std::function<void(unsigned code)> onTrap);
  void StopTraps();

 private:
  struct Objects;
  Objects* objects_ = nullptr;
};

// Runs `agent` under the layer's service dispatcher when the process was
// started as a service; `stop` is called when the service is told to stop.
// Returns the exit code, or -1 when the process is not a service.
int RunAsService(int argc, char** argv, const std::function<int()>& agent, const std::function<void()>& stop);

}  // namespace qvagent
