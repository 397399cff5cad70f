// The device store's identity, update and removal rules, and the report
// path that feeds it.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "discovery/device_store.h"
#include "discovery/search_control.h"
#include "test_support.h"

namespace {

SearchDeviceInfo Rec(const char* id, const char* ip, const char* host, int type = SEARCH_TYPE_RESPONSE) {
  SearchDeviceInfo d = MakeSearchDeviceInfo();
  SetDeviceText(d.szID, id);
  SetDeviceText(d.szIP, ip);
  SetDeviceText(d.szHostName, host);
  d.nType = type;
  return d;
}

std::vector<std::string> Hosts(const CDeviceStore& store) {
  std::vector<std::string> hosts;
  for (const SearchDeviceInfo& d : store.Snapshot()) hosts.push_back(DeviceText(d.szHostName) + "@" + DeviceText(d.szIP));
  return hosts;
}

class DeviceStoreTest : public ::testing::Test {
 protected:
  void SetUp() override { GetDeviceStore().ClearDevices(); }
  void TearDown() override { GetDeviceStore().ClearDevices(); }
  void Report(const SearchDeviceInfo& d) { HandleDeviceReport(d, 1530); }
  CDeviceStore& store = GetDeviceStore();
};

TEST_F(DeviceStoreTest, SameAnswerTwiceRefreshesOnlyTheCarriedValues) {
  SearchDeviceInfo a = Rec("1", "10.0.0.1", "a");
  Report(a);
  a.nReserved1 = 61;
  a.nReserved2 = 5;
  a.nType = SEARCH_TYPE_ALIVE;
  Report(a);
  auto all = store.Snapshot();
  ASSERT_EQ(all.size(), 1u);
  EXPECT_EQ(all[0].nReserved1, 61);
  EXPECT_EQ(all[0].nReserved2, 5);
  EXPECT_EQ(all[0].nType, SEARCH_TYPE_RESPONSE);  // an alive repeating an answer keeps type 1
}

TEST_F(DeviceStoreTest, SameAddressReplacesInPlaceAndNewAddressAppends) {
  Report(Rec("1", "10.0.0.1", "a"));
  Report(Rec("2", "10.0.0.2", "b"));
  Report(Rec("3", "10.0.0.3", "c"));
  Report(Rec("2", "10.0.0.2", "b-renamed"));
  Report(Rec("1", "10.0.0.9", "a"));  // the same device under another address
  EXPECT_EQ(Hosts(store), (std::vector<std::string>{"a@10.0.0.1", "b-renamed@10.0.0.2", "c@10.0.0.3", "a@10.0.0.9"}));
}

TEST_F(DeviceStoreTest, FarewellRemovesTheFirstRecordWithItsIdOnly) {
  Report(Rec("1", "10.0.0.1", "a"));
  Report(Rec("7", "10.0.0.2", "b"));
  Report(Rec("7", "10.0.0.3", "c"));
  Report(Rec("1", "10.0.0.4", "d"));
  Report(Rec("7", "", "", SEARCH_TYPE_BYEBYE));
  EXPECT_EQ(Hosts(store), (std::vector<std::string>{"a@10.0.0.1", "c@10.0.0.3", "d@10.0.0.4"}));
  // Unknown ids, ids differing in case, and types 0 and 3 change nothing.
  Report(Rec("9", "", "", SEARCH_TYPE_BYEBYE));
  Report(Rec("A", "", "", SEARCH_TYPE_BYEBYE));
  Report(Rec("5", "10.0.0.5", "e", SEARCH_TYPE_NONE));
  Report(Rec("6", "10.0.0.6", "f", 3));
  EXPECT_EQ(Hosts(store), (std::vector<std::string>{"a@10.0.0.1", "c@10.0.0.3", "d@10.0.0.4"}));
}

TEST_F(DeviceStoreTest, SnapshotsNeverSeeATornRecord) {
  // A writer keeps replacing one address's record with records whose every
  // text names the same generation; snapshots must always be consistent.
  std::atomic<bool> done{false};
  std::thread writer([&] {
    for (int i = 0; i < 20000; ++i) {
      std::string g = std::to_string(i % 97);
      SearchDeviceInfo d = Rec(g.c_str(), "10.0.0.1", g.c_str());
      SetDeviceText(d.szVendor, g);
      Report(d);
      if (i % 500 == 0) Report(Rec(g.c_str(), ("10.0.1." + g).c_str(), g.c_str()));
    }
    done = true;
  });
  while (!done) {
    for (const SearchDeviceInfo& d : store.Snapshot()) {
      ASSERT_EQ(DeviceText(d.szID), DeviceText(d.szHostName));
      if (DeviceText(d.szIP) == "10.0.0.1") {
        ASSERT_EQ(DeviceText(d.szID), DeviceText(d.szVendor));
      }
    }
  }
  writer.join();
}

TEST(ReportPath, ConcurrentReportsReachTheHandlerOneAtATime) {
  static std::atomic<int> inside{0}, overlaps{0}, calls{0};
  DeviceReportHandler previous = g_pfnDeviceReport.exchange(+[](const SearchDeviceInfo& d, int) {
    if (++inside > 1) ++overlaps;
    std::this_thread::yield();
    if (DeviceText(d.szID) != DeviceText(d.szHostName)) ++overlaps;  // a torn copy
    ++calls;
    --inside;
    return 0;
  });
  auto reporter = [](const char* id) {
    SearchDeviceInfo d = Rec(id, "10.0.0.1", id);
    for (int i = 0; i < 2000; ++i) OnSearchDeviceFound(d, 1530);
  };
  std::thread a(reporter, "first"), b(reporter, "second");
  a.join();
  b.join();
  g_pfnDeviceReport = previous;
  EXPECT_EQ(calls.load(), 4000);
  EXPECT_EQ(overlaps.load(), 0);
}

TEST(DeviceText, FieldsAreCutTo31BytesAndZeroFilled) {
  SearchDeviceInfo d = MakeSearchDeviceInfo();
  std::memset(d.szHostName, 'x', sizeof(d.szHostName));
  SetDeviceText(d.szHostName, std::string(40, 'a'));
  EXPECT_EQ(DeviceText(d.szHostName), std::string(31, 'a'));
  EXPECT_EQ(d.szHostName[31], '\0');
  SetDeviceText(d.szHostName, std::string("ab\0cd", 5));
  EXPECT_EQ(DeviceText(d.szHostName), "ab");
  for (size_t i = 2; i < sizeof(d.szHostName); ++i) ASSERT_EQ(d.szHostName[i], '\0');
}

TEST(DeviceModel, VendorTokensAreComparedUpperCased) {
  SearchDeviceInfo d = MakeSearchDeviceInfo();
  for (auto [vendor, known] : {std::pair{"kestr9", true}, {"QUAMB", true}, {"Quamb2", false}, {"", false}}) {
    SetDeviceText(d.szVendor, vendor);
    EXPECT_EQ(IsKnownDeviceModel(d), known) << vendor;
  }
}

}  // namespace
