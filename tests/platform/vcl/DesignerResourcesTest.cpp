// Form files naming the host's component classes, with image lists and
// pictures stored as the designer stores them: the common controls' image
// list stream and TPicture's Data (class name, then the graphic's data).
// The bytes are written here in those layouts.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/classes/FormText.h"
#include "platform/vcl/ActnList.h"
#include "platform/vcl/Bitmap.h"
#include "platform/vcl/ComCtrls.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Icon.h"
#include "platform/vcl/ImgList.h"
#include "platform/vcl/Menus.h"
#include "platform/vcl/PngImage.h"
#include "tests/platform/vcl/FormsTestSupport.h"

namespace t_designer_resources_test {

using namespace vcl;
using namespace formstest;

namespace {

class Platform_DesignerResources : public FormsTest {};

std::string Le16(uint16_t v) { return {static_cast<char>(v), static_cast<char>(v >> 8)}; }
std::string Le32(uint32_t v) { return Le16(static_cast<uint16_t>(v)) + Le16(static_cast<uint16_t>(v >> 16)); }

// A bottom-up BI_RGB BMP file of top-first 0xAARRGGBB pixels; at 1 bit a
// pixel other than 0 is a set bit.
std::string Bmp(int W, int H, int Bpp, const std::vector<uint32_t>& Px) {
  const int stride = ((W * Bpp + 31) / 32) * 4;
  const std::string palette = Bpp == 1 ? Le32(0) + Le32(0x00FFFFFF) : std::string();
  std::string bits(static_cast<size_t>(stride * H), '\0');
  for (int y = 0; y < H; ++y) {
    char* row = bits.data() + static_cast<size_t>((H - 1 - y) * stride);
    for (int x = 0; x < W; ++x) {
      const uint32_t c = Px[static_cast<size_t>(y * W + x)];
      if (Bpp == 1) {
        if (c) row[x >> 3] = static_cast<char>(row[x >> 3] | (0x80 >> (x & 7)));
      } else {
        for (int b = 0; b < Bpp / 8; ++b) row[x * (Bpp / 8) + b] = static_cast<char>(c >> (8 * b));
      }
    }
  }
  const uint32_t off = 14 + 40 + static_cast<uint32_t>(palette.size());
  return "BM" + Le32(off + static_cast<uint32_t>(bits.size())) + Le32(0) + Le32(off) + Le32(40) + Le32(W) + Le32(H) +
         Le16(1) + Le16(static_cast<uint16_t>(Bpp)) + Le32(0) + Le32(static_cast<uint32_t>(bits.size())) + Le32(0) +
         Le32(0) + Le32(0) + Le32(0) + palette + bits;
}

// The common controls' image list stream: header, images, mask.
std::string ImageListStream(int Cx, int Cy, int Count, uint16_t Flags, const std::string& Image,
                            const std::string& Mask, uint16_t Version = 0x101) {
  return "IL" + Le16(Version) + Le16(static_cast<uint16_t>(Count)) + Le16(8) + Le16(4) +
         Le16(static_cast<uint16_t>(Cx)) + Le16(static_cast<uint16_t>(Cy)) + Le32(0xFFFFFFFF) + Le16(Flags) +
         Le16(0xFFFF) + Le16(0xFFFF) + Le16(0xFFFF) + Le16(0xFFFF) + Image + Mask;
}

// The binary value of a text form, 32 bytes to a line.
std::string HexValue(const std::string& Bytes, const std::string& Indent) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string r = "{";
  for (size_t i = 0; i < Bytes.size(); ++i) {
    if (i % 32 == 0) r += "\r\n" + Indent;
    const auto b = static_cast<unsigned char>(Bytes[i]);
    r += kDigits[b >> 4];
    r += kDigits[b & 15];
  }
  return r + "}";
}

std::vector<uint32_t> ImageOf(TCustomImageList& List, Integer Index) {
  TBitmap b;
  EXPECT_TRUE(List.GetBitmap(Index, &b));
  std::vector<uint32_t> px;
  for (Integer y = 0; y < b.Height(); ++y) {
    auto* row = static_cast<const uint32_t*>(b.ScanLine(y));
    px.insert(px.end(), row, row + b.Width());
  }
  return px;
}

std::unique_ptr<TForm> ReadForm(const std::string& Text) {
  auto form = std::make_unique<TForm>(nullptr);
  TextToComponent(Text, form.get());
  return form;
}

// ---------------------------------------------------------------------------

TEST_F(Platform_DesignerResources, HostComponentClassesReadWithoutRegistrationOthersAreRefused) {
  // No RegisterClasses: the host registers what it has.
  const std::string text =
      "object Form1: TForm\r\n"
      "  object Panel1: TPanel\r\n"
      "    Left = 8\r\n    Top = 8\r\n    Width = 120\r\n    Height = 40\r\n    Caption = 'Panel1'\r\n"
      "    object Image1: TImage\r\n      Left = 4\r\n      Top = 4\r\n      Width = 16\r\n      Height = 16\r\n"
      "    end\r\n"
      "  end\r\n"
      "  object PageControl1: TPageControl\r\n"
      "    Left = 8\r\n    Top = 60\r\n    Width = 200\r\n    Height = 100\r\n"
      "    object TabSheet1: TTabSheet\r\n      Caption = 'First'\r\n    end\r\n"
      "  end\r\n"
      "  object TabControl1: TTabControl\r\n    Left = 220\r\n    Top = 8\r\n    Width = 80\r\n    Height = 40\r\n"
      "  end\r\n"
      "  object ListView1: TListView\r\n    Left = 220\r\n    Top = 60\r\n    Width = 80\r\n    Height = 40\r\n"
      "  end\r\n"
      "  object Timer1: TTimer\r\n    Interval = 250\r\n    Left = 24\r\n    Top = 180\r\n  end\r\n"
      "  object PopupMenu1: TPopupMenu\r\n    Left = 56\r\n    Top = 180\r\n"
      "    object Open1: TMenuItem\r\n      Caption = 'Open'\r\n    end\r\n"
      "  end\r\n"
      "  object ActionList1: TActionList\r\n    Left = 88\r\n    Top = 180\r\n"
      "    object Action1: TAction\r\n      Caption = 'Run'\r\n    end\r\n"
      "    object EditCut1: TEditCut\r\n      Caption = 'Cu&t'\r\n    end\r\n"
      "    object EditCopy1: TEditCopy\r\n      Caption = '&Copy'\r\n    end\r\n"
      "    object EditPaste1: TEditPaste\r\n      Caption = '&Paste'\r\n    end\r\n"
      "    object EditSelectAll1: TEditSelectAll\r\n      Caption = 'Select &All'\r\n    end\r\n"
      "    object EditUndo1: TEditUndo\r\n      Caption = '&Undo'\r\n    end\r\n"
      "    object EditDelete1: TEditDelete\r\n      Caption = '&Delete'\r\n    end\r\n"
      "  end\r\n"
      "  object ImageList1: TImageList\r\n    Left = 120\r\n    Top = 180\r\n  end\r\n"
      "  object ColorDialog1: TColorDialog\r\n    Left = 152\r\n    Top = 180\r\n  end\r\n"
      "  object OpenDialog1: TOpenDialog\r\n    Left = 184\r\n    Top = 180\r\n  end\r\n"
      "  object SaveDialog1: TSaveDialog\r\n    Left = 216\r\n    Top = 180\r\n  end\r\n"
      "end\r\n";
  auto form = ReadForm(text);
  const char* const names[][2] = {
      {"Panel1", "TPanel"},           {"Image1", "TImage"},           {"PageControl1", "TPageControl"},
      {"TabSheet1", "TTabSheet"},     {"TabControl1", "TTabControl"}, {"ListView1", "TListView"},
      {"Timer1", "TTimer"},           {"PopupMenu1", "TPopupMenu"},   {"Open1", "TMenuItem"},
      {"ActionList1", "TActionList"}, {"Action1", "TAction"},         {"EditCut1", "TEditCut"},
      {"EditCopy1", "TEditCopy"},     {"EditPaste1", "TEditPaste"},   {"EditSelectAll1", "TEditSelectAll"},
      {"EditUndo1", "TEditUndo"},     {"EditDelete1", "TEditDelete"}, {"ImageList1", "TImageList"},
      {"ColorDialog1", "TColorDialog"}, {"OpenDialog1", "TOpenDialog"}, {"SaveDialog1", "TSaveDialog"},
  };
  for (auto& n : names) {
    TComponent* c = form->FindComponent(FromUtf8(n[0]));
    ASSERT_NE(c, nullptr) << n[0];
    EXPECT_EQ(ToUtf8(c->ClassName()), n[1]);
  }
  auto* timer = dynamic_cast<TTimer*>(form->FindComponent(u"Timer1"));
  EXPECT_EQ(timer->Interval(), 250u);
  EXPECT_EQ(timer->DesignInfo(), (180 << 16) | 24);
  EXPECT_EQ(dynamic_cast<TAction*>(form->FindComponent(u"Action1"))->ActionList(),
            form->FindComponent(u"ActionList1"));
  // A control's Left stays its bounds, not a design position.
  auto* panel = dynamic_cast<TPanel*>(form->FindComponent(u"Panel1"));
  EXPECT_EQ(panel->Left(), 8);
  EXPECT_EQ(panel->DesignInfo(), 0);
  // Written and read again: the same text, design positions included.
  const std::string back = ComponentToText(form.get());
  EXPECT_NE(back.find("  object Timer1: TTimer\r\n    Interval = 250\r\n    Left = 24\r\n    Top = 180\r\n"),
            std::string::npos)
      << back;
  EXPECT_EQ(ComponentToText(ReadForm(back).get()), back);

  // Classes the host does not have are refused by name, the form untouched.
  for (const char* cls : {"TBevel", "TBitBtn", "TSpeedButton", "TRadioGroup", "TMainMenu", "TDBEdit"}) {
    auto kept = std::make_unique<TForm>(nullptr);
    kept->SetCaption(u"Before");
    const std::string bad = std::string("object Form1: TForm\r\n  Caption = 'After'\r\n  object X1: ") + cls +
                            "\r\n  end\r\nend\r\n";
    try {
      TextToComponent(bad, kept.get());
      ADD_FAILURE() << cls;
    } catch (const Exception& e) {
      EXPECT_NE(e.Message().find(u"Class " + FromUtf8(cls) + u" not found"), String::npos) << ToUtf8(e.Message());
    }
    EXPECT_EQ(kept->Caption(), u"Before");
    EXPECT_EQ(kept->ComponentCount(), 0);
  }
}

TEST_F(Platform_DesignerResources, ImageListsReadTheCommonControlsStream) {
  // Five 4x3 images, four to a row: image i is colour i with its top-left
  // pixel masked out. 24-bit images have no alpha; the mask decides.
  const int cx = 4, cy = 3, n = 5;
  auto colour = [](int i) { return 0xFF000000u | (uint32_t(20 + 40 * i) << 16) | 0x8000u | uint32_t(200 - 30 * i); };
  std::vector<uint32_t> image(16 * 6, 0), mask(16 * 6, 0);
  for (int i = 0; i < n; ++i)
    for (int y = 0; y < cy; ++y)
      for (int x = 0; x < cx; ++x) {
        const size_t at = size_t(((i / 4) * cy + y) * 16 + (i % 4) * cx + x);
        image[at] = colour(i) & 0xFFFFFF;
        mask[at] = x == 0 && y == 0;
      }
  const std::string stream24 = ImageListStream(cx, cy, n, ILC_MASK | ILC_COLOR24, Bmp(16, 6, 24, image),
                                               Bmp(16, 6, 1, mask));
  // One 32-bit image whose alpha is its own: half-transparent, one corner
  // masked.
  std::vector<uint32_t> deep(16 * 3, 0x80336699u), deepMask(16 * 3, 0);
  deepMask[0] = 1;
  const std::string stream32 =
      ImageListStream(cx, cy, 1, ILC_MASK | ILC_COLOR32, Bmp(16, 3, 32, deep), Bmp(16, 3, 1, deepMask));

  struct TCase {
    const char* What;
    std::string Stream;
    int Count;
    std::function<uint32_t(int, int, int)> Expected;  // image, x, y
  };
  const TCase cases[] = {
      {"24-bit with mask", stream24, n,
       [&](int i, int x, int y) { return x == 0 && y == 0 ? 0u : colour(i); }},
      {"32-bit with alpha", stream32, 1, [](int, int x, int y) { return x == 0 && y == 0 ? 0u : 0x80336699u; }},
  };
  for (const TCase& c : cases) {
    const std::string text = "object Form1: TForm\r\n  object Images: TImageList\r\n    Height = 3\r\n    Width = 4\r\n"
                             "    Left = 24\r\n    Top = 8\r\n    Bitmap = " +
                             HexValue(c.Stream, "      ") + "\r\n  end\r\nend\r\n";
    auto form = ReadForm(text);
    auto* list = dynamic_cast<TImageList*>(form->FindComponent(u"Images"));
    ASSERT_NE(list, nullptr) << c.What;
    ASSERT_EQ(list->Count(), c.Count) << c.What;
    EXPECT_EQ(list->Width(), cx);
    EXPECT_EQ(list->Height(), cy);
    for (int i = 0; i < c.Count; ++i) {
      const std::vector<uint32_t> px = ImageOf(*list, i);
      ASSERT_EQ(px.size(), size_t(cx * cy));
      for (int y = 0; y < cy; ++y)
        for (int x = 0; x < cx; ++x)
          EXPECT_EQ(px[size_t(y * cx + x)], c.Expected(i, x, y)) << c.What << " image " << i << " at " << x << "," << y;
    }
    // Written in the host's own layout, read back to the same images.
    auto again = ReadForm(ComponentToText(form.get()));
    auto* copy = dynamic_cast<TImageList*>(again->FindComponent(u"Images"));
    ASSERT_EQ(copy->Count(), c.Count);
    for (int i = 0; i < c.Count; ++i) EXPECT_EQ(ImageOf(*copy, i), ImageOf(*list, i)) << c.What;
  }

  // Streams that contradict themselves are refused and change nothing.
  const TCase bad[] = {
      {"another version", ImageListStream(cx, cy, 1, ILC_MASK, Bmp(16, 3, 24, deep), Bmp(16, 3, 1, deepMask), 0x600),
       0, nullptr},
      {"more images than the bitmap holds", ImageListStream(cx, cy, 9, ILC_MASK | ILC_COLOR24, Bmp(16, 6, 24, image),
                                                            Bmp(16, 6, 1, mask)),
       0, nullptr},
      {"mask of another size", ImageListStream(cx, cy, 1, ILC_MASK, Bmp(16, 6, 24, image), Bmp(16, 3, 1, deepMask)), 0,
       nullptr},
      {"cut short", stream24.substr(0, stream24.size() - 10), 0, nullptr},
      {"no images", stream24.substr(0, 28), 0, nullptr},
  };
  for (const TCase& c : bad) {
    TImageList list(nullptr);
    list.SetSize(7, 5);
    TBytesStream s(TBytes(c.Stream.begin(), c.Stream.end()));
    EXPECT_THROW(list.ReadData(&s), EReadError) << c.What;
    EXPECT_EQ(list.Count(), 0) << c.What;
    EXPECT_EQ(list.Width(), 7) << c.What;
  }
}

// An icon file of one 2x2 32-bit image with alpha.
std::string IconFile(uint32_t Pixel) {
  std::string xorBits, andBits;
  for (int i = 0; i < 4; ++i) xorBits += Le32(Pixel);
  andBits = Le32(0) + Le32(0);
  const std::string dib = Le32(40) + Le32(2) + Le32(4) + Le16(1) + Le16(32) + Le32(0) +
                          Le32(static_cast<uint32_t>(xorBits.size() + andBits.size())) + Le32(0) + Le32(0) + Le32(0) +
                          Le32(0) + xorBits + andBits;
  return Le16(0) + Le16(1) + Le16(1) + std::string{2, 2, 0, 0} + Le16(1) + Le16(32) +
         Le32(static_cast<uint32_t>(dib.size())) + Le32(22) + dib;
}

std::string PngFile(uint32_t Pixel) {
  TPngImage png(COLOR_RGBALPHA, 8, 2, 2);
  for (Integer y = 0; y < 2; ++y)
    for (Integer x = 0; x < 2; ++x) {
      Byte* c = png.Scanline(y) + x * 3;
      c[0] = Byte(Pixel);
      c[1] = Byte(Pixel >> 8);
      c[2] = Byte(Pixel >> 16);
      png.AlphaScanline(y)[x] = Byte(Pixel >> 24);
    }
  TBytesStream s;
  png.SaveToStream(&s);
  return std::string(static_cast<const char*>(s.Memory()), static_cast<size_t>(s.Size()));
}

std::string ImageForm(const std::string& Data, const std::string& After = "    Stretch = True\r\n") {
  return "object Form1: TForm\r\n  object Image1: TImage\r\n    Width = 20\r\n    Height = 20\r\n"
         "    Picture.Data = " +
         HexValue(Data, "      ") + "\r\n" + After + "  end\r\nend\r\n";
}

TEST_F(Platform_DesignerResources, PicturesReadTheirDataAndWriteItBack) {
  struct TCase {
    const char* Class;
    std::string Data;
    uint32_t Probe;  // the picture's top-left pixel drawn on white
  };
  const TCase cases[] = {
      {"TBitmap", "\x07TBitmap" + [] {
         const std::string bmp = Bmp(2, 2, 24, std::vector<uint32_t>(4, 0x00CC2211u));
         return Le32(static_cast<uint32_t>(bmp.size())) + bmp;
       }(),
       0xFFCC2211u},
      {"TPngImage", "\x09TPngImage" + PngFile(0xFF1144EEu), 0xFF1144EEu},
      {"TIcon", "\x05TIcon" + IconFile(0xFF22AA33u), 0xFF22AA33u},
  };
  for (const TCase& c : cases) {
    auto form = ReadForm(ImageForm(c.Data));
    auto* image = dynamic_cast<TImage*>(form->FindComponent(u"Image1"));
    ASSERT_NE(image, nullptr);
    TGraphic* g = image->Picture()->Graphic();
    ASSERT_NE(g, nullptr) << c.Class;
    EXPECT_EQ(ToUtf8(g->ClassName()), c.Class);
    EXPECT_EQ(g->Width(), 2) << c.Class;
    EXPECT_EQ(g->Height(), 2) << c.Class;
    EXPECT_TRUE(image->Stretch()) << c.Class;
    TBitmap target(2, 2);
    target.SetPixelFormat(TPixelFormat::pf32bit);
    target.Canvas()->Brush()->SetColor(clWhite);
    target.Canvas()->FillRect(TRect(0, 0, 2, 2));
    target.Canvas()->Draw(0, 0, g);
    EXPECT_EQ(static_cast<const uint32_t*>(target.ScanLine(0))[0] | 0xFF000000u, c.Probe) << c.Class;

    // Written back as Data and read again as the same graphic.
    const std::string back = ComponentToText(form.get());
    EXPECT_NE(back.find("    Picture.Data = {"), std::string::npos) << back;
    auto again = ReadForm(back);
    TGraphic* g2 = dynamic_cast<TImage*>(again->FindComponent(u"Image1"))->Picture()->Graphic();
    ASSERT_NE(g2, nullptr) << c.Class;
    EXPECT_EQ(ToUtf8(g2->ClassName()), c.Class);
    EXPECT_EQ(ComponentToText(again.get()), back) << c.Class;
  }
  // A bitmap's data starts with its class name and the file's size.
  auto form = ReadForm(ImageForm(cases[0].Data));
  const std::string back = ComponentToText(form.get());
  EXPECT_NE(back.find("{\r\n      07544269746D6170"), std::string::npos) << back;
}

TEST_F(Platform_DesignerResources, PictureDataErrorsNameTheComponentAndPropertyAndReachOnError) {
  struct TCase {
    const char* What;
    std::string Data;
    const char16_t* Message;
  };
  const TCase cases[] = {
      {"a class the host has no format for", "\x09TGIFImageGIF89a", u"Unsupported picture class TGIFImage"},
      {"a bitmap cut short", "\x07TBitmap" + Le32(1000) + "BM", u"Picture data cut short"},
      {"a broken PNG", "\x09TPngImage\x89PNG\r\n\x1A\n", nullptr},
  };
  for (const TCase& c : cases) {
    const std::string text = ImageForm(c.Data, "    Stretch = True\r\n  end\r\n  object Image2: TImage\r\n");
    try {
      ReadForm(text);
      ADD_FAILURE() << c.What;
    } catch (const EReadError& e) {
      const String expected = u"Error reading Image1.Picture.Data: " + String(c.Message ? c.Message : u"");
      EXPECT_TRUE(e.Message().starts_with(expected)) << c.What << ": " << ToUtf8(e.Message());
    }
    // With a handler that accepts the error, the rest of the form reads.
    TMemoryStream in, bin;
    in.WriteBuffer(text.data(), static_cast<Integer>(text.size()));
    in.SetPosition(0);
    ObjectTextToBinary(&in, &bin);
    bin.SetPosition(0);
    TReader reader(&bin);
    std::vector<String> seen;
    reader.OnError = [&](TReader*, const String& msg, bool& handled) {
      seen.push_back(msg);
      handled = true;
    };
    auto form = std::make_unique<TForm>(nullptr);
    reader.ReadRootComponent(form.get());
    ASSERT_EQ(seen.size(), 1u) << c.What;
    EXPECT_TRUE(seen[0].starts_with(u"Error reading Image1.Picture.Data: ")) << ToUtf8(seen[0]);
    auto* image = dynamic_cast<TImage*>(form->FindComponent(u"Image1"));
    ASSERT_NE(image, nullptr);
    EXPECT_TRUE(image->Stretch()) << c.What;
    EXPECT_EQ(image->Picture()->Graphic(), nullptr) << c.What;
    EXPECT_NE(form->FindComponent(u"Image2"), nullptr) << c.What;
  }
}

}  // namespace

}  // namespace t_designer_resources_test
