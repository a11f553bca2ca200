#include "server/Submission.h"

#include "server/ServerSql.h"
#include "tablestore/DsDataSet.h"

#include <QDir>
#include <QFile>

namespace kvor {

namespace {

// The request number is the ICO, "33" and eight digits, and the server keeps it in 18 characters:
// a longer ICO would be cut there, so that different requests shared one number.
constexpr int kMaxIcoLength = 8;

void checkCompanyIco(const QString& companyIco) {
    if (companyIco.size() > kMaxIcoLength)
        throw EDatabaseError(QStringLiteral("IČO firmy \"%1\" má %2 znaků, smí mít nejvýše %3.\r"
                                            "Žádost nebyla odeslána. Opravte IČO v nastavení programu.")
                                 .arg(companyIco)
                                 .arg(companyIco.size())
                                 .arg(kMaxIcoLength));
}

// The number the server formed must be whole (ICO, "33", eight digits) and fit the record's field;
// a cut or empty number would give the request another request's number.
void checkRequestNumber(const QString& idTrivan, const QString& companyIco, const TField& field) {
    const qsizetype expected = companyIco.size() + 10;
    if (idTrivan.size() != expected || (field.Size() > 0 && idTrivan.size() > field.Size()))
        throw EDatabaseError(
            QStringLiteral("Server vrátil neúplné číslo žádosti \"%1\" (%2 znaků místo %3).\r"
                           "Číslo žádosti nebylo zapsáno.")
                .arg(idTrivan)
                .arg(idTrivan.size())
                .arg(expected));
}

} // namespace

TSubmitOutcome odesliZadost(TServerLink& link, TDataSet& request, const QString& companyIco, int idFirma,
                            const QString& programFolder) {
    TSubmitOutcome out;
    checkCompanyIco(companyIco);
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
    TField* idTrivan = request.FieldByName(QStringLiteral("id_trivan"));
    checkRequestNumber(out.IdTrivan, companyIco, *idTrivan);

    request.Edit();
    request.FieldByName(QStringLiteral("id"))->SetValue(out.Id);
    idTrivan->SetValue(out.IdTrivan);
    request.Post();

    QFile::remove(scriptPath);
    return out;
}

} // namespace kvor
