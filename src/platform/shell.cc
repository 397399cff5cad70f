#include "platform/shell.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cwchar>

#include "platform/kernel.h"
#include "platform/textconv.h"

std::string NativePath(const std::wstring& path) {
  std::wstring p = path;
  for (wchar_t& c : p)
    if (c == L'\\') c = L'/';
  return WideToAnsi(p);
}

namespace {

std::string DataHome() {
  const char* xdg = std::getenv("XDG_DATA_HOME");
  if (xdg && xdg[0] == '/') return xdg;
  const char* home = std::getenv("HOME");
  std::string h = (home && home[0] == '/') ? home : "";
  if (h.empty()) {
    if (const passwd* pw = getpwuid(getuid()))
      if (pw->pw_dir && pw->pw_dir[0] == '/') h = pw->pw_dir;
  }
  if (h.empty()) return std::string();
  return h + "/.local/share";
}

// mkdir -p; existing directories are fine.
void MakeDirs(const std::string& path) {
  for (size_t pos = 1; pos <= path.size(); ++pos) {
    if (pos == path.size() || path[pos] == '/') {
      std::string part = path.substr(0, pos);
      mkdir(part.c_str(), 0755);
    }
  }
}

}  // namespace

BOOL SHGetSpecialFolderPathW(HWND, LPWSTR path, int csidl, BOOL) {
  if (!path) return FALSE;
  path[0] = L'\0';
  if (csidl != CSIDL_COMMON_TEMPLATES) return FALSE;
  std::string base = DataHome();
  if (base.empty()) return FALSE;
  std::string folder = base + "/lanscout";
  std::wstring wide = AnsiToWide(folder);
  if (wide.size() >= MAX_PATH) return FALSE;
  MakeDirs(folder);
  std::wcscpy(path, wide.c_str());
  return TRUE;
}

BOOL PathIsDirectoryW(LPCWSTR path) {
  if (!path || !*path) return FALSE;
  struct stat st;
  return stat(NativePath(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode) ? TRUE : FALSE;
}

BOOL CreateDirectoryW(LPCWSTR path, void*) {
  if (!path || !*path) {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return FALSE;
  }
  if (mkdir(NativePath(path).c_str(), 0755) != 0) {
    SetLastErrorFromErrno(errno);
    return FALSE;
  }
  return TRUE;
}
