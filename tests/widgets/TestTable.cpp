#include "TestTable.h"

#include <QtEndian>
#include <algorithm>

namespace kvor::test {

TTestTable::TTestTable(const TFieldDefs& defs, QObject* parent) : TDataSet(parent) {
    SetFieldDefs(defs);
}

void TTestTable::AddRecord(const QVariantList& values) {
    QVariantList row = values;
    while (row.size() < FieldDefs().size())
        row << QVariant();
    m_records << Record{m_nextId++, row};
}

void TTestTable::SortBy(const QString& fieldName, bool descending) {
    CheckBrowseMode();
    int column = -1;
    for (int i = 0; i < FieldDefs().size(); ++i)
        if (FieldDefs()[i].Name.compare(fieldName, Qt::CaseInsensitive) == 0) column = i;
    TFieldType type = FieldDefs().value(column).DataType;
    std::stable_sort(m_records.begin(), m_records.end(), [&](const Record& a, const Record& b) {
        int c = compareFieldValues(type, a.Values[column], b.Values[column], false);
        return descending ? c > 0 : c < 0;
    });
    InternalFirst();
    SetEofBof(m_records.isEmpty(), true);
    Notify(TDataEvent::DataSetChange);
}

QVariant TTestTable::StoredValue(int position, const QString& fieldName) const {
    for (int i = 0; i < FieldDefs().size(); ++i)
        if (FieldDefs()[i].Name.compare(fieldName, Qt::CaseInsensitive) == 0)
            return m_records[position].Values[i];
    return QVariant();
}

TBookmark TTestTable::GetBookmark() const {
    if (!InternalHasRecord()) return TBookmark();
    TBookmark mark(4, '\0');
    qToBigEndian(m_records[m_pos].Id, mark.data());
    return mark;
}

QVariant TTestTable::GetFieldValue(const TField& field) const {
    return m_buffer.value(field.Index());
}

void TTestTable::load() {
    m_buffer = InternalHasRecord() ? m_records[m_pos].Values : QVariantList();
}

bool TTestTable::moveTo(int pos) {
    if (pos < 0 || pos >= m_records.size()) return false;
    m_pos = pos;
    load();
    return true;
}

bool TTestTable::InternalFirst() {
    if (!moveTo(0)) {
        m_pos = -1;
        load();
        return false;
    }
    return true;
}

bool TTestTable::InternalLast() {
    if (!moveTo(int(m_records.size()) - 1)) {
        m_pos = -1;
        load();
        return false;
    }
    return true;
}

bool TTestTable::InternalNext() {
    return moveTo(m_pos + 1);
}

bool TTestTable::InternalPrior() {
    return m_pos > 0 && moveTo(m_pos - 1);
}

bool TTestTable::InternalGotoBookmark(const TBookmark& bookmark) {
    if (bookmark.size() != 4) return false;
    quint32 id = qFromBigEndian<quint32>(bookmark.constData());
    for (int i = 0; i < m_records.size(); ++i)
        if (m_records[i].Id == id) return moveTo(i);
    return false;
}

void TTestTable::InternalInitRecord(bool) {
    m_buffer.clear();
    for (int i = 0; i < FieldDefs().size(); ++i)
        m_buffer << QVariant();
}

void TTestTable::InternalPost() {
    if (State() == TDataSetState::dsInsert) {
        m_records << Record{m_nextId++, m_buffer};
        m_pos = int(m_records.size()) - 1;
    } else {
        m_records[m_pos].Values = m_buffer;
    }
}

void TTestTable::InternalDelete() {
    m_records.removeAt(m_pos);
    if (m_pos >= m_records.size()) m_pos = int(m_records.size()) - 1;
    load();
}

void TTestTable::SetFieldValueInternal(const TField& field, const QVariant& value) {
    if (m_buffer.size() <= field.Index()) InternalInitRecord(false);
    m_buffer[field.Index()] = value;
}

void TTestTable::CheckCanSetField(const TField& field) const {
    if (m_browseWrites && State() == TDataSetState::dsBrowse && InternalHasRecord()) return;
    TDataSet::CheckCanSetField(field);
}

} // namespace kvor::test
