// The drag manager driven by scripted input on the virtual clock: the
// threshold, the order of what targets hear, the cursor and the drop their
// answers decide, cancelling, controls that go in the middle of a drag,
// automatic drags and the drag image on the screen.
#include <memory>
#include <string>
#include <vector>

#include "platform/comctl/CommCtrl.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/ImgList.h"
#include "tests/platform/vcl/FormsTestSupport.h"

namespace t_drag_drop_test {

using namespace vcl;
using namespace formstest;

namespace {

std::string Name(TObject* o) {
  if (!o) return "nil";
  if (auto* c = dynamic_cast<TComponent*>(o)) return ToUtf8(c->Name());
  return ToUtf8(o->ClassName());
}

// A windowed control that paints its colour and can offer drag images.
class TPad : public TCustomControl {
  QN_CLASS(TPad, TCustomControl)
 public:
  explicit TPad(TComponent* AOwner) : TCustomControl(AOwner) {}
  TDragImageList* Images = nullptr;
  int Canceled = 0;
  TDragImageList* GetDragImages() override { return Images; }

 protected:
  void DragCanceled() override { ++Canceled; }
  void Paint() override {
    Canvas()->Brush()->SetColor(Color());
    Canvas()->FillRect(ClientRect());
  }
};

// A drag object of the application's own, counted as it goes.
class TCountedDragObject : public TDragObjectEx {
  QN_CLASS(TCountedDragObject, TDragObjectEx)
 public:
  explicit TCountedDragObject(int* Freed) : FFreed(Freed) {}
  ~TCountedDragObject() override { ++*FFreed; }

 private:
  int* FFreed;
};

class Platform_DragDrop : public FormsTest {
 protected:
  void SetUp() override {
    FormsTest::SetUp();
    Form.reset(new TForm(nullptr));
    Form->SetPosition(poDesigned);
    Form->SetBounds(100, 100, 460, 320);
    Source = Make(u"Source", 10, 10, clRed);
    Target = Make(u"Target", 200, 10, clLime);
    Refuser = Make(u"Refuser", 200, 150, clGray);
    Target->SetOnDragOver([this](TObject* Sender, TObject* Src, Integer X, Integer Y, TDragState State, bool& Accept) {
      static const char* names[] = {"enter", "leave", "move"};
      Log.push_back(Name(Sender) + " " + names[int(State)] + " from " + Name(Src));
      LastOver = TPoint(X, Y);
      Accept = true;
    });
    Refuser->SetOnDragOver([this](TObject* Sender, TObject*, Integer, Integer, TDragState State, bool& Accept) {
      static const char* names[] = {"enter", "leave", "move"};
      Log.push_back(Name(Sender) + " " + names[int(State)]);
      Accept = false;
    });
    for (TControl* c : {static_cast<TControl*>(Target), static_cast<TControl*>(Refuser)})
      c->SetOnDragDrop([this](TObject* Sender, TObject* Src, Integer X, Integer Y) {
        Log.push_back("drop on " + Name(Sender) + " from " + Name(Src) + " at " + std::to_string(X) + "," +
                      std::to_string(Y));
      });
    Source->SetOnEndDrag([this](TObject* Sender, TObject* T, Integer X, Integer Y) {
      Log.push_back("end " + Name(Sender) + " target " + Name(T) + " at " + std::to_string(X) + "," +
                    std::to_string(Y));
    });
    Source->SetOnMouseDown([this](TObject*, TMouseButton, TShiftState, Integer, Integer) {
      Log.push_back("press");
      if (StartOnPress) Source->BeginDrag(false);
    });
    Form->Show();
    Application->ProcessMessages();
  }
  void TearDown() override {
    CancelDrag();
    Form.reset();
    FormsTest::TearDown();
  }
  TPad* Make(const char16_t* name, Integer x, Integer y, TColor color) {
    auto* c = new TPad(Form.get());
    c->SetName(name);
    c->SetParent(Form.get());
    c->SetBounds(x, y, 150, 110);
    c->SetColor(color);
    return c;
  }
  TPoint At(TControl* c, Integer x = 40, Integer y = 40) { return c->ClientToScreen(TPoint(x, y)); }
  void MoveTo(const TPoint& p) {
    InputMouseMove(p.X, p.Y);
    Application->ProcessMessages();
  }
  void Press() {
    InputMouseDown(VK_LBUTTON);
    Application->ProcessMessages();
  }
  void Release() {
    InputMouseUp(VK_LBUTTON);
    Application->ProcessMessages();
  }
  HCURSOR CursorOf(TCursor c) { return Screen->Cursors(c); }
  // Picks the source up at (40, 40) and drags it onto the target.
  void DragOntoTarget() {
    MoveTo(At(Source));
    Press();
    MoveTo(At(Source, 60, 40));
    MoveTo(At(Target, 30, 30));
  }

  std::unique_ptr<TForm> Form;
  TPad *Source = nullptr, *Target = nullptr, *Refuser = nullptr;
  std::vector<std::string> Log;
  TPoint LastOver;
  bool StartOnPress = true;
};

TEST_F(Platform_DragDrop, NothingBeforeTheThresholdThenTargetsHearEnterMoveLeaveAndTheDropInOrder) {
  Mouse->SetDragThreshold(8);
  MoveTo(At(Source));
  Press();
  EXPECT_TRUE(Source->Dragging());
  MoveTo(At(Source, 47, 47));  // 7 pixels: still below the threshold
  EXPECT_FALSE(Mouse->IsDragging());
  EXPECT_EQ(Log, std::vector<std::string>{"press"});

  MoveTo(At(Source, 48, 40));  // 8 pixels: the drag begins over the source, which takes nothing
  EXPECT_TRUE(Mouse->IsDragging());
  EXPECT_EQ(GetCursor(), CursorOf(crNoDrop));

  MoveTo(At(Target, 30, 30));
  EXPECT_EQ(GetCursor(), CursorOf(crDrag));
  EXPECT_EQ(LastOver, TPoint(30, 30));
  MoveTo(At(Target, 31, 32));
  MoveTo(At(Refuser, 5, 5));
  EXPECT_EQ(GetCursor(), CursorOf(crNoDrop));
  MoveTo(At(Target, 20, 25));
  Release();
  EXPECT_FALSE(Mouse->IsDragging());
  EXPECT_FALSE(Source->Dragging());
  std::vector<std::string> want = {"press",
                                   "Target enter from Source",
                                   "Target move from Source",
                                   "Target move from Source",
                                   "Target leave from Source",
                                   "Refuser enter",
                                   "Refuser move",
                                   "Refuser leave",
                                   "Target enter from Source",
                                   "Target move from Source",
                                   "Target leave from Source",
                                   "drop on Target from Source at 20,25",
                                   "end Source target Target at 20,25"};
  EXPECT_EQ(Log, want);
  EXPECT_EQ(Source->Canceled, 0);
  EXPECT_NE(GetCapture(), Source->Handle());
}

TEST_F(Platform_DragDrop, ARefusingTargetOrEscapeCancelsWithoutATarget) {
  // Released over the refusing control: no drop, the source hears the cancel.
  MoveTo(At(Source));
  Press();
  MoveTo(At(Refuser, 10, 10));
  Release();
  EXPECT_EQ(Log.back(), "end Source target nil at 10,10");
  EXPECT_EQ(Source->Canceled, 1);
  for (const auto& l : Log) EXPECT_EQ(l.find("drop"), std::string::npos) << l;

  // Escape in the middle of a drag over an accepting target.
  Log.clear();
  Source->SetFocus();
  Application->ProcessMessages();
  DragOntoTarget();
  ASSERT_TRUE(Mouse->IsDragging());
  InputKeyDown(VK_ESCAPE);
  InputKeyUp(VK_ESCAPE);
  Application->ProcessMessages();
  EXPECT_FALSE(Mouse->IsDragging());
  EXPECT_EQ(Source->Canceled, 2);
  ASSERT_GE(Log.size(), 2u);
  EXPECT_EQ(Log[Log.size() - 2], "Target leave from Source");
  EXPECT_EQ(Log.back().substr(0, 21), "end Source target nil");
  // The release that follows is an ordinary one: nothing more happens.
  size_t n = Log.size();
  Release();
  EXPECT_EQ(Log.size(), n);
}

TEST_F(Platform_DragDrop, ASourceFreedMidDragCancelsItAndATargetFreedIsForgotten) {
  DragOntoTarget();
  ASSERT_TRUE(Mouse->IsDragging());
  // The target goes: nobody is told about it any more, the drag goes on.
  delete Target;
  Target = nullptr;
  Log.clear();
  MoveTo(At(Refuser, 8, 8));
  EXPECT_EQ(Log, (std::vector<std::string>{"Refuser enter", "Refuser move"}));
  // The source goes: the drag ends, the control under the pointer hears
  // the leave, and nothing is said to the source any more.
  delete Source;
  Source = nullptr;
  EXPECT_FALSE(Mouse->IsDragging());
  EXPECT_EQ(CurrentDragObject(), nullptr);
  EXPECT_EQ(Log.back(), "Refuser leave");
  size_t n = Log.size();
  MoveTo(At(Refuser, 20, 20));
  Release();
  EXPECT_EQ(Log.size(), n);
}

TEST_F(Platform_DragDrop, AutomaticDragsTakeThePressAndOwnDragObjectsAreTheSourceAndFreed) {
  StartOnPress = false;
  Source->SetDragMode(dmAutomatic);
  Mouse->SetDragImmediate(true);
  MoveTo(At(Source));
  Press();
  EXPECT_TRUE(Mouse->IsDragging());  // at once, without moving
  EXPECT_TRUE(Log.empty());          // the press went to the drag, not to OnMouseDown
  MoveTo(At(Target, 12, 14));
  Release();
  EXPECT_EQ(Log.back(), "end Source target Target at 12,14");

  // Past the threshold only, and with a drag object the application made.
  Log.clear();
  Mouse->SetDragImmediate(false);
  int freed = 0;
  Source->SetOnStartDrag([&](TObject*, TDragObject*& object) { object = new TCountedDragObject(&freed); });
  MoveTo(At(Source));
  Press();
  EXPECT_FALSE(Mouse->IsDragging());
  MoveTo(At(Target, 10, 10));
  EXPECT_TRUE(Mouse->IsDragging());
  Release();
  EXPECT_EQ(freed, 1);
  ASSERT_FALSE(Log.empty());
  EXPECT_EQ(Log[0], "Target enter from TCountedDragObject");
  // An object of its own: the control does not hear the end.
  for (const auto& l : Log) EXPECT_EQ(l.find("end Source"), std::string::npos) << l;
}

TEST_F(Platform_DragDrop, TheDragImageFollowsThePointerOverControlsThatShowIt) {
  std::unique_ptr<TImageList> images(new TImageList(nullptr));
  images->SetSize(16, 16);
  std::unique_ptr<TBitmap> bmp(new TBitmap());
  bmp->SetSize(16, 16);
  bmp->Canvas()->Brush()->SetColor(clBlue);
  bmp->Canvas()->FillRect(TRect(0, 0, 16, 16));
  ASSERT_EQ(images->Add(bmp.get(), nullptr), 0);
  images->SetDragImage(0, 8, 8);
  Source->Images = images.get();
  Target->SetControlStyle(Target->ControlStyle() + TControlStyle{csDisplayDragImage});

  DragOntoTarget();
  ASSERT_TRUE(ImageList_DragImageVisible());
  auto blueAt = [](const TPoint& p) {
    TScreenImage s = CaptureScreen();
    return (s.Pixel(p.X, p.Y) & 0xFFFFFF) == 0x0000FF;
  };
  TPoint p = At(Target, 30, 30);
  EXPECT_TRUE(blueAt(p));
  RECT r;
  GetWindowRect(ImageList_DragWindow(), &r);
  EXPECT_EQ(TPoint(r.Left, r.Top), TPoint(p.X - 8, p.Y - 8));
  // It follows the pointer.
  TPoint q = At(Target, 90, 70);
  MoveTo(q);
  EXPECT_TRUE(blueAt(q));
  EXPECT_FALSE(blueAt(p));
  // Shown without the lock switched off, it goes; on again, it is back.
  ImageList_DragShowNolock(false);
  EXPECT_FALSE(blueAt(q));
  ImageList_DragShowNolock(true);
  EXPECT_TRUE(blueAt(q));
  // Over a control without csDisplayDragImage it hides.
  TPoint over = At(Refuser, 40, 40);
  MoveTo(over);
  EXPECT_FALSE(ImageList_DragImageVisible());
  EXPECT_FALSE(blueAt(over));
  Release();
  EXPECT_EQ(ImageList_DragWindow(), nullptr);
  EXPECT_FALSE(images->Dragging());
}

// A drag object that brings its own images and asks for them to show over
// every target.
class TImageDragObject : public TDragObjectEx {
  QN_CLASS(TImageDragObject, TDragObjectEx)
 public:
  explicit TImageDragObject(TDragImageList* Images) : FImages(Images) {}
  TDragImageList* GetDragImages() override { return FImages; }
  void HideDragImage() override { FImages->HideDragImage(); }
  void ShowDragImage() override { FImages->ShowDragImage(); }

 private:
  TDragImageList* FImages;
};

TEST_F(Platform_DragDrop, AnAlwaysShownDragImageFollowsOverControlsThatDoNotShowImages) {
  std::unique_ptr<TImageList> images(new TImageList(nullptr));
  images->SetSize(16, 16);
  std::unique_ptr<TBitmap> bmp(new TBitmap());
  bmp->SetSize(16, 16);
  bmp->Canvas()->Brush()->SetColor(clBlue);
  bmp->Canvas()->FillRect(TRect(0, 0, 16, 16));
  ASSERT_EQ(images->Add(bmp.get(), nullptr), 0);
  images->SetDragImage(0, 8, 8);
  bool always = true;
  Source->SetOnStartDrag([&](TObject*, TDragObject*& O) {
    auto* o = new TImageDragObject(images.get());
    o->SetAlwaysShowDragImages(always);
    O = o;
  });
  auto blueAt = [](const TPoint& p) {
    TScreenImage s = CaptureScreen();
    return (s.Pixel(p.X, p.Y) & 0xFFFFFF) == 0x0000FF;
  };
  // Neither the target nor the refuser shows drag images by its style.
  DragOntoTarget();
  TPoint over = At(Refuser, 40, 40);
  MoveTo(over);
  EXPECT_TRUE(ImageList_DragImageVisible());
  EXPECT_TRUE(blueAt(over));
  Release();
  EXPECT_EQ(ImageList_DragWindow(), nullptr);
  // Without the flag the same drag hides its image there.
  always = false;
  DragOntoTarget();
  MoveTo(over);
  EXPECT_FALSE(ImageList_DragImageVisible());
  EXPECT_FALSE(blueAt(over));
  Release();
}

TEST_F(Platform_DragDrop, DockingSettingsStreamButADockDragStartsNothing) {
  std::unique_ptr<TPanel> panel(new TPanel(nullptr));
  panel->SetName(u"Dock");
  panel->SetDockSite(true);
  panel->SetDragKind(dkDock);
  panel->SetDragMode(dmAutomatic);
  panel->SetDragCursor(crMultiDrag);
  panel->SetBevelKind(bkSoft);
  panel->SetCtl3D(false);
  std::unique_ptr<TMemoryStream> s(new TMemoryStream());
  s->WriteComponent(panel.get());
  s->SetPosition(0);
  std::unique_ptr<TPanel> back(new TPanel(nullptr));
  s->ReadComponent(back.get());
  EXPECT_TRUE(back->DockSite());
  EXPECT_EQ(back->DragKind(), dkDock);
  EXPECT_EQ(back->DragMode(), dmAutomatic);
  EXPECT_EQ(back->DragCursor(), crMultiDrag);
  EXPECT_EQ(back->BevelKind(), bkSoft);
  EXPECT_FALSE(back->Ctl3D());

  Source->SetDragKind(dkDock);
  MoveTo(At(Source));
  Press();
  MoveTo(At(Target, 10, 10));
  EXPECT_EQ(CurrentDragObject(), nullptr);
  Release();
}

}  // namespace

}  // namespace t_drag_drop_test
