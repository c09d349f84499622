// Tests only: a private network namespace for the calling thread, so that a
// test can change network settings (loopback up, ICMP echo answering, the
// groups allowed ICMP datagram sockets) without touching the machine's.
#pragma once

#include <string>

namespace nettest {

// Moves the calling thread into a new network namespace with its loopback
// up. False (with the reason) when the process may not do that.
bool EnterPrivateNetwork(std::string* why);

// Writes a sysctl of the calling thread's network namespace, e.g.
// "net/ipv4/icmp_echo_ignore_all".
bool WriteNetSetting(const std::string& name, const std::string& value);

}  // namespace nettest
