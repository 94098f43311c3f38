// Help requests: F1 asks for the topic of the focused control or of the
// nearest parent that has one; OnHelp may answer instead; every request that
// goes out is in the application's help log.
#include <memory>

#include "platform/vcl/ExtCtrls.h"
#include "tests/platform/vcl/FormsTestSupport.h"

namespace t_help_test {

using namespace vcl;
using namespace formstest;

namespace {

class TFocusBox : public TCustomControl {
  QN_CLASS(TFocusBox, TCustomControl)
 public:
  explicit TFocusBox(TComponent* AOwner) : TCustomControl(AOwner) { SetTabStop(true); }
};

class Platform_SystemInfo_Help : public FormsTest {};

TEST_F(Platform_SystemInfo_Help, F1TakesTheTopicUpTheParentChainAndOnHelpMayAnswerIt) {
  std::unique_ptr<TForm> form(new TForm(nullptr));
  form->SetPosition(poDesigned);
  form->SetBounds(50, 50, 400, 300);
  form->SetHelpContext(10);
  auto* panel = new TPanel(form.get());
  panel->SetParent(form.get());
  panel->SetBounds(10, 10, 300, 200);
  panel->SetHelpContext(420);
  auto* box = new TFocusBox(form.get());
  box->SetParent(panel);
  box->SetBounds(10, 10, 100, 50);
  Application->SetHelpFile(u"C:\\Shop\\Shop.hlp");
  form->Show();
  box->SetFocus();
  Application->ProcessMessages();
  ASSERT_TRUE(box->Focused());

  auto f1 = [] {
    InputKeyDown(VK_F1);
    InputKeyUp(VK_F1);
    Application->ProcessMessages();
  };
  f1();
  ASSERT_EQ(Application->HelpLog().size(), 1u);
  EXPECT_EQ(Application->HelpLog()[0].Command, HELP_CONTEXT);
  EXPECT_EQ(Application->HelpLog()[0].Data, 420);
  EXPECT_EQ(Application->HelpLog()[0].HelpFile, u"C:\\Shop\\Shop.hlp");

  // A keyword on the control itself comes first.
  box->SetHelpKeyword(u"basket");
  f1();
  ASSERT_EQ(Application->HelpLog().size(), 2u);
  EXPECT_EQ(Application->HelpLog()[1].Command, HELP_KEY);
  EXPECT_EQ(Application->HelpLog()[1].Keyword, u"basket");

  // OnHelp answers: nothing goes out.
  int asked = 0;
  Application->OnHelp = [&](Word Command, NativeInt Data, bool& CallHelp) {
    ++asked;
    CallHelp = false;
    return true;
  };
  f1();
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(Application->HelpLog().size(), 2u);
  Application->OnHelp = nullptr;

  // Without a help file the request is still made, and reported as not done.
  Application->SetHelpFile(u"");
  EXPECT_FALSE(Application->HelpCommand(HELP_CONTENTS, 0));
  EXPECT_EQ(Application->HelpLog().back().Command, HELP_CONTENTS);
}

}  // namespace

}  // namespace t_help_test
