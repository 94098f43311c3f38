// uQnFormSkinVar: the form-skin settings every skinned form shares. A
// TQnFormSkinRes holds the look (colours, title height, frame, background
// picture) and tells its owner and OnChanged when a setting really changes,
// once per BeginUpdate/EndUpdate batch and never while locked. gQnFormStyle is
// the process-wide default; gHSB the process-wide tint.
#pragma once
#include "platform/rtl/MacroShield.h"

#include <memory>

#include "platform/classes/Component.h"
#include "platform/classes/PropInfo.h"
#include "skin/forms/uQnFormBorder.h"
#include "skin/foundation/uQuarnIntf.h"

namespace qn {

// Hue, saturation and brightness of the global tint.
struct THSB {
  Integer H = 0;
  Integer S = 0;
  Integer B = 0;
};
extern THSB gHSB;

class TQnFormSkinRes;

// The owner a settings object reports to: the skin configuration component
// derives from it and pushes the settings to every skinned form in Apply.
class TQnCustomSkinRes : public TComponent {
  QN_CLASS(TQnCustomSkinRes, TComponent)
 public:
  explicit TQnCustomSkinRes(TComponent* AOwner) : TComponent(AOwner) {}
  virtual void Apply() = 0;
  virtual TQnFormSkinRes* Form() const = 0;
};

// Calls back when a component it watches is destroyed: gives objects that
// are not components themselves (settings) a free notification.
class TQnFreeLink : public TComponent {
  QN_CLASS(TQnFreeLink, TComponent)
 public:
  explicit TQnFreeLink(TNotifyEvent OnFree) : TComponent(nullptr), FOnFree(std::move(OnFree)) {}
  ~TQnFreeLink() override;
  // Watches Value instead of the previous component (nil: nothing).
  void Watch(TComponent* Value);
  TComponent* Watched() const { return FWatched; }

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  TNotifyEvent FOnFree;
  TComponent* FWatched = nullptr;
};

class TQnFormSkinRes : public TPersistent {
  QN_CLASS(TQnFormSkinRes, TPersistent)
 public:
  explicit TQnFormSkinRes(TQnCustomSkinRes* AOwner);
  ~TQnFormSkinRes() override;
  // Copies the published settings and CustomPictureName, with one
  // notification; other sources raise the platform's assignment error.
  void Assign(TPersistent* Source) override;

  void BeginUpdate() { ++FUpdateCount; }
  void EndUpdate();
  void Lock() { FLocked = true; }
  void UnLock() { FLocked = false; }
  bool Locked() const { return FLocked; }
  Integer UpdateCount() const { return FUpdateCount; }
  TQnCustomSkinRes* Owner() const { return FOwner; }

  // Notifying settings.
  TQuarnStyle Style() const { return FStyle; }
  void SetStyle(TQuarnStyle Value);
  TColor Color() const { return FColor; }
  void SetColor(TColor Value);
  TColor TitlerColor() const { return FTitlerColor; }
  void SetTitlerColor(TColor Value);
  Integer TitleHeight() const { return FTitleHeight; }
  void SetTitleHeight(Integer Value);
  Integer HitTestWidth() const { return FHitTestWidth; }
  void SetHitTestWidth(Integer Value);
  Integer GradientHeight() const { return GetGradientHeight(); }
  Integer GetGradientHeight() const { return FGradientHeight; }
  void SetGradientHeight(Integer Value);
  Integer DefaultSkinOrder() const { return FDefaultSkinOrder; }
  void SetDefaultSkinOrder(Integer Value);
  // Negative widths are ignored.
  Integer FramWidth() const { return FFramWidth; }
  void SetFramWidth(Integer Value);
  TQnResID CustomPicture() const { return FCustomPicture; }
  void SetCustomPicture(const TQnResID& Value);

  // Settings that only store.
  String CustomPictureName() const { return FCustomPictureName; }
  void SetCustomPictureName(const String& Value) { FCustomPictureName = Value; }
  Boolean ActiveGradient() const { return FActiveGradient; }
  void SetActiveGradient(Boolean Value) { FActiveGradient = Value; }
  Boolean DoubleFrame() const { return FDoubleFrame; }
  void SetDoubleFrame(Boolean Value) { FDoubleFrame = Value; }
  TQnFillStyle FillStyle() const { return FFillStyle; }
  void SetFillStyle(TQnFillStyle Value) { FFillStyle = Value; }
  Boolean FlatFrame() const { return FFlatFrame; }
  void SetFlatFrame(Boolean Value) { FFlatFrame = Value; }
  Boolean RoundWindow() const { return FRoundWindow; }
  void SetRoundWindow(Boolean Value) { FRoundWindow = Value; }
  // Not owned; cleared when the border is destroyed.
  TQnFormLayerBorder* ImageBorder() const { return FImageBorder; }
  void SetImageBorder(TQnFormLayerBorder* Value);
  TNotifyEvent OnChanged() const { return FOnChanged; }
  void SetOnChanged(const TNotifyEvent& Value) { FOnChanged = Value; }

  QN_PUBLISHED_DECL(TQnFormSkinRes) {
    QN_PROP(ActiveGradient).NoDefault();
    QN_PROP(DoubleFrame).NoDefault();
    QN_PROP(FillStyle).NoDefault();
    QN_PROP(FlatFrame).NoDefault();
    QN_PROP(RoundWindow).NoDefault();
    QN_PROP(ImageBorder);
    QN_PROP(TitleHeight).NoDefault();
    QN_PROP(TitlerColor).TypeName(u"TColor").NoDefault();
    QN_PROP(Color).TypeName(u"TColor").NoDefault();
    QN_PROP(FramWidth).NoDefault();
    QN_PROP(HitTestWidth).NoDefault();
    QN_PROP(GradientHeight).NoDefault();
    QN_PROP(CustomPicture).TypeName(u"TQnResID").Stored(true);
    QN_PROP(Style).NoDefault();
    QN_PROP(DefaultSkinOrder).NoDefault();
  }

 protected:
  // Nothing while updating or locked; otherwise the owner's Apply, then OnChanged.
  virtual void DoChanged();
  void PictureChanged() { DoChanged(); }

 private:
  void BorderFreed(TObject* Sender);

  TQnResID FCustomPicture;
  Integer FHitTestWidth = 5;
  Integer FTitleHeight = 27;
  TColor FColor = 15920353;
  TColor FTitlerColor = 16761926;
  TQuarnStyle FStyle = ssColor;
  Integer FFramWidth = 2;
  TNotifyEvent FOnChanged;
  Integer FUpdateCount = 0;
  String FCustomPictureName;
  Integer FDefaultSkinOrder = 0;
  Integer FGradientHeight = 168;
  TQnCustomSkinRes* FOwner;
  Boolean FLocked = false;
  TQnFormLayerBorder* FImageBorder = nullptr;
  Boolean FActiveGradient = true;
  Boolean FDoubleFrame = true;
  TQnFillStyle FFillStyle = mfsBlur;
  Boolean FRoundWindow = true;
  Boolean FFlatFrame = false;
  std::unique_ptr<TQnFreeLink> FBorderLink;
};

// The process-wide default settings (owner nil), created by the unit's
// initialisation and freed by its finalisation.
extern TQnFormSkinRes* gQnFormStyle;

void InitQnFormSkinVar();
void DoneQnFormSkinVar();

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
