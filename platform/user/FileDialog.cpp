// The file dialogs. They show a plain dialog of our own (the folder, the
// file name and the filter), which OK answers with the name it shows and
// Cancel or Escape cancels; a responder answers in its stead, one answer
// at a time, and answers the dialog refuses are put to it again.
#include <algorithm>
#include <mutex>

#include "platform/rtl/SysUtils.h"
#include "platform/user/CommonDialogs.h"
#include "platform/user/DialogKit.h"

namespace vcl {

namespace {

std::mutex gFileLock;
TFileDialogResponder gFileResponder;
std::vector<TFileDialogCall> gFileCalls;
thread_local DWORD gLastError = 0;

// The texts of a double-NUL-ended list.
std::vector<String> SplitNulList(const Char* p) {
  std::vector<String> r;
  if (!p) return r;
  while (*p) {
    String s(p);
    p += s.size() + 1;
    r.push_back(std::move(s));
  }
  return r;
}

class FileDialog : public dialogkit::Dialog {
 public:
  FileDialog(HWND owner, const TFileDialogCall& call) : FCall(call) {
    Font = dialogkit::MakeMessageFont();
    Buttons.push_back({TRect(), call.Save ? u"&Save" : u"&Open", IDOK, true});
    Buttons.push_back({TRect(), u"Cancel", IDCANCEL, true});
    Default = Focus = 0;
    PlaceButtons(kWidth, kHeight);
    String caption = !call.Title.empty() ? call.Title : call.Save ? u"Save As" : u"Open";
    Create(owner, caption, TSize(kWidth, kHeight), true, false);
  }
  int DefaultResult() const override { return IDCANCEL; }
  int EscapeResult() const override { return IDCANCEL; }

  void PaintBody(HDC dc, const TRect&) override {
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    Line(dc, u"Look in:", FCall.InitialDir.empty() ? GetCurrentDir() : FCall.InitialDir, 16);
    Line(dc, u"File name:", FCall.FileName, 48);
    String filter;
    size_t i = (FCall.FilterIndex > 0 ? FCall.FilterIndex - 1 : 0) * 2;
    if (i < FCall.Filter.size()) filter = FCall.Filter[i];
    Line(dc, u"Files of type:", filter, 80);
  }

 private:
  static constexpr Integer kWidth = 420, kHeight = 168;
  static void Line(HDC dc, const String& label, const String& value, Integer y) {
    RECT l{16, y, 112, y + 20};
    DrawTextW(dc, label.c_str(), int(label.size()), &l, DT_SINGLELINE | DT_VCENTER);
    RECT box{112, y, kWidth - 16, y + 20};
    HBRUSH b = CreateSolidBrush(GetSysColor(COLOR_WINDOW));
    FillRect(dc, &box, b);
    DeleteObject(b);
    FrameRect(dc, &box, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
    RECT t{box.Left + 4, box.Top, box.Right - 4, box.Bottom};
    DrawTextW(dc, value.c_str(), int(value.size()), &t, DT_SINGLELINE | DT_VCENTER | DT_PATH_ELLIPSIS);
  }
  const TFileDialogCall& FCall;
};

String FullPath(const TFileDialogCall& call, const String& name) {
  bool absolute = !name.empty() && (name[0] == u'/' || name[0] == u'\\' || (name.size() > 1 && name[1] == u':'));
  String base = call.InitialDir.empty() ? GetCurrentDir() : call.InitialDir;
  String full = absolute ? name : IncludeTrailingPathDelimiter(base) + name;
  if (!call.DefaultExt.empty() && ExtractFileExt(full).empty()) {
    String ext = call.DefaultExt[0] == u'.' ? call.DefaultExt.substr(1) : call.DefaultExt;
    if (!ext.empty()) full += u"." + ext;
  }
  return full;
}

// Why the dialog turns an answer down, or empty when it takes it.
String Check(HWND dialog, const TFileDialogCall& call, const std::vector<String>& files) {
  if (files.empty()) return u"no file";
  if (files.size() > 1 && !(call.Flags & OFN_ALLOWMULTISELECT)) return u"several files";
  for (const String& f : files) {
    if (ExtractFileName(f).empty()) return f + u": no file name";
    if ((call.Flags & (OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST)) && !DirectoryExists(ExtractFileDir(f)))
      return f + u": the path does not exist";
    if ((call.Flags & OFN_FILEMUSTEXIST) && !FileExists(f)) return f + u": the file does not exist";
  }
  if (call.Save && (call.Flags & OFN_OVERWRITEPROMPT) && FileExists(files[0])) {
    String text = ExtractFileName(files[0]) + u" already exists.\nDo you want to replace it?";
    if (MessageBoxW(dialog, text.c_str(), u"Confirm Save As", MB_YESNO | MB_ICONWARNING) != IDYES)
      return files[0] + u": not to be replaced";
  }
  return String();
}

bool Run(OPENFILENAMEW* ofn, bool save) {
  gLastError = 0;
  if (!ofn || ofn->lStructSize != sizeof(OPENFILENAMEW)) {
    gLastError = CDERR_STRUCTSIZE;
    return false;
  }
  if (!ofn->lpstrFile || ofn->nMaxFile == 0 || (ofn->hwndOwner && !IsWindow(ofn->hwndOwner))) {
    gLastError = CDERR_INITIALIZATION;
    return false;
  }
  TFileDialogCall call;
  call.Owner = ofn->hwndOwner;
  call.Save = save;
  call.Title = ofn->lpstrTitle ? String(ofn->lpstrTitle) : String();
  call.InitialDir = ofn->lpstrInitialDir ? String(ofn->lpstrInitialDir) : String();
  // The initial name need not be terminated within the buffer.
  const Char* f = ofn->lpstrFile;
  call.FileName = String(f, std::find(f, f + ofn->nMaxFile, Char(0)));
  call.Filter = SplitNulList(ofn->lpstrFilter);
  call.FilterIndex = ofn->nFilterIndex ? ofn->nFilterIndex : 1;
  call.DefaultExt = ofn->lpstrDefExt ? String(ofn->lpstrDefExt) : String();
  call.Flags = ofn->Flags;
  TFileDialogResponder responder;
  {
    std::lock_guard<std::mutex> lk(gFileLock);
    responder = gFileResponder;
  }

  FileDialog dlg(ofn->hwndOwner, call);
  std::vector<String> chosen;
  auto take = [&](const std::vector<String>& names) {
    std::vector<String> full;
    for (const String& n : names) full.push_back(FullPath(call, n));
    String why = Check(dlg.Hwnd, call, full);
    if (!why.empty()) {
      call.Refused.push_back(why);
      return false;
    }
    chosen = full;
    return true;
  };
  int result = dlg.Run(ofn->hwndOwner, [&] {
    if (!responder) return false;
    bool asked = false;
    // Answers are taken in turn until one passes or the responder gives up.
    while (true) {
      call.Ok = false;
      call.Files.clear();
      if (!responder(call)) {
        if (!asked) return false;  // never answered: the dialog is the user's
        dlg.End(IDCANCEL);
        return true;
      }
      asked = true;
      if (!call.Ok) {
        dlg.End(IDCANCEL);
        return true;
      }
      if (take(call.Files)) {
        dlg.End(IDOK);
        return true;
      }
    }
  });
  // OK pressed on the dialog itself answers the name it shows.
  if (result == IDOK && chosen.empty() && !take({call.FileName})) result = IDCANCEL;

  bool ok = result == IDOK;
  if (ok) {
    // One file: its full path; several: the folder, then each name.
    String out;
    if (chosen.size() == 1) {
      out = chosen[0];
      out.push_back(0);
    } else {
      out = ExcludeTrailingPathDelimiter(ExtractFilePath(chosen[0]));
      out.push_back(0);
      for (const String& c : chosen) {
        out += ExtractFileName(c);
        out.push_back(0);
      }
    }
    out.push_back(0);
    if (out.size() > ofn->nMaxFile) {
      gLastError = FNERR_BUFFERTOOSMALL;
      ok = false;
    } else {
      std::copy(out.begin(), out.end(), ofn->lpstrFile);
      if (chosen.size() == 1) {
        String name = ExtractFileName(chosen[0]);
        ofn->nFileOffset = WORD(chosen[0].size() - name.size());
        String ext = ExtractFileExt(chosen[0]);
        ofn->nFileExtension = ext.empty() ? 0 : WORD(chosen[0].size() - ext.size() + 1);
      } else {
        ofn->nFileOffset = WORD(ExcludeTrailingPathDelimiter(ExtractFilePath(chosen[0])).size() + 1);
        ofn->nFileExtension = 0;
      }
      if (call.ResultFilterIndex) ofn->nFilterIndex = call.ResultFilterIndex;
    }
  }
  call.Ok = ok;
  call.Files = ok ? chosen : std::vector<String>();
  std::lock_guard<std::mutex> lk(gFileLock);
  gFileCalls.push_back(call);
  return ok;
}

}  // namespace

bool GetOpenFileNameW(OPENFILENAMEW* ofn) { return Run(ofn, false); }
bool GetSaveFileNameW(OPENFILENAMEW* ofn) { return Run(ofn, true); }
DWORD CommDlgExtendedError() { return gLastError; }

TFileDialogResponder SetFileDialogResponder(TFileDialogResponder responder) {
  std::lock_guard<std::mutex> lk(gFileLock);
  TFileDialogResponder old = std::move(gFileResponder);
  gFileResponder = std::move(responder);
  return old;
}

std::vector<TFileDialogCall> FileDialogCalls() {
  std::lock_guard<std::mutex> lk(gFileLock);
  return gFileCalls;
}

void ClearFileDialogCalls() {
  std::lock_guard<std::mutex> lk(gFileLock);
  gFileCalls.clear();
}

}  // namespace vcl
