// What a row shows in its indentation besides the node's own content: the
// tree lines, the expand/collapse button and the index of its check image.
#include <algorithm>
#include <cmath>

#include "platform/gdi/Gdi.h"
#include "platform/theme/UxTheme.h"
#include "platform/user/Resources.h"
#include "treeview/LazyTrees_qn_Appearance.h"

namespace qn {

TBaseLazyTree_qn::TOwnedBrush::~TOwnedBrush() {
  if (Handle) DeleteObject(Handle);
}

// ---------------------------------------------------------------------------
// Visible siblings (effectively visible: not hidden, not filtered away)

bool TBaseLazyTree_qn::HasVisibleNextSibling(PLazyNode Node) {
  for (PLazyNode n = Node->NextSibling; n; n = n->NextSibling)
    if (GetEffectivelyVisible(n)) return true;
  return false;
}

bool TBaseLazyTree_qn::HasVisiblePreviousSibling(PLazyNode Node) {
  for (PLazyNode n = Node->PrevSibling; n; n = n->PrevSibling)
    if (GetEffectivelyVisible(n)) return true;
  return false;
}

bool TBaseLazyTree_qn::IsFirstVisibleChild(PLazyNode Parent, PLazyNode Node) {
  for (PLazyNode n = Parent->FirstChild; n; n = n->NextSibling)
    if (GetEffectivelyVisible(n)) return n == Node;
  return false;
}

bool TBaseLazyTree_qn::IsLastVisibleChild(PLazyNode Parent, PLazyNode Node) {
  for (PLazyNode n = Parent->LastChild; n; n = n->PrevSibling)
    if (GetEffectivelyVisible(n)) return n == Node;
  return false;
}

// ---------------------------------------------------------------------------
// Line images

Integer TBaseLazyTree_qn::DetermineLineImageAndSelectLevel(PLazyNode Node, TLineImage& LineImage) {
  const TVTPaintOptions& paint = FOptions->PaintOptions();
  bool showRoot = paint.Contains(toShowRoot);
  Integer result = 0;
  Integer x = showRoot ? 1 : 0;
  PLazyNode topLevel = Node;
  while (topLevel->Parent != FRoot) {
    ++x;
    topLevel = topLevel->Parent;
    if (topLevel->States.Contains(vsSelected)) ++result;
  }
  LineImage.assign(std::size_t(x), ltNone);
  bool lines = paint.Contains(toShowTreeLines) &&
               !(paint.Contains(toHideTreeLinesIfThemed) && FStates.Contains(tsUseThemes));
  bool isTopLevel = Node->Parent == FRoot;
  if (lines && paint.Contains(toChildrenAbove)) {
    // Children stand above their parent: the line runs up from each node.
    TVTLineType own;
    if (!HasVisiblePreviousSibling(Node))
      own = isTopLevel && !HasVisibleNextSibling(Node) ? ltRight : ltBottomRight;
    else
      own = isTopLevel && !HasVisibleNextSibling(Node) ? ltTopRight : ltTopDownRight;
    Integer i = x - 1;
    if (i >= 0) LineImage[std::size_t(i)] = own;
    for (PLazyNode run = Node; run->Parent != FRoot;) {
      run = run->Parent;
      if (--i >= 0) LineImage[std::size_t(i)] = HasVisiblePreviousSibling(run) ? ltTopDown : ltNone;
    }
  } else if (lines) {
    if (!isTopLevel) {
      LineImage[std::size_t(x - 1)] = HasVisibleNextSibling(Node) ? ltTopDownRight : ltTopRight;
      Integer i = x - 2;
      for (PLazyNode run = Node->Parent; run->Parent != FRoot; run = run->Parent, --i)
        LineImage[std::size_t(i)] = HasVisibleNextSibling(run) ? ltTopDown : ltNone;
    }
    if (showRoot) {
      if (!isTopLevel) {
        LineImage[0] = HasVisibleNextSibling(topLevel) ? ltTopDown : ltNone;
      } else {
        bool first = IsFirstVisibleChild(FRoot, Node), last = IsLastVisibleChild(FRoot, Node);
        LineImage[0] = first ? (last ? ltRight : ltBottomRight) : (last ? ltTopRight : ltTopDownRight);
      }
    }
  }
  // The explorer look puts its glyph where the node's own line would be.
  if (FStates.Contains(tsUseExplorerTheme) && GetHasChildren(Node) && !LineImage.empty()) LineImage.back() = ltNone;
  return result;
}

// ---------------------------------------------------------------------------
// Drawing lines

void TBaseLazyTree_qn::DoBeforeDrawLineImage(PLazyNode Node, Integer Level, Integer& XPos) {
  if (Assigned(FOnBeforeDrawLineImage)) FOnBeforeDrawLineImage(this, Node, Level, XPos);
}

void TBaseLazyTree_qn::DoGetLineStyle(Pointer& Bits) {
  if (Assigned(OnGetLineStyle)) OnGetLineStyle(this, Bits);
}

void TBaseLazyTree_qn::PaintTreeLines(const TVTPaintInfo& PaintInfo, Integer VAlign, Integer IndentSize,
                                      const TLineImage& LineImage) {
  bool rtl = PaintInfo.BidiMode != bdLeftToRight;
  Integer indent = Integer(FIndent);
  Integer step = rtl ? -indent : indent;
  PLazyNode node = PaintInfo.Node;
  Integer h = Integer(node->NodeHeight);
  Integer levelBase = FOptions->PaintOptions().Contains(toShowRoot) ? 0 : 1;
  IndentSize = std::min(IndentSize, Integer(LineImage.size()));
  auto run = [&](const TLineImage& styles, Integer height) {
    Integer x = rtl ? PaintInfo.CellRect.Right - indent : PaintInfo.CellRect.Left;
    for (Integer i = 0; i < IndentSize; ++i) {
      DoBeforeDrawLineImage(node, i + levelBase, x);
      DrawLineImage(PaintInfo, x, PaintInfo.CellRect.Top, height, VAlign - 1, styles[std::size_t(i)], rtl);
      x += step;
    }
  };
  if (FLineMode == lmNormal) {
    PaintInfo.Canvas->Font()->SetColor(FColors->TreeLineColor());
    run(LineImage, h);
    return;
  }
  if (!PaintInfo.PaintOptions.Contains(poGridLines)) return;
  TLineImage bands(std::size_t(IndentSize), ltNone);
  if (node->States.Contains(vsExpanded) && !node->States.Contains(vsAllChildrenHidden)) {
    std::fill(bands.begin(), bands.end(), ltLeft);
  } else {
    for (Integer i = IndentSize - 1; i >= 0; --i) {
      switch (LineImage[std::size_t(i)]) {
        case ltBottomRight:
        case ltTopDownRight:
        case ltRight:
        case ltTopRight: bands[std::size_t(i)] = ltLeftBottom; break;
        case ltNone:
        case ltTopDown:
          // The node's own level has no next level to decide: it takes the
          // band line.
          if (i == IndentSize - 1) {
            bands[std::size_t(i)] = ltLeft;
          } else {
            TVTLineType next = LineImage[std::size_t(i + 1)];
            bands[std::size_t(i)] = next != ltNone && next != ltTopRight ? ltLeft : bands[std::size_t(i + 1)];
          }
          break;
        case ltLeft:
        case ltLeftBottom: bands[std::size_t(i)] = ltNone; break;
      }
    }
  }
  PaintInfo.Canvas->Font()->SetColor(FColors->GridLineColor());
  run(bands, h - 1);
}

void TBaseLazyTree_qn::DrawLineImage(const TVTPaintInfo& PaintInfo, Integer X, Integer Y, Integer H, Integer VAlign,
                                     TVTLineType Style, bool Reverse) {
  Integer indent = Integer(FIndent);
  Integer half = Integer(std::nearbyint(indent / 2.0));
  Integer targetX = Reverse ? 0 : indent;
  Integer band = Reverse ? X + indent : X;
  switch (Style) {
    case ltNone: break;
    case ltBottomRight:
      DrawDottedVLine(PaintInfo, Y + VAlign, Y + H, X + half);
      DrawDottedHLine(PaintInfo, X + half, X + targetX, Y + VAlign);
      break;
    case ltTopDown: DrawDottedVLine(PaintInfo, Y, Y + H, X + half); break;
    case ltTopDownRight:
      DrawDottedVLine(PaintInfo, Y, Y + H, X + half);
      DrawDottedHLine(PaintInfo, X + half, X + targetX, Y + VAlign);
      break;
    case ltRight: DrawDottedHLine(PaintInfo, X + half, X + targetX, Y + VAlign); break;
    case ltTopRight:
      DrawDottedVLine(PaintInfo, Y, Y + VAlign, X + half);
      DrawDottedHLine(PaintInfo, X + half, X + targetX, Y + VAlign);
      break;
    case ltLeft: DrawDottedVLine(PaintInfo, Y, Y + H, band); break;
    case ltLeftBottom:
      DrawDottedVLine(PaintInfo, Y, Y + H, band);
      DrawDottedHLine(PaintInfo, X, X + indent, Y + H);
      break;
  }
}

namespace {
// The pattern's set bits show the background, its clear bits the line
// colour (the canvas font colour the callers set).
void FillDotted(TCanvas* Canvas, HBRUSH Brush, TColor Background, const RECT& R) {
  Canvas->Brush()->SetColor(Background);
  HDC dc = Canvas->Handle();
  COLORREF oldText = SetTextColor(dc, ColorToRGB(Canvas->Font()->Color()));
  COLORREF oldBack = SetBkColor(dc, ColorToRGB(Background));
  FillRect(dc, &R, Brush);
  SetTextColor(dc, oldText);
  SetBkColor(dc, oldBack);
}
}  // namespace

void TBaseLazyTree_qn::DrawDottedHLine(const TVTPaintInfo& PaintInfo, Integer Left, Integer Right, Integer Top) {
  if (!FDottedBrush.Handle) PrepareBitmaps(false, true);
  RECT r{std::min(Left, Right), Top, std::max(Left, Right) + 1, Top + 1};
  FillDotted(PaintInfo.Canvas, FDottedBrush.Handle, FColors->GetBackgroundColor(), r);
}

void TBaseLazyTree_qn::DrawDottedVLine(const TVTPaintInfo& PaintInfo, Integer Top, Integer Bottom, Integer Left) {
  if (!FDottedBrush.Handle) PrepareBitmaps(false, true);
  RECT r{Left, std::min(Top, Bottom), Left + 1, std::max(Top, Bottom) + 1};
  FillDotted(PaintInfo.Canvas, FDottedBrush.Handle, FColors->GetBackgroundColor(), r);
}

// ---------------------------------------------------------------------------
// Button and line bitmaps


void TBaseLazyTree_qn::PrepareBitmaps(bool NeedButtons, bool NeedLines) {
  TSize size(9, 9);
  HTHEME theme = nullptr;
  if (FStates.Contains(tsUseThemes) && HandleAllocated()) {
    theme = OpenThemeData(Handle(), u"TREEVIEW");
    if (theme) {
      RECT r{0, 0, 100, 100};
      SIZE s{};
      HDC dc = GetDC(Handle());
      if (GetThemePartSize(theme, dc, 2, 2, &r, TS_TRUE, &s) == S_OK && s.cx > 0 && s.cy > 0) size = TSize(s.cx, s.cy);
      ReleaseDC(Handle(), dc);
    }
  }
  bool explorer = FStates.Contains(tsUseExplorerTheme);
  if (NeedButtons) {
    TColor background = clFuchsia;
    if ((IsWinVistaOrAbove() && FStates.Contains(tsUseThemes) && FOptions->PaintOptions().Contains(toUseExplorerTheme)) ||
        FVclStyleEnabled)
      background = FColors->GetBackgroundColor();  // the main column's colour once columns exist
    for (TBitmap* b : {FMinusBM.get(), FHotMinusBM.get(), FPlusBM.get(), FHotPlusBM.get()}) {
      b->SetPixelFormat(TPixelFormat::pf32bit);
      b->SetSize(size.cx, size.cy);
      b->SetTransparentColor(background);
      b->SetTransparent(true);
      b->Canvas()->Brush()->SetStyle(TBrushStyle::bsSolid);
      b->Canvas()->Brush()->SetColor(background);
      b->Canvas()->FillRect(TRect(0, 0, size.cx, size.cy));
    }
    if ((!FVclStyleEnabled || !theme) && !explorer) {
      for (bool plus : {false, true}) {
        TBitmap* b = plus ? FPlusBM.get() : FMinusBM.get();
        TCanvas* c = b->Canvas();
        if (FButtonStyle == bsTriangle) {
          c->Brush()->SetColor(clBlack);
          c->Pen()->SetColor(clBlack);
          if (plus) c->Polygon({TPoint(2, 0), TPoint(6, 4), TPoint(2, 8)});
          else c->Polygon({TPoint(0, 2), TPoint(8, 2), TPoint(4, 6)});
        } else if (FButtonFillMode == fmShaded) {
          b->LoadFromResourceName(NativeUInt(FindClassHInstance(StaticClass())),
                                  plus ? u"VT_XPBUTTONPLUS" : u"VT_XPBUTTONMINUS");
          b->SetTransparentColor(background);
          b->SetTransparent(true);
        } else {
          TColor fill = FButtonFillMode == fmTreeColor     ? FColors->GetBackgroundColor()
                        : FButtonFillMode == fmWindowColor ? clWindow
                                                           : background;
          c->Brush()->SetColor(fill);
          c->Pen()->SetColor(FColors->TreeLineColor());
          c->Rectangle(TRect(0, 0, b->Width(), b->Height()));
          c->Pen()->SetColor(FColors->GetNodeFontColor());
          c->MoveTo(2, b->Width() / 2);
          c->LineTo(b->Width() - 2, b->Width() / 2);
          if (plus) {
            c->MoveTo(b->Width() / 2, 2);
            c->LineTo(b->Width() / 2, b->Height() - 2);
          }
        }
      }
      FHotMinusBM->Assign(FMinusBM.get());
      FHotPlusBM->Assign(FPlusBM.get());
    }
    if (FStates.Contains(tsUseThemes) && theme) {
      RECT r{0, 0, size.cx, size.cy};
      DrawThemeBackground(theme, FPlusBM->Canvas()->Handle(), 2, 1, &r, nullptr);
      DrawThemeBackground(theme, FMinusBM->Canvas()->Handle(), 2, 2, &r, nullptr);
      if (explorer) {
        DrawThemeBackground(theme, FHotPlusBM->Canvas()->Handle(), 4, 1, &r, nullptr);
        DrawThemeBackground(theme, FHotMinusBM->Canvas()->Handle(), 4, 2, &r, nullptr);
      } else {
        FHotMinusBM->Assign(FMinusBM.get());
        FHotPlusBM->Assign(FPlusBM.get());
      }
    }
  }
  if (NeedLines) {
    if (FDottedBrush.Handle) DeleteObject(FDottedBrush.Handle);
    FDottedBrush.Handle = nullptr;
    static const Word Dotted[8] = {0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA};
    static const Word Solid[8] = {};
    // A handler may offer its own eight rows for the custom style.
    Word custom[8];
    std::copy(std::begin(Dotted), std::end(Dotted), custom);
    Pointer bits = const_cast<Word*>(FLineStyle == lsSolid ? Solid : Dotted);
    if (FLineStyle == lsCustomStyle) {
      bits = custom;
      DoGetLineStyle(bits);
      if (!bits) bits = custom;
    }
    HBITMAP pattern = CreateBitmap(8, 8, 1, 1, bits);
    FDottedBrush.Handle = CreatePatternBrush(pattern);
    DeleteObject(pattern);
  }
  if (theme) CloseThemeData(theme);
}

void TBaseLazyTree_qn::PaintNodeButton(TCanvas* Canvas, PLazyNode Node, TColumnIndex, const TRect& R, Integer ButtonX,
                                       Integer ButtonY, TBiDiMode BidiMode) {
  bool hot = FOptions->PaintOptions().Contains(toHotTrack) && Node == FCurrentHotNode && FHotNodeButtonHit;
  bool expanded = Node->States.Contains(vsExpanded);
  TBitmap* b = expanded ? (hot ? FHotMinusBM.get() : FMinusBM.get()) : (hot ? FHotPlusBM.get() : FPlusBM.get());
  if (b->Empty()) PrepareBitmaps(true, false);
  Integer x = BidiMode == bdLeftToRight ? R.Left + ButtonX : R.Right - ButtonX - b->Width();
  Integer y = R.Top + ButtonY;
  if (FStates.Contains(tsUseExplorerTheme) && HandleAllocated()) {
    if (HTHEME theme = OpenThemeData(Handle(), u"TREEVIEW")) {
      RECT r{x, y, x + b->Width(), y + b->Height()};
      DrawThemeBackground(theme, Canvas->Handle(), hot ? 4 : 2, expanded ? 2 : 1, &r, nullptr);
      CloseThemeData(theme);
      return;
    }
  }
  Canvas->Draw(x, y, b);
}

// ---------------------------------------------------------------------------
// Check images and alignment

Integer TBaseLazyTree_qn::GetCheckImage(PLazyNode Node, TCheckType ImgCheckType, TCheckState ImgCheckState,
                                        bool ImgEnabled) {
  bool hot = false;
  if (Node) {
    ImgCheckType = Node->CheckType;
    ImgCheckState = Node->CheckState;
    ImgEnabled = !Node->States.Contains(vsDisabled) && Enabled();
    hot = Node == FCurrentHotNode;
  }
  if (ImgCheckType == ctTriStateCheckBox) ImgCheckType = ctCheckBox;
  if (ImgCheckType == ctNone) return -1;
  // The first image of the group of four (normal, hot, pressed, disabled).
  Integer group;
  bool pressed = false;
  switch (ImgCheckState) {
    case csUncheckedPressed: pressed = true; [[fallthrough]];
    case csUncheckedNormal: group = ImgCheckType == ctRadioButton ? 1 : ImgCheckType == ctButton ? 21 : 9; break;
    case csCheckedPressed: pressed = true; [[fallthrough]];
    case csCheckedNormal: group = ImgCheckType == ctRadioButton ? 5 : ImgCheckType == ctButton ? 21 : 13; break;
    case csMixedPressed: pressed = true; [[fallthrough]];
    default: group = 17; break;
  }
  if (!ImgEnabled) return group + 3;
  if (pressed) return group + 2;
  return hot ? group + 1 : group;
}

void TBaseLazyTree_qn::SetVerticalAlignment(PLazyNode Node, Byte Value) {
  if (!Node || Node == FRoot) return;
  Value = std::min<Byte>(Value, 100);
  if (Node->Align == Value) return;
  Node->Align = Value;
  if (GetFullyVisible(Node) && !GetEffectivelyFiltered(Node)) InvalidateNode(Node);
}

}  // namespace qn
