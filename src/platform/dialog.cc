// Dialogs: templates registered by id, creation with the template's
// controls and font, the modal run, the dialog keyboard and the default
// dialog procedure.
#include <algorithm>
#include <cmath>
#include <map>

#include "platform/backend.h"
#include "platform/text.h"
#include "platform/ui_internal.h"
#include "platform/wnd.h"

namespace platform {

namespace {

std::map<UINT, DLGTEMPLATE_DESC>& Templates() {
  static auto* t = new std::map<UINT, DLGTEMPLATE_DESC>();
  return *t;
}

// Dialog base units of a font: the average width of the Latin letters and
// the cell height.
SIZE BaseUnits(HFONT font) {
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font ? font : DefaultGuiFont());
  SIZE s{};
  const wchar_t letters[] = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  GetTextExtentPoint32W(dc, letters, 52, &s);
  TEXTMETRICW tm;
  GetTextMetricsW(dc, &tm);
  SelectObject(dc, old);
  DeleteDC(dc);
  return SIZE{std::max<LONG>(1, (s.cx / 26 + 1) / 2), std::max<LONG>(1, tm.tmHeight)};
}

RECT DialogUnitsToPixels(SIZE base, short x, short y, short cx, short cy) {
  RECT r{MulDiv(x, base.cx, 4), MulDiv(y, base.cy, 8), 0, 0};
  r.right = r.left + MulDiv(cx, base.cx, 4);
  r.bottom = r.top + MulDiv(cy, base.cy, 8);
  return r;
}

HWND FirstTabStop(WindowImpl* d) {
  for (WindowImpl* c : d->children)
    if ((c->style & WS_TABSTOP) && c->Visible() && c->Enabled()) return c->handle;
  return nullptr;
}

HWND CreateDialogImpl(HINSTANCE instance, const DLGTEMPLATE_DESC* t, HWND parent, DLGPROC proc, LPARAM param) {
  if (!t) return nullptr;
  HFONT font = nullptr;
  if (t->style & DS_SETFONT) {
    LOGFONTW lf{};
    lf.lfHeight = -MulDiv(t->pointSize ? t->pointSize : 8, 96, 72);
    lf.lfWeight = FW_NORMAL;
    std::wstring face = t->faceName.empty() ? L"MS Shell Dlg" : t->faceName;
    face.resize(std::min<size_t>(face.size(), LF_FACESIZE - 1));
    std::copy(face.begin(), face.end(), lf.lfFaceName);
    font = CreateFontIndirectW(&lf);
  }
  SIZE base = BaseUnits(font);
  bool child = (t->style & WS_CHILD) != 0;
  RECT r = DialogUnitsToPixels(base, t->x, t->y, t->cx, t->cy);
  DWORD style = t->style & ~WS_VISIBLE;
  WindowImpl* owner = W(parent);
  if (!child && owner) {
    // Template positions are relative to the owner's client area.
    POINT o{0, 0};
    ClientToScreen(TopOf(owner)->handle, &o);
    OffsetRect(&r, o.x, o.y);
  }
  HWND hwnd = CreateWindowExW(t->exStyle, L"#32770", t->title.c_str(), style, r.left, r.top, r.right - r.left,
                              r.bottom - r.top, parent, nullptr, instance, nullptr);
  WindowImpl* d = W(hwnd);
  if (!d) {
    if (font) DeleteObject(font);
    return nullptr;
  }
  d->isDialog = true;
  d->dlgProc = proc;
  if (font) SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  for (const DLGITEMTEMPLATE_DESC& item : t->items) {
    RECT ir = DialogUnitsToPixels(base, item.x, item.y, item.cx, item.cy);
    HWND c = CreateWindowExW(item.exStyle, item.className.c_str(), item.text.c_str(), item.style | WS_CHILD, ir.left,
                             ir.top, ir.right - ir.left, ir.bottom - ir.top, hwnd,
                             reinterpret_cast<HMENU>(static_cast<uintptr_t>(item.id)), instance, nullptr);
    if (!c) {
      DestroyWindow(hwnd);
      return nullptr;
    }
    if (font) SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  }
  if (!W(hwnd)) return nullptr;
  HWND focus = FirstTabStop(d);
  LRESULT setFocus = CallProc(d, WM_INITDIALOG, reinterpret_cast<WPARAM>(focus), param);
  d = W(hwnd);
  if (!d) return nullptr;
  if (setFocus) {
    HWND f = FirstTabStop(d);
    SetFocus(f ? f : hwnd);
  }
  d = W(hwnd);
  if (!d) return nullptr;
  if (!child && ((t->style & DS_CENTER) || (t->x == 0 && t->y == 0 && !owner))) {
    RECT wr = d->rect;
    SIZE screen = CurrentBackend() ? CurrentBackend()->ScreenSize() : SIZE{1280, 1024};
    RECT area{0, 0, screen.cx, screen.cy};
    if (owner && (t->style & DS_CENTER)) area = TopOf(owner)->rect;
    int x = area.left + ((area.right - area.left) - (wr.right - wr.left)) / 2;
    int y = area.top + ((area.bottom - area.top) - (wr.bottom - wr.top)) / 2;
    SetWindowPos(hwnd, nullptr, std::max(0, x), std::max(0, y), 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  if ((t->style & WS_VISIBLE) && W(hwnd) && !W(hwnd)->dialogEnded) ShowWindow(hwnd, SW_SHOWNORMAL);
  return W(hwnd) ? hwnd : nullptr;
}

}  // namespace

void RegisterDialogTemplate(UINT id, const DLGTEMPLATE_DESC& desc) { Templates()[id] = desc; }

const DLGTEMPLATE_DESC* FindDialogTemplate(LPCWSTR name) {
  if (!name || !IS_INTRESOURCE(name)) return nullptr;
  auto it = Templates().find(static_cast<UINT>(reinterpret_cast<uintptr_t>(name)));
  return it == Templates().end() ? nullptr : &it->second;
}

}  // namespace platform

using namespace platform;

HWND CreateDialogIndirectParamW(HINSTANCE instance, const DLGTEMPLATE_DESC* desc, HWND parent, DLGPROC proc,
                                LPARAM param) {
  return CreateDialogImpl(instance, desc, parent, proc, param);
}

HWND CreateDialogParamW(HINSTANCE instance, LPCWSTR templateName, HWND parent, DLGPROC proc, LPARAM param) {
  return CreateDialogImpl(instance, FindDialogTemplate(templateName), parent, proc, param);
}

INT_PTR DialogBoxParamW(HINSTANCE instance, LPCWSTR templateName, HWND parent, DLGPROC proc, LPARAM param) {
  const DLGTEMPLATE_DESC* t = FindDialogTemplate(templateName);
  if (!t) return -1;
  HWND owner = parent ? GetAncestor(parent, GA_ROOT) : nullptr;
  bool ownerWasEnabled = owner && IsWindowEnabled(owner);
  if (ownerWasEnabled) EnableWindow(owner, FALSE);
  DLGTEMPLATE_DESC visible = *t;
  visible.style |= WS_VISIBLE;
  HWND hwnd = CreateDialogImpl(instance, &visible, parent, proc, param);
  INT_PTR result = -1;
  if (hwnd) {
    RunModal([&] { WindowImpl* d = W(hwnd); return !d || d->dialogEnded; },
             [&](MSG* m) { return IsDialogMessageW(hwnd, m) != FALSE; });
    if (WindowImpl* d = W(hwnd)) {
      result = d->dialogResult;
      ShowWindow(hwnd, SW_HIDE);
    }
  }
  if (ownerWasEnabled && IsWindow(owner)) {
    EnableWindow(owner, TRUE);
    SetActiveWindow(owner);
  }
  if (IsWindow(hwnd)) DestroyWindow(hwnd);
  return result;
}

BOOL EndDialog(HWND dialog, INT_PTR result) {
  WindowImpl* d = W(dialog);
  if (!d) return FALSE;
  d->dialogEnded = true;
  d->dialogResult = result;
  if (CWnd* wnd = d->object) wnd->EndModalLoop(static_cast<int>(result));
  return TRUE;
}

HWND GetNextDlgTabItem(HWND dialog, HWND control, BOOL previous) {
  WindowImpl* d = W(dialog);
  if (!d) return nullptr;
  std::vector<WindowImpl*> stops;
  for (WindowImpl* c : d->children)
    if ((c->style & WS_TABSTOP) && c->Visible() && c->Enabled()) stops.push_back(c);
  if (stops.empty()) return nullptr;
  auto it = std::find_if(stops.begin(), stops.end(), [&](WindowImpl* c) { return c->handle == control; });
  if (it == stops.end()) return (previous ? stops.back() : stops.front())->handle;
  size_t i = static_cast<size_t>(it - stops.begin());
  size_t n = stops.size();
  return stops[previous ? (i + n - 1) % n : (i + 1) % n]->handle;
}

HWND GetNextDlgGroupItem(HWND dialog, HWND control, BOOL previous) {
  WindowImpl* d = W(dialog);
  WindowImpl* c = W(control);
  if (!d || (control && (!c || c->parent != d))) return nullptr;
  auto& kids = d->children;
  if (kids.empty()) return nullptr;
  if (!c) c = kids.front();
  // The group: from the nearest WS_GROUP control at or before this one up
  // to the next WS_GROUP control.
  size_t at = static_cast<size_t>(std::find(kids.begin(), kids.end(), c) - kids.begin());
  size_t first = at;
  while (first > 0 && !(kids[first]->style & WS_GROUP)) --first;
  size_t end = at + 1;
  while (end < kids.size() && !(kids[end]->style & WS_GROUP)) ++end;
  size_t n = end - first;
  for (size_t step = 1; step < n; ++step) {
    size_t i = first + (previous ? (at - first + n - step) % n : (at - first + step) % n);
    if (kids[i]->Visible() && kids[i]->Enabled()) return kids[i]->handle;
  }
  return control ? control : c->handle;
}

BOOL MapDialogRect(HWND dialog, LPRECT rect) {
  WindowImpl* d = W(dialog);
  if (!d || !rect) return FALSE;
  SIZE base = BaseUnits(d->dialogFont);
  *rect = RECT{MulDiv(rect->left, base.cx, 4), MulDiv(rect->top, base.cy, 8), MulDiv(rect->right, base.cx, 4),
               MulDiv(rect->bottom, base.cy, 8)};
  return TRUE;
}

BOOL IsDialogMessageW(HWND dialog, LPMSG msg) {
  WindowImpl* d = W(dialog);
  if (!d || !msg) return FALSE;
  if (msg->hwnd != dialog && !IsChild(dialog, msg->hwnd)) return FALSE;
  if (msg->message == WM_KEYDOWN) {
    UINT vk = static_cast<UINT>(msg->wParam);
    LRESULT code = SendMessageW(msg->hwnd, WM_GETDLGCODE, msg->wParam, reinterpret_cast<LPARAM>(msg));
    if (!W(dialog)) return TRUE;
    bool wantsAll = (code & DLGC_WANTALLKEYS) != 0;
    switch (vk) {
      case VK_TAB:
        if (wantsAll || (code & DLGC_WANTTAB)) break;
        if (HWND next = GetNextDlgTabItem(dialog, GetFocus(), GetKeyState(VK_SHIFT) < 0)) SetFocus(next);
        return TRUE;
      case VK_RETURN: {
        if (wantsAll) break;
        WORD id = IDOK;
        HWND ctrl = nullptr;
        WindowImpl* focused = W(msg->hwnd);
        if ((code & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)) && focused && focused->parent == d &&
            focused->Enabled()) {
          id = static_cast<WORD>(focused->id);
          ctrl = focused->handle;
        } else {
          LRESULT def = SendMessageW(dialog, DM_GETDEFID, 0, 0);
          if (HIWORD(def) == DC_HASDEFID) id = LOWORD(def);
          ctrl = GetDlgItem(dialog, id);
          if (ctrl && !IsWindowEnabled(ctrl)) return TRUE;
        }
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(ctrl));
        return TRUE;
      }
      case VK_ESCAPE: {
        if (wantsAll) break;
        HWND ctrl = GetDlgItem(dialog, IDCANCEL);
        if (ctrl && !IsWindowEnabled(ctrl)) return TRUE;
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), reinterpret_cast<LPARAM>(ctrl));
        return TRUE;
      }
      default:
        break;
    }
  }
  TranslateMessage(msg);
  DispatchMessageW(msg);
  return TRUE;
}

LRESULT DefDlgProcW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  WindowImpl* d = W(hwnd);
  if (!d) return 0;
  if (d->dlgProc) {
    d->msgResult = 0;
    INT_PTR r = d->dlgProc(hwnd, message, wParam, lParam);
    if (!W(hwnd)) return r;
    if (r) {
      // These answer with the procedure's result, the rest with the one it
      // stored in DWLP_MSGRESULT.
      if (IsCtlColorMessage(message) || message == WM_INITDIALOG || message == WM_QUERYDRAGICON) return r;
      return d->msgResult;
    }
  }
  switch (message) {
    case WM_ERASEBKGND: {
      auto brush = reinterpret_cast<HBRUSH>(SendMessageW(hwnd, WM_CTLCOLORDLG, wParam, reinterpret_cast<LPARAM>(hwnd)));
      if (!brush) brush = GetSysColorBrush(COLOR_3DFACE);
      RECT r{0, 0, d->ClientWidth(), d->ClientHeight()};
      FillRect(reinterpret_cast<HDC>(wParam), &r, brush);
      return 1;
    }
    case WM_CLOSE: {
      HWND cancel = GetDlgItem(hwnd, IDCANCEL);
      if (cancel && !IsWindowEnabled(cancel)) return 0;
      SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), reinterpret_cast<LPARAM>(cancel));
      return 0;
    }
    case DM_GETDEFID:
      return MAKELRESULT(d->defId, DC_HASDEFID);
    case DM_SETDEFID:
      d->defId = static_cast<WORD>(wParam);
      return TRUE;
    case WM_SETFONT:
      d->dialogFont = reinterpret_cast<HFONT>(wParam);
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(d->dialogFont);
    case WM_INITDIALOG:
      return d->dlgProc ? 0 : TRUE;
    case WM_SETFOCUS: {
      HWND f = FirstTabStop(d);
      if (f) SetFocus(f);
      return 0;
    }
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}
