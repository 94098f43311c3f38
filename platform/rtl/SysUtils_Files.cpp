// Files, folders and paths on the host's file system. "\" is accepted as a
// separator everywhere, since code written for the platform spells paths
// that way.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fstream>
#include <mutex>
#include <random>

#include "platform/rtl/FolderStamp.h"
#include "platform/rtl/Kernel.h"
#include "platform/rtl/SysUtils.h"

namespace vcl {

namespace {
inline bool IsSep(Char c) { return c == u'/' || c == u'\\'; }

struct ProcessPaths {
  std::mutex lock;
  String moduleOverride;
  String tempOverride;
};
ProcessPaths& Paths() {
  static ProcessPaths p;
  return p;
}

bool StatPath(const String& path, struct stat& st) {
  if (path.empty()) return false;
  return ::stat(HostPathUtf8(path).c_str(), &st) == 0;
}
}  // namespace

String HostPath(const String& path) {
  String r(path);
  for (auto& c : r)
    if (c == u'\\') c = u'/';
  return r;
}
std::string HostPathUtf8(const String& path) { return ToUtf8(HostPath(path)); }

bool IsPathDelimiter(const String& s, Integer index) {
  return index >= 1 && index <= Length(s) && IsSep(s[static_cast<size_t>(index - 1)]);
}

String IncludeTrailingPathDelimiter(const String& s) {
  if (!s.empty() && IsSep(s.back())) return s;
  return s + PathDelim;
}

String ExcludeTrailingPathDelimiter(const String& s) {
  if (!s.empty() && IsSep(s.back())) return s.substr(0, s.size() - 1);
  return s;
}

namespace {
size_t NameStart(const String& f) {
  for (size_t i = f.size(); i-- > 0;)
    if (IsSep(f[i])) return i + 1;
  return 0;
}
}  // namespace

String ExtractFilePath(const String& fileName) { return fileName.substr(0, NameStart(fileName)); }

String ExtractFileDir(const String& fileName) {
  size_t n = NameStart(fileName);  // the last separator is at n - 1
  // A root ("/") and a run of separators keep theirs, as on the platform.
  if (n > 1 && !IsSep(fileName[n - 2])) --n;
  return fileName.substr(0, n);
}

String ExtractFileName(const String& fileName) { return fileName.substr(NameStart(fileName)); }

String ExtractFileExt(const String& fileName) {
  size_t start = NameStart(fileName);
  size_t dot = fileName.rfind(u'.');
  if (dot == String::npos || dot < start) return String();
  return fileName.substr(dot);
}

String ChangeFileExt(const String& fileName, const String& extension) {
  size_t start = NameStart(fileName);
  size_t dot = fileName.rfind(u'.');
  if (dot == String::npos || dot < start) return fileName + extension;
  return fileName.substr(0, dot) + extension;
}

String ExpandFileName(const String& fileName) {
  if (fileName.empty()) return String();
  String p = HostPath(fileName);
  if (p.empty() || p[0] != u'/') p = IncludeTrailingPathDelimiter(GetCurrentDir()) + p;
  std::vector<String> parts;
  size_t i = 0;
  while (i <= p.size()) {
    size_t j = p.find(u'/', i);
    if (j == String::npos) j = p.size();
    String part = p.substr(i, j - i);
    if (part == u"..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != u".") {
      parts.push_back(part);
    }
    i = j + 1;
  }
  String r;
  for (auto& part : parts) r += u"/" + part;
  if (r.empty()) r = u"/";
  else if (IsSep(p.back())) r += u'/';
  return r;
}

bool FileExists(const String& fileName) {
  struct stat st;
  return StatPath(fileName, st) && !S_ISDIR(st.st_mode);
}

bool DirectoryExists(const String& dir) {
  struct stat st;
  return StatPath(dir, st) && S_ISDIR(st.st_mode);
}

bool CreateDir(const String& dir) {
  return !dir.empty() && ::mkdir(HostPathUtf8(ExcludeTrailingPathDelimiter(dir)).c_str(), 0777) == 0;
}

bool ForceDirectories(const String& dir) {
  if (dir.empty()) throw EInOutError(u"Unable to create directory");
  String d = ExcludeTrailingPathDelimiter(dir);
  if (d.empty() || DirectoryExists(d)) return true;
  String parent = ExtractFileDir(d);
  if (!parent.empty() && parent != d && !ForceDirectories(parent)) return false;
  return CreateDir(d) || DirectoryExists(d);
}

bool RemoveDir(const String& dir) {
  return !dir.empty() && ::rmdir(HostPathUtf8(ExcludeTrailingPathDelimiter(dir)).c_str()) == 0;
}

bool DeleteFile(const String& fileName) {
  if (!FileExists(fileName)) return false;
  return ::unlink(HostPathUtf8(fileName).c_str()) == 0;
}

bool RenameFile(const String& oldName, const String& newName) {
  // The platform refuses to replace an existing file.
  struct stat st;
  if (oldName.empty() || newName.empty() || StatPath(newName, st)) return false;
  return ::rename(HostPathUtf8(oldName).c_str(), HostPathUtf8(newName).c_str()) == 0;
}

bool MoveFileExW(const WCHAR* existing, const WCHAR* newName, DWORD flags) {
  if (!existing || !newName || !*existing || !*newName) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  const String from(existing), to(newName);
  struct stat st;
  if (!StatPath(from, st)) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return false;
  }
  struct stat target;
  if (StatPath(to, target)) {
    if (!(flags & MOVEFILE_REPLACE_EXISTING)) {
      SetLastError(ERROR_ALREADY_EXISTS);
      return false;
    }
    // A folder is never replaced by a file.
    if (S_ISDIR(target.st_mode)) {
      SetLastError(ERROR_ACCESS_DENIED);
      return false;
    }
  }
  if (::rename(HostPathUtf8(from).c_str(), HostPathUtf8(to).c_str()) == 0) return true;
  if (errno == EXDEV) {
    if (!(flags & MOVEFILE_COPY_ALLOWED) || S_ISDIR(st.st_mode)) {
      SetLastError(ERROR_NOT_SAME_DEVICE);
      return false;
    }
    std::ifstream in(HostPathUtf8(from), std::ios::binary);
    std::ofstream out(HostPathUtf8(to), std::ios::binary | std::ios::trunc);
    out << in.rdbuf();
    out.flush();
    if (in && out) {
      out.close();
      ::unlink(HostPathUtf8(from).c_str());
      return true;
    }
  }
  SetLastError(errno == ENOENT ? ERROR_FILE_NOT_FOUND : ERROR_ACCESS_DENIED);
  return false;
}

bool FileAge(const String& fileName, TDateTime& age) {
  struct stat st;
  if (!StatPath(fileName, st) || S_ISDIR(st.st_mode)) return false;
  std::tm tm{};
  time_t t = st.st_mtime;
  localtime_r(&t, &tm);
  age = EncodeDate(static_cast<Word>(tm.tm_year + 1900), static_cast<Word>(tm.tm_mon + 1), static_cast<Word>(tm.tm_mday)) +
        EncodeTime(static_cast<Word>(tm.tm_hour), static_cast<Word>(tm.tm_min), static_cast<Word>(tm.tm_sec > 59 ? 59 : tm.tm_sec),
                   static_cast<Word>(st.st_mtim.tv_nsec / 1000000));
  return true;
}

Int64 FileSize(const String& fileName) {
  struct stat st;
  if (!StatPath(fileName, st) || S_ISDIR(st.st_mode)) return -1;
  return static_cast<Int64>(st.st_size);
}

TFolderStamp FolderStamp(const String& dir) {
  TFolderStamp r;
  struct stat st;
  if (::stat(dir.empty() ? "." : HostPathUtf8(dir).c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return r;
  r.Valid = true;
  r.Device = static_cast<UInt64>(st.st_dev);
  r.Node = static_cast<UInt64>(st.st_ino);
  r.ChangedSec = static_cast<Int64>(st.st_mtim.tv_sec);
  r.ChangedNsec = static_cast<Int64>(st.st_mtim.tv_nsec);
  // File systems take change times from a coarse clock (a few milliseconds
  // a tick); a tenth of a second is well past any of them.
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  const Int64 ageNs = (static_cast<Int64>(now.tv_sec) - r.ChangedSec) * 1000000000 +
                      (static_cast<Int64>(now.tv_nsec) - r.ChangedNsec);
  r.Settled = ageNs > 100000000;
  return r;
}

String GetCurrentDir() {
  std::string buf(4096, '\0');
  while (!::getcwd(buf.data(), buf.size())) {
    if (errno != ERANGE) return String();
    buf.resize(buf.size() * 2);
  }
  return FromUtf8(buf.c_str());
}

bool SetCurrentDir(const String& dir) { return !dir.empty() && ::chdir(HostPathUtf8(dir).c_str()) == 0; }

String GetTempPath() {
  {
    auto& p = Paths();
    std::lock_guard g(p.lock);
    if (!p.tempOverride.empty()) return IncludeTrailingPathDelimiter(p.tempOverride);
  }
  const char* t = std::getenv("TMPDIR");
  String dir = t && *t ? FromUtf8(t) : String(u"/tmp");
  return IncludeTrailingPathDelimiter(dir);
}

void SetTempPathOverride(const String& dir) {
  auto& p = Paths();
  std::lock_guard g(p.lock);
  p.tempOverride = HostPath(dir);
}

String GetTempFileName(const String& dir, const String& prefix) {
  String folder = IncludeTrailingPathDelimiter(dir.empty() ? GetTempPath() : HostPath(dir));
  static std::mutex lock;
  static std::mt19937 gen{std::random_device{}()};
  for (int attempt = 0; attempt < 1000; ++attempt) {
    Cardinal r;
    {
      std::lock_guard g(lock);
      r = gen();
    }
    String name = folder + prefix + IntToHex(r, 8) + u".tmp";
    int fd = ::open(HostPathUtf8(name).c_str(), O_CREAT | O_EXCL | O_WRONLY, 0666);
    if (fd >= 0) {
      ::close(fd);
      return name;
    }
    if (errno != EEXIST) break;
  }
  RaiseLastOSError(errno);
}

String GetModuleFileName() {
  {
    auto& p = Paths();
    std::lock_guard g(p.lock);
    if (!p.moduleOverride.empty()) return p.moduleOverride;
  }
  std::string buf(4096, '\0');
  ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size() - 1);
  if (n <= 0) return String();
  buf.resize(static_cast<size_t>(n));
  return FromUtf8(buf);
}

void SetModuleFileNameOverride(const String& path) {
  auto& p = Paths();
  std::lock_guard g(p.lock);
  p.moduleOverride = HostPath(path);
}

namespace {
std::vector<String> CommandLine() {
  std::vector<String> args;
  std::ifstream f("/proc/self/cmdline", std::ios::binary);
  std::string all((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
  size_t i = 0;
  while (i < all.size()) {
    size_t j = all.find('\0', i);
    if (j == std::string::npos) j = all.size();
    args.push_back(FromUtf8(all.substr(i, j - i)));
    i = j + 1;
  }
  return args;
}
}  // namespace

String ParamStr(Integer index) {
  if (index == 0) return GetModuleFileName();
  if (index < 0) return String();
  auto args = CommandLine();
  return static_cast<size_t>(index) < args.size() ? args[static_cast<size_t>(index)] : String();
}

Integer ParamCount() {
  auto args = CommandLine();
  return args.empty() ? 0 : static_cast<Integer>(args.size()) - 1;
}

// ---------------------------------------------------------------------------

String SysErrorMessage(Integer code) {
  char buf[256];
  const char* m = strerror_r(code, buf, sizeof buf);
  return FromUtf8(m ? m : "");
}

void RaiseLastOSError(Integer code) {
  if (code == 0) throw EOSError(u"A call to an OS function failed", 0);
  throw EOSError(u"System Error.  Code: " + IntToStr(code) + u".\n" + SysErrorMessage(code), static_cast<Cardinal>(code));
}

TBytes ReadAllBytes(const String& fileName) {
  if (DirectoryExists(fileName))
    throw EFOpenError(u"Cannot open file \"" + fileName + u"\". " + SysErrorMessage(EISDIR));
  const int fd = ::open(HostPathUtf8(fileName).c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    int e = errno;
    throw EFOpenError(u"Cannot open file \"" + fileName + u"\". " + SysErrorMessage(e ? e : ENOENT));
  }
  // Read by the size the file has, in as few calls as it takes; a file that
  // grows meanwhile, or tells no size (a pipe, a kernel file), is read on
  // to its end all the same.
  TBytes b;
  struct stat st {};
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0) b.resize(static_cast<size_t>(st.st_size) + 1);
  if (b.empty()) b.resize(64 * 1024);
  size_t got = 0;
  for (;;) {
    if (got == b.size()) b.resize(b.size() * 2);
    const ssize_t n = ::read(fd, b.data() + got, b.size() - got);
    if (n < 0) {
      if (errno == EINTR) continue;
      const int e = errno;
      ::close(fd);
      throw EReadError(u"Cannot read file \"" + fileName + u"\". " + SysErrorMessage(e));
    }
    if (n == 0) break;
    got += static_cast<size_t>(n);
  }
  ::close(fd);
  b.resize(got);
  return b;
}

void WriteAllBytes(const String& fileName, const TBytes& bytes) {
  std::ofstream f(HostPathUtf8(fileName), std::ios::binary | std::ios::trunc);
  if (!f) {
    int e = errno;
    throw EFCreateError(u"Cannot create file \"" + fileName + u"\". " + SysErrorMessage(e ? e : EACCES));
  }
  f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!f) throw EWriteError(u"Stream write error");
}

String DecodeText(const TBytes& b) {
  size_t n = b.size();
  if (n >= 2 && ((b[0] == 0xFF && b[1] == 0xFE) || (b[0] == 0xFE && b[1] == 0xFF))) {
    const bool le = b[0] == 0xFF;
    String s;
    s.reserve((n - 2) / 2);
    for (size_t i = 2; i + 1 < n; i += 2)
      s += static_cast<Char>(le ? (b[i] | (b[i + 1] << 8)) : ((b[i] << 8) | b[i + 1]));
    return s;
  }
  size_t start = n >= 3 && b[0] == 0xEF && b[1] == 0xBB && b[2] == 0xBF ? 3 : 0;
  return FromUtf8(std::string(b.begin() + static_cast<std::ptrdiff_t>(start), b.end()));
}

String ReadAllText(const String& fileName) { return DecodeText(ReadAllBytes(fileName)); }

void WriteAllText(const String& fileName, const String& text, bool writeBom) {
  std::string u = ToUtf8(text);
  TBytes b;
  b.reserve(u.size() + 3);
  if (writeBom) b = {0xEF, 0xBB, 0xBF};
  b.insert(b.end(), u.begin(), u.end());
  WriteAllBytes(fileName, b);
}

}  // namespace vcl
