#include "server/CompanyLookup.h"

namespace kvor {

bool test_firma(TServerLink& link, const TWorkstation& workstation, int& idFirma) {
    if (!link.TestSQLjakje()) return false;
    link.SetUpSession();

    TZQuery& q = link.ZQuery1;
    q.Close();
    q.SQL() = sql::firmaLookup(workstation);
    q.Open();
    idFirma = q.IsEmpty() ? 0 : q.FieldByName(QStringLiteral("id"))->AsInteger();
    q.Close();

    q.SQL() = sql::usageLog(workstation, idFirma);
    q.ExecSQL();
    q.SQL().clear();
    return true;
}

} // namespace kvor
