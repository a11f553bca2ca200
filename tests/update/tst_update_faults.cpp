// The update check against peers that fail it: silence, a stalled and a cut installer download, and
// a request to end the program while waiting. The step limit is the real one (15 s).
#include "ScriptedFtpPeer.h"
#include "update/UpdateCheck.h"

#include <QDateTime>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <thread>

using namespace kvor;
using namespace kvor::testing;

namespace {

const QByteArray kOldInstaller = "the installer of the previous build";
constexpr qint64 kStepLimitMs = 15000;
constexpr qint64 kSlackMs = 4000;

struct Outcome {
    QChar result;
    qint64 elapsedMs = 0;
};

// Runs the check on a worker thread while the test's thread serves the peer.
Outcome runBeside(TUpdateCheck& check, const std::function<void()>& whileWaiting = {}) {
    std::atomic<bool> finished{false};
    Outcome outcome;
    QElapsedTimer clock;
    clock.start();
    std::thread worker([&] {
        outcome.result = check.Run();
        finished = true;
    });
    if (whileWaiting) whileWaiting();
    const bool ended = QTest::qWaitFor([&] { return finished.load(); }, 60000);
    worker.join();
    outcome.elapsedMs = clock.elapsed();
    if (!ended) qWarning("the check did not end within 60 s");
    return outcome;
}

} // namespace

class TestUpdateFaults : public QObject {
    Q_OBJECT
private slots:
    void faults_data();
    void faults();
    void endedOnRequest();
};

void TestUpdateFaults::faults_data() {
    QTest::addColumn<int>("fault");
    QTest::addColumn<bool>("waitsForTheLimit"); // the peer goes silent: the check must wait it out
    QTest::addColumn<QStringList>("filesAfter");

    const QStringList all{"kvor", "setupkvr.exe", "setupkvr.ver", "verze.log"};
    QTest::newRow("silent after the connection")
        << int(ScriptedFtpPeer::Fault::SilentAfterConnect) << true << QStringList{"kvor", "setupkvr.exe"};
    QTest::newRow("installer stalls midway") << int(ScriptedFtpPeer::Fault::InstallerStalls) << true << all;
    QTest::newRow("installer cut midway") << int(ScriptedFtpPeer::Fault::InstallerCut) << false << all;
}

void TestUpdateFaults::faults() {
    QFETCH(int, fault);
    QFETCH(bool, waitsForTheLimit);
    QFETCH(QStringList, filesAfter);

    QTemporaryDir dir;
    QFile program(dir.filePath(QStringLiteral("kvor")));
    QVERIFY(program.open(QIODevice::WriteOnly));
    QVERIFY(
        program.setFileTime(QDateTime(QDate(2020, 1, 1), QTime(0, 0)), QFileDevice::FileModificationTime));
    program.close();
    QFile old(dir.filePath(QStringLiteral("setupkvr.exe")));
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write(kOldInstaller);
    old.close();

    QByteArray installer(1 << 20, 'x');
    ScriptedFtpPeer peer(ScriptedFtpPeer::Fault(fault),
                         "a\tb\tc\r\nsetupkvr.exe\tKvor Pro\t2099-01-01 00:00:00\r\n", installer, 64 * 1024);
    TUpdateCheckInput in;
    in.Ftp.Host = QStringLiteral("127.0.0.1");
    in.Ftp.Port = peer.port();
    in.Ftp.User = QStringLiteral("pelmar");
    in.Ftp.Password = QStringLiteral("secret");
    in.Ftp.LocalAddress = QStringLiteral("127.0.0.1");
    in.LocalFolder = dir.path();
    in.ProgramFile = program.fileName();
    TUpdateCheck check(in);

    const Outcome outcome = runBeside(check);
    const qint64 sinceLastWord = peer.sinceLastWord();
    QCOMPARE(outcome.result, TUpdateCheck::kFailed);
    qInfo() << "failed after" << outcome.elapsedMs << "ms:" << check.LastError();
    if (waitsForTheLimit) {
        // The check gives up 15 s after the peer's last word: not before, and not much later.
        QVERIFY2(sinceLastWord >= kStepLimitMs - 500, qPrintable(QString::number(sinceLastWord)));
        QVERIFY2(sinceLastWord <= kStepLimitMs + kSlackMs, qPrintable(QString::number(sinceLastWord)));
    }
    // The connections are closed when the check ends.
    QVERIFY(QTest::qWaitFor([&] { return peer.clientClosed(); }, 5000));

    // The previous installer is untouched and no piece of the new one is left behind.
    QFile kept(dir.filePath(QStringLiteral("setupkvr.exe")));
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(), kOldInstaller);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name), filesAfter);
}

// A request to end the program ends the wait at once and counts as a failure.
void TestUpdateFaults::endedOnRequest() {
    QTemporaryDir dir;
    ScriptedFtpPeer peer(ScriptedFtpPeer::Fault::SilentAfterConnect, {}, {}, 0);
    TUpdateCheckInput in;
    in.Ftp.Host = QStringLiteral("127.0.0.1");
    in.Ftp.Port = peer.port();
    in.Ftp.LocalAddress = QStringLiteral("127.0.0.1");
    in.LocalFolder = dir.path();
    TUpdateCheck check(in);

    const Outcome outcome = runBeside(check, [&] { QTimer::singleShot(300, [&] { check.Abort(); }); });
    QCOMPARE(outcome.result, TUpdateCheck::kFailed);
    QVERIFY(check.Aborted());
    QVERIFY2(outcome.elapsedMs < kStepLimitMs / 2, qPrintable(QString::number(outcome.elapsedMs)));
    QVERIFY(QTest::qWaitFor([&] { return peer.clientClosed(); }, 5000));
}

QTEST_GUILESS_MAIN(TestUpdateFaults)
#include "tst_update_faults.moc"
