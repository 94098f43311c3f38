// File-drop blocks: names round-trip through both query forms, buffers are
// never overrun, and blocks shaped by someone else are read only within
// their size.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "platform/shell/ShellAPI.h"
#include "tests/platform/user/UserTestSupport.h"

namespace t_file_drop_test {

using namespace vcl;

namespace {

HGLOBAL RawBlock(const std::string& bytes) {
  HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
  if (!bytes.empty()) std::memcpy(GlobalLock(h), bytes.data(), bytes.size());
  GlobalUnlock(h);
  return h;
}

std::string Head(DWORD pFiles, int x, int y, BOOL nc, BOOL wide) {
  DROPFILES d;
  d.pFiles = pFiles;
  d.pt.x = x;
  d.pt.y = y;
  d.fNC = nc;
  d.fWide = wide;
  return std::string(reinterpret_cast<const char*>(&d), sizeof d);
}

std::string WideBytes(const String& s) { return std::string(reinterpret_cast<const char*>(s.data()), s.size() * 2); }

String NameAt(HDROP d, UINT i) {
  UINT n = DragQueryFileW(d, i, nullptr, 0);
  String s(n + 1, u'\0');
  UINT got = DragQueryFileW(d, i, s.data(), n + 1);
  EXPECT_EQ(got, n);
  s.resize(got);
  return s;
}

}  // namespace

TEST(Platform_FileDrop, NamesRoundTripWithThePointAndKind) {
  String longName = u"C:\\" + String(293, u'x') + u".txt";
  ASSERT_EQ(longName.size(), 300u);
  std::vector<String> files = {u"C:\\a.txt", longName, u"D:\\dir\\b\u00e9.bin"};
  HDROP d = CreateHDrop(files, POINT(12, -7), false);
  ASSERT_EQ(GlobalSize(reinterpret_cast<HGLOBAL>(d)), 20u + (9 + 301 + 14 + 1) * 2u);
  EXPECT_EQ(DragQueryFileW(d, 0xFFFFFFFF, nullptr, 0), 3u);
  EXPECT_EQ(DragQueryFileA(d, 0xFFFFFFFF, nullptr, 0), 3u);
  for (UINT i = 0; i < 3; ++i) EXPECT_EQ(NameAt(d, i), files[i]);
  EXPECT_EQ(DragQueryFileW(d, 3, nullptr, 0), 0u);
  char narrow[32];
  EXPECT_EQ(DragQueryFileA(d, 2, narrow, sizeof narrow), 13u);
  EXPECT_STREQ(narrow, "D:\\dir\\b\xe9.bin");  // CP_ACP holds e-acute as one byte
  POINT p;
  EXPECT_TRUE(DragQueryPoint(d, &p));
  EXPECT_EQ(p, POINT(12, -7));
  DragFinish(d);
  HDROP nc = CreateHDrop({u"x"}, POINT(300, 400), true);
  EXPECT_FALSE(DragQueryPoint(nc, &p));
  EXPECT_EQ(p, POINT(300, 400));
  DragFinish(nc);
  EXPECT_THROW(CreateHDrop({u""}, POINT(), false), EArgumentException);
}

TEST(Platform_FileDrop, TruncationNeverWritesPastTheBuffer) {
  HDROP d = CreateHDrop({u"abcdefghij"}, POINT(), false);
  for (UINT cch = 0; cch <= 13; ++cch) {
    char16_t w[16];
    char a[16];
    std::fill(std::begin(w), std::end(w), u'#');
    std::fill(std::begin(a), std::end(a), '#');
    UINT gw = DragQueryFileW(d, 0, w, cch);
    UINT ga = DragQueryFileA(d, 0, a, cch);
    UINT want = cch == 0 ? 0 : std::min(10u, cch - 1);
    EXPECT_EQ(gw, want) << cch;
    EXPECT_EQ(ga, want) << cch;
    if (cch) {
      EXPECT_EQ(String(w, want), String(u"abcdefghij").substr(0, want));
      EXPECT_EQ(w[want], 0);
      EXPECT_EQ(a[want], 0);
    }
    for (UINT i = cch; i < 16; ++i) {
      EXPECT_EQ(w[i], u'#') << cch;
      EXPECT_EQ(a[i], '#') << cch;
    }
  }
  DragFinish(d);
}

TEST(Platform_FileDrop, MalformedBlocksAreReadWithinTheirSize) {
  std::string names = WideBytes(String(u"one\0two\0\0", 9));
  struct Case {
    std::string Bytes;
    UINT Count;
    String First;
  };
  std::vector<Case> cases = {
      {"short", 0, u""},                                                   // shorter than the head
      {Head(12, 0, 0, 0, 1) + names, 0, u""},                              // list inside the head
      {Head(4000, 0, 0, 0, 1) + names, 0, u""},                            // list past the end
      {Head(20, 0, 0, 0, 1), 0, u""},                                      // list at the very end
      {Head(20, 0, 0, 0, 1) + WideBytes(u"abc"), 1, u"abc"},               // no NUL at all
      {Head(20, 0, 0, 0, 1) + WideBytes(String(u"ab\0cd", 5)), 2, u"ab"},  // last name unterminated
      {Head(20, 0, 0, 0, 1) + WideBytes(u"ab") + "\x00", 1, u"ab"},         // odd byte left over
      {Head(20, 0, 0, 0, 0) + std::string("x.y\0z\0\0", 7), 2, u"x.y"},    // narrow names
      {Head(24, 0, 0, 0, 1) + "pad!" + names, 2, u"one"},                  // list after padding
  };
  for (size_t i = 0; i < cases.size(); ++i) {
    HDROP d = reinterpret_cast<HDROP>(RawBlock(cases[i].Bytes));
    EXPECT_EQ(DragQueryFileW(d, 0xFFFFFFFF, nullptr, 0), cases[i].Count) << i;
    EXPECT_EQ(DragQueryFileA(d, 0xFFFFFFFF, nullptr, 0), cases[i].Count) << i;
    if (cases[i].Count) { EXPECT_EQ(NameAt(d, 0), cases[i].First) << i; }
    DragFinish(d);
  }
  EXPECT_EQ(DragQueryFileW(nullptr, 0xFFFFFFFF, nullptr, 0), 0u);
  POINT p(5, 5);
  EXPECT_FALSE(DragQueryPoint(nullptr, &p));
}

// Random name lists survive the block: what goes in comes out, in order.
TEST(Platform_FileDrop, RandomListsRoundTrip) {
  std::mt19937 rng(111);
  for (int round = 0; round < 200; ++round) {
    std::vector<String> files(rng() % 6);
    for (String& f : files) {
      f.resize(1 + rng() % 40);
      for (char16_t& c : f) c = char16_t(1 + rng() % 0xD7FE);
    }
    HDROP d = CreateHDrop(files, POINT(int(rng() % 100), 3), false);
    ASSERT_EQ(DragQueryFileW(d, 0xFFFFFFFF, nullptr, 0), files.size());
    for (UINT i = 0; i < files.size(); ++i) ASSERT_EQ(NameAt(d, i), files[i]);
    DragFinish(d);
  }
}

TEST(Platform_FileDrop, AcceptFilesTogglesTheStyle) {
  HWND w = usertest::MakeTop(0, 0, 50, 50);
  DragAcceptFiles(w, true);
  EXPECT_TRUE(GetWindowLongPtrW(w, GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
  DragAcceptFiles(w, false);
  EXPECT_FALSE(GetWindowLongPtrW(w, GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
  DestroyWindow(w);
}

TEST(Platform_Shell, ShellExecuteLaunchesNothingAndLogs) {
  TakeShellExecuteLog();
  EXPECT_EQ(reinterpret_cast<intptr_t>(ShellExecuteW(nullptr, u"open", u"https://example.org", nullptr, nullptr, 1)), 42);
  SetShellExecuteResult(SE_ERR_NOASSOC);
  EXPECT_EQ(reinterpret_cast<intptr_t>(ShellExecuteW(nullptr, nullptr, u"a.qqq", u"-x", u"C:\\", 5)), SE_ERR_NOASSOC);
  SetShellExecuteResult(0);
  EXPECT_EQ(reinterpret_cast<intptr_t>(ShellExecuteW(nullptr, nullptr, u"", nullptr, nullptr, 0)), SE_ERR_FNF);
  auto log = TakeShellExecuteLog();
  ASSERT_EQ(log.size(), 3u);
  EXPECT_EQ(log[0].Operation, u"open");
  EXPECT_EQ(log[1].Parameters, u"-x");
  EXPECT_EQ(log[1].Directory, u"C:\\");
  EXPECT_EQ(log[1].ShowCmd, 5);
  EXPECT_TRUE(TakeShellExecuteLog().empty());
}

}  // namespace t_file_drop_test
