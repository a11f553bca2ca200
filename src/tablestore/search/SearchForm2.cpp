#include "tablestore/search/SearchForm2.h"

#include "platform/CzechLocale.h"
#include "widgets/ErrorBox.h"
#include "widgets/MessageBox.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QStyledItemDelegate>

namespace kvor {

namespace {

const QString kNotFound = QStringLiteral("Record not found");

// Lines of the value list are one text height plus two pixels high.
class LineDelegate : public QStyledItemDelegate {
public:
    LineDelegate(int height, QObject* parent) : QStyledItemDelegate(parent), m_height(height) {}
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        return {QStyledItemDelegate::sizeHint(option, index).width(), m_height};
    }

private:
    int m_height;
};

// Restores the cursor and the bound controls however the block is left.
struct SuspendedControls {
    TDataSet& dataSet;
    explicit SuspendedControls(TDataSet& d) : dataSet(d) {
        dataSet.DisableControls();
        QApplication::setOverrideCursor(Qt::WaitCursor);
    }
    ~SuspendedControls() {
        QApplication::restoreOverrideCursor();
        dataSet.EnableControls();
    }
};

bool isSearchable(const TField& field) {
    const TFieldType t = field.DataType();
    return !isBlobType(t) && t != ftBytes && t != ftVarBytes && t != ftDataSet && t != ftADT &&
           t != ftArray && t != ftReference;
}

// Whether the field would take the character as typed: numbers take digits and signs, floats also
// the decimal separators and an exponent; other fields take anything.
bool fieldTakes(const TField& field, QChar c) {
    const TFieldType t = field.DataType();
    const bool sign = c.isDigit() || c == u'+' || c == u'-';
    if (isIntegerType(t)) return sign;
    if (isFloatType(t)) return sign || c == czech::decimalSeparator || c == u'.' || c == u'e' || c == u'E';
    return true;
}

} // namespace

TSearchForm2::TSearchForm2(TDataSet* dataSet, const QStringList& fieldNames, const QString& initialField,
                           TSearchKind kind, QWidget* owner)
    : QDialog(owner), m_dataSet(dataSet) {
    buildWindow(owner);
    // 1. The record to return to when the search is cancelled.
    m_startRecord = dataSet->GetBookmark();
    // 2. The fields on offer.
    if (fieldNames.isEmpty()) {
        for (int i = 0; i < dataSet->FieldCount(); ++i)
            if (isSearchable(*dataSet->Fields(i))) m_fields << dataSet->Fields(i);
    } else {
        for (const QString& name : fieldNames)
            if (TField* f = dataSet->FindField(name)) m_fields << f;
    }
    for (TField* f : m_fields)
        cbFields->addItem(f->FieldName(), f->FieldName());
    cbFields->setMaxVisibleItems(std::max(1, int(m_fields.size())));
    int initial = 0;
    for (int i = 0; i < m_fields.size(); ++i)
        if (m_fields[i]->FieldName().compare(initialField, Qt::CaseInsensitive) == 0) initial = i;
    // 3. The field.
    cbFields->setCurrentIndex(initial);
    chooseField();
    connect(cbFields, &QComboBox::currentIndexChanged, this,
            [this] { runGuarded([this] { chooseField(); }, this); });
    // 4. The modes of the search kind.
    connect(ckExtendedSearch, &QCheckBox::toggled, this,
            [this] { runGuarded([this] { listModeSwitched(); }, this); });
    connect(ckContext, &QCheckBox::toggled, this,
            [this] { runGuarded([this] { substringModeSwitched(); }, this); });
    if (kind != TSearchKind::skNormal) ckExtendedSearch->setChecked(true);
    if (kind == TSearchKind::skContext) ckContext->setChecked(true);
    // 5. The layout of the mode, the focus in the edit box.
    applyLayout();
    edtemplate->setFocus();
}

void TSearchForm2::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    activateWindow();
    edtemplate->setFocus();
}

TSearchForm2::~TSearchForm2() {
    if (m_dataSet) m_dataSet->FreeBookmark(m_startRecord);
}

void TSearchForm2::buildWindow(QWidget* owner) {
    setObjectName(QStringLiteral("SearchForm2"));
    setWindowTitle(QStringLiteral("Hledat"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint);
    setFont(owner ? owner->window()->font() : QFont(QStringLiteral("Tahoma"), 8));

    m_top = new QWidget(this);
    m_top->setObjectName(QStringLiteral("TopPanel"));
    QFont bold = font();
    bold.setBold(true);
    auto* fieldsLabel = new QLabel(QStringLiteral("Prohledávat"), m_top);
    fieldsLabel->setFont(bold);
    fieldsLabel->setGeometry(8, 7, 90, 16);
    cbFields = new QComboBox(m_top);
    cbFields->setObjectName(QStringLiteral("cbFields"));
    cbFields->setEditable(false);
    cbFields->setGeometry(96, 4, 331, 22);
    auto* templateLabel = new QLabel(QStringLiteral("Co hledat"), m_top);
    templateLabel->setFont(bold);
    templateLabel->setGeometry(8, 36, 90, 16);
    edtemplate = new QLineEdit(m_top);
    edtemplate->setObjectName(QStringLiteral("edtemplate"));
    edtemplate->setGeometry(96, 33, 331, 22);

    m_middle = new QWidget(this);
    m_middle->setObjectName(QStringLiteral("MiddlePanel"));
    lbfindvalues = new QListWidget(m_middle);
    lbfindvalues->setObjectName(QStringLiteral("lbfindvalues"));
    lbfindvalues->setFont(QFont(QStringLiteral("Courier New"), 8));
    lbfindvalues->setUniformItemSizes(true);
    lbfindvalues->setSelectionMode(QAbstractItemView::SingleSelection);
    lbfindvalues->setItemDelegate(new LineDelegate(LineHeight(), lbfindvalues));

    m_bottom = new QWidget(this);
    m_bottom->setObjectName(QStringLiteral("BottomPanel"));
    btok = new QPushButton(QStringLiteral("převzít"), m_bottom);
    btok->setObjectName(QStringLiteral("btok"));
    btok->setGeometry(8, 7, 75, 25);
    btcancel = new QPushButton(QStringLiteral("storno"), m_bottom);
    btcancel->setObjectName(QStringLiteral("btcancel"));
    btcancel->setGeometry(90, 7, 75, 25);
    // Enter presses only the button the default-button rule names.
    btok->setAutoDefault(false);
    btcancel->setAutoDefault(false);
    ckExtendedSearch = new QCheckBox(QStringLiteral("zobrazit výběr"), m_bottom);
    ckExtendedSearch->setObjectName(QStringLiteral("ckExtendedSearch"));
    ckExtendedSearch->setGeometry(180, 10, 120, 20);
    ckContext = new QCheckBox(QStringLiteral("hledat i části"), m_bottom);
    ckContext->setObjectName(QStringLiteral("ckContext"));
    ckContext->setGeometry(305, 10, 125, 20);
    ckContext->hide();

    connect(btok, &QPushButton::clicked, this, &TSearchForm2::accept);
    connect(btcancel, &QPushButton::clicked, this, &TSearchForm2::reject);
    connect(edtemplate, &QLineEdit::textEdited, this,
            [this](const QString& text) { runGuarded([&] { templateEdited(text); }, this); });
    connect(lbfindvalues, &QListWidget::currentRowChanged, this,
            [this](int row) { runGuarded([&] { lineChanged(row); }, this); });
    connect(lbfindvalues, &QListWidget::itemDoubleClicked, btok, &QPushButton::click);
    for (QWidget* w : std::initializer_list<QWidget*>{cbFields, edtemplate, lbfindvalues, btok, btcancel,
                                                      ckExtendedSearch, ckContext})
        w->installEventFilter(this);

    setFixedSize(kClientWidth, 297);
    if (owner) {
        const QRect frame = owner->window()->frameGeometry();
        move(frame.center() - rect().center());
    }
}

bool TSearchForm2::ListMode() const {
    return ckExtendedSearch->isChecked();
}

bool TSearchForm2::SubstringMode() const {
    return ListMode() && ckContext->isChecked();
}

int TSearchForm2::LineHeight() const {
    return QFontMetrics(lbfindvalues->font()).height() + 2;
}

void TSearchForm2::setTemplateQuietly(const QString& text) {
    // setText raises no textEdited, which is the change event the search reacts to.
    edtemplate->setText(text);
}

void TSearchForm2::chooseField() {
    const int index = cbFields->currentIndex();
    m_field = index >= 0 && index < m_fields.size() ? m_fields[index] : nullptr;
    // The list mode is forced only for fields that are not read from the record or that format
    // their text by a handler of their own; the table store's fields are all plain data fields,
    // so the user may always switch it.
    ckExtendedSearch->setEnabled(true);
    if (ListMode()) {
        fillValues();
        setTemplateQuietly(SubstringMode() || lbfindvalues->count() == 0 ? QString()
                                                                         : lbfindvalues->item(0)->text());
        if (lbfindvalues->count() > 0) selectLine(0);
    } else {
        lbfindvalues->clear();
        setTemplateQuietly(QString());
    }
    if (isVisible() && !cbFields->view()->isVisible()) edtemplate->setFocus();
    updateDefaultButton();
}

void TSearchForm2::fillValues() {
    const QSignalBlocker quiet(lbfindvalues);
    lbfindvalues->clear();
    m_records.clear();
    m_values.clear();
    if (!m_dataSet || !m_field) return;
    SuspendedControls suspended(*m_dataSet);
    for (m_dataSet->First(); !m_dataSet->Eof(); m_dataSet->Next()) {
        m_records << m_dataSet->GetBookmark();
        m_values << Value{m_field->DisplayText(), int(m_records.size()) - 1};
        auto* item = new QListWidgetItem(m_values.last().Text, lbfindvalues);
        item->setData(Qt::UserRole, m_values.last().Record);
    }
    m_dataSet->First();
}

void TSearchForm2::filterList() {
    {
        const QSignalBlocker quiet(lbfindvalues);
        lbfindvalues->clear();
        const QString typed = czech::upper(edtemplate->text());
        const bool all = !SubstringMode() || typed.isEmpty();
        for (const Value& v : m_values) {
            if (!all && !czech::upper(v.Text).contains(typed)) continue;
            auto* item = new QListWidgetItem(v.Text, lbfindvalues);
            item->setData(Qt::UserRole, v.Record);
        }
    }
    if (!SubstringMode())
        setTemplateQuietly(lbfindvalues->count() ? lbfindvalues->item(0)->text() : QString());
    if (lbfindvalues->count() > 0) selectLine(0);
}

void TSearchForm2::selectLine(int row) {
    // A line that is already current is taken again, so that the edit box and the record follow.
    if (lbfindvalues->currentRow() == row)
        lineChanged(row);
    else
        lbfindvalues->setCurrentRow(row);
}

void TSearchForm2::templateEdited(const QString& text) {
    if (ListMode()) {
        if (SubstringMode()) {
            filterList();
        } else {
            // The first line not below the typed text, by binary search over lines in ascending
            // order (the sort before opening gives it). Whole lines are compared, not their
            // beginnings cut to the typed length: under Czech collation the cut beginnings are out
            // of order ("Chmel" sorts after "Hrách", but cut to one letter "C" comes before "H"),
            // which would send the search past the right line. A line that begins with the typed
            // text is never below it, so the line found is the same wherever the cut ones agree.
            int lo = 0, hi = lbfindvalues->count();
            while (lo < hi) {
                const int mid = (lo + hi) / 2;
                if (czech::compare(lbfindvalues->item(mid)->text(), text, true) < 0)
                    lo = mid + 1;
                else
                    hi = mid;
            }
            if (lo < lbfindvalues->count()) selectLine(lo);
        }
    }
    updateDefaultButton();
}

void TSearchForm2::lineChanged(int row) {
    QListWidgetItem* item = row >= 0 ? lbfindvalues->item(row) : nullptr;
    if (item && m_dataSet) {
        // The grid behind follows the selected line.
        const TBookmark& record = m_records.value(item->data(Qt::UserRole).toInt());
        if (!record.isEmpty() && m_dataSet->CompareBookmarks(m_dataSet->GetBookmark(), record) != 0)
            m_dataSet->GotoBookmark(record);
        if (!SubstringMode()) {
            setTemplateQuietly(item->text());
            edtemplate->selectAll();
        }
    }
    updateDefaultButton();
}

void TSearchForm2::listModeSwitched() {
    applyLayout();
    chooseField();
}

void TSearchForm2::applyLayout() {
    ckContext->setVisible(ListMode());
    setUpdatesEnabled(false);
    const int height = ListMode() ? 10 * LineHeight() + kTopHeight + kBottomHeight + kMiddleBorder + 45
                                  : kTopHeight + kBottomHeight + 35;
    setFixedSize(kClientWidth, height);
    m_top->setGeometry(0, 0, kClientWidth, kTopHeight);
    m_bottom->setGeometry(0, height - kBottomHeight, kClientWidth, kBottomHeight);
    m_middle->setGeometry(0, kTopHeight, kClientWidth, height - kTopHeight - kBottomHeight);
    lbfindvalues->setGeometry(m_middle->rect().adjusted(8, kMiddleBorder, -8, -kMiddleBorder));
    m_middle->setVisible(ListMode());
    setUpdatesEnabled(true);
}

void TSearchForm2::substringModeSwitched() {
    if (isVisible())
        edtemplate->setFocus();
    else
        setTemplateQuietly(QString());
    filterList();
    edtemplate->selectAll();
    updateDefaultButton();
}

void TSearchForm2::updateDefaultButton() {
    bool isDefault = true;
    if (ListMode()) {
        const QListWidgetItem* line = lbfindvalues->currentItem();
        isDefault = line && line->isSelected() && (SubstringMode() || edtemplate->text() == line->text());
    }
    btok->setDefault(isDefault);
}

bool TSearchForm2::acceptsCharacter(QChar c) const {
    if (!m_field || !c.isPrint()) return true;
    // A list without lines takes anything.
    if (ListMode() && lbfindvalues->count() == 0) return true;
    return fieldTakes(*m_field, c);
}

bool TSearchForm2::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return QDialog::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    if (watched == cbFields) {
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && !cbFields->view()->isVisible()) {
            edtemplate->setFocus();
            return true;
        }
        return false;
    }
    if (watched == edtemplate && !key->text().isEmpty() && !acceptsCharacter(key->text().at(0))) {
        QApplication::beep();
        return true;
    }
    if (!ListMode()) return false;
    int moveTo = 0;
    switch (key->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
        moveTo = key->key();
        break;
    case Qt::Key_PageUp:
        moveTo = key->modifiers() == Qt::ControlModifier ? Qt::Key_Home : Qt::Key_PageUp;
        break;
    case Qt::Key_PageDown:
        moveTo = key->modifiers() == Qt::ControlModifier ? Qt::Key_End : Qt::Key_PageDown;
        break;
    default:
        return false;
    }
    // The list moves itself for its own plain keys.
    if (watched == lbfindvalues && moveTo == key->key()) return false;
    QKeyEvent moved(QEvent::KeyPress, moveTo, Qt::NoModifier);
    QCoreApplication::sendEvent(lbfindvalues, &moved);
    return true;
}

bool TSearchForm2::lookUp() {
    if (!m_dataSet || !m_field) return true;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    struct Restore {
        ~Restore() { QApplication::restoreOverrideCursor(); }
    } restore;
    return m_dataSet->Locate(m_field->FieldName(), edtemplate->text(), loCaseInsensitive);
}

void TSearchForm2::accept() {
    bool found = true;
    if (!runGuarded([&] { found = ListMode() || lookUp(); }, this)) return;
    if (!found) {
        QApplication::beep();
        TMessageBox box(this);
        box.Ask(kNotFound, TMsgIcon::Stop, {QStringLiteral("OK")});
        return;
    }
    QDialog::accept();
}

void TSearchForm2::reject() {
    runGuarded(
        [this] {
            if (m_dataSet && !m_startRecord.isEmpty()) m_dataSet->GotoBookmark(m_startRecord);
        },
        this);
    QDialog::reject();
}

} // namespace kvor
