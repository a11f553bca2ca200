#pragma once
// The modal preview of a rendered report: moving between pages, zoom, printer set-up, print,
// saving and loading of the rendered report, export to PDF.
//
// Every modal question (printer set-up, file choice, error message) goes through a seam that a
// test can answer, and the modal run itself can be replaced, so nothing blocks under QtTest.
#include "report/ReportRender.h"

#include <QDialog>
#include <functional>
#include <memory>

class QLabel;
class QPrinter;
class QScrollArea;
class QToolButton;

namespace kvor {

class TReportPageView;

class TReportPreview : public QDialog {
    Q_OBJECT
public:
    enum class TZoom { WholePage, Actual, PageWidth };

    explicit TReportPreview(TRenderedReport report, QWidget* parent = nullptr);
    ~TReportPreview() override;

    // Seams. Defaults: the printer dialog, the file dialogs, the critical message box.
    std::function<bool(QPrinter& printer)> PrinterSetup;
    // Returns the chosen file name, empty when the user cancels.
    std::function<QString(const QString& caption, const QString& filter, bool forSaving)> ChooseFile;
    std::function<void(const QString& message)> ShowError;

    const TRenderedReport& report() const { return m_report; }
    int currentPage() const { return m_page; } // 0-based
    int pageCount() const { return m_report.pageCount(); }
    TZoom zoom() const { return m_zoom; }
    // Screen pixels per millimetre at the present zoom.
    double dotsPerMm() const;
    QPrinter& printer() { return *m_printer; }
    QToolButton* button(const QString& objectName) const;

    // Shows the window modally, or hands it to the runner set for tests.
    int run();
    static void setModalRunner(std::function<int(TReportPreview&)> runner);

public slots:
    void firstPage();
    void previousPage();
    void nextPage();
    void lastPage();
    void showPage(int page);
    void zoomWholePage();
    void zoomActual();
    void zoomPageWidth();
    void setupPrinter();
    void print();
    void saveReport();
    void loadReport();
    void exportToPdf();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    QToolButton* addButton(const char* name, const QString& text, const QString& toolTip,
                           void (TReportPreview::*slot)());
    void setZoom(TZoom zoom);
    void updateView();
    void guarded(const std::function<void()>& action);

    TRenderedReport m_report;
    std::unique_ptr<QPrinter> m_printer;
    int m_page = 0;
    TZoom m_zoom = TZoom::WholePage;
    QScrollArea* m_scroll = nullptr;
    TReportPageView* m_view = nullptr;
    QLabel* m_pageLabel = nullptr;
};

// Renders a report and shows it in the modal preview, from which the user prints.
void previewReport(TReport& report, QWidget* parent = nullptr);

} // namespace kvor
