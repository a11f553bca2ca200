#pragma once
// The dataset contract shared by the dBase table, the memory table and the server query:
// open and close, a current record, movement, fields by name, append, edit, post, cancel,
// delete, locate, bookmarks, events, and notification of bound controls.
//
// TDataSet carries the state machine and the events; a concrete dataset supplies its
// records through the protected Internal* functions, the way a storage engine plugs
// into a cursor.
#include "tablestore/DsConsts.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QObject>
#include <QString>
#include <QVariant>
#include <functional>
#include <memory>
#include <vector>

namespace kvor {

enum TFieldType {
    ftUnknown,
    ftString,
    ftSmallint,
    ftInteger,
    ftWord,
    ftBoolean,
    ftFloat,
    ftCurrency,
    ftBCD,
    ftDate,
    ftTime,
    ftDateTime,
    ftBytes,
    ftVarBytes,
    ftAutoInc,
    ftBlob,
    ftMemo,
    ftGraphic,
    ftFmtMemo,
    ftParadoxOle,
    ftDBaseOle,
    ftTypedBinary,
    ftCursor,
    ftFixedChar,
    ftWideString,
    ftLargeint,
    ftADT,
    ftArray,
    ftReference,
    ftDataSet,
    ftOraBlob,
    ftOraClob,
    ftVariant,
    ftInterface,
    ftIDispatch,
    ftGuid,
    ftTimeStamp,
    ftFMTBcd
};

// "ftString", "ftFloat", ...
QString fieldTypeName(TFieldType type);
bool isStringType(TFieldType type);  // ftString, ftFixedChar, ftWideString, ftGuid
bool isIntegerType(TFieldType type); // ftSmallint, ftInteger, ftWord, ftAutoInc, ftLargeint
bool isFloatType(TFieldType type);   // ftFloat, ftCurrency, ftBCD, ftFMTBcd
bool isBlobType(TFieldType type);    // ftBlob, ftMemo, ftGraphic, ftFmtMemo, ... ftOraClob

enum class TDataSetState { dsInactive, dsBrowse, dsEdit, dsInsert, dsCalcFields, dsFilter };

struct TFieldDef {
    QString Name;
    TFieldType DataType = ftUnknown;
    int Size = 0;      // characters of a string, decimals of ftBCD, bytes of byte fields
    int Precision = 0; // digits of ftBCD
    bool Hidden = false;
    bool ReadOnly = false;
    int FieldNo = 0; // 1-based position in the source
    bool operator==(const TFieldDef&) const = default;
};
using TFieldDefs = QList<TFieldDef>;

enum TLocateOption { loCaseInsensitive = 1, loPartialKey = 2 };
using TLocateOptions = int;

enum TFilterOption { foCaseInsensitive = 1, foNoPartialCompare = 2 };
using TFilterOptions = int;

// What bound controls are told.
enum class TDataEvent {
    FieldChange,   // one field of the current record changed (field given)
    RecordChange,  // the current record's values changed
    DataSetChange, // the records changed as a whole (open, close, zap, sort, enable controls)
    DataSetScroll, // another record became current
    UpdateState,   // the state changed (browse, edit, insert, inactive)
};

using TBookmark = QByteArray;

class TDataSet;
class TDsExpression;

// One field of a dataset. Values travel as QVariant: an invalid QVariant is null, otherwise
// the value has the field type's own type (QString for strings and memos, int for the small
// integer types, qint64 for ftLargeint, double for floats, bool, QDate, QTime, QDateTime,
// QByteArray for binary and blob fields). A whole number beyond 2^53 in a float field stays the
// qint64 or quint64 it came as, since a double would change its last digits.
class TField {
public:
    TField(TDataSet* dataSet, const TFieldDef& def, int index);

    TDataSet* DataSet() const { return m_dataSet; }
    const QString& FieldName() const { return m_def.Name; }
    TFieldType DataType() const { return m_def.DataType; }
    int Size() const { return m_def.Size; }
    int Index() const { return m_index; }
    bool ReadOnly() const { return m_def.ReadOnly; }
    const TFieldDef& Def() const { return m_def; }

    bool IsNull() const;
    QVariant Value() const;
    // Text as the program shows it: floats in general format with the decimal comma, dates in
    // the short date format, booleans "True"/"False", null as "".
    QString AsString() const;
    int AsInteger() const;
    qint64 AsLargeInt() const;
    double AsFloat() const;
    QDateTime AsDateTime() const;
    bool AsBoolean() const;
    QByteArray AsBytes() const;
    QString DisplayText() const { return AsString(); }

    // Assignments convert to the field's type as an ordinary assignment would (text into a
    // number is parsed with the Czech settings); a failed conversion raises EConvertError.
    void SetValue(const QVariant& value);
    void SetAsString(const QString& value);
    void SetAsInteger(int value) { SetValue(value); }
    void SetAsFloat(double value) { SetValue(value); }
    void SetAsDateTime(const QDateTime& value) { SetValue(value); }
    void SetAsBoolean(bool value) { SetValue(value); }
    void Clear() { SetValue(QVariant()); }

    // The value converted to this field's type; an invalid QVariant for null. Raises EConvertError.
    QVariant convert(const QVariant& value) const;
    // Whether convert would give the value back unchanged (text that fits a string field).
    bool TakesAsItIs(const QVariant& value) const;

private:
    TDataSet* m_dataSet;
    TFieldDef m_def;
    int m_index;
};

// Takes whole records into a dataset without its Append/SetValue/Post road, with the values
// converted and stored exactly as that road stores them. Offered only where nobody can tell the
// difference: no events to fire, no one else able to see the records yet (TDsDbfTable while it
// appends in bulk). Valid until the dataset is moved, changed otherwise or closed.
class TRecordAppender {
public:
    virtual ~TRecordAppender() = default;
    // Appends one record: *values[k] goes into the k-th field named when the appender was made;
    // the other fields stay empty. Raises as SetValue and Post would; a failed record is not added.
    virtual void Append(const QVariant* const* values) = 0;
};

class TDataSet : public QObject {
    Q_OBJECT
public:
    using Event = std::function<void(TDataSet&)>;
    using FilterEvent = std::function<void(TDataSet&, bool& accept)>;

    explicit TDataSet(QObject* parent = nullptr);
    ~TDataSet() override;

    // The component name ("Dbf5", "DsMemTable33"), used as the prefix of some error messages.
    QString Name() const { return objectName(); }
    void SetName(const QString& name) { setObjectName(name); }

    // Open and close.
    void Open();
    void Close();
    bool Active() const { return m_state != TDataSetState::dsInactive; }
    void SetActive(bool active) { active ? Open() : Close(); }
    TDataSetState State() const { return m_state; }

    // Movement.
    void First();
    void Next();
    void Prior();
    void Last();
    int MoveBy(int distance);
    bool Eof() const { return m_eof; }
    bool Bof() const { return m_bof; }
    bool IsEmpty() const;
    virtual int RecNo() const = 0;
    virtual void SetRecNo(int) {}
    virtual int RecordCount() const = 0;
    virtual bool IsSequenced() const { return true; }

    // Bookmarks: an empty bookmark is none.
    virtual TBookmark GetBookmark() const = 0;
    void GotoBookmark(const TBookmark& bookmark);
    void FreeBookmark(TBookmark& bookmark) { bookmark.clear(); }
    virtual bool BookmarkValid(const TBookmark& bookmark) const { return !bookmark.isEmpty(); }
    virtual int CompareBookmarks(const TBookmark& a, const TBookmark& b) const;

    // Fields.
    TFieldDefs& FieldDefs() { return m_fieldDefs; }
    const TFieldDefs& FieldDefs() const { return m_fieldDefs; }
    // Brings FieldDefs() up to date with the source; a closed table may read its structure here.
    virtual void UpdateFieldDefs() {}
    void SetFieldDefs(const TFieldDefs& defs);
    int FieldCount() const { return int(m_fields.size()); }
    TField* Fields(int index) const { return m_fields.at(index).get(); }
    TField* FieldByName(const QString& name) const; // "Field 'X' not found"
    TField* FindField(const QString& name) const;   // nullptr when there is none
    QStringList FieldNames() const;

    // Editing.
    void Append();
    void Insert();
    void Edit();
    void Post();
    void Cancel();
    void Delete();
    virtual bool CanModify() const { return true; }
    bool Modified() const { return m_modified; }
    // Posts pending changes (or drops an unchanged edit) so that the dataset is browsing.
    void CheckBrowseMode();
    // An appender for the given fields of this dataset, or nullptr where records must take the
    // Append/Post road (the default).
    virtual std::unique_ptr<TRecordAppender> RecordAppender(const QList<TField*>& fields);
    void Refresh();

    // Locate: key fields separated by ";", one value or a QVariantList of values.
    // The default follows the memory table: the current record first, then a scan from the first.
    virtual bool Locate(const QString& keyFields, const QVariant& keyValues, TLocateOptions options = 0);
    // Locate without options; the values of the result fields (a QVariantList for several), or null.
    QVariant Lookup(const QString& keyFields, const QVariant& keyValues, const QString& resultFields);

    // Filter properties.
    const QString& Filter() const { return m_filter; }
    void SetFilter(const QString& filter);
    bool Filtered() const { return m_filtered; }
    void SetFiltered(bool filtered);
    TFilterOptions FilterOptions() const { return m_filterOptions; }
    void SetFilterOptions(TFilterOptions options);

    // Bound controls.
    void DisableControls();
    void EnableControls();
    bool ControlsDisabled() const { return m_disableCount > 0; }

    // Events.
    Event BeforeOpen, AfterOpen, BeforeClose, AfterClose, BeforeInsert, AfterInsert, BeforeEdit, AfterEdit,
        BeforePost, AfterPost, BeforeCancel, AfterCancel, BeforeDelete, AfterDelete, BeforeScroll,
        AfterScroll, BeforeRefresh, AfterRefresh, OnCalcFields, OnNewRecord;
    FilterEvent OnFilterRecord;

    // Used by TField.
    virtual QVariant GetFieldValue(const TField& field) const = 0;
    void SetFieldValue(TField& field, const QVariant& value);
    // The same for text; text that fits a string field goes in without a QVariant around it.
    void SetFieldText(TField& field, const QString& text);

signals:
    void dataEvent(kvor::TDataEvent event, kvor::TField* field);

protected:
    // Opens the source and fills m_fieldDefs (FieldDefs()); fields are created from them afterwards.
    virtual void InternalOpen() = 0;
    virtual void InternalClose() = 0;
    // Move the cursor; false when there is no such record (the cursor then keeps the record it had,
    // or has none on an empty dataset).
    virtual bool InternalFirst() = 0;
    virtual bool InternalLast() = 0;
    virtual bool InternalNext() = 0;
    virtual bool InternalPrior() = 0;
    virtual bool InternalGotoBookmark(const TBookmark& bookmark) = 0;
    // Whether the cursor stands on a record.
    virtual bool InternalHasRecord() const = 0;
    // A fresh record with every field null (append: at the end; otherwise before the current one).
    virtual void InternalInitRecord(bool append) = 0;
    // Start editing the current record.
    virtual void InternalEdit() = 0;
    // Store the record being edited or inserted (State() tells which).
    virtual void InternalPost() = 0;
    virtual void InternalCancel() = 0;
    // Remove the current record and move to the next one (or the previous one at the end).
    virtual void InternalDelete() = 0;
    // Re-read the current record from the source.
    virtual void InternalRefresh() {}
    // Write an already converted value into the record buffer.
    virtual void SetFieldValueInternal(const TField& field, const QVariant& value) = 0;
    // Write text that fits the string field into the record buffer; by default as a QVariant.
    virtual void SetFieldTextInternal(const TField& field, const QString& text) {
        SetFieldValueInternal(field, QVariant(text));
    }
    // Whether a field may be set in the present state; the default refuses outside edit and insert.
    virtual void CheckCanSetField(const TField& field) const;

    // Helpers for datasets.
    void CheckActive() const;    // "Cannot perform this operation on a closed dataset"
    void CheckInactive() const;  // "Cannot perform this operation on an open dataset", prefixed
    void CheckCanModify() const; // "Cannot modify a read-only dataset"
    void SetState(TDataSetState state);
    void SetModified(bool modified) { m_modified = modified; }
    void SetEofBof(bool eof, bool bof) { m_eof = eof, m_bof = bof; }
    // Tells bound controls unless they are disabled; DataSetChange is remembered and sent at EnableControls.
    void Notify(TDataEvent event, TField* field = nullptr);
    void CreateFields();
    void DestroyFields();
    // Runs an event when it is assigned.
    void Fire(const Event& event) {
        if (event) event(*this);
    }
    // Whether the current record matches the keys as the generic Locate compares them.
    bool RecordMatches(const QList<TField*>& fields, const QVariantList& values,
                       TLocateOptions options) const;
    // Resolves "A;B" to fields and the values to one per field ("Field 'X' not found").
    std::pair<QList<TField*>, QVariantList> ResolveKeys(const QString& keyFields,
                                                        const QVariant& keyValues) const;
    // Parses a filter expression that is switched on and checks it once ("Invalid filter
    // expression." when it gives no value); a dataset without a filter expression raises instead.
    virtual void FilterChanged();
    // A new expression bound to this dataset's fields, or nullptr when it cannot filter by one.
    virtual std::unique_ptr<TDsExpression> NewFilterExpression() const;
    // The expression movement applies while the dataset is open and filtered by one, else nullptr.
    TDsExpression* FilterExpression() const { return m_filterExpression.get(); }
    // Whether any event of the insert and post road is assigned (an appender would skip it).
    bool HasAppendEvents() const {
        return BeforeInsert || AfterInsert || OnNewRecord || BeforePost || AfterPost;
    }
    // Notes a connection to dataEvent: until there is one, Notify costs nothing.
    void connectNotify(const QMetaMethod& signal) override;

private:
    void SetFieldDefsWhileOpen(const TFieldDefs&) = delete;
    void AfterMove(bool found, bool forward);
    void FireOnNewRecord();

    TDataSetState m_state = TDataSetState::dsInactive;
    TFieldDefs m_fieldDefs;
    std::vector<std::unique_ptr<TField>> m_fields;
    bool m_eof = true;
    bool m_bof = true;
    bool m_modified = false;
    int m_disableCount = 0;
    bool m_pendingDataSetChange = false;
    bool m_watched = false; // dataEvent has had a connection
    QString m_filter;
    bool m_filtered = false;
    TFilterOptions m_filterOptions = 0;
    std::unique_ptr<TDsExpression> m_filterExpression;
};

// Copies the current record of source into destination, which must be in edit or insert state:
// by name, every source field with a namesake in the destination (names without regard to case);
// by position, field i of the one into field i of the other. Read-only destination fields (an
// autoincrement) are left to the destination, which fills them itself.
void CopyCurrentRecord(TDataSet& source, TDataSet& destination, bool byName = true);

// A value of any kind as the text an assignment into a string field writes (Czech formats).
QString variantToText(const QVariant& value);

// Compares two values of one field type as the program sorts and locates (strings by Czech collation).
int compareFieldValues(TFieldType type, const QVariant& a, const QVariant& b, bool caseInsensitive);

} // namespace kvor
