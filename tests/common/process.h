// Running programs from tests: argument vector, extra environment, captured
// output, a deadline. Programs that may send to the network are started in a
// network namespace of their own with nobody in it (unshare -n).
#pragma once

#include <chrono>
#include <map>
#include <string>
#include <vector>

namespace testsupport {

struct ProcessResult {
  int exitCode = -1;      // exit status, or -1 when killed or not started
  bool timedOut = false;
  std::string out;
  std::string err;
};

struct ProcessOptions {
  std::map<std::string, std::string> env;  // set (or, with an empty value, unset) on top of ours
  bool isolateNetwork = false;             // run under `unshare -n`
  std::chrono::milliseconds timeout{30000};
};

ProcessResult RunProcess(const std::vector<std::string>& argv, const ProcessOptions& options = {});

// A started process that runs until Wait() or the destructor (which kills it).
class Process {
 public:
  Process(const std::vector<std::string>& argv, const ProcessOptions& options = {});
  ~Process();
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;

  bool started() const { return pid_ > 0; }
  // Waits for the end, up to the options' timeout; kills the process then.
  ProcessResult Wait();
  void Kill();

 private:
  int pid_ = -1;
  int outFd_ = -1;
  int errFd_ = -1;
  std::chrono::milliseconds timeout_;
};

// True when `unshare -n` works here (root, or user namespaces allowed).
bool CanIsolateNetwork();

// A fresh folder under the temp folder, removed (with its contents) by the
// destructor.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

std::string ReadFile(const std::string& path, bool* ok = nullptr);
bool WriteFile(const std::string& path, const std::string& bytes);

}  // namespace testsupport
