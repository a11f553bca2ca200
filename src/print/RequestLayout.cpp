#include "print/RequestLayout.h"

#include "platform/ProfileFile.h"
#include "platform/SystemInfo.h"
#include "print/Barcode.h"
#include "tablestore/DsDataSet.h"

namespace kvor {

namespace {

// Element and the key of section "TFmozno" it prints.
struct IdentityRow {
    const char* element;
    const char* key;
};

const IdentityRow identityRows[] = {
    {"laNAZEV", "Editnazev_Text"},     {"laSIDLO", "Editsidlo_Text"}, {"laULICECISLO", "Editulice_Text"},
    {"laPSC", "EditPSC_Text"},         {"laPOSTA", "Editposta_Text"}, {"laICO", "EditICO_Text"},
    {"laTELEFON", "EditTelefon_Text"}, {"laFAX", "EditFax_Text"},     {"laEmail", "EditEmail_Text"},
};

} // namespace

QString makersCreditLine() {
    return QStringLiteral("Kvor Pro %1").arg(sys::programVersion());
}

TRequestLayout::TRequestLayout(TDataSet& request, QString iniFile, TLayoutColumn column)
    : m_request(request), m_iniFile(std::move(iniFile)), m_column(column) {
    QuickRep1.DataSet = &m_request;
    QuickRep1.Page = TPageSetup::a4(10, 10, 0, 0);
    QuickRep1.DefaultFont = TReportFont{QStringLiteral("Arial CE"), 10};
}

TRequestLayout::~TRequestLayout() = default;

void TRequestLayout::FormCreate() {
    const TIniFile ini(m_iniFile);
    for (const IdentityRow& row : identityRows) {
        auto* label = dynamic_cast<TReportLabel*>(QuickRep1.find(QString::fromLatin1(row.element)));
        if (label)
            label->Caption = ini.ReadString(QStringLiteral("TFmozno"), QString::fromLatin1(row.key), {});
    }
    QuickRep1.element<TReportLabel>(QStringLiteral("QRLabel36")).Caption = makersCreditLine();
}

QString TRequestLayout::text(const char* field) const {
    return m_request.FieldByName(QString::fromLatin1(field))->AsString();
}

double TRequestLayout::number(const char* field) const {
    return m_request.FieldByName(QString::fromLatin1(field))->AsFloat();
}

QDate TRequestLayout::date(const char* field) const {
    TField* f = m_request.FieldByName(QString::fromLatin1(field));
    return f->IsNull() ? QDate() : f->AsDateTime().date();
}

TReportText::PrintHook TRequestLayout::samplingDateHook(QDate limit) const {
    return [this, limit](TReportText&, QString& value) {
        if (!samplingDatePrints(date("DATUMODBER"), limit)) value.clear();
    };
}

TReportText::PrintHook TRequestLayout::secondCountHook() const {
    return [this](TReportText&, QString& value) {
        if (!roundsToNonZero(number("POCET2"))) value.clear();
    };
}

void TRequestLayout::applyRequestRules() {
    const auto label = [this](const char* name) -> TReportLabel& {
        return QuickRep1.element<TReportLabel>(QString::fromLatin1(name));
    };
    label("QRLabelPartie").Caption = printedLotNumber(text("PARTIECELA"));
    label("QRLabel13").Caption = purposeText(text("ZADOST_O"), m_column);
    label("QRLabelKat").Caption.clear();
    label("QRLabelKat").Caption = categoryText(text("STUPEN"), m_column);
    label("QRLabelUKZUZ").Caption = text("POOT");
    label("QRLabelUKZUZ").Font.Size = 9;
    label("QRLabel33").Caption = labelTypeText(text("TYP_NA"));
    if (m_column == TLayoutColumn::RequestForm) {
        label("QRLabelVZ").Caption = yesNoText(text("VEGET"));
        label("QRLabelNizsi").Caption = yesNoText(text("UZNA_NIZSI"));
        label("QRLabelHH").Caption = yesNoText(text("OPAKHH"));
    }
    label("QRLabelCZP").Caption = lotOriginLine(text("CZP"), text("ZAHRPARTIE"));
    const bool brutto = roundsToNonZero(number("BRUTTO"));
    for (const char* name : {"QRLabelBrutto", "QRDBText43", "QRDBText44"})
        QuickRep1.find(QString::fromLatin1(name))->Enabled = brutto;
    TReportImage& barcode = QuickRep1.element<TReportImage>(QStringLiteral("QRImageCK"));
    MakeBarcodePicture(text("id_trivan"), barcode.Picture, 30, false, QString());
}

} // namespace kvor
