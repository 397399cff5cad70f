#include "app/language.h"

#include "platform/locale.h"

int LanguageIndexFromLangId(LANGID id) {
  switch (id) {
    case 0x0804: case 0x0C04: case 0x1004: case 0x1404:
      return LANGUAGE_CHINESE_SIMPLIFIED;
    case 0x0404:
      return LANGUAGE_CHINESE_TRADITIONAL;
    case 0x0411:
      return LANGUAGE_JAPANESE;
    case 0x0407: case 0x0807: case 0x0C07: case 0x1007: case 0x1407:
      return LANGUAGE_GERMAN;
    case 0x040C: case 0x080C: case 0x0C0C: case 0x100C: case 0x140C:
      return LANGUAGE_FRENCH;
    case 0x0419:
      return LANGUAGE_RUSSIAN;
    case 0x0412: case 0x0812:
      return LANGUAGE_KOREAN;
    case 0x0416: case 0x0816:
      return LANGUAGE_PORTUGUESE;
    // Spanish is an explicit list: 0x280A (Peru) and 0x540A (United States)
    // are not in it.
    case 0x040A: case 0x080A: case 0x0C0A: case 0x100A: case 0x140A: case 0x180A:
    case 0x1C0A: case 0x200A: case 0x240A: case 0x2C0A: case 0x300A: case 0x340A:
    case 0x380A: case 0x3C0A: case 0x400A: case 0x440A: case 0x480A: case 0x4C0A:
    case 0x500A:
      return LANGUAGE_SPANISH;
    case 0x0410: case 0x0810:
      return LANGUAGE_ITALIAN;
    case 0x0413: case 0x0813:
      return LANGUAGE_DUTCH;
    case 0x0415:
      return LANGUAGE_POLISH;
    default:
      return LANGUAGE_ENGLISH;
  }
}

int GetLanguageIndex() { return LanguageIndexFromLangId(GetSystemDefaultLangID()); }

int GetLayoutResourceId(int languageIndex) {
  switch (languageIndex) {
    case LANGUAGE_CHINESE_SIMPLIFIED: return 149;
    case LANGUAGE_CHINESE_TRADITIONAL: return 151;
    case LANGUAGE_GERMAN: return 160;
    case LANGUAGE_FRENCH: return 161;
    case LANGUAGE_SPANISH: return 165;
    case LANGUAGE_ITALIAN: return 166;
    default: return 150;
  }
}

LPCWSTR GetStartupFailureMessage(int languageIndex) {
  switch (languageIndex) {
    case LANGUAGE_CHINESE_SIMPLIFIED: return L"创建配置文件失败!";
    case LANGUAGE_CHINESE_TRADITIONAL: return L"創建配置文件失敗!";
    case LANGUAGE_JAPANESE: return L"設定ファイルの作成に失敗しました!";
    case LANGUAGE_GERMAN: return L"Erstellung Konfigurationsdatei fehlgeschlagen!";
    case LANGUAGE_FRENCH: return L"La création du fichier de configuration a échoué!";
    case LANGUAGE_PORTUGUESE: return L"Falha ao criar ficheiro config!";
    case LANGUAGE_SPANISH: return L"Error al crear el archivo de configuración!";
    case LANGUAGE_ITALIAN: return L"Impossibile creare il file di configurazione!";
    default: return L"Failed to create the configuration file!";
  }
}
