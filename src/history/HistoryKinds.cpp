#include "history/HistoryKinds.h"

namespace kvor {

// clang-format off
namespace {

using V = THistoryVariant;
constexpr Qt::Alignment Right = Qt::AlignRight;
constexpr Qt::Alignment Centre = Qt::AlignHCenter;
constexpr Qt::Alignment Left = Qt::AlignLeft;
constexpr Qt::Alignment ByType = {};

// The grid of the listings by request date: TFhisto1, TFhisto1c and, with wider packaging
// columns and without ULČ, TFhisto3.
QList<THistoryColumn> byRequest(bool withoutUlc) {
    const int obaly = withoutUlc ? 90 : 70, obaly2 = withoutUlc ? 80 : 50, moridlo = withoutUlc ? 140 : 120;
    QList<THistoryColumn> columns{
        //  column         title              width   values   title
        {"DATUM",      "Ze dne",          60,     Right,   Centre},
        {"PARTIECELA", "Partie",          95,     ByType,  Centre},
        {"ZADOST_O",   "Žá.",             20,     Centre,  Left},
        {"STREDISKO",  "ČSO",             25,     ByType,  Left},
        {"NAZ_DRU",    "   Druh",         150,    ByType,  Left},
        {"NAZ_ODRU",   "   Odrůda",       130,    ByType,  Left},
        {"STUPEN",     "Gen",             25,     ByType,  Left},
        {"MNOZSTVI",   "Množství",        45,     ByType,  Centre},
        {"MJ",         "",                18,     ByType,  Left},
        {"MISTOODBER", "Místo odběru",    100,    ByType,  Left},
        {"DATUMODBER", "Datum odb",       60,     Right,   Left},
        {"OBALY_TXT",  "Obaly",           obaly,  ByType,  Left},
        {"OBALY2_TXT", "Obaly 2",         obaly2, ByType,  Left},
        {"MORIDLOTXT", "Mořidlo",         moridlo, ByType, Left},
    };
    if (!withoutUlc) columns << THistoryColumn{"ULC", "  ULČ", 70, ByType, Left};
    return columns;
}

// The grid of the listings by ULČ: TFhisto2 and TFhisto2c; no sampling date.
QList<THistoryColumn> byUlc() {
    return {
        //  column         title              width   values   title
        {"ULC",        "  ULČ",           70,     ByType,  Left},
        {"DATUMROZHO", "Vystaven",        60,     Right,   Centre},
        {"PARTIECELA", "Partie",          95,     ByType,  Centre},
        {"ZADOST_O",   "Žá.",             20,     Centre,  Left},
        {"DATUM",      "Ze dne",          60,     Right,   Centre},
        {"STREDISKO",  "ČSO",             25,     ByType,  Left},
        {"NAZ_DRU",    "   Druh",         150,    ByType,  Left},
        {"NAZ_ODRU",   "   Odrůda",       130,    ByType,  Left},
        {"STUPEN",     "Gen",             25,     ByType,  Left},
        {"MNOZSTVI",   "Množství",        45,     ByType,  Centre},
        {"MJ",         "",                18,     ByType,  Left},
        {"MISTOODBER", "Místo odběru",    100,    ByType,  Left},
        {"OBALY_TXT",  "Obaly",           70,     ByType,  Left},
        {"OBALY2_TXT", "Obaly 2",         50,     ByType,  Left},
        {"MORIDLOTXT", "Mořidlo",         120,    ByType,  Left},
    };
}

QList<THistoryKind> makeKinds() {
    const QString prefix = QStringLiteral("Trivan05 - Kvor Pro - historie, ");
    return {
        // variant      class        menu item                                   title                                         detail bar  columns
        {V::TFhisto3,  "TFhisto3",  "Historie žádosti bez ULČ",                 prefix + "žádost bez ULČ",                    false, 50, byRequest(true)},
        {V::TFhisto1,  "TFhisto1",  "Historie žádost, ULČ",                     prefix + "žádost, ULČ",                       true,  40, byRequest(false)},
        {V::TFhisto2,  "TFhisto2",  "Historie ULČ, žádost",                     prefix + "ULČ, žádost",                       true,  40, byUlc()},
        {V::TFhisto1c, "TFhisto1c", "Historie žádost, ULČ - celá firma",        prefix + "žádost, ULČ - celá firma",          true,  40, byRequest(false)},
        // The whole-company listing by ULČ carries the title of TFhisto2, without "celá firma".
        {V::TFhisto2c, "TFhisto2c", "Historie ULČ, žádost - celá firma",        prefix + "ULČ, žádost",                       true,  40, byUlc()},
    };
}

} // namespace
// clang-format on

const QList<THistoryKind>& historyKinds() {
    static const QList<THistoryKind> kinds = makeKinds();
    return kinds;
}

const THistoryKind& historyKind(THistoryVariant variant) {
    for (const THistoryKind& kind : historyKinds())
        if (kind.Variant == variant) return kind;
    return historyKinds().first();
}

} // namespace kvor
