// Checks the byte form of the files under resources/ that the executable embeds:
// image sizes from the PNG and BMP headers, the key-coloured corners of the
// window-shape bitmap, and the encoding and line ends of the layout files.

#include <cairo.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

const fs::path kResources = fs::path(LANSCOUT_SOURCE_DIR) / "resources";

std::vector<uint8_t> ReadFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

uint32_t Be32(const std::vector<uint8_t>& b, size_t at)
{
    return uint32_t(b[at]) << 24 | uint32_t(b[at + 1]) << 16 | uint32_t(b[at + 2]) << 8 | b[at + 3];
}
uint32_t Le16(const std::vector<uint8_t>& b, size_t at) { return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8; }
uint32_t Le32(const std::vector<uint8_t>& b, size_t at) { return Le16(b, at) | Le16(b, at + 2) << 16; }

// ------------------------------------------------------------------ resources.list

TEST(ResourceList, EveryListedFileExists)
{
    std::ifstream list(kResources / "resources.list");
    ASSERT_TRUE(list) << "resources.list missing";
    std::string line;
    int entries = 0;
    while (std::getline(list, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream fields(line);
        std::string type, id, path;
        ASSERT_TRUE(fields >> type >> id >> path) << "bad line: " << line;
        EXPECT_TRUE(fs::is_regular_file(kResources / path)) << path;
        ++entries;
    }
    EXPECT_EQ(entries, 13 + 8 + 1);  // layouts, skin images, icon
}

// ------------------------------------------------------------------ images

struct ImageCase {
    const char* path;
    uint32_t width, height;
    int png_color_type;  // -1: BMP; 2: RGB; 6: RGBA; 0: any PNG colour type
};

const ImageCase kImages[] = {
    {"picture/SearchDevice_BlackGround.bmp", 328, 245, -1},
    {"picture/SearchDevice_BlackGround.png", 328, 245, 0},
    {"picture/Brush.png", 224, 14, 6},
    {"picture/logo.png", 16, 16, 6},
    {"picture/headerbackground.png", 249, 17, 0},
    {"picture/headerclip.png", 1, 12, 0},
    {"picture/close.png", 44, 11, 6},  // four 11 x 11 states
    {"picture/ButtonMax.png", 316, 23, 6},  // four 79 x 23 states
    {"icon/lanscout.png", 48, 48, 6},
};

void PrintTo(const ImageCase& c, std::ostream* os) { *os << c.path; }

class ImageSize : public ::testing::TestWithParam<ImageCase> {};

TEST_P(ImageSize, HeaderGivesTheExpectedSize)
{
    const ImageCase& c = GetParam();
    const std::vector<uint8_t> b = ReadFile(kResources / c.path);
    if (c.png_color_type < 0) {
        // BITMAPFILEHEADER + BITMAPINFOHEADER, 24 bpp, uncompressed, bottom-up.
        ASSERT_GE(b.size(), 54u);
        EXPECT_EQ(b[0], 'B');
        EXPECT_EQ(b[1], 'M');
        EXPECT_EQ(Le32(b, 2), b.size()) << "file size field";
        EXPECT_EQ(Le32(b, 14), 40u) << "info header size";
        EXPECT_EQ(Le32(b, 18), c.width);
        EXPECT_EQ(Le32(b, 22), c.height) << "a positive height: rows bottom-up";
        EXPECT_EQ(Le16(b, 26), 1u) << "planes";
        EXPECT_EQ(Le16(b, 28), 24u) << "bits per pixel";
        EXPECT_EQ(Le32(b, 30), 0u) << "compression";
        const uint32_t row = (c.width * 3 + 3) & ~3u;
        EXPECT_GE(b.size(), Le32(b, 10) + size_t(row) * c.height) << "pixel data truncated";
        return;
    }
    static const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    ASSERT_GE(b.size(), 33u);
    ASSERT_TRUE(std::equal(kSignature, kSignature + 8, b.begin())) << "not a PNG";
    ASSERT_EQ(std::string(b.begin() + 12, b.begin() + 16), "IHDR");
    EXPECT_EQ(Be32(b, 16), c.width);
    EXPECT_EQ(Be32(b, 20), c.height);
    EXPECT_EQ(b[24], 8) << "bit depth";
    if (c.png_color_type > 0) {
        EXPECT_EQ(b[25], c.png_color_type) << "colour type";
    }
}

INSTANTIATE_TEST_SUITE_P(Skin, ImageSize, ::testing::ValuesIn(kImages), [](const auto& param_info) {
    std::string name = fs::path(param_info.param.path).filename().string();
    for (char& ch : name)
        if (!std::isalnum(static_cast<unsigned char>(ch)))
            ch = '_';
    return name;
});

// The window shape is cut from the background bitmap: in rows 0 to 34 every pixel
// of exactly RGB 210,10,10 is outside the window. Only the runs that round the two
// top corners may have it.
TEST(WindowShapeBitmap, KeyColourOnlyInTheCornerRuns)
{
    const std::vector<uint8_t> b = ReadFile(kResources / "picture/SearchDevice_BlackGround.bmp");
    ASSERT_GE(b.size(), 54u);
    const uint32_t w = Le32(b, 18), h = Le32(b, 22), offset = Le32(b, 10);
    ASSERT_EQ(Le16(b, 28), 24u);
    const uint32_t row_bytes = (w * 3 + 3) & ~3u;
    ASSERT_GE(b.size(), offset + size_t(row_bytes) * h);
    const uint32_t runs[4] = {5, 3, 2, 1};
    for (uint32_t y = 0; y < 35; ++y) {
        const size_t row = offset + size_t(row_bytes) * (h - 1 - y);  // bottom-up
        for (uint32_t x = 0; x < w; ++x) {
            const uint8_t* p = &b[row + 3 * x];  // blue, green, red
            const bool key = p[2] == 210 && p[1] == 10 && p[0] == 10;
            const uint32_t run = y < 4 ? runs[y] : 0;
            const bool in_run = x < run || x >= w - run;
            EXPECT_EQ(key, in_run) << "pixel " << x << "," << y;
        }
    }
}

// The dialog paints the PNG and the shape comes from the BMP: both must be the
// same picture, or the cut corners and the painted outline drift apart. Only
// the key-coloured corner runs differ: the PNG has no key colour at all, since
// part of the runs stays on screen under the final rounded shape.
TEST(WindowShapeBitmap, SamePictureAsTheBackgroundPng)
{
    const std::vector<uint8_t> b = ReadFile(kResources / "picture/SearchDevice_BlackGround.bmp");
    ASSERT_GE(b.size(), 54u);
    const uint32_t w = Le32(b, 18), h = Le32(b, 22), offset = Le32(b, 10);
    const uint32_t row_bytes = (w * 3 + 3) & ~3u;
    ASSERT_GE(b.size(), offset + size_t(row_bytes) * h);

    const std::string png = (kResources / "picture/SearchDevice_BlackGround.png").string();
    cairo_surface_t* s = cairo_image_surface_create_from_png(png.c_str());
    ASSERT_EQ(cairo_surface_status(s), CAIRO_STATUS_SUCCESS);
    ASSERT_EQ(uint32_t(cairo_image_surface_get_width(s)), w);
    ASSERT_EQ(uint32_t(cairo_image_surface_get_height(s)), h);
    const unsigned char* data = cairo_image_surface_get_data(s);
    const int stride = cairo_image_surface_get_stride(s);
    int differing = 0;
    for (uint32_t y = 0; y < h; ++y) {
        const uint32_t* png_row = reinterpret_cast<const uint32_t*>(data + y * stride);
        const size_t bmp_row = offset + size_t(row_bytes) * (h - 1 - y);
        for (uint32_t x = 0; x < w; ++x) {
            const uint32_t px = png_row[x];
            EXPECT_EQ(px >> 24, 0xFFu) << "background must be opaque at " << x << "," << y;
            const uint8_t* p = &b[bmp_row + 3 * x];
            const bool key_in_bmp = p[2] == 210 && p[1] == 10 && p[0] == 10;
            const bool key_in_png = (px & 0xFFFFFFu) == 0xD20A0Au;
            EXPECT_FALSE(key_in_png) << "key colour in the painted background at " << x << "," << y;
            if (key_in_bmp)
                continue;
            if (((px >> 16) & 0xFF) != p[2] || ((px >> 8) & 0xFF) != p[1] || (px & 0xFF) != p[0])
                ++differing;
        }
    }
    cairo_surface_destroy(s);
    EXPECT_EQ(differing, 0);
}

// ------------------------------------------------------------------ layouts

struct LayoutCase {
    const char* file;
    bool bom;
};

const LayoutCase kLayouts[] = {
    {"149-zh-Hans.xml", true}, {"150-en.xml", true}, {"151-zh-Hant.xml", true},
    {"159-ja.xml", true},      {"160-de.xml", true}, {"161-fr.xml", true},
    {"162-ru.xml", true},      {"163-ko.xml", true}, {"164-pt.xml", true},
    {"165-es.xml", true},      {"166-it.xml", true}, {"169-nl.xml", true},
    {"175-pl.xml", false},  // the one layout without a byte-order mark
};

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool IsUtf8(const std::vector<uint8_t>& b, size_t from)
{
    for (size_t i = from; i < b.size();) {
        const uint8_t c = b[i];
        size_t n;
        uint32_t cp;
        if (c < 0x80) {
            ++i;
            continue;
        } else if ((c & 0xE0) == 0xC0) {
            n = 1, cp = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            n = 2, cp = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            n = 3, cp = c & 0x07;
        } else {
            return false;
        }
        for (size_t k = 1; k <= n; ++k) {
            if (i + k >= b.size() || (b[i + k] & 0xC0) != 0x80)
                return false;
            cp = cp << 6 | (b[i + k] & 0x3F);
        }
        static const uint32_t kMin[4] = {0, 0x80, 0x800, 0x10000};
        if (cp < kMin[n] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += n + 1;
    }
    return true;
}

void PrintTo(const LayoutCase& c, std::ostream* os) { *os << c.file; }

class LayoutFile : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(LayoutFile, ByteForm)
{
    const LayoutCase& c = GetParam();
    const std::vector<uint8_t> b = ReadFile(kResources / "layouts" / c.file);
    ASSERT_FALSE(b.empty()) << c.file;

    const bool has_bom = b.size() >= 3 && b[0] == 0xEF && b[1] == 0xBB && b[2] == 0xBF;
    EXPECT_EQ(has_bom, c.bom);
    const size_t start = has_bom ? 3 : 0;

    const std::string declaration = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n";
    EXPECT_EQ(std::string(b.begin() + start, b.begin() + std::min(b.size(), start + declaration.size())),
              declaration);

    EXPECT_TRUE(IsUtf8(b, start));

    // CR LF only: no LF without a CR before it, no CR without an LF after it.
    int lines = 0;
    for (size_t i = 0; i < b.size(); ++i) {
        if (b[i] == '\n') {
            EXPECT_TRUE(i > 0 && b[i - 1] == '\r') << "lone LF at byte " << i;
            ++lines;
        } else if (b[i] == '\r') {
            EXPECT_TRUE(i + 1 < b.size() && b[i + 1] == '\n') << "lone CR at byte " << i;
        }
    }
    EXPECT_GT(lines, 10);
    EXPECT_EQ(b.back(), '\n') << "last line ends with CR LF";
}

INSTANTIATE_TEST_SUITE_P(Layouts, LayoutFile, ::testing::ValuesIn(kLayouts), [](const auto& param_info) {
    std::string name = param_info.param.file;
    for (char& ch : name)
        if (!std::isalnum(static_cast<unsigned char>(ch)))
            ch = '_';
    return name;
});

}  // namespace
