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
    // An encrypted link: the connection fails rather than go out in clear text. With a CA file
    // the server's certificate and name are verified against it; without one the link is only
    // encrypted, which still keeps the data from anybody listening on the way.
    bool Ssl = false;
    QString SslCa;

    // The compiled-in host and port with the vendor database's name, user and password.
    static TServerConfig defaults();
    // The defaults overridden by the section [Server] of the given kvor.ini (Host, Port, User,
    // Password, SSL=1, SSLCA); a missing file or key keeps the default.
    static TServerConfig fromIni(const QString& iniPath);
};

} // namespace kvor
