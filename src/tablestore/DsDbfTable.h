#pragma once
// The program's way to its local tables: TDsDatabase names the folder, TDsDbfTable is a dataset
// over one dBase file of that folder.
#include "tablestore/DsCP.h"
#include "tablestore/DsDataSet.h"
#include "tablestore/DsDbfApi.h"

#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

namespace kvor {

class TDsDbfTable;

class TDsDatabase : public QObject {
    Q_OBJECT
public:
    using Event = std::function<void(TDsDatabase&)>;

    explicit TDsDatabase(QObject* parent = nullptr);
    ~TDsDatabase() override;

    QString Name() const { return objectName(); }
    void SetName(const QString& name) { setObjectName(name); }

    // The folder of the tables.
    const QString& DatabaseName() const { return m_databaseName; }
    void SetDatabaseName(const QString& name);
    bool Connected() const { return m_connection.has_value(); }
    // True refuses an empty folder name ("Database name missing"); false closes every table first.
    void SetConnected(bool connected);
    // Changing either disconnects first, so every table of the database closes.
    bool Exclusive() const { return m_exclusive; }
    void SetExclusive(bool exclusive);
    bool ReadOnly() const { return m_readOnly; }
    void SetReadOnly(bool readOnly);

    // The tables that name this database as theirs.
    const QList<TDsDbfTable*>& Tables() const { return m_tables; }

    Event AfterConnect, AfterDisconnect, BeforeConnect, BeforeDisconnect, OnLogin;

private:
    friend class TDsDbfTable;
    void Fire(const Event& event) {
        if (event) event(*this);
    }

    QString m_databaseName;
    std::optional<QString> m_connection; // the folder name as the connection holds it
    bool m_exclusive = false;
    bool m_readOnly = false;
    QList<TDsDbfTable*> m_tables;
};

class TDsDbfTable : public TDataSet {
    Q_OBJECT
public:
    explicit TDsDbfTable(QObject* parent = nullptr);
    ~TDsDbfTable() override;

    // These may change only while the table is closed.
    TDsDatabase* Database() const { return m_database; }
    void SetDatabase(TDsDatabase* database);
    const QString& TableName() const { return m_tableName; }
    void SetTableName(const QString& name);
    bool Exclusive() const { return m_exclusive; }
    void SetExclusive(bool exclusive); // the database's Exclusive True makes it True
    bool ReadOnly() const { return m_readOnly; }
    void SetReadOnly(bool readOnly); // the database's ReadOnly True makes it True
    int BufferRecords() const { return m_bufferRecords; }
    void SetBufferRecords(int records); // values below 1 are ignored

    // These take effect at once on an open table.
    bool ShowDeleted() const { return m_showDeleted; }
    void SetShowDeleted(bool show);
    CP_TYPE CodePage() const { return m_codePage; }
    void SetCodePage(CP_TYPE codePage);

    // The file of the table as it would be opened now.
    QString TablePath() const;

    // Creates the file from FieldDefs(), replacing an existing one; the table must be closed.
    // Opened exclusively next, the new table takes its first appends in bulk: they reach the
    // file in blocks, and all of them by the first read, move, locate or Close.
    void CreateTable();
    // Empties the open table's file; nothing on a closed table. The appends that follow right
    // after are taken in bulk as after CreateTable.
    void Zap();
    // Removes the deleted records from the open table's file and stands before the first record.
    void Pack();

    // The dataset contract.
    int RecNo() const override;
    void SetRecNo(int recNo) override;
    int RecordCount() const override; // records in the file, deleted ones included
    bool IsSequenced() const override { return false; }
    TBookmark GetBookmark() const override;
    int CompareBookmarks(const TBookmark& a, const TBookmark& b) const override;
    bool CanModify() const override;
    void UpdateFieldDefs() override;
    // Scans from the first record: strings as whole values or, with loPartialKey, as patterns
    // with '*' and '?'; numbers, Booleans and dates by value.
    bool Locate(const QString& keyFields, const QVariant& keyValues, TLocateOptions options = 0) override;
    QVariant GetFieldValue(const TField& field) const override;
    // While the table appends in bulk (right after CreateTable or Zap, held exclusively) and has no
    // insert or post events: an appender that encodes the values straight into the file's record
    // buffer; nullptr otherwise.
    std::unique_ptr<TRecordAppender> RecordAppender(const QList<TField*>& fields) override;

    // The open file (header, descriptors, read counter); nullptr while closed.
    const TDbfFile* File() const { return m_file.get(); }
    // How often the open table has read records from its file.
    std::uint64_t FileReads() const { return m_file ? m_file->ReadCount() : 0; }

protected:
    void InternalOpen() override;
    void InternalClose() override;
    bool InternalFirst() override;
    bool InternalLast() override;
    bool InternalNext() override;
    bool InternalPrior() override;
    bool InternalGotoBookmark(const TBookmark& bookmark) override;
    bool InternalHasRecord() const override { return m_hasRecord; }
    void InternalInitRecord(bool append) override;
    void InternalEdit() override {}
    void InternalPost() override;
    void InternalCancel() override;
    void InternalDelete() override;
    void InternalRefresh() override;
    void SetFieldValueInternal(const TField& field, const QVariant& value) override;
    void SetFieldTextInternal(const TField& field, const QString& text) override;
    void CheckCanSetField(const TField& field) const override;
    std::unique_ptr<TDsExpression> NewFilterExpression() const override;
    void FilterChanged() override;

private:
    friend class TDsDatabase;
    class Appender;

    // The moves of the file cursor; each returns a result code and leaves the record in m_record.
    int MoveNext();
    int MovePrior();
    int MoveCurrent();
    // Copies record m_recNo of the file into the buffer; DS_RECORD_DELETED for a hidden one.
    int Load(bool forward);
    // After the current record vanished from view: the next visible one, else the previous one.
    void Resync();
    bool Visible(const char* record) const;
    void CheckStructureProperties() const;
    TFieldDefs DefsFromFile(const TDbfFile& file) const;
    void RaiseIfError(int code) const;

    TDsDatabase* m_database = nullptr;
    QString m_tableName;
    bool m_exclusive = false;
    bool m_readOnly = false;
    int m_bufferRecords = 10;
    bool m_showDeleted = false;
    CP_TYPE m_codePage = ascii_ANSI;

    std::unique_ptr<TDbfFile> m_file;
    std::uint32_t m_recNo = 0; // 0 before the first record, count + 1 after the last
    bool m_hasRecord = false;
    QByteArray m_record; // the current record's bytes as in the file, or the one being inserted
    // Set by CreateTable: the next opening, when exclusive, appends in bulk (TDbfFile::BeginBulk).
    bool m_bulkAtOpen = false;
    std::uint32_t m_savedRecNo = 0;
    bool m_savedHasRecord = false;
};

} // namespace kvor
