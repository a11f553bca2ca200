#include "report/ReportModel.h"

#include "report/ReportFonts.h"
#include "tablestore/DsDataSet.h"

namespace {
// One screen pixel at 96 pixels per inch: the unit of picture sizes and pen widths.
constexpr double mmPerPixel = 25.4 / 96.0;
} // namespace

namespace kvor {

TPageSetup TPageSetup::a4(double left, double right, double top, double bottom, int columns) {
    TPageSetup page;
    page.LeftMargin = left;
    page.RightMargin = right;
    page.TopMargin = top;
    page.BottomMargin = bottom;
    page.Columns = columns;
    return page;
}

double TPageSetup::columnWidth() const {
    if (ColumnWidth > 0) return ColumnWidth;
    return (PaperWidth - LeftMargin - RightMargin) / std::max(1, Columns);
}

TReportFont TReportFont::bold(bool on) const {
    TReportFont f = *this;
    f.Bold = on;
    return f;
}

TReportFont TReportFont::italic(bool on) const {
    TReportFont f = *this;
    f.Italic = on;
    return f;
}

TReportFont TReportFont::sized(double points) const {
    TReportFont f = *this;
    f.Size = points;
    return f;
}

TReportElement::TReportElement(QString name, double left, double top, double width, double height)
    : Name(std::move(name)), Left(left), Top(top), Width(width), Height(height) {}

TReportElement::~TReportElement() = default;

TReportText::TReportText(QString name, double left, double top, const TReportFont& font)
    : TReportElement(std::move(name), left, top, 0, 0), Font(font) {}

TReportText& TReportText::box(double width, double height) {
    AutoSize = false;
    Width = width;
    Height = height;
    return *this;
}

TReportText& TReportText::rightEdge(double right) {
    AutoSize = true;
    Alignment = TAlignment::Right;
    Width = right - Left;
    return *this;
}

TReportText& TReportText::alignRight() {
    Alignment = TAlignment::Right;
    return *this;
}

TReportText& TReportText::center() {
    Alignment = TAlignment::Center;
    return *this;
}

TReportText& TReportText::transparent(bool on) {
    Transparent = on;
    return *this;
}

TReportText& TReportText::onPrint(PrintHook hook) {
    OnPrint = std::move(hook);
    return *this;
}

TReportText& TReportText::off() {
    Enabled = false;
    return *this;
}

void TReportText::render(TRenderTarget& target) {
    QString text = sourceText(target.Report);
    if (OnPrint) OnPrint(*this, text);
    if (!Enabled || text.isEmpty()) return;

    TPrimitive p;
    p.Kind = primitiveKind();
    p.Name = Name;
    p.Text = text;
    p.Font = Font;
    p.Alignment = Alignment;
    p.Opaque = !Transparent;
    const QPointF at = target.Origin + QPointF(Left, Top);
    if (AutoSize && p.Kind == TPrimitiveKind::Text) {
        const double width = reportTextWidth(Font, text);
        // The design box: as wide as given, or as the design caption when no width is given.
        const double designWidth = Width > 0 ? Width : reportTextWidth(Font, m_designCaption);
        double left = 0;
        if (Alignment == TAlignment::Right)
            left = designWidth - width;
        else if (Alignment == TAlignment::Center)
            left = (designWidth - width) / 2;
        p.Box = QRectF(at.x() + left, at.y(), width, reportLineHeight(Font));
    } else {
        p.Box = QRectF(at, QSizeF(Width, Height));
        p.WordWrap = p.Kind == TPrimitiveKind::Text;
    }
    target.Page.append(p);
}

TReportLabel::TReportLabel(QString name, const QString& caption, double left, double top,
                           const TReportFont& font)
    : TReportText(std::move(name), left, top, font) {
    Caption = caption;
    m_designCaption = caption;
}

QString TReportLabel::sourceText(const TReport&) const {
    return Caption;
}

QString reportFieldText(const TReport& report, TDataSet* table, const QString& fieldName) {
    TDataSet* ds = table ? table : report.DataSet;
    // Without a table or a current record a field prints as an empty text, as on an empty report.
    if (!ds || !ds->Active() || ds->IsEmpty()) return {};
    return ds->FieldByName(fieldName)->DisplayText();
}

TReportDBText::TReportDBText(QString name, QString fieldName, double left, double top,
                             const TReportFont& font)
    : TReportText(std::move(name), left, top, font), FieldName(std::move(fieldName)) {}

QString TReportDBText::sourceText(const TReport& report) const {
    return reportFieldText(report, DataSet, FieldName);
}

TReportExprText::TReportExprText(QString name, QString firstField, QString secondField, double left,
                                 double top, const TReportFont& font)
    : TReportText(std::move(name), left, top, font), FieldName(std::move(firstField)),
      SecondFieldName(std::move(secondField)) {}

QString TReportExprText::sourceText(const TReport& report) const {
    return reportFieldText(report, nullptr, FieldName) + reportFieldText(report, nullptr, SecondFieldName);
}

TReportRotatedText::TReportRotatedText(QString name, const QString& caption, double left, double top,
                                       double width, double height, const TReportFont& font)
    : TReportLabel(std::move(name), caption, left, top, font) {
    box(width, height);
}

TReportImage::TReportImage(QString name, double left, double top, double width, double height)
    : TReportElement(std::move(name), left, top, width, height) {}

TReportImage& TReportImage::stretch(bool on) {
    Stretch = on;
    return *this;
}

TReportImage& TReportImage::off() {
    Enabled = false;
    return *this;
}

void TReportImage::render(TRenderTarget& target) {
    if (Picture.isNull()) return;
    TPrimitive p;
    p.Kind = TPrimitiveKind::Image;
    p.Name = Name;
    p.Box = QRectF(target.Origin + QPointF(Left, Top), QSizeF(Width, Height));
    p.Image = Picture;
    p.ImageRect = Stretch ? p.Box
                          : QRectF(p.Box.topLeft(),
                                   QSizeF(Picture.width() * mmPerPixel, Picture.height() * mmPerPixel));
    target.Page.append(p);
}

TReportShape::TReportShape(QString name, TShapeKind shape, double left, double top, double width,
                           double height, int pen)
    : TReportElement(std::move(name), left, top, width, height), Shape(shape), Pen(pen) {}

void TReportShape::render(TRenderTarget& target) {
    TPrimitive p;
    p.Name = Name;
    p.PenWidth = std::max(1, Pen) * mmPerPixel;
    const QPointF at = target.Origin + QPointF(Left, Top);
    switch (Shape) {
    case TShapeKind::Rectangle:
        p.Kind = TPrimitiveKind::Rectangle;
        p.Box = QRectF(at, QSizeF(Width, Height));
        break;
    case TShapeKind::HorizontalLine:
        p.Kind = TPrimitiveKind::Line;
        p.Box = QRectF(at, QSizeF(Width, 0));
        break;
    case TShapeKind::VerticalLine:
        p.Kind = TPrimitiveKind::Line;
        p.Box = QRectF(at, QSizeF(0, Height));
        break;
    }
    target.Page.append(p);
}

TReportBand::TReportBand(QString name, double height, const TReport* report)
    : Name(std::move(name)), Height(height), m_report(report) {}

template <class T> T& TReportBand::add(std::unique_ptr<T> element) {
    T& ref = *element;
    ref.m_band = this;
    m_elements.push_back(std::move(element));
    return ref;
}

TReportFont TReportBand::defaultFont() const {
    return m_report ? m_report->DefaultFont : TReportFont{};
}

TReportLabel& TReportBand::text(const QString& name, const QString& caption, double left, double top,
                                const TReportFont& font) {
    return add(std::make_unique<TReportLabel>(name, caption, left, top, font));
}

TReportLabel& TReportBand::text(const QString& name, const QString& caption, double left, double top) {
    return text(name, caption, left, top, defaultFont());
}

TReportDBText& TReportBand::field(const QString& name, const QString& fieldName, double left, double top,
                                  const TReportFont& font) {
    return add(std::make_unique<TReportDBText>(name, fieldName, left, top, font));
}

TReportDBText& TReportBand::field(const QString& name, const QString& fieldName, double left, double top) {
    return field(name, fieldName, left, top, defaultFont());
}

TReportExprText& TReportBand::expr(const QString& name, const QString& firstField, const QString& secondField,
                                   double left, double top, const TReportFont& font) {
    return add(std::make_unique<TReportExprText>(name, firstField, secondField, left, top, font));
}

TReportRotatedText& TReportBand::rotated(const QString& name, const QString& caption, double left, double top,
                                         double width, double height, const TReportFont& font) {
    return add(std::make_unique<TReportRotatedText>(name, caption, left, top, width, height, font));
}

TReportImage& TReportBand::image(const QString& name, double left, double top, double width, double height) {
    return add(std::make_unique<TReportImage>(name, left, top, width, height));
}

TReportShape& TReportBand::rectangle(const QString& name, double left, double top, double width,
                                     double height, int pen) {
    return add(std::make_unique<TReportShape>(name, TShapeKind::Rectangle, left, top, width, height, pen));
}

TReportShape& TReportBand::hline(const QString& name, double left, double top, double width, int pen) {
    return add(std::make_unique<TReportShape>(name, TShapeKind::HorizontalLine, left, top, width, 0, pen));
}

TReportShape& TReportBand::vline(const QString& name, double left, double top, double height, int pen) {
    return add(std::make_unique<TReportShape>(name, TShapeKind::VerticalLine, left, top, 0, height, pen));
}

TReportElement* TReportBand::find(const QString& name) const {
    for (const auto& e : m_elements)
        if (e->Name == name) return e.get();
    return nullptr;
}

TReport::TReport() = default;
TReport::~TReport() = default;

TReportBand& TReport::detail(const QString& name, double height) {
    m_detail = std::make_unique<TReportBand>(name, height, this);
    return *m_detail;
}

TReportBand& TReport::summary(const QString& name, double height, bool forceNewPage) {
    m_summary = std::make_unique<TReportBand>(name, height, this);
    m_summary->ForceNewPage = forceNewPage;
    return *m_summary;
}

TReportElement* TReport::find(const QString& name) const {
    for (const TReportBand* band : {m_detail.get(), m_summary.get()})
        if (band)
            if (TReportElement* e = band->find(name)) return e;
    return nullptr;
}

} // namespace kvor
