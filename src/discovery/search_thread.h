// The search worker base: one UDP socket, one detached receive thread, the
// stop and restart flags and the last-report cache. The concrete workers
// (broadcast, multicast group, per-address multicast) derive from it.
#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <string>

#include <boost/asio/io_service.hpp>
#include <boost/asio/ip/udp.hpp>

#include "discovery/device_info.h"

struct DhcpSearchPacket;

// Size every worker asks for as its socket's receive buffer, so that a burst
// of answers is not dropped by the kernel; 0 keeps the system default. The
// kernel caps it at net.core.rmem_max unless the process may force it
// (CAP_NET_ADMIN). Read when a socket is created.
extern std::atomic<int> g_nSearchReceiveBufferSize;
#define SEARCH_DEFAULT_RECEIVE_BUFFER (1024 * 1024)

class CSearchDeviceThread {
 public:
  CSearchDeviceThread();
  CSearchDeviceThread(const CSearchDeviceThread&) = delete;
  CSearchDeviceThread& operator=(const CSearchDeviceThread&) = delete;

  // The virtual operations, in their fixed order.
  virtual ~CSearchDeviceThread();
  // Opens and binds the socket and starts the receive thread: 1, or 0 after
  // a traced failure (the worker then has no socket and no thread).
  virtual int CreateWorkThread();
  // Stores the address (empty: any), port and retry flag, then creates.
  virtual int InitWorkThread(const char* ip, int port, bool retry);
  // Sets the stop flag and closes the socket, which wakes a blocked receive.
  virtual int ExitWorkThread();
  virtual int SendSearchCommand(const DhcpSearchPacket* packet);
  virtual void ResetLastDevice();
  // The receive loop, on the worker's own thread.
  virtual int WorkThreadProc();
  // One non-empty datagram; `data` has a zero byte after `length` bytes.
  virtual void HandleReceive(const char* data, int length, const char* senderIP);

  // Receive threads currently inside WorkThreadProc, over all workers.
  static int RunningWorkThreads();

  SearchDeviceInfo m_lastDevice;
  boost::asio::io_service m_ioService;
  boost::asio::ip::udp::socket m_socket;
  std::string strIP;
  int nPort = 1530;
  int testCount = 0;
  std::atomic<bool> bExitSock{false};
  std::atomic<bool> bRetartSock{false};
  bool bRetry = false;

 protected:
  // Creation steps shared by every class: clears the flags, opens the socket,
  // raises its receive buffer, runs `prepare` (socket options, group join),
  // binds `local` and starts the detached receive thread. On failure the
  // socket is closed and `error` holds the reason.
  bool OpenBindAndStart(const boost::asio::ip::udp::endpoint& local,
                        const std::function<void()>& prepare, std::string& error);
  // The address to bind: strIP, or any address when it is empty.
  boost::asio::ip::udp::endpoint LocalEndpoint(std::string& error) const;
  // The steps of ExitWorkThread before its trace: the stop flag, then the
  // socket closed.
  void StopReceiving();
  // Closes the socket; shutting it down first is what wakes a receive that
  // is blocked on it (closing alone does not on Linux).
  void CloseSocket();
  // Compares `rec` with m_lastDevice (seven texts and the report type) and
  // stores it when it differs (true). A repeat leaves the cache alone, or
  // resets it with `resetOnRepeat`.
  // Atomic with respect to ResetLastDevice on the main thread.
  bool StoreUnlessRepeat(const SearchDeviceInfo& rec, bool resetOnRepeat);

  // Serialises creation, sending and closing between the main thread and a
  // restarting receive thread. Never held across a blocking receive.
  std::recursive_mutex m_stateLock;
  std::mutex m_lastLock;  // guards m_lastDevice
};

// Set by StopSearchWorkers: from then on no worker creates a socket again,
// so a receive thread that is restarting at that moment cannot bring its
// worker back after shutdown. Cleared by StartSearchDevice.
extern std::atomic<bool> g_bSearchStopping;
