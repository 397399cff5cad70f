// The thirteen layouts the program carries, checked as the program gets them:
// the embedded copies (the bytes it writes into its working folder), written
// to a temporary folder and loaded from there. Each must give the main
// window's nine controls and seven strings, the common look of the English
// layout with the differences of its language, the texts of its language,
// and no warning from lanscout-layout.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "layout/layout_loader.h"
#include "layout_test_support.h"
#include "platform/resource.h"
#include "platform/textconv.h"

namespace {

namespace fs = std::filesystem;
using layouttest::ExpectRect;
using layouttest::LayoutFiles;
using layouttest::ShellFolder;

std::string EmbeddedLayout(int id) {
  HRSRC resource = FindResourceW(AfxGetResourceHandle(), MAKEINTRESOURCEW(id), L"XML");
  if (!resource) return std::string();
  HGLOBAL loaded = LoadResource(AfxGetResourceHandle(), resource);
  const char* data = static_cast<const char*>(LockResource(loaded));
  return std::string(data, SizeofResource(AfxGetResourceHandle(), resource));
}

struct Language {
  int id;
  const char* name;
  const wchar_t* font;   // of the dialog, the header string and all controls but 2102 and 2105
  const wchar_t* title;  // DialogText and the 2102 text; null where the layout may choose
  bool selected;         // a language index picks it
  bool bom;
  COLORREF dialogTextColor;
  RECT pos2104, pos2106;
  bool chineseDescriptions;
};

constexpr COLORREF kLight = RGB(244, 245, 247);
constexpr COLORREF kDark = RGB(6, 65, 105);
constexpr RECT kPos2104 = {15, 32, 215, 47};
constexpr RECT kPos2104Wide = {15, 32, 265, 47};

RECT Notice(LONG width) { return {10, 194, 10 + width, 209}; }

const Language kLanguages[] = {
    {149, "Chinese (Simplified)", L"宋体", L"Voyalink", true, true, kDark, kPos2104, Notice(224), true},
    {150, "English", L"Tahoma", L"Voyalink", true, true, kLight, kPos2104, Notice(280), false},
    {151, "Chinese (Traditional)", L"宋体", nullptr, true, true, kLight, kPos2104, Notice(280), true},
    {159, "Japanese", L"MS Mincho", nullptr, false, true, kLight, kPos2104, Notice(310), false},
    {160, "German", L"Arial", L"Voyalink", true, true, kLight, kPos2104, Notice(290), false},
    {161, "French", L"Arial", L"Voyalink", true, true, kLight, kPos2104Wide, Notice(300), false},
    {162, "Russian", L"courier New", nullptr, false, true, kLight, kPos2104Wide, Notice(300), false},
    {163, "Korean", L"Dotum", nullptr, false, true, kLight, {15, 32, 165, 47}, Notice(315), false},
    {164, "Portuguese", L"Arial", nullptr, false, true, kLight, kPos2104, Notice(280), false},
    {165, "Spanish", L"Arial", L"Voyalink", true, true, kDark, kPos2104, Notice(224), true},
    {166, "Italian", L"Arial", L"Voyalink", true, true, kDark, kPos2104, Notice(224), true},
    {169, "Dutch", L"Arial", L"Voyalink", false, true, kDark, kPos2104, Notice(224), true},
    {175, "Polish", L"Tahoma", L"Poszukiwanie urządzenia", false, false, kLight, kPos2104, Notice(280), false},
};

// What every layout shares with the English one, control by control.
struct CommonCtrl {
  int32_t id;
  const wchar_t* ctrlClass;
  const wchar_t* image;
  int32_t states, paintMode;
  uint32_t style;
  COLORREF textColor;
  RECT pos;  // but for 2104 and 2106
  LayoutOffset textOffset;
  const wchar_t* englishDiscrip;
};
const CommonCtrl kCommon[] = {
    {2101, L"ShowImageCtrl", L"logo.png", 1, 4, 0x50000000, RGB(255, 255, 255), {7, 7, 23, 23}, {0, 0},
     L"LOG Image Show"},
    {2102, L"ShowTextCtrl", nullptr, 1, 4, 0x50000000, kLight, {30, 4, 300, 29}, {0, 0}, L"Dialog Title"},
    {2103, L"StandardButton", L"close.png", 4, 4, 0x50000000, kLight, {300, 10, 311, 21}, {0, 0}, L"Close Button"},
    {2104, L"ShowTextImageCtrl", nullptr, 1, 4, 0x50000000, kLight, {}, {13, 2}, L"Device List Title"},
    {2105, L"StandardListCtrl", nullptr, 1, 1, 0x50000001, kDark, {10, 50, 318, 191}, {0, 0}, L"Device List Show"},
    {2106, L"ShowTextImageCtrl", L"Brush.png", 1, 4, 0x50000000, kLight, {}, {15, 1}, L""},
    {2107, L"StandardButton", L"ButtonMax.png", 4, 4, 0x50000000, kLight, {18, 210, 97, 233}, {0, 6},
     L"Log In Button"},
    {2108, L"StandardButton", L"ButtonMax.png", 4, 4, 0x50000000, kLight, {127, 210, 206, 233}, {0, 6},
     L"Refresh Button"},
    {2109, L"StandardButton", L"ButtonMax.png", 4, 4, 0x50000000, kLight, {228, 210, 307, 233}, {0, 6},
     L"My Storage Button"},
};

// The main window's string ids, in the order the files write them.
const wchar_t* const kStringIds[7] = {
    L"SEARCH_DEVICE_LIST_ITEM_NAME",        L"SEARCH_DEVICE_LIST_ITEM_IP",
    L"SEARCH_DEVICE_LIST_ITEM_TYPE",        L"SEARCH_DEVICE_LIST_HEADER_FONT_NAME",
    L"SEARCH_DEVICE_LIST_HEADER_FONT_SIZE", L"SEARCH_DEVICE_LIST_HEADER_FONT_COLOR",
    L"SEARCH_DEVICE_WATI_TIME_WARNING",
};

// The texts of the layouts a language index selects.
struct Texts {
  int id;
  const wchar_t* ctrl[6];  // 2104 to 2109
  const wchar_t* itemName;
  const wchar_t* itemIp;
  const wchar_t* itemType;
  const wchar_t* waitWarning;
};
const Texts kTexts[] = {
    {149, {L"设备列表", L"设备列表", L"正在刷新设备列表,请等待...", L"登 陆", L"刷 新", L"我的存储"},
     L"主机名称", L"IP地址", L"设备类型", L"正在刷新设备列表,请等待"},
    {150, {L"Device List", L"Device List", L"Searching new devices,please wait…", L"Log In", L"Refresh", L"My Storage"},
     L"Host Name", L"IP Address", L"Devcie Type", L"Searching new devices,please wait"},
    {151, {L"設備明細", L"設備明細", L"正在重新整理設備明細,請等待...", L"登 錄", L"重新整理", L"我的儲存"},
     L"主機名稱", L"IP地址", L"設備型號", L"正在重新整理設備明細,請等待"},
    {160, {L"Geräteliste", L"Geräteliste", L"Erfrischend , bitte warten ...", L"Log In", L"Refresh", L"My Storage"},
     L"Gerätename", L"IP Adresse", L"Gerätetyp", L"Erfrischend , bitte warten "},
    {161,
     {L"Liste des Appareils", L"Liste des Appareils", L"Rechercher de nouveaux appareils, attendez-vous…",
      L"Connecter", L"Rafraîchir", L"Mon Storage"},
     L"Nom d'Hôte", L"Adresse IP", L"Type", L"Actu liste appareils, attendez"},
    {165,
     {L"Lista de dispositivos", L"Lista de dispositivos", L"Buscando dispositivos nuevos, espere…", L"Iniciar sesión",
      L"Actualizar", L"Mi almacén"},
     L"Nombre de host", L"Dirección IP", L"Tipo de dispositivo", L"Buscando dispositivos nuevos, espere"},
    {166,
     {L"Elenco dispositivi", L"Elenco dispositivi", L"Ricerca di nuovi dispositivi in corso, attendere…", L"Accedi",
      L"Aggiorna", L"Il mio archivio"},
     L"Nome host", L"Indirizzo IP", L"Tipo di dispositivo", L"Ricerca di nuovi dispositivi in corso, attendere"},
};

bool IsAscii(const std::wstring& text) {
  for (wchar_t c : text)
    if (c > 0x7F) return false;
  return true;
}

class ShippedLayouts : public ::testing::Test {
 protected:
  // Writes the embedded layout to a file and loads it as the main window does.
  LayoutDialogInfo Load(int id) {
    std::string bytes = EmbeddedLayout(id);
    EXPECT_FALSE(bytes.empty()) << "resource XML " << id << " missing";
    LayoutDialogInfo info;
    EXPECT_EQ(LoadLayoutInfo(info, Utf8ToWide(files_.Write(std::to_string(id) + ".xml", bytes)), 201, L"Standard"),
              1);
    return info;
  }
  LayoutFiles files_;
};

TEST_F(ShippedLayouts, EveryLayoutHasTheCommonLookAndItsLanguagesDifferences) {
  const std::wstring folder = ShellFolder();
  const std::wstring picture = folder + L"\\TesqaSearchTools\\Picture\\";
  for (const Language& language : kLanguages) {
    SCOPED_TRACE(std::to_string(language.id) + " " + language.name);
    std::string bytes = EmbeddedLayout(language.id);
    EXPECT_EQ(bytes.rfind("\xEF\xBB\xBF", 0) == 0, language.bom);
    LayoutDialogInfo info = Load(language.id);

    EXPECT_EQ(info.DialogID, 201);
    EXPECT_EQ(info.DialogBGPath, picture + L"SearchDevice_BlackGround.png");
    EXPECT_EQ(info.DialogBGColorText, L"255,255,255");
    EXPECT_EQ(info.DlgPaintMode, 8);
    EXPECT_EQ(info.DlgTextOffSet, (LayoutOffset{0, 0}));
    EXPECT_EQ(info.DlgTextColor, language.dialogTextColor);
    EXPECT_EQ(info.DialogFont, language.font);
    EXPECT_EQ(info.DialogFontSize, 12);
    ExpectRect(info.DialogPos, {0, 0, 328, 245});
    if (language.title) {
      EXPECT_EQ(info.DialogText, language.title);
    }
    EXPECT_EQ(IsAscii(info.DialogDiscrip), !language.chineseDescriptions) << WideToUtf8(info.DialogDiscrip);
    if (!language.chineseDescriptions) {
      EXPECT_EQ(info.DialogDiscrip, L"Search Device Windows");
    }

    ASSERT_EQ(info.CtrlInfos.size(), 9u);
    auto it = info.CtrlInfos.begin();
    for (const CommonCtrl& common : kCommon) {
      SCOPED_TRACE(common.id);
      ASSERT_EQ(it->first, common.id);  // ids 2101 to 2109 in order
      const LayoutCtrlInfo& c = (it++)->second;
      EXPECT_EQ(c.CtrlClass, common.ctrlClass);
      EXPECT_EQ(c.CtrlBGPath, common.image ? picture + common.image : folder);
      EXPECT_EQ(c.CtrlBGStatusCount, common.states);
      EXPECT_EQ(c.CtrlBGColorText, L"255,255,255");
      EXPECT_EQ(c.CtrlBorderColorText, L"126,157,185");
      EXPECT_EQ(c.CtrlPaintMode, common.paintMode);
      EXPECT_EQ(c.CtrlStyle, common.style);
      EXPECT_EQ(c.CtrlPosType, 3);
      EXPECT_EQ(c.CtrlShow, 5);
      EXPECT_EQ(c.CtrlTextColor, common.textColor);
      EXPECT_EQ(c.CtrlTextOffSet, common.textOffset);
      ExpectRect(c.CtrlPos, common.id == 2104 ? language.pos2104 : common.id == 2106 ? language.pos2106 : common.pos);
      bool own = common.id != 2102 && common.id != 2105;
      EXPECT_EQ(c.CtrlFont, own ? language.font : L"Tahoma");
      EXPECT_EQ(c.CtrlFontSize, common.id == 2102 ? 21 : common.id == 2105 ? 13 : 12);
      if (common.id == 2102 && language.title) {
        EXPECT_EQ(c.CtrlText, language.title);
      }
      if (common.id == 2102) {
        EXPECT_EQ(c.CtrlText, info.DialogText);
      }
      if (common.id == 2101 || (common.id == 2103 && language.id != 175)) {
        EXPECT_EQ(c.CtrlText, L"");
      }
      if (!language.chineseDescriptions) {
        EXPECT_EQ(c.CtrlDiscrip, common.englishDiscrip);
      }
    }

    ASSERT_EQ(info.Strings.size(), 7u);
    for (const wchar_t* key : kStringIds) EXPECT_EQ(info.Strings.count(key), 1u) << WideToUtf8(key);
    EXPECT_EQ(info.LookupString(L"SEARCH_DEVICE_LIST_HEADER_FONT_NAME"), language.font);
    EXPECT_EQ(info.LookupString(L"SEARCH_DEVICE_LIST_HEADER_FONT_SIZE"), L"12");
    EXPECT_EQ(info.LookupString(L"SEARCH_DEVICE_LIST_HEADER_FONT_COLOR"), L"244,245,247");
  }
}

TEST_F(ShippedLayouts, SelectableLayoutsCarryTheirLanguagesTexts) {
  for (const Texts& texts : kTexts) {
    SCOPED_TRACE(texts.id);
    LayoutDialogInfo info = Load(texts.id);
    ASSERT_EQ(info.CtrlInfos.size(), 9u);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(info.CtrlInfos[2104 + i].CtrlText, texts.ctrl[i]) << 2104 + i;
    EXPECT_EQ(info.LookupString(L"SEARCH_DEVICE_LIST_ITEM_NAME"), texts.itemName);
    EXPECT_EQ(info.LookupString(L"SEARCH_DEVICE_LIST_ITEM_IP"), texts.itemIp);
    EXPECT_EQ(info.LookupString(L"SEARCH_DEVICE_LIST_ITEM_TYPE"), texts.itemType);
    EXPECT_EQ(info.LookupString(L"SEARCH_DEVICE_WATI_TIME_WARNING"), texts.waitWarning);
  }
  // The Traditional Chinese title is the maker's name, a blank and the product name.
  LayoutDialogInfo traditional = Load(151);
  const std::wstring suffix = L" Voyalink";
  ASSERT_GT(traditional.DialogText.size(), suffix.size());
  EXPECT_EQ(traditional.DialogText.substr(traditional.DialogText.size() - suffix.size()), suffix);
}

TEST_F(ShippedLayouts, PolishLayoutsOwnTexts) {
  LayoutDialogInfo info = Load(175);
  EXPECT_EQ(info.CtrlInfos[2103].CtrlText, L"Zamknij");
  EXPECT_EQ(info.CtrlInfos[2105].CtrlText, L"Device List");
}

TEST_F(ShippedLayouts, LayoutToolFindsNoWarning) {
  // The images as the program writes them: <root>/TesqaSearchTools/Picture.
  const fs::path root = fs::path(files_.dir()) / "root";
  fs::create_directories(root / "TesqaSearchTools");
  fs::copy(fs::path(LANSCOUT_SOURCE_DIR) / "resources" / "picture", root / "TesqaSearchTools" / "Picture",
           fs::copy_options::recursive);
  for (const Language& language : kLanguages) {
    SCOPED_TRACE(language.id);
    std::string path = files_.Write(std::to_string(language.id) + ".xml", EmbeddedLayout(language.id));
    testsupport::ProcessResult r = testsupport::RunProcess({LANSCOUT_LAYOUT_TOOL, "--root", root.string(), path});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.err, "");
  }
}

}  // namespace
