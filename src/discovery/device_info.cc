#include "discovery/device_info.h"

#include <cstring>

SearchDeviceInfo MakeSearchDeviceInfo() {
  SearchDeviceInfo info;
  std::memset(&info, 0, sizeof(info));
  info.nReserved1 = 60;
  return info;
}

void SetDeviceText(char (&field)[SEARCH_DEVICE_TEXT_SIZE], const char* text, size_t length) {
  std::memset(field, 0, sizeof(field));
  if (!text) return;
  size_t n = 0;
  while (n < length && n < SEARCH_DEVICE_TEXT_SIZE - 1 && text[n] != '\0') ++n;
  std::memcpy(field, text, n);
}

void SetDeviceText(char (&field)[SEARCH_DEVICE_TEXT_SIZE], const std::string& text) {
  SetDeviceText(field, text.data(), text.size());
}

std::string DeviceText(const char (&field)[SEARCH_DEVICE_TEXT_SIZE]) {
  return std::string(field, strnlen(field, SEARCH_DEVICE_TEXT_SIZE));
}

bool SameDeviceTexts(const SearchDeviceInfo& a, const SearchDeviceInfo& b) {
  return std::strncmp(a.szID, b.szID, SEARCH_DEVICE_TEXT_SIZE) == 0 &&
         std::strncmp(a.szIP, b.szIP, SEARCH_DEVICE_TEXT_SIZE) == 0 &&
         std::strncmp(a.szHostName, b.szHostName, SEARCH_DEVICE_TEXT_SIZE) == 0 &&
         std::strncmp(a.szProduct, b.szProduct, SEARCH_DEVICE_TEXT_SIZE) == 0 &&
         std::strncmp(a.szExtra, b.szExtra, SEARCH_DEVICE_TEXT_SIZE) == 0 &&
         std::strncmp(a.szFirmware, b.szFirmware, SEARCH_DEVICE_TEXT_SIZE) == 0 &&
         std::strncmp(a.szVendor, b.szVendor, SEARCH_DEVICE_TEXT_SIZE) == 0;
}
