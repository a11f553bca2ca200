#include "platform/SystemInfo.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSysInfo>

#ifdef Q_OS_WIN
#include <windows.h>
#include <winsock2.h>
#include <ws2tcpip.h>

#include <iterator>
#else
#include <arpa/inet.h>
#include <netdb.h>
#include <pwd.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>
#endif

namespace kvor::sys {

namespace {

QString& folderOverride() {
    static QString folder;
    return folder;
}

QString orUnknown(const QString& name) {
    const QString trimmed = name.trimmed();
    return trimmed.isEmpty() ? QString::fromLatin1(unknownName) : trimmed;
}

} // namespace

QString programFilePath() {
    if (QCoreApplication::instance()) return QCoreApplication::applicationFilePath();
#ifdef Q_OS_LINUX
    // Tools that run without an application object still know where they were started from.
    const QString exe = QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget();
    if (!exe.isEmpty()) return exe;
#endif
    return QString();
}

QString programFolder() {
    const QString& folder = folderOverride();
    if (!folder.isEmpty()) return folder;
    const QString file = programFilePath();
    if (!file.isEmpty()) return QFileInfo(file).absolutePath();
    return QDir::currentPath();
}

void setProgramFolder(const QString& folder) {
    folderOverride() = folder.isEmpty() ? QString() : QDir::cleanPath(QDir(folder).absolutePath());
}

bool makeProgramFolderCurrent() {
    return QDir::setCurrent(programFolder());
}

QString userName() {
#ifdef Q_OS_WIN
    wchar_t buffer[257];
    DWORD size = DWORD(std::size(buffer));
    if (!GetUserNameW(buffer, &size)) return QString::fromLatin1(unknownName);
    return orUnknown(QString::fromWCharArray(buffer));
#else
    long bufferSize = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(bufferSize > 0 ? size_t(bufferSize) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || !found)
        return QString::fromLatin1(unknownName);
    return orUnknown(QString::fromLocal8Bit(found->pw_name));
#endif
}

QString computerName() {
#ifdef Q_OS_WIN
    wchar_t buffer[MAX_COMPUTERNAME_LENGTH + 1];
    DWORD size = DWORD(std::size(buffer));
    if (!GetComputerNameW(buffer, &size)) return QString::fromLatin1(unknownName);
    return orUnknown(QString::fromWCharArray(buffer, int(size)));
#else
    return orUnknown(QSysInfo::machineHostName());
#endif
}

QString programVersion() {
#if defined(KVOR_VERSION_MAJOR) && defined(KVOR_VERSION_MINOR) && defined(KVOR_VERSION_PATCH) &&             \
    defined(KVOR_VERSION_TWEAK)
    return QString::asprintf("%d.%d.%d.%d", KVOR_VERSION_MAJOR + 0, KVOR_VERSION_MINOR + 0,
                             KVOR_VERSION_PATCH + 0, KVOR_VERSION_TWEAK + 0);
#else
    // A build without version numbers reads like a program file without a version resource.
    return QStringLiteral("-1.0.0.0");
#endif
}

QString hostName() {
    return QSysInfo::machineHostName();
}

QString firstIPv4Address() {
    const QByteArray host = hostName().toLocal8Bit();
    if (host.isEmpty()) return QString();
#ifdef Q_OS_WIN
    // The socket library must be started before a name lookup; it is reference-counted.
    WSADATA wsa;
    if (WSAStartup(MAKEWORD(2, 2), &wsa) != 0) return QString();
#endif
    QString result;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* list = nullptr;
    if (getaddrinfo(host.constData(), nullptr, &hints, &list) == 0) {
        for (addrinfo* a = list; a; a = a->ai_next) {
            if (a->ai_family != AF_INET) continue;
            char text[INET_ADDRSTRLEN] = {};
            const auto* in = reinterpret_cast<const sockaddr_in*>(a->ai_addr);
            if (inet_ntop(AF_INET, &in->sin_addr, text, sizeof text)) {
                result = QString::fromLatin1(text);
                break;
            }
        }
        freeaddrinfo(list);
    }
#ifdef Q_OS_WIN
    WSACleanup();
#endif
    return result;
}

} // namespace kvor::sys
