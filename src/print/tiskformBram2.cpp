#include "print/tiskformBram2.h"

#include "print/LayoutRows.h"

namespace kvor {

namespace {

using namespace Qt::StringLiterals;
using enum TRowContent;

// Page 1, QRBand1, sorted by top edge. Captions Arial 10 bold and values "Arial CE" 10 unless
// the font says otherwise.
// clang-format off
const TLayoutRow QRBand1Rows[] = {
// Element          Content   Text / field                  Left   Top    Width  Height Font              Notes
    {"QRLabel1", Caption, u"ev.číslo"_s, 10.6, 4.0, 0, 0, "Tahoma 7 italic", ""},
    {"QRLabel2", Caption, u"Datum přijetí vzorku"_s, 59.5, 4.0, 0, 0, "Tahoma 7 italic", ""},
    {"QRLabel4", Caption, u"Žádost o uznání sadby brambor"_s, 14.6, 11.9, 0, 0, "Arial 14 bold", ""},
    {"QRLabel5", Caption, u"podle § 6 odst. 1 Zákona č. 219/2003 sb., o oběhu osiva a sadby, ve znění pozdějších předpisů"_s, 14.6, 18.5, 0, 0, "", ""},
    {"QRImageCK", Picture, u""_s, 133.6, 23.8, 39.7, 7.9, "", ""},
    {"QRLabel13", Value, kPurposeDesignText, 14.6, 26.5, 0, 0, "Arial 12 bold", ""},
    {"QRShape1", Rect, u""_s, 10.6, 32.3, 163.0, 117.5, "", "thick"},
    {"QRLabel27", Caption, u"Uznávací řízení provede:"_s, 13.2, 34.4, 0, 0, "", ""},
    {"QRLabelUKZUZ", Value, u""_s, 58.2, 34.4, 0, 0, "Arial 9", ""},
    {"QRShape14", HLine, u""_s, 10.6, 43.7, 162.7, 0, "", ""},
    {"QRShape11", VLine, u""_s, 108.5, 43.7, 0, 25.1, "", ""},
    {"QRLabel6", Caption, u"Označení a adresa dodavatele:"_s, 13.2, 45.0, 0, 0, "Arial CE 10 bold", ""},
    {"QRLabel7", Caption, u"IČO:"_s, 113.8, 45.0, 0, 0, "", ""},
    {"laICO", Value, u""_s, 127.0, 45.0, 0, 0, "", ""},
    {"laNAZEV", Value, u""_s, 14.6, 50.3, 0, 0, "Arial 10", ""},
    {"QRLabel14", Caption, u"ČSO:"_s, 113.8, 50.3, 0, 0, "", ""},
    {"QRDBText38", Field, u"STREDISKO"_s, 127.0, 50.3, 0, 0, "", ""},
    {"laSIDLO", Value, u""_s, 14.6, 54.8, 0, 0, "", ""},
    {"QRLabel8", Caption, u"Tel:"_s, 113.8, 55.6, 0, 0, "", ""},
    {"laTELEFON", Value, u""_s, 127.0, 55.6, 0, 0, "", ""},
    {"laULICECISLO", Value, u""_s, 14.6, 59.3, 0, 0, "", ""},
    {"QRLabel9", Caption, u"FAX:"_s, 113.8, 60.9, 0, 0, "", ""},
    {"laFAX", Value, u""_s, 127.0, 60.9, 0, 0, "", ""},
    {"laPSC", Value, u""_s, 14.6, 63.8, 0, 0, "", ""},
    {"laPOSTA", Value, u""_s, 30.4, 63.8, 0, 0, "", ""},
    {"QRShape2", HLine, u""_s, 10.6, 68.8, 162.7, 0, "", ""},
    {"QRLabel18", Caption, u"Druh"_s, 13.2, 70.1, 0, 0, "", ""},
    {"QRDBText39", Field, u"DRUH"_s, 27.8, 70.1, 0, 0, "", ""},
    {"QRDBText41", Field, u"NAZ_DRU"_s, 43.7, 70.1, 0, 0, "", ""},
    {"QRLabel15", Caption, u"odrůda"_s, 13.2, 75.4, 0, 0, "Arial CE 10 bold", ""},
    {"QRDBText40", Field, u"ODRUDA"_s, 27.8, 75.4, 0, 0, "", ""},
    {"QRDBText42", Field, u"NAZ_ODRU"_s, 43.7, 75.4, 0, 0, "", ""},
    {"QRShape5", HLine, u""_s, 10.6, 80.7, 162.7, 0, "", ""},
    {"QRLabel19", Caption, u"Kategorie a generace"_s, 13.2, 82.5, 0, 0, "", ""},
    {"QRDBText1", Field, u"STUPEN"_s, 104.5, 82.5, 8.2, 4.5, "", ""},
    {"QRLabel32", Caption, u"Rok sklizně"_s, 117.7, 82.5, 0, 0, "", ""},
    {"QRDBText34", Field, u"ROK"_s, 140.2, 82.5, 0, 0, "Arial 10 bold", ""},
    {"QRLabelKat", Value, u""_s, 51.6, 83.1, 0, 0, "Arial 9", ""},
    {"QRShape6", HLine, u""_s, 10.6, 88.6, 162.7, 0, "", ""},
    {"QRShape12", VLine, u""_s, 108.5, 88.9, 0, 25.1, "", ""},
    {"QRLabel20", Caption, u"Číslo uznávacího listu"_s, 13.2, 89.7, 0, 0, "", ""},
    {"QRLabel3", Caption, u"(množitelského porostu nebo osiva)"_s, 51.6, 90.0, 0, 0, "Arial 9", ""},
    {"QRLabel30", Caption, u"Číslo partie"_s, 113.8, 91.0, 0, 0, "", ""},
    {"QRDBText10", Field, u"ROZ_P1"_s, 14.6, 95.2, 30.2, 4.5, "", ""},
    {"QRDBText16", Field, u"ROZ_P5"_s, 45.0, 95.2, 30.2, 4.5, "", ""},
    {"QRDBText20", Field, u"ROZ_P9"_s, 75.4, 95.2, 30.2, 4.5, "", ""},
    {"QRDBText11", Field, u"ROZ_P2"_s, 14.6, 99.7, 30.2, 4.5, "", ""},
    {"QRDBText17", Field, u"ROZ_P6"_s, 45.0, 99.7, 30.2, 4.5, "", ""},
    {"QRDBText21", Field, u"ROZ_P10"_s, 75.4, 99.7, 30.2, 4.5, "", ""},
    {"QRLabelPartie", Value, u""_s, 123.0, 100.5, 0, 0, "Arial 12 bold", ""},
    {"QRDBText12", Field, u"ROZ_P3"_s, 14.6, 104.2, 30.2, 4.5, "", ""},
    {"QRDBText18", Field, u"ROZ_P7"_s, 45.0, 104.2, 30.2, 4.5, "", ""},
    {"QRLabelCZP", Value, u""_s, 113.8, 108.5, 0, 0, "Arial 10 bold", ""},
    {"QRDBText15", Field, u"ROZ_P4"_s, 14.6, 108.7, 30.2, 4.5, "", ""},
    {"QRDBText19", Field, u"ROZ_P8"_s, 45.0, 108.7, 30.2, 4.5, "", ""},
    {"QRShape7", HLine, u""_s, 10.6, 113.8, 163.0, 0, "", ""},
    {"QRLabel21", Caption, u"Množství"_s, 13.2, 115.1, 0, 0, "Arial CE 10 bold", ""},
    {"QRLabel22", Caption, u"Druh obalu"_s, 64.8, 115.1, 0, 0, "", ""},
    {"QRLabel23", Caption, u"Počet"_s, 134.9, 115.1, 0, 0, "", ""},
    {"QRDBText22", Field, u"MNOZSTVI"_s, 34.4, 115.6, 0, 0, "", ""},
    {"QRDBText23", Field, u"MJ"_s, 52.9, 115.6, 0, 0, "", ""},
    {"QRDBText24", Field, u"OBALY_TXT"_s, 86.0, 115.6, 0, 0, "", ""},
    {"QRDBText25", Field, u"POCET"_s, 148.2, 115.6, 0, 0, "", ""},
    {"QRLabelBrutto", Caption, u"Brutto"_s, 17.2, 120.1, 0, 0, "", ""},
    {"QRDBText43", Field, u"BRUTTO"_s, 34.4, 120.7, 0, 0, "", ""},
    {"QRDBText44", Field, u"MJ"_s, 52.9, 120.7, 0, 0, "", ""},
    {"QRDBText35", Field, u"OBALY2_TXT"_s, 86.0, 120.7, 0, 0, "", ""},
    {"QRDBText36", Field, u"POCET2"_s, 148.2, 120.7, 0, 0, "", ""},
    {"QRShape8", HLine, u""_s, 10.6, 125.7, 163.0, 0, "", ""},
    {"QRLabel25", Caption, u"Typ návěsky"_s, 13.2, 127.0, 0, 0, "Arial CE 10 bold", ""},
    {"QRLabel29", Caption, u"Číslo návěsky od - do"_s, 113.8, 127.0, 0, 0, "", ""},
    {"QRLabel33", Value, kLabelTypeDesignText, 42.3, 127.5, 0, 0, "Arial CE 10 bold", ""},
    {"QRDBText45", Field, u"NAV1"_s, 13.2, 132.3, 153.5, 4.5, "", "right"},
    {"QRDBText46", Field, u"NAV2"_s, 13.2, 137.1, 153.5, 4.5, "", "right"},
    {"QRShape9", HLine, u""_s, 10.6, 142.1, 163.0, 0, "", ""},
    {"QRLabel26", Caption, u"Místo odběru vzorku"_s, 13.2, 143.9, 0, 0, "Arial CE 10 bold", ""},
    {"QRDBText27", Field, u"MISTOODBER"_s, 48.9, 143.9, 0, 0, "", ""},
    {"QRDBText29", Field, u"DATUM"_s, 158.8, 143.9, 0, 0, "Tahoma 8", "right edge 168.3"},
    {"QRLabel36", Value, u""_s, 101.9, 150.8, 0, 0, "Arial 7", ""},
    {"QRLabel10", Caption, u"Datum vzorkování:"_s, 14.6, 151.3, 0, 0, "Arial CE 10", ""},
    {"QRDBText48", Field, u"DATUMODBER"_s, 45.0, 151.3, 0, 0, "Tahoma 10", ""},
    {"QRLabel11", Caption, u"Razítko a podpis vzorkovatele"_s, 14.6, 166.7, 0, 0, "Arial 9", ""},
    {"QRLabel12", Caption, u"Razítko a podpis žadatele"_s, 121.7, 166.7, 0, 0, "Arial CE 9", ""},
};

// Page 2, QRBand2. Captions Tahoma 10 and values Tahoma 8 unless the font says otherwise.
const TLayoutRow QRBand2Rows[] = {
    {"QRLabel34", Caption, u"Výsledek mechanického rozboru sadby brambor"_s, 43.4, 13.2, 0, 0, "Tahoma 12 bold", "centred"},
    {"QRShape44", Rect, u""_s, 8.7, 22.5, 172.0, 11.9, "", "thick"},
    {"QRShape46", VLine, u""_s, 92.6, 22.5, 0, 23.3, "", "thick"},
    {"QRLabel71", Caption, u"Odrůda"_s, 11.9, 24.3, 0, 0, "Arial CE 10 bold", ""},
    {"QRLabel72", Caption, u"Kategorie a generace"_s, 95.2, 24.3, 0, 0, "Arial 10 bold", ""},
    {"QRDBText13", Field, u"NAZ_ODRU"_s, 39.7, 25.7, 0, 0, "Arial CE 10", ""},
    {"QRDBText49", Field, u"STUPEN"_s, 166.7, 28.3, 8.2, 4.5, "Arial CE 10", ""},
    {"QRLabelKat2", Value, u""_s, 146.8, 28.8, 0, 0, "Arial 9", "right edge 164.8"},
    {"QRShape45", Rect, u""_s, 8.7, 33.9, 172.0, 11.9, "", "thick"},
    {"QRLabel74", Caption, u"Číslo partie"_s, 11.9, 35.7, 0, 0, "Arial 10 bold", ""},
    {"QRLabel76", Caption, u"Hmotnost partie v t"_s, 95.2, 35.7, 0, 0, "Arial CE 10 bold", ""},
    {"QRLabelPartie2", Value, u""_s, 39.7, 36.8, 0, 0, "Arial 12 bold", ""},
    {"QRDBText50", Field, u"MNOZSTVI"_s, 136.3, 37.6, 0, 0, "Arial CE 10", ""},
    {"QRDBText30", Field, u"HNILOBAM"_s, 166.7, 97.4, 0, 0, "", ""},
    {"QRDBText28", Field, u"HNILOBAS"_s, 166.7, 101.3, 0, 0, "", ""},
    {"QRDBText26", Field, u"PLISENB"_s, 166.7, 110.1, 0, 0, "", ""},
    {"QRDBText14", Field, u"STRUP"_s, 166.7, 120.9, 0, 0, "", ""},
    {"QRDBText9", Field, u"VLOCKA"_s, 166.7, 128.9, 0, 0, "", ""},
    {"QRDBText8", Field, u"MECHAN"_s, 166.7, 146.1, 0, 0, "", ""},
    {"QRDBText7", Field, u"SEDNUTI"_s, 166.7, 165.9, 0, 0, "", ""},
    {"QRDBText6", Field, u"REZ"_s, 166.7, 179.1, 0, 0, "", ""},
    {"QRDBText5", Field, u"HLIZYNAD"_s, 166.7, 187.1, 0, 0, "", ""},
    {"QRDBText4", Field, u"HLIZYPOD"_s, 166.7, 191.0, 0, 0, "", ""},
    {"QRDBText3", Field, u"ZEMINA"_s, 166.7, 197.6, 0, 0, "", ""},
    {"QRDBText2", Field, u"HLIZYJ"_s, 166.7, 206.9, 0, 0, "", ""},
    {"QRLabel66", Caption, u"Velikostní třídění"_s, 10.8, 219.6, 0, 0, "Tahoma 10 bold", ""},
    {"QRDBText32", Field, u"TRIDENI"_s, 50.3, 219.6, 0, 0, "Tahoma 10 bold", "right edge 63.8"},
    {"QRLabel67", Caption, u"mm"_s, 66.4, 219.6, 0, 0, "Tahoma 10 bold", ""},
    {"QRLabel69", Caption, u"Rozbor proveden v"_s, 10.8, 226.7, 0, 0, "", ""},
    {"QRDBText33", Field, u"MISTOODBER"_s, 43.7, 226.7, 0, 0, "Tahoma 10", ""},
    {"QRLabel68", Caption, u"dne"_s, 99.0, 226.7, 0, 0, "", ""},
    {"QRDBText37", Field, u"DATUMODBER"_s, 107.2, 226.7, 0, 0, "Tahoma 10", ""},
    {"QRLabel70", Caption, u"Rozbor provedl:"_s, 10.8, 234.4, 0, 0, "", ""},
    {"QRDBText47", Field, u"AGRONOM"_s, 43.7, 234.4, 0, 0, "Tahoma 10 bold", ""},
    {"QRLabel16", Caption, u"razítko a podpis "_s, 137.6, 234.9, 0, 0, "Tahoma 9 italic", ""},
    {"QRLabel17", Caption, u"[_]  pracovník ÚKZÚZ"_s, 10.8, 247.7, 0, 0, "", ""},
    {"QRLabel24", Caption, u"[_]  pověřená osoba"_s, 49.2, 247.7, 0, 0, "", ""},
};
// clang-format on

// The mechanical analysis table, drawn with lines and text in the box of 185.2 x 167.5 mm at
// (2.6, 50.3). Five columns; the values of the last one print at 166.7 mm.
constexpr double tableLeft = 2.6, tableTop = 50.3, tableRight = 2.6 + 185.2, tableBottom = 50.3 + 167.5;
constexpr double columnLeft[] = {tableLeft, 30.0, 96.0, 122.0, 148.0};
constexpr double headerBottom = 66.0;

struct AnalysisRow {
    double top, bottom;
    QString group, defect, single, groupPercent;
    bool boldGroup;
};

// Skupina vad | Vada | Jednotlivé vady (%) | Skupiny vad (%); the value field of each defect row
// is an element of QRBand2Rows whose top lies inside the row.
const AnalysisRow analysisRows[] = {
    {66.0, 84.0, u"Skupina vad I"_s,
     u"škodlivé organismy, které je zakázáno zavlékat a rozšiřovat na území Evropských společenství"_s,
     u"nesmí se vyskytovat"_s, u""_s, false},
    {84.0, 96.6, u"Skupina vad II"_s, u""_s, u""_s, u"1,00"_s, false},
    {96.6, 100.6, u""_s, u"mokré hniloby"_s, u"0,25"_s, u""_s, false},
    {100.6, 104.6, u""_s, u"suchá hniloba"_s, u"1,00"_s, u""_s, false},
    {104.6, 109.3, u"Skupina vad III"_s, u""_s, u""_s, u"1,00"_s, false},
    {109.3, 114.0, u""_s, u"plíseň bramboru"_s, u"1,00"_s, u""_s, false},
    {114.0, 120.2, u"Skupina vad IV"_s, u""_s, u""_s, u"6,00"_s, false},
    {120.2, 128.2, u""_s, u"aktinomycétová obecná strupovitost bramboru"_s, u"5,00"_s, u""_s, false},
    {128.2, 134.0, u""_s, u"vločkovitost hlíz bramboru"_s, u"5,00"_s, u""_s, false},
    {134.0, 145.4, u"Skupina vad V"_s, u""_s, u""_s, u"3,00"_s, false},
    {145.4, 157.0, u""_s,
     u"vnější vady způsobené mechanicky nebo škůdci, hlízy poškozené mrazem a zapařením"_s, u"3,00"_s, u""_s,
     false},
    {157.0, 165.2, u"Celkem skupiny II až V"_s, u""_s, u""_s, u"6,00"_s, true},
    {165.2, 178.4, u"Skupina vad VI"_s,
     u"silné šednutí až černání dužiny zaujímající více než 1/3 řezu hlízy"_s, u"10,00"_s, u""_s, false},
    {178.4, 186.4, u""_s, u"silná rzivost dužiny zaujímající více než 1/10 řezu hlízy"_s, u"10,00"_s, u""_s,
     false},
    {186.4, 190.4, u"Velikost sadby"_s, u"hlízy nadsadbové"_s, u"3,00"_s, u""_s, true},
    {190.4, 196.8, u""_s, u"hlízy podsadbové"_s, u"3,00"_s, u""_s, false},
    {196.8, 206.2, u"Příměs zeminy a jiných nečistot"_s, u""_s, u"2,00"_s, u""_s, true},
    {206.2, tableBottom, u"Hlízy jiných odrůd"_s, u""_s, u"0,1"_s, u""_s, true},
};

const QString headers[] = {
    u"Skupina vad"_s,
    u"Vada"_s,
    u"Nejvyšší přípustné hmotnostní procento jednotlivé vady"_s,
    u"Nejvyšší přípustné hmotnostní procento skupiny vad"_s,
    u"Zjištěná skutečnost"_s,
};

void addAnalysisTable(TReportBand& band) {
    const TReportFont cell{u"Tahoma"_s, 8};
    const TReportFont header = cell.sized(7).bold();
    constexpr double pad = 0.8;
    const auto columnRight = [](int c) { return c + 1 < 5 ? columnLeft[c + 1] : tableRight; };
    const auto cellText = [&](const QString& name, const QString& text, int fromColumn, int toColumn,
                              double top, double bottom, const TReportFont& font) {
        if (text.isEmpty()) return;
        band.text(name, text, columnLeft[fromColumn] + pad, top + 0.4, font)
            .box(columnRight(toColumn) - columnLeft[fromColumn] - 2 * pad, bottom - top - 0.4)
            .transparent();
    };
    band.rectangle(u"QRImage1"_s, tableLeft, tableTop, tableRight - tableLeft, tableBottom - tableTop);
    for (int c = 0; c < 5; ++c)
        cellText(u"QRImage1Header%1"_s.arg(c + 1), headers[c], c, c, tableTop, headerBottom, header);
    band.hline(u"QRImage1Line0"_s, tableLeft, headerBottom, tableRight - tableLeft);
    int i = 0;
    for (const AnalysisRow& row : analysisRows) {
        ++i;
        if (row.bottom < tableBottom)
            band.hline(u"QRImage1Line%1"_s.arg(i), tableLeft, row.bottom, tableRight - tableLeft);
        const TReportFont groupFont = row.boldGroup ? cell.bold() : cell;
        cellText(u"QRImage1Group%1"_s.arg(i), row.group, 0, 0, row.top, row.bottom, groupFont);
        cellText(u"QRImage1Defect%1"_s.arg(i), row.defect, 1, 1, row.top, row.bottom, cell);
        // "nesmí se vyskytovat" stands across both percentage columns.
        const bool across = !row.single.isEmpty() && !row.single.front().isDigit();
        cellText(u"QRImage1Single%1"_s.arg(i), row.single, 2, across ? 3 : 2, row.top, row.bottom, cell);
        cellText(u"QRImage1Percent%1"_s.arg(i), row.groupPercent, 3, 3, row.top, row.bottom, cell);
    }
    // Column rules; the one between the percentage columns leaves out the row that spans them.
    const double firstRowBottom = analysisRows[0].bottom;
    for (int c = 1; c < 5; ++c) {
        if (c == 3) {
            band.vline(u"QRImage1Column%1a"_s.arg(c), columnLeft[c], tableTop, headerBottom - tableTop);
            band.vline(u"QRImage1Column%1"_s.arg(c), columnLeft[c], firstRowBottom,
                       tableBottom - firstRowBottom);
        } else {
            band.vline(u"QRImage1Column%1"_s.arg(c), columnLeft[c], tableTop, tableBottom - tableTop);
        }
    }
}

} // namespace

TTiskForBram2::TTiskForBram2(TDataSet& request, const QString& iniFile)
    : TRequestLayout(request, iniFile, TLayoutColumn::PotatoForm) {
    QuickRep1.Title = QStringLiteral("Žádost o uznání sadby brambor");
    QuickRep1.Page.Duplex = true;
    QuickRep1.Page.Copies = 1;
    TReportBand& page1 = QuickRep1.detail(QStringLiteral("QRBand1"), kPage1Height);
    page1.Width = kBandWidth;
    addLayoutRows(page1, QRBand1Rows, {TReportFont{}.bold(), QuickRep1.DefaultFont});
    QuickRep1.element<TReportDBText>(QStringLiteral("QRDBText36")).onPrint(secondCountHook());
    QuickRep1.element<TReportDBText>(QStringLiteral("QRDBText48"))
        .onPrint(samplingDateHook(kSamplingDateLimit));
    page1.BeforePrint = [this](TReportBand&, TBandPrint&) { QRBand1BeforePrint(); };

    TReportBand& page2 = QuickRep1.summary(QStringLiteral("QRBand2"), kPage2Height, true);
    page2.Width = kBandWidth;
    addLayoutRows(page2, QRBand2Rows, {TReportFont{u"Tahoma"_s, 10}, TReportFont{u"Tahoma"_s, 8}});
    // After the values, so that their white backgrounds do not hide the table's rules.
    addAnalysisTable(page2);
    QuickRep1.element<TReportDBText>(QStringLiteral("QRDBText37"))
        .onPrint(samplingDateHook(kSamplingDateLimitPotatoPage2));
    page2.BeforePrint = [this](TReportBand&, TBandPrint&) { QRBand2BeforePrint(); };
    FormCreate();
}

void TTiskForBram2::QRBand1BeforePrint() {
    applyRequestRules();
}

void TTiskForBram2::QRBand2BeforePrint() {
    const auto label = [this](const char* name) -> TReportLabel& {
        return QuickRep1.element<TReportLabel>(QString::fromLatin1(name));
    };
    label("QRLabelPartie2").Caption = label("QRLabelPartie").Caption;
    label("QRLabelKat2").Caption = label("QRLabelKat").Caption;
}

} // namespace kvor
