#include "platform/Cp1250.h"

#include <array>

namespace kvor::cp1250 {

namespace {

// The upper half of Windows-1250 (bytes 0x80 to 0xFF); the lower half is ASCII. The five bytes
// the code page leaves undefined stand for the control characters of the same number, as Windows
// reads them, so that they survive reading and writing a foreign file. The table is part of the
// program: every table and settings file reads the same whatever converters the machine offers.
constexpr char16_t kUndefined81 = 0x0081, kUndefined83 = 0x0083, kUndefined88 = 0x0088, kUndefined90 = 0x0090,
                   kUndefined98 = 0x0098;
constexpr std::array<char16_t, 128> kUpperHalf = {
    // 0x80
    0x20AC, kUndefined81, 0x201A, kUndefined83, 0x201E, 0x2026, 0x2020, 0x2021, //
    kUndefined88, 0x2030, 0x0160, 0x2039, 0x015A, 0x0164, 0x017D, 0x0179,       //
    // 0x90
    kUndefined90, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, //
    kUndefined98, 0x2122, 0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A, //
    // 0xA0
    0x00A0, 0x02C7, 0x02D8, 0x0141, 0x00A4, 0x0104, 0x00A6, 0x00A7, //
    0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B, //
    // 0xB0
    0x00B0, 0x00B1, 0x02DB, 0x0142, 0x00B4, 0x00B5, 0x00B6, 0x00B7, //
    0x00B8, 0x0105, 0x015F, 0x00BB, 0x013D, 0x02DD, 0x013E, 0x017C, //
    // 0xC0
    0x0154, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7, //
    0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E, //
    // 0xD0
    0x0110, 0x0143, 0x0147, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x00D7, //
    0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF, //
    // 0xE0
    0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7, //
    0x010D, 0x00E9, 0x0119, 0x00EB, 0x011B, 0x00ED, 0x00EE, 0x010F, //
    // 0xF0
    0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x00F7, //
    0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9, //
};

// Both directions as flat tables, so that a field value costs one lookup per character.
struct Tables {
    std::array<char16_t, 256> toUnicode{};
    std::array<char, 65536> fromUnicode{}; // 0: the code page cannot hold the character

    Tables() {
        for (int b = 0; b < 0x80; ++b) {
            toUnicode[size_t(b)] = char16_t(b);
            fromUnicode[size_t(b)] = char(b);
        }
        for (int b = 0x80; b < 0x100; ++b) {
            const char16_t c = kUpperHalf[size_t(b - 0x80)];
            toUnicode[size_t(b)] = c;
            fromUnicode[c] = char(b);
        }
    }
};

const Tables& tables() {
    static const Tables t;
    return t;
}

} // namespace

QByteArray encode(QStringView text) {
    QByteArray out(text.size(), Qt::Uninitialized);
    const qsizetype n = encodeInto(text, out.data(), out.size());
    out.truncate(n);
    return out;
}

qsizetype encodeInto(QStringView text, char* out, qsizetype capacity) {
    const Tables& t = tables();
    qsizetype n = 0;
    for (qsizetype i = 0; i < text.size() && n < capacity; ++i) {
        const char16_t c = text[i].unicode();
        if (c < 0x80) {
            out[n++] = char(c);
            continue;
        }
        // A surrogate pair is one character, and one that the code page cannot hold.
        if (text[i].isHighSurrogate() && i + 1 < text.size()) ++i;
        const char b = t.fromUnicode[c];
        out[n++] = b != 0 ? b : '?';
    }
    return n;
}

QString decode(QByteArrayView bytes) {
    const Tables& t = tables();
    QString out(bytes.size(), Qt::Uninitialized);
    QChar* d = out.data();
    for (qsizetype i = 0; i < bytes.size(); ++i)
        d[i] = QChar(t.toUnicode[quint8(bytes[i])]);
    return out;
}

} // namespace kvor::cp1250
