// Output of lanscout-scan: the device table, JSON lines, and the change
// lines of --watch.
#pragma once

#include <string>
#include <vector>

#include "discovery/device_info.h"

// Columns Host Name, IP Address, Device Type, one row per record, in order.
std::string FormatTable(const std::vector<SearchDeviceInfo>& devices);
// One JSON object with the keys id, ip, host, product, vendor, firmware,
// extra, type (plus "event" when `event` is given). Texts are converted from
// the locale's character set to UTF-8.
std::string FormatJson(const SearchDeviceInfo& device, const char* event = nullptr);

struct DeviceChange {
  enum Kind { kAdded, kChanged, kRemoved } kind;
  SearchDeviceInfo device;  // the new record, or the removed one
};

// What changed from `before` to `after`, devices being told apart by their
// address (the store keeps one record per address): removals first, then
// additions and changes in store order.
std::vector<DeviceChange> DiffDevices(const std::vector<SearchDeviceInfo>& before,
                                      const std::vector<SearchDeviceInfo>& after);

// "14:03:12  added    host  10.0.0.5  product  (vendor, firmware)".
std::string FormatChangeLine(const DeviceChange& change, const std::string& clock);
const char* ChangeName(DeviceChange::Kind kind);
