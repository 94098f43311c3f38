// The registry of the host layer: keys and typed values under the three
// roots programs use, kept in one text file per root. Key paths use "\" as
// separator and compare without regard to case; names keep the case they
// were created with.
//
// The store lives in a folder (the user's configuration folder unless a test
// points it elsewhere). A root's file is read on first use; every change
// writes the whole root to a temporary file and renames it over the old one,
// so a failed write leaves the previous file whole. A file that does not
// parse is never rewritten: every call on that root answers
// ERROR_REGISTRY_CORRUPT until the folder is changed or the store reset.
#pragma once
#include "platform/rtl/MacroShield.h"

#include <string>

#include "platform/user/User.h"

namespace vcl {

struct HKEY__;
using HKEY = HKEY__*;
using PHKEY = HKEY*;
using REGSAM = DWORD;

inline HKEY const HKEY_CLASSES_ROOT = reinterpret_cast<HKEY>(uintptr_t(0x80000000));
inline HKEY const HKEY_CURRENT_USER = reinterpret_cast<HKEY>(uintptr_t(0x80000001));
inline HKEY const HKEY_LOCAL_MACHINE = reinterpret_cast<HKEY>(uintptr_t(0x80000002));

constexpr DWORD REG_NONE = 0, REG_SZ = 1, REG_EXPAND_SZ = 2, REG_BINARY = 3, REG_DWORD = 4,
                REG_DWORD_BIG_ENDIAN = 5, REG_LINK = 6, REG_MULTI_SZ = 7, REG_QWORD = 11;

constexpr REGSAM KEY_QUERY_VALUE = 0x0001, KEY_SET_VALUE = 0x0002, KEY_CREATE_SUB_KEY = 0x0004,
                 KEY_ENUMERATE_SUB_KEYS = 0x0008, KEY_NOTIFY = 0x0010, KEY_CREATE_LINK = 0x0020,
                 KEY_WOW64_64KEY = 0x0100, KEY_WOW64_32KEY = 0x0200, KEY_READ = 0x20019,
                 KEY_WRITE = 0x20006, KEY_EXECUTE = 0x20019, KEY_ALL_ACCESS = 0xF003F;

constexpr DWORD REG_OPTION_NON_VOLATILE = 0, REG_OPTION_VOLATILE = 1;
constexpr DWORD REG_CREATED_NEW_KEY = 1, REG_OPENED_EXISTING_KEY = 2;

// ERROR_FILE_NOT_FOUND comes with the kernel's codes.
constexpr DWORD ERROR_WRITE_FAULT = 29, ERROR_MORE_DATA = 234,
                ERROR_BADKEY = 1010, ERROR_REGISTRY_CORRUPT = 1015, ERROR_KEY_DELETED = 1018;

struct SECURITY_ATTRIBUTES;
struct FILETIME {
  DWORD dwLowDateTime = 0;
  DWORD dwHighDateTime = 0;
};

LONG RegOpenKeyExW(HKEY key, const Char* subKey, DWORD options, REGSAM desired, PHKEY result);
LONG RegCreateKeyExW(HKEY key, const Char* subKey, DWORD reserved, Char* keyClass, DWORD options,
                     REGSAM desired, const SECURITY_ATTRIBUTES* security, PHKEY result, DWORD* disposition);
LONG RegCloseKey(HKEY key);
// data may be null to ask for the size; a buffer too small answers
// ERROR_MORE_DATA with the size needed in *cbData.
LONG RegQueryValueExW(HKEY key, const Char* valueName, DWORD* reserved, DWORD* type, BYTE* data, DWORD* cbData);
LONG RegSetValueExW(HKEY key, const Char* valueName, DWORD reserved, DWORD type, const BYTE* data, DWORD cbData);
LONG RegDeleteValueW(HKEY key, const Char* valueName);
// Deletes a key without subkeys (ERROR_ACCESS_DENIED for one with them).
LONG RegDeleteKeyW(HKEY key, const Char* subKey);
// cchName: the buffer's size in characters on entry, the name's length
// (without the terminator) on return.
LONG RegEnumKeyExW(HKEY key, DWORD index, Char* name, DWORD* cchName, DWORD* reserved, Char* keyClass,
                   DWORD* cchClass, FILETIME* lastWrite);
LONG RegEnumValueW(HKEY key, DWORD index, Char* valueName, DWORD* cchValueName, DWORD* reserved, DWORD* type,
                   BYTE* data, DWORD* cbData);
LONG RegQueryInfoKeyW(HKEY key, Char* keyClass, DWORD* cchClass, DWORD* reserved, DWORD* subKeys,
                      DWORD* maxSubKeyLen, DWORD* maxClassLen, DWORD* values, DWORD* maxValueNameLen,
                      DWORD* maxValueLen, DWORD* securityDescriptor, FILETIME* lastWriteTime);
LONG RegFlushKey(HKEY key);

// --- The store (tests and tools)
// The folder holding the files; empty restores the default. Forgets what
// was read, so the next call reads the files again.
void SetRegistryFolder(const std::string& folder);
std::string RegistryFolder();
// Forgets what was read (as a new process would start).
void ResetRegistryStore();
// While set, opening and creating keys answer ERROR_ACCESS_DENIED.
void SetRegistryAccessDenied(bool deny);
// While set, writing a root's file fails (ERROR_WRITE_FAULT) after the
// temporary file was begun; the old file stays as it was.
void SetRegistryWriteFailure(bool fail);

// The text form of a root, as the store writes and reads it. Parse answers
// false (and leaves nothing behind) for text it cannot read whole.
// On success canonical (when given) receives the text the store would write
// for what was read.
namespace regstore {
bool ParseHiveText(const std::string& text, std::string* canonical, std::string* error);
}  // namespace regstore

}  // namespace vcl

#include "platform/rtl/MacroShieldEnd.h"
