// The device list at its size in the main window with 1000 rows: one full
// repaint (only the rows shown are drawn), and 1000 rows inserted at the
// top one by one, as the countdown's updates insert them. Headless.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "platform/commctrl.h"
#include "platform/controls.h"
#include "platform/headless.h"

namespace {

struct DeviceList {
  CWnd top;
  CListCtrl list;
  HFONT font = nullptr;

  DeviceList() {
    platform::headless::Use();
    InitCommonControls();
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = L"BenchTop";
    AfxRegisterClass(&wc);
    top.CreateEx(0, L"BenchTop", L"", WS_POPUP | WS_VISIBLE, 0, 0, 328, 245, nullptr, nullptr);
    list.Create(WS_VISIBLE | LVS_REPORT, RECT{10, 50, 318, 191}, &top, 2105);
    font = CreateFontW(-13, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma");
    list.SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    list.SetExtendedStyle(list.GetExtendedStyle() | LVS_EX_GRIDLINES | LVS_EX_SUBITEMIMAGES | LVS_EX_FULLROWSELECT);
    list.SetTextColor(RGB(6, 65, 105));
    list.InsertColumn(0, L"Host Name", LVCFMT_LEFT, 96);
    list.InsertColumn(1, L"IP Address", LVCFMT_CENTER, 122);
    list.InsertColumn(2, L"Device Type", LVCFMT_CENTER, 88);
  }
  ~DeviceList() {
    top.DestroyWindow();
    platform::headless::Pump();
    DeleteObject(font);
  }
  void AddTop(int i) {
    list.InsertItem(0, L"");
    list.SetItemText(0, 0, (L"nas-travel-" + std::to_wstring(i)).c_str());
    list.SetItemText(0, 1, (L"10.231." + std::to_wstring(i / 250) + L"." + std::to_wstring(i % 250)).c_str());
    list.SetItemText(0, 2, L"TravelNAS");
  }
};

void BM_PaintThousandRowList(benchmark::State& state) {
  DeviceList d;
  for (int i = 0; i < 1000; ++i) d.AddTop(i);
  d.list.SetItemState(2, LVIS_SELECTED, LVIS_SELECTED);
  d.list.EnsureVisible(500, FALSE);
  platform::headless::Pump();
  for (auto _ : state) {
    // The list with its header and bar, drawn into the window's buffer.
    d.list.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  }
  state.counters["rows_shown"] = d.list.GetCountPerPage();
}
BENCHMARK(BM_PaintThousandRowList)->Unit(benchmark::kMicrosecond);

void BM_ThousandInsertsAtTheTop(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    auto d = std::make_unique<DeviceList>();
    platform::headless::Pump();
    state.ResumeTiming();
    for (int i = 0; i < 1000; ++i) d->AddTop(i);
    // The repaint that follows, once.
    platform::headless::Pump();
    state.PauseTiming();
    if (d->list.GetItemCount() != 1000) state.SkipWithError("rows missing");
    d.reset();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_ThousandInsertsAtTheTop)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
