// Loads a form file of plain components and prints the tree it built: every
// component with its class, its place on the design surface and the
// published values it holds. The file may be text or binary, with or without
// the resource header the designer writes before binary forms
// (ShopBinary.dfm next to this source is one).
//   formdemo [form file]     (default: Shop.dfm next to this source)
#include <cstdio>
#include <memory>

#include "package/Quarn.h"
#include "platform/classes/FormText.h"
#include "platform/rtl/SysUtils.h"

using namespace vcl;

namespace demo {

enum class TCounterKind { ckTill, ckStore };
QN_ENUM_NAMES(TCounterKind, ckTill, ckStore)
enum class TShelfKind { skFruit, skBread, skDairy };
QN_ENUM_NAMES(TShelfKind, skFruit, skBread, skDairy)
using TShelves = TSet<TShelfKind>;
QN_TYPE_NAME(TShelves)

class TStockItem : public TCollectionItem {
  QN_CLASS_CREATE(TStockItem, TCollectionItem, TCollection)
 public:
  using TCollectionItem::TCollectionItem;
  String Title() const { return FTitle; }
  void SetTitle(const String& v) { FTitle = v; }
  Integer Amount() const { return FAmount; }
  void SetAmount(Integer v) { FAmount = v; }
  QN_PUBLISHED(TStockItem) {
    QN_PROP(Title);
    QN_PROP(Amount).Default(0);
  }

 private:
  String FTitle;
  Integer FAmount = 0;
};

class TCounter : public TComponent {
  QN_CLASS_CREATE(TCounter, TComponent, TComponent)
 public:
  explicit TCounter(TComponent* AOwner)
      : TComponent(AOwner), FItems(std::make_unique<TOwnedCollection>(this, TStockItem::StaticClass())) {}
  ~TCounter() override { SetLinked(nullptr); }
  String Caption() const { return FCaption; }
  void SetCaption(const String& v) { FCaption = v; }
  Integer Count() const { return FCount; }
  void SetCount(Integer v) { FCount = v; }
  TCounterKind Kind() const { return FKind; }
  void SetKind(TCounterKind v) { FKind = v; }
  TShelves Shelves() const { return FShelves; }
  void SetShelves(TShelves v) { FShelves = v; }
  double Price() const { return FPrice; }
  void SetPrice(double v) { FPrice = v; }
  TCounter* Linked() const { return FLinked; }
  void SetLinked(TCounter* v) {
    if (FLinked) FLinked->RemoveFreeNotification(this);
    FLinked = v;
    if (v) v->FreeNotification(this);
  }
  TCollection* Items() const { return FItems.get(); }
  void SetItems(TCollection* v) { FItems->Assign(v); }

  QN_PUBLISHED(TCounter) {
    QN_PROP(Caption).TypeName(u"TCaption");
    QN_PROP(Count).Default(0);
    QN_PROP(Kind).Default(TCounterKind::ckTill);
    QN_PROP(Shelves).Default(TShelves{});
    QN_PROP(Price).TypeName(u"Currency");
    QN_PROP(Linked);
    QN_PROP(Items);
  }

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override {
    inherited::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FLinked) FLinked = nullptr;
  }

 private:
  String FCaption;
  Integer FCount = 0;
  TCounterKind FKind = TCounterKind::ckTill;
  TShelves FShelves;
  double FPrice = 0;
  TCounter* FLinked = nullptr;
  std::unique_ptr<TOwnedCollection> FItems;
};

class TShop : public TDataModule {
  QN_CLASS_CREATE(TShop, TDataModule, TComponent)
 public:
  using TDataModule::TDataModule;
  void ShopCreate(TObject*) { std::printf("OnCreate: the shop is open\n"); }
  QN_PUBLISHED(TShop) { QN_METHOD(ShopCreate); }
};

std::string Value(TObject* obj, const TPropInfo& p) {
  TPropValue v = p.GetValue(obj);
  switch (p.Kind()) {
    case tkEnumeration: return ToUtf8(GetEnumName(p.PropType().EnumType, static_cast<Integer>(v.Ordinal)));
    case tkSet: return ToUtf8(SetToString(p.PropType().EnumType, static_cast<UInt64>(v.Ordinal), true));
    case tkFloat: return ToUtf8(FloatToStr(v.Float));
    case tkUString: case tkWString: case tkLString: case tkString: return "'" + ToUtf8(v.Str) + "'";
    case tkMethod: return v.Method.has_value() ? "(handler)" : "nil";
    case tkClass:
      if (auto* c = dynamic_cast<TComponent*>(v.Object)) return "-> " + ToUtf8(c->Name());
      if (auto* coll = dynamic_cast<TCollection*>(v.Object)) return std::to_string(coll->Count()) + " items";
      return v.Object ? ToUtf8(v.Object->ClassName()) : "nil";
    default: return std::to_string(v.Ordinal);
  }
}

void PrintProps(TObject* obj, int indent) {
  for (const TPropInfo* p : GetPropInfos(obj)) {
    if (p->Name() == u"Name" || (p->Kind() != tkClass && p->IsDefaultValue(obj))) continue;
    std::printf("%*s%s: %s = %s\n", indent, "", ToUtf8(p->Name()).c_str(), ToUtf8(p->PropType().Name).c_str(),
                Value(obj, *p).c_str());
    if (auto* coll = dynamic_cast<TCollection*>(p->GetValue(obj).Object))
      for (Integer i = 0; i < coll->Count(); ++i) {
        std::printf("%*s[%d]\n", indent + 2, "", i);
        PrintProps(coll->Items(i), indent + 4);
      }
  }
}

void PrintTree(TComponent* c, int indent) {
  std::printf("%*s%s: %s\n", indent, "", ToUtf8(c->Name()).c_str(), ToUtf8(c->ClassName()).c_str());
  // Left in the low half, Top in the high half, each signed.
  if (const Integer info = c->DesignInfo())
    std::printf("%*s(designed at %d, %d)\n", indent + 2, "", int(int16_t(info & 0xFFFF)),
                int(int16_t(static_cast<Cardinal>(info) >> 16)));
  PrintProps(c, indent + 2);
  for (Integer i = 0; i < c->ComponentCount(); ++i) PrintTree(c->Components(i), indent + 2);
}

}  // namespace demo

int main(int argc, char** argv) {
  qn::Initialize();
  String file = argc > 1 ? FromUtf8(argv[1]) : FromUtf8(QN_FORMDEMO_DIR "/Shop.dfm");
  RegisterClasses({demo::TCounter::StaticClass(), demo::TShop::StaticClass()});
  int rc = 0;
  try {
    demo::TShop shop(nullptr);
    LoadFormFile(file, &shop);
    shop.DoCreate();
    PrintTree(&shop, 0);
    std::printf("\nWritten back:\n%s", ComponentToText(&shop).c_str());
  } catch (const Exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    rc = 1;
  }
  qn::Finalize();
  return rc;
}
