// The XML document library. Inside it every name and value is UTF-8 with
// LF line breaks and the five markup characters escaped; this header gives
// the routines that keep text in that form (escapes, references, line
// breaks, UTF-8/UTF-16/code-page conversions, the encoding writer) and the
// text forms of typed values (numbers, booleans, dates, Base64, character-
// set names).
#pragma once
#include "platform/rtl/MacroShield.h"

#include <functional>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/classes/Lists.h"
#include "platform/classes/Strings.h"
#include "platform/rtl/SysUtils.h"
#include "xml/sdDebug_qn.h"
#include "xml/sdStreams_qn.h"
#include "xml/sdStringTable_qn.h"

namespace qn {

// ---------------------------------------------------------------------------
// Encodings

enum class TsdStringEncoding : Byte {
  seAnsi, seUTF8, seUTF16BE, seUTF16LE, seUTF32BE, seUTF32LE, seUCS4_2143, seUCS4_3412, seEBCDIC
};
inline constexpr TsdStringEncoding seAnsi = TsdStringEncoding::seAnsi;
inline constexpr TsdStringEncoding seUTF8 = TsdStringEncoding::seUTF8;
inline constexpr TsdStringEncoding seUTF16BE = TsdStringEncoding::seUTF16BE;
inline constexpr TsdStringEncoding seUTF16LE = TsdStringEncoding::seUTF16LE;
inline constexpr TsdStringEncoding seUTF32BE = TsdStringEncoding::seUTF32BE;
inline constexpr TsdStringEncoding seUTF32LE = TsdStringEncoding::seUTF32LE;
inline constexpr TsdStringEncoding seUCS4_2143 = TsdStringEncoding::seUCS4_2143;
inline constexpr TsdStringEncoding seUCS4_3412 = TsdStringEncoding::seUCS4_3412;
inline constexpr TsdStringEncoding seEBCDIC = TsdStringEncoding::seEBCDIC;

// The names messages use: "ansi", "utf-8", "unicodeFFFE", "utf-16", ...
const char* cStringEncodingCharsetNames(TsdStringEncoding Encoding);

enum class TsdEolStyle : Byte { esLF, esCRLF, esCR };
inline constexpr TsdEolStyle esLF = TsdEolStyle::esLF;
inline constexpr TsdEolStyle esCRLF = TsdEolStyle::esCRLF;
inline constexpr TsdEolStyle esCR = TsdEolStyle::esCR;

// ---------------------------------------------------------------------------
// The encoding writer: UTF-8 in, the document's encoding out, in chunks.

class TsdXmlWriter : public TsdBufferWriter {
  QN_CLASS(TsdXmlWriter, TsdBufferWriter)
 public:
  TsdXmlWriter(TDebugComponent* Owner, TStream* Stream, Integer ChunkSize);
  ~TsdXmlWriter() override;

  using TsdBufferWriter::Write;
  // Count bytes of UTF-8 passed on in FEncoding; returns Count, the UTF-8
  // consumed (a stream's WriteBuffer would otherwise write the rest again),
  // or 0 with the failure "unsupported encoding (%s)" for an encoding the
  // writer cannot produce. Characters the code page lacks become "?" with
  // one warning per call.
  Integer Write(const void* Buffer, Integer Count) override;
  void DoDebugOut(TObject* Sender, TsdWarnStyle WarnStyle, const UTF8String& AMessage);

  TsdStringEncoding Encoding() const { return FEncoding; }
  void SetEncoding(TsdStringEncoding Value) { FEncoding = Value; }
  Integer CodePage() const { return FCodePage; }
  void SetCodePage(Integer Value) { FCodePage = Value; }

 protected:
  TDebugComponent* FOwner;
  TBytes FRawBuffer;  // conversion buffer, grown to the largest need and kept
  Integer FRawBufferSize = 0;
  TsdStringEncoding FEncoding = seUTF8;
  Integer FCodePage = 65001;
};

// ---------------------------------------------------------------------------
// Stream routines

void sdWriteToStream(TStream* S, const UTF8String& Value);
UTF8String sdReadFromStream(TStream* S, Integer Count);

// ---------------------------------------------------------------------------
// Escapes and references

// "<" "&lt;", ">" "&gt;", "&" "&amp;", "'" "&apos;", '"' "&quot;"; text
// without any of them comes back as it was.
UTF8String sdEscapeString(const UTF8String& AValue);
// References resolved: the five named ones, and numeric ones that name an
// XML character (up to U+10FFFF); anything else stays as written.
UTF8String sdReplaceString(const UTF8String& AValue);
// Also tells whether a reference was met that is neither of those.
UTF8String sdReplaceString(const UTF8String& AValue, bool& HasNonStandardReferences);
// Other named references are looked up by name (without "&" and ";") in
// Entities and replaced by the value found; unknown ones stay as written.
using TsdEntityMap = std::unordered_map<UTF8String, UTF8String>;
UTF8String sdReplaceString(const UTF8String& AValue, bool& HasNonStandardReferences, const TsdEntityMap& Entities);

// ---------------------------------------------------------------------------
// Line breaks

// CR LF and lone CR become LF.
UTF8String sdNormaliseEol(const UTF8String& S);
// LF becomes the style's break.
UTF8String sdUnNormaliseEol(const UTF8String& S, TsdEolStyle EolStyle);
// The same on a buffer (Dest holds at least Count bytes); LastCharWasCR
// carries a CR at the end of one buffer into the next. Returns the bytes
// written.
Integer sdNormaliseBuffer(const char* Source, char* Dest, Integer Count, bool& LastCharWasCR);

// ---------------------------------------------------------------------------
// UTF-8, UTF-16 and code pages. Characters above U+FFFF are four-byte UTF-8
// and surrogate pairs; what does not decode becomes U+FFFD. Buffer forms
// that take Consumed leave an incomplete sequence at the end undecoded and
// say how much was used, so a reader that gets its input in pieces can
// carry the rest over; without it, the incomplete end becomes U+FFFD.

UTF8String sdWideToUtf8(const String& W);  // line breaks normalised
String sdUtf8ToWide(const UTF8String& S);
// Dest needs 3 bytes per unit. Line breaks normalised as in sdNormaliseBuffer.
Integer sdWideToUtf8Buffer(const char16_t* Source, char* Dest, Integer Count, bool& LastCharWasCR,
                           Integer* Consumed = nullptr);
// Dest needs one unit per byte.
Integer sdUtf8ToWideBuffer(const char* Source, char16_t* Dest, Integer Count, Integer* Consumed = nullptr);
// Text of a code page to UTF-8, line breaks normalised.
UTF8String sdAnsiToUtf8(const RawByteString& S, Integer CodePage);
// Dest is grown as needed (never shrunk); returns the bytes written to it.
Integer sdAnsiToUtf8Buffer(const char* Source, TBytes& Dest, Integer CodePage, bool& LastCharWasCR, Integer Count,
                           Integer* Consumed = nullptr);
RawByteString sdUtf8ToAnsi(const UTF8String& S, Integer CodePage);
// Dest is grown as needed (never shrunk); DefaultCharUsed tells whether "?"
// stood in for a character the page lacks. Returns the bytes written.
Integer sdUtf8ToAnsiBuffer(const char* Source, TBytes& Dest, Integer CodePage, bool& DefaultCharUsed, Integer Count);
// Length of the character at P, looking at no more than Available bytes:
// 2..4 for a lead byte followed by enough continuation bytes, else 1.
Integer sdUtf8CharacterLength(const char* P, Integer Available);
// Case-insensitive comparison by case-folded code points (simple folding
// of the host's character tables, ASCII without a detour); negative, 0 or
// positive. This is a code-point order, not a dictionary order.
Integer Utf8CompareText(std::string_view S1, std::string_view S2);

// Blanks are all bytes up to 32.
UTF8String sdTrim(const UTF8String& S);
UTF8String sdTrim(const UTF8String& S, bool& IsTrimmed);
UTF8String sdTrim(const UTF8String& S, UTF8String& PreString, UTF8String& PostString);

// ---------------------------------------------------------------------------
// Value text formats

// Locale-independent settings every float parse uses, filled at unit
// initialisation.
extern TFormatSettings cXmlFormatSettings;

UTF8String sdIntToString(Integer Value);
UTF8String sdInt64ToString(Int64 Value);
Integer sdIntFromString(const UTF8String& Value);  // EConvertError on bad text
Int64 sdInt64FromString(const UTF8String& Value);
UTF8String sdBoolToString(bool Value);  // "false" / "true"
bool sdBoolFromString(const UTF8String& Value);
// SignificantDigits 1..9 (else "significant digits out of range"); values
// below 1 have no leading zero (".5"); infinities and NaN are "INF", "-INF"
// and "NAN".
UTF8String sdFloatToString(double Value, Integer SignificantDigits, bool AllowScientific);
UTF8String sdFloatToString(double Value);
double sdFloatFromString(const UTF8String& Value);
UTF8String sdCommaToDot(const UTF8String& Value);

// "2010-03-07T14:05:09.120+01:00". With UseLocalBias the zone is the bias in
// force at the value's own local time, otherwise "Z" is written.
UTF8String sdDateTimeToString(TDateTime ADate, bool UseDate = true, bool UseTime = true, Integer SplitSecondDigits = 0,
                              bool UseLocalBias = false);
// Reads a date, optionally "T" or a blank and hh:mm[:ss[.fraction]], and
// optionally "Z" or ±hh:mm / ±hhmm. With UseLocalBias the result is local
// time (a zone, or "Z", says what the text's time is relative to);
// without, the time is taken as written. Bad text raises EConvertError.
TDateTime sdStringToDateTime(const UTF8String& ADate, bool UseLocalBias = false);
TDateTime sdStringToDateTimeDef(const UTF8String& ADate, TDateTime ADefault, bool UseLocalBias = false);
// Minutes, UTC = local time + bias: now, and at a given local time.
Integer GetTimeZoneBias();
Integer GetTimeZoneBias(TDateTime LocalTime);

// Base64 (no line breaks) and hexadecimal. Decoding ignores tab, LF, CR and
// space; text of the wrong length, characters outside the alphabet and "="
// anywhere but the last two places raise EFilerError "error while
// calculating streamlength"; too little data for a buffer raises
// "missing data in binary stream".
UTF8String EncodeBase64(const RawByteString& Source);
UTF8String EncodeBase64Buf(const void* Buffer, Integer Count);
RawByteString DecodeBase64(const UTF8String& Source);
void DecodeBase64Buf(UTF8String& Source, void* Buffer, Integer Count);
RawByteString DecodeBinHex(const UTF8String& Source);
void DecodeBinhexBuf(UTF8String& Source, void* Buffer, Integer Count);
UTF8String sdRemoveControlChars(const UTF8String& AValue);
// Chars between blocks of Interval characters (never before the first or
// after the last).
UTF8String sdAddControlChars(const UTF8String& AValue, const UTF8String& Chars, Integer Interval);

// Character-set names of declarations and code pages.
struct TsdCharsetRow {
  const char* Name;
  Integer CodePage;
};
// The 143 rows, searched first to last.
const TsdCharsetRow* cCharsetTable(Integer& Count);
Integer sdCharsetToCodePage(const UTF8String& ACharset, Integer ADefault = 65001);
TsdStringEncoding sdCharsetToStringEncoding(const UTF8String& ACharset);
UTF8String sdCodepageToCharset(Integer ACodepage);
// The name other XML processors know for a page whose name in the table
// they do not (or know as another page), nullptr for the others; loads
// accept these names too.
const char* sdInterchangeCharsetName(Integer ACodepage);

void InitPlainXml();
void DonePlainXml();

}  // namespace qn

#include "xml/PlainXml_qn_Nodes.h"

namespace qn {

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
