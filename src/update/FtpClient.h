#pragma once
// One FTP session of the update check, over libcurl: log in, send commands whose outcome does not
// matter, download files in binary mode through passive or active data connections.
//
// Every step must finish within the step limit of its start; while a file arrives, each arrival of
// data moves the limit on. A step that runs out of time, or that Abort ends, fails and closes both
// connections; later steps then fail at once. The calls block: the update check runs them on a
// worker thread, and Abort may be called from any thread.
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

namespace kvor {

struct TFtpOptions {
    QString Host;
    QString Port; // as the settings give it; a port that is not a number fails the login
    QString User;
    QString Password;
    bool Passive = true;
    // The connections are made from this address, and active mode announces it in PORT. Unset: the
    // first IPv4 address of the local host name, unless that is a loopback address; empty: whatever
    // address the system picks (active mode then announces the control connection's own address).
    std::optional<QString> LocalAddress;
    int StepLimitMs = 15000;
};

class TFtpClient {
public:
    explicit TFtpClient(TFtpOptions options);
    ~TFtpClient();
    TFtpClient(const TFtpClient&) = delete;
    TFtpClient& operator=(const TFtpClient&) = delete;

    // Opens the control connection and logs in (USER, and PASS when the server asks for it); then
    // sends each command as it stands, one step each, whatever the server answers. False when the
    // connection or the login failed.
    bool Login(const QStringList& commands);

    // Downloads the file of that name from the current remote folder to the local path. The local
    // file is replaced only once the whole file has arrived; a failed download leaves it as it was.
    bool Download(const QString& remoteName, const QString& localPath);

    // Closes both connections at once, without a goodbye to the server (a silent server would make
    // the program wait for its answer). Also done by the destructor.
    void Close();

    // Ends the wait of the running step, which fails. Safe from any thread.
    void Abort();

    // Whether the session asks the server for TLS ("AUTH TLS") in this data connection mode; a
    // server that offers it then gets the login and the files encrypted. Active mode asks only
    // where the libcurl in use can protect active data connections.
    static bool TriesTls(bool passive);

    // What went wrong last, in libcurl's words (for diagnostics).
    QString LastError() const;

private:
    struct Session;
    std::unique_ptr<Session> m;
};

} // namespace kvor
