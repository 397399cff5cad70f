// The "button" class: push buttons (also owner-drawn), check boxes, radio
// buttons and group boxes. A click is a press and a release inside the
// button with the left mouse button, or the space key; it reaches the
// parent as WM_COMMAND with BN_CLICKED.
#include <algorithm>
#include <memory>

#include "platform/controls_internal.h"

namespace platform {
namespace controls {

namespace {

struct Button {
  UINT check = BST_UNCHECKED;
  bool pushed = false;    // drawn pressed
  bool tracking = false;  // the left button went down on it and is held
  bool spaceDown = false;
  bool hot = false;       // the mouse is over it (default look only)
  bool focused = false;
  HFONT font = nullptr;
};

UINT TypeOf(HWND hwnd) { return static_cast<UINT>(GetWindowLongW(hwnd, GWL_STYLE)) & BS_TYPEMASK; }

bool IsCheckType(UINT type) {
  return type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_3STATE || type == BS_AUTO3STATE ||
         type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON;
}

bool IsRadio(UINT type) { return type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON; }

void SetPushed(HWND hwnd, Button* b, bool pushed) {
  if (b->pushed == pushed) return;
  b->pushed = pushed;
  InvalidateRect(hwnd, nullptr, TRUE);
}

bool CursorInside(HWND hwnd, POINT client) {
  RECT r;
  GetClientRect(hwnd, &r);
  return PtInRect(&r, client) != FALSE;
}

// What a click does before it is reported: the automatic kinds change
// their own state.
void Click(HWND hwnd) {
  Button* b = StateOf<Button>(hwnd);
  if (!b) return;
  UINT type = TypeOf(hwnd);
  if (type == BS_AUTOCHECKBOX) {
    SendMessageW(hwnd, BM_SETCHECK, b->check == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED, 0);
  } else if (type == BS_AUTO3STATE) {
    SendMessageW(hwnd, BM_SETCHECK, (b->check + 1) % 3, 0);
  } else if (type == BS_AUTORADIOBUTTON) {
    SendMessageW(hwnd, BM_SETCHECK, BST_CHECKED, 0);
    HWND parent = GetParent(hwnd);
    for (HWND h = GetNextDlgGroupItem(parent, hwnd, FALSE); h && h != hwnd;
         h = GetNextDlgGroupItem(parent, h, FALSE)) {
      if (TypeOf(h) == BS_AUTORADIOBUTTON && SendMessageW(h, WM_GETDLGCODE, 0, 0) & DLGC_RADIOBUTTON)
        SendMessageW(h, BM_SETCHECK, BST_UNCHECKED, 0);
    }
  }
  if (!IsWindow(hwnd)) return;
  HWND parent = GetParent(hwnd);
  if (parent)
    SendMessageW(parent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(hwnd), BN_CLICKED), reinterpret_cast<LPARAM>(hwnd));
}

UINT DrawState(HWND hwnd, const Button* b) {
  UINT state = 0;
  if (b->pushed) state |= ODS_SELECTED;
  if (!IsWindowEnabled(hwnd)) state |= ODS_DISABLED;
  if (b->focused) state |= ODS_FOCUS;
  if (b->check == BST_CHECKED) state |= ODS_CHECKED;
  return state;
}

void DrawText(HDC dc, HWND hwnd, Button* b, RECT r, UINT format) {
  int n = GetWindowTextLengthW(hwnd);
  if (n <= 0) return;
  std::wstring text(static_cast<size_t>(n) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(hwnd, &text[0], n + 1)));
  HGDIOBJ old = SelectObject(dc, FontOr(b->font));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, IsWindowEnabled(hwnd) ? look::kText : look::kGrayText);
  DWORD style = static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE));
  if (!(style & BS_MULTILINE)) format |= DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS;
  else format |= DT_WORDBREAK;
  ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, format);
  SelectObject(dc, old);
}

void PaintPushButton(HDC dc, HWND hwnd, Button* b, const RECT& client) {
  bool enabled = IsWindowEnabled(hwnd) != FALSE;
  bool isDefault = TypeOf(hwnd) == BS_DEFPUSHBUTTON || b->focused;
  COLORREF face = look::kButtonFace, border = look::kButtonBorder;
  if (!enabled) {
    face = look::kButtonFaceDisabled;
    border = look::kButtonBorderDisabled;
  } else if (b->pushed || b->check == BST_CHECKED) {
    face = look::kButtonFacePressed;
    border = look::kButtonBorderPressed;
  } else if (b->hot) {
    face = look::kButtonFaceHot;
    border = look::kButtonBorderHot;
  } else if (isDefault) {
    border = look::kButtonBorderDefault;
  }
  RoundRect(dc, client, 4, face, border);
  RECT text = client;
  InflateRect(&text, -6, -2);
  if (b->pushed) OffsetRect(&text, 0, 1);
  DWORD style = static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE));
  UINT align = (style & BS_CENTER) == BS_LEFT ? DT_LEFT : (style & BS_CENTER) == BS_RIGHT ? DT_RIGHT : DT_CENTER;
  DrawText(dc, hwnd, b, text, align | DT_NOPREFIX);
}

void PaintCheck(HDC dc, HWND hwnd, Button* b, const RECT& client) {
  bool enabled = IsWindowEnabled(hwnd) != FALSE;
  UINT type = TypeOf(hwnd);
  int box = std::min<int>(14, client.bottom - client.top);
  int top = client.top + (client.bottom - client.top - box) / 2;
  DWORD style = static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE));
  bool right = (style & BS_LEFTTEXT) != 0;
  RECT mark{right ? client.right - box : client.left, top, right ? client.right : client.left + box, top + box};
  bool on = b->check != BST_UNCHECKED;
  COLORREF border = !enabled ? look::kButtonBorderDisabled
                    : b->pushed ? look::kButtonBorderPressed
                    : b->hot    ? look::kButtonBorderHot
                                : look::kButtonBorder;
  COLORREF fill = b->pushed ? look::kButtonFacePressed : look::kWindow;
  if (on && enabled) fill = border = look::kCheckFill;
  if (on && !enabled) fill = look::kButtonBorderDisabled;
  if (IsRadio(type)) {
    Ellipse(dc, mark, fill, border);
    if (on) {
      RECT dot = mark;
      InflateRect(&dot, -box / 3, -box / 3);
      Ellipse(dc, dot, look::kCheckMark, CLR_NONE);
    }
  } else {
    RoundRect(dc, mark, 3, fill, border);
    if (b->check == BST_CHECKED) CheckMark(dc, mark, look::kCheckMark);
    if (b->check == BST_INDETERMINATE) {
      RECT bar{mark.left + 3, mark.top + box / 2 - 1, mark.right - 3, mark.top + box / 2 + 1};
      FillSolid(dc, bar, look::kCheckMark);
    }
  }
  RECT text = client;
  if (right) {
    text.right -= box + 5;
  } else {
    text.left += box + 5;
  }
  DrawText(dc, hwnd, b, text, (right ? DT_RIGHT : DT_LEFT) | DT_NOPREFIX);
}

void PaintGroupBox(HDC dc, HWND hwnd, Button* b, const RECT& client) {
  int h = FontHeight(b->font);
  RECT frame = client;
  frame.top += h / 2;
  RoundRect(dc, frame, 4, CLR_NONE, look::kButtonBorder);
  int n = GetWindowTextLengthW(hwnd);
  if (n <= 0) return;
  std::wstring text(static_cast<size_t>(n) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(hwnd, &text[0], n + 1)));
  HGDIOBJ old = SelectObject(dc, FontOr(b->font));
  SIZE s{};
  GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &s);
  RECT label{client.left + 8, client.top, std::min<LONG>(client.right - 8, client.left + 12 + s.cx),
             client.top + h};
  HBRUSH bg = reinterpret_cast<HBRUSH>(SendMessageW(GetParent(hwnd), WM_CTLCOLORBTN, reinterpret_cast<WPARAM>(dc),
                                                    reinterpret_cast<LPARAM>(hwnd)));
  if (bg) FillRect(dc, &label, bg);
  SelectObject(dc, old);
  InflateRect(&label, -2, 0);
  DrawText(dc, hwnd, b, label, DT_LEFT | DT_NOPREFIX);
}

void Paint(HWND hwnd, Button* b, HDC dc) {
  RECT client;
  GetClientRect(hwnd, &client);
  UINT type = TypeOf(hwnd);
  if (type == BS_OWNERDRAW) {
    DRAWITEMSTRUCT di{};
    di.CtlType = ODT_BUTTON;
    di.CtlID = static_cast<UINT>(GetDlgCtrlID(hwnd));
    di.itemID = 0;
    di.itemAction = ODA_DRAWENTIRE;
    di.itemState = DrawState(hwnd, b);
    di.hwndItem = hwnd;
    di.hDC = dc;
    di.rcItem = client;
    if (HWND parent = GetParent(hwnd))
      SendMessageW(parent, WM_DRAWITEM, static_cast<WPARAM>(di.CtlID), reinterpret_cast<LPARAM>(&di));
    return;
  }
  // Check boxes and group boxes show the parent's background.
  if (type != BS_PUSHBUTTON && type != BS_DEFPUSHBUTTON && type != BS_USERBUTTON) {
    HBRUSH bg = reinterpret_cast<HBRUSH>(SendMessageW(GetParent(hwnd), WM_CTLCOLORBTN,
                                                      reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(hwnd)));
    if (bg) FillRect(dc, &client, bg);
  }
  if (type == BS_GROUPBOX) {
    PaintGroupBox(dc, hwnd, b, client);
  } else if (IsCheckType(type)) {
    PaintCheck(dc, hwnd, b, client);
  } else {
    PaintPushButton(dc, hwnd, b, client);
  }
}

}  // namespace

LRESULT CALLBACK ButtonProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  Button* b = StateOf<Button>(hwnd);
  if (!b && message != WM_NCCREATE) return DefWindowProcW(hwnd, message, wParam, lParam);
  switch (message) {
    case WM_NCCREATE:
      SetState(hwnd, new Button());
      return DefWindowProcW(hwnd, message, wParam, lParam);
    case WM_NCDESTROY:
      SetState<Button>(hwnd, nullptr);
      delete b;
      return 0;
    case WM_SETFONT:
      b->font = reinterpret_cast<HFONT>(wParam);
      if (LOWORD(lParam)) InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(b->font);
    case WM_SETTEXT: {
      LRESULT r = DefWindowProcW(hwnd, message, wParam, lParam);
      InvalidateRect(hwnd, nullptr, TRUE);
      return r;
    }
    case WM_ENABLE:
      if (!wParam) {
        b->tracking = b->spaceDown = false;
        b->pushed = false;
        if (GetCapture() == hwnd) ReleaseCapture();
      }
      InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    case WM_STYLECHANGED:
      InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    case WM_ERASEBKGND:
      return 1;  // WM_PAINT covers the whole button
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      if (dc) Paint(hwnd, b, dc);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_GETDLGCODE: {
      UINT type = TypeOf(hwnd);
      if (type == BS_PUSHBUTTON || type == BS_USERBUTTON) return DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON;
      if (type == BS_DEFPUSHBUTTON) return DLGC_BUTTON | DLGC_DEFPUSHBUTTON;
      if (IsRadio(type)) return DLGC_BUTTON | DLGC_RADIOBUTTON;
      if (type == BS_GROUPBOX) return DLGC_STATIC;
      return DLGC_BUTTON;
    }
    case WM_NCHITTEST:
      if (TypeOf(hwnd) == BS_GROUPBOX) return HTTRANSPARENT;
      return DefWindowProcW(hwnd, message, wParam, lParam);
    case WM_SETFOCUS:
      b->focused = true;
      InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    case WM_KILLFOCUS:
      b->focused = false;
      b->spaceDown = false;
      if (!b->tracking) SetPushed(hwnd, b, false);
      InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      if (TypeOf(hwnd) == BS_GROUPBOX) return 0;
      SetFocus(hwnd);
      if (!IsWindow(hwnd)) return 0;
      SetCapture(hwnd);
      b->tracking = true;
      SetPushed(hwnd, b, true);
      return 0;
    case WM_MOUSEMOVE: {
      if (!b->hot) {
        b->hot = true;
        TRACKMOUSEEVENT tme{sizeof(TRACKMOUSEEVENT), TME_LEAVE, hwnd, 0};
        TrackMouseEvent(&tme);
        InvalidateRect(hwnd, nullptr, TRUE);
      }
      if (b->tracking) SetPushed(hwnd, b, CursorInside(hwnd, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}));
      return 0;
    }
    case WM_MOUSELEAVE:
      if (b->hot) {
        b->hot = false;
        InvalidateRect(hwnd, nullptr, TRUE);
      }
      return 0;
    case WM_LBUTTONUP: {
      if (!b->tracking) return 0;
      b->tracking = false;
      bool inside = CursorInside(hwnd, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      SetPushed(hwnd, b, false);
      if (GetCapture() == hwnd) ReleaseCapture();
      if (inside) Click(hwnd);
      return 0;
    }
    case WM_CAPTURECHANGED:
      if (b->tracking && reinterpret_cast<HWND>(lParam) != hwnd) {
        b->tracking = false;
        if (!b->spaceDown) SetPushed(hwnd, b, false);
      }
      return 0;
    case WM_KEYDOWN:
      if (wParam == VK_SPACE && TypeOf(hwnd) != BS_GROUPBOX) {
        b->spaceDown = true;
        SetPushed(hwnd, b, true);
        return 0;
      }
      return DefWindowProcW(hwnd, message, wParam, lParam);
    case WM_KEYUP:
      if (wParam == VK_SPACE && b->spaceDown) {
        b->spaceDown = false;
        bool wasPushed = b->pushed;
        SetPushed(hwnd, b, false);
        if (wasPushed && !b->tracking) Click(hwnd);
        return 0;
      }
      return DefWindowProcW(hwnd, message, wParam, lParam);
    case BM_GETCHECK:
      return b->check;
    case BM_SETCHECK: {
      UINT check = static_cast<UINT>(wParam) & 3;
      if (check == 3) check = BST_CHECKED;
      if (check != b->check) {
        b->check = check;
        InvalidateRect(hwnd, nullptr, TRUE);
      }
      // A checked radio button is the one its group is reached by.
      if (IsRadio(TypeOf(hwnd))) {
        DWORD style = static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE));
        DWORD want = check ? (style | WS_TABSTOP) : (style & ~WS_TABSTOP);
        if (want != style) SetWindowLongW(hwnd, GWL_STYLE, static_cast<LONG>(want));
      }
      return 0;
    }
    case BM_GETSTATE:
      return b->check | (b->pushed ? BST_PUSHED : 0) | (b->focused ? BST_FOCUS : 0);
    case BM_SETSTATE:
      SetPushed(hwnd, b, wParam != 0);
      return 0;
    case BM_SETSTYLE: {
      DWORD style = static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE));
      SetWindowLongW(hwnd, GWL_STYLE, static_cast<LONG>((style & ~BS_TYPEMASK) | (wParam & BS_TYPEMASK)));
      if (lParam) InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    }
    case BM_CLICK:
      if (IsWindowEnabled(hwnd) && TypeOf(hwnd) != BS_GROUPBOX) Click(hwnd);
      return 0;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace controls
}  // namespace platform
