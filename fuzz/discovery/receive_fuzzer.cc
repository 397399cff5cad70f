// Feeds one datagram to a receive handler exactly as the receive loop does
// (at most 1024 bytes in a zeroed 1025-byte buffer), with the real report
// path and store behind it. Built twice: broadcast and multicast handler.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "discovery/broadcast_search.h"
#include "discovery/device_store.h"
#include "discovery/multicast_search.h"
#include "discovery/search_control.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
#if FUZZ_BROADCAST
  static CSearchDeviceBroadcastThread* worker = new CSearchDeviceBroadcastThread();
#else
  static CSearchDeviceMulticastThread* worker = new CSearchDeviceMulticastThread();
#endif
  g_pfnDeviceReport = &HandleDeviceReport;
  if (size == 0) return 0;  // the loop never hands an empty datagram over
  char buffer[1025];
  std::memset(buffer, 0, sizeof(buffer));
  size_t length = size < 1024 ? size : 1024;
  std::memcpy(buffer, data, length);
  worker->HandleReceive(buffer, static_cast<int>(length), "10.0.0.9");
  // Every record read back must be zero-ended within its fields.
  for (const SearchDeviceInfo& d : GetDeviceStore().Snapshot()) {
    if (d.szID[31] || d.szIP[31] || d.szHostName[31] || d.szProduct[31] || d.szExtra[31] || d.szFirmware[31] ||
        d.szVendor[31]) {
      __builtin_trap();
    }
  }
  if (GetDeviceStore().Snapshot().size() > 256) GetDeviceStore().ClearDevices();
  if (data[0] & 1) worker->ResetLastDevice();
  return 0;
}
