#include <algorithm>
#include <memory>
#include <vector>

#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/StdCtrls.h"
#include "tests/platform/vcl/FormsTestSupport.h"

namespace t_forms_test {

using namespace vcl;
using namespace formstest;

namespace {

class Platform_Form : public FormsTest {};
class Platform_FormKeys : public FormsTest {};
class Platform_FormModal : public FormsTest {};

// Through TControl: a windowed control's SetParent is not public.
void Put(TControl* c, TWinControl* parent) { c->SetParent(parent); }

// A form with a border, placed where the test says.
TForm* MakeForm(Integer x, Integer y, Integer w, Integer h, TComponent* owner = nullptr) {
  auto* f = new TForm(owner);
  f->SetPosition(poDesigned);
  f->SetBorderStyle(bsSingle);
  f->SetBounds(x, y, w, h);
  return f;
}

TButton* MakeButton(TWinControl* parent, const String& caption, Integer x, Integer y) {
  auto* b = new TButton(parent->Owner() ? parent->Owner() : parent);
  Put(b, parent);
  b->SetCaption(caption);
  b->SetBounds(x, y, 75, 25);
  return b;
}

void Press(int vk) {
  InputKeyDown(vk);
  InputKeyUp(vk);
}

void ClickAt(const TPoint& p) {
  InputMouseMove(p.X, p.Y);
  InputMouseDown(VK_LBUTTON);
  InputMouseUp(VK_LBUTTON);
}

TPoint CenterOf(TControl* c) { return c->ClientToScreen(TPoint(c->Width() / 2, c->Height() / 2)); }

// A control that keeps every key for itself, as an edit with
// multi-line input would.
class TKeyGrabber : public TCustomControl {
  QN_CLASS(TKeyGrabber, TCustomControl)
 public:
  explicit TKeyGrabber(TComponent* AOwner) : TCustomControl(AOwner) { SetTabStop(true); }
  std::vector<Word> Keys;
  void Dispatch(TMessage& Message) override {
    if (Message.Msg == WM_GETDLGCODE) {
      Message.Result = DLGC_WANTALLKEYS | DLGC_WANTTAB | DLGC_WANTARROWS | DLGC_WANTCHARS;
      return;
    }
    inherited::Dispatch(Message);
  }

 protected:
  void KeyDown(Word& Key, TShiftState Shift) override {
    Keys.push_back(Key);
    inherited::KeyDown(Key, Shift);
  }
};

// ---------------------------------------------------------------------------
// Tab order and dialog keys

TEST_F(Platform_FormKeys, TabMovesByTabOrderSkippingControlsThatAreNotStops) {
  std::unique_ptr<TForm> f(MakeForm(100, 100, 400, 200));
  auto* panel = new TPanel(f.get());
  Put(panel, f.get());
  panel->SetBounds(200, 10, 180, 150);
  TButton* a = MakeButton(f.get(), u"A", 10, 10);
  TButton* b = MakeButton(f.get(), u"B", 10, 50);
  TButton* c = MakeButton(panel, u"C", 10, 10);
  TButton* d = MakeButton(panel, u"D", 10, 50);
  TButton* off = MakeButton(f.get(), u"Off", 10, 90);
  off->SetTabStop(false);
  // The order differs from the creation order: B, panel (C, D), A.
  b->SetTabOrder(0);
  panel->SetTabOrder(1);
  a->SetTabOrder(2);
  d->SetTabOrder(1);
  c->SetTabOrder(0);
  f->Show();
  Application->ProcessMessages();
  ASSERT_EQ(f->ActiveControl(), b);  // the first tab stop
  EXPECT_TRUE(b->Focused());
  std::vector<TWinControl*> seen;
  for (int i = 0; i < 4; ++i) {
    Press(VK_TAB);
    Application->ProcessMessages();
    seen.push_back(f->ActiveControl());
  }
  EXPECT_EQ(seen, (std::vector<TWinControl*>{c, d, a, b}));
  EXPECT_TRUE(b->Focused());
  EXPECT_EQ(Screen->ActiveControl(), b);
  EXPECT_EQ(Screen->ActiveForm(), f.get());
  // Shift+Tab goes back, wrapping round.
  InputKeyDown(VK_SHIFT);
  Press(VK_TAB);
  InputKeyUp(VK_SHIFT);
  Application->ProcessMessages();
  EXPECT_EQ(f->ActiveControl(), a);
  // The arrows move among the active control's siblings.
  Press(VK_TAB);  // b
  Press(VK_TAB);  // c, on the panel
  Press(VK_DOWN);
  Application->ProcessMessages();
  EXPECT_EQ(f->ActiveControl(), d);
}

TEST_F(Platform_FormKeys, EnterAndEscapeReachTheDefaultAndCancelButtons) {
  std::unique_ptr<TForm> f(MakeForm(100, 100, 400, 200));
  auto* panel = new TPanel(f.get());
  Put(panel, f.get());
  panel->SetBounds(10, 10, 150, 60);
  panel->SetTabStop(true);
  TButton* other = MakeButton(f.get(), u"Other", 200, 10);
  TButton* ok = MakeButton(f.get(), u"OK", 200, 50);
  TButton* cancel = MakeButton(f.get(), u"Cancel", 200, 90);
  ok->SetDefault(true);
  cancel->SetCancel(true);
  std::vector<String> clicks;
  for (TButton* b : {other, ok, cancel}) b->SetOnClick([&clicks](TObject* s) { clicks.push_back(static_cast<TButton*>(s)->Caption()); });
  f->SetActiveControl(panel);
  f->Show();
  Application->ProcessMessages();
  ASSERT_TRUE(panel->Focused());
  EXPECT_TRUE(ok->Active());
  Press(VK_RETURN);
  Press(VK_ESCAPE);
  Application->ProcessMessages();
  EXPECT_EQ(clicks, (std::vector<String>{u"OK", u"Cancel"}));
  // A focused button takes Enter from the default one.
  clicks.clear();
  other->SetFocus();
  Application->ProcessMessages();
  EXPECT_TRUE(other->Active());
  EXPECT_FALSE(ok->Active());
  Press(VK_RETURN);
  Press(VK_SPACE);
  Application->ProcessMessages();
  EXPECT_EQ(clicks, (std::vector<String>{u"Other", u"Other"}));
  // Back on a control that is not a button, the default button is again.
  panel->SetFocus();
  Application->ProcessMessages();
  EXPECT_TRUE(ok->Active());
  // Enter with a shift key held is not a dialog key for the button.
  clicks.clear();
  InputKeyDown(VK_CONTROL);
  Press(VK_RETURN);
  InputKeyUp(VK_CONTROL);
  Application->ProcessMessages();
  EXPECT_TRUE(clicks.empty());
}

TEST_F(Platform_FormKeys, AControlThatWantsKeysKeepsThemFromTheForm) {
  std::unique_ptr<TForm> f(MakeForm(100, 100, 400, 200));
  auto* grab = new TKeyGrabber(f.get());
  Put(grab, f.get());
  grab->SetBounds(10, 10, 100, 100);
  TButton* ok = MakeButton(f.get(), u"OK", 200, 50);
  ok->SetDefault(true);
  int clicks = 0;
  ok->SetOnClick([&](TObject*) { ++clicks; });
  f->SetActiveControl(grab);
  f->Show();
  Application->ProcessMessages();
  Press(VK_RETURN);
  Press(VK_TAB);
  Press(VK_ESCAPE);
  Application->ProcessMessages();
  EXPECT_EQ(clicks, 0);
  EXPECT_EQ(grab->Keys, (std::vector<Word>{VK_RETURN, VK_TAB, VK_ESCAPE}));
  EXPECT_EQ(f->ActiveControl(), grab);
}

TEST_F(Platform_FormKeys, AcceleratorsClickTheirButtons) {
  std::unique_ptr<TForm> f(MakeForm(100, 100, 400, 200));
  auto* panel = new TPanel(f.get());
  Put(panel, f.get());
  panel->SetTabStop(true);
  TButton* save = MakeButton(f.get(), u"&Save", 200, 10);
  TButton* quit = MakeButton(f.get(), u"&Quit", 200, 50);
  std::vector<TObject*> clicked;
  save->SetOnClick([&](TObject* s) { clicked.push_back(s); });
  quit->SetOnClick([&](TObject* s) { clicked.push_back(s); });
  f->SetActiveControl(panel);
  f->Show();
  Application->ProcessMessages();
  InputType(u"q");
  InputKeyDown(VK_MENU);
  Press('S');
  InputKeyUp(VK_MENU);
  InputType(u"x");
  Application->ProcessMessages();
  EXPECT_EQ(clicked, (std::vector<TObject*>{quit, save}));
}

TEST_F(Platform_FormKeys, KeyPreviewShowsTheFormTheKeysFirst) {
  std::unique_ptr<TForm> f(MakeForm(100, 100, 400, 200));
  auto* grab = new TKeyGrabber(f.get());
  Put(grab, f.get());
  grab->SetBounds(10, 10, 100, 100);
  std::vector<Word> formKeys;
  std::vector<Char> formChars;
  f->SetOnKeyDown([&](TObject*, Word& Key, TShiftState) {
    formKeys.push_back(Key);
    if (Key == 'B') Key = 0;  // the form keeps B
  });
  f->SetOnKeyPress([&](TObject*, Char& Key) { formChars.push_back(Key); });
  f->SetActiveControl(grab);
  f->Show();
  Application->ProcessMessages();
  Press('A');
  Application->ProcessMessages();
  EXPECT_TRUE(formKeys.empty());  // without preview the form sees nothing
  EXPECT_EQ(grab->Keys, (std::vector<Word>{'A'}));
  f->SetKeyPreview(true);
  Press('A');
  Press('B');
  Application->ProcessMessages();
  EXPECT_EQ(formKeys, (std::vector<Word>{'A', 'B'}));
  // Zeroing the key stops it reaching the control, not the character the
  // key already made.
  EXPECT_EQ(formChars, (std::vector<Char>{u'a', u'b'}));
  EXPECT_EQ(grab->Keys, (std::vector<Word>{'A', 'A'}));
}

// ---------------------------------------------------------------------------
// Modal forms

TEST_F(Platform_FormModal, ShowModalReturnsTheResultOfAButtonClickedThroughQueuedInput) {
  std::unique_ptr<TForm> main(MakeForm(0, 0, 500, 400));
  main->Show();
  std::unique_ptr<TForm> other(MakeForm(520, 0, 200, 200));
  other->Show();
  Application->ProcessMessages();
  std::unique_ptr<TForm> dlg(MakeForm(100, 100, 300, 150));
  TButton* ok = MakeButton(dlg.get(), u"OK", 20, 60);
  ok->SetModalResult(mrOk);
  TButton* cancel = MakeButton(dlg.get(), u"Cancel", 120, 60);
  cancel->SetModalResult(mrCancel);
  bool mainEnabled = true, otherEnabled = true, dlgEnabled = false;
  ok->SetOnClick([&](TObject*) {
    mainEnabled = IsWindowEnabled(main->Handle());
    otherEnabled = IsWindowEnabled(other->Handle());
    dlgEnabled = IsWindowEnabled(dlg->Handle());
  });
  // The dialog's place is known before it shows; the input waits in the
  // queue for the modal loop.
  dlg->HandleNeeded();
  ClickAt(CenterOf(ok));
  EXPECT_EQ(dlg->ShowModal(), mrOk);
  EXPECT_EQ(IdleGiveUps, 0);
  EXPECT_FALSE(mainEnabled);
  EXPECT_FALSE(otherEnabled);
  EXPECT_TRUE(dlgEnabled);
  EXPECT_TRUE(IsWindowEnabled(main->Handle()));
  EXPECT_TRUE(IsWindowEnabled(other->Handle()));
  EXPECT_FALSE(dlg->Visible());
  EXPECT_FALSE(IsWindowVisible(dlg->Handle()));
  EXPECT_FALSE(dlg->FormState().Contains(fsModal));
  EXPECT_EQ(Application->ModalLevel(), 0);

  // The keyboard: Tab to Cancel, then Enter clicks the focused button.
  Press(VK_TAB);
  Press(VK_RETURN);
  EXPECT_EQ(dlg->ShowModal(), mrCancel);
  // Escape without a cancel button does nothing; closing the window does.
  cancel->SetModalResult(mrNone);
  EXPECT_EQ(IdleGiveUps, 0);
  Press(VK_ESCAPE);
  EXPECT_EQ(dlg->ShowModal(), mrCancel);  // the idle hook ended it
  EXPECT_EQ(IdleGiveUps, 1);
  dlg->SetOnShow([&](TObject*) { PostMessageW(dlg->Handle(), WM_CLOSE, 0, 0); });
  EXPECT_EQ(dlg->ShowModal(), mrCancel);
  EXPECT_EQ(IdleGiveUps, 1);
}

TEST_F(Platform_FormModal, CloseQueryAndCaNoneKeepTheLoopGoing) {
  std::unique_ptr<TForm> dlg(MakeForm(100, 100, 300, 150));
  TButton* ok = MakeButton(dlg.get(), u"OK", 20, 60);
  ok->SetModalResult(mrOk);
  int queries = 0, closes = 0;
  dlg->SetOnCloseQuery([&](TObject*, bool& CanClose) { CanClose = ++queries > 1; });
  dlg->SetOnClose([&](TObject*, TCloseAction& Action) {
    if (++closes == 1) Action = caNone;
  });
  dlg->HandleNeeded();
  TPoint p = CenterOf(ok);
  ClickAt(p);  // refused by OnCloseQuery
  ClickAt(p);  // caNone from OnClose
  ClickAt(p);  // closes
  EXPECT_EQ(dlg->ShowModal(), mrOk);
  EXPECT_EQ(IdleGiveUps, 0);
  EXPECT_EQ(queries, 3);
  EXPECT_EQ(closes, 2);
}

TEST_F(Platform_FormModal, AVisibleFormCannotBeModal) {
  std::unique_ptr<TForm> f(MakeForm(0, 0, 100, 100));
  f->Show();
  EXPECT_THROW(f->ShowModal(), EInvalidOperation);
}

// ---------------------------------------------------------------------------
// Closing and releasing

class TFreeWatch : public TComponent {
 public:
  TFreeWatch() : TComponent(nullptr) {}
  std::vector<TComponent*> Gone;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override {
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove) Gone.push_back(AComponent);
  }
};

TEST_F(Platform_Form, CloseWithCaFreeFreesThroughCMReleaseAfterTheHandlerReturns) {
  TFreeWatch watch;
  TForm* f = MakeForm(50, 50, 200, 100, Application);
  MakeButton(f, u"OK", 10, 10);
  f->FreeNotification(&watch);
  bool destroyed = false;
  int formsBefore = Screen->FormCount();
  f->SetOnDestroy([&](TObject*) { destroyed = true; });
  f->SetOnClose([&](TObject* Sender, TCloseAction& Action) {
    Action = caFree;
    // Still whole while the handler runs, and after it.
    EXPECT_EQ(Sender, f);
  });
  f->Show();
  Application->ProcessMessages();
  f->Close();
  EXPECT_FALSE(destroyed);
  EXPECT_TRUE(f->Visible());
  EXPECT_EQ(f->Caption(), u"");  // still a living object
  Application->ProcessMessages();
  EXPECT_TRUE(destroyed);
  EXPECT_EQ(watch.Gone, (std::vector<TComponent*>{f}));
  EXPECT_EQ(Screen->FormCount(), formsBefore - 1);
  EXPECT_EQ(Application->ComponentCount(), 0);
}

TEST_F(Platform_Form, CloseActionsHideMinimiseOrStay) {
  std::unique_ptr<TForm> f(MakeForm(50, 50, 200, 100));
  TCloseAction next = caHide;
  bool allow = true;
  f->SetOnCloseQuery([&](TObject*, bool& CanClose) { CanClose = allow; });
  f->SetOnClose([&](TObject*, TCloseAction& Action) {
    EXPECT_EQ(Action, caHide);
    Action = next;
  });
  f->Show();
  allow = false;
  f->Close();
  EXPECT_TRUE(f->Visible());
  allow = true;
  next = caNone;
  f->Close();
  EXPECT_TRUE(f->Visible());
  next = caMinimize;
  f->Close();
  EXPECT_TRUE(IsIconic(f->Handle()));
  EXPECT_EQ(f->WindowState(), wsMinimized);
  next = caHide;
  f->Close();
  EXPECT_FALSE(f->Visible());
  EXPECT_FALSE(IsWindowVisible(f->Handle()));
}

TEST_F(Platform_Form, ClosingTheMainFormTerminatesTheApplication) {
  TForm* main = nullptr;
  Application->CreateForm(main);
  ASSERT_EQ(Application->MainForm(), main);
  TForm* second = nullptr;
  Application->CreateForm(second);
  EXPECT_EQ(Application->MainForm(), main);
  main->SetOnShow([&](TObject*) { PostMessageW(main->Handle(), WM_CLOSE, 0, 0); });
  Application->Run();
  EXPECT_TRUE(Application->Terminated());
  EXPECT_TRUE(main->Visible());
  delete main;
  EXPECT_EQ(Application->MainForm(), nullptr);
}

// ---------------------------------------------------------------------------
// Showing, activation and events

TEST_F(Platform_Form, ShowAndHideFireTheirEventsAndFocusMovesBetweenForms) {
  std::vector<String> log;
  std::unique_ptr<TForm> a(MakeForm(0, 0, 200, 200));
  std::unique_ptr<TForm> b(MakeForm(300, 0, 200, 200));
  TButton* ba = MakeButton(a.get(), u"a", 10, 10);
  TButton* bb = MakeButton(b.get(), u"b", 10, 10);
  auto logger = [&log](const char16_t* what) {
    return TNotifyEvent([&log, what](TObject* s) { log.push_back(static_cast<TForm*>(s)->Name() + u"." + what); });
  };
  a->SetName(u"A");
  b->SetName(u"B");
  for (TForm* f : {a.get(), b.get()}) {
    f->SetOnShow(logger(u"show"));
    f->SetOnHide(logger(u"hide"));
    f->SetOnActivate(logger(u"activate"));
    f->SetOnDeactivate(logger(u"deactivate"));
  }
  a->Show();
  Application->ProcessMessages();
  EXPECT_TRUE(ba->Focused());
  b->Show();
  Application->ProcessMessages();
  EXPECT_TRUE(bb->Focused());
  EXPECT_EQ(Screen->ActiveForm(), b.get());
  EXPECT_EQ(Screen->Forms(0), b.get());
  ba->SetFocus();
  Application->ProcessMessages();
  EXPECT_EQ(Screen->ActiveForm(), a.get());
  EXPECT_EQ(Screen->ActiveControl(), ba);
  b->Hide();
  EXPECT_EQ(log, (std::vector<String>{u"A.show", u"A.activate", u"B.show", u"A.deactivate", u"B.activate",
                                      u"B.deactivate", u"A.activate", u"B.hide"}));
}

TEST_F(Platform_Form, StylesFollowTheBorderPropertiesAndPositionCentres) {
  SetScreenSize(1000, 800);
  std::unique_ptr<TForm> f(new TForm(nullptr));
  f->SetBorderStyle(bsDialog);
  f->SetBorderIcons(TBorderIcons{biSystemMenu, biMinimize, biHelp});
  f->SetFormStyle(fsStayOnTop);
  f->SetPosition(poScreenCenter);
  f->SetBounds(0, 0, 300, 200);
  f->Show();
  LONG style = GetWindowLongW(f->Handle(), GWL_STYLE);
  LONG ex = GetWindowLongW(f->Handle(), GWL_EXSTYLE);
  EXPECT_TRUE(style & WS_CAPTION);
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_FALSE(style & WS_MINIMIZEBOX);
  EXPECT_FALSE(style & WS_THICKFRAME);
  EXPECT_TRUE(ex & WS_EX_DLGMODALFRAME);
  EXPECT_TRUE(ex & WS_EX_CONTEXTHELP);
  EXPECT_TRUE(ex & WS_EX_TOPMOST);
  // Centred in the work area (the screen less the taskbar strip).
  EXPECT_EQ(f->BoundsRect(), TRect(350, 280, 650, 480));
  EXPECT_EQ(f->Monitor(), Screen->PrimaryMonitor());
  f->SetBorderStyle(bsSizeable);
  style = GetWindowLongW(f->Handle(), GWL_STYLE);
  EXPECT_TRUE(style & WS_THICKFRAME);
  EXPECT_TRUE(style & WS_MINIMIZEBOX);
  EXPECT_FALSE(style & WS_MAXIMIZEBOX);
  EXPECT_TRUE(f->Visible());
  EXPECT_TRUE(IsWindowVisible(f->Handle()));
}

TEST_F(Platform_Form, OnPaintDrawsOnTheFormAndGetFormImageMatchesTheWindow) {
  std::unique_ptr<TForm> f(MakeForm(10, 10, 200, 150));
  f->SetColor(clWhite);
  f->SetOnPaint([&](TObject*) {
    f->Canvas()->Brush()->SetColor(clRed);
    f->Canvas()->FillRect(TRect(10, 10, 50, 40));
  });
  auto* p = new TPanel(f.get());
  Put(p, f.get());
  p->SetAlign(alBottom);
  p->SetHeight(30);
  p->SetColor(clBlue);
  p->SetBevelOuter(bvNone);
  f->Show();
  Application->ProcessMessages();
  TScreenImage shot = CaptureWindow(f->Handle(), true);
  ASSERT_EQ(shot.Width, f->ClientWidth());
  EXPECT_EQ(shot.Pixel(20, 20) & 0xFFFFFF, 0xFF0000u);
  EXPECT_EQ(shot.Pixel(100, 20) & 0xFFFFFF, 0xFFFFFFu);
  EXPECT_EQ(shot.Pixel(100, shot.Height - 5) & 0xFFFFFF, 0x0000FFu);
  std::unique_ptr<TBitmap> img(f->GetFormImage());
  ASSERT_EQ(img->Width(), shot.Width);
  ASSERT_EQ(img->Height(), shot.Height);
  int differ = 0;
  for (Integer y = 0; y < shot.Height; ++y)
    for (Integer x = 0; x < shot.Width; ++x)
      if ((ColorToRGB(img->Canvas()->Pixels(x, y)) & 0xFFFFFF) !=
          (((shot.Pixel(x, y) & 0xFF) << 16) | (shot.Pixel(x, y) & 0xFF00) | ((shot.Pixel(x, y) >> 16) & 0xFF)))
        ++differ;
  EXPECT_EQ(differ, 0);
}

// A control that gives its parent a further child the moment its own
// window exists, as a list's inner box makes its frame grow the bar it
// finds it needs once its items are in.
class TGrowsASibling : public TCustomControl {
  QN_CLASS(TGrowsASibling, TCustomControl)
 public:
  explicit TGrowsASibling(TComponent* AOwner) : TCustomControl(AOwner) {}
  TPanel* Sibling = nullptr;

 protected:
  void CreateWnd() override {
    TCustomControl::CreateWnd();
    if (Sibling) return;
    Sibling = new TPanel(Owner());
    Put(Sibling, Parent());
    Sibling->SetBounds(Left() + Width() + 2, Top(), 20, 20);
  }
};

// Made while its parent's children get their windows, before the form
// shows, the new child still gets its window and shows with the form, as
// it does when made later.
TEST_F(Platform_Form, ChildMadeWhileItsSiblingsWindowIsMadeShowsWithTheForm) {
  for (int depth = 0; depth < 2; ++depth) {
    std::unique_ptr<TForm> f(MakeForm(10, 10, 200, 150));
    TWinControl* parent = f.get();
    if (depth == 1) {
      auto* p = new TPanel(f.get());
      Put(p, f.get());
      p->SetBounds(10, 10, 170, 100);
      parent = p;
    }
    auto* g = new TGrowsASibling(f.get());
    Put(g, parent);
    g->SetBounds(5, 5, 60, 40);
    auto* after = new TPanel(f.get());
    Put(after, parent);
    after->SetBounds(100, 5, 30, 30);
    f->Show();
    Application->ProcessMessages();
    ASSERT_NE(g->Sibling, nullptr);
    ASSERT_TRUE(g->Sibling->HandleAllocated()) << "depth " << depth;
    EXPECT_TRUE(g->Sibling->Showing());
    EXPECT_TRUE(IsWindowVisible(g->Sibling->Handle()));
    EXPECT_TRUE(after->Showing());
  }
}

// The caption's ink sits in the middle of the panel's client area whatever
// frames it: the panel's own bevels and border, and the window's bevel kind
// and border outside the client. Each frame is the same on every side, so
// none may move the text.
TEST_F(Platform_Form, PanelCaptionStaysCentredWhateverItsFrame) {
  struct Frame {
    TBevelCut Outer, Inner;
    Integer Bevel, Border;        // the panel's own, inside its client
    TBevelKind Kind;              // the window's, outside the client
    Integer WindowBevel, WindowBorder;
  };
  const Frame frames[] = {{bvNone, bvNone, 1, 0, bkNone, 1, 0},    {bvRaised, bvNone, 1, 0, bkNone, 1, 0},
                          {bvRaised, bvLowered, 2, 6, bkNone, 1, 0}, {bvLowered, bvRaised, 3, 10, bkNone, 1, 0},
                          {bvNone, bvNone, 1, 0, bkTile, 2, 6},      {bvNone, bvNone, 1, 0, bkFlat, 1, 12},
                          {bvRaised, bvNone, 1, 3, bkSoft, 2, 4}};
  for (const Frame& fr : frames) {
    SCOPED_TRACE(testing::Message() << "panel bevel " << fr.Bevel << " border " << fr.Border << ", window kind "
                                    << int(fr.Kind) << " border " << fr.WindowBorder);
    std::unique_ptr<TForm> f(MakeForm(10, 10, 300, 200));
    auto* p = new TPanel(f.get());
    Put(p, f.get());
    p->SetBounds(20, 20, 220, 120);
    p->SetColor(clWhite);
    p->Font()->SetColor(clBlack);
    p->Font()->SetSize(14);
    p->SetCaption(u"WWWW");
    p->SetBevelOuter(fr.Outer);
    p->SetBevelInner(fr.Inner);
    p->SetBevelWidth(fr.Bevel);
    p->SetBorderWidth(fr.Border);
    p->SetBevelKind(fr.Kind);
    p->TWinControl::SetBevelInner(bvRaised);
    p->TWinControl::SetBevelOuter(bvLowered);
    p->TWinControl::SetBevelWidth(fr.WindowBevel);
    p->TWinControl::SetBorderWidth(fr.WindowBorder);
    f->Show();
    Application->ProcessMessages();
    TScreenImage shot = CaptureWindow(p->Handle(), true);
    ASSERT_EQ(shot.Width, p->ClientWidth());
    ASSERT_EQ(shot.Height, p->ClientHeight());
    // Dark ink only: bevel shadows are grey, the text is black.
    Integer l = shot.Width, r = -1, t = shot.Height, b = -1;
    for (Integer y = 0; y < shot.Height; ++y)
      for (Integer x = 0; x < shot.Width; ++x)
        if ((shot.Pixel(x, y) & 0xFFFFFF) == 0) {
          l = std::min(l, x);
          r = std::max(r, x);
          t = std::min(t, y);
          b = std::max(b, y);
        }
    ASSERT_GE(r, l) << "no caption drawn";
    EXPECT_NEAR(l + r, shot.Width - 1, 3);
    EXPECT_NEAR(t + b, shot.Height - 1, 6);
    // The panel's own frame keeps to the client's edge: its outer bevel
    // is drawn in the client's first column.
    if (fr.Outer == bvRaised) {
      const uint32_t hl = uint32_t(ColorToRGB(clBtnHighlight));
      const uint32_t want = ((hl & 0xFF) << 16) | (hl & 0xFF00) | ((hl >> 16) & 0xFF);
      EXPECT_EQ(shot.Pixel(0, shot.Height / 2) & 0xFFFFFF, want);
    }
  }
}

// ---------------------------------------------------------------------------
// Form resources

class TOrderForm : public TForm {
  QN_CLASS_CREATE(TOrderForm, TForm, TComponent)
 public:
  explicit TOrderForm(TComponent* AOwner) : TForm(AOwner) {}
  TButton* OkButton = nullptr;
  int Created = 0;
  void FormCreate(TObject*) {
    ++Created;
    OkButton = dynamic_cast<TButton*>(FindComponent(u"OkButton"));
  }
  QN_PUBLISHED(TOrderForm) { QN_METHOD(FormCreate); }
};

class TPlainForm : public TForm {
  QN_CLASS_CREATE(TPlainForm, TForm, TComponent)
 public:
  explicit TPlainForm(TComponent* AOwner) : TForm(AOwner) {}
};

const char* const kOrderForm = R"(object OrderForm: TOrderForm
  Left = 120
  Top = 80
  BorderStyle = bsDialog
  Caption = 'Order'
  ClientHeight = 120
  ClientWidth = 260
  Position = poDesigned
  KeyPreview = True
  OnCreate = FormCreate
  object Bar: TPanel
    Align = alBottom
    Height = 40
    Caption = ''
    TabOrder = 0
    object OkButton: TButton
      Left = 90
      Top = 8
      Caption = 'OK'
      Default = True
      ModalResult = 1
      TabOrder = 0
    end
  end
  object Tick: TTimer
    Interval = 250
    Enabled = False
  end
end
)";

TEST_F(Platform_Form, FormsAreReadFromTheirResources) {
  RegisterClasses({TOrderForm::StaticClass(), TButton::StaticClass(), TPanel::StaticClass(), TTimer::StaticClass()});
  RegisterFormResource(u"TOrderForm", kOrderForm);
  TOrderForm* f = nullptr;
  Application->CreateForm(f);
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(Application->MainForm(), f);
  EXPECT_EQ(f->Created, 1);
  ASSERT_NE(f->OkButton, nullptr);
  EXPECT_TRUE(f->OkButton->Default());
  EXPECT_EQ(f->OkButton->ModalResult(), mrOk);
  EXPECT_EQ(f->OkButton->Parent()->Name(), u"Bar");
  EXPECT_EQ(f->Caption(), u"Order");
  EXPECT_EQ(f->BorderStyle(), bsDialog);
  EXPECT_TRUE(f->KeyPreview());
  EXPECT_EQ(f->ClientWidth(), 260);
  EXPECT_EQ(f->ClientHeight(), 120);
  EXPECT_EQ(f->Left(), 120);
  auto* tick = dynamic_cast<TTimer*>(f->FindComponent(u"Tick"));
  ASSERT_NE(tick, nullptr);
  EXPECT_EQ(tick->Interval(), 250u);
  EXPECT_FALSE(f->Visible());
  EXPECT_FALSE(f->FormState().Contains(fsCreating));
  // A form class without a resource of its own cannot be made from one.
  EXPECT_THROW(TCustomForm::Create<TPlainForm>(nullptr), EResNotFound);
  // TForm itself needs none.
  std::unique_ptr<TForm> plain(TCustomForm::Create<TForm>(nullptr));
  EXPECT_EQ(plain->ComponentCount(), 0);
}

TEST_F(Platform_Form, AlphaBlendAndTransparentColorGoThroughLayeredAttributes) {
  SetDesktopColor(RGB(0, 0, 0));
  std::unique_ptr<TForm> f(MakeForm(100, 100, 200, 150));
  f->SetBorderStyle(bsNone);
  f->SetColor(clWhite);
  f->SetAlphaBlend(true);
  f->SetAlphaBlendValue(128);
  f->Show();
  Application->ProcessMessages();
  COLORREF key = 0;
  Byte alpha = 0;
  DWORD flags = 0;
  ASSERT_TRUE(GetLayeredWindowAttributes(f->Handle(), &key, &alpha, &flags));
  EXPECT_EQ(alpha, 128);
  EXPECT_EQ(flags, DWORD(LWA_ALPHA));
  EXPECT_TRUE(GetWindowLongW(f->Handle(), GWL_EXSTYLE) & WS_EX_LAYERED);
  // Half of white over the black desktop.
  TScreenImage s = CaptureScreen();
  uint32_t px = s.Pixel(150, 150);
  EXPECT_NEAR(int((px >> 16) & 0xFF), 128, 2);
  f->SetAlphaBlendValue(255);
  f->SetTransparentColorValue(clWhite);
  f->SetTransparentColor(true);
  ASSERT_TRUE(GetLayeredWindowAttributes(f->Handle(), &key, &alpha, &flags));
  EXPECT_EQ(flags, DWORD(LWA_ALPHA | LWA_COLORKEY));
  EXPECT_EQ(key, RGB(255, 255, 255));
  f->SetAlphaBlend(false);
  f->SetTransparentColor(false);
  EXPECT_FALSE(GetWindowLongW(f->Handle(), GWL_EXSTYLE) & WS_EX_LAYERED);
}

TEST_F(Platform_Form, ScreenCursorsAreTheStandardOnesAndTheGlobalOneOverridesControls) {
  EXPECT_EQ(Screen->Cursors(crDefault), LoadCursorW(nullptr, IDC_ARROW));
  EXPECT_EQ(Screen->Cursors(crArrow), LoadCursorW(nullptr, IDC_ARROW));
  EXPECT_EQ(Screen->Cursors(crCross), LoadCursorW(nullptr, IDC_CROSS));
  EXPECT_EQ(Screen->Cursors(crIBeam), LoadCursorW(nullptr, IDC_IBEAM));
  EXPECT_EQ(Screen->Cursors(crSizeNESW), LoadCursorW(nullptr, IDC_SIZENESW));
  EXPECT_EQ(Screen->Cursors(crSizeNS), LoadCursorW(nullptr, IDC_SIZENS));
  EXPECT_EQ(Screen->Cursors(crSizeNWSE), LoadCursorW(nullptr, IDC_SIZENWSE));
  EXPECT_EQ(Screen->Cursors(crSizeWE), LoadCursorW(nullptr, IDC_SIZEWE));
  EXPECT_EQ(Screen->Cursors(crHandPoint), LoadCursorW(nullptr, IDC_HAND));
  EXPECT_EQ(Screen->Cursors(crHourGlass), LoadCursorW(nullptr, IDC_WAIT));
  // The split cursors are the screen's own, with the hotspot in the middle.
  HCURSOR h = Screen->Cursors(crHSplit), v = Screen->Cursors(crVSplit);
  ASSERT_NE(h, nullptr);
  ASSERT_NE(v, nullptr);
  EXPECT_NE(h, v);
  EXPECT_NE(h, Screen->Cursors(crDefault));
  ICONINFO ii;
  ASSERT_TRUE(GetIconInfo(h, &ii));
  EXPECT_FALSE(ii.fIcon);
  EXPECT_EQ(ii.xHotspot, 16u);
  EXPECT_EQ(ii.yHotspot, 16u);
  DeleteObject(ii.hbmMask);
  DeleteObject(ii.hbmColor);

  std::unique_ptr<TForm> f(MakeForm(100, 100, 300, 200));
  TButton* b = MakeButton(f.get(), u"Go", 20, 20);
  b->SetCursor(crHandPoint);
  f->Show();
  Application->ProcessMessages();
  TPoint over = CenterOf(b);
  InputMouseMove(over.X, over.Y);
  Application->ProcessMessages();
  EXPECT_EQ(GetCursor(), Screen->Cursors(crHandPoint));
  Screen->SetCursor(crHourGlass);
  EXPECT_EQ(GetCursor(), Screen->Cursors(crHourGlass));
  InputMouseMove(over.X + 1, over.Y);
  Application->ProcessMessages();
  EXPECT_EQ(GetCursor(), Screen->Cursors(crHourGlass));
  // Back to crDefault: the control under the pointer chooses again.
  Screen->SetCursor(crDefault);
  EXPECT_EQ(GetCursor(), Screen->Cursors(crHandPoint));
}

}  // namespace

}  // namespace t_forms_test
