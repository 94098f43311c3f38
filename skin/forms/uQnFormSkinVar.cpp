#include "skin/forms/uQnFormSkinVar.h"

namespace qn {

THSB gHSB;
TQnFormSkinRes* gQnFormStyle = nullptr;

// ---------------------------------------------------------------------------

TQnFreeLink::~TQnFreeLink() { Watch(nullptr); }

void TQnFreeLink::Watch(TComponent* Value) {
  if (Value == FWatched) return;
  if (FWatched) RemoveFreeNotification(FWatched);
  FWatched = Value;
  if (FWatched) FreeNotification(FWatched);
}

void TQnFreeLink::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FWatched) {
    FWatched = nullptr;
    if (FOnFree) FOnFree(this);
  }
}

// ---------------------------------------------------------------------------

TQnFormSkinRes::TQnFormSkinRes(TQnCustomSkinRes* AOwner) : FOwner(AOwner) {}

TQnFormSkinRes::~TQnFormSkinRes() = default;

void TQnFormSkinRes::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TQnFormSkinRes*>(Source);
  if (!s) {
    inherited::Assign(Source);
    return;
  }
  if (s == this) return;
  BeginUpdate();
  try {
    SetActiveGradient(s->FActiveGradient);
    SetDoubleFrame(s->FDoubleFrame);
    SetFillStyle(s->FFillStyle);
    SetFlatFrame(s->FFlatFrame);
    SetRoundWindow(s->FRoundWindow);
    SetImageBorder(s->FImageBorder);
    SetTitleHeight(s->FTitleHeight);
    SetTitlerColor(s->FTitlerColor);
    SetColor(s->FColor);
    SetFramWidth(s->FFramWidth);
    SetHitTestWidth(s->FHitTestWidth);
    SetGradientHeight(s->FGradientHeight);
    SetCustomPictureName(s->FCustomPictureName);
    SetCustomPicture(s->FCustomPicture);
    SetStyle(s->FStyle);
    SetDefaultSkinOrder(s->FDefaultSkinOrder);
  } catch (...) {
    EndUpdate();
    throw;
  }
  // A copy is one change, even when every value already matched: the owner
  // re-applies what it was handed.
  EndUpdate();
}

void TQnFormSkinRes::EndUpdate() {
  if (FUpdateCount > 0 && --FUpdateCount == 0) DoChanged();
}

void TQnFormSkinRes::DoChanged() {
  if (FUpdateCount != 0 || FLocked) return;
  if (FOwner) FOwner->Apply();
  if (FOnChanged) FOnChanged(this);
}

#define QN_NOTIFYING_SETTER(Name, Type, Field) \
  void TQnFormSkinRes::Set##Name(Type Value) { \
    if (Field == Value) return;                \
    Field = Value;                             \
    DoChanged();                               \
  }

QN_NOTIFYING_SETTER(Style, TQuarnStyle, FStyle)
QN_NOTIFYING_SETTER(Color, TColor, FColor)
QN_NOTIFYING_SETTER(TitlerColor, TColor, FTitlerColor)
QN_NOTIFYING_SETTER(TitleHeight, Integer, FTitleHeight)
QN_NOTIFYING_SETTER(HitTestWidth, Integer, FHitTestWidth)
QN_NOTIFYING_SETTER(GradientHeight, Integer, FGradientHeight)
QN_NOTIFYING_SETTER(DefaultSkinOrder, Integer, FDefaultSkinOrder)
#undef QN_NOTIFYING_SETTER

void TQnFormSkinRes::SetFramWidth(Integer Value) {
  if (Value < 0 || Value == FFramWidth) return;
  FFramWidth = Value;
  DoChanged();
}

void TQnFormSkinRes::SetCustomPicture(const TQnResID& Value) {
  if (Value == FCustomPicture) return;
  FCustomPicture = Value;
  PictureChanged();
}

void TQnFormSkinRes::SetImageBorder(TQnFormLayerBorder* Value) {
  FImageBorder = Value;
  if (!FBorderLink && Value) FBorderLink = std::make_unique<TQnFreeLink>(TNotifyEvent(this, &TQnFormSkinRes::BorderFreed));
  if (FBorderLink) FBorderLink->Watch(Value);
}

void TQnFormSkinRes::BorderFreed(TObject*) { FImageBorder = nullptr; }

// ---------------------------------------------------------------------------

void InitQnFormSkinVar() {
  if (!gQnFormStyle) gQnFormStyle = new TQnFormSkinRes(nullptr);
}

void DoneQnFormSkinVar() {
  delete gQnFormStyle;
  gQnFormStyle = nullptr;
}

}  // namespace qn

QN_PUBLISHED_IMPL(qn::TQnFormSkinRes)
