#pragma once
// Hand-made dBase files for the table store tests: the bytes are laid out here independently of
// the engine, so a test can tell what the engine wrote from what it should have written.
#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>
#include <cstdint>

namespace dbftest {

struct Field {
    QByteArray Name;
    char Type;
    int Length;
    int Decimals = 0;
};

struct Layout {
    std::uint8_t Version = 0x03;
    std::uint8_t LanguageDriver = 0;
    QList<Field> Fields;
    QList<QByteArray> Records;    // deletion flag and field bytes, each of RecordLength() bytes
    long long CountOverride = -1; // the header's record count when not the number of records
    int HeaderLengthOverride = -1;
    int RecordLengthOverride = -1;
    bool EofMarker = true;

    int HeaderLength() const {
        if (HeaderLengthOverride >= 0) return HeaderLengthOverride;
        bool v7 = Version == 0x04 || Version == 0x8C;
        return (v7 ? 68 : 32) + (v7 ? 48 : 32) * int(Fields.size()) + 1;
    }
    int RecordLength() const {
        if (RecordLengthOverride >= 0) return RecordLengthOverride;
        int n = 1;
        for (const Field& f : Fields)
            n += f.Length;
        return n;
    }
};

inline void putU16(QByteArray& b, int at, int v) {
    b[at] = char(v & 0xFF);
    b[at + 1] = char((v >> 8) & 0xFF);
}

inline void putU32(QByteArray& b, int at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b[at + i] = char((v >> (8 * i)) & 0xFF);
}

inline std::uint32_t getU32(const QByteArray& b, int at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | std::uint8_t(b[at + i]);
    return v;
}

inline int getU16(const QByteArray& b, int at) {
    return std::uint8_t(b[at]) | (std::uint8_t(b[at + 1]) << 8);
}

inline QByteArray build(const Layout& l) {
    const bool v7 = l.Version == 0x04 || l.Version == 0x8C;
    const int headerSize = v7 ? 68 : 32, descSize = v7 ? 48 : 32;
    QByteArray out(headerSize, '\0');
    out[0] = char(l.Version);
    out[1] = char(124), out[2] = char(3), out[3] = char(15);
    putU32(out, 4, std::uint32_t(l.CountOverride >= 0 ? l.CountOverride : l.Records.size()));
    putU16(out, 8, l.HeaderLength());
    putU16(out, 10, l.RecordLength());
    out[29] = char(l.LanguageDriver);
    for (const Field& f : l.Fields) {
        QByteArray d(descSize, '\0');
        QByteArray name = f.Name.left(v7 ? 32 : 11);
        d.replace(0, name.size(), name);
        d[v7 ? 32 : 11] = f.Type;
        d[v7 ? 33 : 16] = char(f.Length);
        d[v7 ? 34 : 17] = char(f.Decimals);
        out += d;
    }
    out += char(0x0D);
    if (l.HeaderLengthOverride >= 0) {
        if (out.size() > l.HeaderLengthOverride) out.truncate(l.HeaderLengthOverride);
        while (out.size() < l.HeaderLengthOverride)
            out += char(0);
    }
    for (const QByteArray& r : l.Records)
        out += r;
    if (l.EofMarker) out += char(0x1A);
    return out;
}

// A live record of the given field texts, each padded with spaces to its field's length.
inline QByteArray record(const Layout& l, const QList<QByteArray>& values, char flag = ' ') {
    QByteArray r(1, flag);
    for (int i = 0; i < l.Fields.size(); ++i) {
        QByteArray v = i < values.size() ? values[i] : QByteArray();
        r += v.leftJustified(l.Fields[i].Length, ' ', true);
    }
    return r;
}

inline bool write(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    return f.write(bytes) == bytes.size();
}

inline QByteArray read(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return QByteArray();
    return f.readAll();
}

} // namespace dbftest
