// A second copy of the program started on the folder of a running one. The running copy is the real
// program in a process of its own; the second is refused with a message before it opens anything.
// Where the guard cannot work (a copy that got past it), the tables held by the running copy
// refuse it with the table store's error and nothing it tries changes them. A copy killed without
// a chance to clean up does not keep the next one out.
#include "RunFolder.h"

#include "app/InstanceLock.h"
#include "print/PreviewWatch.h"

#include <QAction>
#include <QPushButton>

#include <QProcess>
#include <QProcessEnvironment>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

using namespace kvor;
using namespace kvor::testing;

namespace {

// Whether another process holds the file under the table store's exclusive lock.
bool heldByAnother(const QString& path) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool held = ::flock(fd, LOCK_EX | LOCK_NB) != 0;
    ::close(fd);
    return held;
}

// The files of the data folder that a process has open.
QStringList openTables(qint64 pid, const QString& dataFolder) {
    QStringList out;
    const QDir fds(QStringLiteral("/proc/%1/fd").arg(pid));
    for (const QString& fd : fds.entryList(QDir::System | QDir::NoDotAndDotDot)) {
        const QString target = QFileInfo(fds.filePath(fd)).symLinkTarget();
        if (target.startsWith(QDir(dataFolder).canonicalPath())) out << QFileInfo(target).fileName();
    }
    return out;
}

QString runTool(const QString& program, const QStringList& arguments) {
    QProcess p;
    p.start(program, arguments);
    if (!p.waitForFinished(30000)) return QString();
    return QString::fromLocal8Bit(p.readAllStandardOutput()).trimmed();
}

std::unique_ptr<QProcess> startProgram(const AppFolder& folder) {
    auto p = std::make_unique<QProcess>();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("KVOR_PROGRAM_FOLDER"), folder.path());
    p->setProcessEnvironment(env);
    p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p->start(QStringLiteral(KVOR_PROGRAM), {});
    return p;
}

} // namespace

class TestFaultSecondCopy : public QObject {
    Q_OBJECT
    RunFolder m_run;

private slots:
    void initTestCase() {
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
        setUpApplication();
        m_run.make();
    }
    void cleanupTestCase() { m_run.reset(); }
    void secondCopyOnTheSameFolder();
};

void TestFaultSecondCopy::secondCopyOnTheSameFolder() {
    AppFolder folder;
    m_run.copyTo(folder);
    QMap<QString, QByteArray> before;
    for (const QString& name : tableFiles())
        before.insert(name, bytesOf(folder.dataPath(name)));

    // The first copy, started and holding its request table.
    std::unique_ptr<QProcess> first = startProgram(folder);
    QVERIFY(first->waitForStarted());
    QVERIFY(
        QTest::qWaitFor([&] { return heldByAnother(folder.dataPath(QStringLiteral("zadost.dbf"))); }, 60000));
    QVERIFY(QFile::exists(folder.path(TInstanceLock::FileName)));

    // A second copy is refused, with the message, before it opens anything.
    {
        Seams seams;
        TInstanceLock lock(folder.path());
        TMessageBox box;
        QVERIFY(!lock.Admit(box));
        QCOMPARE(seams.questions.size(), 1);
        QCOMPARE(seams.questions[0].Text, TInstanceLock::SecondCopyText);
        QCOMPARE(seams.questions[0].Icon, TMsgIcon::Stop);
        QCOMPARE(seams.questions[0].Buttons, QStringList{QStringLiteral("OK")});
    }
    // The same with the real program: its box is on the screen, it holds no table, and OK ends it.
    {
        std::unique_ptr<QProcess> second = startProgram(folder);
        QVERIFY(second->waitForStarted());
        const QString window =
            runTool(QStringLiteral("xdotool"),
                    {QStringLiteral("search"), QStringLiteral("--sync"), QStringLiteral("--onlyvisible"),
                     QStringLiteral("--pid"), QString::number(second->processId()), QStringLiteral("--name"),
                     QStringLiteral("^Trivan05$")})
                .section(u'\n', 0, 0);
        QVERIFY2(!window.isEmpty(), "the second copy shows no message box");
        QCOMPARE(openTables(second->processId(), folder.dataPath()), QStringList());
        runTool(QStringLiteral("xdotool"), {QStringLiteral("windowfocus"), QStringLiteral("--sync"), window,
                                            QStringLiteral("key"), QStringLiteral("Return")});
        QVERIFY(second->waitForFinished(30000));
        QCOMPARE(second->exitStatus(), QProcess::NormalExit);
        QCOMPARE(second->exitCode(), 1);
    }

    // A copy that got past the guard: the tables the first copy holds refuse it, and none of its
    // commands changes what the first copy posted.
    {
        Seams seams;
        PreviewWatch previews;
        auto form = startForm();
        QVERIFY(form);
        // Without its request it offers nothing to print; what it does offer changes nothing.
        QVERIFY(!form->ButtonTisk->isEnabled());
        QVERIFY(!form->ButtonStitek->isEnabled());
        form->ButtonTisk->click();
        form->ButtonStitek->click();
        QVERIFY(!form->ButtonZapsat->isEnabled());
        form->ButtonSmazat->click();
        form->Aktualizace1Click();
        QCOMPARE(seams.errors, QStringList(2, QStringLiteral("Cannot open file"))); // at start, at "Smazat"
    }
    QCOMPARE(first->state(), QProcess::Running);
    QVERIFY(heldByAnother(folder.dataPath(QStringLiteral("zadost.dbf"))));

    // The first copy killed: its lock file stays behind, and the next copy is let in all the same.
    first->kill();
    QVERIFY(first->waitForFinished(30000));
    QVERIFY(QFile::exists(folder.path(TInstanceLock::FileName)));
    {
        Seams seams;
        TInstanceLock lock(folder.path());
        TMessageBox box;
        QVERIFY(lock.Admit(box));
        QVERIFY(seams.questions.isEmpty());
    }

    // Both copies lost nothing: the tables are as the first copy left them (the slot table, which
    // only ever holds copies made for one print, may have been emptied) and read with dbfread.
    for (const QString& name : tableFiles()) {
        const DbfReadResult read = dbfread(folder.dataPath(name));
        QVERIFY2(read.ok, qPrintable(name + QStringLiteral(": ") + read.error));
        if (name != QLatin1String("zadost2.dbf"))
            QVERIFY2(bytesOf(folder.dataPath(name)) == before[name], qPrintable(name));
    }
}

QTEST_MAIN(TestFaultSecondCopy)
#include "tst_fault_second_copy.moc"
