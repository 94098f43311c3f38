// The skinned message box, driven through its modal loop: the loop's idle
// hook finds the open dialog, checks it and queues the input that ends it.
// Every button set against the fixed order, default and cancel rules; keys,
// the close button and the clipboard; the layout rules with and without the
// check box; styles reaching later boxes and going away safely.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

#include "platform/classes/FormText.h"
#include "platform/desktop/Desktop.h"
#include "platform/vcl/Clipbrd.h"
#include "platform/vcl/Forms.h"
#include "skin/extended/uQuarnMessageBox.h"
#include "tests/platform/user/UserTestSupport.h"

namespace t_u_quarn_message_box_test {

using namespace qn;

namespace {

using Box = TQuarnMessageForm;

class MsgBoxTest : public usertest::InputServerTest {
 protected:
  void SetUp() override {
    usertest::InputServerTest::SetUp();
    SetScreenSize(1024, 768);
    FOldHook = SetModalIdleHook([this] { return Idle(); });
  }
  void TearDown() override {
    SetModalIdleHook(FOldHook);
    QnMsgBoxSettings() = TQnMsgBoxSettings{};
    FreeDeviceContexts();
    usertest::InputServerTest::TearDown();
  }

  // Runs Call (a box) with Steps played one per idle of its modal loop;
  // each step gets the open dialog. The loop gives up, failing the test,
  // once the steps are used up and the box is still open after a while.
  Integer Run(const std::function<Integer()>& Call, std::vector<std::function<void(Box*)>> Steps) {
    FSteps = std::move(Steps);
    FStep = 0;
    FIdles = 0;
    FSeen = nullptr;
    const Integer r = Call();
    EXPECT_EQ(FStep, FSteps.size()) << "the box closed before all steps ran";
    return r;
  }
  bool Idle() {
    if (++FIdles > 2000) {
      ADD_FAILURE() << "the message box did not close";
      return false;
    }
    Box* box = OpenBox();
    if (box && FStep < FSteps.size()) {
      FSeen = box;
      FSteps[FStep++](box);
      return true;
    }
    // Let timers (title-bar adoption, hover) run.
    AdvanceClock(10);
    return true;
  }
  static Box* OpenBox() {
    for (Integer i = 0; i < Screen->FormCount(); ++i)
      if (auto* b = dynamic_cast<Box*>(Screen->Forms(i)); b && b->Visible()) return b;
    return nullptr;
  }
  static void ClickAt(TPoint P) {
    InputMouseMove(P.X, P.Y);
    InputMouseDown(VK_LBUTTON);
    InputMouseUp(VK_LBUTTON);
  }
  static void Click(TControl* C) { ClickAt(C->ClientToScreen(TPoint(C->Width() / 2, C->Height() / 2))); }
  static void ClickCloseButton(Box* B) {
    const TRect r = B->CloseNCButton()->GetRect();
    RECT wr;
    GetWindowRect(B->Handle(), &wr);
    ClickAt(TPoint(wr.Left + (r.Left + r.Right) / 2, wr.Top + (r.Top + r.Bottom) / 2));
  }
  static void Key(int VK) {
    InputKeyDown(VK);
    InputKeyUp(VK);
  }

  TModalIdleHook FOldHook;
  std::vector<std::function<void(Box*)>> FSteps;
  size_t FStep = 0;
  int FIdles = 0;
  Box* FSeen = nullptr;
};

using uQuarnMessageBox = MsgBoxTest;

const TQnMsgBoxButton kAll[] = {mbOK, mbYes, mbNo, mbCancel, mbAbort, mbRetry, mbIgnore};

TQnMsgBoxButtons SetOf(unsigned Bits) {
  TQnMsgBoxButtons s;
  for (int i = 0; i < 7; ++i)
    if (Bits & (1u << i)) s.Include(kAll[i]);
  return s;
}

// Every one of the 128 button sets: the buttons in the fixed order on one
// row, captions, the one default and the one cancel button the rules name,
// and the result of a click on one of them.
TEST_F(uQuarnMessageBox, EveryButtonSet) {
  for (unsigned bits = 0; bits < 128; ++bits) {
    SCOPED_TRACE(bits);
    const TQnMsgBoxButtons asked = SetOf(bits);
    const TQnMsgBoxButtons shown = asked.Empty() ? TQnMsgBoxButtons{mbOK} : asked;
    std::vector<TQnMsgBoxButton> order;
    for (TQnMsgBoxButton b : kAll)
      if (shown.Contains(b)) order.push_back(b);
    // The one to press: a different position for each set.
    const TQnMsgBoxButton press = order[bits % order.size()];
    const Integer r = Run([&] { return QnMessageBox(u"Set", u"Which one?", biNone, asked); },
                          {[&](Box* b) {
                            Integer x = -1;
                            for (TQnMsgBoxButton k : kAll) {
                              TQuarnButton* btn = b->Buttons(k);
                              ASSERT_EQ(btn != nullptr, shown.Contains(k));
                              if (!btn) continue;
                              EXPECT_EQ(btn->Parent(), b->BottomPanel());
                              EXPECT_EQ(btn->BoundsRect().Width(), 70);
                              EXPECT_EQ(btn->BoundsRect().Height(), 27);
                              EXPECT_EQ(btn->Top(), 5);
                              if (x >= 0) {
                                EXPECT_EQ(btn->Left(), x + 80);
                              }
                              x = btn->Left();
                              EXPECT_EQ(btn->Caption(), QnMsgBoxDefaultCaption(Integer(k)));
                              EXPECT_EQ(btn->ModalResult(), ModalResults[k]);
                            }
                            // Default: OK, else Yes, else Retry; cancel: Cancel, else No, else OK.
                            TQnMsgBoxButton def = shown.Contains(mbOK) ? mbOK : shown.Contains(mbYes) ? mbYes : mbRetry;
                            TQnMsgBoxButton can = shown.Contains(mbCancel) ? mbCancel
                                                  : shown.Contains(mbNo)   ? mbNo
                                                                           : mbOK;
                            for (TQnMsgBoxButton k : order) {
                              EXPECT_EQ(b->Buttons(k)->Default(), k == def) << int(k);
                              EXPECT_EQ(b->Buttons(k)->Cancel(), k == can) << int(k);
                            }
                            // The row is centred without the check box.
                            const Integer row = 70 * Integer(order.size()) + 10 * (Integer(order.size()) - 1);
                            EXPECT_EQ(b->Buttons(order.front())->Left(), (b->ClientWidth() - row) / 2);
                            Click(b->Buttons(press));
                          }});
    EXPECT_EQ(r, ModalResults[press]);
  }
  EXPECT_EQ(OpenBox(), nullptr);
}

TEST_F(uQuarnMessageBox, EnterEscapeAndTheCloseButton) {
  struct Case {
    TQnMsgBoxButtons Set;
    Integer Enter, Escape;  // 0: the key leaves the box open
  };
  const Case cases[] = {
      {{}, mrOk, mrOk},
      {{mbOK, mbCancel}, mrOk, mrCancel},
      {{mbYes, mbNo}, mrYes, mrNo},
      {{mbYes, mbNo, mbCancel}, mrYes, mrCancel},
      {{mbAbort, mbRetry, mbIgnore}, mrRetry, 0},
      {{mbRetry, mbCancel}, mrRetry, mrCancel},
      {{mbNo, mbIgnore}, 0, mrNo},
  };
  for (const Case& c : cases) {
    for (int vk : {VK_RETURN, VK_ESCAPE}) {
      const Integer want = vk == VK_RETURN ? c.Enter : c.Escape;
      std::vector<std::function<void(Box*)>> steps{[vk](Box*) { Key(vk); }};
      // A key that does nothing leaves the box open: the title-bar close
      // button ends it with the platform's cancel.
      if (want == 0) steps.push_back([](Box* b) { ClickCloseButton(b); });
      bool checked = true;
      const Integer r = Run([&] { return QnMessageBox(u"Keys", u"Press a key", biWarning, c.Set, true, checked); },
                            steps);
      EXPECT_EQ(r, want == 0 ? mrCancel : want) << vk;
      EXPECT_TRUE(checked);
    }
  }
  // The close button alone, whatever the buttons.
  EXPECT_EQ(Run([] { return QnMessageBox(u"T", u"x", biError, {mbYes, mbNo}); }, {ClickCloseButton}), mrCancel);
}

TEST_F(uQuarnMessageBox, TextIconAndSize) {
  // Two buttons and a text ending at most 150 from the left: 2 * 70 + 10 + 60.
  Run([] { return QnMessageBox(u"T", u"Short", biNone, {mbOK, mbCancel}); },
      {[](Box* b) {
        EXPECT_LE(b->Msg()->Left() + b->Msg()->Width(), 150);
        EXPECT_EQ(b->ClientWidth(), 210);
        EXPECT_EQ(b->ClientHeight(), b->Msg()->Height() + 87);
        EXPECT_EQ(b->Msg()->BoundsRect().TopLeft(), TPoint(10, 25));
        EXPECT_EQ(b->IconPanel(), nullptr);
        Key(VK_RETURN);
      }});
  // A long text: its right edge plus 60.
  const String longText = u"A sentence long enough to be wider than the row of two buttons below it.";
  Run([&] { return QnMessageBox(u"T", longText, biNone, {mbOK, mbCancel}); },
      {[](Box* b) {
        EXPECT_GT(b->Msg()->Width(), 150);
        EXPECT_EQ(b->ClientWidth(), b->Msg()->Left() + b->Msg()->Width() + 60);
        Key(VK_RETURN);
      }});
  // Each icon: the panel at (10, 15, 40, 40) with its image, the text at 65;
  // one line at 25, several lines at the icon's top.
  for (TQnMsgBoxIcon icon : {biWarning, biError, biInformation, biConfirmation}) {
    for (const String& text : {String(u"One line"), String(u"First line\r\nSecond line")}) {
      Run([&] { return QnMessageBox(u"T", text, icon, {mbOK}); },
          {[&](Box* b) {
            ASSERT_NE(b->IconPanel(), nullptr);
            EXPECT_EQ(b->IconPanel()->BoundsRect(), TRect(10, 15, 50, 55));
            EXPECT_EQ(b->IconPanel()->BackgroundImage(), String(IconIDs[icon]));
            EXPECT_EQ(b->Msg()->Left(), 65);
            const bool multi = text.find(u'\r') != String::npos;
            EXPECT_EQ(b->Msg()->Top(), multi ? 15 : 25);
            if (multi) {
              EXPECT_GT(b->Msg()->Height(), 2 * 12);
            }
            // The icon reaches the screen: the image is not the form colour.
            const TScreenImage shot = CaptureWindow(b->Handle(), true);
            const TRect ir = b->IconPanel()->BoundsRect();
            const TPoint p((ir.Left + ir.Right) / 2, (ir.Top + ir.Bottom) / 2);
            EXPECT_NE(shot.Pixel(p.X, p.Y) & 0xFFFFFF, shot.Pixel(5, p.Y) & 0xFFFFFF);
            Key(VK_RETURN);
          }});
    }
  }
}

TEST_F(uQuarnMessageBox, Placement) {
  // Below -9999 the box is centred in the work area.
  Run([] {
        bool c = false;
        return QnMessageBox(u"T", u"Centred", biNone, {mbOK}, false, c, -10000, 300);
      },
      {[](Box* b) {
        RECT r;
        GetWindowRect(b->Handle(), &r);
        const TRect work = Screen->WorkAreaRect();
        EXPECT_EQ(r.Left, work.Left + (work.Width() - (r.Right - r.Left)) / 2);
        EXPECT_EQ(r.Top, work.Top + (work.Height() - (r.Bottom - r.Top)) / 2);
        Key(VK_RETURN);
      }});
  // From -9999 on, (X, Y) as given, however far off.
  for (TPoint at : {TPoint(-9999, 40), TPoint(120, 200)}) {
    Run([&] {
          bool c = false;
          return QnMessageBox(u"T", u"Placed", biNone, {mbOK}, false, c, at.X, at.Y);
        },
        {[&](Box* b) {
          RECT r;
          GetWindowRect(b->Handle(), &r);
          EXPECT_EQ(TPoint(r.Left, r.Top), at);
          // Stays on top, and under its skin's frame: client below the title.
          EXPECT_TRUE(GetWindowLongW(b->Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST);
          EXPECT_EQ(b->ClientToScreen(TPoint(0, 0)), TPoint(r.Left + 2, r.Top + 27));
          Key(VK_RETURN);
        }});
  }
}

// While the main form is not on the taskbar the application window owns the
// box; either way the box has no taskbar button of its own.
TEST_F(uQuarnMessageBox, OwnerAndTaskbar) {
  for (bool onTaskbar : {false, true}) {
    Application->SetMainFormOnTaskBar(onTaskbar);
    Run([] { return QnMessageBox(u"T", u"Owned", biNone, {mbOK}); },
        {[&](Box* b) {
          const HWND owner = GetWindow(b->Handle(), GW_OWNER);
          if (!onTaskbar) {
            EXPECT_EQ(owner, Application->Handle());
          } else {
            EXPECT_NE(owner, Application->Handle());
          }
          EXPECT_FALSE(GetWindowLongW(b->Handle(), GWL_EXSTYLE) & WS_EX_APPWINDOW);
          Key(VK_RETURN);
        }});
  }
  Application->SetMainFormOnTaskBar(true);
}

// The check box's rules over captions of many lengths: width = text + 30,
// the box widened twice over when it needs room, the row 8 px from the right.
TEST_F(uQuarnMessageBox, CheckBoxWidening) {
  const String words[] = {u"x", u"Do not ask", u"Never ask me about this again",
                          u"Never show this message again, please, never"};
  for (int nButtons : {1, 2, 3}) {
    TQnMsgBoxButtons set;
    for (int i = 0; i < nButtons; ++i) set.Include(kAll[i]);
    const Integer row = 70 * nButtons + 10 * (nButtons - 1);
    for (const String& caption : words) {
      SCOPED_TRACE(ToUtf8(caption));
      QnMsgBoxSettings().Texts[QnDonotShowAgainSlot] = caption;
      bool checked = false;
      Run([&] { return QnMessageBox(u"T", u"Short", biNone, set, true, checked); },
          {[&](Box* b) {
            TQuarnCheckBox* cb = b->CheckBox();
            ASSERT_NE(cb, nullptr);
            EXPECT_EQ(cb->Caption(), caption);
            EXPECT_EQ(cb->Parent(), b->BottomPanel());
            b->Canvas()->Font()->Assign(b->Font());
            const Integer w = b->Canvas()->TextWidth(caption) + 30;
            const Integer top = (35 - cb->Height()) / 2;
            EXPECT_EQ(cb->BoundsRect(), TRect(5, top, 5 + w, top + cb->Height()));
            // The width before the check box, then its two rules in turn.
            Integer cw = std::max(row, b->Msg()->Left() + b->Msg()->Width()) + 60;
            if (w > cw) cw = w + 30;
            if (cw - row - 40 < 5 + w) cw = row + w + 40;
            EXPECT_EQ(b->ClientWidth(), cw);
            // Never overlapping: the row starts right of the check box.
            const TQuarnButton* first = b->Buttons(kAll[0]);
            EXPECT_EQ(first->Left(), cw - row - 8);
            EXPECT_GE(first->Left(), cb->Left() + cb->Width());
            Key(VK_RETURN);
          }});
    }
  }
}

TEST_F(uQuarnMessageBox, CheckBoxResultBothWays) {
  for (bool initial : {false, true}) {
    for (bool toggle : {false, true}) {
      bool checked = initial;
      std::vector<std::function<void(Box*)>> steps;
      steps.push_back([&](Box* b) {
        EXPECT_EQ(b->CheckBox()->Checked(), initial);
        if (toggle) Click(b->CheckBox());
        else Key(VK_RETURN);
      });
      if (toggle) steps.push_back([](Box* b) { Click(b->Buttons(mbOK)); });
      EXPECT_EQ(Run([&] { return QnMessageBox(u"T", u"Again?", biConfirmation, {mbOK}, true, checked); }, steps), mrOk);
      EXPECT_EQ(checked, initial != toggle);
    }
  }
  // Without the check box the variable is left alone.
  bool untouched = true;
  Run([&] { return QnMessageBox(u"T", u"No box", biNone, {mbOK}, false, untouched); },
      {[](Box* b) {
        EXPECT_EQ(b->CheckBox(), nullptr);
        Key(VK_RETURN);
      }});
  EXPECT_TRUE(untouched);
}

TEST_F(uQuarnMessageBox, CtrlCCopiesTitleAndText) {
  Clipboard()->SetAsText(u"before");
  // C alone copies nothing.
  Run([] { return QnMessageBox(u"Title", u"Line one\r\nLine two", biInformation, {mbOK}); },
      {[](Box*) { Key('C'); }, [](Box*) {
         EXPECT_EQ(Clipboard()->AsText(), u"before");
         Key(VK_RETURN);
       }});
  Run([] { return QnMessageBox(u"Title", u"Line one\r\nLine two", biInformation, {mbOK}); },
      {[](Box*) {
         InputKeyDown(VK_CONTROL);
         Key('C');
         InputKeyUp(VK_CONTROL);
       },
       [](Box*) {
         EXPECT_EQ(Clipboard()->AsText(), u"Title\r\nLine one\r\nLine two\r\n");
         Key(VK_RETURN);
       }});
}

TEST_F(uQuarnMessageBox, StylesReachLaterBoxesAndGoSafely) {
  const TColor oldColor = gQnFormStyle->Color(), oldTitler = gQnFormStyle->TitlerColor();
  const Integer oldFrame = gQnFormStyle->FramWidth();
  auto older = std::make_unique<TQuarnMessageBoxStyle>(nullptr);
  older->ButtonFont()->SetSize(13);
  older->SetDefineOKButtonText(u"Fine");
  auto newer = std::make_unique<TQuarnMessageBoxStyle>(nullptr);
  newer->ButtonFont()->SetSize(11);
  newer->ButtonFont()->SetColor(TColor(0x123456));
  newer->ButtonHotFont()->SetColor(TColor(0x0000FF));
  newer->CaptionFont()->SetName(u"DejaVu Serif");
  newer->MessageFont()->SetSize(12);
  newer->MessageLight()->SetActive(true);
  newer->ButtonPictures()->SetImage(u"QuarnCheckBox");
  newer->SetDefineYesButtonText(u"Sure");
  newer->Form()->SetActiveGradient(false);  // flat bands, so pixels can be probed
  newer->Form()->SetTitlerColor(TColor(0x3050A0));
  newer->Form()->SetColor(TColor(0xE0F0E0));
  newer->Form()->SetTitleHeight(31);
  newer->Form()->SetFramWidth(4);
  newer->SetHideLine(true);
  // The older style goes: the newer one's objects stay in use.
  older.reset();
  auto check = [&](Box* b) {
    TQuarnButton* yes = b->Buttons(mbYes);
    EXPECT_EQ(yes->Caption(), u"Sure");
    EXPECT_EQ(b->Buttons(mbOK)->Caption(), u"Fine");  // a caption outlives its style
    EXPECT_EQ(b->Buttons(mbNo)->Caption(), QnMsgBoxDefaultCaption(2));
    EXPECT_EQ(yes->Font()->Size(), 11);
    EXPECT_EQ(yes->Font()->Color(), TColor(0x123456));
    EXPECT_EQ(yes->HotFont()->Color(), TColor(0x0000FF));
    EXPECT_EQ(yes->Pictures()->Image(), u"QuarnCheckBox");
    EXPECT_EQ(b->CaptionLabel()->Font()->Name(), u"DejaVu Serif");
    EXPECT_EQ(b->Msg()->Font()->Size(), 12);
    EXPECT_TRUE(b->Msg()->Light()->Active());
    EXPECT_EQ(b->BottomPanel()->Alpha(), 0);
    EXPECT_TRUE(b->BottomPanel()->BorderSides().Empty());
    EXPECT_EQ(b->QuarnForm()->TitlerColor(), TColor(0x3050A0));
    EXPECT_EQ(b->QuarnForm()->TitleHeight(), 31);
    EXPECT_EQ(b->ClientToScreen(TPoint(0, 0)).Y - b->Top(), 31);
    EXPECT_EQ(b->Tag(), 0);
    EXPECT_EQ(b->QuarnForm()->Tag(), QnPrivateFormSkinTag);
    // The title band in the titler colour, the client in the form colour.
    const TScreenImage shot = CaptureWindow(b->Handle());
    EXPECT_EQ(shot.Pixel(shot.Width - 50, 24) & 0xFFFFFF, 0xA05030u);
    EXPECT_EQ(shot.Pixel(8, shot.Height - 60) & 0xFFFFFF, 0xE0F0E0u);
    Click(yes);
  };
  EXPECT_EQ(Run([] { return QnMessageBox(u"Styled", u"Text", biNone, {mbOK, mbYes, mbNo}); }, {check}), mrYes);
  // The process-wide form style never took the box's look.
  EXPECT_EQ(gQnFormStyle->Color(), oldColor);
  EXPECT_EQ(gQnFormStyle->TitlerColor(), oldTitler);
  EXPECT_EQ(gQnFormStyle->FramWidth(), oldFrame);

  // With the newer style gone too, boxes are back to their own defaults;
  // the captions it published stay.
  newer.reset();
  EXPECT_EQ(QnMsgBoxSettings().ButtonFont, nullptr);
  EXPECT_EQ(QnMsgBoxSettings().Form, nullptr);
  Run([] { return QnMessageBox(u"Plain", u"Text", biNone, {mbYes, mbNo}); },
      {[](Box* b) {
        EXPECT_EQ(b->Buttons(mbYes)->Caption(), u"Sure");
        EXPECT_EQ(b->Buttons(mbYes)->Pictures()->Image(), u"QuarnButton");
        EXPECT_EQ(b->QuarnForm()->TitleHeight(), 27);
        // The hide-line flag is no object: it stays as the style left it.
        EXPECT_TRUE(b->BottomPanel()->BorderSides().Empty());
        Key(VK_RETURN);
      }});
  // An empty caption is the default again.
  TQuarnMessageBoxStyle blank(nullptr);
  blank.SetDefineYesButtonText(u"");
  EXPECT_EQ(QnMsgBoxCaption(1), QnMsgBoxDefaultCaption(1));
  EXPECT_THROW(QnMsgBoxCaption(8), EListError);
}

// Without a style component a box takes the process-wide form look: its
// colours, picture, frame, sizing band and style, but never its gradient or
// round window.
TEST_F(uQuarnMessageBox, ProcessFormStyleReachesABoxWithoutAStyle) {
  TQnFormSkinRes saved(nullptr);
  saved.Assign(gQnFormStyle);
  gQnFormStyle->SetColor(TColor(0xD0E8F0));
  gQnFormStyle->SetTitlerColor(TColor(0x805020));
  gQnFormStyle->SetFramWidth(3);
  gQnFormStyle->SetHitTestWidth(7);
  gQnFormStyle->SetCustomPicture(u"QuarnFormBack");
  gQnFormStyle->SetStyle(ssPicture);
  gQnFormStyle->SetActiveGradient(true);
  gQnFormStyle->SetRoundWindow(true);
  Run([] { return QnMessageBox(u"Plain", u"Text", biNone, {mbOK}); },
      {[](Box* b) {
        TQuarnForm* f = b->QuarnForm();
        EXPECT_EQ(f->Color(), TColor(0xD0E8F0));
        EXPECT_EQ(f->TitlerColor(), TColor(0x805020));
        EXPECT_EQ(f->FramWidth(), 3);
        EXPECT_EQ(f->HitTestWidth(), 7);
        EXPECT_EQ(f->CustomPicture(), u"QuarnFormBack");
        EXPECT_EQ(f->Style(), ssPicture);
        EXPECT_FALSE(f->ActiveGradient());
        EXPECT_FALSE(f->RoundWindow());
        Key(VK_RETURN);
      }});
  gQnFormStyle->Assign(&saved);
}

// A layered border the box shares with the application's form: the box's
// own four windows go with it, the form's stay up.
TEST_F(uQuarnMessageBox, SharedImageBorder) {
  std::unique_ptr<TForm> main(new TForm(nullptr));
  main->SetPosition(poDesigned);
  main->SetBounds(60, 60, 420, 300);
  auto* skin = new TQuarnForm(main.get());
  auto* border = new TQnFormLayerBorder(main.get());
  skin->SetImageBorder(border);
  main->Show();
  usertest::Pump();
  const std::vector<HWND> mainWindows = border->WindowsOf(main.get());
  ASSERT_EQ(mainWindows.size(), 4u);
  std::vector<HWND> boxWindows;
  {
    TQuarnMessageBoxStyle style(nullptr);
    style.Form()->SetImageBorder(border);
    Run([] { return QnMessageBox(u"T", u"Bordered", biNone, {mbOK}); },
        {[&](Box* b) {
          EXPECT_EQ(b->QuarnForm()->ImageBorder(), border);
          boxWindows = border->WindowsOf(b);
          Key(VK_RETURN);
        }});
  }
  EXPECT_EQ(boxWindows.size(), 4u);
  for (HWND h : boxWindows) EXPECT_FALSE(IsWindow(h));
  for (HWND h : mainWindows) EXPECT_TRUE(IsWindowVisible(h));
  EXPECT_EQ(border->WindowsOf(main.get()), mainWindows);
}

// Every property of a style is written, and loading a style publishes the
// captions it reads: making a style alone leaves them alone.
TEST_F(uQuarnMessageBox, StyleInAFormFile) {
  std::string text;
  {
    TQuarnMessageBoxStyle style(nullptr);
    style.SetName(u"Style1");
    style.SetDefineOKButtonText(u"Okay");
    style.SetHideLine(false);
    text = ComponentToText(&style);
  }
  for (const char* name : {"ButtonPictures.Image", "Form.TitleHeight", "MessageFont.", "HideLine = False",
                           "CaptionFont.", "ButtonFont.", "ButtonHotFont.", "DefineYesButtonText",
                           "DefineNoButtonText", "DefineOKButtonText = 'Okay'", "DefineCancelButtonText",
                           "DefineAbortButtonText", "DefineRetryButtonText", "DefineIgnoreButtonText",
                           "DefineDonotShowAgainText"})
    EXPECT_NE(text.find(name), std::string::npos) << name << "\n" << text;
  QnMsgBoxSettings() = TQnMsgBoxSettings{};
  TQuarnMessageBoxStyle loaded(nullptr);
  EXPECT_EQ(QnMsgBoxSettings().Texts[0], u"");
  EXPECT_EQ(QnMsgBoxSettings().ButtonFont, loaded.ButtonFont());
  TextToComponent(text, &loaded);
  EXPECT_EQ(loaded.DefineOKButtonText(), u"Okay");
  EXPECT_EQ(QnMsgBoxCaption(0), u"Okay");
  EXPECT_EQ(QnMsgBoxCaption(1), QnMsgBoxDefaultCaption(1));
}

// An exception inside the modal loop frees the dialog and goes on to the
// caller.
TEST_F(uQuarnMessageBox, FreedWhenAnExceptionPasses) {
  const Integer forms = Screen->FormCount();
  TQuarnMessageForm* seen = nullptr;
  EXPECT_THROW(Run([] { return QnMessageBox(u"T", u"Boom", biError, {mbOK}); },
                   {[&](Box* b) {
                     seen = b;
                     throw EInvalidOperation(u"failed inside the loop");
                   }}),
               EInvalidOperation);
  EXPECT_NE(seen, nullptr);
  EXPECT_EQ(Screen->FormCount(), forms);
  EXPECT_EQ(OpenBox(), nullptr);
  // The next box runs as usual.
  EXPECT_EQ(Run([] { return QnMessageBox(u"T", u"Fine", biNone, {mbOK}); }, {[](Box*) { Key(VK_RETURN); }}), mrOk);
}

}  // namespace

}  // namespace t_u_quarn_message_box_test
