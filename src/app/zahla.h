#pragma once
// The main window: the request editor, its start-up and the commands of its menu and buttons.
#include "splash/StartDialogSem.h"

#include "server/ServerSql.h"

#include <QHash>
#include <QMainWindow>
#include <QPointer>
#include <memory>

class QAction;
class QFrame;
class QGroupBox;
class QMenu;
class QPushButton;
class QToolButton;

namespace kvor {

class TDataSet;
class TDataSource;
class TDsDatabase;
class TDsDbfTable;
class TDsMemTable;
class TDBComboBox;
class TDBCheckBox;
class TDBDateEdit;
class TDBEdit;
class TDBGrid;
class TDataSetTableModel;
class TMessageBox;
class TRaDBSearch;
class TServerLink;
class TVarietyBar;

class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    static constexpr int kClientWidth = 736;
    static constexpr int kClientHeight = 644;
    static constexpr int kVarietyPanelWidth = 385;
    static constexpr int kMinimumStartupMs = 3000;

    // Window creation: folders, splash, data folder, user and computer, update check.
    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    // Whether window creation asked the program to end (the user chose to install a new version).
    bool TerminateRequested() const { return m_terminate; }
    // The first showing has run to its end; the editor takes input.
    bool Ready() const { return m_ready; }
    // The least time from window creation to the end of the splash (tests shorten it).
    void SetMinimumStartupTime(int milliseconds) { m_minimumStartupMs = milliseconds; }

    // Values of the run.
    QString applicantNumber;        // PODNIK of new requests
    QString defaultApplicantNumber; // DPODNIK
    QString companyIco;
    QString companyName;
    QString centreCode; // STREDISKO
    QString computerUser;
    QString computerName;
    int idFirma = 0;
    QString loadedRequestKey;
    QString partnerIco;
    bool Online() const;

    // Components.
    TDsDatabase* DsDatabase1 = nullptr;
    TDsDbfTable* Dbf5 = nullptr;
    TDsDbfTable* Dbf2st = nullptr;
    TDsDbfTable* DbfEx = nullptr;
    TDsDbfTable* DbfAd = nullptr;
    TDsDbfTable* DsDbfTable33 = nullptr;
    TDsDbfTable* DsDbfTable1 = nullptr;
    TDsMemTable* DsMemTable33 = nullptr;
    TDsMemTable* DsMemTable1 = nullptr;
    TRaDBSearch* RaDBSearch1 = nullptr;        // the search over the variety grid
    QPointer<TStartDialogSem> StartDialogSem1; // empty once the splash has closed
    TDataSource* DataSource1 = nullptr;        // the request
    TMessageBox* dotaz = nullptr;
    TServerLink& Link() const { return *m_link; }

    // Operations.
    void TestSQLjakje();
    void aDBF(bool startupMode);
    void test_firma();
    void NactiObalMoridlo();
    void UlozTexty(const QString& fieldName);
    void Akt_prg(int mode);
    void TiskZado();

    // Handlers.
    void FormShow();
    void EditDILExit();
    void DBDateEdit1Exit();
    void mnozstviExit();
    void Dbf5AfterEdit();
    void ZapsatClick();
    void ZpetClick();
    void TiskClick();
    void StitekClick();
    void SmazatClick();
    void OdrudyClick(); // "<"
    void PrevzitClick();
    void PanelZpetClick();
    void Porost2Click(); // "4. - 10."
    void Nastavenprogramu1Click();
    void Aktualizace1Click();
    // A history window of the menu "Historie", shown modally.
    void HistorieClick(THistoryVariant variant);

    // The control bound to a request field (tests, focus order).
    QWidget* FieldControl(const QString& fieldName) const;
    QList<QWidget*> FocusOrder() const { return m_focusOrder; }

    // Buttons, menus and the variety panel.
    QPushButton* ButtonZapsat = nullptr;
    QPushButton* ButtonZpet = nullptr;
    QPushButton* ButtonTisk = nullptr;
    QPushButton* ButtonStitek = nullptr;
    QPushButton* ButtonSmazat = nullptr;
    QToolButton* ButtonOdrudy = nullptr;
    QToolButton* ButtonPorost = nullptr;
    QMenu* MenuHistorie = nullptr;
    QAction* Aktualizace1 = nullptr;
    QAction* Nastavenprogramu1 = nullptr;
    TVarietyBar* VarietyBar = nullptr;
    QFrame* VarietyPanel = nullptr;
    TDBGrid* VarietyGrid = nullptr;
    TDataSetTableModel* VarietyModel = nullptr;
    QPushButton* ButtonPrevzit = nullptr;
    QPushButton* ButtonPanelZpet = nullptr;
    bool VarietyPanelOpen() const;

signals:
    void ready();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildMenu();
    void buildEditor(QWidget* central);
    void buildVarietyPanel(QWidget* central);
    void setFocusOrder();
    void openVarietyPanel(bool keepOpen);
    void readIdentity();
    void openRequestTable();
    void newRequestRecord();
    void setEditingButtons(bool editing);
    // Enables "Tisk" and "Štítek na vz." only while the current request has a request number.
    void setPrintButtons(bool enabled);
    bool hasRequestNumber() const noexcept;
    bool requestEdited() const;
    void zapsatServerHalf();
    void waitForMinimumStartupTime();
    void showSplash();
    void closeSplash();
    QString programFile(const QString& name) const;
    void bindEnterAsTab(QWidget* control);

    TDBEdit* edit(QGroupBox* group, const char* field, int maxLength = 0);
    TDBComboBox* combo(QGroupBox* group, const char* field, bool editable);
    TDBDateEdit* dateEdit(QGroupBox* group, const char* field);
    TDBCheckBox* checkBox(QGroupBox* group, const char* field, const QString& caption);
    QToolButton* textButton(QGroupBox* group, const char* field);

    std::unique_ptr<TServerLink> m_link;
    QHash<QString, QWidget*> m_controls;
    QList<QWidget*> m_focusOrder;
    QList<QWidget*> m_enterAsTab;
    TStartupClock m_startTime;
    int m_minimumStartupMs = kMinimumStartupMs;
    int m_panelOpenWidth = 0;
    bool m_panelKeptOpen = false;
    bool m_shown = false;
    bool m_ready = false;
    bool m_terminate = false;
};

} // namespace kvor
