#include "cli/card_access.h"

namespace quillon::cli {

// No adapter-access library exists here: the simulated bench is the card.
std::unique_ptr<CardAccess> openPlatformCardAccess(CliIo& io, const GlobalOptions& global) {
    return openBenchAccess(io, global);
}

}  // namespace quillon::cli
