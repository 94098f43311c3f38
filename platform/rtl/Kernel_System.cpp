// Version facts, processor features, the beep log and file copies.
#include <atomic>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <system_error>

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#endif

#include "platform/rtl/Kernel.h"
#include "platform/rtl/SysUtils.h"

namespace vcl {

namespace {

struct TVersionFacts {
  DWORD Major = 10, Minor = 0, Build = 19045, PlatformId = VER_PLATFORM_WIN32_NT;
  String CSD;
};

std::mutex& FactsLock() {
  static std::mutex m;
  return m;
}

TVersionFacts& Facts() {
  static TVersionFacts f;
  return f;
}

// The processor's own answers, read once.
struct TCpu {
  std::map<DWORD, bool> Present;
  TCpu() {
#if defined(__x86_64__) || defined(__i386__)
    unsigned a = 0, b = 0, c = 0, d = 0;
    unsigned maxLeaf = __get_cpuid_max(0, nullptr);
    unsigned maxExt = __get_cpuid_max(0x80000000u, nullptr);
    if (maxLeaf >= 1 && __get_cpuid(1, &a, &b, &c, &d)) {
      Present[PF_MMX_INSTRUCTIONS_AVAILABLE] = d & (1u << 23);
      Present[PF_XMMI_INSTRUCTIONS_AVAILABLE] = d & (1u << 25);
      Present[PF_XMMI64_INSTRUCTIONS_AVAILABLE] = d & (1u << 26);
      Present[PF_RDTSC_INSTRUCTION_AVAILABLE] = d & (1u << 4);
      Present[PF_COMPARE_EXCHANGE_DOUBLE] = d & (1u << 8);
      Present[PF_PAE_ENABLED] = d & (1u << 6);
      Present[PF_SSE3_INSTRUCTIONS_AVAILABLE] = c & (1u << 0);
      Present[PF_SSSE3_INSTRUCTIONS_AVAILABLE] = c & (1u << 9);
      Present[PF_COMPARE_EXCHANGE128] = c & (1u << 13);
      Present[PF_SSE4_1_INSTRUCTIONS_AVAILABLE] = c & (1u << 19);
      Present[PF_SSE4_2_INSTRUCTIONS_AVAILABLE] = c & (1u << 20);
      // AVX needs the system to save the wide registers too (OSXSAVE).
      bool osAvx = (c & (1u << 27)) && (c & (1u << 28));
      if (osAvx) {
        unsigned lo = 0, hi = 0;
        __asm__ volatile("xgetbv" : "=a"(lo), "=d"(hi) : "c"(0));
        osAvx = (lo & 6u) == 6u;
      }
      Present[PF_AVX_INSTRUCTIONS_AVAILABLE] = osAvx;
      if (maxLeaf >= 7) {
        __cpuid_count(7, 0, a, b, c, d);
        Present[PF_AVX2_INSTRUCTIONS_AVAILABLE] = osAvx && (b & (1u << 5));
        Present[PF_AVX512F_INSTRUCTIONS_AVAILABLE] = osAvx && (b & (1u << 16));
      }
    }
    if (maxExt >= 0x80000001u && __get_cpuid(0x80000001u, &a, &b, &c, &d) != 0) {
      Present[PF_NX_ENABLED] = d & (1u << 20);
      Present[PF_3DNOW_INSTRUCTIONS_AVAILABLE] = d & (1u << 31);
    }
#endif
  }
};

const TCpu& Cpu() {
  static const TCpu cpu;
  return cpu;
}

std::map<DWORD, bool>& Overrides() {
  static std::map<DWORD, bool> m;
  return m;
}

std::vector<TBeepRecord>& Beeps() {
  static std::vector<TBeepRecord> v;
  return v;
}

}  // namespace

Integer MulDiv(Integer Number, Integer Numerator, Integer Denominator) {
  if (Denominator == 0) return -1;
  long long product = static_cast<long long>(Number) * Numerator;
  long long d = Denominator;
  bool negative = (product < 0) != (d < 0);
  unsigned long long a = product < 0 ? 0ULL - static_cast<unsigned long long>(product) : static_cast<unsigned long long>(product);
  unsigned long long b = d < 0 ? 0ULL - static_cast<unsigned long long>(d) : static_cast<unsigned long long>(d);
  unsigned long long q = (a + b / 2) / b;
  if (q > 0x7FFFFFFFULL + (negative ? 1 : 0)) return -1;
  return negative ? Integer(-static_cast<long long>(q)) : Integer(q);
}

bool GetVersionExW(OSVERSIONINFOW* info) {
  if (!info) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  if (info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOW)) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return false;
  }
  std::lock_guard<std::mutex> lk(FactsLock());
  const TVersionFacts& f = Facts();
  info->dwMajorVersion = f.Major;
  info->dwMinorVersion = f.Minor;
  info->dwBuildNumber = f.Build;
  info->dwPlatformId = f.PlatformId;
  size_t n = std::min<size_t>(f.CSD.size(), std::size(info->szCSDVersion) - 1);
  std::copy_n(f.CSD.data(), n, info->szCSDVersion);
  info->szCSDVersion[n] = 0;
  return true;
}

void SetPlatformVersion(DWORD major, DWORD minor, DWORD build, DWORD platformId, const String& csdVersion) {
  std::lock_guard<std::mutex> lk(FactsLock());
  Facts() = TVersionFacts{major, minor, build, platformId, csdVersion};
}

void ResetPlatformVersion() {
  std::lock_guard<std::mutex> lk(FactsLock());
  Facts() = TVersionFacts();
}

bool IsProcessorFeaturePresent(DWORD feature) {
  {
    std::lock_guard<std::mutex> lk(FactsLock());
    auto it = Overrides().find(feature);
    if (it != Overrides().end()) return it->second;
  }
  auto it = Cpu().Present.find(feature);
  return it != Cpu().Present.end() && it->second;
}

void SetProcessorFeatureOverride(DWORD feature, bool present) {
  std::lock_guard<std::mutex> lk(FactsLock());
  Overrides()[feature] = present;
}

void ResetProcessorFeatureOverrides() {
  std::lock_guard<std::mutex> lk(FactsLock());
  Overrides().clear();
}

bool Beep(DWORD frequency, DWORD duration) {
  if (frequency < 37 || frequency > 32767) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  TBeepRecord r;
  r.Tone = true;
  r.Frequency = frequency;
  r.Duration = duration;
  RecordBeep(r);
  return true;
}

void RecordBeep(const TBeepRecord& record) {
  std::lock_guard<std::mutex> lk(FactsLock());
  Beeps().push_back(record);
}

std::vector<TBeepRecord> BeepLog() {
  std::lock_guard<std::mutex> lk(FactsLock());
  return Beeps();
}

void ClearBeepLog() {
  std::lock_guard<std::mutex> lk(FactsLock());
  Beeps().clear();
}

bool CopyFileW(const WCHAR* existingFileName, const WCHAR* newFileName, bool failIfExists) {
  namespace fs = std::filesystem;
  if (!existingFileName || !newFileName || !*existingFileName || !*newFileName) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  fs::path src(HostPathUtf8(existingFileName)), dst(HostPathUtf8(newFileName));
  std::error_code ec;
  fs::file_status ss = fs::status(src, ec);
  if (!fs::exists(ss)) {
    SetLastError(fs::exists(src.parent_path().empty() ? fs::path(".") : src.parent_path(), ec)
                     ? ERROR_FILE_NOT_FOUND
                     : ERROR_PATH_NOT_FOUND);
    return false;
  }
  if (fs::is_directory(ss)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return false;
  }
  fs::file_status ds = fs::status(dst, ec);
  if (fs::exists(ds)) {
    if (fs::equivalent(src, dst, ec)) {
      SetLastError(ERROR_SHARING_VIOLATION);
      return false;
    }
    if (failIfExists) {
      SetLastError(ERROR_FILE_EXISTS);
      return false;
    }
    if (fs::is_directory(ds)) {
      SetLastError(ERROR_ACCESS_DENIED);
      return false;
    }
  }
  fs::path folder = dst.parent_path().empty() ? fs::path(".") : dst.parent_path();
  if (!fs::is_directory(folder, ec)) {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return false;
  }
  static std::atomic<unsigned> serial{0};
  fs::path temp = folder / (dst.filename().string() + ".qncopy" + std::to_string(serial.fetch_add(1)));
  if (!fs::copy_file(src, temp, fs::copy_options::overwrite_existing, ec)) {
    fs::remove(temp, ec);
    SetLastError(ERROR_ACCESS_DENIED);
    return false;
  }
  fs::rename(temp, dst, ec);
  if (ec) {
    std::error_code ignored;
    fs::remove(temp, ignored);
    SetLastError(ERROR_ACCESS_DENIED);
    return false;
  }
  return true;
}

}  // namespace vcl
