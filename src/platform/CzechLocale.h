#pragma once
// Regional settings of the program: Czech, whatever the machine says.
// Short date d.M.yyyy, long time H:mm:ss, decimal comma, Czech collation.
#include <QCollator>
#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QString>
#include <optional>

namespace kvor::czech {

const QLocale& locale();

inline constexpr QChar decimalSeparator = u',';
inline constexpr QChar dateSeparator = u'.';
inline constexpr QChar timeSeparator = u':';
inline const char* const shortDateFormat = "d.M.yyyy";
inline const char* const longTimeFormat = "H:mm:ss";

// Numbers in general format: up to 15 significant digits, no trailing zeros, decimal comma
// ("12,5", "3", "0,1", "1E20" for very large values).
QString formatFloat(double value);
// Fixed-point text with the given decimals and the decimal comma ("012,5" is not produced).
QString formatFixed(double value, int decimals);
// Parses a number typed by the user: optional blanks and sign, digits with a decimal comma
// (a '.' is taken as the decimal point when there is no comma), an optional exponent.
std::optional<double> parseFloat(QStringView text);

QString formatDate(const QDate& date);         // d.M.yyyy
QString formatTime(const QTime& time);         // H:mm:ss
QString formatDateTime(const QDateTime& when); // date, and the time when it is not midnight
std::optional<QDate> parseDate(QStringView text);
std::optional<QTime> parseTime(QStringView text);
std::optional<QDateTime> parseDateTime(QStringView text);

// Collation: "ch" after "h", diacritics ordered as in Czech dictionaries.
int compare(QStringView a, QStringView b, bool caseInsensitive = false);
QString upper(const QString& text);
QString lower(const QString& text);

} // namespace kvor::czech
