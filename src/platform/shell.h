// Shell folders and file-system paths.
//
// Program paths are wide texts that may use backslashes as separators (the
// layout files write "\TesqaSearchTools\Picture\logo.png"); they are turned
// into native paths (slashes, the locale's character set) only where they
// meet the file system, by NativePath.
#pragma once

#include <string>

#include "platform/types.h"

#define CSIDL_COMMON_TEMPLATES 0x002d

// Fills `path` (MAX_PATH wide characters) with the special folder `csidl`.
// Only CSIDL_COMMON_TEMPLATES exists here: the folder the program keeps its
// working files in, $XDG_DATA_HOME/lanscout (default ~/.local/share/lanscout).
// Like the Windows folder, it always exists: it is made (with its parents)
// when missing, whatever `create` says. Returns FALSE when no home folder is
// known or the path does not fit.
BOOL SHGetSpecialFolderPathW(HWND owner, LPWSTR path, int csidl, BOOL create);

// TRUE when the path names an existing directory.
BOOL PathIsDirectoryW(LPCWSTR path);

// Makes one directory level. FALSE with ERROR_ALREADY_EXISTS when something
// of that name exists, ERROR_PATH_NOT_FOUND when the parent is missing.
BOOL CreateDirectoryW(LPCWSTR path, void* securityAttributes);

// The native path of a program path: backslashes become slashes.
std::string NativePath(const std::wstring& path);
