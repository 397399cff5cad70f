// GDI as the program uses it: device contexts over Cairo image surfaces,
// bitmaps, brushes, pens, fonts, regions, block transfers, fills and text.
//
// Every device context has a logical origin and a clip. A window's context
// draws into its top-level window's back buffer, translated to the window
// and clipped to its visible part; a memory context draws into the bitmap
// selected into it (a 1 x 1 bitmap until one is selected). Coordinates are
// whole pixels; a rectangle includes its left and top edges and excludes its
// right and bottom ones.
#pragma once

#include "platform/types.h"

#define LF_FACESIZE 32

#define FW_DONTCARE 0
#define FW_NORMAL 400
#define FW_BOLD 700
#define ANSI_CHARSET 0
#define DEFAULT_CHARSET 1
#define GB2312_CHARSET 134
#define OUT_DEFAULT_PRECIS 0
#define CLIP_DEFAULT_PRECIS 0
#define DEFAULT_QUALITY 0
#define ANTIALIASED_QUALITY 4
#define CLEARTYPE_QUALITY 5
#define DEFAULT_PITCH 0

// A font description. A positive height is the character cell's height in
// pixels (ascent plus descent), a negative one the em height; zero gives
// the default size (12 pixels cell). The face name holds at most 31
// characters; longer names are cut.
struct LOGFONTW {
  LONG lfHeight;
  LONG lfWidth;
  LONG lfEscapement;
  LONG lfOrientation;
  LONG lfWeight;
  BYTE lfItalic;
  BYTE lfUnderline;
  BYTE lfStrikeOut;
  BYTE lfCharSet;
  BYTE lfOutPrecision;
  BYTE lfClipPrecision;
  BYTE lfQuality;
  BYTE lfPitchAndFamily;
  WCHAR lfFaceName[LF_FACESIZE];
};
typedef LOGFONTW* LPLOGFONTW;

struct TEXTMETRICW {
  LONG tmHeight;
  LONG tmAscent;
  LONG tmDescent;
  LONG tmInternalLeading;
  LONG tmExternalLeading;
  LONG tmAveCharWidth;
  LONG tmMaxCharWidth;
  LONG tmWeight;
  LONG tmOverhang;
  LONG tmDigitizedAspectX;
  LONG tmDigitizedAspectY;
  WCHAR tmFirstChar;
  WCHAR tmLastChar;
  WCHAR tmDefaultChar;
  WCHAR tmBreakChar;
  BYTE tmItalic;
  BYTE tmUnderlined;
  BYTE tmStruckOut;
  BYTE tmPitchAndFamily;
  BYTE tmCharSet;
};

struct BITMAP {
  LONG bmType;
  LONG bmWidth;
  LONG bmHeight;
  LONG bmWidthBytes;
  WORD bmPlanes;
  WORD bmBitsPixel;
  LPVOID bmBits;
};

typedef SIZE* LPSIZE;

// Raster operations of BitBlt, StretchBlt and PatBlt.
#define SRCCOPY 0x00CC0020
#define PATCOPY 0x00F00021
#define BLACKNESS 0x00000042
#define WHITENESS 0x00FF0062

// Regions.
#define RGN_AND 1
#define RGN_OR 2
#define RGN_XOR 3
#define RGN_DIFF 4
#define RGN_COPY 5
#define ERROR 0
#define RGN_ERROR ERROR
#define NULLREGION 1
#define SIMPLEREGION 2
#define COMPLEXREGION 3

// Stock objects.
#define WHITE_BRUSH 0
#define LTGRAY_BRUSH 1
#define GRAY_BRUSH 2
#define DKGRAY_BRUSH 3
#define BLACK_BRUSH 4
#define NULL_BRUSH 5
#define HOLLOW_BRUSH NULL_BRUSH
#define WHITE_PEN 6
#define BLACK_PEN 7
#define NULL_PEN 8
#define SYSTEM_FONT 13
#define DEFAULT_GUI_FONT 17

// Object types (GetObjectType, GetCurrentObject).
#define OBJ_PEN 1
#define OBJ_BRUSH 2
#define OBJ_DC 3
#define OBJ_FONT 6
#define OBJ_BITMAP 7
#define OBJ_REGION 8
#define OBJ_MEMDC 10

#define TRANSPARENT 1
#define OPAQUE 2
#define CLR_INVALID 0xFFFFFFFF

#define PS_SOLID 0
#define PS_DASH 1
#define PS_DOT 2
#define PS_NULL 5

#define ETO_OPAQUE 0x0002
#define ETO_CLIPPED 0x0004

// GetDeviceCaps.
#define HORZRES 8
#define VERTRES 10
#define BITSPIXEL 12
#define LOGPIXELSX 88
#define LOGPIXELSY 90

// ---- device contexts ---------------------------------------------------------
HDC CreateCompatibleDC(HDC dc);
BOOL DeleteDC(HDC dc);
int SaveDC(HDC dc);
BOOL RestoreDC(HDC dc, int saved);
int GetDeviceCaps(HDC dc, int index);
BOOL SetViewportOrgEx(HDC dc, int x, int y, LPPOINT previous);
BOOL OffsetViewportOrgEx(HDC dc, int dx, int dy, LPPOINT previous);
BOOL GetViewportOrgEx(HDC dc, LPPOINT origin);

// Clip regions are in logical coordinates at the time of the call.
int SelectClipRgn(HDC dc, HRGN region);
int IntersectClipRect(HDC dc, int left, int top, int right, int bottom);
int ExcludeClipRect(HDC dc, int left, int top, int right, int bottom);
int GetClipBox(HDC dc, LPRECT rect);

// ---- objects -----------------------------------------------------------------
// SelectObject returns the object of the same kind selected before (a
// region is copied into the clip instead and the result is a region code).
// Deleting a selected object or a stock object does nothing and fails.
HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);
BOOL DeleteObject(HGDIOBJ object);
HGDIOBJ GetStockObject(int index);
HGDIOBJ GetCurrentObject(HDC dc, UINT type);
DWORD GetObjectType(HGDIOBJ object);
// BITMAP for a bitmap (bmBits points at its 32-bit pixels), LOGFONTW for
// a font. Returns the bytes written, or 0.
int GetObjectW(HGDIOBJ object, int size, LPVOID buffer);

// 32 bits per pixel, opaque, black at first.
HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height);
// 32-bit pixels only (bits, if given, are rows of BGRA from the top).
HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits);
HBRUSH CreateSolidBrush(COLORREF color);
HPEN CreatePen(int style, int width, COLORREF color);
// The face is looked up as for GDI+ fonts; a face with no match takes the
// default face instead (GDI fonts never fail on a face name).
HFONT CreateFontIndirectW(const LOGFONTW* font);
HFONT CreateFontW(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                  DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision, DWORD clipPrecision,
                  DWORD quality, DWORD pitchAndFamily, LPCWSTR faceName);

// ---- pixels, fills, lines ----------------------------------------------------
BOOL BitBlt(HDC dst, int x, int y, int width, int height, HDC src, int xSrc, int ySrc, DWORD rop);
BOOL StretchBlt(HDC dst, int x, int y, int width, int height, HDC src, int xSrc, int ySrc, int wSrc, int hSrc,
                DWORD rop);
BOOL PatBlt(HDC dc, int x, int y, int width, int height, DWORD rop);
COLORREF GetPixel(HDC dc, int x, int y);
COLORREF SetPixel(HDC dc, int x, int y, COLORREF color);
BOOL Rectangle(HDC dc, int left, int top, int right, int bottom);
BOOL MoveToEx(HDC dc, int x, int y, LPPOINT previous);
BOOL LineTo(HDC dc, int x, int y);

// ---- text --------------------------------------------------------------------
COLORREF SetTextColor(HDC dc, COLORREF color);
COLORREF GetTextColor(HDC dc);
COLORREF SetBkColor(HDC dc, COLORREF color);
COLORREF GetBkColor(HDC dc);
int SetBkMode(HDC dc, int mode);
int GetBkMode(HDC dc);
BOOL TextOutW(HDC dc, int x, int y, LPCWSTR text, int length);
BOOL ExtTextOutW(HDC dc, int x, int y, UINT options, const RECT* rect, LPCWSTR text, UINT length,
                 const INT* dx);
BOOL GetTextExtentPoint32W(HDC dc, LPCWSTR text, int length, LPSIZE size);
BOOL GetTextMetricsW(HDC dc, TEXTMETRICW* metrics);
int GetTextFaceW(HDC dc, int count, LPWSTR face);

// ---- regions -----------------------------------------------------------------
HRGN CreateRectRgn(int left, int top, int right, int bottom);
HRGN CreateRectRgnIndirect(const RECT* rect);
// A rectangle from (x1, y1) to (x2, y2) whose right and bottom edges lie
// one pixel inside (the region covers x1 .. x2 - 2 and y1 .. y2 - 2), with
// corners cut by an ellipse of width w and height h: a corner pixel belongs
// to the region when its centre lies inside the corner ellipse.
HRGN CreateRoundRectRgn(int x1, int y1, int x2, int y2, int w, int h);
int CombineRgn(HRGN dst, HRGN src1, HRGN src2, int mode);
BOOL SetRectRgn(HRGN region, int left, int top, int right, int bottom);
int OffsetRgn(HRGN region, int dx, int dy);
int GetRgnBox(HRGN region, LPRECT rect);
BOOL PtInRegion(HRGN region, int x, int y);
BOOL RectInRegion(HRGN region, const RECT* rect);
BOOL EqualRgn(HRGN a, HRGN b);
