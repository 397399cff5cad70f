// Repaint and presentation of the main window's shape of tree, and how
// often the loop wakes up when nothing is due.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "platform/gdiplus.h"
#include "platform/headless.h"
#include "platform/winuser.h"
#include "platform/wnd.h"

using namespace Gdiplus;

namespace {

// A control that paints as the skin's controls do: a fresh off-screen
// buffer, a GDI+ surface on it, a background, a frame and a text, then one
// copy to the screen.
class CBufferedCtrl : public CWnd {
 public:
  GpFont* font = nullptr;

 protected:
  BOOL OnEraseBkgnd(CDC*) override { return TRUE; }
  void OnPaint() override {
    CPaintDC dc(this);
    CRect r;
    GetClientRect(&r);
    CDC mem;
    mem.CreateCompatibleDC(&dc);
    CBitmap bmp;
    bmp.CreateCompatibleBitmap(&dc, r.Width(), r.Height());
    CBitmap* old = mem.SelectObject(&bmp);
    GpGraphics* g;
    GdipCreateFromHDC(mem, &g);
    GdipSetSmoothingMode(g, SmoothingModeAntiAlias);
    GpLineGradient* fill;
    GpRect gr{0, 0, r.Width(), r.Height()};
    GdipCreateLineBrushFromRectI(&gr, 0xFF1E3C78, 0xFF28509A, LinearGradientModeVertical, WrapModeTile, &fill);
    GdipFillRectangleI(g, fill, 0, 0, r.Width(), r.Height());
    GpPen* pen;
    GdipCreatePen1(0xFF7E9DB9, 1, UnitPixel, &pen);
    GdipDrawRectangleI(g, pen, 0, 0, r.Width() - 1, r.Height() - 1);
    GpSolidFill* text;
    GdipCreateSolidFill(0xFFF4F5F7, &text);
    RectF layout{4, 2, 0, 0};
    GdipDrawString(g, L"Refresh", -1, font, &layout, nullptr, text);
    GdipDeleteBrush(text);
    GdipDeletePen(pen);
    GdipDeleteBrush(fill);
    GdipDeleteGraphics(g);
    dc.BitBlt(0, 0, r.Width(), r.Height(), &mem, 0, 0, SRCCOPY);
    mem.SelectObject(old);
  }
};

class CBackground : public CWnd {
 protected:
  BOOL OnEraseBkgnd(CDC*) override { return TRUE; }
  void OnPaint() override {
    CPaintDC dc(this);
    CRect r;
    GetClientRect(&r);
    CDC mem;
    mem.CreateCompatibleDC(&dc);
    CBitmap bmp;
    bmp.CreateCompatibleBitmap(&dc, r.Width(), r.Height());
    CBitmap* old = mem.SelectObject(&bmp);
    mem.FillSolidRect(&r, RGB(20, 40, 110));
    dc.BitBlt(0, 0, r.Width(), r.Height(), &mem, 0, 0, SRCCOPY);
    mem.SelectObject(old);
  }
};

struct Scene {
  CBackground top;
  CBufferedCtrl children[10];
  GpFontFamily* family = nullptr;
  GpFont* font = nullptr;
  Scene() {
    GdiplusStartupInput input;
    ULONG_PTR token;
    GdiplusStartup(&token, &input, nullptr);
    GdipCreateFontFamilyFromName(L"Tahoma", nullptr, &family);
    GdipCreateFont(family, 12, FontStyleRegular, UnitPixel, &font);
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.lpszClassName = L"BenchWindow";
    RegisterClassW(&wc);
    top.CreateEx(0, L"BenchWindow", L"Bench", WS_POPUP | WS_VISIBLE, 50, 50, 328, 245, nullptr, nullptr);
    for (int i = 0; i < 10; ++i) {
      children[i].font = font;
      int x = 10 + (i % 3) * 104, y = 30 + (i / 3) * 50;
      children[i].CreateEx(0, L"BenchWindow", L"", WS_CHILD | WS_VISIBLE, x, y, 96, 40, top.m_hWnd,
                           reinterpret_cast<HMENU>(static_cast<uintptr_t>(2100 + i)));
    }
    UpdateWindow(top);
  }
};

Scene& TheScene() {
  static Scene* s = new Scene();
  return *s;
}

void Drain() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}

// Invalidate everything, repaint the eleven windows and present the whole
// back buffer.
void BM_FullRepaintAndPresent(benchmark::State& state) {
  Scene& s = TheScene();
  Drain();
  for (auto _ : state) {
    InvalidateRect(s.top, nullptr, TRUE);
    UpdateWindow(s.top);
  }
  state.SetLabel(std::getenv("LANSCOUT_BACKEND"));
}
BENCHMARK(BM_FullRepaintAndPresent)->Unit(benchmark::kMicrosecond);

// One control repainted: only its rectangle is presented.
void BM_OneControlRepaint(benchmark::State& state) {
  Scene& s = TheScene();
  Drain();
  for (auto _ : state) {
    InvalidateRect(s.children[4], nullptr, TRUE);
    UpdateWindow(s.children[4]);
  }
  state.SetLabel(std::getenv("LANSCOUT_BACKEND"));
}
BENCHMARK(BM_OneControlRepaint)->Unit(benchmark::kMicrosecond);

// The loop waits 500 ms for a message from another thread, with no timer
// (range 0) or with a 100 ms timer (range 100): how often it woke up.
void BM_IdleWakeups(benchmark::State& state) {
  Scene& s = TheScene();
  Drain();
  int period = static_cast<int>(state.range(0));
  if (period) s.top.SetTimer(9, period);
  platform::headless::SetAutoAdvance(false);
  uint64_t wakeups = 0, timers = 0;
  for (auto _ : state) {
    HWND h = s.top.m_hWnd;
    std::thread poster([h] {
      std::this_thread::sleep_for(std::chrono::milliseconds(500));
      PostMessageW(h, WM_APP, 0, 0);
    });
    uint64_t before = platform::headless::Stats().wakeups;
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) && msg.message != WM_APP) {
      if (msg.message == WM_TIMER) ++timers;
      DispatchMessageW(&msg);
    }
    wakeups += platform::headless::Stats().wakeups - before;
    poster.join();
  }
  if (period) s.top.KillTimer(9);
  state.counters["wakeups"] = benchmark::Counter(static_cast<double>(wakeups) / state.iterations());
  state.counters["timers"] = benchmark::Counter(static_cast<double>(timers) / state.iterations());
  state.SetLabel(std::getenv("LANSCOUT_BACKEND"));
}
BENCHMARK(BM_IdleWakeups)->Arg(0)->Arg(100)->Iterations(2)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  // Headless unless the caller picked a backend (x11.sh does).
  if (!std::getenv("LANSCOUT_BACKEND")) setenv("LANSCOUT_BACKEND", "headless", 1);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
