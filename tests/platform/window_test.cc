// The window layer on the headless backend: the tree and its messages, the
// loop, painting, timers, modal runs, input, subclassing, z-order and the
// desktop queries.
#include <algorithm>
#include <chrono>
#include <thread>

#include "platform/version.h"
#include "ui_fixture.h"

using namespace uitest;
namespace hl = platform::headless;

namespace {

std::vector<std::string> Only(const std::vector<std::string>& log, const std::vector<std::string>& keep) {
  std::vector<std::string> out;
  for (const std::string& e : log) {
    std::string m = e.substr(e.find(':') + 1);
    if (std::find(keep.begin(), keep.end(), m) != keep.end()) out.push_back(e);
  }
  return out;
}

using Windows = UiTest;

TEST_F(Windows, CreationAndDestructionSendTheirMessagesInOrder) {
  CRecorder parent(&log, "P"), child(&log, "C");
  HWND p = Top(parent, 10, 10, 200, 100);
  HWND c = Child(child, parent, 7, RECT{5, 5, 50, 30});
  ASSERT_TRUE(p && c);
  std::vector<std::string> created = {"P:NCCREATE", "P:NCCALCSIZE", "P:CREATE", "P:SIZE", "P:MOVE",
                                      "C:NCCREATE", "C:NCCALCSIZE", "C:CREATE", "C:SIZE", "C:MOVE"};
  EXPECT_EQ(Only(log, {"NCCREATE", "NCCALCSIZE", "CREATE", "SIZE", "MOVE"}), created);
  EXPECT_EQ(GetDlgItem(p, 7), c);
  EXPECT_EQ(GetDlgCtrlID(c), 7);
  EXPECT_EQ(GetParent(c), p);
  log.clear();
  EXPECT_TRUE(DestroyWindow(p));
  // WM_DESTROY from the parent down, WM_NCDESTROY from the children up.
  EXPECT_EQ(Only(log, {"DESTROY", "NCDESTROY"}),
            (std::vector<std::string>{"P:DESTROY", "C:DESTROY", "C:NCDESTROY", "P:NCDESTROY"}));
  EXPECT_FALSE(IsWindow(p));
  EXPECT_FALSE(IsWindow(c));
  EXPECT_EQ(parent.m_hWnd, nullptr);
  // A new window never takes over a dead handle.
  CRecorder again(&log, "A");
  HWND a = Top(again, 0, 0, 10, 10);
  EXPECT_NE(a, p);
  EXPECT_FALSE(IsWindow(p));
}

class CFailingCreate : public CWnd {
 protected:
  int OnCreate(LPCREATESTRUCTW) override { return -1; }
};

TEST_F(Windows, CreateAnswerOfMinusOneMeansNoWindow) {
  CFailingCreate w;
  EXPECT_FALSE(w.CreateEx(0, PlainClass(), L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
  EXPECT_EQ(w.m_hWnd, nullptr);
  EXPECT_EQ(CreateWindowExW(0, L"NoSuchClass", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr),
            nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CANNOT_FIND_WND_CLASS));
}

TEST_F(Windows, ClassesAreNamedWithoutRegardToCaseAndKeepTheirCursor) {
  WNDCLASSW wc{};
  ASSERT_TRUE(GetClassInfoW(nullptr, L"testplain", &wc));
  EXPECT_EQ(wc.lpfnWndProc, &DefWindowProcW);
  WNDCLASSW hand = wc;
  hand.lpszClassName = L"TestHand";
  hand.hCursor = LoadCursorW(nullptr, IDC_HAND);
  EXPECT_NE(RegisterClassW(&hand), 0);
  EXPECT_EQ(RegisterClassW(&hand), 0);  // already there
  EXPECT_TRUE(AfxRegisterClass(&hand));  // fine for the class library
  CWnd top;
  Top(top, 0, 0, 100, 100);
  CWnd child;
  ASSERT_TRUE(Child(child, top, 1, RECT{0, 0, 50, 50}, WS_CHILD | WS_VISIBLE, L"TestHand"));
  wchar_t name[64];
  EXPECT_EQ(GetClassNameW(child, name, 64), 8);
  EXPECT_STREQ(name, L"TestHand");
  hl::MouseMove(child, 10, 10);
  hl::Pump();
  EXPECT_EQ(hl::StateOf(top).cursor, 1);  // hand
  hl::MouseMove(top, 80, 80);
  hl::Pump();
  EXPECT_EQ(hl::StateOf(top).cursor, 0);
}

TEST_F(Windows, GeometryShowAndEnable) {
  CRecorder top(&log, "T"), child(&log, "C");
  Top(top, 100, 50, 300, 200);
  Child(child, top, 1, RECT{10, 20, 60, 50}, WS_CHILD | WS_VISIBLE | WS_BORDER);
  RECT r;
  GetClientRect(child, &r);
  EXPECT_EQ(r.right, 48);  // one-pixel border on each side
  EXPECT_EQ(r.bottom, 28);
  GetWindowRect(child, &r);
  EXPECT_EQ(r.left, 110);
  EXPECT_EQ(r.top, 70);
  POINT p{0, 0};
  ClientToScreen(child, &p);
  EXPECT_EQ(p.x, 111);
  EXPECT_EQ(p.y, 71);
  log.clear();
  MoveWindow(child, 5, 6, 70, 40, TRUE);
  EXPECT_EQ(Only(log, {"SIZE", "MOVE"}), (std::vector<std::string>{"C:SIZE", "C:MOVE"}));
  GetWindowRect(child, &r);
  EXPECT_EQ(r.left, 105);
  EXPECT_EQ(r.right - r.left, 70);
  log.clear();
  ShowWindow(child, SW_HIDE);
  EXPECT_FALSE(IsWindowVisible(child));
  ShowWindow(child, SW_SHOW);
  EXPECT_TRUE(IsWindowVisible(child));
  EXPECT_EQ(Only(log, {"SHOWWINDOW"}), (std::vector<std::string>{"C:SHOWWINDOW", "C:SHOWWINDOW"}));
  log.clear();
  EXPECT_FALSE(EnableWindow(child, FALSE));  // it was enabled
  EXPECT_TRUE(EnableWindow(child, TRUE));    // it was disabled
  EXPECT_EQ(Only(log, {"ENABLE"}), (std::vector<std::string>{"C:ENABLE", "C:ENABLE"}));
  EXPECT_TRUE(SetWindowTextW(child, L"text"));
  wchar_t buf[8];
  EXPECT_EQ(GetWindowTextW(child, buf, 3), 2);  // cut to the buffer
  EXPECT_STREQ(buf, L"te");
}

using Messages = UiTest;

class CAnswer : public CRecorder {
 public:
  using CRecorder::CRecorder;
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    LRESULT r = CRecorder::WindowProc(message, wParam, lParam);
    return message == WM_USER ? static_cast<LRESULT>(wParam * 2) : r;
  }
};

TEST_F(Messages, SendRunsAtOncePostWaitsForTheLoop) {
  CAnswer w(&log, "W");
  Top(w, 0, 0, 10, 10);
  log.clear();
  EXPECT_EQ(SendMessageW(w, WM_USER, 21, 0), 42);
  EXPECT_EQ(log, (std::vector<std::string>{"W:USER"}));
  log.clear();
  EXPECT_TRUE(PostMessageW(w, WM_USER + 1, 0, 0));
  EXPECT_TRUE(PostMessageW(w, WM_USER + 2, 0, 0));
  EXPECT_TRUE(log.empty());
  hl::Pump();
  EXPECT_EQ(Only(log, {"USER+1", "USER+2"}), (std::vector<std::string>{"W:USER+1", "W:USER+2"}));
  // A message posted to a window that is gone is dropped.
  PostMessageW(w, WM_USER + 1, 0, 0);
  HWND h = w.m_hWnd;
  DestroyWindow(h);
  log.clear();
  hl::Pump();
  EXPECT_TRUE(Only(log, {"USER+1"}).empty());
}

TEST_F(Messages, PostFromAnotherThreadWakesAWaitingLoop) {
  CRecorder w(&log, "W");
  Top(w, 0, 0, 10, 10);
  hl::Pump();
  HWND h = w.m_hWnd;
  std::thread poster([h] {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    PostMessageW(h, WM_USER + 2, 0, 0);
  });
  MSG msg;
  ASSERT_TRUE(GetMessageW(&msg, nullptr, 0, 0));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 2));
  poster.join();
}

TEST_F(Messages, QuitEndsTheLoopWithItsCode) {
  PostQuitMessage(5);
  MSG msg;
  EXPECT_FALSE(GetMessageW(&msg, nullptr, 0, 0));
  EXPECT_EQ(msg.wParam, 5u);
}

using Paint = UiTest;

TEST_F(Paint, InvalidationsMergeIntoOneEraseAndOnePaint) {
  CRecorder w(&log, "W");
  Top(w, 0, 0, 100, 100);
  hl::Pump();
  log.clear();
  RECT first{10, 10, 20, 20};
  InvalidateRect(w, &first, TRUE);
  RECT second{30, 40, 50, 60};
  InvalidateRect(w, &second, FALSE);
  EXPECT_TRUE(log.empty());  // nothing before the loop runs
  hl::Pump();
  EXPECT_EQ(Only(log, {"ERASEBKGND", "PAINT"}), (std::vector<std::string>{"W:PAINT", "W:ERASEBKGND"}));
  log.clear();
  InvalidateRect(w, &second, FALSE);
  hl::Pump();
  EXPECT_EQ(Only(log, {"ERASEBKGND", "PAINT"}), (std::vector<std::string>{"W:PAINT"}));
  // UpdateWindow paints at once.
  log.clear();
  InvalidateRect(w, nullptr, TRUE);
  UpdateWindow(w);
  EXPECT_EQ(Only(log, {"PAINT"}), (std::vector<std::string>{"W:PAINT"}));
}

class CPaintLog : public CWnd {
 public:
  CPaintLog(std::vector<std::string>* log, std::string name, COLORREF c) : log_(log), name_(name), color_(c) {}
  RECT lastPaint{};
  BOOL lastErase = FALSE;

 protected:
  BOOL OnEraseBkgnd(CDC*) override {
    log_->push_back(name_ + ":ERASEBKGND");
    return TRUE;
  }
  void OnPaint() override {
    CPaintDC dc(this);
    log_->push_back(name_ + ":PAINT");
    lastPaint = dc.m_ps.rcPaint;
    lastErase = dc.m_ps.fErase;
    RECT r;
    GetClientRect(&r);
    dc.FillSolidRect(&r, color_);
  }

 private:
  std::vector<std::string>* log_;
  std::string name_;
  COLORREF color_;
};

TEST_F(Paint, EraseComesBeforePaintAndTheRectIsTheMergedArea) {
  CPaintLog w(&log, "W", RGB(0, 0, 255));
  Top(w, 0, 0, 100, 100);
  hl::Pump();
  log.clear();
  RECT a{10, 10, 20, 20}, b{30, 40, 50, 60};
  InvalidateRect(w, &a, TRUE);
  InvalidateRect(w, &b, TRUE);
  hl::Pump();
  EXPECT_EQ(log, (std::vector<std::string>{"W:ERASEBKGND", "W:PAINT"}));
  EXPECT_EQ(w.lastPaint.left, 10);
  EXPECT_EQ(w.lastPaint.top, 10);
  EXPECT_EQ(w.lastPaint.right, 50);
  EXPECT_EQ(w.lastPaint.bottom, 60);
  EXPECT_FALSE(w.lastErase);  // the handler erased
  EXPECT_EQ(hl::ScreenPixel(w, 45, 45), RGB(0, 0, 255));
}

TEST_F(Paint, AParentPaintedOverItsChildrenRepaintsThemUnlessItClipsThem) {
  struct Case {
    DWORD parentStyle;
    bool childRepainted;
  } cases[] = {{WS_POPUP | WS_VISIBLE, true}, {WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, false}};
  for (const Case& c : cases) {
    log.clear();
    CPaintLog parent(&log, "P", RGB(255, 0, 0)), child(&log, "C", RGB(0, 255, 0));
    Top(parent, 0, 0, 100, 100, c.parentStyle);
    Child(child, parent, 1, RECT{10, 10, 40, 40});
    hl::Pump();
    EXPECT_EQ(log, (std::vector<std::string>{"P:ERASEBKGND", "P:PAINT", "C:ERASEBKGND", "C:PAINT"}));
    log.clear();
    InvalidateRect(parent, nullptr, TRUE);
    hl::Pump();
    std::vector<std::string> expected{"P:ERASEBKGND", "P:PAINT"};
    if (c.childRepainted) expected.insert(expected.end(), {"C:ERASEBKGND", "C:PAINT"});
    EXPECT_EQ(log, expected);
    // Either way the screen shows the child on top of the parent.
    EXPECT_EQ(hl::ScreenPixel(parent, 20, 20), RGB(0, 255, 0));
    EXPECT_EQ(hl::ScreenPixel(parent, 60, 60), RGB(255, 0, 0));
    parent.DestroyWindow();
  }
}

class CPainter : public CWnd {
 public:
  explicit CPainter(COLORREF c) : color_(c) {}

 protected:
  BOOL OnEraseBkgnd(CDC*) override { return TRUE; }
  void OnPaint() override {
    CPaintDC dc(this);
    // Far more than the client area: the child is clipped to its rectangle.
    dc.FillSolidRect(-50, -50, 500, 500, color_);
  }

 private:
  COLORREF color_;
};

TEST_F(Paint, ChildrenAreClippedToTheirRectanglesAndOnlyTheDirtyPartIsPresented) {
  CPainter parent(RGB(255, 255, 255)), child(RGB(0, 0, 0));
  Top(parent, 0, 0, 100, 100);
  Child(child, parent, 1, RECT{20, 20, 30, 30});
  hl::Pump();
  EXPECT_EQ(hl::ScreenPixel(parent, 19, 19), RGB(255, 255, 255));
  EXPECT_EQ(hl::ScreenPixel(parent, 20, 20), RGB(0, 0, 0));
  EXPECT_EQ(hl::ScreenPixel(parent, 29, 29), RGB(0, 0, 0));
  EXPECT_EQ(hl::ScreenPixel(parent, 30, 30), RGB(255, 255, 255));
  hl::ResetPresentCounts(parent);
  InvalidateRect(child, nullptr, FALSE);
  hl::Pump();
  platform::headless::NativeState s = hl::StateOf(parent);
  EXPECT_EQ(s.presents, 1);
  EXPECT_EQ(s.presentedPixels, 100);  // the child's 10 x 10 pixels, nothing more
  EXPECT_EQ(s.lastPresented.left, 20);
  EXPECT_EQ(s.lastPresented.bottom, 30);
}

using Timers = UiTest;

TEST_F(Timers, FireOnTheVirtualClockAndNeverPileUp) {
  CRecorder w(&log, "W");
  Top(w, 0, 0, 10, 10);
  hl::Pump();
  EXPECT_EQ(hl::NextTimeout(), -1);  // nothing to wake for
  log.clear();
  EXPECT_EQ(SetTimer(w, 1, 1000, nullptr), 1u);
  EXPECT_EQ(hl::NextTimeout(), 1000);
  hl::AdvanceClock(999);
  hl::Pump();
  EXPECT_TRUE(Only(log, {"TIMER"}).empty());
  hl::AdvanceClock(1);
  hl::Pump();
  EXPECT_EQ(Only(log, {"TIMER"}).size(), 1u);
  log.clear();
  hl::AdvanceClock(5000);  // five periods late: one WM_TIMER
  hl::Pump();
  EXPECT_EQ(Only(log, {"TIMER"}).size(), 1u);
  EXPECT_TRUE(KillTimer(w, 1));
  EXPECT_FALSE(KillTimer(w, 1));
  log.clear();
  hl::AdvanceClock(5000);
  hl::Pump();
  EXPECT_TRUE(Only(log, {"TIMER"}).empty());
  EXPECT_EQ(hl::NextTimeout(), -1);
}

TEST_F(Timers, AWaitingLoopJumpsToTheNextTimer) {
  CRecorder w(&log, "W");
  Top(w, 0, 0, 10, 10);
  hl::Pump();
  DWORD start = hl::Now();
  SetTimer(w, 3, 250, nullptr);
  MSG msg;
  do {
    ASSERT_TRUE(GetMessageW(&msg, nullptr, 0, 0));
    DispatchMessageW(&msg);
  } while (msg.message != WM_TIMER);
  EXPECT_EQ(hl::Now() - start, 250u);
  EXPECT_EQ(msg.wParam, 3u);
}

using Modal = UiTest;

class CTestDialog : public CDialog {
 public:
  CTestDialog() : CDialog(9001u) {}
  std::vector<std::string> events;
  UINT endByTimer = 0;

 protected:
  BOOL OnInitDialog() override {
    CDialog::OnInitDialog();
    events.push_back("init");
    SetWindowText(L"Test Dialog");
    if (endByTimer) SetTimer(1, 3000);
    return TRUE;
  }
  void OnTimer(UINT_PTR) override { EndDialog(static_cast<int>(endByTimer)); }
};

void RegisterTestTemplate() {
  DLGTEMPLATE_DESC t{};
  t.style = WS_POPUP | WS_VISIBLE | DS_SETFONT;
  t.exStyle = WS_EX_APPWINDOW;
  t.cx = 160;
  t.cy = 100;
  t.pointSize = 9;
  t.faceName = L"MS Shell Dlg";
  platform::RegisterDialogTemplate(9001, t);
}

TEST_F(Modal, TheRunEndsByEnterEscapeCloseRequestOrEndDialog) {
  RegisterTestTemplate();
  struct Case {
    const char* name;
    int how;  // 0 Enter, 1 Escape, 2 close request, 3 EndDialog from a timer
    INT_PTR result;
  } cases[] = {{"enter", 0, IDOK}, {"escape", 1, IDCANCEL}, {"close", 2, IDCANCEL}, {"timer", 3, 42}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CTestDialog dlg;
    if (c.how == 3) dlg.endByTimer = 42;
    hl::OnIdle([&] {
      HWND h = FindWindowW(nullptr, L"Test Dialog");
      ASSERT_TRUE(h);
      EXPECT_TRUE(IsWindowVisible(h));
      if (c.how == 0) hl::Key(VK_RETURN);
      if (c.how == 1) hl::Key(VK_ESCAPE);
      if (c.how == 2) hl::CloseRequest(h);
    });
    DWORD start = hl::Now();
    EXPECT_EQ(dlg.DoModal(), c.result);
    EXPECT_EQ(dlg.events, (std::vector<std::string>{"init"}));
    EXPECT_EQ(dlg.m_hWnd, nullptr);
    EXPECT_FALSE(FindWindowW(nullptr, L"Test Dialog"));
    if (c.how == 3) {
      EXPECT_EQ(hl::Now() - start, 3000u);
    }
  }
}

TEST_F(Modal, AnUnknownTemplateGivesMinusOne) {
  CDialog dlg(12345u);
  EXPECT_EQ(dlg.DoModal(), -1);
}

using Input = UiTest;

class CTracker : public CRecorder {
 public:
  using CRecorder::CRecorder;
  bool tracking = false;

 protected:
  void OnMouseMove(UINT flags, CPoint p) override {
    if (!tracking) {
      TRACKMOUSEEVENT t{sizeof t, TME_HOVER | TME_LEAVE, m_hWnd, 1};
      tracking = _TrackMouseEvent(&t) != FALSE;
    }
    CWnd::OnMouseMove(flags, p);
  }
  void OnMouseLeave() override {
    tracking = false;
    CWnd::OnMouseLeave();
  }
};

TEST_F(Input, HoverAfterItsTimeAndLeaveWhenTheMouseGoes) {
  CRecorder top(&log, "T");
  CTracker button(&log, "B");
  Top(top, 0, 0, 200, 100);
  Child(button, top, 1, RECT{10, 10, 60, 40});
  hl::Pump();
  log.clear();
  hl::MouseMove(button, 5, 5);
  hl::Pump();
  EXPECT_EQ(Only(log, {"MOUSEMOVE", "MOUSEHOVER", "MOUSELEAVE"}), (std::vector<std::string>{"B:MOUSEMOVE"}));
  hl::AdvanceClock(1);
  hl::Pump();
  EXPECT_EQ(Only(log, {"MOUSEHOVER"}), (std::vector<std::string>{"B:MOUSEHOVER"}));
  hl::AdvanceClock(100);
  hl::Pump();
  EXPECT_EQ(Only(log, {"MOUSEHOVER"}).size(), 1u);  // once per request
  log.clear();
  hl::MouseMove(top, 150, 50);
  hl::Pump();
  EXPECT_EQ(Only(log, {"MOUSEMOVE", "MOUSELEAVE"}), (std::vector<std::string>{"B:MOUSELEAVE", "T:MOUSEMOVE"}));
  EXPECT_FALSE(button.tracking);
  // Leaving the whole window counts as well.
  hl::MouseMove(button, 5, 5);
  hl::Pump();
  log.clear();
  hl::MouseLeave(top);
  hl::Pump();
  EXPECT_EQ(Only(log, {"MOUSELEAVE"}), (std::vector<std::string>{"B:MOUSELEAVE"}));
}

TEST_F(Input, TheCaptureGetsTheMouseEverywhere) {
  CRecorder top(&log, "T"), child(&log, "C");
  Top(top, 0, 0, 200, 100);
  Child(child, top, 1, RECT{10, 10, 60, 40});
  hl::Pump();
  SetCapture(child);
  EXPECT_EQ(GetCapture(), child.m_hWnd);
  log.clear();
  hl::MouseDown(top, 150, 80);
  hl::Pump();
  EXPECT_EQ(Only(log, {"LBUTTONDOWN"}), (std::vector<std::string>{"C:LBUTTONDOWN"}));
  log.clear();
  ReleaseCapture();
  EXPECT_EQ(Only(log, {"CAPTURECHANGED"}), (std::vector<std::string>{"C:CAPTURECHANGED"}));
  hl::MouseUp(top, 150, 80);
  hl::Pump();
  EXPECT_EQ(Only(log, {"LBUTTONUP"}), (std::vector<std::string>{"T:LBUTTONUP"}));
}

TEST_F(Input, DisabledWindowsGetNoClicks) {
  CRecorder top(&log, "T"), child(&log, "C");
  Top(top, 0, 0, 200, 100);
  Child(child, top, 1, RECT{10, 10, 60, 40});
  EnableWindow(child, FALSE);
  hl::Pump();
  log.clear();
  hl::Click(child, 5, 5);
  hl::Pump();
  // The parent under it gets the click.
  EXPECT_EQ(Only(log, {"LBUTTONDOWN", "LBUTTONUP"}), (std::vector<std::string>{"T:LBUTTONDOWN", "T:LBUTTONUP"}));
  log.clear();
  EnableWindow(top, FALSE);
  hl::Click(child, 5, 5);
  hl::Pump();
  EXPECT_TRUE(Only(log, {"LBUTTONDOWN", "LBUTTONUP"}).empty());
}

TEST_F(Input, DoubleClicksNeedTheClassStyleAndTheTime) {
  CRecorder top(&log, "T"), plain(&log, "P"), dbl(&log, "D");
  Top(top, 0, 0, 200, 100);
  Child(plain, top, 1, RECT{0, 0, 50, 50});
  Child(dbl, top, 2, RECT{100, 0, 150, 50}, WS_CHILD | WS_VISIBLE, L"TestDouble");
  hl::Pump();
  log.clear();
  hl::DoubleClick(plain, 5, 5);
  hl::DoubleClick(dbl, 5, 5);
  hl::Pump();
  EXPECT_EQ(Only(log, {"LBUTTONDOWN", "LBUTTONDBLCLK"}),
            (std::vector<std::string>{"P:LBUTTONDOWN", "P:LBUTTONDOWN", "D:LBUTTONDOWN", "D:LBUTTONDBLCLK"}));
  log.clear();
  hl::Click(dbl, 5, 5);
  hl::AdvanceClock(GetDoubleClickTime() + 1);
  hl::Click(dbl, 5, 5);
  hl::Pump();
  EXPECT_EQ(Only(log, {"LBUTTONDOWN", "LBUTTONDBLCLK"}),
            (std::vector<std::string>{"D:LBUTTONDOWN", "D:LBUTTONDOWN"}));
}

TEST_F(Input, KeysGoToTheFocusedWindowAndTheWheelUpTheTree) {
  CRecorder top(&log, "T"), child(&log, "C");
  Top(top, 0, 0, 200, 100);
  Child(child, top, 1, RECT{0, 0, 50, 50});
  hl::Pump();
  log.clear();
  SetFocus(child);
  EXPECT_EQ(GetFocus(), child.m_hWnd);
  EXPECT_EQ(Only(log, {"SETFOCUS", "KILLFOCUS"}), (std::vector<std::string>{"T:KILLFOCUS", "C:SETFOCUS"}));
  log.clear();
  hl::Key('A');
  hl::Pump();
  EXPECT_EQ(Only(log, {"KEYDOWN", "CHAR", "KEYUP"}), (std::vector<std::string>{"C:KEYDOWN", "C:CHAR", "C:KEYUP"}));
  log.clear();
  hl::Wheel(child, 5, 5, -WHEEL_DELTA);
  hl::Pump();
  EXPECT_EQ(Only(log, {"MOUSEWHEEL"}), (std::vector<std::string>{"C:MOUSEWHEEL", "T:MOUSEWHEEL"}));
  hl::KeyDown(VK_SHIFT);
  hl::Click(child, 1, 1);
  hl::Pump();
  EXPECT_LT(GetKeyState(VK_SHIFT), 0);
  hl::KeyUp(VK_SHIFT);
  hl::Pump();
  EXPECT_EQ(GetKeyState(VK_SHIFT), 0);
}

class CDragBand : public CWnd {
 protected:
  void OnLButtonDown(UINT flags, CPoint p) override {
    if (p.y < 28) SendMessage(WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(p.x, p.y));
    CWnd::OnLButtonDown(flags, p);
  }
};

TEST_F(Input, ACaptionPressMovesTheWindowUntilRelease) {
  CDragBand top;
  Top(top, 100, 100, 200, 100);
  hl::Pump();
  hl::MouseDown(top, 10, 10);
  hl::MouseMove(top, 30, 25);
  hl::Pump();
  RECT r;
  GetWindowRect(top, &r);
  EXPECT_EQ(r.left, 120);
  EXPECT_EQ(r.top, 115);
  EXPECT_EQ(hl::StateOf(top).rect.left, 120);  // the display knows
  hl::MouseUp(top, 10, 10);
  hl::MouseMove(top, 50, 50);
  hl::Pump();
  GetWindowRect(top, &r);
  EXPECT_EQ(r.left, 120);
  // Below the band nothing moves.
  hl::MouseDown(top, 10, 60);
  hl::MouseMove(top, 40, 80);
  hl::MouseUp(top, 40, 80);
  hl::Pump();
  GetWindowRect(top, &r);
  EXPECT_EQ(r.left, 120);
}

using Subclass = UiTest;

std::vector<std::string>* g_rawLog = nullptr;
LRESULT RawProc(HWND h, UINT m, WPARAM w, LPARAM l) {
  if (m == WM_LBUTTONDOWN) g_rawLog->push_back("raw:LBUTTONDOWN");
  if (m == WM_USER) return 99;
  return DefWindowProcW(h, m, w, l);
}

class CSub : public CWnd {
 public:
  std::vector<std::string>* log = nullptr;
  bool presubclassed = false;

 protected:
  void PreSubclassWindow() override { presubclassed = true; }
  void OnLButtonDown(UINT flags, CPoint p) override {
    log->push_back("object:LBUTTONDOWN");
    CWnd::OnLButtonDown(flags, p);
  }
};

TEST_F(Subclass, TheObjectRunsFirstAndDefaultReachesTheWindowsOwnProcedure) {
  g_rawLog = &log;
  WNDCLASSW wc{};
  wc.lpfnWndProc = RawProc;
  wc.lpszClassName = L"TestRaw";
  RegisterClassW(&wc);
  CWnd top;
  Top(top, 0, 0, 100, 100);
  HWND raw = CreateWindowExW(0, L"TestRaw", L"", WS_CHILD | WS_VISIBLE, 0, 0, 50, 50, top, nullptr, nullptr,
                             nullptr);
  CSub sub;
  sub.log = &log;
  ASSERT_TRUE(sub.SubclassWindow(raw));
  EXPECT_TRUE(sub.presubclassed);
  EXPECT_EQ(CWnd::FromHandlePermanent(raw), &sub);
  hl::Click(raw, 5, 5);
  hl::Pump();
  EXPECT_EQ(log, (std::vector<std::string>{"object:LBUTTONDOWN", "raw:LBUTTONDOWN"}));
  EXPECT_EQ(sub.SendMessage(WM_USER), 99);  // unhandled: the original procedure
  sub.SetWindowText(L"kept");
  wchar_t buf[8];
  GetWindowTextW(raw, buf, 8);
  EXPECT_STREQ(buf, L"kept");
  EXPECT_EQ(sub.UnsubclassWindow(), raw);
  log.clear();
  hl::Click(raw, 5, 5);
  hl::Pump();
  EXPECT_EQ(log, (std::vector<std::string>{"raw:LBUTTONDOWN"}));
  DestroyWindow(raw);
}

class CChildTakesClicks : public CWnd {
 public:
  int reflected = 0;
  BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM, LRESULT* result) override {
    if (message != WM_COMMAND || HIWORD(wParam) != BN_CLICKED) return FALSE;
    ++reflected;
    *result = 0;
    return TRUE;
  }
};

class CCommandParent : public CWnd {
 public:
  std::vector<int> commands;

 protected:
  BOOL OnCommand(WPARAM wParam, LPARAM) override {
    commands.push_back(LOWORD(wParam));
    return TRUE;
  }
};

TEST_F(Subclass, ACommandIsFirstOfferedToTheControlThatSentIt) {
  CCommandParent top;
  Top(top, 0, 0, 100, 100);
  CChildTakesClicks taker;
  CWnd plain;
  Child(taker, top, 5, RECT{0, 0, 10, 10});
  Child(plain, top, 6, RECT{20, 0, 30, 10});
  top.SendMessage(WM_COMMAND, MAKEWPARAM(5, BN_CLICKED), reinterpret_cast<LPARAM>(taker.m_hWnd));
  top.SendMessage(WM_COMMAND, MAKEWPARAM(6, BN_CLICKED), reinterpret_cast<LPARAM>(plain.m_hWnd));
  top.SendMessage(WM_COMMAND, MAKEWPARAM(7, 0), 0);
  EXPECT_EQ(taker.reflected, 1);
  EXPECT_EQ(top.commands, (std::vector<int>{6, 7}));
}

using ZOrder = UiTest;

TEST_F(ZOrder, TopmostAndBackPutsTheWindowOnTopOfTheNormalOnes) {
  CWnd a, b, c;
  Top(a, 0, 0, 10, 10);
  Top(b, 0, 0, 10, 10);
  Top(c, 0, 0, 10, 10);
  hl::Pump();
  EXPECT_EQ(hl::StackingOrder().front(), c.m_hWnd);
  int raises = hl::StateOf(a).raises;
  // What the main window does when a second instance starts.
  a.SetWindowPos(&CWnd::wndTopMost, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  EXPECT_TRUE(hl::StateOf(a).topmost);
  EXPECT_TRUE(GetWindowLongW(a, GWL_EXSTYLE) & WS_EX_TOPMOST);
  a.SetWindowPos(&CWnd::wndNoTopMost, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  EXPECT_FALSE(hl::StateOf(a).topmost);
  EXPECT_EQ(hl::StackingOrder().front(), a.m_hWnd);
  EXPECT_GT(hl::StateOf(a).raises, raises);
  EXPECT_EQ(GetActiveWindow(), a.m_hWnd);
  RECT r;
  GetWindowRect(a, &r);
  EXPECT_EQ(r.right - r.left, 10);  // neither moved nor sized
}

using Desktop = UiTest;

TEST_F(Desktop, FindEnumerateAndTheVersion) {
  CWnd a, child;
  Top(a, 0, 0, 10, 10);
  a.SetWindowText(L"Finder Target");
  Child(child, a, 3, RECT{0, 0, 5, 5});
  child.SetWindowText(L"\\\\10.0.0.1 address");
  EXPECT_EQ(FindWindowW(nullptr, L"Finder Target"), a.m_hWnd);
  EXPECT_EQ(FindWindowW(L"testplain", L"Finder Target"), a.m_hWnd);
  EXPECT_EQ(FindWindowW(L"Other", L"Finder Target"), nullptr);
  EXPECT_EQ(FindWindowExW(a, nullptr, nullptr, nullptr), child.m_hWnd);
  EXPECT_EQ(FindWindowExW(a, child, nullptr, nullptr), nullptr);
  std::vector<HWND> seen;
  EnumWindows([](HWND h, LPARAM p) { reinterpret_cast<std::vector<HWND>*>(p)->push_back(h); return TRUE; },
              reinterpret_cast<LPARAM>(&seen));
  EXPECT_NE(std::find(seen.begin(), seen.end(), a.m_hWnd), seen.end());
  HWND handle = a.m_hWnd;
  PostMessageW(handle, WM_CLOSE, 0, 0);
  hl::Pump();
  EXPECT_FALSE(IsWindow(handle));

  OSVERSIONINFOW v{};
  EXPECT_FALSE(GetVersionExW(&v));  // the size field is not set
  v.dwOSVersionInfoSize = sizeof v;
  ASSERT_TRUE(GetVersionExW(&v));
  EXPECT_EQ(v.dwMajorVersion, 10u);
  EXPECT_EQ(v.dwMinorVersion, 0u);
  EXPECT_EQ(v.dwPlatformId, static_cast<DWORD>(VER_PLATFORM_WIN32_NT));
  OSVERSIONINFOEXW ex{};
  ex.dwOSVersionInfoSize = sizeof ex;
  ASSERT_TRUE(GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&ex)));
  EXPECT_EQ(ex.wProductType, VER_NT_WORKSTATION);
}

}  // namespace
