// The module flags of System and the version facts of SysUtils, read from
// the kernel's answers each time so that a test's pretended version shows.
#include <atomic>

#include "platform/rtl/Kernel.h"
#include "platform/rtl/SysUtils.h"

namespace vcl {

namespace {

std::atomic<bool> gIsLibrary{false}, gModuleIsPackage{false};

OSVERSIONINFOW Version() {
  OSVERSIONINFOW v;
  GetVersionExW(&v);
  return v;
}

}  // namespace

bool IsLibrary() { return gIsLibrary; }
void SetIsLibrary(bool Value) { gIsLibrary = Value; }
bool ModuleIsPackage() { return gModuleIsPackage; }
void SetModuleIsPackage(bool Value) { gModuleIsPackage = Value; }

Integer Win32Platform() { return Integer(Version().dwPlatformId); }
Integer Win32MajorVersion() { return Integer(Version().dwMajorVersion); }
Integer Win32MinorVersion() { return Integer(Version().dwMinorVersion); }
Integer Win32BuildNumber() { return Integer(Version().dwBuildNumber); }
String Win32CSDVersion() { return String(Version().szCSDVersion); }

bool CheckWin32Version(Integer AMajor, Integer AMinor) {
  OSVERSIONINFOW v = Version();
  Integer major = Integer(v.dwMajorVersion), minor = Integer(v.dwMinorVersion);
  return major > AMajor || (major == AMajor && minor >= AMinor);
}

}  // namespace vcl
