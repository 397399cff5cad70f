// A file opened for writing, in the manner of the class library's CFile.
#pragma once

#include "platform/types.h"

class CFile {
 public:
  enum OpenFlags : UINT {
    modeRead = 0x0000,
    modeWrite = 0x0001,
    modeCreate = 0x1000,
  };

  CFile() = default;
  ~CFile();
  CFile(const CFile&) = delete;
  CFile& operator=(const CFile&) = delete;

  // Opens `path` for writing: modeCreate | modeWrite creates the file or
  // empties it. A file whose permission bits allow no one to write is
  // read-only and is refused, also for root, as a read-only file is refused
  // to every user on Windows. FALSE on failure, with GetLastError set.
  BOOL Open(LPCWSTR path, UINT flags);

  // Writes all `count` bytes. FALSE when they could not all be written
  // (disk full, I/O error); the class library throws there instead.
  BOOL Write(const void* data, UINT count);

  // Closes the file; FALSE when the close reports a failed write.
  BOOL Close();

  bool IsOpen() const { return m_fd >= 0; }

 private:
  int m_fd = -1;
};
