#include "xml/sdStreams_qn.h"

#include <cstdlib>
#include <cstring>
#include <limits>

namespace qn {

namespace {
constexpr Int64 kMaxSize = std::numeric_limits<Integer>::max();

[[noreturn]] void TooLarge() { throw EStreamError(u"memory stream larger than 2 GB"); }
}  // namespace

TsdFastMemStream::TsdFastMemStream(Integer InitialCapacity) {
  FCapacity = InitialCapacity < 4 ? 4 : InitialCapacity;
  FFib1 = FCapacity / 2 < 4 ? 4 : FCapacity / 2;
  FMemory = static_cast<Byte*>(std::malloc(static_cast<size_t>(FCapacity)));
  if (!FMemory) throw EOutOfMemory(u"Out of memory");
}

TsdFastMemStream::~TsdFastMemStream() { std::free(FMemory); }

void TsdFastMemStream::SetCapacity(Integer C) {
  if (C <= FCapacity) return;
  Int64 fib1 = FFib1, cap = FCapacity;
  while (cap < C) {
    Int64 next = fib1 + cap;
    fib1 = cap;
    // The last step is cut to the largest size a stream may have, so that
    // sizes near the limit still fit without wrapping.
    cap = next > kMaxSize ? kMaxSize : next;
  }
  void* p = std::realloc(FMemory, static_cast<size_t>(cap));
  if (!p) throw EOutOfMemory(u"Out of memory");
  FMemory = static_cast<Byte*>(p);
  FFib1 = static_cast<Integer>(fib1);
  FCapacity = static_cast<Integer>(cap);
}

Integer TsdFastMemStream::Read(void* Buffer, Integer Count) {
  if (FPosition < 0 || Count <= 0 || FPosition >= FSize) return 0;
  Integer n = FSize - FPosition < Count ? FSize - FPosition : Count;
  std::memcpy(Buffer, FMemory + FPosition, static_cast<size_t>(n));
  FPosition += n;
  return n;
}

Integer TsdFastMemStream::Write(const void* Buffer, Integer Count) {
  if (FPosition < 0 || Count <= 0) return 0;
  Int64 end = Int64(FPosition) + Count;
  if (end < 1) return 0;
  if (end > kMaxSize) TooLarge();
  if (end > FSize) {
    SetCapacity(static_cast<Integer>(end));
    if (FPosition > FSize) std::memset(FMemory + FSize, 0, static_cast<size_t>(FPosition - FSize));
    FSize = static_cast<Integer>(end);
  }
  std::memcpy(FMemory + FPosition, Buffer, static_cast<size_t>(Count));
  FPosition = static_cast<Integer>(end);
  return Count;
}

Int64 TsdFastMemStream::Seek(Int64 Offset, TSeekOrigin Origin) {
  Int64 p = Offset;
  if (Origin == soCurrent) p = Int64(FPosition) + Offset;
  else if (Origin == soEnd) p = Int64(FSize) + Offset;
  // Positions outside 31 bits cannot be read or written; pin them where
  // Read and Write refuse them.
  if (p > kMaxSize) p = kMaxSize;
  if (p < -kMaxSize - 1) p = -kMaxSize - 1;
  FPosition = static_cast<Integer>(p);
  return p;
}

void TsdFastMemStream::SetSize(Int64 NewSize) {
  if (NewSize < 0) NewSize = 0;
  if (NewSize > kMaxSize) TooLarge();
  Integer n = static_cast<Integer>(NewSize);
  SetCapacity(n);
  if (n > FSize) std::memset(FMemory + FSize, 0, static_cast<size_t>(n - FSize));
  FSize = n;
  if (FPosition > FSize) FPosition = FSize;
}

void TsdFastMemStream::Clear() {
  FSize = 0;
  FPosition = 0;
}

void TsdFastMemStream::LoadFromStream(TStream* S) {
  S->SetPosition(0);
  Int64 n = S->Size();
  if (n > kMaxSize) TooLarge();
  SetSize(n);
  FPosition = 0;
  if (n > 0) S->ReadBuffer(FMemory, static_cast<Integer>(n));
}

void TsdFastMemStream::LoadFromFile(const String& FileName) {
  TFileStream f(FileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(&f);
}

void TsdFastMemStream::SaveToStream(TStream* S) {
  if (FSize > 0) S->WriteBuffer(FMemory, FSize);
}

void TsdFastMemStream::SaveToFile(const String& FileName) {
  TFileStream f(FileName, fmCreate);
  SaveToStream(&f);
}

TsdStringStream::TsdStringStream(const UTF8String& S) : TsdFastMemStream(4096) {
  if (S.size() > static_cast<size_t>(kMaxSize)) TooLarge();
  if (!S.empty()) Write(S.data(), static_cast<Integer>(S.size()));
  FPosition = 0;
}

UTF8String TsdStringStream::DataString() const {
  return UTF8String(reinterpret_cast<const char*>(FMemory), static_cast<size_t>(FSize));
}

TsdBufferWriter::TsdBufferWriter(TStream* Source, Integer ChunkSize)
    : TsdFastMemStream(4096), FSource(Source), FChunkSize(ChunkSize < 1 ? 1 : ChunkSize) {
  FRawBuffer.reset(new Byte[static_cast<size_t>(FChunkSize)]);
}

TsdBufferWriter::~TsdBufferWriter() {
  try {
    Flush();
  } catch (...) {
    // Nothing may leave a destructor; callers who care call Flush first.
  }
}

Integer TsdBufferWriter::Read(void*, Integer) { throw Exception(u"not implemented"); }

Integer TsdBufferWriter::Write(const void* Buffer, Integer Count) {
  if (Count <= 0) return 0;
  const Byte* p = static_cast<const Byte*>(Buffer);
  Integer left = Count;
  while (left > 0) {
    Integer room = FChunkSize - FRawPosition;
    Integer n = left < room ? left : room;
    std::memcpy(FRawBuffer.get() + FRawPosition, p, static_cast<size_t>(n));
    FRawPosition += n;
    p += n;
    left -= n;
    if (FRawPosition == FChunkSize) {
      WriteChunk(FChunkSize);
      FRawPosition = 0;
    }
  }
  return Count;
}

void TsdBufferWriter::Flush() {
  Integer n = FRawPosition;
  FRawPosition = 0;
  WriteChunk(n);
}

void TsdBufferWriter::WriteChunk(Integer Count) {
  if (Count > 0) FSource->WriteBuffer(FRawBuffer.get(), Count);
}

}  // namespace qn
