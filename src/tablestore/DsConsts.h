#pragma once
// Result codes of the table store and the database error that carries them.
#include "platform/KvorError.h"

#include <QString>

namespace kvor {

// Result codes of the file-level operations; 0 is success.
enum DsResult : int {
    DS_OK = 0,
    DS_ACCESS_DENIED = 1,
    DS_CANNOT_OPEN_FILE = 2,
    DS_CANNOT_SEEK_FILE = 3,
    DS_CANNOT_READ_FILE = 4,
    DS_CANNOT_CREATE_FILE = 5,
    DS_CANNOT_WRITE_FILE = 6,
    DS_DUPLICATE_FIELD_NAME = 9,
    DS_RECORD_NOT_FOUND = 15,
    DS_FIELD_NOT_FOUND = 16,
    DS_RECORD_DELETED = 19,
    DS_TABLE_READ_ONLY = 20,
    DS_TABLE_BUSY = 24,
    DS_BEGIN_OF_FILE = 29,
    DS_END_OF_FILE = 30,
    DS_END_OF_BLOB = 32,
    DS_TABLE_CRYPTED = 40,
    DS_INVALID_HANDLE = 42,
    DS_INVALID_PARAMETER = 45,
    DS_INVALID_DATABASE_FILE = 48,
    DS_INVALID_FIELD_TYPE = 54,
    DS_INVALID_FIELD_SIZE = 56,
    DS_LAST_RESULT = 61,
};

// The fixed text of a result code (1 to 61); an empty text for 0 and unknown codes.
QString dsResultMessage(int code);

// A failure of a dataset or the table store. The message is shown to the user as it stands.
class EDatabaseError : public EKvorError {
public:
    explicit EDatabaseError(QString message, int code = 0);
    // The error of a result code, with the code's text as its message.
    static EDatabaseError fromResult(int code);
    // A message prefixed with a component's name and ": " (no prefix for an empty name).
    static EDatabaseError prefixed(const QString& component, const QString& message, int code = 0);

    int code() const { return m_code; }

private:
    int m_code;
};

// A value that cannot be converted to a field's type ("'abc' není platné číslo.").
class EConvertError : public EDatabaseError {
public:
    using EDatabaseError::EDatabaseError;
};

// Raises the database error of a non-zero result code.
inline void dsCheck(int code) {
    if (code != DS_OK) throw EDatabaseError::fromResult(code);
}

} // namespace kvor
