// The string tree: cell text from events, the width cache, measuring,
// shortening and painting of normal and static text, and the string tree's
// options and form-file properties.
#include "treeview/LazyTrees_qn_StringTree.h"

#include <algorithm>
#include <climits>

#include "platform/gdi/Gdi.h"
#include "platform/theme/UxTheme.h"
#include "treeview/LazyTrees_qn_Appearance.h"
#include "treeview/LazyTrees_qn_Internal.h"

namespace qn {

using lazytrees_internal::ChangeBiDiModeAlignment;
using lazytrees_internal::WalkSubtree;

namespace {

constexpr Integer kWidthCacheSize = 4;

UINT AlignmentFlag(TAlignment A) { return AlignmentToDrawFlag[static_cast<int>(A)]; }

// DrawTextW over a whole string.
int DrawCanvasText(TCanvas* Canvas, const String& S, TRect& R, UINT Format) {
  RECT rc = R;
  int height = DrawTextW(Canvas->Handle(), S.c_str(), Integer(S.size()), &rc, Format);
  R = rc;
  return height;
}

TSize TextExtentOf(TCanvas* Canvas, const String& S) {
  SIZE size{0, 0};
  GetTextExtentPoint32W(Canvas->Handle(), S.c_str(), Integer(S.size()), &size);
  return TSize(size.cx, size.cy);
}

}  // namespace

// ---------------------------------------------------------------------------
// Options

void TCustomStringTreeOptions::SetStringOptions(TVTStringOptions Value) {
  if (Value == FStringOptions) return;
  bool staticFlipped = Value.Contains(toShowStaticText) != FStringOptions.Contains(toShowStaticText);
  FStringOptions = Value;
  TBaseLazyTree_qn* tree = Owner();
  if (staticFlipped && tree && !tree->ComponentState().Contains(csLoading) && tree->HandleAllocated())
    tree->Invalidate();
}

void TCustomStringTreeOptions::AssignTo(TPersistent* Dest) {
  if (auto* d = dynamic_cast<TCustomStringTreeOptions*>(Dest)) d->SetStringOptions(FStringOptions);
  inherited::AssignTo(Dest);
}

void TCustomStringTreeOptions::TakeOwnOptions(const TCustomLazyTreeOptions* Old) {
  if (auto* o = dynamic_cast<const TCustomStringTreeOptions*>(Old)) FStringOptions = o->FStringOptions;
}

// ---------------------------------------------------------------------------
// Construction, options, default text

TCustomLazyStringTree_qn::TCustomLazyStringTree_qn(TComponent* AOwner) : TBaseLazyTree_qn(AOwner) {
  FInternalDataOffset = AllocateInternalDataArea(kWidthCacheSize);
  // The options object of this class from the start, so its string options
  // are there before anything reads them.
  TreeOptions();
  FontMetricsChanged();
}

TTreeOptionsClass TCustomLazyStringTree_qn::GetOptionsClass() const { return TCustomStringTreeOptions::StaticClass(); }

TCustomStringTreeOptions* TCustomLazyStringTree_qn::TreeOptions() const {
  return static_cast<TCustomStringTreeOptions*>(inherited::TreeOptions());
}

void TCustomLazyStringTree_qn::SetDefaultText(const String& Value) {
  if (Value == FDefaultText) return;
  FDefaultText = Value;
  if (!ComponentState().Contains(csLoading)) Invalidate();
}

bool TCustomLazyStringTree_qn::ShowsStaticText(PLazyNode Node) {
  return FAlignment != taCenter && !Node->States.Contains(vsMultiline) &&
         TreeOptions()->StringOptions().Contains(toShowStaticText);
}

Pointer TCustomLazyStringTree_qn::InternalData(PLazyNode Node) {
  if (!Node || Node == FRoot) return nullptr;
  return reinterpret_cast<Byte*>(Node) + FInternalDataOffset;
}

// ---------------------------------------------------------------------------
// Text

String TCustomLazyStringTree_qn::GetText(PLazyNode Node, TColumnIndex Column) {
  TreeAssert(Node != nullptr, SNodeMustNotBeNil);
  if (!Node->States.Contains(vsInitialized)) InitNode(Node);
  String text = FDefaultText;
  DoGetText(Node, Column, ttNormal, text);
  return text;
}

String TCustomLazyStringTree_qn::GetStaticText(PLazyNode Node, TColumnIndex Column) {
  TreeAssert(Node != nullptr, SNodeMustNotBeNil);
  if (!Node->States.Contains(vsInitialized)) InitNode(Node);
  String text;
  DoGetText(Node, Column, ttStatic, text);
  return text;
}

String TCustomLazyStringTree_qn::GetImageText(PLazyNode Node, TVTImageKind Kind, TColumnIndex Column) {
  TreeAssert(Node != nullptr, SNodeMustNotBeNil);
  if (!Node->States.Contains(vsInitialized)) InitNode(Node);
  String text;
  DoGetImageText(Node, Kind, Column, text);
  return text;
}

void TCustomLazyStringTree_qn::SetText(PLazyNode Node, TColumnIndex Column, const String& Value) {
  DoNewText(Node, Column, Value);
  InvalidateNode(Node);
}

void TCustomLazyStringTree_qn::DoGetText(PLazyNode Node, TColumnIndex Column, TVSTTextType TextType, String& Text) {
  if (Assigned(FOnGetText)) FOnGetText(this, Node, Column, TextType, Text);
}

void TCustomLazyStringTree_qn::DoNewText(PLazyNode Node, TColumnIndex Column, const String& Text) {
  if (Assigned(FOnNewText)) FOnNewText(this, Node, Column, Text);
  if (FUpdateCount == 0) UpdateHorizontalScrollBar(true);
}

void TCustomLazyStringTree_qn::DoPaintText(PLazyNode Node, TCanvas* Canvas, TColumnIndex Column,
                                           TVSTTextType TextType) {
  if (Assigned(FOnPaintText)) FOnPaintText(this, Canvas, Node, Column, TextType);
}

String TCustomLazyStringTree_qn::Path(PLazyNode Node, TColumnIndex Column, TVSTTextType TextType,
                                      char16_t Delimiter) {
  String result(1, Delimiter);
  if (!Node || Node == FRoot) return result;
  result.clear();
  for (PLazyNode n = Node; n && n != FRoot; n = n->Parent) {
    String text;
    DoGetText(n, Column, TextType, text);
    result = text + Delimiter + result;
  }
  return result;
}

bool TCustomLazyStringTree_qn::ColumnIsEmpty(PLazyNode Node, TColumnIndex Column) {
  if (!GetText(Node, Column).empty()) return false;
  return inherited::ColumnIsEmpty(Node, Column);
}

Integer TCustomLazyStringTree_qn::DoIncrementalSearch(PLazyNode Node, const String& Text) {
  if (Assigned(OnIncrementalSearch)) return inherited::DoIncrementalSearch(Node, Text);
  String cell = GetText(Node, FFocusedColumn);
  return cell.starts_with(Text) ? 0 : 1;
}

String TCustomLazyStringTree_qn::DoGetNodeHint(PLazyNode Node, TColumnIndex Column,
                                               TVTTooltipLineBreakStyle& LineBreakStyle) {
  String hint = inherited::DoGetNodeHint(Node, Column, LineBreakStyle);
  if (Assigned(FOnGetHint)) FOnGetHint(this, Node, Column, LineBreakStyle, hint);
  return hint;
}

String TCustomLazyStringTree_qn::DoGetNodeTooltip(PLazyNode Node, TColumnIndex Column,
                                                  TVTTooltipLineBreakStyle& LineBreakStyle) {
  String tip = inherited::DoGetNodeTooltip(Node, Column, LineBreakStyle);
  if (Assigned(FOnGetHint)) FOnGetHint(this, Node, Column, LineBreakStyle, tip);
  else tip = GetText(Node, Column);
  return tip;
}

// ---------------------------------------------------------------------------
// Measuring and the width cache

Integer TCustomLazyStringTree_qn::DoGetNodeWidth(PLazyNode Node, TColumnIndex Column, TCanvas* Canvas) {
  if (Column > NoColumn && Node->States.Contains(vsMultiline) && FHeader->Columns()->IsValidColumn(Column))
    return FHeader->Columns()->Items(Column)->Width();
  if (!Canvas) Canvas = this->Canvas();
  if (Column != FHeader->MainColumn()) return CalculateTextWidth(Canvas, Node, Column, GetText(Node, Column));
  Cardinal* cache = WidthCache(Node);
  if (!cache) return 0;
  if (*cache == 0) *cache = Cardinal(CalculateTextWidth(Canvas, Node, Column, GetText(Node, Column)));
  return Integer(*cache);
}

Integer TCustomLazyStringTree_qn::CalculateTextWidth(TCanvas* Canvas, PLazyNode Node, TColumnIndex Column,
                                                     const String& Text) {
  Integer result = 2 * FTextMargin;
  if (Text.empty()) return result;
  Canvas->Font()->Assign(Font());
  DoPaintText(Node, Canvas, Column, ttNormal);
  return result + DoTextMeasuring(Canvas, Node, Column, Text).cx;
}

Integer TCustomLazyStringTree_qn::DoGetNodeExtraWidth(PLazyNode Node, TColumnIndex Column, TCanvas* Canvas) {
  return CalculateStaticTextWidth(Canvas ? Canvas : this->Canvas(), Node, Column, GetStaticText(Node, Column));
}

Integer TCustomLazyStringTree_qn::CalculateStaticTextWidth(TCanvas* Canvas, PLazyNode Node, TColumnIndex Column,
                                                           const String& Text) {
  if (Text.empty() || !ShowsStaticText(Node)) return 0;
  DoPaintText(Node, Canvas, Column, ttStatic);
  return DoTextMeasuring(Canvas, Node, Column, Text).cx + FTextMargin;
}

TSize TCustomLazyStringTree_qn::DoTextMeasuring(TCanvas* Canvas, PLazyNode Node, TColumnIndex Column,
                                                const String& Text) {
  TSize size = TextExtentOf(Canvas, Text);
  if (Node->States.Contains(vsMultiline)) {
    UINT format = AlignmentFlag(FAlignment) | DT_CALCRECT | DT_NOPREFIX | DT_WORDBREAK | DT_EDITCONTROL |
                  DT_END_ELLIPSIS;
    if (BiDiMode() != bdLeftToRight) format |= DT_RTLREADING;
    TRect r(0, 0, size.cx, INT_MAX);
    DrawCanvasText(Canvas, Text, r, format);
    size.cx = r.Right - r.Left;
  }
  if (Assigned(FOnMeasureTextWidth)) FOnMeasureTextWidth(this, Canvas, Node, Column, Text, size.cx);
  if (Assigned(FOnMeasureTextHeight)) FOnMeasureTextHeight(this, Canvas, Node, Column, Text, size.cy);
  return size;
}

Integer TCustomLazyStringTree_qn::ComputeNodeHeight(TCanvas* Canvas, PLazyNode Node, TColumnIndex Column, String S) {
  if (S.empty()) S = GetText(Node, Column);
  UINT format = DT_TOP | DT_NOPREFIX | DT_CALCRECT | DT_WORDBREAK;
  TLazyTreeColumns* columns = FHeader->Columns();
  bool column = Column >= 0 && columns->IsValidColumn(Column);
  TBiDiMode bidi = column ? columns->Items(Column)->BiDiMode() : BiDiMode();
  TAlignment alignment = column ? columns->Items(Column)->Alignment() : FAlignment;
  if (bidi != bdLeftToRight) {
    alignment = ChangeBiDiModeAlignment(alignment);
    format |= DT_RIGHT | DT_RTLREADING;
  }
  format |= AlignmentFlag(alignment);
  TVTPaintInfo info;
  info.Node = Node;
  info.Column = Column;
  info.BidiMode = bidi;
  info.CellRect = TRect(0, 0, 0, 0);
  if (!column) {
    info.CellRect.Right = ClientWidth();
  } else {
    info.CellRect.Right = columns->Items(Column)->Width() - FTextMargin;
    info.CellRect.Left = FTextMargin + FMargin;
    if (Column == FHeader->MainColumn()) {
      Integer levels = 1;
      if (!FOptions->PaintOptions().Contains(toFixedIndent)) {
        TLineImage lineImage;
        DetermineLineImageAndSelectLevel(Node, lineImage);
        levels = Integer(lineImage.size());
      }
      info.CellRect.Left += Integer(FIndent) * levels;
    }
  }
  TColumnIndex next = NoColumn;
  AdjustPaintCellRect(info, next);
  TRect r = info.CellRect;
  DrawCanvasText(Canvas, S, r, format);
  return r.Bottom - r.Top;
}

void TCustomLazyStringTree_qn::AdjustPaintCellRect(TVTPaintInfo& PaintInfo, TColumnIndex& NextNonEmpty) {
  TLazyTreeColumns* columns = FHeader->Columns();
  if (!FOptions->AutoOptions().Contains(toAutoSpanColumns) || !FHeader->UseColumns() ||
      PaintInfo.BidiMode != bdLeftToRight) {
    inherited::AdjustPaintCellRect(PaintInfo, NextNonEmpty);
    return;
  }
  NextNonEmpty = columns->GetNextVisibleColumn(PaintInfo.Column);
  while (NextNonEmpty > NoColumn && columns->IsValidColumn(NextNonEmpty) &&
         ColumnIsEmpty(PaintInfo.Node, NextNonEmpty) &&
         columns->Items(NextNonEmpty)->BiDiMode() == bdLeftToRight) {
    PaintInfo.CellRect.Right += columns->Items(NextNonEmpty)->Width();
    NextNonEmpty = columns->GetNextVisibleColumn(NextNonEmpty);
  }
}

void TCustomLazyStringTree_qn::ClearWidthCaches() {
  for (PLazyNode n = GetFirstNoInit(false); n; n = GetNextNoInit(n, false))
    if (Cardinal* cache = WidthCache(n)) *cache = 0;
}

TRect TCustomLazyStringTree_qn::InvalidateNode(PLazyNode Node) {
  TRect r = inherited::InvalidateNode(Node);
  if (Cardinal* cache = WidthCache(Node)) {
    *cache = 0;
    Node->States.Exclude(vsHeightMeasured);
  }
  return r;
}

// A recursive re-initialization walks the subtree in the base class without a
// call per node, so the widths below are forgotten here once it is done.
void TCustomLazyStringTree_qn::ReinitNode(PLazyNode Node, bool Recursive) {
  inherited::ReinitNode(Node, Recursive);
  if (Recursive) ClearSubtreeWidthCaches(Node ? Node : RootNode());
  if (Cardinal* cache = WidthCache(Node)) *cache = 0;
}

void TCustomLazyStringTree_qn::ReinitChildren(PLazyNode Node, bool Recursive) {
  inherited::ReinitChildren(Node, Recursive);
  if (Recursive) ClearSubtreeWidthCaches(Node ? Node : RootNode());
}

void TCustomLazyStringTree_qn::ClearSubtreeWidthCaches(PLazyNode Node) {
  WalkSubtree(Node, [this](PLazyNode N) {
    if (Cardinal* cache = WidthCache(N)) *cache = 0;
    return true;
  });
}

void TCustomLazyStringTree_qn::MainColumnChanged() {
  inherited::MainColumnChanged();
  ClearWidthCaches();
}

void TCustomLazyStringTree_qn::FontMetricsChanged() {
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, Font()->Handle());
  TEXTMETRICW tm{};
  GetTextMetricsW(dc, &tm);
  FTextHeight = tm.tmHeight;
  SIZE size{0, 0};
  GetTextExtentPoint32W(dc, u"...", 3, &size);
  FEllipsisWidth = size.cx;
  SelectObject(dc, old);
  DeleteDC(dc);
  ClearWidthCaches();
}

void TCustomLazyStringTree_qn::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_SETFONT:
      inherited::Dispatch(Message);
      FontMetricsChanged();
      return;
    case CM_FONTCHANGED:
      inherited::Dispatch(Message);
      // Without a window no WM_SETFONT follows, yet painting into a bitmap
      // and measuring use the new font all the same.
      if (!HandleAllocated()) FontMetricsChanged();
      return;
    default: inherited::Dispatch(Message);
  }
}

// ---------------------------------------------------------------------------
// Painting

void TCustomLazyStringTree_qn::DoPaintNode(TVTPaintInfo& PaintInfo) {
  RedirectFontChangeEvent(PaintInfo.Canvas);
  try {
    String text = GetText(PaintInfo.Node, PaintInfo.Column);
    if (!text.empty()) PaintNormalText(PaintInfo, PaintInfo.Column, text);
    if (ShowsStaticText(PaintInfo.Node)) {
      text.clear();
      DoGetText(PaintInfo.Node, PaintInfo.Column, ttStatic, text);
      if (!text.empty()) PaintStaticText(PaintInfo, PaintInfo.Column, text);
    }
  } catch (...) {
    RestoreFontChangeEvent(PaintInfo.Canvas);
    throw;
  }
  RestoreFontChangeEvent(PaintInfo.Canvas);
}

void TCustomLazyStringTree_qn::InitializeTextProperties(TVTPaintInfo& PaintInfo) {
  TCanvas* canvas = PaintInfo.Canvas;
  PLazyNode node = PaintInfo.Node;
  canvas->Font()->Assign(Font());
  canvas->Font()->SetColor(Enabled() ? FColors->NodeFontColor() : FColors->DisabledColor());
  bool explorer = FStates.Contains(tsUseExplorerTheme);
  if (FOptions->PaintOptions().Contains(toHotTrack) && node == FCurrentHotNode && !explorer) {
    canvas->Font()->SetStyle(canvas->Font()->Style() + TFontStyles{TFontStyle::fsUnderline});
    canvas->Font()->SetColor(FColors->HotColor());
  }
  if (!PaintInfo.PaintOptions.Contains(poDrawSelection) || explorer) return;
  if (PaintInfo.Column != FFocusedColumn && !FOptions->SelectionOptions().Contains(toFullRowSelect)) return;
  bool selected = node->States.Contains(vsSelected);
  if (node == FDropTargetNode) {
    if (FLastDropMode == dmOnNode || selected) canvas->Font()->SetColor(FColors->SelectionTextColor());
  } else if (selected && (Focused() || FOptions->PaintOptions().Contains(toPopupMode))) {
    canvas->Font()->SetColor(FColors->SelectionTextColor());
  }
}

void TCustomLazyStringTree_qn::PaintNormalText(TVTPaintInfo& PaintInfo, TColumnIndex Column, String Text) {
  InitializeTextProperties(PaintInfo);
  TCanvas* canvas = PaintInfo.Canvas;
  PLazyNode node = PaintInfo.Node;
  TRect r = PaintInfo.ContentRect;
  canvas->SetTextFlags(0);
  r.Left += FTextMargin;
  r.Right -= FTextMargin;
  bool disabled = node->States.Contains(vsDisabled) || !Enabled();
  bool rtl = PaintInfo.BidiMode != bdLeftToRight;
  UINT format;
  if (!node->States.Contains(vsMultiline)) {
    FFontChanged = false;
    Integer tripleWidth = FEllipsisWidth;
    DoPaintText(node, canvas, Column, ttNormal);
    if (FFontChanged) {
      // The handler picked another font: the ellipsis and the text are
      // measured in it.
      tripleWidth = 0;
      PaintInfo.NodeWidth = canvas->TextWidth(Text) + 2 * FTextMargin;
    }
    if (disabled) canvas->Font()->SetColor(FColors->DisabledColor());
    format = DT_NOPREFIX | DT_VCENTER | DT_SINGLELINE;
    if (rtl) format |= DT_RTLREADING;
    if (Column >= 0 && PaintInfo.NodeWidth - 2 * FTextMargin > r.Width()) {
      Text = DoShortenString(canvas, node, Column, Text, r.Width(), tripleWidth);
      if (PaintInfo.Alignment == taRightJustify) format |= DT_RIGHT;
    } else {
      format |= AlignmentFlag(PaintInfo.Alignment);
    }
  } else {
    Integer height = ComputeNodeHeight(canvas, node, Column);
    DoPaintText(node, canvas, Column, ttNormal);
    if (disabled) canvas->Font()->SetColor(FColors->DisabledColor());
    format = AlignmentFlag(PaintInfo.Alignment) | DT_NOPREFIX | DT_WORDBREAK | DT_END_ELLIPSIS | DT_EDITCONTROL;
    if (rtl) format |= DT_RTLREADING;
    if (height < r.Height()) {
      Integer d = (r.Height() - height) / 2;
      r.Top += d;
      r.Bottom -= d;
    }
  }
  SetBkMode(canvas->Handle(), (canvas->TextFlags() & Integer(ETO_OPAQUE)) ? OPAQUE : TRANSPARENT);
  DoTextDrawing(PaintInfo, Text, r, format);
}

void TCustomLazyStringTree_qn::PaintStaticText(TVTPaintInfo& PaintInfo, TColumnIndex Column, const String& Text) {
  TCanvas* canvas = PaintInfo.Canvas;
  PLazyNode node = PaintInfo.Node;
  canvas->Font()->Assign(Font());
  if (FOptions->SelectionOptions().Contains(toFullRowSelect)) {
    bool selected = node->States.Contains(vsSelected);
    bool selectionText = node == FDropTargetNode
                             ? FLastDropMode == dmOnNode || selected
                             : selected && (Focused() || FOptions->PaintOptions().Contains(toPopupMode));
    canvas->Font()->SetColor(selectionText ? FColors->SelectionTextColor() : FColors->NodeFontColor());
  }
  UINT format = DT_NOPREFIX | DT_VCENTER | DT_SINGLELINE;
  DoPaintText(node, canvas, Column, ttStatic);
  if (node->States.Contains(vsDisabled) || !Enabled()) canvas->Font()->SetColor(FColors->DisabledColor());
  TRect r = PaintInfo.ContentRect;
  if (PaintInfo.Alignment == taRightJustify) r.Right -= PaintInfo.NodeWidth + FTextMargin;
  else r.Left += PaintInfo.NodeWidth + FTextMargin;
  SetBkMode(canvas->Handle(), (canvas->TextFlags() & Integer(ETO_OPAQUE)) ? OPAQUE : TRANSPARENT);
  DrawCanvasText(canvas, Text, r, format);
}

String TCustomLazyStringTree_qn::DoShortenString(TCanvas* Canvas, PLazyNode Node, TColumnIndex Column,
                                                 const String& S, Integer Width, Integer EllipsisWidth) {
  String result;
  bool done = false;
  if (Assigned(FOnShortenString)) FOnShortenString(this, Canvas, Node, Column, S, Width, result, done);
  if (!done) result = ShortenString(Canvas->Handle(), S, Width, EllipsisWidth);
  return result;
}

void TCustomLazyStringTree_qn::DoTextDrawing(TVTPaintInfo& PaintInfo, const String& Text, TRect CellRect,
                                             Cardinal DrawFormat) {
  bool defaultDraw = true;
  if (Assigned(FOnDrawText))
    FOnDrawText(this, PaintInfo.Canvas, PaintInfo.Node, PaintInfo.Column, Text, CellRect, defaultDraw);
  if (defaultDraw) DrawCanvasText(PaintInfo.Canvas, Text, CellRect, DrawFormat);
}

void TCustomLazyStringTree_qn::GetTextInfo(PLazyNode Node, TColumnIndex Column, TFont* AFont, TRect& R,
                                           String& Text) {
  inherited::GetTextInfo(Node, Column, AFont, R, Text);
  TCanvas* canvas = Canvas();
  Integer lineHeight = FTextHeight;
  RedirectFontChangeEvent(canvas);
  try {
    DoPaintText(Node, canvas, Column, ttNormal);
    if (FFontChanged) {
      AFont->Assign(canvas->Font());
      TEXTMETRICW tm{};
      GetTextMetricsW(canvas->Handle(), &tm);
      lineHeight = tm.tmHeight;
    }
  } catch (...) {
    RestoreFontChangeEvent(canvas);
    throw;
  }
  RestoreFontChangeEvent(canvas);
  Text = GetText(Node, Column);
  R = GetDisplayRect(Node, Column, true, !Node->States.Contains(vsMultiline));
  if (FOptions->PaintOptions().Contains(toShowHorzGridLines)) --R.Bottom;
  Integer d = (lineHeight - R.Height()) / 2;
  R.Top -= d;
  R.Bottom += d;
}

// ---------------------------------------------------------------------------
// Form files

void TCustomLazyStringTree_qn::DefineProperties(TFiler* Filer) {
  inherited::DefineProperties(Filer);
  Filer->DefineProperty(
      u"WideDefaultText", [this](TReader* Reader) { ReadText(Reader); },
      [this](TWriter* Writer) { WriteText(Writer); }, FDefaultText != u"Node");
  Filer->DefineProperty(
      u"StringOptions", [this](TReader* Reader) { ReadOldStringOptions(Reader); }, TWriterProc(), false);
}

void TCustomLazyStringTree_qn::ReadText(TReader* Reader) {
  TValueType kind = Reader->NextValue();
  SetDefaultText(kind == vaString || kind == vaLString ? Reader->ReadString() : Reader->ReadWideString());
}

void TCustomLazyStringTree_qn::WriteText(TWriter* Writer) { Writer->WriteString(FDefaultText); }

void TCustomLazyStringTree_qn::ReadOldStringOptions(TReader* Reader) {
  // Anything but a set is read past, so the reader stays in step with the
  // rest of the form and nothing changes.
  if (Reader->NextValue() != vaSet) {
    Reader->SkipValue();
    return;
  }
  UpdateDesigner();
  TVTStringOptions options;
  for (const String& name : Reader->ReadSetNames()) {
    TOldVTStringOption old;
    if (!TryEnumValue<TOldVTStringOption>(name, old)) continue;
    options.Include(old == soSaveCaptions ? toSaveCaptions : toShowStaticText);
  }
  TreeOptions()->SetStringOptions(options);
}

// ---------------------------------------------------------------------------
// The published tree

TLazyStringTree_qn::TLazyStringTree_qn(TComponent* AOwner) : TCustomLazyStringTree_qn(AOwner) { TreeOptions(); }

TTreeOptionsClass TLazyStringTree_qn::GetOptionsClass() const { return TStringTreeOptions::StaticClass(); }

}  // namespace qn

QN_PUBLISHED_IMPL(qn::TStringTreeOptions)
QN_PUBLISHED_IMPL(qn::TLazyStringTree_qn)
