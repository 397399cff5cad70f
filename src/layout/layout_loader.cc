#include "layout/layout_loader.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <exception>
#include <map>
#include <memory>
#include <pugixml.hpp>
#include <vector>

#include "app/workfolder.h"
#include "platform/shell.h"
#include "platform/textconv.h"

namespace {

// ---------------------------------------------------------------- the file

// Reads a regular file whole. Opening does not block (a FIFO or a device is
// refused after the open, never read), and no more than kMaxLayoutFileSize
// bytes are taken.
bool ReadWholeFile(const std::string& path, std::string& bytes, std::string& reason) {
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) {
    reason = std::strerror(errno);
    return false;
  }
  struct stat st;
  bool ok = false;
  if (fstat(fd, &st) != 0) {
    reason = std::strerror(errno);
  } else if (!S_ISREG(st.st_mode)) {
    reason = S_ISDIR(st.st_mode) ? "is a directory" : "not a regular file";
  } else if (static_cast<unsigned long long>(st.st_size) > kMaxLayoutFileSize) {
    reason = "larger than " + std::to_string(kMaxLayoutFileSize) + " bytes";
  } else {
    bytes.resize(static_cast<size_t>(st.st_size));
    size_t have = 0;
    ok = true;
    for (;;) {
      if (have == bytes.size()) {
        // The file may have grown since fstat: keep reading up to the limit.
        if (bytes.size() > kMaxLayoutFileSize) {
          reason = "larger than " + std::to_string(kMaxLayoutFileSize) + " bytes";
          ok = false;
          break;
        }
        bytes.resize(std::min(kMaxLayoutFileSize + 1, bytes.size() + 4096));
      }
      ssize_t n = read(fd, &bytes[have], bytes.size() - have);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) {
        reason = std::strerror(errno);
        ok = false;
        break;
      }
      if (n == 0) break;
      have += static_cast<size_t>(n);
    }
    bytes.resize(have);
  }
  close(fd);
  return ok;
}

// ---------------------------------------------------------------- the walk

// A node's place in document order: [begin, end) numbers its subtree.
struct Span {
  size_t begin = 0;
  size_t end = 0;
};

struct DialogCandidate {
  pugi::xml_node node;
  Span span;
  pugi::xml_node section;  // its first child element named like the section
  Span sectionSpan;
};

bool IsElement(pugi::xml_node node, const char* name) {
  return node.type() == pugi::node_element && std::strcmp(node.name(), name) == 0;
}

// One walk over the whole document, without recursion (files may nest
// deeply): the DialogInfo children of WindowInformation elements in document
// order, each with its section element and the spans of both.
std::vector<DialogCandidate> FindDialogs(const pugi::xml_document& doc, const std::string& section) {
  std::vector<DialogCandidate> dialogs;
  // Open spans, innermost last: index into `dialogs`, and whether it is the
  // dialog's section rather than the dialog itself.
  std::vector<std::pair<size_t, bool>> open;
  size_t counter = 0;

  auto enter = [&](pugi::xml_node node) {
    size_t at = counter++;
    if (node.type() != pugi::node_element) return;
    if (std::strcmp(node.name(), "DialogInfo") == 0 && IsElement(node.parent(), "WindowInformation")) {
      DialogCandidate candidate;
      candidate.node = node;
      candidate.span.begin = at;
      dialogs.push_back(candidate);
      open.emplace_back(dialogs.size() - 1, false);
      return;
    }
    if (!open.empty() && !open.back().second) {
      DialogCandidate& owner = dialogs[open.back().first];
      if (owner.node == node.parent() && !owner.section && section == node.name()) {
        owner.section = node;
        owner.sectionSpan.begin = at;
        open.emplace_back(open.back().first, true);
      }
    }
  };
  auto leave = [&](pugi::xml_node node) {
    if (open.empty()) return;
    DialogCandidate& top = dialogs[open.back().first];
    if (open.back().second ? top.section == node : top.node == node) {
      (open.back().second ? top.sectionSpan : top.span).end = counter;
      open.pop_back();
    }
  };

  pugi::xml_node root = doc;
  pugi::xml_node cur = root.first_child();
  while (cur) {
    enter(cur);
    if (cur.first_child()) {
      cur = cur.first_child();
      continue;
    }
    for (;;) {
      leave(cur);
      if (cur.next_sibling()) {
        cur = cur.next_sibling();
        break;
      }
      cur = cur.parent();
      if (cur == root) {
        cur = pugi::xml_node();
        break;
      }
    }
  }
  return dialogs;
}

// Calls `visit` for every element named `name` below `top`, in document
// order, without recursion.
template <class Visit>
void ForEachDescendant(pugi::xml_node top, const char* name, Visit visit) {
  pugi::xml_node cur = top.first_child();
  while (cur) {
    if (IsElement(cur, name)) visit(cur);
    if (cur.first_child()) {
      cur = cur.first_child();
      continue;
    }
    while (cur != top && !cur.next_sibling()) cur = cur.parent();
    if (cur == top) break;
    cur = cur.next_sibling();
  }
}

// ---------------------------------------------------------------- reading

// Line numbers of a UTF-8 buffer, for the observer's messages.
class LineTable {
 public:
  LineTable(const char* data, size_t size) {
    starts_.push_back(0);
    for (size_t i = 0; i < size; ++i)
      if (data[i] == '\n') starts_.push_back(i + 1);
  }
  // 1-based line and column (in bytes) of a byte offset.
  void Locate(ptrdiff_t offset, int& line, int& column) const {
    if (offset < 0) {
      line = column = 0;
      return;
    }
    size_t at = static_cast<size_t>(offset);
    size_t index = static_cast<size_t>(std::upper_bound(starts_.begin(), starts_.end(), at) - starts_.begin());
    line = static_cast<int>(std::min<size_t>(index, INT32_MAX));
    column = static_cast<int>(std::min<size_t>(at - starts_[index - 1] + 1, INT32_MAX));
  }

 private:
  std::vector<size_t> starts_;
};

// An attribute value as wide text. Most values are ASCII, which needs no
// decoding.
std::wstring Widen(const char* text) {
  const char* end = text;
  bool ascii = true;
  for (; *end; ++end) ascii = ascii && static_cast<unsigned char>(*end) < 0x80;
  if (ascii) return std::wstring(text, end);
  return Utf8ToWide(std::string(text, end));
}

// The element whose attributes are being read, for the observer.
struct ElementContext {
  pugi::xml_node node;
  LayoutElement kind;
  const char* name;
  int line;
  int32_t ctrlId;
  // The files write the attributes in the order they are read. While every
  // attribute read so far was the next one of the element, each further one
  // is looked for there first: everything before it has another name, so it
  // is the first of its name, as a search from the start would find.
  bool inOrder = true;
  pugi::xml_attribute next = node.first_attribute();
};

class LayoutReader {
 public:
  LayoutReader(LayoutDialogInfo& info, const LayoutLoadOptions& options, const LineTable* lines)
      : info_(info), options_(options), observer_(options.observer), lines_(lines) {}

  void Read(const pugi::xml_document& doc, int32_t dialogId, const std::wstring& section) {
    std::vector<DialogCandidate> dialogs = FindDialogs(doc, WideToUtf8(section));
    // A DialogInfo may hold another one (through a WindowInformation inside
    // it), and a section another dialog's section. Every element of a
    // subtree already gone through was offered to the maps then, and a map
    // keeps the first entry of a key, so offering it again changes nothing:
    // such subtrees are passed over, which keeps deeply nested files linear.
    std::map<size_t, size_t> sectionsDone;  // span begin -> end
    size_t stringsDoneUntil = 0;
    bool anyStringsDone = false;

    for (const DialogCandidate& dialog : dialogs) {
      if (ParseLayoutInt(Widen(dialog.node.attribute("DialogID").value())) != dialogId) continue;
      ElementContext element{dialog.node, LayoutElement::Dialog, "DialogInfo", LineOf(dialog.node), 0};
      if (observer_) observer_->OnDialogInfo(element.line);

      info_.DialogID = ParseLayoutInt(Take(element, "DialogID"));
      info_.DialogText = Take(element, "DialogText");
      info_.DialogDiscrip = Take(element, "DialogDiscrip");

      if (dialog.section) {
        const std::wstring folder = options_.pathRoot ? *options_.pathRoot : GetShellFolderPath();
        ReadSection(dialog.section, folder);
        if (!Covered(sectionsDone, dialog.sectionSpan)) {
          sectionsDone[dialog.sectionSpan.begin] = dialog.sectionSpan.end;
          ForEachDescendant(dialog.section, "CtrlInfo", [&](pugi::xml_node node) { ReadCtrl(node, folder); });
        }
      } else if (observer_) {
        observer_->OnSectionMissing(element.line);
      }

      if (!anyStringsDone || dialog.span.begin >= stringsDoneUntil) {
        anyStringsDone = true;
        stringsDoneUntil = dialog.span.end;
        ForEachDescendant(dialog.node, "StringInfo", [&](pugi::xml_node node) { ReadString(node); });
      }
    }
  }

 private:
  static bool Covered(const std::map<size_t, size_t>& done, const Span& span) {
    auto it = done.upper_bound(span.begin);
    if (it == done.begin()) return false;
    --it;
    return it->second >= span.end;
  }

  int LineOf(pugi::xml_node node) const {
    if (!observer_ || !lines_) return 0;
    int line, column;
    lines_->Locate(node.offset_debug(), line, column);
    return line;
  }

  // The attribute's text; empty when the element lacks it. pugixml's values
  // end at their first NUL, so a "&#0;" reference ends the text there.
  std::wstring Take(ElementContext& element, const char* name) {
    pugi::xml_attribute attribute;
    if (element.inOrder && element.next && std::strcmp(element.next.name(), name) == 0) {
      attribute = element.next;
      element.next = element.next.next_attribute();
    } else {
      element.inOrder = false;
      attribute = element.node.attribute(name);
    }
    std::wstring text = Widen(attribute.value());
    if (observer_) {
      int32_t ctrlId = element.ctrlId;
      if (element.kind == LayoutElement::Ctrl && std::strcmp(name, "CtrlID") == 0) ctrlId = ParseLayoutInt(text);
      observer_->OnAttribute({element.kind, element.name, element.line, ctrlId, name, text, !attribute.empty(),
                             element.node.internal_object()});
    }
    return text;
  }

  void ReadSection(pugi::xml_node node, const std::wstring& folder) {
    ElementContext element{node, LayoutElement::Section, node.name(), LineOf(node), 0};
    // Colours, offsets and rectangles are read into the current values: the
    // cleared ones, or those of an earlier matching DialogInfo.
    info_.DialogBGPath = folder + Take(element, "DialogBGPath");
    info_.DialogBGColorText = Take(element, "DialogBGColor");
    ParseLayoutColor(info_.DialogBGColorText, info_.DialogBGColor);
    info_.DlgPaintMode = ParseLayoutInt(Take(element, "DlgPaintMode"));
    ParseLayoutOffset(Take(element, "DlgTextOffSet"), info_.DlgTextOffSet);
    info_.DlgTextColorText = Take(element, "DlgTextColor");
    ParseLayoutColor(info_.DlgTextColorText, info_.DlgTextColor);
    info_.DialogFont = Take(element, "DialogFont");
    info_.DialogFontSize = ParseLayoutInt(Take(element, "DialogFontSize"));
    ParseLayoutRect(Take(element, "DialogPos"), info_.DialogPos);
  }

  void ReadCtrl(pugi::xml_node node, const std::wstring& folder) {
    ElementContext element{node, LayoutElement::Ctrl, "CtrlInfo", LineOf(node), 0};
    LayoutCtrlInfo ctrl;
    ctrl.CtrlID = ParseLayoutInt(Take(element, "CtrlID"));
    element.ctrlId = ctrl.CtrlID;
    ctrl.CtrlBGPath = folder + Take(element, "CtrlBGPath");
    ctrl.CtrlBGStatusCount = ParseLayoutInt(Take(element, "CtrlBGStatusCount"));
    ctrl.CtrlBGColorText = Take(element, "CtrlBGColor");
    ParseLayoutColor(ctrl.CtrlBGColorText, ctrl.CtrlBGColor);
    ctrl.CtrlBorderColorText = Take(element, "CtrlBorderColor");
    ParseLayoutColor(ctrl.CtrlBorderColorText, ctrl.CtrlBorderColor);
    ctrl.CtrlPaintMode = ParseLayoutInt(Take(element, "CtrlPaintMode"));
    ctrl.CtrlClass = Take(element, "CtrlClass");
    ParseLayoutStyle(Take(element, "CtrlStyle"), ctrl.CtrlStyle);
    ctrl.CtrlPosType = ParseLayoutInt(Take(element, "CtrlPosType"));
    ParseLayoutRect(Take(element, "CtrlPos"), ctrl.CtrlPos);
    ctrl.CtrlShow = ParseLayoutInt(Take(element, "CtrlShow"));
    ctrl.CtrlText = Take(element, "CtrlText");
    ParseLayoutOffset(Take(element, "CtrlTextOffSet"), ctrl.CtrlTextOffSet);
    ctrl.CtrlTextColorText = Take(element, "CtrlTextColor");
    ParseLayoutColor(ctrl.CtrlTextColorText, ctrl.CtrlTextColor);
    ctrl.CtrlFont = Take(element, "CtrlFont");
    ctrl.CtrlFontSize = ParseLayoutInt(Take(element, "CtrlFontSize"));
    ctrl.CtrlDiscrip = Take(element, "CtrlDiscrip");

    const int32_t id = ctrl.CtrlID;
    bool kept = info_.CtrlInfos.emplace(id, std::move(ctrl)).second;  // a repeated id keeps the first
    if (observer_) observer_->OnCtrlInfo(id, element.line, kept);
  }

  void ReadString(pugi::xml_node node) {
    ElementContext element{node, LayoutElement::String, "StringInfo", LineOf(node), 0};
    std::wstring key = Take(element, "StringID");
    std::wstring value = Take(element, "StringValue");
    bool kept = info_.Strings.emplace(key, std::move(value)).second;  // a repeated key keeps the first
    if (observer_) observer_->OnStringInfo(key, element.line, kept);
  }

  LayoutDialogInfo& info_;
  const LayoutLoadOptions& options_;
  LayoutLoadObserver* observer_;
  const LineTable* lines_;
};

// Parses `data` and reads the dialog out of it. (pugixml's in-place parse
// is not used: on a buffer with NUL bytes in it, it can accept what the
// parse of a copy rejects.)
void ReadDocument(LayoutDialogInfo& info, const char* data, size_t size, int32_t dialogId,
                  const std::wstring& section, const LayoutLoadOptions& options) {
  pugi::xml_document doc;
  pugi::xml_parse_result result = doc.load_buffer(data, size, pugi::parse_default, pugi::encoding_auto);

  std::unique_ptr<LineTable> lines;
  if (options.observer && result.encoding == pugi::encoding_utf8) lines.reset(new LineTable(data, size));

  if (!result) {
    // pugixml keeps what it parsed before the error; the loader takes
    // nothing from a broken file.
    doc.reset();
    if (options.observer) {
      int line = 0, column = 0;
      if (lines) lines->Locate(result.offset, line, column);
      options.observer->OnDocumentError(result.description(), line, column);
    }
  }
  LayoutReader(info, options, lines.get()).Read(doc, dialogId, section);
}

}  // namespace

int LoadLayoutInfo(LayoutDialogInfo& info, const std::wstring& path, int32_t dialogId, const std::wstring& section) {
  return LoadLayoutInfo(info, path, dialogId, section, LayoutLoadOptions());
}

int LoadLayoutInfo(LayoutDialogInfo& info, const std::wstring& path, int32_t dialogId, const std::wstring& section,
                   const LayoutLoadOptions& options) {
  info = LayoutDialogInfo();
  if (path.empty()) return 0;
  try {
    std::string bytes, reason;
    if (!ReadWholeFile(NativePath(path), bytes, reason)) {
      if (options.observer) options.observer->OnDocumentError(reason, 0, 0);
      return 1;
    }
    ReadDocument(info, bytes.data(), bytes.size(), dialogId, section, options);
  } catch (const std::exception&) {
    // Out of memory: the load gives nothing, as for an unreadable file.
    info = LayoutDialogInfo();
  }
  return 1;
}

int LoadLayoutInfoFromMemory(LayoutDialogInfo& info, const void* data, size_t size, int32_t dialogId,
                             const std::wstring& section, const LayoutLoadOptions& options) {
  info = LayoutDialogInfo();
  try {
    ReadDocument(info, static_cast<const char*>(data), size, dialogId, section, options);
  } catch (const std::exception&) {
    info = LayoutDialogInfo();
  }
  return 1;
}
