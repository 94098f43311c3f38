#include "platform/vcl/Dialogs.h"

#include <algorithm>

#include "platform/rtl/SysUtils.h"
#include "platform/vcl/Forms.h"

namespace vcl {

namespace {

// The window a dialog without an explicit parent sits over: the active
// window when it is one of ours, else the main form, else the
// application's window.
HWND DefaultParent() {
  HWND active = GetActiveWindow();
  if (active && GetWindowThreadProcessId(active, nullptr) == GetCurrentThreadId()) return active;
  if (Application) {
    if (TCustomForm* f = Application->MainForm(); f && f->HandleAllocated()) return f->Handle();
    return Application->Handle();
  }
  return nullptr;
}

}  // namespace

bool TCommonDialog::Execute() { return Execute(DefaultParent()); }

void TCommonDialog::DoShow() {
  if (OnShow) OnShow(this);
}

void TCommonDialog::DoClose() {
  if (OnClose) OnClose(this);
}

TColorDialog::TColorDialog(TComponent* AOwner) : TCommonDialog(AOwner), FCustomColors(std::make_unique<TStringList>()) {}

TColorDialog::~TColorDialog() = default;

bool TColorDialog::Execute(HWND ParentWnd) {
  COLORREF custom[16];
  for (int i = 0; i < 16; ++i) {
    String v = FCustomColors->Values(String(u"Color") + Char(u'A' + i));
    Integer c = 0;
    custom[i] = !v.empty() && TryStrToInt(u"$" + Trim(v), c) && c >= 0 && c <= 0xFFFFFF ? COLORREF(c) : 0xFFFFFF;
  }
  CHOOSECOLORW cc;
  cc.hwndOwner = ParentWnd;
  cc.rgbResult = COLORREF(ColorToRGB(FColor));
  cc.lpCustColors = custom;
  cc.Flags = CC_RGBINIT;
  if (FOptions.Contains(cdFullOpen)) cc.Flags |= CC_FULLOPEN;
  if (FOptions.Contains(cdPreventFullOpen)) cc.Flags |= CC_PREVENTFULLOPEN;
  if (FOptions.Contains(cdShowHelp)) cc.Flags |= CC_SHOWHELP;
  if (FOptions.Contains(cdSolidColor)) cc.Flags |= CC_SOLIDCOLOR;
  if (FOptions.Contains(cdAnyColor)) cc.Flags |= CC_ANYCOLOR;
  FRunning = true;
  bool ok;
  try {
    DoShow();
    ok = ChooseColorW(&cc);
  } catch (...) {
    FRunning = false;
    throw;
  }
  FRunning = false;
  DoClose();
  if (!ok) return false;
  FColor = TColor(cc.rgbResult);
  FCustomColors->Clear();
  for (int i = 0; i < 16; ++i)
    FCustomColors->Add(Format(u"Color%s=%.6x", {String(1, Char(u'A' + i)), Integer(custom[i])}));
  return true;
}

// ---------------------------------------------------------------------------
// File dialogs

TOpenDialog::TOpenDialog(TComponent* AOwner) : TCommonDialog(AOwner), FFiles(std::make_unique<TStringList>()) {}

TOpenDialog::~TOpenDialog() = default;

bool TOpenDialog::DoCanClose() {
  bool can = true;
  if (FOnCanClose) FOnCanClose(this, can);
  return can;
}

bool TOpenDialog::Execute(HWND ParentWnd) {
  // "Text|*.txt|All|*.*" becomes the NUL-separated pairs the dialog reads.
  String filter;
  for (Char c : FFilter) filter.push_back(c == u'|' ? Char(0) : c);
  if (!filter.empty()) filter.push_back(0);
  filter.push_back(0);
  String ext = FDefaultExt;
  if (!ext.empty() && ext[0] == u'.') ext.erase(0, 1);
  DWORD flags = 0;
  static const std::pair<TOpenOption, DWORD> map[] = {
      {ofReadOnly, OFN_READONLY}, {ofOverwritePrompt, OFN_OVERWRITEPROMPT}, {ofHideReadOnly, OFN_HIDEREADONLY},
      {ofNoChangeDir, OFN_NOCHANGEDIR}, {ofShowHelp, OFN_SHOWHELP}, {ofNoValidate, OFN_NOVALIDATE},
      {ofAllowMultiSelect, OFN_ALLOWMULTISELECT}, {ofExtensionDifferent, OFN_EXTENSIONDIFFERENT},
      {ofPathMustExist, OFN_PATHMUSTEXIST}, {ofFileMustExist, OFN_FILEMUSTEXIST},
      {ofCreatePrompt, OFN_CREATEPROMPT}, {ofShareAware, OFN_SHAREAWARE},
      {ofNoReadOnlyReturn, OFN_NOREADONLYRETURN}, {ofNoTestFileCreate, OFN_NOTESTFILECREATE},
      {ofNoNetworkButton, OFN_NONETWORKBUTTON}, {ofNoLongNames, OFN_NOLONGNAMES},
      {ofNoDereferenceLinks, OFN_NODEREFERENCELINKS}, {ofEnableIncludeNotify, OFN_ENABLEINCLUDENOTIFY},
      {ofEnableSizing, OFN_ENABLESIZING}, {ofDontAddToRecent, OFN_DONTADDTORECENT},
      {ofForceShowHidden, OFN_FORCESHOWHIDDEN}};
  for (auto [o, f] : map)
    if (FOptions.Contains(o)) flags |= f;
  if (!FOptions.Contains(ofOldStyleDialog)) flags |= OFN_EXPLORER;

  FRunning = true;
  try {
    DoShow();
    while (true) {
      std::vector<Char> buffer(FOptions.Contains(ofAllowMultiSelect) ? 0x10000 : 0x1000, 0);
      std::copy_n(FFileName.begin(), std::min(FFileName.size(), buffer.size() - 1), buffer.begin());
      OPENFILENAMEW ofn;
      ofn.hwndOwner = ParentWnd;
      ofn.lpstrFilter = filter.c_str();
      ofn.nFilterIndex = DWORD(std::max<Integer>(FFilterIndex, 1));
      ofn.lpstrFile = buffer.data();
      ofn.nMaxFile = DWORD(buffer.size());
      ofn.lpstrInitialDir = FInitialDir.empty() ? nullptr : FInitialDir.c_str();
      ofn.lpstrTitle = FTitle.empty() ? nullptr : FTitle.c_str();
      ofn.lpstrDefExt = ext.empty() ? nullptr : ext.c_str();
      ofn.Flags = flags;
      bool ok = IsSave() ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn);
      if (!ok) {
        FRunning = false;
        DoClose();
        return false;
      }
      // One path, or the folder and the names.
      std::vector<String> parts;
      const Char* p = buffer.data();
      while (*p) {
        String s(p);
        p += s.size() + 1;
        parts.push_back(std::move(s));
      }
      std::vector<String> files;
      if (parts.size() == 1) files = parts;
      for (size_t i = 1; i < parts.size(); ++i) files.push_back(IncludeTrailingPathDelimiter(parts[0]) + parts[i]);
      String oldName = FFileName;
      auto oldFiles = std::make_unique<TStringList>();
      oldFiles->Assign(FFiles.get());
      Integer oldIndex = FFilterIndex;
      FFiles->Clear();
      for (const String& f : files) FFiles->Add(f);
      FFileName = files.empty() ? String() : files[0];
      FFilterIndex = Integer(ofn.nFilterIndex);
      if (DoCanClose()) break;
      // Turned down: the dialog asks again, the old answer stands meanwhile.
      FFileName = oldName;
      FFiles->Assign(oldFiles.get());
      FFilterIndex = oldIndex;
    }
  } catch (...) {
    FRunning = false;
    throw;
  }
  FRunning = false;
  DoClose();
  return true;
}

void ShowMessage(const String& Msg) {
  String title = Application ? Application->Title() : String();
  if (Application) Application->MessageBox(Msg, title, MB_OK);
  else MessageBoxW(nullptr, Msg.c_str(), title.c_str(), MB_OK);
}

}  // namespace vcl

QN_PUBLISHED_IMPL(vcl::TColorDialog)
QN_PUBLISHED_IMPL(vcl::TOpenDialog)
