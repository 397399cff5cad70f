#include "layout/layout_info.h"

const wchar_t* const kLayoutCtrlClasses[kLayoutCtrlClassCount] = {
    L"StandardButton", L"RadioBoxButton", L"CheckBoxButton",    L"DriftButton",      L"ShowTextCtrl",
    L"ShowImageCtrl",  L"ShowTextImageCtrl", L"StandardListCtrl", L"ShowTaskListCtrl",
};

namespace {
bool SameRect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
}  // namespace

std::wstring LayoutDialogInfo::LookupString(const std::wstring& key) const {
  auto it = Strings.find(key);
  return it == Strings.end() ? std::wstring() : it->second;
}

bool LayoutDialogInfo::LookupCtrlInfo(int32_t id, LayoutCtrlInfo& out) const {
  auto it = CtrlInfos.find(id);
  if (it == CtrlInfos.end()) return false;
  out = it->second;
  return true;
}

bool operator==(const LayoutCtrlInfo& a, const LayoutCtrlInfo& b) {
  return a.CtrlID == b.CtrlID && a.CtrlBGPath == b.CtrlBGPath && a.CtrlBGStatusCount == b.CtrlBGStatusCount &&
         a.CtrlBGColorText == b.CtrlBGColorText && a.CtrlBGColor == b.CtrlBGColor &&
         a.CtrlBorderColorText == b.CtrlBorderColorText && a.CtrlBorderColor == b.CtrlBorderColor &&
         a.CtrlPaintMode == b.CtrlPaintMode && a.CtrlClass == b.CtrlClass && a.CtrlStyle == b.CtrlStyle &&
         a.CtrlDiscrip == b.CtrlDiscrip && a.CtrlText == b.CtrlText && a.CtrlTextColorText == b.CtrlTextColorText &&
         a.CtrlTextColor == b.CtrlTextColor && a.CtrlTextOffSet == b.CtrlTextOffSet && a.CtrlFont == b.CtrlFont &&
         a.CtrlFontSize == b.CtrlFontSize && a.CtrlPosType == b.CtrlPosType && SameRect(a.CtrlPos, b.CtrlPos) &&
         a.CtrlShow == b.CtrlShow;
}

bool operator==(const LayoutDialogInfo& a, const LayoutDialogInfo& b) {
  return a.DialogID == b.DialogID && a.DialogBGPath == b.DialogBGPath && a.DialogBGColorText == b.DialogBGColorText &&
         a.DialogBGColor == b.DialogBGColor && a.DlgPaintMode == b.DlgPaintMode && a.DialogText == b.DialogText &&
         a.DialogDiscrip == b.DialogDiscrip && SameRect(a.DialogPos, b.DialogPos) &&
         a.DlgTextColorText == b.DlgTextColorText && a.DlgTextColor == b.DlgTextColor &&
         a.DlgTextOffSet == b.DlgTextOffSet && a.DialogFont == b.DialogFont && a.DialogFontSize == b.DialogFontSize &&
         a.CtrlInfos == b.CtrlInfos && a.Strings == b.Strings;
}
