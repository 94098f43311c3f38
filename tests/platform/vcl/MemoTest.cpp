#include <memory>
#include <random>
#include <vector>

#include "platform/user/Clipboard.h"
#include "platform/vcl/Clipbrd.h"
#include "platform/vcl/StdCtrls.h"
#include "tests/platform/vcl/FormsTestSupport.h"

namespace t_memo_test {

using namespace vcl;
using namespace formstest;

namespace {

class TChangeCounter : public TObject {
 public:
  int Count = 0;
  void Changed(TObject*) { ++Count; }
};

class EditControlsTest : public FormsTest {
 protected:
  void SetUp() override {
    FormsTest::SetUp();
    ResetClipboard();
    Form.reset(new TForm(nullptr));
    Form->SetBounds(100, 100, 400, 300);
  }
  void TearDown() override {
    Form.reset();
    ResetClipboard();
    FormsTest::TearDown();
  }
  template <class C>
  C* Make(Integer x, Integer y, Integer w, Integer h) {
    C* c = new C(Form.get());
    c->SetParent(Form.get());
    c->SetBounds(x, y, w, h);
    return c;
  }
  void Key(int vk) {
    InputKeyDown(vk);
    InputKeyUp(vk);
    Application->ProcessMessages();
  }
  std::unique_ptr<TForm> Form;
};

class Platform_Memo : public EditControlsTest {};
class Platform_VclEdit : public EditControlsTest {};

std::vector<String> Contents(TStrings* s) {
  std::vector<String> v;
  for (Integer i = 0; i < s->Count(); ++i) v.push_back(s->Strings(i));
  return v;
}

// The lines of a memo behave as a string list, with a window and without.
TEST_F(Platform_Memo, LinesActAsAStringListWithAndWithoutAWindow) {
  std::mt19937 rng(34);
  const String words[] = {u"one", u"two words", u"x", u"last line here"};
  for (int windowed = 0; windowed < 2; ++windowed) {
    auto* memo = Make<TMemo>(10, 10, 360, 200);
    memo->SetWordWrap(false);
    if (windowed) memo->HandleNeeded();
    TStringList ref;
    for (int step = 0; step < 200; ++step) {
      Integer n = ref.Count();
      String w = words[rng() % 4];
      switch (rng() % 6) {
        case 0:
        case 1:
          ref.Add(w);
          memo->Lines()->Add(w);
          break;
        case 2: {
          Integer i = Integer(rng() % uint32_t(n + 1));
          ref.Insert(i, w);
          memo->Lines()->Insert(i, w);
          break;
        }
        case 3:
          if (n > 0) {
            Integer i = Integer(rng() % uint32_t(n));
            ref.Delete(i);
            memo->Lines()->Delete(i);
          }
          break;
        case 4:
          if (n > 0) {
            Integer i = Integer(rng() % uint32_t(n));
            ref.SetStrings(i, w);
            memo->Lines()->SetStrings(i, w);
          }
          break;
        default:
          if (rng() % 8 == 0) {
            ref.Clear();
            memo->Lines()->Clear();
          }
          break;
      }
      ASSERT_EQ(Contents(memo->Lines()), Contents(&ref)) << "step " << step << " windowed " << windowed;
    }
    EXPECT_EQ(memo->Lines()->Text(), ref.Text());
    EXPECT_THROW(memo->Lines()->Delete(ref.Count()), EStringListError);
    // The window keeps what the control had without one, and back.
    if (!windowed) {
      String before = memo->Text();
      memo->HandleNeeded();
      EXPECT_EQ(memo->Text(), before);
      EXPECT_EQ(Contents(memo->Lines()), Contents(&ref));
    }
  }
}

TEST_F(Platform_Memo, OnChangeFollowsProgrammaticTextAndTyping) {
  TChangeCounter counter;
  auto* memo = Make<TMemo>(10, 10, 200, 100);
  auto* edit = Make<TEdit>(10, 120, 200, 21);
  memo->SetOnChange(TNotifyEvent(&counter, &TChangeCounter::Changed));
  edit->SetOnChange(TNotifyEvent(&counter, &TChangeCounter::Changed));
  // Without windows.
  memo->SetText(u"a");
  edit->SetText(u"b");
  EXPECT_EQ(counter.Count, 2);
  Form->Show();
  Application->ProcessMessages();
  ASSERT_TRUE(memo->HandleAllocated());
  counter.Count = 0;
  // With windows: the multi-line edit reports no WM_SETTEXT, the control
  // fires anyway; the single line reports it once.
  memo->SetText(u"memo text");
  EXPECT_EQ(counter.Count, 1);
  edit->SetText(u"edit text");
  EXPECT_EQ(counter.Count, 2);
  memo->Lines()->Add(u"more");
  EXPECT_EQ(counter.Count, 3);
  // As on the platform, a line added at the end of the text ends with a break.
  EXPECT_EQ(memo->Text(), u"memo text\r\nmore");
  memo->Lines()->Add(u"last");
  EXPECT_EQ(memo->Lines()->Count(), 3);
  EXPECT_EQ(counter.Count, 4);
  edit->SetFocus();
  InputType(u"xyz");
  Application->ProcessMessages();
  EXPECT_EQ(counter.Count, 7);
  EXPECT_TRUE(edit->Modified());
  edit->SetModified(false);
  EXPECT_FALSE(edit->Modified());
}

TEST_F(Platform_Memo, PropertiesBecomeStylesAndDialogCodes) {
  auto* memo = Make<TMemo>(10, 10, 200, 100);
  memo->HandleNeeded();
  auto style = [&] { return DWORD(GetWindowLongW(memo->Handle(), GWL_STYLE)); };
  EXPECT_TRUE(style() & ES_MULTILINE);
  EXPECT_FALSE(style() & ES_AUTOHSCROLL);  // word wrap by default
  EXPECT_FALSE(style() & (WS_HSCROLL | WS_VSCROLL));
  EXPECT_TRUE(GetWindowLongW(memo->Handle(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
  memo->SetText(u"kept");
  memo->SetWordWrap(false);
  memo->SetScrollBars(ssBoth);
  memo->SetAlignment(taCenter);
  EXPECT_TRUE(style() & ES_AUTOHSCROLL);
  EXPECT_EQ(style() & (WS_HSCROLL | WS_VSCROLL), WS_HSCROLL | WS_VSCROLL);
  EXPECT_EQ(style() & (ES_CENTER | ES_RIGHT), ES_CENTER);
  EXPECT_EQ(memo->Text(), u"kept");
  memo->SetScrollBars(TScrollStyle::ssHorizontal);
  EXPECT_EQ(style() & (WS_HSCROLL | WS_VSCROLL), WS_HSCROLL);
  // Tabs and returns through WM_GETDLGCODE.
  LRESULT code = memo->Perform(WM_GETDLGCODE, 0, 0);
  EXPECT_FALSE(code & DLGC_WANTTAB);
  EXPECT_TRUE(code & DLGC_WANTALLKEYS);
  memo->SetWantTabs(true);
  memo->SetWantReturns(false);
  code = memo->Perform(WM_GETDLGCODE, 0, 0);
  EXPECT_TRUE(code & DLGC_WANTTAB);
  EXPECT_FALSE(code & DLGC_WANTALLKEYS);
  Form->Show();
  memo->SetFocus();
  memo->SetCaretPos(TPoint(4, 0));
  InputType(u"\t\r!");
  Application->ProcessMessages();
  EXPECT_EQ(memo->Text(), u"kept\t!");
  memo->SetWantReturns(true);
  InputType(u"\r?");
  Application->ProcessMessages();
  EXPECT_EQ(memo->Text(), u"kept\t!\r\n?");
  EXPECT_EQ(memo->CaretPos(), TPoint(1, 1));
  memo->SetCaretPos(TPoint(99, 0));
  EXPECT_EQ(memo->CaretPos(), TPoint(6, 0));
  memo->SetBorderStyle(bsNone);
  EXPECT_FALSE(GetWindowLongW(memo->Handle(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
  memo->SetCtl3D(false);
  memo->SetBorderStyle(bsSingle);
  EXPECT_TRUE(style() & WS_BORDER);
}

TEST_F(Platform_Memo, ReadOnlyMemoStillCopies) {
  auto* memo = Make<TMemo>(10, 10, 200, 100);
  memo->SetReadOnly(true);
  memo->SetText(u"cannot change");
  Form->Show();
  memo->SetFocus();
  memo->SelectAll();
  InputType(u"typed\b");
  Key(VK_DELETE);
  memo->CutToClipboard();
  memo->ClearSelection();
  EXPECT_EQ(memo->Text(), u"cannot change");
  memo->CopyToClipboard();
  TClipboard* cb = Clipboard();
  EXPECT_EQ(cb->AsText(), u"cannot change");
  memo->SetReadOnly(false);
  memo->PasteFromClipboard();
  memo->PasteFromClipboard();
  EXPECT_EQ(memo->Text(), u"cannot changecannot change");
  EXPECT_TRUE(memo->CanUndo());
  memo->Undo();
  EXPECT_EQ(memo->Text(), u"cannot change");
  memo->ClearUndo();
  EXPECT_FALSE(memo->CanUndo());
}

TEST_F(Platform_VclEdit, SelectionMaxLengthCaseAndRecreation) {
  auto* edit = Make<TEdit>(10, 10, 200, 30);
  edit->SetText(u"Hello World");
  edit->SetMaxLength(14);
  Form->Show();
  // AutoSize: one line of the font plus the client edge.
  EXPECT_LT(edit->Height(), 30);
  EXPECT_GT(edit->Height(), 14);
  edit->SetSelStart(6);
  edit->SetSelLength(5);
  EXPECT_EQ(edit->SelText(), u"World");
  Char buf[4] = {u'#', u'#', u'#', u'#'};
  EXPECT_EQ(edit->GetSelTextBuf(buf, 3), 2);
  EXPECT_EQ(String(buf), u"Wo");
  EXPECT_EQ(buf[3], u'#');
  EXPECT_EQ(edit->GetSelTextBuf(buf, 0), 0);
  edit->SetSelText(u"There, friend");
  EXPECT_EQ(edit->Text(), u"Hello There, f");  // MaxLength
  EXPECT_EQ(edit->SelStart(), 14);
  EXPECT_EQ(edit->SelLength(), 0);
  // Case, read-only and the modified flag survive a new window.
  edit->SetModified(true);
  edit->SetReadOnly(true);
  edit->SetCharCase(ecUpperCase);
  EXPECT_EQ(edit->Text(), u"HELLO THERE, F");
  EXPECT_TRUE(edit->Modified());
  EXPECT_TRUE(GetWindowLongW(edit->Handle(), GWL_STYLE) & ES_READONLY);
  EXPECT_EQ(SendMessageW(edit->Handle(), EM_GETLIMITTEXT, 0, 0), 14);
  edit->SetPasswordChar(u'#');
  EXPECT_EQ(SendMessageW(edit->Handle(), EM_GETPASSWORDCHAR, 0, 0), u'#');
  edit->SetNumbersOnly(true);
  EXPECT_TRUE(GetWindowLongW(edit->Handle(), GWL_STYLE) & ES_NUMBER);
  edit->SetHideSelection(false);
  EXPECT_TRUE(GetWindowLongW(edit->Handle(), GWL_STYLE) & ES_NOHIDESEL);
  edit->Clear();
  EXPECT_EQ(edit->Text(), u"");
}

TEST_F(Platform_VclEdit, EnteringByKeyboardSelectsAll) {
  auto* first = Make<TEdit>(10, 10, 200, 21);
  auto* second = Make<TEdit>(10, 40, 200, 21);
  auto* memo = Make<TMemo>(10, 70, 200, 60);
  first->SetText(u"first");
  second->SetText(u"second");
  memo->SetText(u"memo");
  second->SetAutoSelect(false);
  Form->Show();
  first->SetFocus();
  Application->ProcessMessages();
  EXPECT_EQ(first->SelLength(), 5);
  Key(VK_TAB);
  ASSERT_TRUE(second->Focused());
  EXPECT_EQ(second->SelLength(), 0);
  Key(VK_TAB);
  ASSERT_TRUE(memo->Focused());
  EXPECT_EQ(memo->SelLength(), 0);  // never a multi-line edit
  // A click enters without selecting everything.
  TPoint p = first->ClientToScreen(TPoint(30, 8));
  InputMouseMove(p.X, p.Y);
  InputMouseDown(VK_LBUTTON);
  InputMouseUp(VK_LBUTTON);
  Application->ProcessMessages();
  ASSERT_TRUE(first->Focused());
  EXPECT_EQ(first->SelLength(), 0);
}

}  // namespace

}  // namespace t_memo_test
