// Kernel services: last-error value, named mutexes, handles, sleeping.
#pragma once

#include "platform/types.h"

// Creates or opens the named mutex of this user's session. The first creator
// owns it for as long as its handle is open; a later creator gets a handle
// that owns nothing and GetLastError() == ERROR_ALREADY_EXISTS. On Linux the
// mutex is an exclusive flock() on a lock file in $XDG_RUNTIME_DIR (else the
// temp folder), so it is released by the system when the owner exits, also
// when it crashes. `initialOwner` must be TRUE: the program only uses the
// mutex as a single-instance marker. Returns nullptr when the lock file can
// not be opened.
HANDLE CreateMutexW(void* securityAttributes, BOOL initialOwner, LPCWSTR name);

// Closes a handle returned by CreateMutexW; an owned mutex becomes free.
BOOL CloseHandle(HANDLE handle);

void Sleep(DWORD milliseconds);

// Sets the last error from a C library errno value.
void SetLastErrorFromErrno(int err);
