// The string tree's text exports: HTML, RTF, single-byte and UTF-16
// delimited text, the event-only custom export, their clipboard renderings
// and the comma-separated lines of the top-level rows. Other programs read
// these bytes, so their layout is fixed; only texts that would break the
// surrounding markup or record structure are escaped or quoted.
#include <cstdlib>
#include <cstring>

#include "platform/rtl/Kernel.h"
#include "platform/rtl/Math.h"
#include "treeview/LazyTrees_qn_Internal.h"
#include "treeview/LazyTrees_qn_StringTree.h"

namespace qn {

using lazytrees_internal::ChangeBiDiModeAlignment;
using enum TFontStyle;

// ---------------------------------------------------------------------------
// Append buffers

namespace {

constexpr std::size_t kBufferStep = 4096;

std::size_t RoundUpToStep(std::size_t Units) { return (Units + kBufferStep - 1) / kBufferStep * kBufferStep; }

// Reallocates a block of T to Capacity + Extra units, keeping the write
// offset.
template <class T>
void GrowBlock(T*& Start, T*& Position, T*& End, std::size_t Extra) {
  std::size_t used = std::size_t(Position - Start);
  std::size_t capacity = std::size_t(End - Start) + Extra;
  auto* block = static_cast<T*>(std::realloc(Start, capacity * sizeof(T)));
  if (!block) throw EOutOfMemory(u"Out of memory");
  Start = block;
  Position = block + used;
  End = block + capacity;
}

}  // namespace

TBufferedAnsiString::~TBufferedAnsiString() { std::free(FStart); }

void TBufferedAnsiString::Grow(std::size_t Units) { GrowBlock(FStart, FPosition, FEnd, Units); }

void TBufferedAnsiString::Add(const char* S, std::size_t Length) {
  if (Length == 0) return;
  if (std::size_t(FEnd - FPosition) <= Length) Grow(RoundUpToStep(Length));
  std::memcpy(FPosition, S, Length);
  FPosition += Length;
}

void TBufferedAnsiString::AddNewLine() {
  if (FEnd - FPosition < 3) Grow(kBufferStep);
  *FPosition++ = '\r';
  *FPosition++ = '\n';
}

TWideBufferedString::~TWideBufferedString() { std::free(FStart); }

void TWideBufferedString::Grow(std::size_t Units) { GrowBlock(FStart, FPosition, FEnd, Units); }

void TWideBufferedString::Add(const Char* S, std::size_t Length) {
  if (Length == 0) return;
  if (std::size_t(FEnd - FPosition) <= Length) Grow(RoundUpToStep(Length));
  std::memcpy(FPosition, S, Length * sizeof(Char));
  FPosition += Length;
}

void TWideBufferedString::AddNewLine() {
  if (FEnd - FPosition < 5) Grow(kBufferStep);
  *FPosition++ = u'\r';
  *FPosition++ = u'\n';
}

// ---------------------------------------------------------------------------
// Text conversions and escapes

namespace {

void AppendUtf8(TBufferedAnsiString& Out, const Char* S, std::size_t Length) {
  // Six bytes per unit cover every sequence written below.
  char small[256];
  std::string large;
  char* buffer = small;
  if (Length * 6 > sizeof small) {
    large.resize(Length * 6);
    buffer = large.data();
  }
  char* p = buffer;
  for (std::size_t i = 0; i < Length; ++i) {
    uint32_t c = S[i];
    if (c == 0) continue;  // see WithoutNul
    if (c >= 0xD800 && c <= 0xDFFF) {
      // A pair becomes one code point; a half without its partner has no
      // UTF-8 form and is dropped.
      if (c <= 0xDBFF && i + 1 < Length && S[i + 1] >= 0xDC00 && S[i + 1] <= 0xDFFF) {
        c = (c - 0xD800) * 0x400 + (uint32_t(S[i + 1]) - 0xDC00) + 0x10000;
        ++i;
      } else {
        continue;
      }
    }
    if (c < 0x80) {
      *p++ = char(c);
    } else if (c < 0x800) {
      *p++ = char(0xC0 | (c >> 6));
      *p++ = char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      *p++ = char(0xE0 | (c >> 12));
      *p++ = char(0x80 | ((c >> 6) & 0x3F));
      *p++ = char(0x80 | (c & 0x3F));
    } else {
      *p++ = char(0xF0 | (c >> 18));
      *p++ = char(0x80 | ((c >> 12) & 0x3F));
      *p++ = char(0x80 | ((c >> 6) & 0x3F));
      *p++ = char(0x80 | (c & 0x3F));
    }
  }
  Out.Add(buffer, std::size_t(p - buffer));
}

void AddUtf8(TBufferedAnsiString& Out, const String& S) { AppendUtf8(Out, S.data(), S.size()); }

// Text inside HTML: the markup characters as references, so a cell reads
// back as the text it holds and cannot open elements of its own.
void AddHtmlText(TBufferedAnsiString& Out, const String& S) {
  std::size_t run = 0;
  for (std::size_t i = 0; i < S.size(); ++i) {
    const char* ref = nullptr;
    switch (S[i]) {
      case u'&': ref = "&amp;"; break;
      case u'<': ref = "&lt;"; break;
      case u'>': ref = "&gt;"; break;
      case u'"': ref = "&quot;"; break;
      default: continue;
    }
    AppendUtf8(Out, S.data() + run, i - run);
    Out.Add(ref, std::strlen(ref));
    run = i + 1;
  }
  AppendUtf8(Out, S.data() + run, S.size() - run);
}

// Every export ends up in a clipboard block that readers take as text up to
// its first U+0000, so a cell's U+0000 would cut off the rest of the
// export: the exports leave it out.
String WithoutNul(const String& S) {
  if (S.find(Char(0)) == String::npos) return S;
  String result;
  result.reserve(S.size());
  for (Char c : S)
    if (c != 0) result += c;
  return result;
}

AnsiString ToAnsi(const String& Text) {
  const String S = WithoutNul(Text);
  if (S.empty()) return AnsiString();
  int n = WideCharToMultiByte(1252, 0, S.data(), Integer(S.size()), nullptr, 0, nullptr, nullptr);
  AnsiString result(std::size_t(n > 0 ? n : 0), '\0');
  if (n > 0) WideCharToMultiByte(1252, 0, S.data(), Integer(S.size()), result.data(), n, nullptr, nullptr);
  return result;
}

AnsiString IntText(Int64 Value) { return std::to_string(Value); }

AnsiString ColorToHex(TColor Color) {
  Cardinal rgb = Cardinal(ColorToRGB(Color));
  char text[8];
  std::snprintf(text, sizeof text, "#%.2X%.2X%.2X", rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF);
  return text;
}

// A delimited field is quoted when it holds the separator or a line break
// or starts with a quote; a reader would otherwise split it or take the
// quotes for its own. Inner quotes are doubled.
template <class S>
bool NeedsQuotes(const S& Text, const S& Separator, bool AnyQuote) {
  if (Text.empty()) return false;
  if (!Separator.empty() && Text.find(Separator) != S::npos) return true;
  for (auto c : Text)
    if (c == '\r' || c == '\n' || (AnyQuote && c == '"')) return true;
  return Text[0] == '"';
}

template <class S>
S Quoted(const S& Text) {
  S result(1, '"');
  for (auto c : Text) {
    result += c;
    if (c == '"') result += c;
  }
  result += '"';
  return result;
}

TAlignment CellAlignment(TAlignment Alignment, TBiDiMode BiDiMode, bool& RTL) {
  RTL = BiDiMode != bdLeftToRight;
  return RTL ? ChangeBiDiModeAlignment(Alignment) : Alignment;
}

const char* HtmlAlign(TAlignment A) {
  return A == taRightJustify ? " align=right" : A == taCenter ? " align=center" : " align=left";
}

// A style rule from a font: named (".name{...}") or inline (" style=\"{...}\"").
void AddStyle(TBufferedAnsiString& Out, TFont* Font, const char* Name) {
  if (Name) {
    Out.Add(".");
    Out.Add(Name);
    Out.Add("{");
  } else {
    Out.Add(" style=\"{");
  }
  Out.Add("font-family: '");
  AddUtf8(Out, Font->Name());
  Out.Add("'; ");
  if (Font->Size() < 0)
    Out.Add("font-size: " + IntText(Font->Height()) + "px; ");
  else
    Out.Add("font-size: " + IntText(Font->Size()) + "pt; ");
  TFontStyles style = Font->Style();
  Out.Add(style.Contains(fsItalic) ? "font-style: italic; " : "font-style: normal; ");
  Out.Add(style.Contains(fsBold) ? "font-weight: bold; " : "font-weight: normal; ");
  Out.Add(style.Contains(fsUnderline) ? "text-decoration: underline; " : "text-decoration: none; ");
  Out.Add("color: " + ColorToHex(Font->Color()) + ";}");
  if (!Name) Out.Add("\"");
}

}  // namespace

// ---------------------------------------------------------------------------
// Node selection and events

void TCustomLazyStringTree_qn::GetRenderStartValues(TVSTTextSourceType Source, PLazyNode& Node,
                                                    TGetNextNodeProc& GetNextNode) {
  switch (Source) {
    case tstInitialized:
      Node = GetFirstInitialized();
      GetNextNode = [this](PLazyNode N) { return GetNextInitialized(N); };
      break;
    case tstSelected:
      Node = GetFirstSelected();
      GetNextNode = [this](PLazyNode N) { return GetNextSelected(N); };
      break;
    case tstCutCopySet:
      Node = GetFirstCutCopy();
      GetNextNode = [this](PLazyNode N) { return GetNextCutCopy(N); };
      break;
    case tstVisible:
      Node = GetFirstVisible(nullptr, true);
      GetNextNode = [this](PLazyNode N) { return GetNextVisible(N, true); };
      break;
    case tstChecked:
      Node = GetFirstChecked(csCheckedNormal);
      GetNextNode = [this](PLazyNode N) { return GetNextChecked(N, csCheckedNormal); };
      break;
    default:
      Node = GetFirst();
      GetNextNode = [this](PLazyNode N) { return GetNext(N); };
      break;
  }
}

bool TCustomLazyStringTree_qn::CanExportNode(PLazyNode Node) {
  switch (TreeOptions()->ExportMode()) {
    case emChecked: return Node->CheckState == csCheckedNormal;
    case emUnchecked: return Node->CheckState == csUncheckedNormal;
    default: return true;
  }
}

void TCustomLazyStringTree_qn::DoBeforeTreeExport(TVTExportType ExportType) {
  if (Assigned(OnBeforeTreeExport)) OnBeforeTreeExport(this, ExportType);
}
void TCustomLazyStringTree_qn::DoAfterTreeExport(TVTExportType ExportType) {
  if (Assigned(OnAfterTreeExport)) OnAfterTreeExport(this, ExportType);
}
void TCustomLazyStringTree_qn::DoBeforeHeaderExport(TVTExportType ExportType) {
  if (Assigned(OnBeforeHeaderExport)) OnBeforeHeaderExport(this, ExportType);
}
void TCustomLazyStringTree_qn::DoAfterHeaderExport(TVTExportType ExportType) {
  if (Assigned(OnAfterHeaderExport)) OnAfterHeaderExport(this, ExportType);
}
void TCustomLazyStringTree_qn::DoBeforeColumnExport(TVTExportType ExportType, TColumnIndex Column) {
  if (Assigned(OnBeforeColumnExport)) OnBeforeColumnExport(this, ExportType, Column);
}
void TCustomLazyStringTree_qn::DoColumnExport(TVTExportType ExportType, TColumnIndex Column) {
  if (Assigned(OnColumnExport)) OnColumnExport(this, ExportType, Column);
}
void TCustomLazyStringTree_qn::DoAfterColumnExport(TVTExportType ExportType, TColumnIndex Column) {
  if (Assigned(OnAfterColumnExport)) OnAfterColumnExport(this, ExportType, Column);
}
bool TCustomLazyStringTree_qn::DoBeforeNodeExport(TVTExportType ExportType, PLazyNode Node) {
  return Assigned(OnBeforeNodeExport) ? OnBeforeNodeExport(this, ExportType, Node) : true;
}
bool TCustomLazyStringTree_qn::DoNodeExport(TVTExportType ExportType, PLazyNode Node) {
  return Assigned(OnNodeExport) ? OnNodeExport(this, ExportType, Node) : true;
}
bool TCustomLazyStringTree_qn::DoAfterNodeExport(TVTExportType ExportType, PLazyNode Node) {
  return Assigned(OnAfterNodeExport) ? OnAfterNodeExport(this, ExportType, Node) : true;
}

// ---------------------------------------------------------------------------
// HTML

namespace {

// Undoes the canvas font redirection however an export ends.
struct TFontRedirection {
  TBaseLazyTree_qn* Tree;
  TCanvas* Canvas;
  TFontRedirection(TBaseLazyTree_qn* ATree, TCanvas* ACanvas) : Tree(ATree), Canvas(ACanvas) {
    Tree->RedirectFontChangeEvent(Canvas);
  }
  ~TFontRedirection() { Tree->RestoreFontChangeEvent(Canvas); }
  TFontRedirection(const TFontRedirection&) = delete;
  TFontRedirection& operator=(const TFontRedirection&) = delete;
};

}  // namespace

AnsiString TCustomLazyStringTree_qn::ContentToHTML(TVSTTextSourceType Source, const String& Caption) {
  TBufferedAnsiString buffer;
  TCanvas* canvas = Canvas();
  TFontRedirection redirection(this, canvas);

  const AnsiString cellPadding =
      "padding-left:" + IntText(FMargin) + "px;padding-right:" + IntText(FMargin) + "px;";
  const AnsiString indentWidth = IntText(FIndent);
  TBufferedAnsiString attributes;
  attributes.Add(" ");
  if (!Caption.empty()) {
    attributes.Add("caption=\"");
    AddHtmlText(attributes, Caption);
    attributes.Add("\"");
  }
  if (BorderStyle() != bsNone) attributes.Add(" border=\"" + IntText(Int64(BorderWidth()) + 1) + "\" frame=box");

  buffer.Add("<META http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">");
  buffer.Add("<style type=\"text/css\">");
  buffer.AddNewLine();
  AddStyle(buffer, Font(), "default");
  buffer.AddNewLine();
  AddStyle(buffer, FHeader->Font(), "header");
  buffer.AddNewLine();

  const TVTPaintOptions paint = TreeOptions()->PaintOptions();
  const bool horzLines = paint.Contains(toShowHorzGridLines), vertLines = paint.Contains(toShowVertGridLines);
  const AnsiString lineStyle = FLineStyle == lsSolid ? "solid;" : "dotted;";
  if (horzLines)
    buffer.Add(".noborder{border-style:" + lineStyle + " border-bottom:1;border-left:0;border-right:0; border-top:0;" +
               cellPadding + "}");
  else
    buffer.Add(".noborder{border-style:none;" + cellPadding + "}");
  buffer.AddNewLine();
  buffer.Add(".normalborder {border-top:none; border-left:none; vertical-align:top;");
  buffer.Add(vertLines ? "border-right:1 " + lineStyle : AnsiString("border-right:none;"));
  buffer.Add(horzLines ? "border-bottom:1 " + lineStyle : AnsiString("border-bottom:none;"));
  buffer.Add(cellPadding + "}</style>");
  buffer.AddNewLine();

  buffer.Add("<table class=\"default\" bgcolor=" + ColorToHex(Color()) + attributes.AsString() +
             " cellspacing=\"0\" cellpadding=" + IntText(FMargin) + ">");
  buffer.AddNewLine();

  PLazyNode node;
  TGetNextNodeProc getNext;
  GetRenderStartValues(Source, node, getNext);
  Cardinal maxLevel = 0;
  for (PLazyNode run = node; run; run = getNext(run))
    if (CanExportNode(run)) maxLevel = std::max(maxLevel, GetNodeLevel(run));

  TLazyTreeColumns* columns = FHeader->Columns();
  const bool useColumns = FHeader->UseColumns();
  const TColumnIndex mainColumn = FHeader->MainColumn();
  TColumnsArray visible;
  if (useColumns) {
    visible = columns->GetVisibleColumns();
    DoBeforeHeaderExport(etHTML);
    buffer.Add("<tr class=\"header\" style=\"" + cellPadding + "\">");
    buffer.AddNewLine();
    for (TLazyTreeColumn* column : visible) {
      if (!column->Options().Contains(coVisible)) continue;
      TColumnIndex index = column->Index();
      DoBeforeColumnExport(etHTML, index);
      buffer.Add("<th height=\"" + IntText(FHeader->Height()) + "px\"");
      bool rtl;
      TAlignment alignment = CellAlignment(column->CaptionAlignment(), column->BiDiMode(), rtl);
      if (rtl) buffer.Add(" dir=\"rtl\"");
      buffer.Add(HtmlAlign(alignment));
      if (maxLevel > 0 && index == mainColumn) buffer.Add(" colspan=\"" + IntText(Int64(maxLevel) + 1) + "\"");
      buffer.Add(" bgcolor=" + ColorToHex(clBtnFace) + " width=\"" + IntText(column->Width()) + "px\">");
      if (!column->Text().empty()) AddHtmlText(buffer, column->Text());
      buffer.Add("</th>");
      DoAfterColumnExport(etHTML, index);
    }
    buffer.Add("</tr>");
    buffer.AddNewLine();
    DoAfterHeaderExport(etHTML);
  }

  for (; node; node = getNext(node)) {
    if (!CanExportNode(node) || !DoBeforeNodeExport(etHTML, node)) continue;
    const Cardinal level = GetNodeLevel(node);
    const AnsiString height = IntText(node->NodeHeight);
    buffer.Add(" <tr class=\"default\">");
    buffer.AddNewLine();
    const std::size_t cells = useColumns ? visible.size() : 1;
    for (std::size_t i = 0; i < cells; ++i) {
      TLazyTreeColumn* column = useColumns ? visible[i] : nullptr;
      if (column && !column->Options().Contains(coVisible)) continue;
      const TColumnIndex index = column ? column->Index() : NoColumn;
      const bool ownColor = column && !column->Options().Contains(coParentColor);
      canvas->Font()->Assign(Font());
      FFontChanged = false;
      DoPaintText(node, canvas, index, ttNormal);
      const bool isMain = index == mainColumn;
      if (isMain)
        for (Cardinal l = 0; l < level; ++l) {
          if (ownColor)
            buffer.Add("<td class=\"noborder\" width=\"" + indentWidth + "\" height=\"" + height +
                       "px\" bgcolor=" + ColorToHex(column->Color()) + ">&nbsp;</td>");
          else if (l == 0)
            buffer.Add(" <td height=\"" + height + "px\" class=\"normalborder\">&nbsp;</td>");
          else
            buffer.Add(" <td>&nbsp;</td>");
        }
      if (FFontChanged) {
        buffer.Add(" <td class=\"normalborder\" ");
        AddStyle(buffer, canvas->Font(), nullptr);
        buffer.Add(" height=\"" + height + "px\"");
      } else {
        buffer.Add(" <td class=\"normalborder\"  height=\"" + height + "px\"");
      }
      bool rtl;
      TAlignment alignment = column ? CellAlignment(column->Alignment(), column->BiDiMode(), rtl)
                                    : CellAlignment(FAlignment, BiDiMode(), rtl);
      if (rtl) buffer.Add(" dir=\"rtl\"");
      buffer.Add(HtmlAlign(alignment));
      if (isMain && maxLevel > 0 && level < maxLevel)
        buffer.Add(" colspan=\"" + IntText(Int64(maxLevel) - level + 1) + "\"");
      if (ownColor) buffer.Add(" bgcolor=" + ColorToHex(column->Color()));
      buffer.Add(">");
      String text = Text(node, index);
      if (!text.empty()) AddHtmlText(buffer, text);
      buffer.Add("</td>");
    }
    DoAfterNodeExport(etHTML, node);
    buffer.Add(" </tr>");
    buffer.AddNewLine();
  }
  buffer.Add("</table>");
  return buffer.AsString();
}

// ---------------------------------------------------------------------------
// RTF

namespace {

// The running state of the RTF text writer: the font and colour tables it
// fills and what the last text switched to.
struct TRtfWriter {
  TBufferedAnsiString& Out;
  std::vector<String> Fonts;
  std::vector<Cardinal> Colors;
  Integer CurrentFont = -1;
  Integer CurrentColor = -1;
  Integer CurrentSize = INT32_MIN;

  void Write(const String& Text, TFont* Font) {
    if (Text.empty()) return;
    TFontStyles style = Font->Style();
    if (style.Contains(fsUnderline)) Out.Add("\\ul");
    if (style.Contains(fsItalic)) Out.Add("\\i");
    if (style.Contains(fsBold)) Out.Add("\\b");
    auto f = std::find(Fonts.begin(), Fonts.end(), Font->Name());
    Integer fontIndex = Integer(f - Fonts.begin());
    if (f == Fonts.end()) Fonts.push_back(Font->Name());
    if (fontIndex != CurrentFont) {
      CurrentFont = fontIndex;
      Out.Add("\\f" + IntText(fontIndex));
    }
    Cardinal rgb = Cardinal(ColorToRGB(Font->Color())) & 0xFFFFFF;
    auto c = std::find(Colors.begin(), Colors.end(), rgb);
    Integer colorIndex = Integer(c - Colors.begin());
    if (c == Colors.end()) Colors.push_back(rgb);
    if (colorIndex != CurrentColor) {
      CurrentColor = colorIndex;
      Out.Add("\\cf" + IntText(Int64(colorIndex) + 1));
    }
    if (Font->Size() != CurrentSize) {
      CurrentSize = Font->Size();
      Out.Add("\\fs" + IntText(Int64(CurrentSize) * 2));
    }
    Out.Add(" ");
    char unit[24];
    for (std::size_t i = 0; i < Text.size(); ++i) {
      const Char ch = Text[i];
      if (ch == 0) continue;  // see WithoutNul
      // CR LF, LF and a lone CR each end a line.
      if (ch == u'\n' || (ch == u'\r' && (i + 1 == Text.size() || Text[i + 1] != u'\n'))) {
        Out.Add("{\\par}");
      } else if (ch != u'\r') {
        // \u takes a signed 16-bit number.
        int n = std::snprintf(unit, sizeof unit, "\\u%d\\'3f", int(int16_t(ch)));
        Out.Add(unit, std::size_t(n));
      }
    }
    if (style.Contains(fsUnderline)) Out.Add("\\ul0");
    if (style.Contains(fsItalic)) Out.Add("\\i0");
    if (style.Contains(fsBold)) Out.Add("\\b0");
  }
};

const char* RtfAlign(TAlignment A, bool LeftToo) {
  return A == taRightJustify ? "\\qr" : A == taCenter ? "\\qc" : LeftToo ? "\\ql" : "";
}

}  // namespace

AnsiString TCustomLazyStringTree_qn::ContentToRTF(TVSTTextSourceType Source) {
  TBufferedAnsiString body;
  TRtfWriter writer{body, {}, {}};
  TCanvas* canvas = Canvas();
  TFontRedirection redirection(this, canvas);

  const bool useColumns = FHeader->UseColumns();
  const TColumnIndex mainColumn = FHeader->MainColumn();
  const Integer ppi = Screen->PixelsPerInch() > 0 ? Screen->PixelsPerInch() : 96;
  TColumnsArray visible;
  body.Add("\\uc1\\trowd\\trgaph70");
  if (useColumns) {
    visible = FHeader->Columns()->GetVisibleColumns();
    Int64 right = 0;
    for (TLazyTreeColumn* column : visible) {
      right += column->Width();
      body.Add("\\cellx" + IntText(Round(Double(right) * 1440 / ppi)));
    }
  } else {
    body.Add("\\cellx" + IntText(Round(Double(ClientWidth()) * 1440 / ppi)));
  }

  if (useColumns) {
    DoBeforeHeaderExport(etRTF);
    body.Add("\\pard\\intbl");
    for (TLazyTreeColumn* column : visible) {
      if (!column->Options().Contains(coVisible)) continue;
      DoBeforeColumnExport(etRTF, column->Index());
      bool rtl;
      body.Add(RtfAlign(CellAlignment(column->CaptionAlignment(), column->BiDiMode(), rtl), true));
      writer.Write(column->Text(), FHeader->Font());
      body.Add("\\cell");
      DoAfterColumnExport(etRTF, column->Index());
    }
    body.Add("\\row");
    DoAfterHeaderExport(etRTF);
  }

  PLazyNode node;
  TGetNextNodeProc getNext;
  GetRenderStartValues(Source, node, getNext);
  AnsiString tabs;
  Integer tabsLevel = 0;
  for (; node; node = getNext(node)) {
    if (!CanExportNode(node) || !DoBeforeNodeExport(etRTF, node)) continue;
    const Integer level = Integer(GetNodeLevel(node));
    const std::size_t cells = useColumns ? visible.size() : 1;
    for (std::size_t i = 0; i < cells; ++i) {
      TLazyTreeColumn* column = useColumns ? visible[i] : nullptr;
      if (column && !column->Options().Contains(coVisible)) continue;
      const TColumnIndex index = column ? column->Index() : NoColumn;
      body.Add("\\pard\\intbl");
      bool rtl;
      TAlignment alignment = column ? CellAlignment(column->Alignment(), column->BiDiMode(), rtl)
                                    : CellAlignment(FAlignment, BiDiMode(), rtl);
      body.Add(RtfAlign(alignment, false));
      canvas->Font()->Assign(Font());
      FFontChanged = false;
      DoPaintText(node, canvas, index, ttNormal);
      if (index == mainColumn && level > 0) {
        if (level != tabsLevel) {
          tabs.clear();
          for (Integer l = 0; l < level; ++l) tabs += "\\tab";
          tabsLevel = level;
        }
        body.Add(tabs + " ");
      }
      writer.Write(Text(node, index), canvas->Font());
      body.Add("\\cell");
    }
    body.Add("\\row");
    body.AddNewLine();
    DoAfterNodeExport(etRTF, node);
  }
  body.Add("\\pard\\par");

  TBufferedAnsiString result;
  result.Add("{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1043{\\fonttbl");
  for (std::size_t i = 0; i < writer.Fonts.size(); ++i)
    result.Add("{\\f" + IntText(Int64(i)) + " " + ToAnsi(writer.Fonts[i]) + ";}");
  result.Add("}{\\colortbl;");
  for (Cardinal rgb : writer.Colors)
    result.Add("\\red" + IntText(rgb & 0xFF) + "\\green" + IntText((rgb >> 8) & 0xFF) + "\\blue" +
               IntText((rgb >> 16) & 0xFF) + ";");
  result.Add("}");
  Char measure[2] = {0, 0};
  if (GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_IMEASURE, measure, 2) > 0 && measure[0] == u'0')
    result.Add("\\paperw16840\\paperh11907");
  else
    result.Add("\\paperw15840\\paperh12240");
  result.Add("\\margl720\\margr720\\margt720\\margb720");
  result.Add(body.AsString());
  result.Add("}");
  return result.AsString();
}

// ---------------------------------------------------------------------------
// Delimited text

namespace {

// The layout both text exports share; B is the buffer, S its string type.
template <class B, class S>
struct TDelimitedWriter {
  B& Out;
  const S& Separator;
  S Tabs;

  void AddPadding(Cardinal Count) {
    std::size_t n = std::min<std::size_t>(std::size_t(Count) * Separator.size(), Tabs.size());
    Out.Add(Tabs.data(), n);
  }
};

}  // namespace

AnsiString TCustomLazyStringTree_qn::ContentToText(TVSTTextSourceType Source, Char Separator) {
  return ContentToText(Source, ToAnsi(String(1, Separator)));
}

AnsiString TCustomLazyStringTree_qn::ContentToText(TVSTTextSourceType Source, const AnsiString& Separator) {
  TBufferedAnsiString buffer;
  PLazyNode first;
  TGetNextNodeProc getNext;
  GetRenderStartValues(Source, first, getNext);
  Cardinal maxLevel = 0;
  for (PLazyNode run = first; run; run = getNext(run)) maxLevel = std::max(maxLevel, GetNodeLevel(run));
  TDelimitedWriter<TBufferedAnsiString, AnsiString> w{buffer, Separator, {}};
  for (Cardinal l = 0; l < maxLevel; ++l) w.Tabs += Separator;

  auto addField = [&](const AnsiString& Text) {
    if (NeedsQuotes(Text, Separator, true))
      buffer.Add(Quoted(Text));
    else
      buffer.Add(Text);
  };
  const bool useColumns = FHeader->UseColumns();
  const TColumnIndex mainColumn = FHeader->MainColumn();
  TColumnsArray visible;
  if (useColumns) {
    visible = FHeader->Columns()->GetVisibleColumns();
    for (std::size_t i = 0; i < visible.size(); ++i) {
      addField(ToAnsi(visible[i]->Text()));
      // The main column spans the level padding in every row, the header
      // included, so captions stay above their columns.
      if (visible[i]->Index() == mainColumn) w.AddPadding(maxLevel);
      if (i + 1 < visible.size()) buffer.Add(Separator);
    }
    buffer.AddNewLine();
  }
  for (PLazyNode node = first; node; node = getNext(node)) {
    if (!CanExportNode(node) || !DoBeforeNodeExport(etText, node)) continue;
    const Cardinal level = GetNodeLevel(node);
    if (useColumns) {
      for (std::size_t i = 0; i < visible.size(); ++i) {
        TLazyTreeColumn* column = visible[i];
        if (!column->Options().Contains(coVisible)) continue;
        const bool isMain = column->Index() == mainColumn;
        if (isMain) w.AddPadding(level);
        addField(ToAnsi(Text(node, column->Index())));
        if (isMain) w.AddPadding(maxLevel - level);
        if (i + 1 < visible.size()) buffer.Add(Separator);
      }
    } else {
      // The level padding is made of separators, so the row's one text is
      // a field like a column's and is quoted like one.
      w.AddPadding(level);
      addField(ToAnsi(Text(node, NoColumn)));
    }
    DoAfterNodeExport(etText, node);
    buffer.AddNewLine();
  }
  return buffer.AsString();
}

String TCustomLazyStringTree_qn::ContentToUnicode(TVSTTextSourceType Source, Char Separator) {
  return ContentToUnicode(Source, String(1, Separator));
}

String TCustomLazyStringTree_qn::ContentToUnicode(TVSTTextSourceType Source, const String& Separator) {
  TWideBufferedString buffer;
  PLazyNode first;
  TGetNextNodeProc getNext;
  GetRenderStartValues(Source, first, getNext);
  Cardinal maxLevel = 0;
  for (PLazyNode run = first; run; run = getNext(run)) maxLevel = std::max(maxLevel, GetNodeLevel(run));
  TDelimitedWriter<TWideBufferedString, String> w{buffer, Separator, {}};
  for (Cardinal l = 0; l < maxLevel; ++l) w.Tabs += Separator;

  // Quotes inside a text are left alone unless the text needs quoting.
  auto addField = [&](const String& Field) {
    const String text = WithoutNul(Field);
    if (NeedsQuotes(text, Separator, false))
      buffer.Add(Quoted(text));
    else
      buffer.Add(text);
  };
  const bool useColumns = FHeader->UseColumns();
  const TColumnIndex mainColumn = FHeader->MainColumn();
  TColumnsArray visible;
  if (useColumns) {
    visible = FHeader->Columns()->GetVisibleColumns();
    for (std::size_t i = 0; i < visible.size(); ++i) {
      addField(visible[i]->Text());
      if (visible[i]->Index() == mainColumn) w.AddPadding(maxLevel);
      if (i + 1 < visible.size()) buffer.Add(Separator);
    }
    buffer.AddNewLine();
  }
  for (PLazyNode node = first; node; node = getNext(node)) {
    const Cardinal level = GetNodeLevel(node);
    if (useColumns) {
      for (std::size_t i = 0; i < visible.size(); ++i) {
        TLazyTreeColumn* column = visible[i];
        if (!column->Options().Contains(coVisible)) continue;
        const bool isMain = column->Index() == mainColumn;
        if (isMain) w.AddPadding(level);
        addField(Text(node, column->Index()));
        if (isMain) w.AddPadding(maxLevel - level);
        if (i + 1 < visible.size()) buffer.Add(Separator);
      }
    } else {
      w.AddPadding(level);
      addField(Text(node, NoColumn));
    }
    buffer.AddNewLine();
  }
  return buffer.AsString();
}

// ---------------------------------------------------------------------------
// Custom export: the events alone

void TCustomLazyStringTree_qn::ContentToCustom(TVSTTextSourceType Source) {
  DoBeforeTreeExport(etCustom);
  if (FHeader->UseColumns() && FHeader->Options().Contains(hoVisible)) {
    DoBeforeHeaderExport(etCustom);
    for (TLazyTreeColumn* column : FHeader->Columns()->GetVisibleColumns()) {
      DoBeforeColumnExport(etCustom, column->Index());
      DoColumnExport(etCustom, column->Index());
      DoAfterColumnExport(etCustom, column->Index());
    }
    DoAfterHeaderExport(etCustom);
  }
  PLazyNode node;
  TGetNextNodeProc getNext;
  GetRenderStartValues(Source, node, getNext);
  for (; node; node = getNext(node)) {
    if (!CanExportNode(node) || !DoBeforeNodeExport(etCustom, node)) continue;
    DoNodeExport(etCustom, node);
    DoAfterNodeExport(etCustom, node);
  }
  DoAfterTreeExport(etCustom);
}

// ---------------------------------------------------------------------------
// Clipboard renderings

namespace {

AnsiString EightDigits(const char* Name, Integer Value) {
  char line[48];
  std::snprintf(line, sizeof line, "%s%.8d\r\n", Name, Value);
  return line;
}

}  // namespace

// The offsets count bytes; the description lines have a fixed length, so
// the fragment always starts at byte 269.
AnsiString MakeCFHtmlData(const AnsiString& Fragment) {
  static constexpr char kDocType[] = "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.0 Transitional//EN\">";
  static constexpr char kPrefix[] =
      "<html><head><META http-equiv=Content-Type content=\"text/html; charset=utf-8\"></head><body><!--StartFragment-->";
  static constexpr char kSuffix[] = "<!--EndFragment--></body></html>";
  static_assert(sizeof kDocType - 1 == 62 && sizeof kPrefix - 1 == 110 && sizeof kSuffix - 1 == 32);
  const Integer startHTML = 97, startFragment = startHTML + 62 + 110;
  const Integer endFragment = startFragment + Integer(Fragment.size()), endHTML = endFragment + 32;
  AnsiString result = "Version:1.0\r\n";
  result += EightDigits("StartHTML:", startHTML);
  result += EightDigits("EndHTML:", endHTML);
  result += EightDigits("StartFragment:", startFragment);
  result += EightDigits("EndFragment:", endFragment);
  result += kDocType;
  result += kPrefix;
  result += Fragment;
  result += kSuffix;
  return result;
}

namespace {

HGLOBAL CopyToGlobal(const void* Data, std::size_t Bytes) {
  HGLOBAL block = GlobalAlloc(GHND | GMEM_SHARE, Bytes);
  if (!block) return nullptr;
  if (void* p = GlobalLock(block)) {
    std::memcpy(p, Data, Bytes);
    GlobalUnlock(block);
  }
  return block;
}

}  // namespace

HGLOBAL TCustomLazyStringTree_qn::ContentToClipboard(Word Format, TVSTTextSourceType Source) {
  if (Format == CF_TEXT) {
    AnsiString text = ContentToText(Source, AnsiString("\t"));
    return CopyToGlobal(text.c_str(), text.size() + 1);
  }
  if (Format == CF_UNICODETEXT) {
    String text = ContentToUnicode(Source, u'\t');
    return CopyToGlobal(text.c_str(), 2 * (text.size() + 1));
  }
  AnsiString text;
  if (CF_CSV && Format == CF_CSV)
    text = ContentToText(Source, FormatSettings.ListSeparator);
  else if ((CF_VRTF && Format == CF_VRTF) || (CF_VRTFNOOBJS && Format == CF_VRTFNOOBJS))
    text = ContentToRTF(Source);
  else if (CF_HTML && Format == CF_HTML)
    text = MakeCFHtmlData(ContentToHTML(Source));
  else
    return nullptr;
  return CopyToGlobal(text.c_str(), text.size() + 1);
}

// OLE methods never let an exception escape: whatever a handler raises
// while rendering becomes E_FAIL.
HRESULT TCustomLazyStringTree_qn::RenderOLEData(const TFormatEtc& FormatEtcIn, TStgMedium& Medium,
                                                bool ForClipboard) {
  try {
    HRESULT result = inherited::RenderOLEData(FormatEtcIn, Medium, ForClipboard);
    if (result == S_OK) return result;
    if (HGLOBAL block = ContentToClipboard(FormatEtcIn.cfFormat, ForClipboard ? tstCutCopySet : tstSelected)) {
      Medium.tymed = TYMED_HGLOBAL;
      Medium.hGlobal = block;
      Medium.pUnkForRelease = nullptr;
      return S_OK;
    }
    return result;
  } catch (...) {
    return E_FAIL;
  }
}

// ---------------------------------------------------------------------------
// Comma-separated lines of the top-level rows

void TCustomLazyStringTree_qn::GetDataFromGrid(TStringList* List, bool IncludeHeading) {
  TreeAssert(List != nullptr, u"List must not be nil");
  TLazyTreeColumns* columns = FHeader->Columns();
  const Integer count = columns->Count();
  // Without columns a row is the one text of the whole row.
  if (count == 0) {
    for (PLazyNode node = GetFirstChild(nullptr); node; node = GetNextSibling(node)) {
      String text = Text(node, NoColumn);
      List->Add(AnsiQuotedStr(text.empty() ? String(u" ") : text, u'"'));
    }
    return;
  }
  if (IncludeHeading) {
    String line;
    for (Integer i = 0; i < count; ++i) {
      if (i > 0) line += u',';
      line += AnsiQuotedStr(columns->Items(i)->Text(), u'"');
    }
    List->Add(line);
  }
  for (PLazyNode node = GetFirstChild(nullptr); node; node = GetNextSibling(node)) {
    String line;
    for (Integer i = 0; i < count; ++i) {
      String text = Text(node, i);
      if (text.empty()) text = u" ";
      if (i > 0) line += u',';
      line += AnsiQuotedStr(text, u'"');
    }
    List->Add(line);
  }
}

bool TCustomLazyStringTree_qn::SaveToCSVFile(const String& FileName, bool IncludeHeading) {
  if (FileName.empty()) return false;
  TStringList list;
  GetDataFromGrid(&list, IncludeHeading);
  list.SaveToFile(FileName);
  return true;
}

}  // namespace qn
