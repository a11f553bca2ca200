// The start-up splash as the window system shows it: the texts measured on the grabbed window, the
// frame, closing with and without freeing the component, closing itself once the program is idle,
// and the least time of the start-up wait.
#include "splash/HelpMenu.h"
#include "splash/StartDialogSem.h"
#include "widgets/Fonts.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QThread>
#include <QtTest>

using namespace kvor;
using namespace Qt::StringLiterals;

namespace {

const QString kVersion = u"2.13.2.10"_s;

// The columns and rows of a band of the picture where a pixel has the given colour's hue.
struct Ink {
    int left = -1, right = -1, top = -1, bottom = -1;
    bool found() const { return left >= 0; }
};

// A pixel is ink of a pure colour when the colour's full channels stay bright and its empty ones
// are clearly darker than the white background (antialiased edges are lighter but keep the hue).
bool isInk(QRgb pixel, QColor colour) {
    const int c[3] = {qRed(pixel), qGreen(pixel), qBlue(pixel)};
    const int want[3] = {colour.red(), colour.green(), colour.blue()};
    for (int i = 0; i < 3; ++i)
        if (want[i] == 0 ? c[i] > 190 : c[i] < 140) return false;
    return true;
}

Ink inkIn(const QImage& image, const QRect& band, QColor colour) {
    Ink ink;
    const QRect area = band.intersected(image.rect());
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            if (!isInk(image.pixel(x, y), colour)) continue;
            if (!ink.found()) {
                ink = {x, x, y, y};
                continue;
            }
            ink.left = std::min(ink.left, x);
            ink.right = std::max(ink.right, x);
            ink.top = std::min(ink.top, y);
            ink.bottom = std::max(ink.bottom, y);
        }
    return ink;
}

QImage whitePicture(int width = 500, int height = 300) {
    QImage picture(width, height, QImage::Format_RGB888);
    picture.fill(Qt::white);
    return picture;
}

// What the window system shows of the splash window.
QImage shown(const TStartDialogSem& splash) {
    return splash.Window()->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

} // namespace

class TestSplash : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { installFontSubstitutes(); }
    void textsRightAlignedAtTheirTops_data();
    void textsRightAlignedAtTheirTops();
    void versionLine();
    void givenPositionsAndNoVersion();
    void windowAndFrame_data();
    void windowAndFrame();
    void paintedBeforeTheLoopRuns();
    void closing_data();
    void closing();
    void closesItselfWhenIdle();
    void programPicture();
    void startupWait_data();
    void startupWait();
    void aboutText();
};

void TestSplash::textsRightAlignedAtTheirTops_data() {
    QTest::addColumn<QString>("text1");
    QTest::addColumn<QString>("text2");
    QTest::addColumn<bool>("cut");
    QTest::newRow("the program's own") << u"Kvor Pro"_s << u"žádost o uznání vzorku"_s << false;
    QTest::newRow("short") << u"KH"_s << u"H"_s << false;
    QTest::newRow("longer than the picture") << u"Kvor Pro – žádost o uznání vzorku osiva"_s
                                             << u"žádost o uznání vzorku osiva a sadby brambor, HH"_s << true;
}

void TestSplash::textsRightAlignedAtTheirTops() {
    QFETCH(QString, text1);
    QFETCH(QString, text2);
    QFETCH(bool, cut);
    TStartDialogSem splash;
    splash.FreeOnClose = false;
    splash.SetBitmap(whitePicture());
    splash.Text1 = text1;
    splash.Text2 = text2;
    splash.Text1y = 200;
    splash.Text2y = 245;
    splash.Text1Color = Qt::blue;
    splash.Text2Color = Qt::red;
    splash.Show();
    const QImage image = shown(splash);
    QCOMPARE(image.size(), QSize(500, 300));

    // Each line in its own colour, ending 20 pixels before the right edge, its top at its y.
    const Ink first = inkIn(image, QRect(0, 190, 500, 55), Qt::blue);
    const Ink second = inkIn(image, QRect(0, 235, 500, 65), Qt::red);
    QVERIFY(first.found() && second.found());
    // The text's width ends at 480; its last letter's ink ends where that letter's shape ends (give or
    // take the rounding of the letters' fractional widths along a long line).
    auto expectedInkRight = [](const QString& text, const QFont& font) {
        QImage device(1, 1, QImage::Format_RGB32);
        device.setDotsPerMeterX(3780);
        device.setDotsPerMeterY(3780);
        const QFontMetrics m(font, &device);
        return 480 - m.horizontalAdvance(text) + m.tightBoundingRect(text).right();
    };
    const int right1 = expectedInkRight(text1, QFont(u"Tahoma"_s, 25, QFont::Bold));
    const int right2 = expectedInkRight(text2, QFont(u"Tahoma"_s, 15));
    QVERIFY2(right1 <= 480 && right2 <= 480, "letters end inside their advance");
    QVERIFY2(std::abs(first.right - right1) <= 2, qPrintable(u"%1 %2"_s.arg(first.right).arg(right1)));
    QVERIFY2(std::abs(second.right - right2) <= 2, qPrintable(u"%1 %2"_s.arg(second.right).arg(right2)));
    QVERIFY2(first.top >= 200 && first.top <= 200 + 10, qPrintable(QString::number(first.top)));
    QVERIFY2(second.top >= 245 && second.top <= 245 + 6, qPrintable(QString::number(second.top)));
    // A line longer than the picture starts left of it and is cut there.
    QCOMPARE(first.left == 0, cut);
    QCOMPARE(second.left == 0, cut);
    // The picture the component was given stays as it was.
    QCOMPARE(splash.Bitmap(), whitePicture());
    splash.Close();
}

void TestSplash::versionLine() {
    TStartDialogSem splash;
    splash.FreeOnClose = false;
    splash.SetBitmap(whitePicture());
    splash.Vypisverze = true;
    splash.SetVersion(kVersion);
    splash.Text1Color = Qt::red; // the version line takes the first line's colour
    splash.Text2Color = Qt::blue;
    splash.Show();
    const QImage image = shown(splash);
    const QRect band(0, 0, 250, 30);
    const Ink ink = inkIn(image, band, Qt::red);
    QVERIFY(ink.found());
    QVERIFY2(ink.left >= 12 && ink.left <= 13, qPrintable(QString::number(ink.left)));
    QVERIFY2(ink.top >= 10 && ink.top <= 13, qPrintable(QString::number(ink.top)));
    QVERIFY(!inkIn(image, QRect(0, 30, 500, 270), Qt::red).found());

    // The text: "Verze" and the number without a blank, 7 points, drawn as a reference would be.
    auto reference = [&](const QString& text) {
        QImage r = whitePicture();
        r.setDotsPerMeterX(3780);
        r.setDotsPerMeterY(3780);
        QPainter p(&r);
        const QFont font(u"Tahoma"_s, 7);
        p.setFont(font);
        p.setPen(Qt::red);
        p.drawText(QPoint(12, 10 + QFontMetrics(font, &r).ascent()), text);
        p.end();
        return r.convertToFormat(QImage::Format_RGB32).copy(band);
    };
    QCOMPARE(image.copy(band), reference(u"Verze"_s + kVersion));
    QVERIFY(image.copy(band) != reference(u"Verze "_s + kVersion));
}

void TestSplash::givenPositionsAndNoVersion() {
    TStartDialogSem splash;
    splash.FreeOnClose = false;
    splash.SetBitmap(whitePicture());
    splash.Text1 = u"H"_s;
    splash.Text1x = 40;
    splash.Text1y = 50;
    splash.Text2 = u"H"_s;
    splash.Text2x = 300;
    splash.Text2y = 150;
    splash.Show();
    const QImage image = shown(splash);
    const Ink first = inkIn(image, QRect(0, 40, 500, 60), Qt::blue);
    const Ink second = inkIn(image, QRect(0, 140, 500, 60), Qt::blue);
    QVERIFY(first.left >= 40 && first.left <= 44);
    QVERIFY(second.left >= 300 && second.left <= 303);
    QVERIFY(first.top >= 50 && second.top >= 150);
    // Without Vypisverze no version line.
    QVERIFY(!inkIn(image, QRect(0, 0, 500, 35), Qt::blue).found());
}

void TestSplash::windowAndFrame_data() {
    QTest::addColumn<int>("frame");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("offset");
    QTest::newRow("none") << int(TRamecek::None) << QSize(500, 300) << 0;
    QTest::newRow("lowered") << int(TRamecek::Lowered) << QSize(504, 304) << 2;
    QTest::newRow("raised") << int(TRamecek::Raised) << QSize(504, 304) << 2;
}

void TestSplash::windowAndFrame() {
    QFETCH(int, frame);
    QFETCH(QSize, size);
    QFETCH(int, offset);
    QImage picture = whitePicture();
    picture.setPixel(0, 0, qRgb(0, 200, 0));
    picture.setPixel(499, 299, qRgb(200, 0, 0));
    TStartDialogSem splash;
    splash.FreeOnClose = false;
    splash.Ramecek = TRamecek(frame);
    splash.SetBitmap(picture);
    splash.Show();
    QWidget* window = splash.Window();
    QVERIFY(window && window->isVisible() && window->isWindow());
    QCOMPARE(window->size(), size);
    QVERIFY(window->windowFlags() & Qt::FramelessWindowHint);
    QVERIFY(window->windowFlags() & Qt::WindowStaysOnTopHint);
    QVERIFY(window->windowTitle().isEmpty());
    QCOMPARE(window->parentWidget(), nullptr);
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    QVERIFY(std::abs(window->geometry().center().x() - screen.center().x()) <= 1);
    QVERIFY(std::abs(window->geometry().center().y() - screen.center().y()) <= 1);
    // The picture lies centred inside the frame.
    const QImage image = shown(splash);
    QCOMPARE(QColor(image.pixel(offset, offset)), QColor(0, 200, 0));
    QCOMPARE(QColor(image.pixel(offset + 499, offset + 299)), QColor(200, 0, 0));
}

void TestSplash::paintedBeforeTheLoopRuns() {
    // Counts the paintings of the splash panel that reach it from the window system.
    struct PaintSpy : QObject {
        int paints = 0;
        bool eventFilter(QObject* o, QEvent* e) override {
            if (e->type() == QEvent::Paint && o->objectName() == u"SplashPanel") ++paints;
            return false;
        }
    } spy;
    qApp->installEventFilter(&spy);
    TStartDialogSem splash;
    splash.FreeOnClose = false;
    splash.SetBitmap(whitePicture());
    splash.Text1 = u"Kvor Pro"_s;
    splash.Show();
    // The thread stays busy after Show; the splash must already be on the screen and painted.
    const int paints = spy.paints;
    qApp->removeEventFilter(&spy);
    QVERIFY(splash.Window()->isVisible());
    QVERIFY(paints >= 1);
}

void TestSplash::closing_data() {
    QTest::addColumn<bool>("freeOnClose");
    QTest::newRow("freed on close") << true;
    QTest::newRow("kept") << false;
}

void TestSplash::closing() {
    QFETCH(bool, freeOnClose);
    QObject owner;
    QPointer<TStartDialogSem> splash = new TStartDialogSem(&owner);
    splash->FreeOnClose = freeOnClose;
    splash->SetBitmap(whitePicture());
    bool windowAtClose = false;
    splash->OnClose = [&] { windowAtClose = splash && splash->Window() && splash->Window()->isVisible(); };
    splash->Show();
    QPointer<QWidget> window = splash->Window();
    splash->Close();
    QVERIFY(windowAtClose); // OnClose runs before the window goes
    QVERIFY(!window);
    QCOMPARE(splash.isNull(), freeOnClose);
    QCOMPARE(owner.children().size(), freeOnClose ? 0 : 1);
}

void TestSplash::closesItselfWhenIdle() {
    QObject owner;
    QPointer<TStartDialogSem> splash = new TStartDialogSem(&owner);
    splash->SetBitmap(whitePicture());
    splash->AutoZmiz = true;
    QThread* closedOn = nullptr;
    splash->OnClose = [&] { closedOn = QThread::currentThread(); };
    splash->Show();
    QPointer<QWidget> window = splash->Window();
    // Closing by the owner does nothing: the component closes itself.
    splash->Close();
    QVERIFY(window && window->isVisible());
    QVERIFY(splash);
    // Once the program's event loop waits for input, the splash goes, on the user-interface thread.
    QEventLoop idle;
    connect(splash, &QObject::destroyed, &idle, &QEventLoop::quit);
    QTimer::singleShot(20000, &idle, &QEventLoop::quit);
    idle.exec();
    QVERIFY(!splash);
    QVERIFY(!window);
    QCOMPARE(closedOn, qApp->thread());
}

void TestSplash::programPicture() {
    const QImage picture = TStartDialogSem::ProgramPicture();
    QCOMPARE(picture.size(), QSize(500, 300));
    QCOMPARE(picture.depth(), 24);
    // A picture, not a plain fill.
    QVERIFY(picture.pixel(10, 10) != picture.pixel(250, 150));
}

void TestSplash::startupWait_data() {
    QTest::addColumn<int>("preparationMs");
    QTest::addColumn<bool>("waits");
    QTest::newRow("quick preparation waits") << 0 << true;
    QTest::newRow("slow preparation closes at the first test") << 450 << false;
}

void TestSplash::startupWait() {
    QFETCH(int, preparationMs);
    QFETCH(bool, waits);
    const int minimum = 400;
    TStartupClock clock;
    clock.Start();
    QThread::msleep(preparationMs); // the busy work of the window creation
    bool messagesRan = false;
    QTimer::singleShot(0, [&] { messagesRan = true; });
    const int slices = clock.WaitAtLeast(minimum);
    QVERIFY(clock.Elapsed() >= minimum);
    QCOMPARE(slices > 0, waits);
    QCOMPARE(messagesRan, waits); // window messages run during the wait, and only then
    QCoreApplication::processEvents();
}

void TestSplash::aboutText() {
    QCOMPARE(help::aboutText(kVersion), u"Verze 2.13.2.10"_s);
    QCOMPARE(help::aboutText(u"-1.0.0.0"_s), u"Verze -1.0.0.0"_s);
}

QTEST_MAIN(TestSplash)
#include "tst_splash.moc"
