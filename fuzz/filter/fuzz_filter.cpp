// Feeds arbitrary text to the filter expression parser: a memory table of every field kind the
// language reads, with a few records, filtered by the input read as UTF-8 text under the options
// its first byte picks. Setting the filter either refuses it as invalid or filters, and movement
// over the filtered records never fails.
#include "tablestore/DsMemTable.h"

#include <QDate>
#include <QTime>
#include <cstddef>
#include <cstdint>

using namespace kvor;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    TDsMemTable t;
    auto def = [](const char* name, TFieldType type, int size = 0) {
        TFieldDef d;
        d.Name = QString::fromLatin1(name);
        d.DataType = type;
        d.Size = size;
        return d;
    };
    t.SetFieldDefs({def("S", ftString, 20), def("I", ftInteger), def("F", ftFloat), def("B", ftBoolean),
                    def("D", ftDate), def("T", ftTime), def("DT", ftDateTime)});
    t.Open();
    const QVariantList rows[] = {
        {QStringLiteral("Brno*?"), 7, 2.5, true, QDate(2024, 2, 1), QTime(12, 30),
         QDateTime(QDate(2000, 1, 1), QTime(1, 2))},
        {QStringLiteral("12.5"), -2147483647 - 1, -0.0, false, QDate(1, 1, 1), QTime(0, 0), QDateTime()},
        {QVariant(), QVariant(), QVariant(), QVariant(), QVariant(), QVariant(), QVariant()},
    };
    for (const QVariantList& row : rows) {
        t.Append();
        for (int i = 0; i < row.size(); ++i)
            if (row[i].isValid()) t.Fields(i)->SetValue(row[i]);
        t.Post();
    }
    t.SetFilterOptions(data[0] & 3);
    t.SetFilter(QString::fromUtf8(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1)));
    try {
        t.SetFiltered(true);
    } catch (const EDatabaseError&) {
        return 0; // refused as invalid
    }
    for (t.First(); !t.Eof(); t.Next())
        (void)t.Fields(0)->AsString();
    for (t.Last(); !t.Bof(); t.Prior())
        (void)t.Fields(1)->AsString();
    return 0;
}
