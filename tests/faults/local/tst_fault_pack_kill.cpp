// A process killed with SIGKILL in the middle of Pack: whatever the moment, the table opens
// afterwards with every live record once, in its order, and takes further appends and packs.
#include "support/DbfRead.h"
#include "tablestore/DsDbfApi.h"
#include "tablestore/DsDbfTable.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

using namespace kvor;
using namespace kvor::testing;

namespace {

constexpr int kRecords = 120;

bool deletedInTest(int i) {
    return (i >= 3 && i <= 5) || i == 17 || (i >= 50 && i <= 60) || i == kRecords;
}

QString name(int i) {
    return QStringLiteral("Žito jarní %1").arg(i);
}

QStringList liveNames() {
    QStringList out;
    for (int i = 1; i <= kRecords; ++i)
        if (!deletedInTest(i)) out << name(i);
    return out;
}

// Where the packing child stops: at the given call of the progress seam (the step -1 is the one
// before the rename), or after Pack has returned, with the table still open.
int g_killAtCall = 0;
bool g_killAtRename = false;
int g_calls = 0;

void killAtProgress(std::int64_t step) {
    ++g_calls;
    if ((g_killAtRename && step == -1) || (!g_killAtRename && g_calls == g_killAtCall)) ::raise(SIGKILL);
}

} // namespace

class TestFaultPackKill : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    TDsDatabase m_db;

    std::unique_ptr<TDsDbfTable> table() {
        auto t = std::make_unique<TDsDbfTable>();
        t->SetName(QStringLiteral("Dbf5"));
        t->SetDatabase(&m_db);
        t->SetTableName(QStringLiteral("zadost.dbf"));
        t->SetExclusive(true);
        return t;
    }

    QStringList visibleNames(TDsDbfTable& t) {
        QStringList out;
        for (t.First(); !t.Eof(); t.Next())
            out << t.FieldByName(QStringLiteral("NAZEV"))->AsString();
        return out;
    }

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        m_db.SetDatabaseName(m_dir.path());
    }

    void killedPackLeavesEveryRecord_data() {
        QTest::addColumn<int>("killAtCall");
        QTest::addColumn<bool>("killAtRename");
        QTest::addColumn<bool>("packed"); // the table is the packed one afterwards
        QTest::newRow("after the first chunk") << 1 << false << false;
        QTest::newRow("half-way") << 6 << false << false;
        QTest::newRow("with every record written, before the rename") << 0 << true << false;
        QTest::newRow("after Pack returned, table still open") << 0 << false << true;
    }

    void killedPackLeavesEveryRecord() {
        QFETCH(int, killAtCall);
        QFETCH(bool, killAtRename);
        QFETCH(bool, packed);
        {
            auto t = table();
            t->SetFieldDefs({{QStringLiteral("NAZEV"), ftString, 30}, {QStringLiteral("CISLO"), ftFloat}});
            t->CreateTable();
            t->Open();
            for (int i = 1; i <= kRecords; ++i) {
                t->Append();
                t->FieldByName(QStringLiteral("NAZEV"))->SetAsString(name(i));
                t->FieldByName(QStringLiteral("CISLO"))->SetAsInteger(i);
                t->Post();
            }
            for (t->First(); !t->Eof();) {
                if (deletedInTest(t->FieldByName(QStringLiteral("CISLO"))->AsInteger()))
                    t->Delete();
                else
                    t->Next();
            }
            t->Close();
        }

        const pid_t child = ::fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            g_killAtCall = killAtCall;
            g_killAtRename = killAtRename;
            TDbfFile::PackProgress = killAtProgress;
            try {
                auto t = table();
                t->Open();
                t->Pack();
                ::raise(SIGKILL); // the last case: the table was packed and is still held open
            } catch (...) {
            }
            ::_exit(1);
        }
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        QVERIFY2(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL, "the packing child was not killed");

        const QStringList live = liveNames();
        {
            auto t = table();
            t->Open(); // a killed process holds no lock
            QCOMPARE(visibleNames(*t), live);
            QCOMPARE(t->RecordCount(), packed ? int(live.size()) : kRecords);
        }
        const DbfReadResult read = dbfread(m_dir.filePath(QStringLiteral("zadost.dbf")));
        QVERIFY2(read.ok, qPrintable(read.error));
        QStringList readNames;
        for (const QJsonValue& row : read.rows)
            readNames << row.toArray().at(0).toString();
        QCOMPARE(readNames, live);

        // The table goes on: a further record, a pack that ends, and nothing left beside it.
        auto t = table();
        t->Open();
        for (const char* text : {"další", "smazaná"}) {
            t->Append();
            t->FieldByName(QStringLiteral("NAZEV"))->SetAsString(QString::fromUtf8(text));
            t->Post();
        }
        t->Last();
        t->Delete();
        t->Pack();
        t->Close();
        t->Open();
        QCOMPARE(visibleNames(*t), live + QStringList{QStringLiteral("další")});
        QCOMPARE(t->RecordCount(), int(live.size()) + 1);
        t->Close();
        QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("zadost.dbf")});
    }
};

QTEST_GUILESS_MAIN(TestFaultPackKill)
#include "tst_fault_pack_kill.moc"
