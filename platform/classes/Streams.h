// Streams: the abstract TStream with its checked buffer transfers, streams
// over file handles and files, memory streams (raw, byte array, string) and
// read-only streams over the resources compiled into the library.
#pragma once
#include "platform/rtl/MacroShield.h"

#include <bit>
#include <cstring>
#include <type_traits>

#include "platform/rtl/System.h"

namespace vcl {

class TComponent;

// A host file descriptor; the platform's handle type.
using THandle = NativeUInt;
inline constexpr THandle INVALID_HANDLE_VALUE = static_cast<THandle>(-1);

enum class TSeekOrigin { soBeginning, soCurrent, soEnd };
inline constexpr TSeekOrigin soBeginning = TSeekOrigin::soBeginning;
inline constexpr TSeekOrigin soCurrent = TSeekOrigin::soCurrent;
inline constexpr TSeekOrigin soEnd = TSeekOrigin::soEnd;

// File open modes: one access mode, optionally or-ed with a share mode. The
// host has no share locks; share modes are accepted and ignored.
inline constexpr Word fmOpenRead = 0x0000;
inline constexpr Word fmOpenWrite = 0x0001;
inline constexpr Word fmOpenReadWrite = 0x0002;
inline constexpr Word fmShareCompat = 0x0000;
inline constexpr Word fmShareExclusive = 0x0010;
inline constexpr Word fmShareDenyWrite = 0x0020;
inline constexpr Word fmShareDenyRead = 0x0030;
inline constexpr Word fmShareDenyNone = 0x0040;
// Creates the file, or empties an existing one, open for reading and writing.
inline constexpr Word fmCreate = 0xFF00;

// Text encodings for string lists and string streams. Default reads by byte
// order mark (UTF-8 or UTF-16) and otherwise as UTF-8, and writes UTF-8.
enum class TTextEncoding { Default, UTF8, Unicode, BigEndianUnicode, ASCII };

// Encodes text, with the encoding's byte order mark in front when WithBOM.
TBytes EncodeText(const String& Text, TTextEncoding Encoding, bool WithBOM);
// Decodes bytes. With Default the byte order mark decides (and is skipped)
// and Encoding is set to what was found; with an explicit encoding a
// matching byte order mark is skipped too.
String DecodeBytes(const Byte* Data, size_t Size, TTextEncoding& Encoding);

static_assert(std::endian::native == std::endian::little,
              "streams store values in host order, which must be the platform's");

class TStream : public TObject {
  QN_CLASS(TStream, TObject)
 public:
  // Moves up to Count bytes; returns how many moved (0 at the end or on error).
  virtual Integer Read(void* Buffer, Integer Count) = 0;
  virtual Integer Write(const void* Buffer, Integer Count) = 0;
  virtual Int64 Seek(Int64 Offset, TSeekOrigin Origin) = 0;

  Integer Read(TBytes& Buffer, Integer Offset, Integer Count);
  Integer Write(const TBytes& Buffer, Integer Offset, Integer Count);
  // Transfer exactly Count bytes or raise EReadError "Stream read error" /
  // EWriteError "Stream write error".
  void ReadBuffer(void* Buffer, Integer Count);
  void WriteBuffer(const void* Buffer, Integer Count);
  void ReadBuffer(TBytes& Buffer, Integer Count) { ReadBuffer(Buffer, 0, Count); }
  void ReadBuffer(TBytes& Buffer, Integer Offset, Integer Count);
  void WriteBuffer(const TBytes& Buffer, Integer Count) { WriteBuffer(Buffer, 0, Count); }
  void WriteBuffer(const TBytes& Buffer, Integer Offset, Integer Count);

  // Little-endian values, as the platform lays them out in memory.
  template <class T>
  Integer ReadData(T& Value) {
    static_assert(std::is_trivially_copyable_v<T>);
    return Read(&Value, static_cast<Integer>(sizeof(T)));
  }
  template <class T>
  Integer WriteData(const T& Value) {
    static_assert(std::is_trivially_copyable_v<T>);
    return Write(&Value, static_cast<Integer>(sizeof(T)));
  }
  template <class T>
  void ReadBufferData(T& Value) {
    static_assert(std::is_trivially_copyable_v<T>);
    ReadBuffer(&Value, static_cast<Integer>(sizeof(T)));
  }
  template <class T>
  void WriteBufferData(const T& Value) {
    static_assert(std::is_trivially_copyable_v<T>);
    WriteBuffer(&Value, static_cast<Integer>(sizeof(T)));
  }
  template <class T>
  T ReadValue() {
    T v{};
    ReadBufferData(v);
    return v;
  }

  Int64 Position() { return Seek(0, soCurrent); }
  void SetPosition(Int64 Pos) { Seek(Pos, soBeginning); }
  virtual Int64 Size();
  // Streams that cannot change size ignore this.
  virtual void SetSize(Int64 NewSize);

  // Copies Count bytes from Source's position; Count 0 copies all of Source
  // from its start. Returns the bytes copied.
  Int64 CopyFrom(TStream* Source, Int64 Count);

  // Component streaming; defined by the form-file streaming unit.
  TComponent* ReadComponent(TComponent* Instance);
  void WriteComponent(TComponent* Instance);
  void WriteDescendent(TComponent* Instance, TComponent* Ancestor);
};

// A stream over a host file descriptor it does not own.
class THandleStream : public TStream {
  QN_CLASS(THandleStream, TStream)
 public:
  explicit THandleStream(THandle AHandle) : FHandle(AHandle) {}
  using TStream::Read;
  using TStream::Write;
  Integer Read(void* Buffer, Integer Count) override;
  Integer Write(const void* Buffer, Integer Count) override;
  Int64 Seek(Int64 Offset, TSeekOrigin Origin) override;
  // Raises EStreamError when the file cannot take the size.
  void SetSize(Int64 NewSize) override;
  THandle Handle() const { return FHandle; }

 protected:
  THandle FHandle;
};

// A stream over a file it opens and closes. Failures raise EFOpenError
// "Cannot open file \"%s\". %s" or EFCreateError "Cannot create file \"%s\". %s"
// with the host's reason. "\" in file names is a path separator.
class TFileStream : public THandleStream {
  QN_CLASS(TFileStream, THandleStream)
 public:
  TFileStream(const String& AFileName, Word Mode);
  // Rights are the permission bits of a created file (0666 & umask when 0).
  TFileStream(const String& AFileName, Word Mode, Cardinal Rights);
  ~TFileStream() override;
  const String& FileName() const { return FFileName; }

 private:
  String FFileName;
};

// A stream over one block of memory.
class TCustomMemoryStream : public TStream {
  QN_CLASS(TCustomMemoryStream, TStream)
 public:
  using TStream::Read;
  using TStream::Write;
  Integer Read(void* Buffer, Integer Count) override;
  Int64 Seek(Int64 Offset, TSeekOrigin Origin) override;
  Int64 Size() override { return FSize; }
  void SaveToStream(TStream* Stream);
  void SaveToFile(const String& FileName);
  void* Memory() const { return FMemory; }

 protected:
  void SetPointer(void* Ptr, Int64 Size);

  void* FMemory = nullptr;
  Int64 FSize = 0;
  Int64 FPosition = 0;
};

// A growable memory stream.
class TMemoryStream : public TCustomMemoryStream {
  QN_CLASS(TMemoryStream, TCustomMemoryStream)
 public:
  TMemoryStream() = default;
  ~TMemoryStream() override;
  using TStream::Write;
  Integer Write(const void* Buffer, Integer Count) override;
  void SetSize(Int64 NewSize) override;
  void Clear();
  // Replaces the content with the whole of Stream (from its start) or a file.
  void LoadFromStream(TStream* Stream);
  void LoadFromFile(const String& FileName);
  Int64 Capacity() const { return FCapacity; }
  void SetCapacity(Int64 NewCapacity);

 protected:
  // Returns a block of NewCapacity bytes holding the old content (nil for
  // 0); raises EOutOfMemory when it cannot.
  virtual void* Realloc(Int64& NewCapacity);

 private:
  Int64 FCapacity = 0;
  bool FHeapBlock = false;  // FMemory came from the default Realloc
};

// A memory stream whose storage is a byte array.
class TBytesStream : public TMemoryStream {
  QN_CLASS(TBytesStream, TMemoryStream)
 public:
  TBytesStream() = default;
  explicit TBytesStream(const TBytes& ABytes);
  ~TBytesStream() override;
  // The content: exactly Size bytes (not the spare capacity).
  TBytes Bytes() const;

 protected:
  void* Realloc(Int64& NewCapacity) override;

 private:
  TBytes FBytes;
};

// A memory stream of encoded text (UTF-8 unless told otherwise).
class TStringStream : public TBytesStream {
  QN_CLASS(TStringStream, TBytesStream)
 public:
  TStringStream() = default;
  explicit TStringStream(const String& AString, TTextEncoding AEncoding = TTextEncoding::UTF8);
  explicit TStringStream(const TBytes& ABytes, TTextEncoding AEncoding = TTextEncoding::UTF8);
  // The whole content decoded.
  String DataString() const;
  // Reads Count bytes (everything left when negative) and decodes them.
  String ReadString(Integer Count);
  void WriteString(const String& AString);
  TTextEncoding Encoding() const { return FEncoding; }

 private:
  TTextEncoding FEncoding = TTextEncoding::UTF8;
};

// Resources compiled into the library: units register named blocks of bytes
// during their initialisation. Names and types compare without regard to
// ASCII case; numeric ids are written "#<n>" (RT_RCDATA is u"#10").
// Data is not copied: it must outlive its registration (static arrays do).
void RegisterResource(const String& Name, const String& Type, const void* Data, size_t Size);
void UnregisterResource(const String& Name, const String& Type);
// False when no such resource is registered.
bool FindResourceData(const String& Name, const String& Type, const void*& Data, size_t& Size);

// A read-only stream over a registered resource; EResNotFound
// "Resource %s not found" when there is none.
class TResourceStream : public TCustomMemoryStream {
  QN_CLASS(TResourceStream, TCustomMemoryStream)
 public:
  // Instance is accepted for the platform's signature; there is one table.
  TResourceStream(NativeUInt Instance, const String& ResName, const String& ResType);
  static TResourceStream* CreateFromID(NativeUInt Instance, Integer ResID, const String& ResType);
  using TStream::Write;
  // Raises EStreamError "Can't write to a read-only resource stream".
  Integer Write(const void* Buffer, Integer Count) override;
};

}  // namespace vcl

#include "platform/rtl/MacroShieldEnd.h"
