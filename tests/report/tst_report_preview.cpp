// The preview window on the offscreen platform: pages, zoom, and the commands that go through
// its seams (file choice, printer set-up, error message).
#include "TestTable.h"
#include "report/ReportPreview.h"

#include <QLabel>
#include <QPrinter>
#include <QScrollArea>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

using namespace kvor;
using kvor::test::TTestTable;

namespace {

// Three pages of one line each, the last one two-sided.
struct ThreePages {
    TTestTable table{{"A"},
                     {{QStringLiteral("první")}, {QStringLiteral("druhá")}, {QStringLiteral("třetí")}}};
    TReport report;
    explicit ThreePages(bool duplex = false) {
        report.DataSet = &table;
        report.Page.Duplex = duplex;
        report.detail(QStringLiteral("QRBand1"), 297)
            .field(QStringLiteral("value"), QStringLiteral("A"), 20, 20,
                   TReportFont{QStringLiteral("Arial"), 24});
    }
};

QString pageLabel(const TReportPreview& preview) {
    for (QLabel* l : preview.findChildren<QLabel*>())
        if (l->text().startsWith(u"Strana")) return l->text();
    return {};
}

bool isPdf(const QString& file) {
    QFile f(file);
    return f.open(QIODevice::ReadOnly) && f.read(5) == "%PDF-" && f.size() > 1000;
}

} // namespace

class TestReportPreview : public QObject {
    Q_OBJECT
private slots:
    void buttonsHaveCzechTextsAndTips();
    void movesBetweenPages_data();
    void movesBetweenPages();
    void zooms();
    void saveAndLoadGiveTheSamePages();
    void cancelledFileChoiceDoesNothing();
    void damagedFileIsReportedAndTheReportStays();
    void exportsPdf();
    void printsOnTheSetUpPrinter();
    void previewReportRunsThroughTheModalRunner();
};

void TestReportPreview::buttonsHaveCzechTextsAndTips() {
    ThreePages t;
    TReportPreview preview(renderReport(t.report));
    const QList<QPair<QString, QString>> expected{{"first", "První strana"},
                                                  {"previous", "Předchozí strana"},
                                                  {"next", "Další strana"},
                                                  {"last", "Poslední strana"},
                                                  {"wholePage", "Zobrazit celou stranu"},
                                                  {"actualSize", "Skutečná velikost"},
                                                  {"pageWidth", "Přizpůsobit šířce strany"},
                                                  {"printerSetup", "Nastavení tiskárny"},
                                                  {"print", "Vytisknout sestavu"},
                                                  {"save", "Uložit sestavu do souboru"},
                                                  {"load", "Načíst uloženou sestavu"},
                                                  {"pdf", "Exportovat do PDF"},
                                                  {"close", "Zavřít náhled"}};
    for (const auto& [name, tip] : expected) {
        QToolButton* b = preview.button(name);
        QVERIFY2(b, qPrintable(name));
        QVERIFY(!b->text().isEmpty());
        QCOMPARE(b->toolTip(), tip);
    }
    QVERIFY(preview.isModal());
}

void TestReportPreview::movesBetweenPages_data() {
    QTest::addColumn<QStringList>("clicks");
    QTest::addColumn<int>("page");
    QTest::newRow("opens on the first") << QStringList{} << 0;
    QTest::newRow("next") << QStringList{"next"} << 1;
    QTest::newRow("last") << QStringList{"last"} << 2;
    QTest::newRow("last, previous") << QStringList{"last", "previous"} << 1;
    QTest::newRow("last, first") << QStringList{"last", "first"} << 0;
    QTest::newRow("next past the end stays") << QStringList{"last", "next"} << 2;
}

void TestReportPreview::movesBetweenPages() {
    QFETCH(QStringList, clicks);
    QFETCH(int, page);
    ThreePages t;
    TReportPreview preview(renderReport(t.report));
    preview.show();
    QVERIFY(QTest::qWaitForWindowExposed(&preview));
    for (const QString& name : clicks) {
        QToolButton* b = preview.button(name);
        if (b->isEnabled())
            QTest::mouseClick(b, Qt::LeftButton);
        else
            preview.showPage(preview.currentPage() + (name == u"next" || name == u"last" ? 1 : -1));
    }
    QCOMPARE(preview.currentPage(), page);
    QCOMPARE(pageLabel(preview), QStringLiteral("Strana %1 z 3").arg(page + 1));
    QCOMPARE(preview.button(QStringLiteral("first"))->isEnabled(), page > 0);
    QCOMPARE(preview.button(QStringLiteral("next"))->isEnabled(), page < 2);
}

void TestReportPreview::zooms() {
    ThreePages t;
    TReportPreview preview(renderReport(t.report));
    preview.resize(800, 700);
    preview.show();
    QVERIFY(QTest::qWaitForWindowExposed(&preview));
    auto* scroll = preview.findChild<QScrollArea*>();
    QVERIFY(scroll);

    QTest::mouseClick(preview.button(QStringLiteral("wholePage")), Qt::LeftButton);
    QCOMPARE(preview.zoom(), TReportPreview::TZoom::WholePage);
    const double whole = preview.dotsPerMm();
    QVERIFY(297 * whole <= scroll->viewport()->height());
    QVERIFY(210 * whole <= scroll->viewport()->width());

    QTest::mouseClick(preview.button(QStringLiteral("pageWidth")), Qt::LeftButton);
    QCOMPARE(preview.zoom(), TReportPreview::TZoom::PageWidth);
    const double width = preview.dotsPerMm();
    QVERIFY(width > whole);
    QVERIFY(210 * width <= scroll->viewport()->width());
    QVERIFY(210 * width > scroll->viewport()->width() - 60);
    QVERIFY(scroll->widget()->height() > scroll->viewport()->height()); // the page scrolls

    QTest::mouseClick(preview.button(QStringLiteral("actualSize")), Qt::LeftButton);
    QCOMPARE(preview.dotsPerMm(), preview.logicalDpiX() / 25.4);
    QVERIFY(scroll->widget()->width() >= qRound(210 * preview.logicalDpiX() / 25.4));

    // The page is drawn: the text leaves dark pixels on the white paper.
    const QImage shot = scroll->widget()->grab().toImage();
    bool dark = false;
    for (int y = 0; y < shot.height() && !dark; ++y)
        for (int x = 0; x < shot.width() && !dark; ++x)
            dark = qGray(shot.pixel(x, y)) < 60;
    QVERIFY(dark);
}

void TestReportPreview::saveAndLoadGiveTheSamePages() {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("náhled.kvr"));
    ThreePages t(true);
    TReportPreview first(renderReport(t.report));
    first.ChooseFile = [&](const QString&, const QString&, bool forSaving) {
        return forSaving ? file : QString();
    };
    QTest::mouseClick(first.button(QStringLiteral("save")), Qt::LeftButton);
    QVERIFY(QFile::exists(file));

    TTestTable other({"A"}, {{QStringLiteral("jiná")}});
    TReport otherReport;
    otherReport.DataSet = &other;
    otherReport.detail(QStringLiteral("QRBand1"), 20);
    TReportPreview second(renderReport(otherReport));
    second.showPage(0);
    second.ChooseFile = [&](const QString&, const QString&, bool forSaving) {
        return forSaving ? QString() : file;
    };
    QString error;
    second.ShowError = [&](const QString& message) { error = message; };
    QTest::mouseClick(second.button(QStringLiteral("load")), Qt::LeftButton);
    QCOMPARE(error, QString());
    QVERIFY(second.report() == first.report());
    QCOMPARE(second.pageCount(), 3);
    QCOMPARE(second.currentPage(), 0);
    QVERIFY(second.report().Duplex);
}

void TestReportPreview::cancelledFileChoiceDoesNothing() {
    ThreePages t;
    TReportPreview preview(renderReport(t.report));
    int asked = 0;
    preview.ChooseFile = [&](const QString&, const QString&, bool) {
        ++asked;
        return QString();
    };
    preview.ShowError = [](const QString& message) { QFAIL(qPrintable(message)); };
    const TRenderedReport before = preview.report();
    for (const char* name : {"save", "load", "pdf"})
        QTest::mouseClick(preview.button(QLatin1String(name)), Qt::LeftButton);
    QCOMPARE(asked, 3);
    QVERIFY(preview.report() == before);
}

void TestReportPreview::damagedFileIsReportedAndTheReportStays() {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("nesmysl.kvr"));
    QFile f(file);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("toto není sestava");
    f.close();
    ThreePages t;
    TReportPreview preview(renderReport(t.report));
    preview.lastPage();
    preview.ChooseFile = [&](const QString&, const QString&, bool) { return file; };
    QString error;
    preview.ShowError = [&](const QString& message) { error = message; };
    const TRenderedReport before = preview.report();
    QTest::mouseClick(preview.button(QStringLiteral("load")), Qt::LeftButton);
    QVERIFY(error.contains(QStringLiteral("není uložená sestava")));
    QVERIFY(preview.report() == before);
    QCOMPARE(preview.currentPage(), 2);
}

void TestReportPreview::exportsPdf() {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("žádost.pdf"));
    ThreePages t;
    TReportPreview preview(renderReport(t.report));
    preview.ChooseFile = [&](const QString&, const QString& filter, bool forSaving) {
        return forSaving && filter.contains(u"*.pdf") ? file : QString();
    };
    QTest::mouseClick(preview.button(QStringLiteral("pdf")), Qt::LeftButton);
    QVERIFY(isPdf(file));
}

void TestReportPreview::printsOnTheSetUpPrinter() {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("tisk.pdf"));
    ThreePages t(true);
    TReportPreview preview(renderReport(t.report));
    QCOMPARE(preview.printer().copyCount(), 1);
    bool asked = false;
    preview.PrinterSetup = [&](QPrinter& printer) {
        asked = true;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(file);
        return true;
    };
    QTest::mouseClick(preview.button(QStringLiteral("printerSetup")), Qt::LeftButton);
    QVERIFY(asked);
    QCOMPARE(preview.printer().copyCount(), 1);
    QVERIFY(!QFile::exists(file)); // set-up alone prints nothing
    QTest::mouseClick(preview.button(QStringLiteral("print")), Qt::LeftButton);
    QVERIFY(isPdf(file));
}

void TestReportPreview::previewReportRunsThroughTheModalRunner() {
    ThreePages t;
    t.report.Title = QStringLiteral("Žádost");
    int pages = -1;
    QString title;
    TReportPreview::setModalRunner([&](TReportPreview& preview) {
        pages = preview.pageCount();
        title = preview.windowTitle();
        return int(QDialog::Accepted);
    });
    previewReport(t.report);
    TReportPreview::setModalRunner(nullptr);
    QCOMPARE(pages, 3);
    QVERIFY(title.contains(QStringLiteral("Žádost")));
}

QTEST_MAIN(TestReportPreview)
#include "tst_report_preview.moc"
