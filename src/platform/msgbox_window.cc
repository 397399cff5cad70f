// The message box as a window of its own on a display: the text, an OK
// button, the caption in the window manager's title bar; Enter, Escape,
// Space, the button or the close button end it.
#include <algorithm>
#include <cwchar>

#include "platform/backend.h"
#include "platform/ui_internal.h"

namespace platform {

namespace {

const wchar_t kClass[] = L"LanscoutMessageBox";
const int kPad = 16;
const int kButtonWidth = 88;
const int kButtonHeight = 28;

struct BoxState {
  std::wstring text;
  HFONT font = nullptr;
  RECT textRect{};
  RECT button{};
  bool pressed = false;
  bool done = false;
};

BoxState* StateOf(HWND hwnd) { return reinterpret_cast<BoxState*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA)); }

void Paint(HWND hwnd, BoxState* s) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  RECT client;
  GetClientRect(hwnd, &client);
  FillRect(dc, &client, GetSysColorBrush(COLOR_WINDOW));
  RECT band{0, s->button.top - kPad / 2 - 4, client.right, client.bottom};
  FillRect(dc, &band, GetSysColorBrush(COLOR_3DFACE));
  HGDIOBJ old = SelectObject(dc, s->font);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
  RECT t = s->textRect;
  DrawTextW(dc, s->text.c_str(), static_cast<int>(s->text.size()), &t, DT_WORDBREAK | DT_NOPREFIX);
  HBRUSH face = CreateSolidBrush(s->pressed ? RGB(204, 228, 247) : RGB(225, 225, 225));
  FillRect(dc, &s->button, face);
  DeleteObject(face);
  FrameRect(dc, &s->button, GetSysColorBrush(COLOR_HIGHLIGHT));
  RECT b = s->button;
  if (s->pressed) OffsetRect(&b, 1, 1);
  DrawTextW(dc, L"OK", 2, &b, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  SelectObject(dc, old);
  EndPaint(hwnd, &ps);
}

LRESULT BoxProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  BoxState* s = StateOf(hwnd);
  if (!s) return DefWindowProcW(hwnd, message, wParam, lParam);
  POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  switch (message) {
    case WM_PAINT:
      Paint(hwnd, s);
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_LBUTTONDOWN:
      if (PtInRect(&s->button, p)) {
        s->pressed = true;
        SetCapture(hwnd);
        InvalidateRect(hwnd, &s->button, FALSE);
      }
      return 0;
    case WM_LBUTTONUP:
      if (s->pressed) {
        s->pressed = false;
        ReleaseCapture();
        InvalidateRect(hwnd, &s->button, FALSE);
        if (PtInRect(&s->button, p)) s->done = true;
      }
      return 0;
    case WM_KEYDOWN:
      if (wParam == VK_RETURN || wParam == VK_ESCAPE || wParam == VK_SPACE) s->done = true;
      return 0;
    case WM_CLOSE:
      s->done = true;
      return 0;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace

bool ShowMessageBoxWindow(HWND owner, LPCWSTR text, LPCWSTR caption, UINT) {
  Backend* b = TryBackend();
  if (!b || b->IsHeadless()) return false;
  static bool registered = false;
  if (!registered) {
    WNDCLASSW wc{};
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = BoxProc;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<uintptr_t>(COLOR_WINDOW + 1));
    wc.lpszClassName = kClass;
    registered = RegisterClassW(&wc) != 0;
    if (!registered) return false;
  }
  BoxState state;
  state.text = text ? text : L"";
  LOGFONTW lf{};
  lf.lfHeight = -13;
  lf.lfWeight = FW_NORMAL;
  std::wcsncpy(lf.lfFaceName, L"MS Shell Dlg", LF_FACESIZE - 1);
  state.font = CreateFontIndirectW(&lf);

  // Size from the text: wrapped at 420 pixels, never narrower than needed
  // for the button.
  HDC measure = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(measure, state.font);
  RECT t{0, 0, 420, 0};
  DrawTextW(measure, state.text.c_str(), static_cast<int>(state.text.size()), &t, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
  SelectObject(measure, old);
  DeleteDC(measure);
  int width = std::max<int>(t.right + 2 * kPad, std::max(kButtonWidth + 2 * kPad, 260));
  int height = kPad + (t.bottom - t.top) + kPad + kPad / 2 + kButtonHeight + kPad / 2 + 4;
  state.textRect = RECT{kPad, kPad, width - kPad, kPad + (t.bottom - t.top)};
  state.button = RECT{width - kPad - kButtonWidth, height - kPad / 2 - 4 - kButtonHeight, width - kPad,
                      height - kPad / 2 - 4};

  SIZE screen = b->ScreenSize();
  RECT area{0, 0, screen.cx, screen.cy};
  HWND top = owner ? GetAncestor(owner, GA_ROOT) : nullptr;
  if (top) GetWindowRect(top, &area);
  int x = area.left + ((area.right - area.left) - width) / 2;
  int y = area.top + ((area.bottom - area.top) - height) / 2;
  HWND box = CreateWindowExW(WS_EX_DLGMODALFRAME, kClass, caption ? caption : L"",
                             WS_POPUP | WS_CAPTION | WS_SYSMENU, std::max(0, x), std::max(0, y), width, height, top,
                             nullptr, nullptr, nullptr);
  if (!box) {
    DeleteObject(state.font);
    return false;
  }
  SetWindowLongPtrW(box, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&state));
  bool ownerEnabled = top && IsWindowEnabled(top);
  if (ownerEnabled) EnableWindow(top, FALSE);
  ShowWindow(box, SW_SHOW);
  SetFocus(box);
  RunModal([&] { return state.done || !IsWindow(box); }, nullptr);
  if (ownerEnabled && IsWindow(top)) EnableWindow(top, TRUE);
  if (IsWindow(box)) {
    SetWindowLongPtrW(box, GWLP_USERDATA, 0);
    DestroyWindow(box);
  }
  DeleteObject(state.font);
  return true;
}

}  // namespace platform
