// The main window against the vendor database of the test fixture: the start-up refresh and
// lookup, and "Zapsat" sending the request and taking back the server's numbers.
#include "AppFixture.h"

#include "support/VendorDb.h"
#include "tablestore/DsMemTable.h"
#include "widgets/DBControls.h"
#include "widgets/ppracuji.h"

#include <QDir>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>

using namespace kvor;
using namespace kvor::testing;

namespace {
// Remembers the texts of the working windows that were shown.
class WorkingWindowWatch : public QObject {
public:
    WorkingWindowWatch() { qApp->installEventFilter(this); }
    ~WorkingWindowWatch() override { qApp->removeEventFilter(this); }
    QStringList texts;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show)
            if (auto* w = qobject_cast<Tpracuji*>(watched)) texts << w->Text();
        return false;
    }
};

QString text(TForm1& form, const char* field) {
    return form.Dbf5->FieldByName(QString::fromLatin1(field))->AsString();
}
} // namespace

class TestAppOnline : public QObject {
    Q_OBJECT
private slots:
    void zapsatSendsAndTakesBackNumbers();
    void failedSendingStillPrints();
    void unreadableRequestTableStillLogsTheWorkstation();
};

void TestAppOnline::zapsatSendsAndTakesBackNumbers() {
    AppFolder folder;
    folder.writeIni({QStringLiteral("[TFmozno]"), QStringLiteral("Editpodnik_Text=0815"),
                     QStringLiteral("EditCSO_Text=101"), QStringLiteral("EditICO_Text=99887766"),
                     QStringLiteral("Editnazev_Text=Test Zapsat s.r.o."), QStringLiteral("[Server]"),
                     QStringLiteral("Host=127.0.0.1"), QStringLiteral("Port=%1").arg(KVOR_TEST_DB_PORT)});
    folder.writeRequests(QStringLiteral("zadost.dbf"),
                         {{{QStringLiteral("ZADOST_O"), QStringLiteral("U")},
                           {QStringLiteral("ROK"), QStringLiteral("2012")},
                           {QStringLiteral("PODNIK"), QStringLiteral("0815")},
                           {QStringLiteral("id"), 41.0},
                           {QStringLiteral("id_trivan"), QStringLiteral("998877663300000041")}}});
    TVendorDb db;
    db.exec(QStringLiteral("DELETE FROM kvor_zadost WHERE ICO = '99887766'"));

    Seams seams;
    WorkingWindowWatch working;
    auto form = startForm();
    QVERIFY(form);
    QVERIFY(seams.errors.isEmpty());
    QVERIFY(form->Online());
    // A program folder without a stored change time rebuilds the lists, under the working window
    // (after the one of the check for a new version, which finds no FTP server here).
    QCOMPARE(working.texts, (QStringList{QStringLiteral("Trivan05 - kontrola nové verze"),
                                         QStringLiteral("Aktualizuji číselníky")}));
    QVERIFY(seams.questions.isEmpty()); // no offline message
    QVERIFY(form->MenuHistorie->isEnabled());
    // The start-up rebuilt the code lists from the server and loaded them.
    QVERIFY(QFile::exists(folder.dataPath(QStringLiteral("cenik.dbf"))));
    QVERIFY(form->DsMemTable33->RecordCount() > 100);
    QVERIFY(qobject_cast<TDBComboBox*>(form->FieldControl(QStringLiteral("POOT")))->count() >= 10);

    auto type = [&](const char* field, const QString& value) {
        auto* e = qobject_cast<TDBEdit*>(form->FieldControl(QString::fromLatin1(field)));
        e->selectAll();
        typeKeys(e, value);
        emit e->exited();
    };
    type("PRIHLASKA", QStringLiteral("321"));
    type("DIL", QStringLiteral("4"));
    type("MNOZSTVI", QStringLiteral("12,5"));
    type("MORIDLOTXT", QStringLiteral("Mořidlo 'Celest' \\"));
    form->ZapsatClick();
    QVERIFY2(seams.errors.isEmpty(), qPrintable(seams.errors.join(u'\n')));
    QVERIFY(seams.questions.isEmpty());
    QVERIFY(!QFile::exists(folder.path(QStringLiteral("a1.txt"))));
    QCOMPARE(form->ButtonZapsat->isEnabled(), false);
    QCOMPARE(form->ButtonTisk->isEnabled(), true);

    const QList<QVariantList> rows =
        db.rows(QStringLiteral("select id, id_trivan, PARTIECELA, MNOZSTVI, MORIDLOTXT, STREDISKO from "
                               "kvor_zadost where ICO = '99887766'"));
    QCOMPARE(rows.size(), 1);
    const qint64 serverId = rows[0][0].toLongLong();
    QCOMPARE(rows[0][1].toString(),
             QStringLiteral("9988776633") + QString::number(serverId).rightJustified(8, u'0').left(8));
    QCOMPARE(rows[0][2].toString(), QStringLiteral("12-0815-00321-04"));
    QCOMPARE(rows[0][3].toDouble(), 12.5);
    QCOMPARE(rows[0][4].toString(), QStringLiteral("Mořidlo 'Celest' \\"));
    QCOMPARE(rows[0][5].toString(), QStringLiteral("101"));
    // The local record carries the server's numbers, and keeps them in the file.
    QCOMPARE(qint64(form->Dbf5->FieldByName(QStringLiteral("id"))->AsFloat()), serverId);
    QCOMPARE(text(*form, "id_trivan"), rows[0][1].toString());

    // A second save of the same request replaces the server row with a new one.
    type("CZP", QStringLiteral("CZ7"));
    form->ZapsatClick();
    QVERIFY(seams.errors.isEmpty());
    const QList<QVariantList> again =
        db.rows(QStringLiteral("select id, id_trivan from kvor_zadost where ICO = '99887766'"));
    QCOMPARE(again.size(), 1);
    QVERIFY(again[0][0].toLongLong() != serverId);
    form.reset();
    const QVariantMap stored = folder.readFirst(QStringLiteral("zadost.dbf"));
    QCOMPARE(qint64(stored.value(QStringLiteral("id")).toDouble()), again[0][0].toLongLong());
    QCOMPARE(stored.value(QStringLiteral("id_trivan")).toString(), again[0][1].toString());
    db.exec(QStringLiteral("DELETE FROM kvor_zadost WHERE ICO = '99887766'"));
}

// A request saved locally can be printed even when sending it failed on the way.
void TestAppOnline::failedSendingStillPrints() {
    AppFolder folder;
    folder.writeIni({QStringLiteral("[TFmozno]"), QStringLiteral("Editpodnik_Text=0815"),
                     QStringLiteral("EditICO_Text=99887755"), QStringLiteral("[Server]"),
                     QStringLiteral("Host=127.0.0.1"), QStringLiteral("Port=%1").arg(KVOR_TEST_DB_PORT)});
    folder.writeRequests(QStringLiteral("zadost.dbf"), {{{QStringLiteral("ZADOST_O"), QStringLiteral("U")},
                                                         {QStringLiteral("ROK"), QStringLiteral("2012")},
                                                         {QStringLiteral("id"), 41.0}}});
    // The script file of the submission cannot be written: a folder is in its way.
    QVERIFY(QDir(folder.path()).mkdir(QStringLiteral("a1.txt")));
    Seams seams;
    auto form = startForm();
    QVERIFY(form);
    QCOMPARE(form->ButtonTisk->isEnabled(), false); // never saved
    seams.errors.clear();
    auto* czp = qobject_cast<TDBEdit*>(form->FieldControl(QStringLiteral("CZP")));
    QTest::keyClicks(czp, QStringLiteral("CZ9"));
    form->ZapsatClick();
    QCOMPARE(seams.errors.size(), 1);
    QVERIFY(seams.errors.first().contains(QStringLiteral("a1.txt")));
    QVERIFY(form->Online());
    QCOMPARE(form->ButtonZapsat->isEnabled(), false);
    QCOMPARE(form->ButtonTisk->isEnabled(), true);
    QCOMPARE(form->ButtonStitek->isEnabled(), true);
    QCOMPARE(text(*form, "id_trivan"), QStringLiteral("998877553300000041"));
}

void TestAppOnline::unreadableRequestTableStillLogsTheWorkstation() {
    AppFolder folder;
    folder.writeIni({QStringLiteral("[TFmozno]"), QStringLiteral("Editpodnik_Text=0815"),
                     QStringLiteral("EditICO_Text=55443322"),
                     QStringLiteral("Editnazev_Text=Poškozená s.r.o."), QStringLiteral("[Server]"),
                     QStringLiteral("Host=127.0.0.1"), QStringLiteral("Port=%1").arg(KVOR_TEST_DB_PORT)});
    QFile damaged(folder.dataPath(QStringLiteral("zadost.dbf")));
    QVERIFY(damaged.open(QIODevice::WriteOnly));
    damaged.write(QByteArray(40, '\x03'));
    damaged.close();
    TVendorDb db;
    const QString log = QStringLiteral("from kvor_historiem where ICO = '55443322'");
    db.exec(QStringLiteral("DELETE ") + log);

    Seams seams;
    auto form = startForm();
    QVERIFY(form);
    QVERIFY(!seams.errors.isEmpty()); // the table is reported ...
    QCOMPARE(db.count(log), 1);       // ... and the start still looks the workstation up and logs it
    QCOMPARE(form->ButtonTisk->isEnabled(), false);
    db.exec(QStringLiteral("DELETE ") + log);
}

QTEST_MAIN(TestAppOnline)
#include "tst_app_online.moc"
