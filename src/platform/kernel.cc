#include "platform/kernel.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "platform/textconv.h"

namespace {
thread_local DWORD t_lastError = ERROR_SUCCESS;

// Where lock files live: the per-user runtime folder, else the temp folder
// with the user id in the name so that users do not block each other.
std::string LockFilePath(const std::string& name) {
  std::string safe;
  for (unsigned char c : name) safe += (c == '/' || c < 0x20) ? '_' : static_cast<char>(c);
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  struct stat st;
  if (runtime && runtime[0] == '/' && stat(runtime, &st) == 0 && S_ISDIR(st.st_mode))
    return std::string(runtime) + "/lanscout-" + safe + ".lock";
  const char* tmp = std::getenv("TMPDIR");
  std::string dir = (tmp && tmp[0] == '/') ? tmp : "/tmp";
  return dir + "/lanscout-" + std::to_string(getuid()) + "-" + safe + ".lock";
}
}  // namespace

struct KernelObject {
  int fd;
};

DWORD GetLastError() { return t_lastError; }
void SetLastError(DWORD error) { t_lastError = error; }

void SetLastErrorFromErrno(int err) {
  switch (err) {
    case 0: SetLastError(ERROR_SUCCESS); break;
    case EEXIST: SetLastError(ERROR_ALREADY_EXISTS); break;
    case ENOENT:
    case ENOTDIR: SetLastError(ERROR_PATH_NOT_FOUND); break;
    case EACCES:
    case EPERM:
    case EROFS: SetLastError(ERROR_ACCESS_DENIED); break;
    case ENOMEM: SetLastError(ERROR_NOT_ENOUGH_MEMORY); break;
    case ENOSPC:
    case EIO: SetLastError(ERROR_WRITE_FAULT); break;
    default: SetLastError(ERROR_INVALID_PARAMETER); break;
  }
}

HANDLE CreateMutexW(void*, BOOL, LPCWSTR name) {
  std::string path = LockFilePath(name ? WideToAnsi(name) : std::string("anonymous"));
  int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) {
    SetLastErrorFromErrno(errno);
    return nullptr;
  }
  int rc;
  do {
    rc = flock(fd, LOCK_EX | LOCK_NB);
  } while (rc != 0 && errno == EINTR);
  if (rc != 0) {
    if (errno != EWOULDBLOCK) {
      SetLastErrorFromErrno(errno);
      close(fd);
      return nullptr;
    }
    // Someone holds it: hand out a handle that owns nothing.
    close(fd);
    SetLastError(ERROR_ALREADY_EXISTS);
    return new KernelObject{-1};
  }
  SetLastError(ERROR_SUCCESS);
  return new KernelObject{fd};
}

BOOL CloseHandle(HANDLE handle) {
  if (!handle) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (handle->fd >= 0) close(handle->fd);  // closing drops the flock
  delete handle;
  return TRUE;
}

void Sleep(DWORD milliseconds) {
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}
