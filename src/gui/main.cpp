// quillon: the window face. Every argument is a file to queue for the update.
#include <QApplication>
#include <QIcon>

#include "gui/gui_application.h"
#include "gui/pictures.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("quillon"));
    quillon::gui::loadPictures();
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/quillon.png")));
    return quillon::gui::runGui(application, QApplication::arguments(),
                                quillon::gui::guiOptionsFromEnvironment());
}
