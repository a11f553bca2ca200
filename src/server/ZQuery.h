#pragma once
// The query (component ZQuery1): runs one statement on the connection, either without a result
// (ExecSQL) or as a read-only dataset over the whole stored result (Open). Field definitions come
// from the result's columns, so that a memory table loaded from it takes the structure over exactly:
// VARCHAR/CHAR ftString of the column's width, integers ftSmallint/ftInteger/ftLargeint, DECIMAL,
// FLOAT and DOUBLE ftFloat, DATE ftDate, TIME ftTime, DATETIME/TIMESTAMP ftDateTime, TEXT ftMemo,
// BLOB ftBlob (its value the raw bytes).
//
// With local table types on, every column comes as a type that a local dBase table can hold, so
// that a result copied into a new table keeps all its columns: whole numbers wider than 32 bits
// (INT UNSIGNED, BIGINT, BIT) ftBCD of enough digits, text longer than 255 characters (TEXT, JSON,
// long VARCHAR) ftString of 254 with the rest cut off, binary columns (BINARY, VARBINARY, BLOB) their
// hexadecimal text in capitals, as ftString of two characters a byte, at most 254.
#include "server/ZConnection.h"
#include "tablestore/DsDataSet.h"

#include <QStringList>
#include <deque>

namespace kvor {

class TZQuery : public TDataSet {
    Q_OBJECT
public:
    explicit TZQuery(QObject* parent = nullptr);
    ~TZQuery() override;

    TZConnection* Connection() const { return m_connection; }
    void SetConnection(TZConnection* connection) { m_connection = connection; }

    // The statement as lines; they are joined by CR LF when sent.
    QStringList& SQL() { return m_sql; }
    const QStringList& SQL() const { return m_sql; }
    QString SQLText() const;

    bool LocalTableTypes() const { return m_localTableTypes; }
    void SetLocalTableTypes(bool on) { m_localTableTypes = on; }

    // Executes the statement without keeping a result. Raises ESqlError.
    void ExecSQL();

    int RecNo() const override;
    int RecordCount() const override;
    TBookmark GetBookmark() const override;
    bool CanModify() const override { return false; }
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

private:
    TZConnection* m_connection = nullptr;
    QStringList m_sql;
    int rowCount() const { return m_columns ? int(m_values.size() / m_columns) : 0; }

    bool m_localTableTypes = false;
    size_t m_columns = 0;
    // Row after row, m_columns values each; a deque grows in blocks without moving what it holds,
    // as the row count is known only at the end.
    std::deque<QVariant> m_values;
    int m_current = -1;
};

} // namespace kvor
