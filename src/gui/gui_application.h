// The start of the window program: hands the command line's files to a copy that already runs,
// or opens the bench, starts the main window's logic over it with those files and shows the
// window until it closes.
#pragma once

#include <QStringList>

class QApplication;

namespace quillon::gui {

struct GuiOptions {
    bool developerMenu = false;        // QUILLON_DEVELOPER=1
    QString instanceName;              // the single-instance socket; empty for the user's own
    bool exitAfterFirstPaint = false;  // for the start-up benchmark
};

// The options the environment asks for.
GuiOptions guiOptionsFromEnvironment();

// arguments: the whole command line, the program first; every later argument is a file path.
// Returns the exit status.
int runGui(QApplication& application, const QStringList& arguments, const GuiOptions& options);

}  // namespace quillon::gui
