// The worker framework on loopback sockets: receive loop, restart, port
// retry and exit. Nothing here sends beyond 127.0.0.1.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <random>

#include "discovery/multicast_search.h"
#include "test_support.h"

namespace {

using disc_test::TraceCapture;
using disc_test::WaitUntil;

// A per-address worker bound to 127.0.0.1 that records what it receives.
class Probe : public CSearchDeviceMultiCommandThead {
 public:
  void HandleReceive(const char* data, int length, const char* sender) override {
    std::lock_guard<std::mutex> lock(mutex);
    // One byte more than the length: the zero byte the loop promises.
    received.emplace_back(data, static_cast<size_t>(length) + 1);
    senders.emplace_back(sender);
  }
  size_t Count() {
    std::lock_guard<std::mutex> lock(mutex);
    return received.size();
  }
  std::mutex mutex;
  std::vector<std::string> received, senders;
};

int BindLoopback(int port) {
  int fd = socket(AF_INET, SOCK_DGRAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(static_cast<uint16_t>(port));
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof(a)) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

// `count` consecutive free loopback ports, held open until released.
struct PortRange {
  explicit PortRange(int count) {
    std::mt19937 random(static_cast<unsigned>(getpid()));
    for (int attempt = 0; attempt < 200 && fds.empty(); ++attempt) {
      base = 20000 + static_cast<int>(random() % 30000);
      for (int i = 0; i < count; ++i) {
        int fd = BindLoopback(base + i);
        if (fd < 0) {
          Release();
          break;
        }
        fds.push_back(fd);
      }
    }
  }
  ~PortRange() { Release(); }
  void Release() {
    for (int fd : fds) close(fd);
    fds.clear();
  }
  int base = 0;
  std::vector<int> fds;
};

void SendTo(int port, const std::string& bytes) {
  int fd = socket(AF_INET, SOCK_DGRAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(static_cast<uint16_t>(port));
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  sendto(fd, bytes.data(), bytes.size(), 0, reinterpret_cast<sockaddr*>(&a), sizeof(a));
  close(fd);
}

bool PortIsFree(int port) {
  int fd = BindLoopback(port);
  if (fd < 0) return false;
  close(fd);
  return true;
}

TEST(Worker, DatagramsAreHandedOverWholeAndZeroEnded) {
  PortRange range(1);
  ASSERT_FALSE(range.fds.empty());
  range.Release();
  Probe probe;
  ASSERT_EQ(probe.InitWorkThread("127.0.0.1", range.base, false), 1);
  SendTo(range.base, std::string(1024, 'a'));
  SendTo(range.base, std::string(1500, 'b'));  // longer datagrams are cut to 1024
  ASSERT_TRUE(WaitUntil([&] { return probe.Count() == 2; }));
  EXPECT_EQ(probe.received[0], std::string(1024, 'a') + '\0');
  EXPECT_EQ(probe.received[1], std::string(1024, 'b') + '\0');
  EXPECT_EQ(probe.senders[0], "127.0.0.1");
  probe.ExitWorkThread();
  ASSERT_TRUE(WaitUntil([] { return CSearchDeviceThread::RunningWorkThreads() == 0; }));
}

TEST(Worker, EmptyDatagramRestartsOnceOnTheSamePort) {
  TraceCapture trace;
  PortRange range(1);
  range.Release();
  Probe probe;
  ASSERT_EQ(probe.InitWorkThread("127.0.0.1", range.base, false), 1);
  SendTo(range.base, "");
  ASSERT_TRUE(WaitUntil([&] { return trace.Count("Begin Search Device Work Thread") == 2; }));
  SendTo(range.base, "after restart");
  ASSERT_TRUE(WaitUntil([&] { return probe.Count() == 1; }));
  EXPECT_EQ(probe.nPort, range.base);
  EXPECT_EQ(trace.Count("Reciver Socket Protocol Null Info, bExitSock = 0, bRetartSock = 0"), 1);
  EXPECT_TRUE(WaitUntil([] { return CSearchDeviceThread::RunningWorkThreads() == 1; }));
  probe.ExitWorkThread();
  EXPECT_TRUE(WaitUntil([] { return CSearchDeviceThread::RunningWorkThreads() == 0; }));
}

TEST(Worker, ExitWhileBlockedEndsTheThreadWithoutRestartAndFreesThePort) {
  TraceCapture trace;
  PortRange range(1);
  range.Release();
  Probe probe;
  ASSERT_EQ(probe.InitWorkThread("127.0.0.1", range.base, false), 1);
  ASSERT_TRUE(WaitUntil([&] { return trace.Count("Wait Reciver Socket Protocol Info") == 1; }));
  EXPECT_FALSE(PortIsFree(range.base));
  probe.ExitWorkThread();
  ASSERT_TRUE(WaitUntil([] { return CSearchDeviceThread::RunningWorkThreads() == 0; }));
  EXPECT_TRUE(PortIsFree(range.base));
  SendTo(range.base, "too late");
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_EQ(probe.Count(), 0u);
  EXPECT_EQ(trace.Count("Null Info"), 0);
  EXPECT_EQ(trace.Count("Begin Search Device Work Thread"), 1);
  EXPECT_EQ(trace.Count("Finish Search Device Work Thread"), 1);
}

TEST(Worker, ExitWithoutSocketOnlySetsTheFlag) {
  TraceCapture trace;
  CSearchDeviceMulticastThread never;
  never.nPort = 1900;
  EXPECT_EQ(never.ExitWorkThread(), 0);
  EXPECT_TRUE(never.bExitSock);
  EXPECT_FALSE(never.m_socket.is_open());
  EXPECT_EQ(trace.Count("SendThread 1900 : Exit Search Device Tread , bExitSock : 1  \r\n"), 1);
}

TEST(Worker, TakenPortMovesToTheNextOne) {
  PortRange range(2);
  ASSERT_FALSE(range.fds.empty());
  close(range.fds[1]);
  range.fds.pop_back();
  Probe probe;
  EXPECT_EQ(probe.InitWorkThread("127.0.0.1", range.base, true), 0);  // the first try failed
  EXPECT_EQ(probe.nPort, range.base + 1);
  EXPECT_EQ(probe.testCount, 1);
  SendTo(range.base + 1, "moved");
  EXPECT_TRUE(WaitUntil([&] { return probe.Count() == 1; }));
  probe.ExitWorkThread();
  EXPECT_TRUE(WaitUntil([] { return CSearchDeviceThread::RunningWorkThreads() == 0; }));
}

TEST(Worker, TwentyOneTakenPortsLeaveTheWorkerIdleForGood) {
  TraceCapture trace;
  PortRange range(22);
  ASSERT_EQ(range.fds.size(), 22u);
  Probe probe;
  probe.InitWorkThread("127.0.0.1", range.base, true);
  EXPECT_EQ(probe.testCount, 20);
  EXPECT_EQ(probe.nPort, range.base + 20);
  EXPECT_FALSE(probe.m_socket.is_open());
  EXPECT_EQ(CSearchDeviceThread::RunningWorkThreads(), 0);
  EXPECT_EQ(trace.Count(" : Create Search Device Work Thread Error"), 21);
  EXPECT_EQ(trace.Count("Test Create Search Device Work Thread, testCount = 20, port = " +
                        std::to_string(range.base + 20)), 1);
  // The count is never reset: a later creation gets no further tries.
  close(range.fds[21]);
  range.fds.pop_back();
  probe.CreateWorkThread();
  EXPECT_EQ(probe.nPort, range.base + 20);
  EXPECT_FALSE(probe.m_socket.is_open());
}

TEST(Worker, WithoutRetryAFailedCreationStaysOnItsPort) {
  PortRange range(1);
  ASSERT_FALSE(range.fds.empty());
  Probe probe;
  EXPECT_EQ(probe.InitWorkThread("127.0.0.1", range.base, false), 0);
  EXPECT_EQ(probe.nPort, range.base);
  EXPECT_EQ(probe.testCount, 0);
}

TEST(Worker, TraceLinesKeepTheirFormats) {
  TraceCapture trace;
  PortRange range(1);
  range.Release();
  Probe probe;
  probe.InitWorkThread("127.0.0.1", range.base, false);
  std::string p = std::to_string(range.base);
  ASSERT_TRUE(WaitUntil([&] { return trace.Count("Wait Reciver Socket Protocol Info") == 1; }));
  probe.ExitWorkThread();
  ASSERT_TRUE(WaitUntil([] { return CSearchDeviceThread::RunningWorkThreads() == 0; }));
  std::string text = trace.Text();
  EXPECT_NE(text.find("SendThread " + p + " : Init Search Device Work Thread Value, strIP : 127.0.0.1, nPort : " + p +
                      "  *["),
            std::string::npos);
  EXPECT_NE(text.find("SendThread " + p + " : Create Search Device Work Thread   *["), std::string::npos);
  // The per-address worker's exit line has the stamp after the message.
  EXPECT_NE(text.find("SendThread " + p + " : Exit Search Device Tread , bExitSock : 1  *["), std::string::npos);
  EXPECT_NE(text.find("--]*SendThread " + p + " : Finish Search Device Work Thread  \r\n"), std::string::npos);
}

}  // namespace
