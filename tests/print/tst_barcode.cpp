// The Code 128 subset C symbol of the request number and the pictures the layouts print.
#include "print/Barcode.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

using namespace kvor;

namespace {

bool isBlack(QRgb c) {
    return qGray(c) < 40;
}
bool isWhite(QRgb c) {
    return qGray(c) > 215;
}

// Bars (true) and spaces, one entry a module, as the widths describe them.
QList<bool> modulesOf(const QString& widths) {
    QList<bool> modules;
    for (qsizetype i = 0; i < widths.size(); ++i)
        for (int k = 0; k < widths[i].digitValue(); ++k)
            modules.append(i % 2 == 0);
    return modules;
}

} // namespace

class TestBarcode : public QObject {
    Q_OBJECT
private slots:
    void encodes_data();
    void encodes();
    void refusesText_data();
    void refusesText();
    void symbolCharactersAreWellFormed();
    void pictureIsTheSymbolOneModuleAPixel_data();
    void pictureIsTheSymbolOneModuleAPixel();
    void verticalPictureReadsUpwards();
    void badTextGivesTheErrorPictureNeverTurned_data();
    void badTextGivesTheErrorPictureNeverTurned();
    void leavesNoFileBehind();
    void rotatesEveryPixelFormat_data();
    void rotatesEveryPixelFormat();
};

void TestBarcode::encodes_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QList<int>>("values");
    QTest::addColumn<int>("modules");
    // Check values: (105 + sum of position times value) mod 103.
    QTest::newRow("odd count gets a leading zero") << "123" << QList<int>{105, 1, 23, 49, 106} << 57;
    QTest::newRow("single digit") << "7" << QList<int>{105, 7, 9, 106} << 46;
    QTest::newRow("blanks around") << "  123 " << QList<int>{105, 1, 23, 49, 106} << 57;
    QTest::newRow("control characters around") << "\t0042\r\n" << QList<int>{105, 0, 42, 86, 106} << 57;
    QTest::newRow("18-digit request number")
        << "253456783300000042" << QList<int>{105, 25, 34, 56, 78, 33, 0, 0, 0, 42, 88, 106} << 134;
}

void TestBarcode::encodes() {
    QFETCH(QString, text);
    QFETCH(QList<int>, values);
    QFETCH(int, modules);
    const std::vector<int> got = code128cValues(text);
    QCOMPARE(QList<int>(got.begin(), got.end()), values);
    QCOMPARE(code128cModules(text), modules);
    QCOMPARE(modules, 11 * (int(values.size()) - 1) + 13); // 11 a character, 13 the stop
    const QString widths = code128cWidths(text);
    QVERIFY(widths.startsWith(u"211232"));
    QVERIFY(widths.endsWith(u"2331112"));
}

void TestBarcode::refusesText_data() {
    QTest::addColumn<QString>("text");
    QTest::newRow("letter") << "12a4";
    QTest::newRow("empty") << "";
    QTest::newRow("blanks only") << "   ";
    QTest::newRow("blank inside") << "12 34";
    QTest::newRow("sign") << "-1234";
    QTest::newRow("other script's digits") << QStringLiteral("١٢٣٤");
}

void TestBarcode::refusesText() {
    QFETCH(QString, text);
    QVERIFY_THROWS_EXCEPTION(EBarcodeError, code128cValues(text));
    QImage picture;
    QVERIFY(!makeBarcodeImage(text, 30, false, picture));
    QCOMPARE(picture, barcodeErrorPicture());
}

void TestBarcode::symbolCharactersAreWellFormed() {
    // Every data value once: each character is three bars and three spaces of 11 modules,
    // with an even number of bar modules, and no two values share a pattern.
    QString digits;
    for (int v = 0; v < 100; ++v)
        digits += QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0'));
    const QString widths = code128cWidths(digits);
    QCOMPARE(widths.size(), 6 * 102 + 7);
    QSet<QString> seen;
    for (int c = 0; c < 102; ++c) {
        const QString pattern = widths.mid(6 * c, 6);
        int modules = 0, bars = 0;
        for (int i = 0; i < 6; ++i) {
            const int w = pattern[i].digitValue();
            QVERIFY(w >= 1 && w <= 4);
            modules += w;
            if (i % 2 == 0) bars += w;
        }
        QCOMPARE(modules, 11);
        QVERIFY2(bars % 2 == 0, qPrintable(pattern));
        if (c <= 100) seen.insert(pattern);
    }
    QCOMPARE(seen.size(), 101); // the start and the 100 values
}

void TestBarcode::pictureIsTheSymbolOneModuleAPixel_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("height");
    QTest::newRow("request form") << "253456783300000042" << 30;
    QTest::newRow("short") << "123" << 30;
    QTest::newRow("taller than wide") << "42" << 600;
}

void TestBarcode::pictureIsTheSymbolOneModuleAPixel() {
    QFETCH(QString, text);
    QFETCH(int, height);
    QImage picture;
    QCOMPARE(MakeBarcodePicture(text, picture, height, false, QStringLiteral("H")), 1);
    const QList<bool> modules = modulesOf(code128cWidths(text));
    QCOMPARE(picture.size(), QSize(int(modules.size()), height));
    for (int y : {0, height / 2, height - 1})
        for (int x = 0; x < picture.width(); ++x)
            QVERIFY(modules[x] ? isBlack(picture.pixel(x, y)) : isWhite(picture.pixel(x, y)));
}

void TestBarcode::verticalPictureReadsUpwards() {
    const QString id = QStringLiteral("253456783300000042");
    QImage horizontal, vertical;
    MakeBarcodePicture(id, horizontal, 25, false, QStringLiteral("H"));
    QCOMPARE(MakeBarcodePicture(id, vertical, 25, false, QStringLiteral("V")), 1);
    QCOMPARE(vertical.size(), QSize(25, 134));
    const QList<bool> modules = modulesOf(code128cWidths(id));
    // The start at the bottom: module i of the symbol is row 133 - i.
    for (int i = 0; i < 134; ++i)
        for (int x : {0, 24})
            QVERIFY(modules[i] ? isBlack(vertical.pixel(x, 133 - i)) : isWhite(vertical.pixel(x, 133 - i)));
    QImage turned = horizontal;
    RotateQuarterLeft(turned);
    QCOMPARE(turned, vertical);
}

void TestBarcode::badTextGivesTheErrorPictureNeverTurned_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("height");
    QTest::addColumn<QString>("orientation");
    QTest::newRow("letter, vertical") << "33A" << 25 << "V";
    QTest::newRow("empty, horizontal") << "" << 30 << "H";
    QTest::newRow("no height") << "123" << 0 << "H";
}

void TestBarcode::badTextGivesTheErrorPictureNeverTurned() {
    QFETCH(QString, text);
    QFETCH(int, height);
    QFETCH(QString, orientation);
    QImage picture(10, 10, QImage::Format_RGB32);
    QCOMPARE(MakeBarcodePicture(text, picture, height, false, orientation), 1);
    QCOMPARE(picture.size(), QSize(200, 50));
    int grey = 0;
    for (int y = 0; y < 50; ++y)
        for (int x = 0; x < 200; ++x) {
            const QRgb c = picture.pixel(x, y);
            QVERIFY(!isBlack(c));
            QVERIFY(qRed(c) == qGreen(c) && qGreen(c) == qBlue(c));
            if (!isWhite(c)) {
                ++grey;
                QVERIFY2(x >= 10 && y >= 10, "the text starts at 10, 10");
            }
        }
    QVERIFY(grey > 100);
}

void TestBarcode::leavesNoFileBehind() {
    QTemporaryDir dir;
    const QString before = QDir::currentPath();
    QVERIFY(QDir::setCurrent(dir.path()));
    QImage picture;
    MakeBarcodePicture(QStringLiteral("123"), picture, 30, false, QStringLiteral("V"));
    MakeBarcodePicture(QStringLiteral("x"), picture, 30, false, QStringLiteral("H"));
    QDir::setCurrent(before);
    QVERIFY(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).isEmpty());
}

void TestBarcode::rotatesEveryPixelFormat_data() {
    QTest::addColumn<int>("format");
    QTest::newRow("32 bits") << int(QImage::Format_RGB32);
    QTest::newRow("24 bits") << int(QImage::Format_RGB888);
    QTest::newRow("8 bits indexed") << int(QImage::Format_Indexed8);
    QTest::newRow("1 bit") << int(QImage::Format_Mono);
    QTest::newRow("1 bit, LSB first") << int(QImage::Format_MonoLSB);
}

void TestBarcode::rotatesEveryPixelFormat() {
    QFETCH(int, format);
    // Odd sizes so that rows are padded and bits cross bytes.
    const int w = 13, h = 5;
    QImage original(w, h, QImage::Format(format));
    const bool indexed = original.depth() <= 8;
    if (indexed) {
        const int colours = original.depth() == 1 ? 2 : 7;
        QList<QRgb> table;
        for (int i = 0; i < colours; ++i)
            table.append(qRgb(i * 30, 255 - i * 30, i * 11));
        original.setColorTable(table);
    }
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            if (indexed)
                original.setPixel(x, y, uint((x * 3 + y) % original.colorCount()));
            else
                original.setPixel(x, y, qRgb(x * 19, y * 50, (x * y) % 256));
        }
    QImage turned = original;
    RotateQuarterLeft(turned);
    QCOMPARE(turned.format(), original.format());
    QCOMPARE(turned.size(), QSize(h, w));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            QCOMPARE(turned.pixel(y, w - 1 - x), original.pixel(x, y));
}

QTEST_MAIN(TestBarcode)
#include "tst_barcode.moc"
