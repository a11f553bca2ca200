// The grid model: columns, rows in dataset order, the current row following the dataset and
// moving it, and the walk that must leave the dataset as it found it.
#include "TestTable.h"
#include "widgets/DataSetTableModel.h"
#include "widgets/ErrorBox.h"

#include <QHeaderView>
#include <QSignalSpy>
#include <QtTest>

using namespace kvor;
using kvor::test::TTestTable;

namespace {

TFieldDefs varietyDefs() {
    return {{"NAZEVOSIVA", ftString, 40}, {"DRUH", ftString, 2}, {"CENA", ftFloat, 0}, {"DATUM", ftDate, 0}};
}

struct Varieties {
    TTestTable table{varietyDefs()};
    int afterScroll = 0;
    explicit Varieties(bool open = true) {
        table.AddRecord({"pšenice ozimá", "11", 12.5, QDate(2012, 1, 2)});
        table.AddRecord({"hrách", "41", 3.0, QDate(1899, 12, 30)});
        table.AddRecord({"chmel", "60", QVariant(), QVariant()});
        table.AddRecord({"ječmen jarní", "12", 1.25, QDate(2011, 5, 6)});
        table.AfterScroll = [this](TDataSet&) { ++afterScroll; };
        if (open) table.Open();
    }
    QString name() const { return table.FieldByName("NAZEVOSIVA")->AsString(); }
};

QStringList column(const QAbstractItemModel& model, int c) {
    QStringList cells;
    for (int r = 0; r < model.rowCount(); ++r)
        cells << model.index(r, c).data().toString();
    return cells;
}

} // namespace

class TestGrid : public QObject {
    Q_OBJECT
private slots:
    void columnsAndRows_data();
    void columnsAndRows();
    void currentRowFollowsTheDataSet_data();
    void currentRowFollowsTheDataSet();
    void choosingARowMovesTheDataSet();
    void sortingReordersTheRows();
    void walkLeavesTheDataSetAsItWas();
    void noWalkWhileEditingOrHoldingBrowseValues();
    void closingEmptiesTheModel();
    void gridWidthsTitleClickAndSelection();
};

void TestGrid::columnsAndRows_data() {
    QTest::addColumn<QList<TGridColumn>>("columns");
    QTest::addColumn<QStringList>("titles");
    QTest::addColumn<QStringList>("firstColumn");
    QStringList names{"pšenice ozimá", "hrách", "chmel", "ječmen jarní"};
    QTest::newRow("one chosen column")
        << QList<TGridColumn>{{"NAZEVOSIVA", "Název osiva", 330}} << QStringList{"Název osiva"} << names;
    QTest::newRow("title defaults to the name")
        << QList<TGridColumn>{{"DRUH", "", 40}, {"NAZEVOSIVA", "Název", 100}} << QStringList{"DRUH", "Název"}
        << QStringList{"11", "41", "60", "12"};
    QTest::newRow("all fields") << QList<TGridColumn>{} << QStringList{"NAZEVOSIVA", "DRUH", "CENA", "DATUM"}
                                << names;
    QTest::newRow("numbers in Czech form") << QList<TGridColumn>{{"CENA", "Cena", 60}} << QStringList{"Cena"}
                                           << QStringList{"12,5", "3", "", "1,25"};
    QTest::newRow("day zero shows empty")
        << QList<TGridColumn>{{"DATUM", "Datum", 60}} << QStringList{"Datum"}
        << QStringList{"2.1.2012", "", "", "6.5.2011"};
}

void TestGrid::columnsAndRows() {
    QFETCH(QList<TGridColumn>, columns);
    QFETCH(QStringList, titles);
    QFETCH(QStringList, firstColumn);
    Varieties v;
    TDataSetTableModel model(&v.table);
    model.SetColumns(columns);
    QCOMPARE(model.columnCount(), titles.size());
    for (int c = 0; c < titles.size(); ++c)
        QCOMPARE(model.headerData(c, Qt::Horizontal).toString(), titles[c]);
    QCOMPARE(model.rowCount(), 4);
    QCOMPARE(column(model, 0), firstColumn);
    QCOMPARE(model.CurrentRow(), 0);
    QCOMPARE(v.table.RecNo(), 1);
}

void TestGrid::currentRowFollowsTheDataSet_data() {
    QTest::addColumn<QString>("move");
    QTest::addColumn<int>("row");
    QTest::newRow("Next") << "next" << 1;
    QTest::newRow("Last") << "last" << 3;
    QTest::newRow("Locate") << "locate" << 2;
    QTest::newRow("MoveBy") << "moveby" << 2;
    QTest::newRow("First after Last") << "lastfirst" << 0;
}

void TestGrid::currentRowFollowsTheDataSet() {
    QFETCH(QString, move);
    QFETCH(int, row);
    Varieties v;
    TDataSetTableModel model(&v.table);
    QSignalSpy spy(&model, &TDataSetTableModel::currentRowChanged);
    if (move == "next") v.table.Next();
    if (move == "last") v.table.Last();
    if (move == "locate") QVERIFY(v.table.Locate("DRUH", "60"));
    if (move == "moveby") v.table.MoveBy(2);
    if (move == "lastfirst") {
        v.table.Last();
        v.table.First();
    }
    QCOMPARE(model.CurrentRow(), row); // at once, without waiting for a walk
    QVERIFY(!spy.isEmpty());
    QCOMPARE(spy.last().at(0).toInt(), row);
}

void TestGrid::choosingARowMovesTheDataSet() {
    Varieties v;
    TDataSetTableModel model(&v.table);
    model.SetCurrentRow(2);
    QCOMPARE(v.name(), QStringLiteral("chmel"));
    QCOMPARE(model.CurrentRow(), 2);
    model.SetCurrentRow(0);
    QCOMPARE(v.name(), QStringLiteral("pšenice ozimá"));

    // A row chosen while the dataset is edited posts the edit on the way, as a move does.
    v.table.Edit();
    v.table.FieldByName("DRUH")->SetValue("99");
    model.SetCurrentRow(3);
    QCOMPARE(v.table.State(), TDataSetState::dsBrowse);
    QCOMPARE(v.table.StoredValue(0, "DRUH").toString(), QStringLiteral("99"));
    QCOMPARE(v.name(), QStringLiteral("ječmen jarní"));
}

void TestGrid::sortingReordersTheRows() {
    Varieties v;
    TDataSetTableModel model(&v.table);
    model.AddColumn("NAZEVOSIVA", "Název osiva", 330);
    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
    v.table.SortBy("NAZEVOSIVA");
    QVERIFY(reset.wait(1000)); // one walk after the change, from the event loop
    // Czech order: "ch" after "h"
    QCOMPARE(column(model, 0), (QStringList{"hrách", "chmel", "ječmen jarní", "pšenice ozimá"}));
    QCOMPARE(model.CurrentRow(), 0);

    // A change that keeps the records (a locate) costs no reset of the view.
    reset.clear();
    QVERIFY(v.table.Locate("DRUH", "12"));
    QCOMPARE(model.CurrentRow(), 2);
    QTest::qWait(20);
    QCOMPARE(reset.count(), 0);
}

void TestGrid::walkLeavesTheDataSetAsItWas() {
    Varieties v;
    TDataSetTableModel model(&v.table);
    v.table.Next();
    v.table.Next();
    int scrolls = v.afterScroll;
    model.Reload();
    QCOMPARE(v.name(), QStringLiteral("chmel"));
    QCOMPARE(v.afterScroll, scrolls); // the walk is not the user's move
    QVERIFY(!v.table.Eof());

    // At the end of data a caller's "while not Eof" loop must still end.
    v.table.Last();
    v.table.Next();
    QVERIFY(v.table.Eof());
    model.Reload();
    QVERIFY(v.table.Eof());
    QCOMPARE(v.name(), QStringLiteral("ječmen jarní"));
    v.table.First();
    QVERIFY(v.table.Bof());
    model.Reload();
    QVERIFY(v.table.Bof());
}

void TestGrid::noWalkWhileEditingOrHoldingBrowseValues() {
    Varieties v;
    v.table.SetBrowseWrites(true);
    TDataSetTableModel model(&v.table);
    model.AddColumn("NAZEVOSIVA");
    v.table.Next();

    // A value set while browsing lives in the record buffer until the cursor moves.
    v.table.FieldByName("NAZEVOSIVA")->SetValue("hrách setý");
    QCOMPARE(model.index(1, 0).data().toString(), QStringLiteral("hrách setý"));
    model.Reload();
    QTest::qWait(20);
    QCOMPARE(v.name(), QStringLiteral("hrách setý"));
    QCOMPARE(v.table.RecNo(), 2);

    v.table.Edit();
    v.table.FieldByName("DRUH")->SetValue("42");
    model.Reload();
    QCOMPARE(v.table.State(), TDataSetState::dsEdit);
    v.table.Post();
    QTest::qWait(20);
    QCOMPARE(column(model, 0), (QStringList{"pšenice ozimá", "hrách setý", "chmel", "ječmen jarní"}));

    // A new record appears once it is posted.
    v.table.Append();
    v.table.FieldByName("NAZEVOSIVA")->SetValue("oves");
    QCOMPARE(model.rowCount(), 4);
    v.table.Post();
    QTRY_COMPARE(model.rowCount(), 5);
    QCOMPARE(model.CurrentRow(), 4);
}

void TestGrid::closingEmptiesTheModel() {
    Varieties v;
    TDataSetTableModel model(&v.table);
    QCOMPARE(model.columnCount(), 4);
    v.table.Close();
    QCOMPARE(model.rowCount(), 0);
    QCOMPARE(model.columnCount(), 0);
    QCOMPARE(model.CurrentRow(), -1);
    v.table.Open();
    QTRY_COMPARE(model.rowCount(), 4);
    QCOMPARE(model.columnCount(), 4);

    Varieties closed(false);
    TDataSetTableModel none(&closed.table);
    QCOMPARE(none.rowCount(), 0);
}

void TestGrid::gridWidthsTitleClickAndSelection() {
    Varieties v;
    TDataSetTableModel model(&v.table);
    model.AddColumn("NAZEVOSIVA", "Název osiva", 330);
    model.AddColumn("DRUH", "Druh", 40);
    TDBGrid grid;
    grid.SetGridModel(&model);
    grid.resize(420, 200);
    grid.show();
    QCOMPARE(grid.columnWidth(0), 330);
    QCOMPARE(grid.columnWidth(1), 40);
    QCOMPARE(grid.currentIndex().row(), 0);

    QSignalSpy titles(&grid, &TDBGrid::titleClicked);
    emit grid.horizontalHeader()->sectionClicked(1);
    QCOMPARE(titles.size(), 1);
    QCOMPARE(titles[0].at(0).toInt(), 1);
    QCOMPARE(titles[0].at(1).toString(), QStringLiteral("DRUH"));

    // A click on a row moves the dataset; a move of the dataset moves the selection.
    QRect cell = grid.visualRect(model.index(2, 0));
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, cell.center());
    QCOMPARE(v.name(), QStringLiteral("chmel"));
    v.table.Last();
    QCOMPARE(grid.currentIndex().row(), 3);
    QCOMPARE(grid.selectionModel()->selectedRows().value(0).row(), 3);

    QSignalSpy doubles(&grid, &TDBGrid::rowDoubleClicked);
    cell = grid.visualRect(model.index(1, 1));
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, cell.center()); // the first click of the two
    QTest::mouseDClick(grid.viewport(), Qt::LeftButton, {}, cell.center());
    QCOMPARE(doubles.size(), 1);
    QCOMPARE(doubles[0].at(0).toInt(), 1);
    QCOMPARE(v.name(), QStringLiteral("hrách"));
}

QTEST_MAIN(TestGrid)
#include "tst_grid.moc"
