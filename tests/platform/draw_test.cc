// Drawing: GDI device contexts and transfers, the GDI+ operations (fills,
// one-pixel outlines, images, gradients, text), regions and window shapes,
// checked at chosen pixels.
#include <cmath>
#include <cstdio>
#include <fstream>

#include "common/process.h"
#include "platform/app.h"
#include "platform/gdiplus.h"
#include "ui_fixture.h"

using namespace uitest;
using namespace Gdiplus;
namespace hl = platform::headless;

namespace {

// A memory context with a bitmap of its own, white at first.
class Canvas {
 public:
  Canvas(int w, int h) : w_(w), h_(h) {
    dc_ = CreateCompatibleDC(nullptr);
    bmp_ = CreateCompatibleBitmap(dc_, w, h);
    old_ = SelectObject(dc_, bmp_);
    RECT r{0, 0, w, h};
    FillRect(dc_, &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  }
  ~Canvas() {
    SelectObject(dc_, old_);
    DeleteObject(bmp_);
    DeleteDC(dc_);
  }
  HDC dc() const { return dc_; }
  COLORREF at(int x, int y) const { return GetPixel(dc_, x, y); }
  // Pixels that are not white.
  int Ink() const {
    int n = 0;
    for (int y = 0; y < h_; ++y)
      for (int x = 0; x < w_; ++x) n += at(x, y) != RGB(255, 255, 255);
    return n;
  }
  // Columns (or rows) with any ink.
  int InkRight() const {
    int right = -1;
    for (int y = 0; y < h_; ++y)
      for (int x = 0; x < w_; ++x)
        if (at(x, y) != RGB(255, 255, 255)) right = std::max(right, x);
    return right;
  }

 private:
  int w_, h_;
  HDC dc_;
  HBITMAP bmp_;
  HGDIOBJ old_;
};

// A 24-bit bottom-up BMP file of the given pixels (rows from the top).
void WriteBmp(const std::string& path, int w, int h, const std::vector<COLORREF>& px) {
  int stride = (w * 3 + 3) & ~3;
  std::vector<unsigned char> file(54 + stride * h, 0);
  auto put32 = [&](int off, uint32_t v) {
    for (int i = 0; i < 4; ++i) file[off + i] = (v >> (8 * i)) & 0xFF;
  };
  file[0] = 'B';
  file[1] = 'M';
  put32(2, static_cast<uint32_t>(file.size()));
  put32(10, 54);
  put32(14, 40);
  put32(18, w);
  put32(22, h);
  file[26] = 1;
  file[28] = 24;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      COLORREF c = px[y * w + x];
      unsigned char* p = &file[54 + (h - 1 - y) * stride + x * 3];
      p[0] = GetBValue(c), p[1] = GetGValue(c), p[2] = GetRValue(c);
    }
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<char*>(file.data()), file.size());
}

using Gdi = UiTest;

TEST_F(Gdi, MemoryContextsFillCopyAndReadBack) {
  Canvas a(20, 20), b(20, 20);
  RECT r{2, 3, 8, 9};
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  FillRect(a.dc(), &r, red);
  EXPECT_EQ(a.at(2, 3), RGB(255, 0, 0));
  EXPECT_EQ(a.at(7, 8), RGB(255, 0, 0));
  EXPECT_EQ(a.at(8, 8), RGB(255, 255, 255));  // right and bottom edges excluded
  EXPECT_EQ(a.at(7, 9), RGB(255, 255, 255));
  RECT frame{10, 10, 15, 15};
  FrameRect(a.dc(), &frame, red);
  EXPECT_EQ(a.at(10, 12), RGB(255, 0, 0));
  EXPECT_EQ(a.at(14, 12), RGB(255, 0, 0));
  EXPECT_EQ(a.at(12, 12), RGB(255, 255, 255));
  DeleteObject(red);
  EXPECT_TRUE(BitBlt(b.dc(), 10, 0, 6, 6, a.dc(), 2, 3, SRCCOPY));
  EXPECT_EQ(b.at(10, 0), RGB(255, 0, 0));
  EXPECT_EQ(b.at(15, 5), RGB(255, 0, 0));
  EXPECT_EQ(b.at(9, 0), RGB(255, 255, 255));
  EXPECT_EQ(b.at(16, 0), RGB(255, 255, 255));
  EXPECT_EQ(GetPixel(a.dc(), 25, 5), CLR_INVALID);
  // A fresh compatible bitmap is black.
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bmp = CreateCompatibleBitmap(dc, 4, 4);
  HGDIOBJ old = SelectObject(dc, bmp);
  EXPECT_EQ(GetPixel(dc, 1, 1), RGB(0, 0, 0));
  BITMAP info;
  ASSERT_EQ(GetObjectW(bmp, sizeof info, &info), static_cast<int>(sizeof info));
  EXPECT_EQ(info.bmWidth, 4);
  EXPECT_EQ(info.bmBitsPixel, 32);
  // Deleting a selected bitmap waits for the context to let it go.
  EXPECT_TRUE(DeleteObject(bmp));
  EXPECT_EQ(GetPixel(dc, 1, 1), RGB(0, 0, 0));
  SelectObject(dc, old);
  DeleteDC(dc);
}

class CBuffered : public CWnd {
 public:
  COLORREF color = RGB(10, 20, 30);

 protected:
  BOOL OnEraseBkgnd(CDC*) override { return TRUE; }
  void OnPaint() override {
    CPaintDC dc(this);
    CRect client;
    GetClientRect(&client);
    CDC mem;
    mem.CreateCompatibleDC(&dc);
    CBitmap bmp;
    bmp.CreateCompatibleBitmap(&dc, client.Width(), client.Height());
    CBitmap* old = mem.SelectObject(&bmp);
    mem.FillSolidRect(&client, color);
    mem.SetPixel(0, 0, RGB(255, 255, 0));
    dc.BitBlt(0, 0, client.Width(), client.Height(), &mem, 0, 0, SRCCOPY);
    mem.SelectObject(old);
  }
};

TEST_F(Gdi, TheBufferedPaintPatternReachesTheScreen) {
  CWnd top;
  Top(top, 0, 0, 100, 60);
  CBuffered child;
  Child(child, top, 1, RECT{20, 10, 60, 40});
  hl::Pump();
  EXPECT_EQ(hl::ScreenPixel(child, 0, 0), RGB(255, 255, 0));
  EXPECT_EQ(hl::ScreenPixel(child, 39, 29), RGB(10, 20, 30));
  EXPECT_EQ(hl::ScreenPixel(top, 19, 10), RGB(0, 0, 0));  // the parent has no background brush
}

TEST_F(Gdi, FontsTakeTheirHeightAndCutLongFaceNames) {
  LOGFONTW lf{};
  lf.lfHeight = 20;  // cell height
  wcscpy(lf.lfFaceName, L"Tahoma");
  HFONT font = CreateFontIndirectW(&lf);
  Canvas c(10, 10);
  HGDIOBJ old = SelectObject(c.dc(), font);
  TEXTMETRICW tm;
  ASSERT_TRUE(GetTextMetricsW(c.dc(), &tm));
  EXPECT_NEAR(tm.tmHeight, 20, 1);
  SelectObject(c.dc(), old);
  DeleteObject(font);
  // A 40-character face: the description holds 31 and the font still works.
  LOGFONTW longFace{};
  longFace.lfHeight = -12;
  for (int i = 0; i < LF_FACESIZE; ++i) longFace.lfFaceName[i] = L'x';
  HFONT f2 = CreateFontIndirectW(&longFace);
  ASSERT_TRUE(f2);
  LOGFONTW back;
  GetObjectW(f2, sizeof back, &back);
  EXPECT_EQ(wcslen(back.lfFaceName), 31u);
  SIZE s;
  SelectObject(c.dc(), f2);
  EXPECT_TRUE(GetTextExtentPoint32W(c.dc(), L"abc", 3, &s));
  EXPECT_GT(s.cx, 0);  // GDI falls back to its default face
  SelectObject(c.dc(), old);
  DeleteObject(f2);
}

TEST_F(Gdi, BitmapsFromFilesAndIconsFromTheResources) {
  // The borderless dialog reads its shape from this bitmap, pixel by pixel.
  std::string path = std::string(LANSCOUT_SOURCE_DIR) + "/resources/picture/SearchDevice_BlackGround.bmp";
  std::wstring wide(path.begin(), path.end());
  HBITMAP bmp = reinterpret_cast<HBITMAP>(LoadImageW(nullptr, wide.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
  ASSERT_TRUE(bmp);
  BITMAP info;
  GetObjectW(bmp, sizeof info, &info);
  EXPECT_EQ(info.bmWidth, 328);
  EXPECT_EQ(info.bmHeight, 245);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, bmp);
  EXPECT_EQ(GetPixel(dc, 0, 0), RGB(210, 10, 10));   // the key colour at the corner
  EXPECT_EQ(GetPixel(dc, 327, 0), RGB(210, 10, 10));
  EXPECT_NE(GetPixel(dc, 164, 100), RGB(210, 10, 10));
  SelectObject(dc, old);
  DeleteObject(bmp);
  DeleteDC(dc);
  EXPECT_EQ(LoadImageW(nullptr, L"/no/such.bmp", IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE), nullptr);

  HICON icon = LoadIconW(AfxGetInstanceHandle(), MAKEINTRESOURCEW(128));
  ASSERT_TRUE(icon);
  EXPECT_EQ(GetSystemMetrics(SM_CXICON), 32);
  Canvas c(40, 40);
  EXPECT_TRUE(DrawIcon(c.dc(), 4, 4, icon));
  EXPECT_GT(c.Ink(), 100);
  EXPECT_EQ(c.at(38, 38), RGB(255, 255, 255));  // 32 x 32 at (4, 4)
  DestroyIcon(icon);
}

// ---- GDI+ ---------------------------------------------------------------------------

class Plus : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    GdiplusStartupInput input;
    ASSERT_EQ(GdiplusStartup(&token_, &input, nullptr), Ok);
  }
  ULONG_PTR token_ = 0;
};

TEST_F(Plus, FillsCoverTheirRectangleAndOutlinesOnePixelRings) {
  Canvas c(40, 40);
  GpGraphics* g;
  ASSERT_EQ(GdipCreateFromHDC(c.dc(), &g), Ok);
  GdipSetSmoothingMode(g, SmoothingModeAntiAlias);
  GpSolidFill* fill;
  GdipCreateSolidFill(0xFF0000FF, &fill);
  EXPECT_EQ(GdipFillRectangleI(g, fill, 5, 5, 10, 4), Ok);
  GpPen* pen;
  GdipCreatePen1(0xFFFF0000, 1.0f, UnitPixel, &pen);
  // As the property frame draws its border: width and height one less
  // than the area, so that the ring is the area's outermost pixels.
  EXPECT_EQ(GdipDrawRectangleI(g, pen, 20, 20, 9, 9), Ok);
  EXPECT_EQ(GdipDrawLineI(g, pen, 2, 30, 12, 30), Ok);
  struct Case {
    int x, y;
    COLORREF want;
  } cases[] = {
      {5, 5, RGB(0, 0, 255)},       {14, 8, RGB(0, 0, 255)},      {15, 8, RGB(255, 255, 255)},
      {14, 9, RGB(255, 255, 255)},  {4, 5, RGB(255, 255, 255)},   {20, 20, RGB(255, 0, 0)},
      {29, 29, RGB(255, 0, 0)},     {29, 24, RGB(255, 0, 0)},     {24, 20, RGB(255, 0, 0)},
      {25, 25, RGB(255, 255, 255)}, {30, 29, RGB(255, 255, 255)}, {21, 21, RGB(255, 255, 255)},
      {2, 30, RGB(255, 0, 0)},      {12, 30, RGB(255, 0, 0)},     {13, 30, RGB(255, 255, 255)},
      {7, 29, RGB(255, 255, 255)},  {7, 31, RGB(255, 255, 255)},
  };
  for (const Case& k : cases) EXPECT_EQ(c.at(k.x, k.y), k.want) << k.x << "," << k.y;
  GdipDeletePen(pen);
  GdipDeleteBrush(fill);
  GdipDeleteGraphics(g);
}

TEST_F(Plus, SmoothingSoftensSlantedLinesOnlyWhenAsked) {
  for (SmoothingMode mode : {SmoothingModeHighSpeed, SmoothingModeAntiAlias}) {
    Canvas c(30, 30);
    GpGraphics* g;
    GdipCreateFromHDC(c.dc(), &g);
    GdipSetSmoothingMode(g, mode);
    GpPen* pen;
    GdipCreatePen1(0xFF000000, 1, UnitPixel, &pen);
    GdipDrawLineI(g, pen, 0, 0, 29, 11);
    int grey = 0;
    for (int y = 0; y < 30; ++y)
      for (int x = 0; x < 30; ++x) {
        COLORREF p = c.at(x, y);
        grey += p != RGB(0, 0, 0) && p != RGB(255, 255, 255);
      }
    if (mode == SmoothingModeHighSpeed) {
      EXPECT_EQ(grey, 0);
    } else {
      EXPECT_GT(grey, 0);
    }
    GdipDeletePen(pen);
    GdipDeleteGraphics(g);
  }
}

TEST_F(Plus, VerticalGradientsStartAtTheFirstColourAndTile) {
  Canvas c(10, 60);
  GpGraphics* g;
  GdipCreateFromHDC(c.dc(), &g);
  GpRect rect{0, 0, 10, 20};
  GpLineGradient* brush;
  ASSERT_EQ(GdipCreateLineBrushFromRectI(&rect, 0xFFA9BED3, 0xFFD9EAF6, LinearGradientModeVertical, WrapModeTile,
                                         &brush),
            Ok);
  GdipFillRectangleI(g, brush, 0, 0, 10, 40);
  EXPECT_EQ(c.at(5, 0), RGB(0xA9, 0xBE, 0xD3));
  COLORREF last = c.at(5, 19);
  EXPECT_NEAR(GetRValue(last), 0xD9, 3);
  EXPECT_NEAR(GetBValue(last), 0xF6, 3);
  EXPECT_EQ(c.at(5, 0), c.at(0, 0));  // vertical: rows are even
  EXPECT_EQ(c.at(5, 20), c.at(5, 0)); // tiled below the rectangle
  EXPECT_EQ(c.at(5, 45), RGB(255, 255, 255));
  GdipDeleteBrush(brush);
  GdipDeleteGraphics(g);
}

TEST_F(Plus, ImagesDrawPartsStretchedAndAtTheirSize) {
  testsupport::TempDir dir;
  std::string bmp = dir.path() + "/quad.bmp";
  // Four colours in two by two.
  WriteBmp(bmp, 2, 2, {RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255), RGB(255, 255, 0)});
  GpBitmap* image = nullptr;
  std::wstring wide(bmp.begin(), bmp.end());
  ASSERT_EQ(GdipCreateBitmapFromFile(wide.c_str(), &image), Ok);
  UINT w = 0, h = 0;
  GdipGetImageWidth(image, &w);
  GdipGetImageHeight(image, &h);
  EXPECT_EQ(w, 2u);
  EXPECT_EQ(h, 2u);
  Canvas c(40, 40);
  GpGraphics* g;
  GdipCreateFromHDC(c.dc(), &g);
  // The green pixel stretched to 10 x 10: its neighbours never bleed in.
  EXPECT_EQ(GdipDrawImageRectRectI(g, image, 5, 5, 10, 10, 1, 0, 1, 1, UnitPixel, nullptr, nullptr, nullptr), Ok);
  for (int y = 5; y < 15; ++y)
    for (int x = 5; x < 15; ++x) ASSERT_EQ(c.at(x, y), RGB(0, 255, 0)) << x << "," << y;
  EXPECT_EQ(c.at(15, 5), RGB(255, 255, 255));
  EXPECT_EQ(c.at(4, 5), RGB(255, 255, 255));
  EXPECT_EQ(GdipDrawImageI(g, image, 30, 30), Ok);
  EXPECT_EQ(c.at(30, 30), RGB(255, 0, 0));
  EXPECT_EQ(c.at(31, 31), RGB(255, 255, 0));
  EXPECT_EQ(c.at(32, 32), RGB(255, 255, 255));
  GdipDisposeImage(image);

  // A file that cannot be read gives no image, which measures 0 x 0 and
  // draws nothing; backslashes in the path are fine.
  std::wstring missing = std::wstring(wide.begin(), wide.end() - 8) + L"\\none.png";
  GpBitmap* none = reinterpret_cast<GpBitmap*>(1);
  EXPECT_EQ(GdipCreateBitmapFromFile(missing.c_str(), &none), FileNotFound);
  EXPECT_EQ(none, nullptr);
  w = 7;
  GdipGetImageWidth(none, &w);
  EXPECT_EQ(w, 0u);
  EXPECT_NE(GdipDrawImageI(g, none, 0, 0), Ok);
  std::string junk = dir.path() + "/junk.png";
  testsupport::WriteFile(junk, "not an image");
  std::wstring junkWide(junk.begin(), junk.end());
  EXPECT_EQ(GdipCreateBitmapFromFile(junkWide.c_str(), &none), UnknownImageFormat);
  // The shipped skin art: PNG with its pixel size.
  std::string strip = std::string(LANSCOUT_SOURCE_DIR) + "/resources/picture/ButtonMax.png";
  std::wstring stripWide(strip.begin(), strip.end());
  ASSERT_EQ(GdipCreateBitmapFromFile(stripWide.c_str(), &image), Ok);
  GdipGetImageWidth(image, &w);
  GdipGetImageHeight(image, &h);
  EXPECT_EQ(w, 316u);
  EXPECT_EQ(h, 23u);
  GdipDisposeImage(image);
  GdipDeleteGraphics(g);
}

struct Text {
  GpGraphics* g = nullptr;
  GpFont* font = nullptr;
  GpFontFamily* family = nullptr;
  Text(HDC dc, const wchar_t* face, REAL size) {
    GdipCreateFromHDC(dc, &g);
    GdipCreateFontFamilyFromName(face, nullptr, &family);
    GdipCreateFont(family, size, FontStyleRegular, UnitPixel, &font);
  }
  ~Text() {
    GdipDeleteFont(font);
    GdipDeleteFontFamily(family);
    GdipDeleteGraphics(g);
  }
  RectF Measure(const wchar_t* s, RectF layout, GpStringFormat* format = nullptr, INT* lines = nullptr) {
    RectF box{};
    GdipMeasureString(g, s, -1, font, &layout, format, &box, nullptr, lines);
    return box;
  }
};

TEST_F(Plus, EveryFaceTheLayoutsNameDrawsAndAnUnknownOneDoesNot) {
  const wchar_t* faces[] = {L"Tahoma", L"宋体", L"Arial", L"MS Mincho", L"courier New", L"Dotum"};
  for (const wchar_t* face : faces) {
    SCOPED_TRACE(testing::Message() << static_cast<int>(face[0]));
    Canvas c(200, 40);
    Text t(c.dc(), face, 14);
    ASSERT_NE(t.font, nullptr);
    GpSolidFill* black;
    GdipCreateSolidFill(0xFF000000, &black);
    RectF layout{2, 2, 0, 0};
    EXPECT_EQ(GdipDrawString(t.g, L"Host 设备 Name", -1, t.font, &layout, nullptr, black), Ok);
    EXPECT_GT(c.Ink(), 40);
    GdipDeleteBrush(black);
  }
  GpFontFamily* family = reinterpret_cast<GpFontFamily*>(1);
  EXPECT_EQ(GdipCreateFontFamilyFromName(L"No Such Face Anywhere", nullptr, &family), FontFamilyNotFound);
  EXPECT_EQ(family, nullptr);
  GpFont* font = reinterpret_cast<GpFont*>(1);
  EXPECT_EQ(GdipCreateFont(family, 12, 0, UnitPixel, &font), InvalidParameter);
  EXPECT_EQ(font, nullptr);
  Canvas c(50, 20);
  GpGraphics* g;
  GdipCreateFromHDC(c.dc(), &g);
  RectF layout{0, 0, 0, 0}, box{9, 9, 9, 9};
  EXPECT_NE(GdipMeasureString(g, L"x", -1, font, &layout, nullptr, &box, nullptr, nullptr), Ok);
  EXPECT_EQ(box.Width, 0);
  EXPECT_EQ(box.Height, 0);
  GdipDeleteGraphics(g);
}

TEST_F(Plus, TextIsMeasuredAndWrappedAtTheLayoutWidth) {
  Canvas c(300, 200);
  Text t(c.dc(), L"Tahoma", 12);
  const wchar_t* sentence = L"Searching new devices, please wait while the list fills";
  RectF one = t.Measure(sentence, RectF{0, 0, 0, 0});
  RectF word = t.Measure(L"Searching", RectF{0, 0, 0, 0});
  REAL lineHeight = 0;
  GdipGetFontHeight(t.font, t.g, &lineHeight);
  EXPECT_GT(one.Width, word.Width * 3);
  EXPECT_NEAR(one.Height, lineHeight, 1);
  EXPECT_NEAR(word.Height, one.Height, 0.01);
  // Wrapped at 120 pixels: no wider, and several lines.
  INT lines = 0;
  RectF wrapped = t.Measure(sentence, RectF{15, 1, 120, 0}, nullptr, &lines);
  EXPECT_LE(wrapped.Width, 120);
  EXPECT_GE(lines, 3);
  EXPECT_NEAR(wrapped.Height, lines * one.Height, 1.5);
  EXPECT_EQ(wrapped.X, 15);
  EXPECT_EQ(wrapped.Y, 1);
  // Drawn, the ink stays inside the layout width.
  GpSolidFill* black;
  GdipCreateSolidFill(0xFF000000, &black);
  RectF box = wrapped;
  GdipDrawString(t.g, sentence, -1, t.font, &box, nullptr, black);
  EXPECT_LE(c.InkRight(), 15 + 120);
  EXPECT_GT(c.InkRight(), 15 + 60);
  GdipDeleteBrush(black);
}

TEST_F(Plus, FormatsAlignAndTrimWithAnEllipsisAtAWord) {
  Canvas c(300, 100);
  Text t(c.dc(), L"Arial", 12);
  GpStringFormat* centred;
  GdipCreateStringFormat(0, 0, &centred);
  GdipSetStringFormatAlign(centred, StringAlignmentCenter);
  GdipSetStringFormatLineAlign(centred, StringAlignmentCenter);
  RectF plain = t.Measure(L"Log In", RectF{0, 0, 0, 0});
  RectF box = t.Measure(L"Log In", RectF{0, 0, 100, 30}, centred);
  EXPECT_NEAR(box.X, (100 - plain.Width) / 2, 1);
  EXPECT_NEAR(box.Y, (30 - plain.Height) / 2, 1);

  GpStringFormat* trimmed;
  GdipCreateStringFormat(0, 0, &trimmed);
  GdipSetStringFormatLineAlign(trimmed, StringAlignmentCenter);
  GdipSetStringFormatTrimming(trimmed, StringTrimmingEllipsisWord);
  const wchar_t* cell = L"a rather long host name that does not fit";
  INT lines = 0, fitted = 0;
  RectF layout{0, 0, 90, 16}, trimmedBox{};
  GdipMeasureString(t.g, cell, -1, t.font, &layout, trimmed, &trimmedBox, &fitted, &lines);
  EXPECT_EQ(lines, 1);
  EXPECT_LE(trimmedBox.Width, 90);
  EXPECT_GT(fitted, 0);
  EXPECT_LT(fitted, static_cast<INT>(wcslen(cell)));
  EXPECT_EQ(cell[fitted], L' ');  // cut at the end of a word
  GdipDeleteStringFormat(centred);
  GdipDeleteStringFormat(trimmed);
}

// ---- regions and shapes -------------------------------------------------------------

using Regions = UiTest;

TEST_F(Regions, XorAndRoundedRegionsContainTheRightPoints) {
  // The borderless dialog's cut: runs of 5, 3, 2 and 1 pixels XORed out of
  // the client rectangle at both top corners.
  HRGN region = CreateRectRgn(0, 0, 328, 245);
  int runs[] = {5, 3, 2, 1};
  for (int y = 0; y < 4; ++y) {
    HRGN left = CreateRectRgn(0, y, runs[y], y + 1);
    HRGN right = CreateRectRgn(328 - runs[y], y, 328, y + 1);
    EXPECT_EQ(CombineRgn(region, region, left, RGN_XOR), COMPLEXREGION);
    CombineRgn(region, region, right, RGN_XOR);
    DeleteObject(left);
    DeleteObject(right);
  }
  struct Point {
    int x, y;
    bool in;
  } xorPoints[] = {{0, 0, false}, {4, 0, false}, {5, 0, true},   {2, 1, false}, {3, 1, true},  {0, 3, false},
                   {1, 3, true},  {0, 4, true},  {327, 0, false}, {323, 0, false}, {322, 0, true}, {327, 4, true},
                   {164, 0, true}, {327, 244, true}, {328, 10, false}};
  for (const Point& p : xorPoints) EXPECT_EQ(PtInRegion(region, p.x, p.y) != 0, p.in) << p.x << "," << p.y;
  // XOR twice gives back the rectangle.
  HRGN again = CreateRectRgn(0, 0, 5, 1);
  CombineRgn(region, region, again, RGN_XOR);
  EXPECT_TRUE(PtInRegion(region, 0, 0));
  DeleteObject(again);
  DeleteObject(region);

  HRGN round = CreateRoundRectRgn(0, 0, 101, 51, 20, 20);
  Point roundPoints[] = {{0, 0, false},  {2, 2, false},  {10, 0, true},  {0, 10, true},  {50, 25, true},
                         {99, 49, false}, {99, 25, true}, {100, 25, false}, {50, 50, false}, {97, 47, false},
                         {90, 49, true}};
  for (const Point& p : roundPoints) EXPECT_EQ(PtInRegion(round, p.x, p.y) != 0, p.in) << p.x << "," << p.y;
  RECT box;
  EXPECT_EQ(GetRgnBox(round, &box), COMPLEXREGION);
  EXPECT_EQ(box.right, 100);
  EXPECT_EQ(box.bottom, 50);
  DeleteObject(round);
}

class CColored : public CWnd {
 public:
  explicit CColored(COLORREF c) : color_(c) {}
  std::vector<std::string>* log = nullptr;

 protected:
  BOOL OnEraseBkgnd(CDC*) override { return TRUE; }
  void OnPaint() override {
    CPaintDC dc(this);
    CRect r;
    GetClientRect(&r);
    dc.FillSolidRect(&r, color_);
  }
  void OnLButtonDown(UINT f, CPoint p) override {
    if (log) log->push_back("down");
    CWnd::OnLButtonDown(f, p);
  }

 private:
  COLORREF color_;
};

TEST_F(Regions, TheShapeDecidesWhatIsDrawnAndWhatGetsTheMouse) {
  CColored top(RGB(0, 0, 200));
  Top(top, 0, 0, 100, 60);
  std::vector<std::string> topLog, childLog;
  top.log = &topLog;
  CColored child(RGB(0, 200, 0));
  child.log = &childLog;
  Child(child, top, 1, RECT{50, 10, 90, 50});
  // The child is a round button; the top-level window has its top-left
  // corner cut.
  child.SetWindowRgn(CreateRoundRectRgn(0, 0, 41, 41, 40, 40), TRUE);
  HRGN shape = CreateRectRgn(0, 0, 100, 60);
  HRGN corner = CreateRectRgn(0, 0, 6, 6);
  CombineRgn(shape, shape, corner, RGN_XOR);
  DeleteObject(corner);
  top.SetWindowRgn(shape, TRUE);
  hl::Pump();
  EXPECT_TRUE(hl::StateOf(top).shaped);
  EXPECT_EQ(hl::ScreenPixel(top, 2, 2), CLR_INVALID);  // cut away
  EXPECT_EQ(hl::ScreenPixel(top, 10, 10), RGB(0, 0, 200));
  EXPECT_EQ(hl::ScreenPixel(child, 20, 20), RGB(0, 200, 0));
  EXPECT_EQ(hl::ScreenPixel(child, 1, 1), RGB(0, 0, 200));  // outside the round child: the parent shows
  hl::Click(child, 1, 1);
  hl::Click(child, 20, 20);
  hl::Click(top, 2, 2);  // nobody: outside the window's shape
  hl::Pump();
  EXPECT_EQ(topLog.size(), 1u);
  EXPECT_EQ(childLog.size(), 1u);

  // The PNG shows the same: transparent where the shape cuts.
  testsupport::TempDir dir;
  std::string png = dir.path() + "/shaped.png";
  ASSERT_TRUE(hl::SavePng(top, png));
  std::wstring wide(png.begin(), png.end());
  GpBitmap* image = nullptr;
  ASSERT_EQ(GdipCreateBitmapFromFile(wide.c_str(), &image), Ok);
  ARGB px = 0;
  GdipBitmapGetPixel(image, 2, 2, &px);
  EXPECT_EQ(px >> 24, 0u);
  GdipBitmapGetPixel(image, 70, 30, &px);
  EXPECT_EQ(px, 0xFF00C800u);
  GdipDisposeImage(image);
}

}  // namespace
