// Feeds arbitrary bytes to the layout loader three ways (from memory, from a
// file as the program reads it, and from a file through the layout check)
// and requires that all three give the same record and that the record is
// consistent. Crashes, hangs and leaks are the sanitizers' to find.

#include <stdlib.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "layout/layout_loader.h"
#include "layout_check.h"
#include "platform/textconv.h"

namespace {

std::string TempFile() {
  char path[] = "/tmp/lanscout-layout-fuzz-XXXXXX";
  int fd = mkstemp(path);
  if (fd < 0) abort();
  close(fd);
  static std::string made = path;
  atexit([] { unlink(made.c_str()); });
  return path;
}

bool WriteAll(const std::string& path, const uint8_t* data, size_t size) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  bool ok = std::fwrite(data, 1, size, f) == size;
  return std::fclose(f) == 0 && ok;
}

void Require(bool condition) {
  if (!condition) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = TempFile();
  static const std::wstring widePath = Utf8ToWide(path);
  static const std::wstring root = L"/nonexistent-root";
  LayoutLoadOptions options;
  options.pathRoot = &root;

  LayoutDialogInfo fromMemory;
  Require(LoadLayoutInfoFromMemory(fromMemory, data, size, 201, L"Standard", options) == 1);
  for (const auto& entry : fromMemory.CtrlInfos) Require(entry.first == entry.second.CtrlID);
  Require(fromMemory.DialogID == 0 || fromMemory.DialogID == 201);

  if (!WriteAll(path, data, size)) return 0;
  LayoutDialogInfo fromFile;
  Require(LoadLayoutInfo(fromFile, widePath, 201, L"Standard", options) == 1);
  Require(fromFile == fromMemory);

  LayoutCheck check = CheckLayoutFile(widePath, 201, L"Standard", root);
  Require(check.info == fromMemory);
  if (check.status == LayoutCheck::kUnreadable) Require(check.info == LayoutDialogInfo() && check.warnings.empty());
  if (check.status != LayoutCheck::kUnreadable) Require((check.status == LayoutCheck::kLoaded) == check.warnings.empty());
  std::string json = LayoutToJson(check.info).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
  Require(!json.empty());
  return 0;
}
