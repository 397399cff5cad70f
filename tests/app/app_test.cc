// The application shell: language choice, the working folder, the trace, and
// the program's start-up as a real process.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <regex>
#include <string>

#include "app/language.h"
#include "app/trace.h"
#include "app/workfolder.h"
#include "common/env.h"
#include "common/process.h"
#include "platform/kernel.h"
#include "platform/locale.h"
#include "platform/resource.h"
#include "platform/textconv.h"

using testsupport::ReadFile;
using testsupport::ScopedEnv;
using testsupport::TempDir;
using testsupport::WriteFile;

namespace {

std::string Resource(const wchar_t* type, int id) {
  HRSRC r = FindResourceW(nullptr, MAKEINTRESOURCEW(id), type);
  if (!r) return std::string();
  return std::string(static_cast<const char*>(LockResource(LoadResource(nullptr, r))), SizeofResource(nullptr, r));
}

const wchar_t* const kEnglish = L"Failed to create the configuration file!";

// ---- language -------------------------------------------------------------

TEST(Language, LocaleToIndexLayoutAndMessage) {
  struct Case {
    const char* locale;
    LANGID id;
    int index;
    int layout;
    const wchar_t* message;
  };
  const Case cases[] = {
      {"en_US.UTF-8", 0x0409, 1, 150, kEnglish},
      {"cs_CZ.UTF-8", 0x0405, 1, 150, kEnglish},
      {"zh_CN.UTF-8", 0x0804, 2, 149, L"创建配置文件失败!"},
      {"zh_HK.UTF-8", 0x0C04, 2, 149, L"创建配置文件失败!"},
      {"zh_SG.UTF-8", 0x1004, 2, 149, L"创建配置文件失败!"},
      {"zh_MO.UTF-8", 0x1404, 2, 149, L"创建配置文件失败!"},
      {"zh_TW.UTF-8", 0x0404, 3, 151, L"創建配置文件失敗!"},
      {"ja_JP.UTF-8", 0x0411, 4, 150, L"設定ファイルの作成に失敗しました!"},
      {"de_DE.UTF-8", 0x0407, 5, 160, L"Erstellung Konfigurationsdatei fehlgeschlagen!"},
      {"de_CH.UTF-8", 0x0807, 5, 160, L"Erstellung Konfigurationsdatei fehlgeschlagen!"},
      {"de_AT.UTF-8", 0x0C07, 5, 160, L"Erstellung Konfigurationsdatei fehlgeschlagen!"},
      {"de_LU.UTF-8", 0x1007, 5, 160, L"Erstellung Konfigurationsdatei fehlgeschlagen!"},
      {"de_LI.UTF-8", 0x1407, 5, 160, L"Erstellung Konfigurationsdatei fehlgeschlagen!"},
      {"fr_FR.UTF-8", 0x040C, 6, 161, L"La création du fichier de configuration a échoué!"},
      {"fr_BE.UTF-8", 0x080C, 6, 161, L"La création du fichier de configuration a échoué!"},
      {"fr_CA.UTF-8", 0x0C0C, 6, 161, L"La création du fichier de configuration a échoué!"},
      {"fr_CH.UTF-8", 0x100C, 6, 161, L"La création du fichier de configuration a échoué!"},
      {"fr_LU.UTF-8", 0x140C, 6, 161, L"La création du fichier de configuration a échoué!"},
      {"ru_RU.UTF-8", 0x0419, 7, 150, kEnglish},
      {"ko_KR.UTF-8", 0x0412, 8, 150, kEnglish},
      {"ko_KR.JOHAB", 0x0812, 8, 150, kEnglish},
      {"pt_BR.UTF-8", 0x0416, 9, 150, L"Falha ao criar ficheiro config!"},
      {"pt_PT.UTF-8", 0x0816, 9, 150, L"Falha ao criar ficheiro config!"},
      {"es_ES@traditional", 0x040A, 10, 165, L"Error al crear el archivo de configuración!"},
      {"es_MX.UTF-8", 0x080A, 10, 165, L"Error al crear el archivo de configuración!"},
      {"es_ES.UTF-8", 0x0C0A, 10, 165, L"Error al crear el archivo de configuración!"},
      {"es_GT", 0x100A, 10, 165, nullptr}, {"es_CR", 0x140A, 10, 165, nullptr},
      {"es_PA", 0x180A, 10, 165, nullptr}, {"es_DO", 0x1C0A, 10, 165, nullptr},
      {"es_VE", 0x200A, 10, 165, nullptr}, {"es_CO", 0x240A, 10, 165, nullptr},
      {"es_PE.UTF-8", 0x280A, 1, 150, kEnglish},  // Peru is not in the Spanish list
      {"es_AR.UTF-8", 0x2C0A, 10, 165, nullptr}, {"es_EC", 0x300A, 10, 165, nullptr},
      {"es_CL", 0x340A, 10, 165, nullptr}, {"es_UY", 0x380A, 10, 165, nullptr},
      {"es_PY", 0x3C0A, 10, 165, nullptr}, {"es_BO", 0x400A, 10, 165, nullptr},
      {"es_SV", 0x440A, 10, 165, nullptr}, {"es_HN", 0x480A, 10, 165, nullptr},
      {"es_NI", 0x4C0A, 10, 165, nullptr}, {"es_PR", 0x500A, 10, 165, nullptr},
      {"es_US.UTF-8", 0x540A, 1, 150, kEnglish},
      {"it_IT.UTF-8", 0x0410, 11, 166, L"Impossibile creare il file di configurazione!"},
      {"it_CH.UTF-8", 0x0810, 11, 166, L"Impossibile creare il file di configurazione!"},
      {"nl_NL.UTF-8", 0x0413, 12, 150, kEnglish},
      {"nl_BE.UTF-8", 0x0813, 12, 150, kEnglish},
      {"pl_PL.UTF-8", 0x0415, 13, 150, kEnglish},
  };
  ScopedEnv all("LC_ALL", nullptr), messages("LC_MESSAGES", nullptr);
  for (const Case& c : cases) {
    ScopedEnv lang("LANG", c.locale);
    EXPECT_EQ(GetSystemDefaultLangID(), c.id) << c.locale;
    EXPECT_EQ(LanguageIndexFromLangId(c.id), c.index) << c.locale;
    EXPECT_EQ(GetLanguageIndex(), c.index) << c.locale;
    EXPECT_EQ(GetLayoutResourceId(c.index), c.layout) << c.locale;
    if (c.message) {
      EXPECT_STREQ(GetStartupFailureMessage(c.index), c.message) << c.locale;
    }
  }
}

// ---- working folder ------------------------------------------------------

class WorkFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    data_ = std::make_unique<ScopedEnv>("XDG_DATA_HOME", dir_.path().c_str());
    lcAll_ = std::make_unique<ScopedEnv>("LC_ALL", nullptr);
    lang_ = std::make_unique<ScopedEnv>("LANG", "en_US.UTF-8");
  }
  std::string Work() const { return dir_.path() + "/lanscout/TesqaSearchTools"; }
  std::string Picture() const { return Work() + "/Picture"; }

  void ExpectAllFilesAsEmbedded(int layoutId) {
    EXPECT_EQ(ReadFile(Work() + "/WndLayoutInfo.xml"), Resource(L"XML", layoutId));
    for (const SkinImageResource& image : kSkinImages) {
      std::string name = WideToAnsi(image.fileName + 1);  // without the backslash
      bool ok = false;
      std::string bytes = ReadFile(Picture() + "/" + name, &ok);
      EXPECT_TRUE(ok) << name;
      EXPECT_EQ(bytes, Resource(image.type, image.id)) << name;
      EXPECT_FALSE(bytes.empty()) << name;
    }
  }

  TempDir dir_;
  std::unique_ptr<ScopedEnv> data_, lcAll_, lang_;
};

TEST_F(WorkFolder, PathsHangOffTheSharedFolder) {
  EXPECT_EQ(GetShellFolderPath(), AnsiToWide(dir_.path() + "/lanscout"));
  EXPECT_EQ(GetWorkFolderPath(), GetShellFolderPath() + L"\\TesqaSearchTools");
  EXPECT_EQ(GetPictureFolderPath(), GetShellFolderPath() + L"\\TesqaSearchTools\\Picture");
}

TEST_F(WorkFolder, FirstStartCreatesFoldersAndNineFiles) {
  ASSERT_EQ(PrepareWorkFolder(), 1);
  ExpectAllFilesAsEmbedded(150);
}

TEST_F(WorkFolder, LaterStartReplacesEveryFile) {
  ASSERT_EQ(PrepareWorkFolder(), 1);
  ASSERT_TRUE(WriteFile(Work() + "/WndLayoutInfo.xml", "edited by the user"));
  ASSERT_TRUE(WriteFile(Picture() + "/logo.png", "x"));
  ASSERT_TRUE(WriteFile(Picture() + "/unrelated.txt", "kept"));
  ASSERT_EQ(PrepareWorkFolder(), 1);
  ExpectAllFilesAsEmbedded(150);
  EXPECT_EQ(ReadFile(Picture() + "/unrelated.txt"), "kept");  // nothing is deleted
}

TEST_F(WorkFolder, OtherLanguageReplacesTheLayout) {
  ASSERT_EQ(PrepareWorkFolder(), 1);
  ScopedEnv lang("LANG", "fr_FR.UTF-8");
  ASSERT_EQ(PrepareWorkFolder(), 1);
  ExpectAllFilesAsEmbedded(161);
}

TEST_F(WorkFolder, FailuresEndThePreparation) {
  struct Case {
    const char* name;
    void (*arrange)(const std::string& work);
  };
  const Case cases[] = {
      {"read-only layout file",
       [](const std::string& work) {
         mkdir(work.c_str(), 0755);
         WriteFile(work + "/WndLayoutInfo.xml", "old");
         chmod((work + "/WndLayoutInfo.xml").c_str(), 0444);
       }},
      {"file where the working folder goes", [](const std::string& work) { WriteFile(work, "in the way"); }},
      {"file where the picture folder goes",
       [](const std::string& work) {
         mkdir(work.c_str(), 0755);
         WriteFile(work + "/Picture", "in the way");
       }},
      {"read-only image",
       [](const std::string& work) {
         mkdir(work.c_str(), 0755);
         mkdir((work + "/Picture").c_str(), 0755);
         WriteFile(work + "/Picture/close.png", "old");
         chmod((work + "/Picture/close.png").c_str(), 0444);
       }},
  };
  for (const Case& c : cases) {
    TempDir dir;
    ScopedEnv data("XDG_DATA_HOME", dir.path().c_str());
    mkdir((dir.path() + "/lanscout").c_str(), 0755);
    c.arrange(dir.path() + "/lanscout/TesqaSearchTools");
    EXPECT_EQ(PrepareWorkFolder(), 0) << c.name;
  }
}

TEST_F(WorkFolder, ImagesWrittenBeforeAFailureStay) {
  mkdir((dir_.path() + "/lanscout").c_str(), 0755);
  mkdir(Work().c_str(), 0755);
  mkdir(Picture().c_str(), 0755);
  WriteFile(Picture() + "/close.png", "old");
  chmod((Picture() + "/close.png").c_str(), 0444);
  EXPECT_EQ(PrepareWorkFolder(), 0);
  EXPECT_EQ(ReadFile(Picture() + "/logo.png"), Resource(L"PNG", 144));  // written before close.png
  EXPECT_EQ(ReadFile(Picture() + "/close.png"), "old");
  bool ok = true;
  ReadFile(Picture() + "/ButtonMax.png", &ok);  // after it: never written
  EXPECT_FALSE(ok);
}

TEST_F(WorkFolder, WriteResourceToFileRefusals) {
  std::wstring path = AnsiToWide(dir_.path() + "/out.bin");
  EXPECT_EQ(WriteResourceToFile(0, L"XML", path.c_str()), 0);
  EXPECT_EQ(WriteResourceToFile(150, L"XML", L""), 0);
  EXPECT_EQ(WriteResourceToFile(150, L"XML", nullptr), 0);
  EXPECT_EQ(WriteResourceToFile(999, L"XML", path.c_str()), 0);
  EXPECT_EQ(WriteResourceToFile(150, L"PNG", path.c_str()), 0);
  EXPECT_EQ(access((dir_.path() + "/out.bin").c_str(), F_OK), -1);  // nothing opened for a missing resource
  EXPECT_EQ(WriteResourceToFile(150, L"XML", L"/dev/full"), 0);    // the write fails
  EXPECT_EQ(WriteResourceToFile(150, L"XML", path.c_str()), 1);
}

// ---- trace -----------------------------------------------------------------

class Trace : public ::testing::Test {
 protected:
  void SetUp() override { path_ = dir_.path() + "/trace.log"; }
  void TearDown() override { DisableLog(); }
  std::string Log() const { return ReadFile(path_); }
  TempDir dir_;
  std::string path_;
};

TEST_F(Trace, OffWritesNothing) {
  DisableLog();
  EXPECT_EQ(WriteLog("SendThread %d : Begin Search Device Work Thread  ", 67), 0);
  EXPECT_EQ(WriteLogTime("x"), 0);
  WriteLogExitLine();
  EnableLog("");  // a flag without a path is still off
  EXPECT_EQ(WriteLog("x"), 0);
  EXPECT_EQ(access(path_.c_str(), F_OK), -1);
}

TEST_F(Trace, BothLineFormsAndTheExitLine) {
  EnableLog(path_.c_str());
  testing::internal::CaptureStdout();
  EXPECT_EQ(WriteLog("SendThread %d : Create Search Device Work Thread   ", 1530), 1);
  EXPECT_EQ(WriteLogTime("SendThread %d : Exit Search Device Tread , bExitSock : %d  ", 67, 1), 1);
  EXPECT_EQ(WriteLog("SendThread %d : Alter Device Mulitcast Group Error : %s  \r\n", 1900, "No device"), 1);
  std::string out = testing::internal::GetCapturedStdout();
  WriteLogExitLine();
  std::string log = Log();
  EXPECT_EQ(log.substr(0, out.size()), out);  // the same lines went to stdout

  static const std::regex kLines(
      "SendThread 1530 : Create Search Device Work Thread   \\*\\[\\d\\d::\\d\\d:\\d\\d:\\d\\d\\]\r\n"
      "\\[--\\d\\d:\\d\\d:\\d\\d(\\.\\d{6})?--\\]\\*SendThread 67 : Exit Search Device Tread , bExitSock : 1  \r\n"
      "SendThread 1900 : Alter Device Mulitcast Group Error : No device  \r\n"
      "\\*\\[\\d\\d::\\d\\d:\\d\\d:\\d\\d\\]\r\n"  // that format's own line end puts the stamp on its own line
      "------Exit Log System-------\r\n");
  EXPECT_TRUE(std::regex_match(log, kLines)) << log;
}

TEST_F(Trace, MessageAndLineLimits) {
  EnableLog(path_.c_str());
  testing::internal::CaptureStdout();
  // The stamp adds 17 characters; the whole line must stay within 1023.
  struct Case {
    size_t length;
    int result;
  };
  const Case cases[] = {{0, 0}, {1006, 1}, {1007, 0}, {1023, 0}, {1024, 0}, {5000, 0}};
  for (const Case& c : cases) {
    std::string message(c.length, 'm');
    EXPECT_EQ(WriteLog("%s", message.c_str()), c.result) << c.length;
  }
  EXPECT_EQ(WriteLogTime("%s", std::string(1023, 'm').c_str()), 0);
  EXPECT_EQ(WriteLog(nullptr), 0);
  testing::internal::GetCapturedStdout();
  EXPECT_EQ(Log().size(), 1006u + 17u);
}

// ---- the program ----------------------------------------------------------

// Starts the built program in a network namespace with nobody in it, with its
// own runtime and data folders and the given locale.
class Program : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!testsupport::CanIsolateNetwork()) GTEST_SKIP() << "unshare -n is not permitted here";
    runtime_ = dir_.path() + "/run";
    data_ = dir_.path() + "/data";
    mkdir(runtime_.c_str(), 0700);
  }
  testsupport::ProcessResult Start(const char* lang) {
    testsupport::ProcessOptions options;
    options.isolateNetwork = true;
    options.env = {{"XDG_RUNTIME_DIR", runtime_}, {"XDG_DATA_HOME", data_}, {"HOME", dir_.path()},
                   {"LANG", lang}, {"LC_ALL", ""}, {"LC_MESSAGES", ""}, {"LC_CTYPE", ""},
                   {"DISPLAY", ""}, {"LANSCOUT_BACKEND", ""}};
    options.timeout = std::chrono::seconds(60);
    return testsupport::RunProcess({std::string(LANSCOUT_BINARY_DIR) + "/lanscout"}, options);
  }
  std::string Work() const { return data_ + "/lanscout/TesqaSearchTools"; }

  TempDir dir_;
  std::string runtime_, data_;
};

// Width and height from a PNG's IHDR or a BMP's info header.
std::pair<int, int> ImageSize(const std::string& b) {
  auto be32 = [&](size_t o) {
    return (static_cast<unsigned char>(b[o]) << 24) | (static_cast<unsigned char>(b[o + 1]) << 16) |
           (static_cast<unsigned char>(b[o + 2]) << 8) | static_cast<unsigned char>(b[o + 3]);
  };
  auto le32 = [&](size_t o) {
    return static_cast<int32_t>(static_cast<unsigned char>(b[o]) | (static_cast<unsigned char>(b[o + 1]) << 8) |
                                (static_cast<unsigned char>(b[o + 2]) << 16) |
                                (static_cast<unsigned char>(b[o + 3]) << 24));
  };
  if (b.size() > 24 && b.compare(1, 3, "PNG") == 0) return {be32(16), be32(20)};
  if (b.size() > 26 && b.compare(0, 2, "BM") == 0) return {le32(18), std::abs(le32(22))};
  return {0, 0};
}

TEST_F(Program, WritesTheLayoutOfItsLanguageAndTheImages) {
  struct Case {
    const char* lang;
    int layout;
  };
  const Case cases[] = {{"de_DE.UTF-8", 160}, {"es_PE.UTF-8", 150}, {"zh_HK.UTF-8", 149}};
  for (const Case& c : cases) {
    Start(c.lang);
    EXPECT_EQ(ReadFile(Work() + "/WndLayoutInfo.xml"), Resource(L"XML", c.layout)) << c.lang;
  }
  struct Image {
    const char* file;
    const wchar_t* type;
    int id, width, height;
  };
  const Image images[] = {
      {"SearchDevice_BlackGround.bmp", L"BMP", 158, 328, 245}, {"SearchDevice_BlackGround.png", L"PNG", 146, 328, 245},
      {"Brush.png", L"PNG", 139, 224, 14}, {"logo.png", L"PNG", 144, 16, 16},
      {"headerbackground.png", L"PNG", 147, 249, 17}, {"headerclip.png", L"PNG", 148, 1, 12},
      {"close.png", L"PNG", 141, 44, 11}, {"ButtonMax.png", L"PNG", 140, 316, 23},
  };
  for (const Image& image : images) {
    std::string bytes = ReadFile(Work() + "/Picture/" + image.file);
    EXPECT_EQ(bytes, Resource(image.type, image.id)) << image.file;
    EXPECT_EQ(ImageSize(bytes), std::make_pair(image.width, image.height)) << image.file;
  }
}

TEST_F(Program, FailureShowsTheMessageOfItsLanguage) {
  struct Case {
    const char* lang;
    bool readOnlyLayout;  // else a plain file stands where the working folder goes
    const char* message;
  };
  const Case cases[] = {
      {"de_DE.UTF-8", true, "Erstellung Konfigurationsdatei fehlgeschlagen!"},
      {"ja_JP.UTF-8", false, "設定ファイルの作成に失敗しました!"},
      {"nl_NL.UTF-8", false, "Failed to create the configuration file!"},
      {"ru_RU.UTF-8", true, "Failed to create the configuration file!"},
  };
  for (const Case& c : cases) {
    TempDir fresh;
    data_ = fresh.path();
    mkdir((data_ + "/lanscout").c_str(), 0755);
    if (c.readOnlyLayout) {
      mkdir(Work().c_str(), 0755);
      WriteFile(Work() + "/WndLayoutInfo.xml", "old");
      chmod((Work() + "/WndLayoutInfo.xml").c_str(), 0444);
    } else {
      WriteFile(Work(), "in the way");
    }
    testsupport::ProcessResult r = Start(c.lang);
    EXPECT_NE(r.exitCode, 0) << c.lang;
    EXPECT_EQ(r.err, std::string("lanscout: ") + c.message + "\n") << c.lang;
    if (c.readOnlyLayout) {
      EXPECT_EQ(ReadFile(Work() + "/WndLayoutInfo.xml"), "old");
    }
  }
}

TEST_F(Program, SecondInstanceEndsWithoutWritingAnything) {
  ScopedEnv runtime("XDG_RUNTIME_DIR", runtime_.c_str());
  HANDLE first = CreateMutexW(nullptr, TRUE, L"Voyalink");  // this test plays the first instance
  ASSERT_NE(first, nullptr);
  ASSERT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
  testsupport::ProcessResult r = Start("en_US.UTF-8");
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_FALSE(r.timedOut);
  EXPECT_EQ(access((data_ + "/lanscout/TesqaSearchTools").c_str(), F_OK), -1);
  CloseHandle(first);

  Start("en_US.UTF-8");  // the mutex is free again: this start does its work
  EXPECT_EQ(ReadFile(Work() + "/WndLayoutInfo.xml"), Resource(L"XML", 150));
}

}  // namespace
