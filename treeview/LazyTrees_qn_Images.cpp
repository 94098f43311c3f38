// The images a row shows: the node's normal, state and overlay images as
// the host names them, and its check image from the active check set.
#include <algorithm>

#include "platform/comctl/CommCtrl.h"
#include "platform/gdi/Gdi.h"
#include "treeview/LazyTrees_qn_Appearance.h"

namespace qn {

// ---------------------------------------------------------------------------
// Image indices

TCustomImageList* TBaseLazyTree_qn::DoGetImageIndex(PLazyNode Node, TVTImageKind Kind, TColumnIndex Column,
                                                     bool& Ghosted, Integer& Index) {
  TCustomImageList* list = nullptr;
  if (Assigned(FOnGetImageEx)) FOnGetImageEx(this, Node, Kind, Column, Ghosted, Index, list);
  else if (Assigned(FOnGetImage)) FOnGetImage(this, Node, Kind, Column, Ghosted, Index);
  return list;
}

void TBaseLazyTree_qn::GetImageIndex(TVTPaintInfo& Info, TVTImageKind Kind, TVTImageInfoIndex InfoIndex,
                                     TCustomImageList* DefaultImages) {
  TVTImageInfo& image = Info.ImageInfo[std::size_t(InfoIndex)];
  image.Index = -1;
  image.Ghosted = false;
  TCustomImageList* list = DoGetImageIndex(Info.Node, Kind, Info.Column, image.Ghosted, image.Index);
  image.Images = list ? list : DefaultImages;
}

bool TBaseLazyTree_qn::HasImage(PLazyNode Node, TVTImageKind Kind, TColumnIndex Column) {
  if (!Node || Node == FRoot) return false;
  if (!Node->States.Contains(vsInitialized)) InitNode(Node);
  bool ghosted = false;
  Integer index = -1;
  DoGetImageIndex(Node, Kind, Column, ghosted, index);
  return index > -1;
}

TSize TBaseLazyTree_qn::GetNodeImageSize(PLazyNode) {
  return FImages ? TSize(FImages->Width(), FImages->Height()) : TSize(0, 0);
}

void TBaseLazyTree_qn::DoGetImageText(PLazyNode Node, TVTImageKind Kind, TColumnIndex Column, String& ImageText) {
  if (Assigned(OnGetImageText)) OnGetImageText(this, Node, Kind, Column, ImageText);
}

// ---------------------------------------------------------------------------
// Painting images

namespace {
COLORREF ListColor(TColor C) {
  if (C == clNone) return CLR_NONE;
  if (C == clDefault) return CLR_DEFAULT;
  return ColorToRGB(C);
}
}  // namespace

void TBaseLazyTree_qn::PaintImage(TVTPaintInfo& PaintInfo, TVTImageInfoIndex ImageInfoIndex, bool DoOverlay) {
  PLazyNode node = PaintInfo.Node;
  const TVTPaintOptions& paint = FOptions->PaintOptions();
  bool cutNode = node->States.Contains(vsCutOrCopy) && FStates.Contains(tsCutPending);
  bool withFocus = Focused() || paint.Contains(toGhostedIfUnfocused);
  if (DoOverlay) GetImageIndex(PaintInfo, ikOverlay, iiOverlay, FImages);
  else PaintInfo.ImageInfo[std::size_t(iiOverlay)].Index = -1;
  const TVTImageInfo& image = PaintInfo.ImageInfo[std::size_t(ImageInfoIndex)];
  const TVTImageInfo& overlay = PaintInfo.ImageInfo[std::size_t(iiOverlay)];
  TCustomImageList* list = image.Images;
  if (!list || image.Index < 0 || image.Index >= list->Count()) return;
  bool drawEnabled = !node->States.Contains(vsDisabled) && Enabled();
  bool selected = node->States.Contains(vsSelected);
  // The colour the half blend mixes in. It is handed to the draw call
  // rather than stored in the list: changing the list would tell every
  // client, this tree included, to repaint while it paints.
  TColor blend = !selected || image.Ghosted ? Color() : clDefault;
  UINT style = ILD_TRANSPARENT;
  if (overlay.Index >= 0 && overlay.Index <= 14) style |= INDEXTOOVERLAYMASK(UINT(overlay.Index + 1));
  const TVTMiscOptions& misc = FOptions->MiscOptions();
  if (paint.Contains(toUseBlendedImages) && withFocus &&
      (image.Ghosted ||
       (selected && !FOptions->SelectionOptions().Contains(toFullRowSelect) && !misc.Contains(toGridExtensions)) ||
       cutNode))
    style |= ILD_BLEND50;
  if (list->ImageType() == itMask) style |= ILD_MASK;
  HDC dc = PaintInfo.Canvas->Handle();
  if (drawEnabled) {
    ImageList_DrawEx(list->Handle(), image.Index, dc, image.XPos, image.YPos, 0, 0, CLR_NONE, ListColor(blend), style);
  } else {
    IMAGELISTDRAWPARAMS p;
    p.himl = list->Handle();
    p.i = image.Index;
    p.hdcDst = dc;
    p.x = image.XPos;
    p.y = image.YPos;
    p.rgbBk = CLR_NONE;
    p.rgbFg = ListColor(blend);
    p.fStyle = style & ~UINT(ILD_BLEND50);
    p.fState = ILS_SATURATE;
    ImageList_DrawIndirect(&p);
  }
  // Overlays past the platform's fifteen are plain images laid on top.
  if (overlay.Index >= 15 && overlay.Images && overlay.Index < overlay.Images->Count())
    ImageList_DrawEx(overlay.Images->Handle(), overlay.Index, dc, image.XPos, image.YPos, 0, 0, CLR_NONE, CLR_NONE,
                     ILD_TRANSPARENT);
}

void TBaseLazyTree_qn::PaintCheckImage(TCanvas* Canvas, const TVTImageInfo& ImageInfo, bool Selected) {
  Integer index = ImageInfo.Index;
  if (FStates.Contains(tsUseThemes) && FCheckImageKind == ckSystemDefault) {
    TThemedButton element = tbButtonRoot;
    if (index >= 1 && index <= 20) element = TThemedButton(Integer(tbRadioButtonUncheckedNormal) + index - 1);
    else if (index >= 21 && index <= 24) element = TThemedButton(Integer(tbPushButtonNormal) + index - 21);
    TRect r(ImageInfo.XPos - 1, ImageInfo.YPos + 1, ImageInfo.XPos + 16, ImageInfo.YPos + 16);
    TreeThemes::DrawElement(Canvas->Handle(), TreeThemes::GetElementDetails(element), r);
    if (index >= 21 && index <= 24 && UtilityImages())
      UtilityImages()->Draw(Canvas, ImageInfo.XPos - 1, ImageInfo.YPos, 4, dsTransparent, itImage);
    return;
  }
  TCustomImageList* list = FCheckImages;
  if (!list || index < 0 || index >= list->Count()) return;
  TColor fore = list->BlendColor();
  if (Selected && !ImageInfo.Ghosted)
    fore = Focused() || FOptions->PaintOptions().Contains(toPopupMode) ? FColors->FocusedSelectionColor()
                                                                       : FColors->UnfocusedSelectionColor();
  ImageList_DrawEx(list->Handle(), index, Canvas->Handle(), ImageInfo.XPos, ImageInfo.YPos, 0, 0,
                   ListColor(list->BkColor()), ListColor(fore), ILD_TRANSPARENT);
}

// ---------------------------------------------------------------------------
// Check image lists

TCustomImageList* TBaseLazyTree_qn::GetCheckImageListFor(TCheckImageKind Kind) {
  return Kind == ckCustom ? FCustomCheckImages : SharedCheckImages(Kind);
}

void TBaseLazyTree_qn::SetCheckImageKind(TCheckImageKind Value) {
  if (FCheckImageKind == Value) return;
  FCheckImageKind = Value;
  FCheckImages = GetCheckImageListFor(Value);
  if (HandleAllocated() && FUpdateCount == 0 && !ComponentState().Contains(csLoading)) Invalidate();
}

}  // namespace qn
