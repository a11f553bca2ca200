#include "print/Barcode.h"

#include "report/ReportFonts.h"

#include <QPainter>
#include <cstring>

namespace kvor {

namespace {

// Bar and space widths of the Code 128 symbol characters 0 to 105, bar first.
constexpr const char* patterns[106] = {
    "212222", "222122", "222221", "121223", "121322", "131222", "122213", "122312", "132212", "221213",
    "221312", "231212", "112232", "122132", "122231", "113222", "123122", "123221", "223211", "221132",
    "221231", "213212", "223112", "312131", "311222", "321122", "321221", "312212", "322112", "322211",
    "212123", "212321", "232121", "111323", "131123", "131321", "112313", "132113", "132311", "211313",
    "231113", "231311", "112133", "112331", "132131", "113123", "113321", "133121", "313121", "211331",
    "231131", "213113", "213311", "213131", "311123", "311321", "331121", "312113", "312311", "332111",
    "314111", "221411", "431111", "111224", "111422", "121124", "121421", "141122", "141221", "112214",
    "112412", "122114", "122411", "142112", "142211", "241211", "221114", "413111", "241112", "134111",
    "111242", "121142", "121241", "114212", "124112", "124211", "411212", "421112", "421211", "212141",
    "214121", "412121", "111143", "111341", "131141", "114113", "114311", "411113", "411311", "113141",
    "114131", "311141", "411131", "211412", "211214", "211232"};
constexpr const char* stopPattern = "2331112";
constexpr int startC = 105;
constexpr int stopValue = 106;

// Blanks are trimmed from both ends, and every control character counts as a blank.
QStringView trimmed(QStringView text) {
    qsizetype begin = 0, end = text.size();
    while (begin < end && text[begin].unicode() <= 0x20)
        ++begin;
    while (end > begin && text[end - 1].unicode() <= 0x20)
        --end;
    return text.sliced(begin, end - begin);
}

} // namespace

std::vector<int> code128cValues(QStringView text) {
    QString digits = trimmed(text).toString();
    for (QChar c : digits)
        if (c < u'0' || c > u'9') throw EBarcodeError("Barcode must be numeric");
    // A symbol without data carries no request number; it must not pass for one.
    if (digits.isEmpty()) throw EBarcodeError("Barcode must be numeric");
    if (digits.size() % 2) digits.prepend(u'0');

    std::vector<int> values{startC};
    int sum = startC;
    for (qsizetype i = 0; i < digits.size(); i += 2) {
        const int value = (digits[i].unicode() - u'0') * 10 + (digits[i + 1].unicode() - u'0');
        sum += int(values.size()) * value;
        values.push_back(value);
    }
    values.push_back(sum % 103);
    values.push_back(stopValue);
    return values;
}

QString code128cWidths(QStringView text) {
    QString widths;
    for (int v : code128cValues(text))
        widths += QLatin1String(v == stopValue ? stopPattern : patterns[v]);
    return widths;
}

int code128cModules(QStringView text) {
    int modules = 0;
    for (QChar c : code128cWidths(text))
        modules += c.unicode() - u'0';
    return modules;
}

QImage code128cImage(QStringView text, int height) {
    const QString widths = code128cWidths(text);
    if (height <= 0) throw EBarcodeError("Barcode height must be positive");
    int modules = 0;
    for (QChar c : widths)
        modules += c.unicode() - u'0';

    QImage image(modules, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    // Rows are identical: draw the first and copy it down.
    auto* row = reinterpret_cast<QRgb*>(image.scanLine(0));
    int x = 0;
    for (qsizetype i = 0; i < widths.size(); ++i) {
        const int w = widths[i].unicode() - u'0';
        const QRgb colour = i % 2 == 0 ? qRgb(0, 0, 0) : qRgb(255, 255, 255);
        for (int k = 0; k < w; ++k)
            row[x++] = colour;
    }
    for (int y = 1; y < height; ++y)
        std::memcpy(image.scanLine(y), row, size_t(modules) * sizeof(QRgb));
    return image;
}

QImage barcodeErrorPicture() {
    QImage image(200, 50, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    QFont font(reportFontFamily(QStringLiteral("Tahoma")));
    font.setPixelSize(13); // 10 pt at 96 pixels per inch
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(QColor(128, 128, 128));
    painter.drawText(QRect(10, 10, 190, 40), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                     QStringLiteral("CHYBA ČÁR.KODU"));
    return image;
}

bool makeBarcodeImage(QStringView text, int height, bool vertical, QImage& picture) {
    try {
        QImage symbol = code128cImage(text, height);
        if (vertical) RotateQuarterLeft(symbol);
        picture = symbol;
        return true;
    } catch (const EBarcodeError&) {
        picture = barcodeErrorPicture();
        return false;
    }
}

int MakeBarcodePicture(const QString& text, QImage& picture, int height, bool /*showText*/,
                       const QString& orientation) {
    // Drawn straight into the picture: no file passes through the program folder, so a
    // read-only folder cannot spoil a print and nothing is left behind.
    makeBarcodeImage(text, height, orientation == QLatin1String("V"), picture);
    return 1;
}

void RotateQuarterLeft(QImage& bitmap) {
    if (bitmap.isNull()) return;
    const int w = bitmap.width(), h = bitmap.height();
    QImage turned(h, w, bitmap.format());
    turned.setColorTable(bitmap.colorTable());
    turned.setDotsPerMeterX(bitmap.dotsPerMeterY());
    turned.setDotsPerMeterY(bitmap.dotsPerMeterX());
    const int depth = bitmap.depth();
    if (depth >= 8) {
        const int bytes = depth / 8;
        for (int y = 0; y < h; ++y) {
            const uchar* src = bitmap.constScanLine(y);
            for (int x = 0; x < w; ++x)
                std::memcpy(turned.scanLine(w - 1 - x) + y * bytes, src + x * bytes, bytes);
        }
    } else {
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                turned.setPixel(y, w - 1 - x, bitmap.pixelIndex(x, y));
    }
    bitmap = turned;
}

} // namespace kvor
