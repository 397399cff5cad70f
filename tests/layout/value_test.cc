// The attribute readers, table by table.

#include <gtest/gtest.h>

#include <string>

#include "layout/layout_value.h"

namespace {

struct IntCase {
  const wchar_t* text;
  int32_t expected;
};

TEST(ParseLayoutInt, Table) {
  const IntCase cases[] = {
      {L"", 0},
      {L"-5", -5},
      {L" 42abc", 42},
      {L"\t\r\n 7", 7},
      {L"+12", 12},
      {L"99999999999", 2147483647},
      {L"2147483647", 2147483647},
      {L"2147483648", 2147483647},
      {L"-2147483648", -2147483648},
      {L"-99999999999999999999999999", -2147483648},
      {L"0x10", 0},
      {L"abc", 0},
      {L"- 5", 0},
      {L"+-5", 0},
      {L"201abc", 201},
      {L"12 34", 12},
      {L"\x3000" L"5", 0},  // only ASCII white space is skipped
      {L"\xFF15", 0},       // a full-width digit is no digit
  };
  for (const IntCase& c : cases) EXPECT_EQ(ParseLayoutInt(c.text), c.expected) << '"' << c.text << '"';
}

struct ColorCase {
  const wchar_t* text;
  COLORREF expected;
};

TEST(ParseLayoutColor, TableFromSeven) {
  const ColorCase cases[] = {
      {L"255,255,255", 0x00FFFFFF},
      {L"126,157,185", 0x00B99D7E},
      {L"6,65,105", 0x00694106},
      {L"1,2", 7},
      {L"", 7},
      {L"1", 7},
      {L"1 , 2 , 3", 0x00030201},
      {L"256,0,-1", 0x00FF0000},
      {L"300,0,0", 44},
      {L"1,2,3,4", 0x00030201},  // a fourth field is ignored
      {L"1,2,", 0x00000201},     // an empty third field reads as 0
      {L",,", 0},
      {L"a,b,c", 0},
      {L"99999999999,0,0", 0xFF},  // clamped to 2147483647 first, then its low byte
  };
  for (const ColorCase& c : cases) {
    COLORREF color = 7;
    ParseLayoutColor(c.text, color);
    EXPECT_EQ(color, c.expected) << '"' << c.text << '"';
  }
}

struct RectCase {
  const wchar_t* text;
  RECT expected;
};

TEST(ParseLayoutRect, TableFromNines) {
  const RectCase cases[] = {
      {L"0,0,328,245", {0, 0, 328, 245}},
      {L"300,10,11,11", {300, 10, 311, 21}},
      {L"10,50,308,141", {10, 50, 318, 191}},
      {L"5,6", {5, 9, 9, 9}},
      {L"5,6,7", {5, 6, 9, 9}},
      {L"5,6,7,", {5, 6, 12, 6}},
      {L"", {9, 9, 9, 9}},
      {L"5", {9, 9, 9, 9}},
      {L"5,", {5, 9, 9, 9}},
      {L"1,2,3,4,5", {1, 2, 4, 6}},
      {L"2147483647,2147483647,1,1", {2147483647, 2147483647, 2147483647, 2147483647}},  // sums saturate
      {L"-2147483648,0,-1,0", {-2147483647 - 1, 0, -2147483647 - 1, 0}},
  };
  for (const RectCase& c : cases) {
    RECT rect = {9, 9, 9, 9};
    ParseLayoutRect(c.text, rect);
    EXPECT_EQ(rect.left, c.expected.left) << '"' << c.text << '"';
    EXPECT_EQ(rect.top, c.expected.top) << '"' << c.text << '"';
    EXPECT_EQ(rect.right, c.expected.right) << '"' << c.text << '"';
    EXPECT_EQ(rect.bottom, c.expected.bottom) << '"' << c.text << '"';
  }
}

struct OffsetCase {
  const wchar_t* text;
  LayoutOffset expected;
};

TEST(ParseLayoutOffset, TableFromNines) {
  const OffsetCase cases[] = {
      {L"13,2", {13, 2}}, {L"7", {9, 9}}, {L"", {9, 9}}, {L"1,2,3", {1, 2}}, {L",", {0, 0}}, {L" -3 , 4px", {-3, 4}},
  };
  for (const OffsetCase& c : cases) {
    LayoutOffset offset = {9, 9};
    ParseLayoutOffset(c.text, offset);
    EXPECT_EQ(offset, c.expected) << '"' << c.text << '"';
  }
}

struct StyleCase {
  const wchar_t* text;
  uint32_t expected;
};

TEST(ParseLayoutStyle, Table) {
  const StyleCase cases[] = {
      {L"WS_CHILD|WS_VISIBLE|LVS_REPORT", 0x50000001},
      {L"WS_CHILD|WS_VISIBLE", 0x50000000},
      {L"WS_CHILD WS_VISIBLE", 0x50000000},
      {L"WS_CHILDWS_VISIBLE", 0x50000000},
      {L"", 0},
      {L"ws_child|ws_visible", 0},
      {L"WS_VISIBLE|WS_VSCROLL", 0x10200000},
      {L"0x50000000", 0},
      {L"WS_BORDER", 0},
      {L"MYWS_CHILDREN", 0x40000000},  // a name inside a longer word counts
      {L"WS_CLIPCHILDREN", 0x02000000},  // holds no WS_CHILD: "CLIP" comes before it
      {L"TVS_HASBUTTONS|LVS_REPORT", 0x0001},  // both are bit 1
      {L"TVS_INFOTIP|ES_READONLY|ES_NUMBER|ES_AUTOHSCROLL|CBS_AUTOHSCROLL", 0x2800 | 0x80 | 0x40},
      {L"TVS_SHOWSELALWAYS TVS_HASLINES LVS_OWNERDRAWFIXED CBS_DROPDOWN LVS_EX_FULLROWSELECT", 0x0020 | 0x0002 | 0x0400},
  };
  for (const StyleCase& c : cases) {
    uint32_t style = 0xDEADBEEF;
    ParseLayoutStyle(c.text, style);
    EXPECT_EQ(style, c.expected) << '"' << c.text << '"';
  }
}

// The readers take views: text after an embedded NUL is part of the view,
// and nothing reads past its end.
TEST(LayoutReaders, StayInsideTheirText) {
  std::wstring text = L"1,2,3";
  COLORREF color = 7;
  ParseLayoutColor(std::wstring_view(text.data(), 3), color);  // "1,2"
  EXPECT_EQ(color, 7u);
  RECT rect = {9, 9, 9, 9};
  ParseLayoutRect(std::wstring_view(text.data(), 4), rect);  // "1,2,"
  EXPECT_EQ(rect.left, 1);
  EXPECT_EQ(rect.top, 2);
  EXPECT_EQ(rect.right, 9);
  EXPECT_EQ(ParseLayoutInt(std::wstring_view(L"12345", 2)), 12);
}

}  // namespace
