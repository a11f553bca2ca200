#include "platform/Cp1250.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace kvor::cp1250 {

QByteArray encode(QStringView text) {
    QStringEncoder encoder("windows-1250", QStringConverter::Flag::Stateless);
    QByteArray out;
    out.reserve(text.size());
    // Encode character by character so that one unmappable character becomes exactly one '?',
    // whatever replacement the converter itself would choose.
    for (qsizetype i = 0; i < text.size(); ++i) {
        qsizetype len = (text[i].isHighSurrogate() && i + 1 < text.size()) ? 2 : 1;
        QStringView ch = text.mid(i, len);
        i += len - 1;
        if (ch.size() == 1 && ch[0].unicode() < 0x80) {
            out.append(char(ch[0].unicode()));
            continue;
        }
        QByteArray b = encoder.encode(ch);
        if (encoder.hasError() || b.size() != 1 || b == "?") {
            encoder.resetState();
            out.append('?');
        } else {
            out.append(b);
        }
    }
    return out;
}

QString decode(QByteArrayView bytes) {
    QStringDecoder decoder("windows-1250", QStringConverter::Flag::Stateless);
    return decoder.decode(bytes);
}

} // namespace kvor::cp1250
