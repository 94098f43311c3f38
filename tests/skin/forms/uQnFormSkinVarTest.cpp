// The shared form-skin settings: which setters notify, batching and locking,
// copying, the border reference that clears itself, and the process-wide
// default.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "skin/forms/uQnFormSkinVar.h"

namespace t_u_qn_form_skin_var_test {

using namespace qn;

namespace {

// An owner that records its Apply calls in a shared log.
class TProbeRes : public TQnCustomSkinRes {
  QN_CLASS(TProbeRes, TQnCustomSkinRes)
 public:
  explicit TProbeRes(std::vector<std::string>* Log) : TQnCustomSkinRes(nullptr), FLog(Log) {
    FForm = std::make_unique<TQnFormSkinRes>(this);
    FForm->SetOnChanged(TNotifyEvent(this, &TProbeRes::Changed));
  }
  void Apply() override { FLog->push_back("apply"); }
  TQnFormSkinRes* Form() const override { return FForm.get(); }
  void Changed(TObject* Sender) { FLog->push_back(Sender == FForm.get() ? "changed" : "changed?"); }

 private:
  std::vector<std::string>* FLog;
  std::unique_ptr<TQnFormSkinRes> FForm;
};

struct TSetter {
  const char* Name;
  std::function<void(TQnFormSkinRes&)> SetNew;   // a value different from the initial one
  std::function<void(TQnFormSkinRes&)> SetSame;  // the initial value again
};

std::vector<TSetter> NotifyingSetters() {
  return {
      {"Style", [](auto& f) { f.SetStyle(ssPicture); }, [](auto& f) { f.SetStyle(ssColor); }},
      {"Color", [](auto& f) { f.SetColor(0x123456); }, [](auto& f) { f.SetColor(15920353); }},
      {"TitlerColor", [](auto& f) { f.SetTitlerColor(0x654321); }, [](auto& f) { f.SetTitlerColor(16761926); }},
      {"TitleHeight", [](auto& f) { f.SetTitleHeight(31); }, [](auto& f) { f.SetTitleHeight(27); }},
      {"HitTestWidth", [](auto& f) { f.SetHitTestWidth(8); }, [](auto& f) { f.SetHitTestWidth(5); }},
      {"GradientHeight", [](auto& f) { f.SetGradientHeight(90); }, [](auto& f) { f.SetGradientHeight(168); }},
      {"DefaultSkinOrder", [](auto& f) { f.SetDefaultSkinOrder(3); }, [](auto& f) { f.SetDefaultSkinOrder(0); }},
      {"FramWidth", [](auto& f) { f.SetFramWidth(4); }, [](auto& f) { f.SetFramWidth(2); }},
      {"CustomPicture", [](auto& f) { f.SetCustomPicture(u"/tmp/bk.png"); }, [](auto& f) { f.SetCustomPicture(u""); }},
  };
}

}  // namespace

TEST(uQnFormSkinVar, ConstructorGivesTheDocumentedLook) {
  TQnFormSkinRes f(nullptr);
  EXPECT_EQ(f.CustomPicture(), u"");
  EXPECT_EQ(f.HitTestWidth(), 5);
  EXPECT_EQ(f.TitleHeight(), 27);
  EXPECT_EQ(f.Color(), 15920353);
  EXPECT_EQ(f.TitlerColor(), 16761926);
  EXPECT_EQ(f.Style(), ssColor);
  EXPECT_EQ(f.FramWidth(), 2);
  EXPECT_EQ(f.DefaultSkinOrder(), 0);
  EXPECT_EQ(f.GetGradientHeight(), 168);
  EXPECT_FALSE(f.Locked());
  EXPECT_EQ(f.ImageBorder(), nullptr);
  EXPECT_TRUE(f.ActiveGradient());
  EXPECT_TRUE(f.DoubleFrame());
  EXPECT_EQ(f.FillStyle(), mfsBlur);
  EXPECT_TRUE(f.RoundWindow());
  EXPECT_FALSE(f.FlatFrame());
}

TEST(uQnFormSkinVar, NotifyingSettersNotifyOncePerRealChange) {
  for (const TSetter& s : NotifyingSetters()) {
    std::vector<std::string> log;
    TProbeRes res(&log);
    s.SetSame(*res.Form());
    EXPECT_TRUE(log.empty()) << s.Name << " notified for its current value";
    s.SetNew(*res.Form());
    EXPECT_EQ(log, (std::vector<std::string>{"apply", "changed"})) << s.Name;
    log.clear();
    s.SetNew(*res.Form());
    EXPECT_TRUE(log.empty()) << s.Name << " notified twice for one value";
    s.SetSame(*res.Form());
    EXPECT_EQ(log.size(), 2u) << s.Name << " did not notify going back";
  }
}

TEST(uQnFormSkinVar, NegativeFrameWidthAndStoreOnlySettersAreSilent) {
  std::vector<std::string> log;
  TProbeRes res(&log);
  TQnFormSkinRes& f = *res.Form();
  f.SetFramWidth(-1);
  EXPECT_EQ(f.FramWidth(), 2);
  f.SetFramWidth(0);
  EXPECT_EQ(f.FramWidth(), 0);
  EXPECT_EQ(log.size(), 2u);
  log.clear();
  TQnFormLayerBorder border(nullptr);
  f.SetCustomPictureName(u"leaf.jpg");
  f.SetActiveGradient(false);
  f.SetDoubleFrame(false);
  f.SetFillStyle(mfsTile);
  f.SetFlatFrame(true);
  f.SetRoundWindow(false);
  f.SetImageBorder(&border);
  EXPECT_TRUE(log.empty());
  EXPECT_EQ(f.CustomPictureName(), u"leaf.jpg");
  EXPECT_EQ(f.FillStyle(), mfsTile);
  EXPECT_EQ(f.ImageBorder(), &border);
}

TEST(uQnFormSkinVar, BatchesNotifyOnceAndLocksNotAtAll) {
  std::vector<std::string> log;
  TProbeRes res(&log);
  TQnFormSkinRes& f = *res.Form();
  f.BeginUpdate();
  f.BeginUpdate();
  f.SetColor(1);
  f.SetTitleHeight(40);
  f.EndUpdate();
  f.SetStyle(ssPicture);
  EXPECT_TRUE(log.empty());
  f.EndUpdate();
  EXPECT_EQ(log, (std::vector<std::string>{"apply", "changed"}));
  // An unbalanced EndUpdate does not go below zero or notify.
  log.clear();
  f.EndUpdate();
  EXPECT_TRUE(log.empty());
  EXPECT_EQ(f.UpdateCount(), 0);

  f.Lock();
  f.SetColor(2);
  f.SetFramWidth(9);
  f.UnLock();
  EXPECT_TRUE(log.empty());
  // Nothing left over shows up with the next real change.
  f.SetColor(3);
  EXPECT_EQ(log, (std::vector<std::string>{"apply", "changed"}));
  EXPECT_EQ(f.FramWidth(), 9);
}

TEST(uQnFormSkinVar, AssignCopiesEverySettingWithOneNotification) {
  TQnFormSkinRes src(nullptr);
  TQnFormLayerBorder border(nullptr);
  src.SetStyle(ssPicture);
  src.SetColor(11);
  src.SetTitlerColor(12);
  src.SetTitleHeight(13);
  src.SetHitTestWidth(14);
  src.SetGradientHeight(15);
  src.SetDefaultSkinOrder(16);
  src.SetFramWidth(17);
  src.SetCustomPicture(u"pic");
  src.SetCustomPictureName(u"name");
  src.SetActiveGradient(false);
  src.SetDoubleFrame(false);
  src.SetFillStyle(mfs9Block);
  src.SetFlatFrame(true);
  src.SetRoundWindow(false);
  src.SetImageBorder(&border);
  std::vector<std::string> log;
  TProbeRes res(&log);
  TQnFormSkinRes& f = *res.Form();
  f.Assign(&src);
  EXPECT_EQ(log, (std::vector<std::string>{"apply", "changed"}));
  EXPECT_EQ(f.Style(), ssPicture);
  EXPECT_EQ(f.Color(), 11);
  EXPECT_EQ(f.TitlerColor(), 12);
  EXPECT_EQ(f.TitleHeight(), 13);
  EXPECT_EQ(f.HitTestWidth(), 14);
  EXPECT_EQ(f.GradientHeight(), 15);
  EXPECT_EQ(f.DefaultSkinOrder(), 16);
  EXPECT_EQ(f.FramWidth(), 17);
  EXPECT_EQ(f.CustomPicture(), u"pic");
  EXPECT_EQ(f.CustomPictureName(), u"name");
  EXPECT_FALSE(f.ActiveGradient());
  EXPECT_FALSE(f.DoubleFrame());
  EXPECT_EQ(f.FillStyle(), mfs9Block);
  EXPECT_TRUE(f.FlatFrame());
  EXPECT_FALSE(f.RoundWindow());
  EXPECT_EQ(f.ImageBorder(), &border);
  // Another kind of source is refused and changes nothing.
  TQnFormLayerBorder other(nullptr);
  log.clear();
  EXPECT_THROW(f.Assign(&other), Exception);
  EXPECT_TRUE(log.empty());
  EXPECT_EQ(f.Color(), 11);
}

TEST(uQnFormSkinVar, DestroyedBorderClearsEveryReferenceToIt) {
  TQnFormSkinRes a(nullptr), b(nullptr);
  auto* border = new TQnFormLayerBorder(nullptr);
  a.SetImageBorder(border);
  b.Assign(&a);
  EXPECT_EQ(b.ImageBorder(), border);
  delete border;
  EXPECT_EQ(a.ImageBorder(), nullptr);
  EXPECT_EQ(b.ImageBorder(), nullptr);
  // A settings object that goes first leaves the border alone.
  auto* second = new TQnFormLayerBorder(nullptr);
  {
    TQnFormSkinRes c(nullptr);
    c.SetImageBorder(second);
  }
  delete second;
}

TEST(uQnFormSkinVar, ProcessWideStyleLivesBetweenInitializeAndFinalize) {
  ASSERT_NE(gQnFormStyle, nullptr);
  EXPECT_EQ(gQnFormStyle->Owner(), nullptr);
  DoneQnFormSkinVar();
  EXPECT_EQ(gQnFormStyle, nullptr);
  InitQnFormSkinVar();
  ASSERT_NE(gQnFormStyle, nullptr);
  TQnFormSkinRes* first = gQnFormStyle;
  InitQnFormSkinVar();  // a second initialisation keeps the one there is
  EXPECT_EQ(gQnFormStyle, first);
  EXPECT_EQ(gQnFormStyle->TitleHeight(), 27);
  EXPECT_EQ(gHSB.H, 0);
}

}  // namespace t_u_qn_form_skin_var_test
