// COM streams: the IStream interface that image decoders and data objects
// take, and TStreamAdapter, which shows a TStream through it. Only the
// members the library calls exist: Read, Write, Seek, SetSize and Stat.
#pragma once

#include "platform/classes/Streams.h"

namespace vcl {

using ULONG = Cardinal;
using LARGE_INTEGER = Int64;
using ULARGE_INTEGER = UInt64;

constexpr DWORD STREAM_SEEK_SET = 0, STREAM_SEEK_CUR = 1, STREAM_SEEK_END = 2;
constexpr DWORD STGTY_STREAM = 2;
constexpr DWORD STATFLAG_DEFAULT = 0, STATFLAG_NONAME = 1;
constexpr DWORD STGM_READWRITE = 2;

constexpr HRESULT STG_E_INVALIDFUNCTION = static_cast<HRESULT>(0x80030001u);
constexpr HRESULT STG_E_INVALIDPOINTER = static_cast<HRESULT>(0x80030009u);
constexpr HRESULT STG_E_MEDIUMFULL = static_cast<HRESULT>(0x80030070u);
constexpr HRESULT STG_E_READFAULT = static_cast<HRESULT>(0x8003001Eu);
constexpr HRESULT STG_E_WRITEFAULT = static_cast<HRESULT>(0x8003001Du);

// What Stat reports. The name is never filled in: adapters have none.
struct STATSTG {
  const char16_t* pwcsName = nullptr;
  DWORD type = STGTY_STREAM;
  ULARGE_INTEGER cbSize = 0;
  DWORD grfMode = 0;
  DWORD grfLocksSupported = 0;
  TGUID clsid;
  DWORD grfStateBits = 0;
};

struct ISequentialStream : virtual IInterface {
  static constexpr TGUID IID = MakeGUID("{0C733A30-2A1C-11CE-ADE5-00AA0044773D}");
  // Reads up to cb bytes; S_FALSE when fewer than cb were available.
  virtual HRESULT Read(void* pv, ULONG cb, ULONG* pcbRead) = 0;
  virtual HRESULT Write(const void* pv, ULONG cb, ULONG* pcbWritten) = 0;
};

struct IStream : virtual ISequentialStream {
  static constexpr TGUID IID = MakeGUID("{0000000C-0000-0000-C000-000000000046}");
  virtual HRESULT Seek(LARGE_INTEGER dlibMove, DWORD dwOrigin, ULARGE_INTEGER* plibNewPosition) = 0;
  virtual HRESULT SetSize(ULARGE_INTEGER libNewSize) = 0;
  virtual HRESULT Stat(STATSTG* pstatstg, DWORD grfStatFlag) = 0;
};

enum class TStreamOwnership { soReference, soOwned };
inline constexpr TStreamOwnership soReference = TStreamOwnership::soReference;
inline constexpr TStreamOwnership soOwned = TStreamOwnership::soOwned;

// A reference-counted IStream over a TStream. With soOwned the adapter frees
// the stream when its last reference goes; with soReference the caller keeps
// the stream alive at least as long as the adapter.
class TStreamAdapter : public TInterfacedObject, public virtual IStream {
  QN_CLASS(TStreamAdapter, TInterfacedObject)
  QN_INTERFACES(IStream, ISequentialStream)
 public:
  explicit TStreamAdapter(TStream* Stream, TStreamOwnership Ownership = soReference);
  ~TStreamAdapter() override;

  HRESULT Read(void* pv, ULONG cb, ULONG* pcbRead) override;
  HRESULT Write(const void* pv, ULONG cb, ULONG* pcbWritten) override;
  HRESULT Seek(LARGE_INTEGER dlibMove, DWORD dwOrigin, ULARGE_INTEGER* plibNewPosition) override;
  HRESULT SetSize(ULARGE_INTEGER libNewSize) override;
  HRESULT Stat(STATSTG* pstatstg, DWORD grfStatFlag) override;

  TStream* Stream() const { return FStream; }
  TStreamOwnership StreamOwnership() const { return FOwnership; }
  void SetStreamOwnership(TStreamOwnership Value) { FOwnership = Value; }

 private:
  TStream* FStream;
  TStreamOwnership FOwnership;
};

}  // namespace vcl
