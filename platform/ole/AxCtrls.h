// TOleStream: an IStream read and written as a TStream, beside
// TStreamAdapter, which goes the other way. Failures of the stream raise
// EOleSysError with its code; a stream that claims to have moved more bytes
// than asked is not believed (STG_E_READFAULT / STG_E_WRITEFAULT).
#pragma once
#include "platform/rtl/MacroShield.h"

#include "platform/ole/ActiveX.h"

namespace vcl {

QN_EXCEPTION(EOleError, Exception)

class EOleSysError : public EOleError {
  QN_CLASS(EOleSysError, EOleError)
 public:
  using EOleError::EOleError;
  // "OLE error XXXXXXXX" with the code in hexadecimal.
  explicit EOleSysError(HRESULT code);
  HRESULT ErrorCode = 0;
};

// Raises EOleSysError for a failing code; answers the code otherwise.
HRESULT OleCheck(HRESULT code);

class TOleStream : public TStream {
  QN_CLASS(TOleStream, TStream)
 public:
  // Holds a reference to the stream.
  explicit TOleStream(IStream* Stream);
  using TStream::Read;
  using TStream::Write;
  Integer Read(void* Buffer, Integer Count) override;
  Integer Write(const void* Buffer, Integer Count) override;
  Int64 Seek(Int64 Offset, TSeekOrigin Origin) override;
  void SetSize(Int64 NewSize) override;

 protected:
  IStream* GetIStream() const { return FStream.get(); }

 private:
  TIntf<IStream> FStream;
};

}  // namespace vcl

#include "platform/rtl/MacroShieldEnd.h"
