#include "platform/textconv.h"

#include <iconv.h>
#include <langinfo.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace {

constexpr wchar_t kReplacement = 0xFFFD;

bool IsUtf8Codeset(const char* cs) {
  if (!cs || !*cs) return true;
  auto eq = [&](const char* name) { return strcasecmp(cs, name) == 0; };
  return eq("UTF-8") || eq("UTF8") || eq("ANSI_X3.4-1968") || eq("ASCII") || eq("US-ASCII");
}

// Strict UTF-8 decoder: every maximal invalid sequence gives one U+FFFD.
void DecodeUtf8(const unsigned char* s, size_t n, std::wstring& out) {
  size_t i = 0;
  while (i < n) {
    unsigned c = s[i];
    if (c < 0x80) {
      out += static_cast<wchar_t>(c);
      ++i;
      continue;
    }
    int len;
    unsigned cp, min;
    if ((c & 0xE0) == 0xC0) { len = 2; cp = c & 0x1F; min = 0x80; }
    else if ((c & 0xF0) == 0xE0) { len = 3; cp = c & 0x0F; min = 0x800; }
    else if ((c & 0xF8) == 0xF0) { len = 4; cp = c & 0x07; min = 0x10000; }
    else { out += kReplacement; ++i; continue; }
    int k = 1;
    for (; k < len && i + k < n && (s[i + k] & 0xC0) == 0x80; ++k) cp = (cp << 6) | (s[i + k] & 0x3F);
    if (k < len || cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
      out += kReplacement;
      i += k;  // skip the lead byte and the continuation bytes it claimed
      continue;
    }
    out += static_cast<wchar_t>(cp);
    i += len;
  }
}

void EncodeUtf8(const wchar_t* s, size_t n, std::string& out, bool* usedDefault, char defaultChar) {
  for (size_t i = 0; i < n; ++i) {
    uint32_t cp = static_cast<uint32_t>(s[i]);
    if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
      out += defaultChar;
      if (usedDefault) *usedDefault = true;
    } else if (cp < 0x80) {
      out += static_cast<char>(cp);
    } else if (cp < 0x800) {
      out += static_cast<char>(0xC0 | (cp >> 6));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
      out += static_cast<char>(0xE0 | (cp >> 12));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (cp >> 18));
      out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    }
  }
}

// Other character sets go through iconv, one character at a time where the
// input is invalid so that a bad byte costs one replacement and no more.
void DecodeIconv(const char* codeset, const unsigned char* s, size_t n, std::wstring& out) {
  iconv_t cd = iconv_open("WCHAR_T", codeset);
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    DecodeUtf8(s, n, out);
    return;
  }
  char* in = reinterpret_cast<char*>(const_cast<unsigned char*>(s));
  size_t inLeft = n;
  while (inLeft > 0) {
    wchar_t buf[256];
    char* o = reinterpret_cast<char*>(buf);
    size_t oLeft = sizeof(buf);
    size_t rc = iconv(cd, &in, &inLeft, &o, &oLeft);
    out.append(buf, (sizeof(buf) - oLeft) / sizeof(wchar_t));
    if (rc == static_cast<size_t>(-1) && errno != E2BIG) {
      out += kReplacement;  // EILSEQ or a truncated sequence at the end
      ++in;
      --inLeft;
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
  }
  iconv_close(cd);
}

void EncodeIconv(const char* codeset, const wchar_t* s, size_t n, std::string& out, bool* usedDefault,
                 char defaultChar) {
  iconv_t cd = iconv_open(codeset, "WCHAR_T");
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    EncodeUtf8(s, n, out, usedDefault, defaultChar);
    return;
  }
  char* in = reinterpret_cast<char*>(const_cast<wchar_t*>(s));
  size_t inLeft = n * sizeof(wchar_t);
  while (inLeft > 0) {
    char buf[512];
    char* o = buf;
    size_t oLeft = sizeof(buf);
    size_t rc = iconv(cd, &in, &inLeft, &o, &oLeft);
    out.append(buf, sizeof(buf) - oLeft);
    if (rc == static_cast<size_t>(-1) && errno != E2BIG) {
      out += defaultChar;
      if (usedDefault) *usedDefault = true;
      in += sizeof(wchar_t);
      inLeft -= inLeft >= sizeof(wchar_t) ? sizeof(wchar_t) : inLeft;
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
  }
  iconv_close(cd);
}

const char* CodesetFor(UINT codePage) {
  if (codePage == CP_UTF8) return "UTF-8";
  return nl_langinfo(CODESET);
}

}  // namespace

int MultiByteToWideChar(UINT codePage, DWORD, LPCSTR src, int srcLen, LPWSTR dst, int dstLen) {
  if (!src || srcLen == 0 || srcLen < -1 || dstLen < 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  size_t n = srcLen == -1 ? std::strlen(src) + 1 : static_cast<size_t>(srcLen);
  std::wstring wide;
  const char* cs = CodesetFor(codePage);
  const auto* bytes = reinterpret_cast<const unsigned char*>(src);
  if (IsUtf8Codeset(cs)) DecodeUtf8(bytes, n, wide);
  else DecodeIconv(cs, bytes, n, wide);
  if (dstLen == 0) return static_cast<int>(wide.size());
  if (wide.size() > static_cast<size_t>(dstLen)) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  std::memcpy(dst, wide.data(), wide.size() * sizeof(wchar_t));
  return static_cast<int>(wide.size());
}

int WideCharToMultiByte(UINT codePage, DWORD, LPCWSTR src, int srcLen, LPSTR dst, int dstLen,
                        LPCSTR defaultChar, BOOL* usedDefault) {
  if (!src || srcLen == 0 || srcLen < -1 || dstLen < 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  size_t n = srcLen == -1 ? std::wcslen(src) + 1 : static_cast<size_t>(srcLen);
  std::string narrow;
  bool used = false;
  char def = defaultChar && *defaultChar ? *defaultChar : '?';
  const char* cs = CodesetFor(codePage);
  if (IsUtf8Codeset(cs)) EncodeUtf8(src, n, narrow, &used, def);
  else EncodeIconv(cs, src, n, narrow, &used, def);
  if (usedDefault) *usedDefault = used ? TRUE : FALSE;
  if (dstLen == 0) return static_cast<int>(narrow.size());
  if (narrow.size() > static_cast<size_t>(dstLen)) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  std::memcpy(dst, narrow.data(), narrow.size());
  return static_cast<int>(narrow.size());
}

std::wstring AnsiToWide(const char* text) {
  if (!text) return std::wstring();
  int n = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
  if (n <= 0) return std::wstring();
  std::vector<wchar_t> buf(static_cast<size_t>(n));
  MultiByteToWideChar(CP_ACP, 0, text, -1, buf.data(), n);
  return std::wstring(buf.data());
}

std::wstring AnsiToWide(const std::string& text) { return AnsiToWide(text.c_str()); }

std::string WideToAnsi(const wchar_t* text) {
  if (!text) return std::string();
  int n = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (n <= 0) return std::string();
  std::vector<char> buf(static_cast<size_t>(n));
  WideCharToMultiByte(CP_ACP, 0, text, -1, buf.data(), n, nullptr, nullptr);
  return std::string(buf.data());
}

std::string WideToAnsi(const std::wstring& text) { return WideToAnsi(text.c_str()); }

std::wstring Utf8ToWide(const std::string& text) {
  std::wstring out;
  DecodeUtf8(reinterpret_cast<const unsigned char*>(text.data()), text.size(), out);
  return out;
}

std::string WideToUtf8(const std::wstring& text) {
  std::string out;
  EncodeUtf8(text.data(), text.size(), out, nullptr, '?');
  return out;
}
