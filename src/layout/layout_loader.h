// Reads one dialog of a layout file into a LayoutDialogInfo.
//
// The file is read whole and parsed (pugixml) before anything is looked up.
// From the document the loader takes:
//   - every DialogInfo element whose parent is a WindowInformation element,
//     wherever that stands, in document order, and of these the ones whose
//     DialogID reads as the asked-for id;
//   - of each such DialogInfo, the first child element named like the
//     section (exact, case-sensitive), with its attributes, and every
//     CtrlInfo element inside that section at any depth, in document order;
//   - every StringInfo element inside the DialogInfo at any depth.
// Everything else in the file is ignored. A later matching DialogInfo
// overwrites the dialog fields it has; control ids and string keys already
// stored keep their first record. Image paths get the shared shell folder
// (or the options' root) put in front, with nothing in between.
//
// Attribute values: an element that lacks one of its attributes reads that
// attribute as the empty text (so a missing number is 0, a missing colour,
// rectangle or offset leaves the field as it was). Values are UTF-8 in the
// file and end at their first NUL character (a "&#0;" reference cuts them
// there). XML normalises tabs and line ends inside values to blanks.
//
// The file: UTF-8 with or without the byte-order mark (UTF-16 and UTF-32
// with a byte-order mark, and encodings named by the XML declaration that
// pugixml knows, load too). A file that is missing, unreadable, not a
// regular file, larger than kMaxLayoutFileSize or not well-formed XML
// leaves the record cleared; LoadLayoutInfo still returns 1, as for a file
// without the dialog. Well-formed means what pugixml checks: it rejects
// unbalanced or mismatched tags, broken tags and attributes and a document
// without an element, but accepts a few things strict XML forbids (a second
// top-level element, text outside the root element, a repeated attribute,
// of which the first counts, and a bare '&' or '<' in a value, which is
// kept as written). A DOCTYPE is skipped; its entities are not expanded.
// A NUL byte ends the text pugixml reads: inside an element it leaves the
// file not well-formed, after the root element it is harmless.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "layout/layout_info.h"

// Larger files are treated as unreadable (a layout is a few kilobytes).
constexpr size_t kMaxLayoutFileSize = 16u << 20;

// The element kinds the loader reads attributes from.
enum class LayoutElement { Dialog, Section, Ctrl, String };

// One attribute read by the loader, as it stands in the file.
struct LayoutAttributeRead {
  LayoutElement element;
  const char* elementName;  // "DialogInfo", the section's name, "CtrlInfo", "StringInfo"
  int line;                 // of the element; 0 when unknown
  int32_t ctrlId;           // the CtrlID of a CtrlInfo (read first), else 0
  const char* name;         // the attribute's name
  const std::wstring& text;  // its text; empty when missing
  bool present;             // false when the element lacks the attribute
  const void* elementTag;   // the same for every attribute of one element
};

// Hears what a load reads and what it passes over without a word. The
// program loads without one; the layout checking tool listens to tell a
// file's author about mistakes. Line numbers are 1-based, 0 when unknown
// (they are known for UTF-8 files).
class LayoutLoadObserver {
 public:
  virtual ~LayoutLoadObserver() = default;
  // The file could not be read or is not well-formed XML. `line` and
  // `column` place an XML error; both are 0 when the file was not read.
  virtual void OnDocumentError(const std::string& reason, int line, int column) {}
  // A DialogInfo with the asked-for id, in the order they are processed.
  virtual void OnDialogInfo(int line) {}
  // That DialogInfo has no child element named like the section.
  virtual void OnSectionMissing(int line) {}
  virtual void OnAttribute(const LayoutAttributeRead& read) {}
  // A CtrlInfo after its attributes were read; `kept` is false when its id
  // was already stored, so that this one was dropped.
  virtual void OnCtrlInfo(int32_t id, int line, bool kept) {}
  virtual void OnStringInfo(const std::wstring& key, int line, bool kept) {}
};

struct LayoutLoadOptions {
  // Put in front of image paths instead of the shared shell folder.
  const std::wstring* pathRoot = nullptr;
  LayoutLoadObserver* observer = nullptr;
};

// Clears `info` and reads dialog `dialogId`, look `section`, of the layout
// file at `path` (a program path; backslashes are separators) into it.
// Returns 0 when the path is empty, otherwise 1, whatever the file held;
// `info` then holds what the file gave (or stays cleared).
int LoadLayoutInfo(LayoutDialogInfo& info, const std::wstring& path, int32_t dialogId, const std::wstring& section);
int LoadLayoutInfo(LayoutDialogInfo& info, const std::wstring& path, int32_t dialogId, const std::wstring& section,
                   const LayoutLoadOptions& options);

// The same over the bytes of a file already in memory (tests, the fuzzer):
// clears `info`, reads from `data` and returns 1.
int LoadLayoutInfoFromMemory(LayoutDialogInfo& info, const void* data, size_t size, int32_t dialogId,
                             const std::wstring& section, const LayoutLoadOptions& options = {});
