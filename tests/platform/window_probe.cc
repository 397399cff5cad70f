// Test helper: a program with a window, for tests across processes and on a
// real display.
//   window_probe serve TITLE     a top-level window titled TITLE; message
//                                1124 brings it to the front and answers
//                                77, WM_USER + 1 renames it to "Renamed
//                                TITLE"; ends on WM_CLOSE ("closed")
//   window_probe send TITLE MSG  finds TITLE, sends MSG: "found",
//                                "result N" (or "missing", exit 1)
//   window_probe smoke           a borderless shaped 328 x 245 window
//                                "Lanscout Smoke" with a child control that
//                                reports its clicks ("child down X Y");
//                                ends on WM_CLOSE or after 60 s
//   window_probe message TEXT    the message box
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/app.h"
#include "platform/gdiplus.h"
#include "platform/msgbox.h"
#include "platform/textconv.h"
#include "platform/winuser.h"
#include "platform/wnd.h"

namespace {

void Say(const char* text) {
  std::printf("%s\n", text);
  std::fflush(stdout);
}

class CServed : public CWnd {
 public:
  std::wstring title;

 protected:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == WM_USER + 100) {
      Say("bring-to-front");
      SetWindowPos(&wndTopMost, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
      SetWindowPos(&wndNoTopMost, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
      return 77;
    }
    if (message == WM_USER + 1) {
      SetWindowText(L"Renamed " + title);
      Say("renamed");
      return 1;
    }
    if (message == WM_CLOSE) {
      Say("closed");
      PostQuitMessage(0);
      return 0;
    }
    return CWnd::WindowProc(message, wParam, lParam);
  }
};

int Serve(const std::wstring& title) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = DefWindowProcW;
  wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<uintptr_t>(COLOR_WINDOW + 1));
  wc.lpszClassName = L"ProbeWindow";
  RegisterClassW(&wc);
  CServed w;
  w.title = title;
  if (!w.CreateEx(0, L"ProbeWindow", title.c_str(), WS_POPUP | WS_VISIBLE, 10, 10, 200, 100, nullptr, nullptr))
    return 2;
  Say("ready");
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return 0;
}

int Send(const std::wstring& title, UINT message) {
  HWND h = FindWindowW(nullptr, title.c_str());
  if (!h) {
    Say("missing");
    return 1;
  }
  Say("found");
  LRESULT r = SendMessageW(h, message, 0, 0);
  std::printf("result %ld\n", static_cast<long>(r));
  return 0;
}

// The smoke window: dark blue, cut corners as the main window's bitmap
// region cuts them, an icon, and a light child control.
class CSmokeChild : public CWnd {
 protected:
  BOOL OnEraseBkgnd(CDC*) override { return TRUE; }
  void OnPaint() override {
    CPaintDC dc(this);
    CRect r;
    GetClientRect(&r);
    dc.FillSolidRect(&r, RGB(240, 200, 40));
  }
  void OnLButtonDown(UINT flags, CPoint p) override {
    std::printf("child down %ld %ld\n", static_cast<long>(p.x), static_cast<long>(p.y));
    std::fflush(stdout);
    CWnd::OnLButtonDown(flags, p);
  }
};

class CSmoke : public CWnd {
 public:
  CSmokeChild child;

 protected:
  BOOL OnEraseBkgnd(CDC*) override { return TRUE; }
  void OnPaint() override {
    CPaintDC dc(this);
    CRect r;
    GetClientRect(&r);
    dc.FillSolidRect(&r, RGB(20, 40, 120));
  }
  void OnTimer(UINT_PTR) override { PostQuitMessage(0); }
  void OnClose() override { PostQuitMessage(0); }
};

int Smoke() {
  Gdiplus::GdiplusStartupInput input;
  ULONG_PTR token;
  Gdiplus::GdiplusStartup(&token, &input, nullptr);
  WNDCLASSW wc{};
  wc.lpfnWndProc = DefWindowProcW;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = L"SmokeWindow";
  RegisterClassW(&wc);
  CSmoke w;
  if (!w.CreateEx(WS_EX_APPWINDOW, L"SmokeWindow", L"Lanscout Smoke", WS_POPUP, 100, 80, 328, 245, nullptr, nullptr))
    return 2;
  w.child.CreateEx(0, L"SmokeWindow", L"", WS_CHILD | WS_VISIBLE, 100, 100, 120, 40, w.m_hWnd,
                   reinterpret_cast<HMENU>(2107));
  HRGN region = CreateRectRgn(0, 0, 328, 245);
  const int runs[] = {5, 3, 2, 1};
  for (int y = 0; y < 4; ++y) {
    HRGN l = CreateRectRgn(0, y, runs[y], y + 1), r = CreateRectRgn(328 - runs[y], y, 328, y + 1);
    CombineRgn(region, region, l, RGN_XOR);
    CombineRgn(region, region, r, RGN_XOR);
    DeleteObject(l);
    DeleteObject(r);
  }
  w.SetWindowRgn(region, TRUE);
  HICON icon = LoadIconW(nullptr, IDI_APPLICATION);
  w.SetIcon(icon, TRUE);
  w.SetIcon(icon, FALSE);
  w.ShowWindow(SW_SHOW);
  w.SetTimer(1, 60000);
  Say("ready");
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  std::string mode = argv[1];
  if (mode == "serve" && argc >= 3) return Serve(Utf8ToWide(argv[2]));
  if (mode == "send" && argc >= 4) return Send(Utf8ToWide(argv[2]), static_cast<UINT>(std::atoi(argv[3])));
  if (mode == "smoke") return Smoke();
  if (mode == "message" && argc >= 3) {
    std::wstring text = Utf8ToWide(argv[2]);
    MessageBoxW(nullptr, text.c_str(), L"window_probe", MB_OK);
    Say("dismissed");
    return 0;
  }
  return 2;
}
