#include "platform/classes/Streams.h"

#include "platform/rtl/SysUtils.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace vcl {

namespace {

// strerror is not thread-safe; the run-time library's wrapper is.
String ErrnoText(int err) { return SysErrorMessage(err); }
std::string HostName(const String& FileName) { return HostPathUtf8(FileName); }

char16_t UpperAscii(char16_t c) { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c; }

String UpperKey(const String& s) {
  String r = s;
  for (auto& c : r) c = UpperAscii(c);
  return r;
}

}  // namespace

// ---------------------------------------------------------------------------
// Text encodings

TBytes EncodeText(const String& Text, TTextEncoding Encoding, bool WithBOM) {
  TBytes out;
  switch (Encoding) {
    case TTextEncoding::Default:
    case TTextEncoding::UTF8: {
      if (WithBOM && Encoding == TTextEncoding::UTF8) out = {0xEF, 0xBB, 0xBF};
      std::string u = ToUtf8(Text);
      out.insert(out.end(), u.begin(), u.end());
      break;
    }
    case TTextEncoding::Unicode:
    case TTextEncoding::BigEndianUnicode: {
      bool be = Encoding == TTextEncoding::BigEndianUnicode;
      out.reserve(Text.size() * 2 + 2);
      auto put = [&](char16_t c) {
        Byte lo = static_cast<Byte>(c & 0xFF), hi = static_cast<Byte>(c >> 8);
        out.push_back(be ? hi : lo);
        out.push_back(be ? lo : hi);
      };
      if (WithBOM) put(u'\uFEFF');
      for (char16_t c : Text) put(c);
      break;
    }
    case TTextEncoding::ASCII:
      out.reserve(Text.size());
      for (char16_t c : Text) out.push_back(c < 0x80 ? static_cast<Byte>(c) : Byte('?'));
      break;
  }
  return out;
}

String DecodeBytes(const Byte* Data, size_t Size, TTextEncoding& Encoding) {
  auto has = [&](std::initializer_list<Byte> bom) {
    if (Size < bom.size()) return false;
    size_t i = 0;
    for (Byte b : bom)
      if (Data[i++] != b) return false;
    return true;
  };
  size_t skip = 0;
  if (Encoding == TTextEncoding::Default) {
    if (has({0xEF, 0xBB, 0xBF})) Encoding = TTextEncoding::UTF8, skip = 3;
    else if (has({0xFF, 0xFE})) Encoding = TTextEncoding::Unicode, skip = 2;
    else if (has({0xFE, 0xFF})) Encoding = TTextEncoding::BigEndianUnicode, skip = 2;
    else Encoding = TTextEncoding::UTF8;
  } else if (Encoding == TTextEncoding::UTF8 && has({0xEF, 0xBB, 0xBF})) {
    skip = 3;
  } else if (Encoding == TTextEncoding::Unicode && has({0xFF, 0xFE})) {
    skip = 2;
  } else if (Encoding == TTextEncoding::BigEndianUnicode && has({0xFE, 0xFF})) {
    skip = 2;
  }
  const Byte* p = Data + skip;
  size_t n = Size - skip;
  String out;
  switch (Encoding) {
    case TTextEncoding::Default:
    case TTextEncoding::UTF8:
      out = FromUtf8(std::string(reinterpret_cast<const char*>(p), n));
      break;
    case TTextEncoding::Unicode:
    case TTextEncoding::BigEndianUnicode: {
      bool be = Encoding == TTextEncoding::BigEndianUnicode;
      out.reserve(n / 2 + 1);
      for (size_t i = 0; i + 1 < n; i += 2)
        out += static_cast<char16_t>(be ? (p[i] << 8) | p[i + 1] : p[i] | (p[i + 1] << 8));
      // A torn last unit is shown, not silently dropped.
      if (n & 1) out += u'\uFFFD';
      break;
    }
    case TTextEncoding::ASCII:
      out.reserve(n);
      for (size_t i = 0; i < n; ++i) out += p[i] < 0x80 ? static_cast<char16_t>(p[i]) : u'?';
      break;
  }
  return out;
}

// ---------------------------------------------------------------------------
// TStream

Integer TStream::Read(TBytes& Buffer, Integer Offset, Integer Count) {
  if (Offset < 0 || Count < 0 || static_cast<size_t>(Offset) + static_cast<size_t>(Count) > Buffer.size())
    throw EReadError(u"Stream read error");
  return Count ? Read(Buffer.data() + Offset, Count) : 0;
}

Integer TStream::Write(const TBytes& Buffer, Integer Offset, Integer Count) {
  if (Offset < 0 || Count < 0 || static_cast<size_t>(Offset) + static_cast<size_t>(Count) > Buffer.size())
    throw EWriteError(u"Stream write error");
  return Count ? Write(Buffer.data() + Offset, Count) : 0;
}

void TStream::ReadBuffer(void* Buffer, Integer Count) {
  if (Count < 0) throw EReadError(u"Stream read error");
  // Read may legitimately return fewer bytes than asked (pipes, files being
  // written); keep asking until it has nothing more.
  Integer done = 0;
  while (done < Count) {
    Integer n = Read(static_cast<Byte*>(Buffer) + done, Count - done);
    if (n <= 0) throw EReadError(u"Stream read error");
    done += n;
  }
}

void TStream::WriteBuffer(const void* Buffer, Integer Count) {
  if (Count < 0) throw EWriteError(u"Stream write error");
  Integer done = 0;
  while (done < Count) {
    Integer n = Write(static_cast<const Byte*>(Buffer) + done, Count - done);
    if (n <= 0) throw EWriteError(u"Stream write error");
    done += n;
  }
}

void TStream::ReadBuffer(TBytes& Buffer, Integer Offset, Integer Count) {
  if (Offset < 0 || Count < 0 || static_cast<size_t>(Offset) + static_cast<size_t>(Count) > Buffer.size())
    throw EReadError(u"Stream read error");
  if (Count) ReadBuffer(Buffer.data() + Offset, Count);
}

void TStream::WriteBuffer(const TBytes& Buffer, Integer Offset, Integer Count) {
  if (Offset < 0 || Count < 0 || static_cast<size_t>(Offset) + static_cast<size_t>(Count) > Buffer.size())
    throw EWriteError(u"Stream write error");
  if (Count) WriteBuffer(Buffer.data() + Offset, Count);
}

Int64 TStream::Size() {
  Int64 pos = Seek(0, soCurrent);
  Int64 result = Seek(0, soEnd);
  Seek(pos, soBeginning);
  return result;
}

void TStream::SetSize(Int64) {}

Int64 TStream::CopyFrom(TStream* Source, Int64 Count) {
  if (Count == 0) {
    Source->SetPosition(0);
    Count = Source->Size();
  }
  if (Count < 0) throw EReadError(u"Stream read error");
  constexpr Int64 kMaxBuf = 0xF000;
  std::vector<Byte> buf(static_cast<size_t>(std::min(Count, kMaxBuf)));
  Int64 left = Count;
  while (left > 0) {
    Integer n = static_cast<Integer>(std::min(left, kMaxBuf));
    Source->ReadBuffer(buf.data(), n);
    WriteBuffer(buf.data(), n);
    left -= n;
  }
  return Count;
}

// ---------------------------------------------------------------------------
// THandleStream, TFileStream

Integer THandleStream::Read(void* Buffer, Integer Count) {
  if (Count <= 0) return 0;
  Integer done = 0;
  while (done < Count) {
    ssize_t n = ::read(static_cast<int>(FHandle), static_cast<Byte*>(Buffer) + done, static_cast<size_t>(Count - done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<Integer>(n);
  }
  return done;
}

Integer THandleStream::Write(const void* Buffer, Integer Count) {
  if (Count <= 0) return 0;
  Integer done = 0;
  while (done < Count) {
    ssize_t n = ::write(static_cast<int>(FHandle), static_cast<const Byte*>(Buffer) + done,
                        static_cast<size_t>(Count - done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<Integer>(n);
  }
  return done;
}

Int64 THandleStream::Seek(Int64 Offset, TSeekOrigin Origin) {
  int whence = Origin == soBeginning ? SEEK_SET : Origin == soCurrent ? SEEK_CUR : SEEK_END;
  return ::lseek(static_cast<int>(FHandle), static_cast<off_t>(Offset), whence);
}

void THandleStream::SetSize(Int64 NewSize) {
  if (NewSize < 0 || ::ftruncate(static_cast<int>(FHandle), static_cast<off_t>(NewSize)) != 0)
    throw EStreamError(u"Stream size error: " + ErrnoText(NewSize < 0 ? EINVAL : errno));
  Seek(NewSize, soBeginning);
}

TFileStream::TFileStream(const String& AFileName, Word Mode) : TFileStream(AFileName, Mode, 0) {}

TFileStream::TFileStream(const String& AFileName, Word Mode, Cardinal Rights)
    : THandleStream(INVALID_HANDLE_VALUE), FFileName(AFileName) {
  std::string path = HostName(AFileName);
  if ((Mode & fmCreate) == fmCreate) {
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, Rights ? Rights : 0666);
    if (fd < 0)
      throw EFCreateError(u"Cannot create file \"" + AFileName + u"\". " + ErrnoText(errno));
    FHandle = static_cast<THandle>(fd);
    return;
  }
  int access = (Mode & 3) == fmOpenWrite ? O_WRONLY : (Mode & 3) == fmOpenReadWrite ? O_RDWR : O_RDONLY;
  int fd = ::open(path.c_str(), access | O_CLOEXEC);
  int err = errno;
  if (fd >= 0) {
    // A folder opens for reading on the host but is no file to stream.
    struct stat st;
    if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
      ::close(fd);
      fd = -1;
      err = EISDIR;
    }
  }
  if (fd < 0) throw EFOpenError(u"Cannot open file \"" + AFileName + u"\". " + ErrnoText(err));
  FHandle = static_cast<THandle>(fd);
}

TFileStream::~TFileStream() {
  if (FHandle != INVALID_HANDLE_VALUE) ::close(static_cast<int>(FHandle));
}

// ---------------------------------------------------------------------------
// Memory streams

void TCustomMemoryStream::SetPointer(void* Ptr, Int64 Size) {
  FMemory = Ptr;
  FSize = Size;
}

Integer TCustomMemoryStream::Read(void* Buffer, Integer Count) {
  if (FPosition < 0 || Count <= 0) return 0;
  Int64 n = std::min<Int64>(FSize - FPosition, Count);
  if (n <= 0) return 0;
  std::memcpy(Buffer, static_cast<Byte*>(FMemory) + FPosition, static_cast<size_t>(n));
  FPosition += n;
  return static_cast<Integer>(n);
}

Int64 TCustomMemoryStream::Seek(Int64 Offset, TSeekOrigin Origin) {
  switch (Origin) {
    case TSeekOrigin::soBeginning: FPosition = Offset; break;
    case TSeekOrigin::soCurrent: FPosition += Offset; break;
    case TSeekOrigin::soEnd: FPosition = FSize + Offset; break;
  }
  return FPosition;
}

void TCustomMemoryStream::SaveToStream(TStream* Stream) {
  if (FSize > 0) {
    const Byte* p = static_cast<const Byte*>(FMemory);
    for (Int64 left = FSize; left > 0;) {
      Integer n = static_cast<Integer>(std::min<Int64>(left, 1 << 30));
      Stream->WriteBuffer(p, n);
      p += n;
      left -= n;
    }
  }
}

void TCustomMemoryStream::SaveToFile(const String& FileName) {
  TFileStream f(FileName, fmCreate);
  SaveToStream(&f);
}

TMemoryStream::~TMemoryStream() {
  // A descendant's Realloc cannot run any more, and its storage is its own;
  // only a block from the default Realloc is freed here.
  if (FHeapBlock) std::free(FMemory);
  FMemory = nullptr;
}

void* TMemoryStream::Realloc(Int64& NewCapacity) {
  constexpr Int64 kDelta = 0x2000;
  if (NewCapacity > 0 && NewCapacity != FSize) NewCapacity = (NewCapacity + (kDelta - 1)) & ~(kDelta - 1);
  if (NewCapacity == FCapacity) return FMemory;
  if (NewCapacity == 0) {
    if (FHeapBlock) std::free(FMemory);
    FHeapBlock = false;
    return nullptr;
  }
  if (static_cast<UInt64>(NewCapacity) > SIZE_MAX / 2) throw EOutOfMemory(u"Out of memory while expanding memory stream");
  void* p = std::realloc(FHeapBlock ? FMemory : nullptr, static_cast<size_t>(NewCapacity));
  if (!p) throw EOutOfMemory(u"Out of memory while expanding memory stream");
  FHeapBlock = true;
  return p;
}

void TMemoryStream::SetCapacity(Int64 NewCapacity) {
  void* p = Realloc(NewCapacity);
  FMemory = p;
  FCapacity = NewCapacity;
}

void TMemoryStream::SetSize(Int64 NewSize) {
  if (NewSize < 0) throw EStreamError(u"Stream size error");
  Int64 old = FSize;
  SetCapacity(NewSize);
  FSize = NewSize;
  // Bytes that come into being are zero, not whatever the heap held.
  if (NewSize > old) std::memset(static_cast<Byte*>(FMemory) + old, 0, static_cast<size_t>(NewSize - old));
  if (FPosition > NewSize) FPosition = NewSize;
}

Integer TMemoryStream::Write(const void* Buffer, Integer Count) {
  if (FPosition < 0 || Count <= 0) return 0;
  Int64 pos = FPosition + Count;
  if (pos > FSize) {
    Int64 old = FSize;
    if (pos > FCapacity) SetCapacity(pos);
    if (FPosition > old) std::memset(static_cast<Byte*>(FMemory) + old, 0, static_cast<size_t>(FPosition - old));
    FSize = pos;
  }
  std::memcpy(static_cast<Byte*>(FMemory) + FPosition, Buffer, static_cast<size_t>(Count));
  FPosition = pos;
  return Count;
}

void TMemoryStream::Clear() {
  SetCapacity(0);
  FSize = 0;
  FPosition = 0;
}

void TMemoryStream::LoadFromStream(TStream* Stream) {
  GuardOutOfMemory([&] {
    Stream->SetPosition(0);
    Int64 count = Stream->Size();
    // Read into a fresh stream first so a failing source leaves us unchanged.
    if (count < 0) throw EReadError(u"Stream read error");
    TMemoryStream tmp;
    tmp.SetSize(count);
    if (count) {
      Byte* p = static_cast<Byte*>(tmp.Memory());
      for (Int64 left = count; left > 0;) {
        Integer n = static_cast<Integer>(std::min<Int64>(left, 1 << 30));
        Stream->ReadBuffer(p, n);
        p += n;
        left -= n;
      }
    }
    SetSize(count);
    if (count) std::memcpy(FMemory, tmp.Memory(), static_cast<size_t>(count));
    FPosition = 0;
  });
}

void TMemoryStream::LoadFromFile(const String& FileName) {
  TFileStream f(FileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(&f);
}

TBytesStream::TBytesStream(const TBytes& ABytes) : FBytes(ABytes) {
  SetPointer(FBytes.empty() ? nullptr : FBytes.data(), static_cast<Int64>(FBytes.size()));
  // The array is the storage; its length is the capacity.
  Int64 cap = static_cast<Int64>(FBytes.size());
  if (cap) SetCapacity(cap);
}

TBytesStream::~TBytesStream() { FMemory = nullptr; }

void* TBytesStream::Realloc(Int64& NewCapacity) {
  if (NewCapacity > 0 && NewCapacity != FSize) NewCapacity = (NewCapacity + 0x1FFF) & ~Int64(0x1FFF);
  if (static_cast<UInt64>(NewCapacity) > SIZE_MAX / 2) throw EOutOfMemory(u"Out of memory while expanding memory stream");
  FBytes.resize(static_cast<size_t>(NewCapacity));
  return FBytes.empty() ? nullptr : FBytes.data();
}

TBytes TBytesStream::Bytes() const {
  return TBytes(FBytes.begin(), FBytes.begin() + static_cast<ptrdiff_t>(FSize));
}

TStringStream::TStringStream(const String& AString, TTextEncoding AEncoding)
    : TBytesStream(EncodeText(AString, AEncoding, false)), FEncoding(AEncoding) {}

TStringStream::TStringStream(const TBytes& ABytes, TTextEncoding AEncoding)
    : TBytesStream(ABytes), FEncoding(AEncoding) {}

String TStringStream::DataString() const {
  TTextEncoding e = FEncoding;
  return DecodeBytes(static_cast<const Byte*>(FMemory), static_cast<size_t>(FSize), e);
}

String TStringStream::ReadString(Integer Count) {
  Int64 avail = std::max<Int64>(FSize - FPosition, 0);
  Int64 n = Count < 0 ? avail : std::min<Int64>(Count, avail);
  if (n <= 0 || FPosition < 0) return String();
  TTextEncoding e = FEncoding == TTextEncoding::Default ? TTextEncoding::UTF8 : FEncoding;
  String s = DecodeBytes(static_cast<const Byte*>(FMemory) + FPosition, static_cast<size_t>(n), e);
  FPosition += n;
  return s;
}

void TStringStream::WriteString(const String& AString) {
  TBytes b = EncodeText(AString, FEncoding, false);
  if (!b.empty()) WriteBuffer(b.data(), static_cast<Integer>(b.size()));
}

// ---------------------------------------------------------------------------
// Resources

namespace {
struct TResourceEntry {
  const void* Data;
  size_t Size;
};
struct TResourceTable {
  std::mutex Lock;
  std::map<String, TResourceEntry> Entries;
};
TResourceTable& Resources() {
  static TResourceTable table;
  return table;
}
String ResourceKey(const String& Name, const String& Type) { return UpperKey(Type) + u'\0' + UpperKey(Name); }
}  // namespace

void RegisterResource(const String& Name, const String& Type, const void* Data, size_t Size) {
  auto& t = Resources();
  std::lock_guard g(t.Lock);
  t.Entries[ResourceKey(Name, Type)] = {Data, Size};
}

void UnregisterResource(const String& Name, const String& Type) {
  auto& t = Resources();
  std::lock_guard g(t.Lock);
  t.Entries.erase(ResourceKey(Name, Type));
}

bool FindResourceData(const String& Name, const String& Type, const void*& Data, size_t& Size) {
  auto& t = Resources();
  std::lock_guard g(t.Lock);
  auto it = t.Entries.find(ResourceKey(Name, Type));
  if (it == t.Entries.end()) return false;
  Data = it->second.Data;
  Size = it->second.Size;
  return true;
}

TResourceStream::TResourceStream(NativeUInt, const String& ResName, const String& ResType) {
  const void* data = nullptr;
  size_t size = 0;
  if (!FindResourceData(ResName, ResType, data, size)) throw EResNotFound(u"Resource " + ResName + u" not found");
  SetPointer(const_cast<void*>(data), static_cast<Int64>(size));
}

TResourceStream* TResourceStream::CreateFromID(NativeUInt Instance, Integer ResID, const String& ResType) {
  return new TResourceStream(Instance, u"#" + FromUtf8(std::to_string(ResID)), ResType);
}

Integer TResourceStream::Write(const void*, Integer) {
  throw EStreamError(u"Can't write to a read-only resource stream");
}

}  // namespace vcl
