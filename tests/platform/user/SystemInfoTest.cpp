// Platform facts and services: the version a test can pretend, processor
// features and their overrides, the OLE start-up counts per thread, the beep
// log, deferred window positions and file copies.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <thread>

#include "platform/ole/Ole2.h"
#include "platform/rtl/Kernel.h"
#include "platform/rtl/SysUtils.h"
#include "platform/user/CommonDialogs.h"
#include "tests/platform/user/UserTestSupport.h"

namespace t_system_info_test {

using namespace vcl;

namespace {

class Platform_SystemInfo : public usertest::ServerTest {
 protected:
  void TearDown() override {
    ResetPlatformVersion();
    ResetProcessorFeatureOverrides();
    ClearBeepLog();
    usertest::ServerTest::TearDown();
  }
};

TEST_F(Platform_SystemInfo, VersionFactsDefaultToTenAndATestCanPretendAnOlderSystem) {
  OSVERSIONINFOW v;
  ASSERT_TRUE(GetVersionExW(&v));
  EXPECT_EQ(v.dwMajorVersion, 10u);
  EXPECT_EQ(v.dwMinorVersion, 0u);
  EXPECT_EQ(v.dwPlatformId, VER_PLATFORM_WIN32_NT);
  EXPECT_EQ(Win32Platform(), Integer(VER_PLATFORM_WIN32_NT));
  EXPECT_TRUE(CheckWin32Version(6));
  EXPECT_TRUE(CheckWin32Version(10, 0));
  EXPECT_FALSE(CheckWin32Version(10, 1));

  SetPlatformVersion(5, 1, 2600, VER_PLATFORM_WIN32_NT, u"Service Pack 3");
  EXPECT_EQ(Win32MajorVersion(), 5);
  EXPECT_EQ(Win32MinorVersion(), 1);
  EXPECT_EQ(Win32BuildNumber(), 2600);
  EXPECT_EQ(Win32CSDVersion(), u"Service Pack 3");
  // The "before version 6" answer that start-up code branches on.
  EXPECT_FALSE(CheckWin32Version(6));
  EXPECT_TRUE(CheckWin32Version(5, 1));
  EXPECT_FALSE(CheckWin32Version(5, 2));

  // A record of the wrong size is refused and left alone.
  OSVERSIONINFOW bad;
  bad.dwOSVersionInfoSize = 12;
  EXPECT_FALSE(GetVersionExW(&bad));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(bad.dwMajorVersion, 0u);

  ResetPlatformVersion();
  EXPECT_EQ(Win32MajorVersion(), 10);
}

TEST_F(Platform_SystemInfo, ProcessorFeaturesComeFromTheProcessorAndCanBeOverridden) {
#if defined(__x86_64__)
  // The 64-bit instruction set always has these.
  EXPECT_TRUE(IsProcessorFeaturePresent(PF_MMX_INSTRUCTIONS_AVAILABLE));
  EXPECT_TRUE(IsProcessorFeaturePresent(PF_XMMI_INSTRUCTIONS_AVAILABLE));
  EXPECT_TRUE(IsProcessorFeaturePresent(PF_XMMI64_INSTRUCTIONS_AVAILABLE));
  EXPECT_TRUE(IsProcessorFeaturePresent(PF_RDTSC_INSTRUCTION_AVAILABLE));
  // AVX2 implies AVX.
  if (IsProcessorFeaturePresent(PF_AVX2_INSTRUCTIONS_AVAILABLE)) {
    EXPECT_TRUE(IsProcessorFeaturePresent(PF_AVX_INSTRUCTIONS_AVAILABLE));
  }
#endif
  EXPECT_FALSE(IsProcessorFeaturePresent(9999));
  SetProcessorFeatureOverride(PF_MMX_INSTRUCTIONS_AVAILABLE, false);
  EXPECT_FALSE(IsProcessorFeaturePresent(PF_MMX_INSTRUCTIONS_AVAILABLE));
  SetProcessorFeatureOverride(9999, true);
  EXPECT_TRUE(IsProcessorFeaturePresent(9999));
  ResetProcessorFeatureOverrides();
  EXPECT_FALSE(IsProcessorFeaturePresent(9999));

  EXPECT_FALSE(IsLibrary());
  EXPECT_FALSE(ModuleIsPackage());
  SetIsLibrary(true);
  EXPECT_TRUE(IsLibrary());
  SetIsLibrary(false);
}

TEST_F(Platform_SystemInfo, OleStartUpCountsPerThreadAndKeepsTheFirstApartmentModel) {
  ASSERT_EQ(OleInitializeCount(), 0);
  EXPECT_EQ(OleInitialize(nullptr), S_OK);
  EXPECT_EQ(OleInitialize(nullptr), S_FALSE);
  EXPECT_EQ(CoInitialize(nullptr), S_FALSE);  // OLE started the component library already
  EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), RPC_E_CHANGED_MODE);
  EXPECT_EQ(CoInitializeCount(), 3);
  // Another thread starts from nothing and may choose the other model.
  std::thread([] {
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
    EXPECT_EQ(OleInitialize(nullptr), RPC_E_CHANGED_MODE);
    EXPECT_EQ(OleInitializeCount(), 0);
    CoUninitialize();
  }).join();
  CoUninitialize();
  OleUninitialize();
  OleUninitialize();
  EXPECT_EQ(OleInitializeCount(), 0);
  EXPECT_EQ(CoInitializeCount(), 0);
  // Unbalanced calls do nothing; a fresh start answers S_OK again.
  OleUninitialize();
  CoUninitialize();
  EXPECT_EQ(CoInitializeCount(), 0);
  EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
  CoUninitialize();
}

TEST_F(Platform_SystemInfo, BeepsAreLoggedInOrder) {
  ClearBeepLog();
  EXPECT_TRUE(MessageBeep(MB_ICONHAND));
  EXPECT_TRUE(Beep(440, 120));
  EXPECT_FALSE(Beep(20, 10));  // below the audible range the platform takes
  EXPECT_TRUE(MessageBeep(0xFFFFFFFF));
  auto log = BeepLog();
  ASSERT_EQ(log.size(), 3u);
  EXPECT_FALSE(log[0].Tone);
  EXPECT_EQ(log[0].SoundType, UINT(MB_ICONHAND));
  EXPECT_TRUE(log[1].Tone);
  EXPECT_EQ(log[1].Frequency, 440u);
  EXPECT_EQ(log[1].Duration, 120u);
  EXPECT_EQ(log[2].SoundType, 0xFFFFFFFFu);
}

TEST_F(Platform_SystemInfo, DeferredPositionsApplyTogetherInOrderAndABadWindowAbandonsTheBatch) {
  HWND a = usertest::MakeTop(10, 10, 50, 50), b = usertest::MakeTop(100, 10, 50, 50),
       c = usertest::MakeTop(200, 10, 50, 50);
  usertest::Pump();
  usertest::ClearLog();
  HDWP batch = BeginDeferWindowPos(3);
  ASSERT_NE(batch, nullptr);
  batch = DeferWindowPos(batch, c, nullptr, 300, 300, 60, 60, SWP_NOZORDER | SWP_NOACTIVATE);
  batch = DeferWindowPos(batch, a, nullptr, 310, 20, 0, 0, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOSIZE);
  batch = DeferWindowPos(batch, b, nullptr, 320, 30, 0, 0, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOSIZE);
  ASSERT_NE(batch, nullptr);
  RECT r;
  GetWindowRect(c, &r);
  EXPECT_EQ(r.Left, 200);  // nothing moved yet
  EXPECT_TRUE(EndDeferWindowPos(batch));
  std::vector<HWND> order;
  std::vector<usertest::Logged> logs;
  {
    std::lock_guard<std::mutex> lk(usertest::LogLock());
    logs = usertest::Log();
  }
  for (const auto& l : logs)
    if (l.Msg == WM_WINDOWPOSCHANGED && (order.empty() || order.back() != l.Hwnd)) order.push_back(l.Hwnd);
  EXPECT_EQ(order, (std::vector<HWND>{c, a, b}));
  GetWindowRect(c, &r);
  EXPECT_EQ(TRect(r), TRect(300, 300, 360, 360));
  GetWindowRect(b, &r);
  EXPECT_EQ(TPoint(r.Left, r.Top), TPoint(320, 30));

  // A window that is gone: the batch is given up and nothing of it moves.
  HWND gone = usertest::MakeTop(0, 0, 10, 10);
  DestroyWindow(gone);
  batch = BeginDeferWindowPos(2);
  HDWP first = DeferWindowPos(batch, a, nullptr, 0, 0, 0, 0, SWP_NOZORDER | SWP_NOSIZE);
  EXPECT_EQ(DeferWindowPos(first, gone, nullptr, 0, 0, 0, 0, SWP_NOZORDER | SWP_NOSIZE), nullptr);
  EXPECT_FALSE(EndDeferWindowPos(first));  // the old handle is dead
  GetWindowRect(a, &r);
  EXPECT_EQ(TPoint(r.Left, r.Top), TPoint(310, 20));
  DestroyWindow(a);
  DestroyWindow(b);
  DestroyWindow(c);
}

TEST_F(Platform_SystemInfo, CopyFileCopiesRefusesOrOverwritesAndNeverHarmsTheData) {
  namespace fs = std::filesystem;
  fs::path dir = fs::temp_directory_path() / ("qn_copyfile_" + std::to_string(GetCurrentProcessId()));
  fs::create_directories(dir);
  auto write = [](const fs::path& p, const std::string& s) { std::ofstream(p, std::ios::binary) << s; };
  auto read = [](const fs::path& p) {
    std::ifstream f(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), {});
  };
  write(dir / "a.txt", "alpha");
  write(dir / "b.txt", "beta");
  String a = FromUtf8((dir / "a.txt").string()), b = FromUtf8((dir / "b.txt").string()),
         c = FromUtf8((dir / "c.txt").string());
  EXPECT_TRUE(CopyFileW(a.c_str(), c.c_str(), true));
  EXPECT_EQ(read(dir / "c.txt"), "alpha");
  EXPECT_FALSE(CopyFileW(a.c_str(), b.c_str(), true));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_FILE_EXISTS));
  EXPECT_EQ(read(dir / "b.txt"), "beta");
  EXPECT_TRUE(CopyFileW(a.c_str(), b.c_str(), false));
  EXPECT_EQ(read(dir / "b.txt"), "alpha");
  // Onto itself: refused, the data stays.
  EXPECT_FALSE(CopyFileW(a.c_str(), a.c_str(), false));
  EXPECT_EQ(read(dir / "a.txt"), "alpha");
  String missing = FromUtf8((dir / "none.txt").string());
  EXPECT_FALSE(CopyFileW(missing.c_str(), c.c_str(), false));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_FILE_NOT_FOUND));
  String folderless = FromUtf8((dir / "no" / "such" / "x.txt").string());
  EXPECT_FALSE(CopyFileW(a.c_str(), folderless.c_str(), false));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_PATH_NOT_FOUND));
  // Nothing but the three files is left behind.
  int files = 0;
  for (auto& e : fs::directory_iterator(dir)) files += e.is_regular_file() ? 1 : 0;
  EXPECT_EQ(files, 3);
  fs::remove_all(dir);
}

}  // namespace

}  // namespace t_system_info_test
