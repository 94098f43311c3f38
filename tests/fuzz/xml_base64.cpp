// The XML library's binary-text decoders (Base64 and hexadecimal), which
// read outside text from documents. Each either decodes, and then what was
// decoded encodes and decodes back to the same bytes, or raises EFilerError.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "xml/PlainXml_qn.h"

using namespace qn;

namespace {
void Check(bool ok) {
  if (!ok) std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const uint8_t mode = data[0];
  const std::string s(reinterpret_cast<const char*>(data + 1), size - 1);
  try {
    switch (mode % 4) {
      case 0: {
        RawByteString bytes = DecodeBase64(s);
        Check(DecodeBase64(EncodeBase64(bytes)) == bytes);
        Check(DecodeBase64(sdAddControlChars(EncodeBase64(bytes), "\r\n ", 76)) == bytes);
        break;
      }
      case 1: {
        // The buffer form with a count taken from the input.
        Integer count = size > 1 ? data[1] : 0;
        UTF8String src = s;
        std::string buf(static_cast<size_t>(count) + 1, '\0');
        DecodeBase64Buf(src, buf.data(), count);
        Check(buf[static_cast<size_t>(count)] == '\0');  // nothing past the count
        break;
      }
      case 2: {
        RawByteString bytes = DecodeBinHex(s);
        Check(bytes.size() * 2 == sdRemoveControlChars(s).size());
        break;
      }
      default: {
        Integer count = size > 1 ? data[1] % 64 : 0;
        UTF8String src = s;
        std::string buf(static_cast<size_t>(count) + 1, '\0');
        DecodeBinhexBuf(src, buf.data(), count);
        Check(buf[static_cast<size_t>(count)] == '\0');
        break;
      }
    }
  } catch (const EFilerError&) {
  }
  return 0;
}
