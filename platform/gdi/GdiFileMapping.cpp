#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <map>
#include <mutex>

#include "platform/gdi/FileMapping.h"
#include "platform/rtl/SysUtils.h"

namespace vcl {

namespace {

struct TKernelObject {
  bool IsMapping = false;
  int Fd = -1;
  std::string Path;  // files only
  bool DeleteOnClose = false;
  UInt64 Size = 0;  // mappings only
  bool Writable = true;
};

struct TTable {
  std::mutex Lock;
  std::map<HANDLE, TKernelObject> Objects;
  std::map<const void*, size_t> Views;
  NativeUInt Next = 0x4000;
};

TTable& Table() {
  static TTable t;
  return t;
}

HANDLE AddObject(TTable& t, TKernelObject o) {
  HANDLE h = reinterpret_cast<HANDLE>(t.Next);
  t.Next += 4;
  t.Objects.emplace(h, std::move(o));
  return h;
}

}  // namespace

HANDLE CreateFileW(const String& FileName, DWORD Access, DWORD, void*, DWORD Disposition, DWORD FlagsAndAttributes,
                   HANDLE) {
  if (FileName.empty()) return INVALID_FILE_HANDLE;
  int flags = O_CLOEXEC;
  const bool rd = Access & GENERIC_READ, wr = Access & GENERIC_WRITE;
  flags |= rd && wr ? O_RDWR : (wr ? O_WRONLY : O_RDONLY);
  switch (Disposition) {
    case CREATE_NEW: flags |= O_CREAT | O_EXCL; break;
    case CREATE_ALWAYS: flags |= O_CREAT | O_TRUNC; break;
    case OPEN_EXISTING: break;
    case OPEN_ALWAYS: flags |= O_CREAT; break;
    default: return INVALID_FILE_HANDLE;
  }
  std::string path = ToUtf8(FileName);
  for (char& c : path)
    if (c == '\\') c = '/';
  const int fd = ::open(path.c_str(), flags, 0644);
  if (fd < 0) return INVALID_FILE_HANDLE;
  TKernelObject o;
  o.Fd = fd;
  o.Path = path;
  o.DeleteOnClose = FlagsAndAttributes & FILE_FLAG_DELETE_ON_CLOSE;
  o.Writable = wr;
  TTable& t = Table();
  std::lock_guard<std::mutex> lk(t.Lock);
  return AddObject(t, std::move(o));
}

HANDLE CreateFileMappingW(HANDLE File, void*, DWORD Protect, DWORD SizeHigh, DWORD SizeLow, const char16_t*) {
  const UInt64 size = (static_cast<UInt64>(SizeHigh) << 32) | SizeLow;
  const bool writable = Protect == PAGE_READWRITE;
  TTable& t = Table();
  std::lock_guard<std::mutex> lk(t.Lock);
  TKernelObject m;
  m.IsMapping = true;
  m.Writable = writable;
  if (File == INVALID_FILE_HANDLE) {
    // The paging file: anonymous shared memory, so that every view of the
    // mapping sees the same pages.
    if (size == 0) return nullptr;
    const int fd = ::memfd_create("qn-mapping", MFD_CLOEXEC);
    if (fd < 0) return nullptr;
    if (::ftruncate(fd, static_cast<off_t>(size)) != 0) {
      ::close(fd);
      return nullptr;
    }
    m.Fd = fd;
    m.Size = size;
  } else {
    auto it = t.Objects.find(File);
    if (it == t.Objects.end() || it->second.IsMapping) return nullptr;
    if (writable && !it->second.Writable) return nullptr;
    struct stat st;
    if (::fstat(it->second.Fd, &st) != 0) return nullptr;
    UInt64 want = size ? size : static_cast<UInt64>(st.st_size);
    if (want == 0) return nullptr;
    if (want > static_cast<UInt64>(st.st_size) && ::ftruncate(it->second.Fd, static_cast<off_t>(want)) != 0)
      return nullptr;
    const int fd = ::fcntl(it->second.Fd, F_DUPFD_CLOEXEC, 0);
    if (fd < 0) return nullptr;
    m.Fd = fd;
    m.Size = want;
  }
  return AddObject(t, std::move(m));
}

void* MapViewOfFile(HANDLE Mapping, DWORD Access, DWORD OffsetHigh, DWORD OffsetLow, NativeUInt Bytes) {
  TTable& t = Table();
  std::lock_guard<std::mutex> lk(t.Lock);
  auto it = t.Objects.find(Mapping);
  if (it == t.Objects.end() || !it->second.IsMapping) return nullptr;
  const UInt64 offset = (static_cast<UInt64>(OffsetHigh) << 32) | OffsetLow;
  const TKernelObject& m = it->second;
  if (offset >= m.Size) return nullptr;
  const UInt64 len = Bytes ? Bytes : m.Size - offset;
  if (offset + len > m.Size) return nullptr;
  const bool write = Access & FILE_MAP_WRITE;
  if (write && !m.Writable) return nullptr;
  void* p = ::mmap(nullptr, static_cast<size_t>(len), PROT_READ | (write ? PROT_WRITE : 0), MAP_SHARED, m.Fd,
                   static_cast<off_t>(offset));
  if (p == MAP_FAILED) return nullptr;
  t.Views[p] = static_cast<size_t>(len);
  return p;
}

bool UnmapViewOfFile(const void* View) {
  TTable& t = Table();
  std::lock_guard<std::mutex> lk(t.Lock);
  auto it = t.Views.find(View);
  if (it == t.Views.end()) return false;
  ::munmap(const_cast<void*>(View), it->second);
  t.Views.erase(it);
  return true;
}

bool CloseFileMappingHandle(HANDLE Handle) {
  TTable& t = Table();
  std::lock_guard<std::mutex> lk(t.Lock);
  auto it = t.Objects.find(Handle);
  if (it == t.Objects.end()) return false;
  ::close(it->second.Fd);
  if (it->second.DeleteOnClose) ::unlink(it->second.Path.c_str());
  t.Objects.erase(it);
  return true;
}

Integer FileMappingHandleCount() {
  TTable& t = Table();
  std::lock_guard<std::mutex> lk(t.Lock);
  return static_cast<Integer>(t.Objects.size());
}

}  // namespace vcl
