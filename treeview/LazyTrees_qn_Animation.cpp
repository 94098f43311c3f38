// Animated expanding and collapsing. While a node opens or closes, the
// window's pixels below (or above) it are scrolled step by step, so the
// children seem to slide in or out; the strips that open up are filled with
// the background or the column colours. The real picture is painted once
// the toggle is done, so an animated toggle ends in the same pixels as one
// that is not.
#include <algorithm>
#include <cmath>
#include <utility>

#include "platform/gdi/Gdi.h"
#include "platform/vcl/Forms.h"
#include "treeview/LazyTrees_qn.h"
#include "treeview/LazyTrees_qn_Appearance.h"
#include "treeview/LazyTrees_qn_Header.h"

namespace qn {

void TBaseLazyTree_qn::Animate(Cardinal Steps, Cardinal Duration, const TVTAnimationCallback& Callback,
                               Pointer Data) {
  if (FStates.Contains(tsInAnimation) || Duration == 0) return;
  DoStateChange({tsInAnimation});
  // A callback that pumps messages may see the tree freed; from then on
  // nothing of it is touched.
  std::weak_ptr<int> alive = FLifeToken;
  struct TLeave {
    TBaseLazyTree_qn* T;
    std::weak_ptr<int>& Alive;
    ~TLeave() {
      if (!Alive.expired()) T->DoStateChange({}, {tsInAnimation});
    }
  } leave{this, alive};
  auto terminating = [] { return Application && Application->Terminated(); };
  // Pixels per step: at least one, more when there are more pixels than
  // milliseconds.
  Cardinal stepSize = Cardinal(std::lround(std::max(double(Steps) / Duration, 1.0)));
  Cardinal remainingSteps = Steps / stepSize;
  Cardinal remainingTime = Duration;
  Integer step = 0;
  while (remainingSteps > 0 && remainingTime > 0 && !terminating()) {
    DWORD stepStart = timeGetTime();
    DWORD nextStep = stepStart + remainingTime / remainingSteps;
    if (!Callback(step, Integer(stepSize), Data) || alive.expired()) break;
    // The pixels moved so far, handed to the next call.
    step += Integer(stepSize);
    // Sleeping on the platform's clock rather than polling it lets a virtual
    // clock move at once.
    auto wait = Integer(nextStep - timeGetTime());
    if (wait > 0) Sleep(DWORD(wait));
    DWORD elapsed = timeGetTime() - stepStart;
    if (elapsed > remainingTime) {
      remainingTime = 0;
      remainingSteps = 0;
    } else {
      remainingTime -= elapsed;
      --remainingSteps;
    }
    // Less than a millisecond per step left: take bigger steps.
    while (remainingSteps > 0 && remainingTime / remainingSteps < 1) {
      ++stepSize;
      remainingSteps = remainingTime / stepSize;
    }
  }
  if (!terminating() && !alive.expired()) Callback(0, 0, Data);
}

bool TBaseLazyTree_qn::ToggleCallback(Integer, Integer StepSize, Pointer Data) {
  if (StepSize <= 0) return true;
  auto& d = *static_cast<TToggleAnimationData*>(Data);
  Integer step2 = StepSize;
  if (d.Mode1 != tamNoScroll) {
    MoveAnimatedRegion(d, d.R1, d.Mode1, StepSize);
    step2 = 0;
    if (d.Mode2 != tamNoScroll && d.ScaleFactor > 0) {
      double exact = StepSize * d.ScaleFactor + d.MissedSteps;
      step2 = Integer(std::lround(exact));
      d.MissedSteps = exact - step2;
    }
  }
  if (d.Mode2 != tamNoScroll) MoveAnimatedRegion(d, d.R2, d.Mode2, step2);
  return true;
}

void TBaseLazyTree_qn::MoveAnimatedRegion(const TToggleAnimationData& Data, const TRect& R,
                                          TToggleAnimationMode Mode, Integer N) {
  if (N <= 0 || R.Top >= R.Bottom || R.Left >= R.Right) return;
  TRect strip = R;
  if (Mode == tamScrollUp) {
    ScrollDC(Data.DC, 0, -N, &R, &R, nullptr, nullptr);
    strip.Top = std::max(R.Top, R.Bottom - N - 1);
  } else {
    ScrollDC(Data.DC, 0, N, &R, &R, nullptr, nullptr);
    strip.Bottom = std::min(R.Bottom, R.Top + N + 1);
  }
  TRect fill = strip;
  // The background first, also right of the last column; then the columns
  // with their own colour.
  FillRect(Data.DC, &fill, Data.Brush);
  if (!FHeader->UseColumns()) return;
  TLazyTreeColumns* columns = FHeader->Columns();
  Integer clientWidth = ClientWidth();
  for (TColumnIndex c = columns->GetFirstVisibleColumn(); c > NoColumn; c = columns->GetNextVisibleColumn(c)) {
    TLazyTreeColumn* column = columns->Items(c);
    Integer left = column->Left();
    if (left >= clientWidth) break;
    if (column->Options().Contains(coParentColor)) continue;
    fill = TRect(std::max(strip.Left, left), strip.Top, std::min(strip.Right, left + column->Width()), strip.Bottom);
    if (fill.Left >= fill.Right) continue;
    HBRUSH brush = CreateSolidBrush(ColorToRGB(FVclStyleEnabled ? FColors->BackGroundColor() : column->Color()));
    FillRect(Data.DC, &fill, brush);
    DeleteObject(brush);
  }
}

void TBaseLazyTree_qn::RunToggleAnimation(TToggleAnimationData& Data, Integer Amount1, Integer Amount2) {
  if (Data.Mode1 != tamNoScroll && Data.Mode2 != tamNoScroll) {
    // The first region moves farthest; the second follows at its pace.
    if (Amount1 < Amount2) {
      std::swap(Data.R1, Data.R2);
      std::swap(Data.Mode1, Data.Mode2);
      std::swap(Amount1, Amount2);
    }
    Data.ScaleFactor = Amount1 > 0 ? double(Amount2) / Amount1 : 0;
    Data.MissedSteps = 0;
  }
  Integer steps = Data.Mode1 == tamNoScroll ? Amount2 : Amount1;
  // Nothing to move (the geometry can ask for none or for a negative
  // distance near the canvas edges).
  if (steps <= 0) return;
  Data.Window = Handle();
  Data.DC = GetDC(Data.Window);
  Data.Brush = CreateSolidBrush(ColorToRGB(FColors->BackGroundColor()));
  struct TRelease {
    TToggleAnimationData& D;
    ~TRelease() {
      ReleaseDC(D.Window, D.DC);
      DeleteObject(D.Brush);
    }
  } release{Data};
  Animate(Cardinal(steps), FAnimationDuration,
          [this](Integer Step, Integer StepSize, Pointer P) { return ToggleCallback(Step, StepSize, P); }, &Data);
}

void TBaseLazyTree_qn::AnimateCollapse(PLazyNode Node, Integer HeightDelta, TToggleView& View) {
  if (Application) Application->CancelHint();
  UpdateWindow(Handle());
  const TRect& r = View.R;
  Integer ch = View.ClientHeight, width = ClientWidth(), nodeHeight = Integer(Node->NodeHeight);
  bool advanced = FOptions->AnimationOptions().Contains(toAdvancedAnimatedToggle);
  TToggleAnimationData data;
  Integer amount = 0;
  if (!FOptions->PaintOptions().Contains(toChildrenAbove)) {
    if (ch - r.Bottom > FRangeY + FOffsetY - r.Bottom + HeightDelta && FRangeY > ch && FOffsetY != 0 && advanced) {
      // What stays below would not fill the window: the view will move
      // down, so the part above the children slides down over them.
      data.Mode1 = tamScrollDown;
      amount = std::min(ch - FRangeY - FOffsetY - HeightDelta, -FOffsetY);
      data.R1 = TRect(0, 0, width, std::min(ch, r.Bottom + amount));
      View.FullRepaint = true;
    } else {
      data.Mode1 = tamScrollUp;
      data.R1 = TRect(0, r.Top + nodeHeight, width, ch);
      amount = std::min(ch - data.R1.Top + 1, -HeightDelta);
    }
  } else {
    if (r.Top >= ch) return;
    bool atTop = Integer(Node->TotalHeight) - nodeHeight + FOffsetY <= 0;
    if (atTop || !advanced) {
      data.Mode1 = tamScrollDown;
      data.R1 = TRect(0, 0, width, r.Top);
      amount = std::min(-HeightDelta, r.Top + 1);
    } else {
      data.Mode1 = tamScrollUp;
      data.R1 = TRect(0, std::max(0, r.Top + HeightDelta), width, ch);
      amount = FOffsetY - HeightDelta;
    }
  }
  if (data.R1.Top < ch) RunToggleAnimation(data, amount, 0);
}

void TBaseLazyTree_qn::AnimateExpand(PLazyNode Node, Integer HeightDelta, const TToggleView& View) {
  if (Application) Application->CancelHint();
  UpdateWindow(Handle());
  const TRect& r = View.R;
  Integer ch = View.ClientHeight, width = ClientWidth(), nodeHeight = Integer(Node->NodeHeight);
  bool advanced = FOptions->AnimationOptions().Contains(toAdvancedAnimatedToggle);
  bool autoScroll = FOptions->AutoOptions().Contains(toAutoScrollOnExpand);
  TToggleAnimationData data;
  data.R1 = TRect(0, r.Top, width, ch);
  Integer amount1 = 0, amount2 = 0;
  if (!FOptions->PaintOptions().Contains(toChildrenAbove)) {
    if (!(View.InView && View.Fits) && autoScroll && advanced && r.Top > 0) {
      // The view will scroll the node up: everything above it slides up
      // while everything below slides down.
      data.Mode1 = tamScrollUp;
      data.R1 = TRect(0, 0, width, r.Top + nodeHeight + 1);
      data.Mode2 = tamScrollDown;
      data.R2 = TRect(0, data.R1.Bottom, width, ch);
      amount1 = std::min(HeightDelta - r.Top - 1, ch - data.R2.Top);
      amount2 = ch - data.R2.Top;
    } else {
      data.Mode1 = tamScrollDown;
      data.R1 = TRect(0, r.Top + nodeHeight, width, ch);
      amount1 = std::min(ch - data.R1.Top, HeightDelta);
    }
  } else {
    TRect up(0, 0, width, r.Top);
    if (!advanced || (View.InView && ((View.BottomIn && View.Fits) || !autoScroll))) {
      data.Mode1 = tamScrollUp;
      data.R1 = up;
      amount1 = std::min(HeightDelta, r.Top);
    } else {
      // The node's row and what is below slide down, what is above slides up.
      data.Mode1 = tamScrollDown;
      data.Mode2 = tamScrollUp;
      data.R2 = up;
      Integer over = FRangeY + HeightDelta - ch;
      if (!autoScroll) {
        amount1 = HeightDelta - FOffsetY - std::max(0, over);
        if (over <= 0) data.Mode2 = tamNoScroll;
        else amount2 = std::min(over, r.Top);
      } else {
        if (View.Holdable && View.BottomIn && over > 0) {
          amount1 = r.Top > HeightDelta ? ch - FRangeY : std::abs(r.Top - HeightDelta);
        } else if (over <= 0) {
          data.Mode2 = tamNoScroll;
          amount1 = HeightDelta;
        } else {
          amount1 = ch - r.Top - nodeHeight;
        }
        if (data.Mode2 != tamNoScroll) {
          if (amount1 > 0) {
            amount2 = std::min(r.Top, HeightDelta - amount1);
          } else {
            data.Mode1 = tamNoScroll;
            amount2 = std::min(HeightDelta, ch);
          }
        }
      }
    }
  }
  if (data.R1.Top <= ch) RunToggleAnimation(data, amount1, amount2);
}

}  // namespace qn
