#include "app/SavedTexts.h"

#include "app/AppError.h"
#include "platform/Cp1250.h"

#include <QFile>
#include <QSaveFile>

namespace kvor {

QString savedTextFileName(const QString& fieldName) {
    return fieldName + QStringLiteral(".txt");
}

QStringList loadSavedTexts(const QString& path) {
    QFile file(path);
    if (!file.exists()) return {};
    if (!file.open(QIODevice::ReadOnly))
        throw EAppError(QStringLiteral("Nelze otevřít soubor %1.").arg(path));
    QString text = cp1250::decode(file.readAll());
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    if (text.isEmpty()) return {};
    // The last line's terminator ends the list rather than starting an empty entry.
    if (text.endsWith(u'\n')) text.chop(1);
    return text.split(u'\n');
}

void storeSavedTexts(const QString& path, const QStringList& texts) {
    QByteArray bytes;
    for (const QString& line : texts) {
        bytes += cp1250::encode(line);
        bytes += "\r\n";
    }
    QSaveFile file(path);
    // A program folder that takes no new files (kvor.ini is kept the same way) still lets the
    // existing list be written in place.
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw EAppError(QStringLiteral("Nelze zapsat soubor %1.").arg(path));
}

} // namespace kvor
