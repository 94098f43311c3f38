// The header stream: the exact bytes of an empty and a three-column header,
// the older layouts with their option conversions, round trips, and streams
// that are cut short or inconsistent, which leave the columns alone.
#include <gtest/gtest.h>

#include "platform/rtl/SysUtils.h"
#include "tests/treeview/LazyTrees_qn_StreamTestSupport.h"

namespace t_lazy_trees_qn_header_stream_test {

using namespace qn;
using namespace streamtest;

namespace {

// Little-endian 32-bit words, strings with their length, raw bytes.
struct TBytesOut {
  TBytesV Bytes;
  TBytesOut& I(Integer V) {
    Byte b[4];
    std::memcpy(b, &V, 4);
    Bytes.insert(Bytes.end(), b, b + 4);
    return *this;
  }
  TBytesOut& W(const std::u16string& S) {
    I(Integer(S.size()));
    for (char16_t c : S) {
      Bytes.push_back(Byte(c & 0xFF));
      Bytes.push_back(Byte(c >> 8));
    }
    return *this;
  }
  TBytesOut& U(const std::string& S) {
    I(Integer(S.size()));
    Bytes.insert(Bytes.end(), S.begin(), S.end());
    return *this;
  }
};

TBytesV SaveHeader(TVTHeader* H) {
  TMemoryStream s;
  H->SaveToStream(&s);
  const Byte* p = static_cast<const Byte*>(s.Memory());
  return TBytesV(p, p + s.Size());
}

void SetKnownFont(TVTHeader* H) {
  H->Font()->SetName(u"Dejä Sans");  // a name that needs two UTF-8 bytes
  H->Font()->SetHeight(-11);
  H->Font()->SetColor(0x00112233);
  H->Font()->SetStyle(TFontStyles{TFontStyle::fsBold, TFontStyle::fsUnderline});
}

// The header fields after the columns block, as written for SetKnownFont
// and the defaults otherwise.
TBytesOut& HeaderFields(TBytesOut& W, Integer AutoSize, Integer Options, Integer Main, Integer Sort, Integer Dir) {
  W.I(AutoSize).I(clBtnFace).I(19).I(Options).I(0);
  W.I(0x00112233).I(-11).U("Dej\xC3\xA4 Sans").I(0).I(1 | 4);
  W.I(Main).I(Sort).I(Dir).I(0).I(10000).I(10).I(19).I(0).I(0).I(0).I(0);
  return W;
}

Integer Bits(TVTColumnOptions O) { return Integer(O.Bits()); }

}  // namespace

TEST(LazyTrees_qn_HeaderStream, EmptyHeaderWritesItsExactBytesAndReadsBack) {
  THostTree t;
  TVTHeader* h = t.Header();
  SetKnownFont(h);
  TBytesOut w;
  w.I(-1).I(6).I(0).I(50);
  HeaderFields(w, 0, 0x20A, NoColumn, NoColumn, 0);
  EXPECT_EQ(SaveHeader(h), w.Bytes);

  THostTree u;
  u.Header()->Columns()->Add();
  auto s = StreamOf(w.Bytes);
  u.Header()->LoadFromStream(s.get());
  EXPECT_EQ(u.Header()->Columns()->Count(), 0);
  EXPECT_TRUE(u.Header()->Columns()->PositionToIndex().empty());
  EXPECT_EQ(u.Header()->Font()->Name(), u"Dejä Sans");
  EXPECT_EQ(u.Header()->Font()->Height(), -11);
  EXPECT_EQ(SaveHeader(u.Header()), w.Bytes);
  EXPECT_FALSE(u.Header()->States().Contains(hsLoading));
}

TEST(LazyTrees_qn_HeaderStream, ThreeColumnsWithTheirOrderRoundTrip) {
  THostTree t;
  TVTHeader* h = t.Header();
  SetKnownFont(h);
  TLazyTreeColumns* cols = h->Columns();
  for (int i = 0; i < 3; ++i) cols->Add();
  cols->Items(0)->SetText(u"Name");
  cols->Items(0)->SetHint(u"the name");
  cols->Items(0)->SetWidth(120);
  cols->Items(1)->SetText(u"Size");
  cols->Items(1)->SetWidth(60);
  cols->Items(1)->SetAlignment(taRightJustify);
  cols->Items(1)->SetTag(7);
  cols->Items(1)->SetCaptionAlignment(taCenter);
  cols->Items(2)->SetText(u"Date");
  cols->Items(2)->SetMinWidth(30);
  cols->Items(2)->SetImageIndex(4);
  cols->Items(2)->SetColor(0x00ABCDEF);
  cols->Items(2)->SetPosition(0);
  h->SetOptions(h->Options() + TVTHeaderOptions{hoVisible});
  h->SetMainColumn(1);
  h->SetSortColumn(2);
  h->SetSortDirection(sdDescending);

  TVTColumnOptions d = DefaultColumnOptions;
  TBytesOut w;
  w.I(-1).I(6).I(3);
  w.W(u"Name").W(u"the name").I(120).I(10).I(10000).I(0).I(-1).I(0).I(4).I(3).I(0).I(Bits(d)).I(0).I(0).I(clWindow);
  w.W(u"Size").W(u"").I(60).I(10).I(10000).I(0).I(-1).I(0).I(4).I(3).I(0)
      .I(Bits(d + TVTColumnOptions{coUseCaptionAlignment})).I(7).I(1).I(clWindow).I(2);
  w.W(u"Date").W(u"").I(50).I(30).I(10000).I(0).I(4).I(0).I(4).I(3).I(0)
      .I(Bits(d - TVTColumnOptions{coParentColor})).I(0).I(0).I(0x00ABCDEF);
  w.I(2).I(0).I(1).I(50);
  HeaderFields(w, 0, 0x20A | 0x400, 1, 2, 1);
  TBytesV bytes = SaveHeader(h);
  ASSERT_EQ(bytes, w.Bytes);

  THostTree u;
  auto s = StreamOf(bytes);
  u.Header()->LoadFromStream(s.get());
  EXPECT_EQ(s->Position(), s->Size());
  EXPECT_TRUE(u.Header()->Columns()->Equals(cols));
  EXPECT_EQ(u.Header()->Columns()->Items(1)->CaptionAlignment(), taCenter);
  EXPECT_EQ(u.Header()->Columns()->Items(0)->Hint(), u"the name");
  EXPECT_EQ(u.Header()->MainColumn(), 1);
  EXPECT_EQ(u.Header()->SortColumn(), 2);
  EXPECT_EQ(u.Header()->SortDirection(), sdDescending);
  EXPECT_EQ(u.Header()->Columns()->Items(2)->Position(), 0u);
  EXPECT_EQ(SaveHeader(u.Header()), bytes);
}

TEST(LazyTrees_qn_HeaderStream, OlderLayoutsConvertTheirOptions) {
  auto column = [](TBytesOut& W, Integer Options) {
    W.W(u"c").W(u"").I(80).I(10).I(10000).I(0).I(-1).I(0).I(4).I(3).I(0).I(Options);
  };
  // Version 1: bits 4 to 6 one place lower; tag and alignment follow.
  {
    TBytesOut w;
    w.I(-1).I(1).I(1);
    column(w, 0x1F);
    w.I(5).I(2);  // tag, alignment
    w.I(0);       // positions
    w.I(0).I(clBtnFace).I(19).I(0x20A).I(0).I(0).I(-11).U("A").I(0).I(0).I(0).I(NoColumn).I(0);
    THostTree t;
    auto s = StreamOf(w.Bytes);
    t.Header()->LoadFromStream(s.get());
    ASSERT_EQ(t.Header()->Columns()->Count(), 1);
    EXPECT_EQ(Bits(t.Header()->Columns()->Items(0)->Options()), 0x2F);
    EXPECT_EQ(t.Header()->Columns()->Items(0)->Tag(), 5);
    EXPECT_EQ(t.Header()->Columns()->Items(0)->Alignment(), taCenter);
    EXPECT_EQ(t.Header()->Columns()->DefaultWidth(), 50);
    EXPECT_EQ(s->Position(), s->Size());
  }
  // Version 2: only the low eight bits; the colour follows.
  {
    TBytesOut w;
    w.I(-1).I(2).I(1);
    column(w, 0x1FF);
    w.I(0).I(0).I(0x00FF00);
    w.I(0);
    w.I(0).I(clBtnFace).I(19).I(0x20A).I(0).I(0).I(-11).U("A").I(0).I(0).I(0).I(NoColumn).I(0);
    THostTree t;
    auto s = StreamOf(w.Bytes);
    t.Header()->LoadFromStream(s.get());
    EXPECT_EQ(Bits(t.Header()->Columns()->Items(0)->Options()), 0xFF);
    // The stored options say the column follows the tree's colour, and it
    // still does after its own colour was read.
    EXPECT_EQ(t.Header()->Columns()->Items(0)->Color(), t.Color());
  }
  // No marker: the first integer is the column count.
  {
    TBytesOut w;
    w.I(3);
    for (int i = 0; i < 3; ++i) column(w, 0x0F);
    w.I(1).I(2).I(0);
    w.I(1).I(clBtnFace).I(25).I(0x20A).I(2).I(0).I(-11).U("A").I(0).I(0);
    THostTree t;
    auto s = StreamOf(w.Bytes);
    t.Header()->LoadFromStream(s.get());
    ASSERT_EQ(t.Header()->Columns()->Count(), 3);
    EXPECT_EQ(t.Header()->Columns()->Items(0)->Position(), 2u);
    EXPECT_EQ(t.Header()->Style(), hsPlates);
    EXPECT_EQ(t.Header()->AutoSizeIndex(), 1);
    EXPECT_EQ(s->Position(), s->Size());
  }
}

TEST(LazyTrees_qn_HeaderStream, BadStreamsRaiseTheReadErrorAndKeepTheColumns) {
  THostTree source;
  TLazyTreeColumns* cols = source.Header()->Columns();
  for (int i = 0; i < 3; ++i) cols->Add()->SetText(u"col" + std::u16string(1, char16_t(u'0' + i)));
  cols->Items(1)->SetCaptionAlignment(taRightJustify);
  TBytesV good = SaveHeader(source.Header());
  // Where the columns block ends: the header fields follow it.
  size_t columnsEnd = good.size() - (21 * 4 + UTF8Encode(source.Header()->Font()->Name()).size());

  auto attempt = [&](const TBytesV& Bytes, bool ExpectKept) -> bool {
    THostTree t;
    t.Header()->Columns()->Add()->SetText(u"kept");
    TVTHeaderOptions options = t.Header()->Options();
    auto s = StreamOf(Bytes);
    bool raised = false;
    try {
      t.Header()->LoadFromStream(s.get());
    } catch (const EReadError&) {
      raised = true;
    }
    EXPECT_FALSE(t.Header()->States().Contains(hsLoading));
    if (ExpectKept) {
      EXPECT_TRUE(raised);
      EXPECT_EQ(t.Header()->Columns()->Count(), 1);
      if (t.Header()->Columns()->Count() == 1) {
        EXPECT_EQ(t.Header()->Columns()->Items(0)->Text(), u"kept");
      }
      EXPECT_EQ(t.Header()->Options(), options);
    }
    return raised;
  };
  for (size_t cut = 0; cut < good.size(); ++cut) {
    SCOPED_TRACE(cut);
    TBytesV part(good.begin(), good.begin() + long(cut));
    // Inside the columns block nothing is replaced; later the header keeps
    // what it read so far, and the read still fails.
    EXPECT_TRUE(attempt(part, cut < columnsEnd));
  }
  // A position array that is not a permutation.
  TBytesV badPositions = good;
  size_t positions = columnsEnd - 16;
  std::memcpy(&badPositions[positions], "\x01\0\0\0\x01\0\0\0", 8);
  attempt(badPositions, true);
  // A text length beyond the stream.
  TBytesV longText = good;
  std::memcpy(&longText[12], "\xFF\xFF\xFF\x7F", 4);
  attempt(longText, true);
  // A negative column count and an unknown version.
  TBytesV negative = good;
  std::memcpy(&negative[8], "\xFE\xFF\xFF\xFF", 4);
  attempt(negative, true);
  TBytesV version7 = good;
  version7[4] = 7;
  attempt(version7, true);
}

}  // namespace t_lazy_trees_qn_header_stream_test
