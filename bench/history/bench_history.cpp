// The whole-company history window (TFhisto1c) on many requests, against the command-line client.
//
//   kvor-bench-history [--port P] [--runs N] [--requests N]
//
// Without --port it starts a vendor database of its own (scripts/vendor-server.sh, stopped again at
// the end); with --port it uses the server that answers there. It gives a company of its own the
// number of requests asked for, then times opening the window until its grid has been painted, and
// the mariadb client fetching the window's statement, and prints the medians, the memory each took
// and the ratios.
#include "../BenchReport.h"
#include "../BenchServer.h"
#include "history/HistoryGrid.h"
#include "history/histo.h"
#include "server/ServerLink.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <algorithm>
#include <cstdio>

using namespace kvor;

namespace {

const QString kIco = QStringLiteral("BENCH-HISTORIE");

// Resident memory of this process in kilobytes.
long residentKb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').first().toLong();
    return 0;
}

// Runs the program with its output thrown away; gives its time in milliseconds and the largest
// resident memory it reached in kilobytes, as /usr/bin/time reports it (0 without that program).
std::pair<double, long> runMeasured(const QString& program, const QStringList& arguments) {
    const bool timed = QFile::exists(QStringLiteral("/usr/bin/time"));
    QTemporaryFile report;
    report.open();
    QProcess p;
    p.setStandardOutputFile(QProcess::nullDevice());
    QElapsedTimer t;
    t.start();
    if (timed)
        p.start(QStringLiteral("/usr/bin/time"),
                QStringList{QStringLiteral("-f"), QStringLiteral("%M"), QStringLiteral("-o"),
                            report.fileName(), program} +
                    arguments);
    else
        p.start(program, arguments);
    if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        throw EDatabaseError(QStringLiteral("%1 failed").arg(program));
    const double ms = t.nsecsElapsed() / 1e6;
    return {ms, timed ? report.readAll().trimmed().toLong() : 0};
}

void fillRequests(TServerLink& link, int count) {
    link.ZConnection1.ExecuteDirect(QStringLiteral("delete from kvor_zadost where ICO = '%1'").arg(kIco));
    const int batch = 500;
    for (int from = 0; from < count; from += batch) {
        QStringList rows;
        for (int i = from; i < std::min(count, from + batch); ++i)
            rows << QStringLiteral(
                        "(%1, '%2', '101', '2012', '0815', '%3', '01', '12-0815-%3-01', 'U', "
                        "'Pšenice ozimá', 'Bohemia', 'C1', 24.5, 't', 'big bag 500 kg', 'Celest Trio', "
                        "'sklad Kroměříž', '2012-3-%4', '2012-3-%4', %5, 99.2, 96, 13.1, "
                        "'plevy, úlomky zrn', 'bez nálezu')")
                        .arg(1 + i % 3)
                        .arg(kIco)
                        .arg(i % 100000, 5, 10, QLatin1Char('0'))
                        .arg(1 + i % 28)
                        .arg(i % 4 ? QStringLiteral("'12/%1'").arg(i) : QStringLiteral("''"));
        link.ZConnection1.ExecuteDirect(
            QStringLiteral(
                "insert into kvor_zadost (id_firma, ICO, STREDISKO, ROK, PODNIK, PRIHLASKA, DIL, "
                "PARTIECELA, ZADOST_O, NAZ_DRU, NAZ_ODRU, STUPEN, MNOZSTVI, MJ, OBALY_TXT, MORIDLOTXT, "
                "MISTOODBER, DATUMODBER, DATUM, ULC, CISTOTA, KLICIVOST, VLHKOST, TEXT_KULTU, "
                "ZJISTENI4) values ") +
            rows.join(u','));
    }
}

// Notes the first paint of a widget.
class PaintWatch : public QObject {
public:
    bool painted = false;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) painted = true;
        return false;
    }
};

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const auto [port, runs, requests] = bench::parseServerBenchOptions(app.arguments(), u"--requests", 20000);
    const QString client = bench::mariadbClient();
    if (client.isEmpty()) return 1;
    const bench::BenchVendorDb db(port);
    if (!db.ok()) return 1;
    try {
        const TServerConfig config = db.config();
        TServerLink link(config);
        bench::openSession(link, config);
        fillRequests(link, requests);

        const THistoryContext context{&link.ZConnection1, kIco, 0, QString()};
        std::vector<double> window, fetch;
        long windowKb = 0;
        QString statement;
        for (int r = 0; r < runs; ++r) {
            const long before = residentKb();
            QElapsedTimer t;
            t.start();
            THistoryWindow w(historyKind(THistoryVariant::TFhisto1c), context);
            PaintWatch watch;
            w.Grid->viewport()->installEventFilter(&watch);
            w.show();
            while (!watch.painted)
                QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            window.push_back(t.nsecsElapsed() / 1e6);
            if (r == 0) windowKb = residentKb() - before;
            if (w.Grid->model()->rowCount() != requests)
                throw EDatabaseError(
                    QStringLiteral("the window lists %1 requests").arg(w.Grid->model()->rowCount()));
            statement = w.ZQuery1.SQLText();
        }

        auto runClient = [&](const QString& sql) {
            return runMeasured(client, bench::mariadbClientArguments(config, sql));
        };
        // The client's own memory, without a result, is not part of the fetch.
        const long clientBaseKb = runClient(QStringLiteral("select 1")).second;
        long clientKb = 0;
        for (int r = 0; r < runs; ++r) {
            const auto [ms, peakKb] = runClient(statement);
            fetch.push_back(ms);
            clientKb = std::max(clientKb, peakKb - clientBaseKb);
        }

        const double a = bench::median(window), b = bench::median(fetch);
        std::printf("requests:                               %d\n", requests);
        std::printf("TFhisto1c to its first painted grid (median of %d): %.1f ms\n", runs, a);
        std::printf("mariadb client fetch (median of %d):    %.1f ms\n", runs, b);
        std::printf("ratio window / client, time:            %.2f\n", b > 0 ? a / b : 0.0);
        std::printf("memory of the open window:              %ld kB\n", windowKb);
        std::printf("memory of the client's fetch:           %ld kB%s\n", clientKb,
                    QFile::exists(QStringLiteral("/usr/bin/time")) ? ""
                                                                   : " (not measured: no /usr/bin/time)");
        std::printf("ratio window / client, memory:          %.2f\n",
                    clientKb > 0 ? double(windowKb) / clientKb : 0.0);
        bench::reportCase("history TFhisto1c to first painted grid, 20,000 requests", a / 1000,
                          "mariadb client fetching its statement", b / 1000);
        bench::reportCase("history TFhisto1c memory, 20,000 requests, MB", windowKb / 1024.0);
        if (clientKb > 0) bench::reportCase("history mariadb client fetch memory, MB", clientKb / 1024.0);
        link.ZConnection1.ExecuteDirect(QStringLiteral("delete from kvor_zadost where ICO = '%1'").arg(kIco));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "kvor-bench-history: %s\n", e.what());
        return 1;
    }
    return 0;
}
