// The library-drawn edit's model driven through the input driver on a
// focused form: random key sequences against a plain string model, the
// input filters against a reference, the length limit, the text messages
// with short and missing buffers, horizontal scrolling for random texts and
// widths; the in-box items and their anchor objects.
#include <gtest/gtest.h>

#include <memory>
#include <random>

#include "platform/classes/FormText.h"
#include "platform/vcl/Clipbrd.h"
#include "platform/vcl/Forms.h"
#include "skin/controls/uQuarnEdit.h"
#include "tests/platform/user/UserTestSupport.h"

namespace t_u_quarn_edit_model_test {

using namespace qn;

namespace {

bool IsHigh(Char C) { return C >= 0xD800 && C <= 0xDBFF; }
bool IsLow(Char C) { return C >= 0xDC00 && C <= 0xDFFF; }

class TCountingEdit : public TQuarnEdit {
  QN_CLASS(TCountingEdit, TQuarnEdit)
 public:
  explicit TCountingEdit(TComponent* AOwner) : TQuarnEdit(AOwner) {}
  Integer Repaints = 0;
  void Invalidate() override {
    ++Repaints;
    TQuarnEdit::Invalidate();
  }
};

class EditTest : public usertest::InputServerTest {
 protected:
  void SetUp() override {
    usertest::InputServerTest::SetUp();
    SetScreenSize(1024, 768);
    FForm.reset(new TForm(nullptr));
    FForm->SetPosition(poDesigned);
    FForm->SetBorderStyle(bsNone);
    FForm->SetBounds(100, 100, 500, 200);
    FEdit = new TCountingEdit(FForm.get());
    FEdit->SetParent(FForm.get());
    FEdit->SetBounds(20, 20, 200, 26);
    FForm->Show();
    usertest::Pump();
    FEdit->SetFocus();
    usertest::Pump();
  }
  void TearDown() override {
    FForm.reset();
    FreeDeviceContexts();
    usertest::InputServerTest::TearDown();
  }
  void Key(int Vk, bool Shift = false, bool Ctrl = false) {
    if (Ctrl) InputKeyDown(VK_CONTROL);
    if (Shift) InputKeyDown(VK_SHIFT);
    InputKeyDown(Vk);
    InputKeyUp(Vk);
    if (Shift) InputKeyUp(VK_SHIFT);
    if (Ctrl) InputKeyUp(VK_CONTROL);
    usertest::Pump();
  }
  // Characters as the window gets them from an input method, pairs too.
  void Chars(const String& S) {
    for (Char c : S) SendMessageW(FEdit->Handle(), WM_CHAR, WPARAM(c), 0);
    usertest::Pump();
  }
  static void NoLoneHalves(const String& S) {
    for (size_t i = 0; i < S.size(); ++i) {
      if (IsHigh(S[i])) {
        ASSERT_TRUE(i + 1 < S.size() && IsLow(S[i + 1])) << "lone high half at " << i;
        ++i;
      } else {
        ASSERT_FALSE(IsLow(S[i])) << "lone low half at " << i;
      }
    }
  }
  std::unique_ptr<TForm> FForm;
  TCountingEdit* FEdit = nullptr;
};

using uQuarnEdit_Model = EditTest;

// Typing (with pairs), arrows with and without Shift, Home, End,
// Backspace, Delete and paste against a string with a caret and an anchor.
TEST_F(uQuarnEdit_Model, RandomKeysMatchAStringModel) {
  std::mt19937 rng(20261207);
  const String pair = u"\U0001F600";
  for (int round = 0; round < 12; ++round) {
    FEdit->Clear();
    String text;
    Integer caret = 0, anchor = 0;
    auto lo = [&] { return std::min(caret, anchor); };
    auto hi = [&] { return std::max(caret, anchor); };
    auto left = [&](Integer p) { return p >= 2 && IsLow(text[p - 1]) && IsHigh(text[p - 2]) ? p - 2 : std::max(0, p - 1); };
    auto right = [&](Integer p) {
      const Integer n = Integer(text.size());
      return p + 1 < n && IsHigh(text[p]) && IsLow(text[p + 1]) ? p + 2 : std::min(n, p + 1);
    };
    auto insert = [&](const String& s) {
      const Integer at = lo();
      text.erase(size_t(at), size_t(hi() - at));
      text.insert(size_t(at), s);
      caret = anchor = at + Integer(s.size());
    };
    for (int step = 0; step < 40; ++step) {
      const int op = int(rng() % 10);
      switch (op) {
        case 0:
        case 1: {
          const String s = (rng() % 3 == 0) ? pair : String(1, Char(u'a' + rng() % 26));
          Chars(s);
          insert(s);
          break;
        }
        case 2: {
          const bool shift = rng() % 2;
          Key(VK_LEFT, shift);
          caret = caret > 0 ? left(caret) : caret;
          if (!shift) anchor = caret;
          break;
        }
        case 3: {
          const bool shift = rng() % 2;
          Key(VK_RIGHT, shift);
          caret = right(caret);
          if (!shift) anchor = caret;
          break;
        }
        case 4:
          Key(VK_HOME);
          caret = anchor = 0;
          break;
        case 5:
          Key(VK_END);
          caret = anchor = Integer(text.size());
          break;
        case 6:
          Key(VK_BACK);
          if (hi() > lo()) {
            insert(String());
          } else if (caret > 0) {
            const Integer to = left(caret);
            text.erase(size_t(to), size_t(caret - to));
            caret = anchor = to;
          }
          break;
        case 7:
          Key(VK_DELETE);
          if (hi() > lo()) {
            insert(String());
          } else if (caret < Integer(text.size())) {
            text.erase(size_t(caret), size_t(right(caret) - caret));
          }
          break;
        default: {
          const String s = rng() % 2 ? String(u"xy") + pair : String(u"q\r\nsecond line");
          Clipboard()->SetAsText(s);
          Key('V', false, true);
          insert(s.substr(0, s.find(u'\r')));
          break;
        }
      }
      ASSERT_EQ(FEdit->Text(), text) << "round " << round << " step " << step << " op " << op;
      ASSERT_EQ(FEdit->CursorPos(), caret) << "round " << round << " step " << step << " op " << op;
      ASSERT_EQ(FEdit->SelStart(), lo());
      ASSERT_EQ(FEdit->SelLength(), hi() - lo());
      NoLoneHalves(FEdit->Text());
      ASSERT_FALSE(caret > 0 && caret < Integer(text.size()) && IsHigh(text[caret - 1]));
    }
  }
}

TEST_F(uQuarnEdit_Model, WordStepsAndSelectionRules) {
  FEdit->SetText(u"alpha beta");
  FEdit->SetCursorPos(2);
  Key(VK_RIGHT, false, true);
  EXPECT_EQ(FEdit->CursorPos(), 6);  // right after the space
  Key(VK_RIGHT, false, true);
  EXPECT_EQ(FEdit->CursorPos(), 10);
  Key(VK_LEFT, false, true);
  EXPECT_EQ(FEdit->CursorPos(), 6);
  Key(VK_LEFT, false, true);
  EXPECT_EQ(FEdit->CursorPos(), 0);
  // SelStart moves both points, SelLength is clamped to the text.
  FEdit->SetSelStart(3);
  FEdit->SetSelLength(50);
  EXPECT_EQ(FEdit->SelText(), u"ha beta");
  FEdit->SetSelLength(-4);
  EXPECT_EQ(FEdit->SelLength(), 0);
  FEdit->SetSelStart(99);
  EXPECT_EQ(FEdit->SelStart(), 10);
  FEdit->SelectAll();
  Char buf[4] = {u'#', u'#', u'#', u'#'};
  EXPECT_EQ(FEdit->GetSelTextBuf(buf, 3), 3);
  EXPECT_EQ(String(buf, 4), u"alp#");
  // Read-only: no insert, no length change.
  FEdit->SetReadOnly(true);
  FEdit->SetSelLength(2);
  EXPECT_EQ(FEdit->SelLength(), 10);
  Chars(u"z");
  EXPECT_EQ(FEdit->Text(), u"alpha beta");
}

TEST_F(uQuarnEdit_Model, FiltersAgainstAReference) {
  std::mt19937 rng(7);
  const String alphabet = u"aZ09-.x_ \u00E9,";
  for (TQnTextKind kind : {tkEN, tkENandNum}) {
    FEdit->SetTextKind(kind);
    FEdit->Clear();
    String expected;
    for (int i = 0; i < 60; ++i) {
      String s;
      for (int n = 1 + int(rng() % 4); n > 0; --n) s.push_back(alphabet[rng() % alphabet.size()]);
      FEdit->SetSelText(s);
      for (Char c : s) {
        const bool letter = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
        const bool other = (c >= u'0' && c <= u'9') || c == u'-' || c == u'.';
        if (letter || (kind == tkENandNum && other)) expected.push_back(c);
      }
      ASSERT_EQ(FEdit->Text(), expected);
    }
  }
  // Integers: a minus only first and once; a paste with a letter inserts
  // nothing.
  FEdit->SetTextKind(tkNumInt);
  FEdit->Clear();
  Chars(u"12a-3");
  EXPECT_EQ(FEdit->Text(), u"123");
  Key(VK_HOME);
  Chars(u"-");
  EXPECT_EQ(FEdit->Text(), u"-123");
  Key(VK_HOME);
  Chars(u"-");
  EXPECT_EQ(FEdit->Text(), u"-123");
  Clipboard()->SetAsText(u"12a");
  Key(VK_END);
  Key('V', false, true);
  EXPECT_EQ(FEdit->Text(), u"-123");
  // With all selected the text less the selection is empty: a minus goes.
  FEdit->SetText(u"5");
  FEdit->SetCursorPos(1);
  FEdit->SelectAll();
  Chars(u"-");
  EXPECT_EQ(FEdit->Text(), u"-");
  // Reals: a second point is refused.
  FEdit->SetTextKind(tkNumReal);
  FEdit->Clear();
  Chars(u"3.1.4");
  EXPECT_EQ(FEdit->Text(), u"3.14");
  // Upper case changes ASCII letters only.
  FEdit->SetTextKind(tkAll);
  FEdit->SetCharCase(ecUpperCase);
  FEdit->Clear();
  Chars(u"caf\u00E9");
  EXPECT_EQ(FEdit->Text(), u"CAF\u00E9");
}

TEST_F(uQuarnEdit_Model, MaxLengthKeepsTheTextAfterTheCaret) {
  std::vector<Char> pressed;
  FEdit->SetOnKeyPress([&](TObject*, Char& K) { pressed.push_back(K); });
  FEdit->SetMaxLength(-3);
  EXPECT_EQ(FEdit->MaxLength(), 0);
  FEdit->SetText(u"abcdef");
  FEdit->SetMaxLength(4);
  EXPECT_EQ(FEdit->Text(), u"abcd");
  // At the limit a typed character never reaches OnKeyPress.
  Key(VK_END);
  Chars(u"x");
  EXPECT_EQ(FEdit->Text(), u"abcd");
  EXPECT_TRUE(pressed.empty());
  // With a selection it replaces.
  Key(VK_LEFT, true);
  Chars(u"y");
  EXPECT_EQ(FEdit->Text(), u"abcy");
  EXPECT_EQ(pressed.size(), 1u);
  // A paste into a nearly full edit is cut, not the text after the caret.
  FEdit->SetMaxLength(6);
  FEdit->SetCursorPos(1);
  Clipboard()->SetAsText(u"123456");
  Key('V', false, true);
  EXPECT_EQ(FEdit->Text(), u"a12bcy");
  EXPECT_EQ(FEdit->CursorPos(), 3);
  // A cut inside a pair goes one unit earlier.
  FEdit->SetMaxLength(0);
  FEdit->SetText(u"ab");
  FEdit->SetMaxLength(3);
  FEdit->SetCursorPos(2);
  FEdit->SetSelText(u"\U0001F600");
  EXPECT_EQ(FEdit->Text(), u"ab");
  FEdit->SetMaxLength(0);
  FEdit->SetText(u"x\U0001F600y");
  FEdit->SetMaxLength(2);
  EXPECT_EQ(FEdit->Text(), u"x");
}

TEST_F(uQuarnEdit_Model, TextMessages) {
  HWND h = FEdit->Handle();
  FEdit->SetText(u"hello");
  EXPECT_EQ(SendMessageW(h, WM_GETTEXTLENGTH, 0, 0), 5);
  Char small[4] = {u'#', u'#', u'#', u'#'};
  EXPECT_EQ(SendMessageW(h, WM_GETTEXT, 3, LPARAM(small)), 2);
  EXPECT_EQ(String(small, 4), String(u"he\0#", 4));
  EXPECT_EQ(SendMessageW(h, WM_GETTEXT, 0, LPARAM(small)), 0);
  EXPECT_EQ(SendMessageW(h, WM_GETTEXT, 10, 0), 0);
  std::vector<Char> big(16, u'#');
  EXPECT_EQ(SendMessageW(h, WM_GETTEXT, 16, LPARAM(big.data())), 5);
  EXPECT_EQ(String(big.data()), u"hello");
  SendMessageW(h, WM_SETTEXT, 0, LPARAM(u"set"));
  EXPECT_EQ(FEdit->Text(), u"set");
  SendMessageW(h, WM_SETTEXT, 0, 0);
  EXPECT_EQ(FEdit->Text(), u"");
  EXPECT_EQ(SendMessageW(h, WM_GETDLGCODE, 0, 0), 0x81);
  // Blocked: all three are swallowed.
  FEdit->SetText(u"secret");
  FEdit->SetBlockWinMsg(true);
  EXPECT_EQ(SendMessageW(h, WM_GETTEXTLENGTH, 0, 0), 0);
  Char out[8] = {u'#'};
  EXPECT_EQ(SendMessageW(h, WM_GETTEXT, 8, LPARAM(out)), 0);
  EXPECT_EQ(out[0], u'#');
  SendMessageW(h, WM_SETTEXT, 0, LPARAM(u"other"));
  EXPECT_EQ(FEdit->Text(), u"secret");
}

TEST_F(uQuarnEdit_Model, ScrollingKeepsTheCaretsCharacterShown) {
  std::mt19937 rng(99);
  const String pool = u"iWm .\U0001F600a";
  for (int round = 0; round < 60; ++round) {
    String s;
    for (int n = 1 + int(rng() % 40); n > 0; --n) {
      const size_t k = rng() % 7;
      s += k == 5 ? String(u"\U0001F600") : String(1, pool[k == 6 ? 7 : k]);
    }
    FEdit->SetWidth(Integer(rng() % 120));
    FEdit->SetText(s);
    const Integer len = Integer(s.size());
    Integer target = Integer(rng() % (len + 1));
    FEdit->SetCursorPos(target);
    const Integer caret = FEdit->CursorPos();
    const Integer first = FEdit->FirstDisplayChar();
    const Integer m = FEdit->Space()->Left() + FEdit->Space()->Right();
    ASSERT_GE(first, 1);
    if (caret >= 1) {
      // The 1-based start of the character before the caret.
      const Integer own = caret >= 2 && IsLow(s[caret - 1]) && IsHigh(s[caret - 2]) ? caret - 1 : caret;
      ASSERT_LE(first, own) << "width " << FEdit->Width() << " caret " << caret;
      const Integer w = FEdit->GetTextWidth(first, caret - first + 1, s);
      // Either the shown part fits, or the caret's character is the first.
      ASSERT_TRUE(w < FEdit->Width() - m || first == own)
          << "width " << FEdit->Width() << " caret " << caret << " first " << first;
    }
  }
}

// ---------------------------------------------------------------------------

using uQnLocateObj = EditTest;

TEST_F(uQnLocateObj, ChangesOnlyOnEffectiveChangeAndCopies) {
  TQnLocateObj a, b;
  Integer changes = 0;
  a.SetOnChange([&](TObject*) { ++changes; });
  a.SetX(0);
  a.SetAlign(agLeft);
  EXPECT_EQ(changes, 0);
  a.SetX(5);
  a.SetX(5);
  EXPECT_EQ(changes, 1);
  b.SetX(5);
  b.SetY(7);
  b.SetAlign(agRight);
  a.Assign(&b);
  EXPECT_EQ(changes, 3);
  EXPECT_EQ(a.Y(), 7);
  EXPECT_EQ(a.Align(), agRight);
  TQnSpaceSize s, t;
  t.SetActive(false);
  t.SetLeft(1);
  t.SetTop(2);
  t.SetRight(3);
  t.SetBottom(4);
  Integer spaceChanges = 0;
  s.SetOnChange([&](TObject*) { ++spaceChanges; });
  s.Assign(&t);
  EXPECT_EQ(spaceChanges, 5);
  EXPECT_FALSE(s.Active());
  EXPECT_EQ(s.Bottom(), 4);
  // The edit's own margins.
  EXPECT_EQ(FEdit->Space()->Left(), 4);
  EXPECT_EQ(FEdit->Space()->Top(), 6);
  EXPECT_EQ(FEdit->Space()->Right(), 4);
  EXPECT_EQ(FEdit->Space()->Bottom(), 6);
}

using uQnItemsInEdit = EditTest;

TEST_F(uQnItemsInEdit, RectsChangesRepaintsAndStreaming) {
  TQnEditItems* items = FEdit->EdItems();
  TQnEditItem* img = items->Add();
  img->SetKind(ikImage);
  img->SetImage(u"QuarnSearch_icon");
  img->Pos()->SetX(3);
  img->Pos()->SetY(4);
  EXPECT_EQ(img->GetRect(), TRect(3, 4, 3 + 14, 4 + 14));
  img->Pos()->SetAlign(agRight);
  img->Pos()->SetX(20);
  EXPECT_EQ(img->GetRect(), TRect(200 - 20, 4, 200 - 20 + 14, 4 + 14));
  TQnEditItem* button = items->Add();
  button->SetImage(u"NoSuchImage");
  button->Pos()->SetX(9);
  button->Pos()->SetY(2);
  EXPECT_EQ(button->GetRect(), TRect(9, 2, 0, 0));
  TQnEditItem* text = items->Add();
  text->SetKind(ikText);
  text->Font()->SetSize(14);
  text->SetText(u"kg");
  TBitmap32 m;
  m.Font()->Assign(text->Font());
  EXPECT_EQ(text->GetRect(), TRect(0, 0, m.TextWidthW(u"kg"), m.TextHeightW(u"kg")));

  // Change events and repaints only on effective changes; the text of a
  // non-text item is stored silently.
  Integer changed = 0;
  img->SetOnChanged([&](TObject*) { ++changed; });
  FEdit->Repaints = 0;
  img->SetImage(u"QuarnSearch_icon");
  img->SetVisible(true);
  EXPECT_EQ(changed, 0);
  img->SetText(u"silent");
  EXPECT_EQ(changed, 0);
  EXPECT_EQ(FEdit->Repaints, 0);
  EXPECT_EQ(img->Text(), u"silent");
  img->SetVisible(false);
  EXPECT_EQ(changed, 1);
  EXPECT_EQ(FEdit->Repaints, 1);
  items->BeginUpdate();
  img->SetVisible(true);
  img->SetKind(ikButton);
  EXPECT_EQ(FEdit->Repaints, 1);
  items->EndUpdate();
  EXPECT_EQ(FEdit->Repaints, 2);
  items->Delete(1);
  EXPECT_GT(FEdit->Repaints, 2);

  // Assign skips Enabled and the events.
  TQnEditItem* copy = items->Add();
  img->SetEnabled(false);
  img->SetCurosor(crHandPoint);
  img->SetTag(42);
  copy->Assign(img);
  EXPECT_TRUE(copy->Enabled());
  EXPECT_FALSE(Assigned(copy->OnChanged()));
  EXPECT_EQ(copy->Curosor(), crHandPoint);
  EXPECT_EQ(copy->Tag(), 42);
  EXPECT_EQ(copy->Pos()->Align(), agRight);
  EXPECT_EQ(items->HotIndex(), -1);
  TQnEditItem* inserted = items->Insert(0);
  EXPECT_EQ(inserted->Index(), 0);

  // The items, Curosor included, round-trip through a text form file.
  TQuarnEdit plain(nullptr);
  plain.SetName(u"Edit1");
  plain.SetEdItems(items);
  const std::string form = ComponentToText(&plain);
  EXPECT_NE(form.find("Curosor = crHandPoint"), std::string::npos) << form;
  TQuarnEdit again(nullptr);
  TextToComponent(form, &again);
  ASSERT_EQ(again.EdItems()->Count(), items->Count());
  EXPECT_EQ(again.EdItems()->Items(3)->Curosor(), crHandPoint);
  EXPECT_EQ(again.EdItems()->Items(3)->Pos()->X(), 20);
  EXPECT_EQ(again.EdItems()->Items(2)->Text(), u"kg");
}

}  // namespace

}  // namespace t_u_quarn_edit_model_test
