// The display backends under the window layer: one NativeWindow per
// top-level window, events from the display turned into NativeEvents, the
// clock and the wait of the loop. Two siblings implement it: x11 and
// headless (an in-memory display with a virtual clock for tests).
#pragma once

#include <cairo.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/ui_internal.h"

namespace platform {

struct NativeWindowParams {
  std::wstring title;
  RECT rect{};             // screen
  bool decorated = false;  // WS_CAPTION: the window manager draws a frame
  bool resizable = false;  // WS_THICKFRAME
  bool taskbar = true;     // not a tool window
  bool topmost = false;
  bool dialog = false;     // an owned window (message box)
  NativeWindow* owner = nullptr;
};

class NativeWindow {
 public:
  virtual ~NativeWindow() = default;
  virtual void SetTitle(const std::wstring& title) = 0;
  virtual void SetGeometry(const RECT& screen) = 0;
  virtual void SetVisible(bool visible) = 0;
  // Window coordinates; null removes the shape.
  virtual void SetShape(const Region* shape) = 0;
  virtual void SetIcons(HICON big, HICON small) = 0;
  virtual void SetTopmost(bool topmost) = 0;
  virtual void Raise() = 0;
  virtual void Activate() = 0;
  virtual void Minimize() = 0;
  virtual void Restore() = 0;
  // Shows the dirty part of the back buffer (window coordinates).
  virtual void Present(cairo_surface_t* back, const Region& dirty) = 0;
  // Starts a move by the window manager with the left button held at
  // `screen`; false when the window layer must move the window itself.
  virtual bool BeginMove(POINT screen) = 0;
  virtual void SetCursor(PointerShape shape) = 0;
  // The display window's id (x11), 0 elsewhere.
  virtual unsigned long NativeId() const { return 0; }
};

// What the display reports about a top-level window.
struct NativeEvent {
  enum Kind {
    kMotion,
    kButtonDown,
    kButtonUp,
    kWheel,
    kKeyDown,
    kKeyUp,
    kLeave,
    kFocusIn,
    kFocusOut,
    kCloseRequest,
    kConfigure,  // rect: the new screen rectangle
    kExpose,     // rect: window coordinates to present again
    kIconic,
    kRestored,
  } kind;
  POINT pt{};      // window coordinates
  POINT screen{};  // screen coordinates
  int button = 0;  // 1 left, 2 middle, 3 right
  int wheel = 0;   // WHEEL_DELTA units, positive away from the user
  bool horizontal = false;
  UINT vk = 0;
  wchar_t ch = 0;
  UINT mods = 0;  // MK_SHIFT, MK_CONTROL and the buttons held before the event
  bool alt = false;
  RECT rect{};
  int64_t time = -1;  // on the backend's clock; -1: when it is handled
};

// Delivered by the backends, on the UI thread.
void HandleNativeEvent(HWND top, const NativeEvent& event);

// A window of another program on the display.
struct ForeignInfo {
  unsigned long id = 0;
  std::wstring className;
  std::wstring title;
};

class Backend {
 public:
  virtual ~Backend() = default;
  virtual const char* Name() const = 0;
  virtual bool IsHeadless() const = 0;
  virtual std::unique_ptr<NativeWindow> CreateNativeWindow(HWND hwnd, const NativeWindowParams& params) = 0;
  // The descriptor to wait on for display events, or -1.
  virtual int EventFd() = 0;
  // Sends what is buffered to the display.
  virtual void Flush() {}
  // Events already read from the display but not yet handled (the wait on
  // the descriptor would not see them).
  virtual bool Pending() { return false; }
  // Handles the events that have arrived, without waiting, until one of
  // them has posted a message (so that input is turned into messages one
  // event at a time, as the program takes them).
  virtual void DispatchEvents() = 0;
  virtual uint64_t NowMs() = 0;
  // Called when the loop has nothing to do; `timeoutMs` is the time to the
  // next timer (-1: none). True when the backend made progress itself
  // (headless: a test step ran, or the virtual clock moved to the next
  // timer), so that the loop does not block.
  virtual bool Idle(int64_t timeoutMs) { return false; }
  virtual SIZE ScreenSize() = 0;
  // Windows of other programs (x11), in stacking order from the top.
  virtual void EnumForeign(std::vector<ForeignInfo>& out) {}
  virtual void ForeignChildren(unsigned long id, std::vector<ForeignInfo>& out) {}
  virtual bool ForeignInfoOf(unsigned long id, ForeignInfo& out) { return false; }
  virtual bool CloseForeign(unsigned long id) { return false; }
  // The top-level window of this process behind a display window id.
  virtual bool IsOwnNativeId(unsigned long id) { return false; }
};

// The backend once started, else null.
Backend* CurrentBackend();
// Starts the backend the environment asks for; on failure writes the one
// line that says why and ends the process with exit code 1.
Backend* RequireBackend();
// Starts it if that is possible, else null (for the message box).
Backend* TryBackend();

std::unique_ptr<Backend> CreateHeadlessBackend();
// Null with `error` set when the display cannot be opened.
std::unique_ptr<Backend> CreateX11Backend(std::string* error);

// The class name that a program's WM_CLASS reports: "CabinetWClass" for the
// file managers, else the WM_CLASS class as it is.
std::wstring ForeignClassName(const std::string& instance, const std::string& cls);

}  // namespace platform
