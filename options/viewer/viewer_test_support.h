// Tests only: what the text viewer needs loaded, as the program has it: the
// base resources as the resource module and the control pack registered for
// this program. For tests built with QV_DIST_DIR.
#pragma once

#include <gtest/gtest.h>

#include "app_globals.h"
#include "ctlpack4.h"
#include "qvplatform.h"
#include "resource_cache.h"

namespace viewertest {

class ViewerModules {
 public:
  ViewerModules() = default;
  ~ViewerModules() { Unload(); }
  ViewerModules(const ViewerModules&) = delete;
  ViewerModules& operator=(const ViewerModules&) = delete;

  // The test fails when one does not load or register (call it under
  // ASSERT_NO_FATAL_FAILURE).
  void Load() {
    base_ = LoadLibraryA(QV_DIST_DIR "/BASE.RSL");
    ASSERT_NE(base_, nullptr);
    g_app.resourceModule = base_;
    g_app.instance = GetModuleHandleA(nullptr);
    controls_ = LoadLibraryA(QV_DIST_DIR "/ctlpack4.dll");
    ASSERT_NE(controls_, nullptr);
    auto reg = reinterpret_cast<PFN_CtlPackRegister>(GetProcAddress(controls_, MAKEINTRESOURCEA(66)));
    ASSERT_NE(reg, nullptr);
    ASSERT_TRUE(reg(g_app.instance));
    registered_ = true;
  }
  // Unregisters and frees what Load took, the cached resources with them.
  void Unload() {
    if (controls_ != nullptr) {
      auto unreg = reinterpret_cast<PFN_CtlPackUnregister>(GetProcAddress(controls_, MAKEINTRESOURCEA(67)));
      if (registered_ && unreg != nullptr) unreg(g_app.instance);
      FreeLibrary(controls_);
      controls_ = nullptr;
      registered_ = false;
    }
    if (base_ != nullptr) {
      FreeResourceCache();
      g_app.resourceModule = nullptr;
      FreeLibrary(base_);
      base_ = nullptr;
    }
  }

 private:
  HMODULE base_ = nullptr;
  HMODULE controls_ = nullptr;
  bool registered_ = false;
};

}  // namespace viewertest
