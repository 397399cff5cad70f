// The x11 backend on a virtual X server (Xvfb): a borderless shaped window
// with a child control appears with its title, class and no-decoration
// hint, shows its cut corners, and a synthetic click reaches the child;
// the message box is a real window that Enter closes. Skipped when Xvfb or
// the X tools are missing.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>

#include "common/process.h"
#include "platform/gdiplus.h"
#include "platform/textconv.h"
#include "platform/winuser.h"

using testsupport::Process;
using testsupport::ProcessOptions;
using testsupport::RunProcess;
using namespace Gdiplus;

namespace {

const std::string kProbe = std::string(LANSCOUT_BINARY_DIR) + "/tests/platform/window_probe";

bool Have(const std::string& program) {
  return RunProcess({"sh", "-c", "command -v " + program + " >/dev/null"}).exitCode == 0;
}

class X11 : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* tool : {"Xvfb", "xprop", "xdotool", "import"})
      if (!Have(tool)) GTEST_SKIP() << tool << " is not installed";
    for (int n = 90; n < 200; ++n) {
      std::string lock = "/tmp/.X" + std::to_string(n) + "-lock";
      std::string sock = "/tmp/.X11-unix/X" + std::to_string(n);
      if (access(lock.c_str(), F_OK) != 0 && access(sock.c_str(), F_OK) != 0) {
        display = ":" + std::to_string(n);
        socket = sock;
        break;
      }
    }
    ASSERT_FALSE(display.empty());
    ProcessOptions xo;
    xo.timeout = std::chrono::minutes(5);
    server = std::make_unique<Process>(
        std::vector<std::string>{"Xvfb", display, "-screen", "0", "800x600x24", "-nolisten", "tcp", "-br"}, xo);
    for (int i = 0; i < 200 && access(socket.c_str(), F_OK) != 0; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(25));
    ASSERT_EQ(access(socket.c_str(), F_OK), 0) << "Xvfb did not start";
    options.env["DISPLAY"] = display;
    options.env["LANSCOUT_BACKEND"] = "";
    options.env["XDG_RUNTIME_DIR"] = runtime.path();
    options.timeout = std::chrono::seconds(30);
    setenv("XDG_RUNTIME_DIR", runtime.path().c_str(), 1);
  }
  void TearDown() override {
    if (server) server->Kill();
  }
  std::string X(const std::vector<std::string>& argv) {
    return RunProcess(argv, options).out;
  }
  // The X window id of the first window with this name, or "".
  std::string WaitForWindow(const std::string& name) {
    for (int i = 0; i < 200; ++i) {
      std::string out = X({"xdotool", "search", "--name", name});
      if (!out.empty()) return out.substr(0, out.find('\n'));
      std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
    return "";
  }

  std::string display, socket;
  testsupport::TempDir runtime, shots;
  ProcessOptions options;
  std::unique_ptr<Process> server;
};

TEST_F(X11, AShapedBorderlessWindowWithAChildTakesClicks) {
  Process probe({kProbe, "smoke"}, options);
  std::string id = WaitForWindow("Lanscout Smoke");
  ASSERT_FALSE(id.empty());
  std::string props = X({"xprop", "-id", id});
  EXPECT_NE(props.find("_NET_WM_NAME(UTF8_STRING) = \"Lanscout Smoke\""), std::string::npos) << props;
  EXPECT_NE(props.find("WM_CLASS(STRING) = \"lanscout\", \"lanscout\""), std::string::npos) << props;
  EXPECT_NE(props.find("_MOTIF_WM_HINTS(_MOTIF_WM_HINTS) = 0x2, 0x0, 0x0, 0x0, 0x0"), std::string::npos) << props;
  EXPECT_NE(props.find("_NET_WM_ICON(CARDINAL)"), std::string::npos);
  EXPECT_NE(props.find("_NET_WM_PID(CARDINAL)"), std::string::npos);

  // A screenshot: the corners are cut (the black root shows), the rest is
  // the window's blue, the child yellow.
  std::string shot = shots.path() + "/root.png";
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  ASSERT_EQ(RunProcess({"import", "-window", "root", shot}, options).exitCode, 0);
  std::wstring wide(shot.begin(), shot.end());
  GpBitmap* image = nullptr;
  ASSERT_EQ(GdipCreateBitmapFromFile(wide.c_str(), &image), Ok);
  auto at = [&](int x, int y) {
    ARGB p = 0;
    GdipBitmapGetPixel(image, x, y, &p);
    return p & 0xFFFFFF;
  };
  const ARGB blue = 0x142878, yellow = 0xF0C828, black = 0;
  struct Case {
    int x, y;
    ARGB want;
  } cases[] = {{100, 80, black},  {104, 80, black},  {105, 80, blue},   {102, 81, black}, {100, 83, black},
               {100, 84, blue},   {427, 80, black},  {422, 80, blue},   {427, 84, blue},  {110, 90, blue},
               {210, 190, yellow}, {427, 324, blue}, {428, 200, black}};
  for (const Case& c : cases) EXPECT_EQ(at(c.x, c.y), c.want) << c.x << "," << c.y;
  GdipDisposeImage(image);

  EXPECT_EQ(RunProcess({"xdotool", "mousemove", "230", "200", "click", "1"}, options).exitCode, 0);
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  // The window manager's close request (WM_DELETE_WINDOW), here sent
  // through the registry as a second instance would.
  HWND h = nullptr;
  for (int i = 0; i < 100 && !h; ++i) {
    h = FindWindowW(nullptr, L"Lanscout Smoke");
    if (!h) std::this_thread::sleep_for(std::chrono::milliseconds(25));
  }
  ASSERT_TRUE(h);
  PostMessageW(h, WM_CLOSE, 0, 0);
  testsupport::ProcessResult r = probe.Wait();
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_NE(r.out.find("child down 30 20"), std::string::npos) << r.out << r.err;
}

TEST_F(X11, TheMessageBoxIsAWindowThatEnterCloses) {
  Process probe({kProbe, "message", "Failed to create the configuration file!"}, options);
  std::string id = WaitForWindow("window_probe");
  ASSERT_FALSE(id.empty());
  std::string props = X({"xprop", "-id", id});
  EXPECT_EQ(props.find("_MOTIF_WM_HINTS"), std::string::npos);  // it keeps the window manager's frame
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  // The box took the focus when it appeared: the key goes to it.
  EXPECT_EQ(RunProcess({"xdotool", "key", "Return"}, options).exitCode, 0);
  testsupport::ProcessResult r = probe.Wait();
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out, "dismissed\n");
  EXPECT_NE(r.err.find("Failed to create the configuration file!"), std::string::npos);
}

// Last: it connects this process to the display, which goes away with the
// fixture.
TEST_F(X11, OtherProgramsWindowsAreListedWithTheirClassAndCanBeAskedToClose) {
  Process manager({"xmessage", "-name", "nautilus", "-title", "share on \\\\10.0.0.1", "files"}, options);
  Process other({"xmessage", "-name", "xterm", "-title", "\\\\10.0.0.1 in a terminal", "text"}, options);
  ASSERT_FALSE(WaitForWindow("share on").empty());
  ASSERT_FALSE(WaitForWindow("in a terminal").empty());
  setenv("DISPLAY", display.c_str(), 1);
  unsetenv("LANSCOUT_BACKEND");
  WNDCLASSW wc{};
  wc.lpfnWndProc = DefWindowProcW;
  wc.lpszClassName = L"OwnX11";
  RegisterClassW(&wc);
  HWND own = CreateWindowExW(0, L"OwnX11", L"own", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  ASSERT_TRUE(own);
  struct Seen {
    HWND cabinet = nullptr, terminal = nullptr;
    int own = 0;
  } seen;
  EnumWindows(
      [](HWND h, LPARAM p) {
        auto* s = reinterpret_cast<Seen*>(p);
        wchar_t cls[260] = {}, title[260] = {};
        GetClassNameW(h, cls, 260);
        GetWindowTextW(h, title, 260);
        std::wstring c(cls), t(title);
        if (c == L"CabinetWClass" && t == L"share on \\\\10.0.0.1") s->cabinet = h;
        if (c == L"Xmessage" && t.find(L"terminal") != std::wstring::npos) s->terminal = h;
        if (c == L"OwnX11") ++s->own;
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&seen));
  ASSERT_TRUE(seen.cabinet);
  ASSERT_TRUE(seen.terminal);
  EXPECT_EQ(seen.own, 1);  // this process's window once, as its own
  EXPECT_EQ(FindWindowW(L"CabinetWClass", nullptr), seen.cabinet);
  EXPECT_TRUE(FindWindowExW(seen.cabinet, nullptr, nullptr, nullptr));  // its child windows
  EXPECT_TRUE(PostMessageW(seen.cabinet, WM_CLOSE, 0, 0));
  testsupport::ProcessResult closed = manager.Wait();
  EXPECT_NE(closed.exitCode, -1);  // it ended by itself
  EXPECT_TRUE(other.started());
  DestroyWindow(own);
  other.Kill();
}

}  // namespace
