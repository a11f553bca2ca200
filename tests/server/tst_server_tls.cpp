// The encrypted link to the vendor database: asked for in kvor.ini, really in use on the server's
// side of the connection, and refused with a clear error when the server cannot be trusted.
#include "support/VendorDb.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace kvor;
using namespace kvor::testing;
using namespace Qt::StringLiterals;

namespace {

// The cipher of the connection as the server sees it; empty for a plain connection.
QString serverSideCipher(TServerLink& link) {
    link.ZQuery1.Close();
    link.ZQuery1.SQL() = QStringList{u"show session status like 'Ssl_cipher'"_s};
    link.ZQuery1.Open();
    const QString cipher = link.ZQuery1.Fields(1)->AsString();
    link.ZQuery1.Close();
    return cipher;
}

// A certificate authority that did not sign the test server's certificate.
QString foreignAuthority(const QTemporaryDir& dir) {
    const QString ca = dir.filePath(u"foreign-ca.pem"_s);
    QProcess openssl;
    openssl.start(u"openssl"_s,
                  {u"req"_s, u"-x509"_s, u"-newkey"_s, u"ec"_s, u"-pkeyopt"_s,
                   u"ec_paramgen_curve:prime256v1"_s, u"-nodes"_s, u"-days"_s, u"30"_s, u"-subj"_s,
                   u"/CN=Foreign CA"_s, u"-keyout"_s, dir.filePath(u"foreign-key.pem"_s), u"-out"_s, ca});
    openssl.waitForFinished(30000);
    return openssl.exitCode() == 0 ? ca : QString();
}

} // namespace

class TstServerTls : public QObject {
    Q_OBJECT

private slots:
    void linkAsConfigured_data();
    void linkAsConfigured();
    void untrustedServerIsRefused();
};

void TstServerTls::linkAsConfigured_data() {
    QTest::addColumn<QString>("serverSection");
    QTest::addColumn<bool>("encrypted");
    const QString ca = QStringLiteral(KVOR_TEST_DB_DIR "/tls/ca.pem");
    QTest::newRow("no key: plain as before") << QString() << false;
    QTest::newRow("SSL=0") << u"SSL=0"_s << false;
    QTest::newRow("SSL=1 without a CA: encrypted") << u"SSL=1"_s << true;
    QTest::newRow("SSL=1 with the server's CA: verified") << u"SSL=1\r\nSSLCA="_s + ca << true;
}

// The keys are read from kvor.ini as the program reads them, so the test covers the way from the
// file to the connection, and the server reports whether the session is really encrypted.
void TstServerTls::linkAsConfigured() {
    QFETCH(QString, serverSection);
    QFETCH(bool, encrypted);
    QTemporaryDir dir;
    const QString ini = dir.filePath(u"kvor.ini"_s);
    QFile file(ini);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QStringLiteral("[Server]\r\nHost=127.0.0.1\r\nPort=%1\r\n%2\r\n")
                   .arg(KVOR_TEST_DB_PORT)
                   .arg(serverSection)
                   .toUtf8());
    file.close();

    TServerLink link(TServerConfig::fromIni(ini));
    QVERIFY(link.TestSQLjakje());
    QCOMPARE(!serverSideCipher(link).isEmpty(), encrypted);
}

void TstServerTls::untrustedServerIsRefused() {
    QTemporaryDir dir;
    const QString ca = foreignAuthority(dir);
    QVERIFY2(!ca.isEmpty(), "openssl could not make a certificate authority");
    TServerConfig config = vendorDbConfig();
    config.Ssl = true;
    config.SslCa = ca;

    TZConnection connection;
    connection.SetConfig(config);
    try {
        connection.Connect();
        QFAIL("a server whose certificate the CA did not sign was accepted");
    } catch (const ESqlError& e) {
        const QString message = QString::fromUtf8(e.what());
        QVERIFY2(message.startsWith(u"Zabezpečené spojení se serverem selhalo: "_s), qPrintable(message));
    }
    QVERIFY(!connection.Connected());
    // The program treats the refusal as a server it cannot reach: it goes on offline.
    TServerLink link(config);
    QVERIFY(!link.TestSQLjakje());
}

QTEST_GUILESS_MAIN(TstServerTls)
#include "tst_server_tls.moc"
