// The shell of the host layer: a small in-process stand-in with windows on
// the host's desktop. It holds file drops (HDROP blocks and WM_DROPFILES),
// the notification area with its taskbar strip, shell drags of files or
// data with their drag picture, the drag-image helper objects and
// ShellExecuteW, which launches nothing and only keeps a log.
//
// Blocks that come from outside are not trusted: a DROPFILES block is read
// only within its GlobalSize, and a list that lacks its last NUL ends where
// the block ends.
#pragma once
#include "platform/rtl/MacroShield.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/ole/ActiveX.h"

namespace vcl {

// ---------------------------------------------------------------------------
// File drops

struct HDROP__;
using HDROP = HDROP__*;

// The head of a file-drop block; the names follow at pFiles, each ended by
// a NUL, the list by one more (UTF-16 when fWide, else CP_ACP).
struct DROPFILES {
  DWORD pFiles = 0;
  POINTL pt;
  BOOL fNC = FALSE;
  BOOL fWide = FALSE;
};
static_assert(sizeof(DROPFILES) == 20, "a DROPFILES head is 20 bytes");

// A new moveable block with the files as wide names; the point is in the
// client coordinates of the window it is meant for (screen ones with
// nonClient). The caller owns it (DragFinish or GlobalFree).
HDROP CreateHDrop(const std::vector<String>& files, POINT pt, bool nonClient);
// iFile 0xFFFFFFFF: the number of files. A nil buffer: the name's length.
// Otherwise copies at most cch - 1 characters and a NUL and returns their
// count. An index past the list, or a block that cannot be read: 0.
UINT DragQueryFileW(HDROP hDrop, UINT iFile, char16_t* lpszFile, UINT cch);
UINT DragQueryFileA(HDROP hDrop, UINT iFile, char* lpszFile, UINT cch);
// The drop point; true when it lies in the client area (fNC clear).
bool DragQueryPoint(HDROP hDrop, POINT* ppt);
void DragFinish(HDROP hDrop);
// Turns WS_EX_ACCEPTFILES on or off.
void DragAcceptFiles(HWND hWnd, bool fAccept);

// ---------------------------------------------------------------------------
// ShellExecute

constexpr int SE_ERR_FNF = 2, SE_ERR_PNF = 3, SE_ERR_ACCESSDENIED = 5, SE_ERR_OOM = 8,
              SE_ERR_SHARE = 26, SE_ERR_ASSOCINCOMPLETE = 27, SE_ERR_DDETIMEOUT = 28, SE_ERR_DDEFAIL = 29,
              SE_ERR_DDEBUSY = 30, SE_ERR_NOASSOC = 31, SE_ERR_DLLNOTFOUND = 32;

struct TShellExecuteCall {
  HWND Wnd = nullptr;
  String Operation, File, Parameters, Directory;
  int ShowCmd = 0;
};

// Launches nothing: logs the call and answers 42 (a success, above 32), or
// the failure injected by SetShellExecuteResult. A nil or empty file
// answers SE_ERR_FNF.
HINSTANCE ShellExecuteW(HWND hwnd, const char16_t* lpOperation, const char16_t* lpFile,
                        const char16_t* lpParameters, const char16_t* lpDirectory, int nShowCmd);
// Tests: the calls so far, clearing the log; the answer of the next calls
// (0 restores success).
std::vector<TShellExecuteCall> TakeShellExecuteLog();
void SetShellExecuteResult(int seErr);

// ---------------------------------------------------------------------------
// The notification area
//
// Icons are keyed by (hWnd, uID) and kept as copies (CopyIcon, texts). While
// any icon exists the taskbar "Shell_TrayWnd" lies over the primary
// monitor's strip outside its work area, never activated, with the shown
// icons at 16 x 16 in 24-pixel cells from the right. Input over a cell is
// posted to the icon's window as its callback message: for versions 0 and 3
// with WParam the uID and LParam the mouse message (version 3 adds
// NIN_SELECT after a left click, WM_CONTEXTMENU after a right one, and
// NIN_KEYSELECT for Enter or Space after NIM_SETFOCUS); version 4 packs
// LParam = MAKELPARAM(event, uID) and WParam = MAKEWPARAM(x, y) of the
// pointer. The tip shows in a "tooltips_class32" window after the hover
// time. One balloon shows at a time above its icon. Icons of a window that
// is destroyed go with it.

constexpr DWORD NIM_ADD = 0, NIM_MODIFY = 1, NIM_DELETE = 2, NIM_SETFOCUS = 3, NIM_SETVERSION = 4;
constexpr UINT NIF_MESSAGE = 0x01, NIF_ICON = 0x02, NIF_TIP = 0x04, NIF_STATE = 0x08, NIF_INFO = 0x10,
               NIF_GUID = 0x20, NIF_REALTIME = 0x40, NIF_SHOWTIP = 0x80;
constexpr DWORD NIS_HIDDEN = 0x01, NIS_SHAREDICON = 0x02;
constexpr DWORD NIIF_NONE = 0x00, NIIF_INFO = 0x01, NIIF_WARNING = 0x02, NIIF_ERROR = 0x03, NIIF_USER = 0x04,
                NIIF_ICON_MASK = 0x0F, NIIF_NOSOUND = 0x10, NIIF_LARGE_ICON = 0x20, NIIF_RESPECT_QUIET_TIME = 0x80;
constexpr UINT NIN_SELECT = WM_USER + 0, NINF_KEY = 0x1, NIN_KEYSELECT = NIN_SELECT | NINF_KEY,
               NIN_BALLOONSHOW = WM_USER + 2, NIN_BALLOONHIDE = WM_USER + 3, NIN_BALLOONTIMEOUT = WM_USER + 4,
               NIN_BALLOONUSERCLICK = WM_USER + 5, NIN_POPUPOPEN = WM_USER + 6, NIN_POPUPCLOSE = WM_USER + 7;
constexpr UINT NOTIFYICON_VERSION = 3, NOTIFYICON_VERSION_4 = 4;

struct NOTIFYICONDATAW {
  DWORD cbSize = sizeof(NOTIFYICONDATAW);
  HWND hWnd = nullptr;
  UINT uID = 0;
  UINT uFlags = 0;
  UINT uCallbackMessage = 0;
  HICON hIcon = nullptr;
  char16_t szTip[128] = {};
  DWORD dwState = 0;
  DWORD dwStateMask = 0;
  char16_t szInfo[256] = {};
  union {
    UINT uTimeout;
    UINT uVersion;
  };
  char16_t szInfoTitle[64] = {};
  DWORD dwInfoFlags = 0;
  TGUID guidItem{};
  HICON hBalloonIcon = nullptr;
  NOTIFYICONDATAW() : uTimeout(0) {}
};
// The older record, through dwInfoFlags (936 bytes where pointers are 32
// bits): guidItem and hBalloonIcon are not read from it.
constexpr DWORD NOTIFYICONDATAW_V2_SIZE = offsetof(NOTIFYICONDATAW, guidItem);

struct NOTIFYICONIDENTIFIER {
  DWORD cbSize = sizeof(NOTIFYICONIDENTIFIER);
  HWND hWnd = nullptr;
  UINT uID = 0;
  TGUID guidItem{};
};

// False for a record of another size, NIM_ADD of a present key, another
// action on an absent one, an unknown version, or while failing is switched
// on.
bool Shell_NotifyIconW(DWORD dwMessage, const NOTIFYICONDATAW* lpData);
// The icon's cell on the screen; E_FAIL for an unknown or hidden icon.
HRESULT Shell_NotifyIconGetRect(const NOTIFYICONIDENTIFIER* identifier, RECT* iconLocation);

// Tests and demos: what each call asked for.
struct TNotifyIconCall {
  DWORD Action = 0;
  DWORD Size = 0;
  HWND Wnd = nullptr;
  UINT Id = 0;
  UINT Flags = 0;
  UINT CallbackMessage = 0;
  String Tip, Info, InfoTitle;
  DWORD State = 0, StateMask = 0;
  UINT TimeoutOrVersion = 0;
  DWORD InfoFlags = 0;
  // The icon drawn at 16 x 16 over black (0x00RRGGBB rows); empty without one.
  std::vector<uint32_t> IconPixels;
  bool Succeeded = false;
};
std::vector<TNotifyIconCall> TakeShellNotifyLog();
// While on, every Shell_NotifyIconW call fails (and is logged).
void SetShellNotifyFailure(bool fail);
// The shell restarts: its icons are forgotten and its windows go, then
// "TaskbarCreated" is posted to every top-level window.
void RestartShell();
// The shell's windows, nullptr while absent.
HWND ShellTrayWindow();
HWND ShellTooltipWindow();
HWND ShellBalloonWindow();

// ---------------------------------------------------------------------------
// Shell drags

// Drags with the left button down (the modal loop of DoDragDrop). A
// top-level "SysDragImage" window (layered, transparent to the pointer,
// topmost) shows the items and their count beside the pointer for the
// length of the drag; its coming and going raise EVENT_OBJECT_CREATE and
// EVENT_OBJECT_DESTROY. ShellDragFiles offers the files as CF_HDROP (a wide
// block). A drop on a window that accepts files (WS_EX_ACCEPTFILES, itself
// or an ancestor) and has no drop target registered posts it WM_DROPFILES
// with a block of its own (client coordinates); the effect is then
// DROPEFFECT_COPY. Answers DoDragDrop's result, the effect in *pdwEffect.
HRESULT ShellDragFiles(const std::vector<String>& files, DWORD okEffects, DWORD* pdwEffect);
HRESULT ShellDragData(IDataObject* obj, DWORD okEffects, DWORD* pdwEffect);
// The drag picture's window while a shell drag or a drag with a helper's
// picture runs, else nullptr.
HWND ShellDragImageWindow();

// ---------------------------------------------------------------------------
// Drag-image helpers
//
// The shell's helper objects (class CLSID_DragDropHelper) are not there
// unless RegisterDragDropHelper put them in the class table: CoCreateInstance
// answers REGDB_E_CLASSNOTREG, and callers draw their own drag pictures.
// Registered, each instance serves the three interfaces and logs its calls.
// A picture given to a source helper waits for the data object's drag
// (one at a time: a newer one replaces it) and then rides, for the length
// of DoDragDrop, in a topmost layered "SysDragImage" window transparent to
// the pointer, placed at the pointer less the picture's offset. A target
// helper's Show(FALSE) hides it until Show(TRUE) or the target is left.

constexpr CLSID CLSID_DragDropHelper = MakeGUID("{4657278A-411B-11D2-839A-00C04FD918D0}");
constexpr DWORD DSH_ALLOWDROPDESCRIPTIONTEXT = 0x1;

struct SHDRAGIMAGE {
  SIZE sizeDragImage;
  POINT ptOffset;  // the pointer's place in the picture
  HBITMAP hbmpDragImage = nullptr;
  COLORREF crColorKey = 0;  // pixels of this colour are see-through; CLR_NONE: none
};

struct IDropTargetHelper : virtual IUnknown {
  static constexpr TGUID IID = MakeGUID("{4657278B-411B-11D2-839A-00C04FD918D0}");
  // Points are in screen coordinates.
  virtual HRESULT DragEnter(HWND hwndTarget, IDataObject* pDataObject, POINT* ppt, DWORD dwEffect) = 0;
  virtual HRESULT DragLeave() = 0;
  virtual HRESULT DragOver(POINT* ppt, DWORD dwEffect) = 0;
  virtual HRESULT Drop(IDataObject* pDataObject, POINT* ppt, DWORD dwEffect) = 0;
  virtual HRESULT Show(BOOL fShow) = 0;
};

struct IDragSourceHelper : virtual IUnknown {
  static constexpr TGUID IID = MakeGUID("{DE5BF786-477A-11D2-839D-00C04FD918D0}");
  // On success the helper owns the bitmap (freed when the drag ends); on
  // failure the caller keeps it.
  virtual HRESULT InitializeFromBitmap(SHDRAGIMAGE* pshdi, IDataObject* pDataObject) = 0;
  // The shell draws its own picture of the files: only for data offering
  // CF_HDROP (E_FAIL otherwise). hwnd may be nil; ppt nil means (0, 0).
  virtual HRESULT InitializeFromWindow(HWND hwnd, POINT* ppt, IDataObject* pDataObject) = 0;
};

struct IDragSourceHelper2 : virtual IDragSourceHelper {
  static constexpr TGUID IID = MakeGUID("{83E07D0D-0C5F-4163-BF1A-60B274051E40}");
  // DSH_ALLOWDROPDESCRIPTIONTEXT or 0; other bits: E_INVALIDARG.
  virtual HRESULT SetFlags(DWORD dwFlags) = 0;
};

// Puts the recording helper in the class table (in-process server): S_OK,
// S_FALSE when it is there already, CO_E_NOTINITIALIZED without COM on the
// calling thread. RevokeDragDropHelper takes it out again and frees a
// picture still waiting (S_FALSE when it was not there).
HRESULT RegisterDragDropHelper();
HRESULT RevokeDragDropHelper();

// One call to a helper object. Method is the interface method's name; the
// other fields hold what it was given, where it has them.
struct TDragHelperCall {
  std::string Method;
  HWND Wnd = nullptr;
  POINT Pt;
  DWORD Effect = 0;  // the effect, the flags, or Show's argument
  SIZE ImageSize;
  POINT Offset;
  COLORREF ColorKey = 0;
  HRESULT Result = S_OK;
};
// The calls so far, clearing the log.
std::vector<TDragHelperCall> TakeDragHelperLog();

}  // namespace vcl

#include "platform/rtl/MacroShieldEnd.h"
