// Streams on global memory blocks.
#include <cstring>
#include <limits>
#include <memory>
#include <mutex>

#include "platform/ole/OleInternal.h"

namespace vcl {

namespace {

// The block the clones of one stream share. Its handle can change when a
// fixed block has to move to grow.
struct TSharedBlock {
  std::mutex Lock;
  HGLOBAL Handle = nullptr;
  bool DeleteOnRelease = false;
  ~TSharedBlock() {
    if (DeleteOnRelease && Handle) GlobalFree(Handle);
  }
};

class THGlobalStream : public TInterfacedObject, public virtual IStream {
  QN_CLASS(THGlobalStream, TInterfacedObject)
  QN_INTERFACES(IStream, ISequentialStream)
 public:
  THGlobalStream(std::shared_ptr<TSharedBlock> block, ULARGE_INTEGER position)
      : FBlock(std::move(block)), FPosition(position) {}

  HGLOBAL Handle() {
    std::lock_guard<std::mutex> lk(FBlock->Lock);
    return FBlock->Handle;
  }

  HRESULT Read(void* pv, ULONG cb, ULONG* pcbRead) override {
    if (pcbRead) *pcbRead = 0;
    if (!pv && cb) return STG_E_INVALIDPOINTER;
    std::lock_guard<std::mutex> lk(FBlock->Lock);
    // The size is asked every time: whoever else holds the block may have
    // resized it.
    const ULARGE_INTEGER size = GlobalSize(FBlock->Handle);
    ULONG n = 0;
    if (FPosition < size) n = static_cast<ULONG>(std::min<ULARGE_INTEGER>(cb, size - FPosition));
    if (n) {
      const Byte* p = static_cast<const Byte*>(GlobalLock(FBlock->Handle));
      if (!p) return STG_E_READFAULT;
      std::memcpy(pv, p + FPosition, n);
      GlobalUnlock(FBlock->Handle);
    }
    FPosition += n;
    if (pcbRead) *pcbRead = n;
    return n == cb ? S_OK : S_FALSE;
  }

  HRESULT Write(const void* pv, ULONG cb, ULONG* pcbWritten) override {
    if (pcbWritten) *pcbWritten = 0;
    if (!pv && cb) return STG_E_INVALIDPOINTER;
    if (cb == 0) return S_OK;
    std::lock_guard<std::mutex> lk(FBlock->Lock);
    const ULARGE_INTEGER end = FPosition + cb;
    if (end < FPosition || end > std::numeric_limits<size_t>::max()) return STG_E_MEDIUMFULL;
    if (end > GlobalSize(FBlock->Handle)) {
      // The gap up to the position is zeroed by the reallocation.
      HGLOBAL grown = GlobalReAlloc(FBlock->Handle, size_t(end), GMEM_MOVEABLE);
      if (!grown) return STG_E_MEDIUMFULL;
      FBlock->Handle = grown;
    }
    Byte* p = static_cast<Byte*>(GlobalLock(FBlock->Handle));
    if (!p) return STG_E_WRITEFAULT;
    std::memcpy(p + FPosition, pv, cb);
    GlobalUnlock(FBlock->Handle);
    FPosition = end;
    if (pcbWritten) *pcbWritten = cb;
    return S_OK;
  }

  HRESULT Seek(LARGE_INTEGER dlibMove, DWORD dwOrigin, ULARGE_INTEGER* plibNewPosition) override {
    std::lock_guard<std::mutex> lk(FBlock->Lock);
    Int64 base;
    switch (dwOrigin) {
      case STREAM_SEEK_SET: base = 0; break;
      case STREAM_SEEK_CUR: base = Int64(FPosition); break;
      case STREAM_SEEK_END: base = Int64(GlobalSize(FBlock->Handle)); break;
      default: return STG_E_INVALIDFUNCTION;
    }
    Int64 to;
    if (__builtin_add_overflow(base, dlibMove, &to) || to < 0) return STG_E_INVALIDFUNCTION;
    FPosition = ULARGE_INTEGER(to);
    if (plibNewPosition) *plibNewPosition = FPosition;
    return S_OK;
  }

  HRESULT SetSize(ULARGE_INTEGER libNewSize) override {
    if (libNewSize > std::numeric_limits<size_t>::max()) return STG_E_MEDIUMFULL;
    std::lock_guard<std::mutex> lk(FBlock->Lock);
    if (libNewSize == GlobalSize(FBlock->Handle)) return S_OK;
    HGLOBAL sized = GlobalReAlloc(FBlock->Handle, size_t(libNewSize), GMEM_MOVEABLE);
    if (!sized) return STG_E_MEDIUMFULL;
    FBlock->Handle = sized;
    return S_OK;
  }

  HRESULT CopyTo(IStream* pstm, ULARGE_INTEGER cb, ULARGE_INTEGER* pcbRead, ULARGE_INTEGER* pcbWritten) override {
    return StreamCopyTo(this, pstm, cb, pcbRead, pcbWritten);
  }
  // The block is the content itself: there is nothing to commit or revert.
  HRESULT Commit(DWORD) override { return S_OK; }
  HRESULT Revert() override { return S_OK; }
  HRESULT LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return STG_E_INVALIDFUNCTION; }
  HRESULT UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return STG_E_INVALIDFUNCTION; }

  HRESULT Stat(STATSTG* pstatstg, DWORD) override {
    if (!pstatstg) return STG_E_INVALIDPOINTER;
    std::lock_guard<std::mutex> lk(FBlock->Lock);
    *pstatstg = STATSTG{};
    pstatstg->type = STGTY_STREAM;
    pstatstg->grfMode = STGM_READWRITE;
    pstatstg->cbSize = GlobalSize(FBlock->Handle);
    return S_OK;
  }

  HRESULT Clone(IStream** ppstm) override {
    if (!ppstm) return STG_E_INVALIDPOINTER;
    *ppstm = nullptr;
    ULARGE_INTEGER at;
    {
      std::lock_guard<std::mutex> lk(FBlock->Lock);
      at = FPosition;
    }
    try {
      auto* clone = new THGlobalStream(FBlock, at);
      clone->_AddRef();
      *ppstm = clone;
    } catch (const std::bad_alloc&) {
      return E_OUTOFMEMORY;
    }
    return S_OK;
  }

 private:
  std::shared_ptr<TSharedBlock> FBlock;
  ULARGE_INTEGER FPosition = 0;
};

}  // namespace

HRESULT CreateStreamOnHGlobal(HGLOBAL hGlobal, BOOL fDeleteOnRelease, IStream** ppstm) {
  if (!ppstm) return E_INVALIDARG;
  *ppstm = nullptr;
  if (hGlobal && (GlobalFlags(hGlobal) & GMEM_INVALID_HANDLE)) return E_INVALIDARG;
  bool made = false;
  if (!hGlobal) {
    hGlobal = GlobalAlloc(GMEM_MOVEABLE, 0);
    if (!hGlobal) return E_OUTOFMEMORY;
    made = true;
  }
  try {
    auto block = std::make_shared<TSharedBlock>();
    block->Handle = hGlobal;
    auto* stream = new THGlobalStream(block, 0);
    block->DeleteOnRelease = fDeleteOnRelease != 0;
    stream->_AddRef();
    *ppstm = stream;
  } catch (const std::bad_alloc&) {
    if (made) GlobalFree(hGlobal);
    return E_OUTOFMEMORY;
  }
  return S_OK;
}

HRESULT GetHGlobalFromStream(IStream* pstm, HGLOBAL* phglobal) {
  if (!phglobal) return E_INVALIDARG;
  *phglobal = nullptr;
  auto* s = dynamic_cast<THGlobalStream*>(pstm);
  if (!s) return E_INVALIDARG;
  *phglobal = s->Handle();
  return S_OK;
}

}  // namespace vcl
