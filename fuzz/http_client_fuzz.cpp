// The internet client end to end: a request to a server on 127.0.0.1 that
// answers with the input.
//
// Properties: the client never follows a redirect anywhere (it is told not
// to), ends every call, and hands back no more body bytes than the server
// sent; the status it reports is the one the head reader finds in the answer.
#include <memory>
#include <string>

#include "fuzz_support.h"
#include "loopback_server.h"
#include "net/http_wire.h"
#include "qvplatform.h"
#include "qvplatform/net_wininet.h"

namespace {

qvfuzz::LoopbackServer& Server() {
  static auto* server = new qvfuzz::LoopbackServer("\r\n\r\n");  // lives as long as the process
  return *server;
}

HINTERNET Session() {
  static HINTERNET session = [] {
    HINTERNET s = InternetOpenA("qvfuzz", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
    FUZZ_CHECK(s != nullptr);
    DWORD timeout = 5000;
    InternetSetOptionA(s, INTERNET_OPTION_RECEIVE_TIMEOUT, &timeout, sizeof timeout);
    return s;
  }();
  return session;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 64 * 1024) return 0;
  const std::string answer(qvfuzz::Bytes(data, size));
  Server().Answer(answer);
  const std::string url = "http://127.0.0.1:" + std::to_string(Server().port()) + "/status?x=1";
  HINTERNET request = InternetOpenUrlA(Session(), url.c_str(), nullptr, 0,
                                       INTERNET_FLAG_NO_AUTO_REDIRECT | INTERNET_FLAG_RELOAD, 0);
  if (request == nullptr) return 0;

  DWORD status = 0;
  DWORD length = sizeof status;
  FUZZ_CHECK(HttpQueryInfoA(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &length, nullptr));
  qvp::net::HeadReader reader;
  reader.Feed(answer.data(), answer.size());
  qvp::net::ResponseHead head;
  if (reader.done() && reader.Parse(&head) && head.status >= 200) FUZZ_CHECK(status == static_cast<DWORD>(head.status));

  size_t body = 0;
  char buffer[1000];
  for (;;) {
    DWORD got = 0;
    if (!InternetReadFile(request, buffer, sizeof buffer, &got) || got == 0) break;
    FUZZ_CHECK(got <= sizeof buffer);
    body += got;
    FUZZ_CHECK(body <= answer.size());
  }
  FUZZ_CHECK(InternetCloseHandle(request));
  return 0;
}
