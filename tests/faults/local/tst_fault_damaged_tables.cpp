// A table file cut short or with its header overwritten between two runs of the program. The
// program starts, shows the table store's error where it needs the table, and goes on; the code
// lists come back from the server and the slot table is made anew, while a table that holds the
// user's data (the request, the export queue) is left exactly as it was found.
#include "RunFolder.h"

#include "print/PreviewWatch.h"
#include "tablestore/DsMemTable.h"

#include <QPushButton>

using namespace kvor;
using namespace kvor::testing;

namespace {

void damage(const QString& path, const QString& kind) {
    QByteArray b = bytesOf(path);
    if (kind == QLatin1String("empty file"))
        b.clear();
    else if (kind == QLatin1String("cut in the field descriptors"))
        b.truncate(32 + 40);
    else if (kind == QLatin1String("header overwritten"))
        b.replace(0, 32, QByteArray(32, '\0'));
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(b), b.size());
}

} // namespace

class TestFaultDamagedTables : public QObject {
    Q_OBJECT

    RunFolder m_run;

private slots:
    void initTestCase();
    void damagedTableBetweenRuns_data();
    void damagedTableBetweenRuns();
    void cleanupTestCase() { m_run.reset(); }
};

void TestFaultDamagedTables::initTestCase() {
    setUpApplication();
    m_run.make();
}

void TestFaultDamagedTables::damagedTableBetweenRuns_data() {
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QStringList>("errors"); // the errors the user is shown, in order
    QTest::addColumn<bool>("remade");        // the program makes the table anew; otherwise it stays as found
    for (const char* kind : {"empty file", "cut in the field descriptors", "header overwritten"}) {
        const QString error = QLatin1String(kind) == QLatin1String("header overwritten")
                                  ? QStringLiteral("Invalid database file")
                                  : QStringLiteral("Cannot read file");
        auto row = [&](const char* table, const QStringList& shown, bool remade) {
            QTest::addRow("%s, %s", table, kind)
                << QString::fromLatin1(table) << QString::fromLatin1(kind) << shown << remade;
        };
        row("zadost.dbf", {error, error}, false); // at start, at "Smazat"
        row("zadostex.dbf", {error}, false);      // at "Tisk" to a partner office
        row("zadost2.dbf", {}, true);
        row("cenik.dbf", {}, true);
        row("zadostad.dbf", {}, true);
    }
}

void TestFaultDamagedTables::damagedTableBetweenRuns() {
    QFETCH(QString, table);
    QFETCH(QString, kind);
    QFETCH(QStringList, errors);
    QFETCH(bool, remade);

    AppFolder folder;
    m_run.copyTo(folder);
    damage(folder.dataPath(table), kind);
    const QByteArray damaged = bytesOf(folder.dataPath(table));

    Seams seams;
    PreviewWatch previews;
    {
        auto form = startForm();
        QVERIFY(form); // no crash, and the editor came up
        QVERIFY(form->Online());
        // The code lists are there whatever happened to their files.
        QCOMPARE(form->DsMemTable33->RecordCount(),
                 int(m_run.tables[QStringLiteral("cenik.dbf")].rows.size()));

        // The commands that need the damaged table, as far as the window offers them.
        if (table == QLatin1String("zadost.dbf")) {
            QVERIFY(!form->ButtonTisk->isEnabled());
            QVERIFY(!form->ButtonStitek->isEnabled());
            QVERIFY(!form->ButtonZapsat->isEnabled());
            form->ButtonSmazat->click();
        } else if (table == QLatin1String("zadostex.dbf")) {
            form->Dbf5->Edit();
            form->Dbf5->FieldByName(QStringLiteral("POOT"))->SetAsString(m_run.partnerOffice);
            form->ButtonZapsat->click();
            QVERIFY(form->ButtonTisk->isEnabled());
            form->ButtonTisk->click();
            QCOMPARE(previews.pages.size(), 0);
        } else if (table == QLatin1String("zadost2.dbf")) {
            form->ButtonStitek->click();
            QCOMPARE(previews.pages.size(), 1);
        }
    }
    QCOMPARE(seams.errors, errors);

    // Every table reads with an independent reader; a table with the user's data is as it was found.
    for (auto it = m_run.tables.cbegin(); it != m_run.tables.cend(); ++it) {
        const QString path = folder.dataPath(it.key());
        if (it.key() == table && !remade) {
            QCOMPARE(bytesOf(path), damaged);
            continue;
        }
        const DbfReadResult read = dbfread(path);
        QVERIFY2(read.ok, qPrintable(it.key() + QStringLiteral(": ") + read.error));
        if (it.key() == QLatin1String("zadost2.dbf") && table == it.key()) {
            QVERIFY(!read.rows.isEmpty());
            for (const QString& number : column(read, QStringLiteral("id_trivan")))
                QCOMPARE(number, kSavedRequest);
        } else if (it.key() != QLatin1String("zadost2.dbf")) {
            QCOMPARE(column(read, read.names.first()), column(it.value(), it.value().names.first()));
        }
    }
}

QTEST_MAIN(TestFaultDamagedTables)
#include "tst_fault_damaged_tables.moc"
