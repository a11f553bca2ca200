// Appending to dBase tables: a table just created or emptied takes its appends in blocks, another
// table held exclusively through a mapping of the file, a shared one by writing each record. All
// must give the same file, and a process killed in the middle of any must leave a table that opens
// (with every posted record, for the latter two).
#include "tst_dbf_util.h"

#include "tablestore/DsDbfTable.h"
#include "tablestore/DsMemTable.h"

#include <QDate>
#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace kvor;

namespace {

TFieldDefs varietyDefs() {
    return {{QStringLiteral("NAZEV"), ftString, 40},
            {QStringLiteral("NC"), ftFloat},
            {QStringLiteral("KS"), ftSmallint},
            {QStringLiteral("DATUM"), ftDate},
            {QStringLiteral("OK"), ftBoolean}};
}

// Record i (from 1) of the test tables; every fifth has null fields.
void fill(TDataSet& t, int i) {
    t.FieldByName(QStringLiteral("NAZEV"))->SetAsString(QStringLiteral("Pšenice ozimá %1").arg(i));
    if (i % 5 == 0) return;
    t.FieldByName(QStringLiteral("NC"))->SetAsFloat(i * 0.25 - 100.0);
    t.FieldByName(QStringLiteral("KS"))->SetAsInteger(i % 1000);
    t.FieldByName(QStringLiteral("DATUM"))->SetValue(QDate(2012, 3, 15).addDays(i));
    t.FieldByName(QStringLiteral("OK"))->SetAsBoolean(i % 2 == 0);
}

void append(TDataSet& t, int from, int to) {
    for (int i = from; i <= to; ++i) {
        t.Append();
        fill(t, i);
        t.Post();
    }
}

// The file without its creation date, which differs between tables made on different days.
QByteArray withoutDate(QByteArray bytes) {
    if (bytes.size() >= 4) bytes.replace(1, 3, "   ");
    return bytes;
}

} // namespace

class TestDbfBulk : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    TDsDatabase m_db;

    std::unique_ptr<TDsDbfTable> table(const QString& name) {
        auto t = std::make_unique<TDsDbfTable>();
        t->SetName(QStringLiteral("DsDbfTable1"));
        t->SetDatabase(&m_db);
        t->SetTableName(name);
        t->SetExclusive(true);
        t->SetFieldDefs(varietyDefs());
        return t;
    }

    // Checks that the table holds records 1..count as fill() made them and ends as a table must.
    void verifyTable(const QString& name, int count) {
        const QByteArray b = dbftest::read(m_dir.filePath(name));
        const int headerLength = dbftest::getU16(b, 8), recordLength = dbftest::getU16(b, 10);
        QCOMPARE(dbftest::getU32(b, 4), std::uint32_t(count));
        QCOMPARE(b.size(), headerLength + count * recordLength + 1);
        QCOMPARE(b.back(), char(0x1A));
        auto t = table(name);
        t->SetReadOnly(true);
        t->Open();
        int i = 0;
        for (t->First(); !t->Eof(); t->Next()) {
            ++i;
            QCOMPARE(t->FieldByName(QStringLiteral("NAZEV"))->AsString(),
                     QStringLiteral("Pšenice ozimá %1").arg(i));
            QCOMPARE(t->FieldByName(QStringLiteral("NC"))->IsNull(), i % 5 == 0);
            if (i % 5 != 0) QCOMPARE(t->FieldByName(QStringLiteral("NC"))->AsFloat(), i * 0.25 - 100.0);
        }
        QCOMPARE(i, count);
    }

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        m_db.SetDatabaseName(m_dir.path());
    }

    // The same records through bulk appends (after CreateTable or Zap) and through single appends.
    void bulkAndSingleAppendsGiveTheSameFile_data() {
        QTest::addColumn<int>("records");
        QTest::newRow("none") << 0;
        QTest::newRow("one") << 1;
        QTest::newRow("less than a block") << 500;
        QTest::newRow("several blocks and a part") << 12000;
    }

    void bulkAndSingleAppendsGiveTheSameFile() {
        QFETCH(int, records);
        auto shared = table(QStringLiteral("shared.dbf"));
        shared->CreateTable();
        shared->SetExclusive(false);
        shared->Open();
        QVERIFY(!shared->File()->InBulk());
        append(*shared, 1, records);
        shared->Close();

        auto single = table(QStringLiteral("single.dbf"));
        single->CreateTable();
        single->Open();
        single->Close(); // reopened, the table writes every record as it is posted
        single->Open();
        QVERIFY(!single->File()->InBulk());
        append(*single, 1, records);
        single->Close();

        auto created = table(QStringLiteral("created.dbf"));
        created->CreateTable();
        created->Open();
        QVERIFY(created->File()->InBulk());
        append(*created, 1, records);
        created->Close();

        auto zapped = table(QStringLiteral("zapped.dbf"));
        zapped->CreateTable();
        zapped->Open();
        zapped->Close();
        zapped->Open();
        append(*zapped, 1, 7);
        zapped->Zap();
        QVERIFY(zapped->File()->InBulk());
        append(*zapped, 1, records);
        zapped->Close();

        // Zap leaves no end marker until the next append: a table emptied and left empty ends at its header.
        const QByteArray expected = withoutDate(dbftest::read(m_dir.filePath(QStringLiteral("shared.dbf"))));
        QCOMPARE(withoutDate(dbftest::read(m_dir.filePath(QStringLiteral("single.dbf")))), expected);
        QCOMPARE(withoutDate(dbftest::read(m_dir.filePath(QStringLiteral("created.dbf")))), expected);
        if (records > 0) {
            QCOMPARE(withoutDate(dbftest::read(m_dir.filePath(QStringLiteral("zapped.dbf")))), expected);
            verifyTable(QStringLiteral("shared.dbf"), records);
        }
    }

    // Bulk mode ends at the first read or move; appends after it go one by one, after the others.
    void bulkThenSingleAppends() {
        auto t = table(QStringLiteral("mixed.dbf"));
        t->CreateTable();
        t->Open();
        append(*t, 1, 5000);
        QCOMPARE(t->RecordCount(), 5000);
        t->Last();
        QVERIFY(!t->File()->InBulk());
        QCOMPARE(t->FieldByName(QStringLiteral("NAZEV"))->AsString(), QStringLiteral("Pšenice ozimá 5000"));
        append(*t, 5001, 5010);
        // Each of those is in the file already, as the header says.
        QCOMPARE(dbftest::getU32(dbftest::read(m_dir.filePath(QStringLiteral("mixed.dbf"))), 4), 5010u);
        t->Close();
        verifyTable(QStringLiteral("mixed.dbf"), 5010);
    }

    // A Locate or an edit in the middle of bulk appends sees every record appended so far.
    void readsSeeTheWaitingRecords() {
        auto t = table(QStringLiteral("locate.dbf"));
        t->CreateTable();
        t->Open();
        append(*t, 1, 40);
        QVERIFY(t->Locate(QStringLiteral("NAZEV"), QStringLiteral("Pšenice ozimá 39")));
        t->Edit();
        t->FieldByName(QStringLiteral("NC"))->SetAsFloat(1.5);
        t->Post();
        t->Close();
        t->Open();
        QVERIFY(t->Locate(QStringLiteral("NAZEV"), QStringLiteral("Pšenice ozimá 39")));
        QCOMPARE(t->FieldByName(QStringLiteral("NC"))->AsFloat(), 1.5);
        QCOMPARE(t->RecordCount(), 40);
    }

    // A child process appends without end and is killed with SIGKILL: the table it leaves opens
    // and holds whole records; with single appends it holds every record whose Post returned.
    void killedWriterLeavesATableThatOpens_data() {
        QTest::addColumn<bool>("bulk");
        QTest::addColumn<bool>("exclusive");
        QTest::addColumn<bool>("fromMemory"); // SaveRecords of a memory table into the new table
        QTest::newRow("bulk appends") << true << true << false;
        QTest::newRow("records of a memory table") << true << true << true;
        QTest::newRow("exclusive appends") << false << true << false;
        QTest::newRow("shared appends") << false << false << false;
    }

    void killedWriterLeavesATableThatOpens() {
        QFETCH(bool, bulk);
        QFETCH(bool, exclusive);
        QFETCH(bool, fromMemory);
        const QString name =
            QStringLiteral("kill%1%2%3.dbf").arg(int(bulk)).arg(int(exclusive)).arg(int(fromMemory));
        // Far enough for several bulk blocks to have reached the file.
        const int wanted = bulk ? 10000 : 1500;
        int pipeFds[2];
        QVERIFY(::pipe(pipeFds) == 0);
        const pid_t child = ::fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            ::close(pipeFds[0]);
            try {
                auto t = table(name);
                t->CreateTable();
                if (fromMemory) {
                    TDsMemTable mem;
                    mem.SetFieldDefs(varietyDefs());
                    mem.Open();
                    append(mem, 1, 2 * wanted);
                    int i = 0;
                    // Moving to the next record means the one before is in the table; the copy
                    // then stands still in the middle, to be killed there.
                    mem.AfterScroll = [&](TDataSet&) {
                        if (++i <= wanted && ::write(pipeFds[1], &i, sizeof i) != sizeof i) ::_exit(2);
                        while (i == wanted)
                            ::pause();
                    };
                    mem.SaveRecords(*t, 0);
                    ::_exit(3);
                }
                t->Open();
                if (!bulk) {
                    t->Close();
                    t->SetExclusive(exclusive);
                    t->Open();
                }
                for (int i = 1;; ++i) {
                    append(*t, i, i);
                    // Tells the parent which record Post has returned for.
                    if (::write(pipeFds[1], &i, sizeof i) != sizeof i) ::_exit(2);
                }
            } catch (...) {
                ::_exit(1);
            }
        }
        ::close(pipeFds[1]);
        int posted = 0;
        while (posted < wanted && ::read(pipeFds[0], &posted, sizeof posted) == sizeof posted) {
        }
        ::kill(child, SIGKILL);
        for (int n; ::read(pipeFds[0], &n, sizeof n) == sizeof n;)
            posted = n;
        ::close(pipeFds[0]);
        int status = 0;
        ::waitpid(child, &status, 0);
        QVERIFY(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
        QVERIFY(posted >= wanted);

        auto t = table(name);
        t->Open(); // exclusive: a writer that is gone holds nothing
        const int count = t->RecordCount();
        if (bulk)
            QVERIFY(count >= 3000); // at least the first block of 256 KB (3496 records of 75 bytes)
        else
            QVERIFY(count >= posted);
        int i = 0;
        for (t->First(); !t->Eof(); t->Next()) {
            ++i;
            QCOMPARE(t->FieldByName(QStringLiteral("NAZEV"))->AsString(),
                     QStringLiteral("Pšenice ozimá %1").arg(i));
        }
        QCOMPARE(i, count);
        // The table takes further records after the ones it holds.
        append(*t, count + 1, count + 1);
        t->Close();
        verifyTable(name, count + 1);
    }

    // A disk that fills up (here a file size limit) in the middle of exclusive appends: the record
    // that no longer fits is refused with an error, not a crash, and every record posted before it
    // is in the table.
    void appendsUntilTheDiskIsFull() {
        const QString name = QStringLiteral("full.dbf");
        {
            auto t = table(name);
            t->CreateTable();
        }
        int pipeFds[2];
        QVERIFY(::pipe(pipeFds) == 0);
        const pid_t child = ::fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            ::close(pipeFds[0]);
            ::signal(SIGXFSZ, SIG_IGN);
            // Room for the first mapped window of 64 KB, not for the second.
            const rlimit limit{100000, 100000};
            if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) ::_exit(3);
            int posted = 0;
            try {
                auto t = table(name);
                t->Open();
                for (int i = 1; i < 10000; ++i) {
                    append(*t, i, i);
                    posted = i;
                }
            } catch (const EDatabaseError&) {
                const bool sent = ::write(pipeFds[1], &posted, sizeof posted) == sizeof posted;
                ::_exit(sent ? 0 : 2);
            } catch (...) {
            }
            ::_exit(1);
        }
        ::close(pipeFds[1]);
        int posted = -1;
        const bool got = ::read(pipeFds[0], &posted, sizeof posted) == sizeof posted;
        ::close(pipeFds[0]);
        int status = 0;
        ::waitpid(child, &status, 0);
        QVERIFY(WIFEXITED(status));
        QCOMPARE(WEXITSTATUS(status), 0);
        QVERIFY(got);
        // (100000 - 193 header bytes - 1 end marker) / 75 bytes a record
        QCOMPARE(posted, 1330);
        verifyTable(name, posted);
    }
};

QTEST_GUILESS_MAIN(TestDbfBulk)
#include "tst_dbf_bulk.moc"
