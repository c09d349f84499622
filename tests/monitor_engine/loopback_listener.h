// Tests only: a listening TCP socket on 127.0.0.1 (kept apart from the
// layer's socket declarations).
#pragma once

class Listener {
 public:
  // Port 0 picks a free port; a given port is taken again at once.
  explicit Listener(int port = 0);
  ~Listener();
  Listener(const Listener&) = delete;
  Listener& operator=(const Listener&) = delete;
  bool ok() const { return m_ok; }
  int port() const { return m_port; }

 private:
  int m_socket = -1;
  int m_port = 0;
  bool m_ok = false;
};
