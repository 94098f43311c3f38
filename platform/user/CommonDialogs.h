// The platform's own dialogs: the message box and the colour dialog. Both
// are windows of the dialog class "#32770" painted in a plain look of our
// own, modal over their owner (disabled meanwhile). Their loop reads the
// queue as every modal loop does (ModalIdle when it runs dry), so timers,
// posted messages and paints go on while they are open.
//
// Headless answers: a test or tool may set a responder per kind. It is
// called once, when the dialog's loop first finds the queue empty, and may
// answer (the dialog ends with that answer) or leave the dialog to the
// queued input. Without a responder, or when it did not answer, the dialog
// runs on queued input; when the modal idle hook gives up, it ends with its
// default answer. A dialog whose owner or own window is destroyed ends with
// the default answer too. Every call is recorded.
#pragma once
#include "platform/rtl/MacroShield.h"

#include <functional>
#include <vector>

#include "platform/user/User.h"

namespace vcl {

// --- The message box
constexpr UINT MB_OK = 0x0, MB_OKCANCEL = 0x1, MB_ABORTRETRYIGNORE = 0x2, MB_YESNOCANCEL = 0x3, MB_YESNO = 0x4,
               MB_RETRYCANCEL = 0x5, MB_CANCELTRYCONTINUE = 0x6, MB_TYPEMASK = 0xF;
constexpr UINT MB_ICONHAND = 0x10, MB_ICONERROR = 0x10, MB_ICONSTOP = 0x10, MB_ICONQUESTION = 0x20,
               MB_ICONEXCLAMATION = 0x30, MB_ICONWARNING = 0x30, MB_ICONASTERISK = 0x40,
               MB_ICONINFORMATION = 0x40, MB_ICONMASK = 0xF0;
constexpr UINT MB_DEFBUTTON1 = 0x000, MB_DEFBUTTON2 = 0x100, MB_DEFBUTTON3 = 0x200, MB_DEFBUTTON4 = 0x300,
               MB_DEFMASK = 0xF00;
constexpr UINT MB_APPLMODAL = 0x0000, MB_SYSTEMMODAL = 0x1000, MB_TASKMODAL = 0x2000, MB_HELP = 0x4000,
               MB_SETFOREGROUND = 0x10000, MB_TOPMOST = 0x40000, MB_RIGHT = 0x80000;
constexpr int IDOK = 1, IDCANCEL = 2, IDABORT = 3, IDRETRY = 4, IDIGNORE = 5, IDYES = 6, IDNO = 7, IDCLOSE = 8,
              IDHELP = 9, IDTRYAGAIN = 10, IDCONTINUE = 11;

// Shows the box and returns the id of the button that ended it. A null
// caption is "Error", as on the platform.
int MessageBoxW(HWND owner, const Char* text, const Char* caption, UINT type);

struct TMessageBoxCall {
  HWND Owner = nullptr;
  String Text;
  String Caption;
  UINT Flags = 0;
  int Result = 0;  // filled in when the box ends
};
// Answers with a button id, or 0 to leave the box to queued input.
using TMessageBoxResponder = std::function<int(const TMessageBoxCall& Call)>;
// Returns the responder set before.
TMessageBoxResponder SetMessageBoxResponder(TMessageBoxResponder responder);

// --- The colour dialog
constexpr DWORD CC_RGBINIT = 0x1, CC_FULLOPEN = 0x2, CC_PREVENTFULLOPEN = 0x4, CC_SHOWHELP = 0x8,
                CC_SOLIDCOLOR = 0x80, CC_ANYCOLOR = 0x100;

struct CHOOSECOLORW {
  DWORD lStructSize = sizeof(CHOOSECOLORW);
  HWND hwndOwner = nullptr;
  HWND hInstance = nullptr;
  COLORREF rgbResult = 0;
  COLORREF* lpCustColors = nullptr;  // 16 colours, read and written back
  DWORD Flags = 0;
  LPARAM lCustData = 0;
  void* lpfnHook = nullptr;
  const Char* lpTemplateName = nullptr;
};

// True when the user chose a colour (rgbResult holds it, lpCustColors the
// custom colours as left), false when cancelled.
bool ChooseColorW(CHOOSECOLORW* cc);

struct TColorDialogCall {
  HWND Owner = nullptr;
  COLORREF Color = 0;  // the colour the dialog started with
  DWORD Flags = 0;
  bool Ok = false;     // filled in when the dialog ends
  COLORREF Result = 0;
};
// Answers by setting Call.Ok and Call.Result and returning true, or returns
// false to leave the dialog to queued input.
using TColorDialogResponder = std::function<bool(TColorDialogCall& Call)>;
TColorDialogResponder SetColorDialogResponder(TColorDialogResponder responder);

// The basic colours the dialog offers (48, row by row, 8 to a row).
const COLORREF* ColorDialogBasicColors();

// --- The file dialogs
constexpr DWORD OFN_READONLY = 0x1, OFN_OVERWRITEPROMPT = 0x2, OFN_HIDEREADONLY = 0x4, OFN_NOCHANGEDIR = 0x8,
                OFN_SHOWHELP = 0x10, OFN_NOVALIDATE = 0x100, OFN_ALLOWMULTISELECT = 0x200,
                OFN_EXTENSIONDIFFERENT = 0x400, OFN_PATHMUSTEXIST = 0x800, OFN_FILEMUSTEXIST = 0x1000,
                OFN_CREATEPROMPT = 0x2000, OFN_SHAREAWARE = 0x4000, OFN_NOREADONLYRETURN = 0x8000,
                OFN_NOTESTFILECREATE = 0x10000, OFN_NONETWORKBUTTON = 0x20000, OFN_NOLONGNAMES = 0x40000,
                OFN_EXPLORER = 0x80000, OFN_NODEREFERENCELINKS = 0x100000, OFN_LONGNAMES = 0x200000,
                OFN_ENABLEINCLUDENOTIFY = 0x400000, OFN_ENABLESIZING = 0x800000, OFN_DONTADDTORECENT = 0x2000000,
                OFN_FORCESHOWHIDDEN = 0x10000000;

// lpstrFilter: pairs of NUL-terminated texts (description, patterns),
// ended by an empty one. lpstrFile holds the initial name and receives the
// answer: one full path, or with OFN_ALLOWMULTISELECT and several files the
// folder followed by each name, NUL-separated, ended by two NULs.
struct OPENFILENAMEW {
  DWORD lStructSize = sizeof(OPENFILENAMEW);
  HWND hwndOwner = nullptr;
  HINSTANCE hInstance = nullptr;
  const Char* lpstrFilter = nullptr;
  Char* lpstrCustomFilter = nullptr;
  DWORD nMaxCustFilter = 0;
  DWORD nFilterIndex = 0;  // 1-based; 0 takes the first
  Char* lpstrFile = nullptr;
  DWORD nMaxFile = 0;
  Char* lpstrFileTitle = nullptr;
  DWORD nMaxFileTitle = 0;
  const Char* lpstrInitialDir = nullptr;
  const Char* lpstrTitle = nullptr;
  DWORD Flags = 0;
  WORD nFileOffset = 0;
  WORD nFileExtension = 0;
  const Char* lpstrDefExt = nullptr;  // without the dot
  LPARAM lCustData = 0;
  void* lpfnHook = nullptr;
  const Char* lpTemplateName = nullptr;
};

// True when the user chose; false when cancelled or the answer did not fit
// (CommDlgExtendedError then says FNERR_BUFFERTOOSMALL).
bool GetOpenFileNameW(OPENFILENAMEW* ofn);
bool GetSaveFileNameW(OPENFILENAMEW* ofn);
constexpr DWORD CDERR_INITIALIZATION = 0x0002, CDERR_STRUCTSIZE = 0x0001, FNERR_BUFFERTOOSMALL = 0x3003,
                FNERR_INVALIDFILENAME = 0x3002;
DWORD CommDlgExtendedError();

struct TFileDialogCall {
  HWND Owner = nullptr;
  bool Save = false;
  String Title;
  String InitialDir;
  String FileName;             // the name the dialog started with
  std::vector<String> Filter;  // description, patterns, description, ...
  DWORD FilterIndex = 1;
  String DefaultExt;
  DWORD Flags = 0;
  // The answer: a responder fills these and returns true. Names are full
  // paths or relative to InitialDir. Filled in when the dialog ends.
  bool Ok = false;
  std::vector<String> Files;
  DWORD ResultFilterIndex = 0;  // 0: unchanged
  // Answers the dialog turned down (a file that must exist and does not,
  // an overwrite the user did not confirm), in order.
  std::vector<String> Refused;
};
// Answers are taken in turn: one that breaks OFN_FILEMUSTEXIST or
// OFN_PATHMUSTEXIST is refused and the responder is asked again (with
// Refused showing why); OFN_OVERWRITEPROMPT on an existing file asks
// MessageBoxW, and No asks again. When the responder gives up (returns
// false) the dialog cancels.
using TFileDialogResponder = std::function<bool(TFileDialogCall& Call)>;
TFileDialogResponder SetFileDialogResponder(TFileDialogResponder responder);

// Every call made since the last clear, the answer included.
std::vector<TMessageBoxCall> MessageBoxCalls();
std::vector<TColorDialogCall> ColorDialogCalls();
std::vector<TFileDialogCall> FileDialogCalls();
void ClearDialogCalls();
// The dialog window that is open now (the innermost), or nullptr.
HWND ActiveDialogWindow();

}  // namespace vcl

#include "platform/rtl/MacroShieldEnd.h"
