#include "server/ExportQueue.h"

#include "tablestore/DsDbfTable.h"

#include <QDir>
#include <QFile>

namespace kvor {

namespace {

void openExclusive(TDsDbfTable& table) {
    table.Close();
    table.SetExclusive(true);
    table.Open();
}

// Closes the table on every path out of a scope.
struct CloseOnExit {
    TDataSet& table;
    ~CloseOnExit() {
        try {
            table.Close();
        } catch (...) {
        }
    }
};

} // namespace

TExportOutcome udelejData(TServerLink& link, TDsDbfTable& DbfEx, const TExportParties& parties,
                          const QString& programFolder, const QDateTime& now) {
    TExportOutcome out;
    if (!link.TestSQLjakje()) return out;
    out.Online = true;

    QStringList script = sql::scriptStart();
    int rows = 0;
    {
        CloseOnExit closer{DbfEx};
        openExclusive(DbfEx);
        for (DbfEx.First(); !DbfEx.Eof(); DbfEx.Next()) {
            script << sql::exportRow(DbfEx, parties, now);
            ++rows;
        }
    }
    script << sql::kCommit;

    const QString scriptPath = QDir(programFolder).filePath(QStringLiteral("a.txt"));
    link.RunScript(script, scriptPath);

    // Only now that the server holds the copies may the queue forget them.
    {
        CloseOnExit closer{DbfEx};
        openExclusive(DbfEx);
        DbfEx.Zap();
        DbfEx.Pack();
    }
    QFile::remove(scriptPath);
    out.Sent = rows;
    return out;
}

} // namespace kvor
