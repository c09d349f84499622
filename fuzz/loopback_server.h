// A one-connection-at-a-time server on 127.0.0.1 for the targets that drive a
// client end to end: for each connection it reads what the client sends (up to
// an end marker), answers with the bytes it was given, and closes.
#pragma once

#include <memory>
#include <string>

namespace qvfuzz {

class LoopbackServer {
 public:
  // `until`: the client's bytes that end its turn before the answer goes
  // ("\r\n\r\n" for an HTTP request head). Empty: answer at once.
  explicit LoopbackServer(std::string until);
  ~LoopbackServer();
  LoopbackServer(const LoopbackServer&) = delete;
  LoopbackServer& operator=(const LoopbackServer&) = delete;

  unsigned short port() const;
  // The answer for every connection from now on.
  void Answer(std::string bytes);

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace qvfuzz
