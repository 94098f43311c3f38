#include "skin/extended/uQuarnImageSlider.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "graphics/raster/Pix32_Blend_qn.h"
#include "graphics/vector/Pix32_Polygons_qn.h"
#include "graphics/vector/Pix32_VectorUtils_qn.h"
#include "platform/vcl/Forms.h"
#include "skin/foundation/uQnAnimateEasing.h"
#include "skin/foundation/uQnPix32Lib.h"

namespace qn {

namespace {

constexpr Integer kDotCellWidth = 25;
constexpr Integer kDotCellHeight = 20;
constexpr Integer kDotBottomMargin = 10;
constexpr Integer kFrameSleep = 5;

TColor32 SliderColor(TColor C) { return Color32(ColorToRGB(C)) | 0xFF000000u; }

std::unique_ptr<TPngPictures> ArrowStrip(Integer Normal, Integer Hot) {
  auto P = std::make_unique<TPngPictures>();
  P->SetImage(u"QuarnSlides");
  P->SetCount(4);
  P->SetNormal(Normal);
  P->SetHot(Hot);
  return P;
}

// A handler may free the slider and with it the handler itself: it runs
// from a copy.
void Fire(const TNotifyEvent& Event, TObject* Sender) {
  if (!Event) return;
  const TNotifyEvent Handler = Event;
  Handler(Sender);
}

bool SliderInside(const TRect& R, Integer X, Integer Y) {
  return X >= R.Left && X < R.Right && Y >= R.Top && Y < R.Bottom;
}

}  // namespace

// ---------------------------------------------------------------- items

void TQuarnSliderItem::AssignTo(TPersistent* Dest) {
  auto* D = dynamic_cast<TQuarnSliderItem*>(Dest);
  if (!D) {
    TCollectionItem::AssignTo(Dest);
    return;
  }
  D->Data = Data;
  D->FTitle = FTitle;
  D->FDescription = FDescription;
  D->FImage = FImage;
}

TQuarnSliderItemCollection::TQuarnSliderItemCollection(TQuarnCustomImageSlider* AOwner)
    : TCollection(TQuarnSliderItem::StaticClass()), FOwner(AOwner) {}

TPersistent* TQuarnSliderItemCollection::GetOwner() { return FOwner; }

// The slider frees its list first thing in its destructor; a list it no
// longer holds does not report to it.
bool TQuarnSliderItemCollection::Reports() {
  return UpdateCount() == 0 && FOwner && FOwner->Images() == this &&
         !FOwner->ComponentState().Contains(csDestroying);
}

void TQuarnSliderItemCollection::Update(TCollectionItem* Item) {
  TCollection::Update(Item);
  if (Reports()) FOwner->ImagesChanged();
}

void TQuarnSliderItemCollection::Deleting(TCollectionItem* Item) {
  TCollection::Deleting(Item);
  if (Reports()) FOwner->ImagesChanged();
}

// ---------------------------------------------------------------- strip

void TSliderStrip::Clear() { FPages.clear(); }

void TSliderStrip::SetPageSize(Integer Width, Integer Height) {
  FPageWidth = std::max<Integer>(Width, 0);
  FHeight = std::max<Integer>(Height, 0);
}

void TSliderStrip::SetPage(Integer Index, const TQnResID& Id) {
  auto Page = std::make_unique<TBitmap32>();
  Page->SetSize(FPageWidth, FHeight);
  Page->Clear(0xFFFFFFFFu);
  TQuarnImage* Image = Id.empty() ? nullptr : TQuarnResManagerObj()->GetImageByName(Id);
  if (Image && !Image->Empty() && !Page->Empty()) AutoStretchBitmap(Image, Page.get(), false);
  Page->SetDrawMode(TDrawMode::dmOpaque);
  if (Index < 0 || Index >= Count()) {
    FPages.push_back({std::move(Page), Id});
  } else {
    FPages[static_cast<size_t>(Index)] = {std::move(Page), Id};
  }
}

void TSliderStrip::DrawTo(TBitmap32* Dst, Integer X, Integer Y, const TRect& Rect) const {
  if (FPageWidth <= 0 || FHeight <= 0) return;
  const Integer Left = std::max<Integer>(Rect.Left, 0);
  const Integer Right = std::min<Integer>(Rect.Right, Width());
  const Integer Top = std::max<Integer>(Rect.Top, 0);
  const Integer Bottom = std::min<Integer>(Rect.Bottom, FHeight);
  if (Left >= Right || Top >= Bottom) return;
  // A window of one page's width covers at most two neighbouring pages.
  for (Integer P = Left / FPageWidth; P < Count() && P * FPageWidth < Right; ++P) {
    const Integer PageLeft = P * FPageWidth;
    const Integer L = std::max(Left, PageLeft), R = std::min(Right, PageLeft + FPageWidth);
    TBitmap32* Page = FPages[static_cast<size_t>(P)].Bitmap.get();
    Page->DrawTo(Dst, X + (L - Rect.Left), Y + (Top - Rect.Top), TRect(L - PageLeft, Top, R - PageLeft, Bottom));
  }
}

// ---------------------------------------------------------------- slider

TQuarnCustomImageSlider::TQuarnCustomImageSlider(TComponent* AOwner)
    : TQuarnCustomPanel(AOwner),
      FBufferImage(std::make_unique<TSliderStrip>()),
      FImages(std::make_unique<TQuarnSliderItemCollection>(this)),
      FButtonLeft(ArrowStrip(2, 0)),
      FButtonRight(ArrowStrip(3, 1)) {
  FImages->SetPropName(u"Images");
  FButtonLeft->SetPicturesChanged(TNotifyEvent(this, &TQuarnCustomImageSlider::ButtonsChanged));
  FButtonRight->SetPicturesChanged(TNotifyEvent(this, &TQuarnCustomImageSlider::ButtonsChanged));
  SetBounds(Left(), Top(), 632, 340);
  FDoubleBorder = false;
  FBorderSides = TSides{};
  FAlpha = 255;
  FLastAutoSlider = static_cast<Int64>(GetTickCount64());
  FTimer = std::make_unique<uSimpleTimer::TSimpleTimer>();
  FTimer->SetInterval(100);
  FTimer->SetOnTimer(TNotifyEvent(this, &TQuarnCustomImageSlider::DoOnTimer));
  FTimer->SetEnabled(true);
}

TQuarnCustomImageSlider::~TQuarnCustomImageSlider() {
  FAlive.reset();
  FTimer.reset();
  FButtonLeft->SetPicturesChanged({});
  FButtonRight->SetPicturesChanged({});
  FImages.reset();
}

void TQuarnCustomImageSlider::ButtonsChanged(TObject*) { Invalidate(); }

void TQuarnCustomImageSlider::SetAutoSlider(bool Value) {
  if (FAutoSlider == Value) return;
  FAutoSlider = Value;
  if (FAutoSlider) FLastAutoSlider = static_cast<Int64>(GetTickCount64());
}

void TQuarnCustomImageSlider::SetOptions(TImageSliderOptions Value) {
  if (FOptions == Value) return;
  FOptions = Value;
  Invalidate();
}

TRect TQuarnCustomImageSlider::ImageIndexRect(Integer Index) const {
  const Integer N = FBufferImage->Count();
  // No images: no strip to divide.
  if (N <= 0 || Index < 0 || Index >= N) return TRect();
  const Integer W = FBufferImage->Width() / N;
  return TRect(Index * W, 0, (Index + 1) * W, FBufferImage->Height());
}

void TQuarnCustomImageSlider::StitchingImages() {
  const Integer W = std::max<Integer>(Width(), 0), H = std::max<Integer>(Height(), 0);
  FBufferImage->Clear();
  FBufferImage->SetPageSize(W, H);
  for (Integer i = 0; i < FImages->Count(); ++i) FBufferImage->SetPage(-1, FImages->Items(i)->Image());
}

// An item gets its image after it joined the list (the collection hears of
// the item before its image is set), so each paint checks the pages.
void TQuarnCustomImageSlider::UpdatePages() {
  const Integer N = std::min(FImages->Count(), FBufferImage->Count());
  for (Integer i = 0; i < N; ++i) {
    const TQnResID& Id = FImages->Items(i)->Image();
    if (FBufferImage->PageImage(i) != Id) FBufferImage->SetPage(i, Id);
  }
}

void TQuarnCustomImageSlider::ImagesChanged() {
  ++FImagesGeneration;
  FDots.reset();
  FButtonLeftRect = FButtonRightRect = FDisplayRect = TRect();
  FHotItemIndex = FOldHotItemIndex = -1;
  FLeftToRight = true;
  StitchingImages();
  if (FImages->Count() > 0) {
    FHotItemIndex = FOldHotItemIndex = 0;
    FDisplayRect = ImageIndexRect(0);
  }
  Invalidate();
}

void TQuarnCustomImageSlider::CheckImageSize() {
  if (!FAutoImageSize || FImages->Count() == 0) return;
  const Integer N = FBufferImage->Count();
  const Integer PageW = N > 0 ? FBufferImage->Width() / N : -1;
  if (N != FImages->Count() || PageW != Width() || FBufferImage->Height() != Height()) ImagesChanged();
}

bool TQuarnCustomImageSlider::LeftButtonVisible() const {
  return FOptions.Contains(soLeftRightButtonVisible) && FHotItemIndex >= 1 && FHotItemIndex < FImages->Count();
}

bool TQuarnCustomImageSlider::RightButtonVisible() const {
  return FOptions.Contains(soLeftRightButtonVisible) && FHotItemIndex >= 0 &&
         FHotItemIndex < FImages->Count() - 1;
}

bool TQuarnCustomImageSlider::DotButtonVisible() const {
  return FOptions.Contains(soDotButtonVisible) && FImages->Count() > 0;
}

void TQuarnCustomImageSlider::PaintDots(TBitmap32* Target, Integer First) const {
  for (Integer i = 0; i < FImages->Count(); ++i) {
    const Integer Left = i * kDotCellWidth - First;
    if (Left + kDotCellWidth <= 0 || Left >= Target->Width()) continue;
    const bool Shown = i == FHotItemIndex;
    const TFloat R = Shown ? 8 : 5;
    const TFloat CX = static_cast<TFloat>(Left) + (kDotCellWidth - R / 2) / 2;
    const TFloat CY = 10;
    const TArrayOfFloatPoint Outer = Circle(CX, CY, R);
    if (Shown) {
      PolygonFS(Target, Outer, SliderColor(static_cast<TColor>(0x00CCCCCC)));
      PolygonFS(Target, Circle(CX, CY, 4), SliderColor(static_cast<TColor>(0x006E93A7)));
    } else {
      PolygonFS(Target, Outer, SliderColor(static_cast<TColor>(0x00FFFFFF)));
      PolylineFS(Target, Outer, SliderColor(static_cast<TColor>(0x00CDCCCF)), true, 1.0f, TJoinStyle::jsMiter,
                 TEndStyle::esButt, 4.0f);
    }
  }
}

// Every frame of a transition draws the dots again over a new picture. They
// change only with the list and the shown image, so they are painted once
// onto black and onto white, which gives each pixel's colour and coverage,
// and the frames blend that picture.
void TQuarnCustomImageSlider::DrawDots(TBitmap32* Buffer) {
  const Integer N = FImages->Count();
  const Integer X0 = (Width() - N * kDotCellWidth) / 2;
  const Integer Y = Height() - kDotCellHeight - kDotBottomMargin;
  for (Integer i = 0; i < N; ++i)
    FImages->Items(i)->FDotButtonRect =
        TRect(X0 + i * kDotCellWidth, Y, X0 + (i + 1) * kDotCellWidth, Y + kDotCellHeight);
  // Only the part of the row inside the control is kept: a long list's row
  // runs far past both sides.
  const Integer First = std::max<Integer>(0, -X0);
  const Integer DW = std::min<Integer>(N * kDotCellWidth - First, std::max<Integer>(Width(), 0));
  if (DW <= 0) return;
  if (!FDots || FDotsCount != N || FDotsHot != FHotItemIndex || FDots->Width() != DW) {
    const Integer DH = kDotCellHeight;
    TBitmap32 OnBlack, OnWhite;
    OnBlack.SetSize(DW, DH);
    OnWhite.SetSize(DW, DH);
    OnBlack.Clear(0xFF000000u);
    OnWhite.Clear(0xFFFFFFFFu);
    PaintDots(&OnBlack, First);
    PaintDots(&OnWhite, First);
    auto Dots = std::make_unique<TBitmap32>();
    Dots->SetSize(DW, DH);
    const TColor32* B = OnBlack.Bits();
    const TColor32* Wh = OnWhite.Bits();
    TColor32* D = Dots->Bits();
    for (Integer i = 0; i < DW * DH; ++i) {
      // Over black a pixel is a·C, over white a·C + (1 − a)·255.
      const Integer A = 255 - (static_cast<Integer>((Wh[i] >> 8) & 0xFF) - static_cast<Integer>((B[i] >> 8) & 0xFF));
      if (A <= 0) {
        D[i] = 0;
        continue;
      }
      TColor32 C = static_cast<TColor32>(std::min<Integer>(A, 255)) << 24;
      for (int Sh = 0; Sh < 24; Sh += 8) {
        const Integer V = (static_cast<Integer>((B[i] >> Sh) & 0xFF) * 255 + A / 2) / A;
        C |= static_cast<TColor32>(std::min<Integer>(V, 255)) << Sh;
      }
      D[i] = C;
    }
    Dots->SetDrawMode(TDrawMode::dmBlend);
    FDots = std::move(Dots);
    FDotsCount = N;
    FDotsHot = FHotItemIndex;
  }
  // As the polygon renderer lays its pixels: opaque runs copied (the
  // blender would round them a level short), transparent ones skipped.
  const Integer X = X0 + First;
  for (Integer Row = 0; Row < FDots->Height(); ++Row) {
    const Integer By = Y + Row;
    if (By < 0 || By >= Buffer->Height()) continue;
    const Integer From = std::max<Integer>(0, -X), To = std::min<Integer>(DW, Buffer->Width() - X);
    const TColor32* Src = FDots->Bits() + static_cast<size_t>(Row) * DW;
    TColor32* Line = Buffer->Bits() + static_cast<size_t>(By) * Buffer->Width();
    for (Integer I = From; I < To;) {
      const TColor32 A = Src[I] >> 24;
      Integer J = I + 1;
      if (A == 255 || A == 0) {
        while (J < To && (Src[J] >> 24) == A) ++J;
        if (A == 255) std::copy(Src + I, Src + J, Line + (X + I));
      } else {
        while (J < To && (Src[J] >> 24) != 255 && (Src[J] >> 24) != 0) ++J;
        BlendLine(Src + I, Line + (X + I), J - I);
      }
      I = J;
    }
  }
  EMMS();
}

void TQuarnCustomImageSlider::DrawBody(TBitmap32* Buffer) {
  const Integer W = Width(), H = Height();
  if (!Designing()) CheckImageSize();
  const bool Shows = FHotItemIndex >= 0 && FHotItemIndex < FImages->Count();
  // A sliding window of opaque pages covers the whole panel, which then
  // need not be drawn under it first.
  const bool Covered = Shows && !Designing() && FSliderType == stLeftRight && FBufferImage->PageWidth() >= W &&
                       FBufferImage->Height() >= H;
  if (!Covered) TQuarnCustomPanel::DrawBody(Buffer);
  if (!Shows) return;
  Buffer->BeginUpdate();
  if (Designing()) {
    UpdatePages();
    FBufferImage->DrawTo(Buffer, 0, 0, ImageIndexRect(0));
  } else {
    UpdatePages();
    const TRect Shown = ImageIndexRect(FHotItemIndex);
    if (FSliderType == stLeftRight) {
      FBufferImage->DrawTo(Buffer, 0, 0, FDisplayRect.IsEmpty() ? Shown : FDisplayRect);
    } else if (FSliderAlphaValue < 255) {
      // The incoming image fades in over the panel's own background: its
      // page is blended with the frame's alpha, then made opaque again.
      TBitmap32* Page = FBufferImage->Page(FHotItemIndex);
      ApplyAlpha(Page, FSliderAlphaValue);
      Page->DrawTo(Buffer, 0, 0);
      Page->SetMasterAlpha(255);
      Page->SetDrawMode(TDrawMode::dmOpaque);
    } else {
      FBufferImage->DrawTo(Buffer, 0, 0, Shown);
    }
    const auto Button = [&](TPngPictures* Pictures, bool Hot, bool AtLeft, TRect& Rect) {
      TQuarnImage* Strip = nullptr;
      TRect Frame;
      const Integer Fw = Pictures->GetSingleWidth(), Fh = Pictures->GetSingleHeight();
      const Integer X = AtLeft ? 0 : W - Fw, Y = (H - Fh) / 2;
      Rect = TRect(X, Y, X + Fw, Y + Fh);
      if (!Pictures->FrameRect(Hot ? Pictures->Hot() : Pictures->Normal(), Strip, Frame)) return;
      const TDrawMode Mode = Strip->DrawMode();
      Strip->SetDrawMode(TDrawMode::dmBlend);
      Strip->DrawTo(Buffer, X, Y, Frame);
      Strip->SetDrawMode(Mode);
    };
    if (LeftButtonVisible()) Button(FButtonLeft.get(), FCursorOnItem == coLeftButton, true, FButtonLeftRect);
    if (RightButtonVisible()) Button(FButtonRight.get(), FCursorOnItem == coRightButton, false, FButtonRightRect);
  }
  if (DotButtonVisible()) DrawDots(Buffer);
  DrawBorder(Buffer);
  Buffer->EndUpdate();
}

void TQuarnCustomImageSlider::SetHotItemIndex(Integer Value) {
  if (FSlideing || FHotItemIndex == Value) return;
  FHotItemIndex = Value;
  SlideItem(Value);
}

void TQuarnCustomImageSlider::FrameMessages() { Application->ProcessMessages(); }

void TQuarnCustomImageSlider::SlideItem(Integer Index) {
  if (FSlideing) return;
  FSlideing = true;
  const std::weak_ptr<bool> Alive = FAlive;
  // An exception out of a frame's messages must not leave the slider
  // refusing every later change.
  struct TSlideGuard {
    TQuarnCustomImageSlider* Slider;
    const std::weak_ptr<bool>& Alive;
    ~TSlideGuard() {
      if (!Alive.expired()) Slider->FSlideing = false;
    }
  } Guard{this, Alive};
  const Integer Generation = FImagesGeneration;
  // After each frame's messages: False once the slider is gone (nothing of
  // it may be touched then) or its list was rebuilt under the transition.
  bool Broken = false;
  const auto Frame = [&]() {
    Repaint();
    FrameMessages();
    if (Alive.expired()) return false;
    if (FImagesGeneration != Generation) {
      Broken = true;
      return false;
    }
    return true;
  };
  const Integer W = Width(), H = Height();
  const Integer Frames = std::max<Integer>(FSliderSpeed, 1);
  if (Index >= 0 && Index < FImages->Count()) {
    const TRect Target = ImageIndexRect(Index);
    if (FSliderType == stFade) {
      const TResultArray V = TQnAnimateEasing::GenerateValues(255, Frames, etCubicEaseIn);
      for (const Extended Value : V) {
        FSliderAlphaValue = static_cast<Integer>(std::lround(Value));
        if (!Frame()) break;
        if (FSliderAlphaValue == 255) break;
        Sleep(kFrameSleep);
      }
    } else {
      const Integer D = std::abs(FOldHotItemIndex - Index);
      if (D > 1) {
        // A jump over several images: faster the further it goes, ending
        // exactly on the target (the table's first value is 0).
        const Integer Dist = Target.Left - FDisplayRect.Left;
        const Integer K = std::max<Integer>(D / 3, 1);
        const TResultArray V = TQnAnimateEasing::GenerateValues(Dist, Frames * K, etExpoEaseIn);
        for (auto It = V.rbegin(); It != V.rend(); ++It) {
          const Integer X = Target.Left - static_cast<Integer>(std::lround(*It));
          FDisplayRect = TRect(X, 0, X + W, H);
          if (!Frame()) break;
          if (X == Target.Left) break;
          Sleep(kFrameSleep);
        }
      } else if (D == 1) {
        const Integer Start = FDisplayRect.Left;
        const bool Forward = Index > FOldHotItemIndex;
        const TResultArray V = TQnAnimateEasing::GenerateValues(W, Frames, etExpoEaseOut);
        for (const Extended Value : V) {
          const Integer Step = static_cast<Integer>(std::lround(Value));
          const Integer X = Forward ? Start + Step : Start - Step;
          FDisplayRect = TRect(X, 0, X + W, H);
          if (!Frame()) break;
          if (X == Target.Left) break;
          Sleep(kFrameSleep);
        }
      }
    }
    if (Alive.expired()) return;
    if (!Broken) {
      // The tables stop a step short of their change: the last frame lands
      // on the target whatever the table's end.
      FOldHotItemIndex = FHotItemIndex;
      if (FDisplayRect != Target || FSliderAlphaValue != 255) {
        FDisplayRect = Target;
        FSliderAlphaValue = 255;
        Repaint();
      }
    }
  }
  FSliderAlphaValue = 255;
  FLastAutoSlider = static_cast<Int64>(GetTickCount64());
  FSlideing = false;
  Fire(FOnSliderPageChanged, this);
}

void TQuarnCustomImageSlider::DoOnTimer(TObject*) {
  if (Designing() || !FAutoSlider || FImages->Count() == 0 || FSlideing) return;
  const std::weak_ptr<bool> Alive = FAlive;
  Application->ProcessMessages();
  if (Alive.expired() || FSlideing || FImages->Count() == 0) return;
  // 64-bit ticks: the 32-bit count wraps after 49.7 days.
  if (static_cast<Int64>(GetTickCount64()) - FLastAutoSlider < FSliderInterval) return;
  const Integer N = FImages->Count();
  Integer Next;
  if (FSliderType == stLeftRight) {
    if (FLeftToRight) {
      Next = FHotItemIndex + 1;
      if (Next >= N) {
        FLeftToRight = false;
        Next = FHotItemIndex - 1;
      }
    } else {
      Next = FHotItemIndex - 1;
      if (Next < 0) {
        FLeftToRight = true;
        Next = FHotItemIndex + 1;
      }
    }
  } else {
    Next = FHotItemIndex + 1;
    if (Next >= N) Next = 0;
  }
  if (Next >= 0 && Next < N) SetHotItemIndex(Next);
}

void TQuarnCustomImageSlider::DoMouseHit(Integer X, Integer Y) {
  FDotButtonCursorHotIndex = -1;
  TCursorOnItem Hit = coNone;
  if (LeftButtonVisible() && SliderInside(FButtonLeftRect, X, Y)) {
    Hit = coLeftButton;
  } else if (RightButtonVisible() && SliderInside(FButtonRightRect, X, Y)) {
    Hit = coRightButton;
  } else if (DotButtonVisible()) {
    for (Integer i = 0; i < FImages->Count(); ++i)
      if (SliderInside(FImages->Items(i)->FDotButtonRect, X, Y)) {
        FDotButtonCursorHotIndex = i;
        Hit = coDotButton;
        break;
      }
  }
  if (Hit == FCursorOnItem) return;
  FCursorOnItem = Hit;
  SetCursor(Hit == coNone ? crDefault : crHandPoint);
  Invalidate();
}

void TQuarnCustomImageSlider::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  TQuarnCustomPanel::MouseMove(Shift, X, Y);
  DoMouseHit(X, Y);
}

void TQuarnCustomImageSlider::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  const std::weak_ptr<bool> Alive = FAlive;
  TQuarnCustomPanel::MouseDown(Button, Shift, X, Y);
  if (Alive.expired()) return;
  DoMouseHit(X, Y);
  switch (FCursorOnItem) {
    case coLeftButton:
      if (FHotItemIndex > 0) SetHotItemIndex(FHotItemIndex - 1);
      if (!Alive.expired()) Fire(FOnLeftButtonClick, this);
      break;
    case coRightButton:
      if (FHotItemIndex < FImages->Count() - 1) SetHotItemIndex(FHotItemIndex + 1);
      if (!Alive.expired()) Fire(FOnRightButtonClick, this);
      break;
    case coDotButton: {
      const Integer Dot = FDotButtonCursorHotIndex;
      if (Dot >= 0 && Dot < FImages->Count()) SetHotItemIndex(Dot);
      if (!Alive.expired()) Fire(FOnDotButtonClick, this);
      break;
    }
    case coNone:
      if (FOnItemClick && FHotItemIndex >= 0 && FHotItemIndex < FImages->Count()) {
        const TItemClickEvent Handler = FOnItemClick;
        Handler(this, FImages->Items(FHotItemIndex));
      }
      break;
  }
}

void InitQuarnImageSlider() {
  RegisterClasses({TQuarnImageSlider::StaticClass(), TQuarnSliderItem::StaticClass()});
}

}  // namespace qn

QN_PUBLISHED_IMPL(qn::TQuarnSliderItem)
QN_PUBLISHED_IMPL(qn::TQuarnImageSlider)
