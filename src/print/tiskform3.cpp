#include "print/tiskform3.h"

#include "print/LayoutRows.h"

namespace kvor {

namespace {

using namespace Qt::StringLiterals;
using enum TRowContent;

// QRBand1, 190.0 x 283.1 mm, sorted by top edge. Captions Arial 10 bold and values "Arial CE"
// 10 unless the font says otherwise.
// clang-format off
const TLayoutRow QRBand1Rows[] = {
// Element          Content   Text / field                  Left   Top    Width  Height Font              Notes
    {"QRLabel1", Caption, u"ev.číslo"_s, 10.6, 5.3, 0, 0, "Arial 8 italic", ""},
    {"QRLabel2", Caption, u"Datum přijetí vzorku"_s, 59.5, 5.3, 0, 0, "Arial 8 italic", ""},
    {"QRLabel4", Caption, u"Žádost o uznání osiva"_s, 14.6, 14.6, 0, 0, "Arial 18 bold", ""},
    {"QRLabel5", Caption, u"podle § 6 odst. 1 Zákona č. 219/2003 sb., o oběhu osiva a sadby, ve znění pozdějších předpisů"_s, 14.6, 26.5, 0, 0, "", ""},
    {"QRImageCK", Picture, u""_s, 133.6, 33.1, 39.7, 7.9, "", ""},
    {"QRLabel13", Value, kPurposeDesignText, 14.6, 35.7, 0, 0, "Arial 12 bold", ""},
    {"QRShape1", Rect, u""_s, 10.6, 42.3, 163.0, 150.5, "", "thick"},
    // At the left edge of the box like every caption in it: at 23.8 the office at 59.5 covered its end.
    {"QRLabel27", Caption, u"Uznávací řízení provede:"_s, 13.2, 45.0, 0, 0, "", ""},
    {"QRLabelUKZUZ", Value, u""_s, 59.5, 45.0, 0, 0, "Arial 9", ""},
    {"QRShape14", HLine, u""_s, 10.6, 54.2, 162.7, 0, "", ""},
    {"QRShape11", VLine, u""_s, 108.5, 54.2, 0, 27.8, "", ""},
    {"QRLabel6", Caption, u"Označení a adresa dodavatele:"_s, 13.2, 55.6, 0, 0, "", ""},
    {"QRLabel7", Caption, u"IČO:"_s, 113.8, 55.6, 0, 0, "", ""},
    {"laICO", Value, u""_s, 127.0, 55.6, 0, 0, "", ""},
    {"laNAZEV", Value, u""_s, 14.6, 60.9, 0, 0, "Arial 10", ""},
    {"QRLabel14", Caption, u"ČSO:"_s, 113.8, 60.9, 0, 0, "", ""},
    {"QRDBText38", Field, u"STREDISKO"_s, 127.0, 60.9, 0, 0, "", ""},
    {"laSIDLO", Value, u""_s, 14.6, 66.1, 0, 0, "", ""},
    {"QRLabel8", Caption, u"Tel:"_s, 113.8, 66.1, 0, 0, "", ""},
    {"laTELEFON", Value, u""_s, 127.0, 66.1, 0, 0, "", ""},
    {"laULICECISLO", Value, u""_s, 14.6, 71.4, 0, 0, "", ""},
    {"QRLabel9", Caption, u"FAX:"_s, 113.8, 71.4, 0, 0, "", ""},
    {"laFAX", Value, u""_s, 127.0, 71.4, 0, 0, "", ""},
    {"laPSC", Value, u""_s, 14.6, 76.7, 0, 0, "", ""},
    {"laPOSTA", Value, u""_s, 30.4, 76.7, 0, 0, "", ""},
    {"QRLabel59", Caption, u"e-mail"_s, 113.8, 76.7, 0, 0, "", ""},
    {"laEmail", Value, u""_s, 127.0, 76.7, 0, 0, "", ""},
    {"QRShape2", HLine, u""_s, 10.6, 82.0, 162.7, 0, "", ""},
    {"QRLabel18", Caption, u"Druh"_s, 13.2, 83.3, 0, 0, "", ""},
    {"QRDBText39", Field, u"DRUH"_s, 27.8, 83.3, 0, 0, "", ""},
    {"QRDBText41", Field, u"NAZ_DRU"_s, 43.7, 83.3, 0, 0, "", ""},
    {"QRLabel15", Caption, u"odrůda"_s, 13.2, 88.6, 0, 0, "", ""},
    {"QRDBText40", Field, u"ODRUDA"_s, 27.8, 88.6, 0, 0, "", ""},
    {"QRDBText42", Field, u"NAZ_ODRU"_s, 43.7, 88.6, 0, 0, "", ""},
    {"QRShape5", HLine, u""_s, 10.6, 93.9, 162.7, 0, "", ""},
    {"QRLabel19", Caption, u"Kategorie a generace"_s, 13.2, 95.8, 0, 0, "", ""},
    {"QRDBText1", Field, u"STUPEN"_s, 104.5, 95.8, 8.2, 4.5, "", ""},
    {"QRLabel32", Caption, u"Rok sklizně"_s, 117.7, 95.8, 0, 0, "", ""},
    {"QRDBText34", Field, u"ROK"_s, 140.2, 95.8, 0, 0, "Arial 10 bold", ""},
    {"QRLabelKat", Value, u""_s, 51.6, 96.3, 0, 0, "Arial 9", ""},
    {"QRShape6", HLine, u""_s, 10.6, 101.9, 162.7, 0, "", ""},
    {"QRShape12", VLine, u""_s, 108.5, 101.9, 0, 27.8, "", ""},
    {"QRLabel20", Caption, u"Číslo uznávacího listu"_s, 13.2, 102.9, 0, 0, "", ""},
    {"QRLabel3", Caption, u"(množitelského porostu nebo osiva)"_s, 51.6, 102.9, 0, 0, "Arial 9", ""},
    {"QRLabel30", Caption, u"Číslo partie"_s, 113.8, 104.2, 0, 0, "", ""},
    {"QRDBText10", Field, u"ROZ_P1"_s, 14.6, 108.5, 30.2, 4.5, "", ""},
    {"QRDBText16", Field, u"ROZ_P5"_s, 45.0, 108.5, 30.2, 4.5, "", ""},
    {"QRDBText20", Field, u"ROZ_P9"_s, 75.4, 108.5, 30.2, 4.5, "", ""},
    {"QRDBText11", Field, u"ROZ_P2"_s, 14.6, 113.8, 30.2, 4.5, "", ""},
    {"QRDBText17", Field, u"ROZ_P6"_s, 45.0, 113.8, 30.2, 4.5, "", ""},
    {"QRDBText21", Field, u"ROZ_P10"_s, 75.4, 113.8, 30.2, 4.5, "", ""},
    {"QRLabelPartie", Value, u""_s, 123.0, 113.8, 0, 0, "Arial 12 bold", ""},
    {"QRDBText12", Field, u"ROZ_P3"_s, 14.6, 119.1, 30.2, 4.5, "", ""},
    {"QRDBText18", Field, u"ROZ_P7"_s, 45.0, 119.1, 30.2, 4.5, "", ""},
    {"QRLabelCZP", Value, u""_s, 113.8, 123.0, 0, 0, "Arial 10 bold", ""},
    {"QRDBText15", Field, u"ROZ_P4"_s, 14.6, 124.4, 30.2, 4.5, "", ""},
    {"QRDBText19", Field, u"ROZ_P8"_s, 45.0, 124.4, 30.2, 4.5, "", ""},
    {"QRShape7", HLine, u""_s, 10.6, 129.6, 163.0, 0, "", ""},
    {"QRLabel21", Caption, u"Množství"_s, 13.2, 131.0, 0, 0, "", ""},
    {"QRLabel22", Caption, u"Druh obalu"_s, 64.8, 131.0, 0, 0, "", ""},
    {"QRLabel23", Caption, u"Počet"_s, 128.3, 131.0, 0, 0, "", ""},
    {"QRDBText22", Field, u"MNOZSTVI"_s, 30.4, 136.3, 0, 0, "", ""},
    {"QRDBText23", Field, u"MJ"_s, 48.9, 136.3, 0, 0, "", ""},
    {"QRDBText24", Field, u"OBALY_TXT"_s, 84.7, 136.3, 0, 0, "", ""},
    {"QRDBText25", Field, u"POCET"_s, 144.2, 136.3, 0, 0, "", ""},
    {"QRLabelBrutto", Caption, u"Brutto"_s, 17.2, 141.3, 0, 0, "", ""},
    {"QRDBText43", Field, u"BRUTTO"_s, 30.4, 141.3, 0, 0, "", ""},
    {"QRDBText44", Field, u"MJ"_s, 48.9, 141.3, 0, 0, "", ""},
    {"QRDBText35", Field, u"OBALY2_TXT"_s, 84.7, 141.3, 0, 0, "", ""},
    {"QRDBText36", Field, u"POCET2"_s, 144.2, 141.3, 0, 0, "", ""},
    {"QRShape8", HLine, u""_s, 10.6, 146.8, 163.0, 0, "", ""},
    {"QRShape13", VLine, u""_s, 108.5, 146.8, 0, 17.2, "", ""},
    {"QRLabel24", Caption, u"Způsob chemického nebo jiného ošetření"_s, 13.2, 148.2, 0, 0, "", ""},
    {"QRLabel28", Caption, u"Přípravek"_s, 113.8, 148.2, 0, 0, "", ""},
    {"QRDBText26", Field, u"MORIDLOTXT"_s, 119.1, 153.5, 0, 0, "", ""},
    {"QRDBText14", Field, u"OSETRENITX"_s, 26.5, 154.8, 0, 0, "", ""},
    {"QRDBText37", Field, u"MORIDLO2TX"_s, 119.1, 158.5, 0, 0, "", ""},
    {"QRShape9", HLine, u""_s, 10.6, 164.0, 163.0, 0, "", ""},
    {"QRLabel25", Caption, u"Typ návěsky"_s, 13.2, 165.4, 0, 0, "", ""},
    {"QRLabel33", Value, kLabelTypeDesignText, 42.3, 165.4, 0, 0, "Arial CE 10 bold", ""},
    {"QRLabel29", Caption, u"Číslo návěsky od - do"_s, 113.8, 165.4, 0, 0, "", ""},
    {"QRDBText45", Field, u"NAV1"_s, 13.2, 170.7, 153.5, 4.5, "", "right"},
    {"QRDBText46", Field, u"NAV2"_s, 13.2, 175.4, 153.5, 4.5, "", "right"},
    {"QRShape10", HLine, u""_s, 10.6, 179.9, 163.0, 0, "", ""},
    {"QRLabel26", Caption, u"Místo odběru vzorku"_s, 13.2, 181.0, 0, 0, "", ""},
    {"QRDBText27", Field, u"MISTOODBER"_s, 21.2, 186.5, 0, 0, "", ""},
    {"QRShape3", Rect, u""_s, 10.6, 194.2, 163.0, 28.0, "", "thick"},
    {"QRLabel17", Caption, u"Další požadavky (zkoušky, které nejsou součástí uznávání)"_s, 13.2, 195.5, 0, 0, "", ""},
    {"QRDBText32", Field, u"POZADAV1"_s, 21.2, 200.3, 0, 0, "", ""},
    {"QRDBText33", Field, u"POZADAV2"_s, 21.2, 205.6, 0, 0, "", ""},
    {"QRLabel38", Caption, u"Souhlasíme s opakováním zkoušek v případě hraničních hodnot -"_s, 13.2, 211.7, 0, 0, "Arial 10", ""},
    {"QRLabelHH", Value, u""_s, 116.4, 211.7, 0, 0, "Arial CE 10 bold", ""},
    {"QRLabel35", Caption, u"Souhlasíme s případným uznáním v nižší kategorii -  "_s, 13.2, 216.2, 0, 0, "Arial 10", ""},
    {"QRLabelNizsi", Value, u""_s, 96.6, 216.2, 0, 0, "Arial CE 10 bold", ""},
    {"QRShape4", Rect, u""_s, 10.6, 223.3, 163.0, 27.5, "", "thick"},
    {"QRLabel16", Caption, u"Úřední záznamy:"_s, 13.2, 224.6, 0, 0, "", ""},
    {"QRDBText2", Field, u"UZ1"_s, 42.3, 229.4, 0, 0, "", ""},
    {"QRDBText3", Field, u"UZ2"_s, 42.3, 233.9, 0, 0, "", ""},
    {"QRLabel31", Caption, u"Odebrán vzorek na VZ -"_s, 13.2, 244.7, 38.6, 4.5, "Arial CE 10", ""},
    {"QRLabelVZ", Value, u""_s, 52.9, 244.7, 0, 0, "Arial CE 10 bold", ""},
    {"QRDBText29", Field, u"DATUM"_s, 158.8, 245.3, 0, 0, "Tahoma 8", "right edge 168.3"},
    {"QRLabel36", Value, u""_s, 101.9, 251.4, 0, 0, "Arial 7", ""},
    {"QRLabel10", Caption, u"Datum vzorkování:"_s, 14.6, 255.9, 0, 0, "Arial CE 10", ""},
    {"QRDBText4", Field, u"DATUMODBER"_s, 45.0, 255.9, 0, 0, "Tahoma 10", ""},
    {"QRLabel11", Caption, u"Razítko a podpis vzorkovatele"_s, 14.6, 275.2, 0, 0, "Arial 9", ""},
    {"QRLabel12", Caption, u"Razítko a podpis žadatele"_s, 121.7, 275.2, 0, 0, "Arial 9", ""},
};
// clang-format on

} // namespace

TTiskFor3::TTiskFor3(TDataSet& request, const QString& iniFile)
    : TRequestLayout(request, iniFile, TLayoutColumn::RequestForm) {
    QuickRep1.Title = QStringLiteral("Žádost o uznání osiva");
    TReportBand& band = QuickRep1.detail(QStringLiteral("QRBand1"), kBandHeight);
    band.Width = kBandWidth;
    addLayoutRows(band, QRBand1Rows, {TReportFont{}.bold(), QuickRep1.DefaultFont});
    QuickRep1.element<TReportDBText>(QStringLiteral("QRDBText36")).onPrint(secondCountHook());
    QuickRep1.element<TReportDBText>(QStringLiteral("QRDBText4"))
        .onPrint(samplingDateHook(kSamplingDateLimit));
    band.BeforePrint = [this](TReportBand&, TBandPrint&) { QRBand1BeforePrint(); };
    FormCreate();
}

void TTiskFor3::QRBand1BeforePrint() {
    applyRequestRules();
}

} // namespace kvor
