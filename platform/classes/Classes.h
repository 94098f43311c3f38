// The platform's Classes unit: persistence, components, collections, lists,
// string lists, streams, threads and locks.
#pragma once
#include "platform/rtl/MacroShield.h"

#include "platform/classes/Persistent.h"
#include "platform/classes/Component.h"
#include "platform/classes/Collection.h"
#include "platform/classes/Lists.h"
#include "platform/classes/Streams.h"
#include "platform/classes/Strings.h"
#include "platform/classes/Threads.h"
#include "platform/classes/ComponentList.h"
#include "platform/classes/PropInfo.h"
#include "platform/classes/Streaming.h"
#include "platform/classes/FormText.h"

#include "platform/rtl/MacroShieldEnd.h"
