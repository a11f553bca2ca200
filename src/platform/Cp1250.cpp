#include "platform/Cp1250.h"

#include <QStringDecoder>
#include <array>

namespace kvor::cp1250 {

namespace {

// Both directions are read off the converter once and kept as tables: opening a converter for every
// field value made reading and writing tables and server results several times slower.
struct Tables {
    std::array<char16_t, 256> toUnicode{};
    std::array<char, 65536> fromUnicode{}; // 0: the code page cannot hold the character

    Tables() {
        QStringDecoder decoder("windows-1250", QStringConverter::Flag::Stateless);
        for (int b = 0; b < 256; ++b) {
            const char byte = char(b);
            QString ch = decoder.decode(QByteArrayView(&byte, 1));
            toUnicode[size_t(b)] = ch.size() == 1 ? ch[0].unicode() : char16_t(0xFFFD);
        }
        // The converter maps back exactly the characters it decodes to, so one table gives both ways.
        for (int b = 0x80; b < 256; ++b)
            if (toUnicode[size_t(b)] != 0xFFFD) fromUnicode[toUnicode[size_t(b)]] = char(b);
        for (int c = 0; c < 0x80; ++c)
            fromUnicode[size_t(c)] = char(c);
    }
};

const Tables& tables() {
    static const Tables t;
    return t;
}

} // namespace

QByteArray encode(QStringView text) {
    const Tables& t = tables();
    QByteArray out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < 0x80) {
            out.append(char(c));
            continue;
        }
        // A surrogate pair is one character, and one that the code page cannot hold.
        if (text[i].isHighSurrogate() && i + 1 < text.size()) ++i;
        const char b = t.fromUnicode[c];
        out.append(b != 0 ? b : '?');
    }
    return out;
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
