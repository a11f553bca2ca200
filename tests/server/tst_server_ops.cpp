// The operations of the vendor server link against the real vendor database: submission, export,
// code list refresh, company lookup, hostile text, and failures in the middle of a script.
#include "RequestFixture.h"
#include "platform/Cp1250.h"
#include "platform/ProfileFile.h"
#include "server/CodeLists.h"
#include "server/CompanyLookup.h"
#include "server/ExportQueue.h"
#include "server/Submission.h"
#include "support/VendorDb.h"
#include "tablestore/DsDbfTable.h"
#include "tablestore/DsMemTable.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRandomGenerator>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QtTest>
#include <atomic>
#include <thread>

using namespace kvor;
using namespace kvor::testing;
using namespace Qt::StringLiterals;

namespace {

// Rows of earlier runs may still be in the database: every test takes keys of its own.
QString uniqueIco() {
    static int next = QRandomGenerator::global()->bounded(1000000);
    return QString::number(70000000 + (next++ % 10000000));
}

int uniqueIdFirma() {
    static int next = QRandomGenerator::global()->bounded(100000, 1000000);
    return next++;
}

TServerConfig unreachableConfig() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    TServerConfig c = vendorDbConfig();
    c.Port = probe.serverPort();
    return c; // the probe closes here, so nothing listens on that port
}

QString expectedIdTrivan(const QString& ico, qint64 id) {
    // LPAD cuts a longer number to its first eight characters.
    return ico + u"33"_s + QString::number(id).rightJustified(8, u'0', true);
}

QString hexOf(const QString& text) {
    return QString::fromLatin1(cp1250::encode(text).toHex().toUpper());
}

// A program folder with its data folder, the request table and the export queue.
// subfolder: the program folder's name inside the temporary folder (empty: the temporary folder).
struct Workplace {
    QTemporaryDir dir;
    QString program;
    TDsDatabase database;
    TDsDbfTable Dbf5, DbfEx;

    explicit Workplace(const QString& subfolder = {}) : program(dir.filePath(subfolder)) {
        QDir(program).mkpath(u"data"_s);
        database.SetName(u"Database1"_s);
        database.SetDatabaseName(QDir(program).filePath(u"data"_s));
        create(Dbf5, u"Dbf5"_s, u"zadost.dbf"_s);
        create(DbfEx, u"DbfEx"_s, u"zadostex.dbf"_s);
    }
    QString folder() const { return program; }
    QString dataFile(const QString& name) const { return QDir(program).filePath(u"data/"_s + name); }

    void create(TDsDbfTable& t, const QString& name, const QString& file) {
        t.SetName(name);
        t.SetDatabase(&database);
        t.SetTableName(file);
        t.SetFieldDefs(requestRecordDefs());
        t.CreateTable();
    }
    // The request table open with one request, as "Zapsat" leaves it before the server half.
    void request(const QMap<QString, QVariant>& values) {
        Dbf5.Close();
        Dbf5.SetExclusive(true);
        Dbf5.Open();
        Dbf5.Zap();
        appendRequest(Dbf5, values);
    }
    void queue(const QList<QMap<QString, QVariant>>& rows) {
        DbfEx.Close();
        DbfEx.SetExclusive(true);
        DbfEx.Open();
        for (const auto& r : rows)
            appendRequest(DbfEx, r);
        DbfEx.Close();
    }
    int queued() {
        DbfEx.Close();
        DbfEx.Open();
        int n = 0;
        for (DbfEx.First(); !DbfEx.Eof(); DbfEx.Next())
            ++n;
        DbfEx.Close();
        return n;
    }
};

// The code list components of the main window.
struct CodeListPlace {
    Workplace place;
    TDsDbfTable DsDbfTable33, DbfAd, DsDbfTable1;
    TDsMemTable DsMemTable33, DsMemTable1;
    int started = 0, finished = 0;
    TCodeListHooks hooks{[this] { ++started; }, [this] { ++finished; }};

    explicit CodeListPlace(const QString& subfolder = {}) : place(subfolder) {
        DsDbfTable33.SetName(u"DsDbfTable33"_s);
        DbfAd.SetName(u"DbfAd"_s);
        DsDbfTable1.SetName(u"DsDbfTable1"_s);
        DsMemTable33.SetName(u"DsMemTable33"_s);
        DsMemTable1.SetName(u"DsMemTable1"_s);
        DbfAd.SetDatabase(&place.database);
        DbfAd.SetTableName(u"zadostad.dbf"_s);
    }
    TCodeListTables tables() {
        return {&place.database, &DsDbfTable33, &DsMemTable33, &DbfAd, &DsDbfTable1, &DsMemTable1};
    }
    QString ini() const { return QDir(place.folder()).filePath(u"kvor.ini"_s); }
    TCodeListOutcome run(bool startup, const TServerConfig& config = vendorDbConfig()) {
        TServerLink link(config);
        return aDBF(link, tables(), startup, ini(), hooks);
    }
    // Field names and kinds of a local file ("adresa C80", "poplatek N", "platnostod D").
    QStringList layout(const QString& file) {
        TDsDbfTable t;
        t.SetDatabase(&place.database);
        t.SetTableName(file);
        t.Open();
        QStringList out;
        for (const TFieldDef& d : t.FieldDefs())
            out << (d.DataType == ftString ? u"%1 C%2"_s.arg(d.Name).arg(d.Size)
                    : d.DataType == ftDate ? d.Name + u" D"_s
                                           : d.Name + u" N"_s);
        t.Close();
        return out;
    }
    int records(const QString& file) {
        TDsDbfTable t;
        t.SetDatabase(&place.database);
        t.SetTableName(file);
        t.Open();
        int n = 0;
        for (t.First(); !t.Eof(); t.Next())
            ++n;
        t.Close();
        return n;
    }
};

// The server's columns of a table as the local file must carry them.
QStringList serverLayout(TVendorDb& db, const QString& table) {
    QStringList out;
    for (const QVariantList& r : db.rows(u"select column_name, data_type, character_maximum_length from "
                                         "information_schema.columns where table_schema = 'pelmar' and "
                                         "table_name = '%1' order by ordinal_position"_s.arg(table))) {
        const QString type = r[1].toString();
        out << (type == u"varchar" ? u"%1 C%2"_s.arg(r[0].toString()).arg(r[2].toInt())
                : type == u"date"  ? r[0].toString() + u" D"_s
                                   : r[0].toString() + u" N"_s);
    }
    return out;
}

// Runs a statement on its own connection when it goes out of scope (restores a shared table).
struct Restore {
    QString statement;
    ~Restore() {
        try {
            TVendorDb().exec(statement);
        } catch (...) {
        }
    }
};

} // namespace

class TstServerOps : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();

    void submissionReplacesTheRowOfTheSameKey();
    void changedKeyLeavesTwoRows_data();
    void changedKeyLeavesTwoRows();
    void withoutLookupTheRowBelongsToIdFirmaZero();
    void quantitiesArriveAsNumbers_data();
    void quantitiesArriveAsNumbers();
    void offlineSubmissionSendsNothing();
    void failingSubmissionRollsBackAndKeepsTheScript();
    void serverIdOfNineDigitsIsCutInTheRequestNumber();
    void cutRequestNumberIsRefused_data();
    void cutRequestNumberIsRefused();

    void offlineExportKeepsTheQueue();
    void twoQueuedCopiesLeaveOneExportAndTwoHistoryRows();
    void partnerMissingFromFirmyGivesNoName();
    void queuedCopiesGoToThePartnerOfTheirOwnOffice();
    void failingExportKeepsTheQueue();
    void droppedConnectionDuringExportCommitsNothing();

    void firstStartRebuildsBothLists_data();
    void firstStartRebuildsBothLists();
    void equalChangeTimesDoNotRebuild_data();
    void equalChangeTimesDoNotRebuild();
    void menuModeAlwaysRebuilds();
    void changedVarietyTableRebuildsAtStart();
    void localFilesHaveTheServersColumns();
    void changedServerColumnShowsUpLocally();
    void everyServerColumnTypeReachesTheLocalList();
    void offlineRefreshLoadsTheLocalList();
    void failedRebuildKeepsTheListsAndIsRetried_data();
    void failedRebuildKeepsTheListsAndIsRetried();

    void twoComputersOfOneCompanyGetTwoIds();
    void unknownWorkstationGetsZeroAndALogRow();
    void workstationLookupIgnoresCase_data();
    void workstationLookupIgnoresCase();
    void offlineLookupKeepsTheId();

    void hostileTextArrivesByteForByte_data();
    void hostileTextArrivesByteForByte();

private:
    TVendorDb* m_db = nullptr;
    std::unique_ptr<TVendorDb> m_dbHolder;
};

void TstServerOps::initTestCase() {
    m_dbHolder = std::make_unique<TVendorDb>();
    m_db = m_dbHolder.get();
}

// ---------------------------------------------------------------------------------------------
// Submission

void TstServerOps::submissionReplacesTheRowOfTheSameKey() {
    Workplace w;
    const QString ico = uniqueIco();
    const int idFirma = uniqueIdFirma();
    w.request(sampleRequest());
    TServerLink link(vendorDbConfig());

    const TSubmitOutcome first = odesliZadost(link, w.Dbf5, ico, idFirma, w.folder());
    QVERIFY(first.Online);
    QCOMPARE(first.IdTrivan, expectedIdTrivan(ico, first.Id));
    QCOMPARE(w.Dbf5.FieldByName(u"id"_s)->AsLargeInt(), first.Id);
    QCOMPARE(w.Dbf5.FieldByName(u"id_trivan"_s)->AsString(), first.IdTrivan);
    QVERIFY(!QFile::exists(w.folder() + u"/a1.txt"_s));

    const TSubmitOutcome second = odesliZadost(link, w.Dbf5, ico, idFirma, w.folder());
    QVERIFY(second.Id > first.Id);
    QVERIFY(second.IdTrivan != first.IdTrivan);
    const auto rows = m_db->rows(
        u"select id, id_trivan, ICO, NAZ_ODRU, DATUM from kvor_zadost where id_firma = %1"_s.arg(idFirma));
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows[0][0].toLongLong(), second.Id);
    QCOMPARE(rows[0][1].toString(), second.IdTrivan);
    QCOMPARE(rows[0][2].toString(), ico);
    QCOMPARE(rows[0][3].toString(), u"Bohemia"_s);
    QCOMPARE(rows[0][4].toDate(), QDate(2012, 3, 6));
    // The record written back is the one in the file.
    w.Dbf5.Close();
    w.Dbf5.Open();
    QCOMPARE(w.Dbf5.FieldByName(u"id_trivan"_s)->AsString(), second.IdTrivan);
    QCOMPARE(w.Dbf5.FieldByName(u"id"_s)->AsLargeInt(), second.Id);
}

void TstServerOps::changedKeyLeavesTwoRows_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("value");
    QTest::newRow("request kind") << u"ZADOST_O"_s << u"O"_s;
    QTest::newRow("lot number") << u"PARTIECELA"_s << u"12-1234-00018-01"_s;
}

void TstServerOps::changedKeyLeavesTwoRows() {
    QFETCH(QString, field);
    QFETCH(QString, value);
    Workplace w;
    const QString ico = uniqueIco();
    const int idFirma = uniqueIdFirma();
    w.request(sampleRequest());
    TServerLink link(vendorDbConfig());
    odesliZadost(link, w.Dbf5, ico, idFirma, w.folder());
    w.Dbf5.Edit();
    w.Dbf5.FieldByName(field)->SetValue(value);
    w.Dbf5.Post();
    odesliZadost(link, w.Dbf5, ico, idFirma, w.folder());
    QCOMPARE(m_db->count(u"from kvor_zadost where id_firma = %1"_s.arg(idFirma)), 2);
}

void TstServerOps::withoutLookupTheRowBelongsToIdFirmaZero() {
    Workplace w;
    auto values = sampleRequest();
    values[u"PARTIECELA"_s] = u"12-%1-01"_s.arg(uniqueIdFirma());
    w.request(values);
    TServerLink link(vendorDbConfig());
    const QString ico = uniqueIco();
    odesliZadost(link, w.Dbf5, ico, 0, w.folder());
    const TSubmitOutcome again = odesliZadost(link, w.Dbf5, ico, 0, w.folder());
    const auto rows = m_db->rows(u"select id, id_firma from kvor_zadost where PARTIECELA = '%1'"_s.arg(
        values[u"PARTIECELA"_s].toString()));
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows[0][0].toLongLong(), again.Id);
    QCOMPARE(rows[0][1].toInt(), 0);
}

void TstServerOps::quantitiesArriveAsNumbers_data() {
    QTest::addColumn<QVariant>("mnozstvi");
    QTest::addColumn<QVariant>("pocet");
    QTest::addColumn<double>("storedMnozstvi");
    QTest::addColumn<int>("storedPocet");
    QTest::newRow("empty quantity and count") << QVariant() << QVariant() << 0.0 << 0;
    QTest::newRow("0,5") << QVariant(0.5) << QVariant(2) << 0.5 << 2;
    QTest::newRow("12,5") << QVariant(12.5) << QVariant(480) << 12.5 << 480;
    QTest::newRow("large") << QVariant(123456789.125) << QVariant(100000) << 123456789.125 << 100000;
}

void TstServerOps::quantitiesArriveAsNumbers() {
    QFETCH(QVariant, mnozstvi);
    QFETCH(QVariant, pocet);
    Workplace w;
    auto values = sampleRequest();
    values.remove(u"MNOZSTVI"_s);
    values.remove(u"POCET"_s);
    w.request(values);
    w.Dbf5.Edit();
    w.Dbf5.FieldByName(u"MNOZSTVI"_s)->SetValue(mnozstvi);
    w.Dbf5.FieldByName(u"POCET"_s)->SetValue(pocet);
    w.Dbf5.Post();
    TServerLink link(vendorDbConfig());
    const TSubmitOutcome out = odesliZadost(link, w.Dbf5, uniqueIco(), uniqueIdFirma(), w.folder());
    const auto rows = m_db->rows(u"select MNOZSTVI, POCET from kvor_zadost where id = %1"_s.arg(out.Id));
    QCOMPARE(rows.size(), 1);
    QTEST(rows[0][0].toDouble(), "storedMnozstvi");
    QTEST(rows[0][1].toInt(), "storedPocet");
}

void TstServerOps::offlineSubmissionSendsNothing() {
    Workplace w;
    w.request(sampleRequest());
    TServerLink link(unreachableConfig());
    const TSubmitOutcome out = odesliZadost(link, w.Dbf5, uniqueIco(), uniqueIdFirma(), w.folder());
    QVERIFY(!out.Online);
    QVERIFY(!link.Online());
    QCOMPARE(w.Dbf5.FieldByName(u"id_trivan"_s)->AsString(), u"267891233300004711"_s);
    QVERIFY(!QFile::exists(w.folder() + u"/a1.txt"_s));
}

void TstServerOps::failingSubmissionRollsBackAndKeepsTheScript() {
    Workplace w;
    const QString ico = uniqueIco();
    const int idFirma = uniqueIdFirma();
    w.request(sampleRequest());
    TServerLink link(vendorDbConfig());
    const TSubmitOutcome first = odesliZadost(link, w.Dbf5, ico, idFirma, w.folder());

    m_db->exec(
        u"create trigger odmitni_odrudu before insert on kvor_zadost for each row "
        "if new.NAZ_ODRU = 'Odmítnutá' then signal sqlstate '45000' set message_text = 'Odrůda odmítnuta'; end if"_s);
    Restore dropTrigger{u"drop trigger if exists odmitni_odrudu"_s};
    w.Dbf5.Edit();
    w.Dbf5.FieldByName(u"NAZ_ODRU"_s)->SetValue(u"Odmítnutá"_s);
    w.Dbf5.FieldByName(u"id_trivan"_s)->SetValue(u"provizorni"_s);
    w.Dbf5.Post();
    try {
        odesliZadost(link, w.Dbf5, ico, idFirma, w.folder());
        QFAIL("the submission must fail");
    } catch (const ESqlError& e) {
        QCOMPARE(e.message(), u"Odrůda odmítnuta"_s);
    }
    // The DELETE before the failing INSERT was rolled back: the earlier row is still there.
    const auto rows = m_db->rows(u"select id from kvor_zadost where id_firma = %1"_s.arg(idFirma));
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows[0][0].toLongLong(), first.Id);
    QCOMPARE(w.Dbf5.FieldByName(u"id_trivan"_s)->AsString(), u"provizorni"_s);
    QFile script(w.folder() + u"/a1.txt"_s);
    QVERIFY(script.open(QIODevice::ReadOnly));
    QVERIFY(script.readAll().contains(cp1250::encode(u" NAZ_ODRU = 'Odmítnutá',"_s)));
}

void TstServerOps::serverIdOfNineDigitsIsCutInTheRequestNumber() {
    Workplace w;
    w.request(sampleRequest());
    m_db->exec(u"alter table kvor_zadost auto_increment = 123456789"_s);
    // Afterwards the numbers go back to where they were, so that the other tests see whole ids.
    Restore lower{u"alter table kvor_zadost auto_increment = 1"_s};
    Restore remove{u"delete from kvor_zadost where id >= 123456789"_s};
    TServerLink link(vendorDbConfig());
    const QString ico = uniqueIco();
    const TSubmitOutcome out = odesliZadost(link, w.Dbf5, ico, uniqueIdFirma(), w.folder());
    QVERIFY(out.Id >= 123456789);
    QCOMPARE(out.IdTrivan, ico + u"33"_s + QString::number(out.Id).left(8));
}

// A company ICO over eight characters would make the server cut the request number to its 18
// characters; so would a server column narrower than the number. Either way nothing is written
// into the local record, which keeps its provisional number.
void TstServerOps::cutRequestNumberIsRefused_data() {
    QTest::addColumn<QString>("ico");
    QTest::addColumn<QString>("narrowColumn"); // id_trivan's type on the server, empty: unchanged
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("reachesServer");
    QTest::newRow("ICO of nine characters") << u"123456789"_s << QString() << u"smí mít nejvýše 8"_s << false;
    QTest::newRow("ICO of ten characters") << u"CZ12345678"_s << QString() << u"smí mít nejvýše 8"_s << false;
    QTest::newRow("server column cuts the number")
        << uniqueIco() << u"varchar(12)"_s << u"neúplné číslo žádosti"_s << true;
}

void TstServerOps::cutRequestNumberIsRefused() {
    QFETCH(QString, ico);
    QFETCH(QString, narrowColumn);
    QFETCH(QString, message);
    QFETCH(bool, reachesServer);
    Workplace w;
    w.request(sampleRequest());
    if (!narrowColumn.isEmpty())
        m_db->exec(u"alter table kvor_zadost modify id_trivan %1"_s.arg(narrowColumn));
    Restore widen{narrowColumn.isEmpty() ? u"do 0"_s
                                         : u"alter table kvor_zadost modify id_trivan varchar(18)"_s};
    TServerLink link(vendorDbConfig());
    try {
        odesliZadost(link, w.Dbf5, ico, uniqueIdFirma(), w.folder());
        QFAIL("the submission must be refused");
    } catch (const EDatabaseError& e) {
        QVERIFY2(e.message().contains(message), qPrintable(e.message()));
    }
    QCOMPARE(w.Dbf5.FieldByName(u"id_trivan"_s)->AsString(), u"267891233300004711"_s);
    QCOMPARE(w.Dbf5.FieldByName(u"id"_s)->AsInteger(), 4711);
    QCOMPARE(m_db->count(u"from kvor_zadost where ICO = '%1'"_s.arg(ico)), reachesServer ? 1 : 0);
}

// ---------------------------------------------------------------------------------------------
// Export

void TstServerOps::offlineExportKeepsTheQueue() {
    Workplace w;
    w.queue({sampleRequest()});
    TServerLink link(unreachableConfig());
    const TExportOutcome out =
        udelejData(link, w.DbfEx, {uniqueIco(), u"Osivo"_s, u"46347801"_s}, w.folder());
    QVERIFY(!out.Online);
    QCOMPARE(w.queued(), 1);
}

void TstServerOps::twoQueuedCopiesLeaveOneExportAndTwoHistoryRows() {
    Workplace w;
    const QString ico = uniqueIco();
    w.queue({sampleRequest(), sampleRequest()});
    TServerLink link(vendorDbConfig());
    const QDateTime now(QDate(2012, 3, 7), QTime(9, 5, 4));
    const TExportOutcome out =
        udelejData(link, w.DbfEx, {ico, u"Osivo Polabí s.r.o."_s, u"46347801"_s}, w.folder(), now);
    QVERIFY(out.Online);
    QCOMPARE(out.Sent, 2);
    QCOMPARE(w.queued(), 0);
    QVERIFY(!QFile::exists(w.folder() + u"/a.txt"_s));

    auto ex = m_db->rows(
        u"select PRI_ICO, ZADOST_O, PARTIECELA, NAZ_DRU, MNOZSTVI from ex_zadost where EX_ICO = '%1'"_s.arg(
            ico));
    QCOMPARE(ex.size(), 1);
    QCOMPARE(ex[0][0].toString(), u"46347801"_s);
    QCOMPARE(ex[0][3].toString(), u"Pšenice ozimá"_s);
    QCOMPARE(ex[0][4].toDouble(), 12.5);
    auto hist = m_db->rows(u"select EX_NAZEV, datumcas, doklad, cislodokla, ICO, NAZEVPODNI from historie "
                           "where EX_ICO = '%1'"_s.arg(ico));
    QCOMPARE(hist.size(), 2);
    for (const QVariantList& h : hist) {
        QCOMPARE(h[0].toString(), u"Osivo Polabí s.r.o."_s);
        QCOMPARE(h[1].toDateTime(), now);
        QCOMPARE(h[2].toString(), u"ZA"_s);
        QCOMPARE(h[3].toString(), u"12-1234-00017-01-U"_s);
        QCOMPARE(h[4].toString(), u"46347801"_s);
        QCOMPARE(h[5].toString(), u"Osiva Haná a.s."_s);
    }
    // A second export of the same request replaces its ex_zadost row and adds to the register.
    w.queue({sampleRequest()});
    udelejData(link, w.DbfEx, {ico, u"Osivo Polabí s.r.o."_s, u"46347801"_s}, w.folder(), now);
    QCOMPARE(m_db->count(u"from ex_zadost where EX_ICO = '%1'"_s.arg(ico)), 1);
    QCOMPARE(m_db->count(u"from historie where EX_ICO = '%1'"_s.arg(ico)), 3);
}

void TstServerOps::partnerMissingFromFirmyGivesNoName() {
    Workplace w;
    const QString ico = uniqueIco();
    w.queue({sampleRequest()});
    TServerLink link(vendorDbConfig());
    udelejData(link, w.DbfEx, {ico, u"Osivo"_s, u"99999991"_s}, w.folder());
    const auto hist = m_db->rows(u"select NAZEVPODNI, ICO from historie where EX_ICO = '%1'"_s.arg(ico));
    QCOMPARE(hist.size(), 1);
    QVERIFY(!hist[0][0].isValid());
    QCOMPARE(hist[0][1].toString(), u"99999991"_s);
}

// Copies queued offline by prints for two partner offices, and one whose office has left the
// address list, sent by a third print: each goes to the partner its own office names, the one
// without a partner office to the partner of the print that sends them.
void TstServerOps::queuedCopiesGoToThePartnerOfTheirOwnOffice() {
    CodeListPlace c;
    c.run(false); // the address list as the refresh writes it
    const QString ico = uniqueIco();
    auto copy = [](const QString& poot, const QString& partieCela) {
        QMap<QString, QVariant> r = sampleRequest();
        r[u"POOT"_s] = poot;
        r[u"PARTIECELA"_s] = partieCela;
        return r;
    };
    c.place.queue({copy(u"Osiva Haná a.s., laboratoř Kroměříž"_s, u"12-1234-00017-01"_s),
                   copy(u"SEMO Vysočina s.r.o., laboratoř Jihlava"_s, u"12-1234-00018-01"_s),
                   copy(u"Zrušená laboratoř Kolín"_s, u"12-1234-00019-01"_s)});
    TServerLink link(vendorDbConfig());
    const TExportOutcome out =
        udelejData(link, c.place.DbfEx, {ico, u"Osivo Polabí s.r.o."_s, u"60698154"_s}, c.place.folder());
    QCOMPARE(out.Sent, 3);

    const auto ex = m_db->rows(
        u"select PARTIECELA, PRI_ICO from ex_zadost where EX_ICO = '%1' order by PARTIECELA"_s.arg(ico));
    const auto hist = m_db->rows(
        u"select cislodokla, ICO, NAZEVPODNI from historie where EX_ICO = '%1' order by cislodokla"_s.arg(
            ico));
    const QList<QStringList> expected{
        {u"12-1234-00017-01"_s, u"46347801"_s, u"Osiva Haná a.s."_s},
        {u"12-1234-00018-01"_s, u"25312789"_s, u"SEMO Vysočina s.r.o."_s},
        {u"12-1234-00019-01"_s, u"60698154"_s, u"Zemědělská zkušebna Žďár, družstvo"_s},
    };
    QCOMPARE(ex.size(), expected.size());
    QCOMPARE(hist.size(), expected.size());
    for (qsizetype i = 0; i < expected.size(); ++i) {
        QCOMPARE(ex[i][0].toString(), expected[i][0]);
        QCOMPARE(ex[i][1].toString(), expected[i][1]);
        QCOMPARE(hist[i][0].toString(), expected[i][0] + u"-U"_s);
        QCOMPARE(hist[i][1].toString(), expected[i][1]);
        QCOMPARE(hist[i][2].toString(), expected[i][2]);
    }
}

void TstServerOps::failingExportKeepsTheQueue() {
    Workplace w;
    const QString ico = uniqueIco();
    w.queue({sampleRequest(), sampleRequest()});
    m_db->exec(
        u"create trigger odmitni_historii before insert on historie for each row "
        "if new.EX_NAZEV = 'Chybná firma' then signal sqlstate '45000' set message_text = 'Historie odmítnuta'; end if"_s);
    Restore dropTrigger{u"drop trigger if exists odmitni_historii"_s};
    TServerLink link(vendorDbConfig());
    try {
        udelejData(link, w.DbfEx, {ico, u"Chybná firma"_s, u"46347801"_s}, w.folder());
        QFAIL("the export must fail");
    } catch (const ESqlError& e) {
        QCOMPARE(e.message(), u"Historie odmítnuta"_s);
    }
    QCOMPARE(w.queued(), 2);
    QCOMPARE(m_db->count(u"from ex_zadost where EX_ICO = '%1'"_s.arg(ico)), 0);
    QVERIFY(QFile::exists(w.folder() + u"/a.txt"_s));
    // The next export step, with the fault gone, sends every row that waited.
    m_db->exec(u"drop trigger odmitni_historii"_s);
    const TExportOutcome out = udelejData(link, w.DbfEx, {ico, u"Osivo"_s, u"46347801"_s}, w.folder());
    QCOMPARE(out.Sent, 2);
    QCOMPARE(w.queued(), 0);
    QCOMPARE(m_db->count(u"from historie where EX_ICO = '%1'"_s.arg(ico)), 2);
}

void TstServerOps::droppedConnectionDuringExportCommitsNothing() {
    Workplace w;
    const QString ico = uniqueIco();
    w.queue({sampleRequest()});
    // A second connection holds historie, so the script waits at its insert; a third ends the
    // script's connection there.
    TVendorDb locker;
    locker.exec(u"lock tables historie write"_s);
    std::atomic<bool> killed{false};
    std::thread killer([&killed] {
        TVendorDb admin;
        for (int i = 0; i < 400 && !killed; ++i) {
            const QVariant id = admin.value(u"select id from information_schema.processlist "
                                            "where info like 'insert into historie%' and user = 'pelmar'"_s);
            if (id.isValid()) {
                admin.exec(u"KILL CONNECTION %1"_s.arg(id.toLongLong()));
                killed = true;
            } else {
                std::this_thread::sleep_for(std::chrono::milliseconds(25));
            }
        }
    });
    TServerLink link(vendorDbConfig());
    bool raised = false;
    try {
        udelejData(link, w.DbfEx, {ico, u"Osivo"_s, u"46347801"_s}, w.folder());
    } catch (const ESqlError& e) {
        raised = true;
        QVERIFY(!e.message().isEmpty());
    }
    killer.join();
    locker.exec(u"unlock tables"_s);
    QVERIFY(killed);
    QVERIFY(raised);
    QCOMPARE(w.queued(), 1);
    QCOMPARE(m_db->count(u"from ex_zadost where EX_ICO = '%1'"_s.arg(ico)), 0);
    QCOMPARE(m_db->count(u"from historie where EX_ICO = '%1'"_s.arg(ico)), 0);
}

// ---------------------------------------------------------------------------------------------
// Code lists

void TstServerOps::firstStartRebuildsBothLists_data() {
    QTest::addColumn<QString>("programFolder");
    QTest::newRow("plain folder") << QString();
    QTest::newRow("folder with Czech letters") << u"Osiva Šťastný/Žádosti"_s;
}

void TstServerOps::firstStartRebuildsBothLists() {
    QFETCH(QString, programFolder);
    CodeListPlace c(programFolder);
    const TCodeListOutcome out = c.run(true);
    QVERIFY(out.Online);
    QVERIFY(out.Rebuilt);
    QVERIFY(out.VarietiesLoaded);
    QCOMPARE(c.started, 1);
    QCOMPARE(c.finished, 1);
    const qint64 varieties = m_db->count(u"from odruda o, druh d where o.DRUH = d.KOD"_s);
    QCOMPARE(c.records(u"cenik.dbf"_s), int(varieties));
    QCOMPARE(c.records(u"zadostad.dbf"_s), int(m_db->count(u"from zadostadre"_s)));
    QVERIFY(c.DsMemTable33.Active());
    QCOMPARE(c.DsMemTable33.RecordCount(), int(varieties));
    QVERIFY(!c.DbfAd.Active());
    // The stored change time is the server's.
    const QDateTime server = m_db->rows(u"SHOW TABLE STATUS LIKE \"odruda\""_s)[0][12].toDateTime();
    QCOMPARE(storedCodeListTime(c.ini()), server);
    QVERIFY(!QFile::exists(c.place.dataFile(u"cenik_nove.dbf"_s)));
}

void TstServerOps::equalChangeTimesDoNotRebuild_data() {
    QTest::addColumn<bool>("withoutChangeTime");
    QTest::newRow("the server's change time") << false;
    // A transactional table shows no update time until it is changed: day zero on both sides.
    QTest::newRow("no change time on the server") << true;
}

void TstServerOps::equalChangeTimesDoNotRebuild() {
    QFETCH(bool, withoutChangeTime);
    Restore engine{u"alter table odruda engine=MyISAM"_s};
    if (withoutChangeTime) {
        m_db->exec(u"alter table odruda engine=InnoDB"_s);
        QVERIFY(m_db->rows(u"SHOW TABLE STATUS LIKE \"odruda\""_s)[0][12].isNull());
    }
    CodeListPlace c;
    QVERIFY(c.run(true).Rebuilt);
    if (withoutChangeTime)
        QCOMPARE(TIniFile(c.ini()).ReadString(u"UpdateTable"_s, u"odruda"_s, QString()), u"30.12.1899"_s);
    QFile::remove(c.place.dataFile(u"zadostad.dbf"_s));
    const TCodeListOutcome out = c.run(true);
    QVERIFY(out.Online);
    QVERIFY(!out.Rebuilt);
    QCOMPARE(c.started, 1);
    QVERIFY(!QFile::exists(c.place.dataFile(u"zadostad.dbf"_s)));
    QVERIFY(out.VarietiesLoaded);
    QVERIFY(c.DsMemTable33.RecordCount() > 300);
}

void TstServerOps::menuModeAlwaysRebuilds() {
    CodeListPlace c;
    QVERIFY(c.run(true).Rebuilt);
    QFile::remove(c.place.dataFile(u"zadostad.dbf"_s));
    QVERIFY(c.run(false).Rebuilt);
    QCOMPARE(c.records(u"zadostad.dbf"_s), 10);
}

void TstServerOps::changedVarietyTableRebuildsAtStart() {
    CodeListPlace c;
    QVERIFY(c.run(true).Rebuilt);
    QTest::qWait(1100); // the table's change time counts whole seconds
    m_db->exec(u"insert into odruda (kod, nazev, DRUH) values ('98001', 'Novinka', '84')"_s);
    Restore remove{u"delete from odruda where kod = '98001'"_s};
    QVERIFY(c.run(true).Rebuilt);
    QVERIFY(c.DsMemTable33.Locate(u"odruda"_s, u"98001"_s));
    QCOMPARE(c.DsMemTable33.FieldByName(u"nazevosiva"_s)->AsString(), u"Brambory Novinka"_s);
}

void TstServerOps::localFilesHaveTheServersColumns() {
    CodeListPlace c;
    c.run(false);
    QCOMPARE(c.layout(u"zadostad.dbf"_s), serverLayout(*m_db, u"zadostadre"_s));
    QCOMPARE(c.layout(u"cenik.dbf"_s), (QStringList{u"naz_odru C40"_s, u"naz_dru C40"_s, u"odruda C5"_s,
                                                    u"druh C4"_s, u"nazevosiva C81"_s}));
    // Records in the order of adresa, with the values of every column.
    TDsDbfTable ad;
    ad.SetDatabase(&c.place.database);
    ad.SetTableName(u"zadostad.dbf"_s);
    ad.Open();
    QStringList order;
    for (ad.First(); !ad.Eof(); ad.Next())
        order << ad.FieldByName(u"adresa"_s)->AsString();
    QCOMPARE(order.first(), u"Osiva Haná a.s., laboratoř Kroměříž"_s);
    QVERIFY(ad.Locate(u"ico"_s, u"25312789"_s));
    QCOMPARE(ad.FieldByName(u"obec"_s)->AsString(), u"Jihlava"_s);
    QCOMPARE(ad.FieldByName(u"pracoviste"_s)->AsInteger(), 9);
    QCOMPARE(ad.FieldByName(u"poplatek"_s)->AsFloat(), 620.0);
    QCOMPARE(ad.FieldByName(u"platnostod"_s)->AsDateTime().date(), QDate(2009, 3, 1));
    ad.Close();
    // A variety whose species is missing never reaches the list.
    QVERIFY(!c.DsMemTable33.Locate(u"odruda"_s, u"99001"_s));
    QVERIFY(c.DsMemTable33.Locate(u"druh"_s, u"84"_s));
}

void TstServerOps::changedServerColumnShowsUpLocally() {
    CodeListPlace c;
    c.run(false);
    QVERIFY(!c.layout(u"zadostad.dbf"_s).contains(u"email C40"_s));
    m_db->exec(
        u"alter table zadostadre add column email varchar(40) not null default 'podatelna@ukzuz.cz' after ico"_s);
    Restore drop{u"alter table zadostadre drop column if exists email"_s};
    c.run(false);
    const QStringList layout = c.layout(u"zadostad.dbf"_s);
    QCOMPARE(layout, serverLayout(*m_db, u"zadostadre"_s));
    QCOMPARE(layout.indexOf(u"email C40"_s), 2);
    m_db->exec(u"alter table zadostadre drop column email"_s);
    c.run(false);
    QVERIFY(!c.layout(u"zadostad.dbf"_s).contains(u"email C40"_s));
}

// Columns of the types a local table has no field for arrive as the nearest field it has: wide
// whole numbers as numbers, long text cut to 254 characters, binary data as hexadecimal text.
// The file is read back by dbfread and compared with what the server itself says of the values.
void TstServerOps::everyServerColumnTypeReachesTheLocalList() {
    m_db->exec(
        u"alter table zadostadre add column pocet_u int unsigned, add column velke bigint, "
        "add column priznaky bit(12), add column obrovske bigint unsigned, add column kod_b binary(4), "
        "add column otisk varbinary(8), "
        "add column dlouhy varchar(300), add column poznamka text, add column obrazek blob"_s);
    Restore drop{
        u"alter table zadostadre drop column if exists pocet_u, drop column if exists velke, "
        "drop column if exists priznaky, drop column if exists obrovske, drop column if exists kod_b, "
        "drop column if exists otisk, "
        "drop column if exists dlouhy, drop column if exists poznamka, drop column if exists obrazek"_s};
    m_db->exec(
        u"update zadostadre set pocet_u = 4000000000, velke = -1234567890123, priznaky = b'101000000001', "
        "obrovske = 18446744073709551615, kod_b = x'00FF10AB', otisk = x'C3A9', dlouhy = concat(repeat('ž', "
        "250), 'konec12345'), "
        "poznamka = 'Vzorky přijímá laboratoř do 14:00.', obrazek = repeat(x'89504E470D0A1A0A', 20) "
        "where ico = '46347801'"_s);
    // Beyond 2^53 a double would change the last digits: the file must have every one of them.
    m_db->exec(u"update zadostadre set pocet_u = 0, velke = 9007199254740993, priznaky = b'1', "
               "obrovske = 12345678901234567891, "
               "dlouhy = 'krátký', poznamka = '' where ico = '25312789'"_s);

    CodeListPlace c;
    c.run(false);
    QProcess dbfread;
    dbfread.start(QStringLiteral(KVOR_SYSTEM_PYTHON),
                  {u"-c"_s,
                   u"import dbfread, json, sys\n"
                   "t = dbfread.DBF(sys.argv[1], encoding='cp1250')\n"
                   "print(json.dumps({'fields': [[f.name, f.type, f.length] for f in t.fields],"
                   " 'rows': [[str(v) if type(v) is int else v for v in r.values()] for r in t]},"
                   " default=str))"_s,
                   c.place.dataFile(u"zadostad.dbf"_s)});
    QVERIFY(dbfread.waitForFinished(60000));
    QVERIFY2(dbfread.exitCode() == 0, dbfread.readAllStandardError().constData());
    const QJsonObject local = QJsonDocument::fromJson(dbfread.readAllStandardOutput()).object();

    QStringList layout;
    for (const QJsonValue& f : local[u"fields"_s].toArray())
        layout << u"%1 %2%3"_s.arg(f[0].toString(), f[1].toString()).arg(f[2].toInt());
    QCOMPARE(
        layout.mid(layout.indexOf(u"pocet_u N10"_s)),
        (QStringList{u"pocet_u N10"_s, u"velke N20"_s, u"priznaky N4"_s, u"obrovske N20"_s, u"kod_b C8"_s,
                     u"otisk C16"_s, u"dlouhy C254"_s, u"poznamka C254"_s, u"obrazek C254"_s}));
    const int first = int(layout.indexOf(u"pocet_u N10"_s));

    // The server's own view of each value; an empty text or a missing number is blank in the file.
    const auto server =
        m_db->rows(u"select cast(pocet_u as char), cast(velke as char), cast(priznaky + 0 as char), "
                   "cast(obrovske as char), hex(kod_b), hex(otisk), left(dlouhy, 254), left(poznamka, 254), "
                   "left(hex(obrazek), 254) from zadostadre order by adresa"_s);
    const QJsonArray rows = local[u"rows"_s].toArray();
    QCOMPARE(rows.size(), server.size());
    for (qsizetype r = 0; r < server.size(); ++r) {
        const QJsonArray row = rows[r].toArray();
        // Numbers as the digits of both sides.
        for (int i = 0; i < 4; ++i) {
            const QVariant expected = server[r][i];
            const QJsonValue got = row[first + i];
            if (expected.isNull())
                QVERIFY2(got.isNull(), qPrintable(u"row %1 column %2"_s.arg(r).arg(i)));
            else
                QCOMPARE(got.toString(), expected.toString());
        }
        for (int i = 4; i < 9; ++i)
            QCOMPARE(row[first + i].toString(), server[r][i].toString());
    }
    // The program reads the same: the text column's content, not a memo number, and the cut at 254.
    TDsDbfTable ad;
    ad.SetDatabase(&c.place.database);
    ad.SetTableName(u"zadostad.dbf"_s);
    ad.Open();
    QVERIFY(ad.Locate(u"ico"_s, u"46347801"_s));
    QCOMPARE(ad.FieldByName(u"poznamka"_s)->AsString(), u"Vzorky přijímá laboratoř do 14:00."_s);
    QCOMPARE(ad.FieldByName(u"dlouhy"_s)->AsString(), QString(250, u'ž') + u"kone"_s);
    QCOMPARE(ad.FieldByName(u"velke"_s)->AsFloat(), -1234567890123.0);
    QCOMPARE(ad.FieldByName(u"obrovske"_s)->AsString(), u"18446744073709551615"_s);
    ad.Close();
}

void TstServerOps::offlineRefreshLoadsTheLocalList() {
    CodeListPlace c;
    QVERIFY(c.run(true).Rebuilt);
    const QString stored = TIniFile(c.ini()).ReadString(u"UpdateTable"_s, u"odruda"_s, QString());
    const TCodeListOutcome out = c.run(false, unreachableConfig());
    QVERIFY(!out.Online);
    QVERIFY(!out.Rebuilt);
    QVERIFY(out.VarietiesLoaded);
    QVERIFY(c.DsMemTable33.RecordCount() > 300);
    QCOMPARE(TIniFile(c.ini()).ReadString(u"UpdateTable"_s, u"odruda"_s, QString()), stored);

    // Without a connection and without files the list stays empty.
    CodeListPlace fresh;
    const TCodeListOutcome none = fresh.run(true, unreachableConfig());
    QVERIFY(!none.VarietiesLoaded);
    QVERIFY(!fresh.DsMemTable33.Active());
}

void TstServerOps::failedRebuildKeepsTheListsAndIsRetried_data() {
    QTest::addColumn<QStringList>("breakIt");
    QTest::addColumn<QString>("repair");
    QTest::newRow("the address query fails") << QStringList{u"rename table zadostadre to zadostadre_pryc"_s}
                                             << u"rename table zadostadre_pryc to zadostadre"_s;
    // The new file is created and partly written before its last row is refused.
    QTest::newRow("the last address does not fit the local file")
        << QStringList{u"alter table zadostadre add column obrat decimal(30,0) not null default 0"_s,
                       u"update zadostadre set obrat = 100000000000000000000 "
                       "where adresa = 'Zemědělská zkušebna Žďár, družstvo'"_s}
        << u"alter table zadostadre drop column if exists obrat"_s;
}

void TstServerOps::failedRebuildKeepsTheListsAndIsRetried() {
    QFETCH(QStringList, breakIt);
    QFETCH(QString, repair);
    CodeListPlace c;
    QVERIFY(c.run(true).Rebuilt);
    const QByteArray addressesBefore = [&] {
        QFile f(c.place.dataFile(u"zadostad.dbf"_s));
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }();
    // An older stored time, so that the start wants a rebuild, and an address list that fails.
    const QDateTime old(QDate(2011, 1, 2), QTime(3, 4, 5));
    TIniFile(c.ini()).WriteDateTime(u"UpdateTable"_s, u"odruda"_s, old);
    {
        Restore back{repair};
        for (const QString& statement : breakIt)
            m_db->exec(statement);
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, c.run(true));
        QCOMPARE(c.finished, c.started);
        QCOMPARE(storedCodeListTime(c.ini()), old);
        QFile f(c.place.dataFile(u"zadostad.dbf"_s));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), addressesBefore);
        QCOMPARE(QDir(c.place.dataFile(QString())).entryList({u"*_nove*"_s}), QStringList());
        QVERIFY(c.DsMemTable33.Active());
        QVERIFY(c.DsMemTable33.RecordCount() > 300);
    }
    // The next start tries again and succeeds.
    QVERIFY(c.run(true).Rebuilt);
    QVERIFY(storedCodeListTime(c.ini()) != old);
}

// ---------------------------------------------------------------------------------------------
// Company lookup

void TstServerOps::twoComputersOfOneCompanyGetTwoIds() {
    TServerLink link(vendorDbConfig());
    const qint64 before = m_db->value(u"select coalesce(max(id), 0) from kvor_historiem"_s).toLongLong();
    int first = -1, second = -1;
    QVERIFY(test_firma(
        link, {u"26789123"_s, u"Osivo Polabí s.r.o."_s, u"310"_s, u"novakova"_s, u"KANCELAR-PC"_s}, first));
    QVERIFY(test_firma(link, {u"26789123"_s, u"Osivo Polabí s.r.o."_s, u"310"_s, u"svoboda"_s, u"SKLAD-NB"_s},
                       second));
    QCOMPARE(first, 1);
    QCOMPARE(second, 2);
    const auto log = m_db->rows(
        u"select modul, pc, stredisko, ICO, nazevpodni, computeruser, computername, id_firma, "
        "timestampdiff(second, datumcas, now()) from kvor_historiem where id > %1 order by id"_s.arg(before));
    QCOMPARE(log.size(), 2);
    QCOMPARE(log[0][0].toString(), u"Kvor Pro"_s);
    QVERIFY(log[0][1].toString().isEmpty());
    QCOMPARE(log[0][2].toString(), u"310"_s);
    QCOMPARE(log[0][3].toString(), u"26789123"_s);
    QCOMPARE(log[0][4].toString(), u"Osivo Polabí s.r.o."_s);
    QCOMPARE(log[0][5].toString(), u"novakova"_s);
    QCOMPARE(log[0][6].toString(), u"KANCELAR-PC"_s);
    QCOMPARE(log[0][7].toInt(), 1);
    QVERIFY(log[0][8].toLongLong() < 60);
    QCOMPARE(log[1][7].toInt(), 2);
}

void TstServerOps::unknownWorkstationGetsZeroAndALogRow() {
    TServerLink link(vendorDbConfig());
    const qint64 before = m_db->value(u"select coalesce(max(id), 0) from kvor_historiem"_s).toLongLong();
    int idFirma = 5;
    QVERIFY(test_firma(
        link, {u"26789123"_s, u"Osivo Polabí s.r.o."_s, u"310"_s, u"novakova"_s, u"NEZNAMY-PC"_s}, idFirma));
    QCOMPARE(idFirma, 0);
    const auto log =
        m_db->rows(u"select id_firma, computername from kvor_historiem where id > %1"_s.arg(before));
    QCOMPARE(log.size(), 1);
    QCOMPARE(log[0][0].toInt(), 0);
    QCOMPARE(log[0][1].toString(), u"NEZNAMY-PC"_s);
}

// Windows gives user and computer names in whatever case they were typed or set up.
void TstServerOps::workstationLookupIgnoresCase_data() {
    QTest::addColumn<QString>("ico");
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("computer");
    QTest::addColumn<int>("id");
    QTest::newRow("as registered") << u"26789123"_s << u"novakova"_s << u"KANCELAR-PC"_s << 1;
    QTest::newRow("user in capitals") << u"26789123"_s << u"NOVAKOVA"_s << u"KANCELAR-PC"_s << 1;
    QTest::newRow("computer in small letters") << u"26789123"_s << u"svoboda"_s << u"sklad-nb"_s << 2;
    QTest::newRow("Czech letters in another case") << u"49970235"_s << u"ŘEDITEL"_s << u"účtárna-ž"_s << -1;
    QTest::newRow("other name is still other") << u"26789123"_s << u"novak"_s << u"KANCELAR-PC"_s << 0;
}

void TstServerOps::workstationLookupIgnoresCase() {
    QFETCH(QString, ico);
    QFETCH(QString, user);
    QFETCH(QString, computer);
    QFETCH(int, id);
    if (id < 0) {
        m_db->exec(u"delete from kvor_firmy where computeruser = 'ředitel'"_s);
        m_db->exec(u"insert into kvor_firmy (ICO, computeruser, computername) values "
                   "('49970235', 'ředitel', 'ÚČTÁRNA-Ž')"_s);
        id = m_db->value(u"select max(id) from kvor_firmy"_s).toInt();
    }
    TServerLink link(vendorDbConfig());
    int idFirma = -1;
    QVERIFY(test_firma(link, {ico, u"Osivo"_s, u"310"_s, user, computer}, idFirma));
    QCOMPARE(idFirma, id);
}

void TstServerOps::offlineLookupKeepsTheId() {
    TServerLink link(unreachableConfig());
    int idFirma = 7;
    QVERIFY(
        !test_firma(link, {u"26789123"_s, u"Osivo"_s, u"310"_s, u"novakova"_s, u"KANCELAR-PC"_s}, idFirma));
    QCOMPARE(idFirma, 7);
}

// ---------------------------------------------------------------------------------------------
// Hostile text

void TstServerOps::hostileTextArrivesByteForByte_data() {
    QTest::addColumn<QString>("pattern");
    QTest::newRow("apostrophe") << u"O'Brien's 'lot'"_s;
    QTest::newRow("backslash at the end") << u"C:\\osiva\\"_s;
    QTest::newRow("semicolon") << u"a; DELETE FROM kvor_zadost; -- x"_s;
    QTest::newRow("double quote") << u"Firma \"Klas\" \"\""_s;
    QTest::newRow("backslash before quotes") << u"\\'\\\"\\"_s;
    QTest::newRow("Czech letters") << u"Příliš žluťoučký kůň úpěl ďábelské ódy ĚŠČŘŽÝÁÍÉŮÚŇŤĎ"_s;
    QTest::newRow("80 characters") << u"Ž'\\;\""_s.repeated(16);
}

void TstServerOps::hostileTextArrivesByteForByte() {
    QFETCH(QString, pattern);
    // The pattern cut to a field's width keeps its last character, so that every field ends in it.
    auto fit = [&pattern](int size) {
        return pattern.size() <= size ? pattern : pattern.left(size - 1) + pattern.back();
    };
    Workplace w;
    const TFieldDefs defs = requestRecordDefs();
    auto widthOf = [&defs](const QString& name) {
        for (const TFieldDef& d : defs)
            if (d.Name == name) return d.Size;
        return 0;
    };
    QMap<QString, QVariant> values = sampleRequest();
    QMap<QString, QString> sent;
    for (const TAssignmentLine& line : kRequestAssignments) {
        const QString name = QString::fromLatin1(line.Field);
        if (line.Rule != TValueRule::Text) continue;
        sent[name] = fit(widthOf(name));
        values[name] = sent[name];
    }
    w.request(values);
    const QString ico = fit(8);
    const qint64 seedRows = m_db->count(u"from kvor_zadost where id <= 5"_s);

    // Submission.
    TServerLink link(vendorDbConfig());
    const TSubmitOutcome out = odesliZadost(link, w.Dbf5, ico, uniqueIdFirma(), w.folder());
    QStringList columns;
    for (auto it = sent.begin(); it != sent.end(); ++it)
        columns << u"hex(%1)"_s.arg(it.key());
    auto row = m_db->rows(
        u"select hex(ICO), hex(id_trivan), %1 from kvor_zadost where id = %2"_s.arg(columns.join(u", "_s))
            .arg(out.Id));
    QCOMPARE(row.size(), 1);
    QCOMPARE(row[0][0].toString(), hexOf(ico));
    QCOMPARE(row[0][1].toString(), hexOf(expectedIdTrivan(ico, out.Id)));
    QCOMPARE(out.IdTrivan, expectedIdTrivan(ico, out.Id));
    int i = 2;
    for (auto it = sent.begin(); it != sent.end(); ++it, ++i)
        if (it.key() != u"id_trivan") // replaced by the server's number, checked above
            QVERIFY2(row[0][i].toString() == hexOf(it.value()), qPrintable(it.key()));
    QCOMPARE(m_db->count(u"from kvor_zadost where id <= 5"_s), seedRows);

    // Export.
    const TExportParties parties{fit(20), fit(80), fit(20)};
    const qint64 exBefore = m_db->value(u"select coalesce(max(id), 0) from ex_zadost"_s).toLongLong();
    const qint64 histBefore = m_db->value(u"select coalesce(max(id), 0) from historie"_s).toLongLong();
    w.queue({values});
    QCOMPARE(udelejData(link, w.DbfEx, parties, w.folder()).Sent, 1);
    row = m_db->rows(
        u"select hex(EX_ICO), hex(PRI_ICO), %1 from ex_zadost where id > %2"_s.arg(columns.join(u", "_s))
            .arg(exBefore));
    QCOMPARE(row.size(), 1);
    QCOMPARE(row[0][0].toString(), hexOf(parties.CompanyIco));
    QCOMPARE(row[0][1].toString(), hexOf(parties.PartnerIco));
    i = 2;
    for (auto it = sent.begin(); it != sent.end(); ++it, ++i)
        QVERIFY2(row[0][i].toString() == hexOf(it.value()), qPrintable(it.key()));
    row = m_db->rows(
        u"select hex(EX_ICO), hex(EX_NAZEV), hex(cislodokla), hex(ICO) from historie where id > %1"_s.arg(
            histBefore));
    QCOMPARE(row.size(), 1);
    QCOMPARE(row[0][0].toString(), hexOf(parties.CompanyIco));
    QCOMPARE(row[0][1].toString(), hexOf(parties.CompanyName));
    QCOMPARE(row[0][2].toString(), hexOf(sent[u"PARTIECELA"_s] + u'-' + sent[u"ZADOST_O"_s]));
    QCOMPARE(row[0][3].toString(), hexOf(parties.PartnerIco));

    // Company lookup and usage log.
    const TWorkstation ws{fit(20), fit(80), fit(20), fit(80), fit(80)};
    const qint64 logBefore = m_db->value(u"select coalesce(max(id), 0) from kvor_historiem"_s).toLongLong();
    // The workstation is registered under exactly these bytes, so the lookup finds it only when its
    // conditions arrive unchanged.
    m_db->exec(u"insert into kvor_firmy (ICO, computeruser, computername) values (X'%1', X'%2', X'%3')"_s.arg(
        hexOf(ws.Ico), hexOf(ws.ComputerUser), hexOf(ws.ComputerName)));
    const int registered = m_db->value(u"select last_insert_id()"_s).toInt();
    Restore unregister{u"delete from kvor_firmy where id = %1"_s.arg(registered)};
    int idFirma = -1;
    QVERIFY(test_firma(link, ws, idFirma));
    QCOMPARE(idFirma, registered);
    row =
        m_db->rows(u"select hex(stredisko), hex(ICO), hex(nazevpodni), hex(computeruser), hex(computername), "
                   "id_firma from kvor_historiem where id > %1"_s.arg(logBefore));
    QCOMPARE(row.size(), 1);
    QCOMPARE(row[0][5].toInt(), registered);
    QCOMPARE(row[0][0].toString(), hexOf(ws.Stredisko));
    QCOMPARE(row[0][1].toString(), hexOf(ws.Ico));
    QCOMPARE(row[0][2].toString(), hexOf(ws.Name));
    QCOMPARE(row[0][3].toString(), hexOf(ws.ComputerUser));
    QCOMPARE(row[0][4].toString(), hexOf(ws.ComputerName));
}

QTEST_GUILESS_MAIN(TstServerOps)
#include "tst_server_ops.moc"
