#pragma once
// Company lookup and usage log (test_firma): finds this workstation's row in kvor_firmy and writes
// one row into the usage log kvor_historiem.
#include "server/ServerLink.h"
#include "server/ServerSql.h"

namespace kvor {

// idFirma is the main window's company record id: set to the row's id (0 when the server does not
// know the workstation) as soon as the lookup has answered, kept as it was when offline.
// Returns the online status. A failing statement raises ESqlError; an id found before it stays set.
bool test_firma(TServerLink& link, const TWorkstation& workstation, int& idFirma);

} // namespace kvor
