#include "Csv.h"

namespace kvor::csv {

QString formatRow(const QStringList& cells) {
    QStringList out;
    out.reserve(cells.size());
    for (const QString& cell : cells) {
        bool quote =
            cell.contains(u',') || cell.contains(u'"') || cell.contains(u'\n') || cell.contains(u'\r');
        if (!quote) {
            out << cell;
            continue;
        }
        QString escaped = cell;
        escaped.replace(u'"', QStringLiteral("\"\""));
        out << u'"' + escaped + u'"';
    }
    return out.join(u',');
}

QList<QStringList> parse(const QString& text) {
    QList<QStringList> rows;
    QStringList row;
    QString cell;
    bool quoted = false;      // inside quotes
    bool cellStarted = false; // the row has something, so an end of text closes it
    for (qsizetype i = 0; i < text.size(); ++i) {
        QChar c = text[i];
        if (quoted) {
            if (c == u'"') {
                if (i + 1 < text.size() && text[i + 1] == u'"') {
                    cell += u'"';
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                cell += c;
            }
            continue;
        }
        if (c == u'"') {
            quoted = true;
            cellStarted = true;
        } else if (c == u',') {
            row << cell;
            cell.clear();
            cellStarted = true;
        } else if (c == u'\r' || c == u'\n') {
            if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
            row << cell;
            rows << row;
            row.clear();
            cell.clear();
            cellStarted = false;
        } else {
            cell += c;
            cellStarted = true;
        }
    }
    if (quoted) throw CsvError("CSV: uvozovky nejsou uzavřeny");
    if (cellStarted || !row.isEmpty()) {
        row << cell;
        rows << row;
    }
    return rows;
}

} // namespace kvor::csv
