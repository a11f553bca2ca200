#include "print/LabelJob.h"

#include "tablestore/DsDbfTable.h"

namespace kvor {

void checkLabelJob(int count, int startSlot) {
    if (count < kMinLabels || count > kMaxLabels)
        throw EKvorError(QStringLiteral("Počet štítků musí být %1 až %2.").arg(kMinLabels).arg(kMaxLabels));
    if (startSlot < 1 || startSlot > kSlotsPerSheet)
        throw EKvorError(QStringLiteral("Začátek tisku musí být 1 až %1.").arg(kSlotsPerSheet));
}

void fillSlotTable(TDsDbfTable& slotTable, TDataSet& request, int count, int startSlot) {
    checkLabelJob(count, startSlot);
    slotTable.Close();
    slotTable.SetExclusive(true);
    try {
        slotTable.Open();
    } catch (const EDatabaseError& e) {
        // The slot table only ever holds copies made for one print: a file that was cut short or
        // whose header was overwritten is made anew in the request's layout rather than stopping
        // every label print from now on. A file held by someone else is not touched.
        if (e.code() != DS_CANNOT_READ_FILE && e.code() != DS_INVALID_DATABASE_FILE) throw;
        slotTable.SetFieldDefs(request.FieldDefs());
        slotTable.CreateTable();
        slotTable.Open();
    }
    slotTable.Zap();
    slotTable.Pack();
    slotTable.Close();
    slotTable.Open();
    for (int i = 1; i < startSlot; ++i) {
        slotTable.Append();
        slotTable.Post();
    }
    for (int i = 0; i < count; ++i) {
        slotTable.Append();
        CopyCurrentRecord(request, slotTable, true);
        slotTable.Post();
    }
}

} // namespace kvor
