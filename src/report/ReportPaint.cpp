#include "report/ReportPaint.h"

#include "report/ReportFonts.h"

#include <QFontMetricsF>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QTextLayout>
#include <optional>

namespace kvor {

namespace {

int textFlags(const TPrimitive& p) {
    int flags = Qt::AlignTop;
    switch (p.Alignment) {
    case TAlignment::Left:
        flags |= Qt::AlignLeft;
        break;
    case TAlignment::Right:
        flags |= Qt::AlignRight;
        break;
    case TAlignment::Center:
        flags |= Qt::AlignHCenter;
        break;
    }
    flags |= p.WordWrap ? int(Qt::TextWordWrap) : int(Qt::TextSingleLine);
    return flags;
}

// One line of a fixed box as far as it shows: x from the box's left edge, baseline from its top.
struct VisibleLine {
    QString text;
    double x = 0;
    double baseline = 0;
};

// The lines of a fixed box, wrapped at words, without the lines below the box and the characters
// beyond its right edge. A clip alone would hide them on paper but leave them in a PDF file as
// text that readers and searches still find. The first line shows even in a box lower than it.
QList<VisibleLine> visibleLines(const TPrimitive& p, const QFont& font) {
    const double width = p.Box.width() * reportUnitsPerMm, height = p.Box.height() * reportUnitsPerMm;
    const QFontMetricsF metrics(font);
    QTextLayout layout(p.Text, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WordWrap);
    layout.setTextOption(option);
    QList<VisibleLine> lines;
    double y = 0;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        if (!lines.isEmpty() && y + line.height() > height + 0.5) break;
        QString text = p.Text.mid(line.textStart(), line.textLength());
        while (text.endsWith(u' ') || text.endsWith(u'\n'))
            text.chop(1);
        while (!text.isEmpty() && metrics.horizontalAdvance(text) > width + 0.5)
            text.chop(1);
        const double free = width - metrics.horizontalAdvance(text);
        double x = 0;
        if (p.Alignment == TAlignment::Right)
            x = free;
        else if (p.Alignment == TAlignment::Center)
            x = free / 2;
        lines.append({text, x, y + line.ascent()});
        y += line.height();
    }
    layout.endLayout();
    return lines;
}

QRectF units(const QRectF& mm) {
    return QRectF(mm.x() * reportUnitsPerMm, mm.y() * reportUnitsPerMm, mm.width() * reportUnitsPerMm,
                  mm.height() * reportUnitsPerMm);
}

void paintText(QPainter& painter, const TPrimitive& p) {
    const QRectF box = units(p.Box);
    painter.save();
    painter.setFont(reportQFont(p.Font));
    painter.setPen(Qt::black);
    if (p.Kind == TPrimitiveKind::RotatedText) {
        // Reads from bottom to top: the text's left end at the box's bottom.
        painter.setClipRect(box, Qt::IntersectClip);
        if (p.Opaque) painter.fillRect(box, Qt::white);
        painter.translate(box.left(), box.bottom());
        painter.rotate(-90);
        painter.drawText(QRectF(0, 0, box.height(), box.width()), textFlags(p), p.Text);
    } else if (p.WordWrap) {
        painter.setClipRect(box, Qt::IntersectClip);
        if (p.Opaque) painter.fillRect(box, Qt::white);
        for (const VisibleLine& line : visibleLines(p, painter.font()))
            painter.drawText(QPointF(box.left() + line.x, box.top() + line.baseline), line.text);
    } else {
        // Auto-sized: the box is the text's own extent, placed by the renderer.
        if (p.Opaque) painter.fillRect(box, Qt::white);
        painter.drawText(box, (textFlags(p) & ~Qt::AlignHorizontal_Mask) | Qt::AlignLeft | Qt::TextDontClip,
                         p.Text);
    }
    painter.restore();
}

// Largest picture that is turned into rectangles; bigger ones are drawn as pictures.
constexpr qsizetype maxVectorPixels = 1024 * 1024;

// The black areas of a picture that holds only black and white pixels, as rectangles in
// picture pixels: runs of a row, merged with the rows below that have the same runs (so a bar
// is one rectangle). Nothing when the picture has any other colour.
std::optional<QList<QRect>> blackAreas(const QImage& picture) {
    if (picture.hasAlphaChannel() || qsizetype(picture.width()) * picture.height() > maxVectorPixels)
        return {};
    const QImage image = picture.convertToFormat(QImage::Format_RGB32);
    QList<QRect> areas;
    QList<QRect> open; // the runs of the previous row, still growing downwards
    QList<QPair<int, int>> runs, previous;
    for (int y = 0; y < image.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        runs.clear();
        for (int x = 0; x < image.width();) {
            const QRgb c = row[x] & 0xffffff;
            if (c == 0xffffff) {
                ++x;
                continue;
            }
            if (c != 0) return {};
            const int start = x;
            while (x < image.width() && (row[x] & 0xffffff) == 0)
                ++x;
            runs.append({start, x - start});
        }
        if (y > 0 && runs == previous) {
            for (QRect& r : open)
                r.setHeight(r.height() + 1);
            continue;
        }
        areas += open;
        open.clear();
        for (const auto& [start, length] : runs)
            open.append(QRect(start, y, length, 1));
        previous = runs;
    }
    areas += open;
    return areas;
}

void paintImage(QPainter& painter, const TPrimitive& p) {
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.setClipRect(units(p.Box), Qt::IntersectClip);
    const QRectF target = units(p.ImageRect);
    if (const auto areas = blackAreas(p.Image)) {
        // Bars as filled rectangles: sharp on every device, and neither resampled nor compressed
        // with losses on the way to a PDF file or a printer.
        const double sx = target.width() / p.Image.width(), sy = target.height() / p.Image.height();
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.fillRect(target, Qt::white);
        for (const QRect& r : *areas)
            painter.fillRect(
                QRectF(target.x() + r.x() * sx, target.y() + r.y() * sy, r.width() * sx, r.height() * sy),
                Qt::black);
    } else {
        painter.drawImage(target, p.Image);
    }
    painter.restore();
}

void paintShape(QPainter& painter, const TPrimitive& p) {
    painter.save();
    QPen pen(Qt::black, p.PenWidth * reportUnitsPerMm, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    const QRectF box = units(p.Box);
    if (p.Kind == TPrimitiveKind::Rectangle)
        painter.drawRect(box);
    else
        painter.drawLine(box.topLeft(), box.bottomRight());
    painter.restore();
}

} // namespace

void paintPage(QPainter& painter, const TRenderedPage& page, double dotsPerMm) {
    painter.save();
    painter.scale(dotsPerMm / reportUnitsPerMm, dotsPerMm / reportUnitsPerMm);
    for (const TPrimitive& p : page.Items) {
        switch (p.Kind) {
        case TPrimitiveKind::Text:
        case TPrimitiveKind::RotatedText:
            paintText(painter, p);
            break;
        case TPrimitiveKind::Image:
            paintImage(painter, p);
            break;
        case TPrimitiveKind::Rectangle:
        case TPrimitiveKind::Line:
            paintShape(painter, p);
            break;
        }
    }
    painter.restore();
}

namespace {

QPageLayout reportPageLayout(const TRenderedReport& report) {
    return QPageLayout(QPageSize(report.PaperSize, QPageSize::Millimeter), QPageLayout::Portrait,
                       QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
}

// Paints every page on a device that is already set up; newPage() starts the next page.
template <class Device> void paintPages(const TRenderedReport& report, Device& device, QPainter& painter) {
    const double dotsPerMm = device.resolution() / 25.4;
    for (int i = 0; i < report.pageCount(); ++i) {
        if (i > 0) device.newPage();
        paintPage(painter, report.Pages[i], dotsPerMm);
    }
}

} // namespace

void exportPdf(const TRenderedReport& report, const QString& fileName) {
    QPdfWriter writer(fileName);
    writer.setTitle(report.Title);
    writer.setCreator(QStringLiteral("Kvor Pro"));
    writer.setResolution(1200);
    writer.setPageLayout(reportPageLayout(report));
    QPainter painter;
    if (!painter.begin(&writer)) throw EReportError(QStringLiteral("Soubor %1 nelze zapsat.").arg(fileName));
    paintPages(report, writer, painter);
    if (!painter.end()) throw EReportError(QStringLiteral("Soubor %1 nelze zapsat.").arg(fileName));
}

void setReportPaper(QPrinter& printer, const TRenderedReport& report) {
    printer.setFullPage(true);
    if (!printer.setPageLayout(reportPageLayout(report))) {
        // The printer does not take the paper without margins: its own sheet of the report's size
        // with its smallest margins. The page is painted from the paper's corner all the same, so
        // every position of the layout stays where it was designed.
        const QPageLayout current = printer.pageLayout();
        const QPageLayout fallback(QPageSize(report.PaperSize, QPageSize::Millimeter), QPageLayout::Portrait,
                                   current.minimumMargins(), current.units(), current.minimumMargins());
        printer.setPageLayout(fallback);
    }
    const QSizeF paper = printer.pageLayout().pageSize().size(QPageSize::Millimeter);
    const bool portrait = printer.pageLayout().orientation() == QPageLayout::Portrait;
    if (!portrait || qAbs(paper.width() - report.PaperSize.width()) > 1.0 ||
        qAbs(paper.height() - report.PaperSize.height()) > 1.0)
        throw EReportError(
            QStringLiteral("Tiskárna %1 netiskne na papír A4 na výšku.").arg(printer.printerName()));
}

void preparePrinter(QPrinter& printer, const TRenderedReport& report) {
    setReportPaper(printer, report);
    printer.setCopyCount(std::max(1, report.Copies));
    printer.setDuplex(report.Duplex ? QPrinter::DuplexLongSide : QPrinter::DuplexNone);
    printer.setDocName(report.Title);
}

void printReport(const TRenderedReport& report, QPrinter& printer) {
    // The pages chosen in the printer dialog, 1-based; all pages unless a range was chosen.
    int first = 1, last = report.pageCount();
    if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
        first = std::max(first, printer.fromPage());
        last = std::min(last, printer.toPage() > 0 ? printer.toPage() : last);
    }
    if (first > last) throw EReportError(QStringLiteral("Zvolené stránky sestava nemá."));
    QPainter painter;
    if (!painter.begin(&printer)) throw EReportError(QStringLiteral("Tisk nelze zahájit."));
    const double dotsPerMm = printer.resolution() / 25.4;
    for (int page = first; page <= last; ++page) {
        if (page > first) printer.newPage();
        paintPage(painter, report.Pages[page - 1], dotsPerMm);
    }
    if (!painter.end()) throw EReportError(QStringLiteral("Tisk se nepodařilo dokončit."));
}

} // namespace kvor
