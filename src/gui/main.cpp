// quillon: the window face. Every argument is a file to queue for the update.
#include <QApplication>
#include <QIcon>
#include <cstdio>
#include <cstring>

#include "gui/gui_application.h"
#include "gui/pictures.h"

namespace {

constexpr const char* kHelp =
    "Usage: quillon [FILE...]\n"
    "Opens the Quillon window, which checks firmware (.hex) and production data (.pda)\n"
    "against a PRISM 802.11b WLAN card and programs them into its flash. Each FILE is\n"
    "queued for the update; a window already running takes the files and this one ends.\n"
    "A file whose name starts with '-' is given as ./NAME.\n"
    "\n"
    "  -h, --help   print this help and exit\n"
    "  --version    print the version and exit\n"
    "\n"
    "quillon-cli(1) does the same in a terminal; quillon(1) tells more.\n";

// --help and --version are answered before Qt starts, so that they work without a display
// (where QApplication would abort). Any other word is a file.
int answerBeforeWindow(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(kHelp, stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("quillon %s\n", QUILLON_VERSION);
            return 0;
        }
    }
    return -1;
}

}  // namespace

int main(int argc, char** argv) {
    if (const int answered = answerBeforeWindow(argc, argv); answered >= 0) {
        return answered;
    }
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("quillon"));
    quillon::gui::loadPictures();
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/quillon.png")));
    return quillon::gui::runGui(application, QApplication::arguments(),
                                quillon::gui::guiOptionsFromEnvironment());
}
