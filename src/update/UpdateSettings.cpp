#include "update/UpdateSettings.h"

#include "platform/ProfileFile.h"

#ifndef KVOR_DEFAULT_FTP_HOST
#define KVOR_DEFAULT_FTP_HOST "127.0.0.1"
#endif

namespace kvor {

TUpdateSettings TUpdateSettings::fromIni(const QString& fileName) {
    const TIniFile ini(fileName);
    const QString logOn = QStringLiteral("LogON");
    TUpdateSettings s;
    s.Host = ini.ReadString(logOn, QStringLiteral("_FTP"), QStringLiteral(KVOR_DEFAULT_FTP_HOST));
    s.User = ini.ReadString(logOn, QStringLiteral("_FTPuser"), QStringLiteral("pelmar"));
    s.Password = ini.ReadString(logOn, QStringLiteral("_FTPpassword"), QStringLiteral("730518kpw"));
    s.Port = ini.ReadString(logOn, QStringLiteral("_FTPport"), QStringLiteral("21"));
    // Only this exact spelling turns passive mode off; "false" or "0" keep it on.
    s.Passive = ini.ReadString(logOn, QStringLiteral("_FTPpassive"), QStringLiteral("True")) != u"False";
    s.Drive = ini.ReadString(QStringLiteral("Removable"), QStringLiteral("Drive"), QString());
    return s;
}

} // namespace kvor
