#include "server/ServerConfig.h"

#include "platform/ProfileFile.h"

#ifndef KVOR_DEFAULT_SERVER_HOST
#define KVOR_DEFAULT_SERVER_HOST "127.0.0.1"
#endif
#ifndef KVOR_DEFAULT_SERVER_PORT
#define KVOR_DEFAULT_SERVER_PORT 3306
#endif

namespace kvor {

TServerConfig TServerConfig::defaults() {
    TServerConfig c;
    c.Host = QStringLiteral(KVOR_DEFAULT_SERVER_HOST);
    c.Port = KVOR_DEFAULT_SERVER_PORT;
    return c;
}

TServerConfig TServerConfig::fromIni(const QString& iniPath) {
    TServerConfig c = defaults();
    const TIniFile ini(iniPath);
    const QString section = QStringLiteral("Server");
    c.Host = ini.ReadString(section, QStringLiteral("Host"), c.Host);
    const int port = ini.ReadInteger(section, QStringLiteral("Port"), -1);
    if (port >= 0 && port <= 65535) c.Port = port;
    c.User = ini.ReadString(section, QStringLiteral("User"), c.User);
    c.Password = ini.ReadString(section, QStringLiteral("Password"), c.Password);
    c.Ssl = ini.ReadInteger(section, QStringLiteral("SSL"), 0) != 0;
    c.SslCa = ini.ReadString(section, QStringLiteral("SSLCA"), QString());
    return c;
}

} // namespace kvor
