#pragma once
// Layouts written as the element tables they come from: one row per element with its name,
// content, position and size in millimetres from the band's top-left corner, font and notes.
//
//   {"QRLabel4", Caption, u"Žádost o uznání osiva"_s, 14.6, 14.6, 0, 0, "Arial 18 bold", ""},
//   {"QRDBText1", Field, u"STUPEN"_s, 104.5, 95.8, 8.2, 4.5, "", ""},
//
// Width and height are given for fixed boxes (the text wraps and is cut at the box), lines,
// rectangles and pictures; 0 for auto-sized texts. An empty font takes the band's default for
// captions or for values. Notes: "thick" (pen 3), "right" (right-aligned), "right edge X"
// (auto-sized, right-aligned with its right edge at X), "centred", "transparent" (no white
// background), "stretched" (a picture filling its box).
#include "report/ReportModel.h"

#include <span>

namespace kvor {

enum class TRowContent {
    Caption,    // a fixed text
    Value,      // a text the layout sets at print time; Text is its design text
    Field,      // the display text of the field named by Text
    Expression, // the texts of the two fields named by Text ("CZP ZAHRPARTIE"), joined
    Rotated,    // a caption turned to read upwards in its fixed box
    Rect,
    HLine,
    VLine,
    Picture,
};

struct TLayoutRow {
    const char* Name;
    TRowContent Content;
    QString Text;
    double Left;
    double Top;
    double Width;
    double Height;
    const char* Font;
    const char* Notes;
};

// The fonts of a band's rows that name none.
struct TRowFonts {
    TReportFont Caption;
    TReportFont Value;
};

// "Arial CE 10 bold", "Tahoma 7 italic": the family, the size in points, then the style words.
TReportFont parseReportFont(const char* design);

// Adds one element per row to the band.
void addLayoutRows(TReportBand& band, std::span<const TLayoutRow> rows, const TRowFonts& fonts);

} // namespace kvor
