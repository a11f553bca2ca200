#pragma once
// One copy of the program per program folder: the tables are opened exclusively and the transient
// files have fixed names, so a second copy would only fail half-way through its start-up.
#include <QLockFile>
#include <QString>

namespace kvor {

class TMessageBox;

class TInstanceLock {
public:
    explicit TInstanceLock(const QString& programFolder);
    // False when another running copy holds the folder.
    bool TryLock();
    // Takes the folder for this copy; when another running copy holds it, tells the user so in
    // the box and returns false: the program then ends before it opens anything.
    bool Admit(TMessageBox& box);
    bool Locked() const { return m_lock.isLocked(); }

    static const QString FileName;       // "kvor.lck"
    static const QString SecondCopyText; // the message of a second copy

private:
    QLockFile m_lock;
};

} // namespace kvor
