#include "platform/file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/kernel.h"
#include "platform/shell.h"

CFile::~CFile() {
  if (m_fd >= 0) close(m_fd);
}

BOOL CFile::Open(LPCWSTR path, UINT flags) {
  if (m_fd >= 0) Close();
  if (!path || !*path) {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return FALSE;
  }
  std::string native = NativePath(path);
  if (!(flags & modeWrite)) {
    m_fd = open(native.c_str(), O_RDONLY | O_CLOEXEC);
  } else {
    struct stat st;
    if (stat(native.c_str(), &st) == 0) {
      if (S_ISDIR(st.st_mode)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
      }
      if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
      }
    }
    int oflags = O_WRONLY | O_CLOEXEC;
    if (flags & modeCreate) oflags |= O_CREAT | O_TRUNC;
    m_fd = open(native.c_str(), oflags, 0644);
  }
  if (m_fd < 0) {
    SetLastErrorFromErrno(errno);
    return FALSE;
  }
  return TRUE;
}

BOOL CFile::Write(const void* data, UINT count) {
  if (m_fd < 0) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  const char* p = static_cast<const char*>(data);
  size_t left = count;
  while (left > 0) {
    ssize_t n = write(m_fd, p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      SetLastErrorFromErrno(errno);
      return FALSE;
    }
    p += n;
    left -= static_cast<size_t>(n);
  }
  return TRUE;
}

BOOL CFile::Close() {
  if (m_fd < 0) return TRUE;
  int rc = close(m_fd);
  m_fd = -1;
  if (rc != 0 && errno != EINTR) {
    SetLastErrorFromErrno(errno);
    return FALSE;
  }
  return TRUE;
}
