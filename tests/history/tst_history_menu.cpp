// The menu "Historie" of the main window: each item opens its window with the centre code, on the
// connection and the company record id that the start-up lookup left behind.
#include "HistoryFixture.h"
#include "app/AppFixture.h"

#include "history/HistoryGrid.h"
#include "history/histo.h"

#include <QLabel>
#include <QMenu>

using namespace kvor;
using namespace kvor::testing;
using namespace Qt::StringLiterals;

class TestHistoryMenu : public QObject {
    Q_OBJECT
private slots:
    void eachItemOpensItsWindow();
};

void TestHistoryMenu::eachItemOpensItsWindow() {
    AppFolder folder;
    folder.writeIni({u"[TFmozno]"_s, u"Editpodnik_Text=0815"_s, u"EditCSO_Text=101"_s,
                     u"EditICO_Text="_s + THistoryCompany::Ico, u"Editnazev_Text=Historie s.r.o."_s,
                     u"[Server]"_s, u"Host=127.0.0.1"_s, QStringLiteral("Port=%1").arg(KVOR_TEST_DB_PORT)});
    folder.writeRequests(u"zadost.dbf"_s,
                         {{{u"ZADOST_O"_s, u"U"_s}, {u"id_trivan"_s, u"876543213300000001"_s}}});
    TVendorDb db;
    THistoryCompany company;
    company.create(db, folder.path());
    auto cleanup = qScopeGuard([&] { company.remove(db); });
    // This computer is the company's first workstation.
    db.exec(u"update kvor_firmy set computeruser = '%1', computername = '%2' where id = %3"_s
                .arg(sys::userName().replace(u'\'', u"''"_s), sys::computerName().replace(u'\'', u"''"_s))
                .arg(company.FirstWorkstation));

    Seams seams;
    struct Shown {
        QString title, centre;
        int rows;
    };
    QList<Shown> shown;
    seams.dialogAnswer = [&](QDialog& d) {
        if (auto* w = qobject_cast<THistoryWindow*>(&d))
            shown << Shown{w->windowTitle(), w->LabelCSO->text(), w->Grid->model()->rowCount()};
        return int(QDialog::Rejected);
    };
    auto form = startForm();
    QVERIFY(form);
    QCOMPARE(form->idFirma, company.FirstWorkstation);
    QVERIFY(form->MenuHistorie->isEnabled());
    const QList<QAction*> items = form->MenuHistorie->actions();
    QCOMPARE(items.size(), 5);
    for (QAction* item : items) {
        QVERIFY(item->isEnabled());
        item->trigger();
    }
    QVERIFY2(seams.errors.isEmpty(), qPrintable(seams.errors.join(u'\n')));
    QCOMPARE(shown.size(), 5);
    // Menu order: without ULČ, request-ULČ, ULČ-request, and the two for the whole company. The
    // year box starts at 2012: C (2011) is not listed.
    const QList<std::pair<QString, int>> expected{
        {u"Trivan05 - Kvor Pro - historie, žádost bez ULČ"_s, 2},           // B, F
        {u"Trivan05 - Kvor Pro - historie, žádost, ULČ"_s, 3},              // B, A, F
        {u"Trivan05 - Kvor Pro - historie, ULČ, žádost"_s, 1},              // A
        {u"Trivan05 - Kvor Pro - historie, žádost, ULČ - celá firma"_s, 5}, // D, B, A, F, E
        {u"Trivan05 - Kvor Pro - historie, ULČ, žádost"_s, 2},              // D, A
    };
    for (int i = 0; i < 5; ++i) {
        QCOMPARE(shown[i].title, expected[i].first);
        QCOMPARE(shown[i].centre, u"101"_s);
        QCOMPARE(shown[i].rows, expected[i].second);
    }
}

QTEST_MAIN(TestHistoryMenu)
#include "tst_history_menu.moc"
