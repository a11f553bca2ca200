#include "update/FtpClient.h"

#include "platform/SystemInfo.h"

#include <QSaveFile>
#include <QUrl>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <curl/curl.h>
#include <mutex>
#include <set>

#ifdef _WIN32
#include <winsock2.h>
#else
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace kvor {

namespace {

using Clock = std::chrono::steady_clock;

// libcurl's global set-up, once per process and before any thread uses it.
void initialiseCurlOnce() {
    static const bool done = [] { return curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK; }();
    Q_UNUSED(done);
}

// A list of command strings in libcurl's form, freed with the object.
class CurlList {
public:
    CurlList() = default;
    explicit CurlList(const QStringList& lines) {
        for (const QString& line : lines)
            m_list = curl_slist_append(m_list, line.toUtf8().constData());
    }
    ~CurlList() { curl_slist_free_all(m_list); }
    CurlList(const CurlList&) = delete;
    CurlList& operator=(const CurlList&) = delete;
    curl_slist* get() const { return m_list; }

private:
    curl_slist* m_list = nullptr;
};

void shutdownSocket(curl_socket_t socket) {
#ifdef _WIN32
    ::shutdown(socket, SD_BOTH);
#else
    ::shutdown(socket, SHUT_RDWR);
#endif
}

void closeSocket(curl_socket_t socket) {
#ifdef _WIN32
    ::closesocket(socket);
#else
    ::close(socket);
#endif
}

// The address the connections are made from: the first IPv4 address of the host name. Many Linux
// systems map the host name to a loopback address (127.0.1.1), from which no server beyond this
// machine can be reached; then the system picks the address, and active mode announces the one
// that the control connection got.
QString connectionAddress() {
    const QString first = sys::firstIPv4Address();
    return first.startsWith(u"127.") ? QString() : first;
}

} // namespace

struct TFtpClient::Session {
    TFtpOptions options;
    CURLM* multi = nullptr;
    CURL* easy = nullptr;
    std::mutex multiMutex; // Abort wakes the multi handle from another thread while Close may free it
    std::atomic<bool> aborted{false};
    bool broken = false; // a step failed: the connections are gone
    bool loggedIn = false;
    QString localAddress; // resolved at login
    QByteArray url, user, password, interfaceName, portAddress;
    char curlError[CURL_ERROR_SIZE] = {};
    QString lastError;

    // The step clock: the running step fails once the deadline has passed.
    Clock::time_point deadline;
    void startStep() { deadline = Clock::now() + std::chrono::milliseconds(options.StepLimitMs); }

    // During the login transfer the commands after the login each start a step of their own.
    QList<QByteArray> stepCommands;

    // The file being downloaded; data arrives into it and it replaces the old file only when whole.
    QSaveFile* target = nullptr;

    // Every socket libcurl has open, so that closing can cut them without a goodbye.
    std::mutex socketsMutex;
    std::set<curl_socket_t> sockets;

    static size_t onData(char* data, size_t size, size_t count, void* user) {
        auto* s = static_cast<Session*>(user);
        const size_t bytes = size * count;
        s->startStep(); // the arrival of data moves the limit on
        if (!s->target || s->target->write(data, qint64(bytes)) != qint64(bytes)) return 0;
        return bytes;
    }

    static int onDebug(CURL*, curl_infotype type, char* data, size_t size, void* user) {
        auto* s = static_cast<Session*>(user);
        if (type == CURLINFO_HEADER_OUT) {
            const QByteArray line = QByteArray(data, qsizetype(size)).trimmed();
            if (s->stepCommands.contains(line)) s->startStep();
        }
        return 0;
    }

    static curl_socket_t onOpenSocket(void* user, curlsocktype, curl_sockaddr* address) {
        auto* s = static_cast<Session*>(user);
        const curl_socket_t socket = ::socket(address->family, address->socktype, address->protocol);
        if (socket != CURL_SOCKET_BAD) {
            std::lock_guard lock(s->socketsMutex);
            s->sockets.insert(socket);
        }
        return socket;
    }

    static int onCloseSocket(void* user, curl_socket_t socket) {
        auto* s = static_cast<Session*>(user);
        {
            std::lock_guard lock(s->socketsMutex);
            s->sockets.erase(socket);
        }
        closeSocket(socket);
        return 0;
    }

    void cutConnections() {
        std::lock_guard lock(socketsMutex);
        for (curl_socket_t socket : sockets)
            shutdownSocket(socket);
    }

    void fail(const QString& why) {
        lastError = why;
        broken = true;
        // Both connections go at once; libcurl's goodbye then finds them closed and does not wait.
        cutConnections();
    }

    QByteArray urlOf(const QString& remoteName) const {
        return "ftp://" + options.Host.toUtf8() + ':' + options.Port.toUtf8() + '/' +
               QUrl::toPercentEncoding(remoteName);
    }

    void setUp() {
        curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, curlError);
        // No proxy from the environment: the program talks to the vendor's server directly.
        curl_easy_setopt(easy, CURLOPT_PROXY, "");
        user = options.User.toUtf8();
        password = options.Password.toUtf8();
        curl_easy_setopt(easy, CURLOPT_USERNAME, user.constData());
        curl_easy_setopt(easy, CURLOPT_PASSWORD, password.constData());
        // Explicit TLS when the server offers it: the login and the files then travel encrypted. A
        // server without TLS refuses "AUTH TLS" and is spoken to in clear text as before. The
        // vendor's certificate is not known to the program, so it encrypts without verifying.
        if (TFtpClient::TriesTls(options.Passive)) {
            curl_easy_setopt(easy, CURLOPT_USE_SSL, long(CURLUSESSL_TRY));
            curl_easy_setopt(easy, CURLOPT_FTPSSLAUTH, long(CURLFTPAUTH_TLS));
            curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, 0L);
            curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, 0L);
        }
        // PASV and PORT as the vendor's server has always been spoken to.
        curl_easy_setopt(easy, CURLOPT_FTP_USE_EPSV, 0L);
        curl_easy_setopt(easy, CURLOPT_FTP_USE_EPRT, 0L);
        if (!localAddress.isEmpty()) {
            interfaceName = "host!" + localAddress.toLatin1();
            curl_easy_setopt(easy, CURLOPT_INTERFACE, interfaceName.constData());
        }
        if (!options.Passive) {
            portAddress = localAddress.isEmpty() ? QByteArray("-") : localAddress.toLatin1();
            curl_easy_setopt(easy, CURLOPT_FTPPORT, portAddress.constData());
        }
        // The step clock decides; libcurl's own limits only back it up.
        const long limit = long(options.StepLimitMs);
        curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, limit);
        curl_easy_setopt(easy, CURLOPT_ACCEPTTIMEOUT_MS, limit);
        curl_easy_setopt(easy, CURLOPT_VERBOSE, 1L);
        curl_easy_setopt(easy, CURLOPT_DEBUGFUNCTION, &Session::onDebug);
        curl_easy_setopt(easy, CURLOPT_DEBUGDATA, this);
        curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &Session::onData);
        curl_easy_setopt(easy, CURLOPT_WRITEDATA, this);
        curl_easy_setopt(easy, CURLOPT_OPENSOCKETFUNCTION, &Session::onOpenSocket);
        curl_easy_setopt(easy, CURLOPT_OPENSOCKETDATA, this);
        curl_easy_setopt(easy, CURLOPT_CLOSESOCKETFUNCTION, &Session::onCloseSocket);
        curl_easy_setopt(easy, CURLOPT_CLOSESOCKETDATA, this);
    }

    // Runs the prepared transfer to its end, the step clock started; false when it failed.
    bool perform() {
        curlError[0] = '\0';
        startStep();
        curl_multi_add_handle(multi, easy);
        CURLcode outcome = CURLE_OK;
        bool done = false;
        while (!done) {
            int running = 0;
            if (curl_multi_perform(multi, &running) != CURLM_OK) {
                fail(QStringLiteral("libcurl failed"));
                break;
            }
            int queued = 0;
            while (CURLMsg* message = curl_multi_info_read(multi, &queued)) {
                if (message->msg == CURLMSG_DONE) {
                    outcome = message->data.result;
                    done = true;
                }
            }
            if (done) break;
            if (aborted) {
                fail(QStringLiteral("ended on request"));
                break;
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            if (left.count() <= 0) {
                fail(QStringLiteral("no answer within %1 ms").arg(options.StepLimitMs));
                break;
            }
            curl_multi_poll(multi, nullptr, 0, int(std::min<long long>(left.count() + 1, 250)), nullptr);
        }
        curl_multi_remove_handle(multi, easy);
        if (done && outcome != CURLE_OK) {
            lastError = QString::fromUtf8(curlError[0] ? curlError : curl_easy_strerror(outcome));
            return false;
        }
        return done;
    }
};

bool TFtpClient::TriesTls(bool passive) {
    if (passive) return true;
    // libcurl 7.87 and 7.88 start no TLS on an active data connection and wait for it in vain.
    const curl_version_info_data* version = curl_version_info(CURLVERSION_NOW);
    return version->version_num < 0x075700 || version->version_num >= 0x080000;
}

TFtpClient::TFtpClient(TFtpOptions options) : m(std::make_unique<Session>()) {
    initialiseCurlOnce();
    m->options = std::move(options);
    m->multi = curl_multi_init();
    m->easy = curl_easy_init();
}

TFtpClient::~TFtpClient() {
    Close();
}

bool TFtpClient::Login(const QStringList& commands) {
    if (m->broken || !m->easy || !m->multi) return false;
    m->localAddress = m->options.LocalAddress ? *m->options.LocalAddress : connectionAddress();
    m->setUp();
    // A transfer without a body: log in, send the commands, and keep the connection for the files.
    // A leading '*' tells libcurl to go on whatever the server answers.
    QStringList quoted;
    for (const QString& c : commands) {
        quoted << QLatin1Char('*') + c;
        m->stepCommands << c.toUtf8();
    }
    const CurlList quote(quoted);
    m->url = m->urlOf(QString());
    curl_easy_setopt(m->easy, CURLOPT_URL, m->url.constData());
    curl_easy_setopt(m->easy, CURLOPT_NOBODY, 1L);
    curl_easy_setopt(m->easy, CURLOPT_QUOTE, quote.get());
    const bool ok = m->perform();
    curl_easy_setopt(m->easy, CURLOPT_QUOTE, nullptr);
    m->stepCommands.clear();
    m->loggedIn = ok;
    return ok;
}

bool TFtpClient::Download(const QString& remoteName, const QString& localPath) {
    if (m->broken || !m->loggedIn) return false;
    QSaveFile file(localPath);
    if (!file.open(QIODevice::WriteOnly)) {
        m->lastError = file.errorString();
        return false;
    }
    m->target = &file;
    m->url = m->urlOf(remoteName);
    curl_easy_setopt(m->easy, CURLOPT_URL, m->url.constData());
    curl_easy_setopt(m->easy, CURLOPT_NOBODY, 0L);
    const bool ok = m->perform();
    m->target = nullptr;
    if (!ok) {
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        m->lastError = file.errorString();
        return false;
    }
    return true;
}

void TFtpClient::Close() {
    if (!m->multi && !m->easy) return;
    m->cutConnections();
    if (m->easy) curl_easy_cleanup(m->easy);
    m->easy = nullptr;
    {
        std::lock_guard lock(m->multiMutex);
        if (m->multi) curl_multi_cleanup(m->multi);
        m->multi = nullptr;
    }
    m->broken = true;
}

void TFtpClient::Abort() {
    m->aborted = true;
    std::lock_guard lock(m->multiMutex);
    if (m->multi) curl_multi_wakeup(m->multi);
}

QString TFtpClient::LastError() const {
    return m->lastError;
}

} // namespace kvor
