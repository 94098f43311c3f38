#include "skin/extended/uQuarnAnimation.h"

#include "platform/rtl/Units.h"

namespace qn {

TQuarnCustomAnimation::TQuarnCustomAnimation(TComponent* AOwner)
    : TQuarnCustomControl(AOwner),
      FTimer(std::make_unique<uQnSimpleTimer::TSimpleTimer>()),
      FImagesChangeLink(std::make_unique<TChangeLink>()) {
  FTimer->SetEnabled(false);
  FTimer->SetOnTimer(TNotifyEvent(this, &TQuarnCustomAnimation::DoOnTimer));
  FImagesChangeLink->OnChange = TNotifyEvent(this, &TQuarnCustomAnimation::ImagesChange);
  SetBounds(Left(), Top(), 105, 105);
}

TQuarnCustomAnimation::~TQuarnCustomAnimation() {
  FTimer->SetEnabled(false);
  if (FImages) FImages->UnRegisterChanges(FImagesChangeLink.get());
}

void TQuarnCustomAnimation::Start() {
  FTimer->SetInterval(static_cast<Cardinal>(FDelay < 0 ? 0 : FDelay));
  FTimer->SetEnabled(true);
  if (FReverse && !FLoop) {
    if (FImages) FCurFrame = FImages->Count();
  } else {
    FCurFrame = 0;
  }
  FForth = true;
}

void TQuarnCustomAnimation::Stop() {
  FTimer->SetEnabled(false);
  FCurFrame = 0;
}

void TQuarnCustomAnimation::Pause() { FTimer->SetEnabled(false); }

void TQuarnCustomAnimation::SetImages(TCustomImageList* Value) {
  if (FImages) FImages->UnRegisterChanges(FImagesChangeLink.get());
  FImages = Value;
  if (FImages) {
    FImages->RegisterChanges(FImagesChangeLink.get());
    FImages->FreeNotification(this);
    if (FAutoSize) SetBounds(Left(), Top(), FImages->Width(), FImages->Height());
  }
  Invalidate();
}

void TQuarnCustomAnimation::Notification(TComponent* AComponent, TOperation Operation) {
  TQuarnCustomControl::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FImages) {
    // The list is going and has let go of its links already.
    FImages = nullptr;
    Invalidate();
  }
}

void TQuarnCustomAnimation::ImagesChange(TObject* Sender) {
  if (Sender == FImages) Update();
}

void TQuarnCustomAnimation::DoOnTimer(TObject*) {
  if (ComponentState().Contains(csDesigning) || !FImages) return;
  const Integer N = FImages->Count();
  if (FReverse && FLoop) {
    // Back and forth, turning at either end.
    FCurFrame += FForth ? 1 : -1;
    if (FCurFrame > 0 && FCurFrame >= N - 1)
      FForth = false;
    else if (FCurFrame <= 0)
      FForth = true;
  } else if (!FReverse) {
    if (FCurFrame >= 0 && FCurFrame < N - 1) {
      ++FCurFrame;
      if (FOnProcess) FOnProcess(this);
    } else if (FLoop) {
      FCurFrame = 0;
    } else {
      FTimer->SetEnabled(false);
      if (FOnFinish) FOnFinish(this);
    }
  } else {
    if (FCurFrame >= 0 && FCurFrame <= N) {
      --FCurFrame;
      if (FCurFrame >= 0 && FCurFrame < N && FOnProcess) FOnProcess(this);
    } else {
      FTimer->SetEnabled(false);
      if (FOnFinish) FOnFinish(this);
    }
  }
  // A handler may have taken the list away or freed it.
  Invalidate();
}

Integer TQuarnCustomAnimation::ShownFrame() {
  if (!FImages) return -1;
  const Integer N = FImages->Count();
  if (N <= 0) return -1;
  if (FCurFrame >= N) return N - 1;
  if (FCurFrame < 0) return 0;
  return FCurFrame;
}

void TQuarnCustomAnimation::DrawBody(TBitmap32* Buffer) {
  TQuarnCustomControl::DrawBody(Buffer);
  const Integer F = ShownFrame();
  if (F < 0) return;
  FImages->Draw(Buffer->Canvas(), (Width() - FImages->Width()) / 2, (Height() - FImages->Height()) / 2, F, true);
}

void InitQuarnAnimation() { RegisterClasses({TQuarnAnimation::StaticClass()}); }

}  // namespace qn

QN_PUBLISHED_IMPL(qn::TQuarnAnimation)
