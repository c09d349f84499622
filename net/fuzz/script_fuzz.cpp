// libFuzzer target: the script interpreter on a page of the fuzzer's making,
// for a request with a user id in its query (the first line of the input is
// the query, the rest the page). A run must end within its budget of
// backward jumps and produce a bounded answer.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fuzz_common.h"
#include "remote_users.h"
#include "script_run.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const RemoteServerSettings settings = FuzzSettings();
  const std::string input(reinterpret_cast<const char*>(data), size);
  const size_t line = input.find('\n');
  const std::string query = line == std::string::npos ? std::string() : input.substr(0, line);
  const std::string page = line == std::string::npos ? input : input.substr(line + 1);
  size_t answered = 0;
  ServerRequest request(settings, [&](const char*, size_t n) { answered += n; }, 0x0100007f);
  std::string head = "GET /page.htm";
  if (!query.empty()) head += "?" + query.substr(0, 1000);
  head += " HTTP/1.0\r\nHost: fuzz\r\n";
  request.Parse(head);
  ScriptBudget budget;
  budget.backwardJumps = 2000;
  budget.milliseconds = 2000;
  RunScriptText(&request, page, budget);
  // Every pass over the page (at most one per backward jump) writes at most
  // a bounded amount per byte of it.
  const size_t passes = budget.backwardJumps + 2;
  if (answered > passes * (page.size() + 1) * 1300 + 4096) std::abort();
  g_logonThrottle.Clear();
  return 0;
}
