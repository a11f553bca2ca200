#include "server/ZSQLProcessor.h"

#include "platform/Cp1250.h"

#include <QFile>

namespace kvor {

TZSQLProcessor::TZSQLProcessor(QObject* parent) : QObject(parent) {}

void TZSQLProcessor::LoadFromFile(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw EDatabaseError::prefixed(Name(), QStringLiteral("Soubor %1 nelze otevřít").arg(path));
    m_script = cp1250::decode(f.readAll());
}

void TZSQLProcessor::Execute() {
    m_executed = 0;
    if (!m_connection) throw EDatabaseError::prefixed(Name(), QStringLiteral("Chybí spojení"));
    for (const QString& statement : SplitStatements(m_script)) {
        m_connection->ExecuteDirect(statement);
        ++m_executed;
    }
}

QStringList TZSQLProcessor::SplitStatements(QStringView script) {
    QStringList statements;
    QString current;
    auto flush = [&] {
        QString s = current.trimmed();
        if (!s.isEmpty()) statements << s;
        current.clear();
    };
    const qsizetype n = script.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = script[i];
        if (c == u'\'' || c == u'"' || c == u'`') {
            // Quoted text up to its closing quote; a doubled quote stays inside, and in '...' and
            // "..." a backslash takes the next character with it (the session's empty sql_mode).
            current += c;
            ++i;
            while (i < n) {
                const QChar q = script[i];
                current += q;
                if (q == u'\\' && c != u'`' && i + 1 < n) {
                    current += script[++i];
                } else if (q == c) {
                    if (i + 1 < n && script[i + 1] == c) {
                        current += script[++i];
                    } else {
                        break;
                    }
                }
                ++i;
            }
            continue;
        }
        if (c == u'-' && i + 2 < n && script[i + 1] == u'-' && script[i + 2].isSpace()) {
            while (i < n && script[i] != u'\n')
                ++i;
            current += u'\n';
            continue;
        }
        if (c == u'#') {
            while (i < n && script[i] != u'\n')
                ++i;
            current += u'\n';
            continue;
        }
        if (c == u'/' && i + 1 < n && script[i + 1] == u'*') {
            qsizetype end = script.indexOf(u"*/", i + 2);
            i = end < 0 ? n : end + 1;
            current += u' ';
            continue;
        }
        if (c == u';') {
            flush();
            continue;
        }
        current += c;
    }
    flush();
    return statements;
}

} // namespace kvor
