#pragma once
// A stand-in for the installer: a shell script that records the folder it was started in and its
// arguments, one a line, into started.txt beside itself.
#include <QByteArray>
#include <QFile>
#include <QStringList>
#include <QTest>

namespace kvor::testing {

inline QByteArray standInInstaller() {
    return "#!/bin/sh\n"
           "{ pwd; for a in \"$@\"; do printf '%s\\n' \"$a\"; done; } > started.txt.part\n"
           "mv started.txt.part started.txt\n";
}

// What the stand-in recorded in the folder: its working folder, then its arguments; empty until it ran.
inline QStringList standInRecord(const QString& folder, int waitMs) {
    const QString path = folder + QStringLiteral("/started.txt");
    if (!QTest::qWaitFor([&] { return QFile::exists(path); }, waitMs)) return {};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n');
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
    return lines;
}

} // namespace kvor::testing
