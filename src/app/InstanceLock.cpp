#include "app/InstanceLock.h"

#include "widgets/MessageBox.h"

#include <QDir>

namespace kvor {

const QString TInstanceLock::FileName = QStringLiteral("kvor.lck");
const QString TInstanceLock::SecondCopyText =
    QStringLiteral("Program Kvor Pro je z této složky již spuštěn.\rDruhou kopii nelze spustit.");

TInstanceLock::TInstanceLock(const QString& programFolder) : m_lock(QDir(programFolder).filePath(FileName)) {
    // A lock left by a copy that crashed is recognised by its process id, however young it is; the
    // age alone must never free a folder whose copy is still running.
    m_lock.setStaleLockTime(0);
}

bool TInstanceLock::TryLock() {
    if (m_lock.tryLock(0)) return true;
    // Only a lock held by a running copy refuses the start; a folder where no lock file can be
    // written cannot be guarded, and the program reports what fails there itself.
    return m_lock.error() != QLockFile::LockFailedError;
}

bool TInstanceLock::Admit(TMessageBox& box) {
    if (TryLock()) return true;
    box.Ask(SecondCopyText, TMsgIcon::Stop, {QStringLiteral("OK")});
    return false;
}

} // namespace kvor
