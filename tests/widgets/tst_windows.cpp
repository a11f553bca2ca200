// The message box, the working window and the font substitutes.
#include "widgets/Fonts.h"
#include "widgets/MessageBox.h"
#include "widgets/ppracuji.h"

#include <QApplication>
#include <QFontInfo>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

using namespace kvor;

Q_DECLARE_METATYPE(kvor::TMsgIcon)

namespace {

// Counts the paint events a widget receives.
class PaintCounter : public QObject {
public:
    int count = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++count;
        return false;
    }
};

enum class Action { Enter, Escape, CloseFrame, Click1, Click2, Click3 };

} // namespace

Q_DECLARE_METATYPE(Action)

class TestWindows : public QObject {
    Q_OBJECT
private slots:
    void answererReceivesTheQuestion_data();
    void answererReceivesTheQuestion();
    void buttonCaptionsAreChecked();
    void windowAnswers_data();
    void windowAnswers();
    void windowShowsLinesAsPlainText();
    void workingWindowGeometryAndFlags();
    void workingWindowIsPaintedBeforeTheStep();
    void workingWindowScopeSurvivesItsParent();
    void fontSubstitutes_data();
    void fontSubstitutes();
};

void TestWindows::answererReceivesTheQuestion_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<TMsgIcon>("icon");
    QTest::addColumn<QStringList>("buttons");
    QTest::addColumn<int>("answer");
    QTest::newRow("confirmation") << QStringLiteral("Opravdu vymazat vše na této žádosti?")
                                  << TMsgIcon::Question << QStringList{"OK", "Zpět"} << 2;
    QTest::newRow("offline notice") << QStringLiteral("Není připojení k internetu.\rŽádost nebyla uložena.")
                                    << TMsgIcon::Warning << QStringList{"OK"} << 1;
    QTest::newRow("three buttons") << QStringLiteral("x") << TMsgIcon::Stop << QStringList{"A", "B", "C"}
                                   << 3;
}

void TestWindows::answererReceivesTheQuestion() {
    QFETCH(QString, text);
    QFETCH(TMsgIcon, icon);
    QFETCH(QStringList, buttons);
    QFETCH(int, answer);
    QList<TMsgBoxQuestion> asked;
    TMsgBoxAnswerScope scope([&](const TMsgBoxQuestion& q) {
        asked << q;
        return answer;
    });
    TMessageBox dotaz;
    QCOMPARE(dotaz.Ask(text, icon, buttons), answer);
    QCOMPARE(asked.size(), 1);
    QCOMPARE(asked[0].Caption, QStringLiteral("Trivan05"));
    QCOMPARE(asked[0].Text, text); // as given: tests compare the texts the program asks
    QCOMPARE(asked[0].Icon, icon);
    QCOMPARE(asked[0].Buttons, buttons);
}

void TestWindows::buttonCaptionsAreChecked() {
    TMessageBox dotaz;
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument, dotaz.SetButtons({"1", "2", "3", "4"}));
    dotaz.SetButtons({});
    QCOMPARE(dotaz.Buttons(), QStringList{"OK"});
}

void TestWindows::windowAnswers_data() {
    QTest::addColumn<QStringList>("buttons");
    QTest::addColumn<Action>("action");
    QTest::addColumn<int>("expected");
    QStringList two{"OK", "Zpět"}, three{"Ano", "Ne", "Storno"}, one{"OK"};
    QTest::newRow("Enter answers button 1") << two << Action::Enter << 1;
    QTest::newRow("Enter with three buttons") << three << Action::Enter << 1;
    QTest::newRow("Escape answers button 2") << two << Action::Escape << 2;
    QTest::newRow("Escape with three buttons") << three << Action::Escape << 2;
    QTest::newRow("frame close, two buttons") << two << Action::CloseFrame << 2;
    QTest::newRow("frame close, one button") << one << Action::CloseFrame << 2;
    QTest::newRow("frame close, three buttons") << three << Action::CloseFrame << 2;
    QTest::newRow("click 1") << three << Action::Click1 << 1;
    QTest::newRow("click 2") << three << Action::Click2 << 2;
    QTest::newRow("click 3") << three << Action::Click3 << 3;
    QTest::newRow("one button, Enter") << one << Action::Enter << 1;
}

void TestWindows::windowAnswers() {
    QFETCH(QStringList, buttons);
    QFETCH(Action, action);
    QFETCH(int, expected);

    bool checked = false;
    QTimer::singleShot(0, this, [&] {
        auto* window = qobject_cast<TMessageBoxWindow*>(QApplication::activeModalWidget());
        QVERIFY(window);
        QCOMPARE(window->windowTitle(), QStringLiteral("Trivan05"));
        QCOMPARE(window->ButtonCount(), buttons.size());
        for (int i = 1; i <= buttons.size(); ++i) {
            QCOMPARE(window->Button(i)->text(), buttons[i - 1]);
            QCOMPARE(window->Button(i)->cursor().shape(), Qt::PointingHandCursor);
            if (i > 1) QVERIFY(window->Button(i - 1)->x() < window->Button(i)->x()); // left to right
        }
        QCOMPARE(window->focusWidget(), window->Button(1));
        QVERIFY(window->Button(1)->isDefault());
        checked = true;
        switch (action) {
        case Action::Enter:
            QTest::keyClick(window->focusWidget(), Qt::Key_Return);
            break;
        case Action::Escape:
            QTest::keyClick(window->focusWidget(), Qt::Key_Escape);
            break;
        case Action::CloseFrame:
            window->close();
            break;
        case Action::Click1:
            window->Button(1)->click();
            break;
        case Action::Click2:
            window->Button(2)->click();
            break;
        case Action::Click3:
            window->Button(3)->click();
            break;
        }
    });
    QTimer::singleShot(5000, this, [] {
        if (QWidget* w = QApplication::activeModalWidget()) w->close(); // do not hang on a failure
    });
    TMessageBox dotaz;
    int answer = dotaz.Ask(QStringLiteral("Otázka"), TMsgIcon::Question, buttons);
    QVERIFY(checked);
    QCOMPARE(answer, expected);
}

void TestWindows::windowShowsLinesAsPlainText() {
    TMsgBoxQuestion question{QStringLiteral("Trivan05"),
                             QStringLiteral("Není připojení.\r<b>Nelze</b>\r\nkonec"),
                             TMsgIcon::Warning,
                             {"OK"}};
    TMessageBoxWindow window(question);
    QCOMPARE(window.ShownText(), QStringLiteral("Není připojení.\n<b>Nelze</b>\nkonec"));
    auto* label = window.findChild<QLabel*>(QStringLiteral("Text"));
    QVERIFY(label);
    QCOMPARE(label->textFormat(), Qt::PlainText);
}

void TestWindows::workingWindowGeometryAndFlags() {
    TWorkingWindow working(QStringLiteral("Aktualizace číselníků,\rčekejte prosím ..."));
    Tpracuji* w = working.window();
    QVERIFY(w->isVisible());
    QCOMPARE(w->size(), QSize(243, 88));
    QCOMPARE(w->minimumSize(), w->maximumSize()); // fixed
    QVERIFY(w->windowTitle().isEmpty());
    QVERIFY(w->windowFlags() & Qt::WindowStaysOnTopHint);
    QVERIFY(!w->isModal());
    QCOMPARE(w->windowModality(), Qt::NonModal);
    QVERIFY(w->Label1()->alignment() & Qt::AlignHCenter);
    QVERIFY(w->Label1()->alignment() & Qt::AlignVCenter);
    QVERIFY(w->Label1()->wordWrap());
    QCOMPARE(w->Text(), QStringLiteral("Aktualizace číselníků,\nčekejte prosím ..."));
}

void TestWindows::workingWindowIsPaintedBeforeTheStep() {
    Tpracuji window;
    window.SetText(QStringLiteral("Pracuji ..."));
    PaintCounter counter;
    window.Label1()->installEventFilter(&counter);
    window.ShowOnTop();
    QVERIFY(counter.count > 0); // drawn by the time ShowOnTop returns, before any long step
}

void TestWindows::workingWindowScopeSurvivesItsParent() {
    QPointer<Tpracuji> seen;
    {
        auto parent = std::make_unique<QWidget>();
        TWorkingWindow working(QStringLiteral("x"), parent.get());
        seen = working.window();
        QVERIFY(seen);
        parent.reset(); // the owner window goes first; the scope must not free it twice
        QVERIFY(!seen);
    }
    {
        TWorkingWindow working(QStringLiteral("x"));
        seen = working.window();
    }
    QVERIFY(!seen); // closed and destroyed at the end of the step
}

void TestWindows::fontSubstitutes_data() {
    QTest::addColumn<QString>("family");
    QTest::addColumn<QString>("installed");
    QTest::newRow("Tahoma") << "Tahoma"
                            << "DejaVu Sans";
    QTest::newRow("Arial") << "Arial"
                           << "Liberation Sans";
    QTest::newRow("Arial CE") << "Arial CE"
                              << "Liberation Sans";
}

void TestWindows::fontSubstitutes() {
    QFETCH(QString, family);
    QFETCH(QString, installed);
    installFontSubstitutes();
    installFontSubstitutes(); // twice is harmless
    // the font database keeps family names in lower case
    QCOMPARE(QFont::substitutes(family), QStringList{installed.toLower()});
    QCOMPARE(QFontInfo(QFont(family, 8)).family(), installed);
}

QTEST_MAIN(TestWindows)
#include "tst_windows.moc"
