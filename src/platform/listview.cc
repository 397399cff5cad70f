// The list view ("SysListView32") in report view: columns shown by a header
// child window, rows of sub-item texts with a selected and a focused state,
// selection with the mouse and the keyboard, and its own vertical and
// horizontal scroll bars (child "scrollbar" windows inside the client
// area). Vertical scrolling is by whole rows, horizontal by pixels.
//
// The bars are asked for through the window's WS_VSCROLL and WS_HSCROLL
// styles: the list sets the style it needs and lets the frame be
// recalculated; a bar shows only when its style is still set afterwards,
// so a class that removes the styles in WM_NCCALCSIZE (to draw bars of its
// own) keeps the list's bars hidden.
#include <algorithm>
#include <cwctype>
#include <string>
#include <vector>

#include "platform/controls_internal.h"

namespace platform {
namespace controls {

namespace {

constexpr int kRowPad = 4;   // added to the font's height for a row
constexpr int kCellPad = 4;  // text inset in a cell
constexpr int kWheelLines = 3;

struct Column {
  std::wstring text;
  int width = 0;
  int fmt = LVCFMT_LEFT;
  int subItem = 0;
};

struct Row {
  std::vector<std::wstring> texts;  // by column
  UINT state = 0;
  LPARAM lParam = 0;
  int image = 0;
  int indent = 0;
};

struct ListView {
  HWND self = nullptr;
  HWND header = nullptr;
  HWND vbar = nullptr;
  HWND hbar = nullptr;
  std::vector<Column> columns;
  std::vector<Row> rows;
  HFONT font = nullptr;
  int rowHeight = 0;
  COLORREF textColor = CLR_DEFAULT;
  COLORREF textBkColor = CLR_NONE;
  COLORREF bkColor = look::kWindow;
  DWORD exStyle = 0;
  int focus = -1;
  int mark = -1;  // the anchor of range selection
  int top = 0;    // first row shown
  int hpos = 0;   // pixels scrolled to the right
  // Layout.
  int rowsTop = 0;
  WINDOWPOS headerPos{};
  bool layoutValid = false;
  bool inLayout = false;
  DWORD requestedBars = 0;
  bool vShown = false;
  bool hShown = false;
  RECT area{};  // the rows' area, client coordinates
  int page = 1;
  int wheelRest = 0;
  // A click in progress: NM_CLICK follows at the release.
  bool clickPending = false;
  bool rclickPending = false;
  NMITEMACTIVATE click{};
};

DWORD StyleOf(HWND hwnd) { return static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE)); }
bool Report(HWND hwnd) { return (StyleOf(hwnd) & LVS_TYPEMASK) == LVS_REPORT; }
bool SingleSel(HWND hwnd) { return (StyleOf(hwnd) & LVS_SINGLESEL) != 0; }
int Count(const ListView* lv) { return static_cast<int>(lv->rows.size()); }
bool ValidRow(const ListView* lv, int i) { return i >= 0 && i < Count(lv); }

int TotalWidth(const ListView* lv) {
  int w = 0;
  for (const Column& c : lv->columns) w += c.width;
  return w;
}

int ColumnLeft(const ListView* lv, int col) {
  int x = 0;
  for (int i = 0; i < col; ++i) x += lv->columns[static_cast<size_t>(i)].width;
  return x;
}

int BarThickness() { return GetSystemMetrics(SM_CXVSCROLL); }

UINT KeyFlags() {
  UINT f = 0;
  if (GetKeyState(VK_MENU) < 0) f |= LVKF_ALT;
  if (GetKeyState(VK_CONTROL) < 0) f |= LVKF_CONTROL;
  if (GetKeyState(VK_SHIFT) < 0) f |= LVKF_SHIFT;
  return f;
}

// ---- layout ------------------------------------------------------------------------

void PlaceChild(HWND child, int x, int y, int cx, int cy, bool show) {
  RECT r;
  GetWindowRect(child, &r);
  POINT o{r.left, r.top};
  ScreenToClient(GetParent(child), &o);
  bool visible = (GetWindowLongW(child, GWL_STYLE) & WS_VISIBLE) != 0;
  if (o.x != x || o.y != y || r.right - r.left != cx || r.bottom - r.top != cy)
    SetWindowPos(child, nullptr, x, y, cx, cy, SWP_NOZORDER | SWP_NOACTIVATE);
  if (show != visible) ShowWindow(child, show ? SW_SHOWNA : SW_HIDE);
}

// Asks the header for its place (the rows start below what it answers).
void LayoutHeader(HWND hwnd, ListView* lv, const RECT& client) {
  lv->rowsTop = 0;
  lv->headerPos = WINDOWPOS{};
  if (!lv->header) return;
  if (!Report(hwnd) || (StyleOf(hwnd) & LVS_NOCOLUMNHEADER)) return;
  RECT r = client;
  WINDOWPOS pos{};
  HDLAYOUT layout{&r, &pos};
  if (SendMessageW(lv->header, HDM_LAYOUT, 0, reinterpret_cast<LPARAM>(&layout))) {
    lv->headerPos = pos;
    lv->rowsTop = std::max<LONG>(0, r.top - client.top);
  }
}

void Layout(HWND hwnd, ListView* lv, bool full) {
  if (lv->inLayout) return;
  lv->inLayout = true;
  RECT c;
  GetClientRect(hwnd, &c);
  if (full || !lv->layoutValid) LayoutHeader(hwnd, lv, c);
  lv->layoutValid = true;
  int bw = BarThickness();
  bool report = Report(hwnd);
  bool v = false, h = false;
  for (int pass = 0; pass < 2; ++pass) {
    long long totalH = static_cast<long long>(Count(lv)) * lv->rowHeight;
    int totalW = TotalWidth(lv);
    int availH = static_cast<int>(c.bottom) - lv->rowsTop;
    v = h = false;
    if (report && !(StyleOf(hwnd) & LVS_NOSCROLL)) {
      v = totalH > availH;
      h = totalW > c.right - (v ? bw : 0);
      if (h && !v) v = totalH > availH - bw;
    }
    DWORD want = (v ? WS_VSCROLL : 0) | (h ? WS_HSCROLL : 0);
    if (want == lv->requestedBars) break;
    lv->requestedBars = want;
    DWORD style = StyleOf(hwnd);
    SetWindowLongW(hwnd, GWL_STYLE, static_cast<LONG>((style & ~(WS_VSCROLL | WS_HSCROLL)) | want));
    SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    if (!IsWindow(hwnd)) return;
    RECT now;
    GetClientRect(hwnd, &now);
    if (EqualRect(&now, &c)) break;
    c = now;
    LayoutHeader(hwnd, lv, c);
  }
  DWORD style = StyleOf(hwnd);
  lv->vShown = v && (style & WS_VSCROLL);
  lv->hShown = h && (style & WS_HSCROLL);
  lv->area = RECT{0, lv->rowsTop, c.right - (lv->vShown ? bw : 0), c.bottom - (lv->hShown ? bw : 0)};
  if (lv->area.bottom < lv->area.top) lv->area.bottom = lv->area.top;
  if (lv->area.right < 0) lv->area.right = 0;
  int areaH = lv->area.bottom - lv->area.top;
  int areaW = lv->area.right - lv->area.left;
  lv->page = std::max(1, areaH / std::max(1, lv->rowHeight));
  int maxTop = lv->vShown ? std::max(0, Count(lv) - lv->page) : 0;
  lv->top = std::max(0, std::min(lv->top, maxTop));
  int maxH = lv->hShown ? std::max(0, TotalWidth(lv) - areaW) : 0;
  lv->hpos = std::max(0, std::min(lv->hpos, maxH));

  if (lv->vbar) {
    SCROLLINFO si{sizeof(SCROLLINFO), SIF_RANGE | SIF_PAGE | SIF_POS, 0, std::max(0, Count(lv) - 1),
                  static_cast<UINT>(lv->page), lv->top, 0};
    SetScrollInfo(lv->vbar, SB_CTL, &si, TRUE);
    PlaceChild(lv->vbar, c.right - bw, 0, bw, c.bottom - (lv->hShown ? bw : 0), lv->vShown);
  }
  if (lv->hbar) {
    SCROLLINFO si{sizeof(SCROLLINFO), SIF_RANGE | SIF_PAGE | SIF_POS, 0, std::max(0, TotalWidth(lv) - 1),
                  static_cast<UINT>(std::max(0, areaW)), lv->hpos, 0};
    SetScrollInfo(lv->hbar, SB_CTL, &si, TRUE);
    PlaceChild(lv->hbar, 0, c.bottom - bw, c.right - (lv->vShown ? bw : 0), bw, lv->hShown);
  }
  if (lv->header) {
    bool show = report && !(style & LVS_NOCOLUMNHEADER) && lv->headerPos.cy > 0;
    if (show) {
      PlaceChild(lv->header, lv->headerPos.x - lv->hpos, lv->headerPos.y, areaW + lv->hpos, lv->headerPos.cy, true);
    } else {
      PlaceChild(lv->header, 0, 0, std::max(0, areaW), std::max(0, lv->headerPos.cy), false);
    }
  }
  lv->inLayout = false;
}

void InvalidateRows(HWND hwnd, ListView* lv) { InvalidateRect(hwnd, &lv->area, TRUE); }

void InvalidateRow(HWND hwnd, ListView* lv, int i) {
  if (i < lv->top || i >= lv->top + lv->page + 1) return;
  int y = lv->area.top + (i - lv->top) * lv->rowHeight;
  RECT r{lv->area.left, y, lv->area.right, y + lv->rowHeight};
  RECT clip;
  if (IntersectRect(&clip, &r, &lv->area)) InvalidateRect(hwnd, &clip, TRUE);
}

// ---- scrolling ---------------------------------------------------------------------

void ScrollTo(HWND hwnd, ListView* lv, int top) {
  int maxTop = lv->vShown ? std::max(0, Count(lv) - lv->page) : 0;
  top = std::max(0, std::min(top, maxTop));
  if (top == lv->top) return;
  lv->top = top;
  if (lv->vbar) SetScrollPos(lv->vbar, SB_CTL, top, TRUE);
  InvalidateRows(hwnd, lv);
}

void ScrollHorzTo(HWND hwnd, ListView* lv, int x) {
  int areaW = lv->area.right - lv->area.left;
  int maxH = lv->hShown ? std::max(0, TotalWidth(lv) - areaW) : 0;
  x = std::max(0, std::min(x, maxH));
  if (x == lv->hpos) return;
  lv->hpos = x;
  if (lv->hbar) SetScrollPos(lv->hbar, SB_CTL, x, TRUE);
  if (lv->header && IsWindowVisible(lv->header))
    PlaceChild(lv->header, lv->headerPos.x - x, lv->headerPos.y, areaW + x, lv->headerPos.cy, true);
  InvalidateRows(hwnd, lv);
}

void EnsureVisible(HWND hwnd, ListView* lv, int i, bool partialOk) {
  if (!ValidRow(lv, i)) return;
  if (i < lv->top) {
    ScrollTo(hwnd, lv, i);
  } else if (i >= lv->top + lv->page) {
    int areaH = lv->area.bottom - lv->area.top;
    bool partlyShown = (i - lv->top) * lv->rowHeight < areaH;
    if (!(partialOk && partlyShown)) ScrollTo(hwnd, lv, i - lv->page + 1);
  }
}

// ---- states and notifications ------------------------------------------------------------

void NotifyChanged(HWND hwnd, ListView* lv, int i, UINT oldState, UINT newState) {
  NMLISTVIEW nm{};
  nm.iItem = i;
  nm.uNewState = newState;
  nm.uOldState = oldState;
  nm.uChanged = LVIF_STATE;
  nm.lParam = ValidRow(lv, i) ? lv->rows[static_cast<size_t>(i)].lParam : 0;
  Notify(hwnd, LVN_ITEMCHANGED, &nm.hdr);
}

void SetRowState(HWND hwnd, ListView* lv, int i, UINT state, UINT mask) {
  if (!ValidRow(lv, i)) return;
  mask &= LVIS_FOCUSED | LVIS_SELECTED | LVIS_CUT | LVIS_DROPHILITED;
  Row& row = lv->rows[static_cast<size_t>(i)];
  UINT old = row.state;
  UINT now = (old & ~mask) | (state & mask);
  if (now == old) return;
  if ((now & LVIS_FOCUSED) && !(old & LVIS_FOCUSED)) {
    int previous = lv->focus;
    lv->focus = i;
    if (ValidRow(lv, previous) && previous != i) SetRowState(hwnd, lv, previous, 0, LVIS_FOCUSED);
  } else if (!(now & LVIS_FOCUSED) && (old & LVIS_FOCUSED) && lv->focus == i) {
    lv->focus = -1;
  }
  if ((now & LVIS_SELECTED) && !(old & LVIS_SELECTED) && SingleSel(hwnd)) {
    for (int j = 0; j < Count(lv); ++j)
      if (j != i && (lv->rows[static_cast<size_t>(j)].state & LVIS_SELECTED)) SetRowState(hwnd, lv, j, 0, LVIS_SELECTED);
  }
  if (!ValidRow(lv, i)) return;
  lv->rows[static_cast<size_t>(i)].state = now;
  InvalidateRow(hwnd, lv, i);
  NotifyChanged(hwnd, lv, i, old, now);
}

void SelectOnly(HWND hwnd, ListView* lv, int keep) {
  for (int j = 0; j < Count(lv); ++j)
    if (j != keep && (lv->rows[static_cast<size_t>(j)].state & LVIS_SELECTED)) SetRowState(hwnd, lv, j, 0, LVIS_SELECTED);
  if (ValidRow(lv, keep)) SetRowState(hwnd, lv, keep, LVIS_SELECTED, LVIS_SELECTED);
}

void SelectRange(HWND hwnd, ListView* lv, int from, int to, bool keepOthers) {
  if (from > to) std::swap(from, to);
  for (int j = 0; j < Count(lv); ++j) {
    bool in = j >= from && j <= to;
    if (in) {
      SetRowState(hwnd, lv, j, LVIS_SELECTED, LVIS_SELECTED);
    } else if (!keepOthers && (lv->rows[static_cast<size_t>(j)].state & LVIS_SELECTED)) {
      SetRowState(hwnd, lv, j, 0, LVIS_SELECTED);
    }
  }
}

void SetFocusRow(HWND hwnd, ListView* lv, int i) { SetRowState(hwnd, lv, i, LVIS_FOCUSED, LVIS_FOCUSED); }

int NextItem(const ListView* lv, int start, UINT flags) {
  UINT want = 0;
  if (flags & LVNI_SELECTED) want |= LVIS_SELECTED;
  if (flags & LVNI_FOCUSED) want |= LVIS_FOCUSED;
  int step = (flags & LVNI_ABOVE) ? -1 : 1;
  int i = start < 0 ? (step > 0 ? 0 : -1) : start + step;
  if (start < 0 && step < 0) return -1;
  for (; i >= 0 && i < Count(lv); i += step)
    if ((lv->rows[static_cast<size_t>(i)].state & want) == want) return i;
  return -1;
}

// ---- hit testing -----------------------------------------------------------------------------

int ColumnAt(const ListView* lv, int x) {
  int left = 0;
  for (size_t i = 0; i < lv->columns.size(); ++i) {
    int right = left + lv->columns[i].width;
    if (x >= left && x < right) return static_cast<int>(i);
    left = right;
  }
  return -1;
}

int HitTest(HWND hwnd, const ListView* lv, POINT p, UINT* flags, int* subItem) {
  RECT c;
  GetClientRect(hwnd, &c);
  *subItem = -1;
  if (p.x < 0) return *flags = LVHT_TOLEFT, -1;
  if (p.x >= c.right) return *flags = LVHT_TORIGHT, -1;
  if (p.y < lv->area.top) return *flags = LVHT_ABOVE, -1;
  if (p.y >= c.bottom) return *flags = LVHT_BELOW, -1;
  *flags = LVHT_NOWHERE;
  if (p.x >= lv->area.right || p.y >= lv->area.bottom || !Report(hwnd)) return -1;
  int row = lv->top + (p.y - lv->area.top) / std::max(1, lv->rowHeight);
  int x = p.x + lv->hpos;
  int col = ColumnAt(lv, x);
  *subItem = col;
  if (!ValidRow(lv, row) || col < 0) return -1;
  bool fullRow = (lv->exStyle & LVS_EX_FULLROWSELECT) != 0;
  if (!fullRow && col != 0) return -1;
  *flags = LVHT_ONITEMLABEL;
  return row;
}

void FillActivate(HWND hwnd, const ListView* lv, NMITEMACTIVATE* nm, POINT p) {
  *nm = NMITEMACTIVATE{};
  UINT flags = 0;
  int sub = -1;
  nm->iItem = HitTest(hwnd, lv, p, &flags, &sub);
  nm->iSubItem = std::max(0, sub);
  nm->ptAction = p;
  nm->uKeyFlags = KeyFlags();
  if (ValidRow(lv, nm->iItem)) {
    nm->uNewState = lv->rows[static_cast<size_t>(nm->iItem)].state;
    nm->lParam = lv->rows[static_cast<size_t>(nm->iItem)].lParam;
  }
}

// The selection a press of the left button makes.
void PressSelect(HWND hwnd, ListView* lv, int row, UINT keys) {
  bool ctrl = (keys & MK_CONTROL) != 0, shift = (keys & MK_SHIFT) != 0;
  bool single = SingleSel(hwnd);
  if (row < 0) {
    if (!ctrl && !shift) SelectOnly(hwnd, lv, -1);
    return;
  }
  if (shift && !single) {
    int anchor = ValidRow(lv, lv->mark) ? lv->mark : ValidRow(lv, lv->focus) ? lv->focus : row;
    lv->mark = anchor;
    SelectRange(hwnd, lv, anchor, row, ctrl);
  } else if (ctrl && !single) {
    bool selected = (lv->rows[static_cast<size_t>(row)].state & LVIS_SELECTED) != 0;
    SetRowState(hwnd, lv, row, selected ? 0 : LVIS_SELECTED, LVIS_SELECTED);
    lv->mark = row;
  } else {
    SelectOnly(hwnd, lv, row);
    lv->mark = row;
  }
  SetFocusRow(hwnd, lv, row);
  EnsureVisible(hwnd, lv, row, false);
}

// ---- keyboard ----------------------------------------------------------------------------------

void KeyDown(HWND hwnd, ListView* lv, UINT vk) {
  NMLVKEYDOWN nk{};
  nk.wVKey = static_cast<WORD>(vk);
  Notify(hwnd, LVN_KEYDOWN, &nk.hdr);
  if (!IsWindow(hwnd) || Count(lv) == 0) return;
  bool ctrl = GetKeyState(VK_CONTROL) < 0, shift = GetKeyState(VK_SHIFT) < 0;
  bool single = SingleSel(hwnd);
  int n = Count(lv);
  int cur = ValidRow(lv, lv->focus) ? lv->focus : -1;
  int target;
  switch (vk) {
    case VK_UP: target = cur <= 0 ? 0 : cur - 1; break;
    case VK_DOWN: target = cur < 0 ? 0 : std::min(cur + 1, n - 1); break;
    case VK_HOME: target = 0; break;
    case VK_END: target = n - 1; break;
    case VK_PRIOR:
      target = (cur > lv->top && cur < lv->top + lv->page) ? lv->top : std::max(0, cur - (lv->page - 1));
      break;
    case VK_NEXT: {
      int last = std::min(n - 1, lv->top + lv->page - 1);
      target = (cur >= lv->top && cur < last) ? last : std::min(n - 1, std::max(cur, 0) + lv->page - 1);
      break;
    }
    case VK_SPACE:
      if (cur < 0) return;
      if (ctrl && !single) {
        bool selected = (lv->rows[static_cast<size_t>(cur)].state & LVIS_SELECTED) != 0;
        SetRowState(hwnd, lv, cur, selected ? 0 : LVIS_SELECTED, LVIS_SELECTED);
      } else {
        SelectOnly(hwnd, lv, cur);
      }
      lv->mark = cur;
      return;
    case 'A':
      if (ctrl && !single) {
        for (int j = 0; j < n; ++j) SetRowState(hwnd, lv, j, LVIS_SELECTED, LVIS_SELECTED);
      }
      return;
    default:
      return;
  }
  if (shift && !single) {
    int anchor = ValidRow(lv, lv->mark) ? lv->mark : cur >= 0 ? cur : target;
    lv->mark = anchor;
    SelectRange(hwnd, lv, anchor, target, false);
  } else if (ctrl && !single) {
    // The focus moves alone; Ctrl+Space selects.
  } else {
    SelectOnly(hwnd, lv, target);
    lv->mark = target;
  }
  SetFocusRow(hwnd, lv, target);
  EnsureVisible(hwnd, lv, target, false);
}

// ---- rows and columns ----------------------------------------------------------------------------

void UpdateRowHeight(ListView* lv) { lv->rowHeight = FontHeight(lv->font) + kRowPad; }

int InsertRow(HWND hwnd, ListView* lv, const LVITEMW* item) {
  if (!item || item->iSubItem != 0) return -1;
  Row row;
  row.texts.resize(std::max<size_t>(1, lv->columns.size()));
  if ((item->mask & LVIF_TEXT) && item->pszText && item->pszText != LPSTR_TEXTCALLBACKW) row.texts[0] = item->pszText;
  if (item->mask & LVIF_PARAM) row.lParam = item->lParam;
  if (item->mask & LVIF_IMAGE) row.image = item->iImage;
  if (item->mask & LVIF_INDENT) row.indent = item->iIndent;
  UINT state = (item->mask & LVIF_STATE) ? (item->state & item->stateMask) : 0;
  int at = std::max(0, std::min(item->iItem, Count(lv)));
  DWORD style = StyleOf(hwnd);
  if (style & (LVS_SORTASCENDING | LVS_SORTDESCENDING)) {
    bool asc = (style & LVS_SORTASCENDING) != 0;
    auto less = [](const std::wstring& a, const std::wstring& b) {
      return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                          [](wchar_t x, wchar_t y) { return std::towlower(x) < std::towlower(y); });
    };
    at = 0;
    while (at < Count(lv)) {
      const std::wstring& t = lv->rows[static_cast<size_t>(at)].texts[0];
      if (asc ? less(row.texts[0], t) : less(t, row.texts[0])) break;
      ++at;
    }
  }
  lv->rows.insert(lv->rows.begin() + at, std::move(row));
  if (lv->focus >= at) ++lv->focus;
  if (lv->mark >= at) ++lv->mark;
  Layout(hwnd, lv, false);
  InvalidateRows(hwnd, lv);
  NMLISTVIEW nm{};
  nm.iItem = at;
  nm.lParam = lv->rows[static_cast<size_t>(at)].lParam;
  Notify(hwnd, LVN_INSERTITEM, &nm.hdr);
  if (!IsWindow(hwnd)) return -1;
  if (state) SetRowState(hwnd, lv, at, state, item->stateMask);
  return at;
}

BOOL DeleteRow(HWND hwnd, ListView* lv, int i) {
  if (!ValidRow(lv, i)) return FALSE;
  NMLISTVIEW nm{};
  nm.iItem = i;
  nm.lParam = lv->rows[static_cast<size_t>(i)].lParam;
  Notify(hwnd, LVN_DELETEITEM, &nm.hdr);
  if (!IsWindow(hwnd) || !ValidRow(lv, i)) return FALSE;
  lv->rows.erase(lv->rows.begin() + i);
  if (lv->focus == i) lv->focus = -1;
  else if (lv->focus > i) --lv->focus;
  if (lv->mark == i) lv->mark = -1;
  else if (lv->mark > i) --lv->mark;
  Layout(hwnd, lv, false);
  InvalidateRows(hwnd, lv);
  return TRUE;
}

BOOL DeleteAll(HWND hwnd, ListView* lv) {
  NMLISTVIEW nm{};
  nm.iItem = -1;
  Notify(hwnd, LVN_DELETEALLITEMS, &nm.hdr);
  if (!IsWindow(hwnd)) return FALSE;
  lv->rows.clear();
  lv->focus = lv->mark = -1;
  lv->top = 0;
  Layout(hwnd, lv, false);
  InvalidateRows(hwnd, lv);
  return TRUE;
}

void SyncHeaderItem(ListView* lv, int col, UINT mask) {
  if (!lv->header) return;
  const Column& c = lv->columns[static_cast<size_t>(col)];
  HDITEMW hdi{};
  hdi.mask = mask;
  hdi.pszText = const_cast<LPWSTR>(c.text.c_str());
  hdi.cxy = c.width;
  hdi.fmt = (c.fmt & LVCFMT_JUSTIFYMASK) | HDF_STRING;
  SendMessageW(lv->header, HDM_SETITEMW, static_cast<WPARAM>(col), reinterpret_cast<LPARAM>(&hdi));
}

int TextWidth(HWND hwnd, const ListView* lv, const std::wstring& text, HFONT font) {
  HDC dc = GetDC(hwnd);
  HGDIOBJ old = SelectObject(dc, FontOr(font));
  SIZE s{};
  GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &s);
  SelectObject(dc, old);
  ReleaseDC(hwnd, dc);
  return s.cx;
}

int AutoWidth(HWND hwnd, const ListView* lv, int col, bool useHeader) {
  int w = 0;
  for (const Row& r : lv->rows)
    if (static_cast<size_t>(col) < r.texts.size()) w = std::max(w, TextWidth(hwnd, lv, r.texts[static_cast<size_t>(col)], lv->font));
  if (useHeader) {
    HFONT hf = lv->header ? reinterpret_cast<HFONT>(SendMessageW(lv->header, WM_GETFONT, 0, 0)) : lv->font;
    w = std::max(w, TextWidth(hwnd, lv, lv->columns[static_cast<size_t>(col)].text, hf));
  }
  return w + 2 * kCellPad;
}

BOOL SetColumnWidth(HWND hwnd, ListView* lv, int col, int width) {
  if (col < 0 || col >= static_cast<int>(lv->columns.size())) return FALSE;
  if (width == LVSCW_AUTOSIZE || width == LVSCW_AUTOSIZE_USEHEADER)
    width = AutoWidth(hwnd, lv, col, width == LVSCW_AUTOSIZE_USEHEADER);
  lv->columns[static_cast<size_t>(col)].width = std::max(0, width);
  SyncHeaderItem(lv, col, HDI_WIDTH);
  Layout(hwnd, lv, false);
  InvalidateRows(hwnd, lv);
  return TRUE;
}

int InsertColumn(HWND hwnd, ListView* lv, int at, const LVCOLUMNW* col) {
  if (!col) return -1;
  at = std::max(0, std::min(at, static_cast<int>(lv->columns.size())));
  Column c;
  if ((col->mask & LVCF_TEXT) && col->pszText) c.text = col->pszText;
  if (col->mask & LVCF_WIDTH) c.width = std::max(0, col->cx);
  if (col->mask & LVCF_FMT) c.fmt = col->fmt;
  c.subItem = (col->mask & LVCF_SUBITEM) ? col->iSubItem : at;
  lv->columns.insert(lv->columns.begin() + at, c);
  for (Row& r : lv->rows)
    if (static_cast<size_t>(at) <= r.texts.size()) r.texts.insert(r.texts.begin() + at, std::wstring());
  if (lv->header) {
    HDITEMW hdi{};
    hdi.mask = HDI_TEXT | HDI_WIDTH | HDI_FORMAT;
    hdi.pszText = const_cast<LPWSTR>(c.text.c_str());
    hdi.cxy = c.width;
    hdi.fmt = (c.fmt & LVCFMT_JUSTIFYMASK) | HDF_STRING;
    SendMessageW(lv->header, HDM_INSERTITEMW, static_cast<WPARAM>(at), reinterpret_cast<LPARAM>(&hdi));
  }
  Layout(hwnd, lv, false);
  InvalidateRows(hwnd, lv);
  return at;
}

BOOL DeleteColumn(HWND hwnd, ListView* lv, int at) {
  if (at < 0 || at >= static_cast<int>(lv->columns.size())) return FALSE;
  lv->columns.erase(lv->columns.begin() + at);
  for (Row& r : lv->rows)
    if (static_cast<size_t>(at) < r.texts.size()) r.texts.erase(r.texts.begin() + at);
  if (lv->header) SendMessageW(lv->header, HDM_DELETEITEM, static_cast<WPARAM>(at), 0);
  Layout(hwnd, lv, false);
  InvalidateRows(hwnd, lv);
  return TRUE;
}

BOOL GetColumn(const ListView* lv, int at, LVCOLUMNW* col) {
  if (!col || at < 0 || at >= static_cast<int>(lv->columns.size())) return FALSE;
  const Column& c = lv->columns[static_cast<size_t>(at)];
  if (col->mask & LVCF_FMT) col->fmt = c.fmt;
  if (col->mask & LVCF_WIDTH) col->cx = c.width;
  if (col->mask & LVCF_SUBITEM) col->iSubItem = c.subItem;
  if (col->mask & LVCF_ORDER) col->iOrder = at;
  if ((col->mask & LVCF_TEXT) && col->pszText && col->cchTextMax > 0) {
    size_t n = std::min(c.text.size(), static_cast<size_t>(col->cchTextMax - 1));
    std::copy(c.text.begin(), c.text.begin() + static_cast<long>(n), col->pszText);
    col->pszText[n] = L'\0';
  }
  return TRUE;
}

BOOL SetColumn(HWND hwnd, ListView* lv, int at, const LVCOLUMNW* col) {
  if (!col || at < 0 || at >= static_cast<int>(lv->columns.size())) return FALSE;
  Column& c = lv->columns[static_cast<size_t>(at)];
  UINT mask = 0;
  if ((col->mask & LVCF_TEXT) && col->pszText) c.text = col->pszText, mask |= HDI_TEXT;
  if (col->mask & LVCF_WIDTH) c.width = std::max(0, col->cx), mask |= HDI_WIDTH;
  if (col->mask & LVCF_FMT) c.fmt = col->fmt, mask |= HDI_FORMAT;
  if (col->mask & LVCF_SUBITEM) c.subItem = col->iSubItem;
  if (mask) SyncHeaderItem(lv, at, mask);
  Layout(hwnd, lv, false);
  InvalidateRows(hwnd, lv);
  return TRUE;
}

std::wstring* TextOf(ListView* lv, int row, int sub) {
  if (!ValidRow(lv, row) || sub < 0 || sub > 4095) return nullptr;
  Row& r = lv->rows[static_cast<size_t>(row)];
  if (static_cast<size_t>(sub) >= r.texts.size()) r.texts.resize(static_cast<size_t>(sub) + 1);
  return &r.texts[static_cast<size_t>(sub)];
}

int CopyOut(const std::wstring& text, LPWSTR buffer, int count) {
  if (!buffer || count <= 0) return 0;
  int n = std::min(static_cast<int>(text.size()), count - 1);
  std::copy(text.begin(), text.begin() + n, buffer);
  buffer[n] = L'\0';
  return n;
}

BOOL GetItem(ListView* lv, LVITEMW* item) {
  if (!item || !ValidRow(lv, item->iItem)) return FALSE;
  Row& r = lv->rows[static_cast<size_t>(item->iItem)];
  if (item->mask & LVIF_TEXT) {
    std::wstring* t = TextOf(lv, item->iItem, item->iSubItem);
    if (!t) return FALSE;
    CopyOut(*t, item->pszText, item->cchTextMax);
  }
  if (item->mask & LVIF_STATE) item->state = r.state & item->stateMask;
  if (item->mask & LVIF_PARAM) item->lParam = r.lParam;
  if (item->mask & LVIF_IMAGE) item->iImage = r.image;
  if (item->mask & LVIF_INDENT) item->iIndent = r.indent;
  return TRUE;
}

BOOL SetItem(HWND hwnd, ListView* lv, const LVITEMW* item) {
  if (!item || !ValidRow(lv, item->iItem)) return FALSE;
  if (item->mask & LVIF_TEXT) {
    std::wstring* t = TextOf(lv, item->iItem, item->iSubItem);
    if (!t) return FALSE;
    *t = item->pszText && item->pszText != LPSTR_TEXTCALLBACKW ? item->pszText : L"";
  }
  Row& r = lv->rows[static_cast<size_t>(item->iItem)];
  if (item->mask & LVIF_PARAM) r.lParam = item->lParam;
  if (item->mask & LVIF_IMAGE) r.image = item->iImage;
  if (item->mask & LVIF_INDENT) r.indent = item->iIndent;
  InvalidateRow(hwnd, lv, item->iItem);
  if (item->mask & LVIF_STATE) SetRowState(hwnd, lv, item->iItem, item->state, item->stateMask);
  return TRUE;
}

BOOL ItemRect(HWND hwnd, const ListView* lv, int row, int sub, int code, RECT* out) {
  if (!out || !ValidRow(lv, row)) return FALSE;
  int y = lv->area.top + (row - lv->top) * lv->rowHeight;
  int x0 = lv->area.left - lv->hpos;
  RECT bounds{x0, y, x0 + TotalWidth(lv), y + lv->rowHeight};
  RECT label = bounds;
  if (!lv->columns.empty()) label.right = label.left + lv->columns[0].width;
  if (sub > 0) {
    if (sub >= static_cast<int>(lv->columns.size())) return FALSE;
    int left = x0 + ColumnLeft(lv, sub);
    *out = RECT{left, y, left + lv->columns[static_cast<size_t>(sub)].width, y + lv->rowHeight};
    if (code == LVIR_ICON) out->right = out->left;
    return TRUE;
  }
  switch (code) {
    case LVIR_BOUNDS: *out = bounds; break;
    case LVIR_ICON: *out = RECT{label.left, y, label.left, y + lv->rowHeight}; break;
    case LVIR_LABEL: *out = label; break;
    case LVIR_SELECTBOUNDS: *out = (lv->exStyle & LVS_EX_FULLROWSELECT) ? bounds : label; break;
    default: return FALSE;
  }
  return TRUE;
}

// ---- painting ---------------------------------------------------------------------------------------

void Paint(HWND hwnd, ListView* lv, HDC dc, const RECT& dirty) {
  RECT c;
  GetClientRect(hwnd, &c);
  bool enabled = IsWindowEnabled(hwnd) != FALSE;
  COLORREF bk = lv->bkColor == CLR_NONE ? look::kWindow : lv->bkColor;
  RECT fill;
  if (IntersectRect(&fill, &dirty, &lv->area)) FillSolid(dc, fill, bk);
  if (lv->vShown && lv->hShown) {
    int bw = BarThickness();
    FillSolid(dc, RECT{c.right - bw, c.bottom - bw, c.right, c.bottom}, look::kTrack);
  }
  if (!Report(hwnd) || lv->rowHeight <= 0 || !IntersectRect(&fill, &dirty, &lv->area)) return;

  int saved = SaveDC(dc);
  IntersectClipRect(dc, lv->area.left, lv->area.top, lv->area.right, lv->area.bottom);
  HGDIOBJ oldFont = SelectObject(dc, FontOr(lv->font));
  SetBkMode(dc, TRANSPARENT);
  COLORREF text = !enabled ? look::kGrayText : lv->textColor == CLR_DEFAULT ? look::kText : lv->textColor;
  SetTextColor(dc, text);
  bool focused = GetFocus() == hwnd;
  bool fullRow = (lv->exStyle & LVS_EX_FULLROWSELECT) != 0;
  bool grid = (lv->exStyle & LVS_EX_GRIDLINES) != 0;
  bool ownerDraw = (StyleOf(hwnd) & LVS_OWNERDRAWFIXED) != 0;
  int x0 = lv->area.left - lv->hpos;
  int totalW = TotalWidth(lv);
  int first = lv->top + std::max(0, (fill.top - lv->area.top) / lv->rowHeight);
  int last = std::min(Count(lv), lv->top + (fill.bottom - lv->area.top + lv->rowHeight - 1) / lv->rowHeight);
  for (int i = first; i < last; ++i) {
    const Row& row = lv->rows[static_cast<size_t>(i)];
    int y = lv->area.top + (i - lv->top) * lv->rowHeight;
    RECT bounds{x0, y, x0 + totalW, y + lv->rowHeight};
    if (ownerDraw) {
      DRAWITEMSTRUCT di{};
      di.CtlType = ODT_LISTVIEW;
      di.CtlID = static_cast<UINT>(GetDlgCtrlID(hwnd));
      di.itemID = static_cast<UINT>(i);
      di.itemAction = ODA_DRAWENTIRE;
      di.itemState = ((row.state & LVIS_SELECTED) ? ODS_SELECTED : 0) |
                     ((row.state & LVIS_FOCUSED) && focused ? ODS_FOCUS : 0) | (enabled ? 0 : ODS_DISABLED);
      di.hwndItem = hwnd;
      di.hDC = dc;
      di.rcItem = bounds;
      di.itemData = static_cast<ULONG_PTR>(row.lParam);
      if (HWND parent = GetParent(hwnd)) SendMessageW(parent, WM_DRAWITEM, di.CtlID, reinterpret_cast<LPARAM>(&di));
      if (!IsWindow(hwnd)) return;
      continue;
    }
    if (row.state & LVIS_SELECTED) {
      RECT sel = bounds;
      if (!fullRow && !lv->columns.empty()) sel.right = sel.left + lv->columns[0].width;
      if (grid) sel.bottom -= 1;
      FillSolid(dc, sel, focused ? look::kSelection : look::kSelectionInactive);
    } else if (lv->textBkColor != CLR_NONE && lv->textBkColor != CLR_DEFAULT) {
      FillSolid(dc, bounds, lv->textBkColor);
    }
    int left = x0;
    for (size_t col = 0; col < lv->columns.size(); ++col) {
      const Column& column = lv->columns[col];
      RECT cell{left, y, left + column.width, y + lv->rowHeight};
      left = cell.right;
      if (column.width <= 0 || cell.right <= fill.left || cell.left >= fill.right) continue;
      if (col >= row.texts.size() || row.texts[col].empty()) continue;
      RECT t = cell;
      InflateRect(&t, -kCellPad, 0);
      if (grid) t.bottom -= 1;
      if (t.right <= t.left) continue;
      UINT align = (column.fmt & LVCFMT_JUSTIFYMASK) == LVCFMT_CENTER  ? DT_CENTER
                   : (column.fmt & LVCFMT_JUSTIFYMASK) == LVCFMT_RIGHT ? DT_RIGHT
                                                                        : DT_LEFT;
      const std::wstring& s = row.texts[col];
      ::DrawTextW(dc, s.c_str(), static_cast<int>(s.size()), &t,
                  align | DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
    }
    if (grid) HLine(dc, x0, x0 + totalW, y + lv->rowHeight - 1, look::kGrid);
    if ((row.state & LVIS_FOCUSED) && focused) {
      RECT f = bounds;
      if (!fullRow && !lv->columns.empty()) f.right = f.left + lv->columns[0].width;
      if (grid) f.bottom -= 1;
      RoundRect(dc, f, 0, CLR_NONE, look::kFocusOutline);
    }
  }
  if (grid && !ownerDraw) {
    int bottom = std::min<int>(lv->area.bottom, lv->area.top + (Count(lv) - lv->top) * lv->rowHeight);
    int x = x0;
    for (const Column& column : lv->columns) {
      x += column.width;
      if (bottom > lv->area.top) VLine(dc, x - 1, lv->area.top, bottom, look::kGrid);
    }
  }
  SelectObject(dc, oldFont);
  RestoreDC(dc, saved);
}

LRESULT OnScroll(HWND hwnd, ListView* lv, bool vertical, UINT code) {
  HWND bar = vertical ? lv->vbar : lv->hbar;
  SCROLLINFO si{sizeof(SCROLLINFO), SIF_ALL, 0, 0, 0, 0, 0};
  if (bar) GetScrollInfo(bar, SB_CTL, &si);
  int pos = vertical ? lv->top : lv->hpos;
  int page = vertical ? lv->page : std::max(1, static_cast<int>(lv->area.right - lv->area.left));
  int line = vertical ? 1 : std::max(1, lv->rowHeight);
  switch (code) {
    case SB_LINEUP: pos -= line; break;
    case SB_LINEDOWN: pos += line; break;
    case SB_PAGEUP: pos -= page; break;
    case SB_PAGEDOWN: pos += page; break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: pos = si.nTrackPos; break;
    case SB_TOP: pos = 0; break;
    case SB_BOTTOM: pos = INT32_MAX / 2; break;
    default: return 0;
  }
  if (vertical) {
    ScrollTo(hwnd, lv, pos);
  } else {
    ScrollHorzTo(hwnd, lv, pos);
  }
  return 0;
}

LRESULT OnHeaderNotify(HWND hwnd, ListView* lv, NMHDR* nm) {
  auto* hn = reinterpret_cast<NMHEADERW*>(nm);
  if (nm->code == HDN_ITEMCHANGEDW && hn->pitem && (hn->pitem->mask & HDI_WIDTH) && hn->iItem >= 0 &&
      hn->iItem < static_cast<int>(lv->columns.size())) {
    lv->columns[static_cast<size_t>(hn->iItem)].width = std::max(0, hn->pitem->cxy);
    Layout(hwnd, lv, false);
    InvalidateRows(hwnd, lv);
  } else if (nm->code == HDN_ITEMCLICKW) {
    NMLISTVIEW lvn{};
    lvn.iItem = -1;
    lvn.iSubItem = hn->iItem;
    Notify(hwnd, LVN_COLUMNCLICK, &lvn.hdr);
  } else if (nm->code == HDN_DIVIDERDBLCLICKW && hn->iItem >= 0) {
    SetColumnWidth(hwnd, lv, hn->iItem, LVSCW_AUTOSIZE_USEHEADER);
  }
  return 0;
}

}  // namespace

LRESULT CALLBACK ListViewProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  ListView* lv = StateOf<ListView>(hwnd);
  if (!lv && message != WM_NCCREATE) return DefWindowProcW(hwnd, message, wParam, lParam);
  switch (message) {
    case WM_NCCREATE: {
      auto* state = new ListView();
      state->self = hwnd;
      UpdateRowHeight(state);
      SetState(hwnd, state);
      return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    case WM_CREATE: {
      DWORD style = StyleOf(hwnd);
      DWORD hs = WS_CHILD | HDS_HORZ | HDS_FULLDRAG | HDS_HOTTRACK | ((style & LVS_NOSORTHEADER) ? 0 : HDS_BUTTONS);
      lv->header = CreateWindowExW(0, WC_HEADERW, L"", hs, 0, 0, 0, 0, hwnd, nullptr, nullptr, nullptr);
      lv->vbar = CreateWindowExW(0, WC_SCROLLBARW, L"", WS_CHILD | SBS_VERT, 0, 0, 0, 0, hwnd, nullptr, nullptr, nullptr);
      lv->hbar = CreateWindowExW(0, WC_SCROLLBARW, L"", WS_CHILD | SBS_HORZ, 0, 0, 0, 0, hwnd, nullptr, nullptr, nullptr);
      if (!lv->header || !lv->vbar || !lv->hbar) return -1;
      SetOwnScrollBar(hwnd, SB_VERT, lv->vbar);
      SetOwnScrollBar(hwnd, SB_HORZ, lv->hbar);
      Layout(hwnd, lv, true);
      return 0;
    }
    case WM_NCDESTROY:
      SetOwnScrollBar(hwnd, SB_VERT, nullptr);
      SetOwnScrollBar(hwnd, SB_HORZ, nullptr);
      SetState<ListView>(hwnd, nullptr);
      delete lv;
      return 0;
    case WM_SETFONT:
      lv->font = reinterpret_cast<HFONT>(wParam);
      UpdateRowHeight(lv);
      if (lv->header) SendMessageW(lv->header, WM_SETFONT, wParam, lParam);
      Layout(hwnd, lv, true);
      InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(lv->font);
    case WM_SIZE:
      Layout(hwnd, lv, true);
      InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    case WM_STYLECHANGED:
      if (!lv->inLayout && wParam == static_cast<WPARAM>(GWL_STYLE)) {
        Layout(hwnd, lv, true);
        InvalidateRect(hwnd, nullptr, TRUE);
      }
      return 0;
    case WM_ENABLE:
      InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    case WM_ERASEBKGND:
      return 1;  // WM_PAINT fills what it paints
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      if (dc) Paint(hwnd, lv, dc, ps.rcPaint);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_SETFOCUS:
    case WM_KILLFOCUS: {
      InvalidateRows(hwnd, lv);
      NMHDR nm{};
      Notify(hwnd, message == WM_SETFOCUS ? NM_SETFOCUS : NM_KILLFOCUS, &nm);
      return 0;
    }
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_NOTIFY: {
      auto* nm = reinterpret_cast<NMHDR*>(lParam);
      if (nm && nm->hwndFrom == lv->header && lv->header) return OnHeaderNotify(hwnd, lv, nm);
      return 0;
    }
    case WM_VSCROLL:
    case WM_HSCROLL: {
      HWND from = reinterpret_cast<HWND>(lParam);
      bool vertical = message == WM_VSCROLL;
      if (from && from != (vertical ? lv->vbar : lv->hbar)) return 0;
      return OnScroll(hwnd, lv, vertical, LOWORD(wParam));
    }
    case WM_MOUSEWHEEL:
    case WM_MOUSEHWHEEL: {
      bool horizontal = message == WM_MOUSEHWHEEL || !lv->vShown;
      if (horizontal ? !lv->hShown : !lv->vShown) return DefWindowProcW(hwnd, message, wParam, lParam);
      lv->wheelRest += GET_WHEEL_DELTA_WPARAM(wParam);
      int notches = lv->wheelRest / WHEEL_DELTA;
      lv->wheelRest -= notches * WHEEL_DELTA;
      if (message == WM_MOUSEHWHEEL) notches = -notches;
      if (horizontal) {
        ScrollHorzTo(hwnd, lv, lv->hpos - notches * kWheelLines * lv->rowHeight);
      } else {
        ScrollTo(hwnd, lv, lv->top - notches * kWheelLines);
      }
      return 0;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK: {
      if (GetFocus() != hwnd) SetFocus(hwnd);
      if (!IsWindow(hwnd)) return 0;
      POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      UINT flags = 0;
      int sub = -1;
      int row = HitTest(hwnd, lv, p, &flags, &sub);
      UINT keys = static_cast<UINT>(wParam);
      bool right = message == WM_RBUTTONDOWN || message == WM_RBUTTONDBLCLK;
      if (right) {
        bool ctrl = keys & MK_CONTROL, shift = keys & MK_SHIFT;
        if (row >= 0 && !(lv->rows[static_cast<size_t>(row)].state & LVIS_SELECTED) && !ctrl && !shift) {
          PressSelect(hwnd, lv, row, 0);
        } else if (row >= 0) {
          SetFocusRow(hwnd, lv, row);
        } else if (!ctrl && !shift) {
          SelectOnly(hwnd, lv, -1);
        }
      } else {
        PressSelect(hwnd, lv, row, keys);
      }
      if (!IsWindow(hwnd)) return 0;
      NMITEMACTIVATE nm;
      FillActivate(hwnd, lv, &nm, p);
      if (message == WM_LBUTTONDBLCLK || message == WM_RBUTTONDBLCLK) {
        lv->clickPending = lv->rclickPending = false;
        Notify(hwnd, right ? NM_RDBLCLK : NM_DBLCLK, &nm.hdr);
        if (!right && IsWindow(hwnd) && nm.iItem >= 0) {
          NMITEMACTIVATE act = nm;
          Notify(hwnd, LVN_ITEMACTIVATE, &act.hdr);
        }
        return 0;
      }
      lv->click = nm;
      (right ? lv->rclickPending : lv->clickPending) = true;
      SetCapture(hwnd);
      return 0;
    }
    case WM_LBUTTONUP:
    case WM_RBUTTONUP: {
      bool right = message == WM_RBUTTONUP;
      bool& pending = right ? lv->rclickPending : lv->clickPending;
      if (!pending) return 0;
      pending = false;
      if (GetCapture() == hwnd && !lv->clickPending && !lv->rclickPending) ReleaseCapture();
      NMITEMACTIVATE nm = lv->click;
      Notify(hwnd, right ? NM_RCLICK : NM_CLICK, &nm.hdr);
      return 0;
    }
    case WM_CAPTURECHANGED:
      if (reinterpret_cast<HWND>(lParam) != hwnd) lv->clickPending = lv->rclickPending = false;
      return 0;
    case WM_KEYDOWN:
      KeyDown(hwnd, lv, static_cast<UINT>(wParam));
      return 0;

    // ---- list messages ----
    case LVM_GETBKCOLOR:
      return static_cast<LRESULT>(lv->bkColor);
    case LVM_SETBKCOLOR:
      lv->bkColor = static_cast<COLORREF>(lParam);
      InvalidateRect(hwnd, nullptr, TRUE);
      return TRUE;
    case LVM_GETTEXTCOLOR:
      return static_cast<LRESULT>(lv->textColor);
    case LVM_SETTEXTCOLOR:
      lv->textColor = static_cast<COLORREF>(lParam);
      InvalidateRows(hwnd, lv);
      return TRUE;
    case LVM_GETTEXTBKCOLOR:
      return static_cast<LRESULT>(lv->textBkColor);
    case LVM_SETTEXTBKCOLOR:
      lv->textBkColor = static_cast<COLORREF>(lParam);
      InvalidateRows(hwnd, lv);
      return TRUE;
    case LVM_GETITEMCOUNT:
      return Count(lv);
    case LVM_INSERTITEMW:
      return InsertRow(hwnd, lv, reinterpret_cast<const LVITEMW*>(lParam));
    case LVM_DELETEITEM:
      return DeleteRow(hwnd, lv, static_cast<int>(wParam));
    case LVM_DELETEALLITEMS:
      return DeleteAll(hwnd, lv);
    case LVM_GETITEMW:
      return GetItem(lv, reinterpret_cast<LVITEMW*>(lParam));
    case LVM_SETITEMW:
      return SetItem(hwnd, lv, reinterpret_cast<const LVITEMW*>(lParam));
    case LVM_GETITEMTEXTW: {
      auto* item = reinterpret_cast<LVITEMW*>(lParam);
      if (!item) return 0;
      std::wstring* t = TextOf(lv, static_cast<int>(wParam), item->iSubItem);
      if (!t) {
        if (item->pszText && item->cchTextMax > 0) item->pszText[0] = L'\0';
        return 0;
      }
      return CopyOut(*t, item->pszText, item->cchTextMax);
    }
    case LVM_SETITEMTEXTW: {
      auto* item = reinterpret_cast<const LVITEMW*>(lParam);
      if (!item) return FALSE;
      std::wstring* t = TextOf(lv, static_cast<int>(wParam), item->iSubItem);
      if (!t) return FALSE;
      *t = item->pszText && item->pszText != LPSTR_TEXTCALLBACKW ? item->pszText : L"";
      InvalidateRow(hwnd, lv, static_cast<int>(wParam));
      return TRUE;
    }
    case LVM_GETITEMSTATE: {
      int i = static_cast<int>(wParam);
      return ValidRow(lv, i) ? (lv->rows[static_cast<size_t>(i)].state & static_cast<UINT>(lParam)) : 0;
    }
    case LVM_SETITEMSTATE: {
      auto* item = reinterpret_cast<const LVITEMW*>(lParam);
      if (!item) return FALSE;
      int i = static_cast<int>(static_cast<intptr_t>(wParam));
      if (i == -1) {
        for (int j = 0; j < Count(lv); ++j) SetRowState(hwnd, lv, j, item->state, item->stateMask & ~LVIS_FOCUSED);
        return TRUE;
      }
      if (!ValidRow(lv, i)) return FALSE;
      SetRowState(hwnd, lv, i, item->state, item->stateMask);
      return TRUE;
    }
    case LVM_GETNEXTITEM:
      return NextItem(lv, static_cast<int>(static_cast<intptr_t>(wParam)), static_cast<UINT>(lParam));
    case LVM_GETSELECTEDCOUNT: {
      int n = 0;
      for (const Row& r : lv->rows) n += (r.state & LVIS_SELECTED) ? 1 : 0;
      return n;
    }
    case LVM_GETSELECTIONMARK:
      return lv->mark;
    case LVM_SETSELECTIONMARK: {
      int old = lv->mark;
      lv->mark = ValidRow(lv, static_cast<int>(lParam)) ? static_cast<int>(lParam) : -1;
      return old;
    }
    case LVM_GETITEMRECT: {
      auto* r = reinterpret_cast<RECT*>(lParam);
      return r ? ItemRect(hwnd, lv, static_cast<int>(wParam), 0, r->left, r) : FALSE;
    }
    case LVM_GETSUBITEMRECT: {
      auto* r = reinterpret_cast<RECT*>(lParam);
      return r ? ItemRect(hwnd, lv, static_cast<int>(wParam), r->top, r->left, r) : FALSE;
    }
    case LVM_HITTEST:
    case LVM_SUBITEMHITTEST: {
      auto* info = reinterpret_cast<LVHITTESTINFO*>(lParam);
      if (!info) return -1;
      int sub = -1;
      info->iItem = HitTest(hwnd, lv, info->pt, &info->flags, &sub);
      if (message == LVM_SUBITEMHITTEST) info->iSubItem = info->iItem >= 0 ? sub : -1;
      return info->iItem;
    }
    case LVM_ENSUREVISIBLE:
      if (!ValidRow(lv, static_cast<int>(wParam))) return FALSE;
      EnsureVisible(hwnd, lv, static_cast<int>(wParam), lParam != 0);
      return TRUE;
    case LVM_SCROLL: {
      int dx = static_cast<int>(static_cast<intptr_t>(wParam)), dy = static_cast<int>(lParam);
      if (dy) {
        int rows = dy / std::max(1, lv->rowHeight);
        if (rows == 0) rows = dy > 0 ? 1 : -1;
        ScrollTo(hwnd, lv, lv->top + rows);
      }
      if (dx) ScrollHorzTo(hwnd, lv, lv->hpos + dx);
      return TRUE;
    }
    case LVM_REDRAWITEMS:
      for (int i = std::max(0, static_cast<int>(wParam)); i <= static_cast<int>(lParam) && i < Count(lv); ++i)
        InvalidateRow(hwnd, lv, i);
      return TRUE;
    case LVM_GETTOPINDEX:
      return lv->top;
    case LVM_GETCOUNTPERPAGE:
      return lv->page;
    case LVM_GETHEADER:
      return reinterpret_cast<LRESULT>(lv->header);
    case LVM_GETEXTENDEDLISTVIEWSTYLE:
      return static_cast<LRESULT>(lv->exStyle);
    case LVM_SETEXTENDEDLISTVIEWSTYLE: {
      DWORD old = lv->exStyle;
      DWORD mask = wParam ? static_cast<DWORD>(wParam) : 0xFFFFFFFF;
      lv->exStyle = (old & ~mask) | (static_cast<DWORD>(lParam) & mask);
      if (old != lv->exStyle) InvalidateRows(hwnd, lv);
      return static_cast<LRESULT>(old);
    }
    case LVM_INSERTCOLUMNW:
      return InsertColumn(hwnd, lv, static_cast<int>(wParam), reinterpret_cast<const LVCOLUMNW*>(lParam));
    case LVM_DELETECOLUMN:
      return DeleteColumn(hwnd, lv, static_cast<int>(wParam));
    case LVM_GETCOLUMNW:
      return GetColumn(lv, static_cast<int>(wParam), reinterpret_cast<LVCOLUMNW*>(lParam));
    case LVM_SETCOLUMNW:
      return SetColumn(hwnd, lv, static_cast<int>(wParam), reinterpret_cast<const LVCOLUMNW*>(lParam));
    case LVM_GETCOLUMNWIDTH: {
      int col = static_cast<int>(wParam);
      return col >= 0 && col < static_cast<int>(lv->columns.size()) ? lv->columns[static_cast<size_t>(col)].width : 0;
    }
    case LVM_SETCOLUMNWIDTH:
      return SetColumnWidth(hwnd, lv, static_cast<int>(wParam), static_cast<int>(static_cast<short>(LOWORD(lParam))));
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace controls
}  // namespace platform
