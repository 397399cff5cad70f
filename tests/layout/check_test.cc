// The layout check behind lanscout-layout: one warning per silent mistake,
// the JSON form of the record, and the tool's exit status.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <map>
#include <string>
#include <vector>

#include "layout_check.h"
#include "layout_test_support.h"
#include "platform/textconv.h"

namespace {

using layouttest::CtrlXml;
using layouttest::LayoutFiles;
using layouttest::LayoutXml;

std::wstring W(const std::string& s) { return Utf8ToWide(s); }

// The controls the main window binds, each overridable.
std::string MainControls(const std::map<int, std::string>& overrides = {}) {
  const std::map<int, std::string> classes = {
      {2103, "StandardButton"}, {2105, "StandardListCtrl"}, {2106, "ShowTextImageCtrl"},
      {2107, "StandardButton"}, {2108, "StandardButton"},   {2109, "StandardButton"},
  };
  std::string xml;
  for (const auto& entry : classes) {
    auto it = overrides.find(entry.first);
    std::string o = "CtrlClass=\"" + entry.second + "\" " + (it == overrides.end() ? "" : it->second);
    if (it != overrides.end() && it->second == "absent") continue;
    xml += CtrlXml(entry.first, o) + "\r\n";
  }
  return xml;
}

// The main window's strings, but for `except`, plus `extra`.
std::string MainStrings(const std::string& except = "", const std::string& extra = "") {
  const std::vector<std::pair<std::string, std::string>> strings = {
      {"SEARCH_DEVICE_LIST_ITEM_NAME", "Host Name"},
      {"SEARCH_DEVICE_LIST_ITEM_IP", "IP Address"},
      {"SEARCH_DEVICE_LIST_ITEM_TYPE", "Devcie Type"},
      {"SEARCH_DEVICE_LIST_HEADER_FONT_NAME", "Tahoma"},
      {"SEARCH_DEVICE_LIST_HEADER_FONT_SIZE", "12"},
      {"SEARCH_DEVICE_LIST_HEADER_FONT_COLOR", "244,245,247"},
      {"SEARCH_DEVICE_WATI_TIME_WARNING", "Searching new devices,please wait"},
  };
  std::string xml;
  for (const auto& s : strings)
    if (s.first != except) xml += "<StringInfo StringID=\"" + s.first + "\" StringValue=\"" + s.second + "\" />\r\n";
  return xml + extra;
}

class LayoutCheckTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // The images the test layouts name, under a root of their own.
    std::string picture = files_.dir() + "/root/TesqaSearchTools/Picture";
    ASSERT_EQ(system(("mkdir -p '" + picture + "'").c_str()), 0);
    files_.Write("root/TesqaSearchTools/Picture/ButtonMax.png", "png");
    files_.Write("root/TesqaSearchTools/Picture/SearchDevice_BlackGround.png", "png");
    root_ = W(files_.dir() + "/root");
  }

  LayoutCheck Check(const std::string& xml, int32_t id = 201, const std::wstring& section = L"Standard") {
    return CheckLayoutFile(W(files_.Write("layout.xml", xml)), id, section, root_);
  }

  LayoutFiles files_;
  std::wstring root_;
};

std::string Describe(const LayoutCheck& check) {
  std::string out = "status " + std::to_string(check.status) + " " + check.error + "\n";
  for (const LayoutWarning& w : check.warnings) out += std::to_string(w.line) + ": " + w.text + "\n";
  return out;
}

TEST_F(LayoutCheckTest, ACleanLayoutHasNoWarnings) {
  LayoutCheck check = Check(LayoutXml(MainControls(), MainStrings()));
  EXPECT_EQ(check.status, LayoutCheck::kLoaded) << Describe(check);
  EXPECT_EQ(check.info.CtrlInfos.size(), 6u);
}

TEST_F(LayoutCheckTest, OneWarningPerMistake) {
  struct Case {
    const char* what;
    std::string xml;
    const char* expected;  // a part of the only warning
    int32_t id = 201;
    const wchar_t* section = L"Standard";
  };
  const std::string str = MainStrings();
  const std::string ctrls = MainControls();
  const std::string longFace(32, 'F');
  const Case cases[] = {
      {"class in the wrong case", LayoutXml(ctrls + CtrlXml(2101, "CtrlClass=\"showimagectrl\""), str),
       "CtrlClass \"showimagectrl\" is no control class, so no control is created (class names are case-sensitive: "
       "\"ShowImageCtrl\")"},
      {"unknown class", LayoutXml(ctrls + CtrlXml(2101, "CtrlClass=\"Slider\""), str), "\"Slider\" is no control class"},
      {"repeated control id", LayoutXml(ctrls + CtrlXml(2103), str), "CtrlID 2103 repeats the control of line"},
      {"repeated string key", LayoutXml(ctrls, str + "<StringInfo StringID=\"SEARCH_DEVICE_LIST_ITEM_IP\" StringValue=\"\" />"),
       "StringID \"SEARCH_DEVICE_LIST_ITEM_IP\" repeats the string of line"},
      {"missing image", LayoutXml(MainControls({{2107, "CtrlBGPath=\"\\TesqaSearchTools\\Picture\\Nope.png\""}}), str),
       "CtrlBGPath \"\\TesqaSearchTools\\Picture\\Nope.png\": no image file "},
      {"image path without its backslash",
       LayoutXml(MainControls({{2107, "CtrlBGPath=\"TesqaSearchTools\\Picture\\ButtonMax.png\""}}), str),
       "(image paths begin with a backslash)"},
      {"two-number colour", LayoutXml(MainControls({{2107, "CtrlTextColor=\"1,2\""}}), str),
       "CtrlInfo 2107: CtrlTextColor \"1,2\" is not a colour"},
      {"colour out of range", LayoutXml(MainControls({{2107, "CtrlBGColor=\"256,0,0\""}}), str),
       "CtrlBGColor \"256,0,0\" is not a colour"},
      {"three-number rectangle", LayoutXml(MainControls({{2107, "CtrlPos=\"1,2,3\""}}), str),
       "CtrlPos \"1,2,3\" is not a rectangle"},
      {"one-number offset", LayoutXml(MainControls({{2107, "CtrlTextOffSet=\"7\""}}), str),
       "CtrlTextOffSet \"7\" is not an offset"},
      {"number with a unit", LayoutXml(MainControls({{2107, "CtrlFontSize=\"12px\""}}), str),
       "CtrlFontSize \"12px\" is not a whole decimal number; it reads as 12"},
      {"number beyond the range", LayoutXml(MainControls({{2107, "CtrlShow=\"99999999999\""}}), str),
       "it reads as 2147483647"},
      {"misspelt style", LayoutXml(MainControls({{2107, "CtrlStyle=\"WS_CHILD|WS_VISIBEL\""}}), str),
       "\"WS_VISIBEL\" is no style name"},
      {"missing attributes", LayoutXml(MainControls({{2107, "!CtrlDiscrip !CtrlFont"}}), str),
       "CtrlInfo 2107 lacks the attributes CtrlFont, CtrlDiscrip, which read as empty"},
      {"face name too long", LayoutXml(MainControls({{2107, "CtrlFont=\"" + longFace + "\""}}), str),
       "is longer than the 31 characters"},
      {"missing main-window string", LayoutXml(ctrls, MainStrings("SEARCH_DEVICE_WATI_TIME_WARNING")),
       "StringID \"SEARCH_DEVICE_WATI_TIME_WARNING\" is missing; the main window reads it"},
      {"header font size not a number",
       LayoutXml(ctrls, MainStrings("SEARCH_DEVICE_LIST_HEADER_FONT_SIZE",
                                    "<StringInfo StringID=\"SEARCH_DEVICE_LIST_HEADER_FONT_SIZE\" StringValue=\"x\"/>")),
       "StringValue \"x\" of SEARCH_DEVICE_LIST_HEADER_FONT_SIZE is not a whole decimal number"},
      {"missing bound control", LayoutXml(MainControls({{2106, "absent"}}), str),
       "control 2106 (the wait notice) is missing"},
      {"bound control of the wrong family", LayoutXml(MainControls({{2105, "CtrlClass=\"ShowTaskListCtrl\""}}), str),
       "control 2105 (the device list) has CtrlClass \"ShowTaskListCtrl\", but the main window needs StandardListCtrl"},
      {"second dialog of the id",
       [&] {
         std::string xml = LayoutXml(ctrls, str), empty = LayoutXml("");
         size_t from = empty.find("<DialogInfo");
         std::string second = empty.substr(from, empty.find("</WindowInformation>") - from);
         return xml.insert(xml.find("</WindowInformation>"), second);
       }(),
       "a further DialogInfo with DialogID 201"},
      {"section not there", LayoutXml(ctrls, str), "has no child element <Other> (section names are case-sensitive)",
       201, L"Other"},
      {"no such dialog", LayoutXml(ctrls, str), "no DialogInfo with DialogID 202", 202},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    LayoutCheck check = Check(c.xml, c.id, c.section);
    EXPECT_EQ(check.status, LayoutCheck::kWarnings);
    ASSERT_EQ(check.warnings.size(), 1u) << Describe(check);
    EXPECT_NE(check.warnings[0].text.find(c.expected), std::string::npos) << Describe(check);
  }
}

TEST_F(LayoutCheckTest, WarningsNameTheLineOfTheElement) {
  std::string xml = LayoutXml(MainControls({{2108, "CtrlPos=\"1,2\""}}), MainStrings());
  int line = 1;
  for (size_t i = 0; i < xml.find("CtrlID=\"2108\""); ++i) line += xml[i] == '\n';
  LayoutCheck check = Check(xml);
  ASSERT_EQ(check.warnings.size(), 1u) << Describe(check);
  EXPECT_EQ(check.warnings[0].line, line);

  // The same with a byte-order mark in front.
  check = Check("\xEF\xBB\xBF" + xml);
  ASSERT_EQ(check.warnings.size(), 1u) << Describe(check);
  EXPECT_EQ(check.warnings[0].line, line);
}

TEST_F(LayoutCheckTest, OtherDialogsAreNotHeldToTheMainWindowsNeeds) {
  LayoutCheck check = Check(LayoutXml(CtrlXml(1), "", "DialogID=\"300\" DialogText=\"T\" DialogDiscrip=\"D\""), 300);
  EXPECT_EQ(check.status, LayoutCheck::kLoaded) << Describe(check);
}

TEST_F(LayoutCheckTest, UnreadableFiles) {
  LayoutCheck check = CheckLayoutFile(W(files_.dir() + "/absent.xml"), 201, L"Standard", root_);
  EXPECT_EQ(check.status, LayoutCheck::kUnreadable);
  EXPECT_EQ(check.error, "No such file or directory");

  check = Check("<WindowInformation>\n  <DialogInfo DialogID=\"201\">\n</WindowInformation>");
  EXPECT_EQ(check.status, LayoutCheck::kUnreadable);
  EXPECT_EQ(check.error.rfind("not well-formed XML at line 3, column ", 0), 0u) << check.error;
  EXPECT_TRUE(check.warnings.empty());
  EXPECT_EQ(check.info, LayoutDialogInfo());
}

TEST_F(LayoutCheckTest, JsonUsesTheFieldNames) {
  LayoutCheck check = Check(LayoutXml(MainControls(), MainStrings()));
  nlohmann::ordered_json j = LayoutToJson(check.info);
  std::vector<std::string> keys;
  for (auto it = j.begin(); it != j.end(); ++it) keys.push_back(it.key());
  const std::vector<std::string> dialogKeys = {
      "DialogID",        "DialogBGPath", "DialogBGColorText", "DialogBGColor", "DlgPaintMode",
      "DialogText",      "DialogDiscrip", "DialogPos",        "DlgTextColorText", "DlgTextColor",
      "DlgTextOffSet",   "DialogFont",   "DialogFontSize",    "CtrlInfos",     "Strings"};
  EXPECT_EQ(keys, dialogKeys);
  ASSERT_EQ(j["CtrlInfos"].size(), 6u);
  const nlohmann::ordered_json& c = j["CtrlInfos"][0];
  keys.clear();
  for (auto it = c.begin(); it != c.end(); ++it) keys.push_back(it.key());
  const std::vector<std::string> ctrlKeys = {
      "CtrlID",      "CtrlBGPath", "CtrlBGStatusCount", "CtrlBGColorText",   "CtrlBGColor",    "CtrlBorderColorText",
      "CtrlBorderColor", "CtrlPaintMode", "CtrlClass",  "CtrlStyle",         "CtrlDiscrip",    "CtrlText",
      "CtrlTextColorText", "CtrlTextColor", "CtrlTextOffSet", "CtrlFont",    "CtrlFontSize",   "CtrlPosType",
      "CtrlPos",     "CtrlShow"};
  EXPECT_EQ(keys, ctrlKeys);
  EXPECT_EQ(c["CtrlID"], 2103);
  EXPECT_EQ(c["CtrlPos"], (nlohmann::ordered_json{{"left", 18}, {"top", 210}, {"right", 97}, {"bottom", 233}}));
  EXPECT_EQ(c["CtrlTextOffSet"], (nlohmann::ordered_json{{"x", 0}, {"y", 6}}));
  EXPECT_EQ(c["CtrlBGColor"], 0xFFFFFF);
  EXPECT_EQ(c["CtrlStyle"], 0x50000000);
  EXPECT_EQ(j["CtrlInfos"][5]["CtrlID"], 2109);
  EXPECT_EQ(j["Strings"]["SEARCH_DEVICE_LIST_ITEM_NAME"], "Host Name");
}

// ------------------------------------------------------------------ the program

TEST_F(LayoutCheckTest, ToolExitStatusAndOutput) {
  const std::string tool = LANSCOUT_LAYOUT_TOOL;
  const std::string root = files_.dir() + "/root";
  std::string clean = files_.Write("clean.xml", LayoutXml(MainControls(), MainStrings()));
  std::string warned = files_.Write("warned.xml", LayoutXml(MainControls({{2107, "CtrlPos=\"1,2\""}}), MainStrings()));
  std::string broken = files_.Write("broken.xml", "<WindowInformation>");

  testsupport::ProcessResult r = testsupport::RunProcess({tool, "--root", root, clean});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.err, "");
  nlohmann::json j = nlohmann::json::parse(r.out, nullptr, false);
  ASSERT_FALSE(j.is_discarded()) << r.out;
  EXPECT_EQ(j["DialogID"], 201);
  EXPECT_EQ(j["CtrlInfos"].size(), 6u);
  EXPECT_EQ(j["CtrlInfos"][0]["CtrlBGPath"], root + "\\TesqaSearchTools\\Picture\\ButtonMax.png");

  r = testsupport::RunProcess({tool, "--root=" + root + "/", warned, "201", "Standard"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find(warned + ":"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find(": warning: CtrlInfo 2107: CtrlPos \"1,2\" is not a rectangle"), std::string::npos) << r.err;
  EXPECT_FALSE(nlohmann::json::parse(r.out, nullptr, false).is_discarded());

  r = testsupport::RunProcess({tool, "--root", root, broken});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err.find("cannot be read: not well-formed XML at line 1"), std::string::npos) << r.err;

  r = testsupport::RunProcess({tool, files_.dir() + "/absent.xml"});
  EXPECT_EQ(r.exitCode, 2);

  for (const std::vector<std::string>& bad : std::vector<std::vector<std::string>>{
           {tool}, {tool, clean, "20x"}, {tool, "--frobnicate", clean}, {tool, clean, "201", "Standard", "extra"},
           {tool, "--root"}}) {
    r = testsupport::RunProcess(bad);
    EXPECT_EQ(r.exitCode, 2) << bad.size();
    EXPECT_NE(r.err.find("usage: lanscout-layout"), std::string::npos);
  }
  r = testsupport::RunProcess({tool, "--help"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_NE(r.out.find("usage: lanscout-layout [--root DIR] FILE [DIALOG_ID [SECTION]]"), std::string::npos);
}

}  // namespace
