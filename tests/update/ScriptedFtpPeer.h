#pragma once
// An FTP peer that follows a script and then misbehaves in one chosen way: it stays silent after the
// connection, or stalls or cuts the installer's data connection after some bytes. It lives on the
// test's thread, so the check under test must run on another one.
#include <QElapsedTimer>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>

namespace kvor::testing {

class ScriptedFtpPeer : public QObject {
public:
    enum class Fault { SilentAfterConnect, InstallerStalls, InstallerCut };

    ScriptedFtpPeer(Fault fault, QByteArray versionFile, QByteArray installer, qsizetype installerBytesSent)
        : m_fault(fault), m_versionFile(std::move(versionFile)), m_installer(std::move(installer)),
          m_installerBytesSent(installerBytesSent) {
        m_lastWord.start();
        m_control.listen(QHostAddress::LocalHost);
        connect(&m_control, &QTcpServer::newConnection, this, [this] { onConnect(); });
        connect(&m_data, &QTcpServer::newConnection, this, [this] {
            m_dataSocket = m_data.nextPendingConnection();
            sendPendingFile();
        });
    }

    QString port() const { return QString::number(m_control.serverPort()); }
    // Milliseconds since the peer last sent anything (or, having sent nothing, since it accepted).
    qint64 sinceLastWord() const { return m_lastWord.elapsed(); }
    bool clientClosed() const { return m_clientClosed; }

private:
    void spoke() { m_lastWord.restart(); }

    void say(const QByteArray& line) {
        m_client->write(line + "\r\n");
        spoke();
    }

    void onConnect() {
        m_client = m_control.nextPendingConnection();
        spoke();
        connect(m_client, &QTcpSocket::disconnected, this, [this] { m_clientClosed = true; });
        connect(m_client, &QTcpSocket::readyRead, this, [this] {
            while (m_client->canReadLine())
                onCommand(m_client->readLine().trimmed());
        });
        if (m_fault != Fault::SilentAfterConnect) say("220 Scripted peer ready.");
    }

    QByteArray fileNamed(const QByteArray& name) const {
        return name == "setupkvr.ver" ? m_versionFile : name == "setupkvr.exe" ? m_installer : QByteArray();
    }

    void onCommand(const QByteArray& line) {
        const qsizetype blank = line.indexOf(' ');
        const QByteArray verb = (blank < 0 ? line : line.left(blank)).toUpper();
        const QByteArray argument = blank < 0 ? QByteArray() : line.mid(blank + 1);
        if (verb == "USER")
            say("331 Password required.");
        else if (verb == "PASS")
            say("230 Logged in.");
        else if (verb == "PWD")
            say("257 \"/\" is the current directory.");
        else if (verb == "CWD")
            say("250 Folder changed.");
        else if (verb == "TYPE")
            say("200 Type set.");
        else if (verb == "SIZE")
            say("213 " + QByteArray::number(fileNamed(argument).size()));
        else if (verb == "PASV") {
            m_data.close();
            m_data.listen(QHostAddress::LocalHost);
            const quint16 p = m_data.serverPort();
            say("227 Entering Passive Mode (127,0,0,1," + QByteArray::number(p / 256) + ',' +
                QByteArray::number(p % 256) + ").");
        } else if (verb == "RETR") {
            m_pendingFile = argument;
            sendPendingFile();
        } else
            say("502 Command not implemented.");
    }

    void sendPendingFile() {
        if (m_pendingFile.isEmpty() || !m_dataSocket) return;
        const QByteArray name = std::exchange(m_pendingFile, QByteArray());
        QPointer<QTcpSocket> data = std::exchange(m_dataSocket, nullptr);
        say("150 Opening BINARY mode data connection.");
        if (name != "setupkvr.exe") {
            data->write(fileNamed(name));
            data->disconnectFromHost();
            say("226 Transfer complete.");
            return;
        }
        data->write(m_installer.left(m_installerBytesSent));
        data->flush();
        spoke();
        if (m_fault == Fault::InstallerCut) {
            data->disconnectFromHost();
            say("426 Connection closed; transfer aborted.");
        }
        // A stalling peer keeps both connections open and says no more.
    }

    Fault m_fault;
    QByteArray m_versionFile, m_installer;
    qsizetype m_installerBytesSent;
    QTcpServer m_control, m_data;
    QPointer<QTcpSocket> m_client, m_dataSocket;
    QByteArray m_pendingFile;
    QElapsedTimer m_lastWord;
    bool m_clientClosed = false;
};

} // namespace kvor::testing
