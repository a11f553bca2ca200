#include "server/SqlText.h"

#include "platform/EmptyDate.h"
#include "tablestore/DsDataSet.h"

#include <QRegularExpression>

namespace kvor::sql {

namespace {

QString escaped(const QString& value, QChar quote) {
    QString out;
    out.reserve(value.size() + 8);
    for (QChar c : value) {
        if (c == u'\\' || c == quote) out += c;
        out += c;
    }
    return out;
}

} // namespace

QString text(const QString& value) {
    return u'\'' + escaped(value, u'\'') + u'\'';
}

QString doubleQuotedBody(const QString& value) {
    return escaped(value, u'"');
}

QString doubleQuoted(const QString& value) {
    return u'"' + escaped(value, u'"') + u'"';
}

QString decimalDigits(const TField& field) {
    // The text goes into the statement unquoted, so it must be a number and nothing else.
    static const QRegularExpression number(QStringLiteral("^[-+]?[0-9]*(\\.[0-9]*)?([eE][-+]?[0-9]+)?$"));
    QString digits = field.AsString().replace(u',', u'.');
    if (!number.match(digits).hasMatch() || digits == u"." || digits == u"-" || digits == u"+")
        throw EConvertError(QStringLiteral("'%1' není platné číslo.").arg(field.AsString()));
    return digits;
}

QString date(const QDate& value) {
    QDate d = isEmptyDate(value) ? emptyDate() : value;
    return text(QStringLiteral("%1-%2-%3").arg(d.year()).arg(d.month()).arg(d.day()));
}

QString date(const TField& field) {
    return date(field.AsDateTime().date());
}

QString count(const TField& field) {
    return text(field.AsString());
}

} // namespace kvor::sql
