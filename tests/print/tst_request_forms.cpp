// The two request forms as the printer gets them: kvor-print writes the PDF of a program folder,
// pdftotext -bbox reads back where every caption and value stands, zbarimg decodes the barcode.
// The value rules are checked on the rendered pages of both forms and the label sheet's column.
#include "PrintFolder.h"
#include "print/PrintJob.h"
#include "print/tiskform3.h"
#include "print/tiskformBram2.h"
#include "report/ReportRender.h"

using namespace kvor;
using namespace kvor::testing;
using namespace Qt::StringLiterals;

namespace {

// Where the element tables put each text (band origin and left margin of 10 mm added; the
// bands start at the top of their page). Anchor 'L': the text's left edge at Left; 'R': its
// right edge at Left.
struct Expected {
    const char* form; // "3" the request form, "B" the seed potato request form
    int page;
    const char* element;
    QString text;
    double left;
    double top;
    double points;
    char anchor;
};

// clang-format off
const Expected expectedTexts[] = {
    {"3", 0, "QRLabel1", u"ev.číslo"_s, 20.6, 5.3, 8, 'L'},
    {"3", 0, "QRLabel2", u"Datum přijetí vzorku"_s, 69.5, 5.3, 8, 'L'},
    {"3", 0, "QRLabel4", u"Žádost o uznání osiva"_s, 24.6, 14.6, 18, 'L'},
    {"3", 0, "QRLabel5", u"podle § 6 odst. 1 Zákona č. 219/2003 sb., o oběhu osiva a sadby, ve znění pozdějších předpisů"_s, 24.6, 26.5, 10, 'L'},
    {"3", 0, "QRLabel13", u"uznání po úpravě osiva"_s, 24.6, 35.7, 12, 'L'},
    {"3", 0, "QRLabel27", u"Uznávací řízení provede:"_s, 23.2, 45.0, 10, 'L'},
    {"3", 0, "QRLabelUKZUZ", u"ÚKZÚZ Brno"_s, 69.5, 45.0, 9, 'L'},
    {"3", 0, "QRLabel6", u"Označení a adresa dodavatele:"_s, 23.2, 55.6, 10, 'L'},
    {"3", 0, "QRLabel7", u"IČO:"_s, 123.8, 55.6, 10, 'L'},
    {"3", 0, "laICO", u"12345678"_s, 137.0, 55.6, 10, 'L'},
    {"3", 0, "laNAZEV", u"Osiva Haná s.r.o."_s, 24.6, 60.9, 10, 'L'},
    {"3", 0, "QRLabel14", u"ČSO:"_s, 123.8, 60.9, 10, 'L'},
    {"3", 0, "QRDBText38", u"101"_s, 137.0, 60.9, 10, 'L'},
    {"3", 0, "laSIDLO", u"Kroměříž"_s, 24.6, 66.1, 10, 'L'},
    {"3", 0, "QRLabel8", u"Tel:"_s, 123.8, 66.1, 10, 'L'},
    {"3", 0, "laTELEFON", u"573 123 456"_s, 137.0, 66.1, 10, 'L'},
    {"3", 0, "laULICECISLO", u"Hulínská 12"_s, 24.6, 71.4, 10, 'L'},
    {"3", 0, "QRLabel9", u"FAX:"_s, 123.8, 71.4, 10, 'L'},
    {"3", 0, "laFAX", u"573 123 457"_s, 137.0, 71.4, 10, 'L'},
    {"3", 0, "laPSC", u"767 01"_s, 24.6, 76.7, 10, 'L'},
    {"3", 0, "laPOSTA", u"Kroměříž 1"_s, 40.4, 76.7, 10, 'L'},
    {"3", 0, "QRLabel59", u"e-mail"_s, 123.8, 76.7, 10, 'L'},
    {"3", 0, "laEmail", u"osiva@example.cz"_s, 137.0, 76.7, 10, 'L'},
    {"3", 0, "QRLabel18", u"Druh"_s, 23.2, 83.3, 10, 'L'},
    {"3", 0, "QRDBText39", u"20"_s, 37.8, 83.3, 10, 'L'},
    {"3", 0, "QRDBText41", u"Pšenice ozimá"_s, 53.7, 83.3, 10, 'L'},
    {"3", 0, "QRLabel15", u"odrůda"_s, 23.2, 88.6, 10, 'L'},
    {"3", 0, "QRDBText40", u"4711"_s, 37.8, 88.6, 10, 'L'},
    {"3", 0, "QRDBText42", u"Bohemia"_s, 53.7, 88.6, 10, 'L'},
    {"3", 0, "QRLabel19", u"Kategorie a generace"_s, 23.2, 95.8, 10, 'L'},
    {"3", 0, "QRDBText1", u"SE2"_s, 114.5, 95.8, 10, 'L'},
    {"3", 0, "QRLabel32", u"Rok sklizně"_s, 127.7, 95.8, 10, 'L'},
    {"3", 0, "QRDBText34", u"2012"_s, 150.2, 95.8, 10, 'L'},
    {"3", 0, "QRLabelKat", u"Rozmnožovací materiál předstupňů"_s, 61.6, 96.3, 9, 'L'},
    {"3", 0, "QRLabel20", u"Číslo uznávacího listu"_s, 23.2, 102.9, 10, 'L'},
    {"3", 0, "QRLabel3", u"(množitelského porostu nebo osiva)"_s, 61.6, 102.9, 9, 'L'},
    {"3", 0, "QRLabel30", u"Číslo partie"_s, 123.8, 104.2, 10, 'L'},
    {"3", 0, "QRDBText10", u"P1-0001"_s, 24.6, 108.5, 10, 'L'},
    {"3", 0, "QRDBText16", u"P5-0005"_s, 55.0, 108.5, 10, 'L'},
    {"3", 0, "QRDBText20", u"P9-0009"_s, 85.4, 108.5, 10, 'L'},
    {"3", 0, "QRDBText11", u"P2-0002"_s, 24.6, 113.8, 10, 'L'},
    {"3", 0, "QRDBText17", u"P6-0006"_s, 55.0, 113.8, 10, 'L'},
    {"3", 0, "QRDBText21", u"P10-0010"_s, 85.4, 113.8, 10, 'L'},
    {"3", 0, "QRLabelPartie", u"2-0815-00042/01"_s, 133.0, 113.8, 12, 'L'},
    {"3", 0, "QRDBText12", u"P3-0003"_s, 24.6, 119.1, 10, 'L'},
    {"3", 0, "QRDBText18", u"P7-0007"_s, 55.0, 119.1, 10, 'L'},
    {"3", 0, "QRLabelCZP", u"CZE  123456"_s, 123.8, 123.0, 10, 'L'},
    {"3", 0, "QRDBText15", u"P4-0004"_s, 24.6, 124.4, 10, 'L'},
    {"3", 0, "QRDBText19", u"P8-0008"_s, 55.0, 124.4, 10, 'L'},
    {"3", 0, "QRLabel21", u"Množství"_s, 23.2, 131.0, 10, 'L'},
    {"3", 0, "QRLabel22", u"Druh obalu"_s, 74.8, 131.0, 10, 'L'},
    {"3", 0, "QRLabel23", u"Počet"_s, 138.3, 131.0, 10, 'L'},
    {"3", 0, "QRDBText22", u"1250,5"_s, 40.4, 136.3, 10, 'L'},
    {"3", 0, "QRDBText23", u"kg"_s, 58.9, 136.3, 10, 'L'},
    {"3", 0, "QRDBText24", u"pytle jutové"_s, 94.7, 136.3, 10, 'L'},
    {"3", 0, "QRDBText25", u"50"_s, 154.2, 136.3, 10, 'L'},
    {"3", 0, "QRLabelBrutto", u"Brutto"_s, 27.2, 141.3, 10, 'L'},
    {"3", 0, "QRDBText43", u"1260"_s, 40.4, 141.3, 10, 'L'},
    {"3", 0, "QRDBText44", u"kg"_s, 58.9, 141.3, 10, 'L'},
    {"3", 0, "QRDBText35", u"big-bag"_s, 94.7, 141.3, 10, 'L'},
    {"3", 0, "QRDBText36", u"2"_s, 154.2, 141.3, 10, 'L'},
    {"3", 0, "QRLabel24", u"Způsob chemického nebo jiného ošetření"_s, 23.2, 148.2, 10, 'L'},
    {"3", 0, "QRLabel28", u"Přípravek"_s, 123.8, 148.2, 10, 'L'},
    {"3", 0, "QRDBText26", u"Celest Trio"_s, 129.1, 153.5, 10, 'L'},
    {"3", 0, "QRDBText14", u"mořeno"_s, 36.5, 154.8, 10, 'L'},
    {"3", 0, "QRDBText37", u"Vitavax 200"_s, 129.1, 158.5, 10, 'L'},
    {"3", 0, "QRLabel25", u"Typ návěsky"_s, 23.2, 165.4, 10, 'L'},
    {"3", 0, "QRLabel33", u"ISTA"_s, 52.3, 165.4, 10, 'L'},
    {"3", 0, "QRLabel29", u"Číslo návěsky od - do"_s, 123.8, 165.4, 10, 'L'},
    {"3", 0, "QRDBText45", u"CZ 123 od 1 do 50"_s, 176.7, 170.7, 10, 'R'},
    {"3", 0, "QRDBText46", u"CZ 124 od 51 do 60"_s, 176.7, 175.4, 10, 'R'},
    {"3", 0, "QRLabel26", u"Místo odběru vzorku"_s, 23.2, 181.0, 10, 'L'},
    {"3", 0, "QRDBText27", u"Sklad Kroměříž"_s, 31.2, 186.5, 10, 'L'},
    {"3", 0, "QRLabel17", u"Další požadavky (zkoušky, které nejsou součástí uznávání)"_s, 23.2, 195.5, 10, 'L'},
    {"3", 0, "QRDBText32", u"zkouška zdravotního stavu"_s, 31.2, 200.3, 10, 'L'},
    {"3", 0, "QRDBText33", u"hmotnost tisíce semen"_s, 31.2, 205.6, 10, 'L'},
    {"3", 0, "QRLabel38", u"Souhlasíme s opakováním zkoušek v případě hraničních hodnot -"_s, 23.2, 211.7, 10, 'L'},
    {"3", 0, "QRLabelHH", u"ano"_s, 126.4, 211.7, 10, 'L'},
    {"3", 0, "QRLabel35", u"Souhlasíme s případným uznáním v nižší kategorii -  "_s, 23.2, 216.2, 10, 'L'},
    {"3", 0, "QRLabelNizsi", u"ne"_s, 106.6, 216.2, 10, 'L'},
    {"3", 0, "QRLabel16", u"Úřední záznamy:"_s, 23.2, 224.6, 10, 'L'},
    {"3", 0, "QRDBText2", u"záznam první"_s, 52.3, 229.4, 10, 'L'},
    {"3", 0, "QRDBText3", u"záznam druhý"_s, 52.3, 233.9, 10, 'L'},
    {"3", 0, "QRLabel31", u"Odebrán vzorek na VZ -"_s, 23.2, 244.7, 10, 'L'},
    {"3", 0, "QRLabelVZ", u"ano"_s, 62.9, 244.7, 10, 'L'},
    {"3", 0, "QRDBText29", u"15.3.2012"_s, 178.3, 245.3, 8, 'R'},
    {"3", 0, "QRLabel36", u"Kvor Pro"_s, 111.9, 251.4, 7, 'L'},
    {"3", 0, "QRLabel10", u"Datum vzorkování:"_s, 24.6, 255.9, 10, 'L'},
    {"3", 0, "QRLabel11", u"Razítko a podpis vzorkovatele"_s, 24.6, 275.2, 9, 'L'},
    {"3", 0, "QRLabel12", u"Razítko a podpis žadatele"_s, 131.7, 275.2, 9, 'L'},
    {"B", 0, "QRLabel1", u"ev.číslo"_s, 20.6, 4.0, 7, 'L'},
    {"B", 0, "QRLabel2", u"Datum přijetí vzorku"_s, 69.5, 4.0, 7, 'L'},
    {"B", 0, "QRLabel4", u"Žádost o uznání sadby brambor"_s, 24.6, 11.9, 14, 'L'},
    {"B", 0, "QRLabel5", u"podle § 6 odst. 1 Zákona č. 219/2003 sb., o oběhu osiva a sadby, ve znění pozdějších předpisů"_s, 24.6, 18.5, 10, 'L'},
    {"B", 0, "QRLabel13", u"uznání po úpravě osiva"_s, 24.6, 26.5, 12, 'L'},
    {"B", 0, "QRLabel27", u"Uznávací řízení provede:"_s, 23.2, 34.4, 10, 'L'},
    {"B", 0, "QRLabelUKZUZ", u"ÚKZÚZ Brno"_s, 68.2, 34.4, 9, 'L'},
    {"B", 0, "QRLabel6", u"Označení a adresa dodavatele:"_s, 23.2, 45.0, 10, 'L'},
    {"B", 0, "QRLabel7", u"IČO:"_s, 123.8, 45.0, 10, 'L'},
    {"B", 0, "laICO", u"12345678"_s, 137.0, 45.0, 10, 'L'},
    {"B", 0, "laNAZEV", u"Osiva Haná s.r.o."_s, 24.6, 50.3, 10, 'L'},
    {"B", 0, "QRLabel14", u"ČSO:"_s, 123.8, 50.3, 10, 'L'},
    {"B", 0, "QRDBText38", u"101"_s, 137.0, 50.3, 10, 'L'},
    {"B", 0, "laSIDLO", u"Kroměříž"_s, 24.6, 54.8, 10, 'L'},
    {"B", 0, "QRLabel8", u"Tel:"_s, 123.8, 55.6, 10, 'L'},
    {"B", 0, "laTELEFON", u"573 123 456"_s, 137.0, 55.6, 10, 'L'},
    {"B", 0, "laULICECISLO", u"Hulínská 12"_s, 24.6, 59.3, 10, 'L'},
    {"B", 0, "QRLabel9", u"FAX:"_s, 123.8, 60.9, 10, 'L'},
    {"B", 0, "laFAX", u"573 123 457"_s, 137.0, 60.9, 10, 'L'},
    {"B", 0, "laPSC", u"767 01"_s, 24.6, 63.8, 10, 'L'},
    {"B", 0, "laPOSTA", u"Kroměříž 1"_s, 40.4, 63.8, 10, 'L'},
    {"B", 0, "QRLabel18", u"Druh"_s, 23.2, 70.1, 10, 'L'},
    {"B", 0, "QRDBText39", u"84"_s, 37.8, 70.1, 10, 'L'},
    {"B", 0, "QRDBText41", u"Pšenice ozimá"_s, 53.7, 70.1, 10, 'L'},
    {"B", 0, "QRLabel15", u"odrůda"_s, 23.2, 75.4, 10, 'L'},
    {"B", 0, "QRDBText40", u"4711"_s, 37.8, 75.4, 10, 'L'},
    {"B", 0, "QRDBText42", u"Bohemia"_s, 53.7, 75.4, 10, 'L'},
    {"B", 0, "QRLabel19", u"Kategorie a generace"_s, 23.2, 82.5, 10, 'L'},
    {"B", 0, "QRDBText1", u"SE2"_s, 114.5, 82.5, 10, 'L'},
    {"B", 0, "QRLabel32", u"Rok sklizně"_s, 127.7, 82.5, 10, 'L'},
    {"B", 0, "QRDBText34", u"2012"_s, 150.2, 82.5, 10, 'L'},
    {"B", 0, "QRLabelKat", u"Základní rozmnožovací materiál"_s, 61.6, 83.1, 9, 'L'},
    {"B", 0, "QRLabel20", u"Číslo uznávacího listu"_s, 23.2, 89.7, 10, 'L'},
    {"B", 0, "QRLabel3", u"(množitelského porostu nebo osiva)"_s, 61.6, 90.0, 9, 'L'},
    {"B", 0, "QRLabel30", u"Číslo partie"_s, 123.8, 91.0, 10, 'L'},
    {"B", 0, "QRDBText10", u"P1-0001"_s, 24.6, 95.2, 10, 'L'},
    {"B", 0, "QRDBText16", u"P5-0005"_s, 55.0, 95.2, 10, 'L'},
    {"B", 0, "QRDBText20", u"P9-0009"_s, 85.4, 95.2, 10, 'L'},
    {"B", 0, "QRDBText11", u"P2-0002"_s, 24.6, 99.7, 10, 'L'},
    {"B", 0, "QRDBText17", u"P6-0006"_s, 55.0, 99.7, 10, 'L'},
    {"B", 0, "QRDBText21", u"P10-0010"_s, 85.4, 99.7, 10, 'L'},
    {"B", 0, "QRLabelPartie", u"2-0815-00042/01"_s, 133.0, 100.5, 12, 'L'},
    {"B", 0, "QRDBText12", u"P3-0003"_s, 24.6, 104.2, 10, 'L'},
    {"B", 0, "QRDBText18", u"P7-0007"_s, 55.0, 104.2, 10, 'L'},
    {"B", 0, "QRLabelCZP", u"CZE  123456"_s, 123.8, 108.5, 10, 'L'},
    {"B", 0, "QRDBText15", u"P4-0004"_s, 24.6, 108.7, 10, 'L'},
    {"B", 0, "QRDBText19", u"P8-0008"_s, 55.0, 108.7, 10, 'L'},
    {"B", 0, "QRLabel21", u"Množství"_s, 23.2, 115.1, 10, 'L'},
    {"B", 0, "QRLabel22", u"Druh obalu"_s, 74.8, 115.1, 10, 'L'},
    {"B", 0, "QRLabel23", u"Počet"_s, 144.9, 115.1, 10, 'L'},
    {"B", 0, "QRDBText22", u"1250,5"_s, 44.4, 115.6, 10, 'L'},
    {"B", 0, "QRDBText23", u"kg"_s, 62.9, 115.6, 10, 'L'},
    {"B", 0, "QRDBText24", u"pytle jutové"_s, 96.0, 115.6, 10, 'L'},
    {"B", 0, "QRDBText25", u"50"_s, 158.2, 115.6, 10, 'L'},
    {"B", 0, "QRLabelBrutto", u"Brutto"_s, 27.2, 120.1, 10, 'L'},
    {"B", 0, "QRDBText43", u"1260"_s, 44.4, 120.7, 10, 'L'},
    {"B", 0, "QRDBText44", u"kg"_s, 62.9, 120.7, 10, 'L'},
    {"B", 0, "QRDBText35", u"big-bag"_s, 96.0, 120.7, 10, 'L'},
    {"B", 0, "QRDBText36", u"2"_s, 158.2, 120.7, 10, 'L'},
    {"B", 0, "QRLabel25", u"Typ návěsky"_s, 23.2, 127.0, 10, 'L'},
    {"B", 0, "QRLabel29", u"Číslo návěsky od - do"_s, 123.8, 127.0, 10, 'L'},
    {"B", 0, "QRLabel33", u"ISTA"_s, 52.3, 127.5, 10, 'L'},
    {"B", 0, "QRDBText45", u"CZ 123 od 1 do 50"_s, 176.7, 132.3, 10, 'R'},
    {"B", 0, "QRDBText46", u"CZ 124 od 51 do 60"_s, 176.7, 137.1, 10, 'R'},
    {"B", 0, "QRLabel26", u"Místo odběru vzorku"_s, 23.2, 143.9, 10, 'L'},
    {"B", 0, "QRDBText27", u"Sklad Kroměříž"_s, 58.9, 143.9, 10, 'L'},
    {"B", 0, "QRDBText29", u"15.3.2012"_s, 178.3, 143.9, 8, 'R'},
    {"B", 0, "QRLabel36", u"Kvor Pro"_s, 111.9, 150.8, 7, 'L'},
    {"B", 0, "QRLabel10", u"Datum vzorkování:"_s, 24.6, 151.3, 10, 'L'},
    {"B", 0, "QRLabel11", u"Razítko a podpis vzorkovatele"_s, 24.6, 166.7, 9, 'L'},
    {"B", 0, "QRLabel12", u"Razítko a podpis žadatele"_s, 131.7, 166.7, 9, 'L'},
    {"B", 1, "QRLabel34", u"Výsledek mechanického rozboru sadby brambor"_s, 53.4, 13.2, 12, 'L'},
    {"B", 1, "QRLabel71", u"Odrůda"_s, 21.9, 24.3, 10, 'L'},
    {"B", 1, "QRLabel72", u"Kategorie a generace"_s, 105.2, 24.3, 10, 'L'},
    {"B", 1, "QRDBText13", u"Bohemia"_s, 49.7, 25.7, 10, 'L'},
    {"B", 1, "QRDBText49", u"SE2"_s, 176.7, 28.3, 10, 'L'},
    {"B", 1, "QRLabelKat2", u"Základní rozmnožovací materiál"_s, 174.8, 28.8, 9, 'R'},
    {"B", 1, "QRLabel74", u"Číslo partie"_s, 21.9, 35.7, 10, 'L'},
    {"B", 1, "QRLabel76", u"Hmotnost partie v t"_s, 105.2, 35.7, 10, 'L'},
    {"B", 1, "QRLabelPartie2", u"2-0815-00042/01"_s, 49.7, 36.8, 12, 'L'},
    {"B", 1, "QRDBText50", u"1250,5"_s, 146.3, 37.6, 10, 'L'},
    {"B", 1, "QRDBText30", u"0,11"_s, 176.7, 97.4, 8, 'L'},
    {"B", 1, "QRDBText28", u"0,22"_s, 176.7, 101.3, 8, 'L'},
    {"B", 1, "QRDBText26", u"0,33"_s, 176.7, 110.1, 8, 'L'},
    {"B", 1, "QRDBText14", u"0,44"_s, 176.7, 120.9, 8, 'L'},
    {"B", 1, "QRDBText9", u"0,55"_s, 176.7, 128.9, 8, 'L'},
    {"B", 1, "QRDBText8", u"0,66"_s, 176.7, 146.1, 8, 'L'},
    {"B", 1, "QRDBText7", u"0,77"_s, 176.7, 165.9, 8, 'L'},
    {"B", 1, "QRDBText6", u"0,88"_s, 176.7, 179.1, 8, 'L'},
    {"B", 1, "QRDBText5", u"0,99"_s, 176.7, 187.1, 8, 'L'},
    {"B", 1, "QRDBText4", u"1,01"_s, 176.7, 191.0, 8, 'L'},
    {"B", 1, "QRDBText3", u"1,02"_s, 176.7, 197.6, 8, 'L'},
    {"B", 1, "QRDBText2", u"1,03"_s, 176.7, 206.9, 8, 'L'},
    {"B", 1, "QRLabel66", u"Velikostní třídění"_s, 20.8, 219.6, 10, 'L'},
    {"B", 1, "QRDBText32", u"35-55"_s, 73.8, 219.6, 10, 'R'},
    {"B", 1, "QRLabel67", u"mm"_s, 76.4, 219.6, 10, 'L'},
    {"B", 1, "QRLabel69", u"Rozbor proveden v"_s, 20.8, 226.7, 10, 'L'},
    {"B", 1, "QRDBText33", u"Sklad Kroměříž"_s, 53.7, 226.7, 10, 'L'},
    {"B", 1, "QRLabel68", u"dne"_s, 109.0, 226.7, 10, 'L'},
    {"B", 1, "QRDBText37", u"10.11.2000"_s, 117.2, 226.7, 10, 'L'},
    {"B", 1, "QRLabel70", u"Rozbor provedl:"_s, 20.8, 234.4, 10, 'L'},
    {"B", 1, "QRDBText47", u"Ing. Novák"_s, 53.7, 234.4, 10, 'L'},
    {"B", 1, "QRLabel16", u"razítko a podpis "_s, 147.6, 234.9, 9, 'L'},
    {"B", 1, "QRLabel17", u"[_]  pracovník ÚKZÚZ"_s, 20.8, 247.7, 10, 'L'},
    {"B", 1, "QRLabel24", u"[_]  pověřená osoba"_s, 59.2, 247.7, 10, 'L'},
};
// clang-format on

// The text an expected element prints: the credit line carries the program's version.
QString printedText(const Expected& e) {
    return QLatin1String(e.element) == u"QRLabel36" ? makersCreditLine() : e.text;
}

QString toolPath() {
    return QStringLiteral(KVOR_BINARY_DIR "/tools/kvor-print/kvor-print");
}

} // namespace

class TestRequestForms : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void textsStandWhereTheElementTablesPutThem_data();
    void textsStandWhereTheElementTablesPutThem();
    void nothingPrintsBelowOrBesideItsPlace();
    void barcodeOfEveryPageDecodesToTheRequestNumber();
    void valueRules_data();
    void valueRules();
    void speciesCodeThatIsNoWholeNumberStopsBeforeAnyLayout_data();
    void speciesCodeThatIsNoWholeNumberStopsBeforeAnyLayout();
    void potatoFormAsksForTwoSidedPrintingOfOneCopy();

private:
    QTemporaryDir m_dir;
    std::unique_ptr<PrintFolder> m_request, m_potato;
    QHash<QString, QList<QList<PdfWord>>> m_words; // per form, per page
    QHash<QString, QString> m_pdf;
};

void TestRequestForms::initTestCase() {
    m_request = std::make_unique<PrintFolder>();
    m_potato = std::make_unique<PrintFolder>(QVariantMap{{"DRUH", "84"}});
    for (const auto& [form, folder] : {std::pair{"3", m_request.get()}, std::pair{"B", m_potato.get()}}) {
        const QString pdf = m_dir.filePath(QStringLiteral("form%1.pdf").arg(QLatin1String(form)));
        const ToolRun r = runTool(toolPath(), {QStringLiteral("request"), folder->path(), pdf});
        QVERIFY2(r.exitCode == 0, r.err.constData());
        m_pdf[QLatin1String(form)] = pdf;
        m_words[QLatin1String(form)] = pdfWords(pdf);
    }
    QCOMPARE(m_words["3"_L1].size(), 1);
    QCOMPARE(m_words["B"_L1].size(), 2);
}

void TestRequestForms::textsStandWhereTheElementTablesPutThem_data() {
    QTest::addColumn<QString>("form");
    QTest::addColumn<int>("page");
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("left");
    QTest::addColumn<double>("top");
    QTest::addColumn<double>("points");
    QTest::addColumn<bool>("rightAnchored");
    for (const Expected& e : expectedTexts)
        QTest::addRow("%s %d %s", e.form, e.page + 1, e.element)
            << QString::fromLatin1(e.form) << e.page << printedText(e) << e.left << e.top << e.points
            << (e.anchor == 'R');
}

void TestRequestForms::textsStandWhereTheElementTablesPutThem() {
    QFETCH(QString, form);
    QFETCH(int, page);
    QFETCH(QString, text);
    QFETCH(double, left);
    QFETCH(double, top);
    QFETCH(double, points);
    QFETCH(bool, rightAnchored);
    const QString error = locateText(m_words[form].at(page), text, left, top, points, rightAnchored);
    QVERIFY2(error.isEmpty(), qPrintable(error));
}

void TestRequestForms::nothingPrintsBelowOrBesideItsPlace() {
    // Page 1 of both forms holds the words of the expected texts and nothing else: nothing cut at
    // a box stays in the file, nothing prints twice.
    for (const QString& form : {u"3"_s, u"B"_s}) {
        QStringList expected;
        for (const Expected& e : expectedTexts)
            if (QLatin1String(e.form) == form && e.page == 0)
                expected += printedText(e).split(u' ', Qt::SkipEmptyParts);
        QStringList printed;
        for (const PdfWord& w : m_words[form][0])
            printed << w.text;
        QStringList extra = printed, missing = expected;
        for (const QString& w : expected)
            extra.removeOne(w);
        for (const QString& w : printed)
            missing.removeOne(w);
        QVERIFY2(extra.isEmpty() && missing.isEmpty(),
                 qPrintable(form + u": extra "_s + extra.join(u'|') + u", missing "_s + missing.join(u'|')));
    }
}

void TestRequestForms::barcodeOfEveryPageDecodesToTheRequestNumber() {
    QTemporaryDir work;
    QCOMPARE(pdfBarcodes(m_pdf["3"_L1], work.path()), (QList<QStringList>{{u"123456783300000042"_s}}));
    // The analysis sheet of the seed potato form carries no barcode.
    QCOMPARE(pdfBarcodes(m_pdf["B"_L1], work.path()), (QList<QStringList>{{u"123456783300000042"_s}, {}}));
}

void TestRequestForms::valueRules_data() {
    QTest::addColumn<QVariantMap>("request");
    QTest::addColumn<QString>("element");
    QTest::addColumn<int>("page");
    QTest::addColumn<QString>("form3");  // the request form; "-" nothing printed
    QTest::addColumn<QString>("potato"); // the seed potato request form

    const auto row = [](const char* name, QVariantMap request, const char* element, int page,
                        const QString& form3, const QString& potato) {
        QTest::newRow(name) << request << QString::fromLatin1(element) << page << form3 << potato;
    };
    const QString none = u"-"_s;
    row("purpose U", {{"ZADOST_O", "U"}}, "QRLabel13", 0, u"první uznání osiva"_s, u"první uznání sadby"_s);
    row("purpose O", {{"ZADOST_O", "O"}}, "QRLabel13", 0, u"opakované vzorkování"_s,
        u"první uznání osiva a sadby"_s);
    row("purpose E", {{"ZADOST_O", "E"}}, "QRLabel13", 0, u"uznání osiva ze země ES"_s,
        u"první uznání osiva a sadby"_s);
    row("purpose unknown", {{"ZADOST_O", "X"}}, "QRLabel13", 0, u"první uznání osiva a sadby"_s,
        u"první uznání osiva a sadby"_s);
    row("category S", {{"STUPEN", "SE3"}}, "QRLabelKat", 0, u"Rozmnožovací materiál předstupňů "_s,
        u"Základní rozmnožovací materiál "_s);
    row("category S page 2", {{"STUPEN", "SE3"}}, "QRLabelKat2", 1, none,
        u"Základní rozmnožovací materiál "_s);
    row("category A", {{"STUPEN", "A1"}}, "QRLabelKat", 0, u"Certifikovaný rozmnožovací materiál "_s,
        u"Certifikovaný rozmnožovací materiál "_s);
    row("category OO", {{"STUPEN", "OO"}}, "QRLabelKat", 0, none, none);
    row("label type I", {{"TYP_NA", "I"}}, "QRLabel33", 0, u"ISTA"_s, u"ISTA"_s);
    row("label type O", {{"TYP_NA", "O"}}, "QRLabel33", 0, u"OECD"_s, u"OECD"_s);
    row("label type t", {{"TYP_NA", "t"}}, "QRLabel33", 0, u"tuzemská"_s, u"tuzemská"_s);
    row("yes", {{"VEGET", "A"}}, "QRLabelVZ", 0, u"ano"_s, none);
    row("no", {{"UZNA_NIZSI", "N"}}, "QRLabelNizsi", 0, u"ne"_s, none);
    row("not A is no", {{"OPAKHH", "a"}}, "QRLabelHH", 0, u"ne"_s, none);
    row("origin CZP first", {{"CZP", "654321"}, {"ZAHRPARTIE", "NL-1"}}, "QRLabelCZP", 0, u"CZE  654321"_s,
        u"CZE  654321"_s);
    row("origin abroad", {{"CZP", ""}, {"ZAHRPARTIE", "NL-1"}}, "QRLabelCZP", 0, u"Zahr.partie  NL-1"_s,
        u"Zahr.partie  NL-1"_s);
    row("origin none", {{"CZP", ""}, {"ZAHRPARTIE", ""}}, "QRLabelCZP", 0, none, none);
    row("gross 0.4 hidden", {{"BRUTTO", 0.4}}, "QRLabelBrutto", 0, none, none);
    row("gross 0.4 value hidden", {{"BRUTTO", 0.4}}, "QRDBText44", 0, none, none);
    row("gross 0.5 to even 0", {{"BRUTTO", 0.5}}, "QRDBText43", 0, none, none);
    row("gross 0.6 shown", {{"BRUTTO", 0.6}}, "QRDBText43", 0, u"0,6"_s, u"0,6"_s);
    row("gross 0.6 caption", {{"BRUTTO", 0.6}}, "QRLabelBrutto", 0, u"Brutto"_s, u"Brutto"_s);
    row("second count 0.4", {{"POCET2", 0.4}}, "QRDBText36", 0, none, none);
    row("second count 1.5 to even 2", {{"POCET2", 1.5}}, "QRDBText36", 0, u"1,5"_s, u"1,5"_s);
    row("sampling 10.11.2000 page 1", {{"DATUMODBER", QDate(2000, 11, 10)}}, "QRDBText4", 0, none, none);
    row("sampling 10.11.2000 potato page 1", {{"DATUMODBER", QDate(2000, 11, 10)}}, "QRDBText48", 0, none,
        none);
    row("sampling 10.11.2000 potato page 2", {{"DATUMODBER", QDate(2000, 11, 10)}}, "QRDBText37", 1, none,
        u"10.11.2000"_s);
    row("sampling 11.11.2000", {{"DATUMODBER", QDate(2000, 11, 11)}}, "QRDBText4", 0, u"11.11.2000"_s, none);
    row("sampling 10.11.1999 page 2", {{"DATUMODBER", QDate(1999, 11, 10)}}, "QRDBText37", 1, none, none);
    row("sampling 1.1.1900", {{"DATUMODBER", QDate(1900, 1, 1)}}, "QRDBText4", 0, none, none);
    row("sampling unset", {{"DATUMODBER", QVariant()}}, "QRDBText37", 1, none, none);
    row("lot number", {{"PARTIECELA", "12-0815-00042-01"}}, "QRLabelPartie", 0, u"2-0815-00042/01"_s,
        u"2-0815-00042/01"_s);
    row("lot number page 2", {{"PARTIECELA", "12-0815-00042-01"}}, "QRLabelPartie2", 1, none,
        u"2-0815-00042/01"_s);
    row("office", {{"POOT", u"ÚKZÚZ Praha"_s}}, "QRLabelUKZUZ", 0, u"ÚKZÚZ Praha"_s, u"ÚKZÚZ Praha"_s);
}

void TestRequestForms::valueRules() {
    QFETCH(QVariantMap, request);
    QFETCH(QString, element);
    QFETCH(int, page);
    QFETCH(QString, form3);
    QFETCH(QString, potato);
    for (const auto& [druh, expected] : {std::pair{"20", form3}, std::pair{"84", potato}}) {
        QVariantMap changes = request;
        changes.insert(u"DRUH"_s, QString::fromLatin1(druh));
        PrintFolder folder(changes);
        TDsDatabase db;
        db.SetDatabaseName(folder.path(u"data"_s));
        TDsDbfTable table;
        table.SetDatabase(&db);
        table.SetTableName(u"zadost.dbf"_s);
        table.Open();
        auto layout = createRequestLayout(table, folder.ini());
        const TRenderedReport r = renderReport(layout->QuickRep1);
        if (!layout->QuickRep1.find(element)) {
            QCOMPARE(expected, u"-"_s); // the form has no such element
            continue;
        }
        const QList<TPrimitive> printed = r.find(page, element);
        if (expected == u"-") {
            QVERIFY2(printed.isEmpty(), qPrintable(druh + u": "_s + printed.value(0).Text));
        } else {
            QCOMPARE(printed.size(), 1);
            QCOMPARE(printed[0].Text, expected);
        }
    }
}

void TestRequestForms::speciesCodeThatIsNoWholeNumberStopsBeforeAnyLayout_data() {
    QTest::addColumn<QString>("druh");
    QTest::newRow("empty") << QString();
    QTest::newRow("8x") << u"8x"_s;
    QTest::newRow("decimal") << u"8,4"_s;
}

void TestRequestForms::speciesCodeThatIsNoWholeNumberStopsBeforeAnyLayout() {
    QFETCH(QString, druh);
    PrintFolder folder({{"DRUH", druh}});
    const QString pdf = m_dir.filePath(u"chyba.pdf"_s);
    const ToolRun r = runTool(toolPath(), {u"request"_s, folder.path(), pdf});
    QCOMPARE(r.exitCode, 1);
    QCOMPARE(QString::fromUtf8(r.err).trimmed().section(u'\n', -1),
             u"kvor-print: '%1' is not a valid integer value"_s.arg(druh));
    QVERIFY(!QFile::exists(pdf));
}

void TestRequestForms::potatoFormAsksForTwoSidedPrintingOfOneCopy() {
    TDsDatabase db;
    db.SetDatabaseName(m_potato->path(u"data"_s));
    TDsDbfTable table;
    table.SetDatabase(&db);
    table.SetTableName(u"zadost.dbf"_s);
    table.Open();
    auto potato = createRequestLayout(table, m_potato->ini());
    QVERIFY(dynamic_cast<TTiskForBram2*>(potato.get()));
    const TRenderedReport r = renderReport(potato->QuickRep1);
    QVERIFY(r.Duplex);
    QCOMPARE(r.Copies, 1);
    // Page 2 is the summary band, on a page of its own.
    QCOMPARE(r.Bands.size(), 2);
    QCOMPARE(r.Bands[1].Band, u"QRBand2"_s);
    QCOMPARE(r.Bands[1].Page, 1);
}

QTEST_MAIN(TestRequestForms)
#include "tst_request_forms.moc"
