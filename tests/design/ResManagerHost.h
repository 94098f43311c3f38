// A design host for the image manager's tests: one project whose unit is
// open in the form designer, the design files installed in a folder the
// registry names, a panel selected in the inspector, and the store back at
// the default skin afterwards.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "design/DesignUnits.h"
#include "design/frmQuarnResManager.h"
#include "graphics/raster/uPix32_PNG.h"
#include "platform/ide/DesignPackage.h"
#include "platform/ide/Inspector.h"
#include "platform/user/CommonDialogs.h"
#include "platform/user/WinReg.h"
#include "platform/vcl/Registry.h"
#include "tests/common/TestSupport.h"

namespace resmanagertest {

using namespace vcl;
using namespace qn;
namespace fs = std::filesystem;

class ResManagerHost : public ::testing::Test {
 protected:
  void SetUp() override {
    Root = qntest::MakeTempDir("resmanager_host");
    Install = Root + "/install";
    Proj = Root + "/proj";
    Pics = Root + "/pics";
    for (const std::string& d : {Install, Proj, Pics, Root + "/reg"}) fs::create_directories(d);
    SetRegistryFolder(Root + "/reg");
    {
      TRegistry r;
      ASSERT_TRUE(r.OpenKey(u"Software\\Quarn", true));
      r.WriteString(u"Path21", FromUtf8(Install));
    }
    WriteDesignInstallFiles(FromUtf8(Install));
    TQuarnResManagerObj()->Reload();

    RegisterDesignUnits();
    LoadDesignPackage(&Host);
    RegisterPropertyEditor(TTypeRef(tkUString, u"TQnResID"), nullptr, u"", TQnResManagerProperty::StaticClass());
    Host.AddProject(FromUtf8(Proj + "/Demo.dproj"), {FromUtf8(Proj + "/Unit1.pas")});
    ASSERT_TRUE(Host.OpenFile(FromUtf8(Proj + "/Unit1.pas"), true));

    Form = new TForm(nullptr);
    Form->SetName(u"Form1");
    Panel = new TQuarnPanel(Form);
    Panel->SetName(u"QuarnPanel1");
    Panel->SetParent(Form);
    Designer = std::make_unique<TDesigner>(Form);
    Insp = std::make_unique<TInspector>(Designer.get());
    Insp->Select({Panel});
  }
  void TearDown() override {
    SetFileDialogResponder(nullptr);
    SetMessageBoxResponder(nullptr);
    ClearModalScripts();
    Insp.reset();
    Designer.reset();
    delete Form;
    UnloadDesignPackage();
    ResetRegistrations();
    SetRegistryAccessDenied(false);
    SetRegistryFolder("");
    TQuarnResManagerObj()->Reload();
    TQuarnResManagerObj()->SetDesigning(false);
    fs::remove_all(Root);
  }

  // A PNG of Bitmap's pixels; its path.
  String SavePicture(const std::string& Name, TBitmap32& Bitmap) {
    const String path = FromUtf8(Pics + "/" + Name);
    EXPECT_TRUE(SaveBitmap32ToPNG(&Bitmap, true, 0, path));
    return path;
  }
  String Picture(const std::string& Name, Integer W = 8, Integer H = 6, TColor32 C = 0xFF2080C0) {
    TBitmap32 b;
    b.SetSize(W, H);
    b.Clear(C);
    return SavePicture(Name, b);
  }

  // The next file dialog answers Files (or cancels when empty); the call is
  // kept in LastCall.
  void AnswerFiles(std::vector<String> Files) {
    SetFileDialogResponder([this, Files](TFileDialogCall& Call) {
      LastCall = Call;
      Call.Ok = !Files.empty();
      Call.Files = Files;
      return true;
    });
  }

  // Opens the dialog from the inspector's "..." and runs Script inside it.
  void Open(const std::function<void(TQuarnResManagerForm*)>& Script) {
    SetModalScript([Script](TCustomForm* F) {
      auto* f = dynamic_cast<TQuarnResManagerForm*>(F);
      ASSERT_NE(f, nullptr);
      Script(f);
      if (f->ModalResult() == mrNone) f->SetModalResult(mrCancel);
    });
    Insp->Row(u"BackgroundImage")->ClickEllipsis();
  }

  // Adds the files through the dialog's Add, with the id edit as it is.
  void Add(TQuarnResManagerForm* f, std::vector<String> Files) {
    AnswerFiles(std::move(Files));
    f->actAdd->Execute();
  }
  // Adds a picture under Id; the new node is focused.
  void Add(TQuarnResManagerForm* f, const String& Id, const String& File) {
    f->edtImageID->SetText(Id);
    AnswerFiles({File});
    f->actAdd->Execute();
  }

  TIdeServices Host;
  std::string Root, Install, Proj, Pics;
  TForm* Form = nullptr;
  TQuarnPanel* Panel = nullptr;
  std::unique_ptr<TDesigner> Designer;
  std::unique_ptr<TInspector> Insp;
  TFileDialogCall LastCall;
};

}  // namespace resmanagertest
