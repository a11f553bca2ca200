#include "history/ResultDocument.h"

#include "platform/Desktop.h"
#include "platform/KvorError.h"
#include "server/ServerSql.h"
#include "server/ZQuery.h"

#include <QSaveFile>

namespace kvor {

namespace {

TDocumentOpener& openerSlot() {
    static TDocumentOpener opener;
    return opener;
}

// Runs the statement on the query and hands it, open, to read; the query is closed on every path.
template <typename Read> auto withResult(TZQuery& query, const QStringList& statement, Read read) {
    query.Close();
    query.SQL() = statement;
    struct Closer {
        TZQuery& q;
        ~Closer() {
            q.Close();
            q.SQL().clear();
        }
    } closer{query};
    query.Open();
    return read(query);
}

} // namespace

int countResultDocuments(TZQuery& query, const QString& companyIco, const QString& ulc) {
    return withResult(query, sql::documentCount(companyIco, ulc), [](TZQuery& q) {
        return q.IsEmpty() ? 0 : q.FieldByName(QStringLiteral("pocet"))->AsInteger();
    });
}

std::optional<QByteArray> fetchResultDocument(TZQuery& query, const QString& companyIco, const QString& ulc) {
    return withResult(query, sql::documentFetch(companyIco, ulc),
                      [](TZQuery& q) -> std::optional<QByteArray> {
                          if (q.IsEmpty()) return std::nullopt;
                          return q.FieldByName(QStringLiteral("obsah"))->AsBytes();
                      });
}

void writeResultDocument(const QString& path, const QByteArray& bytes) {
    // Written beside the file and put in its place at the end, so that a viewer that still shows the
    // previous document never sees half of the new one.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw EKvorError(QStringLiteral("Soubor %1 nelze zapsat: %2").arg(path, file.errorString()));
}

void openResultDocument(const QString& path) {
    if (const TDocumentOpener& opener = openerSlot()) {
        opener(path);
        return;
    }
    desktop::openDocument(path);
}

TDocumentOpenerScope::TDocumentOpenerScope(TDocumentOpener opener) : m_previous(openerSlot()) {
    openerSlot() = std::move(opener);
}

TDocumentOpenerScope::~TDocumentOpenerScope() {
    openerSlot() = std::move(m_previous);
}

} // namespace kvor
