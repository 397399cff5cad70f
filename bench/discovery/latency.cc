// discovery_latency ADDRESS [ROUNDS]: starts discovery as the program does,
// then ROUNDS times clears the store, runs a search pass and measures the
// time until a record with szIP == ADDRESS is in the store. Prints min,
// median, 95th percentile and max in microseconds. Run it only inside a
// namespace made for it (bench/discovery/latency.sh does).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

#include "discovery/device_store.h"
#include "discovery/search_control.h"

int main(int argc, char** argv) {
  if (argc < 2 || !std::getenv("LANSCOUT_BENCH_NETNS")) {
    std::fprintf(stderr, "usage: discovery_latency ADDRESS [ROUNDS]; started by bench/discovery/latency.sh\n");
    return 2;
  }
  const char* address = argv[1];
  int rounds = argc > 2 ? std::atoi(argv[2]) : 50;
  InitDeviceStore(GetDeviceStore());
  std::this_thread::sleep_for(std::chrono::milliseconds(200));  // receive threads blocked in receive
  std::vector<double> micros;
  int missed = 0;
  for (int r = 0; r < rounds; ++r) {
    GetDeviceStore().ClearDevices();
    auto start = std::chrono::steady_clock::now();
    RefreshSearch();
    bool found = false;
    while (!found && std::chrono::steady_clock::now() - start < std::chrono::seconds(2)) {
      for (const SearchDeviceInfo& d : GetDeviceStore().Snapshot()) {
        found = found || std::strncmp(d.szIP, address, sizeof(d.szIP)) == 0;
      }
      if (!found) std::this_thread::sleep_for(std::chrono::microseconds(20));
    }
    auto end = std::chrono::steady_clock::now();
    if (found) {
      micros.push_back(std::chrono::duration<double, std::micro>(end - start).count());
    } else {
      ++missed;
    }
    // Let the late answers of this pass land before the next one.
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  ShutdownSearch();
  if (micros.empty()) {
    std::printf("no record for %s in %d rounds\n", address, rounds);
    return 1;
  }
  std::sort(micros.begin(), micros.end());
  auto at = [&](double q) { return micros[std::min(micros.size() - 1, static_cast<size_t>(q * micros.size()))]; };
  std::printf("%s: %zu rounds, min %.0f us, median %.0f us, p95 %.0f us, max %.0f us, missed %d\n", address,
              micros.size(), micros.front(), at(0.5), at(0.95), micros.back(), missed);
  return 0;
}
