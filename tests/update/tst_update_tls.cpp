// The update check against a server that offers explicit TLS: the login and the files travel
// encrypted (in active mode where libcurl can protect active data connections), and the installer
// still arrives byte for byte.
#include "VendorFtp.h"
#include "update/UpdateCheck.h"

#include <QDateTime>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>

using namespace kvor;
using namespace kvor::testing;

class TestUpdateTls : public QObject {
    Q_OBJECT
private slots:
    void encryptedWhenOffered_data();
    void encryptedWhenOffered();
};

void TestUpdateTls::encryptedWhenOffered_data() {
    QTest::addColumn<bool>("passive");
    QTest::newRow("passive") << true;
    QTest::newRow("active") << false;
}

void TestUpdateTls::encryptedWhenOffered() {
    QFETCH(bool, passive);
    const QString password = QStringLiteral("730518kpw");
    VendorFtp::put(QStringLiteral("setupkvr.ver"), VendorFtp::versionFile("2099-01-01 00:00:00"));
    VendorFtp::put(QStringLiteral("setupkvr.exe"), VendorFtp::binaryInstaller());
    QTemporaryDir dir;
    QFile program(dir.filePath(QStringLiteral("kvor")));
    QVERIFY(program.open(QIODevice::WriteOnly));
    program.close();

    TUpdateCheckInput in;
    in.Ftp.Host = QStringLiteral("127.0.0.1");
    in.Ftp.Port = VendorFtp::port();
    in.Ftp.User = QStringLiteral("pelmar");
    in.Ftp.Password = password;
    in.Ftp.Passive = passive;
    in.LocalFolder = dir.path();
    in.ProgramFile = program.fileName();
    const VendorFtp server;
    TUpdateCheck check(in);
    QCOMPARE(check.Run(), TUpdateCheck::kNewer);
    QFile installer(dir.filePath(QStringLiteral("setupkvr.exe")));
    QVERIFY(installer.open(QIODevice::ReadOnly));
    QVERIFY(installer.readAll() == VendorFtp::binaryInstaller());

    const QStringList commands = server.commands();
    const QString all = commands.join(u'|');
    const QString dataCommand = passive ? QStringLiteral("PASV") : QStringLiteral("PORT ");
    QVERIFY2(std::any_of(commands.begin(), commands.end(),
                         [&](const QString& c) { return c.startsWith(dataCommand); }),
             qPrintable(all));
    QVERIFY2(commands.indexOf(QStringLiteral("USER pelmar")) >= 0, qPrintable(all));
    if (!TFtpClient::TriesTls(passive)) {
        // A libcurl that cannot protect active data connections: clear text, as before.
        QVERIFY2(!commands.contains(QStringLiteral("AUTH TLS")), qPrintable(all));
        return;
    }
    // TLS was agreed before the user name went out, and the data connections were protected too.
    QCOMPARE(commands.value(0), QStringLiteral("AUTH TLS"));
    QVERIFY2(server.log().contains("-> 234 AUTH TLS successful"), qPrintable(all));
    QVERIFY2(commands.contains(QStringLiteral("PROT P")), qPrintable(all));
    QVERIFY2(server.log().contains("-> 200 Protection set to Private"), qPrintable(all));
}

QTEST_GUILESS_MAIN(TestUpdateTls)
#include "tst_update_tls.moc"
