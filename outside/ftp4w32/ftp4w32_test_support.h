// Tests only: "FTP4W32.DLL" loaded from the program directory by its file
// name, with its 18 entry points looked up by name.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "ftp4w32.h"
#include "qvplatform/modules.h"

struct FtpCalls {
  PFN_FtpRelease Release = nullptr;
  PFN_FtpInit Init = nullptr;
  PFN_FtpBytesToBeTransferred BytesToBeTransferred = nullptr;
  PFN_FtpSetDefaultPort SetDefaultPort = nullptr;
  PFN_FtpSetDefaultTimeOut SetDefaultTimeOut = nullptr;
  PFN_FtpLogin Login = nullptr;
  PFN_FtpOpenConnection OpenConnection = nullptr;
  PFN_FtpCloseConnection CloseConnection = nullptr;
  PFN_FtpLocalClose LocalClose = nullptr;
  PFN_FtpRecvFile RecvFile = nullptr;
  PFN_FtpSendFile SendFile = nullptr;
  PFN_FtpDir Dir = nullptr;
  PFN_FtpSetAsynchronousMode SetAsynchronousMode = nullptr;
  PFN_FtpSetSynchronousMode SetSynchronousMode = nullptr;
  PFN_FtpAbort Abort = nullptr;
  PFN_FtpPWD PWD = nullptr;
  PFN_FtpSetPassiveMode SetPassiveMode = nullptr;
  PFN_FtpCWD CWD = nullptr;
};

class FtpLibrary : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string path = std::string(QV_DIST_DIR) + "/FTP4W32.DLL";
    module_ = LoadLibraryA(path.c_str());
    ASSERT_NE(module_, nullptr);
    Bind(&f_.Release, "FtpRelease");
    Bind(&f_.Init, "FtpInit");
    Bind(&f_.BytesToBeTransferred, "FtpBytesToBeTransferred");
    Bind(&f_.SetDefaultPort, "FtpSetDefaultPort");
    Bind(&f_.SetDefaultTimeOut, "FtpSetDefaultTimeOut");
    Bind(&f_.Login, "FtpLogin");
    Bind(&f_.OpenConnection, "FtpOpenConnection");
    Bind(&f_.CloseConnection, "FtpCloseConnection");
    Bind(&f_.LocalClose, "FtpLocalClose");
    Bind(&f_.RecvFile, "FtpRecvFile");
    Bind(&f_.SendFile, "FtpSendFile");
    Bind(&f_.Dir, "FtpDir");
    Bind(&f_.SetAsynchronousMode, "FtpSetAsynchronousMode");
    Bind(&f_.SetSynchronousMode, "FtpSetSynchronousMode");
    Bind(&f_.Abort, "FtpAbort");
    Bind(&f_.PWD, "FtpPWD");
    Bind(&f_.SetPassiveMode, "FtpSetPassiveMode");
    Bind(&f_.CWD, "FtpCWD");
    f_.SetSynchronousMode();
    f_.SetDefaultTimeOut(30);
    f_.SetDefaultPort(21);
  }
  void TearDown() override {
    if (module_ == nullptr) return;
    if (f_.LocalClose != nullptr) f_.LocalClose();
    FreeLibrary(module_);
  }

  template <typename F>
  void Bind(F* slot, const char* name) {
    *slot = reinterpret_cast<F>(GetProcAddress(module_, name));
    ASSERT_NE(*slot, nullptr) << name;
  }

  HMODULE module_ = nullptr;
  FtpCalls f_;
};
