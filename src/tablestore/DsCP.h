#pragma once
// Code pages of dBase tables: how the characters of C fields are translated between the program
// and the file, and what a new file says about its language driver.
#include <QString>
#include <cstdint>

namespace kvor {

// The ordinal of a member is the index into the per-code-page data; the order is fixed.
enum CP_TYPE {
    Access_General,
    Access_Greece,
    Access_Japanese,
    Access_NordDanish,
    Access_SwedFinnish,
    ascii_ANSI,
    Borland_ANSI_Arabic,
    Borland_DAN_Latin1,
    Borland_DEU_Latin1,
    Borland_ENG_Latin1,
    Borland_ENU_Latin1,
    Borland_ESP_Latin1,
    Borland_FIN_Latin1,
    Borland_FRA_Latin1,
    Borland_FRC_Latin1,
    Borland_ISL_Latin1,
    Borland_ITA_Latin1,
    Borland_NLD_Latin1,
    Borland_NOR_Latin1,
    Borland_PTG_Latin1,
    Borland_SVE_Latin1,
    DB2_SQL_ANSI_DEU,
    dBASE_BUL_868,
    dBASE_CHS_cp936,
    dBASE_CHT_cp950,
    dBASE_CSY_cp852,
    dBASE_CSY_cp867,
    dBASE_DAN_cp865,
    dBASE_DEU_cp437,
    dBASE_DEU_cp850,
    dBASE_ELL_GR437,
    dBASE_ENG_cp437,
    dBASE_ENG_cp850,
    dBASE_ENU_cp437,
    dBASE_ENU_cp850,
    dBASE_ESP_cp437,
    dBASE_ESP_cp850,
    dBASE_FIN_cp437,
    dBASE_FRA_cp437,
    dBASE_FRA_cp850,
    dBASE_FRC_cp850,
    dBASE_FRC_cp863,
    dBASE_HUN_cp852,
    dBASE_ITA_cp437,
    dBASE_ITA_cp850,
    dBASE_JPN_cp932,
    dBASE_JPN_Dic932,
    dBASE_KOR_cp949,
    dBASE_NLD_cp437,
    dBASE_NLD_cp850,
    dBASE_NOR_cp865,
    dBASE_PLK_cp852,
    dBASE_PTB_cp850,
    dBASE_PTG_cp860,
    dBASE_RUS_cp866,
    dBASE_SLO_cp852,
    dBASE_SVE_cp437,
    dBASE_SVE_cp850,
    dBASE_THA_cp874,
    dBASE_TRK_cp857,
    FoxPro_Czech_1250,
    FoxPro_Czech_DOS895,
    FoxPro_German_1252,
    FoxPro_German_437,
    FoxPro_Nordic_1252,
    FoxPro_Nordic_437,
    FoxPro_Nordic_850,
    Hebrew_dBASE,
    MSSQL_ANSI_Greek,
    Oracle_SQL_WE850,
    Paradox_ANSI_HEBREW,
    Paradox_ascii,
    Paradox_BUL_868,
    Paradox_China_936,
    Paradox_Cyrr_866,
    Paradox_Czech_852,
    Paradox_Czech_867,
    Paradox_ESP_437,
    Paradox_Greek_GR437,
    Paradox_hebrew,
    Paradox_Hun_852_DC,
    Paradox_intl_850,
    Paradox_intl,
    Paradox_ISL_861,
    Paradox_japan,
    Paradox_Korea_949,
    Paradox_nordan,
    Paradox_nordan40,
    Paradox_Polish_852,
    Paradox_Slovene_852,
    Paradox_swedfin,
    Paradox_Taiwan_950,
    Paradox_Thai_874,
    Paradox_turk,
    Pdox_ANSI_Bulgaria,
    Pdox_ANSI_Cyrillic,
    Pdox_ANSI_Czech,
    Pdox_ANSI_Greek,
    Pdox_ANSI_Hun_DC,
    Pdox_ANSI_Intl,
    Pdox_ANSI_Intl850,
    Pdox_ANSI_Nordan4,
    Pdox_ANSI_Polish,
    Pdox_ANSI_Slovene,
    Pdox_ANSI_Spanish,
    Pdox_ANSI_Swedfin,
    Pdox_ANSI_Turkish,
    Pdox_ascii_Japan,
    pdx_ANSI_Czech_CH,
    pdx_ANSI_ISO_L_2_CZ,
    pdx_Czech_852_CH,
    pdx_Czech_867_CH,
    pdx_ISO_L_2_Czech,
    Spanish_ANSI,
    SQL_Link_ROMAN8,
    Sybase_SQL_Dic437,
    Sybase_SQL_Dic850,
    WEurope_ANSI
};

inline constexpr int CP_TYPE_COUNT = 118;

// What the table store holds for one code page.
struct TCodePageInfo {
    const std::uint8_t* WriteTable; // program byte -> file byte, applied to C fields when written
    const std::uint8_t* ReadTable;  // file byte -> program byte, applied to C fields when read
    std::uint8_t LanguageDriver;    // header byte 29 of a new table with memo fields
    const char* LanguageDriverName; // 8 characters, written into a dBase 7 header
    bool KeepsBytes = false;        // both tables map every byte to itself: nothing to translate
};

// The data of a code page; an ordinal outside the enumeration gets the data of ascii_ANSI.
const TCodePageInfo& codePageInfo(CP_TYPE codePage);
// "ascii_ANSI", "WEurope_ANSI", ...; empty for an ordinal outside the enumeration.
QString codePageName(CP_TYPE codePage);
// The member of that name (exact spelling), or false when there is none.
bool codePageFromName(const QString& name, CP_TYPE& codePage);

} // namespace kvor
