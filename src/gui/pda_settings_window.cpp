#include "gui/pda_settings_window.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/dialog_units.h"
#include "gui/qt_text.h"

namespace quillon::gui {

namespace {}  // namespace

PdaSettingsWindow::PdaSettingsWindow(pda::PdaSettingsDialog& dialog, ui::UserInterface& ui,
                                     QWidget* parent)
    : QDialog(parent), dialog_(dialog), ui_(ui) {
    const DialogUnits units;
    setFont(units.font());
    setObjectName(QStringLiteral("pdaSettings"));
    setWindowTitle(QStringLiteral("View / Modify PDA Settings"));
    setModal(true);

    mac_ = new QLineEdit(qText(dialog_.macText()), this);
    mac_->setObjectName(QStringLiteral("macAddress"));
    mac_->setMaxLength(static_cast<int>(pda::PdaSettingsDialog::kMacTextLimit));
    serial_ = new QLineEdit(qText(dialog_.serialText()), this);
    serial_->setObjectName(QStringLiteral("serialNumber"));
    serial_->setMaxLength(static_cast<int>(pda::PdaSettingsDialog::kSerialTextLimit));
    uppercase_ = new QCheckBox(QStringLiteral("Convert to Uppercase"), this);
    uppercase_->setObjectName(QStringLiteral("convertToUppercase"));
    uppercase_->setChecked(dialog_.convertToUppercase());
    auto* write = new QPushButton(QStringLiteral("Write to Card Now"), this);
    write->setObjectName(QStringLiteral("writeToCard"));
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("cancel"));

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("MAC Address:"), mac_);
    form->addRow(QStringLiteral("Serial Number:"), serial_);
    form->addRow(QString(), uppercase_);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(write);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);
    mac_->setMinimumWidth(units.x(80));

    connect(mac_, &QLineEdit::textEdited, this, &PdaSettingsWindow::macEdited);
    connect(serial_, &QLineEdit::textEdited, this,
            [this](const QString& text) { dialog_.setSerialText(text.toStdString()); });
    connect(uppercase_, &QCheckBox::toggled, this,
            [this](bool checked) { dialog_.setConvertToUppercase(checked); });
    connect(write, &QPushButton::clicked, this, &PdaSettingsWindow::writeToCard);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void PdaSettingsWindow::macEdited(const QString& text) {
    // Letters turn to upper case as they are typed.
    const int position = mac_->cursorPosition();
    const std::string shown = dialog_.onMacTextChanged(text.toUpper().toStdString());
    const QString replacement = qText(shown);
    if (replacement != text) {
        mac_->setText(replacement);
        mac_->setCursorPosition(std::min(position, static_cast<int>(replacement.size())));
    }
}

void PdaSettingsWindow::writeToCard() {
    const bool accepted = dialog_.confirm(ui_);
    serial_->setText(qText(dialog_.serialText()));
    if (accepted) {
        accept();
    }
}

}  // namespace quillon::gui
