#pragma once

#include "qvplatform.h"

inline constexpr int kTextSlotCount = 5;
inline constexpr int kTextSlotSize = 400;

struct AppGlobals {
  HINSTANCE resourceModule;
  char textSlots[kTextSlotCount][kTextSlotSize];
};

extern AppGlobals g_app;
