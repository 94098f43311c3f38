#include <memory>
#include <vector>

#include "platform/rtl/SysUtils.h"
#include "platform/vcl/StdCtrls.h"
#include "tests/platform/vcl/FormsTestSupport.h"

namespace t_list_box_control_test {

using namespace vcl;
using namespace formstest;

namespace {

class TListLog : public TObject {
 public:
  std::vector<UINT> Sent;
  TWndMethod Old;
  int Clicks = 0;
  std::vector<std::pair<Integer, TOwnerDrawState>> Drawn;
  void Hook(TMessage& m) {
    if (m.Msg == LB_ADDSTRING || m.Msg == LB_INSERTSTRING || m.Msg == LB_DELETESTRING) Sent.push_back(m.Msg);
    Old(m);
  }
  void Click(TObject*) { ++Clicks; }
  void Draw(TWinControl*, Integer Index, TRect, TOwnerDrawState State) { Drawn.emplace_back(Index, State); }
  void Measure(TWinControl*, Integer Index, Integer& Height) { Height = 10 + Index; }
  void Data(TWinControl*, Integer Index, String& S) { S = u"row " + IntToStr(Index); }
};

class Platform_VclListBox : public FormsTest {
 protected:
  void SetUp() override {
    FormsTest::SetUp();
    Form.reset(new TForm(nullptr));
    Form->SetBounds(100, 100, 400, 300);
    List = new TListBox(Form.get());
    List->SetParent(Form.get());
    List->SetBounds(10, 10, 150, 120);
  }
  void TearDown() override {
    Form.reset();
    FormsTest::TearDown();
  }
  std::vector<String> Texts() {
    std::vector<String> v;
    for (Integer i = 0; i < List->Items()->Count(); ++i) v.push_back(List->Items()->Strings(i));
    return v;
  }
  std::unique_ptr<TForm> Form;
  TListBox* List = nullptr;
};

TEST_F(Platform_VclListBox, ItemsGoThroughTheWindowProcedureAndSurviveNewWindows) {
  TListLog log;
  TObject tag;
  List->Items()->Add(u"cherry");
  List->Items()->AddObject(u"apple", &tag);
  List->Items()->Insert(0, u"banana");
  EXPECT_EQ(Texts(), (std::vector<String>{u"banana", u"cherry", u"apple"}));
  List->SetItemIndex(1);
  List->HandleNeeded();
  log.Old = List->WindowProc();
  List->SetWindowProc(TWndMethod([&log](TMessage& m) { log.Hook(m); }));
  EXPECT_EQ(Texts(), (std::vector<String>{u"banana", u"cherry", u"apple"}));
  EXPECT_EQ(List->Items()->Objects(2), &tag);
  EXPECT_EQ(List->ItemIndex(), 1);
  List->Items()->Add(u"date");
  List->Items()->Insert(1, u"elder");
  List->Items()->Delete(0);
  EXPECT_EQ(log.Sent, (std::vector<UINT>{LB_ADDSTRING, LB_INSERTSTRING, LB_DELETESTRING}));
  List->Items()->SetStrings(0, u"ELDER");
  EXPECT_EQ(Texts(), (std::vector<String>{u"ELDER", u"cherry", u"apple", u"date"}));
  EXPECT_THROW(List->Items()->Strings(9), EStringListError);
  // A new window (sorted now) gets the items again, as messages.
  log.Sent.clear();
  List->SetSorted(true);
  EXPECT_EQ(Texts(), (std::vector<String>{u"apple", u"cherry", u"date", u"ELDER"}));
  EXPECT_EQ(log.Sent, (std::vector<UINT>(4, LB_ADDSTRING)));
  EXPECT_EQ(List->Items()->Objects(0), &tag);
  List->Items()->Add(u"banana");
  EXPECT_EQ(List->Items()->Strings(1), u"banana");
  List->SetWindowProc(log.Old);
}

TEST_F(Platform_VclListBox, SelectionClicksAndAutoComplete) {
  TListLog log;
  for (auto s : {u"apple", u"banana", u"cherry", u"cranberry", u"date"}) List->Items()->Add(s);
  List->SetOnClick(TNotifyEvent(&log, &TListLog::Click));
  Form->Show();
  List->SetFocus();
  Application->ProcessMessages();
  InputKeyDown(VK_DOWN);
  InputKeyUp(VK_DOWN);
  Application->ProcessMessages();
  EXPECT_EQ(List->ItemIndex(), 1);
  EXPECT_EQ(log.Clicks, 1);
  EXPECT_EQ(List->SelCount(), -1);
  InputType(u"cr");
  Application->ProcessMessages();
  EXPECT_EQ(List->ItemIndex(), 3);
  AdvanceClock(1000);
  InputType(u"d");
  Application->ProcessMessages();
  EXPECT_EQ(List->ItemIndex(), 4);
  // Positions.
  TRect r = List->ItemRect(2);
  EXPECT_EQ(List->ItemAtPos(TPoint(5, r.Top + 1), true), 2);
  EXPECT_EQ(List->ItemAtPos(TPoint(5, 110), true), -1);
  EXPECT_EQ(List->ItemAtPos(TPoint(5, 110), false), 5);
  List->DeleteSelected();
  EXPECT_EQ(List->Items()->Count(), 4);
  // Multiple selection.
  List->SetMultiSelect(true);
  List->SelectAll();
  EXPECT_EQ(List->SelCount(), 4);
  List->SetSelected(1, false);
  List->DeleteSelected();
  EXPECT_EQ(Texts(), std::vector<String>{u"banana"});
  List->ClearSelection();
  EXPECT_EQ(List->SelCount(), 0);
}

TEST_F(Platform_VclListBox, OwnerDrawMeasuresAndDrawsWithStates) {
  TListLog log;
  List->SetStyle(lbOwnerDrawFixed);
  List->SetItemHeight(22);
  List->SetItemHeight(-3);  // ignored
  List->SetOnDrawItem(TDrawItemEvent(&log, &TListLog::Draw));
  for (auto s : {u"one", u"two", u"three"}) List->Items()->Add(s);
  Form->Show();
  Application->ProcessMessages();
  EXPECT_EQ(SendMessageW(List->Handle(), LB_GETITEMHEIGHT, 0, 0), 22);
  EXPECT_EQ(List->ItemRect(2).Top, 44);
  List->SetFocus();
  List->SetItemIndex(1);
  log.Drawn.clear();
  List->Repaint();
  bool found = false;
  for (auto& [i, st] : log.Drawn)
    if (i == 1) found = st.Contains(odSelected) && st.Contains(odFocused);
  EXPECT_TRUE(found);
  // Variable heights from OnMeasureItem, one per item.
  List->SetOnMeasureItem(TMeasureItemEvent(&log, &TListLog::Measure));
  List->SetStyle(lbOwnerDrawVariable);
  List->Items()->Add(u"four");
  EXPECT_EQ(List->ItemRect(3).Top, 10 + 11 + 12);
  EXPECT_EQ(List->ItemRect(3).Height(), 13);
  // The list draws its focus away when the form goes, after the log.
  List->SetOnDrawItem(TDrawItemEvent());
  List->SetOnMeasureItem(TMeasureItemEvent());
}

TEST_F(Platform_VclListBox, VirtualListsAskForTheirTexts) {
  TListLog log;
  List->SetStyle(lbVirtual);
  List->SetOnData(TLBGetDataEvent(&log, &TListLog::Data));
  List->SetCount(1000);
  Form->Show();
  Application->ProcessMessages();
  EXPECT_EQ(SendMessageW(List->Handle(), LB_GETCOUNT, 0, 0), 1000);
  EXPECT_EQ(List->Count(), 1000);
  EXPECT_EQ(List->Items()->Strings(42), u"row 42");
  List->SetTopIndex(999);  // the last page stays full
  EXPECT_EQ(List->TopIndex(), 1000 - List->ClientHeight() / List->ItemHeight());
  EXPECT_THROW(TListBox(nullptr).SetCount(3), EListError);
  // Objects and searches of a virtual list come from its events.
  TObject tag;
  List->SetOnDataObject(TLBGetDataObjectEvent([&tag](TWinControl*, Integer Index, TObject*& O) {
    O = Index == 7 ? &tag : nullptr;
  }));
  List->SetOnDataFind(TLBFindDataEvent([](TWinControl*, String S) -> Integer {
    return S.rfind(u"row ", 0) == 0 ? StrToInt(S.substr(4)) : -1;
  }));
  EXPECT_EQ(List->Items()->Objects(7), &tag);
  EXPECT_EQ(List->Items()->Objects(8), nullptr);
  EXPECT_THROW(List->Items()->Objects(1000), EStringListError);
  EXPECT_EQ(List->Items()->IndexOf(u"row 512"), 512);
  EXPECT_EQ(List->Items()->IndexOf(u"column"), -1);
  List->SetOnDataObject(TLBGetDataObjectEvent());
}

TEST_F(Platform_VclListBox, TabWidthAndScrollWidthShapeTheWindow) {
  List->Items()->Add(u"Name\tValue");
  List->SetTabWidth(40);
  List->SetScrollWidth(500);
  Form->Show();
  Application->ProcessMessages();
  LONG st = GetWindowLongW(List->Handle(), GWL_STYLE);
  EXPECT_TRUE(st & LBS_USETABSTOPS);
  EXPECT_TRUE(st & WS_HSCROLL);
  EXPECT_EQ(List->ScrollWidth(), 500);
  List->SetScrollWidth(300);
  EXPECT_EQ(SendMessageW(List->Handle(), LB_GETHORIZONTALEXTENT, 0, 0), 300);
  List->SetTabWidth(0);
  List->SetScrollWidth(0);
  st = GetWindowLongW(List->Handle(), GWL_STYLE);
  EXPECT_FALSE(st & (LBS_USETABSTOPS | WS_HSCROLL));
  EXPECT_EQ(List->Items()->Strings(0), u"Name\tValue");
}

}  // namespace

}  // namespace t_list_box_control_test
