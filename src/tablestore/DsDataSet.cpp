#include "tablestore/DsDataSet.h"

#include "platform/Cp1250.h"
#include "platform/CzechLocale.h"
#include "platform/EmptyDate.h"
#include "tablestore/DsDbParser.h"

#include <QMetaMethod>

#include <cmath>
#include <limits>
#include <optional>

namespace kvor {

namespace {

const char* const kTypeNames[] = {"ftUnknown",  "ftString",      "ftSmallint", "ftInteger",   "ftWord",
                                  "ftBoolean",  "ftFloat",       "ftCurrency", "ftBCD",       "ftDate",
                                  "ftTime",     "ftDateTime",    "ftBytes",    "ftVarBytes",  "ftAutoInc",
                                  "ftBlob",     "ftMemo",        "ftGraphic",  "ftFmtMemo",   "ftParadoxOle",
                                  "ftDBaseOle", "ftTypedBinary", "ftCursor",   "ftFixedChar", "ftWideString",
                                  "ftLargeint", "ftADT",         "ftArray",    "ftReference", "ftDataSet",
                                  "ftOraBlob",  "ftOraClob",     "ftVariant",  "ftInterface", "ftIDispatch",
                                  "ftGuid",     "ftTimeStamp",   "ftFMTBcd"};

QString notValid(const QString& text, const char* what) {
    return QStringLiteral("'%1' není %2.").arg(text, QString::fromUtf8(what));
}

double variantToDouble(const QVariant& v) {
    switch (v.typeId()) {
    case QMetaType::QString: {
        QString text = v.toString();
        auto d = czech::parseFloat(text);
        if (!d) throw EConvertError(notValid(text, "platné číslo"));
        return *d;
    }
    case QMetaType::QDate:
        return double(emptyDateDays(v.toDate()));
    case QMetaType::QDateTime: {
        QDateTime dt = v.toDateTime();
        return double(emptyDateDays(dt.date())) + dt.time().msecsSinceStartOfDay() / 86400000.0;
    }
    case QMetaType::Bool:
        return v.toBool() ? 1.0 : 0.0;
    default: {
        bool ok = false;
        double d = v.toDouble(&ok);
        if (!ok) throw EConvertError(notValid(v.toString(), "platné číslo"));
        return d;
    }
    }
}

// A whole number beyond the 53 bits that a double holds exactly (wide server integers, N20
// fields), kept as the 64-bit integer it is so that no digit is lost on its way into a number
// field; nothing for any other value.
std::optional<QVariant> wideWholeNumber(const QVariant& v) {
    constexpr quint64 kExact = quint64(1) << 53;
    switch (v.typeId()) {
    case QMetaType::LongLong: {
        const qint64 i = v.toLongLong();
        if (i > qint64(kExact) || i < -qint64(kExact)) return v;
        return std::nullopt;
    }
    case QMetaType::ULongLong:
        if (v.toULongLong() > kExact) return v;
        return std::nullopt;
    case QMetaType::QString: {
        const QString text = v.toString().trimmed();
        if (text.size() < 16) return std::nullopt;
        bool ok = false;
        if (const qint64 i = text.toLongLong(&ok); ok) return wideWholeNumber(QVariant(i));
        if (const quint64 u = text.toULongLong(&ok); ok) return wideWholeNumber(QVariant(u));
        return std::nullopt;
    }
    default:
        return std::nullopt;
    }
}

qint64 variantToInt(const QVariant& v) {
    if (v.typeId() == QMetaType::QString) {
        QString text = v.toString().trimmed();
        bool ok = false;
        qint64 i = text.toLongLong(&ok);
        if (!ok) throw EConvertError(notValid(v.toString(), "platné celé číslo"));
        return i;
    }
    // 64-bit integers as they are: through a double they would lose their last digits.
    if (v.typeId() == QMetaType::LongLong) return v.toLongLong();
    if (v.typeId() == QMetaType::ULongLong && v.toULongLong() <= quint64(std::numeric_limits<qint64>::max()))
        return qint64(v.toULongLong());
    double d = variantToDouble(v);
    if (!std::isfinite(d) || std::abs(d) > 9.2e18)
        throw EConvertError(notValid(v.toString(), "platné celé číslo"));
    return qint64(std::llround(d));
}

QDateTime variantToDateTime(const QVariant& v) {
    switch (v.typeId()) {
    case QMetaType::QDate:
        return QDateTime(v.toDate(), QTime(0, 0));
    case QMetaType::QDateTime:
        return v.toDateTime();
    case QMetaType::QTime:
        return QDateTime(emptyDate(), v.toTime());
    case QMetaType::QString: {
        QString text = v.toString();
        if (auto dt = czech::parseDateTime(text)) return *dt;
        if (auto t = czech::parseTime(text)) return QDateTime(emptyDate(), *t);
        throw EConvertError(notValid(text, "platné datum"));
    }
    default: {
        double d = variantToDouble(v);
        qint64 days = qint64(std::floor(d));
        QDateTime dt(emptyDate().addDays(days), QTime(0, 0));
        return dt.addMSecs(qint64(std::llround((d - double(days)) * 86400000.0)));
    }
    }
}

bool variantToBool(const QVariant& v) {
    if (v.typeId() == QMetaType::QString) {
        QString t = v.toString().trimmed().toUpper();
        if (t == u"TRUE" || t == u"T" || t == u"Y" || t == u"A" || t == u"1") return true;
        if (t == u"FALSE" || t == u"F" || t == u"N" || t == u"0") return false;
        throw EConvertError(notValid(v.toString(), "platná logická hodnota"));
    }
    return variantToDouble(v) != 0.0;
}

} // namespace

QString variantToText(const QVariant& v) {
    switch (v.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
        return czech::formatFloat(v.toDouble());
    case QMetaType::QDate:
        return czech::formatDate(v.toDate());
    case QMetaType::QTime:
        return czech::formatTime(v.toTime());
    case QMetaType::QDateTime:
        return czech::formatDateTime(v.toDateTime());
    case QMetaType::Bool:
        return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case QMetaType::QByteArray:
        return cp1250::decode(v.toByteArray());
    default:
        return v.toString();
    }
}

QString fieldTypeName(TFieldType type) {
    int i = int(type);
    if (i < 0 || i >= int(std::size(kTypeNames))) return QStringLiteral("ftUnknown");
    return QString::fromLatin1(kTypeNames[i]);
}

bool isStringType(TFieldType t) {
    return t == ftString || t == ftFixedChar || t == ftWideString || t == ftGuid;
}
bool isIntegerType(TFieldType t) {
    return t == ftSmallint || t == ftInteger || t == ftWord || t == ftAutoInc || t == ftLargeint;
}
bool isFloatType(TFieldType t) {
    return t == ftFloat || t == ftCurrency || t == ftBCD || t == ftFMTBcd;
}
bool isBlobType(TFieldType t) {
    switch (t) {
    case ftBlob:
    case ftMemo:
    case ftGraphic:
    case ftFmtMemo:
    case ftParadoxOle:
    case ftDBaseOle:
    case ftTypedBinary:
    case ftOraBlob:
    case ftOraClob:
        return true;
    default:
        return false;
    }
}

// ---------------------------------------------------------------------------------------------
// TField

TField::TField(TDataSet* dataSet, const TFieldDef& def, int index)
    : m_dataSet(dataSet), m_def(def), m_index(index) {}

QVariant TField::Value() const {
    return m_dataSet->GetFieldValue(*this);
}

bool TField::IsNull() const {
    return !Value().isValid();
}

QString TField::AsString() const {
    QVariant v = Value();
    if (!v.isValid()) return QString();
    return variantToText(v);
}

int TField::AsInteger() const {
    QVariant v = Value();
    return v.isValid() ? int(variantToInt(v)) : 0;
}

qint64 TField::AsLargeInt() const {
    QVariant v = Value();
    return v.isValid() ? variantToInt(v) : 0;
}

double TField::AsFloat() const {
    QVariant v = Value();
    return v.isValid() ? variantToDouble(v) : 0.0;
}

QDateTime TField::AsDateTime() const {
    QVariant v = Value();
    return v.isValid() ? variantToDateTime(v) : QDateTime(emptyDate(), QTime(0, 0));
}

bool TField::AsBoolean() const {
    QVariant v = Value();
    return v.isValid() && variantToBool(v);
}

QByteArray TField::AsBytes() const {
    QVariant v = Value();
    if (!v.isValid()) return QByteArray();
    if (v.typeId() == QMetaType::QByteArray) return v.toByteArray();
    return cp1250::encode(AsString());
}

QVariant TField::convert(const QVariant& value) const {
    if (!value.isValid() || value.isNull()) {
        // A null of a typed QVariant (an empty QString included) counts as null only for non-strings;
        // an empty string is stored as an empty string, which string fields read back as null.
        if (!value.isValid() || value.typeId() != QMetaType::QString) return QVariant();
    }
    TFieldType t = m_def.DataType;
    if (isStringType(t)) {
        QString text = variantToText(value);
        if (t != ftGuid && m_def.Size > 0 && text.size() > m_def.Size) text.truncate(m_def.Size);
        return text;
    }
    if (value.typeId() == QMetaType::QString && value.toString().trimmed().isEmpty() && t != ftMemo &&
        t != ftFmtMemo)
        return QVariant(); // a blank text into a number or date field clears it
    switch (t) {
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftAutoInc: {
        qint64 i = variantToInt(value);
        if (i < std::numeric_limits<int>::min() || i > std::numeric_limits<int>::max())
            throw EConvertError(notValid(value.toString(), "platné celé číslo"));
        return int(i);
    }
    case ftLargeint:
        return variantToInt(value);
    case ftFloat:
    case ftCurrency:
    case ftBCD:
    case ftFMTBcd:
        if (auto wide = wideWholeNumber(value)) return *wide;
        return variantToDouble(value);
    case ftBoolean:
        return variantToBool(value);
    case ftDate:
        return variantToDateTime(value).date();
    case ftTime:
        return variantToDateTime(value).time();
    case ftDateTime:
    case ftTimeStamp:
        return variantToDateTime(value);
    case ftMemo:
    case ftFmtMemo:
    case ftOraClob:
        return variantToText(value);
    default:
        if (value.typeId() == QMetaType::QByteArray) return value.toByteArray();
        return cp1250::encode(variantToText(value));
    }
}

bool TField::TakesAsItIs(const QVariant& value) const {
    const TFieldType t = m_def.DataType;
    if (value.typeId() != QMetaType::QString || !isStringType(t)) return false;
    return t == ftGuid || m_def.Size <= 0 ||
           static_cast<const QString*>(value.constData())->size() <= m_def.Size;
}

void TField::SetValue(const QVariant& value) {
    m_dataSet->SetFieldValue(*this, value);
}

void TField::SetAsString(const QString& value) {
    m_dataSet->SetFieldText(*this, value);
}

// ---------------------------------------------------------------------------------------------
// TDataSet

TDataSet::TDataSet(QObject* parent) : QObject(parent) {}

TDataSet::~TDataSet() = default;

void TDataSet::SetFieldDefs(const TFieldDefs& defs) {
    CheckInactive();
    m_fieldDefs = defs;
}

void TDataSet::CheckActive() const {
    if (!Active())
        throw EDatabaseError::prefixed(Name(),
                                       QStringLiteral("Cannot perform this operation on a closed dataset"));
}

void TDataSet::CheckInactive() const {
    if (Active())
        throw EDatabaseError::prefixed(Name(),
                                       QStringLiteral("Cannot perform this operation on an open dataset"));
}

void TDataSet::CheckCanModify() const {
    if (!CanModify())
        throw EDatabaseError::prefixed(Name(), QStringLiteral("Cannot modify a read-only dataset"));
}

void TDataSet::CheckCanSetField(const TField& field) const {
    if (m_state != TDataSetState::dsEdit && m_state != TDataSetState::dsInsert &&
        m_state != TDataSetState::dsCalcFields)
        throw EDatabaseError::prefixed(Name(), QStringLiteral("Dataset not in edit or insert mode"));
    if (field.ReadOnly())
        throw EDatabaseError(QStringLiteral("Field '%1' cannot be modified").arg(field.FieldName()));
}

void TDataSet::SetState(TDataSetState state) {
    if (m_state == state) return;
    m_state = state;
    Notify(TDataEvent::UpdateState);
}

void TDataSet::Notify(TDataEvent event, TField* field) {
    if (m_disableCount > 0) {
        if (event != TDataEvent::FieldChange) m_pendingDataSetChange = true;
        return;
    }
    // Datasets that nobody watches (batch copies, the file tools) skip the signal machinery.
    if (!m_watched) return;
    emit dataEvent(event, field);
}

void TDataSet::connectNotify(const QMetaMethod& signal) {
    // Once watched, always told: disconnections are not counted, since not every one of them is
    // reported with its signal.
    if (signal == QMetaMethod::fromSignal(&TDataSet::dataEvent)) m_watched = true;
}

void TDataSet::DisableControls() {
    ++m_disableCount;
}

void TDataSet::EnableControls() {
    if (m_disableCount == 0) return;
    if (--m_disableCount == 0 && m_pendingDataSetChange) {
        m_pendingDataSetChange = false;
        emit dataEvent(TDataEvent::DataSetChange, nullptr);
    }
}

void TDataSet::CreateFields() {
    // Callers may hold TField pointers taken before Open (a memory table creates its fields when
    // its structure is copied); recreating identical fields would leave those pointers dangling.
    std::vector<const TFieldDef*> visible;
    for (const TFieldDef& def : m_fieldDefs)
        if (!def.Hidden) visible.push_back(&def);
    bool same = visible.size() == m_fields.size();
    for (size_t i = 0; same && i < visible.size(); ++i)
        same = m_fields[i]->Def() == *visible[i];
    if (same) return;
    m_fields.clear();
    int index = 0;
    for (const TFieldDef* def : visible)
        m_fields.push_back(std::make_unique<TField>(this, *def, index++));
}

void TDataSet::DestroyFields() {
    m_fields.clear();
}

TField* TDataSet::FindField(const QString& name) const {
    for (const auto& f : m_fields)
        if (f->FieldName().compare(name, Qt::CaseInsensitive) == 0) return f.get();
    return nullptr;
}

TField* TDataSet::FieldByName(const QString& name) const {
    if (TField* f = FindField(name)) return f;
    throw EDatabaseError::prefixed(Name(), QStringLiteral("Field '%1' not found").arg(name));
}

QStringList TDataSet::FieldNames() const {
    QStringList names;
    for (const auto& f : m_fields)
        names << f->FieldName();
    return names;
}

void TDataSet::Open() {
    if (Active()) return;
    Fire(BeforeOpen);
    InternalOpen();
    CreateFields();
    m_modified = false;
    m_state = TDataSetState::dsBrowse;
    try {
        if (m_filtered && !m_filter.isEmpty()) FilterChanged();
        // Opening stands on the first record, as First does: Bof is true, Eof only when empty.
        bool found = InternalFirst();
        m_bof = true;
        m_eof = !found;
    } catch (...) {
        m_state = TDataSetState::dsInactive;
        InternalClose();
        DestroyFields();
        throw;
    }
    Notify(TDataEvent::UpdateState);
    Notify(TDataEvent::DataSetChange);
    Fire(AfterOpen);
}

void TDataSet::Close() {
    if (!Active()) return;
    Fire(BeforeClose);
    if (m_state == TDataSetState::dsEdit || m_state == TDataSetState::dsInsert) InternalCancel();
    InternalClose();
    m_filterExpression.reset(); // bound to what the dataset had open
    m_state = TDataSetState::dsInactive;
    m_eof = m_bof = true;
    m_modified = false;
    Notify(TDataEvent::UpdateState);
    Notify(TDataEvent::DataSetChange);
    DestroyFields();
    Fire(AfterClose);
}

bool TDataSet::IsEmpty() const {
    return !Active() || (m_eof && m_bof && !InternalHasRecord());
}

void TDataSet::AfterMove(bool found, bool forward) {
    if (forward) {
        m_eof = !found;
        if (found) m_bof = false;
    } else {
        m_bof = !found;
        if (found) m_eof = false;
    }
}

void TDataSet::CheckBrowseMode() {
    CheckActive();
    if (m_state == TDataSetState::dsEdit || m_state == TDataSetState::dsInsert) {
        if (m_modified)
            Post();
        else
            Cancel();
    }
}

void TDataSet::First() {
    CheckBrowseMode();
    Fire(BeforeScroll);
    bool found = InternalFirst();
    m_bof = true;
    m_eof = !found;
    m_modified = false;
    Notify(TDataEvent::DataSetChange);
    Fire(AfterScroll);
}

void TDataSet::Last() {
    CheckBrowseMode();
    Fire(BeforeScroll);
    bool found = InternalLast();
    m_eof = true;
    m_bof = !found;
    m_modified = false;
    Notify(TDataEvent::DataSetChange);
    Fire(AfterScroll);
}

void TDataSet::Next() {
    CheckBrowseMode();
    if (m_eof) return;
    Fire(BeforeScroll);
    bool found = InternalNext();
    AfterMove(found, true);
    m_modified = false;
    if (found) Notify(TDataEvent::DataSetScroll);
    Fire(AfterScroll);
}

void TDataSet::Prior() {
    CheckBrowseMode();
    if (m_bof) return;
    Fire(BeforeScroll);
    bool found = InternalPrior();
    AfterMove(found, false);
    m_modified = false;
    if (found) Notify(TDataEvent::DataSetScroll);
    Fire(AfterScroll);
}

int TDataSet::MoveBy(int distance) {
    CheckBrowseMode();
    int moved = 0;
    Fire(BeforeScroll);
    while (distance > 0 && !m_eof) {
        bool found = InternalNext();
        AfterMove(found, true);
        if (found) ++moved;
        --distance;
    }
    while (distance < 0 && !m_bof) {
        bool found = InternalPrior();
        AfterMove(found, false);
        if (found) --moved;
        ++distance;
    }
    m_modified = false;
    if (moved != 0) Notify(TDataEvent::DataSetScroll);
    Fire(AfterScroll);
    return moved;
}

void TDataSet::GotoBookmark(const TBookmark& bookmark) {
    CheckBrowseMode();
    if (bookmark.isEmpty()) return;
    Fire(BeforeScroll);
    if (InternalGotoBookmark(bookmark)) {
        m_eof = m_bof = false;
        m_modified = false;
        Notify(TDataEvent::DataSetChange);
    }
    Fire(AfterScroll);
}

int TDataSet::CompareBookmarks(const TBookmark& a, const TBookmark& b) const {
    if (a.isEmpty() || b.isEmpty()) return a.isEmpty() == b.isEmpty() ? 0 : (a.isEmpty() ? -1 : 1);
    return a < b ? -1 : (b < a ? 1 : 0);
}

void TDataSet::Append() {
    CheckBrowseMode();
    CheckCanModify();
    Fire(BeforeInsert);
    InternalInitRecord(true);
    m_state = TDataSetState::dsInsert;
    m_modified = false;
    FireOnNewRecord();
    Notify(TDataEvent::UpdateState);
    Notify(TDataEvent::RecordChange);
    Fire(AfterInsert);
}

void TDataSet::Insert() {
    CheckBrowseMode();
    CheckCanModify();
    Fire(BeforeInsert);
    InternalInitRecord(false);
    m_state = TDataSetState::dsInsert;
    m_modified = false;
    FireOnNewRecord();
    Notify(TDataEvent::UpdateState);
    Notify(TDataEvent::RecordChange);
    Fire(AfterInsert);
}

void TDataSet::FireOnNewRecord() {
    try {
        Fire(OnNewRecord);
    } catch (...) {
        // A failed initialisation would otherwise leave the dataset in insert state with no
        // AfterInsert; drop the fresh record so the dataset is browsing as before the call.
        InternalCancel();
        m_state = TDataSetState::dsBrowse;
        m_modified = false;
        throw;
    }
}

void TDataSet::Edit() {
    CheckActive();
    if (m_state == TDataSetState::dsEdit || m_state == TDataSetState::dsInsert) return;
    if (!InternalHasRecord()) {
        Append();
        return;
    }
    CheckCanModify();
    Fire(BeforeEdit);
    InternalEdit();
    m_state = TDataSetState::dsEdit;
    Notify(TDataEvent::UpdateState);
    Fire(AfterEdit);
}

void TDataSet::Post() {
    CheckActive();
    if (m_state != TDataSetState::dsEdit && m_state != TDataSetState::dsInsert) return;
    Fire(BeforePost);
    InternalPost(); // a failure leaves the state and the buffer as they are
    m_state = TDataSetState::dsBrowse;
    m_modified = false;
    m_eof = m_bof = false;
    Notify(TDataEvent::UpdateState);
    Notify(TDataEvent::DataSetChange);
    Fire(AfterPost);
}

void TDataSet::Cancel() {
    if (m_state != TDataSetState::dsEdit && m_state != TDataSetState::dsInsert) return;
    Fire(BeforeCancel);
    InternalCancel();
    m_state = TDataSetState::dsBrowse;
    m_modified = false;
    if (!InternalHasRecord()) m_eof = m_bof = true;
    Notify(TDataEvent::UpdateState);
    Notify(TDataEvent::DataSetChange);
    Fire(AfterCancel);
}

void TDataSet::Delete() {
    CheckActive();
    if (m_state == TDataSetState::dsInsert) {
        Cancel();
        return;
    }
    if (!InternalHasRecord())
        throw EDatabaseError::prefixed(Name(),
                                       QStringLiteral("Cannot perform this operation on an empty dataset"));
    CheckCanModify();
    Fire(BeforeDelete);
    if (m_state == TDataSetState::dsEdit) InternalCancel();
    InternalDelete();
    m_state = TDataSetState::dsBrowse;
    m_modified = false;
    bool has = InternalHasRecord();
    m_eof = !has;
    m_bof = !has;
    Notify(TDataEvent::UpdateState);
    Notify(TDataEvent::DataSetChange);
    Fire(AfterDelete);
}

void TDataSet::Refresh() {
    CheckBrowseMode();
    Fire(BeforeRefresh);
    InternalRefresh();
    Notify(TDataEvent::DataSetChange);
    Fire(AfterRefresh);
}

void TDataSet::SetFieldValue(TField& field, const QVariant& value) {
    CheckActive();
    CheckCanSetField(field);
    // Text that fits a string field, the most frequent assignment, needs no converted copy.
    if (field.TakesAsItIs(value))
        SetFieldValueInternal(field, value);
    else
        SetFieldValueInternal(field, field.convert(value));
    m_modified = true;
    Notify(TDataEvent::FieldChange, &field);
}

std::unique_ptr<TRecordAppender> TDataSet::RecordAppender(const QList<TField*>&) {
    return nullptr;
}

void TDataSet::SetFieldText(TField& field, const QString& text) {
    const TFieldType t = field.DataType();
    // Only text that a string field takes unchanged skips the conversion (an empty one included,
    // which the memory table stores as it stores any text).
    if (!isStringType(t) || (t != ftGuid && field.Size() > 0 && text.size() > field.Size())) {
        SetFieldValue(field, text);
        return;
    }
    CheckActive();
    CheckCanSetField(field);
    SetFieldTextInternal(field, text);
    m_modified = true;
    Notify(TDataEvent::FieldChange, &field);
}

std::pair<QList<TField*>, QVariantList> TDataSet::ResolveKeys(const QString& keyFields,
                                                              const QVariant& keyValues) const {
    QList<TField*> fields;
    for (const QString& name : keyFields.split(u';', Qt::SkipEmptyParts))
        fields << FieldByName(name.trimmed());
    QVariantList values;
    if (fields.size() == 1) {
        // A one-element array for one key field is the key itself.
        QVariantList list =
            keyValues.typeId() == QMetaType::QVariantList ? keyValues.toList() : QVariantList();
        values << (list.size() == 1 ? list.first() : keyValues);
    } else
        values = keyValues.toList();
    if (values.size() < fields.size()) throw EDatabaseError::fromResult(DS_INVALID_PARAMETER);
    return {fields, values};
}

int compareFieldValues(TFieldType type, const QVariant& a, const QVariant& b, bool caseInsensitive) {
    if (!a.isValid() || !b.isValid()) return a.isValid() == b.isValid() ? 0 : (a.isValid() ? 1 : -1);
    if (isStringType(type))
        return czech::compare(a.toString(), b.toString(), caseInsensitive || type == ftGuid);
    switch (type) {
    case ftBoolean:
        return int(a.toBool()) - int(b.toBool());
    case ftDate:
        return a.toDate() < b.toDate() ? -1 : (b.toDate() < a.toDate() ? 1 : 0);
    case ftTime:
        return a.toTime() < b.toTime() ? -1 : (b.toTime() < a.toTime() ? 1 : 0);
    case ftDateTime:
    case ftTimeStamp:
        return a.toDateTime() < b.toDateTime() ? -1 : (b.toDateTime() < a.toDateTime() ? 1 : 0);
    case ftBCD:
    case ftBytes:
    case ftVarBytes:
    case ftADT:
    case ftVariant:
        return 0;
    default:
        if (isIntegerType(type)) {
            // As 64-bit integers: doubles would merge neighbouring large ftLargeint values.
            qint64 x = a.toLongLong(), y = b.toLongLong();
            return x < y ? -1 : (x > y ? 1 : 0);
        }
        if (isFloatType(type)) {
            double x = a.toDouble(), y = b.toDouble();
            // NaN first, so that sorting always sees a consistent order.
            if (std::isnan(x) || std::isnan(y)) return int(!std::isnan(x)) - int(!std::isnan(y));
            return x < y ? -1 : (x > y ? 1 : 0);
        }
        return 0;
    }
}

bool TDataSet::RecordMatches(const QList<TField*>& fields, const QVariantList& values,
                             TLocateOptions options) const {
    for (int i = 0; i < fields.size(); ++i) {
        const TField* f = fields[i];
        const QVariant& key = values[i];
        QVariant v = f->Value();
        if (isStringType(f->DataType())) {
            if (!key.isValid() || key.isNull()) {
                if (v.isValid() && !v.toString().isEmpty()) return false;
                continue;
            }
            QString keyText = variantToText(key);
            QString text = v.toString();
            if (options & loPartialKey) text.truncate(keyText.size());
            if (czech::compare(text, keyText, options & loCaseInsensitive) != 0) return false;
        } else {
            if (!key.isValid() || key.isNull()) {
                if (v.isValid()) return false;
                continue;
            }
            if (!v.isValid()) return false;
            try {
                // Converting the key to an integer field's type would round it (1,5 would find 2).
                if (isIntegerType(f->DataType()) && key.typeId() != QMetaType::QString) {
                    double d = variantToDouble(key);
                    if (d != std::floor(d)) return false;
                }
                if (compareFieldValues(f->DataType(), v, f->convert(key), false) != 0) return false;
            } catch (const EConvertError&) {
                return false;
            }
        }
    }
    return true;
}

bool TDataSet::Locate(const QString& keyFields, const QVariant& keyValues, TLocateOptions options) {
    CheckBrowseMode();
    if (IsEmpty()) return false;
    auto [fields, values] = ResolveKeys(keyFields, keyValues);
    if (InternalHasRecord() && RecordMatches(fields, values, options)) return true;
    Fire(BeforeScroll);
    TBookmark mark = GetBookmark();
    bool found = false;
    try {
        for (bool has = InternalFirst(); has; has = InternalNext()) {
            if (RecordMatches(fields, values, options)) {
                found = true;
                break;
            }
        }
    } catch (...) {
        // A read failure in the middle of the scan must not leave the cursor somewhere else.
        if (!mark.isEmpty()) InternalGotoBookmark(mark);
        throw;
    }
    if (found) {
        m_eof = m_bof = false;
        Notify(TDataEvent::DataSetChange);
        Fire(AfterScroll);
    } else if (!mark.isEmpty()) {
        InternalGotoBookmark(mark);
    }
    return found;
}

QVariant TDataSet::Lookup(const QString& keyFields, const QVariant& keyValues, const QString& resultFields) {
    if (!Locate(keyFields, keyValues, 0)) return QVariant();
    QStringList names = resultFields.split(u';', Qt::SkipEmptyParts);
    if (names.size() == 1) return FieldByName(names.first().trimmed())->Value();
    QVariantList result;
    for (const QString& n : names)
        result << FieldByName(n.trimmed())->Value();
    return result;
}

namespace {
// Sets a filter property and lets the dataset apply it; a refused value is taken back, so an open
// dataset never carries a filter it does not apply.
template <typename T>
void applyFilterProperty(T& property, const T& value, const std::function<void()>& apply) {
    if (property == value) return;
    T old = property;
    property = value;
    try {
        apply();
    } catch (...) {
        property = old;
        throw;
    }
}
} // namespace

void TDataSet::SetFilter(const QString& filter) {
    applyFilterProperty(m_filter, filter, [this] {
        if (Active()) FilterChanged();
    });
}

void TDataSet::SetFiltered(bool filtered) {
    applyFilterProperty(m_filtered, filtered, [this] {
        if (Active()) FilterChanged();
    });
}

void TDataSet::SetFilterOptions(TFilterOptions options) {
    applyFilterProperty(m_filterOptions, options, [this] {
        if (Active()) FilterChanged();
    });
}

std::unique_ptr<TDsExpression> TDataSet::NewFilterExpression() const {
    return nullptr;
}

void TDataSet::FilterChanged() {
    if (!m_filtered || m_filter.isEmpty()) {
        m_filterExpression.reset();
        return;
    }
    std::unique_ptr<TDsExpression> expression = NewFilterExpression();
    if (!expression)
        throw EDatabaseError::prefixed(
            Name(), QStringLiteral("Filtrovací výrazy tato verze nepodporuje: %1").arg(m_filter));
    expression->CaseInsensitive = m_filterOptions & foCaseInsensitive;
    expression->WholeValue = m_filterOptions & foNoPartialCompare;
    if (!expression->Check(m_filter)) throw EDatabaseError(QStringLiteral("Invalid filter expression."));
    m_filterExpression = std::move(expression);
}

void CopyCurrentRecord(TDataSet& source, TDataSet& destination, bool byName) {
    if (destination.State() != TDataSetState::dsEdit && destination.State() != TDataSetState::dsInsert)
        throw EDatabaseError(QStringLiteral("Dataset not in edit or insert mode"));
    if (byName) {
        for (int i = 0; i < source.FieldCount(); ++i) {
            TField* from = source.Fields(i);
            TField* to = destination.FindField(from->FieldName());
            if (to && !to->ReadOnly()) to->SetValue(from->Value());
        }
        return;
    }
    int n = std::min(source.FieldDefs().size(), destination.FieldDefs().size());
    for (int i = 0; i < n; ++i) {
        TField* to = destination.FindField(destination.FieldDefs().at(i).Name);
        TField* from = source.FindField(source.FieldDefs().at(i).Name);
        if (to && from && !to->ReadOnly()) to->SetValue(from->Value());
    }
}

} // namespace kvor
