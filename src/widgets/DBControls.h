#pragma once
// Controls bound to one field of a dataset through a TDataSource:
//   TDBEdit      a line edit; its length is limited to the field's width
//   TDBComboBox  an editable list that stores the text, or a fixed list whose items show a text
//                and store a code (addItem(text, code)); an item without a code stores its text
//   TDBCheckBox  a check box storing "A" when ticked and "N" when not
//   TDBDateEdit  a date edit (d.M.yyyy) with a drop-down calendar; the empty date shows empty
//
// The user's first change puts the dataset into editing at once (so AfterEdit runs while the
// user types). Line edits write the field at each keystroke; a text that the field does not take
// yet (a number half typed) is written, or reported, when the user leaves the control. Date edits
// write when the user leaves them, presses Enter or picks a day. Every control emits exited()
// when the user leaves it, after its value has gone into the field, which is where the editor's
// rules for leaving a field run.
#include "widgets/DataSource.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QFrame>
#include <QLineEdit>

class QCalendarWidget;
class QLabel;
class QToolButton;

namespace kvor {

// The field a bound control shows and edits, reached through the control's own data link.
class TFieldBinding {
public:
    TDataSource* DataSource() const { return m_link->DataSource(); }
    void SetDataSource(TDataSource* source) { m_link->SetDataSource(source); }
    const QString& DataField() const { return m_link->FieldName(); }
    void SetDataField(const QString& name) { m_link->SetFieldName(name); }
    TField* Field() const { return m_link->Field(); }

protected:
    explicit TFieldBinding(QObject* control) : m_link(new TFieldDataLink(control)) {}
    ~TFieldBinding() = default;

    TFieldDataLink* m_link; // owned by the control
};

class TDBEdit : public QLineEdit, public TFieldBinding {
    Q_OBJECT
public:
    explicit TDBEdit(QWidget* parent = nullptr);

    // The control's own read-only switch; it is read-only as well without a field to edit.
    bool ReadOnly() const { return m_readOnly; }
    void SetReadOnly(bool readOnly);
    // A limit below the field's width (0: the field's width alone).
    int MaxLength() const { return m_maxLength; }
    void SetMaxLength(int length);

    // Whether a change of the user waits to be written.
    bool Pending() const { return m_pending; }
    // Writes a waiting change; false, with the error shown, when the field refuses it.
    bool UpdateRecord();
    // Shows the field again, dropping a waiting change.
    void Reset();

signals:
    void exited();

protected:
    void focusOutEvent(QFocusEvent* event) override;

private:
    void onTextEdited(const QString& text);
    void updateEditable();

    bool m_readOnly = false;
    int m_maxLength = 0;
    bool m_pending = false;
};

class TDBComboBox : public QComboBox, public TFieldBinding {
    Q_OBJECT
public:
    explicit TDBComboBox(QWidget* parent = nullptr);

    bool ReadOnly() const { return m_readOnly; }
    void SetReadOnly(bool readOnly);
    // A limit of the editable text below the field's width (0: the field's width alone).
    int MaxLength() const { return m_maxLength; }
    void SetMaxLength(int length);

    // The value an item stores: its code, or its text when it has none.
    QString StoredValue(int index) const;
    // The item that stores the value; -1 when none does.
    int IndexOfStored(const QString& value) const;

    bool Pending() const { return m_pending; }
    bool UpdateRecord();
    void Reset();

signals:
    void exited();

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void showField();
    void onActivated(int index);
    void onTextEdited(const QString& text);
    void attachLineEdit();
    void updateEditable();

    QLineEdit* m_attached = nullptr;
    bool m_readOnly = false;
    int m_maxLength = 0;
    bool m_pending = false;
    bool m_showing = false;
};

class TDBCheckBox : public QCheckBox, public TFieldBinding {
    Q_OBJECT
public:
    explicit TDBCheckBox(QWidget* parent = nullptr);
    explicit TDBCheckBox(const QString& text, QWidget* parent = nullptr);

    bool ReadOnly() const { return m_readOnly; }
    void SetReadOnly(bool readOnly) { m_readOnly = readOnly; }
    const QString& ValueChecked() const { return m_valueChecked; }
    void SetValueChecked(const QString& value);
    const QString& ValueUnchecked() const { return m_valueUnchecked; }
    void SetValueUnchecked(const QString& value);

signals:
    void exited();

protected:
    void focusOutEvent(QFocusEvent* event) override;

private:
    void showField();
    void onClicked(bool checked);

    bool m_readOnly = false;
    QString m_valueChecked = QStringLiteral("A");
    QString m_valueUnchecked = QStringLiteral("N");
};

// The drop-down calendar of a date edit: four navigation buttons, the month shown, the days.
class TCalendarPopup : public QFrame {
    Q_OBJECT
public:
    static const QString kPreviousYear;  // "Předchozí rok"
    static const QString kPreviousMonth; // "Předchozí měsíc"
    static const QString kNextMonth;     // "Následující měsíc"
    static const QString kNextYear;      // "Následující rok"

    explicit TCalendarPopup(QWidget* parent = nullptr);

    QCalendarWidget* Calendar() const { return m_calendar; }
    QToolButton* NavigationButton(const QString& name) const;
    QString MonthTitle() const;
    // Shows the month of the date with the date selected.
    void SetDate(const QDate& date);

signals:
    void datePicked(const QDate& date);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QToolButton* addButton(const QString& name, const QString& text);
    void updateTitle();

    QCalendarWidget* m_calendar;
    QLabel* m_title;
};

class TDBDateEdit : public QLineEdit, public TFieldBinding {
    Q_OBJECT
public:
    explicit TDBDateEdit(QWidget* parent = nullptr);

    bool ReadOnly() const { return m_readOnly; }
    void SetReadOnly(bool readOnly);

    // The date shown; an invalid date when the text is empty or not a date.
    QDate Date() const;

    // Opens the drop-down calendar under the edit (Alt+Down and F4 do the same).
    void ShowCalendar();
    TCalendarPopup* CalendarPopup() const { return m_popup; } // nullptr until first opened

    bool Pending() const { return m_pending; }
    bool UpdateRecord();
    void Reset();

signals:
    void exited();

protected:
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void onTextEdited(const QString& text);
    void onDatePicked(const QDate& date);
    void updateEditable();

    TCalendarPopup* m_popup = nullptr;
    QAction* m_dropDown;
    bool m_readOnly = false;
    bool m_pending = false;
};

} // namespace kvor
