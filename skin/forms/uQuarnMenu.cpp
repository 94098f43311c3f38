#include "skin/forms/uQuarnMenu.h"

QN_PUBLISHED_IMPL(qn::TQuarnMenu)
