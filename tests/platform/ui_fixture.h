// Shared by the window-layer tests: the headless backend, a window class
// that records the messages it gets, and a fixture that leaves no window
// behind.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "platform/headless.h"
#include "platform/winuser.h"
#include "platform/wnd.h"

namespace uitest {

inline const char* MessageName(UINT m) {
  static const std::map<UINT, const char*> names = {
      {WM_NCCREATE, "NCCREATE"},       {WM_NCCALCSIZE, "NCCALCSIZE"},   {WM_CREATE, "CREATE"},
      {WM_SIZE, "SIZE"},               {WM_MOVE, "MOVE"},               {WM_SHOWWINDOW, "SHOWWINDOW"},
      {WM_DESTROY, "DESTROY"},         {WM_NCDESTROY, "NCDESTROY"},     {WM_PAINT, "PAINT"},
      {WM_ERASEBKGND, "ERASEBKGND"},   {WM_NCPAINT, "NCPAINT"},         {WM_TIMER, "TIMER"},
      {WM_MOUSEMOVE, "MOUSEMOVE"},     {WM_LBUTTONDOWN, "LBUTTONDOWN"}, {WM_LBUTTONUP, "LBUTTONUP"},
      {WM_LBUTTONDBLCLK, "LBUTTONDBLCLK"}, {WM_RBUTTONDOWN, "RBUTTONDOWN"}, {WM_MOUSEHOVER, "MOUSEHOVER"},
      {WM_MOUSELEAVE, "MOUSELEAVE"},   {WM_MOUSEWHEEL, "MOUSEWHEEL"},   {WM_KEYDOWN, "KEYDOWN"},
      {WM_KEYUP, "KEYUP"},             {WM_CHAR, "CHAR"},               {WM_SETFOCUS, "SETFOCUS"},
      {WM_KILLFOCUS, "KILLFOCUS"},     {WM_ENABLE, "ENABLE"},           {WM_CLOSE, "CLOSE"},
      {WM_COMMAND, "COMMAND"},         {WM_CAPTURECHANGED, "CAPTURECHANGED"}, {WM_USER, "USER"},
      {WM_USER + 1, "USER+1"},         {WM_USER + 2, "USER+2"},         {WM_INITDIALOG, "INITDIALOG"},
  };
  auto it = names.find(m);
  return it == names.end() ? nullptr : it->second;
}

// A window object that writes "name:MESSAGE" for every message it knows.
class CRecorder : public CWnd {
 public:
  CRecorder(std::vector<std::string>* log, std::string name) : log_(log), name_(std::move(name)) {}
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (const char* n = MessageName(message)) log_->push_back(name_ + ":" + n);
    if (message == WM_PAINT && fill_ != CLR_INVALID) {
      PAINTSTRUCT ps;
      HDC dc = ::BeginPaint(m_hWnd, &ps);
      lastPaint = ps.rcPaint;
      RECT r;
      ::GetClientRect(m_hWnd, &r);
      HBRUSH b = CreateSolidBrush(fill_);
      ::FillRect(dc, &r, b);
      DeleteObject(b);
      ::EndPaint(m_hWnd, &ps);
      return 0;
    }
    if (message == WM_ERASEBKGND && fill_ != CLR_INVALID) return 1;
    return CWnd::WindowProc(message, wParam, lParam);
  }
  void Fill(COLORREF c) { fill_ = c; }
  RECT lastPaint{};

 private:
  std::vector<std::string>* log_;
  std::string name_;
  COLORREF fill_ = CLR_INVALID;
};

inline const wchar_t* PlainClass() {
  static bool registered = [] {
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = L"TestPlain";
    RegisterClassW(&wc);
    WNDCLASSW dbl = wc;
    dbl.style = CS_DBLCLKS;
    dbl.lpszClassName = L"TestDouble";
    RegisterClassW(&dbl);
    return true;
  }();
  (void)registered;
  return L"TestPlain";
}

// Destroys every top-level window and drains the loop after each test.
class UiTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(platform::headless::Use());
    PlainClass();
  }
  void TearDown() override {
    for (HWND h : platform::headless::StackingOrder()) DestroyWindow(h);
    platform::headless::Pump();
  }
  HWND Top(CWnd& wnd, int x, int y, int w, int h, DWORD style = WS_POPUP | WS_VISIBLE) {
    wnd.CreateEx(0, PlainClass(), L"", style, x, y, w, h, nullptr, nullptr);
    return wnd.m_hWnd;
  }
  HWND Child(CWnd& wnd, CWnd& parent, int id, RECT r, DWORD style = WS_CHILD | WS_VISIBLE,
             const wchar_t* cls = nullptr) {
    wnd.CreateEx(0, cls ? cls : PlainClass(), L"", style, r.left, r.top, r.right - r.left, r.bottom - r.top,
                 parent.m_hWnd, reinterpret_cast<HMENU>(static_cast<uintptr_t>(id)));
    return wnd.m_hWnd;
  }
  std::vector<std::string> log;
};

}  // namespace uitest
