// Gdiplus_qn: classes over the GDI+ flat interface. Every call goes through
// one status check that raises EGdiplusException ("Gdiplus Error: " and the
// status name) on failure; a constructor that fails raises and leaves
// nothing allocated. The unit's initialisation starts GDI+ for the process
// and its finalisation shuts it down.
#pragma once
#include "platform/rtl/MacroShield.h"

#include "gdiplus/GdipTypes_qn.h"
#include "platform/vcl/GraphicsColor.h"

namespace qn {

QN_EXCEPTION(EGdiplusException, Exception)

// Raises EGdiplusException for every status but Ok.
void GdipCheck(Status S);

ARGB Argb(Byte A, Byte R, Byte G, Byte B);
// A platform colour ($00BBGGRR, or a system colour, which is resolved) with
// the given alpha, in ARGB order.
ARGB ARGBFromTColor(Byte Alpha, TColor Color);
ARGB ARGBFromTColor(TColor Color);
TGPPoint GpPoint(Integer X, Integer Y);

class TGpBrush;
class TGpPen;
class TGpGraphicsPath;
class TGpFont;
class TGpStringFormat;
class TGpImage;

class TGpBase : public TObject {
  QN_CLASS(TGpBase, TObject)
};

class TGpGraphics : public TGpBase {
  QN_CLASS(TGpGraphics, TGpBase)
 public:
  explicit TGpGraphics(HDC DC);
  ~TGpGraphics() override;
  vcl::GpGraphics* Native() const { return FNative; }

  void SetSmoothingMode(SmoothingMode Mode);
  SmoothingMode GetSmoothingMode() const;
  void SetInterpolationMode(InterpolationMode Mode);
  InterpolationMode GetInterpolationMode() const;

  void FillPath(TGpBrush* Brush, TGpGraphicsPath* Path);
  void DrawPath(TGpPen* Pen, TGpGraphicsPath* Path);
  void FillEllipse(TGpBrush* Brush, const TGPRectF& Rect);
  void FillEllipse(TGpBrush* Brush, Single X, Single Y, Single Width, Single Height);
  void DrawEllipse(TGpPen* Pen, const TGPRectF& Rect);
  void DrawEllipse(TGpPen* Pen, Single X, Single Y, Single Width, Single Height);
  // Format nil: near alignment both ways, wrapping.
  void DrawString(const WideString& Text, TGpFont* Font, const TGPRectF& LayoutRect, TGpStringFormat* Format,
                  TGpBrush* Brush);
  // The box the text takes in the layout rectangle.
  TGPRectF MeasureString(const WideString& Text, TGpFont* Font, const TGPRectF& LayoutRect,
                         TGpStringFormat* Format = nullptr);
  // At the image's own size, or stretched over a rectangle.
  void DrawImage(TGpImage* Image, Single X, Single Y);
  void DrawImage(TGpImage* Image, const TGPRectF& Rect);
  void DrawImage(TGpImage* Image, const TGPRect& Rect);
  void DrawImage(TGpImage* Image, Single X, Single Y, Single Width, Single Height);
  void SetClip(TGpGraphicsPath* Path, CombineMode Mode = vcl::CombineModeReplace);
  void ResetClip();

 private:
  vcl::GpGraphics* FNative = nullptr;
};

class TGpBrush : public TGpBase {
  QN_CLASS(TGpBrush, TGpBase)
 public:
  ~TGpBrush() override;
  vcl::GpBrush* Native() const { return FNative; }

 protected:
  TGpBrush() = default;
  vcl::GpBrush* FNative = nullptr;
};

class TGpSolidBrush : public TGpBrush {
  QN_CLASS(TGpSolidBrush, TGpBrush)
 public:
  explicit TGpSolidBrush(ARGB Color);
  ARGB GetColor() const;
  void SetColor(ARGB Color);
};

class TGpPen : public TGpBase {
  QN_CLASS(TGpPen, TGpBase)
 public:
  explicit TGpPen(ARGB Color, Single Width = 1.0f, GpUnit Unit = vcl::UnitWorld);
  // Paints with the brush's colour as it is now.
  explicit TGpPen(TGpBrush* Brush, Single Width = 1.0f, GpUnit Unit = vcl::UnitWorld);
  ~TGpPen() override;
  vcl::GpPen* Native() const { return FNative; }

  Single GetWidth() const;
  void SetWidth(Single Width);
  ARGB GetColor() const;
  void SetColor(ARGB Color);
  GpLineJoin GetLineJoin() const;
  void SetLineJoin(GpLineJoin LineJoin);
  Single GetMiterLimit() const;
  void SetMiterLimit(Single MiterLimit);

 private:
  vcl::GpPen* FNative = nullptr;
};

class TGpGraphicsPath : public TGpBase {
  QN_CLASS(TGpGraphicsPath, TGpBase)
 public:
  explicit TGpGraphicsPath(GpFillMode FillMode = vcl::FillModeAlternate);
  ~TGpGraphicsPath() override;
  vcl::GpPath* Native() const { return FNative; }

  void AddLine(const TGPPoint& Pt1, const TGPPoint& Pt2);
  void AddLine(const TGPPointF& Pt1, const TGPPointF& Pt2);
  void AddLine(Integer X1, Integer Y1, Integer X2, Integer Y2);
  void AddLine(Single X1, Single Y1, Single X2, Single Y2);
  void AddArc(const TGPRect& Rect, Single StartAngle, Single SweepAngle);
  void AddArc(const TGPRectF& Rect, Single StartAngle, Single SweepAngle);
  void AddArc(Integer X, Integer Y, Integer Width, Integer Height, Single StartAngle, Single SweepAngle);
  void AddArc(Single X, Single Y, Single Width, Single Height, Single StartAngle, Single SweepAngle);
  void AddEllipse(const TGPRect& Rect);
  void AddEllipse(const TGPRectF& Rect);
  void AddEllipse(Single X, Single Y, Single Width, Single Height);
  void AddRectangle(const TGPRect& Rect);
  void AddRectangle(const TGPRectF& Rect);
  void AddRectangle(Single X, Single Y, Single Width, Single Height);
  void CloseFigure();
  void Reset();
  GpFillMode GetFillMode() const;
  void SetFillMode(GpFillMode FillMode);
  Integer GetPointCount() const;

 private:
  vcl::GpPath* FNative = nullptr;
};

// The installed fonts. Only the nil default is used: there are no private
// collections.
class TGpFontCollection : public TGpBase {
  QN_CLASS(TGpFontCollection, TGpBase)
 public:
  vcl::GpFontCollection* Native() const { return nullptr; }
};

class TGpFontFamily : public TGpBase {
  QN_CLASS(TGpFontFamily, TGpBase)
 public:
  explicit TGpFontFamily(const WideString& Name, TGpFontCollection* Collection = nullptr);
  ~TGpFontFamily() override;
  vcl::GpFontFamily* Native() const { return FNative; }
  // The installed family that draws it.
  WideString GetFamilyName() const;

 private:
  vcl::GpFontFamily* FNative = nullptr;
};

class TGpFont : public TGpBase {
  QN_CLASS(TGpFont, TGpBase)
 public:
  TGpFont(const WideString& FamilyName, Single EmSize, Integer Style = vcl::FontStyleRegular,
          GpUnit Unit = vcl::UnitPoint, TGpFontCollection* Collection = nullptr);
  TGpFont(TGpFontFamily* Family, Single EmSize, Integer Style = vcl::FontStyleRegular,
          GpUnit Unit = vcl::UnitPoint);
  ~TGpFont() override;
  vcl::GpFont* Native() const { return FNative; }
  Single GetSize() const { return FSize; }
  Integer GetStyle() const { return FStyle; }
  GpUnit GetUnit() const { return FUnit; }
  // The em height in pixels.
  Single GetHeight() const;

 private:
  vcl::GpFont* FNative = nullptr;
  Single FSize;
  Integer FStyle;
  GpUnit FUnit;
};

class TGpStringFormat : public TGpBase {
  QN_CLASS(TGpStringFormat, TGpBase)
 public:
  explicit TGpStringFormat(TStringFormatFlags Flags = {}, LANGID Language = 0);
  ~TGpStringFormat() override;
  vcl::GpStringFormat* Native() const { return FNative; }

  StringAlignment GetAlignment() const;
  void SetAlignment(StringAlignment Align);
  StringAlignment GetLineAlignment() const;
  void SetLineAlignment(StringAlignment Align);
  void SetFormatFlags(TStringFormatFlags Flags);

 private:
  vcl::GpStringFormat* FNative = nullptr;
};

class TGpImage : public TGpBase {
  QN_CLASS(TGpImage, TGpBase)
 public:
  // Decodes the stream from its position (PNG, BMP, JPEG).
  explicit TGpImage(vcl::IStream* Stream, bool UseICM = false);
  ~TGpImage() override;
  vcl::GpImage* Native() const { return FNative; }
  Cardinal GetWidth() const;
  Cardinal GetHeight() const;
  Cardinal Width() const { return GetWidth(); }
  Cardinal Height() const { return GetHeight(); }

 private:
  vcl::GpImage* FNative = nullptr;
};

// Unit initialisation: starts GDI+ once for the process; finalisation shuts it down.
void InitGdiplus();
void DoneGdiplus();

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
