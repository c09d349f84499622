// The FTP client against a scripted server: replies real servers rarely give
// (multi-line, 421, silence, a PASV reply naming another address), arguments
// that would forge commands, listings and FtpAbort.
#include <chrono>
#include <filesystem>
#include <mutex>
#include <thread>
#include <vector>

#include "ftp4w32_test_support.h"
#include "ftp_test_server.h"
#include "test_files.h"

namespace {

using ftptest::ScriptedConnection;
using ftptest::ScriptedServer;

// The commands a script received, for the test to read once the server is gone.
struct Heard {
  std::mutex lock;
  std::vector<std::string> lines;
  std::string Next(ScriptedConnection& c) {
    std::string line = c.Command();
    std::lock_guard<std::mutex> hold(lock);
    lines.push_back(line);
    return line;
  }
};

void LogIn(ScriptedConnection& c, Heard& heard) {
  c.Send("220 ready\r\n");
  heard.Next(c);
  c.Send("331 password please\r\n");
  heard.Next(c);
  c.Send("230 logged in\r\n");
}

std::string PasvReply(int port, const char* address = "127,0,0,1") {
  return "227 Entering Passive Mode (" + std::string(address) + "," + std::to_string(port / 256) + "," +
         std::to_string(port % 256) + ")\r\n";
}

TEST_F(FtpLibrary, MultiLineRepliesAreReadWholeAndLoginSucceedsOnlyOn230) {
  Heard heard;
  {
    ScriptedServer server([&](ScriptedConnection& c) {
      c.Send("220-Welcome to the test server\r\n220-230 is not the code of this line\r\n220 ready\r\n");
      heard.Next(c);
      c.Send("331-Password required\r\n331 for alice\r\n");
      heard.Next(c);
      c.Send("230-Welcome\r\n  more text\r\n230 logged in\r\n");
      heard.Next(c);
      c.Send("257 \"/home/\"\"q\"\" dir\" is current\r\n");
      heard.Next(c);
      c.Send("221 bye\r\n");
    });
    ASSERT_EQ(f_.Login(server.host().c_str(), "alice", "secret", nullptr, 0), 0);
    char folder[64];
    EXPECT_EQ(f_.PWD(folder, sizeof folder), 0);
    EXPECT_STREQ(folder, "/home/\"q\" dir");
    EXPECT_EQ(f_.CloseConnection(), 0);
    EXPECT_EQ(f_.CloseConnection(), FTP4W_NOTCONNECTED);
  }
  EXPECT_EQ(heard.lines, (std::vector<std::string>{"USER alice", "PASS secret", "PWD", "QUIT"}));
}

TEST_F(FtpLibrary, RefusedLoginLeavesNoSession) {
  int round = 0;
  ScriptedServer server([&](ScriptedConnection& c) {
    ++round;
    c.Send("220 ready\r\n");
    c.Command();
    if (round == 1) {
      c.Send("331 password please\r\n");
      c.Command();
      c.Send("530 Login incorrect\r\n");
    } else if (round == 2) {
      c.Send("332 need account\r\n");
    } else {
      c.Send("202 already logged in\r\n");
    }
    c.WaitForClose();
  });
  EXPECT_EQ(f_.Login(server.host().c_str(), "alice", "wrong", nullptr, 0), FTP4W_LOGINREFUSED);
  EXPECT_EQ(f_.Login(server.host().c_str(), "alice", "wrong", nullptr, 0), FTP4W_ACCOUNTNEEDED);
  // Anything but 230 is no log-in, even a reply that claims success.
  EXPECT_NE(f_.Login(server.host().c_str(), "alice", "", nullptr, 0), 0);
  EXPECT_EQ(f_.CloseConnection(), FTP4W_NOTCONNECTED);
  EXPECT_EQ(server.connections(), 3);
}

TEST_F(FtpLibrary, A421EndsTheSession) {
  int round = 0;
  ScriptedServer server([&](ScriptedConnection& c) {
    Heard heard;
    if (++round == 1) {
      c.Send("421 Too many users, try later\r\n");
      c.WaitForClose();
      return;
    }
    LogIn(c, heard);
    c.Command();  // PWD
    c.Send("421-Shutting down\r\n421 bye\r\n");
    c.WaitForClose();
  });
  EXPECT_EQ(f_.Login(server.host().c_str(), "alice", "secret", nullptr, 0), FTP4W_CONNECTREJECTED);
  ASSERT_EQ(f_.Login(server.host().c_str(), "alice", "secret", nullptr, 0), 0);
  char folder[64] = "untouched";
  EXPECT_EQ(f_.PWD(folder, sizeof folder), FTP4W_CONNECTREJECTED);
  EXPECT_STREQ(folder, "");
  EXPECT_EQ(f_.CWD("/"), FTP4W_NOTCONNECTED);
}

TEST_F(FtpLibrary, SilencePastTheTimeOutEndsTheCall) {
  int round = 0;
  ScriptedServer server([&](ScriptedConnection& c) {
    if (++round == 2) {
      c.Send("220 ready\r\n");
      c.Command();  // USER, left unanswered
    }
    c.WaitForClose();
  });
  ASSERT_EQ(f_.SetDefaultTimeOut(1), 0);
  EXPECT_EQ(f_.Login(server.host().c_str(), "alice", "secret", nullptr, 0), FTP4W_TIMEOUT);
  EXPECT_EQ(f_.Login(server.host().c_str(), "alice", "secret", nullptr, 0), FTP4W_TIMEOUT);
  EXPECT_EQ(f_.CloseConnection(), FTP4W_NOTCONNECTED);
  EXPECT_EQ(f_.SetDefaultTimeOut(0), FTP4W_INVALIDPARAMETER);
}

TEST_F(FtpLibrary, DataGoesToTheControlPeerNotToThePasvAddress) {
  qvtest::TempDir dir("ftp4w");
  const std::string bytes = std::string("\0\r\n\n\r\xff", 6) + std::string(70000, 'x');
  Heard heard;
  {
    ScriptedServer server([&](ScriptedConnection& c) {
      LogIn(c, heard);
      heard.Next(c);  // TYPE I
      c.Send("200 binary\r\n");
      heard.Next(c);  // PASV
      // The server listens on 127.0.0.1 only: a client that believed this
      // address would be refused.
      c.Send(PasvReply(c.ListenData(), "127,0,0,2"));
      heard.Next(c);  // RETR
      c.Send("150 Opening BINARY mode data connection for a.bin (70006 bytes)\r\n");
      c.SendData(bytes);
      c.Send("226 Transfer complete\r\n");
      heard.Next(c);
      c.Send("221 bye\r\n");
    });
    ASSERT_EQ(f_.Login(server.host().c_str(), "alice", "secret", nullptr, 0), 0);
    EXPECT_EQ(f_.RecvFile("a.bin", dir.file("a.bin").c_str(), 'I', 0, nullptr, 0), 0);
    EXPECT_EQ(f_.BytesToBeTransferred(), 0);
    EXPECT_EQ(f_.CloseConnection(), 0);
  }
  EXPECT_EQ(dir.read("a.bin"), bytes);
  EXPECT_EQ(heard.lines, (std::vector<std::string>{"USER alice", "PASS secret", "TYPE I", "PASV", "RETR a.bin",
                                                   "QUIT"}));
}

TEST_F(FtpLibrary, LineEndsInAnyArgumentAreRefusedBeforeAnythingIsSent) {
  qvtest::TempDir dir("ftp4w");
  Heard heard;
  {
    ScriptedServer server([&](ScriptedConnection& c) {
      LogIn(c, heard);
      heard.Next(c);
      c.Send("221 bye\r\n");
    });
    const std::string host = server.host();
    EXPECT_EQ(f_.Login(host.c_str(), "x\r\nDELE stats/access_log", "p", nullptr, 0), FTP4W_INVALIDPARAMETER);
    EXPECT_EQ(f_.Login(host.c_str(), "alice", "p\nDELE x", nullptr, 0), FTP4W_INVALIDPARAMETER);
    EXPECT_EQ(f_.Login((host + "\r\n").c_str(), "alice", "p", nullptr, 0), FTP4W_INVALIDPARAMETER);
    EXPECT_EQ(f_.Login(host.c_str(), nullptr, "p", nullptr, 0), FTP4W_INVALIDPARAMETER);
    EXPECT_EQ(f_.Login("127.0.0.1:0", "alice", "p", nullptr, 0), FTP4W_INVALIDPARAMETER);
    EXPECT_EQ(f_.Login("127.0.0.1:http", "alice", "p", nullptr, 0), FTP4W_INVALIDPARAMETER);
    EXPECT_EQ(server.connections(), 0);
    ASSERT_EQ(f_.Login(host.c_str(), "alice", "secret", nullptr, 0), 0);
    const std::string local = dir.file("list.txt");
    EXPECT_EQ(f_.Dir("a\r\nDELE b", local.c_str(), 1, nullptr, 0), FTP4W_INVALIDPARAMETER);
    EXPECT_EQ(f_.CWD("x\ny"), FTP4W_INVALIDPARAMETER);
    EXPECT_EQ(f_.RecvFile("a\rb", local.c_str(), 'I', 0, nullptr, 0), FTP4W_INVALIDPARAMETER);
    EXPECT_EQ(f_.SendFile(local.c_str(), "b\n", 'I', 0, nullptr, 0), FTP4W_INVALIDPARAMETER);
    EXPECT_EQ(f_.RecvFile("a", local.c_str(), 'E', 0, nullptr, 0), FTP4W_INVALIDPARAMETER);
    EXPECT_EQ(f_.CloseConnection(), 0);
  }
  // Nothing but the log-in and the goodbye reached the server.
  EXPECT_EQ(heard.lines, (std::vector<std::string>{"USER alice", "PASS secret", "QUIT"}));
}

TEST_F(FtpLibrary, ListingFileIsMadeEvenWhenEmptyOrRefused) {
  qvtest::TempDir dir("ftp4w");
  ScriptedServer server([&](ScriptedConnection& c) {
    Heard heard;
    LogIn(c, heard);
    c.Command();  // TYPE A
    c.Send("200 ascii\r\n");
    c.Command();  // PASV
    c.Send(PasvReply(c.ListenData()));
    c.Command();  // LIST /empty
    c.Send("150 Here comes the listing\r\n");
    c.SendData("");
    c.Send("226 Done\r\n");
    c.Command();
    c.Send("200 ascii\r\n");
    c.Command();
    c.Send(PasvReply(c.ListenData()));
    c.Command();  // NLST /missing
    c.Send("550 No such file or directory\r\n");
    c.Command();
    c.Send("200 ascii\r\n");
    c.Command();
    c.Send(PasvReply(c.ListenData()));
    c.Command();  // LIST, broken off by the server
    c.Send("150 Here comes the listing\r\n");
    c.SendData("-rw-r--r-- 1 a a 5 Jan 1 2000 x\r\n");
    c.Send("451 Local error\r\n");
    c.WaitForClose();
  });
  ASSERT_EQ(f_.Login(server.host().c_str(), "alice", "secret", nullptr, 0), 0);
  EXPECT_EQ(f_.Dir("/empty", dir.file("one.txt").c_str(), 1, nullptr, 0), 0);
  EXPECT_TRUE(dir.exists("one.txt"));
  EXPECT_EQ(dir.read("one.txt"), "");
  dir.write("two.txt", "old listing");
  EXPECT_EQ(f_.Dir("/missing", dir.file("two.txt").c_str(), 0, nullptr, 0), FTP4W_SERVERCANTEXECUTE);
  EXPECT_EQ(dir.read("two.txt"), "");
  EXPECT_EQ(f_.Dir("", dir.file("three.txt").c_str(), 1, nullptr, 0), FTP4W_SERVERCANTEXECUTE);
  f_.LocalClose();
}

TEST_F(FtpLibrary, AbortFromAnotherThreadEndsAStalledTransfer) {
  qvtest::TempDir dir("ftp4w");
  Heard heard;
  {
    ScriptedServer server([&](ScriptedConnection& c) {
      LogIn(c, heard);
      c.Command();
      c.Send("200 binary\r\n");
      c.Command();
      c.Send(PasvReply(c.ListenData()));
      c.Command();  // RETR
      c.Send("150 Opening (1000 bytes)\r\n");
      c.AcceptDataAndHold();
      c.SendHeld("first bytes");  // then nothing more
      heard.Next(c);  // ABOR
      c.Send("426 Transfer aborted\r\n226 Abort successful\r\n");
      heard.Next(c);
      c.Send("221 bye\r\n");
    });
    ASSERT_EQ(f_.Login(server.host().c_str(), "alice", "secret", nullptr, 0), 0);
    // Once the first bytes are in the file the client is waiting for more.
    const std::string local = dir.file("big.bin");
    std::thread aborter([&] {
      for (int i = 0; i < 3000; ++i) {
        std::error_code error;
        if (std::filesystem::exists(local, error) && std::filesystem::file_size(local, error) > 0) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
      }
      f_.Abort();
    });
    EXPECT_EQ(f_.RecvFile("big.bin", local.c_str(), 'I', 0, nullptr, 0), FTP4W_CANCELLED);
    aborter.join();
    // The session goes on after the abort.
    EXPECT_EQ(f_.CloseConnection(), 0);
  }
  EXPECT_EQ(heard.lines, (std::vector<std::string>{"USER alice", "PASS secret", "ABOR", "QUIT"}));
}

TEST_F(FtpLibrary, AStalledDataConnectionTimesOut) {
  qvtest::TempDir dir("ftp4w");
  ScriptedServer server([&](ScriptedConnection& c) {
    Heard heard;
    LogIn(c, heard);
    c.Command();
    c.Send("200 binary\r\n");
    c.Command();
    c.Send(PasvReply(c.ListenData()));
    c.Command();
    c.Send("150 Opening\r\n");
    c.AcceptDataAndHold();
    c.WaitForClose();
  });
  ASSERT_EQ(f_.Login(server.host().c_str(), "alice", "secret", nullptr, 0), 0);
  ASSERT_EQ(f_.SetDefaultTimeOut(1), 0);
  EXPECT_EQ(f_.RecvFile("big.bin", dir.file("big.bin").c_str(), 'I', 0, nullptr, 0), FTP4W_TIMEOUT);
  EXPECT_EQ(f_.CloseConnection(), FTP4W_NOTCONNECTED);
}

TEST_F(FtpLibrary, OneSessionPerProcess) {
  ScriptedServer server([&](ScriptedConnection& c) {
    Heard heard;
    LogIn(c, heard);
    c.Command();
    c.Send("221 bye\r\n");
  });
  // No FtpInit needed; FtpInit and FtpRelease are harmless.
  ASSERT_EQ(f_.Login(server.host().c_str(), "alice", "secret", nullptr, 0), 0);
  EXPECT_EQ(f_.Login(server.host().c_str(), "alice", "secret", nullptr, 0), FTP4W_SESSIONUSED);
  EXPECT_EQ(f_.OpenConnection(server.host().c_str()), FTP4W_SESSIONUSED);
  EXPECT_EQ(f_.Init(nullptr), 0);
  EXPECT_EQ(f_.CloseConnection(), 0);
  EXPECT_EQ(f_.Release(), 0);
  EXPECT_EQ(server.connections(), 1);
}

}  // namespace
