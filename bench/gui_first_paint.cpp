// The window program's cold start to its first painted main window: the same start as quillon
// (single-instance check, bench folder, window logic with the files of the command line, the
// window) but the program ends as soon as the main window was painted. bench/gui-first-paint
// runs it repeatedly and reports the times.
#include <QApplication>
#include <QDir>
#include <QIcon>

#include "gui/gui_application.h"
#include "gui/pictures.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("quillon"));
    quillon::gui::loadPictures();
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/quillon.png")));
    quillon::gui::GuiOptions options = quillon::gui::guiOptionsFromEnvironment();
    options.exitAfterFirstPaint = true;
    // A socket of its own, so that a running quillon does not take the files.
    options.instanceName =
        QDir::tempPath() +
        QStringLiteral("/quillon-first-paint-%1").arg(QApplication::applicationPid());
    return quillon::gui::runGui(application, QApplication::arguments(), options);
}
