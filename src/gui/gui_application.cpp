#include "gui/gui_application.h"

#include <QApplication>
#include <QFileInfo>
#include <QMessageBox>
#include <QTimer>
#include <chrono>
#include <memory>
#include <sstream>
#include <vector>

#include "app/application.h"
#include "base/log.h"
#include "base/state_folder.h"
#include "gui/file_association.h"
#include "gui/gui_user_interface.h"
#include "gui/main_window_widget.h"
#include "gui/single_instance.h"
#include "sim/bench_lock.h"
#include "sim/bench_tools.h"
#include "sim/simulated_bench.h"

namespace quillon::gui {

GuiOptions guiOptionsFromEnvironment() {
    GuiOptions options;
    options.developerMenu = qEnvironmentVariable("QUILLON_DEVELOPER") == QLatin1String("1");
    return options;
}

namespace {

// The folder for copies of the card's PDA; empty when no state folder is known, and then
// nothing writes the PDA.
std::string pdaBackupFolder() {
    const sim::BenchEnvironment environment = sim::benchEnvironmentFromProcess();
    const std::optional<std::string> state =
        quillonStateFolder(environment.xdgStateHome, environment.home);
    return state ? *state + "/pda-backups" : std::string();
}

}  // namespace

int runGui(QApplication& application, const QStringList& arguments, const GuiOptions& options) {
    configureLogFromEnvironment();
    const QStringList files = arguments.mid(1);
    const QString name =
        options.instanceName.isEmpty() ? SingleInstance::defaultName() : options.instanceName;

    // A copy that runs already takes the files; this one shows nothing. The running copy
    // works in a folder of its own, so it is given the paths whole.
    QStringList absolute;
    for (const QString& file : files) {
        absolute << (file.isEmpty() ? file : QFileInfo(file).absoluteFilePath());
    }
    const int taken = SingleInstance::handOver(name, absolute);
    if (taken == files.size()) {
        writeLog("quillon: handed %d file(s) to the running copy\n", taken);
        return 0;
    }
    const QStringList ownFiles = taken < 0 ? files : files.mid(taken);

    const std::optional<std::string> folder =
        sim::resolveBenchFolder(std::nullopt, sim::benchEnvironmentFromProcess());
    std::string error = "no bench folder: set QUILLON_BENCH";
    // The window holds the card for its whole run, as a terminal command does for its own:
    // two processes never interleave their writes to one card.
    sim::BenchLock lock;
    std::ostringstream lockError;
    if (folder && !lock.acquire(*folder, std::chrono::seconds(3), lockError, "quillon")) {
        // The box tells the outcome alone: the last line, not the note that it waited.
        error = lockError.str();
        if (!error.empty() && error.back() == '\n') {
            error.pop_back();
        }
        if (const std::size_t lastLine = error.rfind('\n'); lastLine != std::string::npos) {
            error.erase(0, lastLine + 1);
        }
        QMessageBox::critical(nullptr, QStringLiteral("quillon"), QString::fromStdString(error));
        return 1;
    }
    std::unique_ptr<sim::SimulatedBench> bench =
        folder ? sim::SimulatedBench::open(*folder, error) : nullptr;
    if (!bench) {
        QMessageBox::critical(nullptr, QStringLiteral("quillon"), QString::fromStdString(error));
        return 1;
    }

    // A box closed while the main window is hidden (during the card work) must not end the
    // run: only the main window's closing does.
    QApplication::setQuitOnLastWindowClosed(false);
    MainWindowWidget window(options.developerMenu);
    QObject::connect(&window, &MainWindowWidget::closed, &application, &QApplication::quit,
                     Qt::QueuedConnection);
    GuiUserInterface ui(window);
    SingleInstance instance(
        name,
        [&window](const QString& path) {
            if (window.busy()) {
                return false;
            }
            window.takeHandedOverFile(path);
            writeLog("quillon: took %s from another copy\n", path.toLocal8Bit().constData());
            return true;
        },
        [&window] { window.bringToFront(); });
    if (!instance.listen()) {
        writeLog("quillon: cannot listen on %s; later copies start their own window\n",
                 name.toLocal8Bit().constData());
    }
    window.setIdleHandler([&instance] { instance.resume(); });
    const QString program = QApplication::applicationFilePath();
    window.setRegisterHandler([program](const std::string& extension) {
        registerFileType(registrationFor(QString::fromStdString(extension)), program,
                         userDataHome());
    });

    std::vector<std::string> commandLine{arguments.value(0).toStdString()};
    for (const QString& file : ownFiles) {
        commandLine.push_back(file.toStdString());
    }
    const std::unique_ptr<app::MainWindow> logic =
        app::startApplication(bench->library(), bench->registry(), ui, commandLine);
    // Copies of the card's PDA go to the person's state folder before any command writes it.
    logic->setPdaBackupFolder(pdaBackupFolder());
    window.attach(*logic);
    if (options.exitAfterFirstPaint) {
        QObject::connect(&window, &MainWindowWidget::firstPainted, &application,
                         &QApplication::quit, Qt::QueuedConnection);
    }
    QObject::connect(&window, &MainWindowWidget::firstPainted, &window,
                     [] { writeLog("quillon: window shown\n"); });
    window.show();
    instance.resume();
    return application.exec();
}

}  // namespace quillon::gui
