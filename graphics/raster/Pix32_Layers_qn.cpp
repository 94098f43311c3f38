#include "graphics/raster/Pix32_Layers_qn.h"

#include <immintrin.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <typeinfo>

#include "graphics/raster/Pix32_RepaintOpt_qn.h"
#include "graphics/raster/Pix32_Resamplers_qn.h"
#include "platform/rtl/Math.h"
#include "platform/vcl/Forms.h"

namespace qn {

TLayerCropRectFunc LayerCropHook = nullptr;

namespace {

TLayerState ButtonState(TMouseButton Button) {
  switch (Button) {
    case TMouseButton::mbRight: return lsMouseRight;
    case TMouseButton::mbMiddle: return lsMouseMiddle;
    default: return lsMouseLeft;
  }
}

}  // namespace

// ---------------------------------------------------------------------------
// TLayerEnum

bool TLayerEnum::MoveNext() {
  if (FIndex < FLayerCollection->Count() - 1) {
    ++FIndex;
    return true;
  }
  return false;
}

TCustomLayer* TLayerEnum::GetCurrent() const { return FLayerCollection->Items(FIndex); }

// ---------------------------------------------------------------------------
// TLayerCollection

TLayerCollection::TLayerCollection(TPersistent* AOwner) : FOwner(AOwner) {}

TLayerCollection::~TLayerCollection() {
  // Layers freed with the collection report nothing to the host.
  FUpdateCount = 1;
  Clear();
}

TCustomLayer* TLayerCollection::Add(TLayerClass ItemClass) {
  if (!ItemClass || !ItemClass->InheritsFrom(TCustomLayer::StaticClass()))
    throw EInvalidCast(u"Invalid class type");
  auto* layer = static_cast<TCustomLayer*>(ItemClass->Create(this));
  layer->SetIndex(Count() - 1);
  Notify(lnLayerAdded, layer, layer->Index());
  return layer;
}

TCustomLayer* TLayerCollection::Insert(Integer Index, TLayerClass ItemClass) {
  BeginUpdate();
  TCustomLayer* layer = nullptr;
  try {
    layer = Add(ItemClass);
    layer->SetIndex(Index);
    Notify(lnLayerInserted, layer, Index);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
  return layer;
}

void TLayerCollection::Delete(Integer Index) { delete Items(Index); }

void TLayerCollection::Clear() {
  BeginUpdate();
  while (!FItems.empty()) delete FItems.back();
  Notify(lnCleared, nullptr, 0);
  EndUpdate();
}

void TLayerCollection::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TLayerCollection*>(Source);
  if (!src) {
    inherited::Assign(Source);
    return;
  }
  if (src == this) return;
  BeginUpdate();
  try {
    while (!FItems.empty()) delete FItems.back();
    for (TCustomLayer* s : src->FItems) Add(s->ClassType())->Assign(s);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TLayerCollection::IndexError(Integer Index) { TList::Error(u"List index out of bounds (%d)", Index); }

void TLayerCollection::SetItem(Integer Index, TCustomLayer* Value) { Items(Index)->Assign(Value); }

Integer TLayerCollection::IndexOf(const TCustomLayer* Layer) const {
  auto it = std::find(FItems.begin(), FItems.end(), Layer);
  return it == FItems.end() ? -1 : static_cast<Integer>(it - FItems.begin());
}

void TLayerCollection::BeginUpdate() {
  if (FUpdateCount == 0) Changing();
  ++FUpdateCount;
}

void TLayerCollection::EndUpdate() {
  --FUpdateCount;
  if (FUpdateCount == 0) Changed();
  Assert(FUpdateCount >= 0, u"Unpaired EndUpdate");
}

void TLayerCollection::Changing() {
  if (Assigned(FOnChanging)) FOnChanging(this);
}

void TLayerCollection::Changed() {
  if (Assigned(FOnChange)) FOnChange(this);
}

void TLayerCollection::GDIUpdate() {
  if (FUpdateCount == 0 && Assigned(FOnGDIUpdate)) FOnGDIUpdate(this);
}

void TLayerCollection::DoUpdateArea(const TRect& Rect) {
  if (Assigned(FOnAreaUpdated)) FOnAreaUpdated(this, Rect, AREA_RECT_FLAG);
  Changed();
}

void TLayerCollection::DoUpdateLayer(TCustomLayer* Layer) {
  if (Assigned(FOnLayerUpdated)) FOnLayerUpdated(this, Layer);
  Changed();
}

void TLayerCollection::InsertItem(TCustomLayer* Item) {
  BeginUpdate();
  PlacesChanged();
  FItems.push_back(Item);
  Item->FLayerCollection = this;
  Notify(lnLayerAdded, Item, Count() - 1);
  EndUpdate();
}

void TLayerCollection::RemoveItem(TCustomLayer* Item) {
  BeginUpdate();
  const Integer index = IndexOf(Item);
  if (index >= 0) {
    PlacesChanged();
    FItems.erase(FItems.begin() + index);
    Item->FLayerCollection = nullptr;
    Notify(lnLayerDeleted, Item, index);
  }
  EndUpdate();
}

void TLayerCollection::Notify(TLayerListNotification Action, TCustomLayer* Layer, Integer Index) {
  if (Assigned(FOnListNotify)) FOnListNotify(this, Action, Layer, Index);
}

TCustomLayer* TLayerCollection::FindLayerAtPos(Integer X, Integer Y, Cardinal OptionsMask) {
  for (Integer i = Count() - 1; i >= 0; --i) {
    TCustomLayer* layer = FItems[static_cast<size_t>(i)];
    if ((layer->FLayerOptions & OptionsMask) != 0 && layer->HitTest(X, Y)) return layer;
  }
  return nullptr;
}

void TLayerCollection::PlaceChanged(TCustomLayer* Layer) {
  ++FPlacesStamp;
  if (!FPlacesValid) return;
  // A layer moved many times between two paints is looked up once per
  // entry; past one entry per layer the whole array is cheaper.
  if (FChangedPlaces.size() >= FItems.size()) {
    PlacesChanged();
    return;
  }
  FChangedPlaces.push_back(Layer);
}

void TLayerCollection::PlacesChanged() {
  ++FPlacesStamp;
  FPlacesValid = false;
  FChangedPlaces.clear();
}

void TLayerCollection::UpdatePlace(size_t Index) {
  TCustomLayer* layer = FItems[Index];
  TPaintPlace& place = FPlaces[Index];
  // Only the plain class (by its type, not its class reference, which a
  // descendant need not declare): a descendant may paint anywhere.
  place.Known = typeid(*layer) == typeid(TBitmapLayer) && !Assigned(layer->FOnPaint);
  if (!place.Known) return;
  auto* bitmapLayer = static_cast<TBitmapLayer*>(layer);
  place.Rect = MakeRect(bitmapLayer->GetAdjustedLocation(), TRectRounding::rrClosest);
  if (bitmapLayer->Scaled()) FPlacesScaled = true;
}

const TLayerCollection::TPaintPlace* TLayerCollection::PaintPlaces() {
  // Places are rounded in the current rounding mode.
  const Cardinal rounding = _mm_getcsr() & 0x6000u;
  Single viewport[4] = {};
  if (FPlacesValid && (rounding != FPlacesRounding || FPlaces.size() != FItems.size())) FPlacesValid = false;
  if (FPlacesValid && FPlacesScaled) {
    GetViewportScale(viewport[0], viewport[1]);
    GetViewportShift(viewport[2], viewport[3]);
    if (std::memcmp(viewport, FPlacesViewport, sizeof(viewport)) != 0) FPlacesValid = false;
  }
  if (FPlacesValid) {
    for (TCustomLayer* layer : FChangedPlaces) {
      const Integer i = IndexOf(layer);
      if (i >= 0) UpdatePlace(static_cast<size_t>(i));
    }
    FChangedPlaces.clear();
    return FPlaces.data();
  }
  FChangedPlaces.clear();
  FPlaces.resize(FItems.size());
  FPlacesScaled = false;
  for (size_t i = 0; i < FItems.size(); ++i) UpdatePlace(i);
  FPlacesRounding = rounding;
  // A scaled layer's place follows the viewport: it is compared on every
  // call while one is kept.
  if (FPlacesScaled) {
    GetViewportScale(FPlacesViewport[0], FPlacesViewport[1]);
    GetViewportShift(FPlacesViewport[2], FPlacesViewport[3]);
  }
  FPlacesValid = true;
  return FPlaces.data();
}

void TLayerCollection::GetViewportScale(Single& ScaleX, Single& ScaleY) {
  if (Assigned(FOnGetViewportScale)) {
    FOnGetViewportScale(this, ScaleX, ScaleY);
  } else {
    ScaleX = 1;
    ScaleY = 1;
  }
}

void TLayerCollection::GetViewportShift(Single& ShiftX, Single& ShiftY) {
  if (Assigned(FOnGetViewportShift)) {
    FOnGetViewportShift(this, ShiftX, ShiftY);
  } else {
    ShiftX = 0;
    ShiftY = 0;
  }
}

TFloatPoint TLayerCollection::LocalToViewport(const TFloatPoint& APoint, bool AScaled) {
  if (!AScaled) return APoint;
  Single sx, sy, dx, dy;
  GetViewportScale(sx, sy);
  GetViewportShift(dx, dy);
  return TFloatPoint(APoint.X * sx + dx, APoint.Y * sy + dy);
}

TFloatPoint TLayerCollection::ViewportToLocal(const TFloatPoint& APoint, bool AScaled) {
  if (!AScaled) return APoint;
  Single sx, sy, dx, dy;
  GetViewportScale(sx, sy);
  GetViewportShift(dx, dy);
  return TFloatPoint((APoint.X - dx) / sx, (APoint.Y - dy) / sy);
}

TCustomLayer* TLayerCollection::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TCustomLayer* layer = FMouseListener ? FMouseListener : FindLayerAtPos(X, Y, LAYER_OPT_MOUSE_EVENTS);
  if (layer != FMouseListener && (!layer || (layer->FLayerOptions & LAYER_OPT_NO_CAPTURE) == 0))
    SetMouseListener(layer);
  if (FMouseListener) {
    FMouseListener->FLayerStates.Include(ButtonState(Button));
    FMouseListener->MouseDown(Button, Shift, X, Y);
  }
  return layer;
}

TCustomLayer* TLayerCollection::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  TCustomLayer* layer = FMouseListener ? FMouseListener : FindLayerAtPos(X, Y, LAYER_OPT_MOUSE_EVENTS);
  if (layer) {
    layer->MouseMove(Shift, X, Y);
  } else if (auto* control = dynamic_cast<TControl*>(FOwner)) {
    TCustomLayer::SetScreenCursor(control->Cursor());
  }
  return layer;
}

TCustomLayer* TLayerCollection::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TCustomLayer* layer = FMouseListener ? FMouseListener : FindLayerAtPos(X, Y, LAYER_OPT_MOUSE_EVENTS);
  if (layer) {
    layer->FLayerStates.Exclude(ButtonState(Button));
    layer->MouseUp(Button, Shift, X, Y);
  }
  if (FMouseListener && FMouseListener->FLayerStates.Empty()) SetMouseListener(nullptr);
  return layer;
}

void TLayerCollection::SetMouseListener(TCustomLayer* Value) {
  if (Value == FMouseListener) return;
  if (FMouseListener) FMouseListener->FLayerStates = TLayerStates{};
  FMouseListener = Value;
}

void TLayerCollection::SetMouseEvents(bool Value) {
  FMouseEvents = Value;
  SetMouseListener(nullptr);
}

// ---------------------------------------------------------------------------
// TCustomLayer

TCustomLayer::TCustomLayer(TLayerCollection* ALayerCollection) {
  SetLayerCollection(ALayerCollection);
  FLayerOptions = LAYER_OPT_VISIBLE;
}

void TCustomLayer::LeaveAll() {
  if (FLeft) return;
  FLeft = true;
  if (FFreeNotifies) {
    // A partner may unregister itself while being told; work on a copy.
    const std::vector<TCustomLayer*> partners = *FFreeNotifies;
    for (auto it = partners.rbegin(); it != partners.rend(); ++it) (*it)->Notification(this);
    FFreeNotifies.reset();
  }
  SetLayerCollection(nullptr);
}

void TCustomLayer::BeforeDestruction() {
  if (Assigned(FOnDestroy)) FOnDestroy(this);
  LeaveAll();
  inherited::BeforeDestruction();
}

TCustomLayer::~TCustomLayer() {
  if (FFreedInPaint) *FFreedInPaint = true;
  LeaveAll();
}

void TCustomLayer::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TCustomLayer*>(Source);
  if (!src) {
    inherited::Assign(Source);
    return;
  }
  Changing();
  // Reported before it takes the source's place and options: a copy that
  // ends up hidden reports nothing afterwards, and a descendant's update
  // bracket holds back the reports of this part. The mark of a change
  // pending with the optimizer is this layer's own, not the source's: taken
  // over, it would hide this layer's changes from the optimizer for good.
  if ((FLayerOptions & LAYER_OPT_NO_UPDATE) == 0) Update();
  FCursor = src->FCursor;
  FTag = src->FTag;
  FLayerOptions = (src->FLayerOptions & ~LAYER_OPT_INVALID) | (FLayerOptions & LAYER_OPT_INVALID);
  FOnHitTest = src->FOnHitTest;
  FOnMouseDown = src->FOnMouseDown;
  FOnMouseMove = src->FOnMouseMove;
  FOnMouseUp = src->FOnMouseUp;
  FOnPaint = src->FOnPaint;
  FOnDblClick = src->FOnDblClick;
  FOnClick = src->FOnClick;
  Changed();
}

void TCustomLayer::AddNotification(TCustomLayer* ALayer) {
  if (!FFreeNotifies) FFreeNotifies = std::make_unique<std::vector<TCustomLayer*>>();
  if (std::find(FFreeNotifies->begin(), FFreeNotifies->end(), ALayer) == FFreeNotifies->end())
    FFreeNotifies->push_back(ALayer);
}

void TCustomLayer::RemoveNotification(TCustomLayer* ALayer) {
  if (!FFreeNotifies) return;
  auto it = std::find(FFreeNotifies->begin(), FFreeNotifies->end(), ALayer);
  if (it != FFreeNotifies->end()) FFreeNotifies->erase(it);
  if (FFreeNotifies->empty()) FFreeNotifies.reset();
}

void TCustomLayer::Changing() {
  if (FUpdateCount == 0 && Visible() && FLayerCollection && (FLayerOptions & LAYER_OPT_NO_UPDATE) == 0)
    FLayerCollection->Changing();
}

void TCustomLayer::Changed() {
  // Every change of place (location, scaling, a copied layer) ends here,
  // whether or not it is reported on.
  if (FLayerCollection) FLayerCollection->PlaceChanged(this);
  if (FUpdateCount == 0 && FLayerCollection && (FLayerOptions & LAYER_OPT_NO_UPDATE) == 0) {
    Update();
    if (Visible())
      FLayerCollection->Changed();
    else if (FLayerOptions & LAYER_OPT_GDI_OVERLAY)
      FLayerCollection->GDIUpdate();
  }
  inherited::Changed();
}

void TCustomLayer::Changed(const TRect& Rect) {
  if (FUpdateCount == 0 && FLayerCollection && (FLayerOptions & LAYER_OPT_NO_UPDATE) == 0) {
    Update(Rect);
    if (Visible())
      FLayerCollection->Changed();
    else if (FLayerOptions & LAYER_OPT_GDI_OVERLAY)
      FLayerCollection->GDIUpdate();
  }
  inherited::Changed();
}

void TCustomLayer::Update() {
  if (FLayerCollection && (FLayerOptions & (LAYER_OPT_VISIBLE | LAYER_OPT_FORCE_UPDATE)) != 0)
    FLayerCollection->DoUpdateLayer(this);
}

void TCustomLayer::Update(const TRect& Rect) {
  if (FLayerCollection) FLayerCollection->DoUpdateArea(Rect);
}

bool TCustomLayer::HitTest(Integer X, Integer Y) {
  bool passed = DoHitTest(X, Y);
  if (Assigned(FOnHitTest)) FOnHitTest(this, X, Y, passed);
  return passed;
}

bool TCustomLayer::DoHitTest(Integer, Integer) { return Visible(); }

void TCustomLayer::DoPaint(TBitmap32* Buffer) {
  // The layer's paint may free it (a handler of its control's): nothing of
  // it is touched after that. An outer paint of the same layer hears of it.
  struct TFreedFlag {
    TCustomLayer* Layer;
    bool* Outer;
    bool Freed = false;
    ~TFreedFlag() {
      if (!Freed) Layer->FFreedInPaint = Outer;
      else if (Outer) *Outer = true;
    }
  } flag{this, FFreedInPaint};
  FFreedInPaint = &flag.Freed;
  Paint(Buffer);
  if (!flag.Freed && Assigned(FOnPaint)) {
    TPaintLayerEvent onPaint = FOnPaint;
    onPaint(this, Buffer);
  }
}

void TCustomLayer::Paint(TBitmap32*) {}
void TCustomLayer::PaintGDI(TCanvas*) {}
void TCustomLayer::Notification(TCustomLayer*) {}

Integer TCustomLayer::Index() const { return FLayerCollection ? FLayerCollection->IndexOf(this) : -1; }

void TCustomLayer::SetIndex(Integer Value) {
  if (!FLayerCollection) return;
  const Integer current = Index();
  auto& items = FLayerCollection->FItems;
  Value = std::clamp<Integer>(Value, 0, static_cast<Integer>(items.size()) - 1);
  if (Value == current || current < 0) return;
  const bool bracket = Visible();
  if (bracket) FLayerCollection->BeginUpdate();
  FLayerCollection->PlacesChanged();
  items.erase(items.begin() + current);
  items.insert(items.begin() + Value, this);
  // What lay above or below it now shows differently: the host repaints
  // the layer's area.
  if (bracket) {
    Update();
    FLayerCollection->EndUpdate();
  }
}

void TCustomLayer::BringToFront() {
  if (FLayerCollection) SetIndex(FLayerCollection->Count());
}

void TCustomLayer::SendToBack() { SetIndex(0); }

void TCustomLayer::SetLayerCollection(TLayerCollection* Value) {
  if (Value == FLayerCollection) return;
  if (FLayerCollection) {
    if (FLayerCollection->FMouseListener == this) FLayerCollection->SetMouseListener(nullptr);
    FLayerCollection->RemoveItem(this);
  }
  if (Value) Value->InsertItem(this);
}

void TCustomLayer::SetLayerOptions(Cardinal Value) {
  Changing();
  FLayerOptions = Value;
  Changed();
}

void TCustomLayer::SetMouseEvents(bool Value) {
  SetLayerOptions(Value ? FLayerOptions | LAYER_OPT_MOUSE_EVENTS : FLayerOptions & ~LAYER_OPT_MOUSE_EVENTS);
}

void TCustomLayer::SetVisible(bool Value) {
  if (Value) {
    SetLayerOptions(FLayerOptions | LAYER_OPT_VISIBLE);
  } else {
    // A hidden layer reports nothing; force this one report so the host
    // repaints the area it covered.
    SetForceUpdate(true);
    SetLayerOptions(FLayerOptions & ~LAYER_OPT_VISIBLE);
    SetForceUpdate(false);
  }
}

void TCustomLayer::SetInvalid(bool Value) {
  FLayerOptions = Value ? FLayerOptions | LAYER_OPT_INVALID : FLayerOptions & ~LAYER_OPT_INVALID;
}

void TCustomLayer::SetForceUpdate(bool Value) {
  FLayerOptions = Value ? FLayerOptions | LAYER_OPT_FORCE_UPDATE : FLayerOptions & ~LAYER_OPT_FORCE_UPDATE;
}

void TCustomLayer::SetScreenCursor(TCursor Value) {
  if (Screen) Screen->SetCursor(Value);
}

void TCustomLayer::SetCursor(TCursor Value) {
  if (Value == FCursor) return;
  FCursor = Value;
  if (FLayerCollection && FLayerCollection->FMouseListener == this) SetScreenCursor(Value);
}

void TCustomLayer::SetAsMouseListener() {
  if (FLayerCollection) FLayerCollection->SetMouseListener(this);
  SetScreenCursor(FCursor);
}

void TCustomLayer::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  if (Button == TMouseButton::mbLeft) {
    if (Shift.Contains(ssDouble))
      DblClick();
    else
      FClicked = true;
  }
  if (Assigned(FOnMouseDown)) FOnMouseDown(this, Button, Shift, X, Y);
}

void TCustomLayer::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  SetScreenCursor(FCursor);
  if (Assigned(FOnMouseMove)) FOnMouseMove(this, Shift, X, Y);
}

void TCustomLayer::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  SetScreenCursor(crDefault);
  if (Button == TMouseButton::mbLeft && FClicked) Click();
  if (Assigned(FOnMouseUp)) FOnMouseUp(this, Button, Shift, X, Y);
}

void TCustomLayer::Click() {
  FClicked = false;
  if (Assigned(FOnClick)) FOnClick(this);
}

void TCustomLayer::DblClick() {
  FClicked = false;
  if (Assigned(FOnDblClick)) FOnDblClick(this);
}

// ---------------------------------------------------------------------------
// TPositionedLayer

TPositionedLayer::TPositionedLayer(TLayerCollection* ALayerCollection) : TCustomLayer(ALayerCollection) {
  FLocation = TFloatRect(0, 0, 64, 64);
  FLayerOptions = LAYER_OPT_VISIBLE | LAYER_OPT_MOUSE_EVENTS;
}

void TPositionedLayer::Assign(TPersistent* Source) {
  BeginUpdate();
  try {
    inherited::Assign(Source);
    if (auto* src = dynamic_cast<TPositionedLayer*>(Source)) {
      FLocation = src->FLocation;
      FScaled = src->FScaled;
    }
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
  Changed();
}

void TPositionedLayer::SetLocation(const TFloatRect& Value) {
  Changing();
  DoSetLocation(Value);
  Changed();
}

void TPositionedLayer::DoSetLocation(const TFloatRect& NewLocation) { FLocation = NewLocation; }

void TPositionedLayer::SetScaled(bool Value) {
  if (Value == FScaled) return;
  Changing();
  FScaled = Value;
  Changed();
}

TFloatRect TPositionedLayer::GetAdjustedRect(const TFloatRect& R) {
  if (!FScaled || !FLayerCollection) return R;
  Single sx, sy, dx, dy;
  FLayerCollection->GetViewportScale(sx, sy);
  FLayerCollection->GetViewportShift(dx, dy);
  return TFloatRect(R.Left * sx + dx, R.Top * sy + dy, R.Right * sx + dx, R.Bottom * sy + dy);
}

bool TPositionedLayer::DoHitTest(Integer X, Integer Y) {
  const TFloatRect a = GetAdjustedRect(FLocation);
  const TFloat x = static_cast<TFloat>(X), y = static_cast<TFloat>(Y);
  return a.Left <= x && x < a.Right && a.Top <= y && y < a.Bottom && inherited::DoHitTest(X, Y);
}

// ---------------------------------------------------------------------------
// TBitmapLayer

TBitmapLayer::TBitmapLayer(TLayerCollection* ALayerCollection)
    : TPositionedLayer(ALayerCollection), FBitmap(std::make_unique<TBitmap32>()) {
  FBitmap->SetOnAreaChanged(MakeEvent(this, &TBitmapLayer::BitmapAreaChanged));
}

TBitmapLayer::~TBitmapLayer() {
  // The bitmap must not call back into a layer that is half gone.
  FBitmap->SetOnAreaChanged({});
}

void TBitmapLayer::Assign(TPersistent* Source) {
  BeginUpdate();
  try {
    inherited::Assign(Source);
    if (auto* src = dynamic_cast<TBitmapLayer*>(Source)) {
      FBitmap->Assign(src->FBitmap.get());
      FAlphaHit = src->FAlphaHit;
      FCropped = src->FCropped;
    }
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
  Changed();
}

void TBitmapLayer::SetBitmap(TBitmap32* Value) { FBitmap->Assign(Value); }

void TBitmapLayer::SetCropped(bool Value) {
  if (Value == FCropped) return;
  FCropped = Value;
  Changed();
}

void TBitmapLayer::BitmapAreaChanged(TObject*, const TRect& Area, Cardinal) {
  if (FBitmap->Empty() || !FLayerCollection || (FLayerOptions & LAYER_OPT_NO_UPDATE) != 0) return;
  const TFloatRect l = GetAdjustedLocation();
  const Double sx = (Double(l.Right) - l.Left) / FBitmap->Width();
  const Double sy = (Double(l.Bottom) - l.Top) / FBitmap->Height();
  TRect t(Floor(Area.Left * sx + l.Left), Floor(Area.Top * sy + l.Top), Ceil(Area.Right * sx + l.Left),
          Ceil(Area.Bottom * sy + l.Top));
  Integer grow = 1;
  if (TCustomResampler* r = FBitmap->Resampler()) grow = static_cast<Integer>(Trunc(r->GetWidth())) + 1;
  InflateArea(t, grow, grow);
  Changed(t);
}

bool TBitmapLayer::DoHitTest(Integer X, Integer Y) {
  if (!inherited::DoHitTest(X, Y)) return false;
  if (!FAlphaHit) return true;
  if (FBitmap->Empty()) return false;
  const TFloatRect a = GetAdjustedLocation();
  const Int64 w = Round(Double(a.Right) - a.Left), h = Round(Double(a.Bottom) - a.Top);
  if (w < 1 || h < 1) return false;
  const Integer bx = static_cast<Integer>(Round((X - Double(a.Left)) * FBitmap->Width() / Double(w)));
  const Integer by = static_cast<Integer>(Round((Y - Double(a.Top)) * FBitmap->Height() / Double(h)));
  return (FBitmap->GetPixelS(bx, by) & 0xFF000000u) != 0;
}

void TBitmapLayer::Paint(TBitmap32* Buffer) {
  // A partial repaint asks every layer, and most lie outside the rectangle
  // being repainted: that shows from the layer's own place, before its
  // bitmap and the bitmap's backend are looked at.
  const TRect dst = MakeRect(GetAdjustedLocation(), TRectRounding::rrClosest);
  TRect clip = Buffer->ClipRect();
  TRect visible;
  // The kept places of the collection skip a layer by this same test.
  if (!vcl::IntersectRect(visible, dst, clip)) return;
  if (FBitmap->Empty()) return;
  const TRect src(0, 0, FBitmap->Width(), FBitmap->Height());
  if (FCropped && FLayerCollection && LayerCropHook) {
    if (dst.Right - dst.Left < 1 || dst.Bottom - dst.Top < 1) return;
    TRect crop;
    if (LayerCropHook(FLayerCollection->Owner(), crop) && !IntersectRect(clip, clip, crop)) return;
  }
  StretchTransfer(Buffer, dst, clip, FBitmap.get(), src, FBitmap->Resampler(), FBitmap->DrawMode(),
                  FBitmap->OnPixelCombine());
}

// ---------------------------------------------------------------------------
// TRubberbandPassMouse

TPersistent* TRubberbandPassMouse::GetOwner() { return FOwner; }

void TRubberbandPassMouse::Assign(TPersistent* Source) {
  if (auto* src = dynamic_cast<TRubberbandPassMouse*>(Source)) {
    FEnabled = src->FEnabled;
    FToChild = src->FToChild;
    FLayerUnderCursor = src->FLayerUnderCursor;
    FCancelIfPassed = src->FCancelIfPassed;
    return;
  }
  inherited::Assign(Source);
}

// ---------------------------------------------------------------------------
// TRubberbandLayer

TRubberbandLayer::TRubberbandLayer(TLayerCollection* ALayerCollection)
    : TPositionedLayer(ALayerCollection),
      FFrameStipplePattern{0xFFFFFFFFu, 0xFFFFFFFFu, 0xFF000000u, 0xFF000000u},
      FPassMouse(std::make_unique<TRubberbandPassMouse>(this)) {
  FLayerOptions = LAYER_OPT_VISIBLE | LAYER_OPT_MOUSE_EVENTS;
}

TRubberbandLayer::~TRubberbandLayer() {
  // The child outlives a rubber band freed first and must not call back.
  if (FChildLayer) FChildLayer->RemoveNotification(this);
  FChildLayer = nullptr;
}

void TRubberbandLayer::SetChildLayer(TPositionedLayer* Value) {
  if (FChildLayer) FChildLayer->RemoveNotification(this);
  FChildLayer = Value;
  if (Value) {
    SetLocation(Value->Location());
    SetScaled(Value->Scaled());
    Value->AddNotification(this);
  }
}

void TRubberbandLayer::DoSetLocation(const TFloatRect& NewLocation) {
  inherited::DoSetLocation(NewLocation);
  if (FChildLayer) FChildLayer->SetLocation(NewLocation);
}

void TRubberbandLayer::Notification(TCustomLayer* ALayer) {
  if (ALayer == FChildLayer) FChildLayer = nullptr;
}

bool TRubberbandLayer::DoHitTest(Integer X, Integer Y) { return GetDragState(X, Y) != dsNone; }

void TRubberbandLayer::DoResizing(const TFloatRect& OldLocation, TFloatRect& NewLocation, TRBDragState DragState,
                                  TShiftState Shift) {
  if (Assigned(FOnResizing)) FOnResizing(this, OldLocation, NewLocation, DragState, Shift);
}

void TRubberbandLayer::DoConstrain(const TFloatRect& OldLocation, TFloatRect& NewLocation, TRBDragState DragState,
                                   TShiftState Shift) {
  if (Assigned(FOnConstrain)) FOnConstrain(this, OldLocation, NewLocation, DragState, Shift);
}

void TRubberbandLayer::SetLayerOptions(Cardinal Value) {
  // Its frame must always be repainted when it moves.
  inherited::SetLayerOptions(Value & ~LAYER_OPT_NO_UPDATE);
}

void TRubberbandLayer::SetQuantized(Integer Value) {
  if (Value < 1) throw Exception(u"Value must be larger than zero!");
  FQuantized = Value;
}

void TRubberbandLayer::Quantize() {
  const Double q = FQuantized;
  auto snap = [q](TFloat v) { return static_cast<TFloat>(Round(v / q) * q); };
  SetLocation(TFloatRect(snap(FLocation.Left), snap(FLocation.Top), snap(FLocation.Right), snap(FLocation.Bottom)));
}

void TRubberbandLayer::SetHandleFill(TColor32 Value) {
  if (Value == FHandleFill) return;
  FHandleFill = Value;
  if (FLayerCollection) FLayerCollection->GDIUpdate();
}

void TRubberbandLayer::SetHandleFrame(TColor32 Value) {
  if (Value == FHandleFrame) return;
  FHandleFrame = Value;
  if (FLayerCollection) FLayerCollection->GDIUpdate();
}

void TRubberbandLayer::SetHandles(TRBHandles Value) {
  if (Value == FHandles) return;
  FHandles = Value;
  if (FLayerCollection) FLayerCollection->GDIUpdate();
}

void TRubberbandLayer::SetHandleSize(Integer Value) {
  if (Value < 1) Value = 1;
  if (Value == FHandleSize) return;
  FHandleSize = Value;
  if (FLayerCollection) FLayerCollection->GDIUpdate();
}

void TRubberbandLayer::SetFrameStippleStep(Single Value) {
  if (Value == FFrameStippleStep) return;
  FFrameStippleStep = Value;
  if (FLayerCollection) FLayerCollection->GDIUpdate();
}

void TRubberbandLayer::SetFrameStippleCounter(Single Value) {
  if (Value == FFrameStippleCounter) return;
  FFrameStippleCounter = Value;
  if (FLayerCollection) FLayerCollection->GDIUpdate();
}

void TRubberbandLayer::SetFrameStipple(const TArrayOfColor32& Value) { FFrameStipplePattern = Value; }

void TRubberbandLayer::SetDragState(TRBDragState Value, Integer X, Integer Y) {
  FDragState = Value;
  FIsDragging = Value != dsNone;
  if (!FIsDragging) return;
  FOldLocation = FLocation;
  if (Value == dsMove) {
    const TFloatRect a = GetAdjustedLocation();
    FMouseShift = TFloatPoint(X - a.Left, Y - a.Top);
  } else {
    FMouseShift = TFloatPoint(0, 0);
  }
}

TRBDragState TRubberbandLayer::GetDragState(Integer X, Integer Y) {
  TRect a = MakeRect(GetAdjustedLocation(), TRectRounding::rrClosest);
  --a.Right;
  --a.Bottom;
  const Integer d = FHandleSize + 1;
  const bool nl = std::abs(a.Left - X) <= d, nr = std::abs(a.Right - X) <= d;
  const bool ncx = std::abs((a.Left + a.Right) / 2 - X) <= d;
  const bool nt = std::abs(a.Top - Y) <= d, nb = std::abs(a.Bottom - Y) <= d;
  const bool ncy = std::abs((a.Top + a.Bottom) / 2 - Y) <= d;
  const bool corners = FHandles.Contains(rhCorners), sides = FHandles.Contains(rhSides);
  if (nr && nb && corners && !FHandles.Contains(rhNotBRCorner)) return dsSizeBR;
  if (nl && nb && corners && !FHandles.Contains(rhNotBLCorner)) return dsSizeBL;
  if (nr && nt && corners && !FHandles.Contains(rhNotTRCorner)) return dsSizeTR;
  if (nl && nt && corners && !FHandles.Contains(rhNotTLCorner)) return dsSizeTL;
  if (nr && ncy && sides && !FHandles.Contains(rhNotRightSide)) return dsSizeR;
  if (ncx && nb && sides && !FHandles.Contains(rhNotBottomSide)) return dsSizeB;
  if (nl && ncy && sides && !FHandles.Contains(rhNotLeftSide)) return dsSizeL;
  if (nt && ncx && sides && !FHandles.Contains(rhNotTopSide)) return dsSizeT;
  if (FHandles.Contains(rhCenter) && PtInRect(a, TPoint(X, Y))) return dsMove;
  return dsNone;
}

bool TRubberbandLayer::PassMouse(bool Down, TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  if (!FPassMouse->Enabled()) return false;
  TCustomLayer* target = FChildLayer;
  if (FPassMouse->ToLayerUnderCursor() && FLayerCollection) {
    target = nullptr;
    for (Integer i = FLayerCollection->Count() - 1; i >= 0; --i) {
      TCustomLayer* l = FLayerCollection->Items(i);
      // Never itself: passing a press to itself would never end.
      if (l != this && (l->LayerOptions() & LAYER_OPT_MOUSE_EVENTS) != 0 && l->Is<TPositionedLayer>() &&
          l->HitTest(X, Y)) {
        target = l;
        break;
      }
    }
  }
  if (FPassMouse->ToChild() && FChildLayer) {
    if (Down)
      static_cast<TCustomLayer*>(FChildLayer)->MouseDown(Button, Shift, X, Y);
    else
      static_cast<TCustomLayer*>(FChildLayer)->MouseUp(Button, Shift, X, Y);
    if (FPassMouse->CancelIfPassed()) return true;
  }
  if (target && target != FChildLayer) {
    if (Down)
      target->MouseDown(Button, Shift, X, Y);
    else
      target->MouseUp(Button, Shift, X, Y);
    if (FPassMouse->CancelIfPassed()) return true;
  }
  return false;
}

void TRubberbandLayer::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  if (PassMouse(true, Button, Shift, X, Y)) return;
  if (!FIsDragging) SetDragState(GetDragState(X, Y), X, Y);
  inherited::MouseDown(Button, Shift, X, Y);
}

void TRubberbandLayer::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  if (PassMouse(false, Button, Shift, X, Y)) return;
  FIsDragging = false;
  inherited::MouseUp(Button, Shift, X, Y);
}

void TRubberbandLayer::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  if (!FIsDragging) {
    FDragState = GetDragState(X, Y);
    TCursor cursor = crDefault;
    switch (FDragState) {
      case dsMove: cursor = FCursor; break;
      case dsSizeL: case dsSizeR: cursor = crSizeWE; break;
      case dsSizeT: case dsSizeB: cursor = crSizeNS; break;
      case dsSizeTL: case dsSizeBR: cursor = crSizeNWSE; break;
      case dsSizeTR: case dsSizeBL: cursor = crSizeNESW; break;
      case dsNone: break;
    }
    SetScreenCursor(cursor);
    return;
  }

  Double mx = X - Double(FMouseShift.X), my = Y - Double(FMouseShift.Y);
  if (FScaled) {
    const TFloatRect a = GetAdjustedLocation();
    if (IsRectEmpty(a)) return;
    mx = (mx - a.Left) / (Double(a.Right) - a.Left) * (Double(FLocation.Right) - FLocation.Left) + FLocation.Left;
    my = (my - a.Top) / (Double(a.Bottom) - a.Top) * (Double(FLocation.Bottom) - FLocation.Top) + FLocation.Top;
  }

  Double l = FOldLocation.Left, t = FOldLocation.Top, r = FOldLocation.Right, b = FOldLocation.Bottom;
  const Double w = r - l, h = b - t;
  const bool quantize = FOptions.Contains(roQuantized) && !Shift.Contains(ssAlt);
  const Double q = FQuantized;
  auto snap = [&](Double v) { return quantize ? Double(Round(v / q)) * q : v; };

  if (FDragState == dsMove) {
    l = snap(mx);
    t = snap(my);
    r = l + w;
    b = t + h;
  } else {
    const TRBDragState s = FDragState;
    // A maximum below the minimum, or 0 (the default), means none; with a
    // minimum of 0 a zero maximum would otherwise pin the extent at 0.
    const bool maxW = FMaxWidth > 0 && FMaxWidth >= FMinWidth;
    const bool maxH = FMaxHeight > 0 && FMaxHeight >= FMinHeight;
    if (s == dsSizeL || s == dsSizeTL || s == dsSizeBL) {
      l = mx;
      if (r - l < FMinWidth) l = r - FMinWidth;
      if (maxW && r - l > FMaxWidth) l = r - FMaxWidth;
      l = snap(l);
    }
    if (s == dsSizeR || s == dsSizeTR || s == dsSizeBR) {
      r = mx;
      if (r - l < FMinWidth) r = l + FMinWidth;
      if (maxW && r - l > FMaxWidth) r = l + FMaxWidth;
      r = snap(r);
    }
    if (s == dsSizeT || s == dsSizeTL || s == dsSizeTR) {
      t = my;
      if (b - t < FMinHeight) t = b - FMinHeight;
      if (maxH && b - t > FMaxHeight) t = b - FMaxHeight;
      t = snap(t);
    }
    if (s == dsSizeB || s == dsSizeBL || s == dsSizeBR) {
      b = my;
      if (b - t < FMinHeight) b = t + FMinHeight;
      if (maxH && b - t > FMaxHeight) b = t + FMaxHeight;
      b = snap(b);
    }
  }

  TFloatRect n(static_cast<TFloat>(l), static_cast<TFloat>(t), static_cast<TFloat>(r), static_cast<TFloat>(b));
  if (FOptions.Contains(roConstrained)) DoConstrain(FOldLocation, n, FDragState, Shift);
  if (FOptions.Contains(roProportional)) {
    const TFloatRect& o = FOldLocation;
    const Double ow = Double(o.Right) - o.Left, oh = Double(o.Bottom) - o.Top;
    // A frame that started with no width or height has no proportion to keep.
    switch (FDragState) {
      case dsSizeL:
      case dsSizeTR:
        if (ow != 0) n.Top = static_cast<TFloat>(o.Bottom - oh * (Double(n.Right) - n.Left) / ow);
        break;
      case dsSizeT:
      case dsSizeTL:
        if (oh != 0) n.Left = static_cast<TFloat>(o.Right - ow * (Double(n.Bottom) - n.Top) / oh);
        break;
      case dsSizeR:
      case dsSizeBL:
        if (ow != 0) n.Bottom = static_cast<TFloat>(oh * (Double(n.Right) - n.Left) / ow + o.Top);
        break;
      case dsSizeB:
      case dsSizeBR:
        if (oh != 0) n.Right = static_cast<TFloat>(ow * (Double(n.Bottom) - n.Top) / oh + o.Left);
        break;
      default: break;
    }
  }
  DoResizing(FOldLocation, n, FDragState, Shift);
  if (n.Left == FLocation.Left && n.Top == FLocation.Top && n.Right == FLocation.Right &&
      n.Bottom == FLocation.Bottom)
    return;
  SetLocation(n);
  if (Assigned(FOnUserChange)) FOnUserChange(this);
}

void TRubberbandLayer::Paint(TBitmap32* Buffer) {
  const TRect c = MakeRect(GetAdjustedLocation(), TRectRounding::rrClosest);
  if (FHandles.Contains(rhFrame)) {
    Buffer->SetStipple(FFrameStipplePattern);
    Buffer->SetStippleCounter(0);
    Buffer->SetStippleStep(FFrameStippleStep);
    Buffer->SetStippleCounter(FFrameStippleCounter);
    Buffer->FrameRectTSP(c.Left, c.Top, c.Right, c.Bottom);
  }
  const Integer s = FHandleSize;
  auto handle = [&](Integer x, Integer y) {
    Buffer->FillRectTS(x - s, y - s, x + s, y + s, FHandleFill);
    Buffer->FrameRectTS(x - s, y - s, x + s, y + s, FHandleFrame);
  };
  if (FHandles.Contains(rhCorners)) {
    if (!FHandles.Contains(rhNotTLCorner)) handle(c.Left, c.Top);
    if (!FHandles.Contains(rhNotTRCorner)) handle(c.Right, c.Top);
    if (!FHandles.Contains(rhNotBLCorner)) handle(c.Left, c.Bottom);
    if (!FHandles.Contains(rhNotBRCorner)) handle(c.Right, c.Bottom);
  }
  if (FHandles.Contains(rhSides)) {
    const Integer cx = (c.Left + c.Right) / 2, cy = (c.Top + c.Bottom) / 2;
    if (!FHandles.Contains(rhNotTopSide)) handle(cx, c.Top);
    if (!FHandles.Contains(rhNotLeftSide)) handle(c.Left, cy);
    if (!FHandles.Contains(rhNotRightSide)) handle(c.Right, cy);
    if (!FHandles.Contains(rhNotBottomSide)) handle(cx, c.Bottom);
  }
}

}  // namespace qn
