// Readers of layout attribute values. Every attribute of a layout file is
// text; these turn it into the numbers, colours, rectangles, offsets and
// window styles of the layout records. They are pure functions: no state, no
// platform call, no error report. Text that does not fit its form reads as 0
// (numbers), adds no bit (styles) or leaves the caller's target as it was
// (colours, rectangles, offsets), so the caller initialises the target first.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/types.h"

// A position inside a window: x to the right, y down, in pixels.
struct LayoutOffset {
  int32_t x = 0;
  int32_t y = 0;
};

inline bool operator==(const LayoutOffset& a, const LayoutOffset& b) { return a.x == b.x && a.y == b.y; }
inline bool operator!=(const LayoutOffset& a, const LayoutOffset& b) { return !(a == b); }

// A decimal number: leading white space (blank, tab, line feed, vertical tab,
// form feed, carriage return) is skipped, an optional '+' or '-' is taken,
// then ASCII digits up to the first other character; the rest is ignored.
// No digits gives 0; values beyond the 32-bit range are clamped to
// 2147483647 or -2147483648. So "42abc" gives 42 and "0x10" gives 0.
int32_t ParseLayoutInt(std::wstring_view text);

// "red,green,blue" into a COLORREF (red in the low byte). Only the low eight
// bits of each component count (256 gives 0, -1 gives 255). The colour is
// written only when the text has at least two commas; a fourth field is
// ignored, and an empty third field reads as 0.
void ParseLayoutColor(std::wstring_view text, COLORREF& color);

// "x,y,w,h" into {x, y, x + w, y + h}. Members are written one after the
// other as their fields are found: "5,6" writes only left (top counts only
// when a comma follows it), "5,6,7" writes left and top, "5,6,7," writes all
// four with a height of 0. The sums saturate at the 32-bit range.
void ParseLayoutRect(std::wstring_view text, RECT& rect);

// "x,y": both members when the text holds a comma, otherwise none. A third
// field is ignored.
void ParseLayoutOffset(std::wstring_view text, LayoutOffset& offset);

// Window style names: every name of kLayoutStyleNames that occurs anywhere
// in the text (as an exact, case-sensitive substring) adds its bits. The
// separator is never looked at, so "WS_CHILD|WS_VISIBLE", "WS_CHILD
// WS_VISIBLE" and "WS_CHILDWS_VISIBLE" are alike. Always writes the style,
// 0 when no name occurs.
void ParseLayoutStyle(std::wstring_view text, uint32_t& style);

struct LayoutStyleName {
  const wchar_t* name;
  uint32_t value;
};

// The style names a layout may use, in the order they are looked for. The
// low sixteen bits depend on the control class: several names share a bit
// (TVS_HASBUTTONS and LVS_REPORT are both 1). LVS_EX_FULLROWSELECT, an
// extended list-view style on Windows, lands in the ordinary style word too.
constexpr size_t kLayoutStyleNameCount = 16;
extern const LayoutStyleName kLayoutStyleNames[kLayoutStyleNameCount];
