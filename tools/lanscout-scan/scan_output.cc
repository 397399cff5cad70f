#include "scan_output.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <cwchar>

#include <nlohmann/json.hpp>

#include "platform/textconv.h"

namespace {

std::wstring Wide(const char (&field)[SEARCH_DEVICE_TEXT_SIZE]) { return AnsiToWide(DeviceText(field)); }

// Columns on a terminal, counting wide characters twice and control
// characters (which are shown as '?') once.
size_t DisplayWidth(const std::wstring& text) {
  size_t width = 0;
  for (wchar_t c : text) {
    int w = wcwidth(c);
    width += w < 0 ? 1 : static_cast<size_t>(w);
  }
  return width;
}

// Device texts come from the network: no control character reaches the
// terminal.
std::wstring Printable(std::wstring text) {
  for (wchar_t& c : text) {
    if (c < 0x20 || c == 0x7F || (c >= 0x80 && c < 0xA0)) c = L'?';
  }
  return text;
}

std::string Narrow(const std::wstring& text) { return WideToAnsi(text); }

}  // namespace

std::string FormatTable(const std::vector<SearchDeviceInfo>& devices) {
  const std::wstring headers[3] = {L"Host Name", L"IP Address", L"Device Type"};
  std::vector<std::array<std::wstring, 3>> rows;
  size_t widths[3] = {DisplayWidth(headers[0]), DisplayWidth(headers[1]), DisplayWidth(headers[2])};
  for (const SearchDeviceInfo& d : devices) {
    std::array<std::wstring, 3> row = {Printable(Wide(d.szHostName)), Printable(Wide(d.szIP)),
                                       Printable(Wide(d.szProduct))};
    for (int i = 0; i < 3; ++i) widths[i] = std::max(widths[i], DisplayWidth(row[i]));
    rows.push_back(row);
  }
  auto line = [&](const std::wstring* cells) {
    std::wstring out;
    for (int i = 0; i < 3; ++i) {
      out += cells[i];
      if (i < 2) out.append(widths[i] - DisplayWidth(cells[i]) + 2, L' ');
    }
    while (!out.empty() && out.back() == L' ') out.pop_back();
    return Narrow(out) + "\n";
  };
  std::string text = line(headers);
  for (const auto& row : rows) text += line(row.data());
  return text;
}

std::string FormatJson(const SearchDeviceInfo& d, const char* event) {
  auto utf8 = [](const char (&field)[SEARCH_DEVICE_TEXT_SIZE]) { return WideToUtf8(Wide(field)); };
  nlohmann::ordered_json j;
  if (event) j["event"] = event;
  j["id"] = utf8(d.szID);
  j["ip"] = utf8(d.szIP);
  j["host"] = utf8(d.szHostName);
  j["product"] = utf8(d.szProduct);
  j["vendor"] = utf8(d.szVendor);
  j["firmware"] = utf8(d.szFirmware);
  j["extra"] = utf8(d.szExtra);
  j["type"] = d.nType;
  return j.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

std::vector<DeviceChange> DiffDevices(const std::vector<SearchDeviceInfo>& before,
                                      const std::vector<SearchDeviceInfo>& after) {
  auto find = [](const std::vector<SearchDeviceInfo>& list, const SearchDeviceInfo& d) -> const SearchDeviceInfo* {
    for (const SearchDeviceInfo& x : list) {
      if (std::strncmp(x.szIP, d.szIP, SEARCH_DEVICE_TEXT_SIZE) == 0) return &x;
    }
    return nullptr;
  };
  std::vector<DeviceChange> changes;
  for (const SearchDeviceInfo& old : before) {
    if (!find(after, old)) changes.push_back({DeviceChange::kRemoved, old});
  }
  for (const SearchDeviceInfo& now : after) {
    const SearchDeviceInfo* old = find(before, now);
    if (!old) {
      changes.push_back({DeviceChange::kAdded, now});
    } else if (!SameDeviceTexts(*old, now)) {
      changes.push_back({DeviceChange::kChanged, now});
    }
  }
  return changes;
}

const char* ChangeName(DeviceChange::Kind kind) {
  switch (kind) {
    case DeviceChange::kAdded:
      return "added";
    case DeviceChange::kChanged:
      return "changed";
    case DeviceChange::kRemoved:
      return "removed";
  }
  return "";
}

std::string FormatChangeLine(const DeviceChange& change, const std::string& clock) {
  const SearchDeviceInfo& d = change.device;
  std::wstring text = AnsiToWide(clock) + L"  ";
  std::wstring kind = AnsiToWide(ChangeName(change.kind));
  kind.resize(9, L' ');
  text += kind;
  auto cell = [](std::wstring value, size_t width) {
    value = Printable(value);
    size_t w = DisplayWidth(value);
    if (w < width) value.append(width - w, L' ');
    return value + L"  ";
  };
  text += cell(Wide(d.szHostName), 16) + cell(Wide(d.szIP), 15) + cell(Wide(d.szProduct), 16);
  std::wstring vendor = Printable(Wide(d.szVendor)), firmware = Printable(Wide(d.szFirmware));
  if (!vendor.empty() || !firmware.empty()) {
    text += L"(" + vendor;
    if (!firmware.empty()) text += (vendor.empty() ? L"" : L", ") + std::wstring(L"firmware ") + firmware;
    text += L")";
  }
  while (!text.empty() && text.back() == L' ') text.pop_back();
  return Narrow(text);
}
