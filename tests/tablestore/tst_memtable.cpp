// The memory table: identifiers and autoincrement values, insert and delete positions, structure
// copies, loading and saving between datasets, sorting, locating and the record filter event.
#include "FieldDef.h"
#include "tablestore/DsMemTable.h"

#include <QSignalSpy>
#include <QtEndian>
#include <QtTest>

using namespace kvor;
using namespace Qt::StringLiterals;

namespace {

using fieldtest::def;

void append(TDataSet& t, const QList<QVariantList>& rows) {
    for (const QVariantList& row : rows) {
        t.Append();
        for (int i = 0; i < row.size(); ++i)
            if (row[i].isValid()) t.Fields(i)->SetValue(row[i]);
        t.Post();
    }
    t.First();
}

// Opens t with the given fields and appends the rows (an invalid QVariant leaves a field null).
// A persistent table gets its rows again whenever it opens, like a table over a file.
void load(TDsMemTable& t, const TFieldDefs& defs, const QList<QVariantList>& rows, bool persistent = false) {
    if (t.Name().isEmpty()) t.SetName(u"Mem"_s);
    t.Close();
    t.SetFieldDefs(defs);
    if (persistent) t.AfterOpen = [rows](TDataSet& ds) { append(ds, rows); };
    t.Open();
    if (!persistent) append(t, rows);
}

// NAZEV r1..rN, CISLO 1..N.
void names(TDsMemTable& t, int rows, bool persistent = false) {
    QList<QVariantList> data;
    for (int i = 1; i <= rows; ++i)
        data << QVariantList{u"r%1"_s.arg(i), i};
    load(t, {def(u"NAZEV"_s, ftString, 20), def(u"CISLO"_s, ftInteger)}, data, persistent);
}

// The values of one field over the visible records, from the first; the cursor ends past the last.
QString column(TDataSet& t, const QString& field = u"NAZEV"_s) {
    QStringList values;
    for (t.First(); !t.Eof(); t.Next())
        values << t.FieldByName(field)->AsString();
    return values.join(u' ');
}

int idOf(const TDataSet& t) {
    TBookmark b = t.GetBookmark();
    return b.size() == 4 ? int(qFromBigEndian<quint32>(b.constData())) : 0;
}

QString errorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const EDatabaseError& e) {
        return e.message();
    }
    return QString();
}

} // namespace

class TestMemTable : public QObject {
    Q_OBJECT
private slots:
    void identifiers_data();
    void identifiers();
    void autoIncrement();
    void insertPosition_data();
    void insertPosition();
    void setRecNo_data();
    void setRecNo();
    void capacity();
    void copyStructure();
    void loadRecords_data();
    void loadRecords();
    void loadEmptySource();
    void loadConversionFailureKeepsEarlierRecords();
    void saveRecords_data();
    void saveRecords();
    void saveFailureWritesNoHalfRecord();
    void sort_data();
    void sort();
    void sortKeepsCurrentAndRefusesUnsuitableFields();
    void locate_data();
    void locate();
    void filterEvent();
};

void TestMemTable::identifiers_data() {
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("deletes"); // from the last record backwards
    QTest::addColumn<bool>("reopen");
    QTest::addColumn<int>("newId");
    QTest::newRow("deleting the only record restarts") << 1 << 1 << false << 1;
    QTest::newRow("deleting all records restarts") << 3 << 3 << false << 1;
    QTest::newRow("deleted identifier is not reused") << 3 << 1 << false << 4;
    QTest::newRow("reopening restarts") << 3 << 0 << true << 1;
}

void TestMemTable::identifiers() {
    QFETCH(int, deletes);
    TMemoryRecord probe(7, {});
    QCOMPARE(probe.Id(), 7);
    TDsMemTable t;
    QFETCH(int, rows);
    names(t, rows);
    for (int i = 0; i < deletes; ++i) {
        t.Last();
        t.Delete();
    }
    QFETCH(bool, reopen);
    if (reopen) {
        t.Close();
        t.Open();
    }
    t.Append();
    t.FieldByName(u"NAZEV"_s)->SetAsString(u"new"_s);
    t.Post();
    QFETCH(int, newId);
    QCOMPARE(idOf(t), newId);
}

void TestMemTable::autoIncrement() {
    TDsMemTable t;
    load(t, {def(u"ID"_s, ftAutoInc, 0, true), def(u"NAZEV"_s, ftString, 10)},
         {{QVariant(), u"a"_s}, {QVariant(), u"b"_s}});
    QCOMPARE(column(t, u"ID"_s), u"1 2"_s);
    t.Edit();
    QCOMPARE(errorOf([&] { t.FieldByName(u"ID"_s)->SetAsInteger(9); }), u"Field 'ID' cannot be modified"_s);
    t.Cancel();
    // Emptying the table restarts the identifiers but not the autoincrement values.
    while (!t.IsEmpty())
        t.Delete();
    t.Append();
    t.Post();
    QCOMPARE(t.FieldByName(u"ID"_s)->AsInteger(), 3);
    QCOMPARE(idOf(t), 1);
    t.Close();
    t.Open();
    t.Append();
    t.Post();
    QCOMPARE(t.FieldByName(u"ID"_s)->AsInteger(), 1);
}

void TestMemTable::insertPosition_data() {
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("at");
    QTest::addColumn<bool>("append");
    QTest::addColumn<QString>("order");
    QTest::addColumn<int>("recNo");
    QTest::newRow("insert before current") << 3 << 2 << false << "r1 x r2 r3" << 2;
    QTest::newRow("insert before first") << 3 << 1 << false << "x r1 r2 r3" << 1;
    QTest::newRow("insert into empty") << 0 << 1 << false << "x" << 1;
    QTest::newRow("append goes last") << 3 << 1 << true << "r1 r2 r3 x" << 4;
}

void TestMemTable::insertPosition() {
    TDsMemTable t;
    QFETCH(int, rows);
    names(t, rows);
    QFETCH(int, at);
    t.SetRecNo(at);
    QFETCH(bool, append);
    append ? t.Append() : t.Insert();
    t.FieldByName(u"NAZEV"_s)->SetAsString(u"x"_s);
    t.Post();
    QFETCH(int, recNo);
    QCOMPARE(t.RecNo(), recNo);
    QCOMPARE(t.FieldByName(u"NAZEV"_s)->AsString(), u"x"_s);
    QFETCH(QString, order);
    QCOMPARE(column(t), order);
}

void TestMemTable::setRecNo_data() {
    QTest::addColumn<int>("recNo");
    QTest::addColumn<int>("expected");
    QTest::newRow("first") << 1 << 1;
    QTest::newRow("last") << 3 << 3;
    QTest::newRow("zero ignored") << 0 << 2;
    QTest::newRow("past end ignored") << 4 << 2;
}

void TestMemTable::setRecNo() {
    TDsMemTable t;
    names(t, 3);
    t.Next();
    QFETCH(int, recNo);
    t.SetRecNo(recNo);
    QFETCH(int, expected);
    QCOMPARE(t.RecNo(), expected);
    QCOMPARE(t.FieldByName(u"CISLO"_s)->AsInteger(), expected);
    QVERIFY(t.IsSequenced());
}

void TestMemTable::capacity() {
    TDsMemTable t;
    names(t, 3);
    t.SetCapacity(100);
    QVERIFY(t.Capacity() >= 100);
    t.SetCapacity(-1);
    QVERIFY(t.Capacity() >= 100);
    t.SetCapacity(0);
    QVERIFY(t.Capacity() >= 3);
    QCOMPARE(column(t), u"r1 r2 r3"_s);
}

void TestMemTable::copyStructure() {
    TDsMemTable source, t;
    source.SetFieldDefs({def(u"A"_s, ftString, 5), def(u"K"_s, ftCursor), def(u"T"_s, ftTimeStamp),
                         def(u"M"_s, ftMemo), def(u"B"_s, ftFMTBcd)});
    t.SetName(u"Mem2"_s);
    t.CopyStructureFrom(&source);
    QCOMPARE(t.FieldNames(), (QStringList{u"A"_s, u"M"_s}));
    // Fields handed out before opening stay the fields of the open table.
    TField* a = t.FieldByName(u"A"_s);
    t.Open();
    QCOMPARE(t.FieldByName(u"A"_s), a);
    QCOMPARE(errorOf([&] { t.CopyStructureFrom(&source); }),
             u"Mem2: Cannot perform this operation on an open dataset"_s);
    t.Close();
    t.SetFieldDefs(source.FieldDefs());
    QCOMPARE(errorOf([&] { t.Open(); }), u"Field 'K' is of an unknown type"_s);
    QVERIFY(!t.Active());
}

void TestMemTable::loadRecords_data() {
    QTest::addColumn<bool>("sourceOpen");
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("loaded");
    // An open source stands on its second record.
    QTest::newRow("open, all from first") << true << 0 << "r1 r2 r3";
    QTest::newRow("closed, all") << false << 0 << "r1 r2 r3";
    QTest::newRow("open, two from current") << true << 2 << "r2 r3";
    QTest::newRow("open, more than there are") << true << 5 << "r2 r3";
    QTest::newRow("closed, one from first") << false << 1 << "r1";
}

void TestMemTable::loadRecords() {
    QFETCH(bool, sourceOpen);
    QFETCH(QString, loaded);
    TDsMemTable source, t;
    names(source, 3, true);
    if (sourceOpen)
        source.Next();
    else
        source.Close();
    // Whatever the table held before is replaced, structure included.
    load(t, {def(u"X"_s, ftFloat)}, {{1.5}});
    t.SortByFields(u"X"_s);
    QSignalSpy spy(&t, &TDataSet::dataEvent);

    QFETCH(int, count);
    int copied = t.LoadRecords(source, count);
    QCOMPARE(copied, int(loaded.count(u' ')) + 1);
    QCOMPARE(source.Active(), sourceOpen);
    QCOMPARE(t.FieldNames(), (QStringList{u"NAZEV"_s, u"CISLO"_s}));
    QVERIFY(t.SortFields().isEmpty());
    QCOMPARE(t.RecNo(), 1);
    QCOMPARE(spy.count(), 1); // bound controls hear of it once, at the end
    QCOMPARE(column(t), loaded);
}

void TestMemTable::loadEmptySource() {
    TDsMemTable source, t, other;
    names(source, 0);
    QCOMPARE(t.LoadRecords(source), 0);
    QVERIFY(t.Active() && t.IsEmpty() && t.Eof());
    QCOMPARE(t.FieldNames(), source.FieldNames());
    QCOMPARE(t.SaveRecords(other), 0);
    QCOMPARE(t.LoadRecords(t), 0);
}

void TestMemTable::loadConversionFailureKeepsEarlierRecords() {
    TDsMemTable source, t;
    load(source, {def(u"CENA"_s, ftString, 10)}, {{u"1,5"_s}, {u"2,25"_s}, {u"abc"_s}, {u"4"_s}}, true);
    source.Close();
    load(t, {def(u"CENA"_s, ftFloat)}, {{0.5}});
    QVERIFY_THROWS_EXCEPTION(EConvertError, t.LoadRecords(source, 0, true));
    QCOMPARE(t.State(), TDataSetState::dsBrowse);
    QCOMPARE(t.RecNo(), 1);
    QCOMPARE(column(t, u"CENA"_s), u"0,5 1,5 2,25"_s);
    QVERIFY(!source.Active());
}

void TestMemTable::saveRecords_data() {
    QTest::addColumn<int>("count");
    QTest::addColumn<bool>("destinationOpen");
    QTest::addColumn<QString>("saved");
    // The memory table stands on its second record; the destination holds "d1" already.
    QTest::newRow("all, after existing records") << 0 << true << "d1 r1 r2 r3";
    QTest::newRow("closed destination is opened") << 0 << false << "d1 r1 r2 r3";
    QTest::newRow("two from current") << 2 << true << "d1 r2 r3";
}

void TestMemTable::saveRecords() {
    QFETCH(QString, saved);
    TDsMemTable t, dest;
    names(t, 3);
    t.Next();
    load(dest, {def(u"POZN"_s, ftString, 5), def(u"nazev"_s, ftString, 10)}, {{u"p"_s, u"d1"_s}}, true);
    QFETCH(bool, destinationOpen);
    if (destinationOpen)
        dest.Last();
    else
        dest.Close();
    QFETCH(int, count);
    int copied = t.SaveRecords(dest, count);
    QCOMPARE(copied, int(saved.count(u' ')));
    QCOMPARE(dest.RecNo(), 1);
    QCOMPARE(column(dest), saved);
    QCOMPARE(column(dest, u"POZN"_s), u"p"_s + QString(copied, u' ')); // no namesake: stays null
    QCOMPARE(t.SaveRecords(t), 0);
}

void TestMemTable::saveFailureWritesNoHalfRecord() {
    TDsMemTable t, dest;
    load(t, {def(u"NAZEV"_s, ftString, 5), def(u"CENA"_s, ftString, 5)},
         {{u"a"_s, u"1"_s}, {u"b"_s, u"x"_s}, {u"c"_s, u"3"_s}});
    load(dest, {def(u"NAZEV"_s, ftString, 5), def(u"CENA"_s, ftFloat)}, {});
    QVERIFY_THROWS_EXCEPTION(EConvertError, t.SaveRecords(dest));
    QCOMPARE(dest.State(), TDataSetState::dsBrowse);
    QCOMPARE(column(dest), u"a"_s);
}

void TestMemTable::sort_data() {
    QTest::addColumn<QStringList>("values"); // "~" is null
    QTest::addColumn<bool>("caseInsensitive");
    QTest::addColumn<bool>("descending");
    QTest::addColumn<QString>("order"); // loading positions, 1-based
    QTest::newRow("Czech collation") << QStringList{u"hrad"_s, u"chata"_s, u"cukr"_s, u"čaj"_s} << false
                                     << false << "3 4 1 2";
    QTest::newRow("nulls first") << QStringList{u"b"_s, u"~"_s, u"a"_s} << false << false << "2 3 1";
    QTest::newRow("equal keys keep loading order")
        << QStringList{u"x"_s, u"a"_s, u"x"_s, u"a"_s} << false << false << "2 4 1 3";
    QTest::newRow("descending reverses, later first")
        << QStringList{u"x"_s, u"a"_s, u"x"_s, u"a"_s} << false << true << "3 1 4 2";
    QTest::newRow("descending puts nulls last")
        << QStringList{u"b"_s, u"~"_s, u"a"_s} << false << true << "1 3 2";
    QTest::newRow("case-insensitive ties by loading order")
        << QStringList{u"b"_s, u"A"_s, u"a"_s, u"B"_s} << true << false << "2 3 1 4";
}

void TestMemTable::sort() {
    QFETCH(QStringList, values);
    QList<QVariantList> rows;
    for (int i = 0; i < values.size(); ++i)
        rows << QVariantList{values[i] == u"~" ? QVariant() : QVariant(values[i]), i + 1};
    TDsMemTable t;
    load(t, {def(u"NAZEV"_s, ftString, 10), def(u"CISLO"_s, ftInteger)}, rows);
    QFETCH(bool, caseInsensitive);
    QFETCH(bool, descending);
    t.SortByFields(u"nazev"_s, caseInsensitive, descending);
    QCOMPARE(t.SortFields(), QStringList{u"NAZEV"_s});
    QFETCH(QString, order);
    QCOMPARE(column(t, u"CISLO"_s), order);
}

void TestMemTable::sortKeepsCurrentAndRefusesUnsuitableFields() {
    TDsMemTable t;
    load(t, {def(u"NAZEV"_s, ftString, 10), def(u"CENA"_s, ftFloat), def(u"POZN"_s, ftMemo)},
         {{u"b"_s, 2.5}, {u"a"_s, 2.5}, {u"a"_s, 1.0}, {u"c"_s, -1.0}});
    t.SetRecNo(2); // "a", 2.5
    QSignalSpy spy(&t, &TDataSet::dataEvent);
    t.SortByFields(u"NAZEV;CENA"_s);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(t.RecNo(), 2);
    QCOMPARE(t.FieldByName(u"NAZEV"_s)->AsString() + t.FieldByName(u"CENA"_s)->AsString(), u"a2,5"_s);
    QCOMPARE(column(t, u"CENA"_s), u"1 2,5 2,5 -1"_s);

    t.SortByFields(u"CENA"_s, false, true);
    QCOMPARE(column(t), u"a b a c"_s);
    QVERIFY(errorOf([&] { t.SortByFields(u"NAZEV;POZN"_s); }).contains(u"'POZN'"_s));
    QCOMPARE(errorOf([&] { t.SortByFields(u"CISLO"_s); }), u"Mem: Field 'CISLO' not found"_s);
    QCOMPARE(column(t), u"a b a c"_s);
    QCOMPARE(t.SortFields(), QStringList{u"CENA"_s});
}

void TestMemTable::locate_data() {
    QTest::addColumn<QString>("key");
    QTest::addColumn<int>("options");
    QTest::addColumn<QString>("found"); // current NAZEV afterwards; empty when not found
    QTest::addColumn<int>("scrolls");   // BeforeScroll + AfterScroll
    // The table stands on "Pšenice ozimá".
    QTest::newRow("whole value") << "Ječmen" << 0 << "Ječmen" << 2;
    QTest::newRow("case differs") << "ječmen" << 0 << "" << 1;
    QTest::newRow("case-insensitive") << "ječmen" << int(loCaseInsensitive) << "Ječmen" << 2;
    QTest::newRow("beginning without partial key") << "Pšenice" << 0 << "" << 1;
    QTest::newRow("current record matches, no scroll")
        << "Pšenice" << int(loPartialKey) << "Pšenice ozimá" << 0;
    QTest::newRow("partial case-insensitive, current first")
        << "pšenice" << int(loPartialKey | loCaseInsensitive) << "Pšenice ozimá" << 0;
    QTest::newRow("partial finds later record") << "pšenice j" << int(loPartialKey) << "pšenice jarní" << 2;
    QTest::newRow("diacritics matter") << "psenice jarni" << int(loCaseInsensitive) << "" << 1;
}

void TestMemTable::locate() {
    QFETCH(QString, found);
    TDsMemTable t;
    load(t, {def(u"NAZEV"_s, ftString, 20)},
         {{u"Oves"_s}, {u"Pšenice ozimá"_s}, {u"pšenice jarní"_s}, {u"Ječmen"_s}});
    t.SetRecNo(2);
    int seen = 0;
    t.BeforeScroll = t.AfterScroll = [&](TDataSet&) { ++seen; };
    QFETCH(QString, key);
    QFETCH(int, options);
    QCOMPARE(t.Locate(u"NAZEV"_s, key, options), !found.isEmpty());
    QCOMPARE(t.FieldByName(u"NAZEV"_s)->AsString(), found.isEmpty() ? u"Pšenice ozimá"_s : found);
    QFETCH(int, scrolls);
    QCOMPARE(seen, scrolls);
}

void TestMemTable::filterEvent() {
    TDsMemTable t;
    names(t, 5);
    QStringList errors;
    t.OnFilterError = [&](const QString& message) { errors << message; };
    t.OnFilterRecord = [](TDataSet& ds, bool& accept) {
        int n = ds.FieldByName(u"CISLO"_s)->AsInteger();
        if (n == 4) throw EDatabaseError(u"broken"_s);
        accept = n % 2 == 1;
    };
    QCOMPARE(column(t), u"r1 r2 r3 r4 r5"_s); // not consulted until Filtered
    t.SetFiltered(true);
    QCOMPARE(t.RecNo(), 1);
    QVERIFY(!t.IsSequenced());
    QCOMPARE(column(t), u"r1 r3 r4 r5"_s); // a failing test lets the record pass
    QVERIFY(errors.contains(u"broken"_s));
    QCOMPARE(t.RecordCount(), 5);
    QVERIFY(!t.Locate(u"NAZEV"_s, u"r2"_s));
    QVERIFY(t.Locate(u"NAZEV"_s, u"r3"_s));
    t.Delete(); // r4 passes next
    QCOMPARE(t.FieldByName(u"NAZEV"_s)->AsString(), u"r4"_s);
    t.SetFiltered(false);
    QCOMPARE(column(t), u"r1 r2 r4 r5"_s);
}

QTEST_GUILESS_MAIN(TestMemTable)
#include "tst_memtable.moc"
