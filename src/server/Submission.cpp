#include "server/Submission.h"

#include "server/ServerSql.h"
#include "tablestore/DsDataSet.h"

#include <QDir>
#include <QFile>

namespace kvor {

TSubmitOutcome odesliZadost(TServerLink& link, TDataSet& request, const QString& companyIco, int idFirma,
                            const QString& programFolder) {
    TSubmitOutcome out;
    if (!link.TestSQLjakje()) return out;
    out.Online = true;

    const QString scriptPath = QDir(programFolder).filePath(QStringLiteral("a1.txt"));
    link.RunScript(sql::submissionScript(request, companyIco, idFirma), scriptPath);

    TZQuery& q = link.ZQuery1;
    q.Close();
    q.SQL() = QStringList{sql::kSubmissionReadBack};
    q.Open();
    out.Id = q.FieldByName(QStringLiteral("id"))->AsLargeInt();
    out.IdTrivan = q.FieldByName(QStringLiteral("id_trivan"))->AsString();
    q.Close();

    request.Edit();
    request.FieldByName(QStringLiteral("id"))->SetValue(out.Id);
    request.FieldByName(QStringLiteral("id_trivan"))->SetValue(out.IdTrivan);
    request.Post();

    QFile::remove(scriptPath);
    return out;
}

} // namespace kvor
