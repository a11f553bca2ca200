#include "app/RequestRules.h"

#include "platform/EmptyDate.h"

namespace kvor {

namespace {
QString padZeros(const QString& text, int width) {
    return text.rightJustified(width, u'0', false);
}
} // namespace

LotNumbers deriveLotNumbers(const QString& rok, const QString& podnik, const QString& prihlaska,
                            const QString& dil) {
    LotNumbers lot;
    lot.prihlaska = padZeros(prihlaska, 5);
    lot.dil = padZeros(dil, 2);
    if (!rok.isEmpty() && !podnik.isEmpty()) {
        const QString yy = rok.right(2);
        lot.derived = true;
        lot.partiecela = yy + u'-' + podnik + u'-' + lot.prihlaska + u'-' + lot.dil;
        lot.partie = yy + lot.prihlaska + lot.dil;
    }
    return lot;
}

QDate fixSamplingDate(const QDate& samplingDate) {
    if (isEmptyDate(samplingDate) || samplingDate < QDate(1999, 11, 11)) return QDate(1900, 1, 1);
    return samplingDate;
}

QDate fixRequestDate(const QDate& requestDate) {
    if (isEmptyDate(requestDate) || requestDate < QDate(1900, 1, 1)) return QDate(1900, 1, 1);
    return requestDate;
}

QString requestNumber(const QString& ico, qint64 id) {
    return ico + QStringLiteral("33") + padZeros(QString::number(id), 8);
}

QString requestKey(const QString& partiecela, const QString& zadostO) {
    return partiecela + u'-' + zadostO;
}

bool remainingFollowsQuantity(const QString& ulc) {
    return !ulc.contains(u'N');
}

QString cutToWidth(const QString& text, int width) {
    return width > 0 ? text.left(width) : text;
}

const QList<CodeItem>& requestKinds() {
    static const QList<CodeItem> kinds{
        {QStringLiteral("první uznání osiva"), QStringLiteral("U")},
        {QStringLiteral("opakované vzorkování"), QStringLiteral("O")},
        {QStringLiteral("uznání po úpravě osiva"), QStringLiteral("1")},
        {QStringLiteral("ověření jakosti"), QStringLiteral("P")},
        {QStringLiteral("dovoz"), QStringLiteral("D")},
        {QStringLiteral("informativní"), QStringLiteral("I")},
        {QStringLiteral("uznání osiva ze země ES"), QStringLiteral("E")},
        {QStringLiteral("uznání osiva ze třetí země s ekvivalencí"), QStringLiteral("3")},
        {QStringLiteral("uznání bez manipulace s osivem"), QStringLiteral("B")},
    };
    return kinds;
}

const QList<CodeItem>& labelKinds() {
    static const QList<CodeItem> kinds{
        {QStringLiteral("tuzemská"), QStringLiteral("t")},
        {QStringLiteral("OECD"), QStringLiteral("O")},
        {QStringLiteral("ISTA"), QStringLiteral("I")},
    };
    return kinds;
}

} // namespace kvor
