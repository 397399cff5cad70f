// The window registry: a Unix socket per titled top-level window, served by
// the UI thread's loop, and the client side that finds and messages windows
// of other processes.
#include "platform/registry.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwctype>
#include <map>
#include <vector>

#include "platform/textconv.h"
#include "platform/ui_internal.h"

namespace platform {
namespace registry {

namespace {

const char kRequestMagic[4] = {'L', 'S', 'W', '1'};
const char kReplyMagic[4] = {'L', 'S', 'R', '1'};

template <class T>
void Put(std::string& out, T v) {
  out.append(reinterpret_cast<const char*>(&v), sizeof v);
}

template <class T>
bool Get(const std::string& in, size_t& pos, T* v) {
  if (in.size() - pos < sizeof(T)) return false;
  std::memcpy(v, in.data() + pos, sizeof(T));
  pos += sizeof(T);
  return true;
}

// A length-prefixed text: 1 read, 0 more needed, -1 too long.
int GetText(const std::string& in, size_t& pos, std::string* text, size_t limit) {
  uint32_t n;
  if (!Get(in, pos, &n)) return 0;
  if (n > limit) return -1;
  if (in.size() - pos < n) return 0;
  text->assign(in.data() + pos, n);
  pos += n;
  return 1;
}

void PutText(std::string& out, const std::string& text) {
  std::string t = text.substr(0, kMaxText);
  Put<uint32_t>(out, static_cast<uint32_t>(t.size()));
  out += t;
}

}  // namespace

std::string EncodeRequest(const Request& r) {
  std::string out(kRequestMagic, 4);
  Put<uint8_t>(out, r.op);
  Put<uint8_t>(out, 0);
  Put<uint16_t>(out, 0);
  Put<uint32_t>(out, r.message);
  Put<uint64_t>(out, r.wParam);
  Put<int64_t>(out, r.lParam);
  PutText(out, r.title);
  PutText(out, r.className);
  return out;
}

std::string EncodeReply(const Reply& r) {
  std::string out(kReplyMagic, 4);
  Put<uint32_t>(out, r.status);
  Put<int64_t>(out, r.result);
  PutText(out, r.className);
  PutText(out, r.title);
  return out;
}

int ParseRequest(const std::string& in, Request* out, size_t* consumed) {
  size_t pos = 0;
  if (in.size() < 4) return std::memcmp(in.data(), kRequestMagic, in.size()) == 0 ? 0 : -1;
  if (std::memcmp(in.data(), kRequestMagic, 4) != 0) return -1;
  pos = 4;
  uint8_t op, pad8;
  uint16_t pad16;
  Request r;
  if (!Get(in, pos, &op) || !Get(in, pos, &pad8) || !Get(in, pos, &pad16) || !Get(in, pos, &r.message) ||
      !Get(in, pos, &r.wParam) || !Get(in, pos, &r.lParam))
    return 0;
  if (op < kQuery || op > kPost || pad8 != 0 || pad16 != 0) return -1;
  r.op = static_cast<Op>(op);
  int t = GetText(in, pos, &r.title, kMaxText);
  if (t <= 0) return t;
  t = GetText(in, pos, &r.className, kMaxText);
  if (t <= 0) return t;
  *out = r;
  if (consumed) *consumed = pos;
  return 1;
}

int ParseReply(const std::string& in, Reply* out, size_t* consumed) {
  size_t pos = 0;
  if (in.size() < 4) return std::memcmp(in.data(), kReplyMagic, in.size()) == 0 ? 0 : -1;
  if (std::memcmp(in.data(), kReplyMagic, 4) != 0) return -1;
  pos = 4;
  Reply r;
  uint32_t status;
  if (!Get(in, pos, &status) || !Get(in, pos, &r.result)) return 0;
  if (status > kRefused) return -1;
  r.status = static_cast<Status>(status);
  int t = GetText(in, pos, &r.className, kMaxText);
  if (t <= 0) return t;
  t = GetText(in, pos, &r.title, kMaxText);
  if (t <= 0) return t;
  *out = r;
  if (consumed) *consumed = pos;
  return 1;
}

bool MessageAllowed(uint32_t message) {
  return message == WM_NULL || message == WM_CLOSE || (message >= WM_USER && message < 0xC000);
}

std::string TitleKey(const std::string& title) {
  uint64_t h = 1469598103934665603ull;  // FNV-1a
  for (unsigned char c : title) {
    h ^= c;
    h *= 1099511628211ull;
  }
  char buf[17];
  std::snprintf(buf, sizeof buf, "%016llx", static_cast<unsigned long long>(h));
  return buf;
}

std::string Folder() {
  std::string dir;
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  struct stat st;
  if (runtime && runtime[0] == '/' && stat(runtime, &st) == 0 && S_ISDIR(st.st_mode)) {
    dir = std::string(runtime) + "/lanscout-windows";
  } else {
    const char* tmp = std::getenv("TMPDIR");
    dir = std::string(tmp && tmp[0] == '/' ? tmp : "/tmp") + "/lanscout-windows-" + std::to_string(getuid());
  }
  if (mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) return std::string();
  // Only a folder of our own that nobody else may write to.
  if (lstat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != getuid()) return std::string();
  if ((st.st_mode & 077) != 0 && chmod(dir.c_str(), 0700) != 0) return std::string();
  return dir;
}

}  // namespace registry

// ---- the serving side ------------------------------------------------------------------

namespace {

using namespace registry;

struct Entry {
  HWND hwnd;
  int fd;
  std::string path;
};

struct Connection {
  int fd;
  HWND target;  // the window whose socket it came in on
  std::string in;
  uint64_t deadline;
};

std::map<int, Entry>& Entries() {
  static auto* m = new std::map<int, Entry>();
  return *m;
}
std::vector<Connection>& Connections() {
  static auto* v = new std::vector<Connection>();
  return *v;
}
int g_nextEntry = 0;

bool FillAddress(const std::string& path, sockaddr_un* addr) {
  if (path.size() >= sizeof(addr->sun_path)) return false;
  std::memset(addr, 0, sizeof *addr);
  addr->sun_family = AF_UNIX;
  std::memcpy(addr->sun_path, path.c_str(), path.size() + 1);
  return true;
}

std::string EntryPath(const std::string& folder, const std::wstring& title, int id) {
  return folder + "/" + TitleKey(WideToUtf8(title)) + "-" + std::to_string(getpid()) + "-" + std::to_string(id);
}

void Remove(int id) {
  auto it = Entries().find(id);
  if (it == Entries().end()) return;
  close(it->second.fd);
  unlink(it->second.path.c_str());
  Entries().erase(it);
}

Reply Serve(HWND hwnd, const Request& r) {
  Reply reply;
  WindowImpl* w = W(hwnd);
  if (!w) return reply;
  std::wstring title = Utf8ToWide(r.title);
  if (w->text != title || (!r.className.empty() && !SameClassName(w->cls->name, Utf8ToWide(r.className)))) return reply;
  reply.className = WideToUtf8(w->cls->name);
  reply.title = WideToUtf8(w->text);
  if (r.op == kQuery) {
    reply.status = kOk;
    return reply;
  }
  if (!MessageAllowed(r.message)) {
    reply.status = kRefused;
    return reply;
  }
  reply.status = kOk;
  if (r.op == kSend) {
    UiState& ui = Ui();
    ++ui.sendDepth;
    reply.result = SendMessageW(hwnd, r.message, static_cast<WPARAM>(r.wParam), static_cast<LPARAM>(r.lParam));
    --ui.sendDepth;
  } else {
    PostMessageW(hwnd, r.message, static_cast<WPARAM>(r.wParam), static_cast<LPARAM>(r.lParam));
  }
  return reply;
}

void SendAll(int fd, const std::string& data) {
  size_t off = 0;
  while (off < data.size()) {
    ssize_t n = send(fd, data.data() + off, data.size() - off, MSG_NOSIGNAL);
    if (n > 0) {
      off += static_cast<size_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      pollfd p{fd, POLLOUT, 0};
      if (poll(&p, 1, 200) > 0) continue;
    }
    return;
  }
}

}  // namespace

void RegistryUpdate(WindowImpl* top) {
  if (!top->top) return;
  int& id = top->top->registryId;
  if (top->destroyed || top->text.empty()) {
    if (id) Remove(id);
    id = 0;
    return;
  }
  std::string folder = Folder();
  if (folder.empty()) return;
  if (id) {
    auto it = Entries().find(id);
    if (it != Entries().end()) {
      std::string path = EntryPath(folder, top->text, id);
      if (path != it->second.path) {
        sockaddr_un addr;
        if (FillAddress(path, &addr) && rename(it->second.path.c_str(), path.c_str()) == 0) {
          it->second.path = path;
        } else {
          Remove(id);
          id = 0;
        }
      }
      if (id) return;
    }
  }
  int newId = ++g_nextEntry;
  std::string path = EntryPath(folder, top->text, newId);
  sockaddr_un addr;
  if (!FillAddress(path, &addr)) return;
  // The socket is bound and listening under a name that no search looks
  // at, and only then renamed into place: a client that found the entry
  // while the socket was bound but not yet listening would be refused and
  // take the entry for a stale one, removing it.
  std::string pending = folder + "/.pending-" + std::to_string(getpid()) + "-" + std::to_string(newId);
  sockaddr_un pendingAddr;
  if (!FillAddress(pending, &pendingAddr)) return;
  int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) return;
  unlink(pending.c_str());
  if (bind(fd, reinterpret_cast<sockaddr*>(&pendingAddr), sizeof pendingAddr) != 0 || listen(fd, 8) != 0 ||
      rename(pending.c_str(), path.c_str()) != 0) {
    unlink(pending.c_str());
    close(fd);
    return;
  }
  Entries()[newId] = Entry{top->handle, fd, path};
  id = newId;
}

void RegistryPollFds(std::vector<int>& fds) {
  for (auto& [id, e] : Entries()) fds.push_back(e.fd);
  for (auto& c : Connections()) fds.push_back(c.fd);
}

void RegistryService() {
  if (Entries().empty() && Connections().empty()) return;
  uint64_t now = MonotonicClockMs();
  for (auto& [id, e] : Entries()) {
    for (;;) {
      int c = accept4(e.fd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
      if (c < 0) break;
      // Only processes of this user reach the folder; the peer is checked
      // once more where the system tells it.
      ucred cred{};
      socklen_t len = sizeof cred;
      if (getsockopt(c, SOL_SOCKET, SO_PEERCRED, &cred, &len) == 0 && cred.uid != getuid()) {
        close(c);
        continue;
      }
      Connections().push_back(Connection{c, e.hwnd, std::string(), now + 1000});
    }
  }
  auto& conns = Connections();
  for (size_t i = 0; i < conns.size();) {
    Connection& c = conns[i];
    bool done = false;
    char buf[1024];
    for (;;) {
      ssize_t n = recv(c.fd, buf, sizeof buf, 0);
      if (n > 0) {
        c.in.append(buf, static_cast<size_t>(n));
        if (c.in.size() > 2 * kMaxText + 64) {
          done = true;
          break;
        }
        continue;
      }
      if (n == 0) done = true;  // closed before a whole request
      break;
    }
    Request r;
    size_t used = 0;
    int parsed = done && c.in.empty() ? -1 : ParseRequest(c.in, &r, &used);
    if (parsed == 1) {
      HWND target = c.target;
      int fd = c.fd;
      // Serving may run the window procedure, which may touch the list.
      conns.erase(conns.begin() + static_cast<long>(i));
      Reply reply = Serve(target, r);
      SendAll(fd, EncodeReply(reply));
      close(fd);
      continue;
    }
    if (parsed < 0 || done || now > c.deadline) {
      close(c.fd);
      conns.erase(conns.begin() + static_cast<long>(i));
      continue;
    }
    ++i;
  }
}

// ---- the client side ---------------------------------------------------------------------

namespace {

// Connects to an entry; -1 when nobody listens there (the entry is then
// removed, unless it was replaced meanwhile).
int Connect(const std::string& path, bool* stale) {
  *stale = false;
  sockaddr_un addr;
  if (!FillAddress(path, &addr)) return -1;
  struct stat before;
  if (lstat(path.c_str(), &before) != 0) return -1;
  if (!S_ISSOCK(before.st_mode)) return -1;
  int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  if (connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
    int err = errno;
    close(fd);
    if (err == ECONNREFUSED || err == ENOENT) {
      struct stat after;
      if (lstat(path.c_str(), &after) == 0 && after.st_ino == before.st_ino && after.st_dev == before.st_dev)
        unlink(path.c_str());
      *stale = true;
    }
    return -1;
  }
  return fd;
}

// One request and its reply, within `timeoutMs` in all.
bool Exchange(const std::string& path, const Request& request, int timeoutMs, Reply* reply) {
  bool stale;
  int fd = Connect(path, &stale);
  if (fd < 0) return false;
  uint64_t deadline = MonotonicClockMs() + static_cast<uint64_t>(timeoutMs);
  std::string out = EncodeRequest(request);
  size_t off = 0;
  bool ok = true;
  while (ok && off < out.size()) {
    ssize_t n = send(fd, out.data() + off, out.size() - off, MSG_NOSIGNAL);
    if (n > 0) {
      off += static_cast<size_t>(n);
    } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
      int64_t left = static_cast<int64_t>(deadline) - static_cast<int64_t>(MonotonicClockMs());
      pollfd p{fd, POLLOUT, 0};
      ok = left > 0 && poll(&p, 1, static_cast<int>(left)) > 0;
    } else {
      ok = false;
    }
  }
  std::string in;
  while (ok) {
    size_t used;
    int parsed = ParseReply(in, reply, &used);
    if (parsed == 1) break;
    if (parsed < 0) {
      ok = false;
      break;
    }
    int64_t left = static_cast<int64_t>(deadline) - static_cast<int64_t>(MonotonicClockMs());
    pollfd p{fd, POLLIN, 0};
    if (left <= 0 || poll(&p, 1, static_cast<int>(left)) <= 0) {
      ok = false;
      break;
    }
    char buf[1024];
    ssize_t n = recv(fd, buf, sizeof buf, 0);
    if (n > 0) {
      in.append(buf, static_cast<size_t>(n));
    } else if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
      ok = false;
    }
  }
  close(fd);
  return ok;
}

int TimeoutMs() {
  const char* t = std::getenv("LANSCOUT_REGISTRY_TIMEOUT_MS");
  int v = t ? std::atoi(t) : 0;
  return v > 0 ? v : 5000;
}

}  // namespace

HWND RegistryFind(LPCWSTR className, LPCWSTR title) {
  if (!title) return nullptr;
  std::string folder = Folder();
  if (folder.empty()) return nullptr;
  std::string titleUtf8 = WideToUtf8(title);
  std::string prefix = TitleKey(titleUtf8) + "-";
  std::vector<std::string> names;
  if (DIR* d = opendir(folder.c_str())) {
    while (dirent* e = readdir(d))
      if (std::strncmp(e->d_name, prefix.c_str(), prefix.size()) == 0) names.emplace_back(e->d_name);
    closedir(d);
  }
  std::string ownPid = std::to_string(getpid());
  for (const std::string& name : names) {
    std::string rest = name.substr(prefix.size());
    std::string pid = rest.substr(0, rest.find('-'));
    std::string path = folder + "/" + name;
    if (pid == ownPid) continue;  // this process's windows are found directly
    long p = std::strtol(pid.c_str(), nullptr, 10);
    if (p <= 0 || (kill(static_cast<pid_t>(p), 0) != 0 && errno == ESRCH)) {
      unlink(path.c_str());  // its process is gone
      continue;
    }
    Request q;
    q.op = kQuery;
    q.title = titleUtf8;
    if (className && !IS_INTRESOURCE(className)) q.className = WideToUtf8(className);
    Reply reply;
    if (!Exchange(path, q, std::min(TimeoutMs(), 2000), &reply) || reply.status != kOk) continue;
    ExternalWindow* e = RemoteWindow(path);
    e->title = Utf8ToWide(reply.title);
    e->className = Utf8ToWide(reply.className);
    return e->handle;
  }
  return nullptr;
}

LRESULT RegistrySend(ExternalWindow* target, UINT message, WPARAM wParam, LPARAM lParam, bool wait,
                     bool* delivered) {
  if (delivered) *delivered = false;
  Request r;
  r.op = wait ? kSend : kPost;
  r.message = message;
  r.wParam = wParam;
  r.lParam = lParam;
  r.title = WideToUtf8(target->title);
  Reply reply;
  if (!Exchange(target->path, r, wait ? TimeoutMs() : std::min(TimeoutMs(), 2000), &reply)) return 0;
  if (reply.status != kOk) return 0;
  if (delivered) *delivered = true;
  return static_cast<LRESULT>(reply.result);
}

}  // namespace platform
