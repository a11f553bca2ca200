#pragma once
// The dBase file itself: header, field descriptors, records and the end-of-file marker, the
// encoding of field values, and the file-level operations that change a table (create, append,
// rewrite, delete mark, Zap, Pack). Every operation returns a result code of DsConsts.h; only
// the dataset (DsDbfTable) turns them into database errors.
#include "tablestore/DsCP.h"
#include "tablestore/DsConsts.h"
#include "tablestore/DsDataSet.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QVariant>
#include <cstdint>
#include <vector>

namespace kvor {

enum class TDbfFamily { dBase3, dBase4, dBase5, dBase7, FoxPro };

// "dBase III", "dBase IV", "dBase 5", "dBase 7", "FoxPro".
QString dbfFamilyName(TDbfFamily family);

// The family of a version byte (byte 29 separates dBase III from dBase IV for 0x03); false for
// a version byte the table store does not know.
bool dbfFamilyOf(std::uint8_t version, std::uint8_t languageDriver, TDbfFamily& family);

// One field as its descriptor describes it.
struct TDbfField {
    QString Name;
    char Type = 'C'; // the type letter
    int Length = 0;
    int Decimals = 0;
    int Offset = 0; // in the record; 1 for the first field, the deletion flag being byte 0
    // FoxPro stores I fields as plain little-endian integers; the dBase family inverts the sign
    // bit and stores them big-endian.
    bool LittleEndianInteger = false;
};

// The field type a dataset shows for a type letter.
TFieldType dbfFieldType(char letter);

// The descriptors a new table gets for field definitions (hidden ones skipped): DS_OK, or
// DS_INVALID_FIELD_TYPE, DS_INVALID_FIELD_SIZE, DS_INVALID_PARAMETER (no fields).
int dbfDescriptorsFor(const TFieldDefs& defs, QList<TDbfField>& fields);

// The file of a table: the folder (a '\' is taken as a folder separator, a missing separator is
// added; empty means the current folder) and the table name with its extension replaced by ".dbf".
QString dbfTablePath(const QString& directory, const QString& tableName);

// The existing file that a path names, whatever the case of its file name (tables copied from a
// Windows machine may be called CENIK.DBF); the path itself when no such file exists.
QString dbfExistingPath(const QString& path);

class TDbfFile {
public:
    static constexpr std::uint8_t kDeletedFlag = '*';
    static constexpr std::uint8_t kLiveFlag = ' ';
    static constexpr char kTerminator = 0x0D;
    static constexpr char kEofMarker = 0x1A;

    TDbfFile() = default;
    ~TDbfFile();
    TDbfFile(const TDbfFile&) = delete;
    TDbfFile& operator=(const TDbfFile&) = delete;

    // Creates the file (replacing one of that name) with no records. Every definition is checked
    // before the file is touched, so a refused definition leaves an existing file as it was.
    static int Create(const QString& path, CP_TYPE codePage, const TFieldDefs& defs);

    // Opens the file and reads its header and descriptors. An exclusive table takes an exclusive
    // advisory lock, a shared one a shared lock; either fails at once with DS_CANNOT_OPEN_FILE
    // when another opener holds a conflicting lock.
    int Open(const QString& path, bool readOnly, bool exclusive, int cacheRecords, CP_TYPE codePage);
    void Close();
    bool IsOpen() const { return m_fd >= 0; }

    bool ReadOnly() const { return m_readOnly; }
    bool Exclusive() const { return m_exclusive; }
    bool HasMemoFile() const { return m_memoFd >= 0; }
    std::uint8_t Version() const { return std::uint8_t(m_header[0]); }
    TDbfFamily Family() const { return m_family; }
    std::uint8_t LanguageDriver() const { return std::uint8_t(m_header[29]); }
    int HeaderLength() const { return m_headerLength; }
    int RecordLength() const { return m_recordLength; }
    std::uint32_t RecordCount() const { return m_recordCount; }
    const QList<TDbfField>& Fields() const { return m_fields; }
    // The header as held in memory (32 bytes, 68 for the dBase 7 family).
    const QByteArray& Header() const { return m_header; }

    CP_TYPE CodePage() const { return m_codePage; }
    void SetCodePage(CP_TYPE codePage) { m_codePage = codePage; }

    // The record cache: one block of consecutive records, filled only on a miss.
    int CacheRecords() const { return m_cacheRecords; }
    void SetCacheRecords(int records);
    void InvalidateCache() { m_cacheCount = 0; }
    // How many times the record area was read into the cache since the file was opened.
    std::uint64_t ReadCount() const { return m_readCount; }
    // Points record at record n (from 1) through the cache. Moving forwards a missing block
    // starts at n, moving backwards it ends at n. DS_BEGIN_OF_FILE / DS_END_OF_FILE when the
    // record is not there.
    int Fetch(std::uint32_t n, bool forward, const char*& record);

    // Appends a record after the last one. A kill at any moment leaves a table that opens, and
    // with the record once this returned. A table held exclusively takes the record, the end
    // marker and the header's count straight into a mapping of the file (see MapAppendWindow);
    // a shared one writes the record and the end marker with one call, then the header.
    int AppendRecord(const char* record, std::uint32_t& recordNumber);

    // Bulk appending, for a table that was just created or emptied and is held exclusively, so
    // that nobody can see it before its writer is done: appended records gather in blocks of a
    // few hundred kilobytes, each written with one call, then the header. A kill leaves a table
    // that opens with the records of the last block written. Any other use of the file (a read,
    // a rewrite, a delete mark, Zap, Pack, Close) first writes what is pending and ends it.
    void BeginBulk();
    int EndBulk();
    bool InBulk() const { return m_bulk; }
    int RewriteRecord(std::uint32_t n, const char* record);
    int MarkDeleted(std::uint32_t n);
    int Zap();
    int Pack();

    // The value of field i (from 0) of a record: an invalid QVariant for null.
    QVariant ReadField(const char* record, int i) const;
    // Encodes a value (already of the field's type) into field i of a record. Raises
    // EDatabaseError for a value the field cannot hold (a number wider than the field, a date
    // outside the years 1 to 9999); the record is then unchanged.
    void WriteField(char* record, int i, const QVariant& value) const;
    // Text into C field i, without a QVariant around it.
    void WriteText(char* record, int i, const QString& text) const;

    // The same codec for a descriptor that belongs to no open file (creation checks, tests).
    static QVariant decodeField(const TDbfField& field, const char* bytes, CP_TYPE codePage);
    static QByteArray encodeField(const TDbfField& field, const QVariant& value, CP_TYPE codePage);
    // Encodes straight into the field's bytes at out (field.Length of them), without temporaries.
    static void encodeInto(const TDbfField& field, const QVariant& value, CP_TYPE codePage, char* out);

private:
    // Writes the header held in memory. A table that others may write too takes the header lock
    // and re-reads the record count first (see SharedWrite).
    int WriteHeader();
    // While a shared writable table is changed: an exclusive lock of the header bytes, held only
    // for the one append or header write, and the record count as the header now says it, so
    // that two openers never write at the same place or put back a count that is out of date.
    class SharedWrite;
    int RefreshRecordCount();
    // Writes the records waiting in bulk mode with the end marker in one call, then the header.
    int FlushBulk();
    // Writes the header held in memory with the record count; the caller holds the lock.
    int StoreHeader();
    // Appends through the mapping; DS_OK, an error, or kNotMapped when the file cannot be mapped.
    int AppendMapped(const char* record, std::uint32_t& recordNumber);
    // Maps the stretch of the file from the page of offset on, reserving the disk space first
    // (posix_fallocate), so that a full disk is found here rather than as a fault when a record
    // is copied in.
    // The file is longer than its records while the window is mapped; a kill then leaves zeros
    // after the end marker, which the header's count leaves out.
    int MapAppendWindow(std::int64_t offset, std::int64_t end);
    // Unmaps and cuts the file back to its records and the end marker.
    int EndMapped();
    static constexpr int kNotMapped = -1;
    int ReadAt(std::int64_t offset, char* data, std::int64_t size, std::int64_t& got) const;
    int WriteAt(std::int64_t offset, const char* data, std::int64_t size) const;
    std::int64_t RecordOffset(std::uint32_t n) const {
        return std::int64_t(m_headerLength) + std::int64_t(n - 1) * m_recordLength;
    }

    int m_fd = -1;
    int m_memoFd = -1;
    bool m_readOnly = false;
    bool m_exclusive = false;
    TDbfFamily m_family = TDbfFamily::dBase3;
    QByteArray m_header;
    int m_headerLength = 0;
    int m_recordLength = 0;
    std::uint32_t m_recordCount = 0;
    QList<TDbfField> m_fields;
    CP_TYPE m_codePage = ascii_ANSI;

    bool m_bulk = false;
    std::vector<char> m_block;        // records waiting in bulk mode, with room for the end marker
    std::uint32_t m_blockCount = 0;   // how many records m_block holds
    std::vector<char> m_appendBuffer; // one record and the end marker

    char* m_headerMap = nullptr;    // the header's page, mapped while appending through the mapping
    char* m_window = nullptr;       // the mapped stretch that the next records go into
    std::int64_t m_windowStart = 0; // its offset in the file (a multiple of the page size)
    std::int64_t m_windowLength = 0;
    bool m_reserved = false;       // the file was made longer than its records
    std::int64_t m_recordsEnd = 0; // where the file ends once the reserve is cut off again
    bool m_mapUnavailable = false; // mapping failed once: appends are written instead

    int m_cacheRecords = 10;
    std::vector<char> m_cache;
    std::uint32_t m_cacheFirst = 0;
    std::uint32_t m_cacheCount = 0;
    std::uint64_t m_readCount = 0;
};

} // namespace kvor
