// Header columns, the column collection with its position array and width
// rules, and the header object.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/classes/Streaming.h"
#include "platform/vcl/Bitmap.h"
#include "platform/vcl/Menus.h"
#include "treeview/LazyTrees_qn.h"

namespace qn {

namespace {
Integer MulDivI(Integer A, Integer B, Integer C) {
  if (C == 0) return -1;
  long long r = static_cast<long long>(A) * B;
  // Rounded to nearest, as the platform's MulDiv does.
  long long q = (r >= 0) == (C >= 0) ? (std::llabs(r) + std::llabs(C) / 2) / std::llabs(C)
                                     : -((std::llabs(r) + std::llabs(C) / 2) / std::llabs(C));
  return Integer(q);
}
}  // namespace

// ---------------------------------------------------------------------------
// TLazyTreeColumn

TLazyTreeColumn::TLazyTreeColumn(TCollection* Collection) : TCollectionItem(Collection) {
  TLazyTreeColumns* owner = Owner();
  if (owner) {
    FWidth = FLastWidth = owner->FDefaultWidth;
    FPosition = TColumnPosition(std::max(owner->Count() - 1, 0));
    FMinWidth = std::min(FMinWidth, FWidth);
  }
  ParentBiDiModeChanged();
  ParentColorChanged();
}

TLazyTreeColumns* TLazyTreeColumn::Owner() const { return static_cast<TLazyTreeColumns*>(Collection()); }

TBaseLazyTree_qn* TLazyTreeColumn::Tree() const {
  TLazyTreeColumns* o = Owner();
  return o ? o->Tree() : nullptr;
}

bool TLazyTreeColumn::TreeLoading() const {
  TBaseLazyTree_qn* t = Tree();
  return t && t->ComponentState().Contains(csLoading);
}

void TLazyTreeColumn::BeforeDestruction() {
  TLazyTreeColumns* o = Owner();
  if (o && !o->FClearing) {
    TBaseLazyTree_qn* t = o->Tree();
    TVTHeader* h = o->FHeader;
    TColumnIndex index = Index();
    if (t) t->CancelEditNode();
    o->IndexChanged(index, -1);
    auto adjust = [index](TColumnIndex& Value) {
      if (Value == index) Value = NoColumn;
      else if (Value > index) --Value;
    };
    adjust(o->FHoverIndex);
    adjust(o->FDownIndex);
    adjust(o->FTrackIndex);
    adjust(o->FClickIndex);
    // A column dragged or aimed at must not leave the drop pointing past
    // the collection: losing the dragged one ends the drag.
    if (o->FDragIndex == index && h->FStates.Contains(hsDragging)) h->EndColumnDrag();
    adjust(o->FDragIndex);
    adjust(o->FDropTarget);
    adjust(h->FAutoSizeIndex);
    adjust(h->FSortColumn);
    if (h->FMainColumn == index) {
      // The lowest other index takes over (none: no main column).
      h->FMainColumn = o->Count() > 1 ? (index == 0 ? 1 : 0) : NoColumn;
    }
    // Indices above the removed one move down by one.
    if (h->FMainColumn > index) --h->FMainColumn;
  }
  inherited::BeforeDestruction();
}

void TLazyTreeColumn::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TLazyTreeColumn*>(Source);
  if (!s) {
    inherited::Assign(Source);
    return;
  }
  TVTColumnOptions old = FOptions;
  FOptions = {};
  SetBiDiMode(s->BiDiMode());
  SetImageIndex(s->ImageIndex());
  SetLayout(s->Layout());
  SetMargin(s->Margin());
  SetMaxWidth(s->MaxWidth());
  SetMinWidth(s->MinWidth());
  SetPosition(s->Position());
  SetSpacing(s->Spacing());
  SetStyle(s->Style());
  SetText(s->Text());
  SetHint(s->Hint());
  SetWidth(s->Width());
  SetAlignment(s->Alignment());
  SetCaptionAlignment(s->CaptionAlignment());
  SetColor(s->Color());
  SetTag(s->Tag());
  FOptions = old;
  SetOptions(s->Options());
  Changed(false);
}

bool TLazyTreeColumn::Equals(TLazyTreeColumn* Other) {
  return Other && FBiDiMode == Other->FBiDiMode && FImageIndex == Other->FImageIndex &&
         FLayout == Other->FLayout && FMargin == Other->FMargin && FMaxWidth == Other->FMaxWidth &&
         FMinWidth == Other->FMinWidth && FPosition == Other->FPosition && FSpacing == Other->FSpacing &&
         FStyle == Other->FStyle && FText == Other->FText && FHint == Other->FHint && FWidth == Other->FWidth &&
         FAlignment == Other->FAlignment && CaptionAlignment() == Other->CaptionAlignment() &&
         FColor == Other->FColor && FTag == Other->FTag && FOptions == Other->FOptions;
}

String TLazyTreeColumn::GetDisplayName() {
  for (Char c : FText)
    if (c > 0xFF) return Format(u"Column %d", {Index()});
  return FText;
}

void TLazyTreeColumn::GetAbsoluteBounds(Integer& Left, Integer& Right) const {
  Left = FLeft;
  Right = FLeft + FWidth;
}

Integer TLazyTreeColumn::Left() const {
  TBaseLazyTree_qn* t = Tree();
  if (!t || (FOptions.Contains(coVisible) && FOptions.Contains(coFixed))) return FLeft;
  return FLeft - t->FEffectiveOffsetX;
}

TRect TLazyTreeColumn::GetRect() {
  TBaseLazyTree_qn* t = Tree();
  TRect r = t ? t->FHeaderRect : TRect();
  r.Left += FLeft;
  r.Right = r.Left + FWidth;
  return r;
}

void TLazyTreeColumn::ParentBiDiModeChanged() {
  TBaseLazyTree_qn* t = Tree();
  if (t && FOptions.Contains(coParentBidiMode) && FBiDiMode != t->BiDiMode()) {
    FBiDiMode = t->BiDiMode();
    Changed(false);
  }
}

void TLazyTreeColumn::ParentColorChanged() {
  TBaseLazyTree_qn* t = Tree();
  if (t && FOptions.Contains(coParentColor) && FColor != t->Color()) {
    FColor = t->Color();
    Changed(false);
  }
}

void TLazyTreeColumn::RestoreLastWidth() {
  if (Owner()) Owner()->AnimatedResize(Index(), FLastWidth);
}

namespace {
void RepaintTree(TBaseLazyTree_qn* T) {
  if (T && T->HandleAllocated()) T->Invalidate();
}
}  // namespace

void TLazyTreeColumn::SetAlignment(TAlignment Value) {
  if (FAlignment == Value) return;
  FAlignment = Value;
  Changed(false);
  RepaintTree(Tree());
}

void TLazyTreeColumn::SetBiDiMode(TBiDiMode Value) {
  if (FBiDiMode == Value) return;
  FBiDiMode = Value;
  FOptions.Exclude(coParentBidiMode);
  Changed(false);
  RepaintTree(Tree());
}

void TLazyTreeColumn::SetCaptionAlignment(TAlignment Value) {
  if (FOptions.Contains(coUseCaptionAlignment) && FCaptionAlignment == Value) return;
  FCaptionAlignment = Value;
  FOptions.Include(coUseCaptionAlignment);
  if (Owner()) Owner()->FHeader->Invalidate(this);
}

void TLazyTreeColumn::SetCheckBox(bool Value) {
  if (FCheckBox == Value) return;
  FCheckBox = Value;
  TBaseLazyTree_qn* t = Tree();
  if (Value && t && t->ComponentState().Contains(csDesigning))
    Owner()->FHeader->SetOptions(Owner()->FHeader->Options() + TVTHeaderOptions{hoShowImages});
  Changed(false);
}

void TLazyTreeColumn::SetCheckState(TCheckState Value) {
  if (FCheckState == Value) return;
  FCheckState = Value;
  Changed(false);
}

void TLazyTreeColumn::SetCheckType(TCheckType Value) {
  if (FCheckType == Value) return;
  FCheckType = Value;
  Changed(false);
}

void TLazyTreeColumn::SetColor(TColor Value) {
  if (FColor == Value) return;
  FColor = Value;
  FOptions.Exclude(coParentColor);
  Changed(false);
  RepaintTree(Tree());
}

void TLazyTreeColumn::SetImageIndex(TImageIndex Value) {
  if (FImageIndex == Value) return;
  FImageIndex = Value;
  Changed(false);
}

void TLazyTreeColumn::SetLayout(TVTHeaderColumnLayout Value) {
  if (FLayout == Value) return;
  FLayout = Value;
  Changed(false);
}

void TLazyTreeColumn::SetMargin(Integer Value) {
  if (Value < 0) Value = 4;
  if (FMargin == Value) return;
  FMargin = Value;
  Changed(false);
}

void TLazyTreeColumn::SetMaxWidth(Integer Value) {
  if (Value < FMinWidth) Value = FMinWidth;
  FMaxWidth = Value;
  SetWidth(FWidth);
}

void TLazyTreeColumn::SetMinWidth(Integer Value) {
  if (Value < 0) Value = 0;
  if (Value > FMaxWidth) Value = FMaxWidth;
  FMinWidth = Value;
  SetWidth(FWidth);
}

void TLazyTreeColumn::SetSpacing(Integer Value) {
  if (FSpacing == Value) return;
  FSpacing = Value;
  Changed(false);
}

void TLazyTreeColumn::SetStyle(TLazyTreeColumnStyle Value) {
  if (FStyle == Value) return;
  FStyle = Value;
  Changed(false);
}

void TLazyTreeColumn::SetText(const String& Value) {
  if (FText == Value) return;
  FText = Value;
  FCaptionText.clear();
  Changed(false);
}

void TLazyTreeColumn::SetOptions(TVTColumnOptions Value) {
  if (FOptions == Value) return;
  TVTColumnOptions set = Value - FOptions, cleared = FOptions - Value;
  FOptions = Value;
  if (set.Contains(coParentBidiMode)) ParentBiDiModeChanged();
  if (set.Contains(coParentColor)) ParentColorChanged();
  if (set.Contains(coAutoSpring)) FSpringRest = 0;
  if ((set + cleared).Contains(coFixed) && Value.Contains(coVisible) && Owner()) Owner()->FHeader->RescaleHeader();
  Changed(false);
  TBaseLazyTree_qn* t = Tree();
  if (t && !t->ComponentState().Contains(csLoading) && t->UpdateCount() == 0 && t->HandleAllocated() &&
      ((set + cleared).Contains(coVisible) || set.Contains(coParentColor))) {
    t->Invalidate();
    if ((set + cleared).Contains(coVisible)) t->UpdateHorizontalScrollBar(false);
  }
}

void TLazyTreeColumn::SetPosition(TColumnPosition Value) {
  TLazyTreeColumns* o = Owner();
  if (TreeLoading() || !o) {
    FPosition = Value;
    return;
  }
  if (Value >= TColumnPosition(o->Count())) Value = TColumnPosition(o->Count() - 1);
  if (Value != FPosition) {
    o->InitializePositionArray();
    if (TBaseLazyTree_qn* t = Tree()) t->CancelEditNode();
    o->AdjustPosition(this, Value);
    Changed(false);
    if (o->UpdateCount() == 0 && Tree() && Tree()->HandleAllocated()) {
      o->FHeader->Invalidate(this);
      Tree()->Invalidate();
    }
  }
  // A column takes the fixed state of its neighbour, so the fixed columns
  // stay one block at the left.
  o->UpdatePositions(true);
  TColumnIndex neighbour = InvalidColumn;
  if (FOptions.Contains(coFixed) && FPosition > 0) neighbour = o->ColumnFromPosition(FPosition - 1);
  else neighbour = o->ColumnFromPosition(FPosition + 1);
  if (o->IsValidColumn(neighbour)) {
    bool fixed = o->Items(neighbour)->FOptions.Contains(coFixed);
    if (fixed != FOptions.Contains(coFixed))
      SetOptions(fixed ? FOptions + TVTColumnOptions{coFixed} : FOptions - TVTColumnOptions{coFixed});
  }
}

void TLazyTreeColumn::SetWidth(Integer Value) {
  TLazyTreeColumns* o = Owner();
  TVTHeader* h = o ? o->FHeader : nullptr;
  TBaseLazyTree_qn* t = Tree();
  Integer newWidth = Value;
  if (!h || !h->FStates.Contains(hsScaling)) {
    if (h && t && FOptions.Contains(coVisible) && FOptions.Contains(coFixed)) {
      TVTFixedAreaConstraints* c = h->FFixedAreaConstraints.get();
      Integer cw = t->ClientWidth(), vfw = o->GetVisibleFixedWidth();
      Integer sumMax = 0, sumMin = 0;
      for (Integer i = 0; i < o->Count(); ++i) {
        TLazyTreeColumn* col = o->Items(i);
        if (col->FOptions.Contains(coVisible) && col->FOptions.Contains(coFixed)) {
          sumMax += col->FMaxWidth;
          sumMin += col->FMinWidth;
        }
      }
      if (c->MaxWidthPercent() > 0) sumMin = std::min(cw * c->MaxWidthPercent() / 100, sumMin);
      if (c->MinWidthPercent() > 0) sumMax = std::max(cw * c->MinWidthPercent() / 100, sumMax);
      Integer upper = std::min(sumMax - (vfw - FWidth), FMaxWidth);
      Integer lower = std::max(sumMin - (vfw - FWidth), FMinWidth);
      newWidth = std::min(std::max(Value, lower), upper);
      if (c->MinWidthPercent() > 0) newWidth = std::max(cw * c->MinWidthPercent() / 100 - vfw + FWidth, newWidth);
      if (c->MaxWidthPercent() > 0) newWidth = std::min(cw * c->MaxWidthPercent() / 100 - vfw + FWidth, newWidth);
    } else {
      newWidth = std::min(std::max(Value, FMinWidth), FMaxWidth);
    }
  }
  if (newWidth == FWidth) return;
  FLastWidth = FWidth;
  if (!h || !h->FStates.Contains(hsResizing)) FBonusPixel = false;
  bool autoSized = h && h->FOptions.Contains(hoAutoResize) && o && Index() == h->FAutoSizeIndex;
  if (!autoSized) {
    FWidth = newWidth;
    if (o) o->UpdatePositions(false);
  }
  if (t && !t->ComponentState().Contains(csLoading) && o && o->UpdateCount() == 0) {
    if (h->FOptions.Contains(hoAutoResize)) o->AdjustAutoSize(Index());
    t->DoColumnResize(Index());
  }
}

void TLazyTreeColumn::DefineProperties(TFiler* Filer) {
  inherited::DefineProperties(Filer);
  Filer->DefineProperty(
      u"WideText", [this](TReader* R) { ReadText(R); }, [this](TWriter* W) { WriteText(W); }, !FText.empty());
  Filer->DefineProperty(
      u"WideHint", [this](TReader* R) { ReadHint(R); }, [this](TWriter* W) { WriteHint(W); }, !FHint.empty());
}

void TLazyTreeColumn::ReadText(TReader* Reader) {
  // 8-bit strings of older forms and wide strings alike.
  SetText(Reader->ReadString());
}

void TLazyTreeColumn::WriteText(TWriter* Writer) { Writer->WriteWideString(FText); }

void TLazyTreeColumn::ReadHint(TReader* Reader) { FHint = Reader->ReadString(); }

void TLazyTreeColumn::WriteHint(TWriter* Writer) { Writer->WriteWideString(FHint); }

// ---------------------------------------------------------------------------
// TLazyTreeColumns

TLazyTreeColumns::TLazyTreeColumns(TVTHeader* AOwner)
    : TCollection(AOwner->Treeview()->GetColumnClass()), FHeader(AOwner) {}

TLazyTreeColumns::~TLazyTreeColumns() {
  FClearing = true;
  TCollection::Clear();
}

TBaseLazyTree_qn* TLazyTreeColumns::Tree() const { return FHeader->Treeview(); }

TPersistent* TLazyTreeColumns::GetOwner() { return FHeader; }

TLazyTreeColumn* TLazyTreeColumns::Add() { return static_cast<TLazyTreeColumn*>(TCollection::Add()); }

void TLazyTreeColumns::Clear() {
  if (Count() == 0) return;
  FClearing = true;
  try {
    Tree()->CancelEditNode();
    // No gesture outlives the columns it works on.
    if (FHeader->FStates.Contains(hsDragging)) FHeader->EndColumnDrag();
    if (!(FHeader->FStates * THeaderStates{hsDragPending, hsColumnWidthTracking, hsColumnWidthTrackPending,
                                            hsHeightTracking, hsHeightTrackPending})
             .Empty()) {
      FHeader->FStates -= THeaderStates{hsDragPending, hsColumnWidthTracking, hsColumnWidthTrackPending,
                                        hsHeightTracking, hsHeightTrackPending};
      if (Tree()->HandleAllocated() && GetCapture() == Tree()->Handle()) ReleaseCapture();
    }
    FHoverIndex = FDownIndex = FTrackIndex = FClickIndex = FDragIndex = FDropTarget = NoColumn;
    FCheckBoxHit = false;
    if (!FHeader->FStates.Contains(hsLoading)) {
      FHeader->FAutoSizeIndex = NoColumn;
      FHeader->FMainColumn = NoColumn;
      FHeader->FSortColumn = NoColumn;
    }
    if (!Tree()->ComponentState().Contains(csLoading)) Tree()->FFocusedColumn = NoColumn;
    TCollection::Clear();
    FPositionToIndex.clear();
  } catch (...) {
    FClearing = false;
    throw;
  }
  FClearing = false;
}

void TLazyTreeColumns::Assign(TPersistent* Source) {
  inherited::Assign(Source);
  if (auto* s = dynamic_cast<TLazyTreeColumns*>(Source)) {
    FPositionToIndex = s->FPositionToIndex;
    FNeedPositionsFix = false;
    UpdatePositions(true);
  }
}

bool TLazyTreeColumns::Equals(TLazyTreeColumns* Other) {
  if (!Other || Count() != Other->Count()) return false;
  // Arrays of different lengths differ; comparing over this array's length
  // alone would read past a shorter one.
  if (FPositionToIndex != Other->FPositionToIndex) return false;
  for (Integer i = 0; i < Count(); ++i)
    if (!Items(i)->Equals(Other->Items(i))) return false;
  return true;
}

void TLazyTreeColumns::Notify(TCollectionItem* Item, TCollectionNotification Action) {
  if ((Action == TCollectionNotification::cnExtracting || Action == TCollectionNotification::cnDeleting) &&
      !Tree()->ComponentState().Contains(csLoading) && Item->Index() == Tree()->FFocusedColumn)
    Tree()->FFocusedColumn = NoColumn;
  inherited::Notify(Item, Action);
}

void TLazyTreeColumns::Update(TCollectionItem* Item) {
  InitializePositionArray();
  TBaseLazyTree_qn* t = Tree();
  bool loading = t->ComponentState().Contains(csLoading);
  if (loading) FNeedPositionsFix = true;
  else UpdatePositions(false);
  if (Count() > 0 && FHeader->FMainColumn < 0) FHeader->FMainColumn = 0;
  if (!loading && !FHeader->FStates.Contains(hsLoading)) {
    if (FHeader->FOptions.Contains(hoAutoResize)) AdjustAutoSize(InvalidColumn);
    if (Item) {
      FHeader->Invalidate(static_cast<TLazyTreeColumn*>(Item));
    } else if (t->HandleAllocated()) {
      t->UpdateHorizontalScrollBar(false);
      FHeader->Invalidate(nullptr);
      t->Invalidate();
    }
    if (!t->ComponentState().Contains(csUpdating)) t->UpdateDesigner();
  }
}

void TLazyTreeColumns::InitializePositionArray() {
  size_t count = size_t(Count());
  if (FPositionToIndex.size() == count) return;
  size_t old = FPositionToIndex.size();
  if (count > old) {
    FPositionToIndex.resize(count);
    for (size_t i = old; i < count; ++i) FPositionToIndex[i] = TColumnIndex(i);
  } else {
    FPositionToIndex.resize(count);
    bool changed = true;
    while (changed) {
      changed = false;
      for (TColumnIndex& e : FPositionToIndex)
        if (e >= TColumnIndex(count)) {
          --e;
          changed = true;
        }
    }
  }
}

void TLazyTreeColumns::AdjustPosition(TLazyTreeColumn* Column, TColumnPosition Position) {
  TColumnPosition old = Column->FPosition;
  if (Position == old || old >= FPositionToIndex.size() || Position >= FPositionToIndex.size()) return;
  if (Position > old) {
    for (TColumnPosition p = old; p < Position; ++p) FPositionToIndex[p] = FPositionToIndex[p + 1];
  } else {
    for (TColumnPosition p = old; p > Position; --p) FPositionToIndex[p] = FPositionToIndex[p - 1];
  }
  FPositionToIndex[Position] = Column->Index();
}

void TLazyTreeColumns::IndexChanged(Integer OldIndex, Integer NewIndex) {
  if (NewIndex != -1) return;
  auto it = std::find(FPositionToIndex.begin(), FPositionToIndex.end(), OldIndex);
  if (it == FPositionToIndex.end()) return;
  FPositionToIndex.erase(it);
  for (TColumnIndex& e : FPositionToIndex)
    if (e > OldIndex) --e;
}

void TLazyTreeColumns::UpdatePositions(bool Force) {
  if (FNeedPositionsFix || (!Force && UpdateCount() > 0)) return;
  Integer sum = 0;
  for (size_t p = 0; p < FPositionToIndex.size(); ++p) {
    TColumnIndex i = FPositionToIndex[p];
    if (!IsValidColumn(i)) continue;
    TLazyTreeColumn* c = Items(i);
    c->FPosition = TColumnPosition(p);
    c->FLeft = sum;
    if (c->FOptions.Contains(coVisible)) sum += c->FWidth;
  }
}

void TLazyTreeColumns::FixPositions() {
  InitializePositionArray();
  for (Integer i = 0; i < Count(); ++i) {
    TColumnPosition p = Items(i)->FPosition;
    if (p < FPositionToIndex.size()) FPositionToIndex[p] = i;
  }
  FNeedPositionsFix = false;
  UpdatePositions(true);
}

void TLazyTreeColumns::ReorderColumns(bool RTL) {
  InitializePositionArray();
  Integer n = Count();
  for (Integer p = 0; p < n; ++p) FPositionToIndex[size_t(p)] = RTL ? n - 1 - p : p;
  UpdatePositions(true);
}

Integer TLazyTreeColumns::GetVisibleFixedWidth() {
  Integer sum = 0;
  for (Integer i = 0; i < Count(); ++i) {
    TLazyTreeColumn* c = Items(i);
    if (c->FOptions.Contains(coVisible) && c->FOptions.Contains(coFixed)) sum += c->FWidth;
  }
  return sum;
}

Integer TLazyTreeColumns::GetScrollWidth() {
  Integer sum = 0, n = 0;
  for (Integer i = 0; i < Count(); ++i) {
    TLazyTreeColumn* c = Items(i);
    if (c->FOptions.Contains(coVisible) && !c->FOptions.Contains(coFixed)) {
      sum += c->FWidth;
      ++n;
    }
  }
  if (n == 0) return Integer(Tree()->Indent());
  return Integer(std::nearbyint(double(sum) / n));
}

Integer TLazyTreeColumns::TotalWidth() {
  if (Count() == 0) return 0;
  TColumnIndex last = ColumnFromPosition(TColumnPosition(FPositionToIndex.size() - 1));
  if (!IsValidColumn(last)) return 0;
  if (!Items(last)->FOptions.Contains(coVisible)) last = GetPreviousVisibleColumn(last);
  if (!IsValidColumn(last)) return 0;
  return Items(last)->FLeft + Items(last)->FWidth;
}

TColumnIndex TLazyTreeColumns::ColumnFromPosition(TColumnPosition PositionIndex) {
  if (PositionIndex >= FPositionToIndex.size()) return NoColumn;
  return FPositionToIndex[PositionIndex];
}

TColumnIndex TLazyTreeColumns::ColumnFromPosition(const TPoint& P, bool Relative) {
  TBaseLazyTree_qn* t = Tree();
  if (P.X < 0 || P.Y < 0 || P.Y > t->Height()) return InvalidColumn;
  Integer sum = (Relative && P.X > GetVisibleFixedWidth()) ? -t->FEffectiveOffsetX : 0;
  if (t->UseRightToLeftAlignment()) sum += t->ComputeRTLOffset(true);
  for (TColumnIndex i : FPositionToIndex) {
    TLazyTreeColumn* c = Items(i);
    if (!c->FOptions.Contains(coVisible)) continue;
    sum += c->FWidth;
    if (P.X < sum) return i;
  }
  return InvalidColumn;
}

TColumnIndex TLazyTreeColumns::GetColumnAndBounds(const TPoint& P, Integer& ColumnLeft, Integer& ColumnRight,
                                                  bool Relative) {
  TBaseLazyTree_qn* t = Tree();
  Integer sum = (Relative && P.X >= GetVisibleFixedWidth()) ? -t->FEffectiveOffsetX : 0;
  if (t->UseRightToLeftAlignment()) sum += t->ComputeRTLOffset(true);
  for (TColumnIndex i : FPositionToIndex) {
    TLazyTreeColumn* c = Items(i);
    if (!c->FOptions.Contains(coVisible)) continue;
    if (P.X >= sum && P.X < sum + c->FWidth) {
      ColumnLeft = sum;
      ColumnRight = sum + c->FWidth;
      return i;
    }
    sum += c->FWidth;
  }
  return InvalidColumn;
}

void TLazyTreeColumns::GetColumnBounds(TColumnIndex Column, Integer& Left, Integer& Right) {
  TBaseLazyTree_qn* t = Tree();
  if (Column <= NoColumn || !IsValidColumn(Column)) {
    Left = 0;
    Right = t->ClientWidth();
    return;
  }
  Left = Items(Column)->Left();
  Right = Left + Items(Column)->FWidth;
  if (t->UseRightToLeftAlignment()) {
    Integer o = t->ComputeRTLOffset(true);
    Left += o;
    Right += o;
  }
}

TColumnIndex TLazyTreeColumns::GetFirstColumn() {
  return FPositionToIndex.empty() ? InvalidColumn : FPositionToIndex[0];
}

TColumnIndex TLazyTreeColumns::GetNextColumn(TColumnIndex Column) {
  if (Column < 0 || !IsValidColumn(Column)) return InvalidColumn;
  TColumnPosition p = Items(Column)->FPosition + 1;
  return p < FPositionToIndex.size() ? FPositionToIndex[p] : InvalidColumn;
}

TColumnIndex TLazyTreeColumns::GetPreviousColumn(TColumnIndex Column) {
  if (Column < 0 || !IsValidColumn(Column)) return InvalidColumn;
  TColumnPosition p = Items(Column)->FPosition;
  return p > 0 && p - 1 < FPositionToIndex.size() ? FPositionToIndex[p - 1] : InvalidColumn;
}

namespace {
bool Qualifies(TLazyTreeColumn* C, bool ConsiderAllowFocus) {
  return C->Options().Contains(coVisible) && (!ConsiderAllowFocus || C->Options().Contains(coAllowFocus));
}
}  // namespace

TColumnIndex TLazyTreeColumns::GetFirstVisibleColumn(bool ConsiderAllowFocus) {
  for (TColumnIndex i : FPositionToIndex)
    if (Qualifies(Items(i), ConsiderAllowFocus)) return i;
  return InvalidColumn;
}

TColumnIndex TLazyTreeColumns::GetLastVisibleColumn(bool ConsiderAllowFocus) {
  for (auto it = FPositionToIndex.rbegin(); it != FPositionToIndex.rend(); ++it)
    if (Qualifies(Items(*it), ConsiderAllowFocus)) return *it;
  return InvalidColumn;
}

TColumnIndex TLazyTreeColumns::GetNextVisibleColumn(TColumnIndex Column, bool ConsiderAllowFocus) {
  for (Column = GetNextColumn(Column); Column != InvalidColumn; Column = GetNextColumn(Column))
    if (Qualifies(Items(Column), ConsiderAllowFocus)) return Column;
  return InvalidColumn;
}

TColumnIndex TLazyTreeColumns::GetPreviousVisibleColumn(TColumnIndex Column, bool ConsiderAllowFocus) {
  for (Column = GetPreviousColumn(Column); Column != InvalidColumn; Column = GetPreviousColumn(Column))
    if (Qualifies(Items(Column), ConsiderAllowFocus)) return Column;
  return InvalidColumn;
}

TColumnsArray TLazyTreeColumns::GetVisibleColumns() {
  TColumnsArray result;
  for (TColumnIndex i : FPositionToIndex)
    if (Items(i)->FOptions.Contains(coVisible)) result.push_back(Items(i));
  return result;
}

void TLazyTreeColumns::AdjustAutoSize(TColumnIndex, bool Force) {
  if (Count() == 0) return;
  TColumnIndex index = FHeader->FAutoSizeIndex;
  if (index < 0 || index >= Count()) index = Count() - 1;
  TBaseLazyTree_qn* t = Tree();
  Integer value = t->HandleAllocated() ? t->ClientWidth() : t->Width();
  for (Integer i = 0; i < Count(); ++i)
    if (i != index && Items(i)->FOptions.Contains(coVisible)) value -= Items(i)->FWidth;
  TLazyTreeColumn* c = Items(index);
  value = std::min(std::max(value, c->FMinWidth), c->FMaxWidth);
  if (!Force && value == c->FWidth) return;
  c->FWidth = value;
  UpdatePositions(false);
  bool updating = t->ComponentState().Contains(csUpdating);
  if (!updating) t->Updating();
  t->DoColumnResize(index);
  if (!updating) t->Updated();
}

void TLazyTreeColumns::AnimatedResize(TColumnIndex Column, Integer NewWidth) {
  if (!IsValidColumn(Column)) return;
  TLazyTreeColumn* c = Items(Column);
  NewWidth = std::min(std::max(NewWidth, c->FMinWidth), c->FMaxWidth);
  if (NewWidth == c->FWidth) return;
  TBaseLazyTree_qn* t = Tree();
  if (!FHeader->FOptions.Contains(hoDisableAnimatedResize) && !c->FOptions.Contains(coDisableAnimatedResize) &&
      t->HandleAllocated()) {
    Integer step = (NewWidth - c->FWidth) / 32;
    HDC dc = GetWindowDC(t->Handle());
    try {
      TRect header = t->FHeaderRect;
      TRect clip = header;
      clip.Top = header.Bottom;
      clip.Bottom = header.Bottom + t->ClientHeight();
      clip.Right = header.Left + t->ClientWidth();
      clip.Left += c->FLeft + c->FWidth;
      TRect scroll = header;
      scroll.Left = clip.Left;
      scroll.Right = clip.Right;
      if (step > 0) {
        TRect band(clip.Left, clip.Top, clip.Left + step, clip.Bottom);
        HBRUSH brush = CreateSolidBrush(ColorToRGB(t->Color()));
        FillRect(dc, &band, brush);
        DeleteObject(brush);
      } else {
        clip.Left += step;
        scroll.Left += step;
      }
      for (int i = 0; i < 32 && step != 0; ++i) {
        ScrollDC(dc, step, 0, &scroll, &scroll, nullptr, nullptr);
        scroll.Left += step;
        ScrollDC(dc, step, 0, &clip, &clip, nullptr, nullptr);
        clip.Left += step;
        Sleep(1);
      }
    } catch (...) {
      ReleaseDC(t->Handle(), dc);
      throw;
    }
    ReleaseDC(t->Handle(), dc);
  }
  c->SetWidth(NewWidth);
}

bool TLazyTreeColumns::CanSplitterResize(TPoint P, TColumnIndex Column) {
  bool allowed = IsValidColumn(Column) && Items(Column)->FOptions.Contains(coResizable) &&
                 Items(Column)->FOptions.Contains(coVisible);
  DoCanSplitterResize(P, Column, allowed);
  return allowed;
}

void TLazyTreeColumns::DoCanSplitterResize(TPoint P, TColumnIndex Column, bool& Allowed) {
  TBaseLazyTree_qn* t = Tree();
  if (Assigned(t->OnCanSplitterResizeColumn)) t->OnCanSplitterResizeColumn(FHeader, P, Column, Allowed);
}

// ---------------------------------------------------------------------------
// Fixed-area constraints

TPersistent* TVTFixedAreaConstraints::GetOwner() { return FHeader; }

TVTConstraintPercent TVTFixedAreaConstraints::GetConstraint(Integer Index) const {
  switch (Index) {
    case 0: return FMaxHeightPercent;
    case 1: return FMaxWidthPercent;
    case 2: return FMinHeightPercent;
    default: return FMinWidthPercent;
  }
}

void TVTFixedAreaConstraints::SetConstraints(Integer Index, TVTConstraintPercent Value) {
  switch (Index) {
    case 0:
      if (Value == FMaxHeightPercent) return;
      FMaxHeightPercent = Value;
      if (Value > 0 && Value < FMinHeightPercent) FMinHeightPercent = Value;
      break;
    case 1:
      if (Value == FMaxWidthPercent) return;
      FMaxWidthPercent = Value;
      if (Value > 0 && Value < FMinWidthPercent) FMinWidthPercent = Value;
      break;
    case 2:
      if (Value == FMinHeightPercent) return;
      FMinHeightPercent = Value;
      if (FMaxHeightPercent > 0 && Value > FMaxHeightPercent) FMaxHeightPercent = Value;
      break;
    default:
      if (Value == FMinWidthPercent) return;
      FMinWidthPercent = Value;
      if (FMaxWidthPercent > 0 && Value > FMaxWidthPercent) FMaxWidthPercent = Value;
      break;
  }
  Change();
}

void TVTFixedAreaConstraints::Change() {
  if (OnChange) OnChange(this);
}

void TVTFixedAreaConstraints::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TVTFixedAreaConstraints*>(Source)) {
    FMaxHeightPercent = s->FMaxHeightPercent;
    FMaxWidthPercent = s->FMaxWidthPercent;
    FMinHeightPercent = s->FMinHeightPercent;
    FMinWidthPercent = s->FMinWidthPercent;
    Change();
    return;
  }
  inherited::Assign(Source);
}

// ---------------------------------------------------------------------------
// TVTHeader

TVTHeader::TVTHeader(TBaseLazyTree_qn* AOwner) : FOwner(AOwner) {
  FFont.reset(new TFont);
  FFont->OnChange = [this](TObject* Sender) { FontChanged(Sender); };
  FImageChangeLink.reset(new TChangeLink);
  FImageChangeLink->OnChange = [this](TObject* Sender) { ImageListChange(Sender); };
  FDragImage.reset(new TVTDragImage(AOwner));
  FDragImage->SetTransparency(140);
  FDragImage->SetPreBlendBias(-50);
  FDragImage->SetPostBlendBias(0);
  FDragImage->SetFade(false);
  FFixedAreaConstraints.reset(new TVTFixedAreaConstraints(this));
  FFixedAreaConstraints->OnChange = [this](TObject* Sender) { FixedAreaConstraintsChanged(Sender); };
  TClass cls = GetColumnsClass();
  if (cls != TLazyTreeColumns::StaticClass() && cls->CanCreate())
    FColumns.reset(static_cast<TLazyTreeColumns*>(cls->Create(this)));
  else
    FColumns.reset(new TLazyTreeColumns(this));
}

TVTHeader::~TVTHeader() {
  if (FImages) FImageChangeLink->Sender() ? FImages->UnRegisterChanges(FImageChangeLink.get()) : void();
  FColumns.reset();
}

TPersistent* TVTHeader::GetOwner() { return FOwner; }

bool TVTHeader::TreeLoading() const { return FOwner->ComponentState().Contains(csLoading); }

void TVTHeader::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TVTHeader*>(Source);
  if (!s) {
    inherited::Assign(Source);
    return;
  }
  SetAutoSizeIndex(s->AutoSizeIndex());
  SetBackground(s->Background());
  SetColumns(s->Columns());
  SetFont(s->Font());
  SetFixedAreaConstraints(s->FixedAreaConstraints());
  SetHeight(s->Height());
  SetImages(s->Images());
  SetMainColumn(s->MainColumn());
  SetOptions(s->Options());
  SetParentFont(s->ParentFont());
  FPopupMenu = s->PopupMenu();
  SetSortColumn(s->SortColumn());
  SetSortDirection(s->SortDirection());
  SetStyle(s->Style());
  RescaleHeader();
}

void TVTHeader::ChangeScale(Integer M, Integer D) {
  if (!FParentFont) FFont->SetSize(MulDivI(FFont->Size(), M, D));
  SetHeight(MulDivI(FHeight, M, D));
}

bool TVTHeader::DetermineSplitterIndex(const TPoint& P) {
  FColumns->FTrackIndex = NoColumn;
  if (FColumns->Count() == 0) return false;
  TBaseLazyTree_qn* t = FOwner;
  Integer vfw = FColumns->GetVisibleFixedWidth();
  Integer offset = t->FEffectiveOffsetX;
  auto near = [&](TLazyTreeColumn* c, Integer split, Integer left, Integer right) {
    if (c->FOptions.Contains(coFixed)) {
      Integer sp = split + offset;
      return sp - left < P.X && P.X < sp + right;
    }
    return P.X > vfw && split - left < P.X && P.X < split + right;
  };
  if (!t->UseRightToLeftAlignment()) {
    Integer split = t->FRangeX - offset;
    for (auto it = FColumns->FPositionToIndex.rbegin(); it != FColumns->FPositionToIndex.rend(); ++it) {
      TLazyTreeColumn* c = FColumns->Items(*it);
      if (!c->FOptions.Contains(coVisible)) continue;
      if (near(c, split, 3, 5) && FColumns->CanSplitterResize(P, *it)) {
        FColumns->FTrackIndex = *it;
        FTrackPoint = TPoint(split - c->FWidth + (c->FOptions.Contains(coFixed) ? offset : 0), P.Y);
        return true;
      }
      split -= c->FWidth;
    }
  } else {
    Integer split = -offset;
    if (t->ClientWidth() > t->FRangeX) split += t->ClientWidth() - t->FRangeX;
    for (TColumnIndex i : FColumns->FPositionToIndex) {
      TLazyTreeColumn* c = FColumns->Items(i);
      if (!c->FOptions.Contains(coVisible)) continue;
      if (near(c, split, 5, 3) && FColumns->CanSplitterResize(P, i)) {
        FColumns->FTrackIndex = i;
        FTrackPoint = TPoint(split + c->FWidth + (c->FOptions.Contains(coFixed) ? offset : 0), P.Y);
        return true;
      }
      split += c->FWidth;
    }
  }
  return false;
}

void TVTHeader::DoAfterAutoFitColumn(TColumnIndex Column) {
  if (Assigned(FOwner->OnAfterAutoFitColumn)) FOwner->OnAfterAutoFitColumn(this, Column);
}

void TVTHeader::DoAfterColumnWidthTracking(TColumnIndex Column) {
  if (Assigned(FOwner->OnAfterColumnWidthTracking)) FOwner->OnAfterColumnWidthTracking(this, Column);
}

void TVTHeader::DoAfterHeightTracking() {
  if (Assigned(FOwner->OnAfterHeaderHeightTracking)) FOwner->OnAfterHeaderHeightTracking(this);
}

bool TVTHeader::DoBeforeAutoFitColumn(TColumnIndex Column, TSmartAutoFitType SmartAutoFitType) {
  bool allowed = true;
  if (Assigned(FOwner->OnBeforeAutoFitColumn)) FOwner->OnBeforeAutoFitColumn(this, Column, SmartAutoFitType, allowed);
  return allowed;
}

void TVTHeader::DoBeforeColumnWidthTracking(TColumnIndex Column, TShiftState Shift) {
  if (Assigned(FOwner->OnBeforeColumnWidthTracking)) FOwner->OnBeforeColumnWidthTracking(this, Column, Shift);
}

void TVTHeader::DoBeforeHeightTracking(TShiftState Shift) {
  if (Assigned(FOwner->OnBeforeHeaderHeightTracking)) FOwner->OnBeforeHeaderHeightTracking(this, Shift);
}

void TVTHeader::DoCanSplitterResize(TPoint P, bool& Allowed) {
  if (Assigned(FOwner->OnCanSplitterResizeHeader)) FOwner->OnCanSplitterResizeHeader(this, P, Allowed);
}

bool TVTHeader::DoColumnWidthDblClickResize(TColumnIndex Column, TPoint P, TShiftState Shift) {
  bool allowed = true;
  if (Assigned(FOwner->OnColumnWidthDblClickResize)) FOwner->OnColumnWidthDblClickResize(this, Column, Shift, P, allowed);
  return allowed;
}

bool TVTHeader::DoColumnWidthTracking(TColumnIndex Column, TShiftState Shift, TPoint& TrackPoint, TPoint P) {
  bool allowed = true;
  if (Assigned(FOwner->OnColumnWidthTracking)) FOwner->OnColumnWidthTracking(this, Column, Shift, TrackPoint, P, allowed);
  return allowed;
}

TPopupMenu* TVTHeader::DoGetPopupMenu(TColumnIndex Column, TPoint Position) {
  TPopupMenu* menu = nullptr;
  bool askParent = true;
  if (Assigned(FOwner->OnGetPopupMenu)) FOwner->OnGetPopupMenu(FOwner, nullptr, Column, Position, askParent, menu);
  return menu;
}

bool TVTHeader::DoHeightTracking(TPoint& P, TShiftState Shift) {
  bool allowed = true;
  if (Assigned(FOwner->OnHeaderHeightTracking)) FOwner->OnHeaderHeightTracking(this, P, Shift, allowed);
  return allowed;
}

bool TVTHeader::DoHeightDblClickResize(TPoint& P, TShiftState Shift) {
  bool allowed = true;
  if (Assigned(FOwner->OnHeaderHeightDblClickResize)) FOwner->OnHeaderHeightDblClickResize(this, P, Shift, allowed);
  return allowed;
}

void TVTHeader::DoSetSortColumn(TColumnIndex Value) {
  Value = std::min(std::max(Value, NoColumn), FColumns->Count() - 1);
  if (Value == FSortColumn) return;
  if (FSortColumn >= 0) Invalidate(FColumns->Items(FSortColumn));
  FSortColumn = Value;
  if (FSortColumn >= 0) Invalidate(FColumns->Items(FSortColumn));
  if ((FOwner->TreeOptions()->AutoOptions().Contains(toAutoSort) || FOptions.Contains(hoHeaderClickAutoSort)) &&
      FOwner->UpdateCount() == 0)
    FOwner->SortTree(FSortColumn, FSortDirection, true);
}

void TVTHeader::RecalculateHeader() {
  if (!FOwner->HandleAllocated()) return;
  FOwner->UpdateHeaderRect();
  SetWindowPos(FOwner->Handle(), nullptr, 0, 0, 0, 0,
               SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOOWNERZORDER | SWP_NOSENDCHANGING | SWP_NOSIZE |
                   SWP_NOZORDER);
}

void TVTHeader::AutoFitColumns(bool Animated, TSmartAutoFitType SmartAutoFitType, Integer RangeStartCol,
                               Integer RangeEndCol) {
  Integer start = std::max(RangeStartCol, 0);
  Integer end = RangeEndCol <= NoColumn ? FColumns->Count() - 1 : std::min(RangeEndCol, FColumns->Count() - 1);
  if (start > end) return;
  FOwner->StartOperation(okAutoFitColumns);
  try {
    if (Assigned(FOwner->OnBeforeAutoFitColumns)) FOwner->OnBeforeAutoFitColumns(this, SmartAutoFitType);
    for (Integer p = start; p <= end; ++p) {
      TColumnIndex i = FColumns->ColumnFromPosition(TColumnPosition(p));
      if (!FColumns->IsValidColumn(i)) continue;
      TLazyTreeColumn* c = FColumns->Items(i);
      if (!c->FOptions.Contains(coResizable) || !c->FOptions.Contains(coVisible)) continue;
      if (!DoBeforeAutoFitColumn(i, SmartAutoFitType) || FOwner->OperationCanceled()) continue;
      bool smart = SmartAutoFitType == smaAllColumns ||
                   (SmartAutoFitType == smaUseColumnOption && c->FOptions.Contains(coSmartResize));
      Integer width = FOwner->GetMaxColumnWidth(i, smart);
      if (Animated) FColumns->AnimatedResize(i, width);
      else c->SetWidth(width);
      DoAfterAutoFitColumn(i);
    }
    if (Assigned(FOwner->OnAfterAutoFitColumns)) FOwner->OnAfterAutoFitColumns(this);
  } catch (...) {
    FOwner->EndOperation(okAutoFitColumns);
    throw;
  }
  FOwner->EndOperation(okAutoFitColumns);
}

namespace {
// The header rectangle in client coordinates.
TRect ClientHeaderRect(TBaseLazyTree_qn* T, TRect R) {
  RECT wr;
  GetWindowRect(T->Handle(), &wr);
  POINT pts[2] = {{R.Left + wr.Left, R.Top + wr.Top}, {R.Right + wr.Left, R.Bottom + wr.Top}};
  ScreenToClient(T->Handle(), &pts[0]);
  ScreenToClient(T->Handle(), &pts[1]);
  return TRect(pts[0].X, pts[0].Y, pts[1].X, pts[1].Y);
}
}  // namespace

bool TVTHeader::InHeader(const TPoint& P) {
  if (!FOwner->HandleAllocated()) return false;
  return PtInRect(ClientHeaderRect(FOwner, FOwner->FHeaderRect), P);
}

bool TVTHeader::InHeaderSplitterArea(TPoint P) {
  if (P.Y < -2 || P.Y > 2 || !FOptions.Contains(hoVisible) || !FOwner->HandleAllocated()) return false;
  TRect r = FOwner->FHeaderRect;
  r.Bottom += 2;
  return PtInRect(ClientHeaderRect(FOwner, r), P);
}

void TVTHeader::Invalidate(TLazyTreeColumn* Column, bool ExpandToBorder) {
  if (!FOptions.Contains(hoVisible) || !FOwner->HandleAllocated()) return;
  TRect r;
  if (!Column) {
    r = FOwner->FHeaderRect;
  } else {
    r = Column->GetRect();
    if (!Column->FOptions.Contains(coFixed)) OffsetRect(r, -FOwner->FEffectiveOffsetX, 0);
    if (FOwner->UseRightToLeftAlignment()) OffsetRect(r, FOwner->ComputeRTLOffset(false), 0);
    if (ExpandToBorder) {
      if (FOptions.Contains(hoFullRepaintOnResize)) {
        r.Left = FOwner->FHeaderRect.Left;
        r.Right = FOwner->FHeaderRect.Right;
      } else if (FOwner->UseRightToLeftAlignment()) {
        r.Left = FOwner->FHeaderRect.Left;
      } else {
        r.Right = FOwner->FHeaderRect.Right;
      }
    }
  }
  TRect c = ClientHeaderRect(FOwner, r);
  RECT rc = c;
  RedrawWindow(FOwner->Handle(), &rc, nullptr,
               RDW_FRAME | RDW_INVALIDATE | RDW_VALIDATE | RDW_NOINTERNALPAINT | RDW_NOERASE | RDW_NOCHILDREN);
  FOwner->NoteHeaderInvalidated(r);
}

bool TVTHeader::CanSplitterResize(TPoint P) {
  bool allowed = FOptions.Contains(hoHeightResize);
  DoCanSplitterResize(P, allowed);
  return allowed;
}

bool TVTHeader::AllowFocus(TColumnIndex ColumnIndex) {
  return FColumns->IsValidColumn(ColumnIndex) && FColumns->Items(ColumnIndex)->FOptions.Contains(coAllowFocus);
}

Integer TVTHeader::ResizeColumns(Integer ChangeBy, TColumnIndex RangeStartCol, TColumnIndex RangeEndCol,
                                 TVTColumnOptions Options) {
  if (ChangeBy == 0) return 0;
  Integer n = FColumns->Count();
  RangeStartCol = std::max(RangeStartCol, 0);
  RangeEndCol = std::min(RangeEndCol, n - 1);
  if (RangeStartCol > RangeEndCol) return 0;
  bool growing = ChangeBy > 0;
  Integer sign = growing ? 1 : -1;
  TColumnIndex startCol = growing ? RangeStartCol : RangeEndCol;
  Integer remaining = std::abs(ChangeBy);
  Integer len = RangeEndCol - RangeStartCol + 1;
  std::vector<Integer> widths(static_cast<size_t>(len)), limits(static_cast<size_t>(len));
  auto matches = [&](Integer i) { return Options <= FColumns->Items(i)->FOptions; };
  for (Integer i = RangeStartCol; i <= RangeEndCol; ++i) {
    TLazyTreeColumn* c = FColumns->Items(i);
    widths[size_t(i - RangeStartCol)] = c->FWidth;
    limits[size_t(i - RangeStartCol)] = growing ? c->FMaxWidth : c->FMinWidth;
  }
  auto room = [&](Integer i) {
    Integer w = widths[size_t(i - RangeStartCol)], l = limits[size_t(i - RangeStartCol)];
    return growing ? l - w : w - l;
  };
  auto count = [&](Integer& MaxDelta) {
    Integer candidates = 0;
    MaxDelta = 0;
    for (Integer i = RangeStartCol; i <= RangeEndCol; ++i)
      if (matches(i) && room(i) > 0) {
        ++candidates;
        MaxDelta += room(i);
      }
    return candidates;
  };
  do {
    Integer maxDelta = 0;
    Integer candidates = count(maxDelta);
    while (std::abs(ChangeBy) > maxDelta && FStates.Contains(hsScaling) && !growing) {
      Integer widest = -1;
      for (Integer i = RangeStartCol; i <= RangeEndCol; ++i)
        if (matches(i) && (widest < 0 || FColumns->Items(i)->FWidth > FColumns->Items(widest)->FWidth)) widest = i;
      if (widest < 0 || limits[size_t(widest - RangeStartCol)] <= 10) break;
      limits[size_t(widest - RangeStartCol)] -= limits[size_t(widest - RangeStartCol)] / 10;
      candidates = count(maxDelta);
    }
    if (candidates == 0) break;
    remaining = std::min(remaining, maxDelta);
    Integer part = remaining / candidates, rest = remaining % candidates;
    if (part > 0) {
      for (Integer i = RangeStartCol; i <= RangeEndCol; ++i) {
        if (!matches(i) || room(i) <= 0) continue;
        Integer move = std::min(part, room(i));
        widths[size_t(i - RangeStartCol)] += move * sign;
        remaining -= move;
      }
    }
    Integer i = startCol;
    int flips = 0;
    while (rest > 0 && flips < 3) {
      if (i < RangeStartCol || i > RangeEndCol) {
        for (Integer k = RangeStartCol; k <= RangeEndCol; ++k)
          if (matches(k)) FColumns->Items(k)->FBonusPixel = !FColumns->Items(k)->FBonusPixel;
        i = startCol;
        ++flips;
        continue;
      }
      TLazyTreeColumn* c = FColumns->Items(i);
      if (matches(i) && room(i) > 0 && c->FBonusPixel != growing) {
        widths[size_t(i - RangeStartCol)] += sign;
        c->FBonusPixel = growing;
        --rest;
        --remaining;
      }
      i += sign;
    }
    if (rest > 0) break;
  } while (remaining > 0);
  FStates.Include(hsResizing);
  Integer result = 0;
  try {
    for (Integer i = RangeStartCol; i <= RangeEndCol; ++i) {
      if (!matches(i)) continue;
      TLazyTreeColumn* c = FColumns->Items(i);
      Integer before = c->FWidth;
      c->SetWidth(widths[size_t(i - RangeStartCol)]);
      result += c->FWidth - before;
    }
  } catch (...) {
    FStates.Exclude(hsResizing);
    throw;
  }
  FStates.Exclude(hsResizing);
  return result;
}

void TVTHeader::RestoreColumns() {
  for (auto it = FColumns->FPositionToIndex.rbegin(); it != FColumns->FPositionToIndex.rend(); ++it) {
    TLazyTreeColumn* c = FColumns->Items(*it);
    if (c->FOptions.Contains(coResizable) && c->FOptions.Contains(coVisible)) c->RestoreLastWidth();
  }
}

void TVTHeader::RescaleHeader() {
  TComponentState cs = FOwner->ComponentState();
  if (cs.Contains(csLoading) || cs.Contains(csReading) || cs.Contains(csWriting) || cs.Contains(csDestroying) ||
      FStates.Contains(hsLoading) || !FOwner->HandleAllocated())
    return;
  FStates.Include(hsScaling);
  try {
    SetHeight(FHeight);
    RecalculateHeader();
    TVTFixedAreaConstraints* c = FFixedAreaConstraints.get();
    if (c->MinHeightPercent() > 0 || c->MaxHeightPercent() > 0) {
      for (Integer i = 0; i < FColumns->Count(); ++i) {
        TLazyTreeColumn* col = FColumns->Items(i);
        if (col->FOptions.Contains(coVisible) && col->FOptions.Contains(coFixed) && col->FWidth < col->FMinWidth)
          col->FWidth = col->FMinWidth;
      }
      Integer fixed = FColumns->GetVisibleFixedWidth();
      Integer minFixed = FOwner->ClientWidth() * c->MinWidthPercent() / 100;
      Integer maxFixed = FOwner->ClientWidth() * c->MaxWidthPercent() / 100;
      if (c->MaxWidthPercent() > 0 && fixed > maxFixed)
        ResizeColumns(maxFixed - fixed, 0, FColumns->Count() - 1, {coVisible, coFixed});
      else if (c->MinWidthPercent() > 0 && fixed < minFixed)
        ResizeColumns(minFixed - fixed, 0, FColumns->Count() - 1, {coVisible, coFixed});
      FColumns->UpdatePositions(false);
    }
  } catch (...) {
    FStates -= THeaderStates{hsScaling, hsNeedScaling};
    throw;
  }
  FStates -= THeaderStates{hsScaling, hsNeedScaling};
}

void TVTHeader::UpdateMainColumn() {
  if (FColumns->Count() == 0) {
    FMainColumn = NoColumn;
    return;
  }
  FMainColumn = std::min(std::max(FMainColumn, 0), FColumns->Count() - 1);
}

void TVTHeader::UpdateSpringColumns() {
  Integer width = FOwner->FHeaderRect.Width();
  Integer changeBy = width - FLastWidth;
  if (FOptions.Contains(hoAutoSpring) && FLastWidth != 0 && changeBy != 0) {
    Integer sign = changeBy < 0 ? -1 : 1;
    Single rest = Single(std::abs(changeBy));
    Integer springs = 0;
    for (Integer i = 0; i < FColumns->Count(); ++i) {
      TVTColumnOptions o = FColumns->Items(i)->FOptions;
      if (o.Contains(coVisible) && o.Contains(coAutoSpring)) ++springs;
    }
    if (springs > 0) {
      Single part = rest / Single(springs);
      for (Integer i = 0; i < FColumns->Count(); ++i) {
        TLazyTreeColumn* c = FColumns->Items(i);
        if (!c->FOptions.Contains(coVisible) || !c->FOptions.Contains(coAutoSpring)) continue;
        Single difference = c->FSpringRest + part;
        if (difference >= 1.0f) c->SetWidth(c->FWidth + Integer(std::trunc(difference)) * sign);
        c->FSpringRest = difference - std::trunc(difference);
        rest -= part;
        if (rest < 0) break;
      }
    }
  }
  FLastWidth = width;
}

void TVTHeader::FixedAreaConstraintsChanged(TObject*) {
  if (FOwner->HandleAllocated()) RescaleHeader();
  else FStates.Include(hsNeedScaling);
}

void TVTHeader::FontChanged(TObject*) {
  if (FOwner->TreeOptions()->AutoOptions().Contains(toAutoChangeScale)) {
    Integer maxSpacing = 0;
    for (Integer i = 0; i < FColumns->Count(); ++i) maxSpacing = std::max(maxSpacing, FColumns->Items(i)->FSpacing);
    std::unique_ptr<TBitmap> scratch(new TBitmap);
    scratch->Canvas()->Font()->Assign(FFont.get());
    Integer newHeight = maxSpacing + maxSpacing / 2 + scratch->Canvas()->TextHeight(u"Q");
    SetHeight(std::max(newHeight, FHeight));
  }
  Invalidate(nullptr);
}

void TVTHeader::ImageListChange(TObject*) {
  if (!FOwner->ComponentState().Contains(csDestroying)) Invalidate(nullptr);
}

TShiftState TVTHeader::GetShiftState() {
  TShiftState s;
  if (GetKeyState(VK_SHIFT) < 0) s.Include(ssShift);
  if (GetKeyState(VK_CONTROL) < 0) s.Include(ssCtrl);
  if (GetKeyState(VK_MENU) < 0) s.Include(ssAlt);
  return s;
}

void TVTHeader::ReadColumns(TReader* Reader) {
  FStates.Include(hsLoading);
  try {
    FColumns->Clear();
    Reader->ReadValue();
    Reader->ReadCollection(FColumns.get());
  } catch (...) {
    FStates.Exclude(hsLoading);
    throw;
  }
  FStates.Exclude(hsLoading);
}

void TVTHeader::WriteColumns(TWriter* Writer) { Writer->WriteCollection(FColumns.get()); }

void TVTHeader::SetAutoSizeIndex(TColumnIndex Value) {
  if (FAutoSizeIndex == Value) return;
  FAutoSizeIndex = Value;
  if (FOptions.Contains(hoAutoResize)) FColumns->AdjustAutoSize(InvalidColumn);
}

void TVTHeader::SetBackground(TColor Value) {
  if (FBackground == Value) return;
  FBackground = Value;
  Invalidate(nullptr);
}

void TVTHeader::SetDefaultHeight(Integer Value) {
  Value = std::min(std::max(Value, FMinHeight), FMaxHeight);
  if (FHeight == FDefaultHeight) SetHeight(Value);
  FDefaultHeight = Value;
}

void TVTHeader::SetFont(TFont* Value) {
  FFont->Assign(Value);
  FParentFont = false;
}

void TVTHeader::SetHeight(Integer Value) {
  TBaseLazyTree_qn* t = FOwner;
  if (!t->HandleAllocated()) {
    FHeight = Value;
    FStates.Include(hsNeedScaling);
    return;
  }
  TVTFixedAreaConstraints* c = FFixedAreaConstraints.get();
  Integer h = t->ClientHeight() + FHeight;
  Integer maxAbs = h * c->MaxHeightPercent() / 100, minAbs = h * c->MinHeightPercent() / 100;
  Integer lower = c->MaxHeightPercent() > 0 ? std::min(maxAbs, FMinHeight) : FMinHeight;
  Integer upper = c->MinHeightPercent() > 0 ? std::max(minAbs, FMaxHeight) : FMaxHeight;
  Value = std::min(std::max(Value, lower), upper);
  if (c->MinHeightPercent() > 0) Value = std::max(minAbs, Value);
  if (c->MaxHeightPercent() > 0) Value = std::min(maxAbs, Value);
  if (Value == FHeight) return;
  FHeight = Value;
  if (!TreeLoading() && !FStates.Contains(hsScaling)) RecalculateHeader();
  t->Invalidate();
  UpdateWindow(t->Handle());
}

void TVTHeader::SetImages(TCustomImageList* Value) {
  if (FImages == Value) return;
  if (FImageChangeLink->Sender()) FImageChangeLink->Sender()->UnRegisterChanges(FImageChangeLink.get());
  if (FImages) FImages->RemoveFreeNotification(FOwner);
  FImages = Value;
  if (Value) {
    Value->RegisterChanges(FImageChangeLink.get());
    Value->FreeNotification(FOwner);
  }
  if (!TreeLoading()) Invalidate(nullptr);
}

void TVTHeader::SetMainColumn(TColumnIndex Value) {
  if (TreeLoading()) {
    FMainColumn = Value;
    return;
  }
  if (Value < 0) Value = 0;
  if (Value > FColumns->Count() - 1) Value = FColumns->Count() - 1;
  if (Value == FMainColumn) return;
  FMainColumn = Value;
  FOwner->MainColumnChanged();
  if (!FOwner->TreeOptions()->SelectionOptions().Contains(toExtendedFocus)) FOwner->FFocusedColumn = FMainColumn;
  if (FOwner->HandleAllocated()) FOwner->Invalidate();
}

void TVTHeader::SetMaxHeight(Integer Value) {
  if (Value < FMinHeight) Value = FMinHeight;
  FMaxHeight = Value;
  SetHeight(FHeight);
}

void TVTHeader::SetMinHeight(Integer Value) {
  if (Value < 0) Value = 0;
  if (Value > FMaxHeight) Value = FMaxHeight;
  FMinHeight = Value;
  SetHeight(FHeight);
}

void TVTHeader::SetOptions(TVTHeaderOptions Value) {
  if (FOptions == Value) return;
  TVTHeaderOptions set = Value - FOptions, cleared = FOptions - Value;
  FOptions = Value;
  TBaseLazyTree_qn* t = FOwner;
  if ((set + cleared).Contains(hoAutoResize) && FColumns->Count() > 0) {
    FColumns->AdjustAutoSize(InvalidColumn);
    if (t->HandleAllocated()) {
      t->UpdateHorizontalScrollBar(false);
      if (set.Contains(hoAutoResize)) t->Invalidate();
    }
  }
  if (!TreeLoading() && t->HandleAllocated()) {
    if ((set + cleared).Contains(hoVisible)) RecalculateHeader();
    Invalidate(nullptr);
    t->Invalidate();
  }
}

void TVTHeader::SetParentFont(bool Value) {
  if (FParentFont == Value) return;
  FParentFont = Value;
  if (Value) {
    FFont->Assign(FOwner->Font());
    FParentFont = true;
  }
}

void TVTHeader::SetPopupMenu(TPopupMenu* Value) {
  if (FPopupMenu) FPopupMenu->RemoveFreeNotification(FOwner);
  FPopupMenu = Value;
  if (Value) Value->FreeNotification(FOwner);
}

void TVTHeader::SetSortColumn(TColumnIndex Value) {
  if (TreeLoading()) FSortColumn = Value;
  else DoSetSortColumn(Value);
}

void TVTHeader::SetSortDirection(TSortDirection Value) {
  if (Value == FSortDirection) return;
  FSortDirection = Value;
  Invalidate(nullptr);
  if ((FOwner->TreeOptions()->AutoOptions().Contains(toAutoSort) || FOptions.Contains(hoHeaderClickAutoSort)) &&
      FOwner->UpdateCount() == 0)
    FOwner->SortTree(FSortColumn, FSortDirection, true);
}

void TVTHeader::SetStyle(TVTHeaderStyle Value) {
  if (FStyle == Value) return;
  FStyle = Value;
  if (!TreeLoading()) Invalidate(nullptr);
}

}  // namespace qn

QN_PUBLISHED_IMPL(qn::TLazyTreeColumn)
QN_PUBLISHED_IMPL(qn::TVTFixedAreaConstraints)
QN_PUBLISHED_IMPL(qn::TVTHeader)
