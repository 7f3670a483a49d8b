// The start of a run: the main window for a face, initialised with the files named on the
// command line. A face then feeds it the person's actions until closed() says the run is over.
#pragma once

#include <memory>
#include <span>
#include <string>

#include "app/main_window.h"
#include "card/access_library.h"
#include "card/registry.h"
#include "ui/user_interface.h"

namespace quillon::app {

// arguments is the whole command line, the program's name first; every later argument is a
// file to queue, in order, before the adapters are detected. The library, registry and face
// must outlive the window.
std::unique_ptr<MainWindow> startApplication(card::AccessLibrary& library, card::Registry& registry,
                                             ui::UserInterface& ui,
                                             std::span<const std::string> arguments);

}  // namespace quillon::app
