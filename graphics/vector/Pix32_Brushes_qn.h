// Brushes of the path canvas: objects that draw a finished path (a list of
// float outlines) through a polygon renderer. A canvas asks each visible
// brush of its collection in turn, so one path can be filled, then stroked.
#pragma once
#include "platform/rtl/MacroShield.h"

#include <memory>

#include "graphics/raster/Pix32_qn_Bases.h"
#include "graphics/raster/Pix32_qn_Types.h"
#include "graphics/vector/Pix32_Polygons_qn.h"
#include "platform/classes/Lists.h"

namespace qn {

class TCustomBrush;
class TBrushCollection;

// A class reference to TCustomBrush or a descendant; its virtual constructor
// takes the collection to join.
using TBrushClass = TClass;

// Owns its brushes, in drawing order. Adding, removing and reordering run
// inside update brackets and are not reported; a brush's own changes are.
class TBrushCollection : public TNotifiablePersistent {
  QN_CLASS(TBrushCollection, TNotifiablePersistent)
 public:
  explicit TBrushCollection(TPersistent* AOwner);
  ~TBrushCollection() override;

  TCustomBrush* Add(TBrushClass ItemClass);
  TCustomBrush* Insert(Integer Index, TBrushClass ItemClass);
  void Clear();
  void Delete(Integer Index);

  TPersistent* Owner() const { return FOwner; }
  Integer Count() const { return FItems.Count(); }
  Integer GetCount() const { return Count(); }
  TCustomBrush* GetItem(Integer Index) const;
  // Assigns Value to the brush at Index; brushes define no assignment, so
  // this ends in the platform's assignment error.
  void SetItem(Integer Index, TCustomBrush* Value);
  TCustomBrush* Items(Integer Index) const { return GetItem(Index); }

 protected:
  void InsertItem(TCustomBrush* Item);
  void RemoveItem(TCustomBrush* Item);

 private:
  friend class TCustomBrush;
  TList FItems;
  TPersistent* FOwner = nullptr;
};

class TCustomBrush : public TNotifiablePersistent {
  QN_CLASS_CREATE(TCustomBrush, TNotifiablePersistent, TBrushCollection)
 public:
  explicit TCustomBrush(TBrushCollection* ABrushCollection = nullptr);
  ~TCustomBrush() override;

  void Changed() override;

  TBrushCollection* BrushCollection() const { return FBrushCollection; }
  void SetBrushCollection(TBrushCollection* Value);
  bool Visible() const { return FVisible; }
  void SetVisible(bool Value);
  // -1 without a collection.
  Integer Index() const { return GetIndex(); }
  Integer GetIndex() const;
  // Clamped to the collection; moving reports nothing.
  virtual void SetIndex(Integer Value);

  virtual void UpdateRenderer(TCustomPolygonRenderer* Renderer);
  virtual void PolyPolygonFS(TCustomPolygonRenderer* Renderer, const TArrayOfArrayOfFloatPoint& Points,
                             const TFloatRect& ClipRect, TTransformation* Transformation, bool Closed);
  virtual void PolygonFS(TCustomPolygonRenderer* Renderer, const TArrayOfFloatPoint& Points,
                         const TFloatRect& ClipRect, TTransformation* Transformation, bool Closed);

 protected:
  friend class TBrushCollection;
  TBrushCollection* FBrushCollection = nullptr;
  bool FVisible = true;
};

// One colour (or a borrowed filler) under one fill rule.
class TSolidBrush : public TCustomBrush {
  QN_CLASS_CREATE(TSolidBrush, TCustomBrush, TBrushCollection)
 public:
  explicit TSolidBrush(TBrushCollection* ABrushCollection = nullptr);

  // Needs a TPolygonRenderer32; any other renderer is an invalid cast.
  void UpdateRenderer(TCustomPolygonRenderer* Renderer) override;

  TColor32 FillColor() const { return FFillColor; }
  void SetFillColor(TColor32 Value);
  TPolyFillMode FillMode() const { return FFillMode; }
  void SetFillMode(TPolyFillMode Value);
  TCustomPolygonFiller* Filler() const { return FFiller; }
  void SetFiller(TCustomPolygonFiller* Value);

 protected:
  TColor32 FFillColor = 0xFF000000u;
  TPolyFillMode FFillMode = TPolyFillMode::pfEvenOdd;
  TCustomPolygonFiller* FFiller = nullptr;
};

// Draws its own visible brushes instead of a fill of its own.
class TNestedBrush : public TSolidBrush {
  QN_CLASS_CREATE(TNestedBrush, TSolidBrush, TBrushCollection)
 public:
  explicit TNestedBrush(TBrushCollection* ABrushCollection = nullptr);
  ~TNestedBrush() override;

  void PolyPolygonFS(TCustomPolygonRenderer* Renderer, const TArrayOfArrayOfFloatPoint& Points,
                     const TFloatRect& ClipRect, TTransformation* Transformation, bool Closed) override;
  void PolygonFS(TCustomPolygonRenderer* Renderer, const TArrayOfFloatPoint& Points, const TFloatRect& ClipRect,
                 TTransformation* Transformation, bool Closed) override;

  TBrushCollection* Brushes() const { return FBrushes; }

 protected:
  TBrushCollection* FBrushes = nullptr;
};

// Fills the stroke outline of the path with its own fill rule.
class TStrokeBrush : public TSolidBrush {
  QN_CLASS_CREATE(TStrokeBrush, TSolidBrush, TBrushCollection)
 public:
  explicit TStrokeBrush(TBrushCollection* ABrushCollection = nullptr);

  using TSolidBrush::PolygonFS;
  void PolyPolygonFS(TCustomPolygonRenderer* Renderer, const TArrayOfArrayOfFloatPoint& Points,
                     const TFloatRect& ClipRect, TTransformation* Transformation, bool Closed) override;

  TFloat StrokeWidth() const { return FStrokeWidth; }
  void SetStrokeWidth(TFloat Value);
  TJoinStyle JoinStyle() const { return FJoinStyle; }
  void SetJoinStyle(TJoinStyle Value);
  TFloat MiterLimit() const { return FMiterLimit; }
  void SetMiterLimit(TFloat Value);
  TEndStyle EndStyle() const { return FEndStyle; }
  void SetEndStyle(TEndStyle Value);

 protected:
  TFloat FStrokeWidth = 1.0f;
  TJoinStyle FJoinStyle = TJoinStyle::jsMiter;
  TFloat FMiterLimit = 4.0f;
  TEndStyle FEndStyle = TEndStyle::esButt;
};

// Grows (or with a negative amount shrinks) every outline, then hands the
// closed results to its nested brushes.
class TGrowBrush : public TNestedBrush {
  QN_CLASS_CREATE(TGrowBrush, TNestedBrush, TBrushCollection)
 public:
  explicit TGrowBrush(TBrushCollection* ABrushCollection = nullptr);

  using TNestedBrush::PolygonFS;
  void PolyPolygonFS(TCustomPolygonRenderer* Renderer, const TArrayOfArrayOfFloatPoint& Points,
                     const TFloatRect& ClipRect, TTransformation* Transformation, bool Closed) override;

  TFloat GrowAmount() const { return FGrowAmount; }
  void SetGrowAmount(TFloat Value);
  TJoinStyle JoinStyle() const { return FJoinStyle; }
  void SetJoinStyle(TJoinStyle Value);
  TFloat MiterLimit() const { return FMiterLimit; }
  void SetMiterLimit(TFloat Value);

 protected:
  TFloat FGrowAmount = 0.0f;
  TJoinStyle FJoinStyle = TJoinStyle::jsMiter;
  TFloat FMiterLimit = 4.0f;
};

// Cuts each outline into dashes, then strokes the dashes as open lines.
class TDashedBrush : public TStrokeBrush {
  QN_CLASS_CREATE(TDashedBrush, TStrokeBrush, TBrushCollection)
 public:
  using TStrokeBrush::TStrokeBrush;

  using TStrokeBrush::PolygonFS;
  void PolyPolygonFS(TCustomPolygonRenderer* Renderer, const TArrayOfArrayOfFloatPoint& Points,
                     const TFloatRect& ClipRect, TTransformation* Transformation, bool Closed) override;

  TFloat DashOffset() const { return FDashOffset; }
  void SetDashOffset(TFloat Value);
  const TArrayOfFloat& DashArray() const { return FDashArray; }
  // Always copies and reports.
  void SetDashArray(const TArrayOfFloat& ADashArray);

 protected:
  TFloat FDashOffset = 0.0f;
  TArrayOfFloat FDashArray;
};

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
