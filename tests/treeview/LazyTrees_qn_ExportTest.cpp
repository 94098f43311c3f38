// The string tree's text exports: byte goldens of one fixed tree in every
// format, the node selection of each source and export mode, the edge
// cases of the formats, escaping read back by an HTML parser and a strict
// CSV reader, the event order of the custom export, and the append buffers
// against a plain string.
#include <gtest/gtest.h>
#include <libxml/HTMLparser.h>
#include <libxml/tree.h>

#include <array>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "platform/desktop/Desktop.h"
#include "platform/rtl/Math.h"
#include "platform/vcl/Forms.h"
#include "tests/common/TestSupport.h"
#include "tests/treeview/LazyTreeTestSupport.h"
#include "treeview/LazyTrees_qn_StringTree.h"

namespace t_lazy_trees_qn_export_test {

using namespace qn;

namespace {

class TExportTree : public TLazyStringTree_qn {
  QN_CLASS(TExportTree, TLazyStringTree_qn)
 public:
  explicit TExportTree(TComponent* AOwner) : TLazyStringTree_qn(AOwner) {}
  using TCustomLazyStringTree_qn::CanExportNode;
  using TCustomLazyStringTree_qn::GetRenderStartValues;
};

// Compares Bytes with tests/golden/tree-export.<Name>; QN_UPDATE_GOLDEN=1
// rewrites the file instead.
void ExpectMatchesTextGolden(const std::string& Bytes, const std::string& Name) {
  std::string path = qntest::SourceDir() + "/tests/golden/tree-export." + Name;
  if (std::getenv("QN_UPDATE_GOLDEN")) std::ofstream(path, std::ios::binary) << Bytes;
  std::ifstream in(path, std::ios::binary);
  ASSERT_TRUE(in.good()) << "missing golden " << path;
  std::stringstream want;
  want << in.rdbuf();
  const std::string w = want.str();
  if (w == Bytes) return;
  std::size_t at = 0;
  while (at < w.size() && at < Bytes.size() && w[at] == Bytes[at]) ++at;
  ADD_FAILURE() << Name << " differs from its golden at byte " << at << ": got \""
                << Bytes.substr(at > 20 ? at - 20 : 0, 60) << "\", want \"" << w.substr(at > 20 ? at - 20 : 0, 60)
                << "\"";
}

std::string Utf16Bytes(const String& S) {
  return std::string(reinterpret_cast<const char*>(S.data()), S.size() * sizeof(Char));
}

// The bytes of a clipboard block; the block is freed.
std::string TakeBlock(HGLOBAL Block) {
  if (!Block) return std::string();
  auto* p = static_cast<const char*>(GlobalLock(Block));
  std::string bytes(p, GlobalSize(Block));
  GlobalUnlock(Block);
  GlobalFree(Block);
  return bytes;
}

// A strict CSV reader: records end with CR LF, a quoted field ends with a
// quote followed by the separator or the record's end, "" inside quotes is
// one quote, and an unquoted field holds neither quotes nor line breaks.
// PlainQuotes accepts quotes inside a field that does not start with one
// (the UTF-16 text leaves those alone).
std::vector<std::vector<std::string>> ReadCsv(const std::string& Text, const std::string& Sep,
                                              bool PlainQuotes = false) {
  std::vector<std::vector<std::string>> records;
  std::vector<std::string> record;
  std::size_t i = 0;
  auto fail = [&](const char* Why) {
    ADD_FAILURE() << Why << " at byte " << i << " of\n" << Text;
    return std::vector<std::vector<std::string>>();
  };
  while (i < Text.size()) {
    std::string field;
    if (Text[i] == '"') {
      ++i;
      for (;;) {
        if (i >= Text.size()) return fail("unterminated quoted field");
        if (Text[i] == '"') {
          if (i + 1 < Text.size() && Text[i + 1] == '"') {
            field += '"';
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        field += Text[i++];
      }
    } else {
      while (i < Text.size() && Text.compare(i, Sep.size(), Sep) != 0 && Text[i] != '\r') {
        if ((Text[i] == '"' && !PlainQuotes) || Text[i] == '\n') return fail("quote or line feed in an unquoted field");
        field += Text[i++];
      }
    }
    record.push_back(field);
    if (Text.compare(i, Sep.size(), Sep) == 0) {
      i += Sep.size();
    } else if (Text.compare(i, 2, "\r\n") == 0) {
      i += 2;
      records.push_back(record);
      record.clear();
    } else {
      return fail("field not followed by a separator or the record's end");
    }
  }
  if (!record.empty()) return fail("last record without its line end");
  return records;
}

std::string Utf8(const String& S) { return ToUtf8(S); }

// A reader of the RTF the export writes, as a word processor reads it: the
// rows of cell texts (UTF-8). Groups opening with a destination (font and
// colour tables) are skipped; \par is a line break, \tab a tab, \uN a
// UTF-16 unit (signed) followed by one fallback character to skip;
// \cell and \row end a cell and a row; line breaks in the source are not
// text, and unknown control words are ignored.
std::vector<std::vector<std::string>> ReadRtf(const std::string& Rtf) {
  std::vector<std::vector<std::string>> rows;
  std::vector<std::string> row;
  String cell;
  int skipDepth = 0, depth = 0, fallback = 0;
  std::size_t i = 0;
  while (i < Rtf.size()) {
    const char c = Rtf[i];
    if (c == '{') {
      ++depth;
      ++i;
      const bool table = Rtf.compare(i, 8, "\\fonttbl") == 0 || Rtf.compare(i, 9, "\\colortbl") == 0;
      if (!skipDepth && table) skipDepth = depth;
      continue;
    }
    if (c == '}') {
      if (skipDepth == depth) skipDepth = 0;
      --depth;
      ++i;
      continue;
    }
    if (c == '\r' || c == '\n') {
      ++i;
      continue;
    }
    if (c != '\\') {
      if (!skipDepth) {
        if (fallback > 0) --fallback;
        else cell += Char(static_cast<unsigned char>(c));
      }
      ++i;
      continue;
    }
    ++i;
    if (i < Rtf.size() && Rtf[i] == '\'') {
      if (!skipDepth) {
        if (fallback > 0) --fallback;
        else cell += Char(std::stoi(Rtf.substr(i + 1, 2), nullptr, 16));
      }
      i += 3;
      continue;
    }
    std::size_t start = i;
    while (i < Rtf.size() && std::isalpha(static_cast<unsigned char>(Rtf[i]))) ++i;
    const std::string word = Rtf.substr(start, i - start);
    std::size_t numberStart = i;
    if (i < Rtf.size() && (Rtf[i] == '-' || std::isdigit(static_cast<unsigned char>(Rtf[i])))) ++i;
    while (i < Rtf.size() && std::isdigit(static_cast<unsigned char>(Rtf[i]))) ++i;
    const std::string number = Rtf.substr(numberStart, i - numberStart);
    if (i < Rtf.size() && Rtf[i] == ' ') ++i;
    if (skipDepth) continue;
    if (word == "par") cell += u'\n';
    else if (word == "tab") cell += u'\t';
    else if (word == "u") {
      cell += Char(static_cast<uint16_t>(std::stoi(number)));
      fallback = 1;
    } else if (word == "cell") {
      row.push_back(Utf8(cell));
      cell.clear();
    } else if (word == "row") {
      rows.push_back(row);
      row.clear();
    }
  }
  return rows;
}

class LazyTrees_qn_Export : public ::testing::Test {
 protected:
  void SetUp() override {
    Form.reset(new TForm(nullptr));
    Form->SetBounds(0, 0, 600, 400);
    T = new TExportTree(Form.get());
    T->SetParent(Form.get());
    T->SetBounds(0, 0, 500, 300);
    T->Font()->SetName(u"DejaVu Sans");
    T->Font()->SetSize(9);
    T->SetColor(clWhite);
    T->SetOnGetText([this](TBaseLazyTree_qn*, PLazyNode Node, TColumnIndex Column, TVSTTextType Type, String& Text) {
      if (Type != ttNormal) return;
      auto it = Texts.find(Node);
      if (it != Texts.end()) Text = it->second[std::size_t(Column < 0 ? 0 : Column)];
    });
  }
  void TearDown() override {
    Form.reset();
    vcl::ResetSystemSettings();
  }
  // Three columns (the last right-to-left with its own colour), three
  // levels, check boxes, texts with non-Latin letters, a surrogate pair, a
  // quote and both separators, and one cell whose font OnPaintText changes.
  void BuildFixedTree() {
    TLazyTreeColumns* columns = T->Header()->Columns();
    TLazyTreeColumn* name = columns->Add();
    name->SetText(u"Name");
    name->SetWidth(160);
    TLazyTreeColumn* size = columns->Add();
    size->SetText(u"Gr\u00F6\u00DFe");
    size->SetWidth(70);
    size->SetAlignment(taRightJustify);
    TLazyTreeColumn* note = columns->Add();
    note->SetText(u"Notiz");
    note->SetWidth(120);
    note->SetBiDiMode(bdRightToLeft);
    note->SetColor(TColor(0x00E0F0FF));
    T->Header()->SetMainColumn(0);
    T->Header()->SetOptions(T->Header()->Options() + THeaderOptionsOf(hoVisible));
    T->SetRootNodeCount(2);
    PLazyNode apple = T->GetFirst();
    PLazyNode lemon = apple->NextSibling;
    T->SetChildCount(apple, 2);
    PLazyNode pear = apple->FirstChild;
    PLazyNode plum = pear->NextSibling;
    T->SetChildCount(pear, 1);
    PLazyNode kiwi = pear->FirstChild;
    Texts[apple] = {u"\u00C4pfel", u"12", u"rot, gr\u00FCn"};
    Texts[pear] = {u"Birne \"Williams\"", u"7", u"\u65E5\u672C"};
    Texts[kiwi] = {u"Kiwi \xD83D\xDE00", u"1", u"\u05E9\u05DC\u05D5\u05DD"};
    Texts[plum] = {u"Pflaume", u"", u"a;b"};
    Texts[lemon] = {u"Zitrone", u"3", u"sauer"};
    Nodes = {apple, pear, kiwi, plum, lemon};
    for (PLazyNode n : Nodes) T->SetCheckType(n, ctCheckBox);
    T->SetCheckState(apple, csCheckedNormal);
    T->SetCheckState(kiwi, csCheckedNormal);
    T->SetCheckState(plum, csCheckedNormal);
    T->FullExpand();
    T->SetOnPaintText([pear](TBaseLazyTree_qn*, TCanvas* Canvas, PLazyNode Node, TColumnIndex Column, TVSTTextType) {
      if (Node == pear && Column == 1) {
        Canvas->Font()->SetStyle(TFontStyles{TFontStyle::fsBold});
        Canvas->Font()->SetColor(clRed);
      }
    });
  }
  static TVTHeaderOptions THeaderOptionsOf(TVTHeaderOption O) { return TVTHeaderOptions{O}; }

  std::unique_ptr<TForm> Form;
  TExportTree* T = nullptr;
  std::map<PLazyNode, std::array<String, 3>> Texts;
  std::vector<PLazyNode> Nodes;
};

// Every format of the fixed tree, byte for byte.
TEST_F(LazyTrees_qn_Export, FormatsMatchTheirGoldens) {
  BuildFixedTree();
  ExpectMatchesTextGolden(T->ContentToHTML(tstAll, u"Obst"), "caption.html");
  T->SetBorderStyle(bsNone);
  ExpectMatchesTextGolden(T->ContentToHTML(tstAll), "noborder.html");
  T->SetBorderStyle(bsSingle);
  vcl::SetLocaleInfo(LOCALE_IMEASURE, u"0");
  ExpectMatchesTextGolden(T->ContentToRTF(tstAll), "metric.rtf");
  vcl::SetLocaleInfo(LOCALE_IMEASURE, u"1");
  const AnsiString letter = T->ContentToRTF(tstAll);
  ExpectMatchesTextGolden(letter, "letter.rtf");
  EXPECT_NE(letter.find("\\paperw15840\\paperh12240\\margl720"), AnsiString::npos);
  ExpectMatchesTextGolden(T->ContentToText(tstAll, u'\t'), "tab.txt");
  ExpectMatchesTextGolden(T->ContentToText(tstAll, AnsiString(";")), "semicolon.txt");
  ExpectMatchesTextGolden(Utf16Bytes(T->ContentToUnicode(tstAll, u'\t')), "unicode.txt");
  ExpectMatchesTextGolden(TakeBlock(T->ContentToClipboard(Word(CF_CSV), tstAll)), "csv");
  ExpectMatchesTextGolden(TakeBlock(T->ContentToClipboard(Word(CF_HTML), tstAll)), "cfhtml");
  TStringList grid;
  T->GetDataFromGrid(&grid, true);
  ExpectMatchesTextGolden(Utf8(grid.Text()), "grid.csv");
}

// The CF_HTML description's offsets point at the document and the fragment
// they name, and the clipboard blocks carry their terminators.
TEST_F(LazyTrees_qn_Export, ClipboardBlocksAreConsistent) {
  BuildFixedTree();
  const AnsiString fragment = T->ContentToHTML(tstAll);
  std::string block = TakeBlock(T->ContentToClipboard(Word(CF_HTML), tstAll));
  ASSERT_FALSE(block.empty());
  EXPECT_EQ(block.back(), '\0');
  block.pop_back();
  auto number = [&](const char* Key) {
    std::size_t at = block.find(Key);
    EXPECT_NE(at, std::string::npos) << Key;
    return std::stoi(block.substr(at + std::strlen(Key), 8));
  };
  const int startHtml = number("StartHTML:"), endHtml = number("EndHTML:");
  const int startFragment = number("StartFragment:"), endFragment = number("EndFragment:");
  EXPECT_EQ(block.compare(std::size_t(startHtml), 9, "<!DOCTYPE"), 0);
  EXPECT_EQ(block.substr(std::size_t(startFragment), std::size_t(endFragment - startFragment)), fragment);
  EXPECT_EQ(block.substr(std::size_t(startFragment) - 20, 20), "<!--StartFragment-->");
  EXPECT_EQ(std::size_t(endHtml), block.size());

  const AnsiString empty = MakeCFHtmlData(AnsiString());
  EXPECT_NE(empty.find("StartFragment:00000269\r\n"), AnsiString::npos);
  EXPECT_NE(empty.find("EndFragment:00000269\r\n"), AnsiString::npos);
  EXPECT_NE(empty.find("EndHTML:00000301\r\n"), AnsiString::npos);
  EXPECT_EQ(empty.size(), 301u);

  const String unicode = T->ContentToUnicode(tstAll, u'\t');
  const std::string wide = TakeBlock(T->ContentToClipboard(Word(CF_UNICODETEXT), tstAll));
  EXPECT_EQ(wide.size(), 2 * (unicode.size() + 1));
  EXPECT_EQ(wide.substr(0, wide.size() - 2), Utf16Bytes(unicode));
  EXPECT_EQ(wide.substr(wide.size() - 2), std::string(2, '\0'));
  const std::string rtf = TakeBlock(T->ContentToClipboard(Word(CF_VRTFNOOBJS), tstAll));
  EXPECT_EQ(rtf, T->ContentToRTF(tstAll) + std::string(1, '\0'));
  EXPECT_EQ(T->ContentToClipboard(Word(CF_BITMAP), tstAll), nullptr);
  EXPECT_EQ(T->ContentToClipboard(0, tstAll), nullptr);
}

// Each source type walks its own nodes and each export mode filters them;
// the unicode text ignores the filter and the node events.
TEST_F(LazyTrees_qn_Export, SourcesAndModesSelectTheirNodes) {
  BuildFixedTree();
  T->TreeOptions()->SetSelectionOptions(T->TreeOptions()->SelectionOptions() + TVTSelectionOptions{toMultiSelect});
  PLazyNode apple = Nodes[0], pear = Nodes[1], kiwi = Nodes[2], plum = Nodes[3], lemon = Nodes[4];
  T->AddToSelection(kiwi);
  T->AddToSelection(lemon);
  T->MarkCutCopyNodes();
  T->ClearSelection();
  T->AddToSelection(pear);
  T->AddToSelection(plum);
  T->SetExpanded(pear, false);

  std::vector<PLazyNode> exported;
  T->OnNodeExport = [&](TBaseLazyTree_qn*, TVTExportType, PLazyNode Node) {
    exported.push_back(Node);
    return true;
  };
  struct TCase {
    TVSTTextSourceType Source;
    TVTExportMode Mode;
    std::vector<PLazyNode> Want;
  };
  const TCase cases[] = {
      {tstAll, emAll, {apple, pear, kiwi, plum, lemon}},
      {tstInitialized, emAll, {apple, pear, kiwi, plum, lemon}},
      {tstSelected, emAll, {pear, plum}},
      {tstCutCopySet, emAll, {kiwi, lemon}},
      {tstVisible, emAll, {apple, pear, plum, lemon}},
      {tstChecked, emAll, {apple, kiwi, plum}},
      {tstAll, emChecked, {apple, kiwi, plum}},
      {tstAll, emUnchecked, {pear, lemon}},
      {tstVisible, emUnchecked, {pear, lemon}},
      {tstSelected, emChecked, {plum}},
  };
  for (const TCase& c : cases) {
    T->TreeOptions()->SetExportMode(c.Mode);
    exported.clear();
    T->ContentToCustom(c.Source);
    EXPECT_EQ(exported, c.Want) << int(c.Source) << "/" << int(c.Mode);
    // The text rows name the same nodes (one line per node after the
    // header); the unicode text takes every node of the source.
    PLazyNode first;
    TGetNextNodeProc next;
    T->GetRenderStartValues(c.Source, first, next);
    std::size_t all = 0;
    for (PLazyNode n = first; n; n = next(n)) ++all;
    auto lines = [](const std::string& S) { return std::count(S.begin(), S.end(), '\n'); };
    EXPECT_EQ(std::size_t(lines(T->ContentToText(c.Source, u'\t'))), c.Want.size() + 1);
    EXPECT_EQ(std::size_t(lines(Utf8(T->ContentToUnicode(c.Source, u'\t')))), all + 1);
    std::string html = T->ContentToHTML(c.Source);
    std::size_t rows = 0;
    for (std::size_t at = html.find("<tr class=\"default\">"); at != std::string::npos;
         at = html.find("<tr class=\"default\">", at + 1))
      ++rows;
    EXPECT_EQ(rows, c.Want.size());
  }
  // Only the normal check states count: a pressed box is neither.
  T->SetCheckState(pear, csCheckedPressed);
  T->TreeOptions()->SetExportMode(emAll);
  EXPECT_TRUE(T->CanExportNode(pear));
  T->TreeOptions()->SetExportMode(emChecked);
  EXPECT_FALSE(T->CanExportNode(pear));
  T->TreeOptions()->SetExportMode(emUnchecked);
  EXPECT_FALSE(T->CanExportNode(pear));
}

// The custom export fires its events in order, the header part only for a
// visible header, and a node vetoed by OnBeforeNodeExport gets no others.
TEST_F(LazyTrees_qn_Export, CustomExportFiresEventsInOrder) {
  BuildFixedTree();
  T->Header()->Columns()->Items(1)->SetOptions(T->Header()->Columns()->Items(1)->Options() - TVTColumnOptions{coVisible});
  std::vector<std::string> log;
  auto name = [this](PLazyNode N) { return Utf8(Texts[N][0]).substr(0, 4); };
  T->OnBeforeTreeExport = [&](TBaseLazyTree_qn*, TVTExportType E) { log.push_back("BT" + std::to_string(int(E))); };
  T->OnAfterTreeExport = [&](TBaseLazyTree_qn*, TVTExportType) { log.push_back("AT"); };
  T->OnBeforeHeaderExport = [&](TBaseLazyTree_qn*, TVTExportType) { log.push_back("BH"); };
  T->OnAfterHeaderExport = [&](TBaseLazyTree_qn*, TVTExportType) { log.push_back("AH"); };
  T->OnBeforeColumnExport = [&](TBaseLazyTree_qn*, TVTExportType, TColumnIndex C) {
    log.push_back("BC" + std::to_string(C));
  };
  T->OnColumnExport = [&](TBaseLazyTree_qn*, TVTExportType, TColumnIndex C) { log.push_back("C" + std::to_string(C)); };
  T->OnAfterColumnExport = [&](TBaseLazyTree_qn*, TVTExportType, TColumnIndex C) {
    log.push_back("AC" + std::to_string(C));
  };
  T->OnBeforeNodeExport = [&](TBaseLazyTree_qn*, TVTExportType, PLazyNode N) {
    log.push_back("BN " + name(N));
    return N != Nodes[1];
  };
  T->OnNodeExport = [&](TBaseLazyTree_qn*, TVTExportType, PLazyNode N) {
    log.push_back("N " + name(N));
    return true;
  };
  T->OnAfterNodeExport = [&](TBaseLazyTree_qn*, TVTExportType, PLazyNode N) {
    log.push_back("AN " + name(N));
    return true;
  };
  T->ContentToCustom(tstAll);
  const std::vector<std::string> want = {
      "BT5", "BH", "BC0", "C0", "AC0", "BC2", "C2", "AC2", "AH", "BN \xC3\x84pf", "N \xC3\x84pf", "AN \xC3\x84pf",
      "BN Birn", "BN Kiwi", "N Kiwi", "AN Kiwi", "BN Pfla", "N Pfla", "AN Pfla", "BN Zitr", "N Zitr", "AN Zitr", "AT"};
  EXPECT_EQ(log, want);

  log.clear();
  T->Header()->SetOptions(T->Header()->Options() - TVTHeaderOptions{hoVisible});
  T->TreeOptions()->SetExportMode(emChecked);
  T->ContentToCustom(tstAll);
  const std::vector<std::string> checkedOnly = {"BT5",     "BN \xC3\x84pf", "N \xC3\x84pf", "AN \xC3\x84pf", "BN Kiwi",
                                                "N Kiwi",  "AN Kiwi",       "BN Pfla",      "N Pfla",        "AN Pfla",
                                                "AT"};
  EXPECT_EQ(log, checkedOnly);

  // The text and HTML exports skip the vetoed node too.
  T->TreeOptions()->SetExportMode(emAll);
  EXPECT_EQ(T->ContentToText(tstAll, u'\t').find("Birne"), AnsiString::npos);
  EXPECT_EQ(T->ContentToHTML(tstAll).find("Birne"), AnsiString::npos);
  EXPECT_EQ(T->ContentToRTF(tstAll).find("\\u66\\'3f\\u105\\'3f\\u114"), AnsiString::npos);
}

// The formats' own edge cases, on a tree without columns.
TEST_F(LazyTrees_qn_Export, EdgeCasesWithoutColumns) {
  // No nodes: the single-byte text is just its terminator.
  const std::string none = TakeBlock(T->ContentToClipboard(Word(CF_TEXT), tstAll));
  ASSERT_EQ(none.size(), 1u);
  EXPECT_EQ(none[0], '\0');

  T->SetRootNodeCount(3);
  PLazyNode a = T->GetFirst(), b = a->NextSibling, c = b->NextSibling;
  T->SetChildCount(a, 1);
  PLazyNode child = a->FirstChild;
  Texts[a] = {u"A"};
  Texts[b] = {u"say \"hi\""};
  Texts[c] = {u"\uFF01\U0001F600"};
  Texts[child] = {u"x"};
  T->FullExpand();

  // RTF: every character as \u with a signed number, then \'3f.
  const AnsiString rtf = T->ContentToRTF(tstAll);
  EXPECT_NE(rtf.find(" \\u65\\'3f\\cell"), AnsiString::npos);
  EXPECT_NE(rtf.find(" \\u-255\\'3f\\u-10179\\'3f\\u-8704\\'3f\\cell"), AnsiString::npos);
  EXPECT_NE(rtf.find("\\pard\\intbl\\tab  \\u120\\'3f\\cell"), AnsiString::npos) << "the child is indented by one tab";
  EXPECT_NE(rtf.find("\\cellx" + std::to_string(Round(Double(T->ClientWidth()) * 1440 / 96))), AnsiString::npos);

  // HTML: no header row, one cell per node plus the child's indent cell.
  const AnsiString html = T->ContentToHTML(tstAll);
  EXPECT_EQ(html.find("<tr class=\"header\""), AnsiString::npos);
  EXPECT_EQ(html.find("<th"), AnsiString::npos);
  std::size_t cells = 0;
  for (std::size_t at = html.find("<td"); at != AnsiString::npos; at = html.find("<td", at + 1)) ++cells;
  EXPECT_EQ(cells, 5u);
  EXPECT_NE(html.find(" <td height=\"18px\" class=\"normalborder\">&nbsp;</td> <td class=\"normalborder\"  "
                      "height=\"18px\" align=left>x</td>"),
            AnsiString::npos);
  EXPECT_NE(html.find("colspan=\"2\""), AnsiString::npos);

  // Text: the leading separators of the level and the one text of the row,
  // quoted as a column's text is; characters outside code page 1252 become
  // question marks.
  EXPECT_EQ(T->ContentToText(tstAll, u'\t'), "A\r\n\tx\r\n\"say \"\"hi\"\"\"\r\n??\r\n");
  EXPECT_EQ(T->ContentToUnicode(tstAll, u'\t'), u"A\r\n\tx\r\nsay \"hi\"\r\n\uFF01\U0001F600\r\n");
}

// Without columns the level padding is made of separators, so the row's one
// text is a field: holding a separator it is quoted like a column's text and
// reads back whole, in every separator and clipboard block.
TEST_F(LazyTrees_qn_Export, ColumnlessTextsReadBackWhole) {
  T->SetRootNodeCount(2);
  PLazyNode a = T->GetFirst(), b = a->NextSibling;
  T->SetChildCount(a, 1);
  PLazyNode child = a->FirstChild;
  Texts[a] = {u"a,b;c\td"};
  Texts[child] = {u"x;y"};
  Texts[b] = {u"\"lead, and\r\nbreak"};
  T->FullExpand();
  const std::vector<std::vector<std::string>> want = {
      {"a,b;c\td"}, {"", "x;y"}, {"\"lead, and\r\nbreak"}};
  for (const char* sep : {",", ";", "\t"}) {
    EXPECT_EQ(ReadCsv(T->ContentToText(tstAll, AnsiString(sep)), sep), want) << sep;
    EXPECT_EQ(ReadCsv(Utf8(T->ContentToUnicode(tstAll, FromUtf8(sep))), sep, true), want) << sep;
  }
  struct TBlock {
    Word Format;
    const char* Separator;
  };
  const TBlock blocks[] = {{Word(CF_CSV), ","}, {Word(CF_TEXT), "\t"}, {Word(CF_UNICODETEXT), "\t"}};
  for (const TBlock& f : blocks) {
    std::string block = TakeBlock(T->ContentToClipboard(f.Format, tstAll));
    if (f.Format == CF_UNICODETEXT) {
      String wide(reinterpret_cast<const Char*>(block.data()), block.size() / 2);
      block = Utf8(String(wide.c_str()));
    } else {
      block = std::string(block.c_str());
    }
    EXPECT_EQ(ReadCsv(block, f.Separator, f.Format == CF_UNICODETEXT), want) << f.Format;
  }
}

// Line breaks in a cell reach an RTF reader as breaks: CR LF, LF and a lone
// CR each as one.
TEST_F(LazyTrees_qn_Export, RtfKeepsEveryKindOfLineBreak) {
  T->Header()->Columns()->Add()->SetText(u"cr\ronly");
  T->Header()->Columns()->Add()->SetText(u"Plain");
  T->SetRootNodeCount(2);
  PLazyNode a = T->GetFirst(), b = a->NextSibling;
  Texts[a] = {u"cr\ronly", u"lf\nonly"};
  Texts[b] = {u"crlf\r\nx\r", u"\r\rtwo"};
  const std::vector<std::vector<std::string>> want = {
      {"cr\nonly", "Plain"}, {"cr\nonly", "lf\nonly"}, {"crlf\nx\n", "\n\ntwo"}};
  EXPECT_EQ(ReadRtf(T->ContentToRTF(tstAll)), want);
  std::string block = TakeBlock(T->ContentToClipboard(Word(CF_VRTF), tstAll));
  EXPECT_EQ(ReadRtf(block.c_str()), want);
}

// Every export ends in a clipboard block that readers take up to its first
// U+0000: a cell's U+0000 is left out, so each reader gets the whole export.
// The other units of a cell reach each format as its character set allows:
// UTF-16 keeps a lone surrogate, single-byte text writes '?', UTF-8 (HTML)
// has no form for it and drops it, RTF writes the unit itself.
TEST_F(LazyTrees_qn_Export, TextsReachEveryReaderWhole) {
  T->Header()->Columns()->Add()->SetText(String(u"he\0ad", 5));
  T->Header()->Columns()->Add()->SetText(u"tail");
  T->SetRootNodeCount(2);
  PLazyNode a = T->GetFirst(), b = a->NextSibling;
  Texts[a] = {String(u"be\0fore", 7), String(u"\0", 1)};
  Texts[b] = {String(u"lone\xD800", 5), u"after"};
  const std::vector<std::vector<std::string>> single = {{"head", "tail"}, {"before", ""}, {"lone?", "after"}};
  const std::vector<std::vector<std::string>> wide = {{"head", "tail"}, {"before", ""}, {"lone", "after"}};
  auto untilNul = [](const std::string& Block) { return std::string(Block.c_str()); };

  EXPECT_EQ(ReadCsv(untilNul(TakeBlock(T->ContentToClipboard(Word(CF_TEXT), tstAll))), "\t"), single);
  EXPECT_EQ(ReadCsv(untilNul(TakeBlock(T->ContentToClipboard(Word(CF_CSV), tstAll))), ","), single);
  const std::string unicode = TakeBlock(T->ContentToClipboard(Word(CF_UNICODETEXT), tstAll));
  const String units(String(reinterpret_cast<const Char*>(unicode.data()), unicode.size() / 2).c_str());
  EXPECT_NE(units.find(u"\r\nlone\xD800\tafter\r\n"), String::npos) << "the UTF-16 text keeps the lone unit";
  String withoutLone = units;
  withoutLone.erase(units.find(Char(0xD800)), 1);
  EXPECT_EQ(ReadCsv(Utf8(withoutLone), "\t", true), wide);

  std::string html = TakeBlock(T->ContentToClipboard(Word(CF_HTML), tstAll));
  html = untilNul(html);
  const std::size_t start = html.find("<table");
  ASSERT_NE(start, std::string::npos) << html;
  htmlDocPtr doc = htmlReadMemory(html.data() + start, int(html.size() - start), nullptr, "UTF-8",
                                  HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING | HTML_PARSE_NONET);
  ASSERT_NE(doc, nullptr);
  std::vector<std::string> cells;
  std::function<void(xmlNodePtr)> walk = [&](xmlNodePtr node) {
    for (; node; node = node->next) {
      if (node->type == XML_ELEMENT_NODE &&
          (xmlStrEqual(node->name, BAD_CAST "th") || xmlStrEqual(node->name, BAD_CAST "td"))) {
        xmlChar* content = xmlNodeGetContent(node);
        cells.push_back(content ? reinterpret_cast<const char*>(content) : "");
        xmlFree(content);
      }
      walk(node->children);
    }
  };
  walk(xmlDocGetRootElement(doc));
  xmlFreeDoc(doc);
  EXPECT_EQ(cells, (std::vector<std::string>{"head", "tail", "before", "", "lone", "after"}));

  const std::string rtf = untilNul(TakeBlock(T->ContentToClipboard(Word(CF_VRTF), tstAll)));
  auto rows = ReadRtf(rtf);
  ASSERT_EQ(rows.size(), 3u) << rtf;
  EXPECT_EQ(rows[0], single[0]);
  EXPECT_EQ(rows[1], single[1]);
  EXPECT_EQ(rows[2][1], "after");
  EXPECT_NE(rtf.find("\\u101\\'3f\\u-10240\\'3f\\cell"), std::string::npos) << "RTF writes the lone unit";
}

// Quoting in the delimited formats: a cell with the separator, a quote, a
// leading quote or a line break reads back whole through a strict reader.
TEST_F(LazyTrees_qn_Export, DelimitedCellsReadBackWhole) {
  TLazyTreeColumns* columns = T->Header()->Columns();
  for (const char16_t* caption : {u"First", u"Sec,ond", u"Third"}) columns->Add()->SetText(caption);
  T->SetRootNodeCount(3);
  PLazyNode a = T->GetFirst(), b = a->NextSibling, c = b->NextSibling;
  Texts[a] = {u"a,b", u"say \"hi\"", u"line1\r\nline2"};
  Texts[b] = {u"\"lead", u"plain", u"lf\nonly"};
  Texts[c] = {u"", u"semi;colon", u"tab\there"};
  const std::vector<std::vector<std::string>> want = {{"First", "Sec,ond", "Third"},
                                                      {"a,b", "say \"hi\"", "line1\r\nline2"},
                                                      {"\"lead", "plain", "lf\nonly"},
                                                      {"", "semi;colon", "tab\there"}};
  EXPECT_EQ(ReadCsv(T->ContentToText(tstAll, u','), ","), want);
  EXPECT_EQ(ReadCsv(Utf8(T->ContentToUnicode(tstAll, u',')), ",", true), want);
  EXPECT_EQ(ReadCsv(T->ContentToText(tstAll, AnsiString(";")), ";"), want);
  EXPECT_EQ(ReadCsv(Utf8(T->ContentToUnicode(tstAll, String(u"; "))), "; ", true), want);
  std::string csv = TakeBlock(T->ContentToClipboard(Word(CF_CSV), tstAll));
  ASSERT_FALSE(csv.empty());
  csv.pop_back();
  EXPECT_EQ(ReadCsv(csv, ","), want);
  // A quote is doubled inside quotes in the single-byte text; the UTF-16
  // text keeps a text without the separator as it is.
  EXPECT_NE(T->ContentToText(tstAll, u'\t').find("\t\"say \"\"hi\"\"\"\t"), AnsiString::npos);
  EXPECT_NE(T->ContentToUnicode(tstAll, u'\t').find(u"\tsay \"hi\"\t"), String::npos);

  TStringList grid;
  T->GetDataFromGrid(&grid, true);
  std::string lines = Utf8(grid.Text());
  auto rows = ReadCsv(lines, ",");
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[1], want[1]);
  EXPECT_EQ(rows[3][0], " ") << "an empty cell is written as a blank";

  std::string dir = qntest::MakeTempDir("export-csv");
  EXPECT_FALSE(T->SaveToCSVFile(String(), true));
  const String file = FromUtf8(dir + "/grid.csv");
  ASSERT_TRUE(T->SaveToCSVFile(file, false));
  std::ifstream in(dir + "/grid.csv", std::ios::binary);
  std::stringstream saved;
  saved << in.rdbuf();
  TStringList rows2;
  T->GetDataFromGrid(&rows2, false);
  EXPECT_EQ(saved.str(), Utf8(rows2.Text()));
  EXPECT_EQ(ReadCsv(saved.str(), ",").size(), 3u);
}

// The text header gets the main column's level padding wherever the main
// column is displayed, so every line has the same fields.
TEST_F(LazyTrees_qn_Export, TextHeaderKeepsColumnsAligned) {
  BuildFixedTree();
  for (TColumnPosition mainPosition : {0u, 2u}) {
    T->Header()->Columns()->Items(0)->SetPosition(mainPosition);
    for (const AnsiString& text : {T->ContentToText(tstAll, u'\t'), Utf8(T->ContentToUnicode(tstAll, u'\t'))}) {
      std::istringstream lines(text);
      std::string line;
      std::vector<std::size_t> fields;
      while (std::getline(lines, line)) fields.push_back(std::size_t(std::count(line.begin(), line.end(), '\t')));
      ASSERT_EQ(fields.size(), 6u);
      for (std::size_t f : fields) EXPECT_EQ(f, 2u + 2u) << "main column at " << mainPosition << ":\n" << text;
    }
  }
}

// Markup characters in a cell, a column caption and the table caption read
// back through an HTML parser as the same text.
TEST_F(LazyTrees_qn_Export, HtmlEscapesMarkup) {
  const String nasty = u"<b>& \"x\" \u00E9\U0001F600";
  T->Header()->Columns()->Add()->SetText(nasty);
  T->Header()->Columns()->Add()->SetText(u"Other");
  T->SetRootNodeCount(1);
  PLazyNode n = T->GetFirst();
  Texts[n] = {nasty, u"plain"};
  const AnsiString html = T->ContentToHTML(tstAll, nasty);
  htmlDocPtr doc = htmlReadMemory(html.data(), int(html.size()), nullptr, "UTF-8",
                                  HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING | HTML_PARSE_NONET);
  ASSERT_NE(doc, nullptr);
  std::vector<std::string> th, td;
  std::string caption;
  std::function<void(xmlNodePtr)> walk = [&](xmlNodePtr node) {
    for (; node; node = node->next) {
      if (node->type == XML_ELEMENT_NODE) {
        std::string tag = reinterpret_cast<const char*>(node->name);
        auto content = [&] {
          xmlChar* s = xmlNodeGetContent(node);
          std::string r = s ? reinterpret_cast<const char*>(s) : "";
          xmlFree(s);
          return r;
        };
        if (tag == "th") th.push_back(content());
        if (tag == "td") td.push_back(content());
        if (tag == "b") ADD_FAILURE() << "the text opened an element";
        if (tag == "table") {
          xmlChar* s = xmlGetProp(node, reinterpret_cast<const xmlChar*>("caption"));
          caption = s ? reinterpret_cast<const char*>(s) : "";
          xmlFree(s);
        }
      }
      walk(node->children);
    }
  };
  walk(xmlDocGetRootElement(doc));
  xmlFreeDoc(doc);
  EXPECT_EQ(caption, Utf8(nasty));
  EXPECT_EQ(th, (std::vector<std::string>{Utf8(nasty), "Other"}));
  EXPECT_EQ(td, (std::vector<std::string>{Utf8(nasty), "plain"}));
}

// The HTML text is UTF-8 of the cell text: pairs join into one code point,
// a half without its partner is dropped; checked against a reference
// encoder on random UTF-16 texts.
TEST_F(LazyTrees_qn_Export, HtmlTextIsUtf8OfTheCell) {
  T->SetRootNodeCount(1);
  PLazyNode n = T->GetFirst();
  std::mt19937 rng(134);
  const std::array<Char, 10> pool = {u'a', u'Z', u' ', 0x00E9, 0x07FF, 0x0800, 0xFFFD, 0xD800, 0xDBFF, 0xDC00};
  for (int round = 0; round < 200; ++round) {
    String text;
    int length = std::uniform_int_distribution<int>(0, 12)(rng);
    for (int i = 0; i < length; ++i) text += pool[std::uniform_int_distribution<std::size_t>(0, pool.size() - 1)(rng)];
    Texts[n] = {text};
    std::string want;
    for (std::size_t i = 0; i < text.size(); ++i) {
      uint32_t c = text[i];
      if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) {
        c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00u);
      } else if (c >= 0xD800 && c < 0xE000) {
        continue;
      }
      std::u32string one(1, char32_t(c));
      std::string bytes;
      if (c < 0x80) bytes = char(c);
      else if (c < 0x800) bytes = {char(0xC0 | (c >> 6)), char(0x80 | (c & 63))};
      else if (c < 0x10000) bytes = {char(0xE0 | (c >> 12)), char(0x80 | ((c >> 6) & 63)), char(0x80 | (c & 63))};
      else
        bytes = {char(0xF0 | (c >> 18)), char(0x80 | ((c >> 12) & 63)), char(0x80 | ((c >> 6) & 63)),
                 char(0x80 | (c & 63))};
      want += bytes;
    }
    const AnsiString html = T->ContentToHTML(tstAll);
    const std::string open = " align=left>";
    std::size_t from = html.find(open);
    ASSERT_NE(from, AnsiString::npos);
    from += open.size();
    EXPECT_EQ(html.substr(from, html.find("</td>", from) - from), want) << "round " << round;
  }
}

// The append buffers hold exactly what was appended, across their growth
// steps, against a plain string.
TEST_F(LazyTrees_qn_Export, BuffersMatchAPlainString) {
  std::mt19937 rng(4096);
  for (int round = 0; round < 20; ++round) {
    TBufferedAnsiString narrow;
    TWideBufferedString wide;
    std::string wantNarrow;
    String wantWide;
    int steps = std::uniform_int_distribution<int>(1, 40)(rng);
    for (int s = 0; s < steps; ++s) {
      if (std::uniform_int_distribution<int>(0, 3)(rng) == 0) {
        narrow.AddNewLine();
        wide.AddNewLine();
        wantNarrow += "\r\n";
        wantWide += u"\r\n";
        continue;
      }
      std::size_t length = std::uniform_int_distribution<std::size_t>(0, 9000)(rng);
      std::string piece(length, char('a' + s % 26));
      String widePiece(length, Char(0x4E00 + s));
      narrow.Add(piece);
      wide.Add(widePiece);
      wantNarrow += piece;
      wantWide += widePiece;
    }
    EXPECT_EQ(narrow.AsString(), wantNarrow);
    EXPECT_EQ(wide.AsString(), wantWide);
  }
  EXPECT_EQ(TBufferedAnsiString().AsString(), "");
  EXPECT_EQ(TWideBufferedString().AsString(), u"");
}

}  // namespace

namespace {

// The data object's rendering: text formats of the cut/copy set for the
// clipboard, of the selection for a drag, in a global block without a
// release object; a handler that raises makes it E_FAIL.
TEST_F(LazyTrees_qn_Export, RenderOLEDataRendersTextFormats) {
  T->SetRootNodeCount(2);
  PLazyNode a = T->GetFirst(), b = a->NextSibling;
  Texts[a] = {u"cut"};
  Texts[b] = {u"dragged"};
  T->AddToSelection(a);
  T->MarkCutCopyNodes();
  T->ClearSelection();
  T->AddToSelection(b);
  TFormatEtc format{};
  format.cfFormat = Word(CF_TEXT);
  format.dwAspect = DVASPECT_CONTENT;
  format.lindex = -1;
  format.tymed = TYMED_HGLOBAL;
  for (bool forClipboard : {true, false}) {
    TStgMedium medium;
    ASSERT_EQ(T->RenderOLEData(format, medium, forClipboard), S_OK);
    EXPECT_EQ(medium.tymed, DWORD(TYMED_HGLOBAL));
    EXPECT_EQ(medium.pUnkForRelease, nullptr);
    EXPECT_EQ(TakeBlock(medium.hGlobal), std::string(forClipboard ? "cut\r\n" : "dragged\r\n") + '\0');
  }
  format.cfFormat = Word(CF_BITMAP);
  TStgMedium none;
  EXPECT_NE(T->RenderOLEData(format, none, true), S_OK);
  EXPECT_EQ(none.hGlobal, nullptr);

  format.cfFormat = Word(CF_HTML);
  T->SetOnGetText([](TBaseLazyTree_qn*, PLazyNode, TColumnIndex, TVSTTextType, String&) {
    throw Exception(u"no text today");
  });
  const size_t blocks = GlobalBlockCount();
  TStgMedium failed;
  EXPECT_EQ(T->RenderOLEData(format, failed, false), E_FAIL);
  EXPECT_EQ(GlobalBlockCount(), blocks);
}

}  // namespace

}  // namespace t_lazy_trees_qn_export_test
