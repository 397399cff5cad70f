#include "app/lanscout_app.h"

#include "app/language.h"
#include "app/workfolder.h"
#include "discovery/device_store.h"
#include "discovery/search_control.h"
#include "platform/commctrl.h"
#include "platform/gdiplus.h"
#include "platform/kernel.h"
#include "platform/msgbox.h"
#include "platform/winuser.h"

CLanscoutApp theApp;

// The drawing library's start-up token; it is never shut down.
ULONG_PTR g_gdiplusToken = 0;

CLanscoutApp::CLanscoutApp() : CWinApp(nullptr) {}

BOOL CLanscoutApp::InitInstance() {
  INITCOMMONCONTROLSEX controls = {sizeof(INITCOMMONCONTROLSEX), ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);

  CWinApp::InitInstance();
  AfxEnableControlContainer();
  SetRegistryKey(L"应用程序向导生成的本地应用程序");

  m_hMutex = CreateMutexW(nullptr, TRUE, LANSCOUT_INSTANCE_NAME);
  if (!m_hMutex) {
    AfxPostQuitMessage(1);
    return FALSE;
  }
  if (GetLastError() == ERROR_ALREADY_EXISTS) {
    // Another instance runs: its window comes to the front (if it has one
    // yet), and this one ends without a trace.
    if (HWND running = FindWindowW(nullptr, LANSCOUT_INSTANCE_NAME))
      SendMessageW(running, WM_BRING_TO_FRONT, 0, 0);
    return FALSE;
  }

  Gdiplus::GdiplusStartupInput gdiplusInput;
  Gdiplus::GdiplusStartup(&g_gdiplusToken, &gdiplusInput, nullptr);

  if (!PrepareWorkFolder()) {
    AfxMessageBox(GetStartupFailureMessage(GetLanguageIndex()), MB_OK, 0);
    AfxPostQuitMessage(1);
    return FALSE;
  }

  // From here on the search workers receive on their own threads.
  InitDeviceStore(GetDeviceStore());

  return FALSE;
}

int CLanscoutApp::ExitInstance() {
  GetDeviceStore();
  ShutdownSearch();
  if (m_hMutex) {
    CloseHandle(m_hMutex);
    m_hMutex = nullptr;
  }
  return CWinApp::ExitInstance();
}
