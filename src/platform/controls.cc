// The control classes' operations that are more than one message.
#include "platform/controls.h"

#include <vector>

// ---- CButton -----------------------------------------------------------------------

BOOL CButton::Create(LPCWSTR caption, DWORD style, const RECT& rect, CWnd* parent, UINT id) {
  return CWnd::Create(WC_BUTTONW, caption, style | WS_CHILD, rect, parent, id);
}

void CButton::DrawItem(LPDRAWITEMSTRUCT) {}

BOOL CButton::OnClicked() { return FALSE; }

BOOL CButton::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  if (message == WM_DRAWITEM) {
    DrawItem(reinterpret_cast<LPDRAWITEMSTRUCT>(lParam));
    *result = TRUE;
    return TRUE;
  }
  if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED && OnClicked()) {
    *result = 0;
    return TRUE;
  }
  return CWnd::OnChildNotify(message, wParam, lParam, result);
}

// ---- CScrollBar --------------------------------------------------------------------

BOOL CScrollBar::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
  return CWnd::Create(WC_SCROLLBARW, L"", style | WS_CHILD, rect, parent, id);
}

BOOL CScrollBar::GetScrollInfo(LPSCROLLINFO info, UINT mask) const {
  if (!info) return FALSE;
  info->cbSize = sizeof(SCROLLINFO);
  info->fMask = mask;
  return ::GetScrollInfo(m_hWnd, SB_CTL, info);
}

int CScrollBar::GetScrollLimit() const {
  SCROLLINFO si{sizeof(SCROLLINFO), SIF_RANGE | SIF_PAGE, 0, 0, 0, 0, 0};
  if (!::GetScrollInfo(m_hWnd, SB_CTL, &si)) return 0;
  int page = static_cast<int>(si.nPage);
  return si.nMax - (page > 0 ? page - 1 : 0);
}

// ---- CHeaderCtrl -------------------------------------------------------------------

BOOL CHeaderCtrl::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
  return CWnd::Create(WC_HEADERW, L"", style | WS_CHILD, rect, parent, id);
}

std::wstring CHeaderCtrl::GetItemText(int index, int max) const {
  if (max <= 0) return std::wstring();
  std::vector<wchar_t> buf(static_cast<size_t>(max) + 1, L'\0');
  HDITEMW item{};
  item.mask = HDI_TEXT;
  item.pszText = buf.data();
  item.cchTextMax = max + 1;
  if (!GetItem(index, &item)) return std::wstring();
  return std::wstring(buf.data());
}

// ---- CListCtrl ---------------------------------------------------------------------

CListCtrl::CListCtrl() = default;
CListCtrl::~CListCtrl() = default;

BOOL CListCtrl::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
  return CWnd::Create(WC_LISTVIEWW, L"", style | WS_CHILD, rect, parent, id);
}

BOOL CListCtrl::CreateEx(DWORD exStyle, DWORD style, const RECT& rect, CWnd* parent, UINT id) {
  return CWnd::CreateEx(exStyle, WC_LISTVIEWW, L"", style | WS_CHILD, rect, parent, id);
}

int CListCtrl::InsertColumn(int column, const LVCOLUMNW* info) {
  return static_cast<int>(SendMessage(LVM_INSERTCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(info)));
}

int CListCtrl::InsertColumn(int column, LPCWSTR heading, int format, int width, int subItem) {
  LVCOLUMNW c{};
  c.mask = LVCF_FMT | LVCF_TEXT;
  c.fmt = format;
  c.pszText = const_cast<LPWSTR>(heading ? heading : L"");
  if (width != -1) {
    c.mask |= LVCF_WIDTH;
    c.cx = width;
  }
  if (subItem != -1) {
    c.mask |= LVCF_SUBITEM;
    c.iSubItem = subItem;
  }
  return InsertColumn(column, &c);
}

CHeaderCtrl* CListCtrl::GetHeaderCtrl() const {
  HWND h = reinterpret_cast<HWND>(SendMessage(LVM_GETHEADER));
  if (!h) return nullptr;
  if (auto* own = dynamic_cast<CHeaderCtrl*>(CWnd::FromHandlePermanent(h))) return own;
  auto* self = const_cast<CListCtrl*>(this);
  if (!self->m_headerWrapper) {
    self->m_headerWrapper = std::make_unique<CHeaderCtrl>();
    // Not attached: the header stays free to be subclassed by an object.
    self->m_headerWrapper->m_bTemporary = true;
  }
  self->m_headerWrapper->m_hWnd = h;
  return self->m_headerWrapper.get();
}

int CListCtrl::InsertItem(const LVITEMW* item) {
  return static_cast<int>(SendMessage(LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(item)));
}

int CListCtrl::InsertItem(int item, LPCWSTR text) {
  return InsertItem(LVIF_TEXT, item, text, 0, 0, 0, 0);
}

int CListCtrl::InsertItem(UINT mask, int item, LPCWSTR text, UINT state, UINT stateMask, int image, LPARAM lParam) {
  LVITEMW it{};
  it.mask = mask;
  it.iItem = item;
  it.pszText = const_cast<LPWSTR>(text ? text : L"");
  it.state = state;
  it.stateMask = stateMask;
  it.iImage = image;
  it.lParam = lParam;
  return InsertItem(&it);
}

BOOL CListCtrl::SetItemText(int item, int subItem, LPCWSTR text) {
  LVITEMW it{};
  it.iSubItem = subItem;
  it.pszText = const_cast<LPWSTR>(text ? text : L"");
  return static_cast<BOOL>(SendMessage(LVM_SETITEMTEXTW, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&it)));
}

int CListCtrl::GetItemText(int item, int subItem, LPWSTR buffer, int length) const {
  LVITEMW it{};
  it.iSubItem = subItem;
  it.pszText = buffer;
  it.cchTextMax = length;
  return static_cast<int>(SendMessage(LVM_GETITEMTEXTW, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&it)));
}

std::wstring CListCtrl::GetItemText(int item, int subItem) const {
  // Grows the buffer until the whole text fits.
  for (int size = 256;; size *= 4) {
    std::vector<wchar_t> buf(static_cast<size_t>(size), L'\0');
    int n = GetItemText(item, subItem, buf.data(), size);
    if (n < size - 1 || size > (1 << 22)) return std::wstring(buf.data(), static_cast<size_t>(n));
  }
}

DWORD_PTR CListCtrl::GetItemData(int item) const {
  LVITEMW it{};
  it.mask = LVIF_PARAM;
  it.iItem = item;
  return GetItem(&it) ? static_cast<DWORD_PTR>(it.lParam) : 0;
}

BOOL CListCtrl::SetItemData(int item, DWORD_PTR data) {
  LVITEMW it{};
  it.mask = LVIF_PARAM;
  it.iItem = item;
  it.lParam = static_cast<LPARAM>(data);
  return SetItem(&it);
}

BOOL CListCtrl::SetItemState(int item, UINT state, UINT mask) {
  LVITEMW it{};
  it.state = state;
  it.stateMask = mask;
  return SetItemState(item, &it);
}

CListCtrl::POSITION CListCtrl::GetFirstSelectedItemPosition() const {
  int i = GetNextItem(-1, LVNI_SELECTED);
  return i < 0 ? nullptr : reinterpret_cast<POSITION>(static_cast<intptr_t>(i) + 1);
}

int CListCtrl::GetNextSelectedItem(POSITION& pos) const {
  int i = static_cast<int>(reinterpret_cast<intptr_t>(pos)) - 1;
  int next = GetNextItem(i, LVNI_SELECTED);
  pos = next < 0 ? nullptr : reinterpret_cast<POSITION>(static_cast<intptr_t>(next) + 1);
  return i;
}

BOOL CListCtrl::GetItemRect(int item, LPRECT rect, UINT code) const {
  if (!rect) return FALSE;
  rect->left = static_cast<LONG>(code);
  return static_cast<BOOL>(SendMessage(LVM_GETITEMRECT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(rect)));
}

BOOL CListCtrl::GetSubItemRect(int item, int subItem, int code, RECT& rect) const {
  rect.top = subItem;
  rect.left = code;
  return static_cast<BOOL>(SendMessage(LVM_GETSUBITEMRECT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&rect)));
}

int CListCtrl::HitTest(CPoint point, UINT* flags) const {
  LVHITTESTINFO info{};
  info.pt = point;
  int i = HitTest(&info);
  if (flags) *flags = info.flags;
  return i;
}

void CListCtrl::DrawItem(LPDRAWITEMSTRUCT) {}

BOOL CListCtrl::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  if (message == WM_DRAWITEM) {
    DrawItem(reinterpret_cast<LPDRAWITEMSTRUCT>(lParam));
    *result = TRUE;
    return TRUE;
  }
  return CWnd::OnChildNotify(message, wParam, lParam, result);
}

// ---- CToolTipCtrl ------------------------------------------------------------------

BOOL CToolTipCtrl::Create(CWnd* parent, DWORD style) {
  return CWnd::CreateEx(0, TOOLTIPS_CLASSW, nullptr, style | WS_POPUP, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                        CW_USEDEFAULT, parent ? parent->m_hWnd : nullptr, nullptr);
}

TOOLINFOW CToolTipCtrl::InfoFor(CWnd* wnd, UINT_PTR id) const {
  TOOLINFOW ti{};
  ti.cbSize = sizeof(TOOLINFOW);
  HWND h = wnd ? wnd->m_hWnd : nullptr;
  if (id == 0) {
    ti.uFlags = TTF_IDISHWND;
    ti.hwnd = ::GetParent(h) ? ::GetParent(h) : h;
    ti.uId = reinterpret_cast<UINT_PTR>(h);
  } else {
    ti.hwnd = h;
    ti.uId = id;
  }
  return ti;
}

BOOL CToolTipCtrl::AddTool(CWnd* wnd, LPCWSTR text, LPCRECT rect, UINT_PTR id) {
  if (!wnd) return FALSE;
  TOOLINFOW ti = InfoFor(wnd, rect ? id : 0);
  if (rect && id == 0) return FALSE;
  ti.uFlags |= TTF_SUBCLASS;
  if (rect) ti.rect = *rect;
  ti.lpszText = const_cast<LPWSTR>(text ? text : L"");
  return AddTool(&ti);
}

void CToolTipCtrl::DelTool(CWnd* wnd, UINT_PTR id) {
  TOOLINFOW ti = InfoFor(wnd, id);
  SendMessage(TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
}

void CToolTipCtrl::UpdateTipText(LPCWSTR text, CWnd* wnd, UINT_PTR id) {
  TOOLINFOW ti = InfoFor(wnd, id);
  ti.lpszText = const_cast<LPWSTR>(text ? text : L"");
  SendMessage(TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&ti));
}
