#pragma once
// Starting the downloaded installer: its command line, pointed at the removable-drive installation
// when one is configured, and the start itself.
#include <QString>
#include <QStringList>

namespace kvor::handoff {

// The installer's name alone, or with a drive prefix the name followed by
// /DIR="<drive>\program files\pelmar\trivan05\kvor05\" — the prefix used exactly as it was read, so
// a trailing backslash doubles the separator and a blank is a prefix like any other.
QString commandLine(const QString& installerName, const QString& drive);

struct TProgramCall {
    QString Program;
    QStringList Arguments;
};

// The command line as a program and its arguments: blanks separate, double quotes group and are
// dropped, backslashes are plain characters (they are the separators of the target folder).
TProgramCall splitCommandLine(const QString& commandLine);

// Starts the command line detached in the folder, as the installer of a new version: normal
// priority and window, nothing passed on, no wait. On systems that keep an executable bit the
// downloaded installer gets it first. False when the process could not be started; the caller does
// not report it (the program ends all the same).
bool startInstaller(const QString& commandLine, const QString& folder);

} // namespace kvor::handoff
