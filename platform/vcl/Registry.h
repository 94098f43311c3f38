// The Registry unit: TRegistry, an object over one open key of the host's
// registry. Paths given to OpenKey and friends are relative to the open key
// unless they start with "\", which makes them relative to RootKey.
#pragma once
#include "platform/rtl/MacroShield.h"

#include "platform/classes/Strings.h"
#include "platform/rtl/SysUtils.h"
#include "platform/user/WinReg.h"

namespace vcl {

QN_EXCEPTION(ERegistryException, Exception)

enum class TRegDataType : Byte { rdUnknown, rdString, rdExpandString, rdInteger, rdBinary };
using enum TRegDataType;

struct TRegDataInfo {
  TRegDataType RegData = rdUnknown;
  Integer DataSize = 0;
};

struct TRegKeyInfo {
  Integer NumSubKeys = 0;
  Integer MaxSubKeyLen = 0;
  Integer NumValues = 0;
  Integer MaxValueLen = 0;
  Integer MaxDataLen = 0;
  FILETIME FileTime;
};

class TRegistry : public TObject {
  QN_CLASS(TRegistry, TObject)
 public:
  TRegistry();
  explicit TRegistry(LongWord AAccess);
  ~TRegistry() override;

  HKEY RootKey() const { return FRootKey; }
  // Closes the open key.
  void SetRootKey(HKEY Value);
  HKEY CurrentKey() const { return FCurrentKey; }
  // The open key's path below RootKey, without a leading "\".
  String CurrentPath() const { return FCurrentPath; }
  LongWord Access() const { return FAccess; }
  void SetAccess(LongWord Value) { FAccess = Value; }
  // Kept for programs that set it: every change is stored at once.
  bool LazyWrite() const { return FLazyWrite; }
  void SetLazyWrite(bool Value) { FLazyWrite = Value; }

  // Opens Key (creating it and its parents when CanCreate) and makes it
  // the current key; false when it cannot be opened.
  bool OpenKey(const String& Key, bool CanCreate);
  bool OpenKeyReadOnly(const String& Key);
  void CloseKey();
  // Raises ERegistryException "Failed to create key %s" when it cannot.
  bool CreateKey(const String& Key);
  // Deletes the key with everything below it.
  bool DeleteKey(const String& Key);
  bool KeyExists(const String& Key);
  bool HasSubKeys();
  bool GetKeyInfo(TRegKeyInfo& Value);
  void GetKeyNames(TStrings* Strings);

  bool ValueExists(const String& Name);
  bool DeleteValue(const String& Name);
  void GetValueNames(TStrings* Strings);
  bool GetDataInfo(const String& ValueName, TRegDataInfo& Value);
  TRegDataType GetDataType(const String& ValueName);
  // The data's size in bytes, -1 when the value does not exist.
  Integer GetDataSize(const String& ValueName);

  // Absent: empty. Another type: ERegistryException.
  String ReadString(const String& Name);
  void WriteString(const String& Name, const String& Value);
  void WriteExpandString(const String& Name, const String& Value);
  Integer ReadInteger(const String& Name);
  void WriteInteger(const String& Name, Integer Value);
  bool ReadBool(const String& Name) { return ReadInteger(Name) != 0; }
  void WriteBool(const String& Name, bool Value) { WriteInteger(Name, Value ? 1 : 0); }
  // Copies the value into Buffer and returns its size; a buffer too small
  // raises ERegistryException.
  Integer ReadBinaryData(const String& Name, void* Buffer, Integer BufSize);
  void WriteBinaryData(const String& Name, const void* Buffer, Integer BufSize);

 protected:
  void ChangeKey(HKEY Value, const String& Path);
  HKEY GetBaseKey(bool Relative);
  // The path a key argument names, relative to RootKey.
  String AbsolutePath(const String& Key) const;
  void PutData(const String& Name, const void* Buffer, Integer BufSize, DWORD RegType);
  Integer GetData(const String& Name, void* Buffer, Integer BufSize, TRegDataType& RegData);

 private:
  HKEY FRootKey = HKEY_CURRENT_USER;
  HKEY FCurrentKey = nullptr;
  String FCurrentPath;
  LongWord FAccess = KEY_ALL_ACCESS;
  bool FLazyWrite = true;
};

}  // namespace vcl

#include "platform/rtl/MacroShieldEnd.h"
