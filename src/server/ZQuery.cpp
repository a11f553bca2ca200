#include "server/ZQuery.h"

#include "platform/Cp1250.h"

#include <QDate>
#include <QDateTime>
#include <QTime>
#include <algorithm>
#include <errmsg.h>
#include <limits>
#include <memory>
#include <mysql.h>
#include <vector>

namespace kvor {

namespace {

constexpr unsigned kBinaryCharset = 63;

unsigned charMaxLen(unsigned charsetnr) {
    if (const MARIADB_CHARSET_INFO* cs = mariadb_get_charset_by_nr(charsetnr))
        return cs->char_maxlen > 0 ? cs->char_maxlen : 1;
    return 1;
}

// How a column's values are read off the text protocol.
enum class TColumnValue {
    AsTyped, // parsed by the field's type
    Bits,    // a BIT column: big-endian bytes, not digits (a byte may well look like a digit)
    Hex,     // binary bytes shown as their hexadecimal text
};

struct TColumn {
    TFieldDef Def;
    TColumnValue Value = TColumnValue::AsTyped;
};

// The widest text field a local table takes; longer server text is cut to it.
constexpr int kLocalTextLimit = 254;

// Digits (with the sign) of a whole number column whose values may not fit a 32-bit integer.
int wholeNumberDigits(const MYSQL_FIELD& f) {
    if (f.type == MYSQL_TYPE_BIT)
        return std::max(2, int((f.length * 30103 + 99999) / 100000)); // bits * log10(2)
    if (f.type == MYSQL_TYPE_LONG) return 10;                         // INT UNSIGNED
    return 20; // BIGINT: 19 digits and the sign, or 20 digits unsigned
}

TColumn columnOf(const MYSQL_FIELD& f, int fieldNo, bool localTableTypes) {
    TColumn c;
    TFieldDef& d = c.Def;
    d.Name = cp1250::decode(QByteArrayView(f.name, f.name_length));
    d.FieldNo = fieldNo;
    const bool isUnsigned = f.flags & UNSIGNED_FLAG;
    const bool binary = f.charsetnr == kBinaryCharset;
    if (f.type == MYSQL_TYPE_BIT) c.Value = TColumnValue::Bits;
    switch (f.type) {
    case MYSQL_TYPE_TINY:
    case MYSQL_TYPE_YEAR:
        d.DataType = ftSmallint;
        break;
    case MYSQL_TYPE_SHORT:
        d.DataType = isUnsigned ? ftInteger : ftSmallint;
        break;
    case MYSQL_TYPE_INT24:
        d.DataType = ftInteger;
        break;
    case MYSQL_TYPE_LONG:
        d.DataType = isUnsigned ? ftLargeint : ftInteger;
        break;
    case MYSQL_TYPE_LONGLONG:
    case MYSQL_TYPE_BIT:
        d.DataType = ftLargeint;
        break;
    case MYSQL_TYPE_DECIMAL:
    case MYSQL_TYPE_NEWDECIMAL:
    case MYSQL_TYPE_FLOAT:
    case MYSQL_TYPE_DOUBLE:
        d.DataType = ftFloat;
        break;
    case MYSQL_TYPE_DATE:
    case MYSQL_TYPE_NEWDATE:
        d.DataType = ftDate;
        break;
    case MYSQL_TYPE_TIME:
    case MYSQL_TYPE_TIME2:
        d.DataType = ftTime;
        break;
    case MYSQL_TYPE_DATETIME:
    case MYSQL_TYPE_DATETIME2:
    case MYSQL_TYPE_TIMESTAMP:
    case MYSQL_TYPE_TIMESTAMP2:
        d.DataType = ftDateTime;
        break;
    case MYSQL_TYPE_TINY_BLOB:
    case MYSQL_TYPE_MEDIUM_BLOB:
    case MYSQL_TYPE_LONG_BLOB:
    case MYSQL_TYPE_BLOB:
    case MYSQL_TYPE_GEOMETRY:
        d.DataType = binary ? ftBlob : ftMemo;
        break;
    case MYSQL_TYPE_JSON:
        d.DataType = ftMemo;
        break;
    case MYSQL_TYPE_NULL:
        d.DataType = ftString;
        d.Size = 1;
        break;
    case MYSQL_TYPE_VARCHAR:
    case MYSQL_TYPE_VAR_STRING:
    case MYSQL_TYPE_STRING:
    case MYSQL_TYPE_ENUM:
    case MYSQL_TYPE_SET:
    default:
        if (binary && !(f.flags & (ENUM_FLAG | SET_FLAG))) {
            d.DataType = f.type == MYSQL_TYPE_STRING ? ftBytes : ftVarBytes;
            d.Size = int(f.length);
        } else {
            d.DataType = ftString;
            d.Size = qMax(1, int(f.length / charMaxLen(f.charsetnr)));
        }
        break;
    }
    if (!localTableTypes) return c;

    // A local table holds text of up to 254 characters, numbers, dates and logical values only.
    switch (d.DataType) {
    case ftLargeint:
        // Whole numbers too wide for a 32-bit integer: a number field of enough digits.
        d.DataType = ftBCD;
        d.Precision = wholeNumberDigits(f);
        d.Size = 0;
        break;
    case ftMemo:
        // Long text: its first 254 characters.
        d.DataType = ftString;
        d.Size = kLocalTextLimit;
        break;
    case ftBlob:
    case ftBytes:
    case ftVarBytes:
        // Binary data: its hexadecimal text, two characters a byte, cut like long text.
        c.Value = TColumnValue::Hex;
        d.Size =
            d.DataType == ftBlob || d.Size <= 0 ? kLocalTextLimit : std::min(kLocalTextLimit, 2 * d.Size);
        d.DataType = ftString;
        break;
    case ftString:
        d.Size = d.Size > 255 ? kLocalTextLimit : d.Size;
        break;
    default:
        break;
    }
    return c;
}

QDate parseDate(QByteArrayView s) {
    // "2012-03-05"; the zero date and partial zero dates are no date.
    if (s.size() < 10) return {};
    int y = s.sliced(0, 4).toInt(), m = s.sliced(5, 2).toInt(), d = s.sliced(8, 2).toInt();
    QDate date(y, m, d);
    return date;
}

QTime parseTime(QByteArrayView s) {
    // "12:34:56" or "12:34:56.123456"; durations beyond a day are no time of day.
    QList<QByteArrayView> parts;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= s.size(); ++i)
        if (i == s.size() || s[i] == ':') {
            parts << s.sliced(start, i - start);
            start = i + 1;
        }
    if (parts.size() != 3) return {};
    QByteArrayView secs = parts[2];
    int ms = 0;
    if (qsizetype dot = secs.indexOf('.'); dot >= 0) {
        QByteArray frac = secs.sliced(dot + 1).toByteArray().leftJustified(3, '0').left(3);
        ms = frac.toInt();
        secs = secs.first(dot);
    }
    return QTime(parts[0].toInt(), parts[1].toInt(), secs.toInt(), ms);
}

QVariant valueOf(const TFieldDef& def, TColumnValue kind, const char* data, unsigned long length) {
    if (!data) return {};
    QByteArrayView bytes(data, qsizetype(length));
    if (kind == TColumnValue::Bits) {
        quint64 v = 0;
        for (char b : bytes)
            v = (v << 8) | quint8(b);
        // Kept whole: the number field of a local table takes 64-bit integers without rounding.
        if (def.DataType == ftBCD && v > quint64(std::numeric_limits<qint64>::max()))
            return QVariant(quint64(v));
        return QVariant(qint64(v));
    }
    if (kind == TColumnValue::Hex) return QString::fromLatin1(bytes.toByteArray().toHex().toUpper());
    switch (def.DataType) {
    case ftSmallint:
    case ftInteger:
        return bytes.toInt();
    case ftLargeint:
        return bytes.toLongLong();
    case ftBCD:
        // Whole numbers wider than 32 bits (BIGINT, INT UNSIGNED): every digit, which a double
        // would round beyond 2^53.
        if (def.Size == 0) {
            bool ok = false;
            if (const qint64 i = bytes.toLongLong(&ok); ok) return i;
            if (const quint64 u = bytes.toULongLong(&ok); ok) return u;
        }
        return bytes.toDouble();
    case ftFloat:
        return bytes.toDouble();
    case ftDate: {
        QDate date = parseDate(bytes);
        return date.isValid() ? QVariant(date) : QVariant();
    }
    case ftTime: {
        QTime t = parseTime(bytes);
        return t.isValid() ? QVariant(t) : QVariant();
    }
    case ftDateTime: {
        QDate date = parseDate(bytes);
        if (!date.isValid()) return {};
        QTime t = bytes.size() > 11 ? parseTime(bytes.sliced(11)) : QTime(0, 0);
        return QDateTime(date, t.isValid() ? t : QTime(0, 0));
    }
    case ftBlob:
    case ftBytes:
    case ftVarBytes:
        return bytes.toByteArray();
    default:
        return cp1250::decode(bytes);
    }
}

} // namespace

TZQuery::TZQuery(QObject* parent) : TDataSet(parent) {}

TZQuery::~TZQuery() = default;

QString TZQuery::SQLText() const {
    return m_sql.join(QStringLiteral("\r\n"));
}

void TZQuery::ExecSQL() {
    if (!m_connection) throw EDatabaseError::prefixed(Name(), QStringLiteral("Chybí spojení"));
    m_connection->ExecuteDirect(SQLText());
}

void TZQuery::InternalOpen() {
    if (!m_connection) throw EDatabaseError::prefixed(Name(), QStringLiteral("Chybí spojení"));
    m_connection->CheckConnected();
    MYSQL* m = m_connection->Handle();
    const QByteArray bytes = cp1250::encode(SQLText());
    if (mysql_real_query(m, bytes.constData(), bytes.size()) != 0) m_connection->RaiseLastError();
    std::unique_ptr<MYSQL_RES, ResultDeleter> res(mysql_store_result(m));
    if (!res) {
        // A connection lost in the middle of the rows leaves no result but an error.
        if (mysql_errno(m) != 0 || mysql_field_count(m) != 0) m_connection->RaiseLastError();
        throw EDatabaseError::prefixed(Name(), QStringLiteral("Příkaz nevrátil žádná data"));
    }
    const unsigned columns = mysql_num_fields(res.get());
    const MYSQL_FIELD* fields = mysql_fetch_fields(res.get());
    TFieldDefs& defs = FieldDefs();
    defs.clear();
    m_kinds.clear();
    m_kinds.reserve(columns);
    for (unsigned i = 0; i < columns; ++i) {
        const TColumn column = columnOf(fields[i], int(i) + 1, m_localTableTypes);
        m_kinds.push_back(quint8(column.Value));
        defs << column.Def;
    }
    // Only where each row lies is noted; the values stay in the result until they are read.
    m_rows.clear();
    m_rows.reserve(size_t(mysql_num_rows(res.get())));
    for (MYSQL_ROW_OFFSET at = mysql_row_tell(res.get()); mysql_fetch_row(res.get());
         at = mysql_row_tell(res.get()))
        m_rows.push_back(at);
    m_result = std::move(res);
    m_fetchedRow = -1;
    // Further results of the same statement would block the connection; there are none for
    // single statements, but read them off all the same.
    while (mysql_next_result(m) == 0)
        if (MYSQL_RES* more = mysql_store_result(m)) mysql_free_result(more);
    m_current = -1;
}

void TZQuery::InternalClose() {
    m_rows.clear();
    m_rows.shrink_to_fit();
    m_result.reset();
    m_fetchedRow = -1;
    m_current = -1;
}

void TZQuery::ResultDeleter::operator()(MYSQL_RES* result) const {
    mysql_free_result(result);
}

bool TZQuery::InternalFirst() {
    if (m_rows.empty()) return false;
    m_current = 0;
    return true;
}

bool TZQuery::InternalLast() {
    if (m_rows.empty()) return false;
    m_current = int(m_rows.size()) - 1;
    return true;
}

bool TZQuery::InternalNext() {
    if (m_current + 1 >= int(m_rows.size())) return false;
    ++m_current;
    return true;
}

bool TZQuery::InternalPrior() {
    if (m_current <= 0) return false;
    --m_current;
    return true;
}

TBookmark TZQuery::GetBookmark() const {
    if (!InternalHasRecord()) return {};
    // Big-endian, so that comparing bookmarks as bytes orders them by row.
    quint32 row = quint32(m_current);
    TBookmark b(4, '\0');
    for (int i = 0; i < 4; ++i)
        b[i] = char((row >> (8 * (3 - i))) & 0xff);
    return b;
}

bool TZQuery::InternalGotoBookmark(const TBookmark& bookmark) {
    if (bookmark.size() != 4) return false;
    quint32 row = 0;
    for (int i = 0; i < 4; ++i)
        row = (row << 8) | quint8(bookmark[i]);
    if (row >= m_rows.size()) return false;
    m_current = int(row);
    return true;
}

bool TZQuery::InternalHasRecord() const {
    return m_current >= 0 && m_current < int(m_rows.size());
}

int TZQuery::RecNo() const {
    return InternalHasRecord() ? m_current + 1 : 0;
}

int TZQuery::RecordCount() const {
    return int(m_rows.size());
}

QVariant TZQuery::GetFieldValue(const TField& field) const {
    return InternalHasRecord() ? ValueAt(m_current, field) : QVariant();
}

QVariant TZQuery::ValueAt(int row, const TField& field) const {
    return ValueAt(row, field.Def().FieldNo - 1);
}

QVariant TZQuery::ValueAt(int row, int column) const {
    if (column < 0 || column >= int(m_kinds.size()) || column >= FieldDefs().size() || !seekRow(row))
        return {};
    return valueOf(FieldDefs()[column], TColumnValue(m_kinds[size_t(column)]), m_fetchedValues[column],
                   m_fetchedLengths[column]);
}

bool TZQuery::seekRow(int row) const {
    if (row < 0 || row >= int(m_rows.size()) || !m_result) return false;
    if (row != m_fetchedRow) {
        mysql_row_seek(m_result.get(), m_rows[size_t(row)]);
        m_fetchedValues = mysql_fetch_row(m_result.get());
        m_fetchedLengths = mysql_fetch_lengths(m_result.get());
        if (!m_fetchedValues || !m_fetchedLengths) {
            m_fetchedRow = -1;
            return false;
        }
        m_fetchedRow = row;
    }
    return true;
}

// The query is read-only: TDataSet refuses every change through CanModify() before these are reached.
void TZQuery::InternalInitRecord(bool) {
    CheckCanModify();
}
void TZQuery::InternalEdit() {
    CheckCanModify();
}
void TZQuery::InternalPost() {
    CheckCanModify();
}
void TZQuery::InternalCancel() {}
void TZQuery::InternalDelete() {
    CheckCanModify();
}
void TZQuery::SetFieldValueInternal(const TField&, const QVariant&) {
    CheckCanModify();
}

} // namespace kvor
