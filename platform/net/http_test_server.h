// Tests only: a small HTTP(S) server on 127.0.0.1 at a port of the system's
// choosing, serving one connection at a time in its own thread (joined by
// the destructor), and self-signed certificates made on the spot.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace nettest {

// A key and a self-signed certificate for the names given (DNS names and
// IPv4 addresses), valid from `from_days` to `to_days` around now.
class TestCertificate {
 public:
  TestCertificate(const std::vector<std::string>& names, int from_days = -1, int to_days = 30);
  ~TestCertificate();
  TestCertificate(const TestCertificate&) = delete;
  TestCertificate& operator=(const TestCertificate&) = delete;
  // The certificate as a PEM file (under the temporary directory; removed with the object).
  const std::string& pem_path() const { return pem_path_; }
  void* key() const { return key_; }    // EVP_PKEY*
  void* cert() const { return cert_; }  // X509*

 private:
  void* key_ = nullptr;
  void* cert_ = nullptr;
  std::string pem_path_;
};

struct Reply {
  std::string bytes;        // sent as they are
  bool hang_after = false;  // then keep the connection open until the client leaves
};

class TestServer {
 public:
  // Called with each request (head and body as received); answers its reply.
  using Handler = std::function<Reply(const std::string& request)>;

  explicit TestServer(Handler handler, const TestCertificate* tls = nullptr);
  ~TestServer();
  TestServer(const TestServer&) = delete;
  TestServer& operator=(const TestServer&) = delete;

  uint16_t port() const { return port_; }
  std::vector<std::string> requests();

 private:
  void Run();
  void Serve(int fd);

  Handler handler_;
  void* tls_ctx_ = nullptr;  // SSL_CTX*
  int listener_ = -1;
  int stop_fd_ = -1;
  uint16_t port_ = 0;
  std::mutex lock_;
  std::vector<std::string> requests_;
  std::thread thread_;
};

// A complete response with a Content-Length.
std::string Response(int status, const std::string& reason, const std::string& body,
                     const std::string& extra_headers = "");

}  // namespace nettest
