#pragma once
// The one connection to the vendor database (component ZConnection1): MariaDB Connector/C with the
// compressed protocol and the Windows-1250 connection character set.
#include "server/ServerConfig.h"
#include "tablestore/DsConsts.h"

#include <QByteArray>
#include <QObject>
#include <QString>

struct st_mysql;

namespace kvor {

// A statement or a connection that failed on the server side. The message is the server's (or the
// client library's) own text; ServerErrno() is its error number.
class ESqlError : public EDatabaseError {
public:
    ESqlError(QString message, unsigned serverErrno)
        : EDatabaseError(std::move(message)), m_errno(serverErrno) {}
    unsigned ServerErrno() const { return m_errno; }

private:
    unsigned m_errno;
};

// The first line of the message of a statement whose connection broke off in its middle or before it.
QString lostConnectionText();

class TZConnection : public QObject {
    Q_OBJECT
public:
    explicit TZConnection(QObject* parent = nullptr);
    ~TZConnection() override;
    TZConnection(const TZConnection&) = delete;
    TZConnection& operator=(const TZConnection&) = delete;

    QString Name() const { return objectName(); }
    void SetName(const QString& name) { setObjectName(name); }

    const TServerConfig& Config() const { return m_config; }
    void SetConfig(const TServerConfig& config) { m_config = config; }

    // Opens the connection with the configured parameters; raises ESqlError when the server cannot
    // be reached or refuses the login. Auto-commit is on; the library never reconnects on its own,
    // so a lost connection cannot silently drop half a transaction.
    void Connect();
    void Disconnect();
    bool Connected() const { return m_mysql != nullptr; }

    // Runs one statement and discards any result it gives. Raises ESqlError.
    void ExecuteDirect(const QString& sql);
    // Rolls back an open transaction; errors are ignored (used on paths that already fail).
    void RollbackQuietly() noexcept;
    // The server's id of this connection (for KILL); 0 when closed.
    unsigned long ThreadId() const;

    // For the query and the script runner.
    st_mysql* Handle() const { return m_mysql; }
    // The connection's last error as an exception; a closed connection gives "Není spojení se serverem".
    [[noreturn]] void RaiseLastError() const;
    void CheckConnected() const;

private:
    TServerConfig m_config = TServerConfig::defaults();
    st_mysql* m_mysql = nullptr;
};

} // namespace kvor
