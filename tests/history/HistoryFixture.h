#pragma once
// A company with two workstations on the vendor database, and its requests as the history windows
// must list them: with a ULČ, with an empty one, with a NULL one, of two years, one of them sent
// through the client's own submission; a document of another company under a ULČ of its own.
#include "history/HistoryGrid.h"
#include "history/histo.h"
#include "server/RequestFixture.h"
#include "server/Submission.h"
#include "support/RequestRecord.h"
#include "support/VendorDb.h"
#include "tablestore/DsDbfTable.h"

#include <QDir>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

namespace kvor::testing {

// The texts a history window's grid shows in the column of that server column, top to bottom.
inline QStringList historyColumn(const THistoryWindow& window, const QString& field) {
    QAbstractItemModel* model = window.Grid->model();
    int c = 0;
    while (c < model->columnCount() && window.Kind().Columns[c].Field != field)
        ++c;
    QStringList out;
    for (int r = 0; r < model->rowCount(); ++r)
        out << model->index(r, c).data().toString();
    return out;
}

// Clicks a row of a history window's grid, as the user picks it.
inline void pickHistoryRow(const THistoryWindow& window, int row) {
    QTableView* grid = window.Grid;
    const QRect cell = grid->visualRect(grid->model()->index(row, 1));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
}

// PARTIECELA of the company's requests; the letter names the row in the expected listings.
// Rows A to C and F belong to the first workstation, D and E to the second.
struct THistoryCompany {
    static inline const QString Ico = QStringLiteral("87654321");
    static inline const QString OtherIco = QStringLiteral("11112222");
    int FirstWorkstation = 0;
    int SecondWorkstation = 0;

    static QString partie(char row) {
        return row == 'F' ? QStringLiteral("12-1234-00017-01") : QStringLiteral("12-8765-0000%1-01").arg(row);
    }

    // Makes the rows anew; the submission needs a program folder for its script file.
    void create(TVendorDb& db, const QString& programFolder) {
        remove(db);
        auto workstation = [&](const QString& user) {
            db.exec(
                QStringLiteral("insert into kvor_firmy (ICO, computeruser, computername) values ('%1', '%2', "
                               "'HISTORIE-PC')")
                    .arg(Ico, user));
            return db.value(QStringLiteral("select LAST_INSERT_ID()")).toInt();
        };
        FirstWorkstation = workstation(QStringLiteral("prvni"));
        SecondWorkstation = workstation(QStringLiteral("druhy"));
        auto request = [&](char row, int idFirma, const QString& ico, const char* datum, const QString& ulc,
                           const char* datumrozho) {
            db.exec(
                QStringLiteral("insert into kvor_zadost (id_firma, ICO, PARTIECELA, ZADOST_O, NAZ_DRU, "
                               "DATUM, ULC, DATUMROZHO) values (%1, '%2', '%3', 'U', 'Pšenice ozimá', '%4', "
                               "%5, %6)")
                    .arg(idFirma)
                    .arg(ico, partie(row), QString::fromLatin1(datum), ulc,
                         datumrozho ? QStringLiteral("'%1'").arg(QString::fromLatin1(datumrozho))
                                    : QStringLiteral("NULL")));
        };
        request('A', FirstWorkstation, Ico, "2012-3-1", QStringLiteral("'H/1'"), "2012-3-20");
        request('B', FirstWorkstation, Ico, "2012-2-1", QStringLiteral("''"), nullptr);
        request('C', FirstWorkstation, Ico, "2011-5-1", QStringLiteral("NULL"), nullptr);
        request('D', SecondWorkstation, Ico, "2012-1-15", QStringLiteral("'H/0'"), "2012-4-1");
        request('E', SecondWorkstation, Ico, "2012-4-1", QStringLiteral("''"), nullptr);
        // Another company: a request under this company's ULČ, and one of its own.
        request('X', SecondWorkstation + 1000, OtherIco, "2012-1-1", QStringLiteral("'H/9'"), "2012-2-1");
        // Row F: sent as the client sends it, so that the listing sees what the schema makes of it.
        submit(programFolder);
    }

    void remove(TVendorDb& db) {
        for (const QString& ico : {Ico, OtherIco}) {
            db.exec(QStringLiteral("delete from kvor_zadost where ICO = '%1'").arg(ico));
            db.exec(QStringLiteral("delete from kvor_firmy where ICO = '%1'").arg(ico));
            db.exec(QStringLiteral("delete from kvor_doklady where ICO = '%1'").arg(ico));
        }
    }

private:
    void submit(const QString& programFolder) {
        TDsDatabase database;
        database.SetDatabaseName(programFolder);
        TDsDbfTable table;
        table.SetDatabase(&database);
        table.SetTableName(QStringLiteral("zadost.dbf"));
        table.SetFieldDefs(requestRecordDefs());
        table.CreateTable();
        table.SetExclusive(true);
        table.Open();
        appendRequest(table, sampleRequest());
        TServerLink link(vendorDbConfig());
        const TSubmitOutcome sent = odesliZadost(link, table, Ico, FirstWorkstation, programFolder);
        if (!sent.Online) throw ESqlError(QStringLiteral("submission did not reach the vendor database"), 0);
        table.Close();
    }
};

} // namespace kvor::testing
