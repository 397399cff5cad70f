// The system's default language as a Windows language id (primary language
// in the low 10 bits, sublanguage above).
#pragma once

#include <string>

#include "platform/types.h"

#define MAKELANGID(p, s) ((LANGID)((((WORD)(s)) << 10) | (WORD)(p)))
#define PRIMARYLANGID(lgid) ((WORD)(lgid) & 0x3ff)
#define SUBLANGID(lgid) ((WORD)(lgid) >> 10)

// Reads the locale of the environment (the first non-empty one of LC_ALL,
// LC_MESSAGES and LANG) on every call and maps it with LangIdFromLocaleName.
LANGID GetSystemDefaultLangID();

// Maps a POSIX locale name ("language[_TERRITORY][.codeset][@modifier]") to
// the Windows language id of that language and territory. A known language
// with an unknown or missing territory gives the language's default id
// ("de" and "de_BR" give 0x0407); the modifier "@traditional" selects the
// traditional sort of Spanish (0x040A), and the codeset "JOHAB" the Johab
// variant of Korean (0x0812). "C", "POSIX", empty and unknown names give
// 0x0409 (English, United States).
LANGID LangIdFromLocaleName(const std::string& name);
