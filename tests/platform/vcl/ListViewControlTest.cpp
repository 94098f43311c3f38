// The list view control over the native view: the header announced to its
// WindowProc once per window, items, columns and states kept across a new
// window, the change events (a veto included), column clicks, label edits,
// sorting and deletion notices.
#include <memory>
#include <vector>

#include "platform/desktop/Desktop.h"
#include "platform/rtl/SysUtils.h"
#include "platform/vcl/ComCtrls.h"
#include "tests/platform/vcl/FormsTestSupport.h"

namespace t_list_view_control_test {

using namespace vcl;
using namespace formstest;

namespace {

class TViewLog : public TObject {
 public:
  std::vector<String> Events;
  int HeaderNotices = 0;
  bool AllowSelect = true;
  void Changing(TObject*, TListItem* Item, TItemChange Change, bool& Allow) {
    if (Change == ctState && !AllowSelect && !Item->Selected()) Allow = false;
  }
  void Selected(TObject*, TListItem* Item, bool On) { Events.push_back(u"select " + Item->Caption() + (On ? u" on" : u" off")); }
  void Checked(TObject*, TListItem* Item) { Events.push_back(u"check " + Item->Caption()); }
  void ColumnClick(TObject*, TListColumn* Column) { Events.push_back(u"column " + Column->Caption()); }
  void Deleted(TObject*, TListItem* Item) { Events.push_back(u"delete " + Item->Caption()); }
  void Inserted(TObject*, TListItem* Item) { Events.push_back(u"insert " + IntToStr(Item->Index())); }
  void Edited(TObject*, TListItem*, String& S) { S = S + u"!"; }
  void Compare(TObject*, TListItem* A, TListItem* B, Integer, Integer& R) {
    R = Integer(A->Caption().size()) - Integer(B->Caption().size());
  }
};

class Platform_ListViewControl : public FormsTest {
 protected:
  void SetUp() override {
    FormsTest::SetUp();
    Form.reset(new TForm(nullptr));
    Form->SetBounds(100, 100, 500, 400);
    View = new TListView(Form.get());
    View->SetParent(Form.get());
    View->SetBounds(10, 10, 400, 300);
    View->SetViewStyle(vsReport);
    for (const char16_t* c : {u"Name", u"Size"}) {
      TListColumn* col = View->Columns()->Add();
      col->SetCaption(c);
      col->SetWidth(120);
    }
    for (const char16_t* n : {u"pear", u"fig", u"banana"}) {
      TListItem* it = View->Items()->Add();
      it->SetCaption(n);
      it->SubItems()->Add(IntToStr(Integer(String(n).size())));
    }
  }
  void TearDown() override {
    Form.reset();
    FormsTest::TearDown();
  }
  void Hook(TViewLog& log) {
    TWndMethod old = View->WindowProc();
    View->SetWindowProc([&log, old](TMessage& m) {
      if (m.Msg == WM_PARENTNOTIFY && LOWORD(m.WParam) == WM_CREATE) {
        char16_t cls[50] = {};
        GetClassNameW(reinterpret_cast<HWND>(m.LParam), cls, 50);
        if (String(cls) == u"SysHeader32") ++log.HeaderNotices;
      }
      old(m);
    });
  }
  String SubText(Integer i, Integer sub) {
    char16_t buf[32] = {};
    LVITEMW it;
    it.iSubItem = sub;
    it.pszText = buf;
    it.cchTextMax = 32;
    View->LV(LVM_GETITEMTEXTW, WPARAM(i), reinterpret_cast<LPARAM>(&it));
    return buf;
  }
  std::unique_ptr<TForm> Form;
  TListView* View = nullptr;
};

TEST_F(Platform_ListViewControl, HeaderAnnouncedOncePerWindowAndEverythingKeptAcrossNewWindows) {
  TViewLog log;
  Hook(log);
  View->SetCheckboxes(true);
  View->SetMultiSelect(true);
  View->HandleNeeded();
  EXPECT_EQ(log.HeaderNotices, 1);
  View->Items()->Item(0)->SetSelected(true);
  View->Items()->Item(2)->SetSelected(true);
  View->Items()->Item(1)->SetChecked(true);
  View->Items()->Item(1)->SetFocused(true);
  HWND hdr = reinterpret_cast<HWND>(View->LV(LVM_GETHEADER, 0, 0));
  View->LV(LVM_SETCOLUMNWIDTH, 1, 77);
  // A dragged header order too.
  int order[] = {1, 0};
  View->LV(LVM_SETCOLUMNORDERARRAY, 2, reinterpret_cast<LPARAM>(order));

  View->RecreateWnd();
  View->HandleNeeded();
  EXPECT_EQ(log.HeaderNotices, 2);
  EXPECT_NE(reinterpret_cast<HWND>(View->LV(LVM_GETHEADER, 0, 0)), hdr);
  ASSERT_EQ(View->Items()->Count(), 3);
  EXPECT_EQ(View->LV(LVM_GETITEMCOUNT, 0, 0), 3);
  EXPECT_TRUE(View->Items()->Item(0)->Selected());
  EXPECT_FALSE(View->Items()->Item(1)->Selected());
  EXPECT_TRUE(View->Items()->Item(2)->Selected());
  EXPECT_TRUE(View->Items()->Item(1)->Checked());
  EXPECT_FALSE(View->Items()->Item(0)->Checked());
  EXPECT_EQ(View->ItemFocused(), View->Items()->Item(1));
  EXPECT_EQ(View->SelCount(), 2);
  EXPECT_EQ(View->Column(1)->Width(), 77);
  EXPECT_EQ(SubText(2, 1), u"6");
  int after[2] = {};
  View->LV(LVM_GETCOLUMNORDERARRAY, 2, reinterpret_cast<LPARAM>(after));
  EXPECT_EQ(after[0], 1);
  EXPECT_EQ(after[1], 0);
  View->SetWindowProc(nullptr);
}

TEST_F(Platform_ListViewControl, ChangeEventsVetoAndChecks) {
  TViewLog log;
  View->SetCheckboxes(true);
  View->SetOnChanging(TLVChangingEvent(&log, &TViewLog::Changing));
  View->SetOnSelectItem(TLVSelectItemEvent(&log, &TViewLog::Selected));
  View->SetOnItemChecked(TLVCheckedItemEvent(&log, &TViewLog::Checked));
  View->HandleNeeded();
  log.AllowSelect = false;
  View->Items()->Item(1)->SetSelected(true);
  EXPECT_FALSE(View->Items()->Item(1)->Selected());
  EXPECT_TRUE(log.Events.empty());
  log.AllowSelect = true;
  View->SetSelected(View->Items()->Item(1));
  View->SetSelected(View->Items()->Item(2));
  View->Items()->Item(0)->SetChecked(true);
  EXPECT_EQ(log.Events, (std::vector<String>{u"select fig on", u"select fig off", u"select banana on",
                                             u"check pear"}));
  // A click on the box checks through the same road.
  log.Events.clear();
  TRect b = View->Items()->Item(2)->DisplayRect(drBounds);
  TPoint p = View->ClientToScreen(TPoint(b.Left + 8, (b.Top + b.Bottom) / 2));
  Form->Show();
  InputMouseMove(p.X, p.Y);
  InputMouseDown(VK_LBUTTON);
  InputMouseUp(VK_LBUTTON);
  Application->ProcessMessages();
  EXPECT_EQ(log.Events, (std::vector<String>{u"check banana"}));
  EXPECT_TRUE(View->Items()->Item(2)->Checked());
}

TEST_F(Platform_ListViewControl, ColumnsEditsSortingAndDeletion) {
  TViewLog log;
  View->SetOnColumnClick(TLVColumnClickEvent(&log, &TViewLog::ColumnClick));
  View->SetOnDeletion(TLVDeletedEvent(&log, &TViewLog::Deleted));
  View->SetOnInsert(TLVDeletedEvent(&log, &TViewLog::Inserted));
  View->SetOnEdited(TLVEditedEvent(&log, &TViewLog::Edited));
  Form->Show();
  Application->ProcessMessages();
  HWND hdr = reinterpret_cast<HWND>(View->LV(LVM_GETHEADER, 0, 0));
  POINT p{150, 5};
  ClientToScreen(hdr, &p);
  InputMouseMove(p.X, p.Y);
  InputMouseDown(VK_LBUTTON);
  InputMouseUp(VK_LBUTTON);
  Application->ProcessMessages();
  EXPECT_EQ(log.Events, (std::vector<String>{u"column Size"}));

  // An edit ends through OnEdited, which may change the text.
  ASSERT_TRUE(View->Items()->Item(1)->EditCaption());
  EXPECT_TRUE(View->IsEditing());
  HWND e = reinterpret_cast<HWND>(View->LV(LVM_GETEDITCONTROL, 0, 0));
  SetWindowTextW(e, u"date");
  InputKeyDown(VK_RETURN);
  InputKeyUp(VK_RETURN);
  Application->ProcessMessages();
  EXPECT_FALSE(View->IsEditing());
  EXPECT_EQ(View->Items()->Item(1)->Caption(), u"date!");
  // Read-only views refuse edits.
  View->SetReadOnly(true);
  EXPECT_FALSE(View->Items()->Item(1)->EditCaption());

  // Sorting by OnCompare reorders the objects with the window.
  View->SetOnCompare(TLVCompareEvent(&log, &TViewLog::Compare));
  View->AlphaSort();
  EXPECT_EQ(View->Items()->Item(0)->Caption(), u"pear");
  EXPECT_EQ(View->Items()->Item(2)->Caption(), u"banana");
  EXPECT_EQ(SubText(2, 0), u"banana");
  View->SetOnCompare(TLVCompareEvent());
  View->SetSortType(stText);
  EXPECT_EQ(View->Items()->Item(0)->Caption(), u"banana");
  TListItem* added = View->Items()->Add();
  added->SetCaption(u"apple");
  EXPECT_EQ(View->Items()->Item(0), added);

  log.Events.clear();
  View->Items()->Delete(1);
  View->Items()->Clear();
  EXPECT_EQ(log.Events, (std::vector<String>{u"delete banana", u"delete apple", u"delete date!", u"delete pear"}));
  EXPECT_EQ(View->Items()->Count(), 0);
  EXPECT_EQ(View->Selected(), nullptr);
}

}  // namespace

}  // namespace t_list_view_control_test
