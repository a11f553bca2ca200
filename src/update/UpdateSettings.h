#pragma once
// The update settings of the product family, kept in the shared settings file one folder above the
// program folder (sections "LogON" and "Removable" of Trivan05.ini). The program only reads them.
#include <QString>

namespace kvor {

struct TUpdateSettings {
    QString Host;        // "_FTP"
    QString Port;        // "_FTPport", passed on as text
    QString User;        // "_FTPuser"
    QString Password;    // "_FTPpassword"
    bool Passive = true; // "_FTPpassive": passive unless the value is exactly "False"
    QString Drive;       // "Drive" of "Removable": the drive prefix of a removable-drive installation

    // The settings file relative to the current folder, which start-up makes the program folder.
    static QString defaultFileName() { return QStringLiteral("..\\Trivan05.ini"); }
    // A missing file or key gives its default.
    static TUpdateSettings fromIni(const QString& fileName = defaultFileName());
};

} // namespace kvor
