// The statements the client builds, line by line, and the value rules inside them.
#include "RequestFixture.h"
#include "server/ServerSql.h"
#include "server/SqlText.h"
#include "server/ZSQLProcessor.h"
#include "tablestore/DsMemTable.h"

#include <QtTest>

using namespace kvor;
using namespace kvor::testing;
using namespace Qt::StringLiterals;

namespace {

// The assignment lines that the submission script must hold for sampleRequest(), one per column.
QStringList sampleAssignments() {
    QStringList l{u" STREDISKO = '310',"_s,
                  u" ROK = '2012',"_s,
                  u" PODNIK = '1234',"_s,
                  u" PRIHLASKA = '00017',"_s,
                  u" DIL = '01',"_s,
                  u" PARTIE = '120001701',"_s,
                  u" PARTIECELA = '12-1234-00017-01',"_s,
                  u" ZADOST_O = 'U',"_s,
                  u" POOT = 'ÚKZÚZ Brno, Hroznová 2',"_s,
                  u" ODRUDA = '01008',"_s,
                  u" DRUH = '1',"_s,
                  u" NAZ_DRU = 'Pšenice ozimá',"_s,
                  u" NAZ_ODRU = 'Bohemia',"_s,
                  u" STUPEN = 'C1',"_s,
                  u" CZP = '',"_s,
                  u" ZAHRPARTIE = '',"_s,
                  u" ROZ_P1 = 'R-12/0081',"_s};
    for (int i = 2; i <= 10; ++i)
        l << u" ROZ_P%1 = '',"_s.arg(i);
    l << u" MNOZSTVI = 012.5,"_s << u" BRUTTO = 012.75,"_s << u" MJ = 't',"_s
      << u" OBALY_TXT = 'vak 1000 kg',"_s << u" POCET = '13',"_s << u" OBALY2_TXT = '',"_s
      << u" POCET2 = '',"_s << u" NAV1 = 'CZ 0001 - 0013',"_s << u" NAV2 = '',"_s << u" TYP_NA = 'O',"_s
      << u" OSETRENITX = 'mořeno',"_s << u" MORIDLOTXT = 'Celest Trio',"_s
      << u" MISTOODBER = 'sklad Kolín',"_s << u" DATUMODBER = '2012-3-5',"_s << u" DATUM = '2012-3-6',"_s
      << u" POZADAV1 = 'HTS',"_s << u" POZADAV2 = '',"_s << u" UZ1 = '',"_s << u" UZ2 = '',"_s
      << u" UZNA_NIZSI = 'N',"_s << u" VEGET = 'A',"_s << u" OPAKHH = 'N',"_s << u" DPODNIK = '1234',"_s
      << u" id_trivan = '267891233300004711'"_s;
    return l;
}

// Compares line by line, so that a failure names the line.
void compareLines(const QStringList& actual, const QStringList& expected) {
    for (int i = 0; i < std::min(actual.size(), expected.size()); ++i)
        QVERIFY2(actual[i] == expected[i],
                 qPrintable(u"line %1: \"%2\" instead of \"%3\""_s.arg(i + 1).arg(actual[i], expected[i])));
    QCOMPARE(actual.size(), expected.size());
}

} // namespace

class TstServerSql : public QObject {
    Q_OBJECT

private slots:
    void init();
    void submissionScript();
    void exportRow();
    void valueRules_data();
    void valueRules();
    void decimalThatIsNoNumberIsRefused();
    void textLiteralsCannotBeLeft_data();
    void textLiteralsCannotBeLeft();
    void firmaLookupAndUsageLog();
    void historyListing_data();
    void historyListing();
    void documentStatements();

private:
    TDsMemTable m_request;
};

void TstServerSql::init() {
    m_request.Close();
    m_request.SetName(u"Dbf5"_s);
    m_request.SetFieldDefs(requestRecordDefs());
    m_request.Open();
    appendRequest(m_request, sampleRequest());
}

void TstServerSql::submissionScript() {
    QStringList expected{u"BEGIN;"_s,
                         u"set @@session.sql_mode=\"\";"_s,
                         u"SET names cp1250;"_s,
                         u"DELETE FROM kvor_zadost WHERE id_firma = 7"_s,
                         u" AND ZADOST_O = 'U'"_s,
                         u" AND PARTIECELA = '12-1234-00017-01';"_s,
                         u"INSERT INTO kvor_zadost"_s,
                         u"SET ICO = '26789123', id_firma = 7,"_s};
    expected << sampleAssignments();
    expected << u";"_s << u"SET @poslID := LAST_INSERT_ID();"_s << u"UPDATE kvor_zadost "_s
             << u" SET id_trivan=concat(\"26789123\",\"33\",LPAD(kvor_zadost.id,8,\"0\"))"_s
             << u" where id = @poslID;"_s << u"SELECT @idTrivan:=id_trivan from kvor_zadost "_s
             << u" where id = @poslID;"_s << u"commit;"_s;
    QCOMPARE(expected.size(), 66);
    compareLines(sql::submissionScript(m_request, u"26789123"_s, 7), expected);
    QCOMPARE(sql::kSubmissionReadBack, u"select @poslID as id, @idTrivan as id_trivan"_s);
}

void TstServerSql::exportRow() {
    QStringList expected{u"DELETE FROM ex_zadost WHERE EX_ICO = '26789123' AND PRI_ICO = '46347801'"_s,
                         u" AND ZADOST_O = 'U'"_s,
                         u" AND PARTIECELA = '12-1234-00017-01';"_s,
                         u"INSERT INTO ex_zadost"_s,
                         u"SET EX_ICO = '26789123',"_s,
                         u" PRI_ICO = '46347801',"_s};
    expected << sampleAssignments();
    expected << u";"_s << u"set @OdeFirma = 'Osivo Polabí s.r.o.';"_s
             << u"set @PriFirma = (select nazev from firmy where ICO = '46347801');"_s
             << u"insert into historie "_s << u"set EX_ICO = '26789123',"_s << u"EX_NAZEV  = @OdeFirma,"_s
             << u"datumcas = \"2012-03-07 09:05:04\","_s
             << u"doklad = \"ZA\", cislodokla = '12-1234-00017-01-U',"_s << u"ICO = '46347801',"_s
             << u"NAZEVPODNI = @PriFirma;"_s;
    QCOMPARE(expected.size(), 66);
    const TExportParties parties{u"26789123"_s, u"Osivo Polabí s.r.o."_s, u"46347801"_s};
    compareLines(sql::exportRow(m_request, parties, QDateTime(QDate(2012, 3, 7), QTime(9, 5, 4))), expected);
    compareLines(sql::scriptStart(),
                 {u"BEGIN;"_s, u"set @@session.sql_mode=\"\";"_s, u"SET names cp1250;"_s});
}

void TstServerSql::valueRules_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("line");
    QTest::newRow("apostrophe doubled")
        << u"POZADAV1"_s << QVariant(u"O'Brien"_s) << u" POZADAV1 = 'O''Brien',"_s;
    QTest::newRow("backslash doubled")
        << u"MISTOODBER"_s << QVariant(u"C:\\sklad\\"_s) << u" MISTOODBER = 'C:\\\\sklad\\\\',"_s;
    QTest::newRow("double quote as it is")
        << u"NAZ_ODRU"_s << QVariant(u"\"Zlatá\""_s) << u" NAZ_ODRU = '\"Zlatá\"',"_s;
    QTest::newRow("empty text") << u"CZP"_s << QVariant() << u" CZP = '',"_s;
    QTest::newRow("quantity 0,5") << u"MNOZSTVI"_s << QVariant(0.5) << u" MNOZSTVI = 00.5,"_s;
    QTest::newRow("quantity whole") << u"MNOZSTVI"_s << QVariant(24000.0) << u" MNOZSTVI = 024000,"_s;
    QTest::newRow("quantity empty") << u"MNOZSTVI"_s << QVariant() << u" MNOZSTVI = 0,"_s;
    QTest::newRow("quantity negative") << u"BRUTTO"_s << QVariant(-3.25) << u" BRUTTO = 0-3.25,"_s;
    QTest::newRow("count") << u"POCET"_s << QVariant(480) << u" POCET = '480',"_s;
    QTest::newRow("count empty") << u"POCET2"_s << QVariant() << u" POCET2 = '',"_s;
    QTest::newRow("date without leading zeros")
        << u"DATUM"_s << QVariant(QDate(2012, 3, 5)) << u" DATUM = '2012-3-5',"_s;
    QTest::newRow("date of two digits")
        << u"DATUMODBER"_s << QVariant(QDate(2011, 12, 31)) << u" DATUMODBER = '2011-12-31',"_s;
    QTest::newRow("empty date is day zero") << u"DATUM"_s << QVariant() << u" DATUM = '1899-12-30',"_s;
    QTest::newRow("last line has no comma")
        << u"id_trivan"_s << QVariant(u"26789123330000001"_s) << u" id_trivan = '26789123330000001'"_s;
}

void TstServerSql::valueRules() {
    QFETCH(QString, field);
    QFETCH(QVariant, value);
    QFETCH(QString, line);
    m_request.Edit();
    m_request.FieldByName(field)->SetValue(value);
    m_request.Post();
    const QStringList lines = sql::requestAssignments(m_request);
    QCOMPARE(lines.size(), 50);
    int at = -1;
    for (size_t i = 0; i < kRequestAssignments.size(); ++i)
        if (QString::fromLatin1(kRequestAssignments[i].Field) == field) at = int(i);
    QVERIFY(at >= 0);
    QCOMPARE(lines[at], line);
}

void TstServerSql::decimalThatIsNoNumberIsRefused() {
    // A decimal goes into the statement unquoted; text from a dataset whose field is not a number
    // must not get there.
    TDsMemTable t;
    TFieldDef d;
    d.Name = u"MNOZSTVI"_s;
    d.DataType = ftString;
    d.Size = 30;
    t.SetFieldDefs({d});
    t.Open();
    t.Append();
    t.Fields(0)->SetValue(u"1, id_firma = 99"_s);
    t.Post();
    QVERIFY_THROWS_EXCEPTION(EConvertError, sql::decimalDigits(*t.Fields(0)));
    t.Edit();
    t.Fields(0)->SetValue(u"12,5"_s);
    t.Post();
    QCOMPARE(sql::decimalDigits(*t.Fields(0)), u"12.5"_s);
}

void TstServerSql::textLiteralsCannotBeLeft_data() {
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("single");
    QTest::addColumn<QString>("dbl");
    QTest::newRow("plain") << u"Osivo"_s << u"'Osivo'"_s << u"\"Osivo\""_s;
    QTest::newRow("apostrophe") << u"O'Brien"_s << u"'O''Brien'"_s << u"\"O'Brien\""_s;
    QTest::newRow("double quote") << u"Firma \"A\""_s << u"'Firma \"A\"'"_s << u"\"Firma \"\"A\"\"\""_s;
    QTest::newRow("backslash at the end") << u"konec\\"_s << u"'konec\\\\'"_s << u"\"konec\\\\\""_s;
    QTest::newRow("backslash before a quote") << u"\\'"_s << u"'\\\\'''"_s << u"\"\\\\'\""_s;
    QTest::newRow("semicolon") << u"a; drop table x"_s << u"'a; drop table x'"_s << u"\"a; drop table x\""_s;
}

void TstServerSql::textLiteralsCannotBeLeft() {
    QFETCH(QString, value);
    QTEST(sql::text(value), "single");
    QTEST(sql::doubleQuoted(value), "dbl");
    // Whatever the value, the literal is one token for the script splitter.
    QCOMPARE(TZSQLProcessor::SplitStatements(u"set @a = "_s + sql::text(value) + u";x"_s).size(), 2);
    QCOMPARE(TZSQLProcessor::SplitStatements(u"set @a = "_s + sql::doubleQuoted(value) + u";x"_s).size(), 2);
}

void TstServerSql::firmaLookupAndUsageLog() {
    const TWorkstation ws{u"26789123"_s, u"Osivo \"Polabí\" s.r.o.\\"_s, u"310"_s, u"o'neill"_s,
                          u"SKLAD-NB"_s};
    compareLines(sql::firmaLookup(ws),
                 {u"select id from kvor_firmy "_s, u" where ICO = '26789123'"_s,
                  u" and computeruser = 'o''neill'"_s, u" and computername = 'SKLAD-NB'"_s});
    compareLines(
        sql::usageLog(ws, 12),
        {u"insert into kvor_historiem "_s, u"set modul = \"Kvor Pro\", pc = \"\", stredisko = \"310\","_s,
         u"datumcas = NOW(), ICO = \"26789123\", nazevpodni = \"Osivo \"\"Polabí\"\" s.r.o.\\\\\","_s,
         u"computeruser = \"o'neill\", computername = \"SKLAD-NB\","_s, u"id_firma = 12;"_s});
}

void TstServerSql::historyListing_data() {
    QTest::addColumn<int>("variant");
    QTest::addColumn<int>("idFirma");
    QTest::addColumn<QString>("ico");
    QTest::addColumn<QString>("year");
    QTest::addColumn<QStringList>("lines");
    using V = THistoryVariant;
    QTest::newRow("TFhisto2, id 15, 2012")
        << int(V::TFhisto2) << 15 << u"26789123"_s << u"2012"_s
        << QStringList{u"select * from kvor_zadost"_s, u" where id_firma = 15"_s, u" and ulc <> \"\""_s,
                       u" AND YEAR(datum) = '2012'"_s, u" order by ulc,datumrozho"_s};
    QTest::newRow("TFhisto1, all years")
        << int(V::TFhisto1) << 3 << u"26789123"_s << QString()
        << QStringList{u"select * from kvor_zadost"_s, u" where id_firma = 3"_s,
                       u" order by datum,partiecela"_s};
    QTest::newRow("TFhisto3, no lookup yet, 2010")
        << int(V::TFhisto3) << 0 << u"26789123"_s << u"2010"_s
        << QStringList{u"select * from kvor_zadost"_s, u" where id_firma = 0"_s, u" and ulc = \"\""_s,
                       u" AND YEAR(datum) = '2010'"_s, u" order by datum,partiecela"_s};
    QTest::newRow("TFhisto1c, ICO with a quote")
        << int(V::TFhisto1c) << 3 << u"O'1"_s << u"2011"_s
        << QStringList{u"select * from kvor_zadost"_s, u" where ICO = 'O''1'"_s,
                       u" AND YEAR(datum) = '2011'"_s, u" order by datum,partiecela"_s};
    QTest::newRow("TFhisto2c") << int(V::TFhisto2c) << 3 << u"26789123"_s << QString()
                               << QStringList{u"select * from kvor_zadost"_s, u" where ICO = '26789123'"_s,
                                              u" and ulc <> \"\""_s, u" order by ulc,datumrozho"_s};
}

void TstServerSql::historyListing() {
    QFETCH(int, variant);
    QFETCH(int, idFirma);
    QFETCH(QString, ico);
    QFETCH(QString, year);
    QFETCH(QStringList, lines);
    compareLines(sql::historyListing(THistoryVariant(variant), idFirma, ico, year), lines);
}

void TstServerSql::documentStatements() {
    compareLines(sql::documentCount(u"26789123"_s, u"12/0457"_s),
                 {u"select count(*) as pocet from kvor_doklady where typ = 19"_s, u" AND ICO = '26789123'"_s,
                  u" AND cislodokladu = '12/0457'"_s});
    compareLines(sql::documentFetch(u"26789123"_s, QString()),
                 {u"select obsah from kvor_doklady where typ = 19"_s, u" AND ICO = '26789123'"_s,
                  u" AND cislodokladu = ''"_s});
}

QTEST_GUILESS_MAIN(TstServerSql)
#include "tst_server_sql.moc"
