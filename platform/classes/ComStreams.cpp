#include "platform/classes/ComStreams.h"

#include <algorithm>
#include <limits>

namespace vcl {

TStreamAdapter::TStreamAdapter(TStream* Stream, TStreamOwnership Ownership)
    : FStream(Stream), FOwnership(Ownership) {}

TStreamAdapter::~TStreamAdapter() {
  if (FOwnership == soOwned) delete FStream;
}

// COM callers cannot catch our exceptions: every failure of the stream
// becomes a failing HRESULT instead.
HRESULT TStreamAdapter::Read(void* pv, ULONG cb, ULONG* pcbRead) {
  if (pcbRead) *pcbRead = 0;
  if (!pv) return STG_E_INVALIDPOINTER;
  ULONG total = 0;
  try {
    // TStream moves at most an Integer's worth per call.
    while (total < cb) {
      const Integer chunk = static_cast<Integer>(std::min<ULONG>(cb - total, 0x40000000u));
      const Integer n = FStream->Read(static_cast<Byte*>(pv) + total, chunk);
      if (n <= 0) break;
      total += static_cast<ULONG>(n);
    }
  } catch (const Exception&) {
    if (pcbRead) *pcbRead = total;
    return STG_E_READFAULT;
  }
  if (pcbRead) *pcbRead = total;
  return total == cb ? S_OK : S_FALSE;
}

HRESULT TStreamAdapter::Write(const void* pv, ULONG cb, ULONG* pcbWritten) {
  if (pcbWritten) *pcbWritten = 0;
  if (!pv) return STG_E_INVALIDPOINTER;
  ULONG total = 0;
  try {
    while (total < cb) {
      const Integer chunk = static_cast<Integer>(std::min<ULONG>(cb - total, 0x40000000u));
      const Integer n = FStream->Write(static_cast<const Byte*>(pv) + total, chunk);
      if (n <= 0) break;
      total += static_cast<ULONG>(n);
    }
  } catch (const Exception&) {
    if (pcbWritten) *pcbWritten = total;
    return STG_E_WRITEFAULT;
  }
  if (pcbWritten) *pcbWritten = total;
  return total == cb ? S_OK : STG_E_MEDIUMFULL;
}

HRESULT TStreamAdapter::Seek(LARGE_INTEGER dlibMove, DWORD dwOrigin, ULARGE_INTEGER* plibNewPosition) {
  TSeekOrigin origin;
  switch (dwOrigin) {
    case STREAM_SEEK_SET: origin = soBeginning; break;
    case STREAM_SEEK_CUR: origin = soCurrent; break;
    case STREAM_SEEK_END: origin = soEnd; break;
    default: return STG_E_INVALIDFUNCTION;
  }
  try {
    const Int64 pos = FStream->Seek(dlibMove, origin);
    if (pos < 0) return STG_E_INVALIDFUNCTION;
    if (plibNewPosition) *plibNewPosition = static_cast<ULARGE_INTEGER>(pos);
  } catch (const Exception&) {
    return STG_E_INVALIDFUNCTION;
  }
  return S_OK;
}

HRESULT TStreamAdapter::SetSize(ULARGE_INTEGER libNewSize) {
  if (libNewSize > static_cast<ULARGE_INTEGER>(std::numeric_limits<Int64>::max())) return STG_E_INVALIDFUNCTION;
  try {
    FStream->SetSize(static_cast<Int64>(libNewSize));
    if (FStream->Size() != static_cast<Int64>(libNewSize)) return E_FAIL;
  } catch (const Exception&) {
    return E_FAIL;
  }
  return S_OK;
}

HRESULT TStreamAdapter::Stat(STATSTG* pstatstg, DWORD grfStatFlag) {
  if (!pstatstg) return STG_E_INVALIDPOINTER;
  *pstatstg = STATSTG{};
  pstatstg->type = STGTY_STREAM;
  pstatstg->grfMode = STGM_READWRITE;
  try {
    pstatstg->cbSize = static_cast<ULARGE_INTEGER>(std::max<Int64>(FStream->Size(), 0));
  } catch (const Exception&) {
    return E_FAIL;
  }
  return S_OK;
}

HRESULT TStreamAdapter::CopyTo(IStream* pstm, ULARGE_INTEGER cb, ULARGE_INTEGER* pcbRead,
                               ULARGE_INTEGER* pcbWritten) {
  return StreamCopyTo(this, pstm, cb, pcbRead, pcbWritten);
}

HRESULT TStreamAdapter::Commit(DWORD) { return S_OK; }
HRESULT TStreamAdapter::Revert() { return STG_E_REVERTED; }
HRESULT TStreamAdapter::LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) { return STG_E_INVALIDFUNCTION; }
HRESULT TStreamAdapter::UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) { return STG_E_INVALIDFUNCTION; }

HRESULT TStreamAdapter::Clone(IStream** ppstm) {
  if (ppstm) *ppstm = nullptr;
  return E_NOTIMPL;
}

HRESULT StreamCopyTo(IStream* from, IStream* to, ULARGE_INTEGER cb, ULARGE_INTEGER* pcbRead,
                     ULARGE_INTEGER* pcbWritten) {
  if (pcbRead) *pcbRead = 0;
  if (pcbWritten) *pcbWritten = 0;
  if (!from || !to) return STG_E_INVALIDPOINTER;
  Byte buffer[16384];
  ULARGE_INTEGER read = 0, written = 0;
  HRESULT result = S_OK;
  while (read < cb) {
    const ULONG want = static_cast<ULONG>(std::min<ULARGE_INTEGER>(cb - read, sizeof buffer));
    ULONG got = 0;
    HRESULT hr = from->Read(buffer, want, &got);
    if (Failed(hr)) {
      result = hr;
      break;
    }
    if (got > want) {
      result = STG_E_READFAULT;
      break;
    }
    if (got == 0) break;
    read += got;
    ULONG put = 0;
    hr = to->Write(buffer, got, &put);
    if (put > got) {
      result = STG_E_WRITEFAULT;
      break;
    }
    written += put;
    if (Failed(hr) || put < got) {
      result = Failed(hr) ? hr : STG_E_MEDIUMFULL;
      break;
    }
  }
  if (pcbRead) *pcbRead = read;
  if (pcbWritten) *pcbWritten = written;
  return result;
}

}  // namespace vcl
