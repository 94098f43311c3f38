// The kernel services the run-time library and everything above it share:
// the thread's last error, the code-page converter, the time zone, the
// version and processor facts, the beep log and file copies.
//
// The converter is the host's one place where text changes between UTF-16
// and a code page; the clipboard's CF_TEXT, the XML library and the edit
// controls all go through it. Code pages are converted by the C library's
// iconv as whole sequences (so double-byte and stateful pages work), single-
// byte pages through tables built once. CP_ACP and CP_THREAD_ACP are 1252,
// CP_OEMCP is 437, whatever the host's locale says, so results do not depend
// on the machine.
#pragma once
#include "platform/rtl/MacroShield.h"

#include <vector>

#include "platform/rtl/Types.h"

namespace vcl {

using BOOL = Integer;
using UINT = Cardinal;
using LONG = Integer;
using WORD = Word;
using WCHAR = char16_t;

DWORD GetLastError();
void SetLastError(DWORD code);

// Number * Numerator / Denominator through a 64-bit product, rounded to the
// nearest integer (halves away from zero); -1 for a zero denominator or a
// result outside 32 bits.
Integer MulDiv(Integer Number, Integer Numerator, Integer Denominator);

constexpr DWORD ERROR_SUCCESS = 0, ERROR_INVALID_HANDLE = 6, ERROR_NOT_ENOUGH_MEMORY = 8,
                ERROR_INVALID_PARAMETER = 87, ERROR_ACCESS_DENIED = 5, ERROR_TIMEOUT = 1460,
                ERROR_INVALID_WINDOW_HANDLE = 1400, ERROR_CANNOT_FIND_WND_CLASS = 1407,
                ERROR_CLASS_ALREADY_EXISTS = 1410, ERROR_CLASS_DOES_NOT_EXIST = 1411,
                ERROR_CLASS_HAS_WINDOWS = 1412, ERROR_INVALID_THREAD_ID = 1444,
                ERROR_NO_MORE_ITEMS = 259, ERROR_INSUFFICIENT_BUFFER = 122,
                ERROR_INVALID_FLAGS = 1004, ERROR_NO_UNICODE_TRANSLATION = 1113,
                ERROR_FILE_NOT_FOUND = 2, ERROR_ALREADY_EXISTS = 183, ERROR_NOT_SAME_DEVICE = 17;

// ---------------------------------------------------------------------------
// Code pages

constexpr UINT CP_ACP = 0, CP_OEMCP = 1, CP_MACCP = 2, CP_THREAD_ACP = 3, CP_UTF7 = 65000, CP_UTF8 = 65001;
constexpr DWORD MB_PRECOMPOSED = 0x1, MB_ERR_INVALID_CHARS = 0x8, WC_ERR_INVALID_CHARS = 0x80;

// Counts are in bytes (multi-byte side) and UTF-16 units (wide side); a
// source count of -1 means "up to and including the terminating zero". A
// destination size of 0 asks for the size needed. A destination that is too
// small fails with ERROR_INSUFFICIENT_BUFFER and nothing is promised about
// its contents; nothing is ever written past the size given.
//
// Bytes that do not decode become U+FFFD, unless MB_ERR_INVALID_CHARS is
// given, in which case the call fails with ERROR_NO_UNICODE_TRANSLATION. An
// unknown code page fails with ERROR_INVALID_PARAMETER.
int MultiByteToWideChar(UINT codePage, DWORD flags, const char* src, int srcCount, WCHAR* dst, int dstCount);

// Characters the code page cannot hold become the default character ("?"
// unless another single byte is given) and set *usedDefaultChar. Lone
// surrogates count as such characters; in UTF-8 they become U+FFFD (or fail
// under WC_ERR_INVALID_CHARS). For UTF-8 and UTF-7 the default-character
// arguments must be null, as the platform requires.
int WideCharToMultiByte(UINT codePage, DWORD flags, const WCHAR* src, int srcCount, char* dst, int dstCount,
                        const char* defaultChar, bool* usedDefaultChar);

// Our own addition for readers that receive text in pieces: as
// MultiByteToWideChar, but a sequence cut short by the end of src is left
// unconverted, and *srcUsed tells how many bytes were converted, so that the
// rest can go in front of the next piece. Decoding a text in pieces this
// way gives what decoding it whole gives (stateful pages excepted: their
// shift state does not travel).
int MultiByteToWideCharEx(UINT codePage, DWORD flags, const char* src, int srcCount, WCHAR* dst, int dstCount,
                          int* srcUsed);

// Whether the converter knows the code page.
bool IsValidCodePage(UINT codePage);

// The longest byte sequence of one character in the code page (1 for
// single-byte pages, 0 for unknown ones).
int CodePageMaxCharSize(UINT codePage);

// ---------------------------------------------------------------------------
// Time zone, from the tz database (the TZ variable is honoured at each call).

struct SYSTEMTIME {
  WORD wYear = 0;
  WORD wMonth = 0;
  WORD wDayOfWeek = 0;
  WORD wDay = 0;
  WORD wHour = 0;
  WORD wMinute = 0;
  WORD wSecond = 0;
  WORD wMilliseconds = 0;
};

struct TIME_ZONE_INFORMATION {
  LONG Bias = 0;  // minutes; UTC = local time + bias
  WCHAR StandardName[32] = {};
  SYSTEMTIME StandardDate;  // wYear 0: month, day of week, week of month (5 = last), local hour
  LONG StandardBias = 0;
  WCHAR DaylightName[32] = {};
  SYSTEMTIME DaylightDate;
  LONG DaylightBias = 0;
};

constexpr DWORD TIME_ZONE_ID_UNKNOWN = 0, TIME_ZONE_ID_STANDARD = 1, TIME_ZONE_ID_DAYLIGHT = 2,
                TIME_ZONE_ID_INVALID = 0xFFFFFFFF;

// The zone's rules for the current year and whether daylight time is in
// force now. A zone without daylight time answers TIME_ZONE_ID_UNKNOWN with
// zeroed transition dates.
DWORD GetTimeZoneInformation(TIME_ZONE_INFORMATION* info);

// Local time of the zone to UTC and back, with the offset in force at that
// moment (tzi must be null: only the host's own zone is known). A local time
// that a change to daylight time skips is read in standard time; one that
// occurs twice is read as the first.
bool TzSpecificLocalTimeToSystemTime(const TIME_ZONE_INFORMATION* tzi, const SYSTEMTIME* local, SYSTEMTIME* utc);
bool SystemTimeToTzSpecificLocalTime(const TIME_ZONE_INFORMATION* tzi, const SYSTEMTIME* utc, SYSTEMTIME* local);

// Moves a file. Without MOVEFILE_REPLACE_EXISTING an existing target fails
// the call (ERROR_ALREADY_EXISTS); with it the target is replaced in one
// step, so readers see the old file or the new one, never neither. Moving
// to another file system needs MOVEFILE_COPY_ALLOWED.
constexpr DWORD MOVEFILE_REPLACE_EXISTING = 0x1, MOVEFILE_COPY_ALLOWED = 0x2, MOVEFILE_WRITE_THROUGH = 0x8;
bool MoveFileExW(const WCHAR* existing, const WCHAR* newName, DWORD flags);

// ---------------------------------------------------------------------------
// Version, processor and module facts (Kernel_System.cpp)

struct OSVERSIONINFOW {
  DWORD dwOSVersionInfoSize = sizeof(OSVERSIONINFOW);
  DWORD dwMajorVersion = 0;
  DWORD dwMinorVersion = 0;
  DWORD dwBuildNumber = 0;
  DWORD dwPlatformId = 0;
  WCHAR szCSDVersion[128] = {};
};
constexpr DWORD VER_PLATFORM_WIN32s = 0, VER_PLATFORM_WIN32_WINDOWS = 1, VER_PLATFORM_WIN32_NT = 2;

// The platform version the host reports: 10.0 build 19045 unless a test
// pretends to be an older system with SetPlatformVersion. Fails with
// ERROR_INSUFFICIENT_BUFFER when dwOSVersionInfoSize is not the record's size.
bool GetVersionExW(OSVERSIONINFOW* info);
// Our own: what GetVersionExW and the Win32 version facts of SysUtils answer
// from now on. ResetPlatformVersion brings 10.0 back.
void SetPlatformVersion(DWORD major, DWORD minor, DWORD build = 0, DWORD platformId = VER_PLATFORM_WIN32_NT,
                        const String& csdVersion = String());
void ResetPlatformVersion();

constexpr DWORD PF_FLOATING_POINT_PRECISION_ERRATA = 0, PF_FLOATING_POINT_EMULATED = 1,
                PF_COMPARE_EXCHANGE_DOUBLE = 2, PF_MMX_INSTRUCTIONS_AVAILABLE = 3,
                PF_XMMI_INSTRUCTIONS_AVAILABLE = 6, PF_3DNOW_INSTRUCTIONS_AVAILABLE = 7,
                PF_RDTSC_INSTRUCTION_AVAILABLE = 8, PF_PAE_ENABLED = 9, PF_XMMI64_INSTRUCTIONS_AVAILABLE = 10,
                PF_NX_ENABLED = 12, PF_SSE3_INSTRUCTIONS_AVAILABLE = 13, PF_COMPARE_EXCHANGE128 = 14,
                PF_SSSE3_INSTRUCTIONS_AVAILABLE = 36, PF_SSE4_1_INSTRUCTIONS_AVAILABLE = 37,
                PF_SSE4_2_INSTRUCTIONS_AVAILABLE = 38, PF_AVX_INSTRUCTIONS_AVAILABLE = 39,
                PF_AVX2_INSTRUCTIONS_AVAILABLE = 40, PF_AVX512F_INSTRUCTIONS_AVAILABLE = 41;

// Read from the processor (CPUID) once; unknown features answer false.
bool IsProcessorFeaturePresent(DWORD feature);
// Our own: makes IsProcessorFeaturePresent answer present for a feature
// (so tests can run the paths of a processor without it); the reset brings
// the processor's answers back.
void SetProcessorFeatureOverride(DWORD feature, bool present);
void ResetProcessorFeatureOverrides();

// ---------------------------------------------------------------------------
// Sounds. There is no speaker: every beep is recorded in a log that tests
// read. MessageBeep (user) records its sound type, Beep its tone.

struct TBeepRecord {
  bool Tone = false;   // Beep rather than MessageBeep
  UINT SoundType = 0;  // MessageBeep's type (MB_OK, MB_ICONHAND, ..., 0xFFFFFFFF)
  DWORD Frequency = 0, Duration = 0;
};
// Fails with ERROR_INVALID_PARAMETER outside 37..32767 Hz, as the platform does.
bool Beep(DWORD frequency, DWORD duration);
void RecordBeep(const TBeepRecord& record);
std::vector<TBeepRecord> BeepLog();
void ClearBeepLog();

// ---------------------------------------------------------------------------
// Files

constexpr DWORD ERROR_PATH_NOT_FOUND = 3, ERROR_FILE_EXISTS = 80, ERROR_SHARING_VIOLATION = 32;

// Copies a file's contents (paths may use "\" as separator). With failIfExists an
// existing target fails with ERROR_FILE_EXISTS and stays as it was. A file
// copied onto itself fails with ERROR_SHARING_VIOLATION and keeps its data;
// a folder as source fails with ERROR_ACCESS_DENIED. The copy is written
// beside the target and moved into place, so a failed copy never leaves a
// half-written target behind.
bool CopyFileW(const WCHAR* existingFileName, const WCHAR* newFileName, bool failIfExists);

}  // namespace vcl

#include "platform/rtl/MacroShieldEnd.h"
