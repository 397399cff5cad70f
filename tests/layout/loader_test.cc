// The layout loader: the English reference layout read field by field, the
// failure rows, and the places where the loader's choice of elements matters.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "layout/layout_loader.h"
#include "layout_test_support.h"
#include "platform/textconv.h"

namespace {

using layouttest::CtrlXml;
using layouttest::LayoutFiles;
using layouttest::LayoutXml;
using layouttest::ShellFolder;

std::wstring W(const std::string& s) { return Utf8ToWide(s); }

// A record that is anything but cleared, to see that a load clears it.
LayoutDialogInfo FilledRecord() {
  LayoutDialogInfo info;
  info.DialogID = 5;
  info.DialogText = L"old";
  info.DialogPos = {1, 2, 3, 4};
  info.CtrlInfos[1].CtrlText = L"old";
  info.Strings[L"old"] = L"old";
  return info;
}

void ExpectRect(const RECT& r, LONG left, LONG top, LONG right, LONG bottom) {
  layouttest::ExpectRect(r, {left, top, right, bottom});
}

class LayoutLoader : public ::testing::Test {
 protected:
  // Writes `xml` and loads dialog 201, section "Standard" from it.
  LayoutDialogInfo Load(const std::string& xml, int32_t id = 201, const std::wstring& section = L"Standard") {
    LayoutDialogInfo info = FilledRecord();
    EXPECT_EQ(LoadLayoutInfo(info, W(files_.Write("layout.xml", xml)), id, section), 1);
    return info;
  }
  LayoutFiles files_;
};

// ------------------------------------------------------------------ the reference layout

TEST_F(LayoutLoader, EnglishLayoutGivesTheReferenceRecord) {
  LayoutDialogInfo info;
  std::wstring path = W(std::string(LANSCOUT_SOURCE_DIR) + "/resources/layouts/150-en.xml");
  ASSERT_EQ(LoadLayoutInfo(info, path, 201, L"Standard"), 1);
  const std::wstring folder = ShellFolder();
  const std::wstring picture = folder + L"\\TesqaSearchTools\\Picture\\";

  EXPECT_EQ(info.DialogID, 201);
  EXPECT_EQ(info.DialogText, L"Voyalink");
  EXPECT_EQ(info.DialogDiscrip, L"Search Device Windows");
  EXPECT_EQ(info.DialogBGPath, picture + L"SearchDevice_BlackGround.png");
  EXPECT_EQ(info.DialogBGColorText, L"255,255,255");
  EXPECT_EQ(info.DialogBGColor, 0x00FFFFFFu);
  EXPECT_EQ(info.DlgPaintMode, 8);
  EXPECT_EQ(info.DlgTextOffSet, (LayoutOffset{0, 0}));
  EXPECT_EQ(info.DlgTextColorText, L"244,245,247");
  EXPECT_EQ(info.DlgTextColor, RGB(244, 245, 247));
  EXPECT_EQ(info.DialogFont, L"Tahoma");
  EXPECT_EQ(info.DialogFontSize, 12);
  ExpectRect(info.DialogPos, 0, 0, 328, 245);

  struct Row {
    int32_t id;
    const wchar_t* ctrlClass;
    const wchar_t* image;  // file in the picture folder, or null
    int32_t states, paintMode;
    RECT pos;
    const wchar_t* text;
    LayoutOffset textOffset;
    COLORREF textColor;
    int32_t fontSize;
    const wchar_t* discrip;
  };
  const COLORREF light = RGB(244, 245, 247);
  const Row rows[] = {
      {2101, L"ShowImageCtrl", L"logo.png", 1, 4, {7, 7, 23, 23}, L"", {0, 0}, RGB(255, 255, 255), 12, L"LOG Image Show"},
      {2102, L"ShowTextCtrl", nullptr, 1, 4, {30, 4, 300, 29}, L"Voyalink", {0, 0}, light, 21, L"Dialog Title"},
      {2103, L"StandardButton", L"close.png", 4, 4, {300, 10, 311, 21}, L"", {0, 0}, light, 12, L"Close Button"},
      {2104, L"ShowTextImageCtrl", nullptr, 1, 4, {15, 32, 215, 47}, L"Device List", {13, 2}, light, 12,
       L"Device List Title"},
      {2105, L"StandardListCtrl", nullptr, 1, 1, {10, 50, 318, 191}, L"Device List", {0, 0}, RGB(6, 65, 105), 13,
       L"Device List Show"},
      {2106, L"ShowTextImageCtrl", L"Brush.png", 1, 4, {10, 194, 290, 209}, L"Searching new devices,please wait\x2026",
       {15, 1}, light, 12, L""},
      {2107, L"StandardButton", L"ButtonMax.png", 4, 4, {18, 210, 97, 233}, L"Log In", {0, 6}, light, 12,
       L"Log In Button"},
      {2108, L"StandardButton", L"ButtonMax.png", 4, 4, {127, 210, 206, 233}, L"Refresh", {0, 6}, light, 12,
       L"Refresh Button"},
      {2109, L"StandardButton", L"ButtonMax.png", 4, 4, {228, 210, 307, 233}, L"My Storage", {0, 6}, light, 12,
       L"My Storage Button"},
  };
  ASSERT_EQ(info.CtrlInfos.size(), 9u);
  auto it = info.CtrlInfos.begin();
  for (const Row& row : rows) {
    SCOPED_TRACE(row.id);
    ASSERT_EQ(it->first, row.id);
    const LayoutCtrlInfo& c = (it++)->second;
    EXPECT_EQ(c.CtrlID, row.id);
    EXPECT_EQ(c.CtrlClass, row.ctrlClass);
    EXPECT_EQ(c.CtrlBGPath, row.image ? picture + row.image : folder);
    EXPECT_EQ(c.CtrlBGStatusCount, row.states);
    EXPECT_EQ(c.CtrlBGColorText, L"255,255,255");
    EXPECT_EQ(c.CtrlBGColor, 0x00FFFFFFu);
    EXPECT_EQ(c.CtrlBorderColorText, L"126,157,185");
    EXPECT_EQ(c.CtrlBorderColor, 0x00B99D7Eu);
    EXPECT_EQ(c.CtrlPaintMode, row.paintMode);
    EXPECT_EQ(c.CtrlStyle, row.id == 2105 ? 0x50000001u : 0x50000000u);
    EXPECT_EQ(c.CtrlPosType, 3);
    ExpectRect(c.CtrlPos, row.pos.left, row.pos.top, row.pos.right, row.pos.bottom);
    EXPECT_EQ(c.CtrlShow, 5);
    EXPECT_EQ(c.CtrlText, row.text);
    EXPECT_EQ(c.CtrlTextOffSet, row.textOffset);
    EXPECT_EQ(c.CtrlTextColor, row.textColor);
    EXPECT_EQ(c.CtrlFont, L"Tahoma");
    EXPECT_EQ(c.CtrlFontSize, row.fontSize);
    EXPECT_EQ(c.CtrlDiscrip, row.discrip);
  }

  const Strings expected = {
      {L"SEARCH_DEVICE_LIST_ITEM_NAME", L"Host Name"},
      {L"SEARCH_DEVICE_LIST_ITEM_IP", L"IP Address"},
      {L"SEARCH_DEVICE_LIST_ITEM_TYPE", L"Devcie Type"},
      {L"SEARCH_DEVICE_LIST_HEADER_FONT_NAME", L"Tahoma"},
      {L"SEARCH_DEVICE_LIST_HEADER_FONT_SIZE", L"12"},
      {L"SEARCH_DEVICE_LIST_HEADER_FONT_COLOR", L"244,245,247"},
      {L"SEARCH_DEVICE_WATI_TIME_WARNING", L"Searching new devices,please wait"},
  };
  EXPECT_EQ(info.Strings, expected);
  EXPECT_EQ(info.LookupString(L"SEARCH_DEVICE_LIST_ITEM_IP"), L"IP Address");
  EXPECT_EQ(info.LookupString(L"search_device_list_item_ip"), L"");  // keys are case-sensitive
  LayoutCtrlInfo ctrl;
  ctrl.CtrlText = L"untouched";
  EXPECT_FALSE(info.LookupCtrlInfo(2110, ctrl));
  EXPECT_EQ(ctrl.CtrlText, L"untouched");
  EXPECT_TRUE(info.LookupCtrlInfo(2108, ctrl));
  EXPECT_EQ(ctrl.CtrlText, L"Refresh");
}

// ------------------------------------------------------------------ failures

TEST_F(LayoutLoader, EmptyPathClearsAndReturnsZero) {
  LayoutDialogInfo info = FilledRecord();
  EXPECT_EQ(LoadLayoutInfo(info, L"", 201, L"Standard"), 0);
  EXPECT_EQ(info, LayoutDialogInfo());
}

TEST_F(LayoutLoader, FilesThatGiveNothingClearTheRecordAndReturnOne) {
  const std::string good = LayoutXml(CtrlXml(2107), "<StringInfo StringID=\"A\" StringValue=\"a\" />");
  struct Case {
    const char* what;
    std::string bytes;
  };
  const Case cases[] = {
      {"empty file", ""},
      {"only a byte-order mark", "\xEF\xBB\xBF"},
      {"not XML", "hello"},
      {"cut short", good.substr(0, good.size() / 2)},
      {"mismatched end tag", "<WindowInformation><DialogInfo DialogID=\"201\"></Dialoginfo></WindowInformation>"},
      {"broken attribute after a good dialog", good + "<x a=\"1></x>"},
      {"no WindowInformation", "<Root><DialogInfo DialogID=\"201\" DialogText=\"T\" /></Root>"},
      {"DialogInfo not directly under WindowInformation",
       "<WindowInformation><Group><DialogInfo DialogID=\"201\" DialogText=\"T\" /></Group></WindowInformation>"},
      {"other dialog id", LayoutXml(CtrlXml(2107), "", "DialogID=\"202\" DialogText=\"T\"")},
      {"dialog id written in hexadecimal", LayoutXml(CtrlXml(2107), "", "DialogID=\"0xC9\" DialogText=\"T\"")},
      {"NUL byte inside the document", std::string(good).insert(good.find("DialogText"), 1, '\0')},
      {"NUL bytes inside the last tag", good.substr(0, good.size() - 3) + std::string(60, '\0') + ">"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(Load(c.bytes), LayoutDialogInfo());
  }
}

TEST_F(LayoutLoader, MissingDirectoryAndSpecialFilesGiveNothing) {
  LayoutDialogInfo info = FilledRecord();
  EXPECT_EQ(LoadLayoutInfo(info, W(files_.dir() + "/absent.xml"), 201, L"Standard"), 1);
  EXPECT_EQ(info, LayoutDialogInfo());

  info = FilledRecord();
  EXPECT_EQ(LoadLayoutInfo(info, W(files_.dir()), 201, L"Standard"), 1);
  EXPECT_EQ(info, LayoutDialogInfo());

  // A FIFO without a writer would block a plain open for reading.
  std::string fifo = files_.dir() + "/fifo.xml";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  info = FilledRecord();
  EXPECT_EQ(LoadLayoutInfo(info, W(fifo), 201, L"Standard"), 1);
  EXPECT_EQ(info, LayoutDialogInfo());

  // A file beyond the size limit is not read, even if it holds a good layout.
  std::string big = LayoutXml(CtrlXml(2107));
  big.append(kMaxLayoutFileSize, ' ');
  info = FilledRecord();
  EXPECT_EQ(LoadLayoutInfo(info, W(files_.Write("big.xml", big)), 201, L"Standard"), 1);
  EXPECT_EQ(info, LayoutDialogInfo());
}

TEST_F(LayoutLoader, ProgramPathsUseBackslashes) {
  files_.Write("layout.xml", LayoutXml(CtrlXml(2107)));
  std::wstring path = W(files_.dir()) + L"\\layout.xml";
  LayoutDialogInfo info;
  EXPECT_EQ(LoadLayoutInfo(info, path, 201, L"Standard"), 1);
  EXPECT_EQ(info.CtrlInfos.size(), 1u);
}

TEST_F(LayoutLoader, DialogWithoutTheSectionGivesDialogFieldsAndStringsOnly) {
  std::string xml = LayoutXml(CtrlXml(2107), "<StringInfo StringID=\"A\" StringValue=\"a\" />");
  LayoutDialogInfo info = Load(xml, 201, L"Other");
  LayoutDialogInfo expected;
  expected.DialogID = 201;
  expected.DialogText = L"T";
  expected.DialogDiscrip = L"D";
  expected.Strings[L"A"] = L"a";
  EXPECT_EQ(info, expected);

  // A section name that differs only in letter case is another section.
  EXPECT_EQ(Load(xml, 201, L"standard"), expected);
}

// ------------------------------------------------------------------ which elements

TEST_F(LayoutLoader, TwoDialogsOfTheSameId) {
  std::string first =
      "<DialogInfo DialogID=\"201\" DialogText=\"First\" DialogDiscrip=\"1\">"
      "<Standard DialogBGPath=\"\\a.png\" DialogBGColor=\"1,2,3\" DlgPaintMode=\"8\" DlgTextOffSet=\"1,1\" "
      "DlgTextColor=\"4,5,6\" DialogFont=\"F1\" DialogFontSize=\"11\" DialogPos=\"0,0,100,100\">" +
      CtrlXml(2101, "CtrlText=\"one\"") + CtrlXml(2102, "CtrlText=\"two\"") +
      "</Standard><StringInfo StringID=\"A\" StringValue=\"first\" /></DialogInfo>";
  // The second one's colour and rectangle do not parse: those fields keep
  // the first one's values.
  std::string second =
      "<DialogInfo DialogID=\"201\" DialogText=\"Second\" DialogDiscrip=\"2\">"
      "<Standard DialogBGPath=\"\\b.png\" DialogBGColor=\"9,9\" DlgPaintMode=\"2\" DlgTextOffSet=\"7\" "
      "DlgTextColor=\"7,8,9\" DialogFont=\"F2\" DialogFontSize=\"22\" DialogPos=\"5\">" +
      CtrlXml(2102, "CtrlText=\"TWO\"") + CtrlXml(2103, "CtrlText=\"three\"") +
      "</Standard><StringInfo StringID=\"A\" StringValue=\"second\" />"
      "<StringInfo StringID=\"B\" StringValue=\"b\" /></DialogInfo>";
  LayoutDialogInfo info = Load("<WindowInformation>" + first + second + "</WindowInformation>");

  EXPECT_EQ(info.DialogText, L"Second");
  EXPECT_EQ(info.DialogDiscrip, L"2");
  EXPECT_EQ(info.DialogBGPath, ShellFolder() + L"\\b.png");
  EXPECT_EQ(info.DialogBGColorText, L"9,9");
  EXPECT_EQ(info.DialogBGColor, RGB(1, 2, 3));
  EXPECT_EQ(info.DlgPaintMode, 2);
  EXPECT_EQ(info.DlgTextOffSet, (LayoutOffset{1, 1}));
  EXPECT_EQ(info.DlgTextColor, RGB(7, 8, 9));
  EXPECT_EQ(info.DialogFont, L"F2");
  EXPECT_EQ(info.DialogFontSize, 22);
  ExpectRect(info.DialogPos, 0, 0, 100, 100);  // "5" has no comma: the first one's rectangle stays
  ASSERT_EQ(info.CtrlInfos.size(), 3u);
  EXPECT_EQ(info.CtrlInfos[2101].CtrlText, L"one");
  EXPECT_EQ(info.CtrlInfos[2102].CtrlText, L"two");  // the first record of an id stays
  EXPECT_EQ(info.CtrlInfos[2103].CtrlText, L"three");
  EXPECT_EQ(info.Strings, (Strings{{L"A", L"first"}, {L"B", L"b"}}));

  // A second DialogInfo without the section changes only the texts.
  std::string bare = "<DialogInfo DialogID=\"201\" DialogText=\"Bare\" DialogDiscrip=\"3\" />";
  info = Load("<WindowInformation>" + first + bare + "</WindowInformation>");
  EXPECT_EQ(info.DialogText, L"Bare");
  EXPECT_EQ(info.DialogFont, L"F1");
  EXPECT_EQ(info.CtrlInfos.size(), 2u);
}

TEST_F(LayoutLoader, DialogIdAndNumbersReadLikeTheReaders) {
  LayoutDialogInfo info = Load(LayoutXml(CtrlXml(2107), "", "DialogID=\"201abc\" DialogText=\"T\""));
  EXPECT_EQ(info.DialogID, 201);
  EXPECT_EQ(info.CtrlInfos.size(), 1u);
  EXPECT_EQ(Load(LayoutXml(CtrlXml(2107), "", "DialogID=\" +201\" DialogText=\"T\"")).DialogID, 201);
}

TEST_F(LayoutLoader, ControlsAtAnyDepthOfTheSectionAndStringsAnywhereInTheDialog) {
  std::string xml =
      "<WindowInformation><DialogInfo DialogID=\"201\" DialogText=\"T\" DialogDiscrip=\"D\">"
      "<Standard>" +
      CtrlXml(2103) + "<Group><Inner>" + CtrlXml(2101) + "</Inner></Group>" +
      "<StringInfo StringID=\"InSection\" StringValue=\"1\" /></Standard>" + CtrlXml(2102) +  // under DialogInfo
      "<Other>" + CtrlXml(2104) + "</Other>" +  // in another look
      "<Deep><StringInfo StringID=\"Deep\" StringValue=\"2\" /></Deep>"
      "</DialogInfo><StringInfo StringID=\"Outside\" StringValue=\"3\" /></WindowInformation>";
  LayoutDialogInfo info = Load(xml);
  ASSERT_EQ(info.CtrlInfos.size(), 2u);
  EXPECT_EQ(info.CtrlInfos.begin()->first, 2101);  // ordered by id, not by position
  EXPECT_EQ(info.CtrlInfos.rbegin()->first, 2103);
  EXPECT_EQ(info.Strings, (Strings{{L"Deep", L"2"}, {L"InSection", L"1"}}));

  // Only the first element named like the section counts.
  std::string twoSections = "<WindowInformation><DialogInfo DialogID=\"201\"><Standard>" + CtrlXml(2101) +
                            "</Standard><Standard>" + CtrlXml(2102) +
                            "</Standard></DialogInfo></WindowInformation>";
  info = Load(twoSections);
  ASSERT_EQ(info.CtrlInfos.size(), 1u);
  EXPECT_EQ(info.CtrlInfos.begin()->first, 2101);

  // WindowInformation need not be the root element.
  std::string layout = LayoutXml(CtrlXml(2107));
  info = Load("<Wrapper>" + layout.substr(layout.find("<WindowInformation>")) + "</Wrapper>");
  EXPECT_EQ(info.CtrlInfos.size(), 1u);
}

TEST_F(LayoutLoader, RepeatedIdsAndKeysKeepTheFirst) {
  LayoutDialogInfo info = Load(LayoutXml(CtrlXml(2107, "CtrlText=\"first\"") + CtrlXml(2107, "CtrlText=\"second\""),
                                         "<StringInfo StringID=\"K\" StringValue=\"first\" />"
                                         "<StringInfo StringID=\"K\" StringValue=\"second\" />"
                                         "<StringInfo StringID=\"k\" StringValue=\"lower\" />"));
  ASSERT_EQ(info.CtrlInfos.size(), 1u);
  EXPECT_EQ(info.CtrlInfos[2107].CtrlText, L"first");
  EXPECT_EQ(info.Strings, (Strings{{L"K", L"first"}, {L"k", L"lower"}}));
}

// A DialogInfo inside another (through a WindowInformation of its own): the
// outer one is read first, its section before the inner dialog's section
// even though the inner one comes first in the file.
TEST_F(LayoutLoader, NestedDialogsAreReadInTheirOrder) {
  std::string xml =
      "<WindowInformation><DialogInfo DialogID=\"201\" DialogText=\"outer\">"
      "<WindowInformation><DialogInfo DialogID=\"201\" DialogText=\"inner\"><Standard>" +
      CtrlXml(2105, "CtrlText=\"inner\"") + CtrlXml(2106, "CtrlText=\"inner\"") +
      "</Standard><StringInfo StringID=\"S\" StringValue=\"inner\" /></DialogInfo></WindowInformation>"
      "<Standard>" +
      CtrlXml(2105, "CtrlText=\"outer\"") +
      "</Standard><StringInfo StringID=\"S\" StringValue=\"outer\" /></DialogInfo></WindowInformation>";
  LayoutDialogInfo info = Load(xml);
  EXPECT_EQ(info.DialogText, L"inner");  // processed last
  ASSERT_EQ(info.CtrlInfos.size(), 2u);
  EXPECT_EQ(info.CtrlInfos[2105].CtrlText, L"outer");
  EXPECT_EQ(info.CtrlInfos[2106].CtrlText, L"inner");
  EXPECT_EQ(info.Strings, (Strings{{L"S", L"inner"}}));  // strings come in document order
}

TEST_F(LayoutLoader, DeepNestingLoads) {
  const int depth = 50000;
  std::string xml;
  for (int i = 0; i < depth; ++i)
    xml += "<WindowInformation><DialogInfo DialogID=\"201\"><StringInfo StringID=\"" + std::to_string(i % 7) +
           "\" StringValue=\"" + std::to_string(i) + "\"/><Standard><CtrlInfo CtrlID=\"" + std::to_string(i % 5) +
           "\"/><Standard>";
  for (int i = 0; i < depth; ++i) xml += "</Standard></Standard></DialogInfo></WindowInformation>";
  LayoutDialogInfo info = Load(xml);
  EXPECT_EQ(info.CtrlInfos.size(), 5u);
  EXPECT_EQ(info.Strings.size(), 7u);
  EXPECT_EQ(info.Strings[L"6"], L"6");

  std::string elements;
  for (int i = 0; i < depth * 4; ++i) elements += "<a>";
  for (int i = 0; i < depth * 4; ++i) elements += "</a>";
  EXPECT_EQ(Load(elements), LayoutDialogInfo());
}

// ------------------------------------------------------------------ attribute values

TEST_F(LayoutLoader, ValuesAsTheControlRecordKeepsThem) {
  LayoutDialogInfo info = Load(LayoutXml(
      CtrlXml(2101, "CtrlPos=\"10,20,30\"") + CtrlXml(2102, "CtrlBGPath=\"\"") +
      CtrlXml(2103, "CtrlBGPath=\"Picture\\x.png\" CtrlClass=\"standardbutton\" CtrlStyle=\"ws_child\"") +
      CtrlXml(2104, "CtrlText=\"a&#0;b\" CtrlFont=\"&lt;&amp;&quot;\"") +
      CtrlXml(2105, "CtrlText=\"tab\tand&#10;line\" CtrlBGColor=\"\" CtrlTextOffSet=\"1,2,3\"")));
  ASSERT_EQ(info.CtrlInfos.size(), 5u);
  ExpectRect(info.CtrlInfos[2101].CtrlPos, 10, 20, 0, 0);  // three numbers: right and bottom stay 0
  EXPECT_EQ(info.CtrlInfos[2102].CtrlBGPath, ShellFolder());  // an empty path is the folder itself
  EXPECT_EQ(info.CtrlInfos[2103].CtrlBGPath, ShellFolder() + L"Picture\\x.png");  // nothing inserted
  EXPECT_EQ(info.CtrlInfos[2103].CtrlClass, L"standardbutton");  // kept, though no control class
  EXPECT_EQ(info.CtrlInfos[2103].CtrlStyle, 0u);
  EXPECT_EQ(info.CtrlInfos[2104].CtrlText, L"a");  // a text ends at its first NUL
  EXPECT_EQ(info.CtrlInfos[2104].CtrlFont, L"<&\"");
  EXPECT_EQ(info.CtrlInfos[2105].CtrlText, L"tab and\nline");  // a literal tab is normalised, &#10; is not
  EXPECT_EQ(info.CtrlInfos[2105].CtrlBGColorText, L"");
  EXPECT_EQ(info.CtrlInfos[2105].CtrlBGColor, 0u);
  EXPECT_EQ(info.CtrlInfos[2105].CtrlTextOffSet, (LayoutOffset{1, 2}));
}

TEST_F(LayoutLoader, MissingAttributesReadAsEmpty) {
  std::string xml = "<WindowInformation><DialogInfo DialogID=\"201\"><Standard DialogFont=\"F\">"
                    "<CtrlInfo CtrlID=\"2107\" CtrlText=\"only\" /><CtrlInfo CtrlText=\"no id\" />"
                    "</Standard><StringInfo StringValue=\"no key\" /><StringInfo StringID=\"no value\" />"
                    "</DialogInfo></WindowInformation>";
  LayoutDialogInfo info = Load(xml);
  LayoutDialogInfo expected;
  expected.DialogID = 201;
  expected.DialogBGPath = ShellFolder();
  expected.DialogFont = L"F";
  expected.CtrlInfos[2107].CtrlID = 2107;
  expected.CtrlInfos[2107].CtrlBGPath = ShellFolder();
  expected.CtrlInfos[2107].CtrlText = L"only";
  expected.CtrlInfos[0].CtrlBGPath = ShellFolder();  // a missing CtrlID reads as 0
  expected.CtrlInfos[0].CtrlText = L"no id";
  expected.Strings[L""] = L"no key";
  expected.Strings[L"no value"] = L"";
  EXPECT_EQ(info, expected);
}

// pugixml lets a repeated attribute through; the first one counts, whatever
// the order of the attributes.
TEST_F(LayoutLoader, RepeatedAttributeFirstCounts) {
  LayoutDialogInfo info = Load(
      "<WindowInformation><DialogInfo DialogID=\"201\"><Standard>"
      "<CtrlInfo CtrlText=\"x\" CtrlID=\"1\" CtrlText=\"y\" />"
      "<CtrlInfo CtrlID=\"2\" CtrlID=\"3\" CtrlBGPath=\"\\a\" CtrlBGStatusCount=\"1\" CtrlBGPath=\"\\b\" />"
      "</Standard></DialogInfo></WindowInformation>");
  ASSERT_EQ(info.CtrlInfos.size(), 2u);
  EXPECT_EQ(info.CtrlInfos[1].CtrlText, L"x");
  EXPECT_EQ(info.CtrlInfos[2].CtrlBGPath, ShellFolder() + L"\\a");
  EXPECT_EQ(info.CtrlInfos[2].CtrlBGStatusCount, 1);
}

TEST_F(LayoutLoader, EncodingsLoadAlike) {
  const std::string body = LayoutXml(CtrlXml(2107, "CtrlText=\"Geräteliste 设备\""));
  const LayoutDialogInfo plain = Load(body);
  ASSERT_EQ(plain.CtrlInfos.size(), 1u);
  EXPECT_EQ(plain.CtrlInfos.at(2107).CtrlText, L"Ger\xE4teliste \x8BBE\x5907");

  EXPECT_EQ(Load("\xEF\xBB\xBF" + body), plain);

  // UTF-16 with its byte-order mark.
  std::wstring wide = Utf8ToWide(body);
  std::string utf16 = "\xFF\xFE";
  for (wchar_t c : wide) {
    utf16 += static_cast<char>(c & 0xFF);
    utf16 += static_cast<char>((c >> 8) & 0xFF);
  }
  EXPECT_EQ(Load(utf16), plain);

  // Bytes that are not UTF-8 become U+FFFD; they do not end the file.
  LayoutDialogInfo broken = Load(LayoutXml(CtrlXml(2107, "CtrlText=\"a\xFF" "b\"")));
  EXPECT_EQ(broken.CtrlInfos.at(2107).CtrlText, L"a\xFFFD" L"b");

  // The same bytes from memory.
  LayoutDialogInfo fromMemory;
  EXPECT_EQ(LoadLayoutInfoFromMemory(fromMemory, body.data(), body.size(), 201, L"Standard"), 1);
  EXPECT_EQ(fromMemory, plain);
}

TEST_F(LayoutLoader, PathRootOptionReplacesTheShellFolder) {
  std::wstring root = L"/somewhere";
  LayoutLoadOptions options;
  options.pathRoot = &root;
  LayoutDialogInfo info;
  std::string xml = LayoutXml(CtrlXml(2107));
  LoadLayoutInfoFromMemory(info, xml.data(), xml.size(), 201, L"Standard", options);
  EXPECT_EQ(info.DialogBGPath, L"/somewhere\\TesqaSearchTools\\Picture\\SearchDevice_BlackGround.png");
  EXPECT_EQ(info.CtrlInfos.at(2107).CtrlBGPath, L"/somewhere\\TesqaSearchTools\\Picture\\ButtonMax.png");
}

}  // namespace
