// Input: the display's events turned into messages for the window under the
// mouse (or the capture) and the focused window; hover and leave tracking,
// double clicks, capture, focus, key state and the move by the caption.
#include <algorithm>
#include <cstdlib>

#include "platform/backend.h"
#include "platform/ui_internal.h"

namespace platform {

namespace {

// The deepest enabled, visible window at `inTop` (top-level window
// coordinates) below `w`, asked with WM_NCHITTEST; null where every window
// there answers HTTRANSPARENT.
WindowImpl* HitTest(WindowImpl* w, POINT inTop, POINT screen, int* hit) {
  HWND self = w->handle;
  POINT co = ClientOriginInTop(w);
  RECT c{co.x, co.y, co.x + w->ClientWidth(), co.y + w->ClientHeight()};
  if (PtInRect(&c, inTop)) {
    std::vector<HWND> kids;
    for (WindowImpl* k : w->children) kids.push_back(k->handle);
    for (HWND kh : kids) {
      WindowImpl* k = W(kh);
      if (!k || !k->Visible() || !k->Enabled()) continue;
      POINT o = WindowOriginInTop(k);
      RECT r{o.x, o.y, o.x + k->Width(), o.y + k->Height()};
      if (!PtInRect(&r, inTop)) continue;
      if (k->shape && !k->shape->Contains(inTop.x - o.x, inTop.y - o.y)) continue;
      if (WindowImpl* t = HitTest(k, inTop, screen, hit)) return t;
    }
  }
  if (!W(self)) return nullptr;
  LRESULT ht = CallProc(w, WM_NCHITTEST, 0, MAKELPARAM(screen.x, screen.y));
  if (!W(self) || ht == HTTRANSPARENT) return nullptr;
  *hit = static_cast<int>(ht);
  return w;
}

UINT KeyFlags() {
  UiState& ui = Ui();
  UINT f = 0;
  if (ui.keyDown[VK_LBUTTON]) f |= MK_LBUTTON;
  if (ui.keyDown[VK_RBUTTON]) f |= MK_RBUTTON;
  if (ui.keyDown[VK_MBUTTON]) f |= MK_MBUTTON;
  if (ui.keyDown[VK_SHIFT]) f |= MK_SHIFT;
  if (ui.keyDown[VK_CONTROL]) f |= MK_CONTROL;
  return f;
}

POINT ClientPointOf(WindowImpl* w, POINT screen) {
  POINT p = screen;
  ScreenToClient(w->handle, &p);
  return p;
}

bool InTree(WindowImpl* root, HWND hwnd) {
  for (WindowImpl* w = W(hwnd); w; w = w->parent)
    if (w == root) return true;
  return false;
}

// The window under the mouse changed: a tracked window hears that the mouse
// has left it.
void SetUnder(WindowImpl* under, int hit) {
  UiState& ui = Ui();
  HWND h = under ? under->handle : nullptr;
  bool client = hit == HTCLIENT;
  MouseTrack& t = ui.track;
  if (t.hwnd && (t.flags & TME_LEAVE)) {
    if (t.hwnd != h || !client) {
      HWND left = t.hwnd;
      t = MouseTrack{};
      if (W(left)) PostImpl(left, WM_MOUSELEAVE, 0, 0);
    }
  } else if (t.hwnd && t.hwnd != h) {
    t = MouseTrack{};
  }
  ui.under = h;
  ui.underHit = hit;
}

void MouseEvent(WindowImpl* top, const NativeEvent& ev) {
  UiState& ui = Ui();
  ui.cursor = ev.screen;
  ui.keyDown[VK_SHIFT] = (ev.mods & MK_SHIFT) != 0;
  ui.keyDown[VK_CONTROL] = (ev.mods & MK_CONTROL) != 0;
  ui.keyDown[VK_LBUTTON] = (ev.mods & MK_LBUTTON) != 0;
  ui.keyDown[VK_MBUTTON] = (ev.mods & MK_MBUTTON) != 0;
  ui.keyDown[VK_RBUTTON] = (ev.mods & MK_RBUTTON) != 0;
  int vkButton = ev.button == 1 ? VK_LBUTTON : ev.button == 2 ? VK_MBUTTON : ev.button == 3 ? VK_RBUTTON : 0;
  if (ev.kind == NativeEvent::kButtonDown && vkButton) ui.keyDown[vkButton] = true;
  if (ev.kind == NativeEvent::kButtonUp && vkButton) ui.keyDown[vkButton] = false;

  // A move by the caption that the window layer runs itself.
  if (ui.drag.hwnd) {
    WindowImpl* d = W(ui.drag.hwnd);
    if (d && ev.kind == NativeEvent::kMotion) {
      int dx = ev.screen.x - ui.drag.start.x, dy = ev.screen.y - ui.drag.start.y;
      SetWindowPosImpl(d, nullptr, ui.drag.startRect.left + dx, ui.drag.startRect.top + dy, 0, 0,
                       SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE, false);
    }
    if (!d || (ev.kind == NativeEvent::kButtonUp && ev.button == 1)) {
      ui.drag = MoveDrag{};
      if (d) CallProc(d, WM_EXITSIZEMOVE, 0, 0);
    }
    return;
  }

  WindowImpl* under = nullptr;
  int hit = HTNOWHERE;
  RECT area{0, 0, top->Width(), top->Height()};
  if (top->Enabled() && PtInRect(&area, ev.pt) && (!top->shape || top->shape->Contains(ev.pt.x, ev.pt.y)))
    under = HitTest(top, ev.pt, ev.screen, &hit);
  if (!W(top->handle)) return;
  SetUnder(under, hit);

  WindowImpl* target = under;
  int targetHit = hit;
  if (WindowImpl* c = W(ui.capture)) {
    target = c;
    targetHit = HTCLIENT;
  }
  if (!target) return;
  HWND th = target->handle;
  bool client = targetHit == HTCLIENT;
  UINT keys = KeyFlags();

  MouseTrack& t = ui.track;
  if (t.hwnd == th && (t.flags & TME_HOVER) && ev.kind == NativeEvent::kMotion) {
    if (std::abs(ev.screen.x - t.hoverPoint.x) > 2 || std::abs(ev.screen.y - t.hoverPoint.y) > 2) {
      t.hoverPoint = ev.screen;
      t.hoverDue = Now() + t.hoverTime;
    }
  }

  POINT cp = ClientPointOf(target, ev.screen);
  LPARAM clientPos = MAKELPARAM(cp.x, cp.y);
  LPARAM screenPos = MAKELPARAM(ev.screen.x, ev.screen.y);
  switch (ev.kind) {
    case NativeEvent::kMotion:
      if (!ui.capture) CallProc(target, WM_SETCURSOR, reinterpret_cast<WPARAM>(th), MAKELPARAM(targetHit, WM_MOUSEMOVE));
      if (!W(th)) return;
      if (client) {
        PostImpl(th, WM_MOUSEMOVE, keys, clientPos, true);
      } else {
        PostImpl(th, WM_NCMOUSEMOVE, targetHit, screenPos, true);
      }
      break;
    case NativeEvent::kButtonDown: {
      UINT down = ev.button == 1 ? WM_LBUTTONDOWN : ev.button == 2 ? WM_MBUTTONDOWN : WM_RBUTTONDOWN;
      if (ev.button < 1 || ev.button > 3) return;
      if (!ui.capture) CallProc(target, WM_SETCURSOR, reinterpret_cast<WPARAM>(th), MAKELPARAM(targetHit, down));
      if (!W(th)) return;
      if (ui.active != top->handle) Activate(top, false);
      if (!W(th)) return;
      uint64_t now = ev.time >= 0 ? static_cast<uint64_t>(ev.time) : Now();
      bool dbl = client && (target->cls->style & CS_DBLCLKS) && ui.lastClick.hwnd == th &&
                 ui.lastClick.message == down && now - ui.lastClick.time <= GetDoubleClickTime() &&
                 std::abs(ev.screen.x - ui.lastClick.pt.x) <= GetSystemMetrics(SM_CXDOUBLECLK) / 2 &&
                 std::abs(ev.screen.y - ui.lastClick.pt.y) <= GetSystemMetrics(SM_CYDOUBLECLK) / 2;
      if (dbl) {
        ui.lastClick.hwnd = nullptr;
      } else {
        ui.lastClick.hwnd = th;
        ui.lastClick.message = down;
        ui.lastClick.time = now;
        ui.lastClick.pt = ev.screen;
      }
      UINT msg = down + (dbl ? 2 : 0);
      if (client) {
        PostImpl(th, msg, keys, clientPos);
      } else {
        PostImpl(th, msg - WM_LBUTTONDOWN + WM_NCLBUTTONDOWN, targetHit, screenPos);
      }
      break;
    }
    case NativeEvent::kButtonUp: {
      if (ev.button < 1 || ev.button > 3) return;
      UINT up = ev.button == 1 ? WM_LBUTTONUP : ev.button == 2 ? WM_MBUTTONUP : WM_RBUTTONUP;
      if (client) {
        PostImpl(th, up, keys, clientPos);
      } else {
        PostImpl(th, up - WM_LBUTTONDOWN + WM_NCLBUTTONDOWN, targetHit, screenPos);
      }
      break;
    }
    case NativeEvent::kWheel:
      PostImpl(th, ev.horizontal ? WM_MOUSEHWHEEL : WM_MOUSEWHEEL,
               MAKEWPARAM(keys, static_cast<WORD>(static_cast<short>(ev.wheel))), screenPos);
      break;
    default:
      break;
  }
}

void KeyEvent(WindowImpl* top, const NativeEvent& ev) {
  UiState& ui = Ui();
  bool down = ev.kind == NativeEvent::kKeyDown;
  UINT vk = ev.vk & 0xFF;
  bool wasDown = ui.keyDown[vk];
  ui.keyDown[vk] = down;
  if (vk == VK_SHIFT || vk == VK_CONTROL || vk == VK_MENU) {
    // The modifier keys themselves.
  } else {
    ui.keyDown[VK_SHIFT] = (ev.mods & MK_SHIFT) != 0;
    ui.keyDown[VK_CONTROL] = (ev.mods & MK_CONTROL) != 0;
    ui.keyDown[VK_MENU] = ev.alt;
  }
  if (!top->Enabled()) return;
  HWND target = top->handle;
  if (ui.focus && InTree(top, ui.focus)) target = ui.focus;
  UINT msg = down ? (ev.alt ? WM_SYSKEYDOWN : WM_KEYDOWN) : (ev.alt ? WM_SYSKEYUP : WM_KEYUP);
  LPARAM lp = 1 | (wasDown ? (1 << 30) : 0) | (down ? 0 : (1u << 31)) | (ev.alt ? (1 << 29) : 0);
  if (down) {
    ui.lastKeyVk = vk;
    ui.lastKeyChar = ev.ch;
  }
  PostImpl(target, msg, vk, lp);
}

}  // namespace

void DropWindowInputState(WindowImpl* w) {
  UiState& ui = Ui();
  HWND h = w->handle;
  if (ui.capture == h) ui.capture = nullptr;
  if (ui.focus == h) ui.focus = nullptr;
  if (ui.under == h) ui.under = nullptr;
  if (ui.track.hwnd == h) ui.track = MouseTrack{};
  if (ui.drag.hwnd == h) ui.drag = MoveDrag{};
  if (ui.lastClick.hwnd == h) ui.lastClick.hwnd = nullptr;
  for (WindowImpl* t : ui.tops)
    if (t->top && t->top->lastFocus == h) t->top->lastFocus = nullptr;
}

bool StartMoveDrag(WindowImpl* top, POINT screen) {
  UiState& ui = Ui();
  if (!top->top) return false;
  if (ui.capture) ReleaseCapture();
  CallProc(top, WM_ENTERSIZEMOVE, 0, 0);
  if (top->destroyed) return false;
  if (top->top->native && top->top->native->BeginMove(screen)) {
    // The window manager moves it and keeps the button release.
    ui.keyDown[VK_LBUTTON] = false;
    CallProc(top, WM_EXITSIZEMOVE, 0, 0);
    return true;
  }
  ui.drag.hwnd = top->handle;
  ui.drag.start = ui.cursor;
  ui.drag.startRect = top->rect;
  return true;
}

uint64_t NextHoverDue() {
  const MouseTrack& t = Ui().track;
  return t.hwnd && (t.flags & TME_HOVER) ? t.hoverDue : UINT64_MAX;
}

void FireHover(uint64_t now) {
  UiState& ui = Ui();
  MouseTrack& t = ui.track;
  if (!t.hwnd || !(t.flags & TME_HOVER) || now < t.hoverDue) return;
  t.flags &= ~TME_HOVER;
  HWND h = t.hwnd;
  if (!t.flags) t = MouseTrack{};
  WindowImpl* w = W(h);
  if (!w) return;
  POINT p = ClientPointOf(w, ui.cursor);
  PostImpl(h, WM_MOUSEHOVER, KeyFlags(), MAKELPARAM(p.x, p.y));
}

void HandleNativeEvent(HWND hwnd, const NativeEvent& ev) {
  WindowImpl* top = W(hwnd);
  if (!top || !top->top) return;
  switch (ev.kind) {
    case NativeEvent::kMotion:
    case NativeEvent::kButtonDown:
    case NativeEvent::kButtonUp:
    case NativeEvent::kWheel:
      MouseEvent(top, ev);
      break;
    case NativeEvent::kLeave:
      if (!Ui().capture && !Ui().drag.hwnd) {
        WindowImpl* under = W(Ui().under);
        if (!under || TopOf(under) == top) SetUnder(nullptr, HTNOWHERE);
      }
      break;
    case NativeEvent::kKeyDown:
    case NativeEvent::kKeyUp:
      KeyEvent(top, ev);
      break;
    case NativeEvent::kFocusIn:
      Activate(top, true);
      break;
    case NativeEvent::kFocusOut:
      Deactivate(top);
      break;
    case NativeEvent::kCloseRequest:
      if (top->Enabled()) PostImpl(hwnd, WM_CLOSE, 0, 0);
      break;
    case NativeEvent::kConfigure:
      if (!EqualRect(&ev.rect, &top->rect))
        SetWindowPosImpl(top, nullptr, ev.rect.left, ev.rect.top, ev.rect.right - ev.rect.left,
                         ev.rect.bottom - ev.rect.top, SWP_NOZORDER | SWP_NOACTIVATE, true);
      break;
    case NativeEvent::kExpose:
      top->top->present.Union(ev.rect);
      break;
    case NativeEvent::kIconic:
      if (!top->iconic) {
        top->iconic = true;
        top->style |= WS_MINIMIZE;
        CallProc(top, WM_SIZE, SIZE_MINIMIZED, 0);
      }
      break;
    case NativeEvent::kRestored:
      if (top->iconic) {
        top->iconic = false;
        top->style &= ~WS_MINIMIZE;
        CallProc(top, WM_SIZE, SIZE_RESTORED, MAKELPARAM(top->ClientWidth(), top->ClientHeight()));
        if (W(hwnd)) InvalidateImpl(top, nullptr, true);
      }
      break;
  }
}

}  // namespace platform

using namespace platform;

HWND SetCapture(HWND hwnd) {
  UiState& ui = Ui();
  HWND old = ui.capture;
  if (!W(hwnd)) return nullptr;
  ui.capture = hwnd;
  if (old && old != hwnd)
    if (WindowImpl* o = W(old)) CallProc(o, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(hwnd));
  return W(old) ? old : nullptr;
}

BOOL ReleaseCapture() {
  UiState& ui = Ui();
  HWND old = ui.capture;
  ui.capture = nullptr;
  if (WindowImpl* o = W(old)) CallProc(o, WM_CAPTURECHANGED, 0, 0);
  return TRUE;
}

HWND GetCapture() { return W(Ui().capture) ? Ui().capture : nullptr; }

HWND SetFocus(HWND hwnd) {
  UiState& ui = Ui();
  WindowImpl* w = W(hwnd);
  if (hwnd && (!w || !w->Enabled())) return nullptr;
  HWND old = W(ui.focus) ? ui.focus : nullptr;
  if (old == hwnd) return old;
  if (w) {
    WindowImpl* top = TopOf(w);
    if (ui.active != top->handle) {
      Activate(top, false);
      if (!W(hwnd)) return old;
      if (ui.focus == hwnd) return old;
      old = W(ui.focus) ? ui.focus : nullptr;
    }
  }
  ui.focus = hwnd;
  if (WindowImpl* o = W(old)) CallProc(o, WM_KILLFOCUS, reinterpret_cast<WPARAM>(hwnd), 0);
  if (w && W(hwnd) && ui.focus == hwnd) {
    WindowImpl* top = TopOf(w);
    if (top->top) top->top->lastFocus = hwnd;
    CallProc(w, WM_SETFOCUS, reinterpret_cast<WPARAM>(old), 0);
  }
  return old;
}

HWND GetFocus() { return W(Ui().focus) ? Ui().focus : nullptr; }

SHORT GetKeyState(int vk) {
  if (vk < 0 || vk > 255) return 0;
  return Ui().keyDown[vk] ? static_cast<SHORT>(0x8000) : 0;
}

SHORT GetAsyncKeyState(int vk) { return GetKeyState(vk); }

BOOL GetCursorPos(LPPOINT point) {
  if (!point) return FALSE;
  *point = Ui().cursor;
  return TRUE;
}

UINT GetDoubleClickTime() { return 500; }

BOOL TrackMouseEvent(LPTRACKMOUSEEVENT tme) {
  if (!tme || tme->cbSize != sizeof(TRACKMOUSEEVENT)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  UiState& ui = Ui();
  MouseTrack& t = ui.track;
  if (tme->dwFlags & TME_QUERY) {
    tme->dwFlags = t.hwnd ? t.flags : 0;
    tme->hwndTrack = t.hwnd;
    tme->dwHoverTime = t.hoverTime;
    return TRUE;
  }
  DWORD flags = tme->dwFlags & (TME_HOVER | TME_LEAVE);
  if (tme->dwFlags & TME_CANCEL) {
    if (t.hwnd == tme->hwndTrack) {
      t.flags &= ~flags;
      if (!t.flags) t = MouseTrack{};
    }
    return TRUE;
  }
  if (!W(tme->hwndTrack)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  if (ui.under != tme->hwndTrack) {
    // The mouse is not over the window: it has already left it.
    if (flags & TME_LEAVE) PostImpl(tme->hwndTrack, WM_MOUSELEAVE, 0, 0);
    return TRUE;
  }
  if (t.hwnd != tme->hwndTrack) t = MouseTrack{};
  t.hwnd = tme->hwndTrack;
  t.flags |= flags;
  if (flags & TME_HOVER) {
    t.hoverTime = tme->dwHoverTime == HOVER_DEFAULT ? 400 : tme->dwHoverTime;
    t.hoverPoint = ui.cursor;
    t.hoverDue = Now() + t.hoverTime;
  }
  return TRUE;
}

BOOL _TrackMouseEvent(LPTRACKMOUSEEVENT tme) { return TrackMouseEvent(tme); }
