#include "app/zahla.h"

#include "app/AppWindows.h"
#include "app/RequestRecord.h"
#include "app/RequestRules.h"
#include "app/SavedTexts.h"
#include "app/mozno.h"
#include "app/porost2.h"
#include "app/utexty.h"
#include "history/histo.h"
#include "platform/EmptyDate.h"
#include "platform/ProfileFile.h"
#include "platform/SystemInfo.h"
#include "print/LabelJob.h"
#include "print/PrintJob.h"
#include "print/stit.h"
#include "print/tiskformS.h"
#include "report/ReportPreview.h"
#include "server/CodeLists.h"
#include "server/CompanyLookup.h"
#include "server/ExportQueue.h"
#include "server/ServerLink.h"
#include "server/Submission.h"
#include "splash/HelpMenu.h"
#include "splash/StartDialogSem.h"
#include "tablestore/DsDbfTable.h"
#include "tablestore/DsMemTable.h"
#include "tablestore/search/RaDBSearch.h"
#include "update/UpdateRun.h"
#include "widgets/DBControls.h"
#include "widgets/DataSetTableModel.h"
#include "widgets/ErrorBox.h"
#include "widgets/MessageBox.h"
#include "widgets/ppracuji.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDateTime>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <cmath>
#include <optional>

namespace kvor {

// The collapsed variety panel: a narrow bar with its title written upwards; a click opens the panel.
class TVarietyBar : public QWidget {
public:
    explicit TVarietyBar(QWidget* parent) : QWidget(parent) {
        setObjectName(QStringLiteral("VarietyBar"));
        setCursor(Qt::PointingHandCursor);
        setToolTip(Title);
    }
    const QString Title = QStringLiteral("Druh, odrůda, stupeň");
    std::function<void()> OnClick;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), palette().color(QPalette::Button));
        p.setPen(palette().color(QPalette::Mid));
        p.drawRect(rect().adjusted(0, 0, -1, -1));
        p.setPen(palette().color(QPalette::ButtonText));
        p.translate(0, height());
        p.rotate(-90);
        p.drawText(QRect(0, 0, height(), width()), Qt::AlignCenter, Title);
    }
    void mousePressEvent(QMouseEvent*) override {
        if (OnClick) OnClick();
    }
};

namespace {

const QString kOfflineCodeLists =
    QStringLiteral("Není připojení k internetu.\rNelze aktualizovat číselníky.");
const QString kOfflineSubmission = QStringLiteral("Není připojení k internetu.\rŽádost nebyla uložena.");
const QString kOfflineExport = QStringLiteral(
    "Není připojení k internetu.\rŽádost uložena pro odeslání při příštím připojení k internetu.");
const QString kWorkingCodeLists = QStringLiteral("Aktualizuji číselníky");
const QString kAskClear = QStringLiteral("Opravdu vymazat vše na této žádosti?");
const QString kTextButtonHint = QStringLiteral("Otevře seznam, lze editovat");

QString str(const char* latin1) {
    return QString::fromLatin1(latin1);
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Window creation

TForm1::TForm1(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Trivan05 - Žádost o uznání vzorku - Kvor Pro"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setFont(QFont(QStringLiteral("Tahoma"), 8, QFont::Bold));

    DsDatabase1 = new TDsDatabase(this);
    DsDatabase1->SetName(QStringLiteral("DsDatabase1"));
    auto table = [this](const char* name, const char* file) {
        auto* t = new TDsDbfTable(this);
        t->SetName(str(name));
        t->SetDatabase(DsDatabase1);
        t->SetTableName(str(file));
        return t;
    };
    Dbf5 = table("Dbf5", "zadost.dbf");
    Dbf5->SetExclusive(true);
    Dbf2st = table("Dbf2st", "zadost2.dbf");
    Dbf2st->SetExclusive(true);
    DbfEx = table("DbfEx", "zadostex.dbf");
    DbfEx->SetExclusive(true);
    DbfAd = table("DbfAd", "zadostad.dbf");
    DbfAd->SetExclusive(true);
    DsDbfTable33 = table("DsDbfTable33", "cenik.dbf");
    DsDbfTable1 = table("DsDbfTable1", "cenik.dbf");
    DsDbfTable1->SetExclusive(true);
    DsMemTable33 = new TDsMemTable(this);
    DsMemTable33->SetName(QStringLiteral("DsMemTable33"));
    DsMemTable1 = new TDsMemTable(this);
    DsMemTable1->SetName(QStringLiteral("DsMemTable1"));
    RaDBSearch1 = new TRaDBSearch(this);
    RaDBSearch1->setObjectName(QStringLiteral("RaDBSearch1"));
    RaDBSearch1->SetSearchKind(TSearchKind::skContext);
    // The program's own modal seam shows the search window, so that it can be answered like any other.
    RaDBSearch1->ShowModal = [](QDialog& window) { return execDialog(window); };
    // The splash as this program configures it; shown during window creation.
    StartDialogSem1 = new TStartDialogSem(this);
    StartDialogSem1->SetBitmap(TStartDialogSem::ProgramPicture());
    StartDialogSem1->Ramecek = TRamecek::None;
    StartDialogSem1->Text1 = QStringLiteral("Kvor Pro");
    StartDialogSem1->Text2 = QStringLiteral("žádost o uznání vzorku");
    StartDialogSem1->Text1x = 0;
    StartDialogSem1->Text1y = 200;
    StartDialogSem1->Text2x = 0;
    StartDialogSem1->Text2y = 245;
    StartDialogSem1->Text1Color = Qt::blue;
    StartDialogSem1->Text2Color = Qt::blue;
    StartDialogSem1->Vypisverze = true;
    StartDialogSem1->FreeOnClose = true;
    StartDialogSem1->AutoZmiz = false;
    DataSource1 = new TDataSource(Dbf5, this);
    DataSource1->setObjectName(QStringLiteral("DataSource1"));
    dotaz = new TMessageBox(this);
    Dbf5->AfterEdit = [this](TDataSet&) { Dbf5AfterEdit(); };

    buildMenu();
    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("ClientArea"));
    central->setFixedSize(kClientWidth, kClientHeight);
    setCentralWidget(central);
    buildEditor(central);
    buildVarietyPanel(central);
    setFocusOrder();
    ButtonZapsat->setEnabled(false);
    // Nothing may be typed before the first showing has prepared the request.
    centralWidget()->setEnabled(false);
    menuBar()->setEnabled(false);

    // 1. The program folder is where every bare file name of the program lives.
    sys::makeProgramFolderCurrent();
    const QDir folder(sys::programFolder());
    // 2. Failures to create the folders are not reported: the steps that need them will be.
    folder.mkpath(QStringLiteral("../sqllog"));
    folder.mkpath(QStringLiteral("pdf"));
    // 3.
    m_link = std::make_unique<TServerLink>(TServerConfig::fromIni(programFile(QStringLiteral("kvor.ini"))));
    m_link->ZConnection1.Disconnect();
    // 4.
    showSplash();
    // 5.
    m_startTime.Start();
    // 6.
    folder.mkpath(QStringLiteral("data"));
    DsDatabase1->SetDatabaseName(folder.filePath(QStringLiteral("data")));
    // 7.
    computerUser = sys::userName();
    computerName = sys::computerName();
    // 8., 9.
    Akt_prg(0);
    if (m_terminate) closeSplash();

    layout()->setSizeConstraint(QLayout::SetFixedSize);
    adjustSize();
}

TForm1::~TForm1() {
    closeSplash();
    // An edit that was not saved is dropped with the window.
    if (Dbf5->State() == TDataSetState::dsEdit || Dbf5->State() == TDataSetState::dsInsert) Dbf5->Cancel();
    Dbf5->Close();
}

QString TForm1::programFile(const QString& name) const {
    return QDir(sys::programFolder()).filePath(name);
}

bool TForm1::Online() const {
    return m_link->Online();
}

void TForm1::showSplash() {
    if (StartDialogSem1) StartDialogSem1->Show();
}

void TForm1::closeSplash() {
    // Closing frees the component, which empties the reference.
    if (StartDialogSem1) StartDialogSem1->Close();
}

void TForm1::Akt_prg(int mode) {
    // A failing check (a version file without its second line) is reported like any other failure
    // of a command; at start-up, start-up goes on.
    runGuarded(
        [this, mode] {
            TUpdateRun run(*dotaz, this);
            if (!run.Execute(mode)) return;
            // The installer takes over: the program ends, at start-up before the window is shown.
            m_terminate = true;
            QCoreApplication::processEvents();
            close();
            QCoreApplication::quit();
        },
        this);
}

// ---------------------------------------------------------------------------------------------
// The window

void TForm1::buildMenu() {
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    auto item = [](QMenu* menu, const char* name, const QString& text) {
        QAction* action = menu->addAction(text);
        action->setObjectName(str(name));
        return action;
    };

    QMenu* main = bar->addMenu(QStringLiteral("Hlavní nabídka"));
    main->setObjectName(QStringLiteral("Hlavninabidka1"));
    connect(item(main, "Konec1", QStringLiteral("Konec")), &QAction::triggered, this, &QWidget::close);

    MenuHistorie = bar->addMenu(QStringLiteral("Historie"));
    MenuHistorie->setObjectName(QStringLiteral("Historie1"));
    // One item per history window, in the order of the kinds; the menu as a whole is disabled when
    // the server could not be reached (aDBF).
    static const char* const kHistoryItems[] = {"HistorieBezULC1", "HistorieZadostULC1", "HistorieULCZadost1",
                                                "HistorieZadostULCFirma1", "HistorieULCZadostFirma1"};
    for (int i = 0; i < historyKinds().size(); ++i) {
        const THistoryKind& kind = historyKinds()[i];
        connect(item(MenuHistorie, kHistoryItems[i], kind.MenuItem), &QAction::triggered, this,
                [this, variant = kind.Variant] { runGuarded([&] { HistorieClick(variant); }, this); });
    }

    QMenu* servis = bar->addMenu(QStringLiteral("Servis"));
    servis->setObjectName(QStringLiteral("Servis1"));
    Aktualizace1 = item(servis, "Aktualizace1", QStringLiteral("Aktualizace číselníků"));
    connect(Aktualizace1, &QAction::triggered, this, [this] { Aktualizace1Click(); });
    Nastavenprogramu1 = item(servis, "Nastavenprogramu1", QStringLiteral("Nastavení programu"));
    connect(Nastavenprogramu1, &QAction::triggered, this, [this] { Nastavenprogramu1Click(); });
    servis->addSeparator();
    connect(item(servis, "Kontrolanoveverze1", QStringLiteral("Kontrola nové verze")), &QAction::triggered,
            this, [this] { Akt_prg(1); });

    QMenu* pomoc = bar->addMenu(QStringLiteral("Pomoc"));
    pomoc->setObjectName(QStringLiteral("Pomoc1"));
    help::fillHelpMenu(pomoc, this);

    QMenu* konec = bar->addMenu(QStringLiteral("Konec"));
    konec->setObjectName(QStringLiteral("Konec2"));
    connect(item(konec, "Opravdu1", QStringLiteral("Opravdu")), &QAction::triggered, this, &QWidget::close);
}

TDBEdit* TForm1::edit(QGroupBox* group, const char* field, int maxLength) {
    auto* e = new TDBEdit(group);
    e->setObjectName(QStringLiteral("Edit") + str(field));
    e->SetDataSource(DataSource1);
    e->SetDataField(str(field));
    if (maxLength > 0) e->SetMaxLength(maxLength);
    m_controls.insert(str(field), e);
    bindEnterAsTab(e);
    return e;
}

TDBComboBox* TForm1::combo(QGroupBox* group, const char* field, bool editable) {
    auto* c = new TDBComboBox(group);
    c->setObjectName(QStringLiteral("Combo") + str(field));
    c->setEditable(editable);
    c->SetDataSource(DataSource1);
    c->SetDataField(str(field));
    m_controls.insert(str(field), c);
    bindEnterAsTab(c);
    if (c->lineEdit()) bindEnterAsTab(c->lineEdit());
    return c;
}

TDBDateEdit* TForm1::dateEdit(QGroupBox* group, const char* field) {
    auto* d = new TDBDateEdit(group);
    d->setObjectName(QStringLiteral("Date") + str(field));
    d->SetDataSource(DataSource1);
    d->SetDataField(str(field));
    d->setFixedWidth(100);
    m_controls.insert(str(field), d);
    bindEnterAsTab(d);
    connect(d, &TDBDateEdit::exited, this, [this] { runGuarded([this] { DBDateEdit1Exit(); }, this); });
    return d;
}

TDBCheckBox* TForm1::checkBox(QGroupBox* group, const char* field, const QString& caption) {
    auto* c = new TDBCheckBox(caption, group);
    c->setObjectName(QStringLiteral("Check") + str(field));
    c->SetDataSource(DataSource1);
    c->SetDataField(str(field));
    m_controls.insert(str(field), c);
    bindEnterAsTab(c);
    return c;
}

QToolButton* TForm1::textButton(QGroupBox* group, const char* field) {
    auto* b = new QToolButton(group);
    b->setObjectName(QStringLiteral("ButtonT") + str(field));
    b->setText(QStringLiteral("T"));
    b->setToolTip(kTextButtonHint);
    b->setCursor(Qt::PointingHandCursor);
    b->setFixedSize(22, 22);
    const QString name = str(field);
    connect(b, &QToolButton::clicked, this, [this, name] { runGuarded([&] { UlozTexty(name); }, this); });
    return b;
}

void TForm1::bindEnterAsTab(QWidget* control) {
    control->installEventFilter(this);
    m_enterAsTab << control;
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    if (watched == VarietyPanel && event->type() == QEvent::Leave && !m_panelKeptOpen) {
        VarietyPanel->hide();
        return false;
    }
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
            (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
            auto* widget = qobject_cast<QWidget*>(watched);
            if (widget && m_enterAsTab.contains(widget)) {
                // A list whose drop-down is open takes Enter as the choice of its item.
                auto* box = qobject_cast<QComboBox*>(widget);
                if (!box && widget->parentWidget()) box = qobject_cast<QComboBox*>(widget->parentWidget());
                if (box && box->view() && box->view()->isVisible()) return false;
                focusNextPrevChild(true);
                return true;
            }
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TForm1::buildEditor(QWidget* central) {
    // Every group puts its captions into a first column of one width, so that the fields of all six
    // groups start on one line.
    const QFontMetrics metrics(font());
    int captionWidth = 0;
    for (const char* c : {"Žádost o", "Rozbor provede", "Další požadavky", "Úřední záznam", "Místo odběru",
                          "Zahr.partie", "Množství"})
        captionWidth = std::max(captionWidth, metrics.horizontalAdvance(QString::fromUtf8(c)));
    captionWidth += 8;

    const int groupsLeft = 28;
    const int buttonsWidth = 104;
    const int groupsWidth = kClientWidth - groupsLeft - buttonsWidth - 12;

    auto* column = new QWidget(central);
    column->setObjectName(QStringLiteral("Groups"));
    column->setGeometry(groupsLeft, 2, groupsWidth, kClientHeight - 4);
    auto* groups = new QVBoxLayout(column);
    groups->setContentsMargins(0, 0, 0, 0);
    groups->setSpacing(3);

    auto newGroup = [&](int number) {
        auto* g = new QGroupBox(column);
        g->setObjectName(QStringLiteral("GroupBox%1").arg(number));
        auto* grid = new QGridLayout(g);
        grid->setContentsMargins(8, 5, 8, 5);
        grid->setHorizontalSpacing(10);
        grid->setVerticalSpacing(3);
        grid->setColumnMinimumWidth(0, captionWidth);
        groups->addWidget(g);
        return std::pair{g, grid};
    };
    auto caption = [](QGroupBox* g, const QString& text) {
        auto* l = new QLabel(text, g);
        l->setMinimumWidth(l->sizeHint().width());
        return l;
    };
    auto row = [](std::initializer_list<QWidget*> widgets, bool stretch = true) {
        auto* box = new QHBoxLayout;
        box->setSpacing(4);
        for (QWidget* w : widgets)
            box->addWidget(w);
        if (stretch) box->addStretch(1);
        return box;
    };
    auto sign = [](QGroupBox* g, const QString& text) {
        auto* l = new QLabel(text, g);
        l->setAlignment(Qt::AlignCenter);
        return l;
    };

    // 1: the request kind, its date and the office that examines the sample.
    {
        auto [g, grid] = newGroup(1);
        TDBComboBox* kind = combo(g, "ZADOST_O", false);
        for (const CodeItem& k : requestKinds())
            kind->addItem(k.shown, k.code);
        kind->setMaxVisibleItems(requestKinds().size());
        kind->setFixedWidth(272);
        TDBDateEdit* datum = dateEdit(g, "DATUM");
        grid->addWidget(caption(g, QStringLiteral("Žádost o")), 0, 0);
        auto* r = row({kind});
        r->addWidget(caption(g, QStringLiteral("Datum")));
        r->addWidget(datum);
        grid->addLayout(r, 0, 1);
        TDBComboBox* poot = combo(g, "POOT", true);
        grid->addWidget(caption(g, QStringLiteral("Rozbor provede")), 1, 0);
        grid->addWidget(poot, 1, 1);
    }
    // 2: species and variety from the variety list, and the grade.
    {
        auto [g, grid] = newGroup(2);
        TDBEdit* druh = edit(g, "DRUH");
        TDBEdit* nazDru = edit(g, "NAZ_DRU");
        TDBEdit* odruda = edit(g, "ODRUDA");
        TDBEdit* nazOdru = edit(g, "NAZ_ODRU");
        for (TDBEdit* e : {druh, nazDru, odruda, nazOdru}) {
            e->SetReadOnly(true);
            e->setFocusPolicy(Qt::NoFocus);
        }
        druh->setFixedWidth(52);
        odruda->setFixedWidth(52);
        ButtonOdrudy = new QToolButton(g);
        ButtonOdrudy->setObjectName(QStringLiteral("ButtonOdrudy"));
        ButtonOdrudy->setText(QStringLiteral("<"));
        ButtonOdrudy->setToolTip(QStringLiteral("Otevře seznam odrůd, lze vyhledávat"));
        ButtonOdrudy->setCursor(Qt::PointingHandCursor);
        ButtonOdrudy->setFixedSize(24, 22);
        ButtonOdrudy->setFocusPolicy(Qt::StrongFocus);
        connect(ButtonOdrudy, &QToolButton::clicked, this, [this] { OdrudyClick(); });
        TDBComboBox* stupen = combo(g, "STUPEN", true);
        stupen->addItems({str("C1"), str("C2"), str("E"), str("SE3"), str("SE2"), str("OO"), str("H"),
                          str("A"), str("B")});
        stupen->setMaxVisibleItems(10);
        stupen->setFixedWidth(70);
        grid->addWidget(caption(g, QStringLiteral("Druh")), 0, 0);
        auto* r0 = row({druh, ButtonOdrudy}, false);
        r0->addWidget(nazDru, 1);
        grid->addLayout(r0, 0, 1);
        grid->addWidget(caption(g, QStringLiteral("Odrůda")), 1, 0);
        auto* r1 = row({odruda}, false);
        r1->addSpacing(ButtonOdrudy->width() + r1->spacing());
        r1->addWidget(nazOdru, 1);
        r1->addWidget(stupen);
        grid->addLayout(r1, 1, 1);
    }
    // 3: the lot number and the crop certifications.
    {
        auto [g, grid] = newGroup(3);
        TDBEdit* rok = edit(g, "ROK", 4);
        TDBEdit* podnik = edit(g, "PODNIK", 4);
        TDBEdit* prihlaska = edit(g, "PRIHLASKA", 5);
        TDBEdit* dil = edit(g, "DIL", 2);
        rok->setFixedWidth(44);
        podnik->setFixedWidth(44);
        prihlaska->setFixedWidth(52);
        dil->setFixedWidth(30);
        for (TDBEdit* e : {rok, podnik, prihlaska, dil})
            connect(e, &TDBEdit::exited, this, [this] { runGuarded([this] { EditDILExit(); }, this); });
        TDBEdit* czp = edit(g, "CZP");
        czp->setFixedWidth(70);
        TDBEdit* zahr = edit(g, "ZAHRPARTIE");
        zahr->setFixedWidth(190);
        grid->addWidget(caption(g, QStringLiteral("Partie")), 0, 0);
        grid->addLayout(
            row({rok, sign(g, str("-")), podnik, sign(g, str("-")), prihlaska, sign(g, str("/")), dil}), 0,
            1);
        grid->addWidget(caption(g, QStringLiteral("CZP")), 1, 0);
        grid->addLayout(row({czp}), 1, 1);
        grid->addWidget(caption(g, QStringLiteral("Zahr.partie")), 2, 0);
        grid->addLayout(row({zahr}), 2, 1);

        grid->addWidget(caption(g, QStringLiteral("ULČe")), 0, 2, Qt::AlignRight);
        for (int i = 1; i <= 3; ++i) {
            const QByteArray name = "ROZ_P" + QByteArray::number(i);
            TDBEdit* roz = edit(g, name.constData());
            roz->setFixedWidth(140);
            grid->addWidget(roz, i - 1, 3);
        }
        ButtonPorost = new QToolButton(g);
        ButtonPorost->setObjectName(QStringLiteral("ButtonPorost"));
        ButtonPorost->setText(QStringLiteral("4. - 10."));
        ButtonPorost->setToolTip(QStringLiteral("Zpřístupní další uznání porostů ( 4. - 10. )"));
        ButtonPorost->setCursor(Qt::PointingHandCursor);
        ButtonPorost->setFocusPolicy(Qt::NoFocus);
        connect(ButtonPorost, &QToolButton::clicked, this,
                [this] { runGuarded([this] { Porost2Click(); }, this); });
        grid->addWidget(ButtonPorost, 2, 4);
        grid->setColumnStretch(1, 1);
    }
    // 4: quantity and packaging.
    {
        auto [g, grid] = newGroup(4);
        TDBEdit* mnozstvi = edit(g, "MNOZSTVI", 9);
        mnozstvi->setFixedWidth(90);
        connect(mnozstvi, &TDBEdit::exited, this, [this] { runGuarded([this] { mnozstviExit(); }, this); });
        TDBComboBox* mj = combo(g, "MJ", true);
        mj->addItems({str("kg"), str("t"), str("g"), str("VJ")});
        mj->setFixedWidth(60);
        TDBEdit* brutto = edit(g, "BRUTTO", 7);
        brutto->setFixedWidth(80);
        TDBEdit* obal = edit(g, "OBALY_TXT");
        TDBEdit* pocet = edit(g, "POCET", 4);
        TDBEdit* obal2 = edit(g, "OBALY2_TXT");
        TDBEdit* pocet2 = edit(g, "POCET2", 4);
        obal->setFixedWidth(190);
        obal2->setFixedWidth(190);
        pocet->setFixedWidth(52);
        pocet2->setFixedWidth(52);
        grid->addWidget(caption(g, QStringLiteral("Množství")), 0, 0);
        grid->addLayout(row({mnozstvi, mj}), 0, 1);
        grid->addWidget(caption(g, QStringLiteral("Brutto")), 0, 2);
        grid->addLayout(row({brutto}), 0, 3);
        grid->addWidget(caption(g, QStringLiteral("Obal")), 1, 0);
        grid->addLayout(row({obal, textButton(g, "OBALY_TXT")}), 1, 1);
        grid->addWidget(caption(g, QStringLiteral("Počet")), 1, 2);
        grid->addLayout(row({pocet}), 1, 3);
        grid->addWidget(caption(g, QStringLiteral("Obal 2")), 2, 0);
        grid->addLayout(row({obal2, textButton(g, "OBALY2_TXT")}), 2, 1);
        grid->addWidget(caption(g, QStringLiteral("Počet")), 2, 2);
        grid->addLayout(row({pocet2}), 2, 3);
        grid->setColumnStretch(1, 1);
        grid->setColumnStretch(3, 1);
    }
    // 5: treatment, labels and sampling.
    {
        auto [g, grid] = newGroup(5);
        TDBComboBox* osetreni = combo(g, "OSETRENITX", false);
        osetreni->addItems({QStringLiteral("nemořeno"), QStringLiteral("mořeno"),
                            QStringLiteral("automat. vzorkovadlo"), QStringLiteral("vzorek nemořen")});
        osetreni->setFixedWidth(172);
        TDBEdit* moridlo = edit(g, "MORIDLOTXT");
        TDBComboBox* typNa = combo(g, "TYP_NA", false);
        for (const CodeItem& k : labelKinds())
            typNa->addItem(k.shown, k.code);
        typNa->setFixedWidth(110);
        TDBEdit* nav1 = edit(g, "NAV1");
        TDBEdit* nav2 = edit(g, "NAV2");
        TDBEdit* misto = edit(g, "MISTOODBER");
        misto->setFixedWidth(150);
        TDBDateEdit* datumOdber = dateEdit(g, "DATUMODBER");
        grid->addWidget(caption(g, QStringLiteral("Ošetření")), 0, 0);
        grid->addLayout(row({osetreni}), 0, 1);
        grid->addWidget(caption(g, QStringLiteral("Mořidlo")), 0, 2);
        auto* moridloRow = row({moridlo, textButton(g, "MORIDLOTXT")}, false);
        moridloRow->setStretch(0, 1);
        grid->addLayout(moridloRow, 0, 3);
        // The label numbers are long lines: they take the width of both columns, beside the label kind.
        grid->addWidget(caption(g, QStringLiteral("Návěsky")), 1, 0);
        auto* labels = new QGridLayout;
        labels->setHorizontalSpacing(10);
        labels->setVerticalSpacing(3);
        labels->addWidget(typNa, 0, 0);
        labels->addWidget(caption(g, QStringLiteral("Čísla")), 0, 1);
        labels->addWidget(nav1, 0, 2);
        labels->addWidget(nav2, 1, 2);
        labels->setColumnStretch(2, 1);
        grid->addLayout(labels, 1, 1, 2, 3);
        grid->addWidget(caption(g, QStringLiteral("Místo odběru")), 3, 0);
        grid->addLayout(row({misto, textButton(g, "MISTOODBER")}), 3, 1);
        grid->addWidget(caption(g, QStringLiteral("Datum odběru")), 3, 2);
        grid->addLayout(row({datumOdber}), 3, 3);
        grid->setColumnStretch(3, 1);
    }
    // 6: further requirements and the official record.
    {
        auto [g, grid] = newGroup(6);
        grid->addWidget(caption(g, QStringLiteral("Další požadavky")), 0, 0);
        int r = 0;
        for (const char* field : {"POZADAV1", "POZADAV2"}) {
            auto* line = row({edit(g, field), textButton(g, field)}, false);
            line->setStretch(0, 1);
            grid->addLayout(line, r++, 1);
        }
        grid->addLayout(row({checkBox(g, "OPAKHH", QStringLiteral("Opakovat při HH")),
                             checkBox(g, "UZNA_NIZSI", QStringLiteral("Uznat nižší"))}),
                        r++, 1);
        grid->addWidget(caption(g, QStringLiteral("Úřední záznam")), r, 0);
        for (const char* field : {"UZ1", "UZ2"}) {
            auto* line = row({edit(g, field), textButton(g, field)}, false);
            line->setStretch(0, 1);
            grid->addLayout(line, r++, 1);
        }
        grid->addLayout(row({checkBox(g, "VEGET", QStringLiteral("Vzorek na VZ"))}), r++, 1);
    }
    groups->addStretch(1);

    // The command buttons in a column at the right.
    auto button = [&](const char* name, const QString& text, int index, void (TForm1::*handler)()) {
        auto* b = new QPushButton(text, central);
        b->setObjectName(str(name));
        b->setCursor(Qt::PointingHandCursor);
        b->setGeometry(kClientWidth - buttonsWidth - 4, 10 + index * 40, buttonsWidth, 32);
        connect(b, &QPushButton::clicked, this, [this, handler] { (this->*handler)(); });
        return b;
    };
    ButtonZapsat = button("ButtonZapsat", QStringLiteral("Zapsat"), 0, &TForm1::ZapsatClick);
    ButtonZpet = button("ButtonZpet", QStringLiteral("Zpět"), 1, &TForm1::ZpetClick);
    ButtonTisk = button("ButtonTisk", QStringLiteral("Tisk"), 2, &TForm1::TiskClick);
    ButtonStitek = button("ButtonStitek", QStringLiteral("Štítek na vz."), 3, &TForm1::StitekClick);
    ButtonSmazat = button("ButtonSmazat", QStringLiteral("Smazat"), 4, &TForm1::SmazatClick);

    VarietyBar = new TVarietyBar(central);
    VarietyBar->setGeometry(2, 2, 22, kClientHeight - 4);
    // Opened from its bar, the panel slides back when the mouse leaves it; "<" keeps it open.
    VarietyBar->OnClick = [this] { openVarietyPanel(false); };
}

void TForm1::buildVarietyPanel(QWidget* central) {
    VarietyPanel = new QFrame(central);
    VarietyPanel->setObjectName(QStringLiteral("VarietyPanel"));
    VarietyPanel->setFrameShape(QFrame::Panel);
    VarietyPanel->setFrameShadow(QFrame::Raised);
    VarietyPanel->setAutoFillBackground(true);
    VarietyPanel->hide();
    VarietyPanel->installEventFilter(this);

    auto* title = new QLabel(QStringLiteral("Druh, odrůda, stupeň"), VarietyPanel);
    title->setObjectName(QStringLiteral("VarietyPanelTitle"));
    title->setAlignment(Qt::AlignCenter);
    VarietyModel = new TDataSetTableModel(DsMemTable33, this);
    VarietyModel->SetColumns({TGridColumn{QStringLiteral("NAZEVOSIVA"), QStringLiteral("Název osiva"), 330}});
    VarietyGrid = new TDBGrid(VarietyPanel);
    VarietyGrid->setObjectName(QStringLiteral("VarietyGrid"));
    VarietyGrid->SetGridModel(VarietyModel);
    VarietyGrid->setToolTip(QStringLiteral("Vyhledávání spustíte klikem na nadpis"));
    VarietyGrid->verticalHeader()->setDefaultSectionSize(VarietyGrid->fontMetrics().height() + 6);
    connect(VarietyGrid, &TDBGrid::titleClicked, this, [this](int, const QString& fieldName) {
        runGuarded(
            [&] {
                if (!DsMemTable33->Active() || fieldName.isEmpty()) return;
                DsMemTable33->SortByFields(fieldName);
                RaDBSearch1->SetDataSet(DsMemTable33);
                // The record the search leaves current is the user's choice, whatever the result.
                RaDBSearch1->Execute(fieldName);
            },
            this);
    });
    connect(VarietyGrid, &TDBGrid::rowDoubleClicked, this, [this](int) { PrevzitClick(); });

    ButtonPrevzit = new QPushButton(QStringLiteral("Převzít"), VarietyPanel);
    ButtonPrevzit->setObjectName(QStringLiteral("ButtonPrevzit"));
    ButtonPrevzit->setCursor(Qt::PointingHandCursor);
    connect(ButtonPrevzit, &QPushButton::clicked, this, [this] { PrevzitClick(); });
    ButtonPanelZpet = new QPushButton(QStringLiteral("Zpět"), VarietyPanel);
    ButtonPanelZpet->setObjectName(QStringLiteral("ButtonPanelZpet"));
    ButtonPanelZpet->setCursor(Qt::PointingHandCursor);
    connect(ButtonPanelZpet, &QPushButton::clicked, this, [this] { PanelZpetClick(); });

    auto* layout = new QVBoxLayout(VarietyPanel);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(title);
    layout->addWidget(VarietyGrid, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(ButtonPrevzit);
    buttons->addWidget(ButtonPanelZpet);
    buttons->addStretch(1);
    layout->addLayout(buttons);
    Q_UNUSED(central);
}

void TForm1::setFocusOrder() {
    m_focusOrder.clear();
    for (const char* field :
         {"ZADOST_O",   "POOT",   "DATUM",      "STUPEN", "ROK",        "PODNIK",     "PRIHLASKA",
          "DIL",        "CZP",    "ZAHRPARTIE", "ROZ_P1", "ROZ_P2",     "ROZ_P3",     "MNOZSTVI",
          "MJ",         "BRUTTO", "OBALY_TXT",  "POCET",  "OBALY2_TXT", "POCET2",     "OSETRENITX",
          "MORIDLOTXT", "TYP_NA", "NAV1",       "NAV2",   "MISTOODBER", "DATUMODBER", "POZADAV1",
          "POZADAV2",   "UZ1",    "UZ2"})
        m_focusOrder << m_controls.value(str(field));
    m_focusOrder << ButtonZapsat << ButtonZpet << ButtonStitek << ButtonSmazat << ButtonTisk << ButtonOdrudy;
    for (const char* field : {"OPAKHH", "UZNA_NIZSI", "VEGET"})
        m_focusOrder << m_controls.value(str(field));
    for (const char* field :
         {"OBALY_TXT", "OBALY2_TXT", "MORIDLOTXT", "MISTOODBER", "POZADAV1", "POZADAV2", "UZ1", "UZ2"})
        m_focusOrder << centralWidget()->findChild<QToolButton*>(QStringLiteral("ButtonT") + str(field));
    for (QWidget* w : m_focusOrder) {
        Q_ASSERT(w);
        if (qobject_cast<QAbstractButton*>(w)) w->setFocusPolicy(Qt::StrongFocus);
    }
    for (int i = 1; i < m_focusOrder.size(); ++i)
        setTabOrder(m_focusOrder[i - 1], m_focusOrder[i]);
}

QWidget* TForm1::FieldControl(const QString& fieldName) const {
    return m_controls.value(fieldName);
}

bool TForm1::VarietyPanelOpen() const {
    return VarietyPanel->isVisible();
}

// ---------------------------------------------------------------------------------------------
// First showing

void TForm1::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (m_shown) return;
    m_shown = true;
    centerOnScreen(this);
    // The start-up steps open modal windows and wait; they run once the window is on the screen.
    QTimer::singleShot(0, this, [this] { FormShow(); });
}

void TForm1::readIdentity() {
    const TIniFile ini(programFile(QStringLiteral("kvor.ini")));
    applicantNumber = ini.ReadString(TFmozno::Section, QStringLiteral("Editpodnik_Text"), QString());
    companyIco = ini.ReadString(TFmozno::Section, QStringLiteral("EditICO_Text"), QString());
    companyName = ini.ReadString(TFmozno::Section, QStringLiteral("Editnazev_Text"), QString());
    centreCode = ini.ReadString(TFmozno::Section, QStringLiteral("EditCSO_Text"), QString());
    defaultApplicantNumber = applicantNumber;
}

void TForm1::FormShow() {
    // Each step that fails shows its error and the start-up goes on: the steps after it are what
    // makes the editor usable.
    runGuarded([this] { readIdentity(); }, this);
    runGuarded([this] { aDBF(true); }, this);
    waitForMinimumStartupTime();
    closeSplash();
    m_panelOpenWidth = kVarietyPanelWidth;
    BusyCursor busy;
    const bool opened = runGuarded([this] { openRequestTable(); }, this);
    runGuarded([this] { NactiObalMoridlo(); }, this);
    centralWidget()->setEnabled(true);
    menuBar()->setEnabled(true);
    if (!opened) {
        // Without a request there is nothing to print, but the identity and the lookup do not
        // depend on the table: the workstation is still looked up and logged.
        setPrintButtons(false);
        runGuarded([this] { test_firma(); }, this);
        busy.restore();
        if (QWidget* rok = FieldControl(QStringLiteral("ROK"))) rok->setFocus();
        m_ready = true;
        emit ready();
        return;
    }
    bool neverSaved = true;
    runGuarded([&] { neverSaved = Dbf5->FieldByName(QStringLiteral("id_trivan"))->AsString().isEmpty(); },
               this);
    if (neverSaved) {
        setPrintButtons(false);
        busy.restore();
        Nastavenprogramu1Click();
    } else {
        runGuarded([this] { test_firma(); }, this);
    }
    runGuarded(
        [this] {
            loadedRequestKey = requestKey(Dbf5->FieldByName(QStringLiteral("PARTIECELA"))->AsString(),
                                          Dbf5->FieldByName(QStringLiteral("ZADOST_O"))->AsString());
            // Written into the request without editing it: shown now, stored by the next save.
            if (Dbf5->FieldByName(QStringLiteral("ROK"))->AsString().isEmpty())
                Dbf5->FieldByName(QStringLiteral("ROK"))->SetAsString(QStringLiteral("2012"));
            Dbf5->FieldByName(QStringLiteral("PODNIK"))->SetAsString(applicantNumber);
            Dbf5->FieldByName(QStringLiteral("DATUM"))
                ->SetAsDateTime(QDateTime(QDate::currentDate(), QTime()));
        },
        this);
    busy.restore();
    if (QWidget* rok = FieldControl(QStringLiteral("ROK"))) rok->setFocus();
    m_ready = true;
    emit ready();
}

void TForm1::waitForMinimumStartupTime() {
    m_startTime.WaitAtLeast(m_minimumStartupMs);
}

void TForm1::openRequestTable() {
    Dbf5->Close();
    createMissingRequestTables(*DsDatabase1);
    Dbf5->Open();
    Dbf5->First();
    // A table without a request gets a fresh one, so that the editor always has a record to work on.
    if (Dbf5->IsEmpty()) {
        newRequestRecord();
        Dbf5->Post();
    }
}

// ---------------------------------------------------------------------------------------------
// Local tables and lists

void TForm1::NactiObalMoridlo() {
    auto* poot = static_cast<TDBComboBox*>(FieldControl(QStringLiteral("POOT")));
    QStringList offices;
    if (QFileInfo::exists(DbfAd->TablePath())) {
        DbfAd->Open();
        // Held exclusively: a list that cannot be read must not keep the file from the rebuild
        // and the print job.
        const auto close = qScopeGuard([this] { DbfAd->Close(); });
        for (DbfAd->First(); !DbfAd->Eof(); DbfAd->Next())
            offices << DbfAd->FieldByName(QStringLiteral("adresa"))->AsString();
    }
    // The list is rebuilt under the field's own value, which must not change with it.
    const QSignalBlocker blocker(poot);
    const QString shown = poot->currentText();
    poot->clear();
    poot->addItems(offices);
    poot->setEditText(shown);
    poot->setMaxVisibleItems(std::max<int>(1, offices.size()));
}

// ---------------------------------------------------------------------------------------------
// Server operations

void TForm1::TestSQLjakje() {
    m_link->TestSQLjakje();
}

void TForm1::aDBF(bool startupMode) {
    std::unique_ptr<TWorkingWindow> working;
    TCodeListHooks hooks;
    hooks.RebuildStarted = [&] { working = std::make_unique<TWorkingWindow>(kWorkingCodeLists, this); };
    hooks.RebuildFinished = [&] { working.reset(); };
    const TCodeListTables tables{DsDatabase1, DsDbfTable33, DsMemTable33, DbfAd, DsDbfTable1, DsMemTable1};
    TCodeListOutcome outcome;
    std::exception_ptr failure;
    try {
        outcome = kvor::aDBF(*m_link, tables, startupMode, programFile(QStringLiteral("kvor.ini")), hooks);
    } catch (...) {
        // A rebuild or a reload of the local lists failed; the connection attempt says whether
        // the server was reached, and its answer comes first.
        failure = std::current_exception();
        outcome.Online = m_link->Online();
    }
    working.reset();
    if (!outcome.Online) {
        closeSplash();
        MenuHistorie->setEnabled(false);
        dotaz->Ask(kOfflineCodeLists, TMsgIcon::Warning, {QStringLiteral("OK")});
    }
    QCoreApplication::processEvents();
    if (!failure) {
        NactiObalMoridlo();
        return;
    }
    // The lists that are there are offered even when the refresh failed; its failure is shown after.
    runGuarded([this] { NactiObalMoridlo(); }, this);
    std::rethrow_exception(failure);
}

void TForm1::test_firma() {
    const TWorkstation workstation{companyIco, companyName, centreCode, computerUser, computerName};
    kvor::test_firma(*m_link, workstation, idFirma);
    QCoreApplication::processEvents();
}

void TForm1::Aktualizace1Click() {
    runGuarded([this] { aDBF(false); }, this);
}

void TForm1::HistorieClick(THistoryVariant variant) {
    // The window runs its statements on the connection as the last operation left it.
    const THistoryContext context{&m_link->ZConnection1, companyIco, idFirma, sys::programFolder()};
    THistoryWindow window(historyKind(variant), context, this);
    window.LabelCSO->setText(centreCode);
    execDialog(window);
}

// ---------------------------------------------------------------------------------------------
// Editing rules

void TForm1::Dbf5AfterEdit() {
    setEditingButtons(true);
}

void TForm1::setEditingButtons(bool editing) {
    ButtonZapsat->setEnabled(editing);
    setPrintButtons(!editing);
}

bool TForm1::hasRequestNumber() const noexcept {
    try {
        const TField* number =
            Dbf5->Active() && !Dbf5->IsEmpty() ? Dbf5->FindField(QStringLiteral("id_trivan")) : nullptr;
        return number && !number->AsString().isEmpty();
    } catch (...) {
        return false;
    }
}

void TForm1::setPrintButtons(bool enabled) {
    // A form or a label without a request number and its barcode is no use: only a request that
    // was saved can be printed.
    const bool printable = enabled && hasRequestNumber();
    ButtonTisk->setEnabled(printable);
    ButtonStitek->setEnabled(printable);
}

void TForm1::EditDILExit() {
    if (!Dbf5->Active() || Dbf5->IsEmpty()) return;
    auto field = [this](const char* name) { return Dbf5->FieldByName(str(name)); };
    const LotNumbers lot = deriveLotNumbers(field("ROK")->AsString(), field("PODNIK")->AsString(),
                                            field("PRIHLASKA")->AsString(), field("DIL")->AsString());
    field("PRIHLASKA")->SetAsString(lot.prihlaska);
    field("DIL")->SetAsString(lot.dil);
    if (lot.derived) {
        field("PARTIECELA")->SetAsString(lot.partiecela);
        field("PARTIE")->SetAsString(lot.partie);
    }
}

void TForm1::DBDateEdit1Exit() {
    if (!Dbf5->Active() || Dbf5->IsEmpty()) return;
    TField* odber = Dbf5->FieldByName(QStringLiteral("DATUMODBER"));
    const QDate date = odber->IsNull() ? QDate() : odber->AsDateTime().date();
    const QDate fixed = fixSamplingDate(date);
    if (fixed != date) odber->SetAsDateTime(QDateTime(fixed, QTime()));
}

void TForm1::mnozstviExit() {
    if (!Dbf5->Active() || Dbf5->IsEmpty()) return;
    if (remainingFollowsQuantity(Dbf5->FieldByName(QStringLiteral("ULC"))->AsString()))
        Dbf5->FieldByName(QStringLiteral("ZBYVA"))
            ->SetValue(Dbf5->FieldByName(QStringLiteral("MNOZSTVI"))->Value());
}

// ---------------------------------------------------------------------------------------------
// Commands

bool TForm1::requestEdited() const {
    return Dbf5->State() == TDataSetState::dsEdit || Dbf5->State() == TDataSetState::dsInsert;
}

void TForm1::ZapsatClick() {
    runGuarded(
        [this] {
            if (!requestEdited()) Dbf5->Edit();
            ButtonZapsat->setEnabled(false);
            // Whatever fails before the post leaves the request being edited: it must stay possible
            // to save it again rather than only to drop it, and the id goes back to what it was, so
            // that the save that succeeds raises it once, not once per attempt.
            std::optional<QVariant> idBefore;
            auto unsaved = qScopeGuard([&]() noexcept {
                try {
                    if (!requestEdited()) return;
                    ButtonZapsat->setEnabled(true);
                    if (idBefore) Dbf5->FieldByName(QStringLiteral("id"))->SetValue(*idBefore);
                } catch (...) {
                    // The failure that brought us here is the one the user is told about.
                }
            });
            auto field = [this](const char* name) { return Dbf5->FieldByName(str(name)); };
            field("STREDISKO")->SetAsString(centreCode);
            field("DPODNIK")->SetAsString(defaultApplicantNumber);
            const QDate datum = field("DATUM")->IsNull() ? QDate() : field("DATUM")->AsDateTime().date();
            if (fixRequestDate(datum) != datum)
                field("DATUM")->SetAsDateTime(QDateTime(fixRequestDate(datum), QTime()));
            const QString key = requestKey(field("PARTIECELA")->AsString(), field("ZADOST_O")->AsString());
            idBefore = field("id")->Value();
            qint64 id = std::llround(field("id")->AsFloat());
            if (loadedRequestKey != key) {
                ++id;
                field("id")->SetAsFloat(double(id));
            }
            field("id_trivan")->SetAsString(requestNumber(companyIco, id));
            Dbf5->Post();
            unsaved.dismiss();
            loadedRequestKey = key;
            // Saved locally: it can be printed whether the sending works or not.
            const auto printable = qScopeGuard([this] { setPrintButtons(true); });
            zapsatServerHalf();
        },
        this);
}

void TForm1::zapsatServerHalf() {
    const TSubmitOutcome outcome = [&] {
        BusyCursor busy;
        return odesliZadost(*m_link, *Dbf5, companyIco, idFirma, sys::programFolder());
    }();
    if (!outcome.Online) {
        dotaz->Ask(kOfflineSubmission, TMsgIcon::Warning, {QStringLiteral("OK")});
        return;
    }
    ButtonZapsat->setEnabled(false);
}

void TForm1::ZpetClick() {
    runGuarded(
        [this] {
            if (Dbf5->Active()) Dbf5->Cancel();
            ButtonZapsat->setEnabled(false);
            setPrintButtons(true);
        },
        this);
}

void TForm1::TiskZado() {
    // 1. The partner office of POOT; no address list means no partner.
    const QString office = Dbf5->FieldByName(QStringLiteral("POOT"))->AsString();
    partnerIco = QFileInfo::exists(DbfAd->TablePath()) ? partnerIcoFor(*DbfAd, office) : QString();
    // 2. A partner office gets a copy through the export queue.
    if (!partnerIco.isEmpty()) {
        queueForExport(*Dbf5, *DbfEx);
        const TExportOutcome outcome = [&] {
            BusyCursor busy;
            return udelejData(*m_link, *DbfEx, {companyIco, companyName, partnerIco}, sys::programFolder());
        }();
        if (!outcome.Online) dotaz->Ask(kOfflineExport, TMsgIcon::Warning, {QStringLiteral("OK")});
    }
    // 3. The layout by species; a species code that is no whole number stops here, before any layout.
    if (speciesCode(Dbf5->FieldByName(QStringLiteral("DRUH"))->AsString()) != kPotatoSpecies)
        QCoreApplication::processEvents();
    const std::unique_ptr<TRequestLayout> layout =
        createRequestLayout(*Dbf5, programFile(QStringLiteral("kvor.ini")));
    previewReport(layout->QuickRep1, this);
}

void TForm1::TiskClick() {
    runGuarded([this] { TiskZado(); }, this);
    while (QGuiApplication::overrideCursor())
        QGuiApplication::restoreOverrideCursor();
}

void TForm1::StitekClick() {
    // suiButton17Click: the label dialog, the slot table rebuilt, the label sheet in the preview.
    runGuarded(
        [this] {
            int count = 0, start = 0;
            {
                TFstit dialog(programFile(QStringLiteral("kvor.ini")), this);
                if (execDialog(dialog) != QDialog::Accepted) return;
                count = dialog.labelCount();
                start = dialog.startSlot();
            }
            const auto close = qScopeGuard([this] { Dbf2st->Close(); });
            {
                BusyCursor busy;
                fillSlotTable(*Dbf2st, *Dbf5, count, start);
            }
            TTiskForS layout(*Dbf2st, programFile(QStringLiteral("kvor.ini")));
            previewReport(layout.QuickRep1, this);
        },
        this);
}

void TForm1::newRequestRecord() {
    QRandomGenerator random(quint32(QDateTime::currentMSecsSinceEpoch()));
    Dbf5->Append();
    auto field = [this](const char* name) { return Dbf5->FieldByName(str(name)); };
    field("id")->SetAsFloat(double(random.bounded(100000000u)));
    field("ZADOST_O")->SetAsString(QStringLiteral("U"));
    field("PODNIK")->SetAsString(applicantNumber);
    field("ROK")->SetAsString(QString::number(QDate::currentDate().year()));
    field("STREDISKO")->SetAsString(centreCode);
    field("MJ")->SetAsString(QStringLiteral("kg"));
    field("DATUM")->SetAsDateTime(QDateTime(QDate::currentDate(), QTime()));
    field("DPODNIK")->SetAsString(defaultApplicantNumber);
}

void TForm1::SmazatClick() {
    if (dotaz->Ask(kAskClear, TMsgIcon::Question, {QStringLiteral("OK"), QStringLiteral("Zpět")}) != 1)
        return;
    runGuarded(
        [this] {
            loadedRequestKey.clear();
            if (Dbf5->State() == TDataSetState::dsEdit || Dbf5->State() == TDataSetState::dsInsert)
                Dbf5->Post();
            // A request table that did not open at start (held by another copy, damaged) says why
            // here, rather than as the closed table's "Invalid handle" of Pack.
            if (!Dbf5->Active()) Dbf5->Open();
            Dbf5->Zap();
            Dbf5->Pack();
            Dbf5->Close();
            Dbf5->Open();
            newRequestRecord();
            Dbf5->Post();
            Dbf5->Edit();
            if (QWidget* rok = FieldControl(QStringLiteral("ROK"))) rok->setFocus();
        },
        this);
}

// ---------------------------------------------------------------------------------------------
// Variety panel

void TForm1::OdrudyClick() {
    openVarietyPanel(true);
    VarietyGrid->setFocus();
}

void TForm1::openVarietyPanel(bool keepOpen) {
    m_panelKeptOpen = keepOpen;
    const int width = m_panelOpenWidth > 0 ? m_panelOpenWidth : kVarietyPanelWidth;
    VarietyPanel->setGeometry(0, 0, width, kClientHeight);
    VarietyPanel->show();
    VarietyPanel->raise();
}

void TForm1::PrevzitClick() {
    runGuarded(
        [this] {
            Dbf5->Edit();
            const bool hasRow = DsMemTable33->Active() && !DsMemTable33->IsEmpty();
            auto copy = [&](const char* from, const char* to) {
                TField* target = Dbf5->FieldByName(str(to));
                TField* source = hasRow ? DsMemTable33->FindField(str(from)) : nullptr;
                target->SetAsString(cutToWidth(source ? source->AsString() : QString(), target->Size()));
            };
            copy("druh", "DRUH");
            copy("odruda", "ODRUDA");
            copy("naz_dru", "NAZ_DRU");
            copy("naz_odru", "NAZ_ODRU");
        },
        this);
    PanelZpetClick();
}

void TForm1::PanelZpetClick() {
    m_panelKeptOpen = false;
    VarietyPanel->hide();
}

// ---------------------------------------------------------------------------------------------
// Dialogs

void TForm1::Porost2Click() {
    TFporost2 dialog(DataSource1, this);
    execDialog(dialog);
}

void TForm1::UlozTexty(const QString& fieldName) {
    const QString path = programFile(savedTextFileName(fieldName));
    TftextUloz window(this);
    window.SetTexts(loadSavedTexts(path));
    const int result = execDialog(window);
    // The list is kept however the window closed, even when the field cannot take the text.
    std::exception_ptr failure;
    QString text;
    if (result == QDialog::Accepted && window.SelectedText(&text)) {
        try {
            TField* field = Dbf5->FieldByName(fieldName);
            field->SetAsString(cutToWidth(text, field->Size()));
        } catch (...) {
            failure = std::current_exception();
        }
    }
    storeSavedTexts(path, window.Texts());
    if (failure) std::rethrow_exception(failure);
}

void TForm1::Nastavenprogramu1Click() {
    runGuarded(
        [this] {
            // The program file's own name with ".INI" would be another file on a case-sensitive
            // system; every reader reads kvor.ini.
            TIniFile ini(programFile(QStringLiteral("kvor.ini")));
            {
                TFmozno window(this);
                window.LoadFrom(ini);
                execDialog(window);
                window.StoreTo(ini);
            }
            readIdentity();
        },
        this);
    runGuarded([this] { test_firma(); }, this);
}

void TForm1::closeEvent(QCloseEvent* event) {
    if (Dbf5->State() == TDataSetState::dsEdit || Dbf5->State() == TDataSetState::dsInsert) Dbf5->Cancel();
    closeSplash();
    event->accept();
}

} // namespace kvor
