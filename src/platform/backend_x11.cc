// The x11 backend: one X window per top-level window, without decorations
// unless it has a caption, with a taskbar entry, title, class "lanscout",
// icon, XShape from the window's region, the move by the window manager,
// topmost and activation by the window manager's protocols, and the client
// windows of other programs.
#include "platform/backend.h"

#include <unistd.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/cursorfont.h>
#include <X11/extensions/shape.h>
#include <X11/keysym.h>
#include <cairo-xlib.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstring>
#include <map>

#include "platform/textconv.h"

namespace platform {

namespace {

int IgnoreErrors(Display*, XErrorEvent*) { return 0; }

uint64_t SteadyMs() {
  using namespace std::chrono;
  static const steady_clock::time_point start = steady_clock::now();
  return static_cast<uint64_t>(duration_cast<milliseconds>(steady_clock::now() - start).count());
}

class X11Backend;

class X11Window : public NativeWindow {
 public:
  X11Window(X11Backend* b, HWND hwnd, const NativeWindowParams& p);
  ~X11Window() override;
  void SetTitle(const std::wstring& title) override;
  void SetGeometry(const RECT& screen) override;
  void SetVisible(bool visible) override;
  void SetShape(const Region* shape) override;
  void SetIcons(HICON big, HICON small) override;
  void SetTopmost(bool topmost) override;
  void Raise() override;
  void Activate() override;
  void Minimize() override;
  void Restore() override;
  void Present(cairo_surface_t* back, const Region& dirty) override;
  bool BeginMove(POINT screen) override;
  void SetCursor(PointerShape shape) override;
  unsigned long NativeId() const override { return win_; }

  void SetSizeHints(int w, int h, int x, int y);

  X11Backend* b_;
  HWND hwnd_;
  ::Window win_ = 0;
  cairo_surface_t* xsurface_ = nullptr;
  int width_ = 1, height_ = 1;
  bool resizable_ = false;
  bool mapped_ = false;
  bool topmost_ = false;
  bool iconic_ = false;
  PointerShape cursor_ = PointerShape::kArrow;
};

class X11Backend : public Backend {
 public:
  explicit X11Backend(Display* d) : dpy(d) {
    screen = DefaultScreen(dpy);
    root = RootWindow(dpy, screen);
    visual = DefaultVisual(dpy, screen);
    depth = DefaultDepth(dpy, screen);
    XSetErrorHandler(IgnoreErrors);
    const char* names[] = {"WM_PROTOCOLS", "WM_DELETE_WINDOW", "_NET_WM_PING", "_NET_WM_NAME", "UTF8_STRING",
                           "_MOTIF_WM_HINTS", "_NET_WM_ICON", "_NET_WM_STATE", "_NET_WM_STATE_ABOVE",
                           "_NET_WM_STATE_HIDDEN", "_NET_ACTIVE_WINDOW", "_NET_WM_MOVERESIZE", "_NET_SUPPORTED",
                           "_NET_CLIENT_LIST", "_NET_CLIENT_LIST_STACKING", "_NET_WM_PID", "WM_STATE",
                           "_NET_WM_WINDOW_TYPE", "_NET_WM_WINDOW_TYPE_NORMAL", "_NET_WM_WINDOW_TYPE_DIALOG"};
    static_assert(sizeof(names) / sizeof(names[0]) == kAtomCount, "atom table");
    XInternAtoms(dpy, const_cast<char**>(names), kAtomCount, False, atoms);
    const unsigned shapes[] = {XC_left_ptr, XC_hand2, XC_xterm, XC_watch, XC_crosshair, XC_fleur,
                               XC_sb_v_double_arrow, XC_sb_h_double_arrow, XC_bottom_right_corner,
                               XC_bottom_left_corner, XC_X_cursor};
    for (int i = 0; i < 11; ++i) cursors[i] = XCreateFontCursor(dpy, shapes[i]);
    ReadSupported();
  }
  ~X11Backend() override { XCloseDisplay(dpy); }

  const char* Name() const override { return "x11"; }
  bool IsHeadless() const override { return false; }
  std::unique_ptr<NativeWindow> CreateNativeWindow(HWND hwnd, const NativeWindowParams& params) override {
    auto w = std::make_unique<X11Window>(this, hwnd, params);
    windows[w->win_] = w.get();
    return w;
  }
  int EventFd() override { return ConnectionNumber(dpy); }
  void Flush() override { XFlush(dpy); }
  bool Pending() override { return XEventsQueued(dpy, QueuedAlready) > 0; }
  void DispatchEvents() override;
  uint64_t NowMs() override { return SteadyMs(); }
  SIZE ScreenSize() override { return SIZE{DisplayWidth(dpy, screen), DisplayHeight(dpy, screen)}; }
  void EnumForeign(std::vector<ForeignInfo>& out) override;
  void ForeignChildren(unsigned long id, std::vector<ForeignInfo>& out) override;
  bool ForeignInfoOf(unsigned long id, ForeignInfo& out) override;
  bool CloseForeign(unsigned long id) override;
  bool IsOwnNativeId(unsigned long id) override { return windows.count(id) != 0; }

  enum {
    kWmProtocols,
    kWmDeleteWindow,
    kNetWmPing,
    kNetWmName,
    kUtf8String,
    kMotifWmHints,
    kNetWmIcon,
    kNetWmState,
    kNetWmStateAbove,
    kNetWmStateHidden,
    kNetActiveWindow,
    kNetWmMoveResize,
    kNetSupported,
    kNetClientList,
    kNetClientListStacking,
    kNetWmPid,
    kWmState,
    kNetWmWindowType,
    kNetWmWindowTypeNormal,
    kNetWmWindowTypeDialog,
    kAtomCount
  };

  bool Supports(int atom) const { return std::find(supported.begin(), supported.end(), atoms[atom]) != supported.end(); }
  void SendToRoot(::Window w, Atom type, long a, long b, long c, long d, long e) {
    XEvent ev{};
    ev.xclient.type = ClientMessage;
    ev.xclient.window = w;
    ev.xclient.message_type = type;
    ev.xclient.format = 32;
    ev.xclient.data.l[0] = a;
    ev.xclient.data.l[1] = b;
    ev.xclient.data.l[2] = c;
    ev.xclient.data.l[3] = d;
    ev.xclient.data.l[4] = e;
    XSendEvent(dpy, root, False, SubstructureRedirectMask | SubstructureNotifyMask, &ev);
  }
  std::wstring TitleOf(::Window w);
  std::vector<Atom> AtomList(::Window w, Atom property);
  std::vector<::Window> WindowList(::Window w, Atom property);
  void ReadSupported() { supported = AtomList(root, atoms[kNetSupported]); }

  Display* dpy;
  int screen;
  ::Window root;
  Visual* visual;
  int depth;
  Atom atoms[kAtomCount];
  Cursor cursors[11];
  std::vector<Atom> supported;
  std::map<::Window, X11Window*> windows;
  Time lastTime = CurrentTime;
  POINT lastRoot{};

 private:
  void Handle(XEvent& ev);
};

// ---- properties --------------------------------------------------------------------------

std::vector<Atom> X11Backend::AtomList(::Window w, Atom property) {
  std::vector<Atom> out;
  Atom type;
  int format;
  unsigned long n = 0, after = 0;
  unsigned char* data = nullptr;
  if (XGetWindowProperty(dpy, w, property, 0, 4096, False, XA_ATOM, &type, &format, &n, &after, &data) == 0 &&
      data && format == 32) {
    auto* a = reinterpret_cast<Atom*>(data);
    out.assign(a, a + n);
  }
  if (data) XFree(data);
  return out;
}

std::vector<::Window> X11Backend::WindowList(::Window w, Atom property) {
  std::vector<::Window> out;
  Atom type;
  int format;
  unsigned long n = 0, after = 0;
  unsigned char* data = nullptr;
  if (XGetWindowProperty(dpy, w, property, 0, 65536, False, XA_WINDOW, &type, &format, &n, &after, &data) == 0 &&
      data && format == 32) {
    auto* a = reinterpret_cast<::Window*>(data);
    out.assign(a, a + n);
  }
  if (data) XFree(data);
  return out;
}

std::wstring X11Backend::TitleOf(::Window w) {
  Atom type;
  int format;
  unsigned long n = 0, after = 0;
  unsigned char* data = nullptr;
  std::wstring title;
  if (XGetWindowProperty(dpy, w, atoms[kNetWmName], 0, 4096, False, atoms[kUtf8String], &type, &format, &n, &after,
                         &data) == 0 &&
      data && format == 8) {
    title = Utf8ToWide(std::string(reinterpret_cast<char*>(data), n));
  }
  if (data) XFree(data);
  if (!title.empty()) return title;
  XTextProperty text{};
  if (XGetWMName(dpy, w, &text) && text.value) {
    char** list = nullptr;
    int count = 0;
    if (Xutf8TextPropertyToTextList(dpy, &text, &list, &count) >= 0 && count > 0 && list) {
      title = Utf8ToWide(list[0]);
      XFreeStringList(list);
    }
    XFree(text.value);
  }
  return title;
}

bool X11Backend::ForeignInfoOf(unsigned long id, ForeignInfo& out) {
  out.id = id;
  XClassHint hint{};
  std::string instance, cls;
  if (XGetClassHint(dpy, id, &hint)) {
    if (hint.res_name) instance = hint.res_name, XFree(hint.res_name);
    if (hint.res_class) cls = hint.res_class, XFree(hint.res_class);
  }
  out.className = ForeignClassName(instance, cls);
  out.title = TitleOf(id);
  return true;
}

void X11Backend::EnumForeign(std::vector<ForeignInfo>& out) {
  std::vector<::Window> list = WindowList(root, atoms[kNetClientListStacking]);
  if (list.empty()) list = WindowList(root, atoms[kNetClientList]);
  if (list.empty()) {
    // No window manager keeps a list: the root's mapped children that name
    // a class.
    ::Window r, p, *kids = nullptr;
    unsigned n = 0;
    if (XQueryTree(dpy, root, &r, &p, &kids, &n)) {
      for (unsigned i = 0; i < n; ++i) {
        XWindowAttributes a;
        XClassHint hint{};
        if (!XGetWindowAttributes(dpy, kids[i], &a) || a.map_state != IsViewable || a.override_redirect) continue;
        if (!XGetClassHint(dpy, kids[i], &hint)) continue;
        if (hint.res_name) XFree(hint.res_name);
        if (hint.res_class) XFree(hint.res_class);
        list.push_back(kids[i]);
      }
      if (kids) XFree(kids);
    }
  }
  // Both lists run from the bottom of the stack.
  for (auto it = list.rbegin(); it != list.rend(); ++it) {
    ForeignInfo info;
    ForeignInfoOf(*it, info);
    out.push_back(info);
  }
}

void X11Backend::ForeignChildren(unsigned long id, std::vector<ForeignInfo>& out) {
  ::Window r, p, *kids = nullptr;
  unsigned n = 0;
  if (!XQueryTree(dpy, id, &r, &p, &kids, &n)) return;
  for (unsigned i = n; i-- > 0;) {
    ForeignInfo info;
    ForeignInfoOf(kids[i], info);
    out.push_back(info);
  }
  if (kids) XFree(kids);
}

bool X11Backend::CloseForeign(unsigned long id) {
  Atom* protocols = nullptr;
  int n = 0;
  bool deletable = false;
  if (XGetWMProtocols(dpy, id, &protocols, &n)) {
    for (int i = 0; i < n; ++i) deletable = deletable || protocols[i] == atoms[kWmDeleteWindow];
    XFree(protocols);
  }
  if (!deletable) return false;
  XEvent ev{};
  ev.xclient.type = ClientMessage;
  ev.xclient.window = id;
  ev.xclient.message_type = atoms[kWmProtocols];
  ev.xclient.format = 32;
  ev.xclient.data.l[0] = static_cast<long>(atoms[kWmDeleteWindow]);
  ev.xclient.data.l[1] = CurrentTime;
  XSendEvent(dpy, id, False, NoEventMask, &ev);
  XFlush(dpy);
  return true;
}

// ---- events ------------------------------------------------------------------------------

UINT Mods(unsigned state) {
  UINT m = 0;
  if (state & ShiftMask) m |= MK_SHIFT;
  if (state & ControlMask) m |= MK_CONTROL;
  if (state & Button1Mask) m |= MK_LBUTTON;
  if (state & Button2Mask) m |= MK_MBUTTON;
  if (state & Button3Mask) m |= MK_RBUTTON;
  return m;
}

UINT VirtualKey(KeySym k) {
  if (k >= XK_a && k <= XK_z) return static_cast<UINT>('A' + (k - XK_a));
  if (k >= XK_A && k <= XK_Z) return static_cast<UINT>('A' + (k - XK_A));
  if (k >= XK_0 && k <= XK_9) return static_cast<UINT>('0' + (k - XK_0));
  if (k >= XK_F1 && k <= XK_F12) return static_cast<UINT>(VK_F1 + (k - XK_F1));
  switch (k) {
    case XK_Return: case XK_KP_Enter: return VK_RETURN;
    case XK_Escape: return VK_ESCAPE;
    case XK_Tab: case XK_ISO_Left_Tab: return VK_TAB;
    case XK_BackSpace: return VK_BACK;
    case XK_space: return VK_SPACE;
    case XK_Left: case XK_KP_Left: return VK_LEFT;
    case XK_Right: case XK_KP_Right: return VK_RIGHT;
    case XK_Up: case XK_KP_Up: return VK_UP;
    case XK_Down: case XK_KP_Down: return VK_DOWN;
    case XK_Home: case XK_KP_Home: return VK_HOME;
    case XK_End: case XK_KP_End: return VK_END;
    case XK_Prior: case XK_KP_Prior: return VK_PRIOR;
    case XK_Next: case XK_KP_Next: return VK_NEXT;
    case XK_Insert: return VK_INSERT;
    case XK_Delete: case XK_KP_Delete: return VK_DELETE;
    case XK_Shift_L: case XK_Shift_R: return VK_SHIFT;
    case XK_Control_L: case XK_Control_R: return VK_CONTROL;
    case XK_Alt_L: case XK_Alt_R: return VK_MENU;
    case XK_Menu: return VK_APPS;
  }
  return 0;
}

void X11Backend::DispatchEvents() {
  size_t before = PostedCount();
  while (PostedCount() == before && XPending(dpy)) {
    XEvent ev;
    XNextEvent(dpy, &ev);
    Handle(ev);
  }
}

void X11Backend::Handle(XEvent& ev) {
  auto it = windows.find(ev.xany.window);
  if (it == windows.end()) return;
  X11Window* w = it->second;
  HWND hwnd = w->hwnd_;
  NativeEvent out{NativeEvent::kMotion};
  switch (ev.type) {
    case Expose:
      out.kind = NativeEvent::kExpose;
      out.rect = RECT{ev.xexpose.x, ev.xexpose.y, ev.xexpose.x + ev.xexpose.width, ev.xexpose.y + ev.xexpose.height};
      HandleNativeEvent(hwnd, out);
      return;
    case MotionNotify: {
      // Only the newest position counts.
      while (XCheckTypedWindowEvent(dpy, w->win_, MotionNotify, &ev)) {
      }
      lastTime = ev.xmotion.time;
      out.pt = POINT{ev.xmotion.x, ev.xmotion.y};
      out.screen = POINT{ev.xmotion.x_root, ev.xmotion.y_root};
      out.mods = Mods(ev.xmotion.state);
      lastRoot = out.screen;
      HandleNativeEvent(hwnd, out);
      return;
    }
    case EnterNotify:
      lastTime = ev.xcrossing.time;
      out.pt = POINT{ev.xcrossing.x, ev.xcrossing.y};
      out.screen = POINT{ev.xcrossing.x_root, ev.xcrossing.y_root};
      out.mods = Mods(ev.xcrossing.state);
      HandleNativeEvent(hwnd, out);
      return;
    case LeaveNotify:
      if (ev.xcrossing.mode != NotifyNormal || ev.xcrossing.detail == NotifyInferior) return;
      out.kind = NativeEvent::kLeave;
      HandleNativeEvent(hwnd, out);
      return;
    case ButtonPress:
    case ButtonRelease: {
      lastTime = ev.xbutton.time;
      out.pt = POINT{ev.xbutton.x, ev.xbutton.y};
      out.screen = POINT{ev.xbutton.x_root, ev.xbutton.y_root};
      lastRoot = out.screen;
      out.mods = Mods(ev.xbutton.state);
      unsigned b = ev.xbutton.button;
      if (b >= 4 && b <= 7) {
        if (ev.type == ButtonRelease) return;
        out.kind = NativeEvent::kWheel;
        out.horizontal = b >= 6;
        out.wheel = (b == 4 || b == 7) ? WHEEL_DELTA : -WHEEL_DELTA;
      } else if (b >= 1 && b <= 3) {
        out.kind = ev.type == ButtonPress ? NativeEvent::kButtonDown : NativeEvent::kButtonUp;
        out.button = b == 1 ? 1 : b == 2 ? 2 : 3;
      } else {
        return;
      }
      HandleNativeEvent(hwnd, out);
      return;
    }
    case KeyPress:
    case KeyRelease: {
      lastTime = ev.xkey.time;
      char buf[16] = {};
      KeySym sym = 0;
      int n = XLookupString(&ev.xkey, buf, sizeof buf - 1, &sym, nullptr);
      out.kind = ev.type == KeyPress ? NativeEvent::kKeyDown : NativeEvent::kKeyUp;
      out.vk = VirtualKey(sym);
      if (!out.vk) return;
      out.mods = Mods(ev.xkey.state);
      out.alt = (ev.xkey.state & Mod1Mask) != 0;
      if (n == 1) out.ch = static_cast<wchar_t>(static_cast<unsigned char>(buf[0]));
      HandleNativeEvent(hwnd, out);
      return;
    }
    case FocusIn:
    case FocusOut:
      if (ev.xfocus.detail == NotifyPointer || ev.xfocus.detail == NotifyInferior) return;
      out.kind = ev.type == FocusIn ? NativeEvent::kFocusIn : NativeEvent::kFocusOut;
      HandleNativeEvent(hwnd, out);
      return;
    case ClientMessage:
      if (ev.xclient.message_type == atoms[kWmProtocols]) {
        Atom what = static_cast<Atom>(ev.xclient.data.l[0]);
        if (what == atoms[kWmDeleteWindow]) {
          out.kind = NativeEvent::kCloseRequest;
          HandleNativeEvent(hwnd, out);
        } else if (what == atoms[kNetWmPing]) {
          ev.xclient.window = root;
          XSendEvent(dpy, root, False, SubstructureRedirectMask | SubstructureNotifyMask, &ev);
        }
      }
      return;
    case ConfigureNotify: {
      int x = ev.xconfigure.x, y = ev.xconfigure.y;
      if (!ev.xconfigure.send_event) {
        ::Window child;
        XTranslateCoordinates(dpy, w->win_, root, 0, 0, &x, &y, &child);
      }
      w->width_ = std::max(1, ev.xconfigure.width);
      w->height_ = std::max(1, ev.xconfigure.height);
      if (w->xsurface_) cairo_xlib_surface_set_size(w->xsurface_, w->width_, w->height_);
      out.kind = NativeEvent::kConfigure;
      out.rect = RECT{x, y, x + ev.xconfigure.width, y + ev.xconfigure.height};
      HandleNativeEvent(hwnd, out);
      return;
    }
    case PropertyNotify:
      if (ev.xproperty.atom == atoms[kWmState] || ev.xproperty.atom == atoms[kNetWmState]) {
        bool iconic = false;
        Atom type;
        int format;
        unsigned long n = 0, after = 0;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(dpy, w->win_, atoms[kWmState], 0, 2, False, atoms[kWmState], &type, &format, &n,
                               &after, &data) == 0 &&
            data && n >= 1 && format == 32)
          iconic = reinterpret_cast<long*>(data)[0] == IconicState;
        if (data) XFree(data);
        std::vector<Atom> state = AtomList(w->win_, atoms[kNetWmState]);
        if (std::find(state.begin(), state.end(), atoms[kNetWmStateHidden]) != state.end()) iconic = true;
        if (iconic != w->iconic_) {
          w->iconic_ = iconic;
          out.kind = iconic ? NativeEvent::kIconic : NativeEvent::kRestored;
          HandleNativeEvent(hwnd, out);
        }
      }
      return;
    case MapNotify:
      w->mapped_ = true;
      return;
    case UnmapNotify:
      w->mapped_ = false;
      return;
  }
}

// ---- windows -----------------------------------------------------------------------------

X11Window::X11Window(X11Backend* b, HWND hwnd, const NativeWindowParams& p)
    : b_(b), hwnd_(hwnd), resizable_(p.resizable), topmost_(p.topmost) {
  Display* dpy = b->dpy;
  width_ = std::max<int>(1, p.rect.right - p.rect.left);
  height_ = std::max<int>(1, p.rect.bottom - p.rect.top);
  XSetWindowAttributes a{};
  a.background_pixmap = None;
  a.bit_gravity = NorthWestGravity;
  a.event_mask = ExposureMask | StructureNotifyMask | PropertyChangeMask | FocusChangeMask | KeyPressMask |
                 KeyReleaseMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask | EnterWindowMask |
                 LeaveWindowMask;
  win_ = XCreateWindow(dpy, b->root, p.rect.left, p.rect.top, width_, height_, 0, b->depth, InputOutput, b->visual,
                       CWBackPixmap | CWBitGravity | CWEventMask, &a);
  XClassHint hint;
  char name[] = "lanscout";
  hint.res_name = name;
  hint.res_class = name;
  XSetClassHint(dpy, win_, &hint);
  XWMHints wm{};
  wm.flags = InputHint | StateHint;
  wm.input = True;
  wm.initial_state = NormalState;
  XSetWMHints(dpy, win_, &wm);
  Atom protocols[] = {b->atoms[X11Backend::kWmDeleteWindow], b->atoms[X11Backend::kNetWmPing]};
  XSetWMProtocols(dpy, win_, protocols, 2);
  long pid = getpid();
  XChangeProperty(dpy, win_, b->atoms[X11Backend::kNetWmPid], XA_CARDINAL, 32, PropModeReplace,
                  reinterpret_cast<unsigned char*>(&pid), 1);
  char host[256] = {};
  if (gethostname(host, sizeof host - 1) == 0) {
    XTextProperty machine;
    char* list[] = {host};
    if (XStringListToTextProperty(list, 1, &machine)) {
      XSetWMClientMachine(dpy, win_, &machine);
      XFree(machine.value);
    }
  }
  Atom type = b->atoms[p.dialog ? X11Backend::kNetWmWindowTypeDialog : X11Backend::kNetWmWindowTypeNormal];
  XChangeProperty(dpy, win_, b->atoms[X11Backend::kNetWmWindowType], XA_ATOM, 32, PropModeReplace,
                  reinterpret_cast<unsigned char*>(&type), 1);
  if (!p.decorated) {
    // Motif hints: flags = decorations, decorations = none.
    long motif[5] = {2, 0, 0, 0, 0};
    XChangeProperty(dpy, win_, b->atoms[X11Backend::kMotifWmHints], b->atoms[X11Backend::kMotifWmHints], 32,
                    PropModeReplace, reinterpret_cast<unsigned char*>(motif), 5);
  }
  if (p.owner && p.owner->NativeId()) XSetTransientForHint(dpy, win_, p.owner->NativeId());
  if (topmost_) {
    Atom above = b->atoms[X11Backend::kNetWmStateAbove];
    XChangeProperty(dpy, win_, b->atoms[X11Backend::kNetWmState], XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(&above), 1);
  }
  SetSizeHints(width_, height_, p.rect.left, p.rect.top);
  SetTitle(p.title);
  XDefineCursor(dpy, win_, b->cursors[0]);
  xsurface_ = cairo_xlib_surface_create(dpy, win_, b->visual, width_, height_);
}

X11Window::~X11Window() {
  if (xsurface_) cairo_surface_destroy(xsurface_);
  b_->windows.erase(win_);
  XDestroyWindow(b_->dpy, win_);
  XFlush(b_->dpy);
}

void X11Window::SetSizeHints(int w, int h, int x, int y) {
  XSizeHints* hints = XAllocSizeHints();
  hints->flags = PPosition | USPosition | PSize;
  hints->x = x;
  hints->y = y;
  hints->width = w;
  hints->height = h;
  if (!resizable_) {
    hints->flags |= PMinSize | PMaxSize;
    hints->min_width = hints->max_width = w;
    hints->min_height = hints->max_height = h;
  }
  XSetWMNormalHints(b_->dpy, win_, hints);
  XFree(hints);
}

void X11Window::SetTitle(const std::wstring& title) {
  std::string utf8 = WideToUtf8(title);
  XChangeProperty(b_->dpy, win_, b_->atoms[X11Backend::kNetWmName], b_->atoms[X11Backend::kUtf8String], 8,
                  PropModeReplace, reinterpret_cast<const unsigned char*>(utf8.data()), static_cast<int>(utf8.size()));
  XTextProperty text{};
  char* list[] = {const_cast<char*>(utf8.c_str())};
  if (Xutf8TextListToTextProperty(b_->dpy, list, 1, XStdICCTextStyle, &text) >= 0) {
    XSetWMName(b_->dpy, win_, &text);
    XFree(text.value);
  }
}

void X11Window::SetGeometry(const RECT& r) {
  int w = std::max<int>(1, r.right - r.left), h = std::max<int>(1, r.bottom - r.top);
  SetSizeHints(w, h, r.left, r.top);
  XMoveResizeWindow(b_->dpy, win_, r.left, r.top, w, h);
  width_ = w;
  height_ = h;
  cairo_xlib_surface_set_size(xsurface_, w, h);
}

void X11Window::SetVisible(bool visible) {
  if (visible) {
    XMapRaised(b_->dpy, win_);
  } else {
    XWithdrawWindow(b_->dpy, win_, b_->screen);
  }
  mapped_ = visible;
  XFlush(b_->dpy);
}

void X11Window::SetShape(const Region* shape) {
  if (!shape) {
    XShapeCombineMask(b_->dpy, win_, ShapeBounding, 0, 0, None, ShapeSet);
    return;
  }
  std::vector<XRectangle> rects;
  for (int i = 0; i < shape->RectCount(); ++i) {
    RECT r = shape->RectAt(i);
    rects.push_back(XRectangle{static_cast<short>(r.left), static_cast<short>(r.top),
                               static_cast<unsigned short>(r.right - r.left),
                               static_cast<unsigned short>(r.bottom - r.top)});
  }
  XShapeCombineRectangles(b_->dpy, win_, ShapeBounding, 0, 0, rects.data(), static_cast<int>(rects.size()), ShapeSet,
                          YXBanded);
}

void X11Window::SetIcons(HICON big, HICON small) {
  HICON source = big ? big : small;
  if (!source || !source->surface) {
    XDeleteProperty(b_->dpy, win_, b_->atoms[X11Backend::kNetWmIcon]);
    return;
  }
  std::vector<long> data;
  for (int size : {16, 32, 48}) {
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, size, size);
    cairo_t* cr = cairo_create(s);
    cairo_scale(cr, double(size) / source->width, double(size) / source->height);
    cairo_set_source_surface(cr, source->surface, 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
    cairo_paint(cr);
    cairo_destroy(cr);
    cairo_surface_flush(s);
    data.push_back(size);
    data.push_back(size);
    const unsigned char* px = cairo_image_surface_get_data(s);
    int stride = cairo_image_surface_get_stride(s);
    for (int y = 0; y < size; ++y)
      for (int x = 0; x < size; ++x) {
        uint32_t p = reinterpret_cast<const uint32_t*>(px + y * stride)[x];
        COLORREF c = ColorRefFromPixel(p, true);
        uint32_t argb = (p & 0xFF000000u) | (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
        data.push_back(static_cast<long>(argb));
      }
    cairo_surface_destroy(s);
  }
  XChangeProperty(b_->dpy, win_, b_->atoms[X11Backend::kNetWmIcon], XA_CARDINAL, 32, PropModeReplace,
                  reinterpret_cast<unsigned char*>(data.data()), static_cast<int>(data.size()));
}

void X11Window::SetTopmost(bool topmost) {
  topmost_ = topmost;
  Atom above = b_->atoms[X11Backend::kNetWmStateAbove];
  if (mapped_) {
    b_->SendToRoot(win_, b_->atoms[X11Backend::kNetWmState], topmost ? 1 : 0, static_cast<long>(above), 0, 1, 0);
  } else if (topmost) {
    XChangeProperty(b_->dpy, win_, b_->atoms[X11Backend::kNetWmState], XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(&above), 1);
  } else {
    XDeleteProperty(b_->dpy, win_, b_->atoms[X11Backend::kNetWmState]);
  }
}

void X11Window::Raise() { XRaiseWindow(b_->dpy, win_); }

void X11Window::Activate() {
  if (!mapped_) return;
  if (b_->Supports(X11Backend::kNetActiveWindow)) {
    // Source 2 (a pager): asked for by the user through another program.
    b_->SendToRoot(win_, b_->atoms[X11Backend::kNetActiveWindow], 2, static_cast<long>(b_->lastTime), 0, 0, 0);
  } else {
    XRaiseWindow(b_->dpy, win_);
    XWindowAttributes a;
    if (XGetWindowAttributes(b_->dpy, win_, &a) && a.map_state == IsViewable)
      XSetInputFocus(b_->dpy, win_, RevertToParent, CurrentTime);
  }
}

void X11Window::Minimize() { XIconifyWindow(b_->dpy, win_, b_->screen); }

void X11Window::Restore() {
  XMapRaised(b_->dpy, win_);
  Activate();
}

void X11Window::Present(cairo_surface_t* back, const Region& dirty) {
  CopyRegion(xsurface_, back, dirty);
  cairo_surface_flush(xsurface_);
}

bool X11Window::BeginMove(POINT screen) {
  if (!b_->Supports(X11Backend::kNetWmMoveResize)) return false;
  XUngrabPointer(b_->dpy, CurrentTime);
  // Direction 8: move; button 1; source 1: this application.
  b_->SendToRoot(win_, b_->atoms[X11Backend::kNetWmMoveResize], screen.x, screen.y, 8, 1, 1);
  XFlush(b_->dpy);
  return true;
}

void X11Window::SetCursor(PointerShape shape) {
  if (shape == cursor_) return;
  cursor_ = shape;
  XDefineCursor(b_->dpy, win_, b_->cursors[static_cast<int>(shape)]);
}

}  // namespace

std::unique_ptr<Backend> CreateX11Backend(std::string* error) {
  const char* name = std::getenv("DISPLAY");
  Display* dpy = XOpenDisplay(nullptr);
  if (!dpy) {
    *error = std::string("cannot open the display \"") + (name ? name : "") + "\"";
    return nullptr;
  }
  return std::make_unique<X11Backend>(dpy);
}

}  // namespace platform
