// The drawing objects of the Graphics unit and the canvas that realises them
// into a device context. Fonts, pens and brushes make their GDI handle only
// when a canvas asks for it, and drop it (and tell their owner through
// OnChange) whenever a property changes, so a canvas reselects them before
// its next drawing call.
#pragma once
#include "platform/rtl/MacroShield.h"

#include <memory>
#include <mutex>
#include <vector>

#include "platform/classes/Persistent.h"
#include "platform/classes/PropInfo.h"
#include "platform/vcl/GraphicsColor.h"

namespace vcl {

class TGraphic;
class TBitmap;
class TCanvas;

// ---------------------------------------------------------------------------
// Drawing objects

class TGraphicsObject : public TPersistent {
  QN_CLASS(TGraphicsObject, TPersistent)
 public:
  TNotifyEvent OnChange;
  void SetOnChange(const TNotifyEvent& e) { OnChange = e; }
  // True while the object's handle exists.
  virtual bool HandleAllocated() const = 0;

 protected:
  virtual void Changed();
};

enum class TFontStyle : Byte { fsBold, fsItalic, fsUnderline, fsStrikeOut };
using TFontStyles = TSet<TFontStyle>;
enum class TFontPitch : Byte { fpDefault, fpVariable, fpFixed };
enum class TFontQuality : Byte {
  fqDefault, fqDraft, fqProof, fqNonAntialiased, fqAntialiased, fqClearType, fqClearTypeNatural
};
QN_ENUM_NAMES(TFontStyle, fsBold, fsItalic, fsUnderline, fsStrikeOut)
QN_ENUM_NAMES(TFontPitch, fpDefault, fpVariable, fpFixed)
QN_ENUM_NAMES(TFontQuality, fqDefault, fqDraft, fqProof, fqNonAntialiased, fqAntialiased, fqClearType,
              fqClearTypeNatural)
QN_TYPE_NAME(TFontStyles)
using TFontCharset = Byte;
using TFontName = String;

// Form files name charsets by their constants ("DEFAULT_CHARSET"); the
// streaming system finds these under the type name "TFontCharset".
bool CharsetToIdent(Integer Charset, String& Ident);
bool IdentToCharset(const String& Ident, Integer& Charset);

// The charset and weight constants (ANSI_CHARSET, FW_BOLD, ...) are the GDI layer's.

// The font a new TFont starts with; "Default" as a face name also means
// this face.
struct TFontData {
  String Name = u"Tahoma";
  Integer Height = -11;
  TFontPitch Pitch = TFontPitch::fpDefault;
  TFontStyles Style;
  TFontCharset Charset = DEFAULT_CHARSET;
  Integer Orientation = 0;
  TFontQuality Quality = TFontQuality::fqDefault;
  friend bool operator==(const TFontData&, const TFontData&) = default;
};
const TFontData& DefFontData();

class TFont : public TGraphicsObject {
  QN_CLASS(TFont, TGraphicsObject)
 public:
  TFont();
  ~TFont() override;
  void Assign(TPersistent* Source) override;
  bool HandleAllocated() const override { return FHandle != nullptr; }

  // Made on demand from the properties (CreateFontIndirectW). Setting a
  // handle takes it over and reads the properties from its LOGFONTW.
  HFONT Handle();
  void SetHandle(HFONT Value);

  TColor Color() const { return FColor; }
  void SetColor(TColor Value);
  // Pixels: negative for the character height, positive for the cell height.
  Integer Height() const { return FData.Height; }
  void SetHeight(Integer Value);
  // Points at PixelsPerInch (96): Size = -Height * 72 / PixelsPerInch.
  Integer Size() const;
  void SetSize(Integer Value);
  const TFontName& Name() const { return FData.Name; }
  void SetName(const TFontName& Value);
  TFontStyles Style() const { return FData.Style; }
  void SetStyle(TFontStyles Value);
  TFontPitch Pitch() const { return FData.Pitch; }
  void SetPitch(TFontPitch Value);
  TFontCharset Charset() const { return FData.Charset; }
  void SetCharset(TFontCharset Value);
  // Tenths of a degree, counter-clockwise.
  Integer Orientation() const { return FData.Orientation; }
  void SetOrientation(Integer Value);
  TFontQuality Quality() const { return FData.Quality; }
  void SetQuality(TFontQuality Value);
  Integer PixelsPerInch() const { return FPixelsPerInch; }
  void SetPixelsPerInch(Integer Value) { FPixelsPerInch = Value > 0 ? Value : 96; }

  // The LOGFONTW the handle is made from.
  LOGFONTW LogFont() const;

  // Height carries the size; Size is read from older files and never written.
  QN_PUBLISHED_DECL(TFont) {
    QN_PROP(Charset).TypeName(u"TFontCharset");
    QN_PROP(Color).TypeName(u"TColor");
    QN_PROP(Height);
    QN_PROP(Name).TypeName(u"TFontName");
    QN_PROP(Orientation).Default(0);
    QN_PROP(Pitch).Default(TFontPitch::fpDefault);
    QN_PROP(Size).Stored(false);
    QN_PROP(Style);
    QN_PROP(Quality).Default(TFontQuality::fqDefault);
  }

 protected:
  void Changed() override;

 private:
  void FreeHandle();
  TFontData FData;
  TColor FColor = clWindowText;
  Integer FPixelsPerInch = 96;
  HFONT FHandle = nullptr;
  // The handle was made here from FData (not taken over by SetHandle), so
  // it stands for FData exactly.
  bool FHandleFromData = false;
};

enum class TPenStyle : Byte {
  psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame, psUserStyle, psAlternate
};
enum class TPenMode : Byte {
  pmBlack, pmWhite, pmNop, pmNot, pmCopy, pmNotCopy, pmMergePenNot, pmMaskPenNot, pmMergeNotPen,
  pmMaskNotPen, pmMerge, pmNotMerge, pmMask, pmNotMask, pmXor, pmNotXor
};
QN_ENUM_NAMES(TPenStyle, psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame, psUserStyle,
              psAlternate)
QN_ENUM_NAMES(TPenMode, pmBlack, pmWhite, pmNop, pmNot, pmCopy, pmNotCopy, pmMergePenNot, pmMaskPenNot,
              pmMergeNotPen, pmMaskNotPen, pmMerge, pmNotMerge, pmMask, pmNotMask, pmXor, pmNotXor)
// The ROP2 code of a pen mode.
int PenModeToRop2(TPenMode Mode);

class TPen : public TGraphicsObject {
  QN_CLASS(TPen, TGraphicsObject)
 public:
  TPen() = default;
  ~TPen() override;
  void Assign(TPersistent* Source) override;
  bool HandleAllocated() const override { return FHandle != nullptr; }

  HPEN Handle();
  // Takes the handle over; its LOGPEN sets Color, Width and Style.
  void SetHandle(HPEN Value);
  TColor Color() const { return FColor; }
  void SetColor(TColor Value);
  Integer Width() const { return FWidth; }
  void SetWidth(Integer Value);
  TPenStyle Style() const { return FStyle; }
  void SetStyle(TPenStyle Value);
  // The mode is not part of the handle: the canvas sets it as the ROP2.
  TPenMode Mode() const { return FMode; }
  void SetMode(TPenMode Value);

  QN_PUBLISHED_DECL(TPen) {
    QN_PROP(Color).TypeName(u"TColor").Default(clBlack);
    QN_PROP(Mode).Default(TPenMode::pmCopy);
    QN_PROP(Style).Default(TPenStyle::psSolid);
    QN_PROP(Width).Default(1);
  }

 protected:
  void Changed() override;

 private:
  void FreeHandle();
  TColor FColor = clBlack;
  Integer FWidth = 1;
  TPenStyle FStyle = TPenStyle::psSolid;
  TPenMode FMode = TPenMode::pmCopy;
  HPEN FHandle = nullptr;
};

enum class TBrushStyle : Byte { bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross };
QN_ENUM_NAMES(TBrushStyle, bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross,
              bsDiagCross)

class TBrush : public TGraphicsObject {
  QN_CLASS(TBrush, TGraphicsObject)
 public:
  TBrush() = default;
  ~TBrush() override;
  void Assign(TPersistent* Source) override;
  bool HandleAllocated() const override { return FHandle != nullptr; }

  HBRUSH Handle();
  // Takes the handle over; its LOGBRUSH sets Color and Style.
  void SetHandle(HBRUSH Value);
  // Setting a colour turns a clear brush solid.
  TColor Color() const { return FColor; }
  void SetColor(TColor Value);
  TBrushStyle Style() const { return FStyle; }
  void SetStyle(TBrushStyle Value);
  // An 8x8 pattern taken from the bitmap's top-left corner when the handle
  // is made. The brush does not own the bitmap; nil returns to Style.
  TBitmap* Bitmap() const { return FBitmap; }
  void SetBitmap(TBitmap* Value);

  QN_PUBLISHED_DECL(TBrush) {
    QN_PROP(Color).TypeName(u"TColor").Default(clWhite);
    QN_PROP(Style).Default(TBrushStyle::bsSolid);
  }

 protected:
  void Changed() override;

 private:
  void FreeHandle();
  TColor FColor = clWhite;
  TBrushStyle FStyle = TBrushStyle::bsSolid;
  TBitmap* FBitmap = nullptr;
  HBRUSH FHandle = nullptr;
};

// ---------------------------------------------------------------------------
// Canvas

enum class TCanvasStates : Byte { csHandleValid, csFontValid, csPenValid, csBrushValid };
using TCanvasState = TSet<TCanvasStates>;
enum class TFillStyle : Byte { fsSurface, fsBorder };
enum class TCanvasOrientation : Byte { coLeftToRight, coRightToLeft };
using TCopyMode = Integer;

constexpr TCopyMode cmBlackness = BLACKNESS, cmDstInvert = DSTINVERT, cmMergeCopy = MERGECOPY,
                    cmMergePaint = MERGEPAINT, cmNotSrcCopy = NOTSRCCOPY, cmNotSrcErase = NOTSRCERASE,
                    cmPatCopy = PATCOPY, cmPatInvert = PATINVERT, cmPatPaint = PATPAINT, cmSrcAnd = SRCAND,
                    cmSrcCopy = SRCCOPY, cmSrcErase = SRCERASE, cmSrcInvert = SRCINVERT, cmSrcPaint = SRCPAINT,
                    cmWhiteness = WHITENESS;

// TextRect's formats, each a DrawText flag (tfComposited draws as without it).
enum class TTextFormats : Byte {
  tfBottom, tfCalcRect, tfCenter, tfEditControl, tfEndEllipsis, tfPathEllipsis, tfExpandTabs,
  tfExternalLeading, tfLeft, tfModifyString, tfNoClip, tfNoPrefix, tfRight, tfRtlReading, tfSingleLine,
  tfTop, tfVerticalCenter, tfWordBreak, tfHidePrefix, tfNoFullWidthCharBreak, tfPrefixOnly, tfTabStop,
  tfWordEllipsis, tfComposited
};
using TTextFormat = TSet<TTextFormats>;

// Every drawing call is bracketed by Changing (OnChanging) and Changed
// (OnChange), and first makes sure the DC exists (CreateHandle) and holds the
// current font, pen and brush. A canvas without a DC raises
// EInvalidOperation "Canvas does not allow drawing".
class TCanvas : public TPersistent {
  QN_CLASS(TCanvas, TPersistent)
 public:
  TCanvas();
  ~TCanvas() override;

  // The DC drawn on. Setting it deselects the objects from the old DC; the
  // canvas does not own a DC set from outside.
  HDC Handle();
  void SetHandle(HDC Value);
  bool HandleAllocated() const { return FHandle != nullptr; }

  // Re-entrant: the thread holding the lock may lock again.
  void Lock();
  void Unlock();
  bool TryLock();
  Integer LockCount() const { return FLockCount; }

  TFont* Font() const { return FFont.get(); }
  void SetFont(TFont* Value) { FFont->Assign(Value); }
  TPen* Pen() const { return FPen.get(); }
  void SetPen(TPen* Value) { FPen->Assign(Value); }
  TBrush* Brush() const { return FBrush.get(); }
  void SetBrush(TBrush* Value) { FBrush->Assign(Value); }
  TCopyMode CopyMode() const { return FCopyMode; }
  void SetCopyMode(TCopyMode Value) { FCopyMode = Value; }
  TCanvasState State() const { return FState; }

  TPoint PenPos();
  void SetPenPos(const TPoint& Value) { MoveTo(Value.X, Value.Y); }
  TColor Pixels(Integer X, Integer Y);
  void SetPixels(Integer X, Integer Y, TColor Value);
  // The part that can be drawn on, in logical coordinates.
  TRect ClipRect();

  void MoveTo(Integer X, Integer Y);
  void LineTo(Integer X, Integer Y);
  void Polyline(const std::vector<TPoint>& Points);
  void Polyline(const TPoint* Points, Integer Count);
  void Polygon(const std::vector<TPoint>& Points);
  void Polygon(const TPoint* Points, Integer Count);
  void Rectangle(Integer X1, Integer Y1, Integer X2, Integer Y2);
  void Rectangle(const TRect& Rect) { Rectangle(Rect.Left, Rect.Top, Rect.Right, Rect.Bottom); }
  void RoundRect(Integer X1, Integer Y1, Integer X2, Integer Y2, Integer X3, Integer Y3);
  void RoundRect(const TRect& Rect, Integer CX, Integer CY) {
    RoundRect(Rect.Left, Rect.Top, Rect.Right, Rect.Bottom, CX, CY);
  }
  void Ellipse(Integer X1, Integer Y1, Integer X2, Integer Y2);
  void Ellipse(const TRect& Rect) { Ellipse(Rect.Left, Rect.Top, Rect.Right, Rect.Bottom); }
  void Arc(Integer X1, Integer Y1, Integer X2, Integer Y2, Integer X3, Integer Y3, Integer X4, Integer Y4);
  void Pie(Integer X1, Integer Y1, Integer X2, Integer Y2, Integer X3, Integer Y3, Integer X4, Integer Y4);
  void Chord(Integer X1, Integer Y1, Integer X2, Integer Y2, Integer X3, Integer Y3, Integer X4, Integer Y4);
  void FillRect(const TRect& Rect);
  void FillRect(Integer X1, Integer Y1, Integer X2, Integer Y2) { FillRect(TRect(X1, Y1, X2, Y2)); }
  void FrameRect(const TRect& Rect);
  void FrameRect(Integer X1, Integer Y1, Integer X2, Integer Y2) { FrameRect(TRect(X1, Y1, X2, Y2)); }
  void DrawFocusRect(const TRect& Rect);
  // Fills with the brush from (X, Y): fsSurface the area of colour Color,
  // fsBorder the area bounded by Color.
  void FloodFill(Integer X, Integer Y, TColor Color, TFillStyle FillStyle);
  // Copies Source's rectangle from Canvas with CopyMode, stretching it.
  void CopyRect(const TRect& Dest, TCanvas* Canvas, const TRect& Source);
  void Draw(Integer X, Integer Y, TGraphic* Graphic);
  // Draws with a constant opacity over what is there (255: as Draw).
  void Draw(Integer X, Integer Y, TGraphic* Graphic, Byte Opacity);
  void StretchDraw(const TRect& Rect, TGraphic* Graphic);
  void StretchDraw(const TRect& Rect, TGraphic* Graphic, Byte Opacity);
  // Forgets which objects the DC holds, so the next call reselects them.
  void Refresh();

  // Text in the font; a solid brush fills the text cells behind it, a clear
  // one leaves them. TextOut moves the pen past the text.
  void TextOut(Integer X, Integer Y, const String& Text);
  // ExtTextOut clipped to Rect (and filled with the brush unless it is clear).
  void TextRect(const TRect& Rect, Integer X, Integer Y, const String& Text);
  // DrawText in Rect with the formats; tfCalcRect measures into Rect and
  // tfModifyString gives back the text as shown.
  void TextRect(TRect& Rect, String& Text, TTextFormat TextFormat = TTextFormat());
  TSize TextExtent(const String& Text);
  Integer TextWidth(const String& Text) { return TextExtent(Text).cx; }
  Integer TextHeight(const String& Text) { return TextExtent(Text).cy; }
  // ExtTextOut options (ETO_*) that TextOut and TextRect add.
  Integer TextFlags() const { return FTextFlags; }
  void SetTextFlags(Integer Value) { FTextFlags = Value; }

  TNotifyEvent OnChange;
  TNotifyEvent OnChanging;

 protected:
  virtual void Changed();
  virtual void Changing();
  // Makes the DC; the base canvas has none to make.
  virtual void CreateHandle() {}
  void RequiredState(TCanvasState ReqState);
  void DeselectHandles();

  HDC FHandle = nullptr;
  TCanvasState FState;

 private:
  void CreateFont();
  void CreatePen();
  void CreateBrush();
  void FontChanged(TObject* Sender);
  void PenChanged(TObject* Sender);
  void BrushChanged(TObject* Sender);

  std::unique_ptr<TFont> FFont;
  std::unique_ptr<TPen> FPen;
  std::unique_ptr<TBrush> FBrush;
  TCopyMode FCopyMode = cmSrcCopy;
  Integer FTextFlags = 0;
  std::recursive_mutex FLock;
  Integer FLockCount = 0;
};

}  // namespace vcl

#include "platform/rtl/MacroShieldEnd.h"
