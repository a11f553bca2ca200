// The editing rules, the saved-text files, the request layout and the second-copy guard, without
// the main window.
#include "app/InstanceLock.h"
#include "app/RequestRecord.h"
#include "app/RequestRules.h"
#include "app/SavedTexts.h"
#include "platform/Cp1250.h"
#include "platform/EmptyDate.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace kvor;

class TestAppRules : public QObject {
    Q_OBJECT
private slots:
    void lotNumbers_data();
    void lotNumbers();
    void samplingDate_data();
    void samplingDate();
    void requestDate_data();
    void requestDate();
    void requestNumber_data();
    void requestNumber();
    void savedTextsRoundTrip();
    void savedTextsFileFormat_data();
    void savedTextsFileFormat();
    void savedTextsUnwritable();
    void requestLayout();
    void secondCopyIsRefused();
};

void TestAppRules::lotNumbers_data() {
    QTest::addColumn<QString>("rok");
    QTest::addColumn<QString>("podnik");
    QTest::addColumn<QString>("prihlaska");
    QTest::addColumn<QString>("dil");
    QTest::addColumn<QString>("wantPrihlaska");
    QTest::addColumn<QString>("wantDil");
    QTest::addColumn<bool>("derived");
    QTest::addColumn<QString>("partiecela");
    QTest::addColumn<QString>("partie");

    QTest::newRow("padded and joined") << "2012"
                                       << "1234"
                                       << "7"
                                       << "1"
                                       << "00007"
                                       << "01" << true << "12-1234-00007-01"
                                       << "120000701";
    QTest::newRow("empty parts become zeros") << "2012"
                                              << "1234"
                                              << ""
                                              << ""
                                              << "00000"
                                              << "00" << true << "12-1234-00000-00"
                                              << "120000000";
    QTest::newRow("longer text is left as it is") << "2012"
                                                  << "1234"
                                                  << "1234567"
                                                  << "123"
                                                  << "1234567"
                                                  << "123" << true << "12-1234-1234567-123"
                                                  << "121234567123";
    QTest::newRow("short year taken whole") << "9"
                                            << "0815"
                                            << "42"
                                            << "3"
                                            << "00042"
                                            << "03" << true << "9-0815-00042-03"
                                            << "90004203";
    QTest::newRow("no applicant: padded only") << "2012"
                                               << ""
                                               << "7"
                                               << "1"
                                               << "00007"
                                               << "01" << false << ""
                                               << "";
    QTest::newRow("no year: padded only") << ""
                                          << "1234"
                                          << "7"
                                          << ""
                                          << "00007"
                                          << "00" << false << ""
                                          << "";
}

void TestAppRules::lotNumbers() {
    QFETCH(QString, rok);
    QFETCH(QString, podnik);
    QFETCH(QString, prihlaska);
    QFETCH(QString, dil);
    const LotNumbers lot = deriveLotNumbers(rok, podnik, prihlaska, dil);
    QTEST(lot.prihlaska, "wantPrihlaska");
    QTEST(lot.dil, "wantDil");
    QTEST(lot.derived, "derived");
    if (lot.derived) {
        QTEST(lot.partiecela, "partiecela");
        QTEST(lot.partie, "partie");
    }
}

void TestAppRules::samplingDate_data() {
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QDate>("stored");
    QTest::newRow("day before the limit") << QDate(1999, 11, 10) << QDate(1900, 1, 1);
    QTest::newRow("the limit itself") << QDate(1999, 11, 11) << QDate(1999, 11, 11);
    QTest::newRow("recent") << QDate(2012, 3, 5) << QDate(2012, 3, 5);
    QTest::newRow("empty date") << emptyDate() << QDate(1900, 1, 1);
    QTest::newRow("null") << QDate() << QDate(1900, 1, 1);
}

void TestAppRules::samplingDate() {
    QFETCH(QDate, date);
    QTEST(fixSamplingDate(date), "stored");
}

void TestAppRules::requestDate_data() {
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QDate>("stored");
    QTest::newRow("empty") << QDate() << QDate(1900, 1, 1);
    QTest::newRow("day zero") << emptyDate() << QDate(1900, 1, 1);
    QTest::newRow("first day kept") << QDate(1900, 1, 1) << QDate(1900, 1, 1);
    QTest::newRow("old sampling limit does not apply") << QDate(1950, 6, 1) << QDate(1950, 6, 1);
}

void TestAppRules::requestDate() {
    QFETCH(QDate, date);
    QTEST(fixRequestDate(date), "stored");
}

void TestAppRules::requestNumber_data() {
    QTest::addColumn<QString>("ico");
    QTest::addColumn<qint64>("id");
    QTest::addColumn<QString>("number");
    QTest::newRow("five digits: three zeros") << "12345678" << qint64(12345) << "123456783300012345";
    QTest::newRow("eight digits fill it") << "12345678" << qint64(99999999) << "123456783399999999";
    QTest::newRow("nine digits are not cut") << "12345678" << qint64(123456789) << "1234567833123456789";
    QTest::newRow("zero") << "ICO" << qint64(0) << "ICO3300000000";
}

void TestAppRules::requestNumber() {
    QFETCH(QString, ico);
    QFETCH(qint64, id);
    QTEST(kvor::requestNumber(ico, id), "number");
}

void TestAppRules::savedTextsRoundTrip() {
    QTemporaryDir dir;
    const QString path = dir.filePath(savedTextFileName(QStringLiteral("OBALY_TXT")));
    QVERIFY(path.endsWith(QStringLiteral("/OBALY_TXT.txt")));
    QCOMPARE(loadSavedTexts(path), QStringList()); // a missing file is an empty list
    const QStringList texts{QStringLiteral("pytel 50 kg"), QString(), QStringLiteral("žoky, řepka")};
    storeSavedTexts(path, texts);
    QCOMPARE(loadSavedTexts(path), texts);
    storeSavedTexts(path, {});
    QVERIFY(QFile::exists(path));
    QCOMPARE(QFile(path).size(), 0);
    QCOMPARE(loadSavedTexts(path), QStringList());
}

void TestAppRules::savedTextsFileFormat_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("texts");
    QTest::newRow("CR LF, Windows-1250") << QByteArray("\x9e\xe1\x64\x6f\x73\x74\r\nB\r\n")
                                         << QStringList{QStringLiteral("žádost"), QStringLiteral("B")};
    QTest::newRow("last line without end")
        << QByteArray("A\r\nB") << QStringList{QStringLiteral("A"), QStringLiteral("B")};
    QTest::newRow("LF only") << QByteArray("A\nB\n") << QStringList{QStringLiteral("A"), QStringLiteral("B")};
    QTest::newRow("empty entry in the middle")
        << QByteArray("A\r\n\r\nB\r\n") << QStringList{QStringLiteral("A"), QString(), QStringLiteral("B")};
    QTest::newRow("one empty entry") << QByteArray("\r\n") << QStringList{QString()};
}

void TestAppRules::savedTextsFileFormat() {
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, texts);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("UZ1.txt"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();
    QCOMPARE(loadSavedTexts(path), texts);
    // Written back, every line ends with CR LF in Windows-1250.
    storeSavedTexts(path, texts);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QByteArray expected;
    for (const QString& t : texts)
        expected += cp1250::encode(t) + "\r\n";
    QCOMPARE(file.readAll(), expected);
}

void TestAppRules::savedTextsUnwritable() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("missing/UZ1.txt"));
    QVERIFY_THROWS_EXCEPTION(std::exception, storeSavedTexts(path, {QStringLiteral("x")}));
}

void TestAppRules::requestLayout() {
    const TFieldDefs& defs = requestFieldDefs();
    QCOMPARE(defs.size(), 117);
    QCOMPARE(defs.first().Name, QStringLiteral("ZADOST_O"));
    QCOMPARE(defs.last().Name, QStringLiteral("id_trivan"));
    QCOMPARE(requestFieldWidth(QStringLiteral("id_trivan")), 18);
    QCOMPARE(requestFieldWidth(QStringLiteral("OBALY_TXT")), 20);
    QCOMPARE(requestFieldWidth(QStringLiteral("POOT")), 80);
    QCOMPARE(requestFieldWidth(QStringLiteral("MNOZSTVI")), 0);
    QStringList names;
    for (const TFieldDef& d : defs) {
        QVERIFY2(!names.contains(d.Name, Qt::CaseInsensitive), qPrintable(d.Name));
        names << d.Name;
    }
    QCOMPARE(names.indexOf(QStringLiteral("id")), 109);
    QCOMPARE(names.indexOf(QStringLiteral("DIL")), 82);
}

void TestAppRules::secondCopyIsRefused() {
    QTemporaryDir dir;
    auto first = std::make_unique<TInstanceLock>(dir.path());
    QVERIFY(first->TryLock());
    TInstanceLock second(dir.path());
    QVERIFY(!second.TryLock());
    first.reset(); // the first copy ends
    QVERIFY(second.TryLock());
    QTemporaryDir other;
    TInstanceLock elsewhere(other.path()); // another program folder is another program
    QVERIFY(elsewhere.TryLock());
}

QTEST_GUILESS_MAIN(TestAppRules)
#include "tst_app_rules.moc"
