#include "tablestore/DsDbfApi.h"

#include "platform/Cp1250.h"

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <optional>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kvor {

namespace {

constexpr int kHeaderSize = 32;
constexpr int kDBase7HeaderSize = 68;
constexpr int kDescriptorSize = 32;
constexpr int kDBase7DescriptorSize = 48;
constexpr double kMsPerDay = 86400000.0;

std::uint16_t getU16(const char* p) {
    return std::uint16_t(std::uint8_t(p[0]) | (std::uint8_t(p[1]) << 8));
}

std::uint32_t getU32(const char* p) {
    return std::uint32_t(std::uint8_t(p[0])) | (std::uint32_t(std::uint8_t(p[1])) << 8) |
           (std::uint32_t(std::uint8_t(p[2])) << 16) | (std::uint32_t(std::uint8_t(p[3])) << 24);
}

void putU16(char* p, std::uint16_t v) {
    p[0] = char(v & 0xFF);
    p[1] = char(v >> 8);
}

void putU32(char* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = char((v >> (8 * i)) & 0xFF);
}

bool allBytes(const char* p, int n, char c) {
    for (int i = 0; i < n; ++i)
        if (p[i] != c) return false;
    return true;
}

// Days from 1 January of year 1 (day 1) in the count that @ fields use.
qint64 dayNumber(const QDate& d) {
    return d.toJulianDay() - QDate(1, 1, 1).toJulianDay() + 1;
}

// The decimal text of an N or F field: blanks, sign, digits, point, digits, exponent. Trailing
// blanks are accepted too, since other writers left-align their numbers.
bool parseNumber(const char* p, int n, double& value) {
    int i = 0;
    while (i < n && p[i] == ' ')
        ++i;
    int start = i;
    if (i < n && (p[i] == '+' || p[i] == '-')) ++i;
    int digits = 0;
    while (i < n && p[i] >= '0' && p[i] <= '9')
        ++i, ++digits;
    if (i < n && p[i] == '.') {
        ++i;
        while (i < n && p[i] >= '0' && p[i] <= '9')
            ++i, ++digits;
    }
    if (digits == 0) return false;
    if (i < n && (p[i] == 'e' || p[i] == 'E')) {
        int j = i + 1;
        if (j < n && (p[j] == '+' || p[j] == '-')) ++j;
        int expDigits = 0;
        while (j < n && p[j] >= '0' && p[j] <= '9')
            ++j, ++expDigits;
        if (expDigits == 0) return false;
        i = j;
    }
    int end = i;
    while (i < n && p[i] == ' ')
        ++i;
    if (i != n) return false;
    bool ok = false;
    value = QByteArray(p + start, end - start).toDouble(&ok);
    return ok && std::isfinite(value);
}

// The value of a number field that holds a whole number of up to 64 bits (blanks around it, a
// sign, digits, at most a point and zeros after it), as qint64 or, beyond that, quint64.
std::optional<QVariant> wholeNumber(const char* p, int n) {
    int i = 0;
    while (i < n && p[i] == ' ')
        ++i;
    const bool negative = i < n && p[i] == '-';
    if (i < n && (p[i] == '-' || p[i] == '+')) ++i;
    const int start = i;
    while (i < n && p[i] >= '0' && p[i] <= '9')
        ++i;
    const int end = i;
    if (i < n && p[i] == '.')
        for (++i; i < n && p[i] == '0';)
            ++i;
    while (i < n && p[i] == ' ')
        ++i;
    if (i != n || end == start) return std::nullopt;
    std::uint64_t magnitude = 0;
    if (std::from_chars(p + start, p + end, magnitude).ptr != p + end) return std::nullopt; // too wide
    if (!negative) {
        if (magnitude <= std::uint64_t(std::numeric_limits<qint64>::max()))
            return QVariant(qint64(magnitude));
        return QVariant(quint64(magnitude));
    }
    if (magnitude > std::uint64_t(std::numeric_limits<qint64>::max()) + 1) return std::nullopt;
    return QVariant(qint64(0 - magnitude));
}

QString fieldLabel(const TDbfField& f) {
    return f.Name.isEmpty() ? QStringLiteral("?") : f.Name;
}

} // namespace

QString dbfFamilyName(TDbfFamily family) {
    switch (family) {
    case TDbfFamily::dBase3:
        return QStringLiteral("dBase III");
    case TDbfFamily::dBase4:
        return QStringLiteral("dBase IV");
    case TDbfFamily::dBase5:
        return QStringLiteral("dBase 5");
    case TDbfFamily::dBase7:
        return QStringLiteral("dBase 7");
    case TDbfFamily::FoxPro:
        return QStringLiteral("FoxPro");
    }
    return QString();
}

bool dbfFamilyOf(std::uint8_t version, std::uint8_t languageDriver, TDbfFamily& family) {
    switch (version) {
    case 0x02:
    case 0x30:
    case 0xF5:
        family = TDbfFamily::FoxPro;
        return true;
    case 0x03:
        family = languageDriver == 0 ? TDbfFamily::dBase3 : TDbfFamily::dBase4;
        return true;
    case 0x04:
    case 0x8C:
        family = TDbfFamily::dBase7;
        return true;
    case 0x05:
        family = TDbfFamily::dBase5;
        return true;
    case 0x83:
        family = TDbfFamily::dBase3;
        return true;
    case 0x8B:
        family = TDbfFamily::dBase4;
        return true;
    default:
        return false;
    }
}

TFieldType dbfFieldType(char letter) {
    switch (letter) {
    case 'C':
        return ftString;
    case 'D':
        return ftDate;
    case 'N':
    case 'F':
    case 'O':
        return ftFloat;
    case 'L':
        return ftBoolean;
    case 'I':
        return ftInteger;
    case '+':
        return ftAutoInc;
    case '@':
        return ftDateTime;
    case 'M':
        return ftMemo;
    case 'B':
        return ftTypedBinary;
    case 'P':
        return ftGraphic;
    case 'G':
        return ftDBaseOle;
    case 'T':
        return ftTime;
    case 'Y':
        return ftCurrency;
    default:
        return ftUnknown;
    }
}

int dbfDescriptorsFor(const TFieldDefs& defs, QList<TDbfField>& fields) {
    fields.clear();
    int offset = 1;
    for (const TFieldDef& def : defs) {
        if (def.Hidden) continue;
        TDbfField f;
        f.Name = def.Name.left(10);
        switch (def.DataType) {
        case ftString:
        case ftWideString:
            // The length is one byte in the descriptor: a wider string cannot be stored.
            if (def.Size < 1 || def.Size > 255) return DS_INVALID_FIELD_SIZE;
            f.Type = 'C', f.Length = def.Size;
            break;
        case ftSmallint:
        case ftWord:
            f.Type = 'N', f.Length = 6;
            break;
        case ftInteger:
        case ftAutoInc:
            f.Type = 'N', f.Length = 11;
            break;
        case ftBoolean:
            f.Type = 'L', f.Length = 1;
            break;
        case ftFloat:
        case ftCurrency:
            f.Type = 'N', f.Length = 19, f.Decimals = 4;
            break;
        case ftBCD: {
            int p = def.Precision, s = def.Size;
            f.Type = 'N';
            if ((s >= 0 && p - s >= 2 && p <= 20 && s <= 18) || (p == 1 && s == 0))
                f.Length = p, f.Decimals = s;
            else
                f.Length = 20, f.Decimals = 4;
            break;
        }
        case ftDate:
            f.Type = 'D', f.Length = 8;
            break;
        case ftTime:
            f.Type = 'C', f.Length = 11;
            break;
        case ftDateTime:
            f.Type = 'C', f.Length = 30;
            break;
        case ftBlob:
        case ftMemo:
        case ftFmtMemo:
        case ftGraphic:
        case ftDBaseOle:
        case ftTypedBinary:
            f.Type = 'M', f.Length = 10;
            break;
        default:
            return DS_INVALID_FIELD_TYPE;
        }
        f.Offset = offset;
        offset += f.Length;
        fields << f;
    }
    if (fields.isEmpty()) return DS_INVALID_PARAMETER;
    if (offset > 0xFFFF || kHeaderSize + kDescriptorSize * fields.size() + 1 > 0xFFFF)
        return DS_INVALID_FIELD_SIZE;
    return DS_OK;
}

QString dbfTablePath(const QString& directory, const QString& tableName) {
    // A backslash in the name separates folders too, as it does in the folder.
    QString name = tableName;
    name.replace(u'\\', u'/');
    qsizetype slash = name.lastIndexOf(u'/');
    qsizetype dot = name.lastIndexOf(u'.');
    if (dot > slash) name.truncate(dot);
    name += QStringLiteral(".dbf");
    if (directory.isEmpty()) return name;
    QString dir = directory;
    dir.replace(u'\\', u'/');
    if (!dir.endsWith(u'/')) dir += u'/';
    return dir + name;
}

QString dbfExistingPath(const QString& path) {
    QFileInfo info(path);
    if (info.exists()) return path;
    const QDir dir = info.dir();
    const QString name = info.fileName();
    const QStringList entries = dir.entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    for (const QString& entry : entries)
        if (entry.compare(name, Qt::CaseInsensitive) == 0) return dir.filePath(entry);
    return path;
}

// ---------------------------------------------------------------------------------------------
// Field codec

QVariant TDbfFile::decodeField(const TDbfField& field, const char* p, CP_TYPE codePage) {
    const int n = field.Length;
    if (allBytes(p, n, ' ')) return QVariant();
    switch (field.Type) {
    case 'C': {
        // A descriptor's length is one byte, so the field fits a buffer on the stack.
        char bytes[256];
        const std::uint8_t* table = codePageInfo(codePage).ReadTable;
        int len = 0;
        while (len < n && len < 256 && p[len] != '\0') {
            bytes[len] = char(table[std::uint8_t(p[len])]);
            ++len;
        }
        while (len > 0 && bytes[len - 1] == ' ')
            --len;
        return cp1250::decode(QByteArrayView(bytes, len));
    }
    case 'D': {
        // Anything but eight digits of a real date reads as null rather than as some other day.
        if (n < 8) return QVariant();
        for (int i = 0; i < 8; ++i)
            if (p[i] < '0' || p[i] > '9') return QVariant();
        auto num = [p](int from, int len) {
            int v = 0;
            for (int i = from; i < from + len; ++i)
                v = v * 10 + (p[i] - '0');
            return v;
        };
        QDate d(num(0, 4), num(4, 2), num(6, 2));
        if (!d.isValid()) return QVariant();
        return d;
    }
    case 'N':
    case 'F': {
        // Asterisks are what dBase writers put where a number did not fit and what some put for
        // null: either way there is no number to show, and 0 would be a wrong one.
        if (std::all_of(p, p + n, [](char c) { return c == '*' || c == ' '; })) return QVariant();
        // The whole field counts, however wide; text that is no number reads as 0.
        double v = 0.0;
        if (!parseNumber(p, n, v)) v = 0.0;
        // A whole number beyond what a double holds exactly keeps all its digits.
        if (std::abs(v) >= 9007199254740992.0)
            if (std::optional<QVariant> exact = wholeNumber(p, n)) return *exact;
        return v;
    }
    case 'L':
        switch (p[0]) {
        case 'T':
        case 't':
        case 'Y':
        case 'y':
            return true;
        case 'F':
        case 'f':
        case 'N':
        case 'n':
            return false;
        default:
            return QVariant(); // '?' and anything unreadable: unknown
        }
    case 'I':
    case '+': {
        if (n < 4) return QByteArray(p, n);
        if (field.LittleEndianInteger) return int(std::int32_t(getU32(p)));
        if (allBytes(p, 4, '\0')) return QVariant();
        std::uint32_t u = (std::uint32_t(std::uint8_t(p[0])) << 24) |
                          (std::uint32_t(std::uint8_t(p[1])) << 16) |
                          (std::uint32_t(std::uint8_t(p[2])) << 8) | std::uint32_t(std::uint8_t(p[3]));
        return int(std::int32_t(u ^ 0x80000000u));
    }
    case '@': {
        if (n < 8) return QByteArray(p, n);
        if (allBytes(p, 8, '\0')) return QVariant();
        std::uint64_t u = 0;
        for (int i = 0; i < 8; ++i)
            u = (u << 8) | std::uint8_t(p[i]);
        double ms;
        std::memcpy(&ms, &u, sizeof ms);
        // Beyond the years the program can show the value is not a time stamp at all.
        if (!std::isfinite(ms) || ms < kMsPerDay || ms > 4.0e14) return QVariant();
        qint64 total = qint64(std::llround(ms));
        qint64 day = total / qint64(kMsPerDay);
        qint64 rest = total % qint64(kMsPerDay);
        QDate date = QDate(1, 1, 1).addDays(day - 1);
        return QDateTime(date, QTime::fromMSecsSinceStartOfDay(int(rest)));
    }
    case 'O': {
        // A double in the byte order of the machines that write these files (little-endian).
        if (n < 8) return QByteArray(p, n);
        std::uint64_t u = std::uint64_t(getU32(p)) | (std::uint64_t(getU32(p + 4)) << 32);
        double v;
        std::memcpy(&v, &u, sizeof v);
        return v;
    }
    case 'Y': {
        // Currency: a little-endian 64-bit count of ten-thousandths.
        if (n < 8) return QByteArray(p, n);
        std::uint64_t u = std::uint64_t(getU32(p)) | (std::uint64_t(getU32(p + 4)) << 32);
        return double(std::int64_t(u)) / 10000.0;
    }
    case 'M':
    case 'B':
    case 'P': {
        QByteArray text = QByteArray(p, n).trimmed();
        bool ok = false;
        int block = text.toInt(&ok);
        return ok ? block : 0;
    }
    default:
        return QByteArray(p, n);
    }
}

namespace {

[[noreturn]] void refuseNumber(const TDbfField& field, const QString& text) {
    throw EDatabaseError(QStringLiteral("Číslo %1 se nevejde do pole %2 (šířka %3, desetinná místa %4)")
                             .arg(text, fieldLabel(field))
                             .arg(field.Length)
                             .arg(field.Decimals),
                         DS_INVALID_FIELD_SIZE);
}

[[noreturn]] void refuseDate(const TDbfField& field, const QVariant& value) {
    throw EDatabaseError(
        QStringLiteral("Datum %1 nelze zapsat do pole %2").arg(value.toString(), fieldLabel(field)),
        DS_INVALID_FIELD_SIZE);
}

// The fixed-point text of a number with the field's decimals into text (room for 400 characters);
// returns its length, 0 for a value that has none (not finite).
int fixedText(double v, int decimals, char* text) {
    if (!std::isfinite(v)) return 0;
    // Most values have no more decimals than the field: their digits are an exact integer count of
    // the last decimal place. Below 2^50 the product is within 1/16 of the true one, so the count
    // is the correctly rounded one.
    static constexpr double kPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8, 1e9,
                                         1e10, 1e11, 1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18};
    if (decimals < int(std::size(kPowers))) {
        const double scaled = v * kPowers[decimals];
        if (std::abs(scaled) < 1125899906842624.0 && scaled == std::trunc(scaled)) {
            long long units = std::llabs(static_cast<long long>(scaled));
            char digits[24];
            int count = int(std::to_chars(digits, digits + sizeof digits, units).ptr - digits);
            int len = 0;
            if (units != 0 && scaled < 0) text[len++] = '-'; // a value that rounds to zero has no sign
            const int whole = count - decimals;
            if (whole <= 0) {
                text[len++] = '0';
            } else {
                std::memcpy(text + len, digits, size_t(whole));
                len += whole;
            }
            if (decimals > 0) {
                text[len++] = '.';
                for (int i = whole; i < 0; ++i)
                    text[len++] = '0';
                const int from = std::max(whole, 0);
                std::memcpy(text + len, digits + from, size_t(count - from));
                len += count - from;
            }
            return len;
        }
    }
    // Values with more decimals than the field round as the Qt formatter rounds them (an exact
    // half away from zero).
    QByteArray formatted = QByteArray::number(v, 'f', decimals);
    if (formatted.startsWith('-') && formatted.count('0') + formatted.count('.') == formatted.size() - 1)
        formatted.remove(0, 1);
    // Wider than any field can be: only its beginning is kept, for the message.
    std::memcpy(text, formatted.constData(), size_t(std::min<qsizetype>(formatted.size(), 400)));
    return int(formatted.size());
}

// The digits of a 64-bit whole number with the field's decimals as zeros, exactly: a double
// would round numbers beyond 2^53 (wide server integers in N20 fields).
int wholeText(const QVariant& value, int decimals, char* text) {
    char* end = value.typeId() == QMetaType::ULongLong
                    ? std::to_chars(text, text + 24, value.toULongLong()).ptr
                    : std::to_chars(text, text + 24, value.toLongLong()).ptr;
    int len = int(end - text);
    if (decimals > 0) {
        text[len++] = '.';
        std::memset(text + len, '0', size_t(decimals));
        len += decimals;
    }
    return len;
}

void putU64(char* p, std::uint64_t v) {
    putU32(p, std::uint32_t(v));
    putU32(p + 4, std::uint32_t(v >> 32));
}

// Text into a C field: Windows-1250 through the code page's table, blanks after it.
void encodeText(const QString& text, int n, CP_TYPE codePage, char* out) {
    const qsizetype written = cp1250::encodeInto(text, out, n);
    if (const TCodePageInfo& info = codePageInfo(codePage); !info.KeepsBytes)
        for (qsizetype i = 0; i < written; ++i)
            out[i] = char(info.WriteTable[std::uint8_t(out[i])]);
    std::memset(out + written, ' ', size_t(n - written));
}

} // namespace

void TDbfFile::encodeInto(const TDbfField& field, const QVariant& value, CP_TYPE codePage, char* out) {
    const int n = field.Length;
    if (field.Type == 'C' && value.typeId() == QMetaType::QString) {
        // Strings, the values most often written, are read in place rather than copied out.
        encodeText(*static_cast<const QString*>(value.constData()), n, codePage, out);
        return;
    }
    if (!value.isValid() || value.isNull()) {
        std::memset(out, ' ', size_t(n));
        if ((field.Type == 'I' || field.Type == '+') && n >= 4) std::memset(out, 0, 4);
        if (field.Type == '@' && n >= 8) std::memset(out, 0, 8);
        return;
    }
    // A value that the field refuses is refused before any byte of the field changes.
    switch (field.Type) {
    case 'C':
        encodeText(value.toString(), n, codePage, out);
        return;
    case 'D': {
        QDate d = value.typeId() == QMetaType::QDateTime ? value.toDateTime().date() : value.toDate();
        if (!d.isValid() || d.year() < 1 || d.year() > 9999) refuseDate(field, value);
        char digits[9];
        std::snprintf(digits, sizeof digits, "%04d%02d%02d", d.year(), d.month(), d.day());
        std::memset(out, ' ', size_t(n));
        std::memcpy(out, digits, size_t(std::min(n, 8)));
        return;
    }
    case 'N':
    case 'F': {
        char text[401];
        const bool whole = value.typeId() == QMetaType::LongLong || value.typeId() == QMetaType::ULongLong;
        const int len = whole ? wholeText(value, field.Decimals, text)
                              : fixedText(value.toDouble(), field.Decimals, text);
        // A cut number would silently store a different value: refuse it instead.
        if (len == 0) refuseNumber(field, value.toString());
        if (len > n) refuseNumber(field, QString::fromLatin1(text, std::min(len, 400)));
        std::memset(out, ' ', size_t(n - len));
        std::memcpy(out + (n - len), text, size_t(len));
        return;
    }
    case 'L':
        std::memset(out, ' ', size_t(n));
        // A foreign file may declare a logical field without bytes: there is nothing to write.
        if (n >= 1) out[0] = value.toBool() ? 'T' : 'F';
        return;
    case 'I':
    case '+': {
        std::memset(out, ' ', size_t(n));
        if (n < 4) return;
        if (field.LittleEndianInteger) {
            putU32(out, std::uint32_t(std::int32_t(value.toInt())));
            return;
        }
        std::uint32_t u = std::uint32_t(std::int32_t(value.toInt())) ^ 0x80000000u;
        for (int i = 0; i < 4; ++i)
            out[i] = char((u >> (24 - 8 * i)) & 0xFF);
        return;
    }
    case 'O':
    case 'Y': {
        if (n < 8) {
            std::memset(out, ' ', size_t(n));
            return;
        }
        double v = value.toDouble();
        std::uint64_t u;
        if (field.Type == 'O') {
            std::memcpy(&u, &v, sizeof u);
        } else {
            const double units = std::round(v * 10000.0);
            // An amount beyond the 64-bit count would wrap around into another amount.
            if (!std::isfinite(units) || std::abs(units) >= 9.2e18)
                throw EDatabaseError(QStringLiteral("Částka %1 se nevejde do pole %2")
                                         .arg(value.toString(), fieldLabel(field)),
                                     DS_INVALID_FIELD_SIZE);
            u = std::uint64_t(std::int64_t(units));
        }
        std::memset(out, ' ', size_t(n));
        putU64(out, u);
        return;
    }
    case '@': {
        if (n < 8) {
            std::memset(out, ' ', size_t(n));
            return;
        }
        QDateTime dt = value.toDateTime();
        if (!dt.isValid() || dt.date().year() < 1) refuseDate(field, value);
        double ms = double(dayNumber(dt.date())) * kMsPerDay + double(dt.time().msecsSinceStartOfDay());
        std::uint64_t u;
        std::memcpy(&u, &ms, sizeof u);
        std::memset(out, ' ', size_t(n));
        for (int i = 0; i < 8; ++i)
            out[i] = char((u >> (56 - 8 * i)) & 0xFF);
        return;
    }
    default: {
        std::memset(out, ' ', size_t(n));
        if (value.typeId() == QMetaType::QByteArray) {
            const QByteArray raw = value.toByteArray();
            std::memcpy(out, raw.constData(), size_t(std::min<qsizetype>(raw.size(), n)));
        } else {
            cp1250::encodeInto(value.toString(), out, n);
        }
        return;
    }
    }
}

QByteArray TDbfFile::encodeField(const TDbfField& field, const QVariant& value, CP_TYPE codePage) {
    QByteArray out(field.Length, ' ');
    encodeInto(field, value, codePage, out.data());
    return out;
}

QVariant TDbfFile::ReadField(const char* record, int i) const {
    const TDbfField& f = m_fields.at(i);
    return decodeField(f, record + f.Offset, m_codePage);
}

void TDbfFile::WriteField(char* record, int i, const QVariant& value) const {
    const TDbfField& f = m_fields.at(i);
    encodeInto(f, value, m_codePage, record + f.Offset);
}

void TDbfFile::WriteText(char* record, int i, const QString& text) const {
    const TDbfField& f = m_fields.at(i);
    encodeText(text, f.Length, m_codePage, record + f.Offset);
}

// ---------------------------------------------------------------------------------------------
// File operations

TDbfFile::~TDbfFile() {
    Close();
}

int TDbfFile::ReadAt(std::int64_t offset, char* data, std::int64_t size, std::int64_t& got) const {
    got = 0;
    while (got < size) {
        ssize_t r = ::pread(m_fd, data + got, size_t(size - got), off_t(offset + got));
        if (r < 0) {
            if (errno == EINTR) continue;
            return errno == EINVAL ? DS_CANNOT_SEEK_FILE : DS_CANNOT_READ_FILE;
        }
        if (r == 0) break;
        got += r;
    }
    return DS_OK;
}

int TDbfFile::WriteAt(std::int64_t offset, const char* data, std::int64_t size) const {
    std::int64_t done = 0;
    while (done < size) {
        ssize_t r = ::pwrite(m_fd, data + done, size_t(size - done), off_t(offset + done));
        if (r < 0) {
            if (errno == EINTR) continue;
            return errno == EINVAL ? DS_CANNOT_SEEK_FILE : DS_CANNOT_WRITE_FILE;
        }
        if (r == 0) return DS_CANNOT_WRITE_FILE;
        done += r;
    }
    return DS_OK;
}

int TDbfFile::Create(const QString& path, CP_TYPE codePage, const TFieldDefs& defs) {
    QList<TDbfField> fields;
    if (int code = dbfDescriptorsFor(defs, fields); code != DS_OK) return code;

    bool memo = std::any_of(fields.begin(), fields.end(), [](const TDbfField& f) { return f.Type == 'M'; });
    const int headerLength = kHeaderSize + kDescriptorSize * int(fields.size()) + 1;
    int recordLength = 1;
    for (const TDbfField& f : fields)
        recordLength += f.Length;

    QByteArray bytes(headerLength + 1, '\0');
    char* h = bytes.data();
    QDate today = QDate::currentDate();
    h[0] = char(memo ? 0x8B : 0x03);
    h[1] = char(today.year() - 1900);
    h[2] = char(today.month());
    h[3] = char(today.day());
    putU32(h + 4, 0);
    putU16(h + 8, std::uint16_t(headerLength));
    putU16(h + 10, std::uint16_t(recordLength));
    h[29] = char(memo ? codePageInfo(codePage).LanguageDriver : 0);
    char* d = h + kHeaderSize;
    for (const TDbfField& f : fields) {
        QByteArray name = cp1250::encode(f.Name).left(10);
        std::memcpy(d, name.constData(), size_t(name.size()));
        d[11] = f.Type;
        d[16] = char(f.Length);
        d[17] = char(f.Decimals);
        d += kDescriptorSize;
    }
    bytes[headerLength - 1] = kTerminator;
    bytes[headerLength] = kEofMarker;

    // Take the lock before truncating: a file that someone holds open stays as it is. An existing
    // table is replaced under its own name, whatever the case of its letters.
    QByteArray native = QFile::encodeName(dbfExistingPath(path));
    int fd = ::open(native.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) return DS_CANNOT_OPEN_FILE;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return DS_CANNOT_OPEN_FILE;
    }
    int code = DS_OK;
    if (::ftruncate(fd, 0) != 0) code = DS_CANNOT_WRITE_FILE;
    std::int64_t done = 0;
    while (code == DS_OK && done < bytes.size()) {
        ssize_t r = ::pwrite(fd, bytes.constData() + done, size_t(bytes.size() - done), off_t(done));
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0)
            code = DS_CANNOT_WRITE_FILE;
        else
            done += r;
    }
    ::close(fd);
    return code;
}

int TDbfFile::Open(const QString& givenPath, bool readOnly, bool exclusive, int cacheRecords,
                   CP_TYPE codePage) {
    Close();
    const QString path = dbfExistingPath(givenPath);
    QByteArray native = QFile::encodeName(path);
    int fd = ::open(native.constData(), (readOnly ? O_RDONLY : O_RDWR) | O_CLOEXEC);
    if (fd < 0) return DS_CANNOT_OPEN_FILE;
    // Linux has no sharing modes: advisory locks stand in for them among the openers that ask.
    if (::flock(fd, (exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB) != 0) {
        ::close(fd);
        return DS_CANNOT_OPEN_FILE;
    }
    m_fd = fd;
    m_mapUnavailable = false;
    m_readOnly = readOnly;
    m_exclusive = exclusive;
    m_codePage = codePage;
    SetCacheRecords(cacheRecords);

    auto fail = [this](int code) {
        Close();
        return code;
    };

    m_header = QByteArray(kHeaderSize, '\0');
    std::int64_t got = 0;
    if (int code = ReadAt(0, m_header.data(), kHeaderSize, got); code != DS_OK) return fail(code);
    if (got < kHeaderSize) return fail(DS_CANNOT_READ_FILE);
    if (!dbfFamilyOf(std::uint8_t(m_header[0]), std::uint8_t(m_header[29]), m_family))
        return fail(DS_INVALID_DATABASE_FILE);
    int descriptorStart = kHeaderSize, descriptorSize = kDescriptorSize;
    if (m_family == TDbfFamily::dBase7) {
        m_header.resize(kDBase7HeaderSize);
        if (int code =
                ReadAt(kHeaderSize, m_header.data() + kHeaderSize, kDBase7HeaderSize - kHeaderSize, got);
            code != DS_OK)
            return fail(code);
        if (got < kDBase7HeaderSize - kHeaderSize) return fail(DS_CANNOT_READ_FILE);
        descriptorStart = kDBase7HeaderSize, descriptorSize = kDBase7DescriptorSize;
    }
    if (m_header[15] == 1) return fail(DS_TABLE_CRYPTED);

    m_recordCount = getU32(m_header.constData() + 4);
    m_headerLength = getU16(m_header.constData() + 8);
    m_recordLength = getU16(m_header.constData() + 10);
    if (m_headerLength <= descriptorStart) return fail(DS_INVALID_DATABASE_FILE);

    QByteArray descriptors(m_headerLength - descriptorStart, '\0');
    if (int code = ReadAt(descriptorStart, descriptors.data(), descriptors.size(), got); code != DS_OK)
        return fail(code);
    if (got < descriptors.size()) return fail(DS_CANNOT_READ_FILE);

    m_fields.clear();
    int offset = 1;
    const char* p = descriptors.constData();
    const int available = int(descriptors.size());
    for (int pos = 0; pos < available && p[pos] != kTerminator; pos += descriptorSize) {
        // A descriptor that runs past the header length means the header is not what it says.
        if (pos + descriptorSize > available) return fail(DS_INVALID_DATABASE_FILE);
        const char* d = p + pos;
        const int nameBytes = m_family == TDbfFamily::dBase7 ? 32 : 11;
        int nameLength = int(std::find(d, d + nameBytes, '\0') - d);
        QByteArray name(d, nameLength);
        while (!name.isEmpty() && std::uint8_t(name.back()) <= ' ')
            name.chop(1);
        TDbfField f;
        f.Name = cp1250::decode(name);
        if (m_family == TDbfFamily::dBase7) {
            f.Type = d[32];
            f.Length = std::uint8_t(d[33]);
            f.Decimals = std::uint8_t(d[34]);
        } else {
            f.Type = d[11];
            f.Length = std::uint8_t(d[16]);
            f.Decimals = std::uint8_t(d[17]);
        }
        f.Offset = offset;
        f.LittleEndianInteger = m_family == TDbfFamily::FoxPro;
        offset += f.Length;
        m_fields << f;
    }
    if (m_fields.isEmpty() || m_recordLength == 0 || m_recordLength < offset)
        return fail(DS_INVALID_DATABASE_FILE);

    // Only whole records count: a header that claims more than the file holds (a write cut short)
    // shows what is there, and the next append continues right after it.
    struct stat st {};
    if (::fstat(m_fd, &st) != 0) return fail(DS_CANNOT_READ_FILE);
    std::int64_t size = std::int64_t(st.st_size);
    std::int64_t whole = size > m_headerLength ? (size - m_headerLength) / m_recordLength : 0;
    if (std::int64_t(m_recordCount) > whole) m_recordCount = std::uint32_t(whole);
    putU32(m_header.data() + 4, m_recordCount);

    QString memoPath = path;
    qsizetype dot = memoPath.lastIndexOf(u'.');
    if (dot > memoPath.lastIndexOf(u'/')) memoPath.truncate(dot);
    memoPath += m_family == TDbfFamily::FoxPro ? QStringLiteral(".fpt") : QStringLiteral(".dbt");
    QByteArray memoNative = QFile::encodeName(dbfExistingPath(memoPath));
    if (::access(memoNative.constData(), F_OK) == 0) {
        int mfd = ::open(memoNative.constData(), (readOnly ? O_RDONLY : O_RDWR) | O_CLOEXEC);
        if (mfd < 0) return fail(DS_CANNOT_OPEN_FILE);
        if (::flock(mfd, (exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB) != 0) {
            ::close(mfd);
            return fail(DS_CANNOT_OPEN_FILE);
        }
        m_memoFd = mfd;
    }
    return DS_OK;
}

void TDbfFile::Close() {
    // A caller that must know whether the waiting records reached the file ends bulk mode first.
    (void)EndBulk();
    (void)EndMapped();
    if (m_memoFd >= 0) ::close(m_memoFd);
    if (m_fd >= 0) ::close(m_fd);
    m_memoFd = m_fd = -1;
    m_fields.clear();
    m_recordCount = 0;
    m_cacheCount = 0;
    m_cache.clear();
    m_cache.shrink_to_fit();
    m_readCount = 0;
}

void TDbfFile::SetCacheRecords(int records) {
    m_cacheRecords = std::max(1, records);
    m_cacheCount = 0;
}

int TDbfFile::Fetch(std::uint32_t n, bool forward, const char*& record) {
    if (!IsOpen()) return DS_INVALID_HANDLE;
    if (int code = EndBulk(); code != DS_OK) return code;
    if (n < 1) return DS_BEGIN_OF_FILE;
    if (n > m_recordCount) return DS_END_OF_FILE;
    if (m_cacheCount > 0 && n >= m_cacheFirst && n - m_cacheFirst < m_cacheCount) {
        record = m_cache.data() + size_t(n - m_cacheFirst) * size_t(m_recordLength);
        return DS_OK;
    }
    std::uint32_t block = std::uint32_t(m_cacheRecords);
    std::uint32_t first = forward ? n : (n > block ? n - block + 1 : 1);
    // Records past the count are not part of the table, so the block never reaches beyond it.
    std::uint32_t count = std::min<std::uint32_t>(block, m_recordCount - first + 1);
    size_t bytes = size_t(count) * size_t(m_recordLength);
    if (m_cache.size() < bytes) m_cache.resize(bytes);
    m_cacheCount = 0;
    std::int64_t got = 0;
    ++m_readCount;
    if (int code = ReadAt(RecordOffset(first), m_cache.data(), std::int64_t(bytes), got); code != DS_OK)
        return code;
    std::uint32_t whole = std::uint32_t(got / m_recordLength);
    m_cacheFirst = first;
    m_cacheCount = whole;
    if (n - first >= whole) return forward ? DS_END_OF_FILE : DS_BEGIN_OF_FILE;
    record = m_cache.data() + size_t(n - first) * size_t(m_recordLength);
    return DS_OK;
}

class TDbfFile::SharedWrite {
public:
    // An exclusive table needs no lock: nobody else has the file open.
    explicit SharedWrite(TDbfFile& file) : m_fd(file.m_exclusive ? -1 : file.m_fd) {
        if (m_fd < 0) return;
        m_code = Lock(F_WRLCK);
        if (m_code == DS_OK) m_code = file.RefreshRecordCount();
    }
    ~SharedWrite() {
        if (m_fd >= 0) (void)Lock(F_UNLCK);
    }
    SharedWrite(const SharedWrite&) = delete;
    SharedWrite& operator=(const SharedWrite&) = delete;
    int Code() const { return m_code; }

private:
    int Lock(short type) const {
        // Locks of the open file description: they exclude two openers in one process too, and
        // closing another descriptor of the file does not drop them.
        struct flock lock {};
        lock.l_type = type;
        lock.l_whence = SEEK_SET;
        lock.l_start = 0;
        lock.l_len = kHeaderSize;
        while (::fcntl(m_fd, F_OFD_SETLKW, &lock) != 0)
            if (errno != EINTR) return DS_TABLE_BUSY;
        return DS_OK;
    }

    int m_fd;
    int m_code = DS_OK;
};

int TDbfFile::RefreshRecordCount() {
    char count[4];
    std::int64_t got = 0;
    if (int code = ReadAt(4, count, 4, got); code != DS_OK) return code;
    if (got < 4) return DS_CANNOT_READ_FILE;
    struct stat st {};
    if (::fstat(m_fd, &st) != 0) return DS_CANNOT_READ_FILE;
    // As at opening, only whole records count.
    const std::int64_t size = std::int64_t(st.st_size);
    const std::int64_t whole = size > m_headerLength ? (size - m_headerLength) / m_recordLength : 0;
    m_recordCount = std::uint32_t(std::min<std::int64_t>(getU32(count), whole));
    return DS_OK;
}

int TDbfFile::StoreHeader() {
    putU32(m_header.data() + 4, m_recordCount);
    return WriteAt(0, m_header.constData(), m_header.size());
}

int TDbfFile::WriteHeader() {
    SharedWrite lock(*this);
    if (lock.Code() != DS_OK) return lock.Code();
    return StoreHeader();
}

int TDbfFile::AppendRecord(const char* record, std::uint32_t& recordNumber) {
    if (!IsOpen()) return DS_INVALID_HANDLE;
    if (m_readOnly) return DS_TABLE_READ_ONLY;
    if (m_bulk) {
        if (m_recordCount == 0xFFFFFFFFu) return DS_CANNOT_WRITE_FILE;
        const size_t length = size_t(m_recordLength);
        std::memcpy(m_block.data() + size_t(m_blockCount) * length, record, length);
        ++m_blockCount;
        recordNumber = ++m_recordCount;
        // Flushed when one more record and the end marker would not fit.
        if ((size_t(m_blockCount) + 1) * length + 1 > m_block.size()) return FlushBulk();
        return DS_OK;
    }
    if (m_exclusive && !m_mapUnavailable) {
        const int code = AppendMapped(record, recordNumber);
        if (code != kNotMapped) return code;
        m_mapUnavailable = true; // no mapping or no room for one: written as below from now on
    }
    SharedWrite lock(*this);
    if (lock.Code() != DS_OK) return lock.Code();
    if (m_recordCount == 0xFFFFFFFFu) return DS_CANNOT_WRITE_FILE;
    std::uint32_t n = m_recordCount + 1;
    m_appendBuffer.resize(size_t(m_recordLength) + 1);
    std::memcpy(m_appendBuffer.data(), record, size_t(m_recordLength));
    m_appendBuffer.back() = kEofMarker;
    if (int code = WriteAt(RecordOffset(n), m_appendBuffer.data(), std::int64_t(m_appendBuffer.size()));
        code != DS_OK) {
        // A write cut short (a full disk) may have put part of the record over the end marker:
        // the file is put back to its records and the marker, as far as that still goes.
        if (::ftruncate(m_fd, off_t(RecordOffset(n))) == 0) (void)WriteAt(RecordOffset(n), &kEofMarker, 1);
        return code;
    }
    m_recordCount = n;
    recordNumber = n;
    return StoreHeader();
}

int TDbfFile::AppendMapped(const char* record, std::uint32_t& recordNumber) {
    if (m_recordCount == 0xFFFFFFFFu) return DS_CANNOT_WRITE_FILE;
    const std::uint32_t n = m_recordCount + 1;
    const std::int64_t offset = RecordOffset(n);
    const std::int64_t end = offset + m_recordLength + 1;
    if (!m_window || offset < m_windowStart || end > m_windowStart + m_windowLength)
        if (int code = MapAppendWindow(offset, end); code != DS_OK) return code;
    char* p = m_window + (offset - m_windowStart);
    std::memcpy(p, record, size_t(m_recordLength));
    p[m_recordLength] = kEofMarker;
    // The count goes in only after the record: a kill in between leaves the table as it was.
    std::atomic_signal_fence(std::memory_order_seq_cst);
    putU32(m_headerMap + 4, n);
    putU32(m_header.data() + 4, n);
    m_recordCount = n;
    m_recordsEnd = end;
    recordNumber = n;
    return DS_OK;
}

int TDbfFile::MapAppendWindow(std::int64_t offset, std::int64_t end) {
    static const std::int64_t page = std::max<long>(4096, ::sysconf(_SC_PAGESIZE));
    if (!m_headerMap) {
        void* header = ::mmap(nullptr, size_t(m_header.size()), PROT_READ | PROT_WRITE, MAP_SHARED, m_fd, 0);
        if (header == MAP_FAILED) return kNotMapped;
        m_headerMap = static_cast<char*>(header);
    }
    if (!m_reserved) {
        struct stat st {};
        if (::fstat(m_fd, &st) != 0) return DS_CANNOT_READ_FILE;
        m_recordsEnd = std::int64_t(st.st_size);
    }
    // Windows grow from 64 KB to 4 MB: a single append reserves little, a long run of them
    // maps seldom.
    const std::int64_t previous = m_window ? m_windowLength : 0;
    if (m_window) ::munmap(m_window, size_t(m_windowLength));
    m_window = nullptr;
    const std::int64_t start = offset / page * page;
    const std::int64_t wanted = std::clamp<std::int64_t>(previous * 2, 64 * 1024, 4 * 1024 * 1024);
    const std::int64_t length = std::max(wanted, (end - start + page - 1) / page * page);
    m_reserved = true;
    // Without room for the window (a nearly full disk, a size limit) the records are written one
    // by one instead, which uses the room left to the last byte and reports what stops them.
    if (::posix_fallocate(m_fd, off_t(start), off_t(length)) != 0) {
        (void)EndMapped();
        return kNotMapped;
    }
    void* window = ::mmap(nullptr, size_t(length), PROT_READ | PROT_WRITE, MAP_SHARED, m_fd, off_t(start));
    if (window == MAP_FAILED) {
        (void)EndMapped();
        return kNotMapped;
    }
    m_window = static_cast<char*>(window);
    m_windowStart = start;
    m_windowLength = length;
#ifdef MADV_POPULATE_WRITE
    // One call instead of a page fault for every page, and a page that cannot be had is an error
    // here rather than a SIGBUS in the copy. Older kernels (EINVAL) fault them in one by one.
    if (::madvise(m_window, size_t(length), MADV_POPULATE_WRITE) != 0 && errno != EINVAL) {
        (void)EndMapped();
        return kNotMapped;
    }
#endif
    return DS_OK;
}

int TDbfFile::EndMapped() {
    if (m_window) ::munmap(m_window, size_t(m_windowLength));
    if (m_headerMap) ::munmap(m_headerMap, size_t(m_header.size()));
    m_window = m_headerMap = nullptr;
    m_windowStart = m_windowLength = 0;
    if (!m_reserved) return DS_OK;
    m_reserved = false;
    return ::ftruncate(m_fd, off_t(m_recordsEnd)) == 0 ? DS_OK : DS_CANNOT_WRITE_FILE;
}

void TDbfFile::BeginBulk() {
    if (!IsOpen() || m_readOnly || !m_exclusive || m_bulk) return;
    constexpr size_t kBlockBytes = 256 * 1024;
    const size_t length = size_t(m_recordLength);
    const size_t records = std::max<size_t>(1, kBlockBytes / length);
    m_block.assign((records + 1) * length + 1, '\0'); // room for one more record and the marker
    m_blockCount = 0;
    m_bulk = true;
}

// Writes the waiting records with the end marker in one call, then the header with their count.
int TDbfFile::FlushBulk() {
    if (m_blockCount == 0) return DS_OK;
    const std::int64_t bytes = std::int64_t(m_blockCount) * m_recordLength;
    const std::uint32_t first = m_recordCount - m_blockCount + 1;
    m_block[size_t(bytes)] = kEofMarker;
    const std::uint32_t count = m_blockCount;
    m_blockCount = 0;
    if (int code = WriteAt(RecordOffset(first), m_block.data(), bytes + 1); code != DS_OK) {
        m_recordCount -= count; // the records never reached the file
        return code;
    }
    return StoreHeader();
}

int TDbfFile::EndBulk() {
    if (!m_bulk) return DS_OK;
    const int code = FlushBulk();
    m_bulk = false;
    m_block.clear();
    m_block.shrink_to_fit();
    return code;
}

int TDbfFile::RewriteRecord(std::uint32_t n, const char* record) {
    if (!IsOpen()) return DS_INVALID_HANDLE;
    if (int code = EndBulk(); code != DS_OK) return code;
    if (m_readOnly) return DS_TABLE_READ_ONLY;
    if (n < 1 || n > m_recordCount) return DS_INVALID_PARAMETER;
    if (int code = WriteAt(RecordOffset(n), record, m_recordLength); code != DS_OK) return code;
    if (m_cacheCount > 0 && n >= m_cacheFirst && n - m_cacheFirst < m_cacheCount)
        std::memcpy(m_cache.data() + size_t(n - m_cacheFirst) * size_t(m_recordLength), record,
                    size_t(m_recordLength));
    return DS_OK;
}

int TDbfFile::MarkDeleted(std::uint32_t n) {
    if (!IsOpen()) return DS_INVALID_HANDLE;
    if (int code = EndBulk(); code != DS_OK) return code;
    if (m_readOnly) return DS_TABLE_READ_ONLY;
    if (n < 1 || n > m_recordCount) return DS_INVALID_PARAMETER;
    const char flag = char(kDeletedFlag);
    if (int code = WriteAt(RecordOffset(n), &flag, 1); code != DS_OK) return code;
    if (m_cacheCount > 0 && n >= m_cacheFirst && n - m_cacheFirst < m_cacheCount)
        m_cache[size_t(n - m_cacheFirst) * size_t(m_recordLength)] = flag;
    return WriteHeader();
}

int TDbfFile::Zap() {
    if (!IsOpen()) return DS_INVALID_HANDLE;
    if (!m_exclusive) return DS_TABLE_BUSY;
    if (m_readOnly) return DS_TABLE_READ_ONLY;
    // Records still waiting to be written would be cut off at once: they are dropped.
    m_recordCount -= m_blockCount;
    m_blockCount = 0;
    (void)EndBulk();
    m_cacheCount = 0;
    if (int code = EndMapped(); code != DS_OK) return code;
    if (::ftruncate(m_fd, off_t(m_headerLength)) != 0) return DS_CANNOT_WRITE_FILE;
    m_recordCount = 0;
    return WriteHeader();
}

int TDbfFile::Pack() {
    if (!IsOpen()) return DS_INVALID_HANDLE;
    if (int code = EndBulk(); code != DS_OK) return code;
    if (int code = EndMapped(); code != DS_OK) return code;
    if (!m_exclusive) return DS_TABLE_BUSY;
    if (m_readOnly) return DS_TABLE_READ_ONLY;
    m_cacheCount = 0;
    // A chunk never needs more room than the table has records: a large BufferRecords must not
    // ask for memory the table could never fill.
    const size_t chunkRecords = std::max<size_t>(1, std::min<size_t>(size_t(m_cacheRecords), m_recordCount));
    std::vector<char> chunk(chunkRecords * size_t(m_recordLength));
    std::int64_t readPos = m_headerLength, writePos = m_headerLength;
    std::uint32_t remaining = m_recordCount, kept = 0;
    while (remaining > 0) {
        size_t want = std::min<size_t>(chunkRecords, remaining);
        std::int64_t got = 0;
        if (int code = ReadAt(readPos, chunk.data(), std::int64_t(want) * m_recordLength, got); code != DS_OK)
            return code;
        std::uint32_t whole = std::uint32_t(got / m_recordLength);
        if (whole == 0) break;
        readPos += std::int64_t(whole) * m_recordLength;
        remaining -= whole;
        size_t live = 0;
        for (std::uint32_t i = 0; i < whole; ++i) {
            const char* rec = chunk.data() + size_t(i) * size_t(m_recordLength);
            if (std::uint8_t(rec[0]) == kDeletedFlag) continue;
            if (live != i)
                std::memmove(chunk.data() + live * size_t(m_recordLength), rec, size_t(m_recordLength));
            ++live;
        }
        if (live > 0) {
            std::int64_t bytes = std::int64_t(live) * m_recordLength;
            if (writePos != readPos - std::int64_t(whole) * m_recordLength || live != whole) {
                if (int code = WriteAt(writePos, chunk.data(), bytes); code != DS_OK) return code;
            }
            writePos += bytes;
            kept += std::uint32_t(live);
        }
        if (whole < want) break;
    }
    if (::ftruncate(m_fd, off_t(writePos)) != 0) return DS_CANNOT_WRITE_FILE;
    m_recordCount = kept;
    return WriteHeader();
}

} // namespace kvor
