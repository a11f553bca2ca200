#pragma once
// A dataset whose records live only in memory: the carrier between the server, the dBase tables
// and the sortable, searchable variety grid.
#include "tablestore/DsDataSet.h"

#include <QStringList>
#include <functional>
#include <vector>

namespace kvor {

// One record of a memory table. The identifier is the record's bookmark; it grows in creation
// order and is independent of the record's position, which sorting and inserting change.
class TMemoryRecord {
public:
    TMemoryRecord(int id, std::vector<QVariant> values) : m_id(id), m_values(std::move(values)) {}

    int Id() const { return m_id; }
    // An invalid QVariant is null.
    const QVariant& Value(int index) const { return m_values.at(size_t(index)); }
    bool IsNull(int index) const { return !m_values.at(size_t(index)).isValid(); }
    const std::vector<QVariant>& Values() const { return m_values; }
    void SetValues(std::vector<QVariant> values) { m_values = std::move(values); }

private:
    int m_id;
    std::vector<QVariant> m_values;
};

class TDsCustomMemTable : public TDataSet {
    Q_OBJECT
public:
    explicit TDsCustomMemTable(QObject* parent = nullptr);
    ~TDsCustomMemTable() override;

    // Whether values of this type can be kept (blobs are kept as byte strings).
    static bool IsStorableType(TFieldType type);
    // Whether records can be sorted by a field of this type.
    static bool IsSortableType(TFieldType type);

    // Room reserved for records; setting it changes the reservation only.
    int Capacity() const { return int(m_records.capacity()); }
    void SetCapacity(int capacity);

    // Takes the field definitions of source (without the types that cannot be stored) and creates
    // the fields; the table must be closed. A null source only drops the fields.
    void CopyStructureFrom(TDataSet* source);
    // Copies records of source into this table (all from the first when count <= 0, else count
    // from source's current record) and returns how many were copied. Unless keepStructure, the
    // table is emptied and takes source's structure first. A closed source is closed again after.
    int LoadRecords(TDataSet& source, int count = 0, bool keepStructure = false);
    // Appends this table's records (all when count <= 0, else count from the current one) after
    // the records destination already has, and returns how many were copied.
    int SaveRecords(TDataSet& destination, int count = 0);
    // Sorts by fields separated by ";": Czech collation for text, nulls first, equal keys in
    // creation order; descending reverses the whole order. The current record stays current.
    void SortByFields(const QString& fieldNames, bool caseInsensitive = false, bool descending = false);
    const QStringList& SortFields() const { return m_sortFields; }

    // Told about a failure inside the record filter; the record then counts as passing.
    std::function<void(const QString& message)> OnFilterError;

    // The dataset contract.
    int RecNo() const override;
    void SetRecNo(int recNo) override;
    int RecordCount() const override { return int(m_records.size()); }
    bool IsSequenced() const override { return !Filtered(); }
    TBookmark GetBookmark() const override;
    bool BookmarkValid(const TBookmark& bookmark) const override;
    int CompareBookmarks(const TBookmark& a, const TBookmark& b) const override;
    QVariant GetFieldValue(const TField& field) const override;

protected:
    void InternalOpen() override;
    void InternalClose() override;
    bool InternalFirst() override;
    bool InternalLast() override;
    bool InternalNext() override;
    bool InternalPrior() override;
    bool InternalGotoBookmark(const TBookmark& bookmark) override;
    bool InternalHasRecord() const override;
    void InternalInitRecord(bool append) override;
    void InternalEdit() override;
    void InternalPost() override;
    void InternalCancel() override;
    void InternalDelete() override;
    void SetFieldValueInternal(const TField& field, const QVariant& value) override;
    void FilterChanged() override;
    std::unique_ptr<TDsExpression> NewFilterExpression() const override;

private:
    bool Passes(int index);
    // The first passing index from `from` stepping by `step`, or -1.
    int Seek(int from, int step);
    int IndexOfId(int id) const;
    static TBookmark BookmarkOf(int id);
    static int IdOf(const TBookmark& bookmark);

    std::vector<TMemoryRecord> m_records;
    int m_index = -1; // -1 before the first record, otherwise a position in m_records
    int m_lastId = 0;
    int m_nextAutoInc = 1;
    std::vector<QVariant> m_buffer; // the record being edited or inserted
    bool m_appending = false;
    int m_filterIndex = -1; // the record the filter event is looking at
    QStringList m_sortFields;
    bool m_sortCaseInsensitive = false;
    bool m_sortDescending = false;
};

class TDsMemTable : public TDsCustomMemTable {
    Q_OBJECT
public:
    explicit TDsMemTable(QObject* parent = nullptr) : TDsCustomMemTable(parent) {}
};

} // namespace kvor
