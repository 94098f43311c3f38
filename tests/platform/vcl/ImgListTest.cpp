// Image list components: change notices per update bracket, the streamed
// "Bitmap" property and malformed streams, order-keeping edits, disabled
// drawing, and lists freed while menus and links use them.
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <vector>

#include "platform/classes/Streams.h"
#include "platform/vcl/Bitmap.h"
#include "platform/vcl/ImgList.h"
#include "platform/vcl/Menus.h"

namespace t_img_list_test {

using namespace vcl;

namespace {

// A w x h 32-bit bitmap filled by f(x, y) -> 0xAARRGGBB.
template <class F>
std::unique_ptr<TBitmap> MakeBitmap(Integer w, Integer h, F f) {
  auto b = std::make_unique<TBitmap>();
  b->SetPixelFormat(TPixelFormat::pf32bit);
  b->SetSize(w, h);
  for (Integer y = 0; y < h; ++y) {
    auto* row = static_cast<uint32_t*>(b->ScanLine(y));
    for (Integer x = 0; x < w; ++x) row[x] = f(x, y);
  }
  return b;
}

std::vector<uint32_t> Pixels(TCustomImageList& l, Integer i) {
  TBitmap b;
  EXPECT_TRUE(l.GetBitmap(i, &b));
  std::vector<uint32_t> out;
  for (Integer y = 0; y < b.Height(); ++y) {
    auto* r = static_cast<const uint32_t*>(b.ScanLine(y));
    out.insert(out.end(), r, r + b.Width());
  }
  return out;
}

// Three images of different kinds: alpha, masked by a key, opaque.
void Fill(TCustomImageList& l) {
  l.SetSize(10, 6);
  auto alpha = MakeBitmap(10, 6, [](Integer x, Integer y) { return (uint32_t(x * 25) << 24) | 0x00336699u | uint32_t(y); });
  auto keyed = MakeBitmap(10, 6, [](Integer x, Integer y) { return (x + y) % 3 ? 0x00FF00FFu : 0x00102030u + uint32_t(x); });
  auto opaque = MakeBitmap(10, 6, [](Integer x, Integer y) { return 0x00A0B0C0u + uint32_t(x * 2 + y); });
  l.Add(alpha.get(), nullptr);
  l.AddMasked(keyed.get(), TColor(0xFF00FF));
  l.Add(opaque.get(), nullptr);
}

TEST(Platform_VclImageList, OneChangeNoticePerLinkForEveryEffectiveChangeOrUpdateBracket) {
  TImageList l(nullptr);
  TChangeLink a, b;
  int na = 0, nb = 0, own = 0;
  a.OnChange = [&](TObject* s) {
    EXPECT_EQ(s, &l);
    ++na;
  };
  b.OnChange = [&](TObject*) { ++nb; };
  l.OnChange = [&](TObject*) { ++own; };
  l.RegisterChanges(&a);
  l.RegisterChanges(&b);
  l.RegisterChanges(&a);  // once is enough
  auto bmp = MakeBitmap(16, 16, [](Integer, Integer) { return 0xFF112233u; });
  l.BeginUpdate();
  l.Add(bmp.get(), nullptr);
  l.Add(bmp.get(), nullptr);
  l.BeginUpdate();
  l.SetBkColor(clRed);
  l.EndUpdate();
  EXPECT_EQ(na + nb + own, 0);
  l.EndUpdate();
  EXPECT_EQ(na, 1);
  EXPECT_EQ(nb, 1);
  EXPECT_EQ(own, 1);
  // Nothing changes: no notice, even in a bracket.
  l.SetBkColor(clRed);
  l.SetDrawingStyle(dsNormal);
  l.BeginUpdate();
  l.EndUpdate();
  EXPECT_EQ(na, 1);
  // Each effective change outside a bracket: one each.
  l.Delete(0);
  l.SetBlendColor(clBlue);
  EXPECT_EQ(na, 3);
  EXPECT_EQ(nb, 3);
  l.UnRegisterChanges(&b);
  l.Clear();
  EXPECT_EQ(na, 4);
  EXPECT_EQ(nb, 3);
  EXPECT_EQ(b.Sender(), nullptr);
  // Clearing an empty list is no change.
  l.Clear();
  EXPECT_EQ(na, 4);
}

TEST(Platform_VclImageList, ImagesStreamAndComeBackPixelForPixel) {
  TImageList src(nullptr);
  Fill(src);
  TBytesStream data;
  src.WriteData(&data);
  TImageList dst(nullptr);
  auto old = MakeBitmap(16, 16, [](Integer, Integer) { return 0xFF000000u; });
  dst.Add(old.get(), nullptr);
  data.SetPosition(0);
  dst.ReadData(&data);
  ASSERT_EQ(dst.Count(), 3);
  EXPECT_EQ(dst.Width(), 10);
  EXPECT_EQ(dst.Height(), 6);
  for (Integer i = 0; i < 3; ++i) EXPECT_EQ(Pixels(dst, i), Pixels(src, i)) << i;
  // The keyed image keeps its holes.
  std::vector<uint32_t> keyed = Pixels(dst, 1);
  EXPECT_EQ(keyed[1] >> 24, 0u);
  EXPECT_EQ(keyed[0] >> 24, 0xFFu);
  // Through the form streaming system: the defined property "Bitmap".
  TMemoryStream form;
  src.SetName(u"Icons");
  form.WriteComponent(&src);
  form.SetPosition(0);
  TImageList back(nullptr);
  form.ReadComponent(&back);
  ASSERT_EQ(back.Count(), 3);
  for (Integer i = 0; i < 3; ++i) EXPECT_EQ(Pixels(back, i), Pixels(src, i)) << i;
}

TEST(Platform_VclImageList, MalformedStreamsRaiseAndLeaveTheListAsItWas) {
  TImageList src(nullptr);
  Fill(src);
  TBytesStream data;
  src.WriteData(&data);
  TBytes good = data.Bytes();
  good.resize(size_t(data.Size()));
  TImageList target(nullptr);
  target.SetSize(4, 4);
  auto mark = MakeBitmap(4, 4, [](Integer x, Integer y) { return 0xFF000000u | uint32_t(x * 4 + y); });
  target.Add(mark.get(), nullptr);
  target.Add(mark.get(), nullptr);
  std::vector<uint32_t> before = Pixels(target, 1);
  auto expectUnchanged = [&](const TBytes& bytes, const std::string& what) {
    TBytesStream s(bytes);
    EXPECT_THROW(target.ReadData(&s), EReadError) << what;
    EXPECT_EQ(target.Count(), 2) << what;
    EXPECT_EQ(target.Width(), 4) << what;
    EXPECT_EQ(Pixels(target, 1), before) << what;
  };
  // Every cut short version of a good stream.
  for (size_t n = 0; n < good.size(); n += (n < 64 ? 1 : 37))
    expectUnchanged(TBytes(good.begin(), good.begin() + std::ptrdiff_t(n)), "cut at " + std::to_string(n));
  auto patched = [&](size_t at, std::initializer_list<Byte> bytes) {
    TBytes b = good;
    size_t i = at;
    for (Byte v : bytes) b[i++] = v;
    return b;
  };
  expectUnchanged(patched(0, {'X'}), "magic");
  expectUnchanged(patched(4, {2}), "version");
  expectUnchanged(patched(14, {0xFF, 0xFF, 0, 0}), "count beyond the data");
  expectUnchanged(patched(6, {0, 0, 0, 0}), "zero width");
  expectUnchanged(patched(6, {11}), "width that the images do not have");
  expectUnchanged(patched(18, {0xFF, 0xFF, 0xFF, 0x7F}), "image length beyond the data");
  // A PNG whose compressed data is damaged.
  TBytes broken = good;
  for (size_t i = 18 + 4 + 40; i < 18 + 4 + 60 && i < broken.size(); ++i) broken[i] ^= 0x5A;
  expectUnchanged(broken, "damaged image");
}

TEST(Platform_VclImageList, InsertMoveAndDeleteKeepTheOtherImagesInOrder) {
  std::mt19937 rng(5);
  TImageList l(nullptr);
  l.SetSize(2, 2);
  std::vector<uint32_t> ref;
  uint32_t serial = 1;
  auto solid = [](uint32_t c) { return MakeBitmap(2, 2, [c](Integer, Integer) { return 0xFF000000u | c; }); };
  for (int step = 0; step < 200; ++step) {
    Integer n = Integer(ref.size());
    switch (rng() % 4) {
      case 0: {
        Integer at = Integer(rng() % unsigned(n + 1));
        uint32_t c = serial++ * 977u & 0xFFFFFF;
        l.Insert(at, solid(c).get(), nullptr);
        ref.insert(ref.begin() + at, c);
        break;
      }
      case 1:
        if (n > 1) {
          Integer a = Integer(rng() % unsigned(n)), b = Integer(rng() % unsigned(n));
          l.Move(a, b);
          uint32_t v = ref[size_t(a)];
          ref.erase(ref.begin() + a);
          ref.insert(ref.begin() + b, v);
        }
        break;
      case 2:
        if (n) {
          Integer a = Integer(rng() % unsigned(n));
          l.Delete(a);
          ref.erase(ref.begin() + a);
        }
        break;
      case 3:
        if (n) {
          Integer a = Integer(rng() % unsigned(n));
          uint32_t c = serial++ * 977u & 0xFFFFFF;
          l.ReplaceMasked(a, solid(c).get(), clNone);
          ref[size_t(a)] = c;
        }
        break;
    }
    ASSERT_EQ(l.Count(), Integer(ref.size()));
    for (size_t i = 0; i < ref.size(); ++i) ASSERT_EQ(Pixels(l, Integer(i))[0] & 0xFFFFFF, ref[i]) << step;
  }
  EXPECT_THROW(l.Delete(Integer(ref.size())), EInvalidOperation);
  EXPECT_THROW(l.Move(0, Integer(ref.size()) + 3), EInvalidOperation);
}

TEST(Platform_VclImageList, DisabledImagesDrawInGreysAndDrawingStylesPassThrough) {
  TImageList l(nullptr);
  l.SetSize(4, 4);
  auto red = MakeBitmap(4, 4, [](Integer, Integer) { return 0xFFFF0000u; });
  l.Add(red.get(), nullptr);
  TBitmap canvas;
  canvas.SetPixelFormat(TPixelFormat::pf32bit);
  canvas.SetSize(12, 4);
  canvas.Canvas()->Brush()->SetColor(clWhite);
  canvas.Canvas()->FillRect(TRect(0, 0, 12, 4));
  l.Draw(canvas.Canvas(), 0, 0, 0, true);
  l.Draw(canvas.Canvas(), 4, 0, 0, false);
  l.SetBlendColor(clBlue);
  l.Draw(canvas.Canvas(), 8, 0, 0, dsSelected, itImage);
  TColor on = canvas.Canvas()->Pixels(1, 1), off = canvas.Canvas()->Pixels(5, 1), sel = canvas.Canvas()->Pixels(9, 1);
  EXPECT_EQ(ColorToRGB(on), TColor(0x0000FF));
  int l76 = (255 * 77 + 128) >> 8;  // red's luma
  EXPECT_EQ(ColorToRGB(off), TColor(l76 | (l76 << 8) | (l76 << 16)));
  // Selected mixes half blue into the red.
  EXPECT_NEAR(int(ColorToRGB(sel) & 0xFF), 128, 1);
  EXPECT_NEAR(int((ColorToRGB(sel) >> 16) & 0xFF), 128, 1);
  EXPECT_EQ(int((ColorToRGB(sel) >> 8) & 0xFF), 0);
}

TEST(Platform_VclImageList, AListThatGoesClearsItsLinksAndTheMenusUsingIt) {
  auto* l = new TImageList(nullptr);
  TChangeLink link;
  l->RegisterChanges(&link);
  TPopupMenu pm(nullptr);
  pm.SetImages(l);
  auto* item = new TMenuItem(&pm);
  item->SetImageIndex(0);
  pm.Items()->Add(item);
  EXPECT_TRUE(item->IsOwnerDraw());
  delete l;
  EXPECT_EQ(link.Sender(), nullptr);
  EXPECT_EQ(pm.Images(), nullptr);
  EXPECT_FALSE(item->IsOwnerDraw());
  MENUITEMINFOW mi;
  mi.fMask = MIIM_FTYPE;
  ASSERT_TRUE(GetMenuItemInfoW(pm.Handle(), 0, true, &mi));
  EXPECT_FALSE(mi.fType & MFT_OWNERDRAW);
}

}  // namespace

}  // namespace t_img_list_test
