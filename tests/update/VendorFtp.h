#pragma once
// The FTP server of the test's fixture (KVOR_TEST_FTP_DIR, KVOR_TEST_FTP_PORT): what it publishes,
// how it misbehaves, and what it was told.
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QStringList>
#include <QTest>

#ifndef KVOR_TEST_FTP_PORT
#define KVOR_TEST_FTP_PORT 2131
#endif

namespace kvor::testing {

class VendorFtp {
public:
    static QString port() { return QString::number(KVOR_TEST_FTP_PORT); }
    static QString folder() { return QStringLiteral(KVOR_TEST_FTP_DIR "/home/pelmar/trivan05"); }
    static QString path(const QString& name) { return QDir(folder()).filePath(name); }

    // Puts a file into the published folder, or takes it away (null contents).
    static void put(const QString& name, const QByteArray& contents) {
        QFile::remove(path(name));
        if (contents.isNull()) return;
        QFile file(path(name));
        QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(path(name)));
        file.write(contents);
    }

    // How the server treats the next connections ("silent", "stall 65536", ...; see
    // scripts/vendor_ftpd.py); empty: it behaves. Only a server started with "faults" listens.
    static void setFault(const QByteArray& line) {
        const QString path = QStringLiteral(KVOR_TEST_FTP_DIR "/fault");
        QFile::remove(path);
        if (line.isEmpty()) return;
        QFile file(path);
        QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(path));
        file.write(line + '\n');
    }

    // The update settings of a program folder, ../Trivan05.ini, pointing at this server or, when
    // not reachable, at a port where nothing listens; drive is the removable-drive prefix.
    static void writeSettings(const QString& programFolder, bool reachable,
                              const QString& drive = QString()) {
        QFile file(QDir(programFolder).filePath(QStringLiteral("../Trivan05.ini")));
        QVERIFY2(file.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(file.fileName()));
        const QString at = reachable ? port() : QStringLiteral("1");
        file.write(QStringLiteral("[LogON]\r\n_FTP=127.0.0.1\r\n_FTPport=%1\r\n_FTPpassive=True\r\n"
                                  "[Removable]\r\nDrive=\"%2\"\r\n")
                       .arg(at, drive)
                       .toLatin1());
    }

    // A version file as the vendor publishes it: the stamp in the third field of the second line.
    static QByteArray versionFile(const QString& stamp) {
        return "soubor\tprogram\tvydano\r\nsetupkvr.exe\tKvor Pro\t" + stamp.toLatin1() + "\r\n";
    }

    // Every byte value, so that a text-mode transfer would show.
    static QByteArray binaryInstaller(int size = 300000) {
        QByteArray bytes(size, '\0');
        for (int i = 0; i < size; ++i)
            bytes[i] = char((i * 7 + i / 256) & 0xff);
        return bytes;
    }

    // The server's log from here on.
    VendorFtp() : m_start(logSize()) {}

    // The commands the server received since this object was made, once their sessions ended.
    QStringList commands() const {
        sessionsEnded(5000);
        const QByteArray log = readLog().mid(m_start);
        QStringList out;
        static const QRegularExpression command(QStringLiteral("\\] <- (.*)$"));
        for (const QByteArray& line : log.split('\n')) {
            const auto match = command.match(QString::fromUtf8(line).trimmed());
            if (match.hasMatch()) out << match.captured(1);
        }
        return out;
    }

    // The server's log since this object was made, once its sessions ended.
    QByteArray log() const {
        sessionsEnded(5000);
        return readLog().mid(m_start);
    }

    // The address the first session since this object was made came from, as the server saw it.
    QString clientAddress() const {
        static const QRegularExpression peer(QStringLiteral("(\\d+\\.\\d+\\.\\d+\\.\\d+):\\d+-\\["));
        return peer.match(QString::fromUtf8(log())).captured(1);
    }

    // Whether every session opened since this object was made has been closed, waiting for it.
    bool sessionsEnded(int waitMs) const {
        return QTest::qWaitFor(
            [&] {
                const QByteArray log = readLog().mid(m_start);
                return log.count("session opened") == log.count("session closed");
            },
            waitMs);
    }

private:
    static QByteArray readLog() {
        QFile file(QStringLiteral(KVOR_TEST_FTP_DIR "/ftpd.log"));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    static qsizetype logSize() { return readLog().size(); }

    qsizetype m_start;
};

} // namespace kvor::testing
