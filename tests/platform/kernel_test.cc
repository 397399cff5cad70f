// Kernel services: language ids from locales, text conversion, the named
// mutex across processes, embedded resources, folders and files.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <clocale>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

#include "common/env.h"
#include "common/process.h"
#include "platform/file.h"
#include "platform/kernel.h"
#include "platform/locale.h"
#include "platform/resource.h"
#include "platform/shell.h"
#include "platform/textconv.h"

using testsupport::ReadFile;
using testsupport::ScopedEnv;
using testsupport::TempDir;

namespace {

TEST(LanguageId, FromLocaleNames) {
  struct Case {
    const char* locale;
    LANGID id;
  };
  const Case cases[] = {
      {"en_US.UTF-8", 0x0409}, {"C", 0x0409}, {"POSIX", 0x0409}, {"C.UTF-8", 0x0409},
      {"", 0x0409}, {"xx_YY.UTF-8", 0x0409}, {"cs_CZ.UTF-8", 0x0405}, {"en_GB", 0x0809},
      {"zh_CN.UTF-8", 0x0804}, {"zh_HK.UTF-8", 0x0C04}, {"zh_SG.GB2312", 0x1004},
      {"zh_MO.UTF-8", 0x1404}, {"zh_TW.UTF-8", 0x0404}, {"ja_JP.UTF-8", 0x0411},
      {"de_DE.UTF-8", 0x0407}, {"de_CH.UTF-8", 0x0807}, {"de_AT", 0x0C07}, {"de_LU", 0x1007},
      {"de_LI.UTF-8", 0x1407}, {"de", 0x0407}, {"de_BR", 0x0407}, {"de_DE@euro", 0x0407},
      {"fr_FR.UTF-8", 0x040C}, {"fr_BE", 0x080C}, {"fr_CA", 0x0C0C}, {"fr_CH", 0x100C},
      {"fr_LU", 0x140C}, {"ru_RU.UTF-8", 0x0419}, {"ko_KR.UTF-8", 0x0412},
      {"ko_KR.JOHAB", 0x0812}, {"pt_BR.UTF-8", 0x0416}, {"pt_PT.UTF-8", 0x0816},
      {"es_ES.UTF-8", 0x0C0A}, {"es_ES@traditional", 0x040A}, {"es_MX", 0x080A},
      {"es_GT", 0x100A}, {"es_CR", 0x140A}, {"es_PA", 0x180A}, {"es_DO", 0x1C0A},
      {"es_VE", 0x200A}, {"es_CO", 0x240A}, {"es_PE.UTF-8", 0x280A}, {"es_AR", 0x2C0A},
      {"es_EC", 0x300A}, {"es_CL", 0x340A}, {"es_UY", 0x380A}, {"es_PY", 0x3C0A},
      {"es_BO", 0x400A}, {"es_SV", 0x440A}, {"es_HN", 0x480A}, {"es_NI", 0x4C0A},
      {"es_PR", 0x500A}, {"it_IT.UTF-8", 0x0410}, {"it_CH", 0x0810}, {"nl_NL.UTF-8", 0x0413},
      {"nl_BE", 0x0813}, {"pl_PL.UTF-8", 0x0415}, {"DE_de.utf8", 0x0407}, {"de-CH", 0x0807},
      {"/etc/passwd", 0x0409},
  };
  for (const Case& c : cases) EXPECT_EQ(LangIdFromLocaleName(c.locale), c.id) << c.locale;
}

TEST(LanguageId, EnvironmentOrder) {
  ScopedEnv all("LC_ALL", nullptr), messages("LC_MESSAGES", nullptr), lang("LANG", nullptr);
  EXPECT_EQ(GetSystemDefaultLangID(), 0x0409);
  setenv("LANG", "fr_FR.UTF-8", 1);
  EXPECT_EQ(GetSystemDefaultLangID(), 0x040C);
  setenv("LC_MESSAGES", "it_IT.UTF-8", 1);
  EXPECT_EQ(GetSystemDefaultLangID(), 0x0410);
  setenv("LC_ALL", "de_CH.UTF-8", 1);
  EXPECT_EQ(GetSystemDefaultLangID(), 0x0807);
  setenv("LC_ALL", "", 1);  // empty counts as unset
  EXPECT_EQ(GetSystemDefaultLangID(), 0x0410);
}

class TextConvUtf8 : public ::testing::Test {
 protected:
  void SetUp() override {
    old_ = std::setlocale(LC_CTYPE, nullptr);
    if (!std::setlocale(LC_CTYPE, "C.UTF-8")) GTEST_SKIP() << "no C.UTF-8 locale";
  }
  void TearDown() override { std::setlocale(LC_CTYPE, old_.c_str()); }
  std::string old_;
};

TEST_F(TextConvUtf8, InvalidBytesBecomeReplacementCharacters) {
  struct Case {
    std::string in;
    std::wstring out;
  };
  const Case cases[] = {
      {"box", L"box"},
      {"Ger\xC3\xA4te", L"Ger\u00E4te"},
      {"\xE8\xAE\xBE\xE5\xA4\x87", L"\u8BBE\u5907"},
      {"\xF0\x9F\x93\xA6", L"\U0001F4E6"},
      {"a\xFF" "b", L"a\uFFFDb"},                // not a lead byte
      {"a\xC3", L"a\uFFFD"},                      // cut at the end
      {"\xC3(", L"\uFFFD("},                      // lead byte without continuation
      {"\xC0\xAF", L"\uFFFD"},                    // overlong
      {"\xED\xA0\x80", L"\uFFFD"},                // surrogate
      {"\xF4\x90\x80\x80", L"\uFFFD"},            // beyond U+10FFFF
      {"\x80\x80", L"\uFFFD\uFFFD"},              // stray continuation bytes
  };
  for (const Case& c : cases) EXPECT_EQ(AnsiToWide(c.in), c.out) << c.in;
  EXPECT_EQ(AnsiToWide(static_cast<const char*>(nullptr)), L"");
}

TEST_F(TextConvUtf8, SizingAndRoundTrip) {
  const char* text = "IP\xE5\x9C\xB0\xE5\x9D\x80";  // "IP地址"
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0), 5);  // with the NUL
  wchar_t small[2];
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, text, -1, small, 2), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(WideToAnsi(AnsiToWide(text)), text);
  BOOL usedDefault = FALSE;
  const wchar_t bad[] = {L'a', static_cast<wchar_t>(0xD800), 0};
  char out[8] = {0};
  EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, bad, -1, out, sizeof(out), nullptr, &usedDefault), 3);
  EXPECT_STREQ(out, "a?");
  EXPECT_TRUE(usedDefault);
}

TEST(TextConv, PlainCLocaleReadsAsUtf8) {
  std::string old = std::setlocale(LC_CTYPE, nullptr);
  std::setlocale(LC_CTYPE, "C");
  EXPECT_EQ(AnsiToWide("Ger\xC3\xA4t\xFF"), L"Ger\u00E4t\uFFFD");
  std::setlocale(LC_CTYPE, old.c_str());
}

TEST(TextConv, SingleByteLocale) {
  std::string old = std::setlocale(LC_CTYPE, nullptr);
  if (!std::setlocale(LC_CTYPE, "de_DE.ISO-8859-1") && !std::setlocale(LC_CTYPE, "en_US.ISO-8859-1"))
    GTEST_SKIP() << "no ISO-8859-1 locale generated on this machine";
  EXPECT_EQ(AnsiToWide("Ger\xE4t"), L"Ger\u00E4t");
  EXPECT_EQ(WideToAnsi(L"Ger\u00E4t \u8BBE"), "Ger\xE4t ?");
  std::setlocale(LC_CTYPE, old.c_str());
}

class NamedMutex : public ::testing::Test {
 protected:
  void SetUp() override { runtime_ = std::make_unique<ScopedEnv>("XDG_RUNTIME_DIR", dir_.path().c_str()); }
  std::string Probe(const std::vector<std::string>& args) {
    std::vector<std::string> argv = {std::string(LANSCOUT_BINARY_DIR) + "/tests/platform/mutex_probe"};
    argv.insert(argv.end(), args.begin(), args.end());
    testsupport::ProcessOptions options;
    options.env["XDG_RUNTIME_DIR"] = dir_.path();
    return testsupport::RunProcess(argv, options).out;
  }
  TempDir dir_;
  std::unique_ptr<ScopedEnv> runtime_;
};

TEST_F(NamedMutex, SecondCreatorIsToldItExists) {
  HANDLE first = CreateMutexW(nullptr, TRUE, L"Voyalink");
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
  HANDLE second = CreateMutexW(nullptr, TRUE, L"Voyalink");
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  EXPECT_EQ(Probe({"check", "Voyalink"}), "exists\n");
  CloseHandle(second);  // a handle that owns nothing frees nothing
  EXPECT_EQ(Probe({"check", "Voyalink"}), "exists\n");
  CloseHandle(first);
  EXPECT_EQ(Probe({"check", "Voyalink"}), "owned\n");
  EXPECT_EQ(Probe({"check", "Other"}), "owned\n");
}

TEST_F(NamedMutex, OwnerThatDiesReleasesIt) {
  std::string marker = dir_.path() + "/held";
  std::vector<std::string> argv = {std::string(LANSCOUT_BINARY_DIR) + "/tests/platform/mutex_probe", "hold",
                                   "Voyalink", marker, "60"};
  testsupport::ProcessOptions options;
  options.env["XDG_RUNTIME_DIR"] = dir_.path();
  testsupport::Process holder(argv, options);
  ASSERT_TRUE(holder.started());
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (access(marker.c_str(), F_OK) != 0 && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  ASSERT_EQ(ReadFile(marker), "owned");

  HANDLE h = CreateMutexW(nullptr, TRUE, L"Voyalink");
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  CloseHandle(h);
  holder.Kill();
  holder.Wait();
  h = CreateMutexW(nullptr, TRUE, L"Voyalink");
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
  CloseHandle(h);
}

TEST(Resources, EveryListedFileIsEmbeddedByTypeAndId) {
  std::ifstream list(std::string(LANSCOUT_SOURCE_DIR) + "/resources/resources.list");
  ASSERT_TRUE(list);
  std::string line;
  int count = 0;
  while (std::getline(list, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    std::string type, path;
    int id;
    fields >> type >> id >> path;
    std::wstring wtype(type.begin(), type.end());
    HRSRC r = FindResourceW(nullptr, MAKEINTRESOURCEW(id), wtype.c_str());
    ASSERT_NE(r, nullptr) << type << " " << id;
    const void* data = LockResource(LoadResource(nullptr, r));
    std::string embedded(static_cast<const char*>(data), SizeofResource(nullptr, r));
    EXPECT_EQ(embedded, ReadFile(std::string(LANSCOUT_SOURCE_DIR) + "/resources/" + path)) << path;
    ++count;
  }
  EXPECT_EQ(count, 22);
}

TEST(Resources, LookupsThatFindNothing) {
  EXPECT_EQ(FindResourceW(nullptr, MAKEINTRESOURCEW(150), L"PNG"), nullptr);  // wrong type
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
  EXPECT_EQ(FindResourceW(nullptr, MAKEINTRESOURCEW(150), L"xml"), nullptr);  // type names are exact
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_TYPE_NOT_FOUND));
  EXPECT_EQ(FindResourceW(nullptr, MAKEINTRESOURCEW(0), L"XML"), nullptr);
  EXPECT_EQ(FindResourceW(nullptr, L"WndLayoutInfo", L"XML"), nullptr);  // no named resources
  EXPECT_EQ(FindResourceW(nullptr, MAKEINTRESOURCEW(150), nullptr), nullptr);
  EXPECT_EQ(SizeofResource(nullptr, nullptr), 0u);
  EXPECT_EQ(LockResource(LoadResource(nullptr, nullptr)), nullptr);
}

TEST(ShellFolder, DataHomeOrHomeAndAlwaysThere) {
  TempDir dir;
  WCHAR path[MAX_PATH];
  {
    std::string data = dir.path() + "/data/deeper";
    ScopedEnv xdg("XDG_DATA_HOME", data.c_str());
    ASSERT_TRUE(SHGetSpecialFolderPathW(nullptr, path, CSIDL_COMMON_TEMPLATES, FALSE));
    EXPECT_EQ(NativePath(path), data + "/lanscout");
    EXPECT_TRUE(PathIsDirectoryW(path));
  }
  {
    ScopedEnv xdg("XDG_DATA_HOME", "relative/is/ignored");
    ScopedEnv home("HOME", dir.path().c_str());
    ASSERT_TRUE(SHGetSpecialFolderPathW(nullptr, path, CSIDL_COMMON_TEMPLATES, FALSE));
    EXPECT_EQ(NativePath(path), dir.path() + "/.local/share/lanscout");
    EXPECT_TRUE(PathIsDirectoryW(path));
  }
  EXPECT_FALSE(SHGetSpecialFolderPathW(nullptr, path, 0x0005, FALSE));
  EXPECT_EQ(path[0], L'\0');
}

TEST(Files, BackslashPathsDirectoriesAndReadOnlyFiles) {
  TempDir dir;
  std::wstring base = AnsiToWide(dir.path());
  std::wstring folder = base + L"\\Tools";
  EXPECT_FALSE(PathIsDirectoryW(folder.c_str()));
  EXPECT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  EXPECT_TRUE(PathIsDirectoryW(folder.c_str()));
  EXPECT_FALSE(CreateDirectoryW(folder.c_str(), nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  EXPECT_FALSE(CreateDirectoryW((base + L"\\missing\\Tools").c_str(), nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));

  std::wstring file = folder + L"\\a.xml";
  CFile f;
  ASSERT_TRUE(f.Open(file.c_str(), CFile::modeCreate | CFile::modeWrite));
  EXPECT_TRUE(f.Write("long old content", 16));
  EXPECT_TRUE(f.Close());
  ASSERT_TRUE(f.Open(file.c_str(), CFile::modeCreate | CFile::modeWrite));
  EXPECT_TRUE(f.Write("new", 3));
  EXPECT_TRUE(f.Close());
  EXPECT_EQ(ReadFile(dir.path() + "/Tools/a.xml"), "new");
  EXPECT_FALSE(PathIsDirectoryW(file.c_str()));

  // Read-only means read-only for everyone, root included.
  chmod((dir.path() + "/Tools/a.xml").c_str(), 0444);
  EXPECT_FALSE(f.Open(file.c_str(), CFile::modeCreate | CFile::modeWrite));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_EQ(ReadFile(dir.path() + "/Tools/a.xml"), "new");
  EXPECT_FALSE(f.Open(folder.c_str(), CFile::modeCreate | CFile::modeWrite));
  EXPECT_FALSE(f.Open(L"", CFile::modeCreate | CFile::modeWrite));
  EXPECT_FALSE(f.Write("x", 1));
}

TEST(Files, WriteFailureIsReported) {
  // /dev/full accepts the open and fails every write, as a full disk does.
  CFile f;
  ASSERT_TRUE(f.Open(L"/dev/full", CFile::modeWrite));
  EXPECT_FALSE(f.Write("abc", 3));
}

}  // namespace
