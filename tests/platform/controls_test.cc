// The common controls on the headless backend: the list view's rows,
// selection, notifications, header and scrolling; the push button's click,
// reflection and owner drawing; the scroll bar's codes; the tooltip; and a
// picture of the device list as the main window shows it.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "platform/commctrl.h"
#include "platform/controls.h"
#include "platform/controls_internal.h"
#include "ui_fixture.h"

using namespace uitest;
namespace hl = platform::headless;

namespace {

// A parent that records the notifications and commands of its controls.
class CParent : public CWnd {
 public:
  struct Note {
    UINT code;
    int item;
  };
  std::vector<Note> notes;
  std::vector<int> commands;
  std::vector<std::pair<UINT, UINT>> scrolls;  // message, code

  std::vector<int> Codes(UINT code) const {
    std::vector<int> items;
    for (const Note& n : notes)
      if (n.code == code) items.push_back(n.item);
    return items;
  }

 protected:
  BOOL OnNotify(WPARAM, LPARAM lParam, LRESULT* result) override {
    auto* nm = reinterpret_cast<NMHDR*>(lParam);
    int item = -2;
    if (nm->code == NM_CLICK || nm->code == NM_DBLCLK || nm->code == NM_RCLICK)
      item = reinterpret_cast<NMITEMACTIVATE*>(lParam)->iItem;
    notes.push_back({nm->code, item});
    *result = 0;
    return FALSE;
  }
  BOOL OnCommand(WPARAM wParam, LPARAM) override {
    if (HIWORD(wParam) == BN_CLICKED) commands.push_back(LOWORD(wParam));
    return TRUE;
  }
  void OnVScroll(UINT code, UINT, CWnd*) override { scrolls.push_back({WM_VSCROLL, code}); }
  void OnHScroll(UINT code, UINT, CWnd*) override { scrolls.push_back({WM_HSCROLL, code}); }
};

class Controls : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    InitCommonControls();
    font = CreateFontW(-13, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma");
    Top(parent, 100, 100, 328, 245);
  }
  void TearDown() override {
    UiTest::TearDown();
    DeleteObject(font);
  }

  // The device list as the main window sets it up.
  void MakeList(CListCtrl& list, int rows = 0, DWORD style = LVS_REPORT) {
    ASSERT_TRUE(list.Create(WS_VISIBLE | WS_TABSTOP | style, RECT{10, 50, 318, 191}, &parent, 2105));
    list.SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    list.SetExtendedStyle(list.GetExtendedStyle() | 0x23);
    list.SetTextColor(RGB(6, 65, 105));
    list.InsertColumn(0, L"Host Name", LVCFMT_LEFT, 96);
    list.InsertColumn(1, L"IP Address", LVCFMT_CENTER, 122);
    list.InsertColumn(2, L"Device Type", LVCFMT_CENTER, 88);
    for (int i = rows - 1; i >= 0; --i) AddRow(list, i);
  }
  static void AddRow(CListCtrl& list, int i) {
    list.InsertItem(0, L"");
    list.SetItemText(0, 0, (L"NAS-" + std::to_wstring(i)).c_str());
    list.SetItemText(0, 1, (L"10.231.0." + std::to_wstring(10 + i)).c_str());
    list.SetItemText(0, 2, L"TravelNAS");
  }
  static std::vector<int> Selected(const CListCtrl& list) {
    std::vector<int> out;
    for (int i = list.GetNextItem(-1, LVNI_SELECTED); i >= 0; i = list.GetNextItem(i, LVNI_SELECTED)) out.push_back(i);
    return out;
  }
  // The centre of a row, in the list's client coordinates.
  static POINT RowPoint(const CListCtrl& list, int row, int x = 40) {
    RECT r;
    list.GetItemRect(row, &r, LVIR_BOUNDS);
    return POINT{x, (r.top + r.bottom) / 2};
  }
  static void ClickRow(const CListCtrl& list, int row, int x = 40) {
    POINT p = RowPoint(list, row, x);
    hl::Click(list.m_hWnd, p.x, p.y);
    hl::Pump();
  }

  CParent parent;
  HFONT font = nullptr;
};

// ---- list view -------------------------------------------------------------------------

TEST_F(Controls, RowsInsertedAtTheTopGoAboveAndSelectionStaysWithItsRow) {
  CListCtrl list;
  MakeList(list);
  for (const wchar_t* name : {L"D1", L"D2", L"D3"}) {
    ASSERT_EQ(list.InsertItem(0, L""), 0);
    ASSERT_TRUE(list.SetItemText(0, 0, name));
    list.SetItemText(0, 1, L"10.231.0.1");
  }
  EXPECT_EQ(list.GetItemCount(), 3);
  EXPECT_EQ(list.GetItemText(0, 0), L"D3");
  EXPECT_EQ(list.GetItemText(2, 0), L"D1");
  EXPECT_EQ(list.GetItemText(0, 1), L"10.231.0.1");
  EXPECT_EQ(list.GetItemText(0, 7), L"");  // a sub-item never set
  EXPECT_EQ(list.GetNextItem(-1, LVNI_SELECTED), -1);

  list.SetItemState(1, LVIS_SELECTED, LVIS_SELECTED);  // D2
  list.InsertItem(0, L"D4");
  EXPECT_EQ(list.GetItemText(2, 0), L"D2");
  EXPECT_EQ(Selected(list), std::vector<int>{2});
  EXPECT_EQ(list.GetItemState(2, LVIS_SELECTED), static_cast<UINT>(LVIS_SELECTED));

  // With several selected, the next-selected query from -1 gives the topmost.
  list.SetItemState(3, LVIS_SELECTED, LVIS_SELECTED);
  EXPECT_EQ(list.GetNextItem(-1, LVNI_SELECTED), 2);
  EXPECT_EQ(list.GetNextItem(2, LVNI_SELECTED), 3);
  EXPECT_EQ(list.GetNextItem(3, LVNI_SELECTED), -1);
  EXPECT_EQ(list.GetSelectedCount(), 2u);

  EXPECT_TRUE(list.DeleteItem(2));
  EXPECT_EQ(Selected(list), std::vector<int>{2});
  EXPECT_TRUE(list.DeleteAllItems());
  EXPECT_EQ(list.GetItemCount(), 0);
  EXPECT_EQ(list.GetNextItem(-1, LVNI_SELECTED), -1);
}

TEST_F(Controls, ClicksAndDoubleClicksNotifyTheParentAndSelect) {
  CListCtrl list;
  MakeList(list, 3);
  RECT last;
  list.GetItemRect(2, &last, LVIR_BOUNDS);
  int below = last.bottom + 10;

  ClickRow(list, 1);
  EXPECT_EQ(parent.Codes(NM_CLICK), std::vector<int>{1});
  EXPECT_EQ(Selected(list), std::vector<int>{1});
  EXPECT_EQ(GetFocus(), list.m_hWnd);

  hl::Click(list.m_hWnd, 40, below);
  hl::Pump();
  EXPECT_EQ(parent.Codes(NM_CLICK), (std::vector<int>{1, -1}));
  EXPECT_TRUE(Selected(list).empty());

  hl::AdvanceClock(1000);
  POINT p = RowPoint(list, 2);
  hl::DoubleClick(list.m_hWnd, p.x, p.y);
  hl::Pump();
  EXPECT_EQ(parent.Codes(NM_DBLCLK), std::vector<int>{2});
  EXPECT_EQ(Selected(list), std::vector<int>{2});

  hl::AdvanceClock(1000);
  hl::DoubleClick(list.m_hWnd, 40, below);
  hl::Pump();
  EXPECT_EQ(parent.Codes(NM_DBLCLK), (std::vector<int>{2, -1}));
  EXPECT_TRUE(Selected(list).empty());
  // Every press is also a click of its own.
  EXPECT_EQ(parent.Codes(NM_CLICK).size(), 4u);
}

TEST_F(Controls, CtrlTogglesAndShiftSelectsARangeFromTheAnchor) {
  CListCtrl list;
  MakeList(list, 6);
  ClickRow(list, 1);
  hl::KeyDown(VK_CONTROL);
  ClickRow(list, 3);
  EXPECT_EQ(Selected(list), (std::vector<int>{1, 3}));
  hl::KeyUp(VK_CONTROL);
  hl::KeyDown(VK_SHIFT);
  ClickRow(list, 5);  // from the anchor, the row clicked last
  EXPECT_EQ(Selected(list), (std::vector<int>{3, 4, 5}));
  ClickRow(list, 2);  // the anchor stays at 3
  EXPECT_EQ(Selected(list), (std::vector<int>{2, 3}));
  hl::KeyUp(VK_SHIFT);
  hl::KeyDown(VK_CONTROL);
  ClickRow(list, 3);  // toggled off
  hl::KeyUp(VK_CONTROL);
  EXPECT_EQ(Selected(list), std::vector<int>{2});
  hl::KeyDown(VK_CONTROL);
  ClickRow(list, 4);
  hl::KeyUp(VK_CONTROL);
  EXPECT_EQ(Selected(list), (std::vector<int>{2, 4}));
  // Ctrl on empty space keeps the selection; a plain click there clears it.
  RECT last;
  list.GetItemRect(5, &last, LVIR_BOUNDS);
  hl::KeyDown(VK_CONTROL);
  hl::Click(list.m_hWnd, 40, last.bottom + 5);
  hl::Pump();
  hl::KeyUp(VK_CONTROL);
  EXPECT_EQ(Selected(list), (std::vector<int>{2, 4}));
  // A single-selection list ignores both keys.
  list.DestroyWindow();
  CListCtrl single;
  ASSERT_TRUE(single.Create(WS_VISIBLE | LVS_REPORT | LVS_SINGLESEL, RECT{0, 0, 200, 100}, &parent, 7));
  single.SetExtendedStyle(LVS_EX_FULLROWSELECT);
  single.InsertColumn(0, L"A", LVCFMT_LEFT, 150);
  for (int i = 0; i < 3; ++i) single.InsertItem(i, L"x");
  ClickRow(single, 0);
  hl::KeyDown(VK_CONTROL);
  ClickRow(single, 2);
  hl::KeyUp(VK_CONTROL);
  EXPECT_EQ(Selected(single), std::vector<int>{2});
}

TEST_F(Controls, TheKeyboardMovesTheSelectionAndScrollsToIt) {
  CListCtrl list;
  MakeList(list, 20);
  ClickRow(list, 0);
  int page = list.GetCountPerPage();
  ASSERT_GT(page, 2);
  struct Step {
    UINT vk;
    bool shift;
    std::vector<int> selected;
  };
  std::vector<Step> steps = {
      {VK_DOWN, false, {1}},
      {VK_DOWN, true, {1, 2}},
      {VK_UP, false, {1}},
      {VK_END, false, {19}},
      {VK_HOME, false, {0}},
      {VK_NEXT, false, {page - 1}},   // to the last row shown
      {VK_NEXT, false, {2 * page - 2}},  // then a page on
      {VK_PRIOR, false, {page - 1}},
  };
  for (const Step& s : steps) {
    if (s.shift) hl::KeyDown(VK_SHIFT);
    hl::Key(s.vk);
    if (s.shift) hl::KeyUp(VK_SHIFT);
    hl::Pump();
    EXPECT_EQ(Selected(list), s.selected) << "key " << s.vk;
    int focus = list.GetNextItem(-1, LVNI_FOCUSED);
    EXPECT_GE(focus, list.GetTopIndex());
    EXPECT_LT(focus, list.GetTopIndex() + page);
  }
  hl::Key(VK_END);
  hl::Pump();
  EXPECT_EQ(list.GetTopIndex(), 20 - page);
  // Keyboard selection tells the parent through LVN_ITEMCHANGED, not NM_CLICK.
  EXPECT_EQ(parent.Codes(NM_CLICK).size(), 1u);
  EXPECT_FALSE(parent.Codes(LVN_ITEMCHANGED).empty());
}

TEST_F(Controls, HeaderItemsFollowTheColumnsAndAZeroWidthColumnIsEmpty) {
  CListCtrl list;
  MakeList(list, 2);
  CHeaderCtrl* header = list.GetHeaderCtrl();
  ASSERT_NE(header, nullptr);
  EXPECT_EQ(::GetParent(header->m_hWnd), list.m_hWnd);
  EXPECT_EQ(header->GetItemCount(), 3);
  EXPECT_EQ(header->GetItemText(1), L"IP Address");
  RECT client;
  header->GetClientRect(&client);
  std::vector<std::pair<int, int>> spans;
  for (int i = 0; i < 3; ++i) {
    RECT r;
    ASSERT_TRUE(header->GetItemRect(i, &r));
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(r.bottom, client.bottom);
    spans.push_back({r.left, r.right});
  }
  EXPECT_EQ(spans, (std::vector<std::pair<int, int>>{{0, 96}, {96, 218}, {218, 306}}));
  RECT none;
  EXPECT_FALSE(header->GetItemRect(3, &none));

  list.SetColumnWidth(1, 0);
  RECT zero, next;
  header->GetItemRect(1, &zero);
  header->GetItemRect(2, &next);
  EXPECT_EQ(zero.left, 96);
  EXPECT_EQ(zero.right, 96);
  EXPECT_EQ(next.left, 96);
  // Rows follow the columns too: the third cell now starts at 96.
  RECT cell;
  ASSERT_TRUE(list.GetSubItemRect(0, 2, LVIR_BOUNDS, cell));
  EXPECT_EQ(cell.left, 96);

  // Texts are cut to the caller's buffer.
  std::wstring longTitle(300, L'x');
  LVCOLUMNW c{};
  c.mask = LVCF_TEXT;
  c.pszText = &longTitle[0];
  list.SetColumn(0, &c);
  EXPECT_EQ(header->GetItemText(0, 256).size(), 256u);

  // A header change repaints the header.
  hl::Pump();
  RECT update;
  list.SetColumnWidth(0, 120);
  EXPECT_TRUE(::GetUpdateRect(header->m_hWnd, &update, FALSE));
}

// A header that takes nine tenths of the proposed height, as the skin's does.
class CScaledHeader : public CHeaderCtrl {
 public:
  int proposed = -1;
  int given = -1;
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message != HDM_LAYOUT) return CHeaderCtrl::WindowProc(message, wParam, lParam);
    LRESULT r = Default();
    auto* layout = reinterpret_cast<HDLAYOUT*>(lParam);
    proposed = layout->pwpos->cy;
    given = static_cast<int>(0.9f * static_cast<float>(proposed));
    layout->prc->top = layout->prc->top - proposed + given;
    layout->pwpos->cy = given;
    return r;
  }
};

TEST_F(Controls, TheHeaderLayoutProposesAHeightASubclassMayChange) {
  CListCtrl list;
  MakeList(list, 3);
  CHeaderCtrl* plain = list.GetHeaderCtrl();
  RECT before;
  plain->GetWindowRect(&before);
  int height = before.bottom - before.top;
  // Proposed from the font: a little taller than a line of text.
  int line = platform::controls::FontHeight(font);
  EXPECT_GT(height, line);
  EXPECT_LT(height, 2 * line);
  RECT row0;
  list.GetItemRect(0, &row0, LVIR_BOUNDS);
  EXPECT_EQ(row0.top, height);

  CScaledHeader scaled;
  ASSERT_TRUE(scaled.SubclassWindow(plain->m_hWnd));
  EXPECT_EQ(list.GetHeaderCtrl(), &scaled);
  list.SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);  // lays the list out again
  EXPECT_EQ(scaled.proposed, height);
  EXPECT_EQ(scaled.given, static_cast<int>(0.9f * height));
  RECT after;
  scaled.GetWindowRect(&after);
  EXPECT_EQ(after.bottom - after.top, scaled.given);
  list.GetItemRect(0, &row0, LVIR_BOUNDS);
  EXPECT_EQ(row0.top, scaled.given);
  hl::Click(list.m_hWnd, 40, scaled.given + 2);
  hl::Pump();
  EXPECT_EQ(Selected(list), std::vector<int>{0});
}

TEST_F(Controls, OverflowingRowsScrollWithTheWheelTheBarAndTheirMessages) {
  CListCtrl list;
  MakeList(list, 3);
  SCROLLINFO si{sizeof(SCROLLINFO), SIF_ALL, 0, 0, 0, 0, 0};
  HWND bar = platform::OwnScrollBar(list.m_hWnd, SB_VERT);
  ASSERT_NE(bar, nullptr);
  EXPECT_FALSE(IsWindowVisible(bar));
  EXPECT_FALSE(list.GetStyle() & WS_VSCROLL);
  for (int i = 3; i < 20; ++i) AddRow(list, i);
  EXPECT_TRUE(IsWindowVisible(bar));
  EXPECT_TRUE(list.GetStyle() & WS_VSCROLL);
  ASSERT_TRUE(GetScrollInfo(list.m_hWnd, SB_VERT, &si));
  int page = list.GetCountPerPage();
  EXPECT_EQ(si.nMin, 0);
  EXPECT_EQ(si.nMax, 19);
  EXPECT_EQ(static_cast<int>(si.nPage), page);
  // Rows and header make room for the bar.
  RECT barRect, headerRect, listRect;
  GetWindowRect(bar, &barRect);
  list.GetHeaderCtrl()->GetWindowRect(&headerRect);
  list.GetWindowRect(&listRect);
  EXPECT_EQ(barRect.right, listRect.right);
  EXPECT_EQ(headerRect.right, barRect.left);

  std::wstring topText = list.GetItemText(0, 0);
  hl::Wheel(list.m_hWnd, 40, 60, -120);
  hl::Pump();
  EXPECT_EQ(list.GetTopIndex(), 3);
  EXPECT_EQ(GetScrollPos(list.m_hWnd, SB_VERT), 3);
  RECT row3;
  list.GetItemRect(3, &row3, LVIR_BOUNDS);
  RECT h;
  list.GetHeaderCtrl()->GetClientRect(&h);
  EXPECT_EQ(row3.top, h.bottom);  // row 3 is the first shown
  // What the screen shows at the first row is row 3's text colour on white,
  // not row 0's selection.
  hl::Wheel(list.m_hWnd, 40, 60, 120);
  hl::Pump();
  EXPECT_EQ(list.GetTopIndex(), 0);

  // The bar's own arrow and track.
  RECT bc;
  GetClientRect(bar, &bc);
  hl::Click(bar, bc.right / 2, bc.bottom - 3);
  hl::Pump();
  EXPECT_EQ(list.GetTopIndex(), 1);
  hl::Click(bar, bc.right / 2, bc.bottom - bc.right - 3);
  hl::Pump();
  EXPECT_EQ(list.GetTopIndex(), std::min(1 + page, 20 - page));
  list.SendMessage(WM_VSCROLL, SB_BOTTOM, 0);
  EXPECT_EQ(list.GetTopIndex(), 20 - page);
  EXPECT_EQ(GetScrollPos(list.m_hWnd, SB_VERT), 20 - page);
  list.SendMessage(WM_VSCROLL, SB_LINEDOWN, 0);  // no further than the end
  EXPECT_EQ(list.GetTopIndex(), 20 - page);
  list.SendMessage(WM_VSCROLL, SB_TOP, 0);
  EXPECT_EQ(list.GetTopIndex(), 0);
  EXPECT_EQ(list.GetItemText(0, 0), topText);

  // Emptied, the bar goes again.
  list.DeleteAllItems();
  EXPECT_FALSE(IsWindowVisible(bar));
}

// A list that draws everything itself, with bars of its own: it removes the
// scroll-bar styles as the frame is calculated.
class COwnBarsList : public CListCtrl {
 protected:
  void OnNcCalcSize(BOOL calc, NCCALCSIZE_PARAMS* params) override {
    ModifyStyle(WS_VSCROLL | WS_HSCROLL, 0);
    CListCtrl::OnNcCalcSize(calc, params);
  }
};

TEST_F(Controls, AClassThatRemovesTheScrollStylesKeepsTheListsBarsHidden) {
  COwnBarsList list;
  MakeList(list, 20);
  HWND bar = platform::OwnScrollBar(list.m_hWnd, SB_VERT);
  EXPECT_FALSE(IsWindowVisible(bar));
  hl::Wheel(list.m_hWnd, 40, 60, -120);
  hl::Pump();
  EXPECT_EQ(list.GetTopIndex(), 0);
  // The list still keeps the rows and the selection.
  list.SetItemState(4, LVIS_SELECTED, LVIS_SELECTED);
  EXPECT_EQ(list.GetNextItem(-1, LVNI_SELECTED), 4);
}

class COwnerDrawnList : public CListCtrl {
 public:
  std::vector<std::pair<UINT, UINT>> drawn;  // row, state
  void DrawItem(LPDRAWITEMSTRUCT di) override { drawn.push_back({di->itemID, di->itemState}); }
};

TEST_F(Controls, AnOwnerDrawnListDrawsOnlyTheRowsShown) {
  COwnerDrawnList list;
  MakeList(list, 0, LVS_REPORT | LVS_OWNERDRAWFIXED);
  for (int i = 0; i < 1000; ++i) AddRow(list, i);
  list.SetItemState(1, LVIS_SELECTED, LVIS_SELECTED);
  hl::Pump();
  ASSERT_FALSE(list.drawn.empty());
  int page = list.GetCountPerPage();
  EXPECT_LE(list.drawn.size(), static_cast<size_t>(page + 1));
  EXPECT_EQ(list.drawn.front().first, 0u);
  auto row1 = std::find_if(list.drawn.begin(), list.drawn.end(), [](auto& d) { return d.first == 1; });
  ASSERT_NE(row1, list.drawn.end());
  EXPECT_TRUE(row1->second & ODS_SELECTED);
}

// ---- push button -----------------------------------------------------------------------

class COwnerButton : public CButton {
 public:
  std::vector<UINT> states;
  int taken = 0;
  bool takeClicks = false;
  void DrawItem(LPDRAWITEMSTRUCT di) override {
    states.push_back(di->itemState);
    EXPECT_EQ(di->CtlType, static_cast<UINT>(ODT_BUTTON));
    EXPECT_EQ(di->hwndItem, m_hWnd);
    EXPECT_EQ(di->rcItem.right, 80);
  }

 protected:
  void PreSubclassWindow() override {
    ModifyStyle(0, BS_OWNERDRAW);
    CButton::PreSubclassWindow();
  }
  BOOL OnClicked() override {
    ++taken;
    return takeClicks;
  }
};

TEST_F(Controls, AClickReachesTheParentOnlyWhenTheButtonDoesNotTakeIt) {
  CButton plain;
  ASSERT_TRUE(plain.Create(L"Refresh", WS_VISIBLE | BS_PUSHBUTTON, RECT{10, 200, 90, 223}, &parent, 2108));
  COwnerButton taker;
  taker.takeClicks = true;
  ASSERT_TRUE(taker.Create(L"Check", WS_VISIBLE, RECT{100, 200, 180, 223}, &parent, 2110));
  hl::Click(plain.m_hWnd, 5, 5);
  hl::Click(taker.m_hWnd, 5, 5);
  hl::Pump();
  EXPECT_EQ(parent.commands, std::vector<int>{2108});
  EXPECT_EQ(taker.taken, 1);
  // A press that ends outside is no click.
  hl::MouseDown(plain.m_hWnd, 5, 5);
  hl::MouseMove(plain.m_hWnd, 200, 5);
  hl::MouseUp(plain.m_hWnd, 200, 5);
  hl::Pump();
  EXPECT_EQ(parent.commands, std::vector<int>{2108});
  // The space key clicks the focused button; so does BM_CLICK.
  plain.SetFocus();
  hl::Key(VK_SPACE);
  hl::Pump();
  plain.Click();
  EXPECT_EQ(parent.commands, (std::vector<int>{2108, 2108, 2108}));
  // Disabled, it takes no click.
  plain.EnableWindow(FALSE);
  hl::Click(plain.m_hWnd, 5, 5);
  hl::Pump();
  EXPECT_EQ(parent.commands.size(), 3u);
}

TEST_F(Controls, AnOwnerDrawnButtonIsDrawnSelectedWhilePressedAndDisabledWhenDisabled) {
  COwnerButton button;
  ASSERT_TRUE(button.Create(L"Log In", WS_VISIBLE | BS_PUSHBUTTON, RECT{10, 200, 90, 223}, &parent, 2107));
  EXPECT_EQ(button.GetStyle() & BS_TYPEMASK, static_cast<DWORD>(BS_OWNERDRAW));
  hl::Pump();
  ASSERT_FALSE(button.states.empty());
  EXPECT_FALSE(button.states.back() & ODS_SELECTED);
  hl::MouseDown(button.m_hWnd, 10, 10);
  hl::Pump();
  EXPECT_TRUE(button.states.back() & ODS_SELECTED);
  hl::MouseMove(button.m_hWnd, 200, 10);  // out: drawn up again
  hl::Pump();
  EXPECT_FALSE(button.states.back() & ODS_SELECTED);
  hl::MouseMove(button.m_hWnd, 10, 10);
  hl::Pump();
  EXPECT_TRUE(button.states.back() & ODS_SELECTED);
  hl::MouseUp(button.m_hWnd, 10, 10);
  hl::Pump();
  EXPECT_FALSE(button.states.back() & ODS_SELECTED);
  EXPECT_EQ(parent.commands, std::vector<int>{2107});
  button.EnableWindow(FALSE);
  hl::Pump();
  EXPECT_TRUE(button.states.back() & ODS_DISABLED);
  button.EnableWindow(TRUE);
  hl::Pump();
  EXPECT_FALSE(button.states.back() & ODS_DISABLED);
}

TEST_F(Controls, ButtonCheckStateHandCursorClassAndGroups) {
  CButton check;
  ASSERT_TRUE(check.Create(L"Auto", WS_VISIBLE | BS_AUTOCHECKBOX, RECT{10, 10, 100, 30}, &parent, 1));
  EXPECT_EQ(check.GetCheck(), BST_UNCHECKED);
  check.SetCheck(BST_CHECKED);
  EXPECT_EQ(check.GetCheck(), BST_CHECKED);
  hl::Click(check.m_hWnd, 3, 3);
  hl::Pump();
  EXPECT_EQ(check.GetCheck(), BST_UNCHECKED);

  // A class made from the button's class information with the hand cursor.
  WNDCLASSW wc{};
  ASSERT_TRUE(GetClassInfoW(nullptr, L"button", &wc));
  wc.lpszClassName = L"TestHandButton";
  wc.hCursor = LoadCursorW(nullptr, IDC_HAND);
  ASSERT_TRUE(AfxRegisterClass(&wc));
  CButton hand;
  ASSERT_TRUE(hand.CWnd::Create(L"TestHandButton", L"Go", WS_VISIBLE | BS_PUSHBUTTON, RECT{10, 40, 100, 60}, &parent, 2));
  hl::MouseMove(hand.m_hWnd, 5, 5);
  hl::Pump();
  EXPECT_EQ(hl::StateOf(parent.m_hWnd).cursor, 1);
  hl::Click(hand.m_hWnd, 5, 5);
  hl::Pump();
  EXPECT_EQ(parent.commands, (std::vector<int>{1, 2}));

  // Groups run from a WS_GROUP control to the next one.
  CButton r1, r2, r3, other;
  r1.Create(L"1", WS_VISIBLE | WS_GROUP | BS_AUTORADIOBUTTON, RECT{10, 70, 60, 90}, &parent, 11);
  r2.Create(L"2", WS_VISIBLE | BS_AUTORADIOBUTTON, RECT{60, 70, 110, 90}, &parent, 12);
  r3.Create(L"3", WS_VISIBLE | BS_AUTORADIOBUTTON, RECT{110, 70, 160, 90}, &parent, 13);
  other.Create(L"x", WS_VISIBLE | WS_GROUP | BS_PUSHBUTTON, RECT{160, 70, 210, 90}, &parent, 14);
  EXPECT_EQ(GetNextDlgGroupItem(parent.m_hWnd, r1.m_hWnd, FALSE), r2.m_hWnd);
  EXPECT_EQ(GetNextDlgGroupItem(parent.m_hWnd, r3.m_hWnd, FALSE), r1.m_hWnd);
  EXPECT_EQ(GetNextDlgGroupItem(parent.m_hWnd, r1.m_hWnd, TRUE), r3.m_hWnd);
  EXPECT_EQ(GetNextDlgGroupItem(parent.m_hWnd, other.m_hWnd, FALSE), other.m_hWnd);  // alone
  r2.ShowWindow(SW_HIDE);
  EXPECT_EQ(GetNextDlgGroupItem(parent.m_hWnd, r1.m_hWnd, FALSE), r3.m_hWnd);
  r2.ShowWindow(SW_SHOW);
  hl::Click(r1.m_hWnd, 3, 3);
  hl::Click(r3.m_hWnd, 3, 3);
  hl::Pump();
  EXPECT_EQ(r1.GetCheck(), BST_UNCHECKED);
  EXPECT_EQ(r3.GetCheck(), BST_CHECKED);
}

// ---- scroll bar ------------------------------------------------------------------------

TEST_F(Controls, TheScrollBarSendsLinePageThumbTopAndBottomCodes) {
  CScrollBar bar;
  ASSERT_TRUE(bar.Create(WS_VISIBLE | SBS_VERT, RECT{300, 10, 316, 210}, &parent, 1001));
  SCROLLINFO si{sizeof(SCROLLINFO), SIF_RANGE | SIF_PAGE | SIF_POS, 0, 99, 20, 500, 0};
  bar.SetScrollInfo(&si);
  EXPECT_EQ(bar.GetScrollPos(), 80);  // the position stops at max - page + 1
  EXPECT_EQ(bar.GetScrollLimit(), 80);
  bar.SetScrollPos(0);
  using Codes = std::vector<std::pair<UINT, UINT>>;
  hl::Click(bar.m_hWnd, 8, 195);  // the lower arrow
  hl::Pump();
  EXPECT_EQ(parent.scrolls, (Codes{{WM_VSCROLL, SB_LINEDOWN}, {WM_VSCROLL, SB_ENDSCROLL}}));
  parent.scrolls.clear();
  hl::Click(bar.m_hWnd, 8, 150);  // the track below the thumb
  hl::Pump();
  EXPECT_EQ(parent.scrolls, (Codes{{WM_VSCROLL, SB_PAGEDOWN}, {WM_VSCROLL, SB_ENDSCROLL}}));
  // Held on the arrow, it repeats.
  parent.scrolls.clear();
  hl::MouseDown(bar.m_hWnd, 8, 5);
  hl::Pump();
  hl::AdvanceClock(400);
  hl::Pump();
  for (int i = 0; i < 3; ++i) {
    hl::AdvanceClock(60);
    hl::Pump();
  }
  hl::MouseUp(bar.m_hWnd, 8, 5);
  hl::Pump();
  EXPECT_GE(std::count(parent.scrolls.begin(), parent.scrolls.end(), std::make_pair(UINT(WM_VSCROLL), UINT(SB_LINEUP))), 3);
  // Dragging the thumb tracks and ends with the position.
  parent.scrolls.clear();
  hl::MouseDown(bar.m_hWnd, 8, 30);
  hl::MouseMove(bar.m_hWnd, 8, 80);
  hl::Pump();
  SCROLLINFO track{sizeof(SCROLLINFO), SIF_TRACKPOS | SIF_POS, 0, 0, 0, 0, 0};
  bar.GetScrollInfo(&track, SIF_TRACKPOS | SIF_POS);
  EXPECT_GT(track.nTrackPos, 0);
  EXPECT_EQ(track.nPos, 0);  // the owner moves the bar, not the bar itself
  hl::MouseMove(bar.m_hWnd, 8, 400);
  hl::MouseUp(bar.m_hWnd, 8, 400);
  hl::Pump();
  ASSERT_GE(parent.scrolls.size(), 3u);
  EXPECT_EQ(parent.scrolls.front().second, static_cast<UINT>(SB_THUMBTRACK));
  EXPECT_EQ(parent.scrolls[parent.scrolls.size() - 2].second, static_cast<UINT>(SB_THUMBPOSITION));
  EXPECT_EQ(parent.scrolls.back().second, static_cast<UINT>(SB_ENDSCROLL));
  // Keys give top and bottom; a horizontal bar talks in WM_HSCROLL.
  parent.scrolls.clear();
  bar.SetFocus();
  hl::Key(VK_HOME);
  hl::Key(VK_END);
  hl::Pump();
  EXPECT_EQ(parent.scrolls, (Codes{{WM_VSCROLL, SB_TOP}, {WM_VSCROLL, SB_ENDSCROLL}, {WM_VSCROLL, SB_BOTTOM},
                                   {WM_VSCROLL, SB_ENDSCROLL}}));
  CScrollBar across;
  ASSERT_TRUE(across.Create(WS_VISIBLE | SBS_HORZ, RECT{10, 220, 210, 236}, &parent, 1002));
  across.SetScrollRange(0, 10);
  parent.scrolls.clear();
  hl::Click(across.m_hWnd, 195, 8);
  hl::Pump();
  EXPECT_EQ(parent.scrolls.front(), std::make_pair(UINT(WM_HSCROLL), UINT(SB_LINERIGHT)));
}

// ---- tooltip -----------------------------------------------------------------------------

TEST_F(Controls, ATooltipShowsItsTextNearTheMouseAfterTheHoverTimeAndHidesOnLeave) {
  CButton drift;
  ASSERT_TRUE(drift.Create(L"?", WS_VISIBLE | BS_PUSHBUTTON, RECT{20, 20, 60, 40}, &parent, 2120));
  HWND tip = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                             CW_USEDEFAULT, drift.m_hWnd, nullptr, nullptr, nullptr);
  ASSERT_NE(tip, nullptr);
  SendMessageW(tip, TTM_ACTIVATE, TRUE, 0);
  TOOLINFOW ti{};
  ti.cbSize = sizeof(ti);
  ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  ti.hwnd = drift.m_hWnd;
  ti.uId = reinterpret_cast<UINT_PTR>(drift.m_hWnd);
  std::wstring text = L"Search the network again";
  ti.lpszText = &text[0];
  ASSERT_TRUE(SendMessageW(tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti)));
  EXPECT_EQ(SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0), 1);
  EXPECT_FALSE(IsWindowVisible(tip));

  hl::MouseMove(drift.m_hWnd, 10, 10);
  hl::Pump();
  hl::AdvanceClock(300);
  hl::Pump();
  EXPECT_FALSE(IsWindowVisible(tip));
  hl::AdvanceClock(300);
  hl::Pump();
  ASSERT_TRUE(IsWindowVisible(tip));
  POINT cursor;
  GetCursorPos(&cursor);
  RECT r;
  GetWindowRect(tip, &r);
  EXPECT_GE(r.top, cursor.y);
  EXPECT_LE(r.top, cursor.y + 32);
  EXPECT_NEAR(r.left, cursor.x, 2);
  wchar_t got[80] = {};
  ti.lpszText = got;
  SendMessageW(tip, TTM_GETTEXTW, 80, reinterpret_cast<LPARAM>(&ti));
  EXPECT_EQ(std::wstring(got), text);
  // The button works as before under the tooltip's watch.
  hl::Click(drift.m_hWnd, 10, 10);
  hl::Pump();
  EXPECT_EQ(parent.commands, std::vector<int>{2120});
  EXPECT_FALSE(IsWindowVisible(tip));  // a press hides it

  hl::MouseMove(drift.m_hWnd, 12, 10);
  hl::Pump();
  hl::AdvanceClock(600);
  hl::Pump();
  EXPECT_TRUE(IsWindowVisible(tip));
  hl::MouseMove(parent.m_hWnd, 200, 150);  // off the tool
  hl::Pump();
  EXPECT_FALSE(IsWindowVisible(tip));

  // Inactive, it shows nothing.
  SendMessageW(tip, TTM_ACTIVATE, FALSE, 0);
  hl::MouseMove(drift.m_hWnd, 10, 10);
  hl::Pump();
  hl::AdvanceClock(600);
  hl::Pump();
  EXPECT_FALSE(IsWindowVisible(tip));
  // The tool window outlives the tooltip, and the other way round.
  DestroyWindow(tip);
  hl::Click(drift.m_hWnd, 10, 10);
  hl::Pump();
  EXPECT_EQ(parent.commands.size(), 2u);
}

// ---- the picture -------------------------------------------------------------------------

// The border the skin draws around the device list: one pixel inside the
// window, in the layout's border colour.
class CBorderedList : public CListCtrl {
 protected:
  void OnNcCalcSize(BOOL calc, NCCALCSIZE_PARAMS* params) override {
    InflateRect(&params->rgrc[0], -1, -1);
    CListCtrl::OnNcCalcSize(calc, params);
  }
  void OnNcPaint() override {
    HDC dc = ::GetWindowDC(m_hWnd);
    RECT r;
    GetWindowRect(&r);
    OffsetRect(&r, -r.left, -r.top);
    HBRUSH b = CreateSolidBrush(RGB(126, 157, 185));
    FrameRect(dc, &r, b);
    DeleteObject(b);
    ::ReleaseDC(m_hWnd, dc);
  }
};

class CDialogFace : public CParent {
 protected:
  BOOL OnEraseBkgnd(CDC* dc) override {
    RECT r;
    GetClientRect(&r);
    dc->FillSolidRect(&r, RGB(232, 238, 245));
    return TRUE;
  }
};

TEST_F(Controls, PictureOfTheDeviceListWithTwentyRows) {
  CDialogFace face;
  Top(face, 400, 100, 328, 245);
  CBorderedList list;
  ASSERT_TRUE(list.Create(WS_VISIBLE | LVS_REPORT, RECT{10, 50, 318, 191}, &face, 2105));
  list.SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  list.SetExtendedStyle(list.GetExtendedStyle() | 0x23);
  list.SetTextColor(RGB(6, 65, 105));
  // Narrower than the main window's 96, 122 and 88, so that the columns fit
  // beside the vertical bar and no horizontal bar is needed.
  list.InsertColumn(0, L"Host Name", LVCFMT_LEFT, 90);
  list.InsertColumn(1, L"IP Address", LVCFMT_CENTER, 118);
  list.InsertColumn(2, L"Device Type", LVCFMT_CENTER, 82);
  const wchar_t* types[] = {L"TravelNAS", L"PocketDisk", L"AirStore"};
  for (int i = 19; i >= 0; --i) {
    list.InsertItem(0, L"");
    list.SetItemText(0, 0, (L"nas-" + std::wstring(i % 2 ? L"office-" : L"travel-") + std::to_wstring(i + 1)).c_str());
    list.SetItemText(0, 1, (L"192.168.8." + std::to_wstring(20 + i * 7)).c_str());
    list.SetItemText(0, 2, types[i % 3]);
  }
  list.SetFocus();
  list.SetItemState(1, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  list.SetItemState(3, LVIS_SELECTED, LVIS_SELECTED);
  list.SetItemState(4, LVIS_SELECTED, LVIS_SELECTED);
  hl::Pump();
  std::string path = std::string(LANSCOUT_BINARY_DIR) + "/tests/platform/listview.png";
  ASSERT_TRUE(hl::SavePng(face.m_hWnd, path));
  // The pixels the look promises: the border, the selection, the grid, the bar.
  EXPECT_EQ(hl::ScreenPixel(face.m_hWnd, 10, 120), RGB(126, 157, 185));
  RECT row1;
  list.GetItemRect(1, &row1, LVIR_BOUNDS);
  EXPECT_EQ(hl::ScreenPixel(list.m_hWnd, 3, row1.top + 2), platform::controls::look::kSelection);
  EXPECT_EQ(hl::ScreenPixel(list.m_hWnd, 40, row1.bottom - 1), platform::controls::look::kGrid);
  HWND bar = platform::OwnScrollBar(list.m_hWnd, SB_VERT);
  ASSERT_TRUE(IsWindowVisible(bar));
  RECT bc;
  GetClientRect(bar, &bc);
  EXPECT_EQ(hl::ScreenPixel(bar, bc.right - 2, bc.bottom / 2), platform::controls::look::kTrack);
}

}  // namespace
