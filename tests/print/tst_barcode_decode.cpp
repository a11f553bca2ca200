// The pictures that kvor-barcode writes, and the symbols on a printed page, are read back by
// zbarimg, an independent decoder.
#include "print/Barcode.h"
#include "report/ReportPaint.h"

#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString tool = QStringLiteral(KVOR_BINARY_DIR "/tools/kvor-barcode/kvor-barcode");

struct Run {
    int exitCode = -1;
    QString out;
};

Run run(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    Run r;
    if (!p.waitForFinished(60000)) return r;
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromUtf8(p.readAllStandardOutput()).trimmed();
    return r;
}

} // namespace

class TestBarcodeDecode : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void zbarReadsTheDigits_data();
    void zbarReadsTheDigits();
    void printedSymbolsDecode();
    void badTextWritesTheErrorPicture();
    void refusesBadArguments_data();
    void refusesBadArguments();

private:
    QString m_zbar;
    QTemporaryDir m_dir;
};

void TestBarcodeDecode::initTestCase() {
    QVERIFY2(QFile::exists(tool), qPrintable(tool));
    m_zbar = QStandardPaths::findExecutable(QStringLiteral("zbarimg"));
    QVERIFY2(!m_zbar.isEmpty(), "zbarimg (zbar-tools) is not installed");
}

void TestBarcodeDecode::zbarReadsTheDigits_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("decoded");
    QTest::addColumn<int>("modules");
    // An odd count is printed with a leading zero, and that is what a reader sees.
    QTest::newRow("request number") << "253456783300000042"
                                    << "253456783300000042" << 134;
    QTest::newRow("another request number") << "471178993300123456"
                                            << "471178993300123456" << 134;
    QTest::newRow("17 digits") << "12345678901234567"
                               << "012345678901234567" << 134;
    QTest::newRow("three digits") << "123"
                                  << "0123" << 57;
    QTest::newRow("one digit") << "7"
                               << "07" << 46;
    QTest::newRow("zeros") << "0000"
                           << "0000" << 57;
    QTest::newRow("blanks around") << " 9876 "
                                   << "9876" << 57;
    // Every symbol character 00 to 99 once, so each row of the width table is read back.
    QString pairs;
    for (int v = 0; v < 100; ++v)
        pairs += QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0'));
    QTest::newRow("every digit pair") << pairs << pairs << 11 * 102 + 13;
}

void TestBarcodeDecode::zbarReadsTheDigits() {
    QFETCH(QString, text);
    QFETCH(QString, decoded);
    QFETCH(int, modules);
    for (bool vertical : {false, true}) {
        const int height = vertical ? 25 : 30;
        const QString png =
            m_dir.filePath(QStringLiteral("%1-%2.png").arg(QTest::currentDataTag()).arg(vertical));
        QStringList args{text,
                         png,
                         QStringLiteral("--scale"),
                         QStringLiteral("3"),
                         QStringLiteral("--height"),
                         QString::number(height)};
        if (vertical) args << QStringLiteral("--vertical");
        QCOMPARE(run(tool, args).exitCode, 0);

        const QImage picture(png);
        const QSize expected = vertical ? QSize(height, modules) : QSize(modules, height);
        QCOMPARE(picture.size(), expected * 3);

        // The symbol has no quiet zone of its own; on paper the white around it gives one.
        QImage page(picture.size() + QSize(60, 60), QImage::Format_RGB32);
        page.fill(Qt::white);
        QPainter(&page).drawImage(30, 30, picture);
        const QString framed = m_dir.filePath(QStringLiteral("framed.png"));
        QVERIFY(page.save(framed));

        const Run zbar = run(m_zbar, {QStringLiteral("--raw"), QStringLiteral("-q"), framed});
        QCOMPARE(zbar.exitCode, 0);
        QCOMPARE(zbar.out, decoded);
    }
}

void TestBarcodeDecode::printedSymbolsDecode() {
    // The request form's horizontal symbol and the label's upright one, at their natural size.
    kvor::TReport report;
    kvor::TReportBand& band = report.detail(QStringLiteral("QRBand1"), 283.1);
    kvor::MakeBarcodePicture(QStringLiteral("253456783300000042"),
                             band.image(QStringLiteral("QRImageCK"), 133.6, 33.1, 39.7, 7.9).Picture, 30,
                             false, QStringLiteral("H"));
    kvor::MakeBarcodePicture(QStringLiteral("471178993300123456"),
                             band.image(QStringLiteral("label"), 90.5, 150, 6.6, 54.5).Picture, 25, false,
                             QStringLiteral("V"));
    const QString pdf = m_dir.filePath(QStringLiteral("form.pdf"));
    kvor::exportPdf(kvor::renderReport(report), pdf);

    const QString pdftoppm = QStandardPaths::findExecutable(QStringLiteral("pdftoppm"));
    QVERIFY2(!pdftoppm.isEmpty(), "pdftoppm (poppler-utils) is not installed");
    const QString page = m_dir.filePath(QStringLiteral("form"));
    QCOMPARE(run(pdftoppm, {QStringLiteral("-r"), QStringLiteral("300"), QStringLiteral("-png"),
                            QStringLiteral("-singlefile"), pdf, page})
                 .exitCode,
             0);
    const Run zbar =
        run(m_zbar, {QStringLiteral("--raw"), QStringLiteral("-q"), page + QStringLiteral(".png")});
    QCOMPARE(zbar.exitCode, 0);
    QStringList decoded = zbar.out.split(u'\n');
    decoded.sort();
    QCOMPARE(decoded, QStringList({"253456783300000042", "471178993300123456"}));
}

void TestBarcodeDecode::badTextWritesTheErrorPicture() {
    const QString png = m_dir.filePath(QStringLiteral("chyba.png"));
    QCOMPARE(run(tool, {QStringLiteral("33A1"), png, QStringLiteral("--scale"), QStringLiteral("2"),
                        QStringLiteral("--vertical")})
                 .exitCode,
             1);
    QCOMPARE(QImage(png).size(), QSize(400, 100));
}

void TestBarcodeDecode::refusesBadArguments_data() {
    QTest::addColumn<QStringList>("args");
    QTest::newRow("no output") << QStringList{"123"};
    QTest::newRow("scale zero") << QStringList{"123", "x.png", "--scale", "0"};
    QTest::newRow("height not a number") << QStringList{"123", "x.png", "--height", "vysoký"};
    QTest::newRow("height missing") << QStringList{"123", "x.png", "--height"};
    QTest::newRow("unknown option") << QStringList{"123", "x.png", "--barva"};
}

void TestBarcodeDecode::refusesBadArguments() {
    QFETCH(QStringList, args);
    QDir::setCurrent(m_dir.path());
    QCOMPARE(run(tool, args).exitCode, 2);
    QVERIFY(!QFile::exists(m_dir.filePath(QStringLiteral("x.png"))));
}

QTEST_MAIN(TestBarcodeDecode)
#include "tst_barcode_decode.moc"
