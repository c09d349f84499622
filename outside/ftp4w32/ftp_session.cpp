// The one FTP session of the process and the entry points that use it. Every
// entry point takes the session's lock, so calls from several threads follow
// one another; only FtpAbort and FtpBytesToBeTransferred answer at once.
#include <atomic>
#include <cstring>
#include <mutex>
#include <string>

#include "ftp4w32.h"
#include "ftp_wire.h"
#include "local_file.h"

namespace ftp4w {
namespace {

// Longest argument text sent to the server.
constexpr size_t kMaxArgument = 1024;

struct Session {
  std::mutex lock;
  ControlConnection control;
  int defaultPort = 21;
  int timeoutSeconds = 30;
  bool asynchronous = false;
  bool passive = true;
};

Session& TheSession() {
  static Session session;
  return session;
}

std::atomic<long> g_remaining{0};

// Text fit to go on a command line: present, not too long, and without the
// line ends that would let it forge a second command.
bool CleanText(const char* text, bool mayBeEmpty) {
  if (text == nullptr) return false;
  const size_t length = strnlen(text, kMaxArgument + 1);
  if (length > kMaxArgument || (length == 0 && !mayBeEmpty)) return false;
  return std::strpbrk(text, "\r\n") == nullptr;
}

int Finish(const Session& session, HWND window, UINT message, int result) {
  if (session.asynchronous && window != nullptr && message != 0) PostResult(window, message, result);
  return result;
}

int SetType(ControlConnection& control, char type) {
  const char* command = nullptr;
  if (type == 'A' || type == 'a') command = "TYPE A";
  if (type == 'I' || type == 'i') command = "TYPE I";
  if (command == nullptr) return FTP4W_INVALIDPARAMETER;
  Reply reply;
  const int result = control.Command(command, &reply);
  if (result != FTP4W_OK) return result;
  return reply.code == 200 ? FTP4W_OK : FTP4W_CANNOTCHANGETYPE;
}

// The size a 150 reply announces as "(N bytes)", or 0.
long AnnouncedSize(const std::string& text) {
  const size_t at = text.find(" bytes)");
  if (at == std::string::npos) return 0;
  size_t start = at;
  while (start > 0 && text[start - 1] >= '0' && text[start - 1] <= '9') --start;
  if (start == at || at - start > 15) return 0;
  return std::stol(text.substr(start, at - start));
}

bool Preliminary(const Reply& reply) { return reply.code == 125 || reply.code == 150; }
bool Completed(const Reply& reply) { return reply.code == 226 || reply.code == 250; }

// After a data transfer was broken off on our side: tell the server and read
// what it answers, so that the session can go on. Drops the session when the
// server does not answer in time.
void AbortTransfer(ControlConnection& control) {
  ClearAbort();
  Reply reply;
  if (control.Command("ABOR", &reply) != FTP4W_OK) return;
  // 426 for the broken transfer, then 226 for the ABOR; or 226 alone.
  if (reply.code == 426 || reply.code == 425 || reply.code == 451) control.ReadReply(&reply);
}

// Receives the data connection's bytes into the file until the server closes it.
int ReceiveData(ControlConnection& control, int dataFd, LocalFile& file) {
  char buffer[65536];
  for (;;) {
    long got = 0;
    const int result = ReceiveSome(dataFd, buffer, sizeof buffer, DeadlineAfter(control.timeout()), &got);
    if (result != FTP4W_OK) return result;
    if (got == 0) return FTP4W_OK;
    if (!file.Write(buffer, static_cast<size_t>(got))) return FTP4W_CANTWRITE;
    long left = g_remaining.load();
    g_remaining.store(left > got ? left - got : 0);
  }
}

// Sends the file over the data connection.
int SendData(ControlConnection& control, int dataFd, LocalFile& file) {
  char buffer[65536];
  for (;;) {
    const long got = file.Read(buffer, sizeof buffer);
    if (got < 0) return FTP4W_CANTOPENFILE;
    if (got == 0) return FTP4W_OK;
    const int sent = SendAll(dataFd, buffer, static_cast<size_t>(got), DeadlineAfter(control.timeout()));
    if (sent != FTP4W_OK) return sent == FTP4W_SENDREFUSED ? FTP4W_DATACONNECTION : sent;
    long left = g_remaining.load();
    g_remaining.store(left > got ? left - got : 0);
  }
}

// After the data of a transfer: a failure on our side is told to the server;
// otherwise the server's closing reply decides.
int EndTransfer(ControlConnection& control, int dataResult, int refusedCode) {
  Reply reply;
  if (dataResult == FTP4W_CANCELLED || dataResult == FTP4W_CANTWRITE || dataResult == FTP4W_CANTOPENFILE) {
    AbortTransfer(control);
    return dataResult;
  }
  if (dataResult != FTP4W_OK) {
    // Silence or a broken data connection: the server's state is unknown.
    control.Close();
    return dataResult;
  }
  const int result = control.ReadReply(&reply);
  if (result != FTP4W_OK) return result;
  return Completed(reply) ? FTP4W_OK : refusedCode;
}

}  // namespace
}  // namespace ftp4w

using ftp4w::CleanText;
using ftp4w::Reply;
using ftp4w::TheSession;

QV_API int WINAPI FtpInit(HWND) { return FTP4W_OK; }

QV_API int WINAPI FtpRelease(void) {
  std::lock_guard<std::mutex> hold(TheSession().lock);
  TheSession().control.Close();
  return FTP4W_OK;
}

QV_API long WINAPI FtpBytesToBeTransferred(void) { return ftp4w::g_remaining.load(); }

QV_API int WINAPI FtpSetDefaultPort(int nDefaultPort) {
  if (nDefaultPort < 1 || nDefaultPort > 65535) return FTP4W_INVALIDPARAMETER;
  std::lock_guard<std::mutex> hold(TheSession().lock);
  TheSession().defaultPort = nDefaultPort;
  return FTP4W_OK;
}

QV_API int WINAPI FtpSetDefaultTimeOut(int nTimeOutSeconds) {
  if (nTimeOutSeconds < 1 || nTimeOutSeconds > 86400) return FTP4W_INVALIDPARAMETER;
  std::lock_guard<std::mutex> hold(TheSession().lock);
  TheSession().timeoutSeconds = nTimeOutSeconds;
  TheSession().control.set_timeout(nTimeOutSeconds * 1000);
  return FTP4W_OK;
}

namespace {

int Open(ftp4w::Session& session, LPCSTR szHost) {
  if (!CleanText(szHost, false)) return FTP4W_INVALIDPARAMETER;
  if (session.control.open()) return FTP4W_SESSIONUSED;
  std::string host;
  int port = 0;
  if (!ftp4w::SplitHostPort(szHost, session.defaultPort, &host, &port)) return FTP4W_INVALIDPARAMETER;
  ftp4w::ClearAbort();
  session.control.set_timeout(session.timeoutSeconds * 1000);
  return session.control.Connect(host, port);
}

int Login(ftp4w::Session& session, LPCSTR szHost, LPCSTR szUser, LPCSTR szPassword) {
  if (!CleanText(szHost, false) || !CleanText(szUser, false) || !CleanText(szPassword, true)) {
    return FTP4W_INVALIDPARAMETER;
  }
  int result = Open(session, szHost);
  if (result != FTP4W_OK) return result;
  Reply reply;
  result = session.control.Command(std::string("USER ") + szUser, &reply);
  if (result == FTP4W_OK && reply.code == 331) {
    result = session.control.Command(std::string("PASS ") + szPassword, &reply);
  }
  if (result == FTP4W_OK && reply.code == 230) return FTP4W_OK;
  if (result == FTP4W_OK) result = reply.code == 332 ? FTP4W_ACCOUNTNEEDED : FTP4W_LOGINREFUSED;
  // Not logged in: nothing of the session stays.
  if (session.control.open()) session.control.SendLine("QUIT");
  session.control.Close();
  return result;
}

}  // namespace

QV_API int WINAPI FtpLogin(LPCSTR szHost, LPCSTR szUser, LPCSTR szPassword, HWND hParentWnd, UINT wMsg) {
  ftp4w::Session& session = TheSession();
  std::lock_guard<std::mutex> hold(session.lock);
  return ftp4w::Finish(session, hParentWnd, wMsg, Login(session, szHost, szUser, szPassword));
}

QV_API int WINAPI FtpOpenConnection(LPCSTR szHost) {
  ftp4w::Session& session = TheSession();
  std::lock_guard<std::mutex> hold(session.lock);
  return Open(session, szHost);
}

QV_API int WINAPI FtpCloseConnection(void) {
  ftp4w::Session& session = TheSession();
  std::lock_guard<std::mutex> hold(session.lock);
  if (!session.control.open()) return FTP4W_NOTCONNECTED;
  ftp4w::ClearAbort();
  Reply reply;
  session.control.Command("QUIT", &reply);
  session.control.Close();
  return FTP4W_OK;
}

QV_API int WINAPI FtpLocalClose(void) {
  ftp4w::Session& session = TheSession();
  std::lock_guard<std::mutex> hold(session.lock);
  session.control.Close();
  return FTP4W_OK;
}

QV_API int WINAPI FtpRecvFile(LPCSTR szRemote, LPCSTR szLocal, char cType, BOOL, HWND hParentWnd, UINT wMsg) {
  ftp4w::Session& session = TheSession();
  std::lock_guard<std::mutex> hold(session.lock);
  auto run = [&]() -> int {
    if (!CleanText(szRemote, false) || !CleanText(szLocal, false)) return FTP4W_INVALIDPARAMETER;
    if (!session.control.open()) return FTP4W_NOTCONNECTED;
    ftp4w::ClearAbort();
    ftp4w::g_remaining.store(0);
    int result = ftp4w::SetType(session.control, cType);
    if (result != FTP4W_OK) return result;
    int dataFd = -1;
    result = session.control.OpenData(&dataFd);
    if (result != FTP4W_OK) return result;
    ftp4w::DataSocket data(dataFd);
    Reply reply;
    result = session.control.Command(std::string("RETR ") + szRemote, &reply);
    if (result != FTP4W_OK) return result;
    if (!ftp4w::Preliminary(reply)) return reply.code >= 400 ? FTP4W_NOREMOTEFILE : FTP4W_UNEXPECTEDANSWER;
    ftp4w::g_remaining.store(ftp4w::AnnouncedSize(reply.text));
    ftp4w::LocalFile file;
    // The local file is made only once the server sends the file.
    if (!file.Create(szLocal)) {
      data.Close();
      return ftp4w::EndTransfer(session.control, FTP4W_CANTOPENFILE, FTP4W_TRANSFERREFUSED);
    }
    const int received = ftp4w::ReceiveData(session.control, data.fd(), file);
    data.Close();
    file.Close();
    return ftp4w::EndTransfer(session.control, received, FTP4W_TRANSFERREFUSED);
  };
  const int result = run();
  ftp4w::g_remaining.store(0);
  return ftp4w::Finish(session, hParentWnd, wMsg, result);
}

QV_API int WINAPI FtpSendFile(LPCSTR szLocal, LPCSTR szRemote, char cType, BOOL, HWND hParentWnd, UINT wMsg) {
  ftp4w::Session& session = TheSession();
  std::lock_guard<std::mutex> hold(session.lock);
  auto run = [&]() -> int {
    if (!CleanText(szRemote, false) || !CleanText(szLocal, false)) return FTP4W_INVALIDPARAMETER;
    if (!session.control.open()) return FTP4W_NOTCONNECTED;
    ftp4w::ClearAbort();
    ftp4w::LocalFile file;
    if (!file.OpenForReading(szLocal)) return FTP4W_CANTOPENFILE;
    ftp4w::g_remaining.store(static_cast<long>(file.Size()));
    int result = ftp4w::SetType(session.control, cType);
    if (result != FTP4W_OK) return result;
    int dataFd = -1;
    result = session.control.OpenData(&dataFd);
    if (result != FTP4W_OK) return result;
    ftp4w::DataSocket data(dataFd);
    Reply reply;
    result = session.control.Command(std::string("STOR ") + szRemote, &reply);
    if (result != FTP4W_OK) return result;
    if (!ftp4w::Preliminary(reply)) return reply.code >= 400 ? FTP4W_TRANSFERREFUSED : FTP4W_UNEXPECTEDANSWER;
    const int sent = ftp4w::SendData(session.control, data.fd(), file);
    data.Close();  // the end of the data is the end of the file
    return ftp4w::EndTransfer(session.control, sent, FTP4W_TRANSFERREFUSED);
  };
  const int result = run();
  ftp4w::g_remaining.store(0);
  return ftp4w::Finish(session, hParentWnd, wMsg, result);
}

QV_API int WINAPI FtpDir(LPCSTR szDef, LPCSTR szLocalFile, BOOL bLongDir, HWND hParentWnd, UINT wMsg) {
  ftp4w::Session& session = TheSession();
  std::lock_guard<std::mutex> hold(session.lock);
  auto run = [&]() -> int {
    const bool hasPath = szDef != nullptr && szDef[0] != '\0';
    if ((hasPath && !CleanText(szDef, false)) || !CleanText(szLocalFile, false)) return FTP4W_INVALIDPARAMETER;
    if (!session.control.open()) return FTP4W_NOTCONNECTED;
    ftp4w::ClearAbort();
    // The listing file exists after every call that reaches the server, even
    // when the listing is empty or refused.
    ftp4w::LocalFile file;
    if (!file.Create(szLocalFile)) return FTP4W_CANTOPENFILE;
    int result = ftp4w::SetType(session.control, 'A');
    if (result != FTP4W_OK) return result;
    int dataFd = -1;
    result = session.control.OpenData(&dataFd);
    if (result != FTP4W_OK) return result;
    ftp4w::DataSocket data(dataFd);
    std::string command = bLongDir ? "LIST" : "NLST";
    if (hasPath) command += std::string(" ") + szDef;
    Reply reply;
    result = session.control.Command(command, &reply);
    if (result != FTP4W_OK) return result;
    if (!ftp4w::Preliminary(reply)) return reply.code >= 400 ? FTP4W_SERVERCANTEXECUTE : FTP4W_UNEXPECTEDANSWER;
    const int received = ftp4w::ReceiveData(session.control, data.fd(), file);
    data.Close();
    file.Close();
    return ftp4w::EndTransfer(session.control, received, FTP4W_SERVERCANTEXECUTE);
  };
  return ftp4w::Finish(session, hParentWnd, wMsg, run());
}

QV_API int WINAPI FtpSetAsynchronousMode(void) {
  std::lock_guard<std::mutex> hold(TheSession().lock);
  TheSession().asynchronous = true;
  return FTP4W_OK;
}

QV_API int WINAPI FtpSetSynchronousMode(void) {
  std::lock_guard<std::mutex> hold(TheSession().lock);
  TheSession().asynchronous = false;
  return FTP4W_OK;
}

QV_API int WINAPI FtpAbort(void) {
  ftp4w::RequestAbort();
  return FTP4W_OK;
}

QV_API int WINAPI FtpPWD(LPSTR szBuffer, UINT uBufferSize) {
  if (szBuffer == nullptr || uBufferSize == 0) return FTP4W_INVALIDPARAMETER;
  szBuffer[0] = '\0';
  ftp4w::Session& session = TheSession();
  std::lock_guard<std::mutex> hold(session.lock);
  if (!session.control.open()) return FTP4W_NOTCONNECTED;
  ftp4w::ClearAbort();
  Reply reply;
  const int result = session.control.Command("PWD", &reply);
  if (result != FTP4W_OK) return result;
  if (reply.code != 257) return FTP4W_SERVERCANTEXECUTE;
  // 257 "<path>" text; a '"' inside the path is written twice.
  const size_t open = reply.text.find('"');
  if (open == std::string::npos) return FTP4W_UNEXPECTEDANSWER;
  std::string path;
  size_t at = open + 1;
  for (;;) {
    if (at >= reply.text.size() || reply.text[at] == '\n') return FTP4W_UNEXPECTEDANSWER;
    if (reply.text[at] == '"') {
      if (at + 1 < reply.text.size() && reply.text[at + 1] == '"') {
        path += '"';
        at += 2;
        continue;
      }
      break;
    }
    path += reply.text[at++];
  }
  // A path that does not fit is refused, never cut.
  if (path.size() >= uBufferSize) return FTP4W_INVALIDPARAMETER;
  std::memcpy(szBuffer, path.c_str(), path.size() + 1);
  return FTP4W_OK;
}

QV_API int WINAPI FtpSetPassiveMode(BOOL bPassive) {
  std::lock_guard<std::mutex> hold(TheSession().lock);
  TheSession().passive = bPassive != 0;
  return FTP4W_OK;
}

QV_API int WINAPI FtpCWD(LPCSTR szPath) {
  if (!CleanText(szPath, false)) return FTP4W_INVALIDPARAMETER;
  ftp4w::Session& session = TheSession();
  std::lock_guard<std::mutex> hold(session.lock);
  if (!session.control.open()) return FTP4W_NOTCONNECTED;
  ftp4w::ClearAbort();
  Reply reply;
  const int result = session.control.Command(std::string("CWD ") + szPath, &reply);
  if (result != FTP4W_OK) return result;
  return reply.code == 250 || reply.code == 200 ? FTP4W_OK : FTP4W_SERVERCANTEXECUTE;
}
