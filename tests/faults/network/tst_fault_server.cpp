// The vendor database fails under each server operation of the main window: stopped before the
// operation, or killed while the operation's statement waits on the server. Whatever happens, the
// local tables stay readable (read back by dbfread), the request stays posted, the export queue
// keeps every copy, the user is told in Czech, and once the server is back one print sends each
// queued copy exactly once.
//
// The server is a MariaDB of this test's own (fault_db fixture), so that stopping and killing it
// disturbs no other test. "Killed while waiting" is made deterministic: a second connection holds
// the table the operation needs locked, and the server is killed (SIGKILL) as soon as the
// operation's statement shows up waiting for it in the process list.
#include "app/AppFixture.h"
#include "history/HistoryGrid.h"
#include "history/ResultDocument.h"
#include "history/histo.h"
#include "print/PreviewWatch.h"
#include "support/VendorDb.h"

#include <QAction>
#include <QComboBox>
#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QTableView>
#include <atomic>
#include <csignal>
#include <thread>

using namespace kvor;
using namespace kvor::testing;
using namespace Qt::StringLiterals;

namespace {

enum class Op { Lookup, Submission, Export, CodeLists, History, ResultDocument };

const QString kIco = u"12345678"_s;
const QString kPartnerOffice = u"Osiva Haná a.s., laboratoř Kroměříž"_s;
const QString kRequest = u"12-0815-00777-01"_s; // the current request
const QString kQueued = u"12-0815-00778-01"_s;  // a copy queued by an earlier print without connection
const QString kDocumentUlc = u"12/1101"_s;
const QByteArray kOldDocument = "the result document fetched before";

TServerConfig faultDbConfig() {
    TServerConfig c = TServerConfig::defaults();
    c.Host = u"127.0.0.1"_s;
    c.Port = KVOR_FAULT_DB_PORT;
    return c;
}

// The fault_db server: stopped, killed and started again on its own data.
struct FaultDb {
    static QString dir() { return QStringLiteral(KVOR_FAULT_DB_DIR); }

    static void script(const QStringList& arguments) {
        QProcess p;
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start(u"bash"_s, QStringList{QStringLiteral(KVOR_VENDOR_SCRIPT)} + arguments);
        QVERIFY(p.waitForFinished(90000));
        QVERIFY2(p.exitCode() == 0, p.readAll().constData());
    }
    static void stop() { script({u"stop"_s, dir()}); }
    static void resume() { script({u"resume"_s, dir(), QString::number(KVOR_FAULT_DB_PORT)}); }

    static pid_t pid() {
        QFile f(dir() + u"/mariadbd.pid"_s);
        return f.open(QIODevice::ReadOnly) ? pid_t(f.readAll().trimmed().toLongLong()) : 0;
    }
    // Gone, or only a zombie left for its parent to collect.
    static bool gone(pid_t pid) {
        QFile stat(u"/proc/%1/stat"_s.arg(pid));
        if (!stat.open(QIODevice::ReadOnly)) return true;
        const QByteArray line = stat.readAll();
        const qsizetype end = line.lastIndexOf(')');
        return end > 0 && line.mid(end + 2, 1) == "Z";
    }
};

// A killed server: the table stays locked from a second connection until the operation's statement
// waits for it, then the server is killed and this waits until it is gone.
class KillWhileWaiting {
public:
    KillWhileWaiting(const QString& table, const QString& statementStart) : m_locker(faultDbConfig()) {
        m_locker.exec(u"LOCK TABLES %1 WRITE"_s.arg(table));
        m_watcher = std::thread([this, statementStart] {
            try {
                TVendorDb watcher(faultDbConfig());
                const QString waiting = u"from information_schema.processlist where info like '%1%%' "
                                        "and state like 'Waiting%%'"_s.arg(statementStart);
                for (int i = 0; i < 1500 && !m_killed; ++i) {
                    if (watcher.count(waiting) > 0) {
                        const pid_t pid = FaultDb::pid();
                        if (pid > 0 && ::kill(pid, SIGKILL) == 0) {
                            for (int j = 0; j < 500 && !FaultDb::gone(pid); ++j)
                                std::this_thread::sleep_for(std::chrono::milliseconds(20));
                            m_killed = true;
                        }
                        break;
                    }
                    std::this_thread::sleep_for(std::chrono::milliseconds(20));
                }
            } catch (...) {
            }
            // Never seen waiting: let the operation through rather than hang the test.
            try {
                if (!m_killed) m_locker.exec(u"UNLOCK TABLES"_s);
            } catch (...) {
            }
        });
    }
    ~KillWhileWaiting() {
        if (m_watcher.joinable()) m_watcher.join();
    }
    bool killed() {
        if (m_watcher.joinable()) m_watcher.join();
        return m_killed;
    }

private:
    TVendorDb m_locker;
    std::thread m_watcher;
    std::atomic<bool> m_killed{false};
};

// Every table of the data folder as dbfread reads it: file name -> records (field -> value).
QJsonObject readWithDbfread(const QString& folder) {
    QProcess p;
    p.start(QStringLiteral(KVOR_SYSTEM_PYTHON),
            {u"-c"_s,
             u"import dbfread, glob, json, os, sys\n"
             "out = {}\n"
             "for path in sorted(glob.glob(os.path.join(sys.argv[1], '*.dbf'))):\n"
             "    table = dbfread.DBF(path, encoding='cp1250', char_decode_errors='strict')\n"
             "    out[os.path.basename(path)] = [dict(r) for r in table]\n"
             "print(json.dumps(out, default=str))"_s,
             folder});
    if (!p.waitForFinished(60000) || p.exitCode() != 0) {
        qWarning() << p.readAllStandardError();
        return {};
    }
    return QJsonDocument::fromJson(p.readAllStandardOutput()).object();
}

QStringList column(const QJsonObject& tables, const QString& table, const QString& field) {
    QStringList out;
    for (const QJsonValue& record : tables.value(table).toArray())
        out << record.toObject().value(field).toString();
    return out;
}

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QVariantMap request(const QString& partiecela, const QString& prihlaska, int id) {
    return {{u"ZADOST_O"_s, u"U"_s},
            {u"ROK"_s, u"2012"_s},
            {u"PODNIK"_s, u"0815"_s},
            {u"PRIHLASKA"_s, prihlaska},
            {u"DIL"_s, u"01"_s},
            {u"PARTIECELA"_s, partiecela},
            {u"DRUH"_s, u"1"_s},
            {u"ODRUDA"_s, u"01008"_s},
            {u"NAZ_DRU"_s, u"Pšenice ozimá"_s},
            {u"POOT"_s, kPartnerOffice},
            {u"id"_s, double(id)},
            {u"id_trivan"_s, kIco + u"33"_s + QString::number(id).rightJustified(8, u'0')}};
}

// The row of the history window whose ULČ column shows that text.
int rowWithUlc(THistoryWindow& w, const QString& ulc) {
    QAbstractItemModel* model = w.Grid->model();
    int c = 0;
    while (c < model->columnCount() && w.Kind().Columns[c].Field != u"ULC"_s)
        ++c;
    for (int r = 0; r < model->rowCount(); ++r)
        if (model->index(r, c).data().toString().trimmed() == ulc) return r;
    return -1;
}

} // namespace

Q_DECLARE_METATYPE(Op)

class TestFaultServer : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    // A case that failed half-way may have left the server down.
    void init() { FaultDb::resume(); }
    void serverFails_data();
    void serverFails();
};

void TestFaultServer::initTestCase() {
    // This computer is the demo company's first workstation, so that the lookup finds a record id.
    TVendorDb db(faultDbConfig());
    db.exec(u"update kvor_firmy set computeruser = '%1', computername = '%2' where id = 4"_s.arg(
        sys::userName().replace(u'\'', u"''"_s), sys::computerName().replace(u'\'', u"''"_s)));
}

void TestFaultServer::serverFails_data() {
    QTest::addColumn<Op>("op");
    QTest::addColumn<bool>("killed");
    QTest::addColumn<QString>("table");     // locked until the statement waits for it
    QTest::addColumn<QString>("statement"); // how the waiting statement begins
    // What a stopped server shows: that warning; "-": nothing at all; empty: the error box of the
    // lost connection, which the killed server always shows.
    QTest::addColumn<QString>("offline");

    const QString lost;
    struct Row {
        const char* name;
        Op op;
        QString table, statement, offline;
    };
    const QList<Row> rows{
        {"lookup", Op::Lookup, u"kvor_firmy"_s, u"select id from kvor_firmy"_s, u"-"_s},
        {"Zapsat", Op::Submission, u"kvor_zadost"_s, u"DELETE FROM kvor_zadost"_s,
         u"Není připojení k internetu.\rŽádost nebyla uložena."_s},
        {"Tisk to a partner", Op::Export, u"ex_zadost"_s, u"DELETE FROM ex_zadost"_s,
         u"Není připojení k internetu.\rŽádost uložena pro odeslání při příštím připojení k internetu."_s},
        {"code list refresh", Op::CodeLists, u"zadostadre"_s, u"select * from zadostadre"_s,
         u"Není připojení k internetu.\rNelze aktualizovat číselníky."_s},
        {"history listing", Op::History, u"kvor_zadost"_s, u"select * from kvor_zadost"_s, lost},
        {"Zobrazit ULČ", Op::ResultDocument, u"kvor_doklady"_s,
         u"select count(*) as pocet from kvor_doklady"_s, lost},
    };
    for (const Row& r : rows) {
        QTest::addRow("%s, server stopped before", r.name)
            << r.op << false << r.table << r.statement << r.offline;
        QTest::addRow("%s, server killed during", r.name) << r.op << true << r.table << r.statement << lost;
    }
    // Killed after the script has already changed ex_zadost inside its transaction.
    QTest::newRow("Tisk to a partner, server killed halfway through the script")
        << Op::Export << true << u"historie"_s << u"insert into historie"_s << lost;
}

void TestFaultServer::serverFails() {
    QFETCH(Op, op);
    QFETCH(bool, killed);
    QFETCH(QString, table);
    QFETCH(QString, statement);
    QFETCH(QString, offline);

    {
        TVendorDb db(faultDbConfig());
        db.exec(u"delete from ex_zadost where EX_ICO = '%1'"_s.arg(kIco));
        db.exec(u"delete from historie where EX_ICO = '%1'"_s.arg(kIco));
        db.exec(u"delete from kvor_zadost where ICO = '%1' and PARTIECELA = '%2'"_s.arg(kIco, kRequest));
    }
    AppFolder folder;
    folder.writeIdentity(KVOR_FAULT_DB_PORT);
    {
        // The check for a new version finds nothing listening, at once.
        QFile settings(folder.path(u"../Trivan05.ini"_s));
        QVERIFY(settings.open(QIODevice::WriteOnly));
        settings.write("[LogON]\r\n_FTP=127.0.0.1\r\n_FTPport=1\r\n");
    }
    folder.writeRequests(u"zadost.dbf"_s, {request(kRequest, u"00777"_s, 41)});
    folder.writeRequests(u"zadostex.dbf"_s, {request(kQueued, u"00778"_s, 40)});
    {
        QFile old(folder.path(u"ulc.pdf"_s));
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write(kOldDocument);
    }

    Seams seams;
    const PreviewWatch previews;
    QStringList opened;
    const TDocumentOpenerScope opener([&](const QString& path) { opened << path; });
    auto form = startForm();
    QVERIFY(form);
    QVERIFY2(form->Online() && seams.errors.isEmpty(), qPrintable(seams.errors.join(u'\n')));
    QCOMPARE(form->idFirma, 4);
    const QByteArray addressList = fileBytes(folder.dataPath(u"zadostad.dbf"_s));
    const QByteArray varietyList = fileBytes(folder.dataPath(u"cenik.dbf"_s));
    seams.questions.clear();

    // The fault, at the moment the operation is about to reach the server.
    std::unique_ptr<KillWhileWaiting> killer;
    auto fail = [&] {
        if (killed)
            killer = std::make_unique<KillWhileWaiting>(table, statement);
        else
            FaultDb::stop();
    };
    QAction* history = form->MenuHistorie->actions().value(3); // žádost, ULČ - celá firma
    QVERIFY(history);
    int listedRows = -1;
    switch (op) {
    case Op::Lookup:
        fail();
        form->Nastavenprogramu1->trigger();
        break;
    case Op::Submission: {
        QTest::keyClicks(form->FieldControl(u"CZP"_s), u"CZ9"_s);
        fail();
        form->ZapsatClick();
        break;
    }
    case Op::Export:
        fail();
        form->TiskClick();
        break;
    case Op::CodeLists:
        fail();
        form->Aktualizace1->trigger();
        break;
    case Op::History:
        seams.dialogAnswer = [&](QDialog& d) {
            listedRows = qobject_cast<THistoryWindow*>(&d)->Grid->model()->rowCount();
            return int(QDialog::Rejected);
        };
        fail();
        history->trigger();
        break;
    case Op::ResultDocument:
        seams.dialogAnswer = [&](QDialog& d) {
            auto* w = qobject_cast<THistoryWindow*>(&d);
            w->ComboRok->setCurrentIndex(0);
            const int row = rowWithUlc(*w, kDocumentUlc);
            if (row < 0) return int(QDialog::Rejected);
            const QRect cell = w->Grid->visualRect(w->Grid->model()->index(row, 1));
            QTest::mouseClick(w->Grid->viewport(), Qt::LeftButton, {}, cell.center());
            fail();
            QTest::mouseClick(w->ButtonZobrazitULC, Qt::LeftButton);
            listedRows = w->Grid->model()->rowCount();
            return int(QDialog::Rejected);
        };
        history->trigger();
        break;
    }
    if (killed) {
        QVERIFY(killer);
        QVERIFY2(killer->killed(), "the operation's statement never waited for the locked table");
    }
    if (op == Op::ResultDocument) QVERIFY(listedRows > 0);
    if (op == Op::History) QCOMPARE(listedRows, 0);

    // What the user was shown.
    qInfo() << "shown:" << seams.texts() << seams.errors;
    if (offline.isEmpty()) {
        QCOMPARE(seams.errors.size(), 1);
        QVERIFY2(seams.errors[0].startsWith(lostConnectionText()), qPrintable(seams.errors[0]));
        QVERIFY(seams.questions.isEmpty());
    } else {
        QVERIFY2(seams.errors.isEmpty(), qPrintable(seams.errors.join(u'\n')));
        QCOMPARE(seams.texts(), offline == u"-"_s ? QStringList() : QStringList{offline});
        for (const TMsgBoxQuestion& q : seams.questions)
            QCOMPARE(q.Icon, TMsgIcon::Warning);
    }
    QVERIFY(!QGuiApplication::overrideCursor());
    QVERIFY(form->isVisible());
    if (op == Op::CodeLists && !killed) QVERIFY(!form->MenuHistorie->isEnabled());
    if (op == Op::Lookup) QCOMPARE(form->idFirma, 4);

    // Every table reads in an independent reader; nothing posted or queued is lost.
    QJsonObject tables = readWithDbfread(folder.dataPath());
    QVERIFY(tables.contains(u"zadost.dbf"_s) && tables.contains(u"zadostex.dbf"_s) &&
            tables.contains(u"cenik.dbf"_s) && tables.contains(u"zadostad.dbf"_s));
    QCOMPARE(column(tables, u"zadost.dbf"_s, u"PARTIECELA"_s), QStringList{kRequest});
    if (op == Op::Submission) QCOMPARE(column(tables, u"zadost.dbf"_s, u"CZP"_s), QStringList{u"CZ9"_s});
    const QStringList queue = op == Op::Export ? QStringList{kQueued, kRequest} : QStringList{kQueued};
    QCOMPARE(column(tables, u"zadostex.dbf"_s, u"PARTIECELA"_s), queue);
    // The lists the editor works from are the old ones or whole new ones.
    QVERIFY(fileBytes(folder.dataPath(u"zadostad.dbf"_s)) == addressList);
    if (op != Op::CodeLists || !killed) QVERIFY(fileBytes(folder.dataPath(u"cenik.dbf"_s)) == varietyList);
    QCOMPARE(QDir(folder.dataPath()).entryList({u"*_nove.dbf"_s}), QStringList());
    // No document was written or opened.
    QCOMPARE(fileBytes(folder.path(u"ulc.pdf"_s)), kOldDocument);
    QVERIFY(opened.isEmpty());

    // The server comes back: nothing of the failed operation was committed there, "Zapsat" sends the
    // request, and the next print to the partner sends each queued copy exactly once, the print's
    // own copy included.
    FaultDb::resume();
    TVendorDb db(faultDbConfig());
    QCOMPARE(db.count(u"from kvor_zadost where ICO = '%1' and PARTIECELA = '%2'"_s.arg(kIco, kRequest)), 0);
    QCOMPARE(db.count(u"from historie where EX_ICO = '%1'"_s.arg(kIco)), 0);
    QCOMPARE(db.count(u"from ex_zadost where EX_ICO = '%1'"_s.arg(kIco)), 0);
    seams.questions.clear();
    seams.errors.clear();
    // "Zapsat" sends the request once; the local record takes the server's number.
    form->ZapsatClick();
    QVERIFY2(seams.errors.isEmpty(), qPrintable(seams.errors.join(u'\n')));
    QCOMPARE(db.rows(u"select id_trivan from kvor_zadost where ICO = '%1' and PARTIECELA = '%2'"_s.arg(
                 kIco, kRequest)),
             (QList<QVariantList>{{form->Dbf5->FieldByName(u"id_trivan"_s)->AsString()}}));
    form->TiskClick();
    QVERIFY2(seams.errors.isEmpty(), qPrintable(seams.errors.join(u'\n')));
    QVERIFY(seams.questions.isEmpty());
    QStringList sent;
    for (const QVariantList& row :
         db.rows(u"select cislodokla, count(*) from historie where EX_ICO = '%1' and ICO = '46347801' "
                 "group by cislodokla order by cislodokla"_s.arg(kIco)))
        sent << u"%1 x%2"_s.arg(row[0].toString()).arg(row[1].toInt());
    const qsizetype requestCopies = queue.count(kRequest) + 1;
    QCOMPARE(sent, (QStringList{u"%1-U x%2"_s.arg(kRequest).arg(requestCopies), kQueued + u"-U x1"_s}));
    QCOMPARE(db.count(u"from ex_zadost where EX_ICO = '%1' and PRI_ICO = '46347801'"_s.arg(kIco)), 2);
    tables = readWithDbfread(folder.dataPath());
    QCOMPARE(column(tables, u"zadostex.dbf"_s, u"PARTIECELA"_s), QStringList());
}

QTEST_MAIN(TestFaultServer)
#include "tst_fault_server.moc"
