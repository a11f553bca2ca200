#pragma once
// Fonts of the layouts. The forms are designed for "Arial", "Arial CE" and "Tahoma". A design
// name prints with the real face whenever it is installed; otherwise with a Debian-packaged face
// chosen by measured text width: Liberation Sans has the metrics of Arial (equal advances, so
// geometry is kept exactly), and DejaVu Sans Condensed comes within a few per cent of Tahoma on
// Czech text (DejaVu Sans itself is 12-15 % wider). Every substitute has the Central European
// characters.
//
// The engine works in hundredths of a millimetre: a font's pixel size is its height in those
// units, so text measured while rendering and text painted on any device agree.
#include "report/ReportModel.h"

#include <QFont>

namespace kvor {

// Painter units per millimetre.
inline constexpr double reportUnitsPerMm = 100.0;

// Makes the design names resolve to the installed faces, also for fonts made elsewhere. Idempotent.
void installReportFonts();
// The installed family that prints a design font name.
QString reportFontFamily(const QString& designName);
// The font at its size in hundredths of a millimetre.
QFont reportQFont(const TReportFont& font);

// Advance width of one line of text, in millimetres.
double reportTextWidth(const TReportFont& font, const QString& text);
// Height of one line (ascent and descent), in millimetres.
double reportLineHeight(const TReportFont& font);

} // namespace kvor
