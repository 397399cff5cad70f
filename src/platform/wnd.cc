// CWnd and CDialog: objects attached to windows, the procedure that passes
// messages to them, and the dispatch to their handlers.
#include "platform/wnd.h"

#include <map>
#include <memory>

#include "platform/app.h"
#include "platform/ui_internal.h"

namespace platform {

namespace {
CWnd* g_pendingCreate = nullptr;
const MSG* g_currentMessage = nullptr;

std::map<HWND, std::unique_ptr<CWnd>>& TempWnds() {
  static auto* m = new std::map<HWND, std::unique_ptr<CWnd>>();
  return *m;
}
}  // namespace

CWnd* TakePendingCWnd() {
  CWnd* w = g_pendingCreate;
  g_pendingCreate = nullptr;
  return w;
}

void SetPendingCWnd(CWnd* wnd) { g_pendingCreate = wnd; }

void AttachCWnd(WindowImpl* w, CWnd* wnd) {
  wnd->m_hWnd = w->handle;
  wnd->m_pfnSuper = w->proc;
  w->proc = CWndProcThunk;
  w->object = wnd;
}

void ForgetTemporaryWnd(HWND hwnd) {
  auto& temps = TempWnds();
  auto it = temps.find(hwnd);
  if (it == temps.end()) return;
  // Freed at the next idle turn, not now: a handler may still hold it.
  it->second->m_hWnd = nullptr;
}

void FreeTemporaryWnds() {
  auto& temps = TempWnds();
  for (auto it = temps.begin(); it != temps.end();) {
    if (!it->second->m_hWnd || !IsWindow(it->first)) {
      it->second->m_hWnd = nullptr;
      it = temps.erase(it);
    } else {
      ++it;
    }
  }
}

}  // namespace platform

using namespace platform;

LRESULT CWndProcThunk(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  WindowImpl* w = W(hwnd);
  CWnd* wnd = w ? w->object : nullptr;
  if (!wnd) return DefWindowProcW(hwnd, message, wParam, lParam);
  MSG current{hwnd, message, wParam, lParam, GetMessageTime(), {}};
  MSG saved = wnd->m_current;
  const MSG* savedGlobal = g_currentMessage;
  wnd->m_current = current;
  g_currentMessage = &current;
  LRESULT r = wnd->WindowProc(message, wParam, lParam);
  g_currentMessage = savedGlobal;
  if (message == WM_NCDESTROY) {
    if (w->object == wnd) {
      w->object = nullptr;
      w->proc = wnd->m_pfnSuper;
      wnd->m_hWnd = nullptr;
      wnd->m_pfnSuper = nullptr;
      wnd->PostNcDestroy();
    }
    return r;
  }
  wnd->m_current = saved;
  return r;
}

// ---- CWnd -------------------------------------------------------------------------------

CWnd::CWnd() = default;

const CWnd CWnd::wndTop(HWND_TOP);
const CWnd CWnd::wndBottom(HWND_BOTTOM);
const CWnd CWnd::wndTopMost(HWND_TOPMOST);
const CWnd CWnd::wndNoTopMost(HWND_NOTOPMOST);

CWnd::~CWnd() {
  if (m_bTemporary || !m_hWnd) return;
  HWND h = m_hWnd;
  WindowImpl* w = W(h);
  if (w && w->object == this) {
    // Let go first, so that no message reaches the half-destroyed object.
    w->object = nullptr;
    w->proc = m_pfnSuper ? m_pfnSuper : DefWindowProcW;
    m_hWnd = nullptr;
    ::DestroyWindow(h);
  }
}

CWnd* CWnd::FromHandlePermanent(HWND hwnd) {
  WindowImpl* w = W(hwnd);
  return w ? w->object : nullptr;
}

CWnd* CWnd::FromHandle(HWND hwnd) {
  if (!hwnd) return nullptr;
  if (CWnd* p = FromHandlePermanent(hwnd)) return p;
  if (!IsWindow(hwnd)) return nullptr;
  auto& temps = TempWnds();
  auto it = temps.find(hwnd);
  if (it != temps.end() && it->second->m_hWnd == hwnd) return it->second.get();
  auto wnd = std::make_unique<CWnd>();
  wnd->m_bTemporary = true;
  wnd->m_hWnd = hwnd;
  CWnd* raw = wnd.get();
  temps[hwnd] = std::move(wnd);
  return raw;
}

BOOL CWnd::Create(LPCWSTR className, LPCWSTR windowName, DWORD style, const RECT& rect, CWnd* parent, UINT id,
                  void*) {
  return CreateEx(0, className, windowName, style | WS_CHILD, rect, parent, id, nullptr);
}

BOOL CWnd::CreateEx(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, const RECT& rect,
                    CWnd* parent, UINT id, LPVOID param) {
  return CreateEx(exStyle, className, windowName, style, rect.left, rect.top, rect.right - rect.left,
                  rect.bottom - rect.top, parent ? parent->m_hWnd : nullptr,
                  reinterpret_cast<HMENU>(static_cast<uintptr_t>(id)), param);
}

BOOL CWnd::CreateEx(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y, int width,
                    int height, HWND parent, HMENU idOrMenu, LPVOID param) {
  if (m_hWnd) return FALSE;
  CREATESTRUCTW cs{param, AfxGetInstanceHandle(), idOrMenu, parent, height, width, y, x, static_cast<LONG>(style),
                   windowName, className, exStyle};
  if (!PreCreateWindow(cs)) {
    PostNcDestroy();
    return FALSE;
  }
  SetPendingCWnd(this);
  HWND h = CreateWindowExW(cs.dwExStyle, cs.lpszClass, cs.lpszName, static_cast<DWORD>(cs.style), cs.x, cs.y, cs.cx,
                           cs.cy, cs.hwndParent, cs.hMenu, cs.hInstance, cs.lpCreateParams);
  SetPendingCWnd(nullptr);
  return h ? TRUE : FALSE;
}

BOOL CWnd::DestroyWindow() {
  if (!m_hWnd) return FALSE;
  return ::DestroyWindow(m_hWnd);
}

BOOL CWnd::PreCreateWindow(CREATESTRUCTW&) { return TRUE; }
void CWnd::PostNcDestroy() {}

BOOL CWnd::Attach(HWND hwnd) {
  WindowImpl* w = W(hwnd);
  if (!w || m_hWnd || w->object) return FALSE;
  m_hWnd = hwnd;
  w->object = this;
  m_pfnSuper = nullptr;  // attached only: the window keeps its procedure
  return TRUE;
}

HWND CWnd::Detach() {
  HWND h = m_hWnd;
  WindowImpl* w = W(h);
  if (w && w->object == this) {
    if (w->proc == CWndProcThunk) w->proc = m_pfnSuper ? m_pfnSuper : DefWindowProcW;
    w->object = nullptr;
  }
  m_hWnd = nullptr;
  m_pfnSuper = nullptr;
  return h;
}

BOOL CWnd::SubclassWindow(HWND hwnd) {
  WindowImpl* w = W(hwnd);
  if (!w || m_hWnd || (w->object && w->object != this)) return FALSE;
  m_hWnd = hwnd;
  w->object = this;
  PreSubclassWindow();
  w = W(hwnd);
  if (!w) return FALSE;
  if (w->proc != CWndProcThunk) {
    m_pfnSuper = w->proc;
    w->proc = CWndProcThunk;
  }
  return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT id, CWnd* parent) {
  if (!parent) return FALSE;
  HWND h = ::GetDlgItem(parent->m_hWnd, static_cast<int>(id));
  return h ? SubclassWindow(h) : FALSE;
}

HWND CWnd::UnsubclassWindow() { return Detach(); }

void CWnd::PreSubclassWindow() {}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (!OnWndMsg(message, wParam, lParam, &result)) result = DefWindowProc(message, wParam, lParam);
  return result;
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (!m_hWnd) return 0;
  if (m_pfnSuper) return CallWindowProcW(m_pfnSuper, m_hWnd, message, wParam, lParam);
  return DefWindowProcW(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::Default() { return DefWindowProc(m_current.message, m_current.wParam, m_current.lParam); }

const MSG* CWnd::GetCurrentMessage() { return g_currentMessage; }

BOOL CWnd::PreTranslateMessage(MSG*) { return FALSE; }
BOOL CWnd::OnCommand(WPARAM, LPARAM) { return FALSE; }
BOOL CWnd::OnNotify(WPARAM, LPARAM, LRESULT*) { return FALSE; }
BOOL CWnd::OnChildNotify(UINT, WPARAM, LPARAM, LRESULT*) { return FALSE; }

namespace {
// Offers the message to the object of the control that sent it.
bool Reflect(HWND control, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  CWnd* child = CWnd::FromHandlePermanent(control);
  return child && child->OnChildNotify(message, wParam, lParam, result);
}
}  // namespace

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  LRESULT r = 0;
  CPoint point(lParam);
  // The result of Default() in a handler that returns nothing; kept per
  // message, also when a handler sends further messages to this window.
  struct Keep {
    LRESULT& slot;
    LRESULT saved;
    explicit Keep(LRESULT& s) : slot(s), saved(s) { slot = 0; }
    ~Keep() { slot = saved; }
  } keep(m_lastDefault);
  if (IsCtlColorMessage(message)) {
    *result = reinterpret_cast<LRESULT>(OnCtlColor(CDC::FromHandle(reinterpret_cast<HDC>(wParam)),
                                                   CWnd::FromHandle(reinterpret_cast<HWND>(lParam)),
                                                   message - WM_CTLCOLORMSGBOX));
    return TRUE;
  }
  switch (message) {
    case WM_COMMAND:
      if (lParam && Reflect(reinterpret_cast<HWND>(lParam), message, wParam, lParam, result)) return TRUE;
      if (OnCommand(wParam, lParam)) {
        *result = 0;
        return TRUE;
      }
      return FALSE;
    case WM_NOTIFY: {
      auto* nm = reinterpret_cast<NMHDR*>(lParam);
      if (nm && Reflect(nm->hwndFrom, message, wParam, lParam, result)) return TRUE;
      r = 0;
      if (OnNotify(wParam, lParam, &r)) {
        *result = r;
        return TRUE;
      }
      return FALSE;
    }
    case WM_DRAWITEM: {
      auto* di = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
      if (di && Reflect(di->hwndItem, message, wParam, lParam, result)) return TRUE;
      OnDrawItem(static_cast<int>(wParam), di);
      *result = TRUE;
      return TRUE;
    }
    case WM_HSCROLL:
    case WM_VSCROLL:
      if (lParam && Reflect(reinterpret_cast<HWND>(lParam), message, wParam, lParam, result)) return TRUE;
      if (message == WM_HSCROLL) {
        OnHScroll(LOWORD(wParam), HIWORD(wParam), CWnd::FromHandle(reinterpret_cast<HWND>(lParam)));
      } else {
        OnVScroll(LOWORD(wParam), HIWORD(wParam), CWnd::FromHandle(reinterpret_cast<HWND>(lParam)));
      }
      *result = 0;
      return TRUE;
    case WM_CREATE:
      *result = OnCreate(reinterpret_cast<LPCREATESTRUCTW>(lParam));
      return TRUE;
    case WM_DESTROY:
      OnDestroy();
      break;
    case WM_NCDESTROY:
      OnNcDestroy();
      break;
    case WM_CLOSE:
      OnClose();
      break;
    case WM_PAINT:
      OnPaint();
      break;
    case WM_ERASEBKGND:
      *result = OnEraseBkgnd(CDC::FromHandle(reinterpret_cast<HDC>(wParam)));
      return TRUE;
    case WM_NCPAINT:
      OnNcPaint();
      break;
    case WM_NCCALCSIZE:
      OnNcCalcSize(static_cast<BOOL>(wParam), reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam));
      break;
    case WM_NCHITTEST:
      *result = OnNcHitTest(point);
      return TRUE;
    case WM_NCLBUTTONDOWN:
      OnNcLButtonDown(static_cast<UINT>(wParam), point);
      break;
    case WM_NCMOUSEMOVE:
      OnNcMouseMove(static_cast<UINT>(wParam), point);
      break;
    case WM_SIZE:
      OnSize(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam));
      break;
    case WM_MOVE:
      OnMove(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
      break;
    case WM_WINDOWPOSCHANGING:
      OnWindowPosChanging(reinterpret_cast<WINDOWPOS*>(lParam));
      break;
    case WM_WINDOWPOSCHANGED:
      OnWindowPosChanged(reinterpret_cast<WINDOWPOS*>(lParam));
      break;
    case WM_SHOWWINDOW:
      OnShowWindow(static_cast<BOOL>(wParam), static_cast<UINT>(lParam));
      break;
    case WM_ENABLE:
      OnEnable(static_cast<BOOL>(wParam));
      break;
    case WM_ACTIVATE:
      OnActivate(LOWORD(wParam), CWnd::FromHandle(reinterpret_cast<HWND>(lParam)), HIWORD(wParam));
      break;
    case WM_TIMER:
      OnTimer(wParam);
      break;
    case WM_MOUSEMOVE:
      OnMouseMove(static_cast<UINT>(wParam), point);
      break;
    case WM_LBUTTONDOWN:
      OnLButtonDown(static_cast<UINT>(wParam), point);
      break;
    case WM_LBUTTONUP:
      OnLButtonUp(static_cast<UINT>(wParam), point);
      break;
    case WM_LBUTTONDBLCLK:
      OnLButtonDblClk(static_cast<UINT>(wParam), point);
      break;
    case WM_RBUTTONDOWN:
      OnRButtonDown(static_cast<UINT>(wParam), point);
      break;
    case WM_RBUTTONUP:
      OnRButtonUp(static_cast<UINT>(wParam), point);
      break;
    case WM_RBUTTONDBLCLK:
      OnRButtonDblClk(static_cast<UINT>(wParam), point);
      break;
    case WM_MBUTTONDOWN:
      OnMButtonDown(static_cast<UINT>(wParam), point);
      break;
    case WM_MBUTTONUP:
      OnMButtonUp(static_cast<UINT>(wParam), point);
      break;
    case WM_MOUSEWHEEL:
      *result = OnMouseWheel(LOWORD(wParam), static_cast<short>(HIWORD(wParam)), point);
      return TRUE;
    case WM_MOUSEHOVER:
      OnMouseHover(static_cast<UINT>(wParam), point);
      break;
    case WM_MOUSELEAVE:
      OnMouseLeave();
      break;
    case WM_CAPTURECHANGED:
      OnCaptureChanged(CWnd::FromHandle(reinterpret_cast<HWND>(lParam)));
      break;
    case WM_SETCURSOR:
      *result = OnSetCursor(CWnd::FromHandle(reinterpret_cast<HWND>(wParam)), LOWORD(lParam), HIWORD(lParam));
      return TRUE;
    case WM_KEYDOWN:
      OnKeyDown(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam));
      break;
    case WM_KEYUP:
      OnKeyUp(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam));
      break;
    case WM_CHAR:
      OnChar(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam));
      break;
    case WM_SETFOCUS:
      OnSetFocus(CWnd::FromHandle(reinterpret_cast<HWND>(wParam)));
      break;
    case WM_KILLFOCUS:
      OnKillFocus(CWnd::FromHandle(reinterpret_cast<HWND>(wParam)));
      break;
    case WM_GETDLGCODE:
      *result = OnGetDlgCode();
      return TRUE;
    case WM_QUERYDRAGICON:
      *result = reinterpret_cast<LRESULT>(OnQueryDragIcon());
      return TRUE;
    case WM_SYSCOMMAND:
      OnSysCommand(static_cast<UINT>(wParam), lParam);
      break;
    default:
      return FALSE;
  }
  *result = m_lastDefault;
  return TRUE;
}

// The handlers' default: the window's own procedure. Its result is what the
// message answers.
#define DEFAULT_HANDLER_RESULT (m_lastDefault = Default())

int CWnd::OnCreate(LPCREATESTRUCTW) { return static_cast<int>(Default()); }
void CWnd::OnDestroy() { DEFAULT_HANDLER_RESULT; }
void CWnd::OnNcDestroy() { DEFAULT_HANDLER_RESULT; }
void CWnd::OnClose() { DEFAULT_HANDLER_RESULT; }
void CWnd::OnPaint() { DEFAULT_HANDLER_RESULT; }
BOOL CWnd::OnEraseBkgnd(CDC*) { return static_cast<BOOL>(Default()); }
void CWnd::OnNcPaint() { DEFAULT_HANDLER_RESULT; }
void CWnd::OnNcCalcSize(BOOL, NCCALCSIZE_PARAMS*) { DEFAULT_HANDLER_RESULT; }
LRESULT CWnd::OnNcHitTest(CPoint) { return Default(); }
void CWnd::OnNcLButtonDown(UINT, CPoint) { DEFAULT_HANDLER_RESULT; }
void CWnd::OnNcMouseMove(UINT, CPoint) { DEFAULT_HANDLER_RESULT; }
void CWnd::OnSize(UINT, int, int) { DEFAULT_HANDLER_RESULT; }
void CWnd::OnMove(int, int) { DEFAULT_HANDLER_RESULT; }
void CWnd::OnWindowPosChanging(WINDOWPOS*) { DEFAULT_HANDLER_RESULT; }
void CWnd::OnWindowPosChanged(WINDOWPOS*) { DEFAULT_HANDLER_RESULT; }
void CWnd::OnShowWindow(BOOL, UINT) { DEFAULT_HANDLER_RESULT; }
void CWnd::OnEnable(BOOL) { DEFAULT_HANDLER_RESULT; }
void CWnd::OnActivate(UINT, CWnd*, BOOL) { DEFAULT_HANDLER_RESULT; }
void CWnd::OnTimer(UINT_PTR) { DEFAULT_HANDLER_RESULT; }
void CWnd::OnMouseMove(UINT, CPoint) { DEFAULT_HANDLER_RESULT; }
void CWnd::OnLButtonDown(UINT, CPoint) { DEFAULT_HANDLER_RESULT; }
void CWnd::OnLButtonUp(UINT, CPoint) { DEFAULT_HANDLER_RESULT; }
void CWnd::OnLButtonDblClk(UINT, CPoint) { DEFAULT_HANDLER_RESULT; }
void CWnd::OnRButtonDown(UINT, CPoint) { DEFAULT_HANDLER_RESULT; }
void CWnd::OnRButtonUp(UINT, CPoint) { DEFAULT_HANDLER_RESULT; }
void CWnd::OnRButtonDblClk(UINT, CPoint) { DEFAULT_HANDLER_RESULT; }
void CWnd::OnMButtonDown(UINT, CPoint) { DEFAULT_HANDLER_RESULT; }
void CWnd::OnMButtonUp(UINT, CPoint) { DEFAULT_HANDLER_RESULT; }
BOOL CWnd::OnMouseWheel(UINT, short, CPoint) { return static_cast<BOOL>(Default()); }
void CWnd::OnMouseHover(UINT, CPoint) { DEFAULT_HANDLER_RESULT; }
void CWnd::OnMouseLeave() { DEFAULT_HANDLER_RESULT; }
void CWnd::OnCaptureChanged(CWnd*) { DEFAULT_HANDLER_RESULT; }
BOOL CWnd::OnSetCursor(CWnd*, UINT, UINT) { return static_cast<BOOL>(Default()); }
void CWnd::OnKeyDown(UINT, UINT, UINT) { DEFAULT_HANDLER_RESULT; }
void CWnd::OnKeyUp(UINT, UINT, UINT) { DEFAULT_HANDLER_RESULT; }
void CWnd::OnChar(UINT, UINT, UINT) { DEFAULT_HANDLER_RESULT; }
void CWnd::OnSetFocus(CWnd*) { DEFAULT_HANDLER_RESULT; }
void CWnd::OnKillFocus(CWnd*) { DEFAULT_HANDLER_RESULT; }
UINT CWnd::OnGetDlgCode() { return static_cast<UINT>(Default()); }
void CWnd::OnDrawItem(int, LPDRAWITEMSTRUCT) { DEFAULT_HANDLER_RESULT; }
void CWnd::OnHScroll(UINT, UINT, CWnd*) { DEFAULT_HANDLER_RESULT; }
void CWnd::OnVScroll(UINT, UINT, CWnd*) { DEFAULT_HANDLER_RESULT; }
HCURSOR CWnd::OnQueryDragIcon() { return reinterpret_cast<HCURSOR>(Default()); }
void CWnd::OnSysCommand(UINT, LPARAM) { DEFAULT_HANDLER_RESULT; }

HBRUSH CWnd::OnCtlColor(CDC* dc, CWnd* wnd, UINT) {
  LRESULT r = 0;
  const MSG& m = m_current;
  if (wnd && wnd->m_hWnd != m_hWnd && Reflect(wnd->m_hWnd, m.message, m.wParam, m.lParam, &r))
    return reinterpret_cast<HBRUSH>(r);
  (void)dc;
  return reinterpret_cast<HBRUSH>(Default());
}

// ---- modal loop -----------------------------------------------------------------------------

int CWnd::RunModalLoop(DWORD) {
  m_nFlags |= WF_CONTINUEMODAL | WF_MODALLOOP;
  HWND self = m_hWnd;
  RunModal([&] { return !IsWindow(self) || !ContinueModal(); },
           [&](MSG* msg) {
             for (HWND h = msg->hwnd; h; h = ::GetParent(h)) {
               CWnd* w = CWnd::FromHandlePermanent(h);
               if (w && w->PreTranslateMessage(msg)) return true;
               WindowImpl* impl = W(h);
               if (!impl || !impl->parent) break;
             }
             return false;
           });
  m_nFlags &= ~(WF_CONTINUEMODAL | WF_MODALLOOP);
  return m_nModalResult;
}

BOOL CWnd::ContinueModal() { return (m_nFlags & WF_CONTINUEMODAL) ? TRUE : FALSE; }

void CWnd::EndModalLoop(int result) {
  m_nModalResult = result;
  m_nFlags &= ~WF_CONTINUEMODAL;
}

// ---- operations -------------------------------------------------------------------------

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) const {
  return ::SendMessageW(m_hWnd, message, wParam, lParam);
}

BOOL CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) const {
  return ::PostMessageW(m_hWnd, message, wParam, lParam);
}

CWnd* CWnd::GetDlgItem(int id) const { return FromHandle(::GetDlgItem(m_hWnd, id)); }

int CWnd::SetDlgCtrlID(int id) { return static_cast<int>(SetWindowLongPtrW(m_hWnd, GWLP_ID, id)); }

CWnd* CWnd::GetParent() const { return FromHandle(::GetParent(m_hWnd)); }

CWnd* CWnd::GetOwner() const { return FromHandle(::GetWindow(m_hWnd, GW_OWNER)); }

CWnd* CWnd::GetTopLevelParent() const { return FromHandle(::GetAncestor(m_hWnd, GA_ROOT)); }

CWnd* CWnd::GetWindow(UINT cmd) const { return FromHandle(::GetWindow(m_hWnd, cmd)); }

BOOL CWnd::IsChild(const CWnd* wnd) const { return wnd ? ::IsChild(m_hWnd, wnd->m_hWnd) : FALSE; }

DWORD CWnd::GetStyle() const { return static_cast<DWORD>(GetWindowLongW(m_hWnd, GWL_STYLE)); }

DWORD CWnd::GetExStyle() const { return static_cast<DWORD>(GetWindowLongW(m_hWnd, GWL_EXSTYLE)); }

BOOL CWnd::ModifyStyle(DWORD remove, DWORD add, UINT flags) {
  DWORD style = GetStyle();
  DWORD changed = (style & ~remove) | add;
  if (changed == style) return FALSE;
  SetWindowLongW(m_hWnd, GWL_STYLE, static_cast<LONG>(changed));
  if (flags)
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | flags);
  return TRUE;
}

BOOL CWnd::ModifyStyleEx(DWORD remove, DWORD add, UINT flags) {
  DWORD style = GetExStyle();
  DWORD changed = (style & ~remove) | add;
  if (changed == style) return FALSE;
  SetWindowLongW(m_hWnd, GWL_EXSTYLE, static_cast<LONG>(changed));
  if (flags)
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | flags);
  return TRUE;
}

void CWnd::MoveWindow(int x, int y, int width, int height, BOOL repaint) {
  ::MoveWindow(m_hWnd, x, y, width, height, repaint);
}

void CWnd::MoveWindow(LPCRECT rect, BOOL repaint) {
  ::MoveWindow(m_hWnd, rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top, repaint);
}

BOOL CWnd::SetWindowPos(const CWnd* insertAfter, int x, int y, int cx, int cy, UINT flags) {
  return ::SetWindowPos(m_hWnd, insertAfter ? insertAfter->m_hWnd : nullptr, x, y, cx, cy, flags);
}

void CWnd::CenterWindow(CWnd* alternateOwner) {
  RECT r, area;
  GetWindowRect(&r);
  HWND ref = alternateOwner ? alternateOwner->m_hWnd : ::GetParent(m_hWnd);
  if (ref && (GetStyle() & WS_CHILD)) {
    ::GetClientRect(ref, &area);
  } else if (ref) {
    ::GetWindowRect(ref, &area);
  } else {
    area = RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  }
  int x = area.left + ((area.right - area.left) - (r.right - r.left)) / 2;
  int y = area.top + ((area.bottom - area.top) - (r.bottom - r.top)) / 2;
  ::SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CWnd::GetWindowText(std::wstring& text) const {
  int n = GetWindowTextLength();
  std::wstring buf(static_cast<size_t>(n) + 1, L'\0');
  int got = ::GetWindowTextW(m_hWnd, &buf[0], n + 1);
  buf.resize(static_cast<size_t>(got));
  text = buf;
}

void CWnd::ClientToScreen(LPRECT rect) const {
  ::ClientToScreen(m_hWnd, reinterpret_cast<LPPOINT>(&rect->left));
  ::ClientToScreen(m_hWnd, reinterpret_cast<LPPOINT>(&rect->right));
}

void CWnd::ScreenToClient(LPRECT rect) const {
  ::ScreenToClient(m_hWnd, reinterpret_cast<LPPOINT>(&rect->left));
  ::ScreenToClient(m_hWnd, reinterpret_cast<LPPOINT>(&rect->right));
}

void CWnd::MapWindowPoints(CWnd* to, LPPOINT points, UINT count) const {
  ::MapWindowPoints(m_hWnd, to ? to->m_hWnd : nullptr, points, count);
}

void CWnd::MapWindowPoints(CWnd* to, LPRECT rect) const {
  ::MapWindowPoints(m_hWnd, to ? to->m_hWnd : nullptr, reinterpret_cast<LPPOINT>(rect), 2);
}

void CWnd::InvalidateRgn(CRgn* region, BOOL erase) {
  ::InvalidateRgn(m_hWnd, region ? static_cast<HRGN>(*region) : nullptr, erase);
}

BOOL CWnd::RedrawWindow(LPCRECT rect, CRgn* region, UINT flags) {
  return ::RedrawWindow(m_hWnd, rect, region ? static_cast<HRGN>(*region) : nullptr, flags);
}

CDC* CWnd::GetDC() { return CDC::FromHandle(::GetDC(m_hWnd)); }
CDC* CWnd::GetWindowDC() { return CDC::FromHandle(::GetWindowDC(m_hWnd)); }
int CWnd::ReleaseDC(CDC* dc) { return dc ? ::ReleaseDC(m_hWnd, dc->Detach()) : 0; }
CDC* CWnd::BeginPaint(LPPAINTSTRUCT paint) { return CDC::FromHandle(::BeginPaint(m_hWnd, paint)); }

CWnd* CWnd::SetCapture() { return FromHandle(::SetCapture(m_hWnd)); }
CWnd* CWnd::GetCapture() { return FromHandle(::GetCapture()); }
CWnd* CWnd::SetFocus() { return FromHandle(::SetFocus(m_hWnd)); }
CWnd* CWnd::GetFocus() { return FromHandle(::GetFocus()); }

void CWnd::SetFont(CFont* font, BOOL redraw) {
  SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(font ? static_cast<HFONT>(*font) : nullptr), redraw);
}

CFont* CWnd::GetFont() const {
  return CFont::FromHandle(reinterpret_cast<HFONT>(SendMessage(WM_GETFONT)));
}

HICON CWnd::SetIcon(HICON icon, BOOL bigIcon) {
  return reinterpret_cast<HICON>(SendMessage(WM_SETICON, bigIcon ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(icon)));
}

HICON CWnd::GetIcon(BOOL bigIcon) const {
  return reinterpret_cast<HICON>(SendMessage(WM_GETICON, bigIcon ? ICON_BIG : ICON_SMALL));
}

// ---- CDialog ----------------------------------------------------------------------------

CDialog::CDialog() = default;

CDialog::CDialog(UINT templateId, CWnd* parent)
    : m_nIDHelp(templateId),
      m_lpszTemplateName(reinterpret_cast<LPCWSTR>(static_cast<uintptr_t>(templateId))),
      m_pParentWnd(parent) {}

CDialog::CDialog(LPCWSTR templateName, CWnd* parent) : m_lpszTemplateName(templateName), m_pParentWnd(parent) {}

INT_PTR CDialog::DoModal() {
  const DLGTEMPLATE_DESC* t = FindDialogTemplate(m_lpszTemplateName);
  if (!t || m_hWnd) return -1;
  HWND owner = nullptr;
  if (m_pParentWnd) {
    owner = ::GetAncestor(m_pParentWnd->m_hWnd, GA_ROOT);
  } else if (CWnd* main = AfxGetMainWnd(); main && main != this && IsWindow(main->m_hWnd)) {
    owner = main->m_hWnd;
  }
  bool ownerWasEnabled = owner && ::IsWindowEnabled(owner);
  if (ownerWasEnabled) ::EnableWindow(owner, FALSE);
  m_nModalResult = -1;
  SetPendingCWnd(this);
  HWND hwnd = CreateDialogIndirectParamW(AfxGetInstanceHandle(), t, owner, nullptr, 0);
  SetPendingCWnd(nullptr);
  if (hwnd) {
    WindowImpl* d = W(hwnd);
    if (d && !d->dialogEnded) {
      if (!(t->style & WS_VISIBLE)) ::ShowWindow(hwnd, SW_SHOWNORMAL);
      RunModalLoop(0);
    } else if (d) {
      m_nModalResult = static_cast<int>(d->dialogResult);
    }
    if (IsWindow(hwnd)) ::SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                                       SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  if (ownerWasEnabled && IsWindow(owner)) {
    ::EnableWindow(owner, TRUE);
    ::SetActiveWindow(owner);
  }
  if (IsWindow(hwnd)) ::DestroyWindow(hwnd);
  return m_nModalResult;
}

BOOL CDialog::Create(UINT templateId, CWnd* parent) {
  m_lpszTemplateName = reinterpret_cast<LPCWSTR>(static_cast<uintptr_t>(templateId));
  m_pParentWnd = parent;
  const DLGTEMPLATE_DESC* t = FindDialogTemplate(m_lpszTemplateName);
  return t ? CreateIndirect(t, parent) : FALSE;
}

BOOL CDialog::CreateIndirect(const DLGTEMPLATE_DESC* desc, CWnd* parent) {
  if (!desc || m_hWnd) return FALSE;
  m_pParentWnd = parent;
  SetPendingCWnd(this);
  HWND hwnd = CreateDialogIndirectParamW(AfxGetInstanceHandle(), desc, parent ? parent->m_hWnd : nullptr, nullptr, 0);
  SetPendingCWnd(nullptr);
  return hwnd ? TRUE : FALSE;
}

BOOL CDialog::OnInitDialog() { return TRUE; }

void CDialog::OnOK() { EndDialog(IDOK); }
void CDialog::OnCancel() { EndDialog(IDCANCEL); }

void CDialog::EndDialog(int result) {
  if (!m_hWnd) return;
  if (m_nFlags & WF_MODALLOOP) {
    ::EndDialog(m_hWnd, result);
  } else {
    ::EndDialog(m_hWnd, result);
    ShowWindow(SW_HIDE);
  }
}

BOOL CDialog::ContinueModal() {
  WindowImpl* d = W(m_hWnd);
  if (d && d->dialogEnded) return FALSE;
  return CWnd::ContinueModal();
}

BOOL CDialog::PreTranslateMessage(MSG* msg) {
  if (!m_hWnd || !msg) return FALSE;
  if (msg->message < WM_KEYDOWN || msg->message > WM_SYSCHAR) return FALSE;
  if (msg->hwnd != m_hWnd && !::IsChild(m_hWnd, msg->hwnd)) return FALSE;
  return IsDialogMessageW(m_hWnd, msg);
}

BOOL CDialog::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  if (message == WM_INITDIALOG) {
    *result = OnInitDialog();
    return TRUE;
  }
  return CWnd::OnWndMsg(message, wParam, lParam, result);
}

BOOL CDialog::OnCommand(WPARAM wParam, LPARAM lParam) {
  if (CWnd::OnCommand(wParam, lParam)) return TRUE;
  UINT code = HIWORD(wParam);
  if (code != BN_CLICKED && code != 0) return FALSE;
  switch (LOWORD(wParam)) {
    case IDOK:
      OnOK();
      return TRUE;
    case IDCANCEL:
      OnCancel();
      return TRUE;
  }
  return FALSE;
}

// ---- the application's pieces ------------------------------------------------------------

CWnd* AfxGetMainWnd() {
  CWinApp* app = AfxGetApp();
  return app ? app->m_pMainWnd : nullptr;
}

BOOL AfxRegisterClass(WNDCLASSW* wc) {
  if (!wc || !wc->lpszClassName) return FALSE;
  WNDCLASSW existing;
  if (GetClassInfoW(wc->hInstance, wc->lpszClassName, &existing)) return TRUE;
  return RegisterClassW(wc) != 0 ? TRUE : FALSE;
}
