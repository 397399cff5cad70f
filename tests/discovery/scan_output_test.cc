// lanscout-scan's output: table, JSON lines and the change lines of --watch.
#include <gtest/gtest.h>

#include <clocale>

#include "../../tools/lanscout-scan/scan_output.h"

namespace {

SearchDeviceInfo Rec(const char* ip, const char* host, const char* product) {
  SearchDeviceInfo d = MakeSearchDeviceInfo();
  SetDeviceText(d.szIP, ip);
  SetDeviceText(d.szHostName, host);
  SetDeviceText(d.szProduct, product);
  SetDeviceText(d.szID, host);
  d.nType = 1;
  return d;
}

class ScanOutput : public ::testing::Test {
 protected:
  void SetUp() override { std::setlocale(LC_ALL, "C.UTF-8"); }
  void TearDown() override { std::setlocale(LC_ALL, "C"); }
};

TEST_F(ScanOutput, TableAlignsColumnsInStoreOrder) {
  std::string table = FormatTable({Rec("10.231.1.10", "kestrel-den", "TravelNAS-2"), Rec("10.0.0.5", "b", "Q")});
  EXPECT_EQ(table,
            "Host Name    IP Address   Device Type\n"
            "kestrel-den  10.231.1.10  TravelNAS-2\n"
            "b            10.0.0.5     Q\n");
  EXPECT_EQ(FormatTable({}), "Host Name  IP Address  Device Type\n");
}

TEST_F(ScanOutput, NetworkTextCannotReachTheTerminalAsControlCharacters) {
  // UTF-8 bytes count by display width; escape sequences are defused.
  std::string table = FormatTable({Rec("10.0.0.1", "\xE5\xAE\xB6\x1B[2J", "x")});
  EXPECT_EQ(table,
            "Host Name  IP Address  Device Type\n"
            "\xE5\xAE\xB6?[2J     10.0.0.1    x\n");  // 家 is two columns wide
}

TEST_F(ScanOutput, JsonHasTheKeysInOrderAndValidUtf8) {
  SearchDeviceInfo d = Rec("10.0.0.1", "h\"q", "p");
  SetDeviceText(d.szVendor, "\xff");  // not valid in the locale's character set
  SetDeviceText(d.szFirmware, "2.0");
  SetDeviceText(d.szExtra, "SD");
  EXPECT_EQ(FormatJson(d),
            "{\"id\":\"h\\\"q\",\"ip\":\"10.0.0.1\",\"host\":\"h\\\"q\",\"product\":\"p\",\"vendor\":\"\xEF\xBF\xBD\","
            "\"firmware\":\"2.0\",\"extra\":\"SD\",\"type\":1}");
  EXPECT_EQ(FormatJson(d, "added").rfind("{\"event\":\"added\",\"id\":", 0), 0u);
}

TEST_F(ScanOutput, ChangesAreFoundByAddress) {
  std::vector<SearchDeviceInfo> before = {Rec("10.0.0.1", "a", "p"), Rec("10.0.0.2", "b", "p"),
                                          Rec("10.0.0.3", "c", "p")};
  std::vector<SearchDeviceInfo> after = {Rec("10.0.0.1", "a", "p"), Rec("10.0.0.3", "c2", "p"),
                                         Rec("10.0.0.4", "d", "p")};
  std::vector<DeviceChange> changes = DiffDevices(before, after);
  ASSERT_EQ(changes.size(), 3u);
  EXPECT_EQ(changes[0].kind, DeviceChange::kRemoved);
  EXPECT_EQ(DeviceText(changes[0].device.szHostName), "b");
  EXPECT_EQ(changes[1].kind, DeviceChange::kChanged);
  EXPECT_EQ(DeviceText(changes[1].device.szHostName), "c2");
  EXPECT_EQ(changes[2].kind, DeviceChange::kAdded);
  EXPECT_EQ(DeviceText(changes[2].device.szHostName), "d");
  EXPECT_TRUE(DiffDevices(after, after).empty());
  SearchDeviceInfo v = Rec("10.0.0.4", "d", "p");
  SetDeviceText(v.szVendor, "KESTR9");
  EXPECT_EQ(FormatChangeLine({DeviceChange::kAdded, v}, "12:00:00"),
            "12:00:00  added    d                 10.0.0.4         p                 (KESTR9)");
}

}  // namespace
