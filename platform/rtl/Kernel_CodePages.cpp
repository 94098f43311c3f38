// The code-page converter. UTF-8 is decoded and encoded here; every other
// page goes through iconv. A page whose every byte is a character by itself
// gets two tables on first use and never touches iconv again, so the common
// single-byte pages are as fast as a table look-up.
#include <errno.h>
#include <iconv.h>

#include <array>
#include <limits>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/rtl/Kernel.h"
#include "platform/rtl/MultiByteDecoder.h"

namespace vcl {

namespace {

thread_local DWORD tLastError = 0;

struct TCodePageName {
  UINT CodePage;
  const char* IconvName;
};

// The pages the host knows, with the name iconv gives each. Pages iconv
// lacks (the Mac pages of some scripts, ISCII, HZ, a few EBCDIC variants)
// are left out and fail like any unknown page.
constexpr TCodePageName kCodePages[] = {
    {37, "IBM037"},       {437, "IBM437"},        {500, "IBM500"},        {708, "ASMO-708"},
    {709, "ASMO_449"},    {737, "CP737"},         {775, "CP775"},         {850, "CP850"},
    {852, "CP852"},       {855, "CP855"},         {857, "CP857"},         {858, "IBM858"},
    {860, "CP860"},       {861, "CP861"},         {862, "CP862"},         {863, "CP863"},
    {864, "CP864"},       {865, "CP865"},         {866, "CP866"},         {869, "CP869"},
    {870, "IBM870"},      {874, "CP874"},         {875, "IBM875"},        {932, "CP932"},
    {936, "CP936"},       {949, "CP949"},         {950, "CP950"},         {1026, "IBM1026"},
    {1047, "IBM1047"},    {1140, "IBM1140"},      {1141, "IBM1141"},      {1142, "IBM1142"},
    {1143, "IBM1143"},    {1144, "IBM1144"},      {1145, "IBM1145"},      {1146, "IBM1146"},
    {1147, "IBM1147"},    {1148, "IBM1148"},      {1149, "IBM1149"},      {1200, "UTF-16LE"},
    {1201, "UTF-16BE"},   {1250, "CP1250"},       {1251, "CP1251"},       {1252, "CP1252"},
    {1253, "CP1253"},     {1254, "CP1254"},       {1255, "CP1255"},       {1256, "CP1256"},
    {1257, "CP1257"},     {1258, "CP1258"},       {1361, "JOHAB"},        {10000, "MACINTOSH"},
    {10007, "MAC-CYRILLIC"}, {10017, "MAC-UK"},   {10029, "MAC-CENTRALEUROPE"}, {10079, "MAC-IS"},
    {12000, "UTF-32LE"},  {12001, "UTF-32BE"},    {20000, "EUC-TW"},      {20106, "DIN_66003"},
    {20107, "SEN_850200_B"}, {20108, "NS_4551-1"}, {20127, "ASCII"},      {20261, "T.61-8BIT"},
    {20269, "ISO6937"},   {20273, "IBM273"},      {20277, "IBM277"},      {20278, "IBM278"},
    {20280, "IBM280"},    {20284, "IBM284"},      {20285, "IBM285"},      {20290, "IBM290"},
    {20297, "IBM297"},    {20420, "IBM420"},      {20423, "IBM423"},      {20424, "IBM424"},
    {20838, "IBM1160"},   {20866, "KOI8-R"},      {20871, "IBM871"},      {20880, "IBM880"},
    {20905, "IBM905"},    {20932, "EUC-JP"},      {20936, "GB2312"},      {20949, "EUC-KR"},
    {21025, "IBM1025"},   {21866, "KOI8-U"},      {28591, "ISO-8859-1"},  {28592, "ISO-8859-2"},
    {28593, "ISO-8859-3"}, {28594, "ISO-8859-4"}, {28595, "ISO-8859-5"},  {28596, "ISO-8859-6"},
    {28597, "ISO-8859-7"}, {28598, "ISO-8859-8"}, {28599, "ISO-8859-9"},  {28603, "ISO-8859-13"},
    {28605, "ISO-8859-15"}, {38598, "ISO-8859-8"}, {50220, "ISO-2022-JP"}, {50221, "ISO-2022-JP"},
    {50222, "ISO-2022-JP"}, {50225, "ISO-2022-KR"}, {50227, "ISO-2022-CN"}, {51932, "EUC-JP"},
    {51936, "EUC-CN"},    {51949, "EUC-KR"},      {54936, "GB18030"},     {65000, "UTF-7"},
};

UINT ResolveCodePage(UINT cp) {
  switch (cp) {
    case CP_ACP:
    case CP_THREAD_ACP: return 1252;
    case CP_OEMCP: return 437;
    case CP_MACCP: return 10000;
    default: return cp;
  }
}

const char* IconvName(UINT cp) {
  for (const auto& e : kCodePages)
    if (e.CodePage == cp) return e.IconvName;
  return nullptr;
}

// A single-byte page as two tables. Bytes without a character map to 0xFFFF.
struct TSingleByteTable {
  std::array<char16_t, 256> ToWide{};
  std::unordered_map<char16_t, Byte> FromWide;
};

// Per page: nullptr until probed; the probe result is kept for the process.
struct TPageInfo {
  std::once_flag Once;
  bool Known = false;
  int MaxCharSize = 0;
  std::unique_ptr<TSingleByteTable> Table;
};

std::mutex gPagesLock;
std::unordered_map<UINT, std::unique_ptr<TPageInfo>>& Pages() {
  static std::unordered_map<UINT, std::unique_ptr<TPageInfo>> m;
  return m;
}

// One open descriptor per page, direction and thread: descriptors carry
// conversion state and may not be shared between threads.
struct TIconvCache {
  std::unordered_map<UInt64, iconv_t> Open;
  ~TIconvCache() {
    for (auto& [k, cd] : Open)
      if (cd != reinterpret_cast<iconv_t>(-1)) iconv_close(cd);
  }
};
thread_local TIconvCache tIconv;

// The thread's descriptor under key, opened on first use (-1 where the page
// has no converter). toWide: page -> UTF-16LE; otherwise UTF-16LE -> page.
iconv_t CachedDescriptor(UInt64 key, UINT cp, bool toWide) {
  auto it = tIconv.Open.find(key);
  if (it != tIconv.Open.end()) return it->second;
  const char* name = IconvName(cp);
  iconv_t cd =
      name ? (toWide ? iconv_open("UTF-16LE", name) : iconv_open(name, "UTF-16LE")) : reinterpret_cast<iconv_t>(-1);
  tIconv.Open.emplace(key, cd);
  return cd;
}

// Reset before use.
iconv_t Descriptor(UINT cp, bool toWide) {
  iconv_t cd = CachedDescriptor((UInt64(cp) << 1) | (toWide ? 1 : 0), cp, toWide);
  if (cd != reinterpret_cast<iconv_t>(-1)) iconv(cd, nullptr, nullptr, nullptr, nullptr);
  return cd;
}

// A second descriptor of a page that keeps no state between characters, for
// RefusesBytes; none for the pages whose decoding depends on what came
// before (shift sequences, or a base letter held for a combining mark).
iconv_t ProbeDescriptor(UINT cp) {
  switch (cp) {
    case 50220: case 50221: case 50222: case 50225: case 50227: case 65000: case 1258: return nullptr;
    default: break;
  }
  iconv_t cd = CachedDescriptor((UInt64(cp) << 1) | (UInt64(1) << 63), cp, true);
  return cd == reinterpret_cast<iconv_t>(-1) ? nullptr : cd;
}

void ProbePage(UINT cp, TPageInfo& info) {
  iconv_t cd = Descriptor(cp, true);
  if (cd == reinterpret_cast<iconv_t>(-1)) return;
  info.Known = true;
  auto table = std::make_unique<TSingleByteTable>();
  bool single = true;
  for (int b = 0; b < 256 && single; ++b) {
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char in = static_cast<char>(b);
    char16_t out[4] = {};
    char* ip = &in;
    size_t il = 1;
    char* op = reinterpret_cast<char*>(out);
    size_t ol = sizeof(out);
    size_t r = iconv(cd, &ip, &il, &op, &ol);
    size_t units = (sizeof(out) - ol) / 2;
    if (r == static_cast<size_t>(-1) && errno == EINVAL) single = false;  // starts a longer sequence
    else if (r == static_cast<size_t>(-1)) table->ToWide[b] = 0xFFFF;
    else if (units == 0) single = false;  // held back to combine with what follows (Vietnamese)
    else if (units == 1 && il == 0) table->ToWide[b] = out[0];
    else single = false;
  }
  if (single) {
    for (int b = 255; b >= 0; --b)
      if (table->ToWide[b] != 0xFFFF) table->FromWide[table->ToWide[b]] = static_cast<Byte>(b);
    info.Table = std::move(table);
    info.MaxCharSize = 1;
  } else {
    switch (cp) {
      case 54936: case 12000: case 12001: info.MaxCharSize = 4; break;
      case 20000: case 20932: case 51932: case 1200: case 1201: info.MaxCharSize = 4; break;
      case 50220: case 50221: case 50222: case 50225: case 50227: case 65000: info.MaxCharSize = 5; break;
      default: info.MaxCharSize = 2; break;
    }
  }
}

TPageInfo* Page(UINT cp) {
  TPageInfo* info;
  {
    std::lock_guard g(gPagesLock);
    auto& slot = Pages()[cp];
    if (!slot) slot = std::make_unique<TPageInfo>();
    info = slot.get();
  }
  std::call_once(info->Once, [&] { ProbePage(cp, *info); });
  return info->Known ? info : nullptr;
}

// Output collects into a local buffer (the sizes involved are those of one
// call's input), so the size-only and the writing calls share one path.
struct TUtf8Decoded {
  std::u16string Text;
  bool Invalid = false;
};

// Decodes UTF-8 with U+FFFD for each maximal invalid subpart: overlong
// forms, surrogates, values past U+10FFFF, stray continuation bytes and
// truncated sequences. When stopAtIncomplete, a truncated sequence at the
// very end is left undecoded and its start returned through *consumed.
void DecodeUtf8(const unsigned char* s, int n, std::u16string& out, bool& invalid, bool stopAtIncomplete, int* consumed) {
  int i = 0;
  while (i < n) {
    unsigned c = s[i];
    if (c < 0x80) { out.push_back(static_cast<char16_t>(c)); ++i; continue; }
    int len;
    unsigned cp, lo = 0x80, hi = 0xBF;
    if (c >= 0xC2 && c <= 0xDF) { len = 2; cp = c & 0x1F; }
    else if (c >= 0xE0 && c <= 0xEF) {
      len = 3; cp = c & 0x0F;
      if (c == 0xE0) lo = 0xA0;
      if (c == 0xED) hi = 0x9F;
    } else if (c >= 0xF0 && c <= 0xF4) {
      len = 4; cp = c & 0x07;
      if (c == 0xF0) lo = 0x90;
      if (c == 0xF4) hi = 0x8F;
    } else { out.push_back(0xFFFD); invalid = true; ++i; continue; }
    int k = 1;
    for (; k < len && i + k < n; ++k) {
      unsigned b = s[i + k];
      if (b < (k == 1 ? lo : 0x80) || b > (k == 1 ? hi : 0xBF)) break;
      cp = (cp << 6) | (b & 0x3F);
    }
    if (k == len) {
      if (cp >= 0x10000) {
        cp -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
      } else {
        out.push_back(static_cast<char16_t>(cp));
      }
      i += len;
      continue;
    }
    if (i + k == n && stopAtIncomplete) break;  // the rest may follow in the next piece
    out.push_back(0xFFFD);
    invalid = true;
    i += k;
  }
  if (consumed) *consumed = i;
}

void EncodeUtf8(const char16_t* s, int n, std::string& out, bool& invalid) {
  for (int i = 0; i < n; ++i) {
    unsigned c = s[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < n && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (s[i + 1] - 0xDC00u);
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;
      invalid = true;
    }
    if (c < 0x80) out.push_back(static_cast<char>(c));
    else if (c < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (c >> 6)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (c >> 12)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (c >> 18)));
      out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
  }
}

// Whether the converter refuses the N bytes at S, decoded from its initial
// state through PROBE (a descriptor of the same page kept for this).
bool RefusesBytes(iconv_t probe, const char* s, size_t n) {
  iconv(probe, nullptr, nullptr, nullptr, nullptr);
  char* ip = const_cast<char*>(s);
  char16_t buf[256];
  while (n > 0) {
    char* op = reinterpret_cast<char*>(buf);
    size_t ol = sizeof(buf);
    if (iconv(probe, &ip, &n, &op, &ol) == static_cast<size_t>(-1) && errno != E2BIG) return true;
  }
  return false;
}

// Code page to UTF-16 through the descriptor CD. An undecodable byte
// becomes U+FFFD and is skipped; a truncated sequence at the end is either
// left for the caller (stopAtIncomplete) or becomes one U+FFFD. With
// endState the descriptor returns to its initial shift state once the
// input is used up; without it the state stays for the text's next piece.
// PROBE, for pages without shift states, tells where a refusal happened
// (see below); without it every refused byte is skipped.
void DecodeThrough(iconv_t cd, const char* s, int n, std::u16string& out, bool& invalid, bool stopAtIncomplete,
                   int* consumed, bool endState, iconv_t probe) {
  char* ip = const_cast<char*>(s);
  size_t il = static_cast<size_t>(n);
  char16_t buf[512];
  for (;;) {
    char* const start = ip;
    char* op = reinterpret_cast<char*>(buf);
    size_t ol = sizeof(buf);
    size_t r = iconv(cd, il ? &ip : nullptr, il ? &il : nullptr, &op, &ol);
    int err = errno;
    out.append(buf, (sizeof(buf) - ol) / 2);
    if (r != static_cast<size_t>(-1)) {
      if (il == 0) {
        if (!endState) break;
        // Flush any state the page still holds (stateful pages end in their
        // initial shift state).
        op = reinterpret_cast<char*>(buf);
        ol = sizeof(buf);
        iconv(cd, nullptr, nullptr, &op, &ol);
        out.append(buf, (sizeof(buf) - ol) / 2);
        break;
      }
      continue;
    }
    if (err == E2BIG) continue;
    if (err == EINVAL) {  // truncated at the end
      if (stopAtIncomplete) break;
      out.push_back(0xFFFD);
      invalid = true;
      ip += il;
      il = 0;
      break;
    }
    // EILSEQ: skip one byte and go on from there.
    out.push_back(0xFFFD);
    invalid = true;
    // Some converters step over a well-formed but unassigned sequence
    // before they refuse it, others stop at its first byte. Skipping one
    // more byte after the first kind would drop a good character, and only
    // when the sequence is not the last of the piece: the same text decoded
    // in pieces would differ from the text decoded in one go. What this
    // call has passed is decoded again alone to tell which kind it was.
    if (probe && ip > start && RefusesBytes(probe, start, static_cast<size_t>(ip - start))) continue;
    // Refused while returning to the initial state, with no byte left to
    // skip: stepping on would run the count below zero.
    if (il == 0) break;
    ++ip;
    --il;
    if (il == 0) break;
  }
  if (consumed) *consumed = static_cast<int>(ip - s);
}

bool DecodeIconv(UINT cp, const char* s, int n, std::u16string& out, bool& invalid, bool stopAtIncomplete, int* consumed) {
  iconv_t cd = Descriptor(cp, true);
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  // The descriptor is shared by every call: a call starts from the initial
  // state, whatever an earlier one left in it.
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  DecodeThrough(cd, s, n, out, invalid, stopAtIncomplete, consumed, true, ProbeDescriptor(cp));
  return true;
}

// UTF-16 to a code page through iconv, the default character for each
// character the page lacks (one unit, or a surrogate pair).
bool EncodeIconv(UINT cp, const char16_t* s, int n, std::string& out, const std::string& defChar, bool& usedDefault) {
  iconv_t cd = Descriptor(cp, false);
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  char* ip = reinterpret_cast<char*>(const_cast<char16_t*>(s));
  size_t il = static_cast<size_t>(n) * 2;
  char buf[1024];
  for (;;) {
    char* op = buf;
    size_t ol = sizeof(buf);
    size_t r = iconv(cd, il ? &ip : nullptr, il ? &il : nullptr, &op, &ol);
    int err = errno;
    out.append(buf, sizeof(buf) - ol);
    if (r != static_cast<size_t>(-1)) {
      if (il == 0) {
        op = buf;
        ol = sizeof(buf);
        iconv(cd, nullptr, nullptr, &op, &ol);
        out.append(buf, sizeof(buf) - ol);
        break;
      }
      continue;
    }
    if (err == E2BIG) continue;
    // EILSEQ (no such character or a lone surrogate) or EINVAL (a high
    // surrogate at the very end): the default character stands for it.
    // Stateful pages must return to their initial state before it.
    op = buf;
    ol = sizeof(buf);
    iconv(cd, nullptr, nullptr, &op, &ol);
    out.append(buf, sizeof(buf) - ol);
    out += defChar;
    usedDefault = true;
    const char16_t* u = reinterpret_cast<const char16_t*>(ip);
    size_t skip = 2;
    if (il >= 4 && u[0] >= 0xD800 && u[0] <= 0xDBFF && u[1] >= 0xDC00 && u[1] <= 0xDFFF) skip = 4;
    if (skip > il) skip = il;
    ip += skip;
    il -= skip;
    if (il == 0) {
      op = buf;
      ol = sizeof(buf);
      iconv(cd, nullptr, nullptr, &op, &ol);
      out.append(buf, sizeof(buf) - ol);
      break;
    }
  }
  return true;
}

int SourceLength(const char* s, int n) {
  if (n >= 0) return n;
  return static_cast<int>(std::char_traits<char>::length(s)) + 1;
}
int SourceLength(const char16_t* s, int n) {
  if (n >= 0) return n;
  return static_cast<int>(std::char_traits<char16_t>::length(s)) + 1;
}

// Decodes the page; false (with the last error set) for an unknown page.
bool Decode(UINT cp, const char* s, int n, std::u16string& out, bool& invalid, bool stopAtIncomplete, int* consumed) {
  if (cp == CP_UTF8) {
    DecodeUtf8(reinterpret_cast<const unsigned char*>(s), n, out, invalid, stopAtIncomplete, consumed);
    return true;
  }
  TPageInfo* page = Page(cp);
  if (!page) return false;
  if (page->Table) {
    out.reserve(out.size() + static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
      char16_t w = page->Table->ToWide[static_cast<unsigned char>(s[i])];
      if (w == 0xFFFF) { w = 0xFFFD; invalid = true; }
      out.push_back(w);
    }
    if (consumed) *consumed = n;
    return true;
  }
  return DecodeIconv(cp, s, n, out, invalid, stopAtIncomplete, consumed);
}

}  // namespace

TMultiByteDecoder::TMultiByteDecoder(UINT codePage) : FCodePage(ResolveCodePage(codePage)) {
  if (FCodePage == CP_UTF8) {
    FValid = true;
    return;
  }
  TPageInfo* page = Page(FCodePage);
  if (!page) return;
  FValid = true;
  FTable = page->Table != nullptr;
  if (FTable) return;
  // A descriptor of its own: the state belongs to this text alone.
  iconv_t cd = iconv_open("UTF-16LE", IconvName(FCodePage));
  if (cd == reinterpret_cast<iconv_t>(-1)) FValid = false;
  else FHandle = cd;
}

TMultiByteDecoder::~TMultiByteDecoder() {
  if (FHandle) iconv_close(static_cast<iconv_t>(FHandle));
}

void TMultiByteDecoder::Reset() {
  if (FHandle) iconv(static_cast<iconv_t>(FHandle), nullptr, nullptr, nullptr, nullptr);
}

int TMultiByteDecoder::Decode(const char* src, int srcCount, std::u16string& dst, bool final) {
  if (!FValid || !src || srcCount <= 0) {
    if (final) Reset();
    return 0;
  }
  bool invalid = false;
  int used = srcCount;
  if (FCodePage == CP_UTF8) {
    DecodeUtf8(reinterpret_cast<const unsigned char*>(src), srcCount, dst, invalid, !final, &used);
  } else if (FTable) {
    vcl::Decode(FCodePage, src, srcCount, dst, invalid, false, &used);
  } else {
    DecodeThrough(static_cast<iconv_t>(FHandle), src, srcCount, dst, invalid, !final, &used, final,
                  ProbeDescriptor(FCodePage));
  }
  return used;
}

DWORD GetLastError() { return tLastError; }
void SetLastError(DWORD code) { tLastError = code; }

bool IsValidCodePage(UINT codePage) {
  UINT cp = ResolveCodePage(codePage);
  return cp == CP_UTF8 || Page(cp) != nullptr;
}

int CodePageMaxCharSize(UINT codePage) {
  UINT cp = ResolveCodePage(codePage);
  if (cp == CP_UTF8) return 4;
  TPageInfo* p = Page(cp);
  return p ? p->MaxCharSize : 0;
}

int MultiByteToWideChar(UINT codePage, DWORD flags, const char* src, int srcCount, WCHAR* dst, int dstCount) {
  return MultiByteToWideCharEx(codePage, flags, src, srcCount, dst, dstCount, nullptr);
}

int MultiByteToWideCharEx(UINT codePage, DWORD flags, const char* src, int srcCount, WCHAR* dst, int dstCount,
                          int* srcUsed) {
  if (srcUsed) *srcUsed = 0;
  if (!src || srcCount == 0 || srcCount < -1 || dstCount < 0 || (dstCount > 0 && !dst)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (flags & ~(MB_PRECOMPOSED | MB_ERR_INVALID_CHARS)) {
    SetLastError(ERROR_INVALID_FLAGS);
    return 0;
  }
  UINT cp = ResolveCodePage(codePage);
  int n = SourceLength(src, srcCount);
  std::u16string out;
  bool invalid = false;
  int used = n;
  if (!Decode(cp, src, n, out, invalid, srcUsed != nullptr, &used)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (invalid && (flags & MB_ERR_INVALID_CHARS)) {
    SetLastError(ERROR_NO_UNICODE_TRANSLATION);
    return 0;
  }
  if (out.size() > static_cast<size_t>(std::numeric_limits<int>::max())) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return 0;
  }
  int need = static_cast<int>(out.size());
  if (srcUsed) *srcUsed = used;
  if (dstCount == 0) return need;
  if (need > dstCount) {
    if (srcUsed) *srcUsed = 0;
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  std::char_traits<char16_t>::copy(dst, out.data(), out.size());
  return need;
}

int WideCharToMultiByte(UINT codePage, DWORD flags, const WCHAR* src, int srcCount, char* dst, int dstCount,
                        const char* defaultChar, bool* usedDefaultChar) {
  if (!src || srcCount == 0 || srcCount < -1 || dstCount < 0 || (dstCount > 0 && !dst)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  UINT cp = ResolveCodePage(codePage);
  bool unicodePage = cp == CP_UTF8 || cp == CP_UTF7;
  if (unicodePage && (defaultChar || usedDefaultChar)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  DWORD allowed = cp == CP_UTF8 ? WC_ERR_INVALID_CHARS : 0;
  if (flags & ~allowed) {
    SetLastError(ERROR_INVALID_FLAGS);
    return 0;
  }
  int n = SourceLength(src, srcCount);
  std::string out;
  bool usedDefault = false;
  if (cp == CP_UTF8) {
    bool invalid = false;
    EncodeUtf8(src, n, out, invalid);
    if (invalid && (flags & WC_ERR_INVALID_CHARS)) {
      SetLastError(ERROR_NO_UNICODE_TRANSLATION);
      return 0;
    }
  } else {
    TPageInfo* page = Page(cp);
    if (!page) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return 0;
    }
    std::string def = defaultChar ? std::string(1, *defaultChar) : std::string("?");
    if (page->Table) {
      out.reserve(static_cast<size_t>(n));
      for (int i = 0; i < n; ++i) {
        char16_t c = src[i];
        auto it = page->Table->FromWide.find(c);
        if (it != page->Table->FromWide.end()) {
          out.push_back(static_cast<char>(it->second));
          continue;
        }
        out += def;
        usedDefault = true;
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < n && src[i + 1] >= 0xDC00 && src[i + 1] <= 0xDFFF) ++i;
      }
    } else {
      EncodeIconv(cp, src, n, out, def, usedDefault);
    }
  }
  if (usedDefaultChar) *usedDefaultChar = usedDefault;
  if (out.size() > static_cast<size_t>(std::numeric_limits<int>::max())) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return 0;
  }
  int need = static_cast<int>(out.size());
  if (dstCount == 0) return need;
  if (need > dstCount) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  std::char_traits<char>::copy(dst, out.data(), out.size());
  return need;
}

}  // namespace vcl
