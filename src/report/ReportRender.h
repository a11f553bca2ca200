#pragma once
// Rendering: a report bound to its table becomes pages of positioned primitives in
// millimetres. The band and print hooks run while rendering, so a report may be rendered more
// than once (the preview and every print) and gives the same pages each time.
#include "report/ReportModel.h"

#include <QImage>
#include <QLineF>
#include <QList>
#include <QRectF>
#include <QSizeF>
#include <QString>

class QIODevice;

namespace kvor {

// Where a band went; kept for the tests and for whoever wants to know what printed where.
struct TBandPlacement {
    QString Band;
    int Page = 0;   // 0-based
    int Column = 0; // 0-based
    QRectF Rect;    // millimetres on the page
    int Record = 0; // 1-based record of the report's table, 0 for none
    TBandPrint Print = TBandPrint::Print;
    bool operator==(const TBandPlacement&) const = default;
};

struct TRenderedPage {
    QList<TPrimitive> Items;
    bool operator==(const TRenderedPage&) const = default;
};

struct TRenderedReport {
    QString Title;
    QSizeF PaperSize{210.0, 297.0};
    bool Duplex = false;
    int Copies = 1;
    QList<TRenderedPage> Pages;
    QList<TBandPlacement> Bands;

    int pageCount() const { return int(Pages.size()); }
    // The primitives of an element on a page; empty when it printed nothing there.
    QList<TPrimitive> find(int page, const QString& name) const;

    // The rendered report as a file that the preview can load again. Raise EReportError.
    void save(const QString& fileName) const;
    static TRenderedReport load(const QString& fileName);
    void write(QIODevice& device) const;
    static TRenderedReport read(QIODevice& device);

    bool operator==(const TRenderedReport& other) const;
};

// Renders the report over its table: the table is read from its first record on, and the
// current record is restored afterwards. Database errors of the table pass through.
TRenderedReport renderReport(TReport& report);

} // namespace kvor
