// The in-memory records of a layout: one dialog with its control records and
// its string table, as LoadLayoutInfo reads them from a layout file. Plain
// values, copied whole; a default-constructed record is the cleared record
// (numbers, colours, rectangles and offsets zero, texts and maps empty).
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "layout/layout_value.h"
#include "platform/types.h"

// One control of a dialog: one CtrlInfo element.
struct LayoutCtrlInfo {
  int32_t CtrlID = 0;
  std::wstring CtrlBGPath;  // shared shell folder + the attribute's text
  int32_t CtrlBGStatusCount = 0;
  std::wstring CtrlBGColorText;  // CtrlBGColor as written
  COLORREF CtrlBGColor = 0;
  std::wstring CtrlBorderColorText;
  COLORREF CtrlBorderColor = 0;
  int32_t CtrlPaintMode = 0;
  std::wstring CtrlClass;
  uint32_t CtrlStyle = 0;  // the style names' bits; the text is not kept
  std::wstring CtrlDiscrip;
  std::wstring CtrlText;
  std::wstring CtrlTextColorText;
  COLORREF CtrlTextColor = 0;
  LayoutOffset CtrlTextOffSet;
  std::wstring CtrlFont;
  int32_t CtrlFontSize = 0;
  int32_t CtrlPosType = 0;
  RECT CtrlPos = {0, 0, 0, 0};  // {x, y, x + w, y + h}
  int32_t CtrlShow = 0;
};

typedef std::map<int32_t, LayoutCtrlInfo> CtrlInfos;  // by CtrlID, ascending
typedef std::map<std::wstring, std::wstring> Strings;  // StringID -> StringValue

// One dialog in one look: a DialogInfo element and its section element.
struct LayoutDialogInfo {
  int32_t DialogID = 0;
  std::wstring DialogBGPath;  // shared shell folder + the attribute's text
  std::wstring DialogBGColorText;  // empty: the layout gives no colour
  COLORREF DialogBGColor = 0;
  int32_t DlgPaintMode = 0;
  std::wstring DialogText;
  std::wstring DialogDiscrip;
  RECT DialogPos = {0, 0, 0, 0};
  std::wstring DlgTextColorText;
  COLORREF DlgTextColor = 0;
  LayoutOffset DlgTextOffSet;
  std::wstring DialogFont;
  int32_t DialogFontSize = 0;
  ::CtrlInfos CtrlInfos;
  ::Strings Strings;

  // The value stored for `key`, or the empty text when the table lacks it.
  std::wstring LookupString(const std::wstring& key) const;
  // Copies the record of control `id` into `out` and returns true, or
  // returns false and leaves `out` as it was.
  bool LookupCtrlInfo(int32_t id, LayoutCtrlInfo& out) const;
};

bool operator==(const LayoutCtrlInfo& a, const LayoutCtrlInfo& b);
inline bool operator!=(const LayoutCtrlInfo& a, const LayoutCtrlInfo& b) { return !(a == b); }
bool operator==(const LayoutDialogInfo& a, const LayoutDialogInfo& b);
inline bool operator!=(const LayoutDialogInfo& a, const LayoutDialogInfo& b) { return !(a == b); }

// The control classes a layout can name (CtrlClass, compared exactly), in
// the order in which a dialog creates its controls class by class. A record
// of any other class is loaded but creates no control.
constexpr size_t kLayoutCtrlClassCount = 9;
extern const wchar_t* const kLayoutCtrlClasses[kLayoutCtrlClassCount];
