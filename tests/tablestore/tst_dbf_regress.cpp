// Damaged and unusual files kept from fuzzing: each is either refused with a database error or
// opens and can be read to its end in both directions, and then survives the changes the fuzz
// target makes (run under the sanitizers too).
#include "ExerciseTable.h"
#include "tablestore/DsDbfTable.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace kvor;

class TestDbfRegress : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void filesOpenOrAreRefused_data() {
        QTest::addColumn<QString>("file");
        const QStringList folders{QStringLiteral(KVOR_SOURCE_DIR "/fuzz/tablestore/corpus"),
                                  QStringLiteral(KVOR_SOURCE_DIR "/fuzz/tablestore/regressions")};
        int rows = 0;
        for (const QString& folder : folders) {
            const QDir dir(folder);
            for (const QString& name : dir.entryList(QDir::Files, QDir::Name)) {
                QTest::newRow(qPrintable(dir.dirName() + u'/' + name)) << dir.filePath(name);
                ++rows;
            }
        }
        QVERIFY(rows > 0);
    }

    void filesOpenOrAreRefused() {
        QFETCH(QString, file);
        QVERIFY(m_dir.isValid());
        const QString copy = m_dir.filePath(QStringLiteral("regress.dbf"));
        QFile::remove(copy);
        QVERIFY(QFile::copy(file, copy));
        QFile::setPermissions(copy, QFile::ReadOwner | QFile::WriteOwner);

        for (bool showDeleted : {false, true}) {
            TDsDatabase db;
            db.SetDatabaseName(m_dir.path());
            TDsDbfTable t;
            t.SetDatabase(&db);
            t.SetTableName(QStringLiteral("regress.dbf"));
            t.SetBufferRecords(3);
            t.SetShowDeleted(showDeleted);
            try {
                t.Open();
            } catch (const EDatabaseError& e) {
                QVERIFY(!e.message().isEmpty());
                QVERIFY(!t.Active());
                continue;
            }
            QVERIFY(t.FieldCount() > 0);
            int forward = 0, backward = 0;
            for (t.First(); !t.Eof(); t.Next(), ++forward)
                for (int i = 0; i < t.FieldCount(); ++i)
                    (void)t.Fields(i)->AsString();
            for (t.Last(); !t.Bof(); t.Prior(), ++backward)
                for (int i = 0; i < t.FieldCount(); ++i)
                    (void)t.Fields(i)->AsString();
            QCOMPARE(backward, forward);
            QVERIFY(forward <= t.RecordCount());
        }
        fuzzing::exerciseTable(m_dir.path(), QStringLiteral("regress.dbf"));
    }
};

QTEST_GUILESS_MAIN(TestDbfRegress)
#include "tst_dbf_regress.moc"
