#include "layout_check.h"

#include <sys/stat.h>

#include <cwctype>
#include <map>
#include <string_view>

#include "layout/layout_loader.h"
#include "layout/layout_value.h"
#include "platform/shell.h"
#include "platform/textconv.h"

namespace {

// ---------------------------------------------------------------- value forms

bool IsBlank(wchar_t c) { return c == L' ' || (c >= L'\t' && c <= L'\r'); }

// A whole decimal number: blanks around it, an optional sign, digits, and
// within the 32-bit range (which the reader would otherwise clamp).
bool IsPlainNumber(std::wstring_view text, int64_t minimum = INT32_MIN, int64_t maximum = INT32_MAX) {
  size_t i = 0, n = text.size();
  while (i < n && IsBlank(text[i])) ++i;
  while (n > i && IsBlank(text[n - 1])) --n;
  bool negative = false;
  if (i < n && (text[i] == L'+' || text[i] == L'-')) negative = text[i++] == L'-';
  if (i == n) return false;
  for (size_t k = i; k < n; ++k)
    if (text[k] < L'0' || text[k] > L'9') return false;
  while (i + 1 < n && text[i] == L'0') ++i;  // leading zeros
  if (n - i > 11) return false;
  int64_t value = 0;
  for (size_t k = i; k < n; ++k) value = value * 10 + (text[k] - L'0');
  if (negative) value = -value;
  return value >= minimum && value <= maximum;
}

// Exactly `count` plain numbers separated by commas.
bool IsNumberList(std::wstring_view text, size_t count, int64_t minimum = INT32_MIN, int64_t maximum = INT32_MAX) {
  for (size_t field = 0; field < count; ++field) {
    size_t comma = text.find(L',');
    bool last = field + 1 == count;
    if (last != (comma == std::wstring_view::npos)) return false;
    if (!IsPlainNumber(text.substr(0, comma), minimum, maximum)) return false;
    if (!last) text.remove_prefix(comma + 1);
  }
  return true;
}

bool IsColor(std::wstring_view text) { return IsNumberList(text, 3, 0, 255); }

bool IsRegularFile(const std::wstring& path) {
  struct stat st;
  return stat(NativePath(path).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string Quote(const std::wstring& text) { return "\"" + WideToUtf8(text) + "\""; }

enum class Form { Text, Number, Color, Rect, Offset, Path, Class, Style, Font };

Form FormOf(const char* attribute) {
  static const std::map<std::string_view, Form> kForms = {
      {"DialogID", Form::Number},        {"DlgPaintMode", Form::Number},     {"DialogFontSize", Form::Number},
      {"CtrlID", Form::Number},          {"CtrlBGStatusCount", Form::Number}, {"CtrlPaintMode", Form::Number},
      {"CtrlPosType", Form::Number},     {"CtrlShow", Form::Number},         {"CtrlFontSize", Form::Number},
      {"DialogBGColor", Form::Color},    {"DlgTextColor", Form::Color},      {"CtrlBGColor", Form::Color},
      {"CtrlBorderColor", Form::Color},  {"CtrlTextColor", Form::Color},     {"DialogPos", Form::Rect},
      {"CtrlPos", Form::Rect},           {"DlgTextOffSet", Form::Offset},    {"CtrlTextOffSet", Form::Offset},
      {"DialogBGPath", Form::Path},      {"CtrlBGPath", Form::Path},         {"CtrlClass", Form::Class},
      {"CtrlStyle", Form::Style},        {"DialogFont", Form::Font},         {"CtrlFont", Form::Font},
  };
  auto it = kForms.find(attribute);
  return it == kForms.end() ? Form::Text : it->second;
}

bool IsKnownClass(const std::wstring& name) {
  for (const wchar_t* known : kLayoutCtrlClasses)
    if (name == known) return true;
  return false;
}

// A known class name that `name` differs from only in letter case.
std::wstring ClassSpelledLike(const std::wstring& name) {
  for (const wchar_t* known : kLayoutCtrlClasses) {
    std::wstring_view k(known);
    if (k.size() != name.size()) continue;
    bool same = true;
    for (size_t i = 0; i < k.size() && same; ++i) same = towlower(k[i]) == towlower(name[i]);
    if (same) return known;
  }
  return std::wstring();
}

bool IsStyleName(std::wstring_view token) {
  for (const LayoutStyleName& style : kLayoutStyleNames)
    if (token == style.name) return true;
  return false;
}

bool IsNameChar(wchar_t c) {
  return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z') || (c >= L'0' && c <= L'9') || c == L'_';
}

// ---------------------------------------------------------------- what the main window needs

// The layout strings the main window and its device list look up.
const wchar_t* const kMainWindowStrings[] = {
    L"SEARCH_DEVICE_LIST_ITEM_NAME",        L"SEARCH_DEVICE_LIST_ITEM_IP",
    L"SEARCH_DEVICE_LIST_ITEM_TYPE",        L"SEARCH_DEVICE_LIST_HEADER_FONT_NAME",
    L"SEARCH_DEVICE_LIST_HEADER_FONT_SIZE", L"SEARCH_DEVICE_LIST_HEADER_FONT_COLOR",
    L"SEARCH_DEVICE_WATI_TIME_WARNING",
};

enum class Family { Button, Static, StandardList };

// The controls the main window binds by id; without any of them it shows its
// skin but runs no search countdown and its buttons do nothing.
struct BoundControl {
  int32_t id;
  Family family;
  const char* role;
};
const BoundControl kMainWindowControls[] = {
    {2103, Family::Button, "close button"},   {2105, Family::StandardList, "device list"},
    {2106, Family::Static, "wait notice"},    {2107, Family::Button, "Log In button"},
    {2108, Family::Button, "Refresh button"}, {2109, Family::Button, "My Storage button"},
};

bool InFamily(const std::wstring& ctrlClass, Family family) {
  switch (family) {
    case Family::Button:
      return ctrlClass == L"StandardButton" || ctrlClass == L"RadioBoxButton" || ctrlClass == L"CheckBoxButton" ||
             ctrlClass == L"DriftButton";
    case Family::Static:
      return ctrlClass == L"ShowTextCtrl" || ctrlClass == L"ShowImageCtrl" || ctrlClass == L"ShowTextImageCtrl";
    case Family::StandardList:
      return ctrlClass == L"StandardListCtrl";
  }
  return false;
}

const char* FamilyWords(Family family) {
  switch (family) {
    case Family::Button:
      return "a button class (StandardButton, RadioBoxButton, CheckBoxButton, DriftButton)";
    case Family::Static:
      return "a text or image class (ShowTextCtrl, ShowImageCtrl, ShowTextImageCtrl)";
    case Family::StandardList:
      return "StandardListCtrl";
  }
  return "";
}

// ---------------------------------------------------------------- the listener

class Checker : public LayoutLoadObserver {
 public:
  Checker(LayoutCheck& check, int32_t dialogId, const std::wstring& section, const std::wstring& root)
      : check_(check), dialogId_(dialogId), section_(section), root_(root) {}

  bool unreadable() const { return unreadable_; }
  int dialogs() const { return dialogs_; }
  bool sectionFound() const { return sectionFound_; }
  int ctrlLine(int32_t id) const {
    auto it = ctrlLines_.find(id);
    return it == ctrlLines_.end() ? 0 : it->second;
  }
  int stringLine(const std::wstring& key) const {
    auto it = stringLines_.find(key);
    return it == stringLines_.end() ? 0 : it->second;
  }
  void Warn(int line, std::string text) { check_.warnings.push_back({line, std::move(text)}); }

  void FlushMissing() {
    if (missing_.empty()) return;
    std::string names;
    for (size_t i = 0; i < missing_.size(); ++i) names += (i ? ", " : "") + std::string(missing_[i]);
    Warn(missingLine_, missingWhere_ + (missing_.size() == 1 ? " lacks the attribute " : " lacks the attributes ") +
                           names + (missing_.size() == 1 ? ", which reads as empty" : ", which read as empty"));
    missing_.clear();
  }

  void OnDocumentError(const std::string& reason, int line, int column) override {
    unreadable_ = true;
    check_.error = line > 0 ? "not well-formed XML at line " + std::to_string(line) + ", column " +
                                  std::to_string(column) + ": " + reason
                            : reason;
  }

  void OnDialogInfo(int line) override {
    FlushMissing();
    if (++dialogs_ == 1) {
      firstDialogLine_ = line;
      return;
    }
    Warn(line, "a further DialogInfo with DialogID " + std::to_string(dialogId_) +
                   ": its texts and section replace those of line " + std::to_string(firstDialogLine_) +
                   ", and only its new control ids and string keys are added");
  }

  void OnSectionMissing(int line) override {
    FlushMissing();
    Warn(line, "this DialogInfo has no child element <" + WideToUtf8(section_) +
                   "> (section names are case-sensitive): it gives no controls");
  }

  void OnAttribute(const LayoutAttributeRead& read) override {
    if (read.element == LayoutElement::Section) sectionFound_ = true;
    std::string where = Where(read);
    const std::wstring& text = read.text;
    if (read.elementTag != missingTag_) FlushMissing();
    if (!read.present) {
      // Told once per element, with all the names it lacks.
      if (missing_.empty()) {
        missingTag_ = read.elementTag;
        missingWhere_ = where;
        missingLine_ = read.line;
      }
      missing_.push_back(read.name);
      return;
    }
    switch (FormOf(read.name)) {
      case Form::Text:
        break;
      case Form::Number:
        if (!text.empty() && !IsPlainNumber(text))
          Warn(read.line, where + ": " + read.name + " " + Quote(text) + " is not a whole decimal number; it reads as " +
                              std::to_string(ParseLayoutInt(text)));
        break;
      case Form::Color:
        if (!text.empty() && !IsColor(text))
          Warn(read.line, where + ": " + read.name + " " + Quote(text) +
                              " is not a colour red,green,blue (three numbers from 0 to 255)");
        break;
      case Form::Rect:
        if (!text.empty() && !IsNumberList(text, 4))
          Warn(read.line, where + ": " + read.name + " " + Quote(text) +
                              " is not a rectangle x,y,width,height (four numbers)");
        break;
      case Form::Offset:
        if (!text.empty() && !IsNumberList(text, 2))
          Warn(read.line, where + ": " + read.name + " " + Quote(text) + " is not an offset x,y (two numbers)");
        break;
      case Form::Path:
        if (!text.empty() && !IsRegularFile(root_ + text))
          Warn(read.line, where + ": " + read.name + " " + Quote(text) + ": no image file " +
                              NativePath(root_ + text) +
                              (text[0] == L'\\' ? std::string() : std::string(" (image paths begin with a backslash)")));
        break;
      case Form::Class:
        if (!IsKnownClass(text)) {
          std::wstring like = ClassSpelledLike(text);
          Warn(read.line, where + ": CtrlClass " + Quote(text) + " is no control class, so no control is created" +
                              (like.empty() ? std::string() : " (class names are case-sensitive: " + Quote(like) + ")"));
        }
        break;
      case Form::Style:
        CheckStyle(read, where);
        break;
      case Form::Font:
        if (text.size() > 31)
          Warn(read.line, where + ": " + read.name + " " + Quote(text) + " is longer than the 31 characters of a face name");
        break;
    }
  }

  void OnCtrlInfo(int32_t id, int line, bool kept) override {
    FlushMissing();
    if (kept) {
      ctrlLines_[id] = line;
      return;
    }
    Warn(line, "CtrlID " + std::to_string(id) + " repeats the control of line " + std::to_string(ctrlLine(id)) +
                   "; this CtrlInfo is ignored");
  }

  void OnStringInfo(const std::wstring& key, int line, bool kept) override {
    FlushMissing();
    if (kept) {
      stringLines_[key] = line;
      return;
    }
    Warn(line, "StringID " + Quote(key) + " repeats the string of line " + std::to_string(stringLine(key)) +
                   "; this StringInfo is ignored");
  }

 private:
  static std::string Where(const LayoutAttributeRead& read) {
    switch (read.element) {
      case LayoutElement::Dialog:
        return "DialogInfo";
      case LayoutElement::Section:
        return std::string("section <") + read.elementName + ">";
      case LayoutElement::Ctrl:
        return "CtrlInfo " + std::to_string(read.ctrlId);
      case LayoutElement::String:
        return "StringInfo";
    }
    return std::string();
  }

  // Style names are looked for as substrings, so a misspelt or unknown name
  // silently adds nothing: every word of the text must be a known name.
  void CheckStyle(const LayoutAttributeRead& read, const std::string& where) {
    const std::wstring& text = read.text;
    for (size_t i = 0; i < text.size();) {
      if (!IsNameChar(text[i])) {
        ++i;
        continue;
      }
      size_t end = i;
      while (end < text.size() && IsNameChar(text[end])) ++end;
      std::wstring_view word(text.data() + i, end - i);
      if (!IsStyleName(word))
        Warn(read.line, where + ": CtrlStyle " + Quote(text) + ": " + Quote(std::wstring(word)) +
                            " is no style name the layout knows; it adds nothing");
      i = end;
    }
  }

  LayoutCheck& check_;
  int32_t dialogId_;
  std::wstring section_;
  std::wstring root_;
  bool unreadable_ = false;
  int dialogs_ = 0;
  int firstDialogLine_ = 0;
  bool sectionFound_ = false;
  std::vector<const char*> missing_;  // attributes the current element lacks
  const void* missingTag_ = nullptr;
  std::string missingWhere_;
  int missingLine_ = 0;
  std::map<int32_t, int> ctrlLines_;
  std::map<std::wstring, int> stringLines_;
};

void CheckMainWindowNeeds(const LayoutDialogInfo& info, const Checker& checker, LayoutCheck& check) {
  for (const wchar_t* key : kMainWindowStrings) {
    auto it = info.Strings.find(key);
    if (it == info.Strings.end()) {
      check.warnings.push_back(
          {0, "StringID \"" + WideToUtf8(key) + "\" is missing; the main window reads it (and gets the empty text)"});
      continue;
    }
    const std::wstring& value = it->second;
    int line = checker.stringLine(key);
    if (std::wstring_view(key) == L"SEARCH_DEVICE_LIST_HEADER_FONT_SIZE" && !IsPlainNumber(value))
      check.warnings.push_back({line, "StringValue " + Quote(value) + " of " + WideToUtf8(key) +
                                          " is not a whole decimal number (a font size)"});
    if (std::wstring_view(key) == L"SEARCH_DEVICE_LIST_HEADER_FONT_COLOR" && !IsColor(value))
      check.warnings.push_back({line, "StringValue " + Quote(value) + " of " + WideToUtf8(key) +
                                          " is not a colour red,green,blue (three numbers from 0 to 255)"});
  }
  if (!checker.sectionFound()) return;  // already told: the section is missing
  for (const BoundControl& bound : kMainWindowControls) {
    auto it = info.CtrlInfos.find(bound.id);
    if (it == info.CtrlInfos.end()) {
      check.warnings.push_back({0, "control " + std::to_string(bound.id) + " (the " + bound.role +
                                       ") is missing; without it the main window runs no search and its buttons do "
                                       "nothing"});
    } else if (!InFamily(it->second.CtrlClass, bound.family)) {
      check.warnings.push_back({checker.ctrlLine(bound.id),
                                "control " + std::to_string(bound.id) + " (the " + bound.role + ") has CtrlClass " +
                                    Quote(it->second.CtrlClass) + ", but the main window needs " +
                                    FamilyWords(bound.family) +
                                    "; without it the main window runs no search and its buttons do nothing"});
    }
  }
}

// ---------------------------------------------------------------- JSON

nlohmann::ordered_json RectJson(const RECT& r) {
  return {{"left", r.left}, {"top", r.top}, {"right", r.right}, {"bottom", r.bottom}};
}
nlohmann::ordered_json OffsetJson(const LayoutOffset& o) { return {{"x", o.x}, {"y", o.y}}; }

nlohmann::ordered_json CtrlJson(const LayoutCtrlInfo& c) {
  nlohmann::ordered_json j;
  j["CtrlID"] = c.CtrlID;
  j["CtrlBGPath"] = WideToUtf8(c.CtrlBGPath);
  j["CtrlBGStatusCount"] = c.CtrlBGStatusCount;
  j["CtrlBGColorText"] = WideToUtf8(c.CtrlBGColorText);
  j["CtrlBGColor"] = c.CtrlBGColor;
  j["CtrlBorderColorText"] = WideToUtf8(c.CtrlBorderColorText);
  j["CtrlBorderColor"] = c.CtrlBorderColor;
  j["CtrlPaintMode"] = c.CtrlPaintMode;
  j["CtrlClass"] = WideToUtf8(c.CtrlClass);
  j["CtrlStyle"] = c.CtrlStyle;
  j["CtrlDiscrip"] = WideToUtf8(c.CtrlDiscrip);
  j["CtrlText"] = WideToUtf8(c.CtrlText);
  j["CtrlTextColorText"] = WideToUtf8(c.CtrlTextColorText);
  j["CtrlTextColor"] = c.CtrlTextColor;
  j["CtrlTextOffSet"] = OffsetJson(c.CtrlTextOffSet);
  j["CtrlFont"] = WideToUtf8(c.CtrlFont);
  j["CtrlFontSize"] = c.CtrlFontSize;
  j["CtrlPosType"] = c.CtrlPosType;
  j["CtrlPos"] = RectJson(c.CtrlPos);
  j["CtrlShow"] = c.CtrlShow;
  return j;
}

}  // namespace

LayoutCheck CheckLayoutFile(const std::wstring& path, int32_t dialogId, const std::wstring& section,
                            const std::wstring& root) {
  LayoutCheck check;
  Checker checker(check, dialogId, section, root);
  LayoutLoadOptions options;
  options.pathRoot = &root;
  options.observer = &checker;
  if (!LoadLayoutInfo(check.info, path, dialogId, section, options)) {
    check.status = LayoutCheck::kUnreadable;
    check.error = "no file name";
    return check;
  }
  checker.FlushMissing();
  if (checker.unreadable()) {
    check.status = LayoutCheck::kUnreadable;
    check.warnings.clear();
    return check;
  }
  if (checker.dialogs() == 0)
    check.warnings.push_back({0, "no DialogInfo with DialogID " + std::to_string(dialogId) +
                                     " inside a WindowInformation element: the layout is empty"});
  else if (dialogId == kMainWindowDialogId)
    CheckMainWindowNeeds(check.info, checker, check);
  check.status = check.warnings.empty() ? LayoutCheck::kLoaded : LayoutCheck::kWarnings;
  return check;
}

nlohmann::ordered_json LayoutToJson(const LayoutDialogInfo& info) {
  nlohmann::ordered_json j;
  j["DialogID"] = info.DialogID;
  j["DialogBGPath"] = WideToUtf8(info.DialogBGPath);
  j["DialogBGColorText"] = WideToUtf8(info.DialogBGColorText);
  j["DialogBGColor"] = info.DialogBGColor;
  j["DlgPaintMode"] = info.DlgPaintMode;
  j["DialogText"] = WideToUtf8(info.DialogText);
  j["DialogDiscrip"] = WideToUtf8(info.DialogDiscrip);
  j["DialogPos"] = RectJson(info.DialogPos);
  j["DlgTextColorText"] = WideToUtf8(info.DlgTextColorText);
  j["DlgTextColor"] = info.DlgTextColor;
  j["DlgTextOffSet"] = OffsetJson(info.DlgTextOffSet);
  j["DialogFont"] = WideToUtf8(info.DialogFont);
  j["DialogFontSize"] = info.DialogFontSize;
  j["CtrlInfos"] = nlohmann::ordered_json::array();
  for (const auto& entry : info.CtrlInfos) j["CtrlInfos"].push_back(CtrlJson(entry.second));
  j["Strings"] = nlohmann::ordered_json::object();
  for (const auto& entry : info.Strings) j["Strings"][WideToUtf8(entry.first)] = WideToUtf8(entry.second);
  return j;
}
