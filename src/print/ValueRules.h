#pragma once
// The rules by which the layouts turn request codes into printed text, written once for the
// request form, the seed potato request form and the label sheet. Where the layouts differ, the
// rule has one column per layout.
#include <QDate>
#include <QString>

namespace kvor {

enum class TLayoutColumn { RequestForm, PotatoForm, LabelSheet };

// Design text of the purpose element, printed where a layout's column has no entry for the code.
inline const QString kPurposeDesignText = QStringLiteral("první uznání osiva a sadby");
// Design text of the label type element.
inline const QString kLabelTypeDesignText = QStringLiteral("tuzemská");

// 1. The printed lot number: characters 2 to 13 of PARTIECELA, "/", its last two characters.
QString printedLotNumber(const QString& partiecela);
// 2. The purpose text of the request kind ZADOST_O.
QString purposeText(const QString& zadostO, TLayoutColumn layout);
// 3. The category text of the first character of STUPEN; empty for any other character.
QString categoryText(const QString& stupen, TLayoutColumn layout);
// 4. The label type of TYP_NA: "ISTA", "OECD" or the design text.
QString labelTypeText(const QString& typNa);
// 5. "ano" for "A", "ne" for anything else.
QString yesNoText(const QString& value);
// 6. The lot origin line of the request forms: "CZE  " CZP, else "Zahr.partie  " ZAHRPARTIE.
QString lotOriginLine(const QString& czp, const QString& zahrPartie);
// 7. and 8. A number taken to the nearest whole number, a half to the even neighbour, is not 0:
// the gross weight line shows, the second packaging count prints.
bool roundsToNonZero(double value);
// 9. Sampling dates before these print as an empty text; an unset date counts as earlier.
inline const QDate kSamplingDateLimit{2000, 11, 11};
inline const QDate kSamplingDateLimitPotatoPage2{1999, 11, 11};
bool samplingDatePrints(const QDate& date, const QDate& limit);

} // namespace kvor
