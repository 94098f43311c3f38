#include "skin/extended/uQuarnScrollMsgBar.h"

#include <algorithm>
#include <cmath>

#include "platform/rtl/Units.h"
#include "platform/vcl/Forms.h"

namespace qn {

namespace {

// Word break, no prefix, edit-control line breaking, end ellipsis; left and
// top aligned.
constexpr UINT ItemTextFlags = 0xA810;

}  // namespace

// ---------------------------------------------------------------- text

TLayerTextObj::TLayerTextObj(TScrollMsgBarItem* AOwner)
    : FOwner(AOwner), FFont(std::make_unique<TFont>()), FFontHot(std::make_unique<TFont>()) {
  FFont->SetColor(static_cast<TColor>(0x00000000));
  FFont->SetSize(9);
  FFontHot->SetColor(static_cast<TColor>(0x000000FF));
  FFontHot->SetSize(9);
  FFont->SetOnChange(TNotifyEvent(this, &TLayerTextObj::FontChanged));
  FFontHot->SetOnChange(TNotifyEvent(this, &TLayerTextObj::FontChanged));
}

TLayerTextObj::~TLayerTextObj() {
  FFont->SetOnChange({});
  FFontHot->SetOnChange({});
}

void TLayerTextObj::Assign(TPersistent* Source) {
  auto* Src = dynamic_cast<TLayerTextObj*>(Source);
  if (!Src) {
    TPersistent::Assign(Source);
    return;
  }
  if (Src == this) return;
  FText = Src->FText;
  FRect = Src->FRect;
  // Each font change lays the item out; the text is in place by then.
  FFont->Assign(Src->FFont.get());
  FFontHot->Assign(Src->FFontHot.get());
  DoChanged();
}

void TLayerTextObj::SetText(const String& Value) {
  if (FText == Value) return;
  FText = Value;
  DoChanged();
}

void TLayerTextObj::DoChanged() {
  if (FOwner) FOwner->DoChanged();
}

void TLayerTextObj::FontChanged(TObject*) { DoChanged(); }

// ---------------------------------------------------------------- item

TScrollMsgBarItem::TScrollMsgBarItem(TLayerCollection* ALayerCollection)
    : TScrollMsgBarItemLayer(ALayerCollection),
      FText(std::make_unique<TLayerTextObj>(this)),
      FIcon(std::make_unique<TBitmap32>()) {
  SetScaled(false);
  FIcon->SetDrawMode(TDrawMode::dmBlend);
  FIcon->SetOnChange(TNotifyEvent(this, &TScrollMsgBarItem::DoIconChanged));
  if (ALayerCollection) FOwner = dynamic_cast<TCustomQuarnScrollMsgBar*>(ALayerCollection->Owner());
  SetLocation(TFloatRect(0, 0, 0, 0));
  SetMouseEvents(false);
}

TScrollMsgBarItem::~TScrollMsgBarItem() {
  FAlive.reset();
  FIcon->SetOnChange({});
  // However the item goes, the bar's list must not keep it.
  if (FOwner) {
    auto& L = FOwner->FItems;
    L.erase(std::remove(L.begin(), L.end(), this), L.end());
  }
}

void TScrollMsgBarItem::SetData(void* Value) {
  if (FData == Value) return;
  FData = Value;
  DoChanged();
}

void TScrollMsgBarItem::SetVisible(bool Value) {
  if (FVisible == Value) return;
  FVisible = Value;
  DoChanged();
}

void TScrollMsgBarItem::SetMouseInObject(TMouseInObject Value) {
  if (FMouseInObject == Value) return;
  FMouseInObject = Value;
  DoChanged();
}

void TScrollMsgBarItem::DoInvalidate() { Changed(); }

void TScrollMsgBarItem::DoChanged() {
  ResetSize();
  DoInvalidate();
}

void TScrollMsgBarItem::DoIconChanged(TObject*) { DoChanged(); }

void TScrollMsgBarItem::ResetSize() {
  if (!FOwner) return;
  const Integer W = FOwner->Width(), H = FOwner->Height();
  if (!FIcon->Empty()) FIconSize = TSize(FIcon->Width(), FIcon->Height());

  TBitmap Temp;
  Temp.SetSize(1, 1);
  Temp.Canvas()->Font()->Assign(FText->Font());
  // Selects the font into the DC before the DC is used directly.
  Temp.Canvas()->TextExtent(String());
  RECT T(0, 0, W, H);
  String S = FText->Text();
  DrawTextW(Temp.Canvas()->Handle(), S.data(), Integer(S.size()), &T, ItemTextFlags | DT_CALCRECT);
  if (T.Bottom < H) {
    const Integer D = (H - T.Bottom) / 2;
    T.Top += D;
    T.Bottom += D;
  } else {
    T.Bottom = H;
  }
  const Integer TW = T.Right - T.Left, TH = T.Bottom - T.Top;
  FItemSize = TSize(TW + FIconSize.cx, std::max<Integer>(FIconSize.cy, TH));

  Integer X = 0;
  if (FOwner->Alignment() == taRightJustify)
    X = W - FItemSize.cx;
  else if (FOwner->Alignment() == taCenter)
    X = (W - FItemSize.cx) / 2;
  FOriginalY = (H - FItemSize.cy) / 2;
  SetLocation(TFloatRect(Single(X), Single(H + 1), Single(X + FItemSize.cx), Single(H + 1 + FItemSize.cy)));

  const Integer D = (FItemSize.cy - FIconSize.cy) / 2;
  FIconRect = TRect(X, D, X + FIconSize.cx, D + FIconSize.cy);
  const Integer E = (FItemSize.cy - TH) / 2;
  const Integer TX = X + FOwner->Space() + FIconSize.cx;
  FText->SetRect(TRect(TX, E, TX + TW, E + TH));
}

bool TScrollMsgBarItem::TextHit(Integer X, Integer Y) {
  const Integer Top = static_cast<Integer>(std::trunc(Location().Top));
  const TRect& R = FText->Rect();
  return X >= R.Left && X < R.Right && Y >= R.Top + Top && Y < R.Bottom + Top;
}

void TScrollMsgBarItem::Paint(TBitmap32* Buffer) {
  const Integer Top = static_cast<Integer>(std::trunc(Location().Top));
  Buffer->BeginUpdate();
  if (!FIcon->Empty()) Buffer->Draw(FIconRect.Left, Top + FIconRect.Top, FIcon.get());
  TRect R = FText->Rect();
  R.Top += Top;
  R.Bottom += Top;
  Buffer->Font()->Assign(FMouseInObject == ioText ? FText->FontHot() : FText->Font());
  Buffer->Textout(R, ItemTextFlags, FText->Text());
  Buffer->EndUpdate();
  if (!FOwner || !FOwner->FOnItemPaint) return;
  if (Buffer->MeasuringMode()) {
    // The repaint optimizer asks where the item draws, from inside layer
    // changes and the preparation of a paint, which cannot go on with the
    // bar freed under them: the handler is not run there, and the item's
    // whole place, where it draws, stands for what it would draw.
    Buffer->Changed(MakeRect(GetAdjustedLocation(), TRectRounding::rrOutside));
    return;
  }
  // The handler may free the bar, and with it the event it runs from; the
  // paint stops touching both when it returns.
  const TSMItemDrawEvent OnItemPaint = FOwner->FOnItemPaint;
  OnItemPaint(FOwner, this, Buffer);
}

// ---------------------------------------------------------------- bar

TCustomQuarnScrollMsgBar::TCustomQuarnScrollMsgBar(TComponent* AOwner) : TQuarnCustomLayerControl(AOwner) {
  SetColor(static_cast<TColor>(0x00FFFFFF));
  SetRepaintMode(rmOptimizer);
  FTimer = std::make_unique<uSimpleTimer::TSimpleTimer>();
  FTimer->SetInterval(30);
  FTimer->SetOnTimer(TNotifyEvent(this, &TCustomQuarnScrollMsgBar::DoTimer));
  // Runs in the designer too, so the messages slide there as well.
  FTimer->SetEnabled(true);
  SetBounds(Left(), Top(), 350, 36);
}

TCustomQuarnScrollMsgBar::~TCustomQuarnScrollMsgBar() {
  // A slide still on the stack sees this and stops touching the bar.
  FAlive.reset();
  FTimer->SetEnabled(false);
  Clear();
  FTimer.reset();
}

TScrollMsgBarItem* TCustomQuarnScrollMsgBar::AddItem() {
  auto* Item = Layers()->Add<TScrollMsgBarItem>();
  FItems.push_back(Item);
  Item->ResetSize();
  DoChanged();
  return Item;
}

void TCustomQuarnScrollMsgBar::Delete(Integer Index) {
  TScrollMsgBarItem* Item = GetItem(Index);
  if (!Item) return;
  delete Item;  // leaves the list itself
  DoChanged();
}

void TCustomQuarnScrollMsgBar::Clear() {
  while (!FItems.empty()) delete FItems.back();
}

TScrollMsgBarItem* TCustomQuarnScrollMsgBar::GetItem(Integer Index) const {
  if (Index < 0 || Index >= Count()) return nullptr;
  return FItems[static_cast<size_t>(Index)];
}

Integer TCustomQuarnScrollMsgBar::GetFirstVisibleItem() const { return GetNextVisibleItem(-1); }

Integer TCustomQuarnScrollMsgBar::GetLastVisibleItem() const { return GetPrevVisibleItem(Count()); }

Integer TCustomQuarnScrollMsgBar::GetNextVisibleItem(Integer Index) const {
  for (Integer i = std::max<Integer>(Index + 1, 0); i < Count(); ++i)
    if (FItems[static_cast<size_t>(i)]->Visible()) return i;
  return -1;
}

Integer TCustomQuarnScrollMsgBar::GetPrevVisibleItem(Integer Index) const {
  for (Integer i = std::min<Integer>(Index - 1, Count() - 1); i >= 0; --i)
    if (FItems[static_cast<size_t>(i)]->Visible()) return i;
  return -1;
}

void TCustomQuarnScrollMsgBar::ReStart() { FItemIndex = GetFirstVisibleItem(); }

void TCustomQuarnScrollMsgBar::SetAutoScroll(bool Value) {
  if (FAutoScroll == Value) return;
  FAutoScroll = Value;
  FTimer->SetEnabled(Value);
  if (!Value) FLastScrollTime = 0;
}

void TCustomQuarnScrollMsgBar::SetAlignment(TAlignment Value) {
  if (FAlignment == Value) return;
  FAlignment = Value;
  DoChanged();
}

void TCustomQuarnScrollMsgBar::SetSpace(Integer Value) {
  if (FSpace == Value) return;
  FSpace = Value;
  DoChanged();
}

TEasingType TCustomQuarnScrollMsgBar::GetAnimateEasing() {
  switch (FAnimateEasing) {
    case aeQuad: return TEasingType::etQuadEaseIn;
    case aeCirc: return TEasingType::etCircEaseIn;
    case aeBack: return TEasingType::etBackEaseIn;
    case aeBounce: return TEasingType::etBounceEaseIn;
    case aeCubic: return TEasingType::etCubicEaseIn;
    case aeElastic: return TEasingType::etElasticEaseIn;
    case aeExpo: return TEasingType::etExpoEaseIn;
    case aeQuart: return TEasingType::etQuartEaseIn;
    case aeQuint: return TEasingType::etQuintEaseIn;
    case aeSine: return TEasingType::etSineEaseIn;
  }
  return TEasingType::etQuadEaseIn;
}

TCustomLayer* TCustomQuarnScrollMsgBar::FindLayerAtPos(Integer X, Integer Y) {
  for (Integer i = Layers()->Count() - 1; i >= 0; --i) {
    TCustomLayer* L = Layers()->Items(i);
    if (L->HitTest(X, Y)) return L;
  }
  return nullptr;
}

TScrollMsgBarItem* TCustomQuarnScrollMsgBar::FindItemAtPos(Integer X, Integer Y) {
  return dynamic_cast<TScrollMsgBarItem*>(FindLayerAtPos(X, Y));
}

void TCustomQuarnScrollMsgBar::DoItemClick(TObject* Sender, TScrollMsgBarItem* Item) {
  if (FOnItemClick) FOnItemClick(Sender, Item);
}

void TCustomQuarnScrollMsgBar::DoTimer(TObject*) {
  const UInt64 Now = GetTickCount64();
  if (FLastScrollTime == 0) FLastScrollTime = Now;
  if (Now - FLastScrollTime < static_cast<UInt64>(std::max<Integer>(FScrollInterval, 0))) return;
  FLastScrollTime = Now;
  Next(true);
}

void TCustomQuarnScrollMsgBar::SlideStepMessages() {
  Sleep(2);
  Application->ProcessMessages();
}

namespace {

// Clears the bar's slide flag on every way out, unless the bar is gone.
class TScrollingGuard {
 public:
  TScrollingGuard(bool& Flag, std::weak_ptr<bool> Alive) : FFlag(Flag), FAlive(std::move(Alive)) { FFlag = true; }
  ~TScrollingGuard() {
    if (!FAlive.expired()) FFlag = false;
  }
  bool BarAlive() const { return !FAlive.expired(); }

 private:
  bool& FFlag;
  std::weak_ptr<bool> FAlive;
};

void Place(TScrollMsgBarItem* Item, double Top) {
  const TFloatRect& L = Item->Location();
  Item->SetLocation(TFloatRect(L.Left, Single(Top), L.Right, Single(Top + Item->ItemSize().cy)));
}

}  // namespace

void TCustomQuarnScrollMsgBar::Next(bool CheckMouse) {
  if (FScrolling) return;
  TScrollingGuard Guard(FScrolling, FAlive);
  if (CheckMouse) {
    if (TScrollMsgBarItem* Shown = GetItem(FItemIndex)) {
      POINT P;
      if (GetCursorPos(&P) && HandleAllocated()) {
        const TPoint C = ScreenToClient(TPoint(P.X, P.Y));
        const TRect R = ClientRect();
        if (C.X < R.Left || C.X >= R.Right || C.Y < R.Top || C.Y >= R.Bottom) Shown->FMouseInObject = ioNone;
      }
      if (Shown->FMouseInObject == ioText) return;
    }
  }
  Integer Target = GetNextVisibleItem(FItemIndex);
  if (Target < 0) {
    if (!FLoopMode) return;
    Target = GetFirstVisibleItem();
  }
  if (Target >= 0 && Target != FItemIndex) Slide(Target, true);
  if (!Guard.BarAlive()) return;
  FLastScrollTime = GetTickCount64();
}

void TCustomQuarnScrollMsgBar::Prev() {
  if (FScrolling) return;
  TScrollingGuard Guard(FScrolling, FAlive);
  Integer Target = GetPrevVisibleItem(FItemIndex < 0 ? Count() : FItemIndex);
  if (Target < 0) {
    if (!FLoopMode) return;
    Target = GetLastVisibleItem();
  }
  if (Target >= 0 && Target != FItemIndex) Slide(Target, false);
  if (!Guard.BarAlive()) return;
  FLastScrollTime = GetTickCount64();
}

void TCustomQuarnScrollMsgBar::Slide(Integer Target, bool Up) {
  const Integer H = Height();
  // At least one step: with none the incoming item would stay parked.
  const Integer N = std::max<Integer>(1, FAnimateStep);
  const TResultArray V = TQnAnimateEasing::GenerateValues(H, N, GetAnimateEasing());
  const double Dir = Up ? 1.0 : -1.0;

  const std::weak_ptr<bool> Bar = FAlive;
  TScrollMsgBarItem* Out = GetItem(FItemIndex);
  TScrollMsgBarItem* In = GetItem(Target);
  const std::weak_ptr<bool> OutAlive = Out ? Out->Token() : std::weak_ptr<bool>();
  const std::weak_ptr<bool> InAlive = In ? In->Token() : std::weak_ptr<bool>();
  if (Out == In) Out = nullptr;

  bool Broken = false;
  for (Integer S = N - 1; S >= 0; --S) {
    const double VOut = V[static_cast<size_t>(N - 1 - S)];
    const double VIn = V[static_cast<size_t>(S)];
    if (Out) Place(Out, Out->OriginalY() - Dir * (VOut + (S == 0 ? H + 1 : 0)));
    if (In) Place(In, S == 0 ? In->OriginalY() : In->OriginalY() + Dir * VIn);
    SlideStepMessages();
    // The messages may have freed the bar or either item; nothing freed
    // may be touched from here on.
    if (Bar.expired()) return;
    if (Out && OutAlive.expired()) {
      Out = nullptr;
      Broken = true;
    }
    if (In && InAlive.expired()) {
      In = nullptr;
      Broken = true;
    }
    if (Broken) break;
  }
  if (Broken) {
    // The survivor goes straight to where the slide would have left it.
    if (Out) Place(Out, Out->OriginalY() - Dir * (H + 1 + V.back()));
    if (In) Place(In, In->OriginalY());
  }
  // Items deleted meanwhile may have moved the incoming one.
  if (In) {
    const auto It = std::find(FItems.begin(), FItems.end(), In);
    FItemIndex = It != FItems.end() ? static_cast<Integer>(It - FItems.begin()) : Target;
  } else {
    FItemIndex = Target;
  }
}

void TCustomQuarnScrollMsgBar::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  TQuarnCustomLayerControl::MouseMove(Shift, X, Y);
  if (!FAllowClick) return;
  TScrollMsgBarItem* Hit = FindItemAtPos(X, Y);
  bool Changed = false;
  for (TScrollMsgBarItem* Item : FItems) {
    // An item the pointer left sideways or downwards is no longer hovered,
    // even with no other item under the point.
    const TMouseInObject State = Item == Hit && Item->TextHit(X, Y) ? ioText : ioNone;
    if (State == Item->FMouseInObject) continue;
    // Only the state and the picture: a new layout would park the item.
    Item->FMouseInObject = State;
    Item->DoInvalidate();
    Changed = true;
  }
  if (Changed) SetCursor(Hit && Hit->FMouseInObject == ioText ? crHandPoint : crDefault);
}

void TCustomQuarnScrollMsgBar::Click() {
  TQuarnCustomLayerControl::Click();
  if (!FAllowClick) return;
  TScrollMsgBarItem* Item = GetItem(FItemIndex);
  if (Item && Item->FMouseInObject == ioText) DoItemClick(this, Item);
}

void TCustomQuarnScrollMsgBar::WMSize(TMessage& Message) {
  TQuarnCustomLayerControl::Dispatch(Message);
  BeginUpdate();
  try {
    for (TScrollMsgBarItem* Item : std::vector<TScrollMsgBarItem*>(FItems)) Item->DoChanged();
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TCustomQuarnScrollMsgBar::Dispatch(TMessage& Message) {
  if (Message.Msg == WM_SIZE) {
    WMSize(Message);
    return;
  }
  TQuarnCustomLayerControl::Dispatch(Message);
}

void InitQuarnScrollMsgBar() { RegisterClasses({TQuarnScrollMsgBar::StaticClass()}); }

}  // namespace qn

QN_PUBLISHED_IMPL(qn::TQuarnScrollMsgBar)
