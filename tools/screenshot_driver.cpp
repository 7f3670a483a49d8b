// Drives the real window for tools/screenshots: shows the main window with the given files
// queued, then the update report, and prints "NAME X Y WIDTH HEIGHT" for each when it is on
// the screen. It waits for a line on standard input before going on, so that the screenshot
// is taken of what stands still. The report is cancelled: the card is not written.
#include <QApplication>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <cstdio>
#include <iostream>
#include <memory>
#include <string>

#include "app/application.h"
#include "gui/gui_user_interface.h"
#include "gui/main_window_widget.h"
#include "gui/pictures.h"
#include "sim/bench_tools.h"
#include "sim/simulated_bench.h"
#include "ui/main_window_view.h"

namespace {

void announce(const char* name, const QWidget& window) {
    const QRect frame = window.frameGeometry();
    std::cout << name << ' ' << frame.x() << ' ' << frame.y() << ' ' << frame.width() << ' '
              << frame.height() << std::endl;
    std::string line;
    std::getline(std::cin, line);
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    quillon::gui::loadPictures();
    const auto folder =
        quillon::sim::resolveBenchFolder(std::nullopt, quillon::sim::benchEnvironmentFromProcess());
    std::string error = "no bench folder";
    auto bench = folder ? quillon::sim::SimulatedBench::open(*folder, error) : nullptr;
    if (!bench) {
        std::cerr << "screenshot_driver: " << error << '\n';
        return 1;
    }
    quillon::gui::MainWindowWidget window(false);
    quillon::gui::GuiUserInterface ui(window);
    std::vector<std::string> arguments;
    for (const QString& argument : QApplication::arguments()) {
        arguments.push_back(argument.toStdString());
    }
    auto logic = quillon::app::startApplication(bench->library(), bench->registry(), ui, arguments);
    window.attach(*logic);
    window.show();

    QTimer::singleShot(1000, &window, [&] {
        announce("main", window);
        QTimer* poll = new QTimer(&window);
        QObject::connect(poll, &QTimer::timeout, &window, [poll] {
            QWidget* report = QApplication::activeModalWidget();
            if (report == nullptr || report->objectName() != QLatin1String("144")) {
                return;
            }
            poll->stop();
            QTimer::singleShot(700, report, [report] {
                announce("report", *report);
                report->findChild<QPushButton*>(QStringLiteral("2"))->click();
            });
        });
        poll->start(50);
        window.runCommand(quillon::ui::kCmdContinue);
        application.quit();
    });
    return application.exec();
}
