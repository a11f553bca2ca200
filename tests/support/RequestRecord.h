#pragma once
// The request record of zadost.dbf, zadost2.dbf and zadostex.dbf, field by field, for tests that
// need a request table or an export queue. Text n is a string of n characters, number a float
// (numeric 19.4 in the file), date a date.
#include "tablestore/DsDataSet.h"

#include <QStringList>

namespace kvor::testing {

inline TFieldDefs requestRecordDefs() {
    // Name and width; 'N' a number, 'D' a date, otherwise text of that width.
    struct F {
        const char* name;
        char kind;
        int size;
    };
    static const F fields[] = {
        {"ZADOST_O", 'C', 1},    {"NOMENKLA", 'C', 12},   {"NAZEVOSIVA", 'C', 28}, {"ODRUDA", 'C', 5},
        {"KATEGORIE", 'C', 1},   {"STUPEN", 'C', 3},      {"ROK", 'C', 4},         {"PARTIE", 'C', 9},
        {"PODNIK", 'C', 4},      {"PARTIECELA", 'C', 16}, {"ROZ_P1", 'C', 16},     {"ROZ_P2", 'C', 16},
        {"ROZ_P3", 'C', 16},     {"ROZ_P4", 'C', 16},     {"ROZ_P5", 'C', 16},     {"ROZ_P6", 'C', 16},
        {"ROZ_P7", 'C', 16},     {"ROZ_P8", 'C', 16},     {"ROZ_P9", 'C', 16},     {"ROZ_P10", 'C', 16},
        {"MNOZSTVI", 'N', 0},    {"MJ", 'C', 3},          {"OBALY", 'C', 2},       {"OBALY_TXT", 'C', 20},
        {"POCET", 'N', 0},       {"OSETRENI", 'C', 2},    {"OSETRENITX", 'C', 20}, {"MORIDLO", 'C', 2},
        {"MORIDLOTXT", 'C', 30}, {"TYP_NA", 'C', 1},      {"NAV_OD", 'C', 11},     {"NAV_DO", 'C', 11},
        {"MISTOODBER", 'C', 25}, {"DATUMODBER", 'D', 0},  {"POZADAV1", 'C', 80},   {"POZADAV2", 'C', 80},
        {"UZNA_NIZSI", 'C', 1},  {"VEGET", 'C', 1},       {"DATUM", 'D', 0},       {"ULC", 'C', 12},
        {"CISTOTA", 'N', 0},     {"NECISTOTY", 'C', 5},   {"JINEKULTUR", 'C', 5},  {"PLEVELE", 'C', 5},
        {"MKS", 'N', 0},         {"POCET_DNU", 'C', 3},   {"KLICIVOST", 'N', 0},   {"TVRDY", 'N', 0},
        {"VLHKOST", 'N', 0},     {"TEXT_KULTU", 'C', 75}, {"TEXT_PLEVE", 'C', 75}, {"KALIBRACE", 'C', 10},
        {"MIMOKALIB", 'C', 5},   {"ZJISTENI", 'C', 75},   {"ZADINA", 'N', 0},      {"PROC_ZADIN", 'N', 0},
        {"MORENO", 'C', 40},     {"ZJISTENI2", 'C', 75},  {"ZJISTENI3", 'C', 40},  {"ZJISTENI4", 'C', 75},
        {"STREDISKO", 'C', 3},   {"CISLO", 'N', 0},       {"DATUMROZHO", 'D', 0},  {"DATUM2", 'D', 0},
        {"DRUH", 'C', 4},        {"NAZ_DRU", 'C', 40},    {"NAZ_ODRU", 'C', 40},   {"OBALY2", 'C', 2},
        {"OBALY2_TXT", 'C', 20}, {"POCET2", 'N', 0},      {"MORIDLO2", 'C', 2},    {"MORIDLO2TX", 'C', 30},
        {"PRIHLASKA", 'C', 5},   {"UZNA_STUP", 'C', 3},   {"CZP", 'C', 6},         {"BRUTTO", 'N', 0},
        {"OBRAZ_ULC", 'N', 0},   {"SLONAUKZUZ", 'C', 30}, {"OPAKHH", 'C', 1},      {"NAV1", 'C', 72},
        {"NAV2", 'C', 72},       {"V_KLICKY", 'N', 0},    {"DIL", 'C', 2},         {"HLIZYJ", 'C', 5},
        {"HLIZYNAPA", 'C', 5},   {"HNILOBAM", 'C', 5},    {"HNILOBAS", 'C', 5},    {"PLISENB", 'C', 5},
        {"MECHAN", 'C', 5},      {"STRUP", 'C', 5},       {"VLOCKA", 'C', 5},      {"SEDNUTI", 'C', 5},
        {"REZ", 'C', 5},         {"ZEMINA", 'C', 5},      {"HLIZYPOD", 'C', 5},    {"HLIZYNAD", 'C', 5},
        {"TRIDENI", 'C', 5},     {"AGRONOM", 'C', 20},    {"ZMENANACSO", 'C', 1},  {"CASTPARTIE", 'C', 2},
        {"DATUMZK", 'D', 0},     {"POO", 'C', 1},         {"UZ1", 'C', 80},        {"ZAKAZZMEN", 'C', 1},
        {"ZBYVA", 'N', 0},       {"SEZONA", 'C', 4},      {"IDENTIFIK", 'C', 16},  {"HTS", 'N', 0},
        {"UZ2", 'C', 80},        {"id", 'N', 0},          {"POOT", 'C', 80},       {"DPODNIK", 'C', 4},
        {"PUVZADOST", 'C', 18},  {"PORADIZ", 'N', 0},     {"ZAHRPARTIE", 'C', 20}, {"UZNSTAV", 'C', 1},
        {"id_trivan", 'C', 18},
    };
    TFieldDefs defs;
    int no = 0;
    for (const F& f : fields) {
        TFieldDef d;
        d.Name = QString::fromLatin1(f.name);
        d.DataType = f.kind == 'N' ? ftFloat : f.kind == 'D' ? ftDate : ftString;
        d.Size = f.kind == 'C' ? f.size : 0;
        d.FieldNo = ++no;
        defs << d;
    }
    return defs;
}

} // namespace kvor::testing
