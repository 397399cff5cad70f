// Checking a layout file for the mistakes the program passes over without a
// word: the file is loaded exactly as the program loads it, and everything
// the load drops, misreads or cannot find becomes a warning.
#pragma once

#include <cstdint>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "layout/layout_info.h"

struct LayoutWarning {
  int line;  // 1-based line of the element concerned; 0 for the file as a whole
  std::string text;
};

struct LayoutCheck {
  enum Status { kLoaded = 0, kWarnings = 1, kUnreadable = 2 };
  int status = kLoaded;
  std::string error;  // why the file cannot be used (kUnreadable)
  LayoutDialogInfo info;
  std::vector<LayoutWarning> warnings;
};

// The dialog id the main window asks for; checking it also checks what the
// main window needs of its layout (its strings and the controls it binds).
constexpr int32_t kMainWindowDialogId = 201;

// Loads dialog `dialogId`, look `section`, of the layout file `path` (a
// program path) with `root` in front of image paths instead of the shared
// shell folder, and lists the warnings in the order they were found.
LayoutCheck CheckLayoutFile(const std::wstring& path, int32_t dialogId, const std::wstring& section,
                            const std::wstring& root);

// The dialog record as JSON: keys are the record's field names, in the
// record's order; colours are COLORREF numbers (red in the low byte),
// rectangles {left, top, right, bottom}, offsets {x, y}, CtrlInfos an array
// in id order, Strings an object in key order.
nlohmann::ordered_json LayoutToJson(const LayoutDialogInfo& info);
