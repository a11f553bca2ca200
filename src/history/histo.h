#pragma once
// The history windows TFhisto3, TFhisto1, TFhisto2, TFhisto1c and TFhisto2c: one read-only window
// over the server's request table, made into each of the five by its kind (HistoryKinds.h).
//
// Top to bottom: the grid of the listing; a bar with the year box "Rok", the centre code and "Zpět";
// and, in all but TFhisto3, the detail panel with the laboratory's results of the current row and
// the button "Zobrazit ULČ" that fetches the result document.
#include "history/HistoryKinds.h"
#include "server/ZQuery.h"
#include "widgets/MessageBox.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QPushButton;

namespace kvor {

class TDataSource;
class TDBEdit;
class THistoryGrid;
class THistoryGridModel;

// What a history window takes from the main window when it runs its statements.
struct THistoryContext {
    TZConnection* Connection = nullptr; // the main window's connection, used as it stands
    QString CompanyIco;
    int IdFirma = 0;       // company record id; 0 before any company lookup
    QString ProgramFolder; // where ulc.pdf is written
};

class THistoryWindow : public QDialog {
    Q_OBJECT
public:
    static const QStringList kYearItems; // "Vše", "2012", "2011", "2010"

    THistoryWindow(const THistoryKind& kind, const THistoryContext& context, QWidget* parent = nullptr);
    ~THistoryWindow() override;

    const THistoryKind& Kind() const { return m_kind; }

    // Rebuilds the listing statement from the year box and reopens the listing. Raises the server's
    // error with the listing closed.
    void UdelejSQL();
    // The year of the listing: the year box's text when it is one of the items after "Vše",
    // otherwise empty (no year filter).
    QString SelectedYear() const;
    // "Zobrazit ULČ": the result document of the current row into ulc.pdf, opened in the viewer.
    void ZobrazitULCClick();
    QString ResultDocumentPath() const;

    TZQuery ZQuery1; // the listing: grid and detail fields
    TZQuery ZQuery2; // the result document
    TMessageBox dotaz;

    THistoryGrid* Grid = nullptr;
    QComboBox* ComboRok = nullptr;
    QLabel* LabelCSO = nullptr;
    QPushButton* ButtonZpet = nullptr;
    QWidget* DetailPanel = nullptr;           // nullptr in TFhisto3
    QPushButton* ButtonZobrazitULC = nullptr; // nullptr in TFhisto3
    // The detail value field bound to a server column; nullptr when there is none.
    TDBEdit* DetailField(const QString& column) const;

    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    QWidget* buildBar();
    QWidget* buildDetailPanel();

    const THistoryKind& m_kind;
    THistoryContext m_context;
    THistoryGridModel* m_model = nullptr;
    TDataSource* m_source = nullptr;
    QList<TDBEdit*> m_detailFields;
    bool m_shown = false;
};

} // namespace kvor
