// The frame animation on a shown form under the virtual clock: which frame
// the picture shows after each tick in every play mode, the events, and the
// list's lifetime. Frames are told apart by their fill colour at the centre.
#include <gtest/gtest.h>

#include <vector>

#include "skin/extended/uQuarnAnimation.h"
#include "tests/skin/controls/SkinControlsTestSupport.h"

namespace t_u_quarn_animation_test {

using namespace qn;

namespace {

TColor FrameColour(Integer I) {
  static const TColor C[] = {static_cast<TColor>(0x000000F0), static_cast<TColor>(0x0000F000),
                             static_cast<TColor>(0x00F00000), static_cast<TColor>(0x0000F0F0),
                             static_cast<TColor>(0x00F000F0), static_cast<TColor>(0x00F0F000)};
  return C[I];
}

class uQuarnAnimation : public skintest::RootTest {
 protected:
  TCustomImageList* Frames(Integer Count, Integer Size = 24) {
    auto* List = new TCustomImageList(FRoot.get());
    List->SetSize(Size, Size);
    for (Integer i = 0; i < Count; ++i) {
      TBitmap Bmp;
      Bmp.SetSize(Size, Size);
      Bmp.Canvas()->Brush()->SetColor(FrameColour(i));
      Bmp.Canvas()->FillRect(TRect(0, 0, Size, Size));
      List->Add(&Bmp, nullptr);
    }
    return List;
  }
  TQuarnAnimation* Anim(Integer Count) {
    auto* A = Make<TQuarnAnimation>(20, 20, 40, 40);
    A->SetAutoSize(false);
    if (Count > 0) A->SetImages(Frames(Count));
    A->SetDelay(10);
    A->SetOnProcess([this](TObject*) { ++Processed; });
    A->SetOnFinish([this](TObject*) { ++Finished; });
    return A;
  }
  // The frame the picture shows, -1 for the background alone.
  Integer Shown(TQuarnAnimation* A) {
    const TColor32 C = Picture(A)->GetPixel(20, 20) & 0xFFFFFFu;
    for (Integer i = 0; i < 6; ++i)
      if (C == (Color32(FrameColour(i)) & 0xFFFFFFu)) return i;
    return -1;
  }
  // The frame shown after each of Ticks ticks.
  std::vector<Integer> Run(TQuarnAnimation* A, Integer Ticks) {
    std::vector<Integer> Seen;
    for (Integer i = 0; i < Ticks; ++i) {
      Wait(A->Delay());
      Seen.push_back(Shown(A));
    }
    return Seen;
  }
  int Processed = 0, Finished = 0;
};

TEST_F(uQuarnAnimation, ForwardOnceShowsEveryFrameThenFinishesOnTheLast) {
  auto* A = Anim(4);
  A->SetLoop(false);
  A->Start();
  EXPECT_EQ(Shown(A), 0);
  EXPECT_EQ(Run(A, 5), (std::vector<Integer>{1, 2, 3, 3, 3}));
  EXPECT_EQ(Processed, 3);
  EXPECT_EQ(Finished, 1);
  EXPECT_FALSE(A->Playing());
  // Centred: the 24-pixel frame starts at 8 in the 40-pixel control.
  EXPECT_EQ(A->Buffer()->GetPixel(8, 8) & 0xFFFFFFu, Color32(FrameColour(3)) & 0xFFFFFFu);
  EXPECT_EQ(A->Buffer()->GetPixel(7, 7) & 0xFFFFFFu, RootColour());
  EXPECT_EQ(A->Buffer()->GetPixel(32, 32) & 0xFFFFFFu, RootColour());
}

TEST_F(uQuarnAnimation, LoopWrapsSilentlyAndBounceTurnsAtTheEnds) {
  auto* A = Anim(4);
  A->Start();
  EXPECT_EQ(Run(A, 6), (std::vector<Integer>{1, 2, 3, 0, 1, 2}));
  EXPECT_EQ(Processed, 5);
  EXPECT_EQ(Finished, 0);
  EXPECT_TRUE(A->Playing());

  A->Stop();
  Processed = 0;
  A->SetReverse(true);
  A->Start();
  EXPECT_EQ(Shown(A), 0);
  EXPECT_EQ(Run(A, 8), (std::vector<Integer>{1, 2, 3, 2, 1, 0, 1, 2}));
  EXPECT_EQ(Processed + Finished, 0);
}

TEST_F(uQuarnAnimation, ReverseOnceRunsDownFromPastTheEnd) {
  auto* A = Anim(4);
  A->SetLoop(false);
  A->SetReverse(true);
  A->Start();
  EXPECT_EQ(A->CurrentFrame(), 4);
  EXPECT_EQ(Shown(A), 3);
  EXPECT_EQ(Run(A, 5), (std::vector<Integer>{3, 2, 1, 0, 0}));
  EXPECT_EQ(Processed, 4);
  EXPECT_EQ(Finished, 0);
  Run(A, 1);
  EXPECT_EQ(Finished, 1);
  EXPECT_FALSE(A->Playing());
  Run(A, 2);
  EXPECT_EQ(Finished, 1);
}

TEST_F(uQuarnAnimation, StateOfTheRunAndOfTheList) {
  auto* A = Anim(4);
  A->Start();
  Run(A, 2);
  A->Pause();
  EXPECT_EQ(Run(A, 2), (std::vector<Integer>{2, 2}));
  A->Stop();
  EXPECT_EQ(A->CurrentFrame(), 0);
  A->Start();
  EXPECT_EQ(Run(A, 1), (std::vector<Integer>{1}));
  A->Stop();

  // Beyond the list the last frame shows; the next tick wraps.
  A->SetCurrentFrame(10);
  EXPECT_EQ(Shown(A), 3);
  A->SetCurrentFrame(-3);
  EXPECT_EQ(Shown(A), 0);

  // Switched on later, AutoSize waits for the next list.
  A->SetAutoSize(true);
  EXPECT_EQ(A->Width(), 40);
  TCustomImageList* Small = Frames(2, 16);
  A->SetImages(Small);
  EXPECT_EQ(A->Width(), 16);
  EXPECT_EQ(A->Height(), 16);

  // A freed list leaves the control without one, still ticking safely.
  A->SetBounds(20, 20, 40, 40);
  A->Start();
  delete Small;
  EXPECT_EQ(A->Images(), nullptr);
  Wait(30);
  EXPECT_EQ(Shown(A), -1);
}

TEST_F(uQuarnAnimation, AnEmptyListDrawsNothing) {
  EXPECT_EQ(TQuarnAnimation(nullptr).Width(), 105);
  auto* A = Anim(0);
  A->SetImages(Frames(0));
  A->Start();
  Wait(30);
  EXPECT_EQ(Shown(A), -1);
  EXPECT_EQ(Finished, 0);
  A->SetCurrentFrame(2);
  EXPECT_EQ(Shown(A), -1);
}

}  // namespace

}  // namespace t_u_quarn_animation_test
