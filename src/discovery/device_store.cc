#include "discovery/device_store.h"

#include <cctype>
#include <cstring>

#include "app/trace.h"
#include "discovery/search_control.h"
#include "platform/textconv.h"

void CDeviceStore::AddOrUpdateDevice(const SearchDeviceInfo& rec) {
  std::lock_guard<std::mutex> lock(m_lock);
  for (SearchDeviceInfo& r : m_devices) {
    if (SameDeviceTexts(r, rec)) {
      r.nReserved1 = rec.nReserved1;
      r.nReserved2 = rec.nReserved2;
      return;
    }
    if (std::strncmp(r.szIP, rec.szIP, SEARCH_DEVICE_TEXT_SIZE) == 0) {
      r = rec;
      return;
    }
  }
  m_devices.push_back(rec);
}

void CDeviceStore::RemoveDeviceById(const std::wstring& id) {
  std::lock_guard<std::mutex> lock(m_lock);
  for (auto it = m_devices.begin(); it != m_devices.end(); ++it) {
    if (AnsiToWide(DeviceText(it->szID)) == id) {
      m_devices.erase(it);
      return;
    }
  }
}

void CDeviceStore::ClearDevices() {
  std::lock_guard<std::mutex> lock(m_lock);
  m_devices.clear();
}

std::vector<SearchDeviceInfo> CDeviceStore::Snapshot() const {
  std::lock_guard<std::mutex> lock(m_lock);
  return m_devices;
}

CDeviceStore& GetDeviceStore() {
  static CDeviceStore* store = new CDeviceStore();
  return *store;
}

int HandleDeviceReport(const SearchDeviceInfo& info, int nPort) {
  SearchDeviceInfo copy = info;
  switch (copy.nType) {
    case SEARCH_TYPE_RESPONSE:
    case SEARCH_TYPE_ALIVE:
      GetDeviceStore().AddOrUpdateDevice(copy);
      break;
    case SEARCH_TYPE_BYEBYE:
      GetDeviceStore().RemoveDeviceById(AnsiToWide(DeviceText(copy.szID)));
      break;
    default:
      break;
  }
  return 0;
}

int InitDeviceStore(CDeviceStore& store) {
  (void)store;  // the handler works on the one process-wide store
  DisableLog();
  g_pfnDeviceReport = &HandleDeviceReport;
  g_bUpdateCommandWorkers = true;
  StartSearchDevice();
  return 0;
}

bool IsKnownDeviceModel(const SearchDeviceInfo& info) {
  std::string vendor = DeviceText(info.szVendor);
  for (char& c : vendor) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return vendor == "KESTR9" || vendor == "QUAMB";
}
