#include "platform/vcl/Canvas.h"

#include <cstring>

#include "platform/rtl/Kernel.h"
#include "platform/rtl/SysUtils.h"
#include "platform/vcl/Bitmap.h"
#include "platform/vcl/Graphic.h"

namespace vcl {

namespace {

struct TCharsetName {
  Integer Value;
  const char16_t* Name;
};

const TCharsetName kCharsets[] = {
    {ANSI_CHARSET, u"ANSI_CHARSET"},         {DEFAULT_CHARSET, u"DEFAULT_CHARSET"},
    {SYMBOL_CHARSET, u"SYMBOL_CHARSET"},     {MAC_CHARSET, u"MAC_CHARSET"},
    {SHIFTJIS_CHARSET, u"SHIFTJIS_CHARSET"}, {HANGEUL_CHARSET, u"HANGEUL_CHARSET"},
    {JOHAB_CHARSET, u"JOHAB_CHARSET"},       {GB2312_CHARSET, u"GB2312_CHARSET"},
    {CHINESEBIG5_CHARSET, u"CHINESEBIG5_CHARSET"}, {GREEK_CHARSET, u"GREEK_CHARSET"},
    {TURKISH_CHARSET, u"TURKISH_CHARSET"},   {VIETNAMESE_CHARSET, u"VIETNAMESE_CHARSET"},
    {HEBREW_CHARSET, u"HEBREW_CHARSET"},     {ARABIC_CHARSET, u"ARABIC_CHARSET"},
    {BALTIC_CHARSET, u"BALTIC_CHARSET"},     {RUSSIAN_CHARSET, u"RUSSIAN_CHARSET"},
    {THAI_CHARSET, u"THAI_CHARSET"},         {EASTEUROPE_CHARSET, u"EASTEUROPE_CHARSET"},
    {OEM_CHARSET, u"OEM_CHARSET"},
};

}  // namespace

bool CharsetToIdent(Integer Charset, String& Ident) {
  for (const auto& c : kCharsets)
    if (c.Value == Charset) {
      Ident = c.Name;
      return true;
    }
  return false;
}

bool IdentToCharset(const String& Ident, Integer& Charset) {
  for (const auto& c : kCharsets)
    if (SameText(Ident, c.Name)) {
      Charset = c.Value;
      return true;
    }
  return false;
}

// ---------------------------------------------------------------------------
// TGraphicsObject

void TGraphicsObject::Changed() {
  if (OnChange) OnChange(this);
}

// ---------------------------------------------------------------------------
// TFont

const TFontData& DefFontData() {
  static const TFontData d;
  return d;
}

TFont::TFont() : FData(DefFontData()) {}

TFont::~TFont() { FreeHandle(); }

void TFont::FreeHandle() {
  if (FHandle) DeleteObject(FHandle);
  FHandle = nullptr;
  FHandleFromData = false;
}

void TFont::Changed() {
  FreeHandle();
  inherited::Changed();
}

void TFont::Assign(TPersistent* Source) {
  if (auto* f = dynamic_cast<TFont*>(Source)) {
    if (f == this) return;
    TFontData data = f->FData;
    // Heights are pixels at the source's resolution; keep the point size.
    if (f->FPixelsPerInch != FPixelsPerInch && data.Height < 0) {
      Int64 size = (-Int64(f->FData.Height) * 72 + f->FPixelsPerInch / 2) / f->FPixelsPerInch;
      data.Height = -Integer((size * FPixelsPerInch + 36) / 72);
    }
    // Text drawn piece by piece assigns the same font before every piece: a
    // handle made from the same properties still stands for them, so it is
    // kept instead of being made again. Listeners hear of the assignment
    // either way.
    const bool same = FHandle && FHandleFromData && data == FData;
    FData = std::move(data);
    FColor = f->FColor;
    if (same) inherited::Changed();
    else Changed();
    return;
  }
  inherited::Assign(Source);
}

void TFont::SetColor(TColor Value) {
  if (FColor == Value) return;
  FColor = Value;
  // The colour is not part of the handle; canvases pick it up as text colour.
  inherited::Changed();
}

void TFont::SetHeight(Integer Value) {
  if (FData.Height == Value) return;
  FData.Height = Value;
  Changed();
}

Integer TFont::Size() const { return -MulDiv(FData.Height, 72, FPixelsPerInch); }

void TFont::SetSize(Integer Value) { SetHeight(-MulDiv(Value, FPixelsPerInch, 72)); }

void TFont::SetName(const TFontName& Value) {
  if (Value.empty() || FData.Name == Value) return;
  FData.Name = Value;
  Changed();
}

void TFont::SetStyle(TFontStyles Value) {
  if (FData.Style == Value) return;
  FData.Style = Value;
  Changed();
}

void TFont::SetPitch(TFontPitch Value) {
  if (FData.Pitch == Value) return;
  FData.Pitch = Value;
  Changed();
}

void TFont::SetCharset(TFontCharset Value) {
  if (FData.Charset == Value) return;
  FData.Charset = Value;
  Changed();
}

void TFont::SetOrientation(Integer Value) {
  if (FData.Orientation == Value) return;
  FData.Orientation = Value;
  Changed();
}

void TFont::SetQuality(TFontQuality Value) {
  if (FData.Quality == Value) return;
  FData.Quality = Value;
  Changed();
}

LOGFONTW TFont::LogFont() const {
  LOGFONTW lf;
  lf.lfHeight = FData.Height;
  lf.lfWidth = 0;
  lf.lfEscapement = FData.Orientation;
  lf.lfOrientation = FData.Orientation;
  lf.lfWeight = FData.Style.Contains(TFontStyle::fsBold) ? FW_BOLD : FW_NORMAL;
  lf.lfItalic = FData.Style.Contains(TFontStyle::fsItalic);
  lf.lfUnderline = FData.Style.Contains(TFontStyle::fsUnderline);
  lf.lfStrikeOut = FData.Style.Contains(TFontStyle::fsStrikeOut);
  lf.lfCharSet = FData.Charset;
  static const BYTE kQuality[] = {0, 1, 2, 3, 4, 5, 6};  // DEFAULT_QUALITY ... CLEARTYPE_NATURAL_QUALITY
  lf.lfQuality = kQuality[static_cast<int>(FData.Quality)];
  lf.lfOutPrecision = 0;
  lf.lfClipPrecision = 0;
  lf.lfPitchAndFamily = static_cast<BYTE>(FData.Pitch);  // DEFAULT_PITCH, VARIABLE_PITCH (2), FIXED_PITCH (1)
  if (FData.Pitch == TFontPitch::fpVariable) lf.lfPitchAndFamily = 2;
  else if (FData.Pitch == TFontPitch::fpFixed) lf.lfPitchAndFamily = 1;
  String face = SameText(FData.Name, u"Default") ? DefFontData().Name : FData.Name;
  size_t n = std::min<size_t>(face.size(), LF_FACESIZE - 1);
  std::memcpy(lf.lfFaceName, face.data(), n * sizeof(WCHAR));
  lf.lfFaceName[n] = 0;
  return lf;
}

HFONT TFont::Handle() {
  if (!FHandle) {
    LOGFONTW lf = LogFont();
    FHandle = CreateFontIndirectW(&lf);
    FHandleFromData = FHandle != nullptr;
  }
  return FHandle;
}

void TFont::SetHandle(HFONT Value) {
  if (Value == FHandle) return;
  LOGFONTW lf;
  if (Value && GetObject(Value, sizeof lf, &lf) == 0) Value = nullptr;
  FreeHandle();
  if (Value) {
    FData.Height = lf.lfHeight;
    FData.Orientation = lf.lfEscapement;
    FData.Charset = lf.lfCharSet;
    FData.Style = {};
    if (lf.lfWeight >= FW_BOLD) FData.Style.Include(TFontStyle::fsBold);
    if (lf.lfItalic) FData.Style.Include(TFontStyle::fsItalic);
    if (lf.lfUnderline) FData.Style.Include(TFontStyle::fsUnderline);
    if (lf.lfStrikeOut) FData.Style.Include(TFontStyle::fsStrikeOut);
    int pitch = lf.lfPitchAndFamily & 3;
    FData.Pitch = pitch == 2 ? TFontPitch::fpVariable : pitch == 1 ? TFontPitch::fpFixed : TFontPitch::fpDefault;
    FData.Quality = lf.lfQuality <= 6 ? static_cast<TFontQuality>(lf.lfQuality) : TFontQuality::fqDefault;
    size_t n = 0;
    while (n < LF_FACESIZE && lf.lfFaceName[n]) ++n;
    FData.Name.assign(lf.lfFaceName, n);
  }
  inherited::Changed();
  FHandle = Value;
  FHandleFromData = false;
}

// ---------------------------------------------------------------------------
// TPen

int PenModeToRop2(TPenMode Mode) {
  static const int kModes[] = {R2_BLACK,       R2_WHITE,       R2_NOP,        R2_NOT,         R2_COPYPEN,
                               R2_NOTCOPYPEN,  R2_MERGEPENNOT, R2_MASKPENNOT, R2_MERGENOTPEN, R2_MASKNOTPEN,
                               R2_MERGEPEN,    R2_NOTMERGEPEN, R2_MASKPEN,    R2_NOTMASKPEN,  R2_XORPEN,
                               R2_NOTXORPEN};
  return kModes[static_cast<int>(Mode)];
}

TPen::~TPen() { FreeHandle(); }

void TPen::FreeHandle() {
  if (FHandle) DeleteObject(FHandle);
  FHandle = nullptr;
}

void TPen::Changed() {
  FreeHandle();
  inherited::Changed();
}

void TPen::Assign(TPersistent* Source) {
  if (auto* p = dynamic_cast<TPen*>(Source)) {
    if (p == this) return;
    FColor = p->FColor;
    FWidth = p->FWidth;
    FStyle = p->FStyle;
    FMode = p->FMode;
    Changed();
    return;
  }
  inherited::Assign(Source);
}

void TPen::SetColor(TColor Value) {
  if (FColor == Value) return;
  FColor = Value;
  Changed();
}

void TPen::SetWidth(Integer Value) {
  if (Value < 0 || FWidth == Value) return;
  FWidth = Value;
  Changed();
}

void TPen::SetStyle(TPenStyle Value) {
  if (FStyle == Value) return;
  FStyle = Value;
  Changed();
}

void TPen::SetMode(TPenMode Value) {
  if (FMode == Value) return;
  FMode = Value;
  // The mode is the DC's ROP2, not part of the handle.
  inherited::Changed();
}

HPEN TPen::Handle() {
  if (!FHandle) {
    static const int kStyles[] = {PS_SOLID, PS_DASH,        PS_DOT,   PS_DASHDOT, PS_DASHDOTDOT,
                                  PS_NULL,  PS_INSIDEFRAME, PS_SOLID, PS_DOT};
    FHandle = CreatePen(kStyles[static_cast<int>(FStyle)], FWidth, ColorToColorRef(FColor));
  }
  return FHandle;
}

void TPen::SetHandle(HPEN Value) {
  if (Value == FHandle) return;
  LOGPEN lp;
  if (Value && GetObject(Value, sizeof lp, &lp) == 0) Value = nullptr;
  FreeHandle();
  if (Value) {
    FColor = TColor(lp.lopnColor);
    FWidth = lp.lopnWidth.X;
    UINT s = lp.lopnStyle & PS_STYLE_MASK;
    FStyle = s <= PS_INSIDEFRAME ? static_cast<TPenStyle>(s) : TPenStyle::psSolid;
  }
  inherited::Changed();
  FHandle = Value;
}

// ---------------------------------------------------------------------------
// TBrush

TBrush::~TBrush() { FreeHandle(); }

void TBrush::FreeHandle() {
  if (FHandle) DeleteObject(FHandle);
  FHandle = nullptr;
}

void TBrush::Changed() {
  FreeHandle();
  inherited::Changed();
}

void TBrush::Assign(TPersistent* Source) {
  if (auto* b = dynamic_cast<TBrush*>(Source)) {
    if (b == this) return;
    FColor = b->FColor;
    FStyle = b->FStyle;
    FBitmap = b->FBitmap;
    Changed();
    return;
  }
  inherited::Assign(Source);
}

void TBrush::SetColor(TColor Value) {
  if (FColor == Value && FStyle != TBrushStyle::bsClear) return;
  FColor = Value;
  if (FStyle == TBrushStyle::bsClear) FStyle = TBrushStyle::bsSolid;
  Changed();
}

void TBrush::SetStyle(TBrushStyle Value) {
  if (FStyle == Value && !FBitmap) return;
  FStyle = Value;
  FBitmap = nullptr;
  Changed();
}

void TBrush::SetBitmap(TBitmap* Value) {
  if (FBitmap == Value) return;
  FBitmap = Value;
  Changed();
}

HBRUSH TBrush::Handle() {
  if (!FHandle) {
    if (FBitmap && !FBitmap->Empty()) {
      FHandle = CreatePatternBrush(FBitmap->Handle());
    } else {
      switch (FStyle) {
        case TBrushStyle::bsSolid: FHandle = CreateSolidBrush(ColorToColorRef(FColor)); break;
        case TBrushStyle::bsClear: {
          LOGBRUSH lb;
          lb.lbStyle = BS_NULL;
          FHandle = CreateBrushIndirect(&lb);
          break;
        }
        default:
          FHandle = CreateHatchBrush(static_cast<int>(FStyle) - static_cast<int>(TBrushStyle::bsHorizontal),
                                     ColorToColorRef(FColor));
          break;
      }
    }
  }
  return FHandle;
}

void TBrush::SetHandle(HBRUSH Value) {
  if (Value == FHandle) return;
  LOGBRUSH lb;
  if (Value && GetObject(Value, sizeof lb, &lb) == 0) Value = nullptr;
  FreeHandle();
  if (Value) {
    FColor = TColor(lb.lbColor);
    FBitmap = nullptr;
    if (lb.lbStyle == BS_NULL) FStyle = TBrushStyle::bsClear;
    else if (lb.lbStyle == BS_HATCHED && lb.lbHatch <= ULONG_PTR(HS_DIAGCROSS))
      FStyle = static_cast<TBrushStyle>(int(TBrushStyle::bsHorizontal) + int(lb.lbHatch));
    else FStyle = TBrushStyle::bsSolid;
  }
  inherited::Changed();
  FHandle = Value;
}

// ---------------------------------------------------------------------------
// TCanvas

TCanvas::TCanvas() : FFont(new TFont), FPen(new TPen), FBrush(new TBrush) {
  FFont->OnChange = TNotifyEvent(this, &TCanvas::FontChanged);
  FPen->OnChange = TNotifyEvent(this, &TCanvas::PenChanged);
  FBrush->OnChange = TNotifyEvent(this, &TCanvas::BrushChanged);
}

TCanvas::~TCanvas() { SetHandle(nullptr); }

HDC TCanvas::Handle() {
  // Callers draw on the raw handle right after setting Font, Pen or Brush
  // (DrawText on Canvas->Handle() is the common idiom), so the handle comes
  // with the current objects selected, not stale ones.
  RequiredState({TCanvasStates::csHandleValid, TCanvasStates::csFontValid, TCanvasStates::csPenValid,
                 TCanvasStates::csBrushValid});
  return FHandle;
}

void TCanvas::SetHandle(HDC Value) {
  if (FHandle == Value) return;
  if (FHandle) {
    DeselectHandles();
    FState.Exclude(TCanvasStates::csHandleValid);
  }
  FHandle = Value;
  if (Value) FState.Include(TCanvasStates::csHandleValid);
}

void TCanvas::Lock() {
  FLock.lock();
  ++FLockCount;
}

void TCanvas::Unlock() {
  --FLockCount;
  FLock.unlock();
}

bool TCanvas::TryLock() {
  if (!FLock.try_lock()) return false;
  ++FLockCount;
  return true;
}

void TCanvas::Changed() {
  if (OnChange) OnChange(this);
}

void TCanvas::Changing() {
  if (OnChanging) OnChanging(this);
}

void TCanvas::RequiredState(TCanvasState ReqState) {
  TCanvasState need = ReqState - FState;
  if (need.empty()) return;
  if (need.Contains(TCanvasStates::csHandleValid)) {
    CreateHandle();
    if (!FHandle) throw EInvalidOperation(u"Canvas does not allow drawing");
    FState.Include(TCanvasStates::csHandleValid);
  }
  if (need.Contains(TCanvasStates::csFontValid)) CreateFont();
  if (need.Contains(TCanvasStates::csPenValid)) CreatePen();
  if (need.Contains(TCanvasStates::csBrushValid)) CreateBrush();
  FState += need;
}

void TCanvas::DeselectHandles() {
  if (FHandle && !(FState * TCanvasState{TCanvasStates::csPenValid, TCanvasStates::csBrushValid,
                                          TCanvasStates::csFontValid})
                      .empty()) {
    SelectObject(FHandle, GetStockObject(BLACK_PEN));
    SelectObject(FHandle, GetStockObject(HOLLOW_BRUSH));
    SelectObject(FHandle, GetStockObject(SYSTEM_FONT));
  }
  FState -= TCanvasState{TCanvasStates::csPenValid, TCanvasStates::csBrushValid, TCanvasStates::csFontValid};
}

void TCanvas::CreateFont() {
  SelectObject(FHandle, FFont->Handle());
  SetTextColor(FHandle, ColorToColorRef(FFont->Color()));
}

void TCanvas::CreatePen() {
  SelectObject(FHandle, FPen->Handle());
  SetROP2(FHandle, PenModeToRop2(FPen->Mode()));
}

void TCanvas::CreateBrush() {
  SelectObject(FHandle, FBrush->Handle());
  if (FBrush->Style() == TBrushStyle::bsSolid) {
    SetBkColor(FHandle, ColorToColorRef(FBrush->Color()));
    SetBkMode(FHandle, OPAQUE);
  } else {
    // Hatches leave the gaps alone; the background colour stays the
    // complement so a pattern brush's 1 bits still differ from its 0 bits.
    SetBkColor(FHandle, ~ColorToColorRef(FBrush->Color()) & 0x00FFFFFF);
    SetBkMode(FHandle, TRANSPARENT);
  }
}

void TCanvas::FontChanged(TObject*) {
  if (FState.Contains(TCanvasStates::csFontValid)) {
    FState.Exclude(TCanvasStates::csFontValid);
    SelectObject(FHandle, GetStockObject(SYSTEM_FONT));
  }
}

void TCanvas::PenChanged(TObject*) {
  if (FState.Contains(TCanvasStates::csPenValid)) {
    FState.Exclude(TCanvasStates::csPenValid);
    SelectObject(FHandle, GetStockObject(BLACK_PEN));
  }
}

void TCanvas::BrushChanged(TObject*) {
  if (FState.Contains(TCanvasStates::csBrushValid)) {
    FState.Exclude(TCanvasStates::csBrushValid);
    SelectObject(FHandle, GetStockObject(HOLLOW_BRUSH));
  }
}

void TCanvas::Refresh() { DeselectHandles(); }

TPoint TCanvas::PenPos() {
  RequiredState(TCanvasStates::csHandleValid);
  TPoint p;
  GetCurrentPositionEx(FHandle, &p);
  return p;
}

TColor TCanvas::Pixels(Integer X, Integer Y) {
  RequiredState(TCanvasStates::csHandleValid);
  return TColor(GetPixel(FHandle, X, Y));
}

void TCanvas::SetPixels(Integer X, Integer Y, TColor Value) {
  Changing();
  RequiredState({TCanvasStates::csHandleValid, TCanvasStates::csPenValid});
  SetPixel(FHandle, X, Y, ColorToColorRef(Value));
  Changed();
}

TRect TCanvas::ClipRect() {
  RequiredState(TCanvasStates::csHandleValid);
  TRect r;
  GetClipBox(FHandle, &r);
  return r;
}

namespace {
const TCanvasState kPenState{TCanvasStates::csHandleValid, TCanvasStates::csPenValid};
const TCanvasState kShapeState{TCanvasStates::csHandleValid, TCanvasStates::csPenValid,
                               TCanvasStates::csBrushValid};
const TCanvasState kBrushState{TCanvasStates::csHandleValid, TCanvasStates::csBrushValid};
}  // namespace

void TCanvas::MoveTo(Integer X, Integer Y) {
  RequiredState(TCanvasStates::csHandleValid);
  MoveToEx(FHandle, X, Y, nullptr);
}

void TCanvas::LineTo(Integer X, Integer Y) {
  Changing();
  RequiredState(kShapeState);
  ::vcl::LineTo(FHandle, X, Y);
  Changed();
}

void TCanvas::Polyline(const TPoint* Points, Integer Count) {
  Changing();
  RequiredState(kShapeState);
  ::vcl::Polyline(FHandle, Points, Count);
  Changed();
}

void TCanvas::Polyline(const std::vector<TPoint>& Points) { Polyline(Points.data(), Integer(Points.size())); }

void TCanvas::Polygon(const TPoint* Points, Integer Count) {
  Changing();
  RequiredState(kShapeState);
  ::vcl::Polygon(FHandle, Points, Count);
  Changed();
}

void TCanvas::Polygon(const std::vector<TPoint>& Points) { Polygon(Points.data(), Integer(Points.size())); }

void TCanvas::Rectangle(Integer X1, Integer Y1, Integer X2, Integer Y2) {
  Changing();
  RequiredState(kShapeState);
  ::vcl::Rectangle(FHandle, X1, Y1, X2, Y2);
  Changed();
}

void TCanvas::RoundRect(Integer X1, Integer Y1, Integer X2, Integer Y2, Integer X3, Integer Y3) {
  Changing();
  RequiredState(kShapeState);
  ::vcl::RoundRect(FHandle, X1, Y1, X2, Y2, X3, Y3);
  Changed();
}

void TCanvas::Ellipse(Integer X1, Integer Y1, Integer X2, Integer Y2) {
  Changing();
  RequiredState(kShapeState);
  ::vcl::Ellipse(FHandle, X1, Y1, X2, Y2);
  Changed();
}

void TCanvas::Arc(Integer X1, Integer Y1, Integer X2, Integer Y2, Integer X3, Integer Y3, Integer X4, Integer Y4) {
  Changing();
  RequiredState(kPenState);
  ::vcl::Arc(FHandle, X1, Y1, X2, Y2, X3, Y3, X4, Y4);
  Changed();
}

void TCanvas::Pie(Integer X1, Integer Y1, Integer X2, Integer Y2, Integer X3, Integer Y3, Integer X4, Integer Y4) {
  Changing();
  RequiredState(kShapeState);
  ::vcl::Pie(FHandle, X1, Y1, X2, Y2, X3, Y3, X4, Y4);
  Changed();
}

void TCanvas::Chord(Integer X1, Integer Y1, Integer X2, Integer Y2, Integer X3, Integer Y3, Integer X4, Integer Y4) {
  Changing();
  RequiredState(kShapeState);
  ::vcl::Chord(FHandle, X1, Y1, X2, Y2, X3, Y3, X4, Y4);
  Changed();
}

void TCanvas::FillRect(const TRect& Rect) {
  Changing();
  RequiredState(kBrushState);
  ::vcl::FillRect(FHandle, &Rect, FBrush->Handle());
  Changed();
}

void TCanvas::FrameRect(const TRect& Rect) {
  Changing();
  RequiredState(kBrushState);
  ::vcl::FrameRect(FHandle, &Rect, FBrush->Handle());
  Changed();
}

void TCanvas::DrawFocusRect(const TRect& Rect) {
  Changing();
  RequiredState(kBrushState);
  ::vcl::DrawFocusRect(FHandle, &Rect);
  Changed();
}

void TCanvas::FloodFill(Integer X, Integer Y, TColor Color, TFillStyle FillStyle) {
  Changing();
  RequiredState(kBrushState);
  ExtFloodFill(FHandle, X, Y, ColorToColorRef(Color),
               FillStyle == TFillStyle::fsSurface ? FLOODFILLSURFACE : FLOODFILLBORDER);
  Changed();
}

void TCanvas::CopyRect(const TRect& Dest, TCanvas* Canvas, const TRect& Source) {
  Changing();
  RequiredState(kBrushState);
  Canvas->RequiredState(TCanvasStates::csHandleValid);
  StretchBlt(FHandle, Dest.Left, Dest.Top, Dest.Width(), Dest.Height(), Canvas->FHandle, Source.Left, Source.Top,
             Source.Width(), Source.Height(), DWORD(FCopyMode));
  Changed();
}

void TCanvas::StretchDraw(const TRect& Rect, TGraphic* Graphic) {
  if (!Graphic || Graphic->Empty()) return;
  Changing();
  RequiredState(TCanvasStates::csHandleValid);
  SetBkColor(FHandle, ColorToColorRef(FBrush->Color()));
  SetTextColor(FHandle, ColorToColorRef(FFont->Color()));
  Graphic->Draw(this, Rect);
  Changed();
}

void TCanvas::StretchDraw(const TRect& Rect, TGraphic* Graphic, Byte Opacity) {
  if (Opacity == 255) return StretchDraw(Rect, Graphic);
  if (!Graphic || Graphic->Empty()) return;
  Changing();
  RequiredState(TCanvasStates::csHandleValid);
  Graphic->DrawTransparent(this, Rect, Opacity);
  Changed();
}

void TCanvas::Draw(Integer X, Integer Y, TGraphic* Graphic) {
  if (!Graphic || Graphic->Empty()) return;
  StretchDraw(Bounds(X, Y, Graphic->Width(), Graphic->Height()), Graphic);
}

void TCanvas::Draw(Integer X, Integer Y, TGraphic* Graphic, Byte Opacity) {
  if (!Graphic || Graphic->Empty()) return;
  StretchDraw(Bounds(X, Y, Graphic->Width(), Graphic->Height()), Graphic, Opacity);
}

}  // namespace vcl

QN_PUBLISHED_IMPL(vcl::TFont)
QN_PUBLISHED_IMPL(vcl::TPen)
QN_PUBLISHED_IMPL(vcl::TBrush)
