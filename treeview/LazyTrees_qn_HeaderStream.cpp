// The header's binary layout stream: the columns (order, widths, texts and
// looks), the header's height, options, font and sort state. Applications
// keep a user's column arrangement with it, so it reads every older layout
// too. A stream is checked completely before any column is replaced: a
// truncated or inconsistent one raises the stream's read error and leaves
// the columns as they were.
#include <algorithm>
#include <vector>

#include "platform/rtl/SysUtils.h"
#include "treeview/LazyTrees_qn.h"

namespace qn {

namespace {

inline constexpr Integer HeaderStreamVersion = 6;
inline constexpr const char16_t* SStreamReadError = u"Stream read error";
inline constexpr UInt64 ColumnOptionBits = 0x7FFF;   // the 15 column options
inline constexpr UInt64 HeaderOptionBits = 0x1FFFF;  // the 17 header options

[[noreturn]] void ReadFailed() { throw EReadError(SStreamReadError); }

Integer ReadInt(TStream* Stream) { return Stream->ReadValue<Integer>(); }
void WriteInt(TStream* Stream, Integer Value) { Stream->WriteBufferData(Value); }

Int64 BytesLeft(TStream* Stream) { return Stream->Size() - Stream->Position(); }

// A length-prefixed UTF-16LE string; the length is checked against the
// bytes left before anything is allocated.
String ReadWideString(TStream* Stream) {
  Integer length = ReadInt(Stream);
  if (length < 0 || Int64(length) * 2 > BytesLeft(Stream)) ReadFailed();
  String s(size_t(length), u'\0');
  if (length > 0) Stream->ReadBuffer(s.data(), length * 2);
  return s;
}

void WriteWideString(TStream* Stream, const String& S) {
  WriteInt(Stream, Integer(S.size()));
  if (!S.empty()) Stream->WriteBuffer(S.data(), Integer(S.size() * 2));
}

// An enumeration widened to 32 bits: its low byte, or Fallback for an
// ordinal the type does not have (nothing this library writes).
template <class E>
E ReadEnum(TStream* Stream, E Last, E Fallback) {
  Byte v = Byte(ReadInt(Stream));
  return v <= Byte(Last) ? E(v) : Fallback;
}

template <class E>
void WriteEnum(TStream* Stream, E Value) {
  WriteInt(Stream, Integer(Byte(Value)));
}

// Column options as the layout version stored them.
UInt64 ConvertColumnOptions(Integer Value, Integer Version) {
  Cardinal v = Cardinal(Value);
  if (Version >= 3) v &= 0xFFFF;
  else if (Version == 2) v &= 0xFF;
  else v = (v & 0x0F) | (((v & ~0x0Fu) << 1) & 0xFF);
  return v & ColumnOptionBits;
}

// Reads one column record without applying it.
void SkipColumnRecord(TStream* Stream, Integer Version) {
  ReadWideString(Stream);  // text
  ReadWideString(Stream);  // hint
  for (int i = 0; i < 9; ++i) ReadInt(Stream);  // widths, style, image, layout, margin, spacing, bidi
  TVTColumnOptions options = TVTColumnOptions::FromBits(ConvertColumnOptions(ReadInt(Stream), Version));
  if (Version > 0) {
    ReadInt(Stream);  // tag
    ReadInt(Stream);  // alignment
  }
  if (Version > 1) ReadInt(Stream);  // colour
  if (Version > 5 && options.Contains(coUseCaptionAlignment)) ReadInt(Stream);
}

}  // namespace

// ---------------------------------------------------------------------------
// One column

void TLazyTreeColumn::SaveToStream(TStream* Stream) {
  WriteWideString(Stream, FText);
  WriteWideString(Stream, FHint);
  WriteInt(Stream, FWidth);
  WriteInt(Stream, FMinWidth);
  WriteInt(Stream, FMaxWidth);
  WriteEnum(Stream, FStyle);
  WriteInt(Stream, FImageIndex);
  WriteEnum(Stream, FLayout);
  WriteInt(Stream, FMargin);
  WriteInt(Stream, FSpacing);
  WriteEnum(Stream, FBiDiMode);
  WriteInt(Stream, Integer(FOptions.Bits() & ColumnOptionBits));
  WriteInt(Stream, FTag);
  WriteEnum(Stream, FAlignment);
  WriteInt(Stream, Integer(FColor));
  if (FOptions.Contains(coUseCaptionAlignment)) WriteEnum(Stream, FCaptionAlignment);
}

void TLazyTreeColumn::LoadFromStream(TStream* Stream, Integer Version) {
  SetText(ReadWideString(Stream));
  FHint = ReadWideString(Stream);
  // The width first: the limits after it clamp it again.
  SetWidth(ReadInt(Stream));
  SetMinWidth(ReadInt(Stream));
  SetMaxWidth(ReadInt(Stream));
  SetStyle(ReadEnum(Stream, vsOwnerDraw, vsText));
  SetImageIndex(ReadInt(Stream));
  SetLayout(ReadEnum(Stream, blGlyphBottom, blGlyphLeft));
  SetMargin(ReadInt(Stream));
  SetSpacing(ReadInt(Stream));
  SetBiDiMode(ReadEnum(Stream, TBiDiMode::bdRightToLeftReadingOnly, TBiDiMode::bdLeftToRight));
  TVTColumnOptions options = TVTColumnOptions::FromBits(ConvertColumnOptions(ReadInt(Stream), Version));
  SetOptions(options);
  if (Version > 0) {
    FTag = ReadInt(Stream);
    SetAlignment(ReadEnum(Stream, TAlignment::taCenter, TAlignment::taLeftJustify));
  }
  if (Version > 1) {
    SetColor(TColor(ReadInt(Stream)));
    // Setting a colour detaches the column from the tree's; a column
    // stored as following the tree's colour follows it again.
    if (options.Contains(coParentColor) && !FOptions.Contains(coParentColor)) SetOptions(FOptions + options);
  }
  if (Version > 5 && FOptions.Contains(coUseCaptionAlignment))
    SetCaptionAlignment(ReadEnum(Stream, TAlignment::taCenter, TAlignment::taLeftJustify));
}

// ---------------------------------------------------------------------------
// The columns block

void TLazyTreeColumns::SaveToStream(TStream* Stream) {
  Integer count = Count();
  WriteInt(Stream, count);
  for (Integer i = 0; i < count; ++i) Items(i)->SaveToStream(Stream);
  if (count > 0) {
    InitializePositionArray();
    for (TColumnIndex index : FPositionToIndex) WriteInt(Stream, index);
  }
  WriteInt(Stream, FDefaultWidth);
}

void TLazyTreeColumns::LoadFromStream(TStream* Stream, Integer Version) {
  // Everything is read once without applying it: the counts, lengths and
  // the position array must hold before a column goes.
  Int64 start = Stream->Position();
  Integer count = ReadInt(Stream);
  if (count < 0 || Int64(count) * 4 > BytesLeft(Stream)) ReadFailed();
  for (Integer i = 0; i < count; ++i) SkipColumnRecord(Stream, Version);
  TIndexArray positions;
  if (count > 0) {
    if (Int64(count) * 4 > BytesLeft(Stream)) ReadFailed();
    positions.resize(size_t(count));
    Stream->ReadBuffer(positions.data(), count * 4);
    std::vector<bool> seen(size_t(count), false);
    for (TColumnIndex index : positions) {
      if (index < 0 || index >= count || seen[size_t(index)]) ReadFailed();
      seen[size_t(index)] = true;
    }
  }
  if (Version > 4) ReadInt(Stream);
  Int64 end = Stream->Position();

  Stream->Seek(start + 4, soBeginning);
  Clear();
  if (count > 0) {
    BeginUpdate();
    try {
      for (Integer i = 0; i < count; ++i) Add()->LoadFromStream(Stream, Version);
    } catch (...) {
      EndUpdate();
      throw;
    }
    FPositionToIndex = positions;
    EndUpdate();
    // The records read again are followed by the positions checked above.
    Stream->Seek(Int64(count) * 4, soCurrent);
    UpdatePositions(true);
  }
  if (Version > 4) FDefaultWidth = ReadInt(Stream);
  Stream->Seek(end, soBeginning);
}

// ---------------------------------------------------------------------------
// The header

void TVTHeader::SaveToStream(TStream* Stream) {
  WriteInt(Stream, -1);
  WriteInt(Stream, HeaderStreamVersion);
  FColumns->SaveToStream(Stream);
  WriteInt(Stream, FAutoSizeIndex);
  WriteInt(Stream, Integer(FBackground));
  WriteInt(Stream, FHeight);
  WriteInt(Stream, Integer(FOptions.Bits() & HeaderOptionBits));
  WriteEnum(Stream, FStyle);
  WriteInt(Stream, Integer(FFont->Color()));
  WriteInt(Stream, FFont->Height());
  UTF8String name = UTF8Encode(FFont->Name());
  WriteInt(Stream, Integer(name.size()));
  if (!name.empty()) Stream->WriteBuffer(name.data(), Integer(name.size()));
  WriteEnum(Stream, FFont->Pitch());
  WriteInt(Stream, Integer(FFont->Style().Bits() & 0x0F));
  WriteInt(Stream, FMainColumn);
  WriteInt(Stream, FSortColumn);
  WriteEnum(Stream, FSortDirection);
  WriteInt(Stream, FParentFont ? 1 : 0);
  WriteInt(Stream, FMaxHeight);
  WriteInt(Stream, FMinHeight);
  WriteInt(Stream, FDefaultHeight);
  WriteInt(Stream, FFixedAreaConstraints->MaxHeightPercent());
  WriteInt(Stream, FFixedAreaConstraints->MaxWidthPercent());
  WriteInt(Stream, FFixedAreaConstraints->MinHeightPercent());
  WriteInt(Stream, FFixedAreaConstraints->MinWidthPercent());
}

void TVTHeader::LoadFromStream(TStream* Stream) {
  FStates.Include(hsLoading);
  // No auto-sizing or scroll-bar work while the columns come in.
  TVTHeaderOptions savedOptions = FOptions;
  FOptions = TVTHeaderOptions{};
  bool optionsBack = false;
  try {
    Integer version = ReadInt(Stream);
    if (version > -1) {
      Stream->Seek(-4, soCurrent);
      version = -1;
    } else {
      version = ReadInt(Stream);
      if (version < 0 || version > HeaderStreamVersion) ReadFailed();
    }
    FColumns->LoadFromStream(Stream, version);
    // The columns went while loading kept the main and sort column; older
    // layouts do not set them again, and the setters look at the old
    // column first: both must name a column that exists now.
    if (!FColumns->IsValidColumn(FSortColumn)) FSortColumn = NoColumn;
    if (!FColumns->IsValidColumn(FMainColumn)) FMainColumn = FColumns->Count() > 0 ? 0 : NoColumn;
    SetAutoSizeIndex(ReadInt(Stream));
    SetBackground(TColor(ReadInt(Stream)));
    SetHeight(ReadInt(Stream));
    FOptions = savedOptions;
    optionsBack = true;
    SetOptions(TVTHeaderOptions::FromBits(UInt64(Cardinal(ReadInt(Stream))) & HeaderOptionBits));
    SetStyle(ReadEnum(Stream, hsPlates, hsThickButtons));
    TColor fontColor = TColor(ReadInt(Stream));
    Integer fontHeight = ReadInt(Stream);
    Integer nameLength = ReadInt(Stream);
    if (nameLength < 0 || nameLength > BytesLeft(Stream)) ReadFailed();
    UTF8String name(size_t(nameLength), '\0');
    if (nameLength > 0) Stream->ReadBuffer(name.data(), nameLength);
    TFontPitch pitch = ReadEnum(Stream, TFontPitch::fpFixed, TFontPitch::fpDefault);
    TFontStyles style = TFontStyles::FromBits(UInt64(ReadInt(Stream)) & 0x0F);
    FFont->SetColor(fontColor);
    FFont->SetHeight(fontHeight);
    FFont->SetName(UTF8Decode(name));
    FFont->SetPitch(pitch);
    FFont->SetStyle(style);
    if (version > 0) {
      SetMainColumn(ReadInt(Stream));
      SetSortColumn(ReadInt(Stream));
      SetSortDirection(ReadEnum(Stream, sdDescending, sdAscending));
    }
    if (version > 4) {
      SetParentFont(ReadInt(Stream) != 0);
      FMaxHeight = ReadInt(Stream);
      FMinHeight = ReadInt(Stream);
      FDefaultHeight = ReadInt(Stream);
      FFixedAreaConstraints->FMaxHeightPercent = TVTConstraintPercent(ReadInt(Stream));
      FFixedAreaConstraints->FMaxWidthPercent = TVTConstraintPercent(ReadInt(Stream));
      FFixedAreaConstraints->FMinHeightPercent = TVTConstraintPercent(ReadInt(Stream));
      FFixedAreaConstraints->FMinWidthPercent = TVTConstraintPercent(ReadInt(Stream));
    }
  } catch (...) {
    if (!optionsBack) FOptions = savedOptions;
    FStates.Exclude(hsLoading);
    FOwner->DoColumnResize(NoColumn);
    throw;
  }
  FStates.Exclude(hsLoading);
  FOwner->DoColumnResize(NoColumn);
}

}  // namespace qn
