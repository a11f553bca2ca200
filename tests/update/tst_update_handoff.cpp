// The installer's command line, the update settings it is made from, and the start of the installer.
#include "StandInInstaller.h"
#include "update/InstallerHandOff.h"
#include "update/UpdateSettings.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace kvor;
using namespace kvor::testing;

class TestUpdateHandOff : public QObject {
    Q_OBJECT
private slots:
    void commandLines_data();
    void commandLines();
    void settings_data();
    void settings();
    void startsTheDownloadedInstaller();
};

void TestUpdateHandOff::commandLines_data() {
    QTest::addColumn<QString>("drive");
    QTest::addColumn<QString>("commandLine");
    QTest::addColumn<QStringList>("arguments"); // after the program's name

    QTest::newRow("no drive") << ""
                              << "setupkvr.exe" << QStringList{};
    QTest::newRow("drive prefix") << "E:"
                                  << R"(setupkvr.exe /DIR="E:\program files\pelmar\trivan05\kvor05\")"
                                  << QStringList{R"(/DIR=E:\program files\pelmar\trivan05\kvor05\)"};
    QTest::newRow("trailing backslash") << "E:\\"
                                        << R"(setupkvr.exe /DIR="E:\\program files\pelmar\trivan05\kvor05\")"
                                        << QStringList{R"(/DIR=E:\\program files\pelmar\trivan05\kvor05\)"};
    QTest::newRow("a blank") << " "
                             << R"(setupkvr.exe /DIR=" \program files\pelmar\trivan05\kvor05\")"
                             << QStringList{R"(/DIR= \program files\pelmar\trivan05\kvor05\)"};
}

void TestUpdateHandOff::commandLines() {
    QFETCH(QString, drive);
    QFETCH(QString, commandLine);
    QFETCH(QStringList, arguments);
    QCOMPARE(handoff::commandLine(QStringLiteral("setupkvr.exe"), drive), commandLine);
    const handoff::TProgramCall call = handoff::splitCommandLine(commandLine);
    QCOMPARE(call.Program, QStringLiteral("setupkvr.exe"));
    QCOMPARE(call.Arguments, arguments);
}

void TestUpdateHandOff::settings_data() {
    QTest::addColumn<QByteArray>("ini");       // null: no settings file
    QTest::addColumn<QStringList>("expected"); // host, port, user, password, passive, drive

    QTest::newRow("no file") << QByteArray()
                             << QStringList{"127.0.0.1", "21", "pelmar", "730518kpw", "1", ""};
    QTest::newRow("all keys, active")
        << QByteArray("[LogON]\r\n_FTP=ftp.example.cz\r\n_FTPuser=u\r\n_FTPpassword=p\r\n_FTPport=2121\r\n"
                      "_FTPpassive=False\r\n[Removable]\r\nDrive=F:\r\n")
        << QStringList{"ftp.example.cz", "2121", "u", "p", "0", "F:"};
    QTest::newRow("lower-case false stays passive")
        << QByteArray("[LogON]\r\n_FTPpassive=false\r\n")
        << QStringList{"127.0.0.1", "21", "pelmar", "730518kpw", "1", ""};
    QTest::newRow("other value stays passive")
        << QByteArray("[LogON]\r\n_FTPpassive=0\r\n")
        << QStringList{"127.0.0.1", "21", "pelmar", "730518kpw", "1", ""};
    QTest::newRow("quoted blank drive") << QByteArray("[Removable]\r\nDrive=\" \"\r\n")
                                        << QStringList{"127.0.0.1", "21", "pelmar", "730518kpw", "1", " "};
}

void TestUpdateHandOff::settings() {
    QFETCH(QByteArray, ini);
    QFETCH(QStringList, expected);
    QTemporaryDir dir;
    QDir(dir.path()).mkpath(QStringLiteral("kvor"));
    if (!ini.isNull()) {
        QFile file(dir.filePath(QStringLiteral("Trivan05.ini")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(ini);
    }
    // Read as the program reads it: one folder above the program folder.
    QVERIFY(QDir::setCurrent(dir.filePath(QStringLiteral("kvor"))));
    const TUpdateSettings s = TUpdateSettings::fromIni();
    QDir::setCurrent(QDir::tempPath());
    const QStringList got{s.Host, s.Port, s.User, s.Password, s.Passive ? "1" : "0", s.Drive};
    QCOMPARE(got, expected);
}

// The installer arrives without the executable bit; it is started detached in the program folder
// with its target folder as one argument.
void TestUpdateHandOff::startsTheDownloadedInstaller() {
    QTemporaryDir dir;
    QFile installer(dir.filePath(QStringLiteral("setupkvr.exe")));
    QVERIFY(installer.open(QIODevice::WriteOnly));
    installer.write(standInInstaller());
    installer.close();
    QVERIFY(!(installer.permissions() & QFileDevice::ExeOwner));

    QVERIFY(handoff::startInstaller(
        handoff::commandLine(QStringLiteral("setupkvr.exe"), QStringLiteral("E:")), dir.path()));
    const QStringList record = standInRecord(dir.path(), 10000);
    QCOMPARE(record, (QStringList{QDir(dir.path()).canonicalPath(),
                                  R"(/DIR=E:\program files\pelmar\trivan05\kvor05\)"}));
}

QTEST_GUILESS_MAIN(TestUpdateHandOff)
#include "tst_update_handoff.moc"
