// Icons and cursors as GDI-level objects: a colour picture (32-bit, with or
// without alpha) and a 1-bit AND mask, plus a hotspot. They are user32
// objects on the platform; the window server and the graphics classes both
// use them, so they live here, under the window server.
#pragma once
#include "platform/rtl/MacroShield.h"

#include "platform/gdi/Gdi.h"

namespace vcl {

struct HICON__;
using HICON = HICON__*;
using HCURSOR = HICON;
struct HINSTANCE__;
using HINSTANCE = HINSTANCE__*;

struct ICONINFO {
  BOOL fIcon = 1;
  DWORD xHotspot = 0;
  DWORD yHotspot = 0;
  HBITMAP hbmMask = nullptr;   // for a monochrome icon: twice the height, AND over XOR
  HBITMAP hbmColor = nullptr;  // nullptr for a monochrome icon
};

constexpr UINT DI_MASK = 0x1, DI_IMAGE = 0x2, DI_NORMAL = 0x3, DI_COMPAT = 0x4, DI_DEFAULTSIZE = 0x8,
               DI_NOMIRROR = 0x10;

#ifndef MAKEINTRESOURCEW
#define MAKEINTRESOURCEW(i) (reinterpret_cast<const ::vcl::WCHAR*>(static_cast<::vcl::ULONG_PTR>(static_cast<::vcl::WORD>(i))))
#endif
#ifndef IDI_APPLICATION
#define IDI_APPLICATION MAKEINTRESOURCEW(32512)
#define IDI_HAND MAKEINTRESOURCEW(32513)
#define IDI_ERROR IDI_HAND
#define IDI_QUESTION MAKEINTRESOURCEW(32514)
#define IDI_EXCLAMATION MAKEINTRESOURCEW(32515)
#define IDI_WARNING IDI_EXCLAMATION
#define IDI_ASTERISK MAKEINTRESOURCEW(32516)
#define IDI_INFORMATION IDI_ASTERISK
#define IDI_WINLOGO MAKEINTRESOURCEW(32517)
#define IDI_SHIELD MAKEINTRESOURCEW(32518)
#endif

// Copies the bitmaps: the caller keeps (and deletes) its own. The colour
// bitmap's alpha is used when it is 32 bits deep and any alpha byte is set;
// otherwise the mask decides transparency. nullptr for missing or
// mismatched bitmaps.
HICON CreateIconIndirect(const ICONINFO* info);
// Fills info with new bitmaps (a 32-bit colour bitmap and a 1-bit mask)
// that the caller deletes.
BOOL GetIconInfo(HICON icon, ICONINFO* info);
HICON CopyIcon(HICON icon);
// Stock icons survive (the call still succeeds).
BOOL DestroyIcon(HICON icon);
inline BOOL DestroyCursor(HCURSOR c) { return DestroyIcon(c); }
// Draws stretched (nearest) to cx x cy; 0 means the icon's own size, or
// 32 with DI_DEFAULTSIZE. An alpha icon blends over the destination (all
// four bytes, like AlphaBlend with straight alpha); a masked icon writes its
// opaque pixels and XORs its inverting ones, with alpha 0 as GDI drawing
// does. Pixels under transparent parts keep all four bytes. With flickerFree
// the rectangle is first filled with that brush.
BOOL DrawIconEx(HDC dc, int x, int y, HICON icon, int cx, int cy, UINT stepIfAniCur, HBRUSH flickerFree,
                UINT flags);
inline BOOL DrawIcon(HDC dc, int x, int y, HICON icon) {
  return DrawIconEx(dc, x, y, icon, 0, 0, 0, nullptr, DI_NORMAL | DI_DEFAULTSIZE);
}
// The stock icons (IDI_*) with instance nullptr, drawn by this library as
// 32 x 32 alpha icons; nullptr for anything else.
HICON LoadIcon(HINSTANCE instance, const WCHAR* name);
inline HICON LoadIconW(HINSTANCE instance, const WCHAR* name) { return LoadIcon(instance, name); }
// Makes an icon shared, as loaded system icons and cursors are: DestroyIcon
// leaves it alive and it no longer counts as a live object.
void MarkIconShared(HICON icon);
// Live icons that are not stock ones, for leak checks in tests.
int IconObjectCount();

}  // namespace vcl

#include "platform/rtl/MacroShieldEnd.h"
