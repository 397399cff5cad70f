#include "app/trace.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>

#include <boost/date_time/posix_time/posix_time.hpp>

bool g_bLogEnabled = false;
char g_szLogPath[4096] = {0};

namespace {

constexpr size_t kMaxLine = 1023;

// Appends the line to the file (own open, append and close, so that lines of
// several threads never mix within a line) and echoes it to stdout.
void EmitLine(const char* line) {
  if (FILE* f = std::fopen(g_szLogPath, "a")) {
    std::fputs(line, f);
    std::fclose(f);
  }
  std::fputs(line, stdout);
  std::fflush(stdout);
}

// Formats into `out`; false when empty or too long for the 1024-byte buffer.
bool FormatMessage(char (&out)[1024], const char* format, va_list args) {
  int n = std::vsnprintf(out, sizeof(out), format, args);
  return n > 0 && static_cast<size_t>(n) <= kMaxLine;
}

}  // namespace

void DisableLog() {
  g_bLogEnabled = false;
  g_szLogPath[0] = '\0';
}

void EnableLog(const char* path) {
  std::snprintf(g_szLogPath, sizeof(g_szLogPath), "%s", path ? path : "");
  g_bLogEnabled = true;
}

bool IsLogEnabled() { return g_bLogEnabled && g_szLogPath[0] != '\0'; }

namespace {

// Both line forms: the message, formatted, with the stamp after it or the
// time of day in front of it.
int WriteStampedLine(bool timeOfDay, const char* format, va_list args) {
  if (!IsLogEnabled() || !format) return 0;
  char message[1024];
  if (!FormatMessage(message, format, args)) return 0;

  char line[1024];
  int n;
  if (timeOfDay) {
    // Time of day with microseconds; the fraction is left out when it is zero.
    boost::posix_time::time_duration tod = boost::posix_time::microsec_clock::local_time().time_of_day();
    std::string stamp = boost::posix_time::to_simple_string(tod);
    n = std::snprintf(line, sizeof(line), "[--%s--]*%s\r\n", stamp.c_str(), message);
  } else {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    n = std::snprintf(line, sizeof(line), "%s*[%02d::%02d:%02d:%02d]\r\n", message, local.tm_mday, local.tm_hour,
                      local.tm_min, local.tm_sec);
  }
  if (n <= 0 || static_cast<size_t>(n) > kMaxLine) return 0;
  EmitLine(line);
  return 1;
}

}  // namespace

int WriteLog(const char* format, ...) {
  va_list args;
  va_start(args, format);
  int written = WriteStampedLine(false, format, args);
  va_end(args);
  return written;
}

int WriteLogTime(const char* format, ...) {
  va_list args;
  va_start(args, format);
  int written = WriteStampedLine(true, format, args);
  va_end(args);
  return written;
}

void WriteLogExitLine() {
  if (!IsLogEnabled()) return;
  if (FILE* f = std::fopen(g_szLogPath, "a")) {
    std::fputs("------Exit Log System-------\r\n", f);
    std::fclose(f);
  }
}
