// The skin configuration component against its file: exact bytes, damaged
// files, batching of notifications, the run-time push to skinned forms, the
// design-time save, and streaming.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "platform/classes/FormText.h"
#include "platform/rtl/SysUtils.h"
#include "platform/user/CommonDialogs.h"
#include "skin/forms/uQuarnForm.h"
#include "tests/common/TestSupport.h"
#include "tests/platform/user/UserTestSupport.h"
#include "xml/uQuarnRes.h"

namespace t_u_quarn_res_test {

using namespace qn;
namespace fs = std::filesystem;

namespace {

struct TSettings {
  int Style = 0;
  std::string FormBg;
  int Order = 0, Hit = 5, Gradient = 168, Title = 27, Titler = 16761926, Color = 15920353, Fram = 2;
  int H = 0, S = 0, B = 0;
};

// The file as the format describes it, written by hand.
std::string ConfigText(const TSettings& s) {
  std::ostringstream o;
  auto el = [&](const char* n, const std::string& v) {
    if (v.empty())
      o << "<" << n << "/>";
    else
      o << "<" << n << ">" << v << "</" << n << ">";
  };
  o << "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<QuarnRes><Config><Custom><Form>";
  el("Style", std::to_string(s.Style));
  el("FormBg", s.FormBg);
  el("DefaultSkinOrder", std::to_string(s.Order));
  el("HitTestWidth", std::to_string(s.Hit));
  el("GradientHeight", std::to_string(s.Gradient));
  el("TitleHeight", std::to_string(s.Title));
  el("TitlerColor", std::to_string(s.Titler));
  el("Color", std::to_string(s.Color));
  el("FramWidth", std::to_string(s.Fram));
  el("HSB_H", std::to_string(s.H));
  el("HSB_S", std::to_string(s.S));
  el("HSB_B", std::to_string(s.B));
  o << "</Form></Custom></Config></QuarnRes>";
  return o.str();
}

const char* const kDefaultText =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<QuarnRes><Config><Custom><Form><Style>0</Style><FormBg/>"
    "<DefaultSkinOrder>0</DefaultSkinOrder><HitTestWidth>5</HitTestWidth><GradientHeight>168</GradientHeight>"
    "<TitleHeight>27</TitleHeight><TitlerColor>16761926</TitlerColor><Color>15920353</Color><FramWidth>2</FramWidth>"
    "<HSB_H>0</HSB_H><HSB_S>0</HSB_S><HSB_B>0</HSB_B></Form></Custom></Config></QuarnRes>";

std::vector<HWND> gSkinMessages;

LRESULT WatchSkinMessages(int Code, WPARAM W, LPARAM L) {
  const auto* c = reinterpret_cast<const CWPSTRUCT*>(L);
  if (Code >= 0 && c->message == MM_SKINRESCHANGED) gSkinMessages.push_back(c->hwnd);
  return CallNextHookEx(nullptr, Code, W, L);
}

class uQuarnRes : public usertest::ServerTest {
 protected:
  void SetUp() override {
    usertest::ServerTest::SetUp();
    FDir = qntest::MakeTempDir("quarnres");
    SetModuleFileNameOverride(FromUtf8(FDir + "/app"));
    gHSB = THSB{};
    ResetQuarnResSaveWarning();
    gSkinMessages.clear();
    FHook = SetWindowsHookExW(WH_CALLWNDPROC, WatchSkinMessages, nullptr, GetCurrentThreadId());
  }
  void TearDown() override {
    UnhookWindowsHookEx(FHook);
    FForms.clear();
    SetMessageBoxResponder(nullptr);
    SetModuleFileNameOverride(String());
    gHSB = THSB{};
    fs::remove_all(FDir);
    usertest::ServerTest::TearDown();
  }
  std::string Path(const std::string& Rel) const { return FDir + "/Skin/" + Rel; }
  void Write(const std::string& Rel, const std::string& Bytes) {
    fs::create_directories(fs::path(Path(Rel)).parent_path());
    std::ofstream(Path(Rel), std::ios::binary) << Bytes;
  }
  std::string Read(const std::string& Rel) const {
    std::ifstream f(Path(Rel), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), {});
  }
  // A skinned form, registered at run time; its window.
  HWND SkinnedForm(TQnCustomSkinRes* Res = nullptr) {
    auto f = std::make_unique<TForm>(nullptr);
    auto* skin = new TQuarnForm(f.get());
    skin->SetSkinRes(Res);
    f->Show();
    usertest::Pump();
    FForms.push_back(std::move(f));
    return FForms.back()->Handle();
  }
  std::string FDir;
  HHOOK FHook = nullptr;
  std::vector<std::unique_ptr<TForm>> FForms;
};

}  // namespace

TEST_F(uQuarnRes, DefaultsAndAHandWrittenFileRoundTripByteForByte) {
  // No file and no default picture: initial values, and one push to the forms.
  const HWND form = SkinnedForm();
  {
    TQuarnRes res(nullptr);
    EXPECT_EQ(gSkinMessages, std::vector<HWND>{form});
    TQnFormSkinRes* f = res.Form();
    EXPECT_EQ(f->TitleHeight(), 27);
    EXPECT_EQ(f->Color(), TColor(15920353));
    EXPECT_TRUE(f->CustomPicture().empty());
    EXPECT_FALSE(fs::exists(Path("Config.xml")));  // run time writes only on Save
    res.Save();
    EXPECT_EQ(Read("Config.xml"), kDefaultText);
  }

  // Every setting off its default, a name that needs escaping.
  Write("Custom/leaf&sky.png", "png");
  TSettings s;
  s.Style = 1;
  s.FormBg = "leaf&amp;sky.png";
  s.Order = 3, s.Hit = 7, s.Gradient = 90, s.Title = 31, s.Titler = 0x123456, s.Color = -16777201, s.Fram = 4;
  s.H = -30, s.S = 20, s.B = 10;
  Write("Config.xml", ConfigText(s));
  gSkinMessages.clear();
  TQuarnRes res(nullptr);
  EXPECT_TRUE(gSkinMessages.empty());  // loading a file notifies nobody
  TQnFormSkinRes* f = res.Form();
  EXPECT_EQ(f->Style(), ssPicture);
  EXPECT_EQ(f->CustomPictureName(), u"leaf&sky.png");
  EXPECT_EQ(f->CustomPicture(), FromUtf8(Path("Custom/leaf&sky.png")));
  EXPECT_EQ(f->DefaultSkinOrder(), 3);
  EXPECT_EQ(f->HitTestWidth(), 7);
  EXPECT_EQ(f->GradientHeight(), 90);
  EXPECT_EQ(f->TitleHeight(), 31);
  EXPECT_EQ(f->TitlerColor(), TColor(0x123456));
  EXPECT_EQ(f->Color(), TColor(-16777201));
  EXPECT_EQ(f->FramWidth(), 4);
  EXPECT_EQ(gHSB.H, -30);
  EXPECT_EQ(gHSB.S, 20);
  EXPECT_EQ(gHSB.B, 10);
  EXPECT_FALSE(f->Locked());
  res.Save();
  EXPECT_EQ(Read("Config.xml"), ConfigText(s));

  // Loaded from UTF-16 with a byte-order mark, saved back as plain UTF-8.
  const std::string u8 = ConfigText(s);
  std::string u16 = "\xFF\xFE";
  const String w = FromUtf8(u8);
  for (Char c : w) u16 += static_cast<char>(c & 0xFF), u16 += static_cast<char>(c >> 8);
  Write("Config.xml", u16);
  res.Load();
  EXPECT_EQ(f->TitleHeight(), 31);
  res.Save();
  EXPECT_EQ(Read("Config.xml"), ConfigText(s));
}

TEST_F(uQuarnRes, ChangesNotifyOncePerBatchAndNeverWhileLocked) {
  const HWND a = SkinnedForm(), b = SkinnedForm(), c = SkinnedForm();
  TQuarnRes res(nullptr);
  TQnFormSkinRes* f = res.Form();
  int changed = 0;
  f->SetOnChanged(TNotifyEvent([&](TObject*) { ++changed; }));
  gSkinMessages.clear();

  // The forms hear of a change last registered first.
  f->SetTitleHeight(40);
  EXPECT_EQ(gSkinMessages, (std::vector<HWND>{c, b, a}));
  EXPECT_EQ(changed, 1);
  // Unchanged values and a negative frame width are no change.
  f->SetTitleHeight(40);
  f->SetFramWidth(-1);
  EXPECT_EQ(f->FramWidth(), 2);
  EXPECT_EQ(changed, 1);
  // A batch of three is one change.
  gSkinMessages.clear();
  f->BeginUpdate();
  f->SetColor(0x010203);
  f->SetHitTestWidth(9);
  f->SetStyle(ssPicture);
  f->EndUpdate();
  EXPECT_EQ(changed, 2);
  EXPECT_EQ(gSkinMessages.size(), 3u);
  // Locked changes are never reported, not even after unlocking.
  f->Lock();
  f->SetColor(0x040506);
  f->UnLock();
  EXPECT_EQ(changed, 2);
  EXPECT_EQ(f->Color(), TColor(0x040506));

  // ApplyDefault: one change back to the initial values and no tint.
  gHSB = THSB{5, 6, 7};
  gSkinMessages.clear();
  res.ApplyDefault();
  EXPECT_EQ(changed, 3);
  EXPECT_EQ(gSkinMessages.size(), 3u);
  EXPECT_EQ(f->Color(), TColor(15920353));
  EXPECT_EQ(f->TitleHeight(), 27);
  EXPECT_EQ(f->Style(), ssColor);
  EXPECT_EQ(gHSB.H + gHSB.S + gHSB.B, 0);

  // SetForm copies the settings as one change.
  TQnFormSkinRes other(nullptr);
  other.SetTitleHeight(50);
  other.SetCustomPictureName(u"x.png");
  res.SetForm(&other);
  EXPECT_EQ(changed, 4);
  EXPECT_EQ(f->TitleHeight(), 50);
  EXPECT_EQ(f->CustomPictureName(), u"x.png");

  // A border freed while set is forgotten.
  auto* border = new TQnFormLayerBorder(nullptr);
  f->SetImageBorder(border);
  delete border;
  EXPECT_EQ(f->ImageBorder(), nullptr);
}

TEST_F(uQuarnRes, DamagedFilesKeepWhatIsMissingAndNeverStayLocked) {
  TSettings s;
  s.Title = 33, s.Color = 0x0A0B0C, s.H = 12;
  const std::string full = ConfigText(s);
  // Each setting element missing in turn: that setting keeps its value, the
  // others load.
  for (const char* name : {"Style", "FormBg", "DefaultSkinOrder", "HitTestWidth", "GradientHeight", "TitleHeight",
                           "TitlerColor", "Color", "FramWidth", "HSB_H", "HSB_S", "HSB_B"}) {
    std::string text = full;
    const std::string open = std::string("<") + name, close = std::string("</") + name + ">";
    const size_t at = text.find(open + ">") != std::string::npos ? text.find(open + ">") : text.find(open + "/>");
    const size_t end = text.find(close, at);
    text.erase(at, end == std::string::npos ? text.find("/>", at) + 2 - at : end + close.size() - at);
    Write("Config.xml", text);
    gHSB = THSB{};
    TQuarnRes res(nullptr);
    EXPECT_EQ(res.Form()->TitleHeight(), std::string(name) == "TitleHeight" ? 27 : 33) << name;
    EXPECT_EQ(res.Form()->Color(), TColor(std::string(name) == "Color" ? 15920353 : 0x0A0B0C)) << name;
    EXPECT_EQ(gHSB.H, std::string(name) == "HSB_H" ? 0 : 12) << name;
    EXPECT_FALSE(res.Form()->Locked());
  }
  // Whole levels missing, a cut-off file, a file that is no XML at all.
  for (const std::string& text : {std::string("<?xml version=\"1.0\"?>\r\n<QuarnRes><Config/></QuarnRes>"),
                                 full.substr(0, full.size() / 2), std::string("\x01\x02garbage"), std::string()}) {
    Write("Config.xml", text);
    TQuarnRes res(nullptr);
    EXPECT_FALSE(res.Form()->Locked());
    EXPECT_LE(res.Form()->TitleHeight(), 33);
  }

  // A value that is no integer raises; settings before it stay read, the
  // object is unlocked, and a later change still notifies.
  s.Title = 44;
  std::string bad = ConfigText(s);
  bad.replace(bad.find("<FramWidth>2<"), 13, "<FramWidth>12x<");
  Write("Config.xml", ConfigText(TSettings{}));
  Write("Custom/real.png", "png");
  TQuarnRes res(nullptr);
  Write("Config.xml", bad);
  EXPECT_THROW(res.Load(), EConvertError);
  EXPECT_EQ(res.Form()->TitleHeight(), 44);
  EXPECT_FALSE(res.Form()->Locked());
  int changed = 0;
  res.Form()->SetOnChanged(TNotifyEvent([&](TObject*) { ++changed; }));
  res.Form()->SetTitleHeight(45);
  EXPECT_EQ(changed, 1);

  // Unknown styles are ignored; picture names that leave Skin/Custom count
  // as absent, so the default picture is taken when there is one.
  Write("Default/skin_bk_leaf.jpg", "jpg");
  for (const std::string& bg : {std::string("../real.png"), FDir + "/Skin/Custom/real.png", std::string("sub/real.png"), std::string()}) {
    s.Style = 7;
    s.FormBg = bg;
    Write("Config.xml", ConfigText(s));
    TQuarnRes r(nullptr);
    EXPECT_EQ(r.Form()->Style(), ssColor) << bg;
    EXPECT_EQ(r.Form()->CustomPictureName(), u"skin_bk_leaf.jpg") << bg;
    EXPECT_EQ(r.Form()->CustomPicture(), FromUtf8(Path("Default/skin_bk_leaf.jpg"))) << bg;
  }
  s.FormBg = "real.png";
  Write("Config.xml", ConfigText(s));
  TQuarnRes r(nullptr);
  EXPECT_EQ(r.Form()->CustomPictureName(), u"real.png");
}

TEST_F(uQuarnRes, ApplySurvivesAFormFreedWhileMessagesArePumped) {
  const HWND a = SkinnedForm();
  SkinnedForm();
  const HWND c = SkinnedForm();
  TQuarnRes res(nullptr);
  gSkinMessages.clear();
  // The second form frees itself from a posted message that Apply's own
  // pumping delivers.
  FForms[1]->Release();
  FForms[1].release();
  res.Form()->SetColor(0x00FF00);
  EXPECT_EQ(gSkinMessages, (std::vector<HWND>{c, a}));
  EXPECT_EQ(TQnFormSkinHelperObj()->Count(), 2);
}

TEST_F(uQuarnRes, DesignTimeWritesAtOnceAndWarnsOncePerProcess) {
  std::vector<TMessageBoxCall> boxes;
  SetMessageBoxResponder([&](const TMessageBoxCall& c) {
    boxes.push_back(c);
    return IDOK;
  });
  TComponent designer(nullptr);
  designer.SetDesigning(true);
  {
    auto* res = new TQuarnRes(&designer);
    EXPECT_EQ(Read("Config.xml"), kDefaultText);
    res->Form()->SetTitleHeight(35);  // every change rewrites the file
    EXPECT_NE(Read("Config.xml").find("<TitleHeight>35</TitleHeight>"), std::string::npos);
    // Resetting is for run time only.
    res->ApplyDefault();
    EXPECT_EQ(res->Form()->TitleHeight(), 35);
    delete res;
  }
  EXPECT_TRUE(boxes.empty());

  // "Skin" is a file: saving fails, reported once.
  fs::remove_all(FDir + "/Skin");
  std::ofstream(FDir + "/Skin") << "x";
  auto* res = new TQuarnRes(&designer);
  res->Form()->SetTitleHeight(36);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].Text,
            u"If you want to use TQuarnRes component, please save the project to a non-system disk partition or IDE "
            u"running as an administrator");
  EXPECT_EQ(boxes[0].Caption, u"Information");
  EXPECT_EQ(boxes[0].Flags, UINT(MB_ICONEXCLAMATION));
  EXPECT_EQ(boxes[0].Owner, nullptr);
  delete res;

  // At run time the same failure is silent.
  TQuarnRes quiet(nullptr);
  quiet.Save();
  EXPECT_EQ(boxes.size(), 1u);
}

TEST_F(uQuarnRes, StreamingDecidesWhetherTheFileOrTheFormWins) {
  const std::string text =
      "object Res: TQuarnRes\n  Form.TitleHeight = 30\n  UseSkinFile = False\nend\n";
  {
    TQuarnRes res(nullptr);
    TextToComponent(text, &res);
    EXPECT_NE(Read("Config.xml").find("<TitleHeight>30</TitleHeight>"), std::string::npos);
  }
  TSettings s;
  s.Title = 22;
  Write("Config.xml", ConfigText(s));
  TQuarnRes res(nullptr);
  std::string t = text;
  t.replace(t.find("False"), 5, "True");
  TextToComponent(t, &res);
  EXPECT_EQ(res.Form()->TitleHeight(), 22);
  // About is never written; Form and UseSkinFile always are.
  const std::string out = ComponentToText(&res);
  EXPECT_EQ(out.find("About"), std::string::npos);
  EXPECT_NE(out.find("UseSkinFile = True"), std::string::npos);
  EXPECT_NE(out.find("Form.TitleHeight = 22"), std::string::npos);
}

TEST_F(uQuarnRes, SkinnedFormsTakeARunTimeChange) {
  TQuarnRes res(nullptr);
  SkinnedForm(&res);
  SkinnedForm(&res);
  res.Form()->SetColor(0x203040);
  res.Form()->SetTitlerColor(0x506070);
  for (auto& f : FForms) {
    auto* skin = static_cast<TQuarnForm*>(f->Components(0));
    EXPECT_EQ(skin->Color(), TColor(0x203040));
    EXPECT_EQ(skin->TitlerColor(), TColor(0x506070));
  }
}

}  // namespace t_u_quarn_res_test
