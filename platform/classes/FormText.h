// The text form of form files and its conversion to and from the binary form:
//
//   object Form1: TForm1
//     Caption = 'Hello'#13#10'world'
//     Anchors = [akLeft, akTop]
//     Font.Size = 10
//     Items = <
//       item
//         Width = 10
//       end>
//     Data = {
//       0001020304...}
//     object Button1: TButton
//       OnClick = Button1Click
//     end
//   end
//
// Two spaces of indentation per level, CRLF line ends, strings in quotes
// with #nnn for anything but printable ASCII, strings longer than 64
// characters wrapped with '+', 32 bytes (64 hex digits) per line of binary.
// The text written is always ASCII; text read may hold UTF-8 in quotes.
// Conversions are lossless both ways; malformed text raises EParserError
// "<message> on line <n>".
#pragma once
#include "platform/rtl/MacroShield.h"

#include <string>
#include <string_view>

#include "platform/classes/Streaming.h"

namespace vcl {

// Token kinds; other tokens are the punctuation character itself.
inline constexpr char toEOF = 0;
inline constexpr char toSymbol = 1;
inline constexpr char toString = 2;
inline constexpr char toInteger = 3;
inline constexpr char toFloat = 4;
inline constexpr char toWString = 5;

// Splits form text into tokens, reading the whole of Stream from its position.
class TParser : public TObject {
  QN_CLASS(TParser, TObject)
 public:
  explicit TParser(TStream* Stream);
  explicit TParser(std::string Text);
  // Reads Text in place; Text must outlive the parser.
  TParser(const char* Text, size_t Size);
  TParser(const TParser&) = delete;
  TParser& operator=(const TParser&) = delete;

  char Token() const { return FToken; }
  char NextToken();
  // The token as written (symbols, numbers) or its value (strings).
  String TokenString() const { return FTokenString; }
  String TokenWideString() const { return FTokenString; }
  // The token's text, moved out: a long string value is not copied again.
  String TakeTokenString() { return std::move(FTokenString); }
  // A symbol with dotted parts ("Form2.Button1"); leaves the last part current.
  String TokenComponentIdent();
  Int64 TokenInt() const;
  Extended TokenFloat() const;
  // 's', 'c', 'd' for single, currency and date literals, 0 otherwise.
  char FloatType() const { return FFloatType; }
  Integer SourceLine() const { return FTokenLine; }
  bool TokenSymbolIs(const String& S) const;
  void CheckToken(char T);
  void CheckTokenSymbol(const String& S);
  // Reads hex digits up to '}' (the current token is '{'); the next token
  // follows the brace.
  TBytes HexToBinary();
  // The same into Out, which has room for HexCapacity() bytes; answers how
  // many were written.
  size_t HexToBinary(Byte* Out);
  // The most bytes the hex digits from here to the closing brace can make.
  size_t HexCapacity() const;
  [[noreturn]] void Error(const String& Message) const { Error(Message, FTokenLine); }
  [[noreturn]] void Error(const String& Message, Integer Line) const;

 private:
  char ScanNumber(size_t start);
  void ScanString();
  void Start();
  std::string FOwned;
  std::string_view FText;
  size_t FPos = 0;
  Integer FLine = 1;
  Integer FTokenLine = 1;
  char FToken = toEOF;
  char FFloatType = 0;
  String FTokenString;
};

enum class TStreamOriginalFormat { sofUnknown, sofBinary, sofText, sofUTF8Text };
using enum TStreamOriginalFormat;
// Looks at the stream from its position without moving it. A binary form
// with the resource header the designer writes before it (a leading 0xFF)
// is sofBinary too: every reader of binary forms skips the header.
TStreamOriginalFormat TestStreamFormat(TStream* Stream);

// Text form -> binary form, Input's position to its end, appended to Output.
void ObjectTextToBinary(TStream* Input, TStream* Output);
// Binary form -> text form, one component from Input's position (after the
// resource header, if there is one).
void ObjectBinaryToText(TStream* Input, TStream* Output);
// A form stored as a resource (the header of TReader::ReadResHeader, then
// the binary form) to text; EReadError for a stream without the header.
void ObjectResourceToText(TStream* Input, TStream* Output);
// Text -> the binary form with the resource header the designer writes:
// 0xFF, 0x0A 0x00, the root's class name in capitals and a zero, the flags
// 0x30 0x10 and the size of the binary form that follows.
void ObjectTextToResource(TStream* Input, TStream* Output);

// Whole components through the text form.
std::string ComponentToText(TComponent* Instance, TComponent* Ancestor = nullptr);
// Reads into Instance, or a new component of the class the text names.
TComponent* TextToComponent(std::string_view Text, TComponent* Instance);

// A form file (text or binary, told apart by its first bytes).
TComponent* LoadFormFile(const String& FileName, TComponent* Instance);
void SaveFormFile(const String& FileName, TComponent* Instance, bool AsText = true);

}  // namespace vcl

#include "platform/rtl/MacroShieldEnd.h"
