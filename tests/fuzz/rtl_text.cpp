// The run-time library's readers of outside text: number, date, GUID and set
// parsers, and the format strings of Format, FormatFloat and FormatDateTime
// (which forms and settings files may carry). Each either succeeds with a
// value that survives a round trip or raises EConvertError; nothing else.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/rtl/SysUtils.h"
#include "platform/rtl/TypInfo.h"

using namespace vcl;

namespace {
void Check(bool ok) {
  if (!ok) std::abort();
}

template <class F>
void ExpectConvertErrorOnly(F&& f) {
  try {
    f();
  } catch (const EConvertError&) {
  }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const uint8_t mode = data[0];
  const String s = FromUtf8(std::string(reinterpret_cast<const char*>(data + 1), size - 1));
  switch (mode % 8) {
    case 0: {
      Integer v;
      if (TryStrToInt(s, v)) Check(StrToInt(IntToStr(v)) == v);
      Int64 w;
      if (TryStrToInt64(s, w)) Check(StrToInt64(IntToStr(w)) == w);
      break;
    }
    case 1: {
      Extended v;
      if (TryStrToFloat(s, v) && std::isfinite(v)) {
        Extended back = StrToFloat(FloatToStr(v));
        Check(back == v || std::fabs(back - v) <= std::fabs(v) * 1e-14L);
      }
      break;
    }
    case 2: {
      TDateTime dt;
      if (TryStrToDateTime(s, dt)) Check(!DateTimeToStr(dt).empty());
      if (TryStrToDate(s, dt)) Check(StrToDate(DateToStr(dt)) == dt);
      break;
    }
    case 3: {
      TGUID g;
      if (TryStringToGUID(s, g)) Check(StringToGUID(GUIDToString(g)) == g);
      ExpectConvertErrorOnly([&] {
        UInt64 bits = StringToSet(TypeInfo<bool>(), s);
        Check(StringToSet(TypeInfo<bool>(), SetToString(TypeInfo<bool>(), bits, true)) == bits);
      });
      break;
    }
    case 4: {
      const String text = u"abc";
      ExpectConvertErrorOnly([&] { Format(s, {42, Int64(-7), 2.5, text, u"w", nullptr, 1, 3, 5}); });
      break;
    }
    case 5:
      ExpectConvertErrorOnly([&] { FormatFloat(s, -1234.5678); });
      ExpectConvertErrorOnly([&] { FormatFloat(s, 0.0); });
      break;
    case 6:
      FormatDateTime(s, 45351.5457);
      break;
    default: {
      String d = AnsiDequotedStr(s, u'\'');
      Check(d.size() <= s.size());
      Check(AnsiDequotedStr(QuotedStr(s), u'\'') == s);
      break;
    }
  }
  return 0;
}
