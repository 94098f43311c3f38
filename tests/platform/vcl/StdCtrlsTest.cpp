#include <memory>

#include "platform/classes/FormText.h"
#include "platform/desktop/Desktop.h"
#include "platform/user/ComboBox.h"
#include "platform/theme/UxTheme.h"
#include "platform/vcl/StdCtrls.h"
#include "platform/vcl/Themes.h"
#include "tests/platform/vcl/FormsTestSupport.h"

namespace t_std_ctrls_test {

using namespace vcl;
using namespace formstest;

namespace {

class Platform_StdCtrls : public FormsTest {
 protected:
  void SetUp() override {
    FormsTest::SetUp();
    Form.reset(new TForm(nullptr));
    Form->SetBounds(100, 100, 420, 320);
    Form->Show();
    Application->ProcessMessages();
  }
  void TearDown() override {
    Form.reset();
    FormsTest::TearDown();
  }
  template <class T>
  T* Make(TWinControl* parent, Integer x, Integer y, Integer w, Integer h, const String& caption = String()) {
    T* c = new T(Form.get());
    c->SetParent(parent);
    c->SetBounds(x, y, w, h);
    if (!caption.empty()) c->SetCaption(caption);
    return c;
  }
  void ClickAt(TControl* c, Integer x, Integer y) {
    TPoint p = c->ClientToScreen(TPoint(x, y));
    InputMouseMove(p.X, p.Y);
    InputMouseDown(VK_LBUTTON);
    InputMouseUp(VK_LBUTTON);
    Application->ProcessMessages();
  }
  void Key(int vk) {
    InputKeyDown(vk);
    InputKeyUp(vk);
    Application->ProcessMessages();
  }
  // Darkest channel sum of the pixels of r (client coordinates of the form).
  Integer Darkest(const TRect& r) {
    Form->Repaint();
    Application->ProcessMessages();
    TScreenImage img = CaptureWindow(Form->Handle(), true);
    Integer best = 3 * 255;
    for (Integer y = r.Top; y < r.Bottom; ++y)
      for (Integer x = r.Left; x < r.Right; ++x) {
        uint32_t p = img.Pixel(x, y);
        best = std::min<Integer>(best, Integer((p >> 16) & 255) + Integer((p >> 8) & 255) + Integer(p & 255));
      }
    return best;
  }
  std::vector<std::string> Events;
  std::unique_ptr<TForm> Form;
};

TEST_F(Platform_StdCtrls, CheckBoxStatesCycleAndCodeFiresOnClick) {
  auto* cb = Make<TCheckBox>(Form.get(), 10, 10, 150, 20, u"&Check me");
  std::vector<TCheckBoxState> seen;
  cb->SetOnClick([&](TObject*) { seen.push_back(cb->State()); });
  // Set in code: OnClick once per change, none for the same value.
  cb->SetChecked(true);
  cb->SetChecked(true);
  EXPECT_EQ(seen, std::vector<TCheckBoxState>{cbChecked});
  EXPECT_EQ(cb->Perform(BM_GETCHECK, 0, 0), LRESULT(BST_CHECKED));
  // Clicks toggle; with AllowGrayed the grey state comes between.
  ClickAt(cb, 5, 10);
  EXPECT_EQ(cb->State(), cbUnchecked);
  cb->SetAllowGrayed(true);
  ClickAt(cb, 5, 10);
  EXPECT_EQ(cb->State(), cbGrayed);
  EXPECT_FALSE(cb->Checked());
  ClickAt(cb, 5, 10);
  EXPECT_EQ(cb->State(), cbChecked);
  EXPECT_EQ(seen, (std::vector<TCheckBoxState>{cbChecked, cbUnchecked, cbGrayed, cbChecked}));
  // A press released outside is no click.
  TPoint p = cb->ClientToScreen(TPoint(5, 10));
  InputMouseMove(p.X, p.Y);
  InputMouseDown(VK_LBUTTON);
  InputMouseMove(p.X + 300, p.Y + 100);
  InputMouseUp(VK_LBUTTON);
  Application->ProcessMessages();
  EXPECT_EQ(cb->State(), cbChecked);
  // Space, BM_CLICK and BM_SETCHECK.
  cb->SetFocus();
  Key(VK_SPACE);
  EXPECT_EQ(cb->State(), cbUnchecked);
  cb->Perform(BM_CLICK, 0, 0);
  EXPECT_EQ(cb->State(), cbGrayed);
  cb->Perform(BM_SETCHECK, BST_UNCHECKED, 0);
  EXPECT_EQ(cb->Perform(BM_GETCHECK, 0, 0), LRESULT(BST_UNCHECKED));
  // The accelerator.
  Form->Perform(CM_DIALOGCHAR, u'c', 0);
  EXPECT_EQ(cb->State(), cbGrayed);
  EXPECT_THROW(cb->SetAlignment(taCenter), EInvalidOperation);
}

TEST_F(Platform_StdCtrls, TheCheckMarkIsPainted) {
  auto* cb = Make<TCheckBox>(Form.get(), 10, 10, 150, 20, u"Mark");
  TRect mark(10 + 3, 10 + 6, 10 + 10, 10 + 13);  // inside the box, around its middle
  Integer empty = Darkest(mark);
  cb->SetChecked(true);
  Integer checked = Darkest(mark);
  EXPECT_GT(empty, 600);   // a white box
  EXPECT_LT(checked, 200);  // a dark tick across it
}

TEST_F(Platform_StdCtrls, RadioButtonsUncheckTheirSiblingsOnly) {
  auto* group = Make<TGroupBox>(Form.get(), 10, 10, 200, 120, u"&Size");
  auto* a = Make<TRadioButton>(group, 10, 20, 150, 20, u"Small");
  auto* b = Make<TRadioButton>(group, 10, 45, 150, 20, u"Large");
  auto* c = Make<TRadioButton>(group, 10, 70, 150, 20, u"Huge");
  auto* outside = Make<TRadioButton>(Form.get(), 220, 20, 150, 20, u"Elsewhere");
  outside->SetChecked(true);
  Integer clicks = 0;
  b->SetOnClick([&](TObject*) { ++clicks; });
  a->SetChecked(true);
  ClickAt(b, 5, 10);
  EXPECT_FALSE(a->Checked());
  EXPECT_TRUE(b->Checked());
  EXPECT_TRUE(outside->Checked());
  EXPECT_EQ(clicks, 1);
  // Clicking the checked one again changes nothing.
  ClickAt(b, 5, 10);
  EXPECT_EQ(clicks, 1);
  // Only the checked one is a tab stop.
  EXPECT_FALSE(a->TabStop());
  EXPECT_TRUE(b->TabStop());
  EXPECT_FALSE(c->TabStop());
  // The arrows move the check through the group.
  b->SetFocus();
  Key(VK_DOWN);
  EXPECT_TRUE(c->Checked());
  EXPECT_FALSE(b->Checked());
  Key(VK_DOWN);
  EXPECT_TRUE(a->Checked());
  EXPECT_EQ(a->Perform(BM_GETCHECK, 0, 0), LRESULT(BST_CHECKED));
  // The group box aligns its controls under the caption's line.
  auto* inner = Make<TGroupBox>(group, 0, 0, 10, 10);
  inner->SetAlign(alBottom);
  auto* fill = Make<TGroupBox>(group, 0, 0, 10, 10);
  fill->SetAlign(alClient);
  EXPECT_GE(fill->Top(), 10);
  EXPECT_GT(fill->Left(), 0);
  EXPECT_LT(inner->Top() + inner->Height(), group->ClientHeight());
  // The etched frame: a shadow line along the top, right of the caption,
  // and down the left side.
  EXPECT_LT(Darkest(TRect(10 + 150, 10, 10 + 151, 30)), 600);
  EXPECT_LT(Darkest(TRect(10, 10 + 60, 10 + 2, 10 + 61)), 600);
}

TEST_F(Platform_StdCtrls, LabelsSizeToTheirTextAndHandTheAcceleratorOn) {
  auto* label = new TLabel(Form.get());
  label->SetParent(Form.get());
  label->SetLeft(10);
  label->SetTop(10);
  label->SetCaption(u"&Name:");
  Integer shortWidth = label->Width();
  label->SetCaption(u"&Name of the thing:");
  EXPECT_GT(label->Width(), shortWidth);
  Integer h = label->Height();
  EXPECT_GT(h, 8);
  // The "&" takes no room while it marks the accelerator.
  label->SetCaption(u"&&&&&&&&");
  Integer marks = label->Width();
  label->SetShowAccelChar(false);
  EXPECT_GT(label->Width(), marks);
  label->SetShowAccelChar(true);
  // Word-wrapped, the width stays and the height grows.
  label->SetCaption(u"one two three four five six seven eight nine ten");
  label->SetWordWrap(true);
  label->SetWidth(60);
  label->SetCaption(label->Caption() + u" eleven");
  EXPECT_EQ(label->Width(), 60);
  EXPECT_GT(label->Height(), 2 * h);
  // Not auto-sized: it keeps what it is given.
  label->SetAutoSize(false);
  label->SetBounds(10, 10, 33, 44);
  label->SetCaption(u"x");
  EXPECT_EQ(label->Width(), 33);
  // The accelerator focuses FocusControl.
  label->SetCaption(u"&Name:");
  auto* edit = Make<TEdit>(Form.get(), 100, 10, 100, 21);
  auto* other = Make<TEdit>(Form.get(), 100, 40, 100, 21);
  label->SetFocusControl(edit);
  other->SetFocus();
  Form->Perform(CM_DIALOGCHAR, u'n', 0);
  EXPECT_TRUE(edit->Focused());
  delete edit;  // the label forgets it
  EXPECT_EQ(label->FocusControl(), nullptr);
  EXPECT_EQ(Form->Perform(CM_DIALOGCHAR, u'n', 0), 0);
}

TEST_F(Platform_StdCtrls, ComboBoxItemIndexIsSilentAndItemsSurviveRecreation) {
  auto* combo = Make<TComboBox>(Form.get(), 10, 10, 150, 24);
  auto& log = Events;  // outlives the controls' events, whatever fails
  combo->SetOnChange([&](TObject*) { log.push_back("Change"); });
  combo->SetOnSelect([&](TObject*) { log.push_back("Select"); });
  combo->SetOnDropDown([&](TObject*) { log.push_back("DropDown"); });
  combo->SetOnCloseUp([&](TObject*) { log.push_back("CloseUp"); });
  combo->Items()->Add(u"red");
  combo->Items()->Add(u"green");
  combo->Items()->AddObject(u"blue", reinterpret_cast<TObject*>(intptr_t(3)));
  combo->SetItemIndex(1);
  EXPECT_EQ(combo->Text(), u"green");
  EXPECT_TRUE(log.empty());
  // A new style means a new window; the items, their objects and the
  // selection come along.
  combo->SetStyle(TComboBoxStyle::csDropDownList);
  EXPECT_EQ(combo->Items()->Count(), 3);
  EXPECT_EQ(combo->Items()->Objects(2), reinterpret_cast<TObject*>(intptr_t(3)));
  EXPECT_EQ(combo->ItemIndex(), 1);
  EXPECT_EQ(combo->EditHandle(), nullptr);
  EXPECT_EQ(combo->DropDownCount(), 8);
  // Picked by the user: every event, in order.
  ClickAt(combo, 140, 10);
  EXPECT_TRUE(combo->DroppedDown());
  COMBOBOXINFO ci;
  ASSERT_TRUE(GetComboBoxInfo(combo->Handle(), &ci));
  RECT lr;
  GetWindowRect(ci.hwndList, &lr);
  Integer ih = combo->ItemHeight();
  InputMouseMove(lr.Left + 10, lr.Top + 1 + 2 * ih + ih / 2);
  InputMouseDown(VK_LBUTTON);
  InputMouseUp(VK_LBUTTON);
  Application->ProcessMessages();
  EXPECT_EQ(log, (std::vector<std::string>{"DropDown", "Change", "Select", "CloseUp"}));
  combo->SetDroppedDown(false);
  combo->SetOnChange(nullptr);
  combo->SetOnSelect(nullptr);
  combo->SetOnDropDown(nullptr);
  combo->SetOnCloseUp(nullptr);
  EXPECT_EQ(combo->Text(), u"blue");
  EXPECT_THROW(combo->SetDropDownCount(0), EInvalidOperation);
  // Sorted before the window: the saved items are sorted as the window would.
  auto* sorted = new TComboBox(Form.get());
  sorted->SetSorted(true);
  sorted->Items()->Add(u"b");
  sorted->Items()->Add(u"a");
  sorted->SetParent(Form.get());
  EXPECT_EQ(sorted->Items()->Strings(0), u"a");
  sorted->HandleNeeded();
  EXPECT_EQ(sorted->Items()->Strings(0), u"a");
}

TEST_F(Platform_StdCtrls, OwnerDrawnComboBoxesAskTheirEvents) {
  auto* combo = new TComboBox(Form.get());
  combo->SetStyle(TComboBoxStyle::csOwnerDrawVariable);
  std::vector<Integer> measured;
  std::vector<std::pair<Integer, bool>> drawn;
  combo->SetOnMeasureItem([&](TWinControl*, Integer i, Integer& h) {
    measured.push_back(i);
    h = 20 + i;
  });
  combo->SetOnDrawItem([&](TWinControl*, Integer i, TRect, TOwnerDrawState s) {
    drawn.emplace_back(i, s.Contains(odComboBoxEdit));
  });
  combo->SetParent(Form.get());
  combo->SetBounds(10, 10, 150, 24);
  combo->Items()->Add(u"a");
  combo->Items()->Add(u"b");
  EXPECT_EQ(measured, (std::vector<Integer>{0, 1}));
  EXPECT_EQ(SendMessageW(combo->Handle(), CB_GETITEMHEIGHT, 1, 0), 21);
  combo->SetItemIndex(0);
  combo->Repaint();
  ASSERT_FALSE(drawn.empty());
  EXPECT_EQ(drawn.back(), std::make_pair(Integer(0), true));
}

TEST_F(Platform_StdCtrls, MarksAreThemedWhileThemesAreOn) {
  ResetThemes();
  auto* cb = Make<TCheckBox>(Form.get(), 10, 10, 150, 20, u"Themed");
  auto* rb = Make<TRadioButton>(Form.get(), 10, 40, 150, 20, u"Radio");
  cb->SetAllowGrayed(true);
  cb->SetState(cbGrayed);
  rb->SetChecked(true);
  auto drawn = [&] {
    ClearThemeCallLog();
    Form->Repaint();
    Application->ProcessMessages();
    std::vector<std::pair<int, int>> parts;
    for (auto& c : ThemeCallLog())
      if (c.Function == u"DrawThemeBackground" && (c.Part == BP_CHECKBOX || c.Part == BP_RADIOBUTTON))
        parts.emplace_back(c.Part, c.State);
    return parts;
  };
  ASSERT_TRUE(ThemeServices()->Enabled());
  auto parts = drawn();
  EXPECT_NE(std::find(parts.begin(), parts.end(), std::make_pair(BP_CHECKBOX, CBS_MIXEDNORMAL)), parts.end());
  EXPECT_NE(std::find(parts.begin(), parts.end(), std::make_pair(BP_RADIOBUTTON, int(RBS_CHECKEDNORMAL))),
            parts.end());
  // Without the library: the plain frame control, no theme call at all.
  SetThemeMode(TThemeMode::Absent);
  ThemeServices()->ApplyThemeChange();
  EXPECT_TRUE(drawn().empty());
  Integer mark = Darkest(TRect(10 + 3, 10 + 6, 10 + 10, 10 + 13));
  EXPECT_LT(mark, 600);  // the grey state's dotted tick
  ResetThemes();
  ThemeServices()->ApplyThemeChange();
}

}  // namespace

namespace {

class Platform_StdCtrlsFormFile : public FormsTest {};

TEST_F(Platform_StdCtrlsFormFile, ControlsReadFromAFormFile) {
  const char* text =
      "object Form1: TForm\n"
      "  Caption = 'Order'\n"
      "  object Label1: TLabel\n"
      "    Left = 8\n"
      "    Top = 8\n"
      "    Caption = '&Size:'\n"
      "    FocusControl = ComboBox1\n"
      "  end\n"
      "  object ComboBox1: TComboBox\n"
      "    Left = 60\n"
      "    Top = 8\n"
      "    Width = 120\n"
      "    Height = 21\n"
      "    Style = csDropDownList\n"
      "    ItemIndex = 1\n"
      "    Items.Strings = (\n"
      "      'Small'\n"
      "      'Medium'\n"
      "      'Large')\n"
      "  end\n"
      "  object CheckBox1: TCheckBox\n"
      "    Left = 8\n"
      "    Top = 40\n"
      "    Caption = 'Gift wrap'\n"
      "    AllowGrayed = True\n"
      "    State = cbGrayed\n"
      "  end\n"
      "  object GroupBox1: TGroupBox\n"
      "    Left = 8\n"
      "    Top = 64\n"
      "    Caption = 'Delivery'\n"
      "    object RadioButton1: TRadioButton\n"
      "      Left = 8\n"
      "      Top = 20\n"
      "      Caption = 'Post'\n"
      "    end\n"
      "    object RadioButton2: TRadioButton\n"
      "      Left = 8\n"
      "      Top = 44\n"
      "      Caption = 'Courier'\n"
      "      Checked = True\n"
      "    end\n"
      "  end\n"
      "end\n";
  std::unique_ptr<TForm> form(new TForm(nullptr));
  TextToComponent(text, form.get());
  auto* combo = static_cast<TComboBox*>(form->FindComponent(u"ComboBox1"));
  ASSERT_NE(combo, nullptr);
  EXPECT_EQ(combo->Style(), TComboBoxStyle::csDropDownList);
  EXPECT_EQ(combo->Items()->Count(), 3);
  combo->HandleNeeded();
  EXPECT_EQ(combo->ItemIndex(), 1);
  EXPECT_EQ(combo->Text(), u"Medium");
  auto* label = static_cast<TLabel*>(form->FindComponent(u"Label1"));
  EXPECT_EQ(label->FocusControl(), combo);
  EXPECT_EQ(static_cast<TCheckBox*>(form->FindComponent(u"CheckBox1"))->State(), cbGrayed);
  EXPECT_TRUE(static_cast<TRadioButton*>(form->FindComponent(u"RadioButton2"))->Checked());
  EXPECT_FALSE(static_cast<TRadioButton*>(form->FindComponent(u"RadioButton1"))->Checked());
  EXPECT_EQ(static_cast<TRadioButton*>(form->FindComponent(u"RadioButton2"))->Parent(),
            form->FindComponent(u"GroupBox1"));
}

}  // namespace

}  // namespace t_std_ctrls_test
