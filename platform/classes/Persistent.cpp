#include "platform/classes/Persistent.h"

namespace vcl {

void* TPersistent::operator new(std::size_t n) { return ::operator new(n); }
void TPersistent::operator delete(void* p) { ::operator delete(p); }

void TPersistent::operator delete(TPersistent* p, std::destroying_delete_t) {
  void* whole = dynamic_cast<void*>(p);
  try {
    p->BeforeDestruction();
  } catch (...) {
    // A failing override must not leak the object or leave it half-freed.
  }
  p->~TPersistent();
  ::operator delete(whole);
}

void TPersistent::BeforeDestruction() {}

void TPersistent::Assign(TPersistent* Source) {
  if (Source) Source->AssignTo(this);
  else AssignError(nullptr);
}

void TPersistent::AssignTo(TPersistent* Dest) { Dest->AssignError(this); }

void TPersistent::AssignError(TPersistent* Source) {
  String source = Source ? Source->ClassName() : String(u"nil");
  throw EConvertError(u"Cannot assign a " + source + u" to a " + ClassName());
}

TPersistent* TPersistent::GetOwner() { return nullptr; }

String TPersistent::GetNamePath() {
  String result = ClassName();
  if (TPersistent* owner = GetOwner()) {
    String s = owner->GetNamePath();
    if (!s.empty()) result = s + u"." + result;
  }
  return result;
}

void TPersistent::DefineProperties(TFiler*) {}

}  // namespace vcl
