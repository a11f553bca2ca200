// The main window and its dialogs on the offscreen platform, without a vendor database.
#include "AppFixture.h"

#include "app/SavedTexts.h"
#include "app/mozno.h"
#include "app/porost2.h"
#include "app/utexty.h"
#include "platform/ProfileFile.h"
#include "tablestore/DsMemTable.h"
#include "widgets/DBControls.h"
#include "widgets/DataSetTableModel.h"

#include <QAction>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QToolButton>
#include <sys/inotify.h>
#include <unistd.h>

using namespace kvor;
using namespace kvor::testing;

namespace {

const QString kOfflineCodeLists =
    QStringLiteral("Není připojení k internetu.\rNelze aktualizovat číselníky.");
const QString kOfflineSubmission = QStringLiteral("Není připojení k internetu.\rŽádost nebyla uložena.");

QVariantMap savedRequest(double id = 500) {
    return {{QStringLiteral("ZADOST_O"), QStringLiteral("U")},
            {QStringLiteral("ROK"), QStringLiteral("2011")},
            {QStringLiteral("PODNIK"), QStringLiteral("0815")},
            {QStringLiteral("PRIHLASKA"), QStringLiteral("00007")},
            {QStringLiteral("DIL"), QStringLiteral("01")},
            {QStringLiteral("PARTIECELA"), QStringLiteral("11-0815-00007-01")},
            {QStringLiteral("PARTIE"), QStringLiteral("110000701")},
            {QStringLiteral("MNOZSTVI"), 1200.0},
            {QStringLiteral("id"), id},
            {QStringLiteral("id_trivan"), QStringLiteral("123456783300000500")}};
}

// A program folder without a reachable server whose request table holds one saved request.
void writeOfflineRequest(const AppFolder& folder, const QVariantMap& request = savedRequest()) {
    folder.writeIdentity(kDeadPort);
    folder.writeRequests(QStringLiteral("zadost.dbf"), {request});
}

QString text(TForm1& form, const char* field) {
    return form.Dbf5->FieldByName(QString::fromLatin1(field))->AsString();
}

bool editing(TForm1& form) {
    return form.Dbf5->State() == TDataSetState::dsEdit;
}

// The buttons as the user sees them: "Zapsat", then "Tisk" and "Štítek na vz.".
QString buttons(TForm1& form) {
    if (form.ButtonTisk->isEnabled() != form.ButtonStitek->isEnabled())
        return QStringLiteral("Tisk != Štítek");
    return QStringLiteral("%1/%2").arg(form.ButtonZapsat->isEnabled() ? "Z" : "-",
                                       form.ButtonTisk->isEnabled() ? "T" : "-");
}

// Types into a request field as the user would, then leaves it.
void type(TForm1& form, const char* field, const QString& value) {
    QWidget* control = form.FieldControl(QString::fromLatin1(field));
    QVERIFY(control);
    if (auto* e = qobject_cast<TDBEdit*>(control)) {
        e->selectAll();
        QTest::keyClick(e, Qt::Key_Backspace);
        QTest::keyClicks(e, value);
        emit e->exited();
    } else if (auto* c = qobject_cast<TDBComboBox*>(control); c && c->lineEdit()) {
        c->lineEdit()->selectAll();
        QTest::keyClick(c->lineEdit(), Qt::Key_Backspace);
        QTest::keyClicks(c->lineEdit(), value);
        emit c->exited();
    } else {
        QFAIL("not a text control");
    }
}

// Counts the times a file of a folder was written, as the kernel reports them: a replacement by
// rename or a rewrite in place counts once each.
class FileWrites {
public:
    explicit FileWrites(const QString& folder) : m_fd(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
        if (m_fd >= 0)
            inotify_add_watch(m_fd, QFile::encodeName(folder).constData(), IN_MOVED_TO | IN_CLOSE_WRITE);
    }
    ~FileWrites() {
        if (m_fd >= 0) close(m_fd);
    }
    int count(const QString& fileName) {
        alignas(inotify_event) char buffer[4096];
        for (ssize_t n; (n = read(m_fd, buffer, sizeof buffer)) > 0;)
            for (char* p = buffer; p < buffer + n;) {
                const auto* event = reinterpret_cast<const inotify_event*>(p);
                if (event->len && QFile::decodeName(event->name) == fileName) ++m_counts[fileName];
                p += sizeof(inotify_event) + event->len;
            }
        return m_counts.value(fileName);
    }

private:
    int m_fd;
    QHash<QString, int> m_counts;
};

} // namespace

class TestAppForm : public QObject {
    Q_OBJECT
private slots:
    void firstStartWithEmptyTable_data();
    void firstStartWithEmptyTable();
    void startWithSavedRequest();
    void minimumStartupTime();
    void lotNumbersOnLeaving();
    void samplingDateOnLeaving_data();
    void samplingDateOnLeaving();
    void remainingQuantity_data();
    void remainingQuantity();
    void editedStateButtons();
    void printButtonsNeedRequestNumber_data();
    void printButtonsNeedRequestNumber();
    void refusedSaveRaisesIdOnce_data();
    void refusedSaveRaisesIdOnce();
    void failureBeforePostKeepsZapsat();
    void idOnSaves_data();
    void idOnSaves();
    void smazat_data();
    void smazat();
    void offlineZapsatKeepsProvisionalNumber();
    void cropCertificationDialog();
    void varietyPanel();
    void savedTextsFirstUse();
    void savedTextsCloseButtonKeepsRows();
    void savedTextsCutToFieldWidth();
    void savedTextsOkWithoutSelection_data();
    void savedTextsOkWithoutSelection();
    void settingsStoredOnClose_data();
    void settingsStoredOnClose();
    void settingsLimitTypingOnly_data();
    void settingsLimitTypingOnly();
    void fortyOffices();
    void missingCodeListsGiveEmptyLists_data();
    void missingCodeListsGiveEmptyLists();
    void menuRefreshOfflineDisablesHistorie();
    void focusOrderAndEnter();
    void konecDropsUnsavedEdit_data();
    void konecDropsUnsavedEdit();
    void damagedRequestTableStillStarts_data();
    void damagedRequestTableStillStarts();
};

void TestAppForm::firstStartWithEmptyTable_data() {
    QTest::addColumn<bool>("tableThere");
    QTest::newRow("no request table") << false;
    QTest::newRow("an empty request table") << true;
}

void TestAppForm::firstStartWithEmptyTable() {
    QFETCH(bool, tableThere);
    AppFolder folder;
    folder.writeIni({QStringLiteral("[Server]"), QStringLiteral("Host=127.0.0.1"),
                     QStringLiteral("Port=%1").arg(kDeadPort)});
    if (tableThere) folder.writeRequests(QStringLiteral("zadost.dbf"), {});
    Seams seams;
    bool readyWhenAsked = true;
    seams.dialogAnswer = [&](QDialog& d) {
        auto* settings = qobject_cast<TFmozno*>(&d);
        if (!settings) return int(QDialog::Rejected);
        readyWhenAsked = false;
        auto* form = qobject_cast<TForm1*>(d.parentWidget());
        readyWhenAsked = form && form->Ready();
        settings->ButtonOK->click();
        return d.result();
    };
    auto form = startForm();
    QVERIFY(form);
    QCOMPARE(seams.dialogs, QStringList{QStringLiteral("kvor::TFmozno")});
    QVERIFY(!readyWhenAsked); // before the editor can be used
    QCOMPARE(buttons(*form), QStringLiteral("-/-"));
    QCOMPARE(seams.texts(), QStringList{kOfflineCodeLists});
    QVERIFY(!form->MenuHistorie->isEnabled());
    QVERIFY(seams.errors.isEmpty());

    // The missing tables were created with the request layout; the editor has one request to work on.
    for (const QString& name : requestTableNames())
        QVERIFY2(QFile::exists(folder.dataPath(name)), qPrintable(name));
    QCOMPARE(form->Dbf5->RecordCount(), 1);
    QCOMPARE(form->Dbf5->FieldCount(), 117);
    QVERIFY(text(*form, "id_trivan").isEmpty());

    // "OK" without typing stores the initial texts in kvor.ini, and the run takes them over.
    const TIniFile ini(folder.path(QStringLiteral("kvor.ini")));
    const QList<QPair<QString, QString>> stored{
        {"Editpodnik_Text", "zada"},     {"EditCSO_Text", ""},        {"EditICO_Text", "ICO"},
        {"EditDIC_Text", "DIC"},         {"Editnazev_Text", "nazev"}, {"Editsidlo_Text", "sidlo"},
        {"Editulice_Text", "ulice"},     {"EditPSC_Text", "PSC"},     {"Editposta_Text", "posta"},
        {"EditTelefon_Text", "Telefon"}, {"EditFax_Text", "Fax"},     {"EditEmail_Text", "Email"}};
    for (const auto& [key, value] : stored) {
        QVERIFY2(ini.ValueExists(QStringLiteral("TFmozno"), key), qPrintable(key));
        QCOMPARE(ini.ReadString(QStringLiteral("TFmozno"), key, QStringLiteral("?")), value);
    }
    QCOMPARE(ini.ReadString(QStringLiteral("Server"), QStringLiteral("Port"), QString()),
             QString::number(kDeadPort));
    QCOMPARE(form->companyIco, QStringLiteral("ICO"));
    QCOMPARE(form->applicantNumber, QStringLiteral("zada"));
    QCOMPARE(form->defaultApplicantNumber, QStringLiteral("zada"));
    QCOMPARE(text(*form, "PODNIK"), QStringLiteral("zada"));
    QCOMPARE(form->Dbf5->FieldByName(QStringLiteral("DATUM"))->AsDateTime().date(), QDate::currentDate());
    QCOMPARE(form->Dbf5->State(), TDataSetState::dsBrowse);
}

void TestAppForm::startWithSavedRequest() {
    AppFolder folder;
    QVariantMap request = savedRequest();
    request.remove(QStringLiteral("ROK"));
    request.insert(QStringLiteral("PODNIK"), QStringLiteral("9999"));
    request.insert(QStringLiteral("DATUM"), QDateTime(QDate(2011, 5, 6), QTime()));
    writeOfflineRequest(folder, request);
    Seams seams;
    auto form = startForm();
    QVERIFY(form);
    QVERIFY(seams.dialogs.isEmpty()); // no settings window for a request saved before
    QCOMPARE(buttons(*form), QStringLiteral("-/T"));
    QCOMPARE(text(*form, "ROK"), QStringLiteral("2012"));
    QCOMPARE(text(*form, "PODNIK"), QStringLiteral("0815"));
    QCOMPARE(form->Dbf5->FieldByName(QStringLiteral("DATUM"))->AsDateTime().date(), QDate::currentDate());
    QCOMPARE(form->loadedRequestKey, QStringLiteral("11-0815-00007-01-U"));
    QCOMPARE(form->Dbf5->State(), TDataSetState::dsBrowse);
    // The start-up values are shown at once.
    QCOMPARE(qobject_cast<QLineEdit*>(form->FieldControl(QStringLiteral("ROK")))->text(),
             QStringLiteral("2012"));
    QCOMPARE(form->companyIco, QStringLiteral("12345678"));
    QCOMPARE(form->centreCode, QStringLiteral("101"));
    QCOMPARE(form->windowTitle(), QStringLiteral("Trivan05 - Žádost o uznání vzorku - Kvor Pro"));
    QCOMPARE(form->centralWidget()->size(), QSize(736, 644));
    // Closing drops the start-up values, which were never saved.
    form.reset();
    QCOMPARE(folder.readFirst(QStringLiteral("zadost.dbf")).value(QStringLiteral("PODNIK")).toString(),
             QStringLiteral("9999"));
}

void TestAppForm::minimumStartupTime() {
    AppFolder folder;
    writeOfflineRequest(folder);
    Seams seams;
    QElapsedTimer clock;
    clock.start();
    auto form = startForm(TForm1::kMinimumStartupMs);
    QVERIFY(form);
    QVERIFY2(clock.elapsed() >= 3000, qPrintable(QString::number(clock.elapsed())));
}

void TestAppForm::lotNumbersOnLeaving() {
    AppFolder folder;
    writeOfflineRequest(folder);
    Seams seams;
    auto form = startForm();
    QVERIFY(form);
    type(*form, "ROK", QStringLiteral("2012"));
    type(*form, "PODNIK", QStringLiteral("1234"));
    type(*form, "PRIHLASKA", QStringLiteral("7"));
    type(*form, "DIL", QStringLiteral("1"));
    QCOMPARE(text(*form, "PRIHLASKA"), QStringLiteral("00007"));
    QCOMPARE(text(*form, "DIL"), QStringLiteral("01"));
    QCOMPARE(text(*form, "PARTIECELA"), QStringLiteral("12-1234-00007-01"));
    QCOMPARE(text(*form, "PARTIE"), QStringLiteral("120000701"));
    QCOMPARE(qobject_cast<QLineEdit*>(form->FieldControl(QStringLiteral("PRIHLASKA")))->text(),
             QStringLiteral("00007"));

    // Without an applicant number the application number is still padded; the lot numbers stay.
    type(*form, "PODNIK", QString());
    type(*form, "PRIHLASKA", QStringLiteral("42"));
    QCOMPARE(text(*form, "PRIHLASKA"), QStringLiteral("00042"));
    QCOMPARE(text(*form, "PARTIECELA"), QStringLiteral("12-1234-00007-01"));
}

void TestAppForm::samplingDateOnLeaving_data() {
    QTest::addColumn<QDate>("sampling");
    QTest::addColumn<QDate>("stored");
    QTest::newRow("10.11.1999") << QDate(1999, 11, 10) << QDate(1900, 1, 1);
    QTest::newRow("11.11.1999") << QDate(1999, 11, 11) << QDate(1999, 11, 11);
    QTest::newRow("empty") << QDate() << QDate(1900, 1, 1);
}

void TestAppForm::samplingDateOnLeaving() {
    QFETCH(QDate, sampling);
    QFETCH(QDate, stored);
    AppFolder folder;
    QVariantMap request = savedRequest();
    if (sampling.isValid()) request.insert(QStringLiteral("DATUMODBER"), QDateTime(sampling, QTime()));
    writeOfflineRequest(folder, request);
    Seams seams;
    auto form = startForm();
    QVERIFY(form);
    // Leaving the request date tests the sampling date too.
    emit qobject_cast<TDBDateEdit*>(form->FieldControl(QStringLiteral("DATUM")))->exited();
    QCOMPARE(form->Dbf5->FieldByName(QStringLiteral("DATUMODBER"))->AsDateTime().date(), stored);
    QCOMPARE(qobject_cast<TDBDateEdit*>(form->FieldControl(QStringLiteral("DATUMODBER")))->Date(), stored);
}

void TestAppForm::remainingQuantity_data() {
    QTest::addColumn<QString>("ulc");
    QTest::addColumn<double>("zbyva");
    QTest::newRow("no result number") << QString() << 12.5;
    QTest::newRow("result number without N") << QStringLiteral("A123") << 12.5;
    QTest::newRow("result number with N") << QStringLiteral("N123") << 0.0;
}

void TestAppForm::remainingQuantity() {
    QFETCH(QString, ulc);
    AppFolder folder;
    QVariantMap request = savedRequest();
    request.insert(QStringLiteral("ULC"), ulc);
    writeOfflineRequest(folder, request);
    Seams seams;
    auto form = startForm();
    QVERIFY(form);
    type(*form, "MNOZSTVI", QStringLiteral("12,5"));
    QCOMPARE(form->Dbf5->FieldByName(QStringLiteral("MNOZSTVI"))->AsFloat(), 12.5);
    QTEST(form->Dbf5->FieldByName(QStringLiteral("ZBYVA"))->AsFloat(), "zbyva");
}

void TestAppForm::editedStateButtons() {
    AppFolder folder;
    writeOfflineRequest(folder);
    Seams seams;
    auto form = startForm();
    QVERIFY(form);
    QCOMPARE(buttons(*form), QStringLiteral("-/T"));

    type(*form, "CZP", QStringLiteral("CZ1"));
    QVERIFY(editing(*form));
    QCOMPARE(buttons(*form), QStringLiteral("Z/-"));

    form->ZpetClick();
    QCOMPARE(buttons(*form), QStringLiteral("-/T"));
    QCOMPARE(text(*form, "CZP"), QString()); // the request as last written
    QCOMPARE(qobject_cast<QLineEdit*>(form->FieldControl(QStringLiteral("CZP")))->text(), QString());

    // Ticking a box and choosing from a fixed list put the request into editing as well.
    qobject_cast<TDBCheckBox*>(form->FieldControl(QStringLiteral("VEGET")))->click();
    QCOMPARE(buttons(*form), QStringLiteral("Z/-"));
    QCOMPARE(text(*form, "VEGET"), QStringLiteral("A"));
    form->ZapsatClick(); // offline: saved locally
    QCOMPARE(buttons(*form), QStringLiteral("-/T"));
    QVERIFY(!editing(*form));
    QVERIFY(seams.errors.isEmpty());

    auto* kind = qobject_cast<TDBComboBox*>(form->FieldControl(QStringLiteral("ZADOST_O")));
    QCOMPARE(kind->currentText(), QStringLiteral("první uznání osiva"));
    QCOMPARE(kind->count(), 9);
    QCOMPARE(kind->maxVisibleItems(), 9);
    QTest::keyClick(kind, Qt::Key_Down);
    QCOMPARE(text(*form, "ZADOST_O"), QStringLiteral("O"));
    QCOMPARE(buttons(*form), QStringLiteral("Z/-"));

    // A value written by a rule while browsing does not change the buttons.
    form->ZpetClick();
    type(*form, "PRIHLASKA", QString()); // typing is a change of its own ...
    form->ZpetClick();
    form->EditDILExit(); // ... a rule is not
    QCOMPARE(buttons(*form), QStringLiteral("-/T"));

    // A save that the table refuses leaves the request in editing, and "Zapsat" usable again.
    type(*form, "CZP", QStringLiteral("CZ2"));
    form->Dbf5->BeforePost = [](TDataSet&) { throw EDatabaseError(QStringLiteral("Cannot write file")); };
    form->ZapsatClick();
    QCOMPARE(seams.errors, QStringList{QStringLiteral("Cannot write file")});
    QVERIFY(editing(*form));
    QCOMPARE(buttons(*form), QStringLiteral("Z/-"));
    form->Dbf5->BeforePost = nullptr;
    form->ZapsatClick();
    QCOMPARE(buttons(*form), QStringLiteral("-/T"));
    QCOMPARE(text(*form, "CZP"), QStringLiteral("CZ2"));
}

void TestAppForm::printButtonsNeedRequestNumber_data() {
    QTest::addColumn<bool>("savedBefore");
    QTest::addColumn<bool>("smazat");
    QTest::addColumn<QString>("afterZpet");
    QTest::newRow("saved before, edited") << true << false << "-/T";
    QTest::newRow("never saved, edited") << false << false << "-/-";
    QTest::newRow("after Smazat") << true << true << "-/-";
}

// A form and labels without a request number are no use: "Zpět" enables printing only for a
// request that was saved.
void TestAppForm::printButtonsNeedRequestNumber() {
    QFETCH(bool, savedBefore);
    QFETCH(bool, smazat);
    AppFolder folder;
    QVariantMap request = savedRequest();
    if (!savedBefore) request.remove(QStringLiteral("id_trivan"));
    writeOfflineRequest(folder, request);
    Seams seams;
    auto form = startForm();
    QVERIFY(form);
    QCOMPARE(buttons(*form), savedBefore ? QStringLiteral("-/T") : QStringLiteral("-/-"));
    if (smazat)
        form->SmazatClick();
    else
        type(*form, "CZP", QStringLiteral("CZ1"));
    QCOMPARE(buttons(*form), QStringLiteral("Z/-"));
    form->ZpetClick();
    QTEST(buttons(*form), "afterZpet");
    QVERIFY(seams.errors.isEmpty());
}

void TestAppForm::refusedSaveRaisesIdOnce_data() {
    QTest::addColumn<QString>("prihlaska");
    QTest::addColumn<int>("raise");
    QTest::newRow("lot number changed") << "8" << 1;
    QTest::newRow("lot number kept") << "7" << 0;
}

// Saves that the table refuses are no saves: the id is raised once, by the save that succeeds.
void TestAppForm::refusedSaveRaisesIdOnce() {
    QFETCH(QString, prihlaska);
    QFETCH(int, raise);
    AppFolder folder;
    QVariantMap request = savedRequest(500);
    request.insert(QStringLiteral("ROK"), QStringLiteral("2012"));
    request.insert(QStringLiteral("PARTIECELA"), QStringLiteral("12-0815-00007-01"));
    writeOfflineRequest(folder, request);
    Seams seams;
    auto form = startForm();
    QVERIFY(form);
    type(*form, "PRIHLASKA", prihlaska);
    int refusals = 2;
    form->Dbf5->BeforePost = [&refusals](TDataSet&) {
        if (refusals-- > 0) throw EDatabaseError(QStringLiteral("Cannot write file"));
    };
    for (int attempt = 0; attempt < 2; ++attempt) {
        form->ZapsatClick();
        QVERIFY(editing(*form));
        QCOMPARE(buttons(*form), QStringLiteral("Z/-"));
    }
    QCOMPARE(seams.errors.size(), 2);
    form->ZapsatClick();
    form->Dbf5->BeforePost = nullptr;
    QCOMPARE(buttons(*form), QStringLiteral("-/T"));
    const int id = 500 + raise;
    form.reset();
    const QVariantMap stored = folder.readFirst(QStringLiteral("zadost.dbf"));
    QCOMPARE(stored.value(QStringLiteral("id")).toInt(), id);
    QCOMPARE(stored.value(QStringLiteral("id_trivan")).toString(),
             QStringLiteral("123456783300000%1").arg(id));
}

// Whatever fails on the way to the post leaves the request in editing and "Zapsat" usable.
void TestAppForm::failureBeforePostKeepsZapsat() {
    AppFolder folder;
    folder.writeIdentity(kDeadPort);
    folder.writeTable(QStringLiteral("zadost.dbf"), {"ZADOST_O", "CZP"}, {{"U", ""}});
    Seams seams;
    auto form = startForm();
    QVERIFY(form);
    seams.errors.clear();
    type(*form, "CZP", QStringLiteral("CZ1"));
    QVERIFY(editing(*form));
    form->ZapsatClick();
    QCOMPARE(seams.errors.size(), 1);
    QVERIFY(editing(*form));
    QCOMPARE(buttons(*form), QStringLiteral("Z/-"));
}

void TestAppForm::idOnSaves_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("raise");
    QTest::newRow("other field") << "CZP"
                                 << "CZ1" << 0;
    QTest::newRow("application number") << "PRIHLASKA"
                                        << "8" << 1;
    QTest::newRow("part number") << "DIL"
                                 << "2" << 1;
    QTest::newRow("same value retyped") << "PRIHLASKA"
                                        << "7" << 0;
}

void TestAppForm::idOnSaves() {
    QFETCH(QString, field);
    QFETCH(QString, value);
    QFETCH(int, raise);
    AppFolder folder;
    QVariantMap request = savedRequest(500);
    request.insert(QStringLiteral("ROK"), QStringLiteral("2012")); // so that the lot number is as saved
    request.insert(QStringLiteral("PARTIECELA"), QStringLiteral("12-0815-00007-01"));
    writeOfflineRequest(folder, request);
    Seams seams;
    auto form = startForm();
    QVERIFY(form);

    type(*form, "CZP", QStringLiteral("A"));
    form->ZapsatClick();
    QCOMPARE(form->Dbf5->FieldByName(QStringLiteral("id"))->AsFloat(), 500.0);
    type(*form, field.toLatin1().constData(), value);
    form->ZapsatClick();
    const int id = 500 + raise;
    QCOMPARE(form->Dbf5->FieldByName(QStringLiteral("id"))->AsFloat(), double(id));
    QCOMPARE(text(*form, "id_trivan"), QStringLiteral("123456783300000%1").arg(id));
    // A third save without a change of the lot number keeps it.
    type(*form, "CZP", QStringLiteral("B"));
    form->ZapsatClick();
    QCOMPARE(form->Dbf5->FieldByName(QStringLiteral("id"))->AsFloat(), double(id));
    QCOMPARE(seams.texts().count(kOfflineSubmission), 3);
}

void TestAppForm::smazat_data() {
    QTest::addColumn<int>("answer");
    QTest::newRow("OK") << 1;
    QTest::newRow("Zpět") << 2;
}

void TestAppForm::smazat() {
    QFETCH(int, answer);
    AppFolder folder;
    folder.writeIdentity(kDeadPort);
    folder.writeRequests(QStringLiteral("zadost.dbf"),
                         {savedRequest(500), savedRequest(501), savedRequest(502)});
    Seams seams;
    auto form = startForm();
    QVERIFY(form);
    type(*form, "CZP", QStringLiteral("X"));
    seams.questions.clear();
    seams.boxAnswer = [&](const TMsgBoxQuestion& q) { return q.Icon == TMsgIcon::Question ? answer : 1; };
    form->SmazatClick();
    QCOMPARE(seams.questions.size() >= 1, true);
    QCOMPARE(seams.questions.first().Text, QStringLiteral("Opravdu vymazat vše na této žádosti?"));
    QCOMPARE(seams.questions.first().Buttons, (QStringList{QStringLiteral("OK"), QStringLiteral("Zpět")}));
    if (answer != 1) {
        QCOMPARE(form->Dbf5->RecordCount(), 3);
        QCOMPARE(text(*form, "CZP"), QStringLiteral("X"));
        return;
    }
    QCOMPARE(form->Dbf5->RecordCount(), 1);
    QVERIFY(editing(*form));
    QCOMPARE(buttons(*form), QStringLiteral("Z/-"));
    QVERIFY(form->loadedRequestKey.isEmpty());
    QCOMPARE(text(*form, "ZADOST_O"), QStringLiteral("U"));
    QCOMPARE(text(*form, "PODNIK"), QStringLiteral("0815"));
    QCOMPARE(text(*form, "DPODNIK"), QStringLiteral("0815"));
    QCOMPARE(text(*form, "STREDISKO"), QStringLiteral("101"));
    QCOMPARE(text(*form, "MJ"), QStringLiteral("kg"));
    QCOMPARE(text(*form, "ROK"), QString::number(QDate::currentDate().year()));
    QCOMPARE(text(*form, "CZP"), QString());
    QVERIFY(text(*form, "id_trivan").isEmpty());
    const double id = form->Dbf5->FieldByName(QStringLiteral("id"))->AsFloat();
    QVERIFY(id >= 0 && id < 100000000 && id == std::floor(id));

    // The first save of a new request always counts as a new request number.
    form->ZapsatClick();
    QCOMPARE(form->Dbf5->FieldByName(QStringLiteral("id"))->AsFloat(), id + 1);
    form.reset();
    int records = 0;
    const QVariantMap stored = folder.readFirst(QStringLiteral("zadost.dbf"), &records);
    QCOMPARE(records, 1);
    QCOMPARE(stored.value(QStringLiteral("id")).toDouble(), id + 1);
}

void TestAppForm::offlineZapsatKeepsProvisionalNumber() {
    AppFolder folder;
    folder.writeIdentity(kDeadPort);
    folder.writeRequests(QStringLiteral("zadost.dbf"), {savedRequest(12345)});
    Seams seams;
    auto form = startForm();
    QVERIFY(form);
    seams.questions.clear();
    type(*form, "PRIHLASKA", QStringLiteral("9"));
    // The request date emptied by the user is saved as 1.1.1900.
    auto* datum = qobject_cast<TDBDateEdit*>(form->FieldControl(QStringLiteral("DATUM")));
    datum->selectAll();
    QTest::keyClick(datum, Qt::Key_Backspace);
    QVERIFY(datum->UpdateRecord()); // as on leaving it
    emit datum->exited();
    QVERIFY(form->Dbf5->FieldByName(QStringLiteral("DATUM"))->IsNull());
    form->ZapsatClick();
    QCOMPARE(seams.questions.size(), 1);
    QCOMPARE(seams.questions.first().Text, kOfflineSubmission);
    QCOMPARE(seams.questions.first().Icon, TMsgIcon::Warning);
    QCOMPARE(seams.questions.first().Buttons, QStringList{QStringLiteral("OK")});
    QCOMPARE(buttons(*form), QStringLiteral("-/T"));
    QVERIFY(!QFile::exists(folder.path(QStringLiteral("a1.txt"))));
    form.reset();
    const QVariantMap stored = folder.readFirst(QStringLiteral("zadost.dbf"));
    QCOMPARE(stored.value(QStringLiteral("id_trivan")).toString(), QStringLiteral("123456783300012346"));
    QCOMPARE(stored.value(QStringLiteral("PRIHLASKA")).toString(), QStringLiteral("00009"));
    QCOMPARE(stored.value(QStringLiteral("PARTIECELA")).toString(), QStringLiteral("11-0815-00009-01"));
    QCOMPARE(stored.value(QStringLiteral("STREDISKO")).toString(), QStringLiteral("101"));
    QCOMPARE(stored.value(QStringLiteral("DPODNIK")).toString(), QStringLiteral("0815"));
    QCOMPARE(stored.value(QStringLiteral("ROK")).toString(), QStringLiteral("2011"));
    QCOMPARE(stored.value(QStringLiteral("DATUM")).toDate(), QDate(1900, 1, 1));
}

void TestAppForm::cropCertificationDialog() {
    AppFolder folder;
    writeOfflineRequest(folder);
    Seams seams;
    auto form = startForm();
    QVERIFY(form);
    seams.dialogAnswer = [&](QDialog& d) {
        auto* dialog = qobject_cast<TFporost2*>(&d);
        if (!dialog) return 0;
        [&] {
            QCOMPARE(dialog->windowTitle(), QStringLiteral("Uznání porostů č. 4 - 10"));
            QCOMPARE(dialog->Fields.size(), 7);
            QTest::keyClicks(dialog->Fields.at(6), QStringLiteral("P10"));
        }();
        dialog->ButtonOK->click();
        return d.result();
    };
    form->ButtonPorost->click();
    QCOMPARE(seams.dialogs, QStringList{QStringLiteral("kvor::TFporost2")});
    QCOMPARE(text(*form, "ROZ_P10"), QStringLiteral("P10"));
    QCOMPARE(buttons(*form), QStringLiteral("Z/-"));
}

void TestAppForm::varietyPanel() {
    AppFolder folder;
    writeOfflineRequest(folder);
    folder.writeTable(QStringLiteral("cenik.dbf"), {"naz_odru", "naz_dru", "odruda", "druh", "nazevosiva"},
                      {{"Sulako", "pšenice ozimá", "01234", "12", "pšenice ozimá Sulako"},
                       {"Adéla", "brambory", "00777", "84", "brambory Adéla"},
                       {"Chmelová odrůda s velmi dlouhým názvem nad čtyřicet znaků", "chmel", "00999", "55",
                        "chmel Chmelová"}});
    Seams seams;
    auto form = startForm();
    QVERIFY(form);
    QVERIFY(!form->VarietyPanelOpen());
    QCOMPARE(form->DsMemTable33->RecordCount(), 3);

    form->ButtonOdrudy->click();
    QVERIFY(form->VarietyPanelOpen());
    QCOMPARE(form->VarietyPanel->width(), 385);
    QCOMPARE(form->VarietyModel->columnCount(), 1);
    QCOMPARE(form->VarietyModel->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Název osiva"));
    QCOMPARE(form->VarietyGrid->columnWidth(0), 330);
    QCOMPARE(form->VarietyGrid->toolTip(), QStringLiteral("Vyhledávání spustíte klikem na nadpis"));

    // A click on the title sorts the list by it.
    form->VarietyModel->TitleClick(0);
    QTRY_COMPARE(form->VarietyModel->data(form->VarietyModel->index(0, 0)).toString(),
                 QStringLiteral("brambory Adéla"));
    QCOMPARE(form->VarietyModel->data(form->VarietyModel->index(1, 0)).toString(),
             QStringLiteral("chmel Chmelová"));

    form->VarietyModel->SetCurrentRow(1);
    form->ButtonPrevzit->click();
    QVERIFY(!form->VarietyPanelOpen());
    QVERIFY(editing(*form));
    QCOMPARE(buttons(*form), QStringLiteral("Z/-"));
    QCOMPARE(text(*form, "DRUH"), QStringLiteral("55"));
    QCOMPARE(text(*form, "ODRUDA"), QStringLiteral("00999"));
    QCOMPARE(text(*form, "NAZ_DRU"), QStringLiteral("chmel"));
    QCOMPARE(text(*form, "NAZ_ODRU"), QStringLiteral("Chmelová odrůda s velmi dlouhým názvem n")); // 40
    QCOMPARE(qobject_cast<QLineEdit*>(form->FieldControl(QStringLiteral("NAZ_DRU")))->text(),
             QStringLiteral("chmel"));

    // Opened from its bar, the panel closes when the mouse leaves it; opened by "<" it stays.
    QEvent leave(QEvent::Leave);
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 100), QPointF(5, 100), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form->findChild<QWidget*>(QStringLiteral("VarietyBar")), &press);
    QVERIFY(form->VarietyPanelOpen());
    QApplication::sendEvent(form->VarietyPanel, &leave);
    QVERIFY(!form->VarietyPanelOpen());
    form->OdrudyClick();
    QApplication::sendEvent(form->VarietyPanel, &leave);
    QVERIFY(form->VarietyPanelOpen());
    form->PanelZpetClick();

    // "Zpět" of the panel closes it and takes nothing.
    form->ZpetClick();
    form->OdrudyClick();
    QVERIFY(form->VarietyPanelOpen());
    form->ButtonPanelZpet->click();
    QVERIFY(!form->VarietyPanelOpen());
    QCOMPARE(buttons(*form), QStringLiteral("-/T"));
    QVERIFY(seams.errors.isEmpty());
}

void TestAppForm::savedTextsFirstUse() {
    AppFolder folder;
    writeOfflineRequest(folder);
    Seams seams;
    auto form = startForm();
    QVERIFY(form);
    int rows = -1;
    QString title;
    savedTexts(
        *form, "MORIDLOTXT",
        [&](TftextUloz& w) {
            rows = w.ListBox1->count();
            title = w.windowTitle();
            [&] {
                QCOMPARE(w.width(), 754);
                QCOMPARE(w.height(), 262);
                QVERIFY(w.Edit1->geometry().top() >= 262); // the entry line out of sight
                w.ButtonPlus->click();
                QCOMPARE(w.height(), 348);
                QVERIFY(w.ButtonZpet->geometry().bottom() < 348);
                w.ButtonZpet->click();
                QCOMPARE(w.height(), 262);
            }();
            w.reject();
            return int(QDialog::Rejected);
        },
        seams);
    QCOMPARE(rows, 0);
    QCOMPARE(title, QStringLiteral("Uložené texty"));
    QVERIFY(QFile::exists(folder.path(QStringLiteral("MORIDLOTXT.txt"))));
    QCOMPARE(QFile(folder.path(QStringLiteral("MORIDLOTXT.txt"))).size(), 0);
}

void TestAppForm::savedTextsCloseButtonKeepsRows() {
    AppFolder folder;
    writeOfflineRequest(folder);
    storeSavedTexts(folder.path(QStringLiteral("UZ2.txt")),
                    {QStringLiteral("první"), QStringLiteral("druhý")});
    Seams seams;
    auto form = startForm();
    QVERIFY(form);
    savedTexts(
        *form, "UZ2",
        [&](TftextUloz& w) {
            w.ButtonPlus->click();
            w.Edit1->setText(QStringLiteral("třetí"));
            w.ButtonZapsat->click();
            w.ListBox1->setCurrentRow(0);
            w.ButtonMinus->click(); // "-" takes the selected row
            w.ListBox1->setCurrentRow(1);
            w.reject(); // the close button of the frame
            return int(QDialog::Rejected);
        },
        seams);
    QCOMPARE(loadSavedTexts(folder.path(QStringLiteral("UZ2.txt"))),
             (QStringList{QStringLiteral("druhý"), QStringLiteral("třetí")}));
    QCOMPARE(text(*form, "UZ2"), QString());
    QVERIFY(!editing(*form));
}

void TestAppForm::savedTextsCutToFieldWidth() {
    AppFolder folder;
    writeOfflineRequest(folder);
    const QString long40 = QStringLiteral("Jutový pytel s vnitřní PE vložkou 40 zn.");
    QCOMPARE(long40.size(), 40);
    storeSavedTexts(folder.path(QStringLiteral("OBALY_TXT.txt")), {QStringLiteral("krátký"), long40});
    Seams seams;
    auto form = startForm();
    QVERIFY(form);
    savedTexts(
        *form, "OBALY_TXT",
        [&](TftextUloz& w) {
            w.ListBox1->setCurrentRow(1);
            w.ButtonOK->click();
            return w.result();
        },
        seams);
    QCOMPARE(text(*form, "OBALY_TXT"), long40.left(20));
    QCOMPARE(qobject_cast<QLineEdit*>(form->FieldControl(QStringLiteral("OBALY_TXT")))->text(),
             long40.left(20));
    // Shown and kept for the next save, without entering the edited state.
    QCOMPARE(buttons(*form), QStringLiteral("-/T"));
    type(*form, "CZP", QStringLiteral("1"));
    form->ZapsatClick();
    form.reset();
    QCOMPARE(folder.readFirst(QStringLiteral("zadost.dbf")).value(QStringLiteral("OBALY_TXT")).toString(),
             long40.left(20));
}

void TestAppForm::savedTextsOkWithoutSelection_data() {
    QTest::addColumn<bool>("deleteFirst");
    QTest::addColumn<QStringList>("kept");
    QTest::newRow("nothing selected") << false << QStringList{"A", "B", "C"};
    QTest::newRow("the selected row deleted by '-'") << true << QStringList{"B", "C"};
}

void TestAppForm::savedTextsOkWithoutSelection() {
    QFETCH(bool, deleteFirst);
    AppFolder folder;
    writeOfflineRequest(folder);
    storeSavedTexts(folder.path(QStringLiteral("POZADAV1.txt")), {QStringLiteral("A"), QStringLiteral("B")});
    Seams seams;
    auto form = startForm();
    QVERIFY(form);
    seams.questions.clear();
    savedTexts(
        *form, "POZADAV1",
        [&](TftextUloz& w) {
            w.ButtonPlus->click();
            w.Edit1->setText(QStringLiteral("C"));
            w.ButtonZapsat->click();
            w.ListBox1->clearSelection();
            if (deleteFirst) {
                w.ListBox1->setCurrentRow(0);
                w.ButtonMinus->click();
            }
            w.ButtonOK->click();
            return w.result();
        },
        seams);
    QCOMPARE(seams.texts(), QStringList{QStringLiteral("Není vybrán text.")});
    QCOMPARE(seams.questions.first().Icon, TMsgIcon::Warning);
    QCOMPARE(text(*form, "POZADAV1"), QString());
    QTEST(loadSavedTexts(folder.path(QStringLiteral("POZADAV1.txt"))), "kept");
}

void TestAppForm::settingsStoredOnClose_data() {
    QTest::addColumn<bool>("byOk");
    QTest::newRow("OK") << true;
    QTest::newRow("close button") << false;
}

void TestAppForm::settingsStoredOnClose() {
    QFETCH(bool, byOk);
    AppFolder folder;
    writeOfflineRequest(folder);
    Seams seams;
    auto form = startForm();
    QVERIFY(form);
    QStringList shown;
    seams.dialogAnswer = [&](QDialog& d) {
        auto* s = qobject_cast<TFmozno*>(&d);
        if (!s) return 0;
        for (QLineEdit* e : s->Fields())
            shown << e->text();
        [&] {
            QCOMPARE(s->windowTitle(), QStringLiteral("Trivan05 - žádosti - servis"));
            QCOMPARE(s->size(), QSize(367, 302));
            QVERIFY(s->windowFlags() & Qt::WindowStaysOnTopHint);
            QCOMPARE(s->Editpodnik->maxLength(), 4);
            QCOMPARE(s->EditICO->maxLength(), 10);
            QCOMPARE(s->Editposta->maxLength(), 24);
        }();
        QWidgetList chain;
        for (QWidget* w = s->Editpodnik; chain.size() < 13; w = w->nextInFocusChain())
            if (w->focusPolicy() & Qt::TabFocus) chain << w;
        [&] {
            QCOMPARE(chain, (QWidgetList{s->Editpodnik, s->EditICO, s->EditDIC, s->Editnazev, s->Editsidlo,
                                         s->Editulice, s->EditPSC, s->Editposta, s->EditTelefon, s->EditFax,
                                         s->EditEmail, s->EditCSO, s->ButtonOK}));
        }();
        s->EditICO->setText(QStringLiteral("87654321"));
        s->Editpodnik->setText(QStringLiteral("4711"));
        s->EditCSO->setText(QString());
        if (byOk)
            s->ButtonOK->click();
        else
            s->reject();
        return d.result();
    };
    FileWrites writes(folder.path());
    form->Nastavenprogramu1->trigger();
    // The identity is stored in one write of the file: no moment leaves a part of it stored.
    QCOMPARE(writes.count(QStringLiteral("kvor.ini")), 1);
    // The fields show the file, and the initial texts where a key is missing.
    QCOMPARE(shown, (QStringList{"0815", "101", "12345678", "DIC", "Osiva Haná", "sidlo", "ulice", "PSC",
                                 "posta", "Telefon", "Fax", "Email"}));
    QCOMPARE(form->companyIco, QStringLiteral("87654321"));
    QCOMPARE(form->applicantNumber, QStringLiteral("4711"));
    QCOMPARE(form->defaultApplicantNumber, QStringLiteral("4711"));
    QCOMPARE(form->centreCode, QString());
    const TIniFile ini(folder.path(QStringLiteral("kvor.ini")));
    QCOMPARE(ini.ReadString(QStringLiteral("TFmozno"), QStringLiteral("EditICO_Text"), QString()),
             QStringLiteral("87654321"));
    QCOMPARE(ini.ReadSection(QStringLiteral("TFmozno")).size(), 12);
    // The other sections of the file stay.
    QCOMPARE(ini.ReadString(QStringLiteral("Server"), QStringLiteral("Port"), QString()),
             QString::number(kDeadPort));
    QVERIFY(seams.errors.isEmpty());
}

void TestAppForm::settingsLimitTypingOnly_data() {
    QTest::addColumn<QString>("stored");
    QTest::addColumn<int>("backspaces");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("written");
    const QString long38 = QStringLiteral("Zemědělské družstvo Horní Újezd, a.s.!");
    const QString long40 = QStringLiteral("Šlechtitelská stanice Dobrovíz, s.r.o. X");
    QCOMPARE(long38.size(), 38);
    QTest::newRow("a stored name longer than its field is kept whole") << long38 << 0 << QString() << long38;
    QTest::newRow("typing cannot lengthen it") << long38 << 0 << QStringLiteral("XY") << long38;
    QTest::newRow("shortened, it takes typing up to the field's length")
        << long38 << 10 << QStringLiteral("ABCDEFGHIJ") << long38.left(28) + QStringLiteral("AB");
    QTest::newRow("typing stops at the field's length") << QString() << 0 << long40 << long40.left(30);
}

// The field lengths limit what the user types, never what the file holds.
void TestAppForm::settingsLimitTypingOnly() {
    QFETCH(QString, stored);
    QFETCH(int, backspaces);
    QFETCH(QString, typed);
    AppFolder folder;
    folder.writeIni({QStringLiteral("[TFmozno]"), QStringLiteral("Editnazev_Text=") + stored});
    TIniFile ini(folder.path(QStringLiteral("kvor.ini")));
    TFmozno window;
    window.LoadFrom(ini);
    QCOMPARE(window.Editnazev->text(), stored);
    window.Editnazev->setFocus();
    window.Editnazev->end(false);
    for (int i = 0; i < backspaces; ++i)
        QTest::keyClick(window.Editnazev, Qt::Key_Backspace);
    // Character by character, Czech letters included, as a keyboard would deliver them.
    for (QChar ch : typed)
        QTest::sendKeyEvent(QTest::Click, window.Editnazev, Qt::Key_unknown, QString(ch), Qt::NoModifier);
    window.StoreTo(ini);
    QTEST(ini.ReadString(QStringLiteral("TFmozno"), QStringLiteral("Editnazev_Text"), QString()), "written");
}

void TestAppForm::fortyOffices() {
    AppFolder folder;
    writeOfflineRequest(folder);
    QList<QStringList> offices;
    for (int i = 1; i <= 40; ++i)
        offices << QStringList{QStringLiteral("ÚKZÚZ pracoviště %1, Brno").arg(i, 2, 10, QChar(u'0')),
                               i % 3 ? QString() : QStringLiteral("4711%1").arg(i)};
    folder.writeTable(QStringLiteral("zadostad.dbf"), {"adresa", "ico"}, offices);
    Seams seams;
    auto form = startForm();
    QVERIFY(form);
    auto* poot = qobject_cast<TDBComboBox*>(form->FieldControl(QStringLiteral("POOT")));
    QCOMPARE(poot->count(), 40);
    QCOMPARE(poot->maxVisibleItems(), 40);
    QCOMPARE(poot->itemText(0), QStringLiteral("ÚKZÚZ pracoviště 01, Brno"));
    // Choosing an office stores its text.
    poot->setCurrentIndex(4);
    emit poot->activated(4);
    QCOMPARE(text(*form, "POOT"), QStringLiteral("ÚKZÚZ pracoviště 05, Brno"));
}

void TestAppForm::missingCodeListsGiveEmptyLists_data() {
    QTest::addColumn<bool>("unreadableAddresses");
    QTest::addColumn<bool>("unreadableVarieties");
    QTest::newRow("no code list files") << false << false;
    QTest::newRow("an address list without adresa") << true << false;
    QTest::newRow("a variety list that is not a table") << false << true;
}

// Offline, the start-up says so and disables "Historie" before it reports a list it cannot read.
void TestAppForm::missingCodeListsGiveEmptyLists() {
    QFETCH(bool, unreadableAddresses);
    QFETCH(bool, unreadableVarieties);
    AppFolder folder;
    writeOfflineRequest(folder);
    if (unreadableAddresses) folder.writeTable(QStringLiteral("zadostad.dbf"), {"nazev"}, {{"SRS Praha"}});
    if (unreadableVarieties) {
        QFile damaged(folder.dataPath(QStringLiteral("cenik.dbf")));
        QVERIFY(damaged.open(QIODevice::WriteOnly));
        damaged.write(QByteArray(40, '\x03'));
    }
    Seams seams;
    qsizetype errorsBeforeOffline = -1;
    seams.boxAnswer = [&](const TMsgBoxQuestion&) {
        errorsBeforeOffline = seams.errors.size();
        return 1;
    };
    auto form = startForm();
    QVERIFY(form);
    QCOMPARE(seams.texts(), QStringList{kOfflineCodeLists});
    QCOMPARE(errorsBeforeOffline, 0);
    QVERIFY(!form->MenuHistorie->isEnabled());
    QCOMPARE(seams.errors.isEmpty(), !unreadableAddresses && !unreadableVarieties);
    // A list that could not be read is not kept open: the table is held exclusively.
    QVERIFY(!form->DbfAd->Active());
    QCOMPARE(qobject_cast<TDBComboBox*>(form->FieldControl(QStringLiteral("POOT")))->count(), 0);
    QCOMPARE(form->VarietyModel->rowCount(), 0);
    // "Převzít" on an empty list takes empty values.
    seams.errors.clear();
    form->OdrudyClick();
    form->PrevzitClick();
    QVERIFY(seams.errors.isEmpty());
    QCOMPARE(text(*form, "DRUH"), QString());
    QVERIFY(editing(*form));
}

void TestAppForm::menuRefreshOfflineDisablesHistorie() {
    AppFolder folder;
    writeOfflineRequest(folder);
    folder.writeTable(QStringLiteral("zadostad.dbf"), {"adresa", "ico"}, {{"SRS Praha", ""}});
    Seams seams;
    auto form = startForm();
    QVERIFY(form);
    form->MenuHistorie->setEnabled(true);
    seams.questions.clear();
    form->Aktualizace1->trigger();
    QCOMPARE(seams.texts(), QStringList{kOfflineCodeLists});
    QCOMPARE(seams.questions.first().Icon, TMsgIcon::Warning);
    QVERIFY(!form->MenuHistorie->isEnabled());
    // The local lists are loaded all the same.
    QCOMPARE(qobject_cast<TDBComboBox*>(form->FieldControl(QStringLiteral("POOT")))->count(), 1);
    // Both "Konec" items and the refresh are there; what arrives later is present but disabled, and
    // the items of "Historie" cannot be reached.
    QStringList enabled;
    for (QAction* menu : form->menuBar()->actions())
        for (QAction* a : menu->isEnabled() ? menu->menu()->actions() : QList<QAction*>())
            if (!a->isSeparator() && a->isEnabled()) enabled << a->text();
    enabled.sort();
    QCOMPARE(enabled, (QStringList{"Aktualizace číselníků", "Konec", "Kontrola nové verze",
                                   "Licenční ujednání", "Nastavení programu", "O programu", "Opravdu",
                                   "Popis programu", "Poslední změny"}));
}

void TestAppForm::focusOrderAndEnter() {
    AppFolder folder;
    writeOfflineRequest(folder);
    Seams seams;
    auto form = startForm();
    QVERIFY(form);
    QApplication::setActiveWindow(form.get());
    QVERIFY(QTest::qWaitForWindowActive(form.get()));
    QCOMPARE(QApplication::focusWidget(), form->FieldControl(QStringLiteral("ROK")));
    // Enter moves on like Tab, through the fields in their order.
    QWidget* rok = form->FieldControl(QStringLiteral("ROK"));
    QTest::keyClick(rok, Qt::Key_Return);
    QCOMPARE(QApplication::focusWidget(), form->FieldControl(QStringLiteral("PODNIK")));
    // Through the request fields in their order.
    const QList<QWidget*> order = form->FocusOrder();
    QCOMPARE(order.size(), 31 + 6 + 3 + 8);
    QCOMPARE(order.at(3), form->FieldControl(QStringLiteral("STUPEN")));
    for (int i = 0; i + 1 < 31; ++i) {
        order[i]->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QVERIFY2(QApplication::focusWidget() == order[i + 1], qPrintable(order[i]->objectName()));
    }
    // After the last field: the buttons, "Zapsat" being disabled.
    QTest::keyClick(order[30], Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), form->ButtonZpet);
    QTest::keyClick(form->ButtonZpet, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), form->ButtonStitek);
    // Read-only fields and "4. - 10." are skipped.
    for (const char* f : {"DRUH", "NAZ_DRU", "ODRUDA", "NAZ_ODRU"})
        QCOMPARE(form->FieldControl(QString::fromLatin1(f))->focusPolicy(), Qt::NoFocus);
    QCOMPARE(form->ButtonPorost->focusPolicy(), Qt::NoFocus);
    // The check boxes are request fields too.
    QWidget* opakhh = form->FieldControl(QStringLiteral("OPAKHH"));
    opakhh->setFocus();
    QTest::keyClick(opakhh, Qt::Key_Return);
    QCOMPARE(QApplication::focusWidget(), form->FieldControl(QStringLiteral("UZNA_NIZSI")));
    QCOMPARE(text(*form, "OPAKHH"), QString()); // moved on, not ticked
}

void TestAppForm::konecDropsUnsavedEdit_data() {
    QTest::addColumn<QString>("item");
    QTest::newRow("Hlavní nabídka, Konec") << "Konec1";
    QTest::newRow("Konec, Opravdu") << "Opravdu1";
}

void TestAppForm::konecDropsUnsavedEdit() {
    QFETCH(QString, item);
    AppFolder folder;
    writeOfflineRequest(folder);
    Seams seams;
    auto form = startForm();
    QVERIFY(form);
    type(*form, "CZP", QStringLiteral("LOST"));
    seams.questions.clear();
    form->findChild<QAction*>(item)->trigger();
    QVERIFY(!form->isVisible());
    QVERIFY(seams.questions.isEmpty()); // nothing is asked
    form.reset();
    QCOMPARE(folder.readFirst(QStringLiteral("zadost.dbf")).value(QStringLiteral("CZP")).toString(),
             QString());
}

void TestAppForm::damagedRequestTableStillStarts_data() {
    QTest::addColumn<bool>("garbage");
    QTest::newRow("not a table") << true;
    QTest::newRow("a table of another layout") << false;
}

void TestAppForm::damagedRequestTableStillStarts() {
    QFETCH(bool, garbage);
    AppFolder folder;
    folder.writeIdentity(kDeadPort);
    if (garbage) {
        QFile damaged(folder.dataPath(QStringLiteral("zadost.dbf")));
        QVERIFY(damaged.open(QIODevice::WriteOnly));
        damaged.write(QByteArray(40, '\x03'));
    } else {
        folder.writeTable(QStringLiteral("zadost.dbf"), {"ZADOST_O"}, {{"U"}});
    }
    const QByteArray before = [&] {
        QFile f(folder.dataPath(QStringLiteral("zadost.dbf")));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();
    Seams seams;
    auto form = startForm();
    QVERIFY(form);
    // The errors are shown, and the start-up still ends with the editor and its menu usable.
    QVERIFY(!seams.errors.isEmpty());
    QVERIFY(form->centralWidget()->isEnabled());
    QVERIFY(form->Nastavenprogramu1->isEnabled());
    // There is no request to print.
    QCOMPARE(buttons(*form), QStringLiteral("-/-"));
    form.reset();
    QFile after(folder.dataPath(QStringLiteral("zadost.dbf")));
    QVERIFY(after.open(QIODevice::ReadOnly));
    QCOMPARE(after.readAll(), before); // left as it was
}

QTEST_MAIN(TestAppForm)
#include "tst_app_form.moc"
