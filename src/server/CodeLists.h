#pragma once
// The code list refresh aDBF: rebuilds the local variety list (cenik.dbf) and address list
// (zadostad.dbf) from the vendor database, and loads the variety list into DsMemTable33.
#include "server/ServerLink.h"

#include <functional>

namespace kvor {

class TDsDatabase;
class TDsDbfTable;
class TDsMemTable;

// The main window's components that the refresh works with.
struct TCodeListTables {
    TDsDatabase* Database = nullptr;     // the data folder
    TDsDbfTable* DsDbfTable33 = nullptr; // reads cenik.dbf (shared)
    TDsMemTable* DsMemTable33 = nullptr; // the variety list of the variety panel
    TDsDbfTable* DbfAd = nullptr;        // the address list, closed while the files are rebuilt
    TDsDbfTable* DsDbfTable1 = nullptr;  // writes the rebuilt files
    TDsMemTable* DsMemTable1 = nullptr;  // carries a server result into the file
};

// Called around a rebuild, so that the caller can show and remove its working window
// ("Aktualizuji číselníky"). RebuildFinished runs on every path once RebuildStarted ran.
struct TCodeListHooks {
    std::function<void()> RebuildStarted;
    std::function<void()> RebuildFinished;
};

struct TCodeListOutcome {
    bool Online = false;          // false: the caller disables "Historie" and shows its message
    bool Rebuilt = false;         // both files were rebuilt from the server
    bool VarietiesLoaded = false; // DsMemTable33 holds cenik.dbf (false when there is no such file)
};

// startupMode: true at the first showing of the main window (rebuild only when the server's
// change time of odruda differs from the one stored in iniPath, section UpdateTable, key odruda),
// false from the menu (always rebuild).
//
// Each list is written into a new file that replaces the old one only when it is complete, and the
// change time is stored only after both lists were rebuilt: a rebuild that fails leaves the
// previous lists in place (they are still loaded) and is retried at the next start. The failure
// is raised after the loading.
TCodeListOutcome aDBF(TServerLink& link, const TCodeListTables& tables, bool startupMode,
                      const QString& iniPath, const TCodeListHooks& hooks = {});

// The stored change time of the server's variety table; today minus 999 days when it is missing
// or unreadable.
QDateTime storedCodeListTime(const QString& iniPath);

} // namespace kvor
