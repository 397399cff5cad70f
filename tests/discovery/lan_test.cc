// Search control on a simulated LAN. Runs only inside the namespace that
// tests/net/in-namespace makes (interfaces eth0 10.231.1.1 and eth1
// 10.231.2.1); anywhere else every case skips.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>

#include "discovery/device_store.h"
#include "discovery/search_control.h"
#include "discovery/search_thread.h"
#include "test_support.h"

namespace {

using disc_test::TraceCapture;
using disc_test::WaitUntil;

int BindUdp(const char* address, int port) {
  int fd = socket(AF_INET, SOCK_DGRAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(static_cast<uint16_t>(port));
  inet_pton(AF_INET, address, &a.sin_addr);
  if (bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof(a)) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

bool PortIsFree(const char* address, int port) {
  int fd = BindUdp(address, port);
  if (fd < 0) return false;
  close(fd);
  return true;
}

int Shell(const std::string& command) { return std::system(command.c_str()); }

std::vector<std::pair<std::string, int>> Workers() {
  std::vector<std::pair<std::string, int>> list;
  for (const SearchWorkerEntry& e : g_searchWorkers) list.emplace_back(e.name, e.worker->nPort);
  return list;
}

class LanTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::getenv("LANSCOUT_TEST_LAN")) GTEST_SKIP() << "needs the namespace of tests/net/in-namespace";
  }
  void TearDown() override {
    // Back to the state before start-up (the worker objects are left, as
    // the program leaves them).
    ShutdownSearch();
    EXPECT_TRUE(WaitUntil([] { return CSearchDeviceThread::RunningWorkThreads() == 0; }));
    g_searchWorkers.clear();
    g_nextCommandPort = SEARCH_FIRST_COMMAND_PORT;
    Shell("ip link del eth2 2>/dev/null");
  }
};

TEST_F(LanTest, WorkersPerAddressAndNewAddressesAtTheNextPass) {
  EnableLog("/dev/null");
  InitDeviceStore(GetDeviceStore());
  EXPECT_FALSE(g_bLogEnabled);  // start-up turns the trace off
  TraceCapture trace;

  using W = std::vector<std::pair<std::string, int>>;
  EXPECT_EQ(Workers(), (W{{"", 67}, {"", 1900}, {"10.231.1.1", 1530}, {"10.231.2.1", 1550}}));
  for (const SearchWorkerEntry& e : g_searchWorkers) EXPECT_TRUE(e.worker->m_socket.is_open()) << e.worker->nPort;

  // However often Refresh is pressed, a served address gets no second worker.
  for (int i = 0; i < 3; ++i) RefreshSearch();
  EXPECT_EQ(g_searchWorkers.size(), 4u);

  ASSERT_EQ(Shell("ip link add eth2 type veth peer name eth2p && ip addr add 10.231.3.1/24 dev eth2 && "
                "ip link set eth2 up && ip link set eth2p up"),
            0);
  RefreshSearch();
  EXPECT_EQ(Workers(),
            (W{{"", 67}, {"", 1900}, {"10.231.1.1", 1530}, {"10.231.2.1", 1550}, {"10.231.3.1", 1570}}));
  EXPECT_EQ(g_nextCommandPort, 1590);
  EXPECT_EQ(trace.Count("Send Search Device Error"), 0);
  EXPECT_EQ(trace.Count("Send Broadcast Search Error"), 0);

  // Shutdown while every worker is blocked in its receive: the threads end
  // without a restart and the ports are free again.
  ASSERT_TRUE(WaitUntil([] { return CSearchDeviceThread::RunningWorkThreads() == 5; }));
  ShutdownSearch();
  ASSERT_TRUE(WaitUntil([] { return CSearchDeviceThread::RunningWorkThreads() == 0; }));
  EXPECT_EQ(trace.Count("Null Info"), 0);
  EXPECT_EQ(trace.Count("Finish Search Device Work Thread"), 5);
  EXPECT_EQ(trace.Count("Leave To Multicast Group Info"), 3);  // the group worker, once per interface
  EXPECT_TRUE(PortIsFree("0.0.0.0", 67));
  EXPECT_TRUE(PortIsFree("0.0.0.0", 1900));
  EXPECT_TRUE(PortIsFree("10.231.1.1", 1530));
  EXPECT_TRUE(PortIsFree("10.231.2.1", 1550));
  EXPECT_TRUE(PortIsFree("10.231.3.1", 1570));
}

TEST_F(LanTest, TakenPortMovesTheFirstWorkerAndNotTheSecond) {
  int holder = BindUdp("10.231.1.1", 1530);
  ASSERT_GE(holder, 0);
  InitDeviceStore(GetDeviceStore());
  using W = std::vector<std::pair<std::string, int>>;
  EXPECT_EQ(Workers(), (W{{"", 67}, {"", 1900}, {"10.231.1.1", 1531}, {"10.231.2.1", 1550}}));
  EXPECT_EQ(g_searchWorkers[2].worker->testCount, 1);
  close(holder);
}

TEST_F(LanTest, BroadcastBindFailureLeavesTheMulticastSearchRunning) {
  // What happens without the privilege for port 67: the bind fails, is
  // traced, and the rest of discovery works.
  int holder = BindUdp("0.0.0.0", 67);
  ASSERT_GE(holder, 0);
  InitDeviceStore(GetDeviceStore());
  TraceCapture trace;
  EXPECT_FALSE(g_searchWorkers[0].worker->m_socket.is_open());
  EXPECT_EQ(g_searchWorkers[0].worker->nPort, 67);  // no retry on another port
  for (size_t i = 1; i < g_searchWorkers.size(); ++i) EXPECT_TRUE(g_searchWorkers[i].worker->m_socket.is_open());
  RefreshSearch();
  EXPECT_EQ(trace.Count("SendThread 67 : Send Broadcast Search Error : "), 1);
  EXPECT_EQ(trace.Count("SendThread 1530 : Send Search Device Command"), 1);
  EXPECT_EQ(trace.Count("SendThread 1530 : Send Search Device Error"), 0);
  close(holder);
}

}  // namespace
