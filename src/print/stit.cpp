#include "print/stit.h"

#include "platform/ProfileFile.h"
#include "print/LabelJob.h"

#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSpinBox>

namespace kvor {

namespace {

const QString section = QStringLiteral("TFstit");
const QString countKey = QStringLiteral("suiSpinEdit1_Value");
const QString leftKey = QStringLiteral("Left");
const QString topKey = QStringLiteral("Top");
constexpr int noPosition = -32768;

} // namespace

TFstit::TFstit(const QString& iniFile, QWidget* parent) : QDialog(parent), m_iniFile(iniFile) {
    setObjectName(QStringLiteral("Fstit"));
    setWindowTitle(QStringLiteral("  Tisk štítků na vzorky"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(kClientWidth, kClientHeight);

    Label1 = new QLabel(QStringLiteral("Počet štítků"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setFont(QFont(QStringLiteral("Tahoma"), 9));
    Label1->move(30, 65);
    Label1->adjustSize();

    suiSpinEdit1 = new QSpinBox(this);
    suiSpinEdit1->setObjectName(QStringLiteral("suiSpinEdit1"));
    suiSpinEdit1->setRange(kMinLabels, kMaxLabels);
    suiSpinEdit1->setSingleStep(1);
    suiSpinEdit1->setFont(QFont(QStringLiteral("Tahoma"), 10, QFont::Bold));
    suiSpinEdit1->setGeometry(115, 60, 41, 22);

    suiRadioGroup1 = new QGroupBox(QStringLiteral("  Začátek tisku  "), this);
    suiRadioGroup1->setObjectName(QStringLiteral("suiRadioGroup1"));
    suiRadioGroup1->setGeometry(30, 100, 126, 121);
    // Where each position's button stands in the group: like the labels on the sheet.
    const struct {
        QRadioButton*& button;
        const char* name;
        int left, top;
    } positions[] = {
        {suiRadioButton1, "suiRadioButton1", 25, 30},
        {suiRadioButton3, "suiRadioButton3", 80, 30},
        {suiRadioButton2, "suiRadioButton2", 25, 75},
        {suiRadioButton4, "suiRadioButton4", 80, 75},
    };
    for (const auto& p : positions) {
        p.button = new QRadioButton(suiRadioGroup1);
        p.button->setObjectName(QString::fromLatin1(p.name));
        p.button->setGeometry(p.left, p.top, 20, 22);
    }
    suiRadioButton1->setChecked(true);

    suiButton1 = new QPushButton(QStringLiteral("Tisk"), this);
    suiButton1->setObjectName(QStringLiteral("suiButton1"));
    suiButton1->setGeometry(195, 150, 80, 27);
    suiButton1->setDefault(true);
    connect(suiButton1, &QPushButton::clicked, this, &QDialog::accept);
    suiButton2 = new QPushButton(QStringLiteral("Zpět"), this);
    suiButton2->setObjectName(QStringLiteral("suiButton2"));
    suiButton2->setGeometry(195, 190, 80, 27);
    connect(suiButton2, &QPushButton::clicked, this, &QDialog::reject);

    const TIniFile ini(m_iniFile);
    suiSpinEdit1->setValue(ini.ReadInteger(section, countKey, 1));
    const int left = ini.ReadInteger(section, leftKey, noPosition);
    const int top = ini.ReadInteger(section, topKey, noPosition);
    // A position kept from a screen that is gone would open the dialog where nobody sees it.
    if (left != noPosition && top != noPosition &&
        QGuiApplication::screenAt(QPoint(left, top) + QPoint(20, 20))) {
        move(left, top);
        m_placed = true;
    }
}

int TFstit::labelCount() const {
    return suiSpinEdit1->value();
}

int TFstit::startSlot() const {
    if (suiRadioButton2->isChecked()) return 2;
    if (suiRadioButton3->isChecked()) return 3;
    if (suiRadioButton4->isChecked()) return 4;
    return 1;
}

void TFstit::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (m_placed) return;
    m_placed = true;
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TFstit::done(int result) {
    try {
        TIniFile ini(m_iniFile);
        ini.WriteInteger(section, countKey, labelCount());
        ini.WriteInteger(section, leftKey, pos().x());
        ini.WriteInteger(section, topKey, pos().y());
    } catch (const EIniFileError&) {
        // A settings file that cannot be written only forgets the count; the labels still print.
    }
    QDialog::done(result);
}

} // namespace kvor
