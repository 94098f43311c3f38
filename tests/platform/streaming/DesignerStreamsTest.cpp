// What the designer stores beyond published properties: the design
// positions of non-visual components, a data module's design size and
// offset, binary forms behind a resource header, and errors raised inside a
// defined property, which reach OnError like any other.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "platform/rtl/SysUtils.h"
#include "tests/common/TestSupport.h"
#include "tests/platform/streaming/TestClasses.h"

namespace t_designer_streams_test {

using namespace vcl;
using namespace strtest;

namespace {

class Platform_DesignerStreams : public ::testing::Test {
 protected:
  void SetUp() override { RegisterTestClasses(); }
};

std::string Lines(std::initializer_list<std::string> lines) {
  std::string r;
  for (const std::string& l : lines) r += l + "\r\n";
  return r;
}

std::string Le32(uint32_t v) {
  std::string r;
  for (int i = 0; i < 4; ++i) r.push_back(static_cast<char>(v >> (8 * i)));
  return r;
}

// The header the designer puts before a binary form: 0xFF, type 10 as a
// word, the name in capitals and a zero, the flags 0x1030, the data's size.
std::string ResourceHeader(const std::string& Name, uint32_t Size) {
  return std::string("\xFF\x0A\x00", 3) + Name + std::string("\0\x30\x10", 3) + Le32(Size);
}

std::unique_ptr<TMemoryStream> StreamOf(const std::string& Bytes) {
  auto ms = std::make_unique<TMemoryStream>();
  if (!Bytes.empty()) ms->WriteBuffer(Bytes.data(), static_cast<Integer>(Bytes.size()));
  ms->SetPosition(0);
  return ms;
}

std::string Bytes(TMemoryStream& ms) {
  return std::string(static_cast<const char*>(ms.Memory()), static_cast<size_t>(ms.Size()));
}

Integer DesignInfoOf(Integer Left, Integer Top) {
  return static_cast<Integer>((static_cast<uint32_t>(Top) << 16) | (static_cast<uint32_t>(Left) & 0xFFFF));
}

const std::string kWidgets = Lines({
    "object P: TPanelForm",
    "  object A: TWidget",
    "    Width = 7",
    "    Left = 48",
    "    Top = 16",
    "  end",
    "end",
});

// ---------------------------------------------------------------------------

TEST_F(Platform_DesignerStreams, DesignPositionsReadIntoDesignInfoAndWriteBack) {
  struct TCase {
    Integer Left, Top;
    const char* Written;  // the lines written back ("" for none)
  };
  const TCase cases[] = {
      {48, 16, "    Left = 48\r\n    Top = 16\r\n"},
      {0, 5, "    Top = 5\r\n"},
      {-20, 300, "    Left = -20\r\n    Top = 300\r\n"},
      {-32768, 32767, "    Left = -32768\r\n    Top = 32767\r\n"},
      {0, 0, ""},
  };
  for (const TCase& c : cases) {
    // Big has no default: the writer always writes it.
    std::string text = "object P: TPanelForm\r\n  object A: TWidget\r\n    Big = 0\r\n";
    if (c.Left) text += "    Left = " + std::to_string(c.Left) + "\r\n";
    if (c.Top) text += "    Top = " + std::to_string(c.Top) + "\r\n";
    text += "  end\r\nend\r\n";
    std::unique_ptr<TComponent> root(LoadText(text));
    TComponent* a = root->FindComponent(u"A");
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->DesignInfo(), DesignInfoOf(c.Left, c.Top)) << c.Left << "," << c.Top;
    const std::string back = ComponentToText(root.get());
    EXPECT_EQ(back, "object P: TPanelForm\r\n  object A: TWidget\r\n    Big = 0\r\n" + std::string(c.Written) +
                        "  end\r\nend\r\n");
  }

  // A published Left is the property, not the design position.
  std::unique_ptr<TComponent> root(LoadText(kWidgets));
  auto* a = dynamic_cast<TWidget*>(root->FindComponent(u"A"));
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a->Width(), 7);

  // Against an ancestor the position is written only where it differs.
  std::unique_ptr<TComponent> ancestor(LoadText(kWidgets));
  EXPECT_EQ(ComponentToText(root.get(), ancestor.get()).find("Left"), std::string::npos);
  a->SetDesignInfo(DesignInfoOf(48, 17));
  const std::string moved = ComponentToText(root.get(), ancestor.get());
  EXPECT_EQ(moved.find("Left"), std::string::npos) << moved;
  EXPECT_NE(moved.find("    Top = 17\r\n"), std::string::npos) << moved;
}

TEST_F(Platform_DesignerStreams, DataModulesKeepTheirDesignSizeOffsetAndCreateOrder) {
  const std::string text = Lines({
      "object Module: TDataModule",
      "  OldCreateOrder = True",
      "  Height = 150",
      "  HorizontalOffset = -12",
      "  VerticalOffset = 30",
      "  Width = 215",
      "  object A: TWidget",
      "    Big = 0",
      "    Left = 40",
      "    Top = 8",
      "  end",
      "end",
  });
  std::unique_ptr<TComponent> root(LoadText(text));
  auto* module = dynamic_cast<TDataModule*>(root.get());
  ASSERT_NE(module, nullptr);
  EXPECT_TRUE(module->OldCreateOrder());
  EXPECT_EQ(module->DesignSize(), TPoint(215, 150));
  EXPECT_EQ(module->DesignOffset(), TPoint(-12, 30));
  EXPECT_EQ(root->FindComponent(u"A")->DesignInfo(), DesignInfoOf(40, 8));
  EXPECT_EQ(ComponentToText(root.get()), text);
}

TEST_F(Platform_DesignerStreams, BinaryFormsBehindAResourceHeaderReadEverywhere) {
  const std::string text = Lines({
      "object P: TPanelForm",
      "  Tag = 3",
      "  object A: TWidget",
      "    Width = 7",
      "    Big = 0",
      "    Caption = 'Gr'#252#223'e'",
      "    Left = 48",
      "    Top = 16",
      "  end",
      "end",
  });
  const std::string bin = TextToBinary(text);
  const std::string res = ResourceHeader("TPANELFORM", static_cast<uint32_t>(bin.size())) + bin;

  // Written by the converter byte for byte as the designer writes it.
  {
    auto in = StreamOf(text);
    TMemoryStream out;
    ObjectTextToResource(in.get(), &out);
    EXPECT_EQ(Bytes(out), res);
  }
  // Recognised as binary, and read by every reader of binary forms.
  auto ms = StreamOf(res);
  EXPECT_EQ(TestStreamFormat(ms.get()), sofBinary);
  EXPECT_EQ(ms->Position(), 0);
  std::unique_ptr<TComponent> fromStream(ms->ReadComponent(nullptr));
  EXPECT_EQ(ComponentToText(fromStream.get()), text);
  // Back to text: the same text as from the bare binary form.
  {
    auto in = StreamOf(res);
    TMemoryStream out;
    ObjectResourceToText(in.get(), &out);
    EXPECT_EQ(Bytes(out), text);
    EXPECT_EQ(BinaryToText(res), text);
  }
  // A name given as an ordinal, and whatever follows the resource's data.
  {
    const std::string ordinal = std::string("\xFF\x0A\x00\xFF\x01\x00\x30\x10", 8) +
                                Le32(static_cast<uint32_t>(bin.size())) + bin + "trailing bytes";
    auto in = StreamOf(ordinal);
    std::unique_ptr<TComponent> c(in->ReadComponent(nullptr));
    EXPECT_EQ(ComponentToText(c.get()), text);
  }
  // A form file with the header.
  {
    const std::string dir = qntest::MakeTempDir("designer_res");
    const String file = FromUtf8(dir + "/Form.dfm");
    {
      TFileStream f(file, fmCreate);
      f.WriteBuffer(res.data(), static_cast<Integer>(res.size()));
    }
    std::unique_ptr<TComponent> c(LoadFormFile(file, nullptr));
    EXPECT_EQ(ComponentToText(c.get()), text);
    std::filesystem::remove_all(dir);
  }

  // Headers that are not a form resource, and a bare binary form where the
  // header is required.
  struct TBad {
    const char* What;
    std::string Bytes;
    const char16_t* Message;
  };
  const TBad bad[] = {
      {"type 11", std::string("\xFF\x0B\x00", 3) + "TPANELFORM" + std::string("\0\x30\x10", 3) +
                      Le32(static_cast<uint32_t>(bin.size())) + bin,
       u"Invalid stream format at offset 0"},
      {"size beyond the data", ResourceHeader("TPANELFORM", static_cast<uint32_t>(bin.size() + 1)) + bin,
       u"Invalid stream format at offset 16"},
      {"size too small for a form", ResourceHeader("TPANELFORM", 3) + bin, u"Invalid stream format at offset 16"},
      {"name without its end", std::string("\xFF\x0A\x00", 3) + std::string(300, 'N'), u"Invalid stream format at offset 0"},
      {"cut in the header", res.substr(0, 8), u"Stream read error at offset 8"},
  };
  for (const TBad& b : bad) {
    auto in = StreamOf(b.Bytes);
    try {
      delete in->ReadComponent(nullptr);
      ADD_FAILURE() << b.What;
    } catch (const EReadError& e) {
      EXPECT_EQ(e.Message(), b.Message) << b.What;
    }
  }
  auto plain = StreamOf(bin);
  TMemoryStream out;
  EXPECT_THROW(ObjectResourceToText(plain.get(), &out), EReadError);
  EXPECT_EQ(out.Size(), 0);
}

TEST_F(Platform_DesignerStreams, ErrorsInsideDefinedPropertiesGoThroughOnError) {
  // Notes is a list of strings: a number in its place is refused by the
  // property's own reading code.
  const std::string text = Lines({
      "object P: TPanelForm",
      "  object A: TWidget",
      "    Notes = 5",
      "    Width = 9",
      "  end",
      "end",
  });
  try {
    delete LoadText(text);
    ADD_FAILURE() << "accepted";
  } catch (const EReadError& e) {
    EXPECT_TRUE(e.Message().starts_with(u"Error reading A.Notes: Invalid property value")) << ToUtf8(e.Message());
  }
  // Handled, the value is skipped and the properties after it are read.
  auto bin = StreamOf(TextToBinary(text));
  TReader reader(bin.get());
  std::vector<String> seen;
  reader.OnError = [&](TReader*, const String& msg, bool& handled) {
    seen.push_back(msg);
    handled = true;
  };
  std::unique_ptr<TComponent> root(reader.ReadRootComponent(nullptr));
  auto* a = dynamic_cast<TWidget*>(root->FindComponent(u"A"));
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a->Width(), 9);
  EXPECT_TRUE(a->Notes.empty());
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_TRUE(seen[0].starts_with(u"Error reading A.Notes: ")) << ToUtf8(seen[0]);
}

}  // namespace

}  // namespace t_designer_streams_test
