#include "server/ServerConfig.h"

#include "platform/Cp1250.h"

#include <QFile>
#include <QSaveFile>
#include <QStringList>
#include <stdexcept>

#ifndef KVOR_DEFAULT_SERVER_HOST
#define KVOR_DEFAULT_SERVER_HOST "127.0.0.1"
#endif
#ifndef KVOR_DEFAULT_SERVER_PORT
#define KVOR_DEFAULT_SERVER_PORT 3306
#endif

namespace kvor {

TServerConfig TServerConfig::defaults() {
    TServerConfig c;
    c.Host = QStringLiteral(KVOR_DEFAULT_SERVER_HOST);
    c.Port = KVOR_DEFAULT_SERVER_PORT;
    return c;
}

TServerConfig TServerConfig::fromIni(const QString& iniPath) {
    TServerConfig c = defaults();
    const QString section = QStringLiteral("Server");
    c.Host = profile::readString(iniPath, section, QStringLiteral("Host"), c.Host).trimmed();
    bool ok = false;
    int port = profile::readString(iniPath, section, QStringLiteral("Port")).trimmed().toInt(&ok);
    if (ok && port >= 0 && port <= 65535) c.Port = port;
    c.User = profile::readString(iniPath, section, QStringLiteral("User"), c.User);
    c.Password = profile::readString(iniPath, section, QStringLiteral("Password"), c.Password);
    return c;
}

namespace profile {

namespace {

QStringList readLines(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    QString text = cp1250::decode(f.readAll());
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QStringList lines = text.split(u'\n');
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
    return lines;
}

// "[Name]" gives Name; anything else an empty string.
QString sectionName(const QString& line) {
    QString t = line.trimmed();
    if (t.size() < 2 || !t.startsWith(u'[')) return {};
    int end = t.indexOf(u']');
    return end > 0 ? t.mid(1, end - 1).trimmed() : QString();
}

bool isKeyLine(const QString& line, const QString& key, QString* value) {
    int eq = line.indexOf(u'=');
    if (eq < 0 || line.trimmed().startsWith(u';')) return false;
    if (line.left(eq).trimmed().compare(key, Qt::CaseInsensitive) != 0) return false;
    if (value) *value = line.mid(eq + 1).trimmed();
    return true;
}

} // namespace

QString readString(const QString& path, const QString& section, const QString& key, const QString& fallback) {
    bool inSection = false;
    for (const QString& line : readLines(path)) {
        QString name = sectionName(line);
        if (!name.isEmpty()) {
            inSection = name.compare(section, Qt::CaseInsensitive) == 0;
            continue;
        }
        QString value;
        if (inSection && isKeyLine(line, key, &value)) return value;
    }
    return fallback;
}

void writeString(const QString& path, const QString& section, const QString& key, const QString& value) {
    QStringList lines = readLines(path);
    const QString entry = key + u'=' + value;
    int sectionAt = -1, insertAt = -1;
    bool done = false;
    for (int i = 0; i < lines.size() && !done; ++i) {
        QString name = sectionName(lines[i]);
        if (!name.isEmpty()) {
            if (sectionAt >= 0) break; // the next section starts: the key was not there
            if (name.compare(section, Qt::CaseInsensitive) == 0) sectionAt = insertAt = i + 1;
            continue;
        }
        if (sectionAt < 0) continue;
        if (isKeyLine(lines[i], key, nullptr)) {
            lines[i] = entry;
            done = true;
        } else if (!lines[i].trimmed().isEmpty()) {
            insertAt = i + 1;
        }
    }
    if (!done) {
        if (sectionAt < 0) {
            if (!lines.isEmpty() && !lines.last().trimmed().isEmpty()) lines << QString();
            lines << u'[' + section + u']' << entry;
        } else {
            lines.insert(insertAt, entry);
        }
    }
    // Written through a temporary file so that a failed write never leaves half a settings file.
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly)) throw std::runtime_error(("Nelze zapsat " + path).toStdString());
    f.write(cp1250::encode(lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")));
    if (!f.commit()) throw std::runtime_error(("Nelze zapsat " + path).toStdString());
}

} // namespace profile

} // namespace kvor
