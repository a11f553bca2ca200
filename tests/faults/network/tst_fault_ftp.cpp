// The check for a new version from the menu while the FTP server misbehaves: silent after its
// greeting, refusing the login, cutting the download of the version file or of the installer. Each ends with
// "Chyba připojení." after the real step limit; no piece of a download takes the place of a file of the
// program folder, verze.log and the settings files stay whole, and the password of the settings appears in no
// message, no file the program wrote and nothing it logged.
#include "app/AppFixture.h"
#include "update/UpdateRun.h"
#include "update/VendorFtp.h"

#include <QAction>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QMutex>

using namespace kvor;
using namespace kvor::testing;
using namespace Qt::StringLiterals;

namespace {

const QByteArray kOldInstaller = "the installer of the previous build";
const QByteArray kOldVersionFile =
    "soubor\tprogram\tvydano\r\nsetupkvr.exe\tKvor Pro\t2011-01-01 00:00:00\r\n";
const QByteArray kOldLog = "Verze programu: 2012-01-01 00:00:00\r\nVerze internet: 2011-01-01 00:00:00\r\n";
const QString kNewStamp = u"2099-01-01 00:00:00"_s;

// Everything the program logs through Qt while the check runs.
class LogWatch {
public:
    LogWatch() { s_previous = qInstallMessageHandler(&LogWatch::handle); }
    ~LogWatch() { qInstallMessageHandler(s_previous); }
    static QStringList lines() {
        QMutexLocker lock(&s_mutex);
        return s_lines;
    }

private:
    static void handle(QtMsgType type, const QMessageLogContext& context, const QString& text) {
        {
            QMutexLocker lock(&s_mutex);
            s_lines << text;
        }
        if (s_previous) s_previous(type, context, text);
    }
    static inline QtMessageHandler s_previous = nullptr;
    static inline QMutex s_mutex;
    static inline QStringList s_lines;
};

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY2(f.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(path));
    f.write(bytes);
}

// Every file below the folder (relative path -> contents).
QMap<QString, QByteArray> filesBelow(const QString& folder) {
    QMap<QString, QByteArray> out;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        out.insert(QDir(folder).relativeFilePath(path), fileBytes(path));
    }
    return out;
}

} // namespace

class TestFaultFtp : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { VendorFtp::setFault({}); }
    void checkFails_data();
    void checkFails();
};

void TestFaultFtp::checkFails_data() {
    QTest::addColumn<QByteArray>("fault");
    QTest::addColumn<QString>("password"); // of section LogON; empty: the key is left out (default)
    QTest::addColumn<bool>("versionFileCame");
    QTest::addColumn<int>("minMs");            // the check may not give up before this
    QTest::addColumn<QByteArray>("serverSaw"); // in the server's log: the fault happened as meant

    // The step limit is the program's own 15 seconds: only silence has to wait it out.
    QTest::newRow("silent after the greeting")
        << QByteArray("mute") << QString() << false << 15000 << QByteArray("-> 220 ");
    QTest::newRow("login refused") << QByteArray() << u"Heslo-Špatné-4711"_s << false << 0
                                   << QByteArray("-> 530 ");
    QTest::newRow("version file cut midway")
        << QByteArray("cut 30 setupkvr.ver") << QString() << false << 0 << QByteArray("-> 426 ");
    QTest::newRow("installer cut midway")
        << QByteArray("cut 65536") << QString() << true << 0 << QByteArray("-> 426 ");
}

void TestFaultFtp::checkFails() {
    QFETCH(QByteArray, fault);
    QFETCH(QString, password);
    QFETCH(bool, versionFileCame);
    QFETCH(int, minMs);
    QFETCH(QByteArray, serverSaw);

    VendorFtp::put(u"setupkvr.ver"_s, VendorFtp::versionFile(kNewStamp));
    VendorFtp::put(u"setupkvr.exe"_s, VendorFtp::binaryInstaller());
    AppFolder folder;
    folder.writeIdentity(kDeadPort);
    // What an earlier check left in the program folder.
    writeFile(folder.path(u"setupkvr.exe"_s), kOldInstaller);
    writeFile(folder.path(u"setupkvr.ver"_s), kOldVersionFile);
    writeFile(folder.path(u"verze.log"_s), kOldLog);
    // Start-up checks against nothing; the menu item against the misbehaving server.
    const QString settingsPath = folder.path(u"../Trivan05.ini"_s);
    writeFile(settingsPath, "[LogON]\r\n_FTP=127.0.0.1\r\n_FTPport=1\r\n");
    Seams seams;
    auto form = startForm();
    QVERIFY(form);
    QByteArray settings = "[LogON]\r\n_FTP=127.0.0.1\r\n_FTPport=" + VendorFtp::port().toLatin1() + "\r\n";
    if (!password.isEmpty()) settings += "_FTPpassword=" + cp1250::encode(password) + "\r\n";
    writeFile(settingsPath, settings);
    const QString usedPassword = password.isEmpty() ? u"730518kpw"_s : password;
    const QMap<QString, QByteArray> before = filesBelow(QFileInfo(settingsPath).path());

    seams.questions.clear();
    VendorFtp::setFault(fault);
    const VendorFtp server;
    const LogWatch log;
    QAction* item = form->findChild<QAction*>(u"Kontrolanoveverze1"_s);
    QVERIFY(item);
    QElapsedTimer clock;
    clock.start();
    item->trigger();
    const qint64 elapsed = clock.elapsed();

    // The outcome and its message.
    QVERIFY2(elapsed >= minMs - 300, qPrintable(QString::number(elapsed)));
    QCOMPARE(seams.texts(), QStringList{TUpdateRun::failedText()});
    QCOMPARE(seams.questions[0].Icon, TMsgIcon::Stop);
    QVERIFY2(seams.errors.isEmpty(), qPrintable(seams.errors.join(u'\n')));
    QVERIFY(!form->TerminateRequested());
    QVERIFY(form->isVisible());
    QVERIFY(server.sessionsEnded(5000));
    QVERIFY2(server.log().contains(serverSaw), server.log().constData());

    // The files: only a whole version file and the log it gives replace the old ones.
    QMap<QString, QByteArray> expected = before;
    if (versionFileCame) {
        expected[u"kvor/setupkvr.ver"_s] = VendorFtp::versionFile(kNewStamp);
        const QByteArray logText = fileBytes(folder.path(u"verze.log"_s));
        QVERIFY2(logText.startsWith("Verze programu: ") &&
                     logText.endsWith("\r\nVerze internet: " + kNewStamp.toLatin1() + "\r\n"),
                 logText.constData());
        expected[u"kvor/verze.log"_s] = logText;
    }
    const QMap<QString, QByteArray> after = filesBelow(QFileInfo(settingsPath).path());
    QCOMPARE(after.keys(), expected.keys());
    for (auto it = expected.begin(); it != expected.end(); ++it)
        QVERIFY2(after.value(it.key()) == it.value(), qPrintable(it.key()));

    // The password nowhere but in the settings file.
    const QByteArray secret = cp1250::encode(usedPassword);
    for (auto it = after.begin(); it != after.end(); ++it)
        if (it.key() != u"Trivan05.ini"_s) QVERIFY2(!it.value().contains(secret), qPrintable(it.key()));
    for (const QString& text : seams.texts() + seams.errors + LogWatch::lines())
        QVERIFY2(!text.contains(usedPassword), qPrintable(text));
}

QTEST_MAIN(TestFaultFtp)
#include "tst_fault_ftp.moc"
