#include "gui/about_dialog.h"

#include <QLabel>
#include <QPixmap>
#include <QPushButton>

#include "gui/dialog_units.h"
#include "gui/pictures.h"

namespace quillon::gui {

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent) {
    loadPictures();
    const DialogUnits units;
    setObjectName(QStringLiteral("100"));
    setFont(units.font());
    setWindowTitle(QStringLiteral("About This Program"));
    setFixedSize(units.size(221, 62));
    setModal(true);

    auto* picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("159"));
    picture->setPixmap(QPixmap(QStringLiteral(":/icons/about.png")));
    picture->setGeometry(units.x(7), units.y(7), 96, 64);
    picture->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    auto* text = new QLabel(QStringLiteral("Firmware Update for Windows"), this);
    text->setGeometry(units.x(7) + 104, units.y(10), units.x(221) - units.x(14) - 104, units.y(8));

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("1"));
    ok->setGeometry(units.rect(164, 41, 50, 14));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    setMinimumHeight(units.y(7) + 64 + units.y(4));
}

}  // namespace quillon::gui
