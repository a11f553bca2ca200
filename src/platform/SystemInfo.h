#pragma once
// Facts about the machine and the running program that the start-up, the server link, the update
// check and the about box need.
#include <QString>

namespace kvor::sys {

// The folder of the running program file; bare file names (kvor.ini, data, a.txt) live there.
QString programFolder();
// Tests and tools point the program at another folder; an empty folder restores the real one.
void setProgramFolder(const QString& folder);
// The running program file itself (its last-modified time is the program's time stamp).
QString programFilePath();
// Makes the program folder the current folder; false when it cannot be entered.
bool makeProgramFolderCurrent();

// The name of the user logged on to the system, or "(Unknown)".
QString userName();
// The computer's network name, or "(Unknown)".
QString computerName();

// The four-part version of the program, "major.minor.release.build".
QString programVersion();

// The local host name, empty when it cannot be read.
QString hostName();
// The first IPv4 address the local host name resolves to, in dotted decimal; empty when there is
// none. A blocking name lookup.
QString firstIPv4Address();

inline const char* const unknownName = "(Unknown)";

} // namespace kvor::sys
