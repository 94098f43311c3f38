#include <gtest/gtest.h>

#include "tests/platform/streaming/TestClasses.h"

namespace t_typ_info_test {

using namespace vcl;
using namespace strtest;

namespace {

std::vector<String> Names(const TObject* o) {
  std::vector<String> r;
  for (const TPropInfo* p : GetPropInfos(o)) r.push_back(p->Name());
  return r;
}

TEST(Platform_StreamingTypInfo, PropertiesInDeclarationOrderWithInheritedFirst) {
  TWidget w(nullptr);
  auto names = Names(&w);
  ASSERT_GE(names.size(), 4u);
  EXPECT_EQ(names[0], u"Name");
  EXPECT_EQ(names[1], u"Tag");
  EXPECT_EQ(names[2], u"Width");
  EXPECT_EQ(names.back(), u"EdgeTop");
  // A redeclared property keeps its parent's place and takes the new default.
  TWideWidget ww(nullptr);
  EXPECT_EQ(Names(&ww), names);
  EXPECT_EQ(GetPropInfo(&ww, u"width")->Default(), 200);
  EXPECT_EQ(GetPropInfo(&ww, u"Width")->DeclaringClass(), TWideWidget::StaticClass());
  EXPECT_EQ(GetPropInfo(&w, u"Width")->DeclaringClass(), TWidget::StaticClass());
  EXPECT_EQ(GetPropInfo(&w, u"Name")->DeclaringClass(), TComponent::StaticClass());
  EXPECT_EQ(GetPropInfo(&w, u"NoSuch"), nullptr);
}

TEST(Platform_StreamingTypInfo, KindsAndTypeMetadata) {
  TWidget w(nullptr);
  struct Case { const char16_t* name; TTypeKind kind; const char16_t* type; };
  const Case cases[] = {
      {u"Width", tkInteger, u"Integer"},     {u"Big", tkInt64, u"Int64"},
      {u"Shade", tkEnumeration, u"TShade"},  {u"Shades", tkSet, u"TShades"},
      {u"Visible", tkEnumeration, u"Boolean"}, {u"Ratio", tkFloat, u"Double"},
      {u"Caption", tkUString, u"TCaption"},  {u"Hot", tkWChar, u"Char"},
      {u"Style", tkClass, u"TStyle"},         {u"Buddy", tkClass, u"TWidget"},
      {u"Name", tkUString, u"TComponentName"}, {u"When", tkFloat, u"TDateTime"},
  };
  for (const Case& c : cases) {
    const TPropInfo* p = GetPropInfo(&w, c.name);
    ASSERT_NE(p, nullptr) << ToUtf8(c.name);
    EXPECT_EQ(p->Kind(), c.kind) << ToUtf8(c.name);
    EXPECT_EQ(p->PropType().Name, c.type) << ToUtf8(c.name);
  }
  EXPECT_EQ(GetPropInfo(&w, u"Shades")->PropType().EnumType, TypeInfo<TShade>());
  EXPECT_EQ(GetPropInfo(&w, u"Style")->PropType().ClassType, TStyle::StaticClass());
  EXPECT_EQ(GetPropInfo(&w, u"Scale")->PropType().FloatType, ftSingle);
  EXPECT_EQ(GetPropInfo(&w, u"Price")->PropType().FloatType, ftCurr);
  EXPECT_TRUE(GetPropInfo(&w, u"When")->PropType().IsDate);
  EXPECT_EQ(GetPropInfo(&w, u"EdgeTop")->Index(), 1);
  EXPECT_EQ(GetPropList(&w, {tkClass, tkMethod}).size(), 5u);
}

TEST(Platform_StreamingTypInfo, GetAndSetByName) {
  TWidget w(nullptr);
  SetOrdProp(&w, u"WIDTH", 42);
  EXPECT_EQ(w.Width(), 42);
  SetEnumProp(&w, u"Shade", u"shDark");
  EXPECT_EQ(w.Shade(), shDark);
  EXPECT_EQ(GetEnumProp(&w, u"Shade"), u"shDark");
  SetSetProp(&w, u"Shades", u"[shNone, shDeep]");
  EXPECT_EQ(w.Shades(), (TShades{shNone, shDeep}));
  EXPECT_EQ(GetSetProp(&w, u"Shades", true), u"[shNone,shDeep]");
  SetStrProp(&w, u"Caption", u"Hi");
  EXPECT_EQ(GetStrProp(&w, u"Caption"), u"Hi");
  SetFloatProp(&w, u"Ratio", 2.5);
  EXPECT_EQ(w.Ratio(), 2.5);
  SetPropValue(&w, u"Visible", TPropValue::FromString(u"False"));
  EXPECT_FALSE(w.Visible());
  SetOrdProp(&w, u"EdgeTop", 9);
  EXPECT_EQ(w.Edge(1), 9);
  EXPECT_EQ(w.Edge(0), 0);
  EXPECT_EQ(GetOrdProp(&w, u"EdgeTop"), 9);

  TWidget other(nullptr);
  SetObjectProp(&w, u"Buddy", &other);
  EXPECT_EQ(w.Buddy(), &other);
  EXPECT_EQ(GetObjectProp(&w, u"Buddy"), &other);
  TStyle notAWidget;
  EXPECT_THROW(SetObjectProp(&w, u"Buddy", &notAWidget), EPropertyConvertError);
  EXPECT_EQ(w.Buddy(), &other);
  SetObjectProp(&w, u"Buddy", nullptr);

  EXPECT_THROW(SetOrdProp(&w, u"Nope", 1), EPropertyError);
  EXPECT_THROW(SetEnumProp(&w, u"Shade", u"shPurple"), EPropertyConvertError);
  EXPECT_THROW(SetOrdProp(&w, u"Shade", 9), ERangeError);
  EXPECT_THROW(SetOrdProp(&w, u"Shades", 1 << 5), ERangeError);
  EXPECT_THROW(SetStrProp(&w, u"Width", u"x"), EPropertyConvertError);
  EXPECT_EQ(w.Shade(), shDark);
}

TEST(Platform_StreamingTypInfo, DefaultsAndStoredPredicates) {
  TWidget w(nullptr);
  auto def = [&](const char16_t* n) { return GetPropInfo(&w, n)->IsDefaultValue(&w); };
  EXPECT_TRUE(def(u"Width"));
  EXPECT_FALSE(def(u"Big"));  // no default: always written
  EXPECT_TRUE(def(u"Shades"));
  EXPECT_TRUE(def(u"Caption"));
  EXPECT_TRUE(def(u"Ratio"));
  w.SetShades({});
  w.SetCaption(u"x");
  EXPECT_FALSE(def(u"Shades"));
  EXPECT_FALSE(def(u"Caption"));
  EXPECT_FALSE(IsStoredProp(&w, u"Hidden"));
  EXPECT_FALSE(IsStoredProp(&w, u"Name"));
  EXPECT_TRUE(IsStoredProp(&w, u"Counter"));
  w.SetCounter(7);
  EXPECT_FALSE(IsStoredProp(&w, u"Counter"));
}

TEST(Platform_StreamingTypInfo, PublishedMethodsBindEvents) {
  TPanelForm form(nullptr);
  TWidget* w = new TWidget(&form);
  const TMethodInfo* m = MethodAddress(&form, u"widgetclick");
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(MethodAddress(&form, u"Missing"), nullptr);
  SetMethodProp(w, u"OnClick", m->MakeEvent(&form));
  w->OnClick()(w);
  EXPECT_EQ(form.Clicks, 1);
  EXPECT_EQ(MethodName(&form, GetMethodProp(w, u"OnClick")), u"WidgetClick");
  w->SetOnClick(MakeEvent(&form, &TPanelForm::OtherClick));
  EXPECT_EQ(MethodName(&form, GetMethodProp(w, u"OnClick")), u"OtherClick");
  // An event bound to another instance has no name on this one.
  TPanelForm other(nullptr);
  w->SetOnClick(MakeEvent(&other, &TPanelForm::OtherClick));
  EXPECT_EQ(MethodName(&form, GetMethodProp(w, u"OnClick")), u"");
  SetMethodProp(w, u"OnClick", std::any());
  EXPECT_FALSE(Assigned(w->OnClick()));
  // A value of another event type is refused.
  EXPECT_THROW(SetMethodProp(w, u"OnClick", std::any(42)), EPropertyConvertError);
}

struct IPainter : virtual IInterface {
  static constexpr TGUID IID = MakeGUID("{7C1D2E40-0B8A-4D6E-9F31-2A5B6C7D8E90}");
  virtual Integer Colour() = 0;
};
struct IOther : virtual IInterface {
  static constexpr TGUID IID = MakeGUID("{7C1D2E40-0B8A-4D6E-9F31-2A5B6C7D8E91}");
};

class TPainter : public TInterfacedObject, public IPainter {
  QN_CLASS(TPainter, TInterfacedObject)
  QN_INTERFACES(IPainter)
 public:
  Integer Colour() override { return 7; }
};
class TOther : public TInterfacedObject, public IOther {
  QN_CLASS(TOther, TInterfacedObject)
  QN_INTERFACES(IOther)
};

class TCanvasHolder : public TPersistent {
  QN_CLASS(TCanvasHolder, TPersistent)
 public:
  TIntf<IPainter> Painter() const { return FPainter; }
  void SetPainter(const TIntf<IPainter>& v) { FPainter = v; }
  QN_PUBLISHED(TCanvasHolder) { QN_PROP(Painter).TypeName(u"IPainter"); }

 private:
  TIntf<IPainter> FPainter;
};

TEST(Platform_StreamingTypInfo, InterfacePropertiesQueryTheObject) {
  TCanvasHolder h, copy;
  const TPropInfo* p = GetPropInfo(&h, u"Painter");
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p->Kind(), tkInterface);
  EXPECT_EQ(p->PropType().InterfaceGUID, IPainter::IID);
  EXPECT_TRUE(p->IsDefaultValue(&h));
  TIntf<IInterface> painter(static_cast<IPainter*>(new TPainter));
  SetInterfaceProp(&h, u"Painter", painter);
  ASSERT_TRUE(h.Painter());
  EXPECT_EQ(h.Painter()->Colour(), 7);
  // An object without the interface is refused and leaves the value.
  TIntf<IInterface> other(static_cast<IOther*>(new TOther));
  EXPECT_THROW(SetInterfaceProp(&h, u"Painter", other), EPropertyConvertError);
  EXPECT_EQ(GetInterfaceProp(&h, u"Painter").get(), painter.get());
  EXPECT_EQ(CopyPublishedProperties(&h, &copy), 1);
  EXPECT_EQ(copy.Painter().get(), h.Painter().get());
  SetInterfaceProp(&h, u"Painter", nullptr);
  EXPECT_FALSE(h.Painter());
}

TEST(Platform_StreamingTypInfo, CopyPublishedPropertiesSkipsEvents) {
  TPanelForm form(nullptr);
  auto* a = new TWidget(&form);
  auto* b = new TWidget(&form);
  auto* target = new TWidget(&form);
  a->SetName(u"A");
  b->SetName(u"B");
  a->SetWidth(5);
  a->SetShade(shDeep);
  a->SetCaption(u"cap");
  a->SetRatio(0.25);
  a->Style()->SetSize(12);
  a->SetBuddy(target);
  a->SetOnClick(MakeEvent(&form, &TPanelForm::WidgetClick));
  a->SetEdge(1, 3);
  EXPECT_GT(CopyPublishedProperties(a, b), 5);
  EXPECT_EQ(b->Name(), u"B");
  EXPECT_EQ(b->Width(), 5);
  EXPECT_EQ(b->Shade(), shDeep);
  EXPECT_EQ(b->Caption(), u"cap");
  EXPECT_EQ(b->Ratio(), 0.25);
  EXPECT_EQ(b->Style()->Size(), 12);
  EXPECT_NE(b->Style(), a->Style());
  EXPECT_EQ(b->Buddy(), target);
  EXPECT_EQ(b->Edge(1), 3);
  EXPECT_FALSE(Assigned(b->OnClick()));

  // Limited to some kinds.
  auto* c = new TWidget(&form);
  EXPECT_EQ(CopyPublishedProperties(a, c, TTypeKinds{tkEnumeration}), 2);  // Shade, Visible
  EXPECT_EQ(c->Shade(), shDeep);
  EXPECT_EQ(c->Width(), 100);
  EXPECT_EQ(CopyPublishedProperties(a, c, tkAny), CopyPublishedProperties(a, b));
}

}  // namespace

}  // namespace t_typ_info_test
