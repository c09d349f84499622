// The internet client's handles: session, connection and request objects in
// a tree, their options, and the table that gives them HINTERNET values.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "net/http_conn.h"
#include "net/http_wire.h"
#include "net/inet_url.h"

namespace qvp::net {

enum class InetKind { kSession, kConnect, kRequest };

struct Timeouts {
  uint32_t connect = 60000;
  uint32_t send = 30000;
  uint32_t receive = 30000;
};

struct InetObject {
  explicit InetObject(InetKind k) : kind(k) {}
  virtual ~InetObject() = default;
  InetObject(const InetObject&) = delete;
  InetObject& operator=(const InetObject&) = delete;

  const InetKind kind;
  uintptr_t handle = 0;
  // Fired when the handle (or one above it) is closed: every wait of the
  // handle's transfers ends at once.
  const std::shared_ptr<Canceller> cancel = std::make_shared<Canceller>();

  std::mutex lock;  // guards what follows
  bool closed = false;
  Timeouts timeouts;
  std::string user, password;
  std::vector<std::weak_ptr<InetObject>> children;
};

struct Session : InetObject {
  Session() : InetObject(InetKind::kSession) {}
  std::string agent;
  uint32_t access = 0;
  std::string proxy, bypass;
};

struct ConnectObject : InetObject {
  ConnectObject() : InetObject(InetKind::kConnect) {}
  std::shared_ptr<Session> session;
  std::string server;
  uint16_t port = 0;
};

struct Request : InetObject {
  Request() : InetObject(InetKind::kRequest) {}
  std::shared_ptr<Session> session;
  std::string verb = "GET";
  std::string referrer, accept;
  uint32_t flags = 0;
  uint32_t security_flags = 0;  // SECURITY_FLAG_IGNORE_... set through the options

  std::mutex io;  // one transfer at a time; guards what follows
  Url url;        // after the redirects followed so far
  bool sent = false;
  bool secure = false;
  std::unique_ptr<Connection> conn;
  ResponseHead head;
  BodyDecoder body;
  std::string pending;  // body bytes received and decoded, not yet read
};

using InetPtr = std::shared_ptr<InetObject>;

// Process-wide defaults, taken over by new sessions.
Timeouts DefaultTimeouts();
void SetDefaultTimeouts(const Timeouts& t);

// Gives the object a handle value and hangs it under its parent (null for a
// session). Fails with ERROR_INVALID_HANDLE when the parent is already closed.
uint32_t AddInetObject(const InetPtr& object, const InetPtr& parent);
InetPtr LookupInet(void* handle);
// Closes the handle and every handle under it.
bool CloseInet(void* handle);

// The thread's last failure text, for InternetGetLastResponseInfoA.
void SetResponseInfo(uint32_t error, std::string text);
void GetResponseInfo(uint32_t* error, std::string* text);

// Sends the request (following redirects) and reads the response head.
uint32_t SendRequest(Request& r, std::string_view extra_headers, std::string_view body, std::string* detail);
// Reads up to n body bytes; fewer only at the end of the body.
uint32_t ReadBody(Request& r, char* buf, size_t n, size_t* got, std::string* detail);

}  // namespace qvp::net
