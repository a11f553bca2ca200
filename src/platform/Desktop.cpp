#include "platform/Desktop.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

namespace kvor::desktop {

bool openDocument(const QString& path) {
    QFileInfo info(QDir::fromNativeSeparators(path));
    if (path.isEmpty() || !info.exists()) return false;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(info.absoluteFilePath()));
}

namespace {

QString locateProgram(const QString& program, const QString& folder) {
    const QString name = QDir::fromNativeSeparators(program);
    if (name.contains(u'/')) return name;
    const QFileInfo local(QDir(folder.isEmpty() ? QDir::currentPath() : folder), name);
    if (local.isFile() && local.isExecutable()) return local.absoluteFilePath();
    return name;
}

} // namespace

ProcessOutcome startProcess(const QString& program, const QStringList& arguments, bool wait,
                            const QString& folder) {
    ProcessOutcome outcome;
    if (program.trimmed().isEmpty()) return outcome;
    const QString executable = locateProgram(program, folder);
    const QString workingFolder = folder.isEmpty() ? QDir::currentPath() : folder;

    if (!wait) {
        QProcess process;
        process.setProgram(executable);
        process.setArguments(arguments);
        process.setWorkingDirectory(workingFolder);
        outcome.ok = process.startDetached();
        outcome.exitCode = outcome.ok ? 0 : -1;
        return outcome;
    }

    QProcess process;
    process.setProgram(executable);
    process.setArguments(arguments);
    process.setWorkingDirectory(workingFolder);
    // The child shares our console as a program started by the desktop would; nothing is captured.
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    process.start();
    if (!process.waitForStarted(-1)) return outcome;
    process.waitForFinished(-1);
    outcome.ok = process.exitStatus() == QProcess::NormalExit;
    outcome.exitCode = outcome.ok ? process.exitCode() : -1;
    return outcome;
}

} // namespace kvor::desktop
