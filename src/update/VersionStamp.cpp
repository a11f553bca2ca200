#include "update/VersionStamp.h"

#include "platform/Cp1250.h"

#include <QDateTime>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringList>

namespace kvor::stamp {

namespace {

// Lines as a text file list reads them: CR LF, LF or a lone CR ends a line, and a last line without
// an ending still counts.
QStringList textLines(const QString& text) {
    QStringList lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != u'\r' && text[i] != u'\n') continue;
        lines << text.mid(start, i - start);
        if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
        start = i + 1;
    }
    if (start < text.size()) lines << text.mid(start);
    return lines;
}

} // namespace

QString published(const QByteArray& versionFile) {
    const QStringList lines = textLines(cp1250::decode(versionFile));
    if (lines.size() < 2)
        throw EUpdateError(
            QStringLiteral("Soubor verze nemá druhý řádek s datem vydání (řádků: %1).").arg(lines.size()));
    const QStringList fields = lines[1].split(u'\t');
    if (fields.size() < 3) return QString();
    return fields[2].left(kLength);
}

QString ofFile(const QString& path) {
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists()) return QString();
    return info.lastModified().toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QString digits(const QString& stamp) {
    QString out = stamp;
    out.remove(u' ').remove(u'-').remove(u':');
    return out;
}

bool isNewer(const QString& publishedStamp, const QString& programStamp) {
    return digits(publishedStamp).compare(digits(programStamp), Qt::CaseSensitive) > 0;
}

void writeLog(const QString& path, const QString& programStamp, const QString& publishedStamp) {
    QSaveFile file(path);
    const QString text = QStringLiteral("Verze programu: ") + programStamp + QStringLiteral("\r\n") +
                         QStringLiteral("Verze internet: ") + publishedStamp + QStringLiteral("\r\n");
    if (!file.open(QIODevice::WriteOnly) || file.write(cp1250::encode(text)) < 0 || !file.commit())
        throw EUpdateError(QStringLiteral("Nelze zapsat soubor %1.").arg(QFileInfo(path).fileName()));
}

} // namespace kvor::stamp
