#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sstream>

#include "platform/vcl/Registry.h"
#include "tests/common/TestSupport.h"

namespace t_registry_test {

using namespace vcl;

namespace {

class Platform_Registry : public ::testing::Test {
 protected:
  void SetUp() override {
    Dir = qntest::MakeTempDir("registry");
    SetRegistryFolder(Dir);
  }
  void TearDown() override {
    SetRegistryAccessDenied(false);
    SetRegistryWriteFailure(false);
    SetRegistryFolder("");
    std::filesystem::remove_all(Dir);
  }
  std::string File(const char* root = "HKEY_CURRENT_USER") const { return Dir + "/" + root + ".reg"; }
  static std::string Slurp(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
  }
  std::string Dir;
};

std::vector<String> Names(void (TRegistry::*get)(TStrings*), TRegistry& r) {
  TStringList l;
  (r.*get)(&l);
  std::vector<String> v;
  for (Integer i = 0; i < l.Count(); ++i) v.push_back(l[i]);
  return v;
}

TEST_F(Platform_Registry, ValuesSurviveAFreshStore) {
  {
    TRegistry r;
    ASSERT_TRUE(r.OpenKey(u"Software\\Quarn", true));
    r.WriteString(u"Path21", u"/opt/quarn/");
    r.WriteExpandString(u"Home", u"%HOME%\\x");
    r.WriteInteger(u"Count", -7);
    r.WriteBool(u"Enabled", true);
    const Byte blob[] = {0, 1, 0xFE, 0x25, 0x0A};
    r.WriteBinaryData(u"Blob", blob, sizeof blob);
    HKEY k = r.CurrentKey();
    Int64 q = 0x123456789ALL;
    ASSERT_EQ(RegSetValueExW(k, u"Big", 0, REG_QWORD, reinterpret_cast<const BYTE*>(&q), 8), 0);
    const Char multi[] = u"one\0two words\0\0";
    ASSERT_EQ(RegSetValueExW(k, u"List", 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(multi), sizeof multi), 0);
    ASSERT_TRUE(r.OpenKey(u"Sub key %1\\Ünïcode", true));
    EXPECT_EQ(r.CurrentPath(), u"Software\\Quarn\\Sub key %1\\Ünïcode");
  }
  ResetRegistryStore();
  TRegistry r;
  ASSERT_TRUE(r.OpenKeyReadOnly(u"Software\\Quarn"));
  EXPECT_EQ(r.ReadString(u"Path21"), u"/opt/quarn/");
  EXPECT_EQ(r.GetDataType(u"Home"), rdExpandString);
  EXPECT_EQ(r.ReadString(u"Home"), u"%HOME%\\x");
  EXPECT_EQ(r.ReadInteger(u"Count"), -7);
  EXPECT_TRUE(r.ReadBool(u"Enabled"));
  Byte back[8] = {};
  EXPECT_EQ(r.ReadBinaryData(u"Blob", back, sizeof back), 5);
  EXPECT_EQ(back[2], 0xFE);
  EXPECT_EQ(back[4], 0x0A);
  DWORD type = 0, size = 8;
  Int64 q = 0;
  ASSERT_EQ(RegQueryValueExW(r.CurrentKey(), u"Big", nullptr, &type, reinterpret_cast<BYTE*>(&q), &size), 0);
  EXPECT_EQ(type, REG_QWORD);
  EXPECT_EQ(q, 0x123456789ALL);
  Char multi[32] = {};
  size = 4;
  EXPECT_EQ(RegQueryValueExW(r.CurrentKey(), u"List", nullptr, &type, reinterpret_cast<BYTE*>(multi), &size),
            LONG(ERROR_MORE_DATA));
  EXPECT_EQ(size, 16u * 2);
  ASSERT_EQ(RegQueryValueExW(r.CurrentKey(), u"List", nullptr, &type, reinterpret_cast<BYTE*>(multi), &size), 0);
  EXPECT_EQ(type, REG_MULTI_SZ);
  EXPECT_EQ(String(multi + 4), u"two words");
  EXPECT_EQ(Names(&TRegistry::GetValueNames, r),
            (std::vector<String>{u"Path21", u"Home", u"Count", u"Enabled", u"Blob", u"Big", u"List"}));
  EXPECT_EQ(Names(&TRegistry::GetKeyNames, r), std::vector<String>{u"Sub key %1"});
  EXPECT_TRUE(r.KeyExists(u"Sub key %1\\Ünïcode"));
  // Read-only keys refuse changes.
  EXPECT_THROW(r.WriteInteger(u"Count", 1), ERegistryException);
}

TEST_F(Platform_Registry, PathsAndNamesIgnoreCase) {
  TRegistry r;
  ASSERT_TRUE(r.OpenKey(u"Software\\Quarn", true));
  r.WriteString(u"Path21", u"a");
  r.CloseKey();
  ASSERT_TRUE(r.OpenKey(u"\\SOFTWARE\\quarn\\", false));
  EXPECT_EQ(r.ReadString(u"PATH21"), u"a");
  r.WriteString(u"path21", u"b");
  // The name keeps the case it was created with; the value is replaced.
  EXPECT_EQ(Names(&TRegistry::GetValueNames, r), std::vector<String>{u"Path21"});
  EXPECT_EQ(r.ReadString(u"Path21"), u"b");
  r.CloseKey();
  ASSERT_TRUE(r.OpenKey(u"software", false));
  EXPECT_EQ(Names(&TRegistry::GetKeyNames, r), std::vector<String>{u"Quarn"});
  // A relative path continues from the open key.
  ASSERT_TRUE(r.OpenKey(u"QUARN", false));
  EXPECT_EQ(r.CurrentPath(), u"software\\QUARN");
  EXPECT_EQ(r.ReadString(u"path21"), u"b");
}

TEST_F(Platform_Registry, MissingKeysAndWrongTypes) {
  TRegistry r;
  EXPECT_FALSE(r.OpenKey(u"Software\\Nobody", false));
  EXPECT_FALSE(r.KeyExists(u"Software"));
  EXPECT_EQ(r.CurrentKey(), nullptr);
  // Nothing was created, so nothing was written.
  EXPECT_FALSE(std::filesystem::exists(File()));
  ASSERT_TRUE(r.OpenKey(u"Software\\A", true));
  EXPECT_EQ(r.ReadString(u"absent"), u"");
  EXPECT_FALSE(r.ValueExists(u"absent"));
  EXPECT_EQ(r.GetDataSize(u"absent"), -1);
  EXPECT_THROW(r.ReadInteger(u"absent"), ERegistryException);
  r.WriteInteger(u"n", 5);
  r.WriteString(u"s", u"text");
  EXPECT_THROW(r.ReadString(u"n"), ERegistryException);
  EXPECT_THROW(r.ReadInteger(u"s"), ERegistryException);
  Byte small[2];
  EXPECT_THROW(r.ReadBinaryData(u"s", small, 2), ERegistryException);
  EXPECT_TRUE(r.DeleteValue(u"N"));
  EXPECT_FALSE(r.DeleteValue(u"n"));
}

TEST_F(Platform_Registry, DeletingKeys) {
  TRegistry r;
  ASSERT_TRUE(r.OpenKey(u"A\\B\\C", true));
  r.WriteString(u"v", u"x");
  HKEY deep = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"a\\b\\c", 0, KEY_READ, &deep), 0);
  // The flat call refuses a key with subkeys; the object deletes the tree.
  EXPECT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, u"A\\B"), LONG(ERROR_ACCESS_DENIED));
  EXPECT_TRUE(r.DeleteKey(u"\\A\\B"));
  EXPECT_EQ(r.CurrentKey(), nullptr);
  EXPECT_FALSE(r.KeyExists(u"A\\B"));
  EXPECT_TRUE(r.KeyExists(u"A"));
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueExW(deep, u"v", nullptr, nullptr, nullptr, &size), LONG(ERROR_KEY_DELETED));
  EXPECT_EQ(RegCloseKey(deep), 0);
  EXPECT_EQ(RegCloseKey(deep), LONG(ERROR_INVALID_HANDLE));
}

TEST_F(Platform_Registry, AccessDeniedOnRequest) {
  SetRegistryAccessDenied(true);
  TRegistry r;
  EXPECT_FALSE(r.OpenKey(u"Software\\Quarn", true));
  EXPECT_FALSE(r.OpenKeyReadOnly(u"Software"));
  EXPECT_THROW(r.CreateKey(u"Software\\Quarn"), ERegistryException);
  HKEY h = nullptr;
  EXPECT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, u"X", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &h, nullptr),
            LONG(ERROR_ACCESS_DENIED));
  EXPECT_EQ(h, nullptr);
  SetRegistryAccessDenied(false);
  EXPECT_TRUE(r.OpenKey(u"Software\\Quarn", true));
}

TEST_F(Platform_Registry, ACorruptFileIsRefusedAndKept) {
  {
    TRegistry r;
    ASSERT_TRUE(r.OpenKey(u"Software", true));
    r.WriteString(u"v", u"x");
  }
  std::string good = Slurp(File());
  // A value line cut in the middle: a partial read must not pass for the file.
  std::string bad = good.substr(0, good.size() - 5);
  std::ofstream(File(), std::ios::binary) << bad;
  ResetRegistryStore();
  TRegistry r;
  EXPECT_FALSE(r.OpenKey(u"Software", false));
  EXPECT_FALSE(r.OpenKey(u"Other", true));
  HKEY h = nullptr;
  EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Software", 0, KEY_READ, &h), LONG(ERROR_REGISTRY_CORRUPT));
  DWORD n = 0;
  EXPECT_EQ(RegQueryInfoKeyW(HKEY_CURRENT_USER, nullptr, nullptr, nullptr, &n, nullptr, nullptr, nullptr, nullptr,
                             nullptr, nullptr, nullptr),
            LONG(ERROR_REGISTRY_CORRUPT));
  EXPECT_EQ(Slurp(File()), bad);
  // The other roots are unaffected.
  r.SetRootKey(HKEY_LOCAL_MACHINE);
  EXPECT_TRUE(r.OpenKey(u"Software", true));
}

TEST_F(Platform_Registry, AFailedWriteLeavesTheOldFileWhole) {
  TRegistry r;
  ASSERT_TRUE(r.OpenKey(u"Software", true));
  r.WriteString(u"v", u"old");
  std::string before = Slurp(File());
  SetRegistryWriteFailure(true);
  EXPECT_THROW(r.WriteString(u"v", u"new"), ERegistryException);
  EXPECT_THROW(r.WriteInteger(u"w", 3), ERegistryException);
  SetRegistryWriteFailure(false);
  EXPECT_EQ(Slurp(File()), before);
  EXPECT_FALSE(std::filesystem::exists(File() + ".tmp"));
  // What the program reads agrees with what is stored.
  EXPECT_EQ(r.ReadString(u"v"), u"old");
  EXPECT_FALSE(r.ValueExists(u"w"));
}

// Random keys, values and deletions against a map from case-folded paths;
// after each round the store is read back from disk and must agree.
TEST_F(Platform_Registry, RandomChangesMatchAReference) {
  std::mt19937 rng(321);
  const String parts[] = {u"Alpha", u"beta", u"GAMMA", u"d e", u"pct%", u"Ωmega", u"x"};
  auto fold = [](String s) { return AnsiLowerCase(s); };
  using Values = std::map<String, std::pair<String, Integer>>;  // folded name -> (name, value)
  std::map<String, Values> ref;                                 // folded path -> values
  std::map<String, String> pathCase;
  for (int round = 0; round < 6; ++round) {
    {
      TRegistry r;
      for (int step = 0; step < 40; ++step) {
        String path = parts[rng() % 7];
        if (rng() % 2) path += u"\\" + parts[rng() % 7];
        String fp = fold(path);
        int op = int(rng() % 4);
        if (op <= 1) {
          ASSERT_TRUE(r.OpenKey(u"\\" + path, true));
          // Only the first spelling of a key counts.
          size_t bs = path.find(u'\\');
          if (bs != String::npos) ref[fold(path.substr(0, bs))];
          ref[fp];
          String name = parts[rng() % 7];
          Integer v = Integer(rng() % 1000);
          r.WriteInteger(name, v);
          auto& vals = ref[fp];
          auto it = vals.find(fold(name));
          if (it == vals.end()) vals[fold(name)] = {name, v};
          else it->second.second = v;
        } else if (op == 2) {
          bool exists = ref.count(fp) != 0;
          EXPECT_EQ(r.KeyExists(u"\\" + path), exists) << ToUtf8(path);
        } else {
          bool exists = ref.count(fp) != 0;
          EXPECT_EQ(r.DeleteKey(u"\\" + path), exists);
          for (auto it = ref.begin(); it != ref.end();)
            if (it->first == fp || it->first.rfind(fp + u"\\", 0) == 0) it = ref.erase(it);
            else ++it;
        }
      }
    }
    ResetRegistryStore();
    TRegistry r;
    for (auto& [fp, vals] : ref) {
      ASSERT_TRUE(r.OpenKey(u"\\" + fp, false)) << ToUtf8(fp);
      std::vector<String> names = Names(&TRegistry::GetValueNames, r);
      ASSERT_EQ(names.size(), vals.size());
      for (auto& n : names) {
        auto it = vals.find(fold(n));
        ASSERT_NE(it, vals.end());
        EXPECT_EQ(it->second.first, n);
        EXPECT_EQ(r.ReadInteger(n), it->second.second);
      }
    }
    // No key exists that the reference does not know.
    for (auto& a : parts) {
      EXPECT_EQ(r.KeyExists(u"\\" + a), ref.count(fold(a)) != 0);
      for (auto& b : parts) EXPECT_EQ(r.KeyExists(u"\\" + a + u"\\" + b), ref.count(fold(a + u"\\" + b)) != 0);
    }
  }
}

TEST_F(Platform_Registry, StoreTextParsesAllOrNothing) {
  std::string canon;
  ASSERT_TRUE(regstore::ParseHiveText("QuarnRegistry 1\nK :\nK :A%20B\nV :n 4 :05000000\n", &canon, nullptr));
  EXPECT_EQ(canon, "QuarnRegistry 1\nK :\nK :A%20B\nV :n 4 :05000000\n");
  const char* bad[] = {
      "",
      "QuarnRegistry 2\n",
      "QuarnRegistry 1\nV :n 4 :00\n",          // value before any key
      "QuarnRegistry 1\nK :A\nV :n 4 :0\n",     // odd hex
      "QuarnRegistry 1\nK :A\nV :n 99999999999 :00\n",
      "QuarnRegistry 1\nK :A\nV :n 4 :00\nV :N 4 :00\n",  // the same name twice
      "QuarnRegistry 1\nK :A\\\\B\n",           // empty key name
      "QuarnRegistry 1\nK :A%G0\n",             // bad escape
      "QuarnRegistry 1\nK :A%FF\n",             // not UTF-8
      "QuarnRegistry 1\nK :A",                  // no line end
  };
  for (const char* b : bad) {
    std::string err;
    EXPECT_FALSE(regstore::ParseHiveText(b, &canon, &err)) << b;
    EXPECT_FALSE(err.empty());
  }
}

}  // namespace

}  // namespace t_registry_test
