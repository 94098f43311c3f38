// The PNG holder: a registered component whose form file carries only its
// name and tag.
#include <gtest/gtest.h>

#include "platform/classes/FormText.h"
#include "skin/extended/uQuarnPng.h"

namespace t_u_quarn_png_test {

using namespace qn;

namespace {

TEST(uQuarnPng, OnlyNameAndTagReachTheFormFile) {
  TComponent Owner(nullptr);
  auto* P = new TQuarnPng(&Owner);
  P->SetName(u"QuarnPng1");
  P->SetTag(42);
  const std::string Text = ComponentToText(P);
  EXPECT_NE(Text.find("object QuarnPng1: TQuarnPng"), std::string::npos) << Text;
  EXPECT_NE(Text.find("Tag = 42"), std::string::npos) << Text;
  // The header line, the tag and the end: nothing else.
  Integer Lines = 0;
  for (char C : Text) Lines += C == '\n';
  EXPECT_EQ(Lines, 3) << Text;
  auto* T = new TQuarnPng(nullptr);
  TextToComponent(Text, T);
  EXPECT_EQ(T->Tag(), 42);
  EXPECT_EQ(T->Name(), u"QuarnPng1");
  delete T;
  EXPECT_EQ(FindClass(u"TQuarnPng"), TQuarnPng::StaticClass());
}

}  // namespace

}  // namespace t_u_quarn_png_test
