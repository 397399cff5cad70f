// Helpers of the discovery tests: building datagrams, capturing reports and
// the trace, waiting for conditions.
#pragma once

#include <chrono>
#include <cstring>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/trace.h"
#include "discovery/broadcast_search.h"
#include "discovery/device_info.h"
#include "discovery/search_control.h"

namespace disc_test {

// A 148-byte answer with the given first two bytes and text.
inline std::string BroadcastAnswer(const std::string& text, unsigned char type = 1, unsigned char op = 12) {
  DhcpSearchPacket p;
  std::memset(&p, 0, sizeof(p));
  p.op = op;
  p.type = type;
  std::memcpy(p.text, text.data(), std::min(text.size(), sizeof(p.text)));
  return std::string(reinterpret_cast<const char*>(&p), sizeof(p));
}

// Every report that reaches the report handler, in order.
class ReportCapture {
 public:
  ReportCapture() {
    Instance() = this;
    g_pfnDeviceReport = &ReportCapture::Handler;
  }
  ~ReportCapture() {
    g_pfnDeviceReport = nullptr;
    Instance() = nullptr;
  }
  std::vector<SearchDeviceInfo> Reports() {
    std::lock_guard<std::mutex> lock(mutex_);
    return reports_;
  }
  size_t Count() { return Reports().size(); }

 private:
  static ReportCapture*& Instance() {
    static ReportCapture* instance = nullptr;
    return instance;
  }
  static int Handler(const SearchDeviceInfo& info, int) {
    if (ReportCapture* self = Instance()) {
      std::lock_guard<std::mutex> lock(self->mutex_);
      self->reports_.push_back(info);
    }
    return 0;
  }
  std::mutex mutex_;
  std::vector<SearchDeviceInfo> reports_;
};

// The trace switched on into a fresh file for the life of the object.
class TraceCapture {
 public:
  TraceCapture() {
    char name[] = "/tmp/lanscout-trace-XXXXXX";
    int fd = mkstemp(name);
    if (fd >= 0) close(fd);
    path_ = name;
    EnableLog(path_.c_str());
  }
  ~TraceCapture() {
    DisableLog();
    std::remove(path_.c_str());
  }
  std::string Text() const {
    std::string text;
    if (FILE* f = std::fopen(path_.c_str(), "rb")) {
      char buf[4096];
      size_t n;
      while ((n = std::fread(buf, 1, sizeof(buf), f)) > 0) text.append(buf, n);
      std::fclose(f);
    }
    return text;
  }
  int Count(const std::string& needle) const {
    std::string text = Text();
    int count = 0;
    for (size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + 1)) ++count;
    return count;
  }

 private:
  std::string path_;
};

// Polls `condition` until it holds or `seconds` have passed.
inline bool WaitUntil(const std::function<bool()>& condition, double seconds = 20) {
  auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (std::chrono::steady_clock::now() < end) {
    if (condition()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return condition();
}

}  // namespace disc_test
