// State strips, glow, captions and offsets; the shared enumerations through
// a text form file.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <random>

#include "graphics/raster/uPix32_PNG.h"
#include "platform/classes/FormText.h"
#include "platform/rtl/SysUtils.h"
#include "skin/foundation/uQuarnIntf.h"
#include "tests/common/TestSupport.h"

namespace t_u_quarn_intf_test {

using namespace qn;

namespace {

// Serves test strips through the store's hook.
struct TStripSource {
  std::map<String, std::unique_ptr<TBitmap32>> Pictures;
  void Get(TObject*, const TQnResID& ID, TQuarnImage* Image, bool& Handled) {
    auto it = Pictures.find(ID);
    if (it == Pictures.end()) return;
    Image->Assign(it->second.get());
    Handled = true;
  }
};

class uQuarnIntf : public ::testing::Test {
 protected:
  void SetUp() override {
    TQuarnResManagerObj()->SetOnGetImage(TQnGetImageEvent(&Source, &TStripSource::Get));
  }
  void TearDown() override {
    TQuarnResManagerObj()->SetOnGetImage(TQnGetImageEvent());
    TQuarnResManagerObj()->Reload();
  }
  // A W x H picture of random pixels (alpha included) served as ID.
  TBitmap32* Random(const String& ID, Integer W, Integer H, uint32_t Seed) {
    auto b = std::make_unique<TBitmap32>();
    b->SetSize(W, H);
    std::mt19937 rng(Seed);
    for (Integer i = 0; i < W * H; ++i) b->Bits()[i] = rng();
    TBitmap32* r = b.get();
    Source.Pictures[ID] = std::move(b);
    return r;
  }
  TStripSource Source;
};

bool SameBlock(TBitmap32* Frame, TBitmap32* Src, Integer X0, Integer Y0) {
  for (Integer y = 0; y < Frame->Height(); ++y)
    for (Integer x = 0; x < Frame->Width(); ++x)
      if (Frame->GetPixel(x, y) != Src->GetPixel(X0 + x, Y0 + y)) return false;
  return true;
}

TEST_F(uQuarnIntf, StripsCutFramesSideBySideAndStacked) {
  TPngPictures p;
  EXPECT_EQ(p.Count(), 3);
  EXPECT_EQ(p.Normal(), 0);
  EXPECT_EQ(p.Hot(), 1);
  EXPECT_EQ(p.Pressed(), 2);
  EXPECT_EQ(p.Disable(), 0);
  EXPECT_FALSE(p.Active());
  EXPECT_FALSE(p.MultiLineMode());

  // Widths that do not divide evenly leave the remainder unused.
  for (Integer count : {1, 3, 5}) {
    SCOPED_TRACE(count);
    TBitmap32* src = Random(u"Strip" + IntToStr(count), 7 * count + 2, 6, count);
    TBitmap32* tall = Random(u"Tall" + IntToStr(count), 5, 4 * count + 1, 100 + count);
    p.SetCount(count);
    p.SetMultiLineMode(false);
    p.SetImage(u"Strip" + IntToStr(count));
    const Integer w = (7 * count + 2) / count, h = (4 * count + 1) / count;
    EXPECT_EQ(p.GetSingleWidth(), w);
    EXPECT_EQ(p.GetSingleHeight(), 6);
    TQuarnImage frame;
    for (Integer k = 0; k < count; ++k) {
      ASSERT_TRUE(p.GetFrame(k, &frame));
      ASSERT_EQ(frame.Width(), w);
      ASSERT_EQ(frame.Height(), 6);
      EXPECT_TRUE(SameBlock(&frame, src, w * k, 0)) << k;
    }
    p.SetMultiLineMode(true);
    p.SetImage(u"Tall" + IntToStr(count));
    EXPECT_EQ(p.GetSingleWidth(), 5);
    EXPECT_EQ(p.GetSingleHeight(), h);
    for (Integer k = 0; k < count; ++k) {
      ASSERT_TRUE(p.GetFrame(k, &frame));
      EXPECT_TRUE(SameBlock(&frame, tall, 0, h * k)) << k;
    }
  }

  // The state getters take their frame numbers.
  TBitmap32* five = Random(u"Five", 50, 4, 9);
  p.SetMultiLineMode(false);
  p.SetImage(u"Five");
  p.SetCount(5);
  p.SetNormal(4);
  p.SetHot(3);
  p.SetPressed(0);
  p.SetDisable(2);
  TQuarnImage f;
  ASSERT_TRUE(p.GetNormalImage(&f));
  EXPECT_TRUE(SameBlock(&f, five, 40, 0));
  ASSERT_TRUE(p.GetHotImage(&f));
  EXPECT_TRUE(SameBlock(&f, five, 30, 0));
  ASSERT_TRUE(p.GetPressedImage(&f));
  EXPECT_TRUE(SameBlock(&f, five, 0, 0));
  ASSERT_TRUE(p.GetDisableImage(&f));
  EXPECT_TRUE(SameBlock(&f, five, 20, 0));
}

TEST_F(uQuarnIntf, StripsAnswerFalseOutsideTheirFrames) {
  Random(u"Four", 40, 10, 3);
  TPngPictures p;
  p.SetImage(u"Four");
  p.SetCount(4);
  TQuarnImage f;
  f.SetSize(3, 3);
  f.Clear(0xFF0000FFu);
  EXPECT_FALSE(p.GetFrame(-1, &f));
  EXPECT_FALSE(p.GetFrame(4, &f));
  EXPECT_FALSE(p.GetFrame(0, nullptr));
  EXPECT_EQ(f.Width(), 3);  // untouched
  EXPECT_EQ(f.GetPixel(1, 1), 0xFF0000FFu);
  p.SetHot(7);
  EXPECT_FALSE(p.GetHotImage(&f));

  p.SetCount(0);
  EXPECT_FALSE(p.GetFrame(0, &f));
  EXPECT_EQ(p.GetSingleWidth(), 0);
  EXPECT_EQ(p.GetSingleHeight(), 0);
  p.SetCount(-2);
  EXPECT_EQ(p.GetSingleWidth(), 0);
  p.SetCount(41);  // frames narrower than a pixel
  EXPECT_FALSE(p.GetFrame(0, &f));

  p.SetCount(4);
  p.SetImage(u"NoSuchPicture");
  EXPECT_FALSE(p.GetNormalImage(&f));
  EXPECT_EQ(p.GetSingleWidth(), 0);
  p.SetImage(u"");
  EXPECT_FALSE(p.GetNormalImage(&f));
  EXPECT_EQ(p.Source(), nullptr);
}

TEST_F(uQuarnIntf, StripsReportEachEffectiveChangeOnceAndAssignCopiesAll) {
  int changes = 0;
  TPngPictures p;
  p.SetPicturesChanged(TNotifyEvent([&](TObject*) { ++changes; }));
  p.SetCount(3);  // same value
  p.SetActive(false);
  p.SetImage(u"");
  EXPECT_EQ(changes, 0);
  p.SetCount(4);
  p.SetNormal(1);
  p.SetHot(2);
  p.SetPressed(3);
  p.SetDisable(3);
  p.SetActive(true);
  p.SetMultiLineMode(true);
  p.SetImage(u"QuarnButton");
  EXPECT_EQ(changes, 8);

  TPngPictures q;
  int qChanges = 0;
  q.SetPicturesChanged(TNotifyEvent([&](TObject*) { ++qChanges; }));
  q.Assign(&p);
  EXPECT_EQ(qChanges, 1);
  EXPECT_EQ(q.Image(), u"QuarnButton");
  EXPECT_EQ(q.Count(), 4);
  EXPECT_EQ(q.Normal(), 1);
  EXPECT_EQ(q.Hot(), 2);
  EXPECT_EQ(q.Pressed(), 3);
  EXPECT_EQ(q.Disable(), 3);
  EXPECT_TRUE(q.Active());
  EXPECT_TRUE(q.MultiLineMode());
  q.Assign(&p);  // nothing new
  EXPECT_EQ(qChanges, 1);
}

TEST_F(uQuarnIntf, StripsFollowTheStoreAcrossReloadAndNewPictures) {
  TPngPictures p;
  p.SetImage(u"QuarnButton");
  p.SetCount(5);
  TQuarnImage before, after;
  ASSERT_TRUE(p.GetHotImage(&before));

  // The store frees every image it handed out; the strip finds the new one.
  TQuarnResManagerObj()->Reload();
  ASSERT_TRUE(p.GetHotImage(&after));
  EXPECT_TRUE(before.Equal(&after));

  // A folder replaces the picture: the strip shows the new one.
  const std::string dir = qntest::MakeTempDir("strips");
  TBitmap32 blue;
  blue.SetSize(50, 10);
  blue.Clear(0xFF2040C0u);
  ASSERT_TRUE(SaveBitmap32ToPNG(&blue, true, 0, FromUtf8(dir + "/QuarnButton.png")));
  ASSERT_EQ(TQuarnResManagerObj()->LoadSkinFolder(FromUtf8(dir)), 1);
  ASSERT_TRUE(p.GetHotImage(&after));
  EXPECT_EQ(after.Width(), 10);
  EXPECT_EQ(after.GetPixel(5, 5), 0xFF2040C0u);
  std::filesystem::remove_all(dir);

  // An id missing at first is found once it is added.
  TPngPictures later;
  later.SetImage(u"Arrives");
  later.SetCount(1);
  EXPECT_EQ(later.GetSingleWidth(), 0);
  Random(u"Arrives", 6, 2, 1);
  EXPECT_EQ(later.GetSingleWidth(), 6);
}

TEST_F(uQuarnIntf, GlowCaptionsAndOffsetsReportChangesAndCopy) {
  int changes = 0;
  TQnCaption c;
  EXPECT_TRUE(c.Visible());
  EXPECT_EQ(c.OffsetX(), 0);
  EXPECT_EQ(c.OffsetY(), 0);
  c.SetOnChanged(TNotifyEvent([&](TObject*) { ++changes; }));
  c.Font()->SetSize(c.Font()->Size() + 3);
  EXPECT_EQ(changes, 1);
  c.Light()->SetActive(true);
  EXPECT_EQ(changes, 2);
  c.SetText(u"Hello");
  c.SetText(u"Hello");
  c.SetOffsetX(4);
  c.SetVisible(false);
  EXPECT_EQ(changes, 5);

  // Sub-object setters copy; the owned objects stay.
  TQnLightClass glow;
  glow.SetActive(true);
  glow.SetColor(0x00123456);
  glow.SetBlurRadius(7);
  TQnLightClass* own = c.Light();
  c.SetLight(&glow);
  EXPECT_EQ(c.Light(), own);
  EXPECT_EQ(c.Light()->Color(), 0x00123456);
  EXPECT_EQ(c.Light()->BlurRadius(), 7);
  EXPECT_EQ(changes, 6);

  TQnCaption d;
  int dChanges = 0;
  d.SetOnChanged(TNotifyEvent([&](TObject*) { ++dChanges; }));
  d.Assign(&c);
  EXPECT_EQ(dChanges, 1);
  EXPECT_EQ(d.Text(), u"Hello");
  EXPECT_FALSE(d.Visible());
  EXPECT_EQ(d.OffsetX(), 4);
  EXPECT_EQ(d.Font()->Size(), c.Font()->Size());
  EXPECT_TRUE(d.Light()->Active());
  EXPECT_EQ(d.Light()->BlurRadius(), 7);

  // Switching the glow off is a change; switching it off again is not.
  int lightChanges = 0;
  glow.SetOnChange(TNotifyEvent([&](TObject*) { ++lightChanges; }));
  glow.SetActive(false);
  glow.SetActive(false);
  EXPECT_EQ(lightChanges, 1);

  TQnOffset o, p;
  int oChanges = 0;
  o.SetOnChanged(TNotifyEvent([&](TObject*) { ++oChanges; }));
  o.SetX(0);
  o.SetX(3);
  o.SetY(-2);
  EXPECT_EQ(oChanges, 2);
  p.SetX(9);
  o.Assign(&p);
  EXPECT_EQ(o.X(), 9);
  EXPECT_EQ(o.Y(), 0);
  EXPECT_EQ(oChanges, 3);
}

// Every enumeration and set of the unit as published properties.
class TSkinTypesHolder : public TComponent {
  QN_CLASS_CREATE(TSkinTypesHolder, TComponent, TComponent)
 public:
  explicit TSkinTypesHolder(TComponent* AOwner) : TComponent(AOwner) {}
#define HOLD(T, N, D)               \
  T N() const { return F##N; }      \
  void Set##N(T v) { F##N = v; }    \
  T F##N = D;
  HOLD(TQnTextKind, TextKind, tkAll)
  HOLD(TQuarnCustomComboBoxStyle, ComboStyle, csDropDown)
  HOLD(TQnColorBoxStyles, ColorStyles, {})
  HOLD(TQnPngFillType, FillType, ftNormal)
  HOLD(TQnCorners, Corners, {})
  HOLD(TSides, Sides, {})
  HOLD(TEllipsisPosition, Ellipsis, epNone)
  HOLD(TGradientDirection, Direction, gdHorizontal)
  HOLD(TQuarnStyle, Style, ssColor)
  HOLD(TQnFillStyle, FillStyle, mfsBlur)
  HOLD(TOwnerDrawState, DrawState, {})
  HOLD(TQnAboutInfo, About, aiQuarnComponent)
#undef HOLD
  TPngPictures* Pictures() const { return FPictures.get(); }
  void SetPictures(TPngPictures* v) { FPictures->Assign(v); }
  std::unique_ptr<TPngPictures> FPictures = std::make_unique<TPngPictures>();

  QN_PUBLISHED(TSkinTypesHolder) {
    QN_PROP(TextKind).Default(tkAll);
    QN_PROP(ComboStyle).Default(csDropDown);
    QN_PROP(ColorStyles).Default(TQnColorBoxStyles{});
    QN_PROP(FillType).Default(ftNormal);
    QN_PROP(Corners).Default(TQnCorners{});
    QN_PROP(Sides).Default(TSides{});
    QN_PROP(Ellipsis).Default(epNone);
    QN_PROP(Direction).Default(gdHorizontal);
    QN_PROP(Style).Default(ssColor);
    QN_PROP(FillStyle).Default(mfsBlur);
    QN_PROP(DrawState).Default(TOwnerDrawState{});
    QN_PROP(About).Stored(false);
    QN_PROP(Pictures);
  }
};

TEST_F(uQuarnIntf, EnumerationsTravelByNameThroughTextForms) {
  RegisterClass(TSkinTypesHolder::StaticClass());
  TSkinTypesHolder a(nullptr);
  a.SetName(u"Holder");
  a.SetTextKind(tkENandNum);
  a.SetComboStyle(csDropDownList);
  a.SetColorStyles({qncbSystemColors, qncbPrettyNames});
  a.SetFillType(ftAutoStretch);
  a.SetCorners({TQnCorner::TopRight, TQnCorner::BottomLeft});
  a.SetSides({sdLeft, sdBottom});
  a.SetEllipsis(epWordEllipsis);
  a.SetDirection(gdVertical);
  a.SetStyle(ssPicture);
  a.SetFillStyle(mfs9Block);
  a.SetDrawState({odSelected, odComboBoxEdit});
  a.Pictures()->SetImage(u"QuarnFlatBtn");
  a.Pictures()->SetCount(4);
  a.Pictures()->SetMultiLineMode(true);
  const std::string text = ComponentToText(&a);
  for (const char* name : {"tkENandNum", "csDropDownList", "qncbSystemColors, qncbPrettyNames", "ftAutoStretch",
                           "TopRight, BottomLeft", "sdLeft, sdBottom", "epWordEllipsis", "gdVertical", "ssPicture",
                           "mfs9Block", "odSelected, odComboBoxEdit", "Pictures.Image = 'QuarnFlatBtn'",
                           "Pictures.MultiLineMode = True"})
    EXPECT_NE(text.find(name), std::string::npos) << name << "\n" << text;
  EXPECT_EQ(text.find("About"), std::string::npos);

  TSkinTypesHolder b(nullptr);
  TextToComponent(text, &b);
  EXPECT_EQ(ComponentToText(&b), text);
  EXPECT_EQ(b.Pictures()->Count(), 4);
  EXPECT_EQ(b.FillStyle(), mfs9Block);
}

TEST_F(uQuarnIntf, FreeDynImgFreesAndEmpties) {
  TDynQuarnImage frames{new TQuarnImage(), new TQuarnImage()};
  frames[0]->SetSize(3, 3);
  FreeDynImg(frames);  // leaks would show under ASan
  EXPECT_TRUE(frames.empty());
  FreeDynImg(frames);
  EXPECT_TRUE(frames.empty());
}

}  // namespace

}  // namespace t_u_quarn_intf_test
