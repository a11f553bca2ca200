// kvor-manual: turns the user manual written in Markdown into the PDF file installed beside the
// program. Pictures named in the text are taken relative to the Markdown file and scaled down to
// the width of the page when they are wider.
//   kvor-manual IN.md OUT.pdf
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextImageFormat>
#include <QUrl>
#include <cstdio>

namespace {

// Resolution at which the document is laid out: one pixel of a screenshot is one pixel here.
constexpr int kLayoutDpi = 96;

// Scales every picture that is wider than the text area to fit it, keeping its proportions.
void fitPictures(QTextDocument& document, qreal textWidth) {
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.charFormat().isImageFormat()) continue;
            QTextImageFormat image = fragment.charFormat().toImageFormat();
            const QVariant resource = document.resource(QTextDocument::ImageResource, QUrl(image.name()));
            const QImage picture = resource.value<QImage>();
            if (picture.isNull() || picture.width() <= textWidth) continue;
            image.setWidth(textWidth);
            image.setHeight(picture.height() * textWidth / picture.width());
            QTextCursor cursor(&document);
            cursor.setPosition(fragment.position());
            cursor.setPosition(fragment.position() + fragment.length(), QTextCursor::KeepAnchor);
            cursor.setCharFormat(image);
        }
    }
}

bool convert(const QString& input, const QString& output, QString& error) {
    QFile source(input);
    if (!source.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("cannot read %1").arg(input);
        return false;
    }
    QTextDocument document;
    document.setBaseUrl(QUrl::fromLocalFile(QFileInfo(input).absolutePath() + u'/'));
    document.setDefaultFont(QFont(QStringLiteral("DejaVu Sans"), 10));
    document.setMarkdown(QString::fromUtf8(source.readAll()));

    QPdfWriter writer(output);
    writer.setTitle(QStringLiteral("Kvor Pro – uživatelská příručka"));
    writer.setCreator(QStringLiteral("Kvor Pro"));
    writer.setResolution(kLayoutDpi);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                     QMarginsF(20, 18, 20, 18), QPageLayout::Millimeter));
    const QRectF page = writer.pageLayout().paintRectPixels(kLayoutDpi);
    document.setPageSize(page.size());
    fitPictures(document, page.width() - 2 * document.documentMargin());
    document.print(&writer);
    if (!QFileInfo(output).isFile() || QFileInfo(output).size() == 0) {
        error = QStringLiteral("cannot write %1").arg(output);
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char* argv[]) {
    // Fonts and pictures need a GUI application, but never a screen.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 3) {
        std::fputs("usage: kvor-manual IN.md OUT.pdf\n", stderr);
        return 2;
    }
    QString error;
    if (!convert(args[1], args[2], error)) {
        std::fprintf(stderr, "kvor-manual: %s\n", qPrintable(error));
        return 1;
    }
    return 0;
}
