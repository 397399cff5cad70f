// Embedded resources, looked up by id and type name as on Windows:
//   HRSRC r = FindResourceW(AfxGetResourceHandle(), MAKEINTRESOURCEW(150), L"XML");
//   HGLOBAL g = LoadResource(module, r); const void* p = LockResource(g);
//   DWORD n = SizeofResource(module, r);
// The bytes live in the executable's read-only data and are never freed.
#pragma once

#include "platform/types.h"

namespace platform {
struct ResourceEntry;
}

typedef const platform::ResourceEntry* HRSRC;
typedef const platform::ResourceEntry* HGLOBAL;

// An integer resource name: ids below 0x10000 travel in the pointer itself.
#define MAKEINTRESOURCEW(i) (reinterpret_cast<LPWSTR>(static_cast<uintptr_t>(static_cast<WORD>(i))))
#define IS_INTRESOURCE(p) ((reinterpret_cast<uintptr_t>(p) >> 16) == 0)

// The module that holds resources: the executable (null stands for it).
HMODULE AfxGetResourceHandle();
HMODULE AfxFindResourceHandle(LPCWSTR name, LPCWSTR type);

// Finds the resource with the integer name `name` and the type name `type`
// (compared exactly). Named (string) resources do not exist here.
HRSRC FindResourceW(HMODULE module, LPCWSTR name, LPCWSTR type);
HGLOBAL LoadResource(HMODULE module, HRSRC resource);
LPVOID LockResource(HGLOBAL loaded);
DWORD SizeofResource(HMODULE module, HRSRC resource);
