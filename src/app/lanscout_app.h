// The application object: single instance, working folder, discovery, the
// main window, and the shutdown of discovery when the window has closed.
#pragma once

#include "platform/app.h"

#define LANSCOUT_INSTANCE_NAME L"Voyalink"
#define WM_BRING_TO_FRONT (0x0400 + 100)  // WM_USER + 100

class CLanscoutApp : public CWinApp {
 public:
  CLanscoutApp();

  // Runs the whole program and returns FALSE, so that ExitInstance follows.
  BOOL InitInstance() override;
  int ExitInstance() override;

  HANDLE m_hMutex = nullptr;
};

extern CLanscoutApp theApp;
