// The library as the program uses it: loaded by its file name from the
// program directory, entered through ordinals 66 and 67.
#include <gtest/gtest.h>

#include <string>

#include "ctlpack4.h"
#include "program_library.h"

namespace {

class CtlPack : public qvtest::ProgramLibraryTest {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(Load(kCtlPackFileName));
    reg_ = reinterpret_cast<PFN_CtlPackRegister>(GetProcAddress(module_, MAKEINTRESOURCEA(66)));
    unreg_ = reinterpret_cast<PFN_CtlPackUnregister>(GetProcAddress(module_, MAKEINTRESOURCEA(67)));
    ASSERT_NE(reg_, nullptr);
    ASSERT_NE(unreg_, nullptr);
  }
  bool ClassExists() {
    WNDCLASSA wc{};
    return GetClassInfoA(instance_, kViewerTextClass, &wc) != FALSE;
  }

  HINSTANCE instance_ = GetModuleHandleA(nullptr);
  PFN_CtlPackRegister reg_ = nullptr;
  PFN_CtlPackUnregister unreg_ = nullptr;
};

TEST_F(CtlPack, OrdinalsAreTheNamedEntryPoints) {
  EXPECT_EQ(reinterpret_cast<FARPROC>(reg_), GetProcAddress(module_, "CtlPack_RegisterControls"));
  EXPECT_EQ(reinterpret_cast<FARPROC>(unreg_), GetProcAddress(module_, "CtlPack_UnregisterControls"));
  EXPECT_EQ(GetProcAddress(module_, MAKEINTRESOURCEA(68)), nullptr);
}

TEST_F(CtlPack, RegisteredViewerControlMakesWindowsUntilTheLastUnregister) {
  ASSERT_FALSE(ClassExists());
  ASSERT_TRUE(reg_(instance_));
  ASSERT_TRUE(ClassExists());

  HWND control = CreateWindowExA(0, kViewerTextClass, "text", WS_POPUP, 0, 0, 200, 100, nullptr, nullptr,
                                 instance_, nullptr);
  ASSERT_NE(control, nullptr);
  // The control keeps its window text; an empty view has no lines.
  char text[16] = {};
  GetWindowTextA(control, text, sizeof text);
  EXPECT_STREQ(text, "text");
  EXPECT_EQ(SendMessageA(control, 1043, 0, 0), 0);
  DestroyWindow(control);

  // A second user (a plug-in) registers too: the first unregister keeps the class.
  ASSERT_TRUE(reg_(instance_));
  EXPECT_TRUE(unreg_(instance_));
  EXPECT_TRUE(ClassExists());
  EXPECT_TRUE(unreg_(instance_));
  EXPECT_FALSE(ClassExists());
  EXPECT_EQ(CreateWindowExA(0, kViewerTextClass, "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, instance_, nullptr),
            nullptr);

  // An unregister too many is refused, not counted below zero.
  EXPECT_FALSE(unreg_(instance_));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_DOES_NOT_EXIST));
  ASSERT_TRUE(reg_(instance_));
  EXPECT_TRUE(ClassExists());
  EXPECT_TRUE(unreg_(instance_));
}

TEST_F(CtlPack, FreeingTheLibraryTakesItsClassesAlong) {
  ASSERT_TRUE(reg_(instance_));
  ASSERT_TRUE(ClassExists());
  ASSERT_TRUE(FreeLibrary(module_));
  module_ = nullptr;
  EXPECT_FALSE(ClassExists());
}

}  // namespace
