// Drives the real window through the moments worth a look, for tools/window-tour: the main
// window with files queued, the update's report, its progress window and its last box, the
// export with its Save As dialog and progress, the question before the PDA settings are written,
// a ".pda" that does not load, and the file list's menu. Each modal window is held for a while
// before it is answered, so that screenshots taken meanwhile catch it. The card is a bench in a
// temporary folder and is written.
#include <QApplication>
#include <QFileDialog>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <deque>
#include <functional>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "app/application.h"
#include "gui/gui_user_interface.h"
#include "gui/main_window_widget.h"
#include "gui/pictures.h"
#include "sim/bench_tools.h"
#include "sim/simulated_bench.h"
#include "ui/main_window_view.h"

namespace {

constexpr int kHoldMs = 1500;

void answer(QWidget* modal, const QString& saveAs) {
    std::cout << "answer " << modal->objectName().toStdString() << std::endl;
    if (modal->objectName() == QLatin1String("144")) {
        auto* update = modal->findChild<QPushButton*>(QStringLiteral("1"));
        (update != nullptr && update->isVisible() ? update : modal->findChild<QPushButton*>("2"))
            ->click();
    } else if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
        const QString dump = dialog->nameFilters().value(1);
        dialog->selectNameFilter(dump);
        emit dialog->filterSelected(dump);
        dialog->selectFile(saveAs);
        QMetaObject::invokeMethod(dialog, "accept");
    } else if (auto* box = qobject_cast<QMessageBox*>(modal)) {
        QAbstractButton* button = box->defaultButton();
        if (button == nullptr && !box->buttons().isEmpty()) {
            button = box->buttons().front();
        }
        if (button != nullptr) {
            button->click();
        }
    } else if (auto* write = modal->findChild<QPushButton*>(QStringLiteral("writeToCard"))) {
        write->click();
    } else if (auto* other = qobject_cast<QDialog*>(modal)) {
        other->accept();
    }
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    quillon::gui::loadPictures();
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() < 3) {
        std::cerr << "usage: window_tour SAMPLES-FOLDER WORK-FOLDER\n";
        return 2;
    }
    const QString samples = arguments[1];
    const QString work = arguments[2];
    const auto folder =
        quillon::sim::resolveBenchFolder(std::nullopt, quillon::sim::benchEnvironmentFromProcess());
    std::string error = "no bench folder";
    auto bench = folder ? quillon::sim::SimulatedBench::open(*folder, error) : nullptr;
    if (!bench) {
        std::cerr << "window_tour: " << error << '\n';
        return 1;
    }
    quillon::gui::MainWindowWidget window(false);
    quillon::gui::GuiUserInterface ui(window);
    const std::vector<std::string> programArguments{"quillon"};
    auto logic =
        quillon::app::startApplication(bench->library(), bench->registry(), ui, programArguments);
    logic->setPdaBackupFolder((work + QStringLiteral("/pda-backups")).toStdString());
    window.attach(*logic);
    window.show();

    // Every modal window that opens is held, then answered.
    QPointer<QWidget> handled;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr || modal == handled) {
            return;
        }
        handled = modal;
        std::cout << "modal " << modal->objectName().toStdString() << ' '
                  << modal->windowTitle().toStdString() << std::endl;
        QTimer::singleShot(kHoldMs, modal,
                           [modal, work] { answer(modal, work + QStringLiteral("/card-dump")); });
    });
    poll.start(50);

    std::deque<std::function<void()>> steps{
        [&] {
            window.dropFiles({samples + "/station-1.8.0.hex", samples + "/primary-1.1.1.hex",
                              samples + "/mac-serial.pda"});
        },
        [&] { window.runCommand(quillon::ui::kCmdContinue); },
        [&] { window.runCommand(quillon::ui::kCmdExportFirmware); },
        // The question before the PDA settings are written; Enter answers No.
        [&] { window.runCommand(quillon::ui::kCmdModifyPda); },
        [&] {
            QMenu* menu = window.fileListMenu();
            menu->popup(window.mapToGlobal(QPoint(60, 260)));
            QTimer::singleShot(kHoldMs, menu, [menu] { menu->close(); });
        },
        [&] {
            window.runCommand(quillon::ui::kCmdRemoveFiles);
            window.dropFiles({work + "/gone.pda", samples + "/station-1.8.0.hex"});
            window.runCommand(quillon::ui::kCmdContinue);
        },
        [&] { application.quit(); },
    };
    std::function<void()> next = [&] {
        if (steps.empty()) {
            return;
        }
        auto step = std::move(steps.front());
        steps.pop_front();
        std::cout << "step" << std::endl;
        step();
        QTimer::singleShot(kHoldMs, &window, next);
    };
    QTimer::singleShot(kHoldMs, &window, next);
    return application.exec();
}
