// Device contexts and drawing objects as classes, in the manner of the class
// library's CDC and CGdiObject families. Each class owns its handle and
// deletes it on destruction unless it was detached; the FromHandle
// functions and the results of SelectObject are temporary wrappers that do
// not own their handle and live until the message loop is next idle.
#pragma once

#include <string>

#include "platform/geometry.h"
#include "platform/winuser.h"

class CWnd;
class CDC;

class CGdiObject {
 public:
  CGdiObject() = default;
  virtual ~CGdiObject();
  CGdiObject(const CGdiObject&) = delete;
  CGdiObject& operator=(const CGdiObject&) = delete;

  HGDIOBJ m_hObject = nullptr;

  operator HGDIOBJ() const { return m_hObject; }
  HGDIOBJ GetSafeHandle() const { return m_hObject; }
  BOOL Attach(HGDIOBJ object);
  HGDIOBJ Detach();
  BOOL DeleteObject();
  int GetObject(int size, LPVOID buffer) const { return GetObjectW(m_hObject, size, buffer); }
};

class CBitmap : public CGdiObject {
 public:
  static CBitmap* FromHandle(HBITMAP bitmap);
  operator HBITMAP() const { return static_cast<HBITMAP>(m_hObject); }
  BOOL CreateCompatibleBitmap(CDC* dc, int width, int height);
  BOOL CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits);
  // A BMP or PNG file (LoadImageW with LR_LOADFROMFILE).
  BOOL LoadFromFile(LPCWSTR path);
  int GetBitmap(BITMAP* info) const { return GetObject(sizeof(BITMAP), info); }
};

class CBrush : public CGdiObject {
 public:
  CBrush() = default;
  explicit CBrush(COLORREF color) { CreateSolidBrush(color); }
  static CBrush* FromHandle(HBRUSH brush);
  operator HBRUSH() const { return static_cast<HBRUSH>(m_hObject); }
  BOOL CreateSolidBrush(COLORREF color);
  BOOL CreateSysColorBrush(int index);
};

class CPen : public CGdiObject {
 public:
  CPen() = default;
  CPen(int style, int width, COLORREF color) { CreatePen(style, width, color); }
  static CPen* FromHandle(HPEN pen);
  operator HPEN() const { return static_cast<HPEN>(m_hObject); }
  BOOL CreatePen(int style, int width, COLORREF color);
};

class CFont : public CGdiObject {
 public:
  static CFont* FromHandle(HFONT font);
  operator HFONT() const { return static_cast<HFONT>(m_hObject); }
  BOOL CreateFontIndirect(const LOGFONTW* font);
  // A size in tenths of a point at 96 dots per inch.
  BOOL CreatePointFont(int pointSize, LPCWSTR faceName, CDC* dc = nullptr);
  int GetLogFont(LOGFONTW* font) const { return GetObject(sizeof(LOGFONTW), font); }
};

class CRgn : public CGdiObject {
 public:
  static CRgn* FromHandle(HRGN region);
  operator HRGN() const { return static_cast<HRGN>(m_hObject); }
  BOOL CreateRectRgn(int left, int top, int right, int bottom);
  BOOL CreateRectRgnIndirect(LPCRECT rect);
  BOOL CreateRoundRectRgn(int x1, int y1, int x2, int y2, int w, int h);
  int CombineRgn(const CRgn* a, const CRgn* b, int mode);
  int OffsetRgn(int dx, int dy);
  int GetRgnBox(LPRECT rect) const;
  BOOL PtInRegion(int x, int y) const;
  BOOL PtInRegion(POINT p) const { return PtInRegion(p.x, p.y); }
};

class CDC {
 public:
  CDC() = default;
  // Deletes a context it made with CreateCompatibleDC (and any it owns).
  virtual ~CDC();
  CDC(const CDC&) = delete;
  CDC& operator=(const CDC&) = delete;

  HDC m_hDC = nullptr;

  static CDC* FromHandle(HDC dc);
  operator HDC() const { return m_hDC; }
  HDC GetSafeHdc() const { return m_hDC; }
  BOOL Attach(HDC dc);
  HDC Detach();

  BOOL CreateCompatibleDC(CDC* dc);
  BOOL DeleteDC();
  int SaveDC() { return ::SaveDC(m_hDC); }
  BOOL RestoreDC(int saved) { return ::RestoreDC(m_hDC, saved); }
  int GetDeviceCaps(int index) const { return ::GetDeviceCaps(m_hDC, index); }

  // The previous object of the same kind, as a temporary wrapper.
  CBitmap* SelectObject(CBitmap* bitmap);
  CBrush* SelectObject(CBrush* brush);
  CPen* SelectObject(CPen* pen);
  CFont* SelectObject(CFont* font);
  HGDIOBJ SelectObject(HGDIOBJ object) { return ::SelectObject(m_hDC, object); }
  int SelectClipRgn(CRgn* region) { return ::SelectClipRgn(m_hDC, region ? (HRGN)*region : nullptr); }
  int IntersectClipRect(int l, int t, int r, int b) { return ::IntersectClipRect(m_hDC, l, t, r, b); }
  int IntersectClipRect(LPCRECT r) { return ::IntersectClipRect(m_hDC, r->left, r->top, r->right, r->bottom); }
  int ExcludeClipRect(int l, int t, int r, int b) { return ::ExcludeClipRect(m_hDC, l, t, r, b); }
  int GetClipBox(LPRECT rect) const { return ::GetClipBox(m_hDC, rect); }
  CPoint SetViewportOrg(int x, int y);
  CPoint OffsetViewportOrg(int dx, int dy);
  CPoint GetViewportOrg() const;

  BOOL BitBlt(int x, int y, int width, int height, CDC* src, int xSrc, int ySrc, DWORD rop);
  BOOL StretchBlt(int x, int y, int width, int height, CDC* src, int xSrc, int ySrc, int wSrc, int hSrc,
                  DWORD rop);
  void FillSolidRect(LPCRECT rect, COLORREF color);
  void FillSolidRect(int x, int y, int cx, int cy, COLORREF color);
  void FillRect(LPCRECT rect, CBrush* brush) { ::FillRect(m_hDC, rect, brush ? (HBRUSH)*brush : nullptr); }
  void FrameRect(LPCRECT rect, CBrush* brush) { ::FrameRect(m_hDC, rect, brush ? (HBRUSH)*brush : nullptr); }
  void DrawFocusRect(LPCRECT rect) { ::DrawFocusRect(m_hDC, rect); }
  BOOL Rectangle(int l, int t, int r, int b) { return ::Rectangle(m_hDC, l, t, r, b); }
  BOOL Rectangle(LPCRECT r) { return ::Rectangle(m_hDC, r->left, r->top, r->right, r->bottom); }
  CPoint MoveTo(int x, int y);
  BOOL LineTo(int x, int y) { return ::LineTo(m_hDC, x, y); }
  COLORREF GetPixel(int x, int y) const { return ::GetPixel(m_hDC, x, y); }
  COLORREF GetPixel(POINT p) const { return ::GetPixel(m_hDC, p.x, p.y); }
  COLORREF SetPixel(int x, int y, COLORREF color) { return ::SetPixel(m_hDC, x, y, color); }
  BOOL DrawIcon(int x, int y, HICON icon) { return ::DrawIcon(m_hDC, x, y, icon); }

  COLORREF SetTextColor(COLORREF color) { return ::SetTextColor(m_hDC, color); }
  COLORREF GetTextColor() const { return ::GetTextColor(m_hDC); }
  COLORREF SetBkColor(COLORREF color) { return ::SetBkColor(m_hDC, color); }
  COLORREF GetBkColor() const { return ::GetBkColor(m_hDC); }
  int SetBkMode(int mode) { return ::SetBkMode(m_hDC, mode); }
  int GetBkMode() const { return ::GetBkMode(m_hDC); }
  int DrawText(LPCWSTR text, int length, LPRECT rect, UINT format) {
    return ::DrawTextW(m_hDC, text, length, rect, format);
  }
  int DrawText(const std::wstring& text, LPRECT rect, UINT format) {
    return ::DrawTextW(m_hDC, text.c_str(), (int)text.size(), rect, format);
  }
  BOOL TextOut(int x, int y, LPCWSTR text, int length) { return ::TextOutW(m_hDC, x, y, text, length); }
  BOOL TextOut(int x, int y, const std::wstring& text) {
    return ::TextOutW(m_hDC, x, y, text.c_str(), (int)text.size());
  }
  CSize GetTextExtent(LPCWSTR text, int length) const;
  CSize GetTextExtent(const std::wstring& text) const { return GetTextExtent(text.c_str(), (int)text.size()); }
  BOOL GetTextMetrics(TEXTMETRICW* metrics) const { return ::GetTextMetricsW(m_hDC, metrics); }

 protected:
  bool m_owned = false;  // made by CreateCompatibleDC: deleted with the object
};

// BeginPaint and EndPaint around the object's life.
class CPaintDC : public CDC {
 public:
  explicit CPaintDC(CWnd* wnd);
  ~CPaintDC() override;
  PAINTSTRUCT m_ps;

 protected:
  HWND m_hWnd;
};

// GetDC and ReleaseDC around the object's life.
class CClientDC : public CDC {
 public:
  explicit CClientDC(CWnd* wnd);
  ~CClientDC() override;

 protected:
  HWND m_hWnd;
};

// GetWindowDC and ReleaseDC around the object's life.
class CWindowDC : public CDC {
 public:
  explicit CWindowDC(CWnd* wnd);
  ~CWindowDC() override;

 protected:
  HWND m_hWnd;
};
