// The update run inside the program: at start-up (its result, the question, the hand-off that ends
// the program before the window shows) and from the menu, against the vendor_ftp server.
#include "StandInInstaller.h"
#include "VendorFtp.h"
#include "app/AppFixture.h"
#include "update/UpdateRun.h"
#include "update/VersionStamp.h"
#include "widgets/ppracuji.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QTcpServer>
#include <QTimer>

using namespace kvor;
using namespace kvor::testing;

namespace {

enum class Published { Newer, SameBuild, OneLine, Unreachable };

// The program folder's ../Trivan05.ini pointing at the vendor_ftp server (or at a dead port).
void writeUpdateSettings(const AppFolder& folder, bool reachable, const QString& drive) {
    VendorFtp::writeSettings(folder.path(), reachable, drive);
}

void publish(Published what) {
    const QString programStamp = stamp::ofFile(QCoreApplication::applicationFilePath());
    QByteArray version = VendorFtp::versionFile(QStringLiteral("2099-01-01 00:00:00"));
    if (what == Published::SameBuild) version = VendorFtp::versionFile(programStamp);
    if (what == Published::OneLine) version = "setupkvr.exe\tKvor Pro\t2099-01-01 00:00:00\r\n";
    VendorFtp::put(QStringLiteral("setupkvr.ver"), version);
    VendorFtp::put(QStringLiteral("setupkvr.exe"), standInInstaller());
}

// The messages of the update run among everything the program asked.
QStringList updateMessages(const Seams& seams) {
    const QStringList own{TUpdateRun::installQuestion(), TUpdateRun::failedText(), TUpdateRun::currentText()};
    QStringList out;
    for (const TMsgBoxQuestion& q : seams.questions)
        if (own.contains(q.Text)) out << q.Text;
    return out;
}

// Notes the text of every working window that is on the screen while the program runs.
class WorkingWindowWatch {
public:
    WorkingWindowWatch() {
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* p = qobject_cast<Tpracuji*>(w); p && p->isVisible() && !texts.contains(p->Text()))
                    texts << p->Text();
        });
        m_timer.start(0);
    }
    QStringList texts;

private:
    QTimer m_timer;
};

} // namespace

class TestUpdateApp : public QObject {
    Q_OBJECT
private slots:
    void startup_data();
    void startup();
    void menu_data();
    void menu();
    void closingEndsTheWait();
};

void TestUpdateApp::startup_data() {
    QTest::addColumn<int>("published");
    QTest::addColumn<int>("answer"); // to the question "Nová verze programu Kvor. Chcete instalovat?"
    QTest::addColumn<QString>("drive");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<bool>("installs");
    QTest::addColumn<QStringList>("installerArguments");
    QTest::addColumn<bool>("errorShown");

    const QStringList asked{TUpdateRun::installQuestion()};
    QTest::newRow("Instalovat ends the start-up")
        << int(Published::Newer) << 1 << "" << asked << true << QStringList{} << false;
    QTest::newRow("Instalovat with a drive prefix")
        << int(Published::Newer) << 1 << "E:" << asked << true
        << QStringList{R"(/DIR=E:\program files\pelmar\trivan05\kvor05\)"} << false;
    QTest::newRow("Odložit leaves everything")
        << int(Published::Newer) << 2 << "" << asked << false << QStringList() << false;
    QTest::newRow("same build: silent")
        << int(Published::SameBuild) << 1 << "" << QStringList{} << false << QStringList() << false;
    QTest::newRow("unreachable: silent")
        << int(Published::Unreachable) << 1 << "" << QStringList{} << false << QStringList() << false;
    QTest::newRow("version file of one line: error, start-up goes on")
        << int(Published::OneLine) << 1 << "" << QStringList{} << false << QStringList() << true;
}

void TestUpdateApp::startup() {
    QFETCH(int, published);
    QFETCH(int, answer);
    QFETCH(QString, drive);
    QFETCH(QStringList, messages);
    QFETCH(bool, installs);
    QFETCH(QStringList, installerArguments);
    QFETCH(bool, errorShown);

    AppFolder folder;
    folder.writeIdentity(kDeadPort);
    writeUpdateSettings(folder, Published(published) != Published::Unreachable, drive);
    publish(Published(published));
    Seams seams;
    seams.boxAnswer = [&](const TMsgBoxQuestion& q) {
        if (q.Text != TUpdateRun::installQuestion()) return 1;
        if (q.Buttons != QStringList{TUpdateRun::installButton(), TUpdateRun::postponeButton()} ||
            q.Icon != TMsgIcon::Information)
            return -1;
        return answer;
    };
    const WorkingWindowWatch working;

    auto form = std::make_unique<TForm1>();
    QCOMPARE(working.texts, QStringList{TUpdateRun::workingText()});
    QCOMPARE(form->TerminateRequested(), installs);
    if (installs) {
        // The program ends here (exit code 0): the window was never shown, start-up asked nothing more.
        QVERIFY(!form->isVisible());
        QCOMPARE(seams.texts(), messages);
        QVERIFY(seams.errors.isEmpty());
        const QStringList record = standInRecord(folder.path(), 10000);
        QCOMPARE(record, QStringList{QDir(folder.path()).canonicalPath()} + installerArguments);
        return;
    }
    form->SetMinimumStartupTime(0);
    form->show();
    QVERIFY(QTest::qWaitFor([&] { return form->Ready(); }, 30000));
    QCOMPARE(updateMessages(seams), messages);
    QCOMPARE(seams.errors.size(), errorShown ? 1 : 0);
    QVERIFY(QFile::exists(folder.path(QStringLiteral("verze.log"))) ==
            (Published(published) == Published::Newer || Published(published) == Published::SameBuild));
    // The installer is left for a later check, and not started.
    QCOMPARE(QFile::exists(folder.path(QStringLiteral("setupkvr.exe"))),
             Published(published) == Published::Newer);
    QTest::qWait(300);
    QVERIFY(!QFile::exists(folder.path(QStringLiteral("started.txt"))));
}

void TestUpdateApp::menu_data() {
    QTest::addColumn<int>("published");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<int>("icon");
    QTest::addColumn<int>("installerFetches"); // RETR setupkvr.exe seen by the server

    QTest::newRow("same build") << int(Published::SameBuild) << QStringList{TUpdateRun::currentText()}
                                << int(TMsgIcon::Information) << 0;
    QTest::newRow("unreachable") << int(Published::Unreachable) << QStringList{TUpdateRun::failedText()}
                                 << int(TMsgIcon::Stop) << 0;
    // The program's file time has not changed: the postponed build is fetched again.
    QTest::newRow("newer, postponed") << int(Published::Newer) << QStringList{TUpdateRun::installQuestion()}
                                      << int(TMsgIcon::Information) << 1;
}

void TestUpdateApp::menu() {
    QFETCH(int, published);
    QFETCH(QStringList, messages);
    QFETCH(int, icon);
    QFETCH(int, installerFetches);

    AppFolder folder;
    folder.writeIdentity(kDeadPort);
    writeUpdateSettings(folder, true, QString());
    publish(Published::SameBuild);
    Seams seams;
    seams.boxAnswer = [](const TMsgBoxQuestion& q) {
        return q.Text == TUpdateRun::installQuestion() ? 2 : 1;
    };
    auto form = startForm();
    QVERIFY(form);

    writeUpdateSettings(folder, Published(published) != Published::Unreachable, QString());
    publish(Published(published));
    auto* item = form->findChild<QAction*>(QStringLiteral("Kontrolanoveverze1"));
    QVERIFY(item);
    QVERIFY(item->isEnabled());
    QCOMPARE(item->text(), QStringLiteral("Kontrola nové verze"));
    seams.questions.clear();
    const VendorFtp server;
    const WorkingWindowWatch working;
    item->trigger();

    QCOMPARE(working.texts, QStringList{TUpdateRun::workingText()});
    QCOMPARE(seams.texts(), messages);
    QCOMPARE(int(seams.questions.first().Icon), icon);
    QCOMPARE(int(server.commands().count(QStringLiteral("RETR setupkvr.exe"))), installerFetches);
    QVERIFY(!form->TerminateRequested());
    QVERIFY(form->isVisible());
}

// Closing the main window while the server keeps silent ends the wait; the program ends without a
// message about the check. Meanwhile the menu item starts no second check.
void TestUpdateApp::closingEndsTheWait() {
    AppFolder folder;
    folder.writeIdentity(kDeadPort);
    writeUpdateSettings(folder, false, QString());
    Seams seams;
    auto form = startForm();
    QVERIFY(form);

    // A server that takes the connection and never says a word.
    QTcpServer silent;
    QVERIFY(silent.listen(QHostAddress::LocalHost));
    QFile file(folder.path(QStringLiteral("../Trivan05.ini")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(
        QStringLiteral("[LogON]\r\n_FTP=127.0.0.1\r\n_FTPport=%1\r\n").arg(silent.serverPort()).toLatin1());
    file.close();

    seams.questions.clear();
    QAction* item = form->findChild<QAction*>(QStringLiteral("Kontrolanoveverze1"));
    // Picked again while the first check waits, the item does not start a second one.
    qint64 secondCheckMs = -1;
    QTimer::singleShot(200, form.get(), [&] {
        QElapsedTimer second;
        second.start();
        item->trigger();
        secondCheckMs = second.elapsed();
    });
    QTimer::singleShot(500, form.get(), [&] { form->close(); });
    QElapsedTimer clock;
    clock.start();
    item->trigger();
    QVERIFY2(clock.elapsed() < 7000, qPrintable(QString::number(clock.elapsed())));
    QVERIFY2(secondCheckMs >= 0 && secondCheckMs < 250, qPrintable(QString::number(secondCheckMs)));
    QVERIFY(seams.questions.isEmpty());
    QVERIFY(!form->isVisible());
}

QTEST_MAIN(TestUpdateApp)
#include "tst_update_app.moc"
