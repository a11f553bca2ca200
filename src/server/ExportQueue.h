#pragma once
// The export step udelejData: sends every copy in the export queue (zadostex.dbf) to the partner
// table ex_zadost, with one row per copy in the register historie, in one script.
#include "server/ServerLink.h"
#include "server/ServerSql.h"

#include <QDateTime>

namespace kvor {

class TDsDbfTable;

struct TExportOutcome {
    bool Online = false; // false: nothing was sent and the queue keeps every row
    int Sent = 0;        // copies sent (and removed from the queue)
};

// DbfEx: the export queue table, with its database and table name set; open or closed (it is
// reopened exclusively and left closed). now: the local time written into historie.
// Each row is sent to the partner whose office in the address list (zadostad.dbf in the queue's
// folder) is the row's POOT; parties.PartnerIco, the partner of the print that triggers the
// export, serves only rows whose office is no partner there.
// The queue is emptied only after the script has committed. A failing script is rolled back,
// the queue keeps every row, the script stays in a.txt in programFolder, and the server's error
// is raised (ESqlError).
TExportOutcome udelejData(TServerLink& link, TDsDbfTable& DbfEx, const TExportParties& parties,
                          const QString& programFolder, const QDateTime& now = QDateTime::currentDateTime());

} // namespace kvor
