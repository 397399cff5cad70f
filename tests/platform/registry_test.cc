// The window registry: its request format against malformed input, and
// finding and messaging a window of another process, also past a crashed
// one.
#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <random>
#include <thread>

#include "common/process.h"
#include "platform/registry.h"
#include "platform/textconv.h"
#include "platform/winuser.h"

using namespace platform::registry;
using testsupport::Process;
using testsupport::ProcessOptions;
using testsupport::TempDir;

namespace {

const std::string kProbe = std::string(LANSCOUT_BINARY_DIR) + "/tests/platform/window_probe";
const std::string kMutexProbe = std::string(LANSCOUT_BINARY_DIR) + "/tests/platform/mutex_probe";
const std::string kLanscout = std::string(LANSCOUT_BINARY_DIR) + "/lanscout";

TEST(RegistryFormat, RequestsSurviveTheRoundTripAndEveryTruncation) {
  Request r;
  r.op = kSend;
  r.message = 1124;
  r.wParam = 3;
  r.lParam = -4;
  r.title = "Voyalink";
  r.className = "#32770";
  std::string bytes = EncodeRequest(r);
  Request back;
  size_t used = 0;
  ASSERT_EQ(ParseRequest(bytes, &back, &used), 1);
  EXPECT_EQ(used, bytes.size());
  EXPECT_EQ(back.op, kSend);
  EXPECT_EQ(back.message, 1124u);
  EXPECT_EQ(back.lParam, -4);
  EXPECT_EQ(back.title, "Voyalink");
  EXPECT_EQ(back.className, "#32770");
  for (size_t n = 0; n < bytes.size(); ++n) EXPECT_EQ(ParseRequest(bytes.substr(0, n), &back, &used), 0) << n;
}

TEST(RegistryFormat, MalformedRequestsAreRefused) {
  Request r;
  r.title = "x";
  std::string good = EncodeRequest(r);
  struct Case {
    const char* name;
    size_t offset;
    char value;
  } cases[] = {{"magic", 0, 'X'}, {"op zero", 4, 0}, {"op four", 4, 4}, {"padding", 5, 1}, {"padding 2", 6, 1}};
  for (const Case& c : cases) {
    std::string bad = good;
    bad[c.offset] = c.value;
    Request out;
    EXPECT_EQ(ParseRequest(bad, &out, nullptr), -1) << c.name;
  }
  // A title length beyond the limit is refused before its bytes arrive.
  std::string huge = good.substr(0, 28);
  uint32_t len = kMaxText + 1;
  huge.append(reinterpret_cast<char*>(&len), 4);
  Request out;
  EXPECT_EQ(ParseRequest(huge, &out, nullptr), -1);
  // Random bytes never read past their end (run under the sanitizers in CI).
  std::mt19937 rng(7);
  for (int i = 0; i < 20000; ++i) {
    std::string data(rng() % 80, '\0');
    for (char& ch : data) ch = static_cast<char>(rng());
    if (i % 3 == 0 && data.size() >= 4) data.replace(0, 4, "LSW1");
    int rc = ParseRequest(data, &out, nullptr);
    EXPECT_TRUE(rc >= -1 && rc <= 1);
    Reply reply;
    rc = ParseReply(data, &reply, nullptr);
    EXPECT_TRUE(rc >= -1 && rc <= 1);
  }
}

TEST(RegistryFormat, OnlyMessagesWithPlainNumbersCross) {
  struct Case {
    UINT message;
    bool allowed;
  } cases[] = {{WM_NULL, true},       {WM_CLOSE, true},  {WM_USER, true},  {WM_USER + 100, true}, {WM_APP, true},
               {WM_SETTEXT, false},   {WM_GETTEXT, false}, {WM_NOTIFY, false}, {WM_PAINT, false}, {0xC000, false}};
  for (const Case& c : cases) EXPECT_EQ(MessageAllowed(c.message), c.allowed) << c.message;
}

class Registry : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("XDG_RUNTIME_DIR", runtime.path().c_str(), 1);
    unsetenv("LANSCOUT_REGISTRY_TIMEOUT_MS");
    options.env["XDG_RUNTIME_DIR"] = runtime.path();
    options.env["LANSCOUT_BACKEND"] = "headless";
    options.env["LANSCOUT_HEADLESS_IDLE_LIMIT_MS"] = "20000";
    options.timeout = std::chrono::milliseconds(20000);
  }
  // Waits until another process shows a window of that title.
  HWND WaitFor(const wchar_t* title) {
    for (int i = 0; i < 400; ++i) {
      if (HWND h = FindWindowW(nullptr, title)) return h;
      std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
    return nullptr;
  }
  int Entries() {
    int n = 0;
    if (DIR* d = opendir(Folder().c_str())) {
      while (dirent* e = readdir(d)) n += e->d_name[0] != '.';
      closedir(d);
    }
    return n;
  }
  TempDir runtime;
  ProcessOptions options;
};

TEST_F(Registry, ASecondProcessFindsTheWindowAndBringsItToTheFront) {
  Process first({kProbe, "serve", "Voyalink Probe"}, options);
  ASSERT_TRUE(first.started());
  HWND h = WaitFor(L"Voyalink Probe");
  ASSERT_TRUE(h);
  wchar_t cls[64];
  GetClassNameW(h, cls, 64);
  EXPECT_STREQ(cls, L"ProbeWindow");
  EXPECT_EQ(FindWindowW(L"OtherClass", L"Voyalink Probe"), nullptr);
  // The second instance, as a process of its own.
  testsupport::ProcessResult second = testsupport::RunProcess({kProbe, "send", "Voyalink Probe", "1124"}, options);
  EXPECT_EQ(second.exitCode, 0);
  EXPECT_EQ(second.out, "found\nresult 77\n");
  // And from here: synchronous, with the answer.
  EXPECT_EQ(SendMessageW(h, 1124, 0, 0), 77);
  // A message with a pointer in it is refused.
  EXPECT_EQ(SendMessageW(h, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"no")), 0);
  // A new title moves the entry.
  EXPECT_EQ(SendMessageW(h, WM_USER + 1, 0, 0), 1);
  EXPECT_EQ(FindWindowW(nullptr, L"Voyalink Probe"), nullptr);
  HWND renamed = FindWindowW(nullptr, L"Renamed Voyalink Probe");
  ASSERT_TRUE(renamed);
  EXPECT_TRUE(PostMessageW(renamed, WM_CLOSE, 0, 0));
  testsupport::ProcessResult done = first.Wait();
  EXPECT_EQ(done.exitCode, 0);
  EXPECT_EQ(done.out, "ready\nbring-to-front\nbring-to-front\nrenamed\nclosed\n");
  EXPECT_EQ(Entries(), 0);  // the window took its entry with it
  testsupport::ProcessResult none = testsupport::RunProcess({kProbe, "send", "Voyalink Probe", "1124"}, options);
  EXPECT_EQ(none.out, "missing\n");
}

TEST_F(Registry, ASecondStartOfTheProgramBringsTheRunningWindowToTheFront) {
  if (!testsupport::CanIsolateNetwork()) GTEST_SKIP() << "unshare -n is not available";
  // The first instance: the mutex held, and a window titled "Voyalink".
  std::string marker = runtime.path() + "/held";
  Process holder({kMutexProbe, "hold", "Voyalink", marker, "20"}, options);
  for (int i = 0; i < 200 && access(marker.c_str(), F_OK) != 0; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(25));
  ASSERT_EQ(testsupport::ReadFile(marker), "owned");
  Process first({kProbe, "serve", "Voyalink"}, options);
  HWND h = WaitFor(L"Voyalink");
  ASSERT_TRUE(h);
  ProcessOptions second = options;
  second.isolateNetwork = true;  // it would start discovery if it were first
  second.env["XDG_DATA_HOME"] = runtime.path() + "/data";
  testsupport::ProcessResult r = testsupport::RunProcess({kLanscout}, second);
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.err, "");
  PostMessageW(h, WM_CLOSE, 0, 0);
  testsupport::ProcessResult served = first.Wait();
  EXPECT_EQ(served.out, "ready\nbring-to-front\nclosed\n") << served.err << r.out << r.err;
  holder.Kill();
}

TEST_F(Registry, AStaleEntryNeitherBlocksNorHangsAndIsRemoved) {
  {
    Process crashed({kProbe, "serve", "Voyalink Crash"}, options);
    ASSERT_TRUE(WaitFor(L"Voyalink Crash"));
    crashed.Kill();
    crashed.Wait();
  }
  EXPECT_EQ(Entries(), 1);  // left behind by the killed process
  EXPECT_EQ(FindWindowW(nullptr, L"Voyalink Crash"), nullptr);
  EXPECT_EQ(Entries(), 0);

  // An entry of a live process (pid 1) where nobody listens: refused, so
  // removed.
  std::string title = "Voyalink Dead";
  std::string path = Folder() + "/" + TitleKey(title) + "-1-1";
  int fd = socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  std::strcpy(addr.sun_path, path.c_str());
  ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
  close(fd);
  EXPECT_EQ(FindWindowW(nullptr, L"Voyalink Dead"), nullptr);
  EXPECT_NE(access(path.c_str(), F_OK), 0);

  // One that listens but never answers: given up after the time-out, kept.
  setenv("LANSCOUT_REGISTRY_TIMEOUT_MS", "1500", 1);
  std::string hung = Folder() + "/" + TitleKey("Voyalink Hung") + "-1-2";
  fd = socket(AF_UNIX, SOCK_STREAM, 0);
  std::strcpy(addr.sun_path, hung.c_str());
  ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
  listen(fd, 4);
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(FindWindowW(nullptr, L"Voyalink Hung"), nullptr);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
  close(fd);
  unlink(hung.c_str());
}

TEST_F(Registry, TheFolderIsPrivate) {
  std::string folder = Folder();
  ASSERT_FALSE(folder.empty());
  struct stat st;
  ASSERT_EQ(stat(folder.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 077, 0u);
  // A folder that others may write to is made private first.
  chmod(folder.c_str(), 0777);
  EXPECT_EQ(Folder(), folder);
  stat(folder.c_str(), &st);
  EXPECT_EQ(st.st_mode & 077, 0u);
}

TEST_F(Registry, WithoutADisplayAWindowIsAOneLineErrorButTheMessageBoxWorks) {
  ProcessOptions none = options;
  none.env["LANSCOUT_BACKEND"] = "";
  none.env["DISPLAY"] = "";
  testsupport::ProcessResult r = RunProcess({kProbe, "smoke"}, none);
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
  EXPECT_NE(r.err.find("no display"), std::string::npos);
  // The message box needs no display at all.
  testsupport::ProcessResult box = RunProcess({kProbe, "message", "plain"}, none);
  EXPECT_EQ(box.exitCode, 0);
  EXPECT_EQ(box.err, "window_probe: plain\n");
}

}  // namespace
