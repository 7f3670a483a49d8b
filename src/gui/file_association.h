// Opening firmware (".hex") and PDA (".pda") files with Quillon from the desktop: for one
// extension, a desktop entry whose open action launches Quillon with the file, a
// shared-mime-info type named after the extension, and the type's icon, all under the user's
// data folder ($XDG_DATA_HOME). PDA files also get an edit action in the system's text editor.
// Registering again rewrites the same files; another extension's files are left alone.
#pragma once

#include <QString>
#include <QStringList>

namespace quillon::gui {

struct FileTypeRegistration {
    QString extension;  // with its dot: ".hex" or ".pda"
    int iconIndex = 2;  // 2: the firmware-file icon, 3: the PDA-file icon
    bool editVerb = false;
};

// The registration of the menu entry for extension ".hex" or ".pda".
FileTypeRegistration registrationFor(const QString& extension);

// $XDG_DATA_HOME, or ~/.local/share when it is not set.
QString userDataHome();

// Writes the files of the registration under dataHome for the program at programPath, then
// refreshes the desktop and MIME databases when their tools are installed. Returns the files
// written, relative to dataHome; a file that cannot be written is skipped and logged.
QStringList registerFileType(const FileTypeRegistration& registration, const QString& programPath,
                             const QString& dataHome);

}  // namespace quillon::gui
