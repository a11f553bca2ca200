#include "app/porost2.h"

#include "widgets/DBControls.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

namespace kvor {

TFporost2::TFporost2(TDataSource* request, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Fporost2"));
    setWindowTitle(QStringLiteral("Uznání porostů č. 4 - 10"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(12, 12, 12, 12);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(4);
    for (int number = 4; number <= 10; ++number) {
        auto* edit = new TDBEdit(this);
        edit->setObjectName(QStringLiteral("EditROZ_P%1").arg(number));
        edit->SetDataSource(request);
        edit->SetDataField(QStringLiteral("ROZ_P%1").arg(number));
        edit->setMinimumWidth(160);
        auto* label = new QLabel(QStringLiteral("%1.").arg(number), this);
        label->setBuddy(edit);
        grid->addWidget(label, number - 4, 0, Qt::AlignRight);
        grid->addWidget(edit, number - 4, 1);
        Fields << edit;
    }
    ButtonOK = new QPushButton(QStringLiteral("OK"), this);
    ButtonOK->setObjectName(QStringLiteral("ButtonOK"));
    ButtonOK->setDefault(true);
    ButtonOK->setCursor(Qt::PointingHandCursor);
    connect(ButtonOK, &QPushButton::clicked, this, &QDialog::accept);
    grid->addWidget(ButtonOK, 7, 1, Qt::AlignRight);
    setFixedSize(sizeHint());
}

} // namespace kvor
