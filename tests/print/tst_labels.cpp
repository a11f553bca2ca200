// The sample label sheet: kvor-print labels fills the slot table as the label job does and writes
// the sheet; pdftotext -bbox reads back where every caption and value of each slot stands, zbarimg
// decodes the rotated barcodes; the slot flow and the label's own value rules on rendered pages.
#include "PrintFolder.h"
#include "print/LabelJob.h"
#include "print/RequestLayout.h"
#include "print/tiskformS.h"
#include "report/ReportRender.h"

using namespace kvor;
using namespace kvor::testing;
using namespace Qt::StringLiterals;

namespace {

// Where the element table puts each text of one label, from the label's top-left corner.
// Anchor 'L': the text's left edge at Left; 'R': its right edge at Left.
struct Expected {
    const char* element;
    QString text;
    double left;
    double top;
    double points;
    char anchor;
};

// clang-format off
const Expected labelTexts[] = {
    {"QRLabel6", u"Dodavatel"_s, 2.6, 4.0, 8, 'L'},
    {"laNAZEV", u"Osiva Haná s.r.o."_s, 25.1, 4.0, 8, 'L'},
    {"laSIDLO", u"Kroměříž"_s, 25.1, 7.9, 8, 'L'},
    {"laICO", u"12345678"_s, 18.5, 11.9, 8, 'R'},
    {"laULICECISLO", u"Hulínská 12"_s, 25.1, 11.9, 8, 'L'},
    {"QRDBText38", u"101"_s, 18.5, 15.9, 8, 'R'},
    {"laPSC", u"767 01"_s, 25.1, 15.9, 8, 'L'},
    {"laPOSTA", u"Kroměříž 1"_s, 41.0, 15.9, 8, 'L'},
    {"QRLabel30", u"Číslo partie"_s, 2.6, 23.8, 8, 'L'},
    {"QRLabelPartie", u"2-0815-00042/01"_s, 33.1, 23.8, 10, 'L'},
    {"QRLabel4", u"Zahr.partie"_s, 2.6, 30.4, 8, 'L'},
    {"QRExpr1", u"123456NL-778"_s, 33.1, 30.4, 10, 'L'},
    {"QRLabel18", u"Druh"_s, 2.6, 35.7, 8, 'L'},
    {"QRDBText39", u"20"_s, 17.2, 35.7, 8, 'L'},
    {"QRDBText41", u"Pšenice ozimá"_s, 33.1, 35.7, 10, 'L'},
    {"QRLabel15", u"odrůda"_s, 2.6, 41.0, 8, 'L'},
    {"QRDBText40", u"4711"_s, 17.2, 41.0, 8, 'L'},
    {"QRDBText42", u"Bohemia"_s, 33.1, 41.0, 10, 'L'},
    {"QRLabel19", u"Kategorie a generace"_s, 2.6, 46.3, 8, 'L'},
    {"QRDBText1", u"SE2"_s, 33.1, 46.3, 10, 'L'},
    {"QRLabelKat", u"Základní"_s, 45.0, 46.3, 9, 'L'},
    {"QRLabel32", u"Rok sklizně"_s, 2.6, 51.6, 8, 'L'},
    {"QRDBText34", u"2012"_s, 33.1, 51.6, 10, 'L'},
    {"QRLabel1", u"Země původu"_s, 2.6, 56.9, 8, 'L'},
    {"QRLabel2", u"ČR"_s, 33.1, 56.9, 10, 'L'},
    {"QRLabel21", u"Hmotnost partie"_s, 2.6, 62.2, 8, 'L'},
    {"QRDBText22", u"1250,5"_s, 33.1, 62.2, 10, 'L'},
    {"QRDBText23", u"kg"_s, 51.6, 62.2, 10, 'L'},
    {"QRLabel23", u"Počet obalů"_s, 2.6, 67.5, 8, 'L'},
    {"QRDBText25", u"50"_s, 33.1, 67.5, 10, 'L'},
    {"QRDBText24", u"pytle jutové"_s, 45.0, 67.5, 10, 'L'},
    {"QRDBText36", u"2"_s, 33.1, 72.5, 10, 'L'},
    {"QRDBText35", u"big-bag"_s, 45.0, 72.5, 10, 'L'},
    {"QRLabel29", u"Čísla návěsek"_s, 2.6, 78.1, 8, 'L'},
    {"QRDBText45", u"CZ 123 od 1 do 50"_s, 22.5, 78.1, 9, 'L'},
    {"QRDBText46", u"CZ 124 od 51 do 60"_s, 22.5, 82.8, 9, 'L'},
    {"QRLabel26", u"Místo vzorkování"_s, 2.6, 88.6, 8, 'L'},
    {"QRDBText27", u"Sklad Kroměříž"_s, 33.1, 88.6, 10, 'L'},
    {"QRLabel3", u"Datum vzorkování"_s, 2.6, 93.9, 8, 'L'},
    {"QRLabel28", u"Účel vzorkování"_s, 2.6, 99.2, 8, 'L'},
    {"QRLabel13", u"uznání po úpravě osiva"_s, 33.1, 99.2, 10, 'L'},
    {"QRDBText4", u"mořeno"_s, 2.6, 105.8, 8, 'L'},
    {"QRDBText3", u"Celest Trio"_s, 33.1, 105.8, 10, 'L'},
    {"QRLabel11", u"Razítko a podpis vzorkovatele"_s, 2.6, 117.7, 8, 'L'},
    {"QRLabel12", u"Razítko a podpis dodavatele"_s, 2.6, 133.1, 8, 'L'},
};
// clang-format on

// The top-left corner of each slot of a sheet: 1 top left, 2 bottom left, 3 top right, 4 bottom right.
const QPointF slotCorner[] = {{5.0, 0.0}, {5.0, 147.9}, {107.5, 0.0}, {107.5, 147.9}};

QString toolPath() {
    return QStringLiteral(KVOR_BINARY_DIR "/tools/kvor-print/kvor-print");
}

// A program folder with the request, an empty slot table and, after labels(), the sheet's PDF.
struct LabelFolder : PrintFolder {
    explicit LabelFolder(const QVariantMap& changes = {}) : PrintFolder(changes) {
        TDsDatabase db;
        db.SetDatabaseName(path(u"data"_s));
        TDsDbfTable slots2;
        slots2.SetDatabase(&db);
        slots2.SetTableName(u"zadost2.dbf"_s);
        slots2.FieldDefs() = requestRecordDefs();
        slots2.CreateTable();
    }
    ToolRun labels(int count, int start) const {
        return runTool(toolPath(), {u"labels"_s, path(), pdf(), u"--count"_s, QString::number(count),
                                    u"--start"_s, QString::number(start)});
    }
    QString pdf() const { return path(u"stitky.pdf"_s); }
};

// The sheet rendered by the layout over a slot table filled as the label job fills it.
struct RenderedSheet {
    LabelFolder folder;
    TDsDatabase db;
    TDsDbfTable request, slotTable;
    TRenderedReport pages;

    RenderedSheet(int count, int start, const QVariantMap& changes = {}) : folder(changes) {
        db.SetDatabaseName(folder.path(u"data"_s));
        for (auto [table, file] : {std::pair{&request, "zadost.dbf"}, std::pair{&slotTable, "zadost2.dbf"}}) {
            table->SetDatabase(&db);
            table->SetTableName(QString::fromLatin1(file));
        }
        request.Open();
        fillSlotTable(slotTable, request, count, start);
        TTiskForS layout(slotTable, folder.ini());
        pages = renderReport(layout.QuickRep1);
    }
    // The primitives printed inside the band of a slot record (1-based).
    QList<TPrimitive> printedIn(int record) const {
        const TBandPlacement& band = pages.Bands.at(record - 1);
        QList<TPrimitive> out;
        for (const TPrimitive& p : pages.Pages.at(band.Page).Items)
            if (band.Rect.contains(p.Box.center())) out << p;
        return out;
    }
};

} // namespace

class TestLabels : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void textsStandInEachSlot_data();
    void textsStandInEachSlot();
    void creditLineReadsUpwardsInItsBox();
    void barcodeOfEveryLabelDecodes();
    void slotsFillColumnsThenPages_data();
    void slotsFillColumnsThenPages();
    void labelValueRules_data();
    void labelValueRules();
    void labelsThatCannotPrintAreRefused_data();
    void labelsThatCannotPrintAreRefused();

private:
    std::unique_ptr<LabelFolder> m_sheet; // four labels from slot 1: one full page
    QList<QList<PdfWord>> m_words;
};

void TestLabels::initTestCase() {
    m_sheet = std::make_unique<LabelFolder>();
    const ToolRun r = m_sheet->labels(4, 1);
    QVERIFY2(r.exitCode == 0, r.err.constData());
    m_words = pdfWords(m_sheet->pdf());
    QCOMPARE(m_words.size(), 1);
}

void TestLabels::textsStandInEachSlot_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("x");
    QTest::addColumn<double>("top");
    QTest::addColumn<double>("points");
    QTest::addColumn<bool>("rightAnchored");
    for (int slot = 1; slot <= 4; ++slot)
        for (const Expected& e : labelTexts)
            QTest::addRow("slot %d %s", slot, e.element)
                << e.text << slotCorner[slot - 1].x() + e.left << slotCorner[slot - 1].y() + e.top << e.points
                << (e.anchor == 'R');
}

void TestLabels::textsStandInEachSlot() {
    QFETCH(QString, text);
    QFETCH(double, x);
    QFETCH(double, top);
    QFETCH(double, points);
    QFETCH(bool, rightAnchored);
    // Every word of the text found on the page in that slot: the words of the four slots are
    // alike, so a slot is told by position.
    const QString error = locateText(m_words[0], text, x, top, points, rightAnchored);
    QVERIFY2(error.isEmpty(), qPrintable(error));
}

void TestLabels::creditLineReadsUpwardsInItsBox() {
    const QStringList words = makersCreditLine().split(u' ');
    for (const QPointF& corner : slotCorner) {
        const QRectF box(corner + QPointF(93.9, 66.1), QSizeF(3.4, 70.4));
        QList<PdfWord> found;
        for (const QString& w : words)
            for (const PdfWord& p : m_words[0])
                if (p.text == w && box.adjusted(-0.3, -0.3, 0.3, 0.3)
                                       .contains(QRectF(p.left, p.top, p.right - p.left, p.bottom - p.top)))
                    found << p;
        QCOMPARE(found.size(), words.size());
        // Upwards: each word above the one before it, the first at the bottom of the box.
        for (int i = 1; i < found.size(); ++i)
            QVERIFY(found[i].bottom <= found[i - 1].top + 0.1);
        QVERIFY(qAbs(found[0].bottom - box.bottom()) < 1.0);
    }
}

void TestLabels::barcodeOfEveryLabelDecodes() {
    // Each label on its own: the area of its barcode box with a quiet zone around it.
    QTemporaryDir work;
    for (const QPointF& corner : slotCorner) {
        const QRectF area(corner + QPointF(90.5 - 3, std::max(5.3 - 3, 0.0)), QSizeF(6.6 + 6, 54.5 + 3));
        QCOMPARE(pdfBarcodesIn(m_sheet->pdf(), 1, area, work.path()), QStringList{u"123456783300000042"_s});
    }
}

void TestLabels::slotsFillColumnsThenPages_data() {
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("start");
    QTest::addColumn<QStringList>("printed"); // "page/slot" of every printed label
    QTest::newRow("one at slot 1") << 1 << 1 << QStringList{"1/1"};
    QTest::newRow("two from slot 3") << 2 << 3 << QStringList{"1/3", "1/4"};
    QTest::newRow("six from slot 4") << 6 << 4 << QStringList{"1/4", "2/1", "2/2", "2/3", "2/4", "3/1"};
}

void TestLabels::slotsFillColumnsThenPages() {
    QFETCH(int, count);
    QFETCH(int, start);
    QFETCH(QStringList, printed);
    RenderedSheet sheet(count, start);
    QCOMPARE(sheet.slotTable.RecordCount(), start - 1 + count);
    QCOMPARE(sheet.pages.Bands.size(), start - 1 + count);
    QStringList labels;
    for (int record = 1; record <= sheet.pages.Bands.size(); ++record) {
        const TBandPlacement& band = sheet.pages.Bands[record - 1];
        const int slot = band.Column * 2 + (band.Rect.top() > 1 ? 2 : 1);
        QCOMPARE(band.Rect.topLeft(), slotCorner[slot - 1]);
        const QList<TPrimitive> items = sheet.printedIn(record);
        if (record < start) {
            // A blank slot prints nothing at all, so a used sheet can be fed again.
            QVERIFY2(items.isEmpty(), qPrintable(items.value(0).Name));
            continue;
        }
        QVERIFY(items.size() > 40);
        labels << u"%1/%2"_s.arg(band.Page + 1).arg(slot);
    }
    QCOMPARE(labels, printed);
}

void TestLabels::labelValueRules_data() {
    QTest::addColumn<QVariantMap>("request");
    QTest::addColumn<QString>("element");
    QTest::addColumn<QString>("expected"); // "-" nothing printed
    const auto row = [](const char* name, QVariantMap request, const char* element, const QString& expected) {
        QTest::newRow(name) << request << QString::fromLatin1(element) << expected;
    };
    row("purpose E keeps the design text", {{"ZADOST_O", "E"}}, "QRLabel13", u"první uznání osiva a sadby"_s);
    row("purpose B keeps the design text", {{"ZADOST_O", "B"}}, "QRLabel13", u"první uznání osiva a sadby"_s);
    row("purpose O", {{"ZADOST_O", "O"}}, "QRLabel13", u"opakované vzorkování"_s);
    row("purpose U", {{"ZADOST_O", "U"}}, "QRLabel13", u"první uznání osiva"_s);
    row("category SE2", {{"STUPEN", "SE2"}}, "QRLabelKat", u"Základní rozmnožovací materiál "_s);
    row("category A1 empty", {{"STUPEN", "A1"}}, "QRLabelKat", u"-"_s);
    row("category H", {{"STUPEN", "H"}}, "QRLabelKat", u"Certifikovaný rozmnožovací materiál "_s);
    row("import: no ČR", {{"ZADOST_O", "D"}}, "QRLabel2", u"-"_s);
    row("import: no harvest year", {{"ZADOST_O", "D"}}, "QRDBText34", u"-"_s);
    row("not import: ČR", {{"ZADOST_O", "U"}}, "QRLabel2", u"ČR"_s);
    row("CZP only: caption", {{"CZP", "123456"}, {"ZAHRPARTIE", ""}}, "QRLabel4", u"CZE"_s);
    row("CZP only: value", {{"CZP", "123456"}, {"ZAHRPARTIE", ""}}, "QRExpr1", u"123456"_s);
    row("both: caption", {{"CZP", "123456"}, {"ZAHRPARTIE", "NL-7"}}, "QRLabel4", u"Zahr.partie"_s);
    row("both: value joined", {{"CZP", "123456"}, {"ZAHRPARTIE", "NL-7"}}, "QRExpr1", u"123456NL-7"_s);
    row("neither: design caption", {{"CZP", ""}, {"ZAHRPARTIE", ""}}, "QRLabel4", u"CZP"_s);
    row("second count 0", {{"POCET2", 0.0}}, "QRDBText36", u"-"_s);
    row("sampling 11.11.2000", {{"DATUMODBER", QDate(2000, 11, 11)}}, "QRDBText2", u"11.11.2000"_s);
    row("sampling 10.11.2000", {{"DATUMODBER", QDate(2000, 11, 10)}}, "QRDBText2", u"-"_s);
    row("lot number", {{"PARTIECELA", "12-0815-00042-01"}}, "QRLabelPartie", u"2-0815-00042/01"_s);
    row("empty lot number: nothing", {{"PARTIECELA", ""}}, "QRLabel6", u"-"_s);
    row("empty lot number: no date", {{"PARTIECELA", ""}, {"DATUMODBER", QDate(2012, 9, 1)}}, "QRDBText2",
        u"-"_s);
    row("empty lot number: no barcode", {{"PARTIECELA", ""}}, "QRImageCK", u"-"_s);
}

void TestLabels::labelValueRules() {
    QFETCH(QVariantMap, request);
    QFETCH(QString, element);
    QFETCH(QString, expected);
    RenderedSheet sheet(1, 1, request);
    const QList<TPrimitive> printed = sheet.pages.find(0, element);
    if (expected == u"-") {
        QVERIFY2(printed.isEmpty(), qPrintable(printed.value(0).Text));
        if (request.value(u"PARTIECELA"_s) == QString())
            QVERIFY2(sheet.printedIn(1).isEmpty(), qPrintable(sheet.printedIn(1).value(0).Name + u" "_s +
                                                              sheet.printedIn(1).value(0).Text));
    } else {
        QCOMPARE(printed.size(), 1);
        QCOMPARE(printed[0].Text, expected);
    }
}

void TestLabels::labelsThatCannotPrintAreRefused_data() {
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("start");
    QTest::addColumn<QString>("message");
    QTest::newRow("no label") << 0 << 1 << u"Počet štítků musí být 1 až 6."_s;
    QTest::newRow("seven") << 7 << 1 << u"Počet štítků musí být 1 až 6."_s;
    QTest::newRow("slot 0") << 1 << 0 << u"Začátek tisku musí být 1 až 4."_s;
    QTest::newRow("slot 5") << 1 << 5 << u"Začátek tisku musí být 1 až 4."_s;
    QTest::newRow("no slot table") << 1 << 1 << u"Soubor %1 neexistuje."_s;
}

void TestLabels::labelsThatCannotPrintAreRefused() {
    QFETCH(int, count);
    QFETCH(int, start);
    QFETCH(QString, message);
    LabelFolder folder;
    if (message.startsWith(u"Soubor"_s)) QVERIFY(QFile::remove(folder.path(u"data/zadost2.dbf"_s)));
    message.replace(u"%1"_s, folder.path(u"data/zadost2.dbf"_s));
    const ToolRun r = folder.labels(count, start);
    QCOMPARE(r.exitCode, 1);
    QCOMPARE(QString::fromUtf8(r.err).trimmed().section(u'\n', -1), u"kvor-print: "_s + message);
    QVERIFY(!QFile::exists(folder.pdf()));
}

QTEST_MAIN(TestLabels)
#include "tst_labels.moc"
