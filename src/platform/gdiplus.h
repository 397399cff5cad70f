// The flat interface of GDI+ as the skin uses it, on Cairo, Pango and
// gdk-pixbuf: graphics on a device context, images from PNG and BMP files,
// solid and linear-gradient brushes, pens, font families, fonts and string
// formats, measuring and drawing text.
//
// Geometry follows GDI+: a pixel's centre lies on whole coordinates, so a
// one-pixel line at y = 3 covers row 3 exactly and the outline of a
// rectangle of width w covers w + 1 columns; fills cover [x, x + w). Every
// function accepts null objects and answers InvalidParameter (outputs of
// queries are then zero). A file that cannot be read gives no image, and
// the size queries of a missing image answer 0.
//
// Fonts: a family is found when an installed font has that family name
// (compared as fontconfig does, ignoring case and blanks), when the name is
// one of the Windows faces this platform maps to the installed fonts
// (Tahoma, Arial, Verdana, "MS Shell Dlg" and the like to DejaVu Sans,
// Courier New to DejaVu Sans Mono, Times New Roman to DejaVu Serif, and the
// Chinese, Japanese and Korean faces such as 宋体, SimSun, "MS Mincho" and
// Dotum to WenQuanYi Micro Hei), or when fontconfig's own configuration
// names a substitute for it beyond the generic fallback every name gets.
// Any other name has no match: GdipCreateFontFamilyFromName answers
// FontFamilyNotFound and no family, so that text in that face is neither
// drawn nor measured.
#pragma once

#include "platform/types.h"

namespace Gdiplus {

typedef float REAL;
typedef DWORD ARGB;

enum Status {
  Ok = 0,
  GenericError = 1,
  InvalidParameter = 2,
  OutOfMemory = 3,
  ObjectBusy = 4,
  InsufficientBuffer = 5,
  NotImplemented = 6,
  Win32Error = 7,
  WrongState = 8,
  Aborted = 9,
  FileNotFound = 10,
  ValueOverflow = 11,
  AccessDenied = 12,
  UnknownImageFormat = 13,
  FontFamilyNotFound = 14,
  FontStyleNotFound = 15,
  NotTrueTypeFont = 16,
  UnsupportedGdiplusVersion = 17,
  GdiplusNotInitialized = 18,
  PropertyNotFound = 19,
  PropertyNotSupported = 20,
};
typedef Status GpStatus;

enum Unit {
  UnitWorld = 0,
  UnitDisplay = 1,
  UnitPixel = 2,
  UnitPoint = 3,
  UnitInch = 4,
  UnitDocument = 5,
  UnitMillimeter = 6,
};
typedef Unit GpUnit;

// HighSpeed and None draw without anti-aliasing (also the default);
// AntiAlias and HighQuality smooth the edges of lines.
enum SmoothingMode {
  SmoothingModeInvalid = -1,
  SmoothingModeDefault = 0,
  SmoothingModeHighSpeed = 1,
  SmoothingModeHighQuality = 2,
  SmoothingModeNone = 3,
  SmoothingModeAntiAlias = 4,
};

enum InterpolationMode {
  InterpolationModeDefault = 0,
  InterpolationModeLowQuality = 1,
  InterpolationModeHighQuality = 2,
  InterpolationModeBilinear = 3,
  InterpolationModeBicubic = 4,
  InterpolationModeNearestNeighbor = 5,
  InterpolationModeHighQualityBilinear = 6,
  InterpolationModeHighQualityBicubic = 7,
};

enum TextRenderingHint {
  TextRenderingHintSystemDefault = 0,
  TextRenderingHintSingleBitPerPixelGridFit = 1,
  TextRenderingHintSingleBitPerPixel = 2,
  TextRenderingHintAntiAliasGridFit = 3,
  TextRenderingHintAntiAlias = 4,
  TextRenderingHintClearTypeGridFit = 5,
};

enum LinearGradientMode {
  LinearGradientModeHorizontal = 0,
  LinearGradientModeVertical = 1,
  LinearGradientModeForwardDiagonal = 2,
  LinearGradientModeBackwardDiagonal = 3,
};

enum WrapMode {
  WrapModeTile = 0,
  WrapModeTileFlipX = 1,
  WrapModeTileFlipY = 2,
  WrapModeTileFlipXY = 3,
  WrapModeClamp = 4,
};
typedef WrapMode GpWrapMode;

enum StringAlignment {
  StringAlignmentNear = 0,
  StringAlignmentCenter = 1,
  StringAlignmentFar = 2,
};

enum StringTrimming {
  StringTrimmingNone = 0,
  StringTrimmingCharacter = 1,
  StringTrimmingWord = 2,
  StringTrimmingEllipsisCharacter = 3,
  StringTrimmingEllipsisWord = 4,
  StringTrimmingEllipsisPath = 5,
};

enum StringFormatFlags {
  StringFormatFlagsNoWrap = 0x00001000,
  StringFormatFlagsLineLimit = 0x00002000,
  StringFormatFlagsNoClip = 0x00004000,
};

enum FontStyle {
  FontStyleRegular = 0,
  FontStyleBold = 1,
  FontStyleItalic = 2,
  FontStyleBoldItalic = 3,
  FontStyleUnderline = 4,
  FontStyleStrikeout = 8,
};

enum CombineMode {
  CombineModeReplace = 0,
  CombineModeIntersect = 1,
};

struct Rect {
  INT X;
  INT Y;
  INT Width;
  INT Height;
};
struct RectF {
  REAL X;
  REAL Y;
  REAL Width;
  REAL Height;
};
typedef Rect GpRect;
typedef RectF GpRectF;

typedef void (*DebugEventProc)(int level, char* message);
typedef BOOL (*DrawImageAbort)(void* data);

struct GdiplusStartupInput {
  UINT32 GdiplusVersion = 1;
  DebugEventProc DebugEventCallback = nullptr;
  BOOL SuppressBackgroundThread = FALSE;
  BOOL SuppressExternalCodecs = FALSE;
};
struct GdiplusStartupOutput {
  void* NotificationHook = nullptr;
  void* NotificationUnhook = nullptr;
};

// Opaque objects; derived kinds convert to their base as in GDI+.
class GpGraphics;
class GpImage {
 public:
  virtual ~GpImage() = default;
};
class GpBitmap : public GpImage {};
class GpBrush {
 public:
  virtual ~GpBrush() = default;
};
class GpSolidFill : public GpBrush {};
class GpLineGradient : public GpBrush {};
class GpPen;
class GpFontFamily;
class GpFont;
class GpStringFormat;
class GpFontCollection;
class GpImageAttributes;

// Version 1 or 2. Loads the font configuration so that the first text is
// quick; the drawing functions work without it as well.
Status GdiplusStartup(ULONG_PTR* token, const GdiplusStartupInput* input, GdiplusStartupOutput* output);
void GdiplusShutdown(ULONG_PTR token);

// ---- graphics ----------------------------------------------------------------
// Draws into the device context's current target, with its origin and clip
// at the time of the call.
GpStatus GdipCreateFromHDC(HDC dc, GpGraphics** graphics);
GpStatus GdipDeleteGraphics(GpGraphics* graphics);
GpStatus GdipSetSmoothingMode(GpGraphics* graphics, SmoothingMode mode);
GpStatus GdipGetSmoothingMode(GpGraphics* graphics, SmoothingMode* mode);
GpStatus GdipSetInterpolationMode(GpGraphics* graphics, InterpolationMode mode);
GpStatus GdipSetTextRenderingHint(GpGraphics* graphics, TextRenderingHint hint);
GpStatus GdipSetClipRectI(GpGraphics* graphics, INT x, INT y, INT width, INT height, CombineMode mode);
GpStatus GdipResetClip(GpGraphics* graphics);
GpStatus GdipGraphicsClear(GpGraphics* graphics, ARGB color);

// ---- images ------------------------------------------------------------------
// PNG or BMP (whatever gdk-pixbuf reads), the path converted with
// NativePath. FileNotFound or UnknownImageFormat leave *bitmap null.
GpStatus GdipCreateBitmapFromFile(const WCHAR* path, GpBitmap** bitmap);
GpStatus GdipLoadImageFromFile(const WCHAR* path, GpImage** image);
GpStatus GdipDisposeImage(GpImage* image);
GpStatus GdipGetImageWidth(GpImage* image, UINT* width);
GpStatus GdipGetImageHeight(GpImage* image, UINT* height);
GpStatus GdipBitmapGetPixel(GpBitmap* bitmap, INT x, INT y, ARGB* color);
// The source part (in pixels) drawn into the destination rectangle,
// stretched (bilinear) when the sizes differ, never reading outside the
// part; an empty source or destination draws nothing.
GpStatus GdipDrawImageRectRectI(GpGraphics* graphics, GpImage* image, INT dstX, INT dstY, INT dstWidth,
                                INT dstHeight, INT srcX, INT srcY, INT srcWidth, INT srcHeight, GpUnit srcUnit,
                                const GpImageAttributes* attributes, DrawImageAbort callback, void* callbackData);
GpStatus GdipDrawImageRectI(GpGraphics* graphics, GpImage* image, INT x, INT y, INT width, INT height);
// The whole image at its pixel size.
GpStatus GdipDrawImageI(GpGraphics* graphics, GpImage* image, INT x, INT y);

// ---- brushes and pens --------------------------------------------------------
GpStatus GdipCreateSolidFill(ARGB color, GpSolidFill** brush);
// A gradient from color1 to color2 across the rectangle (top to bottom in
// the vertical mode, left to right in the horizontal one), repeated outside
// it with WrapModeTile. The first row (column) is color1 exactly.
GpStatus GdipCreateLineBrushFromRectI(const GpRect* rect, ARGB color1, ARGB color2, LinearGradientMode mode,
                                      GpWrapMode wrapMode, GpLineGradient** brush);
GpStatus GdipCreateLineBrushFromRect(const GpRectF* rect, ARGB color1, ARGB color2, LinearGradientMode mode,
                                     GpWrapMode wrapMode, GpLineGradient** brush);
GpStatus GdipDeleteBrush(GpBrush* brush);
GpStatus GdipFillRectangleI(GpGraphics* graphics, GpBrush* brush, INT x, INT y, INT width, INT height);
GpStatus GdipFillRectangle(GpGraphics* graphics, GpBrush* brush, REAL x, REAL y, REAL width, REAL height);
GpStatus GdipCreatePen1(ARGB color, REAL width, GpUnit unit, GpPen** pen);
GpStatus GdipDeletePen(GpPen* pen);
GpStatus GdipDrawRectangleI(GpGraphics* graphics, GpPen* pen, INT x, INT y, INT width, INT height);
// Both end points are covered.
GpStatus GdipDrawLineI(GpGraphics* graphics, GpPen* pen, INT x1, INT y1, INT x2, INT y2);

// ---- fonts and text ----------------------------------------------------------
GpStatus GdipCreateFontFamilyFromName(const WCHAR* name, GpFontCollection* collection, GpFontFamily** family);
GpStatus GdipDeleteFontFamily(GpFontFamily* family);
// The installed family a name resolved to (for diagnostics).
GpStatus GdipGetFamilyName(const GpFontFamily* family, WCHAR name[32], LANGID language);
// emSize in the unit (pixels, points at 96 dots per inch, or world units,
// which are pixels here).
GpStatus GdipCreateFont(const GpFontFamily* family, REAL emSize, INT style, Unit unit, GpFont** font);
GpStatus GdipDeleteFont(GpFont* font);
GpStatus GdipGetFontSize(GpFont* font, REAL* size);
// The line spacing in pixels.
GpStatus GdipGetFontHeight(const GpFont* font, const GpGraphics* graphics, REAL* height);

GpStatus GdipCreateStringFormat(INT flags, LANGID language, GpStringFormat** format);
GpStatus GdipDeleteStringFormat(GpStringFormat* format);
GpStatus GdipSetStringFormatAlign(GpStringFormat* format, StringAlignment align);
GpStatus GdipSetStringFormatLineAlign(GpStringFormat* format, StringAlignment align);
GpStatus GdipSetStringFormatTrimming(GpStringFormat* format, StringTrimming trimming);
GpStatus GdipSetStringFormatFlags(GpStringFormat* format, INT flags);

// Text is laid out inside the layout rectangle: wrapped at words at its
// width, aligned by the format (none: near, near), a zero width or height
// meaning no bound in that direction. Trimming applies when the text is
// taller than a bounded height: the last line that fits ends with an
// ellipsis after the last whole word (EllipsisWord) or character
// (EllipsisCharacter), or is simply cut (Word, Character). The bounding box
// is the laid-out text's box (no padding), never larger than a bounded
// layout rectangle; length -1 means up to the terminating zero. Drawing is
// clipped to a layout rectangle that is bounded both ways.
GpStatus GdipMeasureString(GpGraphics* graphics, const WCHAR* text, INT length, const GpFont* font,
                           const RectF* layoutRect, const GpStringFormat* format, RectF* boundingBox,
                           INT* codepointsFitted, INT* linesFilled);
GpStatus GdipDrawString(GpGraphics* graphics, const WCHAR* text, INT length, const GpFont* font,
                        const RectF* layoutRect, const GpStringFormat* format, const GpBrush* brush);

}  // namespace Gdiplus

// A COLORREF (red in the low byte) as opaque ARGB.
inline Gdiplus::ARGB ArgbFromColorRef(COLORREF c) {
  return 0xFF000000u | ((c & 0xFFu) << 16) | (c & 0xFF00u) | ((c >> 16) & 0xFFu);
}
