// The skin image store: the drawn default skin, the look-up order, the
// edits of the image list and their generation counter, the text form.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <map>
#include <memory>

#include "graphics/raster/Pix32_Resamplers_qn.h"
#include "graphics/raster/uPix32_PNG.h"
#include "platform/classes/FormText.h"
#include "platform/rtl/SysUtils.h"
#include "platform/vcl/Bitmap.h"
#include "platform/vcl/Jpeg.h"
#include "skin/foundation/uQuarnResManager.h"
#include "tests/common/TestSupport.h"

namespace t_u_quarn_res_manager_test {

using namespace qn;

namespace {

class uQuarnResManager : public ::testing::Test {
 protected:
  void SetUp() override {
    Dir = qntest::MakeTempDir("skinstore");
    Store = TQuarnResManagerObj();
  }
  void TearDown() override {
    Store->SetOnGetImage(TQnGetImageEvent());
    SetModuleFileNameOverride(u"");
    Store->Reload();
    std::filesystem::remove_all(Dir);
  }

  String Path(const std::string& Name) const { return FromUtf8(Dir + "/" + Name); }

  // A W x H picture of one colour, saved as PNG with its alpha.
  String WritePng(const std::string& Name, Integer W, Integer H, TColor32 C) {
    TBitmap32 b;
    b.SetSize(W, H);
    b.Clear(C);
    const String p = Path(Name);
    EXPECT_TRUE(SaveBitmap32ToPNG(&b, true, 0, p));
    return p;
  }

  std::string Dir;
  TQuarnResManager* Store = nullptr;
};

// Sum of |difference| of premultiplied channels, averaged over the frame's
// pixels: 0 for equal frames, growing with how different they look.
double FrameDistance(TBitmap32* B, const TQnSkinImageInfo& Info, Integer K1, Integer K2) {
  const Integer fw = Info.Stacked ? B->Width() : B->Width() / Info.Frames;
  const Integer fh = Info.Stacked ? B->Height() / Info.Frames : B->Height();
  double sum = 0;
  for (Integer y = 0; y < fh; ++y)
    for (Integer x = 0; x < fw; ++x) {
      auto at = [&](Integer k) {
        return Info.Stacked ? B->GetPixel(x, y + k * fh) : B->GetPixel(x + k * fw, y);
      };
      const TColor32 a = at(K1), b = at(K2);
      const double aa = (a >> 24) / 255.0, ba = (b >> 24) / 255.0;
      for (int s = 0; s < 24; s += 8) sum += std::fabs(((a >> s) & 0xFF) * aa - ((b >> s) & 0xFF) * ba);
      sum += std::fabs((a >> 24) * 1.0 - (b >> 24));
    }
  return sum / (fw * fh);
}

TEST_F(uQuarnResManager, EveryNamedImageResolvesWithItsGeometry) {
  // Sizes and frame counts the controls rely on: (width, height, frames,
  // stacked); 0 leaves a size free.
  struct Want {
    const char16_t* ID;
    Integer W, H, Frames;
    bool Stacked;
  };
  const Want wants[] = {
      {u"QuarnFlatBtn", 66, 22, 3, false},           {u"QuarnDropdownMenu", 60, 32, 4, false},
      {u"QuarnBrower_back", 120, 29, 4, false},      {u"QuarnBrower_front", 120, 29, 4, false},
      {u"QuarnBrower_up", 29, 120, 4, true},         {u"QuarnBrower_down", 29, 120, 4, true},
      {u"QuarnColor_tabs", 360, 40, 3, false},       {u"QuarnMini_close_btn", 24, 12, 2, false},
      {u"QuarnSwitch_on", 102, 17, 3, false},        {u"QuarnSwitch_off", 102, 17, 3, false},
      {u"QuarnButton", 0, 0, 5, false},              {u"QuarnCheckBox", 60, 15, 4, false},
      {u"QuarnRadiobtn", 60, 15, 4, false},          {u"QuarnSlides", 0, 0, 4, false},
      {u"QuarnBtn_close", 84, 20, 3, false},         {u"QuarnBtn_max", 84, 20, 3, false},
      {u"QuarnBtn_restore", 84, 20, 3, false},       {u"QuarnBtn_min", 84, 20, 3, false},
      {u"QuarnTips_close", 48, 16, 3, false},        {u"QuarnScrollbar_arrowup_normal", 10, 10, 1, false},
      {u"QuarnScrollbar_arrowright_down", 10, 10, 1, false}, {u"QuarnScrollbar_bar_normal", 10, 20, 1, false},
      {u"QuarnScrollbar_horzbar_down", 20, 10, 1, false},    {u"QuarnScrollbar_bkg", 10, 0, 1, false},
      {u"QuarnScrollbar_horz_bkg", 0, 10, 1, false}, {u"QuarnSpin_normal_up", 20, 11, 1, false},
      {u"QuarnSpin_pushed_down", 20, 11, 1, false},  {u"QuarnMsgIcon_Info", 40, 40, 1, false},
      {u"QuarnMsgIcon_Question", 40, 40, 1, false},  {u"QuarnCancel_18_Hot", 18, 18, 1, false},
      {u"QuarnCalendar_18_N", 18, 18, 1, false},     {u"QuarnCheckedCheckbox_h_18", 18, 18, 1, false},
      {u"QuarnUncheckedCheckbox_18", 18, 18, 1, false},
  };
  const auto& infos = QnDefaultSkinImages();
  std::map<String, TQnSkinImageInfo> byID;
  for (const auto& i : infos) byID.emplace(i.ResID, i);
  for (const Want& w : wants) {
    SCOPED_TRACE(ToUtf8(w.ID));
    ASSERT_TRUE(byID.count(w.ID));
    const TQnSkinImageInfo& info = byID.at(w.ID);
    TQuarnImage* img = Store->GetImageByName(w.ID);
    ASSERT_NE(img, nullptr);
    if (w.W) {
      EXPECT_EQ(img->Width(), w.W);
    }
    if (w.H) {
      EXPECT_EQ(img->Height(), w.H);
    }
    EXPECT_EQ(info.Frames, w.Frames);
    EXPECT_EQ(info.Stacked, w.Stacked);
  }
  // Frames of 15 x 15 for the boxes, 28 x 20 and 16 x 16 for the caption
  // buttons; the check items of the edit spell their hover pair "_h_18".
  EXPECT_EQ(byID.at(u"QuarnCheckBox").Width / 4, 15);
  EXPECT_EQ(byID.at(u"QuarnBtn_close").Width / 3, 28);
  EXPECT_EQ(Store->GetImageByName(u"QuarnCheckedCheckbox_18_h"), nullptr);
  EXPECT_EQ(Store->GetImageByName(u"QuarnUncheckedCheckbox_18_h"), nullptr);

  // Every image of the table is in the store with that geometry, frames
  // dividing its length exactly, and every id the controls name is there.
  for (const auto& i : infos) {
    SCOPED_TRACE(ToUtf8(i.ResID));
    TQuarnImage* img = Store->GetImageByName(i.ResID);
    ASSERT_NE(img, nullptr);
    EXPECT_EQ(img->Width(), i.Width);
    EXPECT_EQ(img->Height(), i.Height);
    EXPECT_EQ((i.Stacked ? i.Height : i.Width) % i.Frames, 0);
    EXPECT_EQ(img->DrawMode(), TDrawMode::dmBlend);
  }
  const char16_t* named[] = {
      u"QuarnBar_base", u"QuarnBar_cur", u"QuarnBorderHot", u"QuarnBorderNormal", u"QuarnCalendar_18_H",
      u"QuarnCancel_18_Normal", u"QuarnCheckedCheckbox_18", u"QuarnDrag_flag", u"QuarnDrop_arrow_hot",
      u"QuarnDrop_arrow_normal", u"QuarnExpand_1", u"QuarnExpand_2", u"QuarnKeyboard", u"QuarnMsgIcon_Error",
      u"QuarnMsgIcon_OK", u"QuarnPasswordchar", u"QuarnPreview_bkg", u"QuarnScrollbar_arrowdown_down",
      u"QuarnScrollbar_arrowdown_highlight", u"QuarnScrollbar_arrowdown_normal", u"QuarnScrollbar_arrowleft_down",
      u"QuarnScrollbar_arrowleft_highlight", u"QuarnScrollbar_arrowleft_normal",
      u"QuarnScrollbar_arrowright_highlight", u"QuarnScrollbar_arrowright_normal", u"QuarnScrollbar_arrowup_down",
      u"QuarnScrollbar_arrowup_highlight", u"QuarnScrollbar_bar_down", u"QuarnScrollbar_bar_highlight",
      u"QuarnScrollbar_horzbar_highlight", u"QuarnScrollbar_horzbar_normal", u"QuarnSearch_icon",
      u"QuarnSlider_dragBackground", u"QuarnSpin_highlight_down", u"QuarnSpin_highlight_up",
      u"QuarnSpin_normal_down", u"QuarnSpin_pushed_up", u"QuarnTab_button_down", u"QuarnTab_button_hot",
      u"QuarnTab_button_normal", u"QuarnUncheckedCheckbox_h_18"};
  for (const char16_t* id : named) EXPECT_NE(Store->GetImageByName(id), nullptr) << ToUtf8(id);
}

TEST_F(uQuarnResManager, StatesLookApartWithTransparentCornersAndSolidCentres) {
  for (const auto& info : QnDefaultSkinImages()) {
    SCOPED_TRACE(ToUtf8(info.ResID));
    TQuarnImage* img = Store->GetImageByName(info.ResID);
    ASSERT_NE(img, nullptr);
    // Every pair of frames of a strip must be told apart at a glance.
    for (Integer a = 0; a < info.Frames; ++a)
      for (Integer b = a + 1; b < info.Frames; ++b)
        EXPECT_GT(FrameDistance(img, info, a, b), 3.0) << "frames " << a << " and " << b;
    const Integer fw = info.Stacked ? info.Width : info.Width / info.Frames;
    const Integer fh = info.Stacked ? info.Height / info.Frames : info.Height;
    for (Integer k = 0; k < info.Frames; ++k) {
      const Integer x0 = info.Stacked ? 0 : k * fw, y0 = info.Stacked ? k * fh : 0;
      // Rounded: the top corners of each frame let the ground through.
      EXPECT_LT(img->GetPixel(x0, y0) >> 24, 48u) << "frame " << k;
      EXPECT_LT(img->GetPixel(x0 + fw - 1, y0) >> 24, 48u) << "frame " << k;
      // Solid paint in the middle; a disabled face is faded, not see-through.
      if (info.OpaqueCentre) {
        EXPECT_GE(img->GetPixel(x0 + fw / 2, y0 + fh / 2) >> 24, 220u) << "frame " << k;
      }
    }
  }
}

TEST_F(uQuarnResManager, TwoBuildsAreByteIdentical) {
  TQuarnImageList a(nullptr), b(nullptr);
  BuildDefaultSkin(a.Bitmaps());
  BuildDefaultSkin(b.Bitmaps());
  ASSERT_EQ(a.Bitmaps()->Count(), static_cast<Integer>(QnDefaultSkinImages().size()));
  ASSERT_EQ(a.Bitmaps()->Count(), b.Bitmaps()->Count());
  for (Integer i = 0; i < a.Bitmaps()->Count(); ++i) {
    TQuarnImage* x = a.Bitmaps()->GetItem(i)->Bitmap();
    TQuarnImage* y = b.Bitmaps()->GetItem(i)->Bitmap();
    ASSERT_EQ(x->Width(), y->Width());
    ASSERT_EQ(x->Height(), y->Height());
    EXPECT_EQ(0, std::memcmp(x->Bits(), y->Bits(), size_t(x->Width()) * x->Height() * 4)) << i;
  }
}

TEST_F(uQuarnResManager, LookUpOrderPathListExeFolderHook) {
  // (a) a file path beats a list entry of the same text, even one that names
  // a list id by its file name.
  const String path = WritePng("QuarnButton.png", 7, 5, 0xFFFF0000u);
  TQuarnImage* fromFile = Store->GetImageByName(path);
  ASSERT_NE(fromFile, nullptr);
  EXPECT_EQ(fromFile->Width(), 7);
  EXPECT_EQ(fromFile->GetPixel(3, 2), 0xFFFF0000u);
  EXPECT_EQ(Store->GetImageByName(path), fromFile);  // cached

  // (b) the list beats a file of the same bare name beside the executable.
  SetModuleFileNameOverride(Path("app"));
  TQuarnImage* listed = Store->GetImageByName(u"QuarnButton");
  ASSERT_NE(listed, nullptr);
  EXPECT_NE(listed->Width(), 7);

  // (c) beside the executable, with and without ".png"; only bare names.
  WritePng("Beside.png", 3, 4, 0xFF00FF00u);
  WritePng("NoExt", 2, 2, 0xFF0000FFu);
  TQuarnImage* beside = Store->GetImageByName(u"Beside");
  ASSERT_NE(beside, nullptr);
  EXPECT_EQ(beside->Height(), 4);
  ASSERT_NE(Store->GetImageByName(u"NoExt"), nullptr);
  EXPECT_EQ(Store->GetImageByName(u"NoExt")->GetPixel(0, 0), 0xFF0000FFu);
  std::filesystem::create_directory(Dir + "/sub");
  WritePng("sub/Deep.png", 2, 2, 0xFF00FF00u);
  EXPECT_EQ(Store->GetImageByName(u"../sub/Deep"), nullptr);
  EXPECT_EQ(Store->GetImageByName(u"sub/Deep"), nullptr);

  // (d) the hook, asked only when nothing else matched.
  int asked = 0;
  struct Hook {
    int* Asked;
    void Get(TObject*, const TQnResID& ID, TQuarnImage* Image, bool& Handled) {
      ++*Asked;
      if (ID == u"FromHook") {
        Image->SetSize(9, 9);
        Image->Clear(0xFF123456u);
        Handled = true;
      }
    }
  } hook{&asked};
  Store->SetOnGetImage(TQnGetImageEvent(&hook, &Hook::Get));
  EXPECT_NE(Store->GetImageByName(u"QuarnButton"), nullptr);
  EXPECT_NE(Store->GetImageByName(u"Beside"), nullptr);
  EXPECT_EQ(asked, 0);
  TQuarnImage* hooked = Store->GetImageByName(u"FromHook");
  ASSERT_NE(hooked, nullptr);
  EXPECT_EQ(hooked->Width(), 9);
  EXPECT_EQ(Store->GetImageByName(u"fromhook"), hooked);  // cached, any case
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(Store->GetImageByName(u"Unknown"), nullptr);
  EXPECT_EQ(asked, 2);
  EXPECT_EQ(Store->GetImageByName(u""), nullptr);
  EXPECT_EQ(Store->GetImageByName(u"   "), nullptr);
  EXPECT_EQ(asked, 2);
}

// Look-ups within a batch keep what the file system answered while the
// folder stands as it was; a file that appears or goes, a link whose target
// appears and a move to another working folder are all seen by the next
// batch. The folders are dated back so their change times count as settled.
TEST_F(uQuarnResManager, BatchedLookUpsFollowTheFolders) {
  namespace fs = std::filesystem;
  auto settle = [](const std::string& Folder) {
    fs::last_write_time(Folder, fs::file_time_type::clock::now() - std::chrono::hours(1));
  };
  auto batched = [this](const String& ID) {
    TQuarnResManager::TLookupBatch batch(Store);
    TQuarnImage* first = Store->GetImageByName(ID);
    EXPECT_EQ(Store->GetImageByName(ID), first);  // the kept answer
    return first;
  };
  const String oldDir = GetCurrentDir();
  fs::create_directory(Dir + "/work");
  fs::create_directory(Dir + "/other");
  WritePng("other/QuarnButton", 3, 3, 0xFF0000FFu);
  settle(Dir + "/work");
  settle(Dir + "/other");
  struct Restore {
    String Old;
    ~Restore() { SetCurrentDir(Old); }
  } restore{oldDir};
  ASSERT_TRUE(SetCurrentDir(Path("work")));

  TQuarnImage* listed = batched(u"QuarnButton");
  ASSERT_NE(listed, nullptr);
  EXPECT_NE(listed->Width(), 7);
  // (a) a file of the id's name appears in the working folder, then goes.
  WritePng("work/QuarnButton", 7, 5, 0xFFFF0000u);
  ASSERT_NE(batched(u"QuarnButton"), nullptr);
  EXPECT_EQ(batched(u"QuarnButton")->Width(), 7);
  fs::remove(Dir + "/work/QuarnButton");
  settle(Dir + "/work");
  EXPECT_EQ(batched(u"QuarnButton"), listed);

  // A link whose target appears elsewhere: the folder's time stays.
  EXPECT_EQ(batched(u"Linked"), nullptr);
  fs::create_symlink(Dir + "/target.png", Dir + "/work/Linked");
  settle(Dir + "/work");
  EXPECT_EQ(batched(u"Linked"), nullptr);
  WritePng("target.png", 4, 4, 0xFF00FF00u);
  ASSERT_NE(batched(u"Linked"), nullptr);
  EXPECT_EQ(batched(u"Linked")->Width(), 4);

  // Another working folder with the same kind of change time.
  ASSERT_TRUE(SetCurrentDir(Path("other")));
  ASSERT_NE(batched(u"QuarnButton"), nullptr);
  EXPECT_EQ(batched(u"QuarnButton")->Width(), 3);
  ASSERT_TRUE(SetCurrentDir(Path("work")));
  EXPECT_EQ(batched(u"QuarnButton"), listed);

  // (c) beside the executable.
  SetModuleFileNameOverride(Path("work/app"));
  EXPECT_EQ(batched(u"Beside"), nullptr);
  WritePng("work/Beside.png", 2, 6, 0xFF00FF00u);
  ASSERT_NE(batched(u"Beside"), nullptr);
  EXPECT_EQ(batched(u"Beside")->Height(), 6);
}

TEST_F(uQuarnResManager, IdsCompareWithoutAsciiCase) {
  TQuarnImage* a = Store->GetImageByName(u"QuarnScrollbar_bar_down");
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(Store->GetImageByName(u"quarnscrollbar_BAR_DOWN"), a);
  EXPECT_EQ(QuarnResDM->QuarnImageListMain()->Bitmaps()->IndexOf(u"QUARNBUTTON"),
            QuarnResDM->QuarnImageListMain()->Bitmaps()->IndexOf(u"QuarnButton"));
  // Only ASCII folds: a non-ASCII letter in another case is another id.
  EXPECT_EQ(Store->GetImageByName(u"QuarnButton\u00E9"), nullptr);
}

TEST_F(uQuarnResManager, AddResMakesIdsUniqueAndEditsMoveTheGeneration) {
  const String a = WritePng("a.png", 4, 4, 0x80FF0000u);
  TQuarnBitmapCollection* list = QuarnResDM->QuarnImageListMain()->Bitmaps();
  const Integer n = list->Count();
  const Cardinal g0 = Store->Generation();
  EXPECT_EQ(Store->AddRes(a, u"", u"first"), n);
  EXPECT_EQ(Store->AddRes(a, u"", u""), n + 1);
  EXPECT_EQ(Store->AddRes(a, u"a", u""), n + 2);
  EXPECT_EQ(list->GetItem(n)->ResID(), u"a");
  EXPECT_EQ(list->GetItem(n + 1)->ResID(), u"a_1");
  EXPECT_EQ(list->GetItem(n + 2)->ResID(), u"a_1_1");
  EXPECT_EQ(list->GetItem(n)->Description(), u"first");
  EXPECT_EQ(Store->GetImageByName(u"a_1")->GetPixel(1, 1), 0x80FF0000u);
  EXPECT_EQ(Store->Generation(), g0);  // adding frees nothing

  // ReplaceRes: another item's id is refused and nothing changes.
  const String b = WritePng("b.png", 6, 2, 0xFF00FF00u);
  try {
    Store->ReplaceRes(u"a", b, u"A_1", u"");
    FAIL() << "no exception";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), u"Image id already exists: A_1");
  }
  EXPECT_EQ(Store->GetImageByName(u"a")->Width(), 4);
  EXPECT_EQ(Store->Generation(), g0);
  EXPECT_EQ(Store->ReplaceRes(u"missing", b, u"", u""), -1);

  EXPECT_EQ(Store->ReplaceRes(u"a", b, u"renamed", u"new"), n);
  EXPECT_GT(Store->Generation(), g0);
  EXPECT_EQ(Store->GetImageByName(u"a"), nullptr);
  EXPECT_EQ(Store->GetImageByName(u"renamed")->Width(), 6);
  EXPECT_EQ(list->GetItem(n)->Description(), u"new");

  Cardinal g = Store->Generation();
  Store->Delete(u"renamed");
  EXPECT_GT(Store->Generation(), g);
  EXPECT_EQ(Store->GetImageByName(u"renamed"), nullptr);

  g = Store->Generation();
  Store->Reload();
  EXPECT_GT(Store->Generation(), g);
  EXPECT_EQ(QuarnResDM->Name(), u"QuarnResDM");
  EXPECT_EQ(Store->GetImageByName(u"a_1"), nullptr);
  EXPECT_NE(Store->GetImageByName(u"QuarnButton"), nullptr);

  // A folder of pictures: ids replaced or added, one move of the generation.
  std::filesystem::create_directory(Dir + "/skin");
  WritePng("skin/QuarnButton.png", 5, 5, 0xFF0000FFu);
  WritePng("skin/Extra.png", 2, 3, 0xFF0000FFu);
  g = Store->Generation();
  EXPECT_EQ(Store->LoadSkinFolder(Path("skin")), 2);
  EXPECT_GT(Store->Generation(), g);
  EXPECT_EQ(Store->GetImageByName(u"QuarnButton")->Width(), 5);
  EXPECT_EQ(Store->GetImageByName(u"extra")->Height(), 3);
}

TEST_F(uQuarnResManager, PicturesComeFromPngBmpAndJpeg) {
  TBitmap32 src;
  src.SetSize(5, 3);
  src.Clear(0xFF336699u);
  const String bmp = Path("p.bmp");
  src.SaveToFile(bmp);
  const Integer ib = Store->AddRes(bmp, u"", u"");
  EXPECT_EQ(QuarnResDM->QuarnImageListMain()->Bitmaps()->GetItem(ib)->ResID(), u"p");
  EXPECT_EQ(Store->GetImageByName(u"p")->GetPixel(4, 2), 0xFF336699u);

  TBitmap vb;
  vb.SetPixelFormat(TPixelFormat::pf24bit);
  vb.SetSize(8, 6);
  vb.Canvas()->Brush()->SetColor(static_cast<TColor>(0x00FFFFFF));
  vb.Canvas()->FillRect(TRect(0, 0, 8, 6));
  TJPEGImage jpeg;
  jpeg.Assign(&vb);
  const String jpg = Path("photo.jpg");
  jpeg.SaveToFile(jpg);
  Store->AddRes(jpg, u"photo", u"");
  TQuarnImage* j = Store->GetImageByName(u"photo");
  ASSERT_NE(j, nullptr);
  EXPECT_EQ(j->Width(), 8);
  EXPECT_EQ(j->Height(), 6);
  EXPECT_EQ(j->GetPixel(3, 3) >> 24, 255u);  // a JPEG is opaque
  EXPECT_GT(j->GetPixel(3, 3) & 0xFF, 240u);

  // Not a picture: refused, and the list keeps its count.
  const Integer n = QuarnResDM->QuarnImageListMain()->Bitmaps()->Count();
  WriteAllBytes(Path("junk.png"), TBytes{'n', 'o', 'p', 'e'});
  EXPECT_THROW(Store->AddRes(Path("junk.png"), u"junk", u""), Exception);
  EXPECT_EQ(QuarnResDM->QuarnImageListMain()->Bitmaps()->Count(), n);
}

TEST_F(uQuarnResManager, ImageListTextFormRoundTripAndRefresh) {
  TQuarnImageList src(nullptr);
  src.SetName(u"QuarnImageListMain");
  TQuarnBitmapItem* item = src.Bitmaps()->Add();
  item->SetResID(u"Soft");
  item->SetDescription(u"half see-through");
  TQuarnImage* bm = item->Bitmap();
  bm->SetSize(3, 2);
  for (Integer i = 0; i < 6; ++i) bm->Bits()[i] = 0x10203040u * (i + 1) + (0x21u << 24) * i;
  const std::string text = ComponentToText(&src);
  EXPECT_NE(text.find("Bitmap.Data"), std::string::npos);

  TQuarnImageList dst(nullptr);
  LoadImageListText(&dst, text);
  ASSERT_EQ(dst.Bitmaps()->Count(), 1);
  TQuarnBitmapItem* got = dst.Bitmaps()->GetItem(0);
  EXPECT_EQ(got->ResID(), u"Soft");
  EXPECT_EQ(got->Description(), u"half see-through");
  ASSERT_EQ(got->Bitmap()->Width(), 3);
  for (Integer i = 0; i < 6; ++i) EXPECT_EQ(got->Bitmap()->Bits()[i], bm->Bits()[i]);

  // Refresh: the data module's list takes the file's items.
  const String file = Path("QuarnDesignTimeRes.tmp");
  WriteAllBytes(file, TBytes(text.begin(), text.end()));
  const Cardinal g = Store->Generation();
  Store->Refresh(file);
  EXPECT_GT(Store->Generation(), g);
  EXPECT_EQ(QuarnResDM->QuarnImageListMain()->Bitmaps()->Count(), 1);
  EXPECT_EQ(Store->GetImageByName(u"soft")->GetPixel(2, 1), bm->GetPixel(2, 1));

  // A missing file names the design-time file; a damaged one keeps the list.
  try {
    Store->Refresh(Path("nothing.tmp"));
    FAIL() << "no exception";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), u"Not found QuarnDesignTimeRes.tmp file!");
  }
  std::string damaged = text.substr(0, text.size() / 2);
  WriteAllBytes(file, TBytes(damaged.begin(), damaged.end()));
  EXPECT_THROW(Store->Refresh(file), Exception);
  EXPECT_EQ(QuarnResDM->QuarnImageListMain()->Bitmaps()->Count(), 1);
  EXPECT_NE(Store->GetImageByName(u"Soft"), nullptr);
}

// Refresh may keep a list only while it is exactly what the file gives:
// the same bytes on disk and nothing changed in memory since they were
// loaded. Every edit below is followed by a Refresh that must bring the
// file's list back, written out byte for byte as the file holds it.
TEST_F(uQuarnResManager, RefreshKeepsOnlyAnUntouchedLoadOfTheSameBytes) {
  TQuarnImageList src(nullptr);
  src.SetName(u"QuarnImageListMain");
  for (Integer k = 0; k < 3; ++k) {
    TQuarnBitmapItem* item = src.Bitmaps()->Add();
    item->SetResID(Format(u"img_%d", {k}));
    item->SetDescription(Format(u"picture %d", {k}));
    item->Bitmap()->SetSize(4 + k, 3);
    for (Integer i = 0; i < (4 + k) * 3; ++i) item->Bitmap()->Bits()[i] = 0x80000000u | Cardinal(i * 977 + k * 31);
  }
  const std::string text = ComponentToText(&src);
  const String file = Path("QuarnDesignTimeRes.tmp");
  WriteAllBytes(file, TBytes(text.begin(), text.end()));
  TQuarnBitmapCollection* list = QuarnResDM->QuarnImageListMain()->Bitmaps();
  auto listText = [] { return ComponentToText(QuarnResDM->QuarnImageListMain()); };

  Store->Refresh(file);
  ASSERT_EQ(list->Count(), 3);
  ASSERT_EQ(listText(), text);
  // Untouched and the same bytes: the very pictures stay.
  TQuarnImage* kept = list->GetItem(1)->Bitmap();
  const Cardinal g = Store->Generation();
  Store->Refresh(file);
  EXPECT_EQ(list->GetItem(1)->Bitmap(), kept);
  EXPECT_GT(Store->Generation(), g);

  // A change on disk of the same size is loaded.
  std::string changed = text;
  const size_t digit = changed.find("Bitmap.Data = {") + std::string("Bitmap.Data = {").size() + 60;
  ASSERT_TRUE(std::isxdigit(static_cast<unsigned char>(changed[digit])));
  changed[digit] = changed[digit] == '0' ? '1' : '0';
  WriteAllBytes(file, TBytes(changed.begin(), changed.end()));
  Store->Refresh(file);
  EXPECT_EQ(listText(), changed);
  WriteAllBytes(file, TBytes(text.begin(), text.end()));
  Store->Refresh(file);
  ASSERT_EQ(listText(), text);

  struct TEdit {
    const char* What;
    std::function<void()> Do;
  };
  auto img = [&](Integer i) { return list->GetItem(i)->Bitmap(); };
  const std::vector<TEdit> edits = {
      {"pixel through Bits", [&] { img(0)->Bits()[5] ^= 0x00010000u; }},
      {"pixel through SetPixel", [&] { img(2)->SetPixel(5, 2, 0x12345678u); }},
      {"pixel set to what it was, another changed", [&] {
         img(1)->SetPixel(0, 0, img(1)->GetPixel(0, 0));
         img(1)->Bits()[14] = ~img(1)->Bits()[14];
       }},
      {"clear", [&] { img(1)->Clear(0); }},
      {"size", [&] { img(0)->SetSize(3, 4); }},
      {"draw mode", [&] { img(0)->SetDrawMode(TDrawMode::dmOpaque); }},
      {"master alpha", [&] { img(1)->SetMasterAlpha(9); }},
      {"outer colour", [&] { img(2)->SetOuterColor(0xFF00FF00u); }},
      {"combine mode", [&] { img(2)->SetCombineMode(TCombineMode::cmMerge); }},
      {"wrap mode", [&] { img(2)->SetWrapMode(TWrapMode::wmRepeat); }},
      {"clip rect", [&] { img(0)->SetClipRect(TRect(1, 1, 2, 2)); }},
      {"pen colour", [&] { img(0)->SetPenColor(0xFF0000FFu); }},
      {"stipple", [&] { img(0)->SetStipplePattern({0xFFFFFFFFu, 0}); }},
      {"resampler", [&] { img(1)->SetResamplerClassName(u"TLinearResampler"); }},
      {"resampler property", [&] { img(1)->Resampler()->SetPixelAccessMode(TPixelAccessMode::pamWrap); }},
      {"font", [&] { img(2)->Font()->SetHeight(-30); }},
      {"handler", [&] { img(2)->SetOnChange(TNotifyEvent([](TObject*) {})); }},
      {"id", [&] { list->GetItem(1)->SetResID(u"other"); }},
      {"description", [&] { list->GetItem(2)->SetDescription(u""); }},
      {"order", [&] { list->GetItem(2)->SetIndex(0); }},
      {"delete", [&] { list->Delete(1); }},
      {"add", [&] { list->Add()->SetResID(u"extra"); }},
      {"picture replaced by an equal one", [&] {
         TQuarnImage same;
         same.Assign(img(0));
         list->GetItem(0)->SetBitmap(&same);
         img(0)->Bits()[0] ^= 1;
       }},
      {"store edit", [&] { Store->Delete(u"img_0"); }},
      {"new module", [&] { Store->Reload(); }},
  };
  for (const TEdit& e : edits) {
    SCOPED_TRACE(e.What);
    e.Do();
    Store->Refresh(file);
    list = QuarnResDM->QuarnImageListMain()->Bitmaps();
    ASSERT_EQ(listText(), text);
    for (Integer i = 0; i < list->Count(); ++i) {
      TQuarnImage* b = img(i);
      EXPECT_EQ(b->ClipRect(), b->BoundsRect());
      EXPECT_EQ(b->PenColor(), TQuarnImage().PenColor());
      EXPECT_TRUE(b->StipplePattern().empty());
      EXPECT_EQ(b->Font()->Height(), TQuarnImage().Font()->Height());
      EXPECT_FALSE(b->OnChange());
      EXPECT_EQ(b->ResamplerClassName(), TQuarnImage().ResamplerClassName());
      EXPECT_EQ(b->Resampler()->PixelAccessMode(), TPixelAccessMode::pamSafe);
    }
  }
}

TEST_F(uQuarnResManager, EditsWithoutTheModuleRaise) {
  TQuarnResDM* saved = QuarnResDM;
  QuarnResDM = nullptr;
  const String a = WritePng("a.png", 2, 2, 0xFF000000u);
  auto expectRaise = [](const std::function<void()>& f) {
    try {
      f();
      ADD_FAILURE() << "no exception";
    } catch (const Exception& e) {
      EXPECT_EQ(e.Message(), u"QuarnResDM is not assigned");
    }
  };
  expectRaise([&] { Store->AddRes(a, u"", u""); });
  expectRaise([&] { Store->ReplaceRes(u"x", a, u"", u""); });
  expectRaise([&] { Store->Delete(u"x"); });
  expectRaise([&] { Store->BeginUpdate(); });
  expectRaise([&] { Store->Refresh(a); });
  expectRaise([&] { Store->LoadSkinFolder(FromUtf8(Dir)); });
  // Look-ups go on without the list.
  EXPECT_EQ(Store->GetImageByName(u"QuarnButton"), nullptr);
  EXPECT_NE(Store->GetImageByName(a), nullptr);
  QuarnResDM = saved;
}

}  // namespace

}  // namespace t_u_quarn_res_manager_test
