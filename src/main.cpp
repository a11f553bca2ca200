// Kvor Pro: the request editor for the certification of seed lots.
#include "app/AppWindows.h"
#include "app/InstanceLock.h"
#include "app/zahla.h"
#include "platform/SystemInfo.h"
#include "widgets/MessageBox.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    kvor::setUpApplication();
    // An installed program cannot write its own folder: its start-up script names the user's.
    if (const QString folder = qEnvironmentVariable("KVOR_PROGRAM_FOLDER"); !folder.isEmpty())
        kvor::sys::setProgramFolder(folder);

    kvor::TInstanceLock lock(kvor::sys::programFolder());
    kvor::TMessageBox box;
    if (!lock.Admit(box)) return 1;

    kvor::TForm1 form;
    // The user chose to install a new version during the start-up: the installer takes over.
    if (form.TerminateRequested()) return 0;
    form.show();
    return app.exec();
}
