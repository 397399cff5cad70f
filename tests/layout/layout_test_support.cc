#include "layout_test_support.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <regex>
#include <utility>
#include <vector>

#include "app/workfolder.h"

namespace layouttest {

namespace {

// Points the shared shell folder into a temporary folder for the whole run.
class ShellFolderEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { setenv("XDG_DATA_HOME", data_.path().c_str(), 1); }

 private:
  testsupport::TempDir data_;
};

const bool kRegistered = [] {
  ::testing::AddGlobalTestEnvironment(new ShellFolderEnvironment);
  return true;
}();

}  // namespace

std::wstring ShellFolder() {
  (void)kRegistered;
  return GetShellFolderPath();
}

std::string LayoutFiles::Write(const std::string& name, const std::string& bytes) {
  std::string path = temp_.path() + "/" + name;
  EXPECT_TRUE(testsupport::WriteFile(path, bytes)) << path;
  return path;
}

std::string CtrlXml(int id, const std::string& overrides) {
  std::vector<std::pair<std::string, std::string>> attributes = {
      {"CtrlID", std::to_string(id)},
      {"CtrlBGPath", "\\TesqaSearchTools\\Picture\\ButtonMax.png"},
      {"CtrlBGStatusCount", "4"},
      {"CtrlBGColor", "255,255,255"},
      {"CtrlBorderColor", "126,157,185"},
      {"CtrlPaintMode", "4"},
      {"CtrlClass", "StandardButton"},
      {"CtrlStyle", "WS_CHILD|WS_VISIBLE"},
      {"CtrlPosType", "3"},
      {"CtrlPos", "18,210,79,23"},
      {"CtrlShow", "5"},
      {"CtrlText", "Log In"},
      {"CtrlTextOffSet", "0,6"},
      {"CtrlTextColor", "244,245,247"},
      {"CtrlFont", "Tahoma"},
      {"CtrlFontSize", "12"},
      {"CtrlDiscrip", "Log In Button"},
  };
  // Name="value" replaces (or adds) an attribute, !Name leaves it out.
  static const std::regex kOverride(R"re((!?)(\w+)(?:="([^"]*)")?)re");
  for (std::sregex_iterator it(overrides.begin(), overrides.end(), kOverride), end; it != end; ++it) {
    bool remove = (*it)[1].length() > 0;
    std::string name = (*it)[2];
    bool found = false;
    for (auto a = attributes.begin(); a != attributes.end(); ++a) {
      if (a->first != name) continue;
      found = true;
      if (remove)
        attributes.erase(a);
      else
        a->second = (*it)[3];
      break;
    }
    if (!found && !remove) attributes.emplace_back(name, (*it)[3]);
  }
  std::string xml = "<CtrlInfo";
  for (const auto& a : attributes) xml += " " + a.first + "=\"" + a.second + "\"";
  return xml + " />";
}

std::string LayoutXml(const std::string& ctrls, const std::string& strings, const std::string& dialogAttributes) {
  return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<WindowInformation>\r\n<DialogInfo " + dialogAttributes +
         ">\r\n<Standard DialogBGPath=\"\\TesqaSearchTools\\Picture\\SearchDevice_BlackGround.png\" "
         "DialogBGColor=\"255,255,255\" DlgPaintMode=\"8\" DlgTextOffSet=\"0,0\" DlgTextColor=\"244,245,247\" "
         "DialogFont=\"Tahoma\" DialogFontSize=\"12\" DialogPos=\"0,0,328,245\">\r\n" +
         ctrls + "\r\n</Standard>\r\n" + strings + "\r\n</DialogInfo>\r\n</WindowInformation>\r\n";
}

void ExpectRect(const RECT& actual, const RECT& expected) {
  EXPECT_EQ(actual.left, expected.left);
  EXPECT_EQ(actual.top, expected.top);
  EXPECT_EQ(actual.right, expected.right);
  EXPECT_EQ(actual.bottom, expected.bottom);
}

}  // namespace layouttest
