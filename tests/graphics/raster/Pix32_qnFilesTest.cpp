#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <random>
#include <vector>

#include "graphics/raster/Pix32_qn.h"
#include "platform/classes/Streaming.h"
#include "platform/classes/Strings.h"
#include "platform/vcl/Clipbrd.h"
#include "platform/vcl/Graphics.h"
#include "tests/common/TestSupport.h"

namespace t_pix32_qn_files_test {

using namespace qn;

namespace {

void Fill(TCustomBitmap32& b, Cardinal seed) {
  std::mt19937 rng(seed);
  for (Integer i = 0; i < b.Width() * b.Height(); ++i) b.Bits()[i] = rng();
}

std::vector<TColor32> Pixels(const TCustomBitmap32& b) {
  return std::vector<TColor32>(b.Bits(), b.Bits() + b.Width() * b.Height());
}

std::vector<Byte> Bytes(TMemoryStream& s) {
  const Byte* p = static_cast<const Byte*>(s.Memory());
  return std::vector<Byte>(p, p + s.Size());
}

Integer Get32(const std::vector<Byte>& b, size_t at) {
  return static_cast<Integer>(Cardinal(b[at]) | Cardinal(b[at + 1]) << 8 | Cardinal(b[at + 2]) << 16 |
                              Cardinal(b[at + 3]) << 24);
}

void Put32(std::vector<Byte>& b, size_t at, Cardinal v) {
  for (int i = 0; i < 4; ++i) b[at + i] = Byte(v >> (8 * i));
}

// A component that keeps a bitmap as a published sub-object, as forms do.
class TPictureHolder : public TComponent {
  QN_CLASS_CREATE(TPictureHolder, TComponent, TComponent)
 public:
  explicit TPictureHolder(TComponent* AOwner) : TComponent(AOwner), FPicture(std::make_unique<TCustomBitmap32>()) {}
  TCustomBitmap32* Picture() const { return FPicture.get(); }
  void SetPicture(TCustomBitmap32* v) { FPicture->Assign(v); }
  QN_PUBLISHED(TPictureHolder) { QN_PROP(Picture); }

 private:
  std::unique_ptr<TCustomBitmap32> FPicture;
};

// ReadData made reachable for the malformed-data cases.
class TDataProbe : public TCustomBitmap32 {
 public:
  using TCustomBitmap32::ReadData;
  using TCustomBitmap32::WriteData;
};

}  // namespace

TEST(Pix32_qn, BmpRoundTripsInBothRowOrdersWithAlpha) {
  TCustomBitmap32 b;
  b.SetSize(5, 3);
  Fill(b, 11);
  for (bool bottomUp : {false, true}) {
    TMemoryStream s;
    b.SaveToStream(&s, bottomUp);
    const auto bytes = Bytes(s);
    ASSERT_EQ(bytes.size(), 54u + 5 * 3 * 4);
    EXPECT_EQ(bytes[0], 'B');
    EXPECT_EQ(bytes[1], 'M');
    EXPECT_EQ(Get32(bytes, 18), 5);
    EXPECT_EQ(Get32(bytes, 22), bottomUp ? 3 : -3);
    // The first row stored is the top one, or the bottom one bottom-up.
    TColor32 first;
    std::memcpy(&first, bytes.data() + 54, 4);
    EXPECT_EQ(first, b.GetPixel(0, bottomUp ? 2 : 0));
    s.SetPosition(0);
    TCustomBitmap32 c;
    c.LoadFromStream(&s);
    EXPECT_EQ(c.Width(), 5);
    EXPECT_EQ(c.Height(), 3);
    EXPECT_EQ(Pixels(c), Pixels(b));
    EXPECT_EQ(s.Position(), s.Size());
  }
}

// Pixels in memory are copied straight into the surface, any other stream
// reads them through a buffer: both end the same, in both row orders, from
// anywhere in the stream, leaving it right after the pixels.
TEST(Pix32_qn, BmpFromMemoryReadsLikeFromAFile) {
  const std::string dir = qntest::MakeTempDir("bmpmem");
  const String name = FromUtf8(dir) + u"/pics.bin";
  std::mt19937 rng(1381);
  for (int round = 0; round < 40; ++round) {
    TCustomBitmap32 b;
    b.SetSize(Integer(rng() % 9), Integer(rng() % 9));
    Fill(b, rng());
    const bool bottomUp = rng() % 2;
    TMemoryStream s;
    const Integer lead = Integer(rng() % 5);
    for (Integer i = 0; i < lead; ++i) s.WriteBufferData(Byte(i));
    b.SaveToStream(&s, bottomUp);
    s.WriteBufferData(Cardinal(0xABCDEF01u));  // what follows stays unread
    s.SaveToFile(name);
    TCustomBitmap32 fromMemory, fromFile;
    s.SetPosition(lead);
    fromMemory.LoadFromStream(&s);
    TFileStream f(name, fmOpenRead);
    f.SetPosition(lead);
    fromFile.LoadFromStream(&f);
    ASSERT_EQ(fromMemory.Width(), b.Width());
    ASSERT_EQ(fromMemory.Height(), b.Height());
    ASSERT_EQ(fromFile.Width(), b.Width());
    if (!b.Empty()) {
      EXPECT_EQ(Pixels(fromMemory), Pixels(b));
      EXPECT_EQ(Pixels(fromFile), Pixels(b));
    }
    EXPECT_EQ(s.Position(), s.Size() - 4);
    EXPECT_EQ(f.Position(), s.Position());
  }
  std::filesystem::remove_all(dir);
}

TEST(Pix32_qn, BmpPixelsAreReadRightAfterTheHeader) {
  TCustomBitmap32 b;
  b.SetSize(3, 2);
  Fill(b, 12);
  TMemoryStream s;
  b.SaveToStream(&s);
  auto bytes = Bytes(s);
  Put32(bytes, 10, 200);  // a larger pixel offset than the header
  TMemoryStream in;
  in.WriteBuffer(bytes.data(), Integer(bytes.size()));
  in.SetPosition(0);
  TCustomBitmap32 c;
  c.LoadFromStream(&in);
  EXPECT_EQ(Pixels(c), Pixels(b));
}

TEST(Pix32_qn, BmpFilesRoundTrip) {
  const std::string dir = qntest::MakeTempDir("bmpfile");
  const String name = FromUtf8(dir) + u"/pic.bmp";
  TCustomBitmap32 b, c;
  b.SetSize(4, 4);
  Fill(b, 13);
  b.SaveToFile(name, true);
  c.LoadFromFile(name);
  EXPECT_EQ(Pixels(c), Pixels(b));
}

TEST(Pix32_qn, MalformedBmpDataRaisesAndLeavesTheBitmapAsItWas) {
  TCustomBitmap32 src;
  src.SetSize(4, 4);
  Fill(src, 14);
  TMemoryStream good;
  src.SaveToStream(&good);
  const auto bytes = Bytes(good);

  struct Case {
    const char* Name;
    Cardinal Width, Height;
    size_t Keep;
  };
  const Case cases[] = {
      {"cut short", 4, Cardinal(-4), bytes.size() - 1},
      {"32-bit overflow", 0x10000, 0x10000, bytes.size()},  // 2^32 pixels: 0 bytes in 32-bit arithmetic
      {"size overflow x4", 0x8000, 0x8000, bytes.size()},
      {"negative width", Cardinal(-4), 4, bytes.size()},
      {"lowest height", 4, 0x80000000u, bytes.size()},
      {"more rows than data", 4, 40, bytes.size()},
  };
  for (const Case& k : cases) {
    std::vector<Byte> d(bytes.begin(), bytes.begin() + Integer(k.Keep));
    Put32(d, 18, k.Width);
    Put32(d, 22, k.Height);
    TMemoryStream in;
    in.WriteBuffer(d.data(), Integer(d.size()));
    in.SetPosition(0);
    TCustomBitmap32 target;
    target.SetSize(2, 3);
    Fill(target, 15);
    const auto before = Pixels(target);
    Integer changes = 0;
    struct Counter {
      Integer* N;
      void On(TObject*) { ++*N; }
    } counter{&changes};
    target.SetOnChange(MakeEvent(&counter, &Counter::On));
    EXPECT_THROW(target.LoadFromStream(&in), EReadError) << k.Name;
    EXPECT_EQ(target.Width(), 2) << k.Name;
    EXPECT_EQ(target.Height(), 3) << k.Name;
    EXPECT_EQ(Pixels(target), before) << k.Name;
    EXPECT_EQ(changes, 0) << k.Name;
  }
}

TEST(Pix32_qn, OtherFormatsNeedABackendThatCanDraw) {
  // A 24-bit file goes to the platform's bitmap; a bitmap over plain memory
  // has nothing to draw it with and stays as it was.
  TBitmap platform(3, 2);
  platform.SetPixelFormat(TPixelFormat::pf24bit);
  TMemoryStream s;
  platform.SaveToStream(&s);
  s.SetPosition(0);
  TCustomBitmap32 b;
  b.SetSize(1, 1);
  b.Bits()[0] = 0x12345678u;
  try {
    b.LoadFromStream(&s);
    FAIL() << "no exception";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), u"Inpropriate Backend");
  }
  EXPECT_EQ(b.Width(), 1);
  EXPECT_EQ(b.Bits()[0], 0x12345678u);
}

TEST(Pix32_qn, DataPropertyFollowsTheAncestorRules) {
  RegisterClasses({TPictureHolder::StaticClass()});
  TPictureHolder empty(nullptr);
  {
    TMemoryStream s;
    s.WriteComponent(&empty);
    const auto bytes = Bytes(s);
    const std::string text(bytes.begin(), bytes.end());
    EXPECT_EQ(text.find("Data"), std::string::npos);
  }

  TPictureHolder full(nullptr);
  full.Picture()->SetSize(3, 2);
  Fill(*full.Picture(), 16);
  TMemoryStream s;
  s.WriteComponent(&full);
  {
    const auto bytes = Bytes(s);
    const std::string text(bytes.begin(), bytes.end());
    EXPECT_NE(text.find("Picture.Data"), std::string::npos);
  }
  s.SetPosition(0);
  TPictureHolder back(nullptr);
  s.ReadComponent(&back);
  EXPECT_EQ(back.Picture()->Width(), 3);
  EXPECT_EQ(Pixels(*back.Picture()), Pixels(*full.Picture()));

  // Against an equal ancestor nothing is written; against another it is.
  auto written = [&](TPictureHolder& root, TPictureHolder& anc) {
    TMemoryStream w;
    w.WriteDescendent(&root, &anc);
    const auto bytes = Bytes(w);
    return std::string(bytes.begin(), bytes.end()).find("Data") != std::string::npos;
  };
  EXPECT_FALSE(written(back, full));
  back.Picture()->SetPixel(0, 0, ~back.Picture()->GetPixel(0, 0));
  EXPECT_TRUE(written(back, full));
  EXPECT_TRUE(written(empty, full));
}

TEST(Pix32_qn, DataBlocksAreCheckedBeforeTheyAreApplied) {
  auto block = [](Integer w, Integer h, size_t pixelBytes) {
    auto s = std::make_unique<TMemoryStream>();
    s->WriteBufferData(w);
    s->WriteBufferData(h);
    std::vector<Byte> px(pixelBytes, 0x5A);
    if (!px.empty()) s->WriteBuffer(px.data(), Integer(px.size()));
    s->SetPosition(0);
    return s;
  };
  TDataProbe b;
  auto zero = block(0, 0, 0);
  b.SetSize(2, 2);
  b.ReadData(zero.get());
  EXPECT_TRUE(b.Empty());

  auto ok = block(2, 1, 8);
  b.ReadData(ok.get());
  EXPECT_EQ(b.Width(), 2);
  EXPECT_EQ(b.GetPixel(1, 0), 0x5A5A5A5Au);

  const struct {
    Integer W, H;
    size_t Bytes;
  } bad[] = {{-1, 2, 8}, {2, -1, 8}, {0x10000, 0x10000, 16}, {0x40000000, 4, 16}, {3, 3, 35}, {1, 1, 0}};
  for (const auto& k : bad) {
    auto s = block(k.W, k.H, k.Bytes);
    EXPECT_THROW(b.ReadData(s.get()), EReadError) << k.W << "x" << k.H;
    EXPECT_EQ(b.Width(), 2);
    EXPECT_EQ(b.GetPixel(1, 0), 0x5A5A5A5Au);
  }
  auto cut = std::make_unique<TMemoryStream>();
  cut->WriteBufferData(Integer(2));
  cut->SetPosition(0);
  EXPECT_THROW(b.ReadData(cut.get()), EReadError);
  EXPECT_EQ(b.Height(), 1);
}

TEST(Pix32_qn, AssignHandlesNilBitmapsAndRefusesStrangers) {
  TCustomBitmap32 a, b;
  a.SetSize(3, 3);
  Fill(a, 17);
  a.SetDrawMode(TDrawMode::dmBlend);
  b.Assign(&a);
  EXPECT_EQ(Pixels(b), Pixels(a));
  EXPECT_EQ(b.DrawMode(), TDrawMode::dmBlend);
  b.Assign(nullptr);
  EXPECT_TRUE(b.Empty());
  TStringList list;
  EXPECT_THROW(b.Assign(&list), EConvertError);
}

TEST(Pix32_qn, AssignToAPlatformBitmapKeepsEveryByte) {
  TCustomBitmap32 a;
  a.SetSize(4, 3);
  Fill(a, 18);
  TBitmap bmp;
  bmp.Assign(&a);
  ASSERT_EQ(bmp.Width(), 4);
  ASSERT_EQ(bmp.PixelFormat(), TPixelFormat::pf32bit);
  for (Integer y = 0; y < 3; ++y) EXPECT_EQ(std::memcmp(bmp.ScanLine(y), a.GetScanLine(y), 16), 0) << y;
  TPicture pic;
  pic.Assign(&a);
  ASSERT_NE(pic.Graphic(), nullptr);
  EXPECT_EQ(pic.Width(), 4);
  Clipboard()->Assign(&a);
  EXPECT_TRUE(Clipboard()->HasPicture());
  Clipboard()->Clear();
}

TEST(Pix32_qn, TwentyFourBitBmpComesInOpaqueThroughThePlatform) {
  TBitmap platform(3, 2);
  platform.SetPixelFormat(TPixelFormat::pf24bit);
  platform.Canvas()->SetPixels(0, 0, static_cast<TColor>(0x00332211));
  platform.Canvas()->SetPixels(2, 1, clRed);
  TMemoryStream s;
  platform.SaveToStream(&s);
  s.SetPosition(0);
  TBitmap32 b;
  b.LoadFromStream(&s);
  ASSERT_EQ(b.Width(), 3);
  ASSERT_EQ(b.Height(), 2);
  for (TColor32 p : Pixels(b)) EXPECT_EQ(p >> 24, 0xFFu);
  EXPECT_EQ(b.GetPixel(0, 0), 0xFF112233u);
  EXPECT_EQ(b.GetPixel(2, 1), 0xFFFF0000u);

  // Files that are no BMP at all go through the platform's pictures.
  const std::string dir = qntest::MakeTempDir("pngfile");
  const String name = FromUtf8(dir) + u"/pic.png";
  TPngImage png(COLOR_RGB, 8, 2, 2);
  png.SetPixels(1, 0, clBlue);
  png.SaveToFile(name);
  TBitmap32 c;
  c.LoadFromFile(name);
  ASSERT_EQ(c.Width(), 2);
  EXPECT_EQ(c.GetPixel(1, 0), 0xFF0000FFu);
  EXPECT_EQ(c.GetPixel(0, 1), 0xFF000000u);
}

// A 1-bit bitmap comes in with its own two colours, not black and white.
TEST(Pix32_qn, OneBitBitmapsComeInInTheirTableColours) {
  const RGBQUAD tables[][2] = {{{255, 64, 64, 0}, {64, 255, 64, 0}}, {{255, 255, 255, 0}, {0, 0, 0, 0}}};
  for (const auto& t : tables) {
    TBitmap src;
    src.SetPixelFormat(TPixelFormat::pf1bit);
    src.SetSize(10, 2);
    src.SetColors({t[0], t[1]});
    for (Integer y = 0; y < 2; ++y) static_cast<Byte*>(src.ScanLine(y))[0] = y ? 0x0F : 0xA5;
    TBitmap32 b;
    b.Assign(&src);
    ASSERT_EQ(b.Width(), 10);
    for (Integer y = 0; y < 2; ++y)
      for (Integer x = 0; x < 8; ++x) {
        const RGBQUAD& q = t[((y ? 0x0F : 0xA5) >> (7 - x)) & 1];
        EXPECT_EQ(b.GetPixel(x, y), 0xFF000000u | Cardinal(q.rgbRed) << 16 | Cardinal(q.rgbGreen) << 8 | q.rgbBlue)
            << x << "," << y;
      }
  }
}

TEST(Pix32_qn, MaskedImportTakesAlphaFromTheWhiteAndRedPasses) {
  // White drawn on nothing: only the drawn pixels agree between the passes.
  TMetafile meta;
  meta.SetWidth(6);
  meta.SetHeight(4);
  meta.Add([](TCanvas* c) {
    c->Brush()->SetColor(clWhite);
    c->FillRect(TRect(1, 1, 4, 3));
  });
  TBitmap32 b;
  b.Assign(&meta);
  ASSERT_EQ(b.Width(), 6);
  for (Integer y = 0; y < 4; ++y)
    for (Integer x = 0; x < 6; ++x) {
      const bool drawn = x >= 1 && x < 4 && y >= 1 && y < 3;
      EXPECT_EQ(b.GetPixel(x, y) >> 24, drawn ? 0xFFu : 0u) << x << "," << y;
      if (drawn) {
        EXPECT_EQ(b.GetPixel(x, y), 0xFFFFFFFFu);
      }
    }
}

TEST(Pix32_qn, PlatformBitmapsKeepTheirAlphaOrTransparentColour) {
  TBitmap rgb(4, 1);
  rgb.SetPixelFormat(TPixelFormat::pf24bit);
  rgb.Canvas()->SetPixels(0, 0, clLime);
  rgb.Canvas()->SetPixels(1, 0, clFuchsia);
  rgb.SetTransparentColor(clFuchsia);
  rgb.SetTransparent(true);
  rgb.Canvas()->Font()->SetName(u"DejaVu Serif");
  TBitmap32 b;
  b.Assign(&rgb);
  EXPECT_EQ(b.GetPixel(0, 0), 0xFF00FF00u);
  EXPECT_EQ(b.GetPixel(1, 0), 0x00FF00FFu);
  EXPECT_EQ(b.Font()->Name(), u"DejaVu Serif");

  // 32 bits keep what they carry, through the clipboard and back.
  TBitmap32 a;
  a.SetSize(3, 3);
  Fill(a, 19);
  Clipboard()->Assign(&a);
  TBitmap32 c;
  c.Assign(Clipboard());
  EXPECT_EQ(Pixels(c), Pixels(a));
  Clipboard()->Clear();
}

TEST(Pix32_qn, BitmapsLoadFromTheResourceTable) {
  // A 2 x 1 24-bit DIB as bitmap resources are stored: no file header,
  // bottom-up rows padded to four bytes.
  static const Byte dib[40 + 8] = {40, 0, 0, 0, 2, 0, 0, 0, 1, 0, 0, 0, 1, 0, 24, 0,  // size, 2 x 1, 1 plane, 24 bpp
                                   0,  0, 0, 0, 8, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  0,
                                   0,  0, 0, 0, 0, 0, 0, 0, 0x30, 0x20, 0x10, 0xFF, 0x00, 0x00, 0, 0};
  RegisterResource(u"QNBITMAPTEST", u"#2", dib, sizeof dib);
  RegisterResource(u"#4711", u"#2", dib, sizeof dib);
  TBitmap32 a, b;
  a.LoadFromResourceName(0, u"QNBITMAPTEST");
  b.LoadFromResourceID(0, 4711);
  UnregisterResource(u"QNBITMAPTEST", u"#2");
  UnregisterResource(u"#4711", u"#2");
  for (TBitmap32* x : {&a, &b}) {
    ASSERT_EQ(x->Width(), 2);
    EXPECT_EQ(x->GetPixel(0, 0), 0xFF102030u);
    EXPECT_EQ(x->GetPixel(1, 0), 0xFF0000FFu);
  }
  EXPECT_THROW(a.LoadFromResourceName(0, u"QNBITMAPTEST"), EResNotFound);
  EXPECT_EQ(a.Width(), 2);
}

}  // namespace t_pix32_qn_files_test
