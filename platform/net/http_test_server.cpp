#include "net/http_test_server.h"

#include <netinet/in.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>
#include <poll.h>
#include <pthread.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace nettest {
namespace {

// Reads from a plain or TLS connection; 0 at the end or on failure.
class Stream {
 public:
  Stream(int fd, SSL* ssl) : fd_(fd), ssl_(ssl) {}
  ssize_t Read(char* buf, size_t n) {
    if (!ssl_) return recv(fd_, buf, n, 0);
    size_t got = 0;
    return SSL_read_ex(ssl_, buf, n, &got) == 1 ? static_cast<ssize_t>(got) : 0;
  }
  void Write(const std::string& bytes) {
    if (bytes.empty()) return;
    if (ssl_) {
      size_t written = 0;
      SSL_write_ex(ssl_, bytes.data(), bytes.size(), &written);
    } else {
      size_t done = 0;
      while (done < bytes.size()) {
        ssize_t n = send(fd_, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
        if (n <= 0) return;
        done += static_cast<size_t>(n);
      }
    }
  }

 private:
  int fd_;
  SSL* ssl_;
};

size_t ContentLength(const std::string& head) {
  std::string lower = head;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  size_t at = lower.find("\ncontent-length:");
  return at == std::string::npos ? 0 : std::strtoul(lower.c_str() + at + 16, nullptr, 10);
}

}  // namespace

TestCertificate::TestCertificate(const std::vector<std::string>& names, int from_days, int to_days) {
  EVP_PKEY* key = EVP_EC_gen("P-256");
  X509* x = X509_new();
  X509_set_version(x, 2);
  ASN1_INTEGER_set(X509_get_serialNumber(x), 1);
  X509_gmtime_adj(X509_getm_notBefore(x), static_cast<long>(from_days) * 86400);
  X509_gmtime_adj(X509_getm_notAfter(x), static_cast<long>(to_days) * 86400);
  X509_set_pubkey(x, key);
  X509_NAME* name = X509_get_subject_name(x);
  X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC, reinterpret_cast<const unsigned char*>(names.front().c_str()),
                             -1, -1, 0);
  X509_set_issuer_name(x, name);
  std::string alt;
  for (const std::string& n : names) {
    bool address = !n.empty() && std::isdigit(static_cast<unsigned char>(n[0]));
    if (!alt.empty()) alt += ',';
    alt += address ? "IP:" : "DNS:";
    alt += n;
  }
  X509V3_CTX ctx;
  X509V3_set_ctx_nodb(&ctx);
  X509V3_set_ctx(&ctx, x, x, nullptr, nullptr, 0);
  for (auto [nid, value] : {std::pair{NID_subject_alt_name, alt.c_str()}, std::pair{NID_basic_constraints, "critical,CA:TRUE"}}) {
    X509_EXTENSION* ext = X509V3_EXT_conf_nid(nullptr, &ctx, nid, value);
    X509_add_ext(x, ext, -1);
    X509_EXTENSION_free(ext);
  }
  X509_sign(x, key, EVP_sha256());
  key_ = key;
  cert_ = x;
  char path[] = "/tmp/qvnet_cert_XXXXXX";
  int fd = mkstemp(path);
  if (fd >= 0) {
    FILE* f = fdopen(fd, "w");
    PEM_write_X509(f, x);
    fclose(f);
    pem_path_ = path;
  }
}

TestCertificate::~TestCertificate() {
  if (!pem_path_.empty()) std::remove(pem_path_.c_str());
  X509_free(static_cast<X509*>(cert_));
  EVP_PKEY_free(static_cast<EVP_PKEY*>(key_));
}

TestServer::TestServer(Handler handler, const TestCertificate* tls) : handler_(std::move(handler)) {
  if (tls) {
    SSL_CTX* ctx = SSL_CTX_new(TLS_server_method());
    SSL_CTX_use_certificate(ctx, static_cast<X509*>(tls->cert()));
    SSL_CTX_use_PrivateKey(ctx, static_cast<EVP_PKEY*>(tls->key()));
    tls_ctx_ = ctx;
  }
  listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(listener_, reinterpret_cast<sockaddr*>(&a), sizeof a);
  listen(listener_, 16);
  socklen_t len = sizeof a;
  getsockname(listener_, reinterpret_cast<sockaddr*>(&a), &len);
  port_ = ntohs(a.sin_port);
  stop_fd_ = eventfd(0, EFD_CLOEXEC);
  thread_ = std::thread([this] { Run(); });
}

TestServer::~TestServer() {
  uint64_t one = 1;
  ssize_t r = write(stop_fd_, &one, sizeof one);
  (void)r;
  thread_.join();
  close(listener_);
  close(stop_fd_);
  SSL_CTX_free(static_cast<SSL_CTX*>(tls_ctx_));
}

std::vector<std::string> TestServer::requests() {
  std::lock_guard<std::mutex> g(lock_);
  return requests_;
}

void TestServer::Run() {
  // OpenSSL writes with write(): a client that leaves early must not kill
  // the test with SIGPIPE. The signal goes to the writing thread, so
  // blocking it here is enough (and leaves the client's code exposed).
  sigset_t pipe;
  sigemptyset(&pipe);
  sigaddset(&pipe, SIGPIPE);
  pthread_sigmask(SIG_BLOCK, &pipe, nullptr);
  for (;;) {
    pollfd fds[2] = {{listener_, POLLIN, 0}, {stop_fd_, POLLIN, 0}};
    if (poll(fds, 2, -1) < 0) continue;
    if (fds[1].revents) return;
    int fd = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) continue;
    timeval limit{10, 0};  // no client keeps the server forever
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
    Serve(fd);
    close(fd);
  }
}

void TestServer::Serve(int fd) {
  SSL* ssl = nullptr;
  if (tls_ctx_) {
    ssl = SSL_new(static_cast<SSL_CTX*>(tls_ctx_));
    SSL_set_fd(ssl, fd);
    if (SSL_accept(ssl) != 1) {  // the client refused the certificate
      SSL_free(ssl);
      return;
    }
  }
  Stream stream(fd, ssl);
  std::string request;
  char buf[4096];
  size_t head_end = std::string::npos;
  while (head_end == std::string::npos) {
    ssize_t n = stream.Read(buf, sizeof buf);
    if (n <= 0) break;
    request.append(buf, static_cast<size_t>(n));
    head_end = request.find("\r\n\r\n");
  }
  if (head_end != std::string::npos) {
    size_t want = head_end + 4 + ContentLength(request.substr(0, head_end + 2));
    while (request.size() < want) {
      ssize_t n = stream.Read(buf, sizeof buf);
      if (n <= 0) break;
      request.append(buf, static_cast<size_t>(n));
    }
    {
      std::lock_guard<std::mutex> g(lock_);
      requests_.push_back(request);
    }
    Reply reply = handler_(request);
    stream.Write(reply.bytes);
    if (reply.hang_after) {
      // Until the client goes away or the server stops.
      for (;;) {
        pollfd fds[2] = {{fd, POLLIN, 0}, {stop_fd_, POLLIN, 0}};
        if (poll(fds, 2, -1) < 0) continue;
        if (fds[1].revents) break;
        if (stream.Read(buf, sizeof buf) <= 0) break;
      }
    }
  }
  if (ssl) {
    SSL_shutdown(ssl);
    SSL_free(ssl);
  }
}

std::string Response(int status, const std::string& reason, const std::string& body,
                     const std::string& extra_headers) {
  return "HTTP/1.1 " + std::to_string(status) + " " + reason + "\r\nContent-Length: " + std::to_string(body.size()) +
         "\r\n" + extra_headers + "\r\n" + body;
}

}  // namespace nettest
