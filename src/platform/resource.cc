#include "platform/resource.h"

#include <cwchar>

#include "platform/resource_table.h"

HMODULE AfxGetResourceHandle() { return nullptr; }

HMODULE AfxFindResourceHandle(LPCWSTR, LPCWSTR) { return nullptr; }

HRSRC FindResourceW(HMODULE, LPCWSTR name, LPCWSTR type) {
  if (!name || !type || !IS_INTRESOURCE(name) || IS_INTRESOURCE(type)) {
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
  }
  int id = static_cast<int>(reinterpret_cast<uintptr_t>(name));
  bool typeSeen = false;
  for (size_t i = 0;; ++i) {
    const platform::ResourceEntry* e = platform::EmbeddedResourceAt(i);
    if (!e) break;
    if (std::wcscmp(e->type, type) != 0) continue;
    typeSeen = true;
    if (e->id == id) return e;
  }
  SetLastError(typeSeen ? ERROR_RESOURCE_NAME_NOT_FOUND : ERROR_RESOURCE_TYPE_NOT_FOUND);
  return nullptr;
}

HGLOBAL LoadResource(HMODULE, HRSRC resource) {
  if (!resource) SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
  return resource;
}

LPVOID LockResource(HGLOBAL loaded) {
  return loaded ? const_cast<unsigned char*>(loaded->data) : nullptr;
}

DWORD SizeofResource(HMODULE, HRSRC resource) {
  return resource ? static_cast<DWORD>(resource->size) : 0;
}
