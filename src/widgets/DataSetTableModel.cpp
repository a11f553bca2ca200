#include "widgets/DataSetTableModel.h"

#include "widgets/ErrorBox.h"

#include <QHeaderView>

namespace kvor {

namespace {

// Holds back the dataset's scroll events and its bound controls while the grid walks it: the
// walk is the grid's business, not a move of the user's.
class QuietWalk {
public:
    explicit QuietWalk(TDataSet& dataSet)
        : m_dataSet(dataSet), m_beforeScroll(std::exchange(dataSet.BeforeScroll, nullptr)),
          m_afterScroll(std::exchange(dataSet.AfterScroll, nullptr)) {
        m_dataSet.DisableControls();
    }
    ~QuietWalk() {
        m_dataSet.BeforeScroll = std::move(m_beforeScroll);
        m_dataSet.AfterScroll = std::move(m_afterScroll);
        m_dataSet.EnableControls();
    }
    QuietWalk(const QuietWalk&) = delete;
    QuietWalk& operator=(const QuietWalk&) = delete;

private:
    TDataSet& m_dataSet;
    TDataSet::Event m_beforeScroll;
    TDataSet::Event m_afterScroll;
};

struct Flag {
    bool& flag;
    explicit Flag(bool& f) : flag(f) { flag = true; }
    ~Flag() { flag = false; }
};

} // namespace

TDataSetTableModel::TDataSetTableModel(QObject* parent) : QAbstractTableModel(parent) {
    m_reloadTimer.setSingleShot(true);
    m_reloadTimer.setInterval(0);
    connect(&m_reloadTimer, &QTimer::timeout, this, [this] {
        if (m_reloadWanted) Reload();
    });
}

TDataSetTableModel::TDataSetTableModel(TDataSet* dataSet, QObject* parent) : TDataSetTableModel(parent) {
    SetDataSource(new TDataSource(dataSet, this));
    m_ownsSource = true;
}

void TDataSetTableModel::SetDataSource(TDataSource* source) {
    if (m_source == source) return;
    for (const auto& c : m_connections)
        disconnect(c);
    m_connections.clear();
    if (m_ownsSource && m_source) m_source->deleteLater();
    m_ownsSource = false;
    m_source = source;
    if (m_source) {
        m_connections
            << connect(m_source, &TDataSource::dataSetChanged, this, &TDataSetTableModel::onDataSetChanged)
            << connect(m_source, &TDataSource::scrolled, this, &TDataSetTableModel::onScrolled)
            << connect(m_source, &TDataSource::recordChanged, this, &TDataSetTableModel::onRecordChanged)
            << connect(m_source, &TDataSource::stateChanged, this, &TDataSetTableModel::onStateChanged);
    }
    Reload();
}

void TDataSetTableModel::SetColumns(const QList<TGridColumn>& columns) {
    beginResetModel();
    m_columns = columns;
    endResetModel();
    emit columnsChanged();
    Reload();
}

void TDataSetTableModel::AddColumn(const QString& fieldName, const QString& title, int width) {
    QList<TGridColumn> columns = m_columns;
    columns << TGridColumn{fieldName, title, width};
    SetColumns(columns);
}

QString TDataSetTableModel::ColumnFieldName(int column) const {
    const QList<TGridColumn>& columns = m_columns.isEmpty() ? m_autoColumns : m_columns;
    return column >= 0 && column < columns.size() ? columns[column].FieldName : QString();
}

int TDataSetTableModel::ColumnWidth(int column) const {
    const QList<TGridColumn>& columns = m_columns.isEmpty() ? m_autoColumns : m_columns;
    return column >= 0 && column < columns.size() ? columns[column].Width : 0;
}

TBookmark TDataSetTableModel::RowBookmark(int row) const {
    return row >= 0 && row < m_rows.size() ? m_rows[row].Bookmark : TBookmark();
}

int TDataSetTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_rows.size());
}

int TDataSetTableModel::columnCount(const QModelIndex& parent) const {
    if (parent.isValid()) return 0;
    return int(m_columns.isEmpty() ? m_autoColumns.size() : m_columns.size());
}

QVariant TDataSetTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_rows.size()) return QVariant();
    const QStringList& cells = m_rows[index.row()].Cells;
    if (index.column() >= cells.size()) return QVariant();
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return cells[index.column()];
    case Qt::TextAlignmentRole:
        if (index.column() < m_numeric.size() && m_numeric[index.column()])
            return int(Qt::AlignRight | Qt::AlignVCenter);
        return int(Qt::AlignLeft | Qt::AlignVCenter);
    default:
        return QVariant();
    }
}

QVariant TDataSetTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return QVariant();
    const QList<TGridColumn>& columns = m_columns.isEmpty() ? m_autoColumns : m_columns;
    if (section < 0 || section >= columns.size()) return QVariant();
    return columns[section].Title.isEmpty() ? columns[section].FieldName : columns[section].Title;
}

Qt::ItemFlags TDataSetTableModel::flags(const QModelIndex& index) const {
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

void TDataSetTableModel::TitleClick(int column) {
    if (column < 0 || column >= columnCount()) return;
    emit titleClicked(column, ColumnFieldName(column));
}

bool TDataSetTableModel::canWalk() const {
    TDataSet* ds = DataSet();
    return ds && ds->State() == TDataSetState::dsBrowse && !ds->Modified() && !ds->ControlsDisabled();
}

QList<TField*> TDataSetTableModel::columnFields() const {
    QList<TField*> fields;
    TDataSet* ds = DataSet();
    const QList<TGridColumn>& columns = m_columns.isEmpty() ? m_autoColumns : m_columns;
    for (const TGridColumn& column : columns)
        fields << (ds && ds->Active() ? ds->FindField(column.FieldName) : nullptr);
    return fields;
}

QStringList TDataSetTableModel::readCells(const QList<TField*>& fields) const {
    QStringList cells;
    cells.reserve(fields.size());
    for (TField* field : fields)
        cells << fieldDisplayText(field);
    return cells;
}

void TDataSetTableModel::clearRows() {
    m_reloadWanted = false;
    bool columnsGo = m_columns.isEmpty() && !m_autoColumns.isEmpty();
    if (!m_rows.isEmpty() || columnsGo) {
        beginResetModel();
        m_rows.clear();
        m_rowOf.clear();
        if (columnsGo) m_autoColumns.clear();
        endResetModel();
        if (columnsGo) emit columnsChanged();
    }
    if (m_currentRow != -1) {
        m_currentRow = -1;
        emit currentRowChanged(-1);
    }
}

void TDataSetTableModel::Reload() {
    TDataSet* ds = DataSet();
    if (!ds || !ds->Active()) {
        clearRows();
        return;
    }
    if (!canWalk()) {
        // Walking now would drop what is being edited: show what can be shown and walk later.
        m_reloadWanted = true;
        refreshCurrentRow();
        updateCurrentRow(false);
        return;
    }
    m_reloadWanted = false;

    QList<TGridColumn> autoColumns;
    if (m_columns.isEmpty())
        for (int i = 0; i < ds->FieldCount(); ++i)
            autoColumns << TGridColumn{ds->Fields(i)->FieldName(), QString(), 64};
    bool columnsChange = autoColumns != m_autoColumns;
    m_autoColumns = autoColumns;
    QList<TField*> fields = columnFields();
    QList<bool> numeric;
    for (TField* f : fields)
        numeric << (f && (isIntegerType(f->DataType()) || isFloatType(f->DataType())));

    QList<Row> rows;
    try {
        Flag loading(m_loading);
        QuietWalk quiet(*ds);
        TBookmark here = ds->GetBookmark();
        bool wasEof = ds->Eof(), wasBof = ds->Bof();
        ds->First();
        while (!ds->Eof()) {
            rows << Row{ds->GetBookmark(), readCells(fields)};
            ds->Next();
        }
        // Back to the record and the ends of data as they were, so that a caller's loop goes on.
        if (!here.isEmpty()) {
            ds->GotoBookmark(here);
            if (wasEof) ds->Next();
            if (wasBof) ds->Prior();
        }
    } catch (const std::exception& error) {
        showErrorBox(errorText(error));
    }

    if (columnsChange || rows.size() != m_rows.size() ||
        !std::equal(rows.begin(), rows.end(), m_rows.begin(),
                    [](const Row& a, const Row& b) { return a.Bookmark == b.Bookmark; })) {
        beginResetModel();
        m_rows = std::move(rows);
        m_numeric = numeric;
        m_rowOf.clear();
        for (int i = 0; i < m_rows.size(); ++i)
            m_rowOf.insert(m_rows[i].Bookmark, i);
        endResetModel();
        if (columnsChange) emit columnsChanged();
        updateCurrentRow(true);
        return;
    }
    m_numeric = numeric;
    if (rows != m_rows) {
        // Same records, other values: keep the view's position and selection.
        m_rows = std::move(rows);
        if (!m_rows.isEmpty())
            emit dataChanged(index(0, 0), index(int(m_rows.size()) - 1, columnCount() - 1));
    }
    updateCurrentRow(false);
}

void TDataSetTableModel::updateCurrentRow(bool force) {
    TDataSet* ds = DataSet();
    int row = -1;
    if (ds && ds->Active() && !ds->IsEmpty()) row = m_rowOf.value(ds->GetBookmark(), -1);
    if (row == m_currentRow && !force) return;
    m_currentRow = row;
    emit currentRowChanged(row);
}

void TDataSetTableModel::refreshCurrentRow() {
    TDataSet* ds = DataSet();
    if (!ds || !ds->Active() || ds->IsEmpty()) return;
    int row = m_rowOf.value(ds->GetBookmark(), -1);
    if (row < 0) return;
    QStringList cells = readCells(columnFields());
    if (cells == m_rows[row].Cells) return;
    m_rows[row].Cells = cells;
    emit dataChanged(index(row, 0), index(row, columnCount() - 1));
}

void TDataSetTableModel::scheduleReload() {
    m_reloadWanted = true;
    m_reloadTimer.start();
}

void TDataSetTableModel::onDataSetChanged() {
    if (m_loading) return;
    TDataSet* ds = DataSet();
    if (!ds || !ds->Active()) {
        clearRows(); // the fields are about to go
        return;
    }
    updateCurrentRow(false);
    refreshCurrentRow();
    if (!m_moving) scheduleReload();
}

void TDataSetTableModel::onScrolled() {
    if (m_loading) return;
    updateCurrentRow(false);
}

void TDataSetTableModel::onRecordChanged(TField*) {
    if (m_loading) return;
    refreshCurrentRow();
}

void TDataSetTableModel::onStateChanged(TDataSetState state) {
    if (m_loading) return;
    if (state == TDataSetState::dsInactive) {
        clearRows();
        return;
    }
    if (state == TDataSetState::dsBrowse && m_reloadWanted) scheduleReload();
}

void TDataSetTableModel::SetCurrentRow(int row) {
    TDataSet* ds = DataSet();
    if (!ds || !ds->Active() || row < 0 || row >= m_rows.size()) return;
    const TBookmark& target = m_rows[row].Bookmark;
    if (ds->GetBookmark() != target || ds->State() != TDataSetState::dsBrowse) {
        bool wasEditing = ds->State() != TDataSetState::dsBrowse;
        {
            Flag moving(m_moving);
            runGuarded([&] { ds->GotoBookmark(target); });
        }
        if (wasEditing) scheduleReload(); // the edit was posted on the way
    }
    updateCurrentRow(false);
}

// ---------------------------------------------------------------------------------------------
// TDBGrid

TDBGrid::TDBGrid(QWidget* parent) : QTableView(parent) {
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTabKeyNavigation(false);
    setWordWrap(false);
    verticalHeader()->hide();
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setStretchLastSection(false);
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int column) {
        if (m_model) m_model->TitleClick(column);
    });
    connect(this, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) {
        if (index.isValid()) emit rowDoubleClicked(index.row());
    });
}

void TDBGrid::SetGridModel(TDataSetTableModel* model) {
    for (const auto& c : m_connections)
        disconnect(c);
    m_connections.clear();
    m_model = model;
    setModel(model);
    if (!model) return;
    m_connections << connect(model, &TDataSetTableModel::titleClicked, this, &TDBGrid::titleClicked)
                  << connect(model, &TDataSetTableModel::currentRowChanged, this, &TDBGrid::showCurrentRow)
                  << connect(model, &TDataSetTableModel::columnsChanged, this, &TDBGrid::applyColumnWidths)
                  << connect(model, &QAbstractItemModel::modelReset, this,
                             [this] {
                                 applyColumnWidths();
                                 showCurrentRow(m_model->CurrentRow());
                             })
                  << connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
                             [this](const QModelIndex& current) {
                                 if (!m_following && m_model && current.isValid())
                                     m_model->SetCurrentRow(current.row());
                             });
    applyColumnWidths();
    showCurrentRow(model->CurrentRow());
}

void TDBGrid::applyColumnWidths() {
    if (!m_model) return;
    for (int i = 0; i < m_model->columnCount(); ++i)
        setColumnWidth(i, m_model->ColumnWidth(i));
}

void TDBGrid::showCurrentRow(int row) {
    if (!m_model) return;
    Flag following(m_following);
    if (row < 0) {
        selectionModel()->clearCurrentIndex();
        clearSelection();
        return;
    }
    int column = std::max(0, currentIndex().column());
    QModelIndex index = m_model->index(row, std::min(column, std::max(0, m_model->columnCount() - 1)));
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollTo(index);
}

} // namespace kvor
