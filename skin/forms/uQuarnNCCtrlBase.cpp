#include "skin/forms/uQuarnNCCtrlBase.h"

#include <algorithm>
#include <unordered_set>

#include "skin/foundation/uQnComm.h"

namespace qn {

bool gHookedCursor = false;

namespace {
// The title-bar controls alive now: a pointer that came by message is only
// used when it is in here.
std::unordered_set<const TQuarnNCCtrlBase*>& Live() {
  static std::unordered_set<const TQuarnNCCtrlBase*> s;
  return s;
}

TQuarnImage* Img(const TQnResID& Id) { return Id.empty() ? nullptr : TQuarnResManagerObj()->GetImageByName(Id); }
}  // namespace

// ---------------------------------------------------------------------------
// TNCCtrlPos

void TNCCtrlPos::Assign(TPersistent* Source) {
  if (auto* p = dynamic_cast<TNCCtrlPos*>(Source)) {
    FAlign = p->FAlign, FUseDefault = p->FUseDefault, FXValue = p->FXValue, FYValue = p->FYValue;
    Changed();
    return;
  }
  TPersistent::Assign(Source);
}

void TNCCtrlPos::Changed() {
  if (FOnChange) FOnChange(this);
}

void TNCCtrlPos::SetAlign(TNCCtrlAlign Value) {
  if (Value == FAlign) return;
  FAlign = Value;
  Changed();
}
void TNCCtrlPos::SetUseDefault(Boolean Value) {
  if (Value == FUseDefault) return;
  FUseDefault = Value;
  Changed();
}
void TNCCtrlPos::SetXValue(Integer Value) {
  if (Value == FXValue) return;
  FXValue = Value;
  Changed();
}
void TNCCtrlPos::SetYValue(Integer Value) {
  if (Value == FYValue) return;
  FYValue = Value;
  Changed();
}

Integer TNCCtrlPos::GetX() const {
  if (FAlign == TNCCtrlAlign::caLeft) return FXValue;
  TForm* f = FOwner ? FOwner->FForm : nullptr;
  if (!f) f = FOwner ? dynamic_cast<TForm*>(FOwner->Owner()) : nullptr;
  return (f ? f->Width() : 0) - FXValue;
}

// ---------------------------------------------------------------------------
// TQuarnNCCtrlBase

TQuarnNCCtrlBase::TQuarnNCCtrlBase(TComponent* AOwner) : TComponent(AOwner), FPos(new TNCCtrlPos(this)) {
  Live().insert(this);
  FPos->SetOnChange(TNotifyEvent(this, &TQuarnNCCtrlBase::PosChanged));
  if (!OwnerForm() || ComponentState().Contains(csDesigning)) return;
  FTimer.reset(new uSimpleTimer::TSimpleTimer());
  FTimer->SetInterval(100);
  FTimer->SetOnTimer(TNotifyEvent(this, &TQuarnNCCtrlBase::PostAdd));
  FTimer->SetEnabled(true);
  PostAdd();
}

TQuarnNCCtrlBase::~TQuarnNCCtrlBase() {
  Live().erase(this);
  FTimer.reset();
  if (FMouseEnter) gHookedCursor = false;
  if (FHost) FHost->NCCtrlFreed(this);
}

bool TQuarnNCCtrlBase::IsLive(const TQuarnNCCtrlBase* Ctrl) { return Ctrl && Live().count(Ctrl) != 0; }

TForm* TQuarnNCCtrlBase::OwnerForm() const { return dynamic_cast<TForm*>(Owner()); }

void TQuarnNCCtrlBase::PostAdd(TObject*) {
  if (FHooked) {
    if (FTimer) FTimer->SetEnabled(false);
    return;
  }
  TForm* f = OwnerForm();
  if (f && f->HandleAllocated()) PostMessageW(f->Handle(), MM_ADDNCCTRL, reinterpret_cast<WPARAM>(this), 0);
}

void TQuarnNCCtrlBase::SetVisible(Boolean Value) {
  if (Value == FVisible) return;
  FVisible = Value;
  if (!Value && FMouseEnter) {
    FMouseEnter = false;
    MouseLeave();
  }
  Invalidate();
}

TRect TQuarnNCCtrlBase::GetRect() {
  const TSize s = GetSize();
  const TPoint o = FPos->UseDefault() ? FDefaultOrigin : TPoint(FPos->GetX(), FPos->GetY());
  return TRect(o.X, o.Y, o.X + s.cx, o.Y + s.cy);
}

void TQuarnNCCtrlBase::MouseLeave() { gHookedCursor = false; }

void TQuarnNCCtrlBase::NCMouseMove(TPoint) {
  if (!FForm || !FForm->HandleAllocated()) return;
  TPoint p;
  GetCursorPos(&p);
  TRect wr;
  GetWindowRect(FForm->Handle(), &wr);
  p = TPoint(p.X - wr.Left, p.Y - wr.Top);
  const TRect r = GetRect();
  const bool over = FVisible && p.X >= r.Left && p.X < r.Right && p.Y >= r.Top && p.Y < r.Bottom;
  if (over && !FMouseEnter) {
    FMouseEnter = true;
    MouseEnter();
  } else if (!over && FMouseEnter) {
    FMouseEnter = false;
    MouseLeave();
  }
  if (over) MouseMove(TPoint(p.X - r.Left, p.Y - r.Top));
}

void TQuarnNCCtrlBase::Invalidate() {
  if (FHooked && FForm && FForm->HandleAllocated()) SendMessageW(FForm->Handle(), MM_INVALIDATE, 0, 0);
}

// ---------------------------------------------------------------------------
// TQuarnSystemButton

void TQuarnSystemButton::SetKind(TQnSystemButtonKind Value) {
  if (Value == FKind) return;
  FKind = Value;
  Invalidate();
}
void TQuarnSystemButton::SetCloseImage(const TQnResID& Value) {
  FCloseImage = Value;
  Invalidate();
}
void TQuarnSystemButton::SetMaxImage(const TQnResID& Value) {
  FMaxImage = Value;
  Invalidate();
}
void TQuarnSystemButton::SetRestoreImage(const TQnResID& Value) {
  FRestoreImage = Value;
  Invalidate();
}
void TQuarnSystemButton::SetMinImage(const TQnResID& Value) {
  FMinImage = Value;
  Invalidate();
}

TQnResID TQuarnSystemButton::CurrentImage() const {
  switch (FKind) {
    case TQnSystemButtonKind::sbkClose: return FCloseImage;
    case TQnSystemButtonKind::sbkMinimize: return FMinImage;
    case TQnSystemButtonKind::sbkMaximize:
      return FForm && FForm->HandleAllocated() && IsZoomed(FForm->Handle()) ? FRestoreImage : FMaxImage;
  }
  return FCloseImage;
}

TNCButtonState TQuarnSystemButton::State() const {
  if (FDown && FMouseEnter) return TNCButtonState::bsPressed;
  if (FMouseEnter) return TNCButtonState::bsHot;
  return TNCButtonState::bsNormal;
}

TSize TQuarnSystemButton::GetSize() {
  TQuarnImage* img = Img(CurrentImage());
  if (!img || img->Empty()) return TSize{0, 0};
  return TSize{img->Width() / 3, img->Height()};
}

void TQuarnSystemButton::MouseLeave() {
  TQuarnNCCtrlBase::MouseLeave();
  Invalidate();
}

void TQuarnSystemButton::LMouseDown(TPoint) {
  FDown = true;
  Invalidate();
}

void TQuarnSystemButton::LMouseUp(TPoint) {
  const bool fire = FDown && FMouseEnter;
  FDown = false;
  Invalidate();
  if (!fire || !FForm || !FForm->HandleAllocated()) return;
  const HWND h = FForm->Handle();
  WPARAM cmd = SC_CLOSE;
  if (FKind == TQnSystemButtonKind::sbkMinimize) cmd = SC_MINIMIZE;
  else if (FKind == TQnSystemButtonKind::sbkMaximize) cmd = IsZoomed(h) ? SC_RESTORE : SC_MAXIMIZE;
  PostMessageW(h, WM_SYSCOMMAND, cmd, 0);
}

void TQuarnSystemButton::Paint(TBitmap32* Buffer) {
  TQuarnImage* img = Img(CurrentImage());
  if (!img || img->Empty()) return;
  const Integer fw = img->Width() / 3;
  const Integer frame = static_cast<Integer>(State());
  const TRect r = GetRect();
  img->DrawTo(Buffer, r.Left, r.Top, TRect(frame * fw, 0, frame * fw + fw, img->Height()));
}

// ---------------------------------------------------------------------------
// TQuarnNCLabel

TQuarnNCLabel::TQuarnNCLabel(TComponent* AOwner)
    : TQuarnNCCtrlBase(AOwner), FFont(new TFont()), FLight(new TQnLightClass()) {
  Pos()->SetAlign(TNCCtrlAlign::caLeft);
  FFont->SetColor(clWhite);
  FFont->SetOnChange(TNotifyEvent(this, &TQuarnNCLabel::FontChanged));
}

TQuarnNCLabel::~TQuarnNCLabel() = default;

void TQuarnNCLabel::Measure() {
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, FFont->Handle());
  FTextSize = FCaption.empty() ? TSize{0, 0} : TSize{CalcTextWidthW(dc, FCaption), CalcTextHeightW(dc, FCaption)};
  SelectObject(dc, old);
  DeleteDC(dc);
}

void TQuarnNCLabel::SetCaption(const String& Value) {
  if (Value == FCaption) return;
  FCaption = Value;
  Measure();
  Invalidate();
}

void TQuarnNCLabel::FontChanged(TObject*) {
  Measure();
  Invalidate();
}

void TQuarnNCLabel::Paint(TBitmap32* Buffer) {
  if (FCaption.empty()) return;
  const TRect r = GetRect();
  TCanvas* c = Buffer->Canvas();
  c->Font()->Assign(FFont.get());
  if (FLight->Active())
    DrawEffectText(c, r, FCaption, DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX, 0, FLight->Color(),
                   FLight->BlurRadius(), false);
  HDC dc = c->Handle();
  const int oldMode = SetBkMode(dc, TRANSPARENT);
  const COLORREF oldColor = SetTextColor(dc, ColorToRGB(FFont->Color()));
  TRect tr = r;
  DrawTextW(dc, FCaption.c_str(), -1, &tr, DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP);
  SetTextColor(dc, oldColor);
  SetBkMode(dc, oldMode);
}

// ---------------------------------------------------------------------------
// TQuarnNCImage

void TQuarnNCImage::SetImage(const TQnResID& Value) {
  if (Value == FImage) return;
  FImage = Value;
  Invalidate();
}

TSize TQuarnNCImage::GetSize() {
  TQuarnImage* img = Img(FImage);
  return img && !img->Empty() ? TSize{img->Width(), img->Height()} : TSize{0, 0};
}

void TQuarnNCImage::LMouseUp(TPoint) {
  const bool fire = FDown && FMouseEnter;
  FDown = false;
  if (fire && FOnClick) FOnClick(this);
}

void TQuarnNCImage::Paint(TBitmap32* Buffer) {
  TQuarnImage* img = Img(FImage);
  if (!img || img->Empty()) return;
  const TRect r = GetRect();
  img->DrawTo(Buffer, r.Left, r.Top);
}

// ---------------------------------------------------------------------------
// TQuarnNCButton

void TQuarnNCButton::SetCaption(const String& Value) {
  if (Value == FCaption) return;
  FCaption = Value;
  Invalidate();
}

void TQuarnNCButton::SetImage(const TQnResID& Value) {
  if (Value == FImage) return;
  FImage = Value;
  Invalidate();
}

TNCButtonState TQuarnNCButton::State() const {
  if (FDown && FMouseEnter) return TNCButtonState::bsPressed;
  return FMouseEnter ? TNCButtonState::bsHot : TNCButtonState::bsNormal;
}

TSize TQuarnNCButton::TextSize() const {
  if (FCaption.empty()) return TSize{0, 0};
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
  const TSize s{CalcTextWidthW(dc, FCaption), CalcTextHeightW(dc, FCaption)};
  SelectObject(dc, old);
  DeleteDC(dc);
  return s;
}

TSize TQuarnNCButton::GetSize() {
  TQuarnImage* img = Img(FImage);
  if (img && !img->Empty()) return TSize{img->Width() / 3, img->Height()};
  if (FCaption.empty()) return TSize{0, 0};
  const TSize t = TextSize();
  return TSize{t.cx + 12, std::max<Integer>(t.cy + 6, 20)};
}

void TQuarnNCButton::MouseLeave() {
  TQuarnNCCtrlBase::MouseLeave();
  Invalidate();
}

void TQuarnNCButton::LMouseDown(TPoint) {
  FDown = true;
  Invalidate();
}

void TQuarnNCButton::LMouseUp(TPoint) {
  const bool fire = FDown && FMouseEnter;
  FDown = false;
  Invalidate();
  if (fire && FOnClick) FOnClick(this);
}

void TQuarnNCButton::Paint(TBitmap32* Buffer) {
  const TRect r = GetRect();
  if (r.Width() <= 0 || r.Height() <= 0) return;
  const Integer frame = static_cast<Integer>(State());
  TQuarnImage* img = Img(FImage);
  if (img && !img->Empty()) {
    const Integer fw = img->Width() / 3;
    img->DrawTo(Buffer, r.Left, r.Top, TRect(frame * fw, 0, frame * fw + fw, img->Height()));
  } else {
    static const TColor32 kPlate[3] = {0x30FFFFFF, 0x60FFFFFF, 0x90FFFFFF};
    Buffer->FillRectTS(r, kPlate[frame]);
  }
  if (FCaption.empty()) return;
  TCanvas* c = Buffer->Canvas();
  HDC dc = c->Handle();
  HGDIOBJ oldFont = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
  const int oldMode = SetBkMode(dc, TRANSPARENT);
  const COLORREF oldColor = SetTextColor(dc, RGB(255, 255, 255));
  TRect tr = r;
  DrawTextW(dc, FCaption.c_str(), -1, &tr, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP);
  SetTextColor(dc, oldColor);
  SetBkMode(dc, oldMode);
  SelectObject(dc, oldFont);
}

}  // namespace qn

QN_PUBLISHED_IMPL(qn::TNCCtrlPos)
QN_PUBLISHED_IMPL(qn::TQuarnNCCtrlBase)
QN_PUBLISHED_IMPL(qn::TQuarnSystemButton)
QN_PUBLISHED_IMPL(qn::TQuarnNCLabel)
QN_PUBLISHED_IMPL(qn::TQuarnNCImage)
QN_PUBLISHED_IMPL(qn::TQuarnNCButton)
