// "Štítek na vz." in the request editor: the label dialog as the user sees it, the slot table
// zadost2.dbf rebuilt for the job, the label sheet in the preview, and the dialog's memory of the
// count and its position in kvor.ini across a restart.
#include "PreviewWatch.h"
#include "PrintFolder.h"
#include "app/AppFixture.h"
#include "print/stit.h"

#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <algorithm>

using namespace kvor;
using namespace kvor::testing;
using namespace Qt::StringLiterals;

namespace {

// What the user does in the label dialog.
enum class Answer { Print, Back, CloseBox };

// The slot table as an earlier job left it: two labels of another lot.
const QString oldLot = u"11-0815-00001-01"_s;

// The radio buttons in the order the sheet is filled: down the left column, then the right. The
// user picks by where a button stands, so the order comes from the screen, not from the names.
QList<QRadioButton*> buttonsAsOnTheSheet(TFstit& dialog) {
    QList<QRadioButton*> buttons = dialog.suiRadioGroup1->findChildren<QRadioButton*>();
    std::sort(buttons.begin(), buttons.end(), [](QRadioButton* a, QRadioButton* b) {
        const QPoint pa = a->mapToGlobal(QPoint()), pb = b->mapToGlobal(QPoint());
        return pa.x() != pb.x() ? pa.x() < pb.x() : pa.y() < pb.y();
    });
    return buttons;
}

// Types a number into the spinner as the user does: all selected, then the digits.
void typeCount(QSpinBox* spin, int count) {
    QTest::keyClick(spin, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(spin, QString::number(count));
}

// A program folder with the demo request and a slot table of an earlier job, and the editor on it.
struct LabelRun {
    AppFolder folder;
    Seams seams;
    PreviewWatch preview;
    std::unique_ptr<TForm1> form;

    explicit LabelRun(const QVariantMap& changes = {}) {
        folder.writeIdentity(kDeadPort);
        QVariantMap request = demoRequest();
        for (auto it = changes.begin(); it != changes.end(); ++it)
            request.insert(it.key(), it.value());
        folder.writeRequests(u"zadost.dbf"_s, {request});
        folder.writeRequests(u"zadost2.dbf"_s, {{{"PARTIECELA", oldLot}}, {{"PARTIECELA", oldLot}}});
        restart();
    }
    void restart() {
        form.reset();
        form = startForm();
        QVERIFY(form);
        seams.errors.clear();
    }
    // Runs the label job; the dialog is answered by `act`, which returns the dialog's result.
    void stitek(const std::function<int(TFstit&)>& act) {
        seams.dialogAnswer = [&](QDialog& d) {
            auto* stit = qobject_cast<TFstit*>(&d);
            if (!stit) return int(QDialog::Accepted);
            return act(*stit);
        };
        form->StitekClick();
        seams.dialogAnswer = {};
    }
    // The slot table's lot numbers, read after the program let it go.
    QStringList slotLots() {
        form.reset();
        TDsDatabase db;
        db.SetDatabaseName(folder.dataPath());
        TDsDbfTable table;
        table.SetDatabase(&db);
        table.SetTableName(u"zadost2.dbf"_s);
        table.Open();
        QStringList lots;
        for (table.First(); !table.Eof(); table.Next())
            lots << table.FieldByName(u"PARTIECELA"_s)->AsString();
        return lots;
    }
};

} // namespace

class TestLabelJob : public QObject {
    Q_OBJECT
private slots:
    void dialogDecidesWhatPrints_data();
    void dialogDecidesWhatPrints();
    void countAndPlaceAreOfferedAgainAfterRestart();
    void slotTableHeldElsewherePrintsNothing();
};

void TestLabelJob::dialogDecidesWhatPrints_data() {
    QTest::addColumn<Answer>("answer");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("start");
    QTest::addColumn<QString>("lot");         // PARTIECELA of the request
    QTest::addColumn<QList<int>>("pages");    // pages of each preview shown
    QTest::addColumn<QStringList>("records"); // PARTIECELA of the slot records afterwards
    const QString lot = u"12-0815-00042-01"_s;
    const QStringList old{oldLot, oldLot};
    QTest::newRow("Zpět") << Answer::Back << 3 << 2 << lot << QList<int>() << old;
    QTest::newRow("close box") << Answer::CloseBox << 3 << 2 << lot << QList<int>() << old;
    QTest::newRow("one at slot 1") << Answer::Print << 1 << 1 << lot << QList<int>{1} << QStringList{lot};
    QTest::newRow("two from slot 3") << Answer::Print << 2 << 3 << lot << QList<int>{1}
                                     << QStringList{u""_s, u""_s, lot, lot};
    QTest::newRow("six from slot 4") << Answer::Print << 6 << 4 << lot << QList<int>{3}
                                     << QStringList{u""_s, u""_s, u""_s, lot, lot, lot, lot, lot, lot};
    QTest::newRow("empty lot number: an empty sheet")
        << Answer::Print << 2 << 2 << u""_s << QList<int>{1} << QStringList{u""_s, u""_s, u""_s};
}

void TestLabelJob::dialogDecidesWhatPrints() {
    QFETCH(Answer, answer);
    QFETCH(int, count);
    QFETCH(int, start);
    QFETCH(QString, lot);
    QFETCH(QList<int>, pages);
    QFETCH(QStringList, records);

    LabelRun run({{u"PARTIECELA"_s, lot}});
    run.stitek([&](TFstit& dialog) {
        typeCount(dialog.suiSpinEdit1, count);
        QTest::mouseClick(buttonsAsOnTheSheet(dialog).at(start - 1), Qt::LeftButton);
        switch (answer) {
        case Answer::Print:
            QTest::mouseClick(dialog.suiButton1, Qt::LeftButton);
            break;
        case Answer::Back:
            QTest::mouseClick(dialog.suiButton2, Qt::LeftButton);
            break;
        case Answer::CloseBox:
            dialog.close();
            break;
        }
        return dialog.result();
    });
    QCOMPARE(run.seams.errors, QStringList());
    QCOMPARE(run.preview.pages, pages);
    QCOMPARE(run.slotLots(), records);
    // The request is only read.
    QCOMPARE(run.folder.readFirst(u"zadost.dbf"_s).value(u"PARTIECELA"_s).toString(), lot);
}

void TestLabelJob::countAndPlaceAreOfferedAgainAfterRestart() {
    LabelRun run;
    run.stitek([](TFstit& dialog) {
        // Opened for the first time: one label from the top left, centred on the screen.
        [&] {
            QCOMPARE(dialog.windowTitle(), u"  Tisk štítků na vzorky"_s);
            QCOMPARE(dialog.size(), QSize(306, 247));
            QCOMPARE(dialog.labelCount(), 1);
            QCOMPARE(dialog.startSlot(), 1);
            QVERIFY(buttonsAsOnTheSheet(dialog).at(0)->isChecked());
        }();
        typeCount(dialog.suiSpinEdit1, 4);
        dialog.move(40, 60);
        QTest::mouseClick(dialog.suiButton1, Qt::LeftButton);
        return dialog.result();
    });
    QCOMPARE(run.preview.pages, QList<int>{1});
    run.restart();
    int offered = 0, afterNine = 0;
    QPoint at;
    run.stitek([&](TFstit& dialog) {
        offered = dialog.labelCount();
        at = dialog.pos();
        // The spinner takes no number beyond 6.
        typeCount(dialog.suiSpinEdit1, 9);
        afterNine = dialog.labelCount();
        QTest::mouseClick(dialog.suiButton2, Qt::LeftButton);
        return dialog.result();
    });
    QCOMPARE(offered, 4);
    QCOMPARE(afterNine, 4);
    QCOMPARE(at, QPoint(40, 60));
    QCOMPARE(TIniFile(run.folder.path(u"kvor.ini"_s)).ReadString(u"TFstit"_s, u"suiSpinEdit1_Value"_s, {}),
             u"4"_s);

    // Kept from a screen that is gone: centred on the one there is.
    TIniFile(run.folder.path(u"kvor.ini"_s)).WriteInteger(u"TFstit"_s, u"Left"_s, -5000);
    run.stitek([&](TFstit& dialog) {
        at = dialog.frameGeometry().center();
        dialog.reject();
        return dialog.result();
    });
    QVERIFY((at - QGuiApplication::primaryScreen()->availableGeometry().center()).manhattanLength() <= 4);
}

void TestLabelJob::slotTableHeldElsewherePrintsNothing() {
    LabelRun run;
    {
        // Another copy of the program holds the slot table.
        TDsDatabase db;
        db.SetDatabaseName(run.folder.dataPath());
        TDsDbfTable other;
        other.SetDatabase(&db);
        other.SetTableName(u"zadost2.dbf"_s);
        other.SetExclusive(true);
        other.Open();
        run.stitek([](TFstit& dialog) {
            QTest::mouseClick(dialog.suiButton1, Qt::LeftButton);
            return dialog.result();
        });
    }
    QCOMPARE(run.seams.errors.size(), 1);
    QVERIFY2(run.seams.errors[0].contains(u"Cannot open file"_s), qPrintable(run.seams.errors[0]));
    QCOMPARE(run.preview.pages, QList<int>());
    QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
    QCOMPARE(run.slotLots(), (QStringList{oldLot, oldLot}));
    QCOMPARE(run.folder.readFirst(u"zadost.dbf"_s).value(u"PARTIECELA"_s).toString(), u"12-0815-00042-01"_s);
}

QTEST_MAIN(TestLabelJob)
#include "tst_label_job.moc"
