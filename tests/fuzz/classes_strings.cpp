// String lists read outside text: files of any encoding, delimited and comma
// text. Whatever comes in must load, and what a list writes must read back
// as the same items.
#include <cstdint>
#include <cstdlib>

#include "platform/classes/Classes.h"

using namespace vcl;

namespace {
bool SameItems(TStrings& a, TStrings& b) { return a.Equals(&b); }
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  Byte flags = data[0];
  TBytesStream in(TBytes(data + 1, data + size));
  TStringList l;
  l.LoadFromStream(&in, static_cast<TTextEncoding>(flags % 5));

  TStringList again;
  again.SetText(l.Text());
  if (!SameItems(l, again)) std::abort();

  // The loaded text as delimited text, then written and read back.
  TStringList d;
  d.SetStrictDelimiter(flags & 0x10);
  d.SetDelimiter(u",;|"[(flags >> 5) % 3]);
  d.SetQuoteChar(flags & 0x80 ? u'\'' : u'"');
  d.SetDelimitedText(l.Text());
  TStringList back;
  back.SetStrictDelimiter(d.StrictDelimiter());
  back.SetDelimiter(d.Delimiter());
  back.SetQuoteChar(d.QuoteChar());
  back.SetDelimitedText(d.DelimitedText());
  if (!SameItems(d, back)) std::abort();

  TMemoryStream out;
  l.SaveToStream(&out);
  out.SetPosition(0);
  TStringList reloaded;
  reloaded.LoadFromStream(&out, l.Encoding());
  if (!SameItems(l, reloaded)) std::abort();
  return 0;
}
