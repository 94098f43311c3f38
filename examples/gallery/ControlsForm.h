// The standard-controls form: one skinned form holding every standard
// skinned control, read from the text form file Controls.dfm, and the script
// that plays a person at it through the input driver on the virtual clock.
// The gallery page, its smoke test and the repaint benchmark share it.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/vcl/Forms.h"
#include "skin/foundation/uQuarnCtrls.h"

namespace vcl {
class TImageList;
}
namespace qn {
class TQuarnCustomEditTips;
}

namespace gallery {

using namespace vcl;

class TControlsForm : public TForm {
  QN_CLASS_CREATE(TControlsForm, TForm, TComponent)
 public:
  explicit TControlsForm(TComponent* AOwner);
  ~TControlsForm() override;

  // The component the form file named Name; raises when there is none or
  // it is of another class, so a renamed control fails loudly.
  template <class T>
  T* Get(const String& Name) {
    T* c = dynamic_cast<T*>(FindComponent(Name));
    if (!c) Missing(Name);
    return c;
  }

  // What the handlers saw, for the script's checks.
  Integer CancelClicks = 0;
  // The password edit's tip, which belongs to the edit, not the form.
  qn::TQuarnCustomEditTips* PasswordTips = nullptr;
  Integer LinkClicks = 0;
  String LastLink;

  void BtnCancelClick(TObject* Sender);
  void HtmlInfoHyperLinkClick(TObject* Sender, String Link);

  QN_PUBLISHED_DECL(TControlsForm) {
    QN_METHOD(BtnCancelClick);
    QN_METHOD(HtmlInfoHyperLinkClick);
  }

 protected:
  // What a form file does not hold: the city list's rows and their images.
  void Loaded() override;

 private:
  [[noreturn]] static void Missing(const String& Name);
  std::unique_ptr<TImageList> FCityImages;
};

// The animated button's strip "GallerySpinner", as an application hands
// it to the store through its image hook.
void GallerySpinnerStrip(TObject* Sender, const qn::TQnResID& Id, qn::TQuarnImage* Image, bool& Handled);

// The form file beside this source.
String ControlsFormFile();

// Reads the form from its file and shows it skinned, the clock virtual and
// the screen sized for it; what a form file cannot hold (the edit's tip
// window) is added after reading.
std::unique_ptr<TControlsForm> LoadControlsForm();

// Plays a person at the form: input through the driver, the clock moved in
// small steps so every timer fires when it falls due.
class TControlsDriver {
 public:
  explicit TControlsDriver(TControlsForm* Form) : F(Form) {}
  TControlsForm* F;

  // Translates and dispatches everything waiting.
  static void Pump();
  void Wait(Integer Ms);
  // The pointer to (X, Y) of C's client area, through a few points on the
  // way as a hand would move it.
  void MoveTo(TControl* C, Integer X, Integer Y);
  void Press(int Button = 1);
  void Release(int Button = 1);
  void Click(TControl* C, Integer X, Integer Y);
  // Press at From, move to To in Steps, release there (client points of C).
  void Drag(TControl* C, TPoint From, TPoint To, Integer Steps = 8);
  void Key(int VK);
  void Chord(int Modifier, int VK);
  void Type(const String& Text);
  void Wheel(Integer Notches);
  // Presses over the drop-down part of a button under the pointer; once its
  // menu is open, calls OnMenuShown, then cancels it with Escape.
  void OpenMenuAndCancel();
  std::function<void()> OnMenuShown;
  bool MenuShown = false;

 private:
  TPoint FAt{-1, -1};
};

struct TControlsStep {
  const char* Name;
  std::function<void(TControlsDriver&)> Run;
};

// The scripted interaction, one entry a step, in order.
std::vector<TControlsStep> ControlsScript();

}  // namespace gallery
