// The shell around the request editor: the splash during start-up, the help menu with its
// documents and About box, and the search window that a click on the variety grid's title opens.
#include "AppFixture.h"

#include "splash/StartDialogSem.h"
#include "tablestore/DsMemTable.h"
#include "tablestore/search/SearchForm2.h"
#include "widgets/DataSetTableModel.h"

#include <QCheckBox>
#include <QDesktopServices>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QtTest>

using namespace kvor;
using namespace kvor::testing;
using namespace Qt::StringLiterals;

namespace {

// Receives the documents the program hands to the desktop.
class DesktopSpy : public QObject {
    Q_OBJECT
public:
    DesktopSpy() { QDesktopServices::setUrlHandler(u"file"_s, this, "open"); }
    ~DesktopSpy() override { QDesktopServices::unsetUrlHandler(u"file"_s); }
    QStringList opened;
public slots:
    void open(const QUrl& url) { opened << url.toLocalFile(); }
};

// A program folder without a reachable server whose request was saved before.
void writeOfflineRequest(const AppFolder& folder) {
    folder.writeIdentity(kDeadPort);
    folder.writeRequests(u"zadost.dbf"_s, {{{u"id_trivan"_s, u"123456783300000500"_s}}});
}

QAction* menuItem(TForm1& form, const QString& objectName) {
    return form.findChild<QAction*>(objectName);
}

// The variety list of the start-up, in the order it comes from the server.
void writeVarieties(const AppFolder& folder) {
    folder.writeTable(u"cenik.dbf"_s, {"naz_odru", "naz_dru", "odruda", "druh", "nazevosiva"},
                      {{"Valach", "oves setý", "00100", "11", "Oves setý Valach"},
                       {"Bakara", "pšenice ozimá", "00200", "12", "Pšenice ozimá Bakara"},
                       {"Hrabě", "ječmen jarní", "00300", "13", "Ječmen jarní Hrabě"}});
}

QStringList lines(const QListWidget* list) {
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts << list->item(i)->text();
    return texts;
}

} // namespace

class TestAppShell : public QObject {
    Q_OBJECT
private slots:
    void splashDuringStartup();
    void helpMenu_data();
    void helpMenu();
    void aboutBox();
    void titleClickSearches_data();
    void titleClickSearches();
};

void TestAppShell::splashDuringStartup() {
    AppFolder folder;
    writeOfflineRequest(folder);
    Seams seams;
    auto form = std::make_unique<TForm1>();
    // Shown during window creation, as the program configures it.
    QPointer<TStartDialogSem> splash = form->StartDialogSem1;
    QVERIFY(splash);
    QWidget* window = splash->Window();
    QVERIFY(window && window->isVisible());
    QCOMPARE(window->size(), QSize(500, 300));
    QCOMPARE(splash->Text1, u"Kvor Pro"_s);
    QCOMPARE(splash->Text2, u"žádost o uznání vzorku"_s);
    QCOMPARE(QPoint(splash->Text1x, splash->Text1y), QPoint(0, 200));
    QCOMPARE(QPoint(splash->Text2x, splash->Text2y), QPoint(0, 245));
    QVERIFY(splash->Vypisverze && splash->FreeOnClose && !splash->AutoZmiz);
    QCOMPARE(splash->Version(), sys::programVersion());
    // The program's picture with the texts on it, not the bare picture.
    QVERIFY(splash->DrawnPicture() != TStartDialogSem::ProgramPicture());
    // After the first showing the splash is gone and the main window's reference empty.
    form->SetMinimumStartupTime(0);
    form->show();
    QVERIFY(QTest::qWaitFor([&] { return form->Ready(); }, 30000));
    QVERIFY(!form->StartDialogSem1);
    QVERIFY(!splash);
    for (QWidget* w : QApplication::topLevelWidgets())
        QVERIFY(w->objectName() != u"StartDialogSemWindow" || !w->isVisible());
}

void TestAppShell::helpMenu_data() {
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("document");
    QTest::addColumn<bool>("present");
    QTest::newRow("Popis programu") << u"Popisprogramu1"_s << u"zadosti.pdf"_s << true;
    QTest::newRow("Poslední změny") << u"Posledni1"_s << u"popis.txt"_s << true;
    QTest::newRow("Licenční ujednání") << u"Licence1"_s << u"licence.txt"_s << true;
    QTest::newRow("missing document") << u"Licence1"_s << u"licence.txt"_s << false;
}

void TestAppShell::helpMenu() {
    QFETCH(QString, item);
    QFETCH(QString, document);
    QFETCH(bool, present);
    AppFolder folder;
    writeOfflineRequest(folder);
    if (present) {
        QFile file(folder.path(document));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("x");
    }
    Seams seams;
    auto form = startForm();
    QVERIFY(form);
    // The menu as the user sees it.
    QMenu* pomoc = form->menuBar()->findChild<QMenu*>(u"Pomoc1"_s);
    QVERIFY(pomoc && pomoc->isEnabled());
    QStringList texts;
    for (QAction* a : pomoc->actions())
        texts << (a->isSeparator() ? u"-"_s : a->text() + (a->isEnabled() ? u""_s : u" (off)"_s));
    QCOMPARE(texts, (QStringList{u"Popis programu"_s, u"Poslední změny"_s, u"-"_s, u"Licenční ujednání"_s,
                                 u"O programu"_s}));
    // The document goes to the desktop by its name in the program folder; a missing one goes
    // nowhere and nothing is said.
    DesktopSpy desktop;
    const int questions = seams.questions.size();
    menuItem(*form, item)->trigger();
    QCOMPARE(desktop.opened,
             present ? QStringList{QFileInfo(folder.path(document)).absoluteFilePath()} : QStringList{});
    QCOMPARE(seams.questions.size(), questions);
    QVERIFY(seams.errors.isEmpty());
}

void TestAppShell::aboutBox() {
    AppFolder folder;
    writeOfflineRequest(folder);
    Seams seams;
    auto form = startForm();
    QVERIFY(form);
    seams.questions.clear();
    menuItem(*form, u"Oprogramu1"_s)->trigger();
    QCOMPARE(seams.questions.size(), 1);
    const TMsgBoxQuestion& about = seams.questions.first();
    QCOMPARE(about.Text, u"Verze "_s + sys::programVersion());
    QCOMPARE(about.Buttons, QStringList{u"OK"_s});
    QCOMPARE(about.Icon, TMsgIcon::Information);
    QCOMPARE(about.Caption, u"Trivan05"_s);
}

void TestAppShell::titleClickSearches_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("take");
    QTest::addColumn<QString>("current");
    QTest::newRow("taken") << u"še"_s << true << u"Pšenice ozimá Bakara"_s;
    // Cancel returns to the record that was current before the click.
    QTest::newRow("cancelled") << u"še"_s << false << u"Oves setý Valach"_s;
}

void TestAppShell::titleClickSearches() {
    QFETCH(QString, typed);
    QFETCH(bool, take);
    QFETCH(QString, current);
    AppFolder folder;
    writeOfflineRequest(folder);
    writeVarieties(folder);
    Seams seams;
    auto form = startForm();
    QVERIFY(form);
    form->OdrudyClick();
    QVERIFY(form->DsMemTable33->Locate(u"NAZEVOSIVA"_s, u"Oves setý Valach"_s, 0));
    auto gridText = [&] {
        return form->VarietyModel->data(form->VarietyModel->index(form->VarietyModel->CurrentRow(), 0))
            .toString();
    };
    QStringList opened, shownAfterTyping, gridWhileOpen;
    seams.dialogAnswer = [&](QDialog& d) {
        auto* search = qobject_cast<TSearchForm2*>(&d);
        if (!search) return int(QDialog::Rejected);
        opened = lines(search->lbfindvalues);
        // Typed key by key; Czech letters arrive as text without a key code of their own.
        for (QChar c : typed)
            QTest::sendKeyEvent(QTest::Click, search->edtemplate, Qt::Key_unknown, QString(c),
                                Qt::NoModifier);
        shownAfterTyping = lines(search->lbfindvalues);
        gridWhileOpen << gridText();
        take ? search->btok->click() : search->btcancel->click();
        return search->result();
    };
    // A click on the title of the grid's column, as the window system delivers it.
    QHeaderView* header = form->VarietyGrid->horizontalHeader();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(header->sectionPosition(0) + 20, 5));
    QCOMPARE(seams.dialogs, QStringList{u"kvor::TSearchForm2"_s});
    QCOMPARE(opened,
             (QStringList{u"Ječmen jarní Hrabě"_s, u"Oves setý Valach"_s, u"Pšenice ozimá Bakara"_s}));
    QCOMPARE(shownAfterTyping, QStringList{u"Pšenice ozimá Bakara"_s});
    QCOMPARE(gridWhileOpen, QStringList{u"Pšenice ozimá Bakara"_s});
    QCOMPARE(form->DsMemTable33->FieldByName(u"NAZEVOSIVA"_s)->AsString(), current);
    QTRY_COMPARE(gridText(), current);
    QVERIFY(seams.errors.isEmpty());
}

QTEST_MAIN(TestAppShell)
#include "tst_app_shell.moc"
