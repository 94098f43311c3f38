// The tree unit's process-wide set-up: made once by the first tree, the
// shared check sets with their sizes and mapped colours, the cursors, OLE,
// the clipboard format table and the teardown.
#include <gtest/gtest.h>

#include <memory>

#include "platform/comctl/CommCtrl.h"
#include "platform/gdi/Gdi.h"
#include "platform/ole/Ole2.h"
#include "platform/user/Clipboard.h"
#include "platform/vcl/ControlMessages.h"
#include "platform/vcl/Forms.h"
#include "treeview/LazyTrees_qn_Appearance.h"

namespace t_lazy_trees_qn_setup_test {

using namespace qn;

namespace {

uint32_t ImagePixel(TCustomImageList* L, int Index, int X, int Y) {
  auto b = std::make_unique<TBitmap>();
  L->GetBitmap(Index, b.get());
  return static_cast<uint32_t*>(b->ScanLine(Y))[X];
}

TEST(LazyTrees_qn_Setup, RunsOnceForTheFirstTreeAndEndsWithTheUnit) {
  // As the unit finalization leaves it (no tree is alive here).
  FinalizeGlobalStructures();
  ASSERT_FALSE(GlobalStructuresInitialized());
  EXPECT_EQ(SharedCheckImages(ckLightCheck), nullptr);
  int oleBefore = OleInitializeCount();
  int listsBefore = ImageListObjectCount();
  auto first = std::make_unique<TBaseLazyTree_qn>(nullptr);
  EXPECT_TRUE(GlobalStructuresInitialized());
  EXPECT_TRUE(LazyTreesOleInitialized());
  EXPECT_EQ(OleInitializeCount(), oleBefore + 1);
  TCustomImageList* light = SharedCheckImages(ckLightCheck);
  ASSERT_NE(light, nullptr);
  // A second tree shares everything the first made.
  auto second = std::make_unique<TBaseLazyTree_qn>(nullptr);
  EXPECT_EQ(OleInitializeCount(), oleBefore + 1);
  EXPECT_EQ(SharedCheckImages(ckLightCheck), light);
  EXPECT_EQ(second->CheckImages(), SharedCheckImages(ckSystemDefault));
  EXPECT_EQ(ClipboardFormatList()->Count(), 7);
  // The cursors went into the screen's table under their ids.
  EXPECT_NE(Screen->Cursors(crHeaderSplit), Screen->Cursors(crDefault));
  EXPECT_NE(Screen->Cursors(crVertSplit), Screen->Cursors(crDefault));
  EXPECT_NE(Screen->Cursors(crHeaderSplit), Screen->Cursors(crVertSplit));
  second.reset();
  first.reset();
  FinalizeGlobalStructures();
  EXPECT_FALSE(GlobalStructuresInitialized());
  EXPECT_EQ(OleInitializeCount(), oleBefore);
  EXPECT_EQ(SharedCheckImages(ckLightCheck), nullptr);
  EXPECT_LE(ImageListObjectCount(), listsBefore);
}

TEST(LazyTrees_qn_Setup, InsideALibraryOleIsLeftToTheHost) {
  FinalizeGlobalStructures();
  SetIsLibrary(true);
  int oleBefore = OleInitializeCount();
  auto tree = std::make_unique<TBaseLazyTree_qn>(nullptr);
  EXPECT_FALSE(LazyTreesOleInitialized());
  EXPECT_EQ(OleInitializeCount(), oleBefore);
  tree.reset();
  FinalizeGlobalStructures();
  EXPECT_EQ(OleInitializeCount(), oleBefore);
  SetIsLibrary(false);
}

TEST(LazyTrees_qn_Setup, ClipboardFormatsAreRegisteredInPriorityOrder) {
  auto tree = std::make_unique<TBaseLazyTree_qn>(nullptr);
  TClipboardFormatList* list = ClipboardFormatList();
  const struct {
    const char16_t* Name;
    Cardinal Priority;
  } want[] = {{u"Lazy Tree Data", 50},   {u"HTML Format", 80}, {u"Rich Text Format Without Objects", 84},
              {u"Rich Text Format", 85}, {u"CSV", 90},         {u"Unicode text", 95},
              {u"Plain text", 100}};
  ASSERT_EQ(list->Count(), 7);
  for (int i = 0; i < 7; ++i) {
    EXPECT_EQ(list->Items(i).Description, want[i].Name);
    EXPECT_EQ(list->Items(i).Priority, want[i].Priority);
    EXPECT_EQ(list->Items(i).FormatEtc.tymed, TYMED_HGLOBAL);
    EXPECT_EQ(list->Items(i).FormatEtc.lindex, -1);
  }
  EXPECT_EQ(list->Items(0).FormatEtc.cfFormat, CF_LAZYTREE);
  EXPECT_EQ(CF_LAZYTREE, RegisterClipboardFormatW(u"Lazy Tree Data"));
  EXPECT_EQ(CF_CSV, RegisterClipboardFormatW(u"CSV"));
  EXPECT_EQ(list->Items(5).FormatEtc.cfFormat, CF_UNICODETEXT);
  EXPECT_EQ(list->Items(6).FormatEtc.cfFormat, CF_TEXT);
  // The reference format is registered with the platform, not offered.
  EXPECT_EQ(CF_VTREFERENCE, RegisterClipboardFormatW(u"Lazy Tree Reference"));
  EXPECT_EQ(list->FindFormat(CF_VTREFERENCE), nullptr);
  // The base tree offers its own format only; text belongs to string trees.
  EXPECT_TRUE(list->Items(0).OfferedBy(tree->ClassType()));
  EXPECT_FALSE(list->FindFormat(CF_CSV)->OfferedBy(tree->ClassType()));
  // A later format with a middle priority sorts into place.
  RegisterVTClipboardFormat(u"Middle", TBaseLazyTree_qn::StaticClass(), 82);
  ASSERT_EQ(list->Count(), 8);
  for (int i = 1; i < 8; ++i) EXPECT_LE(list->Items(i - 1).Priority, list->Items(i).Priority);
  EXPECT_EQ(list->Items(2).Description, u"Middle");
}

TEST(LazyTrees_qn_Setup, CheckSetsHaveTheirImagesAndSizes) {
  auto tree = std::make_unique<TBaseLazyTree_qn>(nullptr);
  for (TCheckImageKind k : {ckLightCheck, ckDarkCheck, ckLightTick, ckDarkTick, ckFlat, ckXP}) {
    TCustomImageList* l = SharedCheckImages(k);
    ASSERT_NE(l, nullptr);
    EXPECT_EQ(l->Count(), 25) << int(k);
    EXPECT_EQ(l->Width(), 16);
    EXPECT_EQ(l->Height(), 16);
    // Image 0 is empty: nothing but the mask.
    EXPECT_EQ(ImagePixel(l, 0, 8, 8) >> 24, 0u);
    EXPECT_NE(ImagePixel(l, 13, 8, 8) >> 24, 0u);
  }
  for (TCheckImageKind k : {ckSystemDefault, ckSystemFlat}) {
    TCustomImageList* l = SharedCheckImages(k);
    ASSERT_NE(l, nullptr);
    EXPECT_EQ(l->Count(), 25);
    EXPECT_EQ(l->Width(), GetSystemMetrics(SM_CXMENUCHECK) + 3);
    EXPECT_EQ(l->Height(), GetSystemMetrics(SM_CYMENUCHECK) + 3);
    EXPECT_EQ(ImagePixel(l, 0, 5, 5) >> 24, 0u);
    // The push buttons came from a resource set, centred.
    EXPECT_NE(ImagePixel(l, 21, l->Width() / 2, l->Height() / 2) >> 24, 0u);
    EXPECT_EQ(ImagePixel(l, 21, 0, 0) >> 24, 0u);
  }
  EXPECT_EQ(UtilityImages()->Count(), 6);
  EXPECT_EQ(SharedCheckImages(ckCustom), nullptr);
  // The kind picks the active list; the custom kind the user's list.
  tree->SetCheckImageKind(ckXP);
  EXPECT_EQ(tree->CheckImages(), SharedCheckImages(ckXP));
  TImageList mine(nullptr);
  tree->SetCheckImageKind(ckCustom);
  EXPECT_EQ(tree->CheckImages(), nullptr);
  tree->SetCustomCheckImages(&mine);
  EXPECT_EQ(tree->CheckImages(), &mine);
  tree->SetCustomCheckImages(nullptr);
  EXPECT_EQ(tree->CheckImages(), nullptr);
}

TEST(LazyTrees_qn_Setup, AMissingResourceIsNamedAndLeavesTheListAlone) {
  auto tree = std::make_unique<TBaseLazyTree_qn>(nullptr);
  TImageList list(nullptr);
  LoadLazyTreeImageSet(&list, u"VT_FLAT", true);
  ASSERT_EQ(list.Count(), 25);
  try {
    LoadLazyTreeImageSet(&list, u"VT_NOT_THERE", true);
    FAIL() << "no assertion";
  } catch (const EAssertionFailed& e) {
    EXPECT_NE(e.Message().find(u"Internal image \"VT_NOT_THERE\" is missing or corrupt."), String::npos);
  }
  EXPECT_EQ(list.Count(), 25);
  // The lock was given back: another load goes through.
  LoadLazyTreeImageSet(&list, u"VT_XP", false);
  EXPECT_EQ(list.Count(), 25);
}

TEST(LazyTrees_qn_Setup, SystemColourChangesRemapTheMappedSetsInPlace) {
  auto tree = std::make_unique<TBaseLazyTree_qn>(nullptr);
  TCustomImageList* light = SharedCheckImages(ckLightCheck);
  TCustomImageList* xp = SharedCheckImages(ckXP);
  // Inside an unchecked light box: the window colour.
  auto inside = [&](TCustomImageList* l) { return ImagePixel(l, 9, 4, 10) & 0xFFFFFF; };
  EXPECT_EQ(inside(light), 0xFFFFFFu);
  uint32_t xpBefore = inside(xp);
  int index[] = {COLOR_WINDOW, COLOR_BTNTEXT};
  COLORREF colours[] = {RGB(250, 240, 200), RGB(10, 60, 20)};
  SetSysColors(2, index, colours);
  TMessage m;
  m.Msg = CM_SYSCOLORCHANGE;
  tree->Dispatch(m);
  EXPECT_EQ(SharedCheckImages(ckLightCheck), light);  // the same list, reloaded
  EXPECT_EQ(inside(light), 0xFAF0C8u);
  EXPECT_EQ(ImagePixel(light, 13, 5, 7) & 0xFFFFFF, 0x0A3C14u);  // the check mark in the text colour
  EXPECT_EQ(inside(xp), xpBefore);  // the colourful set is not mapped
  ResetSysColors();
  tree->Dispatch(m);
  EXPECT_EQ(inside(light), 0xFFFFFFu);
}

}  // namespace

}  // namespace t_lazy_trees_qn_setup_test
