#include "app/workfolder.h"

#include "app/language.h"
#include "platform/app.h"
#include "platform/file.h"
#include "platform/resource.h"
#include "platform/shell.h"

const SkinImageResource kSkinImages[8] = {
    {L"BMP", 158, L"\\SearchDevice_BlackGround.bmp"},
    {L"PNG", 146, L"\\SearchDevice_BlackGround.png"},
    {L"PNG", 139, L"\\Brush.png"},
    {L"PNG", 144, L"\\logo.png"},
    {L"PNG", 147, L"\\headerbackground.png"},
    {L"PNG", 148, L"\\headerclip.png"},
    {L"PNG", 141, L"\\close.png"},
    {L"PNG", 140, L"\\ButtonMax.png"},
};

std::wstring GetShellFolderPath() {
  WCHAR path[MAX_PATH] = {0};
  SHGetSpecialFolderPathW(nullptr, path, CSIDL_COMMON_TEMPLATES, FALSE);
  return path;
}

std::wstring GetWorkFolderPath() { return GetShellFolderPath() + WORK_FOLDER_NAME; }

std::wstring GetPictureFolderPath() { return GetShellFolderPath() + PICTURE_FOLDER_NAME; }

namespace {
bool EnsureDirectory(const std::wstring& path) {
  if (PathIsDirectoryW(path.c_str())) return true;
  return CreateDirectoryW(path.c_str(), nullptr) != FALSE;
}
}  // namespace

int PrepareWorkFolder() {
  std::wstring work = GetWorkFolderPath();
  std::wstring picture = GetPictureFolderPath();
  if (!EnsureDirectory(work)) return 0;
  if (!EnsureDirectory(picture)) return 0;
  if (!ExtractLayoutFile()) return 0;
  if (!ExtractSkinImages()) return 0;
  return 1;
}

int ExtractLayoutFile() {
  int id = GetLayoutResourceId(GetLanguageIndex());
  std::wstring path = GetWorkFolderPath() + LAYOUT_FILE_NAME;
  return WriteResourceToFile(id, L"XML", path.c_str());
}

int ExtractSkinImages() {
  std::wstring folder = GetPictureFolderPath();
  for (const SkinImageResource& image : kSkinImages) {
    std::wstring path = folder + image.fileName;
    if (!WriteResourceToFile(image.id, image.type, path.c_str())) return 0;
  }
  return 1;
}

int WriteResourceToFile(int id, LPCWSTR type, LPCWSTR path) {
  if (id == 0 || !path || !*path || !type) return 0;
  HMODULE module = AfxFindResourceHandle(MAKEINTRESOURCEW(id), type);
  HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(id), type);
  if (!resource) {
    module = AfxGetInstanceHandle();
    resource = FindResourceW(module, MAKEINTRESOURCEW(id), type);
  }
  if (!resource) return 0;
  HGLOBAL loaded = LoadResource(module, resource);
  const void* data = LockResource(loaded);
  DWORD size = SizeofResource(module, resource);
  if (!data) return 0;

  CFile file;
  if (!file.Open(path, CFile::modeCreate | CFile::modeWrite)) return 0;
  BOOL written = file.Write(data, size);
  BOOL closed = file.Close();
  return written && closed ? 1 : 0;
}
