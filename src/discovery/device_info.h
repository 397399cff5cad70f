// The device record that every search worker fills and the device store
// keeps: a plain value of fixed-width texts, copied by value everywhere.
#pragma once

#include <cstddef>
#include <string>

// Report type codes carried in SearchDeviceInfo::nType.
enum {
  SEARCH_TYPE_NONE = 0,      // changes nothing
  SEARCH_TYPE_RESPONSE = 1,  // answer to a search: add or update
  SEARCH_TYPE_ALIVE = 2,     // alive announcement: add or update
  SEARCH_TYPE_BYEBYE = 4,    // farewell: remove by szID
};

#define SEARCH_DEVICE_TEXT_SIZE 32

// Texts are bytes as received (the system's ANSI code page), at most 31 of
// them, zero-filled to the end of the field.
struct SearchDeviceInfo {
  char szID[SEARCH_DEVICE_TEXT_SIZE];        // "id=" value or USN uuid; key for removal
  char szIP[SEARCH_DEVICE_TEXT_SIZE];        // dotted IPv4 address; key for replacement
  char szHostName[SEARCH_DEVICE_TEXT_SIZE];  // host name (list column)
  char szProduct[SEARCH_DEVICE_TEXT_SIZE];   // product designation (list column)
  char szExtra[SEARCH_DEVICE_TEXT_SIZE];     // fourth SERVER descriptor token
  char szFirmware[SEARCH_DEVICE_TEXT_SIZE];  // firmware version from SERVER
  char szVendor[SEARCH_DEVICE_TEXT_SIZE];    // vendor designation
  unsigned char bReserved;                   // always 0
  int nType;                                 // SEARCH_TYPE_*
  int nReserved1;                            // 60 in a new record; carried, not interpreted
  int nReserved2;                            // 0 in a new record; carried, not interpreted
};

// A newly made record: all zero except nReserved1 = 60.
SearchDeviceInfo MakeSearchDeviceInfo();

// Sets a text field from `length` bytes of `text` (up to its first zero
// byte), cut to 31 bytes; the rest of the field is zero-filled.
void SetDeviceText(char (&field)[SEARCH_DEVICE_TEXT_SIZE], const char* text, size_t length);
void SetDeviceText(char (&field)[SEARCH_DEVICE_TEXT_SIZE], const std::string& text);

// The field as text (never reads past the field).
std::string DeviceText(const char (&field)[SEARCH_DEVICE_TEXT_SIZE]);

// True when the seven text fields are equal, each compared as text over at
// most 32 bytes.
bool SameDeviceTexts(const SearchDeviceInfo& a, const SearchDeviceInfo& b);
