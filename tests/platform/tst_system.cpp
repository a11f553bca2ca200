// Program folder, names of the machine, and handing work to other programs.
#include "platform/Desktop.h"
#include "platform/SystemInfo.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace kvor;

class TestSystem : public QObject {
    Q_OBJECT
private slots:
    void programFolder();
    void namesAreNeverEmpty();
    void versionText();
    void firstIPv4Address();
    void startProcess_data();
    void startProcess();
    void startDetachedRunsInFolder();
    void openDocumentMissingFile();
};

void TestSystem::programFolder() {
    QCOMPARE(sys::programFolder(), QCoreApplication::applicationDirPath());
    QVERIFY(QFileInfo(sys::programFilePath()).isFile());

    QTemporaryDir dir;
    const QString before = QDir::currentPath();
    sys::setProgramFolder(dir.path());
    QVERIFY(sys::makeProgramFolderCurrent());
    QCOMPARE(QDir::currentPath(), QDir(dir.path()).canonicalPath());
    // A bare file name now lands in the program folder.
    QFile f("kvor.ini");
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.close();
    QVERIFY(QFile::exists(QDir(dir.path()).filePath("kvor.ini")));

    sys::setProgramFolder(dir.filePath("gone"));
    QVERIFY(!sys::makeProgramFolderCurrent());
    sys::setProgramFolder(QString());
    QCOMPARE(sys::programFolder(), QCoreApplication::applicationDirPath());
    QDir::setCurrent(before);
}

void TestSystem::namesAreNeverEmpty() {
    for (const QString& name : {sys::userName(), sys::computerName()}) {
        QVERIFY(!name.isEmpty());
        QCOMPARE(name, name.trimmed());
    }
}

void TestSystem::versionText() {
    static const QRegularExpression fourNumbers(QStringLiteral("^\\d+\\.\\d+\\.\\d+\\.\\d+$"));
    QVERIFY2(fourNumbers.match(sys::programVersion()).hasMatch(), qPrintable(sys::programVersion()));
}

void TestSystem::firstIPv4Address() {
    const QString address = sys::firstIPv4Address();
    if (address.isEmpty()) QSKIP("the host name does not resolve on this machine");
    static const QRegularExpression dotted(
        QStringLiteral("^(\\d{1,3})\\.(\\d{1,3})\\.(\\d{1,3})\\.(\\d{1,3})$"));
    auto m = dotted.match(address);
    QVERIFY2(m.hasMatch(), qPrintable(address));
    for (int i = 1; i <= 4; ++i)
        QVERIFY(m.captured(i).toInt() <= 255);
}

void TestSystem::startProcess_data() {
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("exitCode");
    QTest::newRow("success") << "/bin/sh" << QStringList{"-c", "exit 0"} << true << 0;
    QTest::newRow("exit code passed on") << "/bin/sh" << QStringList{"-c", "exit 3"} << true << 3;
    QTest::newRow("argument with blanks and quotes")
        << "/bin/sh"
        << QStringList{"-c", "test \"$0\" = '/DIR=\"E:\\program files\\x\"'", "/DIR=\"E:\\program files\\x\""}
        << true << 0;
    QTest::newRow("crash is no success") << "/bin/sh" << QStringList{"-c", "kill -9 $$"} << false << -1;
    QTest::newRow("missing program") << "no-such-program-kvor" << QStringList{} << false << -1;
    QTest::newRow("empty program") << "" << QStringList{} << false << -1;
    QTest::newRow("bare name found in the folder") << "setup.sh" << QStringList{"5"} << true << 5;
}

void TestSystem::startProcess() {
    QFETCH(QString, program);
    QFETCH(QStringList, arguments);
    QFETCH(bool, ok);
    QFETCH(int, exitCode);
    QTemporaryDir dir;
    QFile script(dir.filePath("setup.sh"));
    QVERIFY(script.open(QIODevice::WriteOnly));
    script.write("#!/bin/sh\nexit \"$1\"\n");
    script.close();
    script.setPermissions(script.permissions() | QFileDevice::ExeOwner);

    auto outcome = desktop::startProcess(program, arguments, true, dir.path());
    QCOMPARE(outcome.ok, ok);
    QCOMPARE(outcome.exitCode, exitCode);
}

void TestSystem::startDetachedRunsInFolder() {
    QTemporaryDir dir;
    auto outcome = desktop::startProcess("/bin/sh", {"-c", "echo started > marker.txt"}, false, dir.path());
    QVERIFY(outcome.ok);
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(dir.filePath("marker.txt")), 10000);
    QVERIFY(!desktop::startProcess("no-such-program-kvor", {}, false, dir.path()).ok);
}

void TestSystem::openDocumentMissingFile() {
    QTemporaryDir dir;
    QVERIFY(!desktop::openDocument(dir.filePath("ulc.pdf")));
    QVERIFY(!desktop::openDocument(QString()));
}

QTEST_GUILESS_MAIN(TestSystem)
#include "tst_system.moc"
