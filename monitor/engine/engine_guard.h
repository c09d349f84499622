// Holds the engine's lock for one scope.
#pragma once

#include <mutex>

using EngineGuard = std::lock_guard<std::mutex>;
