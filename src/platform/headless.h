// Driving the headless backend from tests: a virtual clock, input injected
// as the display would deliver it, the loop run step by step, and the
// pixels each top-level window shows.
//
// The headless backend is chosen with LANSCOUT_BACKEND=headless (Use()
// sets it) before the first window is created. Its clock starts at 0 and
// moves only by AdvanceClock, or, when a loop would wait with a timer
// pending, straight to that timer (so that a modal run with a countdown
// runs through without real waiting). A loop that would wait with nothing
// that can wake it runs the next step queued with OnIdle; with no step
// left it waits for other processes (the window registry) for at most
// LANSCOUT_HEADLESS_IDLE_LIMIT_MS (default 60000) and then ends the
// process with exit code 3, so a test that forgot a step fails instead of
// hanging.
//
// Input goes to the window under the given point, as real input would:
// coordinates are in the client area of the window named, which may be a
// child. Injected events are delivered at the loop's next turn (Pump or a
// running loop).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/winuser.h"

namespace platform {
namespace headless {

// Asks for the headless backend (sets LANSCOUT_BACKEND=headless) unless a
// backend runs already; true when the headless one runs or will.
bool Use();
bool Active();

DWORD Now();
void AdvanceClock(DWORD milliseconds);
// Whether a waiting loop jumps the clock to the next timer (default on).
void SetAutoAdvance(bool on);

void MouseMove(HWND hwnd, int x, int y);
void MouseDown(HWND hwnd, int x, int y, int button = 1);
void MouseUp(HWND hwnd, int x, int y, int button = 1);
void Click(HWND hwnd, int x, int y, int button = 1);
void DoubleClick(HWND hwnd, int x, int y, int button = 1);
// `delta` in WHEEL_DELTA units (120 a notch), positive away from the user.
void Wheel(HWND hwnd, int x, int y, int delta, bool horizontal = false);
// Keys go to the focused window of the active top-level window. The
// character (for WM_CHAR) defaults to the key's own for letters, digits,
// space, Enter, Escape, Tab and Backspace.
void KeyDown(UINT vk, wchar_t ch = 0);
void KeyUp(UINT vk);
void Key(UINT vk, wchar_t ch = 0);
// The pointer leaves the top-level window.
void MouseLeave(HWND top);
// The window manager's close button.
void CloseRequest(HWND top);
// The window manager minimises or restores it.
void SetIconic(HWND top, bool iconic);

// Runs the loop until nothing is left to do now: posted messages, input,
// repaints and timers due at the current clock. Returns the number of
// messages dispatched.
int Pump();
// A step run when a loop would otherwise wait (modal runs in tests).
void OnIdle(std::function<void()> step);

// What the display shows of a window, in its client coordinates (for a
// child window, its part of its top-level window). CLR_INVALID outside the
// window or its top-level window's shape.
COLORREF ScreenPixel(HWND hwnd, int x, int y);
// The window's pixels as shown, as a PNG; points outside the top-level
// window's shape are transparent.
bool SavePng(HWND hwnd, const std::string& path);

// What the display knows of a top-level window.
struct NativeState {
  bool exists = false;
  bool visible = false;
  bool topmost = false;
  bool shaped = false;
  int raises = 0;
  int activations = 0;
  int presents = 0;
  long long presentedPixels = 0;
  RECT lastPresented{};
  std::wstring title;
  RECT rect{};
  int cursor = 0;  // 0 arrow, 1 hand, other shapes above
  bool hasIcon = false;
};
NativeState StateOf(HWND top);
void ResetPresentCounts(HWND top);

// Stacking order of this process's top-level windows, from the top.
std::vector<HWND> StackingOrder();

// The loop's waits and wake-ups so far, and the time to the next timer
// (-1: none), for idle checks.
struct LoopStats {
  uint64_t waits = 0;
  uint64_t wakeups = 0;
};
LoopStats Stats();
int64_t NextTimeout();

}  // namespace headless
}  // namespace platform
