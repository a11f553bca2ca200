// The memory table as the carrier the program uses it for: rewriting a dBase table from it
// (FieldDefs, CreateTable, SaveRecords) and loading a dBase table into it.
#include "FieldDef.h"
#include "tablestore/DsDbfTable.h"
#include "tablestore/DsMemTable.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <limits>

using namespace kvor;
using namespace Qt::StringLiterals;

namespace {

using fieldtest::def;

// Every record from the first, fields separated by "|", records by "/".
QString dump(TDataSet& t) {
    QStringList records;
    for (t.First(); !t.Eof(); t.Next()) {
        QStringList values;
        for (int i = 0; i < t.FieldCount(); ++i)
            values << t.Fields(i)->AsString();
        records << values.join(u'|');
    }
    return records.join(u'/');
}

// The file without its creation date, which differs between tables made on different days.
QByteArray fileWithoutDate(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return QByteArray();
    QByteArray bytes = f.readAll();
    if (bytes.size() >= 4) bytes.replace(1, 3, "   ");
    return bytes;
}

// Every value of every record as dbfread, an independent reader, gives it: Python's str of the
// value ("None" for null), fields separated by "|", one record a line.
QStringList dbfreadRows(const QString& path) {
    QProcess python;
    python.start(QStringLiteral(KVOR_SYSTEM_PYTHON),
                 {u"-c"_s,
                  u"import dbfread, sys\n"
                  "for r in dbfread.DBF(sys.argv[1], encoding='cp1250'):\n"
                  "    print('|'.join(str(v) for v in r.values()))"_s,
                  path});
    if (!python.waitForFinished(60000) || python.exitCode() != 0) {
        qWarning("dbfread: %s", python.readAllStandardError().constData());
        return {u"dbfread failed"_s};
    }
    return QString::fromUtf8(python.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
}

} // namespace

class TestMemTableDbf : public QObject {
    Q_OBJECT
private slots:
    void init();
    void rewriteTableAndLoadBack_data();
    void rewriteTableAndLoadBack();
    void everyWayOfSavingGivesTheSameFile_data();
    void everyWayOfSavingGivesTheSameFile();
    void wideWholeNumbersKeepEveryDigit_data();
    void wideWholeNumbersKeepEveryDigit();

private:
    // A table of the test folder, not yet open.
    void prepare(TDsDbfTable& dbf, TDsDatabase& db, const QString& name) {
        db.SetDatabaseName(m_dir->path());
        dbf.SetName(u"DsDbfTable1"_s);
        dbf.SetDatabase(&db);
        dbf.SetTableName(name);
    }

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestMemTableDbf::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestMemTableDbf::rewriteTableAndLoadBack_data() {
    QTest::addColumn<int>("oldRecords"); // records the file held before it is created anew
    QTest::addColumn<bool>("sourceOpen");
    QTest::newRow("new file, closed source") << 0 << false;
    QTest::newRow("replaced file, open source") << 5 << true;
}

void TestMemTableDbf::rewriteTableAndLoadBack() {
    QFETCH(int, oldRecords);
    QFETCH(bool, sourceOpen);
    TDsDatabase db;
    db.SetName(u"DsDatabase1"_s);
    db.SetDatabaseName(m_dir->path());
    TDsDbfTable dbf;
    dbf.SetName(u"DsDbfTable1"_s);
    dbf.SetDatabase(&db);
    dbf.SetTableName(u"cenik.dbf"_s);

    if (oldRecords > 0) {
        dbf.SetFieldDefs({def(u"STARE"_s, ftString, 5)});
        dbf.SetExclusive(true);
        dbf.CreateTable();
        dbf.Open();
        for (int i = 0; i < oldRecords; ++i) {
            dbf.Append();
            dbf.FieldByName(u"STARE"_s)->SetAsString(u"x"_s);
            dbf.Post();
        }
        dbf.Close();
    }

    TDsMemTable mem;
    mem.SetName(u"DsMemTable1"_s);
    mem.SetFieldDefs({def(u"NAZEVOSIVA"_s, ftString, 30), def(u"DRUH"_s, ftString, 4),
                      def(u"CENA"_s, ftFloat), def(u"POCET"_s, ftInteger), def(u"DATUM"_s, ftDate),
                      def(u"PLATI"_s, ftBoolean)});
    mem.Open();
    const QList<QVariantList> rows = {
        {u"Pšenice ozimá Žitná"_s, u"1"_s, 12.5, 3, QDate(2024, 2, 1), true},
        {u"Ječmen jarní"_s, QVariant(), QVariant(), QVariant(), QVariant(), false},
        {u"Oves"_s, u"84"_s, -0.25, -7, QDate(1999, 12, 31), QVariant()},
    };
    for (const QVariantList& row : rows) {
        mem.Append();
        for (int i = 0; i < row.size(); ++i)
            if (row[i].isValid()) mem.Fields(i)->SetValue(row[i]);
        mem.Post();
    }
    const QString expected = dump(mem);

    // The program's way of rewriting a table from a memory table.
    dbf.SetFieldDefs(mem.FieldDefs());
    dbf.SetExclusive(true);
    dbf.CreateTable();
    QCOMPARE(mem.SaveRecords(dbf, 0), rows.size());
    QVERIFY(dbf.Active());
    QCOMPARE(dbf.RecNo(), 1);
    QCOMPARE(dbf.RecordCount(), rows.size());
    dbf.Close();

    if (sourceOpen) dbf.Open();
    TDsMemTable back;
    QCOMPARE(back.LoadRecords(dbf, 0, false), rows.size());
    QCOMPARE(dbf.Active(), sourceOpen);
    QCOMPARE(back.FieldNames(), mem.FieldNames());
    QCOMPARE(dump(back), expected);

    // Back in memory the records sort like any others.
    back.SortByFields(u"NAZEVOSIVA"_s);
    back.First();
    QCOMPARE(back.FieldByName(u"NAZEVOSIVA"_s)->AsString(), u"Ječmen jarní"_s);
}

// A table just created takes the memory table's records straight into its file; with an event
// on its post road, or reopened, or shared, it takes them one Append and Post at a time. The
// files must not differ by a byte, whatever the values: nulls, empty and too long text, text into
// a number field, whole numbers wider than a double.
void TestMemTableDbf::everyWayOfSavingGivesTheSameFile_data() {
    QTest::addColumn<int>("records");
    QTest::newRow("none") << 0;
    QTest::newRow("one") << 1;
    QTest::newRow("more than a block") << 3000;
}

void TestMemTableDbf::everyWayOfSavingGivesTheSameFile() {
    QFETCH(int, records);
    TFieldDef wide = def(u"VELKE"_s, ftBCD);
    wide.Precision = 20;
    TDsMemTable mem;
    mem.SetFieldDefs({def(u"NAZEV"_s, ftString, 40), def(u"NC"_s, ftFloat), def(u"KS"_s, ftInteger), wide,
                      def(u"DATUM"_s, ftDate), def(u"OK"_s, ftBoolean), def(u"KOD"_s, ftString, 5)});
    mem.Open();
    for (int i = 1; i <= records; ++i) {
        mem.Append();
        mem.Fields(0)->SetAsString(i % 11 == 0 ? QString() : u"Pšenice ozimá Žitná %1"_s.arg(i));
        if (i % 7 != 0) {
            mem.Fields(1)->SetAsFloat(i * 0.125 - 50.0);
            mem.Fields(2)->SetAsInteger(i % 3 == 0 ? -i : i);
            mem.Fields(3)->SetValue(i % 2 ? QVariant(quint64(18446744073709551615u) - quint64(i))
                                          : QVariant(qint64(-9007199254740993) - i));
            mem.Fields(4)->SetValue(QDate(2012, 3, 15).addDays(i));
            mem.Fields(5)->SetAsBoolean(i % 2 == 0);
            mem.Fields(6)->SetValue(i % 5 == 0 ? QVariant(i) : QVariant(u"dlouhý kód %1"_s.arg(i)));
        }
        mem.Post();
    }

    enum Way { Direct, WithEvent, Reopened, Shared };
    const QStringList names = {u"direct.dbf"_s, u"event.dbf"_s, u"reopened.dbf"_s, u"shared.dbf"_s};
    for (Way way : {Direct, WithEvent, Reopened, Shared}) {
        TDsDatabase db;
        TDsDbfTable dbf;
        prepare(dbf, db, names[way]);
        dbf.SetFieldDefs(mem.FieldDefs());
        dbf.SetExclusive(true);
        dbf.CreateTable();
        int posted = 0;
        if (way == WithEvent) dbf.AfterPost = [&posted](TDataSet&) { ++posted; };
        if (way == Reopened || way == Shared) {
            dbf.SetExclusive(way == Reopened);
            dbf.Open();
            dbf.Close();
        }
        dbf.Open();
        QList<TField*> fields;
        for (int i = 0; i < dbf.FieldCount(); ++i)
            fields << dbf.Fields(i);
        QCOMPARE(dbf.RecordAppender(fields) != nullptr, way == Direct);
        QCOMPARE(mem.SaveRecords(dbf, 0), records);
        QCOMPARE(dbf.RecordCount(), records);
        if (way == WithEvent) QCOMPARE(posted, records);
        dbf.Close();
    }
    const QByteArray expected = fileWithoutDate(m_dir->filePath(names[Shared]));
    QVERIFY(!expected.isEmpty());
    for (Way way : {Direct, WithEvent, Reopened})
        QVERIFY2(fileWithoutDate(m_dir->filePath(names[way])) == expected, qPrintable(names[way]));
}

// Whole numbers of up to 20 digits, as the code lists bring them from BIGINT columns, reach the
// file digit for digit (dbfread, an independent reader, says so) and come back the same.
void TestMemTableDbf::wideWholeNumbersKeepEveryDigit_data() {
    QTest::addColumn<bool>("direct");
    QTest::newRow("into a new table") << true;
    QTest::newRow("one record at a time") << false;
}

void TestMemTableDbf::wideWholeNumbersKeepEveryDigit() {
    QFETCH(bool, direct);
    const QList<QVariant> values = {qint64(9007199254740993),
                                    qint64(-9007199254740993),
                                    qint64(1234567890123456789),
                                    std::numeric_limits<qint64>::max(),
                                    std::numeric_limits<qint64>::min(),
                                    std::numeric_limits<quint64>::max(),
                                    u"12345678901234567891"_s,
                                    qint64(42),
                                    qint64(-7),
                                    QVariant()};
    const QStringList digits = {u"9007199254740993"_s,
                                u"-9007199254740993"_s,
                                u"1234567890123456789"_s,
                                u"9223372036854775807"_s,
                                u"-9223372036854775808"_s,
                                u"18446744073709551615"_s,
                                u"12345678901234567891"_s,
                                u"42"_s,
                                u"-7"_s,
                                QString()};
    TFieldDef wide = def(u"VELKE"_s, ftBCD);
    wide.Precision = 20;
    TDsMemTable mem;
    mem.SetFieldDefs({def(u"KOD"_s, ftString, 2), wide});
    mem.Open();
    for (qsizetype i = 0; i < values.size(); ++i) {
        mem.Append();
        mem.Fields(0)->SetAsString(QString::number(i));
        mem.Fields(1)->SetValue(values[i]);
        mem.Post();
    }
    TDsDatabase db;
    TDsDbfTable dbf;
    prepare(dbf, db, u"velke.dbf"_s);
    dbf.SetFieldDefs(mem.FieldDefs());
    dbf.SetExclusive(true);
    dbf.CreateTable();
    if (!direct) dbf.AfterPost = [](TDataSet&) {};
    QCOMPARE(mem.SaveRecords(dbf, 0), values.size());
    dbf.Close();

    QStringList expected;
    for (qsizetype i = 0; i < values.size(); ++i)
        expected << u"%1|%2"_s.arg(i).arg(digits[i].isEmpty() ? u"None"_s : digits[i]);
    QCOMPARE(dbfreadRows(dbf.TablePath()), expected);

    TDsMemTable back;
    QCOMPARE(back.LoadRecords(dbf, 0, false), values.size());
    int i = 0;
    for (back.First(); !back.Eof(); back.Next(), ++i)
        QCOMPARE(back.FieldByName(u"VELKE"_s)->AsString(), digits[i]);
    QVERIFY(back.Locate(u"KOD"_s, u"4"_s));
    QCOMPARE(back.FieldByName(u"VELKE"_s)->AsLargeInt(), std::numeric_limits<qint64>::min());
}

QTEST_GUILESS_MAIN(TestMemTableDbf)
#include "tst_memtable_dbf.moc"
