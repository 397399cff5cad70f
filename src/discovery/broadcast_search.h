// The broadcast search: a 148-byte query from port 67 to 255.255.255.255
// port 68, answered by 148-byte packets carrying key=value text pairs.
#pragma once

#include <cstddef>

#include "discovery/search_thread.h"

#define DHCP_SEARCH_PACKET_SIZE 148
#define DHCP_SEARCH_OP_QUERY 11
#define DHCP_SEARCH_OP_ANSWER 12
#define BROADCAST_SEARCH_LOCAL_PORT 67
#define BROADCAST_SEARCH_DEVICE_PORT 68

// Wire format of both the query and the answer.
struct DhcpSearchPacket {
  unsigned char op;           // 11 query, 12 answer
  unsigned char type;         // query: 1; answer: report type
  unsigned char reserved1[2];
  unsigned char address[4];   // query: FF FF FF FF
  unsigned char reserved2[12];
  char text[128];             // answer: "key=value&key=value", zero-ended or full
};
static_assert(sizeof(DhcpSearchPacket) == DHCP_SEARCH_PACKET_SIZE, "wire format is 148 bytes");

// The query: 0B 01 00 00 FF FF FF FF and 140 zero bytes.
DhcpSearchPacket MakeDhcpSearchQuery();

enum class BroadcastParseResult {
  kIgnored,    // not 148 bytes
  kNotDevice,  // first byte is not 12
  kDevice,     // `out` holds the record
};

// Turns one received datagram into a record: szIP from the sender, nType
// from byte 1, and the "id=", "host=", "vendor=" and "product=" values of
// the text (first occurrence of each key, up to the next "&"), each cut to
// 31 bytes.
BroadcastParseResult ParseBroadcastAnswer(const void* data, size_t length, const char* senderIP,
                                          SearchDeviceInfo& out);

class CSearchDeviceBroadcastThread : public CSearchDeviceThread {
 public:
  int CreateWorkThread() override;
  // Sends the query once through every interface that has an IPv4 address
  // (the limited broadcast otherwise leaves only through the interface of
  // its route), or plainly when no such interface is found.
  int SendSearchCommand(const DhcpSearchPacket* packet) override;
  void HandleReceive(const char* data, int length, const char* senderIP) override;
};
