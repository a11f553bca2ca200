#include "update/UpdateCheck.h"

#include "update/VersionStamp.h"

#include <QDir>
#include <QFile>
#include <QScopeGuard>

namespace kvor {

TUpdateCheck::TUpdateCheck(TUpdateCheckInput input) : m_input(std::move(input)), m_ftp(m_input.Ftp) {}

void TUpdateCheck::Abort() {
    m_aborted = true;
    m_ftp.Abort();
}

QChar TUpdateCheck::Run() {
    // Whatever happens, both connections close at once when the check ends.
    const auto closeConnections = qScopeGuard([this] { m_ftp.Close(); });
    const QDir local(m_input.LocalFolder);

    // The outcome of changing into the folder and of choosing binary transfers does not matter: a
    // server that refuses them fails the download that follows.
    if (!m_ftp.Login({QStringLiteral("CWD ") + m_input.RemoteFolder, QStringLiteral("TYPE I")}))
        return kFailed;

    const QString versionPath = local.filePath(m_input.VersionFileName);
    if (!m_ftp.Download(m_input.VersionFileName, versionPath)) return kFailed;

    QFile versionFile(versionPath);
    if (!versionFile.open(QIODevice::ReadOnly))
        throw EUpdateError(QStringLiteral("Nelze číst soubor %1.").arg(m_input.VersionFileName));
    const QString publishedStamp = stamp::published(versionFile.readAll());
    const QString programStamp = stamp::ofFile(m_input.ProgramFile);
    stamp::writeLog(local.filePath(logFileName()), programStamp, publishedStamp);
    if (!stamp::isNewer(publishedStamp, programStamp)) return kCurrent;

    if (!m_ftp.Download(m_input.InstallerName, local.filePath(m_input.InstallerName))) return kFailed;
    return kNewer;
}

} // namespace kvor
