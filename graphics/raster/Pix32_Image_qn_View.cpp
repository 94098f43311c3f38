// The image view: an image control with two range bars along the bottom
// and right of its viewport and a size grip in the corner between them,
// and the bitmap list.
#include <algorithm>

#include "graphics/raster/Pix32_Image_qn.h"
#include "graphics/raster/Pix32_XPThemes_qn.h"
#include "platform/rtl/Math.h"
#include "platform/vcl/Forms.h"

namespace qn {

// ---------------------------------------------------------------------------
// TIVScrollProperties

Integer TIVScrollProperties::Increment() const {
  return static_cast<TCustomRangeBar*>(Master())->Increment();
}

void TIVScrollProperties::SetIncrement(Integer Value) {
  const auto v = static_cast<TRBIncrement>(std::clamp<Integer>(Value, 0, 0xFFFF));
  static_cast<TCustomRangeBar*>(Master())->SetIncrement(v);
  if (Slave()) static_cast<TCustomRangeBar*>(Slave())->SetIncrement(v);
}

Integer TIVScrollProperties::Size() const { return FImgView->FScrollBarSize; }

void TIVScrollProperties::SetSize(Integer Value) {
  FImgView->FScrollBarSize = Value;
  FImgView->AlignAll();
  FImgView->UpdateImage();
}

TScrollBarVisibility TIVScrollProperties::Visibility() const { return FImgView->FScrollBarVisibility; }

void TIVScrollProperties::SetVisibility(TScrollBarVisibility Value) {
  if (Value == FImgView->FScrollBarVisibility) return;
  FImgView->FScrollBarVisibility = Value;
  FImgView->Resize();
}

// ---------------------------------------------------------------------------
// TCustomImgView32

TCustomImgView32::TCustomImgView32(TComponent* AOwner) : TCustomImage32_qn(AOwner) {
  FScrollBarSize = GetSystemMetrics(SM_CYHSCROLL);
  HScroll = new TCustomRangeBar(this);
  VScroll = new TCustomRangeBar(this);
  for (TCustomRangeBar* bar : {HScroll, VScroll}) {
    bar->SetParent(this);
    bar->SetBorderStyle(bsNone);
    bar->SetCentered(true);
    bar->SetOnUserChange(MakeEvent(this, &TCustomImgView32::ScrollHandler));
  }
  VScroll->SetKind(sbVertical);
  FCentered = true;
  SetScaleMode(smScale);
  SetBitmapAlign(baCustom);
  const TRect v = GetViewportRect();
  OldSzX = v.Width();
  OldSzY = v.Height();
  FScrollBars = std::make_unique<TIVScrollProperties>(this);
  FScrollBars->SetMaster(HScroll);
  FScrollBars->SetSlave(VScroll);
  AlignAll();
}

TCustomImgView32::~TCustomImgView32() {
  FScrollBars.reset();
  // The bars are components of the view; they must not report scrolls
  // into a view that is going.
  if (HScroll) HScroll->SetOnUserChange({});
  if (VScroll) VScroll->SetOnUserChange({});
}

void TCustomImgView32::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == HScroll) HScroll = nullptr;
  if (AComponent == VScroll) VScroll = nullptr;
  if (FScrollBars && (!HScroll || !VScroll)) {
    FScrollBars->SetMaster(HScroll ? HScroll : VScroll);
    FScrollBars->SetSlave(nullptr);
  }
}

void TCustomImgView32::GetChildren(const TGetChildProc& Proc, TComponent* Root) {
  for (Integer i = 0; i < ControlCount(); ++i) {
    TControl* c = Controls(i);
    if (c != HScroll && c != VScroll && c->Owner() == Root) Proc(c);
  }
}

bool TCustomImgView32::GetScrollBarsVisible() {
  if (!FScrollBars || !HScroll || !VScroll) return true;
  switch (FScrollBarVisibility) {
    case svAlways: return true;
    case svHidden: return false;
    default:
      return HScroll->EffectiveWindow() + VScroll->Width() < HScroll->Range() ||
             VScroll->EffectiveWindow() + HScroll->Height() < VScroll->Range();
  }
}

Integer TCustomImgView32::GetScrollBarSize() {
  if (!GetScrollBarsVisible()) return 0;
  return FScrollBarSize != 0 ? FScrollBarSize : GetSystemMetrics(SM_CYHSCROLL);
}

TRect TCustomImgView32::GetViewportRect() {
  const Integer s = GetScrollBarSize();
  return TRect(0, 0, Width() - s, Height() - s);
}

void TCustomImgView32::AlignAll() {
  if (!HScroll || !VScroll || Width() < 1 || Height() < 1) return;
  const TRect v = GetViewportRect();
  HScroll->SetBoundsRect(TRect(v.Left, v.Bottom, v.Right, Height()));
  VScroll->SetBoundsRect(TRect(v.Right, v.Top, Width(), v.Bottom));
  const bool visible = GetScrollBarsVisible();
  HScroll->SetVisible(visible);
  VScroll->SetVisible(visible);
  HScroll->Repaint();
  VScroll->Repaint();
}

bool TCustomImgView32::IsSizeGripVisible() {
  switch (FSizeGrip) {
    case sgNone: return false;
    case sgAlways: return true;
    default: break;
  }
  // Only a view filling its form, through parents that all fill theirs,
  // sits in the form's corner where a grip makes sense.
  if (Align() != alClient) return false;
  for (TWinControl* p = Parent(); p; p = p->Parent()) {
    if (p->AsCustomForm()) return true;
    if (p->Align() != alClient) return false;
  }
  return false;
}

TRect TCustomImgView32::GetSizeGripRect() {
  const Integer s = GetScrollBarSize();
  TRect r = Parent() ? ClientRect() : BoundsRect();
  r.Left = r.Right - s;
  r.Top = r.Bottom - s;
  return r;
}

void TCustomImgView32::DoDrawSizeGrip(const TRect& R) {
  using namespace Pix32_XPThemes_qn;
  TCanvas* canvas = Canvas();
  if (USE_THEMES && DrawThemeBackground) {
    canvas->Brush()->SetColor(clBtnFace);
    canvas->FillRect(R);
    const RECT r(R.Left, R.Top, R.Right, R.Bottom);
    DrawThemeBackground(SCROLLBAR_THEME, canvas->Handle(), SBP_SIZEBOX, SZB_RIGHTALIGN, &r, nullptr);
  } else {
    RECT r(R.Left, R.Top, R.Right, R.Bottom);
    DrawFrameControl(canvas->Handle(), &r, DFC_SCROLL, DFCS_SCROLLSIZEGRIP);
  }
}

void TCustomImgView32::PaintGripCorner() {
  const TRect r = GetSizeGripRect();
  if (IsRectEmpty(r)) return;
  if (IsSizeGripVisible()) {
    DoDrawSizeGrip(r);
  } else {
    Canvas()->Brush()->SetColor(clBtnFace);
    Canvas()->FillRect(r);
  }
}

void TCustomImgView32::Paint() {
  if (!Parent()) return;
  PaintGripCorner();
  inherited::Paint();
}

void TCustomImgView32::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  auto* form = dynamic_cast<TCustomForm*>(Owner());
  if (form && IsSizeGripVisible() && PtInRect(GetSizeGripRect(), TPoint(X, Y))) {
    // The form's own sizing loop takes over from here, as if its border
    // had been pressed.
    if (Application) Application->ProcessMessages();
    ReleaseCapture();
    const TPoint p = ClientToScreen(TPoint(X, Y));
    SendMessageW(form->Handle(), WM_NCLBUTTONDOWN, HTBOTTOMRIGHT, MAKELPARAM(p.X, p.Y));
    return;
  }
  inherited::MouseDown(Button, Shift, X, Y);
}

void TCustomImgView32::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  inherited::MouseMove(Shift, X, Y);
  if (Screen && IsSizeGripVisible() && PtInRect(GetSizeGripRect(), TPoint(X, Y))) Screen->SetCursor(crSizeNWSE);
}

void TCustomImgView32::Resize() {
  AlignAll();
  if (Parent() && HandleAllocated()) PaintGripCorner();
  InvalidateCache();
  UpdateScrollBars();
  UpdateImage();
  Invalidate();
  inherited::Resize();
}

void TCustomImgView32::UpdateScrollBars() {
  if (!HScroll || !VScroll) return;
  const TSize s = GetBitmapSize();
  const Integer margin = static_cast<Integer>(Round(2 * FOverSize * FScaleX));
  HScroll->SetRange(s.cx + margin);
  VScroll->SetRange(s.cy + margin);
  if (FScrollBarVisibility == svAuto) AlignAll();
}

void TCustomImgView32::UpdateImage() {
  if (!HScroll || !VScroll) return;
  const Integer m = static_cast<Integer>(Round(FOverSize * FScaleX));
  const TRect v = GetViewportRect();
  BeginUpdate();
  try {
    const TSize s = GetBitmapSize();
    auto place = [&](Integer Viewport, Integer Shown, TCustomRangeBar* Bar) -> Single {
      if (FCentered && Viewport > 2 * m + Shown) return Single(Viewport - Shown) * 0.5f;
      return Single(m) - Bar->Position();
    };
    SetOffsetHorz(place(v.Width(), s.cx, HScroll));
    SetOffsetVert(place(v.Height(), s.cy, VScroll));
    InvalidateCache();
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
  Changed();
}

void TCustomImgView32::Scroll(Integer Dx, Integer Dy) {
  if (!HScroll || !VScroll) return;
  DisableScrollUpdate = true;
  try {
    HScroll->SetPosition(HScroll->Position() + Single(Dx));
    VScroll->SetPosition(VScroll->Position() + Single(Dy));
  } catch (...) {
    DisableScrollUpdate = false;
    throw;
  }
  DisableScrollUpdate = false;
  UpdateImage();
}

void TCustomImgView32::ScrollToCenter(Integer X, Integer Y) {
  if (!HScroll || !VScroll) return;
  DisableScrollUpdate = true;
  try {
    AlignAll();
    const TRect v = GetViewportRect();
    const Single m = Single(Round(FOverSize * FScaleX));
    HScroll->SetPosition(Single(X) * FScaleX - Single(v.Width()) * 0.5f + m);
    VScroll->SetPosition(Single(Y) * FScaleX - Single(v.Height()) * 0.5f + m);
  } catch (...) {
    DisableScrollUpdate = false;
    throw;
  }
  DisableScrollUpdate = false;
  UpdateImage();
}

void TCustomImgView32::ScrollHandler(TObject* Sender) {
  if (DisableScrollUpdate) return;
  if (auto* bar = dynamic_cast<TControl*>(Sender)) bar->Repaint();
  UpdateImage();
  DoScroll();
  Repaint();
}

void TCustomImgView32::DoScroll() {
  if (FOnScroll) FOnScroll(this);
}

void TCustomImgView32::Recenter() {
  if (!HScroll || !VScroll) return;
  InvalidateCache();
  HScroll->SetCentered(FCentered);
  VScroll->SetCentered(FCentered);
  UpdateScrollBars();
  UpdateImage();
  if (FCentered)
    ScrollToCenter(FBitmap->Width() / 2, FBitmap->Height() / 2);
  else
    ScrollToCenter(0, 0);
}

void TCustomImgView32::SetCentered(bool Value) {
  FCentered = Value;
  Recenter();
}

void TCustomImgView32::SetScaleMode(TScaleMode Value) {
  inherited::SetScaleMode(Value);
  // Created bars only: the constructor sets the mode before it makes them.
  if (HScroll && VScroll) Recenter();
}

void TCustomImgView32::BitmapResized() {
  inherited::BitmapResized();
  if (!HScroll || !VScroll) return;
  UpdateScrollBars();
  if (FCentered) {
    ScrollToCenter(FBitmap->Width() / 2, FBitmap->Height() / 2);
  } else {
    HScroll->SetPosition(0);
    VScroll->SetPosition(0);
    UpdateImage();
  }
}

void TCustomImgView32::DoScaleChange() {
  inherited::DoScaleChange();
  InvalidateCache();
  UpdateScrollBars();
  UpdateImage();
  Invalidate();
}

void TCustomImgView32::Loaded() {
  AlignAll();
  Invalidate();
  UpdateScrollBars();
  if (FCentered) ScrollToCenter(FBitmap->Width() / 2, FBitmap->Height() / 2);
  inherited::Loaded();
}

void TCustomImgView32::SetOverSize(Integer Value) {
  if (Value == FOverSize) return;
  FOverSize = Value;
  // The margin is part of the scroll range and of where the image sits.
  UpdateScrollBars();
  UpdateImage();
  Invalidate();
}

void TCustomImgView32::SetSizeGrip(TSizeGripStyle Value) {
  if (Value == FSizeGrip) return;
  FSizeGrip = Value;
  Invalidate();
}

void TCustomImgView32::SetScrollBars(TIVScrollProperties* Value) {
  if (Value && Value != FScrollBars.get()) FScrollBars->Assign(Value);
}

// ---------------------------------------------------------------------------
// The bitmap list

TBitmap32Item::TBitmap32Item(TCollection* Collection)
    : TCollectionItem(Collection), FBitmap(std::make_unique<TBitmap32>()) {}

TBitmap32Item::~TBitmap32Item() = default;

void TBitmap32Item::SetBitmap(TBitmap32* Value) { FBitmap->Assign(Value); }

void TBitmap32Item::AssignTo(TPersistent* Dest) {
  if (auto* item = dynamic_cast<TBitmap32Item*>(Dest)) {
    item->FBitmap->Assign(FBitmap.get());
    return;
  }
  inherited::AssignTo(Dest);
}

TBitmap32Collection::TBitmap32Collection(TPersistent* AOwner, TCollectionItemClass ItemClass)
    : TCollection(ItemClass), FOwner(AOwner) {}

TBitmap32List::TBitmap32List(TComponent* AOwner)
    : TComponent(AOwner),
      FBitmap32Collection(std::make_unique<TBitmap32Collection>(this, TBitmap32Item::StaticClass())) {
  FBitmap32Collection->SetPropName(u"Bitmaps");
}

TBitmap32List::~TBitmap32List() = default;

TBitmap32* TBitmap32List::Bitmap(Integer Index) const { return FBitmap32Collection->Items(Index)->Bitmap(); }

void TBitmap32List::SetBitmap(Integer Index, TBitmap32* Value) {
  FBitmap32Collection->Items(Index)->SetBitmap(Value);
}

void TBitmap32List::SetBitmaps(TBitmap32Collection* Value) {
  // The caller keeps what it handed over; only its bitmaps are copied.
  if (!Value)
    FBitmap32Collection->Clear();
  else if (Value != FBitmap32Collection.get())
    FBitmap32Collection->Assign(Value);
}

}  // namespace qn
