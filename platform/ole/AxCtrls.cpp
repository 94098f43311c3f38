#include "platform/ole/AxCtrls.h"

#include "platform/rtl/SysUtils.h"

namespace vcl {

EOleSysError::EOleSysError(HRESULT code)
    : EOleError(Format(u"OLE error %.8X", {Cardinal(code)})), ErrorCode(code) {}

HRESULT OleCheck(HRESULT code) {
  if (Failed(code)) throw EOleSysError(code);
  return code;
}

TOleStream::TOleStream(IStream* Stream) : FStream(Stream) {
  if (!Stream) throw EOleSysError(E_POINTER);
}

Integer TOleStream::Read(void* Buffer, Integer Count) {
  if (Count <= 0) return 0;
  ULONG n = 0;
  OleCheck(FStream->Read(Buffer, ULONG(Count), &n));
  if (n > ULONG(Count)) throw EOleSysError(STG_E_READFAULT);
  return Integer(n);
}

Integer TOleStream::Write(const void* Buffer, Integer Count) {
  if (Count <= 0) return 0;
  ULONG n = 0;
  OleCheck(FStream->Write(Buffer, ULONG(Count), &n));
  if (n > ULONG(Count)) throw EOleSysError(STG_E_WRITEFAULT);
  return Integer(n);
}

Int64 TOleStream::Seek(Int64 Offset, TSeekOrigin Origin) {
  DWORD origin = Origin == soBeginning ? STREAM_SEEK_SET : Origin == soCurrent ? STREAM_SEEK_CUR : STREAM_SEEK_END;
  ULARGE_INTEGER pos = 0;
  OleCheck(FStream->Seek(Offset, origin, &pos));
  if (pos > ULARGE_INTEGER(INT64_MAX)) throw EOleSysError(STG_E_INVALIDFUNCTION);
  return Int64(pos);
}

void TOleStream::SetSize(Int64 NewSize) {
  if (NewSize < 0) throw EOleSysError(STG_E_INVALIDFUNCTION);
  OleCheck(FStream->SetSize(ULARGE_INTEGER(NewSize)));
}

}  // namespace vcl
