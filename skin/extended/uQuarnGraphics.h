// uQuarnGraphics: the small drawing objects of the vector controls — a fill
// setting, an outline setting — and a renderer that reads SVG path data and
// draws it filled and stroked through a path canvas.
#pragma once
#include "platform/rtl/MacroShield.h"

#include <memory>

#include "graphics/raster/Pix32_qn_Bitmap32.h"
#include "graphics/vector/Pix32_Brushes_qn.h"
#include "graphics/vector/Pix32_Paths_qn.h"
#include "platform/classes/Classes.h"
#include "platform/vcl/Graphics.h"

namespace qn {

enum class TQnPenStyle { psSolid, psDot, psDash };
QN_ENUM_NAMES(TQnPenStyle, psSolid, psDot, psDash)
using enum TQnPenStyle;

// A fill setting that reports its changes.
class TQnBrush : public TPersistent {
  QN_CLASS_CREATE(TQnBrush, TPersistent, TObject)
 public:
  TQnBrush() = default;
  explicit TQnBrush(TObject*) {}
  // Copies colour and visibility and reports once when anything changed.
  void Assign(TPersistent* Source) override;

  TColor Color() const { return FColor; }
  void SetColor(TColor Value);
  bool Visible() const { return FVisible; }
  void SetVisible(bool Value);
  const TNotifyEvent& OnChanged() const { return FOnChanged; }
  // Only stores.
  void SetOnChanged(const TNotifyEvent& Value) { FOnChanged = Value; }

  QN_PUBLISHED_DECL(TQnBrush) {
    QN_PROP(Color).TypeName(u"TColor").NoDefault().Stored(true);
    QN_PROP(Visible).NoDefault().Stored(true);
    QN_PROP(OnChanged).TypeName(u"TNotifyEvent");
  }

 protected:
  virtual void DoChanged();

  TColor FColor = static_cast<TColor>(0x008B6366);
  bool FVisible = true;
  TNotifyEvent FOnChanged;
};

// An outline setting: a fill setting with a width and a dash style.
class TQnPen : public TQnBrush {
  QN_CLASS_CREATE(TQnPen, TQnBrush, TObject)
 public:
  TQnPen() = default;
  explicit TQnPen(TObject*) {}
  void Assign(TPersistent* Source) override;

  TQnPenStyle Style() const { return FStyle; }
  void SetStyle(TQnPenStyle Value);
  Integer Width() const { return FWidth; }
  void SetWidth(Integer Value);

  QN_PUBLISHED_DECL(TQnPen) {
    QN_PROP(Style).NoDefault().Stored(true);
    QN_PROP(Width).NoDefault().Stored(true);
  }

 protected:
  Integer FWidth = 1;
  TQnPenStyle FStyle = psSolid;
};

// A path-canvas brush that carries a stroke width but draws nothing: a
// placeholder a canvas can own without painting for it.
class TQnStrokeBrush : public TSolidBrush {
  QN_CLASS_CREATE(TQnStrokeBrush, TSolidBrush, TBrushCollection)
 public:
  explicit TQnStrokeBrush(TBrushCollection* ABrushCollection = nullptr) : TSolidBrush(ABrushCollection) {}

  TFloat StrokeWidth() const { return FStrokeWidth; }
  void SetStrokeWidth(TFloat Value);

  void PolygonFS(TCustomPolygonRenderer*, const TArrayOfFloatPoint&, const TFloatRect&, TTransformation*,
                 bool) override {}
  // The canvas hands closed figures over as one list; that entry draws
  // nothing either.
  void PolyPolygonFS(TCustomPolygonRenderer*, const TArrayOfArrayOfFloatPoint&, const TFloatRect&,
                     TTransformation*, bool) override {}

 protected:
  TFloat FStrokeWidth = 1.0f;
};

enum class TQnSVGPathColor { pcFill, pcStroke };
QN_ENUM_NAMES(TQnSVGPathColor, pcFill, pcStroke)
using enum TQnSVGPathColor;
using TQnSVGPathColors = TSet<TQnSVGPathColor>;
QN_TYPE_NAME(TQnSVGPathColors)

// Reads path data (commands M L H V C S Q T A Z in both cases) into Target:
// the pair reader adds 1.5 to every x it reads, A is read and skipped, and
// every in-text M ends the path drawn so far. Raises Exception "No Data",
// "Unknown first command (%s)", "Unknown command (%s)", or EConvertError for
// a number that does not convert or is not finite. Every pass of the command
// loop consumes text, so the result — the passes made — never exceeds the
// text's length.
Integer ReadSvgPath(const AnsiString& Path, TCustomPath& Target);
// Reads Path without drawing: True when it is well formed, else False with
// the error's message in Msg.
bool ValidateSvgPath(const String& Path, String& Msg);

// Draws path data into a bitmap: filled in FillColor at Alpha, stroked in
// opaque StrokeColor, each as Colors says.
class TQnSVGPathRenderer : public TPersistent {
  QN_CLASS(TQnSVGPathRenderer, TPersistent)
 public:
  explicit TQnSVGPathRenderer(TCustomBitmap32* Bitmap);
  ~TQnSVGPathRenderer() override;

  // The setters only store: the next Refresh uses them.
  Byte Alpha() const { return FAlpha; }
  void SetAlpha(Byte Value) { FAlpha = Value; }
  TQnSVGPathColors Colors() const { return FColors; }
  void SetColors(TQnSVGPathColors Value) { FColors = Value; }
  TColor FillColor() const { return FFillColor; }
  void SetFillColor(TColor Value) { FFillColor = Value; }
  TColor StrokeColor() const { return FStrokeColor; }
  void SetStrokeColor(TColor Value) { FStrokeColor = Value; }
  Integer StrokeWidth() const { return FStrokeWidth; }
  void SetStrokeWidth(Integer Value) { FStrokeWidth = Value; }
  const AnsiString& Path() const { return FPath; }
  // Stores and draws a text that differs from the last one.
  void SetPath(const AnsiString& Value);
  // Draws the stored text with brushes made from the current settings.
  void Refresh();

  TCanvas32* Canvas32() const { return FCanvas32.get(); }

 protected:
  // Reads Path and draws it through the canvas's path; raises on malformed
  // data after drawing the figures that ended before the fault.
  virtual void RenderPath(const AnsiString& Path);

  std::unique_ptr<TCanvas32> FCanvas32;
  // Both belong to the canvas's brush collection.
  TSolidBrush* FFill = nullptr;
  TStrokeBrush* FStroke = nullptr;
  TColor FFillColor = static_cast<TColor>(0x00FFFFFF);
  Integer FStrokeWidth = 1;
  TColor FStrokeColor = static_cast<TColor>(0x00FF0000);
  Byte FAlpha = 255;
  AnsiString FPath;
  TQnSVGPathColors FColors{pcFill, pcStroke};
};

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
