#pragma once
// Painting rendered pages with QPainter: on the screen, a printer or a PDF file.
#include "report/ReportRender.h"

class QPainter;
class QPrinter;

namespace kvor {

// Paints one page with its top-left paper corner at the painter's origin, at the given device
// pixels per millimetre. Pictures are drawn without smoothing, so bars stay sharp.
void paintPage(QPainter& painter, const TRenderedPage& page, double dotsPerMm);

// Writes the pages to an A4 PDF file. Raises EReportError when the file cannot be written.
void exportPdf(const TRenderedReport& report, const QString& fileName);

// Sets a printer up for a report: paper of the report's size with no margins, portrait, the
// report's copies and two-sided printing when the report asks for it.
void preparePrinter(QPrinter& printer, const TRenderedReport& report);
// Prints the pages on a printer as it is set up. Raises EReportError when printing cannot start.
void printReport(const TRenderedReport& report, QPrinter& printer);

} // namespace kvor
