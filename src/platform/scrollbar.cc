// The "scrollbar" class, vertical (SBS_VERT) or horizontal: a range, a page,
// a position and, while the thumb is dragged, a tracking position. Presses
// on the arrows and the track repeat while held; every action reaches the
// owner (the parent) as WM_VSCROLL or WM_HSCROLL with the bar's handle.
// The bar does not move itself: the owner sets the new position.
#include <algorithm>
#include <string>

#include "platform/controls_internal.h"

namespace platform {
namespace controls {

namespace {

constexpr UINT_PTR kRepeatTimer = 1;
constexpr UINT kRepeatDelay = 400;
constexpr UINT kRepeatPeriod = 60;
constexpr int kMinThumb = 12;

enum Part { kNone, kArrowBack, kTrackBack, kThumb, kTrackForward, kArrowForward };

struct ScrollBar {
  int min = 0;
  int max = 100;
  UINT page = 0;
  int pos = 0;
  int trackPos = 0;
  bool dragging = false;
  int dragOffset = 0;  // from the thumb's start to the press, in pixels
  Part pressed = kNone;
  Part hot = kNone;
  bool pressedInside = false;
  bool tracked = false;
};

bool Vertical(HWND hwnd) { return (GetWindowLongW(hwnd, GWL_STYLE) & SBS_VERT) != 0; }

int MaxPos(const ScrollBar* s) {
  int span = s->max - s->min + 1;
  int page = static_cast<int>(std::min<UINT>(s->page, static_cast<UINT>(std::max(span, 0))));
  return std::max(s->min, s->max - std::max(page - 1, 0));
}

int Clamp(const ScrollBar* s, int pos) { return std::max(s->min, std::min(pos, MaxPos(s))); }

bool Scrollable(HWND hwnd, const ScrollBar* s) {
  return IsWindowEnabled(hwnd) && s->max > s->min && MaxPos(s) > s->min;
}

struct Layout {
  int length = 0;     // along the bar
  int thickness = 0;  // across it
  int arrow = 0;      // each arrow's length
  int trackStart = 0, trackEnd = 0;
  int thumbStart = 0, thumbEnd = 0;  // equal when there is no thumb
};

Layout LayoutOf(HWND hwnd, const ScrollBar* s) {
  RECT r;
  GetClientRect(hwnd, &r);
  Layout l;
  bool v = Vertical(hwnd);
  l.length = v ? r.bottom : r.right;
  l.thickness = v ? r.right : r.bottom;
  l.arrow = std::min(l.thickness, l.length / 2);
  l.trackStart = l.arrow;
  l.trackEnd = l.length - l.arrow;
  int track = l.trackEnd - l.trackStart;
  if (!Scrollable(hwnd, s) || track < kMinThumb) {
    l.thumbStart = l.thumbEnd = l.trackStart;
    return l;
  }
  int span = s->max - s->min + 1;
  int thumb = s->page ? static_cast<int>(static_cast<long long>(track) * s->page / span) : l.thickness;
  thumb = std::max(kMinThumb, std::min(thumb, track));
  int range = MaxPos(s) - s->min;
  int at = s->dragging ? s->trackPos : s->pos;
  int offset = range > 0 ? static_cast<int>(static_cast<long long>(track - thumb) * (at - s->min) / range) : 0;
  l.thumbStart = l.trackStart + offset;
  l.thumbEnd = l.thumbStart + thumb;
  return l;
}

Part HitPart(HWND hwnd, const ScrollBar* s, POINT p) {
  RECT r;
  GetClientRect(hwnd, &r);
  if (!PtInRect(&r, p)) return kNone;
  Layout l = LayoutOf(hwnd, s);
  int at = Vertical(hwnd) ? p.y : p.x;
  if (at < l.trackStart) return kArrowBack;
  if (at >= l.trackEnd) return kArrowForward;
  if (l.thumbEnd > l.thumbStart) {
    if (at < l.thumbStart) return kTrackBack;
    if (at >= l.thumbEnd) return kTrackForward;
    return kThumb;
  }
  return kNone;
}

void Send(HWND hwnd, UINT code, int pos) {
  HWND owner = GetParent(hwnd);
  if (!owner) return;
  SendMessageW(owner, Vertical(hwnd) ? WM_VSCROLL : WM_HSCROLL,
               MAKEWPARAM(code, static_cast<WORD>(std::max(0, std::min(pos, 0xFFFF)))),
               reinterpret_cast<LPARAM>(hwnd));
}

UINT CodeOf(Part p) {
  switch (p) {
    case kArrowBack: return SB_LINEUP;
    case kArrowForward: return SB_LINEDOWN;
    case kTrackBack: return SB_PAGEUP;
    case kTrackForward: return SB_PAGEDOWN;
    default: return SB_ENDSCROLL;
  }
}

RECT PartRect(HWND hwnd, const Layout& l, int start, int end) {
  return Vertical(hwnd) ? RECT{0, start, l.thickness, end} : RECT{start, 0, end, l.thickness};
}

void Paint(HWND hwnd, ScrollBar* s, HDC dc) {
  Layout l = LayoutOf(hwnd, s);
  bool v = Vertical(hwnd);
  bool enabled = Scrollable(hwnd, s);
  RECT all = PartRect(hwnd, l, 0, l.length);
  FillSolid(dc, all, look::kTrack);
  // A hairline on the side facing the content.
  if (v) {
    VLine(dc, 0, 0, l.length, look::kGrid);
  } else {
    HLine(dc, 0, l.length, 0, look::kGrid);
  }
  for (Part arrow : {kArrowBack, kArrowForward}) {
    RECT r = arrow == kArrowBack ? PartRect(hwnd, l, 0, l.arrow) : PartRect(hwnd, l, l.length - l.arrow, l.length);
    bool down = s->pressed == arrow && s->pressedInside;
    if (down) {
      RECT face = r;
      InflateRect(&face, -2, -2);
      RoundRect(dc, face, 3, look::kArrowPressedFace, CLR_NONE);
    }
    COLORREF c = !enabled ? look::kArrowDisabled : (down || s->hot == arrow) ? look::kArrowHot : look::kArrow;
    Chevron(dc, r, v ? (arrow == kArrowBack ? 0 : 1) : (arrow == kArrowBack ? 2 : 3), c);
  }
  if (enabled && l.thumbEnd > l.thumbStart) {
    RECT thumb = PartRect(hwnd, l, l.thumbStart, l.thumbEnd);
    // A slim rounded thumb, inset from the sides.
    int inset = std::max(3, l.thickness / 4);
    if (v) {
      thumb.left += inset;
      thumb.right -= inset - 1;
      thumb.top += 1;
      thumb.bottom -= 1;
    } else {
      thumb.top += inset;
      thumb.bottom -= inset - 1;
      thumb.left += 1;
      thumb.right -= 1;
    }
    COLORREF c = s->dragging ? look::kThumbPressed : s->hot == kThumb ? look::kThumbHot : look::kThumb;
    int w = v ? thumb.right - thumb.left : thumb.bottom - thumb.top;
    RoundRect(dc, thumb, w / 2.0, c, CLR_NONE);
  }
}

int PositionAt(HWND hwnd, ScrollBar* s, int along) {
  Layout l = LayoutOf(hwnd, s);
  int thumb = l.thumbEnd - l.thumbStart;
  int room = l.trackEnd - l.trackStart - thumb;
  if (room <= 0) return s->pos;
  int offset = std::max(0, std::min(along - s->dragOffset - l.trackStart, room));
  int range = MaxPos(s) - s->min;
  return s->min + static_cast<int>((static_cast<long long>(offset) * range + room / 2) / room);
}

void SetInfo(HWND hwnd, ScrollBar* s, const SCROLLINFO* si, bool redraw) {
  if (si->fMask & SIF_RANGE) {
    s->min = si->nMin;
    s->max = std::max(si->nMin, si->nMax);
  }
  if (si->fMask & SIF_PAGE) s->page = std::min<UINT>(si->nPage, static_cast<UINT>(s->max - s->min + 1));
  if (si->fMask & SIF_POS) s->pos = si->nPos;
  s->pos = Clamp(s, s->pos);
  if (!s->dragging) s->trackPos = s->pos;
  if (redraw) InvalidateRect(hwnd, nullptr, TRUE);
}

}  // namespace

LRESULT CALLBACK ScrollBarProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  ScrollBar* s = StateOf<ScrollBar>(hwnd);
  if (!s && message != WM_NCCREATE) return DefWindowProcW(hwnd, message, wParam, lParam);
  switch (message) {
    case WM_NCCREATE:
      SetState(hwnd, new ScrollBar());
      return DefWindowProcW(hwnd, message, wParam, lParam);
    case WM_NCDESTROY:
      SetState<ScrollBar>(hwnd, nullptr);
      delete s;
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      if (dc) Paint(hwnd, s, dc);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_ENABLE:
    case WM_SIZE:
    case WM_STYLECHANGED:
      InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS;
    case SBM_SETPOS: {
      int old = s->pos;
      s->pos = Clamp(s, static_cast<int>(wParam));
      if (!s->dragging) s->trackPos = s->pos;
      if (lParam && s->pos != old) InvalidateRect(hwnd, nullptr, TRUE);
      return old;
    }
    case SBM_GETPOS:
      return s->pos;
    case SBM_SETRANGE:
    case SBM_SETRANGEREDRAW: {
      int old = s->pos;
      SCROLLINFO si{sizeof(SCROLLINFO), SIF_RANGE, static_cast<int>(wParam), static_cast<int>(lParam), 0, 0, 0};
      SetInfo(hwnd, s, &si, message == SBM_SETRANGEREDRAW);
      return old;
    }
    case SBM_GETRANGE:
      if (wParam) *reinterpret_cast<int*>(wParam) = s->min;
      if (lParam) *reinterpret_cast<int*>(lParam) = s->max;
      return 0;
    case SBM_SETSCROLLINFO: {
      auto* si = reinterpret_cast<const SCROLLINFO*>(lParam);
      if (!si) return s->pos;
      SetInfo(hwnd, s, si, wParam != 0);
      return s->pos;
    }
    case SBM_GETSCROLLINFO: {
      auto* si = reinterpret_cast<SCROLLINFO*>(lParam);
      if (!si) return FALSE;
      if (si->fMask & SIF_RANGE) si->nMin = s->min, si->nMax = s->max;
      if (si->fMask & SIF_PAGE) si->nPage = s->page;
      if (si->fMask & SIF_POS) si->nPos = s->pos;
      if (si->fMask & SIF_TRACKPOS) si->nTrackPos = s->dragging ? s->trackPos : s->pos;
      return TRUE;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      if (!Scrollable(hwnd, s)) return 0;
      POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      Part part = HitPart(hwnd, s, p);
      if (part == kNone) return 0;
      SetCapture(hwnd);
      s->pressed = part;
      s->pressedInside = true;
      if (part == kThumb) {
        Layout l = LayoutOf(hwnd, s);
        s->dragging = true;
        s->trackPos = s->pos;
        s->dragOffset = (Vertical(hwnd) ? p.y : p.x) - l.thumbStart;
      } else {
        Send(hwnd, CodeOf(part), 0);
        if (IsWindow(hwnd)) SetTimer(hwnd, kRepeatTimer, kRepeatDelay, nullptr);
      }
      InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    }
    case WM_TIMER:
      if (wParam != kRepeatTimer) return 0;
      SetTimer(hwnd, kRepeatTimer, kRepeatPeriod, nullptr);
      if (s->pressed != kNone && s->pressed != kThumb && s->pressedInside) {
        POINT p;
        GetCursorPos(&p);
        ScreenToClient(hwnd, &p);
        // The track repeats only while the thumb has not reached the mouse.
        Part now = HitPart(hwnd, s, p);
        if (s->pressed == kArrowBack || s->pressed == kArrowForward || now == s->pressed)
          Send(hwnd, CodeOf(s->pressed), 0);
      }
      return 0;
    case WM_MOUSEMOVE: {
      POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      if (!s->tracked) {
        TRACKMOUSEEVENT tme{sizeof(TRACKMOUSEEVENT), TME_LEAVE, hwnd, 0};
        s->tracked = TrackMouseEvent(&tme) != FALSE;
      }
      Part hot = HitPart(hwnd, s, p);
      if (s->dragging) {
        int at = PositionAt(hwnd, s, Vertical(hwnd) ? p.y : p.x);
        if (at != s->trackPos) {
          s->trackPos = at;
          InvalidateRect(hwnd, nullptr, TRUE);
          Send(hwnd, SB_THUMBTRACK, at);
        }
      } else if (s->pressed != kNone) {
        bool inside = hot == s->pressed || ((s->pressed == kTrackBack || s->pressed == kTrackForward) &&
                                            (hot == kTrackBack || hot == kTrackForward || hot == kThumb));
        if (inside != s->pressedInside) {
          s->pressedInside = inside;
          InvalidateRect(hwnd, nullptr, TRUE);
        }
      }
      if (hot != s->hot) {
        s->hot = hot;
        InvalidateRect(hwnd, nullptr, TRUE);
      }
      return 0;
    }
    case WM_MOUSELEAVE:
      s->tracked = false;
      if (s->hot != kNone) {
        s->hot = kNone;
        InvalidateRect(hwnd, nullptr, TRUE);
      }
      return 0;
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED: {
      if (s->pressed == kNone) return 0;
      if (message == WM_CAPTURECHANGED && reinterpret_cast<HWND>(lParam) == hwnd) return 0;
      Part was = s->pressed;
      s->pressed = kNone;
      KillTimer(hwnd, kRepeatTimer);
      if (message == WM_LBUTTONUP && GetCapture() == hwnd) ReleaseCapture();
      if (!IsWindow(hwnd)) return 0;
      if (was == kThumb && s->dragging) {
        int at = s->trackPos;
        s->dragging = false;
        Send(hwnd, SB_THUMBPOSITION, at);
      }
      s->dragging = false;
      if (IsWindow(hwnd)) {
        Send(hwnd, SB_ENDSCROLL, 0);
        InvalidateRect(hwnd, nullptr, TRUE);
      }
      return 0;
    }
    case WM_KEYDOWN: {
      if (!Scrollable(hwnd, s)) return 0;
      bool v = Vertical(hwnd);
      UINT code = SB_ENDSCROLL + 1;
      switch (wParam) {
        case VK_UP: if (v) code = SB_LINEUP; break;
        case VK_DOWN: if (v) code = SB_LINEDOWN; break;
        case VK_LEFT: if (!v) code = SB_LINELEFT; break;
        case VK_RIGHT: if (!v) code = SB_LINERIGHT; break;
        case VK_PRIOR: code = SB_PAGEUP; break;
        case VK_NEXT: code = SB_PAGEDOWN; break;
        case VK_HOME: code = SB_TOP; break;
        case VK_END: code = SB_BOTTOM; break;
      }
      if (code <= SB_ENDSCROLL) {
        Send(hwnd, code, 0);
        if (IsWindow(hwnd)) Send(hwnd, SB_ENDSCROLL, 0);
      }
      return 0;
    }
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace controls

// ---- the window's own bars ------------------------------------------------------------

namespace {
const wchar_t* PropName(int kind) { return kind == SB_HORZ ? L"platform.hscroll" : L"platform.vscroll"; }
}  // namespace

void SetOwnScrollBar(HWND hwnd, int kind, HWND bar) {
  if (bar) {
    SetPropW(hwnd, PropName(kind), bar);
  } else {
    RemovePropW(hwnd, PropName(kind));
  }
}

HWND OwnScrollBar(HWND hwnd, int kind) {
  HWND bar = static_cast<HWND>(GetPropW(hwnd, PropName(kind)));
  return IsWindow(bar) ? bar : nullptr;
}

}  // namespace platform

namespace {
HWND BarOf(HWND hwnd, int bar) {
  if (bar == SB_CTL) return IsWindow(hwnd) ? hwnd : nullptr;
  if (bar == SB_VERT || bar == SB_HORZ) return platform::OwnScrollBar(hwnd, bar);
  return nullptr;
}
}  // namespace

int SetScrollInfo(HWND hwnd, int bar, LPCSCROLLINFO info, BOOL redraw) {
  HWND h = BarOf(hwnd, bar);
  if (!h || !info) return 0;
  return static_cast<int>(SendMessageW(h, SBM_SETSCROLLINFO, redraw, reinterpret_cast<LPARAM>(info)));
}

BOOL GetScrollInfo(HWND hwnd, int bar, LPSCROLLINFO info) {
  HWND h = BarOf(hwnd, bar);
  if (!h || !info) return FALSE;
  return static_cast<BOOL>(SendMessageW(h, SBM_GETSCROLLINFO, 0, reinterpret_cast<LPARAM>(info)));
}

int SetScrollPos(HWND hwnd, int bar, int pos, BOOL redraw) {
  HWND h = BarOf(hwnd, bar);
  return h ? static_cast<int>(SendMessageW(h, SBM_SETPOS, static_cast<WPARAM>(pos), redraw)) : 0;
}

int GetScrollPos(HWND hwnd, int bar) {
  HWND h = BarOf(hwnd, bar);
  return h ? static_cast<int>(SendMessageW(h, SBM_GETPOS, 0, 0)) : 0;
}

BOOL SetScrollRange(HWND hwnd, int bar, int minPos, int maxPos, BOOL redraw) {
  HWND h = BarOf(hwnd, bar);
  if (!h) return FALSE;
  SendMessageW(h, redraw ? SBM_SETRANGEREDRAW : SBM_SETRANGE, static_cast<WPARAM>(minPos), maxPos);
  return TRUE;
}

BOOL GetScrollRange(HWND hwnd, int bar, int* minPos, int* maxPos) {
  HWND h = BarOf(hwnd, bar);
  if (!h) return FALSE;
  SendMessageW(h, SBM_GETRANGE, reinterpret_cast<WPARAM>(minPos), reinterpret_cast<LPARAM>(maxPos));
  return TRUE;
}

BOOL ShowScrollBar(HWND hwnd, int bar, BOOL show) {
  HWND h = BarOf(hwnd, bar);
  if (!h) return FALSE;
  ShowWindow(h, show ? SW_SHOWNA : SW_HIDE);
  return TRUE;
}
