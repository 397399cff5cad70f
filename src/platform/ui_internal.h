// Inside the window layer: the window objects behind HWND, the handle table,
// the device-context and drawing objects, and the process-wide UI state.
// Included only by the window layer's own sources (it brings in Cairo).
#pragma once

#include <cairo.h>

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/winuser.h"

class CWnd;

namespace platform {

class NativeWindow;

// ---- regions -------------------------------------------------------------------
// A Cairo region with value semantics.
class Region {
 public:
  Region() : r_(cairo_region_create()) {}
  explicit Region(const RECT& rect);
  Region(const Region& other) : r_(cairo_region_copy(other.r_)) {}
  Region(Region&& other) noexcept : r_(other.r_) { other.r_ = cairo_region_create(); }
  Region& operator=(const Region& other);
  Region& operator=(Region&& other) noexcept;
  ~Region() { cairo_region_destroy(r_); }

  cairo_region_t* get() const { return r_; }
  bool empty() const { return cairo_region_is_empty(r_); }
  bool Contains(int x, int y) const { return cairo_region_contains_point(r_, x, y); }
  RECT Bounds() const;
  void Clear();
  void Union(const Region& o) { cairo_region_union(r_, o.r_); }
  void Union(const RECT& rect);
  void Intersect(const Region& o) { cairo_region_intersect(r_, o.r_); }
  void Intersect(const RECT& rect);
  void Subtract(const Region& o) { cairo_region_subtract(r_, o.r_); }
  void Subtract(const RECT& rect);
  void Xor(const Region& o) { cairo_region_xor(r_, o.r_); }
  void Translate(int dx, int dy) { cairo_region_translate(r_, dx, dy); }
  int RectCount() const { return cairo_region_num_rectangles(r_); }
  RECT RectAt(int i) const;
  // NULLREGION, SIMPLEREGION or COMPLEXREGION.
  int Kind() const;
  // Adds the region's rectangles to the current path of `cr`.
  void AddToPath(cairo_t* cr) const;

 private:
  cairo_region_t* r_;
};

// ---- window classes and windows ------------------------------------------------
struct WindowClass {
  std::wstring name;
  UINT style = 0;
  WNDPROC proc = nullptr;
  int clsExtra = 0;
  int wndExtra = 0;
  HINSTANCE instance = nullptr;
  HICON icon = nullptr;
  HICON iconSmall = nullptr;
  HCURSOR cursor = nullptr;
  HBRUSH background = nullptr;
  std::wstring menu;
};

// What a top-level window has beyond a child window.
struct TopLevelState {
  std::unique_ptr<NativeWindow> native;
  cairo_surface_t* back = nullptr;  // the back buffer, window size, RGB24
  Region present;                   // drawn but not yet presented (window coordinates)
  HWND lastFocus = nullptr;         // focus to give back on activation
  int registryId = 0;               // entry in the window registry, 0 when none
  ~TopLevelState();
};

struct WindowImpl {
  HWND handle = nullptr;
  std::shared_ptr<WindowClass> cls;
  WNDPROC proc = nullptr;
  DWORD style = 0;
  DWORD exStyle = 0;
  LONG_PTR id = 0;
  LONG_PTR userData = 0;
  HINSTANCE instance = nullptr;
  std::vector<unsigned char> extra;
  std::map<std::wstring, void*> props;
  WindowImpl* parent = nullptr;  // for WS_CHILD windows
  HWND owner = nullptr;          // for top-level windows
  std::vector<WindowImpl*> children;  // z-order, top first
  RECT rect{};    // window rectangle: parent's client coordinates, or screen for top-level windows
  RECT client{};  // client rectangle in window coordinates
  std::wstring text;
  CWnd* object = nullptr;
  std::unique_ptr<Region> shape;  // window coordinates
  Region update;                  // client coordinates
  bool erase = false;
  bool ncDirty = false;
  bool destroying = false;
  bool destroyed = false;
  bool iconic = false;
  HICON iconBig = nullptr;
  HICON iconSmall = nullptr;
  // Painting in progress (BeginPaint to EndPaint): the area, in top-level
  // window coordinates.
  std::unique_ptr<Region> painting;
  // Dialogs.
  bool isDialog = false;
  DLGPROC dlgProc = nullptr;
  LRESULT msgResult = 0;
  LONG_PTR dlgUser = 0;
  HFONT dialogFont = nullptr;
  WORD defId = IDOK;
  bool dialogEnded = false;
  INT_PTR dialogResult = 0;
  std::unique_ptr<TopLevelState> top;

  bool IsTopLevel() const { return parent == nullptr; }
  bool Visible() const { return (style & WS_VISIBLE) != 0; }
  bool Enabled() const { return (style & WS_DISABLED) == 0; }
  int Width() const { return rect.right - rect.left; }
  int Height() const { return rect.bottom - rect.top; }
  int ClientWidth() const { return client.right - client.left; }
  int ClientHeight() const { return client.bottom - client.top; }
};

// A window of another process (through the registry) or of another program
// on the display.
struct ExternalWindow {
  enum Kind { kRemote, kForeign } kind;
  std::string path;          // registry socket (kRemote)
  unsigned long xid = 0;     // display window (kForeign)
  std::wstring className;
  std::wstring title;
  HWND handle = nullptr;
};

// ---- handles ---------------------------------------------------------------------
HWND NewWindowHandle(WindowImpl* w);
HWND NewExternalHandle(ExternalWindow* e);
void FreeHandle(HWND hwnd);
// The live window of this process behind a handle, or null.
WindowImpl* W(HWND hwnd);
ExternalWindow* External(HWND hwnd);
// The external window record for a display window or registry path
// (created on first use, kept for the life of the process).
ExternalWindow* ForeignWindow(unsigned long xid);
ExternalWindow* RemoteWindow(const std::string& path);

// ---- the process-wide state -----------------------------------------------------
struct Timer {
  HWND hwnd;
  UINT_PTR id;
  UINT elapse;
  TIMERPROC proc;
  uint64_t due;
};

struct MouseTrack {
  HWND hwnd = nullptr;
  DWORD flags = 0;  // TME_HOVER | TME_LEAVE
  DWORD hoverTime = 0;
  uint64_t hoverDue = 0;
  POINT hoverPoint{};  // screen
};

struct MoveDrag {
  HWND hwnd = nullptr;
  POINT start{};  // cursor, screen
  RECT startRect{};
};

struct UiState {
  std::thread::id uiThread;
  bool uiThreadSet = false;
  std::vector<std::shared_ptr<WindowClass>> classes;
  std::vector<WindowImpl*> tops;  // top-level windows, z-order, top first
  std::vector<std::unique_ptr<WindowImpl>> graveyard;
  int dispatchDepth = 0;

  // Queue.
  std::mutex queueLock;
  std::deque<MSG> posted;
  bool quitPosted = false;
  int quitCode = 0;
  std::vector<Timer> timers;
  UINT_PTR nextThreadTimerId = 0x7FFF0000;
  DWORD messageTime = 0;
  DWORD messagePos = 0;
  int sendDepth = 0;

  // Input.
  HWND focus = nullptr;
  HWND active = nullptr;
  HWND capture = nullptr;
  HWND under = nullptr;  // window under the mouse at the last event
  int underHit = HTNOWHERE;
  POINT cursor{};  // screen
  bool keyDown[256] = {};
  UINT lastKeyVk = 0;
  wchar_t lastKeyChar = 0;
  MouseTrack track;
  MoveDrag drag;
  struct {
    HWND hwnd = nullptr;
    UINT message = 0;
    uint64_t time = 0;
    POINT pt{};
  } lastClick;
  HCURSOR cursorShape = nullptr;

  // Statistics of the loop's waits, for the idle benchmark.
  uint64_t waits = 0;
  uint64_t wakeups = 0;
};

UiState& Ui();
bool OnUiThread();
void NoteUiThread();

// The backend's clock in milliseconds.
uint64_t Now();

// ---- window tree helpers ----------------------------------------------------------
WindowImpl* TopOf(WindowImpl* w);
// Visible, with every ancestor visible.
bool ReallyVisible(WindowImpl* w);
POINT WindowOriginInTop(WindowImpl* w);
POINT ClientOriginInTop(WindowImpl* w);
// The part of the window (or of its client area) that can be drawn on, in
// top-level window coordinates: clipped by the ancestors' client areas and
// the shapes of the window and its ancestors (not the top-level window's
// own shape, which the display applies); with WS_CLIPCHILDREN also without
// the visible children.
Region VisibleRegion(WindowImpl* w, bool clientOnly, bool clipChildren);
LRESULT CallProc(WindowImpl* w, UINT message, WPARAM wParam, LPARAM lParam);
void SetWindowTextImpl(WindowImpl* w, const std::wstring& text);
BOOL SetWindowPosImpl(WindowImpl* w, HWND insertAfter, int x, int y, int cx, int cy, UINT flags,
                      bool fromDisplay);
void Activate(WindowImpl* top, bool fromDisplay);
void Deactivate(WindowImpl* top);
void FreeGraveyard();
const std::shared_ptr<WindowClass>* FindClass(const std::wstring& name);
// Class names compare without regard to case.
bool SameClassName(const std::wstring& a, const std::wstring& b);
inline bool IsCtlColorMessage(UINT m) { return m >= WM_CTLCOLORMSGBOX && m <= WM_CTLCOLORSTATIC; }

// ---- painting -----------------------------------------------------------------------
// Adds to the update region (client coordinates; null: the whole client
// area) and remembers the erase request.
void InvalidateImpl(WindowImpl* w, const Region* clientArea, bool erase);
// Invalidates, with erase, whatever the parent (or, for a top-level window,
// nothing) shows in `rectInParent`, including the siblings there.
void InvalidateUnder(WindowImpl* w, const RECT& rectInParent);
void InvalidateFrame(WindowImpl* w);
bool AnyPaintPending();
// Paints every window of the top-level window that needs it, in order, and
// presents what changed.
void PaintTopLevel(WindowImpl* top);
void PaintAll();
void PresentPending();
// The back buffer of a top-level window, made or resized to its size.
void EnsureBackBuffer(WindowImpl* top);

// ---- input ----------------------------------------------------------------------------
void DropWindowInputState(WindowImpl* w);
bool StartMoveDrag(WindowImpl* top, POINT screen);
uint64_t NextHoverDue();
void FireHover(uint64_t now);

// ---- loop ------------------------------------------------------------------------------
void PostImpl(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, bool coalesceMove = false);
// How many messages wait in the queue.
size_t PostedCount();
void RemoveTimersOf(HWND hwnd);
void Wake();
// Runs the message loop of a modal run until `done` answers true; each
// message is first offered to `pretranslate`. FALSE when WM_QUIT ended it
// (the quit message is posted again for the outer loop).
bool RunModal(const std::function<bool()>& done, const std::function<bool(MSG*)>& pretranslate);
void OnIdleCleanup();
// Hooks the window layer into the application object and the message box
// (idempotent).
void InstallWindowLayer();
// The time to the next timer or hover report, -1 when nothing is due.
int64_t NextWaitTimeoutMs();
uint64_t MonotonicClockMs();

// ---- drawing objects ------------------------------------------------------------------
enum class GdiKind : uint8_t { kBitmap = 1, kBrush, kPen, kFont, kRegion };

struct GdiObject {
  uint32_t magic = 0x47444931;
  GdiKind kind;
  bool stock = false;
  int selected = 0;
  explicit GdiObject(GdiKind k) : kind(k) {}
};

}  // namespace platform

struct HBITMAP__ : platform::GdiObject {
  HBITMAP__() : GdiObject(platform::GdiKind::kBitmap) {}
  cairo_surface_t* surface = nullptr;
  int width = 0;
  int height = 0;
};

struct HBRUSH__ : platform::GdiObject {
  HBRUSH__() : GdiObject(platform::GdiKind::kBrush) {}
  COLORREF color = 0;
  bool hollow = false;
};

struct HPEN__ : platform::GdiObject {
  HPEN__() : GdiObject(platform::GdiKind::kPen) {}
  int style = PS_SOLID;
  int width = 1;
  COLORREF color = 0;
};

typedef struct _PangoFontDescription PangoFontDescription;

struct HFONT__ : platform::GdiObject {
  HFONT__() : GdiObject(platform::GdiKind::kFont) {}
  LOGFONTW lf{};
  PangoFontDescription* desc = nullptr;
  double pixelSize = 12;  // em size in pixels
};

struct HRGN__ : platform::GdiObject {
  HRGN__() : GdiObject(platform::GdiKind::kRegion) {}
  platform::Region region;
};

enum class PointerShape { kArrow, kHand, kIBeam, kWait, kCross, kSizeAll, kSizeNS, kSizeWE, kSizeNWSE, kSizeNESW, kNo };

struct HICON__ {
  uint32_t magic = 0x49434F4E;
  cairo_surface_t* surface = nullptr;  // ARGB32, premultiplied
  int width = 0;
  int height = 0;
  bool stock = false;
  bool isCursor = false;
  PointerShape shape = PointerShape::kArrow;
};

struct HDC__ {
  uint32_t magic = 0x48444321;
  enum Kind { kMemory, kWindow } kind = kMemory;
  HBITMAP bitmap = nullptr;  // memory contexts
  HWND hwnd = nullptr;       // window contexts
  bool windowArea = false;   // GetWindowDC
  bool paint = false;        // BeginPaint
  POINT base{};              // device position of the window's origin
  POINT viewport{};
  std::unique_ptr<platform::Region> baseClip;  // device coordinates; null: whole surface
  std::unique_ptr<platform::Region> userClip;  // device coordinates; null: none
  HBRUSH brush = nullptr;
  HPEN pen = nullptr;
  HFONT font = nullptr;
  COLORREF textColor = 0;
  COLORREF bkColor = 0xFFFFFF;
  int bkMode = OPAQUE;
  POINT current{};
  struct Saved {
    POINT viewport;
    std::unique_ptr<platform::Region> userClip;
    HBRUSH brush;
    HPEN pen;
    HFONT font;
    HBITMAP bitmap;
    COLORREF textColor, bkColor;
    int bkMode;
    POINT current;
  };
  std::vector<Saved> saved;
};

namespace platform {

// Copies the region's pixels of `from` onto `to` (same coordinates).
void CopyRegion(cairo_surface_t* to, cairo_surface_t* from, const Region& region);
bool IsLiveDC(HDC dc);
bool IsLiveRegion(HRGN region);
// The drawing object behind a handle, or null when it is not a live one.
GdiObject* LiveGdiObject(HGDIOBJ object);
// The surface the context draws into (null when its window is gone).
cairo_surface_t* DcSurface(HDC dc);
// A Cairo context on the DC's surface, clipped, with the logical origin at
// (0, 0). Null when there is nothing to draw into. Destroy it after use.
cairo_t* DcBeginDraw(HDC dc);
// The DC's clip in device coordinates (the surface bounds when unclipped).
Region DcDeviceClip(HDC dc);
// A window DC (client or whole window), optionally clipped to `paint`
// (top-level coordinates).
HDC MakeWindowDC(WindowImpl* w, bool windowArea, const Region* paint);
void ReleaseWindowDC(HDC dc);
HBRUSH__* ResolveBrush(HBRUSH brush, HBRUSH__* scratch);
HFONT DefaultGuiFont();
HBITMAP__* NewBitmap(int width, int height, cairo_format_t format);
// Bitmaps and icons from BMP and PNG bytes or files (gdk-pixbuf).
cairo_surface_t* DecodeImage(const unsigned char* data, size_t size, bool* hasAlpha);
cairo_surface_t* DecodeImageFile(const std::string& path, bool* hasAlpha);
HICON__* IconFromSurface(cairo_surface_t* surface);
HICON StockCursor(PointerShape shape);
HICON ApplicationIcon();
COLORREF ColorRefFromPixel(uint32_t pixel, bool premultiplied);
inline void SetSourceColorRef(cairo_t* cr, COLORREF c) {
  cairo_set_source_rgb(cr, GetRValue(c) / 255.0, GetGValue(c) / 255.0, GetBValue(c) / 255.0);
}
// Releases wrappers made by FromHandle (windows, device contexts, drawing
// objects) that are no longer needed.
void FreeTemporaryObjects();

}  // namespace platform

namespace platform {
// ---- objects of the class library (wnd.cc) ----------------------------------------
// The object a CWnd::Create call is creating, taken once by the window being
// created so that it receives every message from WM_NCCREATE on.
CWnd* TakePendingCWnd();
void SetPendingCWnd(CWnd* wnd);
void AttachCWnd(WindowImpl* w, CWnd* wnd);
// Drops the temporary wrapper of a handle that is going away.
void ForgetTemporaryWnd(HWND hwnd);

// ---- the window registry (registry.cc) ---------------------------------------------
// Keeps a top-level window's registry entry in step with its title (none
// for an empty title or a destroyed window).
void RegistryUpdate(WindowImpl* top);
// Descriptors the loop waits on for requests from other processes.
void RegistryPollFds(std::vector<int>& fds);
// Serves requests that have arrived, without waiting.
void RegistryService();
// Delivers a message to a window of another process; with `wait`, returns
// its answer (0 when it could not be delivered, *delivered false).
LRESULT RegistrySend(ExternalWindow* target, UINT message, WPARAM wParam, LPARAM lParam, bool wait,
                     bool* delivered);
// Finds a window of another process by title (and class, when given).
HWND RegistryFind(LPCWSTR className, LPCWSTR title);
}  // namespace platform
