#include "report/ReportPreview.h"

#include "report/ReportPaint.h"

#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QScrollArea>
#include <QScrollBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace kvor {

namespace {

std::function<int(TReportPreview&)>& modalRunner() {
    static std::function<int(TReportPreview&)> runner;
    return runner;
}

constexpr int pageMargin = 12; // grey border around the page on the screen, pixels

const QString reportFilter = QStringLiteral("Uložená sestava (*.kvr);;Všechny soubory (*)");
const QString pdfFilter = QStringLiteral("Dokument PDF (*.pdf);;Všechny soubory (*)");

} // namespace

// The page as it looks on paper, at the preview's zoom.
class TReportPageView : public QWidget {
public:
    explicit TReportPageView(TReportPreview& preview) : QWidget(nullptr), m_preview(preview) {
        setAutoFillBackground(false);
    }

    void updateSize() {
        const QSizeF paper = m_preview.report().PaperSize * m_preview.dotsPerMm();
        setFixedSize(qCeil(paper.width()) + 2 * pageMargin, qCeil(paper.height()) + 2 * pageMargin);
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), palette().color(QPalette::Mid));
        const double dpmm = m_preview.dotsPerMm();
        const QRectF paper(pageMargin, pageMargin, m_preview.report().PaperSize.width() * dpmm,
                           m_preview.report().PaperSize.height() * dpmm);
        painter.fillRect(paper.translated(3, 3), Qt::darkGray);
        painter.fillRect(paper, Qt::white);
        if (m_preview.pageCount() == 0) return;
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::TextAntialiasing);
        painter.setClipRect(paper);
        painter.translate(paper.topLeft());
        paintPage(painter, m_preview.report().Pages[m_preview.currentPage()], dpmm);
    }

private:
    TReportPreview& m_preview;
};

TReportPreview::TReportPreview(TRenderedReport report, QWidget* parent)
    : QDialog(parent), m_report(std::move(report)),
      m_printer(std::make_unique<QPrinter>(QPrinter::HighResolution)) {
    setWindowTitle(QStringLiteral("Náhled tisku"));
    setModal(true);
    resize(900, 1000);

    PrinterSetup = [this](QPrinter& printer) {
        QPrintDialog dialog(&printer, this);
        dialog.setWindowTitle(QStringLiteral("Nastavení tiskárny"));
        return dialog.exec() == QDialog::Accepted;
    };
    ChooseFile = [this](const QString& caption, const QString& filter, bool forSaving) {
        return forSaving ? QFileDialog::getSaveFileName(this, caption, QString(), filter)
                         : QFileDialog::getOpenFileName(this, caption, QString(), filter);
    };
    ShowError = [this](const QString& message) { QMessageBox::critical(this, windowTitle(), message); };

    auto* bar = new QHBoxLayout;
    bar->setSpacing(2);
    addButton("first", QStringLiteral("První"), QStringLiteral("První strana"), &TReportPreview::firstPage);
    addButton("previous", QStringLiteral("Předchozí"), QStringLiteral("Předchozí strana"),
              &TReportPreview::previousPage);
    addButton("next", QStringLiteral("Další"), QStringLiteral("Další strana"), &TReportPreview::nextPage);
    addButton("last", QStringLiteral("Poslední"), QStringLiteral("Poslední strana"),
              &TReportPreview::lastPage);
    addButton("wholePage", QStringLiteral("Celá strana"), QStringLiteral("Zobrazit celou stranu"),
              &TReportPreview::zoomWholePage);
    addButton("actualSize", QStringLiteral("100 %"), QStringLiteral("Skutečná velikost"),
              &TReportPreview::zoomActual);
    addButton("pageWidth", QStringLiteral("Šířka strany"), QStringLiteral("Přizpůsobit šířce strany"),
              &TReportPreview::zoomPageWidth);
    addButton("printerSetup", QStringLiteral("Tiskárna"), QStringLiteral("Nastavení tiskárny"),
              &TReportPreview::setupPrinter);
    addButton("print", QStringLiteral("Tisk"), QStringLiteral("Vytisknout sestavu"), &TReportPreview::print);
    addButton("save", QStringLiteral("Uložit"), QStringLiteral("Uložit sestavu do souboru"),
              &TReportPreview::saveReport);
    addButton("load", QStringLiteral("Načíst"), QStringLiteral("Načíst uloženou sestavu"),
              &TReportPreview::loadReport);
    addButton("pdf", QStringLiteral("PDF"), QStringLiteral("Exportovat do PDF"),
              &TReportPreview::exportToPdf);
    QToolButton* close =
        addButton("close", QStringLiteral("Zavřít"), QStringLiteral("Zavřít náhled"), nullptr);
    connect(close, &QToolButton::clicked, this, &QDialog::accept);
    button(QStringLiteral("first"))->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Home));
    button(QStringLiteral("previous"))->setShortcut(QKeySequence(Qt::Key_PageUp));
    button(QStringLiteral("next"))->setShortcut(QKeySequence(Qt::Key_PageDown));
    button(QStringLiteral("last"))->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_End));
    button(QStringLiteral("print"))->setShortcut(QKeySequence::Print);
    for (QToolButton* b : findChildren<QToolButton*>())
        bar->addWidget(b);
    m_pageLabel = new QLabel(this);
    bar->addSpacing(12);
    bar->addWidget(m_pageLabel);
    bar->addStretch();

    m_view = new TReportPageView(*this);
    m_scroll = new QScrollArea(this);
    m_scroll->setWidget(m_view);
    m_scroll->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_scroll->setBackgroundRole(QPalette::Mid);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(m_scroll, 1);

    try {
        preparePrinter(*m_printer, m_report);
    } catch (const EReportError&) {
        // A printer without the report's paper says so when the user prints.
    }
    updateView();
}

TReportPreview::~TReportPreview() = default;

QToolButton* TReportPreview::addButton(const char* name, const QString& text, const QString& toolTip,
                                       void (TReportPreview::*slot)()) {
    auto* b = new QToolButton(this);
    b->setObjectName(QLatin1String(name));
    b->setText(text);
    b->setToolTip(toolTip);
    b->setAutoRaise(true);
    if (slot) connect(b, &QToolButton::clicked, this, slot);
    return b;
}

QToolButton* TReportPreview::button(const QString& objectName) const {
    return findChild<QToolButton*>(objectName);
}

double TReportPreview::dotsPerMm() const {
    const double actual = logicalDpiX() / 25.4;
    if (m_zoom == TZoom::Actual || !m_scroll) return actual;
    const QSize room = m_scroll->maximumViewportSize() - QSize(2 * pageMargin + 4, 2 * pageMargin + 4);
    const QSizeF paper = m_report.PaperSize;
    double perMm = room.width() / paper.width();
    if (m_zoom == TZoom::WholePage)
        perMm = std::min(perMm, room.height() / paper.height());
    else if (room.height() < paper.height() * perMm) // a vertical scroll bar will take its width
        perMm = (room.width() - m_scroll->verticalScrollBar()->sizeHint().width()) / paper.width();
    return std::max(perMm, 0.5);
}

int TReportPreview::run() {
    if (const auto& runner = modalRunner()) return runner(*this);
    return exec();
}

void TReportPreview::setModalRunner(std::function<int(TReportPreview&)> runner) {
    modalRunner() = std::move(runner);
}

void TReportPreview::firstPage() {
    showPage(0);
}
void TReportPreview::previousPage() {
    showPage(m_page - 1);
}
void TReportPreview::nextPage() {
    showPage(m_page + 1);
}
void TReportPreview::lastPage() {
    showPage(pageCount() - 1);
}

void TReportPreview::showPage(int page) {
    m_page = std::clamp(page, 0, std::max(0, pageCount() - 1));
    updateView();
}

void TReportPreview::zoomWholePage() {
    setZoom(TZoom::WholePage);
}
void TReportPreview::zoomActual() {
    setZoom(TZoom::Actual);
}
void TReportPreview::zoomPageWidth() {
    setZoom(TZoom::PageWidth);
}

void TReportPreview::setZoom(TZoom zoom) {
    m_zoom = zoom;
    updateView();
}

void TReportPreview::updateView() {
    m_pageLabel->setText(QStringLiteral("Strana %1 z %2").arg(pageCount() ? m_page + 1 : 0).arg(pageCount()));
    button(QStringLiteral("first"))->setEnabled(m_page > 0);
    button(QStringLiteral("previous"))->setEnabled(m_page > 0);
    button(QStringLiteral("next"))->setEnabled(m_page + 1 < pageCount());
    button(QStringLiteral("last"))->setEnabled(m_page + 1 < pageCount());
    button(QStringLiteral("print"))->setEnabled(pageCount() > 0);
    button(QStringLiteral("pdf"))->setEnabled(pageCount() > 0);
    button(QStringLiteral("save"))->setEnabled(pageCount() > 0);
    m_view->updateSize();
}

void TReportPreview::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    m_view->updateSize();
}

void TReportPreview::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    m_view->updateSize();
}

void TReportPreview::guarded(const std::function<void()>& action) {
    // No exception may cross the event loop: the user is told and the preview stays open.
    try {
        action();
    } catch (const EReportError& e) {
        ShowError(e.message());
    } catch (const std::exception& e) {
        ShowError(QString::fromUtf8(e.what()));
    }
}

void TReportPreview::setupPrinter() {
    guarded([this] {
        const QString device = m_printer->printerName();
        const QPrinter::OutputFormat format = m_printer->outputFormat();
        if (!PrinterSetup(*m_printer)) return;
        // Another printer does not know what the report asked of the first one; the user's own
        // choices on the same printer stay.
        if (m_printer->printerName() != device || m_printer->outputFormat() != format) {
            m_printer->setDuplex(m_report.Duplex ? QPrinter::DuplexLongSide : QPrinter::DuplexNone);
            if (m_printer->copyCount() < 1) m_printer->setCopyCount(std::max(1, m_report.Copies));
        }
    });
}

void TReportPreview::print() {
    guarded([this] {
        // The form is designed for its paper, whatever the printer dialog chose meanwhile.
        setReportPaper(*m_printer, m_report);
        printReport(m_report, *m_printer);
    });
}

void TReportPreview::saveReport() {
    guarded([this] {
        const QString file = ChooseFile(QStringLiteral("Uložit sestavu"), reportFilter, true);
        if (!file.isEmpty()) m_report.save(file);
    });
}

void TReportPreview::loadReport() {
    guarded([this] {
        const QString file = ChooseFile(QStringLiteral("Načíst sestavu"), reportFilter, false);
        if (file.isEmpty()) return;
        m_report = TRenderedReport::load(file);
        preparePrinter(*m_printer, m_report);
        m_page = 0;
        updateView();
    });
}

void TReportPreview::exportToPdf() {
    guarded([this] {
        const QString file = ChooseFile(QStringLiteral("Export do PDF"), pdfFilter, true);
        if (!file.isEmpty()) exportPdf(m_report, file);
    });
}

void previewReport(TReport& report, QWidget* parent) {
    TReportPreview preview(renderReport(report), parent);
    if (!report.Title.isEmpty())
        preview.setWindowTitle(QStringLiteral("Náhled tisku – %1").arg(report.Title));
    preview.run();
}

} // namespace kvor
