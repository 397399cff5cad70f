// Window objects in the manner of the class library: CWnd for any window and
// CDialog for dialogs, with a virtual window procedure, virtual handlers per
// message and default handling that runs the window's own procedure.
//
// A class derives from CWnd (or CDialog, or a control class), overrides the
// handlers it needs and calls the base handler (or Default()) for the
// platform's behaviour:
//
//   class CMyCtrl : public CWnd {
//    protected:
//     void OnPaint() override { CPaintDC dc(this); ... }
//     BOOL OnEraseBkgnd(CDC*) override { return TRUE; }
//     void OnLButtonDown(UINT flags, CPoint point) override { ...; CWnd::OnLButtonDown(flags, point); }
//     LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
//       if (message == WM_MY_MESSAGE) return OnMyMessage(wParam, lParam);
//       return CWnd::WindowProc(message, wParam, lParam);
//     }
//   };
//
// An object gets its window either by creating it (Create, CreateEx: the
// object receives every message from WM_NCCREATE on) or by subclassing an
// existing one (SubclassWindow: its handlers run first and default handling
// falls through to the procedure the window had). Commands, notifications,
// draw-item and control-colour messages are first offered to the sending
// control's object (OnChildNotify, "reflection"); only when it does not take
// them do they reach the parent's OnCommand, OnNotify, OnDrawItem and
// OnCtlColor.
#pragma once

#include <string>

#include "platform/dc.h"
#include "platform/geometry.h"
#include "platform/winuser.h"

// Kinds of WM_CTLCOLOR* for OnCtlColor.
#define CTLCOLOR_MSGBOX 0
#define CTLCOLOR_EDIT 1
#define CTLCOLOR_LISTBOX 2
#define CTLCOLOR_BTN 3
#define CTLCOLOR_DLG 4
#define CTLCOLOR_SCROLLBAR 5
#define CTLCOLOR_STATIC 6

class CWnd {
 public:
  CWnd();
  // Destroys the window if the object still has one.
  virtual ~CWnd();
  CWnd(const CWnd&) = delete;
  CWnd& operator=(const CWnd&) = delete;

  HWND m_hWnd = nullptr;

  // The special places of SetWindowPos, as objects: &wndTopMost and so on.
  static const CWnd wndTop;
  static const CWnd wndBottom;
  static const CWnd wndTopMost;
  static const CWnd wndNoTopMost;

  operator HWND() const { return m_hWnd; }
  HWND GetSafeHwnd() const { return m_hWnd; }
  // The object attached to the window, or a temporary one that lives until
  // the loop is next idle (or the window is destroyed). Null for null.
  static CWnd* FromHandle(HWND hwnd);
  // The attached object only.
  static CWnd* FromHandlePermanent(HWND hwnd);

  // ---- creation and destruction ----
  virtual BOOL Create(LPCWSTR className, LPCWSTR windowName, DWORD style, const RECT& rect, CWnd* parent,
                      UINT id, void* context = nullptr);
  virtual BOOL CreateEx(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, const RECT& rect,
                        CWnd* parent, UINT id, LPVOID param = nullptr);
  BOOL CreateEx(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y, int width,
                int height, HWND parent, HMENU idOrMenu, LPVOID param = nullptr);
  virtual BOOL DestroyWindow();
  // Called before the window is created; may change the creation values.
  virtual BOOL PreCreateWindow(CREATESTRUCTW& cs);
  // Called after WM_NCDESTROY, when the object has let go of the window.
  virtual void PostNcDestroy();

  // Attach and Detach only associate the object with the handle (FromHandle
  // finds it); messages keep going to the window's procedure.
  BOOL Attach(HWND hwnd);
  HWND Detach();
  // The object takes over the window's messages; PreSubclassWindow runs
  // first.
  BOOL SubclassWindow(HWND hwnd);
  BOOL SubclassDlgItem(UINT id, CWnd* parent);
  HWND UnsubclassWindow();
  virtual void PreSubclassWindow();

  // ---- the window procedure ----
  virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
  // Runs the handler of the message; FALSE for messages without a handler,
  // which then get DefWindowProc.
  virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
  // The window's own procedure (the class's, or the one replaced by
  // subclassing).
  virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
  // DefWindowProc with the message being handled.
  LRESULT Default();
  static const MSG* GetCurrentMessage();
  // Offered every message of the loop that is meant for this window or one
  // of its descendants, from the target up to the top-level window; TRUE
  // when the message was taken.
  virtual BOOL PreTranslateMessage(MSG* msg);
  virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
  virtual BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result);
  // A message the parent got about this control (WM_COMMAND, WM_NOTIFY,
  // WM_DRAWITEM, WM_CTLCOLOR*, WM_HSCROLL, WM_VSCROLL); TRUE takes it, with
  // *result as the parent's answer.
  virtual BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);

  // ---- modal loops ----
  int RunModalLoop(DWORD flags = 0);
  virtual BOOL ContinueModal();
  virtual void EndModalLoop(int result);

  // ---- operations ----
  LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
  BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
  CWnd* GetDlgItem(int id) const;
  int GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }
  int SetDlgCtrlID(int id);
  CWnd* GetParent() const;
  CWnd* GetOwner() const;
  CWnd* GetTopLevelParent() const;
  CWnd* GetWindow(UINT cmd) const;
  BOOL IsChild(const CWnd* wnd) const;
  DWORD GetStyle() const;
  DWORD GetExStyle() const;
  BOOL ModifyStyle(DWORD remove, DWORD add, UINT flags = 0);
  BOOL ModifyStyleEx(DWORD remove, DWORD add, UINT flags = 0);
  BOOL ShowWindow(int cmd) { return ::ShowWindow(m_hWnd, cmd); }
  BOOL IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
  BOOL IsIconic() const { return ::IsIconic(m_hWnd); }
  BOOL EnableWindow(BOOL enable = TRUE) { return ::EnableWindow(m_hWnd, enable); }
  BOOL IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd); }
  void MoveWindow(int x, int y, int width, int height, BOOL repaint = TRUE);
  void MoveWindow(LPCRECT rect, BOOL repaint = TRUE);
  BOOL SetWindowPos(const CWnd* insertAfter, int x, int y, int cx, int cy, UINT flags);
  void CenterWindow(CWnd* alternateOwner = nullptr);
  void BringWindowToTop() { ::BringWindowToTop(m_hWnd); }
  BOOL SetForegroundWindow() { return ::SetForegroundWindow(m_hWnd); }
  void SetWindowText(LPCWSTR text) { ::SetWindowTextW(m_hWnd, text); }
  void SetWindowText(const std::wstring& text) { ::SetWindowTextW(m_hWnd, text.c_str()); }
  int GetWindowText(LPWSTR buffer, int count) const { return ::GetWindowTextW(m_hWnd, buffer, count); }
  void GetWindowText(std::wstring& text) const;
  int GetWindowTextLength() const { return ::GetWindowTextLengthW(m_hWnd); }
  void GetClientRect(LPRECT rect) const { ::GetClientRect(m_hWnd, rect); }
  void GetWindowRect(LPRECT rect) const { ::GetWindowRect(m_hWnd, rect); }
  void ClientToScreen(LPPOINT point) const { ::ClientToScreen(m_hWnd, point); }
  void ClientToScreen(LPRECT rect) const;
  void ScreenToClient(LPPOINT point) const { ::ScreenToClient(m_hWnd, point); }
  void ScreenToClient(LPRECT rect) const;
  void MapWindowPoints(CWnd* to, LPPOINT points, UINT count) const;
  void MapWindowPoints(CWnd* to, LPRECT rect) const;
  void Invalidate(BOOL erase = TRUE) { ::InvalidateRect(m_hWnd, nullptr, erase); }
  void InvalidateRect(LPCRECT rect, BOOL erase = TRUE) { ::InvalidateRect(m_hWnd, rect, erase); }
  void InvalidateRgn(CRgn* region, BOOL erase = TRUE);
  void ValidateRect(LPCRECT rect) { ::ValidateRect(m_hWnd, rect); }
  void UpdateWindow() { ::UpdateWindow(m_hWnd); }
  BOOL RedrawWindow(LPCRECT rect = nullptr, CRgn* region = nullptr,
                    UINT flags = RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE);
  // Temporary context objects, released with ReleaseDC.
  CDC* GetDC();
  CDC* GetWindowDC();
  int ReleaseDC(CDC* dc);
  CDC* BeginPaint(LPPAINTSTRUCT paint);
  void EndPaint(LPPAINTSTRUCT paint) { ::EndPaint(m_hWnd, paint); }
  UINT_PTR SetTimer(UINT_PTR id, UINT elapse, TIMERPROC proc = nullptr) {
    return ::SetTimer(m_hWnd, id, elapse, proc);
  }
  BOOL KillTimer(UINT_PTR id) { return ::KillTimer(m_hWnd, id); }
  CWnd* SetCapture();
  static CWnd* GetCapture();
  CWnd* SetFocus();
  static CWnd* GetFocus();
  // WM_SETFONT and WM_GETFONT.
  void SetFont(CFont* font, BOOL redraw = TRUE);
  CFont* GetFont() const;
  HICON SetIcon(HICON icon, BOOL bigIcon);
  HICON GetIcon(BOOL bigIcon) const;
  int SetWindowRgn(HRGN region, BOOL redraw) { return ::SetWindowRgn(m_hWnd, region, redraw); }
  int GetWindowRgn(HRGN region) const { return ::GetWindowRgn(m_hWnd, region); }

 protected:
  // ---- handlers; each base handler runs Default() ----
  virtual int OnCreate(LPCREATESTRUCTW cs);
  virtual void OnDestroy();
  virtual void OnNcDestroy();
  virtual void OnClose();
  virtual void OnPaint();
  virtual BOOL OnEraseBkgnd(CDC* dc);
  virtual void OnNcPaint();
  virtual void OnNcCalcSize(BOOL calcValidRects, NCCALCSIZE_PARAMS* params);
  virtual LRESULT OnNcHitTest(CPoint screenPoint);
  virtual void OnNcLButtonDown(UINT hitTest, CPoint screenPoint);
  virtual void OnNcMouseMove(UINT hitTest, CPoint screenPoint);
  virtual void OnSize(UINT type, int cx, int cy);
  virtual void OnMove(int x, int y);
  virtual void OnWindowPosChanging(WINDOWPOS* pos);
  virtual void OnWindowPosChanged(WINDOWPOS* pos);
  virtual void OnShowWindow(BOOL show, UINT status);
  virtual void OnEnable(BOOL enable);
  virtual void OnActivate(UINT state, CWnd* other, BOOL minimized);
  virtual void OnTimer(UINT_PTR id);
  virtual void OnMouseMove(UINT flags, CPoint point);
  virtual void OnLButtonDown(UINT flags, CPoint point);
  virtual void OnLButtonUp(UINT flags, CPoint point);
  virtual void OnLButtonDblClk(UINT flags, CPoint point);
  virtual void OnRButtonDown(UINT flags, CPoint point);
  virtual void OnRButtonUp(UINT flags, CPoint point);
  virtual void OnRButtonDblClk(UINT flags, CPoint point);
  virtual void OnMButtonDown(UINT flags, CPoint point);
  virtual void OnMButtonUp(UINT flags, CPoint point);
  virtual BOOL OnMouseWheel(UINT flags, short delta, CPoint screenPoint);
  virtual void OnMouseHover(UINT flags, CPoint point);
  virtual void OnMouseLeave();
  virtual void OnCaptureChanged(CWnd* wnd);
  virtual BOOL OnSetCursor(CWnd* wnd, UINT hitTest, UINT message);
  virtual void OnKeyDown(UINT key, UINT repeat, UINT flags);
  virtual void OnKeyUp(UINT key, UINT repeat, UINT flags);
  virtual void OnChar(UINT ch, UINT repeat, UINT flags);
  virtual void OnSetFocus(CWnd* oldWnd);
  virtual void OnKillFocus(CWnd* newWnd);
  virtual UINT OnGetDlgCode();
  // Offers the message to the control first (OnChildNotify); then Default().
  virtual HBRUSH OnCtlColor(CDC* dc, CWnd* wnd, UINT ctlColor);
  virtual void OnDrawItem(int id, LPDRAWITEMSTRUCT item);
  virtual void OnHScroll(UINT code, UINT pos, CWnd* scrollBar);
  virtual void OnVScroll(UINT code, UINT pos, CWnd* scrollBar);
  virtual HCURSOR OnQueryDragIcon();
  virtual void OnSysCommand(UINT id, LPARAM lParam);

 public:
  // State kept for the window layer; not for class code.
  WNDPROC m_pfnSuper = nullptr;  // the procedure default handling calls
  bool m_bTemporary = false;     // made by FromHandle
  int m_nFlags = 0;              // modal state
  int m_nModalResult = 0;

 private:
  friend LRESULT CWndProcThunk(HWND, UINT, WPARAM, LPARAM);
  MSG m_current{};
  LRESULT m_lastDefault = 0;
  explicit CWnd(HWND special) : m_hWnd(special), m_bTemporary(true) {}
};

// WF_ flags of m_nFlags.
#define WF_CONTINUEMODAL 0x0001
#define WF_MODALLOOP 0x0002
#define MLF_NOIDLEMSG 0x0001

// The procedure of windows that have an object: passes every message to the
// object's WindowProc.
LRESULT CWndProcThunk(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

class CDialog : public CWnd {
 public:
  CDialog();
  explicit CDialog(UINT templateId, CWnd* parent = nullptr);
  explicit CDialog(LPCWSTR templateName, CWnd* parent = nullptr);

  // Creates the dialog from its template, runs it modally and destroys it;
  // the EndDialog result, or -1 when it could not be created. The owner is
  // the parent given, else the application's main window when that is not
  // this dialog.
  virtual INT_PTR DoModal();
  // A modeless dialog.
  using CWnd::Create;
  virtual BOOL Create(UINT templateId, CWnd* parent = nullptr);
  BOOL CreateIndirect(const DLGTEMPLATE_DESC* desc, CWnd* parent = nullptr);

  // WM_INITDIALOG. TRUE lets the platform give the focus to the first
  // control that takes it.
  virtual BOOL OnInitDialog();
  virtual void OnOK();
  virtual void OnCancel();
  // Ends the modal run with the result (for a modeless dialog: hides it).
  void EndDialog(int result);

  BOOL PreTranslateMessage(MSG* msg) override;
  BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
  BOOL ContinueModal() override;

  UINT m_nIDHelp = 0;
  LPCWSTR m_lpszTemplateName = nullptr;
  CWnd* m_pParentWnd = nullptr;

 protected:
  // IDOK and IDCANCEL commands run OnOK and OnCancel.
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
};

// The application's main window (CWinApp::m_pMainWnd).
CWnd* AfxGetMainWnd();
// Registers the class unless a class of that name exists; TRUE either way
// when the class is there afterwards.
BOOL AfxRegisterClass(WNDCLASSW* wc);
