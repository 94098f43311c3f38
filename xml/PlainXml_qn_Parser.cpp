// The text parser: encoding detection, decoding in chunks into one UTF-8
// buffer with LF line breaks, and the reading operations of the node
// classes.
#include <algorithm>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define QN_XML_WIDE_UTF8 1
#endif

#include "graphics/raster/Pix32_System_qn.h"
#include "platform/rtl/Kernel.h"
#include "platform/rtl/MultiByteDecoder.h"
#include "xml/PlainXml_qn.h"

namespace qn {

namespace {

struct TBomEntry {
  Byte Bytes[4];
  Integer Len;
  TsdStringEncoding Encoding;
  bool HasBOM;
};

const TBomEntry kBoms[15] = {
    {{0x3C, 0x3F, 0x78, 0x6D}, 4, seAnsi, false},     {{0xEF, 0xBB, 0xBF, 0}, 3, seUTF8, true},
    {{0x00, 0x00, 0xFE, 0xFF}, 4, seUTF32BE, true},   {{0xFF, 0xFE, 0x00, 0x00}, 4, seUTF32LE, true},
    {{0x00, 0x00, 0xFF, 0xFE}, 4, seUCS4_2143, true}, {{0xFE, 0xFF, 0x00, 0x00}, 4, seUCS4_3412, true},
    {{0xFE, 0xFF, 0, 0}, 2, seUTF16BE, true},         {{0xFF, 0xFE, 0, 0}, 2, seUTF16LE, true},
    {{0x00, 0x00, 0x00, 0x3C}, 4, seUTF32BE, false},  {{0x3C, 0x00, 0x00, 0x00}, 4, seUTF32LE, false},
    {{0x00, 0x00, 0x3C, 0x00}, 4, seUCS4_2143, false}, {{0x00, 0x3C, 0x00, 0x00}, 4, seUCS4_3412, false},
    {{0x00, 0x3C, 0x00, 0x3F}, 4, seUTF16BE, false},  {{0x3C, 0x00, 0x3F, 0x00}, 4, seUTF16LE, false},
    {{0x4C, 0x6F, 0xA7, 0x94}, 4, seEBCDIC, false},
};

// The length of the valid UTF-8 sequence at S (N bytes available), 0 when
// it is not one: a stray or overlong lead byte, a surrogate, a code point
// past U+10FFFF, or a sequence cut off by N.
inline Integer Utf8SequenceLength(const unsigned char* s, Integer n) {
  unsigned c = s[0];
  if (c < 0xC2 || c > 0xF4) return 0;
  Integer len = c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
  if (n < len) return 0;
  unsigned lo = c == 0xE0 ? 0xA0 : c == 0xF0 ? 0x90 : 0x80;
  unsigned hi = c == 0xED ? 0x9F : c == 0xF4 ? 0x8F : 0xBF;
  if (s[1] < lo || s[1] > hi) return 0;
  for (Integer k = 2; k < len; ++k)
    if ((s[k] & 0xC0) != 0x80) return 0;
  return len;
}

#ifdef QN_XML_WIDE_UTF8
// UTF-8 checked 32 bytes at a time: each pair of neighbouring bytes is
// looked up by the first byte's high and low nibble and the second byte's
// high nibble, three tables whose entries are the sets of faults the nibble
// allows; a fault is in all three sets only where the pair commits it. The
// faults are sets of pairs of that form (a byte that needs a continuation
// before one that is none, and so on), each with its own bit; a
// continuation byte where the third or fourth byte of a sequence stands is
// the one pair fault that is expected, and is told by the bytes two and
// three places back.
namespace utf8check {
constexpr Byte kTooShort = 1, kTooLong = 2, kOverlong3 = 4, kTooLarge = 8, kSurrogate = 16, kOverlong2 = 32,
               kOverlong4OrTooLarge1000 = 64, kTwoConts = 128;
struct TFault {
  Byte Bit;
  Byte High1Lo, High1Hi;        // first byte's high nibble range
  unsigned short Low1;          // first byte's low nibbles (bit set)
  Byte High2Lo, High2Hi;        // second byte's high nibble range
  bool High2Outside;            // the second byte's high nibble is outside that range
};
constexpr TFault kFaults[] = {
    {kTooShort, 0xC, 0xF, 0xFFFF, 0x8, 0xB, true},   // a lead byte before no continuation
    {kTooLong, 0x0, 0x7, 0xFFFF, 0x8, 0xB, false},   // a continuation after ASCII
    {kTwoConts, 0x8, 0xB, 0xFFFF, 0x8, 0xB, false},  // a continuation after a continuation
    {kOverlong2, 0xC, 0xC, 0x0003, 0x8, 0xB, false}, // C0, C1
    {kOverlong3, 0xE, 0xE, 0x0001, 0x8, 0x9, false}, // E0 80..9F
    {kSurrogate, 0xE, 0xE, 0x2000, 0xA, 0xB, false}, // ED A0..BF
    {kOverlong4OrTooLarge1000, 0xF, 0xF, 0xFFE1, 0x8, 0x8, false},  // F0 80..8F, F5..FF 80..8F
    {kTooLarge, 0xF, 0xF, 0xFFF0, 0x9, 0xB, false},  // F4 90..BF, F5..FF 90..BF
};
struct TTables {
  Byte High1[16] = {}, Low1[16] = {}, High2[16] = {};
  constexpr TTables() {
    for (const TFault& f : kFaults)
      for (int v = 0; v < 16; ++v) {
        if (v >= f.High1Lo && v <= f.High1Hi) High1[v] |= f.Bit;
        if (f.Low1 >> v & 1) Low1[v] |= f.Bit;
        if ((v >= f.High2Lo && v <= f.High2Hi) != f.High2Outside) High2[v] |= f.Bit;
      }
  }
};
constexpr TTables kTables;
}  // namespace utf8check

struct TWideState {
  __m256i Prev, Err, Open;
};

__attribute__((target("avx2"), always_inline)) inline void WideStep(TWideState& St, __m256i In) {
  using namespace utf8check;
  if (_mm256_movemask_epi8(In) == 0) {
    // ASCII: only a sequence left open by the block before is wrong.
    St.Err = _mm256_or_si256(St.Err, St.Open);
    St.Open = _mm256_setzero_si256();
  } else {
    const __m256i high1 = _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(kTables.High1)));
    const __m256i low1 = _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(kTables.Low1)));
    const __m256i high2 = _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(kTables.High2)));
    const __m256i nibble = _mm256_set1_epi8(0x0F);
    __m256i carry = _mm256_permute2x128_si256(St.Prev, In, 0x21);
    __m256i p1 = _mm256_alignr_epi8(In, carry, 15);
    __m256i p2 = _mm256_alignr_epi8(In, carry, 14);
    __m256i p3 = _mm256_alignr_epi8(In, carry, 13);
    __m256i f = _mm256_and_si256(
        _mm256_and_si256(_mm256_shuffle_epi8(high1, _mm256_and_si256(_mm256_srli_epi16(p1, 4), nibble)),
                         _mm256_shuffle_epi8(low1, _mm256_and_si256(p1, nibble))),
        _mm256_shuffle_epi8(high2, _mm256_and_si256(_mm256_srli_epi16(In, 4), nibble)));
    // Third and fourth bytes of a sequence: the bytes two and three back
    // are at least E0 and F0 (their high bit after subtracting 60, 70).
    __m256i must = _mm256_or_si256(_mm256_subs_epu8(p2, _mm256_set1_epi8(0x60)),
                                   _mm256_subs_epu8(p3, _mm256_set1_epi8(0x70)));
    must = _mm256_and_si256(must, _mm256_set1_epi8(static_cast<char>(0x80)));
    St.Err = _mm256_or_si256(St.Err, _mm256_xor_si256(must, f));
    // The last three bytes that start a sequence too long for the block.
    const __m256i lastRoom = _mm256_setr_epi8(-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,
                                              -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, static_cast<char>(0xEF),
                                              static_cast<char>(0xDF), static_cast<char>(0xBF));
    St.Open = _mm256_subs_epu8(In, lastRoom);
  }
  St.Prev = In;
}

__attribute__((target("avx2"))) bool IsUtf8Wide(const unsigned char* s, size_t n) {
  TWideState st{_mm256_setzero_si256(), _mm256_setzero_si256(), _mm256_setzero_si256()};
  size_t i = 0;
  for (; i + 32 <= n; i += 32) WideStep(st, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + i)));
  // The rest, followed by NULs, which end any open sequence as a fault.
  alignas(32) unsigned char last[32] = {};
  if (i < n) std::memcpy(last, s + i, n - i);
  WideStep(st, _mm256_load_si256(reinterpret_cast<const __m256i*>(last)));
  st.Err = _mm256_or_si256(st.Err, st.Open);
  return _mm256_testz_si256(st.Err, st.Err) != 0;
}

// The library's processor probe, which tests can point at other processors.
bool WideUtf8Check() { return CPUFeatures().Contains(TCPUInstructionSet::ciAVX2); }

// For each set of bytes of an 8-byte group to drop (a bit each), the
// shuffle that gathers the bytes kept, in order, at the group's start.
struct TDropShuffles {
  UInt64 Idx[256] = {};
  constexpr TDropShuffles() {
    for (unsigned m = 0; m < 256; ++m) {
      unsigned k = 0;
      for (unsigned b = 0; b < 8; ++b)
        if (!(m >> b & 1)) Idx[m] |= UInt64(b) << (8 * k++);
      for (; k < 8; ++k) Idx[m] |= UInt64(0x80) << (8 * k);
    }
  }
};
constexpr TDropShuffles kDropShuffles;

// 32 zero bytes, then 32 bytes of all ones: from 32 - K on, a mask of the
// lanes from K on.
alignas(64) constexpr unsigned char kLaneFrom[64] = {
    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,
    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,
    0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
    0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};

// The stores of a block with line breaks (CR, its lanes in Cr): each CR
// becomes LF, the ones before an LF (Next holds the bytes one further on)
// are then dropped, group by group of eight bytes through a shuffle. Out
// moves on by the bytes kept.
__attribute__((target("avx2,popcnt"), always_inline)) inline void StoreDroppingCR(__m256i v, __m256i Next, __m256i Cr,
                                                                                   char*& Out) {
  const __m256i kLF = _mm256_set1_epi8('\n');
  const __m256i kHighGroups = _mm256_setr_epi64x(0, 0x0808080808080808ll, 0, 0x0808080808080808ll);
  char* out = Out;
  unsigned drop = static_cast<unsigned>(_mm256_movemask_epi8(_mm256_and_si256(Cr, _mm256_cmpeq_epi8(Next, kLF))));
  if (static_cast<unsigned>(_mm256_movemask_epi8(Cr)) == drop && (drop & (drop - 1)) == 0) {
    // The usual block with a line break: one CR LF. The bytes behind the
    // CR are the block loaded one byte further on, blended in from the
    // CR's lane; the last byte stored is the next block's first, which
    // that block writes again.
    const unsigned k = static_cast<unsigned>(__builtin_ctz(drop));
    const __m256i from = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(kLaneFrom + 32 - k));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out), _mm256_blendv_epi8(v, Next, from));
    Out = out + 31;
    return;
  }
  v = _mm256_blendv_epi8(v, kLF, Cr);
  const UInt64* t = kDropShuffles.Idx;
  __m256i shuffle = _mm256_add_epi8(
      _mm256_setr_epi64x(static_cast<long long>(t[drop & 0xFF]), static_cast<long long>(t[drop >> 8 & 0xFF]),
                         static_cast<long long>(t[drop >> 16 & 0xFF]), static_cast<long long>(t[drop >> 24])),
      kHighGroups);
  __m256i kept = _mm256_shuffle_epi8(v, shuffle);
  __m128i lo = _mm256_castsi256_si128(kept), hi = _mm256_extracti128_si256(kept, 1);
  _mm_storel_epi64(reinterpret_cast<__m128i*>(out), lo);
  out += 8 - _mm_popcnt_u32(drop & 0xFF);
  _mm_storeh_pd(reinterpret_cast<double*>(out), _mm_castsi128_pd(lo));
  out += 8 - _mm_popcnt_u32(drop >> 8 & 0xFF);
  _mm_storel_epi64(reinterpret_cast<__m128i*>(out), hi);
  out += 8 - _mm_popcnt_u32(drop >> 16 & 0xFF);
  _mm_storeh_pd(reinterpret_cast<double*>(out), _mm_castsi128_pd(hi));
  Out = out + 8 - _mm_popcnt_u32(drop >> 24);
}

// CopyUtf8Normalised 32 bytes a step (the byte behind a block tells
// whether its last CR starts a CR LF), with the UTF-8 check of the same
// blocks in the same pass; true when all of [I, N) is valid UTF-8. S needs
// 32 readable bytes behind N. Blocks with line breaks take the same steps
// whatever the breaks (see StoreDroppingCR): lines mostly end within a
// block or two, at places no branch could foresee.
__attribute__((target("avx2,popcnt"))) bool CopyCheckedWide(const unsigned char* s, Integer& I, Integer n,
                                                             char*& Out) {
  const __m256i kCR = _mm256_set1_epi8('\r'), kLF = _mm256_set1_epi8('\n');
  TWideState st{_mm256_setzero_si256(), _mm256_setzero_si256(), _mm256_setzero_si256()};
  const Integer from = I;
  Integer i = from;
  char* out = Out;
  // ASCII, the usual text, needs no more check than the look for a byte
  // that is not; from the first block that has one on, every block is
  // checked with the one before it.
  while (i + 33 <= n) {
    __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + i));
    __m256i cr = _mm256_cmpeq_epi8(v, kCR);
    if (_mm256_movemask_epi8(_mm256_or_si256(v, cr)) == 0) {
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(out), v);
      out += 32;
      i += 32;
      continue;
    }
    if (_mm256_movemask_epi8(v)) break;
    StoreDroppingCR(v, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + i + 1)), cr, out);
    i += 32;
  }
  if (i + 33 <= n && i > from) st.Prev = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + i - 32));
  while (i + 33 <= n) {
    __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + i));
    __m256i cr = _mm256_cmpeq_epi8(v, kCR);
    WideStep(st, v);
    if (_mm256_testz_si256(cr, cr)) {
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(out), v);
      out += 32;
    } else {
      StoreDroppingCR(v, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + i + 1)), cr, out);
    }
    i += 32;
  }
  if (i < n) {
    // The last bytes (1 to 32) as one more block, read on into the room
    // behind the text and cut to it: NULs from the end on, which end an
    // open sequence as a fault and are no LF behind a CR. Lanes past the
    // end are stored too, behind the text's last byte.
    const Integer rest = n - i;
    const auto* lanes = reinterpret_cast<const __m256i*>(kLaneFrom + 32 - rest);
    __m256i v = _mm256_andnot_si256(_mm256_loadu_si256(lanes),
                                    _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + i)));
    __m256i next = _mm256_andnot_si256(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(kLaneFrom + 33 - rest)),
                                       _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + i + 1)));
    WideStep(st, v);
    __m256i cr = _mm256_cmpeq_epi8(v, kCR);
    unsigned drop = static_cast<unsigned>(_mm256_movemask_epi8(_mm256_and_si256(cr, _mm256_cmpeq_epi8(next, kLF))));
    char* end = out + rest - _mm_popcnt_u32(drop);
    if (_mm256_testz_si256(cr, cr)) _mm256_storeu_si256(reinterpret_cast<__m256i*>(out), v);
    else StoreDroppingCR(v, next, cr, out);
    out = end;
    i = n;
  }
  st.Err = _mm256_or_si256(st.Err, st.Open);
  I = i;
  Out = out;
  return _mm256_testz_si256(st.Err, st.Err) != 0;
}
#endif

// Copies N bytes of UTF-8 to D with CR LF and lone CR made LF (LastCR
// carries a CR at the end of one piece into the next, as sdNormaliseBuffer
// does) and returns the bytes written; -1, with LastCR untouched, when a
// byte is not valid UTF-8. One pass: the usual input, ASCII with a CR now
// and then, moves 32 bytes per step where the processor can, else 16. D
// needs N + 32 bytes, and SRC 32 readable bytes behind N.
Integer CopyUtf8Normalised(const char* src, Integer n, char* d, bool& LastCR) {
  const auto* s = reinterpret_cast<const unsigned char*>(src);
  char* out = d;
  Integer i = 0;
  bool cr = LastCR;
  if (cr && n > 0) {
    cr = false;
    if (s[0] == '\n') i = 1;
  }
#ifdef QN_XML_WIDE_UTF8
  if (n > i && WideUtf8Check()) {
    if (!CopyCheckedWide(s, i, n, out)) return -1;
    LastCR = s[n - 1] == '\r';
    return static_cast<Integer>(out - d);
  }
#endif
  for (;;) {
#if defined(__SSE2__)
    const __m128i kCR = _mm_set1_epi8('\r');
    const __m128i kHigh = _mm_set1_epi8(static_cast<char>(0x80));
    while (i + 16 <= n) {
      __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
      unsigned m = static_cast<unsigned>(_mm_movemask_epi8(_mm_and_si128(v, kHigh)) |
                                         _mm_movemask_epi8(_mm_cmpeq_epi8(v, kCR)));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out), v);
      if (!m) {
        out += 16;
        i += 16;
        continue;
      }
      // CR LF and multi-byte sequences are dealt with here, without leaving
      // the loop; a lone CR or a CR at the end goes to the byte steps below.
      // Multi-byte sequences stand in the output already (the block was
      // stored whole): the rest of the block is looked at without loading
      // it again, until a line break shifts the output.
      bool toBytes = false;
      for (;;) {
        Integer k = static_cast<Integer>(__builtin_ctz(m));
        const unsigned char* at = s + i + k;
        if (*at == '\r') {
          if (i + k + 1 >= n || at[1] != '\n') {
            out += k;
            i += k;
            toBytes = true;
            break;
          }
          out[k] = '\n';
          out += k + 1;
          i += k + 2;
          break;
        }
        Integer len = Utf8SequenceLength(at, n - i - k);
        if (!len) return -1;
        Integer past = k + len;
        if (past >= 16) {
          // Bytes of the sequence behind the block were not stored.
          for (Integer b = 16 - k; b < len; ++b) out[k + b] = static_cast<char>(at[b]);
          out += past;
          i += past;
          break;
        }
        m &= ~0u << past;
        if (!m) {
          out += 16;
          i += 16;
          break;
        }
      }
      if (toBytes) break;
    }
#endif
    if (i >= n) break;
    unsigned c = s[i];
    if (c == '\r') {
      *out++ = '\n';
      ++i;
      if (i == n) cr = true;
      else if (s[i] == '\n') ++i;
    } else if (c < 0x80) {
      *out++ = static_cast<char>(c);
      ++i;
    } else {
      Integer len = Utf8SequenceLength(s + i, n - i);
      if (!len) return -1;
      for (Integer k = 0; k < len; ++k) out[k] = static_cast<char>(s[i + k]);
      out += len;
      i += len;
    }
  }
  LastCR = cr;
  return static_cast<Integer>(out - d);
}


// Bytes up to the start of a sequence cut off by the end of the buffer.
Integer CompleteUtf8Length(const char* s, Integer n) {
  Integer lead = n - 1;
  while (lead > 0 && n - lead < 4 && (static_cast<unsigned char>(s[lead]) & 0xC0) == 0x80) --lead;
  if (lead < 0) return n;
  unsigned c = static_cast<unsigned char>(s[lead]);
  Integer need = c >= 0xF0 && c <= 0xF4 ? 4 : c >= 0xE0 && c <= 0xEF ? 3 : c >= 0xC2 && c <= 0xDF ? 2 : 1;
  return need > 1 && n - lead < need ? lead : n;
}

#ifdef QN_XML_WIDE_UTF8
// CountLF's bulk, 128 bytes a step, where the processor has 32-byte vector
// instructions: P is left where fewer than 128 bytes remain.
__attribute__((target("avx2"))) Int64 CountLFWide(const char*& P, const char* end) {
  const __m256i lf = _mm256_set1_epi8('\n'), zero = _mm256_setzero_si256();
  const char* p = P;
  Int64 n = 0;
  while (end - p >= 128) {
    // Two compares a step into each set of byte counters, summed before
    // one of them can wrap.
    Int64 steps = std::min<Int64>((end - p) / 128, 127);
    __m256i a0 = zero, a1 = zero;
    for (Int64 k = 0; k < steps; ++k, p += 128) {
      const auto* v = reinterpret_cast<const __m256i*>(p);
      a0 = _mm256_sub_epi8(a0, _mm256_cmpeq_epi8(_mm256_loadu_si256(v), lf));
      a1 = _mm256_sub_epi8(a1, _mm256_cmpeq_epi8(_mm256_loadu_si256(v + 1), lf));
      a0 = _mm256_sub_epi8(a0, _mm256_cmpeq_epi8(_mm256_loadu_si256(v + 2), lf));
      a1 = _mm256_sub_epi8(a1, _mm256_cmpeq_epi8(_mm256_loadu_si256(v + 3), lf));
    }
    __m256i sums = _mm256_add_epi64(_mm256_sad_epu8(a0, zero), _mm256_sad_epu8(a1, zero));
    __m128i half = _mm_add_epi64(_mm256_castsi256_si128(sums), _mm256_extracti128_si256(sums, 1));
    n += _mm_cvtsi128_si64(half) + _mm_cvtsi128_si64(_mm_unpackhi_epi64(half, half));
  }
  P = p;
  return n;
}
#endif

// Line breaks in [p, end): every compaction counts the text it drops.
Int64 CountLF(const char* p, const char* end) {
  Int64 n = 0;
#ifdef QN_XML_WIDE_UTF8
  if (end - p >= 128 && WideUtf8Check()) n += CountLFWide(p, end);
#endif
#if defined(__SSE2__)
  // Byte counters in a register, summed before any of them can wrap.
  const __m128i lf = _mm_set1_epi8('\n'), zero = _mm_setzero_si128();
  while (end - p >= 16) {
    Int64 blocks = std::min<Int64>((end - p) / 16, 255);
    __m128i acc = zero;
    for (Int64 k = 0; k < blocks; ++k, p += 16)
      acc = _mm_sub_epi8(acc, _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), lf));
    __m128i sums = _mm_sad_epu8(acc, zero);
    n += _mm_cvtsi128_si64(sums) + _mm_cvtsi128_si64(_mm_unpackhi_epi64(sums, sums));
  }
#endif
  for (; p < end; ++p) n += *p == '\n';
  return n;
}

// ASCII letters to lower case, every other byte as it is.
char LoCase(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

bool IsBlank(char c) { return c == 9 || c == 10 || c == 13 || c == 32; }

// Blanks, '/', '>' and '[': where a tag name ends.
struct TNameStops {
  bool Stop[256] = {};
  constexpr TNameStops() {
    for (unsigned char c : {9, 10, 13, 32, 47, 62, 91}) Stop[c] = true;
  }
};
constexpr TNameStops kNameStops;

}  // namespace

bool sdWideUtf8Check() {
#ifdef QN_XML_WIDE_UTF8
  return WideUtf8Check();
#else
  return false;
#endif
}

bool sdIsUtf8(const char* S, size_t N, bool Wide) {
#ifdef QN_XML_WIDE_UTF8
  if (Wide && WideUtf8Check()) return IsUtf8Wide(reinterpret_cast<const unsigned char*>(S), N);
#endif
  const auto* s = reinterpret_cast<const unsigned char*>(S);
  for (size_t i = 0; i < N;) {
    if (s[i] < 0x80) {
      ++i;
      continue;
    }
    Integer len = Utf8SequenceLength(s + i, static_cast<Integer>(std::min<size_t>(N - i, 4)));
    if (!len) return false;
    i += static_cast<size_t>(len);
  }
  return true;
}

TsdXmlParser::TsdXmlParser(TStream* Source, Integer ChunkSize) : TsdXmlParser(Source, ChunkSize, nullptr) {}

// Streams may hand out less than asked; a chunk is filled up to the end of
// the stream, so that detection and results never depend on read sizes.
Integer TsdXmlParser::ReadFull(Byte* Buffer, Integer Count) {
  Integer got = 0;
  while (got < Count) {
    Integer n = FSource->Read(Buffer + got, Count - got);
    if (n <= 0) break;
    got += n;
  }
  return got;
}

TsdXmlParser::TsdXmlParser(TStream* Source, Integer ChunkSize, TsdParserBuffers* Spare)
    : TDebugPersistent(nullptr),
      FSource(Source),
      // Detection looks at the first four bytes, so no chunk is smaller.
      FChunkSize(ChunkSize < 1 ? 256 : ChunkSize < 4 ? 4 : ChunkSize),
      FSpare(Spare) {
  if (FSpare) {
    FRawBuffer.swap(FSpare->Raw);
    FUtf8Buffer.swap(FSpare->Text);
    FUtf8Buffer.clear();
  }
  FRawBuffer.resize(static_cast<size_t>(FChunkSize));
  FRawLastIdx = ReadFull(FRawBuffer.data(), FChunkSize);
}

TsdXmlParser::~TsdXmlParser() {
  // Blocks a large document grew are not worth keeping.
  constexpr size_t kKeep = 1 << 20;
  if (!FSpare) return;
  if (FRawBuffer.capacity() <= kKeep) FRawBuffer.swap(FSpare->Raw);
  if (FUtf8Buffer.capacity() <= kKeep) {
    FUtf8Buffer.clear();
    FUtf8Buffer.swap(FSpare->Text);
  }
}

bool TsdXmlParser::IsBinaryXml() const {
  return FRawLastIdx >= 5 && std::memcmp(FRawBuffer.data(), "$BXM", 4) == 0;
}

void TsdXmlParser::ReadBOM() {
  // A tiny text is still read: "<a/>" is a document.
  if (FRawLastIdx < 4)
    DoDebugOut(this, wsWarn, "stream terminated prematurely at pos " + std::to_string(FRawLastIdx));
  const TBomEntry* match = nullptr;
  for (const auto& e : kBoms) {
    if (FRawLastIdx >= e.Len && std::memcmp(FRawBuffer.data(), e.Bytes, static_cast<size_t>(e.Len)) == 0) {
      match = &e;
      break;
    }
  }
  if (!match) {
    // Text without BOM or "<?xml" is UTF-8 by the rules of XML, so this is
    // no more than a hint.
    if (FRawLastIdx >= 4) DoDebugOut(this, wsHint, "unknown encoding");
    FEncoding = seUTF8;
    FBomInfo = TsdBomInfo();
    FBomInfo.Encoding = seUTF8;
  } else {
    std::memcpy(FBomInfo.BOM, match->Bytes, 4);
    FBomInfo.Len = match->HasBOM ? match->Len : 0;
    FBomInfo.Encoding = match->Encoding;
    FBomInfo.HasBOM = match->HasBOM;
    FEncoding = match->Encoding;
    if (FEncoding >= seUTF32BE) {
      DoDebugOut(this, wsFail, "unsupported encoding (" + UTF8String(cStringEncodingCharsetNames(FEncoding)) + ")");
      FEndOfStream = true;
      return;
    }
    if (match->HasBOM) {
      std::memmove(FRawBuffer.data(), FRawBuffer.data() + match->Len, static_cast<size_t>(FRawLastIdx - match->Len));
      FRawLastIdx -= match->Len;
      DoDebugOut(this, wsInfo, "BOM with encoding " + UTF8String(cStringEncodingCharsetNames(FEncoding)));
    }
    // Without a BOM or declared page, a text that looks like ASCII is UTF-8.
    if (FEncoding == seAnsi) FEncoding = seUTF8;
  }
  FCodePage = FEncoding == seUTF16LE ? 1200 : FEncoding == seUTF16BE ? 1201 : 65001;
  FDecoding = true;
  EncodeChunk();
}

bool TsdXmlParser::SetCodePage(Integer ACodePage) {
  if (!FDecoding) return false;
  // What is needed to go back: the parser stands in text decoded the old
  // way, and a page that reads those bytes otherwise (or that UTF-7 shifts
  // at a byte the old page took as ASCII) would move it off its place.
  const TsdStringEncoding oldEncoding = FEncoding;
  const Integer oldCodePage = FCodePage;
  std::unique_ptr<vcl::TMultiByteDecoder> oldDecoder = std::move(FDecoder);
  const Integer oldDecodedIdx = FRawDecodedIdx;
  const bool oldLastChar0D = FLastChar0D;
  const size_t first = static_cast<size_t>(FUtf8FirstIdx);
  const size_t parsed = static_cast<size_t>(std::max(FUtf8CurrentIdx, FUtf8FirstIdx));
  std::string oldText(FUtf8Buffer.data() + first, FUtf8Buffer.size() - first);
  if (ACodePage == 0 || ACodePage == 65001) {
    FEncoding = seUTF8;
    FCodePage = 65001;
  } else {
    FEncoding = seAnsi;
    FCodePage = ACodePage;
    // One decoder for the rest of the text; the chunk decoded again starts
    // in the page's initial state, as its declaration is in ASCII.
    FDecoder = std::make_unique<TMultiByteDecoder>(static_cast<UINT>(ACodePage));
    if (!FDecoder->Valid()) FDecoder.reset();
  }
  EncodeChunk();
  if (FUtf8Buffer.size() >= parsed &&
      std::memcmp(FUtf8Buffer.data() + first, oldText.data(), parsed - first) == 0)
    return true;
  FEncoding = oldEncoding;
  FCodePage = oldCodePage;
  FDecoder = std::move(oldDecoder);
  FRawDecodedIdx = oldDecodedIdx;
  FLastChar0D = oldLastChar0D;
  FUtf8Buffer.resize(first);
  FUtf8Buffer.append(oldText.data(), oldText.size());
  return false;
}

// Decodes raw [From, To) onto the end of the UTF-8 buffer. Bytes of a
// character cut off by the end stay undecoded for the next chunk unless
// Final.
void TsdXmlParser::DecodeRaw(Integer From, Integer To, bool Final) {
  Integer count = To - From;
  const char* src = reinterpret_cast<const char*>(FRawBuffer.data()) + From;
  Integer used = count;
  switch (FEncoding) {
    case seUTF8: {
      // Valid UTF-8 is copied; anything else goes through UTF-16, which
      // puts U+FFFD where bytes do not decode, so that the document never
      // holds text it could not write in another encoding.
      Integer tail = Final ? count : CompleteUtf8Length(src, count);
      size_t at = FUtf8Buffer.size();
      FUtf8Buffer.resize(at + static_cast<size_t>(tail) + 32);
      Integer n = CopyUtf8Normalised(src, tail, FUtf8Buffer.data() + at, FLastChar0D);
      if (n >= 0) {
        FUtf8Buffer.resize(at + static_cast<size_t>(n));
        used = tail;
      } else {
        FUtf8Buffer.resize(at);
        std::u16string w(static_cast<size_t>(count), u'\0');
        Integer consumed = count;
        Integer units = sdUtf8ToWideBuffer(src, w.data(), count, Final ? nullptr : &consumed);
        FUtf8Buffer.resize(at + static_cast<size_t>(units) * 3);
        Integer written = sdWideToUtf8Buffer(w.data(), FUtf8Buffer.data() + at, units, FLastChar0D);
        FUtf8Buffer.resize(at + static_cast<size_t>(written));
        used = consumed;
      }
      break;
    }
    case seAnsi: {
      if (!FDecoder) {
        // A page the host cannot convert: ASCII survives, the rest is marked.
        Integer n = sdAnsiToUtf8Buffer(src, FScratch, FCodePage, FLastChar0D, count, Final ? nullptr : &used);
        FUtf8Buffer.append(reinterpret_cast<const char*>(FScratch.data()), static_cast<size_t>(n));
        break;
      }
      FWide.clear();
      used = FDecoder->Decode(src, count, FWide, Final);
      size_t at = FUtf8Buffer.size();
      FUtf8Buffer.resize(at + FWide.size() * 3 + 3);
      Integer n = sdWideToUtf8Buffer(FWide.data(), FUtf8Buffer.data() + at, static_cast<Integer>(FWide.size()),
                                     FLastChar0D);
      FUtf8Buffer.resize(at + static_cast<size_t>(n));
      break;
    }
    case seUTF16LE:
    case seUTF16BE: {
      Integer units = count / 2;
      std::u16string w(static_cast<size_t>(units), u'\0');
      for (Integer i = 0; i < units; ++i) {
        Byte lo = static_cast<Byte>(src[2 * i]), hi = static_cast<Byte>(src[2 * i + 1]);
        if (FEncoding == seUTF16BE) std::swap(lo, hi);
        w[static_cast<size_t>(i)] = static_cast<char16_t>(lo | (hi << 8));
      }
      size_t at = FUtf8Buffer.size();
      FUtf8Buffer.resize(at + static_cast<size_t>(units) * 3 + 3);
      Integer usedUnits = units;
      Integer n = sdWideToUtf8Buffer(w.data(), FUtf8Buffer.data() + at, units, FLastChar0D, Final ? nullptr : &usedUnits);
      used = usedUnits * 2;
      if (Final && count % 2) {
        // An odd last byte: a broken character.
        n += sdUtf16ToUtf8Mem(u"\uFFFD", FUtf8Buffer.data() + at + n, 1);
        used = count;
      }
      FUtf8Buffer.resize(at + static_cast<size_t>(n));
      break;
    }
    default:
      break;
  }
  FRawDecodedIdx = From + used;
}

void TsdXmlParser::EncodeChunk() {
  FUtf8Buffer.resize(static_cast<size_t>(FUtf8FirstIdx));
  FLastChar0D = FChunkStartCR;
  DecodeRaw(FRawFirstIdx, FRawLastIdx, false);
}

void TsdXmlParser::ReadNextChunk() {
  // Undecoded bytes of the previous chunk travel to the front of this one.
  Integer carry = FRawLastIdx - FRawDecodedIdx;
  Integer keep = FRawDecodedIdx;
  if (keep > 0) {
    std::memmove(FRawBuffer.data(), FRawBuffer.data() + keep, static_cast<size_t>(carry));
    FRawLastIdx = carry;
    FRawDecodedIdx = 0;
  }
  if (FRawBuffer.size() < static_cast<size_t>(carry + FChunkSize)) FRawBuffer.resize(static_cast<size_t>(carry + FChunkSize));
  Integer n = ReadFull(FRawBuffer.data() + carry, FChunkSize);
  if (n <= 0) {
    // The end: whatever is still pending is decoded as it is.
    if (carry > 0) {
      FRawFirstIdx = 0;
      FUtf8FirstIdx = static_cast<Integer>(FUtf8Buffer.size());
      FChunkStartCR = FLastChar0D;
      DecodeRaw(0, FRawLastIdx, true);
      FRawLastIdx = FRawDecodedIdx = 0;
      if (FUtf8FirstIdx < static_cast<Integer>(FUtf8Buffer.size())) return;
    }
    FEndOfStream = true;
    return;
  }
  FRawFirstIdx = 0;
  FRawLastIdx = carry + n;
  FUtf8FirstIdx = static_cast<Integer>(FUtf8Buffer.size());
  FChunkStartCR = FLastChar0D;
  DecodeRaw(0, FRawLastIdx, false);
}

bool TsdXmlParser::MakeDataAvailable() {
  while (FUtf8CurrentIdx >= static_cast<Integer>(FUtf8Buffer.size())) {
    if (FEndOfStream || !FDecoding) {
      FEndOfStream = true;
      return false;
    }
    ReadNextChunk();
  }
  return true;
}

char TsdXmlParser::NextCharSlow() {
  if (!MakeDataAvailable()) return 0;
  return FUtf8Buffer[static_cast<size_t>(FUtf8CurrentIdx++)];
}

bool TsdXmlParser::Ensure(Integer Count) {
  while (static_cast<Integer>(FUtf8Buffer.size()) - FUtf8CurrentIdx < Count) {
    if (FEndOfStream || !FDecoding) return false;
    ReadNextChunk();
    if (FEndOfStream) {
      // The end of the stream counts only once everything is read.
      if (FUtf8CurrentIdx < static_cast<Integer>(FUtf8Buffer.size())) FEndOfStream = false;
      return false;
    }
  }
  return true;
}

void TsdXmlParser::MoveBackFailed() { throw EAssertionFailed(u"parser cannot move back before its buffer"); }

char TsdXmlParser::NextCharSkipBlanks(UTF8String& Blanks) {
  std::string_view b;
  char c = SkipBlanks(b);
  Blanks.assign(b.data(), b.size());
  return c;
}

char TsdXmlParser::SkipBlanksSlow(std::string_view& Blanks) {
  Integer start = FUtf8CurrentIdx;
  for (;;) {
    if (FUtf8CurrentIdx >= static_cast<Integer>(FUtf8Buffer.size()) && !MakeDataAvailable()) {
      Blanks = ViewOf(start, FUtf8CurrentIdx);
      return 0;
    }
    const char* p = FUtf8Buffer.data();
    Integer end = static_cast<Integer>(FUtf8Buffer.size());
    Integer i = FUtf8CurrentIdx;
    while (i < end && IsBlank(p[i])) ++i;
    FUtf8CurrentIdx = i;
    if (i < end) {
      Blanks = ViewOf(start, i);
      ++FUtf8CurrentIdx;
      return p[i];
    }
  }
}

bool TsdXmlParser::CheckString(std::string_view S) {
  Integer start = FUtf8CurrentIdx;
  // All of S in the text at hand: compared there, as NextChar would give
  // it (a NUL before the end of the text is a byte like any other).
  if (static_cast<size_t>(static_cast<Integer>(FUtf8Buffer.size()) - start) >= S.size()) {
    const char* p = FUtf8Buffer.data() + start;
    for (size_t k = 0; k < S.size(); ++k)
      if (LoCase(p[k]) != LoCase(S[k])) return false;
    FUtf8CurrentIdx = start + static_cast<Integer>(S.size());
    return true;
  }
  for (char want : S) {
    char c = NextChar();
    if (c == 0 && FEndOfStream) {
      FUtf8CurrentIdx = start;
      return false;
    }
    if (LoCase(c) != LoCase(want)) {
      FUtf8CurrentIdx = start;
      return false;
    }
  }
  return true;
}

UTF8String TsdXmlParser::ReadString(Integer Start, Integer Count) const {
  if (Count < 1 || Start < 0 || Start >= static_cast<Integer>(FUtf8Buffer.size())) return {};
  return FUtf8Buffer.substr(static_cast<size_t>(Start), static_cast<size_t>(Count));
}

std::string_view TsdXmlParser::ReadViewUntilCharSlow(char C, Integer Start) {
  Integer start = Start;
  FUtf8CurrentIdx = static_cast<Integer>(FUtf8Buffer.size() > static_cast<size_t>(FUtf8CurrentIdx) ? FUtf8Buffer.size()
                                                                                                  : FUtf8CurrentIdx);
  for (;;) {
    if (FUtf8CurrentIdx >= static_cast<Integer>(FUtf8Buffer.size()) && !MakeDataAvailable())
      return ViewOf(start, FUtf8CurrentIdx);
    const char* base = FUtf8Buffer.data() + FUtf8CurrentIdx;
    const char* last = FUtf8Buffer.data() + FUtf8Buffer.size();
    const char* hit = sdFindByte(base, last, C);
    if (hit != last) {
      Integer end = FUtf8CurrentIdx + static_cast<Integer>(hit - base);
      FUtf8CurrentIdx = end + 1;
      return ViewOf(start, end);
    }
    FUtf8CurrentIdx += static_cast<Integer>(last - base);
  }
}

const char* TsdXmlParser::FindAtHand(const char*& q, const char* end, std::string_view S) {
  const size_t len = S.size();
  for (;;) {
    q = sdFindByte(q, end, S[0]);
    if (static_cast<size_t>(end - q) < len) return nullptr;
    size_t k = 1;
    while (k < len && LoCase(q[k]) == LoCase(S[k])) ++k;
    if (k == len) return q;
    ++q;
  }
}

std::string_view TsdXmlParser::ReadViewUntil(std::string_view S) {
  if (S.empty()) return {};
  Integer start = FUtf8CurrentIdx;
  Integer len = static_cast<Integer>(S.size());
  // The end of a comment or section mostly stands in the text at hand:
  // found there without a call. A candidate too near the end of the text
  // at hand, or none, is left to the loop below, which reads on.
  if (start < static_cast<Integer>(FUtf8Buffer.size())) {
    const char* data = FUtf8Buffer.data();
    const char* end = data + FUtf8Buffer.size();
    const char* q = data + start;
    if (const char* hit = FindAtHand(q, end, S)) {
      Integer at = static_cast<Integer>(hit - data);
      FUtf8CurrentIdx = at + len;
      return ViewOf(start, at);
    }
    FUtf8CurrentIdx = static_cast<Integer>(q - data);
  }
  for (;;) {
    if (FUtf8CurrentIdx >= static_cast<Integer>(FUtf8Buffer.size()) && !MakeDataAvailable()) {
      DoDebugOut(this, wsWarn, "stream terminated prematurely at pos " + std::to_string(GetPosition()));
      return {};
    }
    const char* base = FUtf8Buffer.data() + FUtf8CurrentIdx;
    size_t avail = FUtf8Buffer.size() - static_cast<size_t>(FUtf8CurrentIdx);
    const void* hit = std::memchr(base, S[0], avail);
    if (!hit) {
      FUtf8CurrentIdx += static_cast<Integer>(avail);
      continue;
    }
    Integer at = FUtf8CurrentIdx + static_cast<Integer>(static_cast<const char*>(hit) - base);
    FUtf8CurrentIdx = at;
    Ensure(len);
    bool match = static_cast<Integer>(FUtf8Buffer.size()) - at >= len;
    for (Integer k = 1; match && k < len; ++k)
      match = LoCase(FUtf8Buffer[static_cast<size_t>(at + k)]) == LoCase(S[static_cast<size_t>(k)]);
    if (match) {
      FUtf8CurrentIdx = at + len;
      return ViewOf(start, at);
    }
    FUtf8CurrentIdx = at + 1;
  }
}

std::string_view TsdXmlParser::ReadViewUntilBlankOrEndTag() {
  Integer start = FUtf8CurrentIdx;
  for (;;) {
    if (FUtf8CurrentIdx >= static_cast<Integer>(FUtf8Buffer.size()) && !MakeDataAvailable()) {
      DoDebugOut(this, wsWarn, "stream terminated prematurely at pos " + std::to_string(GetPosition()));
      return {};
    }
    const char* p = FUtf8Buffer.data();
    Integer end = static_cast<Integer>(FUtf8Buffer.size());
    Integer i = FUtf8CurrentIdx;
    while (i < end && !kNameStops.Stop[static_cast<unsigned char>(p[i])]) ++i;
    FUtf8CurrentIdx = i;
    if (i < end) return ViewOf(start, i);
  }
}

UTF8String TsdXmlParser::ReadStringUntilChar(char C) { return UTF8String(ReadViewUntilChar(C)); }

UTF8String TsdXmlParser::ReadStringUntil(std::string_view S) { return UTF8String(ReadViewUntil(S)); }

UTF8String TsdXmlParser::ReadStringUntilBlankOrEndTag() { return UTF8String(ReadViewUntilBlankOrEndTag()); }

TsdElementType TsdXmlParser::ReadOpenTagSlow() {
  char c = NextChar();
  if (c == 0 && FEndOfStream) return xeError;
  switch (c) {
    case '!': {
      // Comments and sections, mostly, told from the text at hand.
      const Integer at = FUtf8CurrentIdx;
      if (static_cast<Integer>(FUtf8Buffer.size()) - at >= 7) {
        const char* p = FUtf8Buffer.data() + at;
        if (p[0] == '-' && p[1] == '-') {
          FUtf8CurrentIdx = at + 2;
          return xeComment;
        }
        // The letters in either case, the brackets as they are.
        if (p[0] == '[' && LoCase(p[1]) == 'c' && LoCase(p[2]) == 'd' && LoCase(p[3]) == 'a' &&
            LoCase(p[4]) == 't' && LoCase(p[5]) == 'a' && p[6] == '[') {
          FUtf8CurrentIdx = at + 7;
          return xeCData;
        }
      }
      char k = NextChar();
      switch (LoCase(k)) {
        case 'e':
          if (CheckString("lement")) return xeDtdElement;
          if (CheckString("ntity")) return xeDtdEntity;
          return xeError;
        case 'n': return CheckString("otation") ? xeDtdNotation : xeError;
        case 'd': return CheckString("octype") ? xeDocType : xeError;
        case '-': return CheckString("-") ? xeComment : xeError;
        case '[': return CheckString("cdata[") ? xeCData : xeError;
        case 'a': return CheckString("ttlist") ? xeDtdAttList : xeError;
        default:
          DoDebugOut(this, wsFail,
                     "illegal tag (\"" + UTF8String(1, k) + "\") at pos " + std::to_string(GetPosition()));
          return xeError;
      }
    }
    case '/': return xeEndTag;
    case '?': {
      // "<?xml" only as a whole word; "<?xmlfoo?>" is an instruction.
      Integer start = FUtf8CurrentIdx;
      if (static_cast<Integer>(FUtf8Buffer.size()) - start >= 4) {
        // Mostly the name and the byte behind it are at hand: a
        // declaration or an instruction told without reading on.
        const char* p = FUtf8Buffer.data() + start;
        if (LoCase(p[0]) != 'x' || LoCase(p[1]) != 'm' || LoCase(p[2]) != 'l') return xeInstruction;
        if (IsBlank(p[3]) || p[3] == '?') {
          FUtf8CurrentIdx = start + 3;
          return xeDeclaration;
        }
      }
      if (CheckString("xml")) {
        if (CheckString("-stylesheet")) return xeStylesheet;
        char n = NextChar();
        if (IsBlank(n) || n == '?') {
          MoveBack();
          return xeDeclaration;
        }
        FUtf8CurrentIdx = start;
      }
      return xeInstruction;
    }
    default:
      MoveBack();
      return xeElement;
  }
}

Int64 TsdXmlParser::GetLineNumber() const {
  const char* p = FUtf8Buffer.data();
  Integer end = std::min(FUtf8CurrentIdx, static_cast<Integer>(FUtf8Buffer.size()));
  return FBaseLineNumber + CountLF(p, p + (end > 0 ? end : 0));
}

void TsdXmlParser::Compact() {
  // Text before the read position is never read again; dropping it keeps
  // the buffer the size of an element, whatever the document's size (Flush
  // says when).
  Integer cut = FUtf8CurrentIdx;
  FBaseLineNumber += CountLF(FUtf8Buffer.data(), FUtf8Buffer.data() + cut);
  FUtf8BasePosition += cut;
  FUtf8Buffer.erase_front(static_cast<size_t>(cut));
  FUtf8CurrentIdx = 0;
  // The most recent chunk can no longer be decoded again from its start.
  FUtf8FirstIdx = FUtf8FirstIdx > cut ? FUtf8FirstIdx - cut : 0;
  if (FUtf8FirstIdx == 0) {
    FRawFirstIdx = FRawDecodedIdx;
    FChunkStartCR = FLastChar0D;
    FUtf8FirstIdx = static_cast<Integer>(FUtf8Buffer.size());
  }
}

}  // namespace qn
