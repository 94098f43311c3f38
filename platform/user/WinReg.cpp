#include "platform/user/WinReg.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/rtl/SysUtils.h"

namespace vcl {

namespace regstore {

struct Value {
  String Name;
  DWORD Type = REG_NONE;
  std::vector<Byte> Data;
};

struct Key {
  String Name;
  std::vector<std::unique_ptr<Key>> Subkeys;
  std::vector<Value> Values;

  Key* Find(const String& name) const {
    for (auto& k : Subkeys)
      if (AnsiSameText(k->Name, name)) return k.get();
    return nullptr;
  }
  Value* FindValue(const String& name) {
    for (auto& v : Values)
      if (AnsiSameText(v.Name, name)) return &v;
    return nullptr;
  }
};

namespace {

constexpr const char* kHeader = "QuarnRegistry 1";

// Names and paths are written as UTF-8 with every byte that would break a
// line or a field (controls, space, '%', and bytes above 0x7E) as %XX. The
// leading ':' lets an empty name stand as a field of its own.
std::string Encode(const String& s) {
  std::string u = ToUtf8(s), out = ":";
  for (unsigned char c : u) {
    if (c <= 0x20 || c == '%' || c >= 0x7F) {
      char buf[4];
      std::snprintf(buf, sizeof buf, "%%%02X", c);
      out += buf;
    } else {
      out += char(c);
    }
  }
  return out;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

bool Decode(const std::string& field, String& out) {
  if (field.empty() || field[0] != ':') return false;
  std::string u;
  for (size_t i = 1; i < field.size(); ++i) {
    char c = field[i];
    if (c == '%') {
      if (i + 2 >= field.size()) return false;
      int hi = HexDigit(field[i + 1]), lo = HexDigit(field[i + 2]);
      if (hi < 0 || lo < 0) return false;
      u += char(hi * 16 + lo);
      i += 2;
    } else {
      u += c;
    }
  }
  // Names must survive the trip through UTF-16 unchanged.
  out = FromUtf8(u);
  return ToUtf8(out) == u;
}

std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> f;
  size_t from = 0;
  for (;;) {
    size_t sp = line.find(' ', from);
    f.push_back(line.substr(from, sp == std::string::npos ? std::string::npos : sp - from));
    if (sp == std::string::npos) break;
    from = sp + 1;
  }
  return f;
}

void Write(const Key& k, const String& path, std::string& out) {
  out += "K ";
  out += Encode(path);
  out += '\n';
  for (auto& v : k.Values) {
    out += "V ";
    out += Encode(v.Name);
    out += ' ';
    out += std::to_string(v.Type);
    out += " :";
    static const char* hex = "0123456789ABCDEF";
    for (Byte b : v.Data) {
      out += hex[b >> 4];
      out += hex[b & 15];
    }
    out += '\n';
  }
  for (auto& s : k.Subkeys) Write(*s, path.empty() ? s->Name : path + u"\\" + s->Name, out);
}

}  // namespace

std::string Serialize(const Key& root) {
  std::string out = kHeader;
  out += '\n';
  Write(root, String(), out);
  return out;
}

// Reads the whole text or nothing: any malformed line, a value before the
// first key, a key or value named twice fails the lot.
bool Parse(const std::string& text, Key& root, std::string* error) {
  auto fail = [&](size_t line, const char* why) {
    if (error) *error = "line " + std::to_string(line) + ": " + why;
    return false;
  };
  Key result;
  Key* current = nullptr;
  size_t pos = 0, lineNo = 0;
  bool sawHeader = false;
  while (pos < text.size()) {
    size_t nl = text.find('\n', pos);
    if (nl == std::string::npos) return fail(lineNo + 1, "unterminated line");
    std::string line = text.substr(pos, nl - pos);
    pos = nl + 1;
    ++lineNo;
    if (!sawHeader) {
      if (line != kHeader) return fail(lineNo, "not a registry file");
      sawHeader = true;
      continue;
    }
    std::vector<std::string> f = Fields(line);
    if (f[0] == "K" && f.size() == 2) {
      String path;
      if (!Decode(f[1], path)) return fail(lineNo, "bad key path");
      current = &result;
      if (!path.empty()) {
        size_t from = 0;
        for (;;) {
          size_t bs = path.find(u'\\', from);
          String part = path.substr(from, bs == String::npos ? String::npos : bs - from);
          if (part.empty()) return fail(lineNo, "empty key name");
          Key* next = current->Find(part);
          if (!next) {
            current->Subkeys.push_back(std::make_unique<Key>());
            next = current->Subkeys.back().get();
            next->Name = part;
          } else if (bs == String::npos && (!next->Values.empty() || !next->Subkeys.empty())) {
            // A key is written once, with its values, before its subkeys.
            return fail(lineNo, "key written twice");
          }
          current = next;
          if (bs == String::npos) break;
          from = bs + 1;
        }
      }
    } else if (f[0] == "V" && f.size() == 4) {
      if (!current) return fail(lineNo, "value outside a key");
      Value v;
      if (!Decode(f[1], v.Name)) return fail(lineNo, "bad value name");
      const std::string& t = f[2];
      if (t.empty() || t.size() > 10 || !std::all_of(t.begin(), t.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return fail(lineNo, "bad value type");
      unsigned long long type = std::strtoull(t.c_str(), nullptr, 10);
      if (type > 0xFFFFFFFFull) return fail(lineNo, "bad value type");
      v.Type = DWORD(type);
      const std::string& d = f[3];
      if (d.empty() || d[0] != ':' || (d.size() - 1) % 2 != 0) return fail(lineNo, "bad value data");
      for (size_t i = 1; i < d.size(); i += 2) {
        int hi = HexDigit(d[i]), lo = HexDigit(d[i + 1]);
        if (hi < 0 || lo < 0) return fail(lineNo, "bad value data");
        v.Data.push_back(Byte(hi * 16 + lo));
      }
      if (current->FindValue(v.Name)) return fail(lineNo, "value written twice");
      current->Values.push_back(std::move(v));
    } else {
      return fail(lineNo, "unknown line");
    }
  }
  if (!sawHeader) return fail(0, "empty file");
  root = std::move(result);
  return true;
}

bool ParseHiveText(const std::string& text, std::string* canonical, std::string* error) {
  Key root;
  if (!Parse(text, root, error)) return false;
  if (canonical) *canonical = Serialize(root);
  return true;
}

}  // namespace regstore

namespace {

using regstore::Key;
using regstore::Value;

enum class HiveState { Unloaded, Loaded, Corrupt };

struct Hive {
  const char* FileName;
  Key Root;
  HiveState State = HiveState::Unloaded;
};

struct OpenKey {
  int Root = 0;
  std::vector<String> Path;
  REGSAM Access = 0;
};

struct Store {
  std::mutex Lock;
  std::string Folder;
  Hive Hives[3] = {{"HKEY_CLASSES_ROOT.reg", {}, {}},
                   {"HKEY_CURRENT_USER.reg", {}, {}},
                   {"HKEY_LOCAL_MACHINE.reg", {}, {}}};
  std::map<uintptr_t, OpenKey> Handles;
  uintptr_t NextHandle = 0x1000;
  bool Deny = false;
  bool FailWrites = false;
};

Store& RegStore() {
  static Store* s = new Store;
  return *s;
}

using Lock = std::lock_guard<std::mutex>;

std::string DefaultFolder() {
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  std::string base;
  if (xdg && *xdg) base = xdg;
  else if (const char* home = std::getenv("HOME"); home && *home) base = std::string(home) + "/.config";
  else base = "/tmp";
  return base + "/quarn/registry";
}

std::string Folder() {
  Store& s = RegStore();
  if (s.Folder.empty()) s.Folder = DefaultFolder();
  return s.Folder;
}

std::string FilePath(const Hive& h) { return Folder() + "/" + h.FileName; }

// Reads the root's file on first use; a missing file is an empty root.
LONG Ensure(Hive& h) {
  if (h.State == HiveState::Loaded) return ERROR_SUCCESS;
  if (h.State == HiveState::Corrupt) return LONG(ERROR_REGISTRY_CORRUPT);
  h.Root = Key();
  std::FILE* f = std::fopen(FilePath(h).c_str(), "rb");
  if (!f) {
    h.State = HiveState::Loaded;
    return ERROR_SUCCESS;
  }
  std::string text;
  char buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) text.append(buf, n);
  bool readError = std::ferror(f) != 0;
  std::fclose(f);
  Key root;
  if (readError || !regstore::Parse(text, root, nullptr)) {
    h.State = HiveState::Corrupt;
    return LONG(ERROR_REGISTRY_CORRUPT);
  }
  h.Root = std::move(root);
  h.State = HiveState::Loaded;
  return ERROR_SUCCESS;
}

void MakeFolders(const std::string& path) {
  for (size_t i = 1; i <= path.size(); ++i)
    if (i == path.size() || path[i] == '/') ::mkdir(path.substr(0, i).c_str(), 0755);
}

// Writes the root beside its file and renames it over; on any failure the
// old file stays and the root is read again from it on next use, so what a
// program sees never runs ahead of what is stored.
LONG Save(Hive& h) {
  std::string text = regstore::Serialize(h.Root);
  std::string path = FilePath(h), temp = path + ".tmp";
  MakeFolders(Folder());
  std::FILE* f = std::fopen(temp.c_str(), "wb");
  bool ok = f != nullptr;
  if (ok) {
    size_t want = RegStore().FailWrites ? text.size() / 2 : text.size();
    ok = std::fwrite(text.data(), 1, want, f) == want && !RegStore().FailWrites;
    ok = (std::fclose(f) == 0) && ok;
  }
  if (ok) ok = std::rename(temp.c_str(), path.c_str()) == 0;
  if (!ok) {
    std::remove(temp.c_str());
    h.State = HiveState::Unloaded;
    return LONG(ERROR_WRITE_FAULT);
  }
  return ERROR_SUCCESS;
}

int RootIndex(HKEY k) {
  if (k == HKEY_CLASSES_ROOT) return 0;
  if (k == HKEY_CURRENT_USER) return 1;
  if (k == HKEY_LOCAL_MACHINE) return 2;
  return -1;
}

std::vector<String> SplitPath(const Char* subKey) {
  std::vector<String> parts;
  if (!subKey) return parts;
  String p(subKey);
  size_t from = 0;
  for (;;) {
    size_t bs = p.find(u'\\', from);
    String part = p.substr(from, bs == String::npos ? String::npos : bs - from);
    if (!part.empty()) parts.push_back(part);
    if (bs == String::npos) break;
    from = bs + 1;
  }
  return parts;
}

// The key a handle stands for (lock held). Handles keep paths, so a key
// deleted under an open handle answers ERROR_KEY_DELETED.
LONG Resolve(HKEY k, REGSAM need, Hive*& hive, Key*& key, OpenKey* info = nullptr) {
  Store& s = RegStore();
  OpenKey ok;
  int root = RootIndex(k);
  if (root >= 0) {
    ok.Root = root;
    ok.Access = KEY_ALL_ACCESS;
  } else {
    auto it = s.Handles.find(reinterpret_cast<uintptr_t>(k));
    if (it == s.Handles.end()) return LONG(ERROR_INVALID_HANDLE);
    ok = it->second;
  }
  if ((ok.Access & need & 0xFFFF) != (need & 0xFFFF)) return LONG(ERROR_ACCESS_DENIED);
  hive = &s.Hives[ok.Root];
  if (LONG r = Ensure(*hive); r != ERROR_SUCCESS) return r;
  key = &hive->Root;
  for (auto& part : ok.Path) {
    key = key->Find(part);
    if (!key) return LONG(ERROR_KEY_DELETED);
  }
  if (info) *info = ok;
  return ERROR_SUCCESS;
}

HKEY NewHandle(const OpenKey& ok) {
  Store& s = RegStore();
  uintptr_t v = s.NextHandle;
  s.NextHandle += 4;
  s.Handles[v] = ok;
  return reinterpret_cast<HKEY>(v);
}

// Copies a name with its terminator into a buffer of *cch characters.
LONG CopyName(const String& name, Char* buf, DWORD* cch) {
  if (!cch) return LONG(ERROR_INVALID_PARAMETER);
  if (!buf || *cch <= name.size()) {
    *cch = DWORD(name.size() + 1);
    return LONG(ERROR_MORE_DATA);
  }
  std::copy(name.begin(), name.end(), buf);
  buf[name.size()] = 0;
  *cch = DWORD(name.size());
  return ERROR_SUCCESS;
}

LONG CopyData(const Value& v, DWORD* type, BYTE* data, DWORD* cbData) {
  if (type) *type = v.Type;
  if (data && !cbData) return LONG(ERROR_INVALID_PARAMETER);
  if (!cbData) return ERROR_SUCCESS;
  DWORD need = DWORD(v.Data.size());
  if (data) {
    if (*cbData < need) {
      *cbData = need;
      return LONG(ERROR_MORE_DATA);
    }
    if (need) std::memcpy(data, v.Data.data(), need);
  }
  *cbData = need;
  return ERROR_SUCCESS;
}

}  // namespace

LONG RegOpenKeyExW(HKEY key, const Char* subKey, DWORD, REGSAM desired, PHKEY result) {
  if (!result) return LONG(ERROR_INVALID_PARAMETER);
  *result = nullptr;
  Lock lk(RegStore().Lock);
  if (RegStore().Deny) return LONG(ERROR_ACCESS_DENIED);
  Hive* hive;
  Key* k;
  OpenKey base;
  if (LONG r = Resolve(key, 0, hive, k, &base); r != ERROR_SUCCESS) return r;
  for (auto& part : SplitPath(subKey)) {
    k = k->Find(part);
    if (!k) return LONG(ERROR_FILE_NOT_FOUND);
    base.Path.push_back(k->Name);
  }
  base.Access = desired ? desired : KEY_READ;
  *result = NewHandle(base);
  return ERROR_SUCCESS;
}

LONG RegCreateKeyExW(HKEY key, const Char* subKey, DWORD, Char*, DWORD, REGSAM desired, const SECURITY_ATTRIBUTES*,
                     PHKEY result, DWORD* disposition) {
  if (!result) return LONG(ERROR_INVALID_PARAMETER);
  *result = nullptr;
  Lock lk(RegStore().Lock);
  if (RegStore().Deny) return LONG(ERROR_ACCESS_DENIED);
  Hive* hive;
  Key* k;
  OpenKey base;
  if (LONG r = Resolve(key, 0, hive, k, &base); r != ERROR_SUCCESS) return r;
  bool created = false;
  for (auto& part : SplitPath(subKey)) {
    Key* next = k->Find(part);
    if (!next) {
      if (RootIndex(key) < 0 && !(base.Access & KEY_CREATE_SUB_KEY)) return LONG(ERROR_ACCESS_DENIED);
      k->Subkeys.push_back(std::make_unique<Key>());
      next = k->Subkeys.back().get();
      next->Name = part;
      created = true;
    }
    k = next;
    base.Path.push_back(k->Name);
  }
  if (created)
    if (LONG r = Save(*hive); r != ERROR_SUCCESS) return r;
  if (disposition) *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
  base.Access = desired ? desired : KEY_ALL_ACCESS;
  *result = NewHandle(base);
  return ERROR_SUCCESS;
}

LONG RegCloseKey(HKEY key) {
  if (RootIndex(key) >= 0) return ERROR_SUCCESS;
  Lock lk(RegStore().Lock);
  return RegStore().Handles.erase(reinterpret_cast<uintptr_t>(key)) ? LONG(ERROR_SUCCESS) : LONG(ERROR_INVALID_HANDLE);
}

LONG RegQueryValueExW(HKEY key, const Char* valueName, DWORD*, DWORD* type, BYTE* data, DWORD* cbData) {
  Lock lk(RegStore().Lock);
  Hive* hive;
  Key* k;
  if (LONG r = Resolve(key, KEY_QUERY_VALUE, hive, k); r != ERROR_SUCCESS) return r;
  Value* v = k->FindValue(valueName ? String(valueName) : String());
  if (!v) return LONG(ERROR_FILE_NOT_FOUND);
  return CopyData(*v, type, data, cbData);
}

LONG RegSetValueExW(HKEY key, const Char* valueName, DWORD, DWORD type, const BYTE* data, DWORD cbData) {
  if (!data && cbData) return LONG(ERROR_INVALID_PARAMETER);
  Lock lk(RegStore().Lock);
  Hive* hive;
  Key* k;
  if (LONG r = Resolve(key, KEY_SET_VALUE, hive, k); r != ERROR_SUCCESS) return r;
  String name = valueName ? String(valueName) : String();
  Value* v = k->FindValue(name);
  if (!v) {
    k->Values.push_back(Value());
    v = &k->Values.back();
    v->Name = name;
  }
  v->Type = type;
  v->Data.assign(data, data + cbData);
  return Save(*hive);
}

LONG RegDeleteValueW(HKEY key, const Char* valueName) {
  Lock lk(RegStore().Lock);
  Hive* hive;
  Key* k;
  if (LONG r = Resolve(key, KEY_SET_VALUE, hive, k); r != ERROR_SUCCESS) return r;
  String name = valueName ? String(valueName) : String();
  auto it = std::find_if(k->Values.begin(), k->Values.end(), [&](const Value& v) { return AnsiSameText(v.Name, name); });
  if (it == k->Values.end()) return LONG(ERROR_FILE_NOT_FOUND);
  k->Values.erase(it);
  return Save(*hive);
}

LONG RegDeleteKeyW(HKEY key, const Char* subKey) {
  Lock lk(RegStore().Lock);
  Hive* hive;
  Key* k;
  if (LONG r = Resolve(key, 0, hive, k); r != ERROR_SUCCESS) return r;
  std::vector<String> parts = SplitPath(subKey);
  // A root cannot delete itself.
  if (parts.empty()) return LONG(ERROR_ACCESS_DENIED);
  Key* parent = k;
  for (size_t i = 0; i + 1 < parts.size(); ++i) {
    parent = parent->Find(parts[i]);
    if (!parent) return LONG(ERROR_FILE_NOT_FOUND);
  }
  auto it = std::find_if(parent->Subkeys.begin(), parent->Subkeys.end(),
                         [&](const std::unique_ptr<Key>& c) { return AnsiSameText(c->Name, parts.back()); });
  if (it == parent->Subkeys.end()) return LONG(ERROR_FILE_NOT_FOUND);
  if (!(*it)->Subkeys.empty()) return LONG(ERROR_ACCESS_DENIED);
  parent->Subkeys.erase(it);
  return Save(*hive);
}

LONG RegEnumKeyExW(HKEY key, DWORD index, Char* name, DWORD* cchName, DWORD*, Char* keyClass, DWORD* cchClass,
                   FILETIME* lastWrite) {
  Lock lk(RegStore().Lock);
  Hive* hive;
  Key* k;
  if (LONG r = Resolve(key, KEY_ENUMERATE_SUB_KEYS, hive, k); r != ERROR_SUCCESS) return r;
  if (index >= k->Subkeys.size()) return LONG(ERROR_NO_MORE_ITEMS);
  if (keyClass && cchClass && *cchClass) keyClass[0] = 0;
  if (cchClass) *cchClass = 0;
  if (lastWrite) *lastWrite = FILETIME();
  return CopyName(k->Subkeys[index]->Name, name, cchName);
}

LONG RegEnumValueW(HKEY key, DWORD index, Char* valueName, DWORD* cchValueName, DWORD*, DWORD* type, BYTE* data,
                   DWORD* cbData) {
  Lock lk(RegStore().Lock);
  Hive* hive;
  Key* k;
  if (LONG r = Resolve(key, KEY_QUERY_VALUE, hive, k); r != ERROR_SUCCESS) return r;
  if (index >= k->Values.size()) return LONG(ERROR_NO_MORE_ITEMS);
  const Value& v = k->Values[index];
  if (LONG r = CopyName(v.Name, valueName, cchValueName); r != ERROR_SUCCESS) return r;
  return CopyData(v, type, data, cbData);
}

LONG RegQueryInfoKeyW(HKEY key, Char* keyClass, DWORD* cchClass, DWORD*, DWORD* subKeys, DWORD* maxSubKeyLen,
                      DWORD* maxClassLen, DWORD* values, DWORD* maxValueNameLen, DWORD* maxValueLen,
                      DWORD* securityDescriptor, FILETIME* lastWriteTime) {
  Lock lk(RegStore().Lock);
  Hive* hive;
  Key* k;
  if (LONG r = Resolve(key, KEY_QUERY_VALUE, hive, k); r != ERROR_SUCCESS) return r;
  if (keyClass && cchClass && *cchClass) keyClass[0] = 0;
  if (cchClass) *cchClass = 0;
  DWORD maxKey = 0, maxName = 0, maxData = 0;
  for (auto& s : k->Subkeys) maxKey = std::max(maxKey, DWORD(s->Name.size()));
  for (auto& v : k->Values) {
    maxName = std::max(maxName, DWORD(v.Name.size()));
    maxData = std::max(maxData, DWORD(v.Data.size()));
  }
  if (subKeys) *subKeys = DWORD(k->Subkeys.size());
  if (maxSubKeyLen) *maxSubKeyLen = maxKey;
  if (maxClassLen) *maxClassLen = 0;
  if (values) *values = DWORD(k->Values.size());
  if (maxValueNameLen) *maxValueNameLen = maxName;
  if (maxValueLen) *maxValueLen = maxData;
  if (securityDescriptor) *securityDescriptor = 0;
  if (lastWriteTime) *lastWriteTime = FILETIME();
  return ERROR_SUCCESS;
}

LONG RegFlushKey(HKEY key) {
  Lock lk(RegStore().Lock);
  Hive* hive;
  Key* k;
  // Every change is on disk already; only the handle is checked.
  return Resolve(key, 0, hive, k);
}

void ResetRegistryStore() {
  Lock lk(RegStore().Lock);
  for (auto& h : RegStore().Hives) {
    h.Root = Key();
    h.State = HiveState::Unloaded;
  }
}

void SetRegistryFolder(const std::string& folder) {
  {
    Lock lk(RegStore().Lock);
    RegStore().Folder = folder;
  }
  ResetRegistryStore();
}

std::string RegistryFolder() {
  Lock lk(RegStore().Lock);
  return Folder();
}

void SetRegistryAccessDenied(bool deny) {
  Lock lk(RegStore().Lock);
  RegStore().Deny = deny;
}

void SetRegistryWriteFailure(bool fail) {
  Lock lk(RegStore().Lock);
  RegStore().FailWrites = fail;
}

}  // namespace vcl
