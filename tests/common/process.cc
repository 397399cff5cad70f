#include "common/process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

extern char** environ;

namespace testsupport {

namespace {

std::vector<std::string> BuildEnv(const std::map<std::string, std::string>& extra) {
  std::map<std::string, std::string> env;
  for (char** e = environ; *e; ++e) {
    std::string kv = *e;
    size_t eq = kv.find('=');
    if (eq != std::string::npos) env[kv.substr(0, eq)] = kv.substr(eq + 1);
  }
  for (const auto& [k, v] : extra) {
    if (v.empty()) env.erase(k);
    else env[k] = v;
  }
  std::vector<std::string> out;
  for (const auto& [k, v] : env) out.push_back(k + "=" + v);
  return out;
}

void Drain(int& fd, std::string& into) {
  if (fd < 0) return;
  char buf[4096];
  ssize_t n = read(fd, buf, sizeof(buf));
  if (n > 0) {
    into.append(buf, static_cast<size_t>(n));
  } else if (n == 0 || (errno != EINTR && errno != EAGAIN)) {
    close(fd);
    fd = -1;
  }
}

}  // namespace

Process::Process(const std::vector<std::string>& argvIn, const ProcessOptions& options)
    : timeout_(options.timeout) {
  std::vector<std::string> argv;
  if (options.isolateNetwork) argv = {"unshare", "-n", "--"};
  argv.insert(argv.end(), argvIn.begin(), argvIn.end());
  std::vector<std::string> env = BuildEnv(options.env);
  std::vector<char*> cargv, cenv;
  for (auto& a : argv) cargv.push_back(a.data());
  cargv.push_back(nullptr);
  for (auto& e : env) cenv.push_back(e.data());
  cenv.push_back(nullptr);

  int outPipe[2], errPipe[2];
  if (pipe2(outPipe, O_CLOEXEC) != 0) return;
  if (pipe2(errPipe, O_CLOEXEC) != 0) {
    close(outPipe[0]);
    close(outPipe[1]);
    return;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, outPipe[1], 1);
  posix_spawn_file_actions_adddup2(&actions, errPipe[1], 2);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  pid_t pid;
  int rc = posix_spawnp(&pid, cargv[0], &actions, nullptr, cargv.data(), cenv.data());
  posix_spawn_file_actions_destroy(&actions);
  close(outPipe[1]);
  close(errPipe[1]);
  if (rc != 0) {
    close(outPipe[0]);
    close(errPipe[0]);
    return;
  }
  pid_ = pid;
  outFd_ = outPipe[0];
  errFd_ = errPipe[0];
}

Process::~Process() {
  if (pid_ > 0) {
    Kill();
    Wait();
  }
  if (outFd_ >= 0) close(outFd_);
  if (errFd_ >= 0) close(errFd_);
}

void Process::Kill() {
  if (pid_ > 0) kill(pid_, SIGKILL);
}

ProcessResult Process::Wait() {
  ProcessResult result;
  if (pid_ <= 0) return result;
  auto deadline = std::chrono::steady_clock::now() + timeout_;
  while (outFd_ >= 0 || errFd_ >= 0) {
    pollfd fds[2];
    int n = 0;
    if (outFd_ >= 0) fds[n++] = {outFd_, POLLIN, 0};
    if (errFd_ >= 0) fds[n++] = {errFd_, POLLIN, 0};
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
      result.timedOut = true;
      kill(pid_, SIGKILL);
      break;
    }
    int rc = poll(fds, static_cast<nfds_t>(n), static_cast<int>(left.count()));
    if (rc < 0 && errno != EINTR) break;
    for (int i = 0; i < n; ++i) {
      if (!(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
      if (fds[i].fd == outFd_) Drain(outFd_, result.out);
      else if (fds[i].fd == errFd_) Drain(errFd_, result.err);
    }
  }
  int status = 0;
  while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
  }
  pid_ = -1;
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

ProcessResult RunProcess(const std::vector<std::string>& argv, const ProcessOptions& options) {
  Process p(argv, options);
  return p.Wait();
}

bool CanIsolateNetwork() {
  static const bool ok = [] {
    ProcessOptions o;
    o.isolateNetwork = true;
    o.timeout = std::chrono::milliseconds(10000);
    return RunProcess({"true"}, o).exitCode == 0;
  }();
  return ok;
}

TempDir::TempDir() {
  std::string tmpl = (std::filesystem::temp_directory_path() / "lanscout-test-XXXXXX").string();
  std::vector<char> buf(tmpl.begin(), tmpl.end());
  buf.push_back('\0');
  if (mkdtemp(buf.data())) path_ = buf.data();
}

TempDir::~TempDir() {
  if (path_.empty()) return;
  std::error_code ec;
  // Read-only files and folders left by a test must not keep it from going.
  for (auto it = std::filesystem::recursive_directory_iterator(path_, ec);
       !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
    chmod(it->path().c_str(), 0700);
  std::filesystem::remove_all(path_, ec);
}

std::string ReadFile(const std::string& path, bool* ok) {
  std::ifstream in(path, std::ios::binary);
  if (ok) *ok = static_cast<bool>(in);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

bool WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
  return static_cast<bool>(out);
}

}  // namespace testsupport
