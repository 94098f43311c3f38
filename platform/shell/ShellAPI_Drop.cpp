// File-drop blocks and ShellExecuteW.
#include <algorithm>
#include <cstring>
#include <mutex>

#include "platform/shell/ShellAPI.h"
#include "platform/shell/ShellInternal.h"

namespace vcl {

namespace shell {

bool ReadDrop(HDROP hDrop, TDropContent& out) {
  out = TDropContent{};
  HGLOBAL h = reinterpret_cast<HGLOBAL>(hDrop);
  size_t size = h ? GlobalSize(h) : 0;
  if (size < sizeof(DROPFILES)) return false;
  const Byte* p = static_cast<const Byte*>(GlobalLock(h));
  if (!p) return false;
  DROPFILES head;
  std::memcpy(&head, p, sizeof head);
  out.Point = POINT(head.pt.x, head.pt.y);
  out.NonClient = head.fNC != FALSE;
  out.Wide = head.fWide != FALSE;
  // A list placed inside the head or past the block holds nothing.
  if (head.pFiles >= sizeof(DROPFILES) && head.pFiles < size) {
    const Byte* at = p + head.pFiles;
    size_t avail = size - head.pFiles;
    if (out.Wide) {
      size_t units = avail / 2;
      String name;
      for (size_t i = 0; i < units; ++i) {
        char16_t c;
        std::memcpy(&c, at + 2 * i, 2);
        if (c) {
          name.push_back(c);
          continue;
        }
        if (name.empty()) break;
        out.Files.push_back(std::move(name));
        name.clear();
      }
      if (!name.empty()) out.Files.push_back(std::move(name));
    } else {
      std::string name;
      auto flush = [&] {
        int n = MultiByteToWideChar(CP_ACP, 0, name.data(), int(name.size()), nullptr, 0);
        String w(size_t(std::max(n, 0)), u'\0');
        if (n > 0) MultiByteToWideChar(CP_ACP, 0, name.data(), int(name.size()), w.data(), n);
        out.Files.push_back(std::move(w));
        name.clear();
      };
      for (size_t i = 0; i < avail; ++i) {
        char c = char(at[i]);
        if (c) {
          name.push_back(c);
          continue;
        }
        if (name.empty()) break;
        flush();
      }
      if (!name.empty()) flush();
    }
  }
  GlobalUnlock(h);
  return true;
}

HGLOBAL MakeDropBlock(const std::vector<String>& files, POINT pt, bool nonClient) {
  size_t units = 1;
  for (const String& f : files) units += f.size() + 1;
  HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + units * 2);
  if (!h) return nullptr;
  Byte* p = static_cast<Byte*>(GlobalLock(h));
  DROPFILES head;
  head.pFiles = sizeof(DROPFILES);
  head.pt.x = pt.X;
  head.pt.y = pt.Y;
  head.fNC = nonClient ? TRUE : FALSE;
  head.fWide = TRUE;
  std::memcpy(p, &head, sizeof head);
  Byte* at = p + sizeof head;
  for (const String& f : files) {
    std::memcpy(at, f.data(), f.size() * 2);
    at += (f.size() + 1) * 2;
  }
  GlobalUnlock(h);
  return h;
}

}  // namespace shell

using namespace shell;

HDROP CreateHDrop(const std::vector<String>& files, POINT pt, bool nonClient) {
  for (const String& f : files)
    if (f.empty() || f.find(u'\0') != String::npos)
      throw EArgumentException(u"CreateHDrop: a file name is empty or holds a NUL");
  return reinterpret_cast<HDROP>(MakeDropBlock(files, pt, nonClient));
}

UINT DragQueryFileW(HDROP hDrop, UINT iFile, char16_t* lpszFile, UINT cch) {
  TDropContent d;
  if (!ReadDrop(hDrop, d)) return 0;
  if (iFile == 0xFFFFFFFFu) return UINT(d.Files.size());
  if (iFile >= d.Files.size()) return 0;
  const String& name = d.Files[iFile];
  if (!lpszFile) return UINT(name.size());
  if (cch == 0) return 0;
  size_t n = std::min<size_t>(name.size(), cch - 1);
  std::memcpy(lpszFile, name.data(), n * 2);
  lpszFile[n] = 0;
  return UINT(n);
}

UINT DragQueryFileA(HDROP hDrop, UINT iFile, char* lpszFile, UINT cch) {
  TDropContent d;
  if (!ReadDrop(hDrop, d)) return 0;
  if (iFile == 0xFFFFFFFFu) return UINT(d.Files.size());
  if (iFile >= d.Files.size()) return 0;
  const String& name = d.Files[iFile];
  int n = WideCharToMultiByte(CP_ACP, 0, name.data(), int(name.size()), nullptr, 0, nullptr, nullptr);
  std::string bytes(size_t(std::max(n, 0)), '\0');
  if (n > 0) WideCharToMultiByte(CP_ACP, 0, name.data(), int(name.size()), bytes.data(), n, nullptr, nullptr);
  if (!lpszFile) return UINT(bytes.size());
  if (cch == 0) return 0;
  size_t k = std::min<size_t>(bytes.size(), cch - 1);
  std::memcpy(lpszFile, bytes.data(), k);
  lpszFile[k] = 0;
  return UINT(k);
}

bool DragQueryPoint(HDROP hDrop, POINT* ppt) {
  TDropContent d;
  if (!ReadDrop(hDrop, d)) return false;
  if (ppt) *ppt = d.Point;
  return !d.NonClient;
}

void DragFinish(HDROP hDrop) {
  if (hDrop) GlobalFree(reinterpret_cast<HGLOBAL>(hDrop));
}

void DragAcceptFiles(HWND hWnd, bool fAccept) {
  if (!IsWindow(hWnd)) return;
  LONG_PTR ex = GetWindowLongPtrW(hWnd, GWL_EXSTYLE);
  LONG_PTR now = fAccept ? (ex | WS_EX_ACCEPTFILES) : (ex & ~LONG_PTR(WS_EX_ACCEPTFILES));
  if (now != ex) SetWindowLongPtrW(hWnd, GWL_EXSTYLE, now);
}

// ---------------------------------------------------------------------------

namespace {

struct ExecState {
  std::mutex Lock;
  std::vector<TShellExecuteCall> Log;
  int Result = 0;
};

ExecState& X() {
  static ExecState s;
  return s;
}

String Str(const char16_t* s) { return s ? String(s) : String(); }

}  // namespace

HINSTANCE ShellExecuteW(HWND hwnd, const char16_t* lpOperation, const char16_t* lpFile,
                        const char16_t* lpParameters, const char16_t* lpDirectory, int nShowCmd) {
  ExecState& s = X();
  std::lock_guard<std::mutex> lk(s.Lock);
  TShellExecuteCall c;
  c.Wnd = hwnd;
  c.Operation = Str(lpOperation);
  c.File = Str(lpFile);
  c.Parameters = Str(lpParameters);
  c.Directory = Str(lpDirectory);
  c.ShowCmd = nShowCmd;
  s.Log.push_back(c);
  int r = (!lpFile || !*lpFile) ? SE_ERR_FNF : (s.Result ? s.Result : 42);
  return reinterpret_cast<HINSTANCE>(intptr_t(r));
}

std::vector<TShellExecuteCall> TakeShellExecuteLog() {
  ExecState& s = X();
  std::lock_guard<std::mutex> lk(s.Lock);
  return std::exchange(s.Log, {});
}

void SetShellExecuteResult(int seErr) {
  ExecState& s = X();
  std::lock_guard<std::mutex> lk(s.Lock);
  s.Result = seErr;
}

}  // namespace vcl
