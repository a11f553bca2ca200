// What the window system receives from the program's windows: run on the xcb platform in a
// virtual X server, with every title read back from the X server by xprop.
#include "AppFixture.h"

#include "app/mozno.h"
#include "app/porost2.h"
#include "app/utexty.h"
#include "widgets/ppracuji.h"

#include <QAction>
#include <QProcess>
#include <QProcessEnvironment>
#include <QPushButton>

using namespace kvor;
using namespace kvor::testing;

namespace {

// The title a window manager shows: _NET_WM_NAME of the native window, as xprop reads it.
QString shownTitle(QWidget* window) {
    if (!QTest::qWaitForWindowExposed(window)) return QStringLiteral("<not exposed>");
    QProcess xprop;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    xprop.setProcessEnvironment(env);
    xprop.start(QStringLiteral("xprop"), {QStringLiteral("-id"), QString::number(window->winId()),
                                          QStringLiteral("-notype"), QStringLiteral("_NET_WM_NAME")});
    if (!xprop.waitForFinished(10000) || xprop.exitCode() != 0)
        return QStringLiteral("<xprop failed: %1>").arg(QString::fromLocal8Bit(xprop.readAllStandardError()));
    // _NET_WM_NAME = "Trivan05"; an empty value has nothing after the equals sign.
    const QString line = QString::fromUtf8(xprop.readAllStandardOutput()).trimmed();
    const qsizetype eq = line.indexOf(QLatin1String(" = "));
    if (eq < 0) return line.endsWith(u'=') ? QString() : QStringLiteral("<%1>").arg(line);
    QString value = line.mid(eq + 3).trimmed();
    if (value.size() >= 2 && value.startsWith(u'"') && value.endsWith(u'"'))
        value = value.mid(1, value.size() - 2);
    return value;
}

using Titles = QList<QPair<QString, QString>>;

} // namespace

class TestAppWindowSystem : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void titlesAsGiven();
};

void TestAppWindowSystem::initTestCase() {
    QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
    setUpApplication();
}

void TestAppWindowSystem::titlesAsGiven() {
    AppFolder folder;
    folder.writeIdentity(kDeadPort);
    folder.writeRequests(QStringLiteral("zadost.dbf"),
                         {{{QStringLiteral("ROK"), QStringLiteral("2012")},
                           {QStringLiteral("id_trivan"), QStringLiteral("123456783300000500")}}});
    Seams seams;
    Titles shown;
    seams.dialogAnswer = [&](QDialog& d) {
        shown << qMakePair(QString::fromLatin1(d.metaObject()->className()), shownTitle(&d));
        d.reject();
        return int(QDialog::Rejected);
    };
    auto form = startForm();
    QVERIFY(form);
    shown << qMakePair(QStringLiteral("kvor::TForm1"), shownTitle(form.get()));
    form->Nastavenprogramu1->trigger();
    form->UlozTexty(QStringLiteral("UZ1"));
    form->Porost2Click();
    {
        TMessageBoxWindow box({QStringLiteral("Trivan05"),
                               QStringLiteral("Není vybrán text."),
                               TMsgIcon::Warning,
                               {QStringLiteral("OK")}},
                              form.get());
        box.show();
        shown << qMakePair(QStringLiteral("kvor::TMessageBoxWindow"), shownTitle(&box));
    }
    {
        TWorkingWindow working(QStringLiteral("Aktualizuji číselníky"), form.get());
        shown << qMakePair(QStringLiteral("kvor::Tpracuji"), shownTitle(working.window()));
    }
    const Titles expected{
        {"kvor::TForm1", "Trivan05 - Žádost o uznání vzorku - Kvor Pro"},
        {"kvor::TFmozno", "Trivan05 - žádosti - servis"},
        {"kvor::TftextUloz", "Uložené texty"},
        {"kvor::TFporost2", "Uznání porostů č. 4 - 10"},
        {"kvor::TMessageBoxWindow", "Trivan05"},
        {"kvor::Tpracuji", ""},
    };
    QCOMPARE(shown, expected);
    QVERIFY(seams.errors.isEmpty());
}

QTEST_MAIN(TestAppWindowSystem)
#include "tst_app_window_system.moc"
