// The process-wide device store: every device the search workers heard of,
// in the order they were first heard, behind one lock.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "discovery/device_info.h"

class CDeviceStore {
 public:
  CDeviceStore() = default;
  CDeviceStore(const CDeviceStore&) = delete;
  CDeviceStore& operator=(const CDeviceStore&) = delete;

  // An identical record only refreshes nReserved1/nReserved2 of the stored
  // one; a record with the same szIP replaces the stored one in place;
  // anything else is appended.
  void AddOrUpdateDevice(const SearchDeviceInfo& rec);
  // Erases the first record whose szID (as wide text) equals `id` exactly.
  void RemoveDeviceById(const std::wstring& id);
  // Erases every record.
  void ClearDevices();
  // A copy of all records in store order, taken under the lock.
  std::vector<SearchDeviceInfo> Snapshot() const;

  std::vector<SearchDeviceInfo> m_devices;
  mutable std::mutex m_lock;  // guards m_devices
};

// The one store of the process, made on first use and never destroyed, so
// that a worker thread still running at process end never meets a
// destroyed store.
CDeviceStore& GetDeviceStore();

// Report handler: adds or updates on types 1 and 2, removes by id on type 4,
// ignores everything else. `nPort` (the reporting worker) is not used.
int HandleDeviceReport(const SearchDeviceInfo& info, int nPort);

// Start-up: switches the trace off, installs HandleDeviceReport as the report
// handler, asks every search pass to look for new local addresses, and
// starts the search workers. Returns 0.
int InitDeviceStore(CDeviceStore& store);

// True when the upper-cased vendor is one of the device models this tool is
// made for. Informational: the store keeps every device regardless.
bool IsKnownDeviceModel(const SearchDeviceInfo& info);
