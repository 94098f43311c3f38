// The package's registration: the palette and its order, the install
// folder recorded for the run time, and the page-control and toolbar
// editors as the designer runs them.
#include <algorithm>
#include <vector>

#include "skin/controls/uQuarnTabs.h"
#include "skin/extended/uQuarnToolbar.h"
#include "tests/design/QnRegHost.h"

namespace qnregtest {
namespace t_u_qn_reg_test {
namespace {

class uQnReg : public QnRegHost {};

const std::vector<std::string> kPalette = {
    "TQuarnForm", "TQnFormLayerBorder",
    "TQuarnNCButton", "TQuarnSystemButton", "TQuarnNCLabel", "TQuarnNCImage", "TQuarnNCMessage", "TQuarnPopupMessage",
    "TQuarnAlphaForm",
    "TQuarnImageButton", "TQuarnButton", "TQuarnToolbar", "TQuarnToolButton", "TQuarnAnimateButton", "TQnURLButton",
    "TQuarnColorButton", "TQuarnSwitchButton", "TQuarnCornerButton",
    "TQuarnEdit", "TQuarnPasswordEdit", "TQuarnSearchEdit", "TQuarnSpinEdit", "TQuarnDatetimePicker", "TQuarnCalendar",
    "TQuarnLabel", "TQuarnHtmlLabel", "TQuarnTips", "TQuarnHint", "TQuarnScrollMsgBar",
    "TQuarnPanel", "TQuarnBorderPanel", "TQuarnLine", "TQuarnSplitter", "TQuarnSizeGrip", "TQuarnAnimation",
    "TQuarnShape", "TQuarnCalloutPanel", "TQuarnTagsBox",
    "TQuarnPageControl",
    "TQnTrayIcon",
    "TQnHLSTrackBar",
    "TQuarnIconButtonList", "TQuarnCountBar", "TQuarnTabset", "TQuarnListBox", "TQuarnComboBox", "TQuarnColorComboBox",
    "TQuarnGroupBox", "TQuarnExpandBox",
    "TQuarnCheckBox", "TQuarnRadioBox",
    "TQuarnMemo", "TQuarnMemoEx",
    "TQuarnMenu",
    "TQuarnProgressBar", "TQuarnCircleProgress", "TQuarnSpeedometer",
    "TQuarnScrollBar", "TQuarnScrollBox",
    "TQuarnRes",
    "TQuarnMessageBoxStyle", "TQnLikeMenuDlg", "TQuarnPng", "TQuarnDragFile",
    "TQnQQAlign", "TQuarnCircleMarker", "TQuarnCircleShape",
    "TQuarnListView", "TQuarnLazyStringTree", "TQuarnLazyDrawTree",
    "TQuarnImageList", "TQuarnImageSlider",
};

std::vector<std::string> PaletteNames() {
  std::vector<std::string> r;
  for (TComponentClass c : PaletteClasses(kQuarnPalettePage)) r.push_back(ToUtf8(c->ClassName()));
  return r;
}

TEST_F(uQnReg, LoadingFillsOnePageInOrderAndUnloadingEmptiesIt) {
  RegisterPath(Install);
  LoadDesignPackage(&Host);
  ASSERT_EQ(kPalette.size(), 72u);
  EXPECT_EQ(PaletteNames(), kPalette);
  EXPECT_EQ(Pages(), std::vector<String>{u"Quarn"});
  // The sheet is no palette entry, but form files can name it.
  EXPECT_EQ(GetClass(u"TQuarnTabSheet"), TQuarnTabSheet::StaticClass());
  TQuarnPageControl pc(nullptr);
  EXPECT_EQ(GetComponentEditor(&pc, nullptr)->ClassType(), TQuarnPageControlEditor::StaticClass());

  UnloadDesignPackage();
  EXPECT_TRUE(PaletteClasses(kQuarnPalettePage).empty());
  EXPECT_TRUE(Pages().empty());
  EXPECT_EQ(GetComponentEditor(&pc, nullptr)->ClassType(), TDefaultEditor::StaticClass());
  EXPECT_TRUE(QnRegInstallFolder().empty());
}

TEST_F(uQnReg, ARegisteredFolderHoldingTheMarkerIsKept) {
  RegisterPath(Install);
  PlaceModule(Modules);
  AddMarker(Modules);  // a second candidate that must not win
  LoadDesignPackage(&Host);
  EXPECT_EQ(RegisteredPath(), Install);  // untouched: no trailing delimiter added
  EXPECT_EQ(ToUtf8(QnRegInstallFolder()), Install + "/");
}

TEST_F(uQnReg, AFolderThatLostItsFilesIsReplacedByTheModuleFolder) {
  RegisterPath(Root + "/gone");
  PlaceModule(Modules);
  AddMarker(Modules);
  LoadDesignPackage(&Host);
  EXPECT_EQ(RegisteredPath(), Modules + "/");
  // The run-time reader now finds it.
  EXPECT_EQ(ToUtf8(GetQuarnInstallPath()), Modules + "/");
  EXPECT_EQ(PaletteNames().size(), 72u);
}

TEST_F(uQnReg, NoMarkerAnywhereWritesNothing) {
  PlaceModule(Modules);  // no marker there, nor in the current directory
  ASSERT_TRUE(SetCurrentDir(FromUtf8(Root)));
  LoadDesignPackage(&Host);
  EXPECT_EQ(RegisteredPath(), "<none>");
  EXPECT_TRUE(QnRegInstallFolder().empty());
  EXPECT_EQ(PaletteNames().size(), 72u);

  UnloadDesignPackage();
  RegisterPath(Root + "/gone");
  LoadDesignPackage(&Host);
  EXPECT_EQ(RegisteredPath(), Root + "/gone");
}

TEST_F(uQnReg, WithoutAModuleNameTheCurrentDirectoryIsTried) {
  SetDesignModuleName(u"");
  AddMarker(Modules);
  ASSERT_TRUE(SetCurrentDir(FromUtf8(Modules)));
  LoadDesignPackage(&Host);
  EXPECT_EQ(RegisteredPath(), Modules + "/");

  // A module name too long for the buffer names no folder: the current
  // directory again, not a cut-off path.
  UnloadDesignPackage();
  RegisterPath(Root + "/gone");
  SetDesignModuleName(FromUtf8(Install + "/" + std::string(300, 'x') + ".bpl"));
  LoadDesignPackage(&Host);
  EXPECT_EQ(RegisteredPath(), Modules + "/");
}

TEST_F(uQnReg, AKeyThatCannotBeOpenedStopsRegistration) {
  RegisterPath(Root + "/gone");
  PlaceModule(Modules);
  AddMarker(Modules);
  SetRegistryAccessDenied(true);
  try {
    LoadDesignPackage(&Host);
    FAIL() << "no exception";
  } catch (const ERegistryException& e) {
    EXPECT_EQ(e.Message(), String(u"Can not open registry key by quarn!"));
  }
  EXPECT_FALSE(DesignPackageLoaded());
  EXPECT_TRUE(Pages().empty());
  SetRegistryAccessDenied(false);
  EXPECT_EQ(RegisteredPath(), Root + "/gone");
}

// ---------------------------------------------------------------------------
// Editors, on a form in the designer

class uQnRegEditors : public QnRegHost {
 protected:
  void SetUp() override {
    QnRegHost::SetUp();
    RegisterPath(Install);
    LoadDesignPackage(&Host);
    Form = new TForm(nullptr);
    Form->SetName(u"Form1");
    Designer = std::make_unique<TDesigner>(Form);
    PC = dynamic_cast<TQuarnPageControl*>(
        Designer->CreateComponent(TQuarnPageControl::StaticClass(), Form, TRect(0, 0, 300, 200)));
    ASSERT_NE(PC, nullptr);
  }
  void TearDown() override {
    Designer.reset();
    delete Form;
    QnRegHost::TearDown();
  }
  std::unique_ptr<TComponentEditor> EditorOf(TComponent* C) { return GetComponentEditor(C, Designer.get()); }
  std::vector<std::string> SheetNames(TPageControl* P) {
    std::vector<std::string> r;
    for (Integer i = 0; i < P->PageCount(); ++i) r.push_back(ToUtf8(P->Pages(i)->Name()));
    return r;
  }

  TForm* Form = nullptr;
  std::unique_ptr<TDesigner> Designer;
  TQuarnPageControl* PC = nullptr;
};

TEST_F(uQnRegEditors, PageControlVerbsAddNamedSheetsOwnedByTheRoot) {
  auto ed = EditorOf(PC);
  ASSERT_EQ(ed->ClassType(), TQuarnPageControlEditor::StaticClass());
  EXPECT_EQ(ed->GetVerbCount(), 2);
  EXPECT_EQ(ed->GetVerb(0), String(u"New page"));
  EXPECT_EQ(ed->GetVerb(1), String(u"Delete page"));
  EXPECT_EQ(QnRegResString(65460), String(u"New page"));
  EXPECT_THROW(QnRegResString(65462), EArgumentException);

  const Integer modified = Designer->ModifiedCount();
  ed->ExecuteVerb(0);
  ed->ExecuteVerb(0);
  EXPECT_EQ(SheetNames(PC), (std::vector<std::string>{"QuarnTabSheet1", "QuarnTabSheet2"}));
  for (Integer i = 0; i < 2; ++i) {
    auto* s = dynamic_cast<TQuarnTabSheet*>(PC->Pages(i));
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->Caption(), s->Name());
    EXPECT_EQ(s->Owner(), Form);
    EXPECT_EQ(s->Parent(), PC);
  }
  EXPECT_EQ(Designer->ModifiedCount(), modified + 2);

  // From a sheet: the sheet's page control gets the page.
  auto* first = dynamic_cast<TQuarnTabSheet*>(PC->Pages(0));
  auto sheetEd = EditorOf(first);
  ASSERT_EQ(sheetEd->ClassType(), TQuarnPageControlEditor::StaticClass());
  sheetEd->ExecuteVerb(0);
  EXPECT_EQ(SheetNames(PC), (std::vector<std::string>{"QuarnTabSheet1", "QuarnTabSheet2", "QuarnTabSheet3"}));
}

TEST_F(uQnRegEditors, DeletePageFreesTheActivePageOnly) {
  auto ed = EditorOf(PC);
  // Nothing to delete: only the designer hears of it.
  const Integer modified = Designer->ModifiedCount();
  ed->ExecuteVerb(1);
  EXPECT_EQ(PC->PageCount(), 0);
  EXPECT_EQ(Designer->ModifiedCount(), modified + 1);

  for (int i = 0; i < 3; ++i) ed->ExecuteVerb(0);
  PC->SetActivePageIndex(1);
  ed->ExecuteVerb(1);
  EXPECT_EQ(SheetNames(PC), (std::vector<std::string>{"QuarnTabSheet1", "QuarnTabSheet3"}));
  EXPECT_EQ(Form->FindComponent(u"QuarnTabSheet2"), nullptr);
  // The name is free again for the next new page.
  ed->ExecuteVerb(0);
  EXPECT_EQ(SheetNames(PC), (std::vector<std::string>{"QuarnTabSheet1", "QuarnTabSheet3", "QuarnTabSheet2"}));
}

TEST_F(uQnRegEditors, ASheetOfNoPageControlChangesNothing) {
  auto* loose = new TQuarnTabSheet(Form);
  loose->SetName(u"Loose");
  const Integer modified = Designer->ModifiedCount();
  const Integer owned = Form->ComponentCount();
  auto ed = EditorOf(loose);
  ed->ExecuteVerb(0);
  ed->ExecuteVerb(1);
  EXPECT_EQ(Form->ComponentCount(), owned);
  EXPECT_EQ(Designer->ModifiedCount(), modified);
  EXPECT_NE(Form->FindComponent(u"Loose"), nullptr);
}

TEST_F(uQnRegEditors, ToolbarVerbOpensTheCollectionEditorOnItems) {
  ClearCollectionEditorCalls();
  auto* bar = Designer->CreateComponent(TQuarnToolbar::StaticClass(), Form, TRect());
  auto ed = EditorOf(bar);
  ASSERT_EQ(ed->ClassType(), TQuarnToolbarEditor::StaticClass());
  EXPECT_EQ(ed->GetVerbCount(), 1);
  EXPECT_EQ(ed->GetVerb(0), String(u"&Items Editor..."));
  ed->ExecuteVerb(0);
  ed->ExecuteVerb(5);  // any verb opens it
  auto calls = CollectionEditorCalls();
  ASSERT_EQ(calls.size(), 2u);
  for (const TCollectionEditorCall& c : calls) {
    EXPECT_EQ(c.Designer, Designer.get());
    EXPECT_EQ(c.EditorClass, TCollectionEditor::StaticClass());
    EXPECT_EQ(c.Component, bar);
    EXPECT_EQ(c.Collection, static_cast<TQuarnToolbar*>(bar)->Items());
    EXPECT_EQ(c.PropertyName, String(u"Items"));
    EXPECT_EQ(c.Options, (TColOptions{coAdd, coDelete, coMove}));
  }
  ClearCollectionEditorCalls();
}

}  // namespace
}  // namespace t_u_qn_reg_test
}  // namespace qnregtest
