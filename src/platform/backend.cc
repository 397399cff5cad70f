// Picks the display backend when the first window needs one.
#include "platform/backend.h"

#include <errno.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/app.h"
#include "platform/textconv.h"

namespace platform {

namespace {

std::unique_ptr<Backend>& Current() {
  static auto* b = new std::unique_ptr<Backend>();
  return *b;
}

enum class Choice { kNone, kHeadless, kX11, kUnknown };

Choice FromEnvironment(std::string* value) {
  const char* requested = std::getenv("LANSCOUT_BACKEND");
  if (requested && requested[0]) {
    *value = requested;
    if (std::strcmp(requested, "headless") == 0) return Choice::kHeadless;
    if (std::strcmp(requested, "x11") == 0) return Choice::kX11;
    return Choice::kUnknown;
  }
  const char* display = std::getenv("DISPLAY");
  return display && display[0] ? Choice::kX11 : Choice::kNone;
}

// Starts the backend; on failure `error` says why.
Backend* Start(std::string* error) {
  if (Current()) return Current().get();
  std::string value;
  switch (FromEnvironment(&value)) {
    case Choice::kHeadless:
      Current() = CreateHeadlessBackend();
      break;
    case Choice::kX11:
      Current() = CreateX11Backend(error);
      break;
    case Choice::kUnknown:
      *error = "LANSCOUT_BACKEND=" + value + " names no backend (use x11 or headless)";
      break;
    case Choice::kNone:
      *error = "cannot show a window: no display (DISPLAY is not set); set LANSCOUT_BACKEND=headless to run "
               "without one";
      break;
  }
  return Current().get();
}

std::string ProgramName() {
  if (CWinApp* app = AfxGetApp())
    if (app->m_pszExeName && app->m_pszExeName[0]) return WideToAnsi(app->m_pszExeName);
  return program_invocation_short_name ? program_invocation_short_name : "lanscout";
}

}  // namespace

Backend* CurrentBackend() { return Current().get(); }

Backend* TryBackend() {
  std::string error;
  return Start(&error);
}

Backend* RequireBackend() {
  std::string error;
  if (Backend* b = Start(&error)) return b;
  std::fprintf(stderr, "%s: %s\n", ProgramName().c_str(), error.c_str());
  std::fflush(stderr);
  std::exit(1);
}

}  // namespace platform
