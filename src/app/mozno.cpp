#include "app/mozno.h"

#include "app/AppWindows.h"
#include "platform/ProfileFile.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

namespace kvor {

const QString TFmozno::Section = QStringLiteral("TFmozno");

namespace {

// The longest text a field without a limit of its own takes from typing.
constexpr int kUnlimited = 32767;
const char* const kLimitProperty = "kvorTypingLimit";

// A field's limit holds for typing only. A stored value longer than the field is shown and
// written back whole: the edit's own length limit is never below the text it holds, and it falls
// back towards the field's limit as the user shortens the text, so typing cannot lengthen it.
void fitLengthLimit(QLineEdit* edit) {
    edit->setMaxLength(std::max<int>(edit->property(kLimitProperty).toInt(), int(edit->text().size())));
}

void setWholeText(QLineEdit* edit, const QString& text) {
    edit->setMaxLength(std::max<int>(edit->property(kLimitProperty).toInt(), int(text.size())));
    edit->setText(text);
}

QLineEdit* makeField(QWidget* parent, const char* name, int maxLength, const QString& initial) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setProperty(kLimitProperty, maxLength > 0 ? maxLength : kUnlimited);
    QObject::connect(edit, &QLineEdit::textEdited, edit, [edit] { fitLengthLimit(edit); });
    setWholeText(edit, initial);
    return edit;
}

} // namespace

TFmozno::TFmozno(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Fmozno"));
    setWindowTitle(QStringLiteral("Trivan05 - žádosti - servis"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::WindowStaysOnTopHint);
    setFixedSize(367, 302);

    auto* group = new QGroupBox(QStringLiteral("Identifikace žadatele"), this);
    group->setObjectName(QStringLiteral("GroupBox1"));
    Editpodnik = makeField(group, "Editpodnik", 4, QStringLiteral("zada"));
    EditCSO = makeField(group, "EditCSO", 3, QString());
    EditICO = makeField(group, "EditICO", 10, QStringLiteral("ICO"));
    EditDIC = makeField(group, "EditDIC", 10, QStringLiteral("DIC"));
    Editnazev = makeField(group, "Editnazev", 30, QStringLiteral("nazev"));
    Editsidlo = makeField(group, "Editsidlo", 30, QStringLiteral("sidlo"));
    Editulice = makeField(group, "Editulice", 30, QStringLiteral("ulice"));
    EditPSC = makeField(group, "EditPSC", 6, QStringLiteral("PSC"));
    Editposta = makeField(group, "Editposta", 24, QStringLiteral("posta"));
    EditTelefon = makeField(group, "EditTelefon", 0, QStringLiteral("Telefon"));
    EditFax = makeField(group, "EditFax", 24, QStringLiteral("Fax"));
    EditEmail = makeField(group, "EditEmail", 30, QStringLiteral("Email"));

    // Short codes get short fields so that each pair reads as one row.
    for (QLineEdit* e : {Editpodnik, EditCSO})
        e->setFixedWidth(60);
    for (QLineEdit* e : {EditICO, EditDIC})
        e->setFixedWidth(100);
    EditPSC->setFixedWidth(70);

    auto* grid = new QGridLayout(group);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(5);
    auto label = [&](const QString& text, int row, int column) {
        auto* l = new QLabel(text, group);
        grid->addWidget(l, row, column);
        return l;
    };
    auto pair = [&](QLineEdit* left, QLineEdit* right, int row, bool rightLabelled,
                    const QString& rightText) {
        auto* box = new QHBoxLayout;
        box->setSpacing(6);
        box->addWidget(left);
        if (rightLabelled) {
            box->addStretch(1);
            box->addWidget(new QLabel(rightText, group));
            box->addWidget(right);
        } else {
            box->addWidget(right, 1);
        }
        grid->addLayout(box, row, 1);
    };
    label(QStringLiteral("Číslo žadatele"), 0, 0);
    pair(Editpodnik, EditCSO, 0, true, QStringLiteral("ČSO"));
    label(QStringLiteral("IČO"), 1, 0);
    pair(EditICO, EditDIC, 1, true, QStringLiteral("DIČ"));
    label(QStringLiteral("Název podniku"), 2, 0);
    grid->addWidget(Editnazev, 2, 1);
    label(QStringLiteral("Sídlo"), 3, 0);
    grid->addWidget(Editsidlo, 3, 1);
    label(QStringLiteral("Ulice a číslo"), 4, 0);
    grid->addWidget(Editulice, 4, 1);
    label(QStringLiteral("PSČ, pošta"), 5, 0);
    pair(EditPSC, Editposta, 5, false, QString());
    label(QStringLiteral("Telefon, fax"), 6, 0);
    pair(EditTelefon, EditFax, 6, false, QString());
    label(QStringLiteral("Email"), 7, 0);
    grid->addWidget(EditEmail, 7, 1);
    grid->setColumnStretch(1, 1);

    ButtonOK = new QPushButton(QStringLiteral("OK"), this);
    ButtonOK->setObjectName(QStringLiteral("ButtonOK"));
    ButtonOK->setDefault(true);
    ButtonOK->setCursor(Qt::PointingHandCursor);
    connect(ButtonOK, &QPushButton::clicked, this, &QDialog::accept);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ButtonOK);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addWidget(group);
    layout->addStretch(1);
    layout->addLayout(buttons);

    QWidget* previous = Editpodnik;
    for (QWidget* next :
         std::initializer_list<QWidget*>{EditICO, EditDIC, Editnazev, Editsidlo, Editulice, EditPSC,
                                         Editposta, EditTelefon, EditFax, EditEmail, EditCSO, ButtonOK}) {
        setTabOrder(previous, next);
        previous = next;
    }
    Editpodnik->setFocus();
}

QList<QLineEdit*> TFmozno::Fields() const {
    return {Editpodnik, EditCSO, EditICO,   EditDIC,     Editnazev, Editsidlo,
            Editulice,  EditPSC, Editposta, EditTelefon, EditFax,   EditEmail};
}

void TFmozno::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    centerOnScreen(this);
}

void TFmozno::LoadFrom(const TIniFile& ini) {
    for (QLineEdit* field : Fields()) {
        const QString key = field->objectName() + QStringLiteral("_Text");
        if (ini.ValueExists(Section, key)) setWholeText(field, ini.ReadString(Section, key, field->text()));
    }
}

void TFmozno::StoreTo(TIniFile& ini) const {
    // One rewrite of the file: a failure never leaves a part of the company identity stored.
    QList<QPair<QString, QString>> values;
    for (QLineEdit* field : Fields())
        values.append({field->objectName() + QStringLiteral("_Text"), field->text()});
    ini.WriteSection(Section, values);
}

} // namespace kvor
