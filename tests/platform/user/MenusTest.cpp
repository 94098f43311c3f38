// Menus: the item functions, and TrackPopupMenu's loop driven by queued
// clicks and keys.
#include <algorithm>

#include "tests/platform/user/UserTestSupport.h"

namespace t_menus_test {

using namespace vcl;
using namespace usertest;

namespace {

class MenuTest : public InputServerTest {
 protected:
  void SetUp() override {
    InputServerTest::SetUp();
    owner_ = MakeTop(100, 100, 500, 400, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    Pump();
    SetFocus(owner_);
    // Open, Save (disabled when asked), a separator and More > Alpha, Beta.
    sub_ = CreatePopupMenu();
    AppendMenuW(sub_, MF_STRING, 201, u"&Alpha");
    AppendMenuW(sub_, MF_STRING, 202, u"&Beta");
    menu_ = CreatePopupMenu();
    AppendMenuW(menu_, MF_STRING, 101, u"&Open\tCtrl+O");
    AppendMenuW(menu_, MF_STRING, 102, u"&Save");
    AppendMenuW(menu_, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu_, MF_POPUP, reinterpret_cast<UINT_PTR>(sub_), u"&More");
    ClearLog();
  }
  void TearDown() override {
    DestroyMenu(menu_);
    InputServerTest::TearDown();
  }
  int Track(UINT flags = 0) { return TrackPopupMenu(menu_, flags, 200, 200, 0, owner_, nullptr); }
  std::vector<Logged> Of(UINT msg) {
    std::vector<Logged> r;
    std::lock_guard<std::mutex> lk(LogLock());
    for (auto& l : Log())
      if (l.Hwnd == owner_ && l.Msg == msg) r.push_back(l);
    return r;
  }
  // The centre of item i of the open first-level menu, from its window's
  // height: three items of one height and one separator.
  static TPoint ItemCentre(HWND w, int i) {
    TRect r;
    GetWindowRect(w, &r);
    int ih = (r.Height() - 6 - 9) / 3;
    int top = r.Top + 3 + (i >= 3 ? 9 + (i - 1) * ih : i * ih);
    return TPoint(r.Left + r.Width() / 2, top + ih / 2);
  }
  HWND owner_ = nullptr;
  HMENU menu_ = nullptr, sub_ = nullptr;
};

class Platform_Menus : public MenuTest {};
class Platform_MenuLoop : public MenuTest {};

TEST_F(Platform_Menus, ItemsAndTheirStates) {
  EXPECT_EQ(GetMenuItemCount(menu_), 4);
  EXPECT_EQ(GetMenuItemID(menu_, 1), 102u);
  EXPECT_EQ(GetMenuItemID(menu_, 3), UINT(-1));
  EXPECT_EQ(GetSubMenu(menu_, 3), sub_);
  EXPECT_EQ(GetMenuState(menu_, 3, MF_BYPOSITION), MF_POPUP | (2u << 8));
  EXPECT_EQ(GetMenuState(menu_, 2, MF_BYPOSITION), MF_SEPARATOR);
  // By command, items are found in submenus too.
  EXPECT_EQ(EnableMenuItem(menu_, 202, MF_GRAYED), UINT(MF_ENABLED));
  EXPECT_EQ(EnableMenuItem(menu_, 202, MF_ENABLED), UINT(MF_GRAYED));
  EXPECT_EQ(CheckMenuItem(menu_, 201, MF_CHECKED), DWORD(MF_UNCHECKED));
  EXPECT_EQ(GetMenuState(sub_, 201, MF_BYCOMMAND), UINT(MF_CHECKED));
  EXPECT_EQ(CheckMenuItem(menu_, 999, MF_CHECKED), DWORD(-1));
  char16_t buf[64];
  EXPECT_EQ(GetMenuStringW(menu_, 101, buf, 64, MF_BYCOMMAND), 12);
  EXPECT_EQ(String(buf), u"&Open\tCtrl+O");
  EXPECT_EQ(GetMenuStringW(menu_, 101, buf, 4, MF_BYCOMMAND), 3);

  // Item information: the length first, then the text into a buffer.
  MENUITEMINFOW mi;
  mi.fMask = MIIM_STRING | MIIM_ID | MIIM_STATE | MIIM_SUBMENU;
  ASSERT_TRUE(GetMenuItemInfoW(menu_, 3, true, &mi));
  EXPECT_EQ(mi.cch, 5u);
  EXPECT_EQ(mi.hSubMenu, sub_);
  mi.dwTypeData = buf;
  mi.cch = 64;
  ASSERT_TRUE(GetMenuItemInfoW(menu_, 3, true, &mi));
  EXPECT_EQ(String(buf), u"&More");
  mi.fMask = MIIM_STRING | MIIM_STATE | MIIM_ID;
  char16_t text[] = u"Save &As";
  mi.dwTypeData = text;
  mi.fState = MFS_DEFAULT;
  mi.wID = 103;
  ASSERT_TRUE(SetMenuItemInfoW(menu_, 102, false, &mi));
  EXPECT_EQ(GetMenuItemID(menu_, 1), 103u);
  EXPECT_EQ(GetMenuState(menu_, 1, MF_BYPOSITION), UINT(MF_DEFAULT));

  // Inserting by position and before a command.
  MENUITEMINFOW ins;
  ins.fMask = MIIM_FTYPE | MIIM_STRING | MIIM_ID;
  ins.fType = MFT_STRING;
  char16_t first[] = u"First";
  ins.dwTypeData = first;
  ins.wID = 100;
  ASSERT_TRUE(InsertMenuItemW(menu_, 0, true, &ins));
  ASSERT_TRUE(InsertMenuW(menu_, 202, MF_BYCOMMAND | MF_STRING, 150, u"Before beta"));
  EXPECT_EQ(GetMenuItemID(menu_, 0), 100u);
  EXPECT_EQ(GetMenuItemID(sub_, 1), 150u);
  // Radio groups.
  ASSERT_TRUE(CheckMenuRadioItem(sub_, 0, 2, 1, MF_BYPOSITION));
  EXPECT_EQ(GetMenuState(sub_, 0, MF_BYPOSITION) & MF_CHECKED, 0u);
  EXPECT_EQ(GetMenuState(sub_, 1, MF_BYPOSITION) & MF_CHECKED, UINT(MF_CHECKED));
  EXPECT_FALSE(CheckMenuRadioItem(sub_, 0, 2, 5, MF_BYPOSITION));

  // A menu cannot hold itself; removing keeps a submenu, deleting destroys it.
  EXPECT_FALSE(AppendMenuW(menu_, MF_POPUP, reinterpret_cast<UINT_PTR>(menu_), u"Loop"));
  HMENU other = CreatePopupMenu();
  AppendMenuW(other, MF_STRING, 1, u"x");
  AppendMenuW(menu_, MF_POPUP, reinterpret_cast<UINT_PTR>(other), u"Other");
  ASSERT_TRUE(RemoveMenu(menu_, UINT(GetMenuItemCount(menu_) - 1), MF_BYPOSITION));
  EXPECT_TRUE(IsMenu(other));
  AppendMenuW(menu_, MF_POPUP, reinterpret_cast<UINT_PTR>(other), u"Other");
  ASSERT_TRUE(DeleteMenu(menu_, UINT(GetMenuItemCount(menu_) - 1), MF_BYPOSITION));
  EXPECT_FALSE(IsMenu(other));
  // Destroying a menu destroys its submenus.
  HMENU doomed = CreatePopupMenu(), inner = CreatePopupMenu();
  AppendMenuW(doomed, MF_POPUP, reinterpret_cast<UINT_PTR>(inner), u"Inner");
  EXPECT_TRUE(DestroyMenu(doomed));
  EXPECT_FALSE(IsMenu(inner));
  EXPECT_FALSE(DestroyMenu(doomed));
  EXPECT_EQ(GetMenuItemCount(doomed), -1);
}

TEST_F(Platform_MenuLoop, AQueuedClickChoosesAndPostsTheCommand) {
  InputMouseMove(210, 206);  // inside the first item of a menu opened at (200, 200)
  InputMouseDown(VK_LBUTTON);
  InputMouseUp(VK_LBUTTON);
  EXPECT_EQ(Track(), 1);
  EXPECT_EQ(FindWindowW(u"#32768", nullptr), nullptr);
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(MessagesOf(owner_, {WM_ENTERMENULOOP, WM_INITMENUPOPUP, WM_EXITMENULOOP}),
            (std::vector<UINT>{WM_ENTERMENULOOP, WM_INITMENUPOPUP, WM_EXITMENULOOP}));
  auto init = Of(WM_INITMENUPOPUP);
  EXPECT_EQ(init[0].WParam, reinterpret_cast<WPARAM>(menu_));
  auto sel = Of(WM_MENUSELECT);
  ASSERT_GE(sel.size(), 2u);
  EXPECT_EQ(LOWORD(sel[0].WParam), 101);
  EXPECT_TRUE(HIWORD(sel[0].WParam) & MF_MOUSESELECT);
  EXPECT_EQ(HIWORD(sel.back().WParam), 0xFFFF);  // closing
  EXPECT_EQ(sel.back().LParam, 0);
  EXPECT_TRUE(Of(WM_COMMAND).empty());  // posted, not sent
  Pump();
  auto cmd = Of(WM_COMMAND);
  ASSERT_EQ(cmd.size(), 1u);
  EXPECT_EQ(LOWORD(cmd[0].WParam), 101);
  EXPECT_EQ(HIWORD(cmd[0].WParam), 0);
}

TEST_F(Platform_MenuLoop, EscapeAndOutsideClicksCancel) {
  InputKeyDown(VK_ESCAPE);
  InputKeyUp(VK_ESCAPE);
  EXPECT_EQ(Track(), 0);
  Pump();
  EXPECT_TRUE(Of(WM_COMMAND).empty());
  EXPECT_EQ(MessagesOf(owner_, {WM_EXITMENULOOP}).size(), 1u);
  // A press outside dismisses the menu and is eaten.
  ClearLog();
  InputMouseMove(150, 350);
  InputMouseDown(VK_LBUTTON);
  EXPECT_EQ(Track(TPM_RETURNCMD), 0);
  InputMouseUp(VK_LBUTTON);
  Pump();
  EXPECT_TRUE(Of(WM_COMMAND).empty());
  EXPECT_TRUE(Of(WM_LBUTTONDOWN).empty());
  EXPECT_EQ(FindWindowW(u"#32768", nullptr), nullptr);
}

TEST_F(Platform_MenuLoop, KeysWalkIntoASubmenuAndReturnTheCommand) {
  for (int vk : {VK_DOWN, VK_DOWN, VK_DOWN, VK_RIGHT, VK_DOWN, VK_RETURN}) {
    InputKeyDown(vk);
    InputKeyUp(vk);
  }
  EXPECT_EQ(Track(TPM_RETURNCMD), 202);
  auto init = Of(WM_INITMENUPOPUP);
  ASSERT_EQ(init.size(), 2u);
  EXPECT_EQ(init[1].WParam, reinterpret_cast<WPARAM>(sub_));
  EXPECT_EQ(LOWORD(uintptr_t(init[1].LParam)), 3);  // its place in the parent
  EXPECT_EQ(MessagesOf(owner_, {WM_UNINITMENUPOPUP}).size(), 2u);
  Pump();
  EXPECT_TRUE(Of(WM_COMMAND).empty());  // TPM_RETURNCMD posts nothing
  // A mnemonic chooses directly; Escape in a submenu only closes it.
  InputType(u"s");
  EXPECT_EQ(Track(TPM_RETURNCMD), 102);
  for (int vk : {VK_UP, VK_RIGHT, VK_ESCAPE, VK_UP, VK_RETURN}) {
    InputKeyDown(vk);
    InputKeyUp(vk);
  }
  EXPECT_EQ(Track(TPM_RETURNCMD), 102);  // More, Alpha, back, Save (the separator is skipped), chosen
}

TEST_F(Platform_MenuLoop, HoverOpensSubmenusAndDisabledItemsAreNotChosen) {
  EnableMenuItem(menu_, 102, MF_GRAYED);
  // The hook is where a test looks at the open menu: it queues input for it.
  HWND seenMenu = nullptr;
  uint32_t highlight = 0;
  HWND activeBefore = GetActiveWindow();
  IdleHook hook([&](int n) {
    if (n == 1) {
      seenMenu = FindWindowW(u"#32768", nullptr);
      EXPECT_EQ(SendMessageW(seenMenu, MN_GETHMENU, 0, 0), reinterpret_cast<LRESULT>(menu_));
      TPoint save = ItemCentre(seenMenu, 1);
      InputMouseMove(save.X, save.Y);  // the disabled item: clicking it does nothing
      InputMouseDown(VK_LBUTTON);
      InputMouseUp(VK_LBUTTON);
      TPoint more = ItemCentre(seenMenu, 3);
      InputMouseMove(more.X, more.Y);
      return true;
    }
    if (n == 2) {
      // The submenu is open beside More, with More highlighted.
      TScreenImage img = CaptureScreen();
      TPoint more = ItemCentre(seenMenu, 3);
      TRect mr;
      GetWindowRect(seenMenu, &mr);
      highlight = img.Pixel(mr.Left + 6, more.Y) & 0xFFFFFF;  // the empty check column
      // The submenu's window is the newer one, in front.
      HWND sub = FindWindowW(u"#32768", nullptr);
      if (!sub || sub == seenMenu) return false;
      TRect r;
      GetWindowRect(sub, &r);
      InputMouseMove(r.Left + 20, r.Top + 3 + 5);  // Alpha
      InputMouseDown(VK_LBUTTON);
      InputMouseUp(VK_LBUTTON);
      return true;
    }
    return false;
  });
  EXPECT_EQ(Track(TPM_RETURNCMD), 201);
  EXPECT_EQ(hook.Calls(), 2);
  EXPECT_NE(seenMenu, nullptr);
  COLORREF hc = GetSysColor(COLOR_HIGHLIGHT);
  EXPECT_EQ(highlight, uint32_t((GetRValue(hc) << 16) | (GetGValue(hc) << 8) | GetBValue(hc)));
  EXPECT_EQ(GetActiveWindow(), activeBefore);  // menus never take the activation
  // The disabled item was selected (reported grey) but not chosen.
  bool greySelect = false;
  for (auto& l : Of(WM_MENUSELECT))
    if (LOWORD(l.WParam) == 102 && (HIWORD(l.WParam) & MF_GRAYED)) greySelect = true;
  EXPECT_TRUE(greySelect);
}

TEST_F(Platform_MenuLoop, OwnerDrawnItemsAreMeasuredAndDrawnByTheOwner) {
  HMENU m = CreatePopupMenu();
  AppendMenuW(m, MF_OWNERDRAW, 301, reinterpret_cast<const char16_t*>(uintptr_t(0x1234)));
  AppendMenuW(m, MF_STRING, 302, u"Plain");
  std::vector<DRAWITEMSTRUCT> drawn;
  ULONG_PTR measured = 0;
  SetHandler(owner_, [&](HWND, UINT msg, WPARAM, LPARAM lp, bool& handled) -> LRESULT {
    handled = msg == WM_MEASUREITEM || msg == WM_DRAWITEM;
    if (msg == WM_MEASUREITEM) {
      auto* mi = reinterpret_cast<MEASUREITEMSTRUCT*>(lp);
      EXPECT_EQ(mi->CtlType, ODT_MENU);
      measured = mi->itemData;
      mi->itemWidth = 200;
      mi->itemHeight = 40;
    } else if (msg == WM_DRAWITEM) {
      auto* di = reinterpret_cast<DRAWITEMSTRUCT*>(lp);
      drawn.push_back(*di);
      HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
      FillRect(di->hDC, &di->rcItem, red);
      DeleteObject(red);
    }
    return handled ? 1 : 0;
  });
  TRect menuRect;
  uint32_t inside = 0;
  IdleHook hook([&](int n) {
    if (n > 1) return false;
    HWND w = FindWindowW(u"#32768", nullptr);
    GetWindowRect(w, &menuRect);
    inside = CaptureScreen().Pixel(menuRect.Left + 20, menuRect.Top + 3 + 20) & 0xFFFFFF;
    InputMouseMove(menuRect.Left + 20, menuRect.Top + 3 + 20);  // selects it: drawn again
    InputKeyDown(VK_ESCAPE);
    return true;
  });
  EXPECT_EQ(TrackPopupMenu(m, TPM_RETURNCMD, 200, 200, 0, owner_, nullptr), 0);
  EXPECT_EQ(measured, 0x1234u);
  EXPECT_EQ(inside, 0xFF0000u);
  EXPECT_GE(menuRect.Width(), 200);
  ASSERT_GE(drawn.size(), 2u);
  EXPECT_EQ(drawn[0].itemID, 301u);
  EXPECT_EQ(drawn[0].hwndItem, reinterpret_cast<HWND>(m));
  EXPECT_EQ(drawn[0].rcItem.Height(), 40);
  EXPECT_EQ(drawn[0].itemState & ODS_SELECTED, 0u);
  EXPECT_EQ(drawn.back().itemState & ODS_SELECTED, ODS_SELECTED);
  DestroyMenu(m);
}

TEST_F(Platform_MenuLoop, AMenuShortOfInputEndsThroughTheIdleHook) {
  IdleHook hook([](int) { return false; });
  EXPECT_EQ(Track(), 0);
  EXPECT_EQ(hook.Calls(), 1);
  EXPECT_EQ(FindWindowW(u"#32768", nullptr), nullptr);
  EXPECT_EQ(GetCapture(), nullptr);
}

}  // namespace

}  // namespace t_menus_test
