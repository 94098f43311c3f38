// Components for the design-host tests: a small class family with
// properties of the types editors are registered for, and a fixture that
// leaves no registration behind.
#pragma once

#include <gtest/gtest.h>

#include "platform/ide/DesignEditors.h"
#include "platform/ide/Inspector.h"
#include "platform/vcl/StdCtrls.h"
#include "tests/platform/vcl/FormsTestSupport.h"

namespace idetest {

using namespace vcl;

enum class TAboutTag { atPackage };
QN_ENUM_NAMES(TAboutTag, atPackage)

class TPart : public TComponent {
  QN_CLASS_CREATE(TPart, TComponent, TComponent)
 public:
  explicit TPart(TComponent* AOwner) : TComponent(AOwner) {}
  String ResID() const { return FResID; }
  void SetResID(const String& v) { FResID = v; }
  String Image() const { return FImage; }
  void SetImage(const String& v) { FImage = v; }
  String Caption() const { return FCaption; }
  void SetCaption(const String& v) { FCaption = v; }
  TAboutTag About() const { return TAboutTag::atPackage; }
  void SetAbout(TAboutTag) {}
  Integer Level() const { return FLevel; }
  void SetLevel(Integer v) { FLevel = v; }
  TNotifyEvent OnChange() const { return FOnChange; }
  void SetOnChange(const TNotifyEvent& v) { FOnChange = v; }
  TNotifyEvent OnClick() const { return FOnClick; }
  void SetOnClick(const TNotifyEvent& v) { FOnClick = v; }

  QN_PUBLISHED(TPart) {
    P.Property(u"QnResID", &TPart::ResID, &TPart::SetResID).TypeName(u"TQnResID");
    QN_PROP(Image).TypeName(u"TQnResID");
    QN_PROP(Caption);
    QN_PROP(About);
    QN_PROP(Level).Default(0);
    QN_PROP(OnClick);
    QN_PROP(OnChange);
  }

 private:
  String FResID, FImage, FCaption;
  Integer FLevel = 0;
  TNotifyEvent FOnChange, FOnClick;
};

class TMidPart : public TPart {
  QN_CLASS_CREATE(TMidPart, TPart, TComponent)
 public:
  using TPart::TPart;
};

class TLeafPart : public TMidPart {
  QN_CLASS_CREATE(TLeafPart, TMidPart, TComponent)
 public:
  using TMidPart::TMidPart;
};

// Editors that only tell which one was picked.
#define IDETEST_PROPERTY_EDITOR(Name)                                         \
  class Name : public TStringProperty {                                       \
    QN_CLASS_CREATE(Name, TStringProperty, TPropertyEditorArgs)               \
   public:                                                                    \
    using TStringProperty::TStringProperty;                                   \
  };
IDETEST_PROPERTY_EDITOR(TEditorA)
IDETEST_PROPERTY_EDITOR(TEditorB)
IDETEST_PROPERTY_EDITOR(TEditorC)
IDETEST_PROPERTY_EDITOR(TEditorD)

// A component editor with two verbs that counts what it ran.
class TPartEditor : public TComponentEditor {
  QN_CLASS_CREATE(TPartEditor, TComponentEditor, TComponentEditorArgs)
 public:
  using TComponentEditor::TComponentEditor;
  Integer GetVerbCount() override { return Component() ? 2 : 0; }
  String GetVerb(Integer Index) override { return Index == 0 ? u"Raise level" : u"Reset"; }
  void ExecuteVerb(Integer Index) override {
    auto* p = static_cast<TPart*>(Component());
    if (!p) return;
    p->SetLevel(Index == 0 ? p->Level() + 1 : 0);
    if (Designer()) Designer()->Modified();
  }
};
class TOtherPartEditor : public TPartEditor {
  QN_CLASS_CREATE(TOtherPartEditor, TPartEditor, TComponentEditorArgs)
 public:
  using TPartEditor::TPartEditor;
};

// Records what every designer tells, as "Event:Name" lines.
class TRecorder : public IDesignNotification {
 public:
  TRecorder() { RegisterDesignNotification(this); }
  ~TRecorder() override { UnregisterDesignNotification(this); }
  std::vector<std::string> Log;
  std::function<void(TPersistent*)> OnDeleted;
  void ItemInserted(IDesigner*, TPersistent* AItem) override { Log.push_back("Inserted:" + NameOf(AItem)); }
  void ItemDeleted(IDesigner*, TPersistent* AItem) override {
    Log.push_back("Deleted:" + NameOf(AItem));
    if (OnDeleted) OnDeleted(AItem);
  }
  void ItemsModified(IDesigner*) override { Log.push_back("Modified"); }
  void SelectionChanged(IDesigner*, const TDesignerSelections& S) override {
    Log.push_back("Selection:" + std::to_string(S.size()));
  }
  void DesignerOpened(IDesigner*, bool) override { Log.push_back("Opened"); }
  void DesignerClosed(IDesigner*, bool) override { Log.push_back("Closed"); }
  static std::string NameOf(TPersistent* p) {
    auto* c = dynamic_cast<TComponent*>(p);
    return c ? ToUtf8(c->Name()) : "?";
  }
};

class IdeTest : public formstest::FormsTest {
 protected:
  void SetUp() override {
    FormsTest::SetUp();
    ResetRegistrations();
    ClearDefaultEventRequests();
    ClearCollectionEditorCalls();
  }
  void TearDown() override {
    ResetRegistrations();
    FormsTest::TearDown();
  }
  static const TPropInfo* Prop(TObject* o, const char16_t* name) {
    const TPropInfo* p = GetPropInfo(o, name);
    EXPECT_NE(p, nullptr) << ToUtf8(name);
    return p;
  }
};

}  // namespace idetest
