#include "server/CodeLists.h"

#include "platform/EmptyDate.h"
#include "platform/ProfileFile.h"
#include "server/ServerSql.h"
#include "tablestore/DsDbfApi.h"
#include "tablestore/DsDbfTable.h"
#include "tablestore/DsMemTable.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <exception>
#include <filesystem>

namespace kvor {

namespace {

const QString kSection = QStringLiteral("UpdateTable");
const QString kKey = QStringLiteral("odruda");

QDateTime serverChangeTime(TServerLink& link) {
    TZQuery& q = link.ZQuery1;
    q.Close();
    q.SQL() = QStringList{sql::kOdrudaStatus};
    q.Open();
    // No row or no time: day zero, as an empty date-time reads.
    QDateTime t = q.IsEmpty() ? QDateTime(emptyDate(), QTime(0, 0))
                              : q.FieldByName(QStringLiteral("Update_time"))->AsDateTime();
    q.Close();
    return t;
}

// Replaces to by from in one step. The paths go over as UTF-16, so that a program folder with
// Czech letters works on Windows too, where a narrow path would be read in the ANSI code page.
void replaceFile(const QString& from, const QString& to) {
    std::error_code ec;
    std::filesystem::rename(std::filesystem::path(from.toStdU16String()),
                            std::filesystem::path(to.toStdU16String()), ec);
    if (ec)
        throw EDatabaseError(
            QStringLiteral("Soubor %1 nelze nahradit: %2").arg(to, QString::fromStdString(ec.message())));
}

// Switches the query to local table types for one list and back on every path.
struct LocalTableTypes {
    TZQuery& query;
    explicit LocalTableTypes(TZQuery& q) : query(q) { query.SetLocalTableTypes(true); }
    ~LocalTableTypes() { query.SetLocalTableTypes(false); }
};

// One list: the query's result through DsMemTable1 into a new file, which then takes the place of
// the old one. The query gives every column as a type the file can hold (see TZQuery), so no
// server column can make the rebuild fail.
void rebuildList(TServerLink& link, const TCodeListTables& t, const QString& query, const QString& fileName) {
    TZQuery& q = link.ZQuery1;
    t.DsMemTable1->Close();
    t.DsDbfTable1->Close();
    q.Close();
    {
        LocalTableTypes types(q);
        q.SQL() = QStringList{query};
        q.Open();
    }
    t.DsMemTable1->LoadRecords(q, 0, false);
    q.Close();

    const QDir folder(t.Database->DatabaseName());
    const QString base = QFileInfo(fileName).completeBaseName();
    const QString newPath = folder.filePath(base + QStringLiteral("_nove.dbf"));
    QFile::remove(newPath);

    try {
        t.DsDbfTable1->SetDatabase(t.Database);
        t.DsDbfTable1->SetTableName(QFileInfo(newPath).fileName());
        t.DsDbfTable1->SetFieldDefs(t.DsMemTable1->FieldDefs());
        t.DsDbfTable1->SetExclusive(true);
        t.DsDbfTable1->CreateTable();
        t.DsMemTable1->SaveRecords(*t.DsDbfTable1, 0);
        t.DsMemTable1->Close();
        t.DsDbfTable1->Close();
    } catch (...) {
        // The half-written file is of no use: the old list stays as it is.
        t.DsMemTable1->Close();
        t.DsDbfTable1->Close();
        QFile::remove(newPath);
        throw;
    }
    replaceFile(newPath, folder.filePath(base + QStringLiteral(".dbf")));
}

bool loadVarieties(const TCodeListTables& t) {
    t.DsDbfTable33->Close();
    t.DsMemTable33->Close();
    t.DsDbfTable33->SetDatabase(t.Database);
    t.DsDbfTable33->SetTableName(QStringLiteral("cenik.dbf"));
    if (!QFile::exists(t.DsDbfTable33->TablePath())) return false;
    t.DsDbfTable33->SetExclusive(false);
    t.DsMemTable33->LoadRecords(*t.DsDbfTable33, 0, false);
    t.DsDbfTable33->Close();
    t.DsMemTable33->Open();
    return true;
}

// Whether both local lists are there and open as tables. A list that is missing or damaged (a
// file cut short, a header overwritten) is rebuilt at start-up even when the server's lists did not
// change since the last rebuild: the server holds them whole.
bool localListsReadable(const TCodeListTables& t) {
    const QDir folder(t.Database->DatabaseName());
    for (const char* name : {"cenik.dbf", "zadostad.dbf"}) {
        TDbfFile file;
        if (file.Open(dbfTablePath(folder.path(), QString::fromLatin1(name)), true, false, 1, ascii_ANSI) !=
            DS_OK)
            return false;
    }
    return true;
}

struct FinishGuard {
    const TCodeListHooks& hooks;
    ~FinishGuard() {
        if (hooks.RebuildFinished) hooks.RebuildFinished();
    }
};

} // namespace

QDateTime storedCodeListTime(const QString& iniPath) {
    return TIniFile(iniPath).ReadDateTime(kSection, kKey,
                                          QDateTime(QDate::currentDate().addDays(-999), QTime(0, 0)));
}

TCodeListOutcome aDBF(TServerLink& link, const TCodeListTables& t, bool startupMode, const QString& iniPath,
                      const TCodeListHooks& hooks) {
    TCodeListOutcome out;
    t.DsDbfTable33->Close();
    t.DsMemTable33->Close();
    t.DbfAd->Close();

    std::exception_ptr failure;
    if (link.TestSQLjakje()) {
        out.Online = true;
        try {
            link.SetUpSession();
            const QDateTime serverTime = serverChangeTime(link);
            const QDateTime stored = storedCodeListTime(iniPath);
            if (!startupMode || serverTime != stored || !localListsReadable(t)) {
                if (hooks.RebuildStarted) hooks.RebuildStarted();
                FinishGuard finish{hooks};
                rebuildList(link, t, sql::kVarietyQuery, QStringLiteral("cenik.dbf"));
                rebuildList(link, t, sql::kAddressQuery, QStringLiteral("zadostad.dbf"));
                link.ZQuery1.Close();
                // Stored only now: a rebuild that did not finish is tried again at the next start.
                TIniFile(iniPath).WriteDateTime(kSection, kKey, serverTime);
                out.Rebuilt = true;
            }
        } catch (...) {
            failure = std::current_exception();
            link.ZQuery1.Close();
            t.DsMemTable1->Close();
            t.DsDbfTable1->Close();
        }
    }

    // The editor always works from the local files, whatever happened above.
    try {
        out.VarietiesLoaded = loadVarieties(t);
    } catch (...) {
        if (!failure) throw;
    }
    if (failure) std::rethrow_exception(failure);
    return out;
}

} // namespace kvor
