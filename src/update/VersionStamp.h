#pragma once
// Release stamps of the update check: the stamp the vendor publishes in the version file, the
// stamp of the running program's own file, their comparison and the log of both.
//
// A stamp reads "yyyy-mm-dd hh:nn:ss" (19 characters). Two stamps are compared as the digit strings
// left when blanks, '-' and ':' are removed, in character order; a stamp that deviates from the
// form (a one-digit month) therefore compares as its digits say, not as its date would.
#include "platform/KvorError.h"

#include <QByteArray>
#include <QString>

namespace kvor {

// The version file is unusable (fewer than two lines), or the log cannot be written.
class EUpdateError : public EKvorError {
public:
    using EKvorError::EKvorError;
};

namespace stamp {

inline constexpr int kLength = 19;

// The published stamp: the first 19 characters of the third TAB-separated field of the second line.
// Too few fields give an empty stamp; fewer than two lines raise EUpdateError.
QString published(const QByteArray& versionFile);

// The last-modified time of the file in local time, in stamp form; empty when the file is missing.
QString ofFile(const QString& path);

// The stamp without blanks, '-' and ':'.
QString digits(const QString& stamp);

// Whether the published stamp is later than the program's, as digit strings in character order.
bool isNewer(const QString& publishedStamp, const QString& programStamp);

// Rewrites the log with the two stamps ("Verze programu: ", "Verze internet: "), CR LF, Windows-1250.
void writeLog(const QString& path, const QString& programStamp, const QString& publishedStamp);

} // namespace stamp
} // namespace kvor
