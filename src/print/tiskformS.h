#pragma once
// The sample label sheet TTiskForS: four labels of about 102 x 148 mm on an A4 page, one label
// per record of the slot table, filled down the left column and then the right. A blank slot
// (empty PARTIECELA) prints nothing at all, so that a partly used sheet can be fed again.
#include "print/ValueRules.h"
#include "report/ReportModel.h"

namespace kvor {

class TDataSet;

class TTiskForS {
public:
    static constexpr double kColumnWidth = 102.5;
    static constexpr double kBandWidth = 102.4;
    static constexpr double kBandHeight = 147.9;

    // slotTable: the slot table (zadost2.dbf); iniFile: the settings file with the company identity,
    // read now.
    TTiskForS(TDataSet& slotTable, const QString& iniFile);
    TTiskForS(const TTiskForS&) = delete;
    TTiskForS& operator=(const TTiskForS&) = delete;

    TReport QuickRep1;

    void FormCreate();
    void QRBand1BeforePrint();

private:
    QString text(const char* field) const;
    bool blankSlot() const;

    TDataSet& m_slots;
    const QString m_iniFile;
};

} // namespace kvor
