// The desktop's top-level windows: this process's own, those of other
// processes in the window registry, and on x11 every client window of the
// display; finding them by class and title, walking their children.
#include <algorithm>
#include <cwctype>

#include "platform/backend.h"
#include "platform/textconv.h"
#include "platform/ui_internal.h"

using namespace platform;

namespace {

bool SameClass(const std::wstring& a, LPCWSTR b) {
  if (!b) return true;
  return !IS_INTRESOURCE(b) && SameClassName(a, b);
}

bool SameTitle(const std::wstring& a, LPCWSTR b) { return !b || a == b; }

// The desktop's top-level windows, from the top.
std::vector<HWND> TopLevels() {
  std::vector<HWND> out;
  for (WindowImpl* t : Ui().tops) out.push_back(t->handle);
  if (Backend* b = CurrentBackend()) {
    std::vector<ForeignInfo> foreign;
    b->EnumForeign(foreign);
    for (const ForeignInfo& f : foreign) {
      if (b->IsOwnNativeId(f.id)) continue;
      ExternalWindow* e = ForeignWindow(f.id);
      e->className = f.className;
      e->title = f.title;
      out.push_back(e->handle);
    }
  }
  return out;
}

std::vector<HWND> ChildrenOf(HWND parent) {
  std::vector<HWND> out;
  if (WindowImpl* w = W(parent)) {
    for (WindowImpl* c : w->children) out.push_back(c->handle);
  } else if (ExternalWindow* e = External(parent)) {
    if (e->kind == ExternalWindow::kForeign && e->xid)
      if (Backend* b = CurrentBackend()) {
        std::vector<ForeignInfo> kids;
        b->ForeignChildren(e->xid, kids);
        for (const ForeignInfo& k : kids) {
          ExternalWindow* c = ForeignWindow(k.id);
          c->className = k.className;
          c->title = k.title;
          out.push_back(c->handle);
        }
      }
  }
  return out;
}

bool Matches(HWND h, LPCWSTR className, LPCWSTR title) {
  if (WindowImpl* w = W(h)) return SameClass(w->cls->name, className) && SameTitle(w->text, title);
  if (ExternalWindow* e = External(h)) return SameClass(e->className, className) && SameTitle(e->title, title);
  return false;
}

bool EnumTree(HWND parent, WNDENUMPROC proc, LPARAM param) {
  for (HWND c : ChildrenOf(parent)) {
    if (!proc(c, param)) return false;
    if (!EnumTree(c, proc, param)) return false;
  }
  return true;
}

}  // namespace

HWND FindWindowW(LPCWSTR className, LPCWSTR windowName) {
  for (WindowImpl* t : Ui().tops)
    if (Matches(t->handle, className, windowName)) return t->handle;
  if (windowName)
    if (HWND remote = RegistryFind(className, windowName)) return remote;
  if (CurrentBackend()) {
    for (HWND h : TopLevels())
      if (External(h) && Matches(h, className, windowName)) return h;
  }
  return nullptr;
}

HWND FindWindowExW(HWND parent, HWND childAfter, LPCWSTR className, LPCWSTR windowName) {
  std::vector<HWND> list = (!parent || parent == GetDesktopWindow()) ? TopLevels() : ChildrenOf(parent);
  auto it = list.begin();
  if (childAfter) {
    it = std::find(list.begin(), list.end(), childAfter);
    if (it == list.end()) return nullptr;
    ++it;
  }
  for (; it != list.end(); ++it)
    if (Matches(*it, className, windowName)) return *it;
  return nullptr;
}

BOOL EnumWindows(WNDENUMPROC proc, LPARAM param) {
  if (!proc) return FALSE;
  for (HWND h : TopLevels())
    if (!proc(h, param)) break;
  return TRUE;
}

BOOL EnumChildWindows(HWND parent, WNDENUMPROC proc, LPARAM param) {
  if (!proc) return FALSE;
  if (!parent) return EnumWindows(proc, param);
  EnumTree(parent, proc, param);
  return TRUE;
}

namespace platform {

std::wstring ForeignClassName(const std::string& instance, const std::string& cls) {
  static const char* const fileManagers[] = {"nautilus", "org.gnome.nautilus", "nemo", "caja", "thunar",
                                             "dolphin", "org.kde.dolphin", "pcmanfm", "pcmanfm-qt"};
  auto lower = [](std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
  };
  std::string a = lower(instance), b = lower(cls);
  for (const char* fm : fileManagers)
    if (a == fm || b == fm) return L"CabinetWClass";
  return Utf8ToWide(cls.empty() ? instance : cls);
}

}  // namespace platform
