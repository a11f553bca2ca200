#pragma once
// What the two request form layouts share: the report bound to the request table, the company
// identity read from the settings file when the layout is created, and the band hook steps that
// both forms run (the value rules with the form's own column).
#include "print/ValueRules.h"
#include "report/ReportModel.h"

#include <QString>
#include <memory>

namespace kvor {

class TDataSet;

class TRequestLayout {
public:
    virtual ~TRequestLayout();
    TRequestLayout(const TRequestLayout&) = delete;
    TRequestLayout& operator=(const TRequestLayout&) = delete;

    TReport QuickRep1;

protected:
    // request: the request table (zadost.dbf); iniFile: the settings file with section "TFmozno".
    TRequestLayout(TDataSet& request, QString iniFile, TLayoutColumn column);

    // Copies the company identity of the settings file into the captions of laNAZEV, laSIDLO,
    // ... for the keys the form prints; a missing file or key prints as an empty text.
    void FormCreate();
    // The steps of QRBand1BeforePrint that both forms run, in their order.
    void applyRequestRules();
    // The field's text, number or date in the current request.
    QString text(const char* field) const;
    double number(const char* field) const;
    QDate date(const char* field) const;
    // A print hook that prints the sampling date only from the limit on (rule 9).
    TReportText::PrintHook samplingDateHook(QDate limit) const;
    // A print hook that prints the second packaging count only when it is not 0 (rule 8).
    TReportText::PrintHook secondCountHook() const;

    TDataSet& m_request;
    const QString m_iniFile;
    const TLayoutColumn m_column;
};

// The maker's credit line at the foot of every layout: "Kvor Pro" and the program version.
QString makersCreditLine();

} // namespace kvor
