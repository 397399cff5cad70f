// Inside the common controls: the procedures, the state each control keeps
// in its window, the notifications they send and the colours and shapes of
// the default look.
#pragma once

#include <string>

#include "platform/commctrl.h"
#include "platform/ui_internal.h"

namespace platform {
namespace controls {

LRESULT CALLBACK ButtonProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK ScrollBarProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK HeaderProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK ListViewProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK ToolTipProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// Every control keeps a pointer to its state in the first bytes of its
// window data; classes registered from a control's class information keep
// the same data size, so the state is found the same way.
constexpr int kStateBytes = static_cast<int>(sizeof(void*));

template <class T>
T* StateOf(HWND hwnd) {
  return reinterpret_cast<T*>(GetWindowLongPtrW(hwnd, 0));
}

template <class T>
void SetState(HWND hwnd, T* state) {
  SetWindowLongPtrW(hwnd, 0, reinterpret_cast<LONG_PTR>(state));
}

// Sends WM_NOTIFY to the control's parent with the header filled in.
LRESULT Notify(HWND from, UINT code, NMHDR* header);

// The font a control draws with: its own, else the default GUI font.
HFONT FontOr(HFONT font);
// The cell height (ascent plus descent) of a font.
int FontHeight(HFONT font);

// ---- the default look -----------------------------------------------------------
namespace look {
constexpr COLORREF kWindow = RGB(255, 255, 255);
constexpr COLORREF kText = RGB(31, 41, 51);
constexpr COLORREF kGrayText = RGB(160, 168, 179);
constexpr COLORREF kGrid = RGB(228, 232, 238);
constexpr COLORREF kSelection = RGB(207, 227, 248);
constexpr COLORREF kSelectionInactive = RGB(227, 233, 241);
constexpr COLORREF kFocusOutline = RGB(127, 176, 230);

constexpr COLORREF kHeaderFace = RGB(244, 246, 249);
constexpr COLORREF kHeaderHot = RGB(236, 240, 245);
constexpr COLORREF kHeaderPressed = RGB(226, 232, 240);
constexpr COLORREF kHeaderLine = RGB(213, 219, 227);
constexpr COLORREF kHeaderDivider = RGB(220, 225, 232);
constexpr COLORREF kHeaderText = RGB(60, 72, 88);

constexpr COLORREF kTrack = RGB(241, 243, 246);
constexpr COLORREF kThumb = RGB(195, 202, 211);
constexpr COLORREF kThumbHot = RGB(169, 178, 190);
constexpr COLORREF kThumbPressed = RGB(143, 154, 168);
constexpr COLORREF kArrow = RGB(122, 133, 148);
constexpr COLORREF kArrowHot = RGB(70, 84, 102);
constexpr COLORREF kArrowDisabled = RGB(200, 206, 214);
constexpr COLORREF kArrowPressedFace = RGB(226, 230, 236);

constexpr COLORREF kButtonFace = RGB(245, 247, 250);
constexpr COLORREF kButtonFaceHot = RGB(236, 242, 248);
constexpr COLORREF kButtonFacePressed = RGB(220, 230, 241);
constexpr COLORREF kButtonBorder = RGB(197, 205, 215);
constexpr COLORREF kButtonBorderHot = RGB(169, 184, 201);
constexpr COLORREF kButtonBorderPressed = RGB(143, 166, 191);
constexpr COLORREF kButtonBorderDefault = RGB(74, 139, 214);
constexpr COLORREF kButtonFaceDisabled = RGB(244, 245, 247);
constexpr COLORREF kButtonBorderDisabled = RGB(221, 225, 230);
constexpr COLORREF kCheckMark = RGB(255, 255, 255);
constexpr COLORREF kCheckFill = RGB(58, 125, 204);

constexpr COLORREF kTipFace = RGB(252, 252, 253);
constexpr COLORREF kTipBorder = RGB(191, 199, 209);
constexpr COLORREF kTipText = RGB(31, 41, 51);
}  // namespace look

// Anti-aliased shapes on a device context, in its logical coordinates.
// `border` CLR_NONE draws no outline, `fill` CLR_NONE no fill.
void RoundRect(HDC dc, const RECT& rect, double radius, COLORREF fill, COLORREF border);
void Ellipse(HDC dc, const RECT& rect, COLORREF fill, COLORREF border);
// A chevron pointing up, down, left or right (0..3), centred in `rect`.
void Chevron(HDC dc, const RECT& rect, int direction, COLORREF color);
// A check mark inside `rect`.
void CheckMark(HDC dc, const RECT& rect, COLORREF color);
void FillSolid(HDC dc, const RECT& rect, COLORREF color);
void HLine(HDC dc, int x1, int x2, int y, COLORREF color);
void VLine(HDC dc, int x, int y1, int y2, COLORREF color);

}  // namespace controls
}  // namespace platform
