// The XML library's readers of value text: references, UTF-8 and code-page
// decoding, numbers, booleans and dates. Conversions either succeed with a
// value that survives a round trip or raise EConvertError; decoders never
// raise at all.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "xml/PlainXml_qn.h"

using namespace qn;

namespace {
void Check(bool ok) {
  if (!ok) std::abort();
}
const Integer kPages[] = {1252, 932, 936, 950, 54936, 949, 51932, 50220, 20127, 37, 65001, 1258, 57002};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool init = (InitPlainXml(), true);
  (void)init;
  if (size == 0) return 0;
  const uint8_t mode = data[0];
  const std::string s(reinterpret_cast<const char*>(data + 1), size - 1);
  try {
    switch (mode % 7) {
      case 0: {
        bool nonStd = false;
        TsdEntityMap ents{{"e", "<x/>"}, {"amp2", "&amp;"}};
        UTF8String r = sdReplaceString(s, nonStd, ents);
        Check(sdReplaceString(sdEscapeString(s)) == s);
        (void)r;
        break;
      }
      case 1: {
        String w = sdUtf8ToWide(s);
        UTF8String back = sdWideToUtf8(w);
        // Decoding what was encoded changes nothing more.
        Check(sdWideToUtf8(sdUtf8ToWide(back)) == back);
        break;
      }
      case 2: {
        Integer cp = kPages[(size > 1 ? data[1] : 0) % (sizeof(kPages) / sizeof(kPages[0]))];
        UTF8String u = sdAnsiToUtf8(s, cp);
        Check(sdUtf8ToWide(u).find(u'\r') == String::npos);
        // In pieces: the same text as in one go.
        size_t cut = s.empty() ? 0 : data[size - 1] % (s.size() + 1);
        TBytes out;
        bool cr = false;
        Integer used = 0;
        Integer n1 = sdAnsiToUtf8Buffer(s.data(), out, cp, cr, static_cast<Integer>(cut), &used);
        std::string got(reinterpret_cast<const char*>(out.data()), static_cast<size_t>(n1));
        std::string rest = s.substr(static_cast<size_t>(used));
        Integer n2 = sdAnsiToUtf8Buffer(rest.data(), out, cp, cr, static_cast<Integer>(rest.size()));
        got.append(reinterpret_cast<const char*>(out.data()), static_cast<size_t>(n2));
        if (cp != 50220 && cp != 1258) Check(got == u);  // shift states and combining marks span a cut
        RawByteString a = sdUtf8ToAnsi(u, cp);
        (void)a;
        break;
      }
      case 3: {
        Int64 v = sdInt64FromString(s);
        Check(sdInt64FromString(sdInt64ToString(v)) == v);
        break;
      }
      case 4: {
        double v = sdFloatFromString(s);
        // Subnormals carry too few digits, and the top of the range may round
        // past the largest double.
        if (std::isfinite(v) && (v == 0 || (std::fabs(v) > 1e-300 && std::fabs(v) < 1e307))) {
          double back = sdFloatFromString(sdFloatToString(v, 9, true));
          Check(std::fabs(back - v) <= std::fabs(v) * 1e-8);
        }
        break;
      }
      case 5: {
        bool b = sdBoolFromString(s);
        Check(sdBoolFromString(sdBoolToString(b)) == b);
        break;
      }
      default: {
        TDateTime v = sdStringToDateTime(s, false);
        UTF8String t = sdDateTimeToString(v, true, true, 3, false);
        Check(std::llround(sdStringToDateTime(t, false) * MSecsPerDay) == std::llround(v * MSecsPerDay));
        break;
      }
    }
  } catch (const EConvertError&) {
  }
  return 0;
}
