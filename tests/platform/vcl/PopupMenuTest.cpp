// Pop-up menus: the responder as the user, OnPopup before the menu is
// built, clicks at the next retrieval, radio groups, the built menu kept in
// step with the items, context menus from mouse and keyboard, shortcuts,
// owner drawing, and items or menus freed at awkward moments.
#include <functional>
#include <memory>
#include <random>
#include <vector>

#include "platform/classes/FormText.h"
#include "platform/rtl/SysUtils.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Menus.h"
#include "platform/vcl/StdCtrls.h"
#include "tests/platform/vcl/FormsTestSupport.h"

namespace t_popup_menu_test {

using namespace vcl;
using namespace formstest;

namespace {

class Platform_PopupMenu : public FormsTest {
 protected:
  void TearDown() override {
    SetMenuResponder(nullptr);
    FormsTest::TearDown();
  }
};

// Answers every menu loop with the command of `item` (nullptr: cancel) and
// lets `during` look at the open menu first.
void Respond(TMenuItem* item, std::function<void(HMENU)> during = nullptr) {
  UINT command = item ? item->Command() : 0;
  SetMenuResponder([command, item, during](HMENU menu, UINT& chosen) {
    if (during) during(menu);
    chosen = command;
    return item != nullptr;
  });
}

TMenuItem* Item(TComponent* owner, const String& caption, std::vector<std::string>* log = nullptr) {
  auto* i = new TMenuItem(owner);
  i->SetCaption(caption);
  if (log)
    i->SetOnClick([log](TObject* s) { log->push_back("click " + ToUtf8(static_cast<TMenuItem*>(s)->Caption())); });
  return i;
}

TForm* MakeForm(Integer x, Integer y, Integer w, Integer h) {
  auto* f = new TForm(nullptr);
  f->SetPosition(poDesigned);
  f->SetBorderStyle(bsSingle);
  f->SetBounds(x, y, w, h);
  return f;
}

TEST_F(Platform_PopupMenu, ResponderChoosesASubmenuItemWhoseClickRunsAtTheNextRetrieval) {
  TPopupMenu pm(nullptr);
  std::vector<std::string> log;
  TMenuItem* leaf = nullptr;
  bool builtBeforePopup = true;
  pm.SetOnPopup([&](TObject*) {
    builtBeforePopup = pm.Items()->HandleAllocated();
    log.push_back("popup");
    // The menu is made here, as a control rebuilding its menu each time does.
    pm.Items()->Clear();
    pm.Items()->Add(Item(&pm, u"&Open", &log));
    TMenuItem* more = Item(&pm, u"More");
    more->SetOnClick([&log](TObject*) { log.push_back("more opens"); });
    TMenuItem* deeper = Item(&pm, u"Deeper");
    leaf = Item(&pm, u"Leaf", &log);
    deeper->Add(leaf);
    more->Add(Item(&pm, u"Sibling", &log));
    more->Add(deeper);
    pm.Items()->Add(more);
  });
  SetMenuResponder([&](HMENU, UINT& command) {
    log.push_back("loop");
    command = leaf->Command();
    return true;
  });
  pm.Popup(100, 100);
  EXPECT_FALSE(builtBeforePopup);
  // The loop has ended; the choice waits in the queue as a WM_COMMAND.
  EXPECT_EQ(log, (std::vector<std::string>{"popup", "loop", "more opens"}));
  EXPECT_EQ(FindWindowW(u"#32768", nullptr), nullptr);
  Application->ProcessMessages();
  EXPECT_EQ(log, (std::vector<std::string>{"popup", "loop", "more opens", "click Leaf"}));
  EXPECT_EQ(pm.PopupPoint(), TPoint(100, 100));
}

TEST_F(Platform_PopupMenu, CancelSeparatorsDisabledAndUnknownCommandsRunNothing) {
  TPopupMenu pm(nullptr);
  std::vector<std::string> log;
  TMenuItem* a = Item(&pm, u"A", &log);
  TMenuItem* line = Item(&pm, u"-", &log);
  TMenuItem* off = Item(&pm, u"Off", &log);
  off->SetEnabled(false);
  TMenuItem* hidden = Item(&pm, u"Hidden", &log);
  hidden->SetVisible(false);
  pm.Items()->Add({a, line, off, hidden});
  TMenuItem* stray = Item(nullptr, u"Stray", &log);  // in no menu
  for (TMenuItem* pick : {static_cast<TMenuItem*>(nullptr), line, off, hidden, stray}) {
    Respond(pick);
    pm.Popup(50, 50);
    Application->ProcessMessages();
  }
  EXPECT_TRUE(log.empty());
  delete stray;
  // The same menu still works for a real choice.
  Respond(a);
  pm.Popup(50, 50);
  Application->ProcessMessages();
  EXPECT_EQ(log, (std::vector<std::string>{"click A"}));
}

TEST_F(Platform_PopupMenu, RadioItemsOfAGroupCheckOneAtATimeInTheBuiltMenuToo) {
  TPopupMenu pm(nullptr);
  std::vector<TMenuItem*> g1, g2;
  for (int i = 0; i < 3; ++i) {
    TMenuItem* r = Item(&pm, u"One" + IntToStr(i));
    r->SetRadioItem(true);
    r->SetAutoCheck(true);
    r->SetGroupIndex(1);
    g1.push_back(r);
    pm.Items()->Add(r);
  }
  TMenuItem* other = Item(&pm, u"Two");
  other->SetRadioItem(true);
  other->SetGroupIndex(2);
  other->SetChecked(true);
  pm.Items()->Add(other);
  g1[0]->SetChecked(true);
  HMENU h = pm.Handle();
  auto checked = [&](int pos) { return (GetMenuState(h, UINT(pos), MF_BYPOSITION) & MF_CHECKED) != 0; };
  for (int pick : {2, 1, 1, 0}) {
    Respond(g1[size_t(pick)]);
    pm.Popup(10, 10);
    Application->ProcessMessages();
    for (int i = 0; i < 3; ++i) {
      EXPECT_EQ(g1[size_t(i)]->Checked(), i == pick) << pick;
      EXPECT_EQ(checked(i), i == pick) << pick;
    }
    EXPECT_TRUE(other->Checked());  // another group is left alone
    EXPECT_TRUE(checked(3));
  }
  // The radio look reaches the server as MFT_RADIOCHECK.
  MENUITEMINFOW mi;
  mi.fMask = MIIM_FTYPE;
  ASSERT_TRUE(GetMenuItemInfoW(h, 0, true, &mi));
  EXPECT_TRUE(mi.fType & MFT_RADIOCHECK);
}

// The built menu against a reference made from the items: the visible
// children in order, their text (caption, tab, shortcut), state and
// submenus.
void ExpectMirrors(TMenuItem* item, HMENU h, const std::string& where) {
  std::vector<TMenuItem*> visible;
  for (Integer i = 0; i < item->Count(); ++i)
    if (item->Items(i)->Visible()) visible.push_back(item->Items(i));
  ASSERT_EQ(GetMenuItemCount(h), int(visible.size())) << where;
  for (size_t k = 0; k < visible.size(); ++k) {
    TMenuItem* c = visible[k];
    UINT state = GetMenuState(h, UINT(k), MF_BYPOSITION);
    if (c->IsLine()) {
      EXPECT_TRUE(state & MF_SEPARATOR) << where;
      continue;
    }
    char16_t buf[256];
    GetMenuStringW(h, UINT(k), buf, 256, MF_BYPOSITION);
    String want = c->Caption();
    if (c->ShortCut()) want += u"\t" + ShortCutToText(c->ShortCut());
    EXPECT_EQ(String(buf), want) << where;
    EXPECT_EQ((state & MF_GRAYED) != 0, !c->Enabled()) << where;
    EXPECT_EQ((state & MF_CHECKED) != 0, c->Checked()) << where;
    HMENU sub = GetSubMenu(h, int(k));
    EXPECT_EQ(sub != nullptr, c->Count() > 0) << where;
    if (sub) ExpectMirrors(c, sub, where + "/" + ToUtf8(c->Caption()));
  }
}

TEST_F(Platform_PopupMenu, TheBuiltMenuFollowsRandomEditsOfTheItems) {
  std::mt19937 rng(31);
  TPopupMenu pm(nullptr);
  std::vector<TMenuItem*> all{pm.Items()};
  HMENU h = pm.Handle();  // built first: every edit below must reach it
  int serial = 0;
  for (int step = 0; step < 400; ++step) {
    TMenuItem* target = all[rng() % all.size()];
    switch (rng() % 7) {
      case 0:
      case 1: {
        TMenuItem* n = Item(&pm, serial % 9 == 0 ? String(u"-") : u"Item" + IntToStr(serial));
        ++serial;
        target->Insert(Integer(rng() % (target->Count() + 1)), n);
        all.push_back(n);
        break;
      }
      case 2:
        if (target->Count() > 0) {
          TMenuItem* gone = target->Items(Integer(rng() % target->Count()));
          // Everything below it goes with it.
          std::vector<TMenuItem*> doomed{gone};
          for (size_t i = 0; i < doomed.size(); ++i)
            for (Integer k = 0; k < doomed[i]->Count(); ++k) doomed.push_back(doomed[i]->Items(k));
          target->Delete(gone->MenuIndex());
          for (TMenuItem* d : doomed) all.erase(std::find(all.begin(), all.end(), d));
        }
        break;
      case 3:
        if (target != pm.Items()) target->SetVisible(!target->Visible());
        break;
      case 4:
        if (target != pm.Items()) target->SetEnabled(!target->Enabled());
        break;
      case 5:
        if (target != pm.Items() && !target->IsLine())
          target->SetShortCut(rng() % 2 ? ShortCut(Word('A' + rng() % 26), TShiftState{ssCtrl}) : 0);
        break;
      case 6:
        if (target != pm.Items() && !target->IsLine()) {
          target->SetCaption(u"Renamed" + IntToStr(step));
          target->SetChecked(!target->Checked());
        }
        break;
    }
    ASSERT_NO_FATAL_FAILURE(ExpectMirrors(pm.Items(), h, "step " + std::to_string(step)));
  }
}

TEST_F(Platform_PopupMenu, AnItemFreedBeforeItsCommandArrivesDoesNothingAndClicksMayClearTheMenu) {
  TPopupMenu pm(nullptr);
  std::vector<std::string> log;
  TMenuItem* a = Item(&pm, u"A", &log);
  TMenuItem* b = Item(&pm, u"B", &log);
  pm.Items()->Add({a, b});
  Respond(a);
  pm.Popup(20, 20);
  delete a;  // before the posted WM_COMMAND is retrieved
  Application->ProcessMessages();
  EXPECT_TRUE(log.empty());
  // An item whose click empties the very menu it is in.
  b->SetOnClick([&](TObject*) {
    pm.Items()->Clear();
    log.push_back("cleared");
  });
  Respond(b);
  pm.Popup(20, 20);
  Application->ProcessMessages();
  EXPECT_EQ(log, (std::vector<std::string>{"cleared"}));
  EXPECT_EQ(pm.Items()->Count(), 0);
  EXPECT_EQ(GetMenuItemCount(pm.Handle()), 0);
}

TEST_F(Platform_PopupMenu, AMenuFreedWhileItsLoopRunsCancelsTheLoop) {
  auto* pm = new TPopupMenu(nullptr);
  std::vector<std::string> log;
  TMenuItem* a = Item(pm, u"A", &log);
  pm->Items()->Add(a);
  HMENU h = pm->Handle();
  // The loop waits for input; meanwhile something frees the menu.
  SetModalIdleHook([&] {
    if (pm) {
      delete pm;
      pm = nullptr;
      return true;
    }
    return false;
  });
  TPopupMenu* running = pm;
  running->Popup(30, 30);
  EXPECT_EQ(pm, nullptr);
  EXPECT_FALSE(IsMenu(h));
  EXPECT_EQ(FindWindowW(u"#32768", nullptr), nullptr);
  Application->ProcessMessages();
  EXPECT_TRUE(log.empty());
}

// A box that takes the focus and logs the keys it sees.
class TFocusBox : public TCustomControl {
  QN_CLASS(TFocusBox, TCustomControl)
 public:
  explicit TFocusBox(TComponent* AOwner) : TCustomControl(AOwner) { SetTabStop(true); }
  std::vector<Word> Keys;

 protected:
  void KeyDown(Word& Key, TShiftState Shift) override {
    Keys.push_back(Key);
    inherited::KeyDown(Key, Shift);
  }
};

TEST_F(Platform_PopupMenu, AShortcutReachesThePopupMenuOfTheFocusedControlOrItsParents) {
  std::unique_ptr<TForm> f(MakeForm(50, 50, 300, 200));
  auto* panel = new TPanel(f.get());
  panel->SetParent(f.get());
  panel->SetBounds(10, 10, 200, 150);
  auto* box = new TFocusBox(f.get());
  box->SetParent(panel);
  box->SetBounds(10, 10, 100, 50);
  auto* pm = new TPopupMenu(f.get());
  std::vector<std::string> log;
  TMenuItem* find = Item(f.get(), u"Find", &log);
  find->SetShortCut(ShortCut('K', TShiftState{ssCtrl}));
  TMenuItem* sub = Item(f.get(), u"Sub");
  TMenuItem* deep = Item(f.get(), u"Deep", &log);
  deep->SetShortCut(ShortCut(VK_F1 + 4, TShiftState()));
  sub->Add(deep);
  TMenuItem* off = Item(f.get(), u"Off", &log);
  off->SetShortCut(ShortCut('J', TShiftState{ssCtrl}));
  off->SetEnabled(false);
  pm->Items()->Add({find, sub, off});
  panel->SetPopupMenu(pm);
  f->SetActiveControl(box);
  f->Show();
  Application->ProcessMessages();
  ASSERT_TRUE(box->Focused());
  InputKeyDown(VK_CONTROL);
  InputKeyDown('K');
  InputKeyUp('K');
  InputKeyDown('J');  // a disabled item lets its key through
  InputKeyUp('J');
  InputKeyUp(VK_CONTROL);
  InputKeyDown(VK_F1 + 4);  // an item in a submenu
  InputKeyUp(VK_F1 + 4);
  InputKeyDown('Q');  // no item has it
  InputKeyUp('Q');
  Application->ProcessMessages();
  EXPECT_EQ(log, (std::vector<std::string>{"click Find", "click Deep"}));
  EXPECT_EQ(box->Keys, (std::vector<Word>{VK_CONTROL, 'J', 'Q'}));
}

// A windowless control.
class TSpot : public TGraphicControl {
  QN_CLASS(TSpot, TGraphicControl)
 public:
  using TGraphicControl::TGraphicControl;
};

TEST_F(Platform_PopupMenu, ContextMenuFromMouseAndKeyboardNamesItsControlAndPlace) {
  std::unique_ptr<TForm> f(MakeForm(40, 40, 320, 220));
  auto* box = new TFocusBox(f.get());
  box->SetParent(f.get());
  box->SetBounds(20, 30, 120, 80);
  auto* label = new TSpot(f.get());
  label->SetParent(f.get());
  label->SetBounds(180, 30, 80, 20);
  auto* boxMenu = new TPopupMenu(f.get());
  boxMenu->Items()->Add(Item(f.get(), u"For the box"));
  auto* labelMenu = new TPopupMenu(f.get());
  labelMenu->Items()->Add(Item(f.get(), u"For the label"));
  box->SetPopupMenu(boxMenu);
  label->SetPopupMenu(labelMenu);
  f->Show();
  Application->ProcessMessages();
  TRect at;
  std::vector<TComponent*> shownFor;
  SetMenuResponder([&](HMENU, UINT&) {
    GetWindowRect(FindWindowW(u"#32768", nullptr), &at);
    return false;
  });
  // The keyboard's context key: the menu opens at the control's centre.
  boxMenu->SetOnPopup([&](TObject*) { shownFor.push_back(boxMenu->PopupComponent()); });
  labelMenu->SetOnPopup([&](TObject*) { shownFor.push_back(labelMenu->PopupComponent()); });
  SendMessageW(box->Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(box->Handle()), MAKELPARAM(-1, -1));
  TPoint centre = box->ClientToScreen(TPoint(60, 40));
  EXPECT_EQ(at.TopLeft(), centre);
  EXPECT_EQ(boxMenu->PopupPoint(), centre);
  // A right click on the windowless label shows the label's own menu.
  TPoint onLabel = label->ClientToScreen(TPoint(5, 5));
  InputMouseMove(onLabel.X, onLabel.Y);
  InputMouseDown(VK_RBUTTON);
  InputMouseUp(VK_RBUTTON);
  Application->ProcessMessages();
  EXPECT_EQ(at.TopLeft(), onLabel);
  EXPECT_EQ(shownFor, (std::vector<TComponent*>{box, label}));
  // OnContextPopup may take the message over.
  box->SetOnContextPopup([](TObject*, TPoint, bool& handled) { handled = true; });
  SendMessageW(box->Handle(), WM_CONTEXTMENU, 0, MAKELPARAM(-1, -1));
  EXPECT_EQ(shownFor.size(), 2u);
}

TEST_F(Platform_PopupMenu, OwnerDrawnItemsAreMeasuredAndDrawnThroughTheirEvents) {
  TPopupMenu pm(nullptr);
  TMenuItem* plain = Item(&pm, u"Plain");
  TMenuItem* swatch = Item(&pm, u"Swatch");
  int measures = 0;
  std::vector<std::pair<TRect, bool>> draws;
  swatch->SetOnMeasureItem([&](TObject*, TCanvas*, Integer& w, Integer& h) {
    ++measures;
    w = 150;
    h = 37;
  });
  swatch->SetOnAdvancedDrawItem([&](TObject*, TCanvas* c, TRect r, TOwnerDrawState s) {
    draws.emplace_back(r, s.Contains(odSelected));
    c->Brush()->SetColor(s.Contains(odSelected) ? TColor(0x00FF00) : TColor(0x0000FF));
    c->FillRect(r);
  });
  pm.Items()->Add({plain, swatch});
  COLORREF before = 0;
  TRect menuRect;
  Respond(swatch, [&](HMENU) {
    HWND w = FindWindowW(u"#32768", nullptr);
    GetWindowRect(w, &menuRect);
    ASSERT_FALSE(draws.empty());
    TRect r = draws.back().first;
    HDC dc = GetDC(nullptr);
    before = GetPixel(dc, menuRect.Left + r.Left + 5, menuRect.Top + r.Top + 5);
    ReleaseDC(nullptr, dc);
  });
  // After the responder picks it, the item is drawn selected.
  SetModalIdleHook([&] { return false; });
  pm.Popup(60, 60);
  EXPECT_EQ(measures, 1);
  ASSERT_GE(draws.size(), 2u);
  EXPECT_EQ(draws.front().first.Height(), 37);
  EXPECT_GE(draws.front().first.Width(), 150);
  EXPECT_FALSE(draws.front().second);
  EXPECT_TRUE(draws.back().second);
  EXPECT_EQ(before, RGB(255, 0, 0));  // the unselected fill, read off the screen
}

TEST_F(Platform_PopupMenu, ShortCutTextRoundTripsForEveryNamedKeyAndModifier) {
  int named = 0;
  for (Word key = 1; key < 256; ++key)
    for (TShortCut mods : {TShortCut(0), scShift, scCtrl, scAlt, TShortCut(scShift | scCtrl | scAlt)}) {
      TShortCut sc = TShortCut(key | mods);
      String text = ShortCutToText(sc);
      if (text.empty()) continue;
      ++named;
      EXPECT_EQ(TextToShortCut(text), sc) << ToUtf8(text);
      // Modifier names are read in any case.
      String lower = text;
      for (auto& c : lower)
        if (c >= u'A' && c <= u'Z') c = char16_t(c + 32);
      EXPECT_EQ(TextToShortCut(lower), sc) << ToUtf8(lower);
      Word k;
      TShiftState s;
      ShortCutToKey(sc, k, s);
      EXPECT_EQ(ShortCut(k, s), sc);
    }
  EXPECT_GT(named, 5 * 60);
  EXPECT_EQ(ShortCutToText(ShortCut('S', TShiftState{ssCtrl, ssShift})), u"Shift+Ctrl+S");
  EXPECT_EQ(TextToShortCut(u"Ctrl+"), 0);
  EXPECT_EQ(TextToShortCut(u"Hyper+S"), 0);
}

}  // namespace

namespace {

// Items written inside a menu, and inside an item, come back there in order
// with their properties, and write the same text again.
TEST_F(Platform_PopupMenu, AMenuReadFromAFormFileHoldsItsItemsAndSubmenus) {
  const std::string text =
      "object Host: TForm\n"
      "  object Menu1: TPopupMenu\n"
      "    object MiOpen: TMenuItem\n"
      "      Caption = 'Open'\n"
      "    end\n"
      "    object MiRecent: TMenuItem\n"
      "      Caption = 'Recent'\n"
      "      object MiFirst: TMenuItem\n"
      "        Caption = 'First'\n"
      "      end\n"
      "      object MiSecond: TMenuItem\n"
      "        Caption = 'Second'\n"
      "        Checked = True\n"
      "      end\n"
      "    end\n"
      "  end\n"
      "end\n";
  RegisterClasses({TForm::StaticClass(), TPopupMenu::StaticClass(), TMenuItem::StaticClass()});
  auto form = std::make_unique<TForm>(nullptr);
  TextToComponent(text, form.get());
  auto* menu = dynamic_cast<TPopupMenu*>(form->FindComponent(u"Menu1"));
  ASSERT_NE(menu, nullptr);
  ASSERT_EQ(menu->Items()->Count(), 2);
  EXPECT_EQ(menu->Items()->Items(0)->Caption(), u"Open");
  TMenuItem* recent = menu->Items()->Items(1);
  ASSERT_EQ(recent->Count(), 2);
  EXPECT_EQ(recent->Items(1)->Caption(), u"Second");
  EXPECT_TRUE(recent->Items(1)->Checked());
  EXPECT_EQ(recent->Items(0)->GetParentComponent(), recent);
  EXPECT_EQ(menu->Items()->Items(0)->GetParentComponent(), menu);
  std::string back = ComponentToText(form.get());
  std::erase(back, '\r');
  EXPECT_NE(back.find("    object MiRecent: TMenuItem\n      Caption = 'Recent'\n      object MiFirst: TMenuItem"),
            std::string::npos)
      << back;
}

}  // namespace

}  // namespace t_popup_menu_test
