#pragma once
// The check for a new version: fetch the version file from the vendor's FTP folder, compare its
// release stamp with the stamp of the running program's file, and on a newer build fetch the
// installer too. It shows nothing; the update run reports its result.
#include "update/FtpClient.h"

#include <QChar>
#include <QString>
#include <atomic>

namespace kvor {

struct TUpdateCheckInput {
    TFtpOptions Ftp;
    QString InstallerName = QStringLiteral("setupkvr.exe");
    QString VersionFileName = QStringLiteral("setupkvr.ver");
    QString RemoteFolder = QStringLiteral("pelmar/trivan05");
    QString LocalFolder; // where both files land and verze.log is written: the program folder
    QString ProgramFile; // whose last-modified time is the program's stamp
};

class TUpdateCheck {
public:
    static constexpr QChar kNewer = u'A';   // a newer build is published and its installer is here
    static constexpr QChar kCurrent = u'N'; // nothing newer
    static constexpr QChar kFailed = u'E';  // the connection, the login or a download failed

    explicit TUpdateCheck(TUpdateCheckInput input);

    // Runs the check to its end and returns its result. Blocks (the update run calls it on a worker
    // thread). A version file without a second line raises EUpdateError.
    QChar Run();

    // Ends the wait of the running step: the check fails. Safe from any thread.
    void Abort();
    bool Aborted() const { return m_aborted; }

    const TUpdateCheckInput& Input() const { return m_input; }
    QString LastError() const { return m_ftp.LastError(); }

    static QString logFileName() { return QStringLiteral("verze.log"); }

private:
    TUpdateCheckInput m_input;
    TFtpClient m_ftp;
    std::atomic<bool> m_aborted{false};
};

} // namespace kvor
