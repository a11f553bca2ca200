#pragma once
// A request record filled the way the editor leaves it, for the server tests.
#include "support/RequestRecord.h"
#include "tablestore/DsDataSet.h"

#include <QDate>
#include <QMap>
#include <QVariant>

namespace kvor::testing {

// Field values of a typical request; the tests change single values.
inline QMap<QString, QVariant> sampleRequest() {
    return {
        {QStringLiteral("ZADOST_O"), QStringLiteral("U")},
        {QStringLiteral("STREDISKO"), QStringLiteral("310")},
        {QStringLiteral("ROK"), QStringLiteral("2012")},
        {QStringLiteral("PODNIK"), QStringLiteral("1234")},
        {QStringLiteral("PRIHLASKA"), QStringLiteral("00017")},
        {QStringLiteral("DIL"), QStringLiteral("01")},
        {QStringLiteral("PARTIE"), QStringLiteral("120001701")},
        {QStringLiteral("PARTIECELA"), QStringLiteral("12-1234-00017-01")},
        {QStringLiteral("POOT"), QStringLiteral("ÚKZÚZ Brno, Hroznová 2")},
        {QStringLiteral("ODRUDA"), QStringLiteral("01008")},
        {QStringLiteral("DRUH"), QStringLiteral("1")},
        {QStringLiteral("NAZ_DRU"), QStringLiteral("Pšenice ozimá")},
        {QStringLiteral("NAZ_ODRU"), QStringLiteral("Bohemia")},
        {QStringLiteral("STUPEN"), QStringLiteral("C1")},
        {QStringLiteral("ROZ_P1"), QStringLiteral("R-12/0081")},
        {QStringLiteral("MNOZSTVI"), 12.5},
        {QStringLiteral("BRUTTO"), 12.75},
        {QStringLiteral("MJ"), QStringLiteral("t")},
        {QStringLiteral("OBALY_TXT"), QStringLiteral("vak 1000 kg")},
        {QStringLiteral("POCET"), 13},
        {QStringLiteral("NAV1"), QStringLiteral("CZ 0001 - 0013")},
        {QStringLiteral("TYP_NA"), QStringLiteral("O")},
        {QStringLiteral("OSETRENITX"), QStringLiteral("mořeno")},
        {QStringLiteral("MORIDLOTXT"), QStringLiteral("Celest Trio")},
        {QStringLiteral("MISTOODBER"), QStringLiteral("sklad Kolín")},
        {QStringLiteral("DATUMODBER"), QDate(2012, 3, 5)},
        {QStringLiteral("DATUM"), QDate(2012, 3, 6)},
        {QStringLiteral("POZADAV1"), QStringLiteral("HTS")},
        {QStringLiteral("UZNA_NIZSI"), QStringLiteral("N")},
        {QStringLiteral("VEGET"), QStringLiteral("A")},
        {QStringLiteral("OPAKHH"), QStringLiteral("N")},
        {QStringLiteral("DPODNIK"), QStringLiteral("1234")},
        {QStringLiteral("id"), 4711},
        {QStringLiteral("id_trivan"), QStringLiteral("267891233300004711")},
    };
}

// Appends a record with the given values (every other field stays empty) and posts it.
inline void appendRequest(TDataSet& table, const QMap<QString, QVariant>& values) {
    table.Append();
    for (auto it = values.begin(); it != values.end(); ++it)
        table.FieldByName(it.key())->SetValue(it.value());
    table.Post();
}

} // namespace kvor::testing
