#include "update/InstallerHandOff.h"

#include "platform/Desktop.h"

#include <QDir>
#include <QFile>
#include <QProcess>

namespace kvor::handoff {

QString commandLine(const QString& installerName, const QString& drive) {
    if (drive.isEmpty()) return installerName;
    return installerName + QStringLiteral(" /DIR=\"") + drive +
           QStringLiteral("\\program files\\pelmar\\trivan05\\kvor05\\\"");
}

TProgramCall splitCommandLine(const QString& commandLine) {
    QStringList words;
    QString word;
    bool inWord = false;
    bool quoted = false;
    for (const QChar c : commandLine) {
        if (c == u'"') {
            quoted = !quoted;
            inWord = true;
        } else if (c == u' ' && !quoted) {
            if (inWord) words << word;
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord) words << word;
    TProgramCall call;
    if (!words.isEmpty()) call.Program = words.takeFirst();
    call.Arguments = words;
    return call;
}

bool startInstaller(const QString& commandLine, const QString& folder) {
    const TProgramCall call = splitCommandLine(commandLine);
    if (call.Program.isEmpty()) return false;
#ifdef Q_OS_WIN
    // The installer parses its own command line: it gets the text after its name as it stands.
    QProcess process;
    process.setProgram(QDir(folder).filePath(call.Program));
    const qsizetype blank = commandLine.indexOf(u' ');
    if (blank >= 0) process.setNativeArguments(commandLine.mid(blank + 1));
    process.setWorkingDirectory(folder);
    return process.startDetached();
#else
    // A file fetched over FTP arrives without the executable bit. The installer in the folder is
    // meant, never a program of that name found elsewhere.
    const QString program = QDir(folder).absoluteFilePath(call.Program);
    QFile installer(program);
    if (installer.exists())
        installer.setPermissions(installer.permissions() | QFileDevice::ExeOwner | QFileDevice::ExeGroup |
                                 QFileDevice::ExeOther);
    return desktop::startProcess(program, call.Arguments, false, folder).ok;
#endif
}

} // namespace kvor::handoff
