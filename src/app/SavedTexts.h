#pragma once
// The list files of saved texts: one text per line, Windows-1250, lines ended by CR LF.
#include <QString>
#include <QStringList>

namespace kvor {

// The file of a field's saved texts in the current folder: the field name and ".txt".
QString savedTextFileName(const QString& fieldName);

// A missing file is an empty list; an empty line is an empty entry.
QStringList loadSavedTexts(const QString& path);
// Replaces the file as a whole; raises EAppError when it cannot be written.
void storeSavedTexts(const QString& path, const QStringList& texts);

} // namespace kvor
