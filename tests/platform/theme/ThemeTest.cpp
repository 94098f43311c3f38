#include <gtest/gtest.h>

#include <map>
#include <set>

#include "platform/theme/UxTheme.h"
#include "platform/vcl/Themes.h"
#include "tests/platform/gdi/GdiTestSupport.h"
#include "tests/platform/user/UserTestSupport.h"

namespace t_theme_test {

using namespace vcl;
using gditest::TDib;

namespace {

class Platform_Themes : public usertest::ServerTest {
 protected:
  void SetUp() override {
    ServerTest::SetUp();
    ResetThemes();
    ThemeServices()->ApplyThemeChange();
  }
  void TearDown() override {
    ResetThemes();
    ThemeServices()->ApplyThemeChange();
    ServerTest::TearDown();
  }
};

constexpr uint32_t kBack = 0xFF102030u;

// The picture of one part and state, drawn over a fixed background.
std::vector<uint32_t> Picture(HTHEME t, int part, int state, int w = 40, int h = 24) {
  TDib d(w, h, kBack);
  RECT r{0, 0, w, h};
  EXPECT_EQ(DrawThemeBackground(t, d.DC, part, state, &r, nullptr), S_OK) << part << "/" << state;
  std::vector<uint32_t> px;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) px.push_back(d.At(x, y) & 0xFFFFFFu);
  return px;
}

TEST_F(Platform_Themes, EveryPartAndStateHasItsOwnLook) {
  struct Part {
    const char16_t* Class;
    int Part, States;
  };
  const Part parts[] = {{u"TREEVIEW", 1, 6},         {u"TREEVIEW", 2, 2}, {u"TREEVIEW", 4, 2},
                        {u"Explorer::TreeView", 1, 6}, {u"Explorer::TreeView", 2, 2}, {u"Explorer::TreeView", 4, 2},
                        {u"HEADER", 1, 3},           {u"HEADER", 4, 2},   {u"BUTTON", 1, 5},
                        {u"BUTTON", 2, 8},           {u"BUTTON", 3, 12},  {u"TOOLTIP", 1, 2},
                        {u"EDIT", 1, 6}};
  std::set<std::vector<uint32_t>> all;
  size_t drawn = 0;
  for (auto& p : parts) {
    HTHEME t = OpenThemeData(nullptr, p.Class);
    ASSERT_NE(t, nullptr);
    for (int s = 1; s <= p.States; ++s) {
      std::vector<uint32_t> px = Picture(t, p.Part, s);
      // Something was drawn...
      EXPECT_TRUE(std::any_of(px.begin(), px.end(), [](uint32_t c) { return c != (kBack & 0xFFFFFFu); }));
      EXPECT_TRUE(all.insert(px).second) << ToUtf8(p.Class) << " part " << p.Part << " state " << s;
      ++drawn;
    }
    CloseThemeData(t);
  }
  // ...and no two elements look alike.
  EXPECT_EQ(all.size(), drawn);
  // The header's item parts and the area right of the items differ too.
  HTHEME h = OpenThemeData(nullptr, u"header");
  EXPECT_NE(Picture(h, HP_HEADERITEM, 1), Picture(h, HP_HEADERITEMRIGHT, 1));
  CloseThemeData(h);
}

TEST_F(Platform_Themes, ModesAnswerAndDraw) {
  HWND w = usertest::MakeTop(10, 10, 50, 50);
  EXPECT_TRUE(IsThemeActive());
  EXPECT_TRUE(ThemeServices()->Enabled());
  SetThemeMode(TThemeMode::Absent);
  EXPECT_FALSE(IsThemeActive());
  EXPECT_FALSE(IsAppThemed());
  EXPECT_EQ(OpenThemeData(w, u"TREEVIEW"), nullptr);
  EXPECT_FALSE(ThemeServices()->Enabled());
  TDib d(20, 20, kBack);
  EXPECT_FALSE(ThemeServices()->DrawElement(d.DC, ThemeServices()->GetElementDetails(ttGlyphClosed), TRect(0, 0, 20, 20)));
  EXPECT_TRUE(d.Changed(kBack).empty());

  SetThemeMode(TThemeMode::Trimmed);
  SetThemeMissing(u"header");
  SetThemeMissing(u"TREEVIEW", TVP_HOTGLYPH);
  EXPECT_EQ(OpenThemeData(w, u"HEADER"), nullptr);
  // A list falls through to the first class the library has.
  HTHEME t = OpenThemeData(w, u"HEADER;TREEVIEW");
  ASSERT_NE(t, nullptr);
  RECT r{0, 0, 20, 20};
  EXPECT_EQ(DrawThemeBackground(t, d.DC, TVP_HOTGLYPH, 1, &r, nullptr), E_FAIL);
  SIZE s;
  EXPECT_EQ(GetThemePartSize(t, d.DC, TVP_HOTGLYPH, 1, &r, TS_TRUE, &s), E_FAIL);
  EXPECT_TRUE(d.Changed(kBack).empty());
  EXPECT_EQ(GetThemePartSize(t, d.DC, TVP_GLYPH, 2, &r, TS_TRUE, &s), S_OK);
  EXPECT_EQ(s, SIZE(9, 9));
  EXPECT_EQ(DrawThemeBackground(t, d.DC, TVP_GLYPH, 2, &r, nullptr), S_OK);
  EXPECT_FALSE(d.Changed(kBack).empty());
  TSize ts;
  EXPECT_FALSE(ThemeServices()->GetElementSize(d.DC, ThemeServices()->GetElementDetails(thHeaderSortArrowSortedUp),
                                               esActual, ts));

  // Back to present: everything again, the sort arrow's true size included.
  SetThemeMode(TThemeMode::Present);
  EXPECT_TRUE(ThemeServices()->GetElementSize(d.DC, ThemeServices()->GetElementDetails(thHeaderSortArrowSortedUp),
                                              esActual, ts));
  EXPECT_EQ(ts, TSize(9, 5));
  // Handles from before the change are stale.
  EXPECT_EQ(DrawThemeBackground(t, d.DC, TVP_GLYPH, 2, &r, nullptr), E_HANDLE);
}

TEST_F(Platform_Themes, DrawsAreLoggedAndClipped) {
  HTHEME t = OpenThemeData(nullptr, u"BUTTON");
  ASSERT_NE(t, nullptr);
  ClearThemeCallLog();
  TDib d(40, 30, kBack);
  RECT r{0, 0, 40, 30}, clip{10, 5, 20, 15};
  ASSERT_EQ(DrawThemeBackground(t, d.DC, BP_PUSHBUTTON, PBS_HOT, &r, &clip), S_OK);
  auto log = ThemeCallLog();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0].Function, u"DrawThemeBackground");
  EXPECT_EQ(log[0].ClassName, u"BUTTON");
  EXPECT_EQ(log[0].Part, BP_PUSHBUTTON);
  EXPECT_EQ(log[0].State, PBS_HOT);
  EXPECT_EQ(TRect(log[0].Rect), TRect(0, 0, 40, 30));
  EXPECT_TRUE(log[0].HasClip);
  EXPECT_EQ(TRect(log[0].Clip), TRect(10, 5, 20, 15));
  auto changed = d.Changed(kBack);
  EXPECT_FALSE(changed.empty());
  for (auto [x, y] : changed) EXPECT_TRUE(x >= 10 && x < 20 && y >= 5 && y < 15) << x << "," << y;
  // Closed and null handles answer E_HANDLE and draw nothing.
  TDib e(40, 30, kBack);
  EXPECT_EQ(CloseThemeData(t), S_OK);
  EXPECT_EQ(DrawThemeBackground(t, e.DC, BP_PUSHBUTTON, PBS_HOT, &r, nullptr), E_HANDLE);
  EXPECT_EQ(DrawThemeBackground(nullptr, e.DC, BP_PUSHBUTTON, PBS_HOT, &r, nullptr), E_HANDLE);
  EXPECT_EQ(DrawThemeEdge(t, e.DC, BP_PUSHBUTTON, 1, &r, EDGE_RAISED, BF_RECT, nullptr), E_HANDLE);
  EXPECT_EQ(CloseThemeData(t), E_HANDLE);
  EXPECT_TRUE(e.Changed(kBack).empty());
  EXPECT_EQ(ThemeCallLog().back().Result, E_HANDLE);
}

TEST_F(Platform_Themes, WindowThemesAndChangeNotices) {
  HWND top = usertest::MakeTop(10, 10, 100, 100);
  HWND child = usertest::MakeChild(top, 0, 0, 50, 50);
  usertest::ClearLog();
  ASSERT_EQ(SetWindowTheme(child, u"explorer", nullptr), S_OK);
  EXPECT_EQ(usertest::MessagesOf(child, {WM_THEMECHANGED}).size(), 1u);
  EXPECT_TRUE(usertest::MessagesOf(top, {WM_THEMECHANGED}).empty());
  HTHEME t = OpenThemeData(child, u"TREEVIEW");
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(ThemeCallLog().back().ClassName, u"Explorer::TreeView");
  SIZE s;
  RECT r{0, 0, 100, 100};
  EXPECT_EQ(GetThemePartSize(t, nullptr, TVP_GLYPH, GLPS_OPENED, &r, TS_TRUE, &s), S_OK);
  EXPECT_EQ(s, SIZE(16, 16));
  CloseThemeData(t);
  // The other window keeps the plain class.
  t = OpenThemeData(top, u"TREEVIEW");
  EXPECT_EQ(ThemeCallLog().back().ClassName, u"TREEVIEW");
  CloseThemeData(t);
  // Empty names turn the window's theme off.
  SetWindowTheme(child, u"", u"");
  EXPECT_EQ(OpenThemeData(child, u"TREEVIEW"), nullptr);
  EXPECT_EQ(SetWindowTheme(HwndFromValue(0x7777), u"explorer", nullptr), E_HANDLE);

  usertest::ClearLog();
  SetThemeMode(TThemeMode::Absent);
  EXPECT_EQ(usertest::MessagesOf(top, {WM_THEMECHANGED}).size(), 1u);
  EXPECT_EQ(usertest::MessagesOf(child, {WM_THEMECHANGED}).size(), 1u);
  // No change, no notice.
  SetThemeMode(TThemeMode::Absent);
  EXPECT_EQ(usertest::MessagesOf(top, {WM_THEMECHANGED}).size(), 1u);
}

TEST_F(Platform_Themes, ElementDetailsNameTheLibrarysParts) {
  TThemeServices* ts = ThemeServices();
  struct Want {
    TThemedElementDetails D;
    TThemedElement E;
    int Part, State;
  };
  const Want wants[] = {
      {ts->GetElementDetails(ttItemSelectedNotFocus), teTreeview, TVP_TREEITEM, TREIS_SELECTEDNOTFOCUS},
      {ts->GetElementDetails(ttHotGlyphOpened), teTreeview, TVP_HOTGLYPH, HGLPS_OPENED},
      {ts->GetElementDetails(thHeaderItemPressed), teHeader, HP_HEADERITEM, HIS_PRESSED},
      {ts->GetElementDetails(thHeaderItemRightNormal), teHeader, HP_HEADERITEMRIGHT, HIS_NORMAL},
      {ts->GetElementDetails(thHeaderSortArrowSortedDown), teHeader, HP_HEADERSORTARROW, HSAS_SORTEDDOWN},
      {ts->GetElementDetails(tbRadioButtonCheckedHot), teButton, BP_RADIOBUTTON, RBS_CHECKEDHOT},
      {ts->GetElementDetails(tbCheckBoxMixedDisabled), teButton, BP_CHECKBOX, CBS_MIXEDDISABLED},
      {ts->GetElementDetails(tbPushButtonDefaulted), teButton, BP_PUSHBUTTON, PBS_DEFAULTED},
      {ts->GetElementDetails(tttStandardLink), teToolTip, TTP_STANDARD, TTSS_LINK},
      {ts->GetElementDetails(teEditTextReadOnly), teEdit, EP_EDITTEXT, ETS_READONLY},
  };
  for (auto& w : wants) {
    EXPECT_EQ(w.D.Element, w.E);
    EXPECT_EQ(w.D.Part, w.Part);
    EXPECT_EQ(w.D.State, w.State);
  }
  // What the services draw is what the flat call draws for the same part.
  TDib a(30, 20, kBack), b(30, 20, kBack);
  ASSERT_TRUE(ts->DrawElement(a.DC, ts->GetElementDetails(tbCheckBoxCheckedNormal), TRect(0, 0, 30, 20)));
  HTHEME t = OpenThemeData(nullptr, u"BUTTON");
  RECT r{0, 0, 30, 20};
  DrawThemeBackground(t, b.DC, BP_CHECKBOX, CBS_CHECKEDNORMAL, &r, nullptr);
  CloseThemeData(t);
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 30; ++x) ASSERT_EQ(a.At(x, y), b.At(x, y));
}

}  // namespace

}  // namespace t_theme_test
