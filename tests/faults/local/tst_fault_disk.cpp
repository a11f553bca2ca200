// The program's own operations when its folders fail it: a program folder that takes no new files
// (run as an ordinary user, as root passes every permission check), and a data folder on a file
// system with no room left. Every case shows a clear message or works, leaves every table readable
// by an independent reader, and loses no posted request and no queued export.
//
// The full file system is a small tmpfs mounted over the data folder inside a mount namespace of
// the test's own, so nothing outside the test sees it; where the test may not mount, a file size
// limit (RLIMIT_FSIZE) that no table may grow past stands in for it. Where it may mount, both run.
// The output says which each case used.
#include "RunFolder.h"

#include "app/utexty.h"
#include "print/PreviewWatch.h"
#include "support/Unprivileged.h"
#include "tablestore/DsMemTable.h"
#include "update/UpdateRun.h"
#include "update/VendorFtp.h"

#include <QApplication>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <unistd.h>

using namespace kvor;
using namespace kvor::testing;

namespace {

bool g_privateMounts = false; // set by main before any thread exists

const QString kTyped = QStringLiteral("Vitavax 200 FF");

void chownTree(const QString& path, uid_t uid) {
    QVERIFY(::chown(QFile::encodeName(path).constData(), uid, gid_t(-1)) == 0);
    if (!QFileInfo(path).isDir()) return;
    for (const QString& name : QDir(path).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden))
        chownTree(QDir(path).filePath(name), uid);
}

// The data folder on a file system that is full: a tmpfs just large enough for the tables, the
// rest taken by a filler file; or, where mounting is not allowed, a file size limit
// one byte short of the largest table. Undone at the end of the scope.
class FullDataFolder {
public:
    FullDataFolder(const AppFolder& folder, bool mount) : m_data(folder.dataPath()) {
        qint64 total = 0, largest = 0;
        QMap<QString, QByteArray> files;
        for (const QString& name : QDir(m_data).entryList(QDir::Files)) {
            files.insert(name, bytesOf(QDir(m_data).filePath(name)));
            total += files[name].size();
            largest = std::max<qint64>(largest, files[name].size());
        }
        if (mount && g_privateMounts) {
            const QByteArray options = "size=" + QByteArray::number(total + 64 * 1024);
            m_mounted = ::mount("kvor-full", QFile::encodeName(m_data).constData(), "tmpfs", 0,
                                options.constData()) == 0;
        }
        if (m_mounted) {
            for (auto it = files.cbegin(); it != files.cend(); ++it) {
                QFile f(QDir(m_data).filePath(it.key()));
                QVERIFY(f.open(QIODevice::WriteOnly) && f.write(it.value()) == it.value().size());
            }
            const int fd =
                ::open(QFile::encodeName(QDir(m_data).filePath(QStringLiteral("zz-filler"))).constData(),
                       O_WRONLY | O_CREAT, 0600);
            QVERIFY(fd >= 0);
            const std::vector<char> block(4096, 'x');
            while (::write(fd, block.data(), block.size()) > 0) {
            }
            QCOMPARE(errno, ENOSPC);
            ::close(fd);
            qInfo("data folder: a tmpfs of %lld bytes, filled to the last page", total + 64 * 1024);
        } else {
            ::signal(SIGXFSZ, SIG_IGN);
            QVERIFY(::getrlimit(RLIMIT_FSIZE, &m_limit) == 0);
            // One byte short of the largest table: no table can be written anew at its full size.
            const rlimit lower{rlim_t(largest - 1), m_limit.rlim_max};
            QVERIFY(::setrlimit(RLIMIT_FSIZE, &lower) == 0);
            m_limited = true;
            qInfo("data folder: a file size limit (RLIMIT_FSIZE) of %lld bytes%s", largest - 1,
                  mount ? ", as this test may not mount here" : "");
        }
    }
    ~FullDataFolder() {
        if (m_limited) ::setrlimit(RLIMIT_FSIZE, &m_limit);
    }
    // The tables as they are now, copied out of the tmpfs before it goes away.
    void keepTablesIn(const QString& folder) {
        if (!m_mounted) return;
        for (const QString& name : tableFiles())
            if (QFile::exists(QDir(m_data).filePath(name)))
                QVERIFY(QFile::copy(QDir(m_data).filePath(name), QDir(folder).filePath(name)));
        QVERIFY(::umount2(QFile::encodeName(m_data).constData(), MNT_DETACH) == 0);
        m_mounted = false;
        for (const QString& name : tableFiles())
            if (QFile::exists(QDir(folder).filePath(name)) && QFile::remove(QDir(m_data).filePath(name)))
                QVERIFY(QFile::rename(QDir(folder).filePath(name), QDir(m_data).filePath(name)));
    }

private:
    QString m_data;
    bool m_mounted = false;
    bool m_limited = false;
    rlimit m_limit{};
};

// The program folder's ../Trivan05.ini pointing at the vendor_ftp server, which publishes a newer version.
void publishNewerVersion(const AppFolder& folder) {
    QFile file(folder.path(QStringLiteral("../Trivan05.ini")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QStringLiteral("[LogON]\r\n_FTP=127.0.0.1\r\n_FTPport=%1\r\n_FTPpassive=True\r\n")
                   .arg(VendorFtp::port())
                   .toLatin1());
    VendorFtp::put(QStringLiteral("setupkvr.ver"),
                   VendorFtp::versionFile(QStringLiteral("2099-01-01 00:00:00")));
    VendorFtp::put(QStringLiteral("setupkvr.exe"), VendorFtp::binaryInstaller());
}

} // namespace

class TestFaultDisk : public QObject {
    Q_OBJECT
    RunFolder m_run;

private slots:
    void initTestCase() {
        setUpApplication();
        m_run.make();
    }
    void cleanupTestCase() { m_run.reset(); }
    void operationsOnAFailingFolder_data();
    void operationsOnAFailingFolder();
};

void TestFaultDisk::operationsOnAFailingFolder_data() {
    QTest::addColumn<QString>("place");
    QTest::addColumn<QString>("operation");
    // A text the errors shown must contain, "" for no error, "*" where either may happen (whether
    // one more record fits depends on the room left in the file's last page).
    QTest::addColumn<QString>("error");
    QTest::addColumn<QString>("message"); // a message box text that must have been shown
    auto row = [](const QString& place, const char* operation, const QString& error,
                  const QString& message = QString()) {
        QTest::addRow("%s: %s", qPrintable(place), operation)
            << place << QString::fromLatin1(operation) << error << message;
    };

    const QString ro = QStringLiteral("read-only program folder");
    row(ro, "start", {});
    row(ro, "Zapsat", QStringLiteral("a1.txt nelze vytvořit")); // the submission's transient script
    row(ro, "saved texts", {});
    row(ro, "code lists", {});
    row(ro, "labels", {});
    row(ro, "update download", {}, TUpdateRun::failedText());

    // Both ways of filling the disk run wherever the test may mount, so that the one used where
    // it may not is known to work too.
    for (const QString& full :
         {QStringLiteral("full data folder (tmpfs)"), QStringLiteral("full data folder (file size limit)")}) {
        row(full, "start", {});
        row(full, "Zapsat", {});
        row(full, "Smazat", {});
        row(full, "code lists", QStringLiteral("Cannot write file"));
        row(full, "labels", {});
        row(full, "Tisk", QStringLiteral("*"));
    }
}

void TestFaultDisk::operationsOnAFailingFolder() {
    QFETCH(QString, place);
    QFETCH(QString, operation);
    QFETCH(QString, error);
    QFETCH(QString, message);
    const bool readOnly = place.startsWith(QLatin1String("read-only"));

    AppFolder folder;
    m_run.copyTo(folder);
    const QString savedTexts = folder.path(QStringLiteral("MORIDLOTXT.txt"));
    {
        QFile f(savedTexts);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("Dithane M 45\r\n");
    }
    if (operation == QLatin1String("update download")) publishNewerVersion(folder);
    const auto noFtp = qScopeGuard([] {
        VendorFtp::put(QStringLiteral("setupkvr.ver"), QByteArray());
        VendorFtp::put(QStringLiteral("setupkvr.exe"), QByteArray());
    });

    std::unique_ptr<FullDataFolder> full;
    std::unique_ptr<UnprivilegedScope> user;
    QFile programFolder(folder.path());
    if (readOnly) {
        // An ordinary user who owns the files but may not add any to the program folder.
        chownTree(folder.path(), unprivilegedUid());
        QVERIFY(QFile(QFileInfo(folder.path()).absolutePath()).setPermissions(QFile::Permissions(0x7755)));
        QVERIFY(programFolder.setPermissions(QFile::Permissions(0x5555)));
        user = std::make_unique<UnprivilegedScope>();
    } else {
        full = std::make_unique<FullDataFolder>(folder, place.contains(QLatin1String("tmpfs")));
    }
    if (QTest::currentTestFailed()) return;

    Seams seams;
    PreviewWatch previews;
    seams.dialogAnswer = [](QDialog& d) {
        if (auto* texts = qobject_cast<TftextUloz*>(&d))
            texts->SetTexts(texts->Texts() + QStringList{kTyped});
        d.accept();
        return int(QDialog::Accepted);
    };
    {
        auto form = startForm();
        QVERIFY(form); // no crash, and the editor came up
        if (operation == QLatin1String("Zapsat")) {
            form->Dbf5->Edit();
            form->Dbf5->FieldByName(QStringLiteral("MORIDLOTXT"))->SetAsString(kTyped);
            form->ZapsatClick();
        } else if (operation == QLatin1String("saved texts")) {
            form->UlozTexty(QStringLiteral("MORIDLOTXT"));
        } else if (operation == QLatin1String("code lists")) {
            form->Aktualizace1Click();
            QVERIFY(form->DsMemTable33->RecordCount() > 0); // the lists are there, old or new
        } else if (operation == QLatin1String("labels")) {
            form->StitekClick();
            QCOMPARE(previews.pages.size(), 1);
        } else if (operation == QLatin1String("update download")) {
            form->Akt_prg(1);
            QVERIFY(!form->TerminateRequested());
        } else if (operation == QLatin1String("Smazat")) {
            form->SmazatClick();
        } else if (operation == QLatin1String("Tisk")) {
            form->Dbf5->Edit();
            form->Dbf5->FieldByName(QStringLiteral("POOT"))->SetAsString(m_run.partnerOffice);
            form->Dbf5->Post();
            form->TiskClick();
        }
    }
    user.reset();
    if (full) full->keepTablesIn(folder.path());
    full.reset();
    programFolder.setPermissions(QFile::Permissions(0x7755));

    const QString errors = seams.errors.join(u'\n');
    if (!errors.isEmpty()) qInfo("shown: %s", qPrintable(errors));
    if (error.isEmpty())
        QVERIFY2(seams.errors.isEmpty(), qPrintable(errors));
    else if (error != QLatin1String("*"))
        QVERIFY2(errors.contains(error), qPrintable(errors));
    for (const QString& e : seams.errors)
        QVERIFY(!e.trimmed().isEmpty());
    if (!message.isEmpty()) QVERIFY2(seams.texts().contains(message), qPrintable(seams.texts().join(u'\n')));

    // Every table reads; the request and the queue hold what was posted to them.
    QMap<QString, DbfReadResult> after;
    for (const QString& name : tableFiles()) {
        after[name] = dbfread(folder.dataPath(name));
        QVERIFY2(after[name].ok, qPrintable(name + QStringLiteral(": ") + after[name].error));
    }
    const DbfReadResult& request = after[QStringLiteral("zadost.dbf")];
    QCOMPARE(request.rows.size(), 1);
    if (operation == QLatin1String("Zapsat"))
        QCOMPARE(column(request, QStringLiteral("MORIDLOTXT")), QStringList{kTyped});
    else if (operation != QLatin1String("Smazat"))
        QCOMPARE(column(request, QStringLiteral("id_trivan")), QStringList{kSavedRequest});
    const QStringList queued = column(after[QStringLiteral("zadostex.dbf")], QStringLiteral("id_trivan"));
    const QStringList queuedBefore =
        column(m_run.tables[QStringLiteral("zadostex.dbf")], QStringLiteral("id_trivan"));
    if (operation == QLatin1String("Tisk") && seams.errors.isEmpty())
        QVERIFY(queued.isEmpty()); // all sent, the new copy with them
    else
        QCOMPARE(queued, queuedBefore);
    for (const char* list : {"cenik.dbf", "zadostad.dbf"})
        QCOMPARE(after[QString::fromLatin1(list)].rows.size(),
                 m_run.tables[QString::fromLatin1(list)].rows.size());
    if (operation == QLatin1String("saved texts"))
        QCOMPARE(bytesOf(savedTexts), QByteArray("Dithane M 45\r\n") + kTyped.toLatin1() + "\r\n");
}

int main(int argc, char* argv[]) {
    // A mount namespace of the test's own, made while the process has one thread: the tmpfs it
    // mounts is seen by nobody else and goes away with it.
    g_privateMounts =
        ::unshare(CLONE_NEWNS) == 0 && ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
    QApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    TestFaultDisk test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_fault_disk.moc"
