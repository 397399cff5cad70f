// The user-interface language: an index from 1 to 13 derived from the
// system's default language id. It picks the layout written at start-up
// and the words of the start-up failure message.
#pragma once

#include "platform/types.h"

enum LanguageIndex {
  LANGUAGE_ENGLISH = 1,
  LANGUAGE_CHINESE_SIMPLIFIED = 2,
  LANGUAGE_CHINESE_TRADITIONAL = 3,
  LANGUAGE_JAPANESE = 4,
  LANGUAGE_GERMAN = 5,
  LANGUAGE_FRENCH = 6,
  LANGUAGE_RUSSIAN = 7,
  LANGUAGE_KOREAN = 8,
  LANGUAGE_PORTUGUESE = 9,
  LANGUAGE_SPANISH = 10,
  LANGUAGE_ITALIAN = 11,
  LANGUAGE_DUTCH = 12,
  LANGUAGE_POLISH = 13,
};

// The index of a language id; 1 for every id the table does not list.
int LanguageIndexFromLangId(LANGID id);

// Asks the system for its default language id on every call.
int GetLanguageIndex();

// The "XML" resource id of the layout for a language index.
int GetLayoutResourceId(int languageIndex);

// "Failed to create the configuration file!" in the index's language.
LPCWSTR GetStartupFailureMessage(int languageIndex);
