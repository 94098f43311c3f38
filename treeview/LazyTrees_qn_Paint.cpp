// The tree's painting pipeline: every visible row from the first one that
// touches the painted window to the one reaching its bottom, cell by cell,
// into a one-row bitmap (or straight onto the target), then the space below
// the last node; and the window messages that lead there.
#include <algorithm>
#include <cmath>
#include <memory>

#include "platform/comctl/CommCtrl.h"
#include "platform/gdi/Gdi.h"
#include "platform/theme/UxTheme.h"
#include "platform/vcl/Forms.h"
#include "treeview/LazyTrees_qn_Appearance.h"
#include "treeview/LazyTrees_qn_Internal.h"

namespace qn {

using lazytrees_internal::ChangeBiDiModeAlignment;
using lazytrees_internal::WalkSubtree;

namespace {

Integer RoundHalf(double V) { return Integer(std::nearbyint(V)); }

// A * B / C rounded to nearest, in 64 bits.
Integer MulDiv(Integer A, Integer B, Integer C) {
  if (C == 0) return -1;
  double q = double(Int64(A) * B) / C;
  return Integer(q < 0 ? -std::floor(-q + 0.5) : std::floor(q + 0.5));
}

// Window and brush origins and clip rectangles are given in logical units
// and applied in device units: the canvas may carry a mapping mode.
void SetCanvasOrigin(TCanvas* C, Integer X, Integer Y) {
  HDC dc = C->Handle();
  POINT p{X, Y};
  SetWindowOrgEx(dc, 0, 0, nullptr);
  LPtoDP(dc, &p, 1);
  SetWindowOrgEx(dc, p.X, p.Y, nullptr);
}

void SetCanvasBrushOrigin(TCanvas* C, Integer X, Integer Y) {
  HDC dc = C->Handle();
  POINT p{X, Y};
  LPtoDP(dc, &p, 1);
  SetBrushOrgEx(dc, p.X, p.Y, nullptr);
}

void ClipCanvas(TCanvas* C, const TRect& R) {
  HDC dc = C->Handle();
  POINT p[2] = {{R.Left, R.Top}, {R.Right, R.Bottom}};
  LPtoDP(dc, p, 2);
  HRGN rgn = CreateRectRgn(p[0].X, p[0].Y, p[1].X, p[1].Y);
  SelectClipRgn(dc, rgn);
  DeleteObject(rgn);
}

// Lays a colour over a logical rectangle of a 32-bit canvas.
void BlendRect(TCanvas* C, TRect R, TColor Color, Integer Alpha) {
  HDC dc = C->Handle();
  POINT p[2] = {{R.Left, R.Top}, {R.Right, R.Bottom}};
  LPtoDP(dc, p, 2);
  TRect d(std::max(p[0].X, 0), std::max(p[0].Y, 0), p[1].X, p[1].Y);
  if (d.Right <= d.Left || d.Bottom <= d.Top) return;
  AlphaBlend(nullptr, dc, d, TPoint(0, 0), bmConstantAlphaAndColor, Alpha, Integer(ColorToRGB(Color)));
}

TRect Normalized(const TRect& R) {
  return TRect(std::min(R.Left, R.Right), std::min(R.Top, R.Bottom), std::max(R.Left, R.Right),
               std::max(R.Top, R.Bottom));
}

// Runs the action when the scope ends, however it ends.
template <class F>
struct TFinally {
  F Action;
  ~TFinally() { Action(); }
};
template <class F>
TFinally(F) -> TFinally<F>;

}  // namespace

// ---------------------------------------------------------------------------
// Events

void TBaseLazyTree_qn::DoBeforePaint(TCanvas* Canvas) {
  if (Assigned(OnBeforePaint)) OnBeforePaint(this, Canvas);
}

void TBaseLazyTree_qn::DoAfterPaint(TCanvas* Canvas) {
  if (Assigned(OnAfterPaint)) OnAfterPaint(this, Canvas);
}

bool TBaseLazyTree_qn::DoBeforeItemPaint(TCanvas* Canvas, PLazyNode Node, const TRect& ItemRect) {
  bool customDraw = false;
  if (Assigned(OnBeforeItemPaint)) OnBeforeItemPaint(this, Canvas, Node, ItemRect, customDraw);
  return customDraw;
}

void TBaseLazyTree_qn::DoAfterItemPaint(TCanvas* Canvas, PLazyNode Node, const TRect& ItemRect) {
  if (Assigned(OnAfterItemPaint)) OnAfterItemPaint(this, Canvas, Node, ItemRect);
}

void TBaseLazyTree_qn::DoBeforeItemErase(TCanvas* Canvas, PLazyNode Node, const TRect& ItemRect, TColor& Color,
                                         TVTEraseAction& EraseAction) {
  if (Assigned(OnBeforeItemErase)) OnBeforeItemErase(this, Canvas, Node, ItemRect, Color, EraseAction);
}

void TBaseLazyTree_qn::DoAfterItemErase(TCanvas* Canvas, PLazyNode Node, const TRect& ItemRect) {
  if (Assigned(OnAfterItemErase)) OnAfterItemErase(this, Canvas, Node, ItemRect);
}

void TBaseLazyTree_qn::DoBeforeCellPaint(TCanvas* Canvas, PLazyNode Node, TColumnIndex Column,
                                         TVTCellPaintMode CellPaintMode, const TRect& CellRect, TRect& ContentRect) {
  if (!Assigned(OnBeforeCellPaint)) return;
  Canvas->Font()->Assign(Font());
  if (CellPaintMode != cpmGetContentMargin || !HandleAllocated()) {
    OnBeforeCellPaint(this, Canvas, Node, Column, CellPaintMode, CellRect, ContentRect);
    return;
  }
  // A margin query must not show what the handler paints: the pending
  // update stays pending and the window does not redraw meanwhile.
  RECT pending{};
  GetUpdateRect(Handle(), &pending, false);
  SetUpdateState(true);
  TFinally restore{[&] {
    SetUpdateState(false);
    InvalidateRect(Handle(), &pending, false);
  }};
  OnBeforeCellPaint(this, Canvas, Node, Column, CellPaintMode, CellRect, ContentRect);
}

void TBaseLazyTree_qn::DoAfterCellPaint(TCanvas* Canvas, PLazyNode Node, TColumnIndex Column, const TRect& CellRect) {
  if (Assigned(OnAfterCellPaint)) OnAfterCellPaint(this, Canvas, Node, Column, CellRect);
}

bool TBaseLazyTree_qn::DoPaintBackground(TCanvas* Canvas, const TRect& R) {
  bool handled = false;
  if (Assigned(OnPaintBackground)) OnPaintBackground(this, Canvas, R, handled);
  return handled;
}

void TBaseLazyTree_qn::DoPaintNode(TVTPaintInfo&) {}

TPoint TBaseLazyTree_qn::DoGetCellContentMargin(PLazyNode Node, TColumnIndex Column,
                                                TVTCellContentMarginType CellContentMarginType, TCanvas* Canvas) {
  if (!Assigned(OnBeforeCellPaint) || !Node || Node == FRoot) return TPoint(0, 0);
  if (!Canvas) Canvas = this->Canvas();
  TRect cell = GetDisplayRect(Node, Column, false);
  TRect content = cell;
  DoBeforeCellPaint(Canvas, Node, Column, cpmGetContentMargin, cell, content);
  switch (CellContentMarginType) {
    case ccmtAllSides:
      return TPoint(cell.Width() - content.Width(), cell.Height() - content.Height());
    case ccmtTopLeftOnly: return TPoint(content.Left - cell.Left, content.Top - cell.Top);
    case ccmtBottomRightOnly: return TPoint(cell.Right - content.Right, cell.Bottom - content.Bottom);
  }
  return TPoint(0, 0);
}

// ---------------------------------------------------------------------------
// Cell geometry

void TBaseLazyTree_qn::AdjustPaintCellRect(TVTPaintInfo& PaintInfo, TColumnIndex& NextNonEmpty) {
  NextNonEmpty = FHeader->UseColumns() ? FHeader->Columns()->GetNextVisibleColumn(PaintInfo.Column) : InvalidColumn;
}

void TBaseLazyTree_qn::AdjustImageBorder(TCustomImageList* Images, TBiDiMode BidiMode, Integer VAlign, TRect& R,
                                         TVTImageInfo& ImageInfo) {
  Integer w = Images ? Images->Width() : 0, h = Images ? Images->Height() : 0;
  if (BidiMode == bdLeftToRight) {
    ImageInfo.XPos = R.Left;
    R.Left += w + 2;
  } else {
    ImageInfo.XPos = R.Right - w;
    R.Right -= w + 2;
  }
  ImageInfo.YPos = VAlign - h / 2;
}

void TBaseLazyTree_qn::AdjustCoordinatesByIndent(TVTPaintInfo& PaintInfo, Integer Indent) {
  Integer offset = Indent * Integer(FIndent);
  Integer step = PaintInfo.BidiMode == bdLeftToRight ? offset : -offset;
  if (PaintInfo.BidiMode == bdLeftToRight) PaintInfo.ContentRect.Left += offset;
  else PaintInfo.ContentRect.Right -= offset;
  for (TVTImageInfoIndex i : {iiNormal, iiState, iiCheck}) PaintInfo.ImageInfo[std::size_t(i)].XPos += step;
}

void TBaseLazyTree_qn::CalculateVerticalAlignments(bool ShowImages, bool ShowStateImages, PLazyNode Node,
                                                   Integer& VAlign, Integer& VButtonAlign) {
  Integer height = Integer(Node->NodeHeight), align = Integer(Node->Align);
  switch (FNodeAlignment) {
    case naFromBottom: VAlign = height - align; break;
    case naFromTop: VAlign = align; break;
    case naProportional: {
      Integer h = -1;
      if (ShowImages || ShowStateImages) h = ShowImages ? GetNodeImageSize(Node).cy : FStateImages->Height();
      else if (FOptions->PaintOptions().Contains(toShowButtons)) h = FPlusBM->Height();
      VAlign = h >= 0 ? MulDiv(height - h, align, 100) + h / 2 : MulDiv(height, align, 100);
      break;
    }
  }
  Integer bh = FPlusBM->Height();
  VButtonAlign = VAlign - bh / 2 - (bh & 1);
}

// ---------------------------------------------------------------------------
// Backgrounds, selection, focus, drop marks

void TBaseLazyTree_qn::ClearNodeBackground(TVTPaintInfo& PaintInfo, bool UseBackground, bool Floating, TRect R) {
  TCanvas* c = PaintInfo.Canvas;
  TColor backColor = FColors->GetBackgroundColor();
  TVTEraseAction action = eaDefault;
  TPoint offset(0, 0);
  if (Floating) {
    offset = TPoint(-FEffectiveOffsetX, R.Top);
    OffsetRect(R, 0, -R.Top);
  }
  DoBeforeItemErase(c, PaintInfo.Node, R, backColor, action);
  const TVTSelectionOptions sel = FOptions->SelectionOptions();
  switch (action) {
    case eaColor:
      c->Brush()->SetStyle(TBrushStyle::bsSolid);
      c->Brush()->SetColor(backColor);
      c->FillRect(R);
      break;
    case eaNone: break;
    case eaDefault:
      if (UseBackground) {
        if (FOptions->PaintOptions().Contains(toStaticBackground))
          StaticBackground(FBackground->Bitmap(), c, offset, R);
        else
          TileBackground(FBackground->Bitmap(), c, offset, R);
      } else if (PaintInfo.PaintOptions.Contains(poDrawSelection) && sel.Contains(toFullRowSelect) &&
                 PaintInfo.Node->States.Contains(vsSelected) &&
                 !FOptions->PaintOptions().Contains(toUseBlendedSelection) && !FStates.Contains(tsUseExplorerTheme)) {
        // The row under the selection's rounded corners and the grid line's
        // row are the background; right of the last column no cell paints
        // them, and what the buffer held before would show there.
        c->Brush()->SetStyle(TBrushStyle::bsSolid);
        c->Brush()->SetColor(backColor);
        c->FillRect(R);
        if (FOptions->PaintOptions().Contains(toShowHorzGridLines)) --R.Bottom;
        bool focusedLook = Focused() || FOptions->PaintOptions().Contains(toPopupMode);
        c->Brush()->SetStyle(TBrushStyle::bsSolid);
        c->Brush()->SetColor(focusedLook ? FColors->FocusedSelectionColor() : FColors->UnfocusedSelectionColor());
        c->Pen()->SetColor(focusedLook ? FColors->FocusedSelectionBorderColor()
                                       : FColors->UnfocusedSelectionBorderColor());
        c->RoundRect(R, FSelectionCurveRadius, FSelectionCurveRadius);
      } else {
        c->Brush()->SetStyle(TBrushStyle::bsSolid);
        c->Brush()->SetColor(backColor);
        c->FillRect(R);
      }
      break;
  }
  DoAfterItemErase(c, PaintInfo.Node, R);
}

void TBaseLazyTree_qn::PrepareCell(TVTPaintInfo& PaintInfo, Integer WindowOrgX, Integer MaxWidth) {
  (void)WindowOrgX;
  (void)MaxWidth;
  TCanvas* c = PaintInfo.Canvas;
  HDC dc = c->Handle();
  PLazyNode node = PaintInfo.Node;
  const TVTPaintOptions& paint = FOptions->PaintOptions();
  const TVTSelectionOptions sel = FOptions->SelectionOptions();
  const TVTMiscOptions& misc = FOptions->MiscOptions();
  bool fullRow = sel.Contains(toFullRowSelect), gridExt = misc.Contains(toGridExtensions);
  bool selected = node->States.Contains(vsSelected);
  bool focusedLook = Focused() || paint.Contains(toPopupMode);
  HTHEME theme = nullptr;
  TRect rowRect;
  if (FStates.Contains(tsUseExplorerTheme) && HandleAllocated()) {
    theme = OpenThemeData(Handle(), u"Explorer::TreeView");
    rowRect = TRect(0, PaintInfo.CellRect.Top, FRangeX, PaintInfo.CellRect.Bottom);
    if (!FHeader->UseColumns() && fullRow) rowRect.Right = ClientWidth();
    if (paint.Contains(toShowVertGridLines)) --rowRect.Right;
  }
  TFinally closeTheme{[&] {
    if (theme) CloseThemeData(theme);
  }};
  if (PaintInfo.PaintOptions.Contains(poColumnColor) && FHeader->Columns()->IsValidColumn(PaintInfo.Column)) {
    TLazyTreeColumn* col = FHeader->Columns()->Items(PaintInfo.Column);
    TColor color = col->Color();
    if (FVclStyleEnabled && !col->Options().Contains(coParentColor)) color = FColors->GetBackgroundColor();
    c->Brush()->SetStyle(TBrushStyle::bsSolid);
    c->Brush()->SetColor(color);
    c->FillRect(PaintInfo.CellRect);
  }
  DoBeforeCellPaint(c, node, PaintInfo.Column, cpmPaint, PaintInfo.CellRect, PaintInfo.ContentRect);
  TRect inner = PaintInfo.ContentRect;
  if (!gridExt) {
    switch (PaintInfo.Alignment) {
      case taLeftJustify: inner.Right = std::min(inner.Right, inner.Left + PaintInfo.NodeWidth); break;
      case taRightJustify: inner.Left = std::max(inner.Left, inner.Right - PaintInfo.NodeWidth); break;
      case taCenter:
        if (PaintInfo.NodeWidth < inner.Width()) {
          inner.Left = (inner.Left + inner.Right - PaintInfo.NodeWidth) / 2;
          inner.Right = inner.Left + PaintInfo.NodeWidth;
        }
        break;
    }
  }
  bool thisColumn = PaintInfo.Column == FFocusedColumn || fullRow;
  bool hot = paint.Contains(toHotTrack) && node == FCurrentHotNode &&
             (PaintInfo.Column == FCurrentHotColumn || fullRow);
  if (thisColumn && PaintInfo.PaintOptions.Contains(poDrawSelection)) {
    bool draw = false;
    Integer themeState = 0;
    if (node == FDropTargetNode) {
      if (FLastDropMode == dmOnNode || selected) {
        c->Brush()->SetColor(FColors->DropTargetColor());
        c->Pen()->SetColor(FColors->DropTargetBorderColor());
        draw = true;
        themeState = 3;
      } else {
        c->Brush()->SetStyle(TBrushStyle::bsClear);
      }
    } else if (selected) {
      c->Brush()->SetColor(focusedLook ? FColors->FocusedSelectionColor() : FColors->UnfocusedSelectionColor());
      c->Pen()->SetColor(focusedLook ? FColors->FocusedSelectionBorderColor()
                                     : FColors->UnfocusedSelectionBorderColor());
      draw = true;
      themeState = focusedLook ? 3 : 5;
    }
    if (gridExt || fullRow) inner = PaintInfo.CellRect;
    if (draw && !IsRectEmpty(inner)) {
      if (theme) {
        if (!(hot && node != FDropTargetNode)) {
          RECT r = fullRow && !gridExt ? rowRect : inner;
          DrawThemeBackground(theme, dc, 1, themeState, &r, nullptr);
        }
      } else if (MMXAvailable && paint.Contains(toUseBlendedSelection)) {
        BlendRect(c, inner, c->Brush()->Color(), FSelectionBlendFactor);
      } else {
        c->Brush()->SetStyle(TBrushStyle::bsSolid);
        c->RoundRect(inner, FSelectionCurveRadius, FSelectionCurveRadius);
      }
    }
    c->Brush()->SetStyle(TBrushStyle::bsSolid);
  }
  if (theme && hot) {
    RECT r = fullRow && !gridExt ? rowRect : inner;
    DrawThemeBackground(theme, dc, 1, selected && !paint.Contains(toAlwaysHideSelection) ? 6 : 2, &r, nullptr);
  }
  bool explorer = FStates.Contains(tsUseExplorerTheme);
  if (thisColumn && PaintInfo.PaintOptions.Contains(poDrawFocusRect) && focusedLook && node == FFocusedNode &&
      (PaintInfo.Column == FFocusedColumn ||
       ((!sel.Contains(toExtendedFocus) || IsWinVistaOrAbove()) && fullRow && explorer))) {
    TRect fr = theme && fullRow && !sel.Contains(toExtendedFocus) ? rowRect : gridExt ? PaintInfo.CellRect : inner;
    if (theme) InflateRect(fr, -1, -1);
    if (theme && IsWinVistaOrAbove()) {
      RECT r = fr;
      if (!selected) {
        if (HTHEME t = OpenThemeData(Handle(), u"Explorer::TreeView")) {
          DrawThemeBackground(t, dc, 3, 1, &r, nullptr);
          CloseThemeData(t);
        }
      } else {
        DrawThemeBackground(theme, dc, 1, 6, &r, nullptr);
      }
    } else {
      COLORREF oldText = SetTextColor(dc, RGB(255, 255, 255)), oldBack = SetBkColor(dc, RGB(0, 0, 0));
      RECT r = fr;
      DrawFocusRect(dc, &r);
      SetTextColor(dc, oldText);
      SetBkColor(dc, oldBack);
    }
  }
}

void TBaseLazyTree_qn::PaintSelectionRectangle(TCanvas* Target, Integer WindowOrgX, const TRect& SelectionRect,
                                               TRect TargetRect) {
  TRect sel = Normalized(SelectionRect);
  if ((FDrawSelectionMode == smBlendedRectangle || FStates.Contains(tsUseThemes)) && MMXAvailable) {
    OffsetRect(TargetRect, WindowOrgX, 0);
    TRect blend;
    if (!IntersectRect(blend, sel, TargetRect)) return;
    BlendRect(Target, blend, FColors->SelectionRectangleBlendColor(), FSelectionBlendFactor);
    Target->Brush()->SetColor(FColors->SelectionRectangleBorderColor());
    Target->FrameRect(sel);
    return;
  }
  HDC dc = Target->Handle();
  COLORREF oldText = SetTextColor(dc, RGB(255, 255, 255)), oldBack = SetBkColor(dc, RGB(0, 0, 0));
  RECT r = sel;
  DrawFocusRect(dc, &r);
  SetTextColor(dc, oldText);
  SetBkColor(dc, oldBack);
}

void TBaseLazyTree_qn::DoPaintDropMark(TCanvas* Canvas, PLazyNode, const TRect& R) {
  if (FLastDropMode != dmAbove && FLastDropMode != dmBelow) return;
  TPenStyle oldPen = Canvas->Pen()->Style();
  TColor oldBrush = Canvas->Brush()->Color();
  Canvas->Pen()->SetStyle(TPenStyle::psClear);
  Canvas->Brush()->SetColor(FColors->DropMarkColor());
  Integer l = R.Left, r = R.Right, t = R.Top, b = R.Bottom;
  if (FLastDropMode == dmAbove)
    Canvas->Polygon({TPoint(l + 2, t), TPoint(r - 2, t), TPoint(r - 2, t + 6), TPoint(r - 6, t + 2),
                     TPoint(l + 6, t + 2), TPoint(l + 2, t + 6)});
  else
    Canvas->Polygon({TPoint(l + 2, b - 1), TPoint(r - 2, b - 1), TPoint(r - 2, b - 8), TPoint(r - 7, b - 3),
                     TPoint(l + 7, b - 3), TPoint(l + 2, b - 8)});
  Canvas->Pen()->SetStyle(oldPen);
  Canvas->Brush()->SetColor(oldBrush);
}

// ---------------------------------------------------------------------------
// The pipeline

void TBaseLazyTree_qn::PaintTree(TCanvas* TargetCanvas, TRect Window, TPoint Target,
                                 TVTInternalPaintOptions PaintOptions, TPixelFormat PixelFormat) {
  if (FStates.Contains(tsPainting)) return;
  DoStateChange({tsPainting});
  TFinally leave{[this] { DoStateChange({}, {tsPainting}); }};
  DoBeforePaint(TargetCanvas);
  const bool unbuffered = PaintOptions.Contains(poUnbuffered);
  const TVTPaintOptions paint = FOptions->PaintOptions();
  const TVTSelectionOptions sel = FOptions->SelectionOptions();
  const TPoint origin = Target;
  std::unique_ptr<TBitmap> rowBitmap;
  TCanvas* canvas = TargetCanvas;
  int savedDC = 0;
  if (unbuffered) {
    savedDC = SaveDC(TargetCanvas->Handle());
  } else {
    rowBitmap = std::make_unique<TBitmap>();
    bool blended = MMXAvailable && (FDrawSelectionMode == smBlendedRectangle || FStates.Contains(tsUseThemes) ||
                                    paint.Contains(toUseBlendedSelection));
    rowBitmap->SetPixelFormat(blended ? TPixelFormat::pf32bit : PixelFormat);
    rowBitmap->SetSize(std::max(Window.Width(), 0), 0);
    canvas = rowBitmap->Canvas();
    SetMapMode(canvas->Handle(), GetMapMode(TargetCanvas->Handle()));
  }
  canvas->Lock();
  {
    TFinally release{[&] {
      canvas->Unlock();
      if (unbuffered) RestoreDC(TargetCanvas->Handle(), savedDC);
    }};
    TVTPaintInfo info;
    info.Canvas = canvas;
    TRect selectionRect;
    bool rubberBand = false;
    if (IsMouseSelecting()) {
      selectionRect = Normalized(FNewSelRect);
      rubberBand = !IsRectEmpty(selectionRect) && GetKeyState(VK_LBUTTON) < 0;
    }
    TRect itemRect(0, 0, std::max(ClientWidth(), FRangeX), 0);
    bool useBackground = paint.Contains(toShowBackground) && PaintOptions.Contains(poBackground) &&
                         dynamic_cast<TBitmap*>(FBackground->Graphic()) != nullptr;
    bool showImages = FImages != nullptr, showStateImages = FStateImages != nullptr;
    bool showCheckImages = FCheckImages && FOptions->MiscOptions().Contains(toCheckSupport);
    bool useColumns = FHeader->UseColumns();
    TLazyTreeColumns* columns = FHeader->Columns();
    if (paint.Contains(toAlwaysHideSelection) || (!Focused() && paint.Contains(toHideSelection)))
      PaintOptions.Exclude(poDrawSelection);
    if (paint.Contains(toHideFocusRect)) PaintOptions.Exclude(poDrawFocusRect);

    Integer nodeTop = 0;
    PLazyNode node = GetNodeAt(0, Window.Top, false, nodeTop);
    if (!node) nodeTop = Window.Top;
    if (rubberBand) OffsetRect(selectionRect, 0, -nodeTop);
    const Integer maximumRight = Target.X + Window.Width(), maximumBottom = Target.Y + Window.Height();
    TRect targetRow(Target.X, Target.Y - (Window.Top - nodeTop), maximumRight, 0);
    TargetCanvas->Font()->Assign(Font());
    canvas->Font()->Assign(Font());
    TColumnIndex firstColumn = InvalidColumn;
    Integer buttonX = RoundHalf((Integer(FIndent) - FPlusBM->Width()) / 2.0) + 1;

    for (; node; node = GetNextVisible(node, true)) {
      TLineImage lineImage;
      Integer selectLevel = DetermineLineImageAndSelectLevel(node, lineImage);
      Integer indentSize = Integer(lineImage.size());
      if (!paint.Contains(toFixedIndent))
        buttonX = RoundHalf((Integer(FIndent) - FPlusBM->Width()) / 2.0) + (indentSize - 1) * Integer(FIndent) + 1;
      if (!node->States.Contains(vsInitialized)) InitNode(node);
      if (node->States.Contains(vsSelected) && !paint.Contains(toChildrenAbove)) ++selectLevel;
      MeasureItemHeight(canvas, node);
      info.Node = node;
      info.BrushOrigin = TPoint(Window.Left & 1, nodeTop & 1);
      Integer nodeHeight = Integer(node->NodeHeight);
      nodeTop += nodeHeight;
      targetRow.Bottom = targetRow.Top + nodeHeight;
      if (selectLevel > 0 || !PaintOptions.Contains(poSelectedOnly)) {
        if (!unbuffered) {
          if (rowBitmap->Height() != nodeHeight) {
            rowBitmap->SetHeight(0);
            rowBitmap->SetHeight(nodeHeight);
          }
          SetCanvasOrigin(canvas, Window.Left, 0);
        } else {
          SetWindowOrgEx(canvas->Handle(), 0, 0, nullptr);
          ClipCanvas(canvas, TRect(targetRow.Left, targetRow.Top, targetRow.Right,
                                   std::min(targetRow.Bottom, maximumBottom)));
          SetCanvasOrigin(canvas, Window.Left - targetRow.Left, -targetRow.Top);
        }
        // Logical x is the tree's own, so the dotted patterns keep their
        // phase on the canvas and pixels moved by scrolling match new ones.
        SetCanvasBrushOrigin(canvas, Window.Left + info.BrushOrigin.X, info.BrushOrigin.Y);
        itemRect.Bottom = nodeHeight;
        Integer vAlign = 0, buttonY = 0;
        CalculateVerticalAlignments(showImages, showStateImages, node, vAlign, buttonY);
        if (!DoBeforeItemPaint(canvas, node, itemRect)) {
          info.PaintOptions = PaintOptions;
          ClearNodeBackground(info, useBackground, true,
                              TRect(Window.Left, targetRow.Top, Window.Right, targetRow.Bottom));
          info.CellRect = itemRect;
          info.Column = NoColumn;
          info.Position = 0;
          if (useColumns) InitializeFirstColumnValues(info);
          while ((info.Column > InvalidColumn || !useColumns) && info.CellRect.Left < Window.Right) {
            TLazyTreeColumn* column = nullptr;
            if (useColumns) {
              info.Column = columns->ColumnFromPosition(info.Position);
              column = columns->IsValidColumn(info.Column) ? columns->Items(info.Column) : nullptr;
              if (firstColumn == InvalidColumn) firstColumn = info.Column;
              info.BidiMode = column ? column->BiDiMode() : BiDiMode();
              info.Alignment = column ? column->Alignment() : FAlignment;
            } else {
              info.Column = NoColumn;
              info.BidiMode = BiDiMode();
              info.Alignment = FAlignment;
            }
            info.PaintOptions = PaintOptions;
            bool editedCell = FStates.Contains(tsEditing) && node == FFocusedNode &&
                              (info.Column == FEditColumn || !useColumns);
            if (editedCell) info.PaintOptions.Exclude(poDrawSelection);
            if (!useColumns ||
                (node->States.Contains(vsSelected) && sel.Contains(toFullRowSelect) &&
                 info.PaintOptions.Contains(poDrawSelection)) ||
                (column && column->Options().Contains(coParentColor)))
              info.PaintOptions.Exclude(poColumnColor);
            bool isMainColumn = info.Column == FHeader->MainColumn();
            if (info.BidiMode != bdLeftToRight) info.Alignment = ChangeBiDiModeAlignment(info.Alignment);
            TColumnIndex nextColumn = InvalidColumn;
            bool visible = !useColumns || (column && column->Options().Contains(coVisible));
            if (visible && (!PaintOptions.Contains(poMainOnly) || isMainColumn)) {
              AdjustPaintCellRect(info, nextColumn);
              if (info.CellRect.Right > Window.Left) {
                PaintCell(info, Window, targetRow, maximumBottom, nodeTop, nodeHeight, lineImage, indentSize,
                          vAlign, buttonX, buttonY, isMainColumn, showImages, showStateImages, showCheckImages,
                          editedCell);
              }
            } else if (useColumns) {
              nextColumn = columns->GetNextVisibleColumn(info.Column);
            }
            if (!useColumns) break;
            if (unbuffered)
              ClipCanvas(canvas, TRect(Window.Left, 0, Window.Right, std::min(nodeHeight, maximumBottom - targetRow.Top)));
            else
              SelectClipRgn(canvas->Handle(), nullptr);
            if (info.CellRect.Left >= Window.Right || nextColumn == InvalidColumn) break;
            TLazyTreeColumn* next = columns->Items(nextColumn);
            info.Position = next->Position();
            info.Column = nextColumn;
            if (next->Options().Contains(coVisible)) next->GetAbsoluteBounds(info.CellRect.Left, info.CellRect.Right);
            info.CellRect.Bottom = nodeHeight;
            info.ContentRect.Bottom = nodeHeight;
          }
          DoAfterItemPaint(canvas, node, itemRect);
          if (node == FDropTargetNode && paint.Contains(toShowDropmark) && PaintOptions.Contains(poDrawDropMark))
            DoPaintDropMark(canvas, node, itemRect);
        }
        if (rubberBand)
          PaintSelectionRectangle(canvas, Window.Left, selectionRect, TRect(0, 0, Window.Width(), nodeHeight));
        if (!unbuffered)
          BitBlt(TargetCanvas->Handle(), targetRow.Left, targetRow.Top, rowBitmap->Width(), rowBitmap->Height(),
                 canvas->Handle(), Window.Left, 0, SRCCOPY);
      }
      targetRow.Top += nodeHeight;
      if (targetRow.Top >= maximumBottom) break;
      if (rubberBand) OffsetRect(selectionRect, 0, -nodeHeight);
    }

    // The space below the last node.
    if (targetRow.Top < maximumBottom) {
      Target = TPoint(targetRow.Left, targetRow.Top);
      TRect area(0, 0, maximumRight - Target.X, maximumBottom - Target.Y);
      // Area coordinates: (0, 0) is Target on the target canvas.
      auto areaOrigin = [&](Integer X) {
        if (unbuffered) SetCanvasOrigin(canvas, X - Target.X, -Target.Y);
        else SetCanvasOrigin(canvas, X, 0);
      };
      if (!unbuffered) {
        rowBitmap->SetHeight(0);
        rowBitmap->SetPixelFormat(TPixelFormat::pf32bit);
        rowBitmap->SetSize(area.Right, area.Bottom);
        SetMapMode(canvas->Handle(), GetMapMode(TargetCanvas->Handle()));
      } else {
        SetWindowOrgEx(canvas->Handle(), 0, 0, nullptr);
        ClipCanvas(canvas, TRect(Target.X, Target.Y, maximumRight, maximumBottom));
      }
      if (!DoPaintBackground(canvas, area)) {
        areaOrigin(0);
        if (useBackground) {
          if (paint.Contains(toStaticBackground)) StaticBackground(FBackground->Bitmap(), canvas, Target, area);
          else TileBackground(FBackground->Bitmap(), canvas, Target, area);
        } else if (useColumns) {
          // Column colours continue below the nodes; x here is the target's.
          Integer shift = origin.X - Window.Left - Target.X;
          bool fullGrid = PaintOptions.Contains(poGridLines) && paint.Contains(toFullVertGridLines) &&
                          paint.Contains(toShowVertGridLines);
          bool autoResize = FHeader->Options().Contains(hoAutoResize);
          TColumnIndex lastColumn = columns->GetLastVisibleColumn();
          Integer running = area.Left;
          canvas->Font()->SetColor(FColors->GridLineColor());
          for (TColumnIndex ci = columns->GetFirstVisibleColumn(); ci > NoColumn && running < area.Right;
               ci = columns->GetNextVisibleColumn(ci)) {
            TLazyTreeColumn* col = columns->Items(ci);
            Integer left = 0, right = 0;
            col->GetAbsoluteBounds(left, right);
            right += shift;
            if (right <= running) continue;
            Integer fillRight = right;
            if (fullGrid && !(autoResize && ci == lastColumn)) {
              --fillRight;
              TVTPaintInfo lineInfo;
              lineInfo.Canvas = canvas;
              DrawDottedVLine(lineInfo, 0, area.Bottom, fillRight);
            }
            canvas->Brush()->SetColor(col->Options().Contains(coParentColor) ? FColors->GetBackgroundColor()
                                                                              : col->Color());
            canvas->FillRect(TRect(running, 0, fillRight, area.Bottom));
            running = right;
          }
          if (running < area.Right) {
            canvas->Brush()->SetColor(FColors->GetBackgroundColor());
            canvas->FillRect(TRect(running, 0, area.Right, area.Bottom));
          }
        } else {
          canvas->Brush()->SetColor(FColors->GetBackgroundColor());
          canvas->FillRect(area);
        }
        areaOrigin(0);
        if (rubberBand) {
          TRect band = Normalized(FNewSelRect);
          OffsetRect(band, origin.X - Target.X - Window.Left, FOffsetY - Target.Y);
          PaintSelectionRectangle(canvas, 0, band, area);
        }
      }
      if (!unbuffered) {
        SetWindowOrgEx(canvas->Handle(), 0, 0, nullptr);
        BitBlt(TargetCanvas->Handle(), Target.X, Target.Y, area.Right, area.Bottom, canvas->Handle(), 0, 0, SRCCOPY);
      }
    }
  }
  rowBitmap.reset();
  // The message an empty tree shows.
  if (FRoot->ChildCount == 0 && !FEmptyListMessage.empty()) {
    TargetCanvas->Font()->Assign(Font());
    SetBkMode(TargetCanvas->Handle(), TRANSPARENT);
    TargetCanvas->Font()->SetColor(clGrayText);
    TRect r(FOffsetX + 2, 2, Width() + FOffsetX, Height() - 2);
    String text = FEmptyListMessage;
    TargetCanvas->Brush()->SetStyle(TBrushStyle::bsClear);
    TargetCanvas->TextRect(r, text, TTextFormat{TTextFormats::tfLeft, TTextFormats::tfNoClip, TTextFormats::tfWordBreak});
    TargetCanvas->Brush()->SetStyle(TBrushStyle::bsSolid);
  }
  DoAfterPaint(TargetCanvas);
}

// One cell of a row: images placed, grid lines, background and selection,
// decorations and the content.
void TBaseLazyTree_qn::PaintCell(TVTPaintInfo& Info, const TRect& Window, const TRect& TargetRow,
                                 Integer MaximumBottom, Integer NodeTop, Integer NodeHeight,
                                 const TLineImage& LineImage, Integer IndentSize, Integer VAlign, Integer ButtonX,
                                 Integer ButtonY, bool IsMainColumn, bool ShowImages, bool ShowStateImages,
                                 bool ShowCheckImages, bool EditedCell) {
  (void)NodeTop;
  TCanvas* canvas = Info.Canvas;
  PLazyNode node = Info.Node;
  const TVTPaintOptions& paint = FOptions->PaintOptions();
  bool useColumns = FHeader->UseColumns();
  bool ltr = Info.BidiMode == bdLeftToRight;
  Info.NodeWidth = DoGetNodeWidth(node, Info.Column, canvas);
  Info.ContentRect = Info.CellRect;
  if (ltr) Info.ContentRect.Left += FMargin;
  else Info.ContentRect.Right -= FMargin;
  for (TVTImageInfo& i : Info.ImageInfo) i = TVTImageInfo();
  TVTImageInfo& check = Info.ImageInfo[std::size_t(iiCheck)];
  if (ShowCheckImages && IsMainColumn) {
    check.Index = GetCheckImage(node);
    check.Images = FCheckImages;
    if (check.Index >= 0) {
      AdjustImageBorder(FCheckImages, Info.BidiMode, VAlign, Info.ContentRect, check);
      check.Ghosted = false;
    }
  }
  if (ShowStateImages) {
    GetImageIndex(Info, ikState, iiState, FStateImages);
    TVTImageInfo& state = Info.ImageInfo[std::size_t(iiState)];
    if (state.Index >= 0) AdjustImageBorder(FStateImages, Info.BidiMode, VAlign, Info.ContentRect, state);
  }
  if (ShowImages) {
    GetImageIndex(Info, node->States.Contains(vsSelected) ? ikSelected : ikNormal, iiNormal, FImages);
    TVTImageInfo& normal = Info.ImageInfo[std::size_t(iiNormal)];
    if (normal.Index >= 0) AdjustImageBorder(normal.Images, Info.BidiMode, VAlign, Info.ContentRect, normal);
  }
  if (IsMainColumn) AdjustCoordinatesByIndent(Info, paint.Contains(toFixedIndent) ? 1 : IndentSize);
  if (useColumns) {
    TRect clip = Info.CellRect;
    if (Info.PaintOptions.Contains(poUnbuffered)) {
      clip.Left = std::max(clip.Left, Window.Left);
      clip.Right = std::min(clip.Right, Window.Right);
      clip.Bottom -= std::max(0, TargetRow.Bottom - MaximumBottom);
    }
    ClipCanvas(canvas, clip);
  }
  TVTPaintInfo lineInfo = Info;
  if (Info.PaintOptions.Contains(poGridLines) && paint.Contains(toShowHorzGridLines)) {
    canvas->Font()->SetColor(FColors->GridLineColor());
    Integer from = Info.CellRect.Left, to = Info.CellRect.Right;
    if (IsMainColumn && FLineMode == lmBands) {
      if (ltr) from += IndentSize * Integer(FIndent);
      else to -= IndentSize * Integer(FIndent);
      --to;
    }
    DrawDottedHLine(lineInfo, from, to, Info.CellRect.Bottom - 1);
    --Info.CellRect.Bottom;
    --Info.ContentRect.Bottom;
  }
  if (useColumns && Info.PaintOptions.Contains(poGridLines) && paint.Contains(toShowVertGridLines) &&
      !(FHeader->Options().Contains(hoAutoResize) &&
        Info.Position == TColumnPosition(FHeader->Columns()->Count() - 1))) {
    if (ltr || !ColumnIsEmpty(node, Info.Column)) {
      canvas->Font()->SetColor(FColors->GridLineColor());
      DrawDottedVLine(lineInfo, Info.CellRect.Top, Info.CellRect.Bottom, Info.CellRect.Right - 1);
    }
    --Info.CellRect.Right;
    --Info.ContentRect.Right;
  }
  PrepareCell(Info, Window.Left, Window.Width());
  if (IsMainColumn) {
    if (paint.Contains(toShowTreeLines) &&
        !(paint.Contains(toHideTreeLinesIfThemed) && FStates.Contains(tsUseThemes)))
      PaintTreeLines(Info, VAlign, IndentSize, LineImage);
    if (paint.Contains(toShowButtons) && node->States.Contains(vsHasChildren) &&
        !(node->States.Contains(vsAllChildrenHidden) && FOptions->AutoOptions().Contains(toAutoHideButtons)))
      PaintNodeButton(canvas, node, Info.Column, Info.CellRect, ButtonX, ButtonY, Info.BidiMode);
    if (check.Index >= 0) PaintCheckImage(canvas, check, node->States.Contains(vsSelected));
  }
  if (Info.ImageInfo[std::size_t(iiState)].Index >= 0) PaintImage(Info, iiState, false);
  if (Info.ImageInfo[std::size_t(iiNormal)].Index >= 0) PaintImage(Info, iiNormal, true);
  if (!EditedCell) DoPaintNode(Info);
  DoAfterCellPaint(canvas, node, Info.Column, Info.CellRect);
  (void)NodeHeight;
}

// ---------------------------------------------------------------------------
// Window painting

void TBaseLazyTree_qn::PaintClientPart(TCanvas* Canvas, const TRect& Part, TPoint Target,
                                       TVTInternalPaintOptions Options) {
  const Integer rtlOffset = UseRightToLeftAlignment() && FHeader->UseColumns() ? ComputeRTLOffset(true) : 0;
  const Integer fixed = FHeader->Columns()->GetVisibleFixedWidth();
  auto paint = [&](TRect part, bool scrolls) {
    if (part.Right <= part.Left || part.Bottom <= part.Top) return;
    const TPoint at(Target.X + part.Left - Part.Left, Target.Y + part.Top - Part.Top);
    OffsetRect(part, (scrolls ? FEffectiveOffsetX : 0) - rtlOffset, -FOffsetY);
    PaintTree(Canvas, part, at, Options, TPixelFormat::pfDevice);
  };
  if (fixed == 0) {
    paint(Part, true);
    return;
  }
  TRect left = Part, right = Part;
  left.Right = std::min(Part.Right, fixed);
  right.Left = std::max(Part.Left, fixed);
  paint(left, false);
  paint(right, true);
}

void TBaseLazyTree_qn::Paint() {
  if (IsRectEmpty(FUpdateRect)) return;
  const TVTInternalPaintOptions options{poBackground, poColumnColor, poDrawFocusRect,
                                        poDrawSelection, poDrawDropMark, poGridLines};
  // With fixed columns the whole client is painted: their split does not
  // follow the update rectangle.
  if (FHeader->Columns()->GetVisibleFixedWidth() == 0)
    PaintClientPart(Canvas(), FUpdateRect, TPoint(FUpdateRect.Left, FUpdateRect.Top), options);
  else
    PaintClientPart(Canvas(), ClientRect(), TPoint(0, 0), options);
}

bool TBaseLazyTree_qn::PaintDispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_PAINT: {
      bool dragging = FStates.Contains(tsVCLDragging);
      if (dragging) ImageList_DragShowNolock(false);
      if (ControlState().Contains(csPaintCopy)) {
        FUpdateRect = ClientRect();
      } else {
        RECT r{};
        GetUpdateRect(Handle(), &r, true);
        FUpdateRect = r;
      }
      TFinally show{[&] {
        if (dragging) ImageList_DragShowNolock(true);
      }};
      inherited::Dispatch(Message);
      return true;
    }
    case WM_PRINTCLIENT: {
      if ((Message.LParam & PRF_CHECKVISIBLE) && !IsWindowVisible(Handle())) return true;
      TCanvas canvas;
      canvas.SetHandle(reinterpret_cast<HDC>(Message.WParam));
      TRect window = ClientRect();
      TPoint target(window.Left, window.Top);
      OffsetRect(window, FEffectiveOffsetX, -FOffsetY);
      TFinally unbind{[&] { canvas.SetHandle(nullptr); }};
      PaintTree(&canvas, window, target, {poBackground, poDrawFocusRect, poDrawSelection, poDrawDropMark, poGridLines},
                TPixelFormat::pfDevice);
      return true;
    }
    case WM_ERASEBKGND:
      // PaintTree paints every pixel; erasing first would only flicker.
      Message.Result = 1;
      return true;
    case WM_SETFOCUS:
      inherited::Dispatch(Message);
      RepaintForFocusChange();
      return true;
    default: return false;
  }
}

void TBaseLazyTree_qn::RepaintForFocusChange() {
  // Selected nodes change their colour with the focus; without a selection
  // only a ghosted focused node does.
  if (!HandleAllocated()) return;
  if (FSelectionCount > 0 || !FOptions->PaintOptions().Contains(toGhostedIfUnfocused)) Invalidate();
  else if (FFocusedNode) InvalidateNode(FFocusedNode);
}

// ---------------------------------------------------------------------------
// Display rectangles

TRect TBaseLazyTree_qn::GetDisplayRect(PLazyNode Node, TColumnIndex Column, bool TextOnly, bool Unclipped,
                                       bool ApplyCellContentMargin) {
  TreeAssert(Node != nullptr, SNodeMustNotBeNil);
  TreeAssert(Node != FRoot, SNodeIsHiddenRoot);
  TLazyTreeColumns* columns = FHeader->Columns();
  bool MainColumnHit = Column == NoColumn || Column == FHeader->MainColumn();
  if (!Node->States.Contains(vsInitialized)) InitNode(Node);
  TRect result;
  if (!GetEffectivelyVisible(Node)) return result;
  const TVTPaintOptions& paint = FOptions->PaintOptions();
  Integer indent = 0;
  for (PLazyNode run = Node; run != FRoot; run = run->Parent) {
    if (!run->States.Contains(vsVisible)) return result;
    if (run->Parent != FRoot) {
      if (!run->Parent->States.Contains(vsExpanded)) return result;
      if (MainColumnHit && !paint.Contains(toFixedIndent)) indent += Integer(FIndent);
    }
  }
  // The sum of the shown rows above: from the nearest cache entry when the
  // cache is in use.
  Cardinal top = 0;
  PLazyNode run = nullptr;
  if (FStates.Contains(tsUseCache)) run = FindInPositionCache(Node, top);
  if (!run) {
    top = 0;
    run = GetFirstVisibleNoInit(nullptr, true);
  }
  for (; run && run != Node; run = NextShownNoInit(run)) top += run->NodeHeight;
  result = TRect(0, Integer(top), std::max(ClientWidth(), FRangeX), Integer(top) + Integer(Node->NodeHeight));
  if (Column > NoColumn && columns->IsValidColumn(Column)) {
    columns->GetColumnBounds(Column, result.Left, result.Right);
    --result.Right;
    OffsetRect(result, 0, FOffsetY);
  } else {
    OffsetRect(result, -FEffectiveOffsetX, FOffsetY);
  }
  TAlignment alignment = FAlignment;
  TBiDiMode bidi = BiDiMode();
  if (columns->IsValidColumn(Column)) {
    alignment = columns->Items(Column)->Alignment();
    bidi = columns->Items(Column)->BiDiMode();
  }
  bool ltr = bidi == bdLeftToRight;
  if (!TextOnly) return result;
  Integer offset = FMargin + indent;
  if (MainColumnHit) {
    if (paint.Contains(toShowRoot)) offset += Integer(FIndent);
    if (FOptions->MiscOptions().Contains(toCheckSupport) && FCheckImages && Node->CheckType != ctNone)
      offset += FCheckImages->Width() + 2;
  }
  if (MainColumnHit && FStateImages && HasImage(Node, ikState, Column)) offset += FStateImages->Width() + 2;
  if (MainColumnHit && FImages && HasImage(Node, ikNormal, Column)) offset += GetNodeImageSize(Node).cx + 2;
  if (ltr) {
    result.Left += offset;
  } else {
    result.Right -= offset;
    alignment = ChangeBiDiModeAlignment(alignment);
  }
  Integer textWidth = DoGetNodeWidth(Node, Column);
  Integer heightBefore = result.Height();
  if (ApplyCellContentMargin) {
    TRect content = result;
    DoBeforeCellPaint(Canvas(), Node, Column, cpmGetContentMargin, result, content);
    result = content;
  }
  if (!Unclipped) {
    if (textWidth < result.Width()) {
      switch (alignment) {
        case taRightJustify: result.Left = result.Right - textWidth; break;
        case taCenter:
          result.Left = (result.Left + result.Right - textWidth) / 2;
          result.Right = result.Left + textWidth;
          break;
        default: result.Right = result.Left + textWidth; break;
      }
    }
    return result;
  }
  if (result.Width() < textWidth - 1) alignment = ltr ? taLeftJustify : taRightJustify;
  Integer textHeight = Canvas()->TextHeight(u"Wg");
  Integer d = std::min(textHeight, heightBefore) - result.Height();
  if (d > 0) InflateRect(result, 0, (d + 1) / 2);
  switch (alignment) {
    case taRightJustify: result.Left = result.Right - textWidth; break;
    case taCenter:
      result.Left = (result.Left + result.Right - textWidth) / 2;
      result.Right = result.Left + textWidth;
      break;
    default: result.Right = result.Left + textWidth - 1; break;
  }
  return result;
}

Cardinal TBaseLazyTree_qn::GetMaxRightExtend() {
  Integer top = 0;
  PLazyNode node = GetNodeAt(0, 0, true, top);
  if (!node) return Cardinal(FMargin);
  const TVTPaintOptions& paint = FOptions->PaintOptions();
  Integer level = Integer(GetNodeLevel(node)) + (paint.Contains(toShowRoot) ? 1 : 0);
  Integer indent = level * Integer(FIndent);
  if (FStateImages) indent += FStateImages->Width() + 2;
  if (FImages) indent += FImages->Width() + 2;
  bool checks = FOptions->MiscOptions().Contains(toCheckSupport) && FCheckImages;
  Integer result = 0;
  Integer height = Height();
  for (;;) {
    if (!node->States.Contains(vsInitialized)) InitNode(node);
    Integer extent = DoGetNodeWidth(node, NoColumn) + DoGetNodeExtraWidth(node, NoColumn) + indent;
    if (checks && node->CheckType != ctNone) extent += FCheckImages->Width() + 2;
    result = std::max(result, extent);
    top += Integer(node->NodeHeight);
    if (top > height) break;
    PLazyNode next = GetNextVisible(node, true);
    if (!next) break;
    indent += CountLevelDifference(node, next) * Integer(FIndent);
    node = next;
  }
  return Cardinal(result + FMargin);
}

// ---------------------------------------------------------------------------
// Repaint requests

TRect TBaseLazyTree_qn::InvalidateNode(PLazyNode Node) {
  TRect r;
  if (!Node || Node == FRoot || FUpdateCount > 0 || !HandleAllocated()) return r;
  r = GetDisplayRect(Node, NoColumn, false);
  RECT w = r;
  InvalidateRect(Handle(), &w, false);
  return r;
}

void TBaseLazyTree_qn::InvalidateChildren(PLazyNode Node, bool Recursive) {
  // Each node entered is made ready (initialized, repainted, its children
  // made) before its children are visited; a child is repainted once as a
  // child and once more when entered.
  auto enter = [this](PLazyNode N) {
    if (!N->States.Contains(vsInitialized)) InitNode(N);
    InvalidateNode(N);
    if (N->States.Contains(vsHasChildren) && N->ChildCount == 0) InitChildren(N);
  };
  if (Node && Node != FRoot) enter(Node);
  else Node = FRoot;
  if (!Recursive) {
    for (PLazyNode run = Node->FirstChild; run; run = run->NextSibling) InvalidateNode(run);
    return;
  }
  WalkSubtree(Node, [&](PLazyNode N) {
    InvalidateNode(N);
    enter(N);
    return true;
  });
}

void TBaseLazyTree_qn::InvalidateColumn(TColumnIndex Column) {
  if (FUpdateCount > 0 || !HandleAllocated() || !FHeader->Columns()->IsValidColumn(Column)) return;
  TRect r = ClientRect();
  FHeader->Columns()->GetColumnBounds(Column, r.Left, r.Right);
  RECT w = r;
  InvalidateRect(Handle(), &w, false);
}

void TBaseLazyTree_qn::InvalidateToBottom(PLazyNode Node) {
  if (FUpdateCount > 0 || !HandleAllocated()) return;
  if (!Node || Node == FRoot) {
    Invalidate();
    return;
  }
  if (!Node->States.Contains(vsInitialized) || !GetEffectivelyVisible(Node)) return;
  TRect r = GetDisplayRect(Node, NoColumn, false);
  if (IsRectEmpty(r) || r.Top >= ClientHeight()) return;
  if (FOptions->PaintOptions().Contains(toChildrenAbove) && Node->States.Contains(vsExpanded))
    r.Top -= Integer(Node->NodeHeight) + Integer(Node->TotalHeight);
  r.Bottom = ClientHeight();
  RECT w = r;
  InvalidateRect(Handle(), &w, false);
}

void TBaseLazyTree_qn::RepaintNode(PLazyNode Node) {
  if (!Node || Node == FRoot || !HandleAllocated()) return;
  RECT r = GetDisplayRect(Node, NoColumn, false);
  RedrawWindow(Handle(), &r, nullptr, RDW_INVALIDATE | RDW_VALIDATE | RDW_NOERASE | RDW_NOCHILDREN | RDW_UPDATENOW);
}

}  // namespace qn
