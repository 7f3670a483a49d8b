// The window as a person sees and uses it, on Qt's offscreen platform.
#include <algorithm>

#include <QAction>
#include <QClipboard>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <QUrl>

#include "bench_adapters.h"
#include "gui/gui_application.h"
#include "gui/report_dialog.h"
#include "gui_harness.h"
#include "ui/message.h"

using namespace quillon;
using namespace quillon::testing;

namespace {

// What the progress window showed while the card was written, seen through its paint events.
class PaintWatch : public QObject {
  public:
    explicit PaintWatch(QWidget* mainWindow) : mainWindow_(mainWindow) {
        qApp->installEventFilter(this);
    }
    ~PaintWatch() override { qApp->removeEventFilter(this); }
    QStringList texts;
    bool mainWindowShownMeanwhile = false;
    int barPaints = 0;
    QList<int> barValues;
    QStringList details;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            if (auto* label = qobject_cast<QLabel*>(watched);
                label != nullptr && label->objectName() == QLatin1String("progressText")) {
                if (texts.isEmpty() || texts.back() != label->text()) {
                    texts << label->text();
                }
                mainWindowShownMeanwhile |= mainWindow_->isVisible();
            }
            if (auto* bar = qobject_cast<QProgressBar*>(watched);
                bar != nullptr && bar->objectName() == QLatin1String("progressBar")) {
                ++barPaints;
                barValues << bar->value();
            }
            if (auto* label = qobject_cast<QLabel*>(watched);
                label != nullptr && label->objectName() == QLatin1String("progressDetail") &&
                (details.isEmpty() || details.back() != label->text())) {
                details << label->text();
            }
        }
        return false;
    }

  private:
    QWidget* mainWindow_;
};

void answer(QWidget* box, QMessageBox::StandardButton button) {
    auto* message = qobject_cast<QMessageBox*>(box);
    QVERIFY(message != nullptr);
    message->button(button)->click();
}

std::vector<std::uint8_t> firmwareArea(GuiBench& gui) {
    return gui.bench.card(0).readFlash(0x7E0000, 0x20000);
}

QStringList fileListPaths(GuiBench& gui) {
    QStringList paths;
    auto* list = gui.control<QTreeWidget>(1040);
    for (int row = 0; row < list->topLevelItemCount(); ++row) {
        paths << list->topLevelItem(row)->text(1);
    }
    return paths;
}

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT
  private slots:
    void startWithOneAdapterSelectsIt() {
        GuiBench gui;
        gui.window.show();
        QVERIFY(gui.control(1026)->isVisible());
        QCOMPARE(gui.control<QLineEdit>(1026)->text(),
                 QStringLiteral("Opened: PRISM 802.11b Wireless LAN PCI Adapter (simulated)"));
        QVERIFY(gui.control(1014)->isVisible());
        QVERIFY(!gui.control(1016)->isVisible());
        QVERIFY(!gui.control(1051)->isVisible());
        QVERIFY(gui.control(1011)->isEnabled());
        QCOMPARE(gui.window.windowTitle(), QStringLiteral("Quillonex"));
    }

    void severalAdaptersWaitForAChoiceAndEnableTheMenusOnce() {
        GuiBench gui(benchWith({prismAdapter("0001"), prismAdapter("0002")}));
        gui.window.show();
        auto* list = gui.control<QListWidget>(1016);
        QCOMPARE(list->count(), 2);
        QCOMPARE(list->currentRow(), -1);
        QVERIFY(!gui.control(1011)->isEnabled());
        QVERIFY(!gui.window.action(ui::kCmdFirmwareVersions)->isEnabled());
        QVERIFY(!gui.window.action(ui::kCmdExportFirmware)->isEnabled());

        list->setCurrentRow(1);
        QVERIFY(gui.control(1011)->isEnabled());
        QVERIFY(gui.window.action(ui::kCmdFirmwareVersions)->isEnabled());
        QVERIFY(gui.window.action(ui::kCmdExportFirmware)->isEnabled());
        QVERIFY(!list->isVisible());
        QCOMPARE(gui.control<QLineEdit>(1026)->text(), QStringLiteral("Opened: Adapter 0002"));

        // "Show Info" follows the file selection when the menu opens.
        gui.window.dropFiles({QString::fromStdString(sample("primary-1.1.1.hex"))});
        QAction* info = gui.window.action(ui::kCmdShowInfo);
        gui.logic->onMenuAboutToOpen();
        QVERIFY(!info->isEnabled());
        gui.control<QTreeWidget>(1040)->topLevelItem(0)->setSelected(true);
        gui.logic->onMenuAboutToOpen();
        QVERIFY(info->isEnabled());
    }

    void continueUpdatesTheCardThroughReportAndProgress() {
        GuiBench gui;
        gui.window.show();
        gui.window.dropFiles({QString::fromStdString(sample("station-1.8.0.hex")),
                              QString::fromStdString(sample("primary-1.1.1.hex"))});
        const auto before = firmwareArea(gui);
        QString reportTitle;
        bool acceptShown = false;
        QString finalText;
        ModalScript script({[&](QWidget* report) {
                                reportTitle = report->windowTitle();
                                auto* update = report->findChild<QPushButton*>("1");
                                acceptShown = update->isVisible() && update->text() == "UPDATE";
                                ModalScript::click(report, "1");
                            },
                            [&](QWidget* box) {
                                finalText = qobject_cast<QMessageBox*>(box)->text();
                                answer(box, QMessageBox::Ok);
                            }});
        PaintWatch watch(&gui.window);
        QTest::mouseClick(gui.control(1011), Qt::LeftButton);

        QVERIFY(script.done());
        QCOMPARE(reportTitle, QStringLiteral("Update Information"));
        QVERIFY(acceptShown);
        QVERIFY(watch.texts.contains(QStringLiteral("Flash update in progress...")));
        QVERIFY(!watch.mainWindowShownMeanwhile);
        QVERIFY(watch.barPaints > 2);
        // One bar for the whole update: it never starts again at 0 for the second image.
        QVERIFY(std::is_sorted(watch.barValues.begin(), watch.barValues.end()));
        QCOMPARE(watch.barValues.back(), 1000);
        const QString details = watch.details.join(QLatin1Char('|'));
        QVERIFY2(details.contains(QStringLiteral("image 2 of 2: station-1.8.0.hex")),
                 qPrintable(details));
        QVERIFY2(details.contains(QStringLiteral("Starting the card's new firmware")),
                 qPrintable(details));
        QVERIFY(watch.details.back().endsWith(QStringLiteral("Do not remove the card.")));
        QVERIFY(finalText.contains(QStringLiteral("Update Successful!")));
        QVERIFY(gui.window.isVisible() && gui.window.isEnabled());
        QVERIFY(firmwareArea(gui) != before);
    }

    void cancelWritesNothing() {
        GuiBench gui;
        gui.window.show();
        gui.window.dropFiles({QString::fromStdString(sample("station-1.8.0.hex"))});
        const auto before = firmwareArea(gui);
        gui.bench.clearRequests();
        ModalScript script({[](QWidget* report) { QTest::keyClick(report, Qt::Key_Escape); }});
        QTest::mouseClick(gui.control(1011), Qt::LeftButton);
        QVERIFY(script.done());
        QCOMPARE(firmwareArea(gui), before);
        QVERIFY(gui.window.isVisible());
    }

    void droppedFilesAreQueuedInTheListsOrder() {
        GuiBench gui;
        gui.window.show();
        auto* data = new QMimeData;
        data->setUrls({QUrl::fromLocalFile(QString::fromStdString(sample("station-1.8.0.hex"))),
                       QUrl::fromLocalFile(QString::fromStdString(sample("mac-serial.pda"))),
                       QUrl::fromLocalFile(QString::fromStdString(sample("primary-1.1.1.hex")))});
        const QPoint where = gui.control(1013)->geometry().center();
        QDragEnterEvent enter(where, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&gui.window, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(where), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&gui.window, &drop);
        delete data;
        QCOMPARE(fileListPaths(gui),
                 (QStringList{QString::fromStdString(sample("mac-serial.pda")),
                              QString::fromStdString(sample("primary-1.1.1.hex")),
                              QString::fromStdString(sample("station-1.8.0.hex"))}));
    }

    void focusAloneSelectsNoAdapterAndTheKeyboardPicksOne() {
        GuiBench gui(benchWith({prismAdapter("0001"), prismAdapter("0002"), prismAdapter("0003")}));
        gui.window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&gui.window));
        auto* list = gui.control<QListWidget>(1016);
        list->setFocus(Qt::TabFocusReason);
        QFocusEvent focusIn(QEvent::FocusIn, Qt::TabFocusReason);
        QApplication::sendEvent(list, &focusIn);
        QVERIFY(!gui.logic->adapterSelected());
        QVERIFY(!gui.control(1011)->isEnabled());

        QTest::keyClick(list, Qt::Key_Down);
        QTest::keyClick(list, Qt::Key_Down);
        QVERIFY(gui.logic->adapterSelected());
        QCOMPARE(gui.control<QLineEdit>(1026)->text(), QStringLiteral("Opened: Adapter 0003"));
    }

    void noAdaptersRowCannotBeOpened() {
        GuiBench gui(benchWith({}));
        gui.window.show();
        auto* list = gui.control<QListWidget>(1016);
        QCOMPARE(list->count(), 1);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(list->item(0)).center());
        QCOMPARE(gui.control<QLabel>(1013)->text(), QString());
        QVERIFY(!gui.logic->adapterSelected());
    }

    void enterAfterAFailedBlockStopsAndTheCardIsToldIncomplete() {
        sim::BenchConfig config = sim::defaultBenchConfig();
        config.adapters[0].card->faults.writes = {sim::WriteFault{0x7E0000}};
        GuiBench gui(config);
        gui.window.show();
        gui.window.dropFiles({QString::fromStdString(sample("station-1.8.0.hex"))});
        QString question;
        QString ending;
        bool noIsDefault = false;
        ModalScript script({[](QWidget* report) { ModalScript::click(report, "1"); },
                            [&](QWidget* box) {
                                auto* message = qobject_cast<QMessageBox*>(box);
                                question = message->text();
                                noIsDefault =
                                    message->defaultButton() == message->button(QMessageBox::No);
                                QTest::keyClick(box, Qt::Key_Return);
                            },
                            [&](QWidget* box) {
                                ending = qobject_cast<QMessageBox*>(box)->text();
                                answer(box, QMessageBox::Ok);
                            }});
        QTest::mouseClick(gui.control(1011), Qt::LeftButton);
        QVERIFY(script.done());
        QVERIFY(noIsDefault);
        QVERIFY2(question.contains(QStringLiteral("\"station-1.8.0.hex\"")) &&
                     question.contains(QStringLiteral("0x7E")),
                 qPrintable(question));
        QVERIFY2(ending.contains(QStringLiteral("Not completely written")) &&
                     ending.contains(QStringLiteral("station-1.8.0.hex")) &&
                     ending.contains(QStringLiteral("firmware is incomplete")),
                 qPrintable(ending));
        QCOMPARE(gui.control<QLabel>(1013)->text(), QStringLiteral("Update FAILED"));
    }

    void pathsAreShownAsTheyAre() {
        QTemporaryDir dir;
        const QString accented = dir.filePath(QStringLiteral("caf\u00e9-1.8.0.hex"));
        QVERIFY(QFile::copy(QString::fromStdString(sample("station-1.8.0.hex")), accented));
        QString deep = dir.path();
        while (deep.size() < 300) {
            deep += QStringLiteral("/a-rather-long-folder-name");
        }
        QVERIFY(QDir().mkpath(deep));
        const QString longPath = deep + QStringLiteral("/primary-1.1.1.hex");
        QVERIFY(QFile::copy(QString::fromStdString(sample("primary-1.1.1.hex")), longPath));
        GuiBench gui;
        gui.window.show();
        gui.window.dropFiles({accented, longPath});
        QCOMPARE(fileListPaths(gui), (QStringList{longPath, accented}));
        auto* list = gui.control<QTreeWidget>(1040);
        QCOMPARE(list->topLevelItem(0)->text(0), QStringLiteral("1.1.1"));
        QCOMPARE(list->topLevelItem(1)->text(0), QStringLiteral("1.8.0"));
    }

    void aFileThatDoesNotLoadIsMarkedAndItsReasonShown() {
        QTemporaryDir dir;
        QFile source(QString::fromStdString(sample("station-1.8.0.hex")));
        QVERIFY(source.open(QIODevice::ReadOnly));
        QList<QByteArray> lines = source.readAll().split('\n');
        // Line 11's checksum no longer fits its record.
        QByteArray& line = lines[10];
        const qsizetype last = line.endsWith('\r') ? line.size() - 2 : line.size() - 1;
        line[last] = line[last] == '0' ? '1' : '0';
        const QString broken = dir.filePath(QStringLiteral("station-broken.hex"));
        QFile out(broken);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(lines.join('\n'));
        out.close();

        GuiBench gui;
        gui.window.show();
        gui.window.dropFiles({broken});
        QVERIFY2(gui.control<QTreeWidget>(1040)->topLevelItem(0)->text(0).endsWith(
                     QStringLiteral("(unreadable)")),
                 qPrintable(gui.control<QTreeWidget>(1040)->topLevelItem(0)->text(0)));
        QString text;
        QString reason;
        ModalScript script({[&](QWidget* box) {
            auto* message = qobject_cast<QMessageBox*>(box);
            text = message->text();
            reason = message->informativeText();
            answer(box, QMessageBox::Ok);
        }});
        QTest::mouseClick(gui.control(1011), Qt::LeftButton);
        QVERIFY(script.done());
        QVERIFY2(text.startsWith(QStringLiteral("Error - Unable to load file")), qPrintable(text));
        QVERIFY2(reason.contains(QStringLiteral("Line 11")), qPrintable(reason));
    }

    void aPdaFileThatDoesNotLoadShowsTheReadersReason() {
        QTemporaryDir dir;
        const QString missing = dir.filePath(QStringLiteral("gone.pda"));
        const QString unreadable = dir.filePath(QStringLiteral("words.pda"));
        QFile out(unreadable);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write("4 101 zz\r\n");
        out.close();
        for (const QString& path : {missing, unreadable}) {
            GuiBench gui;
            gui.window.show();
            gui.window.dropFiles({path, QString::fromStdString(sample("station-1.8.0.hex"))});
            QString text;
            QString reason;
            ModalScript script({[&](QWidget* box) {
                                    auto* message = qobject_cast<QMessageBox*>(box);
                                    text = message->text();
                                    reason = message->informativeText();
                                    answer(box, QMessageBox::Ok);
                                },
                                [](QWidget* box) { answer(box, QMessageBox::Ok); }});
            QTest::mouseClick(gui.control(1011), Qt::LeftButton);
            QTRY_VERIFY(script.done());
            QCOMPARE(text, QStringLiteral("File not loaded. Format invalid?"));
            QVERIFY2(reason.startsWith(path + QStringLiteral(": ")), qPrintable(reason));
            QVERIFY2(reason.size() > path.size() + 3, qPrintable(reason));
        }
    }

    void theWindowGrowsAndTheFileListWithIt() {
        GuiBench gui;
        gui.window.show();
        const QSize least = gui.window.size();
        QCOMPARE(gui.window.minimumSize(), least);
        auto* list = gui.control<QTreeWidget>(1040);
        const QSize listBefore = list->size();
        gui.window.resize(least + QSize(300, 200));
        QTRY_COMPARE(list->size(), listBefore + QSize(300, 200));
        QCOMPARE(list->textElideMode(), Qt::ElideMiddle);
        // Delete removes the selected files.
        gui.window.dropFiles({QString::fromStdString(sample("station-1.8.0.hex"))});
        list->topLevelItem(0)->setSelected(true);
        list->setFocus();
        QTest::keyClick(list, Qt::Key_Delete);
        QCOMPARE(list->topLevelItemCount(), 0);
        // The list's own menu shows the keys of its entries.
        const auto* listMenu = gui.window.findChild<QMenu*>(QStringLiteral("131"));
        QVERIFY(listMenu != nullptr);
        for (const QAction* entry : listMenu->actions()) {
            QVERIFY(entry->isSeparator() ||
                    (!entry->shortcut().isEmpty() && entry->isShortcutVisibleInContextMenu()));
        }
    }

    void messageBoxesKeepTheirCaptionWhole() {
        GuiBench gui;
        gui.window.show();
        int width = 0;
        ModalScript script({[&](QWidget* box) {
            width = box->width();
            answer(box, QMessageBox::Ok);
        }});
        gui.ui.messageBox(
            ui::windowBox("Update Successful!   ", "Update Complete", ui::Icon::Information));
        QVERIFY(script.done());
        QVERIFY2(width >= gui::captionWidth(QStringLiteral("Update Complete")),
                 qPrintable(QString::number(width)));
    }

    void theClipboardGetsTextAndColours() {
        ui::ReportRequest request;
        request.text = "{+db}Card{+k}\n{+r}Error{+k} here";
        gui::ReportDialog report(request, nullptr);
        report.copyToClipboard();
        const QMimeData* data = QApplication::clipboard()->mimeData();
        QCOMPARE(data->text(), QStringLiteral("Card\nError here"));
        QVERIFY(data->hasHtml());
        QVERIFY(data->html().contains(QStringLiteral("#aa0000")));
        QVERIFY(data->html().contains(QStringLiteral("#000055")));
    }

    void theDeveloperMenuNeedsTheVariable() {
        const auto developerMenu = [] {
            GuiBench gui(sim::defaultBenchConfig(), gui::guiOptionsFromEnvironment().developerMenu);
            return gui.window.findChild<QMenu*>("developerMenu") != nullptr;
        };
        qunsetenv("QUILLON_DEVELOPER");
        QVERIFY(!developerMenu());
        qputenv("QUILLON_DEVELOPER", "1");
        QVERIFY(developerMenu());
        qunsetenv("QUILLON_DEVELOPER");
    }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
