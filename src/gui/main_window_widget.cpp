#include "gui/main_window_widget.h"

#include <algorithm>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QResizeEvent>
#include <QTreeWidget>
#include <QUrl>

#include "app/main_window.h"
#include "gui/dialog_units.h"
#include "gui/pictures.h"
#include "gui/qt_text.h"

namespace quillon::gui {

using namespace quillon::ui;

namespace {

QString idName(int id) {
    return QString::number(id);
}

// The commands that have no button or menu entry of their own, with the texts and keys by
// which a technician reaches them.
struct HiddenCommand {
    int command;
    const char* text;
    const char* shortcut;
};
constexpr HiddenCommand kHiddenCommands[] = {
    {kCmdDisplayPda, "&Display PDA...", "Ctrl+Shift+D"},
    {kCmdModifyPda, "View / &Modify PDA Settings...", "Ctrl+Shift+M"},
    {kCmdSavePda, "&Save PDA...", "Ctrl+Shift+S"},
    {kCmdClearPdaMenu, "C&lear PDA...", "Ctrl+Shift+L"},
    {kCmdShowCis, "Show &CIS...", "Ctrl+Shift+C"},
    {kCmdMacType, "MAC &Type", "Ctrl+Shift+T"},
    {kCmdDriverVersion, "Driver &Version", "Ctrl+Shift+V"},
    {kCmdRidStressTest, "&RID Read Test", "Ctrl+Shift+R"},
};

}  // namespace

MainWindowWidget::MainWindowWidget(bool developerMenu, QWidget* parent) : QMainWindow(parent) {
    loadPictures();
    const DialogUnits units;
    setObjectName(QStringLiteral("102"));
    setWindowTitle(QStringLiteral("Quillonex"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/quillon.png")));
    setAcceptDrops(true);

    auto* client = new QWidget(this);
    client->setFont(units.font());
    client->resize(units.size(248, 222));
    client->installEventFilter(this);
    setCentralWidget(client);

    // The group boxes lie under the controls they frame.
    auto* adaptersGroup = new QGroupBox(QStringLiteral("Valid Adapters"), client);
    adaptersGroup->setGeometry(units.rect(2, 9, 243, 57));
    auto* filesGroup = new QGroupBox(
        QStringLiteral("Update card with files:        Drag and drop to add files"), client);
    filesGroup->setGeometry(units.rect(2, 90, 243, 96));
    auto* addressGroup = new QGroupBox(client);
    addressGroup->setGeometry(units.rect(2, 182, 243, 34));
    for (QGroupBox* group : {adaptersGroup, filesGroup, addressGroup}) {
        group->lower();
    }

    adapters_ = new QListWidget(client);
    adapters_->setObjectName(idName(1016));
    adapters_->setGeometry(units.rect(5, 33, 236, 30));
    adapters_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Only the person's choice selects an adapter: a click or the arrow keys change the
    // selection. Focus alone makes a row current without selecting it, so it opens nothing.
    adapters_->setSelectionMode(QAbstractItemView::SingleSelection);
    connect(adapters_, &QListWidget::itemSelectionChanged, this,
            [this] { adapterRowChanged(adapters_->currentRow()); });

    auto* add =
        addButton(kCmdAddFile, QStringLiteral("Add File..."), units.rect(6, 168, 42, 14), true);
    (void)add;
    continue_ =
        addButton(kCmdContinue, QStringLiteral("Continue"), units.rect(52, 168, 190, 14), true);
    continue_->setEnabled(false);
    addButton(kCmdClose, QStringLiteral("Quit"), units.rect(224, 168, 24, 9), false);
    closeAdapter_ = addButton(kCmdCloseAdapter, QStringLiteral("Close Adapter"),
                              units.rect(5, 49, 70, 14), false);
    addButton(kCmdTestCommand, QStringLiteral("(Test Command)"), units.rect(12, 0, 54, 10), false);

    status_ = new QLabel(client);
    status_->setObjectName(idName(1013));
    status_->setGeometry(units.rect(2, 69, 211, 21));
    status_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    status_->setWordWrap(true);
    status_->setTextFormat(Qt::PlainText);
    status_->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* ready = new QLabel(client);
    ready->setObjectName(idName(133));
    ready->setGeometry(units.rect(222, 70, 20, 20));
    ready->setPixmap(QPixmap(QStringLiteral(":/icons/card-ready.png")));
    ready->hide();

    pdaMac_ = addField(1020, units.rect(166, 193, 75, 14), true, false);
    pdaSerial_ = addField(1021, units.rect(166, 202, 75, 14), true, false);
    currentMac_ = addField(1024, units.rect(84, 194, 75, 14), true, true);
    // The address the driver uses, which may differ from the one in the card's PDA.
    auto* currentMacLabel = new QLabel(QStringLiteral("Driver's MAC Address:"), client);
    currentMacLabel->setObjectName(QStringLiteral("currentMacLabel"));
    currentMacLabel->setGeometry(units.rect(6, 196, 75, 8));
    auto* pdaMacLabel = new QLabel(QStringLiteral("PDA's MAC Address:"), client);
    pdaMacLabel->setGeometry(units.rect(174, 195, 67, 8));
    pdaMacLabel->hide();
    auto* pdaSerialLabel = new QLabel(QStringLiteral("PDA's Serial Number:"), client);
    pdaSerialLabel->setGeometry(units.rect(173, 197, 68, 8));
    pdaSerialLabel->hide();
    adapterName_ = addField(1026, units.rect(12, 29, 222, 12), false, false);
    version_ = addField(1037, units.rect(141, 0, 104, 12), false, true);
    version_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    files_ = new QTreeWidget(client);
    files_->setObjectName(idName(1040));
    files_->setGeometry(units.rect(5, 99, 236, 66));
    files_->setColumnCount(2);
    files_->setHeaderLabels({QStringLiteral("Type / Version"), QStringLiteral("File Path")});
    // Paths lose their middle, not their file name, when the column is too narrow.
    files_->setTextElideMode(Qt::ElideMiddle);
    files_->installEventFilter(this);
    files_->header()->setStretchLastSection(true);
    files_->setColumnWidth(0, 90);
    files_->setColumnWidth(1, 250);
    files_->setRootIsDecorated(false);
    files_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    files_->setIconSize(QSize(16, 16));
    files_->setContextMenuPolicy(Qt::CustomContextMenu);
    files_->setToolTip(qText(app::MainWindow::tooltip(1040)));
    connect(files_, &QTreeWidget::itemSelectionChanged, this,
            &MainWindowWidget::fileSelectionChanged);
    connect(files_, &QWidget::customContextMenuRequested, this,
            &MainWindowWidget::showFileListMenu);
    for (const char* name :
         {"type-pda", "type-other", "type-primary", "type-station", "type-both", "type-cis"}) {
        typeIcons_.emplace_back(QStringLiteral(":/icons/%1.png").arg(QLatin1String(name)));
    }

    detectAdapters_ = addButton(kCmdDetectAdapters, QStringLiteral("Detect Adapters"),
                                units.rect(5, 18, 75, 14), true);
    for (const auto& [id, caption, geometry] :
         {std::tuple{kCmdForceAllBlocks, "Force Update of All Blocks",
                     units.rect(128, 18, 100, 10)},
          std::tuple{kCmdVerifyDownloads, "Verify downloads to NVRAM",
                     units.rect(30, 2, 105, 10)}}) {
        auto* box = new QCheckBox(QString::fromLatin1(caption), client);
        box->setObjectName(idName(id));
        box->setGeometry(geometry);
        box->setToolTip(qText(app::MainWindow::tooltip(id)));
        box->hide();
    }

    buildMenus(developerMenu);

    // The template's size is the least the window takes; it grows and may be maximised. The
    // file list takes the room that is added, the lines across the window take its width.
    baseSize_ = client->size();
    for (QObject* child : client->children()) {
        if (auto* widget = qobject_cast<QWidget*>(child)) {
            baseGeometry_.emplace_back(widget, widget->geometry());
        }
    }
    client->setMinimumSize(baseSize_);
    client->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    setMinimumSize(sizeHint());
    resize(sizeHint());
}

void MainWindowWidget::layoutForSize(QSize size) {
    const int dx = std::max(0, size.width() - baseSize_.width());
    const int dy = std::max(0, size.height() - baseSize_.height());
    const DialogUnits units;
    // Everything below the file list's top moves down with the added height; everything that
    // spans the window widens; what stands at the right edge moves with it.
    const int filesTop = units.rect(0, 99, 1, 1).top();
    const int filesBottom = units.rect(0, 165, 1, 1).top();
    const int rightEdge = units.rect(140, 0, 1, 1).left();
    for (const auto& [widget, base] : baseGeometry_) {
        if (widget.isNull()) {
            continue;
        }
        QRect g = base;
        const bool spans = base.width() >= units.rect(0, 0, 180, 1).width();
        // Dialog units turn into pixels with rounding; a pixel either way is the same place.
        const bool holdsFiles =
            base.top() <= filesTop && base.top() + base.height() >= filesBottom - 2;
        if (spans) {
            g.setWidth(base.width() + dx);
        } else if (base.left() >= rightEdge && base.top() < filesTop) {
            g.moveLeft(base.left() + dx);
        }
        if (holdsFiles) {
            g.setHeight(base.height() + dy);
        } else if (base.top() >= filesBottom - 2) {
            g.moveTop(base.top() + dy);
        }
        widget->setGeometry(g);
    }
}

MainWindowWidget::~MainWindowWidget() {
    showCursor(Cursor::Arrow);
}

QPushButton* MainWindowWidget::addButton(int id, const QString& caption, QRect geometry,
                                         bool shown) {
    auto* button = new QPushButton(caption, centralWidget());
    button->setObjectName(idName(id));
    button->setGeometry(geometry);
    button->setToolTip(qText(app::MainWindow::tooltip(id)));
    button->setAutoDefault(false);
    button->setVisible(shown);
    connect(button, &QPushButton::clicked, this, [this, id] { runCommand(id); });
    return button;
}

QLineEdit* MainWindowWidget::addField(int id, QRect geometry, bool frame, bool shown) {
    auto* field = new QLineEdit(centralWidget());
    field->setObjectName(idName(id));
    field->setGeometry(geometry);
    field->setReadOnly(true);
    field->setFrame(frame);
    field->setAcceptDrops(false);
    field->setToolTip(qText(app::MainWindow::tooltip(id)));
    if (!frame) {
        // A borderless field reads as a line of text on the window.
        QPalette palette = field->palette();
        palette.setColor(QPalette::Base, palette.color(QPalette::Window));
        field->setPalette(palette);
    }
    field->setVisible(shown);
    return field;
}

QAction* MainWindowWidget::addCommand(QMenu* menu, int command, const QString& text) {
    auto* entry = new QAction(text, this);
    entry->setObjectName(idName(command));
    connect(entry, &QAction::triggered, this, [this, command] { runCommand(command); });
    if (menu != nullptr) {
        menu->addAction(entry);
    }
    actions_.emplace(command, entry);
    return entry;
}

void MainWindowWidget::buildMenus(bool developerMenu) {
    // The menus show the keys that reach their entries.
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    addCommand(file, kCmdAddFile, QStringLiteral("&Add File..."))->setShortcut(QKeySequence::Open);
    addCommand(file, kCmdExportFirmware, QStringLiteral("Export Entire &Firmware Image..."))
        ->setShortcut(QKeySequence(QStringLiteral("Ctrl+E")));
    file->addSeparator();
    addCommand(file, kCmdClose, QStringLiteral("E&xit"))->setShortcut(QKeySequence::Quit);
    QMenu* tools = menuBar()->addMenu(QStringLiteral("&Tools"));
    addCommand(tools, kCmdFirmwareVersions, QStringLiteral("Query &Firmware Version"))
        ->setShortcut(QKeySequence(QStringLiteral("Ctrl+F")));
    addCommand(tools, kCmdShowInfo, QStringLiteral("Show &Info on Selected File(s)"))
        ->setShortcut(QKeySequence(QStringLiteral("Ctrl+I")));
    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    addCommand(help, kCmdAbout, QStringLiteral("&About"));
    for (QMenu* menu : {file, tools, help}) {
        connect(menu, &QMenu::aboutToShow, this, &MainWindowWidget::menuAboutToShow);
    }

    // The commands without a button or menu entry answer their keys everywhere in the window;
    // the Developer menu shows them when asked for.
    QMenu* developer = developerMenu ? menuBar()->addMenu(QStringLiteral("&Developer")) : nullptr;
    for (const HiddenCommand& hidden : kHiddenCommands) {
        QAction* entry = addCommand(developer, hidden.command, QString::fromLatin1(hidden.text));
        entry->setShortcut(QKeySequence(QString::fromLatin1(hidden.shortcut)));
        entry->setShortcutContext(Qt::WindowShortcut);
        addAction(entry);
    }
    if (developer != nullptr) {
        developer->setObjectName(QStringLiteral("developerMenu"));
        connect(developer, &QMenu::aboutToShow, this, &MainWindowWidget::menuAboutToShow);
    }

    fileListMenu_ = new QMenu(this);
    fileListMenu_->setObjectName(idName(131));
    QAction* info = addCommand(fileListMenu_, kCmdShowInfo, QStringLiteral("Get Info..."));
    // The same command as the Tools menu's entry, with the same key.
    info->setShortcut(QKeySequence(QStringLiteral("Ctrl+I")));
    info->setShortcutContext(Qt::WidgetShortcut);
    fileListMenu_->addSeparator();
    QAction* remove = addCommand(fileListMenu_, kCmdRemoveFiles, QStringLiteral("Remove"));
    // Delete removes the files selected in the list while the list has the focus.
    remove->setShortcut(QKeySequence::Delete);
    remove->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    files_->addAction(remove);
    // Some desktops leave keys out of context menus; this one shows them, so that Delete is
    // found where Remove is.
    for (QAction* entry : fileListMenu_->actions()) {
        entry->setShortcutVisibleInContextMenu(true);
    }

    // The title bar's menu belongs to the window manager; its additions live here.
    windowMenu_ = new QMenu(this);
    windowMenu_->setObjectName(QStringLiteral("systemMenu"));
    const std::pair<int, const char*> systemEntries[] = {
        {kSysRegisterHex, "Register .&hex files to this app"},
        {kSysRegisterPda, "Register .&pda files to this app"},
        {0, nullptr},
        {kSysAbout, "&About quillon..."},
    };
    for (const auto& [command, text] : systemEntries) {
        if (text == nullptr) {
            windowMenu_->addSeparator();
            continue;
        }
        auto* entry = windowMenu_->addAction(QString::fromLatin1(text));
        entry->setObjectName(QStringLiteral("sys%1").arg(command));
        connect(entry, &QAction::triggered, this,
                [this, system = command] { runSystemCommand(system); });
    }
}

void MainWindowWidget::attach(app::MainWindow& logic) {
    logic_ = &logic;
}

QAction* MainWindowWidget::action(int command) const {
    const auto it = actions_.find(command);
    return it == actions_.end() ? nullptr : it->second;
}

void MainWindowWidget::showView(const MainWindowView& view) {
    pushing_ = true;
    setWindowTitle(qText(view.title));
    status_->setText(qText(view.statusText));
    pdaMac_->setText(qText(view.pdaMacText));
    pdaSerial_->setText(qText(view.pdaSerialText));
    currentMac_->setText(qText(view.currentMacText));
    adapterName_->setText(qText(view.adapterNameText));
    version_->setText(qText(view.versionText));

    continue_->setEnabled(view.continueEnabled);
    closeAdapter_->setVisible(view.closeAdapterShown);
    adapters_->setVisible(view.adapterListShown);
    adapterName_->setVisible(view.adapterNameShown);
    detectAdapters_->setVisible(view.detectAdaptersShown);

    bool sameAdapters = shownAdapters_.size() == view.adapters.size();
    for (std::size_t i = 0; sameAdapters && i < view.adapters.size(); ++i) {
        sameAdapters = shownAdapters_[i].text == view.adapters[i].text &&
                       shownAdapters_[i].itemData == view.adapters[i].itemData;
    }
    if (!sameAdapters) {
        adapters_->clear();
        for (const AdapterListRow& row : view.adapters) {
            auto* item = new QListWidgetItem(qText(row.text), adapters_);
            item->setData(Qt::UserRole, static_cast<uint>(row.itemData));
            if (row.placeholder) {
                item->setFlags(Qt::ItemIsEnabled);
            }
        }
        shownAdapters_ = view.adapters;
    }
    if (adapters_->currentRow() != view.selectedAdapterRow) {
        adapters_->setCurrentRow(view.selectedAdapterRow);
    }
    if (view.selectedAdapterRow < 0) {
        adapters_->clearSelection();
    }

    files_->clear();
    for (const FileListRow& row : view.files) {
        auto* item = new QTreeWidgetItem(files_, {qText(row.typeText), qText(row.path)});
        item->setToolTip(1, qText(row.path));
        if (row.type >= 0 && static_cast<std::size_t>(row.type) < typeIcons_.size()) {
            item->setIcon(0, typeIcons_[static_cast<std::size_t>(row.type)]);
        }
        item->setSelected(row.selected);
    }
    applyEnabled(view);
    pushing_ = false;
}

void MainWindowWidget::applyEnabled(const MainWindowView& view) {
    for (const auto& [command, entry] : actions_) {
        if (const auto it = view.commandEnabled.find(command); it != view.commandEnabled.end()) {
            entry->setEnabled(it->second);
        }
    }
}

void MainWindowWidget::showCursor(Cursor cursor) {
    // The wait cursor shows over every part of the window, the edit fields and the lists too,
    // until the command sets the arrow again.
    const bool wait = cursor == Cursor::Wait;
    if (wait && !waitCursor_) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else if (!wait && waitCursor_) {
        QApplication::restoreOverrideCursor();
    }
    waitCursor_ = wait;
}

void MainWindowWidget::runCommand(int command) {
    if (logic_ == nullptr) {
        return;
    }
    ++busy_;
    logic_->onCommand(command);
    --busy_;
    finishCommand();
}

void MainWindowWidget::runSystemCommand(int command) {
    if (command == kSysRegisterHex || command == kSysRegisterPda) {
        if (registerHandler_) {
            registerHandler_(command == kSysRegisterHex ? ".hex" : ".pda");
        }
        return;
    }
    if (logic_ != nullptr) {
        ++busy_;
        logic_->onSystemCommand(command);
        --busy_;
        finishCommand();
    }
}

void MainWindowWidget::dropFiles(const QStringList& paths) {
    if (logic_ == nullptr || paths.isEmpty()) {
        return;
    }
    std::vector<std::string> list;
    for (const QString& path : paths) {
        list.push_back(path.toStdString());
    }
    ++busy_;
    logic_->onDropFiles(list);
    --busy_;
    finishCommand();
}

void MainWindowWidget::takeHandedOverFile(const QString& path) {
    if (logic_ != nullptr) {
        logic_->onCopyData(path.toStdString());
    }
}

void MainWindowWidget::bringToFront() {
    if (isMinimized()) {
        showNormal();
    }
    raise();
    activateWindow();
}

void MainWindowWidget::finishCommand() {
    if (busy_ > 0) {
        return;
    }
    if (logic_ != nullptr && logic_->closed() && !closing_) {
        closing_ = true;
        close();
        return;
    }
    if (idleHandler_) {
        idleHandler_();
    }
}

void MainWindowWidget::adapterRowChanged(int row) {
    if (pushing_ || logic_ == nullptr || row < 0 || adapters_->selectedItems().isEmpty()) {
        return;
    }
    ++busy_;
    logic_->onAdapterListSelection(row);
    --busy_;
    finishCommand();
}

void MainWindowWidget::fileSelectionChanged() {
    if (pushing_ || logic_ == nullptr) {
        return;
    }
    for (int row = 0; row < files_->topLevelItemCount(); ++row) {
        logic_->setFileSelected(row, files_->topLevelItem(row)->isSelected());
    }
    // Delete follows the selection.
    const bool any = !files_->selectedItems().isEmpty();
    const auto [first, last] = actions_.equal_range(kCmdRemoveFiles);
    for (auto it = first; it != last; ++it) {
        it->second->setEnabled(any);
    }
}

void MainWindowWidget::showFileListMenu(const QPoint& position) {
    if (logic_ == nullptr) {
        return;
    }
    logic_->onListRightClick();
    fileListMenu_->exec(files_->viewport()->mapToGlobal(position));
}

void MainWindowWidget::menuAboutToShow() {
    if (logic_ != nullptr) {
        logic_->onMenuAboutToOpen();
    }
}

void MainWindowWidget::closeEvent(QCloseEvent* event) {
    if (!closing_ && logic_ != nullptr) {
        ++busy_;
        logic_->onCommand(kCmdClose);
        --busy_;
        if (!logic_->closed()) {
            event->ignore();
            return;
        }
        closing_ = true;
    }
    event->accept();
    emit closed();
}

void MainWindowWidget::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Escape:
            runCommand(kCmdClose);
            return;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (auto* button = qobject_cast<QPushButton*>(QApplication::focusWidget())) {
                button->click();
            } else {
                runCommand(kCmdOk);
            }
            return;
        default:
            QMainWindow::keyPressEvent(event);
    }
}

void MainWindowWidget::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) {
        event->acceptProposedAction();
    }
}

void MainWindowWidget::dropEvent(QDropEvent* event) {
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile()) {
            paths << url.toLocalFile();
        }
    }
    event->acceptProposedAction();
    dropFiles(paths);
}

void MainWindowWidget::contextMenuEvent(QContextMenuEvent* event) {
    windowMenu_->exec(event->globalPos());
}

bool MainWindowWidget::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && watched == files_ &&
        static_cast<QKeyEvent*>(event)->matches(QKeySequence::Delete)) {
        runCommand(kCmdRemoveFiles);
        return true;
    }
    if (event->type() == QEvent::Resize && watched == centralWidget() && baseSize_.isValid()) {
        layoutForSize(static_cast<QResizeEvent*>(event)->size());
    }
    if (event->type() == QEvent::Paint && watched == centralWidget() && !painted_) {
        painted_ = true;
        emit firstPainted();
    }
    return QMainWindow::eventFilter(watched, event);
}

}  // namespace quillon::gui
