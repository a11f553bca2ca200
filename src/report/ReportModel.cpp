#include "report/ReportModel.h"

#include "tablestore/DsDataSet.h"

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

TReportElement::TReportElement(TElementKind kind, QString name, double left, double top, double width,
                               double height)
    : Name(std::move(name)), Left(left), Top(top), Width(width), Height(height), m_kind(kind) {}

TReportElement::~TReportElement() = default;

TReportText::TReportText(TElementKind kind, QString name, double left, double top, const TReportFont& font)
    : TReportElement(kind, std::move(name), left, top, 0, 0), Font(font) {}

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

QString TReportText::sourceText(const TReport& report) const {
    auto fieldText = [&](const QString& name) -> QString {
        TDataSet* ds = DataSet ? DataSet : report.DataSet;
        // Without a table or a current record a field prints as an empty text, as on an empty report.
        if (!ds || !ds->Active() || ds->IsEmpty()) return {};
        return ds->FieldByName(name)->DisplayText();
    };
    switch (Kind()) {
    case TElementKind::FieldText:
        return fieldText(FieldName);
    case TElementKind::ExprText:
        return fieldText(FieldName) + fieldText(SecondFieldName);
    default:
        return Caption;
    }
}

TReportImage::TReportImage(QString name, double left, double top, double width, double height)
    : TReportElement(TElementKind::Image, std::move(name), left, top, width, height) {}

TReportImage& TReportImage::stretch(bool on) {
    Stretch = on;
    return *this;
}

TReportImage& TReportImage::off() {
    Enabled = false;
    return *this;
}

TReportShape::TReportShape(QString name, TShapeKind shape, double left, double top, double width,
                           double height, int pen)
    : TReportElement(TElementKind::Shape, std::move(name), left, top, width, height), Shape(shape), Pen(pen) {
}

TReportBand::TReportBand(QString name, double height) : Name(std::move(name)), Height(height) {}

template <class T> T& TReportBand::add(std::unique_ptr<T> element) {
    T& ref = *element;
    ref.m_band = this;
    m_elements.push_back(std::move(element));
    return ref;
}

TReportText& TReportBand::text(const QString& name, const QString& caption, double left, double top,
                               const TReportFont& font) {
    auto e = std::make_unique<TReportText>(TElementKind::Text, name, left, top, font);
    e->Caption = caption;
    return add(std::move(e));
}

TReportText& TReportBand::field(const QString& name, const QString& fieldName, double left, double top,
                                const TReportFont& font) {
    auto e = std::make_unique<TReportText>(TElementKind::FieldText, name, left, top, font);
    e->FieldName = fieldName;
    return add(std::move(e));
}

TReportText& TReportBand::expr(const QString& name, const QString& firstField, const QString& secondField,
                               double left, double top, const TReportFont& font) {
    auto e = std::make_unique<TReportText>(TElementKind::ExprText, name, left, top, font);
    e->FieldName = firstField;
    e->SecondFieldName = secondField;
    return add(std::move(e));
}

TReportText& TReportBand::rotated(const QString& name, const QString& caption, double left, double top,
                                  double width, double height, const TReportFont& font) {
    auto e = std::make_unique<TReportText>(TElementKind::RotatedText, name, left, top, font);
    e->Caption = caption;
    e->box(width, height);
    return add(std::move(e));
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
    m_detail = std::make_unique<TReportBand>(name, height);
    return *m_detail;
}

TReportBand& TReport::summary(const QString& name, double height, bool forceNewPage) {
    m_summary = std::make_unique<TReportBand>(name, height);
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
