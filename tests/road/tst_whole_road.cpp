// A request's whole road through the program, as a seed company goes it on three days: the first
// start in an empty program folder with the vendor database and the FTP server there, a day on
// which neither can be reached, and a day with both back. Each day starts the program anew and
// goes the same road: the settings window, the code-list refresh, a variety found with the search
// window, every field keyed in, a saved text, "Zapsat", "Tisk" to a partner office, the labels to
// PDF, the history windows and "Zobrazit ULČ", "Smazat" and the check for a new version. The road
// ends with every copy that waited in the export queue on the server exactly once, and with every
// local table readable by dbfread.
//
// The user is stood in for at three narrow seams only: the program's own seam for modal questions
// and dialogs (Seams), the print preview's modal run (PreviewWatch), in which the user presses
// "PDF" and this test names the file, and the desktop's PDF viewer for the result document
// (TDocumentOpenerScope), which records the file it is handed.
#include "app/AppFixture.h"
#include "history/HistoryFixture.h"
#include "print/PreviewWatch.h"
#include "print/PrintFolder.h"
#include "update/VendorFtp.h"

#include "app/RequestRules.h"
#include "app/mozno.h"
#include "app/porost2.h"
#include "history/ResultDocument.h"
#include "platform/ProfileFile.h"
#include "print/stit.h"
#include "tablestore/DsMemTable.h"
#include "tablestore/search/SearchForm2.h"
#include "update/UpdateRun.h"
#include "update/VersionStamp.h"
#include "widgets/DBControls.h"
#include "widgets/DataSetTableModel.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <cmath>

using namespace kvor;
using namespace kvor::testing;
using namespace Qt::StringLiterals;

namespace {

// The company of the road; no other test uses its ICO.
const QString kIco = u"24681357"_s;
// A name with Czech letters and double quotes, which every statement that carries it must keep.
const QString kCompany = u"Osiva \"Čestná\" a syn s.r.o."_s;
const QString kApplicant = u"0815"_s;
const QString kCentre = u"101"_s;
// A certifying office that is a partner: prints to it go to the export queue.
const QString kPartnerOffice = u"Osiva Haná a.s., laboratoř Kroměříž"_s;
const QString kPartnerIco = u"46347801"_s;
// A saved text with the characters that must not end an SQL literal.
const QString kSavedDressing = u"Mořidlo 'Celest' \\ Extra"_s;

const QString kOfflineCodeLists = u"Není připojení k internetu.\rNelze aktualizovat číselníky."_s;
const QString kOfflineSubmission = u"Není připojení k internetu.\rŽádost nebyla uložena."_s;
const QString kOfflineExport =
    u"Není připojení k internetu.\rŽádost uložena pro odeslání při příštím připojení k internetu."_s;
const QString kAskClear = u"Opravdu vymazat vše na této žádosti?"_s;

// One request field as the user keys it in, and what the request then holds. Keys of a check box
// are a press of the space bar; of a fixed list, the letters that find the item.
struct KeyedField {
    const char* field;
    QString keys;
    QVariant stored;
};

// The fields in the order of the editor's focus; the day makes the lot number its own.
QList<KeyedField> keyedFields(const QString& prihlaska) {
    return {
        {"POOT", kPartnerOffice, kPartnerOffice},
        {"STUPEN", u"C1"_s, u"C1"_s},
        {"ROK", u"2012"_s, u"2012"_s},
        {"PRIHLASKA", prihlaska, prihlaska.rightJustified(5, u'0')},
        {"DIL", u"1"_s, u"01"_s},
        {"CZP", u"CZ7"_s, u"CZ7"_s},
        {"ZAHRPARTIE", u"NL-778"_s, u"NL-778"_s},
        {"ROZ_P1", u"R-12/0081"_s, u"R-12/0081"_s},
        {"ROZ_P2", u"R-12/0082"_s, u"R-12/0082"_s},
        {"ROZ_P3", u"R-12/0083"_s, u"R-12/0083"_s},
        {"MNOZSTVI", u"12,5"_s, 12.5},
        {"MJ", u"t"_s, u"t"_s},
        {"BRUTTO", u"12,75"_s, 12.75},
        {"OBALY_TXT", u"vak 1000 kg"_s, u"vak 1000 kg"_s},
        {"POCET", u"13"_s, 13.0},
        {"OBALY2_TXT", u"big-bag"_s, u"big-bag"_s},
        {"POCET2", u"2"_s, 2.0},
        {"OSETRENITX", u"m"_s, u"mořeno"_s},
        {"TYP_NA", u"o"_s, u"O"_s},
        {"NAV1", u"CZ 0001 - 0013"_s, u"CZ 0001 - 0013"_s},
        {"NAV2", u"CZ 0014 - 0020"_s, u"CZ 0014 - 0020"_s},
        {"MISTOODBER", u"sklad Kolín"_s, u"sklad Kolín"_s},
        {"DATUMODBER", u"5.3.2012"_s, QDate(2012, 3, 5)},
        {"POZADAV1", u"HTS"_s, u"HTS"_s},
        {"POZADAV2", u"zkouška klíčivosti"_s, u"zkouška klíčivosti"_s},
        {"UZ1", u"záznam první"_s, u"záznam první"_s},
        {"UZ2", u"záznam druhý"_s, u"záznam druhý"_s},
        {"OPAKHH", u" "_s, u"A"_s},
        {"UZNA_NIZSI", u" "_s, u"A"_s},
        {"VEGET", u" "_s, u"A"_s},
    };
}

// Whether a value read back (from the local table or the server) is the one expected: numbers by
// value, dates by day, everything else by its text.
bool sameValue(const QVariant& got, const QVariant& expected) {
    if (expected.typeId() == QMetaType::Double) return qAbs(got.toDouble() - expected.toDouble()) < 1e-9;
    if (expected.typeId() == QMetaType::QDate) return got.toDate() == expected.toDate();
    return got.toString() == expected.toString();
}

// The fields whose values differ from the expected ones, each with both values.
QStringList differences(const QVariantMap& got, const QVariantMap& expected) {
    QStringList out;
    for (auto it = expected.begin(); it != expected.end(); ++it)
        if (!sameValue(got.value(it.key()), it.value()))
            out << u"%1: %2 instead of %3"_s.arg(it.key(), got.value(it.key()).toString(),
                                                 it.value().toString());
    return out;
}

QVariantMap currentRecord(TDataSet& table) {
    QVariantMap out;
    for (int i = 0; i < table.FieldCount(); ++i)
        out.insert(table.Fields(i)->FieldName(), table.Fields(i)->Value());
    return out;
}

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

QString pdfText(const QString& pdf) {
    return QString::fromUtf8(runTool(findTool("pdftotext"), {pdf, u"-"_s}).out);
}

} // namespace

class TestWholeRoad : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void road_data();
    void road();
    void endOfTheRoad();
    void cleanupTestCase();

private:
    // The steps of a day, in the order the user takes them.
    void settingsWindow(QDialog& dialog, bool firstStart);
    void pickVariety(TForm1& form, const QString& keys, const QString& variety);
    void keyIn(TForm1& form, const KeyedField& keyed);
    void cropCertifications(TForm1& form);
    void savedDressing(TForm1& form);
    void printToPdf(const std::function<void()>& press, const QString& pdf);
    void histories(TForm1& form);
    void resultDocument(TForm1& form, const QString& lot, const QByteArray& document);

    void setReachable(bool reachable);
    QMap<QString, QList<QVariantMap>> readWithDbfread(const QStringList& tables);
    QVariantMap serverRow(const QString& table, const QString& where);

    std::unique_ptr<AppFolder> m_folder;
    std::unique_ptr<TVendorDb> m_db;
    std::unique_ptr<Seams> m_seams;
    QTemporaryDir m_work; // the PDFs the user saves, and the pages zbar reads
    int m_workstation = 0;
    // The requests on the server, by lot number, with their ULČ; and the lots printed to the partner.
    QList<std::pair<QString, QString>> m_sent;
    QStringList m_printed;                 // one entry per copy printed to the partner
    QMap<QString, QVariantMap> m_expected; // what each printed request holds, by lot number
};

void TestWholeRoad::initTestCase() {
    m_db = std::make_unique<TVendorDb>();
    const QString user = sys::userName().replace(u'\'', u"''"_s);
    const QString computer = sys::computerName().replace(u'\'', u"''"_s);
    for (const char* table : {"kvor_zadost", "kvor_firmy", "kvor_historiem", "kvor_doklady"})
        m_db->exec(u"delete from %1 where ICO = '%2'"_s.arg(QLatin1String(table), kIco));
    for (const char* table : {"ex_zadost", "historie"})
        m_db->exec(u"delete from %1 where EX_ICO = '%2'"_s.arg(QLatin1String(table), kIco));
    // The vendor registers the company's workstation, as it does before a customer starts.
    m_db->exec(
        u"insert into kvor_firmy (ICO, computeruser, computername, nazev) values ('%1', '%2', '%3', '%4')"_s
            .arg(kIco, user, computer, kCompany));
    m_workstation = m_db->value(u"select LAST_INSERT_ID()"_s).toInt();
    // The vendor has published the very build that runs: the check finds no new version.
    VendorFtp::put(u"setupkvr.ver"_s,
                   VendorFtp::versionFile(stamp::ofFile(QCoreApplication::applicationFilePath())));
    VendorFtp::put(u"setupkvr.exe"_s, QByteArray());

    // The first start: the program folder is empty but for the two profiles that say where the
    // vendor's servers are.
    m_folder = std::make_unique<AppFolder>();
    m_folder->writeIni({u"[Server]"_s, u"Host=127.0.0.1"_s, u"Port=%1"_s.arg(KVOR_TEST_DB_PORT)});
    VendorFtp::writeSettings(m_folder->path(), true);
    QCOMPARE(QDir(m_folder->path()).entryList(QDir::Files), QStringList{u"kvor.ini"_s});
    QCOMPARE(QDir(m_folder->dataPath()).entryList(QDir::Files), QStringList());
    m_seams = std::make_unique<Seams>();
}

void TestWholeRoad::cleanupTestCase() {
    m_seams.reset();
    m_folder.reset();
    if (!m_db) return;
    for (const char* table : {"kvor_zadost", "kvor_firmy", "kvor_historiem", "kvor_doklady"})
        m_db->exec(u"delete from %1 where ICO = '%2'"_s.arg(QLatin1String(table), kIco));
    for (const char* table : {"ex_zadost", "historie"})
        m_db->exec(u"delete from %1 where EX_ICO = '%2'"_s.arg(QLatin1String(table), kIco));
}

// The server and the FTP server are out of reach when the profiles point at a port where nothing
// listens: the fixtures' servers go on serving the other tests.
void TestWholeRoad::setReachable(bool reachable) {
    TIniFile(m_folder->path(u"kvor.ini"_s))
        .WriteString(u"Server"_s, u"Port"_s, QString::number(reachable ? KVOR_TEST_DB_PORT : kDeadPort));
    VendorFtp::writeSettings(m_folder->path(), reachable);
}

// Every record of each table of the data folder as dbfread reads it: texts without their padding,
// numbers as numbers, dates as yyyy-mm-dd. Empty when dbfread fails, which fails the test.
QMap<QString, QList<QVariantMap>> TestWholeRoad::readWithDbfread(const QStringList& tables) {
    QProcess dbfread;
    dbfread.setWorkingDirectory(m_folder->dataPath());
    const QString script = u"import dbfread, json, sys\n"
                           "print(json.dumps({f: [dict(r) for r in dbfread.DBF(f, encoding='cp1250')]"
                           " for f in sys.argv[1:]}, default=str))"_s;
    dbfread.start(QStringLiteral(KVOR_SYSTEM_PYTHON), QStringList{u"-c"_s, script} + tables);
    QMap<QString, QList<QVariantMap>> out;
    [&] {
        QVERIFY(dbfread.waitForFinished(60000));
        QVERIFY2(dbfread.exitCode() == 0, dbfread.readAllStandardError().constData());
    }();
    const QVariantMap files = QJsonDocument::fromJson(dbfread.readAllStandardOutput()).toVariant().toMap();
    for (auto it = files.begin(); it != files.end(); ++it)
        for (const QVariant& record : it.value().toList())
            out[it.key()] << record.toMap();
    return out;
}

QVariantMap TestWholeRoad::serverRow(const QString& table, const QString& where) {
    TZQuery& q = m_db->link().ZQuery1;
    q.Close();
    q.SQL() = QStringList{u"select * from %1 where %2"_s.arg(table, where)};
    q.Open();
    const QVariantMap row = q.Eof() ? QVariantMap() : currentRecord(q);
    q.Close();
    return row;
}

// The days follow one another in one program folder, each starting where the one before ended.
void TestWholeRoad::road_data() {
    QTest::addColumn<bool>("reachable");
    QTest::addColumn<QString>("prihlaska");
    QTest::addColumn<QString>("varietyKeys"); // typed into the search window
    QTest::addColumn<QString>("variety");     // the one line it leaves
    QTest::addColumn<int>("prints");          // presses of "Tisk"
    QTest::addColumn<QStringList>("told");    // every message of the day, in order

    const QStringList online{kAskClear, TUpdateRun::currentText()};
    QTest::newRow("first start, online")
        << true << u"71"_s << u"zeman extra"_s << u"Pšenice ozimá Zeman Extra"_s << 1 << online;
    // Start-up and the refresh say the lists cannot be refreshed, "Zapsat" that the request was
    // not sent, each "Tisk" that the copy waits in the queue, the check that it found no server.
    // The user prints twice, as one does when nothing seems to happen.
    QTest::newRow("offline") << false << u"72"_s << u"jarní perla"_s << u"Ječmen jarní Perla"_s << 2
                             << QStringList{kOfflineCodeLists,       kOfflineCodeLists, kOfflineSubmission,
                                            kOfflineExport,          kOfflineExport,    kAskClear,
                                            TUpdateRun::failedText()};
    QTest::newRow("online again") << true << u"73"_s << u"oves setý radek"_s << u"Oves setý Radek"_s << 1
                                  << online;
}

void TestWholeRoad::road() {
    QFETCH(bool, reachable);
    QFETCH(QString, prihlaska);
    QFETCH(QString, varietyKeys);
    QFETCH(QString, variety);
    QFETCH(int, prints);
    QFETCH(QStringList, told);
    const bool firstStart = m_sent.isEmpty() && m_printed.isEmpty();
    Seams& seams = *m_seams;
    seams.questions.clear();
    seams.errors.clear();
    seams.dialogs.clear();
    setReachable(reachable);

    // Start-up. The request table is new, or was cleared the day before: nothing was saved yet, so
    // the settings window comes first.
    seams.dialogAnswer = [&](QDialog& d) {
        auto* settings = qobject_cast<TFmozno*>(&d);
        if (settings) settingsWindow(*settings, firstStart);
        return d.result();
    };
    const QFileInfo codeList(m_folder->dataPath(u"cenik.dbf"_s));
    const QDateTime codeListBefore = codeList.exists() ? codeList.lastModified() : QDateTime();
    auto form = startForm();
    seams.dialogAnswer = {};
    QVERIFY(form);
    // The start copies the code lists only when the server's variety table changed since the last
    // look, which on an empty folder is always.
    QCOMPARE(QFileInfo(codeList.filePath()).lastModified() != codeListBefore, firstStart);
    QCOMPARE(seams.dialogs, QStringList{u"kvor::TFmozno"_s});
    QCOMPARE(form->companyIco, kIco);
    QCOMPARE(form->Online(), reachable);
    QCOMPARE(form->MenuHistorie->isEnabled(), reachable);
    // The workstation the vendor registered, found by the lookup (0 until it reaches the server).
    QCOMPARE(form->idFirma, reachable ? m_workstation : 0);
    // The variety panel holds the server's list: copied at the first start, kept while offline.
    const qint64 varieties = m_db->count(u"from odruda o, druh d where o.DRUH = d.KOD"_s);
    QCOMPARE(qint64(form->DsMemTable33->RecordCount()), varieties);

    // "Servis" → "Aktualizace číselníků": the lists come anew from the server, or stay as they are.
    form->Aktualizace1->trigger();
    QCOMPARE(form->MenuHistorie->isEnabled(), reachable);
    QCOMPARE(qint64(form->DsMemTable33->RecordCount()), varieties);

    // The request: the variety, every field by the keyboard, crop certifications 4 to 10, and the
    // dressing agent from the saved texts.
    pickVariety(*form, varietyKeys, variety);
    QVERIFY(!QTest::currentTestFailed());
    // The dialogs took the activation with them: the keys go to the window that is active.
    form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(form.get()));
    for (const KeyedField& keyed : keyedFields(prihlaska)) {
        keyIn(*form, keyed);
        QVERIFY(!QTest::currentTestFailed());
    }
    cropCertifications(*form);
    savedDressing(*form);
    QVERIFY(!QTest::currentTestFailed());
    QVERIFY2(seams.errors.isEmpty(), qPrintable(seams.errors.join(u'\n')));

    // What the request holds now: what was keyed in, the variety as the server's list has it, the
    // lot numbers made from the parts, and the values the program fills in itself.
    const QString lot = u"12-%1-%2-01"_s.arg(kApplicant, prihlaska.rightJustified(5, u'0'));
    const QList<QVariantList> species =
        m_db->rows(u"select d.KOD, o.kod, d.NAZEV, o.NAZEV from odruda o, druh d where o.DRUH = d.KOD and "
                   "concat(d.NAZEV, ' ', o.NAZEV) = '%1'"_s.arg(variety));
    QCOMPARE(species.size(), 1);
    QVariantMap expected{
        {u"DRUH"_s, species[0][0]},
        {u"ODRUDA"_s, species[0][1]},
        {u"NAZ_DRU"_s, species[0][2]},
        {u"NAZ_ODRU"_s, species[0][3]},
        {u"ROZ_P4"_s, u"R-12/0084"_s},
        {u"MORIDLOTXT"_s, kSavedDressing},
        {u"PARTIECELA"_s, lot},
        {u"PARTIE"_s, u"12"_s + prihlaska.rightJustified(5, u'0') + u"01"_s},
        {u"ZADOST_O"_s, u"U"_s},
        {u"PODNIK"_s, kApplicant},
        {u"DPODNIK"_s, kApplicant},
        {u"STREDISKO"_s, kCentre},
        {u"DATUM"_s, QDate::currentDate()},
    };
    for (const KeyedField& keyed : keyedFields(prihlaska))
        expected.insert(QString::fromLatin1(keyed.field), keyed.stored);

    // "Zapsat": saved locally, and sent when the server is there; its numbers come back.
    QVERIFY(form->ButtonZapsat->isEnabled());
    QTest::mouseClick(form->ButtonZapsat, Qt::LeftButton);
    QVERIFY2(seams.errors.isEmpty(), qPrintable(seams.errors.join(u'\n')));
    QVERIFY(form->ButtonTisk->isEnabled());
    QStringList wrong = differences(currentRecord(*form->Dbf5), expected);
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(u'\n')));
    const QString number = form->Dbf5->FieldByName(u"id_trivan"_s)->AsString();
    const QString where = u"ICO = '%1' and PARTIECELA = '%2'"_s.arg(kIco, lot);
    if (reachable) {
        const QVariantMap row = serverRow(u"kvor_zadost"_s, where);
        wrong = differences(row, expected);
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(u'\n')));
        QCOMPARE(row.value(u"id_firma"_s).toInt(), m_workstation);
        QCOMPARE(number, kIco + u"33"_s + row.value(u"id"_s).toString().rightJustified(8, u'0'));
        m_sent.append({lot, QString()});
    } else {
        QCOMPARE(m_db->count(u"from kvor_zadost where "_s + where), 0);
        QCOMPARE(number, requestNumber(kIco, std::llround(form->Dbf5->FieldByName(u"id"_s)->AsFloat())));
    }
    expected.insert(u"id_trivan"_s, number);

    // "Tisk" to the partner office: a copy into the export queue, sent at once when the server is
    // there; the form in the preview, saved to PDF by its "PDF" button.
    const QString form3Pdf = m_work.filePath(u"zadost-%1.pdf"_s.arg(prihlaska));
    for (int i = 0; i < prints; ++i) {
        printToPdf([&] { QTest::mouseClick(form->ButtonTisk, Qt::LeftButton); }, form3Pdf);
        QVERIFY(!QTest::currentTestFailed());
        QCOMPARE(form->partnerIco, kPartnerIco);
        m_printed << lot;
    }
    m_expected.insert(lot, expected);
    // The form prints the lot number without the year's first digit and with "/" before the part.
    const QString formText = pdfText(form3Pdf);
    const QString printedLot = lot.mid(1, 12) + u'/' + lot.right(2);
    for (const QString& shown : {printedLot, kIco, species[0][3].toString(), kSavedDressing, kCompany})
        QVERIFY2(formText.contains(shown), qPrintable(shown + u" not on the form:\n"_s + formText));
    if (reachable)
        for (const QString& printed : m_expected.keys())
            QCOMPARE(m_db->count(
                         u"from ex_zadost where EX_ICO = '%1' and PRI_ICO = '%2' and PARTIECELA = '%3'"_s.arg(
                             kIco, kPartnerIco, printed)),
                     1);

    // "Štítek na vz.": two labels from the first slot, to PDF; zbar reads the request number on each.
    seams.dialogAnswer = [&](QDialog& d) {
        auto* labels = qobject_cast<TFstit*>(&d);
        if (!labels) return int(QDialog::Rejected);
        QTest::keyClick(labels->suiSpinEdit1, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(labels->suiSpinEdit1, u"2"_s);
        QTest::mouseClick(labels->suiRadioButton1, Qt::LeftButton);
        QTest::mouseClick(labels->suiButton1, Qt::LeftButton);
        return labels->result();
    };
    const QString labelsPdf = m_work.filePath(u"stitky-%1.pdf"_s.arg(prihlaska));
    printToPdf([&] { QTest::mouseClick(form->ButtonStitek, Qt::LeftButton); }, labelsPdf);
    seams.dialogAnswer = {};
    QVERIFY(!QTest::currentTestFailed());
    // The first two slots fill the left column: one barcode in the upper half of the page, one in
    // the lower.
    for (const QRectF& half : {QRectF(0, 0, 210, 148), QRectF(0, 148, 210, 149)})
        QCOMPARE(pdfBarcodesIn(labelsPdf, 1, half, m_work.path()), QStringList{number});

    // The history windows and the laboratory's result: only with the server.
    if (reachable) {
        histories(*form);
        QVERIFY(!QTest::currentTestFailed());
        // The laboratory gives the request its ULČ and stores its result document (here: the
        // labels the user just printed, so that the bytes can be told apart from any other).
        const QString ulc = u"26/%1"_s.arg(prihlaska);
        const QByteArray document = fileBytes(labelsPdf);
        m_db->exec(u"update kvor_zadost set ULC = '%1', DATUMROZHO = CURDATE() where %2"_s.arg(ulc, where));
        m_db->exec(
            u"insert into kvor_doklady (typ, ICO, cislodokladu, obsah) values (19, '%1', '%2', X'%3')"_s.arg(
                kIco, ulc, QString::fromLatin1(document.toHex())));
        m_sent.last().second = ulc;
        resultDocument(*form, lot, document);
        QVERIFY(!QTest::currentTestFailed());
    }

    // "Smazat", confirmed: the table holds one fresh request without a number.
    QTest::mouseClick(form->ButtonSmazat, Qt::LeftButton);
    QCOMPARE(form->Dbf5->RecordCount(), 1);
    QCOMPARE(form->Dbf5->FieldByName(u"id_trivan"_s)->AsString(), QString());
    QCOMPARE(form->Dbf5->FieldByName(u"PARTIECELA"_s)->AsString(), QString());

    // "Servis" → "Kontrola nové verze".
    form->findChild<QAction*>(u"Kontrolanoveverze1"_s)->trigger();
    QVERIFY(!form->TerminateRequested());

    QVERIFY2(seams.errors.isEmpty(), qPrintable(seams.errors.join(u'\n')));
    QCOMPARE(seams.texts(), told);
    QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
    // "Konec" → "Opravdu" ends the day. The program folder keeps the settings, the saved texts, the
    // last check's version file and log and the last result document; the scripts sent to the
    // server are gone.
    form->findChild<QAction*>(u"Opravdu1"_s)->trigger();
    QVERIFY(!form->isVisible());
    form.reset();
    QCOMPARE(
        QDir(m_folder->path()).entryList(QDir::Files, QDir::Name),
        (QStringList{u"MORIDLOTXT.txt"_s, u"kvor.ini"_s, u"setupkvr.ver"_s, u"ulc.pdf"_s, u"verze.log"_s}));
    QVERIFY(QFileInfo(m_folder->path(u"pdf"_s)).isDir());
    QVERIFY(QFileInfo(m_folder->path(u"../sqllog"_s)).isDir());

    // What stays in the export queue until a print finds the server, as dbfread reads it: the
    // copy of the request with everything that was keyed in.
    const QList<QVariantMap> queue = readWithDbfread({u"zadostex.dbf"_s}).value(u"zadostex.dbf"_s);
    QCOMPARE(queue.size(), reachable ? 0 : prints);
    for (const QVariantMap& copy : queue) {
        wrong = differences(copy, expected);
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(u'\n')));
    }
}

// Every printed request reached the partner exactly once, with what was keyed in, whether it went
// at once or waited in the queue, however often it was printed; the register has one row per copy
// sent; and every local table reads in dbfread.
void TestWholeRoad::endOfTheRoad() {
    QCOMPARE(m_expected.size(), 3);
    for (const QString& lot : m_expected.keys()) {
        const QString where =
            u"EX_ICO = '%1' and PRI_ICO = '%2' and PARTIECELA = '%3'"_s.arg(kIco, kPartnerIco, lot);
        QCOMPARE(m_db->count(u"from ex_zadost where "_s + where), 1);
        const QStringList wrong = differences(serverRow(u"ex_zadost"_s, where), m_expected.value(lot));
        QVERIFY2(wrong.isEmpty(), qPrintable(lot + u":\n"_s + wrong.join(u'\n')));
        QCOMPARE(m_db->count(u"from historie where EX_ICO = '%1' and ICO = '%2' and cislodokla = '%3-U' and "
                             "doklad = 'ZA' and EX_NAZEV = '%4' and NAZEVPODNI = 'Osiva Haná a.s.'"_s.arg(
                                 kIco, kPartnerIco, lot, kCompany)),
                 m_printed.count(lot));
    }
    QCOMPARE(m_db->count(u"from historie where EX_ICO = '%1'"_s.arg(kIco)), m_printed.size());
    // The request saved offline was cleared before it was ever sent: the server has the other two.
    QCOMPARE(m_db->count(u"from kvor_zadost where ICO = '%1'"_s.arg(kIco)), 2);
    // One usage log row per start that found the server.
    QCOMPARE(m_db->count(
                 u"from kvor_historiem where ICO = '%1' and id_firma = %2 and nazevpodni = '%3'"_s.arg(kIco)
                     .arg(m_workstation)
                     .arg(kCompany)),
             2);

    // dbfread reads every record of every table the program left.
    const QStringList tables = QDir(m_folder->dataPath()).entryList({u"*.dbf"_s}, QDir::Files, QDir::Name);
    QCOMPARE(tables, (QStringList{u"cenik.dbf"_s, u"zadost.dbf"_s, u"zadost2.dbf"_s, u"zadostad.dbf"_s,
                                  u"zadostex.dbf"_s}));
    const QMap<QString, QList<QVariantMap>> records = readWithDbfread(tables);
    QCOMPARE(records.value(u"cenik.dbf"_s).size(),
             m_db->count(u"from odruda o, druh d where o.DRUH = d.KOD"_s));
    QCOMPARE(records.value(u"zadostad.dbf"_s).size(), m_db->count(u"from zadostadre"_s));
    QCOMPARE(records.value(u"zadost.dbf"_s).size(), 1);   // the fresh request "Smazat" left
    QCOMPARE(records.value(u"zadost2.dbf"_s).size(), 2);  // the last two labels
    QCOMPARE(records.value(u"zadostex.dbf"_s).size(), 0); // the queue went out
}

// ---------------------------------------------------------------------------------------------
// Steps

// The settings window: on the first start it shows its initial texts and the user types the
// company in; afterwards it shows what was stored, and the user closes it with "OK".
void TestWholeRoad::settingsWindow(QDialog& dialog, bool firstStart) {
    auto& settings = static_cast<TFmozno&>(dialog);
    QCOMPARE(settings.EditICO->text(), firstStart ? u"ICO"_s : kIco);
    if (firstStart) {
        const QList<std::pair<QLineEdit*, QString>> typed{
            {settings.Editpodnik, kApplicant},
            {settings.EditCSO, kCentre},
            {settings.EditICO, kIco},
            {settings.Editnazev, kCompany},
            {settings.Editsidlo, u"Kroměříž"_s},
            {settings.Editulice, u"Hulínská 12"_s},
            {settings.EditPSC, u"767 01"_s},
            {settings.Editposta, u"Kroměříž 1"_s},
            {settings.EditTelefon, u"573 123 456"_s},
            {settings.EditFax, u"573 123 457"_s},
            {settings.EditEmail, u"cesta@example.cz"_s},
            {settings.EditDIC, u"CZ24681357"_s},
        };
        for (const auto& [edit, text] : typed) {
            QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
            typeKeys(edit, text);
        }
    }
    QTest::mouseClick(settings.ButtonOK, Qt::LeftButton);
}

// "<" opens the variety panel; a click on its column's title opens the search window, where the
// keys narrow the list to one line and Enter takes it; "Převzít" takes the variety.
void TestWholeRoad::pickVariety(TForm1& form, const QString& keys, const QString& variety) {
    QTest::mouseClick(form.ButtonOdrudy, Qt::LeftButton);
    QVERIFY(form.VarietyPanelOpen());
    QStringList lines;
    int result = -1;
    m_seams->dialogAnswer = [&](QDialog& d) {
        auto* search = qobject_cast<TSearchForm2*>(&d);
        if (!search) return int(QDialog::Rejected);
        typeKeys(search->edtemplate, keys);
        for (int i = 0; i < search->lbfindvalues->count(); ++i)
            lines << search->lbfindvalues->item(i)->text();
        QTest::keyClick(search->edtemplate, Qt::Key_Return);
        result = search->result();
        return result;
    };
    QHeaderView* header = form.VarietyGrid->horizontalHeader();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(header->sectionPosition(0) + 20, 5));
    m_seams->dialogAnswer = {};
    QCOMPARE(lines, QStringList{variety});
    QCOMPARE(result, int(QDialog::Accepted));
    QTest::mouseClick(form.ButtonPrevzit, Qt::LeftButton);
    QVERIFY(!form.VarietyPanelOpen());
    QCOMPARE(form.Dbf5->FieldByName(u"NAZ_DRU"_s)->AsString() + u' ' +
                 form.Dbf5->FieldByName(u"NAZ_ODRU"_s)->AsString(),
             variety);
}

// Into the field by the keyboard: everything there selected and replaced (a fixed list finds its
// item by the letters, a check box turns on by the space bar); Enter moves on to the next field.
void TestWholeRoad::keyIn(TForm1& form, const KeyedField& keyed) {
    QWidget* control = form.FieldControl(QString::fromLatin1(keyed.field));
    QVERIFY(control);
    control->setFocus();
    QVERIFY2(QTest::qWaitFor([&] { return control->hasFocus(); }, 2000), keyed.field);
    auto* combo = qobject_cast<QComboBox*>(control);
    if (qobject_cast<QCheckBox*>(control)) {
        QTest::keyClick(control, Qt::Key_Space);
    } else if (combo && !combo->isEditable()) {
        QTest::keyClicks(control, keyed.keys);
    } else {
        QWidget* edit = combo ? combo->lineEdit() : control;
        QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
        typeKeys(edit, keyed.keys);
    }
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QVERIFY2(!control->hasFocus() && !control->isAncestorOf(QApplication::focusWidget()), keyed.field);
    QVERIFY2(
        sameValue(form.Dbf5->FieldByName(QString::fromLatin1(keyed.field))->Value(), keyed.stored),
        qPrintable(u"%1: %2"_s.arg(QString::fromLatin1(keyed.field),
                                   form.Dbf5->FieldByName(QString::fromLatin1(keyed.field))->AsString())));
}

// "4. - 10.": the fourth crop certification in its own window.
void TestWholeRoad::cropCertifications(TForm1& form) {
    m_seams->dialogAnswer = [&](QDialog& d) {
        auto* more = qobject_cast<TFporost2*>(&d);
        if (!more) return int(QDialog::Rejected);
        typeKeys(more->Fields.at(0), u"R-12/0084"_s);
        QTest::mouseClick(more->ButtonOK, Qt::LeftButton);
        return more->result();
    };
    QTest::mouseClick(form.ButtonPorost, Qt::LeftButton);
    m_seams->dialogAnswer = {};
}

// "T" of the dressing agent: the first day the text goes into the list ("+", the text, "Zapsat");
// every day it is picked from the list, which the program keeps in its folder.
void TestWholeRoad::savedDressing(TForm1& form) {
    QStringList listed;
    savedTexts(
        form, "MORIDLOTXT",
        [&](TftextUloz& w) {
            if (w.ListBox1->count() == 0) {
                QTest::mouseClick(w.ButtonPlus, Qt::LeftButton);
                typeKeys(w.Edit1, kSavedDressing);
                QTest::mouseClick(w.ButtonZapsat, Qt::LeftButton);
            }
            for (int i = 0; i < w.ListBox1->count(); ++i)
                listed << w.ListBox1->item(i)->text();
            QListWidgetItem* first = w.ListBox1->item(0);
            if (first)
                QTest::mouseClick(w.ListBox1->viewport(), Qt::LeftButton, {},
                                  w.ListBox1->visualItemRect(first).center());
            QTest::mouseClick(w.ButtonOK, Qt::LeftButton);
            return w.result();
        },
        *m_seams);
    QCOMPARE(listed, QStringList{kSavedDressing});
    QCOMPARE(fileBytes(m_folder->path(u"MORIDLOTXT.txt"_s)), cp1250::encode(kSavedDressing + u"\r\n"_s));
}

// Presses a print button; in the preview the user presses "PDF" and names the file.
void TestWholeRoad::printToPdf(const std::function<void()>& press, const QString& pdf) {
    PreviewWatch preview;
    QStringList previewErrors;
    preview.act = [&](TReportPreview& p) {
        p.ChooseFile = [&](const QString&, const QString&, bool forSaving) {
            return forSaving ? pdf : QString();
        };
        p.ShowError = [&](const QString& message) { previewErrors << message; };
        QTest::mouseClick(p.button(u"pdf"_s), Qt::LeftButton);
    };
    press();
    QCOMPARE(preview.pages.size(), 1);
    QCOMPARE(previewErrors, QStringList());
    QVERIFY2(fileBytes(pdf).startsWith("%PDF-"), qPrintable(pdf));
}

// Each item of "Historie", with the year box at "Vše": the windows of this workstation and of the
// whole company list the requests on the server, the ones "bez ULČ" those still without one.
void TestWholeRoad::histories(TForm1& form) {
    // Each window as "title (centre): lots".
    QStringList shown;
    m_seams->dialogAnswer = [&](QDialog& d) {
        auto* w = qobject_cast<THistoryWindow*>(&d);
        if (!w) return int(QDialog::Rejected);
        QTest::keyClick(w->ComboRok, Qt::Key_Up);
        shown << u"%1 (%2): %3"_s.arg(w->windowTitle(), w->LabelCSO->text(),
                                      historyColumn(*w, u"PARTIECELA"_s).join(u", "_s));
        return int(QDialog::Rejected);
    };
    for (QAction* item : form.MenuHistorie->actions())
        item->trigger();
    m_seams->dialogAnswer = {};
    QStringList expected;
    for (const THistoryKind& kind : historyKinds()) {
        QStringList lots;
        for (const auto& [lot, ulc] : std::as_const(m_sent)) {
            const bool listed =
                kind.Variant == THistoryVariant::TFhisto3 ? ulc.isEmpty()
                : kind.Variant == THistoryVariant::TFhisto2 || kind.Variant == THistoryVariant::TFhisto2c
                    ? !ulc.isEmpty()
                    : true;
            if (listed) lots << lot;
        }
        expected << u"%1 (%2): %3"_s.arg(kind.Title, kCentre, lots.join(u", "_s));
    }
    QCOMPARE(shown, expected);
}

// "Historie ULČ, žádost": the request with its ULČ; "Zobrazit ULČ" writes the result document to
// ulc.pdf and hands it to the viewer.
void TestWholeRoad::resultDocument(TForm1& form, const QString& lot, const QByteArray& document) {
    QStringList opened;
    TDocumentOpenerScope viewer([&](const QString& path) { opened << path; });
    QString ulcShown;
    m_seams->dialogAnswer = [&](QDialog& d) {
        auto* w = qobject_cast<THistoryWindow*>(&d);
        if (!w) return int(QDialog::Rejected);
        QTest::keyClick(w->ComboRok, Qt::Key_Up);
        const int row = int(historyColumn(*w, u"PARTIECELA"_s).indexOf(lot));
        if (row < 0) return int(QDialog::Rejected);
        pickHistoryRow(*w, row);
        ulcShown = w->DetailField(u"ULC"_s)->text();
        QTest::mouseClick(w->ButtonZobrazitULC, Qt::LeftButton);
        return int(QDialog::Rejected);
    };
    form.findChild<QAction*>(u"HistorieULCZadost1"_s)->trigger();
    m_seams->dialogAnswer = {};
    QCOMPARE(ulcShown, m_sent.last().second);
    QCOMPARE(opened, QStringList{m_folder->path(u"ulc.pdf"_s)});
    QCOMPARE(fileBytes(opened.value(0)), document);
}

QTEST_MAIN(TestWholeRoad)
#include "tst_whole_road.moc"
