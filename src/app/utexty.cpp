#include "app/utexty.h"

#include "app/AppWindows.h"
#include "widgets/MessageBox.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

namespace kvor {

namespace {
QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption, const QRect& geometry,
                        const QString& hint = QString()) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(geometry);
    button->setCursor(Qt::PointingHandCursor);
    button->setAutoDefault(false);
    if (!hint.isEmpty()) button->setToolTip(hint);
    return button;
}
} // namespace

TftextUloz::TftextUloz(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("ftextUloz"));
    setWindowTitle(QStringLiteral("Uložené texty"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedWidth(754);
    setFixedHeight(ClosedHeight);

    ListBox1 = new QListWidget(this);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    ListBox1->setGeometry(29, 12, 696, 156);
    ListBox1->setSelectionMode(QAbstractItemView::SingleSelection);

    // The command row sits at the foot of the closed window; the entry line lies below it, out of sight
    // until "+" opens the window further.
    ButtonPlus = makeButton(this, "ButtonPlus", QStringLiteral("+"), QRect(29, 222, 33, 27),
                            QStringLiteral("Přidá další řádek"));
    ButtonMinus = makeButton(this, "ButtonMinus", QStringLiteral("-"), QRect(68, 222, 33, 27),
                             QStringLiteral("Smaže vybraný řádek"));
    ButtonOK = makeButton(this, "ButtonOK", QStringLiteral("OK"), QRect(630, 222, 95, 27));
    ButtonOK->setDefault(true);
    ButtonOK->setAutoDefault(true);

    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setGeometry(29, 272, 696, 23);
    ButtonZapsat = makeButton(this, "ButtonZapsat", QStringLiteral("Zapsat"), QRect(29, 306, 95, 27));
    ButtonZpet = makeButton(this, "ButtonZpet", QStringLiteral("Zpět"), QRect(130, 306, 95, 27));

    connect(ButtonPlus, &QPushButton::clicked, this, [this] { PlusClick(); });
    connect(ButtonMinus, &QPushButton::clicked, this, [this] { MinusClick(); });
    connect(ButtonOK, &QPushButton::clicked, this, [this] { OKClick(); });
    connect(ButtonZapsat, &QPushButton::clicked, this, [this] { ZapsatClick(); });
    connect(ButtonZpet, &QPushButton::clicked, this, [this] { ZpetClick(); });
    // Enter in the entry line writes it; it must not reach the default button, which would close the window.
    Edit1->installEventFilter(this);
}

void TftextUloz::SetTexts(const QStringList& texts) {
    ListBox1->clear();
    ListBox1->addItems(texts);
}

QStringList TftextUloz::Texts() const {
    QStringList texts;
    for (int i = 0; i < ListBox1->count(); ++i)
        texts << ListBox1->item(i)->text();
    return texts;
}

bool TftextUloz::SelectedText(QString* text) const {
    const QList<QListWidgetItem*> selected = ListBox1->selectedItems();
    if (selected.isEmpty()) return false;
    if (text) *text = selected.first()->text();
    return true;
}

void TftextUloz::PlusClick() {
    setFixedHeight(OpenHeight);
    Edit1->setFocus();
}

void TftextUloz::ZapsatClick() {
    ListBox1->addItem(Edit1->text());
    ZpetClick();
}

void TftextUloz::ZpetClick() {
    setFixedHeight(ClosedHeight);
    ListBox1->setFocus();
}

void TftextUloz::MinusClick() {
    const QList<QListWidgetItem*> selected = ListBox1->selectedItems();
    if (selected.isEmpty()) return;
    delete ListBox1->takeItem(ListBox1->row(selected.first()));
    // The list would select the next row by itself, and "OK" would then take a text the user never chose.
    ListBox1->setCurrentItem(nullptr);
    ListBox1->clearSelection();
}

void TftextUloz::OKClick() {
    if (!SelectedText(nullptr)) {
        // Centred on the main window, which owns this window.
        TMessageBox box(parentWidget());
        box.Ask(QStringLiteral("Není vybrán text."), TMsgIcon::Warning, {QStringLiteral("OK")});
    }
    accept();
}

bool TftextUloz::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Edit1 && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            ZapsatClick();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TftextUloz::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    centerOnScreen(this);
}

} // namespace kvor
