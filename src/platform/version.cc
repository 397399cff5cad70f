#include "platform/version.h"

#include <cstring>

BOOL GetVersionExW(LPOSVERSIONINFOW info) {
  if (!info) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  DWORD size = info->dwOSVersionInfoSize;
  if (size != sizeof(OSVERSIONINFOW) && size != sizeof(OSVERSIONINFOEXW)) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  std::memset(reinterpret_cast<char*>(info) + sizeof(DWORD), 0, size - sizeof(DWORD));
  info->dwMajorVersion = 10;
  info->dwMinorVersion = 0;
  info->dwBuildNumber = 19045;
  info->dwPlatformId = VER_PLATFORM_WIN32_NT;
  if (size == sizeof(OSVERSIONINFOEXW)) reinterpret_cast<OSVERSIONINFOEXW*>(info)->wProductType = VER_NT_WORKSTATION;
  return TRUE;
}
