// Inside the window layer: the per-user registry of top-level windows by
// which another process finds a window by its title and sends it a message.
//
// Every top-level window with a title listens on a Unix socket in the
// registry folder ($XDG_RUNTIME_DIR/lanscout-windows, else
// <temp>/lanscout-windows-<uid>, mode 0700), named
// <hash of the title>-<pid>-<serial>. A request names the title (and
// optionally the class) it expects, so a socket whose window has another
// title answers "no match". Entries of processes that are gone are removed
// by whoever finds them: a dead pid or a refused connection.
#pragma once

#include <cstdint>
#include <string>

namespace platform {
namespace registry {

enum Op : uint8_t { kQuery = 1, kSend = 2, kPost = 3 };
enum Status : uint32_t { kOk = 0, kNoMatch = 1, kRefused = 2 };

struct Request {
  Op op = kQuery;
  uint32_t message = 0;
  uint64_t wParam = 0;
  int64_t lParam = 0;
  std::string title;      // UTF-8
  std::string className;  // UTF-8, empty: any
};

struct Reply {
  Status status = kNoMatch;
  int64_t result = 0;
  std::string className;
  std::string title;
};

constexpr size_t kMaxText = 4096;

std::string EncodeRequest(const Request& r);
std::string EncodeReply(const Reply& r);
// Parses the bytes received so far: 1 complete (`consumed` bytes used),
// 0 more bytes needed, -1 malformed.
int ParseRequest(const std::string& data, Request* out, size_t* consumed);
int ParseReply(const std::string& data, Reply* out, size_t* consumed);

// The registry folder, made if needed; empty when no safe one exists.
std::string Folder();
// The file name prefix for a title.
std::string TitleKey(const std::string& titleUtf8);
// Whether a message may come from another process (only messages whose
// parameters are plain numbers).
bool MessageAllowed(uint32_t message);

}  // namespace registry
}  // namespace platform
