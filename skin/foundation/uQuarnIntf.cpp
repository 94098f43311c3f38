#include "skin/foundation/uQuarnIntf.h"

#include <cstring>

namespace qn {

void FreeDynImg(TDynQuarnImage& Images) {
  for (TQuarnImage* i : Images) delete i;
  Images.clear();
}

// ---------------------------------------------------------------------------
// TPngPictures

TPngPictures::TPngPictures() = default;

template <class T>
void TPngPictures::Store(T& Field, const T& Value) {
  if (Field == Value) return;
  Field = Value;
  DoPicturesChanged();
}

void TPngPictures::DoPicturesChanged() {
  if (FUpdating) {
    FChangedWhileUpdating = true;
    return;
  }
  if (FPicturesChanged) FPicturesChanged(this);
}

void TPngPictures::LookUp() {
  TQuarnResManager* store = TQuarnResManagerObj();
  FSource = FImage.empty() ? nullptr : store->GetImageByName(FImage);
  FSourceGeneration = store->Generation();
}

void TPngPictures::SetImage(const TQnResID& Value) {
  if (FImage == Value) return;
  FImage = Value;
  LookUp();
  DoPicturesChanged();
}

void TPngPictures::SetCount(Integer Value) { Store(FCount, Value); }
void TPngPictures::SetNormal(Integer Value) { Store(FNormal, Value); }
void TPngPictures::SetHot(Integer Value) { Store(FHot, Value); }
void TPngPictures::SetPressed(Integer Value) { Store(FPressed, Value); }
void TPngPictures::SetDisable(Integer Value) { Store(FDisable, Value); }
void TPngPictures::SetActive(bool Value) { Store(FActive, Value); }
void TPngPictures::SetMultiLineMode(bool Value) { Store(FMultiLineMode, Value); }

void TPngPictures::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TPngPictures*>(Source)) {
    ++FUpdating;
    SetImage(s->FImage);
    SetCount(s->FCount);
    SetNormal(s->FNormal);
    SetHot(s->FHot);
    SetPressed(s->FPressed);
    SetDisable(s->FDisable);
    SetActive(s->FActive);
    SetMultiLineMode(s->FMultiLineMode);
    --FUpdating;
    if (FChangedWhileUpdating) {
      FChangedWhileUpdating = false;
      DoPicturesChanged();
    }
    return;
  }
  inherited::Assign(Source);
}

TQuarnImage* TPngPictures::Source() {
  if (FImage.empty()) return nullptr;
  // Looked up again when the store freed images since, and while nothing
  // was found (the id may have been added meanwhile).
  if (!FSource || FSourceGeneration != TQuarnResManagerObj()->Generation()) LookUp();
  return FSource;
}

Integer TPngPictures::GetSingleWidth() {
  TQuarnImage* src = Source();
  if (!src || FCount <= 0) return 0;
  return FMultiLineMode ? src->Width() : src->Width() / FCount;
}

Integer TPngPictures::GetSingleHeight() {
  TQuarnImage* src = Source();
  if (!src || FCount <= 0) return 0;
  return FMultiLineMode ? src->Height() / FCount : src->Height();
}

bool TPngPictures::FrameRect(Integer Index, TQuarnImage*& Strip, TRect& Rect) {
  if (FCount <= 0 || Index < 0 || Index >= FCount) return false;
  TQuarnImage* src = Source();
  if (!src || src->Empty()) return false;
  const Integer w = GetSingleWidth(), h = GetSingleHeight();
  if (w <= 0 || h <= 0) return false;
  const Integer x0 = FMultiLineMode ? 0 : Index * w;
  const Integer y0 = FMultiLineMode ? Index * h : 0;
  Strip = src;
  Rect = TRect(x0, y0, x0 + w, y0 + h);
  return true;
}

bool TPngPictures::GetFrame(Integer Index, TQuarnImage* Image) {
  TQuarnImage* src = nullptr;
  TRect r;
  if (!Image || !FrameRect(Index, src, r)) return false;
  const Integer w = r.Right - r.Left, h = r.Bottom - r.Top;
  Image->SetSize(w, h);
  for (Integer y = 0; y < h; ++y)
    std::memcpy(Image->ScanLine(y), src->ScanLine(r.Top + y) + r.Left, static_cast<size_t>(w) * sizeof(TColor32));
  Image->Changed();
  return true;
}

// ---------------------------------------------------------------------------
// TQnLightClass

void TQnLightClass::Changed() {
  if (FOnChange) FOnChange(this);
}

void TQnLightClass::SetActive(bool Value) {
  if (FActive == Value) return;
  FActive = Value;
  Changed();
}

void TQnLightClass::SetColor(TColor Value) {
  if (FColor == Value) return;
  FColor = Value;
  Changed();
}

void TQnLightClass::SetBlurRadius(Integer Value) {
  if (FBlurRadius == Value) return;
  FBlurRadius = Value;
  Changed();
}

void TQnLightClass::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TQnLightClass*>(Source)) {
    if (FActive == s->FActive && FColor == s->FColor && FBlurRadius == s->FBlurRadius) return;
    FActive = s->FActive;
    FColor = s->FColor;
    FBlurRadius = s->FBlurRadius;
    Changed();
    return;
  }
  inherited::Assign(Source);
}

// ---------------------------------------------------------------------------
// TQnTextObj and TQnCaption

TQnTextObj::TQnTextObj() : FLight(std::make_unique<TQnLightClass>()) {
  FLight->SetOnChange(TNotifyEvent(this, &TQnTextObj::SubObjectChanged));
}

TQnTextObj::~TQnTextObj() = default;

void TQnTextObj::DoChanged() {
  if (FAssigning) {
    FAssignChanged = true;
    return;
  }
  if (FOnChanged) FOnChanged(this);
}

void TQnTextObj::SetVisible(bool Value) {
  if (FVisible == Value) return;
  FVisible = Value;
  DoChanged();
}

void TQnTextObj::SetText(const String& Value) {
  if (FText == Value) return;
  FText = Value;
  DoChanged();
}

void TQnTextObj::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TQnTextObj*>(Source)) {
    ++FAssigning;
    SetVisible(s->FVisible);
    SetText(s->FText);
    FLight->Assign(s->FLight.get());
    --FAssigning;
    if (FAssignChanged && !FAssigning) {
      FAssignChanged = false;
      DoChanged();
    }
    return;
  }
  inherited::Assign(Source);
}

TQnCaption::TQnCaption() : FFont(std::make_unique<TFont>()) {
  FFont->SetOnChange(TNotifyEvent(static_cast<TQnTextObj*>(this), &TQnCaption::SubObjectChanged));
}

TQnCaption::~TQnCaption() = default;

void TQnCaption::SetOffsetX(Integer Value) {
  if (FOffsetX == Value) return;
  FOffsetX = Value;
  DoChanged();
}

void TQnCaption::SetOffsetY(Integer Value) {
  if (FOffsetY == Value) return;
  FOffsetY = Value;
  DoChanged();
}

void TQnCaption::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TQnCaption*>(Source)) {
    ++FAssigning;
    inherited::Assign(Source);
    FFont->Assign(s->FFont.get());
    SetOffsetX(s->FOffsetX);
    SetOffsetY(s->FOffsetY);
    --FAssigning;
    if (FAssignChanged && !FAssigning) {
      FAssignChanged = false;
      DoChanged();
    }
    return;
  }
  inherited::Assign(Source);
}

// ---------------------------------------------------------------------------
// TQnOffset

void TQnOffset::Changed() {
  if (FOnChanged) FOnChanged(this);
}

void TQnOffset::SetX(Integer Value) {
  if (FX == Value) return;
  FX = Value;
  Changed();
}

void TQnOffset::SetY(Integer Value) {
  if (FY == Value) return;
  FY = Value;
  Changed();
}

void TQnOffset::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TQnOffset*>(Source)) {
    if (FX == s->FX && FY == s->FY) return;
    FX = s->FX;
    FY = s->FY;
    Changed();
    return;
  }
  inherited::Assign(Source);
}

}  // namespace qn

QN_PUBLISHED_IMPL(qn::TPngPictures)
QN_PUBLISHED_IMPL(qn::TQnLightClass)
QN_PUBLISHED_IMPL(qn::TQnTextObj)
QN_PUBLISHED_IMPL(qn::TQnCaption)
QN_PUBLISHED_IMPL(qn::TQnOffset)
