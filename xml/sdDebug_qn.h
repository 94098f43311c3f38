// The debug-output chain every object of the XML library reports through.
// Reading a document never raises for bad data: problems travel, with a
// severity, to the first object up the chain that listens, and are dropped
// when nobody does.
#pragma once
#include "platform/rtl/MacroShield.h"

#include "graphics/raster/QnBase.h"
#include "platform/classes/Component.h"

namespace qn {

enum class TsdWarnStyle : Byte { wsInfo, wsHint, wsWarn, wsFail };
inline constexpr TsdWarnStyle wsInfo = TsdWarnStyle::wsInfo;
inline constexpr TsdWarnStyle wsHint = TsdWarnStyle::wsHint;
inline constexpr TsdWarnStyle wsWarn = TsdWarnStyle::wsWarn;
inline constexpr TsdWarnStyle wsFail = TsdWarnStyle::wsFail;

// "info", "hint", "warn", "fail".
const char* cWarnStyleNames(TsdWarnStyle Style);

using TsdDebugEvent = TEvent<void(TObject* Sender, TsdWarnStyle WarnStyle, const UTF8String& AMessage)>;

class TDebugComponent : public TComponent {
  QN_CLASS_CREATE(TDebugComponent, TComponent, TComponent)
 public:
  explicit TDebugComponent(TComponent* AOwner) : TComponent(AOwner) {}
  // Finds the first handler on this component or up its owners (as long as
  // they are debug components) and hands it the message unchanged.
  virtual void DoDebugOut(TObject* Sender, TsdWarnStyle WarnStyle, const UTF8String& AMessage);
  // Whether this DoDebugOut (not an override) would reach a handler: a
  // message that takes work to build need not be built for nobody.
  bool HasDebugHandler() const;
  const TsdDebugEvent& OnDebugOut() const { return FOnDebugOut; }
  void SetOnDebugOut(const TsdDebugEvent& Value) { FOnDebugOut = Value; }

 protected:
  TsdDebugEvent FOnDebugOut;
};

class TDebugPersistent : public TPersistent {
  QN_CLASS(TDebugPersistent, TPersistent)
 public:
  explicit TDebugPersistent(TDebugComponent* AOwner) : FOwner(AOwner) {}
  virtual void DoDebugOut(TObject* Sender, TsdWarnStyle WarnStyle, const UTF8String& AMessage);
  TDebugComponent* Owner() const { return FOwner; }

 protected:
  TDebugComponent* FOwner = nullptr;
};

class TDebugObject : public TObject {
  QN_CLASS(TDebugObject, TObject)
 public:
  virtual void DoDebugOut(TObject* Sender, TsdWarnStyle WarnStyle, const UTF8String& AMessage);
  const TsdDebugEvent& OnDebugOut() const { return FOnDebugOut; }
  void SetOnDebugOut(const TsdDebugEvent& Value) { FOnDebugOut = Value; }

 protected:
  TsdDebugEvent FOnDebugOut;
};

// "[warn] TsdXmlParser: unknown encoding"; the class part is empty for nil.
UTF8String sdDebugMessageToString(TObject* Sender, TsdWarnStyle WarnStyle, const UTF8String& AMessage);
// The class name, "nil" for nil.
UTF8String sdClassName(TObject* AObject);

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
