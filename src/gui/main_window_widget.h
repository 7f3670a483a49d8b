// The main window (template 102) as widgets: the adapter list, the file list with its type
// icons, the buttons, the status line, the address fields and the menus. It draws what the
// window logic pushes and hands the logic every action of the person: buttons, menu entries,
// selections, dropped files, keys and the close box. No decision is taken here.
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "ui/main_window_view.h"
#include "ui/user_interface.h"

class QAction;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPushButton;
class QTreeWidget;

namespace quillon::app {
class MainWindow;
}

namespace quillon::gui {

class MainWindowWidget : public QMainWindow {
    Q_OBJECT
  public:
    // developerMenu: offer the commands that have no button or menu entry of their own in a
    // "Developer" menu (their keyboard shortcuts work either way).
    explicit MainWindowWidget(bool developerMenu, QWidget* parent = nullptr);
    ~MainWindowWidget() override;

    // The logic the window feeds; set once, after the logic was initialised over this window.
    void attach(app::MainWindow& logic);
    // Runs after a command when the window is idle again (a handed-over file may wait for it).
    void setIdleHandler(std::function<void()> handler) { idleHandler_ = std::move(handler); }
    // True while a command of the person runs, and before the logic is attached.
    bool busy() const { return busy_ > 0 || logic_ == nullptr; }
    // File registration for the context menu's two entries: extension ".hex" or ".pda".
    void setRegisterHandler(std::function<void(const std::string&)> handler) {
        registerHandler_ = std::move(handler);
    }

    // Draws the pushed view.
    void showView(const ui::MainWindowView& view);
    void showCursor(ui::Cursor cursor);

    // Hands a command identifier to the logic, as its button, menu entry or key does.
    void runCommand(int command);
    void runSystemCommand(int command);
    // Files dropped on the window or handed over, in order.
    void dropFiles(const QStringList& paths);
    void takeHandedOverFile(const QString& path);
    // Brings the window to the front.
    void bringToFront();

    // The menu entry or shortcut of a command identifier, for tests.
    QAction* action(int command) const;
    QMenu* fileListMenu() const { return fileListMenu_; }
    QMenu* windowMenu() const { return windowMenu_; }

  signals:
    // The first time the window was painted.
    void firstPainted();
    // Command 1 or 2 closed the window: the run is over.
    void closed();

  protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QPushButton* addButton(int id, const QString& caption, QRect geometry, bool shown);
    QLineEdit* addField(int id, QRect geometry, bool frame, bool shown);
    QAction* addCommand(QMenu* menu, int command, const QString& text);
    void buildMenus(bool developerMenu);
    void adapterRowChanged(int row);
    void fileSelectionChanged();
    void showFileListMenu(const QPoint& position);
    void menuAboutToShow();
    void applyEnabled(const ui::MainWindowView& view);
    void finishCommand();
    // Places the controls for a client area of this size: the template's geometry, grown.
    void layoutForSize(QSize size);

    app::MainWindow* logic_ = nullptr;
    std::function<void()> idleHandler_;
    std::function<void(const std::string&)> registerHandler_;
    int busy_ = 0;
    bool pushing_ = false;
    bool closing_ = false;
    bool painted_ = false;
    bool waitCursor_ = false;

    QListWidget* adapters_ = nullptr;
    QTreeWidget* files_ = nullptr;
    QLabel* status_ = nullptr;
    QPushButton* continue_ = nullptr;
    QPushButton* closeAdapter_ = nullptr;
    QPushButton* detectAdapters_ = nullptr;
    QLineEdit* pdaMac_ = nullptr;
    QLineEdit* pdaSerial_ = nullptr;
    QLineEdit* currentMac_ = nullptr;
    QLineEdit* adapterName_ = nullptr;
    QLineEdit* version_ = nullptr;
    QMenu* fileListMenu_ = nullptr;
    QMenu* windowMenu_ = nullptr;
    std::multimap<int, QAction*> actions_;
    std::vector<QIcon> typeIcons_;
    std::vector<ui::AdapterListRow> shownAdapters_;
    QSize baseSize_;
    std::vector<std::pair<QPointer<QWidget>, QRect>> baseGeometry_;
};

}  // namespace quillon::gui
