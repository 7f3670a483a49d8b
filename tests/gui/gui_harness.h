// The window face on an in-memory simulated bench, and a helper that answers the modal windows
// a command opens, in order.
#pragma once

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/application.h"
#include "gui/gui_user_interface.h"
#include "gui/main_window_widget.h"
#include "sim/bench_config.h"
#include "sim/simulated_bench.h"

namespace quillon::testing {

struct GuiBench {
    explicit GuiBench(sim::BenchConfig config = sim::defaultBenchConfig(),
                      bool developerMenu = false, const std::vector<std::string>& files = {})
        : bench(std::move(config)), window(developerMenu), ui(window) {
        std::vector<std::string> arguments{"quillon"};
        arguments.insert(arguments.end(), files.begin(), files.end());
        logic = app::startApplication(bench.library(), bench.registry(), ui, arguments);
        window.attach(*logic);
    }

    template <typename T = QWidget>
    T* control(int id) const {
        return window.findChild<T*>(QString::number(id));
    }

    sim::SimulatedBench bench;
    gui::MainWindowWidget window;
    gui::GuiUserInterface ui;
    std::unique_ptr<app::MainWindow> logic;
};

// Answers each modal window that opens with the next handler; a handler clicks a button or
// closes the window. What was seen is kept for the test to check.
class ModalScript {
  public:
    using Handler = std::function<void(QWidget*)>;
    explicit ModalScript(std::vector<Handler> handlers)
        : handlers_(handlers.begin(), handlers.end()) {
        QObject::connect(&timer_, &QTimer::timeout, [this] { poll(); });
        timer_.start(10);
    }
    bool done() const { return handlers_.empty(); }

    static void click(QWidget* window, const QString& name) {
        if (auto* button = window->findChild<QPushButton*>(name)) {
            button->click();
        }
    }

  private:
    void poll() {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr || modal == last_ || handlers_.empty()) {
            return;
        }
        last_ = modal;
        Handler handler = std::move(handlers_.front());
        handlers_.pop_front();
        handler(modal);
    }

    std::deque<Handler> handlers_;
    QTimer timer_;
    QPointer<QWidget> last_;
};

inline std::string sample(const char* name) {
    return std::string(std::getenv("QUILLON_SOURCE_DIR")) + "/samples/" + name;
}

}  // namespace quillon::testing
