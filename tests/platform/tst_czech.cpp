// The Windows-1250 codec and the Czech regional rules that files, forms and sorting depend on.
#include "platform/Cp1250.h"
#include "platform/CzechLocale.h"

#include <QStringDecoder>
#include <QStringEncoder>
#include <QTest>
#include <cmath>

using namespace kvor;

class TestCzech : public QObject {
    Q_OBJECT
private slots:
    void codecRoundTrip_data();
    void codecRoundTrip();
    void codecUnmappable_data();
    void codecUnmappable();
    void codecAgreesWithTheSystemConverter();
    void codecIntoBuffer_data();
    void codecIntoBuffer();
    void formatFloat_data();
    void formatFloat();
    void parseFloat_data();
    void parseFloat();
    void parseDate_data();
    void parseDate();
    void dateTimeText_data();
    void dateTimeText();
    void parseDateTime_data();
    void parseDateTime();
    void collation_data();
    void collation();
    void caseInsensitiveCollation();
};

void TestCzech::codecRoundTrip_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("ascii") << QStringLiteral("Kvor 05 = [ok];") << QByteArray("Kvor 05 = [ok];");
    QTest::newRow("lower diacritics")
        << QStringLiteral("žluťoučký kůň úpěl ďábelské ódy")
        << QByteArray("\x9elu\x9dou\xe8k\xfd k\xf9\xf2 \xfap\xecl \xef\xe1\x62\x65lsk\xe9 \xf3\x64y");
    QTest::newRow("upper diacritics")
        << QStringLiteral("ŘÍČŠŽĎŤŇÚŮÉĚÁÝÓ")
        << QByteArray("\xd8\xcd\xc8\x8a\x8e\xcf\x8d\xd2\xda\xd9\xc9\xcc\xc1\xdd\xd3");
    QTest::newRow("quotes and euro") << QStringLiteral("„Osiva“ €") << QByteArray("\x84Osiva\x93 \x80");
}

void TestCzech::codecRoundTrip() {
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QCOMPARE(cp1250::encode(text), bytes);
    QCOMPARE(cp1250::decode(bytes), text);
}

void TestCzech::codecUnmappable_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("spanish n") << QStringLiteral("niño") << QByteArray("ni?o");
    QTest::newRow("greek") << QStringLiteral("Ωmega") << QByteArray("?mega");
    QTest::newRow("cjk") << QStringLiteral("a中b") << QByteArray("a?b");
    QTest::newRow("surrogate pair is one character") << QStringLiteral("a😀b") << QByteArray("a?b");
    QTest::newRow("question mark itself") << QStringLiteral("co?") << QByteArray("co?");
}

void TestCzech::codecUnmappable() {
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QCOMPARE(cp1250::encode(text), bytes);
}

// The built-in table against the system's converter (ICU), byte by byte in both directions.
void TestCzech::codecAgreesWithTheSystemConverter() {
    QStringDecoder decoder("windows-1250", QStringConverter::Flag::Stateless);
    QStringEncoder encoder("windows-1250", QStringConverter::Flag::Stateless);
    QVERIFY(decoder.isValid() && encoder.isValid());
    for (int b = 0; b < 256; ++b) {
        const char byte = char(b);
        const QString expected = decoder.decode(QByteArrayView(&byte, 1));
        const QString ours = cp1250::decode(QByteArrayView(&byte, 1));
        QCOMPARE(expected.size(), 1);
        QCOMPARE(ours, expected);
        QCOMPARE(cp1250::encode(expected), QByteArray(1, byte));
        QCOMPARE(QByteArray(encoder.encode(ours)), QByteArray(1, byte));
    }
}

void TestCzech::codecIntoBuffer_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("capacity");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("fits") << QStringLiteral("Žito") << 8 << QByteArray("\x8eito");
    QTest::newRow("cut at the capacity") << QStringLiteral("Pšenice") << 3
                                         << QByteArray("P\x9a"
                                                       "e");
    QTest::newRow("surrogate pair at the end") << QStringLiteral("ab😀") << 3 << QByteArray("ab?");
    QTest::newRow("nothing") << QStringLiteral("abc") << 0 << QByteArray();
}

void TestCzech::codecIntoBuffer() {
    QFETCH(QString, text);
    QFETCH(int, capacity);
    QFETCH(QByteArray, bytes);
    QByteArray buffer(capacity + 2, '#');
    const qsizetype n = cp1250::encodeInto(text, buffer.data(), capacity);
    QCOMPARE(buffer.left(n), bytes);
    QCOMPARE(buffer.mid(n), QByteArray(capacity + 2 - n, '#'));
}

void TestCzech::formatFloat_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("decimal comma") << 12.5 << "12,5";
    QTest::newRow("integer without decimals") << 3.0 << "3";
    QTest::newRow("negative") << -0.25 << "-0,25";
    QTest::newRow("no binary noise") << 0.1 + 0.2 << "0,3";
    QTest::newRow("large uses exponent") << 1e20 << "1E20";
    QTest::newRow("small uses exponent") << 1.5e-7 << "1,5E-7";
}

void TestCzech::formatFloat() {
    QFETCH(double, value);
    QFETCH(QString, text);
    QCOMPARE(czech::formatFloat(value), text);
    // What is written must read back as the same number.
    auto back = czech::parseFloat(text);
    QVERIFY(back);
    QVERIFY(std::abs(*back - value) <= 1e-12 * std::max(1.0, std::abs(value)));
}

void TestCzech::parseFloat_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<double>("value");
    QTest::newRow("comma") << "12,5" << true << 12.5;
    QTest::newRow("blanks and sign") << "  -3  " << true << -3.0;
    QTest::newRow("point without comma") << "1.5" << true << 1.5;
    QTest::newRow("leading comma") << ",5" << true << 0.5;
    QTest::newRow("exponent") << "1,5E3" << true << 1500.0;
    QTest::newRow("empty") << "" << false << 0.0;
    QTest::newRow("blank") << "   " << false << 0.0;
    QTest::newRow("letters") << "abc" << false << 0.0;
    QTest::newRow("trailing garbage") << "12a" << false << 0.0;
    QTest::newRow("two commas") << "1,2,3" << false << 0.0;
    QTest::newRow("comma and point") << "1.200,5" << false << 0.0;
    QTest::newRow("inner blank") << "1 000" << false << 0.0;
    QTest::newRow("sign alone") << "-" << false << 0.0;
}

void TestCzech::parseFloat() {
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(double, value);
    auto parsed = czech::parseFloat(text);
    QCOMPARE(bool(parsed), valid);
    if (valid) QCOMPARE(*parsed, value);
}

void TestCzech::parseDate_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QDate>("date");
    QTest::newRow("short") << "15.3.2012" << QDate(2012, 3, 15);
    QTest::newRow("padded") << "05.03.2012" << QDate(2012, 3, 5);
    QTest::newRow("leap day") << "29.2.2012" << QDate(2012, 2, 29);
    QTest::newRow("day zero") << "30.12.1899" << QDate(1899, 12, 30);
    QTest::newRow("two-digit year, last century") << "1.1.99" << QDate(1999, 1, 1);
    QTest::newRow("two-digit year, this century") << "1.1.12" << QDate(2012, 1, 1);
    QTest::newRow("no leap day") << "29.2.2011" << QDate();
    QTest::newRow("day 32") << "32.1.2012" << QDate();
    QTest::newRow("day 0") << "0.1.2012" << QDate();
    QTest::newRow("month 13") << "1.13.2012" << QDate();
    QTest::newRow("slashes") << "15/3/2012" << QDate();
    QTest::newRow("iso") << "2012-03-15" << QDate();
    QTest::newRow("no year") << "15.3." << QDate();
    QTest::newRow("letters") << "aa.bb.cccc" << QDate();
    QTest::newRow("empty") << "" << QDate();
}

void TestCzech::parseDate() {
    QFETCH(QString, text);
    QFETCH(QDate, date);
    auto parsed = czech::parseDate(text);
    QCOMPARE(bool(parsed), date.isValid());
    if (parsed) QCOMPARE(*parsed, date);
}

void TestCzech::dateTimeText_data() {
    QTest::addColumn<QDateTime>("when");
    QTest::addColumn<QString>("text");
    QTest::newRow("with time") << QDateTime(QDate(2012, 3, 15), QTime(8, 5, 9)) << "15.3.2012 8:05:09";
    QTest::newRow("midnight leaves out the time")
        << QDateTime(QDate(2012, 3, 15), QTime(0, 0)) << "15.3.2012";
    QTest::newRow("one second past midnight")
        << QDateTime(QDate(2012, 3, 15), QTime(0, 0, 1)) << "15.3.2012 0:00:01";
    QTest::newRow("end of day") << QDateTime(QDate(2099, 12, 31), QTime(23, 59, 59)) << "31.12.2099 23:59:59";
}

void TestCzech::dateTimeText() {
    QFETCH(QDateTime, when);
    QFETCH(QString, text);
    QCOMPARE(czech::formatDateTime(when), text);
    auto back = czech::parseDateTime(text);
    QVERIFY(back);
    QCOMPARE(*back, when);
}

void TestCzech::parseDateTime_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QDateTime>("when");
    const QDate day(2012, 3, 15);
    QTest::newRow("date alone") << "15.3.2012" << QDateTime(day, QTime(0, 0));
    QTest::newRow("date with blanks") << "15. 3. 2012" << QDateTime(day, QTime(0, 0));
    QTest::newRow("date with blanks and time") << "15. 3. 2012 10:30" << QDateTime(day, QTime(10, 30));
    QTest::newRow("outer blanks") << "  15.3.2012 8:05:09  " << QDateTime(day, QTime(8, 5, 9));
    QTest::newRow("time without date") << "10:30" << QDateTime();
    QTest::newRow("bad time") << "15.3.2012 25:00" << QDateTime();
    QTest::newRow("bad date with blanks") << "32. 3. 2012" << QDateTime();
    QTest::newRow("words") << "dnes v poledne" << QDateTime();
}

void TestCzech::parseDateTime() {
    QFETCH(QString, text);
    QFETCH(QDateTime, when);
    auto parsed = czech::parseDateTime(text);
    QCOMPARE(bool(parsed), when.isValid());
    if (parsed) QCOMPARE(*parsed, when);
}

void TestCzech::collation_data() {
    // Each pair is in Czech dictionary order; a code-point comparison gets most of them wrong.
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("after");
    QTest::newRow("ch after h") << "hz"
                                << "ch";
    QTest::newRow("ch before i") << "chz"
                                 << "i";
    QTest::newRow("c before ch") << "cz"
                                 << "ch";
    QTest::newRow("á after a") << "a"
                               << "á";
    QTest::newRow("á is not a letter of its own") << "ác"
                                                  << "ad";
    QTest::newRow("č after c") << "cz"
                               << "ča";
    QTest::newRow("č before d") << "čz"
                                << "d";
    QTest::newRow("ř after r") << "rz"
                               << "řa";
    QTest::newRow("š after s") << "sz"
                               << "ša";
    QTest::newRow("ž after z") << "zz"
                               << "ža";
    QTest::newRow("words") << "Hrách"
                           << "Chmel";
    QTest::newRow("prefix first") << "Oves"
                                  << "Ovesná";
}

void TestCzech::collation() {
    QFETCH(QString, before);
    QFETCH(QString, after);
    QCOMPARE(czech::compare(before, after), -1);
    QCOMPARE(czech::compare(after, before), 1);
    QCOMPARE(czech::compare(before, after, true), -1);
}

void TestCzech::caseInsensitiveCollation() {
    QCOMPARE(czech::compare(u"ŘEPKA", u"řepka", true), 0);
    QVERIFY(czech::compare(u"ŘEPKA", u"řepka", false) != 0);
    QCOMPARE(czech::upper(QStringLiteral("žluťoučký")), QStringLiteral("ŽLUŤOUČKÝ"));
    QCOMPARE(czech::lower(QStringLiteral("ČESKÁ")), QStringLiteral("česká"));
}

QTEST_GUILESS_MAIN(TestCzech)
#include "tst_czech.moc"
