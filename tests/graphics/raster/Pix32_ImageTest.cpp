// The paint box: buffer sizing with its hysteresis, the repaint modes and
// what each paint copies to the window, the message handlers, and the
// optimizer contract.
#include <gtest/gtest.h>

#include <memory>

#include "graphics/raster/Pix32_Image_qn.h"
#include "graphics/raster/Pix32_MicroTiles_qn.h"
#include "platform/desktop/Desktop.h"
#include "tests/platform/user/UserTestSupport.h"

namespace t_pix32_image_test {

using namespace qn;

namespace {

// A windowed container filled with one colour, the root of a control tree
// placed on a plain top-level window.
class TRoot : public TCustomControl {
  QN_CLASS(TRoot, TCustomControl)
 public:
  explicit TRoot(TComponent* AOwner) : TCustomControl(AOwner) {
    SetControlStyle(ControlStyle() + TControlStyle{csAcceptsControls});
  }

 protected:
  void Paint() override {
    Canvas()->Brush()->SetColor(TColor(0x336699));
    Canvas()->FillRect(ClientRect());
  }
};

// A paint box that shows its protected parts and counts its buffer paints.
class TProbeBox : public TPaintBox32 {
  QN_CLASS(TProbeBox, TPaintBox32)
 public:
  explicit TProbeBox(TComponent* AOwner) : TPaintBox32(AOwner) {}
  using TCustomPaintBox32_qn::CustomRepaint;
  using TCustomPaintBox32_qn::Paint;
  Integer BufferPaints = 0;
  // What the next buffer paint draws: a gradient-like pattern that differs
  // from paint to paint.
  Integer Generation = 0;

 protected:
  void DoPaintBuffer() override {
    ++BufferPaints;
    ++Generation;
    TBitmap32* b = Buffer();
    for (Integer y = 0; y < b->Height(); ++y)
      for (Integer x = 0; x < b->Width(); ++x)
        b->SetPixel(x, y, Color32(Byte(x * 3 + Generation * 40), Byte(y * 5), Byte((x ^ y) + Generation), 255));
    b->Changed();
    inherited::DoPaintBuffer();
  }
};

// An optimizer that always has updates waiting and reports one rectangle.
class TEagerOptimizer : public TCustomRepaintOptimizer {
  QN_REPAINT_OPTIMIZER_CLASS(TEagerOptimizer, TCustomRepaintOptimizer)
 public:
  TEagerOptimizer(TBitmap32* Buffer, TRectList* InvalidRects) : TCustomRepaintOptimizer(Buffer, InvalidRects) {}
  Integer Resets = 0, Begins = 0, Ends = 0, Optimizations = 0;
  TPoint LastResize{-1, -1};
  void BeginPaint() override { ++Begins; }
  void EndPaint() override { ++Ends; }
  void Reset() override { ++Resets; }
  bool UpdatesAvailable() override { return true; }
  void PerformOptimization() override {
    ++Optimizations;
    FInvalidRects->Add(TRect(2, 3, 20, 30));
  }
  void AreaUpdateHandler(TObject*, const TRect&, Cardinal) override {}
  void BufferResizedHandler(Integer NewWidth, Integer NewHeight) override { LastResize = TPoint(NewWidth, NewHeight); }
  void LayerCollectionNotifyHandler(TLayerCollection*, TLayerListNotification, TCustomLayer*, Integer) override {}
  void LayerUpdateHandler(TObject*, TCustomLayer*) override {}
};

class Pix32_Image_qn : public usertest::ServerTest {
 protected:
  void SetUp() override {
    usertest::ServerTest::SetUp();
    FHost = usertest::MakeTop(50, 50, 500, 400);
    FRoot = std::make_unique<TRoot>(nullptr);
    FRoot->SetBounds(0, 0, 500, 400);
    FRoot->SetParentWindow(FHost);
  }
  void TearDown() override {
    FRoot.reset();
    FreeDeviceContexts();
    usertest::ServerTest::TearDown();
  }
  template <class T = TProbeBox>
  T* Box(TRect r) {
    auto* b = new T(nullptr);
    b->SetBoundsRect(r);
    b->SetParent(FRoot.get());
    b->HandleNeeded();
    return b;
  }
  // Paints over the box's window so that a later paint shows what it copied.
  static void Scribble(TCustomPaintBox32_qn* b) {
    HDC dc = GetDC(b->Handle());
    RECT r(0, 0, b->Width(), b->Height());
    HBRUSH br = CreateSolidBrush(RGB(255, 0, 255));
    FillRect(dc, &r, br);
    DeleteObject(br);
    ReleaseDC(b->Handle(), dc);
  }
  // Pixels of the window's client area that differ from the buffer.
  static Integer Mismatches(TCustomPaintBox32_qn* b, const TRect& Within) {
    TScreenImage img = CaptureWindow(b->Handle(), true);
    Integer bad = 0;
    for (Integer y = Within.Top; y < Within.Bottom; ++y)
      for (Integer x = Within.Left; x < Within.Right; ++x)
        if ((img.Pixel(x, y) & 0xFFFFFFu) != (b->Buffer()->GetPixel(x, y) & 0xFFFFFFu)) ++bad;
    return bad;
  }
  static Integer Mismatches(TCustomPaintBox32_qn* b) { return Mismatches(b, TRect(0, 0, b->Width(), b->Height())); }

  HWND FHost = nullptr;
  std::unique_ptr<TRoot> FRoot;
};

TEST_F(Pix32_Image_qn, InflateAreaGrowsOrderedAndReversedRectanglesOutwards) {
  TRect a(0, 0, 10, 10);
  InflateArea(a, 2, 2);
  EXPECT_EQ(a, TRect(-2, -2, 12, 12));
  TRect b(10, 10, 0, 0);
  InflateArea(b, 2, 2);
  EXPECT_EQ(b, TRect(12, 12, -2, -2));
  TRect c(10, 0, 0, 10);  // reversed in x only
  InflateArea(c, 3, 1);
  EXPECT_EQ(c, TRect(13, -1, -3, 11));
}

TEST_F(Pix32_Image_qn, CreationDefaultsAndOptimizerClass) {
  TPaintBox32 b(nullptr);
  EXPECT_EQ(b.Width(), 192);
  EXPECT_EQ(b.Height(), 192);
  EXPECT_EQ(b.BufferOversize(), 40);
  EXPECT_EQ(b.RepaintMode(), rmFull);
  EXPECT_TRUE(b.ForceFullRepaint());
  EXPECT_FALSE(b.BufferValid());
  EXPECT_TRUE(b.Options().Empty());
  ASSERT_NE(b.RepaintOptimizer(), nullptr);
  EXPECT_EQ(b.RepaintOptimizer()->ClassType(), PaintBoxOptimizerClass->Class);
  EXPECT_EQ(b.RepaintOptimizer()->Buffer(), b.Buffer());
  EXPECT_EQ(b.RepaintOptimizer()->InvalidRects(), b.InvalidRects());
  EXPECT_FALSE(b.Buffer()->OnAreaChanged());
  EXPECT_EQ(PaintBoxOptimizerClass, TMicroTilesRepaintOptimizer::OptimizerClass());
  b.SetRepaintMode(rmOptimizer);
  EXPECT_EQ(b.RepaintMode(), rmOptimizer);
  EXPECT_TRUE(b.RepaintOptimizer()->Enabled());
}

TEST_F(Pix32_Image_qn, BufferFollowsTheViewportWithHysteresis) {
  auto* b = Box(Bounds(10, 10, 100, 80));
  usertest::Pump();
  // Grown from nothing: the viewport plus the margin.
  EXPECT_EQ(b->Buffer()->Width(), 140);
  EXPECT_EQ(b->Buffer()->Height(), 120);
  b->SetWidth(120);
  b->SetWidth(100);  // within the margin: kept
  EXPECT_EQ(b->Buffer()->Width(), 140);
  b->SetWidth(60);  // more than the margin below: shrinks to fit
  EXPECT_EQ(b->Buffer()->Width(), 60);
  // The documented walk: 100 (buffer 100), 101, 101 again, then 100.
  b->SetBufferOversize(0);
  b->SetWidth(100);
  EXPECT_EQ(b->Buffer()->Width(), 100);
  EXPECT_EQ(b->Buffer()->Height(), 80);
  b->SetBufferOversize(40);
  EXPECT_EQ(b->Buffer()->Width(), 100);
  b->SetWidth(101);
  EXPECT_EQ(b->Buffer()->Width(), 141);
  b->SetWidth(130);
  b->SetWidth(101);
  EXPECT_EQ(b->Buffer()->Width(), 141);
  b->SetWidth(100);
  EXPECT_EQ(b->Buffer()->Width(), 100);
}

TEST_F(Pix32_Image_qn, EmptyControlHasOnePixelBufferAndOversizeIsNeverNegative) {
  auto* b = Box(Bounds(0, 0, 0, 0));
  usertest::Pump();
  EXPECT_EQ(b->Buffer()->Width(), 1);
  EXPECT_EQ(b->Buffer()->Height(), 1);
  b->SetBufferOversize(-5);
  EXPECT_EQ(b->BufferOversize(), 0);
  b->SetBounds(0, 0, 30, 20);
  EXPECT_EQ(b->Buffer()->Width(), 30);
  EXPECT_EQ(b->Buffer()->Height(), 20);
}

TEST_F(Pix32_Image_qn, WindowShowsTheBufferInEveryMode) {
  for (TRepaintMode mode : {rmFull, rmDirect, rmOptimizer}) {
    SCOPED_TRACE(Integer(mode));
    auto* b = Box(Bounds(20, 30, 150, 90));
    b->SetRepaintMode(mode);
    usertest::Pump();
    EXPECT_EQ(b->BufferPaints, 1);
    EXPECT_EQ(Mismatches(b), 0);
    EXPECT_EQ(b->InvalidRects()->Count(), 0);
    EXPECT_FALSE(b->ForceFullRepaint());
    // A new picture after an invalidation through the queue.
    b->Invalidate();
    usertest::Pump();
    EXPECT_EQ(b->BufferPaints, 2);
    EXPECT_EQ(Mismatches(b), 0);
    delete b;
  }
}

TEST_F(Pix32_Image_qn, FullModeRecordsNothingAndCopiesTheWholeViewport) {
  auto* b = Box(Bounds(0, 0, 120, 70));
  usertest::Pump();
  b->Buffer()->FillRect(5, 5, 20, 20, Color32(255, 0, 0));
  EXPECT_EQ(b->InvalidRects()->Count(), 0);
  Scribble(b);
  b->Repaint();
  EXPECT_EQ(Mismatches(b), 0);
  // The buffer is larger than the viewport; the window gets only the
  // viewport, and nothing outside it of the parent is touched.
  EXPECT_GT(b->Buffer()->Width(), b->Width());
  TScreenImage root = CaptureWindow(FRoot->Handle(), true);
  EXPECT_EQ(root.Pixel(125, 10) & 0xFFFFFFu, 0x996633u);
}

TEST_F(Pix32_Image_qn, DirectModeCopiesOnlyTheChangedAreas) {
  auto* b = Box(Bounds(0, 0, 120, 70));
  b->SetRepaintMode(rmDirect);
  usertest::Pump();
  const Integer paints = b->BufferPaints;
  Scribble(b);
  // The change repaints at once: the buffer is drawn again (the drawing is
  // recorded, not repainted again), then only the recorded areas go out.
  b->Buffer()->FillRect(10, 12, 30, 40, Color32(255, 0, 0));
  EXPECT_EQ(b->BufferPaints, paints + 1);
  EXPECT_EQ(b->InvalidRects()->Count(), 0);
  // The pattern covers the whole buffer and reports the whole of it.
  EXPECT_EQ(Mismatches(b), 0);
}

TEST_F(Pix32_Image_qn, DirectModeChangeWhilePaintingIsRecordedWithoutRepaint) {
  auto* b = Box(Bounds(0, 0, 60, 50));
  b->SetRepaintMode(rmDirect);
  usertest::Pump();
  const Integer paints = b->BufferPaints;
  b->SetControlState(b->ControlState() + TControlState{csCustomPaint});
  b->Buffer()->FillRect(1, 2, 5, 6, Color32(255, 0, 0));
  ASSERT_EQ(b->InvalidRects()->Count(), 1);
  EXPECT_EQ(*b->InvalidRects()->Items(0), TRect(1, 2, 5, 6));
  // A line drawn right to left records its end points grown by its width,
  // in order.
  b->Buffer()->LineS(30, 20, 10, 15, Color32(0, 0, 255));
  b->SetControlState(b->ControlState() - TControlState{csCustomPaint});
  EXPECT_EQ(b->BufferPaints, paints);
  ASSERT_GE(b->InvalidRects()->Count(), 2);
  const TRect line = *b->InvalidRects()->Items(b->InvalidRects()->Count() - 1);
  EXPECT_LE(line.Left, 10);
  EXPECT_GE(line.Right, 31);
  EXPECT_LE(line.Top, 15);
  EXPECT_GE(line.Bottom, 21);
  // The next paint copies exactly those areas and empties the list.
  Scribble(b);
  b->SetBufferValid(true);
  b->Paint();
  EXPECT_EQ(b->InvalidRects()->Count(), 0);
  EXPECT_EQ(Mismatches(b, TRect(1, 2, 5, 6)), 0);
  EXPECT_EQ(Mismatches(b, TRect(40, 30, 60, 50)), 20 * 20);  // untouched: still scribbled
}

TEST_F(Pix32_Image_qn, ResizedBufferLeadsToAFullCopy) {
  auto* b = Box(Bounds(0, 0, 60, 50));
  b->SetRepaintMode(rmDirect);
  usertest::Pump();
  b->SetControlState(b->ControlState() + TControlState{csCustomPaint});
  b->Buffer()->FillRect(1, 2, 5, 6, Color32(255, 0, 0));
  b->SetControlState(b->ControlState() - TControlState{csCustomPaint});
  ASSERT_EQ(b->InvalidRects()->Count(), 1);
  b->SetBounds(0, 0, 200, 150);
  EXPECT_TRUE(b->ForceFullRepaint());
  Scribble(b);
  usertest::Pump();
  EXPECT_FALSE(b->ForceFullRepaint());
  EXPECT_EQ(b->InvalidRects()->Count(), 0);
  EXPECT_EQ(Mismatches(b), 0);
}

// Records how often the buffer was locked whenever a paint or a buffer
// notification came in: a lock held there means the buffer lock was taken
// before the canvas lock, the reverse of Paint's order.
class TLockProbeBox : public TProbeBox {
  QN_CLASS(TLockProbeBox, TProbeBox)
 public:
  explicit TLockProbeBox(TComponent* AOwner) : TProbeBox(AOwner) {}
  Integer Paints = 0, Notifications = 0, LockedSeen = 0;
  void Note(TObject*) {
    ++Notifications;
    if (Buffer()->LockCount() != 0) ++LockedSeen;
  }

 protected:
  void Paint() override {
    ++Paints;
    if (Buffer()->LockCount() != 0) ++LockedSeen;
    inherited::Paint();
  }
};

TEST_F(Pix32_Image_qn, ResizeNotifiesAndRepaintsOutsideTheBufferLock) {
  auto* b = Box<TLockProbeBox>(Bounds(0, 0, 60, 50));
  b->SetRepaintMode(rmDirect);
  usertest::Pump();
  b->Buffer()->SetOnChange(MakeEvent(b, &TLockProbeBox::Note));
  b->Buffer()->SetOnResize(MakeEvent(b, &TLockProbeBox::Note));
  const Integer paintsBefore = b->Paints;
  // Growing past the oversize reallocates the buffer; in direct mode its
  // change repaints the window at once.
  b->SetBounds(0, 0, 200, 150);
  EXPECT_EQ(b->Buffer()->Width(), 240);
  // The resize's change and resize reports, and the repaint's own change.
  EXPECT_EQ(b->Notifications, 3);
  EXPECT_GT(b->Paints, paintsBefore);
  EXPECT_EQ(b->LockedSeen, 0);
  EXPECT_EQ(b->Buffer()->LockCount(), 0);
  // The same size again changes nothing and reports nothing.
  EXPECT_FALSE(b->Buffer()->SetSizeLocked(240, 190));
  EXPECT_EQ(b->Notifications, 3);
  b->Buffer()->SetOnChange(TNotifyEvent());
  b->Buffer()->SetOnResize(TNotifyEvent());
  usertest::Pump();
  EXPECT_EQ(Mismatches(b), 0);
}

TEST_F(Pix32_Image_qn, InvalidateThroughTheOptimizerPostsAPaint) {
  const TCustomRepaintOptimizerClass saved = PaintBoxOptimizerClass;
  PaintBoxOptimizerClass = TEagerOptimizer::OptimizerClass();
  TProbeBox* b = nullptr;
  try {
    // Before the window exists the inherited handling runs.
    auto* loose = new TProbeBox(nullptr);
    loose->SetRepaintMode(rmOptimizer);
    loose->SetBufferValid(true);
    loose->Invalidate();
    EXPECT_FALSE(loose->BufferValid());
    delete loose;

    b = Box(Bounds(0, 0, 80, 60));
    b->SetRepaintMode(rmOptimizer);
    auto* opt = static_cast<TEagerOptimizer*>(b->RepaintOptimizer());
    EXPECT_TRUE(opt->Enabled());
    EXPECT_EQ(b->Buffer()->OnAreaChanged(), MakeEvent(static_cast<TCustomRepaintOptimizer*>(opt), &TCustomRepaintOptimizer::AreaUpdateHandler));
    usertest::Pump();
    EXPECT_FALSE(b->ForceFullRepaint());
    EXPECT_GT(opt->Begins, 0);
    EXPECT_EQ(opt->Begins, opt->Ends);
    ASSERT_TRUE(b->CustomRepaint());

    b->Invalidate();
    EXPECT_FALSE(GetUpdateRect(b->Handle(), nullptr, false));
    MSG m;
    ASSERT_TRUE(PeekMessageW(&m, b->Handle(), WM_PAINT, WM_PAINT, PM_NOREMOVE));
    EXPECT_EQ(m.wParam, 0u);
    EXPECT_EQ(m.lParam, 0);
    // The posted paint draws the buffer and copies the optimizer's
    // rectangle only.
    const Integer optimizations = opt->Optimizations;
    Scribble(b);
    usertest::Pump();
    EXPECT_EQ(opt->Optimizations, optimizations + 1);
    EXPECT_EQ(Mismatches(b, TRect(2, 3, 20, 30)), 0);
    EXPECT_EQ(Mismatches(b, TRect(30, 35, 80, 60)), 50 * 25);
    EXPECT_EQ(b->InvalidRects()->Count(), 0);

    // Invalidations while a paint is on its way post no second one.
    b->Invalidate();
    b->Invalidate();
    Integer posted = 0;
    while (posted < 4 && PeekMessageW(&m, b->Handle(), WM_PAINT, WM_PAINT, PM_REMOVE)) {
      ++posted;
      DispatchMessageW(&m);
    }
    EXPECT_EQ(posted, 1);
    b->Invalidate();
    EXPECT_TRUE(PeekMessageW(&m, b->Handle(), WM_PAINT, WM_PAINT, PM_NOREMOVE));
    usertest::Pump();

    // A forced full repaint resets the optimizer and copies everything.
    const Integer resets = opt->Resets;
    b->ForceFullInvalidate();
    EXPECT_EQ(opt->Resets, resets + 1);
    EXPECT_FALSE(b->CustomRepaint());
    usertest::Pump();
    EXPECT_EQ(Mismatches(b), 0);

    b->SetBounds(0, 0, 150, 100);
    EXPECT_EQ(opt->LastResize, TPoint(b->Buffer()->Width(), b->Buffer()->Height()));
  } catch (...) {
    PaintBoxOptimizerClass = saved;
    throw;
  }
  PaintBoxOptimizerClass = saved;
}

TEST_F(Pix32_Image_qn, MessagesEraseDialogCodesAndMouse) {
  auto* b = Box(Bounds(10, 10, 50, 50));
  EXPECT_EQ(b->Perform(WM_ERASEBKGND, 0, 0), 1);
  TMessage m;
  m.Msg = WM_GETDLGCODE;
  m.Result = DLGC_WANTARROWS | DLGC_WANTCHARS;
  b->Dispatch(m);
  EXPECT_EQ(m.Result, DLGC_WANTCHARS);
  b->SetOptions(TPaintBoxOptions{pboWantArrowKeys});
  m.Result = DLGC_WANTCHARS;
  b->Dispatch(m);
  EXPECT_EQ(m.Result, DLGC_WANTARROWS | DLGC_WANTCHARS);

  Integer enters = 0, leaves = 0;
  struct TCounter : TObject {
    Integer* N;
    void Count(TObject*) { ++*N; }
  } ce, cl;
  ce.N = &enters;
  cl.N = &leaves;
  b->SetOnMouseEnter(MakeEvent(&ce, &TCounter::Count));
  b->SetOnMouseLeave(MakeEvent(&cl, &TCounter::Count));
  b->Perform(CM_MOUSEENTER, 0, 0);
  EXPECT_TRUE(b->MouseInControl());
  b->Perform(CM_MOUSELEAVE, 0, 0);
  EXPECT_FALSE(b->MouseInControl());
  EXPECT_EQ(enters, 1);
  EXPECT_EQ(leaves, 1);

  // A press focuses the box only with pboAutoFocus.
  auto* other = Box(Bounds(100, 10, 50, 50));
  other->SetFocus();
  b->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  b->Perform(WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  EXPECT_TRUE(other->Focused());
  b->SetOptions(TPaintBoxOptions{pboAutoFocus});
  b->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  b->Perform(WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  EXPECT_TRUE(b->Focused());
}

TEST_F(Pix32_Image_qn, PaintWithoutParentChangesNothing) {
  TProbeBox b(nullptr);
  b.Paint();
  EXPECT_EQ(b.BufferPaints, 0);
  EXPECT_TRUE(b.ForceFullRepaint());
}

TEST_F(Pix32_Image_qn, AssignCopiesBufferAndSettingsButNotTheLists) {
  TPaintBox32 a(nullptr), b(nullptr);
  a.SetBufferOversize(12);
  a.Buffer()->SetSize(7, 5);
  a.Buffer()->Clear(Color32(0, 128, 0));
  a.SetRepaintMode(rmDirect);
  a.SetOptions(TPaintBoxOptions{pboAutoFocus});
  a.SetBufferValid(true);
  a.InvalidRects()->Add(TRect(1, 1, 2, 2));
  b.Assign(&a);
  EXPECT_EQ(b.Buffer()->Width(), 7);
  EXPECT_EQ(b.Buffer()->GetPixel(3, 3), Color32(0, 128, 0));
  EXPECT_EQ(b.BufferOversize(), 12);
  EXPECT_EQ(b.RepaintMode(), rmDirect);
  EXPECT_EQ(b.Options(), TPaintBoxOptions{pboAutoFocus});
  EXPECT_TRUE(b.BufferValid());
  EXPECT_EQ(b.InvalidRects()->Count(), 0);
  EXPECT_NE(b.RepaintOptimizer(), a.RepaintOptimizer());
}

}  // namespace

}  // namespace t_pix32_image_test
