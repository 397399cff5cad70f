#include "layout/layout_value.h"

#include <limits>

const LayoutStyleName kLayoutStyleNames[kLayoutStyleNameCount] = {
    {L"WS_CHILD", 0x40000000},
    {L"WS_VISIBLE", 0x10000000},
    {L"WS_CLIPCHILDREN", 0x02000000},
    {L"WS_VSCROLL", 0x00200000},
    {L"TVS_SHOWSELALWAYS", 0x0020},
    {L"TVS_HASBUTTONS", 0x0001},
    {L"TVS_HASLINES", 0x0002},
    {L"TVS_INFOTIP", 0x0800},
    {L"LVS_OWNERDRAWFIXED", 0x0400},
    {L"LVS_EX_FULLROWSELECT", 0x0020},
    {L"LVS_REPORT", 0x0001},
    {L"CBS_DROPDOWN", 0x0002},
    {L"CBS_AUTOHSCROLL", 0x0040},
    {L"ES_AUTOHSCROLL", 0x0080},
    {L"ES_NUMBER", 0x2000},
    {L"ES_READONLY", 0x0800},
};

namespace {

bool IsSpace(wchar_t c) { return c == L' ' || (c >= L'\t' && c <= L'\r'); }

// Splits `rest` at its first comma: the part before it goes to `field`, the
// part after it stays in `rest`. False, with nothing changed, when there is
// no comma.
bool TakeField(std::wstring_view& rest, std::wstring_view& field) {
  size_t comma = rest.find(L',');
  if (comma == std::wstring_view::npos) return false;
  field = rest.substr(0, comma);
  rest.remove_prefix(comma + 1);
  return true;
}

int32_t SaturatingAdd(int32_t a, int32_t b) {
  int64_t sum = static_cast<int64_t>(a) + b;
  if (sum > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  if (sum < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(sum);
}

}  // namespace

int32_t ParseLayoutInt(std::wstring_view text) {
  size_t i = 0;
  while (i < text.size() && IsSpace(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) {
    negative = text[i] == L'-';
    ++i;
  }
  // Magnitude, held just past the largest one that can be stored so that
  // any number of further digits cannot overflow it.
  const int64_t limit = static_cast<int64_t>(std::numeric_limits<int32_t>::max()) + 1;
  int64_t magnitude = 0;
  for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
    magnitude = magnitude * 10 + (text[i] - L'0');
    if (magnitude > limit) magnitude = limit;
  }
  int64_t value = negative ? -magnitude : magnitude;
  if (value > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(value);  // -limit is exactly the smallest int32
}

void ParseLayoutColor(std::wstring_view text, COLORREF& color) {
  std::wstring_view rest = text, red, green;
  if (rest.empty() || !TakeField(rest, red)) return;
  if (rest.empty() || !TakeField(rest, green)) return;
  // The blue number ends at a further comma, if there is one.
  uint32_t r = static_cast<uint32_t>(ParseLayoutInt(red)) & 0xFF;
  uint32_t g = static_cast<uint32_t>(ParseLayoutInt(green)) & 0xFF;
  uint32_t b = static_cast<uint32_t>(ParseLayoutInt(rest)) & 0xFF;
  color = r | g << 8 | b << 16;
}

void ParseLayoutRect(std::wstring_view text, RECT& rect) {
  std::wstring_view rest = text, field;
  if (rest.empty() || !TakeField(rest, field)) return;
  rect.left = ParseLayoutInt(field);
  if (rest.empty() || !TakeField(rest, field)) return;
  rect.top = ParseLayoutInt(field);
  if (rest.empty() || !TakeField(rest, field)) return;
  rect.right = ParseLayoutInt(field);  // the width, until the last step
  rect.bottom = SaturatingAdd(rect.top, ParseLayoutInt(rest));
  rect.right = SaturatingAdd(rect.right, rect.left);
}

void ParseLayoutOffset(std::wstring_view text, LayoutOffset& offset) {
  std::wstring_view rest = text, x;
  if (rest.empty() || !TakeField(rest, x)) return;
  offset.x = ParseLayoutInt(x);
  offset.y = ParseLayoutInt(rest);
}

void ParseLayoutStyle(std::wstring_view text, uint32_t& style) {
  uint32_t bits = 0;
  for (const LayoutStyleName& entry : kLayoutStyleNames)
    if (text.find(entry.name) != std::wstring_view::npos) bits |= entry.value;
  style = bits;
}
