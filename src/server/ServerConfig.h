#pragma once
// Where the vendor database is and how long the client waits for it.
#include <QString>

namespace kvor {

struct TServerConfig {
    QString Host;
    int Port = 0; // 0: the client library's default port
    QString Database = QStringLiteral("pelmar");
    QString User = QStringLiteral("pelmar");
    QString Password = QStringLiteral("730518kpw");
    // Seconds. An unreachable host must not hang the start-up, and a connection that dies in the
    // middle of a statement must end that statement with an error instead of waiting for ever.
    int ConnectTimeout = 10;
    int ReadTimeout = 120;
    int WriteTimeout = 60;

    // The compiled-in host and port with the system's database, user and password.
    static TServerConfig defaults();
    // The defaults overridden by the section [Server] of the given kvor.ini (Host, Port, User,
    // Password); a missing file or key keeps the default.
    static TServerConfig fromIni(const QString& iniPath);
};

// Values of a profile file (sections and keys, Windows-1250 text). Names of sections and keys are
// compared without regard to case; writing keeps every other line of the file as it was.
namespace profile {
QString readString(const QString& path, const QString& section, const QString& key,
                   const QString& fallback = {});
// Raises std::runtime_error when the file cannot be written.
void writeString(const QString& path, const QString& section, const QString& key, const QString& value);
} // namespace profile

} // namespace kvor
