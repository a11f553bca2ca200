#include "server/ServerSql.h"

#include "server/SqlText.h"
#include "tablestore/DsDataSet.h"

namespace kvor::sql {

using namespace Qt::Literals::StringLiterals;

namespace {

QString value(const TDataSet& row, const TAssignmentLine& line) {
    const TField* f = row.FieldByName(QString::fromLatin1(line.Field));
    switch (line.Rule) {
    case TValueRule::Text:
        return text(f->AsString());
    case TValueRule::Decimal:
        return decimalDigits(*f);
    case TValueRule::Count:
        return count(*f);
    case TValueRule::Date:
        return date(*f);
    }
    return {};
}

} // namespace

QStringList scriptStart() {
    return {QStringLiteral("BEGIN;"), QStringLiteral("set @@session.sql_mode=\"\";"), kSetNames};
}

QStringList requestAssignments(const TDataSet& request) {
    QStringList lines;
    for (size_t i = 0; i < kRequestAssignments.size(); ++i) {
        const TAssignmentLine& line = kRequestAssignments[i];
        QString s = QString::fromLatin1(line.Text) + value(request, line);
        if (i + 1 < kRequestAssignments.size()) s += u',';
        lines << s;
    }
    return lines;
}

QStringList submissionScript(const TDataSet& request, const QString& companyIco, int idFirma) {
    const QString id = QString::number(idFirma);
    QStringList s = scriptStart();
    s << u"DELETE FROM kvor_zadost WHERE id_firma = "_s + id;
    s << u" AND ZADOST_O = "_s + text(request.FieldByName(u"ZADOST_O"_s)->AsString());
    s << u" AND PARTIECELA = "_s + text(request.FieldByName(u"PARTIECELA"_s)->AsString()) + u';';
    s << u"INSERT INTO kvor_zadost"_s;
    s << u"SET ICO = "_s + text(companyIco) + u", id_firma = "_s + id + u',';
    s << requestAssignments(request);
    s << u";"_s;
    s << u"SET @poslID := LAST_INSERT_ID();"_s;
    s << u"UPDATE kvor_zadost "_s;
    s << u" SET id_trivan=concat(\""_s + doubleQuotedBody(companyIco) +
             u"\",\"33\",LPAD(kvor_zadost.id,8,\"0\"))"_s;
    s << u" where id = @poslID;"_s;
    s << u"SELECT @idTrivan:=id_trivan from kvor_zadost "_s;
    s << u" where id = @poslID;"_s;
    s << kCommit;
    return s;
}

QStringList exportRow(const TDataSet& row, const TExportParties& p, const QDateTime& now) {
    const QString zadostO = row.FieldByName(u"ZADOST_O"_s)->AsString();
    const QString partieCela = row.FieldByName(u"PARTIECELA"_s)->AsString();
    QStringList s;
    s << u"DELETE FROM ex_zadost WHERE EX_ICO = "_s + text(p.CompanyIco) + u" AND PRI_ICO = "_s +
             text(p.PartnerIco);
    s << u" AND ZADOST_O = "_s + text(zadostO);
    s << u" AND PARTIECELA = "_s + text(partieCela) + u';';
    s << u"INSERT INTO ex_zadost"_s;
    s << u"SET EX_ICO = "_s + text(p.CompanyIco) + u',';
    s << u" PRI_ICO = "_s + text(p.PartnerIco) + u',';
    s << requestAssignments(row);
    s << u";"_s;
    s << u"set @OdeFirma = "_s + text(p.CompanyName) + u';';
    s << u"set @PriFirma = (select nazev from firmy where ICO = "_s + text(p.PartnerIco) + u");"_s;
    s << u"insert into historie "_s;
    s << u"set EX_ICO = "_s + text(p.CompanyIco) + u',';
    s << u"EX_NAZEV  = @OdeFirma,"_s;
    s << u"datumcas = \""_s + doubleQuotedBody(now.toString(u"yyyy-MM-dd HH:mm:ss"_s)) + u"\","_s;
    s << u"doklad = \"ZA\", cislodokla = "_s + text(partieCela + u'-' + zadostO) + u',';
    s << u"ICO = "_s + text(p.PartnerIco) + u',';
    s << u"NAZEVPODNI = @PriFirma;"_s;
    return s;
}

QStringList firmaLookup(const TWorkstation& ws) {
    return {u"select id from kvor_firmy "_s, u" where ICO = "_s + text(ws.Ico),
            u" and computeruser = "_s + text(ws.ComputerUser),
            u" and computername = "_s + text(ws.ComputerName)};
}

QStringList usageLog(const TWorkstation& ws, int idFirma) {
    return {
        u"insert into kvor_historiem "_s,
        u"set modul = \"Kvor Pro\", pc = \"\", stredisko = \""_s + doubleQuotedBody(ws.Stredisko) + u"\","_s,
        u"datumcas = NOW(), ICO = \""_s + doubleQuotedBody(ws.Ico) + u"\", nazevpodni = \""_s +
            doubleQuotedBody(ws.Name) + u"\","_s,
        u"computeruser = \""_s + doubleQuotedBody(ws.ComputerUser) + u"\", computername = \""_s +
            doubleQuotedBody(ws.ComputerName) + u"\","_s,
        u"id_firma = "_s + QString::number(idFirma) + u';',
    };
}

QStringList historyListing(THistoryVariant variant, int idFirma, const QString& companyIco,
                           const QString& selectedYear) {
    using V = THistoryVariant;
    const bool wholeCompany = variant == V::TFhisto1c || variant == V::TFhisto2c;
    const bool byUlc = variant == V::TFhisto2 || variant == V::TFhisto2c;
    QStringList s{u"select * from kvor_zadost"_s};
    s << (wholeCompany ? u" where ICO = "_s + text(companyIco)
                       : u" where id_firma = "_s + QString::number(idFirma));
    if (byUlc) s << u" and ulc <> \"\""_s;
    if (variant == V::TFhisto3) s << u" and ulc = \"\""_s;
    if (!selectedYear.isEmpty()) s << u" AND YEAR(datum) = "_s + text(selectedYear);
    s << (byUlc ? u" order by ulc,datumrozho"_s : u" order by datum,partiecela"_s);
    return s;
}

QStringList documentCount(const QString& companyIco, const QString& ulc) {
    return {u"select count(*) as pocet from kvor_doklady where typ = 19"_s,
            u" AND ICO = "_s + text(companyIco), u" AND cislodokladu = "_s + text(ulc)};
}

QStringList documentFetch(const QString& companyIco, const QString& ulc) {
    return {u"select obsah from kvor_doklady where typ = 19"_s, u" AND ICO = "_s + text(companyIco),
            u" AND cislodokladu = "_s + text(ulc)};
}

} // namespace kvor::sql
