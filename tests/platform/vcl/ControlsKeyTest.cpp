// Focus bookkeeping (CM_ENTER/CM_EXIT/CM_FOCUSCHANGED) and key routing:
// CN_KEYDOWN, the special keys a control may want, CM_DIALOGKEY and
// CM_DIALOGCHAR to the root, and the root's key preview.
#include <gtest/gtest.h>

#include "tests/platform/vcl/ControlsTestSupport.h"

namespace t_controls_key_test {

using namespace vcl;
using namespace controlstest;

namespace {

std::vector<std::string>* gLog = nullptr;
void Note(const std::string& s) {
  if (gLog) gLog->push_back(s);
}
std::string N(TControl* c) { return c ? ToUtf8(c->Name()) : "nil"; }

// A focusable box that logs what reaches it. WantKeys is its WM_GETDLGCODE
// answer; Special answers CM_WANTSPECIALKEY for that key.
class TKeyBox : public TBox {
  QN_CLASS(TKeyBox, TBox)
 public:
  explicit TKeyBox(TComponent* AOwner) : TBox(AOwner) { SetTabStop(true); }
  LRESULT WantKeys = 0;
  Word Special = 0;
  bool DefaultButton = false;  // answers CM_DIALOGKEY for Enter
  int DefaultKeyDowns = 0;     // WM_KEYDOWN that reached the window procedure

  void Dispatch(TMessage& m) override {
    switch (m.Msg) {
      case WM_GETDLGCODE:
        m.Result = WantKeys;
        return;
      case CM_WANTSPECIALKEY:
        m.Result = m.WParam == Special ? 1 : 0;
        return;
      case CM_DIALOGKEY:
        if (DefaultButton && m.WParam == VK_RETURN) {
          Note("default " + N(this));
          m.Result = 1;
          return;
        }
        break;
      case CM_DIALOGCHAR:
        if (IsAccel(static_cast<Word>(m.WParam), Caption())) {
          Note("accel " + N(this));
          m.Result = 1;
          return;
        }
        break;
      case CM_ENTER:
        Note("enter " + N(this));
        break;
      case CM_EXIT:
        Note("exit " + N(this));
        break;
      case CM_FOCUSCHANGED:
        if (N(this) == "watch") Note("focus changed to " + N(MessageControl(m)));
        break;
      default:
        break;
    }
    inherited::Dispatch(m);
  }
  void DefaultHandler(TMessage& m) override {
    if (m.Msg == WM_KEYDOWN) ++DefaultKeyDowns;
    inherited::DefaultHandler(m);
  }
};

// The root does what a form does with Tab.
class TDialogRoot : public TKeyBox {
  QN_CLASS(TDialogRoot, TKeyBox)
 public:
  explicit TDialogRoot(TComponent* AOwner) : TKeyBox(AOwner) { SetTabStop(false); }
  bool Preview = false;
  bool PreviewKeys() override { return Preview; }
  void Dispatch(TMessage& m) override {
    if (m.Msg == CM_DIALOGKEY && m.WParam == VK_TAB) {
      SelectNext(FocusedControl(), GetKeyState(VK_SHIFT) >= 0, true);
      m.Result = 1;
      return;
    }
    inherited::Dispatch(m);
  }
};

class Platform_Controls_Keys : public ControlsTest {
 protected:
  void SetUp() override {
    ControlsTest::SetUp();
    gLog = &log;
    host = Host();
    root = new TDialogRoot(nullptr);
    root->SetName(u"root");
    root->SetBounds(0, 0, 400, 300);
    root->SetParentWindow(host);
    e1 = Make(root, u"e1", Bounds(10, 10, 50, 20));
    e2 = Make(root, u"e2", Bounds(10, 40, 50, 20));
    panel = Make(root, u"panel", Bounds(100, 10, 200, 200));
    panel->SetTabStop(false);
    e3 = Make(panel, u"e3", Bounds(10, 10, 50, 20));
    watch = Make(root, u"watch", Bounds(10, 250, 20, 20));
    watch->SetTabStop(false);
  }
  void TearDown() override {
    delete root;
    gLog = nullptr;
    ControlsTest::TearDown();
  }
  TKeyBox* Make(TWinControl* parent, const char16_t* name, TRect r) {
    auto* c = new TKeyBox(nullptr);
    c->SetName(name);
    c->SetBoundsRect(r);
    c->SetParent(parent);
    return c;
  }
  // A message loop as the application runs it: key messages go to their
  // control first.
  static void Loop() {
    for (int round = 0; round < 2; ++round) {
      MSG m;
      while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
        if (IsControlKeyMsg(m)) continue;
        TranslateMessage(&m);
        DispatchMessageW(&m);
      }
    }
  }
  static void Key(int vk) {
    InputKeyDown(vk);
    InputKeyUp(vk);
    Loop();
  }
  TWinControl* Focus() { return FindControl(GetFocus()); }

  std::vector<std::string> log;
  HWND host = nullptr;
  TDialogRoot* root = nullptr;
  TKeyBox *e1 = nullptr, *e2 = nullptr, *panel = nullptr, *e3 = nullptr, *watch = nullptr;
};

TEST_F(Platform_Controls_Keys, FocusChangesSendExitUpAndEnterDown) {
  e1->SetFocus();
  EXPECT_EQ(Focus(), e1);
  EXPECT_EQ(root->FocusedControl(), e1);
  EXPECT_EQ(log, (std::vector<std::string>{"enter e1", "focus changed to e1"}));
  log.clear();
  e3->SetFocus();
  EXPECT_EQ(log, (std::vector<std::string>{"exit e1", "enter panel", "enter e3", "focus changed to e3"}));
  log.clear();
  e1->SetFocus();
  EXPECT_EQ(log, (std::vector<std::string>{"exit e3", "exit panel", "enter e1", "focus changed to e1"}));

  // Focus moved by an OnExit handler wins over the change under way.
  log.clear();
  e1->SetOnExit([this](TObject*) { e3->SetFocus(); });
  e2->SetFocus();
  e1->SetOnExit(nullptr);
  EXPECT_EQ(Focus(), e3);
  EXPECT_EQ(root->FocusedControl(), e3);
  EXPECT_EQ(std::count(log.begin(), log.end(), "enter e2"), 0);

  // Hiding the focused control hands the focus to the root; so does
  // removing a container that holds it.
  log.clear();
  panel->Hide();
  EXPECT_EQ(Focus(), root);
  EXPECT_EQ(root->FocusedControl(), root);
  EXPECT_FALSE(e3->CanFocus());
  EXPECT_THROW(e3->SetFocus(), EInvalidOperation);
  panel->Show();
  e3->SetFocus();
  delete panel;
  panel = e3 = nullptr;
  EXPECT_EQ(Focus(), root);
  EXPECT_EQ(root->FocusedControl(), root);
}

TEST_F(Platform_Controls_Keys, TabAndEnterGoToTheRootUnlessTheControlWantsThem) {
  e1->SetFocus();
  Key(VK_TAB);
  EXPECT_EQ(Focus(), e2);
  Key(VK_TAB);
  EXPECT_EQ(Focus(), e3);  // inside the panel, which is no tab stop itself
  InputKeyDown(VK_SHIFT);
  Key(VK_TAB);
  InputKeyUp(VK_SHIFT);
  Loop();
  EXPECT_EQ(Focus(), e2);
  EXPECT_EQ(e2->DefaultKeyDowns, 0);  // the Tabs never reached it as keys

  // A control that asks for Tab keeps it.
  std::vector<Word> downs;
  e2->SetOnKeyDown([&](TObject*, Word& k, TShiftState) { downs.push_back(k); });
  e2->WantKeys = DLGC_WANTTAB;
  Key(VK_TAB);
  EXPECT_EQ(Focus(), e2);
  EXPECT_EQ(downs, (std::vector<Word>{VK_TAB}));
  // CM_WANTSPECIALKEY does the same for one key.
  e2->WantKeys = 0;
  e2->Special = VK_RETURN;
  log.clear();
  Key(VK_RETURN);
  EXPECT_EQ(downs.back(), VK_RETURN);
  EXPECT_TRUE(log.empty());

  // Unwanted, Enter travels to the root as CM_DIALOGKEY and reaches the
  // child that answers it.
  e2->Special = 0;
  watch->DefaultButton = true;
  downs.clear();
  Key(VK_RETURN);
  EXPECT_EQ(log, (std::vector<std::string>{"default watch"}));
  EXPECT_TRUE(downs.empty());

  // Arrows not wanted and not answered stay with the control.
  Key(VK_DOWN);
  EXPECT_EQ(downs, (std::vector<Word>{VK_DOWN}));
}

TEST_F(Platform_Controls_Keys, HandlersZeroKeysAndTheRootPreviewsThem) {
  e1->SetFocus();
  std::vector<std::string> seen;
  e1->SetOnKeyDown([&](TObject*, Word& k, TShiftState) {
    seen.push_back("e1 down " + std::to_string(k));
    if (k == 'Z') k = 0;
  });
  e1->SetOnKeyPress([&](TObject*, Char& c) { seen.push_back("e1 press " + std::string(1, char(c))); });
  root->SetOnKeyDown([&](TObject*, Word& k, TShiftState) {
    seen.push_back("root down " + std::to_string(k));
    if (k == 'Q') k = 0;
  });
  Key('A');
  Key('Z');
  EXPECT_EQ(e1->DefaultKeyDowns, 1);  // the zeroed Z stopped before the window procedure
  EXPECT_EQ(seen, (std::vector<std::string>{"e1 down 65", "e1 press a", "e1 down 90", "e1 press z"}));

  seen.clear();
  root->Preview = true;
  Key('A');
  Key('Q');
  EXPECT_EQ(seen, (std::vector<std::string>{"root down 65", "e1 down 65", "e1 press a", "root down 81",
                                            "e1 press q"}));
}

TEST_F(Platform_Controls_Keys, AcceleratorsAnswerDialogChars) {
  e2->SetCaption(u"&Save");
  watch->SetCaption(u"Fish && &Chips");
  e1->SetFocus();
  log.clear();
  InputKeyDown(VK_MENU);
  Key('S');
  InputKeyUp(VK_MENU);
  Loop();
  EXPECT_EQ(log, (std::vector<std::string>{"accel e2"}));
  // A control that takes characters keeps them; one that does not lets
  // them be accelerators.
  log.clear();
  e1->WantKeys = DLGC_WANTCHARS;
  Key('C');
  EXPECT_TRUE(log.empty());
  e1->WantKeys = 0;
  Key('C');
  EXPECT_EQ(log, (std::vector<std::string>{"accel watch"}));
}

TEST(Platform_Controls_Accel, AmpersandMarksTheAcceleratorAndDoubledIsLiteral) {
  EXPECT_TRUE(IsAccel('S', u"&Save"));
  EXPECT_TRUE(IsAccel('s', u"&Save"));
  EXPECT_TRUE(IsAccel('A', u"S&ave"));
  EXPECT_FALSE(IsAccel('S', u"S&ave"));
  EXPECT_FALSE(IsAccel('C', u"Fish && Chips"));
  EXPECT_TRUE(IsAccel('C', u"Fish && &Chips"));
  EXPECT_FALSE(IsAccel('X', u"Trailing&"));
  EXPECT_FALSE(IsAccel('X', u""));
}

}  // namespace

}  // namespace t_controls_key_test
