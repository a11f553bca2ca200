// The connection, the query dataset and the script runner against the real vendor database.
#include "platform/Cp1250.h"
#include "server/ServerLink.h"
#include "support/VendorDb.h"
#include "tablestore/DsMemTable.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QtTest>
#include <atomic>
#include <thread>

using namespace kvor;
using namespace kvor::testing;
using namespace Qt::StringLiterals;

class TstServerLink : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void offlineWhenTheServerCannotBeReached_data();
    void offlineWhenTheServerCannotBeReached();
    void hostAndPortAreAlwaysUsed_data();
    void hostAndPortAreAlwaysUsed();
    void sessionIsCompressedInWindows1250();
    void everyAttemptOpensANewConnection();
    void stoppedServerEndsStatementsAndGivesOffline();
    void readTimeoutEndsAStatementOnADeadConnection();
    void resultCutOffInTheMiddleIsAnError();
    void configFromIni_data();
    void configFromIni();
    void resultColumnsMapToFieldTypes_data();
    void resultColumnsMapToFieldTypes();
    void textTravelsAsWindows1250();
    void queryIsAReadOnlyCursor();
    void memTableTakesTheStructureOver();
    void blobFieldGivesTheRawBytes();
    void statementErrorCarriesTheServerMessage();
    void splitStatements_data();
    void splitStatements();
    void scriptRunsInOrderOnOneConnection();
    void scriptStopsAtTheFirstFailure();
    void droppedConnectionCommitsNothing();
};

void TstServerLink::initTestCase() {
    TServerLink link(vendorDbConfig());
    QVERIFY2(link.TestSQLjakje(), "the vendor_db fixture must be running");
}

void TstServerLink::offlineWhenTheServerCannotBeReached_data() {
    QTest::addColumn<QString>("kind");
    QTest::newRow("nothing listens on the port") << u"closed"_s;
    QTest::newRow("a listener that never answers") << u"silent"_s;
    QTest::newRow("wrong password") << u"password"_s;
    QTest::newRow("unknown database") << u"database"_s;
}

void TstServerLink::offlineWhenTheServerCannotBeReached() {
    QFETCH(QString, kind);
    TServerConfig c = vendorDbConfig();
    c.ConnectTimeout = 2;
    QTcpServer silent; // accepts in the kernel's backlog but never sends the server greeting
    if (kind == u"closed") {
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost));
        c.Port = probe.serverPort();
        probe.close();
    } else if (kind == u"silent") {
        QVERIFY(silent.listen(QHostAddress::LocalHost));
        c.Port = silent.serverPort();
    } else if (kind == u"password") {
        c.Password = u"nespravne"_s;
    } else {
        c.Database = u"neni_takova"_s;
    }
    TServerLink link(c);
    QElapsedTimer timer;
    timer.start();
    QVERIFY(!link.TestSQLjakje());
    QVERIFY(!link.Online());
    QVERIFY(!link.ZConnection1.Connected());
    QVERIFY2(timer.elapsed() < 8000, qPrintable(u"took %1 ms"_s.arg(timer.elapsed())));
    // A history window goes on using the connection without a new attempt: the user reads why.
    link.ZQuery1.SQL() = QStringList{u"select 1"_s};
    try {
        link.ZQuery1.Open();
        QFAIL("a closed connection must refuse the statement");
    } catch (const ESqlError& e) {
        QCOMPARE(e.message(), u"Není spojení se serverem"_s);
    }
}

void TstServerLink::hostAndPortAreAlwaysUsed_data() {
    QTest::addColumn<QString>("host");
    QTest::newRow("address") << u"127.0.0.1"_s;
    // The client library would take this name for its local socket and drop the port.
    QTest::newRow("localhost") << u"localhost"_s;
}

void TstServerLink::hostAndPortAreAlwaysUsed() {
    QFETCH(QString, host);
    TServerConfig c = vendorDbConfig();
    c.Host = host;
    TServerLink link(c);
    QVERIFY(link.TestSQLjakje());
    link.ZQuery1.SQL() = QStringList{u"select @@port as p"_s};
    link.ZQuery1.Open();
    QCOMPARE(link.ZQuery1.FieldByName(u"p"_s)->AsInteger(), KVOR_TEST_DB_PORT);
}

void TstServerLink::sessionIsCompressedInWindows1250() {
    TServerLink link(vendorDbConfig());
    QVERIFY(link.TestSQLjakje());
    link.SetUpSession();
    TZQuery& q = link.ZQuery1;
    q.SQL() = QStringList{u"show session status like 'Compression'"_s};
    q.Open();
    QCOMPARE(q.FieldByName(u"Value"_s)->AsString(), u"ON"_s);
    q.Close();
    q.SQL() = QStringList{u"select @@character_set_client as c, @@character_set_connection as n, "
                          "@@character_set_results as r, @@session.sql_mode as m, @@autocommit as a"_s};
    q.Open();
    QCOMPARE(q.FieldByName(u"c"_s)->AsString(), u"cp1250"_s);
    QCOMPARE(q.FieldByName(u"n"_s)->AsString(), u"cp1250"_s);
    QCOMPARE(q.FieldByName(u"r"_s)->AsString(), u"cp1250"_s);
    QCOMPARE(q.FieldByName(u"m"_s)->AsString(), QString());
    QCOMPARE(q.FieldByName(u"a"_s)->AsInteger(), 1);
    q.Close();
}

void TstServerLink::everyAttemptOpensANewConnection() {
    TServerLink link(vendorDbConfig());
    QVERIFY(link.TestSQLjakje());
    const unsigned long first = link.ZConnection1.ThreadId();
    link.ZConnection1.ExecuteDirect(u"SET @keep := 1"_s);
    QVERIFY(link.TestSQLjakje());
    QVERIFY(link.ZConnection1.ThreadId() != first);
    TVendorDb db;
    // The first connection was closed by the second attempt, and its variables went with it.
    QCOMPARE(db.count(u"from information_schema.processlist where id = %1"_s.arg(first)), 0);
    link.ZQuery1.SQL() = QStringList{u"select @keep as k"_s};
    link.ZQuery1.Open();
    QVERIFY(link.ZQuery1.FieldByName(u"k"_s)->IsNull());
}

void TstServerLink::stoppedServerEndsStatementsAndGivesOffline() {
    // A server of its own, so that the shared one keeps running for the other tests.
    QTemporaryDir dir;
    const QString port = QString::number(KVOR_TEST_DB_PORT + 1);
    auto script = [&](const QStringList& args) {
        QProcess p;
        p.start(u"bash"_s, QStringList{QStringLiteral(KVOR_VENDOR_SCRIPT)} + args);
        return p.waitForFinished(120000) && p.exitCode() == 0;
    };
    QVERIFY(script({u"start"_s, dir.path(), port}));
    TServerConfig c = vendorDbConfig();
    c.Port = port.toInt();
    TServerLink link(c);
    QVERIFY(link.TestSQLjakje());
    link.SetUpSession();
    QVERIFY(script({u"stop"_s, dir.path()}));

    QElapsedTimer timer;
    timer.start();
    QVERIFY_THROWS_EXCEPTION(ESqlError, link.ZConnection1.ExecuteDirect(u"select 1"_s));
    QVERIFY(!link.TestSQLjakje());
    QVERIFY2(timer.elapsed() < 5000, qPrintable(u"took %1 ms"_s.arg(timer.elapsed())));
}

void TstServerLink::readTimeoutEndsAStatementOnADeadConnection() {
    TServerConfig c = vendorDbConfig();
    c.ReadTimeout = 1;
    TServerLink link(c);
    QVERIFY(link.TestSQLjakje());
    QElapsedTimer timer;
    timer.start();
    QVERIFY_THROWS_EXCEPTION(ESqlError, link.ZConnection1.ExecuteDirect(u"select sleep(20)"_s));
    QVERIFY2(timer.elapsed() < 10000, qPrintable(u"took %1 ms"_s.arg(timer.elapsed())));
}

// The rows are read while the server sends them: a connection that dies after some of them must
// end the statement with an error, not leave the rows so far as if they were the whole result.
void TstServerLink::resultCutOffInTheMiddleIsAnError() {
    TServerConfig c = vendorDbConfig();
    c.ReadTimeout = 1;
    TServerLink link(c);
    QVERIFY(link.TestSQLjakje());
    TZQuery& q = link.ZQuery1;
    q.SQL() = QStringList{u"select seq, repeat('x', 100) as vypln, sleep(if(seq = 5000, 20, 0)) as cekej "
                          "from seq_1_to_10000"_s};
    QElapsedTimer timer;
    timer.start();
    QVERIFY_THROWS_EXCEPTION(ESqlError, q.Open());
    QVERIFY(!q.Active());
    QCOMPARE(q.RecordCount(), 0);
    QVERIFY2(timer.elapsed() < 15000, qPrintable(u"took %1 ms"_s.arg(timer.elapsed())));
}

void TstServerLink::configFromIni_data() {
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<QString>("host");
    QTest::addColumn<int>("port");
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("password");
    const TServerConfig d = TServerConfig::defaults();
    QTest::newRow("no file") << QByteArray() << d.Host << d.Port << u"pelmar"_s << u"730518kpw"_s;
    QTest::newRow("host and port")
        << QByteArray("[TFmozno]\r\nEditICO_Text=1\r\n[Server]\r\nHost=db.example\r\nPort=33999\r\n")
        << u"db.example"_s << 33999 << u"pelmar"_s << u"730518kpw"_s;
    QTest::newRow("user and password, any case")
        << QByteArray("[server]\r\nuser=jiny\r\nPASSWORD=heslo\xe8\r\n") << d.Host << d.Port << u"jiny"_s
        << u"heslo\u010d"_s;
    QTest::newRow("bad port keeps the default")
        << QByteArray("[Server]\r\nPort=abc\r\n") << d.Host << d.Port << u"pelmar"_s << u"730518kpw"_s;
    QTest::newRow("keys of other sections")
        << QByteArray("[Jine]\r\nHost=x\r\nPort=1\r\n") << d.Host << d.Port << u"pelmar"_s << u"730518kpw"_s;
}

void TstServerLink::configFromIni() {
    QFETCH(QByteArray, ini);
    QTemporaryDir dir;
    const QString path = dir.filePath(u"kvor.ini"_s);
    if (!ini.isEmpty()) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(ini);
    }
    TServerConfig c = TServerConfig::fromIni(path);
    QTEST(c.Host, "host");
    QTEST(c.Port, "port");
    QTEST(c.User, "user");
    QTEST(c.Password, "password");
    QCOMPARE(c.Database, u"pelmar"_s);
    QCOMPARE(c.ConnectTimeout, 10);
}

void TstServerLink::resultColumnsMapToFieldTypes_data() {
    QTest::addColumn<QString>("column");
    QTest::addColumn<QString>("literal");
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("size");
    QTest::addColumn<QVariant>("value");
    auto row = [](const char* name, const QString& column, const QString& literal, TFieldType type, int size,
                  const QVariant& value) {
        QTest::newRow(name) << column << literal << int(type) << size << value;
    };
    row("varchar", u"VARCHAR(40)"_s, u"'Žluťoučký kůň'"_s, ftString, 40, u"Žluťoučký kůň"_s);
    row("char", u"CHAR(3)"_s, u"'C1'"_s, ftString, 3, u"C1"_s);
    row("enum", u"ENUM('A','N')"_s, u"'N'"_s, ftString, 1, u"N"_s);
    row("tinyint", u"TINYINT"_s, u"-7"_s, ftSmallint, 0, -7);
    row("smallint", u"SMALLINT"_s, u"31000"_s, ftSmallint, 0, 31000);
    row("mediumint", u"MEDIUMINT"_s, u"8000000"_s, ftInteger, 0, 8000000);
    row("int", u"INT"_s, u"-2000000000"_s, ftInteger, 0, -2000000000);
    row("int unsigned", u"INT UNSIGNED"_s, u"4000000000"_s, ftLargeint, 0, qint64(4000000000));
    row("bigint", u"BIGINT"_s, u"9000000000000"_s, ftLargeint, 0, qint64(9000000000000));
    // Bytes that read like the digits "12" and a leading "-": still the bits' number.
    row("bit", u"BIT(16)"_s, u"b'0011000100110010'"_s, ftLargeint, 0, qint64(0x3132));
    row("bit, minus sign byte", u"BIT(8)"_s, u"b'00101101'"_s, ftLargeint, 0, qint64(0x2d));
    row("bit, high bit", u"BIT(8)"_s, u"b'10000001'"_s, ftLargeint, 0, qint64(0x81));
    row("decimal", u"DECIMAL(19,4)"_s, u"012.5"_s, ftFloat, 0, 12.5);
    row("double", u"DOUBLE"_s, u"-0.25"_s, ftFloat, 0, -0.25);
    row("date", u"DATE"_s, u"'2012-3-5'"_s, ftDate, 0, QDate(2012, 3, 5));
    row("zero date is null", u"DATE"_s, u"'0000-00-00'"_s, ftDate, 0, QVariant());
    row("time", u"TIME"_s, u"'07:08:09'"_s, ftTime, 0, QTime(7, 8, 9));
    row("datetime", u"DATETIME"_s, u"'2012-03-05 14:15:16'"_s, ftDateTime, 0,
        QDateTime(QDate(2012, 3, 5), QTime(14, 15, 16)));
    row("timestamp", u"TIMESTAMP NULL"_s, u"'2012-03-05 14:15:16'"_s, ftDateTime, 0,
        QDateTime(QDate(2012, 3, 5), QTime(14, 15, 16)));
    row("text", u"TEXT"_s, u"'Řádek 1\\r\\nřádek 2'"_s, ftMemo, 0, u"Řádek 1\r\nřádek 2"_s);
    row("blob", u"BLOB"_s, u"X'25504446000AFF'"_s, ftBlob, 0, QByteArray("%PDF\0\n\xff", 7));
    row("null integer", u"INT"_s, u"NULL"_s, ftInteger, 0, QVariant());
    row("null string", u"VARCHAR(5)"_s, u"NULL"_s, ftString, 5, QVariant());
}

void TstServerLink::resultColumnsMapToFieldTypes() {
    QFETCH(QString, column);
    QFETCH(QString, literal);
    QFETCH(int, type);
    QFETCH(int, size);
    QFETCH(QVariant, value);
    TVendorDb db;
    db.exec(u"create temporary table typy (hodnota %1)"_s.arg(column));
    db.exec(u"insert into typy values (%1)"_s.arg(literal));
    TZQuery& q = db.link().ZQuery1;
    q.SQL() = QStringList{u"select hodnota from typy"_s};
    q.Open();
    QCOMPARE(q.FieldCount(), 1);
    const TField* f = q.FieldByName(u"HODNOTA"_s);
    QCOMPARE(fieldTypeName(f->DataType()), fieldTypeName(TFieldType(type)));
    QCOMPARE(f->Size(), size);
    QCOMPARE(f->Value(), value);
    q.Close();
}

void TstServerLink::textTravelsAsWindows1250() {
    TVendorDb db;
    // Every letter of the Czech alphabet, the typographic quotes and the euro sign of Windows-1250.
    const QString text = u"Příliš žluťoučký kůň úpěl ďábelské ódy ĚŠČŘŽÝÁÍÉŮÚŇŤĎ „€“"_s;
    db.exec(u"create temporary table texty (t varchar(80))"_s);
    db.exec(u"insert into texty values ('%1')"_s.arg(text));
    QCOMPARE(db.value(u"select t from texty"_s).toString(), text);
    // A character the code page cannot hold becomes one "?", and the letters after it still arrive.
    db.exec(u"insert into texty values ('\u03A9 \U0001F600 žluť')"_s);
    QCOMPARE(db.value(u"select t from texty where t like '?%'"_s).toString(), u"? ? žluť"_s);
    db.exec(u"delete from texty where t like '?%'"_s);
    // Stored as the code page's bytes, not as something re-encoded on the way.
    QCOMPARE(db.value(u"select hex(t) from texty"_s).toString().toLatin1(),
             cp1250::encode(text).toHex().toUpper());
}

void TstServerLink::queryIsAReadOnlyCursor() {
    TVendorDb db;
    TZQuery& q = db.link().ZQuery1;
    q.SQL() = QStringList{u"select KOD, NAZEV"_s, u"from druh"_s, u"where KOD in ('1','4','84')"_s,
                          u"order by NAZEV"_s};
    q.Open();
    QCOMPARE(q.RecordCount(), 3);
    QStringList names;
    for (q.First(); !q.Eof(); q.Next())
        names << q.FieldByName(u"NAZEV"_s)->AsString();
    QCOMPARE(names, (QStringList{u"Brambory"_s, u"Ječmen jarní"_s, u"Pšenice ozimá"_s}));
    q.First();
    q.Next();
    const TBookmark mark = q.GetBookmark();
    q.Last();
    QCOMPARE(q.RecNo(), 3);
    q.GotoBookmark(mark);
    QCOMPARE(q.FieldByName(u"KOD"_s)->AsString(), u"4"_s);
    QVERIFY(q.Locate(u"KOD"_s, u"84"_s));
    QCOMPARE(q.RecNo(), 1);
    QVERIFY_THROWS_EXCEPTION(EDatabaseError, q.Edit());
    QVERIFY_THROWS_EXCEPTION(EDatabaseError, q.Append());
    QVERIFY_THROWS_EXCEPTION(EDatabaseError, q.FieldByName(u"KOD"_s)->SetValue(u"5"_s));
    q.Close();
    QCOMPARE(q.FieldCount(), 0);

    q.SQL() = QStringList{u"select * from druh where KOD = 'neni'"_s};
    q.Open();
    QVERIFY(q.IsEmpty());
    QVERIFY(q.Eof());
    QCOMPARE(q.FieldCount(), 2);
    QVERIFY(q.FieldByName(u"NAZEV"_s)->IsNull());
}

void TstServerLink::memTableTakesTheStructureOver() {
    TVendorDb db;
    TZQuery& q = db.link().ZQuery1;
    q.SQL() = QStringList{u"select * from zadostadre order by adresa"_s};
    TDsMemTable mem;
    mem.SetName(u"DsMemTable1"_s);
    QCOMPARE(mem.LoadRecords(q, 0, false), 10);
    QVERIFY(!q.Active()); // a closed source is closed again
    QCOMPARE(mem.FieldDefs(), q.FieldDefs());
    QStringList names;
    for (const TFieldDef& d : mem.FieldDefs())
        names << u"%1:%2:%3"_s.arg(d.Name, fieldTypeName(d.DataType)).arg(d.Size);
    QCOMPARE(names, (QStringList{u"adresa:ftString:80"_s, u"ico:ftString:12"_s, u"ulice:ftString:40"_s,
                                 u"psc:ftString:6"_s, u"obec:ftString:40"_s, u"pracoviste:ftInteger:0"_s,
                                 u"poplatek:ftFloat:0"_s, u"platnostod:ftDate:0"_s}));
    mem.First();
    QCOMPARE(mem.FieldByName(u"adresa"_s)->AsString(), u"Osiva Haná a.s., laboratoř Kroměříž"_s);
    QCOMPARE(mem.FieldByName(u"poplatek"_s)->AsFloat(), 640.0);
}

void TstServerLink::blobFieldGivesTheRawBytes() {
    TVendorDb db;
    TZQuery& q = db.link().ZQuery1;
    q.SQL() = QStringList{u"select obsah, length(obsah) as delka from kvor_doklady where typ = 19"_s,
                          u" AND ICO = '26789123'"_s, u" AND cislodokladu = '12/0457'"_s};
    q.Open();
    QCOMPARE(q.RecordCount(), 1);
    const TField* obsah = q.FieldByName(u"obsah"_s);
    QCOMPARE(obsah->DataType(), ftBlob);
    const QByteArray pdf = obsah->AsBytes();
    QCOMPARE(pdf.size(), q.FieldByName(u"delka"_s)->AsInteger());
    QVERIFY(pdf.startsWith("%PDF-1."));
    QVERIFY(pdf.trimmed().endsWith("%%EOF"));
    q.Close();
}

void TstServerLink::statementErrorCarriesTheServerMessage() {
    TVendorDb db;
    TZQuery& q = db.link().ZQuery1;
    q.SQL() = QStringList{u"select neni_takovy_sloupec from druh"_s};
    try {
        q.Open();
        QFAIL("the statement must fail");
    } catch (const ESqlError& e) {
        QCOMPARE(e.ServerErrno(), 1054u);
        QVERIFY2(e.message().contains(u"neni_takovy_sloupec"_s), qPrintable(e.message()));
    }
    QVERIFY(!q.Active());
    // The connection stays usable after a failed statement.
    QCOMPARE(db.value(u"select 1+1"_s).toInt(), 2);
}

void TstServerLink::splitStatements_data() {
    QTest::addColumn<QString>("script");
    QTest::addColumn<QStringList>("statements");
    QTest::newRow("lines of a script")
        << u"BEGIN;\r\nset @@session.sql_mode=\"\";\r\nSET names cp1250;\r\ncommit;\r\n"_s
        << QStringList{u"BEGIN"_s, u"set @@session.sql_mode=\"\""_s, u"SET names cp1250"_s, u"commit"_s};
    QTest::newRow("statement over lines, ';' alone")
        << u"INSERT INTO t\r\nSET a = 1,\r\n b = 2\r\n;\r\n"_s
        << QStringList{u"INSERT INTO t\r\nSET a = 1,\r\n b = 2"_s};
    QTest::newRow("';' in single quotes")
        << u"set @a = 'x;y'; set @b = 1"_s << QStringList{u"set @a = 'x;y'"_s, u"set @b = 1"_s};
    QTest::newRow("';' in double quotes") << u"set @a = \"x;y\";"_s << QStringList{u"set @a = \"x;y\""_s};
    QTest::newRow("doubled quote stays inside")
        << u"set @a = 'O''Brien; a';x"_s << QStringList{u"set @a = 'O''Brien; a'"_s, u"x"_s};
    QTest::newRow("doubled backslash before the quote")
        << u"set @a = 'konec\\\\';set @b = ';'"_s
        << QStringList{u"set @a = 'konec\\\\'"_s, u"set @b = ';'"_s};
    QTest::newRow("escaped quote") << u"set @a = 'a\\';b';c"_s << QStringList{u"set @a = 'a\\';b'"_s, u"c"_s};
    QTest::newRow("backquoted name") << u"select `a;b` from t;x"_s
                                     << QStringList{u"select `a;b` from t"_s, u"x"_s};
    QTest::newRow("comments") << u"-- a; b\nselect 1; # c;d\nselect /* ; */ 2"_s
                              << QStringList{u"select 1"_s, u"select   2"_s};
    QTest::newRow("empty statements") << u" ; ;\r\n;"_s << QStringList{};
    QTest::newRow("unclosed quote runs to the end") << u"select 'a;b"_s << QStringList{u"select 'a;b"_s};
}

void TstServerLink::splitStatements() {
    QFETCH(QString, script);
    QTEST(TZSQLProcessor::SplitStatements(script), "statements");
}

void TstServerLink::scriptRunsInOrderOnOneConnection() {
    QTemporaryDir dir;
    TServerLink link(vendorDbConfig());
    QVERIFY(link.TestSQLjakje());
    const QString path = dir.filePath(u"a.txt"_s);
    link.RunScript({u"BEGIN;"_s, u"set @@session.sql_mode=\"\";"_s, u"SET names cp1250;"_s,
                    u"create temporary table poradi (n int, t varchar(20));"_s,
                    u"insert into poradi values (1, 'jedna; dvě');"_s,
                    u"set @x := (select max(n) from poradi);"_s,
                    u"insert into poradi select @x + 1, 'Žluť\\\\';"_s, u"commit;"_s},
                   path);
    // The file keeps the script as Windows-1250 text with CR LF line ends.
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    QVERIFY(bytes.startsWith("BEGIN;\r\nset @@session.sql_mode=\"\";\r\n"));
    QVERIFY(bytes.contains("'jedna; dv\xec'"));
    QVERIFY(bytes.endsWith("commit;\r\n"));
    QCOMPARE(link.ZSQLProcessor1.ExecutedCount(), 8);
    link.ZQuery1.SQL() = QStringList{u"select n, t from poradi order by n"_s};
    link.ZQuery1.Open();
    QCOMPARE(link.ZQuery1.RecordCount(), 2);
    link.ZQuery1.Last();
    QCOMPARE(link.ZQuery1.FieldByName(u"n"_s)->AsInteger(), 2);
    QCOMPARE(link.ZQuery1.FieldByName(u"t"_s)->AsString(), u"Žluť\\"_s);
}

void TstServerLink::scriptStopsAtTheFirstFailure() {
    TVendorDb db;
    db.exec(u"create table if not exists skript_test (n int) engine=InnoDB"_s);
    db.exec(u"delete from skript_test"_s);
    QTemporaryDir dir;
    TServerLink link(vendorDbConfig());
    QVERIFY(link.TestSQLjakje());
    const QString path = dir.filePath(u"a.txt"_s);
    try {
        link.RunScript({u"BEGIN;"_s, u"insert into skript_test values (1);"_s,
                        u"insert into neni_tabulka values (2);"_s, u"insert into skript_test values (3);"_s,
                        u"commit;"_s},
                       path);
        QFAIL("the script must fail");
    } catch (const ESqlError& e) {
        QCOMPARE(e.ServerErrno(), 1146u);
        QVERIFY2(e.message().contains(u"neni_tabulka"_s), qPrintable(e.message()));
    }
    QCOMPARE(link.ZSQLProcessor1.ExecutedCount(), 2);
    QVERIFY(QFile::exists(path));
    // Rolled back at once, not only when the connection closes: the same connection sees nothing.
    link.ZQuery1.SQL() = QStringList{u"select count(*) as c from skript_test"_s};
    link.ZQuery1.Open();
    QCOMPARE(link.ZQuery1.FieldByName(u"c"_s)->AsInteger(), 0);
    link.ZQuery1.Close();
    QCOMPARE(db.count(u"from skript_test"_s), 0);
    db.exec(u"drop table skript_test"_s);
}

void TstServerLink::droppedConnectionCommitsNothing() {
    TVendorDb db;
    db.exec(u"create table if not exists skript_drop (n int) engine=InnoDB"_s);
    db.exec(u"delete from skript_drop"_s);
    QTemporaryDir dir;
    TServerLink link(vendorDbConfig());
    QVERIFY(link.TestSQLjakje());
    const unsigned long victim = link.ZConnection1.ThreadId();

    // A second connection ends the script's connection while it waits inside the script.
    std::atomic<bool> killed{false};
    std::thread killer([victim, &killed] {
        TVendorDb admin;
        for (int i = 0; i < 200 && !killed; ++i) {
            if (admin.count(
                    u"from information_schema.processlist where id = %1 and info like 'select sleep%%'"_s.arg(
                        victim)) > 0) {
                admin.exec(u"KILL CONNECTION %1"_s.arg(victim));
                killed = true;
            } else {
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            }
        }
    });
    bool raised = false;
    try {
        link.RunScript({u"BEGIN;"_s, u"insert into skript_drop values (1);"_s, u"select sleep(30);"_s,
                        u"insert into skript_drop values (2);"_s, u"commit;"_s},
                       dir.filePath(u"a.txt"_s));
    } catch (const ESqlError& e) {
        raised = true;
        QVERIFY2(!e.message().isEmpty(), "the error carries the server's message");
        QVERIFY2(e.ServerErrno() == 1927 || e.ServerErrno() == 2013 || e.ServerErrno() == 2006,
                 qPrintable(u"%1 %2"_s.arg(e.ServerErrno()).arg(e.message())));
    }
    killer.join();
    QVERIFY(killed);
    QVERIFY(raised);
    QCOMPARE(link.ZSQLProcessor1.ExecutedCount(), 2);
    QCOMPARE(db.count(u"from skript_drop"_s), 0);
    // The next attempt connects again.
    QVERIFY(link.TestSQLjakje());
    db.exec(u"drop table skript_drop"_s);
}

QTEST_GUILESS_MAIN(TstServerLink)
#include "tst_server_link.moc"
