#include "skin/extended/uQuarnPng.h"

namespace qn {

void InitQuarnPng() { RegisterClasses({TQuarnPng::StaticClass()}); }

}  // namespace qn
