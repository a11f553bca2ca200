// Kvor Pro: the request editor for the certification of seed lots.
#include "app/InstanceLock.h"
#include "app/zahla.h"
#include "platform/SystemInfo.h"
#include "widgets/Fonts.h"
#include "widgets/MessageBox.h"

#include <QApplication>
#include <QFont>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kvor Pro"));
    QApplication::setApplicationDisplayName(QStringLiteral("Kvor Pro"));
    // An installed program cannot write its own folder: its start-up script names the user's.
    if (const QString folder = qEnvironmentVariable("KVOR_PROGRAM_FOLDER"); !folder.isEmpty())
        kvor::sys::setProgramFolder(folder);
    kvor::installFontSubstitutes();
    QApplication::setFont(QFont(QStringLiteral("Tahoma"), 8));

    kvor::TInstanceLock lock(kvor::sys::programFolder());
    if (!lock.TryLock()) {
        kvor::TMessageBox box;
        box.Ask(kvor::TInstanceLock::SecondCopyText, kvor::TMsgIcon::Stop, {QStringLiteral("OK")});
        return 1;
    }

    kvor::TForm1 form;
    // The user chose to install a new version during the start-up: the installer takes over.
    if (form.TerminateRequested()) return 0;
    form.show();
    return app.exec();
}
