#pragma once
// The start-up splash: a borderless picture in the middle of the screen with the program's name,
// a subtitle and its version drawn onto it. A small component that its owner configures, shows at
// the beginning of a long preparation and closes at its end; it can also close itself as soon as
// the program first waits for the user.
#include <QColor>
#include <QElapsedTimer>
#include <QFrame>
#include <QImage>
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>

class QThread;

namespace kvor {

// The least time the splash stays up during start-up, counted from when it was shown. The clock is
// monotonic, so a start across midnight or a change of the system time does not bend the wait.
class TStartupClock {
public:
    void Start() { m_clock.start(); }
    qint64 Elapsed() const { return m_clock.isValid() ? m_clock.elapsed() : 0; }
    // Lets window messages run, at most 500 milliseconds at a time, until at least the given time
    // has passed since Start; returns at once when it already has. Returns how many times it let
    // messages run.
    int WaitAtLeast(int milliseconds) const;

private:
    QElapsedTimer m_clock;
};

// The frame around the picture: none, or one of the bevels of the toolkit.
enum class TRamecek { None, Lowered, Raised, Box };

// The panel that fills the splash window and paints its own copy of the picture, centred.
class TSplashPanel : public QFrame {
    Q_OBJECT
public:
    TSplashPanel(const QImage& picture, TRamecek frame, QWidget* parent);
    const QImage& Picture() const { return m_picture; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage m_picture;
};

class TStartDialogSem : public QObject {
    Q_OBJECT
public:
    explicit TStartDialogSem(QObject* owner = nullptr);
    ~TStartDialogSem() override;

    // The background picture; it sets the window size. Assigning copies it.
    const QImage& Bitmap() const { return m_bitmap; }
    void SetBitmap(const QImage& picture) { m_bitmap = picture.copy(); }

    TRamecek Ramecek = TRamecek::None;
    QString Text1, Text2;
    int Text1x = 0, Text1y = 0, Text2x = 0, Text2y = 0; // x 0: right-aligned 20 pixels from the edge
    QColor Text1Color = Qt::blue;                       // also the version line
    QColor Text2Color = Qt::blue;
    bool Vypisverze = false;
    bool FreeOnClose = true;
    bool AutoZmiz = false;
    std::function<void()> OnClose;

    // The version the version line shows; the program's own unless set.
    QString Version() const;
    void SetVersion(const QString& version) { m_version = version; }

    // Builds, draws and shows the splash window and paints it at once. Called once.
    void Show();
    // Closes the splash; nothing when it closes itself (AutoZmiz). With FreeOnClose the component
    // is destroyed too, so the owner's QPointer to it becomes empty.
    void Close();

    // The splash window while it is up, else nullptr.
    QWidget* Window() const { return m_window; }
    // The picture with the texts drawn onto it (the panel's working copy).
    QImage DrawnPicture() const;

    // The picture bundled with the program: 500 x 300 pixels, 24-bit colour.
    static QImage ProgramPicture();

signals:
    // The splash has gone (after OnClose, before the component is destroyed).
    void closed();

private:
    void drawTexts(QImage& picture) const;
    void startIdleWatcher();
    // Steps that follow the decision to close: OnClose, the window, and the component itself.
    void finish(bool deleteNow);

    QImage m_bitmap;
    QString m_version;
    QPointer<QWidget> m_window;
    QPointer<TSplashPanel> m_panel;
    QPointer<QThread> m_watcher;
};

} // namespace kvor
