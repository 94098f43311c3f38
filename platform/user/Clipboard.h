// Global memory blocks and the clipboard of the host layer.
//
// Global blocks are what the clipboard exchanges: a moveable block is a
// handle that GlobalLock turns into a pointer; a fixed one is its own
// pointer. The clipboard is one per process: one opener at a time, an owner
// (the window that emptied it last), a list of formats each holding a block
// (CF_BITMAP holds a bitmap handle). CF_TEXT, CF_OEMTEXT and CF_UNICODETEXT
// are made from each other on request through the code-page converter
// (CP_ACP is 1252, CP_OEMCP 437); text read from a block without a
// terminator ends with the block.
#pragma once
#include "platform/rtl/MacroShield.h"

#include <string>

#include "platform/user/User.h"

namespace vcl {

using HGLOBAL = HANDLE;

constexpr UINT GMEM_FIXED = 0x0000, GMEM_MOVEABLE = 0x0002, GMEM_ZEROINIT = 0x0040, GMEM_MODIFY = 0x0080,
               GMEM_DDESHARE = 0x2000, GMEM_SHARE = 0x2000, GHND = GMEM_MOVEABLE | GMEM_ZEROINIT,
               GPTR = GMEM_FIXED | GMEM_ZEROINIT, GMEM_INVALID_HANDLE = 0x8000, GMEM_LOCKCOUNT = 0x00FF;

HGLOBAL GlobalAlloc(UINT flags, size_t bytes);
// nullptr on success, the handle when it could not be freed.
HGLOBAL GlobalFree(HGLOBAL mem);
void* GlobalLock(HGLOBAL mem);
// False once the lock count is back to 0 (GetLastError then NO_ERROR).
bool GlobalUnlock(HGLOBAL mem);
size_t GlobalSize(HGLOBAL mem);
// GMEM_MODIFY changes only the flags; otherwise resizes, keeping the
// content and zeroing what GMEM_ZEROINIT asks for. A moveable block keeps
// its handle; a locked one cannot move and fails unless it fits.
HGLOBAL GlobalReAlloc(HGLOBAL mem, size_t bytes, UINT flags);
// Tests: the number of blocks allocated and not yet freed.
size_t GlobalBlockCount();
// The handle of a block's pointer (or of a handle).
HGLOBAL GlobalHandle(const void* mem);
// The lock count and GMEM_* flags; GMEM_INVALID_HANDLE for no block.
UINT GlobalFlags(HGLOBAL mem);

constexpr UINT CF_TEXT = 1, CF_BITMAP = 2, CF_METAFILEPICT = 3, CF_SYLK = 4, CF_DIF = 5, CF_TIFF = 6,
               CF_OEMTEXT = 7, CF_DIB = 8, CF_PALETTE = 9, CF_UNICODETEXT = 13, CF_ENHMETAFILE = 14,
               CF_HDROP = 15, CF_LOCALE = 16, CF_DIBV5 = 17;
constexpr UINT WM_RENDERFORMAT = 0x0305, WM_RENDERALLFORMATS = 0x0306, WM_DESTROYCLIPBOARD = 0x0307,
               WM_CLIPBOARDUPDATE = 0x031D;

// Fails (ERROR_ACCESS_DENIED) while another window or thread has it open.
bool OpenClipboard(HWND newOwner);
bool CloseClipboard();
// Frees every format and makes the opener the owner; the previous owner
// gets WM_DESTROYCLIPBOARD.
bool EmptyClipboard();
// Takes the block (the caller must not free it any more); returns it, or
// nullptr when the clipboard is not open.
//
// A null block promises the format: only the owner may promise (it opened
// the clipboard with its window and emptied it). Whoever asks for a promised
// format makes GetClipboardData send the owner WM_RENDERFORMAT (format in
// wParam; across threads as a send); the owner answers with
// SetClipboardData without opening the clipboard. Before the owner is
// destroyed it gets WM_RENDERALLFORMATS, opens the clipboard and renders
// what it wants kept; promises left then are dropped. A promise succeeds
// with nullptr and GetLastError 0.
HANDLE SetClipboardData(UINT format, HANDLE mem);
// The clipboard's block (still the clipboard's), made from another text
// format, or rendered by the owner, when needed; nullptr when not open or
// not available.
HANDLE GetClipboardData(UINT format);
bool IsClipboardFormatAvailable(UINT format);
int CountClipboardFormats();
// The format after `format` (0: the first); 0 at the end.
UINT EnumClipboardFormats(UINT format);
HWND GetClipboardOwner();
HWND GetOpenClipboardWindow();
DWORD GetClipboardSequenceNumber();
// Ids from 0xC000, one per name whatever its case.
UINT RegisterClipboardFormatW(const Char* name);
// The registered name (0 for standard formats and unknown ids).
int GetClipboardFormatNameW(UINT format, Char* name, int maxCount);
inline UINT RegisterClipboardFormat(const Char* name) { return RegisterClipboardFormatW(name); }
inline int GetClipboardFormatName(UINT format, Char* name, int maxCount) {
  return GetClipboardFormatNameW(format, name, maxCount);
}

// Tests: empties the clipboard and forgets its owner (which gets
// WM_DESTROYCLIPBOARD) and opener.
void ResetClipboard();

}  // namespace vcl

#include "platform/rtl/MacroShieldEnd.h"
