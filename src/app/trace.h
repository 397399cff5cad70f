// Diagnostic trace: printf-style calls that append one line per call to a
// text file and echo it to standard output. Off unless g_bLogEnabled is set
// and g_szLogPath names a file; start-up switches it off.
#pragma once

extern bool g_bLogEnabled;
extern char g_szLogPath[4096];

// Turns the trace off and forgets the path.
void DisableLog();
// Turns the trace on, writing to `path` (cut to 4095 bytes).
void EnableLog(const char* path);
bool IsLogEnabled();

// "<message>*[DD::HH:MM:SS]\r\n". Returns 1 when a line was produced, 0 when
// the trace is off, the format is missing, or the message is empty or does
// not fit into 1023 characters.
int WriteLog(const char* format, ...) __attribute__((format(printf, 1, 2)));

// "[--HH:MM:SS.ffffff--]*<message>\r\n" (the fraction only when it is not
// zero). Same results as WriteLog.
int WriteLogTime(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Appends "------Exit Log System-------\r\n" when the trace is on.
void WriteLogExitLine();
