#include "gdiplus/Gdiplus_qn.h"

#include "platform/rtl/Units.h"

namespace qn {

namespace {
ULONG_PTR GToken = 0;
}  // namespace

void GdipCheck(Status S) {
  if (S != Status::Ok) throw EGdiplusException(String(u"Gdiplus Error: ") + vcl::StatusName(S));
}

ARGB Argb(Byte A, Byte R, Byte G, Byte B) {
  return ARGB(A) << 24 | ARGB(R) << 16 | ARGB(G) << 8 | ARGB(B);
}

ARGB ARGBFromTColor(Byte Alpha, TColor Color) {
  const COLORREF c = ColorToColorRef(Color);
  return Argb(Alpha, GetRValue(c), GetGValue(c), GetBValue(c));
}

ARGB ARGBFromTColor(TColor Color) { return ARGBFromTColor(255, Color); }

TGPPoint GpPoint(Integer X, Integer Y) { return {X, Y}; }

// ---------------------------------------------------------------------------

TGpGraphics::TGpGraphics(HDC DC) { GdipCheck(vcl::GdipCreateFromHDC(DC, &FNative)); }
TGpGraphics::~TGpGraphics() { vcl::GdipDeleteGraphics(FNative); }

void TGpGraphics::SetSmoothingMode(SmoothingMode Mode) { GdipCheck(vcl::GdipSetSmoothingMode(FNative, Mode)); }
SmoothingMode TGpGraphics::GetSmoothingMode() const {
  SmoothingMode m = vcl::SmoothingModeInvalid;
  GdipCheck(vcl::GdipGetSmoothingMode(FNative, &m));
  return m;
}
void TGpGraphics::SetInterpolationMode(InterpolationMode Mode) {
  GdipCheck(vcl::GdipSetInterpolationMode(FNative, Mode));
}
InterpolationMode TGpGraphics::GetInterpolationMode() const {
  InterpolationMode m = vcl::InterpolationModeInvalid;
  GdipCheck(vcl::GdipGetInterpolationMode(FNative, &m));
  return m;
}

void TGpGraphics::FillPath(TGpBrush* Brush, TGpGraphicsPath* Path) {
  GdipCheck(vcl::GdipFillPath(FNative, Brush ? Brush->Native() : nullptr, Path ? Path->Native() : nullptr));
}
void TGpGraphics::DrawPath(TGpPen* Pen, TGpGraphicsPath* Path) {
  GdipCheck(vcl::GdipDrawPath(FNative, Pen ? Pen->Native() : nullptr, Path ? Path->Native() : nullptr));
}
void TGpGraphics::FillEllipse(TGpBrush* Brush, const TGPRectF& Rect) {
  FillEllipse(Brush, Rect.X, Rect.Y, Rect.Width, Rect.Height);
}
void TGpGraphics::FillEllipse(TGpBrush* Brush, Single X, Single Y, Single Width, Single Height) {
  GdipCheck(vcl::GdipFillEllipse(FNative, Brush ? Brush->Native() : nullptr, X, Y, Width, Height));
}
void TGpGraphics::DrawEllipse(TGpPen* Pen, const TGPRectF& Rect) {
  DrawEllipse(Pen, Rect.X, Rect.Y, Rect.Width, Rect.Height);
}
void TGpGraphics::DrawEllipse(TGpPen* Pen, Single X, Single Y, Single Width, Single Height) {
  GdipCheck(vcl::GdipDrawEllipse(FNative, Pen ? Pen->Native() : nullptr, X, Y, Width, Height));
}

void TGpGraphics::DrawString(const WideString& Text, TGpFont* Font, const TGPRectF& LayoutRect,
                             TGpStringFormat* Format, TGpBrush* Brush) {
  const vcl::GpRectF r{LayoutRect.X, LayoutRect.Y, LayoutRect.Width, LayoutRect.Height};
  GdipCheck(vcl::GdipDrawString(FNative, Text.c_str(), Integer(Text.size()), Font ? Font->Native() : nullptr, &r,
                                Format ? Format->Native() : nullptr, Brush ? Brush->Native() : nullptr));
}

TGPRectF TGpGraphics::MeasureString(const WideString& Text, TGpFont* Font, const TGPRectF& LayoutRect,
                                    TGpStringFormat* Format) {
  const vcl::GpRectF r{LayoutRect.X, LayoutRect.Y, LayoutRect.Width, LayoutRect.Height};
  vcl::GpRectF box;
  GdipCheck(vcl::GdipMeasureString(FNative, Text.c_str(), Integer(Text.size()), Font ? Font->Native() : nullptr,
                                   &r, Format ? Format->Native() : nullptr, &box, nullptr, nullptr));
  return {box.X, box.Y, box.Width, box.Height};
}

void TGpGraphics::DrawImage(TGpImage* Image, Single X, Single Y) {
  GdipCheck(vcl::GdipDrawImage(FNative, Image ? Image->Native() : nullptr, X, Y));
}
void TGpGraphics::DrawImage(TGpImage* Image, const TGPRectF& Rect) {
  DrawImage(Image, Rect.X, Rect.Y, Rect.Width, Rect.Height);
}
void TGpGraphics::DrawImage(TGpImage* Image, const TGPRect& Rect) {
  GdipCheck(vcl::GdipDrawImageRectI(FNative, Image ? Image->Native() : nullptr, Rect.X, Rect.Y, Rect.Width,
                                    Rect.Height));
}
void TGpGraphics::DrawImage(TGpImage* Image, Single X, Single Y, Single Width, Single Height) {
  GdipCheck(vcl::GdipDrawImageRect(FNative, Image ? Image->Native() : nullptr, X, Y, Width, Height));
}

void TGpGraphics::SetClip(TGpGraphicsPath* Path, CombineMode Mode) {
  GdipCheck(vcl::GdipSetClipPath(FNative, Path ? Path->Native() : nullptr, Mode));
}
void TGpGraphics::ResetClip() { GdipCheck(vcl::GdipResetClip(FNative)); }

// ---------------------------------------------------------------------------

TGpBrush::~TGpBrush() { vcl::GdipDeleteBrush(FNative); }

TGpSolidBrush::TGpSolidBrush(ARGB Color) {
  vcl::GpSolidFill* b = nullptr;
  GdipCheck(vcl::GdipCreateSolidFill(Color, &b));
  FNative = vcl::AsBrush(b);
}
ARGB TGpSolidBrush::GetColor() const {
  ARGB c = 0;
  GdipCheck(vcl::GdipGetSolidFillColor(reinterpret_cast<vcl::GpSolidFill*>(FNative), &c));
  return c;
}
void TGpSolidBrush::SetColor(ARGB Color) {
  GdipCheck(vcl::GdipSetSolidFillColor(reinterpret_cast<vcl::GpSolidFill*>(FNative), Color));
}

// ---------------------------------------------------------------------------

TGpPen::TGpPen(ARGB Color, Single Width, GpUnit Unit) { GdipCheck(vcl::GdipCreatePen1(Color, Width, Unit, &FNative)); }
TGpPen::TGpPen(TGpBrush* Brush, Single Width, GpUnit Unit) {
  GdipCheck(vcl::GdipCreatePen2(Brush ? Brush->Native() : nullptr, Width, Unit, &FNative));
}
TGpPen::~TGpPen() { vcl::GdipDeletePen(FNative); }
Single TGpPen::GetWidth() const {
  Single w = 0;
  GdipCheck(vcl::GdipGetPenWidth(FNative, &w));
  return w;
}
void TGpPen::SetWidth(Single Width) { GdipCheck(vcl::GdipSetPenWidth(FNative, Width)); }
ARGB TGpPen::GetColor() const {
  ARGB c = 0;
  GdipCheck(vcl::GdipGetPenColor(FNative, &c));
  return c;
}
void TGpPen::SetColor(ARGB Color) { GdipCheck(vcl::GdipSetPenColor(FNative, Color)); }
GpLineJoin TGpPen::GetLineJoin() const {
  GpLineJoin j = 0;
  GdipCheck(vcl::GdipGetPenLineJoin(FNative, &j));
  return j;
}
void TGpPen::SetLineJoin(GpLineJoin LineJoin) { GdipCheck(vcl::GdipSetPenLineJoin(FNative, LineJoin)); }
Single TGpPen::GetMiterLimit() const {
  Single m = 0;
  GdipCheck(vcl::GdipGetPenMiterLimit(FNative, &m));
  return m;
}
void TGpPen::SetMiterLimit(Single MiterLimit) { GdipCheck(vcl::GdipSetPenMiterLimit(FNative, MiterLimit)); }

// ---------------------------------------------------------------------------

TGpGraphicsPath::TGpGraphicsPath(GpFillMode FillMode) { GdipCheck(vcl::GdipCreatePath(FillMode, &FNative)); }
TGpGraphicsPath::~TGpGraphicsPath() { vcl::GdipDeletePath(FNative); }
void TGpGraphicsPath::AddLine(const TGPPoint& Pt1, const TGPPoint& Pt2) { AddLine(Pt1.X, Pt1.Y, Pt2.X, Pt2.Y); }
void TGpGraphicsPath::AddLine(const TGPPointF& Pt1, const TGPPointF& Pt2) { AddLine(Pt1.X, Pt1.Y, Pt2.X, Pt2.Y); }
void TGpGraphicsPath::AddLine(Integer X1, Integer Y1, Integer X2, Integer Y2) {
  GdipCheck(vcl::GdipAddPathLineI(FNative, X1, Y1, X2, Y2));
}
void TGpGraphicsPath::AddLine(Single X1, Single Y1, Single X2, Single Y2) {
  GdipCheck(vcl::GdipAddPathLine(FNative, X1, Y1, X2, Y2));
}
void TGpGraphicsPath::AddArc(const TGPRect& Rect, Single StartAngle, Single SweepAngle) {
  AddArc(Rect.X, Rect.Y, Rect.Width, Rect.Height, StartAngle, SweepAngle);
}
void TGpGraphicsPath::AddArc(const TGPRectF& Rect, Single StartAngle, Single SweepAngle) {
  AddArc(Rect.X, Rect.Y, Rect.Width, Rect.Height, StartAngle, SweepAngle);
}
void TGpGraphicsPath::AddArc(Integer X, Integer Y, Integer Width, Integer Height, Single StartAngle,
                             Single SweepAngle) {
  GdipCheck(vcl::GdipAddPathArcI(FNative, X, Y, Width, Height, StartAngle, SweepAngle));
}
void TGpGraphicsPath::AddArc(Single X, Single Y, Single Width, Single Height, Single StartAngle, Single SweepAngle) {
  GdipCheck(vcl::GdipAddPathArc(FNative, X, Y, Width, Height, StartAngle, SweepAngle));
}
void TGpGraphicsPath::AddEllipse(const TGPRect& Rect) {
  GdipCheck(vcl::GdipAddPathEllipseI(FNative, Rect.X, Rect.Y, Rect.Width, Rect.Height));
}
void TGpGraphicsPath::AddEllipse(const TGPRectF& Rect) { AddEllipse(Rect.X, Rect.Y, Rect.Width, Rect.Height); }
void TGpGraphicsPath::AddEllipse(Single X, Single Y, Single Width, Single Height) {
  GdipCheck(vcl::GdipAddPathEllipse(FNative, X, Y, Width, Height));
}
void TGpGraphicsPath::AddRectangle(const TGPRect& Rect) {
  GdipCheck(vcl::GdipAddPathRectangleI(FNative, Rect.X, Rect.Y, Rect.Width, Rect.Height));
}
void TGpGraphicsPath::AddRectangle(const TGPRectF& Rect) { AddRectangle(Rect.X, Rect.Y, Rect.Width, Rect.Height); }
void TGpGraphicsPath::AddRectangle(Single X, Single Y, Single Width, Single Height) {
  GdipCheck(vcl::GdipAddPathRectangle(FNative, X, Y, Width, Height));
}
void TGpGraphicsPath::CloseFigure() { GdipCheck(vcl::GdipClosePathFigure(FNative)); }
void TGpGraphicsPath::Reset() { GdipCheck(vcl::GdipResetPath(FNative)); }
GpFillMode TGpGraphicsPath::GetFillMode() const {
  GpFillMode m = 0;
  GdipCheck(vcl::GdipGetPathFillMode(FNative, &m));
  return m;
}
void TGpGraphicsPath::SetFillMode(GpFillMode FillMode) { GdipCheck(vcl::GdipSetPathFillMode(FNative, FillMode)); }
Integer TGpGraphicsPath::GetPointCount() const {
  Integer n = 0;
  GdipCheck(vcl::GdipGetPointCount(FNative, &n));
  return n;
}

// ---------------------------------------------------------------------------

TGpFontFamily::TGpFontFamily(const WideString& Name, TGpFontCollection* Collection) {
  GdipCheck(vcl::GdipCreateFontFamilyFromName(Name.c_str(), Collection ? Collection->Native() : nullptr, &FNative));
}
TGpFontFamily::~TGpFontFamily() { vcl::GdipDeleteFontFamily(FNative); }
WideString TGpFontFamily::GetFamilyName() const {
  char16_t name[vcl::LF_FACESIZE] = {};
  GdipCheck(vcl::GdipGetFamilyName(FNative, name, 0));
  return name;
}

TGpFont::TGpFont(const WideString& FamilyName, Single EmSize, Integer Style, GpUnit Unit,
                 TGpFontCollection* Collection)
    : FSize(EmSize), FStyle(Style), FUnit(Unit) {
  TGpFontFamily family(FamilyName, Collection);
  GdipCheck(vcl::GdipCreateFont(family.Native(), EmSize, Style, Unit, &FNative));
}
TGpFont::TGpFont(TGpFontFamily* Family, Single EmSize, Integer Style, GpUnit Unit)
    : FSize(EmSize), FStyle(Style), FUnit(Unit) {
  GdipCheck(vcl::GdipCreateFont(Family ? Family->Native() : nullptr, EmSize, Style, Unit, &FNative));
}
TGpFont::~TGpFont() { vcl::GdipDeleteFont(FNative); }
Single TGpFont::GetHeight() const {
  Single h = 0;
  GdipCheck(vcl::GdipGetFontHeightGivenDPI(FNative, 96, &h));
  return h;
}

// ---------------------------------------------------------------------------

TGpStringFormat::TGpStringFormat(TStringFormatFlags Flags, LANGID Language) {
  GdipCheck(vcl::GdipCreateStringFormat(Integer(Flags.Bits()), Language, &FNative));
}
TGpStringFormat::~TGpStringFormat() { vcl::GdipDeleteStringFormat(FNative); }
StringAlignment TGpStringFormat::GetAlignment() const {
  StringAlignment a = 0;
  GdipCheck(vcl::GdipGetStringFormatAlign(FNative, &a));
  return a;
}
void TGpStringFormat::SetAlignment(StringAlignment Align) {
  GdipCheck(vcl::GdipSetStringFormatAlign(FNative, Align));
}
StringAlignment TGpStringFormat::GetLineAlignment() const {
  StringAlignment a = 0;
  GdipCheck(vcl::GdipGetStringFormatLineAlign(FNative, &a));
  return a;
}
void TGpStringFormat::SetLineAlignment(StringAlignment Align) {
  GdipCheck(vcl::GdipSetStringFormatLineAlign(FNative, Align));
}
void TGpStringFormat::SetFormatFlags(TStringFormatFlags Flags) {
  GdipCheck(vcl::GdipSetStringFormatFlags(FNative, Integer(Flags.Bits())));
}

// ---------------------------------------------------------------------------

TGpImage::TGpImage(vcl::IStream* Stream, bool UseICM) {
  GdipCheck(UseICM ? vcl::GdipLoadImageFromStreamICM(Stream, &FNative) : vcl::GdipLoadImageFromStream(Stream, &FNative));
}
TGpImage::~TGpImage() { vcl::GdipDisposeImage(FNative); }
Cardinal TGpImage::GetWidth() const {
  UINT w = 0;
  GdipCheck(vcl::GdipGetImageWidth(FNative, &w));
  return w;
}
Cardinal TGpImage::GetHeight() const {
  UINT h = 0;
  GdipCheck(vcl::GdipGetImageHeight(FNative, &h));
  return h;
}

// ---------------------------------------------------------------------------

void InitGdiplus() {
  vcl::GdiplusStartupInput input;
  GdipCheck(vcl::GdiplusStartup(&GToken, &input, nullptr));
}

void DoneGdiplus() {
  vcl::GdiplusShutdown(GToken);
  GToken = 0;
}

void RegisterGdiplusUnits() {
  RegisterUnit({"GdipTypes_qn", {"SysUtils"}, nullptr, nullptr});
  RegisterUnit({"Gdiplus_qn", {"GdipTypes_qn", "Graphics", "GdiText"}, InitGdiplus, DoneGdiplus});
}

}  // namespace qn
