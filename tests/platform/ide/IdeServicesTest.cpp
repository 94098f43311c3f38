#include <map>

#include "platform/ide/DesignPackage.h"
#include "platform/rtl/SysUtils.h"
#include "tests/platform/ide/IdeTestSupport.h"

namespace t_ide_services_test {

using namespace idetest;

namespace {

std::vector<std::string> gLog;

// A design package as a component vendor writes one: its unit registers
// an IDE notifier, which hangs a form notifier on every form opened and
// takes it off when the file closes.
struct TVendorFormNotifier : TNotifierObject, IOTAFormNotifier {
  explicit TVendorFormNotifier(String F) : File(std::move(F)) {}
  String File;
  void FormActivated() override { gLog.push_back("Activated:" + ToUtf8(File)); }
  void FormSaving() override {}
  void ComponentRenamed(TComponent*, const String&, const String&) override {}
};

std::map<String, Integer> gFormNotifiers;  // file -> index in its form editor
std::weak_ptr<TVendorFormNotifier> gLastFormNotifier;
Integer gIdeNotifier = -1;

std::vector<TOTAFormEditor*> FormEditors(const String& File, TIdeServices* S = IdeServices()) {
  std::vector<TOTAFormEditor*> r;
  if (TOTAModule* m = S ? S->FindModule(File) : nullptr)
    for (Integer i = 0; i < m->ModuleFileCount(); ++i)
      if (auto* f = dynamic_cast<TOTAFormEditor*>(m->ModuleFileEditors(i))) r.push_back(f);
  return r;
}

struct TVendorIdeNotifier : TNotifierObject, IOTAIDENotifier {
  String CancelOpening;
  void FileNotification(TOTAFileNotification Code, const String& File, bool& Cancel) override {
    gLog.push_back(ToUtf8(EnumName(Code)) + ":" + ToUtf8(File));
    if (Code == ofnFileOpening && SameText(File, CancelOpening)) Cancel = true;
    if (Code == ofnFileOpened) {
      for (TOTAFormEditor* f : FormEditors(File)) {
        auto n = std::make_shared<TVendorFormNotifier>(File);
        gLastFormNotifier = n;
        Integer index = f->AddNotifier(n);
        if (index >= 0) gFormNotifiers[File] = index;
      }
    } else if (Code == ofnFileClosing) {
      auto it = gFormNotifiers.find(File);
      if (it == gFormNotifiers.end()) return;
      for (TOTAFormEditor* f : FormEditors(File)) f->RemoveNotifier(it->second);
      gFormNotifiers.erase(it);
    }
  }
  void BeforeCompile(TOTAProject* P, bool&) override { gLog.push_back("BeforeCompile:" + ToUtf8(P->FileName())); }
  void AfterCompile(bool Ok) override { gLog.push_back(Ok ? "AfterCompile:ok" : "AfterCompile:failed"); }
};
std::shared_ptr<TVendorIdeNotifier> gVendor;

void VendorInit() {
  gLog.push_back("init:VendorNotifiers");
  if (!IdeServices()) return;  // no-services mode
  gVendor = std::make_shared<TVendorIdeNotifier>();
  gIdeNotifier = IdeServices()->AddNotifier(gVendor);
}

void VendorDone() {
  gLog.push_back("done:VendorNotifiers");
  if (IdeServices()) {
    for (auto& [file, index] : gFormNotifiers)
      for (TOTAFormEditor* f : FormEditors(file)) f->RemoveNotifier(index);
    if (gIdeNotifier >= 0) IdeServices()->RemoveNotifier(gIdeNotifier);
  }
  gFormNotifiers.clear();
  gIdeNotifier = -1;
  gVendor.reset();
}

void VendorRegister() {
  gLog.push_back("register:VendorReg");
  RegisterComponents(u"Vendor", {TPart::StaticClass()});
  RegisterPropertyEditor(TTypeRef(tkUString, u"TQnResID"), nullptr, u"", TEditorA::StaticClass());
  Char buf[260];
  DWORD n = GetModuleFileNameW(DesignPackageInstance(), buf, 260);
  gLog.push_back("module:" + ToUtf8(String(buf, n)));
}

class Platform_IdeServices : public IdeTest {
 protected:
  void SetUp() override {
    IdeTest::SetUp();
    gLog.clear();
    ClearDesignUnits();
    // Registered out of order: the uses decide.
    RegisterDesignUnit({"VendorReg", {"VendorNotifiers", "Classes"}, [] { gLog.push_back("init:VendorReg"); },
                        [] { gLog.push_back("done:VendorReg"); }},
                       VendorRegister);
    RegisterDesignUnit({"VendorNotifiers", {"SysUtils"}, VendorInit, VendorDone});
    SetDesignModuleName(u"C:\\Vendor\\Bin\\VendorDesign.bpl");
  }
  void TearDown() override {
    ClearDesignUnits();
    SetIdeServices(nullptr);
    IdeTest::TearDown();
  }
  TIdeServices Services;
};

TEST_F(Platform_IdeServices, ThePackageLivesFromLoadToUnload) {
  LoadDesignPackage(&Services);
  EXPECT_TRUE(DesignPackageLoaded());
  EXPECT_EQ(IdeServices(), &Services);
  EXPECT_EQ(gLog, (std::vector<std::string>{"init:VendorNotifiers", "init:VendorReg", "register:VendorReg",
                                            "module:C:\\Vendor\\Bin\\VendorDesign.bpl"}));
  EXPECT_EQ(Pages(), std::vector<String>{u"Vendor"});
  EXPECT_EQ(Services.NotifierCount(), 1);
  EXPECT_THROW(LoadDesignPackage(&Services), EInvalidOperation);
  gLog.clear();
  UnloadDesignPackage();
  EXPECT_EQ(gLog, (std::vector<std::string>{"done:VendorReg", "done:VendorNotifiers"}));
  EXPECT_TRUE(Pages().empty());
  TPart part(nullptr);
  EXPECT_EQ(GetPropertyEditorClass(TPart::StaticClass(), GetPropInfo(&part, u"Image")), TStringProperty::StaticClass());
  EXPECT_EQ(Services.NotifierCount(), 0);
  EXPECT_EQ(IdeServices(), nullptr);
  UnloadDesignPackage();  // twice is harmless
  // Without services the package still loads; its unit sees none.
  gLog.clear();
  LoadDesignPackage(nullptr);
  EXPECT_EQ(IdeServices(), nullptr);
  EXPECT_EQ(gIdeNotifier, -1);
  UnloadDesignPackage();
}

TEST_F(Platform_IdeServices, NotifiersHearFilesInOrderAndFormsThroughTheirEditors) {
  LoadDesignPackage(&Services);
  TOTAProject* p = Services.AddProject(u"C:\\Work\\Demo.dproj", {u"C:\\Work\\Main.pas", u"C:\\Work\\Main.dfm"});
  gLog.clear();
  ASSERT_TRUE(Services.OpenFile(u"C:\\Work\\Main.pas"));
  EXPECT_EQ(Services.CurrentModule(), Services.FindModule(u"c:\\work\\MAIN.pas"));
  ASSERT_EQ(FormEditors(u"C:\\Work\\Main.pas").size(), 1u);
  EXPECT_EQ(FormEditors(u"C:\\Work\\Main.pas")[0]->FileName(), u"C:\\Work\\Main.dfm");
  EXPECT_EQ(FormEditors(u"C:\\Work\\Main.pas")[0]->NotifierCount(), 1);
  Services.ActivateForm(u"C:\\Work\\Main.pas");
  Services.Compile(p, false);
  EXPECT_TRUE(Services.CloseFile(u"C:\\Work\\Main.pas"));
  EXPECT_EQ(gLog, (std::vector<std::string>{"ofnFileOpening:C:\\Work\\Main.pas", "ofnFileOpened:C:\\Work\\Main.pas",
                                            "Activated:C:\\Work\\Main.pas", "BeforeCompile:C:\\Work\\Demo.dproj",
                                            "AfterCompile:failed", "ofnFileClosing:C:\\Work\\Main.pas"}));
  EXPECT_EQ(Services.FindModule(u"C:\\Work\\Main.pas"), nullptr);
  EXPECT_EQ(Services.CurrentModule(), nullptr);
  EXPECT_FALSE(Services.CloseFile(u"C:\\Work\\Main.pas"));
  EXPECT_THROW(Services.ActivateForm(u"C:\\Work\\Main.pas"), EInvalidOperation);
  // A cancelled opening leaves the file shut and tells no one it opened.
  gVendor->CancelOpening = u"C:\\Work\\Other.pas";
  gLog.clear();
  EXPECT_FALSE(Services.OpenFile(u"C:\\Work\\Other.pas"));
  EXPECT_EQ(gLog, std::vector<std::string>{"ofnFileOpening:C:\\Work\\Other.pas"});
  EXPECT_EQ(Services.ModuleCount(), 0);
  ASSERT_EQ(Services.MainProjectGroup()->ProjectCount(), 1);
  EXPECT_EQ(Services.MainProjectGroup()->Projects(0)->GetModule(1), u"C:\\Work\\Main.dfm");
  UnloadDesignPackage();
}

TEST_F(Platform_IdeServices, RefusingFormEditorsAndUnloadingLeaveNoNotifierBehind) {
  LoadDesignPackage(&Services);
  Services.SetRefuseFormNotifiers(true);
  Services.OpenFile(u"A.pas");
  // The refused notifier was dropped by the package, not kept anywhere.
  EXPECT_TRUE(gLastFormNotifier.expired());
  EXPECT_TRUE(gFormNotifiers.empty());
  EXPECT_EQ(FormEditors(u"A.pas")[0]->NotifierCount(), 0);
  Services.SetRefuseFormNotifiers(false);
  Services.OpenFile(u"B.pas");
  Services.OpenFile(u"NoForm.pas", false);
  EXPECT_TRUE(FormEditors(u"NoForm.pas").empty());
  EXPECT_EQ(FormEditors(u"B.pas")[0]->NotifierCount(), 1);
  EXPECT_FALSE(gLastFormNotifier.expired());
  gLog.clear();
  Services.ActivateForm(u"A.pas");
  Services.ActivateForm(u"B.pas");
  EXPECT_EQ(gLog, std::vector<std::string>{"Activated:B.pas"});
  UnloadDesignPackage();
  EXPECT_EQ(Services.NotifierCount(), 0);
  ASSERT_EQ(FormEditors(u"B.pas", &Services).size(), 1u);
  EXPECT_EQ(FormEditors(u"B.pas", &Services)[0]->NotifierCount(), 0);
  EXPECT_TRUE(gLastFormNotifier.expired());
  // Nothing hears the files any more.
  gLog.clear();
  SetIdeServices(&Services);
  Services.CloseFile(u"B.pas");
  Services.OpenFile(u"C.pas");
  EXPECT_TRUE(gLog.empty());
}

TEST_F(Platform_IdeServices, ModuleFileNamesAreCutToTheBuffer) {
  Char buf[8];
  SetDesignModuleName(u"VendorDesign.bpl");
  EXPECT_EQ(GetModuleFileNameW(DesignPackageInstance(), buf, 8), 8u);
  EXPECT_EQ(String(buf), u"VendorD");
  Char big[64];
  EXPECT_EQ(GetModuleFileNameW(DesignPackageInstance(), big, 64), 16u);
  EXPECT_EQ(String(big), u"VendorDesign.bpl");
  EXPECT_EQ(GetModuleFileNameW(nullptr, big, 64), DWORD(std::min<size_t>(GetModuleFileName().size(), 63)) +
                                                      (GetModuleFileName().size() >= 64 ? 1u : 0u));
  EXPECT_EQ(GetModuleFileNameW(reinterpret_cast<HMODULE>(0x1234), big, 64), 0u);
}

TEST_F(Platform_IdeServices, AFailingUnitUnloadsWhatWasLoaded) {
  RegisterDesignUnit({"Broken", {"VendorReg"}, [] { throw EInvalidOperation(u"broken"); }, nullptr});
  EXPECT_THROW(LoadDesignPackage(&Services), EInvalidOperation);
  EXPECT_FALSE(DesignPackageLoaded());
  EXPECT_EQ(gLog, (std::vector<std::string>{"init:VendorNotifiers", "init:VendorReg", "done:VendorReg",
                                            "done:VendorNotifiers"}));
  EXPECT_EQ(Services.NotifierCount(), 0);
  EXPECT_EQ(IdeServices(), nullptr);
}

}  // namespace

}  // namespace t_ide_services_test
