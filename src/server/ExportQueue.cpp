#include "server/ExportQueue.h"

#include "tablestore/DsDbfTable.h"

#include <QDir>
#include <QFile>
#include <QHash>

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

// The partner offices of the address list (zadostad.dbf beside the queue): office text -> ICO.
// Only offices with an ICO are partners. A missing address list knows no partner.
QHash<QString, QString> partnerOffices(TDsDatabase* database) {
    QHash<QString, QString> partners;
    TDsDbfTable DbfAd;
    DbfAd.SetName(QStringLiteral("DbfAd"));
    DbfAd.SetDatabase(database);
    DbfAd.SetTableName(QStringLiteral("zadostad.dbf"));
    if (!database || !QFile::exists(DbfAd.TablePath())) return partners;
    CloseOnExit closer{DbfAd};
    DbfAd.SetReadOnly(true);
    DbfAd.Open();
    const TField* adresa = DbfAd.FieldByName(QStringLiteral("adresa"));
    const TField* ico = DbfAd.FieldByName(QStringLiteral("ico"));
    for (DbfAd.First(); !DbfAd.Eof(); DbfAd.Next()) {
        const QString partner = ico->AsString();
        if (!partner.isEmpty() && !partners.contains(adresa->AsString()))
            partners.insert(adresa->AsString(), partner);
    }
    return partners;
}

} // namespace

TExportOutcome udelejData(TServerLink& link, TDsDbfTable& DbfEx, const TExportParties& parties,
                          const QString& programFolder, const QDateTime& now) {
    TExportOutcome out;
    if (!link.TestSQLjakje()) return out;
    out.Online = true;

    // Each copy goes to the partner its own certifying office names: copies queued offline by
    // earlier prints may be addressed to other partners than the print that sends them.
    const QHash<QString, QString> partners = partnerOffices(DbfEx.Database());
    QStringList script = sql::scriptStart();
    int rows = 0;
    {
        CloseOnExit closer{DbfEx};
        openExclusive(DbfEx);
        const TField* poot = DbfEx.FieldByName(QStringLiteral("POOT"));
        for (DbfEx.First(); !DbfEx.Eof(); DbfEx.Next()) {
            TExportParties rowParties = parties;
            rowParties.PartnerIco = partners.value(poot->AsString(), parties.PartnerIco);
            script << sql::exportRow(DbfEx, rowParties, now);
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
