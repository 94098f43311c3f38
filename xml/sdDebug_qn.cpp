#include "xml/sdDebug_qn.h"

namespace qn {

const char* cWarnStyleNames(TsdWarnStyle Style) {
  switch (Style) {
    case wsInfo: return "info";
    case wsHint: return "hint";
    case wsWarn: return "warn";
    case wsFail: return "fail";
  }
  return "";
}

void TDebugComponent::DoDebugOut(TObject* Sender, TsdWarnStyle WarnStyle, const UTF8String& AMessage) {
  TComponent* c = this;
  while (c && c->Is<TDebugComponent>()) {
    auto* d = static_cast<TDebugComponent*>(c);
    if (Assigned(d->FOnDebugOut)) {
      d->FOnDebugOut(Sender, WarnStyle, AMessage);
      return;
    }
    c = c->Owner();
  }
}

bool TDebugComponent::HasDebugHandler() const {
  const TComponent* c = this;
  while (c && c->Is<TDebugComponent>()) {
    if (Assigned(static_cast<const TDebugComponent*>(c)->FOnDebugOut)) return true;
    c = c->Owner();
  }
  return false;
}

void TDebugPersistent::DoDebugOut(TObject* Sender, TsdWarnStyle WarnStyle, const UTF8String& AMessage) {
  if (FOwner) FOwner->DoDebugOut(Sender, WarnStyle, AMessage);
}

void TDebugObject::DoDebugOut(TObject* Sender, TsdWarnStyle WarnStyle, const UTF8String& AMessage) {
  if (Assigned(FOnDebugOut)) FOnDebugOut(Sender, WarnStyle, AMessage);
}

UTF8String sdDebugMessageToString(TObject* Sender, TsdWarnStyle WarnStyle, const UTF8String& AMessage) {
  UTF8String cls = Sender ? ToUtf8(Sender->ClassName()) : UTF8String();
  return "[" + UTF8String(cWarnStyleNames(WarnStyle)) + "] " + cls + ": " + AMessage;
}

UTF8String sdClassName(TObject* AObject) { return AObject ? ToUtf8(AObject->ClassName()) : UTF8String("nil"); }

}  // namespace qn
