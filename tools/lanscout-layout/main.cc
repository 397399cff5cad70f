// lanscout-layout: loads a layout file as the program does, prints the dialog
// record as JSON and warns about what the program would pass over silently.
// For translators and skin makers; see Usage below.

#include <cerrno>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "app/workfolder.h"
#include "layout_check.h"
#include "platform/textconv.h"

namespace {

const char kUsage[] =
    "usage: lanscout-layout [--root DIR] FILE [DIALOG_ID [SECTION]]\n"
    "\n"
    "Loads dialog DIALOG_ID (default 201, the main window) in the look SECTION\n"
    "(default Standard) from the layout file FILE exactly as Lanscout does,\n"
    "prints the dialog record, its controls in id order and its string table as\n"
    "JSON on standard output, and writes one warning line per problem on standard\n"
    "error: a control class that does not exist, a repeated control id or string\n"
    "key, an image file that is not there, a number, colour, rectangle or offset\n"
    "that does not read as written, an unknown style name, a missing attribute,\n"
    "and, for dialog 201, a string or control the main window needs.\n"
    "\n"
    "Image paths in a layout begin with a backslash and are relative to the shared\n"
    "folder Lanscout writes its files to ($XDG_DATA_HOME/lanscout, by default\n"
    "~/.local/share/lanscout). --root DIR resolves them against DIR instead; for a\n"
    "layout in a source tree, DIR must hold TesqaSearchTools/Picture/ with the images.\n"
    "\n"
    "Exit status: 0 the file loads without warnings, 1 it loads with warnings,\n"
    "2 it cannot be read (missing, unreadable, not well-formed XML) or bad usage.\n";

int UsageError(const std::string& message) {
  std::cerr << "lanscout-layout: " << message << "\n" << kUsage;
  return 2;
}

// A whole decimal int32, or false.
bool ParseId(const char* text, int32_t& id) {
  if (!*text) return false;
  char* end = nullptr;
  errno = 0;
  long long value = std::strtoll(text, &end, 10);
  if (*end || errno || value < INT32_MIN || value > INT32_MAX) return false;
  id = static_cast<int32_t>(value);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  std::setlocale(LC_ALL, "");  // file names and arguments in the locale's character set

  std::vector<std::string> positional;
  std::string root;
  bool haveRoot = false;
  bool optionsDone = false;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (!optionsDone && (arg == "-h" || arg == "--help")) {
      std::cout << kUsage;
      return 0;
    }
    if (!optionsDone && arg == "--") {
      optionsDone = true;
    } else if (!optionsDone && arg == "--root") {
      if (i + 1 >= argc) return UsageError("--root needs a folder");
      root = argv[++i];
      haveRoot = true;
    } else if (!optionsDone && arg.rfind("--root=", 0) == 0) {
      root = arg.substr(7);
      haveRoot = true;
    } else if (!optionsDone && arg.size() > 1 && arg[0] == '-') {
      return UsageError("unknown option " + arg);
    } else {
      positional.push_back(arg);
    }
  }
  if (positional.empty() || positional.size() > 3) return UsageError("give one layout file");
  if (haveRoot && root.empty()) return UsageError("--root needs a folder");

  int32_t dialogId = kMainWindowDialogId;
  if (positional.size() >= 2 && !ParseId(positional[1].c_str(), dialogId))
    return UsageError("DIALOG_ID must be a decimal number: " + positional[1]);
  std::wstring section = positional.size() >= 3 ? AnsiToWide(positional[2]) : std::wstring(L"Standard");

  // A trailing separator would double the one every image path begins with.
  while (root.size() > 1 && root.back() == '/') root.pop_back();
  std::wstring pathRoot = haveRoot ? AnsiToWide(root) : GetShellFolderPath();

  const std::string& file = positional[0];
  LayoutCheck check = CheckLayoutFile(AnsiToWide(file), dialogId, section, pathRoot);
  if (check.status == LayoutCheck::kUnreadable) {
    std::cerr << "lanscout-layout: " << file << ": cannot be read: " << check.error << "\n";
    return 2;
  }
  std::cout << LayoutToJson(check.info).dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << "\n";
  std::cout.flush();
  for (const LayoutWarning& warning : check.warnings) {
    std::cerr << file;
    if (warning.line > 0) std::cerr << ":" << warning.line;
    std::cerr << ": warning: " << warning.text << "\n";
  }
  return check.status;
}
