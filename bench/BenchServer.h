#pragma once
// What the benchmarks against the vendor database share: their command line
//   [--port P] [--runs N] [--<count> N]
// the vendor database they start when no --port is given (scripts/vendor-server.sh, stopped again
// when the benchmark ends), the connection settings for it, and the mariadb command-line client
// that serves as their anchor. The target defines KVOR_VENDOR_SCRIPT, KVOR_BENCH_DB_DIR and
// KVOR_BENCH_DB_PORT.
#include "server/ServerConfig.h"
#include "server/ServerLink.h"

#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace kvor::bench {

inline double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

struct ServerBenchOptions {
    int port = 0; // 0: start a vendor database of our own
    int runs = 5;
    int count = 0; // the size of the data the benchmark fills in
};

inline ServerBenchOptions parseServerBenchOptions(const QStringList& args, QStringView countOption,
                                                  int defaultCount) {
    ServerBenchOptions options{0, 5, defaultCount};
    for (int i = 1; i + 1 < args.size(); i += 2) {
        if (args[i] == u"--port") options.port = args[i + 1].toInt();
        if (args[i] == u"--runs") options.runs = std::max(1, args[i + 1].toInt());
        if (args[i] == countOption) options.count = std::max(1, args[i + 1].toInt());
    }
    return options;
}

// The benchmark's own vendor database for as long as the object lives, when it was asked for
// none; ok() says whether the database is there to be used.
class BenchVendorDb {
public:
    explicit BenchVendorDb(int requestedPort)
        : m_own(requestedPort == 0), m_port(m_own ? KVOR_BENCH_DB_PORT : requestedPort) {
        m_ok = !m_own || runScript({QStringLiteral("start"), QStringLiteral(KVOR_BENCH_DB_DIR),
                                    QString::number(m_port)});
    }
    ~BenchVendorDb() {
        if (m_own && m_ok) runScript({QStringLiteral("stop"), QStringLiteral(KVOR_BENCH_DB_DIR)});
    }
    BenchVendorDb(const BenchVendorDb&) = delete;
    BenchVendorDb& operator=(const BenchVendorDb&) = delete;

    bool ok() const { return m_ok; }
    TServerConfig config() const {
        TServerConfig config = TServerConfig::defaults();
        config.Host = QStringLiteral("127.0.0.1");
        config.Port = m_port;
        return config;
    }

private:
    static bool runScript(const QStringList& args) {
        QProcess p;
        p.setProcessChannelMode(QProcess::ForwardedChannels);
        p.start(QStringLiteral("bash"), QStringList{QStringLiteral(KVOR_VENDOR_SCRIPT)} + args);
        return p.waitForFinished(180000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    }

    bool m_own;
    int m_port;
    bool m_ok = false;
};

// Opens the program's session on the benchmark's database; raises EDatabaseError without one.
inline void openSession(TServerLink& link, const TServerConfig& config) {
    if (!link.TestSQLjakje())
        throw EDatabaseError(QStringLiteral("no vendor database on port %1").arg(config.Port));
    link.SetUpSession();
}

// The mariadb client ("" and a message when it is not installed) and its arguments for running one
// statement over the same kind of link as the program's: TCP, compressed, cp1250, rows in batch form.
inline QString mariadbClient() {
    const QString client = QStandardPaths::findExecutable(QStringLiteral("mariadb"));
    if (client.isEmpty()) std::fprintf(stderr, "the mariadb client is not installed\n");
    return client;
}

inline QStringList mariadbClientArguments(const TServerConfig& config, const QString& statement) {
    return {QStringLiteral("--no-defaults"),
            QStringLiteral("--protocol=TCP"),
            QStringLiteral("-h") + config.Host,
            QStringLiteral("-P%1").arg(config.Port),
            QStringLiteral("-u") + config.User,
            QStringLiteral("-p") + config.Password,
            QStringLiteral("--compress"),
            QStringLiteral("--default-character-set=cp1250"),
            QStringLiteral("--batch"),
            config.Database,
            QStringLiteral("-e"),
            statement};
}

} // namespace kvor::bench
