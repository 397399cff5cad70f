// Text conversion between the locale's character set ("ANSI code page") and
// wide text. Wide text is wchar_t, one code point per unit.
#pragma once

#include <string>

#include "platform/types.h"

#define CP_ACP 0
#define CP_UTF8 65001

// Converts `srcLen` bytes of `src` (-1: up to and including its NUL) into
// wide characters. With `dstLen` 0 it returns the number of wide characters
// needed; otherwise the number written, or 0 with ERROR_INSUFFICIENT_BUFFER.
// Bytes that are not valid in the character set become U+FFFD; conversion
// never fails on content. CP_ACP is the character set of the C library's
// LC_CTYPE locale; the plain "C" locale counts as UTF-8, its ASCII superset.
int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR src, int srcLen, LPWSTR dst, int dstLen);

// The reverse. Characters the character set cannot represent become
// `defaultChar` (or '?'), and `*usedDefault` is set when that happened.
int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR src, int srcLen, LPSTR dst, int dstLen,
                        LPCSTR defaultChar, BOOL* usedDefault);

// Whole zero-terminated texts, sized with a first call. Null gives "".
std::wstring AnsiToWide(const char* text);
std::wstring AnsiToWide(const std::string& text);
std::string WideToAnsi(const wchar_t* text);
std::string WideToAnsi(const std::wstring& text);

// UTF-8, independent of the locale (file formats that fix their encoding).
std::wstring Utf8ToWide(const std::string& text);
std::string WideToUtf8(const std::wstring& text);
