#include "print/LayoutRows.h"

#include <QStringList>

namespace kvor {

TReportFont parseReportFont(const char* design) {
    TReportFont font;
    QStringList name;
    bool sized = false;
    for (const QString& word : QString::fromLatin1(design).split(u' ', Qt::SkipEmptyParts)) {
        bool isNumber = false;
        const double size = word.toDouble(&isNumber);
        if (isNumber) {
            font.Size = size;
            sized = true;
        } else if (word == u"bold") {
            font.Bold = true;
        } else if (word == u"italic") {
            font.Italic = true;
        } else if (!sized) {
            name << word;
        } else {
            throw EReportError(QStringLiteral("Neznámý řez písma: %1").arg(QString::fromLatin1(design)));
        }
    }
    if (name.isEmpty() || !sized)
        throw EReportError(QStringLiteral("Neúplné písmo: %1").arg(QString::fromLatin1(design)));
    font.Name = name.join(u' ');
    return font;
}

namespace {

struct RowNotes {
    bool thick = false;
    bool right = false;
    bool centred = false;
    bool stretched = false;
    bool transparent = false;
    double rightEdge = 0;
};

RowNotes parseNotes(const char* notes) {
    RowNotes out;
    for (const QString& note : QString::fromLatin1(notes).split(u',', Qt::SkipEmptyParts)) {
        const QString n = note.trimmed();
        if (n == u"thick")
            out.thick = true;
        else if (n == u"right")
            out.right = true;
        else if (n == u"centred")
            out.centred = true;
        else if (n == u"stretched")
            out.stretched = true;
        else if (n == u"transparent")
            out.transparent = true;
        else if (n.startsWith(u"right edge "))
            out.rightEdge = n.mid(11).toDouble();
        else
            throw EReportError(QStringLiteral("Neznámá poznámka prvku: %1").arg(n));
    }
    return out;
}

void shapeText(TReportText& text, const TLayoutRow& row, const RowNotes& notes) {
    if (row.Width > 0 && row.Height > 0) text.box(row.Width, row.Height);
    if (notes.right) text.alignRight();
    if (notes.centred) text.center();
    if (notes.rightEdge > 0) text.rightEdge(notes.rightEdge);
    text.transparent(notes.transparent);
}

} // namespace

void addLayoutRows(TReportBand& band, std::span<const TLayoutRow> rows, const TRowFonts& fonts) {
    for (const TLayoutRow& row : rows) {
        const QString name = QString::fromLatin1(row.Name);
        const RowNotes notes = parseNotes(row.Notes);
        const int pen = notes.thick ? 3 : 1;
        const auto font = [&](const TReportFont& fallback) {
            return *row.Font ? parseReportFont(row.Font) : fallback;
        };
        switch (row.Content) {
        case TRowContent::Caption:
            shapeText(band.text(name, row.Text, row.Left, row.Top, font(fonts.Caption)), row, notes);
            break;
        case TRowContent::Value:
            shapeText(band.text(name, row.Text, row.Left, row.Top, font(fonts.Value)), row, notes);
            break;
        case TRowContent::Field:
            shapeText(band.field(name, row.Text, row.Left, row.Top, font(fonts.Value)), row, notes);
            break;
        case TRowContent::Expression: {
            const QStringList fields = row.Text.split(u' ');
            shapeText(band.expr(name, fields.value(0), fields.value(1), row.Left, row.Top, font(fonts.Value)),
                      row, notes);
            break;
        }
        case TRowContent::Rotated:
            shapeText(
                band.rotated(name, row.Text, row.Left, row.Top, row.Width, row.Height, font(fonts.Caption)),
                row, notes);
            break;
        case TRowContent::Rect:
            band.rectangle(name, row.Left, row.Top, row.Width, row.Height, pen);
            break;
        case TRowContent::HLine:
            band.hline(name, row.Left, row.Top, row.Width, pen);
            break;
        case TRowContent::VLine:
            band.vline(name, row.Left, row.Top, row.Height, pen);
            break;
        case TRowContent::Picture:
            band.image(name, row.Left, row.Top, row.Width, row.Height).stretch(notes.stretched);
            break;
        }
    }
}

} // namespace kvor
