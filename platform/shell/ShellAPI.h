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

}  // namespace vcl
