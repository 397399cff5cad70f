// The table of resources linked into the executable (generated at build time
// from resources/resources.list).
#pragma once

#include <cstddef>

namespace platform {

struct ResourceEntry {
  const wchar_t* type;  // type name, e.g. L"XML", L"PNG"
  int id;
  const unsigned char* data;
  size_t size;
};

// The index-th entry, or null past the last one.
const ResourceEntry* EmbeddedResourceAt(size_t index);

}  // namespace platform
