#include <algorithm>
#include <random>

#include "platform/rtl/SysUtils.h"
#include "platform/user/ComboBox.h"
#include "platform/user/Edit.h"  // RegisterSystemControlClasses
#include "tests/platform/user/UserTestSupport.h"

namespace t_combo_box_test {

using namespace vcl;
using namespace usertest;

namespace {

void Drain(int limit = 2000) {
  MSG m;
  for (int n = 0; n < limit && PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE); ++n) {
    TranslateMessage(&m);
    DispatchMessageW(&m);
  }
}

struct Drawn {
  UINT Item, State;
  HWND Item2;
};

class Platform_ComboBox : public InputServerTest {
 protected:
  void SetUp() override {
    InputServerTest::SetUp();
    RegisterSystemControlClasses();
    Parent = MakeTop(100, 100, 500, 400);
    SetActiveWindow(Parent);
    SetHandler(Parent, [this](HWND, UINT msg, WPARAM, LPARAM lp, bool& handled) -> LRESULT {
      handled = false;
      if (msg == WM_MEASUREITEM) {
        auto* mi = reinterpret_cast<MEASUREITEMSTRUCT*>(lp);
        EXPECT_EQ(mi->CtlType, ODT_COMBOBOX);
        Measured.push_back(mi->itemID);
        mi->itemHeight = int(mi->itemID) < 0 ? 22 : 18 + mi->itemID;
        handled = true;
        return 1;
      }
      if (msg == WM_DRAWITEM) {
        auto* di = reinterpret_cast<DRAWITEMSTRUCT*>(lp);
        EXPECT_EQ(di->CtlType, ODT_COMBOBOX);
        Draws.push_back({di->itemID, di->itemState, di->hwndItem});
        handled = true;
        return 1;
      }
      return 0;
    });
  }
  HWND Make(DWORD style, int h = 24) {
    HWND c = CreateWindowExW(0, WC_COMBOBOX, u"", WS_CHILD | WS_VISIBLE | WS_VSCROLL | style, 20, 20, 160, h,
                             Parent, reinterpret_cast<HMENU>(intptr_t(7)), nullptr, nullptr);
    SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), 0);
    return c;
  }
  void Add(HWND c, std::initializer_list<const char16_t*> items) {
    for (auto s : items) SendMessageW(c, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s));
  }
  std::vector<UINT> Codes(HWND c) {
    std::lock_guard<std::mutex> lk(LogLock());
    std::vector<UINT> r;
    for (auto& e : Log())
      if (e.Hwnd == Parent && e.Msg == WM_COMMAND && reinterpret_cast<HWND>(e.LParam) == c) {
        UINT code = HIWORD(e.WParam);
        if (code != CBN_SETFOCUS && code != CBN_KILLFOCUS && code != CBN_EDITUPDATE && code != CBN_EDITCHANGE)
          r.push_back(code);
      }
    return r;
  }
  static POINT Screen(HWND h, int x, int y) {
    POINT p{x, y};
    ClientToScreen(h, &p);
    return p;
  }
  void Click(POINT p) {
    InputMouseMove(p.X, p.Y);
    InputMouseDown(VK_LBUTTON);
    InputMouseUp(VK_LBUTTON);
    Drain();
  }
  void Key(int vk) {
    InputKeyDown(vk);
    InputKeyUp(vk);
    Drain();
  }
  // The middle of item i of the dropped list.
  POINT ItemPoint(HWND c, int i) {
    COMBOBOXINFO ci;
    EXPECT_TRUE(GetComboBoxInfo(c, &ci));
    RECT lr;
    GetWindowRect(ci.hwndList, &lr);
    int h = int(SendMessageW(c, CB_GETITEMHEIGHT, 0, 0));
    return POINT{lr.Left + 10, lr.Top + 1 + h * i + h / 2};
  }
  String Text(HWND c) { return GetWindowText(c); }
  HWND Parent = nullptr;
  std::vector<UINT> Measured;
  std::vector<Drawn> Draws;
};

TEST_F(Platform_ComboBox, StylesMakeTheirPartsAndAnswerTheInfo) {
  HWND down = Make(CBS_DROPDOWN);
  HWND list = Make(CBS_DROPDOWNLIST);
  HWND simple = Make(CBS_SIMPLE, 120);
  COMBOBOXINFO ci;
  ASSERT_TRUE(GetComboBoxInfo(down, &ci));
  ASSERT_NE(ci.hwndItem, nullptr);
  EXPECT_EQ(GetDlgCtrlID(ci.hwndItem), ComboEditId);
  EXPECT_EQ(GetParent(ci.hwndItem), down);
  Char cls[16];
  GetClassNameW(ci.hwndList, cls, 16);
  EXPECT_EQ(String(cls), u"ComboLBox");
  EXPECT_FALSE(IsWindowVisible(ci.hwndList));
  EXPECT_GT(ci.rcButton.Right - ci.rcButton.Left, 0);
  ASSERT_TRUE(GetComboBoxInfo(list, &ci));
  EXPECT_EQ(ci.hwndItem, nullptr);
  ASSERT_TRUE(GetComboBoxInfo(simple, &ci));
  EXPECT_TRUE(IsWindowVisible(ci.hwndList));
  EXPECT_EQ(GetParent(ci.hwndList), simple);
  EXPECT_EQ(ci.stateButton, STATE_SYSTEM_INVISIBLE);
  COMBOBOXINFO bad;
  bad.cbSize = 4;
  EXPECT_FALSE(GetComboBoxInfo(down, &bad));
  EXPECT_FALSE(GetComboBoxInfo(Parent, &ci));
}

TEST_F(Platform_ComboBox, ItemsSortFindAndRefuseIndexesOutside) {
  HWND c = Make(CBS_DROPDOWNLIST | CBS_SORT);
  Add(c, {u"pear", u"Apple", u"banana"});
  EXPECT_EQ(SendMessageW(c, CB_GETCOUNT, 0, 0), 3);
  Char buf[32] = {u'x', u'y', 0};
  EXPECT_EQ(SendMessageW(c, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(buf)), 5);
  EXPECT_EQ(String(buf), u"Apple");
  // Outside the list: CB_ERR, and nothing written.
  Char untouched[4] = {u'k', u'e', u'e', 0};
  EXPECT_EQ(SendMessageW(c, CB_GETLBTEXT, 3, reinterpret_cast<LPARAM>(untouched)), CB_ERR);
  EXPECT_EQ(SendMessageW(c, CB_GETLBTEXT, WPARAM(-1), reinterpret_cast<LPARAM>(untouched)), CB_ERR);
  EXPECT_EQ(String(untouched), u"kee");
  EXPECT_EQ(SendMessageW(c, CB_GETLBTEXTLEN, 7, 0), CB_ERR);
  EXPECT_EQ(SendMessageW(c, CB_GETITEMDATA, 3, 0), CB_ERR);
  EXPECT_EQ(SendMessageW(c, CB_SETITEMDATA, 1, 77), CB_OKAY);
  EXPECT_EQ(SendMessageW(c, CB_GETITEMDATA, 1, 0), 77);
  EXPECT_EQ(SendMessageW(c, CB_FINDSTRING, WPARAM(-1), reinterpret_cast<LPARAM>(u"BAN")), 1);
  EXPECT_EQ(SendMessageW(c, CB_FINDSTRINGEXACT, WPARAM(-1), reinterpret_cast<LPARAM>(u"ban")), CB_ERR);
  // The search starts after the given item and wraps.
  EXPECT_EQ(SendMessageW(c, CB_FINDSTRING, 2, reinterpret_cast<LPARAM>(u"a")), 0);
  EXPECT_EQ(SendMessageW(c, CB_SELECTSTRING, WPARAM(-1), reinterpret_cast<LPARAM>(u"p")), 2);
  EXPECT_EQ(Text(c), u"pear");
  EXPECT_EQ(SendMessageW(c, CB_DELETESTRING, 2, 0), 2);
  EXPECT_EQ(SendMessageW(c, CB_GETCURSEL, 0, 0), CB_ERR);
  EXPECT_EQ(SendMessageW(c, CB_DELETESTRING, 5, 0), CB_ERR);
  EXPECT_EQ(SendMessageW(c, CB_INSERTSTRING, 9, reinterpret_cast<LPARAM>(u"x")), CB_ERR);
  EXPECT_EQ(SendMessageW(c, CB_INSERTSTRING, 0, reinterpret_cast<LPARAM>(u"zz")), 0);  // no sorting
  // CB_SETCURSEL is silent.
  ClearLog();
  EXPECT_EQ(SendMessageW(c, CB_SETCURSEL, 1, 0), 1);
  EXPECT_EQ(Text(c), u"Apple");
  EXPECT_EQ(SendMessageW(c, CB_SETCURSEL, 9, 0), CB_ERR);
  EXPECT_EQ(SendMessageW(c, CB_GETCURSEL, 0, 0), CB_ERR);
  EXPECT_TRUE(Codes(c).empty());
}

TEST_F(Platform_ComboBox, ClickDropsAndAClickOnAnItemPicksIt) {
  HWND c = Make(CBS_DROPDOWNLIST);
  Add(c, {u"one", u"two", u"three"});
  ClearLog();
  Click(Screen(c, 150, 10));
  EXPECT_EQ(SendMessageW(c, CB_GETDROPPEDSTATE, 0, 0), 1);
  EXPECT_EQ(GetCapture(), c);
  COMBOBOXINFO ci;
  GetComboBoxInfo(c, &ci);
  EXPECT_TRUE(IsWindowVisible(ci.hwndList));
  // Below the control.
  RECT lr, cr;
  GetWindowRect(ci.hwndList, &lr);
  GetWindowRect(c, &cr);
  EXPECT_EQ(lr.Top, cr.Bottom);
  EXPECT_EQ(Codes(c), std::vector<UINT>{CBN_DROPDOWN});
  ClearLog();
  Click(ItemPoint(c, 2));
  EXPECT_EQ(Codes(c), (std::vector<UINT>{CBN_SELCHANGE, CBN_SELENDOK, CBN_CLOSEUP}));
  EXPECT_EQ(SendMessageW(c, CB_GETCURSEL, 0, 0), 2);
  EXPECT_EQ(Text(c), u"three");
  EXPECT_FALSE(IsWindowVisible(ci.hwndList));
  EXPECT_NE(GetCapture(), c);
}

TEST_F(Platform_ComboBox, EscapeAndAClickOutsideCancel) {
  HWND c = Make(CBS_DROPDOWN);
  Add(c, {u"one", u"two", u"three"});
  SendMessageW(c, CB_SETCURSEL, 0, 0);
  COMBOBOXINFO ci;
  GetComboBoxInfo(c, &ci);
  SetFocus(ci.hwndItem);
  // F4 on the edit drops; the arrows move in the list; Escape keeps the old item.
  ClearLog();
  Key(0x73);
  EXPECT_EQ(SendMessageW(c, CB_GETDROPPEDSTATE, 0, 0), 1);
  Key(VK_DOWN);
  Key(VK_ESCAPE);
  EXPECT_EQ(Codes(c), (std::vector<UINT>{CBN_DROPDOWN, CBN_SELENDCANCEL, CBN_CLOSEUP}));
  EXPECT_EQ(SendMessageW(c, CB_GETCURSEL, 0, 0), 0);
  EXPECT_EQ(Text(c), u"one");
  // Alt+Down drops, Enter picks what the arrows reached.
  ClearLog();
  InputKeyDown(VK_MENU);
  Key(VK_DOWN);
  InputKeyUp(VK_MENU);
  Drain();
  Key(VK_DOWN);
  Key(VK_RETURN);
  EXPECT_EQ(Codes(c), (std::vector<UINT>{CBN_DROPDOWN, CBN_SELCHANGE, CBN_SELENDOK, CBN_CLOSEUP}));
  EXPECT_EQ(Text(c), u"two");
  // A click anywhere else closes without picking.
  ClearLog();
  Click(Screen(c, 150, 10));
  EXPECT_EQ(SendMessageW(c, CB_GETDROPPEDSTATE, 0, 0), 1);
  Click(Screen(Parent, 400, 300));
  EXPECT_EQ(Codes(c), (std::vector<UINT>{CBN_DROPDOWN, CBN_SELENDCANCEL, CBN_CLOSEUP}));
  EXPECT_EQ(SendMessageW(c, CB_GETDROPPEDSTATE, 0, 0), 0);
  EXPECT_EQ(Text(c), u"two");
}

TEST_F(Platform_ComboBox, ClosedArrowsAndLettersChangeTheSelection) {
  HWND c = Make(CBS_DROPDOWNLIST);
  Add(c, {u"alpha", u"beta", u"bravo", u"charlie"});
  SetFocus(c);
  ClearLog();
  Key(VK_DOWN);
  Key(VK_DOWN);
  EXPECT_EQ(SendMessageW(c, CB_GETCURSEL, 0, 0), 1);
  Key(VK_END);
  Key(VK_DOWN);  // already at the end: nothing
  EXPECT_EQ(Codes(c), (std::vector<UINT>{CBN_SELCHANGE, CBN_SELCHANGE, CBN_SELCHANGE}));
  EXPECT_EQ(Text(c), u"charlie");
  // Type-ahead: b, then b again steps on; "br" within the pause finds bravo.
  SendMessageW(c, WM_CHAR, u'b', 0);
  EXPECT_EQ(SendMessageW(c, CB_GETCURSEL, 0, 0), 1);
  SendMessageW(c, WM_CHAR, u'b', 0);
  EXPECT_EQ(SendMessageW(c, CB_GETCURSEL, 0, 0), 2);
  Sleep(600);
  SendMessageW(c, WM_CHAR, u'a', 0);
  EXPECT_EQ(Text(c), u"alpha");
  SendMessageW(c, WM_CHAR, u'l', 0);
  EXPECT_EQ(Text(c), u"alpha");
}

TEST_F(Platform_ComboBox, TheListOpensAboveWithoutRoomBelow) {
  MONITORINFO mi;
  GetMonitorInfoW(MonitorFromWindow(Parent, MONITOR_DEFAULTTONEAREST), &mi);
  SetWindowPos(Parent, nullptr, 100, mi.rcWork.Bottom - 80, 500, 80, SWP_NOZORDER);
  HWND c = Make(CBS_DROPDOWNLIST);
  Add(c, {u"1", u"2", u"3", u"4", u"5", u"6"});
  SendMessageW(c, CB_SHOWDROPDOWN, 1, 0);
  COMBOBOXINFO ci;
  GetComboBoxInfo(c, &ci);
  RECT lr, cr;
  GetWindowRect(ci.hwndList, &lr);
  GetWindowRect(c, &cr);
  EXPECT_EQ(lr.Bottom, cr.Top);
  SendMessageW(c, CB_SHOWDROPDOWN, 0, 0);
}

TEST_F(Platform_ComboBox, OwnerDrawnItemsAndTheSelectionField) {
  HWND c = Make(CBS_DROPDOWNLIST | CBS_OWNERDRAWVARIABLE | CBS_HASSTRINGS);
  Add(c, {u"a", u"b", u"c"});
  // The field first, then each item as it comes.
  EXPECT_EQ(Measured, (std::vector<UINT>{UINT(-1), 0, 1, 2}));
  EXPECT_EQ(SendMessageW(c, CB_GETITEMHEIGHT, 2, 0), 20);
  EXPECT_EQ(SendMessageW(c, CB_GETITEMHEIGHT, WPARAM(-1), 0), 22);
  SendMessageW(c, CB_SETCURSEL, 1, 0);
  SetFocus(c);
  Draws.clear();
  UpdateWindow(c);
  ASSERT_FALSE(Draws.empty());
  EXPECT_EQ(Draws.back().Item, 1u);
  EXPECT_TRUE(Draws.back().State & ODS_COMBOBOXEDIT);
  EXPECT_TRUE(Draws.back().State & ODS_SELECTED);
  EXPECT_EQ(Draws.back().Item2, c);
  SendMessageW(c, CB_SHOWDROPDOWN, 1, 0);
  COMBOBOXINFO ci;
  GetComboBoxInfo(c, &ci);
  Draws.clear();
  InvalidateRect(ci.hwndList, nullptr, true);
  UpdateWindow(ci.hwndList);
  ASSERT_EQ(Draws.size(), 3u);
  for (auto& d : Draws) EXPECT_FALSE(d.State & ODS_COMBOBOXEDIT);
  EXPECT_TRUE(Draws[1].State & ODS_SELECTED);
  SendMessageW(c, CB_SHOWDROPDOWN, 0, 0);
}

// Random edits of the item list against a plain model: texts, order (sorted
// or not), data and the selection must follow every insertion and deletion.
TEST_F(Platform_ComboBox, ItemBookkeepingFollowsAModel) {
  std::mt19937 rng(20261210);
  for (DWORD sorted : {DWORD(0), DWORD(CBS_SORT)}) {
    HWND c = Make(CBS_DROPDOWN | sorted);
    struct M {
      String Text;
      LRESULT Data;
    };
    std::vector<M> model;
    int sel = -1;
    for (int step = 0; step < 400; ++step) {
      int op = int(rng() % 5);
      String text;
      for (int k = 0, n = 1 + int(rng() % 3); k < n; ++k) text.push_back(Char(u'a' + rng() % 4));
      if (op <= 1) {  // add
        LRESULT at = SendMessageW(c, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
        size_t want = model.size();
        if (sorted)
          want = size_t(std::upper_bound(model.begin(), model.end(), text,
                                         [](const String& t, const M& m) { return AnsiCompareText(t, m.Text) < 0; }) -
                        model.begin());
        ASSERT_EQ(at, LRESULT(want));
        model.insert(model.begin() + long(want), {text, 0});
        if (sel >= int(want)) ++sel;
      } else if (op == 2) {  // insert at a place, never sorted
        size_t at = model.empty() ? 0 : rng() % (model.size() + 1);
        ASSERT_EQ(SendMessageW(c, CB_INSERTSTRING, at, reinterpret_cast<LPARAM>(text.c_str())), LRESULT(at));
        model.insert(model.begin() + long(at), {text, 0});
        if (sel >= int(at)) ++sel;
      } else if (op == 3 && !model.empty()) {  // delete
        size_t at = rng() % model.size();
        ASSERT_EQ(SendMessageW(c, CB_DELETESTRING, at, 0), LRESULT(model.size() - 1));
        model.erase(model.begin() + long(at));
        if (sel == int(at)) sel = -1;
        else if (sel > int(at)) --sel;
      } else if (!model.empty()) {  // select and tag
        size_t at = rng() % model.size();
        SendMessageW(c, CB_SETCURSEL, at, 0);
        SendMessageW(c, CB_SETITEMDATA, at, LPARAM(step));
        model[at].Data = step;
        sel = int(at);
      }
      ASSERT_EQ(SendMessageW(c, CB_GETCOUNT, 0, 0), LRESULT(model.size()));
      ASSERT_EQ(SendMessageW(c, CB_GETCURSEL, 0, 0), LRESULT(sel));
    }
    for (size_t i = 0; i < model.size(); ++i) {
      Char buf[8] = {};
      ASSERT_EQ(SendMessageW(c, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(buf)), LRESULT(model[i].Text.size()));
      EXPECT_EQ(String(buf), model[i].Text);
      EXPECT_EQ(SendMessageW(c, CB_GETITEMDATA, i, 0), model[i].Data);
    }
    // The edit shows the selection.
    EXPECT_EQ(Text(c), sel >= 0 ? model[size_t(sel)].Text : Text(c));
    DestroyWindow(c);
  }
}

}  // namespace

}  // namespace t_combo_box_test
