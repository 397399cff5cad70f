// The flat GDI+ interface on Cairo, Pango and gdk-pixbuf.
#include "platform/gdiplus.h"

#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cwchar>

#include "platform/shell.h"
#include "platform/text.h"
#include "platform/textconv.h"
#include "platform/ui_internal.h"

namespace Gdiplus {

class GpGraphics {
 public:
  HDC dc = nullptr;
  SmoothingMode smoothing = SmoothingModeDefault;
  InterpolationMode interpolation = InterpolationModeDefault;
  TextRenderingHint hint = TextRenderingHintSystemDefault;
  bool clipped = false;
  Rect clip{};
};

namespace {

class ImageImpl : public GpBitmap {
 public:
  explicit ImageImpl(cairo_surface_t* s) : surface(s) {
    width = cairo_image_surface_get_width(s);
    height = cairo_image_surface_get_height(s);
  }
  ~ImageImpl() override { cairo_surface_destroy(surface); }
  cairo_surface_t* surface;
  int width;
  int height;
};

class SolidImpl : public GpSolidFill {
 public:
  ARGB color = 0;
};

class GradientImpl : public GpLineGradient {
 public:
  RectF rect{};
  ARGB color1 = 0, color2 = 0;
  LinearGradientMode mode = LinearGradientModeHorizontal;
  WrapMode wrap = WrapModeTile;
};

void SetSourceArgb(cairo_t* cr, ARGB c) {
  cairo_set_source_rgba(cr, ((c >> 16) & 0xFF) / 255.0, ((c >> 8) & 0xFF) / 255.0, (c & 0xFF) / 255.0,
                        ((c >> 24) & 0xFF) / 255.0);
}

void AddStop(cairo_pattern_t* p, double offset, ARGB c) {
  cairo_pattern_add_color_stop_rgba(p, offset, ((c >> 16) & 0xFF) / 255.0, ((c >> 8) & 0xFF) / 255.0,
                                    (c & 0xFF) / 255.0, ((c >> 24) & 0xFF) / 255.0);
}

// Sets the brush as the source of `cr`; false for an unknown brush.
bool SetBrush(cairo_t* cr, const GpBrush* brush) {
  if (auto* s = dynamic_cast<const SolidImpl*>(brush)) {
    SetSourceArgb(cr, s->color);
    return true;
  }
  auto* g = dynamic_cast<const GradientImpl*>(brush);
  if (!g) return false;
  const RectF& r = g->rect;
  // Pixel centres lie half a pixel inside, so that the first row (or
  // column) shows the first colour exactly.
  double x0 = r.X + 0.5, y0 = r.Y + 0.5, x1 = x0, y1 = y0;
  switch (g->mode) {
    case LinearGradientModeHorizontal: x1 = x0 + r.Width; break;
    case LinearGradientModeVertical: y1 = y0 + r.Height; break;
    case LinearGradientModeForwardDiagonal: x1 = x0 + r.Width, y1 = y0 + r.Height; break;
    case LinearGradientModeBackwardDiagonal: x0 += r.Width, y1 = y0 + r.Height; break;
  }
  cairo_pattern_t* p = cairo_pattern_create_linear(x0, y0, x1, y1);
  AddStop(p, 0, g->color1);
  AddStop(p, 1, g->color2);
  cairo_pattern_set_extend(p, g->wrap == WrapModeClamp ? CAIRO_EXTEND_PAD
                              : g->wrap == WrapModeTile ? CAIRO_EXTEND_REPEAT
                                                        : CAIRO_EXTEND_REFLECT);
  cairo_set_source(cr, p);
  cairo_pattern_destroy(p);
  return true;
}

cairo_t* Begin(GpGraphics* g) {
  cairo_t* cr = platform::DcBeginDraw(g->dc);
  if (!cr) return nullptr;
  if (g->clipped) {
    cairo_rectangle(cr, g->clip.X, g->clip.Y, g->clip.Width, g->clip.Height);
    cairo_clip(cr);
  }
  bool smooth = g->smoothing == SmoothingModeAntiAlias || g->smoothing == SmoothingModeHighQuality;
  cairo_set_antialias(cr, smooth ? CAIRO_ANTIALIAS_DEFAULT : CAIRO_ANTIALIAS_NONE);
  return cr;
}

bool Usable(GpGraphics* g) { return g && platform::IsLiveDC(g->dc); }

}  // namespace

class GpPen {
 public:
  ARGB color = 0;
  REAL width = 1;
};

class GpFontFamily {
 public:
  std::wstring name;
  std::string families;
};

class GpFont {
 public:
  ~GpFont() {
    if (desc) pango_font_description_free(desc);
  }
  std::string families;
  REAL emPixels = 0;
  REAL size = 0;
  INT style = 0;
  PangoFontDescription* desc = nullptr;
};

class GpStringFormat {
 public:
  INT flags = 0;
  StringAlignment align = StringAlignmentNear;
  StringAlignment lineAlign = StringAlignmentNear;
  StringTrimming trimming = StringTrimmingCharacter;
};

Status GdiplusStartup(ULONG_PTR* token, const GdiplusStartupInput* input, GdiplusStartupOutput* output) {
  if (!token || !input) return InvalidParameter;
  if (input->GdiplusVersion != 1 && input->GdiplusVersion != 2) return UnsupportedGdiplusVersion;
  platform::InstallWindowLayer();
  platform::InitFonts();
  if (output) *output = GdiplusStartupOutput{};
  *token = 1;
  return Ok;
}

void GdiplusShutdown(ULONG_PTR) {}

// ---- graphics ----------------------------------------------------------------------------

GpStatus GdipCreateFromHDC(HDC dc, GpGraphics** graphics) {
  if (!graphics) return InvalidParameter;
  *graphics = nullptr;
  if (!platform::IsLiveDC(dc)) return InvalidParameter;
  auto* g = new GpGraphics();
  g->dc = dc;
  *graphics = g;
  return Ok;
}

GpStatus GdipDeleteGraphics(GpGraphics* graphics) {
  if (!graphics) return InvalidParameter;
  delete graphics;
  return Ok;
}

GpStatus GdipSetSmoothingMode(GpGraphics* g, SmoothingMode mode) {
  if (!g || mode < SmoothingModeDefault || mode > SmoothingModeAntiAlias) return InvalidParameter;
  g->smoothing = mode;
  return Ok;
}

GpStatus GdipGetSmoothingMode(GpGraphics* g, SmoothingMode* mode) {
  if (!g || !mode) return InvalidParameter;
  *mode = g->smoothing;
  return Ok;
}

GpStatus GdipSetInterpolationMode(GpGraphics* g, InterpolationMode mode) {
  if (!g) return InvalidParameter;
  g->interpolation = mode;
  return Ok;
}

GpStatus GdipSetTextRenderingHint(GpGraphics* g, TextRenderingHint hint) {
  if (!g) return InvalidParameter;
  g->hint = hint;
  return Ok;
}

GpStatus GdipSetClipRectI(GpGraphics* g, INT x, INT y, INT width, INT height, CombineMode mode) {
  if (!g) return InvalidParameter;
  Rect r{x, y, std::max(0, width), std::max(0, height)};
  if (mode == CombineModeIntersect && g->clipped) {
    int l = std::max(r.X, g->clip.X), t = std::max(r.Y, g->clip.Y);
    int rr = std::min(r.X + r.Width, g->clip.X + g->clip.Width), b = std::min(r.Y + r.Height, g->clip.Y + g->clip.Height);
    r = Rect{l, t, std::max(0, rr - l), std::max(0, b - t)};
  }
  g->clip = r;
  g->clipped = true;
  return Ok;
}

GpStatus GdipResetClip(GpGraphics* g) {
  if (!g) return InvalidParameter;
  g->clipped = false;
  return Ok;
}

GpStatus GdipGraphicsClear(GpGraphics* g, ARGB color) {
  if (!Usable(g)) return InvalidParameter;
  cairo_t* cr = Begin(g);
  if (!cr) return InvalidParameter;
  SetSourceArgb(cr, color);
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  cairo_paint(cr);
  cairo_destroy(cr);
  return Ok;
}

// ---- images --------------------------------------------------------------------------------

GpStatus GdipCreateBitmapFromFile(const WCHAR* path, GpBitmap** bitmap) {
  if (!bitmap) return InvalidParameter;
  *bitmap = nullptr;
  if (!path || !path[0]) return InvalidParameter;
  std::string native = NativePath(path);
  struct stat st;
  if (stat(native.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return FileNotFound;
  bool alpha = false;
  cairo_surface_t* s = platform::DecodeImageFile(native, &alpha);
  if (!s) return UnknownImageFormat;
  *bitmap = new ImageImpl(s);
  return Ok;
}

GpStatus GdipLoadImageFromFile(const WCHAR* path, GpImage** image) {
  if (!image) return InvalidParameter;
  GpBitmap* b = nullptr;
  GpStatus s = GdipCreateBitmapFromFile(path, &b);
  *image = b;
  return s;
}

GpStatus GdipDisposeImage(GpImage* image) {
  if (!image) return InvalidParameter;
  delete image;
  return Ok;
}

GpStatus GdipGetImageWidth(GpImage* image, UINT* width) {
  if (!width) return InvalidParameter;
  auto* i = dynamic_cast<ImageImpl*>(image);
  *width = i ? static_cast<UINT>(i->width) : 0;
  return i ? Ok : InvalidParameter;
}

GpStatus GdipGetImageHeight(GpImage* image, UINT* height) {
  if (!height) return InvalidParameter;
  auto* i = dynamic_cast<ImageImpl*>(image);
  *height = i ? static_cast<UINT>(i->height) : 0;
  return i ? Ok : InvalidParameter;
}

GpStatus GdipBitmapGetPixel(GpBitmap* bitmap, INT x, INT y, ARGB* color) {
  auto* i = dynamic_cast<ImageImpl*>(bitmap);
  if (!i || !color || x < 0 || y < 0 || x >= i->width || y >= i->height) return InvalidParameter;
  cairo_surface_flush(i->surface);
  const unsigned char* data = cairo_image_surface_get_data(i->surface);
  uint32_t p = reinterpret_cast<const uint32_t*>(data + y * cairo_image_surface_get_stride(i->surface))[x];
  bool argb = cairo_image_surface_get_format(i->surface) == CAIRO_FORMAT_ARGB32;
  COLORREF c = platform::ColorRefFromPixel(p, argb);
  uint32_t a = argb ? p >> 24 : 255;
  *color = (a << 24) | (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
  return Ok;
}

GpStatus GdipDrawImageRectRectI(GpGraphics* g, GpImage* image, INT dstX, INT dstY, INT dstWidth, INT dstHeight,
                                INT srcX, INT srcY, INT srcWidth, INT srcHeight, GpUnit, const GpImageAttributes*,
                                DrawImageAbort, void*) {
  auto* i = dynamic_cast<ImageImpl*>(image);
  if (!Usable(g) || !i) return InvalidParameter;
  if (dstWidth <= 0 || dstHeight <= 0 || srcWidth <= 0 || srcHeight <= 0) return Ok;
  // The part of the source that lies on the image, and the destination
  // part it maps to.
  double sx = double(dstWidth) / srcWidth, sy = double(dstHeight) / srcHeight;
  int x0 = std::max(0, srcX), y0 = std::max(0, srcY);
  int x1 = std::min(i->width, srcX + srcWidth), y1 = std::min(i->height, srcY + srcHeight);
  if (x1 <= x0 || y1 <= y0) return Ok;
  cairo_t* cr = Begin(g);
  if (!cr) return InvalidParameter;
  cairo_surface_t* part = cairo_surface_create_for_rectangle(i->surface, x0, y0, x1 - x0, y1 - y0);
  double dx = dstX + (x0 - srcX) * sx, dy = dstY + (y0 - srcY) * sy;
  double dw = (x1 - x0) * sx, dh = (y1 - y0) * sy;
  cairo_rectangle(cr, dx, dy, dw, dh);
  cairo_clip(cr);
  cairo_translate(cr, dx, dy);
  cairo_scale(cr, sx, sy);
  cairo_set_source_surface(cr, part, 0, 0);
  cairo_pattern_t* p = cairo_get_source(cr);
  cairo_pattern_set_extend(p, CAIRO_EXTEND_PAD);
  bool same = srcWidth == dstWidth && srcHeight == dstHeight;
  cairo_pattern_set_filter(p, same || g->interpolation == InterpolationModeNearestNeighbor ? CAIRO_FILTER_NEAREST
                              : (g->interpolation == InterpolationModeHighQualityBicubic ||
                                 g->interpolation == InterpolationModeHighQuality)
                                  ? CAIRO_FILTER_GOOD
                                  : CAIRO_FILTER_BILINEAR);
  cairo_paint(cr);
  cairo_destroy(cr);
  cairo_surface_destroy(part);
  return Ok;
}

GpStatus GdipDrawImageRectI(GpGraphics* g, GpImage* image, INT x, INT y, INT width, INT height) {
  auto* i = dynamic_cast<ImageImpl*>(image);
  if (!i) return InvalidParameter;
  return GdipDrawImageRectRectI(g, image, x, y, width, height, 0, 0, i->width, i->height, UnitPixel, nullptr,
                                nullptr, nullptr);
}

GpStatus GdipDrawImageI(GpGraphics* g, GpImage* image, INT x, INT y) {
  auto* i = dynamic_cast<ImageImpl*>(image);
  if (!i) return InvalidParameter;
  return GdipDrawImageRectRectI(g, image, x, y, i->width, i->height, 0, 0, i->width, i->height, UnitPixel, nullptr,
                                nullptr, nullptr);
}

// ---- brushes and pens --------------------------------------------------------------------

GpStatus GdipCreateSolidFill(ARGB color, GpSolidFill** brush) {
  if (!brush) return InvalidParameter;
  auto* b = new SolidImpl();
  b->color = color;
  *brush = b;
  return Ok;
}

GpStatus GdipCreateLineBrushFromRect(const GpRectF* rect, ARGB color1, ARGB color2, LinearGradientMode mode,
                                     GpWrapMode wrapMode, GpLineGradient** brush) {
  if (!brush) return InvalidParameter;
  *brush = nullptr;
  if (!rect || rect->Width == 0 || rect->Height == 0 || mode < LinearGradientModeHorizontal ||
      mode > LinearGradientModeBackwardDiagonal)
    return InvalidParameter;
  auto* b = new GradientImpl();
  b->rect = *rect;
  b->color1 = color1;
  b->color2 = color2;
  b->mode = mode;
  b->wrap = wrapMode;
  *brush = b;
  return Ok;
}

GpStatus GdipCreateLineBrushFromRectI(const GpRect* rect, ARGB color1, ARGB color2, LinearGradientMode mode,
                                      GpWrapMode wrapMode, GpLineGradient** brush) {
  if (!rect) {
    if (brush) *brush = nullptr;
    return InvalidParameter;
  }
  RectF r{REAL(rect->X), REAL(rect->Y), REAL(rect->Width), REAL(rect->Height)};
  return GdipCreateLineBrushFromRect(&r, color1, color2, mode, wrapMode, brush);
}

GpStatus GdipDeleteBrush(GpBrush* brush) {
  if (!brush) return InvalidParameter;
  delete brush;
  return Ok;
}

GpStatus GdipFillRectangle(GpGraphics* g, GpBrush* brush, REAL x, REAL y, REAL width, REAL height) {
  if (!Usable(g) || !brush) return InvalidParameter;
  if (width <= 0 || height <= 0) return Ok;
  cairo_t* cr = Begin(g);
  if (!cr) return InvalidParameter;
  if (SetBrush(cr, brush)) {
    cairo_rectangle(cr, x, y, width, height);
    cairo_fill(cr);
  }
  cairo_destroy(cr);
  return Ok;
}

GpStatus GdipFillRectangleI(GpGraphics* g, GpBrush* brush, INT x, INT y, INT width, INT height) {
  return GdipFillRectangle(g, brush, REAL(x), REAL(y), REAL(width), REAL(height));
}

GpStatus GdipCreatePen1(ARGB color, REAL width, GpUnit, GpPen** pen) {
  if (!pen) return InvalidParameter;
  *pen = new GpPen();
  (*pen)->color = color;
  (*pen)->width = width > 0 ? width : 1;
  return Ok;
}

GpStatus GdipDeletePen(GpPen* pen) {
  if (!pen) return InvalidParameter;
  delete pen;
  return Ok;
}

GpStatus GdipDrawRectangleI(GpGraphics* g, GpPen* pen, INT x, INT y, INT width, INT height) {
  if (!Usable(g) || !pen) return InvalidParameter;
  if (width < 0 || height < 0) return Ok;
  cairo_t* cr = Begin(g);
  if (!cr) return InvalidParameter;
  SetSourceArgb(cr, pen->color);
  cairo_set_line_width(cr, pen->width);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_MITER);
  cairo_rectangle(cr, x + 0.5, y + 0.5, width, height);
  cairo_stroke(cr);
  cairo_destroy(cr);
  return Ok;
}

GpStatus GdipDrawLineI(GpGraphics* g, GpPen* pen, INT x1, INT y1, INT x2, INT y2) {
  if (!Usable(g) || !pen) return InvalidParameter;
  cairo_t* cr = Begin(g);
  if (!cr) return InvalidParameter;
  SetSourceArgb(cr, pen->color);
  cairo_set_line_width(cr, pen->width);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_SQUARE);
  cairo_move_to(cr, x1 + 0.5, y1 + 0.5);
  cairo_line_to(cr, x2 + 0.5, y2 + 0.5);
  cairo_stroke(cr);
  cairo_destroy(cr);
  return Ok;
}

// ---- fonts and text ------------------------------------------------------------------------

GpStatus GdipCreateFontFamilyFromName(const WCHAR* name, GpFontCollection*, GpFontFamily** family) {
  if (!family) return InvalidParameter;
  *family = nullptr;
  if (!name) return InvalidParameter;
  std::string families;
  if (!platform::ResolveFace(name, &families)) return FontFamilyNotFound;
  auto* f = new GpFontFamily();
  f->name = name;
  f->families = families;
  *family = f;
  return Ok;
}

GpStatus GdipDeleteFontFamily(GpFontFamily* family) {
  if (!family) return InvalidParameter;
  delete family;
  return Ok;
}

GpStatus GdipGetFamilyName(const GpFontFamily* family, WCHAR name[32], LANGID) {
  if (!family || !name) return InvalidParameter;
  std::wstring wide = Utf8ToWide(family->families.substr(0, family->families.find(',')));
  size_t n = std::min<size_t>(wide.size(), 31);
  std::wmemcpy(name, wide.data(), n);
  name[n] = L'\0';
  return Ok;
}

GpStatus GdipCreateFont(const GpFontFamily* family, REAL emSize, INT style, Unit unit, GpFont** font) {
  if (!font) return InvalidParameter;
  *font = nullptr;
  if (!family || !(emSize > 0)) return InvalidParameter;
  double px = emSize;
  switch (unit) {
    case UnitPoint: px = emSize * 96.0 / 72.0; break;
    case UnitInch: px = emSize * 96.0; break;
    case UnitDocument: px = emSize * 96.0 / 300.0; break;
    case UnitMillimeter: px = emSize * 96.0 / 25.4; break;
    default: break;
  }
  auto* f = new GpFont();
  f->families = family->families;
  f->emPixels = static_cast<REAL>(px);
  f->size = emSize;
  f->style = style;
  f->desc = platform::NewFontDescription(family->families, px, (style & FontStyleBold) ? 700 : 400,
                                         (style & FontStyleItalic) != 0);
  *font = f;
  return Ok;
}

GpStatus GdipDeleteFont(GpFont* font) {
  if (!font) return InvalidParameter;
  delete font;
  return Ok;
}

GpStatus GdipGetFontSize(GpFont* font, REAL* size) {
  if (!font || !size) return InvalidParameter;
  *size = font->size;
  return Ok;
}

GpStatus GdipGetFontHeight(const GpFont* font, const GpGraphics*, REAL* height) {
  if (!height) return InvalidParameter;
  *height = 0;
  if (!font) return InvalidParameter;
  *height = static_cast<REAL>(platform::MetricsOf(font->desc).lineHeight);
  return Ok;
}

GpStatus GdipCreateStringFormat(INT flags, LANGID, GpStringFormat** format) {
  if (!format) return InvalidParameter;
  *format = new GpStringFormat();
  (*format)->flags = flags;
  return Ok;
}

GpStatus GdipDeleteStringFormat(GpStringFormat* format) {
  if (!format) return InvalidParameter;
  delete format;
  return Ok;
}

GpStatus GdipSetStringFormatAlign(GpStringFormat* format, StringAlignment align) {
  if (!format || align < StringAlignmentNear || align > StringAlignmentFar) return InvalidParameter;
  format->align = align;
  return Ok;
}

GpStatus GdipSetStringFormatLineAlign(GpStringFormat* format, StringAlignment align) {
  if (!format || align < StringAlignmentNear || align > StringAlignmentFar) return InvalidParameter;
  format->lineAlign = align;
  return Ok;
}

GpStatus GdipSetStringFormatTrimming(GpStringFormat* format, StringTrimming trimming) {
  if (!format || trimming < StringTrimmingNone || trimming > StringTrimmingEllipsisPath) return InvalidParameter;
  format->trimming = trimming;
  return Ok;
}

GpStatus GdipSetStringFormatFlags(GpStringFormat* format, INT flags) {
  if (!format) return InvalidParameter;
  format->flags = flags;
  return Ok;
}

namespace {
platform::TextRequest Request(const WCHAR* text, INT length, const GpFont* font, const RectF* layout,
                              const GpStringFormat* format) {
  static const GpStringFormat defaults;
  const GpStringFormat& f = format ? *format : defaults;
  platform::TextRequest r;
  r.text = text;
  r.length = length < 0 ? std::wcslen(text) : static_cast<size_t>(length);
  r.font = font->desc;
  r.x = layout->X;
  r.y = layout->Y;
  r.width = layout->Width > 0 ? layout->Width : 0;
  r.height = layout->Height > 0 ? layout->Height : 0;
  r.align = static_cast<platform::Align>(f.align);
  r.lineAlign = static_cast<platform::Align>(f.lineAlign);
  r.trim = static_cast<platform::Trim>(f.trimming);
  r.wrap = !(f.flags & StringFormatFlagsNoWrap);
  r.underline = (font->style & FontStyleUnderline) != 0;
  r.strikeout = (font->style & FontStyleStrikeout) != 0;
  return r;
}
}  // namespace

GpStatus GdipMeasureString(GpGraphics* g, const WCHAR* text, INT length, const GpFont* font, const RectF* layout,
                           const GpStringFormat* format, RectF* box, INT* codepointsFitted, INT* linesFilled) {
  if (box) *box = RectF{0, 0, 0, 0};
  if (codepointsFitted) *codepointsFitted = 0;
  if (linesFilled) *linesFilled = 0;
  if (!g || !text || !font || !layout || !box) return InvalidParameter;
  platform::LaidOutText t(Request(text, length, font, layout, format));
  *box = RectF{REAL(t.boxX), REAL(t.boxY), REAL(t.boxWidth), REAL(t.boxHeight)};
  if (codepointsFitted) *codepointsFitted = t.fitted;
  if (linesFilled) *linesFilled = t.lines;
  return Ok;
}

GpStatus GdipDrawString(GpGraphics* g, const WCHAR* text, INT length, const GpFont* font, const RectF* layout,
                        const GpStringFormat* format, const GpBrush* brush) {
  if (!Usable(g) || !text || !font || !layout || !brush) return InvalidParameter;
  platform::TextRequest r = Request(text, length, font, layout, format);
  platform::LaidOutText t(r);
  cairo_t* cr = Begin(g);
  if (!cr) return InvalidParameter;
  bool noClip = format && (format->flags & StringFormatFlagsNoClip);
  if (r.width > 0 && r.height > 0 && !noClip) {
    cairo_rectangle(cr, r.x, r.y, r.width, r.height);
    cairo_clip(cr);
  }
  if (SetBrush(cr, brush)) t.Draw(cr);
  cairo_destroy(cr);
  return Ok;
}

}  // namespace Gdiplus
