// The history windows against the vendor database: the statement each one sends, the rows it lists
// and shows, the result document it fetches, and how it takes a statement the server refuses.
#include "HistoryFixture.h"

#include "history/HistoryGrid.h"
#include "history/ResultDocument.h"
#include "history/histo.h"
#include "widgets/DBControls.h"
#include "widgets/ErrorBox.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTest>

using namespace kvor;
using namespace kvor::testing;
using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(kvor::THistoryVariant)

namespace {

using V = THistoryVariant;

// A window of the kind on its own connection, shown as the menu shows it.
struct TOpenWindow {
    TServerLink link{vendorDbConfig()};
    std::unique_ptr<THistoryWindow> window;

    TOpenWindow(V variant, const QString& ico, int idFirma, const QString& folder = QString()) {
        if (!link.TestSQLjakje()) throw ESqlError(u"vendor database not reachable"_s, 0);
        link.SetUpSession();
        window = std::make_unique<THistoryWindow>(historyKind(variant),
                                                  THistoryContext{&link.ZConnection1, ico, idFirma, folder});
        window->show();
    }
    THistoryWindow* operator->() const { return window.get(); }

    // The texts the grid shows in the column of that server column, top to bottom.
    QStringList column(const QString& field) const { return historyColumn(*window, field); }
    // The row letters of THistoryCompany in the order the grid shows them.
    QString rows() const {
        QString letters;
        for (const QString& partie : column(u"PARTIECELA"_s))
            letters += partie == THistoryCompany::partie('F') ? u'F' : partie.at(12);
        return letters;
    }
    // Clicks the row in the grid, as the user picks it.
    void pick(int row) const { pickHistoryRow(*window, row); }
    int rowOf(char letter) const { return column(u"PARTIECELA"_s).indexOf(THistoryCompany::partie(letter)); }
};

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

} // namespace

class TestHistory : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void statementOfEachVariant_data();
    void statementOfEachVariant();
    void rowsOfEachVariant_data();
    void rowsOfEachVariant();
    void typingIntoTheYearBoxRunsTheListing();
    void everyShownColumnComesFromTheServer_data();
    void everyShownColumnComesFromTheServer();
    void noCompanyRecordYet();
    void icoWithAQuote();
    void detailPanelFollowsThePickedRow();
    void resultDocument_data();
    void resultDocument();
    void secondRetrievalReplacesTheFirst();
    void unwritableDocumentIsReportedAndNotOpened();
    void refusedStatementLeavesAnEmptyWindow_data();
    void refusedStatementLeavesAnEmptyWindow();

private:
    std::unique_ptr<TVendorDb> m_db;
    THistoryCompany m_company;
    QTemporaryDir m_folder;
};

void TestHistory::initTestCase() {
    m_db = std::make_unique<TVendorDb>();
    m_company.create(*m_db, m_folder.path());
    // The result documents: a real PDF of the demo data under ULČ H/1, a document without content
    // under H/0, and the other company's document under H/9 that a row of this company names.
    m_db->exec(
        u"insert into kvor_doklady (typ, ICO, cislodokladu, obsah) select 19, '%1', 'H/1', obsah "
        "from kvor_doklady where ICO = '12345678' and cislodokladu = '12/1101'"_s.arg(THistoryCompany::Ico));
    m_db->exec(u"insert into kvor_doklady (typ, ICO, cislodokladu, obsah) values (19, '%1', 'H/0', NULL), "
               "(19, '%2', 'H/9', 'jiny doklad'), (18, '%1', 'H/8', 'jiny typ')"_s.arg(
                   THistoryCompany::Ico, THistoryCompany::OtherIco));
}

void TestHistory::cleanupTestCase() {
    if (m_db) m_company.remove(*m_db);
}

void TestHistory::statementOfEachVariant_data() {
    QTest::addColumn<V>("variant");
    QTest::addColumn<QString>("year");
    QTest::addColumn<QStringList>("lines");
    const QString select = u"select * from kvor_zadost"_s, byWorkstation = u" where id_firma = 15"_s,
                  byIco = u" where ICO = '87654321'"_s, withUlc = u" and ulc <> \"\""_s,
                  withoutUlc = u" and ulc = \"\""_s, year2011 = u" AND YEAR(datum) = '2011'"_s,
                  year2012 = u" AND YEAR(datum) = '2012'"_s, byDate = u" order by datum,partiecela"_s,
                  byUlc = u" order by ulc,datumrozho"_s;
    QTest::newRow("TFhisto2 2012") << V::TFhisto2 << u"2012"_s
                                   << QStringList{select, byWorkstation, withUlc, year2012, byUlc};
    QTest::newRow("TFhisto2 Vše") << V::TFhisto2 << u"Vše"_s
                                  << QStringList{select, byWorkstation, withUlc, byUlc};
    QTest::newRow("TFhisto1 Vše") << V::TFhisto1 << u"Vše"_s << QStringList{select, byWorkstation, byDate};
    QTest::newRow("TFhisto1 2011") << V::TFhisto1 << u"2011"_s
                                   << QStringList{select, byWorkstation, year2011, byDate};
    QTest::newRow("TFhisto3 Vše") << V::TFhisto3 << u"Vše"_s
                                  << QStringList{select, byWorkstation, withoutUlc, byDate};
    QTest::newRow("TFhisto3 2011") << V::TFhisto3 << u"2011"_s
                                   << QStringList{select, byWorkstation, withoutUlc, year2011, byDate};
    QTest::newRow("TFhisto1c Vše") << V::TFhisto1c << u"Vše"_s << QStringList{select, byIco, byDate};
    QTest::newRow("TFhisto1c 2012") << V::TFhisto1c << u"2012"_s
                                    << QStringList{select, byIco, year2012, byDate};
    QTest::newRow("TFhisto2c Vše") << V::TFhisto2c << u"Vše"_s << QStringList{select, byIco, withUlc, byUlc};
    QTest::newRow("TFhisto2c 2011") << V::TFhisto2c << u"2011"_s
                                    << QStringList{select, byIco, withUlc, year2011, byUlc};
}

void TestHistory::statementOfEachVariant() {
    QFETCH(V, variant);
    QFETCH(QString, year);
    QFETCH(QStringList, lines);
    TErrorReporterScope noErrors([](const QString& text) { QFAIL(qPrintable(text)); });
    TOpenWindow w(variant, THistoryCompany::Ico, 15);
    // Opening starts at "2012"; picking an item runs the statement anew.
    QCOMPARE(w->ComboRok->currentText(), u"2012"_s);
    w->ComboRok->setCurrentIndex(w->ComboRok->findText(year));
    QCOMPARE(w->ZQuery1.SQL(), lines);
    QVERIFY(w->ZQuery1.Active()); // the server took it
    QCOMPARE(w->ZQuery1.SQLText(), lines.join(u"\r\n"_s));
}

void TestHistory::rowsOfEachVariant_data() {
    QTest::addColumn<V>("variant");
    QTest::addColumn<QString>("year");
    QTest::addColumn<QString>("rows");
    // A to C and F: first workstation; D, E: second. ULČ: A H/1, D H/0; B, E, F empty; C NULL.
    // Dates: C 2011-5-1, D 2012-1-15, B 2012-2-1, A 2012-3-1, F 2012-3-6, E 2012-4-1.
    QTest::newRow("TFhisto1 Vše") << V::TFhisto1 << u"Vše"_s << u"CBAF"_s;
    QTest::newRow("TFhisto1 2012") << V::TFhisto1 << u"2012"_s << u"BAF"_s;
    QTest::newRow("TFhisto1 2011") << V::TFhisto1 << u"2011"_s << u"C"_s;
    QTest::newRow("TFhisto3 Vše") << V::TFhisto3 << u"Vše"_s << u"BF"_s;
    QTest::newRow("TFhisto3 2011") << V::TFhisto3 << u"2011"_s << u""_s;
    QTest::newRow("TFhisto2 Vše") << V::TFhisto2 << u"Vše"_s << u"A"_s;
    QTest::newRow("TFhisto2 2010") << V::TFhisto2 << u"2010"_s << u""_s;
    QTest::newRow("TFhisto1c Vše") << V::TFhisto1c << u"Vše"_s << u"CDBAFE"_s;
    QTest::newRow("TFhisto1c 2012") << V::TFhisto1c << u"2012"_s << u"DBAFE"_s;
    QTest::newRow("TFhisto2c Vše") << V::TFhisto2c << u"Vše"_s << u"DA"_s; // by ULČ: H/0 before H/1
    QTest::newRow("TFhisto2c 2011") << V::TFhisto2c << u"2011"_s << u""_s;
}

void TestHistory::rowsOfEachVariant() {
    QFETCH(V, variant);
    QFETCH(QString, year);
    QFETCH(QString, rows);
    TErrorReporterScope noErrors([](const QString& text) { QFAIL(qPrintable(text)); });
    TOpenWindow w(variant, THistoryCompany::Ico, m_company.FirstWorkstation);
    w->ComboRok->setCurrentIndex(w->ComboRok->findText(year));
    QCOMPARE(w.rows(), rows);
    // The grid starts at the first row, and the submitted request shows the ULČ it was given.
    QCOMPARE(w->Grid->currentIndex().row(), rows.isEmpty() ? -1 : 0);
    if (const int f = w.rowOf('F'); f >= 0 && variant != V::TFhisto3)
        QCOMPARE(w.column(u"ULC"_s).at(f), QString());
}

void TestHistory::typingIntoTheYearBoxRunsTheListing() {
    TErrorReporterScope noErrors([](const QString& text) { QFAIL(qPrintable(text)); });
    TOpenWindow w(V::TFhisto1c, THistoryCompany::Ico, m_company.FirstWorkstation);
    QLineEdit* edit = w->ComboRok->lineEdit();
    edit->selectAll();
    QTest::keyClicks(edit, u"2011"_s);
    QCOMPARE(w->ZQuery1.SQL().at(2), u" AND YEAR(datum) = '2011'"_s);
    QCOMPARE(w.rows(), u"C"_s);
    // A year that is not in the list filters nothing; on the way, "20" did not either.
    edit->selectAll();
    QTest::keyClicks(edit, u"2009"_s);
    QCOMPARE(w->ZQuery1.SQL().size(), 3);
    QCOMPARE(w.rows(), u"CDBAFE"_s);
}

void TestHistory::everyShownColumnComesFromTheServer_data() {
    QTest::addColumn<V>("variant");
    for (const THistoryKind& kind : historyKinds())
        QTest::newRow(qPrintable(kind.ClassName)) << kind.Variant;
}

void TestHistory::everyShownColumnComesFromTheServer() {
    // A column or detail field whose name the table lacks would stay blank without a word.
    QFETCH(V, variant);
    TOpenWindow w(variant, THistoryCompany::Ico, m_company.FirstWorkstation);
    w->ComboRok->setCurrentIndex(0);
    QVERIFY(w->ZQuery1.Active());
    QStringList missing;
    for (const THistoryColumn& column : w->Kind().Columns)
        if (!w->ZQuery1.FindField(column.Field)) missing << column.Field;
    for (const char* field :
         {"ULC",        "UZNA_STUP",  "DATUMROZHO", "DATUMZK",  "CISTOTA",   "NECISTOTY", "JINEKULTUR",
          "POCET_DNU",  "KLICIVOST",  "TVRDY",      "V_KLICKY", "VLHKOST",   "MKS",       "HTS",
          "TEXT_KULTU", "TEXT_PLEVE", "ZJISTENI4",  "ZJISTENI", "ZJISTENI2", "ZJISTENI3"}) {
        const QString column = QString::fromLatin1(field);
        if (w->Kind().DetailPanel && (!w->DetailField(column) || !w->ZQuery1.FindField(column)))
            missing << column;
    }
    QVERIFY2(missing.isEmpty(), qPrintable(missing.join(u", "_s)));
    QCOMPARE(w->DetailPanel != nullptr, variant != V::TFhisto3);
    QCOMPARE(w->ButtonZobrazitULC != nullptr, variant != V::TFhisto3);
    QCOMPARE(w->size(), QSize(1095, 644));
    // What the header shows: titles and widths as the kind gives them.
    for (int c = 0; c < w->Kind().Columns.size(); ++c) {
        const THistoryColumn& column = w->Kind().Columns[c];
        QCOMPARE(w->Grid->horizontalHeader()->sectionSize(c), column.Width);
        QCOMPARE(w->Grid->model()->headerData(c, Qt::Horizontal).toString(),
                 column.Title.isEmpty() ? column.Field : column.Title);
    }
}

void TestHistory::noCompanyRecordYet() {
    // A request another company's workstation sent before its lookup carries id_firma 0.
    m_db->exec(u"insert into kvor_zadost (id_firma, ICO, PARTIECELA, DATUM, ULC) values "
               "(0, '%1', 'cizi-0', '2012-5-5', ''), (0, '%1', 'cizi-1', '2012-5-6', 'Z/1')"_s.arg(
                   THistoryCompany::OtherIco));
    for (const THistoryKind& kind : historyKinds()) {
        TOpenWindow w(kind.Variant, THistoryCompany::Ico, 0);
        w->ComboRok->setCurrentIndex(0);
        const QString expected = kind.Variant == V::TFhisto1c   ? u"CDBAFE"_s
                                 : kind.Variant == V::TFhisto2c ? u"DA"_s
                                                                : QString();
        QVERIFY2(w.rows() == expected, qPrintable(kind.ClassName + u": "_s + w.rows()));
        if (!isWholeCompany(kind.Variant)) QCOMPARE(w->ZQuery1.SQL().at(1), u" where id_firma = 0"_s);
    }
    m_db->exec(u"delete from kvor_zadost where PARTIECELA like 'cizi-%'"_s);
}

void TestHistory::icoWithAQuote() {
    const QString ico = u"12'3\\4"_s;
    m_db->exec(u"insert into kvor_zadost (id_firma, ICO, PARTIECELA, DATUM, ULC) values "
               "(0, '12''3\\\\4', 'uvozovka', '2012-5-5', 'Q/1')"_s);
    for (V variant : {V::TFhisto1c, V::TFhisto2c}) {
        TErrorReporterScope noErrors([](const QString& text) { QFAIL(qPrintable(text)); });
        TOpenWindow w(variant, ico, 0);
        QCOMPARE(w->ZQuery1.SQL().at(1), u" where ICO = '12''3\\\\4'"_s);
        QCOMPARE(w.column(u"PARTIECELA"_s), QStringList{u"uvozovka"_s});
    }
    m_db->exec(u"delete from kvor_zadost where PARTIECELA = 'uvozovka'"_s);
}

void TestHistory::detailPanelFollowsThePickedRow() {
    m_db->exec(
        u"update kvor_zadost set CISTOTA = 99.25, TEXT_KULTU = 'plevy, úlomky zrn', ZJISTENI3 = 'třetí' "
        "where ICO = '%1' and ULC = 'H/1'"_s.arg(THistoryCompany::Ico));
    TOpenWindow w(V::TFhisto1, THistoryCompany::Ico, m_company.FirstWorkstation);
    w.pick(w.rowOf('A'));
    QCOMPARE(w->DetailField(u"ULC"_s)->text(), u"H/1"_s);
    QCOMPARE(w->DetailField(u"DATUMROZHO"_s)->text(), u"20.3.2012"_s);
    QCOMPARE(w->DetailField(u"TEXT_KULTU"_s)->text(), u"plevy, úlomky zrn"_s);
    QCOMPARE(w->DetailField(u"ZJISTENI3"_s)->text(), u"třetí"_s);
    QVERIFY(w->DetailField(u"CISTOTA"_s)->text().startsWith(u"99,25"_s));
    QVERIFY(w->DetailField(u"ULC"_s)->isReadOnly());
    w.pick(w.rowOf('B'));
    QCOMPARE(w->DetailField(u"ULC"_s)->text(), QString());
    QCOMPARE(w->DetailField(u"CISTOTA"_s)->text(), QString());
}

void TestHistory::resultDocument_data() {
    QTest::addColumn<V>("variant");
    QTest::addColumn<char>("row");
    QTest::addColumn<QString>("document"); // ULČ of the document written; empty: "ULČ nenalezen!"
    QTest::newRow("PDF, TFhisto1") << V::TFhisto1 << 'A' << u"H/1"_s;
    QTest::newRow("PDF, TFhisto2c") << V::TFhisto2c << 'A' << u"H/1"_s;
    QTest::newRow("no content") << V::TFhisto1c << 'D' << u"H/0"_s;
    QTest::newRow("without ULČ") << V::TFhisto1 << 'B' << QString();
    QTest::newRow("NULL ULČ") << V::TFhisto1 << 'C' << QString();
    QTest::newRow("another company's") << V::TFhisto1c << 'E' << QString();
}

void TestHistory::resultDocument() {
    QFETCH(V, variant);
    QFETCH(char, row);
    QFETCH(QString, document);
    if (row == 'E')
        m_db->exec(u"update kvor_zadost set ULC = 'H/9' where PARTIECELA = '%1' and ICO = '%2'"_s.arg(
            THistoryCompany::partie('E'), THistoryCompany::Ico));
    auto restore = qScopeGuard([&] {
        m_db->exec(u"update kvor_zadost set ULC = '' where PARTIECELA = '%1' and ICO = '%2'"_s.arg(
            THistoryCompany::partie('E'), THistoryCompany::Ico));
    });
    QTemporaryDir folder;
    const QString path = QDir(folder.path()).filePath(u"ulc.pdf"_s);
    QStringList opened, errors;
    QList<TMsgBoxQuestion> asked;
    TDocumentOpenerScope opener([&](const QString& p) { opened << p; });
    TErrorReporterScope reporter([&](const QString& text) { errors << text; });
    TMsgBoxAnswerScope answers([&](const TMsgBoxQuestion& q) {
        asked << q;
        return 1;
    });
    TOpenWindow w(variant, THistoryCompany::Ico, m_company.FirstWorkstation, folder.path());
    w->ComboRok->setCurrentIndex(0);
    w.pick(w.rowOf(row));
    QTest::mouseClick(w->ButtonZobrazitULC, Qt::LeftButton);
    QCOMPARE(errors, QStringList());
    QVERIFY(!QGuiApplication::overrideCursor());
    QVERIFY(!w->ZQuery2.Active());
    if (document.isEmpty()) {
        QCOMPARE(asked.size(), 1);
        QCOMPARE(asked[0].Text, u"ULČ nenalezen!"_s);
        QCOMPARE(asked[0].Caption, u"Trivan05"_s);
        QCOMPARE(asked[0].Icon, TMsgIcon::Stop);
        QCOMPARE(asked[0].Buttons, QStringList{u"OK"_s});
        QVERIFY(!QFile::exists(path));
        QVERIFY(opened.isEmpty());
        return;
    }
    QVERIFY(asked.isEmpty());
    QCOMPARE(opened, QStringList{path});
    const QVariant stored = m_db->value(u"select obsah from kvor_doklady where typ = 19 and ICO = '%1' and "
                                        "cislodokladu = '%2'"_s.arg(THistoryCompany::Ico, document));
    QCOMPARE(fileBytes(path), stored.toByteArray()); // empty for NULL content
    if (!stored.isNull()) {
        // The viewer's side: poppler reads the document that was written.
        QProcess pdftotext;
        pdftotext.start(u"pdftotext"_s, {path, u"-"_s});
        QVERIFY(pdftotext.waitForFinished(30000));
        QCOMPARE(pdftotext.exitCode(), 0);
        QVERIFY(QString::fromUtf8(pdftotext.readAllStandardOutput()).contains(u"12/1101"_s));
    }
}

void TestHistory::secondRetrievalReplacesTheFirst() {
    QTemporaryDir folder;
    const QString path = QDir(folder.path()).filePath(u"ulc.pdf"_s);
    int opened = 0;
    TDocumentOpenerScope opener([&](const QString&) { ++opened; });
    TErrorReporterScope noErrors([](const QString& text) { QFAIL(qPrintable(text)); });
    TOpenWindow w(V::TFhisto2c, THistoryCompany::Ico, 0, folder.path());
    w.pick(w.rowOf('A'));
    QTest::mouseClick(w->ButtonZobrazitULC, Qt::LeftButton);
    QVERIFY(fileBytes(path).startsWith("%PDF-"));
    w.pick(w.rowOf('D'));
    QTest::mouseClick(w->ButtonZobrazitULC, Qt::LeftButton);
    QCOMPARE(fileBytes(path), QByteArray());
    QCOMPARE(opened, 2);
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList{u"ulc.pdf"_s});
}

void TestHistory::unwritableDocumentIsReportedAndNotOpened() {
    QTemporaryDir folder;
    QVERIFY(QDir(folder.path()).mkdir(u"ulc.pdf"_s));
    QStringList opened, errors;
    TDocumentOpenerScope opener([&](const QString& p) { opened << p; });
    TErrorReporterScope reporter([&](const QString& text) { errors << text; });
    TOpenWindow w(V::TFhisto1, THistoryCompany::Ico, m_company.FirstWorkstation, folder.path());
    w.pick(w.rowOf('A'));
    QTest::mouseClick(w->ButtonZobrazitULC, Qt::LeftButton);
    QCOMPARE(errors.size(), 1);
    QVERIFY2(errors[0].contains(QDir(folder.path()).filePath(u"ulc.pdf"_s)), qPrintable(errors[0]));
    QVERIFY(opened.isEmpty());
    QVERIFY(!QGuiApplication::overrideCursor());
    QVERIFY(QFileInfo(QDir(folder.path()).filePath(u"ulc.pdf"_s)).isDir());
    QVERIFY(w->isVisible());
}

void TestHistory::refusedStatementLeavesAnEmptyWindow_data() {
    QTest::addColumn<bool>("connectionLost");
    QTest::newRow("statement refused") << false;
    QTest::newRow("connection lost") << true;
}

void TestHistory::refusedStatementLeavesAnEmptyWindow() {
    QFETCH(bool, connectionLost);
    QStringList errors;
    TErrorReporterScope reporter([&](const QString& text) { errors << text; });
    TOpenWindow w(V::TFhisto1c, THistoryCompany::Ico, 0);
    QVERIFY(w->Grid->model()->rowCount() > 0);
    if (connectionLost)
        m_db->exec(u"kill %1"_s.arg(w.link.ZConnection1.ThreadId()));
    else
        m_db->exec(u"alter table kvor_zadost rename to kvor_zadost_jinak"_s);
    auto restore = qScopeGuard([&] {
        if (!connectionLost) m_db->exec(u"alter table kvor_zadost_jinak rename to kvor_zadost"_s);
    });
    w->ComboRok->setCurrentIndex(0);
    QCOMPARE(errors.size(), 1);
    if (!connectionLost) QVERIFY2(errors[0].contains(u"kvor_zadost"_s), qPrintable(errors[0]));
    QVERIFY(w->isVisible());
    QCOMPARE(w->Grid->model()->rowCount(), 0);
    QCOMPARE(w->DetailField(u"ULC"_s)->text(), QString());
    QVERIFY(!QGuiApplication::overrideCursor());
    // "Zobrazit ULČ" without rows asks for the empty ULČ, or reports the lost connection.
    errors.clear();
    TMsgBoxAnswerScope answers([](const TMsgBoxQuestion&) { return 1; });
    QTest::mouseClick(w->ButtonZobrazitULC, Qt::LeftButton);
    QVERIFY(!QGuiApplication::overrideCursor());
}

QTEST_MAIN(TestHistory)
#include "tst_history.moc"
