// kvor-print request PROGRAM_FOLDER OUT.pdf
// kvor-print labels PROGRAM_FOLDER OUT.pdf --count N --start S
//
// Renders the current request of a program folder (data/zadost.dbf with the company identity of
// kvor.ini) to a PDF file exactly as the preview prints it: the same layout chosen by species,
// the same rules and barcode. No window opens and nothing is exported. For support staff and for
// checks. "request" changes nothing; "labels" fills the slot table data/zadost2.dbf with S - 1
// blank slots and N copies of the request, as the label job does, and writes the label sheet.
// Exit status 0 on success; 1 with the error text on stderr otherwise.
#include "print/LabelJob.h"
#include "print/PrintJob.h"
#include "print/tiskformS.h"
#include "report/ReportPaint.h"
#include "report/ReportRender.h"
#include "tablestore/DsDbfTable.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <cstdio>

using namespace kvor;

namespace {

const char* const usage = "usage: kvor-print request PROGRAM_FOLDER OUT.pdf\n"
                          "       kvor-print labels PROGRAM_FOLDER OUT.pdf --count N --start S\n";

// The tables of a program folder's data folder.
class ProgramFolder {
public:
    explicit ProgramFolder(const QString& folder) : m_dir(folder) {
        if (!m_dir.exists()) throw EKvorError(QStringLiteral("Složka %1 neexistuje.").arg(folder));
        m_database.SetDatabaseName(m_dir.filePath(QStringLiteral("data")));
    }
    QString ini() const { return m_dir.filePath(QStringLiteral("kvor.ini")); }
    // A table of the data folder, its component named as in the program.
    std::unique_ptr<TDsDbfTable> table(const char* name, const char* file) {
        const QString path = m_dir.filePath(QStringLiteral("data/") + QString::fromLatin1(file));
        if (!QFileInfo::exists(path)) throw EKvorError(QStringLiteral("Soubor %1 neexistuje.").arg(path));
        auto t = std::make_unique<TDsDbfTable>();
        t->SetName(QString::fromLatin1(name));
        t->SetDatabase(&m_database);
        t->SetTableName(QString::fromLatin1(file));
        return t;
    }

private:
    QDir m_dir;
    TDsDatabase m_database;
};

void printRequest(const QString& folder, const QString& pdf) {
    ProgramFolder program(folder);
    auto request = program.table("Dbf5", "zadost.dbf");
    request->Open();
    std::unique_ptr<TRequestLayout> layout = createRequestLayout(*request, program.ini());
    exportPdf(renderReport(layout->QuickRep1), pdf);
}

// A whole number given as the value of an option.
int optionNumber(const QStringList& args, const QString& option) {
    const qsizetype at = args.indexOf(option);
    bool ok = false;
    const int value = at >= 0 && at + 1 < args.size() ? args[at + 1].toInt(&ok) : 0;
    if (!ok) throw EKvorError(QStringLiteral("Chybí celé číslo za %1.").arg(option));
    return value;
}

void printLabels(const QString& folder, const QString& pdf, int count, int start) {
    checkLabelJob(count, start);
    ProgramFolder program(folder);
    auto request = program.table("Dbf5", "zadost.dbf");
    auto slotTable = program.table("Dbf2st", "zadost2.dbf");
    request->Open();
    fillSlotTable(*slotTable, *request, count, start);
    TTiskForS layout(*slotTable, program.ini());
    exportPdf(renderReport(layout.QuickRep1), pdf);
    slotTable->Close();
}

} // namespace

int main(int argc, char** argv) {
    // Only fonts and a PDF writer are needed: no display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    const bool request = args.size() == 3 && args[0] == u"request";
    const bool labels = args.size() == 7 && args[0] == u"labels";
    if (!request && !labels) {
        std::fputs(usage, stderr);
        return 1;
    }
    try {
        if (request)
            printRequest(args[1], args[2]);
        else
            printLabels(args[1], args[2], optionNumber(args, QStringLiteral("--count")),
                        optionNumber(args, QStringLiteral("--start")));
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "kvor-print: %s\n", e.what());
        return 1;
    }
}
