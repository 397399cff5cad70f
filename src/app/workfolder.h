// The working folder: at every start the layout of the user's language and
// the skin images are written from the executable's resources into
//   <shared folder>\TesqaSearchTools\WndLayoutInfo.xml
//   <shared folder>\TesqaSearchTools\Picture\*.png, *.bmp
// and every later step loads them from there by path.
#pragma once

#include <string>

#include "platform/types.h"

#define WORK_FOLDER_NAME L"\\TesqaSearchTools"
#define PICTURE_FOLDER_NAME L"\\TesqaSearchTools\\Picture"
#define LAYOUT_FILE_NAME L"\\WndLayoutInfo.xml"

// The shared shell folder (all-users Templates), asked for on every call;
// empty when the shell cannot give it.
std::wstring GetShellFolderPath();
std::wstring GetWorkFolderPath();
std::wstring GetPictureFolderPath();

// Creates the two folders when missing and writes the nine files. 1 on
// success, 0 at the first failure (files written before it stay).
int PrepareWorkFolder();
int ExtractLayoutFile();
int ExtractSkinImages();

// Writes the resource (id, type name) whole to `path`. 1 when written, 0 when
// the id is 0, the path empty, the resource missing, or the file could not be
// opened or written.
int WriteResourceToFile(int id, LPCWSTR type, LPCWSTR path);

// The skin images in the order they are written: resource type, id and file
// name in the picture folder.
struct SkinImageResource {
  LPCWSTR type;
  int id;
  LPCWSTR fileName;
};
extern const SkinImageResource kSkinImages[8];
