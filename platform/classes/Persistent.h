// TPersistent: the base of everything that can be assigned and streamed.
// Assignment is double dispatch: Dest->Assign(Source) first lets the
// destination recognise the source; a destination that does not falls back
// to Source->AssignTo(Dest), so either side can know how to copy the other.
//
// Destruction: `delete` on a persistent object first calls BeforeDestruction
// on the still whole object (a destroying operator delete), then runs the
// destructors. Components, collections and string lists use it for the work
// the platform does while the object's class is still the real one
// (notifying partners, clearing with the derived hooks). Objects that are
// not on the heap skip BeforeDestruction; their destructors do what must be
// done regardless.
#pragma once
#include "platform/rtl/MacroShield.h"

#include <cstddef>
#include <new>

#include "platform/rtl/System.h"

namespace vcl {

// Implemented by the streaming unit; DefineProperties only passes it on.
class TFiler;
class TReader;
class TWriter;
class TPublishedClass;

class TPersistent : public TObject {
  QN_CLASS(TPersistent, TObject)
 public:
  TPersistent() = default;

  static void operator delete(TPersistent* p, std::destroying_delete_t);
  // Used only when a constructor throws; memory comes from the global heap.
  static void operator delete(void* p);
  static void* operator new(std::size_t n);
  static void* operator new(std::size_t, void* where) noexcept { return where; }
  // Runs before the destructors of a deleted object; must not throw.
  virtual void BeforeDestruction();

  // Copies Source into this object. The default asks Source->AssignTo(this);
  // a nil source or a pair nobody knows raises EConvertError.
  virtual void Assign(TPersistent* Source);
  // The object this one belongs to for naming and streaming (nil for none).
  virtual TPersistent* GetOwner();
  // The owner's name path, '.', then this object's class name.
  virtual String GetNamePath();

  // Published-property metadata (PropInfo.h); QN_PUBLISHED overrides both.
  static const TPublishedClass* StaticPublished();
  virtual const TPublishedClass* PublishedClass() const;

 protected:
  virtual void AssignTo(TPersistent* Dest);
  // Lets a class stream data that is not a published property.
  virtual void DefineProperties(TFiler* Filer);
  // Raises "Cannot assign a <source> to a <this>", "nil" for no source.
  [[noreturn]] void AssignError(TPersistent* Source);

  friend class TFiler;
  friend class TReader;
  friend class TWriter;
};

using TPersistentClass = TClass;

}  // namespace vcl

#include "platform/rtl/MacroShieldEnd.h"
