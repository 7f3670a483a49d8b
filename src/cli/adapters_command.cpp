// quillon-cli adapters: the adapter list as the window builds it. Every candidate of the
// registry is listed, those that do not open are dropped, and each remaining entry is printed
// as its item data (the number --adapter takes), a tab and its text.
#include <CLI/CLI.hpp>
#include <ostream>
#include <sstream>

#include "app/main_window.h"
#include "card/adapter_discovery.h"
#include "card/adapter_session.h"
#include "cli/cli.h"
#include "cli/commands.h"
#include "cli/json_output.h"
#include "cli/terminal_ui.h"
#include "cli/window_session.h"

namespace quillon::cli {

void addAdaptersCommand(CLI::App& app, CliIo& io, GlobalOptions& global, CommandResult& result) {
    auto* command = app.add_subcommand("adapters", "List the adapters Quillon can work with");
    addAnswerFlags(*command, global);
    command->callback([&io, &global, &result]() {
        // Shell completion asks for the numbers while the person types: it neither waits for a
        // bench another process uses nor leaves anything behind.
        const bool completing = !io.env("QUILLON_COMPLETION").empty();
        sim::BenchLock lock;
        std::unique_ptr<sim::SimulatedBench> bench;
        if (completing) {
            const std::string folder = benchFolder(io, global);
            std::string error;
            sim::BenchOpenOptions look;
            look.lookOnly = true;
            look.latency = false;
            bench = folder.empty() ? nullptr : sim::SimulatedBench::open(folder, look, error);
        } else {
            bench = openBench(io, global, lock);
        }
        if (!bench) {
            result.exitCode = kExitFailure;
            return;
        }
        std::ostringstream kept;
        CliIo jsonIo{io.in, kept, io.err};
        TerminalUserInterface ui(global.json ? jsonIo : io, terminalOptions(io, global));
        app::MainWindow window(bench->library(), bench->registry(), ui);
        // As at start-up, but without selecting a lone adapter: listing reads no card.
        card::checkAccessLibrary(bench->library(), ui);
        window.detectAdapters(false);
        if (global.json) {
            bool listed = false;
            io.out << adaptersJson(window, ui, listed);
            result.exitCode = listed ? kExitSuccess : kExitFailure;
            return;
        }
        int listed = 0;
        for (const ui::AdapterListRow& row : window.view().adapters) {
            // The window's placeholder row stands for no adapter; a script reads none.
            if (row.text == card::kNoAdaptersDetected) {
                continue;
            }
            io.out << row.itemData << '\t' << row.text << '\n';
            ++listed;
        }
        if (listed == 0) {
            io.err << "quillon-cli: no adapters detected\n";
        }
        result.exitCode = listed > 0 ? kExitSuccess : kExitFailure;
    });
}

}  // namespace quillon::cli
