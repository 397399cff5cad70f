// The application object, in the manner of the class library's CWinApp: one
// process-wide object whose InitInstance runs the program.
#pragma once

#include <string>

#include "platform/types.h"

class CWnd;

class CWinApp {
 public:
  // Registers this object as the application. Without a name the
  // executable's file name without extension becomes the name.
  explicit CWinApp(LPCWSTR appName = nullptr);
  virtual ~CWinApp();
  CWinApp(const CWinApp&) = delete;
  CWinApp& operator=(const CWinApp&) = delete;

  // Start-up. Returning FALSE ends the program: ExitInstance runs and its
  // result is the exit code. TRUE goes on to Run.
  virtual BOOL InitInstance();
  // Shutdown; the result is the process's exit code.
  virtual int ExitInstance();
  // The message loop (when the window layer is linked in) until WM_QUIT,
  // whose code becomes m_nExitCode; ends with ExitInstance's result.
  virtual int Run();

  // The name of the registry key the settings would live under. Nothing is
  // stored: the program keeps no settings.
  void SetRegistryKey(LPCWSTR key);

  LPCWSTR m_pszAppName = L"";
  LPCWSTR m_pszRegistryKey = nullptr;
  LPCWSTR m_pszExeName = L"";
  HINSTANCE m_hInstance = nullptr;
  CWnd* m_pMainWnd = nullptr;

  // The exit code ExitInstance returns by default (the quit code).
  int m_nExitCode = 0;

 private:
  friend int AfxWinMain(int argc, char** argv);
  std::wstring m_appName;
  std::wstring m_exeName;
  std::wstring m_registryKey;
};

CWinApp* AfxGetApp();
HINSTANCE AfxGetInstanceHandle();

// Sets the code the program ends with and, with the window layer, posts
// WM_QUIT.
void AfxPostQuitMessage(int exitCode);

// Hosting of embedded controls; there are none on this platform, so this
// only exists for the start-up sequence that calls it.
void AfxEnableControlContainer();

// Process entry: sets the locale from the environment, names the
// application, runs InitInstance and then Run or ExitInstance.
int AfxWinMain(int argc, char** argv);

namespace platform {
// Installed by the window layer, which the kernel library does not link.
typedef int (*MessageLoopHook)();  // runs the loop, returns the WM_QUIT code
typedef void (*QuitHook)(int exitCode);
void SetMessageLoopHook(MessageLoopHook hook);
void SetQuitHook(QuitHook hook);
}  // namespace platform
