// The machine's IPv4 interface addresses, as the kernel lists them.
#pragma once

#include <netinet/in.h>
#include <sys/types.h>

#include <string>
#include <vector>

struct LocalInterfaceAddress {
  std::string name;     // interface name, e.g. "eth0"
  unsigned index = 0;   // interface index
  std::string address;  // dotted IPv4 address
  bool up = false;
  bool loopback = false;
};

// Every IPv4 address of every interface, in the system's interface order.
// Returns false (with `error` set) when the list cannot be read.
bool ListInterfaceAddresses(std::vector<LocalInterfaceAddress>& out, std::string& error);

// The addresses of the interfaces that are up and not loopback, each once, in
// the system's interface order.
std::vector<LocalInterfaceAddress> UsableInterfaceAddresses();
std::vector<LocalInterfaceAddress> UsableInterfaceAddresses(const std::vector<LocalInterfaceAddress>& all);

// True for exactly four dot-separated decimal numbers of 0 to 255, each of
// one to three digits without a leading zero (so "10.0.0.1", not "010.0.0.1",
// "1.2.3", " 1.2.3.4" or "1.2.3.4x").
bool IsDottedIPv4(const char* text, size_t length);

// sendmsg() of one datagram on `fd`, leaving through interface `ifindex`
// (0: the routing choice) with source address `source` (0: the interface's
// choice), as IP_PKTINFO chooses them per datagram. Returns what sendmsg
// returns; errno tells the reason of a failure.
ssize_t SendWithPacketInfo(int fd, const void* data, size_t length, const sockaddr_in& to, unsigned ifindex,
                           in_addr source);
