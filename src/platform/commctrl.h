// Common controls initialisation.
#pragma once

#include "platform/types.h"

struct INITCOMMONCONTROLSEX {
  DWORD dwSize;
  DWORD dwICC;
};

#define ICC_WIN95_CLASSES 0x000000FF

// Makes the common control classes named by dwICC available. FALSE when
// dwSize is not the structure's size (8).
BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* init);

namespace platform {
// The class sets requested so far (an OR of the dwICC values).
DWORD CommonControlClassesRequested();
}
