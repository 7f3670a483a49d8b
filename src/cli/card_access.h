// The card a command works on: the simulated bench of --bench or QUILLON_BENCH, or, on
// Windows without them, the real adapter-access library and registry. Never a simulated card
// in place of a real one that is missing: that is an error which says so. The card stays
// locked against other processes while the CardAccess lives.
#pragma once

#include <memory>

#include "card/access_library.h"
#include "card/registry.h"
#include "cli/cli.h"
#include "cli/commands.h"

namespace quillon::cli {

class CardAccess {
  public:
    virtual ~CardAccess() = default;
    virtual card::AccessLibrary& library() = 0;
    virtual card::Registry& registry() = 0;
};

// The card the options and environment ask for, locked; with -v given twice every request to
// it is written to the log. Null after telling the person why on standard error.
std::unique_ptr<CardAccess> openCardAccess(CliIo& io, const GlobalOptions& global);

// The card of this platform the options and environment ask for, locked. (One file per
// platform.)
std::unique_ptr<CardAccess> openPlatformCardAccess(CliIo& io, const GlobalOptions& global);

// The simulated bench of the options and environment, locked.
std::unique_ptr<CardAccess> openBenchAccess(CliIo& io, const GlobalOptions& global);

}  // namespace quillon::cli
