#pragma once
// Request submission: the server half of "Zapsat". Sends the current request to kvor_zadost in one
// script (the earlier row of the same key is replaced) and writes the server's id and final
// request number back into the local record.
#include "server/ServerLink.h"

namespace kvor {

class TDataSet;

struct TSubmitOutcome {
    bool Online = false; // false: nothing was sent; the record keeps its provisional number
    qint64 Id = 0;       // the server's new row number, written into the record's id
    QString IdTrivan;    // the final request number, written into the record's id_trivan
};

// request: the request table (Dbf5), open, positioned on the just posted request.
// The script file a1.txt lives in programFolder; it is removed after success and kept after a
// failure. A failing statement rolls the script back and raises the server's error (ESqlError).
// A company ICO of more than 8 characters is refused before anything is sent, and a request number
// that comes back cut or empty is not written into the record (EDatabaseError, Czech message).
TSubmitOutcome odesliZadost(TServerLink& link, TDataSet& request, const QString& companyIco, int idFirma,
                            const QString& programFolder);

} // namespace kvor
