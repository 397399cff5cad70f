// The control classes' registration and what the controls share: their
// notifications, fonts and the shapes of the default look.
#include "platform/commctrl.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>

#include "platform/controls_internal.h"

namespace {
DWORD g_requested = 0;

void Register(LPCWSTR name, WNDPROC proc, UINT style, LPCWSTR cursor) {
  WNDCLASSW existing;
  if (GetClassInfoW(nullptr, name, &existing)) return;
  WNDCLASSW wc{};
  wc.style = style | CS_GLOBALCLASS;
  wc.lpfnWndProc = proc;
  wc.cbWndExtra = platform::controls::kStateBytes;
  wc.hCursor = LoadCursorW(nullptr, cursor);
  wc.lpszClassName = name;
  RegisterClassW(&wc);
}
}  // namespace

BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* init) {
  using namespace platform::controls;
  if (!init || init->dwSize != sizeof(INITCOMMONCONTROLSEX)) return FALSE;
  g_requested |= init->dwICC;
  // The window classes every program has.
  Register(L"Button", ButtonProc, CS_DBLCLKS | CS_PARENTDC, IDC_ARROW);
  Register(L"ScrollBar", ScrollBarProc, CS_DBLCLKS | CS_PARENTDC, IDC_ARROW);
  if (init->dwICC & ICC_LISTVIEW_CLASSES) {
    Register(WC_HEADERW, HeaderProc, CS_DBLCLKS, IDC_ARROW);
    Register(WC_LISTVIEWW, ListViewProc, CS_DBLCLKS, IDC_ARROW);
  }
  if (init->dwICC & (ICC_BAR_CLASSES | ICC_TAB_CLASSES | ICC_TREEVIEW_CLASSES | ICC_LISTVIEW_CLASSES))
    Register(TOOLTIPS_CLASSW, ToolTipProc, CS_DBLCLKS | CS_SAVEBITS, IDC_ARROW);
  return TRUE;
}

void InitCommonControls() {
  INITCOMMONCONTROLSEX all{sizeof(INITCOMMONCONTROLSEX), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&all);
}

DWORD platform::CommonControlClassesRequested() { return g_requested; }

namespace platform {
namespace controls {

LRESULT Notify(HWND from, UINT code, NMHDR* header) {
  header->hwndFrom = from;
  header->idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(from));
  header->code = code;
  HWND parent = GetParent(from);
  if (!parent) return 0;
  return SendMessageW(parent, WM_NOTIFY, header->idFrom, reinterpret_cast<LPARAM>(header));
}

HFONT FontOr(HFONT font) { return font ? font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)); }

int FontHeight(HFONT font) {
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, FontOr(font));
  TEXTMETRICW tm{};
  GetTextMetricsW(dc, &tm);
  SelectObject(dc, old);
  DeleteDC(dc);
  return std::max<int>(1, tm.tmHeight);
}

namespace {
void Source(cairo_t* cr, COLORREF c) {
  cairo_set_source_rgb(cr, GetRValue(c) / 255.0, GetGValue(c) / 255.0, GetBValue(c) / 255.0);
}

void RoundPath(cairo_t* cr, double x, double y, double w, double h, double r) {
  r = std::min({r, w / 2, h / 2});
  cairo_new_sub_path(cr);
  cairo_arc(cr, x + w - r, y + r, r, -M_PI / 2, 0);
  cairo_arc(cr, x + w - r, y + h - r, r, 0, M_PI / 2);
  cairo_arc(cr, x + r, y + h - r, r, M_PI / 2, M_PI);
  cairo_arc(cr, x + r, y + r, r, M_PI, 3 * M_PI / 2);
  cairo_close_path(cr);
}
}  // namespace

void RoundRect(HDC dc, const RECT& rc, double radius, COLORREF fill, COLORREF border) {
  cairo_t* cr = DcBeginDraw(dc);
  if (!cr) return;
  cairo_set_antialias(cr, CAIRO_ANTIALIAS_DEFAULT);
  double w = rc.right - rc.left, h = rc.bottom - rc.top;
  if (w > 0 && h > 0) {
    if (fill != CLR_NONE) {
      RoundPath(cr, rc.left, rc.top, w, h, radius);
      Source(cr, fill);
      cairo_fill(cr);
    }
    if (border != CLR_NONE && w > 1 && h > 1) {
      RoundPath(cr, rc.left + 0.5, rc.top + 0.5, w - 1, h - 1, std::max(0.0, radius - 0.5));
      Source(cr, border);
      cairo_set_line_width(cr, 1);
      cairo_stroke(cr);
    }
  }
  cairo_destroy(cr);
}

void Ellipse(HDC dc, const RECT& rc, COLORREF fill, COLORREF border) {
  double w = rc.right - rc.left, h = rc.bottom - rc.top;
  RoundRect(dc, rc, std::min(w, h) / 2, fill, border);
}

void Chevron(HDC dc, const RECT& rc, int direction, COLORREF color) {
  cairo_t* cr = DcBeginDraw(dc);
  if (!cr) return;
  cairo_set_antialias(cr, CAIRO_ANTIALIAS_DEFAULT);
  double cx = (rc.left + rc.right) / 2.0, cy = (rc.top + rc.bottom) / 2.0;
  double s = std::max(2.0, std::min(rc.right - rc.left, rc.bottom - rc.top) / 5.0);
  double h = s / 2;
  switch (direction) {
    case 0:  // up
      cairo_move_to(cr, cx - s, cy + h);
      cairo_line_to(cr, cx, cy - h);
      cairo_line_to(cr, cx + s, cy + h);
      break;
    case 1:  // down
      cairo_move_to(cr, cx - s, cy - h);
      cairo_line_to(cr, cx, cy + h);
      cairo_line_to(cr, cx + s, cy - h);
      break;
    case 2:  // left
      cairo_move_to(cr, cx + h, cy - s);
      cairo_line_to(cr, cx - h, cy);
      cairo_line_to(cr, cx + h, cy + s);
      break;
    default:  // right
      cairo_move_to(cr, cx - h, cy - s);
      cairo_line_to(cr, cx + h, cy);
      cairo_line_to(cr, cx - h, cy + s);
      break;
  }
  Source(cr, color);
  cairo_set_line_width(cr, 1.5);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  cairo_stroke(cr);
  cairo_destroy(cr);
}

void CheckMark(HDC dc, const RECT& rc, COLORREF color) {
  cairo_t* cr = DcBeginDraw(dc);
  if (!cr) return;
  cairo_set_antialias(cr, CAIRO_ANTIALIAS_DEFAULT);
  double w = rc.right - rc.left, h = rc.bottom - rc.top;
  cairo_move_to(cr, rc.left + w * 0.22, rc.top + h * 0.52);
  cairo_line_to(cr, rc.left + w * 0.42, rc.top + h * 0.72);
  cairo_line_to(cr, rc.left + w * 0.78, rc.top + h * 0.30);
  Source(cr, color);
  cairo_set_line_width(cr, std::max(1.5, w / 7));
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  cairo_stroke(cr);
  cairo_destroy(cr);
}

void FillSolid(HDC dc, const RECT& rc, COLORREF color) {
  if (rc.right <= rc.left || rc.bottom <= rc.top) return;
  HBRUSH b = CreateSolidBrush(color);
  FillRect(dc, &rc, b);
  DeleteObject(b);
}

void HLine(HDC dc, int x1, int x2, int y, COLORREF color) { FillSolid(dc, RECT{x1, y, x2, y + 1}, color); }
void VLine(HDC dc, int x, int y1, int y2, COLORREF color) { FillSolid(dc, RECT{x, y1, x + 1, y2}, color); }

}  // namespace controls
}  // namespace platform
