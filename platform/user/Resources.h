// Module resources: bitmaps, icons and cursors read from the resource table
// that units fill at initialisation (RegisterResource of the classes layer).
//
// The library is one module, so every instance handle names the same table;
// HInstance is that module's handle. How the table keeps each kind:
//   - a bitmap (type "#2", RT_BITMAP): a packed DIB, the header followed by
//     its colour table and bits, as a .bmp file holds it after the file header;
//   - an icon (type "#14", RT_GROUP_ICON) or cursor ("#12", RT_GROUP_CURSOR):
//     the whole .ico or .cur file, all its images; the one closest to the
//     asked size is loaded.
// Names are strings or integer ids (MAKEINTRESOURCEW), the latter found
// under "#<id>".
#pragma once
#include "platform/rtl/MacroShield.h"

#include "platform/gdi/GdiIcon.h"
#include "platform/rtl/System.h"

namespace vcl {

// The module handle: one value that converts to both forms the platform
// passes it in (an HINSTANCE to the window server, a number to streams).
struct TModuleInstance {
  static constexpr uintptr_t Value = 0x400000;
  operator HINSTANCE() const { return reinterpret_cast<HINSTANCE>(Value); }
  constexpr operator NativeUInt() const { return NativeUInt(Value); }
};
inline constexpr TModuleInstance HInstance{};
// The module a class was linked into: always this one.
inline HINSTANCE FindClassHInstance(const void* /*AClass*/) { return HInstance; }

constexpr UINT IMAGE_BITMAP = 0, IMAGE_ICON = 1, IMAGE_CURSOR = 2;
constexpr UINT LR_DEFAULTCOLOR = 0x0000, LR_MONOCHROME = 0x0001, LR_COPYRETURNORG = 0x0004,
               LR_COPYDELETEORG = 0x0008, LR_LOADFROMFILE = 0x0010, LR_LOADTRANSPARENT = 0x0020,
               LR_DEFAULTSIZE = 0x0040, LR_LOADMAP3DCOLORS = 0x1000, LR_CREATEDIBSECTION = 0x2000,
               LR_SHARED = 0x8000;

// The table key of a resource name: the string itself, or "#<id>" for an
// integer id.
String ResourceKey(const char16_t* name);

// A bitmap resource as a device bitmap (32 bits); nullptr when missing or
// malformed.
HBITMAP LoadBitmapW(HINSTANCE inst, const char16_t* name);
// A bitmap, icon or cursor from the table (or from a file with
// LR_LOADFROMFILE, name being the path). Bitmaps keep their depth as a DIB
// section with LR_CREATEDIBSECTION, else become 32-bit device bitmaps;
// LR_MONOCHROME gives a 1-bit bitmap; LR_LOADTRANSPARENT turns the colour
// of the first pixel into COLOR_WINDOW. Icons and cursors take the image
// closest to cx x cy (0: the image's own size, or the system size with
// LR_DEFAULTSIZE). LR_SHARED hands out one shared handle per resource and
// size, which DestroyIcon leaves alive.
HANDLE LoadImageW(HINSTANCE inst, const char16_t* name, UINT type, int cx, int cy, UINT flags);
// A copy of a bitmap, icon or cursor, stretched to cx x cy where they are
// not 0. LR_CREATEDIBSECTION makes the bitmap copy a DIB section;
// LR_COPYRETURNORG gives back the original itself when it already has that
// size (and form); LR_COPYDELETEORG deletes the original after copying.
HANDLE CopyImage(HANDLE image, UINT type, int cx, int cy, UINT flags);

// Decoders the loaders share, for callers with bytes of their own.
// A packed DIB (header, colour table, bits) to a DIB section of its depth;
// nullptr for malformed data.
HBITMAP CreateBitmapFromPackedDIB(const void* data, size_t size);
// The image of an .ico or .cur file closest to cx x cy (0: the largest) as
// an icon or cursor; nullptr for malformed data.
HICON CreateIconFromFileData(const void* data, size_t size, int cx, int cy, bool cursor);

}  // namespace vcl

#include "platform/rtl/MacroShieldEnd.h"
