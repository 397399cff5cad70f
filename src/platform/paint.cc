// Invalidation, the repaint of a top-level window's tree into its back
// buffer, window device contexts and the presentation of what changed.
#include <algorithm>

#include "platform/backend.h"
#include "platform/ui_internal.h"

namespace platform {

namespace {
bool g_paintPending = false;

RECT ClientRectInTop(WindowImpl* w) {
  POINT o = ClientOriginInTop(w);
  return RECT{o.x, o.y, o.x + w->ClientWidth(), o.y + w->ClientHeight()};
}

bool HasFrame(WindowImpl* w) {
  return w->client.left != 0 || w->client.top != 0 || w->client.right != w->Width() ||
         w->client.bottom != w->Height();
}

void CollectPaintOrder(WindowImpl* w, std::vector<HWND>& out) {
  if (!w->Visible()) return;
  out.push_back(w->handle);
  for (auto it = w->children.rbegin(); it != w->children.rend(); ++it) CollectPaintOrder(*it, out);
}
}  // namespace

void InvalidateImpl(WindowImpl* w, const Region* clientArea, bool erase) {
  if (!w || w->destroyed) return;
  RECT all{0, 0, w->ClientWidth(), w->ClientHeight()};
  Region r = clientArea ? *clientArea : Region(all);
  r.Intersect(all);
  if (r.empty()) return;
  w->update.Union(r);
  if (erase) w->erase = true;
  g_paintPending = true;
}

void InvalidateFrame(WindowImpl* w) {
  if (!w || w->destroyed || !HasFrame(w)) return;
  w->ncDirty = true;
  g_paintPending = true;
}

void InvalidateUnder(WindowImpl* w, const RECT& rectInParent) {
  WindowImpl* p = w->parent;
  if (!p) return;
  Region area(rectInParent);
  InvalidateImpl(p, &area, true);
  // Siblings are repainted where they lie in the area, also when the
  // parent clips its children.
  for (WindowImpl* s : p->children) {
    if (s == w || !s->Visible()) continue;
    RECT hit;
    if (!IntersectRect(&hit, &rectInParent, &s->rect)) continue;
    Region client(hit);
    client.Translate(-(s->rect.left + s->client.left), -(s->rect.top + s->client.top));
    InvalidateImpl(s, &client, true);
    RECT inner = s->client;
    OffsetRect(&inner, s->rect.left, s->rect.top);
    RECT clientHit;
    if (!IntersectRect(&clientHit, &hit, &inner) || !EqualRect(&clientHit, &hit)) InvalidateFrame(s);
  }
}

bool AnyPaintPending() { return g_paintPending; }

void EnsureBackBuffer(WindowImpl* top) {
  if (!top->top) return;
  int w = std::max(1, top->Width()), h = std::max(1, top->Height());
  cairo_surface_t* old = top->top->back;
  if (old && cairo_image_surface_get_width(old) == w && cairo_image_surface_get_height(old) == h) return;
  cairo_surface_t* back = cairo_image_surface_create(CAIRO_FORMAT_RGB24, w, h);
  cairo_t* cr = cairo_create(back);
  cairo_set_source_rgb(cr, 0, 0, 0);
  cairo_paint(cr);
  if (old) {
    cairo_set_source_surface(cr, old, 0, 0);
    cairo_paint(cr);
    cairo_surface_destroy(old);
  }
  cairo_destroy(cr);
  top->top->back = back;
}

void PaintTopLevel(WindowImpl* top) {
  if (!top || top->destroyed || !top->top || !top->Visible()) return;
  EnsureBackBuffer(top);
  std::vector<HWND> order;
  CollectPaintOrder(top, order);
  Region painted;  // top-level coordinates
  for (HWND h : order) {
    WindowImpl* w = W(h);
    if (!w || !ReallyVisible(w)) continue;
    RECT clientInTop = ClientRectInTop(w);
    if (!painted.empty()) {
      // What was painted under this window must be painted again on top.
      Region over = VisibleRegion(w, false, false);
      over.Intersect(painted);
      if (!over.empty()) {
        Region clientPart = over;
        clientPart.Intersect(clientInTop);
        clientPart.Translate(-clientInTop.left, -clientInTop.top);
        InvalidateImpl(w, &clientPart, true);
        Region framePart = over;
        framePart.Subtract(clientInTop);
        if (!framePart.empty()) InvalidateFrame(w);
      }
    }
    if (w->ncDirty) {
      w->ncDirty = false;
      if (HasFrame(w)) {
        CallProc(w, WM_NCPAINT, 1, 0);
        if (!W(h)) continue;
        Region frame = VisibleRegion(w, false, false);
        frame.Subtract(clientInTop);
        painted.Union(frame);
      }
    }
    if (!w->update.empty()) {
      Region area = w->update;
      area.Translate(clientInTop.left, clientInTop.top);
      area.Intersect(VisibleRegion(w, true, true));
      CallProc(w, WM_PAINT, 0, 0);
      if (!W(h)) continue;
      if (!w->update.empty()) {
        // A procedure that answered WM_PAINT without BeginPaint: the area
        // counts as painted, or the window would be asked for ever.
        w->update.Clear();
        w->erase = false;
      }
      painted.Union(area);
    }
  }
  PresentPending();
}

void PaintAll() {
  g_paintPending = false;
  std::vector<HWND> tops;
  for (WindowImpl* t : Ui().tops) tops.push_back(t->handle);
  for (HWND h : tops)
    if (WindowImpl* t = W(h)) PaintTopLevel(t);
}

void CopyRegion(cairo_surface_t* to, cairo_surface_t* from, const Region& region) {
  cairo_t* cr = cairo_create(to);
  region.AddToPath(cr);
  cairo_clip(cr);
  cairo_set_source_surface(cr, from, 0, 0);
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  cairo_paint(cr);
  cairo_destroy(cr);
}

void PresentPending() {
  for (WindowImpl* t : Ui().tops) {
    if (!t->top || t->top->present.empty()) continue;
    if (t->Visible() && t->top->native && t->top->back) {
      t->top->present.Intersect(RECT{0, 0, t->Width(), t->Height()});
      cairo_surface_flush(t->top->back);
      if (!t->top->present.empty()) t->top->native->Present(t->top->back, t->top->present);
    }
    t->top->present.Clear();
  }
}

}  // namespace platform

using namespace platform;

BOOL InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase) {
  WindowImpl* w = W(hwnd);
  if (!w) {
    if (!hwnd) {
      for (WindowImpl* t : Ui().tops) InvalidateImpl(t, nullptr, erase);
      return TRUE;
    }
    return FALSE;
  }
  if (rect) {
    Region r(*rect);
    InvalidateImpl(w, &r, erase);
  } else {
    InvalidateImpl(w, nullptr, erase);
  }
  return TRUE;
}

BOOL InvalidateRgn(HWND hwnd, HRGN region, BOOL erase) {
  WindowImpl* w = W(hwnd);
  if (!w) return FALSE;
  if (region && !IsLiveRegion(region)) return FALSE;
  InvalidateImpl(w, region ? &region->region : nullptr, erase);
  return TRUE;
}

BOOL ValidateRect(HWND hwnd, const RECT* rect) {
  WindowImpl* w = W(hwnd);
  if (!w) return FALSE;
  if (rect) {
    w->update.Subtract(*rect);
  } else {
    w->update.Clear();
  }
  if (w->update.empty()) w->erase = false;
  return TRUE;
}

BOOL ValidateRgn(HWND hwnd, HRGN region) {
  WindowImpl* w = W(hwnd);
  if (!w) return FALSE;
  if (region && IsLiveRegion(region)) {
    w->update.Subtract(region->region);
  } else {
    w->update.Clear();
  }
  if (w->update.empty()) w->erase = false;
  return TRUE;
}

BOOL GetUpdateRect(HWND hwnd, LPRECT rect, BOOL) {
  WindowImpl* w = W(hwnd);
  if (!w) return FALSE;
  if (rect) *rect = w->update.empty() ? RECT{0, 0, 0, 0} : w->update.Bounds();
  return w->update.empty() ? FALSE : TRUE;
}

int GetUpdateRgn(HWND hwnd, HRGN region, BOOL) {
  WindowImpl* w = W(hwnd);
  if (!w || !region || !IsLiveRegion(region)) return ERROR;
  region->region = w->update;
  return region->region.Kind();
}

BOOL UpdateWindow(HWND hwnd) {
  WindowImpl* w = W(hwnd);
  if (!w) return FALSE;
  if (AnyPaintPending()) PaintTopLevel(TopOf(w));
  return TRUE;
}

namespace {
void InvalidateTree(WindowImpl* w, const Region& areaInTop, bool erase, bool frame) {
  RECT c = ClientRectInTop(w);
  Region client = areaInTop;
  client.Intersect(c);
  client.Translate(-c.left, -c.top);
  InvalidateImpl(w, &client, erase);
  if (frame) InvalidateFrame(w);
  for (WindowImpl* k : w->children)
    if (k->Visible()) InvalidateTree(k, areaInTop, erase, frame);
}
}  // namespace

BOOL RedrawWindow(HWND hwnd, const RECT* rect, HRGN region, UINT flags) {
  WindowImpl* w = W(hwnd);
  if (!w) return FALSE;
  Region area;
  if (region && IsLiveRegion(region)) {
    area = region->region;
  } else if (rect) {
    area = Region(*rect);
  } else {
    area = Region(RECT{0, 0, w->ClientWidth(), w->ClientHeight()});
  }
  if (flags & RDW_INVALIDATE) {
    if (flags & RDW_ALLCHILDREN) {
      RECT c = ClientRectInTop(w);
      Region inTop = area;
      inTop.Translate(c.left, c.top);
      InvalidateTree(w, inTop, (flags & RDW_ERASE) != 0, (flags & RDW_FRAME) != 0);
    } else {
      InvalidateImpl(w, &area, (flags & RDW_ERASE) != 0);
      if (flags & RDW_FRAME) InvalidateFrame(w);
    }
  }
  if (flags & RDW_VALIDATE) {
    w->update.Subtract(area);
    if (w->update.empty()) w->erase = false;
    if (flags & RDW_NOFRAME) w->ncDirty = false;
  }
  if (flags & (RDW_UPDATENOW | RDW_ERASENOW)) PaintTopLevel(TopOf(w));
  return TRUE;
}

HDC BeginPaint(HWND hwnd, LPPAINTSTRUCT ps) {
  WindowImpl* w = W(hwnd);
  if (!w || !ps) return nullptr;
  RECT c = ClientRectInTop(w);
  Region area = w->update;
  area.Translate(c.left, c.top);
  area.Intersect(VisibleRegion(w, true, true));
  bool erase = w->erase;
  w->update.Clear();
  w->erase = false;
  HDC dc = MakeWindowDC(w, false, &area);
  *ps = PAINTSTRUCT{};
  ps->hdc = dc;
  if (!area.empty()) {
    ps->rcPaint = area.Bounds();
    OffsetRect(&ps->rcPaint, -c.left, -c.top);
  }
  ps->fErase = TRUE;
  if (erase) ps->fErase = CallProc(w, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0) ? FALSE : TRUE;
  return dc;
}

BOOL EndPaint(HWND, const PAINTSTRUCT* ps) {
  if (!ps || !ps->hdc) return FALSE;
  ReleaseWindowDC(ps->hdc);
  return TRUE;
}

HDC GetDC(HWND hwnd) {
  if (!hwnd) return CreateCompatibleDC(nullptr);
  WindowImpl* w = W(hwnd);
  return w ? MakeWindowDC(w, false, nullptr) : nullptr;
}

HDC GetWindowDC(HWND hwnd) {
  if (!hwnd) return CreateCompatibleDC(nullptr);
  WindowImpl* w = W(hwnd);
  return w ? MakeWindowDC(w, true, nullptr) : nullptr;
}

HDC GetDCEx(HWND hwnd, HRGN clip, DWORD) {
  HDC dc = GetDC(hwnd);
  if (dc && clip && IsLiveRegion(clip) && dc->baseClip) {
    Region r = clip->region;
    r.Translate(dc->base.x, dc->base.y);
    dc->baseClip->Intersect(r);
  }
  return dc;
}

int ReleaseDC(HWND, HDC dc) {
  if (!dc || !IsLiveDC(dc)) return 0;
  if (dc->kind == HDC__::kWindow) {
    ReleaseWindowDC(dc);
  } else {
    DeleteDC(dc);
  }
  return 1;
}

HWND WindowFromDC(HDC dc) { return dc && IsLiveDC(dc) ? dc->hwnd : nullptr; }
