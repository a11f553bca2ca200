#include "report/ReportFonts.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <mutex>

namespace kvor {

namespace {

// A design name and the faces that print it, best first: the real faces, then the packaged one.
struct FontChoice {
    const char* design;
    std::initializer_list<const char*> faces;
};

const FontChoice fontChoices[] = {
    {"Arial", {"Arial", "Liberation Sans"}},
    {"Arial CE", {"Arial CE", "Arial", "Liberation Sans"}},
    {"Tahoma", {"Tahoma", "DejaVu Sans Condensed"}},
};

QString installedFace(const FontChoice& choice) {
    const QStringList families = QFontDatabase::families();
    for (const char* face : choice.faces)
        if (families.contains(QLatin1String(face), Qt::CaseInsensitive)) return QString::fromLatin1(face);
    // None installed: the last is the face the program is packaged with.
    return QString::fromLatin1(*(choice.faces.end() - 1));
}

struct Mapping {
    QString design;
    QString installed;
};

const QList<Mapping>& mappings() {
    static const QList<Mapping> list = [] {
        QList<Mapping> out;
        for (const FontChoice& c : fontChoices)
            out.append({QString::fromLatin1(c.design), installedFace(c)});
        return out;
    }();
    return list;
}

} // namespace

void installReportFonts() {
    static std::once_flag once;
    std::call_once(once, [] {
        for (const Mapping& m : mappings())
            if (m.design != m.installed) QFont::insertSubstitution(m.design, m.installed);
    });
}

QString reportFontFamily(const QString& designName) {
    for (const Mapping& m : mappings())
        if (designName.compare(m.design, Qt::CaseInsensitive) == 0) return m.installed;
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
