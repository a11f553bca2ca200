#include "print/PrintJob.h"

#include "print/tiskform3.h"
#include "print/tiskformBram2.h"
#include "tablestore/DsDataSet.h"

#include <QRegularExpression>

namespace kvor {

namespace {

// Closes a table on every path out of a scope.
struct CloseOnExit {
    TDataSet& table;
    ~CloseOnExit() {
        try {
            table.Close();
        } catch (...) {
        }
    }
};

} // namespace

QString partnerIcoFor(TDataSet& addressList, const QString& poot) {
    addressList.Open();
    CloseOnExit closer{addressList};
    for (addressList.First(); !addressList.Eof(); addressList.Next())
        if (addressList.FieldByName(QStringLiteral("adresa"))->AsString() == poot)
            return addressList.FieldByName(QStringLiteral("ico"))->AsString();
    return {};
}

void queueForExport(TDataSet& request, TDataSet& exportQueue) {
    exportQueue.Open();
    CloseOnExit closer{exportQueue};
    exportQueue.Append();
    try {
        CopyCurrentRecord(request, exportQueue, true);
        exportQueue.Post();
    } catch (...) {
        exportQueue.Cancel();
        throw;
    }
}

int speciesCode(const QString& druh) {
    // A whole number with an optional sign; blanks before it are allowed, as the system's
    // conversion allows them.
    static const QRegularExpression wholeNumber(QStringLiteral(R"(^\s*[+-]?\d{1,9}$)"));
    if (!wholeNumber.match(druh).hasMatch())
        throw EKvorError(QStringLiteral("'%1' is not a valid integer value").arg(druh));
    return druh.trimmed().toInt();
}

std::unique_ptr<TRequestLayout> createRequestLayout(TDataSet& request, const QString& iniFile) {
    const int species = speciesCode(request.FieldByName(QStringLiteral("DRUH"))->AsString());
    if (species == kPotatoSpecies) return std::make_unique<TTiskForBram2>(request, iniFile);
    return std::make_unique<TTiskFor3>(request, iniFile);
}

} // namespace kvor
