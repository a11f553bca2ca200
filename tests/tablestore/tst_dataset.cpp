// The dataset contract as every dataset of the program sees it, exercised on the memory table:
// states, movement flags, bookmarks, events, bound-control notification, field conversion and
// the record copy between datasets.
#include "FieldDef.h"
#include "tablestore/DsMemTable.h"

#include <QSignalSpy>
#include <QtTest>
#include <cmath>

using namespace Qt::StringLiterals;

using namespace kvor;

namespace {

using fieldtest::def;

// NAZEV string(20), CISLO integer; rows named r1, r2, ... with CISLO 1, 2, ...
void fill(TDsMemTable& t, int rows) {
    t.SetName(QStringLiteral("Mem1"));
    t.SetFieldDefs({def(QStringLiteral("NAZEV"), ftString, 20), def(QStringLiteral("CISLO"), ftInteger)});
    t.Open();
    for (int i = 1; i <= rows; ++i) {
        t.Append();
        t.FieldByName(QStringLiteral("NAZEV"))->SetAsString(QStringLiteral("r%1").arg(i));
        t.FieldByName(QStringLiteral("CISLO"))->SetAsInteger(i);
        t.Post();
    }
    t.First();
}

// A one-letter script: A append, I insert, E edit, S set NAZEV to "x", P post, C cancel, D delete,
// F first, N next, L last, R prior.
void run(TDataSet& t, const QString& ops) {
    for (QChar op : ops) {
        switch (op.unicode()) {
        case 'A':
            t.Append();
            break;
        case 'I':
            t.Insert();
            break;
        case 'E':
            t.Edit();
            break;
        case 'S':
            t.FieldByName(QStringLiteral("NAZEV"))->SetAsString(QStringLiteral("x"));
            break;
        case 'P':
            t.Post();
            break;
        case 'C':
            t.Cancel();
            break;
        case 'D':
            t.Delete();
            break;
        case 'F':
            t.First();
            break;
        case 'N':
            t.Next();
            break;
        case 'L':
            t.Last();
            break;
        case 'R':
            t.Prior();
            break;
        }
    }
}

// A memory table whose store can be made to fail.
class FailingTable : public TDsMemTable {
public:
    bool failPost = false;

protected:
    void InternalPost() override {
        if (failPost) throw EDatabaseError(QStringLiteral("Cannot write file"));
        TDsMemTable::InternalPost();
    }
};

} // namespace

class TestDataSet : public QObject {
    Q_OBJECT
private slots:
    void stateTransitions_data();
    void stateTransitions();
    void postFailureKeepsState_data();
    void postFailureKeepsState();
    void failedNewRecordLeavesBrowse();
    void settingFieldOutsideEditIsRefused();
    void eofBof_data();
    void eofBof();
    void bookmarks();
    void eventsOrder_data();
    void eventsOrder();
    void controlsNotification_data();
    void controlsNotification();
    void refusedFilterIsTakenBack();
    void fieldConversion_data();
    void fieldConversion();
    void compareValues_data();
    void compareValues();
    void copyCurrentRecord_data();
    void copyCurrentRecord();
    void copyIntoBrowsingDatasetIsRefused();
    void lookup();
};

void TestDataSet::stateTransitions_data() {
    QTest::addColumn<int>("rows");
    QTest::addColumn<QString>("ops");
    QTest::addColumn<int>("state");
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("current"); // NAZEV of the current record

    auto browse = int(TDataSetState::dsBrowse), edit = int(TDataSetState::dsEdit),
         insert = int(TDataSetState::dsInsert);
    QTest::newRow("append cancel on empty") << 0 << "AC" << browse << 0 << "";
    QTest::newRow("append cancel returns to record") << 3 << "NASC" << browse << 3 << "r2";
    QTest::newRow("append post") << 2 << "ASP" << browse << 3 << "x";
    QTest::newRow("edit on empty starts insert") << 0 << "E" << insert << 0 << "";
    QTest::newRow("edit on empty then post") << 0 << "ESP" << browse << 1 << "x";
    QTest::newRow("edit") << 2 << "E" << edit << 2 << "r1";
    QTest::newRow("edit cancel keeps value") << 2 << "ESC" << browse << 2 << "r1";
    QTest::newRow("edit post") << 2 << "NESP" << browse << 2 << "x";
    QTest::newRow("moving posts a changed insert") << 2 << "ASF" << browse << 3 << "r1";
    QTest::newRow("moving drops an unchanged insert") << 2 << "AF" << browse << 2 << "r1";
    QTest::newRow("delete in insert cancels") << 2 << "AD" << browse << 2 << "r1";
    QTest::newRow("delete moves to next") << 3 << "D" << browse << 2 << "r2";
    QTest::newRow("delete at end moves to previous") << 3 << "LD" << browse << 2 << "r2";
    QTest::newRow("delete while editing drops edit") << 3 << "ESD" << browse << 2 << "r2";
}

void TestDataSet::stateTransitions() {
    QFETCH(int, rows);
    QFETCH(QString, ops);
    TDsMemTable t;
    fill(t, rows);
    run(t, ops);
    QFETCH(int, state);
    QCOMPARE(int(t.State()), state);
    QFETCH(int, count);
    QCOMPARE(t.RecordCount(), count);
    QFETCH(QString, current);
    QCOMPARE(t.FieldByName(QStringLiteral("NAZEV"))->AsString(), current);
}

void TestDataSet::postFailureKeepsState_data() {
    QTest::addColumn<QString>("ops");
    QTest::addColumn<int>("state");
    QTest::newRow("insert") << "AS" << int(TDataSetState::dsInsert);
    QTest::newRow("edit") << "ES" << int(TDataSetState::dsEdit);
}

void TestDataSet::postFailureKeepsState() {
    QFETCH(QString, ops);
    FailingTable t;
    fill(t, 2);
    run(t, ops);
    t.failPost = true;
    QVERIFY_THROWS_EXCEPTION(EDatabaseError, t.Post());
    QFETCH(int, state);
    QCOMPARE(int(t.State()), state);
    QCOMPARE(t.FieldByName(QStringLiteral("NAZEV"))->AsString(), QStringLiteral("x"));
    QVERIFY(t.Modified());
    t.failPost = false;
    t.Post();
    QCOMPARE(t.State(), TDataSetState::dsBrowse);
    QVERIFY(t.Locate(QStringLiteral("NAZEV"), QStringLiteral("x")));
}

void TestDataSet::failedNewRecordLeavesBrowse() {
    TDsMemTable t;
    fill(t, 1);
    QStringList log;
    t.OnNewRecord = [](TDataSet&) { throw EDatabaseError(QStringLiteral("no")); };
    t.AfterInsert = [&](TDataSet&) { log << "AfterInsert"; };
    QVERIFY_THROWS_EXCEPTION(EDatabaseError, t.Append());
    QCOMPARE(t.State(), TDataSetState::dsBrowse);
    QVERIFY(log.isEmpty());
    t.OnNewRecord = nullptr;
    t.First();
    QCOMPARE(t.RecordCount(), 1);
}

void TestDataSet::settingFieldOutsideEditIsRefused() {
    TDsMemTable t;
    fill(t, 1);
    try {
        t.FieldByName(QStringLiteral("NAZEV"))->SetAsString(QStringLiteral("y"));
        QFAIL("browse-state assignment accepted");
    } catch (const EDatabaseError& e) {
        QCOMPARE(e.message(), QStringLiteral("Mem1: Dataset not in edit or insert mode"));
    }
    QCOMPARE(t.FieldByName(QStringLiteral("NAZEV"))->AsString(), QStringLiteral("r1"));
    QVERIFY(!t.Modified());
}

void TestDataSet::eofBof_data() {
    QTest::addColumn<int>("rows");
    QTest::addColumn<QString>("ops");
    QTest::addColumn<bool>("eof");
    QTest::addColumn<bool>("bof");
    QTest::addColumn<int>("recNo");
    QTest::newRow("empty after open") << 0 << "" << true << true << 0;
    QTest::newRow("after open") << 3 << "" << false << true << 1;
    QTest::newRow("next inside") << 3 << "N" << false << false << 2;
    QTest::newRow("next past end stays on last") << 3 << "NNN" << true << false << 3;
    QTest::newRow("single record next") << 1 << "N" << true << true << 1;
    QTest::newRow("last") << 3 << "L" << true << false << 3;
    QTest::newRow("prior to first") << 3 << "LRR" << false << false << 1;
    QTest::newRow("prior past first") << 3 << "LRRR" << false << true << 1;
    QTest::newRow("first after end") << 3 << "LF" << false << true << 1;
    QTest::newRow("post clears both") << 0 << "ASP" << false << false << 1;
    QTest::newRow("delete the only record") << 1 << "D" << true << true << 0;
}

void TestDataSet::eofBof() {
    QFETCH(int, rows);
    TDsMemTable t;
    fill(t, rows);
    QFETCH(QString, ops);
    run(t, ops);
    QFETCH(bool, eof);
    QCOMPARE(t.Eof(), eof);
    QFETCH(bool, bof);
    QCOMPARE(t.Bof(), bof);
    QFETCH(int, recNo);
    QCOMPARE(t.RecNo(), recNo);
}

void TestDataSet::bookmarks() {
    TDsMemTable t;
    fill(t, 4);
    t.Next();
    TBookmark second = t.GetBookmark();
    t.Next();
    TBookmark third = t.GetBookmark();
    QVERIFY(t.CompareBookmarks(second, third) < 0);
    QVERIFY(t.CompareBookmarks(third, second) > 0);
    QCOMPARE(t.CompareBookmarks(second, second), 0);

    t.Last();
    t.GotoBookmark(second);
    QCOMPARE(t.FieldByName(QStringLiteral("NAZEV"))->AsString(), QStringLiteral("r2"));
    QVERIFY(!t.Eof() && !t.Bof());

    // A bookmark of a deleted record is no longer valid and going to it leaves the cursor alone.
    t.Delete();
    QVERIFY(!t.BookmarkValid(second));
    t.Last();
    t.GotoBookmark(second);
    QCOMPARE(t.FieldByName(QStringLiteral("NAZEV"))->AsString(), QStringLiteral("r4"));
    t.GotoBookmark(TBookmark());
    QCOMPARE(t.RecNo(), 3);
    t.FreeBookmark(second);
    QVERIFY(second.isEmpty());
}

void TestDataSet::eventsOrder_data() {
    QTest::addColumn<int>("rows");
    QTest::addColumn<QString>("ops");
    QTest::addColumn<QString>("events");
    QTest::newRow("append post") << 1 << "ASP"
                                 << "BeforeInsert OnNewRecord AfterInsert BeforePost AfterPost";
    QTest::newRow("edit cancel") << 1 << "EC"
                                 << "BeforeEdit AfterEdit BeforeCancel AfterCancel";
    QTest::newRow("edit on empty") << 0 << "E"
                                   << "BeforeInsert OnNewRecord AfterInsert";
    QTest::newRow("delete") << 2 << "D"
                            << "BeforeDelete AfterDelete";
    QTest::newRow("next") << 2 << "N"
                          << "BeforeScroll AfterScroll";
    QTest::newRow("next at end does nothing") << 1 << "NN"
                                              << "BeforeScroll AfterScroll";
    QTest::newRow("moving posts first") << 1 << "ASL"
                                        << "BeforeInsert OnNewRecord AfterInsert BeforePost AfterPost "
                                           "BeforeScroll AfterScroll";
}

void TestDataSet::eventsOrder() {
    QFETCH(int, rows);
    TDsMemTable t;
    fill(t, rows);
    QStringList log;
    auto hook = [&log](const char* name) {
        return [&log, name](TDataSet&) { log << QString::fromLatin1(name); };
    };
    t.BeforeInsert = hook("BeforeInsert");
    t.OnNewRecord = hook("OnNewRecord");
    t.AfterInsert = hook("AfterInsert");
    t.BeforeEdit = hook("BeforeEdit");
    t.AfterEdit = hook("AfterEdit");
    t.BeforePost = hook("BeforePost");
    t.AfterPost = hook("AfterPost");
    t.BeforeCancel = hook("BeforeCancel");
    t.AfterCancel = hook("AfterCancel");
    t.BeforeDelete = hook("BeforeDelete");
    t.AfterDelete = hook("AfterDelete");
    t.BeforeScroll = hook("BeforeScroll");
    t.AfterScroll = hook("AfterScroll");
    QFETCH(QString, ops);
    run(t, ops);
    QFETCH(QString, events);
    QCOMPARE(log.join(u' '), events);
}

void TestDataSet::controlsNotification_data() {
    QTest::addColumn<int>("disables");
    QTest::addColumn<int>("enables");
    QTest::addColumn<QString>("ops");
    QTest::addColumn<int>("expectedEvents"); // after the last EnableControls
    QTest::newRow("bulk work sends one change") << 1 << 1 << "NNESP" << 1;
    QTest::newRow("nothing happened, nothing sent") << 1 << 1 << "" << 0;
    QTest::newRow("nested disable holds back") << 2 << 1 << "N" << 0;
    QTest::newRow("nested disable released") << 2 << 2 << "N" << 1;
    QTest::newRow("extra enable is harmless") << 1 << 3 << "N" << 1;
}

void TestDataSet::controlsNotification() {
    QFETCH(int, disables);
    QFETCH(int, enables);
    TDsMemTable t;
    fill(t, 3);
    QSignalSpy spy(&t, &TDataSet::dataEvent);
    for (int i = 0; i < disables; ++i)
        t.DisableControls();
    QFETCH(QString, ops);
    run(t, ops);
    QCOMPARE(spy.count(), 0);
    for (int i = 0; i < enables; ++i)
        t.EnableControls();
    QFETCH(int, expectedEvents);
    QCOMPARE(spy.count(), expectedEvents);
    if (spy.count()) QCOMPARE(spy.first().at(0).value<TDataEvent>(), TDataEvent::DataSetChange);

    if (t.ControlsDisabled()) return;
    // Enabled again: every step is told at once.
    spy.clear();
    t.First();
    t.Next();
    QCOMPARE(spy.count(), 2);
    QCOMPARE(spy.last().at(0).value<TDataEvent>(), TDataEvent::DataSetScroll);
}

void TestDataSet::refusedFilterIsTakenBack() {
    TDsMemTable t;
    fill(t, 2);
    t.SetFilter(QStringLiteral("CISLO > 1 AND"));
    QVERIFY_THROWS_EXCEPTION(EDatabaseError, t.SetFiltered(true));
    QVERIFY(!t.Filtered());
    QCOMPARE(t.RecNo(), 1);

    // Opening with the expression switched on is refused and leaves the dataset closed.
    t.Close();
    t.SetFiltered(true);
    QVERIFY_THROWS_EXCEPTION(EDatabaseError, t.Open());
    QVERIFY(!t.Active());
}

void TestDataSet::fieldConversion_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<QVariant>("input");
    QTest::addColumn<QVariant>("expected"); // invalid: null; a QString "!": conversion error
    QVariant error(QStringLiteral("!"));
    QTest::newRow("decimal comma") << int(ftFloat) << QVariant(u" 12,5 "_s) << QVariant(12.5);
    QTest::newRow("decimal point") << int(ftFloat) << QVariant(u"12.5"_s) << QVariant(12.5);
    QTest::newRow("not a number") << int(ftFloat) << QVariant(u"12,5 kg"_s) << error;
    QTest::newRow("blank into number clears") << int(ftFloat) << QVariant(u"  "_s) << QVariant();
    QTest::newRow("text to integer") << int(ftInteger) << QVariant(u"42"_s) << QVariant(42);
    QTest::newRow("fraction text to integer") << int(ftInteger) << QVariant(u"4,2"_s) << error;
    QTest::newRow("integer overflow") << int(ftInteger) << QVariant(u"99999999999"_s) << error;
    QTest::newRow("number to text") << int(ftString) << QVariant(2.25) << QVariant(u"2,25"_s);
    QTest::newRow("text cut to size")
        << int(ftString) << QVariant(u"abcdefghijkl"_s) << QVariant(u"abcdefghij"_s);
    QTest::newRow("Czech date") << int(ftDate) << QVariant(u"1.2.2024"_s) << QVariant(QDate(2024, 2, 1));
    QTest::newRow("bad date") << int(ftDate) << QVariant(u"31.2.2024"_s) << error;
    QTest::newRow("yes letter") << int(ftBoolean) << QVariant(u"A"_s) << QVariant(true);
    QTest::newRow("null stays null") << int(ftInteger) << QVariant() << QVariant();
    // Bytes and text meet only in the Windows-1250 code page of the stored files.
    QTest::newRow("bytes into text") << int(ftString) << QVariant(QByteArray("\xe8\x61j"))
                                     << QVariant(u"čaj"_s);
    QTest::newRow("bytes into memo") << int(ftMemo) << QVariant(QByteArray("\x9e\x69to"))
                                     << QVariant(u"žito"_s);
    QTest::newRow("text into bytes") << int(ftBytes) << QVariant(u"čaj"_s)
                                     << QVariant(QByteArray("\xe8\x61j"));
}

void TestDataSet::fieldConversion() {
    QFETCH(int, type);
    QFETCH(QVariant, input);
    QFETCH(QVariant, expected);
    TDsMemTable t;
    t.SetFieldDefs({def(QStringLiteral("F"), TFieldType(type), 10)});
    t.Open();
    t.Append();
    TField* f = t.FieldByName(QStringLiteral("F"));
    if (expected.typeId() == QMetaType::QString && expected.toString() == u"!") {
        QVERIFY_THROWS_EXCEPTION(EConvertError, f->SetValue(input));
        return;
    }
    f->SetValue(input);
    t.Post();
    QCOMPARE(f->Value(), expected);
    if (input.typeId() == QMetaType::QByteArray) QCOMPARE(f->AsBytes(), input.toByteArray());
}

void TestDataSet::compareValues_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<QVariant>("a");
    QTest::addColumn<QVariant>("b");
    QTest::addColumn<bool>("caseInsensitive");
    QTest::addColumn<int>("sign");
    QTest::newRow("ch after h") << int(ftString) << QVariant(u"chata"_s) << QVariant(u"hrad"_s) << false << 1;
    QTest::newRow("č after c") << int(ftString) << QVariant(u"čaj"_s) << QVariant(u"cukr"_s) << false << 1;
    QTest::newRow("case matters") << int(ftString) << QVariant(u"Oves"_s) << QVariant(u"oves"_s) << false
                                  << 1;
    QTest::newRow("case ignored") << int(ftString) << QVariant(u"Oves"_s) << QVariant(u"oves"_s) << true << 0;
    QTest::newRow("null first") << int(ftInteger) << QVariant() << QVariant(-5) << false << -1;
    QTest::newRow("both null") << int(ftString) << QVariant() << QVariant() << false << 0;
    QTest::newRow("large integers stay apart") << int(ftLargeint) << QVariant(qint64(9007199254740993LL))
                                               << QVariant(qint64(9007199254740992LL)) << false << 1;
    QTest::newRow("NaN before numbers")
        << int(ftFloat) << QVariant(std::nan("")) << QVariant(-1e300) << false << -1;
    QTest::newRow("false before true") << int(ftBoolean) << QVariant(false) << QVariant(true) << false << -1;
    QTest::newRow("BCD never decides") << int(ftBCD) << QVariant(1.0) << QVariant(2.0) << false << 0;
}

void TestDataSet::compareValues() {
    QFETCH(int, type);
    QFETCH(QVariant, a);
    QFETCH(QVariant, b);
    QFETCH(bool, caseInsensitive);
    QFETCH(int, sign);
    QCOMPARE(compareFieldValues(TFieldType(type), a, b, caseInsensitive), sign);
    QCOMPARE(compareFieldValues(TFieldType(type), b, a, caseInsensitive), -sign);
}

void TestDataSet::copyCurrentRecord_data() {
    QTest::addColumn<bool>("byName");
    QTest::addColumn<QString>("expected"); // destination C|A|X|ID as text
    // Source A="abc", B=7, C=2.25, N=null; destination C string, A string, X integer, ID read-only.
    QTest::newRow("by name") << true << "2,25|abc||";
    QTest::newRow("by position") << false << "abc|7|2|";
}

void TestDataSet::copyCurrentRecord() {
    TDsMemTable source, dest;
    source.SetFieldDefs({def(QStringLiteral("A"), ftString, 10), def(QStringLiteral("B"), ftInteger),
                         def(QStringLiteral("C"), ftFloat), def(QStringLiteral("ID"), ftInteger)});
    source.Open();
    source.Append();
    source.FieldByName(QStringLiteral("A"))->SetAsString(QStringLiteral("abc"));
    source.FieldByName(QStringLiteral("B"))->SetAsInteger(7);
    source.FieldByName(QStringLiteral("C"))->SetAsFloat(2.25);
    source.FieldByName(QStringLiteral("ID"))->SetAsInteger(99);
    source.Post();
    dest.SetFieldDefs({def(QStringLiteral("c"), ftString, 10), def(QStringLiteral("a"), ftString, 10),
                       def(QStringLiteral("X"), ftInteger), def(QStringLiteral("ID"), ftInteger, 0, true)});
    dest.Open();
    dest.Append();
    QFETCH(bool, byName);
    CopyCurrentRecord(source, dest, byName);
    QStringList values;
    for (int i = 0; i < dest.FieldCount(); ++i)
        values << dest.Fields(i)->AsString();
    QFETCH(QString, expected);
    QCOMPARE(values.join(u'|'), expected);
}

void TestDataSet::copyIntoBrowsingDatasetIsRefused() {
    TDsMemTable source, dest;
    fill(source, 1);
    fill(dest, 1);
    try {
        CopyCurrentRecord(source, dest);
        QFAIL("copy into a browsing dataset accepted");
    } catch (const EDatabaseError& e) {
        QCOMPARE(e.message(), QStringLiteral("Dataset not in edit or insert mode"));
    }
}

void TestDataSet::lookup() {
    TDsMemTable t;
    fill(t, 3);
    QCOMPARE(t.Lookup(QStringLiteral("CISLO"), 2, QStringLiteral("NAZEV")), QVariant(u"r2"_s));
    QCOMPARE(t.RecNo(), 2);
    QCOMPARE(t.Lookup(QStringLiteral("NAZEV;CISLO"), QVariantList{u"r3"_s, 3}, QStringLiteral("CISLO;NAZEV")),
             QVariant(QVariantList{3, u"r3"_s}));
    QVERIFY(!t.Lookup(QStringLiteral("CISLO"), 9, QStringLiteral("NAZEV")).isValid());
    QCOMPARE(t.RecNo(), 3);
    // A fraction never matches an integer field by rounding.
    QVERIFY(!t.Locate(QStringLiteral("CISLO"), 1.5));
    QVERIFY_THROWS_EXCEPTION(EDatabaseError, t.Locate(QStringLiteral("NAZEV;CISLO"), QVariantList{u"r1"_s}));
}

QTEST_GUILESS_MAIN(TestDataSet)
#include "tst_dataset.moc"
