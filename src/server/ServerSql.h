#pragma once
// The statements the client sends to the vendor database, built as lists of text lines.
// Each statement below is a table of its text lines, one line of SQL per entry, in the order in
// which they are sent; values follow the rules of SqlText.h.
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <array>

namespace kvor {

class TDataSet;

// Who is sending: the company identity of this workstation as the main window holds it.
struct TWorkstation {
    QString Ico;          // company ICO
    QString Name;         // company name
    QString Stredisko;    // centre code (ČSO)
    QString ComputerUser; // logged-on user
    QString ComputerName; // the computer's network name
};

// The two companies of an export: the sender and the partner office that the print job chose.
struct TExportParties {
    QString CompanyIco;
    QString CompanyName;
    QString PartnerIco;
};

enum class TValueRule {
    Text,    // 'text' (quotes and backslashes doubled)
    Decimal, // written after the "0" that ends the line text: 12,5 gives 012.5, empty gives 0
    Count,   // the number's text as a text value
    Date,    // 'yyyy-m-d'
};

// One assignment line: its text, then the value of the request field of the same name, then ","
// (none after the last line).
struct TAssignmentLine {
    const char* Text;
    const char* Field;
    TValueRule Rule;
};

// The fifty assignment lines shared by kvor_zadost (submission) and ex_zadost (export).
inline constexpr std::array<TAssignmentLine, 50> kRequestAssignments{{
    {" STREDISKO = ", "STREDISKO", TValueRule::Text},
    {" ROK = ", "ROK", TValueRule::Text},
    {" PODNIK = ", "PODNIK", TValueRule::Text},
    {" PRIHLASKA = ", "PRIHLASKA", TValueRule::Text},
    {" DIL = ", "DIL", TValueRule::Text},
    {" PARTIE = ", "PARTIE", TValueRule::Text},
    {" PARTIECELA = ", "PARTIECELA", TValueRule::Text},
    {" ZADOST_O = ", "ZADOST_O", TValueRule::Text},
    {" POOT = ", "POOT", TValueRule::Text},
    {" ODRUDA = ", "ODRUDA", TValueRule::Text},
    {" DRUH = ", "DRUH", TValueRule::Text},
    {" NAZ_DRU = ", "NAZ_DRU", TValueRule::Text},
    {" NAZ_ODRU = ", "NAZ_ODRU", TValueRule::Text},
    {" STUPEN = ", "STUPEN", TValueRule::Text},
    {" CZP = ", "CZP", TValueRule::Text},
    {" ZAHRPARTIE = ", "ZAHRPARTIE", TValueRule::Text},
    {" ROZ_P1 = ", "ROZ_P1", TValueRule::Text},
    {" ROZ_P2 = ", "ROZ_P2", TValueRule::Text},
    {" ROZ_P3 = ", "ROZ_P3", TValueRule::Text},
    {" ROZ_P4 = ", "ROZ_P4", TValueRule::Text},
    {" ROZ_P5 = ", "ROZ_P5", TValueRule::Text},
    {" ROZ_P6 = ", "ROZ_P6", TValueRule::Text},
    {" ROZ_P7 = ", "ROZ_P7", TValueRule::Text},
    {" ROZ_P8 = ", "ROZ_P8", TValueRule::Text},
    {" ROZ_P9 = ", "ROZ_P9", TValueRule::Text},
    {" ROZ_P10 = ", "ROZ_P10", TValueRule::Text},
    {" MNOZSTVI = 0", "MNOZSTVI", TValueRule::Decimal},
    {" BRUTTO = 0", "BRUTTO", TValueRule::Decimal},
    {" MJ = ", "MJ", TValueRule::Text},
    {" OBALY_TXT = ", "OBALY_TXT", TValueRule::Text},
    {" POCET = ", "POCET", TValueRule::Count},
    {" OBALY2_TXT = ", "OBALY2_TXT", TValueRule::Text},
    {" POCET2 = ", "POCET2", TValueRule::Count},
    {" NAV1 = ", "NAV1", TValueRule::Text},
    {" NAV2 = ", "NAV2", TValueRule::Text},
    {" TYP_NA = ", "TYP_NA", TValueRule::Text},
    {" OSETRENITX = ", "OSETRENITX", TValueRule::Text},
    {" MORIDLOTXT = ", "MORIDLOTXT", TValueRule::Text},
    {" MISTOODBER = ", "MISTOODBER", TValueRule::Text},
    {" DATUMODBER = ", "DATUMODBER", TValueRule::Date},
    {" DATUM = ", "DATUM", TValueRule::Date},
    {" POZADAV1 = ", "POZADAV1", TValueRule::Text},
    {" POZADAV2 = ", "POZADAV2", TValueRule::Text},
    {" UZ1 = ", "UZ1", TValueRule::Text},
    {" UZ2 = ", "UZ2", TValueRule::Text},
    {" UZNA_NIZSI = ", "UZNA_NIZSI", TValueRule::Text},
    {" VEGET = ", "VEGET", TValueRule::Text},
    {" OPAKHH = ", "OPAKHH", TValueRule::Text},
    {" DPODNIK = ", "DPODNIK", TValueRule::Text},
    {" id_trivan = ", "id_trivan", TValueRule::Text},
}};

// The five history windows; they differ in company filter, ULČ filter and order.
enum class THistoryVariant { TFhisto1, TFhisto1c, TFhisto2, TFhisto2c, TFhisto3 };

namespace sql {

// Session set-up, sent before every server operation: as single statements on the query...
inline const QString kSetSqlMode = QStringLiteral("set @@session.sql_mode=\"\"");
inline const QString kSetNames = QStringLiteral("SET names cp1250;");
// ...and as the lines 1 to 3 of every script.
QStringList scriptStart();

// The fifty assignment lines for the current record of a request dataset.
QStringList requestAssignments(const TDataSet& request);

// Submission of the current request into kvor_zadost (delete the earlier row of the same key,
// insert, form id_trivan from the new id), and the read-back of what the script left behind.
QStringList submissionScript(const TDataSet& request, const QString& companyIco, int idFirma);
inline const QString kSubmissionReadBack = QStringLiteral("select @poslID as id, @idTrivan as id_trivan");

// Export of one queued row into ex_zadost and its row in historie (without the script's start
// and end lines). now is the local time of sending.
QStringList exportRow(const TDataSet& row, const TExportParties& parties, const QDateTime& now);
inline const QString kCommit = QStringLiteral("commit;");

// Company lookup and usage log.
QStringList firmaLookup(const TWorkstation& ws);
QStringList usageLog(const TWorkstation& ws, int idFirma);

// Code list refresh.
inline const QString kOdrudaStatus = QStringLiteral("SHOW TABLE STATUS LIKE \"odruda\"");
inline const QString kVarietyQuery =
    QStringLiteral("select o.nazev as naz_odru,d.nazev as naz_dru,o.kod as odruda,d.KOD as druh,"
                   "concat(d.NAZEV,\" \",o.NAZEV) as nazevosiva from odruda o, druh d where o.DRUH=d.KOD");
inline const QString kAddressQuery = QStringLiteral("select * from zadostadre order by adresa");

// The listing of a history window. selectedYear is the year box's text when an item other than
// the first ("Vše") is selected, otherwise empty (no year filter).
QStringList historyListing(THistoryVariant variant, int idFirma, const QString& companyIco,
                           const QString& selectedYear);

// The laboratory result document (type 19) of a ULČ: how many there are, and its bytes.
QStringList documentCount(const QString& companyIco, const QString& ulc);
QStringList documentFetch(const QString& companyIco, const QString& ulc);

} // namespace sql
} // namespace kvor
