#include "discovery/search_thread.h"

#include <sys/socket.h>

#include <cstring>

#include <boost/bind/bind.hpp>
#include <boost/thread/thread.hpp>

#include "app/trace.h"

std::atomic<int> g_nSearchReceiveBufferSize{SEARCH_DEFAULT_RECEIVE_BUFFER};
std::atomic<bool> g_bSearchStopping{false};

namespace {

std::atomic<int> g_runningThreads{0};

struct RunningThreadCount {
  RunningThreadCount() { ++g_runningThreads; }
  ~RunningThreadCount() { --g_runningThreads; }
};

}  // namespace

using boost::asio::ip::udp;

CSearchDeviceThread::CSearchDeviceThread() : m_lastDevice(MakeSearchDeviceInfo()), m_socket(m_ioService) {}

CSearchDeviceThread::~CSearchDeviceThread() { CloseSocket(); }

int CSearchDeviceThread::RunningWorkThreads() { return g_runningThreads.load(); }

udp::endpoint CSearchDeviceThread::LocalEndpoint(std::string& error) const {
  if (strIP.empty()) return udp::endpoint(udp::v4(), static_cast<unsigned short>(nPort));
  boost::system::error_code ec;
  boost::asio::ip::address_v4 address = boost::asio::ip::make_address_v4(strIP, ec);
  if (ec) error = ec.message();
  return udp::endpoint(address, static_cast<unsigned short>(nPort));
}

bool CSearchDeviceThread::OpenBindAndStart(const udp::endpoint& local, const std::function<void()>& prepare,
                                           std::string& error) {
  std::lock_guard<std::recursive_mutex> lock(m_stateLock);
  if (g_bSearchStopping) {
    error = "search is shut down";
    return false;
  }
  bExitSock = false;
  bRetartSock = false;
  try {
    CloseSocket();
    m_socket.open(udp::v4());
    if (int size = g_nSearchReceiveBufferSize.load(); size > 0) {
      // Forcing passes the system's limit where the process may do so; the
      // plain option is capped at net.core.rmem_max.
      int fd = m_socket.native_handle();
      if (setsockopt(fd, SOL_SOCKET, SO_RCVBUFFORCE, &size, sizeof(size)) != 0) {
        setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &size, sizeof(size));
      }
    }
    if (prepare) prepare();
    m_socket.bind(local);
    boost::thread worker(boost::bind(&CSearchDeviceThread::WorkThreadProc, this));
    worker.detach();
    return true;
  } catch (const boost::system::system_error& e) {
    error = e.code().message();
  } catch (const std::exception& e) {
    error = e.what();
  }
  CloseSocket();
  return false;
}

void CSearchDeviceThread::CloseSocket() {
  std::lock_guard<std::recursive_mutex> lock(m_stateLock);
  if (!m_socket.is_open()) return;
  boost::system::error_code ignored;
  m_socket.shutdown(udp::socket::shutdown_both, ignored);
  m_socket.close(ignored);
}

int CSearchDeviceThread::CreateWorkThread() {
  WriteLog("SendThread %d : Create Search Device Work Thread   ", nPort);
  std::string error;
  udp::endpoint local(udp::v4(), static_cast<unsigned short>(nPort));
  if (OpenBindAndStart(local, nullptr, error)) return 1;
  WriteLog("SendThread %d : Create Search Device Work Thread Error : %s   ", nPort, error.c_str());
  return 0;
}

int CSearchDeviceThread::InitWorkThread(const char* ip, int port, bool retry) {
  strIP = ip ? ip : "";
  nPort = port;
  bRetry = retry;
  WriteLog("SendThread %d : Init Search Device Work Thread Value, strIP : %s, nPort : %d  ", nPort, strIP.c_str(),
           nPort);
  return CreateWorkThread();
}

void CSearchDeviceThread::StopReceiving() {
  std::lock_guard<std::recursive_mutex> lock(m_stateLock);
  bExitSock = true;
  CloseSocket();
}

int CSearchDeviceThread::ExitWorkThread() {
  StopReceiving();
  WriteLogTime("SendThread %d : Exit Search Device Tread , bExitSock : %d  ", nPort, 1);
  return 0;
}

int CSearchDeviceThread::SendSearchCommand(const DhcpSearchPacket* packet) { return 0; }

void CSearchDeviceThread::ResetLastDevice() {
  std::lock_guard<std::mutex> lock(m_lastLock);
  m_lastDevice = MakeSearchDeviceInfo();
}

bool CSearchDeviceThread::StoreUnlessRepeat(const SearchDeviceInfo& rec, bool resetOnRepeat) {
  std::lock_guard<std::mutex> lock(m_lastLock);
  // The kind counts too: a device's farewell carries the same texts as its
  // last answer or announcement and must not be taken for a repeat of it.
  if (SameDeviceTexts(rec, m_lastDevice) && rec.nType == m_lastDevice.nType) {
    if (resetOnRepeat) m_lastDevice = MakeSearchDeviceInfo();
    return false;
  }
  m_lastDevice = rec;
  return true;
}

void CSearchDeviceThread::HandleReceive(const char* data, int length, const char* senderIP) {}

int CSearchDeviceThread::WorkThreadProc() {
  RunningThreadCount running;
  try {
    WriteLog("SendThread %d : Begin Search Device Work Thread  ", nPort);
    while (!bExitSock) {
      WriteLog("SendThread %d : Wait Reciver Socket Protocol Info  ", nPort);
      char buffer[1025];
      std::memset(buffer, 0, sizeof(buffer));
      udp::endpoint sender;
      boost::system::error_code ec;
      size_t received = m_socket.receive_from(boost::asio::buffer(buffer, 1024), sender, 0, ec);
      if (ec) received = 0;
      int length = static_cast<int>(received);
      WriteLog("SendThread %d : Reciver Socket Protocol Info, nReceive = %d  ", nPort, length);
      if (length != 0) {
        std::string address = sender.address().is_v4() ? sender.address().to_v4().to_string() : std::string();
        WriteLog("SendThread %d : Recive Socket Protocol IP : %s, nLen : %d  ", nPort, address.c_str(), length);
        HandleReceive(buffer, length, address.c_str());
        continue;
      }
      if (bExitSock) break;
      WriteLog("SendThread %d : Reciver Socket Protocol Null Info, bExitSock = %d, bRetartSock = %d  ", nPort, 0,
               bRetartSock ? 1 : 0);
      bExitSock = true;
      bRetartSock = true;
      break;
    }
    if (bRetartSock) {
      ExitWorkThread();
      CreateWorkThread();
    }
    WriteLogTime("SendThread %d : Finish Search Device Work Thread  ", nPort);
  } catch (const std::exception& e) {
    WriteLog("SendThread %d : Create Socket Protocolt Server Error : %s  ", nPort, e.what());
  }
  return 0;
}
