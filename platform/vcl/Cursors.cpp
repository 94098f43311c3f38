#include "platform/vcl/Cursors.h"

#include "platform/classes/Streaming.h"
#include "platform/rtl/SysUtils.h"

namespace vcl {

namespace {
struct TCursorName {
  TCursor Value;
  const char16_t* Name;
};
constexpr TCursorName kCursors[] = {
    {crDefault, u"crDefault"},     {crNone, u"crNone"},         {crArrow, u"crArrow"},
    {crCross, u"crCross"},         {crIBeam, u"crIBeam"},       {crSizeNESW, u"crSizeNESW"},
    {crSizeNS, u"crSizeNS"},       {crSizeNWSE, u"crSizeNWSE"}, {crSizeWE, u"crSizeWE"},
    {crUpArrow, u"crUpArrow"},     {crHourGlass, u"crHourGlass"}, {crDrag, u"crDrag"},
    {crNoDrop, u"crNoDrop"},       {crHSplit, u"crHSplit"},     {crVSplit, u"crVSplit"},
    {crMultiDrag, u"crMultiDrag"}, {crSQLWait, u"crSQLWait"},   {crNo, u"crNo"},
    {crAppStart, u"crAppStart"},   {crHelp, u"crHelp"},         {crHandPoint, u"crHandPoint"},
    {crSizeAll, u"crSizeAll"},
};
}  // namespace

bool CursorToIdent(Integer Cursor, String& Ident) {
  for (const auto& c : kCursors)
    if (c.Value == Cursor) {
      Ident = c.Name;
      return true;
    }
  return false;
}

bool IdentToCursor(const String& Ident, Integer& Cursor) {
  for (const auto& c : kCursors)
    if (SameText(Ident, c.Name)) {
      Cursor = c.Value;
      return true;
    }
  return false;
}

String CursorToString(TCursor Cursor) {
  String s;
  if (CursorToIdent(Cursor, s)) return s;
  return IntToStr(Cursor);
}

TCursor StringToCursor(const String& S) {
  Integer c;
  if (IdentToCursor(S, c)) return static_cast<TCursor>(c);
  return static_cast<TCursor>(StrToInt(S));
}

void RegisterCursorIdents() { RegisterIntegerConsts(u"TCursor", IdentToCursor, CursorToIdent); }

}  // namespace vcl
