// Gallery page "skinconfig": the skin configuration file at work. Left, two
// skinned forms with the built-in settings; right, the same two forms
// following a skin configuration component after it read a hand-written
// Skin/Config.xml: a picture background (tinted), another title colour,
// form colour, gradient and a taller title. skinconfig.png.
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "examples/gallery/Gallery.h"
#include "examples/gallery/SkinnedForm.h"
#include "platform/desktop/Desktop.h"
#include "platform/rtl/SysUtils.h"
#include "skin/controls/uQuarnLabel.h"
#include "skin/forms/uQuarnForm.h"
#include "skin/forms/uQuarnNCCtrlBase.h"
#include "xml/uQuarnRes.h"

namespace gallery {

namespace {

using namespace qn;

// One column of the page: a heading, a note and the lines of its file.
struct TColumn {
  String Heading;
  std::vector<String> Lines;
};

constexpr Integer kColumn = 480;

// The backdrop: a band per column with its heading and its file's lines.
class TBackdrop : public TForm {
  QN_CLASS(TBackdrop, TForm)
 public:
  TBackdrop(TComponent* AOwner, std::vector<TColumn> Columns) : TForm(AOwner), FColumns(std::move(Columns)) {}

 protected:
  void Paint() override {
    TCanvas* c = Canvas();
    const TRect r = ClientRect();
    for (size_t i = 0; i < FColumns.size(); ++i) {
      const Integer x = Integer(i) * kColumn;
      const Byte k = Byte(36 + 8 * i);
      c->Brush()->SetStyle(TBrushStyle::bsSolid);
      c->Brush()->SetColor(TColor(RGB(k, Byte(k + 10), Byte(k + 24))));
      c->FillRect(TRect(x, 0, x + kColumn, r.Height()));
      c->Brush()->SetStyle(TBrushStyle::bsClear);
      c->Font()->SetName(u"DejaVu Sans");
      c->Font()->SetColor(TColor(RGB(236, 240, 245)));
      c->Font()->SetHeight(-16);
      c->Font()->SetStyle({TFontStyle::fsBold});
      c->TextOut(x + 28, 18, FColumns[i].Heading);
      c->Font()->SetStyle({});
      c->Font()->SetName(u"DejaVu Sans Mono");
      c->Font()->SetHeight(-11);
      c->Font()->SetColor(TColor(RGB(160, 176, 196)));
      Integer y = 46;
      for (const String& line : FColumns[i].Lines) {
        c->TextOut(x + 28, y, line);
        y += 15;
      }
    }
  }

 private:
  std::vector<TColumn> FColumns;
};

struct TPair {
  std::unique_ptr<TForm> Main, Dialog;
  TQuarnForm* MainSkin = nullptr;
  TQuarnForm* DialogSkin = nullptr;
};

void AddText(TForm* Form, Integer X, Integer Y, const String& Text, bool Bold) {
  auto* l = new TQuarnLabel(Form);
  l->SetParent(Form);
  l->Font()->SetName(u"DejaVu Sans");
  l->Font()->SetHeight(Bold ? -14 : -12);
  if (Bold) l->Font()->SetStyle({TFontStyle::fsBold});
  l->Font()->SetColor(TColor(RGB(30, 40, 52)));
  l->SetCaption(Text);
  l->SetLeft(X);
  l->SetTop(Y);
}

void AddTitle(TForm* Form, const String& Text) {
  auto* t = new TQuarnNCLabel(Form);
  GalleryTitleStyle(t);
  t->SetCaption(Text);
  new TQuarnSystemButton(Form);
}

// A main form and a dialog overlapping it, both skinned, in a column.
TPair MakePair(Integer X) {
  TPair p;
  p.Main.reset(new TForm(nullptr));
  p.Main->SetPosition(poDesigned);
  p.Main->SetBorderStyle(bsSizeable);
  p.Main->SetBounds(X + 28, 176, 400, 290);
  p.MainSkin = new TQuarnForm(p.Main.get());
  AddTitle(p.Main.get(), u"Orders");
  AddText(p.Main.get(), 18, 18, u"Order 1042", true);
  AddText(p.Main.get(), 18, 44, u"Customer: Harbour Street Bakery", false);
  AddText(p.Main.get(), 18, 64, u"Delivery: Thursday, 7:30", false);

  p.Dialog.reset(new TForm(nullptr));
  p.Dialog->SetPosition(poDesigned);
  p.Dialog->SetBorderStyle(bsDialog);
  p.Dialog->SetBounds(X + 160, 380, 296, 160);
  p.DialogSkin = new TQuarnForm(p.Dialog.get());
  AddTitle(p.Dialog.get(), u"Confirm");
  AddText(p.Dialog.get(), 18, 20, u"Send the order now?", true);
  AddText(p.Dialog.get(), 18, 46, u"The customer gets a confirmation.", false);
  return p;
}

// The configuration file of a program in Folder, with its custom picture.
void WriteConfig(const std::string& Folder, const std::string& Settings) {
  std::filesystem::create_directories(Folder + "/Skin/Custom");
  MakeLandscape(Folder + "/Skin/Custom/evening.png");
  std::ofstream(Folder + "/Skin/Config.xml", std::ios::binary)
      << "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<QuarnRes><Config><Custom><Form>" << Settings
      << "</Form></Custom></Config></QuarnRes>";
}

}  // namespace

std::vector<std::string> SkinConfigPage(const std::string& outDir) {
  SetScreenSize(3 * kColumn, 580);
  SetVirtualClock(true);
  gHSB = THSB{};

  // Two programs' folders, each with its own configuration file.
  const std::string colours = WorkFolder() + "/skinconfig-colours", picture = WorkFolder() + "/skinconfig-picture";
  WriteConfig(colours,
              "<Style>0</Style><FormBg/><DefaultSkinOrder>0</DefaultSkinOrder><HitTestWidth>5</HitTestWidth>"
              "<GradientHeight>150</GradientHeight><TitleHeight>34</TitleHeight><TitlerColor>5924398</TitlerColor>"
              "<Color>15660270</Color><FramWidth>2</FramWidth><HSB_H>0</HSB_H><HSB_S>0</HSB_S><HSB_B>0</HSB_B>");
  WriteConfig(picture,
              "<Style>1</Style><FormBg>evening.png</FormBg><DefaultSkinOrder>0</DefaultSkinOrder>"
              "<HitTestWidth>5</HitTestWidth><GradientHeight>168</GradientHeight><TitleHeight>30</TitleHeight>"
              "<TitlerColor>16761926</TitlerColor><Color>15920353</Color><FramWidth>2</FramWidth>"
              "<HSB_H>-12</HSB_H><HSB_S>6</HSB_S><HSB_B>4</HSB_B>");

  auto backdrop = std::make_unique<TBackdrop>(
      nullptr, std::vector<TColumn>{
                   {u"Built-in settings", {u"no Skin/Config.xml:", u"the look the forms were made with"}},
                   {u"Skin/Config.xml: colours",
                    {u"<Style>0</Style>", u"<TitleHeight>34</TitleHeight>", u"<TitlerColor>5924398</TitlerColor>",
                     u"<Color>15660270</Color>", u"<GradientHeight>150</GradientHeight>"}},
                   {u"Skin/Config.xml: picture",
                    {u"<Style>1</Style>", u"<FormBg>evening.png</FormBg>", u"<TitleHeight>30</TitleHeight>",
                     u"<HSB_H>-12</HSB_H> <HSB_S>6</HSB_S>", u"<HSB_B>4</HSB_B>"}}});
  backdrop->SetBorderStyle(bsNone);
  backdrop->SetPosition(poDesigned);
  backdrop->SetBounds(0, 0, 3 * kColumn, 580);
  backdrop->Show();

  std::vector<TPair> pairs;
  for (Integer i = 0; i < 3; ++i) pairs.push_back(MakePair(i * kColumn));
  for (TPair& p : pairs) p.Main->Show();
  for (TPair& p : pairs) p.Dialog->Show();
  PumpMessages();

  // Each configuration component reads the file where its program lives;
  // the title height is the program's to apply.
  std::vector<std::unique_ptr<TQuarnRes>> configs;
  for (size_t i = 1; i < 3; ++i) {
    SetModuleFileNameOverride(FromUtf8((i == 1 ? colours : picture) + "/orders"));
    configs.push_back(std::make_unique<TQuarnRes>(nullptr));
    TQuarnRes* res = configs.back().get();
    for (TQuarnForm* skin : {pairs[i].MainSkin, pairs[i].DialogSkin}) {
      skin->SetSkinRes(res);
      skin->SetTitleHeight(res->Form()->TitleHeight());
    }
  }
  SetModuleFileNameOverride(String());
  for (auto& res : configs) res->Apply();
  SetActiveWindow(pairs[2].Dialog->Handle());
  PumpMessages();
  AdvanceClock(100);
  PumpMessages();

  const std::string path = outDir + "/skinconfig.png";
  SaveScreenSnapshot(path);
  Hold();  // live: the page stays up until its windows are closed

  for (TPair& p : pairs) {
    p.MainSkin->SetSkinRes(nullptr);
    p.DialogSkin->SetSkinRes(nullptr);
  }
  configs.clear();
  gHSB = THSB{};
  pairs.clear();
  backdrop.reset();
  PumpMessages();
  SetVirtualClock(false);
  return {path};
}

}  // namespace gallery
