#pragma once
// The desktop's open operation and starting other programs.
#include <QString>
#include <QStringList>

namespace kvor::desktop {

// Hands the document to the application the desktop associates with it and returns at once.
// A relative path is taken from the current folder. False when the file is missing or the desktop
// refused it; the viewer's own fate is not known.
bool openDocument(const QString& path);

struct ProcessOutcome {
    bool ok = false;   // started (and, when waited for, ended normally rather than crashed)
    int exitCode = -1; // the exit code of a process that was waited for; 0 for a detached one
};

// Starts the program with the arguments in the folder (the current folder when empty), either
// detached or waiting for it to end. As on the desktop the program files come from, a bare program
// name is looked for in that folder before the search path.
ProcessOutcome startProcess(const QString& program, const QStringList& arguments, bool wait,
                            const QString& folder = QString());

} // namespace kvor::desktop
