// Memory fills and moves, swapping, clipping, index folding (clamp, wrap,
// mirror) and small bit and colour helpers.
#pragma once
#include "platform/rtl/MacroShield.h"

#include "graphics/raster/Pix32_qn_Types.h"

namespace qn {

// Writes Value into Count consecutive 32-bit words.
using TFillLongwordProc = void(void* X, Cardinal Count, Cardinal Value);
extern TFillLongwordProc* FillLongword;
void FillLongword_Pas(void* X, Cardinal Count, Cardinal Value);
void FillLongword_SSE2(void* X, Cardinal Count, Cardinal Value);

void FillWord(void* X, Cardinal Count, Cardinal Value);
void MoveLongword(const void* Source, void* Dest, Integer Count);
// Rows rows of Count longwords each, as MoveLongword, the rows of the
// source and of the destination SourceStride and DestStride longwords
// apart; no source row may overlap a destination row.
void MoveLongwordRows(const void* Source, size_t SourceStride, void* Dest, size_t DestStride, Integer Count,
                      Integer Rows);
void MoveWord(const void* Source, void* Dest, Integer Count);

template <class T>
inline void Swap(T& A, T& B) {
  T t = A;
  A = B;
  B = t;
}
template <class T>
inline void Swap32(T& A, T& B) {
  static_assert(sizeof(T) == 4);
  Swap(A, B);
}
inline void TestSwap(Integer& A, Integer& B) {
  if (B < A) Swap(A, B);
}
bool TestClip(Integer& A, Integer& B, Integer Size);
bool TestClip(Integer& A, Integer& B, Integer Start, Integer Stop);

constexpr Integer Constrain(Integer Value, Integer Lo, Integer Hi) {
  return Value < Lo ? Lo : (Value > Hi ? Hi : Value);
}
constexpr Single Constrain(Single Value, Single Lo, Single Hi) {
  return Value < Lo ? Lo : (Value > Hi ? Hi : Value);
}
Integer SwapConstrain(Integer Value, Integer Constrain1, Integer Constrain2);
constexpr Integer Max(Integer A, Integer B, Integer C) {
  Integer m = A > B ? A : B;
  return m > C ? m : C;
}
constexpr Integer Min(Integer A, Integer B, Integer C) {
  Integer m = A < B ? A : B;
  return m < C ? m : C;
}
constexpr Integer Clamp(Integer Value) { return Value < 0 ? 0 : (Value > 255 ? 255 : Value); }
constexpr Integer Clamp(Integer Value, Integer Max) { return Value > Max ? Max : (Value < 0 ? 0 : Value); }
constexpr Integer Clamp(Integer Value, Integer Min, Integer Max) {
  return Value > Max ? Max : (Value < Min ? Min : Value);
}

// Folding: Max + 1 (or Max - Min + 1) must not be 0; the callers see to it.
Integer Wrap(Integer Value, Integer Max);
Integer Wrap(Integer Value, Integer Min, Integer Max);
Single Wrap(Single Value, Single Max);
Integer Mirror(Integer Value, Integer Max);
Integer Mirror(Integer Value, Integer Min, Integer Max);
constexpr Integer WrapPow2(Integer Value, Integer Max) { return Value & Max; }
constexpr Integer WrapPow2(Integer Value, Integer Min, Integer Max) { return Min + ((Value - Min) & (Max - Min)); }
constexpr Integer MirrorPow2(Integer Value, Integer Max) {
  return (Value & (Max + 1)) == 0 ? (Value & Max) : Max - (Value & Max);
}
constexpr Integer MirrorPow2(Integer Value, Integer Min, Integer Max) {
  Integer D = Max - Min, V = Value - Min;
  return (V & (D + 1)) == 0 ? Min + (V & D) : Max - (V & D);
}

using TWrapProc = Integer (*)(Integer Value, Integer Max);
using TWrapProcEx = Integer (*)(Integer Value, Integer Min, Integer Max);

// The three folds as plain function pointers (overloads cannot be taken by name).
Integer ClampProc(Integer Value, Integer Max);
Integer WrapProc(Integer Value, Integer Max);
Integer MirrorProc(Integer Value, Integer Max);
Integer WrapPow2Proc(Integer Value, Integer Max);
Integer MirrorPow2Proc(Integer Value, Integer Max);
Integer ClampProcEx(Integer Value, Integer Min, Integer Max);
Integer WrapProcEx(Integer Value, Integer Min, Integer Max);
Integer MirrorProcEx(Integer Value, Integer Min, Integer Max);
Integer WrapPow2ProcEx(Integer Value, Integer Min, Integer Max);
Integer MirrorPow2ProcEx(Integer Value, Integer Min, Integer Max);

extern const TWrapProc WRAP_PROCS[3];
extern const TWrapProcEx WRAP_PROCS_EX[3];

TWrapProc GetOptimalWrap(Integer Max);
TWrapProcEx GetOptimalWrap(Integer Min, Integer Max);
TWrapProc GetOptimalMirror(Integer Max);
TWrapProcEx GetOptimalMirror(Integer Min, Integer Max);
TWrapProc GetWrapProc(TWrapMode WrapMode);
TWrapProc GetWrapProc(TWrapMode WrapMode, Integer Max);
TWrapProcEx GetWrapProcEx(TWrapMode WrapMode);
TWrapProcEx GetWrapProcEx(TWrapMode WrapMode, Integer Min, Integer Max);

// Value div 255, exact for every product of two bytes.
constexpr Cardinal Div255(Cardinal Value) { return (Value * 0x8081u) >> 23; }

constexpr Integer SAR_3(Integer Value) { return Value >> 3; }
constexpr Integer SAR_4(Integer Value) { return Value >> 4; }
constexpr Integer SAR_6(Integer Value) { return Value >> 6; }
constexpr Integer SAR_8(Integer Value) { return Value >> 8; }
constexpr Integer SAR_9(Integer Value) { return Value >> 9; }
constexpr Integer SAR_11(Integer Value) { return Value >> 11; }
constexpr Integer SAR_12(Integer Value) { return Value >> 12; }
constexpr Integer SAR_13(Integer Value) { return Value >> 13; }
constexpr Integer SAR_14(Integer Value) { return Value >> 14; }
constexpr Integer SAR_15(Integer Value) { return Value >> 15; }
constexpr Integer SAR_16(Integer Value) { return Value >> 16; }

// $00BBGGRR -> $FFRRGGBB; system colour values are not resolved.
constexpr TColor32 ColorSwap(TColor WinColor) {
  Cardinal c = static_cast<Cardinal>(WinColor);
  return 0xFF000000u | ((c & 0xFFu) << 16) | (c & 0xFF00u) | ((c >> 16) & 0xFFu);
}

class TFunctionRegistry;
extern TFunctionRegistry* LowLevelRegistry;
void InitPix32LowLevel();

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
