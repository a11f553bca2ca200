#pragma once
// The query (component ZQuery1): runs one statement on the connection, either without a result
// (ExecSQL) or as a read-only dataset over the whole stored result (Open). The result stays as the
// client library received it; a value is decoded only when it is read, so a result of tens of
// thousands of rows costs no more than the client library's own copy. Field definitions come
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
#include <memory>
#include <vector>

struct st_mysql_res;
struct st_mysql_rows;

namespace kvor {

class TZQuery : public TDataSet {
    Q_OBJECT
public:
    explicit TZQuery(QObject* parent = nullptr);
    ~TZQuery() override;

    TZConnection* Connection() const { return m_connection; }
    void SetConnection(TZConnection* connection) { m_connection = connection; }

    bool LocalTableTypes() const { return m_localTableTypes; }
    void SetLocalTableTypes(bool on) { m_localTableTypes = on; }

    // The statement as lines; they are joined by CR LF when sent.
    QStringList& SQL() { return m_sql; }
    const QStringList& SQL() const { return m_sql; }
    QString SQLText() const;

    // Executes the statement without keeping a result. Raises ESqlError.
    void ExecSQL();

    int RecNo() const override;
    int RecordCount() const override;
    TBookmark GetBookmark() const override;
    bool CanModify() const override { return false; }
    QVariant GetFieldValue(const TField& field) const override;
    // The field's value in any row of the stored result (0-based), without moving the cursor, so
    // that a grid reads the result where it lies instead of copying it; null outside the rows.
    QVariant ValueAt(int row, const TField& field) const;
    // The field's value in a row, addressed by column number (0-based).
    QVariant ValueAt(int row, int column) const;

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
    struct ResultDeleter {
        void operator()(st_mysql_res* result) const;
    };
    // Moves the result's row cursor to the row, unless it is there already; false outside the rows.
    bool seekRow(int row) const;

    std::unique_ptr<st_mysql_res, ResultDeleter> m_result;
    std::vector<st_mysql_rows*> m_rows; // where each row lies in the result
    std::vector<quint8> m_kinds;        // per column: how its values are read off the text protocol
    bool m_localTableTypes = false;
    int m_current = -1;
    // The row that the result's cursor last read, with its values and their lengths.
    mutable int m_fetchedRow = -1;
    mutable char** m_fetchedValues = nullptr;
    mutable unsigned long* m_fetchedLengths = nullptr;
};

} // namespace kvor
