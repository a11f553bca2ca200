#include "tablestore/DsDbfTable.h"

#include "platform/Cp1250.h"
#include "platform/CzechLocale.h"
#include "platform/EmptyDate.h"
#include "tablestore/DsDbParser.h"
#include "tablestore/Wildcard.h"

#include <climits>
#include <cstring>
#include <optional>

namespace kvor {

namespace {

TBookmark bookmarkOf(std::uint32_t n) {
    // Big-endian, so that bookmarks order as their record numbers do.
    TBookmark b(4, '\0');
    for (int i = 0; i < 4; ++i)
        b[i] = char((n >> (24 - 8 * i)) & 0xFF);
    return b;
}

bool recordOf(const TBookmark& b, std::uint32_t& n) {
    if (b.size() != 4) return false;
    n = 0;
    for (int i = 0; i < 4; ++i)
        n = (n << 8) | std::uint8_t(b[i]);
    return true;
}

// A key value as the text a string field is compared with; null compares as the empty text.
QString keyText(const QVariant& v) {
    return v.isValid() && !v.isNull() ? variantToText(v) : QString();
}

std::optional<double> keyNumber(const QVariant& v) {
    if (!v.isValid() || v.isNull()) return std::nullopt;
    if (v.typeId() == QMetaType::QString) {
        QString text = v.toString().trimmed();
        bool ok = false;
        double d = text.toDouble(&ok); // '.' as the decimal point, as in expression text
        if (ok) return d;
        return czech::parseFloat(text);
    }
    bool ok = false;
    double d = v.toDouble(&ok);
    if (!ok) return std::nullopt;
    return d;
}

// One key field of a locate with its value prepared for the field's type.
struct LocateKey {
    const TField* Field = nullptr;
    enum Kind { Text, Number, Boolean, Date, DateTime, Time, Never } Kind = Never;
    QString TextValue;
    double NumberValue = 0;
    bool BoolValue = false;
    QDate DateValue;
    QTime TimeValue;
};

LocateKey prepareKey(const TField* field, const QVariant& value, TLocateOptions options) {
    LocateKey key;
    key.Field = field;
    TFieldType t = field->DataType();
    try {
        if (isStringType(t)) {
            key.Kind = LocateKey::Text;
            key.TextValue = keyText(value).left(255);
            if (options & loCaseInsensitive) key.TextValue = key.TextValue.toUpper();
        } else if (isIntegerType(t) || isFloatType(t)) {
            if (auto d = keyNumber(value)) key.Kind = LocateKey::Number, key.NumberValue = *d;
        } else if (t == ftBoolean) {
            QVariant b = field->convert(value);
            if (b.isValid()) key.Kind = LocateKey::Boolean, key.BoolValue = b.toBool();
        } else if (t == ftDate || t == ftDateTime) {
            QVariant d = TField(nullptr, TFieldDef{QString(), ftDate}, 0).convert(value);
            if (d.isValid())
                key.Kind = t == ftDate ? LocateKey::Date : LocateKey::DateTime, key.DateValue = d.toDate();
        } else if (t == ftTime) {
            QVariant tm = field->convert(value);
            if (tm.isValid()) key.Kind = LocateKey::Time, key.TimeValue = tm.toTime();
        }
    } catch (const EConvertError&) {
        key.Kind = LocateKey::Never;
    }
    return key;
}

bool keyMatches(const LocateKey& key, const QVariant& v, TLocateOptions options) {
    switch (key.Kind) {
    case LocateKey::Text: {
        QString text = v.isValid() ? v.toString() : QString();
        if (options & loCaseInsensitive) text = text.toUpper();
        if (options & loPartialKey) return matchesPattern(text, key.TextValue);
        return text == key.TextValue;
    }
    // An empty field stands for 0, false or the empty date, as in the filter language.
    case LocateKey::Number:
        return (v.isValid() ? v.toDouble() : 0.0) == key.NumberValue;
    case LocateKey::Boolean:
        return (v.isValid() && v.toBool()) == key.BoolValue;
    case LocateKey::Date:
        return (v.isValid() ? v.toDate() : emptyDate()) == key.DateValue;
    case LocateKey::DateTime:
        return (v.isValid() ? v.toDateTime() : QDateTime(emptyDate(), QTime(0, 0))) ==
               QDateTime(key.DateValue, QTime(0, 0));
    case LocateKey::Time:
        return (v.isValid() ? v.toTime() : QTime(0, 0)) == key.TimeValue;
    case LocateKey::Never:
        return false;
    }
    return false;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// TDsDatabase

TDsDatabase::TDsDatabase(QObject* parent) : QObject(parent) {}

TDsDatabase::~TDsDatabase() {
    try {
        SetConnected(false);
    } catch (...) {
        // A failing close handler must not escape a destructor; the tables are closed regardless.
    }
    for (TDsDbfTable* table : m_tables)
        table->m_database = nullptr;
}

void TDsDatabase::SetDatabaseName(const QString& name) {
    m_databaseName = name;
    if (m_connection) *m_connection = name;
}

void TDsDatabase::SetConnected(bool connected) {
    if (connected == Connected()) return;
    if (connected) {
        Fire(BeforeConnect);
        if (m_databaseName.isEmpty())
            throw EDatabaseError::prefixed(Name(), QStringLiteral("Database name missing"));
        m_connection = m_databaseName;
        Fire(AfterConnect);
    } else {
        Fire(BeforeDisconnect);
        const QList<TDsDbfTable*> tables = m_tables;
        for (TDsDbfTable* table : tables)
            table->Close();
        m_connection.reset();
        Fire(AfterDisconnect);
    }
}

void TDsDatabase::SetExclusive(bool exclusive) {
    if (exclusive == m_exclusive) return;
    SetConnected(false);
    m_exclusive = exclusive;
}

void TDsDatabase::SetReadOnly(bool readOnly) {
    if (readOnly == m_readOnly) return;
    SetConnected(false);
    m_readOnly = readOnly;
}

// ---------------------------------------------------------------------------------------------
// TDsDbfTable: properties

TDsDbfTable::TDsDbfTable(QObject* parent) : TDataSet(parent) {}

TDsDbfTable::~TDsDbfTable() {
    // Every change reached the file when it was posted, except appends waiting in bulk mode,
    // which the file writes as it closes.
    m_file.reset();
    if (m_database) m_database->m_tables.removeAll(this);
}

void TDsDbfTable::CheckStructureProperties() const {
    CheckInactive();
}

void TDsDbfTable::SetDatabase(TDsDatabase* database) {
    if (database == m_database) return;
    CheckStructureProperties();
    if (m_database) m_database->m_tables.removeAll(this);
    m_database = database;
    if (m_database) m_database->m_tables.append(this);
}

void TDsDbfTable::SetTableName(const QString& name) {
    CheckStructureProperties();
    m_tableName = name;
}

void TDsDbfTable::SetExclusive(bool exclusive) {
    CheckStructureProperties();
    m_exclusive = exclusive || (m_database && m_database->Exclusive());
}

void TDsDbfTable::SetReadOnly(bool readOnly) {
    CheckStructureProperties();
    m_readOnly = readOnly || (m_database && m_database->ReadOnly());
}

void TDsDbfTable::SetBufferRecords(int records) {
    CheckStructureProperties();
    if (records >= 1) m_bufferRecords = records;
}

void TDsDbfTable::SetShowDeleted(bool show) {
    if (show == m_showDeleted) return;
    m_showDeleted = show;
    if (!Active()) return;
    CheckBrowseMode();
    if (m_hasRecord) {
        if (MoveCurrent() != DS_OK) Resync();
    } else {
        InternalFirst();
    }
    SetEofBof(!m_hasRecord, !m_hasRecord);
    Notify(TDataEvent::DataSetChange);
}

void TDsDbfTable::SetCodePage(CP_TYPE codePage) {
    if (codePage == m_codePage) return;
    m_codePage = codePage;
    if (!m_file) return;
    CheckBrowseMode();
    m_file->SetCodePage(codePage);
    InternalRefresh();
    Notify(TDataEvent::DataSetChange);
}

QString TDsDbfTable::TablePath() const {
    return dbfTablePath(m_database ? m_database->DatabaseName() : QString(), m_tableName);
}

void TDsDbfTable::RaiseIfError(int code) const {
    if (code != DS_OK) throw EDatabaseError::fromResult(code);
}

TFieldDefs TDsDbfTable::DefsFromFile(const TDbfFile& file) const {
    TFieldDefs defs;
    int number = 0;
    for (const TDbfField& f : file.Fields()) {
        TFieldDef def;
        def.FieldNo = ++number;
        def.DataType = dbfFieldType(f.Type);
        def.Name = f.Name;
        auto taken = [&defs](const QString& name) {
            for (const TFieldDef& d : defs)
                if (d.Name.compare(name, Qt::CaseInsensitive) == 0) return true;
            return false;
        };
        for (int suffix = 1; taken(def.Name); ++suffix)
            def.Name = QStringLiteral("%1_%2").arg(f.Name).arg(suffix);
        if (def.DataType == ftString || def.DataType == ftUnknown || isBlobType(def.DataType))
            def.Size = f.Length;
        if (def.DataType == ftBCD) def.Precision = 32, def.Size = f.Decimals;
        def.ReadOnly = def.DataType == ftAutoInc;
        defs << def;
    }
    return defs;
}

void TDsDbfTable::UpdateFieldDefs() {
    if (Active()) return;
    if (!m_database) throw EDatabaseError::prefixed(Name(), QStringLiteral("Missing Database property"));
    if (m_tableName.isEmpty())
        throw EDatabaseError::prefixed(Name(), QStringLiteral("Missing TableName property"));
    m_database->SetConnected(true);
    TDbfFile file;
    RaiseIfError(file.Open(TablePath(), true, false, 1, m_codePage));
    FieldDefs() = DefsFromFile(file);
}

// ---------------------------------------------------------------------------------------------
// Table operations

void TDsDbfTable::CreateTable() {
    CheckInactive();
    if (!m_database) throw EDatabaseError::prefixed(Name(), QStringLiteral("Missing Database property"));
    if (m_tableName.isEmpty())
        throw EDatabaseError::prefixed(Name(), QStringLiteral("Missing TableName property"));
    m_database->SetConnected(true);
    m_bulkAtOpen = false;
    int code = TDbfFile::Create(TablePath(), m_codePage, FieldDefs());
    if (code == DS_INVALID_FIELD_TYPE || code == DS_INVALID_FIELD_SIZE || code == DS_INVALID_PARAMETER)
        throw EDatabaseError::prefixed(Name(), dsResultMessage(code), code);
    RaiseIfError(code);
    m_bulkAtOpen = true;
}

void TDsDbfTable::Zap() {
    if (!Active()) return;
    CheckBrowseMode();
    RaiseIfError(m_file->Zap());
    m_file->BeginBulk();
    m_recNo = 0;
    m_hasRecord = false;
    SetEofBof(true, true);
    Notify(TDataEvent::DataSetChange);
}

void TDsDbfTable::Pack() {
    if (!Active()) throw EDatabaseError::fromResult(DS_INVALID_HANDLE);
    CheckBrowseMode();
    RaiseIfError(m_file->Pack());
    // The records moved under the buffer: stand on the first one again rather than keep a record
    // number that now names another record (a later Post would overwrite it).
    bool found = InternalFirst();
    SetEofBof(!found, true);
    Notify(TDataEvent::DataSetChange);
}

// ---------------------------------------------------------------------------------------------
// Opening and moving

void TDsDbfTable::InternalOpen() {
    if (!m_database) throw EDatabaseError::prefixed(Name(), QStringLiteral("Missing Database property"));
    if (m_tableName.isEmpty())
        throw EDatabaseError::prefixed(Name(), QStringLiteral("Missing TableName property"));
    m_database->SetConnected(true);
    auto file = std::make_unique<TDbfFile>();
    RaiseIfError(file->Open(TablePath(), m_readOnly, m_exclusive, m_bufferRecords, m_codePage));
    FieldDefs() = DefsFromFile(*file);
    m_record = QByteArray(file->RecordLength(), ' ');
    if (m_bulkAtOpen) file->BeginBulk(); // only an exclusive, writable file takes it
    m_bulkAtOpen = false;
    m_file = std::move(file);
    m_recNo = 0;
    m_hasRecord = false;
}

void TDsDbfTable::InternalClose() {
    // Records still waiting in bulk mode are written now; when that fails the table stays open
    // (the waiting records are given up, so a second Close succeeds).
    if (m_file) RaiseIfError(m_file->EndBulk());
    m_file.reset();
    m_record.clear();
    m_recNo = 0;
    m_hasRecord = false;
}

bool TDsDbfTable::Visible(const char* record) const {
    if (!m_showDeleted && std::uint8_t(record[0]) == TDbfFile::kDeletedFlag) return false;
    // The filter expression of this table is always the one bound to its file.
    const auto* filter = static_cast<const TDsDbParser*>(FilterExpression());
    return !filter || filter->PassesRecord(record);
}

std::unique_ptr<TDsExpression> TDsDbfTable::NewFilterExpression() const {
    return std::make_unique<TDsDbParser>(m_file.get());
}

void TDsDbfTable::FilterChanged() {
    TDataSet::FilterChanged();
    // The current record may no longer pass (or a hidden one pass again): start from the top.
    if (Active()) First();
}

int TDsDbfTable::Load(bool forward) {
    const char* record = nullptr;
    if (int code = m_file->Fetch(m_recNo, forward, record); code != DS_OK) return code;
    if (!Visible(record)) return DS_RECORD_DELETED;
    std::memcpy(m_record.data(), record, size_t(m_record.size()));
    return DS_OK;
}

int TDsDbfTable::MoveNext() {
    const std::uint32_t count = m_file->RecordCount();
    for (;;) {
        if (m_recNo > count) return DS_END_OF_FILE;
        if (++m_recNo > count) return DS_END_OF_FILE;
        int code = Load(true);
        if (code != DS_RECORD_DELETED) return code;
    }
}

int TDsDbfTable::MovePrior() {
    const std::uint32_t count = m_file->RecordCount();
    if (m_recNo > count + 1) m_recNo = count + 1;
    for (;;) {
        if (m_recNo == 0) return DS_BEGIN_OF_FILE;
        if (--m_recNo == 0) return DS_BEGIN_OF_FILE;
        int code = Load(false);
        if (code != DS_RECORD_DELETED) return code;
    }
}

int TDsDbfTable::MoveCurrent() {
    if (m_recNo > m_file->RecordCount()) return DS_END_OF_FILE;
    if (m_recNo < 1) return DS_BEGIN_OF_FILE;
    return Load(true);
}

bool TDsDbfTable::InternalFirst() {
    m_recNo = 0;
    int code = MoveNext();
    m_hasRecord = code == DS_OK;
    if (!m_hasRecord) m_recNo = 0;
    if (code != DS_OK && code != DS_END_OF_FILE && code != DS_BEGIN_OF_FILE) RaiseIfError(code);
    return m_hasRecord;
}

bool TDsDbfTable::InternalLast() {
    m_recNo = m_file->RecordCount() + 1;
    int code = MovePrior();
    m_hasRecord = code == DS_OK;
    if (!m_hasRecord) m_recNo = 0;
    if (code != DS_OK && code != DS_END_OF_FILE && code != DS_BEGIN_OF_FILE) RaiseIfError(code);
    return m_hasRecord;
}

bool TDsDbfTable::InternalNext() {
    std::uint32_t saved = m_recNo;
    int code = MoveNext();
    if (code == DS_OK) {
        m_hasRecord = true;
        return true;
    }
    m_recNo = saved; // the cursor keeps the record it had
    if (code != DS_END_OF_FILE && code != DS_BEGIN_OF_FILE) RaiseIfError(code);
    return false;
}

bool TDsDbfTable::InternalPrior() {
    std::uint32_t saved = m_recNo;
    int code = MovePrior();
    if (code == DS_OK) {
        m_hasRecord = true;
        return true;
    }
    m_recNo = saved;
    if (code != DS_END_OF_FILE && code != DS_BEGIN_OF_FILE) RaiseIfError(code);
    return false;
}

bool TDsDbfTable::InternalGotoBookmark(const TBookmark& bookmark) {
    std::uint32_t n = 0;
    if (!recordOf(bookmark, n)) return false;
    std::uint32_t saved = m_recNo;
    m_recNo = n;
    int code = MoveCurrent();
    if (code == DS_OK) {
        m_hasRecord = true;
        return true;
    }
    m_recNo = saved;
    if (code != DS_END_OF_FILE && code != DS_BEGIN_OF_FILE && code != DS_RECORD_DELETED) RaiseIfError(code);
    return false;
}

void TDsDbfTable::Resync() {
    std::uint32_t saved = m_recNo;
    int code = MoveNext();
    if (code == DS_OK) {
        m_hasRecord = true;
        return;
    }
    m_recNo = saved;
    code = MovePrior();
    m_hasRecord = code == DS_OK;
    if (!m_hasRecord) m_recNo = 0;
}

void TDsDbfTable::InternalRefresh() {
    if (!m_file) return;
    m_file->InvalidateCache();
    if (!m_hasRecord) return;
    if (MoveCurrent() != DS_OK) Resync();
}

// ---------------------------------------------------------------------------------------------
// Editing

void TDsDbfTable::InternalInitRecord(bool) {
    // There is no insertion in the middle of a dBase file: every new record is appended.
    m_savedRecNo = m_recNo;
    m_savedHasRecord = m_hasRecord;
    m_record.fill(' ');
}

void TDsDbfTable::InternalPost() {
    if (State() == TDataSetState::dsInsert) {
        std::uint32_t n = 0;
        RaiseIfError(m_file->AppendRecord(m_record.constData(), n));
        m_recNo = n;
        m_hasRecord = true;
    } else {
        RaiseIfError(m_file->RewriteRecord(m_recNo, m_record.constData()));
    }
}

void TDsDbfTable::InternalCancel() {
    if (State() == TDataSetState::dsInsert) {
        m_recNo = m_savedRecNo;
        m_hasRecord = m_savedHasRecord;
    }
    if (!m_hasRecord) {
        m_record.fill(' ');
        return;
    }
    // Re-reading drops every change of the buffer, those made while browsing included.
    if (MoveCurrent() != DS_OK) Resync();
}

void TDsDbfTable::InternalDelete() {
    RaiseIfError(m_file->MarkDeleted(m_recNo));
    m_record[0] = char(TDbfFile::kDeletedFlag);
    if (!m_showDeleted) Resync();
}

void TDsDbfTable::CheckCanSetField(const TField& field) const {
    TDataSetState s = State();
    if (s != TDataSetState::dsBrowse || !m_hasRecord) {
        TDataSet::CheckCanSetField(field);
        return;
    }
    // Browsing: the value goes into the buffer of the current record and reaches the file only
    // with a following Edit and Post.
    CheckCanModify();
    if (field.ReadOnly())
        throw EDatabaseError(QStringLiteral("Field '%1' cannot be modified").arg(field.FieldName()));
}

void TDsDbfTable::SetFieldValueInternal(const TField& field, const QVariant& value) {
    int i = field.Def().FieldNo - 1;
    if (!m_file || i < 0 || i >= m_file->Fields().size()) return;
    try {
        m_file->WriteField(m_record.data(), i, value);
    } catch (const EDatabaseError& e) {
        throw EDatabaseError::prefixed(Name(), e.message(), e.code());
    }
}

void TDsDbfTable::SetFieldTextInternal(const TField& field, const QString& text) {
    int i = field.Def().FieldNo - 1;
    if (!m_file || i < 0 || i >= m_file->Fields().size()) return;
    if (m_file->Fields().at(i).Type != 'C') {
        SetFieldValueInternal(field, QVariant(text));
        return;
    }
    m_file->WriteText(m_record.data(), i, text);
}

QVariant TDsDbfTable::GetFieldValue(const TField& field) const {
    if (!m_file || (!m_hasRecord && State() != TDataSetState::dsInsert)) return QVariant();
    int i = field.Def().FieldNo - 1;
    if (i < 0 || i >= m_file->Fields().size()) return QVariant();
    return m_file->ReadField(m_record.constData(), i);
}

bool TDsDbfTable::CanModify() const {
    return !m_readOnly && !(m_file && m_file->ReadOnly());
}

// The fields are paired with the file's fields once; each record is built in one buffer and
// handed to the file, which gathers it into its bulk block.
class TDsDbfTable::Appender : public TRecordAppender {
public:
    Appender(TDsDbfTable& table, const QList<TField*>& fields) : m_table(table) {
        const TDbfFile& file = *table.m_file;
        for (TField* f : fields) {
            const int i = f->Def().FieldNo - 1;
            const TDbfField& d = file.Fields().at(i);
            m_targets.push_back({f, i, d.Offset, d.Type == 'C' ? d.Length : 0});
        }
        m_record = QByteArray(file.RecordLength(), ' ');
        m_keepsBytes = codePageInfo(file.CodePage()).KeepsBytes;
    }

    void Append(const QVariant* const* values) override {
        TDbfFile& file = *m_table.m_file;
        char* record = m_record.data();
        std::memset(record, ' ', size_t(m_record.size()));
        for (size_t k = 0; k < m_targets.size(); ++k) {
            const Target& t = m_targets[k];
            const QVariant& value = *values[k];
            // Text that fits a C field, by far the most frequent value, is encoded right here.
            if (t.TextLength > 0 && m_keepsBytes && value.typeId() == QMetaType::QString) {
                const QString& text = *static_cast<const QString*>(value.constData());
                if (text.size() <= t.TextLength) {
                    cp1250::encodeInto(text, record + t.Offset, t.TextLength);
                    continue;
                }
            }
            try {
                if (t.Field->TakesAsItIs(value))
                    file.WriteText(record, t.Index, *static_cast<const QString*>(value.constData()));
                else
                    file.WriteField(record, t.Index, t.Field->convert(value));
            } catch (const EDatabaseError& e) {
                throw EDatabaseError::prefixed(m_table.Name(), e.message(), e.code());
            }
        }
        std::uint32_t n = 0;
        m_table.RaiseIfError(file.AppendRecord(record, n));
        m_table.m_recNo = n;
        m_table.m_hasRecord = true;
    }

private:
    struct Target {
        TField* Field;
        int Index;      // in the file's fields
        int Offset;     // in the record
        int TextLength; // of a C field, 0 for the other types
    };
    TDsDbfTable& m_table;
    std::vector<Target> m_targets;
    QByteArray m_record;
    bool m_keepsBytes = false;
};

std::unique_ptr<TRecordAppender> TDsDbfTable::RecordAppender(const QList<TField*>& fields) {
    if (!m_file || !m_file->InBulk() || State() != TDataSetState::dsBrowse || HasAppendEvents())
        return nullptr;
    for (TField* f : fields) {
        const int i = f->Def().FieldNo - 1;
        // Only the file's own C fields take text as it is; any other field of this table is
        // written through its conversion.
        if (f->DataSet() != this || f->ReadOnly() || i < 0 || i >= m_file->Fields().size()) return nullptr;
        if (isStringType(f->DataType()) && m_file->Fields().at(i).Type != 'C') return nullptr;
    }
    return std::make_unique<Appender>(*this, fields);
}

// ---------------------------------------------------------------------------------------------
// Positions

int TDsDbfTable::RecNo() const {
    return m_hasRecord ? int(m_recNo) : 0;
}

void TDsDbfTable::SetRecNo(int recNo) {
    if (recNo < 1) return;
    GotoBookmark(bookmarkOf(std::uint32_t(recNo)));
}

int TDsDbfTable::RecordCount() const {
    return m_file ? int(std::min<std::uint32_t>(m_file->RecordCount(), INT_MAX)) : 0;
}

TBookmark TDsDbfTable::GetBookmark() const {
    return m_hasRecord ? bookmarkOf(m_recNo) : TBookmark();
}

int TDsDbfTable::CompareBookmarks(const TBookmark& a, const TBookmark& b) const {
    std::uint32_t x = 0, y = 0;
    bool hasA = recordOf(a, x), hasB = recordOf(b, y);
    if (!hasA || !hasB) return hasA == hasB ? 0 : (hasA ? 1 : -1);
    return x < y ? -1 : (x > y ? 1 : 0);
}

bool TDsDbfTable::Locate(const QString& keyFields, const QVariant& keyValues, TLocateOptions options) {
    CheckBrowseMode();
    QList<const TField*> fields;
    for (const QString& name : keyFields.split(u';', Qt::SkipEmptyParts))
        if (const TField* f = FindField(name.trimmed())) fields << f;

    const bool isArray =
        keyValues.typeId() == QMetaType::QVariantList || keyValues.typeId() == QMetaType::QStringList;
    QVariantList values = isArray ? keyValues.toList() : QVariantList{keyValues};
    Fire(BeforeScroll);
    // A single value for several fields, or too few values: DS_INVALID_PARAMETER, not raised.
    if (fields.isEmpty() || (!isArray && fields.size() > 1) || values.size() < fields.size()) return false;

    QList<LocateKey> keys;
    for (int i = 0; i < fields.size(); ++i)
        keys << prepareKey(fields[i], values[i], options);

    std::uint32_t savedRecNo = m_recNo;
    bool savedHas = m_hasRecord;
    QByteArray savedRecord = m_record;
    m_recNo = 0;
    bool found = false;
    for (;;) {
        int code = MoveNext();
        if (code != DS_OK) {
            if (code != DS_END_OF_FILE) {
                m_recNo = savedRecNo;
                m_hasRecord = savedHas;
                m_record = savedRecord;
                RaiseIfError(code);
            }
            break;
        }
        m_hasRecord = true;
        bool all = true;
        for (const LocateKey& key : keys) {
            if (!keyMatches(key, GetFieldValue(*key.Field), options)) {
                all = false;
                break;
            }
        }
        if (all) {
            found = true;
            break;
        }
    }
    if (!found) {
        m_recNo = savedRecNo;
        m_hasRecord = savedHas;
        m_record = savedRecord;
        return false;
    }
    SetEofBof(false, false);
    Notify(TDataEvent::DataSetChange);
    Fire(AfterScroll);
    return true;
}

} // namespace kvor
