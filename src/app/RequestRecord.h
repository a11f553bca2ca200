#pragma once
// The request record: the layout shared by zadost.dbf, zadost2.dbf and zadostex.dbf.
#include "tablestore/DsDataSet.h"

#include <QString>
#include <QStringList>

namespace kvor {

class TDsDatabase;

// The 117 fields in file order: texts as character fields of their width, numbers as N 19.4,
// dates as date fields.
const TFieldDefs& requestFieldDefs();

// Width of a text field of the request record; 0 for numbers, dates and unknown names.
int requestFieldWidth(const QString& fieldName);

// The tables of the request layout that the program keeps in its data folder.
QStringList requestTableNames(); // zadost.dbf, zadost2.dbf, zadostex.dbf

// Creates every request-layout table that is missing from the database's folder, empty.
// Existing files are left alone. Returns the names of the tables created.
QStringList createMissingRequestTables(TDsDatabase& database);

} // namespace kvor
