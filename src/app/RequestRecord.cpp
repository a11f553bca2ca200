#include "app/RequestRecord.h"

#include "tablestore/DsDbfTable.h"

#include <QDir>
#include <QFileInfo>

namespace kvor {

namespace {

TFieldDef text(const char* name, int width) {
    return TFieldDef{QString::fromLatin1(name), ftString, width};
}
TFieldDef number(const char* name) {
    return TFieldDef{QString::fromLatin1(name), ftFloat, 0};
}
TFieldDef date(const char* name) {
    return TFieldDef{QString::fromLatin1(name), ftDate, 0};
}

TFieldDefs makeRequestFieldDefs() {
    TFieldDefs defs{
        text("ZADOST_O", 1),    text("NOMENKLA", 12),   text("NAZEVOSIVA", 28), text("ODRUDA", 5),
        text("KATEGORIE", 1),   text("STUPEN", 3),      text("ROK", 4),         text("PARTIE", 9),
        text("PODNIK", 4),      text("PARTIECELA", 16), text("ROZ_P1", 16),     text("ROZ_P2", 16),
        text("ROZ_P3", 16),     text("ROZ_P4", 16),     text("ROZ_P5", 16),     text("ROZ_P6", 16),
        text("ROZ_P7", 16),     text("ROZ_P8", 16),     text("ROZ_P9", 16),     text("ROZ_P10", 16),
        number("MNOZSTVI"),     text("MJ", 3),          text("OBALY", 2),       text("OBALY_TXT", 20),
        number("POCET"),        text("OSETRENI", 2),    text("OSETRENITX", 20), text("MORIDLO", 2),
        text("MORIDLOTXT", 30), text("TYP_NA", 1),      text("NAV_OD", 11),     text("NAV_DO", 11),
        text("MISTOODBER", 25), date("DATUMODBER"),     text("POZADAV1", 80),   text("POZADAV2", 80),
        text("UZNA_NIZSI", 1),  text("VEGET", 1),       date("DATUM"),          text("ULC", 12),
        number("CISTOTA"),      text("NECISTOTY", 5),   text("JINEKULTUR", 5),  text("PLEVELE", 5),
        number("MKS"),          text("POCET_DNU", 3),   number("KLICIVOST"),    number("TVRDY"),
        number("VLHKOST"),      text("TEXT_KULTU", 75), text("TEXT_PLEVE", 75), text("KALIBRACE", 10),
        text("MIMOKALIB", 5),   text("ZJISTENI", 75),   number("ZADINA"),       number("PROC_ZADIN"),
        text("MORENO", 40),     text("ZJISTENI2", 75),  text("ZJISTENI3", 40),  text("ZJISTENI4", 75),
        text("STREDISKO", 3),   number("CISLO"),        date("DATUMROZHO"),     date("DATUM2"),
        text("DRUH", 4),        text("NAZ_DRU", 40),    text("NAZ_ODRU", 40),   text("OBALY2", 2),
        text("OBALY2_TXT", 20), number("POCET2"),       text("MORIDLO2", 2),    text("MORIDLO2TX", 30),
        text("PRIHLASKA", 5),   text("UZNA_STUP", 3),   text("CZP", 6),         number("BRUTTO"),
        number("OBRAZ_ULC"),    text("SLONAUKZUZ", 30), text("OPAKHH", 1),      text("NAV1", 72),
        text("NAV2", 72),       number("V_KLICKY"),     text("DIL", 2),         text("HLIZYJ", 5),
        text("HLIZYNAPA", 5),   text("HNILOBAM", 5),    text("HNILOBAS", 5),    text("PLISENB", 5),
        text("MECHAN", 5),      text("STRUP", 5),       text("VLOCKA", 5),      text("SEDNUTI", 5),
        text("REZ", 5),         text("ZEMINA", 5),      text("HLIZYPOD", 5),    text("HLIZYNAD", 5),
        text("TRIDENI", 5),     text("AGRONOM", 20),    text("ZMENANACSO", 1),  text("CASTPARTIE", 2),
        date("DATUMZK"),        text("POO", 1),         text("UZ1", 80),        text("ZAKAZZMEN", 1),
        number("ZBYVA"),        text("SEZONA", 4),      text("IDENTIFIK", 16),  number("HTS"),
        text("UZ2", 80),        number("id"),           text("POOT", 80),       text("DPODNIK", 4),
        text("PUVZADOST", 18),  number("PORADIZ"),      text("ZAHRPARTIE", 20), text("UZNSTAV", 1),
        text("id_trivan", 18),
    };
    for (int i = 0; i < defs.size(); ++i)
        defs[i].FieldNo = i + 1;
    return defs;
}

} // namespace

const TFieldDefs& requestFieldDefs() {
    static const TFieldDefs defs = makeRequestFieldDefs();
    return defs;
}

int requestFieldWidth(const QString& fieldName) {
    for (const TFieldDef& def : requestFieldDefs())
        if (def.Name.compare(fieldName, Qt::CaseInsensitive) == 0)
            return def.DataType == ftString ? def.Size : 0;
    return 0;
}

QStringList requestTableNames() {
    return {QStringLiteral("zadost.dbf"), QStringLiteral("zadost2.dbf"), QStringLiteral("zadostex.dbf")};
}

QStringList createMissingRequestTables(TDsDatabase& database) {
    QStringList created;
    const QDir folder(database.DatabaseName());
    for (const QString& name : requestTableNames()) {
        if (QFileInfo::exists(folder.filePath(name))) continue;
        TDsDbfTable table;
        table.SetName(QStringLiteral("DbfNew"));
        table.SetDatabase(&database);
        table.SetTableName(name);
        table.SetExclusive(true);
        table.FieldDefs() = requestFieldDefs();
        table.CreateTable();
        created << name;
    }
    return created;
}

} // namespace kvor
