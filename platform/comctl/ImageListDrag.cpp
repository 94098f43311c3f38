// The drag image of the image lists: a copy of the dragged image, shown in a
// topmost layered window that follows the pointer and never takes it.
#include <algorithm>
#include <cstring>
#include <mutex>
#include <vector>

#include "platform/comctl/CommCtrl.h"
#include "platform/user/User.h"

namespace vcl {

namespace {

struct TDrag {
  HIMAGELIST Track = nullptr;  // our copy; image 0 is the dragged one
  POINT Hot{0, 0};
  HIMAGELIST Cursor = nullptr;  // the cursor image laid over it, if any
  POINT CursorHot{0, 0};
  HWND Lock = nullptr;
  POINT Pos{0, 0};  // relative to Lock's window rectangle (the screen without one)
  bool Shown = false;
  HWND Window = nullptr;
  // The composed picture: its size and where the hot spot lies in it.
  int Width = 0, Height = 0;
  POINT PictureHot{0, 0};
};

std::recursive_mutex gDragLock;
TDrag* gDrag = nullptr;

const char16_t* kClass = u"QnDragImageWindow";

// A copy of one image: the whole list duplicated, the others removed, so
// colour, alpha and mask stay exactly as they were.
HIMAGELIST CopyOne(HIMAGELIST src, int index) {
  HIMAGELIST copy = ImageList_Duplicate(src);
  if (!copy) return nullptr;
  int n = ImageList_GetImageCount(copy);
  for (int k = n - 1; k >= 0; --k)
    if (k != index) ImageList_Remove(copy, k);
  return copy;
}

POINT ScreenPos(const TDrag& d) {
  POINT p = d.Pos;
  if (d.Lock && IsWindow(d.Lock)) {
    RECT r;
    GetWindowRect(d.Lock, &r);
    p.X += r.Left;
    p.Y += r.Top;
  }
  return POINT(p.X - d.PictureHot.X, p.Y - d.PictureHot.Y);
}

void DrawInto(HIMAGELIST il, HDC dc, int x, int y) {
  ImageList_DrawEx(il, 0, dc, x, y, 0, 0, CLR_NONE, CLR_DEFAULT, ILD_TRANSPARENT);
}

// Builds the picture (drag image with the cursor image over it, hot spots
// aligned) and hands it to the layered window.
void Compose(TDrag& d) {
  int w = 0, h = 0, cw = 0, ch = 0;
  ImageList_GetIconSize(d.Track, &w, &h);
  int left = 0, top = 0, right = w, bottom = h;
  POINT cursorAt{0, 0};
  if (d.Cursor) {
    ImageList_GetIconSize(d.Cursor, &cw, &ch);
    cursorAt = POINT(d.Hot.X - d.CursorHot.X, d.Hot.Y - d.CursorHot.Y);
    left = std::min(left, int(cursorAt.X));
    top = std::min(top, int(cursorAt.Y));
    right = std::max(right, int(cursorAt.X) + cw);
    bottom = std::max(bottom, int(cursorAt.Y) + ch);
  }
  d.Width = std::max(1, right - left);
  d.Height = std::max(1, bottom - top);
  d.PictureHot = POINT(d.Hot.X - left, d.Hot.Y - top);
  BITMAPINFO bi;
  bi.bmiHeader.biWidth = d.Width;
  bi.bmiHeader.biHeight = -d.Height;
  bi.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP bmp = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!bmp || !bits) return;
  std::memset(bits, 0, size_t(d.Width) * size_t(d.Height) * 4);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, bmp);
  DrawInto(d.Track, dc, -left, -top);
  if (d.Cursor) DrawInto(d.Cursor, dc, int(cursorAt.X) - left, int(cursorAt.Y) - top);
  if (!d.Window) {
    WNDCLASSEXW wc;
    if (!GetClassInfoExW(nullptr, kClass, &wc)) {
      WNDCLASSEXW nc;
      nc.lpfnWndProc = DefWindowProcW;
      nc.lpszClassName = kClass;
      RegisterClassExW(&nc);
    }
    d.Window = CreateWindowExW(WS_EX_LAYERED | WS_EX_TOPMOST | WS_EX_TRANSPARENT | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE,
                               kClass, u"", WS_POPUP, 0, 0, d.Width, d.Height, nullptr, nullptr, nullptr, nullptr);
  }
  if (d.Window) {
    POINT at = ScreenPos(d), src{0, 0};
    SIZE size{d.Width, d.Height};
    BLENDFUNCTION blend;
    blend.BlendOp = AC_SRC_OVER;
    blend.SourceConstantAlpha = 255;
    blend.AlphaFormat = AC_SRC_ALPHA;
    UpdateLayeredWindow(d.Window, nullptr, &at, &size, dc, &src, 0, &blend, ULW_ALPHA);
  }
  SelectObject(dc, old);
  DeleteDC(dc);
  DeleteObject(bmp);
}

void Place(TDrag& d) {
  if (!d.Window) return;
  if (d.Shown) {
    POINT at = ScreenPos(d);
    SetWindowPos(d.Window, HWND_TOPMOST, at.X, at.Y, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  } else if (IsWindowVisible(d.Window)) {
    ShowWindow(d.Window, SW_HIDE);
  }
}

}  // namespace

BOOL ImageList_BeginDrag(HIMAGELIST himlTrack, int iTrack, int dxHotspot, int dyHotspot) {
  std::lock_guard<std::recursive_mutex> lk(gDragLock);
  if (gDrag || iTrack < 0 || iTrack >= ImageList_GetImageCount(himlTrack)) return false;
  HIMAGELIST copy = CopyOne(himlTrack, iTrack);
  if (!copy) return false;
  gDrag = new TDrag;
  gDrag->Track = copy;
  gDrag->Hot = POINT(dxHotspot, dyHotspot);
  Compose(*gDrag);
  return true;
}

BOOL ImageList_DragEnter(HWND hwndLock, int x, int y) {
  std::lock_guard<std::recursive_mutex> lk(gDragLock);
  if (!gDrag || (hwndLock && !IsWindow(hwndLock))) return false;
  gDrag->Lock = hwndLock;
  gDrag->Pos = POINT(x, y);
  gDrag->Shown = true;
  Place(*gDrag);
  return true;
}

BOOL ImageList_DragMove(int x, int y) {
  std::lock_guard<std::recursive_mutex> lk(gDragLock);
  if (!gDrag) return false;
  gDrag->Pos = POINT(x, y);
  Place(*gDrag);
  return true;
}

BOOL ImageList_DragLeave(HWND hwndLock) {
  std::lock_guard<std::recursive_mutex> lk(gDragLock);
  if (!gDrag) return false;
  (void)hwndLock;
  gDrag->Shown = false;
  gDrag->Lock = nullptr;
  Place(*gDrag);
  return true;
}

BOOL ImageList_DragShowNolock(BOOL fShow) {
  std::lock_guard<std::recursive_mutex> lk(gDragLock);
  if (!gDrag) return false;
  gDrag->Shown = fShow != 0;
  Place(*gDrag);
  return true;
}

void ImageList_EndDrag() {
  std::lock_guard<std::recursive_mutex> lk(gDragLock);
  if (!gDrag) return;
  if (gDrag->Window && IsWindow(gDrag->Window)) DestroyWindow(gDrag->Window);
  ImageList_Destroy(gDrag->Track);
  if (gDrag->Cursor) ImageList_Destroy(gDrag->Cursor);
  delete gDrag;
  gDrag = nullptr;
}

BOOL ImageList_SetDragCursorImage(HIMAGELIST himlDrag, int iDrag, int dxHotspot, int dyHotspot) {
  std::lock_guard<std::recursive_mutex> lk(gDragLock);
  if (!gDrag || iDrag < 0 || iDrag >= ImageList_GetImageCount(himlDrag)) return false;
  HIMAGELIST copy = CopyOne(himlDrag, iDrag);
  if (!copy) return false;
  if (gDrag->Cursor) ImageList_Destroy(gDrag->Cursor);
  gDrag->Cursor = copy;
  gDrag->CursorHot = POINT(dxHotspot, dyHotspot);
  Compose(*gDrag);
  Place(*gDrag);
  return true;
}

HIMAGELIST ImageList_GetDragImage(POINT* ppt, POINT* pptHotspot) {
  std::lock_guard<std::recursive_mutex> lk(gDragLock);
  if (!gDrag) return nullptr;
  if (ppt) *ppt = gDrag->Pos;
  if (pptHotspot) *pptHotspot = gDrag->Hot;
  return gDrag->Track;
}

HWND ImageList_DragWindow() {
  std::lock_guard<std::recursive_mutex> lk(gDragLock);
  return gDrag ? gDrag->Window : nullptr;
}

bool ImageList_DragImageVisible() {
  std::lock_guard<std::recursive_mutex> lk(gDragLock);
  return gDrag && gDrag->Window && IsWindowVisible(gDrag->Window);
}

}  // namespace vcl
