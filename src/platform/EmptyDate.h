#pragma once
// The empty date of the tables, the settings and the server values: day zero, 30 December 1899.
#include <QDate>
#include <QDateTime>

namespace kvor {

inline QDate emptyDate() {
    return QDate(1899, 12, 30);
}
inline bool isEmptyDate(const QDate& d) {
    return !d.isValid() || d == emptyDate();
}
inline bool isEmptyDate(const QDateTime& dt) {
    return !dt.isValid() || dt.date() == emptyDate();
}

// Days since the empty date, the day count of a date-time value.
inline qint64 emptyDateDays(const QDate& d) {
    return emptyDate().daysTo(d);
}

} // namespace kvor
