#include "print/tiskformS.h"

#include "platform/ProfileFile.h"
#include "print/Barcode.h"
#include "print/LayoutRows.h"
#include "print/RequestLayout.h"
#include "tablestore/DsDataSet.h"

namespace kvor {

namespace {

using namespace Qt::StringLiterals;
using enum TRowContent;

// QRBand1, one label, 102.4 x 147.9 mm, sorted by top edge. Captions Tahoma 8 italic and values
// Tahoma 10 unless the font says otherwise.
// clang-format off
const TLayoutRow QRBand1Rows[] = {
// Element          Content   Text / field                  Left   Top    Width  Height Font              Notes
    {"QRLabel6", Caption, u"Dodavatel"_s, 2.6, 4.0, 0, 0, "", ""},
    {"laNAZEV", Value, u""_s, 25.1, 4.0, 0, 0, "Tahoma 8", ""},
    {"QRImageCK", Picture, u""_s, 90.5, 5.3, 6.6, 54.5, "", ""},
    {"laSIDLO", Value, u""_s, 25.1, 7.9, 0, 0, "Tahoma 8", ""},
    {"laICO", Value, u""_s, 11.1, 11.9, 0, 0, "Tahoma 8", "right edge 18.5"},
    {"laULICECISLO", Value, u""_s, 25.1, 11.9, 0, 0, "Tahoma 8", ""},
    {"QRDBText38", Field, u"STREDISKO"_s, 10.6, 15.9, 7.9, 4.5, "Tahoma 8", "right"},
    {"laPSC", Value, u""_s, 25.1, 15.9, 0, 0, "Tahoma 8", ""},
    {"laPOSTA", Value, u""_s, 41.0, 15.9, 0, 0, "Tahoma 8", ""},
    {"QRLabel30", Caption, u"Číslo partie"_s, 2.6, 23.8, 0, 0, "", ""},
    {"QRLabelPartie", Value, u""_s, 33.1, 23.8, 0, 0, "Tahoma 10 bold", ""},
    {"QRLabel4", Caption, u"CZP"_s, 2.6, 30.4, 0, 0, "", ""},
    {"QRExpr1", Expression, u"CZP ZAHRPARTIE"_s, 33.1, 30.4, 0, 0, "", ""},
    {"QRLabel18", Caption, u"Druh"_s, 2.6, 35.7, 0, 0, "", ""},
    {"QRDBText39", Field, u"DRUH"_s, 17.2, 35.7, 0, 0, "Tahoma 8", ""},
    {"QRDBText41", Field, u"NAZ_DRU"_s, 33.1, 35.7, 0, 0, "", ""},
    {"QRLabel15", Caption, u"odrůda"_s, 2.6, 41.0, 0, 0, "", ""},
    {"QRDBText40", Field, u"ODRUDA"_s, 17.2, 41.0, 0, 0, "Tahoma 8", ""},
    {"QRDBText42", Field, u"NAZ_ODRU"_s, 33.1, 41.0, 0, 0, "", ""},
    {"QRLabel19", Caption, u"Kategorie a generace"_s, 2.6, 46.3, 0, 0, "", ""},
    {"QRDBText1", Field, u"STUPEN"_s, 33.1, 46.3, 6.9, 4.5, "", ""},
    {"QRLabelKat", Value, u""_s, 45.0, 46.3, 45.2, 9.5, "Tahoma 9", "transparent"},
    {"QRLabel32", Caption, u"Rok sklizně"_s, 2.6, 51.6, 0, 0, "", ""},
    {"QRDBText34", Field, u"ROK"_s, 33.1, 51.6, 10.8, 4.5, "", ""},
    {"QRLabel1", Caption, u"Země původu"_s, 2.6, 56.9, 0, 0, "", ""},
    {"QRLabel2", Caption, u"ČR"_s, 33.1, 56.9, 0, 0, "Tahoma 10", ""},
    {"QRLabel21", Caption, u"Hmotnost partie"_s, 2.6, 62.2, 0, 0, "", ""},
    {"QRDBText22", Field, u"MNOZSTVI"_s, 33.1, 62.2, 0, 0, "", ""},
    {"QRDBText23", Field, u"MJ"_s, 51.6, 62.2, 0, 0, "", ""},
    {"JvgQRLabel1", Rotated, u""_s, 93.9, 66.1, 3.4, 70.4, "Tahoma 7", "transparent"},
    {"QRLabel23", Caption, u"Počet obalů"_s, 2.6, 67.5, 0, 0, "", ""},
    {"QRDBText25", Field, u"POCET"_s, 33.1, 67.5, 9.3, 4.5, "", ""},
    {"QRDBText24", Field, u"OBALY_TXT"_s, 45.0, 67.5, 0, 0, "", ""},
    {"QRDBText36", Field, u"POCET2"_s, 33.1, 72.5, 9.3, 4.5, "", ""},
    {"QRDBText35", Field, u"OBALY2_TXT"_s, 45.0, 72.5, 0, 0, "", ""},
    {"QRLabel29", Caption, u"Čísla návěsek"_s, 2.6, 78.1, 0, 0, "", ""},
    {"QRDBText45", Field, u"NAV1"_s, 22.5, 78.1, 0, 0, "Tahoma 9", ""},
    {"QRDBText46", Field, u"NAV2"_s, 22.5, 82.8, 0, 0, "Tahoma 9", ""},
    {"QRLabel26", Caption, u"Místo vzorkování"_s, 2.6, 88.6, 0, 0, "", ""},
    {"QRDBText27", Field, u"MISTOODBER"_s, 33.1, 88.6, 0, 0, "", ""},
    {"QRLabel3", Caption, u"Datum vzorkování"_s, 2.6, 93.9, 0, 0, "", ""},
    {"QRDBText2", Field, u"DATUMODBER"_s, 33.1, 93.9, 0, 0, "", ""},
    {"QRLabel28", Caption, u"Účel vzorkování"_s, 2.6, 99.2, 0, 0, "", ""},
    {"QRLabel13", Value, kPurposeDesignText, 33.1, 99.2, 0, 0, "", ""},
    {"QRDBText4", Field, u"OSETRENITX"_s, 2.6, 105.8, 0, 0, "Tahoma 8 italic", ""},
    {"QRDBText3", Field, u"MORIDLOTXT"_s, 33.1, 105.8, 0, 0, "", ""},
    {"QRLabel11", Caption, u"Razítko a podpis vzorkovatele"_s, 2.6, 117.7, 0, 0, "", ""},
    {"QRLabel12", Caption, u"Razítko a podpis dodavatele"_s, 2.6, 133.1, 0, 0, "", ""},
};
// clang-format on

// Elements whose print hook is not QRLabel6Print ("empty on a blank slot"): their own hooks, or
// none for the two that the band hook handles.
const char* const ownHooks[] = {"QRLabel2", "QRDBText34", "QRDBText36", "QRDBText2", "JvgQRLabel1"};

const struct {
    const char* element;
    const char* key;
} identityRows[] = {
    {"laNAZEV", "Editnazev_Text"}, {"laSIDLO", "Editsidlo_Text"}, {"laULICECISLO", "Editulice_Text"},
    {"laPSC", "EditPSC_Text"},     {"laPOSTA", "Editposta_Text"}, {"laICO", "EditICO_Text"},
};

} // namespace

TTiskForS::TTiskForS(TDataSet& slotTable, const QString& iniFile) : m_slots(slotTable), m_iniFile(iniFile) {
    QuickRep1.Title = u"Štítky na vzorky"_s;
    QuickRep1.DataSet = &m_slots;
    QuickRep1.Page = TPageSetup::a4(5, 0, 0, 0, 2);
    QuickRep1.Page.ColumnWidth = kColumnWidth;
    QuickRep1.DefaultFont = TReportFont{u"Tahoma"_s, 10};
    TReportBand& band = QuickRep1.detail(u"QRBand1"_s, kBandHeight);
    band.Width = kBandWidth;
    addLayoutRows(band, QRBand1Rows, {TReportFont{u"Tahoma"_s, 8}.italic(), QuickRep1.DefaultFont});

    // QRLabel6Print
    const auto QRLabel6Print = [this](TReportText&, QString& value) {
        if (blankSlot()) value.clear();
    };
    for (const auto& element : band.Elements())
        if (auto* text = dynamic_cast<TReportText*>(element.get())) text->onPrint(QRLabel6Print);
    for (const char* name : ownHooks)
        QuickRep1.element<TReportText>(QString::fromLatin1(name)).onPrint({});
    // QRLabel2Print and QRDBText34Print: an import has no Czech origin and no harvest year here.
    const auto notForImport = [this](TReportText&, QString& value) {
        if (blankSlot() || text("ZADOST_O") == u"D") value.clear();
    };
    QuickRep1.element<TReportText>(u"QRLabel2"_s).onPrint(notForImport);
    QuickRep1.element<TReportText>(u"QRDBText34"_s).onPrint(notForImport);
    // QRDBText36Print and QRDBText2Print. A blank slot empties them too: a copy of a request
    // without a lot number looks blank everywhere else, and its count or date alone on the label
    // would spoil the sheet that is fed again.
    QuickRep1.element<TReportText>(u"QRDBText36"_s).onPrint([this](TReportText&, QString& value) {
        if (blankSlot() || !roundsToNonZero(m_slots.FieldByName(u"POCET2"_s)->AsFloat())) value.clear();
    });
    QuickRep1.element<TReportText>(u"QRDBText2"_s).onPrint([this](TReportText&, QString& value) {
        TField* date = m_slots.FieldByName(u"DATUMODBER"_s);
        if (blankSlot() ||
            !samplingDatePrints(date->IsNull() ? QDate() : date->AsDateTime().date(), kSamplingDateLimit))
            value.clear();
    });
    band.BeforePrint = [this](TReportBand&, TBandPrint&) { QRBand1BeforePrint(); };
    FormCreate();
}

void TTiskForS::FormCreate() {
    const TIniFile ini(m_iniFile);
    for (const auto& row : identityRows)
        QuickRep1.element<TReportLabel>(QString::fromLatin1(row.element)).Caption =
            ini.ReadString(u"TFmozno"_s, QString::fromLatin1(row.key), {});
}

QString TTiskForS::text(const char* field) const {
    return m_slots.FieldByName(QString::fromLatin1(field))->AsString();
}

bool TTiskForS::blankSlot() const {
    return text("PARTIECELA").isEmpty();
}

void TTiskForS::QRBand1BeforePrint() {
    const auto label = [this](const char* name) -> TReportLabel& {
        return QuickRep1.element<TReportLabel>(QString::fromLatin1(name));
    };
    label("QRLabelPartie").Caption = printedLotNumber(text("PARTIECELA"));
    label("QRLabel13").Caption = purposeText(text("ZADOST_O"), TLayoutColumn::LabelSheet);
    label("QRLabelKat").Caption.clear();
    label("QRLabelKat").Caption = categoryText(text("STUPEN"), TLayoutColumn::LabelSheet);
    // The label's own form of the lot origin: a filled ZAHRPARTIE wins over CZP.
    label("QRLabel4").Caption = u"CZP"_s;
    if (!text("CZP").isEmpty()) label("QRLabel4").Caption = u"CZE"_s;
    if (!text("ZAHRPARTIE").isEmpty()) label("QRLabel4").Caption = u"Zahr.partie"_s;
    label("JvgQRLabel1").Caption = makersCreditLine();
    TReportImage& barcode = QuickRep1.element<TReportImage>(u"QRImageCK"_s);
    if (!blankSlot()) {
        barcode.Enabled = true;
        MakeBarcodePicture(text("id_trivan"), barcode.Picture, 25, false, u"V"_s);
    } else {
        label("JvgQRLabel1").Caption.clear();
        barcode.Enabled = false;
    }
}

} // namespace kvor
