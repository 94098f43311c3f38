#include "skin/controls/uQuarnButton.h"

#include <algorithm>

#include "platform/gdi/GdiText.h"
#include "platform/vcl/ControlMessages.h"
#include "skin/foundation/uQnComm.h"
#include "skin/foundation/uQnPix32Lib.h"

namespace qn {

// ---- push button ------------------------------------------------------------

TQuarnButton::TQuarnButton(TComponent* AOwner) : TQuarnCustomButton(AOwner) {
  FCaptionVisible = true;
  FPictures->SetImage(u"QuarnButton");
  FPictures->SetCount(5);
  FPictures->SetNormal(0);
  FPictures->SetHot(1);
  FPictures->SetPressed(2);
  FPictures->SetDisable(3);
  FPictures->SetActive(true);
  FPictureChanged = false;
  SetBounds(Left(), Top(), 75, 27);
}

void TQuarnButton::DrawBody(TBitmap32* Buffer) {
  Buffer->BeginUpdate();
  TRect r = ClientRect();
  // The frame is stretched where it lies in the strip, so the stretched
  // picture can be kept for the next paint.
  TQuarnImage* strip = nullptr;
  TRect part;
  const bool got = StateFrameRect(FPictures.get(), strip, part);
  if (!IsHot() && Enabled() && IsPressed()) IncRect(r, FPressedOffset, FPressedOffset);
  if (got) StretchBitmapPart(strip, part, Buffer);
  if (FLayerMode) DrawLayers(Buffer);
  DrawDropdownMenu(Buffer);
  if (FCaptionVisible) {
    // The caption keeps clear of the arrow area.
    r.Right -= DropdownMenuWidth();
    DrawStateCaption(Buffer, r);
  }
  FinishFace(Buffer, true);
  Buffer->EndUpdate();
}

// ---- tool button ------------------------------------------------------------

TQuarnToolButton::TQuarnToolButton(TComponent* AOwner) : TQuarnCustomButton(AOwner) {
  FPictures->SetActive(true);
  FPictures->SetImage(u"QuarnFlatBtn");
  FPictures->SetCount(3);
  FPictures->SetNormal(0);
  FPictures->SetHot(1);
  FPictures->SetPressed(2);
  FPictureChanged = false;
  FLight = std::make_unique<TQnLightClass>();
  SetBounds(Left(), Top(), 22, 22);
}

void TQuarnToolButton::SetImage(const TQnResID& Value) {
  if (FImage == Value) return;
  FImage = Value;
  Invalidate();
}

void TQuarnToolButton::DrawBody(TBitmap32* Buffer) {
  Buffer->BeginUpdate();
  TRect c = ClientRect(), icon = ClientRect();
  const TPoint co = GetDPIScaledPoint(this, TPoint(FCaptionOffset->X(), FCaptionOffset->Y()));
  const TPoint io = GetDPIScaledPoint(this, TPoint(FImageOffset->X(), FImageOffset->Y()));
  c.Left += co.X;
  c.Top += co.Y;
  icon.Left += io.X;
  icon.Top += io.Y;
  // A flat button has no disabled look: disabled, it rests.
  TQuarnImage* strip = nullptr;
  TRect part;
  bool got = false;
  if (FPictures->Active()) {
    if (IsHot()) {
      got = FPictures->FrameRect(FPictures->Hot(), strip, part);
    } else if (IsPressed()) {
      got = FPictures->FrameRect(FPictures->Pressed(), strip, part);
      icon.Left += FPressedOffset;
      if (FPressedOffset > 0) c.Left += 1;
    } else {
      got = FPictures->FrameRect(FPictures->Normal(), strip, part);
    }
  }
  if (got) StretchBitmapPart(strip, part, Buffer);
  if (FLayerMode) DrawLayers(Buffer);
  DrawDropdownMenu(Buffer);
  if (TQuarnImage* img = TQuarnResManagerObj()->GetImageByName(FImage)) img->DrawTo(Buffer, icon.Left, icon.Top);
  if (FCaptionVisible) {
    TFont* font = IsHot() ? FHotFont.get() : Font();
    Buffer->Font()->Assign(font);
    Buffer->Canvas()->Font()->Assign(font);
    Buffer->Canvas()->TextExtent(String());
    const String text = Caption();
    const HDC dc = Buffer->Canvas()->Handle();
    TRect t(c.Left, c.Top, c.Left + CalcTextWidthW(dc, text), c.Top + CalcTextHeightW(dc, text));
    Cardinal format = DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_WORDBREAK;
    format &= FWordWrap ? ~Cardinal(DT_SINGLELINE) : ~Cardinal(DT_WORDBREAK);
    if (FLight->Active())
      DrawEffectText(Buffer->Canvas(), t, text, format, 0, FLight->Color(), FLight->BlurRadius(), false);
    if (FWordWrap) Buffer->Textout(t, format, text);
    else Buffer->Textout(t.Left, t.Top, text);
  }
  FinishFace(Buffer, false);
  Buffer->EndUpdate();
}

// ---- animated button --------------------------------------------------------

void TQnAnimatePicture::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TQnAnimatePicture*>(Source)) {
    FPicture = s->FPicture;
    FCount = s->FCount;
    DoChanged();
    return;
  }
  TPersistent::Assign(Source);
}

void TQnAnimatePicture::SetPicture(const TQnResID& Value) {
  if (FPicture == Value) return;
  FPicture = Value;
  DoChanged();
}

void TQnAnimatePicture::SetCount(Integer Value) {
  FCount = Value;
  DoChanged();
}

void TQnAnimatePicture::DoChanged() {
  if (FOnChanged) FOnChanged(this);
}

TQuarnAnimateButton::TQuarnAnimateButton(TComponent* AOwner) : TQuarnCustomButton(AOwner) {
  FAnimate = std::make_unique<TQnAnimatePicture>();
  FAnimate->SetOnChanged(TNotifyEvent(this, &TQuarnAnimateButton::AnimateChanged));
  FTimer = std::make_unique<TTimer>(nullptr);
  FTimer->SetEnabled(false);
  FTimer->SetOnTimer(TNotifyEvent(this, &TQuarnAnimateButton::Step));
  FCaptionVisible = false;
  SetBounds(Left(), Top(), 48, 48);
}

TQuarnAnimateButton::~TQuarnAnimateButton() {
  FTimer->SetEnabled(false);
  FCurrentImg = nullptr;
  FreeDynImg(FDynImg);
}

void TQuarnAnimateButton::SetAnimateSpeed(Cardinal Value) {
  if (FAnimateSpeed == Value) return;
  FAnimateSpeed = Value;
  BuildFrames();
}

void TQuarnAnimateButton::AnimateChanged(TObject*) {
  BuildFrames();
  Invalidate();
}

void TQuarnAnimateButton::ScaleControlsForDpi(Integer NewPPI) {
  TQuarnCustomButton::ScaleControlsForDpi(NewPPI);
  BuildFrames();
}

void TQuarnAnimateButton::BuildFrames() {
  // The current image is one of the frames about to go.
  FCurrentImg = nullptr;
  const Integer count = FAnimate->Count();
  TQuarnImage* strip = count >= 1 ? TQuarnResManagerObj()->GetImageByName(FAnimate->Picture()) : nullptr;
  if (!strip) {
    FreeDynImg(FDynImg);
    return;
  }
  SpliteImg(strip, count, FDynImg);
  FTimer->SetInterval(std::max<Cardinal>(5, FAnimateSpeed / Cardinal(count)));
  // A rebuilt strip may be shorter than the index.
  if (FAnimateIndex >= FrameCount()) FAnimateIndex = std::max(0, FrameCount() - 1);
}

void TQuarnAnimateButton::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CM_MOUSEENTER:
      TQuarnCustomButton::Dispatch(Message);
      FAnimateIndex = 0;
      if (!Designing()) FTimer->SetEnabled(true);
      return;
    case CM_MOUSELEAVE:
      TQuarnCustomButton::Dispatch(Message);
      if (!Designing()) FTimer->SetEnabled(true);
      return;
    default: TQuarnCustomButton::Dispatch(Message);
  }
}

void TQuarnAnimateButton::Step(TObject*) {
  const Integer count = FrameCount();
  if (FAnimateIndex >= 0 && FAnimateIndex < count) {
    FCurrentImg = FDynImg[FAnimateIndex];
    Invalidate();
  }
  if (FMouseIn) {
    if (FAnimateIndex + 1 >= count) FTimer->SetEnabled(false);
    else ++FAnimateIndex;
  } else {
    if (FAnimateIndex - 1 < 0) FTimer->SetEnabled(false);
    else --FAnimateIndex;
  }
}

void TQuarnAnimateButton::DrawBody(TBitmap32* Buffer) {
  Buffer->BeginUpdate();
  TQuarnImage* img = nullptr;
  if (IsHot() || FTimer->Enabled()) img = FCurrentImg;
  if (!img && !FDynImg.empty()) img = FDynImg[0];
  if (img) {
    const Integer d = IsPressed() ? 1 : 0;
    img->DrawTo(Buffer, d, d);
  }
  if (FCaptionVisible) {
    Buffer->Font()->Assign(Font());
    Buffer->Canvas()->Font()->Assign(Font());
    Buffer->Textout(FCaptionOffset->X(), FCaptionOffset->Y(), Caption());
  }
  FinishFace(Buffer, false);
  Buffer->EndUpdate();
}

// ---- link button ------------------------------------------------------------

TQnURLButton::TQnURLButton(TComponent* AOwner) : TQuarnLabel(AOwner) {
  FFontHot = std::make_unique<TFont>();
  FFontHot->SetColor(static_cast<TColor>(0x00FF0000));
  SetCursor(crHandPoint);
}

void TQnURLButton::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE:
      TQuarnCustomControl::Dispatch(Message);
      if (Message.LParam && MessageControl(Message) != this) return;
      FMouseIn = Message.Msg == CM_MOUSEENTER;
      Invalidate();
      return;
    default: TQuarnLabel::Dispatch(Message);
  }
}

void TQnURLButton::Click() {
  TQuarnLabel::Click();
  if (CanFocus()) SetFocus();
}

void TQnURLButton::DrawBody(TBitmap32* Buffer) {
  if (FAutoSize && Align() == alNone) AdjustBounds();
  TRect r(0, 0, Width(), Height());
  Cardinal format = 0;
  switch (FAlignmentHorizontal) {
    case taLeftJustify: break;
    case taRightJustify: format |= DT_RIGHT; break;
    case taCenter: format |= DT_CENTER; break;
  }
  switch (FAlignmentVertical) {
    case taAlignTop: break;
    case taAlignBottom: format |= DT_BOTTOM | DT_SINGLELINE; break;
    case taVerticalCenter: format |= DT_VCENTER | DT_SINGLELINE; break;
  }
  TFont* font = FMouseIn ? FFontHot.get() : Font();
  Buffer->Canvas()->Font()->Assign(font);
  Buffer->Font()->Assign(font);
  const String text = Caption();
  if (FLight->Active())
    DrawEffectText(Buffer->Canvas(), r, text, format, 0, FLight->Color(), FLight->BlurRadius(), false);
  Buffer->Textout(r, format, text);
}

}  // namespace qn

QN_PUBLISHED_IMPL(qn::TQuarnImageButton)
QN_PUBLISHED_IMPL(qn::TQuarnButton)
QN_PUBLISHED_IMPL(qn::TQuarnToolButton)
QN_PUBLISHED_IMPL(qn::TQnAnimatePicture)
QN_PUBLISHED_IMPL(qn::TQuarnAnimateButton)
QN_PUBLISHED_IMPL(qn::TQnURLButton)
