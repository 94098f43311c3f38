// Memory and buffered streams of the XML library: a memory stream that
// grows in Fibonacci steps, a string stream on it, and a writer that hands
// its target only whole chunks.
#pragma once
#include "platform/rtl/MacroShield.h"

#include <memory>

#include "graphics/raster/QnBase.h"
#include "platform/classes/Streams.h"

namespace qn {

class TsdFastMemStream : public TStream {
  QN_CLASS(TsdFastMemStream, TStream)
 public:
  explicit TsdFastMemStream(Integer InitialCapacity = 64);
  ~TsdFastMemStream() override;

  using TStream::Read;
  using TStream::Write;
  Integer Read(void* Buffer, Integer Count) override;
  // Writing past the end zero-fills any gap a seek left and grows the size.
  Integer Write(const void* Buffer, Integer Count) override;
  Int64 Seek(Int64 Offset, TSeekOrigin Origin) override;
  Int64 Size() override { return FSize; }
  // Raises EStreamError for sizes that do not fit 31 bits.
  void SetSize(Int64 NewSize) override;
  void Clear();
  void LoadFromStream(TStream* S);
  void LoadFromFile(const String& FileName);
  void SaveToStream(TStream* S);
  void SaveToFile(const String& FileName);

  Byte* Memory() const { return FMemory; }
  Integer Capacity() const { return FCapacity; }

 protected:
  // Grows in Fibonacci steps until at least C; never shrinks.
  void SetCapacity(Integer C);

  Byte* FMemory = nullptr;
  Integer FPosition = 0;
  Integer FFib1 = 0;
  Integer FCapacity = 0;
  Integer FSize = 0;
};

class TsdStringStream : public TsdFastMemStream {
  QN_CLASS(TsdStringStream, TsdFastMemStream)
 public:
  explicit TsdStringStream(const UTF8String& S);
  UTF8String DataString() const;
};

class TsdBufferWriter : public TsdFastMemStream {
  QN_CLASS(TsdBufferWriter, TsdFastMemStream)
 public:
  TsdBufferWriter(TStream* Source, Integer ChunkSize);
  // Writes what is still waiting; a failure here is swallowed (call Flush
  // first to see it).
  ~TsdBufferWriter() override;

  using TsdFastMemStream::Read;
  using TsdFastMemStream::Write;
  Integer Read(void* Buffer, Integer Count) override;  // raises "not implemented"
  Integer Write(const void* Buffer, Integer Count) override;
  // Hands the waiting bytes to the target now.
  void Flush();

 protected:
  void WriteChunk(Integer Count);

  TStream* FSource;
  Integer FChunkSize;
  // Left uninitialised: every byte is written before it is sent, and
  // clearing a whole chunk per save would cost more than a small save.
  std::unique_ptr<Byte[]> FRawBuffer;
  Integer FRawPosition = 0;
};

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
