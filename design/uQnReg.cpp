#include "design/uQnReg.h"

#include <memory>

#include "design/frmAboutQuarn.h"
#include "design/frmQuarnResManager.h"
#include "platform/ide/DesignPackage.h"
#include "platform/rtl/SysUtils.h"
#include "platform/vcl/Registry.h"
#include "skin/controls/uQnHLSTrackBar.h"
#include "skin/controls/uQuarnBoxCtrls.h"
#include "skin/controls/uQuarnBoxCtrls_ComboBox.h"
#include "skin/controls/uQuarnBoxCtrls_ListBox.h"
#include "skin/controls/uQuarnButton.h"
#include "skin/controls/uQuarnCheckBox.h"
#include "skin/controls/uQuarnEdit.h"
#include "skin/controls/uQuarnExpandBox.h"
#include "skin/controls/uQuarnHtmlLabel.h"
#include "skin/controls/uQuarnLabel.h"
#include "skin/controls/uQuarnListView.h"
#include "skin/controls/uQuarnMemo.h"
#include "skin/controls/uQuarnPanel.h"
#include "skin/controls/uQuarnPasswordEdit.h"
#include "skin/controls/uQuarnProgressBar.h"
#include "skin/controls/uQuarnRadioBox.h"
#include "skin/controls/uQuarnScrollBar.h"
#include "skin/controls/uQuarnScrollBox.h"
#include "skin/controls/uQuarnSearchEdit.h"
#include "skin/controls/uQuarnSizeGrip.h"
#include "skin/controls/uQuarnSpinEdit.h"
#include "skin/controls/uQuarnSplitter.h"
#include "skin/controls/uQuarnTabs.h"
#include "skin/controls/uQuarnTips.h"
#include "skin/extended/uQnLikeMenuDlg.h"
#include "skin/extended/uQnQQAlign.h"
#include "skin/extended/uQnTrayIcon.h"
#include "skin/extended/uQuarnAlphaForm.h"
#include "skin/extended/uQuarnAnimation.h"
#include "skin/extended/uQuarnCalendar.h"
#include "skin/extended/uQuarnCalloutPanel.h"
#include "skin/extended/uQuarnCircleProgress.h"
#include "skin/extended/uQuarnCircleShape.h"
#include "skin/extended/uQuarnColorButton.h"
#include "skin/extended/uQuarnCornerButton.h"
#include "skin/extended/uQuarnCountBar.h"
#include "skin/extended/uQuarnDatetimePicker.h"
#include "skin/extended/uQuarnDragFile.h"
#include "skin/extended/uQuarnHint.h"
#include "skin/extended/uQuarnIconButtonList.h"
#include "skin/extended/uQuarnImageSlider.h"
#include "skin/extended/uQuarnLine.h"
#include "skin/extended/uQuarnMarker.h"
#include "skin/extended/uQuarnMessageBox.h"
#include "skin/extended/uQuarnNCMessage.h"
#include "skin/extended/uQuarnPng.h"
#include "skin/extended/uQuarnPopupMessage.h"
#include "skin/extended/uQuarnScrollMsgBar.h"
#include "skin/extended/uQuarnShape.h"
#include "skin/extended/uQuarnSpeedometer.h"
#include "skin/extended/uQuarnSwitchButton.h"
#include "skin/extended/uQuarnTabset.h"
#include "skin/extended/uQuarnTagsBox.h"
#include "skin/extended/uQuarnToolbar.h"
#include "skin/forms/uQnFormBorder.h"
#include "skin/forms/uQuarnForm.h"
#include "skin/forms/uQuarnMenu.h"
#include "skin/forms/uQuarnNCCtrlBase.h"
#include "skin/foundation/uQnComm_Install.h"
#include "skin/foundation/uQuarnIntf.h"
#include "skin/foundation/uQuarnResManager.h"
#include "treeview/uQuarnLazyTree.h"
#include "xml/uQuarnRes.h"

namespace qn {

namespace {

struct TQnRegState {
  Integer InitCount = 0;
  String InstallFolder;
};

TQnRegState& RegState() {
  static TQnRegState s;
  return s;
}

template <class... T>
std::vector<TComponentClass> Classes() {
  return {T::StaticClass()...};
}

bool HoldsMarker(const String& Folder) {
  return !Folder.empty() && FileExists(IncludeTrailingPathDelimiter(Folder) + kAboutQuarnDfm);
}

// The folder of the package's own module, or the current one when the
// host names no module. A name cut at the buffer's end names no real
// folder, so it counts as none.
String ModuleFolder() {
  constexpr DWORD kMaxName = 260;
  Char name[kMaxName + 1] = {};
  const DWORD n = GetModuleFileNameW(DesignPackageInstance(), name, kMaxName + 1);
  String folder;
  if (n > 0 && n <= kMaxName) folder = ExtractFileDir(String(name, n));
  if (folder.empty()) folder = GetCurrentDir();
  return Trim(IncludeTrailingPathDelimiter(Trim(folder)));
}

// Step 1 of Register: makes sure the run-time code finds the install
// folder, writing it only when the registered one lost its files.
void RecordInstallFolder() {
  TQnRegState& s = RegState();
  const String registered = GetQuarnInstallPath();
  if (HoldsMarker(registered)) {
    s.InstallFolder = IncludeTrailingPathDelimiter(registered);
    return;
  }
  s.InstallFolder.clear();
  const String folder = ModuleFolder();
  if (!HoldsMarker(folder)) return;
  auto reg = std::make_unique<TRegistry>();
  reg->SetRootKey(HKEY_CURRENT_USER);
  if (!reg->OpenKey(kQuarnRegKey, true)) throw ERegistryException(kQuarnRegOpenFailed);
  reg->WriteString(Format(u"Path%.0f", {21.0}), folder);
  reg->CloseKey();
  s.InstallFolder = folder;
}

}  // namespace

String QnRegResString(Integer Id) {
  switch (Id) {
    case SNewPage: return u"New page";
    case SDeletePage: return u"Delete page";
    default: throw EArgumentException(u"No resource string " + IntToStr(Id));
  }
}

// ---------------------------------------------------------------------------
// TQuarnPageControlEditor

Integer TQuarnPageControlEditor::GetVerbCount() { return 2; }

String TQuarnPageControlEditor::GetVerb(Integer Index) {
  switch (Index) {
    case 0: return QnRegResString(SNewPage);
    case 1: return QnRegResString(SDeletePage);
    default: return String();
  }
}

void TQuarnPageControlEditor::ExecuteVerb(Integer Index) {
  if (Index != 0 && Index != 1) return;
  TComponent* c = Component();
  TPageControl* target = dynamic_cast<TQuarnPageControl*>(c);
  if (!target) {
    if (auto* sheet = dynamic_cast<TQuarnTabSheet*>(c)) target = sheet->PageControl();
  }
  // A sheet on its own (or a component gone) has no page control to add
  // to or delete from.
  if (!target) return;
  IDesigner* designer = Designer();
  if (Index == 0) {
    TComponent* owner = designer ? designer->Root() : target->Owner();
    auto* sheet = new TQuarnTabSheet(owner);
    try {
      sheet->SetParent(target);
      sheet->SetPageControl(target);
      const String base = TQuarnTabSheet::StaticClass()->ClassName();
      String name;
      if (designer) name = designer->UniqueName(base);
      else if (owner) {
        // Without a designer the owner's own names decide.
        const String stem = base.size() > 1 && base[0] == u'T' ? base.substr(1) : base;
        for (Integer i = 1;; ++i)
          if (!owner->FindComponent(name = stem + IntToStr(i))) break;
      }
      sheet->SetName(name);
      sheet->SetCaption(name);
    } catch (...) {
      delete sheet;
      throw;
    }
  } else if (TTabSheet* page = target->ActivePage()) {
    page->SetPageControl(nullptr);
    delete page;
  }
  if (designer) designer->Modified();
}

// ---------------------------------------------------------------------------
// TQuarnToolbarEditor

Integer TQuarnToolbarEditor::GetVerbCount() { return 1; }

String TQuarnToolbarEditor::GetVerb(Integer) { return u"&Items Editor..."; }

void TQuarnToolbarEditor::ExecuteVerb(Integer) {
  auto* bar = dynamic_cast<TQuarnToolbar*>(Component());
  if (!bar) return;
  ShowCollectionEditorClass(Designer(), TCollectionEditor::StaticClass(), bar, bar->Items(), u"Items",
                            TColOptions{coAdd, coDelete, coMove});
}

// ---------------------------------------------------------------------------
// Register

void Register() {
  RecordInstallFolder();

  const String page = kQuarnPalettePage;
  RegisterComponents(page, Classes<TQuarnForm, TQnFormLayerBorder>());
  RegisterComponents(page, Classes<TQuarnNCButton, TQuarnSystemButton, TQuarnNCLabel, TQuarnNCImage, TQuarnNCMessage,
                                   TQuarnPopupMessage>());
  RegisterComponents(page, Classes<TQuarnAlphaForm>());
  RegisterComponents(page, Classes<TQuarnImageButton, TQuarnButton, TQuarnToolbar, TQuarnToolButton,
                                   TQuarnAnimateButton, TQnURLButton, TQuarnColorButton, TQuarnSwitchButton,
                                   TQuarnCornerButton>());
  RegisterComponents(page, Classes<TQuarnEdit, TQuarnPasswordEdit, TQuarnSearchEdit, TQuarnSpinEdit,
                                   TQuarnDatetimePicker, TQuarnCalendar>());
  RegisterComponents(page, Classes<TQuarnLabel, TQuarnHtmlLabel, TQuarnTips, TQuarnHint, TQuarnScrollMsgBar>());
  RegisterComponents(page, Classes<TQuarnPanel, TQuarnBorderPanel, TQuarnLine, TQuarnSplitter, TQuarnSizeGrip,
                                   TQuarnAnimation, TQuarnShape, TQuarnCalloutPanel, TQuarnTagsBox>());
  RegisterComponents(page, Classes<TQuarnPageControl>());
  RegisterComponents(page, Classes<TQnTrayIcon>());

  RegisterClass(TQuarnTabSheet::StaticClass());

  RegisterComponentEditor(TQuarnToolbar::StaticClass(), TQuarnToolbarEditor::StaticClass());
  RegisterComponentEditor(TQuarnPageControl::StaticClass(), TQuarnPageControlEditor::StaticClass());
  RegisterComponentEditor(TQuarnTabSheet::StaticClass(), TQuarnPageControlEditor::StaticClass());

  RegisterPropertyEditor(TypeRefOf<TQnAboutInfo>(), nullptr, u"About", TQnAboutBoxProperty::StaticClass());
  // Image ids are plain strings told apart only by their type name; an
  // empty property name gives every one of them (Image, HotImage,
  // CloseImage, ...) the image manager's "...".
  RegisterPropertyEditor(TTypeRef(tkUString, u"TQnResID"), nullptr, u"", TQnResManagerProperty::StaticClass());

  RegisterComponents(page, Classes<TQnHLSTrackBar>());
  RegisterComponents(page, Classes<TQuarnIconButtonList, TQuarnCountBar, TQuarnTabset, TQuarnListBox, TQuarnComboBox,
                                   TQuarnColorComboBox, TQuarnGroupBox, TQuarnExpandBox>());
  RegisterComponents(page, Classes<TQuarnCheckBox, TQuarnRadioBox>());
  RegisterComponents(page, Classes<TQuarnMemo, TQuarnMemoEx>());
  RegisterComponents(page, Classes<TQuarnMenu>());
  RegisterComponents(page, Classes<TQuarnProgressBar, TQuarnCircleProgress, TQuarnSpeedometer>());
  RegisterComponents(page, Classes<TQuarnScrollBar, TQuarnScrollBox>());
  RegisterComponents(page, Classes<TQuarnRes>());
  RegisterComponents(page, Classes<TQuarnMessageBoxStyle, TQnLikeMenuDlg, TQuarnPng, TQuarnDragFile>());
  RegisterComponents(page, Classes<TQnQQAlign, TQuarnCircleMarker, TQuarnCircleShape>());
  RegisterComponents(page, Classes<TQuarnListView, TQuarnLazyStringTree, TQuarnLazyDrawTree>());
  RegisterComponents(page, Classes<TQuarnImageList, TQuarnImageSlider>());
}

String QnRegInstallFolder() { return RegState().InstallFolder; }

void InitQnRegUnit() { ++RegState().InitCount; }

void FinalQnRegUnit() {
  TQnRegState& s = RegState();
  if (s.InitCount == 0 || --s.InitCount > 0) return;
  s.InstallFolder.clear();
}

}  // namespace qn
