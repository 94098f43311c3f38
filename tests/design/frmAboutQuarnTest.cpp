// The inspector over every palette class once the package is loaded: which
// editor each image id and each About row gets, and the About window its
// "..." opens and a click closes again.
#include <functional>
#include <set>
#include <vector>

#include "platform/desktop/Desktop.h"
#include "skin/controls/uQuarnButton.h"
#include "skin/foundation/uQuarnResManager.h"
#include "tests/design/QnRegHost.h"

namespace qnregtest {
namespace t_frm_about_quarn_test {
namespace {

class frmAboutQuarn : public QnRegHost {
 protected:
  void SetUp() override {
    QnRegHost::SetUp();
    RegisterPath(Install);
    LoadDesignPackage(&Host);
  }
};

struct TRowSeen {
  std::string Class, Path, TypeName;
  TClass Editor;
  TTypeKind Kind;
  String Value;
  TPropertyAttributes Attributes;
};

// Every row the inspector shows for C, sub-objects opened two levels deep.
std::vector<TRowSeen> InspectorRows(TComponent* C, TInspector& Insp) {
  std::vector<TRowSeen> seen;
  Insp.Select({C});
  std::function<void(TInspectorRow*)> visit = [&](TInspectorRow* r) {
    seen.push_back({ToUtf8(C->ClassName()), ToUtf8(r->Path()), ToUtf8(r->TypeName()), r->EditorClass(),
                    r->Editor()->PropType().Kind, r->Value(), r->Attributes()});
    if (r->Level() < 2 && r->Attributes().Contains(paSubProperties) &&
        r->EditorClass() != TSetProperty::StaticClass()) {
      r->Expand();
      for (const auto& child : r->Children()) visit(child.get());
    }
  };
  const auto top = Insp.Rows();
  for (TInspectorRow* r : top) visit(r);
  return seen;
}

TEST_F(frmAboutQuarn, EveryPaletteClassGetsTheImageAndAboutEditors) {
  const auto classes = PaletteClasses(kQuarnPalettePage);
  ASSERT_EQ(classes.size(), 72u);
  std::set<std::string> withAbout, withImages;
  Integer imageRows = 0;
  for (TComponentClass cls : classes) {
    // A form of its own for each: some classes hook the form they sit on.
    std::unique_ptr<TForm> form(new TForm(nullptr));
    form->SetName(u"Form1");
    TDesigner designer(form.get());
    TInspector insp(&designer);
    TComponent* c = designer.CreateComponent(cls, form.get(), TRect());
    for (const TRowSeen& r : InspectorRows(c, insp)) {
      SCOPED_TRACE(r.Class + "." + r.Path);
      const bool imageId = r.TypeName == "TQnResID";
      EXPECT_EQ(imageId, r.Editor == TQnResManagerProperty::StaticClass());
      if (imageId) {
        ++imageRows;
        withImages.insert(r.Class);
        EXPECT_EQ(r.Kind, tkUString);
      } else if (r.Kind == tkUString && !r.Value.empty() && r.Path != "Name") {
        // A plain string whose value names a skin image is an image id that
        // lost its type name.
        EXPECT_EQ(TQuarnResManagerObj()->GetImageByName(r.Value), nullptr) << ToUtf8(r.Value);
      }
      const std::string leaf = r.Path.substr(r.Path.rfind('.') == std::string::npos ? 0 : r.Path.rfind('.') + 1);
      if (r.Kind == tkUString && !imageId) {
        for (const char* word : {"Image", "Picture"}) {
          EXPECT_EQ(leaf.find(word), std::string::npos) << "a string property named like an image";
        }
      }
      if (r.Path == "About") {
        withAbout.insert(r.Class);
        EXPECT_EQ(r.Editor, TQnAboutBoxProperty::StaticClass());
        EXPECT_EQ(r.Attributes, (TPropertyAttributes{paDialog, paReadOnly}));
        EXPECT_EQ(r.Value, String(kAboutQuarnValue));
      }
    }
  }
  // The two classes made for the palette carry About; image ids are many.
  EXPECT_TRUE(withAbout.count("TQuarnNCButton"));
  EXPECT_TRUE(withAbout.count("TQuarnMenu"));
  EXPECT_TRUE(withImages.count("TQuarnNCButton"));
  EXPECT_TRUE(withImages.count("TQuarnSystemButton"));
  EXPECT_GT(imageRows, 40);
  EXPECT_GT(withAbout.size(), 10u);
}

TEST_F(frmAboutQuarn, TheEllipsisShowsTheWindowCentredAndAClickClosesIt) {
  std::unique_ptr<TForm> form(new TForm(nullptr));
  form->SetName(u"Form1");
  TDesigner designer(form.get());
  TInspector insp(&designer);
  TComponent* button = designer.CreateComponent(TQuarnButton::StaticClass(), form.get(), TRect());
  insp.Select({button});
  TInspectorRow* about = insp.Row(u"About");
  ASSERT_NE(about, nullptr);
  // The row takes no typing.
  EXPECT_THROW(about->Type(u"x"), EPropertyError);

  TAbountQuarnForm* shown = nullptr;
  bool freed = false;
  ClearModalRuns();
  SetModalScript([&](TCustomForm* F) {
    shown = dynamic_cast<TAbountQuarnForm*>(F);
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown->Owner(), Application);
    EXPECT_EQ(shown->ClientWidth(), 600);
    EXPECT_EQ(shown->ClientHeight(), 335);
    EXPECT_EQ(shown->BorderStyle(), bsNone);
    RECT wr;
    GetWindowRect(shown->Handle(), &wr);
    // Centred in the work area of the screen.
    const TRect work = Screen->PrimaryMonitor()->WorkareaRect();
    EXPECT_EQ(wr.Left, work.Left + (work.Width() - (wr.Right - wr.Left)) / 2);
    EXPECT_EQ(wr.Top, work.Top + (work.Height() - (wr.Bottom - wr.Top)) / 2);
    // The panel fills it and the picture is drawn (its middle is not black).
    EXPECT_EQ(shown->pnlBack->Width(), 600);
    ASSERT_FALSE(shown->imgLogo->Picture()->Bitmap()->Empty());
    EXPECT_NE(shown->imgLogo->Picture()->Bitmap()->Canvas()->Pixels(5, 5), clBlack);
    struct TWatch : TComponent {
      bool* Flag;
      TWatch(TComponent* Owner, bool* F) : TComponent(Owner), Flag(F) {}
      ~TWatch() override { *Flag = true; }
    };
    new TWatch(shown, &freed);
    // A real click on the close button ends the loop.
    const TPoint p = shown->btnClose->ClientToScreen(TPoint(shown->btnClose->Width() / 2, 10));
    InputMouseMove(p.X, p.Y);
    InputMouseDown(VK_LBUTTON);
    InputMouseUp(VK_LBUTTON);
  });
  about->ClickEllipsis();
  ResetInput();
  ASSERT_NE(shown, nullptr);
  EXPECT_TRUE(freed);
  const auto runs = ModalRuns();
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].FormClass, String(u"TAbountQuarnForm"));
  EXPECT_EQ(runs[0].Result, mrCancel);
  // Still the fixed text afterwards, and the button untouched.
  EXPECT_EQ(about->Value(), String(kAboutQuarnValue));
  EXPECT_EQ(designer.ModifiedCount(), 1);
}

TEST_F(frmAboutQuarn, TheInstalledMarkerIsTheWindowsFormText) {
  std::ifstream in(Install + "/frmAboutQuarn.dfm");
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(text, AboutQuarnFormText());
  // It loads on its own, as the window's resource.
  std::unique_ptr<TAbountQuarnForm> f(TCustomForm::Create<TAbountQuarnForm>(nullptr));
  EXPECT_EQ(f->btnClose->Caption(), String(u"Close"));
  EXPECT_EQ(f->Position(), poScreenCenter);
  EXPECT_THROW(DrawQuarnLogo(f->imgLogo->Picture()->Bitmap(), 0, 10), EArgumentException);
}

}  // namespace
}  // namespace t_frm_about_quarn_test
}  // namespace qnregtest
