// Layers: the collection's list bookkeeping and notifications, hit tests
// against a brute-force reference, mouse capture and routing under scripted
// input, change reports, the repaint optimizer's registration, and the
// rubber band's drag states, limits, snapping and picture.
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <vector>

#include "graphics/raster/Pix32_Image_qn.h"
#include "graphics/raster/Pix32_Layers_qn.h"
#include "graphics/raster/Pix32_MicroTiles_qn.h"
#include "graphics/raster/Pix32_RepaintOpt_qn.h"
#include "graphics/raster/Pix32_Resamplers_qn.h"
#include "platform/vcl/Forms.h"
#include "tests/common/Golden.h"

namespace t_pix32_layers_test {

using namespace qn;

namespace {

struct TListLog {
  std::vector<std::pair<TLayerListNotification, Integer>> Entries;
  void Handler(TLayerCollection*, TLayerListNotification Action, TCustomLayer*, Integer Index) {
    Entries.push_back({Action, Index});
  }
};

// Counts what a layer collection reports to its host.
struct THostLog {
  Integer Changes = 0, GDIUpdates = 0;
  std::vector<TCustomLayer*> LayerUpdates;
  std::vector<TRect> Areas;
  Single Scale = 1, ShiftX = 0, ShiftY = 0;
  void Change(TObject*) { ++Changes; }
  void GDI(TObject*) { ++GDIUpdates; }
  void Layer(TObject*, TCustomLayer* L) { LayerUpdates.push_back(L); }
  void Area(TObject*, const TRect& R, Cardinal) { Areas.push_back(R); }
  void GetScale(TObject*, Single& X, Single& Y) { X = Y = Scale; }
  void GetShift(TObject*, Single& X, Single& Y) { X = ShiftX; Y = ShiftY; }
  void Attach(TLayerCollection& C) {
    C.SetOnChange(MakeEvent(this, &THostLog::Change));
    C.SetOnGDIUpdate(MakeEvent(this, &THostLog::GDI));
    C.SetOnLayerUpdated(MakeEvent(this, &THostLog::Layer));
    C.SetOnAreaUpdated(MakeEvent(this, &THostLog::Area));
    C.SetOnGetViewportScale(MakeEvent(this, &THostLog::GetScale));
    C.SetOnGetViewportShift(MakeEvent(this, &THostLog::GetShift));
  }
};

// Records the mouse calls a layer receives.
struct TMouseLog {
  std::vector<std::string> Calls;
  void Down(TObject*, TMouseButton, TShiftState, Integer X, Integer Y) {
    Calls.push_back("down " + std::to_string(X) + "," + std::to_string(Y));
  }
  void Move(TObject*, TShiftState, Integer X, Integer Y) {
    Calls.push_back("move " + std::to_string(X) + "," + std::to_string(Y));
  }
  void Up(TObject*, TMouseButton, TShiftState, Integer X, Integer Y) {
    Calls.push_back("up " + std::to_string(X) + "," + std::to_string(Y));
  }
  void Click(TObject*) { Calls.push_back("click"); }
  void Attach(TCustomLayer* L) {
    L->SetOnMouseDown(MakeEvent(this, &TMouseLog::Down));
    L->SetOnMouseMove(MakeEvent(this, &TMouseLog::Move));
    L->SetOnMouseUp(MakeEvent(this, &TMouseLog::Up));
    L->SetOnClick(MakeEvent(this, &TMouseLog::Click));
  }
};

TPositionedLayer* AddAt(TLayerCollection& C, TFloatRect R) {
  auto* l = C.Add<TPositionedLayer>();
  l->SetLocation(R);
  return l;
}

}  // namespace

TEST(Pix32_Layers_qn, ListOperationsNotifyAndReorder) {
  TListLog log;
  TLayerCollection c(nullptr);
  c.SetOnListNotify(MakeEvent(&log, &TListLog::Handler));

  auto* a = c.Add<TPositionedLayer>();
  // One report from joining the list, one from Add itself.
  ASSERT_EQ(log.Entries.size(), 2u);
  EXPECT_EQ(log.Entries[0], std::make_pair(lnLayerAdded, 0));
  EXPECT_EQ(log.Entries[1], std::make_pair(lnLayerAdded, 0));
  auto* b = c.Add<TBitmapLayer>();
  auto* d = c.Add<TRubberbandLayer>();
  log.Entries.clear();
  auto* ins = c.Insert(1, TCustomLayer::StaticClass());
  EXPECT_EQ(log.Entries.back(), std::make_pair(lnLayerInserted, 1));
  EXPECT_EQ(ins->Index(), 1);
  EXPECT_EQ(ins->LayerOptions(), LAYER_OPT_VISIBLE);
  EXPECT_EQ(b->LayerOptions(), LAYER_OPT_VISIBLE | LAYER_OPT_MOUSE_EVENTS);

  std::vector<TCustomLayer*> order;
  for (TCustomLayer* l : c) order.push_back(l);
  EXPECT_EQ(order, (std::vector<TCustomLayer*>{a, ins, b, d}));
  TLayerEnum e = c.GetEnumerator();
  Integer n = 0;
  while (e.MoveNext()) EXPECT_EQ(e.Current(), order[static_cast<size_t>(n++)]);
  EXPECT_EQ(n, 4);

  d->SetIndex(-5);
  EXPECT_EQ(d->Index(), 0);
  d->SetIndex(c.Count() + 3);
  EXPECT_EQ(d->Index(), 3);
  a->BringToFront();
  EXPECT_EQ(c.Items(3), a);
  a->SendToBack();
  EXPECT_EQ(c.Items(0), a);

  log.Entries.clear();
  c.Delete(1);
  EXPECT_EQ(c.Count(), 3);
  EXPECT_EQ(log.Entries.back(), std::make_pair(lnLayerDeleted, 1));

  // Moving a layer to another collection leaves the first.
  TLayerCollection other(nullptr);
  b->SetLayerCollection(&other);
  EXPECT_EQ(c.Count(), 2);
  EXPECT_EQ(other.Items(0), b);

  TLayerCollection copy(nullptr);
  a->SetLocation(TFloatRect(1, 2, 30, 40));
  copy.Assign(&c);
  ASSERT_EQ(copy.Count(), c.Count());
  for (Integer i = 0; i < c.Count(); ++i) EXPECT_EQ(copy.Items(i)->ClassType(), c.Items(i)->ClassType());
  auto* ca = dynamic_cast<TPositionedLayer*>(copy.Items(c.IndexOf(a)));
  ASSERT_NE(ca, nullptr);
  EXPECT_TRUE(EqualRect(ca->Location(), TFloatRect(1, 2, 30, 40)));

  log.Entries.clear();
  c.Clear();
  EXPECT_EQ(c.Count(), 0);
  EXPECT_EQ(log.Entries.back(), std::make_pair(lnCleared, 0));

  c.BeginUpdate();
  c.EndUpdate();
  EXPECT_THROW(c.EndUpdate(), EAssertionFailed);
}

TEST(Pix32_Layers_qn, HitTestsPickTheTopVisibleLayer) {
  THostLog host;
  TLayerCollection c(nullptr);
  auto* p = AddAt(c, TFloatRect(10, 10, 20, 20));
  EXPECT_EQ(c.FindLayerAtPos(10, 10, LAYER_OPT_MOUSE_EVENTS), p);
  EXPECT_EQ(c.FindLayerAtPos(20, 15, LAYER_OPT_MOUSE_EVENTS), nullptr);
  EXPECT_EQ(c.FindLayerAtPos(19, 19, LAYER_OPT_MOUSE_EVENTS), p);
  auto* q = AddAt(c, TFloatRect(15, 15, 40, 40));
  EXPECT_EQ(c.FindLayerAtPos(16, 16, LAYER_OPT_MOUSE_EVENTS), q);
  q->SetVisible(false);
  EXPECT_EQ(c.FindLayerAtPos(16, 16, LAYER_OPT_MOUSE_EVENTS), p);
  EXPECT_EQ(c.FindLayerAtPos(30, 30, LAYER_OPT_MOUSE_EVENTS), nullptr);

  // A hit-test event may overrule the layer's own answer.
  struct TVeto {
    void Hit(TObject*, Integer X, Integer, bool& Passed) { Passed = Passed && X != 12; }
  } veto;
  p->SetOnHitTest(MakeEvent(&veto, &TVeto::Hit));
  EXPECT_EQ(c.FindLayerAtPos(12, 12, LAYER_OPT_MOUSE_EVENTS), nullptr);
  EXPECT_EQ(c.FindLayerAtPos(13, 12, LAYER_OPT_MOUSE_EVENTS), p);

  // Scaled layers are hit where the host shows them.
  host.Attach(c);
  host.Scale = 2;
  host.ShiftX = 100;
  host.ShiftY = 50;
  auto* s = AddAt(c, TFloatRect(0, 0, 10, 10));
  s->SetScaled(true);
  EXPECT_EQ(c.FindLayerAtPos(100, 50, LAYER_OPT_MOUSE_EVENTS), s);
  EXPECT_EQ(c.FindLayerAtPos(119, 69, LAYER_OPT_MOUSE_EVENTS), s);
  EXPECT_EQ(c.FindLayerAtPos(120, 60, LAYER_OPT_MOUSE_EVENTS), nullptr);
  const TFloatPoint v = c.LocalToViewport(TFloatPoint(3, 4), true);
  EXPECT_FLOAT_EQ(v.X, 106);
  EXPECT_FLOAT_EQ(v.Y, 58);
  const TFloatPoint l = c.ViewportToLocal(v, true);
  EXPECT_FLOAT_EQ(l.X, 3);
  EXPECT_FLOAT_EQ(l.Y, 4);
}

// Random stacks of layers, shuffled by SetIndex and visibility, against a
// plain top-down search.
TEST(Pix32_Layers_qn, FindLayerAtPosMatchesReference) {
  std::mt19937 rng(7);
  for (int round = 0; round < 40; ++round) {
    TLayerCollection c(nullptr);
    const int count = 1 + int(rng() % 12);
    for (int i = 0; i < count; ++i) {
      const float x = float(rng() % 60), y = float(rng() % 60);
      auto* l = AddAt(c, TFloatRect(x, y, x + 1 + float(rng() % 40), y + 1 + float(rng() % 40)));
      if (rng() % 4 == 0) l->SetVisible(false);
      if (rng() % 5 == 0) l->SetMouseEvents(false);
    }
    for (int i = 0; i < 10; ++i) c.Items(int(rng() % unsigned(count)))->SetIndex(int(rng() % 20) - 5);
    for (int probe = 0; probe < 60; ++probe) {
      const int x = int(rng() % 110) - 5, y = int(rng() % 110) - 5;
      TCustomLayer* expected = nullptr;
      for (int i = c.Count() - 1; i >= 0 && !expected; --i) {
        auto* l = static_cast<TPositionedLayer*>(c.Items(i));
        const TFloatRect& r = l->Location();
        if (l->Visible() && l->MouseEvents() && r.Left <= x && x < r.Right && r.Top <= y && y < r.Bottom)
          expected = l;
      }
      ASSERT_EQ(c.FindLayerAtPos(x, y, LAYER_OPT_MOUSE_EVENTS), expected) << round << " " << x << "," << y;
    }
  }
}

TEST(Pix32_Layers_qn, BitmapLayerAlphaHitAndAreaUnderScale) {
  THostLog host;
  TLayerCollection c(nullptr);
  host.Attach(c);
  auto* b = c.Add<TBitmapLayer>();
  b->Bitmap()->SetSize(10, 10);
  b->Bitmap()->Clear(0xFF336699u);
  b->Bitmap()->FillRectS(0, 0, 5, 10, 0x00000000u);  // left half transparent
  b->SetLocation(TFloatRect(100, 100, 120, 120));
  EXPECT_TRUE(c.FindLayerAtPos(102, 105, LAYER_OPT_MOUSE_EVENTS) == b);
  b->SetAlphaHit(true);
  EXPECT_EQ(c.FindLayerAtPos(102, 105, LAYER_OPT_MOUSE_EVENTS), nullptr);
  EXPECT_EQ(c.FindLayerAtPos(115, 105, LAYER_OPT_MOUSE_EVENTS), b);
  // A layer squeezed below a pixel is never hit.
  b->SetLocation(TFloatRect(100, 100, 100.4f, 120));
  EXPECT_EQ(c.FindLayerAtPos(100, 105, LAYER_OPT_MOUSE_EVENTS), nullptr);

  // A bitmap edit reports its area in viewport pixels, grown by the
  // resampler's reach plus one.
  host.Scale = 2;
  host.ShiftX = 5;
  host.ShiftY = 7;
  b->SetScaled(true);
  b->SetLocation(TFloatRect(10, 20, 30, 40));  // shown at (25, 47)-(65, 87): 4 px per bitmap pixel
  new TLinearResampler(b->Bitmap());
  host.Areas.clear();
  b->Bitmap()->FillRectS(2, 3, 4, 5, 0xFFFF0000u);
  ASSERT_FALSE(host.Areas.empty());
  EXPECT_EQ(host.Areas.back(), TRect(25 + 8 - 2, 47 + 12 - 2, 25 + 16 + 2, 47 + 20 + 2));
  // Not when the layer asks for no updates.
  host.Areas.clear();
  b->SetLayerOptions(b->LayerOptions() | LAYER_OPT_NO_UPDATE);
  b->Bitmap()->FillRectS(2, 3, 4, 5, 0xFF00FF00u);
  EXPECT_TRUE(host.Areas.empty());
}

TEST(Pix32_Layers_qn, ChangesAreReportedByVisibility) {
  THostLog host;
  TLayerCollection c(nullptr);
  host.Attach(c);
  auto* p = AddAt(c, TFloatRect(0, 0, 10, 10));
  host.LayerUpdates.clear();
  p->SetLocation(TFloatRect(1, 1, 11, 11));
  EXPECT_EQ(host.LayerUpdates, std::vector<TCustomLayer*>{p});

  // Hiding reports the area it covered once; changes while hidden none.
  host.LayerUpdates.clear();
  p->SetVisible(false);
  EXPECT_EQ(host.LayerUpdates, std::vector<TCustomLayer*>{p});
  EXPECT_FALSE(p->ForceUpdate());
  p->SetLocation(TFloatRect(2, 2, 12, 12));
  EXPECT_EQ(host.LayerUpdates.size(), 1u);

  // A hidden GDI-overlay layer's changes reach the host as a GDI update.
  const Integer gdi = host.GDIUpdates;
  p->SetLayerOptions(p->LayerOptions() | LAYER_OPT_GDI_OVERLAY);
  EXPECT_GT(host.GDIUpdates, gdi);

  // The invalid flag is a plain mark: no report.
  p->SetVisible(true);
  host.LayerUpdates.clear();
  const Integer changes = host.Changes;
  p->SetInvalid(true);
  EXPECT_TRUE(p->Invalid());
  EXPECT_TRUE(host.LayerUpdates.empty());
  EXPECT_EQ(host.Changes, changes);

  // Rubber-band handle looks are GDI updates only, and skipped while the
  // collection is inside an update bracket.
  auto* rb = c.Add<TRubberbandLayer>();
  const Integer before = host.GDIUpdates;
  rb->SetHandleSize(0);
  EXPECT_EQ(rb->HandleSize(), 1);
  EXPECT_EQ(host.GDIUpdates, before + 1);
  c.BeginUpdate();
  rb->SetHandleFill(0xFF123456u);
  c.EndUpdate();
  EXPECT_EQ(host.GDIUpdates, before + 1);
  rb->SetLayerOptions(LAYER_OPT_VISIBLE | LAYER_OPT_NO_UPDATE);
  EXPECT_EQ(rb->LayerOptions(), LAYER_OPT_VISIBLE);
}

TEST(Pix32_Layers_qn, MouseCaptureAndRouting) {
  TLayerCollection c(nullptr);
  auto* lower = AddAt(c, TFloatRect(0, 0, 50, 50));
  auto* upper = AddAt(c, TFloatRect(40, 40, 80, 80));
  TMouseLog lowLog, upLog;
  lowLog.Attach(lower);
  upLog.Attach(upper);

  EXPECT_EQ(c.MouseMove({}, 45, 45), upper);
  EXPECT_EQ(c.MouseDown(TMouseButton::mbLeft, {ssLeft}, 45, 45), upper);
  EXPECT_EQ(c.MouseListener(), upper);
  EXPECT_TRUE(upper->LayerStates().Contains(lsMouseLeft));
  // Captured: moves far outside still go to the pressed layer.
  EXPECT_EQ(c.MouseMove({ssLeft}, 5, 5), upper);
  c.MouseDown(TMouseButton::mbRight, {ssLeft, ssRight}, 6, 6);
  c.MouseUp(TMouseButton::mbLeft, {ssRight}, 7, 7);
  EXPECT_EQ(c.MouseListener(), upper) << "a button is still held";
  c.MouseUp(TMouseButton::mbRight, {}, 8, 8);
  EXPECT_EQ(c.MouseListener(), nullptr);
  EXPECT_TRUE(upper->LayerStates().Empty());
  EXPECT_EQ(c.MouseMove({}, 5, 5), lower);
  EXPECT_EQ(upLog.Calls, (std::vector<std::string>{"move 45,45", "down 45,45", "move 5,5", "down 6,6", "click",
                                                   "up 7,7", "up 8,8"}));
  EXPECT_EQ(lowLog.Calls, std::vector<std::string>{"move 5,5"});

  // A layer that does not capture gets no press while it is not listening.
  lowLog.Calls.clear();
  lower->SetLayerOptions(lower->LayerOptions() | LAYER_OPT_NO_CAPTURE);
  EXPECT_EQ(c.MouseDown(TMouseButton::mbLeft, {ssLeft}, 5, 5), lower);
  EXPECT_EQ(c.MouseListener(), nullptr);
  EXPECT_TRUE(lowLog.Calls.empty());
  c.MouseUp(TMouseButton::mbLeft, {}, 5, 5);
  EXPECT_EQ(lowLog.Calls, std::vector<std::string>{"up 5,5"});
  // ... unless it is made the listener.
  lowLog.Calls.clear();
  lower->SetAsMouseListener();
  c.MouseDown(TMouseButton::mbLeft, {ssLeft, ssDouble}, 5, 5);
  EXPECT_EQ(lowLog.Calls, std::vector<std::string>{"down 5,5"});

  // A listener that leaves the collection releases the mouse.
  delete lower;
  EXPECT_EQ(c.MouseListener(), nullptr);
  upper->SetAsMouseListener();
  c.SetMouseEvents(false);
  EXPECT_EQ(c.MouseListener(), nullptr);
}

TEST(Pix32_Layers_qn, FreeNotificationsAndRubberbandChild) {
  TLayerCollection c(nullptr);
  auto* child = AddAt(c, TFloatRect(10, 10, 60, 40));
  auto* rb = c.Add<TRubberbandLayer>();
  rb->SetChildLayer(child);
  EXPECT_TRUE(EqualRect(rb->Location(), child->Location()));
  rb->SetLocation(TFloatRect(20, 20, 70, 50));
  EXPECT_TRUE(EqualRect(child->Location(), TFloatRect(20, 20, 70, 50)));
  struct TDestroyed {
    int Count = 0;
    void On(TObject*) { ++Count; }
  } destroyed;
  child->SetOnDestroy(MakeEvent(&destroyed, &TDestroyed::On));
  delete child;
  EXPECT_EQ(destroyed.Count, 1);
  EXPECT_EQ(rb->ChildLayer(), nullptr);

  // The rubber band freed before its child must not be called back.
  auto* child2 = AddAt(c, TFloatRect(0, 0, 20, 20));
  rb->SetChildLayer(child2);
  delete rb;
  delete child2;  // would reach the freed rubber band without the fix
  EXPECT_EQ(c.Count(), 0);
}

namespace {

// An optimizer that only records what registered collections tell it.
class TRecordingOptimizer : public TMicroTilesRepaintOptimizer {
 public:
  TRecordingOptimizer() : TMicroTilesRepaintOptimizer(nullptr, nullptr) {}
  std::vector<TLayerListNotification> Seen;
  void LayerCollectionNotifyHandler(TLayerCollection*, TLayerListNotification Action, TCustomLayer*,
                                    Integer) override {
    Seen.push_back(Action);
  }
};

}  // namespace

TEST(Pix32_Layers_qn, OptimizerRegistersCollections) {
  TLayerCollection a(nullptr), b(nullptr);
  {
    TRecordingOptimizer opt;
    opt.RegisterLayerCollection(&a);
    opt.RegisterLayerCollection(&a);
    opt.RegisterLayerCollection(&b);
    EXPECT_EQ(opt.LayerCollections().size(), 2u);
    a.Add<TPositionedLayer>();
    EXPECT_EQ(opt.Seen, (std::vector<TLayerListNotification>{lnLayerAdded, lnLayerAdded}));
    opt.UnregisterLayerCollection(&b);
    EXPECT_FALSE(Assigned(b.OnListNotify()));
    EXPECT_EQ(opt.LayerCollections().size(), 1u);
    EXPECT_TRUE(Assigned(a.OnListNotify()));
  }
  // The optimizer's end detached the collection still registered.
  EXPECT_FALSE(Assigned(a.OnListNotify()));
  a.Add<TPositionedLayer>();
}

namespace {

// A rubber band on a scaled layer of a host showing it at twice the size,
// moved by (10, 20); location (10, 10, 60, 40) shows at (30, 40)-(130, 100).
struct TBandRig {
  THostLog Host;
  TLayerCollection C{nullptr};
  TRubberbandLayer* Band;
  TBandRig() {
    Host.Attach(C);
    Host.Scale = 2;
    Host.ShiftX = 10;
    Host.ShiftY = 20;
    Band = C.Add<TRubberbandLayer>();
    Band->SetScaled(true);
    Band->SetLocation(TFloatRect(10, 10, 60, 40));
  }
  void Drag(Integer X0, Integer Y0, Integer X1, Integer Y1, TShiftState Shift = {}) {
    C.MouseDown(TMouseButton::mbLeft, Shift + TShiftState{ssLeft}, X0, Y0);
    C.MouseMove(Shift + TShiftState{ssLeft}, X1, Y1);
    C.MouseUp(TMouseButton::mbLeft, Shift, X1, Y1);
  }
};

}  // namespace

TEST(Pix32_Layers_qn, RubberbandDragStatesAndCursors) {
  TBandRig rig;
  TRubberbandLayer* b = rig.Band;
  // Shown rectangle (30, 40)-(129, 99) after the inclusive adjustment.
  struct TCase {
    Integer X, Y;
    TRBDragState State;
    TCursor Cursor;
  };
  const TCase cases[] = {
      {129, 99, dsSizeBR, crSizeNWSE}, {30, 99, dsSizeBL, crSizeNESW},  {129, 40, dsSizeTR, crSizeNESW},
      {30, 40, dsSizeTL, crSizeNWSE},  {129, 69, dsSizeR, crSizeWE},    {79, 99, dsSizeB, crSizeNS},
      {30, 69, dsSizeL, crSizeWE},     {79, 40, dsSizeT, crSizeNS},     {60, 60, dsMove, crDefault},
      {200, 200, dsNone, crDefault},   {125, 95, dsSizeBR, crSizeNWSE}, {134, 69, dsNone, crDefault},
  };
  b->SetCursor(crHandPoint);
  for (const TCase& k : cases) {
    EXPECT_EQ(b->GetDragState(k.X, k.Y), k.State) << k.X << "," << k.Y;
    Screen->SetCursor(crHourGlass);
    b->SetAsMouseListener();
    rig.C.MouseMove({}, k.X, k.Y);
    rig.C.SetMouseListener(nullptr);
    EXPECT_EQ(Screen->Cursor(), k.State == dsMove ? crHandPoint : k.Cursor) << k.X << "," << k.Y;
  }
  // Excluded handles fall through to the next rule.
  b->SetHandles({rhCenter, rhSides, rhCorners, rhFrame, rhNotBRCorner});
  EXPECT_EQ(b->GetDragState(129, 99), dsNone);
  EXPECT_EQ(b->GetDragState(129, 97), dsNone);
  b->SetHandles({rhSides, rhFrame});
  EXPECT_EQ(b->GetDragState(129, 99), dsNone);
  EXPECT_EQ(b->GetDragState(60, 60), dsNone);
  EXPECT_FALSE(b->HitTest(60, 60));
  Screen->SetCursor(crDefault);
}

TEST(Pix32_Layers_qn, RubberbandMovesAndResizesWithLimits) {
  {
    TBandRig rig;
    struct TCount {
      int N = 0;
      void On(TObject*) { ++N; }
    } changes;
    rig.Band->SetOnUserChange(MakeEvent(&changes, &TCount::On));
    // Drag the right handle (x 129) far left of the left edge: MinWidth stays.
    rig.Drag(129, 69, 0, 69);
    EXPECT_TRUE(EqualRect(rig.Band->Location(), TFloatRect(10, 10, 20, 40)));
    EXPECT_EQ(changes.N, 1);
    EXPECT_FALSE(rig.Band->IsDragging());
    // A maximum above the minimum caps the width.
    rig.Band->SetMaxWidth(30);
    rig.Drag(49, 69, 400, 69);  // right handle now shown at x 49
    EXPECT_TRUE(EqualRect(rig.Band->Location(), TFloatRect(10, 10, 40, 40)));
    // Moving keeps the size; the press point stays under the pointer.
    rig.Drag(50, 60, 70, 80);
    EXPECT_TRUE(EqualRect(rig.Band->Location(), TFloatRect(20, 20, 50, 50)));
    // A drag that changes nothing fires no user change.
    const int n = changes.N;
    rig.Drag(60, 70, 60, 70);
    EXPECT_EQ(changes.N, n);
  }
  {
    // Snapping: a move to x = 13 puts the left edge on 16, or at 13 with Alt.
    TLayerCollection c(nullptr);
    auto* b = c.Add<TRubberbandLayer>();
    b->SetLocation(TFloatRect(0, 0, 100, 50));
    b->SetOptions({roQuantized});
    c.MouseDown(TMouseButton::mbLeft, {ssLeft}, 40, 20);
    c.MouseMove({ssLeft}, 53, 20);
    EXPECT_FLOAT_EQ(b->Location().Left, 16);
    EXPECT_FLOAT_EQ(b->Location().Right, 116);
    c.MouseMove({ssLeft, ssAlt}, 53, 20);
    EXPECT_FLOAT_EQ(b->Location().Left, 13);
    c.MouseUp(TMouseButton::mbLeft, {}, 53, 20);
    EXPECT_THROW(b->SetQuantized(0), Exception);
    EXPECT_EQ(b->Quantized(), 8);
    b->SetLocation(TFloatRect(3, 5, 13, 21));
    b->Quantize();
    EXPECT_TRUE(EqualRect(b->Location(), TFloatRect(0, 8, 16, 24)));
  }
  {
    // Proportional sizing, and a start with no width keeps the drag sane.
    TLayerCollection c(nullptr);
    auto* b = c.Add<TRubberbandLayer>();
    b->SetOptions({roProportional});
    b->SetLocation(TFloatRect(0, 0, 100, 50));
    c.MouseDown(TMouseButton::mbLeft, {ssLeft}, 100, 25);
    c.MouseMove({ssLeft}, 200, 25);
    c.MouseUp(TMouseButton::mbLeft, {}, 200, 25);
    EXPECT_TRUE(EqualRect(b->Location(), TFloatRect(0, 0, 200, 100)));

    b->SetMinWidth(0);
    b->SetMinHeight(0);
    b->SetLocation(TFloatRect(50, 10, 50, 60));
    b->SetHandles({rhSides});
    b->SetDragState(dsSizeR, 50, 35);
    b->SetAsMouseListener();
    c.MouseMove({ssLeft}, 80, 35);
    const TFloatRect r = b->Location();
    EXPECT_FLOAT_EQ(r.Right, 80);
    EXPECT_FLOAT_EQ(r.Bottom, 60);
    EXPECT_TRUE(std::isfinite(r.Top) && std::isfinite(r.Bottom));
  }
  {
    // Constraining and resizing handlers see the proposed rectangle.
    TLayerCollection c(nullptr);
    auto* b = c.Add<TRubberbandLayer>();
    b->SetLocation(TFloatRect(0, 0, 100, 50));
    b->SetOptions({roConstrained});
    struct TClamp {
      void Constrain(TObject*, const TFloatRect&, TFloatRect& N, TRBDragState, TShiftState) {
        if (N.Left < 0) { N.Right -= N.Left; N.Left = 0; }
      }
    } clamp;
    b->SetOnConstrain(MakeEvent(&clamp, &TClamp::Constrain));
    c.MouseDown(TMouseButton::mbLeft, {ssLeft}, 50, 25);
    c.MouseMove({ssLeft}, 10, 25);
    c.MouseUp(TMouseButton::mbLeft, {}, 10, 25);
    EXPECT_TRUE(EqualRect(b->Location(), TFloatRect(0, 0, 100, 50)));
  }
}

TEST(Pix32_Layers_qn, RubberbandPassesPressesOn) {
  TLayerCollection c(nullptr);
  auto* child = AddAt(c, TFloatRect(0, 0, 100, 100));
  auto* other = AddAt(c, TFloatRect(20, 20, 40, 40));
  auto* b = c.Add<TRubberbandLayer>();
  b->SetChildLayer(child);
  TMouseLog childLog, otherLog;
  childLog.Attach(child);
  otherLog.Attach(other);
  b->PassMouseToChild()->SetEnabled(true);
  b->PassMouseToChild()->SetToChild(true);
  c.MouseDown(TMouseButton::mbLeft, {ssLeft}, 30, 30);
  EXPECT_EQ(childLog.Calls, std::vector<std::string>{"down 30,30"});
  EXPECT_TRUE(b->IsDragging());
  c.MouseUp(TMouseButton::mbLeft, {}, 30, 30);
  EXPECT_EQ(childLog.Calls.back(), "up 30,30");

  b->PassMouseToChild()->SetToChild(false);
  b->PassMouseToChild()->SetToLayerUnderCursor(true);
  b->PassMouseToChild()->SetCancelIfPassed(true);
  // The top positioned layer under the cursor other than the band itself.
  c.MouseDown(TMouseButton::mbLeft, {ssLeft}, 30, 30);
  EXPECT_EQ(otherLog.Calls, std::vector<std::string>{"down 30,30"});
  EXPECT_FALSE(b->IsDragging()) << "cancelled once passed";
  c.MouseUp(TMouseButton::mbLeft, {}, 30, 30);
}

namespace {

vcl::TScreenImage ToImage(TBitmap32& B) {
  vcl::TScreenImage img;
  img.Width = B.Width();
  img.Height = B.Height();
  img.Pixels.assign(B.Bits(), B.Bits() + size_t(B.Width()) * size_t(B.Height()));
  return img;
}

}  // namespace

// A bitmap layer with soft alpha drawn at 1.5 times its size over a
// checker, and a rubber band framing it.
TEST(Pix32_Layers_qn, FramePaintedOverBitmapLayer) {
  TBitmap32 buffer;
  buffer.SetSize(80, 60);
  for (int y = 0; y < 60; ++y)
    for (int x = 0; x < 80; ++x) buffer.SetPixel(x, y, ((x / 8 + y / 8) & 1) ? 0xFFC8C8C8u : 0xFFF0F0F0u);
  TLayerCollection c(nullptr);
  auto* bl = c.Add<TBitmapLayer>();
  bl->Bitmap()->SetSize(24, 20);
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 24; ++x)
      bl->Bitmap()->SetPixel(x, y, Cardinal(x * 10 + 15) << 24 | 0x002060C0u);
  bl->Bitmap()->SetDrawMode(TDrawMode::dmBlend);
  new TLinearResampler(bl->Bitmap());
  bl->SetLocation(TFloatRect(14, 12, 50, 42));
  auto* rb = c.Add<TRubberbandLayer>();
  rb->SetChildLayer(bl);
  for (TCustomLayer* l : c) l->DoPaint(&buffer);

  // Probes: stipple white/black along the top edge, a filled handle with a
  // black frame at the top-left corner, the layer blended over the checker.
  EXPECT_EQ(buffer.GetPixel(22, 12), 0xFFFFFFFFu);
  EXPECT_EQ(buffer.GetPixel(20, 12), 0xFF000000u);
  EXPECT_EQ(buffer.GetPixel(14, 12), 0xFFFFFFFFu);  // handle fill at the corner
  EXPECT_EQ(buffer.GetPixel(11, 9), 0xFF000000u);   // handle frame
  EXPECT_EQ(buffer.GetPixel(5, 5), 0xFFF0F0F0u);    // untouched
  const TColor32 inside = buffer.GetPixel(46, 30);
  EXPECT_GT(inside & 0xFF, 0xA0u);                // mostly the layer's blue
  EXPECT_LT((inside >> 16) & 0xFF, 0x80u);
  qntest::ExpectMatchesGolden(ToImage(buffer), "layers-frame", 2, 0);
}

}  // namespace t_pix32_layers_test
