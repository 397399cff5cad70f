// The header ("SysHeader32"): a row of items with a title, a width and an
// alignment, laid out from the left edge in order. Its parent places it
// with HDM_LAYOUT, which proposes a height from the font. Clicking an item
// and dragging a divider are reported to the parent.
#include <algorithm>
#include <string>
#include <vector>

#include "platform/controls_internal.h"

namespace platform {
namespace controls {

namespace {

// Room above and below the title, and beside it.
constexpr int kVerticalPad = 4;
constexpr int kTextPad = 4;
constexpr int kDividerGrip = 4;

struct Item {
  std::wstring text;
  int width = 0;
  int fmt = HDF_LEFT | HDF_STRING;
  LPARAM lParam = 0;
};

struct Header {
  std::vector<Item> items;
  HFONT font = nullptr;
  int hot = -1;
  int pressed = -1;
  bool pressedInside = false;
  int tracking = -1;  // the item whose right divider is dragged
  int trackOffset = 0;
  bool mouseTracked = false;
};

int ItemLeft(const Header* h, int index) {
  int x = 0;
  for (int i = 0; i < index; ++i) x += h->items[static_cast<size_t>(i)].width;
  return x;
}

RECT ItemRect(HWND hwnd, const Header* h, int index) {
  RECT c;
  GetClientRect(hwnd, &c);
  int left = ItemLeft(h, index);
  return RECT{left, 0, left + h->items[static_cast<size_t>(index)].width, c.bottom};
}

// The item under x and whether x is on the divider at its right edge.
int HitItem(const Header* h, int x, bool* divider) {
  *divider = false;
  int left = 0;
  for (size_t i = 0; i < h->items.size(); ++i) {
    int right = left + h->items[i].width;
    // A divider belongs to the item on its left; zero-width items keep
    // theirs reachable from the right side.
    if (x >= right - kDividerGrip && x < right + kDividerGrip) {
      size_t last = i;
      while (last + 1 < h->items.size() && h->items[last + 1].width == 0 && x >= right) ++last;
      *divider = true;
      return static_cast<int>(last);
    }
    if (x >= left && x < right) return static_cast<int>(i);
    left = right;
  }
  return -1;
}

LRESULT NotifyItem(HWND hwnd, UINT code, int item, HDITEMW* hdi) {
  NMHEADERW nm{};
  nm.iItem = item;
  nm.iButton = 0;
  nm.pitem = hdi;
  return Notify(hwnd, code, &nm.hdr);
}

// Changes an item's width as a user does: asked, changed, told.
void ChangeWidth(HWND hwnd, Header* h, int item, int width) {
  width = std::max(0, width);
  if (h->items[static_cast<size_t>(item)].width == width) return;
  HDITEMW hdi{};
  hdi.mask = HDI_WIDTH;
  hdi.cxy = width;
  if (NotifyItem(hwnd, HDN_ITEMCHANGINGW, item, &hdi)) return;
  if (!IsWindow(hwnd) || item >= static_cast<int>(h->items.size())) return;
  h->items[static_cast<size_t>(item)].width = width;
  InvalidateRect(hwnd, nullptr, TRUE);
  NotifyItem(hwnd, HDN_ITEMCHANGEDW, item, &hdi);
}

void SetItem(Header* h, int index, const HDITEMW* hdi) {
  Item& it = h->items[static_cast<size_t>(index)];
  if (hdi->mask & HDI_TEXT) it.text = hdi->pszText && hdi->pszText != LPSTR_TEXTCALLBACKW ? hdi->pszText : L"";
  if (hdi->mask & HDI_WIDTH) it.width = std::max(0, hdi->cxy);
  if (hdi->mask & HDI_FORMAT) it.fmt = hdi->fmt;
  if (hdi->mask & HDI_LPARAM) it.lParam = hdi->lParam;
}

BOOL GetItem(const Header* h, int index, HDITEMW* hdi) {
  if (!hdi || index < 0 || index >= static_cast<int>(h->items.size())) return FALSE;
  const Item& it = h->items[static_cast<size_t>(index)];
  if (hdi->mask & HDI_TEXT) {
    if (!hdi->pszText || hdi->cchTextMax <= 0) return FALSE;
    size_t n = std::min(it.text.size(), static_cast<size_t>(hdi->cchTextMax - 1));
    std::copy(it.text.begin(), it.text.begin() + static_cast<long>(n), hdi->pszText);
    hdi->pszText[n] = L'\0';
  }
  if (hdi->mask & HDI_WIDTH) hdi->cxy = it.width;
  if (hdi->mask & HDI_FORMAT) hdi->fmt = it.fmt;
  if (hdi->mask & HDI_LPARAM) hdi->lParam = it.lParam;
  if (hdi->mask & HDI_ORDER) hdi->iOrder = index;
  return TRUE;
}

void Paint(HWND hwnd, Header* h, HDC dc) {
  RECT c;
  GetClientRect(hwnd, &c);
  FillSolid(dc, c, look::kHeaderFace);
  HGDIOBJ old = SelectObject(dc, FontOr(h->font));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, IsWindowEnabled(hwnd) ? look::kHeaderText : look::kGrayText);
  DWORD style = static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE));
  int left = 0;
  for (size_t i = 0; i < h->items.size(); ++i) {
    const Item& it = h->items[i];
    RECT r{left, 0, left + it.width, c.bottom};
    left = r.right;
    if (it.width <= 0) continue;
    int index = static_cast<int>(i);
    if (h->pressed == index && h->pressedInside) {
      FillSolid(dc, r, look::kHeaderPressed);
    } else if (h->hot == index && (style & HDS_HOTTRACK)) {
      FillSolid(dc, r, look::kHeaderHot);
    }
    RECT text = r;
    InflateRect(&text, -kTextPad, 0);
    if (h->pressed == index && h->pressedInside) OffsetRect(&text, 1, 1);
    UINT align = (it.fmt & HDF_JUSTIFYMASK) == HDF_CENTER  ? DT_CENTER
                 : (it.fmt & HDF_JUSTIFYMASK) == HDF_RIGHT ? DT_RIGHT
                                                            : DT_LEFT;
    if (text.right > text.left)
      ::DrawTextW(dc, it.text.c_str(), static_cast<int>(it.text.size()), &text,
                  align | DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
    VLine(dc, r.right - 1, c.top + kVerticalPad, c.bottom - kVerticalPad, look::kHeaderDivider);
  }
  HLine(dc, 0, c.right, c.bottom - 1, look::kHeaderLine);
  SelectObject(dc, old);
}

}  // namespace

LRESULT CALLBACK HeaderProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  Header* h = StateOf<Header>(hwnd);
  if (!h && message != WM_NCCREATE) return DefWindowProcW(hwnd, message, wParam, lParam);
  int count = h ? static_cast<int>(h->items.size()) : 0;
  switch (message) {
    case WM_NCCREATE:
      SetState(hwnd, new Header());
      return DefWindowProcW(hwnd, message, wParam, lParam);
    case WM_NCDESTROY:
      SetState<Header>(hwnd, nullptr);
      delete h;
      return 0;
    case WM_SETFONT:
      h->font = reinterpret_cast<HFONT>(wParam);
      if (LOWORD(lParam)) InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(h->font);
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      if (dc) Paint(hwnd, h, dc);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_SIZE:
      InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    case HDM_GETITEMCOUNT:
      return count;
    case HDM_INSERTITEMW: {
      auto* hdi = reinterpret_cast<const HDITEMW*>(lParam);
      if (!hdi) return -1;
      int at = std::max(0, std::min(static_cast<int>(wParam), count));
      h->items.insert(h->items.begin() + at, Item());
      SetItem(h, at, hdi);
      InvalidateRect(hwnd, nullptr, TRUE);
      return at;
    }
    case HDM_DELETEITEM: {
      int at = static_cast<int>(wParam);
      if (at < 0 || at >= count) return FALSE;
      h->items.erase(h->items.begin() + at);
      if (h->hot >= static_cast<int>(h->items.size())) h->hot = -1;
      InvalidateRect(hwnd, nullptr, TRUE);
      return TRUE;
    }
    case HDM_GETITEMW:
      return GetItem(h, static_cast<int>(wParam), reinterpret_cast<HDITEMW*>(lParam));
    case HDM_SETITEMW: {
      auto* hdi = reinterpret_cast<const HDITEMW*>(lParam);
      int at = static_cast<int>(wParam);
      if (!hdi || at < 0 || at >= count) return FALSE;
      HDITEMW copy = *hdi;
      if (NotifyItem(hwnd, HDN_ITEMCHANGINGW, at, &copy)) return FALSE;
      if (!IsWindow(hwnd) || at >= static_cast<int>(h->items.size())) return FALSE;
      SetItem(h, at, hdi);
      InvalidateRect(hwnd, nullptr, TRUE);
      NotifyItem(hwnd, HDN_ITEMCHANGEDW, at, &copy);
      return TRUE;
    }
    case HDM_GETITEMRECT: {
      auto* r = reinterpret_cast<RECT*>(lParam);
      int at = static_cast<int>(wParam);
      if (!r || at < 0 || at >= count) return FALSE;
      *r = ItemRect(hwnd, h, at);
      return TRUE;
    }
    case HDM_LAYOUT: {
      auto* layout = reinterpret_cast<HDLAYOUT*>(lParam);
      if (!layout || !layout->prc || !layout->pwpos) return FALSE;
      RECT* r = layout->prc;
      DWORD style = static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE));
      int height = (style & HDS_HIDDEN) ? 0 : FontHeight(h->font) + 2 * kVerticalPad;
      height = std::min<int>(height, std::max<LONG>(0, r->bottom - r->top));
      *layout->pwpos = WINDOWPOS{hwnd, nullptr, r->left, r->top, r->right - r->left, height, SWP_NOZORDER | SWP_NOACTIVATE};
      r->top += height;
      return TRUE;
    }
    case HDM_HITTEST: {
      auto* info = reinterpret_cast<HDHITTESTINFO*>(lParam);
      if (!info) return -1;
      RECT c;
      GetClientRect(hwnd, &c);
      bool divider = false;
      info->iItem = -1;
      if (info->pt.y < 0) {
        info->flags = HHT_ABOVE;
      } else if (info->pt.y >= c.bottom) {
        info->flags = HHT_BELOW;
      } else if (info->pt.x < 0) {
        info->flags = HHT_TOLEFT;
      } else {
        info->iItem = HitItem(h, info->pt.x, &divider);
        info->flags = info->iItem < 0 ? HHT_NOWHERE : divider ? HHT_ONDIVIDER : HHT_ONHEADER;
      }
      return info->iItem;
    }
    case WM_SETCURSOR: {
      if (reinterpret_cast<HWND>(wParam) == hwnd && LOWORD(lParam) == HTCLIENT &&
          !(GetWindowLongW(hwnd, GWL_STYLE) & HDS_NOSIZING)) {
        POINT p;
        GetCursorPos(&p);
        ScreenToClient(hwnd, &p);
        bool divider = false;
        if (h->tracking >= 0 || (HitItem(h, p.x, &divider) >= 0 && divider)) {
          SetCursor(LoadCursorW(nullptr, IDC_SIZEWE));
          return TRUE;
        }
      }
      return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    case WM_LBUTTONDOWN: {
      int x = GET_X_LPARAM(lParam);
      bool divider = false;
      int item = HitItem(h, x, &divider);
      if (item < 0) return 0;
      if (divider && !(GetWindowLongW(hwnd, GWL_STYLE) & HDS_NOSIZING)) {
        HDITEMW hdi{};
        hdi.mask = HDI_WIDTH;
        hdi.cxy = h->items[static_cast<size_t>(item)].width;
        if (NotifyItem(hwnd, HDN_BEGINTRACKW, item, &hdi)) return 0;
        if (!IsWindow(hwnd) || item >= static_cast<int>(h->items.size())) return 0;
        h->tracking = item;
        h->trackOffset = x - (ItemLeft(h, item) + h->items[static_cast<size_t>(item)].width);
        SetCapture(hwnd);
        return 0;
      }
      if (GetWindowLongW(hwnd, GWL_STYLE) & HDS_BUTTONS) {
        h->pressed = item;
        h->pressedInside = true;
        SetCapture(hwnd);
        InvalidateRect(hwnd, nullptr, TRUE);
      }
      return 0;
    }
    case WM_LBUTTONDBLCLK: {
      bool divider = false;
      int item = HitItem(h, GET_X_LPARAM(lParam), &divider);
      if (item >= 0 && divider) {
        HDITEMW hdi{};
        NotifyItem(hwnd, HDN_DIVIDERDBLCLICKW, item, &hdi);
        return 0;
      }
      return HeaderProc(hwnd, WM_LBUTTONDOWN, wParam, lParam);
    }
    case WM_MOUSEMOVE: {
      int x = GET_X_LPARAM(lParam);
      if (!h->mouseTracked) {
        TRACKMOUSEEVENT tme{sizeof(TRACKMOUSEEVENT), TME_LEAVE, hwnd, 0};
        h->mouseTracked = TrackMouseEvent(&tme) != FALSE;
      }
      if (h->tracking >= 0) {
        int item = h->tracking;
        int width = x - h->trackOffset - ItemLeft(h, item);
        HDITEMW hdi{};
        hdi.mask = HDI_WIDTH;
        hdi.cxy = std::max(0, width);
        if (!NotifyItem(hwnd, HDN_TRACKW, item, &hdi) && IsWindow(hwnd) && h->tracking == item)
          ChangeWidth(hwnd, h, item, width);
        return 0;
      }
      bool divider = false;
      int item = HitItem(h, x, &divider);
      if (h->pressed >= 0) {
        bool inside = item == h->pressed && !divider;
        if (inside != h->pressedInside) {
          h->pressedInside = inside;
          InvalidateRect(hwnd, nullptr, TRUE);
        }
      }
      if (item != h->hot) {
        h->hot = item;
        if (GetWindowLongW(hwnd, GWL_STYLE) & HDS_HOTTRACK) InvalidateRect(hwnd, nullptr, TRUE);
      }
      return 0;
    }
    case WM_MOUSELEAVE:
      h->mouseTracked = false;
      if (h->hot >= 0) {
        h->hot = -1;
        if (GetWindowLongW(hwnd, GWL_STYLE) & HDS_HOTTRACK) InvalidateRect(hwnd, nullptr, TRUE);
      }
      return 0;
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED: {
      if (message == WM_CAPTURECHANGED && reinterpret_cast<HWND>(lParam) == hwnd) return 0;
      if (h->tracking >= 0) {
        int item = h->tracking;
        h->tracking = -1;
        if (message == WM_LBUTTONUP && GetCapture() == hwnd) ReleaseCapture();
        if (IsWindow(hwnd) && item < static_cast<int>(h->items.size())) {
          HDITEMW hdi{};
          hdi.mask = HDI_WIDTH;
          hdi.cxy = h->items[static_cast<size_t>(item)].width;
          NotifyItem(hwnd, HDN_ENDTRACKW, item, &hdi);
        }
        return 0;
      }
      if (h->pressed >= 0) {
        int item = h->pressed;
        bool inside = h->pressedInside;
        h->pressed = -1;
        h->pressedInside = false;
        if (message == WM_LBUTTONUP && GetCapture() == hwnd) ReleaseCapture();
        if (!IsWindow(hwnd)) return 0;
        InvalidateRect(hwnd, nullptr, TRUE);
        if (message == WM_LBUTTONUP && inside) {
          HDITEMW hdi{};
          NotifyItem(hwnd, HDN_ITEMCLICKW, item, &hdi);
        }
      }
      return 0;
    }
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace controls
}  // namespace platform
