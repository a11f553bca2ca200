#include "history/histo.h"

#include "history/HistoryGrid.h"
#include "history/ResultDocument.h"
#include "widgets/DBControls.h"
#include "widgets/DataSource.h"
#include "widgets/ErrorBox.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace kvor {

const QStringList THistoryWindow::kYearItems{QStringLiteral("Vše"), QStringLiteral("2012"),
                                             QStringLiteral("2011"), QStringLiteral("2010")};

namespace {

const QString kNotFound = QStringLiteral("ULČ nenalezen!");

// The busy cursor while the server works; restored on every path.
class WaitCursor {
public:
    WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { restore(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
    void restore() {
        if (std::exchange(m_active, false)) QGuiApplication::restoreOverrideCursor();
    }

private:
    bool m_active = true;
};

// A label and the read-only value field of one server column in the detail panel, placed in pixels.
// A label above its value has its value 16 pixels lower; an empty label is not shown.
struct TDetailField {
    const char* Label;
    const char* Column;
    int LabelX, LabelY, ValueX, ValueY, ValueWidth;
    bool Bold = false;
};

// clang-format off
const TDetailField kDetailFields[] = {
    // label                    column        label x, y  value x, y  width
    // the result and its dates, at the left
    {"ULČ",                    "ULC",         8,   10,    110, 8,    90, true},
    {"Uznáno ve stupni",       "UZNA_STUP",   8,   32,    110, 30,   90},
    {"Vystaven",               "DATUMROZHO",  8,   54,    110, 52,   90},
    {"Ukončení zk.",           "DATUMZK",     8,   76,    110, 74,   90},
    // the numeric results in a row under them, each label above its value
    {"Čistota",                "CISTOTA",     8,   98,    8,   114,  58},
    {"Nečistoty",              "NECISTOTY",   70,  98,    70,  114,  58},
    {"JRD",                    "JINEKULTUR",  132, 98,    132, 114,  58},
    {"Po.dnů",                 "POCET_DNU",   194, 98,    194, 114,  58},
    {"Klíčivost",              "KLICIVOST",   256, 98,    256, 114,  58},
    {"Tvrdá s.",               "TVRDY",       318, 98,    318, 114,  58},
    {"Vadné k.",               "V_KLICKY",    380, 98,    380, 114,  58},
    {"Vlhkost",                "VLHKOST",     442, 98,    442, 114,  58},
    {"MKS",                    "MKS",         504, 98,    504, 114,  58},
    {"HTS",                    "HTS",         566, 98,    566, 114,  58},
    // the text lines at the right
    {"Složení nešk.nečis.",    "TEXT_KULTU",  650, 10,    790, 8,    295},
    {"Semena jin.ros.dru.",    "TEXT_PLEVE",  650, 32,    790, 30,   295},
    {"Zdravotní stav osiva",   "ZJISTENI4",   650, 54,    790, 52,   295},
    {"Další stanovení",        "ZJISTENI",    650, 76,    790, 74,   295},
    {"",                       "ZJISTENI2",   0,   0,     790, 96,   295},
    {"",                       "ZJISTENI3",   0,   0,     790, 118,  295},
};
// clang-format on

} // namespace

THistoryWindow::THistoryWindow(const THistoryKind& kind, const THistoryContext& context, QWidget* parent)
    : QDialog(parent), dotaz(this), m_kind(kind), m_context(context) {
    setObjectName(kind.ClassName);
    setWindowTitle(kind.Title);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(kHistoryWidth, kHistoryHeight);

    ZQuery1.SetName(QStringLiteral("ZQuery1"));
    ZQuery1.SetConnection(context.Connection);
    ZQuery2.SetName(QStringLiteral("ZQuery2"));
    ZQuery2.SetConnection(context.Connection);
    m_source = new TDataSource(&ZQuery1, this);

    m_model = new THistoryGridModel(&ZQuery1, kind.Columns, this);
    Grid = new THistoryGrid(m_model, this);
    Grid->setObjectName(QStringLiteral("DBGrid1"));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(Grid, 1);
    layout->addWidget(buildBar());
    if (kind.DetailPanel) layout->addWidget(buildDetailPanel());
}

THistoryWindow::~THistoryWindow() {
    // The queries are members and end before the window's children: everything that reads them
    // goes first, so that closing them notifies no one.
    delete Grid;
    delete m_model;
    qDeleteAll(m_detailFields);
    delete m_source;
    ZQuery1.Close();
    ZQuery2.Close();
}

QWidget* THistoryWindow::buildBar() {
    auto* bar = new QWidget(this);
    bar->setObjectName(QStringLiteral("PanelRok"));
    bar->setFixedHeight(m_kind.BarHeight);
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(12, 0, 12, 0);
    row->setSpacing(8);

    auto* labelRok = new QLabel(QStringLiteral("Rok"), bar);
    ComboRok = new QComboBox(bar);
    ComboRok->setObjectName(QStringLiteral("ComboRok"));
    ComboRok->setEditable(true);
    ComboRok->setInsertPolicy(QComboBox::NoInsert);
    ComboRok->setCompleter(nullptr); // the typed text is the text, keystroke by keystroke
    ComboRok->addItems(kYearItems);
    ComboRok->setMaxVisibleItems(11);
    ComboRok->setFixedWidth(80);
    labelRok->setBuddy(ComboRok);
    // Picking an item and typing both change the text; each change runs the listing anew.
    connect(ComboRok, &QComboBox::editTextChanged, this,
            [this] { runGuarded([this] { UdelejSQL(); }, this); });

    auto* labelCso = new QLabel(QStringLiteral("ČSO"), bar);
    LabelCSO = new QLabel(bar);
    LabelCSO->setObjectName(QStringLiteral("LabelCSO"));
    LabelCSO->setMinimumWidth(40);

    ButtonZpet = new QPushButton(QStringLiteral("Zpět"), bar);
    ButtonZpet->setObjectName(QStringLiteral("ButtonZpet"));
    ButtonZpet->setCursor(Qt::PointingHandCursor);
    ButtonZpet->setAutoDefault(false);
    connect(ButtonZpet, &QPushButton::clicked, this, &QDialog::reject);

    row->addWidget(labelRok);
    row->addWidget(ComboRok);
    row->addSpacing(24);
    row->addWidget(labelCso);
    row->addWidget(LabelCSO);
    row->addStretch(1);
    row->addWidget(ButtonZpet);
    return bar;
}

QWidget* THistoryWindow::buildDetailPanel() {
    DetailPanel = new QWidget(this);
    DetailPanel->setObjectName(QStringLiteral("PanelULC"));
    DetailPanel->setFixedHeight(kDetailPanelHeight);
    for (const TDetailField& d : kDetailFields) {
        if (*d.Label) {
            auto* label = new QLabel(QString::fromUtf8(d.Label), DetailPanel);
            label->move(d.LabelX, d.LabelY);
            if (d.Bold) {
                QFont bold = label->font();
                bold.setBold(true);
                label->setFont(bold);
            }
        }
        auto* value = new TDBEdit(DetailPanel);
        value->setObjectName(QStringLiteral("DBEdit") + QString::fromLatin1(d.Column));
        value->SetDataSource(m_source);
        value->SetDataField(QString::fromLatin1(d.Column));
        value->SetReadOnly(true);
        value->setFrame(false);
        value->setFocusPolicy(Qt::NoFocus);
        value->setGeometry(d.ValueX, d.ValueY, d.ValueWidth, 18);
        m_detailFields << value;
    }
    ButtonZobrazitULC = new QPushButton(QStringLiteral("Zobrazit ULČ"), DetailPanel);
    ButtonZobrazitULC->setObjectName(QStringLiteral("ButtonZobrazitULC"));
    ButtonZobrazitULC->setCursor(Qt::PointingHandCursor);
    ButtonZobrazitULC->setAutoDefault(false);
    ButtonZobrazitULC->setGeometry(215, 8, 110, 26);
    connect(ButtonZobrazitULC, &QPushButton::clicked, this,
            [this] { runGuarded([this] { ZobrazitULCClick(); }, this); });
    return DetailPanel;
}

TDBEdit* THistoryWindow::DetailField(const QString& column) const {
    for (TDBEdit* field : m_detailFields)
        if (field->DataField().compare(column, Qt::CaseInsensitive) == 0) return field;
    return nullptr;
}

QString THistoryWindow::SelectedYear() const {
    const QString text = ComboRok->currentText();
    const int item = kYearItems.indexOf(text);
    return item > 0 ? text : QString();
}

void THistoryWindow::UdelejSQL() {
    WaitCursor busy;
    ZQuery1.Close();
    ZQuery1.SQL().clear();
    ZQuery1.SQL() =
        sql::historyListing(m_kind.Variant, m_context.IdFirma, m_context.CompanyIco, SelectedYear());
    // Before the company lookup this workstation has no record id and so no requests of its own:
    // the rows with id_firma 0 are those that workstations of any company sent before their
    // lookup, and are not shown to it. The listing stays empty.
    if (!isWholeCompany(m_kind.Variant) && m_context.IdFirma == 0) return;
    ZQuery1.Open();
}

QString THistoryWindow::ResultDocumentPath() const {
    return QDir(m_context.ProgramFolder).filePath(QString::fromLatin1(kResultDocumentFile));
}

void THistoryWindow::ZobrazitULCClick() {
    // The ULČ of the current row; empty without one or without rows.
    const TField* ulcField = ZQuery1.Active() ? ZQuery1.FindField(QStringLiteral("ulc")) : nullptr;
    const QString ulc = ulcField ? ulcField->AsString() : QString();

    WaitCursor busy;
    const int count = countResultDocuments(ZQuery2, m_context.CompanyIco, ulc);
    busy.restore();
    if (count == 0) {
        dotaz.Ask(kNotFound, TMsgIcon::Stop, {QStringLiteral("OK")});
        return;
    }

    WaitCursor fetching;
    const std::optional<QByteArray> document = fetchResultDocument(ZQuery2, m_context.CompanyIco, ulc);
    if (!document) {
        // Gone between the count and the fetch.
        fetching.restore();
        dotaz.Ask(kNotFound, TMsgIcon::Stop, {QStringLiteral("OK")});
        return;
    }
    const QString path = ResultDocumentPath();
    writeResultDocument(path, *document);
    fetching.restore();
    // The window repaints before the viewer comes up.
    QCoreApplication::processEvents();
    openResultDocument(path);
}

void THistoryWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (std::exchange(m_shown, true)) return;
    if (QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    {
        const QSignalBlocker quiet(ComboRok);
        ComboRok->setCurrentIndex(1);
    }
    runGuarded([this] { UdelejSQL(); }, this);
}

void THistoryWindow::done(int result) {
    ZQuery1.Close();
    ZQuery2.Close();
    QDialog::done(result);
}

} // namespace kvor
