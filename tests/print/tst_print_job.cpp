// "Tisk" from the request editor against the vendor database of the test fixture: the partner
// look-up, the export on print, the offline path, the layout by species and the preview.
#include "PreviewWatch.h"
#include "PrintFolder.h"
#include "app/AppFixture.h"
#include "support/VendorDb.h"

#include <QPushButton>

using namespace kvor;
using namespace kvor::testing;
using namespace Qt::StringLiterals;

namespace {

const QString partner = u"Osiva Haná a.s., laboratoř Kroměříž"_s; // ico 46347801 in the address list
const QString notPartner = u"ÚKZÚZ Brno, Hroznová 2"_s;           // empty ico
const QString companyIco = u"11223344"_s;
const QString offlineMessage =
    u"Není připojení k internetu.\rŽádost uložena pro odeslání při příštím připojení k internetu."_s;

} // namespace

class TestPrintJob : public QObject {
    Q_OBJECT
private slots:
    void tiskExportsToPartnersAndPrints_data();
    void tiskExportsToPartnersAndPrints();
};

void TestPrintJob::tiskExportsToPartnersAndPrints_data() {
    QTest::addColumn<QString>("office");
    QTest::addColumn<bool>("online");
    QTest::addColumn<QString>("druh");
    QTest::addColumn<int>("exported"); // ex_zadost rows of the request afterwards
    QTest::addColumn<int>("queued");   // rows left in zadostex.dbf
    QTest::addColumn<QString>("error");
    QTest::addColumn<int>("pages"); // pages in the preview; 0 no preview

    QTest::newRow("partner") << partner << true << "20" << 1 << 0 << "" << 1;
    QTest::newRow("partner, seed potato") << partner << true << "84" << 1 << 0 << "" << 2;
    QTest::newRow("no partner") << notPartner << true << "20" << 0 << 0 << "" << 1;
    QTest::newRow("not in the address list") << u"ÚKZÚZ Brno"_s << true << "20" << 0 << 0 << "" << 1;
    QTest::newRow("partner, server stopped") << partner << false << "20" << 0 << 1 << "" << 1;
    QTest::newRow("partner, species 8x")
        << partner << true << "8x" << 1 << 0 << "'8x' is not a valid integer value" << 0;
    QTest::newRow("partner, no species, server stopped")
        << partner << false << "" << 0 << 1 << "'' is not a valid integer value" << 0;
}

void TestPrintJob::tiskExportsToPartnersAndPrints() {
    QFETCH(QString, office);
    QFETCH(bool, online);
    QFETCH(QString, druh);
    QFETCH(int, exported);
    QFETCH(int, queued);
    QFETCH(QString, error);
    QFETCH(int, pages);

    TVendorDb db;
    db.exec(u"DELETE FROM ex_zadost WHERE EX_ICO = '%1'"_s.arg(companyIco));
    db.exec(u"DELETE FROM historie WHERE EX_ICO = '%1'"_s.arg(companyIco));

    AppFolder folder;
    folder.writeIni({u"[TFmozno]"_s, u"Editpodnik_Text=0815"_s, u"EditCSO_Text=101"_s,
                     u"EditICO_Text="_s + companyIco, u"Editnazev_Text=Osiva Tisk s.r.o."_s, u"[Server]"_s,
                     u"Host=127.0.0.1"_s, u"Port=%1"_s.arg(online ? KVOR_TEST_DB_PORT : kDeadPort)});
    QVariantMap request = demoRequest();
    request.insert(u"POOT"_s, office);
    request.insert(u"DRUH"_s, druh);
    folder.writeRequests(u"zadost.dbf"_s, {request});
    // Online the start-up fills the address list from the server; offline it is the one left here.
    folder.writeTable(u"zadostad.dbf"_s, {u"adresa"_s, u"ico"_s},
                      {{partner, u"46347801"_s}, {notPartner, u""_s}});

    Seams seams;
    PreviewWatch preview;
    auto form = startForm();
    QVERIFY(form);
    QCOMPARE(form->Online(), online);
    seams.questions.clear();
    form->TiskClick();

    QCOMPARE(seams.errors, error.isEmpty() ? QStringList() : QStringList{error});
    QCOMPARE(preview.pages, pages ? QList<int>{pages} : QList<int>());
    const bool toPartner = office == partner;
    QCOMPARE(form->partnerIco, toPartner ? u"46347801"_s : QString());
    QCOMPARE(seams.texts(), toPartner && !online ? QStringList{offlineMessage} : QStringList());
    QCOMPARE(
        db.value(u"SELECT COUNT(*) FROM ex_zadost WHERE EX_ICO = '%1' AND PRI_ICO = '46347801' AND "
                 "PARTIECELA = '12-0815-00042-01' AND id_trivan = '123456783300000042'"_s.arg(companyIco))
            .toInt(),
        exported);
    QCOMPARE(
        db.value(
              u"SELECT COUNT(*) FROM historie WHERE EX_ICO = '%1' AND NAZEVPODNI = 'Osiva Haná a.s.'"_s.arg(
                  companyIco))
            .toInt(),
        exported);
    form.reset();
    int left = -1;
    const QVariantMap copy = folder.readFirst(u"zadostex.dbf"_s, &left);
    QCOMPARE(left, queued);
    if (queued) QCOMPARE(copy.value(u"id_trivan"_s).toString(), u"123456783300000042"_s);
    // Printing never changes the request.
    QCOMPARE(folder.readFirst(u"zadost.dbf"_s).value(u"POOT"_s).toString(), office);
}

QTEST_MAIN(TestPrintJob)
#include "tst_print_job.moc"
