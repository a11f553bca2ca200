#include "widgets/Fonts.h"

#include <QFont>
#include <QStringList>

namespace kvor {

void installFontSubstitutes() {
    const QString liberation = QStringLiteral("Liberation Sans");
    const QString dejavu = QStringLiteral("DejaVu Sans");
    for (const char* arial : {"Arial", "Arial CE"}) {
        QString family = QString::fromLatin1(arial);
        if (!QFont::substitutes(family).contains(liberation, Qt::CaseInsensitive))
            QFont::insertSubstitution(family, liberation);
    }
    if (!QFont::substitutes(QStringLiteral("Tahoma")).contains(dejavu, Qt::CaseInsensitive))
        QFont::insertSubstitution(QStringLiteral("Tahoma"), dejavu);
}

} // namespace kvor
