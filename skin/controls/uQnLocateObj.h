// uQnLocateObj: two small value objects of the library-drawn edit: the
// anchor of one in-box item (distance from the left or the right edge and
// from the top) and the edit's inner text margins. Both report every
// effective change so the edit can repaint.
#pragma once
#include "platform/rtl/MacroShield.h"

#include "platform/classes/Persistent.h"
#include "skin/foundation/uQuarnIntf.h"

namespace qn {

enum class TQnAlign { agLeft, agRight };
QN_ENUM_NAMES(TQnAlign, agLeft, agRight)
using enum TQnAlign;

class TQnLocateObj : public TPersistent {
  QN_CLASS(TQnLocateObj, TPersistent)
 public:
  TQnLocateObj() = default;

  // From another anchor through the setters (so OnChange fires per change).
  void Assign(TPersistent* Source) override;

  Integer X() const { return FX; }
  void SetX(Integer Value) { Store(FX, Value); }
  Integer Y() const { return FY; }
  void SetY(Integer Value) { Store(FY, Value); }
  TQnAlign Align() const { return FAlign; }
  void SetAlign(TQnAlign Value) { Store(FAlign, Value); }
  const TNotifyEvent& OnChange() const { return FOnChange; }
  void SetOnChange(const TNotifyEvent& Value) { FOnChange = Value; }

  QN_PUBLISHED_DECL(TQnLocateObj) {
    QN_PROP(X).Default(0);
    QN_PROP(Y).Default(0);
    QN_PROP(Align).Default(agLeft);
  }

 private:
  template <class T>
  void Store(T& Field, const T& Value) {
    if (Field == Value) return;
    Field = Value;
    if (Assigned(FOnChange)) FOnChange(this);
  }
  Integer FX = 0;
  Integer FY = 0;
  TQnAlign FAlign = agLeft;
  TNotifyEvent FOnChange;
};

class TQnSpaceSize : public TPersistent {
  QN_CLASS(TQnSpaceSize, TPersistent)
 public:
  TQnSpaceSize() = default;

  // Copies the five values from another margin set: form files and
  // callers assign margins as a whole.
  void Assign(TPersistent* Source) override;

  bool Active() const { return FActive; }
  void SetActive(bool Value) { Store(FActive, Value); }
  Integer Left() const { return FLeft; }
  void SetLeft(Integer Value) { Store(FLeft, Value); }
  Integer Top() const { return FTop; }
  void SetTop(Integer Value) { Store(FTop, Value); }
  Integer Right() const { return FRight; }
  void SetRight(Integer Value) { Store(FRight, Value); }
  Integer Bottom() const { return FBottom; }
  void SetBottom(Integer Value) { Store(FBottom, Value); }
  const TNotifyEvent& OnChange() const { return FOnChange; }
  void SetOnChange(const TNotifyEvent& Value) { FOnChange = Value; }

  QN_PUBLISHED_DECL(TQnSpaceSize) {
    QN_PROP(Active).Default(true);
    QN_PROP(Left).Default(0);
    QN_PROP(Top).Default(0);
    QN_PROP(Right).Default(0);
    QN_PROP(Bottom).Default(0);
  }

 private:
  template <class T>
  void Store(T& Field, const T& Value) {
    if (Field == Value) return;
    Field = Value;
    if (Assigned(FOnChange)) FOnChange(this);
  }
  bool FActive = true;
  Integer FLeft = 0;
  Integer FTop = 0;
  Integer FRight = 0;
  Integer FBottom = 0;
  TNotifyEvent FOnChange;
};

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
