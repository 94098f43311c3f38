// What the reader does once a control's values are in, compared each time
// with the same form made in code: the parent's font, colour, hint and
// reading order flow down; auto-sized controls take the size of their final
// text and font; the tab order is the one stored; anchored controls on
// pages not in front keep the layout the file gives them; a form designed
// at another pixel density is scaled to the screen's.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "platform/classes/FormText.h"
#include "platform/rtl/SysUtils.h"
#include "platform/vcl/ComCtrls.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/StdCtrls.h"
#include "tests/platform/vcl/FormsTestSupport.h"

namespace t_form_loading_test {

using namespace vcl;
using namespace formstest;

namespace {

class Platform_FormLoading : public FormsTest {
 protected:
  void SetUp() override {
    FormsTest::SetUp();
    RegisterClasses({TForm::StaticClass(), TPanel::StaticClass(), TLabel::StaticClass(), TEdit::StaticClass(),
                     TButton::StaticClass(), TPageControl::StaticClass(), TTabSheet::StaticClass()});
  }
};

// What a user sees of a control.
struct TLook {
  TRect Bounds;
  Integer FontHeight;
  String FontName;
  TColor FontColour;
  TColor Colour;
  bool ShowHint;
  TBiDiMode BiDi;
};

TLook LookOf(TControl* c) {
  return {c->BoundsRect(), c->Font()->Height(), c->Font()->Name(), c->Font()->Color(),
          c->Color(),      c->ShowHint(),       c->BiDiMode()};
}

std::string Describe(const TLook& l) {
  return "bounds (" + std::to_string(l.Bounds.Left) + "," + std::to_string(l.Bounds.Top) + "," +
         std::to_string(l.Bounds.Width()) + "x" + std::to_string(l.Bounds.Height()) + ") font " +
         std::to_string(l.FontHeight) + " " + ToUtf8(l.FontName) + " colour " + std::to_string(l.Colour) +
         " hint " + std::to_string(l.ShowHint) + " bidi " + std::to_string(int(l.BiDi));
}

// Every control of the form read from text looks as its twin made in code.
void ExpectSameLook(TForm* read, TForm* made) {
  ASSERT_EQ(read->ComponentCount(), made->ComponentCount());
  EXPECT_EQ(Describe(LookOf(read)), Describe(LookOf(made)));
  for (Integer i = 0; i < made->ComponentCount(); ++i) {
    auto* twin = dynamic_cast<TControl*>(made->Components(i));
    if (!twin) continue;
    auto* c = dynamic_cast<TControl*>(read->FindComponent(twin->Name()));
    ASSERT_NE(c, nullptr) << ToUtf8(twin->Name());
    EXPECT_EQ(Describe(LookOf(c)), Describe(LookOf(twin))) << ToUtf8(twin->Name());
  }
}

std::unique_ptr<TForm> ReadForm(const std::string& text, TBiDiMode bidi = bdLeftToRight) {
  auto form = std::make_unique<TForm>(nullptr);
  // Forms do not store their reading order; a program sets it first.
  form->SetBiDiMode(bidi);
  TextToComponent(text, form.get());
  return form;
}

template <class T>
T* Make(TForm* form, TWinControl* parent, const char16_t* name, TRect bounds) {
  T* c = new T(form);
  c->SetName(name);
  c->SetParent(parent);
  c->SetBounds(bounds.Left, bounds.Top, bounds.Width(), bounds.Height());
  return c;
}

// ---------------------------------------------------------------------------
// The parent's values

const char* const kShared =
    "object Shared: TForm\n"
    "  ClientHeight = 240\n"
    "  ClientWidth = 320\n"
    "  Color = clInfoBk\n"
    "  Font.Color = clNavy\n"
    "  Font.Height = -16\n"
    "  Font.Name = 'Verdana'\n"
    "  ShowHint = True\n"
    "  object Outer: TPanel\n"
    "    Left = 8\n"
    "    Top = 8\n"
    "    Width = 300\n"
    "    Height = 150\n"
    "    Caption = ''\n"
    "    ParentColor = True\n"
    "    object Inner: TPanel\n"
    "      Left = 8\n"
    "      Top = 8\n"
    "      Width = 200\n"
    "      Height = 100\n"
    "      ParentColor = True\n"
    "      object Caption1: TLabel\n"
    "        Left = 4\n"
    "        Top = 4\n"
    "        Width = 20\n"
    "        Height = 13\n"
    "        AutoSize = False\n"
    "        Caption = 'Name'\n"
    "      end\n"
    "      object Name1: TEdit\n"
    "        Left = 4\n"
    "        Top = 40\n"
    "        Width = 120\n"
    "        Height = 21\n"
    "        AutoSize = False\n"
    "      end\n"
    "    end\n"
    "    object Own: TButton\n"
    "      Left = 210\n"
    "      Top = 8\n"
    "      Width = 80\n"
    "      Height = 25\n"
    "      Caption = 'Go'\n"
    "      Font.Height = -11\n"
    "      Font.Name = 'Tahoma'\n"
    "      ParentFont = False\n"
    "    end\n"
    "  end\n"
    "end\n";

std::unique_ptr<TForm> MakeShared(bool valuesFirst) {
  auto form = std::make_unique<TForm>(nullptr);
  TForm* f = form.get();
  f->SetName(u"Shared");
  auto setForm = [f] {
    f->SetClientWidth(320);
    f->SetClientHeight(240);
    f->SetColor(clInfoBk);
    f->SetBiDiMode(bdRightToLeft);
    f->Font()->SetColor(clNavy);
    f->Font()->SetHeight(-16);
    f->Font()->SetName(u"Verdana");
    f->SetShowHint(true);
  };
  if (valuesFirst) setForm();
  auto* outer = Make<TPanel>(f, f, u"Outer", TRect(8, 8, 308, 158));
  outer->SetCaption(u"");
  outer->SetParentColor(true);
  auto* inner = Make<TPanel>(f, outer, u"Inner", TRect(8, 8, 208, 108));
  inner->SetCaption(u"");
  inner->SetParentColor(true);
  auto* caption = Make<TLabel>(f, inner, u"Caption1", TRect(4, 4, 24, 17));
  caption->SetAutoSize(false);
  caption->SetBounds(4, 4, 20, 13);
  caption->SetCaption(u"Name");
  auto* edit = Make<TEdit>(f, inner, u"Name1", TRect(4, 40, 124, 61));
  edit->SetAutoSize(false);
  edit->SetBounds(4, 40, 120, 21);
  auto* own = Make<TButton>(f, outer, u"Own", TRect(210, 8, 290, 33));
  own->SetCaption(u"Go");
  own->Font()->SetHeight(-11);
  own->Font()->SetName(u"Tahoma");
  own->SetParentFont(false);
  if (!valuesFirst) setForm();
  return form;
}

TEST_F(Platform_FormLoading, ParentFontColourHintAndBiDiModeFlowDownAfterReading) {
  auto read = ReadForm(kShared, bdRightToLeft);
  // The same form made in code, the form's values set before the children
  // are made and after: the three agree.
  for (bool valuesFirst : {true, false}) {
    SCOPED_TRACE(valuesFirst ? "values first" : "values last");
    auto made = MakeShared(valuesFirst);
    ExpectSameLook(read.get(), made.get());
  }
  // What that means: two levels down the label paints on the form's colour
  // in the form's font; the button keeps what it set itself.
  auto* caption = dynamic_cast<TLabel*>(read->FindComponent(u"Caption1"));
  ASSERT_NE(caption, nullptr);
  EXPECT_EQ(caption->Color(), clInfoBk);
  EXPECT_EQ(caption->Font()->Height(), -16);
  EXPECT_EQ(caption->Font()->Name(), u"Verdana");
  EXPECT_TRUE(caption->ShowHint());
  EXPECT_EQ(caption->BiDiMode(), bdRightToLeft);
  EXPECT_TRUE(caption->ParentFont());
  EXPECT_TRUE(caption->ParentColor());
  auto* own = dynamic_cast<TButton*>(read->FindComponent(u"Own"));
  EXPECT_EQ(own->Font()->Name(), u"Tahoma");
  // The form's values changed later still reach every level, and nothing
  // taken from a parent is written back as the child's own.
  read->Font()->SetHeight(-20);
  read->SetShowHint(false);
  EXPECT_EQ(caption->Font()->Height(), -20);
  EXPECT_FALSE(caption->ShowHint());
  EXPECT_EQ(own->Font()->Height(), -11);
  const std::string text = ComponentToText(read.get());
  const size_t inner = text.find("object Inner"), ownAt = text.find("object Own");
  ASSERT_LT(inner, ownAt);
  const std::string shared = text.substr(inner, ownAt - inner);
  EXPECT_EQ(shared.find("Font."), std::string::npos) << text;
  EXPECT_EQ(shared.find("ShowHint"), std::string::npos) << text;
  EXPECT_EQ(shared.find("clInfoBk"), std::string::npos) << text;
}

// ---------------------------------------------------------------------------
// Sizes that follow the content

TEST_F(Platform_FormLoading, AutoSizedControlsTakeTheSizeOfTheirFinalTextAndFont) {
  struct TCase {
    const char* Name;
    const char* FormFont;  // the form's font lines
    const char* Own;       // the control's own lines
    Integer Density;       // the form's PixelsPerInch
  };
  const TCase cases[] = {
      {"parent font, larger", "  Font.Height = -19\n  Font.Name = 'Verdana'\n", "", 96},
      {"parent font, smaller", "  Font.Height = -9\n", "", 96},
      {"own font", "  Font.Height = -11\n", "    Font.Height = -24\n    ParentFont = False\n", 96},
      {"form scaled", "  Font.Height = -15\n  PixelsPerInch = 120\n", "", 120},
  };
  for (const TCase& k : cases) {
    SCOPED_TRACE(k.Name);
    const std::string text = std::string("object Sized: TForm\n  ClientHeight = 200\n  ClientWidth = 300\n") +
                             k.FormFont +
                             "  object Caption1: TLabel\n"
                             "    Left = 8\n    Top = 8\n    Width = 30\n    Height = 13\n"
                             "    Caption = 'User Name'\n" +
                             k.Own +
                             "  end\n"
                             "  object Fixed: TLabel\n"
                             "    Left = 8\n    Top = 40\n    Width = 30\n    Height = 13\n"
                             "    AutoSize = False\n    Caption = 'Password'\n" +
                             k.Own +
                             "  end\n"
                             "  object Name1: TEdit\n"
                             "    Left = 8\n    Top = 80\n    Width = 120\n    Height = 21\n" +
                             k.Own +
                             "  end\n"
                             "end\n";
    auto read = ReadForm(text);
    // The twins: the same controls given the final font in code.
    TForm* f = read.get();
    auto twinOf = [&](TControl* c) {
      TControl* t = nullptr;
      if (dynamic_cast<TLabel*>(c)) {
        auto* l = new TLabel(nullptr);
        l->SetAutoSize(dynamic_cast<TLabel*>(c)->AutoSize());
        t = l;
      } else {
        t = new TEdit(nullptr);
      }
      t->SetBounds(c->Left(), c->Top(), c->Width(), c->Height());
      t->SetParent(f);
      t->Font()->Assign(c->Font());
      t->SetCaption(c->Caption());
      return std::unique_ptr<TControl>(t);
    };
    auto* caption = dynamic_cast<TLabel*>(f->FindComponent(u"Caption1"));
    auto* fixed = dynamic_cast<TLabel*>(f->FindComponent(u"Fixed"));
    auto* edit = dynamic_cast<TEdit*>(f->FindComponent(u"Name1"));
    ASSERT_TRUE(caption && fixed && edit);
    auto t1 = twinOf(caption);
    auto t3 = twinOf(edit);
    // The stored 30 × 13 cut the caption; the label now holds all of it.
    EXPECT_EQ(caption->BoundsRect(), t1->BoundsRect());
    EXPECT_GT(caption->Width(), 30);
    EXPECT_EQ(edit->BoundsRect(), t3->BoundsRect());
    // A label that does not size itself keeps the stored size.
    auto px = [&](Integer v) { return MulDiv(v, 96, k.Density); };
    EXPECT_EQ(fixed->BoundsRect(), TRect(px(8), px(40), px(8) + px(30), px(40) + px(13)));
    // The edit's height is that of a line of its font: made again from
    // scratch with that font it comes out the same.
    TEdit fresh(nullptr);
    fresh.Font()->Assign(edit->Font());
    fresh.SetBounds(0, 0, 10, 10);
    EXPECT_EQ(edit->Height(), fresh.Height());
  }
}

// ---------------------------------------------------------------------------
// Tab order

// The form's edits E0… and, last, the panel Box with its edits P0…; each
// stores the number given for it (none for -1). The last number is Box's.
std::string TabForm(const std::vector<int>& numbers, const std::vector<int>& inPanel) {
  std::string s = "object Tabs: TForm\n  ClientHeight = 400\n  ClientWidth = 400\n";
  auto order = [](int n, const std::string& indent) {
    return n >= 0 ? indent + "  TabOrder = " + std::to_string(n) + "\n" : std::string();
  };
  auto control = [&](const std::string& name, int n, int top, const std::string& indent) {
    return indent + "object " + name + ": TEdit\n" + indent + "  Left = 8\n" + indent + "  Top = " +
           std::to_string(top) + "\n" + order(n, indent) + indent + "end\n";
  };
  for (size_t i = 0; i + 1 < numbers.size(); ++i)
    s += control("E" + std::to_string(i), numbers[i], int(i) * 22, "  ");
  s += "  object Box: TPanel\n    Left = 200\n    Top = 8\n" + order(numbers.back(), "  ");
  for (size_t i = 0; i < inPanel.size(); ++i)
    s += control("P" + std::to_string(i), inPanel[i], int(i) * 22, "    ");
  s += "  end\nend\n";
  return s;
}

std::vector<std::string> TabNames(TWinControl* parent) {
  std::vector<TWinControl*> all;
  parent->GetTabOrderList(all);
  std::vector<std::string> names;
  for (TWinControl* w : all)
    if (w->Parent() == parent) names.push_back(ToUtf8(w->Name()));
  return names;
}

// The rule, checked on the order a parent ended with (names[i] stored
// numbers[i]): controls with a number come in the order of their numbers,
// equal ones in the order written; those without keep the order written;
// with distinct numbers below the count each control is at its number.
void ExpectStoredOrder(const std::vector<std::string>& order, const std::vector<std::string>& names,
                       const std::vector<int>& numbers) {
  ASSERT_EQ(order.size(), names.size());
  auto at = [&](size_t i) { return std::find(order.begin(), order.end(), names[i]) - order.begin(); };
  for (size_t i = 0; i < names.size(); ++i)
    for (size_t j = i + 1; j < names.size(); ++j) {
      const bool bothNumbered = numbers[i] >= 0 && numbers[j] >= 0;
      const bool neither = numbers[i] < 0 && numbers[j] < 0;
      if (bothNumbered && numbers[i] <= numbers[j]) {
        EXPECT_LT(at(i), at(j)) << names[i] << " " << names[j];
      }
      if (bothNumbered && numbers[i] > numbers[j]) {
        EXPECT_GT(at(i), at(j)) << names[i] << " " << names[j];
      }
      if (neither) {
        EXPECT_LT(at(i), at(j)) << names[i] << " " << names[j];
      }
    }
  std::vector<int> seen;
  bool exact = true;
  for (int n : numbers) {
    exact = exact && n < int(numbers.size()) && std::find(seen.begin(), seen.end(), n) == seen.end();
    if (n >= 0) seen.push_back(n);
  }
  if (!exact) return;
  for (size_t i = 0; i < names.size(); ++i) {
    if (numbers[i] >= 0) {
      EXPECT_EQ(at(i), numbers[i]) << names[i];
    }
  }
}

TEST_F(Platform_FormLoading, TabOrderIsTheOneStored) {
  struct TCase {
    const char* Name;
    std::vector<int> Numbers, InPanel;
  };
  std::vector<TCase> cases = {
      {"reversed", {12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0}, {1, 0}},
      {"ok last of 13", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 0}, {0, 1}},
      {"ties keep their order", {1, 0, 1, 0, 2}, {0, 0}},
      {"missing numbers fill the gaps", {-1, 2, -1, 0, 1, 5}, {-1, 0}},
      {"none", {-1, -1, -1, -1}, {-1, -1}},
      {"gaps", {40, 10, 30, 20, 50}, {5, 3}},
  };
  // And random permutations of every length up to 13, some numbers left
  // out.
  std::mt19937 rng(151);
  for (int n = 1; n <= 13; ++n) {
    std::vector<int> p(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) p[size_t(i)] = i;
    std::shuffle(p.begin(), p.end(), rng);
    cases.push_back({"permutation", p, {1, 0, 2}});
    for (int& v : p)
      if (rng() % 3 == 0) v = -1;
    cases.push_back({"part permutation", p, {-1, 1, 0}});
  }
  for (const TCase& k : cases) {
    SCOPED_TRACE(::testing::Message() << k.Name << " of " << k.Numbers.size());
    std::vector<std::string> names, inner;
    for (size_t i = 0; i + 1 < k.Numbers.size(); ++i) names.push_back("E" + std::to_string(i));
    names.push_back("Box");
    for (size_t i = 0; i < k.InPanel.size(); ++i) inner.push_back("P" + std::to_string(i));
    auto read = ReadForm(TabForm(k.Numbers, k.InPanel));
    const std::vector<std::string> order = TabNames(read.get());
    ExpectStoredOrder(order, names, k.Numbers);
    auto* box = dynamic_cast<TWinControl*>(read->FindComponent(u"Box"));
    ASSERT_NE(box, nullptr);
    const std::vector<std::string> boxOrder = TabNames(box);
    ExpectStoredOrder(boxOrder, inner, k.InPanel);
    // Tab moves through the edits in that order, into the panel where it
    // stands.
    std::vector<std::string> expected;
    for (const std::string& n : order) {
      if (n == "Box") expected.insert(expected.end(), boxOrder.begin(), boxOrder.end());
      else expected.push_back(n);
    }
    read->Show();
    std::vector<std::string> walked;
    TWinControl* at = nullptr;
    for (size_t i = 0; i < expected.size(); ++i) {
      at = read->FindNextControl(at, true, true, false);
      ASSERT_NE(at, nullptr);
      walked.push_back(ToUtf8(at->Name()));
    }
    EXPECT_EQ(walked, expected);
    // Written back and read again, the order is the same.
    auto again = ReadForm(ComponentToText(read.get()));
    EXPECT_EQ(TabNames(again.get()), order);
    EXPECT_EQ(TabNames(dynamic_cast<TWinControl*>(again->FindComponent(u"Box"))), boxOrder);
  }
}

TEST_F(Platform_FormLoading, TabOrderOfAControlReadIntoAParentAlreadyThere) {
  // A form read with the controls it already has (an inherited form): the
  // numbers read place the controls among those made in code.
  auto form = std::make_unique<TForm>(nullptr);
  form->SetName(u"Host");
  for (const char16_t* n : {u"A", u"B", u"C"}) Make<TEdit>(form.get(), form.get(), n, TRect(0, 0, 50, 20));
  TextToComponent(
      "object Host: TForm\n"
      "  object D: TEdit\n    TabOrder = 0\n  end\n"
      "  object E: TEdit\n    TabOrder = 2\n  end\n"
      "end\n",
      form.get());
  EXPECT_EQ(TabNames(form.get()), (std::vector<std::string>{"D", "A", "E", "B", "C"}));
}

// ---------------------------------------------------------------------------
// Anchors on pages not in front

// Three pages, the first in front; the others hold controls anchored
// right, bottom and on both sides, laid out in the designer on pages of
// 392 × 252 (the page control 400 × 280).
const char* const kPages =
    "object Paged: TForm\n"
    "  ClientHeight = 300\n"
    "  ClientWidth = 420\n"
    "  object Pages: TPageControl\n"
    "    Left = 10\n"
    "    Top = 10\n"
    "    Width = 400\n"
    "    Height = 280\n"
    "    ActivePage = Page1\n"
    "    Anchors = [akLeft, akTop, akRight, akBottom]\n"
    "    object Page1: TTabSheet\n"
    "      Caption = 'One'\n"
    "      object Plain: TEdit\n"
    "        Left = 8\n        Top = 8\n        Width = 100\n        Height = 21\n"
    "      end\n"
    "    end\n"
    "    object Page2: TTabSheet\n"
    "      Caption = 'Two'\n"
    "      DesignSize = (\n        392\n        252)\n"
    "      object Wide: TEdit\n"
    "        Left = 8\n        Top = 8\n        Width = 376\n        Height = 21\n"
    "        Anchors = [akLeft, akTop, akRight]\n        AutoSize = False\n"
    "      end\n"
    "      object Ok: TButton\n"
    "        Left = 310\n        Top = 220\n        Width = 75\n        Height = 25\n"
    "        Anchors = [akRight, akBottom]\n"
    "      end\n"
    "      object Notes: TPanel\n"
    "        Left = 8\n        Top = 40\n        Width = 376\n        Height = 170\n"
    "        Anchors = [akLeft, akTop, akRight, akBottom]\n"
    "        DesignSize = (\n          376\n          170)\n"
    "        object Corner: TButton\n"
    "          Left = 290\n          Top = 136\n          Width = 80\n          Height = 28\n"
    "          Anchors = [akRight, akBottom]\n"
    "        end\n"
    "      end\n"
    "    end\n"
    "    object Page3: TTabSheet\n"
    "      Caption = 'Three'\n"
    "      DesignSize = (\n        392\n        252)\n"
    "      object Bottom: TEdit\n"
    "        Left = 8\n        Top = 223\n        Width = 376\n        Height = 21\n"
    "        Anchors = [akLeft, akRight, akBottom]\n        AutoSize = False\n"
    "      end\n"
    "    end\n"
    "  end\n"
    "end\n";

// The same form made in code: the page control at its designed size while
// the controls go on, then sized as the file's form is.
std::unique_ptr<TForm> MakePaged(const TRect& pagesRead) {
  auto form = std::make_unique<TForm>(nullptr);
  TForm* f = form.get();
  f->SetName(u"Paged");
  f->SetClientWidth(420);
  f->SetClientHeight(300);
  auto* pages = Make<TPageControl>(f, f, u"Pages", TRect(10, 10, 410, 290));
  TTabSheet* page[3];
  for (int i = 0; i < 3; ++i) {
    page[i] = new TTabSheet(f);
    page[i]->SetName(u"Page" + IntToStr(i + 1));
    page[i]->SetPageControl(pages);
  }
  pages->SetActivePage(page[0]);
  // The pages' room here; the file's was 392 × 252.
  const TRect room = page[0]->BoundsRect();
  const Integer dx = room.Width() - 392, dy = room.Height() - 252;
  auto place = [&](TControl* c, TRect r, TAnchors a) {
    c->SetBounds(r.Left, r.Top, r.Width(), r.Height());
    c->SetAnchors(a);
  };
  Make<TEdit>(f, page[0], u"Plain", TRect(8, 8, 108, 29));
  auto* wide = Make<TEdit>(f, page[1], u"Wide", TRect(0, 0, 1, 1));
  wide->SetAutoSize(false);
  place(wide, TRect(8, 8, 384 + dx, 29), {akLeft, akTop, akRight});
  place(Make<TButton>(f, page[1], u"Ok", TRect(0, 0, 1, 1)), TRect(310 + dx, 220 + dy, 385 + dx, 245 + dy),
        {akRight, akBottom});
  auto* notes = Make<TPanel>(f, page[1], u"Notes", TRect(0, 0, 1, 1));
  place(notes, TRect(8, 40, 384 + dx, 210 + dy), {akLeft, akTop, akRight, akBottom});
  place(Make<TButton>(f, notes, u"Corner", TRect(0, 0, 1, 1)), TRect(290 + dx, 136 + dy, 370 + dx, 164 + dy),
        {akRight, akBottom});
  auto* bottom = Make<TEdit>(f, page[2], u"Bottom", TRect(0, 0, 1, 1));
  bottom->SetAutoSize(false);
  place(bottom, TRect(8, 223 + dy, 384 + dx, 244 + dy), {akLeft, akRight, akBottom});
  pages->SetAnchors({akLeft, akTop, akRight, akBottom});
  pages->SetBoundsRect(pagesRead);
  return form;
}

std::vector<TControl*> Anchored(TForm* f) {
  std::vector<TControl*> v;
  for (const char16_t* n : {u"Plain", u"Wide", u"Ok", u"Notes", u"Corner", u"Bottom"})
    v.push_back(dynamic_cast<TControl*>(f->FindComponent(n)));
  return v;
}

TEST_F(Platform_FormLoading, AnchoredControlsOnPagesNotInFrontKeepTheirLayout) {
  struct TCase {
    const char* Name;
    Integer Width, Height;  // the form's client size after reading
    bool Shown;             // the form shown before the pages are
  };
  const TCase cases[] = {
      {"as read", 420, 300, false},
      {"as read, shown", 420, 300, true},
      {"wider and taller", 520, 360, true},
      {"narrower", 380, 280, false},
      // Smaller than the controls fit in: they go empty, never negative.
      {"far too small", 40, 30, true},
  };
  for (const TCase& k : cases) {
    SCOPED_TRACE(k.Name);
    auto read = ReadForm(kPages);
    read->SetClientWidth(k.Width);
    read->SetClientHeight(k.Height);
    if (k.Shown) read->Show();
    auto* pages = dynamic_cast<TPageControl*>(read->FindComponent(u"Pages"));
    ASSERT_NE(pages, nullptr);
    auto made = MakePaged(TRect(10, 10, 410, 290));
    made->SetClientWidth(k.Width);
    made->SetClientHeight(k.Height);
    if (k.Shown) made->Show();
    auto* madePages = dynamic_cast<TPageControl*>(made->FindComponent(u"Pages"));
    for (Integer p = 0; p < pages->PageCount(); ++p) {
      pages->SetActivePageIndex(p);
      madePages->SetActivePageIndex(p);
      SCOPED_TRACE(::testing::Message() << "page " << p + 1);
      std::vector<TControl*> a = Anchored(read.get()), b = Anchored(made.get());
      for (size_t i = 0; i < a.size(); ++i) {
        ASSERT_NE(a[i], nullptr);
        EXPECT_EQ(Describe(LookOf(a[i])), Describe(LookOf(b[i]))) << ToUtf8(a[i]->Name());
        EXPECT_GE(a[i]->Width(), 0) << ToUtf8(a[i]->Name());
        EXPECT_GE(a[i]->Height(), 0) << ToUtf8(a[i]->Name());
      }
    }
    // Given its size back, every control has the layout of the file, on
    // every page, whichever was in front.
    read->SetClientWidth(420);
    read->SetClientHeight(300);
    const TRect page = pages->ActivePage()->BoundsRect();
    const Integer dx = page.Width() - 392, dy = page.Height() - 252;
    const std::map<std::string, TRect> want = {
        {"Wide", TRect(8, 8, 384 + dx, 29)},
        {"Ok", TRect(310 + dx, 220 + dy, 385 + dx, 245 + dy)},
        {"Notes", TRect(8, 40, 384 + dx, 210 + dy)},
        {"Corner", TRect(290 + dx, 136 + dy, 370 + dx, 164 + dy)},
        {"Bottom", TRect(8, 223 + dy, 384 + dx, 244 + dy)},
    };
    for (Integer p = 0; p < pages->PageCount(); ++p) {
      pages->SetActivePageIndex(p);
      for (const auto& [name, r] : want) {
        auto* c = dynamic_cast<TControl*>(read->FindComponent(String(name.begin(), name.end())));
        EXPECT_EQ(c->BoundsRect(), r) << name << " on page " << p + 1;
      }
    }
  }
}

// ---------------------------------------------------------------------------
// Forms designed at another pixel density

// The form as the designer writes it at Density: every length of the 96
// version, given in multiples of 4, times Density / 96.
std::string DensityForm(Integer density, bool scaled) {
  auto px = [density](Integer v) { return std::to_string(v * density / 96); };
  std::string s = "object Dense: TForm\n  ClientHeight = " + px(240) + "\n  ClientWidth = " + px(320) + "\n";
  s += "  Font.Height = -" + px(12) + "\n  Font.Name = 'Tahoma'\n";
  s += "  PixelsPerInch = " + std::to_string(density) + "\n";
  if (!scaled) s += "  Scaled = False\n";
  s += "  TextHeight = " + px(16) + "\n";
  s += "  object Group: TPanel\n    Left = " + px(8) + "\n    Top = " + px(8) + "\n    Width = " + px(304) +
       "\n    Height = " + px(160) + "\n    Anchors = [akLeft, akTop, akRight]\n";
  s += "    DesignSize = (\n      " + px(304) + "\n      " + px(160) + ")\n";
  s += "    object Go: TButton\n      Left = " + px(220) + "\n      Top = " + px(124) + "\n      Width = " + px(76) +
       "\n      Height = " + px(28) + "\n      Anchors = [akRight, akBottom]\n";
  s += "      Font.Height = -" + px(16) + "\n      Font.Name = 'Verdana'\n      ParentFont = False\n    end\n";
  s += "    object Title: TLabel\n      Left = " + px(8) + "\n      Top = " + px(8) + "\n      Width = " + px(40) +
       "\n      Height = " + px(16) + "\n      AutoSize = False\n      Caption = 'Title'\n    end\n";
  s += "  end\n";
  s += "  object Entry: TEdit\n    Left = " + px(8) + "\n    Top = " + px(180) + "\n    Width = " + px(200) +
       "\n    Height = " + px(24) + "\n    AutoSize = False\n    Constraints.MinWidth = " + px(200) + "\n  end\n";
  s += "end\n";
  return s;
}

TEST_F(Platform_FormLoading, FormsDesignedAtAnotherDensityAreScaledToTheScreen) {
  ASSERT_EQ(Screen->PixelsPerInch(), 96);
  auto at96 = ReadForm(DensityForm(96, true));
  struct TCase {
    Integer Density;
    bool Scaled;
  };
  const TCase cases[] = {{96, true}, {120, true}, {144, true}, {192, true}, {120, false}, {144, false}};
  for (const TCase& k : cases) {
    SCOPED_TRACE(::testing::Message() << k.Density << (k.Scaled ? " scaled" : " not scaled"));
    auto read = ReadForm(DensityForm(k.Density, k.Scaled));
    if (k.Scaled) {
      // As designed: the same form as the one designed at 96.
      ExpectSameLook(read.get(), at96.get());
      EXPECT_EQ(read->ClientWidth(), 320);
      EXPECT_EQ(read->PixelsPerInch(), 96);
      auto* entry = dynamic_cast<TEdit*>(read->FindComponent(u"Entry"));
      EXPECT_EQ(entry->Constraints()->MinWidth(), 200);
      // Its anchors work at the scale it has now.
      read->SetClientWidth(400);
      at96->SetClientWidth(400);
      ExpectSameLook(read.get(), at96.get());
      at96->SetClientWidth(320);
      // Written back, the form is one designed at the screen's density.
      const std::string back = ComponentToText(read.get());
      EXPECT_NE(back.find("PixelsPerInch = 96"), std::string::npos) << back;
    } else {
      // Not to be scaled: the pixels of the file as they are.
      EXPECT_EQ(read->ClientWidth(), 320 * k.Density / 96);
      EXPECT_EQ(read->Font()->Height(), -12 * k.Density / 96);
      auto* go = dynamic_cast<TControl*>(read->FindComponent(u"Go"));
      EXPECT_EQ(go->Width(), 76 * k.Density / 96);
      EXPECT_EQ(go->Font()->Height(), -16 * k.Density / 96);
    }
  }
}

}  // namespace

}  // namespace t_form_loading_test
