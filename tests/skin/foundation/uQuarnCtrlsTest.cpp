// The skinned-control base: backgrounds taken from skinned parents, plain
// platform parents and providers; the 0x0BD1 protocol; the delayed refresh
// on the virtual clock; repaint rules and buffer sizes.
#include <gtest/gtest.h>

#include <memory>

#include "platform/desktop/Desktop.h"
#include "platform/vcl/ControlMessages.h"
#include "skin/foundation/uQuarnCtrls.h"
#include "tests/platform/user/UserTestSupport.h"

namespace t_u_quarn_ctrls_test {

using namespace qn;

namespace {

// A plain platform container painting a pattern, the root of a tree on a
// top-level window.
class TPlainRoot : public TCustomControl {
  QN_CLASS(TPlainRoot, TCustomControl)
 public:
  explicit TPlainRoot(TComponent* AOwner) : TCustomControl(AOwner) {
    SetControlStyle(ControlStyle() + TControlStyle{csAcceptsControls});
  }

 protected:
  void Paint() override {
    for (Integer y = 0; y < Height(); y += 4) {
      Canvas()->Brush()->SetColor(static_cast<TColor>(0x00103050 + (y % 200) * 0x000101));
      Canvas()->FillRect(TRect(0, y, Width(), y + 4));
    }
  }
};

// A skinned control with counters; Gradient paints an opaque pattern over
// its background, Glass a translucent rounded body.
class TProbe : public TQuarnCustomControl {
  QN_CLASS(TProbe, TQuarnCustomControl)
 public:
  explicit TProbe(TComponent* AOwner) : TQuarnCustomControl(AOwner) {
    SetControlStyle(ControlStyle() + TControlStyle{csAcceptsControls});
  }
  enum class TLook { None, Gradient, Glass } Look = TLook::None;
  Integer Bodies = 0, StoppedBodies = 0, Checks = 0;
  using TQuarnCustomControl::FBufferValid;

 protected:
  void DrawBody(TBitmap32* B) override {
    ++Bodies;
    if (StopDrawBody()) ++StoppedBodies;
    if (Look == TLook::Gradient)
      for (Integer y = 0; y < B->Height(); ++y)
        for (Integer x = 0; x < B->Width(); ++x)
          B->SetPixel(x, y, Color32(Byte(x * 2), Byte(y * 3), Byte(200 - x), 255));
    if (Look == TLook::Glass) B->FillRectTS(2, 2, B->Width() - 2, B->Height() - 2, 0x80FFFFFFu);
  }
  void Dispatch(TMessage& M) override {
    if (M.Msg == CWM_CHECKPARENTBG) ++Checks;
    TQuarnCustomControl::Dispatch(M);
  }
};

// A platform container that offers a picture of its own.
class TProviderRoot : public TCustomControl, public IQnBackgroundProvider {
  QN_CLASS(TProviderRoot, TCustomControl)
 public:
  explicit TProviderRoot(TComponent* AOwner) : TCustomControl(AOwner) {
    SetControlStyle(ControlStyle() + TControlStyle{csAcceptsControls});
  }
  TBitmap32 Picture;
  TBitmap32* GetBackgroundPicture() override { return &Picture; }
};

class uQuarnCtrls : public usertest::ServerTest {
 protected:
  void SetUp() override {
    usertest::ServerTest::SetUp();
    SetVirtualClock(true);
    FHost = usertest::MakeTop(40, 40, 400, 300);
  }
  void TearDown() override {
    FRoots.clear();
    FreeDeviceContexts();
    SetVirtualClock(false);
    usertest::ServerTest::TearDown();
  }
  template <class T>
  T* Root(Integer W = 400, Integer H = 300) {
    auto r = std::make_unique<T>(nullptr);
    r->SetBounds(0, 0, W, H);
    r->SetParentWindow(FHost);
    T* p = r.get();
    FRoots.push_back(std::unique_ptr<TWinControl>(r.release()));
    return p;
  }
  template <class T = TProbe>
  T* Child(TWinControl* Parent, Integer X, Integer Y, Integer W, Integer H) {
    auto* c = new T(Parent);  // owned and freed by the parent
    c->SetParent(Parent);
    c->SetBounds(X, Y, W, H);
    return c;
  }
  HWND FHost = nullptr;
  std::vector<std::unique_ptr<TWinControl>> FRoots;
};

// Pixels of B (at its own origin) against Ref at (X, Y), colour only.
Integer Mismatches(TBitmap32* B, TBitmap32* Ref, Integer X, Integer Y) {
  Integer bad = 0;
  for (Integer y = 0; y < B->Height(); ++y)
    for (Integer x = 0; x < B->Width(); ++x)
      if ((B->GetPixel(x, y) & 0xFFFFFFu) != (Ref->GetPixel(X + x, Y + y) & 0xFFFFFFu)) ++bad;
  return bad;
}

TEST_F(uQuarnCtrls, TransparentDescendantsShowTheSkinnedParentsPicture) {
  auto* root = Root<TPlainRoot>();
  auto* parent = Child(root, 10, 10, 300, 200);
  parent->Look = TProbe::TLook::Gradient;
  parent->SetTransparent(false);
  auto* child = Child(parent, 20, 30, 200, 120);
  auto* grandchild = Child(child, 15, 25, 100, 50);
  usertest::Pump();
  EXPECT_TRUE(child->Transparent());
  EXPECT_EQ(child->Color(), clWhite);
  ASSERT_EQ(grandchild->Buffer()->Width(), 100);
  ASSERT_EQ(grandchild->Buffer()->Height(), 50);
  EXPECT_EQ(Mismatches(child->Buffer(), parent->Buffer(), 20, 30), 0);
  EXPECT_EQ(Mismatches(grandchild->Buffer(), parent->Buffer(), 35, 55), 0);
  // And on the screen, at the same points.
  TScreenImage screen = CaptureWindow(FHost, true);
  Integer bad = 0;
  for (Integer y = 0; y < 50; ++y)
    for (Integer x = 0; x < 100; ++x)
      if ((screen.Pixel(10 + 35 + x, 10 + 55 + y) & 0xFFFFFFu) != (parent->Buffer()->GetPixel(35 + x, 55 + y) & 0xFFFFFFu))
        ++bad;
  EXPECT_EQ(bad, 0);
}

TEST_F(uQuarnCtrls, PlainParentsArePaintedAndProvidersAsked) {
  auto* root = Root<TPlainRoot>();
  auto* probe = Child(root, 37, 21, 90, 60);
  usertest::Pump();
  // The platform parent painted into a buffer of its own as the reference.
  TBitmap32 ref;
  ref.SetSize(400, 300);
  HDC dc = ref.GetHDC();
  root->Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(dc));
  root->Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
  EXPECT_EQ(Mismatches(probe->Buffer(), &ref, 37, 21), 0);

  auto* provider = Root<TProviderRoot>(200, 100);
  provider->Picture.SetSize(150, 100);  // narrower than the parent
  provider->Picture.Clear(0xFF112233u);
  provider->SetColor(static_cast<TColor>(0x00405060));
  auto* onProvider = Child(provider, 120, 10, 60, 40);
  usertest::Pump();
  TBitmap32* b = onProvider->Buffer();
  EXPECT_EQ(b->GetPixel(5, 5) & 0xFFFFFFu, 0x112233u);
  // Beyond the picture: the parent's colour.
  EXPECT_EQ(b->GetPixel(45, 5) & 0xFFFFFFu, 0x605040u);

  // At design time the parent is painted even when it offers a picture.
  TBitmap32 buf;
  buf.SetSize(60, 40);
  onProvider->SetDesigning(true);
  GetParentImage(onProvider, &buf, onProvider->BoundsRect());
  EXPECT_NE(buf.GetPixel(5, 5) & 0xFFFFFFu, 0x112233u);
  onProvider->SetDesigning(false);

  // Without a parent nothing is read: the control's own colour.
  TProbe lone(nullptr);
  lone.SetColor(static_cast<TColor>(0x000000FF));
  DrawParentImage(&lone, &buf, TRect(0, 0, 60, 40));
  EXPECT_EQ(buf.GetPixel(10, 10) & 0xFFFFFFu, 0xFF0000u);
}

TEST_F(uQuarnCtrls, AParentsChangeReachesTheChildrenOnceThrough0x0BD1) {
  auto* root = Root<TPlainRoot>();
  auto* parent = Child(root, 0, 0, 300, 200);
  parent->SetTransparent(false);
  auto* child = Child(parent, 10, 10, 100, 80);
  auto* grandchild = Child(child, 5, 5, 40, 30);
  usertest::Pump();
  const Integer childBodies = child->Bodies, grandBodies = grandchild->Bodies;

  parent->SetColor(static_cast<TColor>(0x0000FF00));
  parent->SetColor(static_cast<TColor>(0x00FF0000));  // twice before any paint
  usertest::Pump();
  EXPECT_EQ(grandchild->Buffer()->GetPixel(3, 3) & 0xFFFFFFu, 0x0000FFu);
  EXPECT_GE(child->Checks, 1);
  EXPECT_LE(child->Bodies - childBodies, 2);  // no flood
  EXPECT_LE(grandchild->Bodies - grandBodies, 3);

  // An opaque child is no one's business of the protocol.
  const Integer checks = child->Checks;
  child->SetTransparent(false);
  parent->Invalidate();
  usertest::Pump();
  EXPECT_EQ(child->Checks, checks);
}

TEST_F(uQuarnCtrls, TransparentStoresAndColorRepaints) {
  auto* root = Root<TPlainRoot>();
  auto* probe = Child(root, 10, 10, 50, 40);
  usertest::Pump();
  const Integer bodies = probe->Bodies;
  probe->SetTransparent(false);
  usertest::Pump();
  EXPECT_EQ(probe->Bodies, bodies);
  probe->SetColor(static_cast<TColor>(0x00204080));
  usertest::Pump();
  EXPECT_EQ(probe->Bodies, bodies + 1);
  EXPECT_EQ(probe->Buffer()->GetPixel(4, 4) & 0xFFFFFFu, 0x804020u);

  // The buffer follows the size exactly, both ways.
  probe->SetBounds(10, 10, 100, 40);
  probe->SetBounds(10, 10, 101, 40);
  EXPECT_EQ(probe->Buffer()->Width(), 101);
  probe->SetBounds(10, 10, 100, 40);
  EXPECT_EQ(probe->Buffer()->Width(), 100);
}

TEST_F(uQuarnCtrls, HalfOutsideItsParentItRebuildsOnEveryPaint) {
  auto* root = Root<TPlainRoot>();
  auto* inside = Child(root, 10, 10, 50, 40);
  auto* outside = Child(root, 380, 10, 50, 40);
  usertest::Pump();
  EXPECT_TRUE(inside->InsideParent());
  EXPECT_FALSE(outside->InsideParent());
  const Integer in0 = inside->Bodies, out0 = outside->Bodies;
  for (int i = 0; i < 3; ++i) {
    InvalidateRect(inside->Handle(), nullptr, false);
    InvalidateRect(outside->Handle(), nullptr, false);
    usertest::Pump();
  }
  EXPECT_EQ(inside->Bodies, in0);
  EXPECT_EQ(outside->Bodies, out0 + 3);
}

TEST_F(uQuarnCtrls, DelayedRefreshOnTheVirtualClock) {
  auto* root = Root<TPlainRoot>();
  auto* probe = Child(root, 10, 10, 60, 40);
  probe->SetDelayRefresh(true);
  usertest::Pump();
  const DWORD start = GetTickCount();
  const Integer bodies = probe->Bodies, stopped = probe->StoppedBodies;
  probe->SetBounds(10, 10, 80, 50);
  EXPECT_TRUE(probe->StopDrawBody());
  usertest::Pump();  // paints while stopped
  EXPECT_GT(probe->StoppedBodies, stopped);
  EXPECT_TRUE(probe->StopDrawBody());
  // Retrieval waits for the timer: 10 ms later one repaint with the body.
  MSG m;
  while (probe->StopDrawBody() && GetMessageW(&m, nullptr, 0, 0) > 0) DispatchMessageW(&m);
  EXPECT_EQ(GetTickCount() - start, 10u);
  const Integer after = probe->Bodies;
  usertest::Pump();
  EXPECT_EQ(probe->Bodies, after + 1);
  EXPECT_GT(after, bodies);

  // A foreign timer id goes on to the platform.
  TMessage t;
  t.Msg = WM_TIMER;
  t.WParam = 77;
  probe->WindowProc()(t);
  EXPECT_FALSE(probe->StopDrawBody());
}

TEST_F(uQuarnCtrls, AutoInvalidateMovesReTakeTheChildrensBackground) {
  auto* root = Root<TPlainRoot>();
  auto* mover = Child(root, 10, 10, 120, 80);
  auto* inner = Child(mover, 10, 10, 40, 30);
  mover->SetAutoInvalidate(true);
  usertest::Pump();
  const Integer checks = inner->Checks;
  mover->SetBounds(14, 22, 120, 80);
  usertest::Pump();
  EXPECT_GT(inner->Checks, checks);
  // The inner control shows the root's pattern at its new place.
  TBitmap32 ref;
  ref.SetSize(400, 300);
  HDC dc = ref.GetHDC();
  root->Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(dc));
  root->Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
  EXPECT_EQ(Mismatches(inner->Buffer(), &ref, 24, 32), 0);
}

}  // namespace

}  // namespace t_u_quarn_ctrls_test
