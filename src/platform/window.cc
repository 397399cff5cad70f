// Window classes, the handle table, the window tree, creation and
// destruction, geometry, styles, text and the default window procedure.
#include <algorithm>
#include <climits>
#include <cstring>
#include <cwchar>
#include <cwctype>

#include "platform/backend.h"
#include "platform/ui_internal.h"
#include "platform/wnd.h"

namespace platform {

// ---- Region ---------------------------------------------------------------------

namespace {
cairo_rectangle_int_t ToCairo(const RECT& r) {
  cairo_rectangle_int_t c;
  c.x = r.left;
  c.y = r.top;
  c.width = std::max<int>(0, r.right - r.left);
  c.height = std::max<int>(0, r.bottom - r.top);
  return c;
}
}  // namespace

Region::Region(const RECT& rect) {
  cairo_rectangle_int_t c = ToCairo(rect);
  r_ = c.width > 0 && c.height > 0 ? cairo_region_create_rectangle(&c) : cairo_region_create();
}

Region& Region::operator=(const Region& other) {
  if (this != &other) {
    cairo_region_t* copy = cairo_region_copy(other.r_);
    cairo_region_destroy(r_);
    r_ = copy;
  }
  return *this;
}

Region& Region::operator=(Region&& other) noexcept {
  std::swap(r_, other.r_);
  return *this;
}

RECT Region::Bounds() const {
  cairo_rectangle_int_t c;
  cairo_region_get_extents(r_, &c);
  return RECT{c.x, c.y, c.x + c.width, c.y + c.height};
}

void Region::Clear() {
  cairo_region_destroy(r_);
  r_ = cairo_region_create();
}

void Region::Union(const RECT& rect) {
  cairo_rectangle_int_t c = ToCairo(rect);
  if (c.width > 0 && c.height > 0) cairo_region_union_rectangle(r_, &c);
}

void Region::Intersect(const RECT& rect) {
  cairo_rectangle_int_t c = ToCairo(rect);
  if (c.width <= 0 || c.height <= 0) {
    Clear();
    return;
  }
  cairo_region_intersect_rectangle(r_, &c);
}

void Region::Subtract(const RECT& rect) {
  cairo_rectangle_int_t c = ToCairo(rect);
  if (c.width > 0 && c.height > 0) cairo_region_subtract_rectangle(r_, &c);
}

RECT Region::RectAt(int i) const {
  cairo_rectangle_int_t c;
  cairo_region_get_rectangle(r_, i, &c);
  return RECT{c.x, c.y, c.x + c.width, c.y + c.height};
}

int Region::Kind() const {
  int n = RectCount();
  return n == 0 ? NULLREGION : n == 1 ? SIMPLEREGION : COMPLEXREGION;
}

void Region::AddToPath(cairo_t* cr) const {
  int n = RectCount();
  for (int i = 0; i < n; ++i) {
    cairo_rectangle_int_t c;
    cairo_region_get_rectangle(r_, i, &c);
    cairo_rectangle(cr, c.x, c.y, c.width, c.height);
  }
}

TopLevelState::~TopLevelState() {
  native.reset();
  if (back) cairo_surface_destroy(back);
}

// ---- handles -----------------------------------------------------------------------

namespace {
struct Slot {
  uint32_t gen = 1;
  enum Kind { kFree, kWindow, kExternal } kind = kFree;
  void* ptr = nullptr;
};

// Handle values are (generation << 24) | index, so that a handle of a
// destroyed window never names the window that reuses its slot.
constexpr uint32_t kIndexBits = 24;

std::vector<Slot>& Slots() {
  static auto* slots = new std::vector<Slot>(1);
  return *slots;
}
std::vector<uint32_t>& FreeSlots() {
  static auto* free = new std::vector<uint32_t>();
  return *free;
}

HWND NewHandle(Slot::Kind kind, void* ptr) {
  std::vector<Slot>& slots = Slots();
  uint32_t index;
  if (!FreeSlots().empty()) {
    index = FreeSlots().back();
    FreeSlots().pop_back();
  } else {
    index = static_cast<uint32_t>(slots.size());
    slots.emplace_back();
  }
  Slot& s = slots[index];
  s.kind = kind;
  s.ptr = ptr;
  uintptr_t value = (static_cast<uintptr_t>(s.gen) << kIndexBits) | index;
  return reinterpret_cast<HWND>(value);
}

Slot* SlotOf(HWND hwnd) {
  uintptr_t value = reinterpret_cast<uintptr_t>(hwnd);
  uint32_t index = static_cast<uint32_t>(value & ((1u << kIndexBits) - 1));
  uint64_t gen = value >> kIndexBits;
  std::vector<Slot>& slots = Slots();
  if (index == 0 || index >= slots.size()) return nullptr;
  Slot& s = slots[index];
  if (s.kind == Slot::kFree || s.gen != gen) return nullptr;
  return &s;
}
}  // namespace

HWND NewWindowHandle(WindowImpl* w) { return NewHandle(Slot::kWindow, w); }
HWND NewExternalHandle(ExternalWindow* e) { return NewHandle(Slot::kExternal, e); }

void FreeHandle(HWND hwnd) {
  Slot* s = SlotOf(hwnd);
  if (!s) return;
  s->kind = Slot::kFree;
  s->ptr = nullptr;
  s->gen = (s->gen + 1) & 0xFFFFFF;
  if (s->gen == 0) s->gen = 1;
  FreeSlots().push_back(static_cast<uint32_t>(s - Slots().data()));
}

WindowImpl* W(HWND hwnd) {
  if (!hwnd) return nullptr;
  Slot* s = SlotOf(hwnd);
  if (!s || s->kind != Slot::kWindow) return nullptr;
  WindowImpl* w = static_cast<WindowImpl*>(s->ptr);
  return w->destroyed ? nullptr : w;
}

ExternalWindow* External(HWND hwnd) {
  if (!hwnd) return nullptr;
  Slot* s = SlotOf(hwnd);
  if (!s || s->kind != Slot::kExternal) return nullptr;
  return static_cast<ExternalWindow*>(s->ptr);
}

namespace {
std::vector<std::unique_ptr<ExternalWindow>>& Externals() {
  static auto* list = new std::vector<std::unique_ptr<ExternalWindow>>();
  return *list;
}
}  // namespace

ExternalWindow* ForeignWindow(unsigned long xid) {
  for (auto& e : Externals())
    if (e->kind == ExternalWindow::kForeign && e->xid == xid) return e.get();
  auto e = std::make_unique<ExternalWindow>();
  e->kind = ExternalWindow::kForeign;
  e->xid = xid;
  e->handle = NewExternalHandle(e.get());
  Externals().push_back(std::move(e));
  return Externals().back().get();
}

ExternalWindow* RemoteWindow(const std::string& path) {
  for (auto& e : Externals())
    if (e->kind == ExternalWindow::kRemote && e->path == path) return e.get();
  auto e = std::make_unique<ExternalWindow>();
  e->kind = ExternalWindow::kRemote;
  e->path = path;
  e->handle = NewExternalHandle(e.get());
  Externals().push_back(std::move(e));
  return Externals().back().get();
}

// ---- state -------------------------------------------------------------------------------

UiState& Ui() {
  static UiState* state = new UiState();
  return *state;
}

void NoteUiThread() {
  UiState& ui = Ui();
  if (!ui.uiThreadSet) {
    ui.uiThread = std::this_thread::get_id();
    ui.uiThreadSet = true;
  }
}

bool OnUiThread() {
  UiState& ui = Ui();
  return !ui.uiThreadSet || ui.uiThread == std::this_thread::get_id();
}

// ---- classes ------------------------------------------------------------------------------

bool SameClassName(const std::wstring& a, const std::wstring& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::towlower(a[i]) != std::towlower(b[i])) return false;
  return true;
}

namespace {
void EnsureBuiltinClasses() {
  static bool done = false;
  if (done) return;
  done = true;
  auto dialog = std::make_shared<WindowClass>();
  dialog->name = L"#32770";
  dialog->style = CS_DBLCLKS | CS_SAVEBITS;
  dialog->proc = DefDlgProcW;
  dialog->wndExtra = DLGWINDOWEXTRA;
  dialog->cursor = StockCursor(PointerShape::kArrow);
  Ui().classes.push_back(dialog);
}
}  // namespace

const std::shared_ptr<WindowClass>* FindClass(const std::wstring& name) {
  EnsureBuiltinClasses();
  for (auto& c : Ui().classes)
    if (SameClassName(c->name, name)) return &c;
  return nullptr;
}

}  // namespace platform

using namespace platform;

ATOM RegisterClassExW(const WNDCLASSEXW* wc) {
  if (!wc || !wc->lpszClassName || IS_INTRESOURCE(wc->lpszClassName) || !wc->lpszClassName[0] ||
      !wc->lpfnWndProc) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (FindClass(wc->lpszClassName)) {
    SetLastError(ERROR_CLASS_ALREADY_EXISTS);
    return 0;
  }
  auto c = std::make_shared<WindowClass>();
  c->name = wc->lpszClassName;
  c->style = wc->style;
  c->proc = wc->lpfnWndProc;
  c->clsExtra = std::max(0, wc->cbClsExtra);
  c->wndExtra = std::max(0, wc->cbWndExtra);
  c->instance = wc->hInstance;
  c->icon = wc->hIcon;
  c->iconSmall = wc->hIconSm;
  c->cursor = wc->hCursor;
  c->background = wc->hbrBackground;
  if (wc->lpszMenuName && !IS_INTRESOURCE(wc->lpszMenuName)) c->menu = wc->lpszMenuName;
  Ui().classes.push_back(c);
  // Atoms count up from 0xC000 as registered classes do.
  return static_cast<ATOM>(0xC000 + Ui().classes.size());
}

ATOM RegisterClassW(const WNDCLASSW* wc) {
  if (!wc) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  WNDCLASSEXW ex{sizeof(WNDCLASSEXW), wc->style, wc->lpfnWndProc, wc->cbClsExtra, wc->cbWndExtra,
                 wc->hInstance, wc->hIcon, wc->hCursor, wc->hbrBackground, wc->lpszMenuName,
                 wc->lpszClassName, nullptr};
  return RegisterClassExW(&ex);
}

BOOL UnregisterClassW(LPCWSTR className, HINSTANCE) {
  if (!className || IS_INTRESOURCE(className)) return FALSE;
  auto& classes = Ui().classes;
  for (auto it = classes.begin(); it != classes.end(); ++it) {
    if (!SameClassName((*it)->name, className)) continue;
    if ((*it)->name == L"#32770") return FALSE;
    classes.erase(it);  // windows of the class keep their shared record
    return TRUE;
  }
  SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
  return FALSE;
}

BOOL GetClassInfoExW(HINSTANCE, LPCWSTR className, WNDCLASSEXW* wc) {
  if (!className || IS_INTRESOURCE(className) || !wc) return FALSE;
  const std::shared_ptr<WindowClass>* found = FindClass(className);
  if (!found) {
    SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
    return FALSE;
  }
  const WindowClass& c = **found;
  wc->style = c.style;
  wc->lpfnWndProc = c.proc;
  wc->cbClsExtra = c.clsExtra;
  wc->cbWndExtra = c.wndExtra;
  wc->hInstance = c.instance;
  wc->hIcon = c.icon;
  wc->hIconSm = c.iconSmall;
  wc->hCursor = c.cursor;
  wc->hbrBackground = c.background;
  wc->lpszMenuName = c.menu.empty() ? nullptr : c.menu.c_str();
  wc->lpszClassName = c.name.c_str();
  return TRUE;
}

BOOL GetClassInfoW(HINSTANCE instance, LPCWSTR className, WNDCLASSW* wc) {
  WNDCLASSEXW ex{};
  if (!wc || !GetClassInfoExW(instance, className, &ex)) return FALSE;
  wc->style = ex.style;
  wc->lpfnWndProc = ex.lpfnWndProc;
  wc->cbClsExtra = ex.cbClsExtra;
  wc->cbWndExtra = ex.cbWndExtra;
  wc->hInstance = ex.hInstance;
  wc->hIcon = ex.hIcon;
  wc->hCursor = ex.hCursor;
  wc->hbrBackground = ex.hbrBackground;
  wc->lpszMenuName = ex.lpszMenuName;
  wc->lpszClassName = ex.lpszClassName;
  return TRUE;
}

namespace {
int CopyText(const std::wstring& text, LPWSTR buffer, int count) {
  if (!buffer || count <= 0) return 0;
  int n = std::min<int>(static_cast<int>(text.size()), count - 1);
  std::wmemcpy(buffer, text.data(), n);
  buffer[n] = L'\0';
  return n;
}
}  // namespace

int GetClassNameW(HWND hwnd, LPWSTR buffer, int count) {
  if (WindowImpl* w = W(hwnd)) return CopyText(w->cls->name, buffer, count);
  if (ExternalWindow* e = External(hwnd)) {
    if (e->kind == ExternalWindow::kForeign) {
      ForeignInfo info;
      if (Backend* b = CurrentBackend()) {
        if (b->ForeignInfoOf(e->xid, info)) e->className = info.className;
      }
    }
    return CopyText(e->className, buffer, count);
  }
  SetLastError(ERROR_INVALID_WINDOW_HANDLE);
  return 0;
}

// ---- tree helpers -------------------------------------------------------------------

namespace platform {

WindowImpl* TopOf(WindowImpl* w) {
  while (w && w->parent) w = w->parent;
  return w;
}

bool ReallyVisible(WindowImpl* w) {
  for (; w; w = w->parent)
    if (!w->Visible()) return false;
  return true;
}

POINT WindowOriginInTop(WindowImpl* w) {
  if (!w->parent) return POINT{0, 0};
  POINT p = ClientOriginInTop(w->parent);
  return POINT{p.x + w->rect.left, p.y + w->rect.top};
}

POINT ClientOriginInTop(WindowImpl* w) {
  POINT p = WindowOriginInTop(w);
  return POINT{p.x + w->client.left, p.y + w->client.top};
}

namespace {
// The window's area (whole, or its client part) in top-level coordinates,
// clipped by the window's own shape unless it is the top-level window.
Region OwnArea(WindowImpl* w, bool clientOnly) {
  POINT origin = WindowOriginInTop(w);
  RECT r = clientOnly ? w->client : RECT{0, 0, w->Width(), w->Height()};
  OffsetRect(&r, origin.x, origin.y);
  Region region(r);
  if (w->shape && w->parent) {
    Region shape(*w->shape);
    shape.Translate(origin.x, origin.y);
    region.Intersect(shape);
  }
  return region;
}
}  // namespace

Region VisibleRegion(WindowImpl* w, bool clientOnly, bool clipChildren) {
  Region region = OwnArea(w, clientOnly);
  for (WindowImpl* a = w->parent; a; a = a->parent) {
    region.Intersect(OwnArea(a, true));
    if (region.empty()) break;
  }
  if (clipChildren && (w->style & WS_CLIPCHILDREN)) {
    for (WindowImpl* c : w->children)
      if (c->Visible()) region.Subtract(OwnArea(c, false));
  }
  return region;
}

LRESULT CallProc(WindowImpl* w, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!w || w->destroyed || !w->proc) return 0;
  UiState& ui = Ui();
  ++ui.dispatchDepth;
  LRESULT r = w->proc(w->handle, message, wParam, lParam);
  --ui.dispatchDepth;
  return r;
}

void FreeGraveyard() {
  UiState& ui = Ui();
  if (ui.dispatchDepth == 0) ui.graveyard.clear();
}

}  // namespace platform

// ---- creation -----------------------------------------------------------------------

namespace {

// Asks the window for its client rectangle (WM_NCCALCSIZE) and stores it.
void CalcClient(WindowImpl* w, bool calcValidRects) {
  NCCALCSIZE_PARAMS params{};
  params.rgrc[0] = w->rect;
  POINT origin{w->rect.left, w->rect.top};
  RECT oldClient = w->client;
  OffsetRect(&oldClient, origin.x, origin.y);
  params.rgrc[1] = w->rect;
  params.rgrc[2] = oldClient;
  WINDOWPOS pos{w->handle, nullptr, w->rect.left, w->rect.top, w->Width(), w->Height(), 0};
  params.lppos = &pos;
  CallProc(w, WM_NCCALCSIZE, calcValidRects ? TRUE : FALSE, reinterpret_cast<LPARAM>(&params));
  if (w->destroyed) return;
  RECT c = params.rgrc[0];
  OffsetRect(&c, -origin.x, -origin.y);
  if (c.right < c.left) c.right = c.left;
  if (c.bottom < c.top) c.bottom = c.top;
  w->client = c;
}

NativeWindow* NativeOf(HWND hwnd) {
  WindowImpl* w = W(hwnd);
  w = TopOf(w);
  return w && w->top ? w->top->native.get() : nullptr;
}

void CenterOnScreen(RECT& r) {
  Backend* b = CurrentBackend();
  SIZE s = b ? b->ScreenSize() : SIZE{1280, 1024};
  int w = r.right - r.left, h = r.bottom - r.top;
  r.left = std::max<LONG>(0, (s.cx - w) / 2);
  r.top = std::max<LONG>(0, (s.cy - h) / 2);
  r.right = r.left + w;
  r.bottom = r.top + h;
}

void InsertTopLevel(WindowImpl* w) {
  auto& tops = Ui().tops;
  auto it = tops.begin();
  if (!(w->exStyle & WS_EX_TOPMOST)) {
    while (it != tops.end() && ((*it)->exStyle & WS_EX_TOPMOST)) ++it;
  }
  tops.insert(it, w);
}

void DestroyImmediately(WindowImpl* w);

}  // namespace

HWND CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y,
                     int width, int height, HWND parent, HMENU menuOrId, HINSTANCE instance, LPVOID param) {
  NoteUiThread();
  CWnd* pending = TakePendingCWnd();
  if (!className || IS_INTRESOURCE(className)) {
    SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
    return nullptr;
  }
  const std::shared_ptr<WindowClass>* cls = FindClass(className);
  if (!cls) {
    SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
    return nullptr;
  }
  WindowImpl* parentImpl = nullptr;
  HWND owner = nullptr;
  if (style & WS_CHILD) {
    parentImpl = W(parent);
    if (!parentImpl) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return nullptr;
    }
  } else if (parent) {
    WindowImpl* o = TopOf(W(parent));
    if (!o) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return nullptr;
    }
    owner = o->handle;
  }
  if (!parentImpl) RequireBackend();

  auto impl = std::make_unique<WindowImpl>();
  WindowImpl* w = impl.get();
  w->cls = *cls;
  w->proc = (*cls)->proc;
  w->style = style;
  w->exStyle = exStyle;
  w->instance = instance;
  w->id = parentImpl ? reinterpret_cast<LONG_PTR>(menuOrId) : 0;
  w->extra.assign(static_cast<size_t>((*cls)->wndExtra), 0);
  w->parent = parentImpl;
  w->owner = owner;
  if (!parentImpl) {
    if (width == CW_USEDEFAULT) width = 640, height = 480;
    if (x == CW_USEDEFAULT) {
      RECT r{0, 0, width, height};
      CenterOnScreen(r);
      x = r.left, y = r.top;
    }
  } else {
    if (x == CW_USEDEFAULT) x = y = 0;
    if (width == CW_USEDEFAULT) width = height = 0;
  }
  w->rect = RECT{x, y, x + std::max(0, width), y + std::max(0, height)};
  w->client = RECT{0, 0, w->Width(), w->Height()};
  w->text = windowName && !IS_INTRESOURCE(windowName) ? windowName : L"";
  // Visibility of top-level windows comes from ShowWindow below.
  bool showTop = !parentImpl && (style & WS_VISIBLE);
  if (showTop) w->style &= ~WS_VISIBLE;
  w->handle = NewWindowHandle(w);
  HWND hwnd = w->handle;
  UiState& ui = Ui();
  if (parentImpl) {
    parentImpl->children.push_back(w);
  } else {
    InsertTopLevel(w);
  }
  ui.graveyard.reserve(ui.graveyard.size() + 1);
  impl.release();  // owned by the tree from here on; freed through the graveyard

  if (pending) {
    AttachCWnd(w, pending);
    // As when it subclasses a window, the object may adjust the window (its
    // style, say) before the window's first message.
    pending->PreSubclassWindow();
    if (!W(hwnd)) return nullptr;
  }

  CREATESTRUCTW cs{param, instance, menuOrId, parent, height, width, y, x, static_cast<LONG>(style),
                   w->text.c_str(), className, exStyle};
  if (!CallProc(w, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&cs))) {
    if (W(hwnd)) DestroyImmediately(w);
    return nullptr;
  }
  if (!W(hwnd)) return nullptr;
  CalcClient(w, false);
  if (!W(hwnd)) return nullptr;
  if (!parentImpl) {
    w->top = std::make_unique<TopLevelState>();
    NativeWindowParams p;
    p.title = w->text;
    p.rect = w->rect;
    p.decorated = (style & WS_CAPTION) == WS_CAPTION;
    p.resizable = (style & WS_THICKFRAME) != 0;
    p.taskbar = !(exStyle & WS_EX_TOOLWINDOW) && (!owner || (exStyle & WS_EX_APPWINDOW));
    p.topmost = (exStyle & WS_EX_TOPMOST) != 0;
    p.dialog = owner != nullptr;
    p.owner = NativeOf(owner);
    w->top->native = RequireBackend()->CreateNativeWindow(hwnd, p);
    EnsureBackBuffer(w);
    RegistryUpdate(w);
  }
  cs.lpszName = w->text.c_str();
  if (CallProc(w, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) {
    if (W(hwnd)) DestroyWindow(hwnd);
    return nullptr;
  }
  if (!W(hwnd)) return nullptr;
  CallProc(w, WM_SIZE, SIZE_RESTORED, MAKELPARAM(w->ClientWidth(), w->ClientHeight()));
  if (!W(hwnd)) return nullptr;
  CallProc(w, WM_MOVE, 0, MAKELPARAM(w->rect.left + w->client.left, w->rect.top + w->client.top));
  if (!W(hwnd)) return nullptr;
  if (parentImpl && w->Visible()) {
    InvalidateImpl(w, nullptr, true);
    InvalidateFrame(w);
  }
  if (showTop) ShowWindow(hwnd, SW_SHOW);
  return W(hwnd) ? hwnd : nullptr;
}

HWND CreateWindowW(LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y, int width, int height,
                   HWND parent, HMENU menuOrId, HINSTANCE instance, LPVOID param) {
  return CreateWindowExW(0, className, windowName, style, x, y, width, height, parent, menuOrId, instance,
                         param);
}

// ---- destruction --------------------------------------------------------------------

namespace {

void Unlink(WindowImpl* w) {
  UiState& ui = Ui();
  if (w->parent) {
    auto& sib = w->parent->children;
    sib.erase(std::remove(sib.begin(), sib.end(), w), sib.end());
  } else {
    ui.tops.erase(std::remove(ui.tops.begin(), ui.tops.end(), w), ui.tops.end());
  }
}

void Bury(WindowImpl* w) {
  HWND hwnd = w->handle;
  RemoveTimersOf(hwnd);
  DropWindowInputState(w);
  Unlink(w);
  w->destroyed = true;
  if (w->top) {
    RegistryUpdate(w);
    w->top->native.reset();
  }
  ForgetTemporaryWnd(hwnd);
  FreeHandle(hwnd);
  Ui().graveyard.emplace_back(w);
}

void SendDestroy(WindowImpl* w) {
  w->destroying = true;
  CallProc(w, WM_DESTROY, 0, 0);
  std::vector<HWND> kids;
  for (WindowImpl* c : w->children) kids.push_back(c->handle);
  for (HWND k : kids)
    if (WindowImpl* c = W(k)) SendDestroy(c);
}

void SendNcDestroy(WindowImpl* w) {
  std::vector<HWND> kids;
  for (WindowImpl* c : w->children) kids.push_back(c->handle);
  for (HWND k : kids)
    if (WindowImpl* c = W(k)) SendNcDestroy(c);
  if (w->destroyed) return;
  CallProc(w, WM_NCDESTROY, 0, 0);
  Bury(w);
}

// A window whose creation failed before WM_CREATE: only WM_NCDESTROY.
void DestroyImmediately(WindowImpl* w) {
  w->destroying = true;
  CallProc(w, WM_NCDESTROY, 0, 0);
  if (!w->destroyed) Bury(w);
}

bool InSubtree(WindowImpl* root, HWND hwnd) {
  for (WindowImpl* w = W(hwnd); w; w = w->parent)
    if (w == root) return true;
  return false;
}

}  // namespace

BOOL DestroyWindow(HWND hwnd) {
  WindowImpl* w = W(hwnd);
  if (!w) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  if (w->destroying) return FALSE;
  w->destroying = true;
  UiState& ui = Ui();
  if (!w->parent) {
    std::vector<HWND> owned;
    for (WindowImpl* t : ui.tops)
      if (t->owner == hwnd) owned.push_back(t->handle);
    for (HWND o : owned) DestroyWindow(o);
    if (!W(hwnd)) return TRUE;
  }
  if (w->Visible())
    SetWindowPosImpl(w, nullptr, 0, 0, 0, 0, SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE,
                     false);
  if (!W(hwnd)) return TRUE;
  if (ui.capture && InSubtree(w, ui.capture)) ReleaseCapture();
  if (ui.focus && InSubtree(w, ui.focus)) SetFocus(w->parent ? w->parent->handle : nullptr);
  if (!W(hwnd)) return TRUE;
  SendDestroy(w);
  if (!W(hwnd)) return TRUE;
  SendNcDestroy(w);
  if (ui.active == hwnd) {
    ui.active = nullptr;
    // Another window of the process takes the activation, as the display
    // would give it.
    for (WindowImpl* t : ui.tops)
      if (t->Visible() && t->Enabled()) {
        Activate(t, false);
        break;
      }
  }
  return TRUE;
}

BOOL IsWindow(HWND hwnd) {
  if (W(hwnd)) return TRUE;
  return External(hwnd) ? TRUE : FALSE;
}

BOOL IsChild(HWND parent, HWND hwnd) {
  WindowImpl* p = W(parent);
  WindowImpl* w = W(hwnd);
  if (!p || !w) return FALSE;
  for (WindowImpl* a = w->parent; a; a = a->parent)
    if (a == p) return TRUE;
  return FALSE;
}

HWND GetParent(HWND hwnd) {
  WindowImpl* w = W(hwnd);
  if (!w) return nullptr;
  if (w->parent) return w->parent->handle;
  return (w->style & WS_POPUP) ? w->owner : nullptr;
}

HWND SetParent(HWND child, HWND newParent) {
  WindowImpl* w = W(child);
  WindowImpl* p = W(newParent);
  if (!w || !w->parent || !p || p == w) return nullptr;
  for (WindowImpl* a = p; a; a = a->parent)
    if (a == w) return nullptr;
  WindowImpl* old = w->parent;
  if (w->Visible()) InvalidateUnder(w, w->rect);
  auto& sib = old->children;
  sib.erase(std::remove(sib.begin(), sib.end(), w), sib.end());
  w->parent = p;
  p->children.insert(p->children.begin(), w);
  if (w->Visible()) {
    InvalidateImpl(w, nullptr, true);
    InvalidateFrame(w);
  }
  return old->handle;
}

HWND GetAncestor(HWND hwnd, UINT flags) {
  WindowImpl* w = W(hwnd);
  if (!w) return nullptr;
  switch (flags) {
    case GA_PARENT:
      return w->parent ? w->parent->handle : GetDesktopWindow();
    case GA_ROOT:
      return TopOf(w)->handle;
    case GA_ROOTOWNER: {
      WindowImpl* t = TopOf(w);
      while (t && W(t->owner)) t = TopOf(W(t->owner));
      return t ? t->handle : nullptr;
    }
  }
  return nullptr;
}

HWND GetDesktopWindow() {
  static HWND desktop = NewExternalHandle(new ExternalWindow{ExternalWindow::kForeign, "", 0, L"#32769", L"", nullptr});
  return desktop;
}

HWND GetWindow(HWND hwnd, UINT cmd) {
  if (hwnd == GetDesktopWindow() && cmd == GW_CHILD) {
    auto& tops = Ui().tops;
    return tops.empty() ? nullptr : tops.front()->handle;
  }
  WindowImpl* w = W(hwnd);
  if (!w) return nullptr;
  if (cmd == GW_CHILD) return w->children.empty() ? nullptr : w->children.front()->handle;
  if (cmd == GW_OWNER) return w->owner;
  const std::vector<WindowImpl*>& sib = w->parent ? w->parent->children : Ui().tops;
  auto it = std::find(sib.begin(), sib.end(), w);
  if (it == sib.end()) return nullptr;
  switch (cmd) {
    case GW_HWNDFIRST:
      return sib.front()->handle;
    case GW_HWNDLAST:
      return sib.back()->handle;
    case GW_HWNDNEXT:
      return it + 1 == sib.end() ? nullptr : (*(it + 1))->handle;
    case GW_HWNDPREV:
      return it == sib.begin() ? nullptr : (*(it - 1))->handle;
  }
  return nullptr;
}

HWND GetTopWindow(HWND hwnd) { return GetWindow(hwnd ? hwnd : GetDesktopWindow(), GW_CHILD); }

HWND GetDlgItem(HWND dialog, int id) {
  WindowImpl* d = W(dialog);
  if (!d) return nullptr;
  for (WindowImpl* c : d->children)
    if (static_cast<int>(c->id) == id) return c->handle;
  return nullptr;
}

int GetDlgCtrlID(HWND hwnd) {
  WindowImpl* w = W(hwnd);
  return w && w->parent ? static_cast<int>(w->id) : 0;
}

// ---- window data ----------------------------------------------------------------------

LONG_PTR GetWindowLongPtrW(HWND hwnd, int index) {
  WindowImpl* w = W(hwnd);
  if (!w) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  if (w->isDialog && index >= 0 && index < DLGWINDOWEXTRA) {
    if (index == DWLP_MSGRESULT) return w->msgResult;
    if (index == DWLP_DLGPROC) return reinterpret_cast<LONG_PTR>(w->dlgProc);
    if (index == DWLP_USER) return w->dlgUser;
  }
  switch (index) {
    case GWLP_WNDPROC:
      return reinterpret_cast<LONG_PTR>(w->proc);
    case GWLP_HINSTANCE:
      return reinterpret_cast<LONG_PTR>(w->instance);
    case GWLP_HWNDPARENT:
      return reinterpret_cast<LONG_PTR>(w->parent ? w->parent->handle : w->owner);
    case GWLP_ID:
      return w->id;
    case GWL_STYLE:
      return static_cast<LONG_PTR>(static_cast<LONG>(w->style));
    case GWL_EXSTYLE:
      return static_cast<LONG_PTR>(static_cast<LONG>(w->exStyle));
    case GWLP_USERDATA:
      return w->userData;
  }
  if (index >= 0 && static_cast<size_t>(index) + sizeof(LONG_PTR) <= w->extra.size()) {
    LONG_PTR v;
    std::memcpy(&v, w->extra.data() + index, sizeof v);
    return v;
  }
  if (index >= 0 && static_cast<size_t>(index) + sizeof(LONG) <= w->extra.size()) {
    LONG v;
    std::memcpy(&v, w->extra.data() + index, sizeof v);
    return v;
  }
  SetLastError(ERROR_INVALID_INDEX);
  return 0;
}

LONG_PTR SetWindowLongPtrW(HWND hwnd, int index, LONG_PTR value) {
  WindowImpl* w = W(hwnd);
  if (!w) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  LONG_PTR old = GetWindowLongPtrW(hwnd, index);
  if (w->isDialog && index >= 0 && index < DLGWINDOWEXTRA) {
    if (index == DWLP_MSGRESULT) return w->msgResult = value, old;
    if (index == DWLP_DLGPROC) return w->dlgProc = reinterpret_cast<DLGPROC>(value), old;
    if (index == DWLP_USER) return w->dlgUser = value, old;
  }
  switch (index) {
    case GWLP_WNDPROC:
      w->proc = reinterpret_cast<WNDPROC>(value);
      return old;
    case GWLP_HINSTANCE:
      w->instance = reinterpret_cast<HINSTANCE>(value);
      return old;
    case GWLP_HWNDPARENT:
      if (!w->parent) w->owner = reinterpret_cast<HWND>(value);
      return old;
    case GWLP_ID:
      w->id = value;
      return old;
    case GWL_STYLE:
    case GWL_EXSTYLE: {
      DWORD& field = index == GWL_STYLE ? w->style : w->exStyle;
      DWORD newValue = static_cast<DWORD>(value);
      if (index == GWL_STYLE) {
        // Visibility and the disabled state change only through ShowWindow
        // and EnableWindow, as the style bits alone would leave the tree
        // unpainted; the rest is taken as it is.
        newValue = (newValue & ~(WS_VISIBLE | WS_CHILD)) | (w->style & (WS_VISIBLE | WS_CHILD));
      }
      struct {
        DWORD styleOld, styleNew;
      } change{field, newValue};
      CallProc(w, WM_STYLECHANGING, index, reinterpret_cast<LPARAM>(&change));
      if (!W(hwnd)) return old;
      field = change.styleNew;
      CallProc(w, WM_STYLECHANGED, index, reinterpret_cast<LPARAM>(&change));
      return old;
    }
    case GWLP_USERDATA:
      w->userData = value;
      return old;
  }
  if (index >= 0 && static_cast<size_t>(index) + sizeof(LONG_PTR) <= w->extra.size()) {
    std::memcpy(w->extra.data() + index, &value, sizeof value);
    return old;
  }
  if (index >= 0 && static_cast<size_t>(index) + sizeof(LONG) <= w->extra.size()) {
    LONG v = static_cast<LONG>(value);
    std::memcpy(w->extra.data() + index, &v, sizeof v);
    return old;
  }
  SetLastError(ERROR_INVALID_INDEX);
  return 0;
}

LONG GetWindowLongW(HWND hwnd, int index) { return static_cast<LONG>(GetWindowLongPtrW(hwnd, index)); }
LONG SetWindowLongW(HWND hwnd, int index, LONG value) {
  return static_cast<LONG>(SetWindowLongPtrW(hwnd, index, value));
}

BOOL SetPropW(HWND hwnd, LPCWSTR name, void* data) {
  WindowImpl* w = W(hwnd);
  if (!w || !name) return FALSE;
  w->props[name] = data;
  return TRUE;
}

void* GetPropW(HWND hwnd, LPCWSTR name) {
  WindowImpl* w = W(hwnd);
  if (!w || !name) return nullptr;
  auto it = w->props.find(name);
  return it == w->props.end() ? nullptr : it->second;
}

void* RemovePropW(HWND hwnd, LPCWSTR name) {
  WindowImpl* w = W(hwnd);
  if (!w || !name) return nullptr;
  auto it = w->props.find(name);
  if (it == w->props.end()) return nullptr;
  void* v = it->second;
  w->props.erase(it);
  return v;
}

// ---- text -------------------------------------------------------------------------

namespace platform {
void SetWindowTextImpl(WindowImpl* w, const std::wstring& text) {
  if (w->text == text) return;
  w->text = text;
  if (w->top) {
    if (w->top->native) w->top->native->SetTitle(text);
    RegistryUpdate(w);
  }
}
}  // namespace platform

BOOL SetWindowTextW(HWND hwnd, LPCWSTR text) {
  if (!W(hwnd)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  return SendMessageW(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text ? text : L"")) ? TRUE : FALSE;
}

int GetWindowTextW(HWND hwnd, LPWSTR buffer, int count) {
  if (buffer && count > 0) buffer[0] = L'\0';
  if (W(hwnd)) return static_cast<int>(SendMessageW(hwnd, WM_GETTEXT, count, reinterpret_cast<LPARAM>(buffer)));
  if (ExternalWindow* e = External(hwnd)) {
    if (e->kind == ExternalWindow::kForeign) {
      ForeignInfo info;
      if (Backend* b = CurrentBackend())
        if (b->ForeignInfoOf(e->xid, info)) e->title = info.title;
    }
    return CopyText(e->title, buffer, count);
  }
  SetLastError(ERROR_INVALID_WINDOW_HANDLE);
  return 0;
}

int GetWindowTextLengthW(HWND hwnd) {
  if (W(hwnd)) return static_cast<int>(SendMessageW(hwnd, WM_GETTEXTLENGTH, 0, 0));
  if (ExternalWindow* e = External(hwnd)) return static_cast<int>(e->title.size());
  return 0;
}

// ---- showing, enabling, moving ------------------------------------------------------

BOOL ShowWindow(HWND hwnd, int cmd) {
  WindowImpl* w = W(hwnd);
  if (!w) return FALSE;
  bool was = w->Visible();
  UINT activate = (cmd == SW_SHOWNA || cmd == SW_SHOWNOACTIVATE || cmd == SW_SHOWMINNOACTIVE) ? SWP_NOACTIVATE : 0;
  switch (cmd) {
    case SW_HIDE:
      if (!was) return FALSE;
      CallProc(w, WM_SHOWWINDOW, FALSE, 0);
      if (!W(hwnd)) return TRUE;
      SetWindowPosImpl(w, nullptr, 0, 0, 0, 0,
                       SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE, false);
      return TRUE;
    case SW_MINIMIZE:
    case SW_SHOWMINIMIZED:
    case SW_SHOWMINNOACTIVE:
      if (!was) {
        CallProc(w, WM_SHOWWINDOW, TRUE, 0);
        if (!W(hwnd)) return FALSE;
        SetWindowPosImpl(w, nullptr, 0, 0, 0, 0, SWP_SHOWWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | activate,
                         false);
      }
      if (w->top && !w->iconic) {
        w->iconic = true;
        w->style |= WS_MINIMIZE;
        if (w->top->native) w->top->native->Minimize();
        CallProc(w, WM_SIZE, SIZE_MINIMIZED, 0);
      }
      return was;
    case SW_RESTORE:
    case SW_SHOWNORMAL:
      if (w->top && w->iconic) {
        w->iconic = false;
        w->style &= ~WS_MINIMIZE;
        if (w->top->native) w->top->native->Restore();
        CallProc(w, WM_SIZE, SIZE_RESTORED, MAKELPARAM(w->ClientWidth(), w->ClientHeight()));
        if (!W(hwnd)) return was;
        InvalidateImpl(w, nullptr, true);
      }
      [[fallthrough]];
    default:
      if (was) {
        if (!activate && w->top) Activate(w, false);
        return TRUE;
      }
      CallProc(w, WM_SHOWWINDOW, TRUE, 0);
      if (!W(hwnd)) return FALSE;
      SetWindowPosImpl(w, nullptr, 0, 0, 0, 0, SWP_SHOWWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | activate,
                       false);
      return FALSE;
  }
}

BOOL IsWindowVisible(HWND hwnd) {
  WindowImpl* w = W(hwnd);
  return w && ReallyVisible(w) ? TRUE : FALSE;
}

BOOL IsIconic(HWND hwnd) {
  WindowImpl* w = W(hwnd);
  return w && w->iconic ? TRUE : FALSE;
}

BOOL EnableWindow(HWND hwnd, BOOL enable) {
  WindowImpl* w = W(hwnd);
  if (!w) return FALSE;
  BOOL wasDisabled = w->Enabled() ? FALSE : TRUE;
  if (!!enable == !wasDisabled) return wasDisabled;
  UiState& ui = Ui();
  if (enable) {
    w->style &= ~WS_DISABLED;
  } else {
    w->style |= WS_DISABLED;
    if (ui.capture == hwnd) ReleaseCapture();
    if (ui.focus && InSubtree(w, ui.focus)) SetFocus(nullptr);
  }
  if (W(hwnd)) CallProc(w, WM_ENABLE, enable ? TRUE : FALSE, 0);
  return wasDisabled;
}

BOOL IsWindowEnabled(HWND hwnd) {
  WindowImpl* w = W(hwnd);
  return w && w->Enabled() ? TRUE : FALSE;
}

BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint) {
  WindowImpl* w = W(hwnd);
  if (!w) return FALSE;
  return SetWindowPosImpl(w, nullptr, x, y, width, height,
                          SWP_NOZORDER | SWP_NOACTIVATE | (repaint ? 0 : SWP_NOREDRAW), false);
}

namespace platform {

void Activate(WindowImpl* top, bool fromDisplay) {
  UiState& ui = Ui();
  if (!top || top->destroyed) return;
  HWND hwnd = top->handle;
  if (!fromDisplay && top->top && top->top->native) top->top->native->Activate();
  if (ui.active == hwnd) return;
  HWND old = ui.active;
  if (WindowImpl* o = W(old)) Deactivate(o);
  ui.active = hwnd;
  CallProc(top, WM_ACTIVATE, WA_ACTIVE, reinterpret_cast<LPARAM>(old));
}

void Deactivate(WindowImpl* top) {
  UiState& ui = Ui();
  if (ui.active != top->handle) return;
  if (ui.focus && InSubtree(top, ui.focus)) {
    top->top->lastFocus = ui.focus;
    SetFocus(nullptr);
  }
  ui.active = nullptr;
  if (!top->destroyed) CallProc(top, WM_ACTIVATE, WA_INACTIVE, 0);
}

BOOL SetWindowPosImpl(WindowImpl* w, HWND insertAfter, int x, int y, int cx, int cy, UINT flags,
                      bool fromDisplay) {
  HWND hwnd = w->handle;
  WINDOWPOS pos{hwnd, insertAfter, x, y, cx, cy, flags};
  if (flags & SWP_NOMOVE) pos.x = w->rect.left, pos.y = w->rect.top;
  if (flags & SWP_NOSIZE) pos.cx = w->Width(), pos.cy = w->Height();
  if (!(flags & SWP_NOSENDCHANGING)) {
    CallProc(w, WM_WINDOWPOSCHANGING, 0, reinterpret_cast<LPARAM>(&pos));
    if (!W(hwnd)) return FALSE;
  }
  pos.cx = std::max(0, pos.cx);
  pos.cy = std::max(0, pos.cy);
  RECT oldRect = w->rect;
  RECT newRect{pos.x, pos.y, pos.x + pos.cx, pos.y + pos.cy};
  bool moved = newRect.left != oldRect.left || newRect.top != oldRect.top;
  bool sized = pos.cx != w->Width() || pos.cy != w->Height();
  bool wasVisible = w->Visible();
  bool show = (pos.flags & SWP_SHOWWINDOW) && !wasVisible;
  bool hide = (pos.flags & SWP_HIDEWINDOW) && wasVisible;
  bool redraw = !(pos.flags & SWP_NOREDRAW);
  RECT oldClient = w->client;

  // The area it leaves in its parent.
  if (w->parent && wasVisible && redraw && (moved || sized || hide)) InvalidateUnder(w, oldRect);

  w->rect = newRect;
  if (moved || sized || (pos.flags & SWP_FRAMECHANGED)) {
    CalcClient(w, true);
    if (!W(hwnd)) return FALSE;
  }
  bool clientSized = w->ClientWidth() != oldClient.right - oldClient.left ||
                     w->ClientHeight() != oldClient.bottom - oldClient.top;
  bool clientMoved = moved || w->client.left != oldClient.left || w->client.top != oldClient.top;

  bool zChanged = false;
  if (!(pos.flags & SWP_NOZORDER)) {
    HWND after = pos.hwndInsertAfter;
    if (w->parent) {
      auto& sib = w->parent->children;
      WindowImpl* afterImpl = W(after);
      if (after == HWND_TOP || after == HWND_TOPMOST || after == HWND_NOTOPMOST || after == HWND_BOTTOM ||
          (afterImpl && afterImpl->parent == w->parent && afterImpl != w)) {
        sib.erase(std::remove(sib.begin(), sib.end(), w), sib.end());
        if (after == HWND_BOTTOM) {
          sib.push_back(w);
        } else if (afterImpl) {
          sib.insert(std::find(sib.begin(), sib.end(), afterImpl) + 1, w);
        } else {
          sib.insert(sib.begin(), w);
        }
        zChanged = true;
      }
    } else {
      auto& tops = Ui().tops;
      bool wasTopmost = (w->exStyle & WS_EX_TOPMOST) != 0;
      if (after == HWND_TOPMOST) w->exStyle |= WS_EX_TOPMOST;
      if (after == HWND_NOTOPMOST) w->exStyle &= ~WS_EX_TOPMOST;
      tops.erase(std::remove(tops.begin(), tops.end(), w), tops.end());
      WindowImpl* afterImpl = W(after);
      if (after == HWND_BOTTOM) {
        tops.push_back(w);
      } else if (afterImpl && !afterImpl->parent && afterImpl != w) {
        tops.insert(std::find(tops.begin(), tops.end(), afterImpl) + 1, w);
      } else {
        InsertTopLevel(w);
      }
      bool topmost = (w->exStyle & WS_EX_TOPMOST) != 0;
      if (w->top && w->top->native && !fromDisplay) {
        if (topmost != wasTopmost) w->top->native->SetTopmost(topmost);
        if (after != HWND_BOTTOM) w->top->native->Raise();
      }
      zChanged = true;
    }
  }

  if (show) w->style |= WS_VISIBLE;
  if (hide) w->style &= ~WS_VISIBLE;

  if (w->top) {
    if (sized) EnsureBackBuffer(w);
    NativeWindow* native = w->top->native.get();
    if (native && !fromDisplay && (moved || sized)) native->SetGeometry(w->rect);
    if (native && (show || hide)) native->SetVisible(show);
    if (sized || show) {
      InvalidateImpl(w, nullptr, true);
      InvalidateFrame(w);
    }
  } else if (w->Visible() && redraw && (moved || sized || show || zChanged || (pos.flags & SWP_FRAMECHANGED))) {
    InvalidateImpl(w, nullptr, true);
    InvalidateFrame(w);
  }

  if (w->top && show && !(pos.flags & SWP_NOACTIVATE)) Activate(w, fromDisplay);
  if (w->top && hide && Ui().active == hwnd) Deactivate(w);
  if (w->top && zChanged && !show && !(pos.flags & SWP_NOACTIVATE) && w->Visible()) Activate(w, fromDisplay);
  if (!W(hwnd)) return TRUE;

  pos.x = w->rect.left;
  pos.y = w->rect.top;
  pos.cx = w->Width();
  pos.cy = w->Height();
  if (!clientSized) pos.flags |= SWP_NOSIZE;
  if (!clientMoved) pos.flags |= SWP_NOMOVE;
  if (moved || sized || show || hide || zChanged || (flags & SWP_FRAMECHANGED))
    CallProc(w, WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&pos));
  return TRUE;
}

}  // namespace platform

BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
  WindowImpl* w = W(hwnd);
  if (!w) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  return SetWindowPosImpl(w, insertAfter, x, y, cx, cy, flags, false);
}

BOOL BringWindowToTop(HWND hwnd) { return SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE); }

BOOL SetForegroundWindow(HWND hwnd) {
  WindowImpl* w = TopOf(W(hwnd));
  if (!w) return FALSE;
  SetWindowPosImpl(w, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE, false);
  Activate(w, false);
  return TRUE;
}

HWND GetForegroundWindow() { return Ui().active; }

HWND SetActiveWindow(HWND hwnd) {
  HWND old = Ui().active;
  if (WindowImpl* w = TopOf(W(hwnd))) Activate(w, false);
  return old;
}

HWND GetActiveWindow() { return Ui().active; }

// ---- rectangles and coordinates -----------------------------------------------------

namespace {
POINT ClientOriginOnScreen(WindowImpl* w) {
  WindowImpl* top = TopOf(w);
  POINT p = ClientOriginInTop(w);
  return POINT{p.x + top->rect.left, p.y + top->rect.top};
}
}  // namespace

BOOL GetClientRect(HWND hwnd, LPRECT rect) {
  WindowImpl* w = W(hwnd);
  if (!w || !rect) return FALSE;
  *rect = RECT{0, 0, w->ClientWidth(), w->ClientHeight()};
  return TRUE;
}

BOOL GetWindowRect(HWND hwnd, LPRECT rect) {
  WindowImpl* w = W(hwnd);
  if (!w || !rect) return FALSE;
  WindowImpl* top = TopOf(w);
  POINT p = WindowOriginInTop(w);
  *rect = RECT{0, 0, w->Width(), w->Height()};
  OffsetRect(rect, p.x + top->rect.left, p.y + top->rect.top);
  return TRUE;
}

BOOL ClientToScreen(HWND hwnd, LPPOINT point) {
  WindowImpl* w = W(hwnd);
  if (!w || !point) return FALSE;
  POINT o = ClientOriginOnScreen(w);
  point->x += o.x;
  point->y += o.y;
  return TRUE;
}

BOOL ScreenToClient(HWND hwnd, LPPOINT point) {
  WindowImpl* w = W(hwnd);
  if (!w || !point) return FALSE;
  POINT o = ClientOriginOnScreen(w);
  point->x -= o.x;
  point->y -= o.y;
  return TRUE;
}

int MapWindowPoints(HWND from, HWND to, LPPOINT points, UINT count) {
  POINT a{0, 0}, b{0, 0};
  if (from && from != GetDesktopWindow()) {
    WindowImpl* w = W(from);
    if (!w) return 0;
    a = ClientOriginOnScreen(w);
  }
  if (to && to != GetDesktopWindow()) {
    WindowImpl* w = W(to);
    if (!w) return 0;
    b = ClientOriginOnScreen(w);
  }
  int dx = a.x - b.x, dy = a.y - b.y;
  for (UINT i = 0; i < count; ++i) points[i].x += dx, points[i].y += dy;
  return MAKELONG(static_cast<WORD>(dx), static_cast<WORD>(dy));
}

HWND ChildWindowFromPoint(HWND parent, POINT pt) {
  WindowImpl* p = W(parent);
  if (!p) return nullptr;
  if (pt.x < 0 || pt.y < 0 || pt.x >= p->ClientWidth() || pt.y >= p->ClientHeight()) return nullptr;
  for (WindowImpl* c : p->children)
    if (c->Visible() && PtInRect(&c->rect, pt)) return c->handle;
  return parent;
}

HWND WindowFromPoint(POINT screen) {
  for (WindowImpl* t : Ui().tops) {
    if (!t->Visible() || !PtInRect(&t->rect, screen)) continue;
    POINT inTop{screen.x - t->rect.left, screen.y - t->rect.top};
    if (t->shape && !t->shape->Contains(inTop.x, inTop.y)) continue;
    WindowImpl* cur = t;
    for (bool descended = true; descended;) {
      descended = false;
      POINT co = ClientOriginInTop(cur);
      POINT local{inTop.x - co.x, inTop.y - co.y};
      if (local.x < 0 || local.y < 0 || local.x >= cur->ClientWidth() || local.y >= cur->ClientHeight()) break;
      for (WindowImpl* c : cur->children) {
        if (!c->Visible() || !c->Enabled() || !PtInRect(&c->rect, local)) continue;
        if (c->shape && !c->shape->Contains(local.x - c->rect.left, local.y - c->rect.top)) continue;
        cur = c;
        descended = true;
        break;
      }
    }
    return cur->handle;
  }
  return nullptr;
}

BOOL AdjustWindowRectEx(LPRECT rect, DWORD style, BOOL, DWORD exStyle) {
  if (!rect) return FALSE;
  int b = 0;
  if ((style & WS_CHILD) || !(style & WS_CAPTION)) {
    if (style & WS_BORDER) b += 1;
  }
  if (exStyle & WS_EX_CLIENTEDGE) b += 2;
  if (exStyle & WS_EX_STATICEDGE) b += 1;
  InflateRect(rect, b, b);
  return TRUE;
}

int SetWindowRgn(HWND hwnd, HRGN region, BOOL redraw) {
  WindowImpl* w = W(hwnd);
  if (!w) return 0;
  if (region && !IsLiveRegion(region)) return 0;
  if (w->parent && w->Visible() && redraw) InvalidateUnder(w, w->rect);
  if (region) {
    w->shape = std::make_unique<Region>(region->region);
    DeleteObject(region);  // the window owns the region from now on
  } else {
    w->shape.reset();
  }
  if (w->top && w->top->native) w->top->native->SetShape(w->shape.get());
  if (redraw && w->Visible()) {
    InvalidateImpl(w, nullptr, true);
    InvalidateFrame(w);
  }
  return 1;
}

int GetWindowRgn(HWND hwnd, HRGN region) {
  WindowImpl* w = W(hwnd);
  if (!w || !w->shape || !region || !IsLiveRegion(region)) return ERROR;
  region->region = *w->shape;
  return region->region.Kind();
}

// ---- default procedure --------------------------------------------------------------

namespace {

int BorderWidth(WindowImpl* w) {
  int b = 0;
  if ((w->style & WS_BORDER) && (w->parent || (w->style & WS_CAPTION) != WS_CAPTION)) b += 1;
  if (w->exStyle & WS_EX_CLIENTEDGE) b += 2;
  if (w->exStyle & WS_EX_STATICEDGE) b += 1;
  return b;
}

void PaintBorder(WindowImpl* w) {
  int b = BorderWidth(w);
  if (b == 0) return;
  HDC dc = GetWindowDC(w->handle);
  RECT r{0, 0, w->Width(), w->Height()};
  if ((w->style & WS_BORDER) && (w->parent || (w->style & WS_CAPTION) != WS_CAPTION)) {
    FrameRect(dc, &r, GetSysColorBrush(COLOR_WINDOWFRAME));
    InflateRect(&r, -1, -1);
  }
  if (w->exStyle & WS_EX_CLIENTEDGE) {
    FrameRect(dc, &r, GetSysColorBrush(COLOR_BTNSHADOW));
    InflateRect(&r, -1, -1);
    FrameRect(dc, &r, GetSysColorBrush(COLOR_3DLIGHT));
    InflateRect(&r, -1, -1);
  }
  if (w->exStyle & WS_EX_STATICEDGE) FrameRect(dc, &r, GetSysColorBrush(COLOR_BTNSHADOW));
  ReleaseDC(w->handle, dc);
}

}  // namespace

LRESULT DefWindowProcW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  WindowImpl* w = W(hwnd);
  if (!w) return 0;
  switch (message) {
    case WM_NCCREATE:
      return TRUE;
    case WM_NCCALCSIZE: {
      RECT* r = reinterpret_cast<RECT*>(lParam);
      int b = BorderWidth(w);
      if (r && b) InflateRect(r, -b, -b);
      return 0;
    }
    case WM_NCHITTEST: {
      POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      RECT wr;
      GetWindowRect(hwnd, &wr);
      if (!PtInRect(&wr, p)) return HTNOWHERE;
      POINT local{p.x - wr.left, p.y - wr.top};
      return PtInRect(&w->client, local) ? HTCLIENT : HTBORDER;
    }
    case WM_NCPAINT:
      PaintBorder(w);
      return 0;
    case WM_ERASEBKGND: {
      HBRUSH brush = w->cls->background;
      if (!brush) return 0;
      RECT r{0, 0, w->ClientWidth(), w->ClientHeight()};
      FillRect(reinterpret_cast<HDC>(wParam), &r, brush);
      return 1;
    }
    case WM_PAINT: {
      PAINTSTRUCT ps;
      BeginPaint(hwnd, &ps);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_SETTEXT:
      SetWindowTextImpl(w, lParam ? reinterpret_cast<LPCWSTR>(lParam) : L"");
      return TRUE;
    case WM_GETTEXT:
      return CopyText(w->text, reinterpret_cast<LPWSTR>(lParam), static_cast<int>(wParam));
    case WM_GETTEXTLENGTH:
      return static_cast<LRESULT>(w->text.size());
    case WM_CLOSE:
      DestroyWindow(hwnd);
      return 0;
    case WM_SETCURSOR: {
      if (w->parent && SendMessageW(w->parent->handle, WM_SETCURSOR, wParam, lParam)) return TRUE;
      // A parent asked about a child's cursor leaves it to the child.
      if (reinterpret_cast<HWND>(wParam) != hwnd) return FALSE;
      short hit = static_cast<short>(LOWORD(lParam));
      if (hit == HTCLIENT) {
        if (w->cls->cursor) {
          SetCursor(w->cls->cursor);
          return TRUE;
        }
        return FALSE;
      }
      if (hit != HTERROR && hit != HTNOWHERE) SetCursor(StockCursor(PointerShape::kArrow));
      return FALSE;
    }
    case WM_MOUSEWHEEL:
    case WM_MOUSEHWHEEL:
      if (w->parent) return SendMessageW(w->parent->handle, message, wParam, lParam);
      return 0;
    case WM_WINDOWPOSCHANGED: {
      const WINDOWPOS* pos = reinterpret_cast<const WINDOWPOS*>(lParam);
      if (!pos) return 0;
      if (!(pos->flags & SWP_NOSIZE))
        CallProc(w, WM_SIZE, w->iconic ? SIZE_MINIMIZED : SIZE_RESTORED,
                 MAKELPARAM(w->ClientWidth(), w->ClientHeight()));
      if (!(pos->flags & SWP_NOMOVE) && W(hwnd))
        CallProc(w, WM_MOVE, 0, MAKELPARAM(w->rect.left + w->client.left, w->rect.top + w->client.top));
      return 0;
    }
    case WM_SETICON: {
      HICON old;
      if (wParam == ICON_BIG) {
        old = w->iconBig;
        w->iconBig = reinterpret_cast<HICON>(lParam);
      } else {
        old = w->iconSmall;
        w->iconSmall = reinterpret_cast<HICON>(lParam);
      }
      if (w->top && w->top->native) w->top->native->SetIcons(w->iconBig, w->iconSmall);
      return reinterpret_cast<LRESULT>(old);
    }
    case WM_GETICON:
      return reinterpret_cast<LRESULT>(wParam == ICON_BIG ? w->iconBig : w->iconSmall);
    case WM_QUERYDRAGICON:
      return reinterpret_cast<LRESULT>(w->cls->icon);
    case WM_NCLBUTTONDOWN:
      if (wParam == HTCAPTION && !w->parent) StartMoveDrag(w, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      return 0;
    case WM_SYSCOMMAND:
      switch (wParam & 0xFFF0) {
        case SC_CLOSE:
          SendMessageW(hwnd, WM_CLOSE, 0, 0);
          break;
        case SC_MINIMIZE:
          ShowWindow(hwnd, SW_MINIMIZE);
          break;
        case SC_RESTORE:
          ShowWindow(hwnd, SW_RESTORE);
          break;
        case SC_MOVE:
          if (!w->parent) StartMoveDrag(w, Ui().cursor);
          break;
      }
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE && !w->iconic && w->top) {
        UiState& ui = Ui();
        if (!ui.focus || !InSubtree(w, ui.focus)) {
          HWND restore = w->top->lastFocus;
          SetFocus(restore && InSubtree(w, restore) ? restore : hwnd);
        }
      }
      return 0;
    case WM_MOUSEACTIVATE:
      return 1;  // MA_ACTIVATE
  }
  if (IsCtlColorMessage(message)) {
    HDC dc = reinterpret_cast<HDC>(wParam);
    bool window = message == WM_CTLCOLOREDIT || message == WM_CTLCOLORLISTBOX;
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    SetBkColor(dc, GetSysColor(window ? COLOR_WINDOW : COLOR_3DFACE));
    return reinterpret_cast<LRESULT>(GetSysColorBrush(window ? COLOR_WINDOW : COLOR_3DFACE));
  }
  return 0;
}

LRESULT CallWindowProcW(WNDPROC proc, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!proc) return 0;
  UiState& ui = Ui();
  ++ui.dispatchDepth;
  LRESULT r = proc(hwnd, message, wParam, lParam);
  --ui.dispatchDepth;
  return r;
}

// ---- rectangles -----------------------------------------------------------------------

BOOL SetRect(LPRECT r, int left, int top, int right, int bottom) {
  if (!r) return FALSE;
  *r = RECT{left, top, right, bottom};
  return TRUE;
}
BOOL SetRectEmpty(LPRECT r) { return SetRect(r, 0, 0, 0, 0); }
BOOL CopyRect(LPRECT dst, const RECT* src) {
  if (!dst || !src) return FALSE;
  *dst = *src;
  return TRUE;
}
BOOL InflateRect(LPRECT r, int dx, int dy) {
  if (!r) return FALSE;
  r->left -= dx, r->right += dx, r->top -= dy, r->bottom += dy;
  return TRUE;
}
BOOL OffsetRect(LPRECT r, int dx, int dy) {
  if (!r) return FALSE;
  r->left += dx, r->right += dx, r->top += dy, r->bottom += dy;
  return TRUE;
}
BOOL IsRectEmpty(const RECT* r) { return !r || r->right <= r->left || r->bottom <= r->top; }
BOOL IntersectRect(LPRECT dst, const RECT* a, const RECT* b) {
  if (!dst || !a || !b) return FALSE;
  RECT r{std::max(a->left, b->left), std::max(a->top, b->top), std::min(a->right, b->right),
         std::min(a->bottom, b->bottom)};
  if (IsRectEmpty(&r)) {
    SetRectEmpty(dst);
    return FALSE;
  }
  *dst = r;
  return TRUE;
}
BOOL UnionRect(LPRECT dst, const RECT* a, const RECT* b) {
  if (!dst || !a || !b) return FALSE;
  if (IsRectEmpty(a) && IsRectEmpty(b)) return SetRectEmpty(dst), FALSE;
  if (IsRectEmpty(a)) return *dst = *b, TRUE;
  if (IsRectEmpty(b)) return *dst = *a, TRUE;
  *dst = RECT{std::min(a->left, b->left), std::min(a->top, b->top), std::max(a->right, b->right),
              std::max(a->bottom, b->bottom)};
  return TRUE;
}
BOOL PtInRect(const RECT* r, POINT p) {
  return r && p.x >= r->left && p.x < r->right && p.y >= r->top && p.y < r->bottom;
}
BOOL EqualRect(const RECT* a, const RECT* b) {
  return a && b && a->left == b->left && a->top == b->top && a->right == b->right && a->bottom == b->bottom;
}

int MulDiv(int number, int numerator, int denominator) {
  if (denominator == 0) return -1;
  long long v = static_cast<long long>(number) * numerator;
  long long half = std::llabs(static_cast<long long>(denominator)) / 2;
  long long q = ((v < 0) != (denominator < 0)) ? (v - ((v < 0) ? half : -half)) / denominator
                                                : (v + ((v < 0) ? -half : half)) / denominator;
  if (q > INT_MAX || q < INT_MIN) return -1;
  return static_cast<int>(q);
}

// ---- system metrics and colours --------------------------------------------------------

int GetSystemMetrics(int index) {
  switch (index) {
    case SM_CXSCREEN:
    case SM_CYSCREEN: {
      Backend* b = CurrentBackend();
      SIZE s = b ? b->ScreenSize() : SIZE{1280, 1024};
      return index == SM_CXSCREEN ? s.cx : s.cy;
    }
    case SM_CXVSCROLL:
    case SM_CYHSCROLL:
    case SM_CYVSCROLL:
    case SM_CXHSCROLL:
    case SM_CYVTHUMB:
    case SM_CXHTHUMB:
      return 16;
    case SM_CYCAPTION:
      return 23;
    case SM_CXBORDER:
    case SM_CYBORDER:
      return 1;
    case SM_CXDLGFRAME:
    case SM_CYDLGFRAME:
      return 3;
    case SM_CXICON:
    case SM_CYICON:
    case SM_CXCURSOR:
    case SM_CYCURSOR:
      return 32;
    case SM_CXDOUBLECLK:
    case SM_CYDOUBLECLK:
      return 4;
    case SM_CXEDGE:
    case SM_CYEDGE:
      return 2;
    case SM_CXSMICON:
    case SM_CYSMICON:
      return 16;
    case SM_CXDRAG:
    case SM_CYDRAG:
      return 4;
  }
  return 0;
}

DWORD GetSysColor(int index) {
  switch (index) {
    case COLOR_SCROLLBAR: return RGB(200, 200, 200);
    case COLOR_BACKGROUND: return RGB(0, 99, 177);
    case COLOR_ACTIVECAPTION: return RGB(153, 180, 209);
    case COLOR_INACTIVECAPTION: return RGB(191, 205, 219);
    case COLOR_MENU: return RGB(240, 240, 240);
    case COLOR_WINDOW: return RGB(255, 255, 255);
    case COLOR_WINDOWFRAME: return RGB(100, 100, 100);
    case COLOR_MENUTEXT: return RGB(0, 0, 0);
    case COLOR_WINDOWTEXT: return RGB(0, 0, 0);
    case COLOR_CAPTIONTEXT: return RGB(0, 0, 0);
    case COLOR_ACTIVEBORDER: return RGB(180, 180, 180);
    case COLOR_INACTIVEBORDER: return RGB(244, 247, 252);
    case COLOR_APPWORKSPACE: return RGB(171, 171, 171);
    case COLOR_HIGHLIGHT: return RGB(0, 120, 215);
    case COLOR_HIGHLIGHTTEXT: return RGB(255, 255, 255);
    case COLOR_BTNFACE: return RGB(240, 240, 240);
    case COLOR_BTNSHADOW: return RGB(160, 160, 160);
    case COLOR_GRAYTEXT: return RGB(109, 109, 109);
    case COLOR_BTNTEXT: return RGB(0, 0, 0);
    case COLOR_INACTIVECAPTIONTEXT: return RGB(0, 0, 0);
    case COLOR_BTNHIGHLIGHT: return RGB(255, 255, 255);
    case COLOR_3DDKSHADOW: return RGB(105, 105, 105);
    case COLOR_3DLIGHT: return RGB(227, 227, 227);
    case COLOR_INFOTEXT: return RGB(0, 0, 0);
    case COLOR_INFOBK: return RGB(255, 255, 225);
    case COLOR_HOTLIGHT: return RGB(0, 102, 204);
  }
  return 0;
}
