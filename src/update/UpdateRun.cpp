#include "update/UpdateRun.h"

#include "platform/SystemInfo.h"
#include "update/InstallerHandOff.h"
#include "update/UpdateCheck.h"
#include "update/UpdateSettings.h"
#include "widgets/MessageBox.h"
#include "widgets/ppracuji.h"

#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QEventLoop>
#include <QPointer>
#include <QScopeGuard>
#include <QWidget>
#include <atomic>
#include <exception>
#include <functional>
#include <thread>

namespace kvor {

namespace {

// Calls the stop function when the program is asked to end or the watched window closes.
class EndOfProgramWatch : public QObject {
public:
    EndOfProgramWatch(QWidget* window, std::function<void()> stop)
        : m_window(window), m_stop(std::move(stop)) {
        QCoreApplication::instance()->installEventFilter(this);
    }
    ~EndOfProgramWatch() override { QCoreApplication::instance()->removeEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        const bool quit = event->type() == QEvent::Quit && watched == QCoreApplication::instance();
        const bool closing = event->type() == QEvent::Close && m_window && watched == m_window;
        if (quit || closing) m_stop();
        return false;
    }

private:
    QPointer<QWidget> m_window;
    std::function<void()> m_stop;
};

// Runs the work on a worker thread while the user-interface thread goes on handling window messages,
// and returns when the work has ended; a failure of the work is raised here. Should the event loop be
// ended from outside (the application exits), the work is stopped before it is waited for, so the
// user-interface thread never sits out a step limit.
void runWhileWindowsLive(const std::function<void()>& work, const std::function<void()>& stop) {
    QEventLoop loop;
    std::exception_ptr failure;
    std::atomic<bool> finished{false};
    std::thread worker([&] {
        try {
            work();
        } catch (...) {
            failure = std::current_exception();
        }
        finished = true;
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec();
    if (!finished) stop();
    worker.join();
    if (failure) std::rethrow_exception(failure);
}

} // namespace

TUpdateRun::TUpdateRun(TMessageBox& dotaz, QWidget* owner) : m_dotaz(dotaz), m_owner(owner) {}

bool TUpdateRun::Execute(int mode) {
    m_result = QChar();
    // The windows live while the check waits, so its menu item can be picked again: one check at a time.
    static bool running = false;
    if (running) return false;
    running = true;
    const auto done = qScopeGuard([] { running = false; });
    TWorkingWindow working(workingText(), m_owner);

    const QString folder = sys::programFolder();
    const TUpdateSettings settings =
        TUpdateSettings::fromIni(QDir(folder).filePath(QStringLiteral("../Trivan05.ini")));
    TUpdateCheckInput input;
    input.Ftp.Host = settings.Host;
    input.Ftp.Port = settings.Port;
    input.Ftp.User = settings.User;
    input.Ftp.Password = settings.Password;
    input.Ftp.Passive = settings.Passive;
    input.Ftp.LocalAddress = LocalAddress;
    input.LocalFolder = folder;
    input.ProgramFile = sys::programFilePath();

    TUpdateCheck check(input);
    QChar result;
    {
        const EndOfProgramWatch watch(m_owner, [&check] { check.Abort(); });
        runWhileWindowsLive([&] { result = check.Run(); }, [&check] { check.Abort(); });
    }
    working->close();
    m_result = result;

    if (result == TUpdateCheck::kNewer) return handOff(settings.Drive);
    // The program is ending: a message about the check would only stand in its way.
    if (check.Aborted()) return false;
    if (mode == Menu && result == TUpdateCheck::kFailed)
        m_dotaz.Ask(failedText(), TMsgIcon::Stop, {QStringLiteral("OK")});
    if (mode == Menu && result == TUpdateCheck::kCurrent)
        m_dotaz.Ask(currentText(), TMsgIcon::Information, {QStringLiteral("OK")});
    return false;
}

bool TUpdateRun::handOff(const QString& drive) {
    if (m_dotaz.Ask(installQuestion(), TMsgIcon::Information, {installButton(), postponeButton()}) != 1)
        return false;
    // The question leaves the screen before the installer's window comes up.
    QCoreApplication::processEvents();
    // Whether the installer started is not examined: the program ends either way.
    handoff::startInstaller(handoff::commandLine(TUpdateCheckInput().InstallerName, drive),
                            sys::programFolder());
    return true;
}

} // namespace kvor
