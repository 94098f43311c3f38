// The palette's pop-up menu: a platform menu in every other respect, its
// About entry shown but never written to a form file.
#include <gtest/gtest.h>

#include <memory>

#include "platform/classes/FormText.h"
#include "platform/vcl/Forms.h"
#include "skin/forms/uQuarnMenu.h"

namespace t_u_quarn_menu_test {

using namespace qn;

namespace {

TEST(uQuarnMenu, StreamsItsItemsAndNeverItsAbout) {
  RegisterClasses({TForm::StaticClass(), TQuarnMenu::StaticClass(), TMenuItem::StaticClass()});
  std::unique_ptr<TForm> form(new TForm(nullptr));
  form->SetName(u"Form1");
  auto* menu = new TQuarnMenu(form.get());
  menu->SetName(u"QuarnMenu1");
  menu->SetAutoPopup(false);
  for (const Char* name : {u"mnuOpen", u"mnuClose"}) {
    auto* item = new TMenuItem(form.get());
    item->SetName(name);
    item->SetCaption(String(u"&") + String(name).substr(3));
    menu->Items()->Add(item);
  }
  menu->Items()->Items(1)->SetChecked(true);
  EXPECT_EQ(menu->About(), aiQuarnComponent);
  const TPropInfo* about = GetPropInfo(menu, u"About");
  ASSERT_NE(about, nullptr);
  EXPECT_EQ(about->PropType().Name, String(u"TQnAboutInfo"));

  const std::string text = ComponentToText(form.get());
  EXPECT_EQ(text.find("About"), std::string::npos) << text;
  EXPECT_NE(text.find("AutoPopup = False"), std::string::npos) << text;

  std::unique_ptr<TForm> other(new TForm(nullptr));
  TextToComponent(text, other.get());
  auto* back = dynamic_cast<TQuarnMenu*>(other->FindComponent(u"QuarnMenu1"));
  ASSERT_NE(back, nullptr);
  ASSERT_EQ(back->Items()->Count(), 2) << text;
  EXPECT_EQ(back->Items()->Items(1)->Caption(), String(u"&Close"));
  EXPECT_TRUE(back->Items()->Items(1)->Checked());
  EXPECT_FALSE(back->AutoPopup());
}

}  // namespace

}  // namespace t_u_quarn_menu_test
