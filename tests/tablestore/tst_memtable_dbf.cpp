// The memory table as the carrier the program uses it for: rewriting a dBase table from it
// (FieldDefs, CreateTable, SaveRecords) and loading a dBase table into it.
#include "tablestore/DsDbfTable.h"
#include "tablestore/DsMemTable.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace kvor;
using namespace Qt::StringLiterals;

namespace {

TFieldDef def(const QString& name, TFieldType type, int size = 0) {
    TFieldDef d;
    d.Name = name;
    d.DataType = type;
    d.Size = size;
    return d;
}

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

} // namespace

class TestMemTableDbf : public QObject {
    Q_OBJECT
private slots:
    void init();
    void rewriteTableAndLoadBack_data();
    void rewriteTableAndLoadBack();

private:
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

QTEST_GUILESS_MAIN(TestMemTableDbf)
#include "tst_memtable_dbf.moc"
