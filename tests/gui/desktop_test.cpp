// The window program among others on the desktop: one copy per user, and the file types it
// registers. The single-instance cases run two real quillon processes.
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "gui/file_association.h"

using namespace quillon;

namespace {

QString sample(const char* name) {
    return qEnvironmentVariable("QUILLON_SOURCE_DIR") + QStringLiteral("/samples/") +
           QLatin1String(name);
}

// A socket file that nobody listens on, as a crashed copy leaves it.
void leaveStaleSocket(const QString& path) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray bytes = QFile::encodeName(path);
    std::memcpy(address.sun_path, bytes.constData(),
                std::min(sizeof(address.sun_path) - 1, static_cast<std::size_t>(bytes.size())));
    QVERIFY(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0);
    ::close(fd);
    QVERIFY(QFile::exists(path));
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList filesUnder(const QString& folder) {
    QStringList files;
    QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        files << QDir(folder).relativeFilePath(it.next());
    }
    files.sort();
    return files;
}

}  // namespace

class DesktopTest : public QObject {
    Q_OBJECT
  private:
    QTemporaryDir dir_;
    QProcessEnvironment environment_;

    void startCopy(QProcess& process, const QStringList& files) {
        process.setProcessEnvironment(environment_);
        process.start(qEnvironmentVariable("QUILLON_GUI_BINARY"), files);
        QVERIFY(process.waitForStarted());
    }
    static bool waitForLog(QProcess& process, QByteArray& log, const QByteArray& line) {
        for (int i = 0; i < 600 && !log.contains(line); ++i) {
            process.waitForReadyRead(100);
            log += process.readAllStandardError();
        }
        return log.contains(line);
    }

  private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        QDir(dir_.path()).mkpath(QStringLiteral("runtime"));
        QFile::setPermissions(dir_.filePath(QStringLiteral("runtime")),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        environment_ = QProcessEnvironment::systemEnvironment();
        environment_.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        environment_.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir_.filePath("runtime"));
        environment_.insert(QStringLiteral("QUILLON_BENCH"), dir_.filePath("bench"));
        environment_.insert(QStringLiteral("QUILLON_LOG"), QStringLiteral("-"));
    }

    void aSecondCopyHandsItsFilesOverInOrderAndShowsNothing() {
        // The first copy starts over a socket a crashed copy left behind.
        leaveStaleSocket(dir_.filePath(QStringLiteral("runtime/Quillonex-%1").arg(::getuid())));
        QProcess first;
        startCopy(first, {});
        QByteArray firstLog;
        QVERIFY(waitForLog(first, firstLog, "quillon: window shown\n"));

        // Started in another folder with a relative path: the running copy gets it whole.
        QProcess second;
        second.setWorkingDirectory(QFileInfo(sample("station-1.8.0.hex")).path());
        startCopy(second, {QStringLiteral("station-1.8.0.hex"), sample("primary-1.1.1.hex")});
        QVERIFY(second.waitForFinished(30000));
        QCOMPARE(second.exitCode(), 0);
        const QByteArray secondLog = second.readAllStandardError();
        QVERIFY(secondLog.contains("quillon: handed 2 file(s) to the running copy\n"));
        QVERIFY(!secondLog.contains("window shown"));

        QVERIFY(waitForLog(first, firstLog, "primary-1.1.1.hex from another copy\n"));
        const qsizetype station = firstLog.indexOf("took " + sample("station-1.8.0.hex").toUtf8());
        const qsizetype primary = firstLog.indexOf("took " + sample("primary-1.1.1.hex").toUtf8());
        QVERIFY(station >= 0 && primary > station);

        // A message that is not a path list is logged and changes nothing.
        QLocalSocket stranger;
        stranger.connectToServer(
            dir_.filePath(QStringLiteral("runtime/Quillonex-%1").arg(::getuid())));
        QVERIFY(stranger.waitForConnected(5000));
        stranger.write("hello, is anybody there?");
        stranger.waitForBytesWritten(5000);
        QVERIFY(waitForLog(first, firstLog, "not a path list\n"));
        QVERIFY(first.state() == QProcess::Running);

        first.kill();
        first.waitForFinished();
    }

    void registrationWritesTheDesktopFiles() {
        QTemporaryDir home;
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", home.path().toUtf8());  // no database tools: only our own files appear
        const QString program = QStringLiteral("/opt/my tools/quillon");
        gui::registerFileType(gui::registrationFor(QStringLiteral(".hex")), program, home.path());
        const QStringList hexFiles{
            "applications/quillon-prism-hex.desktop",
            "icons/hicolor/48x48/mimetypes/application-x-prism-hex.png",
            "icons/hicolor/64x64/apps/quillon.png",
            "mime/packages/quillon-prism-hex.xml",
        };
        QCOMPARE(filesUnder(home.path()), hexFiles);
        const QByteArray hexEntry = readFile(home.filePath(hexFiles[0]));
        QCOMPARE(hexEntry, QByteArray("[Desktop Entry]\n"
                                      "Type=Application\n"
                                      "Name=Quillon\n"
                                      "GenericName=PRISM firmware update (.hex)\n"
                                      "Comment=PRISM.hex\n"
                                      "Icon=quillon\n"
                                      "Exec=\"/opt/my tools/quillon\" %f\n"
                                      "MimeType=application/x-prism-hex;\n"
                                      "NoDisplay=true\n"
                                      "Actions=open;\n"
                                      "\n"
                                      "[Desktop Action open]\n"
                                      "Name=Launch Quillon\n"
                                      "Exec=\"/opt/my tools/quillon\" %f\n"));
        QVERIFY(readFile(home.filePath(hexFiles[3])).contains("<glob pattern=\"*.hex\"/>"));

        // Registering ".pda" adds its own files, with the edit action, and leaves ".hex" alone.
        gui::registerFileType(gui::registrationFor(QStringLiteral(".pda")), program, home.path());
        gui::registerFileType(gui::registrationFor(QStringLiteral(".pda")), program, home.path());
        qputenv("PATH", path);
        QCOMPARE(
            filesUnder(home.path()),
            (QStringList{
                "applications/quillon-prism-hex.desktop", "applications/quillon-prism-pda.desktop",
                "icons/hicolor/48x48/mimetypes/application-x-prism-hex.png",
                "icons/hicolor/48x48/mimetypes/application-x-prism-pda.png",
                "icons/hicolor/64x64/apps/quillon.png", "mime/packages/quillon-prism-hex.xml",
                "mime/packages/quillon-prism-pda.xml"}));
        QCOMPARE(readFile(home.filePath(hexFiles[0])), hexEntry);
        const QByteArray pdaEntry =
            readFile(home.filePath("applications/quillon-prism-pda.desktop"));
        QVERIFY(pdaEntry.contains("Actions=edit;open;\n"));
        QVERIFY(pdaEntry.contains("[Desktop Action edit]\nName=Edit\nExec=editor %f\n"));
        QVERIFY(readFile(home.filePath("mime/packages/quillon-prism-pda.xml"))
                    .contains("<comment>PRISM firmware update (.pda)</comment>"));
    }
};

QTEST_GUILESS_MAIN(DesktopTest)
#include "desktop_test.moc"
