#include <gtest/gtest.h>

#include <filesystem>

#include "platform/vcl/Registry.h"
#include "skin/foundation/uQnComm.h"
#include "skin/foundation/uQnComm_Install.h"
#include "tests/common/TestSupport.h"

namespace t_u_qn_comm_install_path_test {

using namespace vcl;
using namespace qn;

namespace {

class uQnComm_InstallPath : public ::testing::Test {
 protected:
  void SetUp() override {
    Dir = qntest::MakeTempDir("installpath");
    SetRegistryFolder(Dir);
  }
  void TearDown() override {
    SetRegistryAccessDenied(false);
    SetRegistryFolder("");
    std::filesystem::remove_all(Dir);
  }
  static void Put(const String& Name, const String& Value) {
    TRegistry r;
    r.SetRootKey(HKEY_CURRENT_USER);
    ASSERT_TRUE(r.OpenKey(u"Software\\Quarn", true));
    r.WriteString(Name, Value);
  }
  static bool KeyThere() {
    TRegistry r;
    r.SetRootKey(HKEY_CURRENT_USER);
    return r.KeyExists(u"Software\\Quarn");
  }
  std::string Dir;
};

TEST_F(uQnComm_InstallPath, AbsentKeyIsEmptyAndStaysAbsent) {
  EXPECT_EQ(GetQuarnInstallPath(), u"");
  // Asking must not leave an empty key behind for the installer to trip on.
  EXPECT_FALSE(KeyThere());
}

TEST_F(uQnComm_InstallPath, ValueGetsOneTrailingDelimiter) {
  Put(u"Path21", u"/opt/quarn/design");
  EXPECT_EQ(GetQuarnInstallPath(), u"/opt/quarn/design/");
  Put(u"Path21", u"/opt/quarn/design/");
  EXPECT_EQ(GetQuarnInstallPath(), u"/opt/quarn/design/");
}

TEST_F(uQnComm_InstallPath, OnlyTheCurrentHostVersionCounts) {
  // An install for another host version, or the bare name, is not ours.
  Put(u"Path20", u"/old");
  Put(u"Path", u"/bare");
  Put(u"Path21.0", u"/dotted");
  EXPECT_EQ(GetQuarnInstallPath(), u"");
  Put(u"Path21", u"/new");
  EXPECT_EQ(GetQuarnInstallPath(), u"/new/");
}

TEST_F(uQnComm_InstallPath, DeniedRegistryIsEmpty) {
  Put(u"Path21", u"/opt/quarn");
  SetRegistryAccessDenied(true);
  EXPECT_EQ(GetQuarnInstallPath(), u"");
  SetRegistryAccessDenied(false);
  EXPECT_EQ(GetQuarnInstallPath(), u"/opt/quarn/");
}

}  // namespace

}  // namespace t_u_qn_comm_install_path_test
