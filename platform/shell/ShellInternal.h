// What the shell's units share.
#pragma once

#include <vector>

#include "platform/shell/ShellAPI.h"

namespace vcl::shell {

// A file-drop block as read within its size.
struct TDropContent {
  std::vector<String> Files;
  POINT Point;
  bool NonClient = false;
  bool Wide = false;
};
// False when the block is missing or shorter than its head.
bool ReadDrop(HDROP hDrop, TDropContent& out);
HGLOBAL MakeDropBlock(const std::vector<String>& files, POINT pt, bool nonClient);

// The shell's own drag picture of some items (a page and their count in a
// badge) given to a layered window whose top left goes to at.
void PaintItemsPicture(HWND h, UINT count, POINT at);
constexpr int ItemsPictureWidth = 96, ItemsPictureHeight = 40;
// The number of files a data object offers as CF_HDROP (at least 1).
UINT ItemCount(IDataObject* obj);
// The window class of drag pictures, registered on first use.
const Char* DragImageClass();
// The helper's picture window while its picture rides a drag, else nullptr;
// whether a picture waits for this data object's drag.
HWND HelperPictureWindow();
bool HelperPictureDue(IDataObject* obj);

}  // namespace vcl::shell
