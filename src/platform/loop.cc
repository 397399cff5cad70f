// The message loop: posted messages, sent messages from other threads, the
// display's events, the repaint, timers, hover, and the wait for the next of
// them. Also SendMessage, PostMessage and the modal run.
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>

#include "platform/app.h"
#include "platform/backend.h"
#include "platform/msgbox.h"
#include "platform/ui_internal.h"
#include "platform/wnd.h"

namespace platform {

bool ShowMessageBoxWindow(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type);

namespace {

int WakeFd() {
  static int fd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
  return fd;
}

void DrainWake() {
  uint64_t v;
  while (read(WakeFd(), &v, sizeof v) > 0) {
  }
}

struct SentMessage {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  LRESULT result = 0;
  bool done = false;
};

std::deque<SentMessage*>& SentQueue() {
  static auto* q = new std::deque<SentMessage*>();
  return *q;
}
std::condition_variable& SentDone() {
  static auto* cv = new std::condition_variable();
  return *cv;
}

void ProcessSentMessages() {
  UiState& ui = Ui();
  for (;;) {
    SentMessage* m;
    {
      std::lock_guard<std::mutex> lock(ui.queueLock);
      if (SentQueue().empty()) return;
      m = SentQueue().front();
      SentQueue().pop_front();
    }
    LRESULT r = 0;
    if (WindowImpl* w = W(m->hwnd)) r = CallProc(w, m->message, m->wParam, m->lParam);
    {
      std::lock_guard<std::mutex> lock(ui.queueLock);
      m->result = r;
      m->done = true;
    }
    SentDone().notify_all();
  }
}

uint64_t MonotonicMs() {
  using namespace std::chrono;
  static const steady_clock::time_point start = steady_clock::now();
  return static_cast<uint64_t>(duration_cast<milliseconds>(steady_clock::now() - start).count());
}

Timer* DueTimer(uint64_t now) {
  Timer* best = nullptr;
  for (Timer& t : Ui().timers)
    if (t.due <= now && (!best || t.due < best->due)) best = &t;
  return best;
}

uint64_t NextDue() {
  uint64_t next = NextHoverDue();
  for (const Timer& t : Ui().timers) next = std::min(next, t.due);
  return next;
}

void WaitForWork(int64_t timeoutMs) {
  UiState& ui = Ui();
  Backend* b = CurrentBackend();
  if (b) {
    b->Flush();
    if (b->Pending() || b->Idle(timeoutMs)) return;
  }
  std::vector<int> fds{WakeFd()};
  if (b && b->EventFd() >= 0) fds.push_back(b->EventFd());
  RegistryPollFds(fds);
  std::vector<pollfd> pfds;
  for (int fd : fds) pfds.push_back(pollfd{fd, POLLIN, 0});
  int timeout = timeoutMs < 0 ? -1 : static_cast<int>(std::min<int64_t>(timeoutMs, INT_MAX));
  // A headless run whose loop waits with nothing that could wake it is a
  // test that forgot a step: it ends instead of hanging.
  bool guarded = b && b->IsHeadless() && timeout < 0;
  if (guarded) {
    const char* limit = std::getenv("LANSCOUT_HEADLESS_IDLE_LIMIT_MS");
    timeout = limit ? std::max(1, std::atoi(limit)) : 60000;
  }
  ++ui.waits;
  int rc = poll(pfds.data(), pfds.size(), timeout);
  ++ui.wakeups;
  if (rc == 0 && guarded) {
    std::fputs("headless: the message loop waits with nothing to wake it; ending\n", stderr);
    std::fflush(stderr);
    std::_Exit(3);
  }
  DrainWake();
}

// One step of the loop: the next message, or false when there is none and
// `wait` is false.
bool NextMessage(MSG* out, bool remove, bool wait, UINT filterMin, UINT filterMax) {
  UiState& ui = Ui();
  NoteUiThread();
  auto inRange = [&](UINT m) { return (filterMin == 0 && filterMax == 0) || (m >= filterMin && m <= filterMax); };
  for (;;) {
    FreeGraveyard();
    ProcessSentMessages();
    RegistryService();
    if (PostedCount() == 0)
      if (Backend* b = CurrentBackend()) b->DispatchEvents();
    {
      std::lock_guard<std::mutex> lock(ui.queueLock);
      for (auto it = ui.posted.begin(); it != ui.posted.end(); ++it) {
        if (!inRange(it->message)) continue;
        *out = *it;
        if (remove) ui.posted.erase(it);
        return true;
      }
      if (ui.quitPosted) {
        *out = MSG{nullptr, WM_QUIT, static_cast<WPARAM>(ui.quitCode), 0, static_cast<DWORD>(Now()), {}};
        if (remove) ui.quitPosted = false;
        return true;
      }
    }
    if (AnyPaintPending()) {
      PaintAll();
      continue;
    }
    PresentPending();
    uint64_t now = Now();
    FireHover(now);
    {
      std::lock_guard<std::mutex> lock(ui.queueLock);
      if (!ui.posted.empty()) continue;
    }
    if (inRange(WM_TIMER)) {
      if (Timer* t = DueTimer(now)) {
        *out = MSG{t->hwnd, WM_TIMER, t->id, reinterpret_cast<LPARAM>(t->proc), static_cast<DWORD>(now), ui.cursor};
        if (remove) t->due = now + t->elapse;
        return true;
      }
    }
    if (!wait) return false;
    OnIdleCleanup();
    uint64_t next = NextDue();
    int64_t timeout = next == UINT64_MAX ? -1 : static_cast<int64_t>(next > now ? next - now : 0);
    WaitForWork(timeout);
  }
}

int MessageLoop() {
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0)) {
    bool taken = false;
    for (HWND h = msg.hwnd; h && !taken; h = GetParent(h)) {
      CWnd* wnd = CWnd::FromHandlePermanent(h);
      if (wnd && wnd->PreTranslateMessage(&msg)) taken = true;
      if (!W(h) || !W(h)->parent) break;
    }
    if (taken) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return static_cast<int>(msg.wParam);
}

bool MessageBoxHook(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) {
  return ShowMessageBoxWindow(owner, text, caption, type);
}

void PostQuit(int code) { PostQuitMessage(code); }

}  // namespace

void InstallWindowLayer() {
  SetMessageBoxBackend(&MessageBoxHook);
  SetMessageLoopHook(&MessageLoop);
  SetQuitHook(&PostQuit);
}

uint64_t Now() {
  if (Backend* b = CurrentBackend()) return b->NowMs();
  return MonotonicMs();
}

uint64_t MonotonicClockMs() { return MonotonicMs(); }

void Wake() {
  uint64_t one = 1;
  ssize_t n = write(WakeFd(), &one, sizeof one);
  (void)n;
}

void PostImpl(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, bool coalesceMove) {
  UiState& ui = Ui();
  bool ui_thread = OnUiThread();
  MSG m{hwnd, message, wParam, lParam, static_cast<DWORD>(ui_thread ? Now() : 0), ui.cursor};
  {
    std::lock_guard<std::mutex> lock(ui.queueLock);
    if (coalesceMove && !ui.posted.empty() && ui.posted.back().hwnd == hwnd && ui.posted.back().message == message) {
      ui.posted.back() = m;
    } else {
      ui.posted.push_back(m);
    }
  }
  if (!ui_thread) Wake();
}

size_t PostedCount() {
  UiState& ui = Ui();
  std::lock_guard<std::mutex> lock(ui.queueLock);
  return ui.posted.size();
}

void RemoveTimersOf(HWND hwnd) {
  auto& timers = Ui().timers;
  timers.erase(std::remove_if(timers.begin(), timers.end(), [&](const Timer& t) { return t.hwnd == hwnd; }),
               timers.end());
}

bool RunModal(const std::function<bool()>& done, const std::function<bool(MSG*)>& pretranslate) {
  while (!done()) {
    MSG msg;
    if (!GetMessageW(&msg, nullptr, 0, 0)) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      return false;
    }
    if (pretranslate && pretranslate(&msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return true;
}

void OnIdleCleanup() {
  FreeTemporaryObjects();
  FreeGraveyard();
}

int64_t NextWaitTimeoutMs() {
  uint64_t next = NextDue();
  if (next == UINT64_MAX) return -1;
  uint64_t now = Now();
  return next > now ? static_cast<int64_t>(next - now) : 0;
}

}  // namespace platform

using namespace platform;

namespace {
// The layer hooks itself into the application object and the message box
// as soon as it is linked into a program.
const bool g_installed = (InstallWindowLayer(), true);
}  // namespace

LRESULT SendMessageW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!OnUiThread()) {
    // From another thread: the UI thread runs it at its next turn.
    UiState& ui = Ui();
    SentMessage m{hwnd, message, wParam, lParam};
    std::unique_lock<std::mutex> lock(ui.queueLock);
    SentQueue().push_back(&m);
    lock.unlock();
    Wake();
    lock.lock();
    SentDone().wait(lock, [&] { return m.done; });
    return m.result;
  }
  if (WindowImpl* w = W(hwnd)) return CallProc(w, message, wParam, lParam);
  if (ExternalWindow* e = External(hwnd)) {
    if (e->kind == ExternalWindow::kRemote) return RegistrySend(e, message, wParam, lParam, true, nullptr);
    if (message == WM_CLOSE)
      if (Backend* b = CurrentBackend()) b->CloseForeign(e->xid);
    return 0;
  }
  SetLastError(ERROR_INVALID_WINDOW_HANDLE);
  return 0;
}

BOOL PostMessageW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!OnUiThread()) {
    PostImpl(hwnd, message, wParam, lParam);
    return TRUE;
  }
  if (!hwnd || W(hwnd)) {
    PostImpl(hwnd, message, wParam, lParam);
    return TRUE;
  }
  if (ExternalWindow* e = External(hwnd)) {
    if (e->kind == ExternalWindow::kRemote) {
      bool delivered = false;
      RegistrySend(e, message, wParam, lParam, false, &delivered);
      return delivered ? TRUE : FALSE;
    }
    if (message == WM_CLOSE)
      if (Backend* b = CurrentBackend()) return b->CloseForeign(e->xid) ? TRUE : FALSE;
    return FALSE;
  }
  SetLastError(ERROR_INVALID_WINDOW_HANDLE);
  return FALSE;
}

BOOL PostThreadMessageW(DWORD, UINT message, WPARAM wParam, LPARAM lParam) {
  PostImpl(nullptr, message, wParam, lParam);
  return TRUE;
}

void PostQuitMessage(int exitCode) {
  UiState& ui = Ui();
  {
    std::lock_guard<std::mutex> lock(ui.queueLock);
    ui.quitPosted = true;
    ui.quitCode = exitCode;
  }
  if (!OnUiThread()) Wake();
}

BOOL GetMessageW(LPMSG msg, HWND, UINT filterMin, UINT filterMax) {
  if (!msg) return FALSE;
  NextMessage(msg, true, true, filterMin, filterMax);
  return msg->message == WM_QUIT ? FALSE : TRUE;
}

BOOL PeekMessageW(LPMSG msg, HWND, UINT filterMin, UINT filterMax, UINT removeFlags) {
  if (!msg) return FALSE;
  return NextMessage(msg, (removeFlags & PM_REMOVE) != 0, false, filterMin, filterMax) ? TRUE : FALSE;
}

BOOL WaitMessage() {
  MSG m;
  if (NextMessage(&m, false, false, 0, 0)) return TRUE;
  int64_t t = NextWaitTimeoutMs();
  WaitForWork(t);
  return TRUE;
}

BOOL TranslateMessage(const MSG* msg) {
  if (!msg || (msg->message != WM_KEYDOWN && msg->message != WM_SYSKEYDOWN)) return FALSE;
  UiState& ui = Ui();
  if (msg->wParam != ui.lastKeyVk || !ui.lastKeyChar) return FALSE;
  // Next in line, before input that is already queued.
  MSG ch{msg->hwnd, msg->message == WM_KEYDOWN ? static_cast<UINT>(WM_CHAR) : static_cast<UINT>(WM_SYSCHAR),
         static_cast<WPARAM>(ui.lastKeyChar), msg->lParam, msg->time, msg->pt};
  {
    std::lock_guard<std::mutex> lock(ui.queueLock);
    ui.posted.push_front(ch);
  }
  ui.lastKeyChar = 0;
  return TRUE;
}

LRESULT DispatchMessageW(const MSG* msg) {
  if (!msg) return 0;
  UiState& ui = Ui();
  ui.messageTime = msg->time;
  ui.messagePos = MAKELONG(static_cast<WORD>(msg->pt.x), static_cast<WORD>(msg->pt.y));
  if (msg->message == WM_TIMER && msg->lParam) {
    auto proc = reinterpret_cast<TIMERPROC>(msg->lParam);
    proc(msg->hwnd, WM_TIMER, msg->wParam, msg->time);
    return 0;
  }
  WindowImpl* w = W(msg->hwnd);
  if (!w) return 0;
  if (msg->message == WM_PAINT) {
    // A WM_PAINT posted by the program: the repaint runs as it would.
    PaintTopLevel(TopOf(w));
    return 0;
  }
  return CallProc(w, msg->message, msg->wParam, msg->lParam);
}

DWORD GetMessageTime() { return Ui().messageTime; }
DWORD GetMessagePos() { return Ui().messagePos; }
DWORD GetTickCount() { return static_cast<DWORD>(Now()); }
DWORD GetCurrentThreadId() { return static_cast<DWORD>(syscall(SYS_gettid)); }
BOOL InSendMessage() { return Ui().sendDepth > 0 ? TRUE : FALSE; }

UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapse, TIMERPROC proc) {
  UiState& ui = Ui();
  if (hwnd && !W(hwnd)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  NoteUiThread();
  elapse = std::clamp<UINT>(elapse, 10, 0x7FFFFFFF);
  if (!hwnd) {
    bool known = false;
    for (const Timer& t : ui.timers) known = known || (!t.hwnd && t.id == id);
    if (!known) id = ++ui.nextThreadTimerId;
  }
  uint64_t due = Now() + elapse;
  for (Timer& t : ui.timers) {
    if (t.hwnd == hwnd && t.id == id) {
      t.elapse = elapse;
      t.proc = proc;
      t.due = due;
      return hwnd ? (id ? id : 1) : id;
    }
  }
  ui.timers.push_back(Timer{hwnd, id, elapse, proc, due});
  return hwnd ? (id ? id : 1) : id;
}

BOOL KillTimer(HWND hwnd, UINT_PTR id) {
  auto& timers = Ui().timers;
  auto it = std::find_if(timers.begin(), timers.end(), [&](const Timer& t) { return t.hwnd == hwnd && t.id == id; });
  if (it == timers.end()) return FALSE;
  timers.erase(it);
  return TRUE;
}
