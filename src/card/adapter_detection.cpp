#include "card/adapter_detection.h"

namespace quillon::card {

std::vector<AdapterListEntry> detectUsableAdapters(AdapterSession& session, AccessLibrary& library,
                                                   Registry& registry) {
    session.closeAdapter();
    std::vector<AdapterListEntry> list;
    listAdapters(library, registry, list);
    // Walking backwards keeps the positions of the entries not yet tested equal to their
    // indices, which is what openAdapter is given.
    for (std::size_t position = list.size(); position-- > 0;) {
        if (session.openAdapter(static_cast<std::uint32_t>(position))) {
            session.closeAdapter();
        } else {
            list.erase(list.begin() + static_cast<std::ptrdiff_t>(position));
        }
    }
    return list;
}

std::vector<AdapterListEntry> detectUsableAdapters(AccessLibrary& library, Registry& registry,
                                                   ui::UserInterface& ui) {
    AdapterSession session(library, registry, ui);
    return detectUsableAdapters(session, library, registry);
}

}  // namespace quillon::card
