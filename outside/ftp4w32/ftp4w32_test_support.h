// Tests only: "FTP4W32.DLL" loaded from the program directory by its file
// name, with its 18 entry points looked up by name.
#pragma once

#include "ftp4w32.h"
#include "program_library.h"

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

class FtpLibrary : public qvtest::ProgramLibraryTest {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(Load("FTP4W32.DLL"));
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
    if (module_ != nullptr && f_.LocalClose != nullptr) f_.LocalClose();
    ProgramLibraryTest::TearDown();
  }

  FtpCalls f_;
};
