// The two datagram parsers and the repeat rules of their receive handlers.
#include <gtest/gtest.h>

#include <string>

#include "discovery/broadcast_search.h"
#include "discovery/local_address.h"
#include "discovery/multicast_search.h"
#include "test_support.h"

namespace {

using disc_test::BroadcastAnswer;

struct Fields {
  std::string id, ip, host, product, extra, firmware, vendor;
  int type;
};

void ExpectFields(const SearchDeviceInfo& d, const Fields& f) {
  EXPECT_EQ(DeviceText(d.szID), f.id);
  EXPECT_EQ(DeviceText(d.szIP), f.ip);
  EXPECT_EQ(DeviceText(d.szHostName), f.host);
  EXPECT_EQ(DeviceText(d.szProduct), f.product);
  EXPECT_EQ(DeviceText(d.szExtra), f.extra);
  EXPECT_EQ(DeviceText(d.szFirmware), f.firmware);
  EXPECT_EQ(DeviceText(d.szVendor), f.vendor);
  EXPECT_EQ(d.nType, f.type);
  EXPECT_EQ(d.nReserved1, 60);
  EXPECT_EQ(d.nReserved2, 0);
  EXPECT_EQ(d.bReserved, 0);
}

TEST(BroadcastQuery, IsTheFixed148Bytes) {
  DhcpSearchPacket q = MakeDhcpSearchQuery();
  const unsigned char* b = reinterpret_cast<const unsigned char*>(&q);
  std::string expected(148, '\0');
  expected[0] = 0x0B;
  expected[1] = 0x01;
  for (int i = 4; i < 8; ++i) expected[i] = static_cast<char>(0xFF);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(b), 148), expected);
}

struct BroadcastCase {
  const char* name;
  std::string datagram;
  BroadcastParseResult result;
  Fields fields;
};

TEST(BroadcastParse, Table) {
  const std::string forty(40, 'h');
  std::string full(128, 'a');
  full.replace(0, 8, "product=");
  const BroadcastCase cases[] = {
      {"all four keys", BroadcastAnswer("id=7&host=box&vendor=abc&product=xyz"), BroadcastParseResult::kDevice,
       {"7", "10.0.0.9", "box", "xyz", "", "", "abc", 1}},
      {"keys are plain substrings", BroadcastAnswer("uuid=9&id=7"), BroadcastParseResult::kDevice,
       {"9", "10.0.0.9", "", "", "", "", "", 1}},
      {"value runs to the end without &", BroadcastAnswer("host=" + forty), BroadcastParseResult::kDevice,
       {"", "10.0.0.9", std::string(31, 'h'), "", "", "", "", 1}},
      {"text filling the packet without a zero", BroadcastAnswer(full), BroadcastParseResult::kDevice,
       {"", "10.0.0.9", "", std::string(31, 'a'), "", "", "", 1}},
      {"farewell type", BroadcastAnswer("id=7", 4), BroadcastParseResult::kDevice,
       {"7", "10.0.0.9", "", "", "", "", "", 4}},
      {"unknown type is carried", BroadcastAnswer("id=7", 200), BroadcastParseResult::kDevice,
       {"7", "10.0.0.9", "", "", "", "", "", 200}},
      {"shell characters stay plain bytes", BroadcastAnswer("host=$(reboot)&id=1"), BroadcastParseResult::kDevice,
       {"1", "10.0.0.9", "$(reboot)", "", "", "", "", 1}},
      {"query, not an answer", BroadcastAnswer("id=7", 1, 11), BroadcastParseResult::kNotDevice, {}},
      {"147 bytes", BroadcastAnswer("id=7").substr(0, 147), BroadcastParseResult::kIgnored, {}},
      {"149 bytes", BroadcastAnswer("id=7") + std::string(1, '\0'), BroadcastParseResult::kIgnored, {}},
      {"1024 bytes", std::string(1024, '\x0c'), BroadcastParseResult::kIgnored, {}},
  };
  for (const BroadcastCase& c : cases) {
    SCOPED_TRACE(c.name);
    SearchDeviceInfo d = MakeSearchDeviceInfo();
    ASSERT_EQ(ParseBroadcastAnswer(c.datagram.data(), c.datagram.size(), "10.0.0.9", d), c.result);
    if (c.result == BroadcastParseResult::kDevice) ExpectFields(d, c.fields);
  }
}

TEST(MulticastRequest, IsThe129ByteSearch) {
  const std::string& r = MulticastSearchRequest();
  EXPECT_EQ(r.size(), 129u);
  EXPECT_EQ(r,
            "M-SEARCH * HTTP/1.1\r\nHOST: 239.143.255.250:1900\r\n"
            "ST: urn:schemas-upnp-org:device:HomeNasDevice:1\r\nMAN: \"ssdp:discover\"\r\nMX: 3\r\n\r\n");
}

std::string Answer(const std::string& location, const std::string& descriptor,
                   const std::string& usn = "uuid:abcd::upnp:rootdevice") {
  std::string m = "HTTP/1.1 200 OK\r\nCACHE-CONTROL: max-age=1800\r\n";
  if (!location.empty()) m += "LOCATION: " + location + "\r\n";
  m += "SERVER: Linux/4.14 VELQ/1.2, UPnP/1.0, " + descriptor + "\r\n";
  if (!usn.empty()) m += "USN: " + usn + "\r\n";
  return m + "\r\n";
}

std::string Notify(const std::string& nts, const std::string& nt = "upnp:rootdevice") {
  return "NOTIFY * HTTP/1.1\r\nHOST: 239.143.255.250:1900\r\nNT: " + nt + "\r\nNTS:" + nts +
         "\r\nSERVER: Linux/4.14 VELQ/1.2, UPnP/1.0, vend/host/prod/extra\r\nUSN: uuid:abcd::" + nt +
         "\r\nLOCATION: http://192.168.1.5:80/d.xml\r\n\r\n";
}

struct MulticastCase {
  const char* name;
  std::string message;
  bool device;
  Fields fields;
};

TEST(MulticastParse, Table) {
  const std::string loc = "http://192.168.1.5:80/desc.xml";
  const std::string longId(40, 'u');
  const MulticastCase cases[] = {
      {"answer with four tokens", Answer(loc, "vend/host/prod/extra"), true,
       {"abcd", "192.168.1.5", "host", "prod", "extra", "1.2", "vend", 1}},
      {"no LOCATION takes the sender", Answer("", "vend/host/prod/extra"), true,
       {"abcd", "10.0.0.9", "host", "prod", "extra", "1.2", "vend", 1}},
      {"descriptor without /", Answer(loc, "vendor"), true, {"abcd", "192.168.1.5", "", "", "", "1.2", "", 1}},
      {"descriptor with one /", Answer(loc, "vend/rest"), true,
       {"abcd", "192.168.1.5", "", "", "", "1.2", "vend", 1}},
      {"descriptor with two /", Answer(loc, "vend/host/prod/"), true,
       {"abcd", "192.168.1.5", "host", "prod", "", "1.2", "vend", 1}},
      {"product is all after the second /", Answer(loc, "vend/host/prod"), true,
       {"abcd", "192.168.1.5", "host", "prod", "", "1.2", "vend", 1}},
      {"alive", Notify(" ssdp:alive"), true, {"abcd", "192.168.1.5", "host", "prod", "extra", "1.2", "vend", 2}},
      {"byebye after two blanks", Notify("  ssdp:byebye"), true,
       {"abcd", "192.168.1.5", "host", "prod", "extra", "1.2", "vend", 4}},
      {"byebye after a tab", Notify("\tssdp:byebye"), true,
       {"abcd", "192.168.1.5", "host", "prod", "extra", "1.2", "vend", 4}},
      {"update is type 0", Notify(" ssdp:update"), true,
       {"abcd", "192.168.1.5", "host", "prod", "extra", "1.2", "vend", 0}},
      {"overlong uuid cut to 31", Answer(loc, "v/h/p", "uuid:" + longId + "::upnp:rootdevice"), true,
       {std::string(31, 'u'), "192.168.1.5", "h", "p", "", "1.2", "v", 1}},
      // LOCATION hosts that are not dotted IPv4 addresses fall back to the sender.
      {"shell characters in LOCATION", Answer("http://$(reboot):80/x", "v/h/p"), true,
       {"abcd", "10.0.0.9", "h", "p", "", "1.2", "v", 1}},
      {"address with a tail", Answer("http://192.168.1.5;rm -rf ~:80/", "v/h/p"), true,
       {"abcd", "10.0.0.9", "h", "p", "", "1.2", "v", 1}},
      {"octet out of range", Answer("http://192.168.1.256:80/", "v/h/p"), true,
       {"abcd", "10.0.0.9", "h", "p", "", "1.2", "v", 1}},
      {"host name", Answer("http://box.local:80/", "v/h/p"), true,
       {"abcd", "10.0.0.9", "h", "p", "", "1.2", "v", 1}},
      {"no SERVER value", "HTTP/1.1 200 OK\r\nX: VELQ\r\nUSN: uuid:abcd::x\r\n\r\n", true,
       {"abcd", "10.0.0.9", "", "", "", "", "", 1}},
      {"no CR after the descriptor", "HTTP/1.1 200 OK\r\nUSN: uuid:abcd::x\r\nSERVER: L VELQ/3, U, v/h/p/e", true,
       {"abcd", "10.0.0.9", "h", "p", "e", "3", "v", 1}},
      {"no VELQ", "HTTP/1.1 200 OK\r\nSERVER: Linux UPnP/1.0\r\nUSN: uuid:abcd::x\r\n\r\n", false, {}},
      {"our own M-SEARCH", MulticastSearchRequest(), false, {}},
      {"M-SEARCH with VELQ", "M-SEARCH * HTTP/1.1\r\nX: VELQ\r\nUSN: uuid:a::b\r\n\r\n", false, {}},
      {"NOTIFY without rootdevice", Notify(" ssdp:alive", "urn:x:device:y:1"), false, {}},
      {"no USN", Answer(loc, "v/h/p", ""), false, {}},
      {"USN without ::", Answer(loc, "v/h/p", "uuid:abcd"), false, {}},
      {"USN without uuid:", Answer(loc, "v/h/p", "abcd::upnp:rootdevice"), false, {}},
      {"LOCATION without //", Answer("192.168.1.5:80", "v/h/p"), false, {}},
      {"LOCATION host without :", "HTTP/1.1 200 OK\r\nUSN: uuid:a::b\r\nSERVER: VELQ/1, U, v/h\r\nLOCATION: http//x", false,
       {}},
  };
  for (const MulticastCase& c : cases) {
    SCOPED_TRACE(c.name);
    SearchDeviceInfo d = MakeSearchDeviceInfo();
    MulticastParseResult r = ParseMulticastMessage(c.message.c_str(), c.message.size(), "10.0.0.9", d);
    ASSERT_EQ(r == MulticastParseResult::kDevice, c.device);
    if (c.device) ExpectFields(d, c.fields);
  }
}

TEST(MulticastParse, MessageOf1024BytesIsReadWithinItsLength) {
  // A full-size message whose SERVER descriptor has no line end: every
  // search stops at the end of the message.
  std::string m = "NOTIFY * HTTP/1.1\r\nNTS: ssdp:alive\r\nUSN: uuid:big::upnp:rootdevice\r\nSERVER: L VELQ/9, U, ";
  m += std::string(1024 - m.size(), '/');
  ASSERT_EQ(m.size(), 1024u);
  std::string buffer = m + '\0';
  SearchDeviceInfo d = MakeSearchDeviceInfo();
  ASSERT_EQ(ParseMulticastMessage(buffer.data(), 1024, "10.0.0.9", d), MulticastParseResult::kDevice);
  EXPECT_EQ(DeviceText(d.szID), "big");
  EXPECT_EQ(d.nType, SEARCH_TYPE_ALIVE);
  EXPECT_EQ(DeviceText(d.szExtra), std::string(31, '/'));
}

TEST(IsDottedIPv4, Table) {
  const std::pair<const char*, bool> cases[] = {
      {"10.0.0.1", true},   {"255.255.255.255", true}, {"0.0.0.0", true},  {"1.2.3", false},
      {"1.2.3.4.5", false}, {"256.1.1.1", false},      {"01.2.3.4", false}, {" 1.2.3.4", false},
      {"1.2.3.4 ", false},  {"1..3.4", false},         {"", false},         {"1.2.3.4444", false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsDottedIPv4(c.first, std::strlen(c.first)), c.second) << c.first;
}

// --- repeat rules of the receive handlers (no socket involved) ---

TEST(BroadcastReceive, RepeatsAreSuppressedUntilTheNextPass) {
  disc_test::ReportCapture reports;
  CSearchDeviceBroadcastThread worker;
  worker.nPort = 67;
  std::string a = BroadcastAnswer("id=1&host=a"), b = BroadcastAnswer("id=2&host=b");
  for (int i = 0; i < 3; ++i) worker.HandleReceive(a.data(), 148, "10.0.0.1");
  EXPECT_EQ(reports.Count(), 1u);
  worker.ResetLastDevice();  // what a search pass does
  worker.HandleReceive(a.data(), 148, "10.0.0.1");
  EXPECT_EQ(reports.Count(), 2u);
  // Two devices answering alternately are all reported.
  for (int i = 0; i < 2; ++i) {
    worker.HandleReceive(b.data(), 148, "10.0.0.2");
    worker.HandleReceive(a.data(), 148, "10.0.0.1");
  }
  EXPECT_EQ(reports.Count(), 6u);
  // Wrong length and wrong first byte report nothing.
  worker.HandleReceive(a.data(), 147, "10.0.0.1");
  std::string query = BroadcastAnswer("id=3", 1, 11);
  worker.HandleReceive(query.data(), 148, "10.0.0.3");
  EXPECT_EQ(reports.Count(), 6u);
}

TEST(MulticastReceive, IdenticalMessagesAreReportedEverySecondTime) {
  disc_test::ReportCapture reports;
  CSearchDeviceMulticastThread worker;
  worker.nPort = 1900;
  std::string m = Notify(" ssdp:alive");
  for (int i = 0; i < 4; ++i) worker.HandleReceive(m.c_str(), static_cast<int>(m.size()), "10.0.0.1");
  EXPECT_EQ(reports.Count(), 2u);
  // A type-0 record passes the repeat test and is reported.
  std::string update = Notify(" ssdp:update");
  CSearchDeviceMulticastThread other;
  other.HandleReceive(update.c_str(), static_cast<int>(update.size()), "10.0.0.1");
  ASSERT_EQ(reports.Count(), 3u);
  EXPECT_EQ(reports.Reports().back().nType, SEARCH_TYPE_NONE);
}

TEST(ReceiveHandlers, ResetOnTheMainThreadNeverTearsTheCache) {
  // The main thread's reset and the receive thread's compare-and-store
  // run concurrently: every message is either reported or found to repeat
  // a complete earlier record.
  disc_test::ReportCapture reports;
  CSearchDeviceMulticastThread worker;
  std::string m = Notify(" ssdp:alive");
  std::atomic<bool> done{false};
  std::thread resetter([&] {
    while (!done) worker.ResetLastDevice();
  });
  for (int i = 0; i < 20000; ++i) worker.HandleReceive(m.c_str(), static_cast<int>(m.size()), "10.0.0.1");
  done = true;
  resetter.join();
  for (const SearchDeviceInfo& d : reports.Reports()) ASSERT_EQ(DeviceText(d.szID), "abcd");
  EXPECT_GE(reports.Count(), 10000u);
}

}  // namespace

namespace {

TEST(ReceiveHandlers, AFarewellIsNeverTakenForARepeatOfTheAnswerBeforeIt) {
  disc_test::ReportCapture reports;
  CSearchDeviceBroadcastThread broadcast;
  std::string answer = BroadcastAnswer("id=1&host=a&vendor=v&product=p", 1);
  std::string farewell = BroadcastAnswer("id=1&host=a&vendor=v&product=p", 4);
  broadcast.HandleReceive(answer.data(), 148, "10.0.0.1");
  broadcast.HandleReceive(farewell.data(), 148, "10.0.0.1");
  CSearchDeviceMulticastThread group;
  std::string alive = Notify(" ssdp:alive"), byebye = Notify(" ssdp:byebye");
  group.HandleReceive(alive.c_str(), static_cast<int>(alive.size()), "10.0.0.1");
  group.HandleReceive(byebye.c_str(), static_cast<int>(byebye.size()), "10.0.0.1");
  auto all = reports.Reports();
  ASSERT_EQ(all.size(), 4u);
  EXPECT_EQ(all[1].nType, SEARCH_TYPE_BYEBYE);
  EXPECT_EQ(all[3].nType, SEARCH_TYPE_BYEBYE);
}

}  // namespace
