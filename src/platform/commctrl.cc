#include "platform/commctrl.h"

namespace {
DWORD g_requested = 0;
}

BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* init) {
  if (!init || init->dwSize != sizeof(INITCOMMONCONTROLSEX)) return FALSE;
  g_requested |= init->dwICC;
  return TRUE;
}

DWORD platform::CommonControlClassesRequested() { return g_requested; }
