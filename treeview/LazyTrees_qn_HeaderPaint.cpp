// Painting the header: the band is drawn into a bitmap (the fixed columns
// apart from the scrolled ones) and copied to the window in one go. Each
// cell gets a button face or the theme's header item, its image or check
// box, the caption, the sort glyph and, while a column is dragged, the drop
// mark; applications can take over whole cells or single elements.
#include <algorithm>

#include "platform/gdi/Gdi.h"
#include "treeview/LazyTrees_qn_Appearance.h"

namespace qn {

namespace {

struct TEdgeStyle {
  UINT Edge;
  UINT Flags;
};
// Normal, pressed and raised (hot plates) faces per header style; the
// normal and raised ones get BF_RIGHT where the cell shows its right border.
constexpr TEdgeStyle ButtonEdges[3][3] = {
    {{5, 0x380B}, {5, 0x780F}, {0, 0}},       // hsThickButtons
    {{4, 0x280B}, {2, 0x280F}, {0, 0}},       // hsFlatButtons
    {{4, 0x380F}, {2, 0x280F}, {4, 0x280B}},  // hsPlates
};

// Clips the canvas to R, given in its logical coordinates (the canvas may
// carry a window origin).
void ClipHeaderCanvas(TCanvas* Canvas, const TRect& R) {
  HDC dc = Canvas->Handle();
  POINT pts[2] = {{R.Left, R.Top}, {R.Right, R.Bottom}};
  LPtoDP(dc, pts, 2);
  HRGN rgn = CreateRectRgn(pts[0].X, pts[0].Y, pts[1].X, pts[1].Y);
  SelectClipRgn(dc, rgn);
  DeleteObject(rgn);
}

bool UsesThemes(TBaseLazyTree_qn* Tree) { return Tree->TreeStates().Contains(tsUseThemes); }

}  // namespace

// ---------------------------------------------------------------------------
// Tree relays

void TBaseLazyTree_qn::DoHeaderDraw(TCanvas* Canvas, TLazyTreeColumn* Column, const TRect& R, bool Hover,
                                    bool Pressed, TVTDropMarkMode DropMark) {
  if (Assigned(OnHeaderDraw)) OnHeaderDraw(FHeader.get(), Canvas, Column, R, Hover, Pressed, DropMark);
}

void TBaseLazyTree_qn::DoHeaderDrawQueryElements(THeaderPaintInfo& PaintInfo, THeaderPaintElements& Elements) {
  if (Assigned(OnHeaderDrawQueryElements)) OnHeaderDrawQueryElements(FHeader.get(), PaintInfo, Elements);
}

void TBaseLazyTree_qn::DoAdvancedHeaderDraw(THeaderPaintInfo& PaintInfo, const THeaderPaintElements& Elements) {
  if (Assigned(OnAdvancedHeaderDraw)) OnAdvancedHeaderDraw(FHeader.get(), PaintInfo, Elements);
}

// ---------------------------------------------------------------------------
// The band

void TLazyTreeColumns::PaintHeader(HDC DC, const TRect& R, Integer HOffset) {
  TBaseLazyTree_qn* tree = Tree();
  const TRect& headerRect = tree->FHeaderRect;
  if (!FHeaderBitmap) {
    FHeaderBitmap = std::make_unique<TBitmap>();
    FHeaderBitmap->SetPixelFormat(TPixelFormat::pf32bit);
  }
  FHeaderBitmap->SetSize(std::max(headerRect.Right, R.Width()), headerRect.Bottom);
  TCanvas* canvas = FHeaderBitmap->Canvas();
  Integer fixedWidth = GetVisibleFixedWidth();
  Integer rtlOffset = tree->UseRightToLeftAlignment() ? tree->ComputeRTLOffset(false) : 0;
  // The fixed columns do not scroll; under right-to-left alignment they are
  // painted last so that they stay on top of the scrolled ones.
  auto paintFixed = [&] {
    if (fixedWidth > 0)
      PaintHeader(canvas, TRect(0, 0, std::min(R.Right, fixedWidth), R.Height()), TPoint(R.Left, R.Top), rtlOffset);
  };
  if (rtlOffset == 0) paintFixed();
  PaintHeader(canvas, TRect(fixedWidth - HOffset, 0, R.Right + fixedWidth - HOffset, R.Height()),
              TPoint(R.Left + fixedWidth, R.Top), rtlOffset);
  if (rtlOffset != 0) paintFixed();
  BitBlt(DC, R.Left, R.Top, R.Width(), R.Height(), canvas->Handle(), R.Left, R.Top, SRCCOPY);
}

void TLazyTreeColumns::PaintHeader(TCanvas* TargetCanvas, TRect R, const TPoint& Target, Integer RTLOffset) {
  if (R.Left >= R.Right || R.Top >= R.Bottom) return;
  TBaseLazyTree_qn* tree = Tree();
  TVTHeader* header = FHeader;
  bool designing = tree->ComponentState().Contains(csDesigning);
  bool ownerDrawOption = header->Options().Contains(hoOwnerDraw) && !designing;
  bool advancedOwnerDraw =
      ownerDrawOption && Assigned(tree->OnAdvancedHeaderDraw) && Assigned(tree->OnHeaderDrawQueryElements);
  bool ownerDraw = ownerDrawOption && Assigned(tree->OnHeaderDraw) && !advancedOwnerDraw;

  THeaderPaintInfo info;
  info.TargetCanvas = TargetCanvas;
  TargetCanvas->SetFont(header->Font());

  // The area right of the last column.
  THeaderPaintElements elements;
  if (advancedOwnerDraw) {
    info.PaintRectangle = R;
    info.Column = nullptr;
    tree->DoHeaderDrawQueryElements(info, elements);
  }
  TRect background(Target.X, Target.Y, Target.X + R.Width(), Target.Y + header->Height());
  if (elements.Contains(hpeBackground)) {
    info.PaintRectangle = background;
    tree->DoAdvancedHeaderDraw(info, {hpeBackground});
  } else if (!UsesThemes(tree) ||
             !TreeThemes::DrawElement(TargetCanvas->Handle(), TreeThemes::GetElementDetails(thHeaderItemRightNormal),
                                      background)) {
    TargetCanvas->Brush()->SetStyle(TBrushStyle::bsSolid);
    TargetCanvas->Brush()->SetColor(header->Background());
    TargetCanvas->FillRect(background);
  }

  R = TRect(std::max(R.Left, 0), std::max(R.Top, 0), std::min(R.Right, TotalWidth()),
            std::min(R.Bottom, header->Height()));
  Integer maxX = Target.X + R.Width();
  TColumnIndex run = ColumnFromPosition(TPoint(R.Left + RTLOffset, 0), false);
  if (!IsValidColumn(run)) return;

  TRect cell;
  cell.Left = Items(run)->FLeft + Target.X - R.Left + RTLOffset;
  cell.Top = Target.Y;
  cell.Bottom = Target.Y + R.Height();
  // Under an auto-sized last column a framed tree shows its own border
  // where flat buttons would draw the column's right edge.
  info.ShowRightBorder = header->Style() == hsThickButtons || !header->Options().Contains(hoAutoResize) ||
                         tree->BevelKind() == bkNone;
  while (IsValidColumn(run) && cell.Left < maxX) {
    TLazyTreeColumn* column = Items(run);
    cell.Right = cell.Left + column->FWidth;
    ClipHeaderCanvas(TargetCanvas, TRect(std::max(cell.Left, Target.X), Target.Y + R.Top, std::min(cell.Right, maxX),
                                   cell.Bottom));
    info.PaintRectangle = cell;
    PaintHeaderCell(info, column, advancedOwnerDraw, ownerDraw);
    SelectClipRgn(TargetCanvas->Handle(), nullptr);
    cell.Left = cell.Right;
    run = GetNextVisibleColumn(run);
  }
}

// ---------------------------------------------------------------------------
// One cell

void TLazyTreeColumns::PaintHeaderCell(THeaderPaintInfo& PaintInfo, TLazyTreeColumn* Column, bool AdvancedOwnerDraw,
                                       bool OwnerDraw) {
  TBaseLazyTree_qn* tree = Tree();
  TVTHeader* header = FHeader;
  TCanvas* canvas = PaintInfo.TargetCanvas;
  const TVTHeaderOptions options = header->Options();
  const TVTColumnOptions columnOptions = Column->FOptions;
  const TColumnIndex index = Column->Index();
  const bool themes = UsesThemes(tree);

  PaintInfo.Column = Column;
  PaintInfo.IsHoverIndex = index == FHoverIndex && options.Contains(hoHotTrack) && columnOptions.Contains(coEnabled);
  // A press on the check box toggles it; the button face stays up.
  PaintInfo.IsDownIndex = index == FDownIndex && !FCheckBoxHit;
  PaintInfo.DropMark = dmmNone;
  if (columnOptions.Contains(coShowDropMark) && index == FDropTarget && index != FDragIndex)
    PaintInfo.DropMark = FDropBefore ? dmmLeft : dmmRight;
  PaintInfo.IsEnabled = columnOptions.Contains(coEnabled) && tree->Enabled();
  PaintInfo.ShowHeaderGlyph =
      options.Contains(hoShowImages) && ((header->Images() && Column->FImageIndex >= 0) || Column->FCheckBox);
  PaintInfo.ShowSortGlyph = index == header->SortColumn() && options.Contains(hoShowSortGlyphs);
  // What the layout does not set must not come from the cell before.
  PaintInfo.TextRectangle = TRect();
  PaintInfo.GlyphPos = PaintInfo.SortGlyphPos = TPoint();
  const bool wrapCaption = columnOptions.Contains(coWrapCaption);

  if (Column->FStyle == vsOwnerDraw && OwnerDraw) {
    tree->DoHeaderDraw(canvas, Column, PaintInfo.PaintRectangle, PaintInfo.IsHoverIndex, PaintInfo.IsDownIndex,
                       PaintInfo.DropMark);
    return;
  }
  THeaderPaintElements elements;
  if (AdvancedOwnerDraw) tree->DoHeaderDrawQueryElements(PaintInfo, elements);

  // The face.
  UINT rightBorder = PaintInfo.ShowRightBorder || index < Count() - 1 ? BF_RIGHT : 0;
  const TEdgeStyle* edges = ButtonEdges[Integer(header->Style())];
  if (elements.Contains(hpeBackground)) {
    tree->DoAdvancedHeaderDraw(PaintInfo, {hpeBackground});
  } else {
    TThemedHeader item = PaintInfo.IsDownIndex    ? thHeaderItemPressed
                         : PaintInfo.IsHoverIndex ? thHeaderItemHot
                                                  : thHeaderItemNormal;
    if (!themes ||
        !TreeThemes::DrawElement(canvas->Handle(), TreeThemes::GetElementDetails(item), PaintInfo.PaintRectangle)) {
      RECT r = PaintInfo.PaintRectangle;
      if (PaintInfo.IsDownIndex)
        DrawEdge(canvas->Handle(), &r, edges[1].Edge, edges[1].Flags);
      else if (header->Style() == hsPlates && PaintInfo.IsHoverIndex && columnOptions.Contains(coAllowClick) &&
               columnOptions.Contains(coEnabled))
        DrawEdge(canvas->Handle(), &r, edges[2].Edge, edges[2].Flags | rightBorder);
      else
        DrawEdge(canvas->Handle(), &r, edges[0].Edge, edges[0].Flags | rightBorder);
    }
  }

  InflateRect(PaintInfo.PaintRectangle, -2, -2);
  Cardinal drawFormat = DT_NOPREFIX;
  if (Column->CaptionAlignment() == taRightJustify) drawFormat |= DT_RIGHT;
  else if (Column->CaptionAlignment() == taCenter) drawFormat |= DT_CENTER;
  if (Column->UseRightToLeftReading()) drawFormat |= DT_RTLREADING;
  TSize sortGlyphSize(0, 0);
  Column->ComputeHeaderLayout(canvas->Handle(), PaintInfo.PaintRectangle, PaintInfo.ShowHeaderGlyph,
                              PaintInfo.ShowSortGlyph, PaintInfo.GlyphPos, PaintInfo.SortGlyphPos, sortGlyphSize,
                              PaintInfo.TextRectangle, drawFormat);
  if (PaintInfo.IsDownIndex) {
    OffsetRect(PaintInfo.TextRectangle, 1, 1);
    PaintInfo.GlyphPos.X += 1;
    PaintInfo.GlyphPos.Y += 1;
    PaintInfo.SortGlyphPos.X += 1;
    PaintInfo.SortGlyphPos.Y += 1;
  }

  THeaderPaintElements requested = elements * THeaderPaintElements{hpeDropMark, hpeHeaderGlyph, hpeSortGlyph, hpeText};
  Column->FHasImage = false;

  // The image or check box, left out where it would run into the sort glyph.
  if (!requested.Contains(hpeHeaderGlyph) && PaintInfo.ShowHeaderGlyph) {
    TCustomImageList* images =
        Column->FCheckBox ? tree->GetCheckImageListFor(tree->CheckImageKind()) : header->Images();
    Integer width = images ? images->Width() : 0, height = images ? images->Height() : 0;
    bool blocked = PaintInfo.ShowSortGlyph && !Column->UseRightToLeftReading() &&
                   PaintInfo.GlyphPos.X + width > PaintInfo.SortGlyphPos.X;
    if (images && !blocked) {
      if (!Column->FCheckBox) {
        images->Draw(canvas, PaintInfo.GlyphPos.X, PaintInfo.GlyphPos.Y, Column->FImageIndex, PaintInfo.IsEnabled);
      } else {
        TVTImageInfo check;
        check.Images = images;
        check.Index = tree->GetCheckImage(nullptr, Column->FCheckType, Column->FCheckState, PaintInfo.IsEnabled);
        check.XPos = PaintInfo.GlyphPos.X;
        check.YPos = PaintInfo.GlyphPos.Y;
        tree->PaintCheckImage(canvas, check, false);
      }
      Column->FHasImage = true;
      Column->FImageRect = TRect(PaintInfo.GlyphPos.X, PaintInfo.GlyphPos.Y, PaintInfo.GlyphPos.X + width,
                                 PaintInfo.GlyphPos.Y + height);
    }
  }

  if (!requested.Contains(hpeText) && !Column->FText.empty()) {
    bool hot = tree->VclStyleEnabled() ? PaintInfo.IsHoverIndex
                                       : PaintInfo.IsHoverIndex && options.Contains(hoHotTrack) && !themes;
    DrawButtonText(canvas->Handle(), wrapCaption ? Column->FCaptionText : Column->FText, PaintInfo.TextRectangle,
                   PaintInfo.IsEnabled, hot, drawFormat, wrapCaption);
  }

  if (!requested.Contains(hpeSortGlyph) && PaintInfo.ShowSortGlyph) {
    bool ascending = header->SortDirection() == sdAscending;
    const TPoint& p = PaintInfo.SortGlyphPos;
    bool drawn = tree->TreeStates().Contains(tsUseExplorerTheme) &&
                 TreeThemes::DrawElement(canvas->Handle(),
                                         TreeThemes::GetElementDetails(ascending ? thHeaderSortArrowSortedUp
                                                                                 : thHeaderSortArrowSortedDown),
                                         TRect(p.X, p.Y, p.X + sortGlyphSize.cx, p.Y + sortGlyphSize.cy));
    if (!drawn) {
      if (TCustomImageList* utility = UtilityImages())
        utility->Draw(canvas, p.X, p.Y, (ascending ? 3 : 2) + (themes ? 2 : 0));
    }
  }

  if (!requested.Contains(hpeDropMark) && PaintInfo.DropMark != dmmNone) {
    if (TCustomImageList* utility = UtilityImages()) {
      const TRect& r = PaintInfo.PaintRectangle;
      Integer y = (r.Top + r.Bottom - utility->Height()) / 2;
      if (PaintInfo.DropMark == dmmLeft) utility->Draw(canvas, r.Left, y, 0);
      else utility->Draw(canvas, r.Right - 16, y, 1);
    }
  }

  if (!requested.Empty()) {
    HDC dc = canvas->Handle();
    int saved = SaveDC(dc);
    tree->DoAdvancedHeaderDraw(PaintInfo, requested);
    RestoreDC(dc, saved);
    // The handler may have changed the canvas' objects behind the restored
    // DC's back.
    canvas->Refresh();
  }
}

// ---------------------------------------------------------------------------
// Text

void TLazyTreeColumns::DrawButtonText(HDC DC, const String& Caption, TRect Bounds, bool Enabled, bool Hot,
                                      Cardinal DrawFormat, bool WrapCaption) {
  TBaseLazyTree_qn* tree = Tree();
  String text = Caption;
  if (!WrapCaption) {
    SIZE size{};
    GetTextExtentPoint32W(DC, text.c_str(), Integer(text.size()), &size);
    if (size.cx > Bounds.Width()) text = ShortenString(DC, text, Bounds.Width());
  }
  SetBkMode(DC, TRANSPARENT);
  auto draw = [&](TColor Color, Integer Offset) {
    SetTextColor(DC, ColorToRGB(Color));
    RECT r = Bounds;
    OffsetRect(r, Offset, Offset);
    DrawTextW(DC, text.c_str(), Integer(text.size()), &r, DrawFormat);
  };
  TVTColors* colors = tree->Colors();
  if (!Enabled) {
    if (tree->VclStyleEnabled()) {
      draw(colors->GetHeaderFontColor(), 0);
    } else {
      draw(clBtnHighlight, 1);
      draw(clBtnShadow, 0);
    }
  } else {
    draw(Hot ? colors->HeaderHotColor() : colors->GetHeaderFontColor(), 0);
  }
}

// ---------------------------------------------------------------------------
// Layout

void TLazyTreeColumn::ComputeHeaderLayout(HDC DC, const TRect& Client, bool UseHeaderGlyph, bool UseSortGlyph,
                                          TPoint& HeaderGlyphPos, TPoint& SortGlyphPos, TSize& SortGlyphSize,
                                          TRect& TextBounds, Cardinal DrawFormat, bool) {
  const bool hasText = !FText.empty();
  if (!hasText && !UseHeaderGlyph && !UseSortGlyph) return;
  TBaseLazyTree_qn* tree = Tree();
  const bool ltr = FBiDiMode == bdLeftToRight;
  const Integer cw = Client.Width(), ch = Client.Height();

  TAlignment alignment = CaptionAlignment();
  if (!ltr) {
    if (alignment == taLeftJustify) alignment = taRightJustify;
    else if (alignment == taRightJustify) alignment = taLeftJustify;
  }

  TSize glyph(0, 0);
  if (UseHeaderGlyph) {
    TCustomImageList* images = FCheckBox ? tree->GetCheckImageListFor(tree->CheckImageKind())
                                         : Owner()->FHeader->Images();
    if (images) glyph = TSize(images->Width(), images->Height());
  }

  SortGlyphSize = TSize(0, 0);
  if (UseSortGlyph) {
    bool measured = false;
    if (tree->TreeStates().Contains(tsUseExplorerTheme)) {
      TSize s(0, 0);
      measured = TreeThemes::GetElementSize(DC, TreeThemes::GetElementDetails(thHeaderSortArrowSortedUp),
                                            TRect(0, 0, 100, 100), esActual, s);
      if (measured) SortGlyphSize = s;
    }
    if (!measured)
      if (TCustomImageList* utility = UtilityImages()) SortGlyphSize = TSize(utility->Width(), utility->Height());
    SortGlyphPos.Y = (ch - SortGlyphSize.cy) / 2;
  }

  TSize text(0, 0);
  Integer textSpacing = 0;
  if (hasText) {
    if (!FOptions.Contains(coWrapCaption)) {
      FCaptionText = FText;
      SIZE s{};
      GetTextExtentPoint32W(DC, FText.c_str(), Integer(FText.size()), &s);
      text = TSize(s.cx + 2, s.cy);
    } else {
      if (FCaptionText.empty()) FCaptionText = WrapString(DC, FText, Client, (DrawFormat & DT_RTLREADING) != 0, DrawFormat);
      TRect r = Client;
      GetStringDrawRect(DC, FCaptionText, r, DrawFormat);
      text = TSize(cw, r.Height());
    }
    TextBounds = TRect(0, 0, text.cx, text.cy);
    textSpacing = FSpacing;
  }

  TPoint glyphPos = HeaderGlyphPos, textPos;
  const bool topOrBottom = FLayout == blGlyphTop || FLayout == blGlyphBottom;
  const bool glyphLeft = UseHeaderGlyph && FLayout == blGlyphLeft;
  const bool glyphRight = UseHeaderGlyph && FLayout == blGlyphRight;
  if (!hasText && !UseHeaderGlyph) {
    // A sort glyph alone sits in the middle.
    SortGlyphPos = TPoint((cw - SortGlyphSize.cx) / 2, (ch - SortGlyphSize.cy) / 2);
  } else {
    if (!UseHeaderGlyph || !topOrBottom) {
      glyphPos.Y = (ch - glyph.cy) / 2;
      textPos.Y = std::max(-5, (ch - text.cy) / 2);
    } else if (FLayout == blGlyphTop) {
      glyphPos.Y = (ch - glyph.cy - text.cy - textSpacing) / 2;
      textPos.Y = glyphPos.Y + glyph.cy + textSpacing;
    } else {
      textPos.Y = (ch - glyph.cy - text.cy - textSpacing) / 2;
      glyphPos.Y = textPos.Y + text.cy + textSpacing;
    }

    Integer x;
    switch (alignment) {
      case taLeftJustify:
        x = FMargin;
        if (UseSortGlyph && !ltr) {
          SortGlyphPos.X = x;
          x += SortGlyphSize.cx + FSpacing;
        }
        if (topOrBottom) {
          textPos.X = x;
          if (UseHeaderGlyph) {
            glyphPos.X = std::max((cw - glyph.cx) / 2, x);
            x = std::max(textPos.X + text.cx + textSpacing, glyphPos.X + glyph.cx + FSpacing);
          } else {
            x = textPos.X + text.cx + textSpacing;
          }
        } else {
          if (glyphLeft) {
            glyphPos.X = x;
            x += glyph.cx + FSpacing;
          }
          textPos.X = x;
          x += text.cx + textSpacing;
          if (glyphRight) {
            glyphPos.X = x;
            x += glyph.cx + FSpacing;
          }
        }
        if (UseSortGlyph && ltr) SortGlyphPos.X = x;
        break;
      case taCenter: {
        if (topOrBottom) {
          glyphPos.X = (cw - glyph.cx) / 2;
          textPos.X = (cw - text.cx) / 2;
          if (UseSortGlyph) textPos.X -= SortGlyphSize.cx / 2;
        } else {
          x = (cw - glyph.cx - textSpacing - text.cx) / 2;
          if (glyphLeft) {
            glyphPos.X = x;
            x += glyph.cx + textSpacing;
          }
          textPos.X = x;
          x += text.cx + textSpacing;
          if (glyphRight) glyphPos.X = x;
        }
        Integer left = textPos.X, right = textPos.X + text.cx;
        if (UseHeaderGlyph) {
          left = std::min(glyphPos.X, textPos.X);
          right = std::max(textPos.X + text.cx, glyphPos.X + glyph.cx);
        }
        if (UseSortGlyph) SortGlyphPos.X = ltr ? right + FSpacing : left - FSpacing - SortGlyphSize.cx;
        break;
      }
      default:
        x = cw - FMargin;
        if (UseSortGlyph && ltr) {
          x -= SortGlyphSize.cx;
          SortGlyphPos.X = x;
          x -= FSpacing;
        }
        if (topOrBottom) {
          textPos.X = x - text.cx;
          if (UseHeaderGlyph) {
            glyphPos.X = std::min((cw - glyph.cx) / 2, x - glyph.cx - FSpacing);
            x = std::min(textPos.X - textSpacing, glyphPos.X - FSpacing);
          } else {
            x = textPos.X - textSpacing;
          }
        } else {
          if (glyphRight) {
            glyphPos.X = x - glyph.cx;
            x = glyphPos.X - FSpacing;
          }
          textPos.X = x - text.cx;
          x = textPos.X - textSpacing;
          if (glyphLeft) {
            glyphPos.X = x - glyph.cx;
            x = glyphPos.X - FSpacing;
          }
        }
        if (UseSortGlyph && !ltr) SortGlyphPos.X = x - SortGlyphSize.cx;
        break;
    }
  }

  // Everything is kept inside the margins; the text gives way first.
  Integer minLeft = FMargin, maxRight = cw - FMargin;
  if (UseSortGlyph) {
    if (ltr) {
      if (SortGlyphPos.X + SortGlyphSize.cx > maxRight) SortGlyphPos.X = maxRight - SortGlyphSize.cx;
      maxRight = SortGlyphPos.X - FSpacing;
    }
    SortGlyphPos.X = std::max(SortGlyphPos.X, minLeft);
    if (!ltr) minLeft = SortGlyphPos.X + SortGlyphSize.cx + FSpacing;
    SortGlyphPos.X += Client.Left;
    SortGlyphPos.Y += Client.Top;
  }
  if (UseHeaderGlyph) {
    if (glyphPos.X + glyph.cx > maxRight) glyphPos.X = maxRight - glyph.cx;
    if (FLayout == blGlyphRight) maxRight = glyphPos.X - FSpacing;
    glyphPos.X = std::max(glyphPos.X, minLeft);
    if (FLayout == blGlyphLeft) minLeft = glyphPos.X + glyph.cx + FSpacing;
    // Line the glyph up with the node images below: those of the main
    // column stand after the tree's indentation.
    TLazyTreeColumns* owner = Owner();
    if (owner->FHeader->MainColumn() != Index()) glyphPos.X -= 2;
    else if (FCheckBox) glyphPos.X -= tree->TreeOptions()->PaintOptions().Contains(toShowRoot) ? 4 : 2;
    HeaderGlyphPos = TPoint(glyphPos.X + Client.Left, glyphPos.Y + Client.Top);
  }
  if (hasText) {
    textPos.X = std::max(textPos.X, minLeft);
    OffsetRect(TextBounds, textPos.X, textPos.Y);
    TextBounds.Right = std::min(TextBounds.Right, maxRight);
    OffsetRect(TextBounds, Client.Left, Client.Top);
    if (FOptions.Contains(coWrapCaption)) {
      TRect r = TextBounds;
      FCaptionText = WrapString(DC, FText, r, (DrawFormat & DT_RTLREADING) != 0, DrawFormat);
      GetStringDrawRect(DC, FCaptionText, r, DrawFormat);
    }
  }
}

}  // namespace qn
