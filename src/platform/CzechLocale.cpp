#include "platform/CzechLocale.h"

#include <QRegularExpression>
#include <cmath>

namespace kvor::czech {

const QLocale& locale() {
    static const QLocale czech(QLocale::Czech, QLocale::CzechRepublic);
    return czech;
}

QString formatFloat(double value) {
    if (std::isnan(value) || std::isinf(value)) return QString::number(value);
    QString text = QString::number(value, 'g', 15);
    if (text.contains(u'e')) {
        // 1e+20 -> 1E20, 1.5e-07 -> 1,5E-7 (the exponent without padding or plus sign)
        qsizetype e = text.indexOf(u'e');
        QString mantissa = text.left(e);
        int exponent = text.mid(e + 1).toInt();
        text = mantissa + u'E' + QString::number(exponent);
    }
    text.replace(u'.', decimalSeparator);
    return text;
}

QString formatFixed(double value, int decimals) {
    // A value that rounds to zero prints without a sign ("-0,00" would confuse the reader).
    if (std::abs(value) < 0.5 * std::pow(10.0, -decimals)) value = 0.0;
    QString text = QString::number(value, 'f', decimals);
    text.replace(u'.', decimalSeparator);
    return text;
}

std::optional<double> parseFloat(QStringView text) {
    QString t = text.trimmed().toString();
    if (t.isEmpty()) return std::nullopt;
    if (t.contains(decimalSeparator)) {
        if (t.contains(u'.')) return std::nullopt;
        t.replace(decimalSeparator, u'.');
    }
    static const QRegularExpression number(QStringLiteral("^[+-]?(\\d+\\.?\\d*|\\.\\d+)([eE][+-]?\\d+)?$"));
    if (!number.match(t).hasMatch()) return std::nullopt;
    bool ok = false;
    double v = t.toDouble(&ok);
    if (!ok) return std::nullopt;
    return v;
}

QString formatDate(const QDate& date) {
    return date.isValid() ? date.toString(QLatin1String(shortDateFormat)) : QString();
}

QString formatTime(const QTime& time) {
    return time.isValid() ? time.toString(QLatin1String(longTimeFormat)) : QString();
}

QString formatDateTime(const QDateTime& when) {
    if (!when.isValid()) return QString();
    if (when.time() == QTime(0, 0)) return formatDate(when.date());
    return formatDate(when.date()) + u' ' + formatTime(when.time());
}

std::optional<QDate> parseDate(QStringView text) {
    static const QRegularExpression pattern(
        QStringLiteral("^\\s*(\\d{1,2})\\.\\s*(\\d{1,2})\\.\\s*(\\d{1,4})\\s*$"));
    auto m = pattern.match(text);
    if (!m.hasMatch()) return std::nullopt;
    int year = m.captured(3).toInt();
    if (m.captured(3).size() <= 2)
        year += year < 50 ? 2000 : 1900; // two-digit years: 00-49 this century, 50-99 the last
    QDate d(year, m.captured(2).toInt(), m.captured(1).toInt());
    if (!d.isValid()) return std::nullopt;
    return d;
}

std::optional<QTime> parseTime(QStringView text) {
    static const QRegularExpression pattern(
        QStringLiteral("^\\s*(\\d{1,2}):(\\d{1,2})(?::(\\d{1,2}))?\\s*$"));
    auto m = pattern.match(text);
    if (!m.hasMatch()) return std::nullopt;
    QTime t(m.captured(1).toInt(), m.captured(2).toInt(),
            m.captured(3).isEmpty() ? 0 : m.captured(3).toInt());
    if (!t.isValid()) return std::nullopt;
    return t;
}

std::optional<QDateTime> parseDateTime(QStringView text) {
    QStringView t = text.trimmed();
    qsizetype space = t.indexOf(u' ');
    if (space < 0) {
        auto d = parseDate(t);
        if (!d) return std::nullopt;
        return QDateTime(*d, QTime(0, 0));
    }
    auto d = parseDate(t.left(space));
    auto tm = parseTime(t.mid(space + 1));
    if (!d || !tm) return std::nullopt;
    return QDateTime(*d, *tm);
}

namespace {
QCollator makeCollator(Qt::CaseSensitivity cs) {
    QCollator c(locale());
    c.setCaseSensitivity(cs);
    c.setNumericMode(false);
    c.setIgnorePunctuation(false);
    return c;
}
} // namespace

int compare(QStringView a, QStringView b, bool caseInsensitive) {
    static const QCollator sensitive = makeCollator(Qt::CaseSensitive);
    static const QCollator insensitive = makeCollator(Qt::CaseInsensitive);
    int r = (caseInsensitive ? insensitive : sensitive).compare(a, b);
    return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

QString upper(const QString& text) {
    return locale().toUpper(text);
}
QString lower(const QString& text) {
    return locale().toLower(text);
}

} // namespace kvor::czech
