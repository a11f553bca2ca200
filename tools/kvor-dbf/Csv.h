#pragma once
// Comma-separated values as the tool reads and writes them: a comma between cells, double
// quotes around a cell that holds a comma, a quote or a line break, and a doubled quote inside.
#include <QList>
#include <QString>
#include <QStringList>
#include <stdexcept>

namespace kvor::csv {

class CsvError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// One line of cells, without the line break.
QString formatRow(const QStringList& cells);

// Every row of the text; a line break inside quotes belongs to the cell, "\r\n" ends a row as
// "\n" does, and a last line without a break is a row too. Raises CsvError for a quote that is
// never closed.
QList<QStringList> parse(const QString& text);

} // namespace kvor::csv
