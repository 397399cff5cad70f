// Shared by the layout tests: a shared shell folder of their own and small
// layout files written on the fly.
#pragma once

#include <string>

#include "common/process.h"
#include "platform/types.h"

namespace layouttest {

// The shared shell folder as the program sees it in these tests: the tests
// point XDG_DATA_HOME at a temporary folder before the first test runs.
std::wstring ShellFolder();

// A folder of its own per test, removed afterwards.
class LayoutFiles {
 public:
  // Writes `bytes` to a file named `name` and returns its path.
  std::string Write(const std::string& name, const std::string& bytes);
  const std::string& dir() const { return temp_.path(); }

 private:
  testsupport::TempDir temp_;
};

// A complete CtrlInfo element with every attribute; `extra` replaces the
// defaults of the attributes it names, e.g. {"CtrlText=\"Hi\""}.
std::string CtrlXml(int id, const std::string& overrides = "");

// A layout with one DialogInfo (id 201) whose section "Standard" holds
// `ctrls` and that is followed by `strings`.
std::string LayoutXml(const std::string& ctrls, const std::string& strings = "",
                      const std::string& dialogAttributes = "DialogID=\"201\" DialogText=\"T\" DialogDiscrip=\"D\"");

// Compares the four members (RECT has no comparison of its own).
void ExpectRect(const RECT& actual, const RECT& expected);

}  // namespace layouttest
