// kvor-print request PROGRAM_FOLDER OUT.pdf
//
// Renders the current request of a program folder (data/zadost.dbf with the company identity of
// kvor.ini) to a PDF file exactly as the preview prints it: the same layout chosen by species,
// the same rules and barcode. No window opens and nothing is exported or changed. For support
// staff and for checks. Exit status 0 on success; 1 with the error text on stderr otherwise.
#include "print/PrintJob.h"
#include "report/ReportPaint.h"
#include "report/ReportRender.h"
#include "tablestore/DsDbfTable.h"

#include <QDir>
#include <QGuiApplication>
#include <cstdio>

using namespace kvor;

namespace {

const char* const usage = "usage: kvor-print request PROGRAM_FOLDER OUT.pdf\n";

void printRequest(const QString& folder, const QString& pdf) {
    const QDir dir(folder);
    if (!dir.exists()) throw EKvorError(QStringLiteral("Složka %1 neexistuje.").arg(folder));
    TDsDatabase database;
    database.SetDatabaseName(dir.filePath(QStringLiteral("data")));
    TDsDbfTable request;
    request.SetName(QStringLiteral("Dbf5"));
    request.SetDatabase(&database);
    request.SetTableName(QStringLiteral("zadost.dbf"));
    request.Open();
    std::unique_ptr<TRequestLayout> layout =
        createRequestLayout(request, dir.filePath(QStringLiteral("kvor.ini")));
    exportPdf(renderReport(layout->QuickRep1), pdf);
}

} // namespace

int main(int argc, char** argv) {
    // Only fonts and a PDF writer are needed: no display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() != 3 || args[0] != u"request") {
        std::fputs(usage, stderr);
        return 1;
    }
    try {
        printRequest(args[1], args[2]);
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "kvor-print: %s\n", e.what());
        return 1;
    }
}
