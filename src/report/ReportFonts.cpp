#include "report/ReportFonts.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <mutex>

namespace kvor {

namespace {

struct FontChoice {
    const char* design;
    const char* installed;
};

constexpr FontChoice fontChoices[] = {
    {"Arial", "Liberation Sans"},
    {"Arial CE", "Liberation Sans"},
    {"Tahoma", "DejaVu Sans"},
};

} // namespace

void installReportFonts() {
    static std::once_flag once;
    std::call_once(once, [] {
        for (const FontChoice& c : fontChoices)
            QFont::insertSubstitution(QString::fromLatin1(c.design), QString::fromLatin1(c.installed));
    });
}

QString reportFontFamily(const QString& designName) {
    for (const FontChoice& c : fontChoices)
        if (designName.compare(QLatin1String(c.design), Qt::CaseInsensitive) == 0)
            return QString::fromLatin1(c.installed);
    return designName;
}

QFont reportQFont(const TReportFont& font) {
    installReportFonts();
    QFont f(reportFontFamily(font.Name));
    // Points to hundredths of a millimetre: 1 pt = 25.4 / 72 mm.
    f.setPixelSize(std::max(1, qRound(font.Size * 25.4 / 72.0 * reportUnitsPerMm)));
    f.setBold(font.Bold);
    f.setItalic(font.Italic);
    // Hinting would fit glyphs to a pixel grid that does not exist at this scale and change widths.
    f.setHintingPreference(QFont::PreferNoHinting);
    f.setStyleStrategy(QFont::PreferOutline);
    return f;
}

double reportTextWidth(const TReportFont& font, const QString& text) {
    QFontMetricsF metrics(reportQFont(font));
    return metrics.horizontalAdvance(text) / reportUnitsPerMm;
}

double reportLineHeight(const TReportFont& font) {
    QFontMetricsF metrics(reportQFont(font));
    return metrics.height() / reportUnitsPerMm;
}

} // namespace kvor
