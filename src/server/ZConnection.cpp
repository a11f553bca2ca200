#include "server/ZConnection.h"

#include "platform/Cp1250.h"

#include <QFile>
#include <errmsg.h>
#include <mutex>
#include <mysql.h>

namespace kvor {

namespace {

void initLibrary() {
    // The library's global state must be set up once before connections are made from more than one thread.
    static std::once_flag once;
    std::call_once(once, [] { mysql_library_init(0, nullptr, nullptr); });
}

// Server errors that mean the link itself is gone: the server shut down, killed the connection, or
// fell silent, so that the statement may or may not have reached it.
constexpr unsigned kServerShutdown = 1053;   // ER_SERVER_SHUTDOWN
constexpr unsigned kConnectionKilled = 1927; // ER_CONNECTION_KILLED

bool linkBroken(unsigned code) {
    switch (code) {
    case CR_SERVER_GONE_ERROR:
    case CR_SERVER_LOST:
    case CR_SERVER_LOST_EXTENDED:
    case CR_CONNECTION_ERROR:
    case CR_CONN_HOST_ERROR:
    case kServerShutdown:
    case kConnectionKilled:
        return true;
    default:
        return false;
    }
}

} // namespace

QString lostConnectionText() {
    return QStringLiteral("Spojení se serverem bylo přerušeno, operace nebyla dokončena.");
}

TZConnection::TZConnection(QObject* parent) : QObject(parent) {
    initLibrary();
}

TZConnection::~TZConnection() {
    Disconnect();
}

void TZConnection::Connect() {
    Disconnect();
    MYSQL* m = mysql_init(nullptr);
    if (!m) throw ESqlError(QStringLiteral("Nedostatek paměti pro spojení se serverem"), CR_OUT_OF_MEMORY);
    unsigned connectTimeout = unsigned(qMax(1, m_config.ConnectTimeout));
    unsigned readTimeout = unsigned(qMax(1, m_config.ReadTimeout));
    unsigned writeTimeout = unsigned(qMax(1, m_config.WriteTimeout));
    my_bool reconnect = 0;
    // Always TCP: for the host "localhost" the library would otherwise use its local socket and
    // ignore the configured port, reaching another server or none.
    unsigned protocol = MYSQL_PROTOCOL_TCP;
    mysql_optionsv(m, MYSQL_OPT_PROTOCOL, &protocol);
    mysql_optionsv(m, MYSQL_OPT_COMPRESS, nullptr);
    mysql_optionsv(m, MYSQL_SET_CHARSET_NAME, "cp1250");
    mysql_optionsv(m, MYSQL_OPT_CONNECT_TIMEOUT, &connectTimeout);
    mysql_optionsv(m, MYSQL_OPT_READ_TIMEOUT, &readTimeout);
    mysql_optionsv(m, MYSQL_OPT_WRITE_TIMEOUT, &writeTimeout);
    mysql_optionsv(m, MYSQL_OPT_RECONNECT, &reconnect);
    const QByteArray caFile = QFile::encodeName(m_config.SslCa);
    if (m_config.Ssl) {
        my_bool enforce = 1;
        mysql_optionsv(m, MYSQL_OPT_SSL_ENFORCE, &enforce);
        if (!caFile.isEmpty()) {
            my_bool verify = 1;
            mysql_optionsv(m, MYSQL_OPT_SSL_CA, caFile.constData());
            mysql_optionsv(m, MYSQL_OPT_SSL_VERIFY_SERVER_CERT, &verify);
        }
    }
    const QByteArray host = m_config.Host.toUtf8();
    const QByteArray user = cp1250::encode(m_config.User);
    const QByteArray password = cp1250::encode(m_config.Password);
    const QByteArray database = cp1250::encode(m_config.Database);
    if (!mysql_real_connect(m, host.isEmpty() ? nullptr : host.constData(), user.constData(),
                            password.constData(), database.constData(), unsigned(m_config.Port), nullptr,
                            0)) {
        QString message = cp1250::decode(mysql_error(m));
        if (m_config.Ssl) message = QStringLiteral("Zabezpečené spojení se serverem selhalo: ") + message;
        ESqlError error(message, mysql_errno(m));
        mysql_close(m);
        throw error;
    }
    m_mysql = m;
}

void TZConnection::Disconnect() {
    if (!m_mysql) return;
    mysql_close(m_mysql);
    m_mysql = nullptr;
}

void TZConnection::CheckConnected() const {
    if (!m_mysql) throw ESqlError(QStringLiteral("Není spojení se serverem"), CR_SERVER_GONE_ERROR);
}

void TZConnection::RaiseLastError() const {
    CheckConnected();
    const unsigned code = mysql_errno(m_mysql);
    QString message = cp1250::decode(mysql_error(m_mysql));
    // The library speaks English; the user is told in Czech what happened, and its text follows
    // for whoever looks for the cause.
    if (linkBroken(code)) message = lostConnectionText() + QStringLiteral("\r") + message;
    throw ESqlError(message, code);
}

void TZConnection::ExecuteDirect(const QString& sql) {
    CheckConnected();
    const QByteArray bytes = cp1250::encode(sql);
    if (mysql_real_query(m_mysql, bytes.constData(), bytes.size()) != 0) RaiseLastError();
    // A statement may still give a result (SELECT @x := ...): read it to keep the protocol in step.
    do {
        if (MYSQL_RES* res = mysql_store_result(m_mysql))
            mysql_free_result(res);
        else if (mysql_field_count(m_mysql) != 0)
            RaiseLastError();
    } while (mysql_next_result(m_mysql) == 0);
    if (mysql_errno(m_mysql) != 0) RaiseLastError();
}

void TZConnection::RollbackQuietly() noexcept {
    if (m_mysql) mysql_rollback(m_mysql);
}

unsigned long TZConnection::ThreadId() const {
    return m_mysql ? mysql_thread_id(m_mysql) : 0;
}

} // namespace kvor
