// The common controls as classes, in the manner of the class library:
// CButton, CScrollBar, CListCtrl, CHeaderCtrl and CToolTipCtrl. Each wraps
// the control's messages; a class derived from one of them creates the
// control or subclasses an existing one (SubclassWindow), overrides the
// handlers it needs and calls the base handler (or Default()) for the
// control's own behaviour.
//
// Owner drawing and reflection: the control's WM_DRAWITEM goes to its
// parent, and the parent's CWnd offers it back to the control's object
// first (OnChildNotify), which calls DrawItem. A click's WM_COMMAND
// (BN_CLICKED) is offered the same way: a CButton subclass that answers
// TRUE from OnClicked keeps it from reaching the parent's OnCommand.
#pragma once

#include <memory>
#include <string>

#include "platform/commctrl.h"
#include "platform/wnd.h"

class CButton : public CWnd {
 public:
  // A "button" window; `style` holds the button type (BS_*) and WS_ bits.
  BOOL Create(LPCWSTR caption, DWORD style, const RECT& rect, CWnd* parent, UINT id);

  int GetCheck() const { return static_cast<int>(SendMessage(BM_GETCHECK)); }
  void SetCheck(int check) { SendMessage(BM_SETCHECK, static_cast<WPARAM>(check)); }
  UINT GetState() const { return static_cast<UINT>(SendMessage(BM_GETSTATE)); }
  void SetState(BOOL pushed) { SendMessage(BM_SETSTATE, static_cast<WPARAM>(pushed)); }
  UINT GetButtonStyle() const { return GetStyle() & 0xFFFF; }
  void SetButtonStyle(UINT style, BOOL redraw = TRUE) { SendMessage(BM_SETSTYLE, style, redraw); }
  void Click() { SendMessage(BM_CLICK); }

  // Draws an owner-drawn (BS_OWNERDRAW) button; nothing here.
  virtual void DrawItem(LPDRAWITEMSTRUCT item);
  BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

 protected:
  // The button's own click (BN_CLICKED reflected to it). TRUE takes it:
  // the parent does not hear of it.
  virtual BOOL OnClicked();
};

class CScrollBar : public CWnd {
 public:
  // SBS_VERT or SBS_HORZ in `style`.
  BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);

  int GetScrollPos() const { return ::GetScrollPos(m_hWnd, SB_CTL); }
  int SetScrollPos(int pos, BOOL redraw = TRUE) { return ::SetScrollPos(m_hWnd, SB_CTL, pos, redraw); }
  void GetScrollRange(int* minPos, int* maxPos) const { ::GetScrollRange(m_hWnd, SB_CTL, minPos, maxPos); }
  void SetScrollRange(int minPos, int maxPos, BOOL redraw = TRUE) {
    ::SetScrollRange(m_hWnd, SB_CTL, minPos, maxPos, redraw);
  }
  BOOL GetScrollInfo(LPSCROLLINFO info, UINT mask = SIF_ALL) const;
  BOOL SetScrollInfo(LPSCROLLINFO info, BOOL redraw = TRUE) {
    return ::SetScrollInfo(m_hWnd, SB_CTL, info, redraw) >= 0;
  }
  // The largest position: the maximum less the page plus one.
  int GetScrollLimit() const;
  void ShowScrollBar(BOOL show = TRUE) { ::ShowScrollBar(m_hWnd, SB_CTL, show); }
};

class CHeaderCtrl : public CWnd {
 public:
  BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);

  int GetItemCount() const { return static_cast<int>(SendMessage(HDM_GETITEMCOUNT)); }
  BOOL GetItem(int index, HDITEMW* item) const {
    return static_cast<BOOL>(SendMessage(HDM_GETITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(item)));
  }
  BOOL SetItem(int index, HDITEMW* item) {
    return static_cast<BOOL>(SendMessage(HDM_SETITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(item)));
  }
  int InsertItem(int index, HDITEMW* item) {
    return static_cast<int>(SendMessage(HDM_INSERTITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(item)));
  }
  BOOL DeleteItem(int index) { return static_cast<BOOL>(SendMessage(HDM_DELETEITEM, static_cast<WPARAM>(index))); }
  // The item's rectangle in the header's client coordinates (a zero-width
  // item gives left == right).
  BOOL GetItemRect(int index, LPRECT rect) const {
    return static_cast<BOOL>(SendMessage(HDM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(rect)));
  }
  BOOL Layout(HDLAYOUT* layout) { return static_cast<BOOL>(SendMessage(HDM_LAYOUT, 0, reinterpret_cast<LPARAM>(layout))); }
  int HitTest(LPHDHITTESTINFO info) { return static_cast<int>(SendMessage(HDM_HITTEST, 0, reinterpret_cast<LPARAM>(info))); }
  // The item's text (at most `max` characters), or the empty text.
  std::wstring GetItemText(int index, int max = 256) const;
};

class CListCtrl : public CWnd {
 public:
  CListCtrl();
  ~CListCtrl() override;

  BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);
  BOOL CreateEx(DWORD exStyle, DWORD style, const RECT& rect, CWnd* parent, UINT id);

  // Extended list styles (LVS_EX_*).
  DWORD GetExtendedStyle() const { return static_cast<DWORD>(SendMessage(LVM_GETEXTENDEDLISTVIEWSTYLE)); }
  DWORD SetExtendedStyle(DWORD style) {
    return static_cast<DWORD>(SendMessage(LVM_SETEXTENDEDLISTVIEWSTYLE, 0, static_cast<LPARAM>(style)));
  }

  // ---- columns ----
  int InsertColumn(int column, const LVCOLUMNW* info);
  // width -1 leaves the width 0; subItem -1 binds no sub-item.
  int InsertColumn(int column, LPCWSTR heading, int format = LVCFMT_LEFT, int width = -1, int subItem = -1);
  BOOL DeleteColumn(int column) { return static_cast<BOOL>(SendMessage(LVM_DELETECOLUMN, static_cast<WPARAM>(column))); }
  BOOL GetColumn(int column, LVCOLUMNW* info) const {
    return static_cast<BOOL>(SendMessage(LVM_GETCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(info)));
  }
  BOOL SetColumn(int column, const LVCOLUMNW* info) {
    return static_cast<BOOL>(SendMessage(LVM_SETCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(info)));
  }
  int GetColumnWidth(int column) const { return static_cast<int>(SendMessage(LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column))); }
  // LVSCW_AUTOSIZE and LVSCW_AUTOSIZE_USEHEADER fit the column to its texts.
  BOOL SetColumnWidth(int column, int width) {
    return static_cast<BOOL>(SendMessage(LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column), MAKELPARAM(width, 0)));
  }
  // The header window, as a CHeaderCtrl: the object that subclassed it when
  // that is a CHeaderCtrl, else a wrapper kept by this object. Null when
  // the list has no header window.
  CHeaderCtrl* GetHeaderCtrl() const;

  // ---- rows ----
  int InsertItem(const LVITEMW* item);
  int InsertItem(int item, LPCWSTR text);
  int InsertItem(UINT mask, int item, LPCWSTR text, UINT state, UINT stateMask, int image, LPARAM lParam);
  BOOL DeleteItem(int item) { return static_cast<BOOL>(SendMessage(LVM_DELETEITEM, static_cast<WPARAM>(item))); }
  BOOL DeleteAllItems() { return static_cast<BOOL>(SendMessage(LVM_DELETEALLITEMS)); }
  int GetItemCount() const { return static_cast<int>(SendMessage(LVM_GETITEMCOUNT)); }
  BOOL GetItem(LVITEMW* item) const { return static_cast<BOOL>(SendMessage(LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(item))); }
  BOOL SetItem(const LVITEMW* item) { return static_cast<BOOL>(SendMessage(LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(item))); }
  BOOL SetItemText(int item, int subItem, LPCWSTR text);
  std::wstring GetItemText(int item, int subItem) const;
  int GetItemText(int item, int subItem, LPWSTR buffer, int length) const;
  DWORD_PTR GetItemData(int item) const;
  BOOL SetItemData(int item, DWORD_PTR data);

  // ---- states and selection ----
  UINT GetItemState(int item, UINT mask) const {
    return static_cast<UINT>(SendMessage(LVM_GETITEMSTATE, static_cast<WPARAM>(item), static_cast<LPARAM>(mask)));
  }
  // item -1: every row (the focus excepted).
  BOOL SetItemState(int item, UINT state, UINT mask);
  BOOL SetItemState(int item, LVITEMW* info) {
    return static_cast<BOOL>(SendMessage(LVM_SETITEMSTATE, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(info)));
  }
  // The next row after `start` (-1: from before the first) with all the
  // states of `flags` (LVNI_SELECTED, LVNI_FOCUSED; LVNI_ABOVE searches
  // upwards), or -1.
  int GetNextItem(int start, int flags) const {
    return static_cast<int>(SendMessage(LVM_GETNEXTITEM, static_cast<WPARAM>(start), static_cast<LPARAM>(flags)));
  }
  UINT GetSelectedCount() const { return static_cast<UINT>(SendMessage(LVM_GETSELECTEDCOUNT)); }
  int GetSelectionMark() const { return static_cast<int>(SendMessage(LVM_GETSELECTIONMARK)); }
  int SetSelectionMark(int item) { return static_cast<int>(SendMessage(LVM_SETSELECTIONMARK, 0, item)); }
  // Walks the selected rows in order: GetNextSelectedItem returns a row and
  // moves the position on (null after the last).
  typedef void* POSITION;
  POSITION GetFirstSelectedItemPosition() const;
  int GetNextSelectedItem(POSITION& pos) const;

  // ---- geometry and scrolling ----
  // LVIR_BOUNDS, LVIR_LABEL, LVIR_ICON or LVIR_SELECTBOUNDS; client
  // coordinates (rows scrolled away lie outside the client area).
  BOOL GetItemRect(int item, LPRECT rect, UINT code) const;
  BOOL GetSubItemRect(int item, int subItem, int code, RECT& rect) const;
  int HitTest(CPoint point, UINT* flags = nullptr) const;
  int HitTest(LVHITTESTINFO* info) const { return static_cast<int>(SendMessage(LVM_HITTEST, 0, reinterpret_cast<LPARAM>(info))); }
  int SubItemHitTest(LVHITTESTINFO* info) { return static_cast<int>(SendMessage(LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(info))); }
  BOOL EnsureVisible(int item, BOOL partialOk) {
    return static_cast<BOOL>(SendMessage(LVM_ENSUREVISIBLE, static_cast<WPARAM>(item), partialOk));
  }
  // Pixels; vertically rounded to whole rows.
  BOOL Scroll(CSize size) { return static_cast<BOOL>(SendMessage(LVM_SCROLL, static_cast<WPARAM>(size.cx), size.cy)); }
  int GetTopIndex() const { return static_cast<int>(SendMessage(LVM_GETTOPINDEX)); }
  int GetCountPerPage() const { return static_cast<int>(SendMessage(LVM_GETCOUNTPERPAGE)); }
  BOOL RedrawItems(int first, int last) { return static_cast<BOOL>(SendMessage(LVM_REDRAWITEMS, static_cast<WPARAM>(first), last)); }

  // ---- colours ----
  COLORREF GetTextColor() const { return static_cast<COLORREF>(SendMessage(LVM_GETTEXTCOLOR)); }
  BOOL SetTextColor(COLORREF color) { return static_cast<BOOL>(SendMessage(LVM_SETTEXTCOLOR, 0, static_cast<LPARAM>(color))); }
  COLORREF GetTextBkColor() const { return static_cast<COLORREF>(SendMessage(LVM_GETTEXTBKCOLOR)); }
  BOOL SetTextBkColor(COLORREF color) { return static_cast<BOOL>(SendMessage(LVM_SETTEXTBKCOLOR, 0, static_cast<LPARAM>(color))); }
  COLORREF GetBkColor() const { return static_cast<COLORREF>(SendMessage(LVM_GETBKCOLOR)); }
  BOOL SetBkColor(COLORREF color) { return static_cast<BOOL>(SendMessage(LVM_SETBKCOLOR, 0, static_cast<LPARAM>(color))); }

  // Draws one row of an LVS_OWNERDRAWFIXED list; nothing here.
  virtual void DrawItem(LPDRAWITEMSTRUCT item);
  BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

 private:
  std::unique_ptr<CHeaderCtrl> m_headerWrapper;
};

class CToolTipCtrl : public CWnd {
 public:
  // A tooltip owned by `parent`'s window (TTS_* in `style`).
  BOOL Create(CWnd* parent, DWORD style = 0);

  void Activate(BOOL active) { SendMessage(TTM_ACTIVATE, static_cast<WPARAM>(active)); }
  // A tool for a whole window (rect null: TTF_IDISHWND | TTF_SUBCLASS) or
  // for a rectangle of it with an id (TTF_SUBCLASS).
  BOOL AddTool(CWnd* wnd, LPCWSTR text, LPCRECT rect = nullptr, UINT_PTR id = 0);
  BOOL AddTool(const TOOLINFOW* info) {
    return static_cast<BOOL>(SendMessage(TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(info)));
  }
  void DelTool(CWnd* wnd, UINT_PTR id = 0);
  void UpdateTipText(LPCWSTR text, CWnd* wnd, UINT_PTR id = 0);
  int GetToolCount() const { return static_cast<int>(SendMessage(TTM_GETTOOLCOUNT)); }
  void SetDelayTime(DWORD which, int time) { SendMessage(TTM_SETDELAYTIME, which, MAKELPARAM(time, 0)); }
  int SetMaxTipWidth(int width) { return static_cast<int>(SendMessage(TTM_SETMAXTIPWIDTH, 0, width)); }
  void RelayEvent(LPMSG msg) { SendMessage(TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(msg)); }
  void Pop() { SendMessage(TTM_POP); }

 private:
  TOOLINFOW InfoFor(CWnd* wnd, UINT_PTR id) const;
};
