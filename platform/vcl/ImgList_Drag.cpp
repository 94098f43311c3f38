// TDragImageList: the image lists' drag image through the common controls'
// drag functions.
#include "platform/vcl/ImgList.h"

#include "platform/vcl/ControlsInternal.h"

namespace vcl {

TDragImageList::~TDragImageList() {
  // A list freed in the middle of its drag takes the image with it.
  if (FDragging) ImageList_EndDrag();
  controls_detail::DragImagesDestroyed(this);
}

bool TDragImageList::SetDragImage(Integer Index, Integer HotSpotX, Integer HotSpotY) {
  if (Index < 0 || Index >= Count()) return false;
  FDragIndex = Index;
  FDragHotspot = TPoint(HotSpotX, HotSpotY);
  return true;
}

bool TDragImageList::BeginDrag(HWND Window, Integer X, Integer Y) {
  if (FDragging) EndDrag();
  if (!HandleAllocated() && Count() == 0) return false;
  if (FDragIndex < 0 || FDragIndex >= Count()) return false;
  if (!ImageList_BeginDrag(Handle(), FDragIndex, FDragHotspot.X, FDragHotspot.Y)) return false;
  FDragging = true;
  return DragLock(Window, X, Y);
}

bool TDragImageList::DragLock(HWND Window, Integer XPos, Integer YPos) {
  if (!FDragging) return false;
  FLockedWindow = Window;
  return ImageList_DragEnter(Window, XPos, YPos) != 0;
}

bool TDragImageList::DragMove(Integer X, Integer Y) { return FDragging && ImageList_DragMove(X, Y) != 0; }

void TDragImageList::DragUnlock() {
  if (!FDragging) return;
  ImageList_DragLeave(FLockedWindow);
  FLockedWindow = nullptr;
}

bool TDragImageList::EndDrag() {
  if (!FDragging) return false;
  ImageList_EndDrag();
  FDragging = false;
  FLockedWindow = nullptr;
  return true;
}

void TDragImageList::HideDragImage() {
  if (FDragging) ImageList_DragShowNolock(false);
}

void TDragImageList::ShowDragImage() {
  if (FDragging) ImageList_DragShowNolock(true);
}

}  // namespace vcl
