#pragma once
// What a rendered page is made of: positioned primitives in millimetres. Elements of every kind
// come down to these, so the painter and the saved-report format know only them.
#include <QImage>
#include <QRectF>
#include <QString>

namespace kvor {

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

enum class TPrimitiveKind { Text, RotatedText, Image, Rectangle, Line };

// One thing drawn on a page. Coordinates in millimetres from the paper's top-left corner.
struct TPrimitive {
    TPrimitiveKind Kind = TPrimitiveKind::Text;
    QString Name; // the element it comes from
    // Text: the box the text is drawn in (auto-sized: exactly the text's extent).
    // Image: the box that cuts the picture. Rectangle: the outline. Line: from the top-left
    // corner to the bottom-right corner (a horizontal line has height 0).
    QRectF Box;
    QString Text;
    TReportFont Font;
    TAlignment Alignment = TAlignment::Left;
    bool WordWrap = false; // a fixed box: wrap and cut at the box
    bool Opaque = false;   // white background behind the text
    QImage Image;
    QRectF ImageRect;    // where the whole picture goes; Box cuts it
    double PenWidth = 0; // millimetres

    bool operator==(const TPrimitive& other) const;
};

} // namespace kvor
