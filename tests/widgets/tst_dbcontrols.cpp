// Bound controls: the user's first change starts editing, values set while browsing show at
// once, and each control stores what the request editor stores.
#include "TestTable.h"
#include "widgets/DBControls.h"
#include "widgets/ErrorBox.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QLabel>
#include <QToolButton>
#include <QVBoxLayout>
#include <QtTest>

using namespace kvor;
using kvor::test::TTestTable;

namespace {

const QList<QPair<QString, QString>> kKinds = {{"první uznání osiva", "U"},
                                               {"opakované vzorkování", "O"},
                                               {"uznání po úpravě osiva", "1"},
                                               {"ověření jakosti", "P"},
                                               {"dovoz", "D"},
                                               {"informativní", "I"}};

TFieldDefs requestDefs() {
    return {{"NAZEV", ftString, 10}, {"ZADOST_O", ftString, 1}, {"OPAKHH", ftString, 1},
            {"DATUM", ftDate, 0},    {"MNOZSTVI", ftFloat, 0},  {"MJ", ftString, 3}};
}

// QTest::keyClicks knows ASCII only; Czech letters go as key events that carry their text.
void typeText(QWidget* widget, const QString& text) {
    for (QChar ch : text) {
        if (ch.unicode() < 128) {
            QTest::keyClick(widget, char(ch.unicode()));
            continue;
        }
        QTest::sendKeyEvent(QTest::Press, widget, Qt::Key_unknown, QString(ch), Qt::NoModifier);
        QTest::sendKeyEvent(QTest::Release, widget, Qt::Key_unknown, QString(ch), Qt::NoModifier);
    }
}

// A window with one control of each kind bound to a two-record table, and a plain edit to move
// the focus to.
struct Form {
    QWidget window;
    TTestTable table{requestDefs()};
    TDataSource source{nullptr};
    TDBEdit* name = new TDBEdit(&window);
    TDBComboBox* kind = new TDBComboBox(&window);
    TDBComboBox* unit = new TDBComboBox(&window);
    TDBCheckBox* repeat = new TDBCheckBox(QStringLiteral("Opakovat při HH"), &window);
    TDBDateEdit* date = new TDBDateEdit(&window);
    TDBEdit* quantity = new TDBEdit(&window);
    QLineEdit* elsewhere = new QLineEdit(&window);
    int afterEdit = 0;
    QStringList errors;
    TErrorReporterScope reporter{[this](const QString& text) { errors << text; }};

    explicit Form(bool browseWrites = true) {
        table.SetBrowseWrites(browseWrites);
        table.AddRecord({"Pšenice", "P", "A", QDate(2012, 2, 1), 12.5, "kg"});
        table.AddRecord({"Ječmen", "U", "N", QDate(1899, 12, 30), QVariant(), "t"});
        table.AfterEdit = [this](TDataSet&) { ++afterEdit; };
        source.SetDataSet(&table);
        for (auto [text, code] : kKinds)
            kind->addItem(text, code); // filled after binding in some tests
        unit->setEditable(true);
        unit->addItems({"kg", "t", "g", "VJ"});
        auto* layout = new QVBoxLayout(&window);
        for (QWidget* w :
             std::initializer_list<QWidget*>{name, kind, unit, repeat, date, quantity, elsewhere})
            layout->addWidget(w);
        bind(name, "NAZEV");
        bind(kind, "ZADOST_O");
        bind(unit, "MJ");
        bind(repeat, "OPAKHH");
        bind(date, "DATUM");
        bind(quantity, "MNOZSTVI");
        table.Open();
        window.show();
        QApplication::setActiveWindow(&window);
    }
    template <typename Control> void bind(Control* control, const char* field) {
        control->SetDataSource(&source);
        control->SetDataField(QString::fromLatin1(field));
    }
    QVariant value(const char* field) const { return table.FieldByName(QString::fromLatin1(field))->Value(); }
    void leave() { elsewhere->setFocus(Qt::TabFocusReason); }
};

} // namespace

class TestDBControls : public QObject {
    Q_OBJECT
private slots:
    void firstChangeStartsEditing_data();
    void firstChangeStartsEditing();
    void browseWritesShowWithoutStateChange();
    void lineEditLengthIsTheFieldWidth_data();
    void lineEditLengthIsTheFieldWidth();
    void numberIsWrittenWhenTyped_data();
    void numberIsWrittenWhenTyped();
    void exitedFollowsTheWrite();
    void checkBoxShowsAndStoresAN_data();
    void checkBoxShowsAndStoresAN();
    void fixedComboShowsTextStoresCode_data();
    void fixedComboShowsTextStoresCode();
    void fixedComboChoiceStoresCode();
    void fixedComboListFilledAfterBinding();
    void editableComboStoresText();
    void dateEditShowsEmptyDateEmpty_data();
    void dateEditShowsEmptyDateEmpty();
    void dateEditWritesOnLeaving_data();
    void dateEditWritesOnLeaving();
    void calendarNavigationAndPick();
    void controlsFollowScrollCancelAndClose();
    void refusedChangesLeaveTheDataSetAlone();
    void dataSetDestroyedBeforeItsControls();
};

void TestDBControls::firstChangeStartsEditing_data() {
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QVariant>("afterTwoKeys"); // the field after two keystrokes
    QTest::newRow("line edit") << "name"
                               << "NAZEV" << QVariant("PšeniceXY");
    QTest::newRow("editable list") << "unit"
                                   << "MJ" << QVariant("kgX");
    QTest::newRow("number edit") << "quantity"
                                 << "MNOZSTVI" << QVariant(12.512);
    QTest::newRow("date edit: written on leaving") << "date"
                                                   << "DATUM" << QVariant(QDate(2012, 2, 1));
}

void TestDBControls::firstChangeStartsEditing() {
    QFETCH(QString, control);
    QFETCH(QString, field);
    QFETCH(QVariant, afterTwoKeys);
    Form form;
    QMap<QString, QWidget*> byName{
        {"name", form.name}, {"unit", form.unit}, {"quantity", form.quantity}, {"date", form.date}};
    QWidget* w = byName.value(control);
    w->setFocus(Qt::TabFocusReason);
    if (auto* line = qobject_cast<QLineEdit*>(w)) line->end(false);
    if (auto* combo = qobject_cast<QComboBox*>(w)) combo->lineEdit()->end(false);
    QWidget* target = qobject_cast<QComboBox*>(w) ? static_cast<QWidget*>(form.unit->lineEdit()) : w;
    const char* keys = control == "quantity" ? "12" : (control == "date" ? "91" : "XY");

    QTest::keyClick(target, keys[0]);
    QCOMPARE(form.table.State(), TDataSetState::dsEdit);
    QCOMPARE(form.afterEdit, 1); // the editor's buttons change at the first keystroke
    QTest::keyClick(target, keys[1]);
    QCOMPARE(form.afterEdit, 1);
    QCOMPARE(form.table.FieldByName(field)->Value(), afterTwoKeys);
    QVERIFY(form.errors.isEmpty());
}

void TestDBControls::browseWritesShowWithoutStateChange() {
    Form form;
    form.table.FieldByName("NAZEV")->SetValue("Oves");
    form.table.FieldByName("ZADOST_O")->SetValue("D");
    form.table.FieldByName("OPAKHH")->SetValue("N");
    form.table.FieldByName("DATUM")->SetValue(QDate(2013, 11, 10));
    form.table.FieldByName("MJ")->SetValue("VJ");
    form.table.FieldByName("MNOZSTVI")->SetValue(3.25);

    QCOMPARE(form.name->text(), QStringLiteral("Oves"));
    QCOMPARE(form.kind->currentText(), QStringLiteral("dovoz"));
    QVERIFY(!form.repeat->isChecked());
    QCOMPARE(form.date->text(), QStringLiteral("10.11.2013"));
    QCOMPARE(form.unit->currentText(), QStringLiteral("VJ"));
    QCOMPARE(form.quantity->text(), QStringLiteral("3,25"));
    QCOMPARE(form.table.State(), TDataSetState::dsBrowse);
    QCOMPARE(form.afterEdit, 0);
    QVERIFY(form.table.Modified());
}

void TestDBControls::lineEditLengthIsTheFieldWidth_data() {
    QTest::addColumn<int>("ownLimit");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("stored");
    QTest::newRow("field width 10") << 0 << "Kukuřice setá"
                                    << "Kukuřice s";
    QTest::newRow("smaller own limit") << 4 << "123456"
                                       << "1234";
    QTest::newRow("own limit above the width") << 40 << "Kukuřice setá"
                                               << "Kukuřice s";
}

void TestDBControls::lineEditLengthIsTheFieldWidth() {
    QFETCH(int, ownLimit);
    QFETCH(QString, typed);
    QFETCH(QString, stored);
    Form form;
    form.name->SetMaxLength(ownLimit);
    form.name->setFocus();
    form.name->selectAll();
    typeText(form.name, typed);
    QCOMPARE(form.name->text(), stored);
    QCOMPARE(form.value("NAZEV").toString(), stored);
}

void TestDBControls::numberIsWrittenWhenTyped_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QVariant>("stored");
    QTest::addColumn<QString>("shownAfterLeaving");
    QTest::addColumn<bool>("refused");
    QTest::newRow("decimal comma") << "1,5" << QVariant(1.5) << "1,5" << false;
    QTest::newRow("shown in the field's form") << "12,50" << QVariant(12.5) << "12,5" << false;
    QTest::newRow("emptied") << "" << QVariant() << "" << false;
    QTest::newRow("not a number") << "1,5x" << QVariant(1.5) << "1,5x" << true;
}

void TestDBControls::numberIsWrittenWhenTyped() {
    QFETCH(QString, typed);
    QFETCH(QVariant, stored);
    QFETCH(QString, shownAfterLeaving);
    QFETCH(bool, refused);
    Form form;
    int exits = 0;
    connect(form.quantity, &TDBEdit::exited, [&] { ++exits; });
    form.quantity->setFocus();
    form.quantity->selectAll();
    QTest::keyClick(form.quantity, Qt::Key_Delete);
    typeText(form.quantity, typed);
    form.leave();
    QCOMPARE(form.value("MNOZSTVI"), stored);
    QCOMPARE(form.quantity->text(), shownAfterLeaving);
    QCOMPARE(form.errors.size(), refused ? 1 : 0);
    QCOMPARE(exits, refused ? 0 : 1);
    if (refused) {
        QCOMPARE(form.errors[0], QStringLiteral("'1,5x' není platné číslo."));
        QVERIFY(form.quantity->hasFocus()); // the user stays in the field to mend it
        QVERIFY(form.quantity->Pending());
    }
}

void TestDBControls::exitedFollowsTheWrite() {
    Form form;
    QStringList seen;
    // A rule on leaving reads the field and writes another one, as the lot number rule does.
    connect(form.name, &TDBEdit::exited, [&] {
        seen << form.value("NAZEV").toString();
        form.table.FieldByName("MJ")->SetValue("g");
    });
    form.name->setFocus();
    form.leave(); // leaving without a change runs the rule too
    QCOMPARE(seen, QStringList{"Pšenice"});
    QCOMPARE(form.table.State(), TDataSetState::dsBrowse);
    QCOMPARE(form.unit->currentText(), QStringLiteral("g"));

    form.name->setFocus();
    form.name->selectAll();
    typeText(form.name, "Žito");
    form.leave();
    QCOMPARE(seen, (QStringList{"Pšenice", "Žito"}));

    // A drop-down taking the focus is not leaving.
    form.name->setFocus();
    QFocusEvent popup(QEvent::FocusOut, Qt::PopupFocusReason);
    QApplication::sendEvent(form.name, &popup);
    QCOMPARE(seen.size(), 2);
}

void TestDBControls::checkBoxShowsAndStoresAN_data() {
    QTest::addColumn<QVariant>("stored");
    QTest::addColumn<bool>("shownChecked");
    QTest::addColumn<QString>("afterClick");
    QTest::newRow("A") << QVariant("A") << true << "N";
    QTest::newRow("N") << QVariant("N") << false << "A";
    QTest::newRow("lower-case a") << QVariant("a") << true << "N";
    QTest::newRow("null") << QVariant() << false << "A";
}

void TestDBControls::checkBoxShowsAndStoresAN() {
    QFETCH(QVariant, stored);
    QFETCH(bool, shownChecked);
    QFETCH(QString, afterClick);
    Form form;
    form.table.FieldByName("OPAKHH")->SetValue(stored);
    QCOMPARE(form.repeat->isChecked(), shownChecked);
    QTest::mouseClick(form.repeat, Qt::LeftButton, {}, form.repeat->rect().center());
    QCOMPARE(form.value("OPAKHH").toString(), afterClick);
    QCOMPARE(form.table.State(), TDataSetState::dsEdit);
    QCOMPARE(form.afterEdit, 1);
    QCOMPARE(form.repeat->isChecked(), !shownChecked);
}

void TestDBControls::fixedComboShowsTextStoresCode_data() {
    QTest::addColumn<QVariant>("code");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("shown");
    QTest::newRow("U") << QVariant("U") << 0 << "první uznání osiva";
    QTest::newRow("digit code") << QVariant("1") << 2 << "uznání po úpravě osiva";
    QTest::newRow("I") << QVariant("I") << 5 << "informativní";
    QTest::newRow("unknown code") << QVariant("X") << -1 << "";
    QTest::newRow("null") << QVariant() << -1 << "";
}

void TestDBControls::fixedComboShowsTextStoresCode() {
    QFETCH(QVariant, code);
    QFETCH(int, index);
    QFETCH(QString, shown);
    Form form;
    form.table.FieldByName("ZADOST_O")->SetValue(code);
    QCOMPARE(form.kind->currentIndex(), index);
    QCOMPARE(form.kind->currentText(), shown);
    QCOMPARE(form.table.State(), TDataSetState::dsBrowse);
}

void TestDBControls::fixedComboChoiceStoresCode() {
    Form form;
    form.kind->setFocus();
    QCOMPARE(form.kind->currentText(), QStringLiteral("ověření jakosti"));
    QTest::keyClick(form.kind, Qt::Key_Down);
    QCOMPARE(form.kind->currentText(), QStringLiteral("dovoz"));
    QCOMPARE(form.value("ZADOST_O").toString(), QStringLiteral("D"));
    QCOMPARE(form.table.State(), TDataSetState::dsEdit);
    form.table.Cancel();

    // Choosing what is already there is no change.
    emit form.kind->activated(3);
    QCOMPARE(form.table.State(), TDataSetState::dsBrowse);
    QCOMPARE(form.afterEdit, 1);
}

void TestDBControls::fixedComboListFilledAfterBinding() {
    Form form;
    form.kind->clear();
    QCOMPARE(form.kind->currentIndex(), -1);
    // Filling the list would make the first item current; the field decides.
    for (auto [text, code] : kKinds)
        form.kind->addItem(text, code);
    QCOMPARE(form.kind->currentText(), QStringLiteral("ověření jakosti"));
    QCOMPARE(form.table.State(), TDataSetState::dsBrowse);
    QCOMPARE(form.afterEdit, 0);
}

void TestDBControls::editableComboStoresText() {
    Form form;
    form.unit->setFocus();
    form.unit->lineEdit()->selectAll();
    typeText(form.unit, "q");
    QCOMPARE(form.value("MJ").toString(), QStringLiteral("q"));
    QCOMPARE(form.afterEdit, 1);
    QTest::keyClick(form.unit, Qt::Key_Down); // the item after "kg", the one shown before typing
    QCOMPARE(form.unit->currentText(), QStringLiteral("t"));
    QCOMPARE(form.value("MJ").toString(), QStringLiteral("t"));
    form.unit->lineEdit()->selectAll();
    typeText(form.unit, "abcd"); // the field holds 3 characters
    QCOMPARE(form.value("MJ").toString(), QStringLiteral("abc"));
    form.leave();
    QCOMPARE(form.unit->currentText(), QStringLiteral("abc"));
}

void TestDBControls::dateEditShowsEmptyDateEmpty_data() {
    QTest::addColumn<QVariant>("stored");
    QTest::addColumn<QString>("shown");
    QTest::newRow("a date") << QVariant(QDate(2012, 2, 1)) << "1.2.2012";
    QTest::newRow("day zero") << QVariant(QDate(1899, 12, 30)) << "";
    QTest::newRow("null") << QVariant() << "";
    QTest::newRow("day after day zero") << QVariant(QDate(1899, 12, 31)) << "31.12.1899";
}

void TestDBControls::dateEditShowsEmptyDateEmpty() {
    QFETCH(QVariant, stored);
    QFETCH(QString, shown);
    Form form;
    form.table.FieldByName("DATUM")->SetValue(stored);
    QCOMPARE(form.date->text(), shown);
    QCOMPARE(form.date->Date().isValid(), !shown.isEmpty());
}

void TestDBControls::dateEditWritesOnLeaving_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QVariant>("stored");
    QTest::addColumn<QString>("error");
    QTest::newRow("a date") << "5.3.2013" << QVariant(QDate(2013, 3, 5)) << "";
    QTest::newRow("emptied") << "" << QVariant() << "";
    QTest::newRow("no such day") << "31.2.2012" << QVariant(QDate(2012, 2, 1))
                                 << "'31.2.2012' není platné datum.";
    QTest::newRow("half a date") << "5.3." << QVariant(QDate(2012, 2, 1)) << "'5.3.' není platné datum.";
}

void TestDBControls::dateEditWritesOnLeaving() {
    QFETCH(QString, typed);
    QFETCH(QVariant, stored);
    QFETCH(QString, error);
    Form form;
    QList<QVariant> seenOnExit;
    connect(form.date, &TDBDateEdit::exited, [&] { seenOnExit << form.value("DATUM"); });
    form.date->setFocus();
    form.date->selectAll();
    QTest::keyClick(form.date, Qt::Key_Delete);
    typeText(form.date, typed);
    QCOMPARE(form.table.State(), TDataSetState::dsEdit);
    form.leave();
    QCOMPARE(form.value("DATUM"), stored);
    if (error.isEmpty()) {
        QCOMPARE(seenOnExit, QList<QVariant>{stored});
        QVERIFY(form.errors.isEmpty());
    } else {
        QCOMPARE(form.errors, QStringList{error});
        QVERIFY(seenOnExit.isEmpty());
        QVERIFY(form.date->hasFocus());
    }
}

void TestDBControls::calendarNavigationAndPick() {
    Form form;
    form.date->setFocus();
    form.date->ShowCalendar();
    TCalendarPopup* popup = form.date->CalendarPopup();
    QVERIFY(popup && popup->isVisible());
    QCalendarWidget* calendar = popup->Calendar();
    QCOMPARE(calendar->selectedDate(), QDate(2012, 2, 1));
    QCOMPARE(popup->MonthTitle(), QStringLiteral("únor 2012"));

    struct Step {
        QString button;
        int year, month;
    };
    const QList<Step> steps = {{"Následující měsíc", 2012, 3},
                               {"Následující rok", 2013, 3},
                               {"Předchozí měsíc", 2013, 2},
                               {"Předchozí rok", 2012, 2}};
    for (const Step& step : steps) {
        QToolButton* button = popup->NavigationButton(step.button);
        QVERIFY2(button, qPrintable(step.button));
        QCOMPARE(button->toolTip(), step.button);
        QCOMPARE(button->accessibleName(), step.button);
        button->click();
        QCOMPARE(calendar->yearShown(), step.year);
        QCOMPARE(calendar->monthShown(), step.month);
    }
    QCOMPARE(form.table.State(), TDataSetState::dsBrowse); // looking is no change

    emit calendar->clicked(QDate(2012, 2, 14));
    QVERIFY(!popup->isVisible());
    QCOMPARE(form.value("DATUM"), QVariant(QDate(2012, 2, 14)));
    QCOMPARE(form.date->text(), QStringLiteral("14.2.2012"));
    QCOMPARE(form.table.State(), TDataSetState::dsEdit);
    QCOMPARE(form.afterEdit, 1);

    // An empty date opens the calendar on today.
    form.table.Next();
    QCOMPARE(form.date->text(), QString());
    form.date->ShowCalendar();
    QCOMPARE(calendar->selectedDate(), QDate::currentDate());
}

void TestDBControls::controlsFollowScrollCancelAndClose() {
    Form form;
    form.table.Next();
    QCOMPARE(form.name->text(), QStringLiteral("Ječmen"));
    QCOMPARE(form.kind->currentText(), QStringLiteral("první uznání osiva"));
    QVERIFY(!form.repeat->isChecked());
    QCOMPARE(form.unit->currentText(), QStringLiteral("t"));

    form.name->setFocus();
    typeText(form.name, "Z");
    QCOMPARE(form.value("NAZEV").toString(), QStringLiteral("JečmenZ"));
    form.table.Cancel();
    QCOMPARE(form.name->text(), QStringLiteral("Ječmen"));
    QCOMPARE(form.table.StoredValue(1, "NAZEV").toString(), QStringLiteral("Ječmen"));

    form.table.Close();
    for (QLineEdit* edit : std::initializer_list<QLineEdit*>{form.name, form.date, form.quantity}) {
        QVERIFY(edit->text().isEmpty());
        QVERIFY(edit->isReadOnly());
    }
    QCOMPARE(form.kind->currentIndex(), -1);
    form.table.Open();
    QCOMPARE(form.name->text(), QStringLiteral("Pšenice"));
    QVERIFY(!form.name->isReadOnly());
}

void TestDBControls::refusedChangesLeaveTheDataSetAlone() {
    Form form(false); // a dataset that takes no values while browsing
    form.table.SetReadOnly(true);
    form.source.SetDataSet(nullptr);
    form.source.SetDataSet(&form.table); // controls read the read-only state anew
    QVERIFY(form.name->isReadOnly());
    form.name->setFocus();
    typeText(form.name, "X");
    QCOMPARE(form.name->text(), QStringLiteral("Pšenice"));
    QTest::mouseClick(form.repeat, Qt::LeftButton, {}, form.repeat->rect().center());
    QVERIFY(form.repeat->isChecked());
    emit form.kind->activated(0);
    QCOMPARE(form.kind->currentText(), QStringLiteral("ověření jakosti"));
    QCOMPARE(form.table.State(), TDataSetState::dsBrowse);
    QCOMPARE(form.afterEdit, 0);

    // Without AutoEdit the user changes fields only while the dataset is already being edited.
    form.table.SetReadOnly(false);
    form.source.SetAutoEdit(false);
    form.source.SetDataSet(nullptr);
    form.source.SetDataSet(&form.table);
    QVERIFY(form.name->isReadOnly());
    form.table.Edit();
    QVERIFY(!form.name->isReadOnly());
    form.name->setFocus();
    form.name->end(false);
    typeText(form.name, "X");
    QCOMPARE(form.value("NAZEV").toString(), QStringLiteral("PšeniceX"));
}

void TestDBControls::dataSetDestroyedBeforeItsControls() {
    QWidget window;
    auto table = std::make_unique<TTestTable>(requestDefs());
    table->AddRecord({"Pšenice", "P"});
    table->Open();
    TDataSource source(table.get());
    auto* name = new TDBEdit(&window);
    name->SetDataSource(&source);
    name->SetDataField("NAZEV");
    QCOMPARE(name->text(), QStringLiteral("Pšenice"));
    table.reset();
    QVERIFY(name->text().isEmpty());
    QVERIFY(name->isReadOnly());
    QCOMPARE(source.State(), TDataSetState::dsInactive);
}

QTEST_MAIN(TestDBControls)
#include "tst_dbcontrols.moc"
