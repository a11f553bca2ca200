#pragma once
// How values are written into the SQL text that the client sends.
//
// Text values are single-quoted with every inner single quote doubled. The session runs with an
// empty sql_mode, where a backslash escapes inside quoted text, so every backslash is doubled too:
// no value can end its literal early, and the server stores exactly the value typed.
#include <QDate>
#include <QString>

namespace kvor {

class TField;

namespace sql {

// 'text' with every ' and every \ doubled.
QString text(const QString& value);
// The inside of a "..." literal: every " and every \ doubled.
QString doubleQuotedBody(const QString& value);
// "text" with every " and every \ doubled.
QString doubleQuoted(const QString& value);
// A decimal number: the field's text with "," made "." (the caller writes it after a "0", so an
// empty field gives 0 and 12,5 gives 012.5).
QString decimalDigits(const TField& field);
// A date: 'yyyy-m-d' without leading zeros; the empty date gives '1899-12-30'.
QString date(const QDate& value);
QString date(const TField& field);
// A count: the field's text as a text value; the server converts it.
QString count(const TField& field);

} // namespace sql
} // namespace kvor
