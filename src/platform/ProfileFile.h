#pragma once
// Settings files of sections and keys (kvor.ini, Trivan05.ini) with the behaviour of Windows
// profile files. Every call reads the file anew and every write reaches the disk before it returns,
// so two objects over the same file, or another program, always see the latest state.
#include "platform/KvorError.h"

#include <QDateTime>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

namespace kvor {

// A profile file could not be written; what() and message() name the file, in Czech.
class EIniFileError : public EKvorError {
public:
    using EKvorError::EKvorError;
};

class TIniFile {
public:
    // The name may use '\' as separator (".\kvor.ini"), and on case-sensitive file systems an
    // existing file is found whatever the case of its name, as Windows, where the files are made, finds it.
    explicit TIniFile(QString fileName);

    const QString& FileName() const { return m_fileName; }

    // The value with surrounding blanks removed, and then a matching pair of enclosing quotes
    // (" or '); a missing file, section or key gives def.
    QString ReadString(const QString& section, const QString& ident, const QString& def) const;
    // Creates the file and the section as needed; a new key goes at the end of its section, a new
    // section at the end of the file. Line breaks inside the value are written as blanks.
    void WriteString(const QString& section, const QString& ident, const QString& value);

    // A value that is not a decimal integer gives def.
    int ReadInteger(const QString& section, const QString& ident, int def) const;
    void WriteInteger(const QString& section, const QString& ident, int value);
    // Stored as "1"/"0"; any non-zero integer reads as true, a non-integer gives def.
    bool ReadBool(const QString& section, const QString& ident, bool def) const;
    void WriteBool(const QString& section, const QString& ident, bool value);
    // Czech short date and long time, "15.3.2012 8:05:09", the time left out at midnight.
    // A value that does not parse gives def.
    QDateTime ReadDateTime(const QString& section, const QString& ident, const QDateTime& def) const;
    void WriteDateTime(const QString& section, const QString& ident, const QDateTime& value);

    // Removes every section of that name with all its lines; a missing one is no error.
    void EraseSection(const QString& section);
    // Replaces every section of that name by one that holds exactly these keys and values, in
    // their order, in one rewrite of the file: a failure leaves the old section whole. The
    // section keeps the place of its first occurrence; a new one goes at the end of the file.
    void WriteSection(const QString& section, const QList<QPair<QString, QString>>& values);
    void DeleteKey(const QString& section, const QString& ident);

    // True when the file holds a header of that section, even one without keys.
    bool SectionExists(const QString& section) const;
    bool ValueExists(const QString& section, const QString& ident) const;
    // Key names of the section in file order, as spelled in the file.
    QStringList ReadSection(const QString& section) const;
    QStringList ReadSections() const;

private:
    QString m_fileName;
};

} // namespace kvor
