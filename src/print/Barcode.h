#pragma once
// The request number as a Code 128 symbol in subset C, one module a pixel, and the pictures the
// layouts print: horizontal on the request forms, turned to read upwards on the label sheet.
#include <QImage>
#include <QString>
#include <exception>
#include <vector>

namespace kvor {

class EBarcodeError : public std::exception {
public:
    explicit EBarcodeError(const char* message) : m_message(message) {}
    const char* what() const noexcept override { return m_message; }

private:
    const char* m_message;
};

// The symbol characters of a text: start C (105), one value per digit pair, check, stop (106).
// Blanks and control characters around the digits are dropped and an odd count gets a leading
// "0". Raises EBarcodeError for any other character and for a text without digits.
std::vector<int> code128cValues(QStringView text);
// Bar and space widths in modules, bar first: "211232" for the start, "2331112" for the stop.
QString code128cWidths(QStringView text);
// Width of the symbol in modules: 11 per character and 13 for the stop.
int code128cModules(QStringView text);
// The horizontal symbol, height rows high, one module a pixel, no quiet zone. Raises EBarcodeError.
QImage code128cImage(QStringView text, int height);

// 200 x 50, white, "CHYBA ČÁR.KODU" in grey: printed where a symbol cannot be made.
QImage barcodeErrorPicture();

// The picture of a text; false when the text cannot be encoded and the error picture is given.
bool makeBarcodeImage(QStringView text, int height, bool vertical, QImage& picture);

// Draws the text's symbol into the picture, height pixels high; orientation "V" turns it a
// quarter left so it reads upwards, anything else leaves it horizontal. A text that cannot be
// encoded gives the error picture, never turned. The indicator for human-readable text is
// accepted and ignored, as no caller shows the text. Always 1.
int MakeBarcodePicture(const QString& text, QImage& picture, int height, bool showText,
                       const QString& orientation);

// Replaces the picture by a copy turned a quarter turn counter-clockwise: the pixel at column x,
// row y goes to column y, row (width - 1 - x). The pixel format stays.
void RotateQuarterLeft(QImage& bitmap);

} // namespace kvor
