#pragma once
// The commands of kvor-dbf. Each works through TDsDbfTable, so the tool sees a table exactly as
// the program does.
#include <QString>
#include <QStringList>
#include <QTextStream>
#include <stdexcept>

namespace kvor::dbftool {

// A wrong argument or input of the tool (the table store raises EDatabaseError instead).
class ToolError : public std::runtime_error {
public:
    explicit ToolError(const QString& message) : std::runtime_error(message.toStdString()) {}
};

// Version byte, family, record count, header length, record length, and each field's name,
// type letter, length and decimals.
void info(const QString& file, QTextStream& out);

// The live records in file order as CSV: a header row of field names, null as an empty cell,
// dates as yyyy-mm-dd, numbers with '.' and the field's decimals.
// With a filter expression only the records that pass it, under the given filter options.
void dump(const QString& file, QTextStream& out, const QString& filter = QString(), int filterOptions = 0);

// Creates the table from "NAME:C:20,NC:N:19:4,DAT:D" and appends the rows of a CSV text (header
// row of field names; the conventions of dump). Returns the number of records appended.
int create(const QString& file, const QString& fieldSpec, const QString& csvText);

// Runs a command line (without the program name); messages of failures go to err.
int run(const QStringList& arguments, QTextStream& out, QTextStream& err);

} // namespace kvor::dbftool
