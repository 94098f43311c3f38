// A design host for the package's registration tests: a registry and an
// install folder of their own, the design module placed where a test says,
// and everything the package registered gone again afterwards.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "design/DesignUnits.h"
#include "design/frmAboutQuarn.h"
#include "design/frmQuarnResManager.h"
#include "design/uQnReg.h"
#include "platform/ide/DesignPackage.h"
#include "platform/ide/Inspector.h"
#include "platform/user/WinReg.h"
#include "platform/vcl/Registry.h"
#include "tests/common/TestSupport.h"

namespace qnregtest {

using namespace vcl;
using namespace qn;
namespace fs = std::filesystem;

class QnRegHost : public ::testing::Test {
 protected:
  void SetUp() override {
    Root = qntest::MakeTempDir("qnreg_host");
    Install = Root + "/install";
    Modules = Root + "/modules";
    for (const std::string& d : {Install, Modules, Root + "/reg"}) fs::create_directories(d);
    SetRegistryFolder(Root + "/reg");
    WriteDesignInstallFiles(FromUtf8(Install));
    SavedDir = GetCurrentDir();
    RegisterDesignUnits();
  }
  void TearDown() override {
    ClearModalScripts();
    UnloadDesignPackage();
    ResetRegistrations();
    SetRegistryAccessDenied(false);
    SetRegistryFolder("");
    SetDesignModuleName(u"QuarnDesign.bpl");
    SetCurrentDir(SavedDir);
    fs::remove_all(Root);
  }

  void RegisterPath(const std::string& Folder) {
    TRegistry r;
    ASSERT_TRUE(r.OpenKey(kQuarnRegKey, true));
    r.WriteString(u"Path21", FromUtf8(Folder));
  }
  // The registered value, or "<none>" when nothing was ever written.
  std::string RegisteredPath() {
    TRegistry r;
    if (!r.OpenKeyReadOnly(kQuarnRegKey) || !r.ValueExists(u"Path21")) return "<none>";
    return ToUtf8(r.ReadString(u"Path21"));
  }
  // Puts the package's module file in Folder (the file itself need not exist).
  void PlaceModule(const std::string& Folder) { SetDesignModuleName(FromUtf8(Folder + "/QuarnDesign.bpl")); }
  void AddMarker(const std::string& Folder) {
    std::ofstream(Folder + "/frmAboutQuarn.dfm") << AboutQuarnFormText();
  }

  TIdeServices Host;
  std::string Root, Install, Modules;
  String SavedDir;
};

}  // namespace qnregtest
