// Classes with published properties of every kind, shared by the streaming
// tests and the form-file fuzz targets.
#pragma once

#include <string>
#include <vector>

#include "platform/classes/Classes.h"
#include "platform/classes/FormText.h"
#include "platform/classes/PropInfo.h"
#include "platform/classes/Streaming.h"

namespace strtest {

using namespace vcl;

enum class TShade { shNone, shLight, shDark, shDeep };
QN_ENUM_NAMES(TShade, shNone, shLight, shDark, shDeep)
using enum TShade;
using TShades = TSet<TShade>;
QN_TYPE_NAME(TShades)

// Loaded order and the state each component was in while it was assigned.
inline std::vector<std::string>& Journal() {
  static std::vector<std::string> j;
  return j;
}

// A sub-object streamed as Font.Size = ... .
class TStyle : public TPersistent {
  QN_CLASS(TStyle, TPersistent)
 public:
  Integer Size() const { return FSize; }
  void SetSize(Integer v) { FSize = v; }
  String Face() const { return FFace; }
  void SetFace(const String& v) { FFace = v; }
  void Assign(TPersistent* Source) override {
    if (auto* s = dynamic_cast<TStyle*>(Source)) {
      FSize = s->FSize;
      FFace = s->FFace;
      return;
    }
    inherited::Assign(Source);
  }

  QN_PUBLISHED(TStyle) {
    QN_PROP(Size).Default(8);
    QN_PROP(Face);
  }

 private:
  Integer FSize = 8;
  String FFace;
};

class TColumn : public TCollectionItem {
  QN_CLASS_CREATE(TColumn, TCollectionItem, TCollection)
 public:
  using TCollectionItem::TCollectionItem;
  Integer Width() const { return FWidth; }
  void SetWidth(Integer v) { FWidth = v; }
  String Title() const { return FTitle; }
  void SetTitle(const String& v) { FTitle = v; }
  QN_PUBLISHED(TColumn) {
    QN_PROP(Width).Default(64);
    QN_PROP(Title);
  }

 private:
  Integer FWidth = 64;
  String FTitle;
};

class TWidget : public TComponent {
  QN_CLASS_CREATE(TWidget, TComponent, TComponent)
 public:
  explicit TWidget(TComponent* AOwner)
      : TComponent(AOwner), FStyle(std::make_unique<TStyle>()),
        FColumns(std::make_unique<TOwnedCollection>(this, TColumn::StaticClass())) {}
  ~TWidget() override { SetBuddy(nullptr); }

  TStrings* Lines() const { return FLines.get(); }
  void SetLines(TStrings* v) { FLines->Assign(v); }
  TCollection* Columns() const { return FColumns.get(); }
  void SetColumns(TCollection* v) { FColumns->Assign(v); }
  // Streamed through DefineProperties, not published.
  TBytes Blob;
  std::vector<String> Notes;

  Integer Width() const { return FWidth; }
  void SetWidth(Integer v) {
    if (ComponentState().Contains(csLoading)) Journal().push_back("set Width loading " + ToUtf8(Name()));
    FWidth = v;
  }
  Int64 Big() const { return FBig; }
  void SetBig(Int64 v) { FBig = v; }
  TShade Shade() const { return FShade; }
  void SetShade(TShade v) { FShade = v; }
  TShades Shades() const { return FShades; }
  void SetShades(TShades v) { FShades = v; }
  bool Visible() const { return FVisible; }
  void SetVisible(bool v) { FVisible = v; }
  double Ratio() const { return FRatio; }
  void SetRatio(double v) { FRatio = v; }
  float Scale() const { return FScale; }
  void SetScale(float v) { FScale = v; }
  double When() const { return FWhen; }
  void SetWhen(double v) { FWhen = v; }
  double Price() const { return FPrice; }
  void SetPrice(double v) { FPrice = v; }
  String Caption() const { return FCaption; }
  void SetCaption(const String& v) { FCaption = v; }
  Char Hot() const { return FHot; }
  void SetHot(Char v) { FHot = v; }
  TStyle* Style() const { return FStyle.get(); }
  void SetStyle(TStyle* v) { FStyle->Assign(v); }
  TWidget* Buddy() const { return FBuddy; }
  void SetBuddy(TWidget* v) {
    if (FBuddy == v) return;
    if (FBuddy) FBuddy->RemoveFreeNotification(this);
    FBuddy = v;
    if (v) v->FreeNotification(this);
  }
  TNotifyEvent OnClick() const { return FOnClick; }
  void SetOnClick(const TNotifyEvent& v) { FOnClick = v; }
  Integer Hidden() const { return FHidden; }
  void SetHidden(Integer v) { FHidden = v; }
  Integer Counter() const { return FCounter; }
  void SetCounter(Integer v) { FCounter = v; }
  bool IsCounterStored() const { return FCounter != 7; }
  Integer Colour() const { return FColour; }
  void SetColour(Integer v) { FColour = v; }
  Integer Edge(Integer i) const { return FEdges[i]; }
  void SetEdge(Integer i, Integer v) { FEdges[i] = v; }

  QN_PUBLISHED(TWidget) {
    QN_PROP(Width).Default(100);
    QN_PROP(Big);
    QN_PROP(Shade).Default(shNone);
    QN_PROP(Shades).Default(TShades{shLight});
    QN_PROP(Visible).Default(true);
    QN_PROP(Ratio);
    QN_PROP(Scale);
    QN_PROP(When).TypeName(u"TDateTime");
    QN_PROP(Price).TypeName(u"Currency");
    QN_PROP(Caption).TypeName(u"TCaption");
    QN_PROP(Hot).Default(u'\0');
    QN_PROP(Style);
    QN_PROP(Columns);
    QN_PROP(Lines);
    QN_PROP(Buddy);
    QN_PROP(OnClick);
    QN_PROP(Hidden).Stored(false);
    QN_PROP(Counter).Stored(&TWidget::IsCounterStored).Default(0);
    QN_PROP(Colour).Default(0).TypeName(u"TTestColour");
    P.Property(u"EdgeLeft", &TWidget::Edge, &TWidget::SetEdge).Index(0).Default(0);
    P.Property(u"EdgeTop", &TWidget::Edge, &TWidget::SetEdge).Index(1).Default(0);
  }

  void Loaded() override {
    inherited::Loaded();
    Journal().push_back("loaded " + ToUtf8(Name()));
  }

 protected:
  void DefineProperties(TFiler* Filer) override {
    inherited::DefineProperties(Filer);
    Filer->DefineBinaryProperty(
        u"Blob",
        [this](TStream* s) {
          Blob.resize(static_cast<size_t>(s->Size()));
          if (!Blob.empty()) s->ReadBuffer(Blob.data(), static_cast<Integer>(Blob.size()));
        },
        [this](TStream* s) { s->WriteBuffer(Blob.data(), static_cast<Integer>(Blob.size())); }, !Blob.empty());
    Filer->DefineProperty(
        u"Notes",
        [this](TReader* r) {
          Notes.clear();
          r->ReadListBegin();
          while (!r->EndOfList()) Notes.push_back(r->ReadString());
          r->ReadListEnd();
        },
        [this](TWriter* w) {
          w->WriteListBegin();
          for (auto& n : Notes) w->WriteString(n);
          w->WriteListEnd();
        },
        !Notes.empty());
  }

  void Notification(TComponent* AComponent, TOperation Operation) override {
    inherited::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FBuddy) FBuddy = nullptr;
  }

 private:
  Integer FWidth = 100;
  Int64 FBig = 0;
  TShade FShade = shNone;
  TShades FShades{shLight};
  bool FVisible = true;
  double FRatio = 0, FWhen = 0, FPrice = 0;
  float FScale = 0;
  String FCaption;
  Char FHot = 0;
  std::unique_ptr<TStyle> FStyle;
  std::unique_ptr<TOwnedCollection> FColumns;
  std::unique_ptr<TStringList> FLines = std::make_unique<TStringList>();
  TWidget* FBuddy = nullptr;
  TNotifyEvent FOnClick;
  Integer FHidden = 0, FCounter = 0;
  Integer FEdges[2] = {0, 0};
  Integer FColour = 0;
};

// A widget that redeclares Width with another default.
class TWideWidget : public TWidget {
  QN_CLASS_CREATE(TWideWidget, TWidget, TComponent)
 public:
  explicit TWideWidget(TComponent* AOwner) : TWidget(AOwner) { SetWidth(200); }
  QN_PUBLISHED(TWideWidget) {
    QN_PROP(Width).Default(200);
  }
};

// A root that owns widgets and publishes event handlers.
class TPanelForm : public TComponent {
  QN_CLASS_CREATE(TPanelForm, TComponent, TComponent)
 public:
  using TComponent::TComponent;
  Integer Clicks = 0;
  void WidgetClick(TObject*) { ++Clicks; }
  void OtherClick(TObject*) { Clicks += 10; }
  void GetChildren(const TGetChildProc& Proc, TComponent* Root) override {
    (void)Root;
    for (Integer i = 0; i < ComponentCount(); ++i) Proc(Components(i));
  }
  QN_PUBLISHED(TPanelForm) {
    QN_METHOD(WidgetClick);
    QN_METHOD(OtherClick);
  }
};

inline void RegisterTestClasses() {
  RegisterClasses({TWidget::StaticClass(), TWideWidget::StaticClass(), TPanelForm::StaticClass(),
                   TDataModule::StaticClass()});
}

// Reads a text form into a new component; the caller frees it.
inline TComponent* LoadText(const std::string& text, TComponent* into = nullptr) {
  return TextToComponent(text, into);
}

inline std::string TextToBinary(const std::string& text) {
  TMemoryStream in, out;
  in.WriteBuffer(text.data(), static_cast<Integer>(text.size()));
  in.SetPosition(0);
  ObjectTextToBinary(&in, &out);
  return std::string(static_cast<const char*>(out.Memory()), static_cast<size_t>(out.Size()));
}

inline std::string BinaryToText(const std::string& bin) {
  TMemoryStream in, out;
  if (!bin.empty()) in.WriteBuffer(bin.data(), static_cast<Integer>(bin.size()));
  in.SetPosition(0);
  ObjectBinaryToText(&in, &out);
  return std::string(static_cast<const char*>(out.Memory()), static_cast<size_t>(out.Size()));
}

}  // namespace strtest
