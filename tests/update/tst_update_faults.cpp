// The update check against a real FTP server that misbehaves: silent from the connection or after
// the greeting, an installer download that stalls, is cut, or trickles in slower than one step limit
// allows, and a request to end the program while waiting. The 15-second limit is measured once with
// a silent server; the other cases shorten it through the client's step-limit option.
#include "VendorFtp.h"
#include "update/UpdateCheck.h"

#include <QDateTime>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <thread>

using namespace kvor;
using namespace kvor::testing;

namespace {

const QByteArray kOldInstaller = "the installer of the previous build";
constexpr int kRealLimitMs = 15000;
constexpr int kShortLimitMs = 2000;
constexpr qint64 kSlackMs = 5000; // the machine may be busy with other builds

// A program folder with a program file older than anything published, and a previous installer.
struct FaultFolder {
    QTemporaryDir dir;
    FaultFolder() {
        QFile program(path(QStringLiteral("kvor")));
        program.open(QIODevice::WriteOnly);
        program.close();
        program.setFileTime(QDateTime(QDate(2020, 1, 1), QTime(0, 0)), QFileDevice::FileModificationTime);
        QFile old(path(QStringLiteral("setupkvr.exe")));
        old.open(QIODevice::WriteOnly);
        old.write(kOldInstaller);
    }
    QString path(const QString& name) const { return dir.filePath(name); }
    QByteArray installer() const {
        QFile f(path(QStringLiteral("setupkvr.exe")));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    QStringList entries() const { return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name); }

    TUpdateCheckInput input(int stepLimitMs) const {
        TUpdateCheckInput in;
        in.Ftp.Host = QStringLiteral("127.0.0.1");
        in.Ftp.Port = VendorFtp::port();
        in.Ftp.User = QStringLiteral("pelmar");
        in.Ftp.Password = QStringLiteral("730518kpw");
        in.Ftp.LocalAddress = QStringLiteral("127.0.0.1");
        in.Ftp.StepLimitMs = stepLimitMs;
        in.LocalFolder = dir.path();
        in.ProgramFile = path(QStringLiteral("kvor"));
        return in;
    }
};

} // namespace

class TestUpdateFaults : public QObject {
    Q_OBJECT
private slots:
    void init() {
        VendorFtp::put(QStringLiteral("setupkvr.ver"), VendorFtp::versionFile("2099-01-01 00:00:00"));
        VendorFtp::put(QStringLiteral("setupkvr.exe"), VendorFtp::binaryInstaller());
    }
    void cleanup() { VendorFtp::setFault({}); }
    void faults_data();
    void faults();
    void endedOnRequest();
};

void TestUpdateFaults::faults_data() {
    QTest::addColumn<QByteArray>("fault");
    QTest::addColumn<int>("stepLimitMs");
    QTest::addColumn<QString>("result");
    QTest::addColumn<int>("minMs"); // the check may not give up before this
    QTest::addColumn<int>("maxMs"); // nor end later than this (slack added)
    QTest::addColumn<bool>("versionFileCame");

    QTest::newRow("silent from the connection, the real limit")
        << QByteArray("silent") << kRealLimitMs << "E" << kRealLimitMs << kRealLimitMs << false;
    QTest::newRow("silent after the greeting")
        << QByteArray("mute") << kShortLimitMs << "E" << kShortLimitMs << kShortLimitMs << false;
    QTest::newRow("installer stalls midway")
        << QByteArray("stall 65536") << kShortLimitMs << "E" << kShortLimitMs << kShortLimitMs << true;
    QTest::newRow("installer cut midway")
        << QByteArray("cut 65536") << kShortLimitMs << "E" << 0 << kShortLimitMs << true;
    // Bursts of 48 KiB a second apart: the whole file takes far longer than one limit, but no gap
    // between two arrivals is as long as the limit.
    QTest::newRow("slow installer, every arrival renews the limit")
        << QByteArray("slow 49152") << kShortLimitMs << "A" << 2 * kShortLimitMs << 10 * kShortLimitMs
        << true;
}

void TestUpdateFaults::faults() {
    QFETCH(QByteArray, fault);
    QFETCH(int, stepLimitMs);
    QFETCH(QString, result);
    QFETCH(int, minMs);
    QFETCH(int, maxMs);
    QFETCH(bool, versionFileCame);

    const FaultFolder folder;
    VendorFtp::setFault(fault);
    const VendorFtp server;
    TUpdateCheck check(folder.input(stepLimitMs));
    QElapsedTimer clock;
    clock.start();
    const QChar got = check.Run();
    const qint64 elapsed = clock.elapsed();
    qInfo() << fault << "ended after" << elapsed << "ms:" << check.LastError();
    QCOMPARE(QString(got), result);
    QVERIFY2(elapsed >= minMs - 300, qPrintable(QString::number(elapsed)));
    QVERIFY2(elapsed <= maxMs + kSlackMs, qPrintable(QString::number(elapsed)));
    // Both connections are closed when the check ends, without a goodbye.
    QVERIFY(server.sessionsEnded(5000));
    QVERIFY(!server.commands().contains(QStringLiteral("QUIT")));

    // The previous installer is replaced only by a whole new one; no piece of a download is left.
    QStringList files{QStringLiteral("kvor"), QStringLiteral("setupkvr.exe")};
    if (versionFileCame) files << QStringLiteral("setupkvr.ver") << QStringLiteral("verze.log");
    QCOMPARE(folder.entries(), files);
    if (result == u"A")
        QVERIFY(folder.installer() == VendorFtp::binaryInstaller());
    else
        QCOMPARE(folder.installer(), kOldInstaller);
}

// A request to end the program ends the wait at once and counts as a failure.
void TestUpdateFaults::endedOnRequest() {
    const FaultFolder folder;
    VendorFtp::setFault("silent");
    const VendorFtp server;
    TUpdateCheck check(folder.input(kRealLimitMs));
    std::thread ender([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        check.Abort();
    });
    QElapsedTimer clock;
    clock.start();
    const QChar got = check.Run();
    const qint64 elapsed = clock.elapsed();
    ender.join();
    QCOMPARE(got, TUpdateCheck::kFailed);
    QVERIFY(check.Aborted());
    QVERIFY2(elapsed < kRealLimitMs / 2, qPrintable(QString::number(elapsed)));
    QVERIFY(server.sessionsEnded(5000));
}

QTEST_GUILESS_MAIN(TestUpdateFaults)
#include "tst_update_faults.moc"
