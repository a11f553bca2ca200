#pragma once
// The laboratory result document: a PDF stored on the vendor server under the company's ICO and
// the ULČ of a request (document type 19), fetched into ulc.pdf in the program folder and handed
// to the desktop's PDF viewer.
#include <QByteArray>
#include <QString>
#include <functional>
#include <optional>

namespace kvor {

class TZQuery;

// The one file every retrieval writes, in the program folder.
inline constexpr const char* kResultDocumentFile = "ulc.pdf";

// How many result documents the server holds for the ICO and the ULČ (the count statement).
// The query is closed afterwards. Raises the server's error.
int countResultDocuments(TZQuery& query, const QString& companyIco, const QString& ulc);

// The bytes of the first such document, unchanged (empty for a document without content); no value
// when there is none. The query is closed afterwards. Raises the server's error.
std::optional<QByteArray> fetchResultDocument(TZQuery& query, const QString& companyIco, const QString& ulc);

// Writes the bytes into the file, replacing it as a whole: a failed write leaves the previous file
// as it was. Raises EKvorError naming the file when it cannot be written.
void writeResultDocument(const QString& path, const QByteArray& bytes);

// Hands the file to the desktop's viewer without waiting for it; its outcome is not reported.
// Tests put their own opener in the desktop's place for the lifetime of a scope.
void openResultDocument(const QString& path);
using TDocumentOpener = std::function<void(const QString& path)>;
class TDocumentOpenerScope {
public:
    explicit TDocumentOpenerScope(TDocumentOpener opener);
    ~TDocumentOpenerScope();
    TDocumentOpenerScope(const TDocumentOpenerScope&) = delete;
    TDocumentOpenerScope& operator=(const TDocumentOpenerScope&) = delete;

private:
    TDocumentOpener m_previous;
};

} // namespace kvor
