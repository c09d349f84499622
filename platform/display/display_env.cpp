#include "display/display_env.h"

#include <cstdlib>

namespace qvp::display {

bool DisplayWantedByEnvironment() {
  auto set = [](const char* name) {
    const char* v = std::getenv(name);
    return v != nullptr && *v != '\0';
  };
  return set("DISPLAY") && !set("QV_HEADLESS") && !set("QV_TEST");
}

}  // namespace qvp::display
