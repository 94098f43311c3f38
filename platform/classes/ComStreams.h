// COM streams: the IStream interface that image decoders and data objects
// take, and TStreamAdapter, which shows a TStream through it.
#pragma once
#include "platform/rtl/MacroShield.h"

#include "platform/classes/Streams.h"

namespace vcl {

using ULONG = Cardinal;
using LARGE_INTEGER = Int64;
using ULARGE_INTEGER = UInt64;

constexpr DWORD STREAM_SEEK_SET = 0, STREAM_SEEK_CUR = 1, STREAM_SEEK_END = 2;
constexpr DWORD STGTY_STREAM = 2;
constexpr DWORD STATFLAG_DEFAULT = 0, STATFLAG_NONAME = 1;
constexpr DWORD STGM_READWRITE = 2;
constexpr DWORD STGC_DEFAULT = 0, STGC_OVERWRITE = 1, STGC_ONLYIFCURRENT = 2;
constexpr DWORD LOCK_WRITE = 1, LOCK_EXCLUSIVE = 2, LOCK_ONLYONCE = 4;

constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000Eu);

constexpr HRESULT STG_E_INVALIDFUNCTION = static_cast<HRESULT>(0x80030001u);
constexpr HRESULT STG_E_INVALIDPOINTER = static_cast<HRESULT>(0x80030009u);
constexpr HRESULT STG_E_MEDIUMFULL = static_cast<HRESULT>(0x80030070u);
constexpr HRESULT STG_E_READFAULT = static_cast<HRESULT>(0x8003001Eu);
constexpr HRESULT STG_E_WRITEFAULT = static_cast<HRESULT>(0x8003001Du);
constexpr HRESULT STG_E_REVERTED = static_cast<HRESULT>(0x80030102u);

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
  // Reads up to cb bytes from here and writes them to pstm; both counts
  // may be nil.
  virtual HRESULT CopyTo(IStream* pstm, ULARGE_INTEGER cb, ULARGE_INTEGER* pcbRead,
                         ULARGE_INTEGER* pcbWritten) = 0;
  virtual HRESULT Commit(DWORD grfCommitFlags) = 0;
  virtual HRESULT Revert() = 0;
  virtual HRESULT LockRegion(ULARGE_INTEGER libOffset, ULARGE_INTEGER cb, DWORD dwLockType) = 0;
  virtual HRESULT UnlockRegion(ULARGE_INTEGER libOffset, ULARGE_INTEGER cb, DWORD dwLockType) = 0;
  virtual HRESULT Stat(STATSTG* pstatstg, DWORD grfStatFlag) = 0;
  // A second stream on the same content with a position of its own.
  virtual HRESULT Clone(IStream** ppstm) = 0;
};

// CopyTo done with Read and Write, for any stream. A source or target that
// reports more bytes than it was asked to move is not believed: the copy
// fails with STG_E_READFAULT or STG_E_WRITEFAULT.
HRESULT StreamCopyTo(IStream* from, IStream* to, ULARGE_INTEGER cb, ULARGE_INTEGER* pcbRead,
                     ULARGE_INTEGER* pcbWritten);

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
  HRESULT CopyTo(IStream* pstm, ULARGE_INTEGER cb, ULARGE_INTEGER* pcbRead, ULARGE_INTEGER* pcbWritten) override;
  // Nothing is buffered: Commit has nothing to do and Revert nothing to undo.
  HRESULT Commit(DWORD grfCommitFlags) override;
  HRESULT Revert() override;
  // STG_E_INVALIDFUNCTION: a TStream has no regions to lock.
  HRESULT LockRegion(ULARGE_INTEGER libOffset, ULARGE_INTEGER cb, DWORD dwLockType) override;
  HRESULT UnlockRegion(ULARGE_INTEGER libOffset, ULARGE_INTEGER cb, DWORD dwLockType) override;
  HRESULT Stat(STATSTG* pstatstg, DWORD grfStatFlag) override;
  // E_NOTIMPL: a TStream has one position only.
  HRESULT Clone(IStream** ppstm) override;

  TStream* Stream() const { return FStream; }
  TStreamOwnership StreamOwnership() const { return FOwnership; }
  void SetStreamOwnership(TStreamOwnership Value) { FOwnership = Value; }

 private:
  TStream* FStream;
  TStreamOwnership FOwnership;
};

}  // namespace vcl

#include "platform/rtl/MacroShieldEnd.h"
