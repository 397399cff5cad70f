#include "discovery/multicast_search.h"

#include <cstring>
#include <string_view>

#include <boost/asio/ip/multicast.hpp>

#include "app/trace.h"
#include "discovery/local_address.h"
#include "discovery/search_control.h"

using boost::asio::ip::udp;

const std::string& MulticastSearchRequest() {
  static const std::string request =
      "M-SEARCH * HTTP/1.1\r\n"
      "HOST: 239.143.255.250:1900\r\n"
      "ST: urn:schemas-upnp-org:device:HomeNasDevice:1\r\n"
      "MAN: \"ssdp:discover\"\r\n"
      "MX: 3\r\n"
      "\r\n";
  return request;
}

namespace {

constexpr size_t npos = std::string_view::npos;

void SetField(char (&field)[SEARCH_DEVICE_TEXT_SIZE], std::string_view value) {
  SetDeviceText(field, value.data(), value.size());
}

bool StartsWith(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

// Firmware version and descriptor tokens of the SERVER value; what is not
// found stays empty.
void ParseServer(std::string_view msg, SearchDeviceInfo& out) {
  size_t server = msg.find("SERVER:");
  if (server == npos) return;
  size_t velq = msg.find("VELQ/", server);
  if (velq == npos) return;
  size_t versionStart = velq + 5;
  size_t comma1 = msg.find(',', versionStart);
  if (comma1 == npos) return;
  SetField(out.szFirmware, msg.substr(versionStart, comma1 - versionStart));
  size_t comma2 = msg.find(',', comma1 + 1);
  if (comma2 == npos) return;
  size_t start = comma2 + 2;  // the comma and the blank after it
  if (start > msg.size()) return;
  size_t end = msg.find('\r', start);
  std::string_view desc = msg.substr(start, end == npos ? npos : end - start);

  size_t slash1 = desc.find('/');
  if (slash1 == npos) return;
  SetField(out.szVendor, desc.substr(0, slash1));
  size_t slash2 = desc.find('/', slash1 + 1);
  if (slash2 == npos) return;
  SetField(out.szHostName, desc.substr(slash1 + 1, slash2 - slash1 - 1));
  size_t slash3 = desc.find('/', slash2 + 1);
  if (slash3 == npos) {
    SetField(out.szProduct, desc.substr(slash2 + 1));
    return;
  }
  SetField(out.szProduct, desc.substr(slash2 + 1, slash3 - slash2 - 1));
  SetField(out.szExtra, desc.substr(slash3 + 1));
}

}  // namespace

MulticastParseResult ParseMulticastMessage(const char* data, size_t length, const char* senderIP,
                                           SearchDeviceInfo& out) {
  if (!data) return MulticastParseResult::kDropped;
  std::string_view msg(data, strnlen(data, length));
  if (msg.find("VELQ") == npos) return MulticastParseResult::kDropped;

  // Address: the LOCATION host when it is a dotted IPv4 address, else the
  // sender. The header is network text that later becomes a URL, a share
  // path and part of command lines, so nothing else is taken from it.
  std::string_view sender(senderIP ? senderIP : "");
  std::string_view address = sender;
  size_t location = msg.find("LOCATION:");
  if (location != npos) {
    size_t slashes = msg.find("//", location);
    if (slashes == npos) return MulticastParseResult::kDropped;
    size_t hostStart = slashes + 2;
    size_t colon = msg.find(':', hostStart);
    if (colon == npos) return MulticastParseResult::kDropped;
    std::string_view host = msg.substr(hostStart, colon - hostStart);
    if (IsDottedIPv4(host.data(), host.size())) address = host;
  }

  SearchDeviceInfo rec = MakeSearchDeviceInfo();
  ParseServer(msg, rec);

  size_t usn = msg.find("USN:");
  if (usn == npos) return MulticastParseResult::kDropped;
  size_t uuid = msg.find("uuid:", usn);
  if (uuid == npos) return MulticastParseResult::kDropped;
  size_t uuidStart = uuid + 5;
  size_t uuidEnd = msg.find("::", uuidStart);
  if (uuidEnd == npos) return MulticastParseResult::kDropped;

  int type = SEARCH_TYPE_NONE;
  if (StartsWith(msg, "HTTP")) {
    type = SEARCH_TYPE_RESPONSE;
  } else if (StartsWith(msg, "NOTIFY")) {
    if (msg.find("rootdevice") == npos) return MulticastParseResult::kDropped;
    size_t nts = msg.find("NTS:");
    if (nts == npos) return MulticastParseResult::kDropped;
    size_t value = nts + 4;
    while (value < msg.size() && (msg[value] == ' ' || msg[value] == '\t')) ++value;
    std::string_view rest = msg.substr(value);
    if (StartsWith(rest, "ssdp:alive")) {
      type = SEARCH_TYPE_ALIVE;
    } else if (StartsWith(rest, "ssdp:byebye")) {
      type = SEARCH_TYPE_BYEBYE;
    }
  } else {
    return MulticastParseResult::kDropped;
  }

  SetField(rec.szID, msg.substr(uuidStart, uuidEnd - uuidStart));
  SetField(rec.szIP, address);
  rec.nType = type;
  out = rec;
  return MulticastParseResult::kDevice;
}

// --- the group worker ---

int CSearchDeviceMulticastThread::CreateWorkThread() {
  WriteLog("SendThread %d : Create Search Device Work Thread   ", nPort);
  std::string error;
  udp::endpoint local(udp::v4(), static_cast<unsigned short>(nPort));
  auto prepare = [this] {
    // Shares the port with other listeners of the machine.
    m_socket.set_option(udp::socket::reuse_address(true));
    m_joined.clear();
    AlterMulticastGroup(true);
  };
  if (OpenBindAndStart(local, prepare, error)) return 1;
  WriteLog("SendThread %d : Create Search Device Work Thread Error : %s   ", nPort, error.c_str());
  if (bRetry) RetryCreateWorkThread();
  return 0;
}

void CSearchDeviceMulticastThread::RetryCreateWorkThread() {
  WriteLog("SendThread %d : Handle Create Search Device Work Thread Error  ", nPort);
  if (testCount >= 20 || g_bSearchStopping) return;
  ++nPort;
  ++testCount;
  WriteLog("SendThread %d : Test Create Search Device Work Thread, testCount = %d, port = %d  ", nPort, testCount,
           nPort);
  CreateWorkThread();
}

void CSearchDeviceMulticastThread::AlterMulticastGroup(bool join) {
  std::lock_guard<std::recursive_mutex> lock(m_stateLock);
  const boost::asio::ip::address_v4 group = boost::asio::ip::make_address_v4(MULTICAST_SEARCH_GROUP);
  auto apply = [&](const std::string& itf) -> boost::system::error_code {
    boost::system::error_code ec;
    boost::asio::ip::address_v4 local =
        itf.empty() ? boost::asio::ip::address_v4::any() : boost::asio::ip::make_address_v4(itf, ec);
    if (ec) return ec;
    if (join) {
      m_socket.set_option(boost::asio::ip::multicast::join_group(group, local), ec);
    } else {
      m_socket.set_option(boost::asio::ip::multicast::leave_group(group, local), ec);
    }
    return ec;
  };

  if (!join) {
    for (const std::string& itf : m_joined) {
      if (boost::system::error_code ec = apply(itf)) {
        WriteLog("SendThread %d : Alter Device Mulitcast Group Error : %s  \r\n", nPort, ec.message().c_str());
      } else {
        WriteLog("SendThread %d : Leave To Multicast Group Info ", nPort);
      }
    }
    m_joined.clear();
    return;
  }

  std::vector<std::string> wanted;
  for (const LocalInterfaceAddress& a : UsableInterfaceAddresses()) wanted.push_back(a.address);
  if (wanted.empty()) wanted.push_back("");  // the default interface
  for (const std::string& itf : wanted) {
    bool already = false;
    for (const std::string& j : m_joined) already = already || j == itf;
    if (already) continue;
    boost::system::error_code ec = apply(itf);
    if (ec == boost::asio::error::address_in_use) {
      m_joined.push_back(itf);  // joined before on this interface
    } else if (ec) {
      WriteLog("SendThread %d : Alter Device Mulitcast Group Error : %s  \r\n", nPort, ec.message().c_str());
    } else {
      m_joined.push_back(itf);
      WriteLog("SendThread %d : Add To Multicast Group Info ", nPort);
    }
  }
}

int CSearchDeviceMulticastThread::ExitWorkThread() {
  std::lock_guard<std::recursive_mutex> lock(m_stateLock);
  if (m_socket.is_open()) AlterMulticastGroup(false);
  return CSearchDeviceThread::ExitWorkThread();
}

void CSearchDeviceMulticastThread::SendRequest() {
  WriteLog("SendThread %d : Send Search Device Command  ", nPort);
  const std::string& request = MulticastSearchRequest();
  udp::endpoint to(boost::asio::ip::make_address_v4(MULTICAST_SEARCH_GROUP), MULTICAST_SEARCH_PORT);
  boost::system::error_code ec;
  {
    std::lock_guard<std::recursive_mutex> lock(m_stateLock);
    m_socket.send_to(boost::asio::buffer(request.data(), request.size()), to, 0, ec);
  }
  if (ec) WriteLog("SendThread %d : Send Search Device Error : %s   ", nPort, ec.message().c_str());
}

int CSearchDeviceMulticastThread::SendSearchCommand(const DhcpSearchPacket* packet) {
  {
    std::lock_guard<std::recursive_mutex> lock(m_stateLock);
    if (m_socket.is_open()) AlterMulticastGroup(true);
  }
  SendRequest();
  return 0;
}

void CSearchDeviceMulticastThread::HandleReceive(const char* data, int length, const char* senderIP) {
  WriteLog("SendThread %d : Handle Mulitcast Recive Information  ", nPort);
  SearchDeviceInfo info;
  if (length <= 0 ||
      ParseMulticastMessage(data, static_cast<size_t>(length), senderIP, info) != MulticastParseResult::kDevice) {
    return;
  }
  if (!StoreUnlessRepeat(info, true)) {
    WriteLog("SendThread %d : Handle Mulitcast Recive Information Fail : Old Device, type = %d ", nPort, info.nType);
    return;
  }
  WriteLog("SendThread %d : Handle Mulitcast Recive Information Success, type = %d ", nPort, info.nType);
  OnSearchDeviceFound(info, nPort);
}

// --- the per-address worker ---

int CSearchDeviceMultiCommandThead::CreateWorkThread() {
  WriteLog("SendThread %d : Create Search Device Work Thread   ", nPort);
  std::string error;
  udp::endpoint local = LocalEndpoint(error);
  bool created = false;
  if (error.empty()) {
    auto prepare = [this, &local] {
      // Its search leaves through the interface of its own address.
      if (!local.address().is_unspecified()) {
        m_socket.set_option(boost::asio::ip::multicast::outbound_interface(local.address().to_v4()));
      }
    };
    created = OpenBindAndStart(local, prepare, error);
  }
  if (created) return 1;
  WriteLog("SendThread %d : Create Search Device Work Thread Error : %s   ", nPort, error.c_str());
  if (bRetry) RetryCreateWorkThread();
  return 0;
}

int CSearchDeviceMultiCommandThead::ExitWorkThread() {
  StopReceiving();
  WriteLog("SendThread %d : Exit Search Device Tread , bExitSock : %d  ", nPort, 1);
  return 0;
}

int CSearchDeviceMultiCommandThead::SendSearchCommand(const DhcpSearchPacket* packet) {
  SendRequest();
  return 0;
}
