#include "platform/msgbox.h"

#include <cstdio>
#include <string>

#include "platform/app.h"
#include "platform/textconv.h"

namespace {
platform::MessageBoxBackend g_backend = nullptr;
}

void platform::SetMessageBoxBackend(MessageBoxBackend backend) { g_backend = backend; }

int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) {
  std::string line = WideToAnsi(caption ? caption : L"") + ": " + WideToAnsi(text ? text : L"") + "\n";
  std::fputs(line.c_str(), stderr);
  std::fflush(stderr);
  if (g_backend) g_backend(owner, text ? text : L"", caption ? caption : L"", type);
  return IDOK;
}

int AfxMessageBox(LPCWSTR text, UINT type, UINT) {
  CWinApp* app = AfxGetApp();
  return MessageBoxW(nullptr, text, app ? app->m_pszAppName : L"", type);
}
