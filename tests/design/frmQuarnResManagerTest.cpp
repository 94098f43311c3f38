#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "design/DesignUnits.h"
#include "design/frmQuarnResManager.h"
#include "graphics/raster/uPix32_PNG.h"
#include "platform/ide/DesignPackage.h"
#include "platform/ide/Inspector.h"
#include "platform/user/CommonDialogs.h"
#include "platform/user/WinReg.h"
#include "platform/vcl/Registry.h"
#include "tests/common/TestSupport.h"
#include "tests/design/ResManagerHost.h"

namespace t_frm_quarn_res_manager_test {

using namespace vcl;
using namespace qn;

namespace {

namespace fs = std::filesystem;

std::string Slurp(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

void Spit(const std::string& path, const std::string& data) {
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  f << data;
}

// The shared host, with the list's ids as the tree and the project's files
// hold them.
class frmQuarnResManager : public resmanagertest::ResManagerHost {
 protected:
  static std::vector<String> TreeIds(TQuarnResManagerForm* f) {
    std::vector<String> ids;
    for (PLazyNode n = f->qnvdtImageList->GetFirst(); n; n = f->qnvdtImageList->GetNext(n))
      ids.push_back(f->NodeRec(n)->ID);
    return ids;
  }
  // The ids the store lists after reloading from the project's .tmp.
  std::vector<String> TmpIds() {
    TQuarnResManagerObj()->Refresh(FromUtf8(Proj + "/QuarnDesignTimeRes.tmp"));
    std::vector<String> ids;
    auto* b = QuarnResDM->QuarnImageListMain()->Bitmaps();
    for (Integer i = 0; i < b->Count(); ++i) ids.push_back(b->GetItem(i)->ResID());
    return ids;
  }
  static String Focused(TQuarnResManagerForm* f) {
    PLazyNode n = f->qnvdtImageList->FocusedNode();
    return n ? f->NodeRec(n)->ID : String();
  }
};

TEST_F(frmQuarnResManager, FirstOpeningCopiesTheSkinAndListsIt) {
  TInspectorRow* row = Insp->Row(u"BackgroundImage");
  ASSERT_NE(row, nullptr);
  EXPECT_EQ(row->EditorClass(), TQnResManagerProperty::StaticClass());
  EXPECT_TRUE(row->Attributes().Contains(paDialog));
  bool designingInside = false;
  Integer listed = 0;
  Open([&](TQuarnResManagerForm* f) {
    designingInside = TQuarnResManagerObj()->Designing();
    listed = Integer(f->qnvdtImageList->RootNodeCount());
    EXPECT_EQ(f->Caption(), u"QuarnResManager");
    EXPECT_EQ(f->ClientWidth(), 1030);
    EXPECT_EQ(f->ClientHeight(), 550);
    EXPECT_EQ(f->cbbDPIScale->Items()->Count(), 4);
    EXPECT_EQ(f->cbbDPIScale->ItemIndex(), 0);
    EXPECT_EQ(f->qnvdtImageList->Header()->Columns()->Count(), 5);
  });
  EXPECT_TRUE(designingInside);
  EXPECT_FALSE(TQuarnResManagerObj()->Designing());
  EXPECT_TRUE(fs::exists(Proj + "/uQuarnResDM.dfm"));
  EXPECT_EQ(Slurp(Proj + "/uQuarnResDM.pas"), Slurp(Install + "/uQuarnResDM.pas"));
  ASSERT_TRUE(fs::exists(Proj + "/QuarnDesignTimeRes.tmp"));
  // The whole drawn skin came through the project's files.
  std::unique_ptr<TQuarnResDM> fresh(TQuarnResDM::CreateDefault(nullptr));
  EXPECT_EQ(listed, fresh->QuarnImageListMain()->Bitmaps()->Count());
  EXPECT_GT(listed, 0);
}

TEST_F(frmQuarnResManager, IdsOfAddedFilesNeverClash) {
  const String a = Picture("a.png");
  std::vector<String> ids;
  Open([&](TQuarnResManagerForm* f) {
    for (int i = 0; i < 3; ++i) {
      Add(f, {a});
      ids.push_back(Focused(f));
      // The focused node fills the id edit, which the next add starts from.
      EXPECT_EQ(f->edtImageID->Text(), ids.back());
    }
    EXPECT_EQ(TreeIds(f), TmpIds());
  });
  EXPECT_EQ(ids, (std::vector<String>{u"a", u"a_1", u"a_1_1"}));
}

TEST_F(frmQuarnResManager, EmptyIdEditTakesTheNameLessItsLastExtension) {
  const String p = Picture("my.pngs.png");
  Open([&](TQuarnResManagerForm* f) {
    f->edtImageID->SetText(u"");
    Add(f, {p});
    EXPECT_EQ(Focused(f), u"my.pngs");
    f->edtImageID->SetText(u"");
    Add(f, {p});
    EXPECT_EQ(Focused(f), u"my.pngs_1");
  });
}

TEST_F(frmQuarnResManager, TwoFilesWithOneIdAndDpiSuffix) {
  const String p1 = Picture("first.png"), p2 = Picture("second.png");
  Open([&](TQuarnResManagerForm* f) {
    f->edtImageID->SetText(u"x");
    Add(f, {p1, p2});
    const auto ids = TreeIds(f);
    ASSERT_GE(ids.size(), 2u);
    EXPECT_EQ(ids[ids.size() - 2], u"x");
    EXPECT_EQ(ids.back(), u"second");
    EXPECT_EQ(Focused(f), u"second");

    f->edtImageID->SetText(u"btn");
    f->chkActiveMoreDPI->SetChecked(true);
    f->cbbDPIScale->SetItemIndex(1);
    Add(f, {p1});
    EXPECT_EQ(Focused(f), u"btn@DPI150");
    // Focusing an id with a scale shows the scale.
    EXPECT_TRUE(f->chkActiveMoreDPI->Checked());
    EXPECT_EQ(f->cbbDPIScale->ItemIndex(), 1);
    EXPECT_EQ(TreeIds(f), TmpIds());
  });
}

TEST_F(frmQuarnResManager, FilterIgnoresCase) {
  const String p = Picture("p.png");
  Open([&](TQuarnResManagerForm* f) {
    for (const Char* id : {u"MyBtn", u"btn_close", u"Button"}) {
      f->edtImageID->SetText(id);
      Add(f, {p});
    }
    f->edtFilter->SetText(u"BTN");
    const auto listed = TreeIds(f);
    std::set<String> shown(listed.begin(), listed.end());
    EXPECT_TRUE(shown.count(u"MyBtn"));
    EXPECT_TRUE(shown.count(u"btn_close"));
    EXPECT_FALSE(shown.count(u"Button"));
    for (const String& id : listed) EXPECT_NE(UpperCase(id).find(u"BTN"), String::npos) << ToUtf8(id);
    f->edtFilter->SetText(u"");
    EXPECT_EQ(TreeIds(f), TmpIds());
  });
}

TEST_F(frmQuarnResManager, ImageListPartEndsBeforeTheModulesEnd) {
  const std::string dfm =
      "object QuarnResDM: TQuarnResDM\r\n"
      "  object QuarnImageListMain: TQuarnImageList\r\n"
      "    Bitmaps = <>\r\n"
      "  end\r\n"
      "end\r\n"
      "\r\n";
  Spit(Root + "/m.dfm", dfm);
  TQuarnResManagerForm::ReCreateDesignTimeResDat(FromUtf8(Root + "/m.dfm"), FromUtf8(Root + "/m.tmp"));
  EXPECT_EQ(Slurp(Root + "/m.tmp"),
            "  object QuarnImageListMain: TQuarnImageList\r\n"
            "    Bitmaps = <>\r\n"
            "  end\r\n");
  // Lower case and no list line: only the closing line goes.
  Spit(Root + "/n.dfm", "OBJECT X: T\nEnd\n");
  TQuarnResManagerForm::ReCreateDesignTimeResDat(FromUtf8(Root + "/n.dfm"), FromUtf8(Root + "/n.tmp"));
  EXPECT_EQ(Slurp(Root + "/n.tmp"), "OBJECT X: T\n");
}

TEST_F(frmQuarnResManager, ReplaceDeleteAndTheirRefusals) {
  const String a = Picture("a.png"), big = Picture("big.png", 20, 10);
  Open([&](TQuarnResManagerForm* f) {
    f->edtImageID->SetText(u"one");
    Add(f, {a});
    f->edtImageID->SetText(u"two");
    Add(f, {a});
    // Replace "two" naming "one": refused by the store, nothing changes.
    const std::string before = Slurp(Proj + "/uQuarnResDM.dfm");
    f->edtImageID->SetText(u"one");
    AnswerFiles({big});
    EXPECT_THROW(f->actReplace->Execute(), Exception);
    EXPECT_EQ(Slurp(Proj + "/uQuarnResDM.dfm"), before);
    // Replace with a fresh id.
    f->edtImageID->SetText(u"three");
    AnswerFiles({big});
    f->actReplace->Execute();
    EXPECT_EQ(Focused(f), u"three");
    EXPECT_EQ(f->NodeRec(f->qnvdtImageList->FocusedNode())->Image->Width(), 20);
    EXPECT_EQ(TreeIds(f), TmpIds());

    const auto all = TreeIds(f);
    SetMessageBoxResponder([](const TMessageBoxCall& c) {
      EXPECT_EQ(c.Text, u"Delete the selected images?");
      EXPECT_EQ(c.Caption, u"Confirm");
      EXPECT_EQ(c.Flags, 36u);
      return IDNO;
    });
    f->actDelete->Execute();
    EXPECT_EQ(TreeIds(f), all);
    EXPECT_EQ(TmpIds(), all);
    SetMessageBoxResponder([](const TMessageBoxCall&) { return IDYES; });
    f->actDelete->Execute();
    auto left = TreeIds(f);
    EXPECT_EQ(left.size(), all.size() - 1);
    EXPECT_EQ(std::count(left.begin(), left.end(), String(u"three")), 0);
    EXPECT_EQ(left, TmpIds());
    EXPECT_EQ(f->edtImageID->Text(), u"");
  });
}

TEST_F(frmQuarnResManager, ExportImportRoundTripsAndBadSkinChangesNothing) {
  const String a = Picture("a.png");
  const std::string skin = Root + "/mine.quarn";
  Open([&](TQuarnResManagerForm* f) {
    f->edtImageID->SetText(u"kept");
    Add(f, {a});
    SetFileDialogResponder([&](TFileDialogCall& c) {
      EXPECT_TRUE(c.Save);
      c.Ok = true;
      c.Files = {FromUtf8(skin)};
      return true;
    });
    f->actSaveAs->Execute();
    EXPECT_EQ(Slurp(skin), Slurp(Proj + "/uQuarnResDM.dfm"));
    const auto withKept = TreeIds(f);

    SetMessageBoxResponder([](const TMessageBoxCall&) { return IDYES; });
    f->actDelete->Execute();
    ASSERT_EQ(f->FindImageNode(u"kept"), nullptr);

    // A damaged skin file: the project's files stay byte for byte.
    const std::string dfm = Slurp(Proj + "/uQuarnResDM.dfm"), tmp = Slurp(Proj + "/QuarnDesignTimeRes.tmp");
    Spit(Root + "/bad.quarn", "object QuarnResDM: TQuarnResDM\n  object QuarnImageListMain: TQuarnImageList\n"
                              "    Bitmaps = <\n      item\n        ResID = 'x\n");
    AnswerFiles({FromUtf8(Root + "/bad.quarn")});
    EXPECT_ANY_THROW(f->actLoad->Execute());
    EXPECT_EQ(Slurp(Proj + "/uQuarnResDM.dfm"), dfm);
    EXPECT_EQ(Slurp(Proj + "/QuarnDesignTimeRes.tmp"), tmp);

    AnswerFiles({FromUtf8(skin)});
    f->edtFilter->SetText(u"kep");
    f->actLoad->Execute();
    EXPECT_EQ(f->edtFilter->Text(), u"");
    EXPECT_EQ(TreeIds(f), withKept);
    EXPECT_EQ(TmpIds(), withKept);
  });
}

TEST_F(frmQuarnResManager, FailedWriteLeavesBothProjectFiles) {
  const String a = Picture("a.png");
  Open([&](TQuarnResManagerForm* f) {
    const std::string dfm = Slurp(Proj + "/uQuarnResDM.dfm"), tmp = Slurp(Proj + "/QuarnDesignTimeRes.tmp");
    // A folder where the new list file would be written makes that write fail.
    fs::create_directories(Proj + "/QuarnDesignTimeRes.tmp.new");
    EXPECT_ANY_THROW(Add(f, {a}));
    EXPECT_EQ(Slurp(Proj + "/uQuarnResDM.dfm"), dfm);
    EXPECT_EQ(Slurp(Proj + "/QuarnDesignTimeRes.tmp"), tmp);
    EXPECT_FALSE(fs::exists(Proj + "/uQuarnResDM.dfm.new"));
  });
}

TEST_F(frmQuarnResManager, OkWritesTheIdAndCancelDoesNot) {
  Panel->SetBackgroundImage(u"");
  Insp->Refresh();
  String first;
  Open([&](TQuarnResManagerForm* f) {
    PLazyNode n = f->qnvdtImageList->GetFirst();
    ASSERT_NE(n, nullptr);
    first = f->NodeRec(n)->ID;
    f->qnvdtImageList->SetFocusedNode(n);
    f->actCancel->Execute();
  });
  EXPECT_EQ(Panel->BackgroundImage(), u"");
  Open([&](TQuarnResManagerForm* f) {
    f->qnvdtImageList->SetFocusedNode(f->qnvdtImageList->GetFirst());
    f->actOK->Execute();
  });
  EXPECT_EQ(Panel->BackgroundImage(), first);
  EXPECT_EQ(Insp->Row(u"BackgroundImage")->Value(), first);
  // Opening again focuses the property's id, ignoring case.
  Panel->SetBackgroundImage(UpperCase(first));
  Insp->Refresh();
  Open([&](TQuarnResManagerForm* f) { EXPECT_EQ(Focused(f), first); });
}

TEST_F(frmQuarnResManager, NoProjectPathLeavesDesigningClean) {
  ASSERT_TRUE(Host.OpenFile(FromUtf8(Root + "/Stray.pas"), true));
  // The failure goes to the host's handler; the dialog still ends normally.
  String listedInside = u"unset";
  Open([&](TQuarnResManagerForm* f) {
    EXPECT_EQ(f->ProjectPath(), u"");
    EXPECT_EQ(f->qnvdtImageList->RootNodeCount(), 0u);
    listedInside = u"ran";
  });
  EXPECT_EQ(listedInside, u"ran");
  EXPECT_EQ(Panel->BackgroundImage(), u"");
  EXPECT_FALSE(TQuarnResManagerObj()->Designing());
  EXPECT_FALSE(fs::exists(Proj + "/uQuarnResDM.dfm"));
}

TEST_F(frmQuarnResManager, ProjectFolderFollowsTheUnitsProject) {
  const std::string other = Root + "/other";
  fs::create_directories(other);
  Host.AddProject(FromUtf8(other + "/Other.dproj"), {u"  " + UpperCase(FromUtf8(other + "/Main.DFM"))});
  EXPECT_EQ(GetDestProjectPath(FromUtf8(other + "/main.pas")), FromUtf8(other + "/"));
  EXPECT_EQ(GetDestProjectPath(FromUtf8(Proj + "/unit1.dfm")), FromUtf8(Proj + "/"));
  EXPECT_EQ(GetDestProjectPath(FromUtf8(Root + "/nowhere.pas")), u"");
  EXPECT_EQ(GetCurrentProjectPath(), FromUtf8(Proj + "/"));
}

}  // namespace

}  // namespace t_frm_quarn_res_manager_test
