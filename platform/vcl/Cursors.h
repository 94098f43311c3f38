// Cursor ids: TCursor values index Screen->Cursors. The standard ids are
// negative; an application adds its own cursors under positive ids.
#pragma once
#include "platform/rtl/MacroShield.h"

#include "platform/classes/PropInfo.h"

namespace vcl {

// A plain SmallInt, so it carries no type name of its own (that would name
// every SmallInt property); cursor properties say .TypeName(u"TCursor").
using TCursor = SmallInt;
inline constexpr TCursor crDefault = 0, crNone = -1, crArrow = -2, crCross = -3, crIBeam = -4,
                         crSizeNESW = -6, crSizeNS = -7, crSizeNWSE = -8, crSizeWE = -9,
                         crUpArrow = -10, crHourGlass = -11, crDrag = -12, crNoDrop = -13,
                         crHSplit = -14, crVSplit = -15, crMultiDrag = -16, crSQLWait = -17,
                         crNo = -18, crAppStart = -19, crHelp = -20, crHandPoint = -21,
                         crSizeAll = -22, crSize = crSizeAll;

// The names form files store cursor properties under ("crHandPoint").
bool CursorToIdent(Integer Cursor, String& Ident);
bool IdentToCursor(const String& Ident, Integer& Cursor);
// The name, or the number for an id without one; the reverse raises
// EConvertError for text that is neither.
String CursorToString(TCursor Cursor);
TCursor StringToCursor(const String& S);
// Registers the names with the streaming system under "TCursor".
void RegisterCursorIdents();

}  // namespace vcl

#include "platform/rtl/MacroShieldEnd.h"
