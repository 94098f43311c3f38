// Skinned controls read from a form file take their parent's font and hint
// as the same controls made in code do, and a label sizes itself to its
// caption in that font.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/classes/FormText.h"
#include "platform/vcl/Forms.h"
#include "skin/controls/uQuarnButton.h"
#include "skin/controls/uQuarnCheckBox.h"
#include "skin/controls/uQuarnLabel.h"
#include "skin/controls/uQuarnPanel.h"
#include "tests/platform/user/UserTestSupport.h"

namespace t_u_quarn_form_file_test {

using namespace qn;

namespace {

class SkinControls_FormFile : public usertest::ServerTest {
 protected:
  void SetUp() override {
    usertest::ServerTest::SetUp();
    RegisterClasses({TForm::StaticClass(), TQuarnLabel::StaticClass(), TQuarnButton::StaticClass(),
                     TQuarnCheckBox::StaticClass(), TQuarnPanel::StaticClass()});
  }
  void TearDown() override {
    FreeDeviceContexts();
    usertest::ServerTest::TearDown();
  }
};

const char* const kSkinned =
    "object Skinned: TForm\n"
    "  ClientHeight = 240\n"
    "  ClientWidth = 360\n"
    "  Font.Height = -18\n"
    "  Font.Name = 'Verdana'\n"
    "  ShowHint = True\n"
    "  object Lbl: TQuarnLabel\n"
    "    Left = 8\n    Top = 8\n    Width = 30\n    Height = 13\n"
    "    Caption = 'User Name'\n"
    "  end\n"
    "  object Btn: TQuarnButton\n"
    "    Left = 8\n    Top = 40\n    Width = 90\n    Height = 28\n"
    "    Caption = 'Sign in'\n"
    "  end\n"
    "  object Own: TQuarnButton\n"
    "    Left = 108\n    Top = 40\n    Width = 90\n    Height = 28\n"
    "    Caption = 'Cancel'\n"
    "    Font.Height = -11\n    Font.Name = 'Tahoma'\n    ParentFont = False\n"
    "  end\n"
    "  object Chk: TQuarnCheckBox\n"
    "    Left = 8\n    Top = 80\n    Width = 150\n    Height = 20\n"
    "    Caption = 'Remember me'\n"
    "  end\n"
    "  object Pnl: TQuarnPanel\n"
    "    Left = 8\n    Top = 110\n    Width = 300\n    Height = 100\n"
    "    object Inner: TQuarnLabel\n"
    "      Left = 8\n      Top = 8\n      Width = 30\n      Height = 13\n"
    "      Caption = 'Password'\n"
    "    end\n"
    "  end\n"
    "end\n";

template <class T>
T* Make(TForm* form, TWinControl* parent, const char16_t* name, TRect r, const char16_t* caption) {
  T* c = new T(form);
  c->SetName(name);
  c->SetParent(parent);
  c->SetBounds(r.Left, r.Top, r.Width(), r.Height());
  if (caption) c->SetCaption(caption);
  return c;
}

TEST_F(SkinControls_FormFile, ControlsReadFromAFormTakeTheirParentsFontAsInCode) {
  auto read = std::make_unique<TForm>(nullptr);
  TextToComponent(kSkinned, read.get());

  auto made = std::make_unique<TForm>(nullptr);
  TForm* f = made.get();
  f->SetName(u"Skinned");
  f->SetClientWidth(360);
  f->SetClientHeight(240);
  f->Font()->SetHeight(-18);
  f->Font()->SetName(u"Verdana");
  f->SetShowHint(true);
  Make<TQuarnLabel>(f, f, u"Lbl", TRect(8, 8, 38, 21), u"User Name");
  Make<TQuarnButton>(f, f, u"Btn", TRect(8, 40, 98, 68), u"Sign in");
  auto* own = Make<TQuarnButton>(f, f, u"Own", TRect(108, 40, 198, 68), u"Cancel");
  own->Font()->SetHeight(-11);
  own->Font()->SetName(u"Tahoma");
  Make<TQuarnCheckBox>(f, f, u"Chk", TRect(8, 80, 158, 100), u"Remember me");
  auto* pnl = Make<TQuarnPanel>(f, f, u"Pnl", TRect(8, 110, 308, 210), nullptr);
  Make<TQuarnLabel>(f, pnl, u"Inner", TRect(8, 8, 38, 21), u"Password");

  for (const char16_t* name : {u"Lbl", u"Btn", u"Own", u"Chk", u"Pnl", u"Inner"}) {
    SCOPED_TRACE(ToUtf8(name));
    auto* a = dynamic_cast<TControl*>(read->FindComponent(name));
    auto* b = dynamic_cast<TControl*>(made->FindComponent(name));
    ASSERT_TRUE(a && b);
    EXPECT_EQ(a->Font()->Height(), b->Font()->Height());
    EXPECT_EQ(a->Font()->Name(), b->Font()->Name());
    EXPECT_EQ(a->ParentFont(), b->ParentFont());
    EXPECT_EQ(a->ShowHint(), b->ShowHint());
    EXPECT_EQ(a->BoundsRect(), b->BoundsRect());
  }
  // The labels hold their whole caption in the form's font.
  auto* lbl = dynamic_cast<TControl*>(read->FindComponent(u"Lbl"));
  EXPECT_EQ(lbl->Font()->Height(), -18);
  EXPECT_GT(lbl->Width(), 30);
  EXPECT_GT(lbl->Height(), 13);
}

}  // namespace

}  // namespace t_u_quarn_form_file_test
