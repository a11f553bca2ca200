#pragma once
// The seed potato request form TTiskForBram2: page 1 the application, page 2 the mechanical
// analysis sheet (a summary band on a new page), meant for the two sides of one sheet.
#include "print/RequestLayout.h"

namespace kvor {

class TTiskForBram2 : public TRequestLayout {
public:
    static constexpr double kBandWidth = 190.0;
    static constexpr double kPage1Height = 171.0;
    static constexpr double kPage2Height = 283.1;

    TTiskForBram2(TDataSet& request, const QString& iniFile);

    void QRBand1BeforePrint();
    void QRBand2BeforePrint();
};

} // namespace kvor
