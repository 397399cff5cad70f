// Test helper: takes the named mutex in a process of its own.
//   mutex_probe check NAME          prints "owned" or "exists"
//   mutex_probe hold NAME MARKER S  takes it, writes MARKER, holds it S seconds
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/kernel.h"
#include "platform/textconv.h"

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  std::wstring name = AnsiToWide(argv[2]);
  HANDLE h = CreateMutexW(nullptr, TRUE, name.c_str());
  if (!h) {
    std::puts("error");
    return 1;
  }
  bool exists = GetLastError() == ERROR_ALREADY_EXISTS;
  std::puts(exists ? "exists" : "owned");
  std::fflush(stdout);
  if (std::strcmp(argv[1], "hold") == 0 && argc >= 5) {
    if (FILE* f = std::fopen(argv[3], "w")) {
      std::fputs(exists ? "exists" : "owned", f);
      std::fclose(f);
    }
    Sleep(static_cast<DWORD>(std::atoi(argv[4])) * 1000);
  }
  CloseHandle(h);
  return 0;
}
