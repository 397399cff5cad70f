// The headless backend: top-level windows in memory with a front buffer
// that receives what is presented, a virtual clock and injected input.
#include <cstdlib>
#include <deque>

#include "platform/backend.h"
#include "platform/headless.h"
#include "platform/shell.h"

namespace platform {

namespace {

class HeadlessBackend;
HeadlessBackend* g_headless = nullptr;
HWND KeyTarget();

class HeadlessWindow : public NativeWindow {
 public:
  HeadlessWindow(HWND hwnd, const NativeWindowParams& p) : hwnd_(hwnd), rect_(p.rect), topmost_(p.topmost) {
    title_ = p.title;
    Resize();
  }
  ~HeadlessWindow() override {
    if (front_) cairo_surface_destroy(front_);
  }
  void SetTitle(const std::wstring& title) override { title_ = title; }
  void SetGeometry(const RECT& screen) override {
    rect_ = screen;
    Resize();
  }
  void SetVisible(bool visible) override { visible_ = visible; }
  void SetShape(const Region* shape) override {
    shape_ = shape ? std::make_unique<Region>(*shape) : nullptr;
  }
  void SetIcons(HICON big, HICON small) override { hasIcon_ = big || small; }
  void SetTopmost(bool topmost) override { topmost_ = topmost; }
  void Raise() override { ++raises_; }
  void Activate() override { ++activations_; }
  void Minimize() override {}
  void Restore() override {}
  void Present(cairo_surface_t* back, const Region& dirty) override {
    Resize();
    CopyRegion(front_, back, dirty);
    ++presents_;
    for (int i = 0; i < dirty.RectCount(); ++i) {
      RECT r = dirty.RectAt(i);
      presentedPixels_ += static_cast<long long>(r.right - r.left) * (r.bottom - r.top);
    }
    lastPresented_ = dirty.Bounds();
  }
  bool BeginMove(POINT) override { return false; }
  void SetCursor(PointerShape shape) override { cursor_ = shape; }

  void Resize() {
    int w = std::max<int>(1, rect_.right - rect_.left), h = std::max<int>(1, rect_.bottom - rect_.top);
    if (front_ && cairo_image_surface_get_width(front_) == w && cairo_image_surface_get_height(front_) == h) return;
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_RGB24, w, h);
    if (front_) {
      cairo_t* cr = cairo_create(s);
      cairo_set_source_surface(cr, front_, 0, 0);
      cairo_paint(cr);
      cairo_destroy(cr);
      cairo_surface_destroy(front_);
    }
    front_ = s;
  }

  HWND hwnd_;
  RECT rect_;
  bool visible_ = false;
  bool topmost_ = false;
  bool hasIcon_ = false;
  std::unique_ptr<Region> shape_;
  std::wstring title_;
  cairo_surface_t* front_ = nullptr;
  int raises_ = 0;
  int activations_ = 0;
  int presents_ = 0;
  long long presentedPixels_ = 0;
  RECT lastPresented_{};
  PointerShape cursor_ = PointerShape::kArrow;
};

class HeadlessBackend : public Backend {
 public:
  HeadlessBackend() { g_headless = this; }
  ~HeadlessBackend() override { g_headless = nullptr; }
  const char* Name() const override { return "headless"; }
  bool IsHeadless() const override { return true; }
  std::unique_ptr<NativeWindow> CreateNativeWindow(HWND hwnd, const NativeWindowParams& params) override {
    return std::make_unique<HeadlessWindow>(hwnd, params);
  }
  int EventFd() override { return -1; }
  void DispatchEvents() override {
    size_t before = PostedCount();
    while (!events_.empty() && PostedCount() == before) {
      auto [hwnd, ev] = events_.front();
      events_.pop_front();
      HandleNativeEvent(hwnd ? hwnd : KeyTarget(), ev);
    }
  }
  uint64_t NowMs() override { return clock_; }
  bool Idle(int64_t timeoutMs) override {
    if (!events_.empty()) return true;
    if (!steps_.empty()) {
      auto step = std::move(steps_.front());
      steps_.pop_front();
      step();
      return true;
    }
    if (timeoutMs >= 0 && autoAdvance_) {
      clock_ += static_cast<uint64_t>(timeoutMs);
      return true;
    }
    return false;
  }
  SIZE ScreenSize() override { return SIZE{1280, 1024}; }

  HeadlessWindow* Find(HWND top) {
    WindowImpl* w = W(top);
    if (!w || !w->top || !w->top->native) return nullptr;
    return static_cast<HeadlessWindow*>(w->top->native.get());
  }

  std::deque<std::pair<HWND, NativeEvent>> events_;
  std::deque<std::function<void()>> steps_;
  uint64_t clock_ = 0;
  bool autoAdvance_ = true;
  UINT mods_ = 0;  // buttons and modifier keys held
  bool alt_ = false;
};

HeadlessBackend* Headless() {
  Backend* b = CurrentBackend();
  if (!b) {
    if (!headless::Use()) return nullptr;
    b = RequireBackend();
  }
  return b && b->IsHeadless() ? static_cast<HeadlessBackend*>(b) : nullptr;
}

// A point in a window's client area, in its top-level window's coordinates
// and on the screen.
bool Locate(HWND hwnd, int x, int y, HWND* top, POINT* inTop, POINT* screen) {
  WindowImpl* w = W(hwnd);
  if (!w) return false;
  WindowImpl* t = TopOf(w);
  POINT o = ClientOriginInTop(w);
  *top = t->handle;
  *inTop = POINT{o.x + x, o.y + y};
  *screen = POINT{t->rect.left + inTop->x, t->rect.top + inTop->y};
  return true;
}

void Queue(HWND top, NativeEvent ev) {
  if (HeadlessBackend* b = Headless()) {
    ev.time = static_cast<int64_t>(b->clock_);
    b->events_.emplace_back(top, ev);
  }
}

void MouseEventAt(HWND hwnd, int x, int y, NativeEvent::Kind kind, int button, int wheel = 0, bool horizontal = false) {
  HeadlessBackend* b = Headless();
  HWND top;
  NativeEvent ev{kind};
  if (!b || !Locate(hwnd, x, y, &top, &ev.pt, &ev.screen)) return;
  ev.button = button;
  ev.wheel = wheel;
  ev.horizontal = horizontal;
  ev.mods = b->mods_;
  ev.alt = b->alt_;
  ev.time = static_cast<int64_t>(b->clock_);
  UINT bit = button == 1 ? MK_LBUTTON : button == 2 ? MK_MBUTTON : button == 3 ? MK_RBUTTON : 0;
  if (kind == NativeEvent::kButtonDown) b->mods_ |= bit;
  if (kind == NativeEvent::kButtonUp) b->mods_ &= ~bit;
  Queue(top, ev);
}

wchar_t CharOfKey(UINT vk, bool shift) {
  if (vk >= 'A' && vk <= 'Z') return shift ? static_cast<wchar_t>(vk) : static_cast<wchar_t>(vk + 32);
  if (vk >= '0' && vk <= '9') return static_cast<wchar_t>(vk);
  switch (vk) {
    case VK_SPACE: return L' ';
    case VK_RETURN: return L'\r';
    case VK_ESCAPE: return 0x1B;
    case VK_TAB: return L'\t';
    case VK_BACK: return 0x08;
  }
  return 0;
}

HWND KeyTarget() {
  UiState& ui = Ui();
  if (WindowImpl* a = W(ui.active)) return a->handle;
  for (WindowImpl* t : ui.tops)
    if (t->Visible()) return t->handle;
  return nullptr;
}

}  // namespace

std::unique_ptr<Backend> CreateHeadlessBackend() { return std::make_unique<HeadlessBackend>(); }

namespace headless {

bool Use() {
  Backend* b = CurrentBackend();
  if (b) return b->IsHeadless();
  setenv("LANSCOUT_BACKEND", "headless", 1);
  return true;
}

bool Active() {
  Backend* b = CurrentBackend();
  return b && b->IsHeadless();
}

DWORD Now() { return static_cast<DWORD>(platform::Now()); }

void AdvanceClock(DWORD ms) {
  if (HeadlessBackend* b = Headless()) b->clock_ += ms;
}

void SetAutoAdvance(bool on) {
  if (HeadlessBackend* b = Headless()) b->autoAdvance_ = on;
}

void MouseMove(HWND hwnd, int x, int y) { MouseEventAt(hwnd, x, y, NativeEvent::kMotion, 0); }
void MouseDown(HWND hwnd, int x, int y, int button) { MouseEventAt(hwnd, x, y, NativeEvent::kButtonDown, button); }
void MouseUp(HWND hwnd, int x, int y, int button) { MouseEventAt(hwnd, x, y, NativeEvent::kButtonUp, button); }
void Click(HWND hwnd, int x, int y, int button) {
  MouseDown(hwnd, x, y, button);
  MouseUp(hwnd, x, y, button);
}
void DoubleClick(HWND hwnd, int x, int y, int button) {
  Click(hwnd, x, y, button);
  Click(hwnd, x, y, button);
}
void Wheel(HWND hwnd, int x, int y, int delta, bool horizontal) {
  MouseEventAt(hwnd, x, y, NativeEvent::kWheel, 0, delta, horizontal);
}

void KeyDown(UINT vk, wchar_t ch) {
  HeadlessBackend* b = Headless();
  if (!b) return;
  NativeEvent ev{NativeEvent::kKeyDown};
  ev.vk = vk;
  ev.mods = b->mods_;
  ev.alt = b->alt_;
  ev.ch = ch ? ch : (b->alt_ || (b->mods_ & MK_CONTROL)) ? 0 : CharOfKey(vk, (b->mods_ & MK_SHIFT) != 0);
  if (vk == VK_SHIFT) b->mods_ |= MK_SHIFT;
  if (vk == VK_CONTROL) b->mods_ |= MK_CONTROL;
  if (vk == VK_MENU) b->alt_ = true;
  // The event goes to whatever top-level window is active when it arrives.
  ev.time = static_cast<int64_t>(b->clock_);
  b->events_.emplace_back(nullptr, ev);
}

void KeyUp(UINT vk) {
  HeadlessBackend* b = Headless();
  if (!b) return;
  if (vk == VK_SHIFT) b->mods_ &= ~MK_SHIFT;
  if (vk == VK_CONTROL) b->mods_ &= ~MK_CONTROL;
  if (vk == VK_MENU) b->alt_ = false;
  NativeEvent ev{NativeEvent::kKeyUp};
  ev.vk = vk;
  ev.mods = b->mods_;
  ev.alt = b->alt_;
  ev.time = static_cast<int64_t>(b->clock_);
  b->events_.emplace_back(nullptr, ev);
}

void Key(UINT vk, wchar_t ch) {
  KeyDown(vk, ch);
  KeyUp(vk);
}

void MouseLeave(HWND top) { Queue(top, NativeEvent{NativeEvent::kLeave}); }
void CloseRequest(HWND top) { Queue(top, NativeEvent{NativeEvent::kCloseRequest}); }
void SetIconic(HWND top, bool iconic) {
  Queue(top, NativeEvent{iconic ? NativeEvent::kIconic : NativeEvent::kRestored});
}

int Pump() {
  int n = 0;
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
    ++n;
  }
  return n;
}

void OnIdle(std::function<void()> step) {
  if (HeadlessBackend* b = Headless()) b->steps_.push_back(std::move(step));
}

namespace {
HeadlessWindow* TopWindowOf(HWND hwnd, WindowImpl** top) {
  WindowImpl* w = W(hwnd);
  if (!w || !g_headless) return nullptr;
  *top = TopOf(w);
  return g_headless->Find((*top)->handle);
}
}  // namespace

COLORREF ScreenPixel(HWND hwnd, int x, int y) {
  WindowImpl* top;
  HeadlessWindow* n = TopWindowOf(hwnd, &top);
  if (!n) return CLR_INVALID;
  POINT o = ClientOriginInTop(W(hwnd));
  int px = o.x + x, py = o.y + y;
  cairo_surface_t* s = n->front_;
  if (px < 0 || py < 0 || px >= cairo_image_surface_get_width(s) || py >= cairo_image_surface_get_height(s))
    return CLR_INVALID;
  if (n->shape_ && !n->shape_->Contains(px, py)) return CLR_INVALID;
  cairo_surface_flush(s);
  const unsigned char* data = cairo_image_surface_get_data(s);
  uint32_t p = reinterpret_cast<const uint32_t*>(data + py * cairo_image_surface_get_stride(s))[px];
  return ColorRefFromPixel(p, false);
}

bool SavePng(HWND hwnd, const std::string& path) {
  WindowImpl* top;
  HeadlessWindow* n = TopWindowOf(hwnd, &top);
  if (!n) return false;
  WindowImpl* w = W(hwnd);
  POINT o = w == top ? POINT{0, 0} : WindowOriginInTop(w);
  int width = w->Width(), height = w->Height();
  cairo_surface_t* out = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, std::max(1, width), std::max(1, height));
  cairo_t* cr = cairo_create(out);
  cairo_translate(cr, -o.x, -o.y);
  if (n->shape_) {
    n->shape_->AddToPath(cr);
  } else {
    cairo_rectangle(cr, 0, 0, cairo_image_surface_get_width(n->front_), cairo_image_surface_get_height(n->front_));
  }
  cairo_clip(cr);
  cairo_set_source_surface(cr, n->front_, 0, 0);
  cairo_paint(cr);
  cairo_destroy(cr);
  bool ok = cairo_surface_write_to_png(out, path.c_str()) == CAIRO_STATUS_SUCCESS;
  cairo_surface_destroy(out);
  return ok;
}

NativeState StateOf(HWND top) {
  NativeState s;
  if (!g_headless) return s;
  HeadlessWindow* n = g_headless->Find(top);
  if (!n) return s;
  s.exists = true;
  s.visible = n->visible_;
  s.topmost = n->topmost_;
  s.shaped = n->shape_ != nullptr;
  s.raises = n->raises_;
  s.activations = n->activations_;
  s.presents = n->presents_;
  s.presentedPixels = n->presentedPixels_;
  s.lastPresented = n->lastPresented_;
  s.title = n->title_;
  s.rect = n->rect_;
  s.cursor = static_cast<int>(n->cursor_);
  s.hasIcon = n->hasIcon_;
  return s;
}

void ResetPresentCounts(HWND top) {
  if (!g_headless) return;
  if (HeadlessWindow* n = g_headless->Find(top)) {
    n->presents_ = 0;
    n->presentedPixels_ = 0;
    n->lastPresented_ = RECT{};
  }
}

std::vector<HWND> StackingOrder() {
  std::vector<HWND> out;
  for (WindowImpl* t : Ui().tops) out.push_back(t->handle);
  return out;
}

LoopStats Stats() { return LoopStats{Ui().waits, Ui().wakeups}; }

int64_t NextTimeout() { return NextWaitTimeoutMs(); }

}  // namespace headless
}  // namespace platform
