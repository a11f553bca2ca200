#include "tablestore/DsConsts.h"

#include <array>

namespace kvor {

namespace {
// Index = result code.
constexpr std::array<const char*, 62> kMessages = {
    "",
    "Access denied",
    "Cannot open file",
    "Cannot seek file",
    "Cannot read file",
    "Cannot create file",
    "Cannot write file",
    "Duplicate table name",
    "Duplicate user name",
    "Duplicate field name",
    "Duplicate autoinc field",
    "Duplicate index name",
    "Object not found",
    "Database file not found",
    "Table not found",
    "Record not found",
    "Field not found",
    "Block not found",
    "Index not found",
    "The cursor is positioned on a record that has been deleted",
    "Table is read only",
    "Field is read only",
    "Not sufficient table rights",
    "Invalid keyword",
    "Table is busy",
    "Object is locked",
    "Not a blob field",
    "Not a current record",
    "Index opened",
    "Begin of file",
    "End of file",
    "Begin of blob",
    "End of blob",
    "Too many tables",
    "Too many users",
    "Too many procs",
    "Too many checks",
    "Too many fields",
    "Too many indexes",
    "Database closed",
    "Table crypted",
    "Invalid object",
    "Invalid handle",
    "Invalid database handle",
    "Invalid filter handle",
    "Invalid parameter",
    "Invalid bookmark",
    "Invalid blob offset",
    "Invalid database file",
    "Invalid database version",
    "Invalid database checksum or invalid crypt algorithm",
    "Invalid database user",
    "Invalid table name",
    "Invalid user name",
    "Invalid field type",
    "Invalid field name",
    "Invalid field size",
    "Invalid block",
    "Invalid expression",
    "Invalid encryption",
    "Unknown identifier",
    "Unexpected identifier",
};
} // namespace

QString dsResultMessage(int code) {
    if (code <= 0 || code >= int(kMessages.size())) return QString();
    return QString::fromLatin1(kMessages[code]);
}

EDatabaseError::EDatabaseError(QString message, int code) : EKvorError(std::move(message)), m_code(code) {}

EDatabaseError EDatabaseError::fromResult(int code) {
    return EDatabaseError(dsResultMessage(code), code);
}

EDatabaseError EDatabaseError::prefixed(const QString& component, const QString& message, int code) {
    return EDatabaseError(component.isEmpty() ? message : component + QStringLiteral(": ") + message, code);
}

} // namespace kvor
