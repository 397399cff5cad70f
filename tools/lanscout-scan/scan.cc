// lanscout-scan: starts the search workers as the program does, runs search
// passes and prints what was found.
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "app/trace.h"
#include "discovery/device_store.h"
#include "discovery/search_control.h"
#include "discovery/search_thread.h"
#include "scan_output.h"

namespace {

const char kUsage[] =
    "Usage: lanscout-scan [options]\n"
    "Finds the storage devices on the local network over both discovery protocols\n"
    "and prints them.\n"
    "\n"
    "  --passes N          search passes, one second apart (default 1)\n"
    "  --seconds N         seconds to listen after the last pass (default 10);\n"
    "                      with --watch, seconds between search passes (0: one pass)\n"
    "  --json              one JSON object per device and line: id, ip, host,\n"
    "                      product, vendor, firmware, extra, type\n"
    "  --watch             keep running; print one line per added, changed or\n"
    "                      removed device until interrupted (Ctrl-C)\n"
    "  --trace FILE        append the discovery trace to FILE (its lines also go to\n"
    "                      standard output)\n"
    "  --receive-buffer N  receive buffer of each search socket in bytes\n"
    "                      (default 1048576; 0 keeps the system default)\n"
    "  --help              show this text\n"
    "\n"
    "The broadcast search binds UDP port 67, which needs root or the capability\n"
    "cap_net_bind_service; without it only the multicast search runs.\n"
    "Exit status: 0 done, 2 bad arguments.\n";

struct Options {
  int passes = 1;
  double seconds = 10;
  bool json = false;
  bool watch = false;
  std::string trace;
  long receiveBuffer = SEARCH_DEFAULT_RECEIVE_BUFFER;
};

std::atomic<bool> g_interrupted{false};
sigset_t g_stopSignals;

[[noreturn]] void BadArguments(const std::string& message) {
  std::fprintf(stderr, "lanscout-scan: %s (try --help)\n", message.c_str());
  std::exit(2);
}

bool ParseNumber(const char* text, double max, double& out) {
  if (!text || !*text) return false;
  char* end = nullptr;
  errno = 0;
  double value = std::strtod(text, &end);
  if (errno != 0 || *end != '\0' || !(value >= 0) || value > max) return false;
  out = value;
  return true;
}

Options ParseArguments(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    std::string value;
    bool hasValue = false;
    if (size_t eq = arg.find('='); arg.rfind("--", 0) == 0 && eq != std::string::npos) {
      value = arg.substr(eq + 1);
      arg = arg.substr(0, eq);
      hasValue = true;
    }
    auto next = [&]() -> std::string {
      if (hasValue) return value;
      if (i + 1 >= argc) BadArguments("option " + arg + " needs a value");
      return argv[++i];
    };
    auto noValue = [&] {
      if (hasValue) BadArguments("option " + arg + " takes no value");
    };
    if (arg == "--help" || arg == "-h") {
      std::fputs(kUsage, stdout);
      std::exit(0);
    } else if (arg == "--json") {
      noValue();
      options.json = true;
    } else if (arg == "--watch") {
      noValue();
      options.watch = true;
    } else if (arg == "--passes") {
      std::string v = next();
      double n = 0;
      if (!ParseNumber(v.c_str(), 1000, n) || n < 1 || n != static_cast<int>(n)) {
        BadArguments("--passes needs a whole number from 1 to 1000, not '" + v + "'");
      }
      options.passes = static_cast<int>(n);
    } else if (arg == "--seconds") {
      std::string v = next();
      if (!ParseNumber(v.c_str(), 86400, options.seconds)) {
        BadArguments("--seconds needs a number of seconds from 0 to 86400, not '" + v + "'");
      }
    } else if (arg == "--trace") {
      options.trace = next();
      if (options.trace.empty() || options.trace.size() > 4095) BadArguments("--trace needs a file name");
    } else if (arg == "--receive-buffer") {
      std::string v = next();
      double n = 0;
      if (!ParseNumber(v.c_str(), 1 << 30, n) || n != static_cast<long>(n)) {
        BadArguments("--receive-buffer needs a number of bytes up to 1073741824, not '" + v + "'");
      }
      options.receiveBuffer = static_cast<long>(n);
    } else {
      BadArguments("unknown argument '" + std::string(argv[i]) + "'");
    }
  }
  return options;
}

// Sleeps up to `seconds`, less when interrupted; false when interrupted.
bool Wait(double seconds) {
  using namespace std::chrono;
  auto end = steady_clock::now() + duration_cast<steady_clock::duration>(duration<double>(seconds));
  while (steady_clock::now() < end) {
    if (g_interrupted) return false;
    auto left = duration_cast<nanoseconds>(std::min<steady_clock::duration>(end - steady_clock::now(), milliseconds(50)));
    timespec timeout{0, static_cast<long>(left.count())};
    if (sigtimedwait(&g_stopSignals, nullptr, &timeout) > 0) g_interrupted = true;
  }
  return !g_interrupted;
}

std::string Clock() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char text[16];
  std::strftime(text, sizeof(text), "%H:%M:%S", &local);
  return text;
}

void Print(const std::string& text) {
  std::fputs(text.c_str(), stdout);
  std::fflush(stdout);
}

void Watch(const Options& options) {
  std::vector<SearchDeviceInfo> shown;
  auto nextPass = std::chrono::steady_clock::now() + std::chrono::duration<double>(options.seconds);
  while (!g_interrupted) {
    std::vector<SearchDeviceInfo> now = GetDeviceStore().Snapshot();
    for (const DeviceChange& change : DiffDevices(shown, now)) {
      if (options.json) {
        Print(FormatJson(change.device, ChangeName(change.kind)) + "\n");
      } else {
        Print(FormatChangeLine(change, Clock()) + "\n");
      }
    }
    shown = now;
    // Later passes keep the list: a device stays until it says farewell.
    if (options.seconds > 0 && std::chrono::steady_clock::now() >= nextPass) {
      RefreshSearch();
      nextPass = std::chrono::steady_clock::now() + std::chrono::duration<double>(options.seconds);
    }
    Wait(0.1);
  }
}

}  // namespace

int main(int argc, char** argv) {
  std::setlocale(LC_ALL, "");
  Options options = ParseArguments(argc, argv);

  // SIGINT and SIGTERM stay blocked in every thread (the receive threads
  // inherit the mask, so no blocked receive is interrupted) and are taken
  // by the waits of this thread.
  sigemptyset(&g_stopSignals);
  sigaddset(&g_stopSignals, SIGINT);
  sigaddset(&g_stopSignals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &g_stopSignals, nullptr);
  signal(SIGPIPE, SIG_IGN);

  g_nSearchReceiveBufferSize = static_cast<int>(options.receiveBuffer);
  InitDeviceStore(GetDeviceStore());
  if (!options.trace.empty()) EnableLog(options.trace.c_str());

  if (options.watch && !options.json) {
    Print(Clock() + "  watching for devices; Ctrl-C ends\n");
  }
  GetDeviceStore().ClearDevices();
  RefreshSearch();
  for (int pass = 2; pass <= options.passes && Wait(1.0); ++pass) RefreshSearch();

  int status = 0;
  if (options.watch) {
    Watch(options);
  } else {
    if (!Wait(options.seconds)) status = 130;
    std::vector<SearchDeviceInfo> devices = GetDeviceStore().Snapshot();
    if (options.json) {
      for (const SearchDeviceInfo& d : devices) Print(FormatJson(d) + "\n");
    } else {
      Print(FormatTable(devices));
    }
  }
  ShutdownSearch();
  return status;
}
