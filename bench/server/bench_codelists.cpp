// Code list rebuild against the command-line client.
//
//   kvor-bench-server [--port P] [--runs N] [--varieties N]
//
// Without --port it starts a vendor database of its own (scripts/vendor-server.sh, stopped again at
// the end); with --port it uses the server that answers there, whose odruda table it refills.
// It fills odruda with the given number of varieties, then times aDBF from the menu (both lists
// rebuilt, the variety list loaded into its memory table) and the mariadb client fetching the
// variety query, in turns, and prints the ratio of the medians as a table row.
#include "../BenchReport.h"
#include "../BenchServer.h"
#include "server/CodeLists.h"
#include "server/ServerSql.h"
#include "tablestore/DsDbfTable.h"
#include "tablestore/DsMemTable.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

using namespace kvor;

namespace {

void fillVarieties(TServerLink& link, int count) {
    link.ZConnection1.ExecuteDirect(QStringLiteral("delete from odruda"));
    QStringList species;
    link.ZQuery1.SQL() = QStringList{QStringLiteral("select KOD from druh order by KOD")};
    link.ZQuery1.Open();
    for (link.ZQuery1.First(); !link.ZQuery1.Eof(); link.ZQuery1.Next())
        species << link.ZQuery1.Fields(0)->AsString();
    link.ZQuery1.Close();
    const int batch = 1000;
    for (int from = 0; from < count; from += batch) {
        QStringList rows;
        for (int i = from; i < std::min(count, from + batch); ++i)
            rows << QStringLiteral("('%1', 'Odrůda č. %2', '%3', '2010-1-1')")
                        .arg(i, 5, 10, QLatin1Char('0'))
                        .arg(i + 1)
                        .arg(species[i % species.size()]);
        link.ZConnection1.ExecuteDirect(
            QStringLiteral("insert into odruda (kod, nazev, DRUH, registrace) values ") + rows.join(u','));
    }
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const auto [port, runs, varieties] =
        bench::parseServerBenchOptions(app.arguments(), u"--varieties", 20000);
    const QString client = bench::mariadbClient();
    if (client.isEmpty()) return 1;
    const bench::BenchVendorDb db(port);
    if (!db.ok()) return 1;
    try {
        const TServerConfig config = db.config();
        TServerLink link(config);
        bench::openSession(link, config);
        fillVarieties(link, varieties);

        QTemporaryDir dir;
        QDir(dir.path()).mkpath(QStringLiteral("data"));
        TDsDatabase database;
        database.SetDatabaseName(dir.filePath(QStringLiteral("data")));
        TDsDbfTable DsDbfTable33, DbfAd, DsDbfTable1;
        TDsMemTable DsMemTable33, DsMemTable1;
        const TCodeListTables tables{&database, &DsDbfTable33, &DsMemTable33,
                                     &DbfAd,    &DsDbfTable1,  &DsMemTable1};
        const QString ini = dir.filePath(QStringLiteral("kvor.ini"));

        // The two sides take turns, so that a load of the machine that comes and goes falls on both.
        std::vector<double> rebuild, fetch;
        for (int r = 0; r < runs; ++r) {
            QElapsedTimer t;
            t.start();
            const TCodeListOutcome out = aDBF(link, tables, false, ini);
            rebuild.push_back(t.nsecsElapsed() / 1e6);
            if (!out.Rebuilt || DsMemTable33.RecordCount() != varieties)
                throw EDatabaseError(
                    QStringLiteral("the rebuild gave %1 varieties").arg(DsMemTable33.RecordCount()));

            QProcess p;
            p.setStandardOutputFile(QProcess::nullDevice());
            t.restart();
            p.start(client, bench::mariadbClientArguments(config, sql::kVarietyQuery));
            if (!p.waitForFinished(120000) || p.exitCode() != 0)
                throw EDatabaseError(QStringLiteral("mariadb failed"));
            fetch.push_back(t.nsecsElapsed() / 1e6);
        }
        // Where the time of one variety list goes, step by step as the rebuild takes them.
        QElapsedTimer t;
        t.start();
        link.ZQuery1.SQL() = QStringList{sql::kVarietyQuery};
        link.ZQuery1.Open();
        const double queryMs = t.nsecsElapsed() / 1e6;
        t.restart();
        DsMemTable1.LoadRecords(link.ZQuery1, 0, false);
        link.ZQuery1.Close();
        const double loadMs = t.nsecsElapsed() / 1e6;
        t.restart();
        DsDbfTable1.SetDatabase(&database);
        DsDbfTable1.SetTableName(QStringLiteral("krok.dbf"));
        DsDbfTable1.SetFieldDefs(DsMemTable1.FieldDefs());
        DsDbfTable1.SetExclusive(true);
        DsDbfTable1.CreateTable();
        DsMemTable1.SaveRecords(DsDbfTable1, 0);
        DsMemTable1.Close();
        DsDbfTable1.Close();
        const double saveMs = t.nsecsElapsed() / 1e6;
        t.restart();
        DsDbfTable33.SetDatabase(&database);
        DsDbfTable33.SetTableName(QStringLiteral("krok.dbf"));
        DsMemTable33.LoadRecords(DsDbfTable33, 0, false);
        const double reloadMs = t.nsecsElapsed() / 1e6;

        const double a = bench::median(rebuild), b = bench::median(fetch);
        std::printf("variety list steps: query %.1f ms, into memory table %.1f ms, into cenik.dbf %.1f ms, "
                    "back into DsMemTable33 %.1f ms\n",
                    queryMs, loadMs, saveMs, reloadMs);
        std::printf("| case | ratio | medians of %d runs |\n", runs);
        std::printf("| code-list rebuild of %d varieties / the mariadb client fetching the same statement "
                    "| %.2fx | %.1f vs %.1f ms |\n",
                    varieties, b > 0 ? a / b : 0.0, a, b);
        const QByteArray name = QStringLiteral("code-list rebuild of %1 varieties").arg(varieties).toUtf8();
        kvor::bench::reportCase(name.constData(), a / 1000, "mariadb client fetching the same statement",
                                b / 1000);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "kvor-bench-server: %s\n", e.what());
        return 1;
    }
    return 0;
}
