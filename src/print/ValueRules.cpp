#include "print/ValueRules.h"

#include <cmath>

namespace kvor {

namespace {

using namespace Qt::StringLiterals;
using enum TLayoutColumn;

// An empty text in a column: the code leaves the layout's starting text.
const QString same;

struct PurposeRow {
    QChar code;
    QString requestForm, potatoForm, labelSheet;
};

// ZADOST_O          request form                                  seed potato form label sheet
const PurposeRow purposeRows[] = {
    {u'U', u"první uznání osiva"_s, u"první uznání sadby"_s, u"první uznání osiva"_s},
    {u'1', u"uznání po úpravě osiva"_s, u"uznání po úpravě osiva"_s, u"uznání po úpravě osiva"_s},
    {u'P', u"ověření jakosti přeskladněného osiva"_s, u"ověření jakosti přeskladněného osiva"_s,
     u"ověření jakosti přeskladněného osiva"_s},
    {u'D', u"dovoz"_s, u"dovoz"_s, u"dovoz"_s},
    {u'I', u"informativní"_s, u"informativní"_s, u"informativní"_s},
    {u'O', u"opakované vzorkování"_s, same, u"opakované vzorkování"_s},
    {u'E', u"uznání osiva ze země ES"_s, same, same},
    {u'3', u"uznání osiva ze třetí země s ekvivalencí"_s, same, same},
    {u'B', u"uznání bez manipulace s osivem"_s, same, same},
};

const QString certified = u"Certifikovaný rozmnožovací materiál "_s;
const QString basic = u"Základní rozmnožovací materiál "_s;
const QString preBasic = u"Rozmnožovací materiál předstupňů "_s;

struct CategoryRow {
    QChar first;
    QString requestForm, potatoForm, labelSheet;
};

// first character of STUPEN, then the text that starts from empty
const CategoryRow categoryRows[] = {
    {u'C', certified, certified, certified}, {u'E', basic, basic, basic},
    {u'S', preBasic, basic, basic},          {u'A', certified, certified, same},
    {u'B', certified, certified, same},      {u'H', certified, certified, certified},
};

template <class Row> const QString& column(const Row& row, TLayoutColumn layout) {
    switch (layout) {
    case RequestForm:
        return row.requestForm;
    case PotatoForm:
        return row.potatoForm;
    case LabelSheet:
        break;
    }
    return row.labelSheet;
}

} // namespace

QString printedLotNumber(const QString& partiecela) {
    return partiecela.mid(1, 12) + u'/' + partiecela.right(2);
}

QString purposeText(const QString& zadostO, TLayoutColumn layout) {
    for (const PurposeRow& row : purposeRows)
        if (zadostO == QString(row.code)) {
            const QString& text = column(row, layout);
            return text.isEmpty() ? kPurposeDesignText : text;
        }
    return kPurposeDesignText;
}

QString categoryText(const QString& stupen, TLayoutColumn layout) {
    if (stupen.isEmpty()) return {};
    for (const CategoryRow& row : categoryRows)
        if (stupen.front() == row.first) return column(row, layout);
    return {};
}

QString labelTypeText(const QString& typNa) {
    if (typNa == u"I") return QStringLiteral("ISTA");
    if (typNa == u"O") return QStringLiteral("OECD");
    return kLabelTypeDesignText;
}

QString yesNoText(const QString& value) {
    return value == u"A" ? QStringLiteral("ano") : QStringLiteral("ne");
}

QString lotOriginLine(const QString& czp, const QString& zahrPartie) {
    if (!czp.isEmpty()) return QStringLiteral("CZE  ") + czp;
    if (!zahrPartie.isEmpty()) return QStringLiteral("Zahr.partie  ") + zahrPartie;
    return {};
}

bool roundsToNonZero(double value) {
    // nearbyint rounds in the current mode, to nearest with halves to even unless changed.
    return std::nearbyint(value) != 0.0;
}

bool samplingDatePrints(const QDate& date, const QDate& limit) {
    return date.isValid() && date >= limit;
}

} // namespace kvor
