// The grid search window driven by key presses over a variety list, with a grid behind it that
// must follow what the window selects.
#include "tablestore/DsMemTable.h"
#include "tablestore/search/RaDBSearch.h"
#include "tablestore/search/SearchForm2.h"
#include "widgets/DataSetTableModel.h"
#include "widgets/MessageBox.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

using namespace kvor;
using namespace Qt::StringLiterals;

namespace {

// In the order they arrive from the server, not sorted.
const QStringList kVarieties = {u"Pšenice ozimá Bakara"_s, u"Oves setý Valach"_s, u"Ječmen jarní Hrabě"_s,
                                u"Chmel Ryšavka"_s,        u"Hrách Cidlina"_s,    u"Pšenice ozimá Zeman"_s,
                                u"Žito Dagmar"_s,          u"Cibule Orlice"_s};
// The Czech order: ch after h, Č and Ž after their plain letters.
const QStringList kSorted = {u"Cibule Orlice"_s,       u"Hrách Cidlina"_s,    u"Chmel Ryšavka"_s,
                             u"Ječmen jarní Hrabě"_s,  u"Oves setý Valach"_s, u"Pšenice ozimá Bakara"_s,
                             u"Pšenice ozimá Zeman"_s, u"Žito Dagmar"_s};

QStringList lines(const QListWidget* list) {
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts << list->item(i)->text();
    return texts;
}

// Types the text key by key, Czech letters included.
void type(QWidget* widget, const QString& text) {
    for (QChar c : text) {
        const Qt::Key key =
            c.isLetterOrNumber() && c.unicode() < 128 ? Qt::Key(c.toUpper().unicode()) : Qt::Key_unknown;
        QTest::sendKeyEvent(QTest::Click, widget, key, QString(c), Qt::NoModifier);
    }
}

} // namespace

class TestSearch : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void contextSearchOpensOnTheSortedList();
    void substringTyping_data();
    void substringTyping();
    void prefixTyping_data();
    void prefixTyping();
    void plainLookup_data();
    void plainLookup();
    void listKeys_data();
    void listKeys();
    void keyFilterOfNumberField_data();
    void keyFilterOfNumberField();
    void noDataSetShowsNothing();

private:
    // Runs the search on the field; the script drives the open window and must close it.
    bool search(TSearchKind kind, const QString& field, const std::function<void(TSearchForm2&)>& script);
    QString gridLine() const {
        const int row = m_grid->currentIndex().row();
        return row < 0 ? QString() : m_model->index(row, 0).data().toString();
    }
    QString currentRecord() const { return m_mem->FieldByName(u"NAZEVOSIVA"_s)->AsString(); }

    std::unique_ptr<QWidget> m_window;
    TDsMemTable* m_mem = nullptr;
    TDataSetTableModel* m_model = nullptr;
    TDBGrid* m_grid = nullptr;
    TRaDBSearch* m_search = nullptr;
};

void TestSearch::init() {
    m_window = std::make_unique<QWidget>();
    m_window->resize(400, 400);
    m_mem = new TDsMemTable(m_window.get());
    TFieldDef name;
    name.Name = u"NAZEVOSIVA"_s;
    name.DataType = ftString;
    name.Size = 40;
    TFieldDef code;
    code.Name = u"KOD"_s;
    code.DataType = ftInteger;
    m_mem->SetFieldDefs({name, code});
    m_mem->Open();
    for (int i = 0; i < kVarieties.size(); ++i) {
        m_mem->Append();
        m_mem->Fields(0)->SetValue(kVarieties[i]);
        m_mem->Fields(1)->SetValue(100 + i);
        m_mem->Post();
    }
    m_model = new TDataSetTableModel(m_mem, m_window.get());
    m_model->SetColumns({TGridColumn{u"NAZEVOSIVA"_s, u"Název osiva"_s, 330}});
    m_grid = new TDBGrid(m_window.get());
    m_grid->SetGridModel(m_model);
    m_grid->resize(380, 380);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    // What the title click does before the search: sort by the column, stay on the current record.
    m_mem->Locate(u"NAZEVOSIVA"_s, u"Hrách Cidlina"_s, 0);
    m_mem->SortByFields(u"NAZEVOSIVA"_s);
    m_search = new TRaDBSearch(m_window.get());
    m_search->SetDataSet(m_mem);
}

void TestSearch::cleanup() {
    m_window.reset();
}

bool TestSearch::search(TSearchKind kind, const QString& field,
                        const std::function<void(TSearchForm2&)>& script) {
    m_search->SetSearchKind(kind);
    bool ran = false;
    QTimer::singleShot(0, m_window.get(), [&] {
        auto* form = qobject_cast<TSearchForm2*>(QApplication::activeModalWidget());
        if (!form) return;
        ran = true;
        // The modal window is the active one, as on a desktop.
        form->activateWindow();
        if (!QTest::qWaitFor([form] { return QApplication::activeWindow() == form; }))
            QTest::qFail("the search window is not active", __FILE__, __LINE__);
        script(*form);
        if (form->isVisible()) {
            form->reject();
            QTest::qFail("the window stayed open", __FILE__, __LINE__);
        }
    });
    const bool result = m_search->Execute(field);
    if (!ran) QTest::qFail("the search window did not open", __FILE__, __LINE__);
    return result;
}

void TestSearch::contextSearchOpensOnTheSortedList() {
    QCOMPARE(gridLine(), u"Hrách Cidlina"_s);
    search(TSearchKind::skContext, u"NAZEVOSIVA"_s, [&](TSearchForm2& f) {
        QCOMPARE(f.windowTitle(), u"Hledat"_s);
        QVERIFY(f.ckExtendedSearch->isChecked());
        QVERIFY(f.ckContext->isChecked() && f.ckContext->isVisible());
        QCOMPARE(lines(f.lbfindvalues), kSorted);
        QCOMPARE(f.lbfindvalues->currentRow(), 0);
        QCOMPARE(f.edtemplate->text(), QString());
        QVERIFY(f.edtemplate->hasFocus());
        QCOMPARE(gridLine(), kSorted.first());
        QCOMPARE(f.cbFields->currentText(), u"NAZEVOSIVA"_s);
        QCOMPARE(f.cbFields->count(), 2);
        // Ten lines of the list, the three panels and the frames.
        const int line = QFontMetrics(f.lbfindvalues->font()).height() + 2;
        QCOMPARE(f.LineHeight(), line);
        QCOMPARE(f.height(), 10 * line + 60 + 39 + 1 + 45);
        QCOMPARE(f.width(), 435);
        QCOMPARE(f.lbfindvalues->visualItemRect(f.lbfindvalues->item(1)).height(), line);
        // Switching the list off gives the short window.
        f.ckExtendedSearch->click();
        QCOMPARE(f.height(), 60 + 39 + 35);
        QVERIFY(!f.ckContext->isVisible());
        QVERIFY(!f.lbfindvalues->isVisible());
        f.btcancel->click();
    });
    // Cancel went back to the record that was current before the search.
    QCOMPARE(gridLine(), u"Hrách Cidlina"_s);
}

void TestSearch::substringTyping_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<bool>("accept");
    QTest::newRow("še, taken") << u"še"_s << QStringList{kSorted[5], kSorted[6]} << true;
    QTest::newRow("še, cancelled") << u"še"_s << QStringList{kSorted[5], kSorted[6]} << false;
    QTest::newRow("upper case finds lower") << u"ŽITO"_s << QStringList{u"Žito Dagmar"_s} << true;
    QTest::newRow("inside a word") << u"ryš"_s << QStringList{u"Chmel Ryšavka"_s} << true;
    QTest::newRow("háček is a letter of its own") << u"Zito"_s << QStringList{} << false;
    QTest::newRow("last word") << u"zeman"_s << QStringList{u"Pšenice ozimá Zeman"_s} << true;
}

void TestSearch::substringTyping() {
    QFETCH(QString, typed);
    QFETCH(QStringList, expected);
    QFETCH(bool, accept);
    const bool result = search(TSearchKind::skContext, u"NAZEVOSIVA"_s, [&](TSearchForm2& f) {
        type(f.edtemplate, typed);
        QCOMPARE(f.edtemplate->text(), typed);
        QCOMPARE(lines(f.lbfindvalues), expected);
        if (!expected.isEmpty()) {
            QCOMPARE(f.lbfindvalues->currentRow(), 0);
            QCOMPARE(gridLine(), expected.first());
            QVERIFY(f.btok->isDefault());
        } else {
            QVERIFY(!f.btok->isDefault());
        }
        if (accept)
            QTest::keyClick(f.edtemplate, Qt::Key_Return);
        else
            f.btcancel->click();
    });
    QCOMPARE(result, accept);
    QCOMPARE(gridLine(), accept ? expected.first() : u"Hrách Cidlina"_s);
    QCOMPARE(currentRecord(), gridLine());
}

void TestSearch::prefixTyping_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("selected");
    QTest::newRow("o") << u"o"_s << u"Oves setý Valach"_s;
    QTest::newRow("ch after h") << u"ch"_s << u"Chmel Ryšavka"_s;
    QTest::newRow("h before ch") << u"h"_s << u"Hrách Cidlina"_s;
    QTest::newRow("upper case") << u"Ž"_s << u"Žito Dagmar"_s;
    QTest::newRow("between lines") << u"k"_s << u"Oves setý Valach"_s;
    // Cut to one letter the lines read C, H, C, J...: out of order, yet the search must not skip Hrách.
    QTest::newRow("between c and ch") << u"d"_s << u"Hrách Cidlina"_s;
    QTest::newRow("second word") << u"pšenice ozimá z"_s << u"Pšenice ozimá Zeman"_s;
}

void TestSearch::prefixTyping() {
    QFETCH(QString, typed);
    QFETCH(QString, selected);
    search(TSearchKind::skContext, u"NAZEVOSIVA"_s, [&](TSearchForm2& f) {
        f.ckContext->click();
        QVERIFY(f.edtemplate->hasFocus());
        // Back in prefix mode: every line, the first one in the edit box, wholly selected.
        QCOMPARE(lines(f.lbfindvalues), kSorted);
        QCOMPARE(f.edtemplate->text(), kSorted.first());
        QCOMPARE(f.edtemplate->selectedText(), kSorted.first());
        // Typing replaces the selection; a pasted text arrives as one change.
        QApplication::clipboard()->setText(typed);
        QTest::keyClick(f.edtemplate, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(f.lbfindvalues->currentItem()->text(), selected);
        QCOMPARE(f.edtemplate->text(), selected);
        QCOMPARE(f.edtemplate->selectedText(), selected);
        QCOMPARE(gridLine(), selected);
        QVERIFY(f.btok->isDefault());
        f.btok->click();
    });
    QCOMPARE(gridLine(), selected);
}

void TestSearch::plainLookup_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("found");
    QTest::newRow("other letter case") << u"oves SETÝ valach"_s << u"Oves setý Valach"_s;
    QTest::newRow("whole value only") << u"Oves"_s << QString();
    QTest::newRow("no such value") << u"Kukuřice"_s << QString();
}

void TestSearch::plainLookup() {
    QFETCH(QString, typed);
    QFETCH(QString, found);
    QStringList messages;
    TMsgBoxAnswerScope answers([&](const TMsgBoxQuestion& q) {
        messages << q.Text + u" ["_s + q.Buttons.join(u',') + u']';
        return 1;
    });
    const bool result = search(TSearchKind::skNormal, u"NAZEVOSIVA"_s, [&](TSearchForm2& f) {
        QVERIFY(!f.ckExtendedSearch->isChecked());
        QCOMPARE(f.height(), 60 + 39 + 35);
        QVERIFY(f.btok->isDefault());
        type(f.edtemplate, typed);
        QTest::keyClick(f.edtemplate, Qt::Key_Return);
        if (found.isEmpty()) {
            QVERIFY(f.isVisible());
            QCOMPARE(messages, QStringList{u"Record not found [OK]"_s});
            f.btcancel->click();
        }
    });
    QCOMPARE(result, !found.isEmpty());
    QCOMPARE(gridLine(), found.isEmpty() ? u"Hrách Cidlina"_s : found);
}

void TestSearch::listKeys_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<bool>("fromEnd");
    QTest::addColumn<int>("row");
    QTest::newRow("Ctrl+Page Down") << int(Qt::Key_PageDown) << int(Qt::ControlModifier) << false << 7;
    QTest::newRow("Ctrl+Page Up") << int(Qt::Key_PageUp) << int(Qt::ControlModifier) << true << 0;
    QTest::newRow("Down") << int(Qt::Key_Down) << 0 << false << 1;
    QTest::newRow("Up") << int(Qt::Key_Up) << 0 << true << 6;
}

void TestSearch::listKeys() {
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(bool, fromEnd);
    QFETCH(int, row);
    search(TSearchKind::skExtended, u"NAZEVOSIVA"_s, [&](TSearchForm2& f) {
        QVERIFY(!f.ckContext->isChecked());
        if (fromEnd) QTest::keyClick(f.edtemplate, Qt::Key_PageDown, Qt::ControlModifier);
        // Keys typed in the edit box move the list, not the cursor in the box.
        QTest::keyClick(f.edtemplate, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QVERIFY(f.edtemplate->hasFocus());
        QCOMPARE(f.lbfindvalues->currentRow(), row);
        QCOMPARE(f.edtemplate->text(), kSorted[row]);
        QCOMPARE(f.edtemplate->selectedText(), kSorted[row]);
        QCOMPARE(gridLine(), kSorted[row]);
        // A double click on a line takes it.
        const QRect first = f.lbfindvalues->visualItemRect(f.lbfindvalues->item(0));
        QTest::mouseClick(f.lbfindvalues->viewport(), Qt::LeftButton, {}, first.center());
        QTest::mouseDClick(f.lbfindvalues->viewport(), Qt::LeftButton, {}, first.center());
    });
    QCOMPARE(gridLine(), kSorted.first());
}

void TestSearch::keyFilterOfNumberField_data() {
    QTest::addColumn<bool>("listMode");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::newRow("plain") << false << u"1a0-x3"_s << u"10-3"_s;
}

void TestSearch::keyFilterOfNumberField() {
    QFETCH(bool, listMode);
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    search(listMode ? TSearchKind::skExtended : TSearchKind::skNormal, u"KOD"_s, [&](TSearchForm2& f) {
        QCOMPARE(f.cbFields->currentText(), u"KOD"_s);
        type(f.edtemplate, typed);
        QCOMPARE(f.edtemplate->text(), shown);
        f.btcancel->click();
    });
}

void TestSearch::noDataSetShowsNothing() {
    m_search->SetDataSet(nullptr);
    QVERIFY(!m_search->Execute(u"NAZEVOSIVA"_s));
    // A destroyed dataset leaves the component empty.
    auto* other = new TDsMemTable;
    m_search->SetDataSet(other);
    delete other;
    QCOMPARE(m_search->DataSet(), nullptr);
}

QTEST_MAIN(TestSearch)
#include "tst_search.moc"
