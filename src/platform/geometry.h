// Point, size and rectangle classes over POINT, SIZE and RECT, in the manner
// of the class library's CPoint, CSize and CRect.
#pragma once

#include "platform/types.h"

class CSize : public SIZE {
 public:
  CSize() { cx = cy = 0; }
  CSize(int x, int y) { cx = x, cy = y; }
  CSize(SIZE s) { cx = s.cx, cy = s.cy; }
  bool operator==(const SIZE& s) const { return cx == s.cx && cy == s.cy; }
  bool operator!=(const SIZE& s) const { return !(*this == s); }
};

class CPoint : public POINT {
 public:
  CPoint() { x = y = 0; }
  CPoint(int px, int py) { x = px, y = py; }
  CPoint(POINT p) { x = p.x, y = p.y; }
  // From a packed message parameter (x in the low, y in the high 16 bits).
  explicit CPoint(LPARAM packed) { x = (short)LOWORD(packed), y = (short)HIWORD(packed); }
  void Offset(int dx, int dy) { x += dx, y += dy; }
  bool operator==(const POINT& p) const { return x == p.x && y == p.y; }
  bool operator!=(const POINT& p) const { return !(*this == p); }
  CPoint operator+(const SIZE& s) const { return CPoint(x + s.cx, y + s.cy); }
  CPoint operator-(const SIZE& s) const { return CPoint(x - s.cx, y - s.cy); }
  CSize operator-(const POINT& p) const { return CSize(x - p.x, y - p.y); }
};

class CRect : public RECT {
 public:
  CRect() { left = top = right = bottom = 0; }
  CRect(int l, int t, int r, int b) { left = l, top = t, right = r, bottom = b; }
  CRect(const RECT& r) { left = r.left, top = r.top, right = r.right, bottom = r.bottom; }
  CRect(POINT p, SIZE s) { left = p.x, top = p.y, right = p.x + s.cx, bottom = p.y + s.cy; }
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  CSize Size() const { return CSize(Width(), Height()); }
  CPoint TopLeft() const { return CPoint(left, top); }
  CPoint BottomRight() const { return CPoint(right, bottom); }
  CPoint CenterPoint() const { return CPoint((left + right) / 2, (top + bottom) / 2); }
  bool IsRectEmpty() const { return right <= left || bottom <= top; }
  bool IsRectNull() const { return left == 0 && top == 0 && right == 0 && bottom == 0; }
  bool PtInRect(POINT p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }
  void SetRect(int l, int t, int r, int b) { left = l, top = t, right = r, bottom = b; }
  void SetRectEmpty() { left = top = right = bottom = 0; }
  void OffsetRect(int dx, int dy) { left += dx, right += dx, top += dy, bottom += dy; }
  void OffsetRect(POINT p) { OffsetRect(p.x, p.y); }
  void MoveToXY(int x, int y) { OffsetRect(x - left, y - top); }
  void InflateRect(int dx, int dy) { left -= dx, right += dx, top -= dy, bottom += dy; }
  void DeflateRect(int dx, int dy) { InflateRect(-dx, -dy); }
  void DeflateRect(int l, int t, int r, int b) { left += l, top += t, right -= r, bottom -= b; }
  void NormalizeRect() {
    if (left > right) { int t = left; left = right; right = t; }
    if (top > bottom) { int t = top; top = bottom; bottom = t; }
  }
  bool IntersectRect(const RECT& a, const RECT& b);
  bool UnionRect(const RECT& a, const RECT& b);
  bool operator==(const RECT& r) const {
    return left == r.left && top == r.top && right == r.right && bottom == r.bottom;
  }
  bool operator!=(const RECT& r) const { return !(*this == r); }
  operator LPRECT() { return this; }
  operator LPCRECT() const { return this; }
};

inline bool CRect::IntersectRect(const RECT& a, const RECT& b) {
  left = a.left > b.left ? a.left : b.left;
  top = a.top > b.top ? a.top : b.top;
  right = a.right < b.right ? a.right : b.right;
  bottom = a.bottom < b.bottom ? a.bottom : b.bottom;
  if (IsRectEmpty()) {
    SetRectEmpty();
    return false;
  }
  return true;
}

inline bool CRect::UnionRect(const RECT& a, const RECT& b) {
  bool ea = a.right <= a.left || a.bottom <= a.top;
  bool eb = b.right <= b.left || b.bottom <= b.top;
  if (ea && eb) {
    SetRectEmpty();
    return false;
  }
  if (ea) return *this = CRect(b), true;
  if (eb) return *this = CRect(a), true;
  left = a.left < b.left ? a.left : b.left;
  top = a.top < b.top ? a.top : b.top;
  right = a.right > b.right ? a.right : b.right;
  bottom = a.bottom > b.bottom ? a.bottom : b.bottom;
  return true;
}
