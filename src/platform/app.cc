#include "platform/app.h"

#include <unistd.h>

#include <climits>
#include <clocale>
#include <string>

#include "platform/textconv.h"

namespace {
CWinApp* g_app = nullptr;
platform::MessageLoopHook g_loop = nullptr;
platform::QuitHook g_quit = nullptr;

std::string ExecutableBaseName(const char* argv0) {
  std::string path;
  char buf[PATH_MAX];
  ssize_t n = readlink("/proc/self/exe", buf, sizeof(buf) - 1);
  if (n > 0) path.assign(buf, static_cast<size_t>(n));
  else if (argv0) path = argv0;
  size_t slash = path.rfind('/');
  std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
  size_t dot = base.rfind('.');
  if (dot != std::string::npos && dot > 0) base.resize(dot);
  return base;
}
}  // namespace

CWinApp::CWinApp(LPCWSTR appName) {
  g_app = this;
  if (appName) {
    m_appName = appName;
    m_pszAppName = m_appName.c_str();
  }
}

CWinApp::~CWinApp() {
  if (g_app == this) g_app = nullptr;
}

BOOL CWinApp::InitInstance() { return TRUE; }

int CWinApp::ExitInstance() { return m_nExitCode; }

int CWinApp::Run() {
  if (g_loop) m_nExitCode = g_loop();
  return ExitInstance();
}

void platform::SetMessageLoopHook(MessageLoopHook hook) { g_loop = hook; }
void platform::SetQuitHook(QuitHook hook) { g_quit = hook; }

void CWinApp::SetRegistryKey(LPCWSTR key) {
  m_registryKey = key ? key : L"";
  m_pszRegistryKey = m_registryKey.c_str();
}

CWinApp* AfxGetApp() { return g_app; }

HINSTANCE AfxGetInstanceHandle() { return g_app ? g_app->m_hInstance : nullptr; }

void AfxPostQuitMessage(int exitCode) {
  if (g_app) g_app->m_nExitCode = exitCode;
  if (g_quit) g_quit(exitCode);
}

void AfxEnableControlContainer() {}

int AfxWinMain(int argc, char** argv) {
  std::setlocale(LC_ALL, "");
  CWinApp* app = g_app;
  if (!app) return 1;
  app->m_exeName = AnsiToWide(ExecutableBaseName(argc > 0 ? argv[0] : nullptr));
  app->m_pszExeName = app->m_exeName.c_str();
  if (app->m_appName.empty()) {
    app->m_appName = app->m_exeName;
    app->m_pszAppName = app->m_appName.c_str();
  }
  if (!app->InitInstance()) return app->ExitInstance();
  return app->Run();
}
