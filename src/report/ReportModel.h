#pragma once
// The banded report model. A layout is written as data: a page set-up, a detail band and an
// optional summary band, and elements placed in millimetres from their band's top-left corner.
// Layout classes keep pointers to the elements they change from their hooks, the way a form
// keeps its components.
//
//     TReport report;
//     report.Page = TPageSetup::a4(5, 0, 0, 0, 2);
//     report.DataSet = &slotTable;
//     TReportBand& band = report.detail("QRBand1", 147.9);
//     band.text("QRLabel6", "Dodavatel", 2.6, 4.0, captionFont).onPrint(hideOnBlank);
//     laICO = &band.text("laICO", "", 11.1, 11.9, valueFont).rightEdge(18.5);
//     band.field("QRDBText38", "STREDISKO", 10.6, 15.9, valueFont).box(7.9, 4.5).alignRight();
//     QRImageCK = &band.image("QRImageCK", 90.5, 5.3, 6.6, 54.5);
//     band.BeforePrint = [this](TReportBand&, TBandPrint& print) { ... };
#include "platform/KvorError.h"

#include <QImage>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

namespace kvor {

class TDataSet;
class TReport;
class TReportBand;

// Paper and columns. Sizes in millimetres.
struct TPageSetup {
    double PaperWidth = 210.0;
    double PaperHeight = 297.0;
    double LeftMargin = 0.0;
    double RightMargin = 0.0;
    double TopMargin = 0.0;
    double BottomMargin = 0.0;
    int Columns = 1;
    // Width of one column; 0 divides the space between the margins evenly. Columns have no gap.
    double ColumnWidth = 0.0;
    bool Duplex = false; // ask the printer for two-sided printing
    int Copies = 1;

    static TPageSetup a4(double left, double right, double top, double bottom, int columns = 1);
    double columnWidth() const;
    double printableBottom() const { return PaperHeight - BottomMargin; }
};

enum class TAlignment { Left, Right, Center };

// A font as the layout names it; the engine maps the names to installed faces (ReportFonts.h).
struct TReportFont {
    QString Name = QStringLiteral("Arial");
    double Size = 10.0; // points
    bool Bold = false;
    bool Italic = false;

    TReportFont bold(bool on = true) const;
    TReportFont italic(bool on = true) const;
    TReportFont sized(double points) const;
    bool operator==(const TReportFont&) const = default;
};

enum class TElementKind { Text, FieldText, ExprText, RotatedText, Image, Shape };

class TReportElement {
public:
    TReportElement(TElementKind kind, QString name, double left, double top, double width, double height);
    virtual ~TReportElement();
    TReportElement(const TReportElement&) = delete;
    TReportElement& operator=(const TReportElement&) = delete;

    TElementKind Kind() const { return m_kind; }
    TReportBand* Band() const { return m_band; }

    QString Name;
    double Left;
    double Top;
    double Width;
    double Height;
    // A switched-off element prints nothing and its print hook does not run.
    bool Enabled = true;

private:
    friend class TReportBand;
    TElementKind m_kind;
    TReportBand* m_band = nullptr;
};

// Text of every kind: a caption, the display text of a field, two fields joined, or a caption
// turned to read from bottom to top. Auto-sized (one line, the box fits the text) unless a
// fixed box is given, in which the text wraps and is cut at the box's edges.
class TReportText : public TReportElement {
public:
    // The hook receives the text about to be printed and may replace it; an empty text prints nothing.
    using PrintHook = std::function<void(TReportText& element, QString& text)>;

    TReportText(TElementKind kind, QString name, double left, double top, const TReportFont& font);

    QString Caption;
    TReportFont Font;
    TAlignment Alignment = TAlignment::Left;
    bool AutoSize = true;
    bool Transparent = false;
    // Field text: FieldName; expression text: FieldName followed by SecondFieldName.
    QString FieldName;
    QString SecondFieldName;
    // The table a field text reads; null for the report's own table.
    TDataSet* DataSet = nullptr;
    PrintHook OnPrint;

    // A fixed box of the given size; the text wraps inside it.
    TReportText& box(double width, double height);
    // Auto-sized and right-aligned: the box keeps this right edge whatever the text's length.
    TReportText& rightEdge(double right);
    TReportText& alignRight();
    TReportText& center();
    TReportText& transparent(bool on = true);
    TReportText& onPrint(PrintHook hook);
    TReportText& off();

    // The text before the print hook: the caption, or the field texts of the current record.
    QString sourceText(const TReport& report) const;
};

class TReportImage : public TReportElement {
public:
    TReportImage(QString name, double left, double top, double width, double height);

    // Drawn from the box's top-left corner at 96 pixels per inch and cut at the box, or
    // stretched to fill the box.
    QImage Picture;
    bool Stretch = false;

    TReportImage& stretch(bool on = true);
    TReportImage& off();
};

enum class TShapeKind { Rectangle, HorizontalLine, VerticalLine };

class TReportShape : public TReportElement {
public:
    TReportShape(QString name, TShapeKind shape, double left, double top, double width, double height,
                 int pen);

    TShapeKind Shape;
    int Pen; // 1 thin, 3 thick; a pen unit is one pixel at 96 pixels per inch
};

// What a band hook decides for the band about to print.
enum class TBandPrint {
    Print, // the band prints
    Blank, // the band takes its place but prints nothing (a blank label position)
    Skip   // the band neither prints nor takes space
};

class TReportBand {
public:
    using Hook = std::function<void(TReportBand& band, TBandPrint& print)>;

    TReportBand(QString name, double height);
    TReportBand(const TReportBand&) = delete;
    TReportBand& operator=(const TReportBand&) = delete;

    QString Name;
    double Height;
    double Width = 0.0;        // 0: the column width
    bool ForceNewPage = false; // start on a new page unless the page is still empty
    Hook BeforePrint;

    TReportText& text(const QString& name, const QString& caption, double left, double top,
                      const TReportFont& font);
    TReportText& field(const QString& name, const QString& fieldName, double left, double top,
                       const TReportFont& font);
    TReportText& expr(const QString& name, const QString& firstField, const QString& secondField, double left,
                      double top, const TReportFont& font);
    // A caption turned a quarter turn to read from bottom to top inside a fixed box.
    TReportText& rotated(const QString& name, const QString& caption, double left, double top, double width,
                         double height, const TReportFont& font);
    TReportImage& image(const QString& name, double left, double top, double width, double height);
    TReportShape& rectangle(const QString& name, double left, double top, double width, double height,
                            int pen = 1);
    TReportShape& hline(const QString& name, double left, double top, double width, int pen = 1);
    TReportShape& vline(const QString& name, double left, double top, double height, int pen = 1);

    const std::vector<std::unique_ptr<TReportElement>>& Elements() const { return m_elements; }
    TReportElement* find(const QString& name) const;

private:
    template <class T> T& add(std::unique_ptr<T> element);
    std::vector<std::unique_ptr<TReportElement>> m_elements;
};

class TReport {
public:
    TReport();
    ~TReport();
    TReport(const TReport&) = delete;
    TReport& operator=(const TReport&) = delete;

    QString Title;
    TPageSetup Page;
    // The report's own table: one detail band per record, from the first record on. Without a
    // table the detail band prints once.
    TDataSet* DataSet = nullptr;

    TReportBand& detail(const QString& name, double height);
    // Printed once after the last detail band.
    TReportBand& summary(const QString& name, double height, bool forceNewPage);
    TReportBand* Detail() const { return m_detail.get(); }
    TReportBand* Summary() const { return m_summary.get(); }
    TReportElement* find(const QString& name) const;

private:
    std::unique_ptr<TReportBand> m_detail;
    std::unique_ptr<TReportBand> m_summary;
};

// A failure of the report engine: a file that cannot be written or read, a printer that
// cannot start. The message is shown to the user as it stands.
class EReportError : public EKvorError {
public:
    using EKvorError::EKvorError;
};

} // namespace kvor
