#include "tablestore/DsMemTable.h"

#include "platform/Cp1250.h"
#include "tablestore/DsDbFilter.h"

#include <QtEndian>
#include <algorithm>
#include <exception>

namespace kvor {

namespace {

// Empty text reads as null, so that a string field cleared with "" and one never set agree.
QVariant readable(const QVariant& stored) {
    if (stored.typeId() == QMetaType::QString && stored.toString().isEmpty()) return QVariant();
    return stored;
}

// Runs clean-up steps after a copy. Every step runs; when the copy itself failed, errors of the
// clean-up are dropped so that the caller sees the error that ended the copy.
class Finisher {
public:
    explicit Finisher(bool failing) : m_failing(failing) {}
    template <typename F> void step(F&& f) {
        try {
            f();
        } catch (...) {
            if (!m_failing && !m_error) m_error = std::current_exception();
        }
    }
    void rethrow() {
        if (m_error) std::rethrow_exception(m_error);
    }

private:
    bool m_failing;
    std::exception_ptr m_error;
};

// The pairs of fields that CopyCurrentRecord by name copies: each source field with its
// namesake in the destination, read-only destination fields left out.
std::vector<std::pair<TField*, TField*>> fieldsByName(const TDataSet& source, const TDataSet& destination) {
    std::vector<std::pair<TField*, TField*>> pairs;
    for (int i = 0; i < source.FieldCount(); ++i) {
        TField* from = source.Fields(i);
        TField* to = destination.FindField(from->FieldName());
        if (to && !to->ReadOnly()) pairs.emplace_back(from, to);
    }
    return pairs;
}

bool editing(const TDataSet& ds) {
    return ds.State() == TDataSetState::dsEdit || ds.State() == TDataSetState::dsInsert;
}

} // namespace

TDsCustomMemTable::TDsCustomMemTable(QObject* parent) : TDataSet(parent) {}

TDsCustomMemTable::~TDsCustomMemTable() = default;

bool TDsCustomMemTable::IsStorableType(TFieldType type) {
    switch (type) {
    case ftUnknown:
    case ftCursor:
    case ftArray:
    case ftReference:
    case ftDataSet:
    case ftInterface:
    case ftIDispatch:
    case ftTimeStamp:
    case ftFMTBcd:
        return false;
    default:
        return true;
    }
}

bool TDsCustomMemTable::IsSortableType(TFieldType type) {
    switch (type) {
    case ftString:
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftBoolean:
    case ftFloat:
    case ftCurrency:
    case ftBCD:
    case ftDate:
    case ftTime:
    case ftDateTime:
    case ftBytes:
    case ftVarBytes:
    case ftAutoInc:
    case ftFixedChar:
    case ftWideString:
    case ftLargeint:
    case ftADT:
    case ftVariant:
    case ftGuid:
        return true;
    default:
        return false;
    }
}

void TDsCustomMemTable::SetCapacity(int capacity) {
    if (capacity < 0) return;
    size_t wanted = std::max(size_t(capacity), m_records.size());
    if (wanted < m_records.capacity()) m_records.shrink_to_fit();
    m_records.reserve(wanted);
}

// ---------------------------------------------------------------------------------------------
// Structure and opening

void TDsCustomMemTable::CopyStructureFrom(TDataSet* source) {
    CheckInactive();
    DestroyFields();
    if (!source) return;
    source->UpdateFieldDefs();
    TFieldDefs defs;
    for (const TFieldDef& def : source->FieldDefs())
        if (IsStorableType(def.DataType)) defs << def;
    SetFieldDefs(defs);
    CreateFields();
}

void TDsCustomMemTable::InternalOpen() {
    for (const TFieldDef& def : FieldDefs())
        if (!def.Hidden && !IsStorableType(def.DataType))
            throw EDatabaseError(QStringLiteral("Field '%1' is of an unknown type").arg(def.Name));
    m_records.clear();
    m_index = -1;
    m_lastId = 0;
    m_nextAutoInc = 1;
    m_buffer.clear();
}

void TDsCustomMemTable::InternalClose() {
    m_records.clear();
    m_index = -1;
    m_lastId = 0;
    m_nextAutoInc = 1;
    m_buffer.clear();
    m_sortFields.clear();
    m_sortCaseInsensitive = m_sortDescending = false;
}

// ---------------------------------------------------------------------------------------------
// Filter and movement

bool TDsCustomMemTable::Passes(int index) {
    if (!Filtered()) return true;
    struct Reset {
        int& ref;
        ~Reset() { ref = -1; }
    } reset{m_filterIndex};
    m_filterIndex = index;
    // The expression first, read through the fields that now show the record under test.
    if (const TDsExpression* expression = FilterExpression(); expression && !expression->Passes())
        return false;
    if (!OnFilterRecord) return true;
    bool accept = true;
    try {
        OnFilterRecord(*this, accept);
    } catch (const std::exception& e) {
        if (OnFilterError) OnFilterError(QString::fromUtf8(e.what()));
        accept = true;
    }
    return accept;
}

int TDsCustomMemTable::Seek(int from, int step) {
    for (int i = from; i >= 0 && i < int(m_records.size()); i += step)
        if (Passes(i)) return i;
    return -1;
}

bool TDsCustomMemTable::InternalFirst() {
    m_index = Seek(0, 1);
    return m_index >= 0;
}

bool TDsCustomMemTable::InternalLast() {
    m_index = Seek(int(m_records.size()) - 1, -1);
    return m_index >= 0;
}

bool TDsCustomMemTable::InternalNext() {
    int i = Seek(m_index + 1, 1);
    if (i < 0) return false;
    m_index = i;
    return true;
}

bool TDsCustomMemTable::InternalPrior() {
    if (m_index <= 0) return false;
    int i = Seek(m_index - 1, -1);
    if (i < 0) return false;
    m_index = i;
    return true;
}

bool TDsCustomMemTable::InternalHasRecord() const {
    return m_index >= 0 && m_index < int(m_records.size());
}

void TDsCustomMemTable::FilterChanged() {
    TDataSet::FilterChanged();
    // The current record may no longer pass (or a hidden one pass again): start from the top.
    if (Active()) First();
}

std::unique_ptr<TDsExpression> TDsCustomMemTable::NewFilterExpression() const {
    return std::make_unique<TDsDbFilter>(this);
}

int TDsCustomMemTable::RecNo() const {
    if (m_records.empty()) return 0;
    return std::max(m_index, 0) + 1;
}

void TDsCustomMemTable::SetRecNo(int recNo) {
    if (recNo < 1 || recNo > RecordCount()) return;
    CheckBrowseMode();
    if (recNo - 1 == m_index) return;
    Fire(BeforeScroll);
    m_index = recNo - 1;
    SetEofBof(false, false);
    SetModified(false);
    Notify(TDataEvent::DataSetScroll);
    Fire(AfterScroll);
}

// ---------------------------------------------------------------------------------------------
// Bookmarks: the record identifier, 4 bytes, most significant first so that bytes order as numbers.

TBookmark TDsCustomMemTable::BookmarkOf(int id) {
    TBookmark b(4, '\0');
    qToBigEndian<quint32>(quint32(id), b.data());
    return b;
}

int TDsCustomMemTable::IdOf(const TBookmark& bookmark) {
    if (bookmark.size() != 4) return 0;
    return int(qFromBigEndian<quint32>(bookmark.constData()));
}

int TDsCustomMemTable::IndexOfId(int id) const {
    if (id <= 0) return -1;
    for (size_t i = 0; i < m_records.size(); ++i)
        if (m_records[i].Id() == id) return int(i);
    return -1;
}

TBookmark TDsCustomMemTable::GetBookmark() const {
    if (!InternalHasRecord()) return TBookmark();
    return BookmarkOf(m_records[size_t(m_index)].Id());
}

bool TDsCustomMemTable::BookmarkValid(const TBookmark& bookmark) const {
    return IndexOfId(IdOf(bookmark)) >= 0;
}

int TDsCustomMemTable::CompareBookmarks(const TBookmark& a, const TBookmark& b) const {
    if (a.isEmpty() || b.isEmpty()) return TDataSet::CompareBookmarks(a, b);
    int x = IdOf(a), y = IdOf(b);
    return x < y ? -1 : (x > y ? 1 : 0);
}

bool TDsCustomMemTable::InternalGotoBookmark(const TBookmark& bookmark) {
    int i = IndexOfId(IdOf(bookmark));
    if (i < 0 || !Passes(i)) return false;
    m_index = i;
    return true;
}

// ---------------------------------------------------------------------------------------------
// Values and editing

QVariant TDsCustomMemTable::GetFieldValue(const TField& field) const {
    size_t column = size_t(field.Index());
    const std::vector<QVariant>* values = nullptr;
    if (m_filterIndex >= 0)
        values = &m_records[size_t(m_filterIndex)].Values();
    else if (editing(*this))
        values = &m_buffer;
    else if (InternalHasRecord())
        values = &m_records[size_t(m_index)].Values();
    if (!values || column >= values->size()) return QVariant();
    return readable((*values)[column]);
}

void TDsCustomMemTable::SetFieldValueInternal(const TField& field, const QVariant& value) {
    size_t column = size_t(field.Index());
    if (column >= m_buffer.size()) m_buffer.resize(column + 1);
    m_buffer[column] = value;
}

void TDsCustomMemTable::InternalInitRecord(bool append) {
    m_buffer.assign(size_t(FieldCount()), QVariant());
    m_appending = append;
}

void TDsCustomMemTable::InternalEdit() {
    m_buffer = m_records.at(size_t(m_index)).Values();
}

void TDsCustomMemTable::InternalPost() {
    m_buffer.resize(size_t(FieldCount()));
    if (State() == TDataSetState::dsEdit) {
        m_records.at(size_t(m_index)).SetValues(std::move(m_buffer));
        m_buffer.clear();
        return;
    }
    bool hasAutoInc = false;
    for (int i = 0; i < FieldCount(); ++i) {
        if (Fields(i)->DataType() == ftAutoInc) {
            m_buffer[size_t(i)] = m_nextAutoInc;
            hasAutoInc = true;
        }
    }
    int position = m_appending ? int(m_records.size()) : std::max(m_index, 0);
    m_records.emplace(m_records.begin() + position, m_lastId + 1, std::move(m_buffer));
    ++m_lastId;
    if (hasAutoInc) ++m_nextAutoInc;
    m_index = position;
    m_buffer.clear();
}

void TDsCustomMemTable::InternalCancel() {
    m_buffer.clear();
}

void TDsCustomMemTable::InternalDelete() {
    m_records.erase(m_records.begin() + m_index);
    int count = int(m_records.size());
    if (count == 0) {
        m_index = -1;
        m_lastId = 0; // identifiers start again in an empty table
        return;
    }
    if (m_index >= count) m_index = count - 1;
    if (!Passes(m_index)) {
        int i = Seek(m_index, -1);
        m_index = i >= 0 ? i : Seek(m_index, 1);
    }
}

// ---------------------------------------------------------------------------------------------
// Sorting

void TDsCustomMemTable::SortByFields(const QString& fieldNames, bool caseInsensitive, bool descending) {
    QStringList names;
    QList<TField*> fields;
    for (const QString& part : fieldNames.split(u';', Qt::SkipEmptyParts)) {
        TField* field = FieldByName(part.trimmed());
        if (!IsSortableType(field->DataType()))
            throw EDatabaseError::prefixed(
                Name(), QStringLiteral("Podle pole '%1' nelze řadit").arg(field->FieldName()));
        names << field->FieldName();
        fields << field;
    }
    if (Active()) CheckBrowseMode();
    m_sortFields = names;
    m_sortCaseInsensitive = caseInsensitive;
    m_sortDescending = descending;
    if (!Active() || m_records.empty() || fields.isEmpty()) return;

    // Wide text is compared as the single-byte text it would be stored as.
    auto key = [](const TField* field, const TMemoryRecord& record) {
        QVariant v = readable(record.Value(field->Index()));
        if (field->DataType() == ftWideString && v.isValid())
            return QVariant(cp1250::decode(cp1250::encode(v.toString())));
        return v;
    };
    auto less = [&](const TMemoryRecord& a, const TMemoryRecord& b) {
        int r = 0;
        for (const TField* field : fields) {
            r = compareFieldValues(field->DataType(), key(field, a), key(field, b), caseInsensitive);
            if (r != 0) break;
        }
        // Equal keys keep their creation order, so the result never depends on the sort's path.
        if (r == 0) r = a.Id() < b.Id() ? -1 : (a.Id() > b.Id() ? 1 : 0);
        return descending ? r > 0 : r < 0;
    };
    int currentId = InternalHasRecord() ? m_records[size_t(m_index)].Id() : 0;
    std::sort(m_records.begin(), m_records.end(), less);
    int i = IndexOfId(currentId);
    m_index = i >= 0 ? i : Seek(0, 1);
    Notify(TDataEvent::DataSetChange);
}

// ---------------------------------------------------------------------------------------------
// Copying between datasets

int TDsCustomMemTable::LoadRecords(TDataSet& source, int count, bool keepStructure) {
    if (&source == this) return 0;
    const bool sourceWasOpen = source.Active();
    DisableControls();
    source.DisableControls();
    int copied = 0;
    auto finish = [&](bool failing) {
        Finisher f(failing);
        // The record being built when a value failed to convert is dropped, not stored half-filled.
        f.step([&] {
            if (editing(*this)) Cancel();
        });
        f.step([&] {
            if (Active()) First();
        });
        f.step([&] {
            if (!sourceWasOpen) source.Close();
        });
        source.EnableControls();
        EnableControls();
        f.rethrow();
    };
    try {
        SetFiltered(false);
        source.Open();
        source.CheckBrowseMode();
        if (!keepStructure) {
            Close();
            CopyStructureFrom(&source);
        }
        m_sortFields.clear();
        Open();
        CheckBrowseMode();
        // The fields are paired by name once, as CopyCurrentRecord by name would pair them.
        const std::vector<std::pair<TField*, TField*>> pairs = fieldsByName(source, *this);
        if (count <= 0) source.First();
        while (!source.Eof()) {
            Append();
            for (const auto& [from, to] : pairs)
                to->SetValue(from->Value());
            Post();
            ++copied;
            if (count > 0 && copied >= count) break;
            source.Next();
        }
    } catch (...) {
        finish(true);
        throw;
    }
    finish(false);
    return copied;
}

int TDsCustomMemTable::SaveRecords(TDataSet& destination, int count) {
    if (&destination == this) return 0;
    CheckBrowseMode();
    DisableControls();
    destination.DisableControls();
    int copied = 0;
    auto finish = [&](bool failing) {
        Finisher f(failing);
        // A half-built record must not reach the destination through the Post that moving implies.
        f.step([&] {
            if (editing(destination)) destination.Cancel();
        });
        f.step([&] {
            if (destination.Active()) destination.First();
        });
        destination.EnableControls();
        EnableControls();
        f.rethrow();
    };
    try {
        if (destination.Active())
            destination.CheckBrowseMode();
        else
            destination.Open();
        // The fields are paired by name once, not for every record as CopyCurrentRecord does.
        const std::vector<std::pair<TField*, TField*>> pairs = fieldsByName(*this, destination);
        QList<TField*> targets;
        for (const auto& pair : pairs)
            targets << pair.second;
        // A destination that can take whole records (a table just created) gets the stored values
        // straight, without a record buffer of its own for every record.
        const std::unique_ptr<TRecordAppender> appender = destination.RecordAppender(targets);
        std::vector<const QVariant*> values(pairs.size());
        static const QVariant null;
        if (count <= 0) First();
        while (!Eof()) {
            if (appender) {
                const std::vector<QVariant>& stored = m_records[size_t(m_index)].Values();
                for (size_t k = 0; k < pairs.size(); ++k) {
                    const size_t column = size_t(pairs[k].first->Index());
                    const QVariant* v = column < stored.size() ? &stored[column] : &null;
                    // As GetFieldValue reads it: empty text is null.
                    if (v->typeId() == QMetaType::QString &&
                        static_cast<const QString*>(v->constData())->isEmpty())
                        v = &null;
                    values[k] = v;
                }
                appender->Append(values.data());
            } else {
                destination.Append();
                for (const auto& [from, to] : pairs)
                    to->SetValue(from->Value());
                destination.Post();
            }
            ++copied;
            if (count > 0 && copied >= count) break;
            Next();
        }
    } catch (...) {
        finish(true);
        throw;
    }
    finish(false);
    return copied;
}

} // namespace kvor
