// The unit's notifiers in the design host: form notifiers hung on opened
// forms, the store reloaded once per switch of project, notifiers taken off
// when files close and when the package unloads, and the start refused
// without the host's services.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "design/DesignUnits.h"
#include "design/frmQuarnResManager.h"
#include "graphics/raster/uPix32_PNG.h"
#include "platform/classes/FormText.h"
#include "platform/classes/Streaming.h"
#include "platform/classes/Streams.h"
#include "platform/ide/DesignPackage.h"
#include "tests/common/TestSupport.h"

namespace t_frm_quarn_res_manager_notifiers_test {

namespace {

using namespace vcl;
using namespace qn;
namespace fs = std::filesystem;

// The image list's text as the store reloads it, with one extra image Id.
std::string ListTextWith(const String& Id, const std::string& Pics) {
  TQuarnResManagerObj()->Reload();
  TBitmap32 b;
  b.SetSize(4, 3);
  b.Clear(0xFF102030);
  const String png = FromUtf8(Pics + "/marker.png");
  EXPECT_TRUE(SaveBitmap32ToPNG(&b, true, 0, png));
  TQuarnResManagerObj()->AddRes(png, Id, u"");
  TMemoryStream bin;
  bin.WriteComponent(QuarnResDM->QuarnImageListMain());
  bin.SetPosition(0);
  TMemoryStream text;
  ObjectBinaryToText(&bin, &text);
  TQuarnResManagerObj()->Reload();
  return std::string(static_cast<const char*>(text.Memory()), size_t(text.Size()));
}

bool StoreHas(const String& Id) {
  auto* b = QuarnResDM->QuarnImageListMain()->Bitmaps();
  for (Integer i = 0; i < b->Count(); ++i)
    if (b->GetItem(i)->ResID() == Id) return true;
  return false;
}

std::vector<TOTAFormEditor*> FormEditors(TIdeServices& Host, const String& File) {
  std::vector<TOTAFormEditor*> r;
  if (TOTAModule* m = Host.FindModule(File))
    for (Integer i = 0; i < m->ModuleFileCount(); ++i)
      if (auto* f = dynamic_cast<TOTAFormEditor*>(m->ModuleFileEditors(i))) r.push_back(f);
  return r;
}

Integer FormNotifiersOn(TIdeServices& Host, const String& File) {
  Integer n = 0;
  for (TOTAFormEditor* f : FormEditors(Host, File)) n += f->NotifierCount();
  return n;
}

// Two projects in their own folders, A with its image list file holding
// "fromA", B with "fromB", and C with none.
class frmQuarnResManager_Notifiers : public ::testing::Test {
 protected:
  void SetUp() override {
    Root = qntest::MakeTempDir("resmanager_notifiers");
    for (const char* d : {"/a", "/b", "/c", "/pics"}) fs::create_directories(Root + d);
    Write(Root + "/a/QuarnDesignTimeRes.tmp", ListTextWith(u"fromA", Root + "/pics"));
    Write(Root + "/b/QuarnDesignTimeRes.tmp", ListTextWith(u"fromB", Root + "/pics"));
    UnitA = FromUtf8(Root + "/a/UnitA.pas");
    UnitA2 = FromUtf8(Root + "/a/UnitA2.pas");
    UnitB = FromUtf8(Root + "/b/UnitB.pas");
    UnitC = FromUtf8(Root + "/c/UnitC.pas");
    Host.AddProject(FromUtf8(Root + "/a/A.dproj"), {UnitA, ChangeFileExt(UnitA2, u".dfm")});
    Host.AddProject(FromUtf8(Root + "/b/B.dproj"), {UnitB});
    Host.AddProject(FromUtf8(Root + "/c/C.dproj"), {UnitC});
    RegisterDesignUnits();
  }
  void TearDown() override {
    UnloadDesignPackage();
    TQuarnResManagerObj()->Reload();
    fs::remove_all(Root);
  }
  static void Write(const std::string& Path, const std::string& Data) {
    std::ofstream(Path, std::ios::binary | std::ios::trunc) << Data;
  }

  TIdeServices Host;
  std::string Root;
  String UnitA, UnitA2, UnitB, UnitC;
};

TEST_F(frmQuarnResManager_Notifiers, SwitchingProjectsRefreshesOncePerSwitch) {
  LoadDesignPackage(&Host);
  for (const String& u : {UnitA, UnitA2, UnitB, UnitC}) ASSERT_TRUE(Host.OpenFile(u));
  EXPECT_EQ(FormNotifierFileCount(), 4);
  EXPECT_EQ(TQuarnFormNotifier::InstanceCount(), 4);
  for (const String& u : {UnitA, UnitA2, UnitB, UnitC}) EXPECT_EQ(FormNotifiersOn(Host, u), 1) << ToUtf8(u);
  EXPECT_FALSE(StoreHas(u"fromA"));

  Host.ActivateForm(UnitA);
  EXPECT_TRUE(StoreHas(u"fromA"));
  EXPECT_EQ(LastRefreshedProjectPath(), FromUtf8(Root + "/a/"));
  // Another form of the same project, and the same one again: no reload
  // (the store's own change stays).
  TQuarnResManagerObj()->Reload();
  const Cardinal gen = TQuarnResManagerObj()->Generation();
  Host.ActivateForm(UnitA2);
  Host.ActivateForm(UnitA);
  EXPECT_FALSE(StoreHas(u"fromA"));
  EXPECT_EQ(TQuarnResManagerObj()->Generation(), gen);

  Host.ActivateForm(UnitB);
  EXPECT_TRUE(StoreHas(u"fromB"));
  EXPECT_FALSE(StoreHas(u"fromA"));
  EXPECT_EQ(TQuarnResManagerObj()->Generation(), gen + 1);
  Host.ActivateForm(UnitB);
  EXPECT_EQ(TQuarnResManagerObj()->Generation(), gen + 1);
  Host.ActivateForm(UnitA);
  EXPECT_TRUE(StoreHas(u"fromA"));
  EXPECT_EQ(TQuarnResManagerObj()->Generation(), gen + 2);

  // A project without an image list file becomes the last one, reloading
  // nothing; coming back to A reloads again.
  Host.ActivateForm(UnitC);
  EXPECT_EQ(LastRefreshedProjectPath(), FromUtf8(Root + "/c/"));
  EXPECT_EQ(TQuarnResManagerObj()->Generation(), gen + 2);
  EXPECT_TRUE(StoreHas(u"fromA"));
  Host.ActivateForm(UnitA);
  EXPECT_EQ(TQuarnResManagerObj()->Generation(), gen + 3);

  // Compiling is no business of the notifier's.
  EXPECT_TRUE(Host.Compile(Host.MainProjectGroup()->Projects(0)));
}

TEST_F(frmQuarnResManager_Notifiers, ClosingAFileTakesItsNotifiersOff) {
  LoadDesignPackage(&Host);
  ASSERT_TRUE(Host.OpenFile(UnitA));
  ASSERT_TRUE(Host.OpenFile(UnitB));
  // A notifier of the test's, told after the unit's: by then the closing
  // file's form editor must hold no notifier of the unit any more.
  struct TWatcher : TNotifierObject, IOTAIDENotifier {
    TIdeServices* Host = nullptr;
    Integer SeenOnClosing = -1;
    void FileNotification(TOTAFileNotification Code, const String& File, bool&) override {
      if (Code == ofnFileClosing) SeenOnClosing = FormNotifiersOn(*Host, File);
    }
    void BeforeCompile(TOTAProject*, bool&) override {}
    void AfterCompile(bool) override {}
  };
  auto watcher = std::make_shared<TWatcher>();
  watcher->Host = &Host;
  Host.AddNotifier(watcher);

  ASSERT_EQ(FormNotifiersOn(Host, UnitA), 1);
  ASSERT_TRUE(Host.CloseFile(UnitA));
  EXPECT_EQ(watcher->SeenOnClosing, 0);
  EXPECT_EQ(FormNotifierFileCount(), 1);
  EXPECT_EQ(TQuarnFormNotifier::InstanceCount(), 1);
  EXPECT_EQ(FormNotifiersOn(Host, UnitB), 1);
  // Opened again, it gets a fresh one.
  ASSERT_TRUE(Host.OpenFile(UnitA));
  EXPECT_EQ(FormNotifiersOn(Host, UnitA), 1);
  EXPECT_EQ(FormNotifierFileCount(), 2);
  // A unit without a form gets none.
  ASSERT_TRUE(Host.OpenFile(FromUtf8(Root + "/a/Plain.pas"), false));
  EXPECT_EQ(FormNotifierFileCount(), 2);
  EXPECT_TRUE(Host.CloseFile(FromUtf8(Root + "/a/Plain.pas")));
  EXPECT_EQ(FormNotifierFileCount(), 2);
}

TEST_F(frmQuarnResManager_Notifiers, RefusedNotifierIsFreed) {
  LoadDesignPackage(&Host);
  Host.SetRefuseFormNotifiers(true);
  ASSERT_TRUE(Host.OpenFile(UnitA));
  EXPECT_EQ(TQuarnFormNotifier::InstanceCount(), 0);
  EXPECT_EQ(FormNotifierFileCount(), 0);
  EXPECT_TRUE(Host.CloseFile(UnitA));
  Host.SetRefuseFormNotifiers(false);
  ASSERT_TRUE(Host.OpenFile(UnitA));
  EXPECT_EQ(TQuarnFormNotifier::InstanceCount(), 1);
}

TEST_F(frmQuarnResManager_Notifiers, StartWithoutServicesFailsAndLeavesNothing) {
  try {
    LoadDesignPackage(nullptr);
    ADD_FAILURE() << "loaded without services";
  } catch (const EAssertionFailed& e) {
    EXPECT_NE(String(e.Message()).find(u"IOTAServices not available"), String::npos) << ToUtf8(e.Message());
  }
  EXPECT_FALSE(DesignPackageLoaded());
  EXPECT_EQ(QnIdeNotifierIndex(), -1);
  EXPECT_EQ(FormNotifierFileCount(), 0);
  // A later load with services starts the unit cleanly.
  LoadDesignPackage(&Host);
  EXPECT_GE(QnIdeNotifierIndex(), 0);
  EXPECT_EQ(Host.NotifierCount(), 1);
  ASSERT_TRUE(Host.OpenFile(UnitA));
  EXPECT_EQ(FormNotifiersOn(Host, UnitA), 1);
}

TEST_F(frmQuarnResManager_Notifiers, UnloadLeavesNoNotifierRegistered) {
  LoadDesignPackage(&Host);
  EXPECT_EQ(Host.NotifierCount(), 1);
  for (const String& u : {UnitA, UnitA2, UnitB}) ASSERT_TRUE(Host.OpenFile(u));
  Host.ActivateForm(UnitB);
  ASSERT_EQ(TQuarnFormNotifier::InstanceCount(), 3);
  UnloadDesignPackage();
  EXPECT_EQ(Host.NotifierCount(), 0);
  for (const String& u : {UnitA, UnitA2, UnitB}) EXPECT_EQ(FormNotifiersOn(Host, u), 0) << ToUtf8(u);
  EXPECT_EQ(TQuarnFormNotifier::InstanceCount(), 0);
  EXPECT_EQ(QnIdeNotifierIndex(), -1);
  EXPECT_EQ(FormNotifierFileCount(), 0);
  EXPECT_EQ(LastRefreshedProjectPath(), u"");
  // The forms stay open; activating them reloads nothing now.
  TQuarnResManagerObj()->Reload();
  const Cardinal gen = TQuarnResManagerObj()->Generation();
  Host.ActivateForm(UnitA);
  EXPECT_EQ(TQuarnResManagerObj()->Generation(), gen);
  // Loading again serves the forms opened from then on.
  LoadDesignPackage(&Host);
  EXPECT_EQ(Host.NotifierCount(), 1);
  ASSERT_TRUE(Host.OpenFile(UnitC));
  EXPECT_EQ(FormNotifiersOn(Host, UnitC), 1);
}

}  // namespace

}  // namespace t_frm_quarn_res_manager_notifiers_test
