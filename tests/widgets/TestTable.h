#pragma once
// A small in-memory dataset for the widget tests. It can take field values in browse state the
// way the dBase table does (kept in the record buffer until the cursor moves), or refuse them the
// way the memory table does.
#include "tablestore/DsDataSet.h"

namespace kvor::test {

class TTestTable : public TDataSet {
    Q_OBJECT
public:
    explicit TTestTable(const TFieldDefs& defs, QObject* parent = nullptr);

    void SetBrowseWrites(bool allow) { m_browseWrites = allow; }
    void SetReadOnly(bool readOnly) { m_readOnly = readOnly; }
    bool CanModify() const override { return !m_readOnly; }

    // Appends a stored record (the dataset may be closed).
    void AddRecord(const QVariantList& values);
    // Reorders the stored records by one field and tells the bound controls, as a sort does.
    void SortBy(const QString& fieldName, bool descending = false);
    // What the stored record at a position holds (not the buffer).
    QVariant StoredValue(int position, const QString& fieldName) const;

    int RecNo() const override { return m_pos + 1; }
    int RecordCount() const override { return int(m_records.size()); }
    TBookmark GetBookmark() const override;
    QVariant GetFieldValue(const TField& field) const override;

protected:
    void InternalOpen() override {}
    void InternalClose() override { m_pos = -1; }
    bool InternalFirst() override;
    bool InternalLast() override;
    bool InternalNext() override;
    bool InternalPrior() override;
    bool InternalGotoBookmark(const TBookmark& bookmark) override;
    bool InternalHasRecord() const override { return m_pos >= 0 && m_pos < m_records.size(); }
    void InternalInitRecord(bool append) override;
    void InternalEdit() override {}
    void InternalPost() override;
    void InternalCancel() override { load(); }
    void InternalDelete() override;
    void InternalRefresh() override { load(); }
    void SetFieldValueInternal(const TField& field, const QVariant& value) override;
    void CheckCanSetField(const TField& field) const override;

private:
    struct Record {
        quint32 Id;
        QVariantList Values;
    };
    void load();
    bool moveTo(int pos);

    QList<Record> m_records;
    QVariantList m_buffer;
    int m_pos = -1;
    quint32 m_nextId = 1;
    bool m_browseWrites = false;
    bool m_readOnly = false;
};

} // namespace kvor::test
