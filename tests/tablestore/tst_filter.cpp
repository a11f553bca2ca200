// Filter expressions on both datasets: one table of expressions, options and the records that
// pass, run against a dBase table and against a memory table loaded from it. The dBase Locate is
// checked against the expression it stands for, and kvor-dbf's filtered dump against the same.
#include "FieldDef.h"
#include "tablestore/DsDbParser.h"
#include "tablestore/DsDbfTable.h"
#include "tablestore/DsMemTable.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace kvor;
using namespace Qt::StringLiterals;

namespace {

using fieldtest::def;

// NR, ADRESA, CENA, PLATI, DATUM, KOD; an invalid QVariant leaves the field empty.
const QList<QVariantList> kRecords = {
    {1, u"Brno"_s, 12.5, true, QDate(2024, 2, 1), u"12"_s},
    {2, u"Brno-venkov"_s, -5.0, false, QDate(1999, 12, 31), u"x5"_s},
    {3, u"Čáslav"_s, QVariant(), QVariant(), QVariant(), QVariant()},
    {4, u"ŘÍČANY"_s, 7.0, true, QDate(2024, 2, 1), u"7.5"_s},
    {5, u"O'Brien"_s, 3.5, false, QDate(2010, 3, 15), u"-3"_s},
};

const QString kInvalid = u"invalid"_s;

// The NR of every record the dataset shows, from the first.
QString passing(TDataSet& t) {
    QStringList numbers;
    for (t.First(); !t.Eof(); t.Next())
        numbers << QString::number(t.FieldByName(u"NR"_s)->AsInteger());
    return numbers.join(u',');
}

// Sets the filter; "invalid" when it is refused with the language's message.
QString filtered(TDataSet& t, const QString& expression, int options) {
    try {
        t.SetFilterOptions(options);
        t.SetFilter(expression);
        t.SetFiltered(true);
    } catch (const EDatabaseError& e) {
        if (e.message() != u"Invalid filter expression.") return u"error: "_s + e.message();
        return kInvalid;
    }
    return passing(t);
}

} // namespace

class TestFilter : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void expressions_data();
    void expressions();
    void movementSkipsRejectedRecords_data();
    void movementSkipsRejectedRecords();
    void refusedFilterKeepsThePreviousOne_data();
    void refusedFilterKeepsThePreviousOne();
    void locateAgreesWithItsExpression_data();
    void locateAgreesWithItsExpression();
    void dumpToolFilters_data();
    void dumpToolFilters();

private:
    TDataSet& dataSet(const QString& kind) {
        return kind == u"dbf" ? static_cast<TDataSet&>(*m_dbf) : *m_mem;
    }
    void addKinds();

    QTemporaryDir m_dir;
    std::unique_ptr<TDsDatabase> m_db;
    std::unique_ptr<TDsDbfTable> m_dbf;
    std::unique_ptr<TDsMemTable> m_mem;
};

void TestFilter::initTestCase() {
    QVERIFY(m_dir.isValid());
    TDsDatabase db;
    db.SetDatabaseName(m_dir.path());
    TDsDbfTable t;
    t.SetDatabase(&db);
    t.SetTableName(u"filtr.dbf"_s);
    t.SetFieldDefs({def(u"NR"_s, ftInteger), def(u"ADRESA"_s, ftString, 20), def(u"CENA"_s, ftFloat),
                    def(u"PLATI"_s, ftBoolean), def(u"DATUM"_s, ftDate), def(u"KOD"_s, ftString, 6)});
    t.CreateTable();
    t.Open();
    for (const QVariantList& row : kRecords) {
        t.Append();
        for (int i = 0; i < row.size(); ++i)
            if (row[i].isValid()) t.Fields(i)->SetValue(row[i]);
        t.Post();
    }
    t.Close();
}

void TestFilter::init() {
    m_db = std::make_unique<TDsDatabase>();
    m_db->SetDatabaseName(m_dir.path());
    m_dbf = std::make_unique<TDsDbfTable>();
    m_dbf->SetDatabase(m_db.get());
    m_dbf->SetTableName(u"filtr.dbf"_s);
    m_dbf->Open();
    // The memory table takes the dBase table's records and field types, so both see the same data.
    m_mem = std::make_unique<TDsMemTable>();
    m_mem->LoadRecords(*m_dbf);
    m_dbf->First();
}

void TestFilter::cleanup() {
    m_mem.reset();
    m_dbf.reset();
    m_db.reset();
}

void TestFilter::addKinds() {
    QTest::addColumn<QString>("kind");
}

void TestFilter::expressions_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("expression");
    QTest::addColumn<int>("options");
    QTest::addColumn<QString>("expected");
    const int ci = foCaseInsensitive, whole = foNoPartialCompare;
    struct Case {
        const char* name;
        QString expression;
        int options;
        QString expected;
    };
    const QList<Case> cases = {
        // Whole values and patterns: the file's trailing blanks are no part of the value.
        {"whole value", u"(FIELD('adresa')='Brno')"_s, whole, u"1"_s},
        {"pattern with star", u"(FIELD('adresa')='Brno*')"_s, 0, u"1,2"_s},
        {"pattern without star", u"(FIELD('adresa')='Brno')"_s, 0, u"1"_s},
        {"pattern with question mark", u"ADRESA='?rno*'"_s, 0, u"1,2"_s},
        {"star in whole value is a letter", u"ADRESA='Brno*'"_s, whole, u""_s},
        {"case-insensitive whole", u"adresa='brno'"_s, ci | whole, u"1"_s},
        {"case-sensitive whole", u"adresa='brno'"_s, whole, u""_s},
        {"case-insensitive Czech pattern", u"ADRESA='ří*'"_s, ci, u"4"_s},
        {"case-insensitive Czech pattern 2", u"ADRESA='čá?lav'"_s, ci, u"3"_s},
        {"case-sensitive Czech pattern", u"ADRESA='ří*'"_s, 0, u""_s},
        // Czech collation: ch after h, Č after C.
        {"collation after ch", u"ADRESA>'ch'"_s, 0, u"4,5"_s},
        {"collation before C", u"ADRESA<'C'"_s, 0, u"1,2"_s},
        {"collation after Č", u"ADRESA>'Č'"_s, 0, u"3,4,5"_s},
        {"string concatenation", u"ADRESA+'x'='Brnox'"_s, whole, u"1"_s},
        // Numbers; a sign belongs to a number only at the start or after < = >.
        {"negative number", u"CENA=-5"_s, 0, u"2"_s},
        {"sign after blank", u"CENA= -5"_s, 0, kInvalid},
        {"sign at the start", u"-5=CENA"_s, 0, u"2"_s},
        {"greater or equal", u"CENA>=7"_s, 0, u"1,4"_s},
        {"empty number is zero", u"CENA=0"_s, 0, u"3"_s},
        {"float division", u"7/2=3.5"_s, 0, u"1,2,3,4,5"_s},
        {"integer product", u"INTTOSTR(7*2)='14'"_s, whole, u"1,2,3,4,5"_s},
        {"division gives a float", u"INTTOSTR(8/2)='4'"_s, whole, kInvalid},
        {"two precedence levels", u"1+2*3=7"_s, 0, u"1,2,3,4,5"_s},
        {"field product", u"CENA*2=25"_s, 0, u"1"_s},
        {"division by a field", u"10/CENA>1"_s, 0, u"4,5"_s},
        {"integer beyond 32 bits", u"2147483647+1=2147483648"_s, 0, u"1,2,3,4,5"_s},
        // String and number: the text is read with '.' as the decimal point.
        {"text against number", u"KOD=12"_s, 0, u"1"_s},
        {"text greater than number", u"KOD>7"_s, 0, u"1,4"_s},
        {"number against text", u"7.5=KOD"_s, 0, u"4"_s},
        {"literal text no number", u"CENA='abc'"_s, 0, kInvalid},
        // Booleans; comparisons joined by AND must be parenthesised.
        {"boolean field", u"PLATI"_s, 0, u"1,4"_s},
        {"boolean equals true", u"PLATI=TRUE"_s, 0, u"1,4"_s},
        {"false before true", u"PLATI>false"_s, 0, u"1,4"_s},
        {"and", u"PLATI AND (CENA>10)"_s, 0, u"1"_s},
        {"xor", u"PLATI XOR (CENA>3)"_s, 0, u"5"_s},
        {"or", u"(CENA>0) OR (KOD='x*')"_s, 0, u"1,2,4,5"_s},
        {"left to right", u"CENA>5 AND PLATI"_s, 0, u"1,4"_s},
        {"and binds no tighter", u"PLATI AND CENA>5"_s, 0, kInvalid},
        {"boolean against number", u"PLATI=1"_s, 0, kInvalid},
        // Dates: text read by the Czech settings; an empty date is the zero date.
        {"date equals text", u"DATUM='1.2.2024'"_s, 0, u"1,4"_s},
        {"date two-digit form", u"DATUM='01.02.2024'"_s, 0, u"1,4"_s},
        {"date after", u"DATUM>'31.12.1999'"_s, 0, u"1,4,5"_s},
        {"empty date", u"DATUM<'1.1.1900'"_s, 0, u"3"_s},
        {"date plus date", u"DATUM+DATUM>'1.1.2000'"_s, 0, u"1,2,4,5"_s},
        {"date against no date", u"DATUM='abc'"_s, 0, kInvalid},
        {"text left of date", u"'1.2.2024'=DATUM"_s, 0, kInvalid},
        // Null.
        {"empty text is null", u"KOD=NULL"_s, 0, u"3"_s},
        {"text not null", u"KOD<>NULL"_s, 0, u"1,2,4,5"_s},
        {"number not null", u"CENA<>NULL"_s, 0, u"1,2,3,4,5"_s},
        {"number equals null", u"CENA=NULL"_s, 0, kInvalid},
        {"null equals null", u"NULL=NULL"_s, 0, u"1,2,3,4,5"_s},
        {"null left", u"NULL<>ADRESA"_s, 0, u"1,2,3,4,5"_s},
        // Functions.
        {"upper", u"UPPER(ADRESA)='ČÁSLAV'"_s, whole, u"3"_s},
        {"lower", u"LOWER(ADRESA)='říčany'"_s, whole, u"4"_s},
        {"pos", u"POS('no',ADRESA)=3"_s, 0, u"1,2"_s},
        {"posstr absent", u"POSSTR('x',ADRESA)=0"_s, 0, u"1,2,3,4,5"_s},
        {"postext", u"POSTEXT('íč',ADRESA)=2"_s, 0, u"4"_s},
        {"copy", u"COPY(ADRESA,1,4)='Brno'"_s, whole, u"1,2"_s},
        {"copy from before start", u"COPY(ADRESA,0,2)='Br'"_s, whole, u"1,2"_s},
        {"copy of float count", u"COPY(ADRESA,1,2.0)='Br'"_s, whole, kInvalid},
        {"trim", u"TRIM('  a ')='a'"_s, whole, u"1,2,3,4,5"_s},
        {"trunc", u"TRUNC(CENA)=12"_s, 0, u"1"_s},
        {"round half even down", u"ROUND(2.5)=2"_s, 0, u"1,2,3,4,5"_s},
        {"round half even up", u"ROUND(3.5)=4"_s, 0, u"1,2,3,4,5"_s},
        {"frac", u"FRAC(CENA)=0.5"_s, 0, u"1,5"_s},
        {"frac of integer", u"FRAC(3)=0"_s, 0, u"1,2,3,4,5"_s},
        {"strtoint", u"STRTOINT(KOD)=-3"_s, 0, u"5"_s},
        {"strtofloat", u"STRTOFLOAT(KOD)=7.5"_s, 0, u"4"_s},
        {"floattostr", u"FLOATTOSTR(CENA)='12,5'"_s, whole, u"1"_s},
        {"inttostr of float", u"INTTOSTR(CENA)='7'"_s, whole, kInvalid},
        {"function name any case", u"upper(adresa)='BRNO'"_s, whole, u"1"_s},
        {"wrong argument count", u"POS('a')=0"_s, 0, kInvalid},
        // Faults.
        {"not alone", u"NOT"_s, 0, kInvalid},
        {"not", u"NOT PLATI"_s, 0, kInvalid},
        {"no such field", u"NEPOLE='x'"_s, 0, kInvalid},
        {"field function without field", u"FIELD('nepole')='x'"_s, 0, kInvalid},
        {"trailing parenthesis", u"(PLATI))"_s, 0, kInvalid},
        {"trailing comma", u"PLATI,"_s, 0, kInvalid},
        {"lone exclamation", u"CENA ! 5"_s, 0, kInvalid},
        {"not equal as !=", u"CENA!=7"_s, 0, u"1,2,3,5"_s},
        {"apostrophe ends the literal", u"ADRESA='O'Brien'"_s, 0, kInvalid},
        {"unclosed literal takes the rest", u"ADRESA='Br*"_s, 0, u"1,2"_s},
        {"number alone", u"1"_s, 0, u""_s},
        {"deep nesting", QString(500, u'(') + u"PLATI"_s + QString(500, u')'), 0, kInvalid},
    };
    for (const char* kind : {"dbf", "mem"})
        for (const Case& c : cases)
            QTest::addRow("%s: %s", kind, c.name)
                << QString::fromLatin1(kind) << c.expression << c.options << c.expected;
}

void TestFilter::expressions() {
    QFETCH(QString, kind);
    QFETCH(QString, expression);
    QFETCH(int, options);
    QFETCH(QString, expected);
    QCOMPARE(filtered(dataSet(kind), expression, options), expected);
}

void TestFilter::movementSkipsRejectedRecords_data() {
    addKinds();
    QTest::newRow("dbf") << u"dbf"_s;
    QTest::newRow("mem") << u"mem"_s;
}

void TestFilter::movementSkipsRejectedRecords() {
    QFETCH(QString, kind);
    TDataSet& t = dataSet(kind);
    QCOMPARE(filtered(t, u"CENA<>7"_s, 0), u"1,2,3,5"_s);
    auto nr = [&] { return t.FieldByName(u"NR"_s)->AsInteger(); };
    t.Last();
    QCOMPARE(nr(), 5);
    t.Prior();
    QCOMPARE(nr(), 3); // 4 does not pass
    t.Prior();
    t.Prior();
    QCOMPARE(nr(), 1);
    t.Prior();
    QVERIFY(t.Bof());
    QCOMPARE(nr(), 1);
    QVERIFY(t.Locate(u"NR"_s, 5, 0));
    QVERIFY(!t.Locate(u"NR"_s, 4, 0));
    // Switching the filter off shows every record again.
    t.SetFiltered(false);
    QCOMPARE(passing(t), u"1,2,3,4,5"_s);
    // A filter that nothing passes leaves an empty view.
    QCOMPARE(filtered(t, u"CENA>100"_s, 0), u""_s);
    QVERIFY(t.Eof() && t.Bof());
}

void TestFilter::refusedFilterKeepsThePreviousOne_data() {
    movementSkipsRejectedRecords_data();
}

void TestFilter::refusedFilterKeepsThePreviousOne() {
    QFETCH(QString, kind);
    TDataSet& t = dataSet(kind);
    QCOMPARE(filtered(t, u"PLATI"_s, 0), u"1,4"_s);
    QCOMPARE(filtered(t, u"PLATI AND"_s, 0), kInvalid);
    QCOMPARE(t.Filter(), u"PLATI"_s);
    QCOMPARE(passing(t), u"1,4"_s);
    // Set while closed, the filter is checked at Open.
    t.Close();
    t.SetFilter(u"NOT"_s);
    QVERIFY_THROWS_EXCEPTION(EDatabaseError, t.Open());
    QVERIFY(!t.Active());
}

void TestFilter::locateAgreesWithItsExpression_data() {
    QTest::addColumn<QString>("key");
    QTest::addColumn<int>("options");
    const QStringList keys = {u"Brno"_s,   u"brno"_s,  u"BRNO-VENKOV"_s, u"Čáslav"_s, u"čáslav"_s,
                              u"říčany"_s, u"Brno*"_s, u"?rno"_s,        u"X"_s,      u""_s};
    for (const QString& key : keys)
        for (int options :
             {0, int(loCaseInsensitive), int(loPartialKey), int(loCaseInsensitive | loPartialKey)})
            QTest::addRow("%s/%d", qPrintable(key), options) << key << options;
}

void TestFilter::locateAgreesWithItsExpression() {
    QFETCH(QString, key);
    QFETCH(int, options);
    // The expression Locate stands for, with its options carried over.
    int filterOptions = (options & loCaseInsensitive ? foCaseInsensitive : 0) |
                        (options & loPartialKey ? 0 : foNoPartialCompare);
    const QString expression = u"(FIELD('ADRESA')='%1')"_s.arg(key);
    const QString viaFilter = filtered(*m_dbf, expression, filterOptions).section(u',', 0, 0);
    m_dbf->SetFiltered(false);
    m_dbf->Last();
    const bool found = m_dbf->Locate(u"ADRESA"_s, key, options);
    const QString viaLocate = found ? QString::number(m_dbf->FieldByName(u"NR"_s)->AsInteger()) : QString();
    QCOMPARE(viaLocate, viaFilter);
}

void TestFilter::dumpToolFilters_data() {
    QTest::addColumn<QStringList>("switches");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("numbers");
    QTest::newRow("pattern") << QStringList{u"--filter"_s, u"ADRESA='Brno*'"_s} << 0 << u"1,2"_s;
    QTest::newRow("whole") << QStringList{u"--filter"_s, u"ADRESA='Brno*'"_s, u"--whole"_s} << 0 << u""_s;
    QTest::newRow("case-insensitive")
        << QStringList{u"--filter"_s, u"ADRESA='říčany'"_s, u"--case-insensitive"_s, u"--whole"_s} << 0
        << u"4"_s;
    QTest::newRow("invalid") << QStringList{u"--filter"_s, u"NOT"_s} << 1 << QString();
}

void TestFilter::dumpToolFilters() {
    QFETCH(QStringList, switches);
    QFETCH(int, exitCode);
    QFETCH(QString, numbers);
    const QString tool = QStringLiteral(KVOR_BINARY_DIR "/tools/kvor-dbf/kvor-dbf");
    QVERIFY2(QFileInfo::exists(tool), "kvor-dbf is built with the tests");
    QProcess p;
    p.start(tool, QStringList{u"dump"_s, m_dir.filePath(u"filtr.dbf"_s)} + switches);
    QVERIFY(p.waitForFinished(30000));
    QCOMPARE(p.exitCode(), exitCode);
    if (exitCode != 0) {
        QCOMPARE(QString::fromUtf8(p.readAllStandardError()).trimmed(), u"Invalid filter expression."_s);
        QVERIFY(p.readAllStandardOutput().isEmpty());
        return;
    }
    QStringList lines = QString::fromUtf8(p.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    QVERIFY(!lines.isEmpty());
    lines.removeFirst(); // the field names
    QStringList got;
    for (const QString& line : lines)
        got << line.section(u',', 0, 0);
    QCOMPARE(got.join(u','), numbers);
}

QTEST_GUILESS_MAIN(TestFilter)
#include "tst_filter.moc"
