#pragma once
// The editing rules of a request that do not depend on a window: lot numbers, dates, the
// request number, and the code lists of the fixed drop-down lists.
#include <QDate>
#include <QList>
#include <QString>

namespace kvor {

struct LotNumbers {
    QString prihlaska; // application number, zero-padded to five
    QString dil;       // part number, zero-padded to two
    bool derived = false;
    QString partiecela; // yy-PODNIK-PRIHLASKA-DIL, only when derived
    QString partie;     // yyPRIHLASKADIL, only when derived
};

// Pads PRIHLASKA and DIL; derives the full and the short lot number when both ROK and PODNIK
// are known (otherwise the caller keeps the numbers it has).
LotNumbers deriveLotNumbers(const QString& rok, const QString& podnik, const QString& prihlaska,
                            const QString& dil);

// A sampling date before 11.11.1999 (the empty date included) is stored as 1.1.1900.
QDate fixSamplingDate(const QDate& samplingDate);
// A request date before 1.1.1900 (the empty date included) is stored as 1.1.1900.
QDate fixRequestDate(const QDate& requestDate);

// The request number: company ICO, "33", the id in decimal padded to at least eight digits.
QString requestNumber(const QString& ico, qint64 id);

// The loaded-request key that decides whether a save is a new request.
QString requestKey(const QString& partiecela, const QString& zadostO);

// Whether the remaining quantity follows the quantity: not for a result number marked "N".
bool remainingFollowsQuantity(const QString& ulc);

// A text cut to the width of a character field.
QString cutToWidth(const QString& text, int width);

// Shown text and stored code of the fixed lists.
struct CodeItem {
    QString shown;
    QString code;
};
const QList<CodeItem>& requestKinds(); // ZADOST_O
const QList<CodeItem>& labelKinds();   // TYP_NA

} // namespace kvor
