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

// Puts the report's paper (A4 portrait) into the printer: without margins, or where the printer
// refuses that, its own sheet of that size with its smallest margins; the layout is painted from
// the paper's corner either way. Raises EReportError when the printer takes no such paper.
void setReportPaper(QPrinter& printer, const TRenderedReport& report);
// Sets a printer up for a report: its paper (setReportPaper), the report's copies and two-sided
// printing when the report asks for it. Raises EReportError as setReportPaper.
void preparePrinter(QPrinter& printer, const TRenderedReport& report);
// Prints the pages chosen in the printer's page range (all without one) on a printer as it is set
// up. Raises EReportError when printing cannot start or cannot be finished, or when the range
// holds no page of the report.
void printReport(const TRenderedReport& report, QPrinter& printer);

} // namespace kvor
