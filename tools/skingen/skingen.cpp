// lanscout-skingen: draws Lanscout's skin images and application icon.
//
//   lanscout-skingen <resources folder>
//
// writes <folder>/picture/{SearchDevice_BlackGround.bmp, SearchDevice_BlackGround.png,
// Brush.png, logo.png, headerbackground.png, headerclip.png, close.png, ButtonMax.png}
// and <folder>/icon/lanscout.png. Everything is drawn from geometry and colours in
// this file (no fonts, no input files), so the output is the same bytes on every run.
//
// Where the pieces go in the 328 x 245 main window (positions of the layout files):
//   title band          y 0..29, drag area is the top 28 rows
//   logo                7,7 16x16          title text  30,4 (21 px, light)
//   close button        300,10 11x11       caption     15,32 (text at +13,+2)
//   device list         10,50 - 318,191 (the list draws a 1-px frame in 126,157,185)
//   search notice       10,194, Brush.png drawn at natural size, text at +15,+1
//   buttons             18/127/228, 210, 79x23 each, text 244,245,247 at 6 px from the top
// The window's top corners are cut away by key-coloured runs (RGB 210,10,10) in
// rows 0..3 of the background bitmap; the window shape is made from them.

#include <cairo.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

// ---------------------------------------------------------------- palette

struct Rgb {
    double r, g, b;
};

constexpr Rgb rgb(int r, int g, int b) { return Rgb{r / 255.0, g / 255.0, b / 255.0}; }

// Window
const Rgb kEdge = rgb(7, 24, 43);             // outermost ring of the window
const Rgb kTitleTop = rgb(50, 106, 160);      // title band gradient
const Rgb kTitleBottom = rgb(28, 70, 115);
const Rgb kTitleRule = rgb(11, 36, 62);       // dark line under the title band
const Rgb kBodyTop = rgb(24, 62, 101);        // body gradient
const Rgb kBodyBottom = rgb(13, 38, 66);
const Rgb kPanel = rgb(246, 249, 252);        // light panel under the device list
const Rgb kPanelFrame = rgb(126, 157, 185);   // the list's own frame colour
const Rgb kAccent = rgb(110, 190, 245);       // small glyphs (caption bullet, notice)

// Buttons: face gradient top/bottom and frame, per state
struct ButtonLook {
    Rgb top, bottom, frame;
    double highlight;  // strength of the inner top highlight
    double gloss;      // strength of the gloss over the upper half
    bool sunken;       // inner shadow at the top instead of a highlight
};
const ButtonLook kButtonNormal{rgb(66, 126, 184), rgb(36, 86, 138), rgb(9, 33, 58), 0.40, 0.10, false};
const ButtonLook kButtonHover{rgb(82, 146, 206), rgb(44, 102, 160), rgb(16, 50, 86), 0.55, 0.14, false};
const ButtonLook kButtonPressed{rgb(26, 66, 108), rgb(40, 88, 138), rgb(5, 22, 40), 0.0, 0.0, true};
const ButtonLook kButtonDisabled{rgb(96, 107, 119), rgb(80, 90, 101), rgb(50, 58, 67), 0.14, 0.0, false};

// Key colour of the window shape, and the runs cut from the top corners.
constexpr uint8_t kKeyR = 210, kKeyG = 10, kKeyB = 10;
constexpr int kCornerRuns[4] = {5, 3, 2, 1};
constexpr int kShapeRows = 35;  // rows scanned for the key colour by the window

constexpr int kWindowW = 328, kWindowH = 245;
constexpr int kListX = 10, kListY = 50, kListW = 308, kListH = 141;

// ---------------------------------------------------------------- helpers

void set_rgb(cairo_t* cr, const Rgb& c, double a = 1.0) { cairo_set_source_rgba(cr, c.r, c.g, c.b, a); }

Rgb mix(const Rgb& a, const Rgb& b, double t)
{
    return Rgb{a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

void rounded_rect(cairo_t* cr, double x, double y, double w, double h, double r)
{
    const double d = M_PI / 180.0;
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - r, y + r, r, -90 * d, 0);
    cairo_arc(cr, x + w - r, y + h - r, r, 0, 90 * d);
    cairo_arc(cr, x + r, y + h - r, r, 90 * d, 180 * d);
    cairo_arc(cr, x + r, y + r, r, 180 * d, 270 * d);
    cairo_close_path(cr);
}

void fill_vgradient(cairo_t* cr, double y0, double y1, const Rgb& top, const Rgb& bottom, double alpha = 1.0)
{
    cairo_pattern_t* p = cairo_pattern_create_linear(0, y0, 0, y1);
    cairo_pattern_add_color_stop_rgba(p, 0, top.r, top.g, top.b, alpha);
    cairo_pattern_add_color_stop_rgba(p, 1, bottom.r, bottom.g, bottom.b, alpha);
    cairo_set_source(cr, p);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
}

void fill_rect(cairo_t* cr, double x, double y, double w, double h, const Rgb& c, double a = 1.0)
{
    cairo_rectangle(cr, x, y, w, h);
    set_rgb(cr, c, a);
    cairo_fill(cr);
}

cairo_surface_t* new_surface(cairo_format_t format, int w, int h)
{
    cairo_surface_t* s = cairo_image_surface_create(format, w, h);
    cairo_t* cr = cairo_create(s);
    cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
    cairo_paint(cr);
    cairo_destroy(cr);
    return s;
}

bool make_dir(const std::string& path)
{
    if (mkdir(path.c_str(), 0755) == 0 || errno == EEXIST)
        return true;
    std::fprintf(stderr, "lanscout-skingen: cannot create %s: %s\n", path.c_str(), std::strerror(errno));
    return false;
}

bool write_png(cairo_surface_t* s, const std::string& path)
{
    cairo_surface_flush(s);
    if (cairo_surface_write_to_png(s, path.c_str()) != CAIRO_STATUS_SUCCESS) {
        std::fprintf(stderr, "lanscout-skingen: cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

void put_le16(std::vector<uint8_t>& out, uint32_t v)
{
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}

void put_le32(std::vector<uint8_t>& out, uint32_t v)
{
    put_le16(out, v & 0xFFFF);
    put_le16(out, v >> 16);
}

// Uncompressed 24-bit BMP: file header, 40-byte info header, bottom-up rows of
// blue, green, red bytes, each row padded to a multiple of four bytes.
bool write_bmp24(cairo_surface_t* s, const std::string& path)
{
    cairo_surface_flush(s);
    const int w = cairo_image_surface_get_width(s);
    const int h = cairo_image_surface_get_height(s);
    const int stride = cairo_image_surface_get_stride(s);
    const unsigned char* data = cairo_image_surface_get_data(s);
    const uint32_t row_bytes = (uint32_t(w) * 3 + 3) & ~3u;
    const uint32_t image_bytes = row_bytes * uint32_t(h);
    const uint32_t header_bytes = 14 + 40;

    std::vector<uint8_t> out;
    out.reserve(header_bytes + image_bytes);
    out.push_back('B');
    out.push_back('M');
    put_le32(out, header_bytes + image_bytes);  // file size
    put_le32(out, 0);                           // two reserved words
    put_le32(out, header_bytes);                // offset of the pixels
    put_le32(out, 40);                          // info header size
    put_le32(out, uint32_t(w));
    put_le32(out, uint32_t(h));                 // positive: rows stored bottom-up
    put_le16(out, 1);                           // planes
    put_le16(out, 24);                          // bits per pixel
    put_le32(out, 0);                           // no compression
    put_le32(out, image_bytes);
    put_le32(out, 2835);                        // 72 dpi, in pixels per metre
    put_le32(out, 2835);
    put_le32(out, 0);                           // colours used
    put_le32(out, 0);                           // important colours
    for (int y = h - 1; y >= 0; --y) {
        const uint32_t* row = reinterpret_cast<const uint32_t*>(data + y * stride);
        for (int x = 0; x < w; ++x) {
            out.push_back(uint8_t(row[x]));        // blue
            out.push_back(uint8_t(row[x] >> 8));   // green
            out.push_back(uint8_t(row[x] >> 16));  // red
        }
        for (uint32_t pad = uint32_t(w) * 3; pad < row_bytes; ++pad)
            out.push_back(0);
    }

    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) {
        std::fprintf(stderr, "lanscout-skingen: cannot write %s: %s\n", path.c_str(), std::strerror(errno));
        return false;
    }
    const bool ok = std::fwrite(out.data(), 1, out.size(), f) == out.size();
    return std::fclose(f) == 0 && ok;
}

// ---------------------------------------------------------------- window background

// True for the pixels that belong to the window: everything but the key-coloured
// runs of the top corners. The bottom corners lose one pixel each way too (the
// window's rounded region cuts them), so the outline is drawn round there as well.
bool inside_window(int x, int y)
{
    if (x < 0 || y < 0 || x >= kWindowW || y >= kWindowH)
        return false;
    const int mx = std::min(x, kWindowW - 1 - x);
    if (y < 4)
        return mx >= kCornerRuns[y];
    const int from_bottom = kWindowH - 1 - y;
    if (from_bottom == 0)
        return mx >= 2;
    if (from_bottom == 1)
        return mx >= 1;
    return true;
}

// Distance in pixel rings from the outline: 1 for pixels touching the outside
// (8-neighbourhood), 2 for the next ring, 3 for anything deeper.
int outline_ring(int x, int y)
{
    for (int ring = 1; ring <= 2; ++ring)
        for (int dy = -ring; dy <= ring; ++dy)
            for (int dx = -ring; dx <= ring; ++dx)
                if (!inside_window(x + dx, y + dy))
                    return ring;
    return 3;
}

uint32_t pack(const Rgb& c)
{
    auto ch = [](double v) { return uint32_t(std::lround(std::clamp(v, 0.0, 1.0) * 255.0)); };
    return 0xFF000000u | (ch(c.r) << 16) | (ch(c.g) << 8) | ch(c.b);
}

Rgb unpack(uint32_t p) { return rgb(int((p >> 16) & 0xFF), int((p >> 8) & 0xFF), int(p & 0xFF)); }

// Small list bullet in front of the "Device List" caption (the caption's text
// starts 13 px into its control at 15,32).
void draw_caption_bullet(cairo_t* cr)
{
    const double x = 16, y = 35;
    rounded_rect(cr, x + 0.5, y + 0.5, 9, 9, 1.5);
    fill_vgradient(cr, y, y + 10, rgb(112, 182, 236), rgb(52, 122, 190));
    rounded_rect(cr, x + 0.5, y + 0.5, 9, 9, 1.5);
    set_rgb(cr, rgb(8, 30, 54), 0.8);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
    // three rows of a list
    for (int i = 0; i < 3; ++i) {
        fill_rect(cr, x + 2, y + 2 + 2 * i, 1, 1, rgb(255, 255, 255), 0.95);
        fill_rect(cr, x + 4, y + 2 + 2 * i, 4, 1, rgb(255, 255, 255), 0.85);
    }
}

cairo_surface_t* draw_background()
{
    cairo_surface_t* s = new_surface(CAIRO_FORMAT_RGB24, kWindowW, kWindowH);
    cairo_t* cr = cairo_create(s);

    // Title band with a soft gloss on its upper half.
    const int band = 30;  // rows 0..29; the dark rule follows at row 30
    cairo_rectangle(cr, 0, 0, kWindowW, band);
    fill_vgradient(cr, 0, band, kTitleTop, kTitleBottom);
    cairo_rectangle(cr, 0, 0, kWindowW, 14);
    cairo_pattern_t* gloss = cairo_pattern_create_linear(0, 0, 0, 14);
    cairo_pattern_add_color_stop_rgba(gloss, 0, 1, 1, 1, 0.10);
    cairo_pattern_add_color_stop_rgba(gloss, 1, 1, 1, 1, 0.02);
    cairo_set_source(cr, gloss);
    cairo_fill(cr);
    cairo_pattern_destroy(gloss);
    fill_rect(cr, 0, band, kWindowW, 1, kTitleRule);
    fill_rect(cr, 0, band + 1, kWindowW, 1, rgb(70, 120, 170), 0.55);

    // Body.
    cairo_rectangle(cr, 0, band + 2, kWindowW, kWindowH - band - 2);
    fill_vgradient(cr, band + 2, kWindowH, kBodyTop, kBodyBottom);

    // A faint light from the top centre of the body, so it is not a flat slab.
    cairo_save(cr);
    cairo_rectangle(cr, 0, band + 2, kWindowW, kWindowH - band - 2);
    cairo_clip(cr);
    cairo_pattern_t* glow = cairo_pattern_create_radial(kWindowW / 2.0, band, 10, kWindowW / 2.0, band, 190);
    cairo_pattern_add_color_stop_rgba(glow, 0, 0.55, 0.75, 0.95, 0.10);
    cairo_pattern_add_color_stop_rgba(glow, 1, 0.55, 0.75, 0.95, 0.0);
    cairo_set_source(cr, glow);
    cairo_paint(cr);
    cairo_pattern_destroy(glow);
    cairo_restore(cr);

    draw_caption_bullet(cr);

    // The list panel: a soft dark rim outside, the list's frame colour on its
    // outermost ring, a light clean inside.
    fill_rect(cr, kListX - 1, kListY - 1, kListW + 2, kListH + 2, rgb(4, 16, 30), 0.45);
    fill_rect(cr, kListX - 2, kListY - 2, kListW + 4, 1, rgb(4, 16, 30), 0.12);
    fill_rect(cr, kListX - 1, kListY + kListH + 1, kListW + 2, 1, rgb(120, 170, 220), 0.18);
    fill_rect(cr, kListX, kListY, kListW, kListH, kPanelFrame);
    cairo_rectangle(cr, kListX + 1, kListY + 1, kListW - 2, kListH - 2);
    fill_vgradient(cr, kListY + 1, kListY + kListH - 1, rgb(255, 255, 255), kPanel);

    cairo_destroy(cr);
    cairo_surface_flush(s);

    // Outline, key-coloured corners. Done per pixel so that the outline follows
    // the stair of the cut corners exactly.
    unsigned char* data = cairo_image_surface_get_data(s);
    const int stride = cairo_image_surface_get_stride(s);
    const uint32_t key = 0xFF000000u | (uint32_t(kKeyR) << 16) | (uint32_t(kKeyG) << 8) | kKeyB;
    for (int y = 0; y < kWindowH; ++y) {
        uint32_t* row = reinterpret_cast<uint32_t*>(data + y * stride);
        for (int x = 0; x < kWindowW; ++x) {
            if (y < 4 && !inside_window(x, y)) {
                row[x] = key;
                continue;
            }
            if (!inside_window(x, y)) {
                row[x] = pack(kEdge);  // bottom corners, cut by the rounded region
                continue;
            }
            const int ring = outline_ring(x, y);
            if (ring == 1)
                row[x] = pack(kEdge);
            else if (ring == 2)
                row[x] = pack(mix(unpack(row[x]), rgb(255, 255, 255), y < band ? 0.16 : 0.08));
        }
    }
    // The window takes every pixel of exactly the key colour in the top rows as
    // outside; make sure nothing else there has it.
    for (int y = 0; y < kShapeRows; ++y) {
        uint32_t* row = reinterpret_cast<uint32_t*>(data + y * stride);
        for (int x = 0; x < kWindowW; ++x)
            if (row[x] == key && inside_window(x, y))
                row[x] ^= 1;
    }
    cairo_surface_mark_dirty(s);
    return s;
}

// The painted background: the same picture as the shape bitmap, but the corner
// runs carry the outline colour instead of the key colour. The window's final
// shape is a rounded rectangle that cuts less of the corners than the key runs
// do, so a few of those pixels are on screen, where red would show.
cairo_surface_t* draw_background_painted()
{
    cairo_surface_t* s = draw_background();
    unsigned char* data = cairo_image_surface_get_data(s);
    const int stride = cairo_image_surface_get_stride(s);
    for (int y = 0; y < 4; ++y) {
        uint32_t* row = reinterpret_cast<uint32_t*>(data + y * stride);
        for (int x = 0; x < kWindowW; ++x)
            if (!inside_window(x, y))
                row[x] = pack(kEdge);
    }
    cairo_surface_mark_dirty(s);
    return s;
}

// ---------------------------------------------------------------- buttons

void draw_button_face(cairo_t* cr, double x0, const ButtonLook& look)
{
    const double w = 79, h = 23;
    cairo_save(cr);
    cairo_translate(cr, x0, 0);

    // Frame and face.
    rounded_rect(cr, 0, 0, w, h, 4);
    set_rgb(cr, look.frame);
    cairo_fill(cr);
    rounded_rect(cr, 1, 1, w - 2, h - 2, 3);
    fill_vgradient(cr, 1, h - 1, look.top, look.bottom);

    if (look.gloss > 0) {
        rounded_rect(cr, 1, 1, w - 2, (h - 2) / 2.0, 3);
        cairo_pattern_t* p = cairo_pattern_create_linear(0, 1, 0, h / 2.0);
        cairo_pattern_add_color_stop_rgba(p, 0, 1, 1, 1, look.gloss);
        cairo_pattern_add_color_stop_rgba(p, 1, 1, 1, 1, look.gloss * 0.3);
        cairo_set_source(cr, p);
        cairo_fill(cr);
        cairo_pattern_destroy(p);
    }
    if (look.sunken) {
        // inner shadow along the top and the left
        fill_rect(cr, 3, 1, w - 6, 1, rgb(0, 0, 0), 0.35);
        fill_rect(cr, 2, 2, w - 4, 1, rgb(0, 0, 0), 0.15);
        fill_rect(cr, 3, h - 2, w - 6, 1, rgb(120, 170, 220), 0.25);
    } else if (look.highlight > 0) {
        // 1-px light edge just inside the frame at the top, fainter down the sides
        fill_rect(cr, 3, 1, w - 6, 1, rgb(255, 255, 255), look.highlight);
        cairo_rectangle(cr, 1, 3, 1, h - 6);
        cairo_rectangle(cr, w - 2, 3, 1, h - 6);
        cairo_pattern_t* p = cairo_pattern_create_linear(0, 3, 0, h - 3);
        cairo_pattern_add_color_stop_rgba(p, 0, 1, 1, 1, look.highlight * 0.45);
        cairo_pattern_add_color_stop_rgba(p, 1, 1, 1, 1, 0.0);
        cairo_set_source(cr, p);
        cairo_fill(cr);
        cairo_pattern_destroy(p);
        fill_rect(cr, 3, h - 2, w - 6, 1, rgb(0, 0, 0), 0.18);
    }
    cairo_restore(cr);
}

cairo_surface_t* draw_buttons()
{
    cairo_surface_t* s = new_surface(CAIRO_FORMAT_ARGB32, 316, 23);
    cairo_t* cr = cairo_create(s);
    const ButtonLook* looks[4] = {&kButtonNormal, &kButtonHover, &kButtonPressed, &kButtonDisabled};
    for (int i = 0; i < 4; ++i)
        draw_button_face(cr, 79.0 * i, *looks[i]);
    cairo_destroy(cr);
    return s;
}

// ---------------------------------------------------------------- close button

// A light cross on the title band; hover and pressed put it on a small tile.
cairo_surface_t* draw_close()
{
    cairo_surface_t* s = new_surface(CAIRO_FORMAT_ARGB32, 44, 11);
    cairo_t* cr = cairo_create(s);
    struct CloseLook {
        bool tile;
        Rgb tile_top, tile_bottom, frame;
        Rgb cross;
        double cross_alpha;
    };
    const CloseLook looks[4] = {
        {false, {}, {}, {}, rgb(232, 240, 248), 0.90},
        {true, rgb(226, 96, 84), rgb(186, 52, 44), rgb(110, 24, 20), rgb(255, 255, 255), 1.0},
        {true, rgb(150, 34, 28), rgb(176, 52, 44), rgb(80, 14, 12), rgb(236, 220, 220), 1.0},
        {false, {}, {}, {}, rgb(150, 165, 180), 0.55},
    };
    for (int i = 0; i < 4; ++i) {
        const CloseLook& l = looks[i];
        cairo_save(cr);
        cairo_translate(cr, 11.0 * i, 0);
        if (l.tile) {
            rounded_rect(cr, 0, 0, 11, 11, 2.5);
            set_rgb(cr, l.frame);
            cairo_fill(cr);
            rounded_rect(cr, 1, 1, 9, 9, 1.5);
            fill_vgradient(cr, 1, 10, l.tile_top, l.tile_bottom);
        }
        cairo_set_line_width(cr, 1.6);
        cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
        cairo_move_to(cr, 3.2, 3.2);
        cairo_line_to(cr, 7.8, 7.8);
        cairo_move_to(cr, 7.8, 3.2);
        cairo_line_to(cr, 3.2, 7.8);
        set_rgb(cr, l.cross, l.cross_alpha);
        cairo_stroke(cr);
        cairo_restore(cr);
    }
    cairo_destroy(cr);
    return s;
}

// ---------------------------------------------------------------- list header

// Only (0,0)-(199,12) of this image is shown, stretched over the whole header:
// keep it uniform across, and let the columns and rows beyond that part repeat
// its last column and row so that stretching never pulls in anything else.
cairo_surface_t* draw_header_background()
{
    const int w = 249, h = 17, shown_h = 12;
    cairo_surface_t* s = new_surface(CAIRO_FORMAT_ARGB32, w, h);
    cairo_t* cr = cairo_create(s);
    cairo_rectangle(cr, 0, 0, w, shown_h);
    fill_vgradient(cr, 0, shown_h, rgb(78, 132, 184), rgb(40, 88, 138));
    fill_rect(cr, 0, 0, w, 1, rgb(120, 170, 214));
    fill_rect(cr, 0, shown_h - 1, w, h - shown_h + 1, rgb(30, 70, 112));
    cairo_destroy(cr);
    return s;
}

// Column separator: a light hairline that fades out at both ends.
cairo_surface_t* draw_header_clip()
{
    cairo_surface_t* s = new_surface(CAIRO_FORMAT_ARGB32, 1, 12);
    cairo_t* cr = cairo_create(s);
    const double alpha[12] = {0.0, 0.20, 0.40, 0.55, 0.60, 0.60, 0.60, 0.60, 0.55, 0.40, 0.20, 0.0};
    for (int y = 0; y < 12; ++y)
        fill_rect(cr, 0, y, 1, 1, rgb(196, 222, 246), alpha[y]);
    cairo_destroy(cr);
    return s;
}

// ---------------------------------------------------------------- search notice

// Band behind the countdown text: a magnifier in the first 15 px (the text
// starts at x 15), then a translucent pill that fades out to the right, so a
// text longer than the band still sits on a calm background.
cairo_surface_t* draw_brush()
{
    const int w = 224, h = 14;
    cairo_surface_t* s = new_surface(CAIRO_FORMAT_ARGB32, w, h);
    cairo_t* cr = cairo_create(s);

    rounded_rect(cr, 0, 0, w, h, 7);
    cairo_pattern_t* band = cairo_pattern_create_linear(0, 0, w, 0);
    cairo_pattern_add_color_stop_rgba(band, 0.00, 0.55, 0.78, 1.0, 0.28);
    cairo_pattern_add_color_stop_rgba(band, 0.55, 0.55, 0.78, 1.0, 0.13);
    cairo_pattern_add_color_stop_rgba(band, 1.00, 0.55, 0.78, 1.0, 0.0);
    cairo_set_source(cr, band);
    cairo_fill(cr);
    cairo_pattern_destroy(band);

    cairo_rectangle(cr, 5, 0, w - 12, 1);
    cairo_pattern_t* rim = cairo_pattern_create_linear(0, 0, w, 0);
    cairo_pattern_add_color_stop_rgba(rim, 0.0, 1, 1, 1, 0.22);
    cairo_pattern_add_color_stop_rgba(rim, 1.0, 1, 1, 1, 0.0);
    cairo_set_source(cr, rim);
    cairo_fill(cr);
    cairo_pattern_destroy(rim);

    // magnifier
    cairo_set_line_width(cr, 1.4);
    set_rgb(cr, kAccent);
    cairo_arc(cr, 6.5, 6.0, 3.0, 0, 2 * M_PI);
    cairo_stroke(cr);
    cairo_set_line_width(cr, 1.8);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_move_to(cr, 8.8, 8.3);
    cairo_line_to(cr, 11.0, 10.5);
    cairo_stroke(cr);

    cairo_destroy(cr);
    return s;
}

// ---------------------------------------------------------------- logo and icon

// The mark: a portable storage box on a blue tile, sending out two waves. Drawn
// in a 16-unit square; `size` is the output size in pixels.
void draw_mark(cairo_t* cr, int size)
{
    const double u = size / 16.0;
    cairo_save(cr);
    cairo_scale(cr, u, u);
    const double px = 1.0 / u;  // one output pixel in mark units

    // tile
    rounded_rect(cr, 0, 0, 16, 16, 3.2);
    set_rgb(cr, rgb(9, 36, 66));
    cairo_fill(cr);
    rounded_rect(cr, px, px, 16 - 2 * px, 16 - 2 * px, 3.2 - px);
    fill_vgradient(cr, 0, 16, rgb(94, 176, 236), rgb(30, 104, 178));
    // top highlight
    rounded_rect(cr, px, px, 16 - 2 * px, 7, 3.2 - px);
    cairo_pattern_t* p = cairo_pattern_create_linear(0, 0, 0, 7);
    cairo_pattern_add_color_stop_rgba(p, 0, 1, 1, 1, 0.30);
    cairo_pattern_add_color_stop_rgba(p, 1, 1, 1, 1, 0.0);
    cairo_set_source(cr, p);
    cairo_fill(cr);
    cairo_pattern_destroy(p);

    if (size >= 32) {
        // waves above the box
        cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
        cairo_set_line_width(cr, 1.25);
        set_rgb(cr, rgb(255, 255, 255));
        const double cx = 8, cy = 8.8;
        cairo_arc(cr, cx, cy, 2.5, 1.25 * M_PI, 1.75 * M_PI);
        cairo_stroke(cr);
        cairo_arc(cr, cx, cy, 5.1, 1.22 * M_PI, 1.78 * M_PI);
        cairo_stroke(cr);

        // storage box with an activity light and vent slits
        rounded_rect(cr, 2.5, 9.5, 11, 4, 1.0);
        set_rgb(cr, rgb(255, 255, 255));
        cairo_fill(cr);
        cairo_rectangle(cr, 10.5, 10.75, 1.5, 1.5);
        set_rgb(cr, rgb(40, 200, 120));
        cairo_fill(cr);
        for (int i = 0; i < 3; ++i)
            cairo_rectangle(cr, 4.2 + 1.3 * i, 10.7, 0.6, 1.6);
        set_rgb(cr, rgb(60, 110, 160));
        cairo_fill(cr);
    } else {
        // At 16 px (one unit per pixel) the same drawing is set pixel by pixel so
        // that it stays crisp.
        struct Dot {
            int x, y;
            double a;
        };
        const Dot waves[] = {
            // outer wave
            {6, 3, 1}, {7, 3, 1}, {8, 3, 1}, {9, 3, 1}, {5, 3, 0.45}, {10, 3, 0.45},
            {4, 4, 1}, {5, 4, 0.55}, {10, 4, 0.55}, {11, 4, 1}, {3, 5, 0.85}, {12, 5, 0.85},
            // inner wave
            {7, 6, 1}, {8, 6, 1}, {6, 6, 0.7}, {9, 6, 0.7}, {5, 7, 0.8}, {10, 7, 0.8},
        };
        for (const Dot& d : waves)
            fill_rect(cr, d.x, d.y, 1, 1, rgb(255, 255, 255), d.a);
        // storage box, corners softened
        fill_rect(cr, 4, 9, 8, 4, rgb(255, 255, 255));
        fill_rect(cr, 3, 10, 1, 2, rgb(255, 255, 255));
        fill_rect(cr, 12, 10, 1, 2, rgb(255, 255, 255));
        const Dot corners[] = {{3, 9, 0.5}, {12, 9, 0.5}, {3, 12, 0.5}, {12, 12, 0.5}};
        for (const Dot& d : corners)
            fill_rect(cr, d.x, d.y, 1, 1, rgb(255, 255, 255), d.a);
        fill_rect(cr, 4, 10, 1, 2, rgb(70, 120, 170));
        fill_rect(cr, 6, 10, 1, 2, rgb(70, 120, 170));
        fill_rect(cr, 10, 10, 2, 2, rgb(40, 200, 120));
    }
    cairo_restore(cr);
}

cairo_surface_t* draw_logo(int size)
{
    cairo_surface_t* s = new_surface(CAIRO_FORMAT_ARGB32, size, size);
    cairo_t* cr = cairo_create(s);
    draw_mark(cr, size);
    cairo_destroy(cr);
    return s;
}

// ---------------------------------------------------------------- main

struct Output {
    const char* path;
    cairo_surface_t* (*draw)();
    bool bmp;
};

cairo_surface_t* draw_logo16() { return draw_logo(16); }
cairo_surface_t* draw_icon48() { return draw_logo(48); }

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <resources folder>\n", argv[0]);
        return 2;
    }
    const std::string root = argv[1];
    if (!make_dir(root) || !make_dir(root + "/picture") || !make_dir(root + "/icon"))
        return 1;

    const Output outputs[] = {
        {"picture/SearchDevice_BlackGround.bmp", draw_background, true},
        {"picture/SearchDevice_BlackGround.png", draw_background_painted, false},
        {"picture/Brush.png", draw_brush, false},
        {"picture/logo.png", draw_logo16, false},
        {"picture/headerbackground.png", draw_header_background, false},
        {"picture/headerclip.png", draw_header_clip, false},
        {"picture/close.png", draw_close, false},
        {"picture/ButtonMax.png", draw_buttons, false},
        {"icon/lanscout.png", draw_icon48, false},
    };
    int failures = 0;
    for (const Output& o : outputs) {
        cairo_surface_t* s = o.draw();
        const std::string path = root + "/" + o.path;
        const bool ok = cairo_surface_status(s) == CAIRO_STATUS_SUCCESS &&
                        (o.bmp ? write_bmp24(s, path) : write_png(s, path));
        cairo_surface_destroy(s);
        if (!ok)
            ++failures;
    }
    return failures == 0 ? 0 : 1;
}
