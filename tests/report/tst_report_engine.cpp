// The report engine: band placement on pages and columns, element texts and hooks, fonts,
// saved reports, and the PDF that a reader other than ours sees.
#include "TestTable.h"
#include "report/ReportFonts.h"
#include "report/ReportPaint.h"
#include "report/ReportRender.h"

#include <QBuffer>
#include <QFontInfo>
#include <QPainter>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <limits>

using namespace kvor;
using kvor::test::TTestTable;

namespace {

const TReportFont tahoma10{QStringLiteral("Tahoma"), 10};
const TReportFont arial10{QStringLiteral("Arial"), 10};

// The label sheet's geometry: two columns of two labels, left margin 5 mm.
struct LabelSheet {
    TTestTable table{{"PARTIECELA", "NAZ_DRU"}};
    TReport report;
    int hookRuns = 0;

    LabelSheet(int startSlot, int labels) {
        QList<QVariantList> rows;
        for (int i = 1; i < startSlot; ++i)
            rows.append({QVariant(), QVariant()});
        for (int i = 1; i <= labels; ++i)
            rows.append({QStringLiteral("L%1").arg(i), QStringLiteral("pšenice")});
        table.setRows(rows);
        report.Page = TPageSetup::a4(5, 0, 0, 0, 2);
        report.DataSet = &table;
        TReportBand& band = report.detail(QStringLiteral("QRBand1"), 147.9);
        band.Width = 102.4;
        band.text(QStringLiteral("QRLabel30"), QStringLiteral("Číslo partie"), 2.6, 23.8, tahoma10.italic());
        band.field(QStringLiteral("QRLabelPartie"), QStringLiteral("PARTIECELA"), 33.1, 23.8,
                   tahoma10.bold());
        band.BeforePrint = [this](TReportBand&, TBandPrint& print) {
            ++hookRuns;
            if (table.FieldByName(QStringLiteral("PARTIECELA"))->AsString().isEmpty())
                print = TBandPrint::Blank;
        };
    }
};

QPointF slotOrigin(int slot) {
    const double x = slot <= 2 ? 5.0 : 107.5;
    const double y = slot % 2 == 1 ? 0.0 : 147.9;
    return {x, y};
}

// A one-band report over a table of the given rows, for element tests.
struct OneBand {
    TTestTable table;
    TReport report;
    TReportBand* band;

    explicit OneBand(const QStringList& fields = {"A", "B", "N:F", "D:D"}, QList<QVariantList> rows = {{}})
        : table(fields, rows) {
        report.Page = TPageSetup::a4(10, 10, 0, 0);
        report.DataSet = &table;
        band = &report.detail(QStringLiteral("QRBand1"), 100);
    }
    QList<TPrimitive> render(const QString& name) { return renderReport(report).find(0, name); }
};

QString findTool(const char* name) {
    const QString path = QStandardPaths::findExecutable(QLatin1String(name));
    if (path.isEmpty()) qFatal("%s is not installed (poppler-utils)", name);
    return path;
}

QByteArray run(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        qFatal("%s failed: %s", qPrintable(program), p.readAllStandardError().constData());
    return p.readAllStandardOutput();
}

constexpr double mmPerPt = 25.4 / 72.0;

} // namespace

class TestReportEngine : public QObject {
    Q_OBJECT
private slots:
    void labelsFillColumnsThenPages_data();
    void labelsFillColumnsThenPages();
    void summaryBand_data();
    void summaryBand();
    void skippedBandTakesNoSpace();
    void bandTallerThanColumnStillEnds();
    void reportWithoutTablePrintsItsDetailOnce();
    void elementsThatPrintNothing_data();
    void elementsThatPrintNothing();
    void autoSizedBoxKeepsItsAnchor_data();
    void autoSizedBoxKeepsItsAnchor();
    void fieldDisplayTexts_data();
    void fieldDisplayTexts();
    void printHookSeesAndReplacesText();
    void fixedBoxesImagesAndShapes();
    void renderingTwiceGivesSamePagesAndKeepsTheRecord();
    void closedTableIsOpenedAndClosedAgain();
    void fontsPrintCzechTextAtTheDesignedWidth_data();
    void fontsPrintCzechTextAtTheDesignedWidth();
    void imagesArePaintedWithoutSmoothing_data();
    void imagesArePaintedWithoutSmoothing();
    void textsArePaintedInsideTheirBoxes_data();
    void textsArePaintedInsideTheirBoxes();
    void savedReportLoadsEqual();
    void damagedSavedReportIsRefused_data();
    void damagedSavedReportIsRefused();
    void savedNumbersNoLayoutMakesAreRefused_data();
    void savedNumbersNoLayoutMakesAreRefused();
    void pdfHasPagesAndTextsWhereTheModelPutThem();
    void autoSizedTextWithoutWidthKeepsItsDesignedAnchor_data();
    void autoSizedTextWithoutWidthKeepsItsDesignedAnchor();
    void textsWithoutFontTakeTheReportDefault();
    void textCutAtItsBoxIsNotInThePdf_data();
    void textCutAtItsBoxIsNotInThePdf();
    void printerPrintsThePagesOfItsRange_data();
    void printerPrintsThePagesOfItsRange();
};

void TestReportEngine::labelsFillColumnsThenPages_data() {
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("labels");
    QTest::addColumn<QList<QPoint>>("expected"); // (page 1-based, slot) of each label
    QTest::addColumn<int>("pages");
    QTest::newRow("one at slot 1") << 1 << 1 << QList<QPoint>{{1, 1}} << 1;
    QTest::newRow("two from slot 3") << 3 << 2 << QList<QPoint>{{1, 3}, {1, 4}} << 1;
    QTest::newRow("four from slot 2") << 2 << 4 << QList<QPoint>{{1, 2}, {1, 3}, {1, 4}, {2, 1}} << 2;
    QTest::newRow("six from slot 4") << 4 << 6
                                     << QList<QPoint>{{1, 4}, {2, 1}, {2, 2}, {2, 3}, {2, 4}, {3, 1}} << 3;
}

void TestReportEngine::labelsFillColumnsThenPages() {
    QFETCH(int, start);
    QFETCH(int, labels);
    QFETCH(QList<QPoint>, expected);
    QFETCH(int, pages);

    LabelSheet sheet(start, labels);
    const TRenderedReport r = renderReport(sheet.report);
    QCOMPARE(r.pageCount(), pages);
    QCOMPARE(r.Bands.size(), qsizetype(start - 1 + labels));
    QCOMPARE(sheet.hookRuns, start - 1 + labels);

    int printed = 0;
    for (const TRenderedPage& page : r.Pages)
        printed += int(page.Items.size());
    QCOMPARE(printed, 2 * labels); // blank positions print nothing

    for (int i = 0; i < labels; ++i) {
        const int page = expected[i].x() - 1;
        const QPointF origin = slotOrigin(expected[i].y());
        const QList<TPrimitive> value = r.find(page, QStringLiteral("QRLabelPartie"));
        const QString text = QStringLiteral("L%1").arg(i + 1);
        auto it =
            std::find_if(value.begin(), value.end(), [&](const TPrimitive& p) { return p.Text == text; });
        QVERIFY2(it != value.end(), qPrintable(text));
        QCOMPARE(it->Box.topLeft(), origin + QPointF(33.1, 23.8));
        const TBandPlacement& band = r.Bands[start - 1 + i];
        QCOMPARE(band.Page, page);
        QCOMPARE(band.Rect, QRectF(origin, QSizeF(102.4, 147.9)));
    }
}

void TestReportEngine::summaryBand_data() {
    QTest::addColumn<int>("rows");
    QTest::addColumn<double>("summaryHeight");
    QTest::addColumn<bool>("forceNewPage");
    QTest::addColumn<int>("summaryPage");
    QTest::addColumn<double>("summaryTop");
    // Top and bottom margins 10 mm, detail bands 100 mm.
    QTest::newRow("new page after one record") << 1 << 50.0 << true << 1 << 10.0;
    QTest::newRow("below the record") << 1 << 50.0 << false << 0 << 110.0;
    QTest::newRow("too tall for the rest") << 2 << 80.0 << false << 1 << 10.0;
    QTest::newRow("exactly fills the page") << 2 << 77.0 << false << 0 << 210.0;
    QTest::newRow("empty table, new page") << 0 << 50.0 << true << 0 << 10.0;
}

void TestReportEngine::summaryBand() {
    QFETCH(int, rows);
    QFETCH(double, summaryHeight);
    QFETCH(bool, forceNewPage);
    QFETCH(int, summaryPage);
    QFETCH(double, summaryTop);

    QList<QVariantList> data;
    for (int i = 0; i < rows; ++i)
        data.append({QStringLiteral("r%1").arg(i)});
    TTestTable table({"A"}, data);
    TReport report;
    report.Page = TPageSetup::a4(10, 10, 10, 10);
    report.DataSet = &table;
    report.detail(QStringLiteral("QRBand1"), 100)
        .field(QStringLiteral("value"), QStringLiteral("A"), 0, 0, arial10);
    TReportBand& summary = report.summary(QStringLiteral("QRBand2"), summaryHeight, forceNewPage);
    summary.text(QStringLiteral("title"), QStringLiteral("Výsledek"), 0, 0, arial10);
    // Page 2 of the seed potato form prints the request's fields: the last record's values.
    summary.field(QStringLiteral("lastValue"), QStringLiteral("A"), 50, 0, arial10);

    const TRenderedReport r = renderReport(report);
    QCOMPARE(r.pageCount(), summaryPage + 1);
    const QList<TPrimitive> title = r.find(summaryPage, QStringLiteral("title"));
    QCOMPARE(title.size(), 1);
    QCOMPARE(title[0].Box.top(), summaryTop);
    QCOMPARE(title[0].Box.left(), 10.0);
    const QList<TPrimitive> last = r.find(summaryPage, QStringLiteral("lastValue"));
    QCOMPARE(last.size(), rows ? 1 : 0);
    if (rows) QCOMPARE(last[0].Text, QStringLiteral("r%1").arg(rows - 1));
    int details = 0;
    for (const TBandPlacement& b : r.Bands)
        details += b.Band == u"QRBand1";
    QCOMPARE(details, rows);
}

void TestReportEngine::skippedBandTakesNoSpace() {
    TTestTable table({"A"}, {{"x"}, {"skip"}, {"y"}});
    TReport report;
    report.DataSet = &table;
    TReportBand& band = report.detail(QStringLiteral("QRBand1"), 20);
    band.field(QStringLiteral("value"), QStringLiteral("A"), 0, 0, arial10);
    band.BeforePrint = [&](TReportBand&, TBandPrint& print) {
        if (table.FieldByName(QStringLiteral("A"))->AsString() == u"skip") print = TBandPrint::Skip;
    };
    const TRenderedReport r = renderReport(report);
    const QList<TPrimitive> values = r.find(0, QStringLiteral("value"));
    QCOMPARE(values.size(), 2);
    QCOMPARE(values[1].Text, QStringLiteral("y"));
    QCOMPARE(values[1].Box.top(), 20.0);
}

void TestReportEngine::bandTallerThanColumnStillEnds() {
    TTestTable table({"A"}, {{"1"}, {"2"}});
    TReport report;
    report.DataSet = &table;
    report.detail(QStringLiteral("QRBand1"), 400)
        .field(QStringLiteral("value"), QStringLiteral("A"), 0, 0, arial10);
    const TRenderedReport r = renderReport(report);
    QCOMPARE(r.pageCount(), 2);
    QCOMPARE(r.find(1, QStringLiteral("value")).value(0).Text, QStringLiteral("2"));
}

void TestReportEngine::reportWithoutTablePrintsItsDetailOnce() {
    TReport report;
    int runs = 0;
    TReportBand& band = report.detail(QStringLiteral("QRBand1"), 100);
    band.text(QStringLiteral("title"), QStringLiteral("Žádost"), 5, 5, arial10);
    band.field(QStringLiteral("value"), QStringLiteral("A"), 5, 15, arial10);
    band.BeforePrint = [&](TReportBand&, TBandPrint&) { ++runs; };
    const TRenderedReport r = renderReport(report);
    QCOMPARE(runs, 1);
    QCOMPARE(r.find(0, QStringLiteral("title")).size(), 1);
    QVERIFY(r.find(0, QStringLiteral("value")).isEmpty());
}

void TestReportEngine::elementsThatPrintNothing_data() {
    QTest::addColumn<QString>("how");
    QTest::newRow("switched off") << "off";
    QTest::newRow("switched off by the band hook") << "band hook";
    QTest::newRow("emptied by its print hook") << "print hook";
    QTest::newRow("switched off by its print hook") << "print hook off";
    QTest::newRow("empty field") << "empty field";
    QTest::newRow("image switched off by the band hook") << "image off";
    QTest::newRow("shape switched off by the band hook") << "shape off";
}

void TestReportEngine::elementsThatPrintNothing() {
    QFETCH(QString, how);
    OneBand t({"A"}, {{how == u"empty field" ? QVariant() : QVariant(QStringLiteral("hodnota"))}});
    TReportText& e = t.band->field(QStringLiteral("QRDBText1"), QStringLiteral("A"), 5, 5, arial10);
    t.band->text(QStringLiteral("other"), QStringLiteral("jiný"), 5, 20, arial10);
    bool hookRan = false;
    if (how == u"image off" || how == u"shape off") {
        // The label sheet's barcode: switched off for a blank slot, on again for the next label.
        e.Name = QStringLiteral("value");
        if (how == u"image off") {
            QImage bars(25, 134, QImage::Format_RGB32);
            bars.fill(Qt::black);
            t.band->image(QStringLiteral("QRDBText1"), 90.5, 5.3, 6.6, 54.5).Picture = bars;
        } else {
            t.band->vline(QStringLiteral("QRDBText1"), 108.5, 54.2, 27.8, 3);
        }
        t.band->BeforePrint = [&](TReportBand& band, TBandPrint&) {
            band.find(QStringLiteral("QRDBText1"))->Enabled =
                !band.find(QStringLiteral("QRDBText1"))->Enabled;
        };
        t.table.setRows({{QStringLiteral("blank")}, {QStringLiteral("label")}});
        const TRenderedReport r = renderReport(t.report);
        const QList<TPrimitive> printed = r.find(0, QStringLiteral("QRDBText1"));
        QCOMPARE(printed.size(), 1);
        QCOMPARE(printed[0].Box.top(), 100 + (how == u"image off" ? 5.3 : 54.2)); // the second band only
        return;
    }
    if (how == u"off") {
        e.off();
        e.onPrint([&](TReportText&, QString&) { hookRan = true; });
    } else if (how == u"band hook") {
        t.band->BeforePrint = [&](TReportBand& band, TBandPrint&) {
            band.find(QStringLiteral("QRDBText1"))->Enabled = false;
        };
    } else if (how == u"print hook") {
        e.onPrint([](TReportText&, QString& text) { text.clear(); });
    } else if (how == u"print hook off") {
        e.onPrint([](TReportText& self, QString&) { self.Enabled = false; });
    }
    const TRenderedReport r = renderReport(t.report);
    QVERIFY(r.find(0, QStringLiteral("QRDBText1")).isEmpty());
    QCOMPARE(r.find(0, QStringLiteral("other")).size(), 1);
    QVERIFY(!hookRan);
}

void TestReportEngine::autoSizedBoxKeepsItsAnchor_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("alignment");
    QTest::newRow("right, short") << "7" << int(TAlignment::Right);
    QTest::newRow("right, long") << "12345678 Žluťoučký kůň" << int(TAlignment::Right);
    QTest::newRow("centre") << "Výsledek mechanického rozboru" << int(TAlignment::Center);
    QTest::newRow("left") << "Dodavatel" << int(TAlignment::Left);
}

void TestReportEngine::autoSizedBoxKeepsItsAnchor() {
    QFETCH(QString, text);
    QFETCH(int, alignment);
    OneBand t;
    TReportText& e = t.band->text(QStringLiteral("laICO"), text, 11.1, 11.9, tahoma10);
    e.Width = 7.4; // right edge at 18.5
    e.Alignment = TAlignment(alignment);
    const TPrimitive p = t.render(QStringLiteral("laICO")).value(0);
    const double width = reportTextWidth(tahoma10, text);
    QVERIFY(width > 0);
    QCOMPARE(p.Box.width(), width);
    QCOMPARE(p.Box.top(), 11.9);
    QCOMPARE(p.Box.height(), reportLineHeight(tahoma10));
    QVERIFY(!p.WordWrap);
    const double band = 10.0; // left margin
    switch (TAlignment(alignment)) {
    case TAlignment::Right:
        QVERIFY(qAbs(p.Box.right() - (band + 18.5)) < 1e-9);
        break;
    case TAlignment::Center:
        QVERIFY(qAbs(p.Box.center().x() - (band + 11.1 + 3.7)) < 1e-9);
        break;
    case TAlignment::Left:
        QCOMPARE(p.Box.left(), band + 11.1);
        break;
    }
}

void TestReportEngine::fieldDisplayTexts_data() {
    QTest::addColumn<QVariantList>("row");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("expected");
    const QVariantList row{QStringLiteral("CZ 123"), QStringLiteral("ZX9"), 12.5, QDate(2000, 11, 10)};
    QTest::newRow("string") << row << "A"
                            << "CZ 123";
    QTest::newRow("float with decimal comma") << row << "N"
                                              << "12,5";
    QTest::newRow("whole float") << QVariantList{{}, {}, 3.0, {}} << "N"
                                 << "3";
    QTest::newRow("short date") << row << "D"
                                << "10.11.2000";
    QTest::newRow("expression joins two fields") << row << "A+B"
                                                 << "CZ 123ZX9";
    QTest::newRow("expression with an empty field") << QVariantList{{}, QStringLiteral("ZX9")} << "A+B"
                                                    << "ZX9";
}

void TestReportEngine::fieldDisplayTexts() {
    QFETCH(QVariantList, row);
    QFETCH(QString, field);
    QFETCH(QString, expected);
    OneBand t({"A", "B", "N:F", "D:D"}, {row});
    if (field.contains(u'+')) {
        const QStringList parts = field.split(u'+');
        t.band->expr(QStringLiteral("e"), parts[0], parts[1], 1, 1, arial10);
    } else {
        t.band->field(QStringLiteral("e"), field, 1, 1, arial10);
    }
    QCOMPARE(t.render(QStringLiteral("e")).value(0).Text, expected);
}

void TestReportEngine::printHookSeesAndReplacesText() {
    OneBand t({"A"}, {{QStringLiteral("0")}, {QStringLiteral("5")}});
    QStringList seen;
    t.band->field(QStringLiteral("QRDBText36"), QStringLiteral("A"), 1, 1, arial10)
        .onPrint([&](TReportText& self, QString& text) {
            QCOMPARE(self.Name, QStringLiteral("QRDBText36"));
            seen << text;
            if (text == u"0")
                text.clear();
            else
                text += QStringLiteral(" ks");
        });
    const TRenderedReport r = renderReport(t.report);
    QCOMPARE(seen, QStringList({"0", "5"}));
    const QList<TPrimitive> printed = r.find(0, QStringLiteral("QRDBText36"));
    QCOMPARE(printed.size(), 1);
    QCOMPARE(printed[0].Text, QStringLiteral("5 ks"));
    QCOMPARE(printed[0].Box.top(), 101.0); // the second band
}

void TestReportEngine::fixedBoxesImagesAndShapes() {
    OneBand t;
    t.band
        ->text(QStringLiteral("wrapped"), QStringLiteral("dlouhý text, který se zalomí"), 10.6, 15.9, arial10)
        .box(7.9, 4.5)
        .alignRight();
    t.band->text(QStringLiteral("clear"), QStringLiteral("x"), 45, 46.3, arial10)
        .box(45.2, 9.5)
        .transparent();
    t.band->rotated(QStringLiteral("credit"), QStringLiteral("Kvor Pro"), 93.9, 66.1, 3.4, 70.4, tahoma10);
    QImage bars(134, 25, QImage::Format_RGB32);
    bars.fill(Qt::black);
    t.band->image(QStringLiteral("natural"), 133.6, 33.1, 30.0, 7.9).Picture = bars;
    t.band->image(QStringLiteral("stretched"), 2.6, 50.3, 185.2, 167.5).stretch().Picture = bars;
    t.band->image(QStringLiteral("empty"), 2.6, 50.3, 10, 10);
    t.band->rectangle(QStringLiteral("frame"), 10.6, 42.3, 163.0, 150.5, 3);
    t.band->hline(QStringLiteral("rule"), 10.6, 54.2, 162.7);
    t.band->vline(QStringLiteral("divider"), 108.5, 54.2, 27.8);
    const TRenderedReport r = renderReport(t.report);
    const auto one = [&](const char* name) { return r.find(0, QLatin1String(name)).value(0); };

    QCOMPARE(one("wrapped").Box, QRectF(20.6, 15.9, 7.9, 4.5));
    QVERIFY(one("wrapped").WordWrap);
    QVERIFY(one("wrapped").Opaque);
    QCOMPARE(one("wrapped").Alignment, TAlignment::Right);
    QVERIFY(!one("clear").Opaque);
    QCOMPARE(one("credit").Kind, TPrimitiveKind::RotatedText);
    QCOMPARE(one("credit").Box, QRectF(103.9, 66.1, 3.4, 70.4));

    const TPrimitive natural = one("natural");
    QCOMPARE(natural.Box, QRectF(143.6, 33.1, 30.0, 7.9)); // cuts the 35.5 mm symbol
    QVERIFY(qAbs(natural.ImageRect.width() - 134 * 25.4 / 96) < 1e-9);
    QVERIFY(qAbs(natural.ImageRect.height() - 25 * 25.4 / 96) < 1e-9);
    QCOMPARE(natural.ImageRect.topLeft(), natural.Box.topLeft());
    QCOMPARE(one("stretched").ImageRect, one("stretched").Box);
    QVERIFY(r.find(0, QStringLiteral("empty")).isEmpty());

    QCOMPARE(one("frame").Kind, TPrimitiveKind::Rectangle);
    QVERIFY(qAbs(one("frame").PenWidth - 3 * 25.4 / 96) < 1e-9);
    QCOMPARE(one("rule").Kind, TPrimitiveKind::Line);
    QCOMPARE(one("rule").Box, QRectF(20.6, 54.2, 162.7, 0));
    QVERIFY(qAbs(one("rule").PenWidth - 25.4 / 96) < 1e-9);
    QCOMPARE(one("divider").Box, QRectF(118.5, 54.2, 0, 27.8));
}

void TestReportEngine::renderingTwiceGivesSamePagesAndKeepsTheRecord() {
    LabelSheet sheet(2, 3);
    sheet.table.Open();
    sheet.table.Next();
    sheet.table.Next();
    const TRenderedReport first = renderReport(sheet.report);
    QCOMPARE(sheet.table.RecNo(), 3);
    QVERIFY(sheet.table.Active());
    const TRenderedReport second = renderReport(sheet.report);
    QVERIFY(first == second);
    QCOMPARE(sheet.hookRuns, 8);
}

void TestReportEngine::closedTableIsOpenedAndClosedAgain() {
    LabelSheet sheet(1, 2);
    QVERIFY(!sheet.table.Active());
    const TRenderedReport r = renderReport(sheet.report);
    QVERIFY(!sheet.table.Active());
    QCOMPARE(r.find(0, QStringLiteral("QRLabelPartie")).size(), 2);
}

void TestReportEngine::fontsPrintCzechTextAtTheDesignedWidth_data() {
    QTest::addColumn<QString>("design");
    QTest::addColumn<bool>("bold");
    QTest::addColumn<double>("ems");     // advance of the sample line in the design face, in ems
    QTest::addColumn<double>("percent"); // how far the face that prints it may differ
    // Arial's advances are those of its metric-compatible substitute; Tahoma's were measured on
    // a face made to Tahoma's metrics. Tahoma's substitute must come within a few per cent
    // (DejaVu Sans, its former stand-in, is 12-15 % wider).
    QTest::newRow("Arial") << "Arial" << false << 37.523 << 0.5;
    QTest::newRow("Arial bold") << "Arial" << true << 39.848 << 0.5;
    QTest::newRow("Arial CE") << "Arial CE" << false << 37.523 << 0.5;
    QTest::newRow("Tahoma") << "Tahoma" << false << 36.834 << 4.0;
    QTest::newRow("Tahoma bold") << "Tahoma" << true << 41.938 << 4.0;
}

void TestReportEngine::fontsPrintCzechTextAtTheDesignedWidth() {
    QFETCH(QString, design);
    QFETCH(bool, bold);
    QFETCH(double, ems);
    QFETCH(double, percent);
    const QString sample =
        QStringLiteral("Výsledek mechanického rozboru sadby brambor, Žádost o uznání osiva 0123456789");
    const TReportFont font{design, 10, bold, false};
    const double expected = ems * 10 * 25.4 / 72; // millimetres at 10 pt
    const double width = reportTextWidth(font, sample);
    QVERIFY2(qAbs(width / expected - 1) * 100 <= percent,
             qPrintable(QStringLiteral("%1 mm against %2 mm in %3")
                            .arg(width)
                            .arg(expected)
                            .arg(reportFontFamily(design))));
    for (bool italic : {false, true}) {
        QFontMetricsF metrics(reportQFont(TReportFont{design, 10, bold, italic}));
        for (QChar c : QStringLiteral("ěščřžýáíéúůťďňĚŠČŘŽÝÁÍÉÚŮŤĎŇ§"))
            QVERIFY2(metrics.inFont(c), qPrintable(QString(c)));
    }
    // A font made elsewhere under the design name lands on the same face.
    installReportFonts();
    QCOMPARE(QFontInfo(QFont(design)).family(), reportFontFamily(design));
}

void TestReportEngine::imagesArePaintedWithoutSmoothing_data() {
    QTest::addColumn<QColor>("bar");
    QTest::addColumn<QColor>("space");
    QTest::newRow("black and white") << QColor(Qt::black) << QColor(Qt::white);
    QTest::newRow("colours") << QColor(200, 0, 0) << QColor(0, 0, 220);
}

void TestReportEngine::imagesArePaintedWithoutSmoothing() {
    QFETCH(QColor, bar);
    QFETCH(QColor, space);
    // One-pixel bars, enlarged by a factor that is not a whole number.
    QImage picture(40, 10, QImage::Format_RGB32);
    for (int x = 0; x < picture.width(); ++x)
        for (int y = 0; y < picture.height(); ++y)
            picture.setPixel(x, y, x % 2 ? space.rgb() : bar.rgb());
    TRenderedPage page;
    TPrimitive p;
    p.Kind = TPrimitiveKind::Image;
    p.Box = QRectF(1, 1, 20, 20);
    p.ImageRect = QRectF(1, 1, 40 * 25.4 / 96, 10 * 25.4 / 96);
    p.Image = picture;
    page.Items.append(p);

    QImage canvas(250, 250, QImage::Format_RGB32);
    canvas.fill(Qt::white);
    {
        QPainter painter(&canvas);
        painter.setRenderHint(QPainter::SmoothPixmapTransform); // the page painter must override this
        painter.setRenderHint(QPainter::Antialiasing);
        paintPage(painter, page, 9.3);
    }
    int bars = 0, spaces = 0;
    for (int y = 0; y < canvas.height(); ++y)
        for (int x = 0; x < canvas.width(); ++x) {
            const QRgb c = canvas.pixel(x, y);
            QVERIFY2(c == bar.rgb() || c == space.rgb() || c == qRgb(255, 255, 255),
                     "a mixed pixel: the picture was smoothed");
            bars += c == bar.rgb();
            spaces += c == space.rgb();
        }
    // 20 bars of 2.46 by 24.6 pixels.
    QVERIFY2(bars > 20 * 2 * 24 && bars < 20 * 3 * 25, qPrintable(QString::number(bars)));
    if (space != Qt::white) QVERIFY(spaces > 20 * 2 * 24);
}

void TestReportEngine::textsArePaintedInsideTheirBoxes_data() {
    QTest::addColumn<bool>("rotated");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QRectF>("box");
    // Where the first glyph must be: the box's bottom for a rotated text, its left edge otherwise.
    QTest::newRow("rotated, starts at the bottom") << true << "Kvor Pro" << QRectF(10, 5, 4, 60);
    QTest::newRow("rotated, cut at the top")
        << true << "Kvor Pro, program pro žádosti o uznání osiva a sadby" << QRectF(10, 5, 4, 40);
    QTest::newRow("fixed box, wraps and is cut")
        << false << "Souhlasíme s případným uznáním v nižší kategorii" << QRectF(5, 5, 30, 6);
}

void TestReportEngine::textsArePaintedInsideTheirBoxes() {
    QFETCH(bool, rotated);
    QFETCH(QString, text);
    QFETCH(QRectF, box);
    TPrimitive p;
    p.Kind = rotated ? TPrimitiveKind::RotatedText : TPrimitiveKind::Text;
    p.WordWrap = !rotated;
    p.Box = box;
    p.Text = text;
    p.Font = TReportFont{QStringLiteral("Tahoma"), 7};
    TRenderedPage page;
    page.Items.append(p);

    const double dotsPerMm = 10;
    QImage canvas(500, 800, QImage::Format_RGB32);
    canvas.fill(Qt::white);
    {
        QPainter painter(&canvas);
        paintPage(painter, page, dotsPerMm);
    }
    QRect ink;
    for (int y = 0; y < canvas.height(); ++y)
        for (int x = 0; x < canvas.width(); ++x)
            if (qGray(canvas.pixel(x, y)) < 128) ink |= QRect(x, y, 1, 1);
    QVERIFY(!ink.isEmpty());
    const QRectF pixels(box.topLeft() * dotsPerMm, box.size() * dotsPerMm);
    QVERIFY2(pixels.adjusted(-1, -1, 1, 1).contains(QRectF(ink)), "ink outside the box");
    const double fullLength = reportTextWidth(p.Font, text) * dotsPerMm;
    if (rotated) {
        // Reads from bottom to top: the first glyph at the bottom, the line across the box.
        QVERIFY(ink.bottom() > pixels.bottom() - 0.5 * dotsPerMm);
        QVERIFY(ink.width() < pixels.width());
        const double length = std::min(fullLength, pixels.height());
        QVERIFY2(qAbs(ink.height() - length) < 1.5 * dotsPerMm, qPrintable(QString::number(ink.height())));
    } else {
        QVERIFY(ink.left() < pixels.left() + 0.5 * dotsPerMm);
        QVERIFY(fullLength > pixels.width()); // so it had to wrap
        QVERIFY(ink.height() > 0.5 * pixels.height());
    }
}

void TestReportEngine::savedReportLoadsEqual() {
    LabelSheet full(2, 4);
    full.report.Title = QStringLiteral("Štítky");
    full.report.Page.Duplex = true;
    QImage bars(134, 25, QImage::Format_RGB32);
    bars.fill(Qt::black);
    full.report.Detail()->image(QStringLiteral("QRImageCK"), 90.5, 5.3, 6.6, 54.5).Picture = bars;
    full.report.Detail()->rectangle(QStringLiteral("frame"), 1, 1, 100, 140, 3);
    full.report.Detail()->rotated(QStringLiteral("credit"), QStringLiteral("Kvor"), 93.9, 66.1, 3.4, 70.4,
                                  tahoma10);
    const TRenderedReport original = renderReport(full.report);

    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("sestava.kvr"));
    original.save(file);
    const TRenderedReport loaded = TRenderedReport::load(file);
    QVERIFY(loaded == original);
    QVERIFY(loaded.Duplex);
    QCOMPARE(loaded.pageCount(), 2);
}

void TestReportEngine::damagedSavedReportIsRefused_data() {
    QTest::addColumn<int>("cut");  // bytes kept; -1 keeps all
    QTest::addColumn<int>("flip"); // byte to change; -1 none
    QTest::newRow("empty file") << 0 << -1;
    QTest::newRow("other file") << -1 << 0;
    QTest::newRow("cut short") << 200 << -1;
    QTest::newRow("other version") << -1 << 11;
    // The paper width right after the magic, the version and the empty title: a width of 1e-180
    // mm would make the preview's zoom infinite.
    QTest::newRow("impossible paper size") << -1 << 16;
}

void TestReportEngine::damagedSavedReportIsRefused() {
    QFETCH(int, cut);
    QFETCH(int, flip);
    LabelSheet sheet(1, 2);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    renderReport(sheet.report).write(buffer);
    QByteArray bytes = buffer.data();
    if (cut >= 0) bytes.truncate(cut);
    if (flip >= 0) bytes[flip] = char(bytes[flip] ^ 0x5a);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("poškozená.kvr"));
    QFile f(file);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    f.close();
    QVERIFY_THROWS_EXCEPTION(EReportError, TRenderedReport::load(file));
    QVERIFY_THROWS_EXCEPTION(EReportError, TRenderedReport::load(dir.filePath(QStringLiteral("chybí.kvr"))));
}

void TestReportEngine::savedNumbersNoLayoutMakesAreRefused_data() {
    QTest::addColumn<QString>("place");
    QTest::addColumn<double>("value");
    QTest::addColumn<bool>("loads");
    const double nan = std::numeric_limits<double>::quiet_NaN(),
                 inf = std::numeric_limits<double>::infinity();
    // A font of 4e103 points once reached the font engine, which cannot size it.
    QTest::newRow("font of 1000 pt") << "font" << 1000.0 << true;
    QTest::newRow("font of 4e103 pt") << "font" << 3.95e103 << false;
    QTest::newRow("font size not a number") << "font" << nan << false;
    QTest::newRow("negative font size") << "font" << -1.0 << false;
    QTest::newRow("line rising 10 m") << "box" << -10000.0 << true;
    QTest::newRow("box at infinity") << "box" << inf << false;
    QTest::newRow("picture place not a number") << "image" << nan << false;
    QTest::newRow("pen 1 km wide") << "pen" << 1e6 << false;
    QTest::newRow("band not a number") << "band" << nan << false;
}

void TestReportEngine::savedNumbersNoLayoutMakesAreRefused() {
    QFETCH(QString, place);
    QFETCH(double, value);
    QFETCH(bool, loads);
    TRenderedReport r;
    TPrimitive p;
    p.Kind = TPrimitiveKind::Line;
    p.Box = QRectF(10, 20, 30, 0);
    p.PenWidth = 0.2;
    if (place == u"font") p.Font.Size = value;
    if (place == u"box") p.Box.setHeight(value);
    if (place == u"image") p.ImageRect.setX(value);
    if (place == u"pen") p.PenWidth = value;
    r.Pages.append(TRenderedPage{{p}});
    r.Bands.append(
        TBandPlacement{QStringLiteral("QRBand1"), 0, 0, QRectF(0, 0, 210, place == u"band" ? value : 50)});
    QBuffer buffer;
    buffer.open(QIODevice::ReadWrite);
    r.write(buffer);
    buffer.seek(0);
    if (loads) {
        QVERIFY(TRenderedReport::read(buffer) == r);
    } else {
        QVERIFY_THROWS_EXCEPTION(EReportError, TRenderedReport::read(buffer));
    }
}

void TestReportEngine::pdfHasPagesAndTextsWhereTheModelPutThem() {
    LabelSheet sheet(4, 6);
    sheet.report.Detail()
        ->text(QStringLiteral("right"), QStringLiteral("Kč12345"), 11.1, 11.9, tahoma10)
        .rightEdge(18.5);
    sheet.report.Detail()->text(QStringLiteral("big"), QStringLiteral("Žádost"), 14.6, 35.7,
                                arial10.sized(18).bold());
    const TRenderedReport r = renderReport(sheet.report);
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("štítky.pdf"));
    exportPdf(r, pdf);

    const QString html =
        QString::fromUtf8(run(findTool("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")}));
    static const QRegularExpression pageRe(
        QString::fromLatin1(R"re(<page width="([\d.]+)" height="([\d.]+)">)re"));
    static const QRegularExpression wordRe(QString::fromLatin1(
        R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re"));
    QList<QList<QStringList>> words; // per page: (xMin, yMin, xMax, yMax, text)
    for (const QString& chunk : html.split(QStringLiteral("<page ")).mid(1)) {
        const auto pm = pageRe.match(QStringLiteral("<page ") + chunk);
        QVERIFY(pm.hasMatch());
        QVERIFY(qAbs(pm.captured(1).toDouble() * mmPerPt - 210) < 0.5);
        QVERIFY(qAbs(pm.captured(2).toDouble() * mmPerPt - 297) < 0.5);
        QList<QStringList> pageWords;
        for (auto it = wordRe.globalMatch(chunk); it.hasNext();) {
            const auto m = it.next();
            pageWords.append({m.captured(1), m.captured(2), m.captured(3), m.captured(4), m.captured(5)});
        }
        words.append(pageWords);
    }
    QCOMPARE(words.size(), r.pageCount());
    QCOMPARE(words.size(), 3);

    int checked = 0;
    for (int page = 0; page < r.pageCount(); ++page) {
        for (const TPrimitive& p : r.Pages[page].Items) {
            // The first word of the text, found where the model put the text's box.
            const QString first = p.Text.section(u' ', 0, 0);
            bool found = false;
            for (const QStringList& w : words[page]) {
                if (w[4] != first) continue;
                const double left = w[0].toDouble() * mmPerPt, top = w[1].toDouble() * mmPerPt;
                const double bottom = w[3].toDouble() * mmPerPt;
                if (qAbs(left - p.Box.left()) > 0.5) continue;
                // The reader's box spans the font's ascent and descent, as the model's line does.
                if (qAbs(top - p.Box.top()) > 0.5 || qAbs(bottom - p.Box.bottom()) > 0.5) continue;
                found = true;
            }
            QVERIFY2(found,
                     qPrintable(QStringLiteral("%1 \"%2\" on page %3").arg(p.Name, p.Text).arg(page + 1)));
            ++checked;
        }
    }
    QCOMPARE(checked, 6 * 4);
}

void TestReportEngine::autoSizedTextWithoutWidthKeepsItsDesignedAnchor_data() {
    QTest::addColumn<int>("alignment");
    QTest::addColumn<QString>("printed");
    QTest::newRow("centre, longer") << int(TAlignment::Center)
                                    << "Výsledek mechanického rozboru sadby brambor";
    QTest::newRow("centre, shorter") << int(TAlignment::Center) << "Rozbor";
    QTest::newRow("right, longer") << int(TAlignment::Right) << "Základní rozmnožovací materiál";
}

void TestReportEngine::autoSizedTextWithoutWidthKeepsItsDesignedAnchor() {
    QFETCH(int, alignment);
    QFETCH(QString, printed);
    OneBand t;
    const QString design = QStringLiteral("Výsledek rozboru");
    TReportText& e = t.band->text(QStringLiteral("QRLabel34"), design, 43.4, 13.2, tahoma10);
    e.Alignment = TAlignment(alignment);
    e.onPrint([&](TReportText&, QString& text) { text = printed; });
    const TPrimitive p = t.render(QStringLiteral("QRLabel34")).value(0);
    const double designWidth = reportTextWidth(tahoma10, design);
    QCOMPARE(p.Box.width(), reportTextWidth(tahoma10, printed));
    if (TAlignment(alignment) == TAlignment::Center)
        QVERIFY(qAbs(p.Box.center().x() - (10 + 43.4 + designWidth / 2)) < 1e-9);
    else
        QVERIFY(qAbs(p.Box.right() - (10 + 43.4 + designWidth)) < 1e-9);
}

void TestReportEngine::textsWithoutFontTakeTheReportDefault() {
    OneBand t;
    t.report.DefaultFont = TReportFont{QStringLiteral("Arial CE"), 10};
    t.band->text(QStringLiteral("caption"), QStringLiteral("Druh"), 1, 1);
    t.band->field(QStringLiteral("value"), QStringLiteral("A"), 1, 10);
    t.band->text(QStringLiteral("own"), QStringLiteral("Druh"), 1, 20, tahoma10);
    t.table.setRows({{QStringLiteral("pšenice")}});
    const TRenderedReport r = renderReport(t.report);
    QCOMPARE(r.find(0, QStringLiteral("caption")).value(0).Font, t.report.DefaultFont);
    QCOMPARE(r.find(0, QStringLiteral("value")).value(0).Font, t.report.DefaultFont);
    QCOMPARE(r.find(0, QStringLiteral("own")).value(0).Font, tahoma10);
}

void TestReportEngine::textCutAtItsBoxIsNotInThePdf_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("alignment");
    QTest::addColumn<QString>("shown");  // what the reader finds first
    QTest::addColumn<QString>("hidden"); // what it must not find
    // A box of 30 x 4.5 mm holds one line of Arial 10.
    QTest::newRow("lines below the box") << "Alfa Beta Gama Delta Epsilon Zeta Eta Theta Iota Kappa"
                                         << int(TAlignment::Left) << "Alfa Beta Gama"
                                         << "Epsilon";
    QTest::newRow("right-aligned") << "Alfa Beta Gama Delta Epsilon Zeta Eta Theta" << int(TAlignment::Right)
                                   << "Alfa Beta Gama"
                                   << "Zeta";
    QTest::newRow("a word wider than the box")
        << "Nejnepravděpodobnějšími" << int(TAlignment::Left) << "Nejnepravděpodo"
        << "Nejnepravděpodobnějšími";
    QTest::newRow("fits") << "Alfa Beta" << int(TAlignment::Left) << "Alfa Beta"
                          << "Gama";
}

void TestReportEngine::textCutAtItsBoxIsNotInThePdf() {
    QFETCH(QString, text);
    QFETCH(int, alignment);
    QFETCH(QString, shown);
    QFETCH(QString, hidden);
    OneBand t;
    TReportText& e = t.band->text(QStringLiteral("NAV1"), text, 13.2, 20, arial10);
    e.box(30, 4.5);
    e.Alignment = TAlignment(alignment);
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("cut.pdf"));
    exportPdf(renderReport(t.report), pdf);
    const QString plain =
        QString::fromUtf8(run(findTool("pdftotext"), {pdf, QStringLiteral("-")})).simplified();
    // The reader finds what the paper shows, and the words' boxes lie inside the element's box.
    QVERIFY2(plain.startsWith(shown) && !plain.contains(hidden), qPrintable(plain));
    const QString html =
        QString::fromUtf8(run(findTool("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")}));
    static const QRegularExpression wordRe(
        QString::fromLatin1(R"re(<word xMin="([\d.]+)" yMin="[\d.]+" xMax="([\d.]+)")re"));
    for (auto it = wordRe.globalMatch(html); it.hasNext();) {
        const auto m = it.next();
        QVERIFY(m.captured(1).toDouble() * mmPerPt >= 23.2 - 0.2);
        QVERIFY(m.captured(2).toDouble() * mmPerPt <= 53.2 + 0.2);
    }
}

void TestReportEngine::printerPrintsThePagesOfItsRange_data() {
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<QStringList>("labels");
    QTest::newRow("all") << 0 << 0 << QStringList{"L1", "L5", "L9"};
    QTest::newRow("page 2") << 2 << 2 << QStringList{"L5"};
    QTest::newRow("pages 2 to 9") << 2 << 9 << QStringList{"L5", "L9"};
    QTest::newRow("past the end") << 4 << 5 << QStringList();
}

void TestReportEngine::printerPrintsThePagesOfItsRange() {
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(QStringList, labels);
    LabelSheet sheet(1, 9); // three pages of four labels
    const TRenderedReport r = renderReport(sheet.report);
    QCOMPARE(r.pageCount(), 3);
    QTemporaryDir dir;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath(QStringLiteral("tisk.pdf")));
    preparePrinter(printer, r);
    QCOMPARE(printer.pageLayout().pageSize().size(QPageSize::Millimeter), QSizeF(210, 297));
    if (from > 0) {
        printer.setPrintRange(QPrinter::PageRange);
        printer.setFromTo(from, to);
    }
    if (labels.isEmpty()) {
        QVERIFY_THROWS_EXCEPTION(EReportError, printReport(r, printer));
        return;
    }
    printReport(r, printer);
    const QString text =
        QString::fromUtf8(run(findTool("pdftotext"), {printer.outputFileName(), QStringLiteral("-")}));
    // The first label of each page printed tells which pages were printed, in order.
    QStringList firsts;
    for (const QString& page : text.split(QChar(u'\f'), Qt::SkipEmptyParts)) {
        static const QRegularExpression label(QStringLiteral("L\\d"));
        firsts << label.match(page).captured(0);
    }
    QCOMPARE(firsts, labels);
}

QTEST_MAIN(TestReportEngine)
#include "tst_report_engine.moc"
