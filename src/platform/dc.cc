// CDC and the drawing-object classes, and their temporary wrappers.
#include "platform/dc.h"

#include <map>
#include <memory>

#include "platform/ui_internal.h"
#include "platform/wnd.h"

namespace platform {

void FreeTemporaryWnds();

namespace {

// Temporary wrappers do not own their handle: they are detached before
// they are freed.
template <class T>
std::map<const void*, std::unique_ptr<T>>& TempMap() {
  static auto* map = new std::map<const void*, std::unique_ptr<T>>();
  return *map;
}

template <class T>
T* TempObject(HGDIOBJ handle) {
  if (!handle) return nullptr;
  auto& map = TempMap<T>();
  auto it = map.find(handle);
  if (it != map.end()) return it->second.get();
  auto wrapper = std::make_unique<T>();
  wrapper->m_hObject = handle;
  T* raw = wrapper.get();
  map[handle] = std::move(wrapper);
  return raw;
}

template <class T>
void FreeTempMap() {
  auto& map = TempMap<T>();
  for (auto& [handle, wrapper] : map) wrapper->Detach();
  map.clear();
}

std::map<HDC, std::unique_ptr<CDC>>& TempDcs() {
  static auto* map = new std::map<HDC, std::unique_ptr<CDC>>();
  return *map;
}

}  // namespace

void FreeTemporaryObjects() {
  FreeTempMap<CBitmap>();
  FreeTempMap<CBrush>();
  FreeTempMap<CPen>();
  FreeTempMap<CFont>();
  FreeTempMap<CRgn>();
  for (auto& [dc, wrapper] : TempDcs()) wrapper->Detach();
  TempDcs().clear();
  FreeTemporaryWnds();
}

}  // namespace platform

using namespace platform;

// ---- drawing objects ---------------------------------------------------------------------

CGdiObject::~CGdiObject() { DeleteObject(); }

BOOL CGdiObject::Attach(HGDIOBJ object) {
  if (m_hObject || !object) return FALSE;
  m_hObject = object;
  return TRUE;
}

HGDIOBJ CGdiObject::Detach() {
  HGDIOBJ h = m_hObject;
  m_hObject = nullptr;
  return h;
}

BOOL CGdiObject::DeleteObject() {
  if (!m_hObject) return FALSE;
  BOOL ok = ::DeleteObject(m_hObject);
  m_hObject = nullptr;
  return ok;
}

CBitmap* CBitmap::FromHandle(HBITMAP bitmap) { return TempObject<CBitmap>(bitmap); }
BOOL CBitmap::CreateCompatibleBitmap(CDC* dc, int width, int height) {
  return Attach(::CreateCompatibleBitmap(dc ? dc->m_hDC : nullptr, width, height));
}
BOOL CBitmap::CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits) {
  return Attach(::CreateBitmap(width, height, planes, bitsPerPixel, bits));
}
BOOL CBitmap::LoadFromFile(LPCWSTR path) {
  return Attach(reinterpret_cast<HBITMAP>(LoadImageW(nullptr, path, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE)));
}

CBrush* CBrush::FromHandle(HBRUSH brush) { return TempObject<CBrush>(brush); }
BOOL CBrush::CreateSolidBrush(COLORREF color) { return Attach(::CreateSolidBrush(color)); }
BOOL CBrush::CreateSysColorBrush(int index) { return Attach(::CreateSolidBrush(GetSysColor(index))); }

CPen* CPen::FromHandle(HPEN pen) { return TempObject<CPen>(pen); }
BOOL CPen::CreatePen(int style, int width, COLORREF color) { return Attach(::CreatePen(style, width, color)); }

CFont* CFont::FromHandle(HFONT font) { return TempObject<CFont>(font); }
BOOL CFont::CreateFontIndirect(const LOGFONTW* font) { return Attach(::CreateFontIndirectW(font)); }
BOOL CFont::CreatePointFont(int pointSize, LPCWSTR faceName, CDC*) {
  LOGFONTW lf{};
  lf.lfHeight = -MulDiv(pointSize, 96, 720);
  lf.lfWeight = FW_NORMAL;
  if (faceName) {
    for (int i = 0; i < LF_FACESIZE - 1 && faceName[i]; ++i) lf.lfFaceName[i] = faceName[i];
  }
  return CreateFontIndirect(&lf);
}

CRgn* CRgn::FromHandle(HRGN region) { return TempObject<CRgn>(region); }
BOOL CRgn::CreateRectRgn(int l, int t, int r, int b) { return Attach(::CreateRectRgn(l, t, r, b)); }
BOOL CRgn::CreateRectRgnIndirect(LPCRECT rect) { return Attach(::CreateRectRgnIndirect(rect)); }
BOOL CRgn::CreateRoundRectRgn(int x1, int y1, int x2, int y2, int w, int h) {
  return Attach(::CreateRoundRectRgn(x1, y1, x2, y2, w, h));
}
int CRgn::CombineRgn(const CRgn* a, const CRgn* b, int mode) {
  return ::CombineRgn(*this, a ? static_cast<HRGN>(*a) : nullptr, b ? static_cast<HRGN>(*b) : nullptr, mode);
}
int CRgn::OffsetRgn(int dx, int dy) { return ::OffsetRgn(*this, dx, dy); }
int CRgn::GetRgnBox(LPRECT rect) const { return ::GetRgnBox(*this, rect); }
BOOL CRgn::PtInRegion(int x, int y) const { return ::PtInRegion(*this, x, y); }

// ---- device contexts ---------------------------------------------------------------------

CDC::~CDC() {
  if (m_owned && m_hDC) ::DeleteDC(m_hDC);
}

CDC* CDC::FromHandle(HDC dc) {
  if (!dc) return nullptr;
  auto& map = TempDcs();
  auto it = map.find(dc);
  if (it != map.end()) {
    it->second->m_hDC = dc;  // also after a ReleaseDC let go of it
    return it->second.get();
  }
  auto wrapper = std::make_unique<CDC>();
  wrapper->m_hDC = dc;
  CDC* raw = wrapper.get();
  map[dc] = std::move(wrapper);
  return raw;
}

BOOL CDC::Attach(HDC dc) {
  if (m_hDC || !dc) return FALSE;
  m_hDC = dc;
  m_owned = true;
  return TRUE;
}

HDC CDC::Detach() {
  HDC h = m_hDC;
  m_hDC = nullptr;
  m_owned = false;
  return h;
}

BOOL CDC::CreateCompatibleDC(CDC* dc) {
  if (m_hDC) return FALSE;
  m_hDC = ::CreateCompatibleDC(dc ? dc->m_hDC : nullptr);
  m_owned = m_hDC != nullptr;
  return m_hDC ? TRUE : FALSE;
}

BOOL CDC::DeleteDC() {
  if (!m_hDC) return FALSE;
  BOOL ok = ::DeleteDC(m_hDC);
  m_hDC = nullptr;
  m_owned = false;
  return ok;
}

CBitmap* CDC::SelectObject(CBitmap* bitmap) {
  return CBitmap::FromHandle(static_cast<HBITMAP>(::SelectObject(m_hDC, bitmap ? bitmap->m_hObject : nullptr)));
}
CBrush* CDC::SelectObject(CBrush* brush) {
  return CBrush::FromHandle(static_cast<HBRUSH>(::SelectObject(m_hDC, brush ? brush->m_hObject : nullptr)));
}
CPen* CDC::SelectObject(CPen* pen) {
  return CPen::FromHandle(static_cast<HPEN>(::SelectObject(m_hDC, pen ? pen->m_hObject : nullptr)));
}
CFont* CDC::SelectObject(CFont* font) {
  return CFont::FromHandle(static_cast<HFONT>(::SelectObject(m_hDC, font ? font->m_hObject : nullptr)));
}

CPoint CDC::SetViewportOrg(int x, int y) {
  POINT old{};
  ::SetViewportOrgEx(m_hDC, x, y, &old);
  return CPoint(old);
}

CPoint CDC::OffsetViewportOrg(int dx, int dy) {
  POINT old{};
  ::OffsetViewportOrgEx(m_hDC, dx, dy, &old);
  return CPoint(old.x + dx, old.y + dy);
}

CPoint CDC::GetViewportOrg() const {
  POINT p{};
  ::GetViewportOrgEx(m_hDC, &p);
  return CPoint(p);
}

BOOL CDC::BitBlt(int x, int y, int width, int height, CDC* src, int xSrc, int ySrc, DWORD rop) {
  return ::BitBlt(m_hDC, x, y, width, height, src ? src->m_hDC : nullptr, xSrc, ySrc, rop);
}

BOOL CDC::StretchBlt(int x, int y, int width, int height, CDC* src, int xSrc, int ySrc, int wSrc, int hSrc,
                     DWORD rop) {
  return ::StretchBlt(m_hDC, x, y, width, height, src ? src->m_hDC : nullptr, xSrc, ySrc, wSrc, hSrc, rop);
}

void CDC::FillSolidRect(LPCRECT rect, COLORREF color) {
  if (!rect) return;
  FillSolidRect(rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top, color);
}

void CDC::FillSolidRect(int x, int y, int cx, int cy, COLORREF color) {
  ::SetBkColor(m_hDC, color);
  RECT r{x, y, x + cx, y + cy};
  ::ExtTextOutW(m_hDC, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);
}

CPoint CDC::MoveTo(int x, int y) {
  POINT old{};
  ::MoveToEx(m_hDC, x, y, &old);
  return CPoint(old);
}

CSize CDC::GetTextExtent(LPCWSTR text, int length) const {
  SIZE s{};
  ::GetTextExtentPoint32W(m_hDC, text, length, &s);
  return CSize(s);
}

CPaintDC::CPaintDC(CWnd* wnd) : m_hWnd(wnd ? wnd->m_hWnd : nullptr) {
  m_ps = PAINTSTRUCT{};
  m_hDC = ::BeginPaint(m_hWnd, &m_ps);
}

CPaintDC::~CPaintDC() {
  if (m_hDC) ::EndPaint(m_hWnd, &m_ps);
  m_hDC = nullptr;
}

CClientDC::CClientDC(CWnd* wnd) : m_hWnd(wnd ? wnd->m_hWnd : nullptr) { m_hDC = ::GetDC(m_hWnd); }

CClientDC::~CClientDC() {
  if (m_hDC) ::ReleaseDC(m_hWnd, m_hDC);
  m_hDC = nullptr;
}

CWindowDC::CWindowDC(CWnd* wnd) : m_hWnd(wnd ? wnd->m_hWnd : nullptr) { m_hDC = ::GetWindowDC(m_hWnd); }

CWindowDC::~CWindowDC() {
  if (m_hDC) ::ReleaseDC(m_hWnd, m_hDC);
  m_hDC = nullptr;
}
