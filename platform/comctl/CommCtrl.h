// The common controls of the host layer: image lists (this header's first
// part) and the bitmaps mapped to system colours that button art is loaded
// as.
//
// An image list holds images of one size. Each image keeps 32-bit colour
// with alpha and a 1-bit mask (set = transparent). An image added from a
// 32-bit bitmap whose alpha bytes are not all 0 is an alpha image: it
// composes by its alpha and its mask is where alpha is 0 or a given mask
// (bitmap or colour key) is set. Other images are
// opaque where the mask is clear; without ILC_MASK they have no mask at all.
//
// How drawing looks (our documented rules, which tests probe):
//   - background: the call's rgbBk (CLR_DEFAULT: the list's BkColor). With
//     ILD_TRANSPARENT or a CLR_NONE background the pixels under the mask are
//     left untouched and alpha images blend over the destination; otherwise
//     the whole cell is painted: mask pixels take the background colour and
//     alpha images blend over it.
//   - ILD_BLEND50 / ILD_BLEND25 mix 50 % / 25 % of the foreground colour
//     (rgbFg; CLR_DEFAULT: the highlight colour, CLR_NONE: no mix) into the
//     image's pixels.
//   - ILD_MASK draws the mask instead of the image: black where the image
//     is, white under the mask (left untouched with a transparent draw).
//   - INDEXTOOVERLAYMASK(n) draws overlay n (SetOverlayImage, 1..15) over
//     the image, transparently.
//   - ILS_SATURATE (DrawIndirect) draws in greys (luma 0.30 R + 0.59 G +
//     0.11 B); ILS_ALPHA scales the image's alpha by Frame / 255.
#pragma once
#include "platform/rtl/MacroShield.h"

#include "platform/gdi/Gdi.h"
#include "platform/gdi/GdiIcon.h"
#include "platform/user/User.h"

namespace vcl {

struct IMAGELIST__;
using HIMAGELIST = IMAGELIST__*;

constexpr UINT ILC_MASK = 0x0001, ILC_COLOR = 0x0000, ILC_COLORDDB = 0x00FE, ILC_COLOR4 = 0x0004,
               ILC_COLOR8 = 0x0008, ILC_COLOR16 = 0x0010, ILC_COLOR24 = 0x0018, ILC_COLOR32 = 0x0020,
               ILC_PALETTE = 0x0800, ILC_MIRROR = 0x2000;
constexpr UINT ILD_NORMAL = 0x0000, ILD_TRANSPARENT = 0x0001, ILD_BLEND25 = 0x0002, ILD_BLEND50 = 0x0004,
               ILD_MASK = 0x0010, ILD_IMAGE = 0x0020, ILD_ROP = 0x0040, ILD_OVERLAYMASK = 0x0F00,
               ILD_PRESERVEALPHA = 0x1000, ILD_SCALE = 0x2000, ILD_DPISCALE = 0x4000,
               ILD_SELECTED = ILD_BLEND50, ILD_FOCUS = ILD_BLEND25, ILD_BLEND = ILD_BLEND50;
constexpr UINT INDEXTOOVERLAYMASK(UINT i) { return i << 8; }
constexpr DWORD ILS_NORMAL = 0x0, ILS_GLOW = 0x1, ILS_SHADOW = 0x2, ILS_SATURATE = 0x4, ILS_ALPHA = 0x8;
constexpr UINT ILCF_MOVE = 0x0, ILCF_SWAP = 0x1;
constexpr COLORREF CLR_NONE = 0xFFFFFFFF, CLR_DEFAULT = 0xFF000000, CLR_HILIGHT = CLR_DEFAULT;

struct IMAGEINFO {
  HBITMAP hbmImage = nullptr;  // the list's own bitmaps: images side by side
  HBITMAP hbmMask = nullptr;
  int Unused1 = 0, Unused2 = 0;
  RECT rcImage;  // where the image lies in them
};

struct IMAGELISTDRAWPARAMS {
  DWORD cbSize = sizeof(IMAGELISTDRAWPARAMS);
  HIMAGELIST himl = nullptr;
  int i = 0;
  HDC hdcDst = nullptr;
  int x = 0, y = 0;
  int cx = 0, cy = 0;            // 0: the whole image
  int xBitmap = 0, yBitmap = 0;  // offset into the image
  COLORREF rgbBk = CLR_DEFAULT;
  COLORREF rgbFg = CLR_DEFAULT;
  UINT fStyle = ILD_NORMAL;
  DWORD dwRop = 0;
  DWORD fState = ILS_NORMAL;
  DWORD Frame = 0;  // the alpha for ILS_ALPHA
  COLORREF crEffect = 0;
};

// cx x cy images; initial and grow are allocation hints. nullptr for sizes
// that are not positive.
HIMAGELIST ImageList_Create(int cx, int cy, UINT flags, int initial, int grow);
BOOL ImageList_Destroy(HIMAGELIST himl);
// A new list with the same images and settings.
HIMAGELIST ImageList_Duplicate(HIMAGELIST himl);
int ImageList_GetImageCount(HIMAGELIST himl);
// Grows with blank (transparent) images or drops the last ones.
BOOL ImageList_SetImageCount(HIMAGELIST himl, UINT count);
// Adds one image per cx columns of the bitmap (at least one); the mask
// bitmap (1 = transparent) may be nullptr. Returns the first new index, -1
// on failure. The caller keeps its bitmaps.
int ImageList_Add(HIMAGELIST himl, HBITMAP image, HBITMAP mask);
// The same with the pixels of colour mask transparent.
int ImageList_AddMasked(HIMAGELIST himl, HBITMAP image, COLORREF mask);
BOOL ImageList_Replace(HIMAGELIST himl, int i, HBITMAP image, HBITMAP mask);
// i = -1 appends; returns the index, -1 on failure.
int ImageList_ReplaceIcon(HIMAGELIST himl, int i, HICON icon);
inline int ImageList_AddIcon(HIMAGELIST himl, HICON icon) { return ImageList_ReplaceIcon(himl, -1, icon); }
// i = -1 removes every image.
BOOL ImageList_Remove(HIMAGELIST himl, int i);
inline BOOL ImageList_RemoveAll(HIMAGELIST himl) { return ImageList_Remove(himl, -1); }
// ILCF_MOVE copies image iSrc of src over iDst of dst; ILCF_SWAP swaps the
// two. Both lists must have the same image size.
BOOL ImageList_Copy(HIMAGELIST dst, int iDst, HIMAGELIST src, int iSrc, UINT flags);
BOOL ImageList_GetIconSize(HIMAGELIST himl, int* cx, int* cy);
// Changes the size and removes every image.
BOOL ImageList_SetIconSize(HIMAGELIST himl, int cx, int cy);
COLORREF ImageList_GetBkColor(HIMAGELIST himl);
// Returns the previous colour; CLR_NONE draws transparently.
COLORREF ImageList_SetBkColor(HIMAGELIST himl, COLORREF bk);
// Makes image i overlay number overlay (1..15).
BOOL ImageList_SetOverlayImage(HIMAGELIST himl, int i, int overlay);
BOOL ImageList_Draw(HIMAGELIST himl, int i, HDC dc, int x, int y, UINT style);
BOOL ImageList_DrawEx(HIMAGELIST himl, int i, HDC dc, int x, int y, int dx, int dy, COLORREF bk, COLORREF fg,
                      UINT style);
BOOL ImageList_DrawIndirect(const IMAGELISTDRAWPARAMS* params);
BOOL ImageList_GetImageInfo(HIMAGELIST himl, int i, IMAGEINFO* info);
// A new icon of image i (the caller destroys it).
HICON ImageList_GetIcon(HIMAGELIST himl, int i, UINT flags);
// Image lists alive, for leak checks in tests.
int ImageListObjectCount();

// Reads a bitmap resource and maps its colours: with no map given, black,
// grey (128), silver (192) and white become COLOR_BTNTEXT, COLOR_BTNSHADOW,
// COLOR_BTNFACE and COLOR_WINDOW. The result is a 32-bit DIB section.
struct COLORMAP {
  COLORREF from;
  COLORREF to;
};
constexpr UINT CMB_MASKED = 0x02;
HBITMAP CreateMappedBitmap(HINSTANCE inst, intptr_t idBitmap, UINT flags, const COLORMAP* colorMap, int numMaps);


// ---------------------------------------------------------------------------
// Drag images (ImageListDrag.cpp). One drag runs at a time per process: its
// image (a copy of one image of a list, with the cursor image of
// ImageList_SetDragCursorImage laid over it) rides in a topmost layered
// window that lets the pointer through. Positions given to DragEnter and
// DragMove are relative to the window rectangle of the locked window, or to
// the screen when the window is nullptr; the image's hot spot lies on them.
// DragEnter shows the image and DragLeave hides it; DragShowNolock shows or
// hides it without changing the lock.

BOOL ImageList_BeginDrag(HIMAGELIST himlTrack, int iTrack, int dxHotspot, int dyHotspot);
BOOL ImageList_DragEnter(HWND hwndLock, int x, int y);
BOOL ImageList_DragMove(int x, int y);
BOOL ImageList_DragLeave(HWND hwndLock);
void ImageList_EndDrag();
BOOL ImageList_DragShowNolock(BOOL fShow);
BOOL ImageList_SetDragCursorImage(HIMAGELIST himlDrag, int iDrag, int dxHotspot, int dyHotspot);
// The list that holds the drag image (owned by the drag), the position of
// the last DragEnter/DragMove and the hot spot; nullptr when no drag runs.
HIMAGELIST ImageList_GetDragImage(POINT* ppt, POINT* pptHotspot);
// Our own, for tests: the window the drag image shows in, and whether it
// shows now.
HWND ImageList_DragWindow();
bool ImageList_DragImageVisible();

// ---------------------------------------------------------------------------
// Subclass nodes (Subclass.cpp). Nodes of a window run newest first, in
// front of the window procedure, whatever GWLP_WNDPROC is swapped to beneath
// them; DefSubclassProc passes a message to the next node (the window
// procedure after the last). A node may be removed at any time, also from
// inside its own or another node's call: a message under way goes on along
// the nodes still there and a removed node is not called again. Every node
// sees WM_NCDESTROY and is removed after it. Only the window's thread may
// add or remove nodes.

using SUBCLASSPROC = LRESULT (*)(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, UINT_PTR uIdSubclass,
                                 DWORD_PTR dwRefData);
// A node of the same procedure and id only takes the new data.
BOOL SetWindowSubclass(HWND hWnd, SUBCLASSPROC pfnSubclass, UINT_PTR uIdSubclass, DWORD_PTR dwRefData);
BOOL GetWindowSubclass(HWND hWnd, SUBCLASSPROC pfnSubclass, UINT_PTR uIdSubclass, DWORD_PTR* pdwRefData);
BOOL RemoveWindowSubclass(HWND hWnd, SUBCLASSPROC pfnSubclass, UINT_PTR uIdSubclass);
LRESULT DefSubclassProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);

// Registers the common control classes ("SysTabControl32",
// "msctls_updown32", "SysListView32", "SysHeader32"); idempotent.
struct INITCOMMONCONTROLSEX {
  DWORD dwSize = sizeof(INITCOMMONCONTROLSEX);
  DWORD dwICC = 0;
};
constexpr DWORD ICC_LISTVIEW_CLASSES = 0x0001, ICC_UPDOWN_CLASS = 0x0010, ICC_TAB_CLASSES = 0x0008,
                ICC_WIN95_CLASSES = 0x00FF;
void InitCommonControls();
BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* icc);

// ---------------------------------------------------------------------------
// Tree-view messages: the item record and the query messages a tree answers
// for other programs (screen readers, test tools). No tree-view window class
// exists here; controls that show trees answer these themselves.
struct _TREEITEM;
using HTREEITEM = _TREEITEM*;

struct TVITEMW {
  UINT mask = 0;
  HTREEITEM hItem = nullptr;
  UINT state = 0;
  UINT stateMask = 0;
  WCHAR* pszText = nullptr;
  int cchTextMax = 0;
  int iImage = 0;
  int iSelectedImage = 0;
  int cChildren = 0;
  LPARAM lParam = 0;
};
using TTVItemW = TVITEMW;

constexpr UINT TVIF_TEXT = 0x0001, TVIF_IMAGE = 0x0002, TVIF_PARAM = 0x0004, TVIF_STATE = 0x0008,
               TVIF_HANDLE = 0x0010, TVIF_SELECTEDIMAGE = 0x0020, TVIF_CHILDREN = 0x0040;
constexpr UINT TVIS_FOCUSED = 0x0001, TVIS_SELECTED = 0x0002, TVIS_CUT = 0x0004, TVIS_DROPHILITED = 0x0008,
               TVIS_BOLD = 0x0010, TVIS_EXPANDED = 0x0020, TVIS_EXPANDEDONCE = 0x0040,
               TVIS_EXPANDPARTIAL = 0x0080, TVIS_OVERLAYMASK = 0x0F00, TVIS_STATEIMAGEMASK = 0xF000,
               TVIS_USERMASK = 0xF000;
constexpr UINT TVGN_ROOT = 0x0, TVGN_NEXT = 0x1, TVGN_PREVIOUS = 0x2, TVGN_PARENT = 0x3, TVGN_CHILD = 0x4,
               TVGN_FIRSTVISIBLE = 0x5, TVGN_NEXTVISIBLE = 0x6, TVGN_PREVIOUSVISIBLE = 0x7,
               TVGN_DROPHILITE = 0x8, TVGN_CARET = 0x9, TVGN_LASTVISIBLE = 0xA;
constexpr UINT TV_FIRST = 0x1100;
constexpr UINT TVM_GETITEMRECT = TV_FIRST + 4, TVM_GETNEXTITEM = TV_FIRST + 10, TVM_GETITEMW = TV_FIRST + 62;

}  // namespace vcl

#include "platform/rtl/MacroShieldEnd.h"
