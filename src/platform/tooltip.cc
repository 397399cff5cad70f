// The tooltip ("tooltips_class32"): a small top-level window, owned by the
// window it was created for, that shows a tool's text near the mouse once
// the mouse has rested on the tool for the initial delay, and hides when
// the mouse leaves the tool, presses a button, or after the pop delay.
// With TTF_SUBCLASS the tooltip watches the tool window's messages itself.
#include <algorithm>
#include <cstddef>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/controls_internal.h"

namespace platform {
namespace controls {

namespace {

constexpr UINT_PTR kShowTimer = 1;
constexpr UINT_PTR kPopTimer = 2;
constexpr int kPadX = 7;
constexpr int kPadY = 4;

struct Tool {
  UINT flags = 0;
  HWND hwnd = nullptr;
  UINT_PTR id = 0;
  RECT rect{};
  std::wstring text;
  bool callback = false;
  LPARAM lParam = 0;
};

struct ToolTip {
  std::vector<Tool> tools;
  bool active = true;
  HFONT font = nullptr;
  UINT initial = 500;
  UINT autopop = 5000;
  UINT reshow = 100;
  int maxWidth = -1;
  COLORREF face = look::kTipFace;
  COLORREF textColor = look::kTipText;
  int current = -1;  // the tool under the mouse
  bool shown = false;
  std::wstring shownText;
};

// The windows whose procedure a tooltip replaced, with the procedure they had
// and the tooltips that watch them.
struct Watched {
  WNDPROC previous = nullptr;
  std::set<HWND> tips;
};
std::map<HWND, Watched>& WatchedWindows() {
  static auto* m = new std::map<HWND, Watched>();
  return *m;
}

HWND ToolWindow(const Tool& t) { return (t.flags & TTF_IDISHWND) ? reinterpret_cast<HWND>(t.id) : t.hwnd; }

bool SameTool(const Tool& t, const TOOLINFOW* ti) {
  return t.hwnd == ti->hwnd && t.id == ti->uId;
}

int FindTool(const ToolTip* tt, const TOOLINFOW* ti) {
  for (size_t i = 0; i < tt->tools.size(); ++i)
    if (SameTool(tt->tools[i], ti)) return static_cast<int>(i);
  return -1;
}

// The tool at a point of `window`'s client area.
int ToolAt(const ToolTip* tt, HWND window, POINT p) {
  for (size_t i = 0; i < tt->tools.size(); ++i) {
    const Tool& t = tt->tools[i];
    if (ToolWindow(t) != window) continue;
    if (t.flags & TTF_IDISHWND) return static_cast<int>(i);
    if (PtInRect(&t.rect, p)) return static_cast<int>(i);
  }
  return -1;
}

void Hide(HWND tip, ToolTip* tt) {
  KillTimer(tip, kShowTimer);
  KillTimer(tip, kPopTimer);
  if (!tt->shown) return;
  tt->shown = false;
  ShowWindow(tip, SW_HIDE);
  if (tt->current >= 0 && tt->current < static_cast<int>(tt->tools.size())) {
    NMHDR nm{};
    nm.hwndFrom = tip;
    nm.idFrom = tt->tools[static_cast<size_t>(tt->current)].id;
    nm.code = TTN_POP;
    if (HWND to = tt->tools[static_cast<size_t>(tt->current)].hwnd)
      SendMessageW(to, WM_NOTIFY, nm.idFrom, reinterpret_cast<LPARAM>(&nm));
  }
}

std::wstring TextOf(HWND tip, ToolTip* tt, int index) {
  Tool& t = tt->tools[static_cast<size_t>(index)];
  if (!t.callback) return t.text;
  NMTTDISPINFOW di{};
  di.hdr.hwndFrom = tip;
  di.hdr.idFrom = t.id;
  di.hdr.code = TTN_GETDISPINFOW;
  di.uFlags = t.flags;
  di.lParam = t.lParam;
  if (t.hwnd) SendMessageW(t.hwnd, WM_NOTIFY, t.id, reinterpret_cast<LPARAM>(&di));
  if (di.lpszText && di.lpszText != LPSTR_TEXTCALLBACKW && !IS_INTRESOURCE(di.lpszText)) return di.lpszText;
  di.szText[79] = L'\0';
  return di.szText;
}

void Show(HWND tip, ToolTip* tt) {
  if (tt->current < 0 || tt->current >= static_cast<int>(tt->tools.size())) return;
  std::wstring text = TextOf(tip, tt, tt->current);
  if (!IsWindow(tip) || text.empty()) return;
  tt->shownText = text;
  HDC dc = GetDC(tip);
  HGDIOBJ old = SelectObject(dc, FontOr(tt->font));
  RECT r{0, 0, tt->maxWidth > 0 ? tt->maxWidth : 0, 0};
  UINT format = DT_CALCRECT | DT_NOPREFIX | (tt->maxWidth > 0 ? DT_WORDBREAK : DT_SINGLELINE);
  ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, format);
  SelectObject(dc, old);
  ReleaseDC(tip, dc);
  int w = r.right - r.left + 2 * kPadX, h = std::max<int>(r.bottom - r.top, FontHeight(tt->font)) + 2 * kPadY;
  POINT cursor;
  GetCursorPos(&cursor);
  int x = cursor.x, y = cursor.y + 20;  // below the pointer
  SIZE screen{GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  if (x + w > screen.cx) x = std::max(0, static_cast<int>(screen.cx) - w);
  if (y + h > screen.cy) y = std::max(0, cursor.y - h - 4);
  SetWindowPos(tip, HWND_TOPMOST, x, y, w, h, SWP_NOACTIVATE | SWP_SHOWWINDOW);
  InvalidateRect(tip, nullptr, TRUE);
  tt->shown = true;
  Tool& t = tt->tools[static_cast<size_t>(tt->current)];
  NMHDR nm{};
  nm.hwndFrom = tip;
  nm.idFrom = t.id;
  nm.code = TTN_SHOW;
  if (t.hwnd) SendMessageW(t.hwnd, WM_NOTIFY, nm.idFrom, reinterpret_cast<LPARAM>(&nm));
  if (IsWindow(tip)) SetTimer(tip, kPopTimer, tt->autopop, nullptr);
}

// A mouse message of a tool window, watched or relayed.
void Relay(HWND tip, ToolTip* tt, const MSG& m) {
  if (!tt->active) return;
  switch (m.message) {
    case WM_MOUSEMOVE: {
      POINT p{GET_X_LPARAM(m.lParam), GET_Y_LPARAM(m.lParam)};
      int tool = ToolAt(tt, m.hwnd, p);
      if (tool != tt->current) {
        bool wasShown = tt->shown;
        Hide(tip, tt);
        tt->current = tool;
        if (tool >= 0) SetTimer(tip, kShowTimer, wasShown ? tt->reshow : tt->initial, nullptr);
      } else if (tool >= 0 && !tt->shown) {
        // The delay counts from the last move.
        SetTimer(tip, kShowTimer, tt->initial, nullptr);
      }
      if (tool >= 0) {
        TRACKMOUSEEVENT tme{sizeof(TRACKMOUSEEVENT), TME_LEAVE, m.hwnd, 0};
        TrackMouseEvent(&tme);
      }
      break;
    }
    case WM_MOUSELEAVE:
      Hide(tip, tt);
      tt->current = -1;
      break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MOUSEWHEEL:
    case WM_KEYDOWN:
      // A press ends the tip until the mouse rests again on a tool.
      Hide(tip, tt);
      break;
  }
}

LRESULT CALLBACK WatchProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto& watched = WatchedWindows();
  auto it = watched.find(hwnd);
  if (it == watched.end()) return DefWindowProcW(hwnd, message, wParam, lParam);
  WNDPROC previous = it->second.previous;
  MSG m{hwnd, message, wParam, lParam, GetMessageTime(), {}};
  std::vector<HWND> tips(it->second.tips.begin(), it->second.tips.end());
  for (HWND tip : tips)
    if (ToolTip* tt = StateOf<ToolTip>(tip)) Relay(tip, tt, m);
  if (message == WM_NCDESTROY) {
    for (HWND tip : tips) {
      ToolTip* tt = StateOf<ToolTip>(tip);
      if (!tt) continue;
      Hide(tip, tt);
      tt->current = -1;
      tt->tools.erase(std::remove_if(tt->tools.begin(), tt->tools.end(),
                                     [&](const Tool& t) { return ToolWindow(t) == hwnd || t.hwnd == hwnd; }),
                      tt->tools.end());
    }
    watched.erase(hwnd);
    if (reinterpret_cast<WNDPROC>(GetWindowLongPtrW(hwnd, GWLP_WNDPROC)) == WatchProc)
      SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
  }
  return CallWindowProcW(previous, hwnd, message, wParam, lParam);
}

void Watch(HWND tip, HWND window) {
  if (!IsWindow(window)) return;
  auto& watched = WatchedWindows();
  auto it = watched.find(window);
  if (it == watched.end()) {
    Watched w;
    w.previous = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(window, GWLP_WNDPROC));
    if (w.previous == WatchProc) return;
    it = watched.emplace(window, w).first;
    SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(WatchProc));
  }
  it->second.tips.insert(tip);
}

// Stops watching `window` for `tip` when no tool of the tip needs it.
void Unwatch(HWND tip, ToolTip* tt, HWND window) {
  for (const Tool& t : tt->tools)
    if ((t.flags & TTF_SUBCLASS) && ToolWindow(t) == window) return;
  auto& watched = WatchedWindows();
  auto it = watched.find(window);
  if (it == watched.end()) return;
  it->second.tips.erase(tip);
  if (!it->second.tips.empty()) return;
  // Our procedure stays in place (as a pass-through) when another was put
  // on top of it since.
  if (reinterpret_cast<WNDPROC>(GetWindowLongPtrW(window, GWLP_WNDPROC)) == WatchProc) {
    SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(it->second.previous));
    watched.erase(it);
  }
}

void ToolFromInfo(Tool* t, const TOOLINFOW* ti, bool setText) {
  t->flags = ti->uFlags;
  t->hwnd = ti->hwnd;
  t->id = ti->uId;
  t->rect = ti->rect;
  t->lParam = ti->lParam;
  if (setText) {
    t->callback = ti->lpszText == LPSTR_TEXTCALLBACKW;
    t->text = !t->callback && ti->lpszText && !IS_INTRESOURCE(ti->lpszText) ? ti->lpszText : L"";
  }
}

void Paint(HWND tip, ToolTip* tt, HDC dc) {
  RECT c;
  GetClientRect(tip, &c);
  FillSolid(dc, c, tt->face);
  HBRUSH border = CreateSolidBrush(look::kTipBorder);
  FrameRect(dc, &c, border);
  DeleteObject(border);
  HGDIOBJ old = SelectObject(dc, FontOr(tt->font));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, tt->textColor);
  RECT r = c;
  InflateRect(&r, -kPadX, -kPadY);
  UINT format = DT_NOPREFIX | (tt->maxWidth > 0 ? DT_WORDBREAK : DT_SINGLELINE | DT_VCENTER);
  ::DrawTextW(dc, tt->shownText.c_str(), static_cast<int>(tt->shownText.size()), &r, format);
  SelectObject(dc, old);
}

}  // namespace

LRESULT CALLBACK ToolTipProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  ToolTip* tt = StateOf<ToolTip>(hwnd);
  if (!tt && message != WM_NCCREATE) return DefWindowProcW(hwnd, message, wParam, lParam);
  switch (message) {
    case WM_NCCREATE: {
      SetState(hwnd, new ToolTip());
      // Always a borderless pop-up above the others, never in the taskbar.
      DWORD ex = static_cast<DWORD>(GetWindowLongW(hwnd, GWL_EXSTYLE));
      SetWindowLongW(hwnd, GWL_EXSTYLE, static_cast<LONG>(ex | WS_EX_TOOLWINDOW | WS_EX_TOPMOST));
      DWORD style = static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE));
      SetWindowLongW(hwnd, GWL_STYLE, static_cast<LONG>((style & ~(WS_CAPTION | WS_THICKFRAME | WS_BORDER)) | WS_POPUP));
      return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    case WM_DESTROY: {
      KillTimer(hwnd, kShowTimer);
      KillTimer(hwnd, kPopTimer);
      std::vector<HWND> windows;
      for (const Tool& t : tt->tools)
        if (t.flags & TTF_SUBCLASS) windows.push_back(ToolWindow(t));
      tt->tools.clear();
      for (HWND w : windows) Unwatch(hwnd, tt, w);
      for (auto& entry : WatchedWindows()) entry.second.tips.erase(hwnd);
      return 0;
    }
    case WM_NCDESTROY:
      SetState<ToolTip>(hwnd, nullptr);
      delete tt;
      return 0;
    case WM_MOUSEACTIVATE:
      return 3;  // no activation
    case WM_NCHITTEST:
      return HTTRANSPARENT;
    case WM_SETFONT:
      tt->font = reinterpret_cast<HFONT>(wParam);
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(tt->font);
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      if (dc) Paint(hwnd, tt, dc);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_TIMER:
      if (wParam == kShowTimer) {
        KillTimer(hwnd, kShowTimer);
        if (!tt->active || tt->current < 0 || tt->current >= static_cast<int>(tt->tools.size())) return 0;
        // Still on the tool?
        const Tool& t = tt->tools[static_cast<size_t>(tt->current)];
        HWND window = ToolWindow(t);
        POINT p;
        GetCursorPos(&p);
        RECT wr;
        GetWindowRect(window, &wr);
        if (!IsWindowVisible(window) || !PtInRect(&wr, p)) {
          tt->current = -1;
          return 0;
        }
        Show(hwnd, tt);
      } else if (wParam == kPopTimer) {
        Hide(hwnd, tt);
      }
      return 0;
    case TTM_ACTIVATE:
      tt->active = wParam != 0;
      if (!tt->active) {
        Hide(hwnd, tt);
        tt->current = -1;
      }
      return 0;
    case TTM_ADDTOOLW: {
      auto* ti = reinterpret_cast<const TOOLINFOW*>(lParam);
      if (!ti || ti->cbSize < offsetof(TOOLINFOW, lParam)) return FALSE;
      Tool t;
      ToolFromInfo(&t, ti, true);
      if (ti->cbSize < sizeof(TOOLINFOW)) t.lParam = 0;
      HWND window = ToolWindow(t);
      if (!IsWindow(window)) return FALSE;
      int existing = FindTool(tt, ti);
      if (existing >= 0) {
        tt->tools[static_cast<size_t>(existing)] = t;
      } else {
        tt->tools.push_back(t);
      }
      if (t.flags & TTF_SUBCLASS) Watch(hwnd, window);
      return TRUE;
    }
    case TTM_DELTOOLW: {
      auto* ti = reinterpret_cast<const TOOLINFOW*>(lParam);
      if (!ti) return 0;
      int i = FindTool(tt, ti);
      if (i < 0) return 0;
      if (i == tt->current) {
        Hide(hwnd, tt);
        tt->current = -1;
      } else if (i < tt->current) {
        --tt->current;
      }
      HWND window = ToolWindow(tt->tools[static_cast<size_t>(i)]);
      tt->tools.erase(tt->tools.begin() + i);
      Unwatch(hwnd, tt, window);
      return 0;
    }
    case TTM_NEWTOOLRECTW:
    case TTM_SETTOOLINFOW:
    case TTM_UPDATETIPTEXTW: {
      auto* ti = reinterpret_cast<const TOOLINFOW*>(lParam);
      if (!ti) return 0;
      int i = FindTool(tt, ti);
      if (i < 0) return 0;
      Tool& t = tt->tools[static_cast<size_t>(i)];
      if (message == TTM_NEWTOOLRECTW) {
        t.rect = ti->rect;
      } else if (message == TTM_UPDATETIPTEXTW) {
        t.callback = ti->lpszText == LPSTR_TEXTCALLBACKW;
        t.text = !t.callback && ti->lpszText && !IS_INTRESOURCE(ti->lpszText) ? ti->lpszText : L"";
        if (tt->shown && i == tt->current) Show(hwnd, tt);
      } else {
        ToolFromInfo(&t, ti, true);
      }
      return 0;
    }
    case TTM_GETTOOLINFOW:
    case TTM_GETTEXTW: {
      auto* ti = reinterpret_cast<TOOLINFOW*>(lParam);
      if (!ti) return FALSE;
      int i = FindTool(tt, ti);
      if (i < 0) return FALSE;
      const Tool& t = tt->tools[static_cast<size_t>(i)];
      if (message == TTM_GETTOOLINFOW) {
        ti->uFlags = t.flags;
        ti->rect = t.rect;
        if (ti->cbSize >= sizeof(TOOLINFOW)) ti->lParam = t.lParam;
      }
      // The caller's buffer: at most wParam characters for TTM_GETTEXTW
      // (80 when not given), as the message promises.
      if (ti->lpszText && ti->lpszText != LPSTR_TEXTCALLBACKW && !IS_INTRESOURCE(ti->lpszText)) {
        size_t room = message == TTM_GETTEXTW && wParam ? static_cast<size_t>(wParam) : 80;
        size_t n = std::min(t.text.size(), room - 1);
        std::copy(t.text.begin(), t.text.begin() + static_cast<long>(n), ti->lpszText);
        ti->lpszText[n] = L'\0';
      }
      return TRUE;
    }
    case TTM_GETTOOLCOUNT:
      return static_cast<LRESULT>(tt->tools.size());
    case TTM_RELAYEVENT: {
      auto* m = reinterpret_cast<const MSG*>(lParam);
      if (m) Relay(hwnd, tt, *m);
      return 0;
    }
    case TTM_POP:
      Hide(hwnd, tt);
      return 0;
    case TTM_SETDELAYTIME: {
      int t = static_cast<short>(LOWORD(lParam));
      switch (wParam) {
        case TTDT_AUTOMATIC:
          tt->initial = t < 0 ? 500 : static_cast<UINT>(t);
          tt->autopop = tt->initial * 10;
          tt->reshow = tt->initial / 5;
          break;
        case TTDT_INITIAL: tt->initial = t < 0 ? 500 : static_cast<UINT>(t); break;
        case TTDT_AUTOPOP: tt->autopop = t < 0 ? 5000 : static_cast<UINT>(t); break;
        case TTDT_RESHOW: tt->reshow = t < 0 ? 100 : static_cast<UINT>(t); break;
      }
      return 0;
    }
    case TTM_GETDELAYTIME:
      switch (wParam) {
        case TTDT_INITIAL: return tt->initial;
        case TTDT_AUTOPOP: return tt->autopop;
        case TTDT_RESHOW: return tt->reshow;
      }
      return tt->initial;
    case TTM_SETMAXTIPWIDTH: {
      int old = tt->maxWidth;
      tt->maxWidth = static_cast<int>(lParam);
      return old;
    }
    case TTM_GETMAXTIPWIDTH:
      return tt->maxWidth;
    case TTM_SETTIPBKCOLOR:
      tt->face = static_cast<COLORREF>(wParam);
      InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    case TTM_SETTIPTEXTCOLOR:
      tt->textColor = static_cast<COLORREF>(wParam);
      InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace controls
}  // namespace platform
