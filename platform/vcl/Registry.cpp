#include "platform/vcl/Registry.h"

#include <cstring>
#include <vector>

namespace vcl {

TRegistry::TRegistry() = default;

TRegistry::TRegistry(LongWord AAccess) : FAccess(AAccess) {}

TRegistry::~TRegistry() { CloseKey(); }

void TRegistry::SetRootKey(HKEY Value) {
  if (Value == FRootKey) return;
  CloseKey();
  FRootKey = Value;
}

void TRegistry::CloseKey() {
  if (FCurrentKey) RegCloseKey(FCurrentKey);
  FCurrentKey = nullptr;
  FCurrentPath.clear();
}

void TRegistry::ChangeKey(HKEY Value, const String& Path) {
  CloseKey();
  FCurrentKey = Value;
  FCurrentPath = Path;
}

HKEY TRegistry::GetBaseKey(bool Relative) { return Relative && FCurrentKey ? FCurrentKey : FRootKey; }

String TRegistry::AbsolutePath(const String& Key) const {
  bool absolute = !Key.empty() && Key[0] == u'\\';
  String rest = absolute ? Key.substr(1) : Key;
  while (!rest.empty() && rest.back() == u'\\') rest.pop_back();
  if (absolute || FCurrentPath.empty()) return rest;
  if (rest.empty()) return FCurrentPath;
  return FCurrentPath + u"\\" + rest;
}

bool TRegistry::OpenKey(const String& Key, bool CanCreate) {
  // Always from the root, so the handle and CurrentPath name one key.
  String path = AbsolutePath(Key);
  HKEY h = nullptr;
  LONG r;
  if (CanCreate)
    r = RegCreateKeyExW(FRootKey, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, FAccess, nullptr, &h, nullptr);
  else
    r = RegOpenKeyExW(FRootKey, path.c_str(), 0, FAccess, &h);
  if (r != ERROR_SUCCESS) return false;
  ChangeKey(h, path);
  return true;
}

bool TRegistry::OpenKeyReadOnly(const String& Key) {
  String path = AbsolutePath(Key);
  HKEY h = nullptr;
  if (RegOpenKeyExW(FRootKey, path.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS) return false;
  FAccess = KEY_READ;
  ChangeKey(h, path);
  return true;
}

bool TRegistry::CreateKey(const String& Key) {
  String path = AbsolutePath(Key);
  HKEY h = nullptr;
  LONG r = RegCreateKeyExW(FRootKey, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &h,
                           nullptr);
  if (r != ERROR_SUCCESS) throw ERegistryException::CreateFmt(u"Failed to create key %s", {Key});
  RegCloseKey(h);
  return true;
}

bool TRegistry::DeleteKey(const String& Key) {
  String path = AbsolutePath(Key);
  if (path.empty()) return false;
  HKEY h = nullptr;
  if (RegOpenKeyExW(FRootKey, path.c_str(), 0, KEY_ALL_ACCESS, &h) != ERROR_SUCCESS) return false;
  // Children first: the platform deletes only keys without subkeys.
  std::vector<String> children;
  for (DWORD i = 0;; ++i) {
    Char name[256];
    DWORD cch = 256;
    if (RegEnumKeyExW(h, i, name, &cch, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    children.emplace_back(name, cch);
  }
  RegCloseKey(h);
  for (auto& c : children) DeleteKey(u"\\" + path + u"\\" + c);
  bool ok = RegDeleteKeyW(FRootKey, path.c_str()) == ERROR_SUCCESS;
  // A current key that was inside the deleted one is gone too.
  if (ok && FCurrentKey &&
      (AnsiSameText(FCurrentPath, path) || AnsiSameText(FCurrentPath.substr(0, path.size() + 1), path + u"\\")))
    CloseKey();
  return ok;
}

bool TRegistry::KeyExists(const String& Key) {
  HKEY h = nullptr;
  String path = AbsolutePath(Key);
  if (RegOpenKeyExW(FRootKey, path.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS) return false;
  RegCloseKey(h);
  return true;
}

bool TRegistry::GetKeyInfo(TRegKeyInfo& Value) {
  Value = TRegKeyInfo();
  DWORD subKeys = 0, maxSub = 0, values = 0, maxName = 0, maxData = 0;
  if (RegQueryInfoKeyW(GetBaseKey(true), nullptr, nullptr, nullptr, &subKeys, &maxSub, nullptr, &values, &maxName,
                       &maxData, nullptr, &Value.FileTime) != ERROR_SUCCESS)
    return false;
  Value.NumSubKeys = Integer(subKeys);
  Value.MaxSubKeyLen = Integer(maxSub);
  Value.NumValues = Integer(values);
  Value.MaxValueLen = Integer(maxName);
  Value.MaxDataLen = Integer(maxData);
  return true;
}

bool TRegistry::HasSubKeys() {
  TRegKeyInfo info;
  return GetKeyInfo(info) && info.NumSubKeys > 0;
}

void TRegistry::GetKeyNames(TStrings* Strings) {
  Strings->Clear();
  HKEY k = GetBaseKey(true);
  TRegKeyInfo info;
  if (!GetKeyInfo(info)) return;
  std::vector<Char> buf(size_t(info.MaxSubKeyLen) + 1);
  for (DWORD i = 0;; ++i) {
    DWORD cch = DWORD(buf.size());
    if (RegEnumKeyExW(k, i, buf.data(), &cch, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    Strings->Add(String(buf.data(), cch));
  }
}

void TRegistry::GetValueNames(TStrings* Strings) {
  Strings->Clear();
  HKEY k = GetBaseKey(true);
  TRegKeyInfo info;
  if (!GetKeyInfo(info)) return;
  std::vector<Char> buf(size_t(info.MaxValueLen) + 1);
  for (DWORD i = 0;; ++i) {
    DWORD cch = DWORD(buf.size());
    if (RegEnumValueW(k, i, buf.data(), &cch, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    Strings->Add(String(buf.data(), cch));
  }
}

bool TRegistry::ValueExists(const String& Name) {
  TRegDataInfo info;
  return GetDataInfo(Name, info);
}

bool TRegistry::DeleteValue(const String& Name) {
  return RegDeleteValueW(GetBaseKey(true), Name.c_str()) == ERROR_SUCCESS;
}

namespace {
TRegDataType DataTypeOf(DWORD t) {
  switch (t) {
    case REG_SZ: return rdString;
    case REG_EXPAND_SZ: return rdExpandString;
    case REG_DWORD: return rdInteger;
    case REG_BINARY: return rdBinary;
    default: return rdUnknown;
  }
}
}  // namespace

bool TRegistry::GetDataInfo(const String& ValueName, TRegDataInfo& Value) {
  Value = TRegDataInfo();
  DWORD type = 0, size = 0;
  if (RegQueryValueExW(GetBaseKey(true), ValueName.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
    return false;
  Value.RegData = DataTypeOf(type);
  Value.DataSize = Integer(size);
  return true;
}

TRegDataType TRegistry::GetDataType(const String& ValueName) {
  TRegDataInfo info;
  return GetDataInfo(ValueName, info) ? info.RegData : rdUnknown;
}

Integer TRegistry::GetDataSize(const String& ValueName) {
  TRegDataInfo info;
  return GetDataInfo(ValueName, info) ? info.DataSize : -1;
}

void TRegistry::PutData(const String& Name, const void* Buffer, Integer BufSize, DWORD RegType) {
  if (RegSetValueExW(GetBaseKey(true), Name.c_str(), 0, RegType, static_cast<const BYTE*>(Buffer),
                     DWORD(BufSize)) != ERROR_SUCCESS)
    throw ERegistryException::CreateFmt(u"Failed to set data for '%s'", {Name});
}

Integer TRegistry::GetData(const String& Name, void* Buffer, Integer BufSize, TRegDataType& RegData) {
  DWORD type = 0, size = DWORD(BufSize);
  if (RegQueryValueExW(GetBaseKey(true), Name.c_str(), nullptr, &type, static_cast<BYTE*>(Buffer), &size) !=
      ERROR_SUCCESS)
    throw ERegistryException::CreateFmt(u"Failed to get data for '%s'", {Name});
  RegData = DataTypeOf(type);
  return Integer(size);
}

String TRegistry::ReadString(const String& Name) {
  TRegDataInfo info;
  if (!GetDataInfo(Name, info)) return String();
  if (info.RegData != rdString && info.RegData != rdExpandString)
    throw ERegistryException::CreateFmt(u"Invalid data type for '%s'", {Name});
  std::vector<Char> buf(size_t(info.DataSize) / sizeof(Char) + 1, 0);
  TRegDataType t;
  Integer got = GetData(Name, buf.data(), Integer(buf.size() * sizeof(Char)), t);
  // Stored strings end in a terminator, but a value written by someone
  // else may not; it is read up to its size only.
  size_t n = size_t(got) / sizeof(Char);
  while (n > 0 && buf[n - 1] == 0) --n;
  return String(buf.data(), n);
}

void TRegistry::WriteString(const String& Name, const String& Value) {
  PutData(Name, Value.c_str(), Integer((Value.size() + 1) * sizeof(Char)), REG_SZ);
}

void TRegistry::WriteExpandString(const String& Name, const String& Value) {
  PutData(Name, Value.c_str(), Integer((Value.size() + 1) * sizeof(Char)), REG_EXPAND_SZ);
}

Integer TRegistry::ReadInteger(const String& Name) {
  TRegDataInfo info;
  if (GetDataInfo(Name, info) && (info.RegData != rdInteger || info.DataSize != 4))
    throw ERegistryException::CreateFmt(u"Invalid data type for '%s'", {Name});
  Integer v = 0;
  TRegDataType t;
  GetData(Name, &v, sizeof v, t);
  return v;
}

void TRegistry::WriteInteger(const String& Name, Integer Value) { PutData(Name, &Value, sizeof Value, REG_DWORD); }

Integer TRegistry::ReadBinaryData(const String& Name, void* Buffer, Integer BufSize) {
  TRegDataInfo info;
  if (!GetDataInfo(Name, info)) throw ERegistryException::CreateFmt(u"Failed to get data for '%s'", {Name});
  if (info.RegData != rdBinary && info.RegData != rdUnknown)
    throw ERegistryException::CreateFmt(u"Invalid data type for '%s'", {Name});
  if (info.DataSize > BufSize) throw ERegistryException::CreateFmt(u"Failed to get data for '%s'", {Name});
  TRegDataType t;
  return GetData(Name, Buffer, BufSize, t);
}

void TRegistry::WriteBinaryData(const String& Name, const void* Buffer, Integer BufSize) {
  PutData(Name, Buffer, BufSize, REG_BINARY);
}

}  // namespace vcl
