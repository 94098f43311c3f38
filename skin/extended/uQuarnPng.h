// uQuarnPng: an empty component a form can carry. It holds no data of its
// own; only the component's name and tag reach the form file.
#pragma once
#include "platform/rtl/MacroShield.h"

#include "platform/classes/Component.h"

namespace qn {

using namespace vcl;

class TQuarnPng : public TComponent {
  QN_CLASS_CREATE(TQuarnPng, TComponent, TComponent)
 public:
  explicit TQuarnPng(TComponent* AOwner) : TComponent(AOwner) {}
};

void InitQuarnPng();

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
