#pragma once
// The slot table of the sample label job: blank slots for the labels of a sheet used before, then
// copies of the request for the labels to print.
#include "platform/KvorError.h"

namespace kvor {

class TDataSet;
class TDsDbfTable;

inline constexpr int kMinLabels = 1;
inline constexpr int kMaxLabels = 6;
inline constexpr int kSlotsPerSheet = 4;

// Raises EKvorError with a Czech message when the count is not 1 to 6 or the start slot not 1 to 4.
void checkLabelJob(int count, int startSlot);

// Empties the slot table (zadost2.dbf; opened here for exclusive use and left open), then appends
// startSlot - 1 blank records and count copies of the current request, field by field by name.
// The request is only read. Raises as checkLabelJob, before the slot table is touched, and the
// table store's errors (a slot table held by another program) as they come.
void fillSlotTable(TDsDbfTable& slotTable, TDataSet& request, int count, int startSlot);

} // namespace kvor
