#pragma once
// The steps of the print job that need no window: who the partner office is, the copy of the
// request for the export queue, and the layout that prints the request.
#include "print/RequestLayout.h"

#include <memory>

namespace kvor {

class TDataSet;

// Species code of the seed potato, printed on its own two-page form.
inline constexpr int kPotatoSpecies = 84;

// The ICO of the partner office whose address list record has adresa equal to poot (exact,
// case-sensitive); empty when no record matches or the office is no partner. The address list
// is opened for the look-up and closed again.
QString partnerIcoFor(TDataSet& addressList, const QString& poot);

// Appends a copy of the current request to the export queue: every request field for which the
// queue has a field of the same name. The queue is opened for it and closed again.
void queueForExport(TDataSet& request, TDataSet& exportQueue);

// DRUH as a whole number. Raises EKvorError "'DRUH' is not a valid integer value" otherwise.
int speciesCode(const QString& druh);

// The layout that prints the current request: the seed potato request form for species 84, the
// request form for every other whole number. Raises as speciesCode before anything is created.
std::unique_ptr<TRequestLayout> createRequestLayout(TDataSet& request, const QString& iniFile);

} // namespace kvor
