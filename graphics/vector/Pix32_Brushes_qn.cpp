// The brush collection and the solid, nested, stroke, grow and dashed brushes.
#include "graphics/vector/Pix32_Brushes_qn.h"

#include <algorithm>

#include "graphics/vector/Pix32_VectorUtils_qn.h"

namespace qn {

// ---- TBrushCollection ----

TBrushCollection::TBrushCollection(TPersistent* AOwner) : FOwner(AOwner) {}

TBrushCollection::~TBrushCollection() { Clear(); }

TCustomBrush* TBrushCollection::Add(TBrushClass ItemClass) {
  // The virtual constructor joins the brush to this collection.
  auto* Brush = static_cast<TCustomBrush*>(ItemClass->Create(this));
  Brush->SetIndex(Count() - 1);
  return Brush;
}

TCustomBrush* TBrushCollection::Insert(Integer Index, TBrushClass ItemClass) {
  BeginUpdate();
  TCustomBrush* Brush;
  try {
    Brush = Add(ItemClass);
    Brush->SetIndex(Index);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
  return Brush;
}

void TBrushCollection::Clear() {
  BeginUpdate();
  // Each brush takes itself out of the list as it goes.
  while (FItems.Count() > 0) delete static_cast<TCustomBrush*>(FItems.Last());
  EndUpdate();
}

void TBrushCollection::Delete(Integer Index) { delete GetItem(Index); }

TCustomBrush* TBrushCollection::GetItem(Integer Index) const { return static_cast<TCustomBrush*>(FItems.Get(Index)); }

void TBrushCollection::SetItem(Integer Index, TCustomBrush* Value) { GetItem(Index)->Assign(Value); }

void TBrushCollection::InsertItem(TCustomBrush* Item) {
  BeginUpdate();
  FItems.Add(Item);
  Item->FBrushCollection = this;
  EndUpdate();
}

void TBrushCollection::RemoveItem(TCustomBrush* Item) {
  BeginUpdate();
  if (FItems.Remove(Item) >= 0) Item->FBrushCollection = nullptr;
  EndUpdate();
}

// ---- TCustomBrush ----

TCustomBrush::TCustomBrush(TBrushCollection* ABrushCollection) { SetBrushCollection(ABrushCollection); }

TCustomBrush::~TCustomBrush() { SetBrushCollection(nullptr); }

void TCustomBrush::Changed() {
  inherited::Changed();
  if (FBrushCollection) FBrushCollection->Changed();
}

void TCustomBrush::SetBrushCollection(TBrushCollection* Value) {
  if (FBrushCollection == Value) return;
  if (FBrushCollection) FBrushCollection->RemoveItem(this);
  if (Value) Value->InsertItem(this);
}

void TCustomBrush::SetVisible(bool Value) {
  if (FVisible == Value) return;
  FVisible = Value;
  Changed();
}

Integer TCustomBrush::GetIndex() const { return FBrushCollection ? FBrushCollection->FItems.IndexOf(const_cast<TCustomBrush*>(this)) : -1; }

void TCustomBrush::SetIndex(Integer Value) {
  if (!FBrushCollection) return;
  const Integer Current = GetIndex();
  if (Value == Current) return;
  Value = std::clamp(Value, 0, std::max(0, FBrushCollection->Count() - 1));
  if (Value == Current) return;
  const bool Bracket = FVisible;
  if (Bracket) FBrushCollection->BeginUpdate();
  FBrushCollection->FItems.Move(Current, Value);
  if (Bracket) FBrushCollection->EndUpdate();
}

void TCustomBrush::UpdateRenderer(TCustomPolygonRenderer*) {}

void TCustomBrush::PolyPolygonFS(TCustomPolygonRenderer* Renderer, const TArrayOfArrayOfFloatPoint& Points,
                                 const TFloatRect& ClipRect, TTransformation* Transformation, bool) {
  UpdateRenderer(Renderer);
  Renderer->PolyPolygonFS(Points, ClipRect, Transformation);
}

void TCustomBrush::PolygonFS(TCustomPolygonRenderer* Renderer, const TArrayOfFloatPoint& Points,
                             const TFloatRect& ClipRect, TTransformation* Transformation, bool Closed) {
  PolyPolygonFS(Renderer, TArrayOfArrayOfFloatPoint{Points}, ClipRect, Transformation, Closed);
}

// ---- TSolidBrush ----

TSolidBrush::TSolidBrush(TBrushCollection* ABrushCollection) : TCustomBrush(ABrushCollection) {}

void TSolidBrush::UpdateRenderer(TCustomPolygonRenderer* Renderer) {
  auto* R = As<TPolygonRenderer32>(Renderer);
  if (!R) return;
  R->SetColor(FFillColor);
  R->SetFillMode(FFillMode);
  R->SetFiller(FFiller);
}

void TSolidBrush::SetFillColor(TColor32 Value) {
  if (FFillColor == Value) return;
  FFillColor = Value;
  Changed();
}

void TSolidBrush::SetFillMode(TPolyFillMode Value) {
  if (FFillMode == Value) return;
  FFillMode = Value;
  Changed();
}

void TSolidBrush::SetFiller(TCustomPolygonFiller* Value) {
  if (FFiller == Value) return;
  FFiller = Value;
  Changed();
}

// ---- TNestedBrush ----

TNestedBrush::TNestedBrush(TBrushCollection* ABrushCollection)
    : TSolidBrush(ABrushCollection), FBrushes(new TBrushCollection(this)) {}

TNestedBrush::~TNestedBrush() { delete FBrushes; }

void TNestedBrush::PolyPolygonFS(TCustomPolygonRenderer* Renderer, const TArrayOfArrayOfFloatPoint& Points,
                                 const TFloatRect& ClipRect, TTransformation* Transformation, bool Closed) {
  for (Integer I = 0; I < FBrushes->Count(); ++I) {
    TCustomBrush* B = FBrushes->GetItem(I);
    if (B->Visible()) B->PolyPolygonFS(Renderer, Points, ClipRect, Transformation, Closed);
  }
}

void TNestedBrush::PolygonFS(TCustomPolygonRenderer* Renderer, const TArrayOfFloatPoint& Points,
                             const TFloatRect& ClipRect, TTransformation* Transformation, bool Closed) {
  for (Integer I = 0; I < FBrushes->Count(); ++I) {
    TCustomBrush* B = FBrushes->GetItem(I);
    if (B->Visible()) B->PolygonFS(Renderer, Points, ClipRect, Transformation, Closed);
  }
}

// ---- TStrokeBrush ----

TStrokeBrush::TStrokeBrush(TBrushCollection* ABrushCollection) : TSolidBrush(ABrushCollection) {}

void TStrokeBrush::PolyPolygonFS(TCustomPolygonRenderer* Renderer, const TArrayOfArrayOfFloatPoint& Points,
                                 const TFloatRect& ClipRect, TTransformation* Transformation, bool Closed) {
  const TArrayOfArrayOfFloatPoint Outline =
      BuildPolyPolyLine(Points, Closed, FStrokeWidth, FJoinStyle, FEndStyle, FMiterLimit);
  TSolidBrush::PolyPolygonFS(Renderer, Outline, ClipRect, Transformation, Closed);
}

void TStrokeBrush::SetStrokeWidth(TFloat Value) {
  if (FStrokeWidth == Value) return;
  FStrokeWidth = Value;
  Changed();
}

void TStrokeBrush::SetJoinStyle(TJoinStyle Value) {
  if (FJoinStyle == Value) return;
  FJoinStyle = Value;
  Changed();
}

void TStrokeBrush::SetMiterLimit(TFloat Value) {
  if (FMiterLimit == Value) return;
  FMiterLimit = Value;
  Changed();
}

void TStrokeBrush::SetEndStyle(TEndStyle Value) {
  if (FEndStyle == Value) return;
  FEndStyle = Value;
  Changed();
}

// ---- TGrowBrush ----

TGrowBrush::TGrowBrush(TBrushCollection* ABrushCollection) : TNestedBrush(ABrushCollection) {}

void TGrowBrush::PolyPolygonFS(TCustomPolygonRenderer* Renderer, const TArrayOfArrayOfFloatPoint& Points,
                               const TFloatRect& ClipRect, TTransformation* Transformation, bool Closed) {
  TArrayOfArrayOfFloatPoint Grown(Points.size());
  for (size_t I = 0; I < Points.size(); ++I) Grown[I] = Grow(Points[I], FGrowAmount, FJoinStyle, Closed, FMiterLimit);
  TNestedBrush::PolyPolygonFS(Renderer, Grown, ClipRect, Transformation, true);
}

void TGrowBrush::SetGrowAmount(TFloat Value) {
  if (FGrowAmount == Value) return;
  FGrowAmount = Value;
  Changed();
}

void TGrowBrush::SetJoinStyle(TJoinStyle Value) {
  if (FJoinStyle == Value) return;
  FJoinStyle = Value;
  Changed();
}

void TGrowBrush::SetMiterLimit(TFloat Value) {
  if (FMiterLimit == Value) return;
  FMiterLimit = Value;
  Changed();
}

// ---- TDashedBrush ----

void TDashedBrush::PolyPolygonFS(TCustomPolygonRenderer* Renderer, const TArrayOfArrayOfFloatPoint& Points,
                                 const TFloatRect& ClipRect, TTransformation* Transformation, bool Closed) {
  for (const TArrayOfFloatPoint& Outline : Points) {
    const TArrayOfArrayOfFloatPoint Dashes = BuildDashedLine(Outline, FDashArray, FDashOffset, Closed);
    TStrokeBrush::PolyPolygonFS(Renderer, Dashes, ClipRect, Transformation, false);
  }
}

void TDashedBrush::SetDashOffset(TFloat Value) {
  if (FDashOffset == Value) return;
  FDashOffset = Value;
  Changed();
}

void TDashedBrush::SetDashArray(const TArrayOfFloat& ADashArray) {
  FDashArray = ADashArray;
  Changed();
}

}  // namespace qn
