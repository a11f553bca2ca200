#pragma once
// What the fuzz targets share: checks of the properties they test on every input, and a scratch
// folder for the files they write.
#include <QDir>
#include <QString>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

namespace kvor::fuzzing {

// A broken property is a fault like a crash: it names itself on stderr and aborts, so libFuzzer
// keeps the input and a replaying test fails.
[[noreturn]] inline void fail(const char* what, const QString& detail = QString()) {
    std::fprintf(stderr, "fuzz check failed: %s %s\n", what, qPrintable(detail));
    std::abort();
}

inline void check(bool holds, const char* what, const QString& detail = QString()) {
    if (!holds) fail(what, detail);
}

// A path in a folder of this process, made once. Files that are written and flushed to disk on
// every input go to memory (/dev/shm) where there is such a place: on a disk the flushes, not the
// code under test, would decide how many inputs a second are tried.
inline QString scratchPath(const QString& name) {
    static QTemporaryDir dir(QDir(QStringLiteral("/dev/shm")).exists()
                                 ? QStringLiteral("/dev/shm/kvor-fuzz-XXXXXX")
                                 : QDir::tempPath() + QStringLiteral("/kvor-fuzz-XXXXXX"));
    return dir.filePath(name);
}

} // namespace kvor::fuzzing
