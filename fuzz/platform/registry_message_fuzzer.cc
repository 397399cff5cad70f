// The window registry's wire format on arbitrary bytes: a request or reply
// that parses must encode back to the bytes it was read from, and nothing
// may read past the input or grow without bound.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/registry.h"

using namespace platform::registry;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);

  Request request;
  size_t consumed = 0;
  int rc = ParseRequest(bytes, &request, &consumed);
  if (rc == 1) {
    if (consumed == 0 || consumed > bytes.size()) std::abort();
    if (request.title.size() > kMaxText || request.className.size() > kMaxText) std::abort();
    if (EncodeRequest(request) != bytes.substr(0, consumed)) std::abort();
  } else if (rc != 0 && rc != -1) {
    std::abort();
  }

  Reply reply;
  consumed = 0;
  rc = ParseReply(bytes, &reply, &consumed);
  if (rc == 1) {
    if (consumed == 0 || consumed > bytes.size()) std::abort();
    if (reply.title.size() > kMaxText || reply.className.size() > kMaxText) std::abort();
    if (EncodeReply(reply) != bytes.substr(0, consumed)) std::abort();
  } else if (rc != 0 && rc != -1) {
    std::abort();
  }
  return 0;
}
