// The adapters a person can choose from: those listed in the registry that also open, which
// includes the driver accepting the aux-port request (adapters of other chipsets refuse it).
#pragma once

#include <vector>

#include "card/access_library.h"
#include "card/adapter_discovery.h"
#include "card/adapter_session.h"
#include "card/registry.h"
#include "ui/user_interface.h"

namespace quillon::card {

// Closes the session, lists the candidates and keeps those that open (closing each again).
// Item data stay the adapters' indices. Empty when none qualifies; the caller then shows the
// single entry kNoAdaptersDetected with item data 0.
std::vector<AdapterListEntry> detectUsableAdapters(AdapterSession& session, AccessLibrary& library,
                                                   Registry& registry);

// The same with a session of its own.
std::vector<AdapterListEntry> detectUsableAdapters(AccessLibrary& library, Registry& registry,
                                                   ui::UserInterface& ui);

}  // namespace quillon::card
