#pragma once
// dbfread, an independent reader of dBase files, run on a table: its live records as JSON (one
// array of values a record, in field order, dates as text), or its error when it cannot read it.
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QString>

namespace kvor::testing {

struct DbfReadResult {
    bool ok = false;
    QString error;     // what dbfread said when it failed
    QStringList names; // field names in file order
    QJsonArray rows;   // live records only, as dbfread skips deleted ones
};

inline DbfReadResult dbfread(const QString& path) {
    DbfReadResult out;
    QProcess p;
    p.start(QStringLiteral(KVOR_SYSTEM_PYTHON),
            {QStringLiteral("-c"),
             QStringLiteral("import dbfread, json, sys\n"
                            "t = dbfread.DBF(sys.argv[1], encoding='cp1250', char_decode_errors='replace')\n"
                            "print(json.dumps({'names': t.field_names,"
                            " 'rows': [list(r.values()) for r in t]}, default=str))"),
             path});
    if (!p.waitForFinished(60000) || p.exitCode() != 0) {
        out.error = QString::fromLocal8Bit(p.readAllStandardError()).trimmed();
        return out;
    }
    const QJsonObject doc = QJsonDocument::fromJson(p.readAllStandardOutput()).object();
    for (const QJsonValue& n : doc.value(QStringLiteral("names")).toArray())
        out.names << n.toString();
    out.rows = doc.value(QStringLiteral("rows")).toArray();
    out.ok = true;
    return out;
}

} // namespace kvor::testing
