// Feeds arbitrary bytes to the preview's "Načíst" as a saved report: loading either refuses the
// file with a message or gives a report that is saved again to the same bytes, and whose pages
// paint as the preview paints them (at its whole-page zoom, smoothed).
#include "FuzzSupport.h"

#include "report/ReportPaint.h"
#include "report/ReportRender.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cstddef>
#include <cstdint>

using namespace kvor;
using kvor::fuzzing::check;

namespace {

// Pages painted per input; enough to reach every primitive kind.
constexpr int maxPaintedPages = 3;
// The sheet is painted as the preview's whole-page zoom paints it, into this many pixels.
constexpr double sheetPixels = 300.0;

QByteArray saved(const TRenderedReport& r) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    r.write(buffer);
    return buffer.data();
}

TRenderedReport loaded(const QByteArray& bytes) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return TRenderedReport::read(buffer);
}

} // namespace

// Painting text needs the fonts of a GUI application; no window is shown. Qt's warnings about the
// damaged pictures and unknown fonts of the inputs would drown the fuzzer's own report.
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    return 0;
}

// The font configuration library keeps what it learns about every font asked for until the
// process ends and is not torn down then: no leak of this program's.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TRenderedReport report;
    try {
        report = loaded(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    } catch (const EReportError& e) {
        check(!e.message().isEmpty(), "saved report refused without a message");
        return 0;
    }

    const QByteArray again = saved(report);
    try {
        check(saved(loaded(again)) == again, "a saved report saves differently after loading");
    } catch (const EReportError& e) {
        kvor::fuzzing::fail("a saved report does not load:", e.message());
    }

    const double dotsPerMm =
        std::min(sheetPixels / report.PaperSize.width(), sheetPixels / report.PaperSize.height());
    const int side = int(sheetPixels);
    QImage image(side, side, QImage::Format_RGB32);
    for (int i = 0; i < report.pageCount() && i < maxPaintedPages; ++i) {
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::TextAntialiasing);
        paintPage(painter, report.Pages[i], dotsPerMm);
    }
    return 0;
}
