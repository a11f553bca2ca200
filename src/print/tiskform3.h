#pragma once
// The request form TTiskFor3: one A4 page per request, for every species but the seed potato.
#include "print/RequestLayout.h"

namespace kvor {

class TTiskFor3 : public TRequestLayout {
public:
    static constexpr double kBandWidth = 190.0;
    static constexpr double kBandHeight = 283.1;

    // request: the request table; iniFile: the settings file with the company identity, read now.
    TTiskFor3(TDataSet& request, const QString& iniFile);

    void QRBand1BeforePrint();
};

} // namespace kvor
