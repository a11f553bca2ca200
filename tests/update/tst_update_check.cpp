// The update check against a real FTP server: its result, the files it leaves in the program folder,
// and the commands the server received.
#include "VendorFtp.h"
#include "platform/Cp1250.h"
#include "platform/SystemInfo.h"
#include "update/UpdateCheck.h"
#include "update/VersionStamp.h"

#include <QDateTime>
#include <QTemporaryDir>
#include <QTest>

using namespace kvor;
using namespace kvor::testing;

namespace {

const QDateTime kProgramTime(QDate(2024, 10, 1), QTime(12, 0, 0));
const QString kProgramStamp = QStringLiteral("2024-10-01 12:00:00");
const QByteArray kMissing; // a null array: the file is not published

// A program folder with a program file of a known time.
struct ProgramFolder {
    QTemporaryDir dir;
    ProgramFolder() {
        QFile program(file(QStringLiteral("kvor")));
        program.open(QIODevice::WriteOnly);
        program.write("program");
        program.flush(); // a later flush would move the time again
        program.setFileTime(kProgramTime, QFileDevice::FileModificationTime);
    }
    QString file(const QString& name) const { return dir.filePath(name); }
    QByteArray read(const QString& name) const {
        QFile f(file(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    QStringList entries() const { return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name); }
};

TUpdateCheckInput inputFor(const ProgramFolder& folder, bool passive, const QString& password) {
    TUpdateCheckInput in;
    in.Ftp.Host = QStringLiteral("127.0.0.1");
    in.Ftp.Port = VendorFtp::port();
    in.Ftp.User = QStringLiteral("pelmar");
    in.Ftp.Password = password;
    in.Ftp.Passive = passive;
    // The connections are made from the first IPv4 address of the host name, as in the program.
    in.LocalFolder = folder.dir.path();
    in.ProgramFile = folder.file(QStringLiteral("kvor"));
    return in;
}

QByteArray logOf(const QString& published) {
    return cp1250::encode(QStringLiteral("Verze programu: ") + kProgramStamp +
                          QStringLiteral("\r\nVerze internet: ") + published + QStringLiteral("\r\n"));
}

} // namespace

class TestUpdateCheck : public QObject {
    Q_OBJECT
private slots:
    void outcomes_data();
    void outcomes();
    void missingProgramFileCountsAsOlder();
};

void TestUpdateCheck::outcomes_data() {
    QTest::addColumn<QString>("passiveSetting"); // "_FTPpassive" as the settings file holds it
    QTest::addColumn<QString>("password");
    QTest::addColumn<QByteArray>("versionFile");
    QTest::addColumn<QByteArray>("installer");
    QTest::addColumn<QString>("result");      // "A", "N", "E", or "raise"
    QTest::addColumn<QString>("dataCommand"); // "PASV", "PORT", or empty when none is due
    QTest::addColumn<QByteArray>("log");      // verze.log afterwards; null: not written

    const QString ok = QStringLiteral("730518kpw");
    const QByteArray installer = VendorFtp::binaryInstaller();
    const QString later = QStringLiteral("2024-10-01 12:00:01");
    auto row = [](const char* name) -> QTestData& { return QTest::newRow(name); };

    row("passive, equal stamps") << "True" << ok << VendorFtp::versionFile(kProgramStamp) << installer << "N"
                                 << "PASV" << logOf(kProgramStamp);
    row("active, equal stamps") << "False" << ok << VendorFtp::versionFile(kProgramStamp) << installer << "N"
                                << "PORT" << logOf(kProgramStamp);
    row("passive, one second later") << "True" << ok << VendorFtp::versionFile(later) << installer << "A"
                                     << "PASV" << logOf(later);
    row("active, one second later") << "False" << ok << VendorFtp::versionFile(later) << installer << "A"
                                    << "PORT" << logOf(later);
    // An older build with a one-digit month: "2024930..." is greater than "20241001...".
    row("one-digit month compares as digits")
        << "True" << ok << VendorFtp::versionFile("2024-9-30 12:00:00") << installer << "A"
        << "PASV" << logOf("2024-9-30 12:00:00");
    row("characters after the stamp ignored")
        << "True" << ok << QByteArray("x\r\na\tb\t2024-10-01 12:00:00.000 build 7\tc\r\nmore\r\n")
        << installer << "N"
        << "PASV" << logOf(kProgramStamp);
    row("version file of one line") << "True" << ok << QByteArray("a\tb\t2099-01-01 00:00:00\r\n")
                                    << installer << "raise"
                                    << "PASV" << QByteArray();
    row("fewer than three fields") << "True" << ok << QByteArray("a\r\nb\t2099-01-01 00:00:00\r\n")
                                   << installer << "N"
                                   << "PASV" << logOf(QString());
    row("missing installer") << "True" << ok << VendorFtp::versionFile(later) << kMissing << "E"
                             << "PASV" << logOf(later);
    row("missing version file") << "True" << ok << kMissing << installer << "E"
                                << "PASV" << QByteArray();
    row("login refused") << "True"
                         << "wrong-pw-3141" << VendorFtp::versionFile(later) << installer << "E"
                         << "" << QByteArray();
    row("\"false\" in lower case is passive")
        << "false" << ok << VendorFtp::versionFile(kProgramStamp) << installer << "N"
        << "PASV" << logOf(kProgramStamp);
}

void TestUpdateCheck::outcomes() {
    QFETCH(QString, passiveSetting);
    QFETCH(QString, password);
    QFETCH(QByteArray, versionFile);
    QFETCH(QByteArray, installer);
    QFETCH(QString, result);
    QFETCH(QString, dataCommand);
    QFETCH(QByteArray, log);

    VendorFtp::put(QStringLiteral("setupkvr.ver"), versionFile);
    VendorFtp::put(QStringLiteral("setupkvr.exe"), installer);
    const VendorFtp server;
    const ProgramFolder folder;
    TUpdateCheck check(inputFor(folder, passiveSetting != u"False", password));

    QString got;
    try {
        got = check.Run();
    } catch (const EUpdateError&) {
        got = QStringLiteral("raise");
    }
    QCOMPARE(got, result);
    // The password stays out of every error text that could reach a log or a message.
    QVERIFY2(!check.LastError().contains(password), qPrintable(check.LastError()));

    // Files: the installer only for "A" and byte for byte; the version file when it came; the log
    // when the version file came and could be read; nothing else, no half-written leftovers.
    QStringList expected{QStringLiteral("kvor")};
    if (!versionFile.isNull() && password == u"730518kpw") expected << QStringLiteral("setupkvr.ver");
    if (result == u"A") expected << QStringLiteral("setupkvr.exe");
    if (!log.isNull()) expected << QStringLiteral("verze.log");
    expected.sort();
    QCOMPARE(folder.entries(), expected);
    if (result == u"A") QVERIFY(folder.read(QStringLiteral("setupkvr.exe")) == installer);
    if (expected.contains(QStringLiteral("setupkvr.ver")))
        QCOMPARE(folder.read(QStringLiteral("setupkvr.ver")), versionFile);
    if (!log.isNull()) QCOMPARE(folder.read(QStringLiteral("verze.log")), log);

    // What the server was told.
    const QStringList commands = server.commands();
    QVERIFY2(!commands.contains(QStringLiteral("QUIT")), qPrintable(commands.join(u'|')));
    if (dataCommand.isEmpty()) {
        QVERIFY(!commands.contains(QStringLiteral("PASV")));
        QVERIFY(!commands.contains(QStringLiteral("RETR setupkvr.ver")));
        return;
    }
    // The client asks for TLS first; this server has none, and the check goes on in clear text.
    if (TFtpClient::TriesTls(passiveSetting != u"False"))
        QCOMPARE(commands.value(0), QStringLiteral("AUTH TLS"));
    QVERIFY2(commands.contains(QStringLiteral("CWD pelmar/trivan05")), qPrintable(commands.join(u'|')));
    QVERIFY(commands.contains(QStringLiteral("TYPE I")));
    QVERIFY(commands.indexOf(QStringLiteral("CWD pelmar/trivan05")) <
            commands.indexOf(QStringLiteral("TYPE I")));
    // The connections come from the host name's first IPv4 address; a loopback one (Linux systems
    // often name the host 127.0.1.1) is left to the system. Active mode announces that same address.
    const QString first = sys::firstIPv4Address();
    const QString client = server.clientAddress();
    QCOMPARE(client, first.startsWith(u"127.") ? QStringLiteral("127.0.0.1") : first);
    const QString portPrefix = QStringLiteral("PORT ") + QString(client).replace(u'.', u',') + u',';
    const QString otherCommand = dataCommand == u"PASV" ? QStringLiteral("PORT") : QStringLiteral("PASV");
    bool sawData = false;
    for (const QString& c : commands) {
        QVERIFY2(!c.startsWith(otherCommand), qPrintable(c));
        QVERIFY2(!c.startsWith(u"EPSV") && !c.startsWith(u"EPRT"), qPrintable(c));
        if (c.startsWith(dataCommand)) sawData = true;
        // Active mode announces the first IPv4 address of the host name.
        if (c.startsWith(u"PORT"))
            QVERIFY2(c.startsWith(portPrefix), qPrintable(c + QStringLiteral(" ") + portPrefix));
    }
    QVERIFY(sawData);
    // The installer is asked for (its size first, then the file) only after a newer stamp.
    const bool installerAsked = result == u"A" || (installer.isNull() && result == u"E");
    QCOMPARE(commands.filter(QStringLiteral(" setupkvr.exe")).isEmpty(), !installerAsked);
    if (result == u"A") QVERIFY(commands.contains(QStringLiteral("RETR setupkvr.exe")));
}

// Without the program's own file there is no program stamp: any published build counts as newer.
void TestUpdateCheck::missingProgramFileCountsAsOlder() {
    VendorFtp::put(QStringLiteral("setupkvr.ver"), VendorFtp::versionFile(kProgramStamp));
    VendorFtp::put(QStringLiteral("setupkvr.exe"), VendorFtp::binaryInstaller());
    const ProgramFolder folder;
    TUpdateCheckInput in = inputFor(folder, true, QStringLiteral("730518kpw"));
    in.ProgramFile = folder.file(QStringLiteral("no-such-program"));
    TUpdateCheck check(in);
    QCOMPARE(check.Run(), TUpdateCheck::kNewer);
    QCOMPARE(folder.read(QStringLiteral("verze.log")),
             cp1250::encode(QStringLiteral("Verze programu: \r\nVerze internet: ") + kProgramStamp +
                            QStringLiteral("\r\n")));
}

QTEST_GUILESS_MAIN(TestUpdateCheck)
#include "tst_update_check.moc"
