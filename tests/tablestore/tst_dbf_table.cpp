// The table dataset over dBase files: opening, properties, movement through the record cache,
// writing, deleting, Locate and Lookup, Zap and Pack as the program calls them.
#include "tst_dbf_util.h"

#include "platform/Cp1250.h"
#include "tablestore/DsDbfTable.h"

#include <QDate>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <map>
#include <memory>

using namespace kvor;
using dbftest::Layout;

Q_DECLARE_METATYPE(kvor::TLocateOptions)

namespace {

QString messageOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const EDatabaseError& e) {
        return e.message();
    }
    return QString();
}

} // namespace

class TestDbfTable : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<TDsDatabase> m_db;

    QString path(const QString& name) const { return m_dir.filePath(name); }

    std::unique_ptr<TDsDbfTable> table(const QString& tableName,
                                       const QString& name = QStringLiteral("Dbf5")) {
        auto t = std::make_unique<TDsDbfTable>();
        t->SetName(name);
        t->SetDatabase(m_db.get());
        t->SetTableName(tableName);
        return t;
    }

    // adresa (C 30), KS (N 5), DATUM (D), OK (L); records from the rows, '*' rows deleted.
    QString makeAddresses(const QString& name, const QList<QList<QByteArray>>& rows,
                          const QList<int>& deleted = {}) {
        Layout l;
        l.Fields = {{"adresa", 'C', 30}, {"KS", 'N', 5, 1}, {"DATUM", 'D', 8}, {"OK", 'L', 1}};
        for (int i = 0; i < rows.size(); ++i) {
            QList<QByteArray> r = rows[i];
            while (r.size() < 4)
                r << QByteArray();
            r[0] = cp1250::encode(QString::fromUtf8(r[0]));
            r[1] = r[1].rightJustified(5);
            l.Records << dbftest::record(l, r, deleted.contains(i + 1) ? '*' : ' ');
        }
        QString p = path(name);
        dbftest::write(p, dbftest::build(l));
        return p;
    }

    QString makeNumbered(const QString& name, int count) {
        Layout l;
        l.Fields = {{"CISLO", 'N', 6}};
        for (int i = 1; i <= count; ++i)
            l.Records << dbftest::record(l, {QByteArray::number(i).rightJustified(6)});
        QString p = path(name);
        dbftest::write(p, dbftest::build(l));
        return p;
    }

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void init() {
        m_db = std::make_unique<TDsDatabase>();
        m_db->SetName(QStringLiteral("DsDatabase1"));
        m_db->SetDatabaseName(m_dir.path());
    }

    void cleanup() { m_db.reset(); }

    void openingErrors() {
        makeAddresses(QStringLiteral("zadost.dbf"), {{"Brno"}});
        TDsDbfTable noDb;
        noDb.SetName(QStringLiteral("Dbf5"));
        noDb.SetTableName(QStringLiteral("zadost.dbf"));
        QCOMPARE(messageOf([&] { noDb.Open(); }), QStringLiteral("Dbf5: Missing Database property"));
        QVERIFY(!noDb.Active());

        auto noName = table(QString());
        QCOMPARE(messageOf([&] { noName->Open(); }), QStringLiteral("Dbf5: Missing TableName property"));
        QCOMPARE(messageOf([&] { noName->CreateTable(); }),
                 QStringLiteral("Dbf5: Missing TableName property"));

        auto missing = table(QStringLiteral("chybi.dbf"));
        QCOMPARE(messageOf([&] { missing->Open(); }), QStringLiteral("Cannot open file"));
        QVERIFY(!missing->Active());

        TDsDatabase empty;
        empty.SetName(QStringLiteral("DsDatabase2"));
        TDsDbfTable t;
        t.SetDatabase(&empty);
        t.SetTableName(QStringLiteral("zadost.dbf"));
        QCOMPARE(messageOf([&] { t.Open(); }), QStringLiteral("DsDatabase2: Database name missing"));
        QVERIFY(!empty.Connected());
    }

    void structurePropertiesOnlyWhileClosed_data() {
        QTest::addColumn<int>("property");
        QTest::newRow("TableName") << 0;
        QTest::newRow("Database") << 1;
        QTest::newRow("Exclusive") << 2;
        QTest::newRow("ReadOnly") << 3;
        QTest::newRow("BufferRecords") << 4;
    }

    void structurePropertiesOnlyWhileClosed() {
        QFETCH(int, property);
        makeAddresses(QStringLiteral("props.dbf"), {{"Brno"}});
        auto t = table(QStringLiteral("props.dbf"));
        t->Open();
        TDsDatabase other;
        QString message = messageOf([&] {
            switch (property) {
            case 0:
                t->SetTableName(QStringLiteral("x.dbf"));
                break;
            case 1:
                t->SetDatabase(&other);
                break;
            case 2:
                t->SetExclusive(true);
                break;
            case 3:
                t->SetReadOnly(true);
                break;
            case 4:
                t->SetBufferRecords(100);
                break;
            }
        });
        QCOMPARE(message, QStringLiteral("Dbf5: Cannot perform this operation on an open dataset"));
        QCOMPARE(t->TableName(), QStringLiteral("props.dbf"));
        QCOMPARE(t->Database(), m_db.get());
        QCOMPARE(t->BufferRecords(), 10);
    }

    void databaseRulesOverTableProperties() {
        makeAddresses(QStringLiteral("db.dbf"), {{"Brno"}});
        auto t = table(QStringLiteral("db.dbf"));
        t->SetBufferRecords(0);
        QCOMPARE(t->BufferRecords(), 10);
        t->SetBufferRecords(3);
        QCOMPARE(t->BufferRecords(), 3);

        t->Open();
        QVERIFY(m_db->Connected());
        m_db->SetExclusive(true); // disconnects: the table closes
        QVERIFY(!t->Active());
        QVERIFY(!m_db->Connected());
        t->SetExclusive(false);
        QVERIFY(t->Exclusive());
        m_db->SetReadOnly(true);
        t->SetReadOnly(false);
        QVERIFY(t->ReadOnly());
        t->Open();
        QCOMPARE(messageOf([&] { t->Edit(); }), QStringLiteral("Dbf5: Cannot modify a read-only dataset"));
        QCOMPARE(
            messageOf([&] { t->FieldByName(QStringLiteral("adresa"))->SetAsString(QStringLiteral("x")); }),
            QStringLiteral("Dbf5: Cannot modify a read-only dataset"));

        m_db->SetDatabaseName(m_dir.path() + QStringLiteral("/jinam"));
        QVERIFY(t->Active()); // a new folder applies at the next opening
        m_db->SetConnected(false);
        QVERIFY(!t->Active());

        // A destroyed database is forgotten by its tables.
        m_db.reset();
        QCOMPARE(t->Database(), nullptr);
        QCOMPARE(messageOf([&] { t->Open(); }), QStringLiteral("Dbf5: Missing Database property"));
    }

    void fieldDefsFromTheFile() {
        Layout l;
        l.Fields = {{"NAZEV", 'C', 20}, {"NAZEV", 'C', 5}, {"nazev", 'N', 4}, {"NAZEV_1", 'C', 2},
                    {"D", 'D', 8},      {"L", 'L', 1},     {"I", 'I', 4},     {"AUTO", '+', 4},
                    {"T", '@', 8},      {"M", 'M', 10},    {"F", 'F', 10, 2}, {"Q", 'Q', 3}};
        l.Records = {dbftest::record(l, {"prvni", "druhy", "   7"})};
        dbftest::write(path(QStringLiteral("names.dbf")), dbftest::build(l));
        auto t = table(QStringLiteral("names.dbf"));
        t->Open();
        QCOMPARE(t->FieldNames(), (QStringList{"NAZEV", "NAZEV_1", "nazev_2", "NAZEV_1_1", "D", "L", "I",
                                               "AUTO", "T", "M", "F", "Q"}));
        const TFieldDefs& defs = t->FieldDefs();
        QList<TFieldType> types{ftString,  ftString,  ftFloat,    ftString, ftDate,  ftBoolean,
                                ftInteger, ftAutoInc, ftDateTime, ftMemo,   ftFloat, ftUnknown};
        for (int i = 0; i < defs.size(); ++i) {
            QCOMPARE(defs[i].DataType, types[i]);
            QCOMPARE(defs[i].FieldNo, i + 1);
        }
        QCOMPARE(defs[0].Size, 20);
        QCOMPARE(defs[1].Size, 5);
        QVERIFY(defs[7].ReadOnly);
        QCOMPARE(t->FieldByName(QStringLiteral("nazev_1"))->AsString(), QStringLiteral("druhy"));
        QCOMPARE(t->FieldByName(QStringLiteral("NAZEV_2"))->AsFloat(), 7.0);
        QCOMPARE(messageOf([&] { t->FieldByName(QStringLiteral("CHYBI")); }),
                 QStringLiteral("Dbf5: Field 'CHYBI' not found"));
        t->Edit();
        QCOMPARE(messageOf([&] { t->FieldByName(QStringLiteral("AUTO"))->SetAsInteger(3); }),
                 QStringLiteral("Field 'AUTO' cannot be modified"));
        t->Cancel();

        // A closed table reads its structure on request and stays closed.
        t->Close();
        auto closed = table(QStringLiteral("names.dbf"));
        closed->UpdateFieldDefs();
        QVERIFY(!closed->Active());
        QCOMPARE(closed->FieldDefs().size(), 12);
        QCOMPARE(closed->FieldDefs()[2].Name, QStringLiteral("nazev_2"));
    }

    void deletedRecordsAndShowDeleted() {
        makeAddresses(QStringLiteral("del.dbf"), {{"smazany"}, {"zivy"}}, {1});
        auto t = table(QStringLiteral("del.dbf"));
        t->Open();
        QCOMPARE(t->FieldByName(QStringLiteral("adresa"))->AsString(), QStringLiteral("zivy"));
        QCOMPARE(t->RecordCount(), 2);
        QCOMPARE(t->RecNo(), 2);
        t->Prior();
        QVERIFY(t->Bof());
        QCOMPARE(t->RecNo(), 2);

        t->SetShowDeleted(true); // at once, on the open table
        t->First();
        QCOMPARE(t->FieldByName(QStringLiteral("adresa"))->AsString(), QStringLiteral("smazany"));
        t->SetShowDeleted(false); // the current record disappears from view
        QCOMPARE(t->FieldByName(QStringLiteral("adresa"))->AsString(), QStringLiteral("zivy"));
        t->Close();

        t->SetShowDeleted(true);
        t->Open();
        QCOMPARE(t->RecNo(), 1);

        makeAddresses(QStringLiteral("alldel.dbf"), {{"a"}, {"b"}}, {1, 2});
        auto all = table(QStringLiteral("alldel.dbf"));
        all->Open();
        QVERIFY(all->Eof());
        QVERIFY(all->IsEmpty());
        QVERIFY(all->FieldByName(QStringLiteral("adresa"))->IsNull());
    }

    // Blocks of BufferRecords records: a scan reads the file once per block, never re-reads a
    // block it holds, and moving backwards reads the block that ends at the wanted record.
    void recordCacheReads_data() {
        QTest::addColumn<int>("records");
        QTest::addColumn<int>("buffer");
        QTest::addColumn<int>("forwardTo");
        QTest::addColumn<int>("backTo");
        QTest::addColumn<int>("readsForward");
        QTest::addColumn<int>("readsTotal");
        QTest::newRow("30 by 10, 1..25, back to 14") << 30 << 10 << 25 << 14 << 3 << 4;
        QTest::newRow("30 by 10, 1..25, back to 21") << 30 << 10 << 25 << 21 << 3 << 3;
        QTest::newRow("30 by 10, 1..25, back to 1") << 30 << 10 << 25 << 1 << 3 << 5;
        QTest::newRow("30 by 1") << 30 << 1 << 30 << 28 << 30 << 32;
        QTest::newRow("7 by 10") << 7 << 10 << 7 << 1 << 1 << 1;
        QTest::newRow("1000 by 1000") << 1000 << 1000 << 1000 << 1 << 1 << 1;
    }

    void recordCacheReads() {
        QFETCH(int, records);
        QFETCH(int, buffer);
        QFETCH(int, forwardTo);
        QFETCH(int, backTo);
        QFETCH(int, readsForward);
        QFETCH(int, readsTotal);
        makeNumbered(QStringLiteral("cache.dbf"), records);
        auto t = table(QStringLiteral("cache.dbf"));
        t->SetBufferRecords(buffer);
        t->Open();
        while (t->RecNo() < forwardTo)
            t->Next();
        QCOMPARE(t->FieldByName(QStringLiteral("CISLO"))->AsInteger(), forwardTo);
        QCOMPARE(int(t->FileReads()), readsForward);
        while (t->RecNo() > backTo)
            t->Prior();
        QCOMPARE(t->FieldByName(QStringLiteral("CISLO"))->AsInteger(), backTo);
        QCOMPARE(int(t->FileReads()), readsTotal);
    }

    void movement() {
        makeNumbered(QStringLiteral("move.dbf"), 5);
        auto t = table(QStringLiteral("move.dbf"));
        t->Open();
        QVERIFY(!t->Eof());
        QVERIFY(!t->IsSequenced());
        t->Last();
        QCOMPARE(t->RecNo(), 5);
        QVERIFY(t->Eof());
        t->Next();
        QCOMPARE(t->RecNo(), 5); // the cursor stays on the last record
        QCOMPARE(t->MoveBy(-3), -3);
        QCOMPARE(t->FieldByName(QStringLiteral("CISLO"))->AsInteger(), 2);
        TBookmark mark = t->GetBookmark();
        t->Last();
        QVERIFY(t->CompareBookmarks(mark, t->GetBookmark()) < 0);
        t->GotoBookmark(mark);
        QCOMPARE(t->RecNo(), 2);
        t->SetRecNo(4);
        QCOMPARE(t->RecNo(), 4);
        t->SetRecNo(99);
        QCOMPARE(t->RecNo(), 4);

        // A bookmark of a record deleted since does not move the cursor.
        t->SetRecNo(3);
        TBookmark gone = t->GetBookmark();
        t->Delete();
        QCOMPARE(t->RecNo(), 4);
        t->First();
        t->GotoBookmark(gone);
        QCOMPARE(t->RecNo(), 1);
    }

    void appendPostAndCancel() {
        makeAddresses(QStringLiteral("append.dbf"), {{"Brno", "1.0"}});
        QByteArray before = dbftest::read(path(QStringLiteral("append.dbf")));
        auto t = table(QStringLiteral("append.dbf"));
        t->SetExclusive(true);
        t->Open();
        QSignalSpy events(t.get(), &TDataSet::dataEvent);
        t->Append();
        QVERIFY(t->FieldByName(QStringLiteral("adresa"))->IsNull());
        t->FieldByName(QStringLiteral("adresa"))->SetAsString(QStringLiteral("Třebíč"));
        t->FieldByName(QStringLiteral("KS"))->SetAsFloat(2.5);
        t->FieldByName(QStringLiteral("DATUM"))->SetAsDateTime(QDateTime(QDate(2024, 2, 29), QTime(13, 5)));
        t->FieldByName(QStringLiteral("OK"))->SetAsBoolean(true);
        t->Post();
        QCOMPARE(t->RecNo(), 2);
        t->Append();
        t->FieldByName(QStringLiteral("adresa"))->SetAsString(QStringLiteral("zahozeny"));
        t->Cancel();
        QCOMPARE(t->RecNo(), 2);
        QCOMPARE(t->FieldByName(QStringLiteral("adresa"))->AsString(), QStringLiteral("Třebíč"));
        QVERIFY(events.count() > 0);
        t->Close();

        QByteArray after = dbftest::read(path(QStringLiteral("append.dbf")));
        const int header = 32 + 4 * 32 + 1, rec = 1 + 30 + 5 + 8 + 1;
        QCOMPARE(after.size(), header + 2 * rec + 1);
        QCOMPARE(dbftest::getU32(after, 4), 2u);
        QCOMPARE(after.mid(1, 3), before.mid(1, 3));
        QCOMPARE(after.mid(header + rec, rec),
                 QByteArray(" ") + cp1250::encode(u"Třebíč") + QByteArray(24, ' ') + "  2.520240229T");
        QCOMPARE(after.back(), char(0x1A));
    }

    void editRewritesInPlace() {
        makeAddresses(QStringLiteral("edit.dbf"), {{"a", "1.0"}, {"b", "2.0"}, {"c", "3.0"}});
        QByteArray before = dbftest::read(path(QStringLiteral("edit.dbf")));
        auto t = table(QStringLiteral("edit.dbf"));
        t->Open();
        t->Next();
        t->Edit();
        t->FieldByName(QStringLiteral("KS"))->SetAsString(QStringLiteral("12,5"));
        t->Post();
        t->Close();
        QByteArray after = dbftest::read(path(QStringLiteral("edit.dbf")));
        const int header = 32 + 4 * 32 + 1, rec = 45;
        QCOMPARE(after.size(), before.size());
        QCOMPARE(after.left(header + rec), before.left(header + rec));
        QCOMPARE(after.mid(header + rec + 31, 5), QByteArray(" 12.5"));
        QCOMPARE(after.mid(header + 2 * rec), before.mid(header + 2 * rec));

        // After a moved-away-and-back the cache shows the posted value, not the old one.
        t->Open();
        t->Next();
        t->Next();
        t->Prior();
        QCOMPARE(t->FieldByName(QStringLiteral("KS"))->AsFloat(), 12.5);
    }

    // Values set while browsing stay in the buffer until an Edit and Post of the same record;
    // moving away drops them.
    void settingFieldsWhileBrowsing() {
        QString p = makeAddresses(QStringLiteral("browse.dbf"), {{"Brno"}, {"Jihlava"}});
        QByteArray before = dbftest::read(p);
        auto t = table(QStringLiteral("browse.dbf"));
        t->Open();
        t->FieldByName(QStringLiteral("adresa"))->SetAsString(QStringLiteral("Olomouc"));
        QCOMPARE(t->State(), TDataSetState::dsBrowse);
        QVERIFY(t->Modified());
        QCOMPARE(t->FieldByName(QStringLiteral("adresa"))->AsString(), QStringLiteral("Olomouc"));
        QCOMPARE(dbftest::read(p), before);
        t->Next();
        t->Prior();
        QCOMPARE(t->FieldByName(QStringLiteral("adresa"))->AsString(), QStringLiteral("Brno"));

        t->FieldByName(QStringLiteral("adresa"))->SetAsString(QStringLiteral("Olomouc"));
        t->Edit();
        t->FieldByName(QStringLiteral("KS"))->SetAsInteger(4);
        t->Post();
        t->Close();
        t->Open();
        QCOMPARE(t->FieldByName(QStringLiteral("adresa"))->AsString(), QStringLiteral("Olomouc"));
        QCOMPARE(t->FieldByName(QStringLiteral("KS"))->AsInteger(), 4);

        // Cancel drops the browsing change as well.
        t->FieldByName(QStringLiteral("adresa"))->SetAsString(QStringLiteral("Zlín"));
        t->Edit();
        t->Cancel();
        QCOMPARE(t->FieldByName(QStringLiteral("adresa"))->AsString(), QStringLiteral("Olomouc"));

        // An empty table has no record to hold the value.
        makeAddresses(QStringLiteral("nothing.dbf"), {});
        auto empty = table(QStringLiteral("nothing.dbf"));
        empty->Open();
        QCOMPARE(messageOf(
                     [&] { empty->FieldByName(QStringLiteral("adresa"))->SetAsString(QStringLiteral("x")); }),
                 QStringLiteral("Dbf5: Dataset not in edit or insert mode"));
    }

    void deleteMarksAndMoves_data() {
        QTest::addColumn<int>("at");
        QTest::addColumn<int>("landsOn");
        QTest::newRow("first") << 1 << 2;
        QTest::newRow("middle") << 2 << 3;
        QTest::newRow("last moves back") << 3 << 2;
    }

    void deleteMarksAndMoves() {
        QFETCH(int, at);
        QFETCH(int, landsOn);
        QString p = makeNumbered(QStringLiteral("delete.dbf"), 3);
        auto t = table(QStringLiteral("delete.dbf"));
        t->Open();
        t->SetRecNo(at);
        t->Delete();
        QCOMPARE(t->RecNo(), landsOn);
        QCOMPARE(t->RecordCount(), 3);
        QByteArray b = dbftest::read(p);
        const int header = 32 + 32 + 1, rec = 7;
        for (int i = 1; i <= 3; ++i)
            QCOMPARE(b[header + (i - 1) * rec], i == at ? '*' : ' ');
        QCOMPARE(dbftest::getU32(b, 4), 3u);
        int visible = 0;
        for (t->First(); !t->Eof(); t->Next())
            ++visible;
        QCOMPARE(visible, 2);
    }

    void locate_data() {
        QTest::addColumn<QString>("fields");
        QTest::addColumn<QVariant>("values");
        QTest::addColumn<TLocateOptions>("options");
        QTest::addColumn<int>("found"); // record number, 0 for none
        const TLocateOptions none = 0, ci = loCaseInsensitive, partial = loPartialKey;
        QTest::newRow("whole text without trailing blanks") << "adresa" << QVariant("Brno") << none << 2;
        QTest::newRow("case differs") << "adresa" << QVariant("brno") << none << 0;
        QTest::newRow("case-insensitive") << "adresa" << QVariant("brno") << ci << 2;
        QTest::newRow("case-insensitive Czech") << "adresa" << QVariant("ČESKÝ KRUMLOV") << ci << 4;
        QTest::newRow("beginning is not whole") << "adresa" << QVariant("Brno-ven") << none << 0;
        QTest::newRow("pattern star") << "adresa" << QVariant("Brno*") << partial << 2;
        QTest::newRow("pattern star inside") << "adresa" << QVariant("*venkov") << partial << 3;
        QTest::newRow("pattern question mark") << "adresa" << QVariant("Br?o-venkov") << partial << 3;
        QTest::newRow("pattern without wildcard is whole")
            << "adresa" << QVariant("Brno-ven") << partial << 0;
        QTest::newRow("pattern case-insensitive") << "adresa" << QVariant("br*KOV") << (ci | partial) << 3;
        QTest::newRow("apostrophe matches") << "adresa" << QVariant("U Tří' lip") << none << 5;
        QTest::newRow("empty key finds an empty field") << "adresa" << QVariant("") << none << 6;
        QTest::newRow("number by value") << "KS" << QVariant(12.5) << none << 3;
        QTest::newRow("number as text") << "KS" << QVariant("12.5") << none << 3;
        QTest::newRow("number as Czech text") << "KS" << QVariant("12,5") << none << 3;
        QTest::newRow("integer key") << "KS" << QVariant(7) << none << 4;
        QTest::newRow("number not there") << "KS" << QVariant(99) << none << 0;
        QTest::newRow("date") << "DATUM" << QVariant(QDate(2012, 3, 15)) << none << 4;
        QTest::newRow("date as text") << "DATUM" << QVariant("15.3.2012") << none << 4;
        QTest::newRow("boolean") << "OK" << QVariant(true) << none << 3;
        QTest::newRow("two fields") << "adresa;KS" << QVariant(QVariantList{"Brno-venkov", 12.5}) << none
                                    << 3;
        QTest::newRow("two fields, one differs")
            << "adresa;KS" << QVariant(QVariantList{"Brno", 12.5}) << none << 0;
        QTest::newRow("unknown names are skipped")
            << "NIC;adresa" << QVariant(QVariantList{"Tábor"}) << none << 1;
        QTest::newRow("one value for two fields") << "adresa;KS" << QVariant("Brno") << none << 0;
        QTest::newRow("too few values") << "adresa;KS" << QVariant(QVariantList{"Brno"}) << none << 0;
        QTest::newRow("deleted records are not found") << "adresa" << QVariant("smazany") << none << 0;
    }

    void locate() {
        QFETCH(QString, fields);
        QFETCH(QVariant, values);
        QFETCH(TLocateOptions, options);
        QFETCH(int, found);
        makeAddresses(QStringLiteral("zadostad.dbf"),
                      {{"Tábor", "1.0", "20200101", "F"},
                       {"Brno", "2.0", "", "F"},
                       {"Brno-venkov", "12.5", "", "T"},
                       {"Český Krumlov", "7.0", "20120315"},
                       {"U Tří' lip", "3.0"},
                       {"", "4.0"},
                       {"smazany"}},
                      {7});
        auto t = table(QStringLiteral("zadostad.dbf"), QStringLiteral("DbfAd"));
        t->Open();
        t->SetRecNo(6);
        int before = 0, after = 0;
        t->BeforeScroll = [&](TDataSet&) { ++before; };
        t->AfterScroll = [&](TDataSet&) { ++after; };
        QCOMPARE(t->Locate(fields, values, options), found != 0);
        QCOMPARE(t->RecNo(), found != 0 ? found : 6);
        QCOMPARE(before, 1);
        QCOMPARE(after, found != 0 ? 1 : 0);
    }

    void locateScansFromTheFirstRecord() {
        makeAddresses(QStringLiteral("twice.dbf"), {{"Brno"}, {"Praha"}, {"Brno"}});
        auto t = table(QStringLiteral("twice.dbf"));
        t->Open();
        t->SetRecNo(3);
        QVERIFY(t->Locate(QStringLiteral("adresa"), QStringLiteral("Brno")));
        QCOMPARE(t->RecNo(), 1);
        QCOMPARE(t->Lookup(QStringLiteral("adresa"), QStringLiteral("Praha"), QStringLiteral("adresa;KS")),
                 QVariant(QVariantList{QStringLiteral("Praha"), QVariant()}));
        QCOMPARE(t->RecNo(), 2);
        QVERIFY(!t->Lookup(QStringLiteral("adresa"), QStringLiteral("praha"), QStringLiteral("adresa"))
                     .isValid());
        QCOMPARE(t->RecNo(), 2);
        // A key longer than 255 characters counts by its first 255.
        QString longKey = QStringLiteral("Brno") + QString(300, u'x');
        QVERIFY(!t->Locate(QStringLiteral("adresa"), longKey, loPartialKey));
        QVERIFY(t->Locate(QStringLiteral("adresa"), QStringLiteral("*") + QString(300, u'*'), loPartialKey));
    }

    void zapAndPackAsTheProgramCallsThem() {
        QString p = makeAddresses(QStringLiteral("zadost.dbf"), {{"1"}, {"2"}, {"3"}, {"4"}, {"5"}});
        auto t = table(QStringLiteral("zadost.dbf"));
        t->SetExclusive(true);
        t->Open();
        t->Zap();
        QVERIFY(t->Eof());
        QVERIFY(t->IsEmpty());
        t->Pack();
        t->Close();
        QCOMPARE(dbftest::read(p).size(), 32 + 4 * 32 + 1);
        t->Open();
        QVERIFY(t->IsEmpty());
        t->Append();
        t->FieldByName(QStringLiteral("adresa"))->SetAsString(QStringLiteral("novy"));
        t->Post();
        QCOMPARE(t->RecNo(), 1);
        QCOMPARE(dbftest::read(p).mid(161, 5), QByteArray(" novy"));
        t->Close();
        QCOMPARE(dbftest::read(p).size(), 32 + 4 * 32 + 1 + 45 + 1);
    }

    void packRepositionsTheCursor() {
        makeNumbered(QStringLiteral("pack.dbf"), 6);
        auto t = table(QStringLiteral("pack.dbf"));
        t->SetExclusive(true);
        t->Open();
        t->SetRecNo(2);
        t->Delete();
        t->SetRecNo(5);
        t->Delete(); // now on 6
        t->Pack();
        QCOMPARE(t->RecordCount(), 4);
        QCOMPARE(t->RecNo(), 1);
        // Editing after Pack writes the record the cursor shows, not the one that was at its number.
        t->Last();
        QCOMPARE(t->FieldByName(QStringLiteral("CISLO"))->AsInteger(), 6);
        t->Edit();
        t->FieldByName(QStringLiteral("CISLO"))->SetAsInteger(60);
        t->Post();
        QList<int> values;
        for (t->First(); !t->Eof(); t->Next())
            values << t->FieldByName(QStringLiteral("CISLO"))->AsInteger();
        QCOMPARE(values, (QList<int>{1, 3, 4, 60}));
    }

    void zapAndPackRefusals() {
        makeAddresses(QStringLiteral("cenik.dbf"), {{"a"}});
        auto shared = table(QStringLiteral("cenik.dbf"), QStringLiteral("DsDbfTable33"));
        QCOMPARE(messageOf([&] { shared->Pack(); }), QStringLiteral("Invalid handle"));
        shared->Zap(); // closed: nothing
        shared->Open();
        QCOMPARE(messageOf([&] { shared->Zap(); }), QStringLiteral("Table is busy"));
        QCOMPARE(messageOf([&] { shared->Pack(); }), QStringLiteral("Table is busy"));
        QVERIFY(shared->Active());

        // A second shared reader is welcome, an exclusive opener is not.
        auto reader = table(QStringLiteral("cenik.dbf"), QStringLiteral("DsDbfTable34"));
        reader->Open();
        auto writer = table(QStringLiteral("cenik.dbf"), QStringLiteral("DsDbfTable1"));
        writer->SetExclusive(true);
        QCOMPARE(messageOf([&] { writer->Open(); }), QStringLiteral("Cannot open file"));
        QVERIFY(!writer->Active());
        writer->SetFieldDefs({{QStringLiteral("A"), ftString, 3}});
        QCOMPARE(messageOf([&] { writer->CreateTable(); }), QStringLiteral("Cannot open file"));
    }

    void rewritingATableFromDefinitions() {
        QString p = makeAddresses(QStringLiteral("cenik2.dbf"), {{"stary"}});
        auto t = table(QStringLiteral("cenik2.dbf"), QStringLiteral("DsDbfTable1"));
        t->SetFieldDefs({{QStringLiteral("DRUH"), ftString, 28},
                         {QStringLiteral("NC"), ftFloat},
                         {QStringLiteral("KOD"), ftInteger}});
        t->SetExclusive(true);
        t->CreateTable();
        QVERIFY(!t->Active());
        t->Open();
        QVERIFY(t->IsEmpty());
        QCOMPARE(t->FieldNames(), (QStringList{"DRUH", "NC", "KOD"}));
        QCOMPARE(t->FieldDefs()[1].DataType, ftFloat);
        for (int i = 0; i < 3; ++i) {
            t->Append();
            t->FieldByName(QStringLiteral("DRUH"))->SetAsString(QStringLiteral("Pšenice ozimá %1").arg(i));
            t->FieldByName(QStringLiteral("NC"))->SetAsFloat(12.5 * i);
            t->FieldByName(QStringLiteral("KOD"))->SetAsInteger(-i);
            t->Post();
        }
        t->Close();
        QByteArray b = dbftest::read(p);
        QCOMPARE(dbftest::getU32(b, 4), 3u);
        t->Open();
        t->Last();
        QCOMPARE(t->FieldByName(QStringLiteral("DRUH"))->AsString(), QStringLiteral("Pšenice ozimá 2"));
        QCOMPARE(t->FieldByName(QStringLiteral("NC"))->AsFloat(), 25.0);
        QCOMPARE(t->FieldByName(QStringLiteral("KOD"))->AsInteger(), -2);
    }

    // Two openers that share a writable table take turns: "A+x" appends x through opener A,
    // "B-1" makes opener B delete record 1. The file must hold every record and the true count.
    void sharedWritersTakeTurns_data() {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QStringList>("records"); // in file order, '*' before a deleted one
        QTest::newRow("appends in turn") << "A+jedna B+dva A+tri" << QStringList{"jedna", "dva", "tri"};
        QTest::newRow("second opener appends twice")
            << "A+jedna B+dva B+tri A+ctyri" << QStringList{"jedna", "dva", "tri", "ctyri"};
        QTest::newRow("delete after the other's append")
            << "A+jedna B+dva A+tri B-1" << QStringList{"*jedna", "dva", "tri"};
        QTest::newRow("append after the other's delete")
            << "A+jedna A-1 B+dva A+tri" << QStringList{"*jedna", "dva", "tri"};
    }

    void sharedWritersTakeTurns() {
        QFETCH(QString, steps);
        QFETCH(QStringList, records);
        const QString p = makeAddresses(QStringLiteral("sdilena.dbf"), {});
        std::map<QChar, std::unique_ptr<TDsDbfTable>> openers;
        for (QChar who : {u'A', u'B'}) {
            openers[who] = table(QStringLiteral("sdilena.dbf"), QStringLiteral("Dbf") + who);
            openers[who]->Open();
        }
        for (const QString& step : steps.split(u' ')) {
            TDsDbfTable& t = *openers[step[0]];
            if (step[1] == u'+') {
                t.Append();
                t.FieldByName(QStringLiteral("adresa"))->SetAsString(step.mid(2));
                t.Post();
            } else {
                t.SetRecNo(step.mid(2).toInt());
                t.Delete();
            }
        }
        openers.clear();
        const QByteArray b = dbftest::read(p);
        const int headerLength = dbftest::getU16(b, 8), recordLength = dbftest::getU16(b, 10);
        QCOMPARE(dbftest::getU32(b, 4), std::uint32_t(records.size()));
        QCOMPARE(b.size(), headerLength + records.size() * recordLength + 1);
        QCOMPARE(b.back(), char(0x1A));
        for (int i = 0; i < records.size(); ++i) {
            const QByteArray r = b.mid(headerLength + i * recordLength, recordLength);
            const bool deleted = records[i].startsWith(u'*');
            QCOMPARE(r[0], deleted ? '*' : ' ');
            QCOMPARE(r.mid(1, 30).trimmed(), records[i].mid(deleted ? 1 : 0).toLatin1());
        }
    }

    // A table copied from Windows may carry its name in any case: it is opened and replaced under
    // that name; a table that does not exist yet is created with the name as given.
    void fileNameCase_data() {
        QTest::addColumn<QString>("onDisk");
        QTest::addColumn<QString>("tableName");
        QTest::addColumn<QString>("afterCreate");
        QTest::newRow("upper case on disk") << "CENIK.DBF"
                                            << "cenik.dbf"
                                            << "CENIK.DBF";
        QTest::newRow("mixed case asked") << "cenik.dbf"
                                          << "Cenik.DBF"
                                          << "cenik.dbf";
        QTest::newRow("new table") << QString() << "Nova.dbf"
                                   << "Nova.dbf";
    }

    void fileNameCase() {
        QFETCH(QString, onDisk);
        QFETCH(QString, tableName);
        QFETCH(QString, afterCreate);
        QTemporaryDir dir;
        m_db->SetDatabaseName(dir.path());
        if (!onDisk.isEmpty()) {
            Layout l;
            l.Fields = {{"DRUH", 'C', 5}};
            l.Records << dbftest::record(l, {"Oves"});
            QVERIFY(dbftest::write(dir.filePath(onDisk), dbftest::build(l)));
            auto t = table(tableName);
            t->Open();
            QCOMPARE(t->RecordCount(), 1);
            QCOMPARE(t->FieldByName(QStringLiteral("DRUH"))->AsString(), QStringLiteral("Oves"));
        }
        auto t = table(tableName);
        t->SetFieldDefs({{QStringLiteral("NAZEV"), ftString, 8}});
        t->CreateTable();
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{afterCreate});
        t->Open();
        QCOMPARE(t->FieldNames(), QStringList{QStringLiteral("NAZEV")});
        QCOMPARE(t->RecordCount(), 0);
    }

    void invalidFilterIsRefused() {
        makeAddresses(QStringLiteral("filter.dbf"), {{"a"}});
        auto t = table(QStringLiteral("filter.dbf"));
        t->Open();
        t->SetFilter(QStringLiteral("adresa='a' AND"));
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, t->SetFiltered(true));
        QVERIFY(!t->Filtered());
        t->Close();
        t->SetFiltered(true);
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, t->Open());
        QVERIFY(!t->Active());
    }

    void codePageChangesAtOnce() {
        makeAddresses(QStringLiteral("cp.dbf"), {{"Šek"}});
        auto t = table(QStringLiteral("cp.dbf"));
        t->Open();
        QCOMPARE(t->FieldByName(QStringLiteral("adresa"))->AsString(), QStringLiteral("Šek"));
        t->SetCodePage(WEurope_ANSI);
        QCOMPARE(t->CodePage(), WEurope_ANSI);
        QCOMPARE(t->FieldByName(QStringLiteral("adresa"))->AsString(), QStringLiteral("Šek"));
    }
};

QTEST_GUILESS_MAIN(TestDbfTable)
#include "tst_dbf_table.moc"
