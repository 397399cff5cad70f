// Messages parsed per second by each protocol's parser, and by each receive
// handler with the report path and the store behind it.
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>

#include "discovery/broadcast_search.h"
#include "discovery/device_store.h"
#include "discovery/multicast_search.h"
#include "discovery/search_control.h"

namespace {

std::string BroadcastAnswer() {
  DhcpSearchPacket p;
  std::memset(&p, 0, sizeof(p));
  p.op = DHCP_SEARCH_OP_ANSWER;
  p.type = 1;
  const char text[] = "id=KS-0001&host=kestrel-den&vendor=KESTR9&product=TravelNAS-2";
  std::memcpy(p.text, text, sizeof(text));
  return std::string(reinterpret_cast<const char*>(&p), sizeof(p));
}

std::string MulticastAnswer() {
  return "HTTP/1.1 200 OK\r\nST: urn:schemas-upnp-org:device:HomeNasDevice:1\r\n"
         "USN: uuid:5f1c-aa01::urn:schemas-upnp-org:device:HomeNasDevice:1\r\nCACHE-CONTROL: max-age=1800\r\n"
         "DATE: Fri, 11 Dec 2026 14:00:00 GMT\r\nSERVER: Linux/4.14 VELQ/2.0.4, UPnP/1.0, KESTR9/kestrel-car/TravelNAS-2/SD\r\n"
         "EXT: \r\nLOCATION: http://10.231.1.20:80/description.xml\r\n\r\n";
}

void BM_ParseBroadcastAnswer(benchmark::State& state) {
  std::string m = BroadcastAnswer();
  SearchDeviceInfo d;
  for (auto _ : state) {
    benchmark::DoNotOptimize(ParseBroadcastAnswer(m.data(), m.size(), "10.231.1.10", d));
    benchmark::DoNotOptimize(d);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ParseBroadcastAnswer);

void BM_ParseMulticastMessage(benchmark::State& state) {
  std::string m = MulticastAnswer();
  SearchDeviceInfo d;
  for (auto _ : state) {
    benchmark::DoNotOptimize(ParseMulticastMessage(m.c_str(), m.size(), "10.231.1.20", d));
    benchmark::DoNotOptimize(d);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ParseMulticastMessage);

// The whole handler: parse, repeat test, report mutex, store update. The
// cache is reset each time so that every message is reported.
template <class Worker>
void HandlerBench(benchmark::State& state, const std::string& m) {
  g_pfnDeviceReport = &HandleDeviceReport;
  GetDeviceStore().ClearDevices();
  Worker worker;
  for (auto _ : state) {
    worker.ResetLastDevice();
    worker.HandleReceive(m.c_str(), static_cast<int>(m.size()), "10.231.1.20");
  }
  state.SetItemsProcessed(state.iterations());
  GetDeviceStore().ClearDevices();
}

void BM_BroadcastHandleReceive(benchmark::State& state) {
  HandlerBench<CSearchDeviceBroadcastThread>(state, BroadcastAnswer());
}
BENCHMARK(BM_BroadcastHandleReceive);

void BM_MulticastHandleReceive(benchmark::State& state) {
  HandlerBench<CSearchDeviceMulticastThread>(state, MulticastAnswer());
}
BENCHMARK(BM_MulticastHandleReceive);

}  // namespace

BENCHMARK_MAIN();
