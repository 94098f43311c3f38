// The tree's side of the node drag picture: the source paints its selected
// nodes into the picture, and a tree under the pointer repaints around the
// picture, painting the part beneath it only into the picture's saved
// background so the picture never flickers.
#include <algorithm>

#include "platform/user/User.h"
#include "treeview/LazyTrees_qn.h"
#include "treeview/LazyTrees_qn_Appearance.h"

namespace qn {

bool TBaseLazyTree_qn::CanShowDragImage() { return FDragImageKind != diNoImage; }

void TBaseLazyTree_qn::PrepareDragImage(TPoint HotSpot, IDataObject* DataObject) {
  if (!CanShowDragImage() || !FDragImage || !HandleAllocated()) return;
  const Integer w = std::max(FDragWidth, 0), h = std::max(FDragHeight, 0);
  if (w == 0 || h == 0) return;
  const TPoint target(HotSpot.X + FEffectiveOffsetX, HotSpot.Y - FOffsetY);
  TRect treeRect(target.X - w / 2, target.Y - h / 2, 0, 0);
  treeRect.Right = treeRect.Left + w;
  treeRect.Bottom = treeRect.Top + h;
  TRect paintRect = treeRect;
  TPoint paintTarget(0, 0);
  if (paintRect.Left < 0) {
    paintTarget.X = -paintRect.Left;
    paintRect.Left = 0;
  }
  if (paintRect.Top < 0) {
    paintTarget.Y = -paintRect.Top;
    paintRect.Top = 0;
  }
  const TColor background = FColors->BackGroundColor();
  TBitmap image;
  image.SetPixelFormat(TPixelFormat::pf32bit);
  image.SetSize(w, h);
  image.Canvas()->Brush()->SetColor(background);
  image.Canvas()->FillRect(TRect(0, 0, w, h));
  TVTInternalPaintOptions options{poDrawSelection, poSelectedOnly};
  if (FDragImageKind == diMainColumnOnly) options.Include(poMainOnly);
  PaintTree(image.Canvas(), paintRect, paintTarget, options, TPixelFormat::pf32bit);
  const TPoint topLeft = ClientToScreen(TPoint(treeRect.Left - FEffectiveOffsetX, treeRect.Top + FOffsetY));
  FDragImage->SetColorKey(background);
  FDragImage->PrepareDrag(&image, topLeft, ClientToScreen(HotSpot), DataObject);
}

TBaseLazyTree_qn* TBaseLazyTree_qn::DragImageSource(TObject* Source) {
  if (FDragManager && FDragManager->GetDropTargetHelperSupported()) return nullptr;
  auto* tree = dynamic_cast<TBaseLazyTree_qn*>(Source);
  return tree && tree->FDragImage ? tree : nullptr;
}

void TBaseLazyTree_qn::HideDragImageOver(TBaseLazyTree_qn* Tree) {
  if (!Tree || !Tree->FDragImage) return;
  TVTDragImage* image = Tree->FDragImage.get();
  // While the picture showed, the window's own pixels under it were held
  // back (only the saved background was painted). They catch up first,
  // while the picture still covers them, so that what the picture gives
  // back is what the window shows: a paint after the caller's next change
  // then always lands on the screen.
  if (image->GetVisible() && HandleAllocated())
    RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_NOERASE | RDW_UPDATENOW);
  image->HideDragImage();
}

void TBaseLazyTree_qn::MoveDragImageOver(TBaseLazyTree_qn* Tree, TPoint Pt) {
  if (!Tree || !Tree->FDragImage) return;
  TVTDragImage* image = Tree->FDragImage.get();
  const TRect before = image->GetDragImageRect();
  if (!before.IsEmpty() && HandleAllocated()) {
    // Where the picture is about to leave, the window catches up first (see
    // HideDragImageOver).
    const TPoint last = image->LastPosition();
    const Integer dx = image->MoveRestriction() == dmrVerticalOnly ? 0 : Pt.X - last.X;
    const Integer dy = image->MoveRestriction() == dmrHorizontalOnly ? 0 : Pt.Y - last.Y;
    const TPoint origin = ClientToScreen(TPoint(0, 0));
    TRect old = before;
    OffsetRect(old, -origin.X, -origin.Y);
    TRect next = old;
    OffsetRect(next, dx, dy);
    HRGN left = CreateRectRgn(old.Left, old.Top, old.Right, old.Bottom);
    HRGN covered = CreateRectRgn(next.Left, next.Top, next.Right, next.Bottom);
    const TRect client = ClientRect();
    HRGN inner = CreateRectRgn(client.Left, client.Top, client.Right, client.Bottom);
    HRGN frame = CreateRectRgn(0, 0, 0, 0);
    if (CombineRgn(left, left, covered, RGN_DIFF) != NULLREGION) {
      // The frame is painted whole, under the picture too; the move shows
      // the picture afresh over it.
      if (CombineRgn(frame, left, inner, RGN_DIFF) != NULLREGION)
        RedrawWindow(Handle(), nullptr, frame,
                     RDW_INVALIDATE | RDW_NOERASE | RDW_NOCHILDREN | RDW_UPDATENOW | RDW_FRAME);
      if (CombineRgn(left, left, inner, RGN_AND) != NULLREGION)
        RedrawWindow(Handle(), nullptr, left, RDW_INVALIDATE | RDW_NOERASE | RDW_NOCHILDREN | RDW_UPDATENOW);
    }
    DeleteObject(frame);
    DeleteObject(inner);
    DeleteObject(covered);
    DeleteObject(left);
  }
  image->DragTo(Pt, false);
}

void TBaseLazyTree_qn::UpdateWindowAndDragImage(TBaseLazyTree_qn* Tree, TRect TreeRect, bool UpdateNCArea,
                                                bool ReshowDragImage) {
  if (!HandleAllocated()) return;
  const TRect client = ClientRect();
  if (!IntersectRect(TreeRect, TreeRect, client)) return;
  TVTDragImage* image = Tree ? Tree->FDragImage.get() : nullptr;
  TRect dragRect;
  if (image && image->GetVisible()) {
    dragRect = image->GetDragImageRect();
    const TPoint topLeft = ScreenToClient(TPoint(dragRect.Left, dragRect.Top));
    OffsetRect(dragRect, topLeft.X - dragRect.Left, topLeft.Y - dragRect.Top);
  }
  HRGN dragRegion = CreateRectRgn(dragRect.Left, dragRect.Top, dragRect.Right, dragRect.Bottom);
  // The window is painted before the picture's part: the host paints a
  // frame whole, and a picture shown first would lose what the frame covers.
  if (UpdateNCArea) {
    RECT window;
    GetWindowRect(Handle(), &window);
    const TPoint origin = ScreenToClient(TPoint(window.Left, window.Top));
    HRGN frame = CreateRectRgn(origin.X, origin.Y, origin.X + (window.Right - window.Left),
                               origin.Y + (window.Bottom - window.Top));
    HRGN inner = CreateRectRgn(client.Left, client.Top, client.Right, client.Bottom);
    CombineRgn(frame, frame, inner, RGN_DIFF);
    CombineRgn(frame, frame, dragRegion, RGN_DIFF);
    RedrawWindow(Handle(), nullptr, frame, RDW_INVALIDATE | RDW_VALIDATE | RDW_NOERASE | RDW_NOCHILDREN |
                                               RDW_UPDATENOW | RDW_FRAME);
    DeleteObject(inner);
    DeleteObject(frame);
  }
  HRGN area = CreateRectRgn(TreeRect.Left, TreeRect.Top, TreeRect.Right, TreeRect.Bottom);
  CombineRgn(area, area, dragRegion, RGN_DIFF);
  RedrawWindow(Handle(), nullptr, area, RDW_INVALIDATE | RDW_VALIDATE | RDW_NOERASE | RDW_NOCHILDREN | RDW_UPDATENOW);
  DeleteObject(area);
  if (image && image->GetVisible()) {
    // The part under the picture goes only into its saved background; the
    // window keeps it validated so no later update paints over the picture.
    HRGN under = CreateRectRgn(TreeRect.Left, TreeRect.Top, TreeRect.Right, TreeRect.Bottom);
    CombineRgn(under, under, dragRegion, RGN_AND);
    ValidateRgn(Handle(), under);
    DeleteObject(under);
    HRGN visible = CreateRectRgn(0, 0, 0, 0);
    if (HDC dc = GetDCEx(Handle(), nullptr, DCX_WINDOW | DCX_CACHE | DCX_CLIPCHILDREN | DCX_CLIPSIBLINGS)) {
      if (GetRandomRgn(dc, visible, SYSRGN) != 1) SetRectRgn(visible, 0, 0, 0, 0);
      ReleaseDC(Handle(), dc);
    }
    image->RecaptureBackground(this, TreeRect, visible, UpdateNCArea, ReshowDragImage);
    DeleteObject(visible);
  }
  DeleteObject(dragRegion);
}

}  // namespace qn
