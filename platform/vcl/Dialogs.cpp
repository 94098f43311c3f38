#include "platform/vcl/Dialogs.h"

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

void ShowMessage(const String& Msg) {
  String title = Application ? Application->Title() : String();
  if (Application) Application->MessageBox(Msg, title, MB_OK);
  else MessageBoxW(nullptr, Msg.c_str(), title.c_str(), MB_OK);
}

}  // namespace vcl

QN_PUBLISHED_IMPL(vcl::TColorDialog)
