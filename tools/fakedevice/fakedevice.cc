// lanscout-fakedevice: simulated devices of the broadcast protocol.
//
//   serve: listens on UDP port 68 and answers every 148-byte query with one
//          answer per simulated device, each sent from that device's own
//          address (which must be an address of this namespace).
//   send:  sends one datagram (an answer such as a farewell, or raw bytes)
//          and ends.
//
// Meant for network namespaces made by the tests and the demo only.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "discovery/broadcast_search.h"
#include "discovery/local_address.h"

namespace {

const char kUsage[] =
    "Usage: lanscout-fakedevice serve [options]\n"
    "       lanscout-fakedevice send --to ADDRESS [options]\n"
    "\n"
    "Devices (repeatable; values may not contain commas):\n"
    "  --device address=A,id=I,host=H,vendor=V,product=P[,type=N]\n"
    "  --devices N --first-address A [--prefix NAME]\n"
    "                        N devices on consecutive addresses from A, with\n"
    "                        ids NAME-1.., hosts NAME-1.. (prefix default \"dev\")\n"
    "Answers:\n"
    "  --answer KIND         normal (default), short (147 bytes), long (149),\n"
    "                        badop (first byte 13), oversize (1024 bytes),\n"
    "                        empty (a zero-length datagram)\n"
    "  --text TEXT           the answer's text instead of id=..&host=..&...\n"
    "  --type N              report type of the answers (default: the device's, 1)\n"
    "  --repeat N            send every answer N times (default 1)\n"
    "serve:\n"
    "  --ready FILE          created once the port is bound\n"
    "  --farewell            on SIGINT/SIGTERM, send a farewell (type 4) of every\n"
    "                        device to every address that searched\n"
    "  --quiet               print nothing per query\n"
    "send:\n"
    "  --to ADDRESS          destination (255.255.255.255 for a broadcast)\n"
    "  --port N              destination port (default 67)\n"
    "  --raw-file FILE       send the bytes of FILE instead of an answer (from the\n"
    "                        first device's address, or --from)\n"
    "  --from ADDRESS        source address when no device is given\n";

struct Device {
  std::string address, id, host, vendor, product;
  int type = 1;
};

struct Options {
  std::string mode;
  std::vector<Device> devices;
  std::string answer = "normal";
  std::string text;
  bool hasText = false;
  int type = -1;
  int repeat = 1;
  std::string ready;
  bool farewell = false;
  bool quiet = false;
  std::string to, from, rawFile;
  int port = BROADCAST_SEARCH_LOCAL_PORT;
};

volatile sig_atomic_t g_stop = 0;
void OnSignal(int) { g_stop = 1; }

[[noreturn]] void Fail(const std::string& message, int status = 2) {
  std::fprintf(stderr, "lanscout-fakedevice: %s\n", message.c_str());
  std::exit(status);
}

in_addr ParseAddress(const std::string& text) {
  in_addr a{};
  if (inet_pton(AF_INET, text.c_str(), &a) != 1) Fail("not an IPv4 address: '" + text + "'");
  return a;
}

int ParseInt(const std::string& text, int lo, int hi) {
  char* end = nullptr;
  long v = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || *end || v < lo || v > hi) Fail("bad number '" + text + "'");
  return static_cast<int>(v);
}

Device ParseDevice(const std::string& fields) {
  Device d;
  std::stringstream in(fields);
  std::string item;
  while (std::getline(in, item, ',')) {
    size_t eq = item.find('=');
    if (eq == std::string::npos) Fail("bad device item '" + item + "'");
    std::string key = item.substr(0, eq), value = item.substr(eq + 1);
    if (key == "address") d.address = value;
    else if (key == "id") d.id = value;
    else if (key == "host") d.host = value;
    else if (key == "vendor") d.vendor = value;
    else if (key == "product") d.product = value;
    else if (key == "type") d.type = ParseInt(value, 0, 255);
    else Fail("unknown device item '" + key + "'");
  }
  if (d.address.empty()) Fail("a device needs address=");
  ParseAddress(d.address);
  return d;
}

Options ParseArguments(int argc, char** argv) {
  Options o;
  if (argc < 2) Fail(std::string("missing mode\n") + kUsage);
  o.mode = argv[1];
  if (o.mode == "--help") {
    std::fputs(kUsage, stdout);
    std::exit(0);
  }
  if (o.mode != "serve" && o.mode != "send") Fail("unknown mode '" + o.mode + "'");
  int count = 0;
  std::string first, prefix = "dev";
  for (int i = 2; i < argc; ++i) {
    std::string arg = argv[i];
    auto next = [&]() -> std::string {
      if (i + 1 >= argc) Fail(arg + " needs a value");
      return argv[++i];
    };
    if (arg == "--device") o.devices.push_back(ParseDevice(next()));
    else if (arg == "--devices") count = ParseInt(next(), 1, 65000);
    else if (arg == "--first-address") first = next();
    else if (arg == "--prefix") prefix = next();
    else if (arg == "--answer") o.answer = next();
    else if (arg == "--text") o.text = next(), o.hasText = true;
    else if (arg == "--type") o.type = ParseInt(next(), 0, 255);
    else if (arg == "--repeat") o.repeat = ParseInt(next(), 1, 1000);
    else if (arg == "--ready") o.ready = next();
    else if (arg == "--farewell") o.farewell = true;
    else if (arg == "--quiet") o.quiet = true;
    else if (arg == "--to") o.to = next();
    else if (arg == "--from") o.from = next();
    else if (arg == "--port") o.port = ParseInt(next(), 1, 65535);
    else if (arg == "--raw-file") o.rawFile = next();
    else if (arg == "--help") std::fputs(kUsage, stdout), std::exit(0);
    else Fail("unknown argument '" + arg + "'");
  }
  if (count > 0) {
    if (first.empty()) Fail("--devices needs --first-address");
    uint32_t base = ntohl(ParseAddress(first).s_addr);
    for (int n = 1; n <= count; ++n) {
      in_addr a{};
      a.s_addr = htonl(base + static_cast<uint32_t>(n - 1));
      char text[INET_ADDRSTRLEN];
      inet_ntop(AF_INET, &a, text, sizeof(text));
      Device d;
      d.address = text;
      d.id = prefix + "-" + std::to_string(n);
      d.host = prefix + "-" + std::to_string(n);
      d.vendor = "KESTR9";
      d.product = "TravelNAS";
      o.devices.push_back(d);
    }
  }
  static const std::set<std::string> kinds = {"normal", "short", "long", "badop", "oversize", "empty"};
  if (!kinds.count(o.answer)) Fail("unknown answer kind '" + o.answer + "'");
  if (o.mode == "serve" && o.devices.empty()) Fail("serve needs at least one device");
  if (o.mode == "send" && o.to.empty()) Fail("send needs --to");
  return o;
}

std::string AnswerBytes(const Options& o, const Device& d, int type) {
  DhcpSearchPacket packet;
  std::memset(&packet, 0, sizeof(packet));
  packet.op = o.answer == "badop" ? 13 : DHCP_SEARCH_OP_ANSWER;
  packet.type = static_cast<unsigned char>(type);
  std::string text = o.hasText ? o.text
                               : "id=" + d.id + "&host=" + d.host + "&vendor=" + d.vendor + "&product=" + d.product;
  std::memcpy(packet.text, text.data(), std::min(text.size(), sizeof(packet.text)));
  std::string bytes(reinterpret_cast<const char*>(&packet), sizeof(packet));
  if (o.answer == "short") bytes.resize(147);
  if (o.answer == "long") bytes.resize(149, '\0');
  if (o.answer == "oversize") bytes.resize(1024, 'x');
  if (o.answer == "empty") bytes.clear();
  return bytes;
}

// Sends from `source` (an address of this namespace, or 0 for the routing
// choice) through the socket bound to port 68, waiting out a full queue.
bool SendFrom(int fd, const std::string& bytes, in_addr source, const sockaddr_in& to) {
  for (int attempt = 0; attempt < 50; ++attempt) {
    if (SendWithPacketInfo(fd, bytes.data(), bytes.size(), to, 0, source) >= 0) return true;
    if (errno != ENOBUFS && errno != EAGAIN) break;
    usleep(1000);
  }
  std::fprintf(stderr, "lanscout-fakedevice: send: %s\n", std::strerror(errno));
  return false;
}

int OpenSocket() {
  int fd = socket(AF_INET, SOCK_DGRAM, 0);
  if (fd < 0) Fail(std::string("socket: ") + std::strerror(errno), 1);
  int on = 1;
  setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof(on));
  setsockopt(fd, SOL_SOCKET, SO_BROADCAST, &on, sizeof(on));
  sockaddr_in local{};
  local.sin_family = AF_INET;
  local.sin_port = htons(BROADCAST_SEARCH_DEVICE_PORT);
  if (bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof(local)) != 0) {
    Fail(std::string("bind port 68: ") + std::strerror(errno), 1);
  }
  return fd;
}

int Serve(const Options& o) {
  int fd = OpenSocket();
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
  if (!o.ready.empty()) std::ofstream(o.ready) << getpid() << "\n";
  if (!o.quiet) {
    std::printf("fakedevice: %zu device(s) listening on port 68\n", o.devices.size());
    std::fflush(stdout);
  }
  std::set<std::pair<uint32_t, uint16_t>> searchers;
  while (!g_stop) {
    char buffer[2048];
    sockaddr_in from{};
    socklen_t fromLen = sizeof(from);
    ssize_t n = recvfrom(fd, buffer, sizeof(buffer), 0, reinterpret_cast<sockaddr*>(&from), &fromLen);
    if (n < 0) {
      if (errno == EINTR) continue;
      Fail(std::string("recvfrom: ") + std::strerror(errno), 1);
    }
    if (n != DHCP_SEARCH_PACKET_SIZE || static_cast<unsigned char>(buffer[0]) != DHCP_SEARCH_OP_QUERY) continue;
    searchers.insert({from.sin_addr.s_addr, from.sin_port});
    if (!o.quiet) {
      char text[INET_ADDRSTRLEN];
      inet_ntop(AF_INET, &from.sin_addr, text, sizeof(text));
      std::printf("fakedevice: query from %s:%d, answering for %zu device(s)\n", text, ntohs(from.sin_port),
                  o.devices.size());
      std::fflush(stdout);
    }
    for (const Device& d : o.devices) {
      std::string bytes = AnswerBytes(o, d, o.type >= 0 ? o.type : d.type);
      for (int r = 0; r < o.repeat; ++r) SendFrom(fd, bytes, ParseAddress(d.address), from);
    }
  }
  if (o.farewell) {
    for (const auto& s : searchers) {
      sockaddr_in to{};
      to.sin_family = AF_INET;
      to.sin_addr.s_addr = s.first;
      to.sin_port = s.second;
      for (const Device& d : o.devices) SendFrom(fd, AnswerBytes(o, d, SEARCH_TYPE_BYEBYE), ParseAddress(d.address), to);
    }
  }
  close(fd);
  return 0;
}

int Send(const Options& o) {
  int fd = OpenSocket();
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_addr = ParseAddress(o.to);
  to.sin_port = htons(static_cast<uint16_t>(o.port));
  in_addr source{};
  if (!o.from.empty()) source = ParseAddress(o.from);
  else if (!o.devices.empty()) source = ParseAddress(o.devices.front().address);

  bool ok = true;
  if (!o.rawFile.empty()) {
    std::ifstream in(o.rawFile, std::ios::binary);
    if (!in) Fail("cannot read " + o.rawFile, 1);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    for (int r = 0; r < o.repeat; ++r) ok = SendFrom(fd, bytes, source, to) && ok;
  } else {
    if (o.devices.empty()) Fail("send needs a device or --raw-file");
    for (const Device& d : o.devices) {
      std::string bytes = AnswerBytes(o, d, o.type >= 0 ? o.type : d.type);
      for (int r = 0; r < o.repeat; ++r) ok = SendFrom(fd, bytes, ParseAddress(d.address), to) && ok;
    }
  }
  close(fd);
  return ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  Options o = ParseArguments(argc, argv);
  return o.mode == "serve" ? Serve(o) : Send(o);
}
