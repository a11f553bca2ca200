#include "splash/StartDialogSem.h"

#include "platform/SystemInfo.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QEventLoop>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QSemaphore>
#include <QThread>
#include <QTimer>

namespace kvor {

namespace {

constexpr int kRightMargin = 20;
constexpr int kFrameWidth = 2;
// The texts are measured in points at 96 pixels per inch, whatever the screen says.
constexpr int kDotsPerMeter96 = 3780;
constexpr int kStartupWaitSliceMs = 500;

// Waits, without a time limit, until the program's own process is idle: its event loop is about
// to wait for input with nothing pending. It touches nothing of the splash; its end is handed to
// the user-interface thread by the finished signal.
class TStartThread : public QThread {
public:
    TStartThread() {
        auto* dispatcher = QAbstractEventDispatcher::instance(QCoreApplication::instance()->thread());
        // Runs on the user-interface thread each time its loop is about to block.
        m_idle = connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, [this] {
            disconnect(m_idle);
            m_ready.release();
        });
        connect(this, &QThread::finished, this, &QObject::deleteLater);
    }
    // Ends the wait early (the splash is being destroyed).
    void wake() {
        disconnect(m_idle);
        m_ready.release();
    }

protected:
    void run() override { m_ready.acquire(); }

private:
    QSemaphore m_ready;
    QMetaObject::Connection m_idle;
};

QFont tahoma(int points, bool bold) {
    QFont font(QStringLiteral("Tahoma"), points, bold ? QFont::Bold : QFont::Normal);
    return font;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// TStartupClock

int TStartupClock::WaitAtLeast(int milliseconds) const {
    int waits = 0;
    while (Elapsed() < milliseconds) {
        QEventLoop loop;
        QTimer::singleShot(std::min<qint64>(kStartupWaitSliceMs, milliseconds - Elapsed()), &loop,
                           &QEventLoop::quit);
        loop.exec();
        ++waits;
    }
    return waits;
}

// ---------------------------------------------------------------------------------------------
// TSplashPanel

TSplashPanel::TSplashPanel(const QImage& picture, TRamecek frame, QWidget* parent)
    : QFrame(parent), m_picture(picture) {
    setObjectName(QStringLiteral("SplashPanel"));
    switch (frame) {
    case TRamecek::None:
        setFrameStyle(QFrame::NoFrame);
        break;
    case TRamecek::Lowered:
        setFrameStyle(QFrame::Panel | QFrame::Sunken);
        break;
    case TRamecek::Raised:
        setFrameStyle(QFrame::Panel | QFrame::Raised);
        break;
    case TRamecek::Box:
        setFrameStyle(QFrame::Box | QFrame::Plain);
        break;
    }
    if (frame != TRamecek::None) setLineWidth(kFrameWidth);
}

void TSplashPanel::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    QPainter p(this);
    const QRect area = contentsRect();
    p.drawImage(area.x() + (area.width() - m_picture.width()) / 2,
                area.y() + (area.height() - m_picture.height()) / 2, m_picture);
}

// ---------------------------------------------------------------------------------------------
// TStartDialogSem

TStartDialogSem::TStartDialogSem(QObject* owner) : QObject(owner) {
    setObjectName(QStringLiteral("StartDialogSem1"));
}

TStartDialogSem::~TStartDialogSem() {
    if (auto* watcher = static_cast<TStartThread*>(m_watcher.data())) {
        disconnect(watcher, nullptr, this, nullptr);
        watcher->wake();
        watcher->wait();
    }
    delete m_window;
}

QString TStartDialogSem::Version() const {
    return m_version.isNull() ? sys::programVersion() : m_version;
}

QImage TStartDialogSem::ProgramPicture() {
    return QImage(QStringLiteral(":/kvor/splash/splash.png")).convertToFormat(QImage::Format_RGB888);
}

QImage TStartDialogSem::DrawnPicture() const {
    return m_panel ? m_panel->Picture() : QImage();
}

void TStartDialogSem::drawTexts(QImage& picture) const {
    QPainter p(&picture);
    p.setRenderHint(QPainter::TextAntialiasing);
    // A line starts at its x, or ends 20 pixels before the right edge when x is 0; y is its top.
    auto line = [&](const QString& text, const QFont& font, const QColor& color, int x, int y) {
        if (text.isEmpty()) return;
        p.setFont(font);
        p.setPen(color);
        const QFontMetrics metrics(font, &picture);
        const int left = x != 0 ? x : picture.width() - metrics.horizontalAdvance(text) - kRightMargin;
        p.drawText(QPoint(left, y + metrics.ascent()), text);
    };
    line(Text1, tahoma(25, true), Text1Color, Text1x, Text1y);
    line(Text2, tahoma(15, false), Text2Color, Text2x, Text2y);
    if (Vypisverze) {
        // No blank between the word and the number, unlike the About box.
        const QFont font = tahoma(7, false);
        p.setFont(font);
        p.setPen(Text1Color);
        p.drawText(QPoint(12, 10 + QFontMetrics(font, &picture).ascent()),
                   QStringLiteral("Verze") + Version());
    }
}

void TStartDialogSem::Show() {
    if (m_window) return;
    // 1. A plain window of no owner: no border, no title, no buttons, on top of everything.
    auto* window =
        new QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    window->setObjectName(QStringLiteral("StartDialogSemWindow"));
    window->setAttribute(Qt::WA_DeleteOnClose, false);
    m_window = window;
    // 2. The size of the picture, with two pixels of frame on each side when it has one.
    const int frame = Ramecek == TRamecek::None ? 0 : 2 * kFrameWidth;
    window->setFixedSize(m_bitmap.width() + frame, m_bitmap.height() + frame);
    // 3., 4. The panel with its own copy of the picture, the texts drawn onto the copy.
    QImage copy = m_bitmap.copy();
    if (!copy.isNull()) {
        copy.setDotsPerMeterX(kDotsPerMeter96);
        copy.setDotsPerMeterY(kDotsPerMeter96);
        drawTexts(copy);
    }
    m_panel = new TSplashPanel(copy, Ramecek, window);
    m_panel->setGeometry(window->rect());
    if (QScreen* screen = QGuiApplication::primaryScreen())
        window->move(screen->geometry().center() - window->rect().center());
    // 5. Shown and painted at once: the creation work that follows keeps this thread busy.
    window->show();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    window->repaint();
    // 6.
    if (AutoZmiz) startIdleWatcher();
}

void TStartDialogSem::startIdleWatcher() {
    auto* watcher = new TStartThread;
    m_watcher = watcher;
    // Queued to this object's thread: the closing runs on the user-interface thread.
    connect(
        watcher, &QThread::finished, this, [this] { finish(false); }, Qt::QueuedConnection);
    watcher->start();
}

void TStartDialogSem::Close() {
    if (AutoZmiz) return;
    finish(true);
}

void TStartDialogSem::finish(bool deleteNow) {
    if (OnClose) OnClose();
    if (m_window) {
        m_window->close();
        delete m_window;
    }
    emit closed();
    if (!FreeOnClose) return;
    setParent(nullptr);
    if (deleteNow)
        delete this;
    else
        deleteLater(); // called from a queued call to this object: destroyed once that call is over
}

} // namespace kvor
