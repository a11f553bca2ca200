// kvor-barcode TEXT OUT.png [--height N] [--vertical] [--scale K]
// Writes the picture that the layouts print for TEXT (the error picture when TEXT cannot be
// encoded), enlarged K times without smoothing so every module stays a sharp block.
#include "print/Barcode.h"

#include <QGuiApplication>
#include <QImage>
#include <QStringList>
#include <cstdio>

namespace {

constexpr int exitOk = 0;
constexpr int exitBadText = 1; // the error picture was written
constexpr int exitUsage = 2;

int usage(const char* message) {
    std::fprintf(stderr, "kvor-barcode: %s\n", message);
    std::fprintf(stderr, "použití: kvor-barcode TEXT OUT.png [--height N] [--vertical] [--scale K]\n");
    return exitUsage;
}

bool readNumber(const QStringList& args, qsizetype& i, int min, int max, int& value) {
    if (i + 1 >= args.size()) return false;
    bool ok = false;
    value = args[++i].toInt(&ok);
    return ok && value >= min && value <= max;
}

} // namespace

int main(int argc, char** argv) {
    // Only pictures are drawn: no display is needed.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    QStringList positional;
    int height = 30;
    int scale = 1;
    bool vertical = false;
    const QStringList args = QCoreApplication::arguments();
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == QLatin1String("--height")) {
            if (!readNumber(args, i, 1, 10000, height)) return usage("--height očekává číslo od 1 do 10000");
        } else if (a == QLatin1String("--scale")) {
            if (!readNumber(args, i, 1, 100, scale)) return usage("--scale očekává číslo od 1 do 100");
        } else if (a == QLatin1String("--vertical")) {
            vertical = true;
        } else if (a.startsWith(QLatin1String("--"))) {
            return usage("neznámá volba");
        } else {
            positional << a;
        }
    }
    if (positional.size() != 2) return usage("očekávám TEXT a výstupní soubor");

    QImage picture;
    const bool encoded = kvor::makeBarcodeImage(positional[0], height, vertical, picture);
    if (scale > 1)
        picture = picture.scaled(picture.size() * scale, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    if (!picture.save(positional[1], "PNG")) {
        std::fprintf(stderr, "kvor-barcode: soubor %s nelze zapsat\n", qPrintable(positional[1]));
        return exitUsage;
    }
    if (!encoded) {
        std::fprintf(stderr, "kvor-barcode: text nelze zakódovat, zapsán obrázek chyby\n");
        return exitBadText;
    }
    return exitOk;
}
