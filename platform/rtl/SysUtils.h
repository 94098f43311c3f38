// The platform's SysUtils: strings with 1-based routines, Format and the
// conversions, format settings, date and time, files and paths, and the
// character helpers the rest of the system uses.
#pragma once
#include "platform/rtl/MacroShield.h"

#include <array>
#include <concepts>
#include <functional>
#include <initializer_list>
#include <limits>
#include <vector>

#include "platform/rtl/System.h"

namespace vcl {

constexpr Integer MaxInt = std::numeric_limits<Integer>::max();
constexpr Integer MaxLongInt = MaxInt;

// ---------------------------------------------------------------------------
// Format settings. The defaults are those of US English, the platform's
// default locale; FormatSettings is the process-wide set every routine
// without an explicit TFormatSettings reads.

struct TFormatSettings {
  String CurrencyString = u"$";
  Byte CurrencyFormat = 0;   // 0 "$1", 1 "1$", 2 "$ 1", 3 "1 $"
  Byte NegCurrFormat = 0;    // 0 "($1)" ... 15 "(1 $)", as the platform numbers them
  Byte CurrencyDecimals = 2;
  Char ThousandSeparator = u',';
  Char DecimalSeparator = u'.';
  Char DateSeparator = u'/';
  Char TimeSeparator = u':';
  Char ListSeparator = u',';
  String ShortDateFormat = u"M/d/yyyy";
  String LongDateFormat = u"dddd, MMMM d, yyyy";
  String TimeAMString = u"AM";
  String TimePMString = u"PM";
  String ShortTimeFormat = u"h:mm AMPM";
  String LongTimeFormat = u"h:mm:ss AMPM";
  std::array<String, 12> ShortMonthNames{u"Jan", u"Feb", u"Mar", u"Apr", u"May", u"Jun",
                                         u"Jul", u"Aug", u"Sep", u"Oct", u"Nov", u"Dec"};
  std::array<String, 12> LongMonthNames{u"January", u"February", u"March",     u"April",   u"May",      u"June",
                                        u"July",    u"August",   u"September", u"October", u"November", u"December"};
  std::array<String, 7> ShortDayNames{u"Sun", u"Mon", u"Tue", u"Wed", u"Thu", u"Fri", u"Sat"};
  std::array<String, 7> LongDayNames{u"Sunday",   u"Monday", u"Tuesday", u"Wednesday",
                                     u"Thursday", u"Friday", u"Saturday"};
  Word TwoDigitYearCenturyWindow = 50;

  // The defaults above.
  static TFormatSettings Create() { return TFormatSettings(); }
  // Locale-independent settings for files and protocols: "MM/dd/yyyy", "HH:nn:ss", no currency sign.
  static TFormatSettings Invariant();
};

extern TFormatSettings FormatSettings;
// Strings StrToBool accepts and BoolToStr(b, true) writes (first entry);
// empty means "True" / "False".
extern std::vector<String> TrueBoolStrs;
extern std::vector<String> FalseBoolStrs;

// ---------------------------------------------------------------------------
// Strings. Indices are 1-based, as in code written for the platform, and
// out-of-range arguments are clipped the way the platform clips them.

inline Integer Length(const String& s) { return static_cast<Integer>(s.size()); }
inline Integer Length(const AnsiString& s) { return static_cast<Integer>(s.size()); }
inline void SetLength(String& s, Integer n) { s.resize(n > 0 ? static_cast<size_t>(n) : 0); }
// Index below 1 counts from 1; a count below 1 or a start past the end gives ''.
String Copy(const String& s, Integer index, Integer count = MaxInt);
// 0 when not found or when sub is empty.
Integer Pos(const String& sub, const String& s, Integer offset = 1);
// 0 also for an offset below 1 or past the end.
Integer PosEx(const String& sub, const String& s, Integer offset = 1);
inline Integer AnsiPos(const String& sub, const String& s) { return Pos(sub, s); }
// Nothing happens for an index outside 1..Length(s) or a count below 1.
void Delete(String& s, Integer index, Integer count);
// An index below 1 inserts at the front, past the end appends.
void Insert(const String& source, String& s, Integer index);
String StringOfChar(Char c, Integer count);
// Trim* remove blanks and control characters (everything up to U+0020).
String Trim(const String& s);
String TrimLeft(const String& s);
String TrimRight(const String& s);
// ASCII letters only.
String UpperCase(const String& s);
String LowerCase(const String& s);
// Every cased letter the character tables know (Latin, Greek, Cyrillic,
// Armenian, full-width).
String AnsiUpperCase(const String& s);
String AnsiLowerCase(const String& s);
// Ordinal comparisons: the result is the difference of the first unequal
// characters (or of the lengths), as the platform returns it.
Integer CompareStr(const String& a, const String& b);
Integer CompareText(const String& a, const String& b);  // ASCII case folded
bool SameStr(const String& a, const String& b);
bool SameText(const String& a, const String& b);        // ASCII case folded
// Linguistic comparisons (-1, 0, 1): letters by their base letter first, then
// accents, then case (lower before upper), as a user expects a list sorted.
Integer AnsiCompareStr(const String& a, const String& b);
Integer AnsiCompareText(const String& a, const String& b);
bool AnsiSameStr(const String& a, const String& b);
bool AnsiSameText(const String& a, const String& b);

enum class TReplaceFlag { rfReplaceAll, rfIgnoreCase };
using TReplaceFlags = TSet<TReplaceFlag>;
String StringReplace(const String& s, const String& oldPattern, const String& newPattern, TReplaceFlags flags = {});

String QuotedStr(const String& s);
String AnsiQuotedStr(const String& s, Char quote);
// Takes a quoted string from p, leaving p after the closing quote (or at the
// end); '' when p does not start with the quote.
String AnsiExtractQuotedStr(const Char*& p, Char quote);
// The text without its quotes; s itself when it is not properly quoted.
String AnsiDequotedStr(const String& s, Char quote);

// Position (1-based) of the last character of s that is in delimiters; 0 if none.
Integer LastDelimiter(const String& delimiters, const String& s);
bool IsDelimiter(const String& delimiters, const String& s, Integer index);
// Line breaks of any kind become CR LF.
String AdjustLineBreaks(const String& s);

// Characters below 256 tested against a set of ANSI characters.
class TSysCharSet {
 public:
  constexpr TSysCharSet() = default;
  constexpr TSysCharSet(std::initializer_list<char> cs) {
    for (char c : cs) Include(static_cast<unsigned char>(c));
  }
  static constexpr TSysCharSet Range(unsigned char from, unsigned char to) {
    TSysCharSet s;
    for (unsigned c = from; c <= to; ++c) s.Include(static_cast<unsigned char>(c));
    return s;
  }
  constexpr TSysCharSet& Include(unsigned char c) { FBits[c >> 6] |= UInt64(1) << (c & 63); return *this; }
  constexpr bool Contains(unsigned c) const { return c < 256 && ((FBits[c >> 6] >> (c & 63)) & 1); }
  friend constexpr TSysCharSet operator+(TSysCharSet a, const TSysCharSet& b) {
    for (int i = 0; i < 4; ++i) a.FBits[i] |= b.FBits[i];
    return a;
  }

 private:
  UInt64 FBits[4] = {};
};
constexpr bool CharInSet(Char c, const TSysCharSet& set) { return set.Contains(c); }
constexpr bool CharInSet(AnsiChar c, const TSysCharSet& set) { return set.Contains(static_cast<unsigned char>(c)); }

// Null-terminated UTF-16 to String; nullptr gives ''.
String WideCharToString(const WideChar* s);
String WideCharLenToString(const WideChar* s, Integer len);
inline UTF8String UTF8Encode(const String& s) { return ToUtf8(s); }
inline String UTF8ToString(const UTF8String& s) { return FromUtf8(s); }
inline String UTF8Decode(const UTF8String& s) { return FromUtf8(s); }

// ---------------------------------------------------------------------------
// Format. Syntax: "%" [index ":"] ["-"] [width] ["." precision] type, with
// "*" taking width or precision from the arguments, "%%" for a percent sign,
// and the types d u x X e f g n m p s (either case). A type that does not fit
// its argument raises EConvertError "Format '%s' invalid or incompatible with
// argument"; a missing argument "No argument for format '%s'".

String Format(const String& fmt, std::initializer_list<TVarRec> args);
String Format(const String& fmt, std::initializer_list<TVarRec> args, const TFormatSettings& fs);
String Format(const String& fmt, const std::vector<TVarRec>& args);
String Format(const String& fmt, const TVarRec* args, size_t count, const TFormatSettings& fs);
inline void FmtStr(String& result, const String& fmt, std::initializer_list<TVarRec> args) { result = Format(fmt, args); }

// ---------------------------------------------------------------------------
// Integer conversions. Strings accepted: an optional sign, then decimal
// digits, or hexadecimal after "$" or "0x"; no blanks. Hexadecimal may use
// the full unsigned range of the type (StrToInt("$FFFFFFFF") is -1).

template <std::integral T>
String IntToStr(T v) {
  if constexpr (std::is_signed_v<T>) {
    Int64 x = v;
    UInt64 u = x < 0 ? UInt64(0) - static_cast<UInt64>(x) : static_cast<UInt64>(x);
    String s;
    do { s.insert(s.begin(), static_cast<Char>(u'0' + u % 10)); u /= 10; } while (u);
    if (x < 0) s.insert(s.begin(), u'-');
    return s;
  } else {
    UInt64 u = v;
    String s;
    do { s.insert(s.begin(), static_cast<Char>(u'0' + u % 10)); u /= 10; } while (u);
    return s;
  }
}
template <std::integral T>
String UIntToStr(T v) { return IntToStr(static_cast<std::make_unsigned_t<T>>(v)); }
String IntToHex64(UInt64 v, Integer digits);
// Upper-case hex of the value's two's complement in the width of its type
// (Integer -1 gives "FFFFFFFF"), at least `digits` digits.
template <std::integral T>
String IntToHex(T v, Integer digits = sizeof(T) * 2) {
  if constexpr (sizeof(T) <= 4) return IntToHex64(static_cast<Cardinal>(v), digits);
  else return IntToHex64(static_cast<UInt64>(v), digits);
}

Integer StrToInt(const String& s);  // EConvertError "'%s' is not a valid integer value"
Integer StrToIntDef(const String& s, Integer def);
bool TryStrToInt(const String& s, Integer& v);
Int64 StrToInt64(const String& s);
Int64 StrToInt64Def(const String& s, Int64 def);
bool TryStrToInt64(const String& s, Int64& v);
bool TryStrToUInt64(const String& s, UInt64& v);

// Pairs of hexadecimal digits (either case) into bytes, until bufSize bytes
// are written or a character is not a hex digit; returns the bytes written.
Integer HexToBin(const char* text, Byte* buffer, Integer bufSize);
Integer HexToBin(const Char* text, Byte* buffer, Integer bufSize);
// Each byte as two upper-case hex digits.
void BinToHex(const Byte* buffer, char* text, Integer bufSize);

// ---------------------------------------------------------------------------
// Floating point. Digits come from the value correctly rounded to 18
// significant digits and are then rounded half away from zero, so
// Format('%.2f', [0.125]) is "0.13" as on the platform.

enum class TFloatFormat { ffGeneral, ffExponent, ffFixed, ffNumber, ffCurrency };

String FloatToStr(Extended v);
String FloatToStr(Extended v, const TFormatSettings& fs);
String FloatToStrF(Extended v, TFloatFormat format, Integer precision, Integer digits);
String FloatToStrF(Extended v, TFloatFormat format, Integer precision, Integer digits, const TFormatSettings& fs);
// Pattern with sections "positive;negative;zero", placeholders 0 and #, the
// decimal point ".", thousands ",", exponents E+ E- e+ e-, and literals in
// quotes.
String FormatFloat(const String& format, Extended v);
String FormatFloat(const String& format, Extended v, const TFormatSettings& fs);
String CurrToStr(Extended v);
// Accepts blanks around the number, an optional sign, digits with the
// decimal separator, an exponent, and INF/NAN. EConvertError "'%s' is not a
// valid floating point value" otherwise.
Extended StrToFloat(const String& s);
Extended StrToFloat(const String& s, const TFormatSettings& fs);
Extended StrToFloatDef(const String& s, Extended def);
Extended StrToFloatDef(const String& s, Extended def, const TFormatSettings& fs);
bool TryStrToFloat(const String& s, Extended& v);
bool TryStrToFloat(const String& s, Extended& v, const TFormatSettings& fs);
bool TryStrToFloat(const String& s, Double& v);
bool TryStrToFloat(const String& s, Double& v, const TFormatSettings& fs);
bool TryStrToFloat(const String& s, Single& v);

// "-1" / "0", or the first of TrueBoolStrs / FalseBoolStrs.
String BoolToStr(bool b, bool useBoolStrs = false);
// Any number (non-zero is true) or an entry of TrueBoolStrs / FalseBoolStrs.
bool StrToBool(const String& s);
bool StrToBoolDef(const String& s, bool def);
bool TryStrToBool(const String& s, bool& v);

// ---------------------------------------------------------------------------
// Date and time.

constexpr Integer HoursPerDay = 24;
constexpr Integer MinsPerHour = 60;
constexpr Integer SecsPerMin = 60;
constexpr Integer MSecsPerSec = 1000;
constexpr Integer MinsPerDay = HoursPerDay * MinsPerHour;
constexpr Integer SecsPerDay = MinsPerDay * SecsPerMin;
constexpr Integer MSecsPerDay = SecsPerDay * MSecsPerSec;
// Days from 0001-01-01 (day 1) to 1899-12-30 (TDateTime 0).
constexpr Integer DateDelta = 693594;
// TDateTime of 1970-01-01.
constexpr Integer UnixDateDelta = 25569;
constexpr Word MonthDays[2][12] = {{31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31},
                                   {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31}};

struct TTimeStamp {
  Integer Time = 0;  // milliseconds since midnight
  Integer Date = 0;  // days since 0001-01-01 plus one
};

constexpr bool IsLeapYear(Word year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

// A value whose milliseconds round up to a whole day decodes as the next
// midnight, never as 24:00. Values outside years 1..9999 (and NaN) raise
// EConvertError.
TTimeStamp DateTimeToTimeStamp(TDateTime dt);
TDateTime TimeStampToDateTime(const TTimeStamp& ts);
// EConvertError "Invalid argument to date encode" / "... time encode".
TDateTime EncodeDate(Word year, Word month, Word day);
TDateTime EncodeTime(Word hour, Word min, Word sec, Word msec);
bool TryEncodeDate(Word year, Word month, Word day, TDateTime& dt);
bool TryEncodeTime(Word hour, Word min, Word sec, Word msec, TDateTime& dt);
void DecodeDate(TDateTime dt, Word& year, Word& month, Word& day);
// Also gives the day of the week (1 = Sunday) and whether the year is leap.
bool DecodeDateFully(TDateTime dt, Word& year, Word& month, Word& day, Word& dow);
void DecodeTime(TDateTime dt, Word& hour, Word& min, Word& sec, Word& msec);
// 1 = Sunday .. 7 = Saturday.
Word DayOfWeek(TDateTime dt);
// Same day of the month n months on, clipped to the month's last day; the
// time of day is kept.
TDateTime IncMonth(TDateTime dt, Integer months = 1);
void IncAMonth(Word& year, Word& month, Word& day, Integer months = 1);
// Combines a date and a time of day the way the platform stores them
// (the time counts forward from the date even before 1899-12-30).
TDateTime ComposeDateTime(TDateTime date, TDateTime time);

// The clock. Now reads the hook when one is set (the window server sets it so
// that Now follows its clock), else the system's local time.
TDateTime Now();
TDateTime Date();
TDateTime Time();
inline TDateTime GetTime() { return Time(); }
void SetNowHook(std::function<TDateTime()> hook);

// Specifiers: c d dd ddd dddd ddddd dddddd m mm mmm mmmm (minutes after h/hh)
// yy yyyy h hh n nn s ss z zzz t tt am/pm a/p ampm / : and "..." '...'
// literals; letters are case-insensitive.
String FormatDateTime(const String& format, TDateTime dt);
String FormatDateTime(const String& format, TDateTime dt, const TFormatSettings& fs);
inline void DateTimeToString(String& result, const String& format, TDateTime dt) { result = FormatDateTime(format, dt); }
String DateToStr(TDateTime dt);
String DateToStr(TDateTime dt, const TFormatSettings& fs);
String TimeToStr(TDateTime dt);
String TimeToStr(TDateTime dt, const TFormatSettings& fs);
String DateTimeToStr(TDateTime dt);
String DateTimeToStr(TDateTime dt, const TFormatSettings& fs);
// Dates in the order of ShortDateFormat with DateSeparator (a missing year is
// this year; two-digit years use TwoDigitYearCenturyWindow), times as
// h:n[:s[.z]] with an optional AM/PM marker.
TDateTime StrToDate(const String& s);
TDateTime StrToDate(const String& s, const TFormatSettings& fs);
TDateTime StrToTime(const String& s);
TDateTime StrToTime(const String& s, const TFormatSettings& fs);
TDateTime StrToDateTime(const String& s);
TDateTime StrToDateTime(const String& s, const TFormatSettings& fs);
bool TryStrToDate(const String& s, TDateTime& dt);
bool TryStrToDate(const String& s, TDateTime& dt, const TFormatSettings& fs);
bool TryStrToTime(const String& s, TDateTime& dt);
bool TryStrToTime(const String& s, TDateTime& dt, const TFormatSettings& fs);
bool TryStrToDateTime(const String& s, TDateTime& dt);
bool TryStrToDateTime(const String& s, TDateTime& dt, const TFormatSettings& fs);
TDateTime StrToDateDef(const String& s, TDateTime def);
TDateTime StrToDateTimeDef(const String& s, TDateTime def);

// ---------------------------------------------------------------------------
// Files and paths. Every routine accepts "\" as well as "/" as separator.

constexpr Char PathDelim = u'/';
constexpr Char PathSep = u':';

// The path with every "\" turned into "/", for the host's file system.
String HostPath(const String& path);
std::string HostPathUtf8(const String& path);
bool IsPathDelimiter(const String& s, Integer index);
String IncludeTrailingPathDelimiter(const String& s);
String ExcludeTrailingPathDelimiter(const String& s);
// Everything up to and including the last separator.
String ExtractFilePath(const String& fileName);
// The folder without its trailing separator (a root keeps it).
String ExtractFileDir(const String& fileName);
String ExtractFileName(const String& fileName);
// From the last dot of the file name on ("" when there is none).
String ExtractFileExt(const String& fileName);
String ChangeFileExt(const String& fileName, const String& extension);
// An absolute path with "." and ".." resolved, relative to the current folder.
String ExpandFileName(const String& fileName);

bool FileExists(const String& fileName);  // false for folders
bool DirectoryExists(const String& dir);
// Creates the folder and any missing parents; EInOutError for "".
bool ForceDirectories(const String& dir);
bool CreateDir(const String& dir);
bool RemoveDir(const String& dir);
bool DeleteFile(const String& fileName);
bool RenameFile(const String& oldName, const String& newName);
bool FileAge(const String& fileName, TDateTime& age);  // local time of the last change
Int64 FileSize(const String& fileName);                // -1 when there is no such file
String GetCurrentDir();
bool SetCurrentDir(const String& dir);
// The temporary folder, with a trailing separator (TMPDIR, else /tmp/, or
// the override).
String GetTempPath();
void SetTempPathOverride(const String& dir);
// Creates an empty file with a unique name in dir (the temporary folder when
// empty) and returns its name: prefix + random hex + ".tmp".
String GetTempFileName(const String& dir = String(), const String& prefix = u"qn");
// The executable's path: the override when set (tests point it at a folder
// of their own), else the running program's.
String GetModuleFileName();
void SetModuleFileNameOverride(const String& path);
// ParamStr(0) is GetModuleFileName(); 1.. the command-line arguments.
String ParamStr(Integer index);
Integer ParamCount();

// Whole-file helpers. Reading detects a UTF-8 or UTF-16 byte order mark and
// otherwise reads UTF-8; EFOpenError "Cannot open file \"%s\". %s" when the
// file cannot be read, EFCreateError when it cannot be written.
TBytes ReadAllBytes(const String& fileName);
void WriteAllBytes(const String& fileName, const TBytes& bytes);
String ReadAllText(const String& fileName);
void WriteAllText(const String& fileName, const String& text, bool writeBom = false);
String DecodeText(const TBytes& bytes);

String SysErrorMessage(Integer code);
// EOSError "System Error.  Code: %d.\n%s" for errno-style code.
[[noreturn]] void RaiseLastOSError(Integer code);

// ---------------------------------------------------------------------------
// The platform's version as GetVersionExW reports it (10.0 on this host
// unless a test pretends otherwise, see SetPlatformVersion in Kernel.h).

Integer Win32Platform();
Integer Win32MajorVersion();
Integer Win32MinorVersion();
Integer Win32BuildNumber();
String Win32CSDVersion();
// Whether the platform is at least AMajor.AMinor.
bool CheckWin32Version(Integer AMajor, Integer AMinor = 0);

}  // namespace vcl

#include "platform/rtl/MacroShieldEnd.h"
