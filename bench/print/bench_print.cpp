// Time from "Tisk" to the first painted preview page and to a written PDF file, for both request
// forms: the partner look-up in the address list, the layout chosen by species and created with
// the company identity, the rendering with its hooks and barcode, then painting page 1 at screen
// resolution (what the preview shows first) or writing every page to PDF. The export step is
// left out: it waits on the network. Goal: under 100 ms each.
//
// Usage: kvor-bench-print [ROUNDS]   (default 30)
#include "BenchReport.h"
#include "app/RequestRecord.h"
#include "platform/ProfileFile.h"
#include "print/PrintJob.h"
#include "report/ReportPaint.h"
#include "report/ReportRender.h"
#include "tablestore/DsDbfTable.h"

#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <string>

using namespace kvor;

namespace {

void writeFolder(const QString& folder, const QString& druh) {
    QDir(folder).mkpath(QStringLiteral("data"));
    TIniFile ini(QDir(folder).filePath(QStringLiteral("kvor.ini")));
    ini.WriteString(QStringLiteral("TFmozno"), QStringLiteral("Editnazev_Text"),
                    QStringLiteral("Osiva Haná s.r.o."));
    ini.WriteString(QStringLiteral("TFmozno"), QStringLiteral("EditICO_Text"), QStringLiteral("12345678"));
    TDsDatabase db;
    db.SetDatabaseName(QDir(folder).filePath(QStringLiteral("data")));
    TDsDbfTable request;
    request.SetDatabase(&db);
    request.SetTableName(QStringLiteral("zadost.dbf"));
    request.FieldDefs() = requestFieldDefs();
    request.CreateTable();
    request.Open();
    request.Append();
    const QList<QPair<const char*, QVariant>> values = {
        {"ZADOST_O", "U"},
        {"DRUH", druh},
        {"NAZ_DRU", "Pšenice ozimá"},
        {"NAZ_ODRU", "Bohemia"},
        {"STUPEN", "C1"},
        {"PARTIECELA", "12-0815-00042-01"},
        {"MNOZSTVI", 12500.0},
        {"MJ", "kg"},
        {"BRUTTO", 12700.0},
        {"POCET", 250.0},
        {"POOT", "ÚKZÚZ Brno"},
        {"DATUMODBER", QDate(2012, 3, 14)},
        {"DATUM", QDate(2012, 3, 15)},
        {"id_trivan", "123456783300000042"},
    };
    for (const auto& [field, value] : values)
        request.FieldByName(QString::fromLatin1(field))->SetValue(value);
    request.Post();
    request.Close();
    TDsDbfTable offices;
    offices.SetDatabase(&db);
    offices.SetTableName(QStringLiteral("zadostad.dbf"));
    offices.FieldDefs() = {TFieldDef{QStringLiteral("adresa"), ftString, 80},
                           TFieldDef{QStringLiteral("ico"), ftString, 8}};
    offices.CreateTable();
    offices.Open();
    for (int i = 0; i < 10; ++i) {
        offices.Append();
        offices.FieldByName(QStringLiteral("adresa"))->SetAsString(QStringLiteral("Úřad %1").arg(i));
        offices.Post();
    }
    offices.Close();
}

struct Timing {
    double median, min, max;
};

Timing summarize(std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    return {ms[ms.size() / 2], ms.front(), ms.back()};
}

// One "Tisk" up to the rendered pages, then the given finish.
template <class Finish> double timeOnce(const QString& folder, Finish finish) {
    QElapsedTimer timer;
    timer.start();
    TDsDatabase db;
    db.SetDatabaseName(QDir(folder).filePath(QStringLiteral("data")));
    TDsDbfTable request, offices;
    request.SetDatabase(&db);
    request.SetTableName(QStringLiteral("zadost.dbf"));
    offices.SetDatabase(&db);
    offices.SetTableName(QStringLiteral("zadostad.dbf"));
    request.Open();
    partnerIcoFor(offices, request.FieldByName(QStringLiteral("POOT"))->AsString());
    auto layout = createRequestLayout(request, QDir(folder).filePath(QStringLiteral("kvor.ini")));
    finish(renderReport(layout->QuickRep1));
    return double(timer.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 30;
    QTemporaryDir dir;
    std::printf("%-28s %-22s %8s %8s %8s\n", "form", "to", "median", "min", "max");
    for (const auto& [name, druh] :
         {std::pair{"request form", "20"}, std::pair{"seed potato request form", "84"}}) {
        const QString folder = dir.filePath(QString::fromLatin1(druh));
        writeFolder(folder, QString::fromLatin1(druh));
        const QString pdf = dir.filePath(QStringLiteral("out.pdf"));
        // The preview shows page 1 at screen resolution, 96 pixels per inch.
        const auto preview = [](const TRenderedReport& r) {
            QImage page(794, 1123, QImage::Format_RGB32);
            page.fill(Qt::white);
            QPainter painter(&page);
            painter.setRenderHint(QPainter::Antialiasing);
            paintPage(painter, r.Pages.first(), 96 / 25.4);
        };
        const auto toPdf = [&](const TRenderedReport& r) { exportPdf(r, pdf); };
        timeOnce(folder, preview); // fonts and code paths loaded once, as in a running program
        std::vector<double> previewMs, pdfMs;
        for (int i = 0; i < rounds; ++i) {
            previewMs.push_back(timeOnce(folder, preview));
            pdfMs.push_back(timeOnce(folder, toPdf));
        }
        for (const auto& [to, ms] :
             {std::pair{"first preview page", previewMs}, std::pair{"PDF file", pdfMs}}) {
            const Timing t = summarize(ms);
            std::printf("%-28s %-22s %6.1f ms %6.1f ms %6.1f ms\n", name, to, t.median, t.min, t.max);
            const std::string line = std::string("\"Tisk\", ") + name + ": to the " + to + " (median)";
            kvor::bench::reportCase(line.c_str(), t.median / 1000);
        }
    }
    std::printf("goal: under 100 ms each\n");
    return 0;
}
