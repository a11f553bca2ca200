#pragma once
// One copy of the program per program folder: the tables are opened exclusively and the transient
// files have fixed names, so a second copy would only fail half-way through its start-up.
#include <QLockFile>
#include <QString>

namespace kvor {

class TInstanceLock {
public:
    explicit TInstanceLock(const QString& programFolder);
    // False when another running copy holds the folder.
    bool TryLock();
    bool Locked() const { return m_lock.isLocked(); }

    static const QString FileName;       // "kvor.lck"
    static const QString SecondCopyText; // the message of a second copy

private:
    QLockFile m_lock;
};

} // namespace kvor
