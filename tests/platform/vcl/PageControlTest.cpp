// The tab control and the page control over the native tab control: tabs
// and selection through the window procedure, the mapping of sheets to
// visible tabs, changing pages by press, by program and by Ctrl+Tab with the
// veto of OnChanging, and sheets bounded by the display rectangle the
// window answers.
#include <memory>
#include <vector>

#include "platform/classes/FormText.h"
#include "platform/rtl/SysUtils.h"
#include "platform/vcl/ComCtrls.h"
#include "platform/vcl/StdCtrls.h"
#include "tests/platform/vcl/FormsTestSupport.h"

namespace t_page_control_test {

using namespace vcl;
using namespace formstest;

namespace {

class TTabLog : public TObject {
 public:
  std::vector<UINT> Sent;
  TWndMethod Old;
  int Changes = 0, Changings = 0;
  bool Allow = true;
  int AdjustTop = 0;
  void Hook(TMessage& m) {
    if (m.Msg >= TCM_FIRST && m.Msg < TCM_FIRST + 0x100) Sent.push_back(m.Msg);
    Old(m);
    if (m.Msg == TCM_ADJUSTRECT && !m.WParam) reinterpret_cast<RECT*>(m.LParam)->Top += AdjustTop;
  }
  void Change(TObject*) { ++Changes; }
  void Changing(TObject*, bool& AllowChange) {
    ++Changings;
    AllowChange = Allow;
  }
};

class Platform_PageControl : public FormsTest {
 protected:
  void SetUp() override {
    FormsTest::SetUp();
    Form.reset(new TForm(nullptr));
    Form->SetBounds(100, 100, 400, 300);
    Pages = new TPageControl(Form.get());
    Pages->SetParent(Form.get());
    Pages->SetBounds(10, 10, 300, 200);
    for (auto c : {u"General", u"Hidden", u"Advanced"}) {
      auto* s = new TTabSheet(Form.get());
      s->SetCaption(c);
      s->SetPageControl(Pages);
      Sheets.push_back(s);
    }
    Sheets[1]->SetTabVisible(false);
    Pages->SetOnChange(TNotifyEvent(&Log, &TTabLog::Change));
    Pages->SetOnChanging(TTabChangingEvent(&Log, &TTabLog::Changing));
  }
  void TearDown() override {
    Form.reset();
    FormsTest::TearDown();
  }
  void Click(TWinControl* c, TPoint p) {
    TPoint s = c->ClientToScreen(p);
    InputMouseMove(s.X, s.Y);
    InputMouseDown(VK_LBUTTON);
    InputMouseUp(VK_LBUTTON);
    Application->ProcessMessages();
  }
  std::unique_ptr<TForm> Form;
  TPageControl* Pages = nullptr;
  std::vector<TTabSheet*> Sheets;
  TTabLog Log;
};

TEST_F(Platform_PageControl, SheetsMapToVisibleTabs) {
  Pages->SetActivePage(Sheets[0]);
  Form->Show();
  Application->ProcessMessages();
  ASSERT_EQ(Pages->Tabs()->Count(), 2);
  EXPECT_EQ(Pages->Tabs()->Strings(1), u"Advanced");
  EXPECT_EQ(Pages->Tabs()->Objects(1), Sheets[2]);
  EXPECT_EQ(Sheets[1]->TabIndex(), -1);
  EXPECT_EQ(Sheets[2]->TabIndex(), 1);
  EXPECT_EQ(Sheets[2]->PageIndex(), 2);
  // Showing the hidden tab puts it between the others; the selection stays on the active sheet.
  Pages->SetActivePage(Sheets[2]);
  Sheets[1]->SetTabVisible(true);
  EXPECT_EQ(Pages->Tabs()->Strings(1), u"Hidden");
  EXPECT_EQ(Pages->TabIndex(), 2);
  EXPECT_TRUE(Sheets[2]->Visible());
  EXPECT_FALSE(Sheets[0]->Visible());
  // Moving a page moves its tab; renaming renames it.
  Sheets[2]->SetPageIndex(0);
  EXPECT_EQ(Pages->Tabs()->Strings(0), u"Advanced");
  EXPECT_EQ(Pages->TabIndex(), 0);
  EXPECT_EQ(Pages->ActivePageIndex(), 0);
  Sheets[0]->SetCaption(u"Main");
  EXPECT_EQ(Pages->Tabs()->Strings(1), u"Main");
  // Without a window the tabs wait in a list and go back in as messages.
  Log.Old = Pages->WindowProc();
  Pages->SetWindowProc(TWndMethod([this](TMessage& m) { Log.Hook(m); }));
  Pages->SetTabPosition(tpBottom);
  EXPECT_EQ(std::count(Log.Sent.begin(), Log.Sent.end(), TCM_INSERTITEMW), 3);
  EXPECT_EQ(Pages->Tabs()->Strings(0), u"Advanced");
  EXPECT_EQ(Pages->TabIndex(), 0);
  // Deleting the active sheet activates the next one with a tab.
  Pages->SetWindowProc(Log.Old);
  delete Sheets[2];
  EXPECT_EQ(Pages->PageCount(), 2);
  EXPECT_EQ(Pages->ActivePage(), Sheets[0]);
  EXPECT_EQ(Pages->TabIndex(), 0);
  EXPECT_EQ(Pages->Tabs()->Count(), 2);
  EXPECT_THROW(Pages->Pages(5), EListError);
}

TEST_F(Platform_PageControl, PressesProgramsAndCtrlTabChangePages) {
  Pages->SetActivePage(Sheets[0]);
  auto* edit = new TEdit(Form.get());
  edit->SetParent(Sheets[0]);
  Form->Show();
  Application->ProcessMessages();
  TRect t1 = Pages->TabRect(1);
  Log.Allow = false;
  Click(Pages, TPoint(t1.Left + 4, t1.Top + 4));
  EXPECT_EQ(Log.Changings, 1);
  EXPECT_EQ(Log.Changes, 0);
  EXPECT_EQ(Pages->ActivePage(), Sheets[0]);
  EXPECT_EQ(Pages->TabIndex(), 0);
  Log.Allow = true;
  Click(Pages, TPoint(t1.Left + 4, t1.Top + 4));
  EXPECT_EQ(Log.Changes, 1);
  EXPECT_EQ(Pages->ActivePage(), Sheets[2]);  // the second tab belongs to the third sheet
  EXPECT_TRUE(Sheets[2]->Visible());
  EXPECT_FALSE(Sheets[0]->Visible());
  EXPECT_EQ(Pages->IndexOfTabAt(t1.Left + 4, t1.Top + 4), 1);
  EXPECT_EQ(Pages->IndexOfTabAt(290, 150), -1);
  // The program's choice goes through the window as TCM_SETCURSEL and tells no one.
  Log.Old = Pages->WindowProc();
  Pages->SetWindowProc(TWndMethod([this](TMessage& m) { Log.Hook(m); }));
  Pages->SetActivePageIndex(0);
  EXPECT_NE(std::find(Log.Sent.begin(), Log.Sent.end(), TCM_SETCURSEL), Log.Sent.end());
  EXPECT_EQ(Log.Changes, 1);
  Pages->SetWindowProc(Log.Old);
  // Ctrl+Tab from a control on the sheet: the next sheet with a tab, both ways, round the end.
  edit->SetFocus();
  Application->ProcessMessages();
  auto ctrlTab = [](bool shift) {
    InputKeyDown(VK_CONTROL);
    if (shift) InputKeyDown(VK_SHIFT);
    InputKeyDown(VK_TAB);
    InputKeyUp(VK_TAB);
    if (shift) InputKeyUp(VK_SHIFT);
    InputKeyUp(VK_CONTROL);
    Application->ProcessMessages();
  };
  ctrlTab(false);
  EXPECT_EQ(Pages->ActivePage(), Sheets[2]);
  EXPECT_EQ(Log.Changes, 2);
  ctrlTab(false);
  EXPECT_EQ(Pages->ActivePage(), Sheets[0]);
  ctrlTab(true);
  EXPECT_EQ(Pages->ActivePage(), Sheets[2]);
  Log.Allow = false;
  ctrlTab(true);
  EXPECT_EQ(Pages->ActivePage(), Sheets[2]);
  EXPECT_EQ(Pages->FindNextPage(Sheets[2], true, false), Sheets[0]);
  EXPECT_EQ(Pages->FindNextPage(Sheets[0], true, false), Sheets[1]);
  EXPECT_EQ(Pages->FindNextPage(Sheets[0], true, true), Sheets[2]);
  EXPECT_EQ(Pages->FindNextPage(Sheets[0], false, true), Sheets[2]);
}

TEST_F(Platform_PageControl, SheetsFillTheDisplayRectangleTheWindowAnswers) {
  Pages->SetActivePage(Sheets[0]);
  Pages->SetTabHeight(20);
  Form->Show();
  Application->ProcessMessages();
  EXPECT_EQ(Sheets[0]->BoundsRect(), TRect(4, 26, 296, 196));
  Pages->SetTabPosition(tpLeft);
  EXPECT_EQ(Sheets[0]->BoundsRect(), TRect(26, 4, 296, 196));
  EXPECT_EQ(Pages->TabRect(0), TRect(2, 2, 22, Pages->TabRect(1).Top));
  // A window procedure moving the display rectangle moves the sheets.
  Log.Old = Pages->WindowProc();
  Log.AdjustTop = 10;
  Pages->SetWindowProc(TWndMethod([this](TMessage& m) { Log.Hook(m); }));
  Pages->Realign();
  EXPECT_EQ(Sheets[0]->BoundsRect(), TRect(26, 14, 296, 196));
  Pages->SetWindowProc(Log.Old);
}

TEST_F(Platform_PageControl, TabControlKeepsTabsAndAsksBeforeChanging) {
  auto* tabs = new TTabControl(Form.get());
  tabs->SetParent(Form.get());
  tabs->SetBounds(10, 220, 300, 60);
  tabs->Tabs()->Add(u"One");
  tabs->Tabs()->Add(u"Two");
  tabs->SetTabIndex(1);
  tabs->SetOnChanging(TTabChangingEvent(&Log, &TTabLog::Changing));
  tabs->SetOnChange(TNotifyEvent(&Log, &TTabLog::Change));
  Form->Show();
  Application->ProcessMessages();
  EXPECT_EQ(tabs->TabIndex(), 1);
  tabs->SetFocus();
  Application->ProcessMessages();
  Log.Allow = false;
  InputKeyDown(VK_LEFT);
  InputKeyUp(VK_LEFT);
  Application->ProcessMessages();
  EXPECT_EQ(tabs->TabIndex(), 1);
  EXPECT_EQ(Log.Changings, 1);
  Log.Allow = true;
  InputKeyDown(VK_LEFT);
  InputKeyUp(VK_LEFT);
  Application->ProcessMessages();
  EXPECT_EQ(tabs->TabIndex(), 0);
  EXPECT_EQ(Log.Changes, 1);
  tabs->SetMultiLine(true);  // a new window keeps tabs and selection
  EXPECT_EQ(tabs->Tabs()->Count(), 2);
  EXPECT_EQ(tabs->Tabs()->Strings(1), u"Two");
  EXPECT_EQ(tabs->TabIndex(), 0);
  EXPECT_EQ(tabs->TabRect(5), TRect(0, 0, 0, 0));
  EXPECT_THROW(tabs->Tabs()->Strings(5), EStringListError);
}

}  // namespace

namespace {

// Showing a sheet stacks its window on top; the form file must still list
// the sheets in page order, or the tabs come back shuffled.
TEST_F(Platform_PageControl, FormFilesKeepThePageOrderWhicheverSheetIsShown) {
  RegisterClasses({TForm::StaticClass(), TPageControl::StaticClass(), TTabSheet::StaticClass()});
  Form->SetName(u"Host");
  Pages->SetName(u"Pages");
  const char16_t* names[] = {u"SheetA", u"SheetB", u"SheetC"};
  for (size_t i = 0; i < Sheets.size(); ++i) Sheets[i]->SetName(names[i]);
  Form->Show();
  Pages->SetActivePage(Sheets[2]);
  Pages->SetActivePage(Sheets[0]);
  const std::string text = ComponentToText(Form.get());
  const size_t a = text.find("SheetA"), b = text.find("SheetB"), c = text.find("SheetC");
  ASSERT_NE(c, std::string::npos) << text;
  EXPECT_LT(a, b);
  EXPECT_LT(b, c);

  auto back = std::make_unique<TForm>(nullptr);
  TextToComponent(text, back.get());
  auto* pages = dynamic_cast<TPageControl*>(back->FindComponent(u"Pages"));
  ASSERT_NE(pages, nullptr);
  ASSERT_EQ(pages->PageCount(), 3);
  for (Integer i = 0; i < 3; ++i) EXPECT_EQ(pages->Pages(i)->Name(), names[i]);
  EXPECT_EQ(pages->ActivePage(), pages->Pages(0));
}

}  // namespace

}  // namespace t_page_control_test
