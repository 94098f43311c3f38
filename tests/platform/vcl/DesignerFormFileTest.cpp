// Form files as the platform's designer writes them: fonts, named colours and
// charsets, the form's text height and create order, anchored children with
// their container's design size and explicit bounds. Each must read, act,
// and come back out when the form is written again.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/classes/FormText.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/StdCtrls.h"
#include "tests/platform/vcl/FormsTestSupport.h"

namespace t_designer_form_file_test {

using namespace vcl;
using namespace formstest;

namespace {

class Platform_DesignerFormFile : public FormsTest {};

const char* const kDesigned =
    "object Form1: TForm\n"
    "  Left = 0\n"
    "  Top = 0\n"
    "  Caption = 'Orders'\n"
    "  ClientHeight = 200\n"
    "  ClientWidth = 300\n"
    "  Color = clWindow\n"
    "  Font.Charset = DEFAULT_CHARSET\n"
    "  Font.Color = clWindowText\n"
    "  Font.Height = -11\n"
    "  Font.Name = 'Tahoma'\n"
    "  Font.Style = []\n"
    "  OldCreateOrder = False\n"
    "  PixelsPerInch = 96\n"
    "  TextHeight = 13\n"
    "  object Panel1: TPanel\n"
    "    Left = 8\n"
    "    Top = 8\n"
    "    Width = 185\n"
    "    Height = 41\n"
    "    Caption = 'Panel1'\n"
    "    DesignSize = (\n"
    "      165\n"
    "      41)\n"
    "    object Button1: TButton\n"
    "      Left = 82\n"
    "      Top = 8\n"
    "      Width = 75\n"
    "      Height = 25\n"
    "      Anchors = [akTop, akRight]\n"
    "      Caption = 'Send'\n"
    "      Font.Charset = RUSSIAN_CHARSET\n"
    "      Font.Color = clRed\n"
    "      Font.Height = -13\n"
    "      Font.Name = 'Verdana'\n"
    "      Font.Style = [fsBold, fsItalic]\n"
    "      ParentFont = False\n"
    "      ExplicitLeft = 60\n"
    "    end\n"
    "    object Edit1: TEdit\n"
    "      Left = 8\n"
    "      Top = 10\n"
    "      Width = 60\n"
    "      Height = 21\n"
    "      TabOrder = 1\n"
    "      Text = 'Ann'\n"
    "    end\n"
    "  end\n"
    "end\n";

TEST_F(Platform_DesignerFormFile, ReadsFontsColoursAndAnchorsAndWritesThemBack) {
  RegisterClasses({TForm::StaticClass(), TPanel::StaticClass(), TButton::StaticClass(), TEdit::StaticClass()});
  auto form = std::make_unique<TForm>(nullptr);
  TextToComponent(kDesigned, form.get());

  EXPECT_EQ(form->Color(), clWindow);
  EXPECT_EQ(form->Font()->Name(), u"Tahoma");
  EXPECT_EQ(form->Font()->Height(), -11);
  EXPECT_EQ(form->Font()->Charset(), DEFAULT_CHARSET);
  auto* button = dynamic_cast<TButton*>(form->FindComponent(u"Button1"));
  auto* label = dynamic_cast<TEdit*>(form->FindComponent(u"Edit1"));
  ASSERT_NE(button, nullptr);
  ASSERT_NE(label, nullptr);
  EXPECT_FALSE(button->ParentFont());
  EXPECT_EQ(button->Font()->Name(), u"Verdana");
  EXPECT_EQ(button->Font()->Charset(), RUSSIAN_CHARSET);
  EXPECT_EQ(button->Font()->Color(), clRed);
  EXPECT_EQ(button->Font()->Style(), (TFontStyles{TFontStyle::fsBold, TFontStyle::fsItalic}));
  // The edit takes its font from the panel, which takes the form's.
  EXPECT_TRUE(label->ParentFont());
  EXPECT_EQ(label->Font()->Name(), u"Tahoma");
  // The panel was 165 wide in the designer and is 185 now: the right-
  // anchored button keeps its distance to the right edge.
  EXPECT_EQ(button->Left(), 102);
  EXPECT_EQ(button->Width(), 75);
  EXPECT_EQ(label->Left(), 8);

  std::string back = ComponentToText(form.get());
  std::erase(back, '\r');
  for (const char* line : {"  Color = clWindow\n", "  Font.Charset = DEFAULT_CHARSET\n",
                           "  Font.Color = clWindowText\n", "  Font.Name = 'Tahoma'\n", "  Font.Style = []\n",
                           "  TextHeight = 13\n", "      Font.Charset = RUSSIAN_CHARSET\n",
                           "      Font.Color = clRed\n", "      Font.Style = [fsBold, fsItalic]\n",
                           "      ParentFont = False\n", "      ExplicitLeft = 60\n", "    DesignSize = (\n"})
    EXPECT_NE(back.find(line), std::string::npos) << line << "missing from\n" << back;
  // A font taken from the parent is not the child's to write; the size is
  // written as its height only.
  const size_t labelAt = back.find("object Edit1");
  ASSERT_NE(labelAt, std::string::npos);
  EXPECT_EQ(back.find("Font.", labelAt), std::string::npos) << back;
  EXPECT_EQ(back.find("Font.Size"), std::string::npos) << back;

  // Read again, the text written is the same.
  auto again = std::make_unique<TForm>(nullptr);
  TextToComponent(back, again.get());
  std::string twice = ComponentToText(again.get());
  std::erase(twice, '\r');
  EXPECT_EQ(twice, back);
}

TEST_F(Platform_DesignerFormFile, UnknownCharsetAndColourNamesFailWithTheirName) {
  RegisterClasses({TForm::StaticClass()});
  for (const char* bad : {"  Font.Charset = NO_SUCH_CHARSET\n", "  Color = clNoSuchColour\n"}) {
    auto form = std::make_unique<TForm>(nullptr);
    const std::string text = std::string("object Form1: TForm\n") + bad + "end\n";
    try {
      TextToComponent(text, form.get());
      ADD_FAILURE() << "read " << bad;
    } catch (const Exception&) {
    }
  }
}

}  // namespace

}  // namespace t_designer_form_file_test
