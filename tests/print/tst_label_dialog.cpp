// The label dialog as the window system receives it: run on the xcb platform in a virtual X
// server; its title and client size read back from the X server by xprop and xwininfo, and a
// click where a position's button is drawn choosing that position.
#include "print/stit.h"

#include <QGroupBox>
#include <QProcess>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace kvor;
using namespace Qt::StringLiterals;

namespace {

QString xtool(const QString& program, const QStringList& args) {
    QProcess p;
    p.setProcessEnvironment([] {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"LC_ALL"_s, u"C.UTF-8"_s);
        return env;
    }());
    p.start(program, args);
    p.waitForFinished(10000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

} // namespace

class TestLabelDialog : public QObject {
    Q_OBJECT
private slots:
    void windowSystemShowsTheDialog();
};

void TestLabelDialog::windowSystemShowsTheDialog() {
    QCOMPARE(QGuiApplication::platformName(), u"xcb"_s);
    QTemporaryDir dir;
    TFstit dialog(dir.filePath(u"kvor.ini"_s));
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    const QString id = QString::number(dialog.winId());

    // The two leading blanks of the title reach the window manager.
    const QString name = xtool(u"xprop"_s, {u"-id"_s, id, u"-notype"_s, u"_NET_WM_NAME"_s}).trimmed();
    QCOMPARE(name, u"_NET_WM_NAME = \"  Tisk štítků na vzorky\""_s);
    const QString info = xtool(u"xwininfo"_s, {u"-id"_s, id});
    const auto number = [&](const char* key) {
        return QRegularExpression(QString::fromLatin1(key) + uR"(:\s+(\d+))"_s)
            .match(info)
            .captured(1)
            .toInt();
    };
    QCOMPARE(QSize(number("Width"), number("Height")), QSize(306, 247));

    // Each button chooses the position where it stands: 1 top left, 2 bottom left, 3 top right,
    // 4 bottom right, as the sheet is filled.
    const QRect group = dialog.suiRadioGroup1->geometry();
    const QPoint cells[] = {{35, 41}, {35, 86}, {90, 41}, {90, 86}};
    for (int slot = 1; slot <= 4; ++slot) {
        const QPoint at = group.topLeft() + cells[slot - 1];
        QWidget* hit = dialog.childAt(at);
        QVERIFY2(qobject_cast<QRadioButton*>(hit), qPrintable(u"nothing to click for slot %1"_s.arg(slot)));
        QTest::mouseClick(hit, Qt::LeftButton, {}, hit->mapFrom(&dialog, at));
        QCOMPARE(dialog.startSlot(), slot);
    }
}

QTEST_MAIN(TestLabelDialog)
#include "tst_label_dialog.moc"
