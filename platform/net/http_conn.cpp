#include "net/http_conn.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "qvplatform/net_wininet.h"

namespace qvp::net {
namespace {

using Clock = std::chrono::steady_clock;

bool Unlimited(uint32_t ms) { return ms == 0 || ms == 0xFFFFFFFFu; }

// Milliseconds left before `deadline` for poll (-1: no limit).
int LeftMs(bool unlimited, Clock::time_point deadline) {
  if (unlimited) return -1;
  auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return left <= 0 ? 0 : left > 0x7fffffff ? 0x7fffffff : static_cast<int>(left);
}

std::string SystemText(int err) { return std::strerror(err); }

// ---------------------------------------------------------------------------
// Name resolution, bounded: getaddrinfo runs on a thread of its own, and the
// caller waits for it no longer than the time-out or a close allow. A
// look-up left behind finishes on its own; its thread is joined by a later
// look-up or when the layer unloads.

struct Lookup {
  explicit Lookup(std::string h) : host(std::move(h)) {}
  ~Lookup() {
    if (done_fd >= 0) close(done_fd);
  }
  Lookup(const Lookup&) = delete;
  Lookup& operator=(const Lookup&) = delete;

  const std::string host;
  const int done_fd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  std::mutex lock;
  int result = EAI_AGAIN;  // guarded by lock
  std::vector<in_addr> addrs;

  void Run() {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* list = nullptr;
    int r = getaddrinfo(host.c_str(), nullptr, &hints, &list);
    {
      std::lock_guard<std::mutex> g(lock);
      result = r;
      for (addrinfo* ai = list; r == 0 && ai; ai = ai->ai_next) {
        addrs.push_back(reinterpret_cast<sockaddr_in*>(ai->ai_addr)->sin_addr);
      }
    }
    if (list) freeaddrinfo(list);
    uint64_t one = 1;
    ssize_t w = write(done_fd, &one, sizeof one);
    (void)w;
  }
};

class LookupThreads {
 public:
  ~LookupThreads() {
    std::vector<Entry> all;
    {
      std::lock_guard<std::mutex> g(lock_);
      all.swap(threads_);
    }
    for (Entry& e : all) e.thread.join();
  }

  bool Start(const std::shared_ptr<Lookup>& job) {
    JoinFinished();
    auto finished = std::make_shared<std::atomic<bool>>(false);
    std::lock_guard<std::mutex> g(lock_);
    try {
      threads_.push_back(Entry{std::thread([job, finished] {
                                 job->Run();
                                 *finished = true;
                               }),
                               finished});
    } catch (...) {
      return false;
    }
    return true;
  }

 private:
  struct Entry {
    std::thread thread;
    std::shared_ptr<std::atomic<bool>> finished;
  };

  void JoinFinished() {
    std::vector<Entry> done;
    {
      std::lock_guard<std::mutex> g(lock_);
      for (auto it = threads_.begin(); it != threads_.end();) {
        if (*it->finished) {
          done.push_back(std::move(*it));
          it = threads_.erase(it);
        } else {
          ++it;
        }
      }
    }
    for (Entry& e : done) e.thread.join();
  }

  std::mutex lock_;
  std::vector<Entry> threads_;
};

LookupThreads& Lookups() {
  static LookupThreads threads;
  return threads;
}

uint32_t Resolve(const std::string& host, bool unlimited, Clock::time_point deadline, const Canceller& cancel,
                 std::vector<in_addr>* out, std::string* detail) {
  in_addr literal{};
  if (inet_pton(AF_INET, host.c_str(), &literal) == 1) {
    out->assign(1, literal);
    return 0;
  }
  auto job = std::make_shared<Lookup>(host);
  if (job->done_fd < 0 || !Lookups().Start(job)) {
    *detail = "name resolution could not start";
    return ERROR_INTERNET_NAME_NOT_RESOLVED;
  }
  for (;;) {
    pollfd fds[2] = {{job->done_fd, POLLIN, 0}, {cancel.fd(), POLLIN, 0}};
    int n = poll(fds, 2, LeftMs(unlimited, deadline));
    if (n < 0 && errno != EINTR) return ERROR_INTERNET_INTERNAL_ERROR;
    if (fds[1].revents || cancel.fired()) {
      *detail = "name resolution of " + host + " cancelled";
      return ERROR_INTERNET_OPERATION_CANCELLED;
    }
    if (fds[0].revents) break;
    if (!unlimited && Clock::now() >= deadline) {
      *detail = "name resolution of " + host + " timed out";
      return ERROR_INTERNET_TIMEOUT;
    }
  }
  std::lock_guard<std::mutex> g(job->lock);
  if (job->result != 0 || job->addrs.empty()) {
    *detail = "cannot resolve " + host + ": " + gai_strerror(job->result ? job->result : EAI_NONAME);
    return ERROR_INTERNET_NAME_NOT_RESOLVED;
  }
  *out = job->addrs;
  return 0;
}

// ---------------------------------------------------------------------------
// TLS. The socket BIO of OpenSSL writes with write(), which raises SIGPIPE on a
// closed connection; this one sends with MSG_NOSIGNAL.

int BioFd(BIO* b) { return static_cast<int>(reinterpret_cast<intptr_t>(BIO_get_data(b))); }

int BioWrite(BIO* b, const char* data, size_t len, size_t* written) {
  BIO_clear_retry_flags(b);
  ssize_t n = send(BioFd(b), data, len, MSG_NOSIGNAL);
  if (n >= 0) {
    *written = static_cast<size_t>(n);
    return 1;
  }
  if (errno == EAGAIN || errno == EINTR) BIO_set_retry_write(b);
  return 0;
}

int BioRead(BIO* b, char* data, size_t len, size_t* got) {
  BIO_clear_retry_flags(b);
  ssize_t n = recv(BioFd(b), data, len, 0);
  if (n > 0) {
    *got = static_cast<size_t>(n);
    return 1;
  }
  if (n < 0 && (errno == EAGAIN || errno == EINTR)) BIO_set_retry_read(b);
  return 0;
}

long BioCtrl(BIO*, int cmd, long, void*) { return cmd == BIO_CTRL_FLUSH ? 1 : 0; }

int BioCreate(BIO* b) {
  BIO_set_init(b, 1);
  return 1;
}

BIO_METHOD* SocketMethod() {
  static BIO_METHOD* method = [] {
    BIO_METHOD* m = BIO_meth_new(BIO_get_new_index() | BIO_TYPE_SOURCE_SINK, "qv socket");
    BIO_meth_set_write_ex(m, BioWrite);
    BIO_meth_set_read_ex(m, BioRead);
    BIO_meth_set_ctrl(m, BioCtrl);
    BIO_meth_set_create(m, BioCreate);
    return m;
  }();
  return method;
}

// What the chain check found, by Windows' categories.
struct CertProblems {
  bool unknown_ca = false;
  bool dates = false;
  bool wrong_usage = false;
  bool other = false;
  std::string first;
};

int CertProblemsIndex() {
  static int index = SSL_get_ex_new_index(0, nullptr, nullptr, nullptr, nullptr);
  return index;
}

int NoteProblem(int ok, X509_STORE_CTX* ctx) {
  if (ok) return 1;
  auto* ssl = static_cast<SSL*>(X509_STORE_CTX_get_ex_data(ctx, SSL_get_ex_data_X509_STORE_CTX_idx()));
  auto* p = static_cast<CertProblems*>(SSL_get_ex_data(ssl, CertProblemsIndex()));
  int err = X509_STORE_CTX_get_error(ctx);
  switch (err) {
    case X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT:
    case X509_V_ERR_SELF_SIGNED_CERT_IN_CHAIN:
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT:
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY:
    case X509_V_ERR_UNABLE_TO_VERIFY_LEAF_SIGNATURE:
    case X509_V_ERR_CERT_UNTRUSTED:
      p->unknown_ca = true;
      break;
    case X509_V_ERR_CERT_HAS_EXPIRED:
    case X509_V_ERR_CERT_NOT_YET_VALID:
      p->dates = true;
      break;
    case X509_V_ERR_INVALID_PURPOSE:
      p->wrong_usage = true;
      break;
    default:
      p->other = true;
      break;
  }
  if (p->first.empty()) p->first = X509_verify_cert_error_string(err);
  return 1;  // go on: the verdict is given after the handshake, by the flags
}

bool IsAddressLiteral(const std::string& host) {
  in_addr a{};
  return inet_pton(AF_INET, host.c_str(), &a) == 1;
}

std::string OpenSslText() {
  unsigned long e = ERR_get_error();
  ERR_clear_error();
  if (!e) return "TLS handshake failed";
  char text[256];
  ERR_error_string_n(e, text, sizeof text);
  return text;
}

}  // namespace

Canceller::Canceller() : fd_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

Canceller::~Canceller() {
  if (fd_ >= 0) close(fd_);
}

void Canceller::Fire() {
  fired_ = true;
  uint64_t one = 1;
  ssize_t r = write(fd_, &one, sizeof one);
  (void)r;
}

Connection::Connection(std::shared_ptr<Canceller> cancel) : cancel_(std::move(cancel)) {}

Connection::~Connection() {
  if (ssl_) SSL_free(static_cast<SSL*>(ssl_));
  if (fd_ >= 0) close(fd_);
}

uint32_t Connection::Wait(short events, uint32_t timeout_ms) {
  const bool unlimited = Unlimited(timeout_ms);
  return WaitUntil(fd_, events, unlimited, Clock::now() + std::chrono::milliseconds(unlimited ? 0 : timeout_ms));
}

uint32_t Connection::WaitUntil(int fd, short events, bool unlimited, std::chrono::steady_clock::time_point deadline) {
  for (;;) {
    if (cancel_->fired()) return ERROR_INTERNET_OPERATION_CANCELLED;
    pollfd fds[2] = {{fd, events, 0}, {cancel_->fd(), POLLIN, 0}};
    int n = poll(fds, 2, LeftMs(unlimited, deadline));
    if (n < 0 && errno != EINTR) return ERROR_INTERNET_INTERNAL_ERROR;
    if (fds[1].revents) return ERROR_INTERNET_OPERATION_CANCELLED;
    if (n > 0 && fds[0].revents) return 0;
    if (!unlimited && Clock::now() >= deadline) return ERROR_INTERNET_TIMEOUT;
  }
}

uint32_t Connection::Open(const std::string& host, uint16_t port, uint32_t timeout_ms, std::string* detail) {
  const bool unlimited = Unlimited(timeout_ms);
  const auto deadline = Clock::now() + std::chrono::milliseconds(unlimited ? 0 : timeout_ms);
  std::vector<in_addr> addrs;
  if (uint32_t err = Resolve(host, unlimited, deadline, *cancel_, &addrs, detail)) return err;
  uint32_t result = ERROR_INTERNET_CANNOT_CONNECT;
  for (const in_addr& a : addrs) {
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
      *detail = "socket: " + SystemText(errno);
      return ERROR_INTERNET_CANNOT_CONNECT;
    }
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_addr = a;
    to.sin_port = htons(port);
    int r = connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof to);
    int err = r == 0 ? 0 : errno;
    if (err == EINPROGRESS) {
      if (uint32_t w = WaitUntil(fd, POLLOUT, unlimited, deadline)) {
        close(fd);
        *detail = "connecting to " + host + (w == ERROR_INTERNET_TIMEOUT ? " timed out" : " cancelled");
        return w;
      }
      socklen_t len = sizeof err;
      getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &len);
    }
    if (err == 0) {
      fd_ = fd;
      return 0;
    }
    close(fd);
    *detail = "connecting to " + host + ": " + SystemText(err);
    result = ERROR_INTERNET_CANNOT_CONNECT;
    if (!unlimited && Clock::now() >= deadline) return ERROR_INTERNET_TIMEOUT;
  }
  return result;
}

namespace {

// What the trusted certificates were loaded from, with each place's identity
// and time of change: a new stamp means the store changed.
std::string StoreStamp() {
  std::string stamp;
  auto add = [&](const char* path) {
    stamp += path;
    struct stat st;
    if (::stat(path, &st) == 0) {
      stamp += ':' + std::to_string(st.st_ino) + ':' + std::to_string(st.st_size) + ':' +
               std::to_string(st.st_mtim.tv_sec) + '.' + std::to_string(st.st_mtim.tv_nsec);
    }
    stamp += '\n';
  };
  const char* file = std::getenv(X509_get_default_cert_file_env());
  add(file && *file ? file : X509_get_default_cert_file());
  const char* dir = std::getenv(X509_get_default_cert_dir_env());
  add(dir && *dir ? dir : X509_get_default_cert_dir());
  if (const char* ca = std::getenv("QV_CA_FILE"); ca && *ca) add(ca);
  return stamp;
}

// The one client context of the process, loaded once with the system's
// trusted certificates and loaded again when they change. Returns a
// reference the caller frees, or null.
SSL_CTX* SharedClientContext() {
  static std::mutex lock;
  static SSL_CTX* shared = nullptr;
  static std::string loaded_from;
  const std::string stamp = StoreStamp();
  std::lock_guard<std::mutex> hold(lock);
  if (shared == nullptr || stamp != loaded_from) {
    SSL_CTX* ctx = SSL_CTX_new(TLS_client_method());
    if (!ctx) return nullptr;
    SSL_CTX_set_default_verify_paths(ctx);
    if (const char* ca = std::getenv("QV_CA_FILE"); ca && *ca) SSL_CTX_load_verify_locations(ctx, ca, nullptr);
    SSL_CTX_set_options(ctx, SSL_OP_IGNORE_UNEXPECTED_EOF);  // many servers close without a TLS goodbye
    // Connections made before keep their own reference to the old one.
    if (shared != nullptr) SSL_CTX_free(shared);
    shared = ctx;
    loaded_from = stamp;
  }
  SSL_CTX_up_ref(shared);
  return shared;
}

}  // namespace

uint32_t Connection::StartTls(const std::string& host, uint32_t ignore, uint32_t timeout_ms, std::string* detail) {
  SSL_CTX* ctx = SharedClientContext();
  if (!ctx) {
    *detail = OpenSslText();
    return ERROR_INTERNET_SECURITY_CHANNEL_ERROR;
  }
  SSL* ssl = SSL_new(ctx);
  SSL_CTX_free(ctx);  // the SSL keeps its own reference
  if (!ssl) {
    *detail = OpenSslText();
    return ERROR_INTERNET_SECURITY_CHANNEL_ERROR;
  }
  ssl_ = ssl;
  BIO* bio = BIO_new(SocketMethod());
  BIO_set_data(bio, reinterpret_cast<void*>(static_cast<intptr_t>(fd_)));
  SSL_set_bio(ssl, bio, bio);
  CertProblems problems;
  SSL_set_ex_data(ssl, CertProblemsIndex(), &problems);
  SSL_set_verify(ssl, SSL_VERIFY_PEER, NoteProblem);
  if (!IsAddressLiteral(host)) SSL_set_tlsext_host_name(ssl, host.c_str());
  for (;;) {
    ERR_clear_error();
    int r = SSL_connect(ssl);
    if (r == 1) break;
    int e = SSL_get_error(ssl, r);
    if (e == SSL_ERROR_WANT_READ || e == SSL_ERROR_WANT_WRITE) {
      if (uint32_t w = Wait(e == SSL_ERROR_WANT_READ ? POLLIN : POLLOUT, timeout_ms)) {
        SSL_set_ex_data(ssl, CertProblemsIndex(), nullptr);
        *detail = w == ERROR_INTERNET_TIMEOUT ? "TLS handshake timed out" : "TLS handshake cancelled";
        return w;
      }
      continue;
    }
    SSL_set_ex_data(ssl, CertProblemsIndex(), nullptr);
    *detail = OpenSslText();
    return ERROR_INTERNET_SECURITY_CHANNEL_ERROR;
  }
  SSL_set_ex_data(ssl, CertProblemsIndex(), nullptr);

  X509* cert = SSL_get1_peer_certificate(ssl);
  if (!cert) {
    *detail = "the server sent no certificate";
    return ERROR_INTERNET_SECURITY_CHANNEL_ERROR;
  }
  bool name_ok = IsAddressLiteral(host) ? X509_check_ip_asc(cert, host.c_str(), 0) == 1
                                        : X509_check_host(cert, host.c_str(), host.size(), 0, nullptr) == 1;
  X509_free(cert);
  if (problems.unknown_ca && !(ignore & SECURITY_FLAG_IGNORE_UNKNOWN_CA)) {
    *detail = "certificate: " + problems.first;
    return ERROR_INTERNET_INVALID_CA;
  }
  if (problems.dates && !(ignore & SECURITY_FLAG_IGNORE_CERT_DATE_INVALID)) {
    *detail = "certificate is out of its validity dates";
    return ERROR_INTERNET_SEC_CERT_DATE_INVALID;
  }
  if (!name_ok && !(ignore & SECURITY_FLAG_IGNORE_CERT_CN_INVALID)) {
    *detail = "certificate is not for " + host;
    return ERROR_INTERNET_SEC_CERT_CN_INVALID;
  }
  if ((problems.wrong_usage && !(ignore & SECURITY_FLAG_IGNORE_WRONG_USAGE)) || problems.other) {
    *detail = "certificate: " + problems.first;
    return ERROR_INTERNET_SEC_INVALID_CERT;
  }
  return 0;
}

uint32_t Connection::Write(std::string_view data, uint32_t timeout_ms) {
  while (!data.empty()) {
    if (cancel_->fired()) return ERROR_INTERNET_OPERATION_CANCELLED;
    short want = POLLOUT;
    if (ssl_) {
      auto* ssl = static_cast<SSL*>(ssl_);
      ERR_clear_error();
      size_t written = 0;
      int r = SSL_write_ex(ssl, data.data(), data.size(), &written);
      if (r == 1) {
        data.remove_prefix(written);
        continue;
      }
      int e = SSL_get_error(ssl, r);
      if (e != SSL_ERROR_WANT_READ && e != SSL_ERROR_WANT_WRITE) return ERROR_INTERNET_CONNECTION_ABORTED;
      want = e == SSL_ERROR_WANT_READ ? POLLIN : POLLOUT;
    } else {
      ssize_t n = send(fd_, data.data(), data.size(), MSG_NOSIGNAL);
      if (n >= 0) {
        data.remove_prefix(static_cast<size_t>(n));
        continue;
      }
      if (errno == ECONNRESET || errno == EPIPE) return ERROR_INTERNET_CONNECTION_RESET;
      if (errno != EAGAIN && errno != EINTR) return ERROR_INTERNET_CONNECTION_ABORTED;
    }
    if (uint32_t w = Wait(want, timeout_ms)) return w;
  }
  return 0;
}

uint32_t Connection::Read(char* buf, size_t n, size_t* got, uint32_t timeout_ms) {
  *got = 0;
  for (;;) {
    if (cancel_->fired()) return ERROR_INTERNET_OPERATION_CANCELLED;
    short want = POLLIN;
    if (ssl_) {
      auto* ssl = static_cast<SSL*>(ssl_);
      ERR_clear_error();
      size_t read = 0;
      int r = SSL_read_ex(ssl, buf, n, &read);
      if (r == 1) {
        *got = read;
        return 0;
      }
      int e = SSL_get_error(ssl, r);
      if (e == SSL_ERROR_ZERO_RETURN) return 0;
      if (e != SSL_ERROR_WANT_READ && e != SSL_ERROR_WANT_WRITE) return ERROR_INTERNET_CONNECTION_ABORTED;
      want = e == SSL_ERROR_WANT_READ ? POLLIN : POLLOUT;
    } else {
      ssize_t r = recv(fd_, buf, n, 0);
      if (r >= 0) {
        *got = static_cast<size_t>(r);
        return 0;
      }
      if (errno == ECONNRESET) return ERROR_INTERNET_CONNECTION_RESET;
      if (errno != EAGAIN && errno != EINTR) return ERROR_INTERNET_CONNECTION_ABORTED;
    }
    if (uint32_t w = Wait(want, timeout_ms)) return w;
  }
}

}  // namespace qvp::net
