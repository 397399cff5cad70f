// Message boxes with an OK button.
#pragma once

#include "platform/types.h"

#define MB_OK 0x00000000L
#define MB_ICONERROR 0x00000010L
#define IDOK 1

// Shows `text` with `caption` and waits until the user closes it. The text
// always goes to stderr as well, so that it is seen where no display is;
// once a window backend has installed itself (SetMessageBoxBackend) it also
// shows a real window. Returns IDOK.
int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type);

// MessageBoxW with the application's name as caption and no owner.
int AfxMessageBox(LPCWSTR text, UINT type = MB_OK, UINT helpId = 0);

namespace platform {
// A backend that shows a message box window; returns false when it could not
// (no display), in which case the stderr line is all the user gets.
typedef bool (*MessageBoxBackend)(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type);
void SetMessageBoxBackend(MessageBoxBackend backend);
}  // namespace platform
