#include "discovery/broadcast_search.h"

#include <netinet/in.h>

#include <cerrno>
#include <cstring>
#include <string_view>

#include <boost/asio/ip/address_v4.hpp>

#include "app/trace.h"
#include "discovery/local_address.h"
#include "discovery/search_control.h"

using boost::asio::ip::udp;

DhcpSearchPacket MakeDhcpSearchQuery() {
  DhcpSearchPacket packet;
  std::memset(&packet, 0, sizeof(packet));
  packet.op = DHCP_SEARCH_OP_QUERY;
  packet.type = 1;
  std::memset(packet.address, 0xFF, sizeof(packet.address));
  return packet;
}

namespace {

// The value of `key` in the answer text, or empty when the key is absent.
std::string_view FindValue(std::string_view text, std::string_view key) {
  size_t at = text.find(key);
  if (at == std::string_view::npos) return {};
  size_t start = at + key.size();
  size_t end = text.find('&', start);
  return text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
}

void SetField(char (&field)[SEARCH_DEVICE_TEXT_SIZE], std::string_view value) {
  SetDeviceText(field, value.data(), value.size());
}

}  // namespace

BroadcastParseResult ParseBroadcastAnswer(const void* data, size_t length, const char* senderIP,
                                          SearchDeviceInfo& out) {
  if (!data || length != DHCP_SEARCH_PACKET_SIZE) return BroadcastParseResult::kIgnored;
  DhcpSearchPacket packet;
  std::memcpy(&packet, data, sizeof(packet));
  if (packet.op != DHCP_SEARCH_OP_ANSWER) return BroadcastParseResult::kNotDevice;

  out = MakeSearchDeviceInfo();
  SetDeviceText(out.szIP, senderIP, senderIP ? std::strlen(senderIP) : 0);
  out.nType = packet.type;
  std::string_view text(packet.text, strnlen(packet.text, sizeof(packet.text)));
  SetField(out.szID, FindValue(text, "id="));
  SetField(out.szHostName, FindValue(text, "host="));
  SetField(out.szVendor, FindValue(text, "vendor="));
  SetField(out.szProduct, FindValue(text, "product="));
  return BroadcastParseResult::kDevice;
}

int CSearchDeviceBroadcastThread::CreateWorkThread() {
  WriteLog("SendThread %d : Create Search Device Work Thread ", nPort);
  std::string error;
  udp::endpoint local(udp::v4(), static_cast<unsigned short>(nPort));
  auto prepare = [this] { m_socket.set_option(boost::asio::socket_base::broadcast(true)); };
  if (OpenBindAndStart(local, prepare, error)) return 1;
  WriteLog("SendThread %d : Create Search Device Work Thread Error : %s   ", nPort, error.c_str());
  return 0;
}

int CSearchDeviceBroadcastThread::SendSearchCommand(const DhcpSearchPacket* packet) {
  WriteLog("SendThread %d : Send Broadcast Search Command  ", nPort);
  if (!packet) return 0;
  std::lock_guard<std::recursive_mutex> lock(m_stateLock);
  if (!m_socket.is_open()) {
    WriteLog("SendThread %d : Send Broadcast Search Error : %s   ", nPort,
             boost::system::error_code(boost::asio::error::bad_descriptor).message().c_str());
    return 0;
  }

  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(BROADCAST_SEARCH_DEVICE_PORT);
  to.sin_addr.s_addr = htonl(INADDR_BROADCAST);

  // One send per interface, the interface and source address chosen per
  // datagram; interfaces without broadcast (point-to-point links) are tried
  // too, and a failure on one of them does not stop the others.
  std::vector<LocalInterfaceAddress> interfaces = UsableInterfaceAddresses();
  std::vector<unsigned> sentOn;
  for (const LocalInterfaceAddress& itf : interfaces) {
    bool seen = false;
    for (unsigned index : sentOn) seen = seen || index == itf.index;
    if (seen) continue;
    sentOn.push_back(itf.index);

    boost::system::error_code ec;
    in_addr source{};
    source.s_addr = htonl(boost::asio::ip::make_address_v4(itf.address, ec).to_uint());
    if (SendWithPacketInfo(m_socket.native_handle(), packet, sizeof(*packet), to, itf.index, source) < 0) {
      WriteLog("SendThread %d : Send Broadcast Search Error : %s   ", nPort, std::strerror(errno));
    }
  }
  if (sentOn.empty()) {
    boost::system::error_code ec;
    m_socket.send_to(boost::asio::buffer(packet, sizeof(*packet)),
                     udp::endpoint(boost::asio::ip::address_v4::broadcast(), BROADCAST_SEARCH_DEVICE_PORT), 0, ec);
    if (ec) WriteLog("SendThread %d : Send Broadcast Search Error : %s   ", nPort, ec.message().c_str());
  }
  return 0;
}

void CSearchDeviceBroadcastThread::HandleReceive(const char* data, int length, const char* senderIP) {
  if (length != DHCP_SEARCH_PACKET_SIZE) return;
  WriteLog("SendThread %d : Handle Broadcast Recive Information  ", nPort);
  SearchDeviceInfo info;
  if (ParseBroadcastAnswer(data, static_cast<size_t>(length), senderIP, info) != BroadcastParseResult::kDevice) {
    WriteLog("SendThread %d : Recive IP : %s is not Device ", nPort, senderIP ? senderIP : "");
    return;
  }
  if (!StoreUnlessRepeat(info, false)) {
    WriteLog("SendThread %d : Handle Broadcast Recive Information Fail ", nPort);
    return;
  }
  WriteLog("SendThread %d : Handle Broadcast Recive Information Success ", nPort);
  OnSearchDeviceFound(info, nPort);
}
