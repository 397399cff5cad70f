// GDI on Cairo: device contexts, bitmaps, brushes, pens, fonts, regions,
// block transfers, fills, lines, text, icons and cursors.
#include <gdk-pixbuf/gdk-pixbuf.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <cwchar>
#include <unordered_set>

#include "platform/backend.h"
#include "platform/resource.h"
#include "platform/shell.h"
#include "platform/text.h"
#include "platform/ui_internal.h"

namespace platform {

namespace {

std::unordered_set<const void*>& LiveObjects() {
  static auto* set = new std::unordered_set<const void*>();
  return *set;
}
std::unordered_set<const void*>& LiveDcs() {
  static auto* set = new std::unordered_set<const void*>();
  return *set;
}
std::unordered_set<const void*>& PendingDelete() {
  static auto* set = new std::unordered_set<const void*>();
  return *set;
}

template <class T>
T* Track(T* object) {
  LiveObjects().insert(object);
  return object;
}

void DestroyObject(GdiObject* o) {
  LiveObjects().erase(o);
  PendingDelete().erase(o);
  switch (o->kind) {
    case GdiKind::kBitmap: {
      auto* b = static_cast<HBITMAP__*>(o);
      if (b->surface) cairo_surface_destroy(b->surface);
      delete b;
      break;
    }
    case GdiKind::kBrush:
      delete static_cast<HBRUSH__*>(o);
      break;
    case GdiKind::kPen:
      delete static_cast<HPEN__*>(o);
      break;
    case GdiKind::kFont: {
      auto* f = static_cast<HFONT__*>(o);
      if (f->desc) pango_font_description_free(f->desc);
      delete f;
      break;
    }
    case GdiKind::kRegion:
      delete static_cast<HRGN__*>(o);
      break;
  }
}

void Select(GdiObject* o) {
  if (o) ++o->selected;
}

void Deselect(GdiObject* o) {
  if (!o) return;
  --o->selected;
  if (o->selected <= 0 && PendingDelete().count(o)) DestroyObject(o);
}

HBRUSH__* MakeBrush(COLORREF c, bool hollow, bool stock) {
  auto* b = new HBRUSH__();
  b->color = c;
  b->hollow = hollow;
  b->stock = stock;
  return Track(b);
}

HPEN__* MakePen(int style, int width, COLORREF c, bool stock) {
  auto* p = new HPEN__();
  p->style = style;
  p->width = std::max(1, width);
  p->color = c;
  p->stock = stock;
  return Track(p);
}

HFONT MakeFont(const LOGFONTW& lf, bool stock) {
  auto* f = new HFONT__();
  f->lf = lf;
  f->lf.lfFaceName[LF_FACESIZE - 1] = L'\0';
  std::wstring face(f->lf.lfFaceName, wcsnlen(f->lf.lfFaceName, LF_FACESIZE - 1));
  std::string families;
  if (!ResolveFace(face, &families)) families = DefaultFamilies();
  int weight = lf.lfWeight > 0 ? static_cast<int>(lf.lfWeight) : FW_NORMAL;
  bool italic = lf.lfItalic != 0;
  double em;
  if (lf.lfHeight > 0) {
    em = EmForCellHeight(families, weight, italic, lf.lfHeight);
  } else if (lf.lfHeight < 0) {
    em = -static_cast<double>(lf.lfHeight);
  } else {
    em = EmForCellHeight(families, weight, italic, 12);
  }
  f->pixelSize = em;
  f->desc = NewFontDescription(families, em, weight, italic);
  f->stock = stock;
  return Track(f);
}

LOGFONTW FontDesc(LONG height, LPCWSTR face) {
  LOGFONTW lf{};
  lf.lfHeight = height;
  lf.lfWeight = FW_NORMAL;
  lf.lfCharSet = DEFAULT_CHARSET;
  std::wcsncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
  return lf;
}

struct Stock {
  HBRUSH brushes[6];
  HPEN pens[3];
  HFONT systemFont;
  HFONT guiFont;
  HBITMAP defaultBitmap;
  HBRUSH sysBrushes[31];
};

Stock& Stocks() {
  static Stock* s = [] {
    auto* st = new Stock();
    const COLORREF brushColors[] = {RGB(255, 255, 255), RGB(192, 192, 192), RGB(128, 128, 128),
                                    RGB(64, 64, 64), RGB(0, 0, 0), 0};
    for (int i = 0; i < 6; ++i) st->brushes[i] = MakeBrush(brushColors[i], i == NULL_BRUSH, true);
    st->pens[0] = MakePen(PS_SOLID, 1, RGB(255, 255, 255), true);
    st->pens[1] = MakePen(PS_SOLID, 1, RGB(0, 0, 0), true);
    st->pens[2] = MakePen(PS_NULL, 1, 0, true);
    st->systemFont = MakeFont(FontDesc(16, L"MS Shell Dlg"), true);
    st->guiFont = MakeFont(FontDesc(-11, L"MS Shell Dlg"), true);
    HBITMAP b = NewBitmap(1, 1, CAIRO_FORMAT_RGB24);
    b->stock = true;
    st->defaultBitmap = b;
    for (int i = 0; i < 31; ++i) st->sysBrushes[i] = MakeBrush(GetSysColor(i), false, true);
    return st;
  }();
  return *s;
}

POINT Offset(HDC dc) { return POINT{dc->base.x + dc->viewport.x, dc->base.y + dc->viewport.y}; }

Region SurfaceBounds(cairo_surface_t* s) {
  if (!s) return Region();
  return Region(RECT{0, 0, cairo_image_surface_get_width(s), cairo_image_surface_get_height(s)});
}

Region LogicalToDevice(HDC dc, const RECT& r) {
  POINT o = Offset(dc);
  RECT d = r;
  OffsetRect(&d, o.x, o.y);
  return Region(d);
}

}  // namespace

bool IsLiveDC(HDC dc) { return dc && LiveDcs().count(dc); }
bool IsLiveRegion(HRGN r) { return r && LiveObjects().count(r) && r->kind == GdiKind::kRegion; }

GdiObject* LiveGdiObject(HGDIOBJ object) {
  if (!object || !LiveObjects().count(object)) return nullptr;
  auto* o = static_cast<GdiObject*>(object);
  return o->magic == 0x47444931 ? o : nullptr;
}

HBITMAP__* NewBitmap(int width, int height, cairo_format_t format) {
  auto* b = new HBITMAP__();
  b->width = std::max(1, width);
  b->height = std::max(1, height);
  b->surface = cairo_image_surface_create(format, b->width, b->height);
  if (cairo_surface_status(b->surface) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(b->surface);
    b->surface = cairo_image_surface_create(format, 1, 1);
    b->width = b->height = 1;
  }
  return Track(b);
}

HFONT DefaultGuiFont() { return Stocks().guiFont; }

HBRUSH__* ResolveBrush(HBRUSH brush, HBRUSH__* scratch) {
  uintptr_t v = reinterpret_cast<uintptr_t>(brush);
  if (v >= 1 && v <= 31) {  // a system colour index + 1, as class brushes give it
    scratch->color = GetSysColor(static_cast<int>(v - 1));
    scratch->hollow = false;
    return scratch;
  }
  GdiObject* o = LiveGdiObject(brush);
  return o && o->kind == GdiKind::kBrush ? static_cast<HBRUSH__*>(o) : nullptr;
}

cairo_surface_t* DcSurface(HDC dc) {
  if (!IsLiveDC(dc)) return nullptr;
  if (dc->kind == HDC__::kMemory) return dc->bitmap ? dc->bitmap->surface : nullptr;
  WindowImpl* w = W(dc->hwnd);
  WindowImpl* top = TopOf(w);
  return top && top->top ? top->top->back : nullptr;
}

Region DcDeviceClip(HDC dc) {
  Region clip = SurfaceBounds(DcSurface(dc));
  if (dc->baseClip) clip.Intersect(*dc->baseClip);
  if (dc->userClip) clip.Intersect(*dc->userClip);
  return clip;
}

cairo_t* DcBeginDraw(HDC dc) {
  cairo_surface_t* s = DcSurface(dc);
  if (!s) return nullptr;
  cairo_t* cr = cairo_create(s);
  Region clip = DcDeviceClip(dc);
  if (clip.empty()) {
    cairo_rectangle(cr, 0, 0, 0, 0);
  } else {
    clip.AddToPath(cr);
  }
  cairo_clip(cr);
  POINT o = Offset(dc);
  cairo_translate(cr, o.x, o.y);
  cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
  return cr;
}

HDC MakeWindowDC(WindowImpl* w, bool windowArea, const Region* paint) {
  auto* dc = new HDC__();
  dc->kind = HDC__::kWindow;
  dc->hwnd = w->handle;
  dc->windowArea = windowArea;
  dc->paint = paint != nullptr;
  dc->base = windowArea ? WindowOriginInTop(w) : ClientOriginInTop(w);
  Region clip = VisibleRegion(w, !windowArea, true);
  if (paint) clip.Intersect(*paint);
  dc->baseClip = std::make_unique<Region>(std::move(clip));
  dc->font = DefaultGuiFont();
  dc->brush = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  dc->pen = static_cast<HPEN>(GetStockObject(BLACK_PEN));
  Select(dc->font);
  Select(dc->brush);
  Select(dc->pen);
  LiveDcs().insert(dc);
  return dc;
}

namespace {
void FreeDc(HDC dc) {
  Deselect(dc->font);
  Deselect(dc->brush);
  Deselect(dc->pen);
  Deselect(dc->bitmap);
  for (auto& s : dc->saved) {
    Deselect(s.font);
    Deselect(s.brush);
    Deselect(s.pen);
    Deselect(s.bitmap);
  }
  LiveDcs().erase(dc);
  delete dc;
}
}  // namespace

void ReleaseWindowDC(HDC dc) {
  if (!IsLiveDC(dc) || dc->kind != HDC__::kWindow) return;
  // What may have been drawn through it is presented at the next turn.
  if (WindowImpl* w = W(dc->hwnd)) {
    WindowImpl* top = TopOf(w);
    if (top->top && dc->baseClip) top->top->present.Union(*dc->baseClip);
  }
  FreeDc(dc);
}

COLORREF ColorRefFromPixel(uint32_t p, bool premultiplied) {
  uint32_t a = p >> 24, r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
  if (premultiplied && a != 0 && a != 255) {
    r = std::min<uint32_t>(255, (r * 255 + a / 2) / a);
    g = std::min<uint32_t>(255, (g * 255 + a / 2) / a);
    b = std::min<uint32_t>(255, (b * 255 + a / 2) / a);
  }
  return RGB(r, g, b);
}

// ---- images --------------------------------------------------------------------------

namespace {
cairo_surface_t* SurfaceFromPixbuf(GdkPixbuf* pixbuf, bool* hasAlpha) {
  int w = gdk_pixbuf_get_width(pixbuf), h = gdk_pixbuf_get_height(pixbuf);
  int channels = gdk_pixbuf_get_n_channels(pixbuf);
  bool alpha = gdk_pixbuf_get_has_alpha(pixbuf) && channels == 4;
  if (gdk_pixbuf_get_bits_per_sample(pixbuf) != 8 || channels < 3) return nullptr;
  cairo_surface_t* s = cairo_image_surface_create(alpha ? CAIRO_FORMAT_ARGB32 : CAIRO_FORMAT_RGB24, w, h);
  if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(s);
    return nullptr;
  }
  cairo_surface_flush(s);
  const guchar* src = gdk_pixbuf_read_pixels(pixbuf);
  int srcStride = gdk_pixbuf_get_rowstride(pixbuf);
  unsigned char* dst = cairo_image_surface_get_data(s);
  int dstStride = cairo_image_surface_get_stride(s);
  for (int y = 0; y < h; ++y) {
    const guchar* in = src + y * srcStride;
    auto* out = reinterpret_cast<uint32_t*>(dst + y * dstStride);
    for (int x = 0; x < w; ++x, in += channels) {
      uint32_t r = in[0], g = in[1], b = in[2], a = alpha ? in[3] : 255;
      if (alpha && a != 255) {
        r = (r * a + 127) / 255;
        g = (g * a + 127) / 255;
        b = (b * a + 127) / 255;
      }
      out[x] = (a << 24) | (r << 16) | (g << 8) | b;
    }
  }
  cairo_surface_mark_dirty(s);
  if (hasAlpha) *hasAlpha = alpha;
  return s;
}
}  // namespace

cairo_surface_t* DecodeImage(const unsigned char* data, size_t size, bool* hasAlpha) {
  if (!data || size == 0) return nullptr;
  GdkPixbufLoader* loader = gdk_pixbuf_loader_new();
  GError* error = nullptr;
  bool ok = gdk_pixbuf_loader_write(loader, data, size, &error);
  if (error) g_error_free(error), error = nullptr;
  ok = gdk_pixbuf_loader_close(loader, &error) && ok;
  if (error) g_error_free(error);
  cairo_surface_t* s = nullptr;
  if (ok) {
    if (GdkPixbuf* pixbuf = gdk_pixbuf_loader_get_pixbuf(loader)) s = SurfaceFromPixbuf(pixbuf, hasAlpha);
  }
  g_object_unref(loader);
  return s;
}

cairo_surface_t* DecodeImageFile(const std::string& path, bool* hasAlpha) {
  GError* error = nullptr;
  GdkPixbuf* pixbuf = gdk_pixbuf_new_from_file(path.c_str(), &error);
  if (error) g_error_free(error);
  if (!pixbuf) return nullptr;
  cairo_surface_t* s = SurfaceFromPixbuf(pixbuf, hasAlpha);
  g_object_unref(pixbuf);
  return s;
}

namespace {
std::unordered_set<const void*>& LiveIcons() {
  static auto* set = new std::unordered_set<const void*>();
  return *set;
}
bool IsLiveIcon(HICON icon) { return icon && LiveIcons().count(icon); }
}  // namespace

HICON__* IconFromSurface(cairo_surface_t* surface) {
  auto* icon = new HICON__();
  icon->surface = surface;
  icon->width = cairo_image_surface_get_width(surface);
  icon->height = cairo_image_surface_get_height(surface);
  LiveIcons().insert(icon);
  return icon;
}

HICON StockCursor(PointerShape shape) {
  static HICON cursors[11] = {};
  int i = static_cast<int>(shape);
  if (!cursors[i]) {
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1);
    HICON c = IconFromSurface(s);
    c->stock = true;
    c->isCursor = true;
    c->shape = shape;
    cursors[i] = c;
  }
  return cursors[i];
}

HICON ApplicationIcon() {
  static HICON icon = [] {
    HICON i = nullptr;
    if (HRSRC r = FindResourceW(nullptr, MAKEINTRESOURCEW(128), L"ICON")) {
      bool alpha = false;
      if (cairo_surface_t* s = DecodeImage(static_cast<const unsigned char*>(LockResource(LoadResource(nullptr, r))),
                                           SizeofResource(nullptr, r), &alpha))
        i = IconFromSurface(s);
    }
    if (!i) {
      // A plain mark for programs without an icon resource.
      cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 32, 32);
      cairo_t* cr = cairo_create(s);
      cairo_set_source_rgb(cr, 0.1, 0.35, 0.7);
      cairo_rectangle(cr, 2, 2, 28, 28);
      cairo_fill(cr);
      cairo_destroy(cr);
      i = IconFromSurface(s);
    }
    i->stock = true;
    return i;
  }();
  return icon;
}

}  // namespace platform

using namespace platform;

// ---- device contexts ------------------------------------------------------------------

HDC CreateCompatibleDC(HDC) {
  auto* dc = new HDC__();
  dc->kind = HDC__::kMemory;
  dc->bitmap = Stocks().defaultBitmap;
  dc->font = DefaultGuiFont();
  dc->brush = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  dc->pen = static_cast<HPEN>(GetStockObject(BLACK_PEN));
  Select(dc->bitmap);
  Select(dc->font);
  Select(dc->brush);
  Select(dc->pen);
  LiveDcs().insert(dc);
  return dc;
}

BOOL DeleteDC(HDC dc) {
  if (!IsLiveDC(dc)) return FALSE;
  if (dc->kind == HDC__::kWindow) {
    ReleaseWindowDC(dc);
  } else {
    FreeDc(dc);
  }
  return TRUE;
}

int SaveDC(HDC dc) {
  if (!IsLiveDC(dc)) return 0;
  HDC__::Saved s;
  s.viewport = dc->viewport;
  s.userClip = dc->userClip ? std::make_unique<Region>(*dc->userClip) : nullptr;
  s.brush = dc->brush;
  s.pen = dc->pen;
  s.font = dc->font;
  s.bitmap = dc->bitmap;
  s.textColor = dc->textColor;
  s.bkColor = dc->bkColor;
  s.bkMode = dc->bkMode;
  s.current = dc->current;
  Select(s.brush);
  Select(s.pen);
  Select(s.font);
  Select(s.bitmap);
  dc->saved.push_back(std::move(s));
  return static_cast<int>(dc->saved.size());
}

BOOL RestoreDC(HDC dc, int level) {
  if (!IsLiveDC(dc)) return FALSE;
  int n = static_cast<int>(dc->saved.size());
  int target = level < 0 ? n + level : level - 1;
  if (target < 0 || target >= n) return FALSE;
  while (static_cast<int>(dc->saved.size()) > target + 1) {
    HDC__::Saved& s = dc->saved.back();
    Deselect(s.brush);
    Deselect(s.pen);
    Deselect(s.font);
    Deselect(s.bitmap);
    dc->saved.pop_back();
  }
  HDC__::Saved s = std::move(dc->saved.back());
  dc->saved.pop_back();
  Deselect(dc->brush);
  Deselect(dc->pen);
  Deselect(dc->font);
  Deselect(dc->bitmap);
  dc->viewport = s.viewport;
  dc->userClip = std::move(s.userClip);
  dc->brush = s.brush;
  dc->pen = s.pen;
  dc->font = s.font;
  if (dc->kind == HDC__::kMemory) {
    dc->bitmap = s.bitmap;
  } else {
    Deselect(s.bitmap);
  }
  dc->textColor = s.textColor;
  dc->bkColor = s.bkColor;
  dc->bkMode = s.bkMode;
  dc->current = s.current;
  return TRUE;
}

int GetDeviceCaps(HDC, int index) {
  switch (index) {
    case LOGPIXELSX:
    case LOGPIXELSY:
      return 96;
    case BITSPIXEL:
      return 32;
    case HORZRES:
      return GetSystemMetrics(SM_CXSCREEN);
    case VERTRES:
      return GetSystemMetrics(SM_CYSCREEN);
  }
  return 0;
}

BOOL SetViewportOrgEx(HDC dc, int x, int y, LPPOINT previous) {
  if (!IsLiveDC(dc)) return FALSE;
  if (previous) *previous = dc->viewport;
  dc->viewport = POINT{x, y};
  return TRUE;
}

BOOL OffsetViewportOrgEx(HDC dc, int dx, int dy, LPPOINT previous) {
  if (!IsLiveDC(dc)) return FALSE;
  if (previous) *previous = dc->viewport;
  dc->viewport.x += dx;
  dc->viewport.y += dy;
  return TRUE;
}

BOOL GetViewportOrgEx(HDC dc, LPPOINT origin) {
  if (!IsLiveDC(dc) || !origin) return FALSE;
  *origin = dc->viewport;
  return TRUE;
}

int SelectClipRgn(HDC dc, HRGN region) {
  if (!IsLiveDC(dc)) return ERROR;
  if (!region) {
    dc->userClip.reset();
  } else {
    if (!IsLiveRegion(region)) return ERROR;
    Region r = region->region;
    POINT o = Offset(dc);
    r.Translate(o.x, o.y);
    dc->userClip = std::make_unique<Region>(std::move(r));
  }
  return DcDeviceClip(dc).Kind();
}

int IntersectClipRect(HDC dc, int left, int top, int right, int bottom) {
  if (!IsLiveDC(dc)) return ERROR;
  Region current = dc->userClip ? *dc->userClip : SurfaceBounds(DcSurface(dc));
  current.Intersect(LogicalToDevice(dc, RECT{left, top, right, bottom}));
  dc->userClip = std::make_unique<Region>(std::move(current));
  return DcDeviceClip(dc).Kind();
}

int ExcludeClipRect(HDC dc, int left, int top, int right, int bottom) {
  if (!IsLiveDC(dc)) return ERROR;
  Region current = dc->userClip ? *dc->userClip : SurfaceBounds(DcSurface(dc));
  current.Subtract(LogicalToDevice(dc, RECT{left, top, right, bottom}));
  dc->userClip = std::make_unique<Region>(std::move(current));
  return DcDeviceClip(dc).Kind();
}

int GetClipBox(HDC dc, LPRECT rect) {
  if (!IsLiveDC(dc) || !rect) return ERROR;
  Region clip = DcDeviceClip(dc);
  *rect = clip.empty() ? RECT{0, 0, 0, 0} : clip.Bounds();
  POINT o = Offset(dc);
  if (!clip.empty()) OffsetRect(rect, -o.x, -o.y);
  return clip.Kind();
}

// ---- objects ------------------------------------------------------------------------------

namespace {
// Selects `object` into the context's slot; the one it replaces.
template <class T>
T* Replace(T*& slot, T* object) {
  T* old = slot;
  Select(object);
  slot = object;
  Deselect(old);
  return old;
}
}  // namespace

HGDIOBJ SelectObject(HDC dc, HGDIOBJ object) {
  if (!IsLiveDC(dc)) return nullptr;
  GdiObject* o = LiveGdiObject(object);
  if (!o) return nullptr;
  switch (o->kind) {
    case GdiKind::kBitmap: {
      if (dc->kind != HDC__::kMemory) return nullptr;
      auto* b = static_cast<HBITMAP__*>(o);
      HBITMAP old = dc->bitmap;
      if (b == old) return old;
      if (b->selected > 0 && !b->stock) return nullptr;  // in another context
      Select(b);
      dc->bitmap = b;
      Deselect(old);
      return old;
    }
    case GdiKind::kBrush:
      return Replace(dc->brush, static_cast<HBRUSH__*>(o));
    case GdiKind::kPen:
      return Replace(dc->pen, static_cast<HPEN__*>(o));
    case GdiKind::kFont:
      return Replace(dc->font, static_cast<HFONT__*>(o));
    case GdiKind::kRegion:
      return reinterpret_cast<HGDIOBJ>(static_cast<intptr_t>(SelectClipRgn(dc, static_cast<HRGN__*>(o))));
  }
  return nullptr;
}

BOOL DeleteObject(HGDIOBJ object) {
  GdiObject* o = LiveGdiObject(object);
  if (!o || o->stock) return FALSE;
  if (o->selected > 0) {
    // Still selected: it goes when its context lets go of it.
    PendingDelete().insert(o);
    return TRUE;
  }
  DestroyObject(o);
  return TRUE;
}

HGDIOBJ GetStockObject(int index) {
  Stock& s = Stocks();
  if (index >= WHITE_BRUSH && index <= NULL_BRUSH) return s.brushes[index];
  if (index >= WHITE_PEN && index <= NULL_PEN) return s.pens[index - WHITE_PEN];
  if (index == SYSTEM_FONT) return s.systemFont;
  if (index == DEFAULT_GUI_FONT) return s.guiFont;
  return nullptr;
}

HBRUSH GetSysColorBrush(int index) {
  if (index < 0 || index >= 31) return nullptr;
  return Stocks().sysBrushes[index];
}

HGDIOBJ GetCurrentObject(HDC dc, UINT type) {
  if (!IsLiveDC(dc)) return nullptr;
  switch (type) {
    case OBJ_BRUSH: return dc->brush;
    case OBJ_PEN: return dc->pen;
    case OBJ_FONT: return dc->font;
    case OBJ_BITMAP: return dc->bitmap;
  }
  return nullptr;
}

DWORD GetObjectType(HGDIOBJ object) {
  if (IsLiveDC(static_cast<HDC>(object)))
    return static_cast<HDC>(object)->kind == HDC__::kMemory ? OBJ_MEMDC : OBJ_DC;
  GdiObject* o = LiveGdiObject(object);
  if (!o) return 0;
  switch (o->kind) {
    case GdiKind::kBitmap: return OBJ_BITMAP;
    case GdiKind::kBrush: return OBJ_BRUSH;
    case GdiKind::kPen: return OBJ_PEN;
    case GdiKind::kFont: return OBJ_FONT;
    case GdiKind::kRegion: return OBJ_REGION;
  }
  return 0;
}

int GetObjectW(HGDIOBJ object, int size, LPVOID buffer) {
  GdiObject* o = LiveGdiObject(object);
  if (!o) return 0;
  if (o->kind == GdiKind::kBitmap) {
    if (!buffer) return sizeof(BITMAP);
    if (size < static_cast<int>(sizeof(BITMAP))) return 0;
    auto* b = static_cast<HBITMAP__*>(o);
    cairo_surface_flush(b->surface);
    BITMAP bm{0, b->width, b->height, cairo_image_surface_get_stride(b->surface), 1, 32,
              cairo_image_surface_get_data(b->surface)};
    std::memcpy(buffer, &bm, sizeof bm);
    return sizeof(BITMAP);
  }
  if (o->kind == GdiKind::kFont) {
    if (!buffer) return sizeof(LOGFONTW);
    int n = std::min<int>(size, sizeof(LOGFONTW));
    std::memcpy(buffer, &static_cast<HFONT__*>(o)->lf, n);
    return n;
  }
  return 0;
}

HBITMAP CreateCompatibleBitmap(HDC, int width, int height) {
  if (width <= 0 || height <= 0) return NewBitmap(1, 1, CAIRO_FORMAT_RGB24);
  return NewBitmap(width, height, CAIRO_FORMAT_RGB24);
}

HBITMAP CreateBitmap(int width, int height, UINT, UINT bitsPerPixel, const void* bits) {
  if (width <= 0 || height <= 0 || bitsPerPixel != 32) return nullptr;
  HBITMAP b = NewBitmap(width, height, CAIRO_FORMAT_RGB24);
  if (bits) {
    cairo_surface_flush(b->surface);
    unsigned char* dst = cairo_image_surface_get_data(b->surface);
    int stride = cairo_image_surface_get_stride(b->surface);
    for (int y = 0; y < b->height; ++y)
      std::memcpy(dst + y * stride, static_cast<const unsigned char*>(bits) + y * width * 4, width * 4);
    cairo_surface_mark_dirty(b->surface);
  }
  return b;
}

HBRUSH CreateSolidBrush(COLORREF color) { return MakeBrush(color & 0xFFFFFF, false, false); }

HPEN CreatePen(int style, int width, COLORREF color) { return MakePen(style, width, color & 0xFFFFFF, false); }

HFONT CreateFontIndirectW(const LOGFONTW* font) {
  if (!font) return nullptr;
  return MakeFont(*font, false);
}

HFONT CreateFontW(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                  DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision, DWORD clipPrecision,
                  DWORD quality, DWORD pitchAndFamily, LPCWSTR faceName) {
  LOGFONTW lf{height, width, escapement, orientation, weight, static_cast<BYTE>(italic), static_cast<BYTE>(underline),
              static_cast<BYTE>(strikeOut), static_cast<BYTE>(charSet), static_cast<BYTE>(outPrecision),
              static_cast<BYTE>(clipPrecision), static_cast<BYTE>(quality), static_cast<BYTE>(pitchAndFamily), {}};
  if (faceName) std::wcsncpy(lf.lfFaceName, faceName, LF_FACESIZE - 1);
  return MakeFont(lf, false);
}

// ---- transfers and fills ------------------------------------------------------------------

namespace {
void FillDeviceRect(cairo_t* cr, double x, double y, double w, double h, COLORREF c) {
  SetSourceColorRef(cr, c);
  cairo_rectangle(cr, x, y, w, h);
  cairo_fill(cr);
}

BOOL PatternFill(HDC dc, int x, int y, int w, int h, DWORD rop) {
  COLORREF c;
  if (rop == BLACKNESS) {
    c = 0;
  } else if (rop == WHITENESS) {
    c = 0xFFFFFF;
  } else {
    HBRUSH__ scratch;
    HBRUSH__* b = ResolveBrush(dc->brush, &scratch);
    if (!b || b->hollow) return TRUE;
    c = b->color;
  }
  cairo_t* cr = DcBeginDraw(dc);
  if (!cr) return FALSE;
  FillDeviceRect(cr, x, y, w, h, c);
  cairo_destroy(cr);
  return TRUE;
}
}  // namespace

BOOL BitBlt(HDC dst, int x, int y, int width, int height, HDC src, int xSrc, int ySrc, DWORD rop) {
  if (!IsLiveDC(dst) || width <= 0 || height <= 0) return FALSE;
  if (rop != SRCCOPY) {
    if (rop == PATCOPY || rop == BLACKNESS || rop == WHITENESS) return PatternFill(dst, x, y, width, height, rop);
    return FALSE;
  }
  if (!IsLiveDC(src)) return FALSE;
  cairo_surface_t* from = DcSurface(src);
  cairo_surface_t* to = DcSurface(dst);
  if (!from || !to) return FALSE;
  POINT so = Offset(src);
  double sx = so.x + xSrc, sy = so.y + ySrc;
  cairo_surface_t* temp = nullptr;
  if (from == to) {
    // Copying within one surface goes through a copy of the source part.
    temp = cairo_image_surface_create(cairo_image_surface_get_format(from), width, height);
    cairo_t* c = cairo_create(temp);
    cairo_set_source_surface(c, from, -sx, -sy);
    cairo_set_operator(c, CAIRO_OPERATOR_SOURCE);
    cairo_paint(c);
    cairo_destroy(c);
    from = temp;
    sx = sy = 0;
  }
  cairo_t* cr = DcBeginDraw(dst);
  cairo_set_source_surface(cr, from, x - sx, y - sy);
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  cairo_rectangle(cr, x, y, width, height);
  cairo_fill(cr);
  cairo_destroy(cr);
  if (temp) cairo_surface_destroy(temp);
  return TRUE;
}

BOOL StretchBlt(HDC dst, int x, int y, int width, int height, HDC src, int xSrc, int ySrc, int wSrc, int hSrc,
                DWORD rop) {
  if (width == wSrc && height == hSrc) return BitBlt(dst, x, y, width, height, src, xSrc, ySrc, rop);
  if (rop != SRCCOPY || !IsLiveDC(dst) || !IsLiveDC(src) || width <= 0 || height <= 0 || wSrc <= 0 || hSrc <= 0)
    return FALSE;
  cairo_surface_t* from = DcSurface(src);
  if (!from || !DcSurface(dst)) return FALSE;
  POINT so = Offset(src);
  cairo_surface_t* part = cairo_surface_create_for_rectangle(from, so.x + xSrc, so.y + ySrc, wSrc, hSrc);
  cairo_surface_t* copy = cairo_image_surface_create(cairo_image_surface_get_format(from), wSrc, hSrc);
  cairo_t* c = cairo_create(copy);
  cairo_set_source_surface(c, part, 0, 0);
  cairo_set_operator(c, CAIRO_OPERATOR_SOURCE);
  cairo_paint(c);
  cairo_destroy(c);
  cairo_surface_destroy(part);
  cairo_t* cr = DcBeginDraw(dst);
  cairo_translate(cr, x, y);
  cairo_scale(cr, double(width) / wSrc, double(height) / hSrc);
  cairo_set_source_surface(cr, copy, 0, 0);
  cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  cairo_rectangle(cr, 0, 0, wSrc, hSrc);
  cairo_fill(cr);
  cairo_destroy(cr);
  cairo_surface_destroy(copy);
  return TRUE;
}

BOOL PatBlt(HDC dc, int x, int y, int width, int height, DWORD rop) {
  if (!IsLiveDC(dc)) return FALSE;
  if (width < 0) x += width, width = -width;
  if (height < 0) y += height, height = -height;
  return PatternFill(dc, x, y, width, height, rop == SRCCOPY ? PATCOPY : rop);
}

COLORREF GetPixel(HDC dc, int x, int y) {
  if (!IsLiveDC(dc)) return CLR_INVALID;
  cairo_surface_t* s = DcSurface(dc);
  if (!s) return CLR_INVALID;
  POINT o = Offset(dc);
  int dx = x + o.x, dy = y + o.y;
  if (!DcDeviceClip(dc).Contains(dx, dy)) return CLR_INVALID;
  cairo_surface_flush(s);
  const unsigned char* data = cairo_image_surface_get_data(s);
  uint32_t p = reinterpret_cast<const uint32_t*>(data + dy * cairo_image_surface_get_stride(s))[dx];
  bool argb = cairo_image_surface_get_format(s) == CAIRO_FORMAT_ARGB32;
  return ColorRefFromPixel(p, argb);
}

COLORREF SetPixel(HDC dc, int x, int y, COLORREF color) {
  cairo_t* cr = DcBeginDraw(dc);
  if (!cr) return CLR_INVALID;
  FillDeviceRect(cr, x, y, 1, 1, color);
  cairo_destroy(cr);
  return color & 0xFFFFFF;
}

int FillRect(HDC dc, const RECT* rect, HBRUSH brush) {
  if (!IsLiveDC(dc) || !rect) return 0;
  HBRUSH__ scratch;
  HBRUSH__* b = ResolveBrush(brush, &scratch);
  if (!b) return 0;
  if (b->hollow || IsRectEmpty(rect)) return 1;
  cairo_t* cr = DcBeginDraw(dc);
  if (!cr) return 0;
  FillDeviceRect(cr, rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top, b->color);
  cairo_destroy(cr);
  return 1;
}

int FrameRect(HDC dc, const RECT* rect, HBRUSH brush) {
  if (!IsLiveDC(dc) || !rect) return 0;
  HBRUSH__ scratch;
  HBRUSH__* b = ResolveBrush(brush, &scratch);
  if (!b) return 0;
  if (b->hollow || IsRectEmpty(rect)) return 1;
  cairo_t* cr = DcBeginDraw(dc);
  if (!cr) return 0;
  const RECT& r = *rect;
  int w = r.right - r.left, h = r.bottom - r.top;
  SetSourceColorRef(cr, b->color);
  cairo_rectangle(cr, r.left, r.top, w, 1);
  cairo_rectangle(cr, r.left, r.bottom - 1, w, 1);
  cairo_rectangle(cr, r.left, r.top, 1, h);
  cairo_rectangle(cr, r.right - 1, r.top, 1, h);
  cairo_fill(cr);
  cairo_destroy(cr);
  return 1;
}

BOOL Rectangle(HDC dc, int left, int top, int right, int bottom) {
  if (!IsLiveDC(dc)) return FALSE;
  RECT r{std::min(left, right), std::min(top, bottom), std::max(left, right), std::max(top, bottom)};
  HBRUSH__ scratch;
  HBRUSH__* b = ResolveBrush(dc->brush, &scratch);
  cairo_t* cr = DcBeginDraw(dc);
  if (!cr) return FALSE;
  if (b && !b->hollow) FillDeviceRect(cr, r.left, r.top, r.right - r.left, r.bottom - r.top, b->color);
  HPEN__* p = dc->pen;
  if (p && p->style != PS_NULL) {
    int pw = p->width;
    int w = r.right - r.left, h = r.bottom - r.top;
    SetSourceColorRef(cr, p->color);
    cairo_rectangle(cr, r.left, r.top, w, std::min(pw, h));
    cairo_rectangle(cr, r.left, r.bottom - std::min(pw, h), w, std::min(pw, h));
    cairo_rectangle(cr, r.left, r.top, std::min(pw, w), h);
    cairo_rectangle(cr, r.right - std::min(pw, w), r.top, std::min(pw, w), h);
    cairo_fill(cr);
  }
  cairo_destroy(cr);
  return TRUE;
}

BOOL MoveToEx(HDC dc, int x, int y, LPPOINT previous) {
  if (!IsLiveDC(dc)) return FALSE;
  if (previous) *previous = dc->current;
  dc->current = POINT{x, y};
  return TRUE;
}

BOOL LineTo(HDC dc, int x, int y) {
  if (!IsLiveDC(dc)) return FALSE;
  POINT from = dc->current;
  dc->current = POINT{x, y};
  HPEN__* p = dc->pen;
  if (!p || p->style == PS_NULL) return TRUE;
  cairo_t* cr = DcBeginDraw(dc);
  if (!cr) return FALSE;
  SetSourceColorRef(cr, p->color);
  int w = p->width;
  if (p->style == PS_DASH || p->style == PS_DOT) {
    double dash[] = {p->style == PS_DOT ? 1.0 : 4.0, p->style == PS_DOT ? 1.0 : 2.0};
    cairo_set_dash(cr, dash, 2, 0);
  }
  if ((from.y == y || from.x == x) && p->style == PS_SOLID) {
    // Pixel-exact horizontal and vertical lines, without the end point.
    int half = (w - 1) / 2;
    if (from.y == y) {
      int a = std::min(from.x, x) + (x < from.x ? 1 : 0), b = std::max(from.x, x) + (x < from.x ? 1 : 0);
      cairo_rectangle(cr, a, y - half, b - a, w);
    } else {
      int a = std::min(from.y, y) + (y < from.y ? 1 : 0), b = std::max(from.y, y) + (y < from.y ? 1 : 0);
      cairo_rectangle(cr, x - half, a, w, b - a);
    }
    cairo_fill(cr);
  } else {
    cairo_set_line_width(cr, w);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
    cairo_move_to(cr, from.x + 0.5, from.y + 0.5);
    cairo_line_to(cr, x + 0.5, y + 0.5);
    cairo_stroke(cr);
  }
  cairo_destroy(cr);
  return TRUE;
}

BOOL DrawFocusRect(HDC dc, const RECT* rect) {
  if (!IsLiveDC(dc) || !rect || IsRectEmpty(rect)) return FALSE;
  cairo_surface_t* s = DcSurface(dc);
  if (!s) return FALSE;
  Region clip = DcDeviceClip(dc);
  POINT o = Offset(dc);
  cairo_surface_flush(s);
  unsigned char* data = cairo_image_surface_get_data(s);
  int stride = cairo_image_surface_get_stride(s);
  auto invert = [&](int x, int y) {
    int dx = x + o.x, dy = y + o.y;
    if (!clip.Contains(dx, dy)) return;
    uint32_t& p = reinterpret_cast<uint32_t*>(data + dy * stride)[dx];
    p = (p & 0xFF000000u) | (~p & 0x00FFFFFFu);
  };
  // Every other pixel of the outline, inverted, so that drawing it twice
  // takes it away again.
  for (int x = rect->left; x < rect->right; x += 2) {
    invert(x, rect->top);
    if (rect->bottom - 1 > rect->top) invert(x, rect->bottom - 1);
  }
  for (int y = rect->top + 2; y < rect->bottom - 1; y += 2) {
    invert(rect->left, y);
    if (rect->right - 1 > rect->left) invert(rect->right - 1, y);
  }
  cairo_surface_mark_dirty(s);
  return TRUE;
}

// ---- text -------------------------------------------------------------------------------

COLORREF SetTextColor(HDC dc, COLORREF color) {
  if (!IsLiveDC(dc)) return CLR_INVALID;
  COLORREF old = dc->textColor;
  dc->textColor = color & 0xFFFFFF;
  return old;
}
COLORREF GetTextColor(HDC dc) { return IsLiveDC(dc) ? dc->textColor : CLR_INVALID; }
COLORREF SetBkColor(HDC dc, COLORREF color) {
  if (!IsLiveDC(dc)) return CLR_INVALID;
  COLORREF old = dc->bkColor;
  dc->bkColor = color & 0xFFFFFF;
  return old;
}
COLORREF GetBkColor(HDC dc) { return IsLiveDC(dc) ? dc->bkColor : CLR_INVALID; }
int SetBkMode(HDC dc, int mode) {
  if (!IsLiveDC(dc) || (mode != TRANSPARENT && mode != OPAQUE)) return 0;
  int old = dc->bkMode;
  dc->bkMode = mode;
  return old;
}
int GetBkMode(HDC dc) { return IsLiveDC(dc) ? dc->bkMode : 0; }

namespace {
HFONT__* DcFont(HDC dc) {
  GdiObject* o = LiveGdiObject(dc->font);
  return o && o->kind == GdiKind::kFont ? static_cast<HFONT__*>(o) : static_cast<HFONT__*>(DefaultGuiFont());
}

TextRequest DcText(HDC dc, const wchar_t* text, size_t length) {
  HFONT__* f = DcFont(dc);
  TextRequest r;
  r.text = text;
  r.length = length;
  r.font = f->desc;
  r.underline = f->lf.lfUnderline != 0;
  r.strikeout = f->lf.lfStrikeOut != 0;
  r.wrap = false;
  return r;
}

void DrawLaidOut(HDC dc, const LaidOutText& t, const RECT* clip, bool opaque) {
  cairo_t* cr = DcBeginDraw(dc);
  if (!cr) return;
  cairo_set_antialias(cr, CAIRO_ANTIALIAS_DEFAULT);
  if (clip) {
    cairo_rectangle(cr, clip->left, clip->top, clip->right - clip->left, clip->bottom - clip->top);
    cairo_clip(cr);
  }
  if (opaque) FillDeviceRect(cr, t.boxX, t.boxY, t.boxWidth, t.boxHeight, dc->bkColor);
  SetSourceColorRef(cr, dc->textColor);
  t.Draw(cr);
  cairo_destroy(cr);
}

std::wstring StripPrefixes(const wchar_t* text, size_t n) {
  std::wstring out;
  for (size_t i = 0; i < n; ++i) {
    if (text[i] == L'&') {
      if (i + 1 < n && text[i + 1] == L'&') out += L'&';
      ++i;
      if (i < n && text[i] != L'&') out += text[i];
      continue;
    }
    out += text[i];
  }
  return out;
}
}  // namespace

BOOL TextOutW(HDC dc, int x, int y, LPCWSTR text, int length) {
  if (!IsLiveDC(dc) || !text || length < 0) return FALSE;
  TextRequest r = DcText(dc, text, static_cast<size_t>(length));
  r.x = x;
  r.y = y;
  LaidOutText t(r);
  DrawLaidOut(dc, t, nullptr, dc->bkMode == OPAQUE);
  return TRUE;
}

BOOL ExtTextOutW(HDC dc, int x, int y, UINT options, const RECT* rect, LPCWSTR text, UINT length, const INT*) {
  if (!IsLiveDC(dc)) return FALSE;
  if ((options & ETO_OPAQUE) && rect) {
    cairo_t* cr = DcBeginDraw(dc);
    if (cr) {
      FillDeviceRect(cr, rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top, dc->bkColor);
      cairo_destroy(cr);
    }
  }
  if (!text || length == 0) return TRUE;
  TextRequest r = DcText(dc, text, length);
  r.x = x;
  r.y = y;
  LaidOutText t(r);
  DrawLaidOut(dc, t, (options & ETO_CLIPPED) ? rect : nullptr, dc->bkMode == OPAQUE && !(options & ETO_OPAQUE));
  return TRUE;
}

int DrawTextW(HDC dc, LPCWSTR text, int length, LPRECT rect, UINT format) {
  if (!IsLiveDC(dc) || !text || !rect) return 0;
  size_t n = length < 0 ? std::wcslen(text) : static_cast<size_t>(length);
  std::wstring s = (format & DT_NOPREFIX) ? std::wstring(text, n) : StripPrefixes(text, n);
  bool single = (format & DT_SINGLELINE) != 0;
  if (single)
    for (wchar_t& c : s)
      if (c == L'\r' || c == L'\n') c = L' ';
  TextRequest r = DcText(dc, s.c_str(), s.size());
  r.x = rect->left;
  r.y = rect->top;
  int w = rect->right - rect->left, h = rect->bottom - rect->top;
  r.wrap = (format & DT_WORDBREAK) && !single;
  r.width = (r.wrap || (format & (DT_CENTER | DT_RIGHT | DT_END_ELLIPSIS | DT_WORD_ELLIPSIS | DT_PATH_ELLIPSIS)))
                ? std::max(w, 1)
                : 0;
  if (format & DT_CALCRECT) {
    if (!r.wrap) r.width = 0;
  }
  r.align = (format & DT_CENTER) ? Align::kCenter : (format & DT_RIGHT) ? Align::kFar : Align::kNear;
  if (single && !(format & DT_CALCRECT)) {
    r.height = std::max(h, 1);
    r.lineAlign = (format & DT_VCENTER) ? Align::kCenter : (format & DT_BOTTOM) ? Align::kFar : Align::kNear;
  }
  if (!(format & DT_CALCRECT) && (format & (DT_END_ELLIPSIS | DT_WORD_ELLIPSIS | DT_PATH_ELLIPSIS)) && !r.wrap)
    r.trim = (format & DT_WORD_ELLIPSIS) ? Trim::kEllipsisWord : Trim::kEllipsisCharacter;
  LaidOutText t(r);
  int height = static_cast<int>(std::ceil(t.boxHeight));
  if (format & DT_CALCRECT) {
    rect->right = rect->left + static_cast<int>(std::ceil(t.boxWidth));
    rect->bottom = rect->top + height;
    return height;
  }
  DrawLaidOut(dc, t, (format & DT_NOCLIP) ? nullptr : rect, dc->bkMode == OPAQUE);
  return height;
}

BOOL GetTextExtentPoint32W(HDC dc, LPCWSTR text, int length, LPSIZE size) {
  if (!IsLiveDC(dc) || !size || length < 0 || (!text && length > 0)) return FALSE;
  TextRequest r = DcText(dc, text, static_cast<size_t>(length));
  LaidOutText t(r);
  FontMetrics m = MetricsOf(DcFont(dc)->desc);
  size->cx = static_cast<LONG>(std::ceil(t.boxWidth - 0.01));
  size->cy = static_cast<LONG>(std::ceil(std::max(t.boxHeight, m.lineHeight) - 0.01));
  return TRUE;
}

BOOL GetTextMetricsW(HDC dc, TEXTMETRICW* tm) {
  if (!IsLiveDC(dc) || !tm) return FALSE;
  HFONT__* f = DcFont(dc);
  FontMetrics m = MetricsOf(f->desc);
  *tm = TEXTMETRICW{};
  tm->tmAscent = static_cast<LONG>(std::lround(m.ascent));
  tm->tmDescent = static_cast<LONG>(std::lround(m.descent));
  tm->tmHeight = tm->tmAscent + tm->tmDescent;
  tm->tmInternalLeading = std::max<LONG>(0, tm->tmHeight - static_cast<LONG>(std::lround(f->pixelSize)));
  tm->tmAveCharWidth = static_cast<LONG>(std::lround(m.averageCharWidth));
  tm->tmMaxCharWidth = static_cast<LONG>(std::lround(m.maxCharWidth));
  tm->tmWeight = f->lf.lfWeight ? f->lf.lfWeight : FW_NORMAL;
  tm->tmDigitizedAspectX = tm->tmDigitizedAspectY = 96;
  tm->tmFirstChar = 0x20;
  tm->tmLastChar = 0xFFFC;
  tm->tmDefaultChar = 0x1F;
  tm->tmBreakChar = 0x20;
  tm->tmItalic = f->lf.lfItalic;
  tm->tmUnderlined = f->lf.lfUnderline;
  tm->tmStruckOut = f->lf.lfStrikeOut;
  tm->tmCharSet = DEFAULT_CHARSET;
  return TRUE;
}

int GetTextFaceW(HDC dc, int count, LPWSTR face) {
  if (!IsLiveDC(dc)) return 0;
  HFONT__* f = DcFont(dc);
  size_t n = wcsnlen(f->lf.lfFaceName, LF_FACESIZE);
  if (!face) return static_cast<int>(n + 1);
  if (count <= 0) return 0;
  size_t c = std::min<size_t>(n, static_cast<size_t>(count - 1));
  std::wmemcpy(face, f->lf.lfFaceName, c);
  face[c] = L'\0';
  return static_cast<int>(c);
}

// ---- regions ------------------------------------------------------------------------------

namespace {
HRGN NewRegion() { return Track(new HRGN__()); }
}  // namespace

HRGN CreateRectRgn(int left, int top, int right, int bottom) {
  HRGN r = NewRegion();
  r->region = Region(RECT{std::min(left, right), std::min(top, bottom), std::max(left, right), std::max(top, bottom)});
  return r;
}

HRGN CreateRectRgnIndirect(const RECT* rect) {
  return rect ? CreateRectRgn(rect->left, rect->top, rect->right, rect->bottom) : nullptr;
}

HRGN CreateRoundRectRgn(int x1, int y1, int x2, int y2, int w, int h) {
  if (x1 > x2) std::swap(x1, x2);
  if (y1 > y2) std::swap(y1, y2);
  HRGN r = NewRegion();
  // The covered rectangle ends one pixel inside the given right and bottom.
  int right = x2 - 1, bottom = y2 - 1;
  if (right <= x1 || bottom <= y1) return r;
  w = std::min(std::abs(w), right - x1);
  h = std::min(std::abs(h), bottom - y1);
  double a = w / 2.0, b = h / 2.0;
  for (int y = y1; y < bottom; ++y) {
    int inset = 0;
    if (a > 0 && b > 0) {
      double yc = y + 0.5;
      double cy = yc < y1 + b ? y1 + b : (yc > bottom - b ? bottom - b : yc);
      double dy = (yc - cy) / b;
      if (dy != 0) {
        double ex = a * std::sqrt(std::max(0.0, 1 - dy * dy));  // half-width of the ellipse at this row
        // Pixels whose centre lies inside the ellipse: centre x + 0.5 >= cx - ex.
        double cx = x1 + a;
        inset = static_cast<int>(std::ceil(cx - ex - 0.5 - x1 - 1e-9));
        inset = std::max(0, inset);
      }
    }
    r->region.Union(RECT{x1 + inset, y, right - inset, y + 1});
  }
  return r;
}

int CombineRgn(HRGN dst, HRGN src1, HRGN src2, int mode) {
  if (!IsLiveRegion(dst) || !IsLiveRegion(src1)) return ERROR;
  Region result = src1->region;
  if (mode != RGN_COPY) {
    if (!IsLiveRegion(src2)) return ERROR;
    switch (mode) {
      case RGN_AND: result.Intersect(src2->region); break;
      case RGN_OR: result.Union(src2->region); break;
      case RGN_XOR: result.Xor(src2->region); break;
      case RGN_DIFF: result.Subtract(src2->region); break;
      default: return ERROR;
    }
  }
  dst->region = std::move(result);
  return dst->region.Kind();
}

BOOL SetRectRgn(HRGN region, int left, int top, int right, int bottom) {
  if (!IsLiveRegion(region)) return FALSE;
  region->region = Region(RECT{std::min(left, right), std::min(top, bottom), std::max(left, right), std::max(top, bottom)});
  return TRUE;
}

int OffsetRgn(HRGN region, int dx, int dy) {
  if (!IsLiveRegion(region)) return ERROR;
  region->region.Translate(dx, dy);
  return region->region.Kind();
}

int GetRgnBox(HRGN region, LPRECT rect) {
  if (!IsLiveRegion(region) || !rect) return ERROR;
  *rect = region->region.empty() ? RECT{0, 0, 0, 0} : region->region.Bounds();
  return region->region.Kind();
}

BOOL PtInRegion(HRGN region, int x, int y) {
  return IsLiveRegion(region) && region->region.Contains(x, y) ? TRUE : FALSE;
}

BOOL RectInRegion(HRGN region, const RECT* rect) {
  if (!IsLiveRegion(region) || !rect) return FALSE;
  Region r(*rect);
  r.Intersect(region->region);
  return r.empty() ? FALSE : TRUE;
}

BOOL EqualRgn(HRGN a, HRGN b) {
  if (!IsLiveRegion(a) || !IsLiveRegion(b)) return FALSE;
  return cairo_region_equal(a->region.get(), b->region.get()) ? TRUE : FALSE;
}

// ---- icons, cursors, images ----------------------------------------------------------------

namespace {
HICON ScaledIcon(cairo_surface_t* s, int cx, int cy) {
  int w = cairo_image_surface_get_width(s), h = cairo_image_surface_get_height(s);
  if (cx <= 0 || cy <= 0 || (cx == w && cy == h)) return IconFromSurface(s);
  cairo_surface_t* scaled = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, cx, cy);
  cairo_t* cr = cairo_create(scaled);
  cairo_scale(cr, double(cx) / w, double(cy) / h);
  cairo_set_source_surface(cr, s, 0, 0);
  cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
  cairo_paint(cr);
  cairo_destroy(cr);
  cairo_surface_destroy(s);
  return IconFromSurface(scaled);
}

cairo_surface_t* ResourceImage(LPCWSTR name, const wchar_t* const* types, bool* alpha) {
  for (const wchar_t* const* t = types; *t; ++t) {
    if (HRSRC r = FindResourceW(nullptr, name, *t))
      return DecodeImage(static_cast<const unsigned char*>(LockResource(LoadResource(nullptr, r))),
                         SizeofResource(nullptr, r), alpha);
  }
  return nullptr;
}
}  // namespace

HICON LoadIconW(HINSTANCE instance, LPCWSTR name) {
  if (!name || !IS_INTRESOURCE(name)) return nullptr;
  uintptr_t id = reinterpret_cast<uintptr_t>(name);
  if (!instance && id >= 32512 && id <= 32518) return ApplicationIcon();
  static const wchar_t* const types[] = {L"ICON", nullptr};
  bool alpha = false;
  cairo_surface_t* s = ResourceImage(name, types, &alpha);
  return s ? IconFromSurface(s) : nullptr;
}

HANDLE LoadImageW(HINSTANCE, LPCWSTR name, UINT type, int cx, int cy, UINT flags) {
  if (!name) return nullptr;
  bool alpha = false;
  cairo_surface_t* s = nullptr;
  if (flags & LR_LOADFROMFILE) {
    if (IS_INTRESOURCE(name)) return nullptr;
    s = DecodeImageFile(NativePath(name), &alpha);
  } else if (IS_INTRESOURCE(name)) {
    static const wchar_t* const bitmapTypes[] = {L"BMP", L"PNG", nullptr};
    static const wchar_t* const iconTypes[] = {L"ICON", nullptr};
    s = ResourceImage(name, type == IMAGE_BITMAP ? bitmapTypes : iconTypes, &alpha);
  }
  if (type == IMAGE_CURSOR) {
    if (s) cairo_surface_destroy(s);
    return reinterpret_cast<HANDLE>(StockCursor(PointerShape::kArrow));
  }
  if (!s) return nullptr;
  if (type == IMAGE_ICON) {
    if ((flags & LR_DEFAULTSIZE) && cx == 0) cx = cy = GetSystemMetrics(SM_CXICON);
    if (cairo_image_surface_get_format(s) != CAIRO_FORMAT_ARGB32) {
      cairo_surface_t* argb = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, cairo_image_surface_get_width(s),
                                                         cairo_image_surface_get_height(s));
      cairo_t* cr = cairo_create(argb);
      cairo_set_source_surface(cr, s, 0, 0);
      cairo_paint(cr);
      cairo_destroy(cr);
      cairo_surface_destroy(s);
      s = argb;
    }
    return reinterpret_cast<HANDLE>(ScaledIcon(s, cx, cy));
  }
  if (type != IMAGE_BITMAP) {
    cairo_surface_destroy(s);
    return nullptr;
  }
  auto* b = new HBITMAP__();
  b->surface = s;
  b->width = cairo_image_surface_get_width(s);
  b->height = cairo_image_surface_get_height(s);
  Track(b);
  return reinterpret_cast<HANDLE>(b);
}

BOOL DestroyIcon(HICON icon) {
  if (!IsLiveIcon(icon) || icon->stock) return FALSE;
  LiveIcons().erase(icon);
  cairo_surface_destroy(icon->surface);
  delete icon;
  return TRUE;
}

HICON CopyIcon(HICON icon) {
  if (!IsLiveIcon(icon)) return nullptr;
  HICON c = IconFromSurface(cairo_surface_reference(icon->surface));
  c->isCursor = icon->isCursor;
  c->shape = icon->shape;
  return c;
}

BOOL GetIconInfo(HICON icon, ICONINFO* info) {
  if (!IsLiveIcon(icon) || !info) return FALSE;
  *info = ICONINFO{!icon->isCursor, static_cast<DWORD>(icon->width / 2), static_cast<DWORD>(icon->height / 2),
                   nullptr, nullptr};
  HBITMAP color = NewBitmap(icon->width, icon->height, CAIRO_FORMAT_ARGB32);
  cairo_t* cr = cairo_create(color->surface);
  cairo_set_source_surface(cr, icon->surface, 0, 0);
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  cairo_paint(cr);
  cairo_destroy(cr);
  info->hbmColor = color;
  info->hbmMask = NewBitmap(icon->width, icon->height, CAIRO_FORMAT_RGB24);
  return TRUE;
}

BOOL DrawIconEx(HDC dc, int x, int y, HICON icon, int cx, int cy, UINT, HBRUSH flickerFree, UINT) {
  if (!IsLiveDC(dc) || !IsLiveIcon(icon) || icon->isCursor) return FALSE;
  if (cx <= 0) cx = icon->width;
  if (cy <= 0) cy = icon->height;
  cairo_t* cr = DcBeginDraw(dc);
  if (!cr) return FALSE;
  if (flickerFree) {
    HBRUSH__ scratch;
    if (HBRUSH__* b = ResolveBrush(flickerFree, &scratch)) {
      if (!b->hollow) FillDeviceRect(cr, x, y, cx, cy, b->color);
    }
  }
  cairo_translate(cr, x, y);
  cairo_scale(cr, double(cx) / icon->width, double(cy) / icon->height);
  cairo_set_source_surface(cr, icon->surface, 0, 0);
  cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
  cairo_rectangle(cr, 0, 0, icon->width, icon->height);
  cairo_fill(cr);
  cairo_destroy(cr);
  return TRUE;
}

BOOL DrawIcon(HDC dc, int x, int y, HICON icon) {
  return DrawIconEx(dc, x, y, icon, GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), 0, nullptr, DI_NORMAL);
}

HCURSOR LoadCursorW(HINSTANCE instance, LPCWSTR name) {
  if (!name || !IS_INTRESOURCE(name)) return StockCursor(PointerShape::kArrow);
  if (instance) return StockCursor(PointerShape::kArrow);
  switch (reinterpret_cast<uintptr_t>(name)) {
    case 32513: return StockCursor(PointerShape::kIBeam);
    case 32514: return StockCursor(PointerShape::kWait);
    case 32515: return StockCursor(PointerShape::kCross);
    case 32642: return StockCursor(PointerShape::kSizeNWSE);
    case 32643: return StockCursor(PointerShape::kSizeNESW);
    case 32644: return StockCursor(PointerShape::kSizeWE);
    case 32645: return StockCursor(PointerShape::kSizeNS);
    case 32646: return StockCursor(PointerShape::kSizeAll);
    case 32648: return StockCursor(PointerShape::kNo);
    case 32649: return StockCursor(PointerShape::kHand);
  }
  return StockCursor(PointerShape::kArrow);
}

HCURSOR SetCursor(HCURSOR cursor) {
  UiState& ui = Ui();
  HCURSOR old = ui.cursorShape;
  ui.cursorShape = cursor;
  PointerShape shape = IsLiveIcon(cursor) && cursor->isCursor ? cursor->shape : PointerShape::kArrow;
  WindowImpl* top = TopOf(W(ui.under));
  if (!top) top = TopOf(W(ui.active));
  if (cursor && top && top->top && top->top->native) top->top->native->SetCursor(shape);
  return old;
}

HCURSOR GetCursor() { return Ui().cursorShape; }
