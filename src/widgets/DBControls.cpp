#include "widgets/DBControls.h"

#include "platform/CzechLocale.h"
#include "widgets/ErrorBox.h"

#include <QAbstractItemModel>
#include <QCalendarWidget>
#include <QFocusEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QRegularExpressionValidator>
#include <QScreen>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

namespace kvor {

namespace {

// Focus that leaves for a drop-down or because another window became active has not left the
// control: the user is still in it.
bool leftControl(const QFocusEvent* event) {
    return event->reason() != Qt::PopupFocusReason && event->reason() != Qt::ActiveWindowFocusReason;
}

// Starts editing for the user's change. A refusal of the dataset is shown; false means the change
// cannot be taken and the control is to show the field again.
bool beginChange(TFieldDataLink* link, QWidget* control) {
    try {
        return link->Edit();
    } catch (const std::exception& error) {
        showErrorBox(errorText(error), control);
        return false;
    }
}

// Writes a value chosen as a whole (a list item, a tick, a day): a refusal is shown at once.
bool writeChoice(TFieldDataLink* link, QWidget* control, const QVariant& value) {
    try {
        return link->Write(value);
    } catch (const std::exception& error) {
        showErrorBox(errorText(error), control);
        return false;
    }
}

// Writes a text as the user types it; false while the field does not take it yet ("1," on the way
// to "1,5"): then it is written, or reported, when the user leaves the control.
bool writeWhileTyping(TFieldDataLink* link, const QString& text) {
    try {
        return link->Write(text);
    } catch (const std::exception&) {
        return false;
    }
}

// Writes a typed text when the user leaves the control or presses Enter.
bool writeTyped(TFieldDataLink* link, QWidget* control, const std::function<QVariant()>& value) {
    try {
        link->Write(value());
        return true;
    } catch (const std::exception& error) {
        showErrorBox(errorText(error), control);
        return false;
    }
}

constexpr int kUnlimitedLength = 32767; // QLineEdit's own default

int effectiveMaxLength(const TField* field, int ownLimit) {
    int limit = kUnlimitedLength;
    if (field && isStringType(field->DataType()) && field->Size() > 0) limit = field->Size();
    if (ownLimit > 0) limit = std::min(limit, ownLimit);
    return limit;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// TDBEdit

TDBEdit::TDBEdit(QWidget* parent) : QLineEdit(parent), TFieldBinding(this) {
    connect(m_link, &TFieldDataLink::refresh, this, &TDBEdit::Reset);
    connect(m_link, &TFieldDataLink::stateChanged, this, &TDBEdit::updateEditable);
    connect(this, &QLineEdit::textEdited, this, &TDBEdit::onTextEdited);
    connect(this, &QLineEdit::returnPressed, this, [this] {
        if (UpdateRecord()) Reset();
    });
    updateEditable();
}

void TDBEdit::SetReadOnly(bool readOnly) {
    m_readOnly = readOnly;
    updateEditable();
}

void TDBEdit::SetMaxLength(int length) {
    m_maxLength = std::max(0, length);
    updateEditable();
}

void TDBEdit::updateEditable() {
    setReadOnly(m_readOnly || !m_link->CanModify());
    setMaxLength(effectiveMaxLength(m_link->Field(), m_maxLength));
}

void TDBEdit::Reset() {
    m_pending = false;
    updateEditable();
    QString shown = fieldDisplayText(m_link->Field());
    if (text() != shown) setText(shown);
}

void TDBEdit::onTextEdited(const QString& text) {
    if (m_readOnly || !beginChange(m_link, this)) {
        Reset();
        return;
    }
    m_pending = !writeWhileTyping(m_link, text);
}

bool TDBEdit::UpdateRecord() {
    if (!m_pending) return true;
    if (!writeTyped(m_link, this, [this] { return QVariant(text()); })) return false;
    m_pending = false;
    return true;
}

void TDBEdit::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    if (!leftControl(event)) return;
    if (!UpdateRecord()) {
        setFocus(Qt::OtherFocusReason);
        selectAll();
        return;
    }
    Reset(); // the field's own form of the value ("12,5" for "12,50")
    emit exited();
}

// ---------------------------------------------------------------------------------------------
// TDBComboBox

TDBComboBox::TDBComboBox(QWidget* parent) : QComboBox(parent), TFieldBinding(this) {
    setInsertPolicy(QComboBox::NoInsert);
    connect(m_link, &TFieldDataLink::refresh, this, &TDBComboBox::Reset);
    connect(m_link, &TFieldDataLink::stateChanged, this, &TDBComboBox::updateEditable);
    connect(this, &QComboBox::activated, this, &TDBComboBox::onActivated);
    // Filling the list moves the combo box's own current item; the field decides what is shown.
    QAbstractItemModel* items = model();
    connect(items, &QAbstractItemModel::rowsInserted, this, &TDBComboBox::showField);
    connect(items, &QAbstractItemModel::rowsRemoved, this, &TDBComboBox::showField);
    connect(items, &QAbstractItemModel::modelReset, this, &TDBComboBox::showField);
    connect(items, &QAbstractItemModel::dataChanged, this, &TDBComboBox::showField);
    updateEditable();
}

void TDBComboBox::SetReadOnly(bool readOnly) {
    m_readOnly = readOnly;
    updateEditable();
}

void TDBComboBox::SetMaxLength(int length) {
    m_maxLength = std::max(0, length);
    updateEditable();
}

QString TDBComboBox::StoredValue(int index) const {
    if (index < 0 || index >= count()) return QString();
    QVariant code = itemData(index);
    return code.isValid() ? code.toString() : itemText(index);
}

int TDBComboBox::IndexOfStored(const QString& value) const {
    for (int i = 0; i < count(); ++i)
        if (StoredValue(i) == value) return i;
    // Character fields come back without their trailing blanks, and lists were always matched
    // without regard to case.
    QString wanted = value.trimmed();
    for (int i = 0; i < count(); ++i)
        if (StoredValue(i).trimmed().compare(wanted, Qt::CaseInsensitive) == 0) return i;
    return -1;
}

void TDBComboBox::attachLineEdit() {
    if (lineEdit() == m_attached) return;
    m_attached = lineEdit();
    if (m_attached) connect(m_attached, &QLineEdit::textEdited, this, &TDBComboBox::onTextEdited);
}

void TDBComboBox::updateEditable() {
    attachLineEdit();
    if (QLineEdit* edit = lineEdit()) {
        edit->setReadOnly(m_readOnly || !m_link->CanModify());
        edit->setMaxLength(effectiveMaxLength(m_link->Field(), m_maxLength));
    }
}

void TDBComboBox::showField() {
    if (m_showing) return;
    m_showing = true;
    attachLineEdit();
    QString value = fieldDisplayText(m_link->Field());
    int index = IndexOfStored(value);
    if (currentIndex() != index) setCurrentIndex(index);
    if (isEditable() && currentText() != value) setEditText(value);
    m_showing = false;
}

void TDBComboBox::Reset() {
    m_pending = false;
    updateEditable();
    showField();
}

void TDBComboBox::onActivated(int index) {
    if (m_showing) return;
    TField* field = m_link->Field();
    QString value = StoredValue(index);
    if (field && !m_link->Editing() && fieldDisplayText(field) == value) return; // picked what is there
    if (m_readOnly || !m_link->CanModify() || !beginChange(m_link, this) ||
        !writeChoice(m_link, this, value)) {
        Reset();
        return;
    }
    m_pending = false;
}

void TDBComboBox::onTextEdited(const QString& text) {
    if (m_showing) return;
    if (m_readOnly || !beginChange(m_link, this)) {
        Reset();
        return;
    }
    m_pending = !writeWhileTyping(m_link, text);
}

bool TDBComboBox::UpdateRecord() {
    if (!isEditable() || !m_pending) return true;
    if (!writeTyped(m_link, this, [this] { return QVariant(currentText()); })) return false;
    m_pending = false;
    return true;
}

void TDBComboBox::focusInEvent(QFocusEvent* event) {
    attachLineEdit();
    QComboBox::focusInEvent(event);
}

void TDBComboBox::focusOutEvent(QFocusEvent* event) {
    QComboBox::focusOutEvent(event);
    if (!leftControl(event)) return;
    // Inline completion fills the text in without an edit of the user's own.
    if (isEditable() && m_link->Editing() && currentText() != fieldDisplayText(m_link->Field()))
        m_pending = true;
    if (!UpdateRecord()) {
        setFocus(Qt::OtherFocusReason);
        return;
    }
    emit exited();
}

// ---------------------------------------------------------------------------------------------
// TDBCheckBox

TDBCheckBox::TDBCheckBox(QWidget* parent) : TDBCheckBox(QString(), parent) {}

TDBCheckBox::TDBCheckBox(const QString& text, QWidget* parent)
    : QCheckBox(text, parent), TFieldBinding(this) {
    connect(m_link, &TFieldDataLink::refresh, this, &TDBCheckBox::showField);
    connect(this, &QCheckBox::clicked, this, &TDBCheckBox::onClicked);
}

void TDBCheckBox::SetValueChecked(const QString& value) {
    m_valueChecked = value;
    showField();
}

void TDBCheckBox::SetValueUnchecked(const QString& value) {
    m_valueUnchecked = value;
    showField();
}

void TDBCheckBox::showField() {
    QString value = fieldDisplayText(m_link->Field()).trimmed();
    setChecked(!value.isEmpty() && value.compare(m_valueChecked, Qt::CaseInsensitive) == 0);
}

void TDBCheckBox::onClicked(bool checked) {
    if (m_readOnly || !m_link->CanModify() || !beginChange(m_link, this) ||
        !writeChoice(m_link, this, checked ? m_valueChecked : m_valueUnchecked))
        showField();
}

void TDBCheckBox::focusOutEvent(QFocusEvent* event) {
    QCheckBox::focusOutEvent(event);
    if (leftControl(event)) emit exited();
}

// ---------------------------------------------------------------------------------------------
// TCalendarPopup

const QString TCalendarPopup::kPreviousYear = QStringLiteral("Předchozí rok");
const QString TCalendarPopup::kPreviousMonth = QStringLiteral("Předchozí měsíc");
const QString TCalendarPopup::kNextMonth = QStringLiteral("Následující měsíc");
const QString TCalendarPopup::kNextYear = QStringLiteral("Následující rok");

TCalendarPopup::TCalendarPopup(QWidget* parent) : QFrame(parent, Qt::Popup) {
    setFrameShape(QFrame::Box);
    setAttribute(Qt::WA_WindowPropagation);

    m_calendar = new QCalendarWidget(this);
    m_calendar->setObjectName(QStringLiteral("Calendar"));
    m_calendar->setNavigationBarVisible(false);
    m_calendar->setLocale(czech::locale());
    m_calendar->setFirstDayOfWeek(Qt::Monday);
    m_calendar->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    m_calendar->setGridVisible(true);

    m_title = new QLabel(this);
    m_title->setObjectName(QStringLiteral("Month"));
    m_title->setAlignment(Qt::AlignCenter);

    auto* navigation = new QHBoxLayout;
    navigation->setSpacing(2);
    auto* previousYear = addButton(kPreviousYear, QStringLiteral("«"));
    auto* previousMonth = addButton(kPreviousMonth, QStringLiteral("‹"));
    auto* nextMonth = addButton(kNextMonth, QStringLiteral("›"));
    auto* nextYear = addButton(kNextYear, QStringLiteral("»"));
    navigation->addWidget(previousYear);
    navigation->addWidget(previousMonth);
    navigation->addWidget(m_title, 1);
    navigation->addWidget(nextMonth);
    navigation->addWidget(nextYear);
    connect(previousYear, &QToolButton::clicked, m_calendar, &QCalendarWidget::showPreviousYear);
    connect(previousMonth, &QToolButton::clicked, m_calendar, &QCalendarWidget::showPreviousMonth);
    connect(nextMonth, &QToolButton::clicked, m_calendar, &QCalendarWidget::showNextMonth);
    connect(nextYear, &QToolButton::clicked, m_calendar, &QCalendarWidget::showNextYear);

    connect(m_calendar, &QCalendarWidget::currentPageChanged, this, &TCalendarPopup::updateTitle);
    connect(m_calendar, &QCalendarWidget::clicked, this, &TCalendarPopup::datePicked);
    connect(m_calendar, &QCalendarWidget::activated, this, &TCalendarPopup::datePicked);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(3, 3, 3, 3);
    layout->setSpacing(3);
    layout->addLayout(navigation);
    layout->addWidget(m_calendar);
    updateTitle();
}

QToolButton* TCalendarPopup::addButton(const QString& name, const QString& text) {
    auto* button = new QToolButton(this);
    button->setObjectName(name);
    button->setToolTip(name);
    button->setAccessibleName(name);
    button->setText(text);
    button->setAutoRaise(true);
    button->setAutoRepeat(true);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

QToolButton* TCalendarPopup::NavigationButton(const QString& name) const {
    return findChild<QToolButton*>(name, Qt::FindDirectChildrenOnly);
}

QString TCalendarPopup::MonthTitle() const {
    return m_title->text();
}

void TCalendarPopup::SetDate(const QDate& date) {
    m_calendar->setSelectedDate(date);
    m_calendar->setCurrentPage(date.year(), date.month());
    updateTitle();
}

void TCalendarPopup::updateTitle() {
    m_title->setText(QStringLiteral("%1 %2")
                         .arg(czech::locale().standaloneMonthName(m_calendar->monthShown()))
                         .arg(m_calendar->yearShown()));
}

void TCalendarPopup::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        hide();
        return;
    }
    QFrame::keyPressEvent(event);
}

// ---------------------------------------------------------------------------------------------
// TDBDateEdit

TDBDateEdit::TDBDateEdit(QWidget* parent) : QLineEdit(parent), TFieldBinding(this) {
    setMaxLength(10); // d.M.yyyy at its longest
    setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9. ]*")), this));
    m_dropDown = addAction(style()->standardIcon(QStyle::SP_ArrowDown), QLineEdit::TrailingPosition);
    m_dropDown->setObjectName(QStringLiteral("DropDown"));
    connect(m_dropDown, &QAction::triggered, this, &TDBDateEdit::ShowCalendar);
    connect(m_link, &TFieldDataLink::refresh, this, &TDBDateEdit::Reset);
    connect(m_link, &TFieldDataLink::stateChanged, this, &TDBDateEdit::updateEditable);
    connect(this, &QLineEdit::textEdited, this, &TDBDateEdit::onTextEdited);
    connect(this, &QLineEdit::returnPressed, this, [this] {
        if (UpdateRecord()) Reset();
    });
    updateEditable();
}

void TDBDateEdit::SetReadOnly(bool readOnly) {
    m_readOnly = readOnly;
    updateEditable();
}

void TDBDateEdit::updateEditable() {
    bool locked = m_readOnly || !m_link->CanModify();
    setReadOnly(locked);
    m_dropDown->setEnabled(!locked);
}

QDate TDBDateEdit::Date() const {
    return czech::parseDate(text()).value_or(QDate());
}

void TDBDateEdit::Reset() {
    m_pending = false;
    updateEditable();
    QString shown = fieldDisplayText(m_link->Field());
    // a date-time field shows its date only
    if (TField* field = m_link->Field(); field && !shown.isEmpty() && field->DataType() != ftDate)
        shown = czech::formatDate(field->AsDateTime().date());
    if (text() != shown) setText(shown);
}

void TDBDateEdit::onTextEdited(const QString&) {
    if (m_readOnly || !beginChange(m_link, this)) {
        Reset();
        return;
    }
    // Half a date is no date: the text goes into the field when the user leaves or presses Enter.
    m_pending = true;
}

bool TDBDateEdit::UpdateRecord() {
    if (!m_pending) return true;
    bool ok = writeTyped(m_link, this, [this]() -> QVariant {
        QString typed = text().trimmed();
        if (typed.isEmpty()) return QVariant();
        auto date = czech::parseDate(typed);
        if (!date) throw EConvertError(QStringLiteral("'%1' není platné datum.").arg(typed));
        return *date;
    });
    if (!ok) return false;
    m_pending = false;
    return true;
}

void TDBDateEdit::ShowCalendar() {
    if (isReadOnly()) return;
    if (!m_popup) {
        m_popup = new TCalendarPopup(this);
        connect(m_popup, &TCalendarPopup::datePicked, this, &TDBDateEdit::onDatePicked);
    }
    QDate shown = Date();
    m_popup->SetDate(shown.isValid() ? shown : QDate::currentDate());
    m_popup->adjustSize();
    QPoint below = mapToGlobal(QPoint(0, height()));
    QRect area = m_popup->geometry();
    area.moveTopLeft(below);
    if (QScreen* s = screen()) {
        QRect available = s->availableGeometry();
        if (area.bottom() > available.bottom()) area.moveBottom(mapToGlobal(QPoint(0, 0)).y() - 1);
        if (area.right() > available.right()) area.moveRight(available.right());
    }
    m_popup->move(area.topLeft());
    m_popup->show();
    m_popup->Calendar()->setFocus(Qt::PopupFocusReason);
}

void TDBDateEdit::onDatePicked(const QDate& date) {
    if (m_popup) m_popup->hide();
    if (!beginChange(m_link, this) || !writeChoice(m_link, this, date)) {
        Reset();
        return;
    }
    Reset();
}

void TDBDateEdit::keyPressEvent(QKeyEvent* event) {
    bool altDown = event->key() == Qt::Key_Down && (event->modifiers() & Qt::AltModifier);
    if (altDown || event->key() == Qt::Key_F4) {
        ShowCalendar();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void TDBDateEdit::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    if (!leftControl(event)) return;
    if (!UpdateRecord()) {
        setFocus(Qt::OtherFocusReason);
        selectAll();
        return;
    }
    Reset();
    emit exited();
}

} // namespace kvor
