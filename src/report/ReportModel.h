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
#include "report/ReportPrimitive.h"

#include <QImage>
#include <QList>
#include <QPointF>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

namespace kvor {

// A failure of the report engine: a file that cannot be written or read, a printer that
// cannot start. The message is shown to the user as it stands.
class EReportError : public EKvorError {
public:
    using EKvorError::EKvorError;
};

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

// Everything an element is rendered with: the report (its table, its default font), where the
// band stands on the paper, and the page the element adds its primitives to.
struct TRenderTarget {
    const TReport& Report;
    QPointF Origin; // the band's top-left corner on the paper, millimetres
    QList<TPrimitive>& Page;
};

// One element of a band. Each kind renders itself into primitives, so a new kind changes
// neither the renderer, nor the painter, nor the saved-report format.
class TReportElement {
public:
    TReportElement(QString name, double left, double top, double width, double height);
    virtual ~TReportElement();
    TReportElement(const TReportElement&) = delete;
    TReportElement& operator=(const TReportElement&) = delete;

    TReportBand* Band() const { return m_band; }
    // Adds what the element prints; an element that is switched off is not asked.
    virtual void render(TRenderTarget& target) = 0;

    QString Name;
    double Left;
    double Top;
    double Width;
    double Height;
    // A switched-off element prints nothing and its print hook does not run.
    bool Enabled = true;

private:
    friend class TReportBand;
    TReportBand* m_band = nullptr;
};

// What the kinds of text share: font, alignment, auto-size or fixed box, background, print hook.
// Auto-sized (one line, the box fits the text) unless a fixed box is given, in which the text
// wraps and is cut at the box's edges. An auto-sized text that is right-aligned or centred keeps
// the right edge or the centre of its box; without a width the box is that of its design caption.
class TReportText : public TReportElement {
public:
    // The hook receives the text about to be printed and may replace it; an empty text prints nothing.
    using PrintHook = std::function<void(TReportText& element, QString& text)>;

    TReportText(QString name, double left, double top, const TReportFont& font);

    QString Caption;
    TReportFont Font;
    TAlignment Alignment = TAlignment::Left;
    bool AutoSize = true;
    bool Transparent = false;
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
    virtual QString sourceText(const TReport& report) const = 0;
    void render(TRenderTarget& target) override;

protected:
    virtual TPrimitiveKind primitiveKind() const { return TPrimitiveKind::Text; }
    // The caption the layout was designed with; an auto-sized box without a width is its extent.
    QString m_designCaption;
};

// A caption.
class TReportLabel : public TReportText {
public:
    TReportLabel(QString name, const QString& caption, double left, double top, const TReportFont& font);
    QString sourceText(const TReport& report) const override;
};

// The display text of a field of a table: numbers in general format with the decimal comma,
// dates in the short date format.
class TReportDBText : public TReportText {
public:
    TReportDBText(QString name, QString fieldName, double left, double top, const TReportFont& font);
    QString FieldName;
    // The table read; null for the report's own table.
    TDataSet* DataSet = nullptr;
    QString sourceText(const TReport& report) const override;
};

// The texts of two fields of the report's own table, joined with nothing between them.
class TReportExprText : public TReportText {
public:
    TReportExprText(QString name, QString firstField, QString secondField, double left, double top,
                    const TReportFont& font);
    QString FieldName;
    QString SecondFieldName;
    QString sourceText(const TReport& report) const override;
};

// A caption turned a quarter turn to read from bottom to top inside a fixed box.
class TReportRotatedText : public TReportLabel {
public:
    TReportRotatedText(QString name, const QString& caption, double left, double top, double width,
                       double height, const TReportFont& font);

protected:
    TPrimitiveKind primitiveKind() const override { return TPrimitiveKind::RotatedText; }
};

// The display text of a field of a table, or an empty text without a table or a record.
QString reportFieldText(const TReport& report, TDataSet* table, const QString& fieldName);

class TReportImage : public TReportElement {
public:
    TReportImage(QString name, double left, double top, double width, double height);

    // Drawn from the box's top-left corner at 96 pixels per inch and cut at the box, or
    // stretched to fill the box.
    QImage Picture;
    bool Stretch = false;

    TReportImage& stretch(bool on = true);
    TReportImage& off();
    void render(TRenderTarget& target) override;
};

enum class TShapeKind { Rectangle, HorizontalLine, VerticalLine };

class TReportShape : public TReportElement {
public:
    TReportShape(QString name, TShapeKind shape, double left, double top, double width, double height,
                 int pen);

    TShapeKind Shape;
    int Pen; // 1 thin, 3 thick; a pen unit is one pixel at 96 pixels per inch
    void render(TRenderTarget& target) override;
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

    TReportBand(QString name, double height, const TReport* report = nullptr);
    TReportBand(const TReportBand&) = delete;
    TReportBand& operator=(const TReportBand&) = delete;

    QString Name;
    double Height;
    double Width = 0.0;        // 0: the column width
    bool ForceNewPage = false; // start on a new page unless the page is still empty
    Hook BeforePrint;

    // Texts without a font of their own take the report's default font.
    TReportLabel& text(const QString& name, const QString& caption, double left, double top,
                       const TReportFont& font);
    TReportLabel& text(const QString& name, const QString& caption, double left, double top);
    TReportDBText& field(const QString& name, const QString& fieldName, double left, double top,
                         const TReportFont& font);
    TReportDBText& field(const QString& name, const QString& fieldName, double left, double top);
    TReportExprText& expr(const QString& name, const QString& firstField, const QString& secondField,
                          double left, double top, const TReportFont& font);
    // A caption turned a quarter turn to read from bottom to top inside a fixed box.
    TReportRotatedText& rotated(const QString& name, const QString& caption, double left, double top,
                                double width, double height, const TReportFont& font);
    TReportImage& image(const QString& name, double left, double top, double width, double height);
    TReportShape& rectangle(const QString& name, double left, double top, double width, double height,
                            int pen = 1);
    TReportShape& hline(const QString& name, double left, double top, double width, int pen = 1);
    TReportShape& vline(const QString& name, double left, double top, double height, int pen = 1);

    const std::vector<std::unique_ptr<TReportElement>>& Elements() const { return m_elements; }
    TReportElement* find(const QString& name) const;

private:
    template <class T> T& add(std::unique_ptr<T> element);
    TReportFont defaultFont() const;
    const TReport* m_report;
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
    // The font of texts that name none.
    TReportFont DefaultFont;
    // The report's own table: one detail band per record, from the first record on. Without a
    // table the detail band prints once.
    TDataSet* DataSet = nullptr;

    TReportBand& detail(const QString& name, double height);
    // Printed once after the last detail band.
    TReportBand& summary(const QString& name, double height, bool forceNewPage);
    TReportBand* Detail() const { return m_detail.get(); }
    TReportBand* Summary() const { return m_summary.get(); }
    TReportElement* find(const QString& name) const;
    // The element of that name and kind; raises EReportError when the layout has none.
    template <class T> T& element(const QString& name) const {
        if (auto* e = dynamic_cast<T*>(find(name))) return *e;
        throw EReportError(QStringLiteral("Sestava nemá prvek %1.").arg(name));
    }

private:
    std::unique_ptr<TReportBand> m_detail;
    std::unique_ptr<TReportBand> m_summary;
};

} // namespace kvor
