// The decoder of one text that arrives in pieces, our own addition to the
// code-page converter of Kernel.h. MultiByteToWideCharEx already leaves a
// sequence cut short for the next piece, but every call starts in the
// page's initial state; a page with a shift state (the ISO-2022 family,
// UTF-7) reads the bytes after an escape differently from the bytes before
// it, so its pieces need one decoder that keeps that state from one piece
// to the next. Pieces decoded this way give what the whole text gives,
// however it is cut. Bytes that do not decode become U+FFFD, as with
// MultiByteToWideChar. One decoder serves one text on one thread at a time.
#pragma once
#include "platform/rtl/MacroShield.h"

#include <string>

#include "platform/rtl/Kernel.h"

namespace vcl {

class TMultiByteDecoder {
 public:
  explicit TMultiByteDecoder(UINT codePage);
  ~TMultiByteDecoder();
  TMultiByteDecoder(const TMultiByteDecoder&) = delete;
  TMultiByteDecoder& operator=(const TMultiByteDecoder&) = delete;
  // False for a page the converter does not know; Decode then does nothing.
  bool Valid() const { return FValid; }
  UINT CodePage() const { return FCodePage; }
  // Appends the UTF-16 of src[0, srcCount) to dst and returns the bytes
  // used. Unless final, a sequence cut short by the end (an escape sequence
  // too) is left unused for the caller to put in front of the next piece;
  // final ends the text: the rest is decoded as it is and the state goes
  // back to the initial one.
  int Decode(const char* src, int srcCount, std::u16string& dst, bool final);
  // Back to the initial state, as for a new text.
  void Reset();

 private:
  UINT FCodePage;
  bool FValid = false;
  bool FTable = false;  // a single-byte page: no state at all
  void* FHandle = nullptr;
};

}  // namespace vcl

#include "platform/rtl/MacroShieldEnd.h"
