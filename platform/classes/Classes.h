// The platform's Classes unit: persistence, components, collections, lists,
// string lists, streams, threads and locks.
#pragma once

#include "platform/classes/Persistent.h"
#include "platform/classes/Component.h"
