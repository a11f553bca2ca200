// The bindings over the program's own tables: the request table (a dBase table, which takes
// values while browsing) and the variety list (a memory table, which does not).
#include "tablestore/DsDbfTable.h"
#include "tablestore/DsMemTable.h"
#include "widgets/DBControls.h"
#include "widgets/DataSetTableModel.h"
#include "widgets/ErrorBox.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <QtTest>

using namespace kvor;

class TestTables : public QObject {
    Q_OBJECT
private slots:
    void requestTableEditing();
    void varietyGridSortsOnTitleClick();
    void memoryTableEditedThroughAControl();
};

void TestTables::requestTableEditing() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QStringList errors;
    TErrorReporterScope reporter([&](const QString& text) { errors << text; });
    TDsDatabase database;
    database.SetDatabaseName(dir.path());
    TDsDbfTable Dbf5;
    Dbf5.SetName("Dbf5");
    Dbf5.SetDatabase(&database);
    Dbf5.SetTableName("zadost.dbf");
    Dbf5.SetFieldDefs({{"ROK", ftString, 4},
                       {"PRIHLASKA", ftString, 5},
                       {"PARTIECELA", ftString, 16},
                       {"DATUMODBER", ftDate, 0},
                       {"OPAKHH", ftString, 1}});
    Dbf5.CreateTable();
    Dbf5.Open();
    Dbf5.Append();
    Dbf5.FieldByName("OPAKHH")->SetValue("N");
    Dbf5.Post();
    int afterEdit = 0;
    Dbf5.AfterEdit = [&](TDataSet&) { ++afterEdit; };

    QWidget window;
    TDataSource source(&Dbf5);
    auto* rok = new TDBEdit(&window);
    auto* prihlaska = new TDBEdit(&window);
    auto* partie = new TDBEdit(&window);
    auto* odber = new TDBDateEdit(&window);
    auto* opakhh = new TDBCheckBox("Opakovat při HH", &window);
    auto* layout = new QVBoxLayout(&window);
    auto bind = [&](auto* control, const char* field) {
        control->SetDataSource(&source);
        control->SetDataField(QString::fromLatin1(field));
        layout->addWidget(control);
    };
    bind(rok, "ROK");
    bind(prihlaska, "PRIHLASKA");
    bind(partie, "PARTIECELA");
    bind(odber, "DATUMODBER");
    bind(opakhh, "OPAKHH");
    window.show();
    QApplication::setActiveWindow(&window);
    QCOMPARE(prihlaska->maxLength(), 5);

    // A start-up value written while browsing: shown at once, no edit, no AfterEdit.
    Dbf5.FieldByName("ROK")->SetValue("2012");
    QCOMPARE(rok->text(), QStringLiteral("2012"));
    QCOMPARE(Dbf5.State(), TDataSetState::dsBrowse);
    QCOMPARE(afterEdit, 0);

    // The lot number rule on leaving the field, writing while the dataset is edited.
    connect(prihlaska, &TDBEdit::exited, [&] {
        TField* f = Dbf5.FieldByName("PRIHLASKA");
        f->SetValue(f->AsString().rightJustified(5, u'0'));
        Dbf5.FieldByName("PARTIECELA")->SetValue("12-" + f->AsString());
    });
    prihlaska->setFocus();
    QTest::keyClick(prihlaska, '7');
    QCOMPARE(afterEdit, 1);
    QCOMPARE(Dbf5.State(), TDataSetState::dsEdit);
    odber->setFocus();
    QCOMPARE(prihlaska->text(), QStringLiteral("00007"));
    QCOMPARE(partie->text(), QStringLiteral("12-00007"));
    QTest::keyClicks(odber, "10.11.1999");
    QTest::mouseClick(opakhh, Qt::LeftButton, {}, opakhh->rect().center());
    QCOMPARE(Dbf5.FieldByName("DATUMODBER")->Value(), QVariant(QDate(1999, 11, 10)));
    Dbf5.Post();
    QVERIFY(errors.isEmpty());

    // What the controls wrote is in the file, the browse-time value with it.
    Dbf5.Close();
    Dbf5.Open();
    QCOMPARE(Dbf5.FieldByName("ROK")->AsString(), QStringLiteral("2012"));
    QCOMPARE(Dbf5.FieldByName("PRIHLASKA")->AsString(), QStringLiteral("00007"));
    QCOMPARE(Dbf5.FieldByName("PARTIECELA")->AsString(), QStringLiteral("12-00007"));
    QCOMPARE(Dbf5.FieldByName("DATUMODBER")->Value(), QVariant(QDate(1999, 11, 10)));
    QCOMPARE(Dbf5.FieldByName("OPAKHH")->AsString(), QStringLiteral("A"));
    QCOMPARE(odber->text(), QStringLiteral("10.11.1999"));
    QVERIFY(opakhh->isChecked());
}

void TestTables::varietyGridSortsOnTitleClick() {
    TDsMemTable DsMemTable33;
    DsMemTable33.SetFieldDefs({{"NAZEVOSIVA", ftString, 40}, {"DRUH", ftString, 2}});
    DsMemTable33.Open();
    for (auto [name, kind] :
         {std::pair{"pšenice ozimá", "11"}, {"hrách", "41"}, {"chmel", "60"}, {"cibule", "70"}}) {
        DsMemTable33.Append();
        DsMemTable33.FieldByName("NAZEVOSIVA")->SetValue(QString::fromUtf8(name));
        DsMemTable33.FieldByName("DRUH")->SetValue(QString::fromUtf8(kind));
        DsMemTable33.Post();
    }
    DsMemTable33.First();
    DsMemTable33.Next(); // "hrách"

    TDataSetTableModel model(&DsMemTable33);
    model.AddColumn("NAZEVOSIVA", "Název osiva", 330);
    TDBGrid grid;
    grid.SetGridModel(&model);
    connect(&grid, &TDBGrid::titleClicked,
            [&](int, const QString& field) { DsMemTable33.SortByFields(field); });
    QCOMPARE(model.CurrentRow(), 1);

    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
    model.TitleClick(0);
    QVERIFY(reset.wait(1000));
    QStringList names;
    for (int r = 0; r < model.rowCount(); ++r)
        names << model.index(r, 0).data().toString();
    QCOMPARE(names, (QStringList{"cibule", "hrách", "chmel", "pšenice ozimá"}));
    // the record stays current and the selection goes with it
    QCOMPARE(DsMemTable33.FieldByName("NAZEVOSIVA")->AsString(), QStringLiteral("hrách"));
    QCOMPARE(model.CurrentRow(), 1);
    QCOMPARE(grid.currentIndex().row(), 1);
}

void TestTables::memoryTableEditedThroughAControl() {
    QStringList errors;
    TErrorReporterScope reporter([&](const QString& text) { errors << text; });
    TDsMemTable table;
    table.SetFieldDefs({{"NAZEV", ftString, 10}});
    table.Open();
    table.Append();
    table.FieldByName("NAZEV")->SetValue("oves");
    table.Post();
    // The memory table takes no values while browsing; a rule that tries is told so.
    QVERIFY_THROWS_EXCEPTION(EDatabaseError, table.FieldByName("NAZEV")->SetValue("x"));

    QWidget window;
    TDataSource source(&table);
    auto* edit = new TDBEdit(&window);
    edit->SetDataSource(&source);
    edit->SetDataField("NAZEV");
    TDataSetTableModel model(&table);
    window.show();
    QApplication::setActiveWindow(&window);
    edit->setFocus();
    edit->end(false);
    QTest::keyClicks(edit, " nahy");
    QCOMPARE(table.State(), TDataSetState::dsEdit);
    QCOMPARE(model.index(0, 0).data().toString(), QStringLiteral("oves nahy")); // the grid shows the edit
    table.Post();
    QCOMPARE(table.FieldByName("NAZEV")->AsString(), QStringLiteral("oves nahy"));
    QVERIFY(errors.isEmpty());
}

QTEST_MAIN(TestTables)
#include "tst_tables.moc"
