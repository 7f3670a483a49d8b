// The report window: a read-only rich text drawn from a ReportText's coloured segments, an
// accept button, a button that copies the text (plain and with its colours) and a cancel
// button. Escape cancels.
#pragma once

#include <QDialog>
#include <QString>

#include "ui/user_interface.h"

class QPushButton;
class QTextEdit;

namespace quillon::gui {

class ReportDialog : public QDialog {
    Q_OBJECT
  public:
    ReportDialog(const ui::ReportRequest& request, QWidget* parent);

    // Puts the text without tags and an HTML copy with the colours on the clipboard.
    void copyToClipboard();

  private:
    void renderMarkup(const std::string& text);

    QTextEdit* text_ = nullptr;
    QPushButton* accept_ = nullptr;
    QPushButton* copy_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

}  // namespace quillon::gui
