#include "report/ReportRender.h"

#include "report/ReportFonts.h"
#include "tablestore/DsDataSet.h"

#include <QDataStream>
#include <QFile>
#include <QSaveFile>

#include <cmath>

namespace kvor {

namespace {

// Bands are placed to a thousandth of a millimetre; sums of band heights must not spill over.
constexpr double placeTolerance = 0.001;

class Renderer {
public:
    Renderer(TReport& report, TRenderedReport& out) : m_report(report), m_page(report.Page), m_out(out) {}

    void run() {
        newPage();
        if (TReportBand* detail = m_report.Detail()) {
            if (TDataSet* ds = m_report.DataSet) {
                for (ds->First(); !ds->Eof(); ds->Next())
                    placeDetail(*detail, ds->RecNo());
            } else {
                // A report without a table is a form: its detail band prints once.
                placeDetail(*detail, 0);
            }
        }
        if (TReportBand* summary = m_report.Summary()) placeSummary(*summary);
    }

private:
    void newPage() {
        m_out.Pages.append(TRenderedPage{});
        m_column = 0;
        m_y = m_page.TopMargin;
        m_pageBottom = m_y;
        m_pageHasBands = false;
    }

    TBandPrint runHook(TReportBand& band) {
        TBandPrint print = TBandPrint::Print;
        if (band.BeforePrint) band.BeforePrint(band, print);
        return print;
    }

    bool fits(double height) const { return m_y + height <= m_page.printableBottom() + placeTolerance; }

    void placeDetail(TReportBand& band, int record) {
        TBandPrint print = runHook(band);
        if (print == TBandPrint::Skip) return;
        // A band taller than the column still goes at the top of a fresh one, so rendering ends.
        if (!fits(band.Height) && (m_y > m_page.TopMargin + placeTolerance)) {
            if (++m_column >= std::max(1, m_page.Columns)) {
                newPage();
            } else {
                m_y = m_page.TopMargin;
            }
        }
        const double colWidth = m_page.columnWidth();
        const double x = m_page.LeftMargin + m_column * colWidth;
        place(band, print, record, QRectF(x, m_y, band.Width > 0 ? band.Width : colWidth, band.Height));
    }

    void placeSummary(TReportBand& band) {
        TBandPrint print = runHook(band);
        if (print == TBandPrint::Skip) return;
        // Below everything printed on the page, across the columns.
        m_column = 0;
        m_y = m_pageBottom;
        if ((band.ForceNewPage && m_pageHasBands) || (!fits(band.Height) && m_pageHasBands)) newPage();
        const double width =
            band.Width > 0 ? band.Width : m_page.PaperWidth - m_page.LeftMargin - m_page.RightMargin;
        place(band, print, m_report.DataSet && m_report.DataSet->Active() ? m_report.DataSet->RecNo() : 0,
              QRectF(m_page.LeftMargin, m_y, width, band.Height));
    }

    void place(TReportBand& band, TBandPrint print, int record, const QRectF& rect) {
        const int page = int(m_out.Pages.size()) - 1;
        m_out.Bands.append(TBandPlacement{band.Name, page, m_column, rect, record, print});
        if (print == TBandPrint::Print) emitElements(band, rect.topLeft(), m_out.Pages.last());
        m_y = rect.bottom();
        m_pageBottom = std::max(m_pageBottom, m_y);
        m_pageHasBands = true;
    }

    void emitElements(TReportBand& band, QPointF origin, TRenderedPage& page) {
        TRenderTarget target{m_report, origin, page.Items};
        for (const auto& element : band.Elements())
            if (element->Enabled) element->render(target);
    }

    TReport& m_report;
    const TPageSetup m_page;
    TRenderedReport& m_out;
    int m_column = 0;
    double m_y = 0;
    double m_pageBottom = 0;
    bool m_pageHasBands = false;
};

// Keeps the table where the user left it: opened only for the rendering when it was closed,
// back on the record it stood on when it was open.
class TableGuard {
public:
    explicit TableGuard(TDataSet* ds) : m_ds(ds) {
        if (!m_ds) return;
        m_wasOpen = m_ds->Active();
        if (!m_wasOpen)
            m_ds->Open();
        else
            m_mark = m_ds->GetBookmark();
        m_ds->DisableControls();
    }
    ~TableGuard() {
        if (!m_ds) return;
        try {
            if (!m_wasOpen)
                m_ds->Close();
            else if (!m_mark.isEmpty())
                m_ds->GotoBookmark(m_mark);
        } catch (const std::exception&) {
            // The pages are made; a record that can no longer be found leaves the cursor elsewhere.
        }
        m_ds->EnableControls();
    }
    TableGuard(const TableGuard&) = delete;
    TableGuard& operator=(const TableGuard&) = delete;

private:
    TDataSet* m_ds;
    bool m_wasOpen = false;
    TBookmark m_mark;
};

constexpr char fileMagic[8] = {'K', 'V', 'O', 'R', 'R', 'P', 'T', '\x1a'};
constexpr quint32 fileVersion = 1;
// More than any layout makes; a larger count means the file is not a saved report.
constexpr qint32 sanityLimit = 1000000;
// Longer than any paper a printer takes, in millimetres.
constexpr double maxPaperMm = 10000.0;
// Larger than any font a layout uses, in points.
constexpr double maxFontPoints = 1000.0;

// Numbers a layout can make: a position or length on some paper (negative for a line that rises).
// Anything else (not a number, an infinity, a length of kilometres) marks a damaged file, and
// would otherwise reach the painter and the font engine as it stands.
bool isPlace(double mm) {
    return std::isfinite(mm) && std::abs(mm) <= maxPaperMm;
}
bool isPlace(const QRectF& r) {
    return isPlace(r.x()) && isPlace(r.y()) && isPlace(r.width()) && isPlace(r.height());
}

QDataStream& operator<<(QDataStream& s, const TReportFont& f) {
    return s << f.Name << f.Size << f.Bold << f.Italic;
}
QDataStream& operator>>(QDataStream& s, TReportFont& f) {
    s >> f.Name >> f.Size >> f.Bold >> f.Italic;
    if (!(f.Size >= 0 && f.Size <= maxFontPoints)) s.setStatus(QDataStream::ReadCorruptData);
    return s;
}

QDataStream& operator<<(QDataStream& s, const TPrimitive& p) {
    return s << qint32(p.Kind) << p.Name << p.Box << p.Text << p.Font << qint32(p.Alignment) << p.WordWrap
             << p.Opaque << p.Image << p.ImageRect << p.PenWidth;
}
QDataStream& operator>>(QDataStream& s, TPrimitive& p) {
    qint32 kind = 0, alignment = 0;
    s >> kind >> p.Name >> p.Box >> p.Text >> p.Font >> alignment >> p.WordWrap >> p.Opaque >> p.Image >>
        p.ImageRect >> p.PenWidth;
    if (kind < 0 || kind > qint32(TPrimitiveKind::Line) || alignment < 0 ||
        alignment > qint32(TAlignment::Center) || !isPlace(p.Box) || !isPlace(p.ImageRect) ||
        !isPlace(p.PenWidth))
        s.setStatus(QDataStream::ReadCorruptData);
    p.Kind = TPrimitiveKind(kind);
    p.Alignment = TAlignment(alignment);
    return s;
}

QDataStream& operator<<(QDataStream& s, const TBandPlacement& b) {
    return s << b.Band << qint32(b.Page) << qint32(b.Column) << b.Rect << qint32(b.Record) << qint32(b.Print);
}
QDataStream& operator>>(QDataStream& s, TBandPlacement& b) {
    qint32 page = 0, column = 0, record = 0, print = 0;
    s >> b.Band >> page >> column >> b.Rect >> record >> print;
    if (print < 0 || print > qint32(TBandPrint::Skip) || !isPlace(b.Rect))
        s.setStatus(QDataStream::ReadCorruptData);
    b.Page = page, b.Column = column, b.Record = record, b.Print = TBandPrint(print);
    return s;
}

template <class T> void writeList(QDataStream& s, const QList<T>& list) {
    s << qint32(list.size());
    for (const T& item : list)
        s << item;
}

template <class T> bool readList(QDataStream& s, QList<T>& list) {
    qint32 count = 0;
    s >> count;
    if (s.status() != QDataStream::Ok || count < 0 || count > sanityLimit) return false;
    list.clear();
    for (qint32 i = 0; i < count && s.status() == QDataStream::Ok; ++i) {
        T item;
        s >> item;
        list.append(std::move(item));
    }
    return s.status() == QDataStream::Ok;
}

} // namespace

bool TPrimitive::operator==(const TPrimitive& o) const {
    return Kind == o.Kind && Name == o.Name && Box == o.Box && Text == o.Text && Font == o.Font &&
           Alignment == o.Alignment && WordWrap == o.WordWrap && Opaque == o.Opaque && Image == o.Image &&
           ImageRect == o.ImageRect && PenWidth == o.PenWidth;
}

bool TRenderedReport::operator==(const TRenderedReport& o) const {
    return Title == o.Title && PaperSize == o.PaperSize && Duplex == o.Duplex && Copies == o.Copies &&
           Pages == o.Pages && Bands == o.Bands;
}

QList<TPrimitive> TRenderedReport::find(int page, const QString& name) const {
    QList<TPrimitive> found;
    if (page < 0 || page >= Pages.size()) return found;
    for (const TPrimitive& p : Pages[page].Items)
        if (p.Name == name) found.append(p);
    return found;
}

void TRenderedReport::write(QIODevice& device) const {
    device.write(fileMagic, sizeof fileMagic);
    QDataStream s(&device);
    s.setVersion(QDataStream::Qt_6_0);
    s << fileVersion << Title << PaperSize << Duplex << qint32(Copies);
    s << qint32(Pages.size());
    for (const TRenderedPage& page : Pages)
        writeList(s, page.Items);
    writeList(s, Bands);
}

TRenderedReport TRenderedReport::read(QIODevice& device) {
    const auto notReport = [] { return EReportError(QStringLiteral("Soubor není uložená sestava.")); };
    if (device.read(sizeof fileMagic) != QByteArray(fileMagic, sizeof fileMagic)) throw notReport();
    QDataStream s(&device);
    s.setVersion(QDataStream::Qt_6_0);
    quint32 version = 0;
    s >> version;
    if (version != fileVersion)
        throw EReportError(QStringLiteral("Sestava byla uložena jinou verzí programu."));
    TRenderedReport r;
    qint32 copies = 1, pages = 0;
    s >> r.Title >> r.PaperSize >> r.Duplex >> copies >> pages;
    if (s.status() != QDataStream::Ok || pages < 0 || pages > sanityLimit) throw notReport();
    // The preview divides by the paper size to zoom; a size no paper has is a damaged file.
    const auto isPaper = [](double mm) { return mm >= 1.0 && mm <= maxPaperMm; };
    if (!isPaper(r.PaperSize.width()) || !isPaper(r.PaperSize.height())) throw notReport();
    r.Copies = copies;
    for (qint32 i = 0; i < pages; ++i) {
        TRenderedPage page;
        if (!readList(s, page.Items)) throw notReport();
        r.Pages.append(std::move(page));
    }
    if (!readList(s, r.Bands)) throw notReport();
    return r;
}

void TRenderedReport::save(const QString& fileName) const {
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        throw EReportError(QStringLiteral("Soubor %1 nelze zapsat.").arg(fileName));
    write(file);
    if (!file.commit()) throw EReportError(QStringLiteral("Soubor %1 nelze zapsat.").arg(fileName));
}

TRenderedReport TRenderedReport::load(const QString& fileName) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw EReportError(QStringLiteral("Soubor %1 nelze otevřít.").arg(fileName));
    try {
        return read(file);
    } catch (const EReportError& e) {
        throw EReportError(QStringLiteral("%1: %2").arg(fileName, e.message()));
    }
}

TRenderedReport renderReport(TReport& report) {
    TRenderedReport out;
    out.Title = report.Title;
    out.PaperSize = QSizeF(report.Page.PaperWidth, report.Page.PaperHeight);
    out.Duplex = report.Page.Duplex;
    out.Copies = std::max(1, report.Page.Copies);
    TableGuard guard(report.DataSet);
    Renderer(report, out).run();
    return out;
}

} // namespace kvor
