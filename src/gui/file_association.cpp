#include "gui/file_association.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>

#include "base/log.h"
#include "gui/pictures.h"

namespace quillon::gui {

namespace {

// A value of a desktop entry's Exec key: the argument in double quotes with the characters
// that quoting reserves escaped, then the entry's own escaping of the backslash, and "%" of
// the field codes doubled.
QString execArgument(const QString& argument) {
    QString quoted = QStringLiteral("\"");
    for (const QChar c : argument) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') ||
            c == QLatin1Char('\\')) {
            quoted += QLatin1Char('\\');
        }
        quoted += c;
    }
    quoted += QLatin1Char('"');
    quoted.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    quoted.replace(QLatin1Char('%'), QStringLiteral("%%"));
    return quoted;
}

QString xmlEscaped(const QString& text) {
    return text.toHtmlEscaped();
}

bool writeFile(const QString& path, const QByteArray& contents) {
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return false;
    }
    file.write(contents);
    return file.commit();
}

void refresh(const char* tool, const QString& folder) {
    const QString program = QStandardPaths::findExecutable(QString::fromLatin1(tool));
    if (!program.isEmpty()) {
        QProcess::execute(program, {folder});
    }
}

}  // namespace

FileTypeRegistration registrationFor(const QString& extension) {
    if (extension == QLatin1String(".pda")) {
        return {extension, 3, true};
    }
    return {extension, 2, false};
}

QString userDataHome() {
    const QString xdg = qEnvironmentVariable("XDG_DATA_HOME");
    if (!xdg.isEmpty()) {
        return xdg;
    }
    return QDir::homePath() + QStringLiteral("/.local/share");
}

QStringList registerFileType(const FileTypeRegistration& registration, const QString& programPath,
                             const QString& dataHome) {
    // "PRISM.hex": the type's name, as a MIME type "application/x-prism-hex".
    const QString bare = registration.extension.mid(1).toLower();
    const QString typeName = QStringLiteral("PRISM") + registration.extension;
    const QString mimeType = QStringLiteral("application/x-prism-") + bare;
    const QString iconName = QStringLiteral("application-x-prism-") + bare;
    const QString description =
        QStringLiteral("PRISM firmware update (%1)").arg(registration.extension);
    const QString entryId = QStringLiteral("quillon-prism-%1").arg(bare);
    const QString open = execArgument(programPath) + QStringLiteral(" %f");

    QString entry;
    entry += QStringLiteral("[Desktop Entry]\n");
    entry += QStringLiteral("Type=Application\n");
    entry += QStringLiteral("Name=Quillon\n");
    entry += QStringLiteral("GenericName=%1\n").arg(description);
    entry += QStringLiteral("Comment=%1\n").arg(typeName);
    entry += QStringLiteral("Icon=quillon\n");
    entry += QStringLiteral("Exec=%1\n").arg(open);
    entry += QStringLiteral("MimeType=%1;\n").arg(mimeType);
    entry += QStringLiteral("NoDisplay=true\n");
    entry +=
        QStringLiteral("Actions=%1\n")
            .arg(registration.editVerb ? QStringLiteral("edit;open;") : QStringLiteral("open;"));
    if (registration.editVerb) {
        // "editor" is the system's text editor, chosen by the alternatives system.
        entry += QStringLiteral("\n[Desktop Action edit]\nName=Edit\nExec=editor %f\n");
    }
    entry += QStringLiteral("\n[Desktop Action open]\nName=Launch Quillon\nExec=%1\n").arg(open);

    QString mime;
    mime += QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n");
    mime += QStringLiteral(
        "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n");
    mime += QStringLiteral("  <mime-type type=\"%1\">\n").arg(mimeType);
    mime += QStringLiteral("    <comment>%1</comment>\n").arg(xmlEscaped(description));
    if (registration.editVerb) {
        mime += QStringLiteral("    <sub-class-of type=\"text/plain\"/>\n");
    }
    mime += QStringLiteral("    <icon name=\"%1\"/>\n").arg(iconName);
    mime += QStringLiteral("    <glob pattern=\"*%1\"/>\n").arg(registration.extension);
    mime += QStringLiteral("  </mime-type>\n</mime-info>\n");

    loadPictures();
    QFile icon(registration.iconIndex == 3 ? QStringLiteral(":/icons/pda-file.png")
                                           : QStringLiteral(":/icons/firmware-file.png"));
    QByteArray iconData;
    if (icon.open(QIODevice::ReadOnly)) {
        iconData = icon.readAll();
    }
    QFile appIcon(QStringLiteral(":/icons/quillon.png"));
    QByteArray appIconData;
    if (appIcon.open(QIODevice::ReadOnly)) {
        appIconData = appIcon.readAll();
    }

    const std::pair<QString, QByteArray> files[] = {
        {QStringLiteral("applications/%1.desktop").arg(entryId), entry.toUtf8()},
        {QStringLiteral("mime/packages/%1.xml").arg(entryId), mime.toUtf8()},
        {QStringLiteral("icons/hicolor/48x48/mimetypes/%1.png").arg(iconName), iconData},
        {QStringLiteral("icons/hicolor/64x64/apps/quillon.png"), appIconData},
    };
    QStringList written;
    for (const auto& [relative, contents] : files) {
        if (writeFile(dataHome + QLatin1Char('/') + relative, contents)) {
            written << relative;
        } else {
            writeLog("quillon: could not write %s/%s\n", dataHome.toLocal8Bit().constData(),
                     relative.toLocal8Bit().constData());
        }
    }
    refresh("update-desktop-database", dataHome + QStringLiteral("/applications"));
    refresh("update-mime-database", dataHome + QStringLiteral("/mime"));
    return written;
}

}  // namespace quillon::gui
