// The multicast search: an M-SEARCH to 239.143.255.250 port 1900, answered
// by HTTP-style responses and accompanied by the devices' NOTIFY
// announcements. One worker listens on the group port; one per local
// address searches from a private port through its own interface.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "discovery/search_thread.h"

#define MULTICAST_SEARCH_GROUP "239.143.255.250"
#define MULTICAST_SEARCH_PORT 1900

// The 129-byte search request (no terminating zero).
const std::string& MulticastSearchRequest();

enum class MulticastParseResult {
  kDropped,  // no firmware token, bad LOCATION, no usable USN, or another kind
  kDevice,   // `out` holds the record
};

// Turns one received message (text up to its first zero byte, at most
// `length` bytes) into a record. The LOCATION host is used as szIP only
// when it is a dotted IPv4 address; otherwise, as for a message without
// LOCATION, the sender's address is used. Every field is cut to 31 bytes.
MulticastParseResult ParseMulticastMessage(const char* data, size_t length, const char* senderIP,
                                           SearchDeviceInfo& out);

class CSearchDeviceMulticastThread : public CSearchDeviceThread {
 public:
  // Group worker: address reuse, group membership, bind any address.
  int CreateWorkThread() override;
  // Leaves the group, then the base steps.
  int ExitWorkThread() override;
  // The group worker first joins the group on interfaces that came up since.
  int SendSearchCommand(const DhcpSearchPacket* packet) override;
  void HandleReceive(const char* data, int length, const char* senderIP) override;

  // Joins (or leaves) the group on every local interface address, or on the
  // default interface when there is none. Failures are traced and ignored.
  void AlterMulticastGroup(bool join);

 protected:
  void RetryCreateWorkThread();
  void SendRequest();
  // Interface addresses the group was joined on ("" for the default one).
  std::vector<std::string> m_joined;
};

class CSearchDeviceMultiCommandThead : public CSearchDeviceMulticastThread {
 public:
  // Per-address worker: binds strIP, sends its multicast through the
  // interface of strIP, joins no group.
  int CreateWorkThread() override;
  int ExitWorkThread() override;
  int SendSearchCommand(const DhcpSearchPacket* packet) override;
};
